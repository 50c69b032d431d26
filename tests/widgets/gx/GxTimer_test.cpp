// The threaded timer on real threads: tick counts, stop and start, the
// thread a tick runs on, window mode, exceptions and destruction.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "PumpMessages.h"
#include "Watchdog.h"
#include "platform/base/Exceptions.h"
#include "platform/base/MainThread.h"
#include "platform/controls/Application.h"
#include "platform/controls/Dialogs.h"
#include "widgets/gx/GxTimer.h"

namespace {

using Clock = std::chrono::steady_clock;

struct TTickLog {
  std::atomic<int> Count{0};
  std::atomic<int> OffMainThread{0};
  TNotifyEvent Handler() {
    return [this](TObject*) {
      if (!IsMainThread()) ++OffMainThread;
      ++Count;
    };
  }
};

}  // namespace

TEST(GxTimer, DefaultsAndNoHandlerMeansNoWorkerRunning) {
  TGxTimer timer(nullptr);
  EXPECT_TRUE(timer.Enabled());
  EXPECT_EQ(timer.Interval(), 1000u);
  EXPECT_TRUE(timer.SyncEvent());
  EXPECT_TRUE(timer.Threaded());
  EXPECT_EQ(timer.ThreadPriority(), tpNormal);
  EXPECT_TRUE(timer.Worker()->Suspended());
  timer.SetInterval(20);
  EXPECT_TRUE(timer.Worker()->Suspended());  // still no OnTimer
}

TEST(GxTimer, SynchronisedTicksRunOnTheUserInterfaceThreadAtTheInterval) {
  // Each sleep starts after the tick before it has run, so ticks are at
  // least an interval apart however slow the machine; a slow machine only
  // spreads them further.
  constexpr auto interval = std::chrono::milliseconds(40);
  std::vector<Clock::time_point> ticks;
  std::atomic<int> offMain{0};
  TGxTimer timer(nullptr);
  timer.SetInterval(40);
  const auto start = Clock::now();
  timer.SetOnTimer([&](TObject*) {
    if (!IsMainThread()) ++offMain;
    ticks.push_back(Clock::now());
  });
  EXPECT_FALSE(timer.Worker()->Suspended());
  ASSERT_TRUE(PumpUntil([&] { return ticks.size() >= 6; }, 10000));
  timer.SetOnTimer(nullptr);
  EXPECT_EQ(offMain.load(), 0);
  EXPECT_GE(ticks[0] - start, interval);
  for (size_t i = 1; i < ticks.size(); ++i) EXPECT_GE(ticks[i] - ticks[i - 1], interval) << i;
}

TEST(GxTimer, FirstTickComesAfterTheDefaultSecond) {
  TTickLog log;
  TGxTimer timer(nullptr);
  const auto start = Clock::now();
  timer.SetOnTimer(log.Handler());
  ASSERT_TRUE(PumpUntil([&] { return log.Count > 0; }, EventWaitMs));
  const auto elapsed = Clock::now() - start;
  EXPECT_GE(elapsed, std::chrono::milliseconds(950));
}

TEST(GxTimer, UnsynchronisedTicksGoOnWhileTheUserInterfaceThreadIsBlocked) {
  TTickLog log;
  TGxTimer timer(nullptr);
  timer.SetSyncEvent(false);
  timer.SetInterval(20);
  timer.SetOnTimer(log.Handler());
  const auto end = Clock::now() + std::chrono::milliseconds(EventWaitMs);
  while (log.Count < 8 && Clock::now() < end)  // no message loop
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_GE(log.Count.load(), 8);
  EXPECT_EQ(log.OffMainThread.load(), log.Count.load());
}

