#pragma once
// TGxTimer: a timer component whose tick runs either on a worker thread of
// its own (Threaded, the default) or from the message loop of the
// user-interface thread (a window timer). In threaded mode the tick is handed
// to the user-interface thread while the worker waits (SyncEvent) or runs on
// the worker itself, which lets an animation keep turning while the
// user-interface thread is busy.
//
// The worker is parked only between ticks, and it holds no lock of the
// timer's while a handler runs, so a handler may take locks of its own that
// a thread changing the timer holds. A setter never waits for a tick: once
// one stops the timer no new tick starts, while a handler already running
// on the worker runs to its end. The destructor waits for that handler, so
// once it returns no tick runs against what the handler uses. A
// reconfiguration made by a tick on the worker itself takes effect at the
// worker's next sleep. The timer may be freed by its own tick, on the worker
// or in a call the worker handed to the user-interface thread: the
// destructor then returns at once, and the worker ends after the tick
// without touching the timer.
#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/base/Component.h"
#include "platform/base/Consts.h"
#include "platform/base/Events.h"
#include "platform/base/Threads.h"
#include "platform/base/Types.h"

class TGxTimer;
class TTimerThread;
class TTimerWindow;
struct TTimerLink;


// Window timers one process may hold at a time (the host's quota); setting
// one more fails.
inline constexpr int MaxWindowTimers = 10000;

class TGxTimer : public TComponent {
 public:
  explicit TGxTimer(TComponent* AOwner);
  ~TGxTimer() override;

  // Safe to ask from the worker: a handler may look whether it still runs.
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  Cardinal Interval() const { return FInterval; }
  void SetInterval(Cardinal Value);
  // Read by the worker at every tick; changing it does not reconfigure.
  bool SyncEvent() const { return FSyncEvent; }
  void SetSyncEvent(bool Value);
  bool Threaded() const { return FThreaded; }
  void SetThreaded(bool Value);
  TThreadPriority ThreadPriority() const { return FThreadPriority; }
  void SetThreadPriority(TThreadPriority Value);
  const TNotifyEvent& OnTimer() const { return FOnTimer; }
  void SetOnTimer(TNotifyEvent Value);

  // Runs Method on the user-interface thread: at once when called there,
  // else handed over while the calling thread waits.
  void RunInMainThread(const std::function<void()>& Method);

  // Fires OnTimer (Sender = this) when Enabled, assigned and not being destroyed.
  virtual void FireTimer();

  // The worker thread (for priorities and tests); never replaced.
  TTimerThread* Worker() const { return FWorker; }
  // Whether a window timer is set right now (window mode).
  bool WindowTimerActive() const;

 private:
  friend class TTimerThread;
  // Called with the change lock held by Guard, which it may let go.
  void ReconfigureTimer(std::unique_lock<std::recursive_mutex>& Guard);
  // Sets or removes the window timer as the mode asks (user-interface thread).
  void MatchWindowTimer();
  bool ShouldRun() const { return FInterval != 0 && FEnabled && bool(FOnTimer); }
  void SetWindowTimer();

  std::atomic<bool> FEnabled{true};
  Cardinal FInterval = 1000;
  std::atomic<bool> FSyncEvent{true};
  bool FThreaded = true;
  TThreadPriority FThreadPriority = tpNormal;
  TNotifyEvent FOnTimer;

  std::unique_ptr<TTimerWindow> FTimerWindow;
  TTimerThread* FWorker = nullptr;  // owned; ended and freed by the destructor
  std::shared_ptr<TTimerLink> FLink;
};

class TTimerThread : public TThread {
 public:
  TTimerThread(std::shared_ptr<TTimerLink> Link, bool Enabled);
  ~TTimerThread() override;

  Cardinal SleepInterval() const { return FSleepInterval; }

 protected:
  void Execute() override;

 private:
  friend class TGxTimer;
  bool TimerThreadStopping();
  void ShowTimerException();
  // Sleeps the interval; false when the timer went away meanwhile.
  bool SleepFullInterval();
  // Waits until the timer should tick; false when it went away.
  bool WaitUntilRunning();
  void Tick();

  std::shared_ptr<TTimerLink> FLink;
  std::atomic<Cardinal> FSleepInterval{1000};
  bool FReleased = false;  // resumed at least once (its thread exists)
  std::exception_ptr FPendingException;
};
