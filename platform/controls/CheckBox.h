#pragma once
// TCheckBox: a box with a caption that the user ticks and unticks. Every
// change of the tick runs OnClick once, whether the user clicked (or pressed
// the space bar) or the program set Checked or State; setting the value it
// already has runs nothing. While a layout is being read no OnClick runs.
#include <memory>

#include "platform/controls/Control.h"

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

class TCheckBox : public TWinControl {
 public:
  explicit TCheckBox(TComponent* AOwner);
  ~TCheckBox() override;

  bool Checked() const { return FState == cbChecked; }
  void SetChecked(bool Value) { SetState(Value ? cbChecked : cbUnchecked); }
  TCheckBoxState State() const { return FState; }
  void SetState(TCheckBoxState Value);

 protected:
  void CMColorChanged() override;
  void CMFontChanged() override;
  void CMTextChanged() override;

 private:
  struct TImpl;
  void UserToggled();

  TCheckBoxState FState = cbUnchecked;
  std::unique_ptr<TImpl> FImpl;
};
