#include "platform/controls/QueuedInput.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <qpa/qwindowsysteminterface.h>

#include "platform/controls/Control.h"
#include "platform/controls/ControlQt.h"

namespace {

using Async = QWindowSystemInterface::AsynchronousDelivery;

// The window the point lies in, and the point in its coordinates.
QWindow* WindowAt(TControl* Target, QPointF& Local, QPointF& Global) {
  if (Target == nullptr || !IsLiveControl(Target)) return nullptr;
  TWinControl* owner = dynamic_cast<TWinControl*>(Target);
  if (owner == nullptr) owner = Target->Parent();
  if (owner == nullptr) return nullptr;
  QWidget* top = ControlWidget(owner)->window();
  QWindow* window = top->windowHandle();
  if (window == nullptr) return nullptr;
  const TPoint centre = Target->ClientToScreen(TPoint{Target->Width() / 2, Target->Height() / 2});
  Global = QPointF(centre.X, centre.Y);
  Local = QPointF(top->mapFromGlobal(QPoint(centre.X, centre.Y)));
  return window;
}

void QueueMouse(QWindow* Window, const QPointF& Local, const QPointF& Global,
                Qt::MouseButtons State, Qt::MouseButton Button, QEvent::Type Type) {
  QWindowSystemInterface::handleMouseEvent<Async>(Window, Local, Global, State, Button, Type);
}

void QueueClicks(TControl* Target, int Count) {
  QPointF local, global;
  QWindow* window = WindowAt(Target, local, global);
  if (window == nullptr) return;
  QueueMouse(window, local, global, Qt::NoButton, Qt::NoButton, QEvent::MouseMove);
  for (int i = 0; i < Count; ++i) {
    QueueMouse(window, local, global, Qt::LeftButton, Qt::LeftButton, QEvent::MouseButtonPress);
    QueueMouse(window, local, global, Qt::NoButton, Qt::LeftButton, QEvent::MouseButtonRelease);
  }
}

}  // namespace

void QueueClick(TControl* Target) { QueueClicks(Target, 1); }

void QueueDoubleClick(TControl* Target) { QueueClicks(Target, 2); }

void QueueTyping(const std::string& Text) {
  for (char ch : Text) {
    const QChar c(char16_t{static_cast<unsigned char>(ch)});
    const int key = c.toUpper().unicode();
    const Qt::KeyboardModifiers mods = c.isUpper() ? Qt::ShiftModifier : Qt::NoModifier;
    // No window: the keys go where the focus is when they are handled.
    QWindowSystemInterface::handleKeyEvent<Async>(nullptr, QEvent::KeyPress, key, mods, QString(c));
    QWindowSystemInterface::handleKeyEvent<Async>(nullptr, QEvent::KeyRelease, key, mods, QString(c));
  }
}
