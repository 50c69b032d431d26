#include <gtest/gtest.h>

#include "app/GradientFill.h"
#include "platform/base/Exceptions.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"

namespace {

// A white 24-bit bitmap to draw on.
std::unique_ptr<TBitmap> Surface(int w, int h) {
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(w, h);
  bmp->Canvas()->Brush()->SetColor(clWhite);
  bmp->Canvas()->FillRect(Rect(0, 0, w, h));
  return bmp;
}

// The channel value the gradient gives line j of a band of length len.
int Channel(int from, int to, int j, int len) { return int(from + (to - from) * (double(j) / len)); }

TEST(GradientFill, FewerThanTwoColoursRaiseTheMathError) {
  auto bmp = Surface(4, 4);
  try {
    GradientFillRect(bmp->Canvas(), Rect(0, 0, 4, 4), 0, {clRed});
    FAIL() << "no error";
  } catch (const EMathError& e) {
    EXPECT_EQ(e.Message(), "Please specify at least two colors.");
  }
  EXPECT_THROW(GradientFillRect(bmp->Canvas(), Rect(0, 0, 4, 4), 0, {}), EMathError);
}

TEST(GradientFill, TwoColoursMakeOneBandFromFirstToSecond) {
  auto bmp = Surface(3, 11);
  GradientFillRect(bmp->Canvas(), Rect(0, 0, 3, 11), 0, {RGB(0, 0, 0), RGB(200, 100, 50)});
  // One band: len = extent - 1 = 10; line j has j/10 of the way.
  for (int y = 0; y < 11; ++y) {
    TColor c = bmp->Pixel(1, y);
    EXPECT_EQ(GetRValue(c), Channel(0, 200, y, 10)) << y;
    EXPECT_EQ(GetGValue(c), Channel(0, 100, y, 10)) << y;
    EXPECT_EQ(GetBValue(c), Channel(0, 50, y, 10)) << y;
  }
  EXPECT_EQ(bmp->Pixel(0, 10), RGB(200, 100, 50));
  EXPECT_EQ(bmp->Pixel(2, 0), RGB(0, 0, 0));
}

TEST(GradientFill, AChatItemIsLightInItsUpperHalfThenShadesToDark) {
  // Slot 3's box: light $CCCCFF twice, then dark $6262FF, over 40 rows.
  const TColor light = TColor(0xCCCCFF), dark = TColor(0x6262FF);
  auto bmp = Surface(5, 41);
  GradientFillRect(bmp->Canvas(), Rect(0, 0, 5, 40), 0, {light, light, dark});
  for (int y = 0; y <= 20; ++y) EXPECT_EQ(bmp->Pixel(2, y), light) << y;
  // Second band: lines 20 to 39, len 19.
  for (int y = 20; y <= 39; ++y) {
    int j = y - 20;
    TColor c = bmp->Pixel(2, y);
    EXPECT_EQ(GetRValue(c), Channel(0xFF, 0xFF, j, 19)) << y;
    EXPECT_EQ(GetGValue(c), Channel(0xCC, 0x62, j, 19)) << y;
    EXPECT_EQ(GetBValue(c), Channel(0xCC, 0x62, j, 19)) << y;
  }
  EXPECT_EQ(bmp->Pixel(2, 39), dark);
  EXPECT_EQ(bmp->Pixel(2, 40), clWhite);  // nothing beyond the extent
}

TEST(GradientFill, OtherDirectionsRunLeftToRightInColumns) {
  auto bmp = Surface(9, 3);
  GradientFillRect(bmp->Canvas(), Rect(0, 0, 9, 3), 1, {RGB(0, 0, 0), RGB(0, 0, 80)});
  for (int x = 0; x < 9; ++x) {
    EXPECT_EQ(GetBValue(bmp->Pixel(x, 0)), Channel(0, 80, x, 8)) << x;
    EXPECT_EQ(bmp->Pixel(x, 0), bmp->Pixel(x, 2));
  }
}

TEST(GradientFill, BandsAreRoundedHalvesToEven) {
  // extent 10 over 4 bands: 2.5 rounds to 2; the last band takes 10 - 6 - 1 = 3.
  auto bmp = Surface(1, 10);
  const TColor a = RGB(0, 0, 0), b = RGB(40, 0, 0), c = RGB(80, 0, 0), d = RGB(120, 0, 0),
               e = RGB(160, 0, 0);
  GradientFillRect(bmp->Canvas(), Rect(0, 0, 1, 10), 0, {a, b, c, d, e});
  EXPECT_EQ(bmp->Pixel(0, 2), b);  // end of band 0 = start of band 1
  EXPECT_EQ(bmp->Pixel(0, 4), c);
  EXPECT_EQ(bmp->Pixel(0, 6), d);  // band 3 starts at 6
  EXPECT_EQ(bmp->Pixel(0, 7), RGB(Channel(120, 160, 1, 3), 0, 0));
  EXPECT_EQ(bmp->Pixel(0, 9), e);
  // extent 14 over 4 bands: 3.5 rounds to 4.
  auto bmp2 = Surface(1, 14);
  GradientFillRect(bmp2->Canvas(), Rect(0, 0, 1, 14), 0, {a, b, c, d, e});
  EXPECT_EQ(bmp2->Pixel(0, 4), b);
  EXPECT_EQ(bmp2->Pixel(0, 12), d);
}

TEST(GradientFill, SingleLineBandsShowTheirStartingColourAndNothingBreaks) {
  auto bmp = Surface(2, 2);
  GradientFillRect(bmp->Canvas(), Rect(0, 0, 2, 2), 0, {RGB(10, 0, 0), RGB(20, 0, 0), RGB(30, 0, 0)});
  // band 1: line 0 in 10..20 (len 1), last band from line 1: len 2 - 1 - 1 = 0.
  EXPECT_EQ(bmp->Pixel(0, 0), RGB(10, 0, 0));
  EXPECT_EQ(bmp->Pixel(0, 1), RGB(20, 0, 0));
  auto empty = Surface(2, 2);
  GradientFillRect(empty->Canvas(), Rect(0, 0, 2, 0), 0, {clRed, clBlue});  // no extent
  EXPECT_EQ(empty->Pixel(0, 0), clWhite);
}

TEST(GradientFill, ThePenComesBackAsItWas) {
  auto bmp = Surface(4, 4);
  TPen* pen = bmp->Canvas()->Pen();
  pen->SetColor(clLime);
  pen->SetWidth(3);
  pen->SetStyle(psDot);
  GradientFillRect(bmp->Canvas(), Rect(0, 0, 4, 4), 0, {clRed, clBlue});
  EXPECT_EQ(pen->Color(), clLime);
  EXPECT_EQ(pen->Width(), 3);
  EXPECT_EQ(pen->Style(), psDot);
}

TEST(GradientFill, SystemColoursAreResolved) {
  auto bmp = Surface(2, 2);
  GradientFillRect(bmp->Canvas(), Rect(0, 0, 2, 2), 0, {clBtnFace, clBtnFace});
  EXPECT_EQ(bmp->Pixel(0, 0), ColorToRGB(clBtnFace));
}

}  // namespace
