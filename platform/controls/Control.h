#pragma once
// Controls: TControl is anything visible on a form; TWinControl is a control
// with a window of its own (it can hold child controls and take the focus).
//
// Coordinates: Left/Top are relative to the parent's client area; mouse
// positions are relative to the control's own client area.
//
// Notifications are protected virtual operations named after the host's
// control messages (CMEnabledChanged, CMMouseEnter, WMSize, ...). Each runs
// synchronously, inside the setter or the input event that caused it; an
// override that wants the standard behaviour calls the inherited one.
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "platform/base/Component.h"
#include "platform/base/Events.h"
#include "platform/base/Types.h"
#include "platform/controls/Messages.h"
#include "platform/graphics/Color.h"

class TFont;
class TCanvas;
class TWinControl;
class TCustomForm;
struct TControlBridge;
struct TWinControlImpl;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };

// Modal results: a form's ModalResult and a box's answer.
using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;
constexpr TModalResult mrAbort = 3;
constexpr TModalResult mrRetry = 4;
constexpr TModalResult mrIgnore = 5;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;
constexpr TModalResult mrAll = 8;

// Mouse cursors (the host's numbering).
using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crMultiDrag = -16;
constexpr TCursor crSQLWait = -17;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;

// Control style flags (a set): how the host treats a control.
enum TControlStyleFlag : unsigned {
  csAcceptsControls = 1u << 0,  // may be the parent of other controls
  csCaptureMouse = 1u << 1,     // keeps the mouse while a button is held
  csClickEvents = 1u << 2,      // a press and release inside makes a Click
  csSetCaption = 1u << 3,
  csOpaque = 1u << 4,           // paints its whole area itself
  csDoubleClicks = 1u << 5,     // a second quick press is a DblClick, not a press
  csReplicatable = 1u << 6,
  csNoStdEvents = 1u << 7,      // OnMouseDown/OnClick etc. are not fired
};
using TControlStyle = unsigned;

// Control state flags (a set): what is being done with a control right now.
enum TControlStateFlag : unsigned {
  csPaintCopy = 1u << 0,  // it is being painted as a copy, under another control
};
using TControlState = unsigned;

class TControl : public TComponent {
 public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;

  // --- tree ---
  TWinControl* Parent() const { return FParent; }
  // Moves the control into AParent's child list (at its end), or out of any
  // tree for nullptr.
  virtual void SetParent(TWinControl* AParent);
  // The form the control lies on (the control itself for a form), or nullptr.
  TCustomForm* ParentForm() const;

