#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <thread>
#include <vector>

#include "platform/base/Exceptions.h"
#include "platform/base/MainThread.h"

namespace {

// Drains hand-overs on this (the UI) thread until Done is set.
template <class Pred>
void DrainUntil(Pred done) {
  auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done() && std::chrono::steady_clock::now() < limit) {
    CheckSynchronize();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  CheckSynchronize();
}

}  // namespace

TEST(MainThread, TheTestRunnerThreadIsTheUiThread) {
  EXPECT_TRUE(IsMainThread());
  bool workerIsMain = true;
  std::thread([&] { workerIsMain = IsMainThread(); }).join();
  EXPECT_FALSE(workerIsMain);
}

TEST(MainThread, SynchronizeRunsOnTheUiThreadWhileTheWorkerWaits) {
  std::atomic<bool> finished{false};
  std::atomic<bool> ranOnMain{false};
  std::atomic<int> afterCall{-1};
  int counter = 0;  // touched only on the UI thread
  std::thread worker([&] {
    for (int i = 0; i < 50; ++i)
      Synchronize([&] {
        ranOnMain = IsMainThread();
        ++counter;
      });
    // Synchronize returned only after the UI thread had run all fifty calls.
    afterCall = counter;
    finished = true;
  });
  DrainUntil([&] { return finished.load(); });
  worker.join();
  EXPECT_TRUE(ranOnMain);
  EXPECT_EQ(afterCall, 50);
}

TEST(MainThread, AnExceptionOfTheCallIsRaisedAgainInTheWaitingThread) {
  std::atomic<bool> finished{false};
  std::string caught;
  std::thread worker([&] {
    try {
      Synchronize([] { throw EConvertError("'x' is not a valid integer value"); });
    } catch (const EConvertError& e) {
      caught = e.Message();
    }
    finished = true;
  });
  DrainUntil([&] { return finished.load(); });
  worker.join();
  EXPECT_EQ(caught, "'x' is not a valid integer value");
}

TEST(MainThread, SynchronizeOnTheUiThreadRunsAtOnceAndPropagates) {
  int ran = 0;
  Synchronize([&] { ++ran; });
  EXPECT_EQ(ran, 1);
  EXPECT_THROW(Synchronize([] { throw EAbort(); }), EAbort);
}

TEST(MainThread, QueuedCallsRunInOrderAtTheNextDrainAndWakeTheLoop) {
  std::atomic<int> wakes{0};
  SetWakeMainThread([&] { ++wakes; });
  std::vector<int> order;
  std::thread([&] {
    for (int i = 0; i < 5; ++i) Queue([&order, i] { order.push_back(i); });
  }).join();
  EXPECT_TRUE(order.empty());
  EXPECT_EQ(wakes.load(), 5);
  EXPECT_TRUE(CheckSynchronize());
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_FALSE(CheckSynchronize());
  SetWakeMainThread(nullptr);
}

// Fault mended: a listener that hands the next datagram over as soon as the
// last one has run kept the UI thread in one drain for as long as a flood
// went on; the peer's own camera ticks and paints stopped.
TEST(MainThread, ACallHandedOverDuringADrainWaitsForTheNextDrain) {
  int ran = 0;
  std::function<void()> handOverNext = [&] {
    if (++ran < 3) Queue(handOverNext);
  };
  Queue(handOverNext);
  for (int drain = 1; drain <= 3; ++drain) {
    EXPECT_TRUE(CheckSynchronize());
    EXPECT_EQ(ran, drain);
  }
  EXPECT_FALSE(CheckSynchronize());
}

// Fault mended: a thread handing a call over took a copy of the wake-up hook
// and ran it after the application had removed the hook and freed what the
// hook posts to.
TEST(MainThread, ReplacingTheWakeHookWaitsForAHookStillRunning) {
  std::atomic<bool> entered{false};
  std::atomic<bool> left{false};
  SetWakeMainThread([&] {
    entered = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    left = true;
  });
  std::thread worker([] { Queue([] {}); });
  while (!entered) std::this_thread::yield();
  SetWakeMainThread(nullptr);
  EXPECT_TRUE(left.load());
  worker.join();
  CheckSynchronize();
}

TEST(MainThread, OtherThreadsCannotDrain) {
  int ran = 0;
  Queue([&] { ++ran; });
  bool drained = true;
  std::thread([&] { drained = CheckSynchronize(); }).join();
  EXPECT_FALSE(drained);
  EXPECT_EQ(ran, 0);
  CheckSynchronize();
  EXPECT_EQ(ran, 1);
}

TEST(MainThread, AFailingQueuedCallReachesTheUiThreadAndLeavesTheRestQueued) {
  int ran = 0;
  Queue([] { throw std::runtime_error("boom"); });
  Queue([&] { ++ran; });
  EXPECT_THROW(CheckSynchronize(), std::runtime_error);
  EXPECT_EQ(ran, 0);
  EXPECT_TRUE(CheckSynchronize());
  EXPECT_EQ(ran, 1);
}