TEST(GxTimer, IntervalZeroDisabledOrNoHandlerStopsTheTicks) {
  for (bool threaded : {true, false}) {
    SCOPED_TRACE(threaded ? "threaded" : "window");
    TTickLog log;
    TGxTimer timer(nullptr);
    timer.SetThreaded(threaded);
    timer.SetInterval(15);
    timer.SetOnTimer(log.Handler());
    ASSERT_TRUE(PumpUntil([&] { return log.Count > 2; }, EventWaitMs));

    timer.SetInterval(0);
    int before = log.Count;
    Pump(150);
    // A tick the worker had begun before the change may still come.
    EXPECT_LE(log.Count.load(), before + (threaded ? 1 : 0));
    before = log.Count;

    timer.SetInterval(15);
    ASSERT_TRUE(PumpUntil([&] { return log.Count > before + 2; }, EventWaitMs));
    timer.SetEnabled(false);
    before = log.Count;
    Pump(120);
    EXPECT_EQ(log.Count.load(), before);

    timer.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return log.Count > before + 2; }, EventWaitMs));
    timer.SetOnTimer(nullptr);
    before = log.Count;
    Pump(120);
    EXPECT_EQ(log.Count.load(), before);
  }
}

TEST(GxTimer, ReplacingTheHandlerOrRepeatingAValueDoesNotRestartTheInterval) {
  // A restarted sleep could not end sooner than a whole interval after the
  // setters; the sleep under way ends about half an interval after them.
  // The half interval is the room a slow machine has.
  constexpr auto interval = std::chrono::milliseconds(2000);
  std::atomic<int> first{0}, second{0};
  std::atomic<Clock::rep> secondAt{0};
  TGxTimer timer(nullptr);
  timer.SetSyncEvent(false);
  timer.SetInterval(2000);
  const auto start = Clock::now();
  timer.SetOnTimer([&](TObject*) { ++first; });
  std::this_thread::sleep_until(start + interval / 2);
  timer.SetOnTimer([&](TObject*) {
    if (++second == 1) secondAt = Clock::now().time_since_epoch().count();
  });
  timer.SetInterval(2000);
  timer.SetEnabled(true);
  const auto changed = Clock::now();
  ASSERT_LT(changed - start, interval) << "the machine overslept the first half interval";
  const auto end = Clock::now() + std::chrono::seconds(10);
  while (second == 0 && Clock::now() < end) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ASSERT_GT(second.load(), 0);
  EXPECT_EQ(first.load(), 0);
  const Clock::time_point tick{Clock::duration(secondAt.load())};
  EXPECT_LT(tick - changed, interval);
}

TEST(GxTimer, AnIntervalSetFromAWorkerTickAppliesFromTheNextSleep) {
  // The sleep after the second tick is the first of 400 ms; a slow machine
  // only spreads the ticks further.
  std::atomic<int> count{0};
  std::atomic<Clock::rep> secondAt{0}, thirdAt{0};
  TGxTimer timer(nullptr);
  timer.SetSyncEvent(false);
  timer.SetInterval(20);
  timer.SetOnTimer([&](TObject* Sender) {
    const int n = ++count;
    if (n == 2) {
      static_cast<TGxTimer*>(Sender)->SetInterval(400);
      secondAt = Clock::now().time_since_epoch().count();
    }
    if (n == 3) thirdAt = Clock::now().time_since_epoch().count();
  });
  const auto end = Clock::now() + std::chrono::milliseconds(EventWaitMs);
  while (count < 3 && Clock::now() < end) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ASSERT_GE(count.load(), 3);
  timer.SetEnabled(false);
  EXPECT_EQ(timer.Worker()->SleepInterval(), 400u);
  EXPECT_GE(Clock::duration(thirdAt.load() - secondAt.load()), std::chrono::milliseconds(400));
}

