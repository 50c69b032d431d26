// Supersample (box average into the edge band, flat inside), DrawCaptionText
// (shadow and embossed looks) and the splitter's grip and bitmaps.
#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "SkTestUtil.h"
#include "platform/graphics/Font.h"
#include "widgets/sk/SkColors.h"
#include "widgets/sk/SkDrawCore.h"
#include "widgets/sk/SkSplitter.h"

namespace {

const Rgb kFrame{90, 60, 30};
const TColor kInner = RGB(1, 2, 3);

std::unique_ptr<TBitmap> FramedLarge(int Width, int Height) {
  auto large = Bitmap24(Width, Height, RGB(90, 60, 30));
  // Block (0, 0): blue values eight times 5 and once 4, sum 44: 44 div 9 = 4
  // (rounding would give 5).
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) SetPixelAt(*large, x, y, {9, 18, (x == 2 && y == 2) ? 4 : 5});
  return large;
}

TEST(SupersampleTest, BandOfZoneThirtyWithFactorThree) {
  auto large = FramedLarge(120, 120);
  auto small = Bitmap24(40, 40, clBlack);
  Supersample(large.get(), small.get(), 3, 30, kInner);
  // half = 15: x <= 15 or x >= 25 (and likewise y) averaged; the rectangle
  // (15, 15, 25, 25) then takes the inner colour.
  EXPECT_EQ(PixelAt(*small, 0, 0), (Rgb{9, 18, 4}));
  EXPECT_EQ(PixelAt(*small, 14, 20), kFrame);
  EXPECT_EQ(PixelAt(*small, 15, 20), RgbOf(kInner));
  EXPECT_EQ(PixelAt(*small, 24, 20), RgbOf(kInner));
  EXPECT_EQ(PixelAt(*small, 25, 20), kFrame);
  EXPECT_EQ(PixelAt(*small, 20, 14), kFrame);
  EXPECT_EQ(PixelAt(*small, 20, 20), RgbOf(kInner));
  EXPECT_EQ(PixelAt(*small, 20, 25), kFrame);
  EXPECT_EQ(PixelAt(*small, 39, 39), kFrame);
}

TEST(SupersampleTest, ZoneBelowOneMeansFactor) {
  auto large = FramedLarge(30, 30);
  auto small = Bitmap24(10, 10, clBlack);
  Supersample(large.get(), small.get(), 3, 0, kInner);
  // half = 3 div 2 = 1.
  EXPECT_EQ(PixelAt(*small, 0, 5), kFrame);
  EXPECT_EQ(PixelAt(*small, 1, 5), RgbOf(kInner));
  EXPECT_EQ(PixelAt(*small, 8, 5), RgbOf(kInner));
  EXPECT_EQ(PixelAt(*small, 9, 5), kFrame);
}

TEST(SupersampleTest, ShortLargeBitmapEndsTheBandQuietlyAndStillFillsInside) {
  auto large = FramedLarge(60, 30);  // rows for 10 of the 20 small rows
  auto small = Bitmap24(20, 20, clBlack);
  EXPECT_NO_THROW(Supersample(large.get(), small.get(), 3, 10, kInner));
  EXPECT_EQ(PixelAt(*small, 0, 5), kFrame);
  EXPECT_EQ(PixelAt(*small, 0, 15), (Rgb{0, 0, 0}));  // never reached
  EXPECT_EQ(PixelAt(*small, 10, 10), RgbOf(kInner));
}

TEST(SupersampleTest, NarrowLargeBitmapLeavesColumnsItCannotCover) {
  auto large = FramedLarge(30, 60);  // columns for 10 of the 20 small columns
  auto small = Bitmap24(20, 20, clBlack);
  EXPECT_NO_THROW(Supersample(large.get(), small.get(), 3, 10, kInner));
  EXPECT_EQ(PixelAt(*small, 2, 0), kFrame);
  EXPECT_EQ(PixelAt(*small, 18, 0), (Rgb{0, 0, 0}));
}

// ---- DrawCaptionText ----

// Pixels of Bitmap that have colour C.
std::set<std::pair<int, int>> PixelsOf(TBitmap& Bitmap, Rgb C) {
  std::set<std::pair<int, int>> found;
  for (int y = 0; y < Bitmap.Height(); ++y)
    for (int x = 0; x < Bitmap.Width(); ++x)
      if (PixelAt(Bitmap, x, y) == C) found.insert({x, y});
  return found;
}

// The pixels moved by (+1, +1) that the unmoved pixels do not cover.
std::set<std::pair<int, int>> ShiftedOutside(const std::set<std::pair<int, int>>& Pixels) {
  std::set<std::pair<int, int>> shifted;
  for (auto [x, y] : Pixels)
    if (Pixels.count({x + 1, y + 1}) == 0) shifted.insert({x + 1, y + 1});
  return shifted;
}

