// The Qt side of the controls: an event filter on every control's widget
// routes paint, mouse, key, focus and window events into the model.
#include <QApplication>
#include <QCloseEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QWidget>

#include <exception>
#include <memory>
#include <unordered_set>
#include <vector>

#include "platform/base/MainThread.h"
#include "platform/controls/Application.h"
#include "platform/controls/ControlQt.h"
#include "platform/controls/CustomControl.h"
#include "platform/controls/Form.h"
#include "platform/controls/QtText.h"
#include "platform/graphics/BitmapQt.h"

QCursor QtCursorOf(TCursor Cursor);

namespace {

std::unordered_set<const TControl*>& LiveControls() {
  static std::unordered_set<const TControl*> live;
  return live;
}

TControl* gCapture = nullptr;
TControl* gHover = nullptr;
bool gReplacingKey = false;

// A key event on its way through Qt. Qt offers a key that a widget leaves
// unused (Enter in a line edit) to each parent widget in turn, all within one
// delivery; the key belongs to the first control on that way only, the
// focused one. Deliveries nest when a handler sends keys of its own.
struct TKeyDelivery {
  const QEvent* Event = nullptr;
  TWinControl* Owner = nullptr;  // the control that had the key; nullptr: none yet
};
std::vector<TKeyDelivery> gKeyDeliveries;

class THostApplication : public QApplication {
 public:
  using QApplication::QApplication;

  bool notify(QObject* Receiver, QEvent* Event) override {
    if (Event->type() != QEvent::KeyPress && Event->type() != QEvent::KeyRelease)
      return QApplication::notify(Receiver, Event);
    struct TScope {
      explicit TScope(const QEvent* E) { gKeyDeliveries.push_back(TKeyDelivery{E, nullptr}); }
      ~TScope() { gKeyDeliveries.pop_back(); }
    } scope(Event);
    return QApplication::notify(Receiver, Event);
  }
};

TShiftState ShiftOf(Qt::KeyboardModifiers Modifiers, Qt::MouseButtons Buttons = Qt::NoButton) {
  TShiftState s = 0;
  if (Modifiers & Qt::ShiftModifier) s |= ssShift;
  if (Modifiers & Qt::ControlModifier) s |= ssCtrl;
  if (Modifiers & Qt::AltModifier) s |= ssAlt;
  if (Buttons & Qt::LeftButton) s |= ssLeft;
  if (Buttons & Qt::RightButton) s |= ssRight;
  if (Buttons & Qt::MiddleButton) s |= ssMiddle;
  return s;
}

bool ButtonOf(Qt::MouseButton Button, TMouseButton& Result) {
  switch (Button) {
    case Qt::LeftButton: Result = mbLeft; return true;
    case Qt::RightButton: Result = mbRight; return true;
    case Qt::MiddleButton: Result = mbMiddle; return true;
    default: return false;
  }
}

// The short part of a hint ("short|long").
std::string ShortHint(const std::string& Hint) { return Hint.substr(0, Hint.find('|')); }

bool IsDialogKey(Word Key) {
  return Key == VK_TAB || Key == VK_RETURN || Key == VK_ESCAPE || Key == VK_LEFT ||
         Key == VK_RIGHT || Key == VK_UP || Key == VK_DOWN;
}

}  // namespace

void RegisterLiveControl(TControl* Control) { LiveControls().insert(Control); }

void UnregisterLiveControl(TControl* Control) {
  LiveControls().erase(Control);
  if (gCapture == Control) gCapture = nullptr;
  if (gHover == Control) gHover = nullptr;
}

bool IsLiveControl(const TControl* Control) {
  return Control != nullptr && LiveControls().count(Control) != 0;
}

TControl* CaptureControl() { return gCapture; }
void SetCaptureControl(TControl* Control) { gCapture = Control; }
TControl* HoverControl() { return gHover; }

void GuardedCall(TObject* Sender, const std::function<void()>& Call) {
  try {
    Call();
  } catch (...) {
    if (Application != nullptr) Application->HandleException(Sender);
  }
}

// Reaches the protected operations of the controls for the routing below.
struct TControlBridge {
  static void Enter(TControl* C) { GuardedCall(C, [C] { C->CMMouseEnter(); }); }
  static void Leave(TControl* C) { GuardedCall(C, [C] { C->CMMouseLeave(); }); }

