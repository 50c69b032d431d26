#include "platform/controls/CheckBox.h"

#include <QCheckBox>

#include "platform/controls/ControlQt.h"
#include "platform/controls/NativeLook.h"
#include "platform/controls/QtText.h"
#include "platform/graphics/CanvasSurfaceQt.h"

struct TCheckBox::TImpl {
  QCheckBox* Box = nullptr;
  QObject Context;  // connections die with it
};

namespace {

Qt::CheckState QtState(TCheckBoxState State) {
  switch (State) {
    case cbChecked: return Qt::Checked;
    case cbGrayed: return Qt::PartiallyChecked;
    case cbUnchecked: break;
  }
  return Qt::Unchecked;
}

// The font as the control gives it; the caption of a disabled box is grey,
// whatever the font's colour, as the host draws it.
void ApplyCaptionLook(QCheckBox* Box, const TControl& Control) {
  ApplyNativeFont(Box, Control);
  QPalette palette = Box->palette();
  const QColor grey = QColor::fromRgb(QtRgb(clGrayText));
  for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    palette.setColor(QPalette::Disabled, role, grey);
  Box->setPalette(palette);
}

}  // namespace

TCheckBox::TCheckBox(TComponent* AOwner) : TWinControl(AOwner), FImpl(std::make_unique<TImpl>()) {
  auto* box = new QCheckBox();
  box->setAutoFillBackground(true);
  box->setBackgroundRole(QPalette::Window);  // the box stands on its own colour
  FImpl->Box = box;
  AttachNativeWidget(this, box);
  // The click is the box's own (after its tick changed), not the mouse routing's.
  SetControlStyle(ControlStyle() & ~TControlStyle(csClickEvents));
  SetBounds(Left(), Top(), 97, 17);
  SetTabStop(true);
  ApplyNativeColor(box, *this);
  ApplyCaptionLook(box, *this);
  QObject::connect(box, &QCheckBox::clicked, &FImpl->Context, [this] { UserToggled(); });
}

TCheckBox::~TCheckBox() = default;

void TCheckBox::SetState(TCheckBoxState Value) {
  if (Value == FState) return;
  FState = Value;
  FImpl->Box->setTristate(Value == cbGrayed);
  FImpl->Box->setCheckState(QtState(Value));
  if (!IsLoading()) Click();
}

// The user clicked or pressed the space bar: Qt has already moved its own
// tick; the host's order (grayed and unticked go to ticked, ticked to
// unticked) decides, then the click runs as for a tick set by code.
void TCheckBox::UserToggled() {
  TCheckBoxState next = FState == cbChecked ? cbUnchecked : cbChecked;
  GuardedCall(this, [this, next] { SetState(next); });
}

void TCheckBox::CMColorChanged() {
  ApplyNativeColor(FImpl->Box, *this);
  TWinControl::CMColorChanged();
}

void TCheckBox::CMFontChanged() {
  ApplyCaptionLook(FImpl->Box, *this);
  TWinControl::CMFontChanged();
}

void TCheckBox::CMTextChanged() {
  FImpl->Box->setText(QtText(Caption()));
  TWinControl::CMTextChanged();
}
