#include "widgets/gx/GxTimer.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/base/Exceptions.h"
#include "platform/base/MainThread.h"
#include "platform/controls/Application.h"
#include "platform/controls/Timer.h"

// What the timer and its worker share. The worker reaches the timer only
// through Owner, which the timer clears when it goes.
struct TTimerLink {
  // Serialises changes of the timer's state (its setters, its destruction)
  // with a tick's look at that state. Never held while a handler runs, nor
  // while its holder waits for another thread: a handler may take locks of
  // its own (the animator's paint lock) that a thread changing the timer
  // already holds, and the two would wait for each other.
  std::recursive_mutex ChangeLock;
  std::atomic<TGxTimer*> Owner{nullptr};
  // Above 0 while the user-interface thread runs a call handed over by the
  // worker: the worker waits for it then, so the destructor must not wait
  // for the worker (it would wait for itself).
  std::atomic<int> InsideHandOver{0};

  std::mutex WakeLock;
  std::condition_variable Wake;
  bool Running = false;  // the timer should tick
  bool Gone = false;     // the timer is being destroyed

  void SetRunning(bool Value) {
    std::lock_guard<std::mutex> guard(WakeLock);
    Running = Value;
    Wake.notify_all();
  }
};

namespace {

std::atomic<int> WindowTimersInUse{0};

// Takes the change lock, on any thread by a plain wait. No holder of the lock
// waits for another thread: the worker hands a window-mode change over only
// after it has let go of it. So the user-interface thread waits only briefly
// here and runs no handed-over call meanwhile, which would run under
// whatever lock its caller holds (an animator's paint lock).
std::unique_lock<std::recursive_mutex> LockForChange(TTimerLink& Link) {
  return std::unique_lock<std::recursive_mutex>(Link.ChangeLock);
}

// Runs Call on the user-interface thread while the calling worker waits,
// marked as a hand-over of Link's worker for as long as it runs.
void HandOver(const std::shared_ptr<TTimerLink>& Link, const std::function<void()>& Call) {
  Synchronize([&Link, &Call] {
    struct TMark {
      std::atomic<int>& Count;
      explicit TMark(std::atomic<int>& C) : Count(C) { ++Count; }
      ~TMark() { --Count; }
    } mark(Link->InsideHandOver);
    Call();
  });
}

void ReportException(TObject* Sender) {
  if (Application != nullptr) {
    Application->HandleException(Sender);
    return;
  }
  try {
    throw;
  } catch (const EAbort&) {
  } catch (...) {
  }
}

}  // namespace

// The hidden window that carries window timer 1: its ticks arrive from the
// message loop of the user-interface thread.
class TTimerWindow {
 public:
  explicit TTimerWindow(TGxTimer* Target) : FHost(nullptr), FTarget(Target) {}
  ~TTimerWindow() { KillTimer(); }

  // False when the process has no window timer left.
  bool SetTimer(Cardinal Milliseconds) {
    KillTimer();
    if (WindowTimersInUse.fetch_add(1) >= MaxWindowTimers) {
      WindowTimersInUse.fetch_sub(1);
      return false;
    }
    FSet = true;
    FHost.SetOnTimer(nullptr);
    FHost.SetInterval(Milliseconds);
    FHost.SetEnabled(true);
    FHost.SetOnTimer([this](TObject*) { TimerWndProc(); });
    return true;
  }
  void KillTimer() {
    if (!FSet) return;
    FHost.SetOnTimer(nullptr);
    FSet = false;
    WindowTimersInUse.fetch_sub(1);
  }
  bool Active() const { return FSet; }

 private:
  void TimerWndProc() {
    try {
      FTarget->FireTimer();
    } catch (...) {
      ReportException(FTarget);
    }
  }

  TTimer FHost;
  TGxTimer* FTarget;
  bool FSet = false;
};

// ---------------------------------------------------------------------------

TGxTimer::TGxTimer(TComponent* AOwner)
    : TComponent(AOwner), FLink(std::make_shared<TTimerLink>()) {
  FLink->Owner = this;
  FWorker = new TTimerThread(FLink, false);
}

