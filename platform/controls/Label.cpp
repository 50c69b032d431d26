#include "platform/controls/Label.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"

TLabel::TLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetBounds(Left(), Top(), 65, 17);
  SetControlStyle(ControlStyle() | csReplicatable);
}

void TLabel::SetAlignment(TAlignment Value) {
  if (Value == FAlignment) return;
  FAlignment = Value;
  Invalidate();
}

void TLabel::SetTransparent(bool Value) {
  if (Value == FTransparent) return;
  FTransparent = Value;
  Invalidate();
}

void TLabel::SetWordWrap(bool Value) {
  if (Value == FWordWrap) return;
  FWordWrap = Value;
  AdjustBounds();
  Invalidate();
}

void TLabel::SetAutoSize(bool Value) {
  if (Value == FAutoSize) return;
  FAutoSize = Value;
  AdjustBounds();
}

void TLabel::Loaded() {
  TGraphicControl::Loaded();
  AdjustBounds();
}

unsigned TLabel::DrawTextFlags() const {
  unsigned flags = FWordWrap ? DT_WORDBREAK : 0;
  if (FAlignment == taCenter) flags |= DT_CENTER;
  if (FAlignment == taRightJustify) flags |= DT_RIGHT;
  return flags;
}

void TLabel::Paint() {
  TCanvas* canvas = Canvas();
  TRect area = ClientRect();
  if (!FTransparent) {
    canvas->Brush()->SetColor(Color());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->FillRect(area);
  }
  canvas->Brush()->SetStyle(bsClear);
  canvas->SetBkMode(TRANSPARENT);
  canvas->SetFont(Font());
  const std::string text = Caption();
  if (Enabled()) {
    canvas->DrawText(text, area, DrawTextFlags());
    return;
  }
  // Disabled text looks engraved: a light copy one pixel down-right, the
  // shadow colour on top.
  TRect shifted = Rect(area.Left + 1, area.Top + 1, area.Right + 1, area.Bottom + 1);
  canvas->Font()->SetColor(clBtnHighlight);
  canvas->DrawText(text, shifted, DrawTextFlags());
  canvas->Font()->SetColor(clBtnShadow);
  canvas->DrawText(text, area, DrawTextFlags());
}

void TLabel::AdjustBounds() {
  if (!FAutoSize || IsLoading()) return;
  // Measured on a scratch canvas: the label may not be on a window yet.
  TBitmap scratch;
  scratch.SetSize(1, 1);
  TCanvas* canvas = scratch.Canvas();
  canvas->SetFont(Font());
  std::string text = Caption();
  // An empty caption still takes the height of one line.
  if (text.empty() || text == "&") text += ' ';
  TRect area = ClientRect();
  unsigned flags = DT_CALCRECT | (FWordWrap ? DT_WORDBREAK : 0);
  canvas->DrawText(text, area, flags);
  int x = Left();
  if (FAlignment == taRightJustify) x += Width() - area.Right;
  SetBounds(x, Top(), area.Right, area.Bottom);
}

void TLabel::CMTextChanged() {
  AdjustBounds();
  TGraphicControl::CMTextChanged();
}

void TLabel::CMFontChanged() {
  AdjustBounds();
  TGraphicControl::CMFontChanged();
}
