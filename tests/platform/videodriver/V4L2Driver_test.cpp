// The V4L2 driver against the fake device: which formats it offers and
// reports, how frames come out of the mmap buffers, and the controls.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "FakeV4L2Device.h"
#include "platform/videodriver/FrameLayout.h"
#include "platform/videodriver/V4L2Driver.h"

namespace {

BITMAPINFOHEADER Header(TCaptureDriver& driver) {
  BITMAPINFOHEADER h{};
  std::vector<Byte> block = driver.VideoFormat();
  EXPECT_EQ(block.size(), sizeof h);
  std::memcpy(&h, block.data(), std::min(block.size(), sizeof h));
  return h;
}

TFakeControl Control(std::uint32_t id, std::uint32_t type, const char* name, int min, int max,
                     int def, int value, std::uint32_t flags = 0) {
  TFakeControl c{};
  c.Query.id = id;
  c.Query.type = type;
  std::strncpy(reinterpret_cast<char*>(c.Query.name), name, sizeof c.Query.name - 1);
  c.Query.minimum = min;
  c.Query.maximum = max;
  c.Query.step = 1;
  c.Query.default_value = def;
  c.Query.flags = flags;
  c.Value = value;
  return c;
}

std::vector<Byte> Bytes(std::size_t n, int start = 0) {
  std::vector<Byte> v(n);
  for (std::size_t i = 0; i < n; ++i) v[i] = Byte(start + int(i));
  return v;
}

}  // namespace

TEST(V4L2Driver, PixelFormatsMapToTheCompressionCodes) {
  const std::pair<std::uint32_t, DWord> cases[] = {
      {V4L2_PIX_FMT_YUYV, MakeFourCC('Y', 'U', 'Y', '2')},
      {V4L2_PIX_FMT_UYVY, MakeFourCC('U', 'Y', 'V', 'Y')},
      {V4L2_PIX_FMT_YUV420, MakeFourCC('I', '4', '2', '0')},
      {V4L2_PIX_FMT_GREY, MakeFourCC('Y', '8', ' ', ' ')},
      {V4L2_PIX_FMT_Y41P, MakeFourCC('Y', '4', '1', 'P')},
      {V4L2_PIX_FMT_YVU410, MakeFourCC('Y', 'V', 'U', '9')},
      {V4L2_PIX_FMT_BGR24, BI_RGB},
      {V4L2_PIX_FMT_RGB24, BI_RGB},
  };
  for (const auto& [pixel, compression] : cases) {
    TFakeV4L2Device device;
    device.Formats = {{pixel, {{8, 4}}, {}}};
    device.PixelFormat = pixel;
    device.Width = 8;
    device.Height = 4;
    auto driver = CreateV4L2Driver("/dev/video0");
    ASSERT_TRUE(driver->Connect()) << pixel;
    const BITMAPINFOHEADER h = Header(*driver);
    EXPECT_EQ(h.biCompression, compression) << pixel;
    EXPECT_EQ(h.biWidth, 8);
    EXPECT_EQ(h.biHeight, 4);
    const TFrameFormatInfo* info = FindFrameFormat(h.biCompression, h.biBitCount);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(h.biSizeImage, FrameImageSize(info->Format, 8, 4));
  }
}

TEST(V4L2Driver, ADeviceWithoutAReadableFormatDoesNotConnectAndSaysWhatItHas) {
  TFakeV4L2Device device;  // nothing libv4l2 converts: no emulated formats
  device.Formats = {{V4L2_PIX_FMT_H264, {{640, 480}}, {}}};
  device.PixelFormat = V4L2_PIX_FMT_H264;
  auto driver = CreateV4L2Driver("/dev/video0");
  EXPECT_FALSE(driver->Connect());
  EXPECT_EQ(driver->LastError(),
            "/dev/video0: no picture format the program can read (the camera offers H264)");
  EXPECT_FALSE(driver->NotFound());
  EXPECT_EQ(device.OpenHandles, 0);
}