TGxTimer::~TGxTimer() {
  {
    auto guard = LockForChange(*FLink);
    Destroying();
    FEnabled = false;
    FOnTimer = nullptr;
    FLink->Owner = nullptr;
    std::lock_guard<std::mutex> wake(FLink->WakeLock);
    FLink->Gone = true;
    FLink->Running = false;
    FLink->Wake.notify_all();
  }
  FTimerWindow.reset();
  FWorker->Terminate();
  // A worker never released has no thread to end.
  if (FWorker->FReleased)
    while (FWorker->Suspended()) FWorker->Resume();
  const unsigned long workerId = FWorker->ThreadID();
  const bool onWorker = workerId != 0 && workerId == GetCurrentThreadId();
  if (onWorker || (IsMainThread() && FLink->InsideHandOver > 0)) {
    // Freed by its own tick, on the worker or in a call the worker handed
    // over and now waits for: waiting here would never end. The worker
    // finds no owner when the tick returns, ends and frees itself.
    FWorker->SetFreeOnTerminate(true);
    FWorker = nullptr;
    return;
  }
  // The worker sees Gone at once (its sleep is cut short); a tick under way
  // is waited for, running the calls it hands over meanwhile, which find no
  // owner.
  delete FWorker;
  FWorker = nullptr;
}

void TGxTimer::SetEnabled(bool Value) {
  auto guard = LockForChange(*FLink);
  if (Value == FEnabled) return;
  FEnabled = Value;
  ReconfigureTimer(guard);
}

void TGxTimer::SetInterval(Cardinal Value) {
  auto guard = LockForChange(*FLink);
  if (Value == FInterval) return;
  FInterval = Value;
  ReconfigureTimer(guard);
}

// A plain stored value the worker reads at every tick: nothing to wait for.
void TGxTimer::SetSyncEvent(bool Value) { FSyncEvent = Value; }

void TGxTimer::SetThreaded(bool Value) {
  auto guard = LockForChange(*FLink);
  if (Value == FThreaded) return;
  FThreaded = Value;
  ReconfigureTimer(guard);
}

void TGxTimer::SetThreadPriority(TThreadPriority Value) {
  auto guard = LockForChange(*FLink);
  if (Value == FThreadPriority) return;
  FThreadPriority = Value;
  if (FThreaded) ReconfigureTimer(guard);
}

void TGxTimer::SetOnTimer(TNotifyEvent Value) {
  auto guard = LockForChange(*FLink);
  const bool wasAssigned = bool(FOnTimer);
  FOnTimer = std::move(Value);
  if (wasAssigned != bool(FOnTimer)) ReconfigureTimer(guard);
}

bool TGxTimer::WindowTimerActive() const { return FTimerWindow && FTimerWindow->Active(); }

void TGxTimer::RunInMainThread(const std::function<void()>& Method) {
  if (IsMainThread()) {
    Method();
    return;
  }
  // A copy: Method may free this timer, and FLink with it.
  const std::shared_ptr<TTimerLink> link = FLink;
  HandOver(link, Method);
}

void TGxTimer::FireTimer() {
  TNotifyEvent handler;  // a copy: the handler may replace or clear it
  {
    auto guard = LockForChange(*FLink);
    if (!FEnabled || IsDestroying() || !FOnTimer) return;
    handler = FOnTimer;
  }
  handler(this);
}

void TGxTimer::ReconfigureTimer(std::unique_lock<std::recursive_mutex>& Guard) {
  const unsigned long workerId = FWorker->ThreadID();
  const bool onWorker = workerId != 0 && workerId == GetCurrentThreadId();
  // From the worker, the window is set or removed on the user-interface
  // thread (below); a change of a threaded timer with no window has none.
  const bool windowWork = !FThreaded || FTimerWindow != nullptr;
  if (FThreaded) {
    if (FTimerWindow && !onWorker) FTimerWindow.reset();
    // The worker parks at its next pass; from within a tick it only learns
    // the new state, which it obeys before its next sleep.
    if (!onWorker && !FWorker->Suspended()) FWorker->Suspend();
    FWorker->FSleepInterval = FInterval;
    FLink->SetRunning(ShouldRun());
    if (ShouldRun()) {
      FWorker->SetPriority(FThreadPriority);
      if (!onWorker) {
        FWorker->FReleased = true;
        while (FWorker->Suspended()) FWorker->Resume();
      }
    }
  } else {
    if (!onWorker && !FWorker->Suspended()) FWorker->Suspend();
    FLink->SetRunning(false);
    if (!onWorker) SetWindowTimer();
  }
  if (!onWorker || !windowWork) return;
  // A change made from a tick on the worker: the window timer is set or
  // removed by the user-interface thread, while the worker waits with the
  // change lock let go, so that a thread waiting for it meanwhile neither
  // waits for this one nor has to run the hand-over itself. What the
  // timer's state is by then decides.
  Guard.unlock();
  const std::shared_ptr<TTimerLink> link = FLink;
  HandOver(link, [&link] {
    TGxTimer* target = link->Owner;
    if (target != nullptr) target->MatchWindowTimer();
  });
}

