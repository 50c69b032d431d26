#include "platform/controls/SpeedButton.h"

#include <algorithm>

#include "platform/controls/Frame3D.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"

namespace {

constexpr int kSpacing = 4;  // between glyph and caption

}  // namespace

TSpeedButton::TSpeedButton(TComponent* AOwner)
    : TGraphicControl(AOwner), FGlyph(std::make_unique<TBitmap>()) {
  // The button reports its click itself, after it has popped up again.
  SetControlStyle(csCaptureMouse | csDoubleClicks);
  SetBounds(Left(), Top(), 23, 22);
  FGlyph->SetOnChange([this](TObject*) { Invalidate(); });
}

TSpeedButton::~TSpeedButton() { FGlyph->SetOnChange(nullptr); }

void TSpeedButton::SetFlat(bool Value) {
  if (Value == FFlat) return;
  FFlat = Value;
  Invalidate();
}

void TSpeedButton::SetGlyph(TBitmap* Value) { FGlyph->Assign(Value); }

void TSpeedButton::SetNumGlyphs(int Value) {
  Value = std::clamp(Value, 1, 4);
  if (Value == FNumGlyphs) return;
  FNumGlyphs = Value;
  Invalidate();
}

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !Enabled()) return;
  FState = TState::Down;
  FDragging = true;
  Invalidate();
}

void TSpeedButton::MouseMove(TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  if (!FDragging) return;
  const TState now = ClientRect().Contains(Point(X, Y)) ? TState::Down : TState::Up;
  if (now == FState) return;
  FState = now;
  Invalidate();
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseUp(Button, Shift, X, Y);
  if (!FDragging || Button != mbLeft) return;
  FDragging = false;
  const bool inside = ClientRect().Contains(Point(X, Y));
  FState = TState::Up;
  Invalidate();
  if (inside) Click();
}

void TSpeedButton::CMMouseEnter() {
  TGraphicControl::CMMouseEnter();
  FMouseInside = true;
  if (FFlat && Enabled()) Invalidate();
}

void TSpeedButton::CMMouseLeave() {
  TGraphicControl::CMMouseLeave();
  FMouseInside = false;
  if (FFlat && Enabled()) Invalidate();
}

void TSpeedButton::CMEnabledChanged() {
  if (!Enabled()) {
    FState = TState::Up;
    FDragging = false;
  }
  TGraphicControl::CMEnabledChanged();
}

// Glyph part Index of a glyph holding NumGlyphs parts side by side, drawn
// with its transparent colour (the bottom-left pixel) left out. A disabled
// button without a disabled part shows the glyph engraved.
void TSpeedButton::DrawGlyph(const TRect& Area, int Offset) {
  if (FGlyph->Empty()) return;
  const int partWidth = FGlyph->Width() / FNumGlyphs;
  const int height = FGlyph->Height();
  if (partWidth <= 0) return;
  const TColor transparent = FGlyph->Pixel(0, height - 1);
  int part = 0;
  if (!Enabled() && FNumGlyphs > 1) part = 1;
  if (Enabled() && FState == TState::Down && FNumGlyphs > 2) part = 2;
  const int x = Area.Left + Offset, y = Area.Top + Offset;
  TCanvas* canvas = Canvas();
  if (!Enabled() && FNumGlyphs == 1) {
    for (int pass = 0; pass < 2; ++pass) {
      const TColor color = pass == 0 ? clBtnHighlight : clBtnShadow;
      const int shift = pass == 0 ? 1 : 0;
      for (int gy = 0; gy < height; ++gy)
        for (int gx = 0; gx < partWidth; ++gx)
          if (FGlyph->Pixel(gx, gy) != transparent) canvas->SetPixels(x + gx + shift, y + gy + shift, color);
    }
    return;
  }
  TransparentStretchBlt(canvas, x, y, partWidth, height, FGlyph->Canvas(), part * partWidth, 0,
                        partWidth, height, transparent);
}

void TSpeedButton::Paint() {
  TCanvas* canvas = Canvas();
  TRect area = ClientRect();
  const bool down = FState == TState::Down;
  if (!FFlat) {
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(clBtnFace);
    canvas->FillRect(area);
    if (down) {
      Frame3D(canvas, area, cl3DDkShadow, clBtnHighlight, 1);
      Frame3D(canvas, area, clBtnShadow, cl3DLight, 1);
    } else {
      Frame3D(canvas, area, clBtnHighlight, cl3DDkShadow, 1);
      Frame3D(canvas, area, cl3DLight, clBtnShadow, 1);
    }
  } else {
    // Flat: the parent shows through until the mouse is over the button.
    if (down || (FMouseInside && Enabled())) {
      TRect edge = area;
      if (down)
        Frame3D(canvas, edge, clBtnShadow, clBtnHighlight, 1);
      else
        Frame3D(canvas, edge, clBtnHighlight, clBtnShadow, 1);
    }
    area = Rect(area.Left + 1, area.Top + 1, area.Right - 1, area.Bottom - 1);
  }
  const int offset = down ? 1 : 0;

  // Glyph and caption side by side, centred together.
  const int glyphWidth = FGlyph->Empty() ? 0 : FGlyph->Width() / FNumGlyphs;
  const int glyphHeight = FGlyph->Empty() ? 0 : FGlyph->Height();
  const std::string caption = Caption();
  canvas->SetFont(Font());
  int textWidth = 0, textHeight = 0;
  if (!caption.empty()) {
    TRect measure = Rect(0, 0, area.Width(), 0);
    canvas->DrawText(caption, measure, DT_SINGLELINE | DT_CALCRECT);
    textWidth = measure.Width();
    textHeight = measure.Height();
  }
  const int gap = glyphWidth > 0 && textWidth > 0 ? kSpacing : 0;
  const int total = glyphWidth + gap + textWidth;
  const int left = area.Left + (area.Width() - total) / 2;
  if (glyphWidth > 0) {
    const int top = area.Top + (area.Height() - glyphHeight) / 2;
    DrawGlyph(Bounds(left, top, glyphWidth, glyphHeight), offset);
  }
  if (textWidth > 0) {
    const int tx = left + glyphWidth + gap + offset;
    const int ty = area.Top + (area.Height() - textHeight) / 2 + offset;
    TRect text = Bounds(tx, ty, textWidth, textHeight);
    canvas->Brush()->SetStyle(bsClear);
    canvas->SetBkMode(TRANSPARENT);
    if (!Enabled()) canvas->Font()->SetColor(clBtnShadow);
    canvas->DrawText(caption, text, DT_SINGLELINE);
  }
}
