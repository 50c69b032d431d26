// The animator's paint lock against its timer: switching where the frames
// are drawn, and handlers that stop or change the animation, while ticks run
// on the worker. Every scenario runs under a watchdog, so a dead-lock fails
// the run instead of stalling it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "PumpMessages.h"
#include "Watchdog.h"
#include "platform/controls/Application.h"
#include "platform/controls/Form.h"
#include "widgets/gx/GIFCtrl.h"

namespace {

using Clock = std::chrono::steady_clock;

// Whole-screen frames of 4 by 4, one colour each, DelayMs apart.
std::unique_ptr<TGIFImage> Frames(const std::vector<TColor>& Colours, Word DelayMs) {
  auto gif = std::make_unique<TGIFImage>();
  for (TColor colour : Colours) {
    TBitmap bmp;
    bmp.SetPixelFormat(pf24bit);
    bmp.SetSize(4, 4);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) bmp.SetPixel(x, y, colour);
    gif->FrameAt(gif->AppendFrame(&bmp))->FDelayMs = DelayMs;
  }
  gif->SetLogicalSize(4, 4);
  return gif;
}

// Small: every synchronised tick paints on the user-interface thread, which
// has to keep up with forty animators on a slow machine too.
std::unique_ptr<TForm> ShownForm() {
  auto form = std::make_unique<TForm>(nullptr);
  form->SetBounds(0, 0, 100, 50);
  form->Show();
  Application->ProcessMessages();
  return form;
}

// Waits (without the message loop) until the worker has advanced A's frame,
// so that the next tick is on its way.
bool WaitForATick(TGxGIFAnimator* A, int Ms) {
  const int from = A->FrameIndex();
  const auto end = Clock::now() + std::chrono::milliseconds(Ms);
  while (Clock::now() < end) {
    if (A->FrameIndex() != from) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return false;
}

}  // namespace

TEST(GxGIFAnimatorLocking, SwitchingAsyncDrawingOrSyncEventWhileTicksRunReturns) {
  TWatchdog watchdog("switching AsyncDrawing while animators play", std::chrono::seconds(60));
  auto form = ShownForm();
  auto gif = Frames({clRed, clLime, clBlue}, 100);
  std::vector<TGxGIFAnimator*> animators;
  for (int i = 0; i < 40; ++i) {
    auto* a = new TGxGIFAnimator(form.get());
    a->SetParent(form.get());
    a->SetBounds((i % 10) * 10, (i / 10) * 10, 4, 4);
    a->SetAsyncDrawing(true);
    a->SetImage(gif.get());
    a->SetAnimate(true);
    animators.push_back(a);
  }

  // A tick that waits for the paint lock while this thread holds it and then
  // switches where the frames are drawn.
  TGxGIFAnimator* held = animators.front();
  ASSERT_TRUE(WaitForATick(held, 5000));
  held->EnterPaintLock();
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  held->SetAsyncDrawing(false);
  held->SetAsyncDrawing(true);
  held->FrameTimer()->SetSyncEvent(true);
  held->FrameTimer()->SetSyncEvent(false);
  held->LeavePaintLock();

  // Many animators switched back and forth while their ticks run. The
  // message loop stays away meanwhile: the synchronised ticks of forty
  // animators painting would keep it busy on a slow machine.
  const auto end = Clock::now() + std::chrono::seconds(3);
  for (int round = 0; Clock::now() < end; ++round)
    for (TGxGIFAnimator* a : animators) {
      a->SetAsyncDrawing(round % 2 != 0);
      if (round % 3 == 0) a->FrameTimer()->SetSyncEvent(round % 2 != 0);
    }
  for (TGxGIFAnimator* a : animators) {
    EXPECT_TRUE(a->Animate());
    a->SetAsyncDrawing(false);
    a->SetAsyncDrawing(true);
    EXPECT_FALSE(a->FrameTimer()->SyncEvent());
  }
  // And the frames still turn (a tick handed over before the last switch
  // waits for the message loop). The others are stopped first, for the
  // message loop's sake again.
  for (TGxGIFAnimator* a : animators)
    if (a != held) a->SetAnimate(false);
  const int frame = held->FrameIndex();
  EXPECT_TRUE(PumpUntil([&] { return held->FrameIndex() != frame; }, 5000));
  held->SetAnimate(false);
}

