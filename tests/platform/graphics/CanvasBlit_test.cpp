// Blits between canvases: raster operations on known pixels, stretching by
// mode, monochrome conversions (the masked copy built from them), clips.
#include <gtest/gtest.h>

#include <memory>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"

namespace {

std::unique_ptr<TBitmap> Filled(int W, int H, TColor Color, TPixelFormat Format = pf24bit) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(Format);
  b->SetSize(W, H);
  b->Canvas()->Brush()->SetColor(Color);
  b->Canvas()->FillRect(Rect(0, 0, W, H));
  return b;
}

}  // namespace

TEST(CanvasBlit, RasterOperationsOnKnownPixels) {
  const TColor s = RGB(0xF0, 0x35, 0x0F), d = RGB(0x3C, 0x55, 0xAA);
  struct Case {
    DWord Rop;
    TColor Expected;
  } cases[] = {
      {SRCCOPY, s},
      {SRCAND, RGB(0xF0 & 0x3C, 0x35 & 0x55, 0x0F & 0xAA)},
      {SRCPAINT, RGB(0xF0 | 0x3C, 0x35 | 0x55, 0x0F | 0xAA)},
      {SRCINVERT, RGB(0xF0 ^ 0x3C, 0x35 ^ 0x55, 0x0F ^ 0xAA)},
      {NOTSRCCOPY, RGB(0x0F, 0xCA, 0xF0)},
  };
  for (const Case& c : cases) {
    auto src = Filled(4, 4, s);
    auto dst = Filled(6, 6, d);
    ASSERT_TRUE(BitBlt(dst->Canvas(), 1, 1, 4, 4, src->Canvas(), 0, 0, c.Rop)) << c.Rop;
    EXPECT_EQ(dst->Pixel(2, 2), c.Expected) << std::hex << c.Rop;
    EXPECT_EQ(dst->Pixel(0, 0), d);
    EXPECT_EQ(dst->Pixel(5, 5), d);
  }
  auto a = Filled(2, 2, s), b = Filled(2, 2, d);
  EXPECT_FALSE(BitBlt(b->Canvas(), 0, 0, 2, 2, a->Canvas(), 0, 0, 0x00BB0226));  // not offered
}

TEST(CanvasBlit, CopyWithinOneBitmapReadsBeforeWriting) {
  // A picture copied one pixel right and down onto itself, as a button's
  // face is: each pixel takes its upper-left neighbour's old colour.
  auto b = Filled(5, 5, clWhite);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) b->SetPixel(x, y, RGB(x * 40, y * 40, 7));
  BitBlt(b->Canvas(), 1, 1, 4, 4, b->Canvas(), 0, 0, SRCCOPY);
  for (int y = 1; y < 5; ++y)
    for (int x = 1; x < 5; ++x) EXPECT_EQ(b->Pixel(x, y), RGB((x - 1) * 40, (y - 1) * 40, 7));
  EXPECT_EQ(b->Pixel(0, 3), RGB(0, 120, 7));
}

TEST(CanvasBlit, SourceOutsideItsBitmapReadsBlack) {
  auto src = Filled(2, 2, clWhite);
  auto dst = Filled(4, 4, clRed);
  BitBlt(dst->Canvas(), 0, 0, 4, 4, src->Canvas(), 0, 0, SRCCOPY);
  EXPECT_EQ(dst->Pixel(1, 1), clWhite);
  EXPECT_EQ(dst->Pixel(3, 3), clBlack);
}

TEST(CanvasBlit, DestinationClipAndOriginApply) {
  auto src = Filled(10, 10, clBlue);
  auto dst = Filled(20, 20, clWhite);
  TCanvas* c = dst->Canvas();
  c->SetViewportOrg(5, 5);
  c->IntersectClipRect(0, 0, 4, 3);
  BitBlt(c, -2, -2, 10, 10, src->Canvas(), 0, 0, SRCCOPY);
  int blue = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x)
      if (dst->Pixel(x, y) == clBlue) {
        ++blue;
        EXPECT_TRUE(x >= 5 && x < 9 && y >= 5 && y < 8) << x << "," << y;
      }
  EXPECT_EQ(blue, 12);
}

