// BlendRect and BlendBitmap: the double arithmetic (which integer arithmetic
// gets wrong at ties), percent clamping, clipping, and the offset copy.
#include <gtest/gtest.h>

#include "SkTestUtil.h"
#include "widgets/sk/SkDrawCore.h"

namespace {

// One pixel of dest blended with one pixel of overlay.
Rgb BlendOne(Rgb Dest, Rgb Over, int Percent) {
  auto dest = Bitmap24(1, 1);
  auto over = Bitmap24(1, 1);
  SetPixelAt(*dest, 0, 0, Dest);
  SetPixelAt(*over, 0, 0, Over);
  BlendRect(dest.get(), over.get(), Rect(0, 0, 1, 1), Percent);
  return PixelAt(*dest, 0, 0);
}

TEST(BlendRectTest, ExactIntegerArithmeticWouldGetTheseWrong) {
  // 50%: 1 * 0.5 + 0 * 0.5 = 0.5 -> 0 (half-up integers give 1).
  EXPECT_EQ(BlendOne({1, 1, 1}, {0, 0, 0}, 50), (Rgb{0, 0, 0}));
  // 10%: 5 * 0.9 = 4.5 -> 4 (half-up integers give 5).
  EXPECT_EQ(BlendOne({5, 5, 5}, {0, 0, 0}, 10), (Rgb{4, 4, 4}));
  // 1%: take = 1 - 0.99 = 0.010000000000000009, so 50 * take = 0.5000000000000004 -> 1
  // (exact rational arithmetic with halves to even would give 0).
  EXPECT_EQ(BlendOne({0, 0, 0}, {50, 50, 50}, 1), (Rgb{1, 1, 1}));
  // 99%: 50 * 0.01 = 0.5 -> 0.
  EXPECT_EQ(BlendOne({50, 50, 50}, {0, 0, 0}, 99), (Rgb{0, 0, 0}));
  // Each byte on its own.
  EXPECT_EQ(BlendOne({5, 1, 3}, {0, 0, 0}, 50), (Rgb{2, 0, 2}));
}

TEST(BlendRectTest, EndPointsCopyOrKeep) {
  EXPECT_EQ(BlendOne({10, 20, 30}, {200, 100, 50}, 100), (Rgb{200, 100, 50}));
  EXPECT_EQ(BlendOne({10, 20, 30}, {200, 100, 50}, 0), (Rgb{10, 20, 30}));
  // take = 1 - 0.7 = 0.30000000000000004: 255 * take = 76.50000000000001 -> 77.
  EXPECT_EQ(BlendOne({0, 0, 0}, {255, 255, 255}, 30), (Rgb{77, 77, 77}));
}

// Fault mended: percentages outside 0..100 extrapolated.
TEST(BlendRectTest, PercentIsClamped) {
  EXPECT_EQ(BlendOne({10, 20, 30}, {200, 100, 50}, 150), (Rgb{200, 100, 50}));
  EXPECT_EQ(BlendOne({10, 20, 30}, {200, 100, 50}, -20), (Rgb{10, 20, 30}));
}

TEST(BlendRectTest, OverlayIsReadFromItsOwnCorner) {
  auto dest = Bitmap24(6, 6, clBlack);
  auto over = Bitmap24(2, 2, clWhite);
  SetPixelAt(*over, 0, 0, {100, 0, 0});
  BlendRect(dest.get(), over.get(), Rect(3, 2, 5, 4), 100);
  EXPECT_EQ(PixelAt(*dest, 3, 2), (Rgb{100, 0, 0}));
  EXPECT_EQ(PixelAt(*dest, 4, 3), (Rgb{255, 255, 255}));
  EXPECT_EQ(PixelAt(*dest, 2, 2), (Rgb{0, 0, 0}));
  EXPECT_EQ(PixelAt(*dest, 5, 4), (Rgb{0, 0, 0}));
}

// Fault mended: rows and columns beyond either bitmap were read and written.
TEST(BlendRectTest, RectangleIsCutToDestinationAndOverlay) {
  auto dest = Bitmap24(5, 5, clBlack);
  auto over = Bitmap24(3, 2, clWhite);
  EXPECT_NO_THROW(BlendRect(dest.get(), over.get(), Rect(1, 1, 50, 50), 100));
  EXPECT_EQ(PixelAt(*dest, 1, 1), (Rgb{255, 255, 255}));
  EXPECT_EQ(PixelAt(*dest, 3, 2), (Rgb{255, 255, 255}));
  EXPECT_EQ(PixelAt(*dest, 4, 1), (Rgb{0, 0, 0}));  // past the overlay's width
  EXPECT_EQ(PixelAt(*dest, 1, 3), (Rgb{0, 0, 0}));  // past the overlay's height

  auto negative = Bitmap24(4, 4, clBlack);
  auto big = Bitmap24(8, 8, clWhite);
  SetPixelAt(*big, 2, 2, {1, 2, 3});
  EXPECT_NO_THROW(BlendRect(negative.get(), big.get(), Rect(-2, -2, 3, 3), 100));
  EXPECT_EQ(PixelAt(*negative, 0, 0), (Rgb{1, 2, 3}));  // overlay (2, 2)
  EXPECT_EQ(PixelAt(*negative, 3, 3), (Rgb{0, 0, 0}));
}

TEST(BlendBitmapTest, CopiesBaseShiftedByOffsetThenBlends) {
  auto dest = Bitmap24(4, 3, clRed);
  auto base = Bitmap24(4, 3, clBlack);
  SetPixelAt(*base, 0, 0, {10, 20, 30});
  SetPixelAt(*base, 3, 2, {99, 99, 99});
  auto over = Bitmap24(4, 3, clWhite);
  BlendBitmap(dest.get(), base.get(), over.get(), 0, Rect(0, 0, 4, 3), 1);
  EXPECT_EQ(PixelAt(*dest, 1, 1), (Rgb{10, 20, 30}));  // base (0, 0) lands at (1, 1)
  EXPECT_EQ(PixelAt(*dest, 0, 0), RgbOf(clRed));       // row 0 and column 0 are not copied
  EXPECT_EQ(PixelAt(*dest, 3, 0), RgbOf(clRed));
  EXPECT_EQ(PixelAt(*dest, 3, 2), (Rgb{0, 0, 0}));  // base's last row and column fall away
}

TEST(BlendBitmapTest, PercentZeroOrBelowOnlyCopiesAndAboveHundredBlendsFully) {
  auto base = Bitmap24(3, 3, RGB(10, 10, 10));
  auto over = Bitmap24(3, 3, RGB(210, 210, 210));
  auto dest = Bitmap24(3, 3);
  BlendBitmap(dest.get(), base.get(), over.get(), -5, Rect(0, 0, 3, 3), 0);
  EXPECT_EQ(PixelAt(*dest, 1, 1), (Rgb{10, 10, 10}));
  BlendBitmap(dest.get(), base.get(), over.get(), 150, Rect(0, 0, 3, 3), 0);
  EXPECT_EQ(PixelAt(*dest, 1, 1), (Rgb{210, 210, 210}));
  BlendBitmap(dest.get(), base.get(), over.get(), 50, Rect(0, 0, 3, 3), 0);
  EXPECT_EQ(PixelAt(*dest, 1, 1), (Rgb{110, 110, 110}));
}

TEST(BlendBitmapTest, BaseMayBeTheDestination) {
  auto bmp = Bitmap24(3, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) SetPixelAt(*bmp, x, y, {x * 10, y * 10, 0});
  auto over = Bitmap24(3, 3);
  BlendBitmap(bmp.get(), bmp.get(), over.get(), 0, Rect(0, 0, 3, 3), 1);
  // The overlapping copy reads every source pixel before it is overwritten.
  EXPECT_EQ(PixelAt(*bmp, 1, 1), (Rgb{0, 0, 0}));
  EXPECT_EQ(PixelAt(*bmp, 2, 1), (Rgb{10, 0, 0}));
  EXPECT_EQ(PixelAt(*bmp, 2, 2), (Rgb{10, 10, 0}));
  EXPECT_EQ(PixelAt(*bmp, 1, 2), (Rgb{0, 10, 0}));
}

TEST(TextFormatFlagsTest, FlagValues) {
  int flags = -1;
  TextFormatFlags(2, false, flags);
  EXPECT_EQ(flags, 0x8825);  // the button's caption: 34853
  TextFormatFlags(0, true, flags);
  EXPECT_EQ(flags, 0x8814);
  TextFormatFlags(1, false, flags);
  EXPECT_EQ(flags, 0x8826);
  TextFormatFlags(3, false, flags);
  EXPECT_EQ(flags, 0x8824);  // no alignment flag
  TextFormatFlags(0, false, flags);
  EXPECT_EQ(flags, 0x8824);
}

TEST(GrayTintTest, GreyPlusTintCappedAt255) {
  auto bmp = Bitmap24(3, 1);
  SetPixelAt(*bmp, 0, 0, {255, 255, 255});
  SetPixelAt(*bmp, 1, 0, {0, 0, 0});
  SetPixelAt(*bmp, 2, 0, {10, 20, 31});  // grey = 61 div 3 = 20
  GrayTint(bmp.get(), TColor(0x404040));
  EXPECT_EQ(PixelAt(*bmp, 0, 0), (Rgb{255, 255, 255}));
  EXPECT_EQ(PixelAt(*bmp, 1, 0), (Rgb{64, 64, 64}));
  EXPECT_EQ(PixelAt(*bmp, 2, 0), (Rgb{84, 84, 84}));

  auto coloured = Bitmap24(1, 1);
  SetPixelAt(*coloured, 0, 0, {200, 220, 230});  // grey 216
  GrayTint(coloured.get(), RGB(48, 32, 16));
  EXPECT_EQ(PixelAt(*coloured, 0, 0), (Rgb{255, 248, 232}));
}

TEST(GrayTintTest, SystemColourTintIsResolved) {
  auto bmp = Bitmap24(1, 1);
  GrayTint(bmp.get(), clBtnShadow);
  EXPECT_EQ(PixelAt(*bmp, 0, 0), RgbOf(clBtnShadow));
}

}  // namespace