  // --- bounds ---
  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  void SetLeft(int Value);
  void SetTop(int Value);
  void SetWidth(int Value);
  void SetHeight(int Value);
  // Moves and sizes in one step; a size change runs WMSize at once and
  // re-aligns the parent's aligned controls.
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  TRect BoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
  void SetBoundsRect(const TRect& Rect);
  virtual int ClientWidth() const { return FWidth; }
  virtual int ClientHeight() const { return FHeight; }
  virtual void SetClientWidth(int Value) { SetWidth(Value); }
  virtual void SetClientHeight(int Value) { SetHeight(Value); }
  TRect ClientRect() const { return Rect(0, 0, ClientWidth(), ClientHeight()); }
  // Conversion between this control's client coordinates and the screen.
  TPoint ClientToScreen(TPoint Point) const;
  TPoint ScreenToClient(TPoint Point) const;
  // Top-left corner of the client area in the form's client coordinates.
  TPoint ClientOriginInForm() const;

  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign Value);

  // --- state ---
  bool Visible() const { return FVisible; }
  virtual void SetVisible(bool Value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible, and every parent up to the form too.
  bool Showing() const;
  bool Enabled() const { return FEnabled; }
  virtual void SetEnabled(bool Value);

  TControlStyle ControlStyle() const { return FControlStyle; }
  void SetControlStyle(TControlStyle Value) { FControlStyle = Value; }
  // Readable from any thread (a timer's worker asks it).
  TControlState ControlState() const { return FControlState.load(); }
  void SetControlState(TControlState Value) { FControlState = Value; }

  // Setting Color turns ParentColor off; ParentColor True takes the parent's
  // colour now and whenever it changes.
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool Value);

  // The control's own font object; changing it (or any of its properties)
  // runs CMFontChanged and turns ParentFont off.
  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* Value);
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool Value);

  // Caption and Text are the same text. Setting a different value runs
  // CMTextChanged.
  std::string Caption() const { return GetText(); }
  void SetCaption(const std::string& Value) { SetText(Value); }
  std::string Text() const { return GetText(); }
  void SetText(const std::string& Value);

  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& Value);
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool Value);
  bool ParentShowHint() const { return FParentShowHint; }
  void SetParentShowHint(bool Value);
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor Value);

  // --- painting ---
  // Asks for a repaint later (from any thread).
  virtual void Invalidate();
  // Paints now (on another thread: waits until the UI thread has painted).
  virtual void Repaint();
  // Paints now whatever is invalid.
  virtual void Update();

  // --- mouse ---
  bool MouseCapture() const;
  void SetMouseCapture(bool Value);
  // True while the mouse is over the control (its enter/leave state).
  bool MouseInControl() const;

  // --- events ---
  const TNotifyEvent& OnClick() const { return FOnClick; }
  void SetOnClick(TNotifyEvent Value) { FOnClick = std::move(Value); }
  const TNotifyEvent& OnDblClick() const { return FOnDblClick; }
  void SetOnDblClick(TNotifyEvent Value) { FOnDblClick = std::move(Value); }
  const TMouseEvent& OnMouseDown() const { return FOnMouseDown; }
  void SetOnMouseDown(TMouseEvent Value) { FOnMouseDown = std::move(Value); }
  const TMouseMoveEvent& OnMouseMove() const { return FOnMouseMove; }
  void SetOnMouseMove(TMouseMoveEvent Value) { FOnMouseMove = std::move(Value); }
  const TMouseEvent& OnMouseUp() const { return FOnMouseUp; }
  void SetOnMouseUp(TMouseEvent Value) { FOnMouseUp = std::move(Value); }
  const TNotifyEvent& OnMouseEnter() const { return FOnMouseEnter; }
  void SetOnMouseEnter(TNotifyEvent Value) { FOnMouseEnter = std::move(Value); }
  const TNotifyEvent& OnMouseLeave() const { return FOnMouseLeave; }
  void SetOnMouseLeave(TNotifyEvent Value) { FOnMouseLeave = std::move(Value); }
  const TNotifyEvent& OnResize() const { return FOnResize; }
  void SetOnResize(TNotifyEvent Value) { FOnResize = std::move(Value); }

  // Runs Click as a user's click would (OnClick; buttons add their own work).
  void PerformClick() { Click(); }

  // Dialog keys (Enter, Escape): the form offers a key that the focused
  // control does not use to each control in control order; the first that
  // returns true takes it. The default takes nothing.
  virtual bool DialogKey(Word Key, TShiftState Shift);

  void Loaded() override;

 protected:
  // Text storage; controls with a native text (edits) override both.
  virtual std::string GetText() const { return FText; }
  virtual void SetTextBuf(const std::string& Value) { FText = Value; }

  // Mouse operations, in client coordinates. The defaults fire the events.
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  // Left button released inside the control after a press on it; runs before
  // MouseUp and after the capture was released.
  virtual void Click();
  virtual void DblClick();

  // Notifications.
  virtual void CMEnabledChanged();   // after Enabled changed; default Invalidate
  virtual void CMVisibleChanged();   // after Visible changed
  // Focus moved on the form (to Focused, or to no control); sent to every
  // control of the form.
  virtual void CMFocusChanged(TWinControl* Focused);
  virtual void CMMouseEnter();  // default fires OnMouseEnter
  virtual void CMMouseLeave();  // default fires OnMouseLeave
  virtual void CMColorChanged();        // default Invalidate (+ children follow)
  virtual void CMParentColorChanged();  // default: Color follows when ParentColor
  virtual void CMFontChanged();         // default Invalidate (+ children follow)
  virtual void CMParentFontChanged();   // default: Font follows when ParentFont
  virtual void CMTextChanged();         // default Invalidate
  virtual void CMHintShowChanged() {}
  // The size changed; also runs once when the control's window first exists
  // (it got a parent on a form, or its form is shown), so overrides see the
  // real size. Default fires OnResize.
  virtual void WMSize();
  // Where the client area begins within the control's bounds: inside a frame
  // that the control's window draws around it (a framed list). Default: at
  // the top-left corner.
  virtual TPoint ClientOffset() const { return TPoint{0, 0}; }

 private:
  friend class TWinControl;
  friend class TCustomForm;
  friend struct TControlBridge;
  friend struct TWinControlImpl;
  friend struct TWindowCreation;

  void FontChangedByUser();
  void ApplyBoundsToWindow();
  void RequestParentAlign();

  TWinControl* FParent = nullptr;
  int FLeft = 0;
  int FTop = 0;
  int FWidth = 0;
  int FHeight = 0;
  TAlign FAlign = alNone;
  std::atomic<bool> FVisible{true};  // a timer's worker asks Showing()
  bool FEnabled = true;
  TControlStyle FControlStyle = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
  std::atomic<TControlState> FControlState{0};
  TColor FColor = clWindow;
  bool FParentColor = true;
  std::unique_ptr<TFont> FFont;
  bool FParentFont = true;
  bool FApplyingParentFont = false;
  std::string FText;
  std::string FHint;
  bool FShowHint = false;
  bool FParentShowHint = true;
  TCursor FCursor = crDefault;
  bool FWindowCreated = false;
  bool FClickPending = false;

  TNotifyEvent FOnClick, FOnDblClick, FOnMouseEnter, FOnMouseLeave, FOnResize;
  TMouseEvent FOnMouseDown, FOnMouseUp;
  TMouseMoveEvent FOnMouseMove;
};

