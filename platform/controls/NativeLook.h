#pragma once
// Platform-internal: gives a native Qt widget the colour and font of its
// control. Only platform .cpp files include this.
#include <QWidget>

#include "platform/controls/Control.h"

// The control's Color as the widget's base and window colour, its font and
// font colour as the widget's font and text colour.
void ApplyNativeColor(QWidget* Widget, const TControl& Control);
void ApplyNativeFont(QWidget* Widget, const TControl& Control);
