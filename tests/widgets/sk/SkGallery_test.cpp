// The gallery: a test form read from a layout with every kind of skinned
// panel and button the windows use, rendered headless and kept as
// SkGallery.png in the test's build folder, then checked at chosen pixels.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "SkProbes.h"
#include "SkTestUtil.h"
#include "platform/controls/SimulateInput.h"
#include "platform/graphics/Font.h"
#include "platform/layout/LayoutHandlers.h"
#include "platform/layout/LayoutReader.h"
#include "platform/layout/Registry.h"
#include "widgets/sk/SkRegistration.h"
#include "widgets/sk/SkStyleManager.h"

namespace {

int Blend(int A, int B, int Percent) {
  const double keep = (100 - Percent) / 100.0;
  return int(std::nearbyint(A * keep + B * (1.0 - keep)));
}

class SkGalleryTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    RegisterSkLayout();
    // Buttons the test can hold at any step of their fade.
    RegisterLayoutClass("TGalleryButton", "TSkButton", [](TComponent* owner) {
      auto* button = new TProbeButton(owner);
      button->HoldTimer = true;
      return button;
    });
  }

  void SetUp() override {
    form = new TForm(nullptr);
    form->LoadLayout("SkGallery.lay", TLayoutHandlers());
    form->Show();
    SimulateMouseExit();
  }
  void TearDown() override {
    SimulateMouseExit();
    delete form;
  }

  template <class T>
  T* Get(const std::string& name) {
    return LayoutComponent<T>(form, name);
  }

  // A pixel of the rendered form, in the control's own coordinates.
  Rgb At(TControl* Control, int X, int Y) {
    TPoint origin = Control->ClientOriginInForm();
    return PixelAt(*image, origin.X + X, origin.Y + Y);
  }

  // Bounding box, in the control's coordinates, of its pixels of colour C.
  TRect Ink(TControl* Control, Rgb C) {
    TRect box{100000, 100000, -1, -1};
    for (int y = 0; y < Control->Height(); ++y)
      for (int x = 0; x < Control->Width(); ++x)
        if (At(Control, x, y) == C) {
          box.Left = std::min(box.Left, x);
          box.Top = std::min(box.Top, y);
          box.Right = std::max(box.Right, x + 1);
          box.Bottom = std::max(box.Bottom, y + 1);
        }
    return box;
  }

  void ExpectMirrored(TControl* Control, int FromRow, int ToRow, bool LeftRight, bool TopBottom) {
    const int w = Control->Width(), h = Control->Height();
    for (int y = FromRow; y < ToRow; ++y)
      for (int x = 0; x < w; ++x) {
        if (LeftRight) {
          ASSERT_EQ(At(Control, x, y), At(Control, w - 1 - x, y)) << x << "," << y;
        }
        if (TopBottom) {
          ASSERT_EQ(At(Control, x, y), At(Control, x, h - 1 - y)) << x << "," << y;
        }
      }
  }

  void Render() {
    image = form->GetFormImage();
    form->SaveFormImageToPng("SkGallery.png");
  }

  TForm* form = nullptr;
  std::unique_ptr<TBitmap> image;
};

