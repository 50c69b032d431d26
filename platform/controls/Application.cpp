#include "platform/controls/Application.h"

#include <QApplication>
#include <QCursor>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <memory>

#include "platform/base/Exceptions.h"
#include "platform/base/InputHold.h"
#include "platform/base/MainThread.h"
#include "platform/base/PumpingWait.h"
#include "platform/controls/ApplicationQt.h"
#include "platform/controls/ControlQt.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Form.h"
#include "platform/controls/QtText.h"

TApplication* Application = nullptr;
TScreen* Screen = nullptr;

QCursor QtCursorOf(TCursor Cursor);
void RegisterCoreLayoutClasses();

struct TApplication::TImpl {
  std::unique_ptr<QApplication> App;
  std::vector<QEventLoop*> Loops;
  QObject* Poster = nullptr;  // receives calls posted to the message loop
};

namespace {

std::vector<QEventLoop*>* gLoops = nullptr;
QObject* gPoster = nullptr;

// Runs every call handed over by other threads before this began; a failing
// call shows its error box and the rest still run. True when any ran.
bool DrainHandOvers() {
  bool ran = false;
  for (;;) {
    try {
      ran = CheckSynchronize() || ran;
      return ran;
    } catch (...) {
      ran = true;
      if (Application == nullptr) return ran;
      Application->HandleException(nullptr);
    }
  }
}

// A pass runs only what was handed over before it began, so calls that the
// last ones handed over need passes of their own. Bounded, so that a thread
// that keeps handing over cannot hold the exit.
constexpr int kFinalDrainPasses = 100;

// Inside a datagram, a tick or a host wait the user's input stays queued (the
// window system keeps it, in order) for the loop that runs next without a hold.
QEventLoop::ProcessEventsFlags MessagesToProcess() {
  return InputHeld() ? QEventLoop::ExcludeUserInputEvents : QEventLoop::AllEvents;
}

}  // namespace

void RunModalLoop(const std::function<bool()>& Finished) {
  QEventLoop loop;
  if (gLoops != nullptr) gLoops->push_back(&loop);
  while (!Finished() && Application != nullptr) {
    DrainHandOvers();
    if (Finished()) break;
    loop.exec();
  }
  if (gLoops != nullptr && !gLoops->empty() && gLoops->back() == &loop) gLoops->pop_back();
}

void WakeModalLoops() {
  if (gLoops == nullptr) return;
  for (QEventLoop* loop : *gLoops) loop->exit();
}

void PostToMainLoop(std::function<void()> Call) {
  if (gPoster == nullptr) return;
  QMetaObject::invokeMethod(
      gPoster, [Call = std::move(Call)] { GuardedCall(nullptr, Call); }, Qt::QueuedConnection);
}