TEST(CanvasBlit, StretchNearestDuplicatesPixels) {
  auto src = Filled(2, 2, clWhite);
  src->SetPixel(0, 0, clRed);
  src->SetPixel(1, 1, clBlue);
  auto dst = Filled(4, 4, clBlack);
  dst->Canvas()->SetStretchBltMode(COLORONCOLOR);
  StretchBlt(dst->Canvas(), 0, 0, 4, 4, src->Canvas(), 0, 0, 2, 2, SRCCOPY);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      TColor expected = (x < 2 && y < 2) ? clRed : (x >= 2 && y >= 2) ? clBlue : clWhite;
      EXPECT_EQ(dst->Pixel(x, y), expected) << x << "," << y;
    }
}

TEST(CanvasBlit, HalftoneAveragesWhenShrinkingNearestDoesNot) {
  // Black and white columns halved: halftone gives grey, nearest keeps one of them.
  auto src = Filled(8, 2, clWhite);
  src->Canvas()->Brush()->SetColor(clBlack);
  for (int x = 0; x < 8; x += 2) src->Canvas()->FillRect(Rect(x, 0, x + 1, 2));
  auto smooth = Filled(4, 1, clRed);
  smooth->Canvas()->SetStretchBltMode(HALFTONE);
  StretchBlt(smooth->Canvas(), 0, 0, 4, 1, src->Canvas(), 0, 0, 8, 2, SRCCOPY);
  auto nearest = Filled(4, 1, clRed);
  nearest->Canvas()->SetStretchBltMode(COLORONCOLOR);
  StretchBlt(nearest->Canvas(), 0, 0, 4, 1, src->Canvas(), 0, 0, 8, 2, SRCCOPY);
  for (int x = 0; x < 4; ++x) {
    EXPECT_EQ(smooth->Pixel(x, 0), RGB(128, 128, 128));
    TColor p = nearest->Pixel(x, 0);
    EXPECT_TRUE(p == clBlack || p == clWhite);
  }
}

TEST(CanvasBlit, HalftoneEnlargingInterpolatesBetweenNeighbours) {
  auto src = Filled(2, 1, clBlack);
  src->SetPixel(1, 0, RGB(200, 200, 200));
  auto dst = Filled(8, 1, clRed);
  dst->Canvas()->SetStretchBltMode(HALFTONE);
  StretchBlt(dst->Canvas(), 0, 0, 8, 1, src->Canvas(), 0, 0, 2, 1, SRCCOPY);
  EXPECT_EQ(dst->Pixel(0, 0), clBlack);
  EXPECT_EQ(dst->Pixel(7, 0), RGB(200, 200, 200));
  for (int x = 1; x < 8; ++x) EXPECT_GE(GetRValue(dst->Pixel(x, 0)), GetRValue(dst->Pixel(x - 1, 0)));
  EXPECT_GT(GetRValue(dst->Pixel(3, 0)), 0);
  EXPECT_LT(GetRValue(dst->Pixel(4, 0)), 200);
}

TEST(CanvasBlit, MonochromeConversionsFollowTheCanvasColours) {
  // Colour to 1-bit: the source's background colour becomes white.
  auto colour = Filled(3, 1, clRed);
  colour->SetPixel(1, 0, clLime);
  auto mask = Filled(3, 1, clBlack, pf1bit);
  colour->Canvas()->SetBkColor(clLime);
  BitBlt(mask->Canvas(), 0, 0, 3, 1, colour->Canvas(), 0, 0, SRCCOPY);
  EXPECT_EQ(mask->Pixel(0, 0), clBlack);
  EXPECT_EQ(mask->Pixel(1, 0), clWhite);
  // 1-bit to colour: 1 bits take the background colour, 0 bits the text colour.
  auto out = Filled(3, 1, clWhite);
  out->Canvas()->SetBkColor(clYellow);
  out->Canvas()->Font()->SetColor(clNavy);
  BitBlt(out->Canvas(), 0, 0, 3, 1, mask->Canvas(), 0, 0, SRCCOPY);
  EXPECT_EQ(out->Pixel(0, 0), clNavy);
  EXPECT_EQ(out->Pixel(1, 0), clYellow);
}

