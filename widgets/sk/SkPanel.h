#pragma once
// TSkPanel: the container every window is laid out on. Corners outside a
// rounded frame show OuterColor; a frame BorderWidth pixels thick in
// BorderColor; an inside of Color or a two-colour gradient; an optional
// caption at one of ten positions.
//
// Frame, anti-aliasing and gradient are drawn once into a cached 24-bit
// background that each paint only copies before drawing the caption. The
// cache is rebuilt when a property that shapes it changes, on every resize,
// after the panel was read from a layout and whenever Color changes.
#include <memory>

#include "platform/graphics/Color.h"
#include "widgets/sk/SkCustomControl.h"

class TBitmap;

class TSkPanel : public TSkCustomControl {
 public:
  explicit TSkPanel(TComponent* AOwner);
  ~TSkPanel() override;

  TSkCaptionPos CaptionPosition() const { return FCaptionPosition; }
  void SetCaptionPosition(TSkCaptionPos Value);
  // Width and height of the corner ellipse; 0 gives square corners. Negative
  // values are ignored.
  int CornerWidth() const { return FCornerWidth; }
  void SetCornerWidth(int Value);
  // Frame thickness, also the inset of caption and child area. Values below
  // 1 are ignored.
  int BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int Value);
  TColor BorderColor() const { return FBorderColor; }
  void SetBorderColor(TColor Value);
  TColor OuterColor() const { return FOuterColor; }
  void SetOuterColor(TColor Value);
  TColor TextShadowColor() const { return FTextShadowColor; }
  void SetTextShadowColor(TColor Value);
  // Frame drawn three times as large and averaged down; turns Gradient off.
  bool Antialiased() const { return FAntialiased; }
  void SetAntialiased(bool Value);
  // Inside filled with the gradient; stays off while Antialiased is on.
  bool Gradient() const { return FGradient; }
  void SetGradient(bool Value);
  TColor DefaultFrom() const { return FDefaultFrom; }
  void SetDefaultFrom(TColor Value);
  TColor DefaultTo() const { return FDefaultTo; }
  void SetDefaultTo(TColor Value);
  TGradientType GradientType() const { return FGradientType; }
  void SetGradientType(TGradientType Value);

  // The cached background (the control's size once it has been sized).
  TBitmap* Background() const { return FBackground.get(); }

  void RebuildBitmaps() override;
  void Loaded() override;

 protected:
  // Redraws the whole cache, then asks for a repaint. Skipped while the
  // panel is read from a layout.
  void BuildPanelBackground();

  void Paint() override;
  void AdjustClientRect(TRect& Rect) override;
  void Resized() override;
  void CMColorChanged() override;
  void CMParentColorChanged() override;

 private:
  // Height of the caption in the panel's font, measured on its canvas.
  int CaptionTextHeight();

  int FCornerWidth = 10;
  int FBorderWidth = 2;
  TColor FBorderColor = clGray;
  TColor FOuterColor = clBtnFace;
  std::unique_ptr<TBitmap> FBackground;
  TSkCaptionPos FCaptionPosition = cpTopLeft;
  TColor FTextShadowColor = clWhite;
  bool FAntialiased = true;
  bool FGradient = false;
  TColor FDefaultFrom = clWhite;
  TColor FDefaultTo = TColor(14933983);
  TGradientType FGradientType = gtVertical;
};
