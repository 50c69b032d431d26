// Slow work beside the user-interface thread: the thread keeps processing
// messages while it waits, work handed over by the job itself runs in that
// time, and what the job raises reaches the caller.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "platform/base/MainThread.h"
#include "platform/base/PumpingWait.h"

namespace {

struct TPumpGuard {
  ~TPumpGuard() { SetMessagePump(nullptr); }
};

TEST(PumpingWait, TheUiThreadProcessesMessagesUntilTheJobEnds) {
  TPumpGuard guard;
  std::atomic<int> pumped{0};
  SetMessagePump([&] {
    ++pumped;
    CheckSynchronize();
  });
  std::atomic<bool> handedOverRan{false};
  int pumpedWhileRunning = 0;
  RunWhileProcessingMessages([&] {
    // A call the job hands to the UI thread and waits for: it runs while
    // the UI thread waits for the job.
    Synchronize([&] { handedOverRan = true; });
    // The job goes on until the UI thread has processed messages again and
    // again, however slowly the machine lets it.
    const int from = pumped;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (pumped < from + 3 && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    pumpedWhileRunning = pumped - from;
  });
  EXPECT_TRUE(handedOverRan);
  EXPECT_GE(pumpedWhileRunning, 3);

  EXPECT_THROW(RunWhileProcessingMessages([] { throw std::runtime_error("lost"); }), std::runtime_error);
}

TEST(PumpingWait, OtherThreadsAndUiThreadsWithoutAPumpRunTheJobThemselves) {
  TPumpGuard guard;
  int pumped = 0;
  SetMessagePump([&] { ++pumped; });
  std::thread::id ranOn;
  std::thread other([&] { RunWhileProcessingMessages([&] { ranOn = std::this_thread::get_id(); }); });
  const std::thread::id otherId = other.get_id();
  other.join();
  EXPECT_EQ(ranOn, otherId);
  SetMessagePump(nullptr);
  RunWhileProcessingMessages([&] { ranOn = std::this_thread::get_id(); });
  EXPECT_EQ(ranOn, std::this_thread::get_id());
  EXPECT_EQ(pumped, 0);
}

}  // namespace
