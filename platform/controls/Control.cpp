#include "platform/controls/Control.h"

#include <QCursor>
#include <QImage>
#include <QPixmap>
#include <QWidget>

#include "platform/base/Exceptions.h"
#include "platform/base/MainThread.h"
#include "platform/controls/Application.h"
#include "platform/controls/ControlQt.h"
#include "platform/controls/CustomControl.h"
#include "platform/controls/Form.h"
#include "platform/controls/QtText.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/IconFile.h"

namespace {

Qt::CursorShape QtCursorShape(TCursor Cursor) {
  switch (Cursor) {
    case crCross: return Qt::CrossCursor;
    case crIBeam: return Qt::IBeamCursor;
    case crSizeNESW: return Qt::SizeBDiagCursor;
    case crSizeNS: return Qt::SizeVerCursor;
    case crSizeNWSE: return Qt::SizeFDiagCursor;
    case crSizeWE: return Qt::SizeHorCursor;
    case crUpArrow: return Qt::UpArrowCursor;
    case crHourGlass: case crSQLWait: return Qt::WaitCursor;
    case crDrag: case crMultiDrag: return Qt::DragCopyCursor;
    case crNoDrop: case crNo: return Qt::ForbiddenCursor;
    case crHSplit: return Qt::SplitHCursor;
    case crVSplit: return Qt::SplitVCursor;
    case crAppStart: return Qt::BusyCursor;
    case crHelp: return Qt::WhatsThisCursor;
    case crHandPoint: return Qt::PointingHandCursor;
    case crSizeAll: return Qt::SizeAllCursor;
    case crNone: return Qt::BlankCursor;
    default: return Qt::ArrowCursor;
  }
}

}  // namespace

// Used by the bridge to show a windowless control's cursor on its parent.
// A cursor of the screen's table: its picture, see-through where its mask
// says so, and its hot spot.
static QCursor TableCursor(const TIconFile& File) {
  const TIconImage& image = File.Images[std::size_t(ChooseIconImage(File.Images))];
  QImage picture(image.Width, image.Height, QImage::Format_ARGB32);
  for (int y = 0; y < image.Height; ++y)
    for (int x = 0; x < image.Width; ++x) {
      const TRGBQuad q = image.Pixel(x, y);
      const int alpha = image.HasAlpha ? q.rgbReserved : image.SeeThrough(x, y) ? 0 : 255;
      picture.setPixel(x, y, qRgba(q.rgbRed, q.rgbGreen, q.rgbBlue, alpha));
    }
  return QCursor(QPixmap::fromImage(picture), image.HotSpotX, image.HotSpotY);
}

QCursor QtCursorOf(TCursor Cursor) {
  if (Screen != nullptr)
    if (HCURSOR table = Screen->Cursors(Cursor); table != nullptr && !table->Images.empty())
      return TableCursor(*table);
  return QCursor(QtCursorShape(Cursor));
}

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), FFont(std::make_unique<TFont>()) {
  RegisterLiveControl(this);
  FFont->SetOnChange([this](TObject*) { FontChangedByUser(); });
}

TControl::~TControl() {
  Destroying();
  UnregisterLiveControl(this);
  FFont->SetOnChange(nullptr);
  if (FParent != nullptr) FParent->RemoveControl(this);
}

TCustomForm* TControl::ParentForm() const {
  const TControl* c = this;
  while (c->FParent != nullptr) c = c->FParent;
  return dynamic_cast<TCustomForm*>(const_cast<TControl*>(c));
}

void TControl::SetParent(TWinControl* AParent) {
  if (FParent == AParent) return;
  if (AParent == this) throw EInvalidOperation("A control cannot have itself as its parent");
  if (FParent != nullptr) FParent->RemoveControl(this);
  if (AParent != nullptr) AParent->InsertControl(this);
}