class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;

  // Child controls in control order (the order they were given this parent).
  int ControlCount() const { return int(FControls.size()); }
  TControl* Controls(int Index) const { return FControls.at(size_t(Index)); }
  // Topmost visible child containing Point (client coordinates), or nullptr;
  // windowed children only with AllowWinControls.
  TControl* ControlAtPos(TPoint Point, bool AllowDisabled, bool AllowWinControls = false) const;

  // Tab order among the siblings: 0 is first. Setting moves the control in
  // the parent's tab list (values past the end go last); while a layout is
  // being read the numbers are kept and sorted once it is loaded.
  int TabOrder() const;
  void SetTabOrder(int Value);
  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool Value);

  // Can take the focus: on a form, and it and every parent visible and enabled.
  virtual bool CanFocus() const;
  // Raises EInvalidOperation "Cannot focus a disabled or invisible window"
  // when it cannot take the focus.
  virtual void SetFocus();
  bool Focused() const;

  // Painting is always buffered here; the flag is kept for code that asks.
  bool DoubleBuffered() const { return FDoubleBuffered; }
  void SetDoubleBuffered(bool Value) { FDoubleBuffered = Value; }

  // Re-aligns the aligned children within the client rectangle.
  void Realign();
  // Aligning is held off until the matching EnableAlign.
  void DisableAlign();
  void EnableAlign();

  // Window timers: SetTimer starts (or restarts) timer Id with the interval
  // in milliseconds; each tick runs WMTimer(Id). KillTimer stops it; after
  // KillTimer or destruction no tick arrives.
  void SetTimer(int Id, unsigned Milliseconds);
  void KillTimer(int Id);

  const TKeyEvent& OnKeyDown() const { return FOnKeyDown; }
  void SetOnKeyDown(TKeyEvent Value) { FOnKeyDown = std::move(Value); }
  const TKeyEvent& OnKeyUp() const { return FOnKeyUp; }
  void SetOnKeyUp(TKeyEvent Value) { FOnKeyUp = std::move(Value); }
  const TKeyPressEvent& OnKeyPress() const { return FOnKeyPress; }
  void SetOnKeyPress(TKeyPressEvent Value) { FOnKeyPress = std::move(Value); }
  const TNotifyEvent& OnEnter() const { return FOnEnter; }
  void SetOnEnter(TNotifyEvent Value) { FOnEnter = std::move(Value); }
  const TNotifyEvent& OnExit() const { return FOnExit; }
  void SetOnExit(TNotifyEvent Value) { FOnExit = std::move(Value); }

  // Offers the key to the children in control order.
  bool DialogKey(Word Key, TShiftState Shift) override;

  void SetVisible(bool Value) override;
  void SetEnabled(bool Value) override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void Invalidate() override;
  void Repaint() override;
  void Update() override;
  void Loaded() override;

  // Platform-internal (the Qt bridge).
  TWinControlImpl* Impl() const { return FImpl.get(); }

 protected:
  // The area in which aligned children are placed; narrow it for borders.
  virtual void AdjustClientRect(TRect& Rect);
  // Places aligned children; the default implements Align.
  virtual void AlignControls(TControl* AControl, TRect& Rect);

  // The canvas of the control's own double buffer (client size, 32 bits),
  // made on first use; the windowed controls that paint themselves draw on it.
  TCanvas* BufferCanvas() const;

  // Keys sent to the focused control. KeyDown runs for every key press,
  // auto-repeats included (KeyIsRepeat tells); the defaults fire the events.
  virtual void KeyDown(Word& Key, TShiftState Shift);
  virtual void KeyUp(Word& Key, TShiftState Shift);
  virtual void KeyPress(char& Key);
  bool KeyIsRepeat() const { return FKeyIsRepeat; }
  // Keys the control uses itself instead of offering them to the form as
  // dialog keys (Enter, Escape, Tab, arrows). Default: none.
  virtual bool WantsKey(Word Key) const;
  virtual void DoEnter();  // focus arrived; fires OnEnter
  virtual void DoExit();   // focus left; fires OnExit

  // A window timer ticked. An exception that escapes goes to the
  // application's error box.
  virtual void WMTimer(int Id);

  // Paints the window's own content into Canvas (the window's buffer) before
  // the windowless children are drawn over it. Default: fill with Color.
  virtual void PaintWindow(TCanvas* Canvas);

  void CMColorChanged() override;
  void CMFontChanged() override;
  void CMEnabledChanged() override;
  void CMVisibleChanged() override;

  // The buffer canvas while a paint of this window runs, else nullptr.
  TCanvas* PaintCanvas() const;

 private:
  friend class TControl;
  friend class TCustomForm;
  friend struct TControlBridge;
  friend struct TWinControlImpl;
  friend struct TWindowCreation;
  friend struct TTabOrderList;

  void InsertControl(TControl* AControl);
  void RemoveControl(TControl* AControl);
  void AlignNow();
  void FixupTabList();

  std::vector<TControl*> FControls;
  std::vector<TWinControl*> FTabList;
  int FWantedTabOrder = -1;
  bool FTabStop = false;
  bool FDoubleBuffered = false;
  bool FKeyIsRepeat = false;
  int FAlignLevel = 0;
  bool FAlignPending = false;
  TKeyEvent FOnKeyDown, FOnKeyUp;
  TKeyPressEvent FOnKeyPress;
  TNotifyEvent FOnEnter, FOnExit;
  std::unique_ptr<TWinControlImpl> FImpl;
};
