// The cost of one preview frame on its way out and of one received frame,
// each beside the plain codec work it cannot do without:
//   send:    CaptureFrameCallback of a YUY2 frame (conversion, frame buffer,
//            JPEG, four peers on loopback) / libjpeg encoding the same picture
//   receive: the video read handler (decode and show in the slot) /
//            libjpeg decoding the same datagram
// The ratios are printed at the end; the aim is at most 1.3.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

extern "C" {
#include <jpeglib.h>
}

#include "bench/support/PairedTiming.h"
#include "bench/support/VirtualCameraRig.h"
#include "tests/support/PlainJpeg.h"

#include "app/Main.h"
#include "app/Parlink.h"
#include "capture/VideoCap.h"
#include "platform/base/Streams.h"
#include "platform/controls/Application.h"
#include "platform/controls/Form.h"
#include "platform/controls/Panel.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/JpegImage.h"
#include "platform/sockets/UDPClient.h"
#include "platform/videodriver/VirtualCamera.h"

namespace {

constexpr int kPeers = 4;
constexpr std::size_t kLargestDatagram = 65507;

// The peers' video port: one socket on every loopback address, drained by
// a thread of its own so that sending never waits on a full queue.
class TLoopbackPeers {
 public:
  TLoopbackPeers() {
    FHandle = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    bind(FHandle, reinterpret_cast<sockaddr*>(&local), sizeof local);
    socklen_t size = sizeof local;
    getsockname(FHandle, reinterpret_cast<sockaddr*>(&local), &size);
    FPort = ntohs(local.sin_port);
    timeval timeout{0, 50000};
    setsockopt(FHandle, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    FDrain = std::thread([this] {
      std::vector<char> buffer(70000);
      while (!FStop) Received += recv(FHandle, buffer.data(), buffer.size(), 0) > 0;
    });
  }
  ~TLoopbackPeers() {
    FStop = true;
    FDrain.join();
    close(FHandle);
  }
  int Port() const { return FPort; }
  std::atomic<long> Received{0};

 private:
  int FHandle = -1;
  int FPort = 0;
  std::atomic<bool> FStop{false};
  std::thread FDrain;
};

// The picture as top-down red, green, blue rows.
std::vector<Byte> RgbRows(const TBitmap& picture) {
  std::vector<Byte> rows(std::size_t(picture.Width()) * 3 * std::size_t(picture.Height()));
  Byte* to = rows.data();
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 0; x < picture.Width(); ++x, to += 3) {
      const TColor c = picture.Pixel(x, y);
      to[0] = Byte(GetRValue(c));
      to[1] = Byte(GetGValue(c));
      to[2] = Byte(GetBValue(c));
    }
  return rows;
}

// Plain libjpeg: the encoder settings of the program, into memory.
std::size_t PlainEncode(const std::vector<Byte>& rgb, int width, int height, int quality) {
  return PlainJpegEncode(rgb.data(), width, height, quality).size();
}

void PlainDecode(const std::string& jpeg, std::vector<Byte>& rgb) {
  jpeg_decompress_struct codec;
  jpeg_error_mgr errors;
  codec.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&codec);
  jpeg_mem_src(&codec, reinterpret_cast<const unsigned char*>(jpeg.data()), jpeg.size());
  jpeg_read_header(&codec, TRUE);
  codec.out_color_space = JCS_RGB;
  jpeg_start_decompress(&codec);
  rgb.resize(std::size_t(codec.output_width) * 3 * codec.output_height);
  while (codec.output_scanline < codec.output_height) {
    JSAMPROW row = rgb.data() + std::size_t(codec.output_scanline) * codec.output_width * 3;
    jpeg_read_scanlines(&codec, &row, 1);
  }
  jpeg_finish_decompress(&codec);
  jpeg_destroy_decompress(&codec);
}

// A main window with four peers, a camera of the virtual camera's YUY2
// picture at Width by Height, and one frame of it.
struct TScene {
  TScene(int width, int height) : Width(width), Height(height) {
    Main = new TfrmMain(Application);
    frmMain = Main;
    Main->FPeers = std::make_unique<TPeerList>();
    for (int i = 1; i <= kPeers; ++i)
      Main->FPeers->Add(
          new TParlink("127.0.0." + std::to_string(i), Main->SlotPicture(i), Byte(i)));
    Main->udpClientVideo->SetPort(Peers.Port());
    Camera = std::make_unique<TVirtualCameraRig>(width, height);
    // The highest quality of the program's steps whose datagram fits.
    Quality = Camera->SendFittingFrame(*Main, kLargestDatagram);
    Picture = RgbRows(*FrameBitmap());
    Jpeg.assign(reinterpret_cast<const char*>(LastJpeg()), LastJpegSize());
  }
  ~TScene() {
    Camera->Close();
    delete Main;
    Application->ProcessMessages();
  }
  void SendFrame() { Camera->SendFrame(); }

  int Width, Height, Quality = 95;
  TLoopbackPeers Peers;
  TfrmMain* Main = nullptr;
  std::unique_ptr<TVirtualCameraRig> Camera;
  std::vector<Byte> Picture;  // the frame as the encoder sees it, RGB
  std::string Jpeg;           // the frame's datagram
};

std::map<std::pair<int, int>, std::unique_ptr<TScene>> gScenes;

TScene& Scene(const benchmark::State& state) {
  auto key = std::make_pair(int(state.range(0)), int(state.range(1)));
  auto& scene = gScenes[key];
  if (!scene) {
    gScenes.clear();  // one main window at a time
    auto& fresh = gScenes[key];
    fresh = std::make_unique<TScene>(key.first, key.second);
    return *fresh;
  }
  return *scene;
}

