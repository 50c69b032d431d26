#include "platform/controls/Form.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

#include <algorithm>

#include "platform/base/Exceptions.h"
#include "platform/controls/Application.h"
#include "platform/controls/ApplicationQt.h"
#include "platform/controls/ControlQt.h"
#include "platform/controls/DisabledWindows.h"
#include "platform/controls/QtText.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/BitmapQt.h"
#include "platform/layout/LayoutReader.h"

void NotifyControlWindowCreated(TControl* Control);
void RegisterCoreLayoutClasses();

namespace {

bool FixedBorder(TFormBorderStyle Style) { return Style != bsSizeable && Style != bsSizeToolWin; }

// Every control of the form, depth first, parents before children.
void CollectControls(TWinControl* Parent, std::vector<TControl*>& List) {
  for (int i = 0; i < Parent->ControlCount(); ++i) {
    TControl* c = Parent->Controls(i);
    List.push_back(c);
    if (auto* win = dynamic_cast<TWinControl*>(c)) CollectControls(win, List);
  }
}

}  // namespace

// The focus order: each parent's children in tab order, each followed by
// its own children.
struct TTabOrderList {
  static void Collect(TWinControl* Parent, std::vector<TWinControl*>& List) {
    for (TWinControl* c : Parent->FTabList) {
      List.push_back(c);
      Collect(c, List);
    }
  }
};

TCustomForm::TCustomForm(TComponent* AOwner) : TWinControl(AOwner) {
  RegisterCoreLayoutClasses();
  FVisible = false;
  FColor = clBtnFace;
  FParentColor = false;
  FParentFont = false;
  QWidget* w = ControlWidget(this);
  w->setWindowFlags(Qt::Window);
  w->setAttribute(Qt::WA_QuitOnClose, false);
  SetBounds(0, 0, 320, 240);
  ApplyWindowFlags();
}

TCustomForm::~TCustomForm() {
  Destroying();
  if (FCreated && FOnDestroy) GuardedCall(this, [this] { FOnDestroy(this); });
  if (Application != nullptr) Application->FormDestroying(this);
  WakeModalLoops();
}

void TCustomForm::AfterConstruction() {
  if (FCreated) return;
  FCreated = true;
  GuardedCall(this, [this] { DoCreate(); });
  if (FShowWhenCreated && IsLiveControl(this)) {
    FShowWhenCreated = false;
    Show();
  }
}

void TCustomForm::DoCreate() {
  if (FOnCreate) FOnCreate(this);
}

void TCustomForm::LoadLayout(const std::string& ResourceName, const TLayoutHandlers& Handlers) {
  RegisterCoreLayoutClasses();
  ReadLayoutResource(this, ResourceName, Handlers);
}

void TCustomForm::LoadLayoutText(const std::string& Text, const std::string& FileName,
                                 const TLayoutHandlers& Handlers) {
  RegisterCoreLayoutClasses();
  ReadLayout(this, Text, FileName, Handlers);
}

void TCustomForm::Loaded() { TWinControl::Loaded(); }

void TCustomForm::SetBorderStyle(TFormBorderStyle Value) {
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  ApplyWindowFlags();
}

void TCustomForm::SetBorderIcons(TBorderIcons Value) {
  if (FBorderIcons == Value) return;
  FBorderIcons = Value;
  ApplyWindowFlags();
}

void TCustomForm::SetPosition(TPosition Value) { FPosition = Value; }

void TCustomForm::SetFormStyle(TFormStyle Value) {
  if (FFormStyle == Value) return;
  FFormStyle = Value;
  ApplyWindowFlags();
}