TEST(GxGIFAnimatorLocking, HandlersThatStopOrChangeTheAnimationReturn) {
  TWatchdog watchdog("handlers that stop or change the animation", std::chrono::seconds(60));
  auto form = ShownForm();
  auto gif = Frames({clRed, clLime, clBlue}, 50);
  auto other = Frames({clBlack, clWhite}, 50);
  auto* a = new TGxGIFAnimator(form.get());
  a->SetParent(form.get());
  a->SetBounds(10, 10, 4, 4);
  a->SetAsyncDrawing(true);
  a->SetImage(gif.get());
  // Every handler runs with no paint lock held.
  std::atomic<int> stops{0}, underLock{0};
  auto noLock = [&] { underLock += PaintLocksHeld() != 0; };
  a->SetOnStop([&](TObject*) {
    noLock();
    ++stops;
  });

  // OnChange runs inside SetImage; it waits until a tick is due and then stops
  // the animation, while that tick waits to advance the frame.
  a->SetOnChange([&](TObject*) {
    noLock();
    std::this_thread::sleep_for(std::chrono::milliseconds(120));
    a->StopAnimation();
  });
  for (int round = 0; round < 3; ++round) {
    a->SetAnimate(true);
    ASSERT_TRUE(WaitForATick(a, 5000));
    a->SetImage(round % 2 ? gif.get() : other.get());
    EXPECT_FALSE(a->Animate());
    const int frame = a->FrameIndex();
    Pump(150);
    EXPECT_EQ(a->FrameIndex(), frame) << "a frame advanced after the stop";
  }
  EXPECT_EQ(stops.load(), 3);
  a->SetOnChange(nullptr);

  // OnFrameChanged changes the picture and stops; OnStop starts again until
  // three runs are done.
  a->SetImage(gif.get());
  int changes = 0;
  a->SetOnFrameChanged([&](TObject*) {
    noLock();
    a->SetImage(++changes % 2 ? other.get() : gif.get());
    a->SetAnimate(false);
  });
  stops = 0;
  a->SetOnStop([&](TObject*) {
    noLock();
    if (++stops < 3) a->SetAnimate(true);
  });
  a->SetAnimate(true);
  ASSERT_TRUE(PumpUntil([&] { return stops >= 3; }, 10000));
  EXPECT_FALSE(a->Animate());
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(underLock.load(), 0);
}

TEST(GxGIFAnimatorLocking, AHiddenParentAdvancesTheFrameAndNoParentKeepsIt) {
  auto gif = Frames({clRed, clLime, clBlue}, 50);
  for (bool async : {false, true}) {
    SCOPED_TRACE(async ? "on the worker" : "on the user-interface thread");
    auto form = std::make_unique<TForm>(nullptr);  // never shown
    auto* a = new TGxGIFAnimator(form.get());
    a->SetParent(form.get());
    a->SetAsyncDrawing(async);
    a->SetImage(gif.get());
    a->SetFrameIndex(0);
    a->SetAnimate(true);
    ASSERT_FALSE(form->Showing());
    EXPECT_TRUE(PumpUntil([&] { return a->FrameIndex() != 0; }, 5000));

    auto* loose = new TGxGIFAnimator(form.get());  // no parent
    loose->SetAsyncDrawing(async);
    loose->SetImage(gif.get());
    loose->SetFrameIndex(0);
    loose->SetAnimate(true);
    Pump(300);
    EXPECT_EQ(loose->FrameIndex(), 0);
  }
}
