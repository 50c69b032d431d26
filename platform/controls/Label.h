#pragma once
// TLabel: text drawn on its parent, without a window of its own. It takes
// the parent's colour unless Transparent, in which case whatever lies below
// shows around the letters. With AutoSize (the default) it resizes to its
// text after every change of text or font; with WordWrap the lines break at
// the present width and the label takes the wrapped text's size. An "&"
// underlines the next character ("&&" shows one "&").
#include "platform/controls/Alignment.h"
#include "platform/controls/CustomControl.h"

class TLabel : public TGraphicControl {
 public:
  explicit TLabel(TComponent* AOwner);

  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);

  void Loaded() override;

 protected:
  void Paint() override;
  void CMTextChanged() override;
  void CMFontChanged() override;

 private:
  unsigned DrawTextFlags() const;
  void AdjustBounds();

  TAlignment FAlignment = taLeftJustify;
  bool FTransparent = false;
  bool FWordWrap = false;
  bool FAutoSize = true;
};