TEST_F(SkGalleryTest, RendersTheGalleryAndChecksItsPixels) {
  // Hover positions 30, 70 and 100, then one button held down.
  auto* hover30 = Get<TProbeButton>("btnHover30");
  auto* hover70 = Get<TProbeButton>("btnHover70");
  auto* hover100 = Get<TProbeButton>("btnHover100");
  auto* pressed = Get<TProbeButton>("btnPressed");
  const std::pair<TProbeButton*, int> hovers[] = {{hover30, 3}, {hover70, 7}, {hover100, 10}};
  for (auto [button, ticks] : hovers) {
    SimulateMouseMove(button, 40, 12);
    for (int i = 0; i < ticks; ++i) button->Tick();
  }
  SimulateMouseMove(pressed, 40, 12);
  SimulateMouseDown(pressed, mbLeft, 40, 12);
  pressed->Tick();
  ASSERT_EQ(hover30->FadePos(), 30);
  ASSERT_EQ(hover70->FadePos(), 70);
  ASSERT_EQ(hover100->FadePos(), 100);
  ASSERT_EQ(pressed->ClickPos(), 100);

  Render();
  SimulateMouseUp(pressed, mbLeft, 40, 12);
  ASSERT_EQ(image->Width(), 660);
  ASSERT_EQ(image->Height(), 440);
  EXPECT_TRUE(std::filesystem::exists("SkGallery.png"));
  EXPECT_GT(std::filesystem::file_size("SkGallery.png"), 1000u);

  // Plain panel: rounded corner shows the outer colour, the inside its colour.
  auto* plain = Get<TSkPanel>("pnlPlain");
  EXPECT_EQ(At(plain, 0, 0), RgbOf(clBtnFace));
  EXPECT_EQ(At(plain, 199, 99), RgbOf(clBtnFace));
  EXPECT_EQ(At(plain, 100, 50), RgbOf(clWhite));
  EXPECT_EQ(At(plain, 100, 0), RgbOf(clGray));

  // Gradient bars: square one-pixel frame, start colour on the centre row,
  // and the screen shows exactly the cached background where no text is.
  auto* header = Get<TSkPanel>("pnlHeader");
  auto* bar = Get<TSkPanel>("pnlBar");
  EXPECT_EQ(At(header, 0, 0), RgbOf(clGray));
  EXPECT_EQ(At(header, 5, 22), (Rgb{0x10, 0x84, 0xD0}));
  EXPECT_EQ(At(bar, 200, 22), (Rgb{0x00, 0x9F, 0x00}));
  for (int y = 0; y < 45; ++y) {
    EXPECT_EQ(At(header, 3, y), PixelAt(*header->Background(), 3, y)) << y;
    EXPECT_EQ(At(bar, 300, y), PixelAt(*bar->Background(), 300, y)) << y;
  }
  TRect title = Ink(header, RgbOf(clWhite));
  EXPECT_NEAR((title.Left + title.Right) / 2.0, 215, 4);
  EXPECT_NEAR((title.Top + title.Bottom) / 2.0, 22.5, 4);

  // Anti-aliased slot frames: outer colour in the corners, panel colour in
  // the middle, and a frame symmetric about both centre lines.
  const char* slots[] = {"pnlSlot1", "pnlSlot2", "pnlSlot3", "pnlSlot4"};
  for (const char* name : slots) {
    auto* slot = Get<TSkPanel>(name);
    SCOPED_TRACE(name);
    EXPECT_EQ(At(slot, 0, 0), RgbOf(clWhite));
    EXPECT_EQ(At(slot, 144, 0), RgbOf(clWhite));
    EXPECT_EQ(At(slot, 0, 120), RgbOf(clWhite));
    EXPECT_EQ(At(slot, 144, 120), RgbOf(clWhite));
    EXPECT_EQ(At(slot, 100, 70), RgbOf(slot->Color()));
  }
  auto* slot1 = Get<TSkPanel>("pnlSlot1");
  ExpectMirrored(slot1, 0, 121, true, true);
  auto* slot2 = Get<TSkPanel>("pnlSlot2");
  ExpectMirrored(slot2, 30, 121, true, false);
  auto* slot3 = Get<TSkPanel>("pnlSlot3");
  for (int y = 0; y < 121; ++y)
    for (int x = 80; x < 145; ++x) ASSERT_EQ(At(slot3, x, y), At(slot3, x, 120 - y));

  // Caption positions, in the panels' font colour.
  const Rgb ink = RgbOf(TColor(13500416));
  TRect topCentre = Ink(slot2, ink);
  EXPECT_NEAR((topCentre.Left + topCentre.Right) / 2.0, 72.5, 4);
  EXPECT_GE(topCentre.Top, 3);
  EXPECT_LT(topCentre.Bottom, 25);
  TRect middleLeft = Ink(slot3, ink);
  EXPECT_GE(middleLeft.Left, 3);  // d - (25 - 3) div 2 = 3
  EXPECT_LT(middleLeft.Left, 8);
  EXPECT_NEAR((middleLeft.Top + middleLeft.Bottom) / 2.0, 60.5, 4);
  auto* slot4 = Get<TSkPanel>("pnlSlot4");
  TRect group = Ink(slot4, ink);
  EXPECT_LT(group.Top, 8);
  // The frame's top line is cut under the group caption and runs on beside it.
  const int half = (group.Top + group.Bottom) / 2;
  EXPECT_NE(At(slot4, 72, half), At(slot4, group.Left + 2, half + 20));
  auto* body = Get<TSkPanel>("pnlBody");
  TRect bottomRight = Ink(body, ink);
  EXPECT_GT(bottomRight.Left, 500);
  EXPECT_GT(bottomRight.Top, 140);
  EXPECT_EQ(At(body, 0, 0), RgbOf(clSilver));
  EXPECT_EQ(At(body, 639, 174), RgbOf(clSilver));
  EXPECT_EQ(At(body, 320, 120), RgbOf(clWhite));
  ExpectMirrored(body, 0, 15, true, false);

  // Buttons: the hover face blended by the fade position.
  auto* normal = Get<TSkButton>("btnNormal");
  EXPECT_EQ(At(normal, 6, 3), PixelAt(*normal->NormalBitmap(), 5, 2));
  EXPECT_EQ(At(normal, 6, 12), PixelAt(*normal->NormalBitmap(), 5, 11));
  for (auto [button, ticks] : hovers) {
    const int percent = ticks * 10;
    for (int y : {3, 12, 20}) {
      Rgb n = PixelAt(*button->NormalBitmap(), 5, y - 1);
      Rgb o = PixelAt(*button->OverBitmap(), 6, y);
      EXPECT_EQ(At(button, 6, y),
                (Rgb{Blend(n.R, o.R, percent), Blend(n.G, o.G, percent), Blend(n.B, o.B, percent)}))
          << percent << "% row " << y;
    }
  }
  EXPECT_EQ(At(pressed, 6, 12), PixelAt(*pressed->ClickedBitmap(), 6, 12));
  EXPECT_EQ(At(normal, 0, 12), RgbOf(clGray));  // rounded frame
  EXPECT_EQ(At(normal, 0, 0), RgbOf(clWhite));  // ring in the button's Color

  // Captions in black; the disabled one embossed instead.
  EXPECT_NE(Ink(normal, RgbOf(clBlack)).Right, -1);
  auto* disabled = Get<TSkButton>("btnDisabled");
  EXPECT_EQ(Ink(disabled, RgbOf(clBlack)).Right, -1);
  EXPECT_NE(Ink(disabled, RgbOf(clBtnShadow)).Right, -1);

  // Glyphs: beside the caption, centred alone, grey when disabled. The red
  // triangle covers columns 3..11 and rows 1..14 of the 16 by 16 glyph.
  auto* call = Get<TSkButton>("btnCall");
  ASSERT_EQ(call->Glyph()->Width(), 16);
  call->Canvas()->SetFont(call->Font());
  const int tw = call->Canvas()->TextWidth("Call");
  const int gx = (26 + 75 - tw) / 2 - 10 - 16;
  EXPECT_EQ(Ink(call, RgbOf(clRed)), Rect(gx + 3, 5, gx + 12, 19));
  EXPECT_EQ(Ink(call, RgbOf(clFuchsia)).Right, -1);  // transparent
  auto* snap = Get<TSkButton>("btnSnap");
  EXPECT_EQ(Ink(snap, RgbOf(clRed)), Rect(8 + 3, 5, 8 + 12, 19));
  auto* stop = Get<TSkButton>("btnStop");
  EXPECT_EQ(Ink(stop, RgbOf(clRed)).Right, -1);
  EXPECT_NE(Ink(stop, Rgb{149, 149, 149}).Right, -1);
}