std::unique_ptr<TBitmap> Caption(bool Enabled, bool Shadow, TColor FontColor) {
  auto bmp = Bitmap24(60, 30, clRed);
  TFont font;
  font.SetName("Arial");
  font.SetHeight(-16);
  font.SetStyle(fsBold);
  font.SetColor(FontColor);
  TCanvas* canvas = bmp->Canvas();
  canvas->SetBkMode(TRANSPARENT);
  DrawCaptionText(canvas, "II", &font, Enabled, Rect(0, 0, 60, 30),
                  int(DT_CENTER | DT_VCENTER | DT_SINGLELINE), Shadow, clYellow);
  return bmp;
}

TEST(DrawCaptionTextTest, EnabledDrawsShadowDownRightThenText) {
  auto plain = Caption(true, false, clBlue);
  auto shadowed = Caption(true, true, clBlue);
  auto text = PixelsOf(*plain, RgbOf(clBlue));
  ASSERT_FALSE(text.empty());
  EXPECT_TRUE(PixelsOf(*plain, RgbOf(clYellow)).empty());
  // The text pixels are the same with a shadow; the shadow shows where the
  // text moved by (+1, +1) does not cover it.
  EXPECT_EQ(PixelsOf(*shadowed, RgbOf(clBlue)), text);
  EXPECT_EQ(PixelsOf(*shadowed, RgbOf(clYellow)), ShiftedOutside(text));
  EXPECT_EQ(PixelAt(*shadowed, 0, 0), RgbOf(clRed));
}

TEST(DrawCaptionTextTest, EnabledRestoresTheFontColourAfterTheShadow) {
  auto bmp = Bitmap24(20, 20);
  TCanvas* canvas = bmp->Canvas();
  canvas->Font()->SetColor(clGreen);
  DrawCaptionText(canvas, "x", canvas->Font(), true, Rect(0, 0, 20, 20), 0, true, clYellow);
  EXPECT_EQ(canvas->Font()->Color(), clGreen);
}

TEST(DrawCaptionTextTest, DisabledIsEmbossedAndIgnoresTheShadowFlag) {
  auto disabled = Caption(false, false, clBlue);
  auto disabledShadow = Caption(false, true, clBlue);
  auto text = PixelsOf(*Caption(true, false, clBlue), RgbOf(clBlue));
  auto shadow = PixelsOf(*disabled, RgbOf(clBtnShadow));
  auto highlight = PixelsOf(*disabled, RgbOf(clBtnHighlight));
  // Shadow colour on top where the text is, highlight one pixel down-right.
  EXPECT_EQ(shadow, text);
  ASSERT_FALSE(highlight.empty());
  EXPECT_EQ(highlight, ShiftedOutside(text));
  EXPECT_EQ(PixelsOf(*disabledShadow, RgbOf(clBtnShadow)), shadow);
  EXPECT_EQ(PixelsOf(*disabledShadow, RgbOf(clBtnHighlight)), highlight);
  EXPECT_TRUE(PixelsOf(*disabledShadow, RgbOf(clYellow)).empty());

  auto bmp = Bitmap24(20, 20);
  TCanvas* canvas = bmp->Canvas();
  DrawCaptionText(canvas, "x", canvas->Font(), false, Rect(0, 0, 20, 20), 0, true, clYellow);
  EXPECT_EQ(canvas->Font()->Color(), clBtnShadow);  // kept afterwards
}

// ---- splitter ----

class TTestSplitter : public TSkSplitterSource {
 public:
  TTestSplitter(int W, int H, bool IsVertical) : FW(W), FH(H), FVertical(IsVertical) {
    FColors = std::make_unique<TSkSplitterColors>(this);
  }
  int Width() const override { return FW; }
  int Height() const override { return FH; }
  TColor Color() const override { return clSilver; }
  TBitmap* NormalBitmap() override { return FHaveBitmaps ? &FNormal : nullptr; }
  TBitmap* HotBitmap() override { return FHaveBitmaps ? &FHot : nullptr; }
  bool Vertical() const override { return FVertical; }
  TGradientType GradientType() const override { return FVertical ? gtHorizontal : gtVertical; }
  bool FullLength() const override { return FFullLength; }
  bool ShowGrip() const override { return FGrip; }
  TSkSplitterColors* SplitterColors() override { return FColors.get(); }
  void Invalidate() override { ++Invalidates; }

  int FW, FH;
  bool FVertical;
  bool FHaveBitmaps = true;
  bool FFullLength = false;
  bool FGrip = true;
  int Invalidates = 0;
  TBitmap FNormal, FHot;
  std::unique_ptr<TSkSplitterColors> FColors;
};

