#pragma once
// Controls that draw themselves.
//
// TCustomControl has a window of its own. Its Paint draws the whole client
// area on Canvas(), which is a bitmap of the client size (the paint buffer):
// the buffer is filled with Color first (unless the style has csOpaque), then
// Paint runs, then the windowless children are drawn over it, and the result
// is shown in one step.
//
// TGraphicControl has no window: it is drawn into its parent's paint buffer,
// after the parent's own content and the windowless siblings before it, with
// Canvas() moved to its top-left corner and clipped to its bounds. Whatever
// it does not paint shows the parent. It gets mouse input by hit testing in
// the parent (topmost visible, enabled one under the mouse).
#include <memory>

#include "platform/controls/Control.h"

class TBitmap;
class TCanvas;

class TCustomControl : public TWinControl {
 public:
  explicit TCustomControl(TComponent* AOwner);
  ~TCustomControl() override;

  // The paint buffer's canvas. Drawing on it outside Paint shows at the next
  // paint (which usually redraws it).
  TCanvas* Canvas() const;

 protected:
  // Draws the whole client area on Canvas(). Default: nothing.
  virtual void Paint();

  void PaintWindow(TCanvas* Canvas) override;
};

class TGraphicControl : public TControl {
 public:
  explicit TGraphicControl(TComponent* AOwner);
  ~TGraphicControl() override;

  // The canvas this control paints on: during Paint it draws into the
  // parent's buffer with (0, 0) at this control's top-left corner, clipped to
  // the control. Its lock is held for the whole of every paint.
  TCanvas* Canvas() const;

  void Invalidate() override;
  void Repaint() override;
  void Update() override;

 protected:
  // Draws the control on Canvas(). Default: nothing.
  virtual void Paint();

 private:
  friend class TWinControl;
  friend struct TWinControlImpl;
  friend struct TControlBridge;
  // Paints into the parent's buffer (called by the parent's paint).
  void PaintInto(TBitmap* ParentBuffer);

  struct TImpl;
  std::unique_ptr<TImpl> FGraphicImpl;
};