TEST(CanvasBlit, MaskedCopyBuiltFromRasterOperations) {
  // The classic transparent copy: mask from the transparent colour, AND the
  // mask into the destination, blank the source's transparent pixels, OR it in.
  auto src = Filled(4, 4, clFuchsia);
  src->Canvas()->Brush()->SetColor(clGreen);
  src->Canvas()->FillRect(Rect(1, 1, 3, 3));
  auto dst = Filled(4, 4, clSilver);

  auto mask = Filled(4, 4, clBlack, pf1bit);
  src->Canvas()->SetBkColor(clFuchsia);
  BitBlt(mask->Canvas(), 0, 0, 4, 4, src->Canvas(), 0, 0, SRCCOPY);
  auto inverse = Filled(4, 4, clBlack, pf1bit);
  BitBlt(inverse->Canvas(), 0, 0, 4, 4, mask->Canvas(), 0, 0, NOTSRCCOPY);

  auto result = Filled(4, 4, clBlack);
  BitBlt(result->Canvas(), 0, 0, 4, 4, dst->Canvas(), 0, 0, SRCCOPY);
  result->Canvas()->SetBkColor(clWhite);
  result->Canvas()->Font()->SetColor(clBlack);
  BitBlt(result->Canvas(), 0, 0, 4, 4, mask->Canvas(), 0, 0, SRCAND);
  src->Canvas()->SetBkColor(clWhite);
  src->Canvas()->Font()->SetColor(clBlack);
  BitBlt(src->Canvas(), 0, 0, 4, 4, inverse->Canvas(), 0, 0, SRCAND);
  BitBlt(result->Canvas(), 0, 0, 4, 4, src->Canvas(), 0, 0, SRCPAINT);

  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      bool inside = x >= 1 && x < 3 && y >= 1 && y < 3;
      EXPECT_EQ(result->Pixel(x, y), inside ? clGreen : clSilver) << x << "," << y;
    }
}

TEST(CanvasBlit, TransparentStretchLeavesOutTheTransparentColour) {
  auto src = Filled(2, 2, clFuchsia);
  src->SetPixel(1, 0, clBlue);
  auto dst = Filled(4, 4, clWhite);
  TransparentStretchBlt(dst->Canvas(), 0, 0, 4, 4, src->Canvas(), 0, 0, 2, 2, clFuchsia);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(dst->Pixel(x, y), (x >= 2 && y < 2) ? clBlue : clWhite);
}

TEST(CanvasBlit, PalettedDestinationAndSource) {
  auto src = Filled(4, 4, clRed, pf8bit);
  auto dst = Filled(4, 4, clWhite, pf4bit);
  BitBlt(dst->Canvas(), 1, 1, 2, 2, src->Canvas(), 0, 0, SRCCOPY);
  EXPECT_EQ(dst->Pixel(1, 1), clRed);
  EXPECT_EQ(dst->Pixel(2, 2), clRed);
  EXPECT_EQ(dst->Pixel(3, 3), clWhite);
}

TEST(CanvasBlit, DrawAndCopyRect) {
  auto picture = Filled(3, 2, clTeal);
  auto dst = Filled(10, 10, clWhite);
  dst->Canvas()->Draw(4, 5, picture.get());
  EXPECT_EQ(dst->Pixel(4, 5), clTeal);
  EXPECT_EQ(dst->Pixel(6, 6), clTeal);
  EXPECT_EQ(dst->Pixel(7, 6), clWhite);
  dst->Canvas()->StretchDraw(Rect(0, 0, 2, 2), picture.get());
  EXPECT_EQ(dst->Pixel(1, 1), clTeal);
  auto copy = Filled(10, 10, clBlack);
  copy->Canvas()->CopyRect(Rect(0, 0, 10, 10), dst->Canvas(), Rect(0, 0, 10, 10));
  EXPECT_EQ(copy->Pixel(5, 6), clTeal);
  EXPECT_EQ(copy->Pixel(9, 9), clWhite);
}
