#include "widgets/sk/SkButton.h"

#include <algorithm>

#include "platform/controls/Form.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Font.h"
#include "widgets/sk/SkDrawCore.h"

namespace {
constexpr TColor kDisabledGlyphTint = TColor(0x404040);

std::unique_ptr<TBitmap> NewFace(int Width, int Height) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf24bit);
  bitmap->SetSize(Width, Height);
  return bitmap;
}
}  // namespace

TSkButton::TSkButton(TComponent* AOwner) : TSkCustomControl(AOwner) {
  FColors = std::make_unique<TSkControlColors>(this);
  SetHeight(25);
  SetWidth(75);
  FNormalBitmap = NewFace(Width(), Height());
  FOverBitmap = NewFace(Width(), Height());
  FClickedBitmap = NewFace(Width(), Height());
  FGlyph = std::make_unique<TBitmap>();
  FGlyph->SetTransparent(true);
  FFadeSpeed = fsMedium;
  FFadePos = 0;
  FClickPos = 0;
  FMouseState = 0;
}

TSkButton::~TSkButton() {
  FNormalBitmap.reset();
  FOverBitmap.reset();
  FClickedBitmap.reset();
  FGlyph.reset();
  FColors.reset();
}

// ---- setters ----

void TSkButton::SetGlyph(TBitmap* Value) {
  FGlyph->Assign(Value);
  FGlyph->SetTransparent(true);
  Invalidate();
}

void TSkButton::SetSpacing(int Value) { FSpacing = std::max(Value, 0); }

void TSkButton::SetLayout(TButtonLayout Value) {
  if (FLayout == Value) return;
  FLayout = Value;
  Invalidate();
}

void TSkButton::SetColors(TSkControlColors* Value) {
  if (Value != nullptr && Value != FColors.get()) FColors->Assign(Value);
}

void TSkButton::SetShowFocusRect(bool Value) {
  if (FShowFocusRect == Value) return;
  FShowFocusRect = Value;
  Invalidate();
}

void TSkButton::SetHotTrack(bool Value) {
  if (FHotTrack == Value) return;
  FHotTrack = Value;
  Invalidate();
}

void TSkButton::SetDefault(bool Value) {
  if (FDefault == Value) return;
  FDefault = Value;
  // The form's skinned controls repaint their default and focus looks.
  if (TCustomForm* form = ParentForm()) form->NotifyFocusChanged();
}

void TSkButton::SetGradientType(TGradientType Value) {
  if (FGradientType == Value) return;
  FGradientType = Value;
  RebuildBitmaps();
}

// ---- group ----

void TSkButton::SetDown(bool Value) {
  if (FGroupIndex <= 0 || Value == FDown) return;
  if (!Value && !CanReleaseDown()) return;
  FDown = Value;
  if (Value) {
    ReleaseGroup();
    FMouseState |= msMouseInside | msLeftPressed;
    UseFadeIn();
  } else {
    FMouseState &= Byte(~msLeftPressed);
    UseFadeOut();
  }
  StartFade();
}

void TSkButton::ReleaseGroup() {
  TWinControl* parent = Parent();
  if (FGroupIndex <= 0 || parent == nullptr) return;
  const int count = parent->ControlCount();
  for (int i = 0; i < count && i < parent->ControlCount(); ++i) {
    auto* sibling = dynamic_cast<TSkButton*>(parent->Controls(i));
    if (sibling != nullptr && sibling != this && sibling->FGroupIndex == FGroupIndex)
      sibling->SetDown(false);
  }
}

bool TSkButton::CanReleaseDown() const {
  if (FAllowAllUp) return true;
  TWinControl* parent = Parent();
  if (FGroupIndex <= 0 || parent == nullptr) return false;
  for (int i = 0; i < parent->ControlCount(); ++i) {
    auto* sibling = dynamic_cast<TSkButton*>(parent->Controls(i));
    if (sibling != nullptr && sibling != this && sibling->FGroupIndex == FGroupIndex &&
        sibling->FDown)
      return true;
  }
  return false;
}

// ---- input ----

void TSkButton::Click() {
  if (TCustomForm* form = ParentForm()) form->SetModalResult(FModalResult);
  SetDown(FGroupIndex > 0 && !FDown);
  TSkCustomControl::Click();
}

void TSkButton::KeyDown(Word& Key, TShiftState Shift) {
  // Each auto-repeat of a held Space clicks again.
  if (Key == VK_SPACE && (Shift & (ssShift | ssCtrl | ssAlt)) == 0) Click();
  TSkCustomControl::KeyDown(Key, Shift);
}

bool TSkButton::DialogKey(Word Key, TShiftState Shift) {
  const bool enter = Key == VK_RETURN && (Focused() || FDefault);
  const bool escape = Key == VK_ESCAPE && (Shift & (ssShift | ssCtrl | ssAlt)) == 0 && FCancel;
  if ((enter || escape) && CanFocus()) {
    Click();
    return true;
  }
  return TSkCustomControl::DialogKey(Key, Shift);
}

void TSkButton::FocusChanged() { Invalidate(); }

void TSkButton::MouseEntered() {
  TSkCustomControl::MouseEntered();
  FMouseState |= msMouseInside;
  UseFadeIn();
  StartFade();
}

void TSkButton::MouseExited() {
  TSkCustomControl::MouseExited();
  if (FDown) return;
  FMouseState &= Byte(~msMouseInside);
  UseFadeOut();
  StartFade();
}