void TControl::SetLeft(int Value) { SetBounds(Value, FTop, FWidth, FHeight); }
void TControl::SetTop(int Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
void TControl::SetWidth(int Value) { SetBounds(FLeft, FTop, Value, FHeight); }
void TControl::SetHeight(int Value) { SetBounds(FLeft, FTop, FWidth, Value); }
void TControl::SetBoundsRect(const TRect& R) { SetBounds(R.Left, R.Top, R.Width(), R.Height()); }

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (AWidth < 0) AWidth = 0;
  if (AHeight < 0) AHeight = 0;
  const bool sized = AWidth != FWidth || AHeight != FHeight;
  if (!sized && ALeft == FLeft && ATop == FTop) return;
  // A windowless control leaves its old place on the parent to be repainted.
  if (FParent != nullptr && dynamic_cast<TWinControl*>(this) == nullptr) Invalidate();
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  ApplyBoundsToWindow();
  if (FParent != nullptr && dynamic_cast<TWinControl*>(this) == nullptr) Invalidate();
  if (sized) WMSize();
  RequestParentAlign();
}

void TControl::ApplyBoundsToWindow() {
  auto* win = dynamic_cast<TWinControl*>(this);
  if (win == nullptr) return;
  QWidget* w = ControlWidget(win);
  // A window's position is that of its client area, like its size.
  w->setGeometry(FLeft, FTop, FWidth, FHeight);
}

void TControl::RequestParentAlign() {
  if (FParent != nullptr && FAlign != alNone) FParent->Realign();
}

TPoint TControl::ClientOriginInForm() const {
  TPoint p = ClientOffset();
  for (const TControl* c = this; c->FParent != nullptr; c = c->FParent) {
    // Bounds are in the parent's client coordinates; the form's client area is the origin.
    const TControl* parent = c->FParent;
    const TPoint inset = parent->FParent != nullptr ? parent->ClientOffset() : TPoint{0, 0};
    p.X += c->FLeft + inset.X;
    p.Y += c->FTop + inset.Y;
  }
  return p;
}

TPoint TControl::ClientToScreen(TPoint Point) const {
  if (auto* win = dynamic_cast<const TWinControl*>(this)) {
    const TPoint inset = ClientOffset();
    QPoint g = ControlWidget(win)->mapToGlobal(QPoint(Point.X + inset.X, Point.Y + inset.Y));
    return TPoint{g.x(), g.y()};
  }
  if (FParent != nullptr) return FParent->ClientToScreen(TPoint{Point.X + FLeft, Point.Y + FTop});
  return TPoint{Point.X + FLeft, Point.Y + FTop};
}

TPoint TControl::ScreenToClient(TPoint Point) const {
  if (auto* win = dynamic_cast<const TWinControl*>(this)) {
    const TPoint inset = ClientOffset();
    QPoint l = ControlWidget(win)->mapFromGlobal(QPoint(Point.X, Point.Y));
    return TPoint{l.x() - inset.X, l.y() - inset.Y};
  }
  if (FParent != nullptr) {
    TPoint p = FParent->ScreenToClient(Point);
    return TPoint{p.X - FLeft, p.Y - FTop};
  }
  return TPoint{Point.X - FLeft, Point.Y - FTop};
}

void TControl::SetAlign(TAlign Value) {
  if (FAlign == Value) return;
  const TAlign old = FAlign;
  FAlign = Value;
  if (FParent != nullptr && (old != alNone || Value != alNone)) FParent->Realign();
}

void TControl::SetVisible(bool Value) {
  if (FVisible == Value) return;
  FVisible = Value;
  if (FParent != nullptr) FParent->Invalidate();
  CMVisibleChanged();
  RequestParentAlign();
}

bool TControl::Showing() const {
  const TControl* c = this;
  for (;;) {
    if (!c->FVisible) return false;
    if (c->FParent == nullptr) return true;
    c = c->FParent;
  }
}

void TControl::SetEnabled(bool Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  CMEnabledChanged();
}

void TControl::SetColor(TColor Value) {
  if (FColor == Value) return;
  FColor = Value;
  FParentColor = false;
  CMColorChanged();
}

void TControl::SetParentColor(bool Value) {
  if (FParentColor == Value) return;
  FParentColor = Value;
  if (FParent != nullptr && Value) CMParentColorChanged();
}

void TControl::SetFont(TFont* Value) { FFont->Assign(Value); }

void TControl::SetParentFont(bool Value) {
  if (FParentFont == Value) return;
  FParentFont = Value;
  if (FParent != nullptr && Value) CMParentFontChanged();
}

