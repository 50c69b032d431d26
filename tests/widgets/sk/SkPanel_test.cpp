// TSkPanel: which changes rebuild the cached background and which only
// repaint, the rejected values, the cache's pixels (square and rounded
// frames, anti-aliasing, gradient, group-box gap), caption placement and the
// child area.
#include <gtest/gtest.h>

#include "SkProbes.h"
#include "SkTestUtil.h"
#include "platform/graphics/Font.h"

namespace {

struct TPanelFixture : ::testing::Test {
  TForm* form = new TForm(nullptr);
  TProbePanel* panel = new TProbePanel(form);

  void SetUp() override {
    form->SetBounds(0, 0, 400, 300);
    form->SetColor(clBtnFace);
    panel->SetBounds(10, 10, 120, 80);
    panel->SetParent(form);
    panel->ResetCounts();
  }
  void TearDown() override { delete form; }

  // Runs Change; the rebuilds and repaint requests it caused.
  template <class F>
  std::pair<int, int> Counts(F Change) {
    panel->ResetCounts();
    Change();
    return {panel->Rebuilds, panel->Invalidates};
  }
};

TEST(SkPanelTest, ConstructorValues) {
  TSkPanel panel(nullptr);
  EXPECT_EQ(panel.CornerWidth(), 10);
  EXPECT_EQ(panel.BorderWidth(), 2);
  EXPECT_EQ(panel.BorderColor(), clGray);
  EXPECT_EQ(panel.OuterColor(), clBtnFace);
  EXPECT_EQ(panel.CaptionPosition(), cpTopLeft);
  EXPECT_EQ(panel.TextShadowColor(), clWhite);
  EXPECT_TRUE(panel.Antialiased());
  EXPECT_FALSE(panel.Gradient());
  EXPECT_EQ(panel.DefaultFrom(), clWhite);
  EXPECT_EQ(panel.DefaultTo(), TColor(0xE3DFDF));
  EXPECT_EQ(panel.GradientType(), gtVertical);
  EXPECT_EQ(panel.Color(), TColor(0xE3DFDF));
  EXPECT_EQ(panel.Font()->Color(), TColor(0xCE0000));
  EXPECT_EQ(panel.Width(), 185);
  EXPECT_EQ(panel.Height(), 105);
  EXPECT_TRUE(panel.TabStop());
  EXPECT_NE(panel.ControlStyle() & csAcceptsControls, 0u);
  EXPECT_NE(panel.ControlStyle() & csDoubleClicks, 0u);
  EXPECT_EQ(panel.Background()->PixelFormat(), pf24bit);
}

TEST_F(TPanelFixture, ShapingPropertiesRebuildOnceAndEqualValuesDoNothing) {
  EXPECT_EQ(Counts([&] { panel->SetCornerWidth(10); }), std::make_pair(0, 0));
  EXPECT_EQ(Counts([&] { panel->SetCornerWidth(20); }), std::make_pair(1, 1));
  EXPECT_EQ(Counts([&] { panel->SetBorderWidth(2); }), std::make_pair(0, 0));
  EXPECT_EQ(Counts([&] { panel->SetBorderWidth(4); }), std::make_pair(1, 1));
  EXPECT_EQ(Counts([&] { panel->SetBorderColor(clGray); }), std::make_pair(0, 0));
  EXPECT_EQ(Counts([&] { panel->SetBorderColor(clRed); }), std::make_pair(1, 1));
  EXPECT_EQ(Counts([&] { panel->SetOuterColor(clBtnFace); }), std::make_pair(0, 0));
  EXPECT_EQ(Counts([&] { panel->SetOuterColor(clWhite); }), std::make_pair(1, 1));
  EXPECT_EQ(Counts([&] { panel->SetGradientType(gtVertical); }), std::make_pair(0, 0));
  EXPECT_EQ(Counts([&] { panel->SetGradientType(gtRadial); }), std::make_pair(1, 1));
  EXPECT_EQ(Counts([&] { panel->SetDefaultFrom(clWhite); }), std::make_pair(0, 0));
  EXPECT_EQ(Counts([&] { panel->SetDefaultFrom(clRed); }), std::make_pair(1, 1));
  EXPECT_EQ(Counts([&] { panel->SetDefaultTo(TColor(0xE3DFDF)); }), std::make_pair(0, 0));
  EXPECT_EQ(Counts([&] { panel->SetDefaultTo(clRed); }), std::make_pair(1, 1));
  EXPECT_EQ(Counts([&] { panel->SetAntialiased(true); }), std::make_pair(0, 0));
  EXPECT_EQ(Counts([&] { panel->SetAntialiased(false); }), std::make_pair(1, 1));
}

TEST_F(TPanelFixture, TextShadowColourOnlyRepaints) {
  EXPECT_EQ(Counts([&] { panel->SetTextShadowColor(clWhite); }), std::make_pair(0, 0));
  EXPECT_EQ(Counts([&] { panel->SetTextShadowColor(clBlack); }), std::make_pair(0, 1));
}

TEST_F(TPanelFixture, NegativeCornerAndNonPositiveBorderAreIgnored) {
  EXPECT_EQ(Counts([&] { panel->SetCornerWidth(-1); }), std::make_pair(0, 0));
  EXPECT_EQ(panel->CornerWidth(), 10);
  EXPECT_EQ(Counts([&] { panel->SetBorderWidth(0); }), std::make_pair(0, 0));
  EXPECT_EQ(Counts([&] { panel->SetBorderWidth(-3); }), std::make_pair(0, 0));
  EXPECT_EQ(panel->BorderWidth(), 2);
  panel->SetCornerWidth(0);  // square corners are allowed
  EXPECT_EQ(panel->CornerWidth(), 0);
}

TEST_F(TPanelFixture, GradientAndAntialiasingExcludeEachOther) {
  EXPECT_EQ(Counts([&] { panel->SetGradient(true); }), std::make_pair(0, 0));
  EXPECT_FALSE(panel->Gradient());
  panel->SetAntialiased(false);
  EXPECT_EQ(Counts([&] { panel->SetGradient(true); }), std::make_pair(1, 1));
  EXPECT_TRUE(panel->Gradient());
  EXPECT_EQ(Counts([&] { panel->SetAntialiased(true); }), std::make_pair(1, 1));
  EXPECT_FALSE(panel->Gradient());
}

TEST_F(TPanelFixture, CaptionPositionRebuildsOnlyAroundTheGroupBox) {
  EXPECT_EQ(Counts([&] { panel->SetCaptionPosition(cpTopLeft); }), std::make_pair(0, 0));
  EXPECT_EQ(Counts([&] { panel->SetCaptionPosition(cpMiddleRight); }), std::make_pair(0, 1));
  EXPECT_EQ(Counts([&] { panel->SetCaptionPosition(cpGroupBox); }), std::make_pair(1, 1));
  EXPECT_EQ(Counts([&] { panel->SetCaptionPosition(cpBottomLeft); }), std::make_pair(1, 1));
}

TEST_F(TPanelFixture, ColourChangeRebuildsAndTheInsideTakesIt) {
  auto [rebuilds, invalidates] = Counts([&] { panel->SetColor(clGray); });
  EXPECT_EQ(rebuilds, 1);
  EXPECT_GE(invalidates, 1);
  EXPECT_EQ(PixelAt(*panel->Background(), 60, 40), RgbOf(clGray));
  panel->SetColor(clWhite);  // the slot blink alternates these two
  EXPECT_EQ(PixelAt(*panel->Background(), 60, 40), RgbOf(clWhite));
}

TEST_F(TPanelFixture, ResizeResizesTheCacheAndRebuilds) {
  auto [rebuilds, invalidates] = Counts([&] { panel->SetBounds(10, 10, 150, 90); });
  EXPECT_EQ(rebuilds, 1);
  (void)invalidates;
  EXPECT_EQ(panel->Background()->Width(), 150);
  EXPECT_EQ(panel->Background()->Height(), 90);
}

TEST_F(TPanelFixture, ReadingSkipsRebuildsUntilLoaded) {
  panel->BeginLoading();
  panel->SetCornerWidth(25);
  panel->SetBorderColor(clSilver);
  panel->SetColor(clWhite);
  panel->ResetCounts();
  // While reading, the setters store their values and the builder returns at once.
  panel->SetOuterColor(clSilver);
  EXPECT_EQ(panel->Invalidates, 0);
  EXPECT_NE(PixelAt(*panel->Background(), 0, 0), RgbOf(clSilver));
  panel->ResetCounts();
  panel->Loaded();
  EXPECT_EQ(panel->Rebuilds, 1);
  EXPECT_EQ(PixelAt(*panel->Background(), 60, 40), RgbOf(clWhite));
  EXPECT_EQ(PixelAt(*panel->Background(), 0, 0), RgbOf(clSilver));
}

TEST_F(TPanelFixture, ParentColourSetsColourAndOuterColour) {
  panel->SetParentColor(true);
  form->SetColor(clYellow);
  EXPECT_EQ(panel->Color(), clYellow);
  EXPECT_EQ(panel->OuterColor(), clYellow);
}

TEST_F(TPanelFixture, SquareOnePixelFrameWithoutAntialiasing) {
  // The main window's bars: corner 0, border 1, no anti-aliasing: pen width 0.
  panel->SetAntialiased(false);
  panel->SetCornerWidth(0);
  panel->SetBorderWidth(1);
  panel->SetColor(clWhite);
  TBitmap& bg = *panel->Background();
  EXPECT_EQ(PixelAt(bg, 0, 0), RgbOf(clGray));
  EXPECT_EQ(PixelAt(bg, 119, 79), RgbOf(clGray));
  EXPECT_EQ(PixelAt(bg, 60, 0), RgbOf(clGray));
  EXPECT_EQ(PixelAt(bg, 1, 1), RgbOf(clWhite));
  EXPECT_EQ(PixelAt(bg, 118, 78), RgbOf(clWhite));
}

TEST_F(TPanelFixture, AntialiasedRoundedFrame) {
  panel->SetCornerWidth(25);
  panel->SetBorderWidth(3);
  panel->SetBorderColor(clSilver);
  panel->SetOuterColor(clBlack);
  panel->SetColor(RGB(0xDF, 0xBF, 0x9F));
  TBitmap& bg = *panel->Background();
  EXPECT_EQ(PixelAt(bg, 0, 0), RgbOf(clBlack));
  EXPECT_EQ(PixelAt(bg, 119, 79), RgbOf(clBlack));
  EXPECT_EQ(PixelAt(bg, 60, 40), RgbOf(panel->Color()));
  EXPECT_EQ(PixelAt(bg, 60, 1), RgbOf(clSilver));  // inside the straight top edge
  // Averaging leaves grades between the colours along the curve.
  bool graded = false;
  for (int x = 0; x < 12 && !graded; ++x) {
    Rgb p = PixelAt(bg, x, 3);
    graded = p != RgbOf(clBlack) && p != RgbOf(clSilver) && p != RgbOf(panel->Color());
  }
  EXPECT_TRUE(graded);
  // The frame is symmetric about both centre lines.
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 120; ++x) {
      ASSERT_EQ(PixelAt(bg, x, y), PixelAt(bg, 119 - x, y)) << x << "," << y;
      ASSERT_EQ(PixelAt(bg, x, y), PixelAt(bg, x, 79 - y)) << x << "," << y;
    }
}

