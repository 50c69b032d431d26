#include "platform/controls/Image.h"

#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphic.h"

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), FPicture(std::make_unique<TPicture>()) {
  SetControlStyle(ControlStyle() | csReplicatable);
  SetBounds(Left(), Top(), 105, 105);
  FPicture->SetOnChange([this](TObject*) { PictureChanged(); });
}

TImage::~TImage() { FPicture->SetOnChange(nullptr); }

void TImage::SetPicture(TPicture* Value) { FPicture->Assign(Value); }

void TImage::SetStretch(bool Value) {
  if (Value == FStretch) return;
  FStretch = Value;
  Invalidate();
}

void TImage::SetCenter(bool Value) {
  if (Value == FCenter) return;
  FCenter = Value;
  Invalidate();
}

void TImage::SetTransparent(bool Value) {
  if (Value == FTransparent) return;
  FTransparent = Value;
  PictureChanged();
}

// A new or changed graphic takes the control's transparency, then shows.
void TImage::PictureChanged() {
  if (FApplyingTransparent) return;
  if (TGraphic* graphic = FPicture->Graphic(); graphic != nullptr && graphic->Transparent() != FTransparent) {
    FApplyingTransparent = true;
    try {
      graphic->SetTransparent(FTransparent);
    } catch (...) {
      FApplyingTransparent = false;
      throw;
    }
    FApplyingTransparent = false;
  }
  Invalidate();
}

TRect TImage::DestRect() const {
  int w = FPicture->Width();
  int h = FPicture->Height();
  if (FStretch) {
    w = ClientWidth();
    h = ClientHeight();
  }
  TRect result = Rect(0, 0, w, h);
  if (FCenter) {
    const int dx = (ClientWidth() - w) / 2, dy = (ClientHeight() - h) / 2;
    result = Rect(dx, dy, dx + w, dy + h);
  }
  return result;
}

void TImage::Paint() {
  TGraphic* graphic = FPicture->Graphic();
  if (graphic == nullptr || graphic->Empty()) return;
  Canvas()->StretchDraw(DestRect(), graphic);
}
