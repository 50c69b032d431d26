// What the self-drawn standard controls show: labels, panels, group boxes,
// pictures and speed buttons, read back from the rendered form.
#include <gtest/gtest.h>

#include "StdTestSupport.h"
#include "platform/controls/GroupBox.h"
#include "platform/controls/Image.h"
#include "platform/controls/Label.h"
#include "platform/controls/Panel.h"
#include "platform/controls/SimulateInput.h"
#include "platform/controls/SpeedButton.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Graphic.h"

namespace {

// Whether any pixel of Area in Image has Color.
bool AnyPixel(const TBitmap& Image, const TRect& Area, TColor Color) {
  for (int y = Area.Top; y < Area.Bottom; ++y)
    for (int x = Area.Left; x < Area.Right; ++x)
      if (Image.Pixel(x, y) == Color) return true;
  return false;
}

// A bitmap of 2 x 2 pixels in four colours: red, green on top; blue, black below.
std::unique_ptr<TBitmap> FourColours() {
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(2, 2);
  bmp->SetPixel(0, 0, clRed);
  bmp->SetPixel(1, 0, clLime);
  bmp->SetPixel(0, 1, clBlue);
  bmp->SetPixel(1, 1, clBlack);
  return bmp;
}

struct VisualFixture : ::testing::Test {
  std::unique_ptr<TForm> form = ShownForm(320, 240);
  std::unique_ptr<TBitmap> Render() {
    Application->ProcessMessages();
    return form->GetFormImage();
  }
};

TEST_F(VisualFixture, LabelSizesItselfToItsText) {
  auto* label = new TLabel(form.get());
  label->SetParent(form.get());
  label->SetCaption("Offline");
  const int shortWidth = label->Width();
  label->SetCaption("Offline and much longer");
  EXPECT_GT(label->Width(), shortWidth);
  EXPECT_GT(label->Height(), 8);
  label->SetAutoSize(false);
  label->SetBounds(0, 0, 10, 10);
  label->SetCaption("Offline");
  EXPECT_EQ(label->Width(), 10);
}

TEST_F(VisualFixture, LabelAlignmentAndOpaqueOrTransparentBackground) {
  auto* label = new TLabel(form.get());
  label->SetParent(form.get());
  label->SetAutoSize(false);
  label->SetBounds(10, 10, 200, 20);
  label->SetCaption("WWW");
  label->Font()->SetColor(clBlack);
  label->SetColor(clYellow);
  label->SetAlignment(taRightJustify);
  auto image = Render();
  EXPECT_EQ(image->Pixel(12, 12), ColorToRGB(clYellow));
  EXPECT_FALSE(AnyPixel(*image, Rect(10, 10, 110, 30), clBlack));
  EXPECT_TRUE(AnyPixel(*image, Rect(150, 10, 210, 30), clBlack));
  label->SetAlignment(taLeftJustify);
  label->SetTransparent(true);
  image = Render();
  EXPECT_EQ(image->Pixel(205, 12), ColorToRGB(clWhite));  // the form through the label
  EXPECT_TRUE(AnyPixel(*image, Rect(10, 10, 60, 30), clBlack));
}

TEST_F(VisualFixture, LabelWordWrapBreaksIntoLines) {
  auto* label = new TLabel(form.get());
  label->SetParent(form.get());
  label->SetWordWrap(true);
  label->SetAutoSize(false);
  label->SetBounds(0, 0, 60, 16);
  label->SetAutoSize(true);
  const int oneLine = label->Height();
  label->SetCaption("Start the WebCam to change these settings");
  EXPECT_LE(label->Width(), 60);  // the widest line, as measured
  EXPECT_GT(label->Width(), 20);
  EXPECT_GT(label->Height(), 2 * oneLine);
}

TEST_F(VisualFixture, LabelReportsMouseEnterAndLeave) {
  auto* label = new TLabel(form.get());
  label->SetParent(form.get());
  label->SetBounds(20, 20, 80, 16);
  label->SetCaption("link");
  int enters = 0, leaves = 0;
  label->SetOnMouseEnter([&](TObject*) {
    ++enters;
    label->Font()->SetStyle(fsUnderline);
  });
  label->SetOnMouseLeave([&](TObject*) {
    ++leaves;
    label->Font()->SetStyle(0);
  });
  SimulateMouseMove(form.get(), 5, 5);
  SimulateMouseMove(label, 5, 5);
  EXPECT_EQ(enters, 1);
  EXPECT_EQ(label->Font()->Style(), TFontStyles(fsUnderline));
  SimulateMouseMove(label, 6, 6);
  EXPECT_EQ(enters, 1);
  SimulateMouseMove(form.get(), 200, 200);
  EXPECT_EQ(leaves, 1);
  EXPECT_EQ(label->Font()->Style(), 0u);
}

TEST_F(VisualFixture, PanelBevelsAndPlainPanel) {
  auto* raised = new TPanel(form.get());
  raised->SetParent(form.get());
  raised->SetBounds(10, 10, 100, 50);
  auto* plain = new TPanel(form.get());
  plain->SetParent(form.get());
  plain->SetBounds(150, 10, 100, 50);
  plain->SetBevelOuter(bvNone);
  plain->SetColor(clWhite);
  plain->SetCaption("");
  auto image = Render();
  EXPECT_EQ(image->Pixel(10, 10), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(image->Pixel(109, 59), ColorToRGB(clBtnShadow));
  EXPECT_EQ(image->Pixel(12, 12), ColorToRGB(clBtnFace));
  EXPECT_EQ(image->Pixel(150, 10), ColorToRGB(clWhite));
  EXPECT_EQ(image->Pixel(249, 59), ColorToRGB(clWhite));
}

TEST_F(VisualFixture, PanelKeepsAlignedChildrenInsideItsBevel) {
  auto* panel = new TPanel(form.get());
  panel->SetParent(form.get());
  panel->SetBounds(0, 0, 100, 100);
  panel->SetBevelWidth(2);
  auto* child = new TPanel(form.get());
  child->SetParent(panel);
  child->SetAlign(alClient);
  EXPECT_EQ(child->BoundsRect(), Rect(2, 2, 98, 98));
}

TEST_F(VisualFixture, GroupBoxFrameAndCaption) {
  auto* box = new TGroupBox(form.get());
  box->SetParent(form.get());
  box->SetBounds(10, 10, 200, 100);
  box->SetColor(clWhite);
  box->SetCaption(" General Video Settings ");
  box->Font()->SetColor(clBlack);
  auto image = Render();
  EXPECT_EQ(image->Pixel(10, 10 + 98), ColorToRGB(clBtnShadow));
  EXPECT_EQ(image->Pixel(10 + 199, 10 + 99), ColorToRGB(clBtnHighlight));
  EXPECT_TRUE(AnyPixel(*image, Rect(18, 10, 150, 24), clBlack));
  EXPECT_EQ(image->Pixel(100, 60), ColorToRGB(clWhite));
}

TEST_F(VisualFixture, ImageDrawsStretchedCentredOrPlain) {
  auto* image = new TImage(form.get());
  image->SetParent(form.get());
  image->SetBounds(10, 10, 100, 100);
  auto bmp = FourColours();
  image->Picture()->SetGraphic(bmp.get());
  auto shot = Render();
  EXPECT_EQ(shot->Pixel(10, 10), clRed);
  EXPECT_EQ(shot->Pixel(11, 11), clBlack);
  EXPECT_EQ(shot->Pixel(60, 60), clWhite);  // the form: the picture is 2 x 2
  image->SetStretch(true);
  shot = Render();
  EXPECT_EQ(shot->Pixel(20, 20), clRed);
  EXPECT_EQ(shot->Pixel(100, 20), clLime);
  EXPECT_EQ(shot->Pixel(20, 100), clBlue);
  EXPECT_EQ(shot->Pixel(100, 100), clBlack);
  image->SetStretch(false);
  image->SetCenter(true);
  shot = Render();
  EXPECT_EQ(shot->Pixel(10 + 49, 10 + 49), clRed);
  EXPECT_EQ(shot->Pixel(10, 10), clWhite);
}

TEST_F(VisualFixture, TransparentImageLeavesItsBottomLeftColourOut) {
  auto* image = new TImage(form.get());
  image->SetParent(form.get());
  image->SetBounds(10, 10, 100, 100);
  image->SetStretch(true);
  image->SetTransparent(true);
  auto bmp = FourColours();
  image->Picture()->SetGraphic(bmp.get());  // blue, bottom-left, is see-through
  auto shot = Render();
  EXPECT_EQ(shot->Pixel(20, 20), clRed);
  EXPECT_EQ(shot->Pixel(20, 100), clWhite);
  // A new picture takes the transparency too.
  bmp->SetPixel(0, 1, clYellow);
  image->Picture()->SetGraphic(bmp.get());
  shot = Render();
  EXPECT_EQ(shot->Pixel(20, 100), clWhite);
  EXPECT_EQ(shot->Pixel(100, 100), clBlack);
}

struct SpeedButtonFixture : VisualFixture {
  TSpeedButton* button = nullptr;
  int clicks = 0;
  void SetUp() override {
    button = new TSpeedButton(form.get());
    button->SetParent(form.get());
    button->SetBounds(10, 10, 23, 22);
    button->SetFlat(true);
    TBitmap glyph;
    glyph.SetPixelFormat(pf24bit);
    glyph.SetSize(4, 4);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) glyph.SetPixel(x, y, clNavy);
    glyph.SetPixel(0, 3, clFuchsia);  // the transparent colour
    button->SetGlyph(&glyph);
    button->SetOnClick([this](TObject*) { ++clicks; });
  }
};

TEST_F(SpeedButtonFixture, GlyphIsCentredWithItsTransparentColourLeftOut) {
  auto shot = Render();
  // The flat button's inner area is 21 x 20 at (1, 1); the 4 x 4 glyph is centred in it.
  EXPECT_EQ(shot->Pixel(10 + 10, 10 + 10), clNavy);
  EXPECT_EQ(shot->Pixel(10 + 9, 10 + 12), clWhite);
  EXPECT_EQ(shot->Pixel(10, 10 + 21), clWhite);  // no frame while the mouse is away
}

TEST_F(SpeedButtonFixture, FlatButtonShowsItsEdgeUnderTheMouseAndWhenPressed) {
  SimulateMouseMove(button, 5, 5);
  auto shot = Render();
  EXPECT_EQ(shot->Pixel(10 + 22, 10 + 21), ColorToRGB(clBtnShadow));
  SimulateMouseDown(button, mbLeft, 5, 5);
  shot = Render();
  EXPECT_EQ(shot->Pixel(10, 10), ColorToRGB(clBtnShadow));
  EXPECT_EQ(shot->Pixel(10 + 11, 10 + 11), clNavy);  // the glyph moved one pixel
  SimulateMouseUp(button, mbLeft, 5, 5);
  EXPECT_EQ(clicks, 1);
}

TEST_F(SpeedButtonFixture, ReleaseOutsideIsNoClick) {
  SimulateMouseMove(button, 5, 5);
  SimulateMouseDown(button, mbLeft, 5, 5);
  SimulateMouseMove(button, 60, 60);
  SimulateMouseUp(button, mbLeft, 60, 60);
  EXPECT_EQ(clicks, 0);
  SimulateClick(button);
  EXPECT_EQ(clicks, 1);
}

TEST_F(SpeedButtonFixture, DisabledButtonIgnoresClicks) {
  button->SetEnabled(false);
  SimulateClick(button);
  EXPECT_EQ(clicks, 0);
  auto shot = Render();
  EXPECT_NE(shot->Pixel(10 + 10, 10 + 10), clNavy);  // engraved, not the glyph's colour
}

}  // namespace
