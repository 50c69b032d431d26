// FillGradient: the seven shapes, the exact double arithmetic with halves to
// even, regions, and the guards for degenerate and oversized rectangles.
#include <gtest/gtest.h>

#include "SkTestUtil.h"
#include "platform/graphics/Region.h"
#include "widgets/sk/SkDrawCore.h"

namespace {

TEST(FillGradientTest, VerticalRowsOverTwentyFiveRows) {
  auto bmp = Bitmap24(75, 25);
  FillGradient(bmp.get(), Rect(0, 0, 75, 25), RGB(10, 200, 37), RGB(250, 20, 90), gtVertical,
               nullptr);
  // Row y is from + y * (to - from) / 25 in doubles, rounded halves to even.
  const Rgb expected[25] = {
      {10, 200, 37},  {20, 193, 39},  {29, 186, 41},  {39, 178, 43},  {48, 171, 45},
      {58, 164, 48},  {68, 157, 50},  {77, 150, 52},  {87, 142, 54},  {96, 135, 56},
      {106, 128, 58}, {116, 121, 60}, {125, 114, 62}, {135, 106, 65}, {144, 99, 67},
      {154, 92, 69},  {164, 85, 71},  {173, 78, 73},  {183, 70, 75},  {192, 63, 77},
      {202, 56, 79},  {212, 49, 82},  {221, 42, 84},  {231, 34, 86},  {240, 27, 88}};
  for (int y = 0; y < 25; ++y) {
    EXPECT_EQ(PixelAt(*bmp, 0, y), expected[y]) << "row " << y;
    EXPECT_EQ(PixelAt(*bmp, 74, y), expected[y]) << "row " << y;
  }
  // The last row is 24/25 of the way, never the end colour itself.
  EXPECT_NE(PixelAt(*bmp, 0, 24), RgbOf(RGB(250, 20, 90)));
}

TEST(FillGradientTest, HalvesRoundToEven) {
  auto bmp = Bitmap24(3, 4);
  // Steps 0.5, 1.5 and 0.5: the values 0.5, 1.5, 2.5 and 4.5 are exact ties.
  FillGradient(bmp.get(), Rect(0, 0, 3, 4), RGB(0, 0, 1), RGB(2, 6, 3), gtVertical, nullptr);
  EXPECT_EQ(PixelAt(*bmp, 1, 0), (Rgb{0, 0, 1}));
  EXPECT_EQ(PixelAt(*bmp, 1, 1), (Rgb{0, 2, 2}));  // 0.5 -> 0, 1.5 -> 2, 1.5 -> 2
  EXPECT_EQ(PixelAt(*bmp, 1, 2), (Rgb{1, 3, 2}));
  EXPECT_EQ(PixelAt(*bmp, 1, 3), (Rgb{2, 4, 2}));  // 1.5 -> 2, 4.5 -> 4, 2.5 -> 2
}

TEST(FillGradientTest, DoubleArithmeticDecidesNearTies) {
  // Over 14 rows, row 7 lies at 29 * 7 / 14 = 14.5 exactly, but the double
  // step 29 / 14 makes it 14.500000000000002, which rounds up; for 115 the
  // double is 57.49999999999999 and rounds down; for 225, 112.50000000000001.
  auto bmp = Bitmap24(2, 14);
  FillGradient(bmp.get(), Rect(0, 0, 2, 14), RGB(0, 0, 0), RGB(29, 115, 225), gtVertical,
               nullptr);
  EXPECT_EQ(PixelAt(*bmp, 0, 7), (Rgb{15, 57, 113}));
}

TEST(FillGradientTest, HorizontalRunsLeftToRight) {
  auto bmp = Bitmap24(4, 2);
  FillGradient(bmp.get(), Rect(0, 0, 4, 2), RGB(0, 0, 0), RGB(100, 40, 8), gtHorizontal, nullptr);
  EXPECT_EQ(PixelAt(*bmp, 0, 1), (Rgb{0, 0, 0}));
  EXPECT_EQ(PixelAt(*bmp, 1, 1), (Rgb{25, 10, 2}));
  EXPECT_EQ(PixelAt(*bmp, 2, 1), (Rgb{50, 20, 4}));
  EXPECT_EQ(PixelAt(*bmp, 3, 0), (Rgb{75, 30, 6}));
}

TEST(FillGradientTest, DoubleVertPutsStartOnCentreLine) {
  auto bmp = Bitmap24(3, 10);
  const TColor from = RGB(200, 100, 0);
  const TColor to = RGB(0, 50, 250);
  FillGradient(bmp.get(), Rect(0, 0, 3, 10), from, to, gtDoubleVert, nullptr);
  // len = 5: row 0 at distance 5 (end colour), row 9 at 4, row 5 at 0.
  EXPECT_EQ(PixelAt(*bmp, 1, 0), RgbOf(to));
  EXPECT_EQ(PixelAt(*bmp, 1, 9), (Rgb{40, 60, 200}));
  EXPECT_EQ(PixelAt(*bmp, 1, 5), RgbOf(from));
  EXPECT_EQ(PixelAt(*bmp, 1, 4), (Rgb{160, 90, 50}));
  EXPECT_EQ(PixelAt(*bmp, 1, 6), (Rgb{160, 90, 50}));
}

TEST(FillGradientTest, DoubleHorzPutsStartOnCentreColumn) {
  auto bmp = Bitmap24(10, 1);
  FillGradient(bmp.get(), Rect(0, 0, 10, 1), RGB(0, 0, 0), RGB(100, 100, 100), gtDoubleHorz,
               nullptr);
  EXPECT_EQ(PixelAt(*bmp, 0, 0), (Rgb{100, 100, 100}));
  EXPECT_EQ(PixelAt(*bmp, 5, 0), (Rgb{0, 0, 0}));
  EXPECT_EQ(PixelAt(*bmp, 9, 0), (Rgb{80, 80, 80}));
}

TEST(FillGradientTest, DiagonalShapesStartAtTheirCorner) {
  auto left = Bitmap24(3, 4);
  // len = Round(sqrt(9 + 16)) = 5.
  FillGradient(left.get(), Rect(0, 0, 3, 4), RGB(0, 0, 0), RGB(250, 0, 0), gtFromTopLeft,
               nullptr);
  EXPECT_EQ(PixelAt(*left, 0, 0).R, 0);
  EXPECT_EQ(PixelAt(*left, 1, 0).R, 50);
  EXPECT_EQ(PixelAt(*left, 2, 3).R, 180);  // sqrt(4 + 9) * 50 = 180.28

  auto right = Bitmap24(3, 4);
  FillGradient(right.get(), Rect(0, 0, 3, 4), RGB(0, 0, 0), RGB(250, 0, 0), gtFromTopRight,
               nullptr);
  // Distances run from the right edge itself (x = Right), so column 2 is at 1.
  EXPECT_EQ(PixelAt(*right, 2, 0).R, 50);
  EXPECT_EQ(PixelAt(*right, 0, 0).R, 150);
  EXPECT_EQ(PixelAt(*right, 0, 3).R, 212);  // sqrt(18) * 50 = 212.13
}

TEST(FillGradientTest, RadialCentreIsInBitmapCoordinates) {
  auto bmp = Bitmap24(12, 4, clWhite);
  // cx = (10 - 4) div 2 = 3, cy = 1, not shifted by Left = 4; len = (Round(sqrt(36 + 4)) - 4) div 2 = 1.
  FillGradient(bmp.get(), Rect(4, 0, 10, 2), RGB(0, 0, 0), RGB(10, 20, 30), gtRadial, nullptr);
  EXPECT_EQ(PixelAt(*bmp, 4, 1), (Rgb{10, 20, 30}));   // distance 1
  EXPECT_EQ(PixelAt(*bmp, 5, 1), (Rgb{20, 40, 60}));   // distance 2
  EXPECT_EQ(PixelAt(*bmp, 3, 1), (Rgb{255, 255, 255}));  // outside the rectangle: untouched
}

TEST(FillGradientTest, RegionLimitsThePixels) {
  auto bmp = Bitmap24(10, 10, clRed);
  TRegion region = CreateRectRgn(2, 2, 5, 5);
  FillGradient(bmp.get(), Rect(0, 0, 10, 10), RGB(0, 0, 0), RGB(0, 0, 250), gtVertical, &region);
  EXPECT_EQ(PixelAt(*bmp, 3, 3), (Rgb{0, 0, 75}));
  EXPECT_EQ(PixelAt(*bmp, 0, 0), RgbOf(clRed));
  EXPECT_EQ(PixelAt(*bmp, 5, 3), RgbOf(clRed));
  EXPECT_EQ(PixelAt(*bmp, 3, 5), RgbOf(clRed));
}

TEST(FillGradientTest, EqualColoursFillSolidAlsoWithRegion) {
  auto bmp = Bitmap24(10, 10, clRed);
  TRegion region = CreateRoundRectRgn(0, 0, 10, 10, 6, 6);
  FillGradient(bmp.get(), Rect(0, 0, 10, 10), clGreen, clGreen, gtRadial, &region);
  EXPECT_EQ(PixelAt(*bmp, 5, 5), RgbOf(clGreen));
  EXPECT_EQ(PixelAt(*bmp, 0, 0), RgbOf(clRed));  // cut off by the rounded corner
  EXPECT_EQ(PixelAt(*bmp, 9, 9), RgbOf(clRed));

  auto plain = Bitmap24(4, 4, clRed);
  FillGradient(plain.get(), Rect(1, 1, 3, 3), clGreen, clGreen, gtVertical, nullptr);
  EXPECT_EQ(PixelAt(*plain, 1, 1), RgbOf(clGreen));
  EXPECT_EQ(PixelAt(*plain, 3, 3), RgbOf(clRed));
}

TEST(FillGradientTest, SystemColourAndItsValueTakeTheGradientPathWithZeroSteps) {
  auto bmp = Bitmap24(5, 5, clRed);
  FillGradient(bmp.get(), Rect(0, 0, 5, 5), clBtnFace, ColorToRGB(clBtnFace), gtVertical,
               nullptr);
  for (int y = 0; y < 5; ++y) EXPECT_EQ(PixelAt(*bmp, 2, y), RgbOf(clBtnFace));
}

TEST(FillGradientTest, EmptyBitmapDrawsNothing) {
  TBitmap empty;
  empty.SetPixelFormat(pf24bit);
  EXPECT_NO_THROW(
      FillGradient(&empty, Rect(0, 0, 10, 10), clWhite, clBlack, gtVertical, nullptr));
  EXPECT_TRUE(empty.Empty());
}

// Fault mended: a gradient length below 1 used to divide by zero.
TEST(FillGradientTest, DegenerateLengthsAreGuarded) {
  auto row = Bitmap24(4, 1, clRed);
  // One row with a double shape: len = 0; the only row is the centre line.
  FillGradient(row.get(), Rect(0, 0, 4, 1), RGB(10, 20, 30), RGB(200, 200, 200), gtDoubleVert,
               nullptr);
  EXPECT_EQ(PixelAt(*row, 2, 0), (Rgb{10, 20, 30}));

  auto pixel = Bitmap24(1, 1, clRed);
  FillGradient(pixel.get(), Rect(0, 0, 1, 1), RGB(10, 20, 30), RGB(200, 200, 200), gtRadial,
               nullptr);
  EXPECT_EQ(PixelAt(*pixel, 0, 0), (Rgb{10, 20, 30}));

  auto untouched = Bitmap24(4, 4, clRed);
  FillGradient(untouched.get(), Rect(2, 2, 2, 4), clWhite, clBlack, gtHorizontal, nullptr);
  FillGradient(untouched.get(), Rect(2, 3, 4, 1), clWhite, clBlack, gtVertical, nullptr);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(PixelAt(*untouched, x, y), RgbOf(clRed));
}

// Fault mended: values past the gradient's length wrapped through the low byte.
TEST(FillGradientTest, OvershootIsClampedNotWrapped) {
  // With Left = 100 the diagonal length is Round(sqrt(200)) - 100 < 1, so the
  // steps are taken over one pixel and everything beyond distance 1 overshoots.
  auto up = Bitmap24(110, 10);
  FillGradient(up.get(), Rect(100, 0, 110, 10), RGB(0, 0, 0), RGB(255, 128, 0), gtFromTopLeft,
               nullptr);
  EXPECT_EQ(PixelAt(*up, 100, 0), (Rgb{0, 0, 0}));
  // Distance sqrt(2): 255 * 1.414 = 360.6 would have wrapped to 105.
  EXPECT_EQ(PixelAt(*up, 101, 1), (Rgb{255, 181, 0}));
  EXPECT_EQ(PixelAt(*up, 109, 9), (Rgb{255, 255, 0}));

  auto down = Bitmap24(110, 10);
  FillGradient(down.get(), Rect(100, 0, 110, 10), RGB(255, 255, 255), RGB(0, 0, 0),
               gtFromTopLeft, nullptr);
  EXPECT_EQ(PixelAt(*down, 105, 5), (Rgb{0, 0, 0}));  // negative values stop at 0
}

// Fault mended: columns and rows outside the bitmap were written blindly.
TEST(FillGradientTest, RectangleIsClippedToTheBitmap) {
  auto bmp = Bitmap24(10, 10);
  EXPECT_NO_THROW(FillGradient(bmp.get(), Rect(-5, -5, 15, 15), RGB(0, 0, 0), RGB(200, 0, 0),
                               gtHorizontal, nullptr));
  // The shape is still measured on the whole rectangle: x = 0 lies 5 of 20 along.
  EXPECT_EQ(PixelAt(*bmp, 0, 0).R, 50);
  EXPECT_EQ(PixelAt(*bmp, 9, 9).R, 140);
}

TEST(FillGradientTest, OtherPixelFormatsAreDrawnAsTwentyFourBits) {
  TBitmap bmp;
  bmp.SetPixelFormat(pf8bit);
  bmp.SetSize(8, 8);
  FillGradient(&bmp, Rect(0, 0, 8, 8), RGB(0, 0, 0), RGB(0, 0, 80), gtVertical, nullptr);
  EXPECT_EQ(bmp.PixelFormat(), pf24bit);
  EXPECT_EQ(PixelAt(bmp, 7, 7), (Rgb{0, 0, 70}));
}

TEST(GradientLengthTest, LengthsOfTheShapes) {
  const TRect r = Rect(0, 0, 30, 40);
  EXPECT_EQ(GradientLength(r, gtHorizontal), 30);
  EXPECT_EQ(GradientLength(r, gtVertical), 40);
  EXPECT_EQ(GradientLength(r, gtFromTopLeft), 50);
  EXPECT_EQ(GradientLength(r, gtFromTopRight), 50);
  EXPECT_EQ(GradientLength(r, gtRadial), 25);
  EXPECT_EQ(GradientLength(r, gtDoubleHorz), 15);
  EXPECT_EQ(GradientLength(r, gtDoubleVert), 20);
  // The diagonal shapes subtract Left itself.
  EXPECT_EQ(GradientLength(Rect(10, 0, 40, 40), gtFromTopLeft), 40);
}

}  // namespace
