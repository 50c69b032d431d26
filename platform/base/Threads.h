#pragma once
// Threads of the program: TThread (a body in Execute, started, parked and
// told to stop), recursive critical sections, sleeping and tick counts.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/base/Events.h"
#include "platform/base/Object.h"

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// The calling thread's id (the kernel's thread id).
unsigned long GetCurrentThreadId();

class TThread : public TObject {
 public:
  // A thread created suspended starts at Start (or Resume). C++ cannot run
  // code after the most derived constructor, so a thread created not
  // suspended starts when that constructor calls AfterConstruction() as its
  // last step (or at the first Start/Resume, whichever comes first).
  explicit TThread(bool CreateSuspended);
  // Tells a running thread to terminate, releases it when parked and waits
  // for it; a thread that never started is just dropped. C++ destroys a
  // derived class's members before this runs: a derived class whose Execute
  // uses its own members calls Terminate() and WaitFor() in its destructor.
  ~TThread() override;

  void AfterConstruction();
  void Start();
  // Parking counts: each Suspend adds one, each Resume removes one; the
  // thread runs while none is left. Another thread's Suspend takes effect
  // when the thread reaches its next WaitWhileSuspended (it is never stopped
  // in the middle of its work, holding locks); the thread's own Suspend parks
  // it at once.
  void Suspend();
  void Resume();
  bool Suspended() const;

  void Terminate() { FTerminated = true; }
  bool Terminated() const { return FTerminated; }
  bool Finished() const { return FFinished; }
  // Waits until Execute has returned; gives ReturnValue. On the UI thread it
  // keeps running calls handed over by other threads meanwhile, so a worker
  // inside Synchronize cannot dead-lock with it.
  int WaitFor();

  bool FreeOnTerminate() const { return FFreeOnTerminate; }
  void SetFreeOnTerminate(bool Value) { FFreeOnTerminate = Value; }
  // Accepted always; Linux honours only lowering a thread's priority.
  TThreadPriority Priority() const { return FPriority; }
  void SetPriority(TThreadPriority Value);
  // 0 until the thread has started.
  unsigned long ThreadID() const { return FThreadID; }

  int ReturnValue() const { return FReturnValue; }
  // An exception that escaped Execute (nullptr when none).
  std::exception_ptr FatalException() const { return FFatalException; }

  // Runs on the UI thread (through Synchronize) after Execute has returned.
  TNotifyEvent OnTerminate;

  // Runs Method on the UI thread while this thread waits (MainThread.h).
  void Synchronize(std::function<void()> Method);

 protected:
  virtual void Execute() = 0;
  // The place where another thread's Suspend parks this thread.
  void WaitWhileSuspended();
  void SetReturnValue(int Value) { FReturnValue = Value; }

 private:
  struct TState;
  static void Run(TThread* Self, std::shared_ptr<TState> State);
  void Launch();
  void ApplyPriority();

  std::shared_ptr<TState> FState;
  std::atomic<bool> FTerminated{false};
  std::atomic<bool> FFinished{false};
  std::atomic<bool> FFreeOnTerminate{false};
  std::atomic<TThreadPriority> FPriority{tpNormal};
  std::atomic<unsigned long> FThreadID{0};
  int FReturnValue = 0;
  std::exception_ptr FFatalException;
};

// Recursive lock: the owning thread may enter again; each Enter needs a Leave.
class TCriticalSection : public TObject {
 public:
  void Enter() { FLock.lock(); }
  void Leave() { FLock.unlock(); }
  bool TryEnter() { return FLock.try_lock(); }
  void Acquire() { Enter(); }
  void Release() { Leave(); }

 private:
  std::recursive_mutex FLock;
};

// Sleeps Milliseconds; returns 0 when the full time has passed. Nothing here
// queues alerts to a thread, so an alertable sleep always runs to its end.
unsigned SleepEx(unsigned Milliseconds, bool Alertable);
void Sleep(unsigned Milliseconds);
// Milliseconds since an arbitrary start, wrapping at 2^32.
std::uint32_t GetTickCount();
