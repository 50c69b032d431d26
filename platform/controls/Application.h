#pragma once
// The application object: title, forms, the message loop, and the error box
// for exceptions that escape event handlers. One exists per program; it sets
// the global Application (and Screen) and must be made first, on the thread
// that will run the user interface.
#include <atomic>
#include <exception>
#include <functional>
#include <map>
#include <new>
#include <string>
#include <vector>

#include "platform/base/Component.h"
#include "platform/controls/Control.h"
#include "platform/graphics/Icon.h"

class TCustomForm;

using TExceptionEvent = std::function<void(TObject* Sender, const std::exception& E)>;

class TApplication : public TComponent {
 public:
  // Starts the window system; argc/argv as main got them.
  TApplication(int& argc, char** argv);
  ~TApplication() override;

  // Shown on the taskbar and as the caption of the error box.
  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& Value);
  void Initialize() {}

  // Makes a form owned by the application, stores it in Reference before its
  // constructor runs, then runs its OnCreate. The first form made is the main form.
  template <class T>
  void CreateForm(T*& Reference) {
    void* memory = ::operator new(sizeof(T));
    Reference = static_cast<T*>(memory);
    try {
      new (memory) T(this);
    } catch (...) {
      Reference = nullptr;
      ::operator delete(memory);
      throw;
    }
    FormCreated(Reference);
  }
  TCustomForm* MainForm() const { return FMainForm; }

  // Shows the main form and handles messages until Terminate (closing the
  // main form terminates). Calls handed over until then have run when it
  // returns.
  void Run();
  // Handles every message waiting now (input, paints, timers, calls handed
  // over by other threads) and returns. Inside work that holds the user's
  // input (InputHold.h) clicks and keys are left waiting for later.
  void ProcessMessages();
  // Waits for at least one message and handles what is waiting.
  void HandleMessage();
  void Terminate();
  bool Terminated() const { return FTerminated; }

  // Call inside a catch block: EAbort is dropped, anything else goes to
  // OnException when assigned, else to ShowException.
  void HandleException(TObject* Sender);
  // The error box (ShowMessageBox of kind mtError): caption Title, the
  // message with a full stop appended when it lacks one (an empty message
  // stays empty), one "OK" button.
  void ShowException(const std::exception& E);
  const TExceptionEvent& OnException() const { return FOnException; }
  void SetOnException(TExceptionEvent Value) { FOnException = std::move(Value); }

  // Runs a modal box (Show displays it, or asks the test hook, and returns
  // the answer): the active form is deactivated while it is up and activated
  // again (OnActivate) when it has closed. ShowMessageBox (Dialogs.h) runs
  // every box through here.
  TModalResult RunModalBox(const std::function<TModalResult()>& Show);

  // The form that is active now (nullptr when none of ours).
  TCustomForm* ActiveForm() const { return FActiveForm; }

  // Platform-internal: activation bookkeeping of the forms.
  void SetActiveForm(TCustomForm* Form);
  void FormDestroying(TCustomForm* Form);
  // Runs Call inside the exception guard: an escaping exception goes to
  // HandleException(Sender).
  void Guarded(TObject* Sender, const std::function<void()>& Call);

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void FormCreated(TCustomForm* Form);

  std::string FTitle;
  TCustomForm* FMainForm = nullptr;
  TCustomForm* FActiveForm = nullptr;
  std::atomic<bool> FTerminated{false};  // timer workers ask Terminated()
  bool FRunning = false;
  TExceptionEvent FOnException;
  struct TImpl;
  TImpl* FImpl = nullptr;
};

extern TApplication* Application;

// The screen: its size, the cursor shown over every window, and where the
// focus is.
class TScreen {
 public:
  int Width() const;
  int Height() const;
  // crDefault: each control's own cursor; anything else overrides all.
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor Value);
  // The cursor table: the picture of a cursor id of the program's own (null
  // while the id has none). The host's own cursors need no entry; a control
  // or the screen set to an id of the table shows its picture.
  HCURSOR Cursors(TCursor Index) const;
  void SetCursors(TCursor Index, HCURSOR Value);
  TCustomForm* ActiveForm() const;
  // The focused control of the active form (nullptr when none).
  TWinControl* ActiveControl() const;

 private:
  TCursor FCursor = crDefault;
  std::map<TCursor, HCURSOR> FCursors;
};

extern TScreen* Screen;