TApplication::TApplication(int& argc, char** argv) : TComponent(nullptr), FImpl(new TImpl) {
  if (QApplication::instance() == nullptr) FImpl->App = CreateHostApplication(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  MarkMainThread();
  Application = this;
  static TScreen screen;
  Screen = &screen;
  gLoops = &FImpl->Loops;
  FImpl->Poster = new QObject();
  gPoster = FImpl->Poster;
  QObject* poster = FImpl->Poster;
  SetMessagePump([this] { ProcessMessages(); });
  SetWakeMainThread([poster] {
    QMetaObject::invokeMethod(poster, [] { DrainHandOvers(); }, Qt::QueuedConnection);
  });
  if (argc > 0 && argv != nullptr && argv[0] != nullptr)
    FTitle = HostText(QFileInfo(QString::fromLocal8Bit(argv[0])).completeBaseName());
  RegisterCoreLayoutClasses();
}

TApplication::~TApplication() {
  SetMessagePump(nullptr);
  SetWakeMainThread(nullptr);
  Destroying();
  DestroyComponents();
  FMainForm = nullptr;
  FActiveForm = nullptr;
  gPoster = nullptr;
  gLoops = nullptr;
  delete FImpl->Poster;
  FImpl->App.reset();
  Application = nullptr;
  Screen = nullptr;
  delete FImpl;
}

// The title names the program in its boxes only. It is not given to Qt as the
// display name: Qt would append that to every window's caption, and a
// window's caption is exactly the text the form sets.
void TApplication::SetTitle(const std::string& Value) { FTitle = Value; }

void TApplication::FormCreated(TCustomForm* Form) {
  if (FMainForm == nullptr) FMainForm = Form;
  Form->AfterConstruction();
}

void TApplication::Run() {
  FRunning = true;
  if (FMainForm != nullptr && !FMainForm->Visible())
    GuardedCall(FMainForm, [this] { FMainForm->Show(); });
  RunModalLoop([this] { return FTerminated.load(); });
  // Calls handed over while the loop was ending (a window that frees itself
  // once its own callback has returned, say) still run: after Run nothing
  // drains them, and what they were to free would be left behind.
  for (int pass = 0; pass < kFinalDrainPasses && DrainHandOvers(); ++pass) {
  }
  FRunning = false;
}

void TApplication::ProcessMessages() {
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents(MessagesToProcess());
  DrainHandOvers();
}

void TApplication::HandleMessage() {
  QCoreApplication::processEvents(MessagesToProcess() | QEventLoop::WaitForMoreEvents);
  DrainHandOvers();
}

void TApplication::Terminate() {
  FTerminated = true;
  WakeModalLoops();
}

void TApplication::HandleException(TObject* Sender) {
  std::exception_ptr failure = std::current_exception();
  if (!failure) return;
  try {
    try {
      std::rethrow_exception(failure);
    } catch (const EAbort&) {
      return;
    } catch (const std::exception& e) {
      if (FOnException)
        FOnException(Sender, e);
      else
        ShowException(e);
    } catch (...) {
      const Exception unknown("Unknown exception");
      if (FOnException)
        FOnException(Sender, unknown);
      else
        ShowException(unknown);
    }
  } catch (...) {
    // The error box itself failed; nothing is left to report it with, and
    // the message loop must go on.
  }
}

void TApplication::ShowException(const std::exception& E) {
  std::string message = E.what();
  if (!message.empty() && message.back() != '.') message += '.';
  TMessageBox box;
  box.Kind = mtError;
  box.Caption = FTitle;
  box.Text = message;
  box.Buttons = mbOK;
  ShowMessageBox(box);
}

TModalResult TApplication::RunModalBox(const std::function<TModalResult()>& Show) {
  TCustomForm* previous = FActiveForm;
  if (previous != nullptr) SetActiveForm(nullptr);
  TModalResult result = mrNone;
  try {
    result = Show();
  } catch (...) {
    if (previous != nullptr && IsLiveControl(previous) && previous->Visible())
      SetActiveForm(previous);
    throw;
  }
  if (previous != nullptr && IsLiveControl(previous) && previous->Visible() && FActiveForm == nullptr)
    SetActiveForm(previous);
  return result;
}

void TApplication::SetActiveForm(TCustomForm* Form) {
  if (Form == FActiveForm) return;
  if (Form != nullptr && !IsLiveControl(Form)) return;
  TCustomForm* old = FActiveForm;
  FActiveForm = Form;
  if (old != nullptr && IsLiveControl(old)) old->SetActive(false);
  if (Form != nullptr && FActiveForm == Form) {
    QWidget* w = ControlWidget(Form);
    if (w->isVisible() && QApplication::activeWindow() != w) {
      ExpectWindowActivation(Form);
      w->activateWindow();
    }
    Form->SetActive(true);
  }
}

void TApplication::FormDestroying(TCustomForm* Form) {
  if (FMainForm == Form) FMainForm = nullptr;
  if (FActiveForm == Form) FActiveForm = nullptr;
}

void TApplication::Guarded(TObject* Sender, const std::function<void()>& Call) {
  GuardedCall(Sender, Call);
}

void TApplication::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove) {
    if (AComponent == FMainForm) FMainForm = nullptr;
    if (AComponent == FActiveForm) FActiveForm = nullptr;
  }
}

int TScreen::Width() const {
  QScreen* s = QGuiApplication::primaryScreen();
  return s != nullptr ? s->geometry().width() : 0;
}

int TScreen::Height() const {
  QScreen* s = QGuiApplication::primaryScreen();
  return s != nullptr ? s->geometry().height() : 0;
}

void TScreen::SetCursor(TCursor Value) {
  if (FCursor == Value) return;
  const bool had = FCursor != crDefault;
  FCursor = Value;
  if (Value == crDefault) {
    if (had) QApplication::restoreOverrideCursor();
  } else if (had) {
    QApplication::changeOverrideCursor(QtCursorOf(Value));
  } else {
    QApplication::setOverrideCursor(QtCursorOf(Value));
  }
}

HCURSOR TScreen::Cursors(TCursor Index) const {
  auto found = FCursors.find(Index);
  return found == FCursors.end() ? nullptr : found->second;
}

void TScreen::SetCursors(TCursor Index, HCURSOR Value) {
  if (Value == nullptr)
    FCursors.erase(Index);
  else
    FCursors[Index] = std::move(Value);
}

TCustomForm* TScreen::ActiveForm() const {
  return Application != nullptr ? Application->ActiveForm() : nullptr;
}

TWinControl* TScreen::ActiveControl() const {
  TCustomForm* form = ActiveForm();
  return form != nullptr ? form->ActiveControl() : nullptr;
}