  static void Paint(TWinControl* C, QWidget* W) {
    TWinControlImpl& impl = *C->FImpl;
    const int width = W->width(), height = W->height();
    if (!impl.Buffer) {
      impl.Buffer = std::make_unique<TBitmap>();
      impl.Buffer->SetPixelFormat(pf32bit);
    }
    if (impl.Buffer->Width() != width || impl.Buffer->Height() != height)
      impl.Buffer->SetSize(width, height);
    if (!impl.Canvas) impl.Canvas = std::make_unique<TCanvas>(impl.Buffer.get());
    if (width <= 0 || height <= 0) return;
    TCanvas* canvas = impl.Canvas.get();
    canvas->SetSurface(impl.Buffer.get());
    std::exception_ptr failure;
    canvas->Lock();
    impl.Painting = true;
    try {
      C->PaintWindow(canvas);
      std::vector<TControl*> children(C->FControls);
      for (TControl* child : children) {
        auto* graphic = dynamic_cast<TGraphicControl*>(child);
        if (graphic == nullptr || !graphic->Visible() || !IsLiveControl(graphic)) continue;
        const TRect r = graphic->BoundsRect();
        if (r.Right <= 0 || r.Bottom <= 0 || r.Left >= width || r.Top >= height || r.IsEmpty())
          continue;
        graphic->PaintInto(impl.Buffer.get());
      }
    } catch (...) {
      failure = std::current_exception();
    }
    impl.Painting = false;
    canvas->Unlock();
    QPainter painter(W);
    painter.drawImage(0, 0, BitmapImageView(static_cast<const TBitmap&>(*impl.Buffer)));
    // The error box cannot run inside a paint; it comes right after.
    if (failure) Queue([failure] { std::rethrow_exception(failure); });
  }

  // The control under a point of C's client area: a windowless child there,
  // or C itself; nullptr outside C.
  static TControl* Under(TWinControl* C, TPoint P, bool AllowDisabled, TPoint* Local) {
    if (!C->ClientRect().Contains(P)) return nullptr;
    if (TControl* g = C->ControlAtPos(P, AllowDisabled)) {
      if (Local) *Local = TPoint{P.X - g->Left(), P.Y - g->Top()};
      return g;
    }
    if (Local) *Local = P;
    return C;
  }

  // The control under a screen point within the window that holds W.
  static TControl* ControlUnderPoint(QWidget* W, const QPoint& Global) {
    QWidget* top = W->window();
    QWidget* w = top->childAt(top->mapFromGlobal(Global));
    if (w == nullptr && top->rect().contains(top->mapFromGlobal(Global))) w = top;
    for (; w != nullptr; w = w->parentWidget()) {
      TWinControl* c = ControlOfWidget(w);
      if (c == nullptr || !w->isEnabled()) continue;
      const QPoint l = ControlWidget(c)->mapFromGlobal(Global);
      return Under(c, TPoint{l.x(), l.y()}, true, nullptr);
    }
    return nullptr;
  }

  static bool InsideCapture(TPoint Global) {
    if (gCapture == nullptr) return false;
    return gCapture->ClientRect().Contains(gCapture->ScreenToClient(Global));
  }

