// The real wait window through a slow scan, as the user sees it: pictures
// are grabbed from the window's on-screen surface while a fake neighbourhood
// takes 1.5 s to answer. "Searching..." and the spinner are there at once,
// the spinner turns on screen, and a datagram that arrives meanwhile is
// handled before the scan ends.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "dialogs/IP.h"
#include "dialogs/NetWorkClients.h"
#include "dialogs/PageExport.h"
#include "platform/base/MainThread.h"
#include "platform/base/PumpingWait.h"
#include "platform/controls/Application.h"
#include "platform/controls/Timer.h"
#include "platform/netbrowse/NetBrowseSeam.h"
#include "platform/sockets/UDPClient.h"
#include "platform/sockets/UDPServer.h"

namespace {

using TClock = std::chrono::steady_clock;

constexpr int kNeighbourhoodAnswersAfterMs = 1500;
const QRect kSpinner(136, 16, 32, 32);   // the animator's place in the window
const QRect kStatusText(8, 64, 289, 49);  // "Searching..."

struct TSample {
  TClock::time_point At;
  QImage Spinner;
  bool TextShown = false;
};

// What the window's surface shows now (not what a fresh paint would draw).
QImage OnScreen(const std::string& Caption) {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible() && w->windowTitle() == QString::fromLatin1(Caption.c_str()))
      return w->screen()->grabWindow(w->winId()).toImage().convertToFormat(QImage::Format_RGB32);
  return QImage();
}

bool HasDarkPixels(const QImage& Image) {
  for (int y = 0; y < Image.height(); ++y)
    for (int x = 0; x < Image.width(); ++x)
      if (qGray(Image.pixel(x, y)) < 96) return true;
  return false;
}

bool IsPlain(const QImage& Image) {
  const QRgb first = Image.pixel(0, 0);
  for (int y = 0; y < Image.height(); ++y)
    for (int x = 0; x < Image.width(); ++x)
      if (Image.pixel(x, y) != first) return false;
  return true;
}

TNetResourceEntry Server(const std::string& Name) {
  TNetResourceEntry e;
  e.DisplayType = RESOURCEDISPLAYTYPE_SERVER;
  e.Usage = RESOURCEUSAGE_CONTAINER;
  e.RemoteName = "\\\\" + Name;
  e.Provider = "Slow Network";
  return e;
}

TEST(WaitWindow, ShowsAndTurnsOnScreenAndDatagramsAreHandledDuringASlowScan) {
  frmIP = new TfrmIP(Application);
  frmExport = new TfrmExport(Application);
  frmNetworkClients = new TfrmNetworkClients(Application);
  // The program makes its windows at start-up, well before anyone scans:
  // the spinner's timer has settled into its pace by then.
  for (const auto until = TClock::now() + std::chrono::milliseconds(1200); TClock::now() < until;) {
    Application->ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(PumpIntervalMs));
  }

  TUDPServer receiver(nullptr);
  receiver.SetActive(true);
  const int port = receiver.BoundPort();
  TClock::time_point handledAt{};
  receiver.SetOnUDPRead([&](TObject*, TStream*, const std::string&, int) { handledAt = TClock::now(); });

  TClock::time_point shownAt{}, answeredAt{};
  frmExport->SetOnShow([&](TObject*) { shownAt = TClock::now(); });
  SetNetBrowseSeam({[&](const NETRESOURCE* parent, std::vector<TNetResourceEntry>& out) {
    if (parent == nullptr) {
      std::this_thread::sleep_for(std::chrono::milliseconds(kNeighbourhoodAnswersAfterMs / 3));
      TUDPClient sender(nullptr);
      sender.SetHost("127.0.0.1");
      sender.SetPort(port);
      sender.Send("during the scan");
      std::this_thread::sleep_for(std::chrono::milliseconds(kNeighbourhoodAnswersAfterMs * 2 / 3));
      out = {Server("SLOW")};
      answeredAt = TClock::now();
    }
    return NO_ERROR;
  }});

  std::vector<TSample> samples;
  TTimer sampler(nullptr);
  sampler.SetInterval(10);
  sampler.SetOnTimer([&](TObject*) {
    const QImage window = OnScreen(frmExport->Caption());
    if (window.isNull()) return;
    samples.push_back({TClock::now(), window.copy(kSpinner), HasDarkPixels(window.copy(kStatusText))});
  });
  sampler.SetEnabled(true);
  frmNetworkClients->Show();
  const TClock::time_point scanEnded = TClock::now();
  sampler.SetEnabled(false);
  SetNetBrowseSeam({});

  auto ms = [](TClock::duration d) { return long(std::chrono::duration_cast<std::chrono::milliseconds>(d).count()); };
  ASSERT_EQ(frmNetworkClients->ListBox1->Items()->Count(), 4);
  ASSERT_NE(shownAt, TClock::time_point{});
  ASSERT_FALSE(samples.empty());

  // Text and spinner are on screen while the neighbourhood is still silent,
  // not only once the scan is over.
  auto ready = std::find_if(samples.begin(), samples.end(),
                            [](const TSample& s) { return s.TextShown && !IsPlain(s.Spinner); });
  ASSERT_NE(ready, samples.end()) << "neither text nor spinner ever shown";
  EXPECT_LT(ready->At, answeredAt) << "shown " << ms(ready->At - shownAt) << " ms after the window";

  // The spinner's picture changes on screen while the neighbourhood is silent
  // (12 frames a turn: a few changes show it turning, however slow the
  // machine), and the user-interface thread is never held for as long as
  // one stretch of that silence.
  int changes = 0;
  long longestGap = 0;
  for (std::size_t i = 1; i < samples.size(); ++i) {
    if (samples[i].At > answeredAt) break;
    longestGap = std::max(longestGap, ms(samples[i].At - samples[i - 1].At));
    if (samples[i].Spinner != samples[i - 1].Spinner) ++changes;
  }
  EXPECT_GE(changes, 3);
  EXPECT_LT(longestGap, kNeighbourhoodAnswersAfterMs / 3);

  ASSERT_NE(handledAt, TClock::time_point{}) << "the datagram was not handled";
  EXPECT_LT(handledAt, answeredAt);
  EXPECT_LT(handledAt, scanEnded);
  RecordProperty("SpinnerChanges", changes);
  RecordProperty("LongestGapMs", int(longestGap));
  std::printf("spinner changed %d times; longest gap %ld ms; datagram handled %ld ms before the end\n", changes,
              longestGap, ms(scanEnded - handledAt));

  frmNetworkClients->Hide();
  delete frmNetworkClients;
  delete frmExport;
  delete frmIP;
}

}  // namespace
