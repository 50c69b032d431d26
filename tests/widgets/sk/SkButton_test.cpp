// TSkButton: faces and their blending on paint, rebuild-versus-repaint
// counts, glyph placement, groups, keys, modal results, and the click rules
// (press-drag-out-release gives none, a double click gives two).
#include <gtest/gtest.h>

#include <cmath>

#include "SkProbes.h"
#include "SkTestUtil.h"
#include "platform/base/MainThread.h"
#include "platform/controls/SimulateInput.h"
#include "platform/graphics/Font.h"

namespace {

struct TButtonFixture : ::testing::Test {
  TForm* form = new TForm(nullptr);
  TProbeButton* button = new TProbeButton(form);
  int clicks = 0;

  void SetUp() override {
    form->SetBounds(0, 0, 400, 300);
    form->SetColor(clWhite);
    button->SetBounds(20, 20, 75, 25);
    button->SetParent(form);
    button->SetOnClick([this](TObject*) { ++clicks; });
    button->HoldTimer = true;  // ticks come from the test alone
    form->Show();
    SimulateMouseExit();
    button->ResetCounts();
  }
  void TearDown() override {
    SimulateMouseExit();
    delete form;
  }

  Rgb Painted(int X, int Y) { return RgbOf(button->Canvas()->Pixels(X, Y)); }

  template <class F>
  std::pair<int, int> Counts(F Change) {
    button->ResetCounts();
    Change();
    return {button->Rebuilds, button->Invalidates};
  }