TEST(V4L2Driver, MissingOrNonCaptureDevicesDoNotConnect) {
  TFakeV4L2Device device("/dev/video3");
  auto missing = CreateV4L2Driver("/dev/video0");
  EXPECT_FALSE(missing->Connect());
  EXPECT_EQ(missing->LastError(), "/dev/video0: No such file or directory");
  EXPECT_TRUE(missing->NotFound());
  device.Capabilities = V4L2_CAP_VIDEO_OUTPUT | V4L2_CAP_STREAMING;
  auto output = CreateV4L2Driver("/dev/video3");
  EXPECT_FALSE(output->Connect());
  EXPECT_TRUE(output->NotFound());
  EXPECT_EQ(device.OpenHandles, 0);
}

TEST(V4L2Driver, AnUnreadableCurrentFormatIsReplacedByTheFirstReadableOne) {
  TFakeV4L2Device device;
  device.Formats = {{V4L2_PIX_FMT_MJPEG, {{640, 480}}, {}}, {V4L2_PIX_FMT_UYVY, {{320, 240}}, {}}};
  device.PixelFormat = V4L2_PIX_FMT_MJPEG;
  auto driver = CreateV4L2Driver("/dev/video0");
  ASSERT_TRUE(driver->Connect());
  EXPECT_EQ(device.PixelFormat, V4L2_PIX_FMT_UYVY);
  EXPECT_EQ(Header(*driver).biCompression, MakeFourCC('U', 'Y', 'V', 'Y'));
  EXPECT_EQ(Header(*driver).biWidth, 320);
}

TEST(V4L2Driver, TheFormatDialogOffersEverySizeOfEveryReadableFormat) {
  TFakeV4L2Device device;
  v4l2_frmsize_stepwise range{};
  range.min_width = 160;
  range.max_width = 640;
  range.step_width = 16;
  range.min_height = 120;
  range.max_height = 480;
  range.step_height = 8;
  device.Formats = {{V4L2_PIX_FMT_YUYV, {{640, 480}, {320, 240}}, {}},
                    {V4L2_PIX_FMT_MJPEG, {{1280, 720}}, {}},
                    {V4L2_PIX_FMT_RGB24, {}, range},
                    {V4L2_PIX_FMT_BGR24, {{64, 48}}, {}}};
  device.Width = 640;
  device.Height = 480;
  auto driver = CreateV4L2Driver("/dev/video0");
  ASSERT_TRUE(driver->Connect());
  std::vector<std::string> offered;
  for (const TVideoFormatChoice& c : driver->FormatChoices())
    offered.push_back(c.PixelFormat + " " + std::to_string(c.Width) + "x" + std::to_string(c.Height));
  // A range offers the common sizes inside it; RGB is offered once.
  const std::vector<std::string> expected = {
      "YUY2 640x480",   "YUY2 320x240",   "RGB 24 160x120", "RGB 24 176x144",
      "RGB 24 320x240", "RGB 24 352x288", "RGB 24 384x288", "RGB 24 640x480"};
  EXPECT_EQ(offered, expected);
  EXPECT_EQ(driver->CurrentFormatChoice(), 0);
  EXPECT_TRUE(driver->HasFormatDialog());

  ASSERT_TRUE(driver->SelectFormatChoice(6));
  EXPECT_EQ(device.PixelFormat, V4L2_PIX_FMT_RGB24);
  EXPECT_EQ(Header(*driver).biWidth, 384);
  EXPECT_EQ(Header(*driver).biBitCount, 24);
  EXPECT_EQ(driver->CurrentFormatChoice(), 6);
}

