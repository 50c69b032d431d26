#include "widgets/sk/SkPanel.h"

#include <algorithm>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Region.h"
#include "widgets/sk/SkDrawCore.h"

TSkPanel::TSkPanel(TComponent* AOwner) : TSkCustomControl(AOwner) {
  SetControlStyle(csAcceptsControls | csCaptureMouse | csClickEvents | csDoubleClicks | csOpaque |
                  csReplicatable | csSetCaption);
  FBackground = std::make_unique<TBitmap>();
  FBackground->SetPixelFormat(pf24bit);
  FBackground->SetSize(Width(), Height());
  Font()->SetColor(TColor(13500416));
  SetColor(TColor(14933983));
  SetWidth(185);
  SetHeight(105);
}

TSkPanel::~TSkPanel() { FBackground.reset(); }

// ---- setters ----

void TSkPanel::SetCaptionPosition(TSkCaptionPos Value) {
  if (FCaptionPosition == Value) return;
  const TSkCaptionPos old = FCaptionPosition;
  FCaptionPosition = Value;
  Realign();
  if (old == cpGroupBox || Value == cpGroupBox)
    RebuildBitmaps();
  else
    Invalidate();
}

void TSkPanel::SetCornerWidth(int Value) {
  if (Value < 0 || FCornerWidth == Value) return;
  FCornerWidth = Value;
  RebuildBitmaps();
}

void TSkPanel::SetBorderWidth(int Value) {
  if (Value <= 0 || FBorderWidth == Value) return;
  FBorderWidth = Value;
  if (Parent() != nullptr) Parent()->Realign();
  RebuildBitmaps();
}

void TSkPanel::SetBorderColor(TColor Value) {
  if (FBorderColor == Value) return;
  FBorderColor = Value;
  RebuildBitmaps();
}

void TSkPanel::SetOuterColor(TColor Value) {
  if (FOuterColor == Value) return;
  FOuterColor = Value;
  RebuildBitmaps();
}

void TSkPanel::SetTextShadowColor(TColor Value) {
  if (FTextShadowColor == Value) return;
  FTextShadowColor = Value;
  Invalidate();
}

void TSkPanel::SetAntialiased(bool Value) {
  if (FAntialiased == Value) return;
  FAntialiased = Value;
  if (Value) FGradient = false;
  RebuildBitmaps();
}

void TSkPanel::SetGradient(bool Value) {
  // The gradient and the 3x frame are never drawn together.
  const bool stored = FAntialiased ? false : Value;
  if (FGradient == stored) return;
  FGradient = stored;
  RebuildBitmaps();
}

void TSkPanel::SetDefaultFrom(TColor Value) {
  if (FDefaultFrom == Value) return;
  FDefaultFrom = Value;
  RebuildBitmaps();
}

void TSkPanel::SetDefaultTo(TColor Value) {
  if (FDefaultTo == Value) return;
  FDefaultTo = Value;
  RebuildBitmaps();
}

void TSkPanel::SetGradientType(TGradientType Value) {
  if (FGradientType == Value) return;
  FGradientType = Value;
  RebuildBitmaps();
}

// ---- cache ----

void TSkPanel::RebuildBitmaps() { BuildPanelBackground(); }

void TSkPanel::Loaded() {
  TSkCustomControl::Loaded();
  RebuildBitmaps();
}

void TSkPanel::Resized() {
  FBackground->SetSize(Width(), Height());
  RebuildBitmaps();
}

void TSkPanel::CMColorChanged() {
  TSkCustomControl::CMColorChanged();
  RebuildBitmaps();
}

void TSkPanel::CMParentColorChanged() {
  TSkCustomControl::CMParentColorChanged();
  if (Parent() != nullptr && ParentColor()) SetOuterColor(Parent()->Color());
}

int TSkPanel::CaptionTextHeight() {
  TCanvas* canvas = Canvas();
  canvas->SetFont(Font());
  return canvas->TextHeight(Caption());
}