void TControl::FontChangedByUser() {
  if (!FApplyingParentFont) FParentFont = false;
  CMFontChanged();
}

void TControl::SetText(const std::string& Value) {
  if (GetText() == Value) return;
  SetTextBuf(Value);
  CMTextChanged();
}

void TControl::SetHint(const std::string& Value) {
  if (FHint == Value) return;
  FHint = Value;
  CMHintShowChanged();
}

void TControl::SetShowHint(bool Value) {
  FParentShowHint = false;
  if (FShowHint == Value) return;
  FShowHint = Value;
  if (auto* win = dynamic_cast<TWinControl*>(this))
    for (int i = 0; i < win->ControlCount(); ++i) {
      TControl* child = win->Controls(i);
      if (child->FParentShowHint) {
        child->SetShowHint(Value);
        child->FParentShowHint = true;
      }
    }
  CMHintShowChanged();
}

void TControl::SetParentShowHint(bool Value) {
  if (FParentShowHint == Value) return;
  FParentShowHint = Value;
  if (Value && FParent != nullptr) {
    SetShowHint(FParent->ShowHint());
    FParentShowHint = true;
  }
}

void TControl::SetCursor(TCursor Value) {
  if (FCursor == Value) return;
  FCursor = Value;
  if (auto* win = dynamic_cast<TWinControl*>(this)) {
    if (Value == crDefault)
      ControlWidget(win)->unsetCursor();
    else
      ControlWidget(win)->setCursor(QtCursorOf(Value));
  }
}

void TControl::Invalidate() {
  if (!IsMainThread()) {
    TControl* self = this;
    Queue([self] {
      if (IsLiveControl(self)) self->Invalidate();
    });
    return;
  }
  if (FParent != nullptr) FParent->Invalidate();
}

void TControl::Repaint() {
  if (!IsMainThread()) {
    Synchronize([this] { Repaint(); });
    return;
  }
  if (FParent != nullptr) FParent->Repaint();
}

void TControl::Update() {
  if (FParent != nullptr) FParent->Update();
}

bool TControl::MouseCapture() const { return CaptureControl() == this; }

void TControl::SetMouseCapture(bool Value) {
  if (Value)
    SetCaptureControl(this);
  else if (CaptureControl() == this)
    SetCaptureControl(nullptr);
}

bool TControl::MouseInControl() const { return HoverControl() == this; }

bool TControl::DialogKey(Word, TShiftState) { return false; }

void TControl::Loaded() {
  TComponent::Loaded();
  if (FParent != nullptr && FAlign != alNone) FParent->Realign();
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (FOnMouseDown && !(FControlStyle & csNoStdEvents)) FOnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
  if (FOnMouseMove && !(FControlStyle & csNoStdEvents)) FOnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (FOnMouseUp && !(FControlStyle & csNoStdEvents)) FOnMouseUp(this, Button, Shift, X, Y);
}

void TControl::Click() {
  if (FOnClick) FOnClick(this);
}

void TControl::DblClick() {
  if (FOnDblClick) FOnDblClick(this);
}

void TControl::CMEnabledChanged() { Invalidate(); }
void TControl::CMVisibleChanged() {}
void TControl::CMFocusChanged(TWinControl*) {}

void TControl::CMMouseEnter() {
  if (FOnMouseEnter) FOnMouseEnter(this);
}

void TControl::CMMouseLeave() {
  if (FOnMouseLeave) FOnMouseLeave(this);
}

void TControl::CMColorChanged() { Invalidate(); }

void TControl::CMParentColorChanged() {
  if (!FParentColor || FParent == nullptr) return;
  SetColor(FParent->Color());
  FParentColor = true;
}

void TControl::CMFontChanged() { Invalidate(); }

void TControl::CMParentFontChanged() {
  if (!FParentFont || FParent == nullptr) return;
  FApplyingParentFont = true;
  try {
    FFont->Assign(FParent->Font());
  } catch (...) {
    FApplyingParentFont = false;
    throw;
  }
  FApplyingParentFont = false;
  FParentFont = true;
}

void TControl::CMTextChanged() { Invalidate(); }

void TControl::WMSize() {
  if (FOnResize) FOnResize(this);
}
