#include "platform/controls/SpinEdit.h"

#include <QAbstractSpinBox>
#include <QLineEdit>

#include <algorithm>
#include <climits>

#include "platform/base/SysUtils.h"
#include "platform/controls/ControlQt.h"
#include "platform/controls/NativeLook.h"
#include "platform/controls/QtText.h"

namespace {

// Only what the host's spin edit lets the user type: digits and signs.
bool IsSpinText(const QString& Text) {
  for (QChar c : Text)
    if (!(c.isDigit() && c.unicode() < 128) && c != '+' && c != '-') return false;
  return true;
}

}  // namespace

// The native box: free text (validated character by character, never fixed
// up by Qt), its buttons stepping through the control.
class TSpinBox : public QAbstractSpinBox {
 public:
  explicit TSpinBox(TSpinEdit* Owner) : FOwner(Owner) { setLineEdit(new QLineEdit()); }
  QLineEdit* Line() const { return lineEdit(); }
  bool Detached = false;

  QValidator::State validate(QString& Input, int&) const override {
    return IsSpinText(Input) ? QValidator::Acceptable : QValidator::Invalid;
  }
  void fixup(QString&) const override {}
  void stepBy(int Steps) override {
    if (Detached) return;
    GuardedCall(FOwner, [this, Steps] {
      for (int i = 0; i < Steps; ++i) FOwner->StepUp();
      for (int i = 0; i > Steps; --i) FOwner->StepDown();
    });
  }

 protected:
  StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }

 private:
  TSpinEdit* FOwner;
};

struct TSpinEdit::TImpl {
  TSpinBox* Box = nullptr;
};

TSpinEdit::TSpinEdit(TComponent* AOwner) : TWinControl(AOwner), FImpl(std::make_unique<TImpl>()) {
  auto* box = new TSpinBox(this);
  FImpl->Box = box;
  AttachNativeWidget(this, box);
  BridgeInnerWidget(this, box->Line());
  SetBounds(Left(), Top(), 121, 22);
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
  ApplyNativeColor(box, *this);
  ApplyNativeFont(box, *this);
  SetTextBuf("0");
}

TSpinEdit::~TSpinEdit() { FImpl->Box->Detached = true; }

std::string TSpinEdit::GetText() const { return HostText(FImpl->Box->Line()->text()); }

void TSpinEdit::SetTextBuf(const std::string& Value) { FImpl->Box->Line()->setText(QtText(Value)); }

// Equal bounds mean no bounds, as in the host.
int TSpinEdit::CheckValue(long long Value) const {
  if (FMaxValue != FMinValue) {
    if (Value < FMinValue) return FMinValue;
    if (Value > FMaxValue) return FMaxValue;
  }
  return int(std::clamp<long long>(Value, INT_MIN, INT_MAX));
}

int TSpinEdit::Value() const {
  int value = 0;
  if (!TryStrToInt(GetText(), value)) return FMinValue;
  return value;
}

void TSpinEdit::SetValue(int NewValue) { SetText(IntToStr(CheckValue(NewValue))); }

void TSpinEdit::StepUp() { SetValue(CheckValue((long long)Value() + FIncrement)); }

void TSpinEdit::StepDown() { SetValue(CheckValue((long long)Value() - FIncrement)); }

// The arrows step the value before OnKeyDown sees them; Qt's box must not
// step a second time.
void TSpinEdit::KeyDown(Word& Key, TShiftState Shift) {
  const bool arrow = Key == VK_UP || Key == VK_DOWN;
  if (Key == VK_UP) StepUp();
  if (Key == VK_DOWN) StepDown();
  TWinControl::KeyDown(Key, Shift);
  if (arrow) Key = 0;
}

void TSpinEdit::DoExit() {
  const int value = Value();
  if (CheckValue(value) != value) SetValue(value);
  TWinControl::DoExit();
}

void TSpinEdit::CMColorChanged() {
  ApplyNativeColor(FImpl->Box, *this);
  TWinControl::CMColorChanged();
}

void TSpinEdit::CMFontChanged() {
  ApplyNativeFont(FImpl->Box, *this);
  TWinControl::CMFontChanged();
}

bool TSpinEdit::WantsKey(Word Key) const {
  return Key == VK_LEFT || Key == VK_RIGHT || Key == VK_UP || Key == VK_DOWN;
}
