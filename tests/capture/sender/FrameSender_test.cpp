// Sending each frame: the JPEG datagram, every peer entry, the quality that
// steps down by 5 at every failed send, the pending stop, and frames that
// arrive while another one is inside a message pump.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <utility>

extern "C" {
#include <jpeglib.h>

#include "tests/support/PlainJpeg.h"
}

#include "CaptureTestSupport.h"
#include "app/Main.h"
#include "app/Parlink.h"
#include "capture/VideoCap.h"
#include "capture/YUVConverts.h"
#include "platform/base/MainThread.h"
#include "platform/base/Streams.h"
#include "platform/controls/Application.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/JpegImage.h"
#include "platform/sockets/HostLookup.h"
#include "platform/sockets/UDPClient.h"
#include "platform/videodriver/VirtualCamera.h"

namespace {

constexpr const char* kUnreachable = "peer.unreachable.invalid";

// A peer's video port on loopback: every address of 127/8 can be bound.
class TVideoPeer {
 public:
  TVideoPeer(const std::string& Address, int Port) : FAddress(Address) {
    FHandle = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    inet_pton(AF_INET, Address.c_str(), &local.sin_addr);
    local.sin_port = htons(std::uint16_t(Port));
    if (bind(FHandle, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0)
      throw std::runtime_error("bind " + Address);
    socklen_t size = sizeof local;
    getsockname(FHandle, reinterpret_cast<sockaddr*>(&local), &size);
    FPort = ntohs(local.sin_port);
    int buffer = 4 << 20;
    setsockopt(FHandle, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
  }
  ~TVideoPeer() { close(FHandle); }
  const std::string& Address() const { return FAddress; }
  int Port() const { return FPort; }
  // Every datagram waiting now.
  std::vector<std::string> Datagrams() {
    std::vector<std::string> all;
    std::vector<char> buffer(70000);
    for (;;) {
      ssize_t n = recv(FHandle, buffer.data(), buffer.size(), MSG_DONTWAIT);
      if (n < 0) break;
      all.emplace_back(buffer.data(), std::size_t(n));
    }
    return all;
  }

 private:
  std::string FAddress;
  int FHandle = -1;
  int FPort = 0;
};

class FrameSenderTest : public CaptureTest {
 protected:
  void SetUp() override {
    CaptureTest::SetUp();
    SetHostResolver([](const std::string& name) -> std::vector<std::string> {
      if (IsDottedAddress(name)) return {name};
      return {};
    });
    Main = new TfrmMain(Application);
    frmMain = Main;
    Main->FPeers = std::make_unique<TPeerList>();
    PeerA = std::make_unique<TVideoPeer>("127.0.0.1", 0);
    PeerB = std::make_unique<TVideoPeer>("127.0.0.2", PeerA->Port());
    Main->udpClientVideo->SetPort(PeerA->Port());
  }
  void TearDown() override {
    delete Main;
    frmMain = nullptr;
    SetHostResolver(nullptr);
    CaptureTest::TearDown();
  }

  // A camera of the virtual camera's test picture in Format at Width by Height.
  void StartCamera(TFramePixelFormat Format, int Width, int Height, bool Noise = false) {
    TVirtualCameraSettings settings;
    settings.Format = Format;
    settings.Width = Width;
    settings.Height = Height;
    settings.Noise = Noise;
    auto plan = Driver(0);
    const BITMAPINFOHEADER header = MakeFrameHeader(Format, Width, Height);
    plan->Format.assign(reinterpret_cast<const Byte*>(&header),
                        reinterpret_cast<const Byte*>(&header) + sizeof header);
    Frame = MakeVirtualCameraFrame(settings, 3);
    ASSERT_TRUE(Open());
    InitFrameBuffers();
  }

  void AddPeer(const std::string& IP, int Slot) {
    Main->FPeers->Add(new TParlink(IP, Main->SlotPicture(Slot), Byte(Slot)));
  }

  LRESULT DeliverFrame() {
    VIDEOHDR header{};
    header.lpData = Frame.data();
    header.dwBufferLength = header.dwBytesUsed = DWord(Frame.size());
    return CaptureFrameCallback(CaptureWindowHandle(), &header);
  }

  int PeersOfSlot(int Slot) const {
    int n = 0;
    for (int i = 0; i < Main->FPeers->Count(); ++i) n += Main->FPeers->Items(i)->FSlot == Slot;
    return n;
  }

  int TooLargeBoxes() const {
    int n = 0;
    for (const TMessageBox& box : Boxes->Boxes())
      n += box.Text == SVideoFrameTooLarge && box.Kind == mtInformation;
    return n;
  }

  // The JPEG the encoder makes of the frame buffer's picture at Quality.
  std::string ReferenceJpeg(int Quality) {
    std::vector<Byte> bytes = EncodeJpeg(*FrameBitmap(), Quality);
    return std::string(bytes.begin(), bytes.end());
  }

  TfrmMain* Main = nullptr;
  std::unique_ptr<TVideoPeer> PeerA, PeerB;
  std::vector<Byte> Frame;
};

bool IsCompleteJpeg(const std::string& data) {
  return data.size() > 4 && Byte(data[0]) == 0xFF && Byte(data[1]) == 0xD8 &&
         Byte(data[data.size() - 2]) == 0xFF && Byte(data[data.size() - 1]) == 0xD9;
}

}  // namespace

TEST_F(FrameSenderTest, EveryPeerGetsTheFrameAsOneCompleteJpeg) {
  StartCamera(fpYUY2, 64, 48);
  AddPeer("127.0.0.1", 1);
  AddPeer("127.0.0.2", 3);
  EXPECT_EQ(DeliverFrame(), 1);
  auto a = PeerA->Datagrams();
  auto b = PeerB->Datagrams();
  ASSERT_EQ(a.size(), 1u);
  ASSERT_EQ(b.size(), 1u);
  EXPECT_TRUE(IsCompleteJpeg(a[0]));
  EXPECT_EQ(a[0], b[0]);
  // Baseline, float DCT, quality 95 of the loaded picture.
  EXPECT_EQ(a[0], ReferenceJpeg(95));
  TBitmap decoded;
  DecodeJpeg(reinterpret_cast<const Byte*>(a[0].data()), a[0].size(), decoded);
  EXPECT_EQ(decoded.Width(), 64);
  EXPECT_EQ(decoded.Height(), 48);
  EXPECT_EQ(Main->FJpegQuality, 95);
}

TEST_F(FrameSenderTest, RawRgbAndConvertedYuvMakeTheSameKindOfDatagram) {
  StartCamera(fpRGB24, 40, 30);
  AddPeer("127.0.0.1", 1);
  DeliverFrame();
  auto rgb = PeerA->Datagrams();
  ASSERT_EQ(rgb.size(), 1u);
  EXPECT_TRUE(IsCompleteJpeg(rgb[0]));
  EXPECT_EQ(FrameBitmap()->PixelFormat(), pf24bit);
  EXPECT_EQ(rgb[0], ReferenceJpeg(95));
  TBitmap decoded;
  DecodeJpeg(reinterpret_cast<const Byte*>(rgb[0].data()), rgb[0].size(), decoded);
  EXPECT_EQ(decoded.Width(), 40);
  EXPECT_EQ(decoded.Height(), 30);
}

TEST_F(FrameSenderTest, WithoutPeersTheFrameIsStillEncoded) {
  StartCamera(fpI420, 32, 32);
  DeliverFrame();
  EXPECT_GT(LastJpegSize(), 0u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(LastJpeg()), LastJpegSize()),
            ReferenceJpeg(95));
  EXPECT_TRUE(PeerA->Datagrams().empty());
}

TEST_F(FrameSenderTest, AFailedSendStepsDownAndTheNextPeerStillGetsTheFrame) {
  StartCamera(fpYUY2, 64, 48);
  AddPeer(kUnreachable, 1);
  AddPeer("127.0.0.2", 2);
  Main->FJpegQuality = 10;
  DeliverFrame();
  EXPECT_EQ(Main->FJpegQuality, 5);
  auto b = PeerB->Datagrams();
  ASSERT_EQ(b.size(), 1u);
  EXPECT_EQ(b[0], ReferenceJpeg(10));
  EXPECT_EQ(TooLargeBoxes(), 0);
  // The next frame is encoded at quality 5.
  Main->FPeers = std::make_unique<TPeerList>();
  AddPeer("127.0.0.2", 2);
  DeliverFrame();
  b = PeerB->Datagrams();
  ASSERT_EQ(b.size(), 1u);
  EXPECT_EQ(b[0], ReferenceJpeg(5));
}

TEST_F(FrameSenderTest, ReachingZeroTellsTheUserOnceAndEndsTheFrame) {
  StartCamera(fpYUY2, 64, 48);
  AddPeer(kUnreachable, 1);
  AddPeer("127.0.0.2", 2);
  Main->FJpegQuality = 5;
  Queue([this] { Main->StopClick(2); });  // during the frame: waits for its end
  DeliverFrame();
  EXPECT_EQ(Main->FJpegQuality, 0);
  EXPECT_EQ(TooLargeBoxes(), 1);
  EXPECT_TRUE(PeerB->Datagrams().empty());  // the rest of the frame is skipped
  EXPECT_EQ(PeersOfSlot(2), 1);             // and the stop waits
  EXPECT_EQ(Main->FStopPending, 1);

  // Below zero: the encoder gets quality 1, nobody is told again, and the
  // stop is carried out after this frame.
  DeliverFrame();
  EXPECT_EQ(Main->FJpegQuality, -5);
  EXPECT_EQ(TooLargeBoxes(), 1);
  auto b = PeerB->Datagrams();
  ASSERT_EQ(b.size(), 1u);
  EXPECT_EQ(b[0], ReferenceJpeg(1));
  EXPECT_EQ(PeersOfSlot(2), 0);
  EXPECT_EQ(Main->FStopPending, 0);
}

TEST_F(FrameSenderTest, AStopDuringTheFrameTakesEffectAfterItWasSent) {
  StartCamera(fpUYVY, 32, 24);
  AddPeer("127.0.0.1", 1);
  AddPeer("127.0.0.2", 2);
  Queue([this] { Main->StopClick(1); });
  DeliverFrame();
  EXPECT_EQ(PeerA->Datagrams().size(), 1u);  // slot 1 still got this frame
  EXPECT_EQ(PeerB->Datagrams().size(), 1u);
  EXPECT_EQ(PeersOfSlot(1), 0);
  EXPECT_EQ(PeersOfSlot(2), 1);
  EXPECT_EQ(Main->FStopPending, 0);
  DeliverFrame();
  EXPECT_TRUE(PeerA->Datagrams().empty());
  EXPECT_EQ(PeerB->Datagrams().size(), 1u);
}

TEST_F(FrameSenderTest, AnEntryAddedDuringTheFrameGetsItToo) {
  StartCamera(fpY8, 16, 16);
  AddPeer("127.0.0.1", 1);
  Queue([this] { AddPeer("127.0.0.2", 2); });
  DeliverFrame();
  EXPECT_EQ(PeerA->Datagrams().size(), 1u);
  EXPECT_EQ(PeerB->Datagrams().size(), 1u);
}

TEST_F(FrameSenderTest, AFrameArrivingInsideAPumpIsDropped) {
  StartCamera(fpYUY2, 32, 32);
  AddPeer("127.0.0.1", 1);
  LRESULT nested = 0;
  Queue([&] { nested = DeliverFrame(); });
  DeliverFrame();
  EXPECT_EQ(nested, 1);
  EXPECT_EQ(PeerA->Datagrams().size(), 1u);  // one frame, sent once
  // Once the first frame is done, frames go out again.
  DeliverFrame();
  EXPECT_EQ(PeerA->Datagrams().size(), 1u);
}

TEST_F(FrameSenderTest, AJpegLargerThanTheSendBufferCountsAsAFailedSend) {
  StartCamera(fpRGB24, 1600, 1200, true);
  AddPeer("127.0.0.1", 1);
  AddPeer("127.0.0.2", 2);
  Main->FJpegQuality = 100;
  Queue([this] { Main->StopClick(1); });
  DeliverFrame();
  EXPECT_EQ(Main->FJpegQuality, 95);
  EXPECT_TRUE(PeerA->Datagrams().empty());  // nobody gets it
  EXPECT_TRUE(PeerB->Datagrams().empty());
  EXPECT_EQ(PeersOfSlot(1), 0);  // the other steps run: the stop is carried out
  EXPECT_EQ(TooLargeBoxes(), 0);
}

TEST_F(FrameSenderTest, ADatagramLargerThanUdpAllowsIsAFailedSend) {
  // Noise at quality 5 fits the send buffer but not one datagram.
  StartCamera(fpRGB24, 1600, 1200, true);
  AddPeer("127.0.0.1", 1);
  Main->FJpegQuality = 5;
  Queue([this] { Main->StopClick(1); });
  DeliverFrame();
  EXPECT_GT(LastJpegSize(), 65507u);
  EXPECT_EQ(Main->FJpegQuality, 0);
  EXPECT_EQ(TooLargeBoxes(), 1);
  EXPECT_EQ(PeersOfSlot(1), 1);
}

TEST_F(FrameSenderTest, AFrameBufferThePictureCannotReadWarnsAtEveryFrame) {
  auto plan = Driver(0);
  plan->Format = FormatBlock(BI_RGB, 8, 8, 24, 0);  // image size 0
  Frame.assign(8 * 8 * 3, 0x40);
  ASSERT_TRUE(Open());
  InitFrameBuffers();
  AddPeer("127.0.0.1", 1);
  DeliverFrame();
  DeliverFrame();
  int warnings = 0;
  for (const TMessageBox& box : Boxes->Boxes())
    warnings += box.Text == SInvalidVideoFormat && box.Kind == mtWarning;
  EXPECT_EQ(warnings, 2);
  // The picture as it was (empty) goes out at the format's size.
  auto a = PeerA->Datagrams();
  ASSERT_EQ(a.size(), 2u);
  TBitmap decoded;
  DecodeJpeg(reinterpret_cast<const Byte*>(a[0].data()), a[0].size(), decoded);
  EXPECT_EQ(decoded.Width(), 8);
  EXPECT_EQ(decoded.Pixel(4, 4), TColor(0xFFFFFF));
}

TEST_F(FrameSenderTest, ReleasingTheCameraDuringTheFrameLetsItFinish) {
  StartCamera(fpYUY2, 32, 32);
  AddPeer("127.0.0.1", 1);
  AddPeer("127.0.0.2", 2);
  Queue([] {
    FreeFrameBuffers();
    AbortCapture();
    CloseCaptureDriver();
  });
  DeliverFrame();
  EXPECT_EQ(PeerA->Datagrams().size(), 1u);
  EXPECT_EQ(PeerB->Datagrams().size(), 1u);
  EXPECT_FALSE(FrameBuffersReady());
}

TEST_F(FrameSenderTest, TheMainWindowClosingDuringTheFrameEndsItQuietly) {
  StartCamera(fpYUY2, 32, 32);
  AddPeer("127.0.0.1", 1);
  AddPeer("127.0.0.2", 2);
  Queue([this] {
    delete Main;
    Main = nullptr;
  });
  DeliverFrame();
  EXPECT_EQ(frmMain, nullptr);
  EXPECT_TRUE(PeerA->Datagrams().empty());
}

namespace {

// Pixels a converter leaves alone (the rest of a partial group) keep what
// was there before; the tests fill both pictures with this first.
constexpr Byte kJunk = 0x5A;

// The picture ConvertFrame makes of a whole frame, bottom-up 32-bit rows.
std::vector<Byte> WholeFrameConversion(Byte Code, const std::vector<Byte>& Frame, int Width,
                                       int Height) {
  std::vector<Byte> pixels(std::size_t(Width) * 4 * std::size_t(Height), kJunk);
  EXPECT_TRUE(ConvertFrame(Code, Frame.data(), Frame.size(), pixels.data(), pixels.size(), Width,
                           Height));
  return pixels;
}

// The frame buffer's pixel area.
std::pair<Byte*, std::size_t> FrameBufferPixelArea() {
  // Size() is not const; the frame buffer itself is left as it is.
  TMemoryStream* stream = const_cast<TMemoryStream*>(FrameBuffer());
  Byte* file = static_cast<Byte*>(stream->Memory());
  const std::uint32_t offset = std::uint32_t(file[10]) | std::uint32_t(file[11]) << 8 |
                               std::uint32_t(file[12]) << 16 | std::uint32_t(file[13]) << 24;
  return {file + offset, std::size_t(stream->Size()) - offset};
}

std::vector<Byte> FrameBufferPixels() {
  auto [pixels, size] = FrameBufferPixelArea();
  return std::vector<Byte>(pixels, pixels + size);
}

// libjpeg itself, with the program's settings (baseline, defaults, float
// DCT), on bottom-up blue, green, red, 0 rows handed over as red, green, blue.
std::string PlainJpeg(const std::vector<Byte>& BottomUp, int Width, int Height, int Quality) {
  std::vector<Byte> rgb(std::size_t(Width) * 3 * std::size_t(Height));
  for (int y = 0; y < Height; ++y)
    for (int x = 0; x < Width; ++x) {
      const Byte* from = BottomUp.data() + (std::size_t(Height - 1 - y) * Width + x) * 4;
      Byte* to = rgb.data() + (std::size_t(y) * Width + x) * 3;
      to[0] = from[2];
      to[1] = from[1];
      to[2] = from[0];
    }
  return PlainJpegEncode(rgb.data(), Width, Height, Quality);
}

}  // namespace

// Frames of every YUV format are converted a stripe of rows at a time while
// they are encoded (most of them on a helper thread): the frame buffer ends
// up holding exactly what converting the whole frame at once gives, and the
// datagram is libjpeg's own encoding of that picture. The sizes leave rows
// and groups over at the right and at the bottom.
TEST_F(FrameSenderTest, EveryFormatSendsThePlainJpegOfTheWholeFrameConversion) {
  const TFramePixelFormat formats[] = {fpYUY2, fpUYVY, fpY41P, fpYVU9, fpI420, fpY8, fpY211};
  const std::pair<int, int> sizes[] = {{37, 53}, {64, 17}, {130, 96}, {20, 16}};
  StartCamera(fpYUY2, 8, 8);
  AddPeer("127.0.0.1", 1);
  for (TFramePixelFormat format : formats)
    for (auto [width, height] : sizes) {
      SCOPED_TRACE(std::to_string(int(format)) + ": " + std::to_string(width) + "x" +
                   std::to_string(height));
      const BITMAPINFOHEADER header = MakeFrameHeader(format, width, height);
      Drivers[0]->Format.assign(reinterpret_cast<const Byte*>(&header),
                                reinterpret_cast<const Byte*>(&header) + sizeof header);
      ReadVideoFormat();
      TVirtualCameraSettings settings;
      settings.Format = format;
      settings.Width = width;
      settings.Height = height;
      settings.Noise = true;
      Frame = MakeVirtualCameraFrame(settings, 11);
      auto [pixels, size] = FrameBufferPixelArea();
      std::memset(pixels, kJunk, size);
      DeliverFrame();

      const std::vector<Byte> expected =
          WholeFrameConversion(FrameConversionCode(), Frame, width, height);
      EXPECT_TRUE(FrameBufferPixels() == expected);
      auto got = PeerA->Datagrams();
      ASSERT_EQ(got.size(), 1u);
      EXPECT_TRUE(got[0] == PlainJpeg(expected, width, height, 95));
    }
}

// An encoder that gives up half way (the JPEG outgrows the send buffer)
// still leaves the whole frame in the frame buffer.
TEST_F(FrameSenderTest, AnEncoderThatGivesUpLeavesTheWholeFrameConverted) {
  StartCamera(fpYUY2, 1600, 1200, true);
  Main->FJpegQuality = 100;
  auto [pixels, size] = FrameBufferPixelArea();
  std::memset(pixels, kJunk, size);
  DeliverFrame();
  EXPECT_EQ(Main->FJpegQuality, 95);  // it did give up
  EXPECT_TRUE(FrameBufferPixels() ==
              WholeFrameConversion(FrameConversionCode(), Frame, 1600, 1200));
}