void BM_SendPipeline(benchmark::State& state) {
  TScene& scene = Scene(state);
  const long before = scene.Peers.Received;
  for (auto _ : state) {
    scene.Main->FJpegQuality = scene.Quality;
    scene.SendFrame();
  }
  state.counters["quality"] = scene.Quality;
  state.counters["jpeg_bytes"] = double(scene.Jpeg.size());
  state.counters["sent"] = double(scene.Peers.Received - before) / double(state.iterations());
}

void BM_SendPlainEncode(benchmark::State& state) {
  TScene& scene = Scene(state);
  for (auto _ : state)
    benchmark::DoNotOptimize(PlainEncode(scene.Picture, scene.Width, scene.Height, scene.Quality));
}

void BM_ReceivePipeline(benchmark::State& state) {
  TScene& scene = Scene(state);
  TMemoryStream datagram;
  datagram.WriteBuffer(scene.Jpeg.data(), int(scene.Jpeg.size()));
  for (auto _ : state) {
    datagram.SetPosition(0);
    scene.Main->udpServerVideoUDPRead(nullptr, &datagram, "127.0.0.3", 6772);
  }
  state.counters["shown_width"] = scene.Main->SlotPicture(3)->Width();
}

void BM_ReceivePlainDecode(benchmark::State& state) {
  TScene& scene = Scene(state);
  std::vector<Byte> rgb;
  for (auto _ : state) {
    PlainDecode(scene.Jpeg, rgb);
    benchmark::DoNotOptimize(rgb.data());
  }
}

// The same two measures taken in pairs: one pipeline run, then one plain
// codec run; the counter "ratio" is the median of the pairs' ratios.
void BM_SendPaired(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  TScene& scene = Scene(state);
  std::vector<double> ratios;
  for (auto _ : state) {
    const auto start = Clock::now();
    scene.Main->FJpegQuality = scene.Quality;
    scene.SendFrame();
    const auto sent = Clock::now();
    benchmark::DoNotOptimize(PlainEncode(scene.Picture, scene.Width, scene.Height, scene.Quality));
    const auto encoded = Clock::now();
    ratios.push_back(Milliseconds(sent - start) / Milliseconds(encoded - sent));
  }
  state.counters["ratio"] = Median(ratios);
}

void BM_ReceivePaired(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  TScene& scene = Scene(state);
  TMemoryStream datagram;
  datagram.WriteBuffer(scene.Jpeg.data(), int(scene.Jpeg.size()));
  std::vector<Byte> rgb;
  std::vector<double> ratios;
  for (auto _ : state) {
    const auto start = Clock::now();
    datagram.SetPosition(0);
    scene.Main->udpServerVideoUDPRead(nullptr, &datagram, "127.0.0.3", 6772);
    const auto shown = Clock::now();
    PlainDecode(scene.Jpeg, rgb);
    benchmark::DoNotOptimize(rgb.data());
    const auto decoded = Clock::now();
    ratios.push_back(Milliseconds(shown - start) / Milliseconds(decoded - shown));
  }
  state.counters["ratio"] = Median(ratios);
}

#define TAMBLIN_SIZES Args({384, 288})->Args({1280, 720})->Unit(benchmark::kMillisecond)
BENCHMARK(BM_SendPipeline)->TAMBLIN_SIZES;
BENCHMARK(BM_SendPlainEncode)->TAMBLIN_SIZES;
BENCHMARK(BM_ReceivePipeline)->TAMBLIN_SIZES;
BENCHMARK(BM_ReceivePlainDecode)->TAMBLIN_SIZES;
BENCHMARK(BM_SendPaired)->TAMBLIN_SIZES;
BENCHMARK(BM_ReceivePaired)->TAMBLIN_SIZES;

// Keeps each benchmark's time per iteration (and the paired ratios) to print
// the ratios at the end: the median when the runs are repeated, else the one
// run's value.
class TRatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      const std::string name = run.run_name.str();
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      const bool single = run.run_type == Run::RT_Iteration && run.iterations > 0;
      if (!median && !(single && !FromMedian[name])) continue;
      FromMedian[name] = median;
      Times[name] = run.GetAdjustedRealTime();
      auto ratio = run.counters.find("ratio");
      if (ratio != run.counters.end()) Ratios[name] = ratio->second.value;
    }
  }
  std::map<std::string, double> Times;
  std::map<std::string, double> Ratios;

 private:
  std::map<std::string, bool> FromMedian;
};

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  TApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  gScenes.clear();
  std::printf("\nratios (pipeline / plain codec), target at most 1.3:\n");
  for (const char* size : {"384/288", "1280/720"}) {
    const std::string s = size;
    auto ratio = [&](const char* pipeline, const char* plain) {
      const double a = reporter.Times[std::string(pipeline) + "/" + s];
      const double b = reporter.Times[std::string(plain) + "/" + s];
      return b > 0 ? a / b : 0.0;
    };
    std::printf("  %-9s send %.2f   receive %.2f   (paired: send %.2f   receive %.2f)\n", size,
                ratio("BM_SendPipeline", "BM_SendPlainEncode"),
                ratio("BM_ReceivePipeline", "BM_ReceivePlainDecode"),
                reporter.Ratios["BM_SendPaired/" + s], reporter.Ratios["BM_ReceivePaired/" + s]);
  }
  benchmark::Shutdown();
  return 0;
}