void TSkPanel::BuildPanelBackground() {
  if ((ComponentState() & (csLoading | csReading)) != 0 || FBackground == nullptr) return;
  if (FBackground->Empty()) {
    Invalidate();
    return;
  }

  const int a = FAntialiased ? 3 : 1;
  std::unique_ptr<TBitmap> enlarged;  // freed on every way out
  TBitmap* work = FBackground.get();
  if (FAntialiased) {
    enlarged = std::make_unique<TBitmap>();
    work = enlarged.get();
  }
  work->SetPixelFormat(pf24bit);
  const int wa = a * FBackground->Width();
  const int ha = a * FBackground->Height();
  work->SetSize(wa, ha);

  TCanvas* canvas = work->Canvas();
  canvas->Brush()->SetColor(FOuterColor);
  canvas->FillRect(Rect(0, 0, wa, ha));

  const int penWidth = a * FBorderWidth - 1;
  canvas->Pen()->SetStyle(psSolid);
  canvas->Pen()->SetWidth(penWidth);
  canvas->Pen()->SetColor(FBorderColor);
  canvas->Brush()->SetColor(Color());
  const int h = penWidth / 2;

  TRect box = Rect(h, h, wa - h, ha - h);
  if (FCaptionPosition == cpGroupBox) box.Top = h + (a * CaptionTextHeight()) / 2;
  const int corner = a * FCornerWidth;

  if (FGradient) {
    TRegion region =
        CreateRoundRectRgn(box.Left, box.Top, box.Right, box.Bottom, corner, corner);
    FillGradient(work, Rect(0, 0, wa, ha), FDefaultFrom, FDefaultTo, FGradientType, &region);
    // Clear only after the fill: a solid fill of equal colours sets the brush.
    canvas->Brush()->SetStyle(bsClear);
  }
  canvas->RoundRect(box.Left, box.Top, box.Right, box.Bottom, corner, corner);

  if (FAntialiased) Supersample(work, FBackground.get(), a, FCornerWidth + 20, Color());
  Invalidate();
}

// ---- painting ----

void TSkPanel::Paint() {
  TCanvas* canvas = Canvas();
  const int width = Width();
  const int height = Height();
  canvas->Brush()->SetColor(FOuterColor);
  canvas->FillRect(Rect(0, 0, width, height));
  BitBlt(canvas, 0, 0, std::min(width, FBackground->Width()),
         std::min(height, FBackground->Height()), FBackground->Canvas(), 0, 0, SRCCOPY);

  canvas->SetFont(Font());
  const int d = (FCornerWidth + FBorderWidth) / 2;
  TRect text = Rect(d, FBorderWidth, width - d, height - FBorderWidth);
  unsigned flags = 0;
  switch (FCaptionPosition) {
    case cpGroupBox:
      text.Top -= FBorderWidth;
      if (FCornerWidth + FBorderWidth < 2) text.Left += 5;
      break;
    case cpTopLeft: break;
    case cpTopCenter: flags = DT_CENTER; break;
    case cpTopRight: flags = DT_RIGHT; break;
    case cpMiddleLeft:
      flags = DT_VCENTER;
      text.Left -= (FCornerWidth - FBorderWidth) / 2;
      break;
    case cpMiddleCenter: flags = DT_CENTER | DT_VCENTER; break;
    case cpMiddleRight:
      flags = DT_RIGHT | DT_VCENTER;
      text.Right += (FCornerWidth - FBorderWidth) / 2;
      break;
    case cpBottomLeft: flags = DT_BOTTOM; break;
    case cpBottomCenter: flags = DT_BOTTOM | DT_CENTER; break;
    case cpBottomRight: flags = DT_BOTTOM | DT_RIGHT; break;
  }
  // No DT_NOPREFIX: an ampersand in a panel caption underlines the next character.
  flags |= DT_SINGLELINE | DT_END_ELLIPSIS;

  if (!ShowCaption()) return;
  const std::string caption = Caption();
  if (FCaptionPosition == cpGroupBox) {
    const int th = canvas->TextHeight(caption) / 2;
    const int tw = canvas->TextWidth(caption);
    canvas->Brush()->SetColor(FOuterColor);
    canvas->FillRect(Rect(0, 0, text.Right, text.Top + th));
    canvas->FillRect(
        Rect(text.Left, text.Top + th, text.Left + tw, text.Top + th + std::min(FBorderWidth, th)));
  }
  canvas->SetBkMode(TRANSPARENT);
  DrawCaptionText(canvas, caption, Font(), Enabled(), text, int(flags), TextShadow(),
                  FTextShadowColor);
}

void TSkPanel::AdjustClientRect(TRect& R) {
  TSkCustomControl::AdjustClientRect(R);
  if (FCaptionPosition != cpGroupBox) {
    const int inset = FBorderWidth + 1;
    R = Rect(R.Left + inset, R.Top + inset, R.Right - inset, R.Bottom - inset);
    return;
  }
  const int th = CaptionTextHeight() / 2;
  R.Left += FBorderWidth + 1;
  R.Right -= FBorderWidth + 1;
  R.Top += th + 2;
  R.Bottom -= th + 2;
  R.Top += th - 1;
  R.Bottom += th - 1;
}
