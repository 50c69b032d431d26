#pragma once
// Forms: top-level windows. A form's window is its client area: Width and
// Height are the client size (the frame the window system adds is not
// counted), Left and Top the window's position on the screen.
//
// Life of a form: created hidden; OnCreate runs once after construction
// (TApplication::CreateForm, or at the latest the first Show); Show/ShowModal
// make it visible (OnShow) and active (OnActivate, again every time it
// becomes active, also when a box or modal form over it closes); Close asks
// OnCloseQuery, then OnClose with a close action: caHide hides it, caFree
// frees it once the current event is handled, caNone keeps it. Closing the
// main form ends the application.
#include <memory>
#include <string>

#include "platform/controls/Control.h"

class TBitmap;
class TCanvas;
class TLayoutHandlers;

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = unsigned;  // bit (1 << TBorderIcon)
enum TPosition {
  poDesigned,
  poDefault,
  poDefaultPosOnly,
  poDefaultSizeOnly,
  poScreenCenter,
  poDesktopCenter,
  poMainFormCenter,
  poOwnerFormCenter
};
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TCloseAction { caNone, caHide, caFree, caMinimize };

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

class TCustomForm : public TWinControl {
 public:
  explicit TCustomForm(TComponent* AOwner);
  ~TCustomForm() override;

  // Runs OnCreate, once, then shows the form when its layout made it
  // visible. CreateForm calls it after the constructor; Show and ShowModal
  // call it when nobody did.
  void AfterConstruction();

  // Reads the form's layout (an embedded layout file by name, or a text) with
  // the form's handlers; the controls are created, owned by the form and
  // parented as the layout nests them.
  void LoadLayout(const std::string& ResourceName, const TLayoutHandlers& Handlers);
  void LoadLayoutText(const std::string& Text, const std::string& FileName,
                      const TLayoutHandlers& Handlers);

  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle Value);
  TBorderIcons BorderIcons() const { return FBorderIcons; }
  void SetBorderIcons(TBorderIcons Value);
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition Value);
  TFormStyle FormStyle() const { return FFormStyle; }
  void SetFormStyle(TFormStyle Value);

  void SetVisible(bool Value) override;
  // Makes the form visible and active.
  void Show();
  void Hide() { SetVisible(false); }
  // Shows the form modally and runs a nested message loop until ModalResult
  // is set (or the application terminates: mrCancel); returns it. Raises
  // EInvalidOperation "Cannot make a visible window modal" when visible.
  virtual TModalResult ShowModal();
  bool Modal() const { return FModal; }
  TModalResult ModalResult() const { return FModalResult; }
  // A non-zero value ends ShowModal.
  void SetModalResult(TModalResult Value);
  // Modal: ModalResult := mrCancel. Otherwise OnCloseQuery, then OnClose with
  // caHide, then the action; closing the main form (with any action but
  // caNone) terminates the application instead.
  void Close();
  // Frees the form once the current event has been handled.
  void Release();

  bool Active() const { return FActive; }
  TWinControl* ActiveControl() const { return FActiveControl; }
  // The control that has (or, while the form is inactive, will get) the focus.
  void SetActiveControl(TWinControl* Control);
  // Focus moves to the next (or previous) control in tab order.
  void SelectNext(TWinControl* Current, bool GoForward, bool CheckTabStop);
  // Tells every control of the form that the focus is on ActiveControl
  // (CMFocusChanged), e.g. after a button became the default one.
  void NotifyFocusChanged();

  // The form's paint buffer (the form paints its Color, then OnPaint, then
  // the windowless controls on it).
  TCanvas* Canvas() const;

  // What the form shows now, client area only, as a 24-bit bitmap; and the
  // same written to a PNG file (raises EFCreateError when it cannot be written).
  std::unique_ptr<TBitmap> GetFormImage();
  void SaveFormImageToPng(const std::string& FileName);

  const TNotifyEvent& OnCreate() const { return FOnCreate; }
  void SetOnCreate(TNotifyEvent Value) { FOnCreate = std::move(Value); }
  const TNotifyEvent& OnDestroy() const { return FOnDestroy; }
  void SetOnDestroy(TNotifyEvent Value) { FOnDestroy = std::move(Value); }
  const TNotifyEvent& OnShow() const { return FOnShow; }
  void SetOnShow(TNotifyEvent Value) { FOnShow = std::move(Value); }
  const TNotifyEvent& OnHide() const { return FOnHide; }
  void SetOnHide(TNotifyEvent Value) { FOnHide = std::move(Value); }
  const TNotifyEvent& OnActivate() const { return FOnActivate; }
  void SetOnActivate(TNotifyEvent Value) { FOnActivate = std::move(Value); }
  const TNotifyEvent& OnDeactivate() const { return FOnDeactivate; }
  void SetOnDeactivate(TNotifyEvent Value) { FOnDeactivate = std::move(Value); }
  const TCloseEvent& OnClose() const { return FOnClose; }
  void SetOnClose(TCloseEvent Value) { FOnClose = std::move(Value); }
  const TCloseQueryEvent& OnCloseQuery() const { return FOnCloseQuery; }
  void SetOnCloseQuery(TCloseQueryEvent Value) { FOnCloseQuery = std::move(Value); }
  const TNotifyEvent& OnPaint() const { return FOnPaint; }
  void SetOnPaint(TNotifyEvent Value) { FOnPaint = std::move(Value); }

  bool DialogKey(Word Key, TShiftState Shift) override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void Loaded() override;

  // Platform-internal: the application switches activation through these.
  void SetActive(bool Value);

 protected:
  virtual void DoCreate();
  virtual void DoShow();
  virtual void DoHide();
  virtual void Activate();    // fires OnActivate
  virtual void Deactivate();  // fires OnDeactivate
  virtual bool CloseQuery();  // fires OnCloseQuery
  virtual void DoClose(TCloseAction& Action);  // fires OnClose

  void PaintWindow(TCanvas* Canvas) override;
  std::string GetText() const override;
  void SetTextBuf(const std::string& Value) override;

 private:
  friend class TApplication;
  friend class TWinControl;
  friend struct TControlBridge;
  void ApplyWindowFlags();
  // The focus arrived at Control: OnExit of the previous one, CMFocusChanged
  // to all, OnEnter of Control.
  void FocusMoved(TWinControl* Control);
  // Gives the window focus to ActiveControl (or the first control in tab order).
  void SetWindowFocus();
  void PlaceOnScreen();
  void CloseModal();

  TFormBorderStyle FBorderStyle = bsSizeable;
  TBorderIcons FBorderIcons = (1u << biSystemMenu) | (1u << biMinimize) | (1u << biMaximize);
  TPosition FPosition = poDesigned;
  TFormStyle FFormStyle = fsNormal;
  bool FModal = false;
  TModalResult FModalResult = mrNone;
  bool FActive = false;
  bool FCreated = false;
  bool FPlaced = false;
  bool FReleased = false;
  bool FShowWhenCreated = false;  // the layout made it visible
  TWinControl* FActiveControl = nullptr;
  TWinControl* FFocusNotified = nullptr;  // the control OnEnter last ran for
  TNotifyEvent FOnCreate, FOnDestroy, FOnShow, FOnHide, FOnActivate, FOnDeactivate, FOnPaint;
  TCloseEvent FOnClose;
  TCloseQueryEvent FOnCloseQuery;
};

class TForm : public TCustomForm {
 public:
  using TCustomForm::TCustomForm;
};