TEST(GxTimer, SwitchingToWindowModeParksTheWorkerAndBack) {
  TTickLog log;
  TGxTimer timer(nullptr);
  timer.SetInterval(20);
  timer.SetSyncEvent(false);
  timer.SetOnTimer(log.Handler());
  timer.SetThreadPriority(tpLower);

  timer.SetThreaded(false);
  EXPECT_TRUE(timer.Worker()->Suspended());
  EXPECT_TRUE(timer.WindowTimerActive());
  timer.SetThreadPriority(tpLowest);  // stored; applied at the next release
  EXPECT_EQ(timer.Worker()->Priority(), tpLower);
  log.OffMainThread = 0;
  const int before = log.Count;
  ASSERT_TRUE(PumpUntil([&] { return log.Count > before + 3; }, EventWaitMs));
  // At most the tick the worker had begun before the switch.
  EXPECT_LE(log.OffMainThread.load(), 1);

  timer.SetThreaded(true);
  EXPECT_FALSE(timer.WindowTimerActive());
  EXPECT_FALSE(timer.Worker()->Suspended());
  EXPECT_EQ(timer.Worker()->Priority(), tpLowest);
  const int threadedBefore = log.Count;
  const auto end = Clock::now() + std::chrono::milliseconds(EventWaitMs);
  while (log.Count <= threadedBefore + 2 && Clock::now() < end)  // no message loop
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_GT(log.Count.load(), threadedBefore + 2);

  // Switched by a tick on the worker: the window timer is set on this thread,
  // and the ticks go on here.
  std::atomic<bool> switched{false};
  timer.SetOnTimer([&](TObject* Sender) {
    ++log.Count;
    if (IsMainThread()) return;
    ++log.OffMainThread;
    if (!switched.exchange(true)) static_cast<TGxTimer*>(Sender)->SetThreaded(false);
  });
  ASSERT_TRUE(PumpUntil([&] { return timer.WindowTimerActive(); }, EventWaitMs));
  EXPECT_FALSE(timer.Threaded());
  log.OffMainThread = 0;
  const int windowBefore = log.Count;
  ASSERT_TRUE(PumpUntil([&] { return log.Count > windowBefore + 3; }, EventWaitMs));
  EXPECT_EQ(log.OffMainThread.load(), 0);
}

TEST(GxTimer, WindowModeWithoutTimersLeftRaisesAndStaysStopped) {
  std::vector<std::unique_ptr<TGxTimer>> hoard;
  hoard.reserve(MaxWindowTimers);
  TNotifyEvent idle = [](TObject*) {};
  for (int i = 0; i < MaxWindowTimers; ++i) {
    auto t = std::make_unique<TGxTimer>(nullptr);
    t->SetThreaded(false);
    t->SetInterval(600000);
    t->SetOnTimer(idle);
    hoard.push_back(std::move(t));
  }
  TTickLog log;
  TGxTimer timer(nullptr);
  timer.SetThreaded(false);
  timer.SetInterval(10);
  try {
    timer.SetOnTimer(log.Handler());
    FAIL() << "no exception";
  } catch (const EOutOfResources& e) {
    EXPECT_STREQ(e.what(), "Not enough timers available");
  }
  EXPECT_FALSE(timer.WindowTimerActive());
  Pump(60);
  EXPECT_EQ(log.Count.load(), 0);

  hoard.pop_back();  // one timer comes free
  timer.SetInterval(20);
  EXPECT_TRUE(timer.WindowTimerActive());
  EXPECT_TRUE(PumpUntil([&] { return log.Count > 0; }, EventWaitMs));
}

TEST(GxTimer, ExceptionsFromTheTickAreReportedAndTheTicksGoOn) {
  for (bool sync : {true, false}) {
    SCOPED_TRACE(sync ? "synchronised" : "on the worker");
    TMessageBoxCapture boxes;
    std::atomic<int> count{0};
    TGxTimer timer(nullptr);
    timer.SetSyncEvent(sync);
    timer.SetInterval(15);
    timer.SetOnTimer([&](TObject*) {
      if (++count % 2) throw EAbort();
      throw EInvalidOperation("Tick failed");
    });
    ASSERT_TRUE(PumpUntil([&] { return count > 6; }, EventWaitMs));
    timer.SetEnabled(false);
    Pump(40);
    ASSERT_FALSE(boxes.Boxes().empty());
    for (const TMessageBox& box : boxes.Boxes()) EXPECT_EQ(box.Text, "Tick failed.");
    EXPECT_LE(boxes.Boxes().size(), size_t(count / 2 + 1));
  }
}