void TCustomForm::ApplyWindowFlags() {
  QWidget* w = ControlWidget(this);
  Qt::WindowFlags flags;
  switch (FBorderStyle) {
    case bsDialog: flags = Qt::Dialog; break;
    case bsToolWindow:
    case bsSizeToolWin: flags = Qt::Tool; break;
    default: flags = Qt::Window; break;
  }
  flags |= Qt::CustomizeWindowHint;
  if (FBorderStyle == bsNone) {
    flags |= Qt::FramelessWindowHint;
  } else {
    flags |= Qt::WindowTitleHint;
    if (FBorderIcons & (1u << biSystemMenu)) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (FBorderStyle != bsDialog && (FBorderIcons & (1u << biMinimize)))
      flags |= Qt::WindowMinimizeButtonHint;
    if (!FixedBorder(FBorderStyle) && (FBorderIcons & (1u << biMaximize)))
      flags |= Qt::WindowMaximizeButtonHint;
  }
  if (FFormStyle == fsStayOnTop) flags |= Qt::WindowStaysOnTopHint;
  const bool shown = w->isVisible();
  if (w->windowFlags() != flags) w->setWindowFlags(flags);
  if (FixedBorder(FBorderStyle))
    w->setFixedSize(Width(), Height());
  else {
    w->setMinimumSize(0, 0);
    w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  }
  if (shown && !w->isVisible()) w->show();
}

void TCustomForm::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  QWidget* w = ControlWidget(this);
  w->setMinimumSize(0, 0);
  w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (FixedBorder(FBorderStyle)) w->setFixedSize(Width(), Height());
}

std::string TCustomForm::GetText() const { return TWinControl::GetText(); }

void TCustomForm::SetTextBuf(const std::string& Value) {
  TWinControl::SetTextBuf(Value);
  ControlWidget(this)->setWindowTitle(QtText(Value));
}

void TCustomForm::PlaceOnScreen() {
  FPlaced = true;
  int x = Left(), y = Top();
  const QRect screen = QGuiApplication::primaryScreen() != nullptr
                           ? QGuiApplication::primaryScreen()->geometry()
                           : QRect(0, 0, 1024, 768);
  TCustomForm* main = Application != nullptr ? Application->MainForm() : nullptr;
  TPosition position = FPosition;
  if ((position == poMainFormCenter || position == poOwnerFormCenter) &&
      (main == nullptr || main == this || !main->Visible()))
    position = poScreenCenter;
  switch (position) {
    case poScreenCenter:
    case poDesktopCenter:
      x = screen.x() + (screen.width() - Width()) / 2;
      y = screen.y() + (screen.height() - Height()) / 2;
      break;
    case poMainFormCenter:
    case poOwnerFormCenter:
      x = main->Left() + (main->Width() - Width()) / 2;
      y = main->Top() + (main->Height() - Height()) / 2;
      break;
    default:
      return;
  }
  // A window larger than the screen keeps its caption reachable.
  SetBounds(std::max(x, screen.x()), std::max(y, screen.y()), Width(), Height());
}

void TCustomForm::SetVisible(bool Value) {
  if (IsLoading()) {
    // A form is shown only once it is complete: read and created.
    FShowWhenCreated = Value;
    return;
  }
  if (Visible() == Value) return;
  QWidget* w = ControlWidget(this);
  if (Value) {
    AfterConstruction();
    NotifyControlWindowCreated(this);
    if (!FPlaced) PlaceOnScreen();
    DoShow();
    TControl::SetVisible(true);
    w->show();
    w->raise();
    if (Application != nullptr) Application->SetActiveForm(this);
  } else {
    DoHide();
    TControl::SetVisible(false);
    w->hide();
    if (FActive && !FModal && Application != nullptr) {
      // The main form takes over when another form goes away.
      TCustomForm* main = Application->MainForm();
      Application->SetActiveForm(main != nullptr && main != this && main->Visible() ? main : nullptr);
    }
  }
}

void TCustomForm::Show() {
  if (!Visible()) {
    SetVisible(true);
    return;
  }
  ControlWidget(this)->raise();
  if (Application != nullptr) Application->SetActiveForm(this);
}

void TCustomForm::DoShow() {
  if (FOnShow) FOnShow(this);
}

void TCustomForm::DoHide() {
  if (FOnHide) FOnHide(this);
}