  void Hover(int Ticks) {
    SimulateMouseMove(button, 30, 12);
    for (int i = 0; i < Ticks; ++i) button->Tick();
  }
};

// The byte Round(a * keep + b * take) of a blend by Percent.
int Blend(int A, int B, int Percent) {
  const double keep = (100 - Percent) / 100.0;
  const double take = 1.0 - keep;
  return int(std::nearbyint(A * keep + B * take));
}

TEST(SkButtonTest, ConstructorValues) {
  TSkButton button(nullptr);
  EXPECT_EQ(button.Width(), 75);
  EXPECT_EQ(button.Height(), 25);
  EXPECT_EQ(button.NormalBitmap()->Width(), 75);
  EXPECT_EQ(button.ClickedBitmap()->Height(), 25);
  EXPECT_EQ(button.NormalBitmap()->PixelFormat(), pf24bit);
  EXPECT_EQ(button.FadeSpeed(), fsMedium);
  EXPECT_EQ(button.Spacing(), 2);
  EXPECT_EQ(button.Layout(), blGlyphLeft);
  EXPECT_EQ(button.ModalResult(), 0);
  EXPECT_TRUE(button.ShowFocusRect());
  EXPECT_FALSE(button.HotTrack());
  EXPECT_FALSE(button.Default());
  EXPECT_FALSE(button.Cancel());
  EXPECT_TRUE(button.GradientBorder());
  EXPECT_FALSE(button.Down());
  EXPECT_FALSE(button.AllowAllUp());
  EXPECT_EQ(button.GroupIndex(), 0);
  EXPECT_EQ(button.GradientType(), gtVertical);
  EXPECT_TRUE(button.Glyph()->Empty());
  EXPECT_TRUE(button.Glyph()->Transparent());
  EXPECT_EQ(button.Colors()->OwnerControl(), &button);
  EXPECT_EQ(button.ControlStyle() & csDoubleClicks, 0u);
}

TEST_F(TButtonFixture, FacesAreTheThreeGradients) {
  TBitmap& normal = *button->NormalBitmap();
  EXPECT_EQ(PixelAt(normal, 10, 0), RgbOf(clWhite));
  // Row 24 of 25 from white to $D1BEAF: 255 - 24 * 80 / 25 = 178.2,
  // 255 - 24 * 65 / 25 = 192.6, 255 - 24 * 46 / 25 = 210.84.
  EXPECT_EQ(PixelAt(normal, 10, 24), (Rgb{178, 193, 211}));
  EXPECT_EQ(PixelAt(*button->OverBitmap(), 10, 0), RgbOf(clWhite));
  EXPECT_EQ(PixelAt(*button->ClickedBitmap(), 10, 0), RgbOf(TColor(0xC6CFD6)));
}

TEST_F(TButtonFixture, ResizeAndGradientTypeRebuildOtherPropertiesRepaint) {
  EXPECT_EQ(Counts([&] { button->SetBounds(20, 20, 80, 30); }).first, 1);
  EXPECT_EQ(button->OverBitmap()->Width(), 80);
  EXPECT_EQ(button->ClickedBitmap()->Height(), 30);
  EXPECT_EQ(Counts([&] { button->SetGradientType(gtVertical); }), std::make_pair(0, 0));
  EXPECT_EQ(Counts([&] { button->SetGradientType(gtHorizontal); }), std::make_pair(1, 1));
  EXPECT_EQ(Counts([&] { button->SetLayout(blGlyphLeft); }), std::make_pair(0, 0));
  EXPECT_EQ(Counts([&] { button->SetLayout(blGlyphTop); }), std::make_pair(0, 1));
  EXPECT_EQ(Counts([&] { button->SetShowFocusRect(true); }), std::make_pair(0, 0));
  EXPECT_EQ(Counts([&] { button->SetShowFocusRect(false); }), std::make_pair(0, 1));
  EXPECT_EQ(Counts([&] { button->SetHotTrack(false); }), std::make_pair(0, 0));
  EXPECT_EQ(Counts([&] { button->SetHotTrack(true); }), std::make_pair(0, 1));
  EXPECT_EQ(Counts([&] { button->SetCaption("OK"); }), std::make_pair(0, 1));
  EXPECT_EQ(Counts([&] { button->SetSpacing(-4); }), std::make_pair(0, 0));
  EXPECT_EQ(button->Spacing(), 0);
  EXPECT_EQ(Counts([&] { button->SetGradientBorder(false); }), std::make_pair(0, 0));
  EXPECT_EQ(Counts([&] { button->SetModalResult(mrOk); }), std::make_pair(0, 0));
}

TEST_F(TButtonFixture, NormalFaceIsCopiedOnePixelDownRightInsideTheFrames) {
  button->SetColor(clLime);
  button->PaintNow();
  TBitmap& normal = *button->NormalBitmap();
  EXPECT_EQ(Painted(10, 10), PixelAt(normal, 9, 9));
  EXPECT_EQ(Painted(74 - 1, 20), PixelAt(normal, 72, 19));
  EXPECT_EQ(Painted(0, 12), RgbOf(clGray));  // the rounded frame
  EXPECT_EQ(Painted(37, 24), RgbOf(clGray));
  EXPECT_EQ(Painted(0, 0), RgbOf(clLime));  // the ring in Color shows at the corner
  EXPECT_EQ(Painted(74, 24), RgbOf(clLime));
}

TEST_F(TButtonFixture, HoverFaceBlendsInByTheFadePosition) {
  TBitmap& normal = *button->NormalBitmap();
  TBitmap& over = *button->OverBitmap();
  Hover(3);
  ASSERT_EQ(button->FadePos(), 30);
  button->PaintNow();
  for (int y : {5, 12, 20}) {
    Rgb n = PixelAt(normal, 29, y - 1), o = PixelAt(over, 30, y);
    EXPECT_EQ(Painted(30, y), (Rgb{Blend(n.R, o.R, 30), Blend(n.G, o.G, 30), Blend(n.B, o.B, 30)}))
        << "row " << y;
  }
  Hover(7);
  ASSERT_EQ(button->FadePos(), 100);
  button->PaintNow();
  EXPECT_EQ(Painted(30, 20), PixelAt(over, 30, 20));  // the overlay is not shifted
}

TEST_F(TButtonFixture, PressedFaceLeavesAThreePixelMarginWithGradientBorder) {
  button->SetShowFocusRect(false);  // pressing focuses; keep the frame's dots out
  SimulateMouseMove(button, 30, 12);
  SimulateMouseDown(button, mbLeft, 30, 12);
  button->Tick();
  ASSERT_EQ(button->ClickPos(), 100);
  button->PaintNow();
  TBitmap& normal = *button->NormalBitmap();
  TBitmap& clicked = *button->ClickedBitmap();
  EXPECT_EQ(Painted(10, 10), PixelAt(clicked, 7, 7));  // read from its own corner
  EXPECT_EQ(Painted(3, 3), PixelAt(clicked, 0, 0));
  EXPECT_EQ(Painted(2, 10), PixelAt(normal, 1, 9));
  EXPECT_EQ(Painted(30, 21), PixelAt(clicked, 27, 18));
  EXPECT_EQ(Painted(30, 22), PixelAt(normal, 29, 21));  // the bottom margin

  button->SetGradientBorder(false);
  button->PaintNow();
  EXPECT_EQ(Painted(2, 10), PixelAt(clicked, 2, 10));
  EXPECT_EQ(Painted(10, 10), PixelAt(clicked, 10, 10));
  SimulateMouseUp(button, mbLeft, 30, 12);
}

TEST_F(TButtonFixture, PaintBlendsCachedFacesWithoutRebuilding) {
  Hover(5);
  button->ResetCounts();
  button->PaintNow();
  button->Tick();
  button->PaintNow();
  EXPECT_EQ(button->Rebuilds, 0);
  EXPECT_EQ(button->Paints, 2);
  EXPECT_EQ(button->Invalidates, 1);  // one repaint request per tick
}

TEST_F(TButtonFixture, PressDragOutAndReleaseGivesNoClick) {
  SimulateMouseMove(button, 30, 12);
  SimulateMouseDown(button, mbLeft, 30, 12);
  SimulateMouseMove(form, 300, 200);  // dragged out while captured
  EXPECT_EQ(button->MouseState() & msMouseInside, 0);
  SimulateMouseUp(form, mbLeft, 300, 200);
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(button->MouseState(), 0);
  EXPECT_NE(button->FadeTimerInterval(), 0u);  // fading back out
  int ticks = 0;
  while (button->FadeTimerInterval() != 0 && ticks < 20) {
    button->Tick();
    ++ticks;
  }
  EXPECT_EQ(button->ClickPos(), 0);
  EXPECT_EQ(button->FadePos(), 0);
}

TEST_F(TButtonFixture, ClickAndDoubleClickGiveOneClickEach) {
  int doubles = 0;
  button->SetOnDblClick([&](TObject*) { ++doubles; });
  SimulateClick(button);
  EXPECT_EQ(clicks, 1);
  SimulateDoubleClick(button, 30, 12);
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(doubles, 0);
}

TEST_F(TButtonFixture, ClickHandsTheModalResultToTheForm) {
  form->SetModalResult(mrCancel);
  button->PerformClick();
  EXPECT_EQ(form->ModalResult(), mrNone);  // also 0 is handed over
  button->SetModalResult(mrOk);
  button->PerformClick();
  EXPECT_EQ(form->ModalResult(), mrOk);
}

TEST(SkButtonModalTest, NonZeroModalResultEndsAModalForm) {
  TForm dialog(nullptr);
  dialog.SetBounds(0, 0, 200, 100);
  auto* ok = new TSkButton(&dialog);
  ok->SetParent(&dialog);
  ok->SetModalResult(mrOk);
  Queue([ok] { SimulateClick(ok); });
  EXPECT_EQ(dialog.ShowModal(), mrOk);
}

TEST_F(TButtonFixture, KeysEnterEscapeAndSpace) {
  auto* other = new TProbePanel(form);
  other->SetBounds(200, 20, 50, 50);
  other->SetParent(form);

  button->SetFocus();
  SimulateKey(VK_RETURN);
  EXPECT_EQ(clicks, 1);  // Enter clicks the focused button

  other->SetFocus();
  SimulateKey(VK_RETURN);
  EXPECT_EQ(clicks, 1);  // neither focused nor default
  button->SetDefault(true);
  SimulateKey(VK_RETURN, ssShift);
  EXPECT_EQ(clicks, 2);  // the default button, with any modifier

  SimulateKey(VK_ESCAPE);
  EXPECT_EQ(clicks, 2);
  button->SetCancel(true);
  SimulateKey(VK_ESCAPE, ssShift);
  EXPECT_EQ(clicks, 2);  // Shift+Escape is not the cancel key
  SimulateKey(VK_ESCAPE);
  EXPECT_EQ(clicks, 3);

  button->SetFocus();
  SimulateKeyDown(VK_SPACE);
  SimulateKeyDown(VK_SPACE, 0, true);
  SimulateKeyDown(VK_SPACE, 0, true);
  SimulateKeyUp(VK_SPACE);
  EXPECT_EQ(clicks, 6);  // every auto-repeat clicks again
  SimulateKeyDown(VK_SPACE, ssCtrl);
  EXPECT_EQ(clicks, 6);
}

TEST_F(TButtonFixture, DisabledButtonTakesNoKeys) {
  button->SetDefault(true);
  button->SetCancel(true);
  auto* other = new TProbePanel(form);
  other->SetBounds(200, 20, 50, 50);
  other->SetParent(form);
  other->SetFocus();
  button->SetEnabled(false);
  SimulateKey(VK_RETURN);
  SimulateKey(VK_ESCAPE);
  EXPECT_EQ(clicks, 0);
}

struct TGroupFixture : TButtonFixture {
  TProbeButton* second = new TProbeButton(form);
  TProbeButton* third = new TProbeButton(form);
  std::vector<TSkButton*> all;

