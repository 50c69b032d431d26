// The control base and its fade engine, with the fade timer driven tick by
// tick: hover, leave, press and release counts, intervals per speed, and the
// base's switches and hooks.
#include <gtest/gtest.h>

#include <stdexcept>

#include "SkProbes.h"
#include "platform/controls/SimulateInput.h"

namespace {

struct TFadeFixture : ::testing::Test {
  TForm* form = new TForm(nullptr);
  TProbeButton* button = new TProbeButton(form);

  void SetUp() override {
    form->SetBounds(0, 0, 300, 200);
    button->SetBounds(20, 20, 75, 25);
    button->SetParent(form);
    button->HoldTimer = true;  // ticks come from the test alone
    form->Show();
    SimulateMouseExit();
  }
  void TearDown() override {
    SimulateMouseExit();
    delete form;
  }

  // Ticks until the timer stops; the number of ticks it took.
  int TicksUntilIdle(int Limit = 50) {
    int ticks = 0;
    while (button->FadeTimerInterval() != 0 && ticks < Limit) {
      button->Tick();
      ++ticks;
    }
    return ticks;
  }
};

TEST_F(TFadeFixture, HoverFadesInTenTicksOfTwentyMilliseconds) {
  SimulateMouseMove(button, 10, 10);
  EXPECT_EQ(button->MouseState(), msMouseInside);
  EXPECT_EQ(button->FadeTimerInterval(), 20u);  // fsMedium, the button's own
  for (int tick = 1; tick <= 9; ++tick) {
    button->Tick();
    EXPECT_EQ(button->FadePos(), 10 * tick);
    EXPECT_NE(button->FadeTimerInterval(), 0u) << "tick " << tick;
  }
  button->Tick();
  EXPECT_EQ(button->FadePos(), 100);
  EXPECT_EQ(button->FadeTimerInterval(), 0u);  // stopped on the tenth tick
}

TEST_F(TFadeFixture, LeavingFadesOutInTenTicksAndStopsOnTheEleventh) {
  SimulateMouseMove(button, 10, 10);
  ASSERT_EQ(TicksUntilIdle(), 10);
  SimulateMouseExit();
  EXPECT_EQ(button->MouseState(), 0);
  EXPECT_EQ(button->FadeTimerInterval(), 20u);
  for (int tick = 1; tick <= 10; ++tick) {
    button->Tick();
    EXPECT_EQ(button->FadePos(), 100 - 10 * tick);
  }
  EXPECT_NE(button->FadeTimerInterval(), 0u);
  button->ResetCounts();
  button->Tick();
  EXPECT_EQ(button->FadeTimerInterval(), 0u);
  EXPECT_EQ(button->Invalidates, 1);  // the stopping tick repaints too
}

TEST_F(TFadeFixture, QuickLeaveFromThirtyStopsAfterFourTicks) {
  SimulateMouseMove(button, 10, 10);
  button->Tick();
  button->Tick();
  button->Tick();
  ASSERT_EQ(button->FadePos(), 30);
  SimulateMouseExit();
  EXPECT_EQ(TicksUntilIdle(), 4);
  EXPECT_EQ(button->FadePos(), 0);
}

TEST_F(TFadeFixture, PressShowsAfterOneTickAndStopsOnTheSecond) {
  SimulateMouseMove(button, 10, 10);
  SimulateMouseDown(button, mbLeft, 10, 10);
  EXPECT_EQ(button->MouseState(), msMouseInside | msLeftPressed);
  button->Tick();
  EXPECT_EQ(button->ClickPos(), 100);
  EXPECT_EQ(button->FadePos(), 0);  // the hover blend waits while pressed
  EXPECT_NE(button->FadeTimerInterval(), 0u);
  button->Tick();
  EXPECT_EQ(button->ClickPos(), 100);
  EXPECT_EQ(button->FadeTimerInterval(), 0u);

  // Releasing inside: the press blend goes in one tick, the hover fade goes on.
  SimulateMouseUp(button, mbLeft, 10, 10);
  EXPECT_EQ(button->MouseState(), msMouseInside);
  button->Tick();
  EXPECT_EQ(button->ClickPos(), 0);
  EXPECT_EQ(button->FadePos(), 10);
  EXPECT_EQ(TicksUntilIdle(), 9);
  EXPECT_EQ(button->FadePos(), 100);
}

TEST_F(TFadeFixture, FadeSpeedSelectsTheInterval) {
  button->SetFadeSpeed(fsVeryFast);
  SimulateMouseMove(button, 10, 10);
  EXPECT_EQ(button->FadeTimerInterval(), 8u);
  button->SetFadeSpeed(fsFast);
  SimulateMouseExit();  // the next start of a fade takes the new speed
  EXPECT_EQ(button->FadeTimerInterval(), 12u);
  button->SetFadeSpeed(fsSlow);
  SimulateMouseMove(button, 10, 10);
  EXPECT_EQ(button->FadeTimerInterval(), 40u);
}

// A control whose fade speed nobody set ticks every 40 ms.
class TBareControl : public TSkCustomControl {
 public:
  using TSkCustomControl::TSkCustomControl;
  void RebuildBitmaps() override {}
  void Start() {
    UseFadeIn();
    StartFade();
  }
  void Tick() { WMTimer(1); }
  bool Throw = false;
  int Steps = 0;