  static bool Mouse(TWinControl* C, QWidget* W, QMouseEvent* E) {
    if (!W->isEnabled()) return false;
    const QPoint gp = E->globalPosition().toPoint();
    const QPoint lp = E->position().toPoint();
    const TPoint global{gp.x(), gp.y()};
    const TPoint local{lp.x(), lp.y()};
    TShiftState shift = ShiftOf(E->modifiers(), E->buttons());
    TPoint underPos{};
    TControl* under = Under(C, local, false, &underPos);
    TControl* hoverUnder = Under(C, local, true, nullptr);
    const bool native = C->FImpl->Native;

    auto targetAndPos = [&](TPoint& pos) -> TControl* {
      if (gCapture != nullptr && IsLiveControl(gCapture)) {
        pos = gCapture->ScreenToClient(global);
        return gCapture;
      }
      pos = underPos;
      return under;
    };

    switch (E->type()) {
      case QEvent::MouseMove: {
        UpdateHover(hoverUnder, InsideCapture(global));
        if (gCapture == nullptr) {
          auto* g = dynamic_cast<TGraphicControl*>(hoverUnder);
          if (g != nullptr && g->Cursor() != crDefault)
            W->setCursor(QtCursorOf(g->Cursor()));
          else if (C->Cursor() != crDefault)
            W->setCursor(QtCursorOf(C->Cursor()));
          else if (!native)
            W->unsetCursor();
        }
        TPoint pos;
        TControl* target = targetAndPos(pos);
        if (target == nullptr) return !native;
        GuardedCall(target, [&] { target->MouseMove(shift, pos.X, pos.Y); });
        return !native;
      }
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonDblClick: {
        TMouseButton button;
        if (!ButtonOf(E->button(), button)) return false;
        TPoint pos;
        TControl* target = targetAndPos(pos);
        if (target == nullptr || !target->Enabled()) return !native;
        if (gCapture == nullptr && (target->ControlStyle() & csCaptureMouse)) gCapture = target;
        const bool dbl = E->type() == QEvent::MouseButtonDblClick &&
                         (target->ControlStyle() & csDoubleClicks) && button == mbLeft;
        if (dbl) {
          GuardedCall(target, [&] { target->DblClick(); });
          if (!IsLiveControl(target)) return true;
          shift |= ssDouble;
        } else if (button == mbLeft && (target->ControlStyle() & csClickEvents)) {
          target->FClickPending = true;
        }
        GuardedCall(target, [&] { target->MouseDown(button, shift, pos.X, pos.Y); });
        return !native;
      }
      case QEvent::MouseButtonRelease: {
        TMouseButton button;
        if (!ButtonOf(E->button(), button)) return false;
        TPoint pos;
        TControl* target = targetAndPos(pos);
        if (target == nullptr) return !native;
        // The mouse is released before the click is reported.
        if (gCapture == target && E->buttons() == Qt::NoButton) gCapture = nullptr;
        if (button == mbLeft && target->FClickPending) {
          target->FClickPending = false;
          if (target->ClientRect().Contains(pos)) GuardedCall(target, [&] { target->Click(); });
        }
        if (IsLiveControl(target))
          GuardedCall(target, [&] { target->MouseUp(button, shift, pos.X, pos.Y); });
        if (IsLiveControl(C)) {
          // The release may leave the mouse over another control than the one pressed.
          UpdateHover(ControlUnderPoint(W, gp), InsideCapture(global));
        }
        return !native;
      }
      default:
        return false;
    }
  }

  static bool Key(TWinControl* C, QWidget* W, QKeyEvent* E) {
    // The replacement of a character changed by OnKeyPress goes straight to the widget.
    if (gReplacingKey) return false;
    TKeyDelivery* delivery = gKeyDeliveries.empty() ? nullptr : &gKeyDeliveries.back();
    if (delivery != nullptr && delivery->Event == E) {
      // The first control on the key's way has it. What its widget leaves
      // unused, Qt passes up: another widget of that control may still use it
      // natively (a box around its line edit); a parent control never sees it.
      if (delivery->Owner != nullptr) return delivery->Owner != C;
      delivery->Owner = C;
    }
    const Word vk = VirtualKeyOfQtKey(E->key());
    const TShiftState shift = ShiftOf(E->modifiers());
    const bool native = C->FImpl->Native;
    if (E->type() == QEvent::KeyRelease) {
      if (vk == 0 || E->isAutoRepeat()) return false;
      Word key = vk;
      GuardedCall(C, [&] { C->KeyUp(key, shift); });
      return key == 0 || !native;
    }
    TCustomForm* form = C->ParentForm();
    if (form != nullptr && IsDialogKey(vk) && !C->WantsKey(vk)) {
      bool taken = false;
      GuardedCall(C, [&] { taken = form->DialogKey(vk, shift); });
      if (taken) return true;
    }
    if (!IsLiveControl(C)) return true;
    if (vk != 0) {
      C->FKeyIsRepeat = E->isAutoRepeat();
      Word key = vk;
      GuardedCall(C, [&] { C->KeyDown(key, shift); });
      if (!IsLiveControl(C)) return true;
      C->FKeyIsRepeat = false;
      if (key == 0) return true;
    }
    const QString text = E->text();
    if (text.size() == 1) {
      const char16_t code = text.at(0).unicode();
      const bool typed = (code >= 32 && code < 256 && code != 127) || code == 8 || code == 9 ||
                         code == 13 || code == 27;
      if (typed) {
        char ch = char(code);
        const char original = ch;
        GuardedCall(C, [&] { C->KeyPress(ch); });
        if (!IsLiveControl(C) || ch == 0) return true;
        if (ch != original && native) {
          // The handler typed another character in place of this one.
          QKeyEvent replaced(QEvent::KeyPress, E->key(), E->modifiers(),
                             QString(QChar(char16_t(static_cast<unsigned char>(ch)))),
                             E->isAutoRepeat());
          gReplacingKey = true;
          QCoreApplication::sendEvent(W, &replaced);
          gReplacingKey = false;
          return true;
        }
      }
    }
    return !native;
  }

