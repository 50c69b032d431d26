#include "widgets/gx/GxColorReduce.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <set>
#include <vector>

#include "platform/base/Exceptions.h"
#include "platform/controls/Dialogs.h"

namespace {

using Bytes = std::vector<Byte>;

Bytes BytesOf(TMemoryStream& stream) {
  const Byte* p = static_cast<const Byte*>(stream.Memory());
  return Bytes(p, p + stream.Size());
}

std::uint32_t U32(const Bytes& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t(b[at + 3]) << 24;
}

// A reduced 8-bit file: its table and its pixels, row y counted from the top.
struct TReduced {
  Bytes File;
  int Width = 0, Height = 0;
  int Bits() const { return File[28]; }
  std::uint32_t ClrImportant() const { return U32(File, 50); }
  TColor Entry(int i) const { return RGB(File[54 + 4 * i + 2], File[54 + 4 * i + 1], File[54 + 4 * i]); }
  int Index(int x, int y) const {
    int stride = (Width + 3) & ~3;
    return File[U32(File, 10) + std::size_t(Height - 1 - y) * stride + x];
  }
};

TReduced Reduce(TBitmap& bitmap, TReductionMethod method, TPixelFormat target = pf8bit) {
  auto stream = ReduceBitmapToStream(&bitmap, target, method);
  TReduced r{BytesOf(*stream), bitmap.Width(), bitmap.Height()};
  EXPECT_EQ(stream->Position(), 0);
  EXPECT_EQ(U32(r.File, 2), r.File.size());  // file size field
  return r;
}

TBitmap& Fill(TBitmap& bitmap, int w, int h, TColor color) {
  bitmap.SetPixelFormat(pf24bit);
  bitmap.SetSize(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) bitmap.SetPixel(x, y, color);
  return bitmap;
}

}  // namespace

TEST(GxColorReduce, BitmapAtTargetComesBackAsItSavesItself) {
  TBitmap bitmap;
  Fill(bitmap, 3, 3, clRed).SetPixelFormat(pf8bit);
  TMemoryStream own;
  bitmap.SaveToStream(&own);
  EXPECT_EQ(Reduce(bitmap, rmMedianCut).File, BytesOf(own));
  // Grayscale converts even then.
  TReduced gray = Reduce(bitmap, rmGrayscale);
  EXPECT_EQ(gray.Entry(gray.Index(0, 0)), RGB(76, 76, 76));

  TBitmap wide;
  Fill(wide, 2, 2, clRed).SetPixelFormat(pf32bit);
  TMemoryStream wideOwn;
  wide.SaveToStream(&wideOwn);
  EXPECT_EQ(Reduce(wide, rmPopularity, pf32bit).File, BytesOf(wideOwn));
}

TEST(GxColorReduce, PopularityKeepsFewColoursExactlyMostFrequentFirst) {
  TBitmap bitmap;
  Fill(bitmap, 5, 2, RGB(10, 20, 30));
  bitmap.SetPixel(0, 0, RGB(200, 100, 50));
  bitmap.SetPixel(1, 0, RGB(1, 2, 3));
  bitmap.SetPixel(2, 0, RGB(1, 2, 3));
  TReduced r = Reduce(bitmap, rmPopularity);
  EXPECT_EQ(r.Bits(), 8);
  EXPECT_EQ(r.ClrImportant(), 0u);
  EXPECT_EQ(r.Entry(0), RGB(10, 20, 30));
  EXPECT_EQ(r.Entry(1), RGB(1, 2, 3));
  EXPECT_EQ(r.Entry(2), RGB(200, 100, 50));
  EXPECT_EQ(r.Entry(3), RGB(128, 128, 128));
  EXPECT_EQ(r.Entry(255), RGB(128, 128, 128));
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(r.Entry(r.Index(x, y)), bitmap.Pixel(x, y));
}

TEST(GxColorReduce, PopularityCoarsensBlueFirstBeyond2049Colours) {
  // Distinct colours, all with an odd blue: exact masks keep odd blues.
  auto oddBlues = [](int colours) {
    TBitmap bitmap;
    Fill(bitmap, colours, 1, clBlack);
    for (int i = 0; i < colours; ++i) bitmap.SetPixel(i, 0, RGB(i % 64 * 4, i / 64 * 4, 1));
    TReduced r = Reduce(bitmap, rmPopularity);
    int odd = 0;
    for (int k = 0; k < 256; ++k) odd += GetBValue(r.Entry(k)) & 1;
    return odd;
  };
  EXPECT_EQ(oddBlues(2049), 256);
  EXPECT_EQ(oddBlues(2050), 0);
}

