#pragma once
// TSpinEdit: a field for a whole number with up and down buttons (and the
// arrow keys) that step it by Increment. Value is the text read as a decimal
// integer; text that is no number counts as MinValue. Values set by the
// program, stepped, or left in the field when the focus moves away are kept
// between MinValue and MaxValue (unless both are equal: then no bounds).
// Only digits and signs can be typed.
#include <memory>

#include "platform/controls/Control.h"

class TSpinEdit : public TWinControl {
 public:
  explicit TSpinEdit(TComponent* AOwner);
  ~TSpinEdit() override;

  int MinValue() const { return FMinValue; }
  void SetMinValue(int Value) { FMinValue = Value; }
  int MaxValue() const { return FMaxValue; }
  void SetMaxValue(int Value) { FMaxValue = Value; }
  int Increment() const { return FIncrement; }
  void SetIncrement(int Value) { FIncrement = Value; }
  int Value() const;
  void SetValue(int Value);

  // Up (+Increment) or down (-Increment), as the buttons do.
  void StepUp();
  void StepDown();

 protected:
  std::string GetText() const override;
  void SetTextBuf(const std::string& Value) override;
  void CMColorChanged() override;
  void CMFontChanged() override;
  bool WantsKey(Word Key) const override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void DoExit() override;

 private:
  struct TImpl;
  friend struct TImpl;
  int CheckValue(long long Value) const;

  int FMinValue = 0;
  int FMaxValue = 0;
  int FIncrement = 1;
  std::unique_ptr<TImpl> FImpl;
};