TEST(V4L2Driver, AFormatTheDeviceLacksKeepsTheLayoutAndTakesTheNearestSize) {
  TFakeV4L2Device device;
  auto driver = CreateV4L2Driver("/dev/video0");
  ASSERT_TRUE(driver->Connect());
  BITMAPINFOHEADER rgb = MakeFrameHeader(fpRGB24, 384, 288);
  EXPECT_FALSE(driver->SetVideoFormat(rgb));  // not as asked
  EXPECT_EQ(Header(*driver).biCompression, MakeFourCC('Y', 'U', 'Y', '2'));
  EXPECT_EQ(Header(*driver).biWidth, 8);
  BITMAPINFOHEADER yuy2 = MakeFrameHeader(fpYUY2, 4, 2);
  EXPECT_TRUE(driver->SetVideoFormat(yuy2));
  EXPECT_EQ(Header(*driver).biWidth, 4);
}

TEST(V4L2Driver, TightFramesComeStraightFromTheMappedBuffer) {
  TFakeV4L2Device device;
  auto driver = CreateV4L2Driver("/dev/video0");
  ASSERT_TRUE(driver->Connect());
  ASSERT_TRUE(driver->StartStreaming());
  EXPECT_TRUE(device.Streaming);
  EXPECT_EQ(device.QueuedBuffers(), 4);
  TCapturedFrame frame;
  EXPECT_FALSE(driver->GrabFrame(frame));  // nothing captured yet
  const std::vector<Byte> picture = Bytes(16);
  ASSERT_TRUE(device.Produce(picture));
  ASSERT_TRUE(driver->GrabFrame(frame));
  ASSERT_EQ(frame.Size, 16u);
  EXPECT_EQ(std::memcmp(frame.Data, picture.data(), 16), 0);
  EXPECT_EQ(device.QueuedBuffers(), 3);
  driver->ReleaseFrame(frame);
  EXPECT_EQ(device.QueuedBuffers(), 4);
  driver->Disconnect();
  EXPECT_FALSE(device.Streaming);
  EXPECT_EQ(device.Mapped, 0);
  EXPECT_EQ(device.OpenHandles, 0);
}

TEST(V4L2Driver, TheNewestFrameIsTakenAndOlderOnesGoBack) {
  TFakeV4L2Device device;
  auto driver = CreateV4L2Driver("/dev/video0");
  ASSERT_TRUE(driver->Connect());
  ASSERT_TRUE(driver->StartStreaming());
  ASSERT_TRUE(device.Produce(Bytes(16, 0)));
  ASSERT_TRUE(device.Produce(Bytes(16, 100)));
  TCapturedFrame frame;
  ASSERT_TRUE(driver->GrabFrame(frame));
  EXPECT_EQ(frame.Data[0], 100);
  EXPECT_EQ(device.QueuedBuffers(), 3);
  driver->ReleaseFrame(frame);
  EXPECT_FALSE(driver->GrabFrame(frame));
}

TEST(V4L2Driver, RgbRowsTurnBottomUpBlueGreenRedAndPadded) {
  TFakeV4L2Device device;
  device.Formats = {{V4L2_PIX_FMT_RGB24, {{3, 2}}, {}}};
  device.PixelFormat = V4L2_PIX_FMT_RGB24;
  device.Width = 3;
  device.Height = 2;
  device.ExtraBytesPerLine = 2;
  auto driver = CreateV4L2Driver("/dev/video0");
  ASSERT_TRUE(driver->Connect());
  ASSERT_TRUE(driver->StartStreaming());
  // Top row red, green, blue; bottom row white, grey, black (R, G, B order).
  const std::vector<Byte> top = {255, 0, 0, 0, 255, 0, 0, 0, 255, 7, 7};
  const std::vector<Byte> bottom = {255, 255, 255, 128, 128, 128, 0, 0, 0, 7, 7};
  std::vector<Byte> picture = top;
  picture.insert(picture.end(), bottom.begin(), bottom.end());
  ASSERT_TRUE(device.Produce(picture));
  TCapturedFrame frame;
  ASSERT_TRUE(driver->GrabFrame(frame));
  const std::vector<Byte> expected = {255, 255, 255, 128, 128, 128, 0, 0, 0, 0, 0, 0,   // bottom
                                      0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0};       // top, BGR
  ASSERT_EQ(frame.Size, expected.size());
  EXPECT_EQ(std::vector<Byte>(frame.Data, frame.Data + frame.Size), expected);
  EXPECT_EQ(device.QueuedBuffers(), 4);  // the device buffer went back at once
  driver->ReleaseFrame(frame);
}

