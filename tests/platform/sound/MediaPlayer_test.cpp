#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QAudioDevice>
#include <QMediaDevices>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <unistd.h>

#include "platform/sound/MediaPlayer.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

// A one-second 440 Hz tone in each format the settings window offers, made
// by GStreamer's command-line tool with the encoders scripts/deps installs.
struct TToneFormat {
  const char* Extension;
  const char* Encoder;  // the elements between the raw tone and the file
};
const TToneFormat kToneFormats[] = {
    {"wav", "wavenc"}, {"mp3", "lamemp3enc ! id3v2mux"}, {"wma", "avenc_wmav2 ! avmux_asf"}};
constexpr auto kToneLength = std::chrono::milliseconds(1000);

bool MakeTone(const TToneFormat& Format, const std::string& Path) {
  const std::string command =
      "timeout 60 gst-launch-1.0 -q --gst-disable-segtrap audiotestsrc freq=440 "
      "samplesperbuffer=1024 num-buffers=22 ! "
      "audio/x-raw,rate=22050,channels=1 ! audioconvert ! " + std::string(Format.Encoder) +
      " ! filesink location='" + Path + "' >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

std::string TempPath(const char* name) {
  return std::string(testing::TempDir()) + "/" + std::to_string(getpid()) + "_" + name;
}

bool HasAudioOutput() { return !QMediaDevices::audioOutputs().isEmpty(); }

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  auto end = Clock::now() + timeout;
  while (!done()) {
    if (Clock::now() >= end) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    std::this_thread::sleep_for(5ms);
  }
  return true;
}

// Opening must answer without waiting for the media or a device, whatever
// the machine has. The back end's own probing of a file takes a second or
// two on a busy machine; the bound leaves room for one ten times slower.
template <class F>
void ExpectQuick(F&& action) {
  auto start = Clock::now();
  action();
  EXPECT_LT(Clock::now() - start, 30s) << "the media player waited for something";
}

}  // namespace

TEST(MediaPlayer, MissingOrUnnamedFileFailsToOpenAndLeavesThePlayerClosed) {
  TMediaPlayer player(nullptr);
  player.SetFileName(TempPath("no-such-ring.wav"));
  ExpectQuick([&] {
    try {
      player.Open();
      FAIL() << "no exception";
    } catch (const EMediaError& e) {
      EXPECT_NE(e.Message().find("no-such-ring.wav"), std::string::npos) << e.Message();
    }
  });
  EXPECT_EQ(player.Mode(), mpNotReady);
  player.SetFileName("");
  EXPECT_THROW(player.Open(), EMediaError);
  EXPECT_THROW(player.Play(), EMediaError);
  player.Stop();
  player.Close();
  EXPECT_EQ(player.Mode(), mpNotReady);
}

class RingTone : public testing::TestWithParam<TToneFormat> {};

TEST_P(RingTone, IsPlayedOnceToItsEndOrRefusedAtOnceWithoutAnAudioDevice) {
  const std::string path = TempPath((std::string("ring.") + GetParam().Extension).c_str());
  ASSERT_TRUE(MakeTone(GetParam(), path)) << "gst-launch-1.0 could not make " << path;
  TMediaPlayer player(nullptr);
  player.SetFileName(path);
  if (!HasAudioOutput()) {
    ExpectQuick([&] {
      try {
        player.Open();
        FAIL() << "opened without an audio device";
      } catch (const EMediaError& e) {
        EXPECT_NE(e.Message().find("no audio output device"), std::string::npos) << e.Message();
      }
    });
    EXPECT_EQ(player.Mode(), mpNotReady);
    std::remove(path.c_str());
    return;
  }
  ExpectQuick([&] { player.Open(); });
  EXPECT_EQ(player.Mode(), mpStopped);
  player.Play();
  ASSERT_TRUE(PumpUntil([&] { return player.Mode() == mpPlaying; }, 5s));
  const auto started = Clock::now();
  // Played once: it stops by itself at the end, and not before the tone has
  // sounded (a file that cannot be decoded stops at once).
  EXPECT_TRUE(PumpUntil([&] { return player.Mode() == mpStopped; }, 10s));
  EXPECT_GE(Clock::now() - started, kToneLength * 6 / 10);
  player.Play();
  EXPECT_TRUE(PumpUntil([&] { return player.Mode() == mpPlaying; }, 5s));
  player.Stop();
  EXPECT_EQ(player.Mode(), mpStopped);
  player.Close();
  EXPECT_EQ(player.Mode(), mpNotReady);
  std::remove(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(EveryOfferedFormat, RingTone, testing::ValuesIn(kToneFormats),
                         [](const testing::TestParamInfo<TToneFormat>& Info) {
                           return std::string(Info.param.Extension);
                         });

TEST(MediaPlayer, FileThatIsNoSoundNeverPlays) {
  std::string path = TempPath("garbage.wav");
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fputs("this is not a sound file at all", f);
  std::fclose(f);
  TMediaPlayer player(nullptr);
  player.SetFileName(path);
  bool opened = false;
  ExpectQuick([&] {
    try {
      player.Open();
      opened = true;
    } catch (const EMediaError&) {
    }
  });
  if (opened) {
    player.Play();
    // The back end finds out that it cannot decode the file in its own time.
    PumpUntil([&] { return player.Mode() == mpStopped; }, 30s);
    EXPECT_EQ(player.Mode(), mpStopped);
  } else {
    EXPECT_EQ(player.Mode(), mpNotReady);
  }
  std::remove(path.c_str());
}