TEST_F(SkGalleryTest, LayoutSetsThePartsProperties) {
  auto* header = Get<TSkPanel>("pnlHeader");
  EXPECT_TRUE(header->Gradient());
  EXPECT_FALSE(header->Antialiased());
  EXPECT_EQ(header->GradientType(), gtDoubleVert);
  EXPECT_EQ(header->DefaultFrom(), TColor(0xD08410));
  EXPECT_EQ(header->CaptionPosition(), cpMiddleCenter);
  EXPECT_EQ(header->Font()->Height(), -29);
  EXPECT_FALSE(header->TextShadow());
  auto* slot = Get<TSkPanel>("pnlSlot4");
  EXPECT_EQ(slot->CornerWidth(), 25);
  EXPECT_EQ(slot->BorderWidth(), 3);
  EXPECT_EQ(slot->Color(), clMoneyGreen);
  EXPECT_EQ(slot->CaptionPosition(), cpGroupBox);
  EXPECT_EQ(slot->Background()->Width(), 145);
  auto* exit = Get<TSkButton>("btnExit");
  EXPECT_TRUE(exit->GradientBorder());
  EXPECT_FALSE(exit->ShowFocusRect());
  EXPECT_EQ(exit->FadeSpeed(), fsMedium);
  EXPECT_EQ(exit->Colors()->OverTo(), TColor(12489846));
  auto* call = Get<TSkButton>("btnCall");
  EXPECT_EQ(call->Spacing(), 10);
  EXPECT_FALSE(call->Glyph()->Empty());
  EXPECT_EQ(call->Parent(), Get<TSkPanel>("pnlBody"));
}

