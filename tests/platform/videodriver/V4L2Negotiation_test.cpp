// What the V4L2 driver settles on with cameras as libv4l2 presents them:
// the device's own formats before converted RGB, the size nearest the
// program's request, the frame interval nearest the requested frame time.
#include <gtest/gtest.h>

#include <cstring>

#include "FakeV4L2Device.h"
#include "platform/videodriver/FrameLayout.h"
#include "platform/videodriver/V4L2Driver.h"
#include "platform/videodriver/V4L2Offers.h"

namespace {

const std::vector<std::pair<int, int>> kWebcamSizes = {
    {160, 120}, {176, 144}, {320, 240}, {352, 288}, {640, 480}, {1280, 720}, {1920, 1080}};

BITMAPINFOHEADER Header(TCaptureDriver& driver) {
  BITMAPINFOHEADER h{};
  std::vector<Byte> block = driver.VideoFormat();
  if (block.size() >= sizeof h) std::memcpy(&h, block.data(), sizeof h);
  return h;
}

// The formats libv4l2 adds for a camera whose own format it converts.
void AddConversions(TFakeV4L2Device& device, const std::vector<std::pair<int, int>>& sizes) {
  for (std::uint32_t f : {V4L2_PIX_FMT_RGB24, V4L2_PIX_FMT_BGR24, V4L2_PIX_FMT_YUV420, V4L2_PIX_FMT_YVU420})
    device.Formats.push_back({f, sizes, {}, true});
}

TV4L2Offer Discrete(std::vector<std::pair<int, int>> sizes) {
  TV4L2Offer offer;
  offer.Sizes = std::move(sizes);
  return offer;
}

}  // namespace

TEST(V4L2Negotiation, AnMjpegOnlyCameraDeliversConvertedRgbOfTheNegotiatedSize) {
  TFakeV4L2Device device;
  device.Formats = {{V4L2_PIX_FMT_MJPEG, kWebcamSizes, {}}};
  AddConversions(device, kWebcamSizes);
  device.PixelFormat = V4L2_PIX_FMT_MJPEG;
  device.Width = 1920;
  device.Height = 1080;
  auto driver = CreateV4L2Driver("/dev/video0");
  ASSERT_TRUE(driver->Connect());
  // Only RGB of the conversions, marked as converted.
  for (const TVideoFormatChoice& c : driver->FormatChoices()) {
    EXPECT_EQ(c.PixelFormat, "RGB 24");
    EXPECT_TRUE(c.Emulated);
  }
  const BITMAPINFOHEADER rgb = MakeFrameHeader(fpRGB24, 384, 288);
  EXPECT_FALSE(driver->SetVideoFormat(rgb));  // 384 x 288 is not offered
  EXPECT_EQ(device.PixelFormat, V4L2_PIX_FMT_RGB24);
  const BITMAPINFOHEADER h = Header(*driver);
  EXPECT_EQ(h.biCompression, BI_RGB);
  EXPECT_EQ(h.biBitCount, 24);
  EXPECT_EQ(h.biWidth, 352);
  EXPECT_EQ(h.biHeight, 288);

  ASSERT_TRUE(driver->StartStreaming());
  std::vector<Byte> picture(352 * 288 * 3);
  picture[0] = 10;                        // top-left red
  picture[picture.size() - 3 * 352] = 20;  // bottom-left red
  ASSERT_TRUE(device.Produce(picture));
  TCapturedFrame frame;
  ASSERT_TRUE(driver->GrabFrame(frame));
  ASSERT_EQ(frame.Size, FrameImageSize(fpRGB24, 352, 288));
  EXPECT_EQ(frame.Data[2], 20);  // rows bottom-up, blue-green-red
  EXPECT_EQ(frame.Data[frame.Size - 352 * 3 + 2], 10);
  driver->ReleaseFrame(frame);
}

TEST(V4L2Negotiation, ACameraLeftInMjpegTakesItsOwnYuyvAtTheSizeNearestTheRequest) {
  TFakeV4L2Device device;
  device.Formats = {{V4L2_PIX_FMT_MJPEG, kWebcamSizes, {}}, {V4L2_PIX_FMT_YUYV, kWebcamSizes, {}}};
  AddConversions(device, kWebcamSizes);
  device.PixelFormat = V4L2_PIX_FMT_MJPEG;
  device.Width = 1280;
  device.Height = 720;
  auto driver = CreateV4L2Driver("/dev/video0");
  ASSERT_TRUE(driver->Connect());
  EXPECT_EQ(device.PixelFormat, V4L2_PIX_FMT_YUYV);
  driver->SetVideoFormat(MakeFrameHeader(fpRGB24, 384, 288));
  EXPECT_EQ(device.PixelFormat, V4L2_PIX_FMT_YUYV);  // converted RGB only without a YUV of its own
  const BITMAPINFOHEADER h = Header(*driver);
  EXPECT_EQ(h.biCompression, MakeFourCC('Y', 'U', 'Y', '2'));
  EXPECT_EQ(h.biWidth, 352);
  EXPECT_EQ(h.biHeight, 288);
  // The dialog still offers the converted RGB, after the camera's own.
  const std::vector<TVideoFormatChoice> choices = driver->FormatChoices();
  ASSERT_EQ(choices.size(), 2 * kWebcamSizes.size());
  EXPECT_EQ(choices.front().PixelFormat, "YUY2");
  EXPECT_FALSE(choices.front().Emulated);
  EXPECT_EQ(choices.back().PixelFormat, "RGB 24");
  EXPECT_TRUE(choices.back().Emulated);
  ASSERT_TRUE(driver->SelectFormatChoice(int(choices.size()) - 1));
  EXPECT_EQ(device.PixelFormat, V4L2_PIX_FMT_RGB24);
  EXPECT_EQ(Header(*driver).biWidth, 1920);
}

