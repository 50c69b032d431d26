#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "capture/YUVConverts.h"

namespace {

struct Bgr {
  int b, g, r, zero;
};

Bgr Unpack(std::uint32_t px) {
  std::uint8_t bytes[4];
  std::memcpy(bytes, &px, 4);
  return {bytes[0], bytes[1], bytes[2], bytes[3]};
}

Bgr PixelAt(const std::vector<std::uint8_t>& rows, int width, int x, int outRow) {
  const std::uint8_t* p = rows.data() + (std::size_t(outRow) * width + x) * 4;
  return {p[0], p[1], p[2], p[3]};
}

void ExpectPixel(Bgr got, int b, int g, int r) {
  EXPECT_EQ(got.b, b);
  EXPECT_EQ(got.g, g);
  EXPECT_EQ(got.r, r);
  EXPECT_EQ(got.zero, 0);
}

constexpr std::uint32_t Four(const char* s) {
  return std::uint32_t(std::uint8_t(s[0])) | std::uint32_t(std::uint8_t(s[1])) << 8 |
         std::uint32_t(std::uint8_t(s[2])) << 16 | std::uint32_t(std::uint8_t(s[3])) << 24;
}

}  // namespace

TEST(YUVToRGB, TruncatesTowardZeroAndClamps) {
  ExpectPixel(Unpack(YUVToRGB(16, 128, 128)), 0, 0, 0);
  ExpectPixel(Unpack(YUVToRGB(128, 128, 128)), 130, 130, 130);
  // 219 * 1.1643828125 = 254.9998...: truncation keeps 254.
  ExpectPixel(Unpack(YUVToRGB(235, 128, 128)), 254, 254, 254);
  ExpectPixel(Unpack(YUVToRGB(255, 128, 128)), 255, 255, 255);
  // Blue -0.97 and green -0.48 truncate to 0, not to -1 clamped.
  ExpectPixel(Unpack(YUVToRGB(81, 90, 240)), 0, 0, 254);
}

TEST(GetConversionCode, MapsCompressionValues) {
  EXPECT_EQ(GetConversionCode(0), 1);
  EXPECT_EQ(GetConversionCode(3), 1);
  EXPECT_EQ(GetConversionCode(Four("YUY2")), 2);
  EXPECT_EQ(GetConversionCode(Four("UYVY")), 3);
  EXPECT_EQ(GetConversionCode(Four("Y41P")), 4);
  EXPECT_EQ(GetConversionCode(Four("YVU9")), 5);
  EXPECT_EQ(GetConversionCode(Four("I420")), 6);
  EXPECT_EQ(GetConversionCode(Four("Y8  ")), 7);
  EXPECT_EQ(GetConversionCode(Four("Y211")), 8);
  EXPECT_EQ(GetConversionCode(1), 0);  // RLE8
  EXPECT_EQ(GetConversionCode(Four("MJPG")), 0);
}

TEST(ConvertFrame, UnsupportedCodesWriteNothing) {
  std::vector<std::uint8_t> src(64, 0x80), dst(64, 0xEE);
  EXPECT_FALSE(ConvertFrame(0, src.data(), src.size(), dst.data(), dst.size(), 2, 2));
  EXPECT_FALSE(ConvertFrame(1, src.data(), src.size(), dst.data(), dst.size(), 2, 2));
  EXPECT_FALSE(ConvertFrame(9, src.data(), src.size(), dst.data(), dst.size(), 2, 2));
  for (auto b : dst) ASSERT_EQ(b, 0xEE);
  // Only the low seven bits count: 0x86 is I420.
  EXPECT_TRUE(ConvertFrame(0x86, src.data(), src.size(), dst.data(), dst.size(), 2, 2));
}

TEST(ConvertFrame, RefusesShortSourceOrDestinationAndBadSizes) {
  std::vector<std::uint8_t> src(7, 0x80), dst(16, 0xEE);
  // A 2x2 YUY2 frame needs 8 source bytes.
  EXPECT_FALSE(ConvertFrame(2, src.data(), src.size(), dst.data(), dst.size(), 2, 2));
  src.resize(8);
  EXPECT_FALSE(ConvertFrame(2, src.data(), src.size(), dst.data(), 15, 2, 2));
  EXPECT_FALSE(ConvertFrame(2, src.data(), src.size(), dst.data(), dst.size(), 0, 2));
  EXPECT_FALSE(ConvertFrame(2, src.data(), src.size(), dst.data(), dst.size(), 2, -1));
  for (auto b : dst) ASSERT_EQ(b, 0xEE);
  EXPECT_TRUE(ConvertFrame(2, src.data(), src.size(), dst.data(), dst.size(), 2, 2));
}