void TSkButton::LeftMouseDown() {
  TSkCustomControl::LeftMouseDown();
  FMouseState |= msMouseInside | msLeftPressed;
  UseFadeIn();
  StartFade();
}

void TSkButton::LeftMouseUp() {
  if ((FMouseState & msLeftPressed) != 0 && !FDown) FMouseState &= Byte(~msLeftPressed);
  if ((FMouseState & msMouseInside) != 0) UseFadeIn();
  StartFade();
}

void TSkButton::Resized() { RebuildBitmaps(); }

// ---- faces ----

void TSkButton::RebuildBitmaps() {
  // The size notifications of construction come before the faces exist.
  if (FNormalBitmap == nullptr || FOverBitmap == nullptr || FClickedBitmap == nullptr) return;
  const int width = Width();
  const int height = Height();
  const TRect all = Rect(0, 0, width, height);
  struct {
    TBitmap* Face;
    TColor From, To;
  } faces[] = {
      {FNormalBitmap.get(), FColors->DefaultFrom(), FColors->DefaultTo()},
      {FOverBitmap.get(), FColors->OverFrom(), FColors->OverTo()},
      {FClickedBitmap.get(), FColors->ClickedFrom(), FColors->ClickedTo()},
  };
  for (auto& face : faces) {
    face.Face->SetPixelFormat(pf24bit);
    face.Face->SetSize(width, height);
    FillGradient(face.Face, all, face.From, face.To, FGradientType, nullptr);
  }
  Invalidate();
}

TPoint TSkButton::GlyphPosition(const TRect& T, int tw, int th, bool WithCaption) const {
  const int gw = FGlyph->Width();
  const int gh = FGlyph->Height();
  const int s = FSpacing;
  const int W = Width();
  const int H = Height();
  switch (FLayout) {
    case blGlyphLeft:
      return WithCaption ? Point((T.Left + T.Right - tw) / 2 - s - gw, (H - gh) / 2)
                         : Point((T.Left + T.Right - s) / 2 - gw, (H - gh) / 2);
    case blGlyphRight:
      return WithCaption ? Point((T.Left + T.Right + tw) / 2 + s, (H - gh) / 2)
                         : Point((T.Left + T.Right) / 2 + s, (H - gh) / 2);
    case blGlyphTop:
      return WithCaption ? Point((W - gw) / 2, (T.Top + T.Bottom - th) / 2 - s - gh)
                         : Point((W - gw) / 2, (T.Top + T.Bottom) / 2 - s - gh);
    case blGlyphBottom:
      return WithCaption ? Point((W - gw) / 2, (T.Top + T.Bottom + th) / 2 + s)
                         : Point((W - gw) / 2, (T.Top + T.Bottom) / 2 + s);
  }
  return Point(0, 0);
}

void TSkButton::Paint() {
  const int width = Width();
  const int height = Height();
  TCanvas* canvas = Canvas();
  TRect r = ClientRect();

  {
    auto work = NewFace(width, height);
    BlendBitmap(work.get(), FNormalBitmap.get(), FOverBitmap.get(), FFadePos, r, 1);
    if (FClickPos > 0) {
      TRect pressed = r;
      if (FGradientBorder)
        pressed = Rect(r.Left + 3, r.Top + 3, r.Right - 3, r.Bottom - 3);
      BlendRect(work.get(), FClickedBitmap.get(), pressed, FClickPos);
    }
    TCanvas* face = work->Canvas();
    face->Brush()->SetStyle(bsClear);
    face->Pen()->SetColor(Color());
    face->Rectangle(r);
    face->Pen()->SetColor(FColors->BorderColor());
    face->RoundRect(0, 0, width, height, 5, 5);
    BitBlt(canvas, 0, 0, width, height, face, 0, 0, SRCCOPY);
  }

  TRect text = ClientRect();
  const bool hasGlyph = !FGlyph->Empty();
  if (hasGlyph) {
    switch (FLayout) {
      case blGlyphLeft: text.Left += FGlyph->Width() + FSpacing; break;
      case blGlyphRight: text.Left -= FGlyph->Width() + FSpacing; break;
      case blGlyphTop: text.Top += FGlyph->Height() + FSpacing; break;
      case blGlyphBottom: text.Top -= FGlyph->Height() + FSpacing; break;
    }
  }

  canvas->SetBkMode(TRANSPARENT);
  int flags = 0;
  TextFormatFlags(2, false, flags);
  canvas->SetFont(Font());
  if (FHotTrack && (FMouseState & msMouseInside) != 0) canvas->Font()->SetColor(FColors->HotTrack());
  const std::string caption = Caption();
  const int tw = canvas->TextWidth(caption);
  const int th = canvas->TextHeight(caption);

  if (ShowCaption())
    DrawCaptionText(canvas, caption, canvas->Font(), Enabled(), text, flags, TextShadow(),
                    FColors->TextShadow());

  if (hasGlyph) {
    auto glyph = std::make_unique<TBitmap>();
    glyph->Assign(FGlyph.get());
    glyph->SetPixelFormat(pf24bit);
    glyph->SetTransparent(true);
    if (!Enabled()) GrayTint(glyph.get(), kDisabledGlyphTint);
    const TPoint at = GlyphPosition(text, tw, th, !caption.empty() && ShowCaption());
    canvas->Draw(at.X, at.Y, glyph.get());
  }

  if (Focused() && FShowFocusRect) {
    TRect focus = ClientRect();
    canvas->DrawFocusRect(Rect(focus.Left + 2, focus.Top + 2, focus.Right - 2, focus.Bottom - 2));
  }
}