TEST(GxColorReduce, MedianCutBoxColours) {
  TBitmap bitmap;
  TReduced white = Reduce(Fill(bitmap, 4, 4, clWhite), rmMedianCut);
  EXPECT_EQ(white.ClrImportant(), 1u);
  EXPECT_EQ(white.Entry(0), clWhite);
  EXPECT_EQ(white.Entry(1), clBlack);
  EXPECT_EQ(Reduce(Fill(bitmap, 4, 4, RGB(128, 128, 128)), rmMedianCut).Entry(0), RGB(143, 143, 143));
  EXPECT_EQ(Reduce(Fill(bitmap, 4, 4, clBlack), rmMedianCut).Entry(0), clBlack);

  // Many cells: every pixel lands in a box whose colour is near its own.
  Fill(bitmap, 64, 64, clBlack);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) bitmap.SetPixel(x, y, RGB(x * 4, y * 4, (x + y) * 2));
  TReduced many = Reduce(bitmap, rmMedianCut);
  EXPECT_EQ(many.ClrImportant(), 256u);
  for (int y = 0; y < 64; y += 7)
    for (int x = 0; x < 64; x += 5) {
      TColor got = many.Entry(many.Index(x, y)), want = bitmap.Pixel(x, y);
      EXPECT_LE(std::abs(GetRValue(got) - GetRValue(want)), 48) << x << "," << y;
      EXPECT_LE(std::abs(GetGValue(got) - GetGValue(want)), 48) << x << "," << y;
    }
}

TEST(GxColorReduce, FixedCubesMapByLevelTables) {
  TBitmap bitmap;
  TReduced r = Reduce(Fill(bitmap, 2, 1, clRed), rmFixed7R8G4B);
  EXPECT_EQ(r.ClrImportant(), 224u);
  EXPECT_EQ(r.Index(0, 0), 192);
  EXPECT_EQ(r.Entry(192), RGB(255, 0, 0));
  EXPECT_EQ(r.Entry(224), RGB(128, 128, 128));
  EXPECT_EQ(Reduce(Fill(bitmap, 2, 1, RGB(64, 64, 64)), rmFixed7R8G4B).Index(1, 0), 41);

  TReduced cube = Reduce(Fill(bitmap, 4, 1, clWhite), rmFixed6R6G6B);
  EXPECT_EQ(cube.ClrImportant(), 216u);
  EXPECT_EQ(cube.Index(0, 0), 215);
  bitmap.SetPixel(1, 0, clBlack);
  bitmap.SetPixel(2, 0, RGB(25, 0, 0));
  bitmap.SetPixel(3, 0, RGB(26, 0, 0));
  cube = Reduce(bitmap, rmFixed6R6G6B);
  EXPECT_EQ(cube.Index(1, 0), 0);
  EXPECT_EQ(cube.Index(2, 0), 0);
  EXPECT_EQ(cube.Index(3, 0), 36);
}

TEST(GxColorReduce, RampsAndGrays) {
  TBitmap bitmap;
  TReduced ramps = Reduce(Fill(bitmap, 3, 2, clWhite), rmChannelRamps);
  EXPECT_EQ(ramps.Index(0, 1), 63);  // bottom-left
  EXPECT_EQ(ramps.Index(1, 1), 127);
  EXPECT_EQ(ramps.Index(2, 1), 191);
  EXPECT_EQ(ramps.Index(0, 0), 127);
  EXPECT_EQ(ramps.Entry(63), RGB(252, 0, 0));

  Fill(bitmap, 2, 1, clWhite).SetPixel(1, 0, clLime);
  TReduced gray = Reduce(bitmap, rmGrayscale);
  EXPECT_EQ(gray.Index(0, 0), 255);
  EXPECT_EQ(gray.Index(1, 0), 149);
  EXPECT_EQ(gray.Entry(149), RGB(149, 149, 149));
}

TEST(GxColorReduce, ColourCountPicksDepth) {
  TBitmap bitmap;
  Fill(bitmap, 3, 3, clAqua).SetPixelFormat(pf32bit);
  const std::pair<int, int> cases[] = {{-1, 1}, {0, 1}, {2, 1}, {3, 4}, {16, 4},
                                       {17, 8}, {256, 8}, {257, 24}};
  for (auto [colours, bits] : cases) {
    auto stream = ReduceBitmapForColors(&bitmap, colours);
    Bytes file = BytesOf(*stream);
    EXPECT_EQ(file[28], bits) << colours;
    EXPECT_EQ(U32(file, 2), file.size()) << colours;
  }
}

TEST(GxColorReduce, RefusesEmptyBitmapsAndUnservedDepths) {
  TBitmap empty;
  EXPECT_THROW(ReduceBitmapToStream(&empty, pf8bit, rmPopularity), EInvalidGraphic);
  TBitmap bitmap;
  Fill(bitmap, 2, 2, clRed);
  TMessageBoxCapture boxes;
  EXPECT_THROW(ReduceBitmapToStream(&bitmap, pf32bit, rmPopularity), EAbort);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].Text, "Function not yet implemented");
  EXPECT_EQ(boxes.Boxes()[0].Kind, mtInformation);
}