TEST(SplitterTest, GripHasTwentySevenDotsFromMinusFortyToThirtyEight) {
  auto bmp = Bitmap24(20, 200, clSilver);
  TTestSplitter splitter(20, 200, true);
  DrawGrip(&splitter, bmp->Canvas(), 5, 100);
  int dots = 0;
  for (int y = 1; y < 200; ++y)
    if (PixelAt(*bmp, 6, y) == (Rgb{128, 128, 128}) && PixelAt(*bmp, 5, y - 1) == (Rgb{255, 255, 255}))
      ++dots;
  EXPECT_EQ(dots, 27);
  // A raised dot: white top-left, grey inner, silver bottom, white lower right.
  EXPECT_EQ(PixelAt(*bmp, 5, 60), (Rgb{255, 255, 255}));
  EXPECT_EQ(PixelAt(*bmp, 6, 60), (Rgb{128, 128, 128}));
  EXPECT_EQ(PixelAt(*bmp, 6, 61), (Rgb{128, 128, 128}));
  EXPECT_EQ(PixelAt(*bmp, 6, 62), (Rgb{192, 192, 192}));
  EXPECT_EQ(PixelAt(*bmp, 7, 62), (Rgb{255, 255, 255}));
  EXPECT_EQ(PixelAt(*bmp, 5, 138), (Rgb{255, 255, 255}));  // the last dot, offset 38
  EXPECT_EQ(PixelAt(*bmp, 5, 141), (Rgb{192, 192, 192}));  // none at offset 41
  EXPECT_EQ(PixelAt(*bmp, 5, 57), (Rgb{192, 192, 192}));   // none at offset -43
}

TEST(SplitterTest, FlatDotIsTwoPixels) {
  auto bmp = Bitmap24(4, 4, clRed);
  DrawGripDot(bmp->Canvas(), 1, 1, false);
  EXPECT_EQ(PixelAt(*bmp, 2, 2), (Rgb{128, 128, 128}));
  EXPECT_EQ(PixelAt(*bmp, 1, 2), (Rgb{255, 255, 255}));
  EXPECT_EQ(PixelAt(*bmp, 1, 1), RgbOf(clRed));
}

TEST(SplitterTest, BitmapsHaveAnEightyPixelBandAroundTheCentre) {
  TTestSplitter splitter(6, 200, false);
  splitter.FGrip = false;
  splitter.FColors->SetDefaultFrom(RGB(0, 0, 0));
  splitter.FColors->SetDefaultTo(RGB(160, 0, 0));
  splitter.Invalidates = 0;
  BuildSplitterBitmaps(&splitter);
  EXPECT_EQ(splitter.Invalidates, 1);
  ASSERT_EQ(splitter.FNormal.Width(), 6);
  ASSERT_EQ(splitter.FHot.Height(), 200);
  // A horizontal bar's band: columns cx - 40 .. cx + 39 with cx = 3, cut to
  // the bitmap; the vertical gradient runs over the whole height.
  EXPECT_EQ(PixelAt(splitter.FNormal, 0, 0), (Rgb{0, 0, 0}));
  EXPECT_EQ(PixelAt(splitter.FNormal, 5, 100), (Rgb{80, 0, 0}));
  TTestSplitter vertical(6, 200, true);
  vertical.FGrip = false;
  vertical.FColors->SetDefaultFrom(RGB(0, 0, 0));
  vertical.FColors->SetDefaultTo(RGB(160, 0, 0));
  BuildSplitterBitmaps(&vertical);
  // cy = 100: rows 60..139 carry the gradient (gtHorizontal across the bar),
  // rows outside keep the background.
  EXPECT_EQ(PixelAt(vertical.FNormal, 0, 59), RgbOf(clSilver));
  EXPECT_EQ(PixelAt(vertical.FNormal, 3, 60), (Rgb{80, 0, 0}));
  EXPECT_EQ(PixelAt(vertical.FNormal, 3, 139), (Rgb{80, 0, 0}));
  EXPECT_EQ(PixelAt(vertical.FNormal, 3, 140), RgbOf(clSilver));
  // The hot bitmap uses the hover pair: white to $BE9476.
  EXPECT_EQ(PixelAt(vertical.FHot, 0, 100), (Rgb{255, 255, 255}));
}

// Fault mended: on a bar shorter than the band, the band's columns ran off the bitmap.
TEST(SplitterTest, ShortBarIsClipped) {
  TTestSplitter splitter(30, 8, false);
  EXPECT_NO_THROW(BuildSplitterBitmaps(&splitter));
  EXPECT_EQ(splitter.FNormal.Width(), 30);
  EXPECT_EQ(splitter.FHot.Width(), 30);
}

TEST(SplitterTest, ColourChangeRebuildsOnlyWhenTheValueDiffers) {
  TTestSplitter splitter(10, 100, true);
  splitter.Invalidates = 0;
  splitter.FColors->SetOverTo(TColor(12489846));  // the value it has
  EXPECT_EQ(splitter.Invalidates, 0);
  splitter.FColors->SetOverTo(clRed);
  EXPECT_EQ(splitter.Invalidates, 1);
  splitter.FHaveBitmaps = false;
  splitter.FColors->SetOverTo(clBlue);
  EXPECT_EQ(splitter.Invalidates, 1);  // no bitmaps: nothing built, nothing invalidated
}

}  // namespace
