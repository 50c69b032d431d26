// What one video datagram costs the UI thread, whatever it holds: each case
// goes through the video read handler and one paint of its slot (the
// stretch into the slot's 201 x 165), timed in pairs with a 1280 x 720 frame
// from the program's own sender going the same way. The counter "ratio" is
// the median of case / own frame over the pairs; the aim is at most 16 for
// every case. The hostile datagrams are legal JPEG files of one datagram,
// made here with libjpeg's compressor (tests/support/HostileJpeg.h).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/HostileJpeg.h"
#include "bench/support/PairedTiming.h"
#include "bench/support/VirtualCameraRig.h"

#include "app/Main.h"
#include "app/Parlink.h"
#include "capture/VideoCap.h"
#include "platform/base/Streams.h"
#include "platform/controls/Application.h"
#include "platform/controls/Form.h"
#include "platform/controls/Panel.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/JpegImage.h"
#include "platform/sockets/UDPClient.h"
#include "platform/videodriver/VirtualCamera.h"

namespace {

using hostile::Coding;
using hostile::kLargestDatagram;

constexpr int kSlot = 2;
const char* const kPeer = "127.0.0.2";

// A main window with one peer entry, and a frame of the virtual camera's
// 1280 x 720 picture as the program's own sender makes it.
struct TScene {
  TScene() {
    Main = new TfrmMain(Application);
    frmMain = Main;
    Main->FPeers = std::make_unique<TPeerList>();
    Main->FPeers->Add(new TParlink(kPeer, Main->SlotPicture(kSlot), Byte(kSlot)));
    Main->udpClientVideo->SetPort(9);  // the discard port: nobody listens
    Camera = std::make_unique<TVirtualCameraRig>(1280, 720);
    Camera->SendFittingFrame(*Main, kLargestDatagram);
    OwnFrame.assign(reinterpret_cast<const char*>(LastJpeg()), LastJpegSize());
    Slot.SetPixelFormat(pfDevice);
    Slot.SetSize(201, 165);
  }
  ~TScene() {
    Camera->Close();
    delete Main;
    Application->ProcessMessages();
  }
  // The handler, then the slot painted as its image control paints it.
  void Receive(const std::string& Datagram) {
    TMemoryStream stream;
    stream.WriteBuffer(Datagram.data(), int(Datagram.size()));
    Main->udpServerVideoUDPRead(nullptr, &stream, kPeer, 6772);
    Slot.Canvas()->StretchDraw(Rect(0, 0, 201, 165), Main->SlotPicture(kSlot)->Graphic());
  }