TEST(V4L2Driver, BgrRowsKeepTheirByteOrder) {
  TFakeV4L2Device device;
  device.Formats = {{V4L2_PIX_FMT_BGR24, {{1, 1}}, {}}};
  device.PixelFormat = V4L2_PIX_FMT_BGR24;
  device.Width = device.Height = 1;
  auto driver = CreateV4L2Driver("/dev/video0");
  ASSERT_TRUE(driver->Connect());
  ASSERT_TRUE(driver->StartStreaming());
  ASSERT_TRUE(device.Produce({1, 2, 3}));
  TCapturedFrame frame;
  ASSERT_TRUE(driver->GrabFrame(frame));
  EXPECT_EQ(std::vector<Byte>(frame.Data, frame.Data + frame.Size), (std::vector<Byte>{1, 2, 3, 0}));
  driver->ReleaseFrame(frame);
}

TEST(V4L2Driver, PaddedPackedAndPlanarRowsArePackedTight) {
  {
    TFakeV4L2Device device;
    device.ExtraBytesPerLine = 4;
    auto driver = CreateV4L2Driver("/dev/video0");
    ASSERT_TRUE(driver->Connect());
    ASSERT_TRUE(driver->StartStreaming());
    std::vector<Byte> padded = Bytes(8, 0);
    padded.insert(padded.end(), {0xAA, 0xAA, 0xAA, 0xAA});
    const std::vector<Byte> second = Bytes(8, 50);
    padded.insert(padded.end(), second.begin(), second.end());
    ASSERT_TRUE(device.Produce(padded));
    TCapturedFrame frame;
    ASSERT_TRUE(driver->GrabFrame(frame));
    std::vector<Byte> expected = Bytes(8, 0);
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(std::vector<Byte>(frame.Data, frame.Data + frame.Size), expected);
    driver->ReleaseFrame(frame);
  }
  {
    TFakeV4L2Device device;
    device.Formats = {{V4L2_PIX_FMT_YUV420, {{2, 2}}, {}}};
    device.PixelFormat = V4L2_PIX_FMT_YUV420;
    device.Width = device.Height = 2;
    device.ExtraBytesPerLine = 2;  // luma rows of 4, chroma rows of 2
    auto driver = CreateV4L2Driver("/dev/video0");
    ASSERT_TRUE(driver->Connect());
    ASSERT_TRUE(driver->StartStreaming());
    ASSERT_TRUE(device.Produce({10, 11, 0, 0, 12, 13, 0, 0, 20, 0, 30, 0}));
    TCapturedFrame frame;
    ASSERT_TRUE(driver->GrabFrame(frame));
    EXPECT_EQ(std::vector<Byte>(frame.Data, frame.Data + frame.Size),
              (std::vector<Byte>{10, 11, 12, 13, 20, 30}));
    driver->ReleaseFrame(frame);
  }
}