void TGxTimer::MatchWindowTimer() {
  auto guard = LockForChange(*FLink);
  if (FThreaded)
    FTimerWindow.reset();
  else
    SetWindowTimer();
}

void TGxTimer::SetWindowTimer() {
  if (FTimerWindow)
    FTimerWindow->KillTimer();
  else
    FTimerWindow = std::make_unique<TTimerWindow>(this);
  if (ShouldRun() && !FTimerWindow->SetTimer(FInterval)) throw EOutOfResources(SNoTimers);
}

// ---------------------------------------------------------------------------

TTimerThread::TTimerThread(std::shared_ptr<TTimerLink> Link, bool Enabled)
    : TThread(!Enabled), FLink(std::move(Link)) {
  AfterConstruction();
}

TTimerThread::~TTimerThread() {
  Terminate();
  {
    std::lock_guard<std::mutex> wake(FLink->WakeLock);
    FLink->Wake.notify_all();
  }
  WaitFor();
}

bool TTimerThread::TimerThreadStopping() {
  if (Terminated()) return true;
  if (Application != nullptr && Application->Terminated()) return true;
  std::lock_guard<std::mutex> wake(FLink->WakeLock);
  return FLink->Gone;
}

bool TTimerThread::WaitUntilRunning() {
  std::unique_lock<std::mutex> wake(FLink->WakeLock);
  FLink->Wake.wait(wake, [&] { return FLink->Running || FLink->Gone || Terminated(); });
  return !FLink->Gone && !Terminated();
}

bool TTimerThread::SleepFullInterval() {
  // A full, uninterrupted sleep unless the timer goes away meanwhile.
  std::unique_lock<std::mutex> wake(FLink->WakeLock);
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(FSleepInterval.load());
  return !FLink->Wake.wait_until(wake, deadline, [&] { return FLink->Gone || Terminated(); });
}

void TTimerThread::Execute() {
  while (!Terminated()) {
    WaitWhileSuspended();
    if (TimerThreadStopping()) {
      if (Terminated()) break;
      // The application is closing: no sleep, no tick, until the timer goes.
      std::unique_lock<std::mutex> wake(FLink->WakeLock);
      if (FLink->Gone) break;
      FLink->Wake.wait_for(wake, std::chrono::milliseconds(20));
      continue;
    }
    if (!WaitUntilRunning()) continue;
    if (!SleepFullInterval()) continue;
    Tick();
  }
}

void TTimerThread::Tick() {
  if (TimerThreadStopping()) return;
  // The state is read under the change lock, the handler runs without it.
  // The timer stays alive meanwhile: its destructor waits for this thread,
  // but when the tick itself frees it (on this thread, or in a call handed
  // over), after which the tick touches nothing of it.
  TGxTimer* owner;
  bool sync;
  {
    std::lock_guard<std::recursive_mutex> change(FLink->ChangeLock);
    owner = FLink->Owner;
    if (owner == nullptr || !owner->ShouldRun()) return;
    sync = owner->FSyncEvent;
  }
  if (sync) {
    std::shared_ptr<TTimerLink> link = FLink;
    HandOver(link, [&link] {
      TGxTimer* target = link->Owner;
      if (target == nullptr) return;
      try {
        target->FireTimer();
      } catch (...) {
        ReportException(link->Owner);
      }
    });
    return;
  }
  try {
    owner->FireTimer();
  } catch (...) {
    FPendingException = std::current_exception();
  }
  if (FPendingException) ShowTimerException();
}

void TTimerThread::ShowTimerException() {
  std::exception_ptr pending = FPendingException;
  FPendingException = nullptr;
  std::shared_ptr<TTimerLink> link = FLink;
  HandOver(link, [&link, pending] {
    try {
      std::rethrow_exception(pending);
    } catch (...) {
      ReportException(link->Owner);
    }
  });
}