TEST(V4L2Negotiation, TheNearestSizeIsNoLargerThanAskedUnlessNothingSmallerExists) {
  EXPECT_EQ(NearestOfferedSize(Discrete(kWebcamSizes), 384, 288), std::make_pair(352, 288));
  EXPECT_EQ(NearestOfferedSize(Discrete({{320, 240}, {640, 480}}), 384, 288), std::make_pair(320, 240));
  EXPECT_EQ(NearestOfferedSize(Discrete({{1280, 720}, {640, 480}}), 384, 288), std::make_pair(640, 480));
  // Equal areas: the closer aspect ratio.
  EXPECT_EQ(NearestOfferedSize(Discrete({{240, 320}, {320, 240}}), 384, 288), std::make_pair(320, 240));
  TV4L2Offer range;
  range.Stepwise = true;
  range.Range = {160, 1280, 16, 120, 960, 8};
  EXPECT_EQ(NearestOfferedSize(range, 384, 288), std::make_pair(384, 288));
  EXPECT_EQ(NearestOfferedSize(range, 390, 290), std::make_pair(384, 288));
  EXPECT_EQ(NearestOfferedSize(range, 100, 100), std::make_pair(160, 120));
  EXPECT_EQ(NearestOfferedSize(TV4L2Offer{}, 384, 288), std::make_pair(384, 288));
}

TEST(V4L2Negotiation, TheFrameTimeSetIsTheNearestIntervalOfferedAndIsReportedBack) {
  TFakeV4L2Device device;
  device.Formats = {{V4L2_PIX_FMT_YUYV, {{4, 2}}, {}, false, {{1, 30}, {1, 25}, {1, 15}, {1, 5}}}};
  auto driver = CreateV4L2Driver("/dev/video0");
  ASSERT_TRUE(driver->Connect());
  CAPTUREPARMS parms{};
  ASSERT_TRUE(driver->GetCaptureParms(parms));
  parms.dwRequestMicroSecPerFrame = 66667;
  ASSERT_TRUE(driver->SetCaptureParms(parms));
  ASSERT_FALSE(device.IntervalsSet.empty());
  EXPECT_EQ(device.IntervalsSet.back().numerator, 1u);
  EXPECT_EQ(device.IntervalsSet.back().denominator, 15u);
  parms.dwRequestMicroSecPerFrame = 45000;
  ASSERT_TRUE(driver->SetCaptureParms(parms));
  EXPECT_EQ(device.IntervalsSet.back().denominator, 25u);
  ASSERT_TRUE(driver->GetCaptureParms(parms));
  EXPECT_EQ(parms.dwRequestMicroSecPerFrame, 40000u);

  // A device without settable intervals keeps its own; the request stays.
  device.TimePerFrame = false;
  device.IntervalsSet.clear();
  parms.dwRequestMicroSecPerFrame = 66667;
  ASSERT_TRUE(driver->SetCaptureParms(parms));
  EXPECT_TRUE(device.IntervalsSet.empty());
  ASSERT_TRUE(driver->GetCaptureParms(parms));
  EXPECT_EQ(parms.dwRequestMicroSecPerFrame, 66667u);
}

TEST(V4L2Negotiation, IntervalsComeFromTheListOrTheRange) {
  TV4L2Intervals list;
  list.Discrete = {{1, 30}, {1, 10}};
  EXPECT_EQ(NearestFrameInterval(list, 66667).denominator, 10u);
  TV4L2Intervals range;
  range.Stepwise = true;
  range.Range = {{1, 60}, {1, 5}, {1, 1000}};  // 16.7 ms to 200 ms in 1 ms steps
  const v4l2_fract f = NearestFrameInterval(range, 66667);
  EXPECT_EQ(IntervalMicroseconds(f), 66666u);  // 16666 + 50 steps of 1000
  EXPECT_EQ(IntervalMicroseconds(NearestFrameInterval(range, 1000000)), 199666u);  // last step
  EXPECT_EQ(IntervalMicroseconds(NearestFrameInterval(TV4L2Intervals{}, 66667)), 66667u);
}
