#pragma once
// The common base of the skinned panel and button: caption switches, mouse
// enter/leave events, an optional style manager, overridable notification
// hooks, and the fade engine that moves a hover blend and a press blend
// between 0 and 100 percent on window timer 1.
#include <string>

#include "platform/controls/CustomControl.h"
#include "widgets/sk/SkTypes.h"

class TSkStyleManager;

// Bits of TSkCustomControl::MouseState.
constexpr Byte msMouseInside = 1;
constexpr Byte msLeftPressed = 2;

class TSkCustomControl : public TCustomControl {
 public:
  explicit TSkCustomControl(TComponent* AOwner);
  ~TSkCustomControl() override;

  // Draw captions with a one-pixel shadow.
  bool TextShadow() const { return FTextShadow; }
  void SetTextShadow(bool Value);
  // Draw the caption at all.
  bool ShowCaption() const { return FShowCaption; }
  void SetShowCaption(bool Value);

  // Shared style values (not owned; may be none). Setting registers this
  // control with the new manager and unregisters it from the old one.
  TSkStyleManager* SkStyleManager() const { return FSkStyleManager; }
  void SetSkStyleManager(TSkStyleManager* Value);

  // A fixed descriptive text; writing it changes nothing.
  const std::string& About() const { return FAbout; }
  void SetAbout(const std::string&) {}

  // Regenerates whatever the control caches from its properties, then repaints.
  virtual void RebuildBitmaps() = 0;

  // Fade state: hover blend and press blend percent, mouse state bits.
  int FadePos() const { return FFadePos; }
  int ClickPos() const { return FClickPos; }
  Byte MouseState() const { return FMouseState; }
  // Interval of the running fade timer in milliseconds; 0 while idle.
  unsigned FadeTimerInterval() const { return FFadeTimerInterval; }

 protected:
  // Hooks the control messages are routed to.
  virtual void EnabledChanged();  // default: Invalidate
  virtual void FocusChanged() {}
  virtual void LeftMouseDown();   // default: take the focus when possible
  virtual void LeftMouseUp() {}
  virtual void MouseEntered();    // default: OnMouseEnter
  virtual void MouseExited();     // default: OnMouseLeave
  virtual void MouseMoved() {}
  virtual void ParentColorChanged() {}
  virtual void Resized() {}
  virtual void TextChanged();     // default: Invalidate
  // One tick of the fade engine each.
  virtual void FadeOutStep();
  virtual void FadeInStep();

  // (Re)starts timer 1 with the interval of the fade speed.
  void StartFade();
  // Selects what the next ticks do; the timer keeps running until a step stops it.
  void UseFadeIn() { FFadeStep = &TSkCustomControl::FadeInStep; }
  void UseFadeOut() { FFadeStep = &TSkCustomControl::FadeOutStep; }

  void CMEnabledChanged() override;
  void CMFocusChanged(TWinControl* Focused) override;
  void CMMouseEnter() override;
  void CMMouseLeave() override;
  void CMParentColorChanged() override;
  void CMTextChanged() override;
  void WMSize() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  // Every tick runs the current fade step (its exceptions are dropped: the
  // next tick tries again), then the inherited handling.
  void WMTimer(int Id) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

  int FFadePos = 0;
  int FClickPos = 0;
  Byte FMouseState = 0;
  TFadeSpeed FFadeSpeed = fsSlow;

 private:
  friend class TSkStyleManager;
  // The manager is being freed: drop the reference without unregistering.
  void StyleManagerGone(TSkStyleManager* Manager);
  void StopFadeTimer();

  using TFadeStep = void (TSkCustomControl::*)();

  bool FTextShadow = true;
  TSkStyleManager* FSkStyleManager = nullptr;
  std::string FAbout;
  bool FShowCaption = true;
  TFadeStep FFadeStep = nullptr;
  unsigned FFadeTimerInterval = 0;
};
