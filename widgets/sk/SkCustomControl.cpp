#include "widgets/sk/SkCustomControl.h"

#include "widgets/sk/SkStyleManager.h"

namespace {
constexpr int kFadeTimerId = 1;
}

TSkCustomControl::TSkCustomControl(TComponent* AOwner)
    : TCustomControl(AOwner),
      FAbout("Skinned control: gradient faces, rounded anti-aliased frames, hover fading") {
  // A double click arrives as two single clicks; the control paints its whole area.
  SetControlStyle((ControlStyle() & ~TControlStyle(csDoubleClicks)) | csOpaque | csReplicatable);
  SetDoubleBuffered(true);
  SetTabStop(true);
}

TSkCustomControl::~TSkCustomControl() {
  if (FSkStyleManager != nullptr) {
    FSkStyleManager->UnregisterControl(this);
    FSkStyleManager->RemoveFreeNotification(this);
    FSkStyleManager = nullptr;
  }
  StopFadeTimer();
}

void TSkCustomControl::SetTextShadow(bool Value) {
  if (FTextShadow == Value) return;
  FTextShadow = Value;
  Invalidate();
}

void TSkCustomControl::SetShowCaption(bool Value) {
  if (FShowCaption == Value) return;
  FShowCaption = Value;
  Invalidate();
}

void TSkCustomControl::SetSkStyleManager(TSkStyleManager* Value) {
  if (Value == FSkStyleManager) return;
  if (FSkStyleManager != nullptr) {
    FSkStyleManager->UnregisterControl(this);
    FSkStyleManager->RemoveFreeNotification(this);
  }
  if (Value != nullptr) {
    Value->RegisterControl(this);
    Value->FreeNotification(this);
  }
  FSkStyleManager = Value;
}

void TSkCustomControl::StyleManagerGone(TSkStyleManager* Manager) {
  if (FSkStyleManager == Manager) FSkStyleManager = nullptr;
}

void TSkCustomControl::Notification(TComponent* AComponent, TOperation Operation) {
  // The removal of any style manager drops the control's reference. When the
  // manager removed is another one, the control also leaves its own
  // manager's list, which would otherwise keep it after it is freed.
  if (Operation == TOperation::opRemove && FSkStyleManager != nullptr &&
      (AComponent == FSkStyleManager || dynamic_cast<TSkStyleManager*>(AComponent) != nullptr)) {
    if (AComponent != FSkStyleManager) {
      FSkStyleManager->UnregisterControl(this);
      FSkStyleManager->RemoveFreeNotification(this);
    }
    FSkStyleManager = nullptr;
  }
  TCustomControl::Notification(AComponent, Operation);
}

// ---- notification hooks ----

void TSkCustomControl::EnabledChanged() { Invalidate(); }

void TSkCustomControl::LeftMouseDown() {
  if (!Focused() && CanFocus()) SetFocus();
}

void TSkCustomControl::MouseEntered() {
  if (OnMouseEnter()) OnMouseEnter()(this);
}

void TSkCustomControl::MouseExited() {
  if (OnMouseLeave()) OnMouseLeave()(this);
}

void TSkCustomControl::TextChanged() { Invalidate(); }

void TSkCustomControl::CMEnabledChanged() {
  EnabledChanged();
  TCustomControl::CMEnabledChanged();
}

void TSkCustomControl::CMFocusChanged(TWinControl* Focused) {
  FocusChanged();
  TCustomControl::CMFocusChanged(Focused);
}

// The host's own enter/leave handling only fires the events, which the hooks
// already do; calling it as well would fire them twice.
void TSkCustomControl::CMMouseEnter() { MouseEntered(); }
void TSkCustomControl::CMMouseLeave() { MouseExited(); }

void TSkCustomControl::CMParentColorChanged() {
  ParentColorChanged();
  TCustomControl::CMParentColorChanged();
}

void TSkCustomControl::CMTextChanged() { TextChanged(); }

void TSkCustomControl::WMSize() {
  Resized();
  TCustomControl::WMSize();
}

void TSkCustomControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button == mbLeft) LeftMouseDown();
}

void TSkCustomControl::MouseMove(TShiftState Shift, int X, int Y) {
  MouseMoved();
  TCustomControl::MouseMove(Shift, X, Y);
}

void TSkCustomControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseUp(Button, Shift, X, Y);
  if (Button == mbLeft) LeftMouseUp();
}

// ---- fade engine ----

void TSkCustomControl::StartFade() {
  KillTimer(kFadeTimerId);
  FFadeTimerInterval = FadeIntervalMs(FFadeSpeed);
  SetTimer(kFadeTimerId, FFadeTimerInterval);
}

void TSkCustomControl::StopFadeTimer() {
  KillTimer(kFadeTimerId);
  FFadeTimerInterval = 0;
}

void TSkCustomControl::WMTimer(int Id) {
  if (FFadeStep != nullptr) {
    try {
      (this->*FFadeStep)();
    } catch (...) {
      // A failed tick leaves the state as the step left it; the next tick
      // runs again.
    }
  }
  TCustomControl::WMTimer(Id);
}

void TSkCustomControl::FadeInStep() {
  if ((FMouseState & (msMouseInside | msLeftPressed)) == (msMouseInside | msLeftPressed)) {
    if (FClickPos >= 100) {
      FClickPos = 100;
      Invalidate();
      StopFadeTimer();
      return;
    }
    FClickPos += 100;
    Invalidate();
    return;
  }
  if (FClickPos > 0) FClickPos -= 100;
  if (FFadePos >= 100)
    FFadePos = 100;
  else
    FFadePos += 10;
  Invalidate();
  if (FClickPos <= 0 && FFadePos >= 100) StopFadeTimer();
}

void TSkCustomControl::FadeOutStep() {
  if (FClickPos > 0) FClickPos -= 100;
  if (FFadePos > 0 || FClickPos > 0) {
    FFadePos -= 10;
  } else {
    FFadePos = 0;
    FClickPos = 0;
    StopFadeTimer();
  }
  Invalidate();
}
