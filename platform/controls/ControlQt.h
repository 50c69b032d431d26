#pragma once
// Platform-internal: windowed controls and their Qt widgets. Only platform
// .cpp files include this.
//
// Every TWinControl owns one QWidget, its client area. The control's model
// (bounds, visibility, enabled state, tree) is the truth and is pushed to
// the widget; input arriving at the widget is routed back into the model
// through an event filter. A standard control that wraps a native Qt widget
// (QLineEdit, QListWidget, ...) attaches it in its constructor instead of
// the plain widget; the native widget then paints itself, and its input
// still reaches KeyDown/MouseDown/OnClick through the same routing (the
// event filter sees events first; what the model does not swallow reaches
// the native widget). A key is the focused control's alone: what its native
// widget leaves unused goes no further than that control's own widgets.
#include <QWidget>

#include <functional>
#include <map>
#include <memory>

#include "platform/controls/Control.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"

class QApplication;
class QTimer;

struct TWinControlImpl {
  TWinControl* Owner = nullptr;
  QWidget* Widget = nullptr;       // owned (deleted with the control)
  bool Native = false;             // a native widget paints itself
  bool Painting = false;
  std::unique_ptr<TBitmap> Buffer; // paint buffer of self-painted windows
  std::unique_ptr<TCanvas> Canvas; // drawing on Buffer
  std::map<int, QTimer*> Timers;   // window timers by id
  QObject* TimerHost = nullptr;    // parent of the timers
  QObject* Filter = nullptr;       // the event filter routing input
};

// The widget of a windowed control.
QWidget* ControlWidget(const TWinControl* Control);
// The control a widget was made or attached for (nullptr for others).
TWinControl* ControlOfWidget(const QWidget* Widget);
// Replaces the control's plain widget by Native (before the control has
// children); the control owns it from now on and applies its geometry,
// visibility, enabled state, hint and cursor to it.
void AttachNativeWidget(TWinControl* Control, QWidget* Native);
// Routes the input of an inner widget of a native control (the line edit
// inside a spin box) to Control as well.
void BridgeInnerWidget(TWinControl* Control, QWidget* Inner);

// The Qt key for a virtual key code, and back (0 / Qt::Key_unknown when none).
int QtKeyOfVirtualKey(Word Key);
Word VirtualKeyOfQtKey(int QtKey);

// --- input routing (ControlBridge.cpp) ---
// Every control is known while it lives, so that calls queued from other
// threads and pending input can tell whether it still exists.
void RegisterLiveControl(TControl* Control);
void UnregisterLiveControl(TControl* Control);
bool IsLiveControl(const TControl* Control);
// The control holding the mouse (nullptr when none).
TControl* CaptureControl();
void SetCaptureControl(TControl* Control);
// The control the mouse is in, as enter/leave reported it.
TControl* HoverControl();
// Recomputes the enter/leave state for the mouse over Under (nullptr: over
// none of ours); while a control holds the mouse only it gets enter/leave.
void UpdateHover(TControl* Under, bool InsideCapture);
// Runs Call guarded: an exception goes to the application's error box.
void GuardedCall(TObject* Sender, const std::function<void()>& Call);
// Installs the input routing on a widget of Control.
void InstallBridge(TWinControl* Control, QWidget* Widget);
// The Qt application object of the program. It tells the input routing
// where each key event was delivered, so that a key is handled once, by the
// focused control, whatever its native widget leaves unused and Qt passes on
// to the parent widgets.
std::unique_ptr<QApplication> CreateHostApplication(int& argc, char** argv);

// Activation reports of the window system: we ask for Form's activation
// (its report is awaited), and whether a report for Form is to be believed.
class TCustomForm;
void ExpectWindowActivation(TCustomForm* Form);
bool AcceptWindowActivation(TCustomForm* Form);