  TfrmMain* Main = nullptr;
  std::unique_ptr<TVirtualCameraRig> Camera;
  std::string OwnFrame;
  TBitmap Slot;
};

std::unique_ptr<TScene> gScene;  // made on first use, gone before the application

TScene& Scene() {
  if (!gScene) gScene = std::make_unique<TScene>();
  return *gScene;
}

// The own frame's picture, decoded.
void OwnPicture(TBitmap& Picture) {
  const std::string& own = Scene().OwnFrame;
  DecodeJpeg(reinterpret_cast<const Byte*>(own.data()), own.size(), Picture);
}

std::string LibjpegFrame(const TBitmap& picture, bool Progressive);

// A 3840 x 2160 baseline frame from the program's encoder: smooth light and
// soft shapes, which a datagram holds at a usable quality.
std::string LargestFrame() {
  TBitmap large;
  large.SetPixelFormat(pf24bit);
  large.SetSize(3840, 2160);
  for (int y = 0; y < 2160; ++y) {
    Byte* to = static_cast<Byte*>(large.ScanLine(y));
    for (int x = 0; x < 3840; ++x) {
      const int dx = x - 1920, dy = y - 1080;
      const bool disc = dx * dx + dy * dy < 600 * 600;
      to[3 * x] = Byte(disc ? 200 : x / 16);
      to[3 * x + 1] = Byte(y / 9);
      to[3 * x + 2] = Byte(disc ? 60 : (x + y) / 24);
    }
  }
  // The program's own encoder uses the standard tables, whose six bits a
  // block at least make 3840 x 2160 more than a datagram.
  return LibjpegFrame(large, false);
}

// Picture as libjpeg writes it with Huffman tables made for it, baseline or
// by its own progressive script (10 scans), at the highest quality that fits.
std::string LibjpegFrame(const TBitmap& picture, bool Progressive) {
  std::vector<unsigned char> rgb(std::size_t(picture.Width()) * 3 * std::size_t(picture.Height()));
  for (int y = 0; y < picture.Height(); ++y) {
    const Byte* from = static_cast<const Byte*>(picture.ScanLine(y));
    unsigned char* to = rgb.data() + std::size_t(y) * std::size_t(picture.Width()) * 3;
    for (int x = 0; x < picture.Width(); ++x) {
      to[3 * x] = from[3 * x + 2];
      to[3 * x + 1] = from[3 * x + 1];
      to[3 * x + 2] = from[3 * x];
    }
  }
  for (int quality = 95;; quality -= 5) {
    TLibjpegSettings settings;
    settings.Quality = quality;
    settings.OptimizeCoding = true;
    settings.Progressive = Progressive;
    const std::string jpeg = LibjpegEncode(rgb.data(), std::size_t(picture.Width()) * 3, picture.Width(),
                                           picture.Height(), settings);
    if (jpeg.size() <= kLargestDatagram || quality <= 5) return jpeg;
  }
}

struct TCase {
  const char* Name;
  std::string Datagram;
  int Scans = 1;
};

const std::vector<TCase>& Cases() {
  static const std::vector<TCase> cases = [] {
    std::vector<TCase> list;
    TCase c;
    c = {"own_1280x720", Scene().OwnFrame};
    list.push_back(c);
    TBitmap own;
    OwnPicture(own);
    c = {"progressive_1280x720_10_scans", LibjpegFrame(own, true), 10};
    list.push_back(c);
    c = {"baseline_3840x2160", LargestFrame()};
    list.push_back(c);
    c = {"progressive_4096x2048_many_scans", ""};
    c.Datagram = hostile::ManyScansProgressive(4096, 2048, Coding::Huffman, &c.Scans);
    list.push_back(c);
    c = {"arithmetic_progressive_8192x8192_many_scans", ""};
    c.Datagram = hostile::ManyScansProgressive(8192, 8192, Coding::Arithmetic, &c.Scans);
    list.push_back(c);
    c = {"arithmetic_progressive_4096x2048_many_scans", ""};
    c.Datagram = hostile::ManyScansProgressive(4096, 2048, Coding::Arithmetic, &c.Scans);
    list.push_back(c);
    c = {"arithmetic_sequential_4096x2048_many_scans", ""};
    c.Datagram = hostile::ManyScansSequential(4096, 2048, Coding::Arithmetic, &c.Scans);
    list.push_back(c);
    c = {"baseline_4096x4080", hostile::Compress(4096, 4080, 1, Coding::Huffman, false, {})};
    list.push_back(c);
    c = {"arithmetic_8192x8192_padded", ""};
    c.Datagram = hostile::PaddedTo(hostile::Compress(8192, 8192, 1, Coding::Arithmetic, false, {}),
                                   kLargestDatagram);
    list.push_back(c);
    return list;
  }();
  return cases;
}

std::map<std::string, double> gRatios;

// Resident memory of this process, in MB.
double ResidentMb() {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (status == nullptr) return 0;
  char line[256];
  long kb = 0;
  while (std::fgets(line, sizeof line, status) != nullptr)
    if (std::sscanf(line, "VmRSS: %ld kB", &kb) == 1) break;
  std::fclose(status);
  return double(kb) / 1024;
}
// Resident memory after each case, once the own frame has replaced its picture.
std::map<std::string, double> gResident;

void BM_ReceivePaired(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  TScene& scene = Scene();
  const TCase& own = Cases()[0];
  const TCase& item = Cases()[std::size_t(state.range(0))];
  std::vector<double> ratios;
  double caseTime = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    scene.Receive(own.Datagram);
    const auto reference = Clock::now();
    scene.Receive(item.Datagram);
    const auto done = Clock::now();
    caseTime += Milliseconds(done - reference);
    ratios.push_back(Milliseconds(done - reference) / Milliseconds(reference - start));
  }
  state.SetLabel(item.Name);
  state.counters["ratio"] = Median(ratios);
  state.counters["case_ms"] = caseTime / double(state.iterations());
  state.counters["bytes"] = double(item.Datagram.size());
  state.counters["scans"] = item.Scans;
  state.counters["shown_width"] = scene.Main->SlotPicture(kSlot)->Width();
  gRatios[item.Name] = Median(ratios);
  scene.Receive(own.Datagram);
  gResident[item.Name] = ResidentMb();
  state.counters["resident_mb"] = gResident[item.Name];
}
BENCHMARK(BM_ReceivePaired)->DenseRange(0, 8)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  TApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  for (const TCase& c : Cases())
    if (c.Datagram.size() > kLargestDatagram)
      std::fprintf(stderr, "%s: %zu bytes, more than one datagram\n", c.Name, c.Datagram.size());
  benchmark::RunSpecifiedBenchmarks();
  gScene.reset();
  double worst = 0;
  std::printf("\nratio to the own 1280x720 frame (handler and paint), aim at most 16:\n");
  for (const auto& [name, ratio] : gRatios) {
    std::printf("  %-45s %6.2f\n", name.c_str(), ratio);
    worst = std::max(worst, ratio);
  }
  std::printf("  costliest %.2f: %s\n", worst, worst <= 16 ? "within the aim" : "BEYOND THE AIM");
  // Only the shown picture is held: what a case leaves behind shows here.
  if (gResident.count(Cases()[0].Name) != 0) {
    const double own = gResident[Cases()[0].Name];
    double most = own;
    for (const auto& [name, mb] : gResident) most = std::max(most, mb);
    std::printf("resident after the own frame %.1f MB, at most %.1f MB after any case (%+.1f MB)\n",
                own, most, most - own);
  }
  std::fflush(stdout);
  benchmark::Shutdown();
  return 0;
}
