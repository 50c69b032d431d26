// TTimer: ticks from the message loop at its interval while enabled.
#include <gtest/gtest.h>

#include "StdTestSupport.h"
#include "platform/base/Exceptions.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Timer.h"

namespace {

TEST(Timer, TicksRepeatedlyWhileEnabled) {
  TTimer timer(nullptr);
  int ticks = 0;
  timer.SetInterval(5);
  timer.SetOnTimer([&](TObject* sender) {
    EXPECT_EQ(sender, &timer);
    ++ticks;
  });
  EXPECT_TRUE(timer.Running());
  EXPECT_TRUE(WaitUntil([&] { return ticks >= 3; }));
  timer.SetEnabled(false);
  EXPECT_FALSE(timer.Running());
  const int stopped = ticks;
  Pump(40);
  EXPECT_EQ(ticks, stopped);
}

TEST(Timer, IntervalZeroNeverFires) {
  TTimer timer(nullptr);
  int ticks = 0;
  timer.SetOnTimer([&](TObject*) { ++ticks; });
  timer.SetInterval(0);
  EXPECT_FALSE(timer.Running());
  Pump(50);
  EXPECT_EQ(ticks, 0);
  // A later interval starts it.
  timer.SetInterval(5);
  EXPECT_TRUE(WaitUntil([&] { return ticks >= 1; }));
}

TEST(Timer, NoHandlerNoTimerAndDefaults) {
  TTimer timer(nullptr);
  EXPECT_TRUE(timer.Enabled());
  EXPECT_EQ(timer.Interval(), 1000u);
  EXPECT_FALSE(timer.Running());
}

TEST(Timer, NothingTicksBeforeTheIntervalHasPassed) {
  TTimer timer(nullptr);
  int ticks = 0;
  timer.SetInterval(300);
  timer.SetOnTimer([&](TObject*) { ++ticks; });
  Pump(60);
  EXPECT_EQ(ticks, 0);
}

TEST(Timer, HandlerMayFreeItsTimer) {
  auto* timer = new TTimer(nullptr);
  int ticks = 0;
  timer->SetInterval(2);
  timer->SetOnTimer([&](TObject*) {
    ++ticks;
    delete timer;
  });
  EXPECT_TRUE(WaitUntil([&] { return ticks == 1; }));
  Pump(30);
  EXPECT_EQ(ticks, 1);
}

TEST(Timer, OwnerFreesTimerAndNoTickFollows) {
  int ticks = 0;
  {
    TComponent owner(nullptr);
    auto* timer = new TTimer(&owner);
    timer->SetInterval(1);
    timer->SetOnTimer([&](TObject*) { ++ticks; });
  }
  Pump(30);
  EXPECT_EQ(ticks, 0);
}

TEST(Timer, EscapedExceptionShowsErrorBoxAndTimerGoesOn) {
  TMessageBoxCapture boxes;
  TTimer timer(nullptr);
  int ticks = 0;
  timer.SetInterval(3);
  timer.SetOnTimer([&](TObject*) {
    ++ticks;
    throw EConvertError("'x' is not a valid integer value");
  });
  ASSERT_TRUE(WaitUntil([&] { return ticks >= 2; }));
  timer.SetEnabled(false);
  ASSERT_GE(boxes.Boxes().size(), 2u);
  EXPECT_EQ(boxes.Boxes()[0].Kind, mtError);
  EXPECT_EQ(boxes.Boxes()[0].Caption, "Tamblin");
  EXPECT_EQ(boxes.Boxes()[0].Text, "'x' is not a valid integer value.");
}

}  // namespace
