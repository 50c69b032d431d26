#include "platform/base/Threads.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "platform/base/MainThread.h"

unsigned long GetCurrentThreadId() { return static_cast<unsigned long>(::syscall(SYS_gettid)); }

// Shared between the object and its running thread, so the thread can finish
// its bookkeeping even after a free-on-terminate object has been deleted.
struct TThread::TState {
  std::mutex Lock;
  std::condition_variable Changed;
  int SuspendCount = 0;
  bool CreateSuspended = false;
  bool Launched = false;
  bool Finished = false;
  std::thread Worker;
};

TThread::TThread(bool CreateSuspended) : FState(std::make_shared<TState>()) {
  FState->CreateSuspended = CreateSuspended;
  FState->SuspendCount = CreateSuspended ? 1 : 0;
}

TThread::~TThread() {
  std::shared_ptr<TState> state = FState;
  std::unique_lock<std::mutex> guard(state->Lock);
  if (!state->Launched) return;
  if (state->Worker.get_id() == std::this_thread::get_id()) {
    // Free on terminate: the thread deletes its own object on its way out.
    state->Worker.detach();
    return;
  }
  if (!state->Finished) {
    Terminate();
    state->SuspendCount = 0;
    state->Changed.notify_all();
    guard.unlock();
    WaitFor();
    guard.lock();
  }
  if (state->Worker.joinable()) {
    guard.unlock();
    state->Worker.join();
  }
}

void TThread::Launch() {
  // Called with FState->Lock held.
  FState->Launched = true;
  FState->Worker = std::thread(&TThread::Run, this, FState);
}

void TThread::AfterConstruction() {
  std::lock_guard<std::mutex> guard(FState->Lock);
  if (!FState->Launched && FState->SuspendCount == 0) Launch();
}

void TThread::Start() { Resume(); }

void TThread::Resume() {
  std::lock_guard<std::mutex> guard(FState->Lock);
  if (FState->SuspendCount > 0) --FState->SuspendCount;
  if (FState->SuspendCount > 0) return;
  if (!FState->Launched) Launch();
  else FState->Changed.notify_all();
}

void TThread::Suspend() {
  bool own = false;
  {
    std::lock_guard<std::mutex> guard(FState->Lock);
    if (FState->Finished) return;
    ++FState->SuspendCount;
    own = FState->Launched && FState->Worker.get_id() == std::this_thread::get_id();
  }
  if (own) WaitWhileSuspended();
}

bool TThread::Suspended() const {
  std::lock_guard<std::mutex> guard(FState->Lock);
  return FState->SuspendCount > 0;
}

void TThread::WaitWhileSuspended() {
  std::unique_lock<std::mutex> guard(FState->Lock);
  FState->Changed.wait(guard, [&] { return FState->SuspendCount == 0; });
}

int TThread::WaitFor() {
  std::shared_ptr<TState> state = FState;
  std::unique_lock<std::mutex> guard(state->Lock);
  if (!state->Launched) return FReturnValue;  // nothing will ever finish
  if (!IsMainThread()) {
    state->Changed.wait(guard, [&] { return state->Finished; });
    return FReturnValue;
  }
  while (!state->Finished) {
    state->Changed.wait_for(guard, std::chrono::milliseconds(2), [&] { return state->Finished; });
    if (state->Finished) break;
    guard.unlock();
    CheckSynchronize();
    guard.lock();
  }
  return FReturnValue;
}

void TThread::SetPriority(TThreadPriority Value) {
  FPriority = Value;
  ApplyPriority();
}

void TThread::ApplyPriority() {
  unsigned long id = FThreadID;
  if (id == 0) return;
  int nice = 0;
  switch (FPriority.load()) {
    case tpIdle: nice = 19; break;
    case tpLowest: nice = 10; break;
    case tpLower: nice = 5; break;
    default: nice = 0; break;
  }
  // Raising a priority needs privileges the program does not have: the
  // failure is expected and changes nothing.
  (void)::setpriority(PRIO_PROCESS, id_t(id), nice);
}

void TThread::Synchronize(std::function<void()> Method) { ::Synchronize(std::move(Method)); }

void TThread::Run(TThread* Self, std::shared_ptr<TState> State) {
  Self->FThreadID = GetCurrentThreadId();
  Self->ApplyPriority();
  try {
    Self->Execute();
  } catch (...) {
    Self->FFatalException = std::current_exception();
  }
  if (Self->OnTerminate) {
    try {
      ::Synchronize([Self] { Self->OnTerminate(Self); });
    } catch (...) {
      if (!Self->FFatalException) Self->FFatalException = std::current_exception();
    }
  }
  const bool freeIt = Self->FFreeOnTerminate;
  Self->FFinished = true;
  {
    std::lock_guard<std::mutex> guard(State->Lock);
    State->Finished = true;
    State->Changed.notify_all();
  }
  // After the notification another thread may delete a thread that does not
  // free itself: Self is not touched again then.
  if (freeIt) delete Self;
}

unsigned SleepEx(unsigned Milliseconds, bool /*Alertable*/) {
  struct timespec wait {
    time_t(Milliseconds / 1000), long(Milliseconds % 1000) * 1000000L
  };
  while (::nanosleep(&wait, &wait) != 0) {
  }
  return 0;
}

void Sleep(unsigned Milliseconds) { SleepEx(Milliseconds, false); }

std::uint32_t GetTickCount() {
  struct timespec now {};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return std::uint32_t(std::uint64_t(now.tv_sec) * 1000u + std::uint64_t(now.tv_nsec) / 1000000u);
}
