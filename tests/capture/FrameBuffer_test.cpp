// The frame buffer: one BMP file laid out after the driver's format, with
// the driver's own block as header for raw RGB and a 40-byte header for
// converted YUV frames.
#include <gtest/gtest.h>

#include <cstring>

#include "CaptureTestSupport.h"
#include "platform/base/Exceptions.h"
#include "platform/graphics/Bitmap.h"
#include "capture/VideoCap.h"
#include "capture/YUVConverts.h"
#include "platform/base/Streams.h"
#include "platform/graphics/Bitmap.h"
#include "platform/videodriver/DriverDialogs.h"

namespace {

std::uint32_t U32(const Byte* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
         std::uint32_t(p[3]) << 24;
}

const Byte* Bytes() { return static_cast<const Byte*>(FrameBuffer()->Memory()); }
std::size_t Size() { return std::size_t(const_cast<TMemoryStream*>(FrameBuffer())->Size()); }

void Deliver(const std::vector<Byte>& frame) {
  VIDEOHDR header{};
  header.lpData = const_cast<Byte*>(frame.data());
  header.dwBufferLength = header.dwBytesUsed = DWord(frame.size());
  CaptureFrameCallback(CaptureWindowHandle(), &header);
}

class FrameBufferTest : public CaptureTest {};

}  // namespace

TEST_F(FrameBufferTest, AskingFor384By288RgbWhichTheDriverTakes) {
  auto plan = Driver(0);
  plan->Format = FormatBlock(FourCC('Y', 'U', 'Y', '2'), 640, 480, 16, 640 * 480 * 2);
  plan->AcceptsFormat = true;
  ASSERT_TRUE(Open());
  InitFrameBuffers();
  ASSERT_EQ(plan->FormatRequests.size(), 1u);
  const BITMAPINFOHEADER& asked = plan->FormatRequests[0];
  EXPECT_EQ(asked.biWidth, 384);
  EXPECT_EQ(asked.biHeight, 288);
  EXPECT_EQ(asked.biBitCount, 24);
  EXPECT_EQ(asked.biCompression, BI_RGB);
  EXPECT_EQ(asked.biSizeImage, 331776u);

  EXPECT_TRUE(FrameBuffersReady());
  EXPECT_EQ(FrameConversionCode(), 1);
  ASSERT_EQ(Size(), 14u + 40u + 331776u);
  EXPECT_EQ(Bytes()[0], 'B');
  EXPECT_EQ(Bytes()[1], 'M');
  EXPECT_EQ(U32(Bytes() + 2), 14u + 40u + 331776u);
  EXPECT_EQ(U32(Bytes() + 6), 0u);
  EXPECT_EQ(U32(Bytes() + 10), 54u);
  EXPECT_EQ(std::memcmp(Bytes() + 14, plan->Format.data(), 40), 0);
}

TEST_F(FrameBufferTest, RawRgbKeepsTheDriversWholeBlockAndRows) {
  // A 32-bit bit-field format: the block carries three masks after the header.
  auto plan = Driver(0);
  plan->Format = FormatBlock(BI_BITFIELDS, 2, 2, 32, 16, 12);
  const DWord masks[3] = {0xFF0000, 0xFF00, 0xFF};
  std::memcpy(plan->Format.data() + 40, masks, 12);
  ASSERT_TRUE(Open());
  InitFrameBuffers();
  EXPECT_EQ(FrameConversionCode(), 1);
  ASSERT_EQ(Size(), 14u + 52u + 16u);
  EXPECT_EQ(U32(Bytes() + 10), 66u);
  EXPECT_EQ(std::memcmp(Bytes() + 14, plan->Format.data(), 52), 0);

  const std::vector<Byte> frame = {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 10, 11, 12, 0};
  Deliver(frame);
  EXPECT_EQ(std::memcmp(Bytes() + 66, frame.data(), 16), 0);
  // Bottom-up rows: the first row of the buffer is the bottom of the picture.
  EXPECT_EQ(FrameBitmap()->Pixel(0, 1), TColor(0x010203));
  EXPECT_EQ(FrameBitmap()->Pixel(1, 0), TColor(0x0A0B0C));
}

TEST_F(FrameBufferTest, YuvGetsAFortyByteHeaderFor32BitRows) {
  auto plan = Driver(0);
  plan->Format = FormatBlock(FourCC('Y', 'U', 'Y', '2'), 4, 2, 16, 16);
  ASSERT_TRUE(Open());
  InitFrameBuffers();
  EXPECT_EQ(FrameConversionCode(), 2);
  ASSERT_EQ(Size(), 14u + 40u + 32u);
  BITMAPINFOHEADER expected;
  InitBitmapInfoHeader(expected, 4, 2, 32);
  EXPECT_EQ(std::memcmp(Bytes() + 14, &expected, 40), 0);
  EXPECT_EQ(U32(Bytes() + 10), 54u);

  const std::vector<Byte> frame = {81, 90, 81, 240, 16, 128, 235, 128,
                                   128, 128, 128, 128, 255, 128, 255, 128};
  Deliver(frame);
  std::vector<Byte> converted(32);
  ASSERT_TRUE(ConvertFrame(2, frame.data(), frame.size(), converted.data(), 32, 4, 2));
  EXPECT_EQ(std::memcmp(Bytes() + 54, converted.data(), 32), 0);
  EXPECT_EQ(FrameBitmap()->PixelFormat(), pf32bit);
  EXPECT_EQ(FrameBitmap()->Pixel(0, 0), TColor(0x0000FE));  // (81, 90, 240): red 254
  EXPECT_EQ(FrameBitmap()->Pixel(3, 1), TColor(0xFFFFFF));
}

