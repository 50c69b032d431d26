#include "platform/controls/CheckBox.h"

#include <QCheckBox>

#include "platform/controls/ControlQt.h"
#include "platform/controls/NativeLook.h"
#include "platform/controls/QtText.h"

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
  ApplyNativeFont(box, *this);
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
  ApplyNativeFont(FImpl->Box, *this);
  TWinControl::CMFontChanged();
}

void TCheckBox::CMTextChanged() {
  FImpl->Box->setText(QtText(Caption()));
  TWinControl::CMTextChanged();
}