  static void FocusIn(TWinControl* C) {
    TCustomForm* form = C->ParentForm();
    if (form == nullptr || form == C) return;
    if (form->FActiveControl == C && form->FFocusNotified == C) return;
    form->FocusMoved(C);
  }

  static bool Tooltip(TWinControl* C, QWidget* W, QHelpEvent* E) {
    const TPoint p{E->pos().x(), E->pos().y()};
    TControl* under = Under(C, p, true, nullptr);
    if (under != nullptr && under->ShowHint() && !under->Hint().empty())
      QToolTip::showText(E->globalPos(), QtText(ShortHint(under->Hint())), W);
    else
      QToolTip::hideText();
    return true;
  }

  static bool Event(TWinControl* C, QWidget* W, QEvent* E) {
    if (!IsLiveControl(C) || C->IsDestroying()) return false;
    switch (E->type()) {
      case QEvent::Paint:
        if (C->FImpl->Native || W != C->FImpl->Widget) return false;
        Paint(C, W);
        return true;
      case QEvent::MouseMove:
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonDblClick:
      case QEvent::MouseButtonRelease:
        return Mouse(C, W, static_cast<QMouseEvent*>(E));
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
        return Key(C, W, static_cast<QKeyEvent*>(E));
      case QEvent::FocusIn:
        FocusIn(C);
        return false;
      case QEvent::Leave:
        // The mouse left C's window (for a window not of C's, a move there
        // will report the new control).
        if (gCapture == nullptr && gHover != nullptr &&
            (gHover == C ||
             (gHover->Parent() == C && dynamic_cast<TWinControl*>(gHover) == nullptr)))
          UpdateHover(nullptr, false);
        return false;
      case QEvent::ToolTip:
        return Tooltip(C, W, static_cast<QHelpEvent*>(E));
      default:
        break;
    }
    auto* form = dynamic_cast<TCustomForm*>(C);
    if (form == nullptr || W != C->FImpl->Widget) return false;
    switch (E->type()) {
      case QEvent::Close:
        E->ignore();
        GuardedCall(form, [form] { form->Close(); });
        return true;
      case QEvent::WindowActivate:
        if (Application != nullptr && form->Visible() && AcceptWindowActivation(form))
          Application->SetActiveForm(form);
        return false;
      case QEvent::Resize:
        if (W->width() != form->Width() || W->height() != form->Height())
          GuardedCall(form, [&] { form->SetBounds(form->Left(), form->Top(), W->width(), W->height()); });
        return false;
      case QEvent::Move:
        form->FLeft = W->geometry().x();
        form->FTop = W->geometry().y();
        return false;
      default:
        return false;
    }
  }
};

namespace {
// The window system reports activations late: an activation we asked for
// arrives after our own bookkeeping has moved on. Until the one asked for
// last has arrived, reports of other windows are stale and dropped.
TCustomForm* gAwaitedActivation = nullptr;
}  // namespace

void ExpectWindowActivation(TCustomForm* Form) { gAwaitedActivation = Form; }

bool AcceptWindowActivation(TCustomForm* Form) {
  if (gAwaitedActivation != nullptr && IsLiveControl(gAwaitedActivation)) {
    if (Form != gAwaitedActivation) return false;
    gAwaitedActivation = nullptr;
    return true;
  }
  gAwaitedActivation = nullptr;
  // No modal window of ours lets another one be activated.
  TCustomForm* active = Application != nullptr ? Application->ActiveForm() : nullptr;
  return active == nullptr || !active->Modal() || active == Form;
}

void UpdateHover(TControl* Under, bool InsideCapture) {
  TControl* effective = gCapture != nullptr ? (InsideCapture ? gCapture : nullptr) : Under;
  if (effective == gHover) return;
  TControl* old = gHover;
  gHover = effective;
  if (old != nullptr && IsLiveControl(old)) TControlBridge::Leave(old);
  if (effective != nullptr && IsLiveControl(effective) && gHover == effective)
    TControlBridge::Enter(effective);
}