TEST_F(TPanelFixture, GradientFillsInsideTheRoundedFrame) {
  panel->SetAntialiased(false);
  panel->SetBorderWidth(1);
  panel->SetCornerWidth(0);
  panel->SetGradient(true);
  panel->SetGradientType(gtDoubleVert);
  panel->SetDefaultFrom(RGB(0x10, 0x84, 0xD0));
  panel->SetDefaultTo(RGB(0x71, 0xB8, 0xFF));
  TBitmap& bg = *panel->Background();
  // len = 40: the centre row has the start colour, row 20 half-way.
  EXPECT_EQ(PixelAt(bg, 60, 40), (Rgb{0x10, 0x84, 0xD0}));
  // Row 20 is 20 from the centre: 16 + 48.5 and 208 + 23.5 are ties, to even.
  EXPECT_EQ(PixelAt(bg, 60, 20), (Rgb{64, 158, 232}));
  EXPECT_EQ(PixelAt(bg, 0, 40), RgbOf(clGray));  // the frame drawn over it
}

TEST_F(TPanelFixture, GroupBoxFrameStartsHalfACaptionLower) {
  panel->SetAntialiased(false);
  panel->SetCornerWidth(0);
  panel->SetBorderWidth(1);
  panel->SetCaption("Group");
  panel->SetCaptionPosition(cpGroupBox);
  panel->Canvas()->SetFont(panel->Font());
  const int half = panel->Canvas()->TextHeight("Group") / 2;
  ASSERT_GT(half, 2);
  TBitmap& bg = *panel->Background();
  EXPECT_EQ(PixelAt(bg, 60, half - 1), RgbOf(clBtnFace));
  EXPECT_EQ(PixelAt(bg, 60, half), RgbOf(clGray));

  // The child area: sides in by BorderWidth + 1, top down by 2 * half + 1, bottom up by 3.
  auto* child = new TProbePanel(form);
  child->SetParent(panel);
  child->SetAlign(alClient);
  EXPECT_EQ(child->BoundsRect(), Rect(2, 2 * half + 1, 118, 77));
}