  void SetUp() override {
    TButtonFixture::SetUp();
    second->SetBounds(20, 60, 75, 25);
    second->SetParent(form);
    third->SetBounds(20, 100, 75, 25);
    third->SetParent(form);
    all = {button, second, third};
    second->HoldTimer = third->HoldTimer = true;
    for (TSkButton* b : all) b->SetGroupIndex(1);
  }
  std::vector<bool> Downs() {
    std::vector<bool> downs;
    for (TSkButton* b : all) downs.push_back(b->Down());
    return downs;
  }
};

TEST_F(TGroupFixture, ClickingPutsOneDownAndTheOthersUp) {
  second->PerformClick();
  EXPECT_EQ(Downs(), (std::vector<bool>{false, true, false}));
  button->PerformClick();
  EXPECT_EQ(Downs(), (std::vector<bool>{true, false, false}));
  EXPECT_EQ(clicks, 1);
  // Clicking the down one again leaves it down, and OnClick still fires.
  button->PerformClick();
  EXPECT_EQ(Downs(), (std::vector<bool>{true, false, false}));
  EXPECT_EQ(clicks, 2);
}

TEST_F(TGroupFixture, AllowAllUpLetsTheDownOneComeUp) {
  for (TSkButton* b : all) b->SetAllowAllUp(true);
  third->PerformClick();
  third->PerformClick();
  EXPECT_EQ(Downs(), (std::vector<bool>{false, false, false}));
}

TEST_F(TGroupFixture, DownNeedsAGroupAndStaysWhileTheGroupNeedsIt) {
  TSkButton loose(nullptr);
  loose.SetDown(true);
  EXPECT_FALSE(loose.Down());
  second->SetDown(true);
  second->SetDown(false);
  EXPECT_TRUE(second->Down());
  third->SetDown(true);
  EXPECT_EQ(Downs(), (std::vector<bool>{false, false, true}));
  // Another group of the same parent is not touched.
  auto* other = new TProbeButton(form);
  other->SetParent(form);
  other->SetGroupIndex(2);
  other->SetDown(true);
  EXPECT_EQ(Downs(), (std::vector<bool>{false, false, true}));
  EXPECT_TRUE(other->Down());
}

TEST_F(TGroupFixture, DownButtonKeepsItsPressedFaceWhenTheMouseLeaves) {
  SimulateMouseMove(button, 30, 12);
  SimulateClick(button);
  ASSERT_TRUE(button->Down());
  button->Tick();
  EXPECT_EQ(button->ClickPos(), 100);
  SimulateMouseExit();
  EXPECT_EQ(button->MouseState(), msMouseInside | msLeftPressed);
  for (int i = 0; i < 5; ++i) button->Tick();
  EXPECT_EQ(button->ClickPos(), 100);
  // Released by a sibling: the pressed face fades away.
  second->PerformClick();
  EXPECT_FALSE(button->Down());
  EXPECT_EQ(button->MouseState() & msLeftPressed, 0);
  for (int i = 0; i < 15; ++i) button->Tick();
  EXPECT_EQ(button->ClickPos(), 0);
}

// The bounding box of the painted pixels of colour C.
TRect InkBox(TSkButton* Button, Rgb C) {
  TRect box{1000, 1000, -1, -1};
  TCanvas* canvas = Button->Canvas();
  for (int y = 0; y < Button->Height(); ++y)
    for (int x = 0; x < Button->Width(); ++x)
      if (RgbOf(canvas->Pixels(x, y)) == C) {
        box.Left = std::min(box.Left, x);
        box.Top = std::min(box.Top, y);
        box.Right = std::max(box.Right, x + 1);
        box.Bottom = std::max(box.Bottom, y + 1);
      }
  return box;
}

// A red glyph whose bottom-left pixel (the transparent colour) is fuchsia.
std::unique_ptr<TBitmap> RedGlyph(int Size) {
  auto glyph = Bitmap24(Size, Size, clRed);
  SetPixelAt(*glyph, 0, Size - 1, RgbOf(clFuchsia));
  return glyph;
}

TEST_F(TButtonFixture, GlyphWithoutCaptionIsCentred) {
  button->SetBounds(20, 20, 32, 25);
  button->SetSpacing(10);
  auto glyph = RedGlyph(16);
  button->SetGlyph(glyph.get());
  EXPECT_TRUE(button->Glyph()->Transparent());
  button->PaintNow();
  EXPECT_EQ(InkBox(button, RgbOf(clRed)), Rect(8, 4, 24, 20));
  EXPECT_NE(Painted(8, 19), RgbOf(clFuchsia));  // the transparent corner
  // Setting the glyph copied it.
  SetPixelAt(*glyph, 5, 5, {0, 0, 255});
  EXPECT_EQ(PixelAt(*button->Glyph(), 5, 5), RgbOf(clRed));
}

TEST_F(TButtonFixture, GlyphTopCentresGlyphAndCaptionTogether) {
  button->SetBounds(20, 20, 94, 63);
  button->SetLayout(blGlyphTop);
  button->SetSpacing(5);
  button->SetCaption("Source");
  button->Font()->SetColor(clBlack);
  auto glyph = RedGlyph(32);
  button->SetGlyph(glyph.get());
  button->PaintNow();
  button->Canvas()->SetFont(button->Font());
  const int th = button->Canvas()->TextHeight("Source");
  // T.top = 32 + 5 = 37, T.bottom = 63.
  const int y = (37 + 63 - th) / 2 - 5 - 32;
  EXPECT_EQ(InkBox(button, RgbOf(clRed)), Rect(31, y, 63, y + 32));
  TRect text = InkBox(button, RgbOf(clBlack));
  EXPECT_GE(text.Top, y + 32 + 5);
  EXPECT_LE(text.Bottom, 63);
}

TEST_F(TButtonFixture, GlyphLeftOfCaption) {
  button->SetSpacing(5);
  button->SetCaption("Call");
  button->Font()->SetColor(clBlack);
  auto glyph = RedGlyph(16);
  button->SetGlyph(glyph.get());
  button->PaintNow();
  button->Canvas()->SetFont(button->Font());
  const int tw = button->Canvas()->TextWidth("Call");
  // T = (16 + 5, 0, 75, 25): x = (21 + 75 - tw) div 2 - 5 - 16.
  const int x = (21 + 75 - tw) / 2 - 5 - 16;
  EXPECT_EQ(InkBox(button, RgbOf(clRed)), Rect(x, 4, x + 16, 20));
  TRect text = InkBox(button, RgbOf(clBlack));
  EXPECT_GE(text.Left, x + 16 + 5);
}

TEST_F(TButtonFixture, DisabledButtonGreysItsGlyphAndEmbossesItsCaption) {
  button->SetCaption("Stop");
  button->Font()->SetColor(clBlack);
  auto glyph = RedGlyph(16);
  button->SetGlyph(glyph.get());
  button->SetEnabled(false);
  button->PaintNow();
  EXPECT_EQ(InkBox(button, RgbOf(clRed)).Right, -1);
  // Red: grey 255 div 3 = 85, plus $40 = 149.
  TRect grey = InkBox(button, Rgb{149, 149, 149});
  EXPECT_EQ(grey.Right - grey.Left, 16);
  EXPECT_EQ(InkBox(button, RgbOf(clBlack)).Right, -1);
  EXPECT_NE(InkBox(button, RgbOf(clBtnShadow)).Right, -1);
  EXPECT_NE(InkBox(button, RgbOf(clBtnHighlight)).Right, -1);
}

TEST_F(TButtonFixture, HotTrackColoursTheCaptionWhileInside) {
  button->SetCaption("Hot");
  button->Font()->SetColor(clBlack);
  button->SetHotTrack(true);
  button->PaintNow();
  EXPECT_EQ(InkBox(button, RgbOf(clBlue)).Right, -1);
  SimulateMouseMove(button, 30, 12);
  button->PaintNow();
  EXPECT_NE(InkBox(button, RgbOf(clBlue)).Right, -1);
  EXPECT_EQ(InkBox(button, RgbOf(clBlack)).Right, -1);
}

TEST_F(TButtonFixture, TextShadowDrawsInTheSetsShadowColour) {
  button->SetCaption("Shade");
  button->Font()->SetColor(clBlack);
  button->Colors()->SetTextShadow(clRed);
  button->SetTextShadow(false);
  button->PaintNow();
  EXPECT_EQ(InkBox(button, RgbOf(clRed)).Right, -1);
  button->SetTextShadow(true);
  button->PaintNow();
  EXPECT_NE(InkBox(button, RgbOf(clRed)).Right, -1);
}

TEST_F(TButtonFixture, FocusRectangleOnlyWhenFocusedAndWanted) {
  auto* other = new TProbePanel(form);
  other->SetBounds(200, 20, 50, 50);
  other->SetParent(form);
  auto column = [&] {
    std::vector<Rgb> pixels;
    for (int y = 2; y < 23; ++y) pixels.push_back(Painted(2, y));
    return pixels;
  };
  other->SetFocus();
  button->PaintNow();
  const std::vector<Rgb> plain = column();
  button->SetFocus();
  ASSERT_TRUE(button->Focused());
  button->PaintNow();
  const std::vector<Rgb> focused = column();
  EXPECT_NE(focused, plain);  // the dotted frame inset by 2
  // Every other pixel of the frame's edge is inverted.
  EXPECT_EQ(focused[0], (Rgb{255 - plain[0].R, 255 - plain[0].G, 255 - plain[0].B}));
  EXPECT_EQ(focused[1], plain[1]);
  button->SetShowFocusRect(false);
  button->PaintNow();
  EXPECT_EQ(column(), plain);
}

}  // namespace
