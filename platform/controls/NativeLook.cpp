#include "platform/controls/NativeLook.h"

#include <QPalette>

#include "platform/graphics/CanvasSurfaceQt.h"
#include "platform/graphics/FontQt.h"

void ApplyNativeColor(QWidget* Widget, const TControl& Control) {
  QPalette palette = Widget->palette();
  const QColor color = QColor::fromRgb(QtRgb(Control.Color()));
  palette.setColor(QPalette::Base, color);
  palette.setColor(QPalette::Window, color);
  Widget->setPalette(palette);
}

void ApplyNativeFont(QWidget* Widget, const TControl& Control) {
  Widget->setFont(QtFont(*Control.Font()));
  QPalette palette = Widget->palette();
  const QColor color = QColor::fromRgb(QtRgb(Control.Font()->Color()));
  palette.setColor(QPalette::Text, color);
  palette.setColor(QPalette::WindowText, color);
  palette.setColor(QPalette::ButtonText, color);
  Widget->setPalette(palette);
}