TModalResult TCustomForm::ShowModal() {
  if (Visible() || FModal) throw EInvalidOperation("Cannot make a visible window modal");
  TCustomForm* previous = Application != nullptr ? Application->ActiveForm() : nullptr;
  QWidget* w = ControlWidget(this);
  FModal = true;
  FModalResult = mrNone;
  w->setWindowModality(Qt::ApplicationModal);
  // Modal from here on, before OnShow runs: OnShow may process messages.
  TDisabledWindows others(w);
  try {
    Show();
  } catch (...) {
    FModal = false;
    w->setWindowModality(Qt::NonModal);
    throw;
  }
  TCustomForm* self = this;
  for (;;) {
    RunModalLoop([self] {
      return !IsLiveControl(self) || self->FModalResult != mrNone ||
             (Application != nullptr && Application->Terminated());
    });
    if (!IsLiveControl(self)) return mrCancel;
    if (Application != nullptr && Application->Terminated()) {
      FModalResult = mrCancel;
      break;
    }
    CloseModal();
    if (!IsLiveControl(self)) return mrCancel;
    if (FModalResult != mrNone) break;
  }
  SetVisible(false);
  w->setWindowModality(Qt::NonModal);
  FModal = false;
  if (Application != nullptr) {
    if (previous != nullptr && IsLiveControl(previous) && previous->Visible())
      Application->SetActiveForm(previous);
    else if (Application->ActiveForm() == this)
      Application->SetActiveForm(nullptr);
  }
  return FModalResult;
}

void TCustomForm::CloseModal() {
  GuardedCall(this, [this] {
    TCloseAction action = caNone;
    if (CloseQuery()) {
      action = caHide;
      DoClose(action);
    }
    if (action == caNone)
      FModalResult = mrNone;
    else if (action == caFree)
      Release();
  });
}

void TCustomForm::SetModalResult(TModalResult Value) {
  FModalResult = Value;
  if (FModal && Value != mrNone) WakeModalLoops();
}