TEST(ConvertI420, TwoByTwoFrameLandsBottomUp) {
  // Luma rows: top (16, 235), bottom (128, 255); one U and one V.
  std::vector<std::uint8_t> src = {16, 235, 128, 255, 128, 128};
  std::vector<std::uint8_t> dst(16, 0xEE);
  ASSERT_TRUE(ConvertFrame(6, src.data(), src.size(), dst.data(), dst.size(), 2, 2));
  // The top source row is the last output row.
  ExpectPixel(PixelAt(dst, 2, 0, 1), 0, 0, 0);
  ExpectPixel(PixelAt(dst, 2, 1, 1), 254, 254, 254);
  ExpectPixel(PixelAt(dst, 2, 0, 0), 130, 130, 130);
  ExpectPixel(PixelAt(dst, 2, 1, 0), 255, 255, 255);
}

TEST(ConvertYUY2, OddWidthLeavesLastPixelAndUsesPairChroma) {
  // Width 3: row length 6 bytes, one whole pair; pixel 2 untouched.
  std::vector<std::uint8_t> src = {81, 90, 128, 240, 0, 0,  //
                                   128, 128, 16, 128, 0, 0};
  std::vector<std::uint8_t> dst(3 * 4 * 2, 0xEE);
  ASSERT_TRUE(ConvertFrame(2, src.data(), src.size(), dst.data(), dst.size(), 3, 2));
  ExpectPixel(PixelAt(dst, 3, 0, 1), Unpack(YUVToRGB(81, 90, 240)).b, Unpack(YUVToRGB(81, 90, 240)).g,
              Unpack(YUVToRGB(81, 90, 240)).r);
  EXPECT_EQ(PixelAt(dst, 3, 1, 1).r, Unpack(YUVToRGB(128, 90, 240)).r);
  EXPECT_EQ(PixelAt(dst, 3, 2, 1).b, 0xEE);
  ExpectPixel(PixelAt(dst, 3, 0, 0), 130, 130, 130);
  ExpectPixel(PixelAt(dst, 3, 1, 0), 0, 0, 0);
  EXPECT_EQ(PixelAt(dst, 3, 2, 0).b, 0xEE);
}

TEST(ConvertUYVY, ReadsChromaFirst) {
  std::vector<std::uint8_t> src = {128, 16, 128, 235};
  std::vector<std::uint8_t> dst(8, 0xEE);
  ASSERT_TRUE(ConvertFrame(3, src.data(), src.size(), dst.data(), dst.size(), 2, 1));
  ExpectPixel(PixelAt(dst, 2, 0, 0), 0, 0, 0);
  ExpectPixel(PixelAt(dst, 2, 1, 0), 254, 254, 254);
}

TEST(ConvertY41P, WidthEightWritesAllPixelsWithTheirChromaPair) {
  // Two rows; group: U0 Y0 V0 Y1 U4 Y2 V4 Y3 Y4 Y5 Y6 Y7.
  std::vector<std::uint8_t> src = {128, 16, 128, 235, 90, 128, 240, 128, 81, 81, 81, 81,
                                   128, 128, 128, 128, 128, 128, 128, 128, 128, 128, 128, 128};
  std::vector<std::uint8_t> dst(8 * 4 * 2, 0xEE);
  ASSERT_TRUE(ConvertFrame(4, src.data(), src.size(), dst.data(), dst.size(), 8, 2));
  ExpectPixel(PixelAt(dst, 8, 0, 1), 0, 0, 0);
  ExpectPixel(PixelAt(dst, 8, 1, 1), 254, 254, 254);
  // Pixels 2 and 3 still take the first pair (U0, V0), not U4/V4.
  ExpectPixel(PixelAt(dst, 8, 2, 1), 130, 130, 130);
  ExpectPixel(PixelAt(dst, 8, 3, 1), 130, 130, 130);
  ExpectPixel(PixelAt(dst, 8, 4, 1), 0, 0, 254);
  ExpectPixel(PixelAt(dst, 8, 7, 1), 0, 0, 254);
  for (int x = 0; x < 8; ++x) ExpectPixel(PixelAt(dst, 8, x, 0), 130, 130, 130);
}

TEST(ConvertY41P, PartialGroupStillWritesWholeWidth) {
  std::vector<std::uint8_t> src(12, 128);
  std::vector<std::uint8_t> dst(5 * 4, 0xEE);
  ASSERT_TRUE(ConvertFrame(4, src.data(), src.size(), dst.data(), dst.size(), 5, 1));
  for (int x = 0; x < 5; ++x) ExpectPixel(PixelAt(dst, 5, x, 0), 130, 130, 130);
}

TEST(ConvertYVU9, FourByFourBlocksTakeVPlaneBeforeU) {
  // 4x4 luma of 81, then V = 240, then U = 90.
  std::vector<std::uint8_t> src(16, 81);
  src.push_back(240);
  src.push_back(90);
  std::vector<std::uint8_t> dst(4 * 4 * 4, 0xEE);
  ASSERT_TRUE(ConvertFrame(5, src.data(), src.size(), dst.data(), dst.size(), 4, 4));
  for (int row = 0; row < 4; ++row)
    for (int x = 0; x < 4; ++x) ExpectPixel(PixelAt(dst, 4, x, row), 0, 0, 254);
}

