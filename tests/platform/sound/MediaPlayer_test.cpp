#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QAudioDevice>
#include <QMediaDevices>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platform/sound/MediaPlayer.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

// A mono 16-bit PCM WAV of a 440 Hz tone, written by hand.
void WriteToneWav(const std::string& path, double seconds) {
  const int rate = 8000;
  const int samples = int(rate * seconds);
  std::vector<unsigned char> bytes;
  auto u32 = [&](unsigned v) { for (int i = 0; i < 4; ++i) bytes.push_back((v >> (8 * i)) & 0xFF); };
  auto u16 = [&](unsigned v) { for (int i = 0; i < 2; ++i) bytes.push_back((v >> (8 * i)) & 0xFF); };
  auto tag = [&](const char* t) { bytes.insert(bytes.end(), t, t + 4); };
  tag("RIFF"); u32(36 + samples * 2); tag("WAVE");
  tag("fmt "); u32(16); u16(1); u16(1); u32(rate); u32(rate * 2); u16(2); u16(16);
  tag("data"); u32(samples * 2);
  for (int i = 0; i < samples; ++i)
    u16(unsigned(short(std::lround(8000 * std::sin(2 * M_PI * 440 * i / rate)))) & 0xFFFF);
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
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

// Opening must answer at once, whatever the machine has.
template <class F>
void ExpectQuick(F&& action) {
  auto start = Clock::now();
  action();
  EXPECT_LT(Clock::now() - start, 3s) << "the media player waited for something";
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

TEST(MediaPlayer, ToneIsPlayedOnceOrRefusedAtOnceWithoutAnAudioDevice) {
  std::string path = TempPath("ring.wav");
  WriteToneWav(path, 0.3);
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
  EXPECT_TRUE(PumpUntil([&] { return player.Mode() == mpPlaying; }, 5s));
  // Played once: it stops by itself at the end.
  EXPECT_TRUE(PumpUntil([&] { return player.Mode() == mpStopped; }, 10s));
  player.Play();
  EXPECT_TRUE(PumpUntil([&] { return player.Mode() == mpPlaying; }, 5s));
  player.Stop();
  EXPECT_EQ(player.Mode(), mpStopped);
  player.Close();
  EXPECT_EQ(player.Mode(), mpNotReady);
  std::remove(path.c_str());
}

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
    PumpUntil([] { return false; }, 1s);
    EXPECT_EQ(player.Mode(), mpStopped);
  } else {
    EXPECT_EQ(player.Mode(), mpNotReady);
  }
  std::remove(path.c_str());
}
