#include "platform/controls/Panel.h"

#include "platform/controls/Frame3D.h"
#include "platform/graphics/Canvas.h"

namespace {

void BevelColors(TPanelBevel Bevel, TColor& Top, TColor& Bottom) {
  Top = Bevel == bvLowered ? clBtnShadow : clBtnHighlight;
  Bottom = Bevel == bvLowered ? clBtnHighlight : clBtnShadow;
}

}  // namespace

TPanel::TPanel(TComponent* AOwner) : TCustomControl(AOwner) {
  SetControlStyle(csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csOpaque |
                  csDoubleClicks | csReplicatable);
  SetBounds(Left(), Top(), 185, 41);
  SetColor(clBtnFace);
}

void TPanel::SetBevelOuter(TPanelBevel Value) {
  if (Value == FBevelOuter) return;
  FBevelOuter = Value;
  Realign();
  Invalidate();
}

void TPanel::SetBevelInner(TPanelBevel Value) {
  if (Value == FBevelInner) return;
  FBevelInner = Value;
  Realign();
  Invalidate();
}

void TPanel::SetBevelWidth(int Value) {
  if (Value < 1) Value = 1;
  if (Value == FBevelWidth) return;
  FBevelWidth = Value;
  Realign();
  Invalidate();
}

void TPanel::SetAlignment(TAlignment Value) {
  if (Value == FAlignment) return;
  FAlignment = Value;
  Invalidate();
}

int TPanel::BevelSize() const {
  int size = 0;
  if (FBevelOuter != bvNone) size += FBevelWidth;
  if (FBevelInner != bvNone) size += FBevelWidth;
  return size;
}

void TPanel::AdjustClientRect(TRect& Rect) {
  TCustomControl::AdjustClientRect(Rect);
  const int size = BevelSize();
  Rect.Left += size;
  Rect.Top += size;
  Rect.Right -= size;
  Rect.Bottom -= size;
}

void TPanel::Paint() {
  TCanvas* canvas = Canvas();
  TRect area = ClientRect();
  TColor top, bottom;
  if (FBevelOuter != bvNone) {
    BevelColors(FBevelOuter, top, bottom);
    Frame3D(canvas, area, top, bottom, FBevelWidth);
  }
  if (FBevelInner != bvNone) {
    BevelColors(FBevelInner, top, bottom);
    Frame3D(canvas, area, top, bottom, FBevelWidth);
  }
  canvas->Brush()->SetColor(Color());
  canvas->Brush()->SetStyle(bsSolid);
  canvas->FillRect(area);
  const std::string caption = Caption();
  if (caption.empty()) return;
  canvas->Brush()->SetStyle(bsClear);
  canvas->SetBkMode(TRANSPARENT);
  canvas->SetFont(Font());
  // One line, centred vertically within the bevels.
  const int height = canvas->TextHeight("W");
  area.Top = (area.Top + area.Bottom - height) / 2;
  area.Bottom = area.Top + height;
  unsigned flags = DT_SINGLELINE | DT_VCENTER;
  if (FAlignment == taCenter) flags |= DT_CENTER;
  if (FAlignment == taRightJustify) flags |= DT_RIGHT;
  canvas->DrawText(caption, area, flags);
}
