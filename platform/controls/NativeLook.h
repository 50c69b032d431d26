#pragma once
// Platform-internal: gives a native Qt widget the colour and font of its
// control. Only platform .cpp files include this.
#include <QEvent>
#include <QWidget>

#include "platform/controls/Control.h"

// The control's Color as the widget's base and window colour, its font and
// font colour as the widget's font and text colour.
void ApplyNativeColor(QWidget* Widget, const TControl& Control);
void ApplyNativeFont(QWidget* Widget, const TControl& Control);

// A native widget whose key events end with it. Qt passes a key the widget
// does not use (Enter in a line edit) on to the parent widget, where the
// parent control would take it as its own key; the host delivers a key to
// the focused control only.
template <class TWidget>
class TKeysStayHere : public TWidget {
 public:
  using TWidget::TWidget;

 protected:
  bool event(QEvent* Event) override {
    const bool handled = TWidget::event(Event);
    if (Event->type() != QEvent::KeyPress && Event->type() != QEvent::KeyRelease) return handled;
    Event->accept();
    return true;
  }
};
