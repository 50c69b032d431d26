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

inline std::uint32_t Triple(std::uint8_t y, std::uint8_t u, std::uint8_t v) {
  return std::uint32_t(y) | std::uint32_t(u) << 8 | std::uint32_t(v) << 16;
}

// The converters' fast paths must give the formula's result for every one of
// the 2^24 (Y, U, V) triples: one 4096 x 4096 frame holds them all, in the
// packed layouts two pixels a chroma pair, in I420 four.
class EveryTriple : public testing::Test {
 protected:
  static constexpr int kSide = 4096;
  // The triple of a pixel as Y | U << 8 | V << 16.
  using TTripleAt = std::uint32_t (*)(const std::vector<std::uint8_t>&, int, int);

  // The formula's result for every triple, made once.
  static const std::vector<std::uint32_t>& Formula() {
    static const std::vector<std::uint32_t> all = [] {
      std::vector<std::uint32_t> v(std::size_t(1) << 24);
      for (std::uint32_t t = 0; t < v.size(); ++t)
        v[t] = YUVToRGB(std::uint8_t(t), std::uint8_t(t >> 8), std::uint8_t(t >> 16));
      return v;
    }();
    return all;
  }

  std::size_t Mismatches(std::uint8_t code, const std::vector<std::uint8_t>& source,
                         TTripleAt tripleAt) {
    const std::vector<std::uint32_t>& formula = Formula();
    std::vector<std::uint8_t> dest(std::size_t(kSide) * kSide * 4);
    EXPECT_TRUE(ConvertFrame(code, source.data(), source.size(), dest.data(), dest.size(), kSide,
                             kSide));
    std::size_t mismatches = 0;
    for (int row = 0; row < kSide; ++row) {
      const std::uint8_t* d = dest.data() + std::size_t(kSide - 1 - row) * kSide * 4;
      for (int x = 0; x < kSide; ++x, d += 4) {
        std::uint32_t got;
        std::memcpy(&got, d, 4);
        mismatches += got != formula[tripleAt(source, x, row)];
      }
    }
    return mismatches;
  }
};

TEST_F(EveryTriple, PackedLayoutsMatchTheFormula) {
  for (bool yuy2 : {true, false}) {
    std::vector<std::uint8_t> source(std::size_t(kSide) * kSide * 2);
    for (std::size_t pair = 0; pair < source.size() / 4; ++pair) {
      std::uint8_t* s = source.data() + pair * 4;
      const std::uint8_t y0 = std::uint8_t(2 * pair), y1 = std::uint8_t(2 * pair + 1);
      const std::uint8_t u = std::uint8_t(pair >> 7), v = std::uint8_t(pair >> 15);
      if (yuy2) {
        s[0] = y0, s[1] = u, s[2] = y1, s[3] = v;
      } else {
        s[0] = u, s[1] = y0, s[2] = v, s[3] = y1;
      }
    }
    auto yuy2Pixel = [](const std::vector<std::uint8_t>& f, int x, int row) {
      const std::uint8_t* g = f.data() + std::size_t(row) * kSide * 2 + (x / 2) * 4;
      return Triple(g[(x & 1) * 2], g[1], g[3]);
    };
    auto uyvyPixel = [](const std::vector<std::uint8_t>& f, int x, int row) {
      const std::uint8_t* g = f.data() + std::size_t(row) * kSide * 2 + (x / 2) * 4;
      return Triple(g[1 + (x & 1) * 2], g[0], g[2]);
    };
    EXPECT_EQ(Mismatches(yuy2 ? 2 : 3, source, yuy2 ? +yuy2Pixel : +uyvyPixel), 0u)
        << (yuy2 ? "YUY2" : "UYVY");
  }
}

