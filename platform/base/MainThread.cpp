#include "platform/base/MainThread.h"

#include "platform/base/InputHold.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

namespace {

// One call handed to the UI thread. A waiting caller (Synchronize) sleeps on
// Done until the UI thread has run the call and stored any exception.
struct THandOver {
  std::function<void()> Call;
  std::uint64_t Serial = 0;  // order of handing over
  bool Waited = false;
  bool Done = false;
  std::exception_ptr Failure;
};

struct TMainThreadState {
  std::mutex Lock;
  std::condition_variable Finished;
  std::deque<std::shared_ptr<THandOver>> Pending;
  std::uint64_t NextSerial = 0;
  // The wake-up hook has a lock of its own, held while the hook runs: a hook
  // being replaced (the application removes its hook before it frees what
  // the hook posts to) is never still running in another thread afterwards.
  // Lock is not held meanwhile, so the UI thread can drain while a hook runs.
  std::mutex WakeLock;
  std::function<void()> Wake;
  std::thread::id MainId = std::this_thread::get_id();
};

TMainThreadState& State() {
  static TMainThreadState state;
  return state;
}

// The thread that loads the program (runs static initialisers) is the UI
// thread until MarkMainThread says otherwise.
const bool gMainThreadKnown = (State(), true);

void HandOver(const std::shared_ptr<THandOver>& item) {
  TMainThreadState& s = State();
  {
    std::lock_guard<std::mutex> guard(s.Lock);
    item->Serial = s.NextSerial++;
    s.Pending.push_back(item);
  }
  std::lock_guard<std::mutex> guard(s.WakeLock);
  if (s.Wake) s.Wake();
}

}  // namespace

void MarkMainThread() {
  TMainThreadState& s = State();
  std::lock_guard<std::mutex> guard(s.Lock);
  s.MainId = std::this_thread::get_id();
}

bool IsMainThread() {
  TMainThreadState& s = State();
  std::lock_guard<std::mutex> guard(s.Lock);
  return s.MainId == std::this_thread::get_id();
}

void Synchronize(std::function<void()> Call) {
  if (!Call) return;
  if (IsMainThread()) {
    Call();
    return;
  }
  auto item = std::make_shared<THandOver>();
  item->Call = std::move(Call);
  item->Waited = true;
  HandOver(item);
  TMainThreadState& s = State();
  std::exception_ptr failure;
  {
    std::unique_lock<std::mutex> guard(s.Lock);
    s.Finished.wait(guard, [&] { return item->Done; });
    // Taken over under the lock: the exception then lives in this thread only.
    failure = std::move(item->Failure);
  }
  if (failure) std::rethrow_exception(failure);
}

void Queue(std::function<void()> Call) {
  if (!Call) return;
  auto item = std::make_shared<THandOver>();
  item->Call = std::move(Call);
  HandOver(item);
}

bool CheckSynchronize() {
  if (!IsMainThread()) return false;
  TMainThreadState& s = State();
  bool ran = false;
  // Only the calls handed over before this pass began run in it. A listener
  // hands the next datagram over the moment the last one has been handled;
  // under a flood it would keep the UI thread in here for good, and no
  // timer, paint or input would get its turn. Each call is taken out before
  // it runs so a nested drain cannot run it twice.
  std::uint64_t end = 0;
  {
    std::lock_guard<std::mutex> guard(s.Lock);
    end = s.NextSerial;
  }
  for (;;) {
    std::shared_ptr<THandOver> item;
    {
      std::lock_guard<std::mutex> guard(s.Lock);
      if (s.Pending.empty() || s.Pending.front()->Serial >= end) break;
      item = s.Pending.front();
      s.Pending.pop_front();
    }
    ran = true;
    std::exception_ptr failure;
    try {
      // A handed-over call is work another thread waits on or depends on.
      TInputHold hold;
      item->Call();
    } catch (...) {
      failure = std::current_exception();
    }
    item->Call = nullptr;  // release captured state on the UI thread
    if (item->Waited) {
      std::lock_guard<std::mutex> guard(s.Lock);
      item->Failure = std::move(failure);
      item->Done = true;
      s.Finished.notify_all();
    } else if (failure) {
      // Nobody waits for a queued call: its failure belongs to the UI thread.
      std::rethrow_exception(failure);
    }
  }
  return ran;
}

void SetWakeMainThread(std::function<void()> Wake) {
  TMainThreadState& s = State();
  std::function<void()> previous;
  {
    std::lock_guard<std::mutex> guard(s.WakeLock);
    previous = std::exchange(s.Wake, std::move(Wake));
  }
  // The old hook (and what it captured) goes away outside the lock.
}