TEST(SkLayoutTest, StyleManagerAndItsControlsFromALayout) {
  RegisterSkLayout();
  TForm form(nullptr);
  form.LoadLayoutText(R"(object frmStyled: TForm
  ClientWidth = 200
  ClientHeight = 100
  object SkStyleManager1: TSkStyleManager
    Colors.OverTo = clRed
    Colors.HotTrack = clLime
    SplitterColors.DefaultFrom = clYellow
    FadeSpeed = fsVeryFast
    ShowFocusRect = False
    CheckColor = clNavy
    PanelColor = clWhite
    Font.Name = 'Arial'
    Font.Height = -14
  end
  object SkPanel1: TSkPanel
    Align = alClient
    SkStyleManager = SkStyleManager1
    About = 'ignored'
    object SkButton1: TSkButton
      Left = 10
      Top = 10
      SkStyleManager = SkStyleManager1
      GroupIndex = 3
      AllowAllUp = True
      Down = True
      Default = True
      Cancel = True
      ModalResult = 2
      Layout = blGlyphBottom
      GradientType = gtRadial
    end
  end
end
)",
                      "styled.lay", TLayoutHandlers());
  auto* manager = LayoutComponent<TSkStyleManager>(&form, "SkStyleManager1");
  auto* panel = LayoutComponent<TSkPanel>(&form, "SkPanel1");
  auto* button = LayoutComponent<TSkButton>(&form, "SkButton1");
  EXPECT_EQ(manager->Colors()->OverTo(), clRed);
  EXPECT_EQ(manager->Colors()->HotTrack(), clLime);
  EXPECT_EQ(manager->SplitterColors()->DefaultFrom(), clYellow);
  EXPECT_EQ(manager->FadeSpeed(), fsVeryFast);
  EXPECT_FALSE(manager->ShowFocusRect());
  EXPECT_EQ(manager->CheckColor(), clNavy);
  EXPECT_EQ(manager->Font()->Height(), -14);
  EXPECT_EQ(manager->ControlCount(), 2);
  EXPECT_EQ(panel->SkStyleManager(), manager);
  EXPECT_FALSE(panel->About().empty());
  EXPECT_NE(panel->About(), "ignored");
  EXPECT_TRUE(button->Down());
  EXPECT_TRUE(button->Default());
  EXPECT_TRUE(button->Cancel());
  EXPECT_EQ(button->ModalResult(), mrCancel);
  EXPECT_EQ(button->Layout(), blGlyphBottom);
  EXPECT_EQ(button->GradientType(), gtRadial);
}

TEST(SkLayoutTest, UnknownStyleManagerIsALayoutError) {
  RegisterSkLayout();
  TForm form(nullptr);
  EXPECT_THROW(form.LoadLayoutText("object f: TForm\n  object p: TSkPanel\n"
                                   "    SkStyleManager = Nobody\n  end\nend\n",
                                   "bad.lay", TLayoutHandlers()),
               ELayoutError);
}

}  // namespace