namespace {

class TBridgeFilter : public QObject {
 public:
  TBridgeFilter(TWinControl* Control, QObject* Parent) : QObject(Parent), FControl(Control) {}
  TWinControl* Control() const { return FControl; }

  bool eventFilter(QObject* Watched, QEvent* Event) override {
    auto* widget = qobject_cast<QWidget*>(Watched);
    if (widget == nullptr) return false;
    return TControlBridge::Event(FControl, widget, Event);
  }

 private:
  TWinControl* FControl;
};

TBridgeFilter* FilterOf(const QWidget* Widget) {
  for (QObject* child : Widget->children())
    if (auto* filter = dynamic_cast<TBridgeFilter*>(child)) return filter;
  return nullptr;
}

}  // namespace

std::unique_ptr<QApplication> CreateHostApplication(int& argc, char** argv) {
  return std::make_unique<THostApplication>(argc, argv);
}

void InstallBridge(TWinControl* Control, QWidget* Widget) {
  if (FilterOf(Widget) != nullptr) return;
  auto* filter = new TBridgeFilter(Control, Widget);
  Widget->installEventFilter(filter);
}

QWidget* ControlWidget(const TWinControl* Control) { return Control->Impl()->Widget; }

TWinControl* ControlOfWidget(const QWidget* Widget) {
  if (Widget == nullptr) return nullptr;
  TBridgeFilter* filter = FilterOf(Widget);
  return filter != nullptr && IsLiveControl(filter->Control()) ? filter->Control() : nullptr;
}

void AttachNativeWidget(TWinControl* Control, QWidget* Native) {
  TWinControlImpl& impl = *Control->Impl();
  QWidget* old = impl.Widget;
  if (old == Native) return;
  Native->setParent(old->parentWidget());
  Native->setGeometry(old->geometry());
  Native->setEnabled(Control->Enabled());
  Native->setMouseTracking(true);
  if (old->parentWidget() != nullptr) Native->setVisible(Control->Visible());
  if (Control->Cursor() != crDefault) Native->setCursor(QtCursorOf(Control->Cursor()));
  InstallBridge(Control, Native);
  impl.Widget = Native;
  impl.Native = true;
  delete old;
}

void BridgeInnerWidget(TWinControl* Control, QWidget* Inner) {
  Inner->setMouseTracking(true);
  InstallBridge(Control, Inner);
}

int QtKeyOfVirtualKey(Word Key) {
  if ((Key >= 'A' && Key <= 'Z') || (Key >= '0' && Key <= '9') || Key == VK_SPACE) return Key;
  if (Key >= VK_F1 && Key <= VK_F12) return Qt::Key_F1 + (Key - VK_F1);
  switch (Key) {
    case VK_BACK: return Qt::Key_Backspace;
    case VK_TAB: return Qt::Key_Tab;
    case VK_RETURN: return Qt::Key_Return;
    case VK_SHIFT: return Qt::Key_Shift;
    case VK_CONTROL: return Qt::Key_Control;
    case VK_MENU: return Qt::Key_Alt;
    case VK_PAUSE: return Qt::Key_Pause;
    case VK_CAPITAL: return Qt::Key_CapsLock;
    case VK_ESCAPE: return Qt::Key_Escape;
    case VK_PRIOR: return Qt::Key_PageUp;
    case VK_NEXT: return Qt::Key_PageDown;
    case VK_END: return Qt::Key_End;
    case VK_HOME: return Qt::Key_Home;
    case VK_LEFT: return Qt::Key_Left;
    case VK_UP: return Qt::Key_Up;
    case VK_RIGHT: return Qt::Key_Right;
    case VK_DOWN: return Qt::Key_Down;
    case VK_INSERT: return Qt::Key_Insert;
    case VK_DELETE: return Qt::Key_Delete;
    default: return Qt::Key_unknown;
  }
}

Word VirtualKeyOfQtKey(int QtKey) {
  if ((QtKey >= Qt::Key_A && QtKey <= Qt::Key_Z) || (QtKey >= Qt::Key_0 && QtKey <= Qt::Key_9) ||
      QtKey == Qt::Key_Space)
    return Word(QtKey);
  if (QtKey >= Qt::Key_F1 && QtKey <= Qt::Key_F12) return Word(VK_F1 + (QtKey - Qt::Key_F1));
  switch (QtKey) {
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Tab: case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Return: case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    case Qt::Key_Pause: return VK_PAUSE;
    case Qt::Key_CapsLock: return VK_CAPITAL;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    default: return 0;
  }
}