 protected:
  void FadeInStep() override {
    ++Steps;
    if (Throw) throw std::runtime_error("step failed");
    TSkCustomControl::FadeInStep();
  }
};

TEST(SkCustomControlTest, UnsetSpeedTicksEveryFortyMilliseconds) {
  TForm form(nullptr);
  auto* control = new TBareControl(&form);
  control->SetParent(&form);
  control->Start();
  EXPECT_EQ(control->FadeTimerInterval(), 40u);
}

TEST(SkCustomControlTest, TickWithoutStepDoesNothingAndFailingStepIsSwallowed) {
  TForm form(nullptr);
  auto* control = new TBareControl(&form);
  control->SetParent(&form);
  control->Tick();
  EXPECT_EQ(control->Steps, 0);
  EXPECT_EQ(control->FadePos(), 0);
  control->Start();
  control->Throw = true;
  EXPECT_NO_THROW(control->Tick());
  EXPECT_EQ(control->FadePos(), 0);
  control->Throw = false;
  control->Tick();  // the next tick runs again
  EXPECT_EQ(control->FadePos(), 10);
  EXPECT_EQ(control->Steps, 2);
}

TEST(SkCustomControlTest, ConstructionDefaults) {
  TBareControl control(nullptr);
  EXPECT_TRUE(control.TextShadow());
  EXPECT_TRUE(control.ShowCaption());
  EXPECT_TRUE(control.TabStop());
  EXPECT_TRUE(control.DoubleBuffered());
  EXPECT_EQ(control.ControlStyle() & csDoubleClicks, 0u);
  EXPECT_NE(control.ControlStyle() & csOpaque, 0u);
  EXPECT_EQ(control.FadePos(), 0);
  EXPECT_EQ(control.ClickPos(), 0);
  EXPECT_EQ(control.MouseState(), 0);
  EXPECT_EQ(control.FadeTimerInterval(), 0u);
  EXPECT_EQ(control.SkStyleManager(), nullptr);
}

TEST(SkCustomControlTest, AboutCannotBeChanged) {
  TBareControl control(nullptr);
  const std::string about = control.About();
  EXPECT_FALSE(about.empty());
  control.SetAbout("something else");
  EXPECT_EQ(control.About(), about);
}

TEST(SkCustomControlTest, CaptionSwitchesRepaintOnlyOnChange) {
  TProbePanel panel(nullptr);
  panel.ResetCounts();
  panel.SetTextShadow(true);
  panel.SetShowCaption(true);
  EXPECT_EQ(panel.Invalidates, 0);
  panel.SetTextShadow(false);
  panel.SetShowCaption(false);
  EXPECT_EQ(panel.Invalidates, 2);
  EXPECT_EQ(panel.Rebuilds, 0);
}

TEST_F(TFadeFixture, EnterAndLeaveEventsFireOnce) {
  int enters = 0, leaves = 0;
  button->SetOnMouseEnter([&](TObject* sender) {
    EXPECT_EQ(sender, button);
    ++enters;
  });
  button->SetOnMouseLeave([&](TObject*) { ++leaves; });
  SimulateMouseMove(button, 10, 10);
  SimulateMouseMove(button, 12, 10);
  SimulateMouseExit();
  EXPECT_EQ(enters, 1);
  EXPECT_EQ(leaves, 1);
}

TEST_F(TFadeFixture, LeftPressTakesTheFocus) {
  auto* other = new TProbeButton(form);
  other->SetBounds(120, 20, 75, 25);
  other->SetParent(form);
  other->SetFocus();
  ASSERT_TRUE(other->Focused());
  SimulateMouseMove(button, 10, 10);
  SimulateMouseDown(button, mbLeft, 10, 10);
  EXPECT_TRUE(button->Focused());
  SimulateMouseUp(button, mbLeft, 10, 10);
}

TEST_F(TFadeFixture, TheWindowTimerDrivesTheFadeOnItsOwn) {
  button->HoldTimer = false;
  SimulateMouseMove(button, 10, 10);
  EXPECT_TRUE(WaitFor([&] { return button->FadeTimerInterval() == 0; }, 3000));
  EXPECT_EQ(button->FadePos(), 100);
}

}  // namespace
