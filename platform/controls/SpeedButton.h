#pragma once
// TSpeedButton: a tool button without a window of its own, showing a glyph
// (its bottom-left pixel's colour is transparent) and an optional caption.
// Flat buttons show no frame until the mouse is over them. A click (press and
// release over the button) runs OnClick; Hint shows on hover with ShowHint.
#include <memory>

#include "platform/controls/CustomControl.h"

class TBitmap;

class TSpeedButton : public TGraphicControl {
 public:
  explicit TSpeedButton(TComponent* AOwner);
  ~TSpeedButton() override;

  bool Flat() const { return FFlat; }
  void SetFlat(bool Value);
  TBitmap* Glyph() const { return FGlyph.get(); }
  // Copies Value.
  void SetGlyph(TBitmap* Value);
  // How many images side by side the glyph holds (up, disabled, down, ...);
  // the first is shown, the second when disabled.
  int NumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(int Value);

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void CMMouseEnter() override;
  void CMMouseLeave() override;
  void CMEnabledChanged() override;

 private:
  enum class TState { Up, Down };
  void DrawGlyph(const TRect& Area, int Offset);

  std::unique_ptr<TBitmap> FGlyph;
  int FNumGlyphs = 1;
  bool FFlat = false;
  bool FMouseInside = false;
  bool FDragging = false;
  TState FState = TState::Up;
};