TEST_F(TPanelFixture, ChildAreaIsInsetByTheBorder) {
  panel->SetBorderWidth(5);
  auto* child = new TProbePanel(form);
  child->SetParent(panel);
  child->SetAlign(alClient);
  EXPECT_EQ(child->BoundsRect(), Rect(6, 6, 114, 74));
}

// The bounding box of the pixels of colour C on the panel's paint buffer.
TRect InkBox(TCanvas* Canvas, int Width, int Height, TColor C) {
  TRect box{Width, Height, -1, -1};
  for (int y = 0; y < Height; ++y)
    for (int x = 0; x < Width; ++x)
      if ((Canvas->Pixels(x, y) & 0xFFFFFF) == (ColorToRGB(C) & 0xFFFFFF)) {
        box.Left = std::min(box.Left, x);
        box.Top = std::min(box.Top, y);
        box.Right = std::max(box.Right, x + 1);
        box.Bottom = std::max(box.Bottom, y + 1);
      }
  return box;
}

TEST_F(TPanelFixture, CaptionGoesWhereItsPositionSays) {
  panel->SetCornerWidth(25);
  panel->SetBorderWidth(3);
  panel->SetColor(clWhite);
  panel->SetTextShadow(false);
  panel->Font()->SetColor(clRed);
  panel->SetCaption("Ag");
  TCanvas* canvas = panel->Canvas();

  panel->SetCaptionPosition(cpTopLeft);
  panel->PaintNow();
  TRect topLeft = InkBox(canvas, 120, 80, clRed);
  EXPECT_GE(topLeft.Left, 14);  // d = (25 + 3) div 2
  EXPECT_LT(topLeft.Left, 20);
  EXPECT_GE(topLeft.Top, 3);
  EXPECT_LT(topLeft.Bottom, 40);

  panel->SetCaptionPosition(cpMiddleLeft);
  panel->PaintNow();
  TRect middleLeft = InkBox(canvas, 120, 80, clRed);
  // The left edge moves out by (25 - 3) div 2 = 11, to 3.
  EXPECT_GE(middleLeft.Left, 3);
  EXPECT_LT(middleLeft.Left, 8);
  EXPECT_LT(middleLeft.Top, 40);
  EXPECT_GT(middleLeft.Bottom, 40);

  panel->SetCaptionPosition(cpBottomRight);
  panel->PaintNow();
  TRect bottomRight = InkBox(canvas, 120, 80, clRed);
  EXPECT_LE(bottomRight.Right, 120 - 14);
  EXPECT_GT(bottomRight.Right, 120 - 20);
  EXPECT_LE(bottomRight.Bottom, 77);
  EXPECT_GT(bottomRight.Top, 40);

  panel->SetCaptionPosition(cpMiddleCenter);
  panel->PaintNow();
  TRect centre = InkBox(canvas, 120, 80, clRed);
  EXPECT_NEAR((centre.Left + centre.Right) / 2.0, 60, 3);
  EXPECT_NEAR((centre.Top + centre.Bottom) / 2.0, 40, 4);

  panel->SetShowCaption(false);
  panel->PaintNow();
  EXPECT_EQ(InkBox(canvas, 120, 80, clRed).Right, -1);
}

TEST_F(TPanelFixture, LongCaptionEndsInAnEllipsisOnOneLine) {
  panel->SetTextShadow(false);
  panel->Font()->SetColor(clRed);
  panel->SetCaption(std::string(60, 'W'));
  panel->PaintNow();
  TRect ink = InkBox(panel->Canvas(), 120, 80, clRed);
  EXPECT_LE(ink.Right, 120 - 6);  // within the text rectangle
  EXPECT_LT(ink.Bottom - ink.Top, 20);
}

TEST_F(TPanelFixture, PaintCopiesTheCacheWithoutRebuilding) {
  panel->SetColor(clLime);
  panel->ResetCounts();
  panel->PaintNow();
  panel->PaintNow();
  EXPECT_EQ(panel->Rebuilds, 0);
  EXPECT_EQ(panel->Paints, 2);
  EXPECT_EQ(panel->Canvas()->Pixels(60, 40) & 0xFFFFFF, ColorToRGB(clLime));
}

}  // namespace