TEST(GxTimer, DestroyingARunningTimerReturnsAtOnceAndNoTickFollows) {
  // A destructor that let the sleep run out would take half a minute.
  std::atomic<int> count{0};
  auto timer = std::make_unique<TGxTimer>(nullptr);
  timer->SetInterval(30000);
  timer->SetOnTimer([&](TObject*) { ++count; });  // asleep now
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  const auto start = Clock::now();
  timer.reset();
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(EventWaitMs));
  Pump(200);
  EXPECT_EQ(count.load(), 0);
}

TEST(GxTimer, DestroyingWaitsForATickRunningOnTheWorker) {
  std::atomic<bool> inTick{false};
  std::atomic<bool> finished{false};
  auto timer = std::make_unique<TGxTimer>(nullptr);
  timer->SetSyncEvent(false);
  timer->SetInterval(10);
  timer->SetOnTimer([&](TObject* Sender) {
    inTick = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(80));
    // Hands work over while the user-interface thread is in the destructor.
    static_cast<TGxTimer*>(Sender)->RunInMainThread([] {});
    finished = true;
    inTick = false;
  });
  while (!inTick) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  finished = false;
  timer.reset();
  EXPECT_TRUE(finished.load());
  EXPECT_FALSE(inTick.load());
}

TEST(GxTimer, RunInMainThreadRunsOnTheUserInterfaceThreadFromTheWorker) {
  std::atomic<int> onMain{0}, calls{0};
  TGxTimer timer(nullptr);
  timer.SetSyncEvent(false);
  timer.SetInterval(10);
  timer.SetOnTimer([&](TObject* Sender) {
    static_cast<TGxTimer*>(Sender)->RunInMainThread([&] {
      ++calls;
      if (IsMainThread()) ++onMain;
    });
  });
  ASSERT_TRUE(PumpUntil([&] { return calls > 3; }, EventWaitMs));
  timer.SetEnabled(false);
  EXPECT_EQ(onMain.load(), calls.load());
  int direct = 0;
  timer.RunInMainThread([&] { direct = IsMainThread() ? 1 : -1; });
  EXPECT_EQ(direct, 1);
}

// Freed by its own OnTimer, synchronised (on the user-interface thread while
// the worker waits) or not (on the worker itself).
class GxTimerFreedByItsTick : public ::testing::TestWithParam<bool> {};

TEST_P(GxTimerFreedByItsTick, ReturnsAtOnceAndNoTickFollows) {
  TWatchdog watchdog("a timer freed by its own tick", std::chrono::seconds(60));
  std::atomic<int> ticks{0};
  std::atomic<bool> freed{false};
  std::atomic<long long> freeMs{-1};
  auto* timer = new TGxTimer(nullptr);
  timer->SetSyncEvent(GetParam());
  timer->SetInterval(10);
  timer->SetOnTimer([&](TObject* Sender) {
    ++ticks;
    if (freed) return;
    const auto start = Clock::now();
    delete static_cast<TGxTimer*>(Sender);
    freeMs = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    freed = true;
  });
  ASSERT_TRUE(PumpUntil([&] { return freed.load(); }, EventWaitMs));
  Pump(100);
  EXPECT_EQ(ticks.load(), 1);
  // At once: it waits for no tick and for no time-out.
  EXPECT_LT(freeMs.load(), 1000);
}

INSTANTIATE_TEST_SUITE_P(SyncEvent, GxTimerFreedByItsTick, ::testing::Bool());
