#include "platform/controls/CustomControl.h"

#include <QWidget>

#include "platform/base/MainThread.h"
#include "platform/controls/ControlQt.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner) {}

TCustomControl::~TCustomControl() = default;

TCanvas* TCustomControl::Canvas() const { return BufferCanvas(); }

void TCustomControl::Paint() {}

void TCustomControl::PaintWindow(TCanvas* Canvas) {
  if (!(ControlStyle() & csOpaque)) TWinControl::PaintWindow(Canvas);
  Paint();
}

struct TGraphicControl::TImpl {
  std::unique_ptr<TCanvas> Canvas = std::make_unique<TCanvas>(nullptr);
};

TGraphicControl::TGraphicControl(TComponent* AOwner)
    : TControl(AOwner), FGraphicImpl(std::make_unique<TImpl>()) {}

TGraphicControl::~TGraphicControl() {
  Destroying();
  if (Parent() != nullptr) {
    TWinControl* parent = Parent();
    SetParent(nullptr);
    if (!parent->IsDestroying()) parent->Invalidate();
  }
}

TCanvas* TGraphicControl::Canvas() const { return FGraphicImpl->Canvas.get(); }

void TGraphicControl::Paint() {}

void TGraphicControl::PaintInto(TBitmap* ParentBuffer) {
  TCanvas* canvas = Canvas();
  canvas->Lock();
  canvas->SetSurface(ParentBuffer);
  canvas->SetWindowOrg(-Left(), -Top());
  canvas->IntersectClipRect(0, 0, Width(), Height());
  // Whatever clip the control selects stays within its own bounds.
  canvas->SetMetaRgn();
  try {
    Paint();
  } catch (...) {
    canvas->SetSurface(nullptr);
    canvas->Unlock();
    throw;
  }
  canvas->SetSurface(nullptr);
  canvas->Unlock();
}

void TGraphicControl::Invalidate() {
  if (!IsMainThread()) {
    TControl::Invalidate();  // hands the call to the UI thread
    return;
  }
  if (Parent() != nullptr)
    ControlWidget(Parent())->update(QRect(Left(), Top(), Width(), Height()));
}

void TGraphicControl::Repaint() {
  if (!IsMainThread()) {
    Synchronize([this] { Repaint(); });
    return;
  }
  if (Parent() == nullptr) return;
  QWidget* w = ControlWidget(Parent());
  if (w->isVisible()) w->repaint(QRect(Left(), Top(), Width(), Height()));
}

void TGraphicControl::Update() { Repaint(); }