void TCustomForm::Close() {
  if (FModal) {
    SetModalResult(mrCancel);
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = caHide;
  DoClose(action);
  if (action == caNone) return;
  if (Application != nullptr && Application->MainForm() == this) {
    Application->Terminate();
    return;
  }
  switch (action) {
    case caHide: Hide(); break;
    case caMinimize: ControlWidget(this)->showMinimized(); break;
    default: Release(); break;
  }
}

bool TCustomForm::CloseQuery() {
  bool canClose = true;
  if (FOnCloseQuery) FOnCloseQuery(this, canClose);
  return canClose;
}

void TCustomForm::DoClose(TCloseAction& Action) {
  if (FOnClose) FOnClose(this, Action);
}

void TCustomForm::Release() {
  if (FReleased) return;
  FReleased = true;
  TCustomForm* self = this;
  PostToMainLoop([self] {
    if (IsLiveControl(self)) delete self;
  });
}

void TCustomForm::SetActive(bool Value) {
  if (FActive == Value) return;
  FActive = Value;
  if (Value) {
    SetWindowFocus();
    GuardedCall(this, [this] { Activate(); });
  } else {
    GuardedCall(this, [this] { Deactivate(); });
  }
}

void TCustomForm::Activate() {
  if (FOnActivate) FOnActivate(this);
}

void TCustomForm::Deactivate() {
  if (FOnDeactivate) FOnDeactivate(this);
}

void TCustomForm::SetWindowFocus() {
  TWinControl* target = FActiveControl;
  if (target == nullptr || !IsLiveControl(target) || !target->CanFocus()) {
    target = nullptr;
    std::vector<TWinControl*> order;
    TTabOrderList::Collect(this, order);
    for (TWinControl* c : order)
      if (c->TabStop() && c->CanFocus()) {
        target = c;
        break;
      }
  }
  if (target == nullptr) return;
  FocusMoved(target);
  if (IsLiveControl(target)) ControlWidget(target)->setFocus(Qt::OtherFocusReason);
}

void TCustomForm::FocusMoved(TWinControl* Control) {
  TWinControl* previous = FFocusNotified;
  FActiveControl = Control;
  FFocusNotified = Control;
  if (previous == Control) return;
  if (previous != nullptr && IsLiveControl(previous))
    GuardedCall(previous, [previous] { previous->DoExit(); });
  NotifyFocusChanged();
  if (Control != nullptr && IsLiveControl(Control) && FFocusNotified == Control)
    GuardedCall(Control, [Control] { Control->DoEnter(); });
}

void TCustomForm::NotifyFocusChanged() {
  std::vector<TControl*> all;
  all.push_back(this);
  CollectControls(this, all);
  TWinControl* focused = FActiveControl;
  for (TControl* c : all)
    if (IsLiveControl(c)) GuardedCall(c, [c, focused] { c->CMFocusChanged(focused); });
}

void TCustomForm::SetActiveControl(TWinControl* Control) {
  if (Control != nullptr &&
      !(Control != this && Control->ParentForm() == this && (IsLoading() || Control->CanFocus())))
    throw EInvalidOperation("Cannot focus a disabled or invisible window");
  if (FActiveControl == Control && (FFocusNotified == Control || !FActive)) return;
  FActiveControl = Control;
  if (!IsLoading() && FActive) SetWindowFocus();
}

void TCustomForm::SelectNext(TWinControl* Current, bool GoForward, bool CheckTabStop) {
  std::vector<TWinControl*> order;
  TTabOrderList::Collect(this, order);
  if (order.empty()) return;
  if (!GoForward) std::reverse(order.begin(), order.end());
  auto it = std::find(order.begin(), order.end(), Current);
  size_t start = it == order.end() ? order.size() - 1 : size_t(it - order.begin());
  for (size_t step = 1; step <= order.size(); ++step) {
    TWinControl* c = order[(start + step) % order.size()];
    if (c == Current) break;
    if (c->CanFocus() && (!CheckTabStop || c->TabStop())) {
      c->SetFocus();
      return;
    }
  }
}

bool TCustomForm::DialogKey(Word Key, TShiftState Shift) {
  if (Key == VK_TAB && !(Shift & (ssCtrl | ssAlt))) {
    SelectNext(FActiveControl, !(Shift & ssShift), true);
    return true;
  }
  if ((Key == VK_LEFT || Key == VK_RIGHT || Key == VK_UP || Key == VK_DOWN) &&
      FActiveControl != nullptr && FActiveControl->Parent() != nullptr) {
    // Arrows move among the controls of the focused control's parent.
    std::vector<TWinControl*> order;
    TTabOrderList::Collect(FActiveControl->Parent(), order);
    const bool forward = Key == VK_RIGHT || Key == VK_DOWN;
    if (!forward) std::reverse(order.begin(), order.end());
    auto it = std::find(order.begin(), order.end(), FActiveControl);
    if (it != order.end())
      for (size_t step = 1; step < order.size(); ++step) {
        TWinControl* c = order[(size_t(it - order.begin()) + step) % order.size()];
        if (c->CanFocus()) {
          c->SetFocus();
          break;
        }
      }
    return true;
  }
  return TWinControl::DialogKey(Key, Shift);
}

TCanvas* TCustomForm::Canvas() const { return BufferCanvas(); }

void TCustomForm::PaintWindow(TCanvas* Canvas) {
  TWinControl::PaintWindow(Canvas);
  if (FOnPaint) FOnPaint(this);
}

std::unique_ptr<TBitmap> TCustomForm::GetFormImage() {
  NotifyControlWindowCreated(this);
  QWidget* w = ControlWidget(this);
  QImage image = w->grab().toImage();
  auto bitmap = std::make_unique<TBitmap>();
  QImageToBitmap(image, *bitmap);
  return bitmap;
}

void TCustomForm::SaveFormImageToPng(const std::string& FileName) {
  NotifyControlWindowCreated(this);
  QImage image = ControlWidget(this)->grab().toImage();
  if (!image.save(QString::fromLocal8Bit(FileName.c_str()), "PNG"))
    throw EFCreateError("Cannot create file " + FileName);
}
