#pragma once
// TEdit: a one-line text field. MaxLength limits what the user can type or
// paste (0: no limit): characters that would go past it are refused. Text
// set by the program is kept whole, as the host does.
#include <memory>

#include "platform/controls/Control.h"

class TEdit : public TWinControl {
 public:
  explicit TEdit(TComponent* AOwner);
  ~TEdit() override;

  int MaxLength() const { return FMaxLength; }
  void SetMaxLength(int Value);
  void Clear() { SetText(""); }

 protected:
  std::string GetText() const override;
  void SetTextBuf(const std::string& Value) override;
  void CMColorChanged() override;
  void CMFontChanged() override;
  bool WantsKey(Word Key) const override;

 private:
  struct TImpl;
  int FMaxLength = 0;
  std::unique_ptr<TImpl> FImpl;
};