TEST(V4L2Driver, TheSourceDialogListsTheUsableControls) {
  TFakeV4L2Device device;
  device.Controls = {Control(V4L2_CID_BRIGHTNESS, V4L2_CTRL_TYPE_INTEGER, "Brightness", 0, 255, 128, 100),
                     Control(V4L2_CID_AUTOGAIN, V4L2_CTRL_TYPE_BOOLEAN, "Gain, Automatic", 0, 1, 1, 0),
                     Control(V4L2_CID_POWER_LINE_FREQUENCY, V4L2_CTRL_TYPE_MENU,
                             "Power Line Frequency", 0, 2, 1, 2),
                     Control(V4L2_CID_CONTRAST, V4L2_CTRL_TYPE_INTEGER, "Contrast", 0, 10, 5, 5,
                             V4L2_CTRL_FLAG_DISABLED),
                     Control(V4L2_CID_HUE, V4L2_CTRL_TYPE_INTEGER64, "Hue", 0, 10, 5, 5)};
  device.Controls[2].Menu = {"Disabled", "50 Hz", "60 Hz"};
  for (bool enumerates : {true, false}) {
    device.EnumeratesControls = enumerates;
    device.Controls[0].Value = 100;
    auto driver = CreateV4L2Driver("/dev/video0");
    ASSERT_TRUE(driver->Connect());
    const std::vector<TVideoSourceControl> controls = driver->SourceControls();
    ASSERT_EQ(controls.size(), 3u);
    EXPECT_EQ(controls[0].Name, "Brightness");
    EXPECT_EQ(controls[0].Kind, sckInteger);
    EXPECT_EQ(controls[0].Maximum, 255);
    EXPECT_EQ(controls[0].Default, 128);
    EXPECT_EQ(controls[0].Value, 100);
    EXPECT_EQ(controls[1].Kind, sckBoolean);
    EXPECT_EQ(controls[2].Kind, sckMenu);
    EXPECT_EQ(controls[2].MenuItems, (std::vector<std::string>{"Disabled", "50 Hz", "60 Hz"}));
    EXPECT_EQ(controls[2].Value, 2);
    EXPECT_TRUE(driver->HasSourceDialog());
    driver->SetSourceControl(V4L2_CID_BRIGHTNESS, 42);
    EXPECT_EQ(device.ControlsSet[V4L2_CID_BRIGHTNESS], 42);
  }
}

TEST(V4L2Driver, AnUnpluggedDeviceIsLetGoAndConnectsAgainWhenBack) {
  TFakeV4L2Device device;
  auto driver = CreateV4L2Driver("/dev/video0");
  ASSERT_TRUE(driver->Connect());
  ASSERT_TRUE(driver->StartStreaming());
  ASSERT_TRUE(device.Produce(Bytes(16)));
  device.Unplug();
  TCapturedFrame frame;
  EXPECT_FALSE(driver->GrabFrame(frame));
  EXPECT_EQ(driver->LastError(), "/dev/video0: No such device");
  EXPECT_EQ(device.OpenHandles, 0);
  EXPECT_EQ(device.Mapped, 0);
  EXPECT_FALSE(driver->GrabFrame(frame));
  EXPECT_TRUE(driver->VideoFormat().empty());
  EXPECT_FALSE(driver->Connect());
  EXPECT_TRUE(driver->NotFound());
  device.Replug();
  ASSERT_TRUE(driver->Connect());
  ASSERT_TRUE(driver->StartStreaming());
  ASSERT_TRUE(device.Produce(Bytes(16, 9)));
  ASSERT_TRUE(driver->GrabFrame(frame));
  EXPECT_EQ(frame.Data[0], 9);
  driver->ReleaseFrame(frame);
}

TEST(V4L2Driver, AFormatChangeWhileStreamingRestartsTheStream) {
  TFakeV4L2Device device;
  auto driver = CreateV4L2Driver("/dev/video0");
  ASSERT_TRUE(driver->Connect());
  ASSERT_TRUE(driver->StartStreaming());
  ASSERT_TRUE(device.Produce(Bytes(16)));
  TCapturedFrame held;
  ASSERT_TRUE(driver->GrabFrame(held));
  ASSERT_TRUE(driver->SelectFormatChoice(1));  // 8 x 4
  EXPECT_TRUE(device.Streaming);
  EXPECT_EQ(device.Width, 8);
  driver->ReleaseFrame(held);  // a buffer of the old stream: nothing to give back
  EXPECT_EQ(device.QueuedBuffers(), 4);
  ASSERT_TRUE(device.Produce(Bytes(64)));
  TCapturedFrame frame;
  ASSERT_TRUE(driver->GrabFrame(frame));
  EXPECT_EQ(frame.Size, 64u);
  driver->ReleaseFrame(frame);
}
