#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "platform/base/Exceptions.h"
#include "platform/base/MainThread.h"
#include "platform/base/Threads.h"

namespace {

class TCountingThread : public TThread {
 public:
  explicit TCountingThread(bool suspended) : TThread(suspended) {}
  ~TCountingThread() override {
    Terminate();
    Resume();
    WaitFor();
  }
  std::atomic<int> passes{0};
  std::atomic<bool> parkedOnce{false};

 protected:
  void Execute() override {
    while (!Terminated()) {
      WaitWhileSuspended();
      ++passes;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    SetReturnValue(7);
  }
};

class TLambdaThread : public TThread {
 public:
  TLambdaThread(std::function<void(TLambdaThread*)> body, bool suspended)
      : TThread(true), FBody(std::move(body)) {
    if (!suspended) Start();
  }
  using TThread::Synchronize;

 protected:
  void Execute() override { FBody(this); }

 private:
  std::function<void(TLambdaThread*)> FBody;
};

template <class Pred>
bool WaitUntil(Pred done) {
  auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done()) {
    if (std::chrono::steady_clock::now() > limit) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

}  // namespace

TEST(Thread, ASuspendedThreadRunsOnlyAfterStart) {
  TCountingThread t(true);
  EXPECT_TRUE(t.Suspended());
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(t.passes.load(), 0);
  EXPECT_EQ(t.ThreadID(), 0u);
  t.Start();
  EXPECT_TRUE(WaitUntil([&] { return t.passes.load() > 3; }));
  EXPECT_NE(t.ThreadID(), 0u);
  EXPECT_NE(t.ThreadID(), GetCurrentThreadId());
  t.Terminate();
  EXPECT_EQ(t.WaitFor(), 7);
  EXPECT_TRUE(t.Finished());
}

TEST(Thread, SuspensionsCountAndParkBetweenPasses) {
  TCountingThread t(false);
  t.AfterConstruction();
  ASSERT_TRUE(WaitUntil([&] { return t.passes.load() > 0; }));
  t.Suspend();
  t.Suspend();
  EXPECT_TRUE(t.Suspended());
  std::this_thread::sleep_for(std::chrono::milliseconds(10));  // let it reach its parking place
  int parkedAt = t.passes.load();
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_LE(t.passes.load(), parkedAt + 1);
  t.Resume();
  EXPECT_TRUE(t.Suspended());
  t.Resume();
  EXPECT_FALSE(t.Suspended());
  EXPECT_TRUE(WaitUntil([&] { return t.passes.load() > parkedAt + 3; }));
}

TEST(Thread, SynchronizeFromAWorkerWhileTheUiThreadWaitsForIt) {
  int onUi = 0;
  TLambdaThread t(
      [&](TLambdaThread* self) {
        for (int i = 0; i < 20; ++i) self->Synchronize([&] { onUi += IsMainThread() ? 1 : 100; });
      },
      false);
  // WaitFor on the UI thread keeps draining, so the worker cannot block it.
  t.WaitFor();
  EXPECT_EQ(onUi, 20);
}

TEST(Thread, AnExceptionInExecuteIsKeptAndOnTerminateRunsOnTheUiThread) {
  bool terminatedOnUi = false;
  TLambdaThread t([](TLambdaThread*) { throw std::runtime_error("worker failed"); }, true);
  t.OnTerminate = [&](TObject* sender) { terminatedOnUi = IsMainThread() && sender == &t; };
  t.Start();
  t.WaitFor();
  EXPECT_TRUE(terminatedOnUi);
  ASSERT_TRUE(t.FatalException());
  EXPECT_THROW(std::rethrow_exception(t.FatalException()), std::runtime_error);
}

TEST(Thread, FreeOnTerminateDeletesTheObjectOnItsWayOut) {
  static std::atomic<int> destroyed{0};
  class TSelfFreeing : public TThread {
   public:
    TSelfFreeing() : TThread(true) { SetFreeOnTerminate(true); }
    ~TSelfFreeing() override { ++destroyed; }

   protected:
    void Execute() override {}
  };
  destroyed = 0;
  (new TSelfFreeing)->Start();
  EXPECT_TRUE(WaitUntil([] { return destroyed.load() == 1; }));
}

TEST(Thread, DestroyingAParkedOrNeverStartedThreadReturns) {
  { TCountingThread never(true); }
  auto* parked = new TCountingThread(true);
  parked->Start();
  parked->Suspend();
  delete parked;  // terminates, releases and waits
  SUCCEED();
}

TEST(Thread, PriorityIsAcceptedEverywhere) {
  TCountingThread t(true);
  t.SetPriority(tpTimeCritical);
  t.Start();
  t.SetPriority(tpLower);
  t.SetPriority(tpHighest);
  EXPECT_EQ(t.Priority(), tpHighest);
}

TEST(CriticalSection, IsRecursiveAndExcludesOtherThreads) {
  TCriticalSection lock;
  lock.Enter();
  lock.Enter();
  bool otherGot = true;
  std::thread([&] { otherGot = lock.TryEnter(); }).join();
  EXPECT_FALSE(otherGot);
  lock.Leave();
  std::thread([&] { otherGot = lock.TryEnter(); }).join();
  EXPECT_FALSE(otherGot);
  lock.Leave();
  std::thread([&] {
    otherGot = lock.TryEnter();
    if (otherGot) lock.Leave();
  }).join();
  EXPECT_TRUE(otherGot);
}

TEST(Sleep, SleepExRunsTheFullTimeAndTheTickCountAdvances) {
  std::uint32_t before = GetTickCount();
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(SleepEx(30, true), 0u);
  auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_GE(elapsed, std::chrono::milliseconds(30));
  EXPECT_GE(std::uint32_t(GetTickCount() - before), 29u);
}
