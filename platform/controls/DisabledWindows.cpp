#include "platform/controls/DisabledWindows.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>

#include <algorithm>
#include <vector>

namespace {

bool IsInput(const QEvent* Event) {
  switch (Event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
      return true;
    case QEvent::Close:
      // The close box; the program's own Close stays possible.
      return Event->spontaneous();
    default:
      return false;
  }
}

// One filter for the whole program: each modal form that is up adds the
// windows it disabled; a window stays disabled while any form holds it.
class TInputBlocker : public QObject {
 public:
  void Add(QWidget* Modal, const std::vector<QWidget*>& Windows) {
    for (QWidget* w : Windows) FBlocked.push_back({Modal, w});
    if (FInstalledOn != qApp) {
      qApp->installEventFilter(this);
      FInstalledOn = qApp;
    }
  }

  void Remove(QWidget* Modal) {
    FBlocked.erase(std::remove_if(FBlocked.begin(), FBlocked.end(),
                                  [Modal](const TEntry& e) { return e.Modal == Modal; }),
                   FBlocked.end());
  }

 protected:
  bool eventFilter(QObject* Target, QEvent* Event) override {
    if (FBlocked.empty() || !Target->isWidgetType() || !IsInput(Event)) return false;
    const QWidget* window = static_cast<QWidget*>(Target)->window();
    return std::any_of(FBlocked.begin(), FBlocked.end(),
                       [window](const TEntry& e) { return e.Window == window; });
  }

 private:
  struct TEntry {
    QWidget* Modal;
    QPointer<QWidget> Window;
  };
  std::vector<TEntry> FBlocked;
  QPointer<QCoreApplication> FInstalledOn;
};

TInputBlocker& Blocker() {
  static auto* blocker = new TInputBlocker();  // lives as long as the program
  return *blocker;
}

}  // namespace

TDisabledWindows::TDisabledWindows(QWidget* Modal) : FModal(Modal) {
  std::vector<QWidget*> windows;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w != Modal && w->isVisible()) windows.push_back(w);
  Blocker().Add(Modal, windows);
}

TDisabledWindows::~TDisabledWindows() { Blocker().Remove(FModal); }
