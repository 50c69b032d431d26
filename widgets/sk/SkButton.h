#pragma once
// TSkButton: the push button of every window. A gradient face with a rounded
// one-pixel frame, a centred caption, an optional glyph, a face that fades
// towards a hover gradient while the mouse is over it and switches to a
// pressed gradient while it is held down.
//
// The three face gradients are drawn once into cached bitmaps from Colors
// and blended on each paint by the fade engine's two percentages. Beyond a
// plain button it closes a modal form with ModalResult, answers Enter as the
// default and Escape as the cancel button, and latches down in a group of
// buttons of the same parent (GroupIndex, Down, AllowAllUp).
#include <memory>

#include "platform/controls/Control.h"
#include "widgets/sk/SkColors.h"
#include "widgets/sk/SkCustomControl.h"

class TBitmap;

class TSkButton : public TSkCustomControl {
 public:
  explicit TSkButton(TComponent* AOwner);
  ~TSkButton() override;

  // Handed to the parent form on every click (also 0).
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult Value) { FModalResult = Value; }
  // The picture beside the caption; setting copies it.
  TBitmap* Glyph() const { return FGlyph.get(); }
  void SetGlyph(TBitmap* Value);
  // Pixels between glyph and caption; negative values are stored as 0.
  int Spacing() const { return FSpacing; }
  void SetSpacing(int Value);
  TButtonLayout Layout() const { return FLayout; }
  void SetLayout(TButtonLayout Value);
  // The owned colour set; setting copies the values into it (and, as any
  // copy into a set, leaves the cached faces as they are).
  TSkControlColors* Colors() const { return FColors.get(); }
  void SetColors(TSkControlColors* Value);
  TFadeSpeed FadeSpeed() const { return FFadeSpeed; }
  void SetFadeSpeed(TFadeSpeed Value) { FFadeSpeed = Value; }
  bool ShowFocusRect() const { return FShowFocusRect; }
  void SetShowFocusRect(bool Value);
  // Caption in Colors.HotTrack while the mouse is inside.
  bool HotTrack() const { return FHotTrack; }
  void SetHotTrack(bool Value);
  // Enter clicks the button.
  bool Default() const { return FDefault; }
  void SetDefault(bool Value);
  // Escape clicks the button.
  bool Cancel() const { return FCancel; }
  void SetCancel(bool Value) { FCancel = Value; }
  // The pressed face leaves a 3-pixel margin of the face around it.
  bool GradientBorder() const { return FGradientBorder; }
  void SetGradientBorder(bool Value) { FGradientBorder = Value; }
  // Group among the buttons of the same parent; 0 or below is no group.
  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int Value) { FGroupIndex = Value; }
  // The group may have no button down.
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool Value) { FAllowAllUp = Value; }
  // Latched pressed state; only within a group, and it cannot be cleared
  // while the group needs a button down.
  bool Down() const { return FDown; }
  void SetDown(bool Value);
  TGradientType GradientType() const { return FGradientType; }
  void SetGradientType(TGradientType Value);

  // The cached faces: normal, hover and pressed.
  TBitmap* NormalBitmap() const { return FNormalBitmap.get(); }
  TBitmap* OverBitmap() const { return FOverBitmap.get(); }
  TBitmap* ClickedBitmap() const { return FClickedBitmap.get(); }

  void RebuildBitmaps() override;
  bool DialogKey(Word Key, TShiftState Shift) override;

 protected:
  void Paint() override;
  void Click() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void FocusChanged() override;
  void MouseEntered() override;
  void MouseExited() override;
  void LeftMouseDown() override;
  void LeftMouseUp() override;
  void Resized() override;

 private:
  // Puts every other button of the group up.
  void ReleaseGroup();
  // Whether this button may come up.
  bool CanReleaseDown() const;
  // Where the glyph goes for the caption rectangle T.
  TPoint GlyphPosition(const TRect& T, int TextWidth, int TextHeight, bool WithCaption) const;

  std::unique_ptr<TSkControlColors> FColors;
  std::unique_ptr<TBitmap> FNormalBitmap;
  std::unique_ptr<TBitmap> FOverBitmap;
  std::unique_ptr<TBitmap> FClickedBitmap;
  std::unique_ptr<TBitmap> FGlyph;
  TButtonLayout FLayout = blGlyphLeft;
  TModalResult FModalResult = 0;
  int FSpacing = 2;
  bool FShowFocusRect = true;
  bool FHotTrack = false;
  bool FDefault = false;
  bool FCancel = false;
  bool FGradientBorder = true;
  bool FDown = false;
  bool FAllowAllUp = false;
  int FGroupIndex = 0;
  TGradientType FGradientType = gtVertical;
};