TEST_F(FrameBufferTest, AfterALongerRgbBlockYuvKeepsTheHeaderSize) {
  auto plan = Driver(0);
  plan->Format = FormatBlock(BI_BITFIELDS, 2, 2, 32, 16, 12);
  plan->FormatAfterDialog = FormatBlock(FourCC('I', '4', '2', '0'), 2, 2, 12, 6);
  plan->FormatDialog = true;
  ASSERT_TRUE(Open());
  InitFrameBuffers();
  SetDriverDialogHook([](TDriverDialogRequest& request) {
    request.Selected = 1;
    return true;
  });
  ShowVideoFormatDialog();
  SetDriverDialogHook(nullptr);
  ReadVideoFormat();
  EXPECT_EQ(FrameConversionCode(), 6);
  ASSERT_EQ(Size(), 14u + 52u + 16u);
  EXPECT_EQ(U32(Bytes() + 10), 66u);
  EXPECT_EQ(U32(Bytes() + 14), 40u);  // the header itself says 40
  EXPECT_EQ(U32(Bytes() + 14 + 4), 2u);
  EXPECT_EQ(Bytes()[14 + 40], 0xEE);  // left from the bit-field block

  Deliver({16, 16, 16, 16, 128, 128});
  EXPECT_EQ(FrameBitmap()->Pixel(1, 1), TColor(0));
}

TEST_F(FrameBufferTest, UnsupportedCompressionDropsFramesAndKeepsTheHeader) {
  auto plan = Driver(0);
  plan->Format = FormatBlock(FourCC('M', 'J', 'P', 'G'), 640, 480, 24, 10000);
  ASSERT_TRUE(Open());
  InitFrameBuffers();
  EXPECT_EQ(FrameConversionCode(), 0);
  ASSERT_EQ(Size(), 14u + 40u + 331776u);  // laid out for the header asked for
  EXPECT_EQ(U32(Bytes() + 14 + 4), 384u);
  Deliver(std::vector<Byte>(10000, 1));
  EXPECT_TRUE(FrameBitmap()->Empty());
  EXPECT_TRUE(Boxes->Boxes().empty());
}

TEST_F(FrameBufferTest, AnRgbFrameShorterThanItsFormatIsNotRead) {
  auto plan = Driver(0);
  plan->Format = FormatBlock(BI_RGB, 4, 4, 24, 48);
  ASSERT_TRUE(Open());
  InitFrameBuffers();
  Deliver(std::vector<Byte>(47, 9));
  EXPECT_TRUE(FrameBitmap()->Empty());
  Deliver(std::vector<Byte>(48, 9));
  EXPECT_FALSE(FrameBitmap()->Empty());
}

TEST_F(FrameBufferTest, ImpossibleSizesAreDroppedNotAllocated) {
  auto plan = Driver(0);
  plan->Format = FormatBlock(FourCC('Y', 'U', 'Y', '2'), 100000, 100000, 16, 0);
  ASSERT_TRUE(Open());
  InitFrameBuffers();
  EXPECT_EQ(FrameConversionCode(), 0);
  plan->Format = FormatBlock(BI_RGB, 100000, 100000, 24, 0xFFFFFFF0u);
  ReadVideoFormat();
  EXPECT_EQ(FrameConversionCode(), 0);
  EXPECT_LT(Size(), 1000000u);
}

TEST_F(FrameBufferTest, AShortFormatBlockCountsAsNoFormat) {
  auto plan = Driver(0);
  plan->Format.assign(20, 0);
  ASSERT_TRUE(Open());
  EXPECT_THROW(InitFrameBuffers(), Exception);
  EXPECT_FALSE(FrameBuffersReady());
}

TEST_F(FrameBufferTest, FreeingLeavesNothingSetUp) {
  Driver(0)->Format = FormatBlock(BI_RGB, 4, 4, 24, 48);
  ASSERT_TRUE(Open());
  InitFrameBuffers();
  ASSERT_TRUE(FrameBuffersReady());
  FreeFrameBuffers();
  EXPECT_FALSE(FrameBuffersReady());
  EXPECT_EQ(FrameBuffer(), nullptr);
  Deliver(std::vector<Byte>(48, 9));  // ignored
}
