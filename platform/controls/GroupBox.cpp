#include "platform/controls/GroupBox.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"

namespace {

// Height of a line of the box's font, measured off-screen: aligning may ask
// before the box has a window.
int CaptionHeight(TFont* Font) {
  TBitmap scratch;
  scratch.SetSize(1, 1);
  scratch.Canvas()->SetFont(Font);
  return scratch.Canvas()->TextHeight("0");
}

}  // namespace

TGroupBox::TGroupBox(TComponent* AOwner) : TCustomControl(AOwner) {
  SetControlStyle(csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption |
                  csDoubleClicks | csReplicatable);
  SetBounds(Left(), Top(), 185, 105);
}

void TGroupBox::AdjustClientRect(TRect& Rect) {
  TCustomControl::AdjustClientRect(Rect);
  Rect.Top += CaptionHeight(Font());
  Rect.Left += 2;
  Rect.Top += 2;
  Rect.Right -= 2;
  Rect.Bottom -= 2;
}

void TGroupBox::Paint() {
  TCanvas* canvas = Canvas();
  canvas->SetFont(Font());
  const int h = canvas->TextHeight("0");
  // The etched frame: a light frame one pixel down-right of a shadow frame,
  // its top edge at the middle of the caption.
  TRect frame = Rect(1, h / 2, Width(), Height());
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(clBtnHighlight);
  canvas->FrameRect(frame);
  frame = Rect(0, h / 2 - 1, Width() - 1, Height() - 1);
  canvas->Brush()->SetColor(clBtnShadow);
  canvas->FrameRect(frame);
  const std::string caption = Caption();
  if (caption.empty()) return;
  // The caption interrupts the top edge on the box's own colour.
  TRect text = Rect(8, 0, 0, h);
  canvas->DrawText(caption, text, DT_SINGLELINE | DT_CALCRECT);
  canvas->Brush()->SetColor(Color());
  canvas->SetBkMode(OPAQUE);
  canvas->SetBkColor(Color());
  canvas->DrawText(caption, text, DT_SINGLELINE);
}