TEST_F(EveryTriple, I420MatchesTheFormula) {
  constexpr int half = kSide / 2;
  std::vector<std::uint8_t> source(std::size_t(kSide) * kSide + 2 * std::size_t(half) * half);
  std::uint8_t* u = source.data() + std::size_t(kSide) * kSide;
  std::uint8_t* v = u + std::size_t(half) * half;
  for (int by = 0; by < half; ++by)
    for (int bx = 0; bx < half; ++bx) {
      // Block c has the chroma pair c mod 65536 and the lumas 4k to 4k + 3.
      const std::size_t c = std::size_t(by) * half + bx;
      u[c] = std::uint8_t(c), v[c] = std::uint8_t(c >> 8);
      const int k = int(c >> 16);
      for (int i = 0; i < 4; ++i)
        source[std::size_t(2 * by + i / 2) * kSide + 2 * bx + i % 2] = std::uint8_t(4 * k + i);
    }
  auto pixel = [](const std::vector<std::uint8_t>& f, int x, int row) {
    const std::uint8_t* cu = f.data() + std::size_t(kSide) * kSide;
    const std::uint8_t* cv = cu + std::size_t(half) * half;
    const std::size_t c = std::size_t(row / 2) * half + x / 2;
    return Triple(f[std::size_t(row) * kSide + x], cu[c], cv[c]);
  };
  EXPECT_EQ(Mismatches(6, source, +pixel), 0u);
}

// Random frames in the layouts with a fast path, at widths that leave a
// remainder after each group of eight: every pixel is the formula's.
TEST(ConvertFrame, RandomFramesMatchTheFormulaPixelByPixel) {
  std::uint32_t seed = 12345;
  auto next = [&] {
    seed = seed * 1664525u + 1013904223u;
    return std::uint8_t(seed >> 24);
  };
  for (int width : {1, 2, 6, 8, 16, 37, 250}) {
    const int height = 6;
    std::vector<std::uint8_t> dest(std::size_t(width) * height * 4);
    auto out = [&](int x, int row) {
      std::uint32_t px;
      std::memcpy(&px, dest.data() + (std::size_t(height - 1 - row) * width + x) * 4, 4);
      return px;
    };
    std::vector<std::uint8_t> packed(std::size_t(width) * height * 2);
    for (auto& b : packed) b = next();
    for (bool yuy2 : {true, false}) {
      std::fill(dest.begin(), dest.end(), 0xEE);
      ASSERT_TRUE(ConvertFrame(yuy2 ? 2 : 3, packed.data(), packed.size(), dest.data(), dest.size(),
                               width, height));
      for (int row = 0; row < height; ++row)
        for (int x = 0; x < 2 * (width / 2); ++x) {
          const std::uint8_t* g = packed.data() + std::size_t(row) * width * 2 + (x / 2) * 4;
          const std::uint32_t want = yuy2 ? YUVToRGB(g[(x & 1) * 2], g[1], g[3])
                                          : YUVToRGB(g[1 + (x & 1) * 2], g[0], g[2]);
          ASSERT_EQ(out(x, row), want) << (yuy2 ? "YUY2 " : "UYVY ") << width << " " << x;
        }
    }
    const int cw = (width + 1) / 2, ch = (height + 1) / 2;
    std::vector<std::uint8_t> planar(std::size_t(width) * height + 2 * std::size_t(cw) * ch);
    for (auto& b : planar) b = next();
    std::fill(dest.begin(), dest.end(), 0xEE);
    ASSERT_TRUE(ConvertFrame(6, planar.data(), planar.size(), dest.data(), dest.size(), width, height));
    const std::uint8_t* u = planar.data() + std::size_t(width) * height;
    const std::uint8_t* v = u + std::size_t(cw) * ch;
    for (int row = 0; row < height; ++row)
      for (int x = 0; x < 2 * (width / 2); ++x) {
        const std::size_t c = std::size_t(row / 2) * cw + x / 2;
        ASSERT_EQ(out(x, row), YUVToRGB(planar[std::size_t(row) * width + x], u[c], v[c]))
            << "I420 " << width << " " << x;
      }
  }
}