TEST(ConvertYVU9, RowsOutsideWholeBlocksAreLeftAlone) {
  // 5x5: one whole 4x4 block; the fifth row and column stay untouched.
  const int w = 5, h = 5;
  std::vector<std::uint8_t> src(SourceFrameSize(5, w, h), 128);
  std::vector<std::uint8_t> dst(w * 4 * h, 0xEE);
  ASSERT_TRUE(ConvertFrame(5, src.data(), src.size(), dst.data(), dst.size(), w, h));
  // Source rows 0..3 land in output rows 4..1; output row 0 is source row 4.
  EXPECT_EQ(PixelAt(dst, w, 0, 0).b, 0xEE);
  EXPECT_EQ(PixelAt(dst, w, 4, 1).b, 0xEE);
  ExpectPixel(PixelAt(dst, w, 3, 1), 130, 130, 130);
}

TEST(ConvertI420, ChromaRowRepeatsForThePairOfRows) {
  // 2x4: chroma rows differ, each shared by two luma rows.
  std::vector<std::uint8_t> src = {81, 81, 81, 81, 128, 128, 128, 128,  // luma
                                   90, 128,                             // U rows
                                   240, 128};                           // V rows
  std::vector<std::uint8_t> dst(2 * 4 * 4, 0xEE);
  ASSERT_TRUE(ConvertFrame(6, src.data(), src.size(), dst.data(), dst.size(), 2, 4));
  ExpectPixel(PixelAt(dst, 2, 0, 3), 0, 0, 254);
  ExpectPixel(PixelAt(dst, 2, 1, 2), 0, 0, 254);
  ExpectPixel(PixelAt(dst, 2, 0, 1), 130, 130, 130);
  ExpectPixel(PixelAt(dst, 2, 1, 0), 130, 130, 130);
}

TEST(ConvertY8, CopiesLumaWithoutRangeExpansion) {
  std::vector<std::uint8_t> src = {16, 200, 0};
  std::vector<std::uint8_t> dst(12, 0xEE);
  ASSERT_TRUE(ConvertFrame(7, src.data(), src.size(), dst.data(), dst.size(), 3, 1));
  ExpectPixel(PixelAt(dst, 3, 0, 0), 16, 16, 16);
  ExpectPixel(PixelAt(dst, 3, 1, 0), 200, 200, 200);
  ExpectPixel(PixelAt(dst, 3, 2, 0), 0, 0, 0);
}

TEST(ConvertY211, PixelPairsShareTheirLuma) {
  std::vector<std::uint8_t> src = {16, 128, 235, 128};
  std::vector<std::uint8_t> dst(16, 0xEE);
  ASSERT_TRUE(ConvertFrame(8, src.data(), src.size(), dst.data(), dst.size(), 4, 1));
  ExpectPixel(PixelAt(dst, 4, 0, 0), 0, 0, 0);
  ExpectPixel(PixelAt(dst, 4, 1, 0), 0, 0, 0);
  ExpectPixel(PixelAt(dst, 4, 2, 0), 254, 254, 254);
  ExpectPixel(PixelAt(dst, 4, 3, 0), 254, 254, 254);
}

// The converters' fast path must give the formula's result for every one of
// the 2^24 (Y, U, V) triples: one YUY2 frame holds them all, two pixels a
// chroma pair.
TEST(ConvertFrame, EveryTripleMatchesTheFormula) {
  const int width = 4096, height = 4096;
  std::vector<std::uint8_t> source(std::size_t(width) * height * 2);
  for (std::size_t pair = 0; pair < source.size() / 4; ++pair) {
    std::uint8_t* s = source.data() + pair * 4;
    s[0] = std::uint8_t(2 * pair);
    s[1] = std::uint8_t(pair >> 7);
    s[2] = std::uint8_t(2 * pair + 1);
    s[3] = std::uint8_t(pair >> 15);
  }
  std::vector<std::uint8_t> dest(std::size_t(width) * height * 4);
  ASSERT_TRUE(ConvertFrame(2, source.data(), source.size(), dest.data(), dest.size(), width, height));
  std::size_t mismatches = 0;
  for (int row = 0; row < height; ++row) {
    const std::uint8_t* s = source.data() + std::size_t(row) * width * 2;
    const std::uint8_t* d = dest.data() + std::size_t(height - 1 - row) * width * 4;
    for (int x = 0; x < width; x += 2, s += 4, d += 8) {
      std::uint32_t got[2];
      std::memcpy(got, d, 8);
      mismatches += got[0] != YUVToRGB(s[0], s[1], s[3]);
      mismatches += got[1] != YUVToRGB(s[2], s[1], s[3]);
    }
  }
  EXPECT_EQ(mismatches, 0u);
}
