#include "platform/controls/SimulateInput.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>

#include <cctype>

#include "platform/controls/Application.h"
#include "platform/controls/ControlQt.h"
#include "platform/controls/Form.h"

namespace {

// The window system's implicit grab: while a button is down, every mouse
// event goes to the widget that got the press.
QPointer<QWidget> gGrab;
Qt::MouseButtons gButtons = Qt::NoButton;

Qt::MouseButton QtButton(TMouseButton Button) {
  switch (Button) {
    case mbRight: return Qt::RightButton;
    case mbMiddle: return Qt::MiddleButton;
    default: return Qt::LeftButton;
  }
}

Qt::KeyboardModifiers QtModifiers(TShiftState Shift) {
  Qt::KeyboardModifiers m = Qt::NoModifier;
  if (Shift & ssShift) m |= Qt::ShiftModifier;
  if (Shift & ssCtrl) m |= Qt::ControlModifier;
  if (Shift & ssAlt) m |= Qt::AltModifier;
  return m;
}

TWinControl* WindowOf(TControl* Control) {
  if (auto* win = dynamic_cast<TWinControl*>(Control)) return win;
  return Control->Parent();
}

// The deepest widget under a screen point in Target's top-level window.
QWidget* WidgetUnder(TControl* Target, const QPoint& Global) {
  TWinControl* win = WindowOf(Target);
  if (win == nullptr) return nullptr;
  QWidget* top = ControlWidget(win)->window();
  QWidget* child = top->childAt(top->mapFromGlobal(Global));
  return child != nullptr ? child : top;
}

// A press on a control that takes the focus when clicked (edits, lists)
// focuses it first, as the window system does.
void GiveClickFocus(QWidget* Widget) {
  for (QWidget* w = Widget; w != nullptr; w = w->parentWidget()) {
    if (w->isEnabled() && (w->focusPolicy() & Qt::ClickFocus)) {
      TWinControl* control = nullptr;
      for (QWidget* owner = w; owner != nullptr && control == nullptr; owner = owner->parentWidget())
        control = ControlOfWidget(owner);
      if (control != nullptr && control->CanFocus() && !control->Focused()) control->SetFocus();
      return;
    }
    if (w->isWindow()) return;
  }
}

void SendMouse(QEvent::Type Type, TControl* Target, Qt::MouseButton Button, int X, int Y,
               TShiftState Shift) {
  if (Target == nullptr || !IsLiveControl(Target)) return;
  const TPoint g = Target->ClientToScreen(TPoint{X, Y});
  const QPoint global(g.X, g.Y);
  QWidget* widget = (gGrab && gButtons != Qt::NoButton) ? gGrab.data() : WidgetUnder(Target, global);
  if (widget == nullptr) return;
  if (Type == QEvent::MouseButtonPress || Type == QEvent::MouseButtonDblClick) {
    if (gButtons == Qt::NoButton) {
      gGrab = widget;
      GiveClickFocus(widget);
    }
    gButtons |= Button;
  } else if (Type == QEvent::MouseButtonRelease) {
    gButtons &= ~Qt::MouseButtons(Button);
  }
  QMouseEvent event(Type, QPointF(widget->mapFromGlobal(global)), QPointF(global), Button, gButtons,
                    QtModifiers(Shift));
  QApplication::sendEvent(widget, &event);
  if (gButtons == Qt::NoButton) gGrab = nullptr;
}

// Where typed keys go: the focused control of the active form.
QWidget* KeyTarget() {
  TWinControl* focused = Screen != nullptr ? Screen->ActiveControl() : nullptr;
  QWidget* w = nullptr;
  if (focused != nullptr && IsLiveControl(focused))
    w = ControlWidget(focused);
  else if (Application != nullptr && Application->ActiveForm() != nullptr)
    w = ControlWidget(Application->ActiveForm());
  if (w == nullptr) return nullptr;
  while (w->focusProxy() != nullptr) w = w->focusProxy();
  return w;
}

QString KeyText(Word Key, TShiftState Shift) {
  if (Shift & (ssCtrl | ssAlt)) return QString();
  if (Key >= 'A' && Key <= 'Z') return QString(QChar((Shift & ssShift) ? Key : Key + 32));
  if ((Key >= '0' && Key <= '9') || Key == VK_SPACE) return QString(QChar(Key));
  switch (Key) {
    case VK_RETURN: return QStringLiteral("\r");
    case VK_ESCAPE: return QString(QChar(27));
    case VK_BACK: return QString(QChar(8));
    case VK_TAB: return QStringLiteral("\t");
    default: return QString();
  }
}

void SendKey(QEvent::Type Type, int QtKey, Qt::KeyboardModifiers Modifiers, const QString& Text,
             bool AutoRepeat) {
  QWidget* target = KeyTarget();
  if (target == nullptr) return;
  QKeyEvent event(Type, QtKey, Modifiers, Text, AutoRepeat);
  QApplication::sendEvent(target, &event);
}

}  // namespace

void SimulateMouseMove(TControl* Target, int X, int Y, TShiftState Shift) {
  SendMouse(QEvent::MouseMove, Target, Qt::NoButton, X, Y, Shift);
}

void SimulateMouseDown(TControl* Target, TMouseButton Button, int X, int Y, TShiftState Shift) {
  SendMouse(QEvent::MouseButtonPress, Target, QtButton(Button), X, Y, Shift);
}

void SimulateMouseUp(TControl* Target, TMouseButton Button, int X, int Y, TShiftState Shift) {
  SendMouse(QEvent::MouseButtonRelease, Target, QtButton(Button), X, Y, Shift);
}

void SimulateDoubleClick(TControl* Target, int X, int Y) {
  SendMouse(QEvent::MouseButtonDblClick, Target, Qt::LeftButton, X, Y, 0);
  SendMouse(QEvent::MouseButtonRelease, Target, Qt::LeftButton, X, Y, 0);
}

void SimulateClick(TControl* Target) {
  const int x = Target->Width() / 2, y = Target->Height() / 2;
  SimulateMouseMove(Target, x, y);
  SimulateMouseDown(Target, mbLeft, x, y);
  SimulateMouseUp(Target, mbLeft, x, y);
}

void SimulateMouseExit() { UpdateHover(nullptr, false); }

void SimulateKeyDown(Word Key, TShiftState Shift, bool AutoRepeat) {
  SendKey(QEvent::KeyPress, QtKeyOfVirtualKey(Key), QtModifiers(Shift), KeyText(Key, Shift),
          AutoRepeat);
}

void SimulateKeyUp(Word Key, TShiftState Shift) {
  SendKey(QEvent::KeyRelease, QtKeyOfVirtualKey(Key), QtModifiers(Shift), KeyText(Key, Shift),
          false);
}

void SimulateKey(Word Key, TShiftState Shift) {
  SimulateKeyDown(Key, Shift, false);
  SimulateKeyUp(Key, Shift);
}

void SimulateTyping(const std::string& Text) {
  for (char ch : Text) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c == '\r' || c == '\n') {
      SimulateKey(VK_RETURN);
      continue;
    }
    const QChar qc(char16_t{c});
    const int key = qc.toUpper().unicode();
    const Qt::KeyboardModifiers mods =
        (std::isupper(c) != 0) ? Qt::ShiftModifier : Qt::NoModifier;
    SendKey(QEvent::KeyPress, key, mods, QString(qc), false);
    SendKey(QEvent::KeyRelease, key, mods, QString(qc), false);
  }
}
