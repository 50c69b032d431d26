// Colour sets and the style manager: constructor values, change
// notifications to the owning button, copying between sets, and the
// manager's registry that never keeps a freed control or manager.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SkProbes.h"
#include "platform/base/Exceptions.h"
#include "platform/graphics/Font.h"
#include "widgets/sk/SkColors.h"
#include "widgets/sk/SkSplitter.h"
#include "widgets/sk/SkStyleManager.h"

namespace {

TEST(SkColorsTest, ConstructorValues) {
  TSkControlColors colors(nullptr);
  EXPECT_EQ(colors.DefaultFrom(), clWhite);
  EXPECT_EQ(colors.DefaultTo(), TColor(0xD1BEAF));
  EXPECT_EQ(colors.OverFrom(), clWhite);
  EXPECT_EQ(colors.OverTo(), TColor(0xBE9476));
  EXPECT_EQ(colors.ClickedFrom(), TColor(0xC6CFD6));
  EXPECT_EQ(colors.ClickedTo(), TColor(0xEBF3F7));
  EXPECT_EQ(colors.HotTrack(), clBlue);
  EXPECT_EQ(colors.BorderColor(), clGray);
  EXPECT_EQ(colors.TextShadow(), clWhite);

  TSkSplitterColors splitter(nullptr);
  EXPECT_EQ(splitter.DefaultFrom(), clBtnFace);
  EXPECT_EQ(splitter.DefaultTo(), clBtnFace);
  EXPECT_EQ(splitter.OverFrom(), clWhite);
  EXPECT_EQ(splitter.OverTo(), TColor(12489846));
}

TEST(SkColorsTest, GradientColourChangeRebuildsTheButtonOnce) {
  TProbeButton button(nullptr);
  button.ResetCounts();
  button.Colors()->SetDefaultTo(button.Colors()->DefaultTo());
  EXPECT_EQ(button.Rebuilds, 0);
  EXPECT_EQ(button.Invalidates, 0);
  button.Colors()->SetDefaultTo(clRed);
  EXPECT_EQ(button.Rebuilds, 1);
  using TSetter = void (TSkControlColors::*)(TColor);
  for (TSetter set : {TSetter(&TSkControlColors::SetDefaultFrom), TSetter(&TSkControlColors::SetOverFrom),
                      TSetter(&TSkControlColors::SetOverTo), TSetter(&TSkControlColors::SetClickedFrom),
                      TSetter(&TSkControlColors::SetClickedTo),
                      TSetter(&TSkControlColors::SetBorderColor)}) {
    button.ResetCounts();
    (button.Colors()->*set)(TColor(0x123456));
    EXPECT_EQ(button.Rebuilds, 1);
    (button.Colors()->*set)(TColor(0x123456));
    EXPECT_EQ(button.Rebuilds, 1);
  }
}

TEST(SkColorsTest, TextColoursRepaintWithoutRebuilding) {
  TProbeButton button(nullptr);
  button.ResetCounts();
  button.Colors()->SetHotTrack(clRed);
  button.Colors()->SetTextShadow(clBlack);
  EXPECT_EQ(button.Rebuilds, 0);
  EXPECT_EQ(button.Invalidates, 2);
  button.Colors()->SetHotTrack(clRed);
  button.Colors()->SetTextShadow(clBlack);
  EXPECT_EQ(button.Invalidates, 2);
}

TEST(SkColorsTest, SetWithoutOwnerAcceptsEverySetter) {
  TSkControlColors colors(nullptr);
  colors.SetDefaultFrom(clRed);
  colors.SetOverTo(clRed);
  colors.SetClickedTo(clRed);
  colors.SetHotTrack(clRed);
  colors.SetTextShadow(clRed);
  colors.SetBorderColor(clRed);
  EXPECT_EQ(colors.BorderColor(), clRed);
  EXPECT_EQ(colors.TextShadow(), clRed);
}

TEST(SkColorsTest, AssignBetweenButtonsCopiesNineColoursWithoutRebuilding) {
  TProbeButton source(nullptr), target(nullptr);
  const TColor values[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  TSkControlColors* c = source.Colors();
  c->SetDefaultFrom(values[0]);
  c->SetDefaultTo(values[1]);
  c->SetOverFrom(values[2]);
  c->SetOverTo(values[3]);
  c->SetClickedFrom(values[4]);
  c->SetClickedTo(values[5]);
  c->SetHotTrack(values[6]);
  c->SetBorderColor(values[7]);
  c->SetTextShadow(values[8]);
  target.ResetCounts();
  target.Colors()->Assign(source.Colors());
  TSkControlColors* t = target.Colors();
  EXPECT_EQ(t->DefaultFrom(), 1);
  EXPECT_EQ(t->DefaultTo(), 2);
  EXPECT_EQ(t->OverFrom(), 3);
  EXPECT_EQ(t->OverTo(), 4);
  EXPECT_EQ(t->ClickedFrom(), 5);
  EXPECT_EQ(t->ClickedTo(), 6);
  EXPECT_EQ(t->HotTrack(), 7);
  EXPECT_EQ(t->BorderColor(), 8);
  EXPECT_EQ(t->TextShadow(), 9);
  EXPECT_EQ(target.Rebuilds, 0);
  EXPECT_EQ(target.Invalidates, 0);
}

TEST(SkColorsTest, ButtonColorsSetterCopiesIntoTheOwnedSet) {
  TProbeButton button(nullptr);
  TSkControlColors* owned = button.Colors();
  TSkControlColors other(nullptr);
  other.SetOverTo(clRed);
  button.SetColors(&other);
  EXPECT_EQ(button.Colors(), owned);
  EXPECT_EQ(button.Colors()->OverTo(), clRed);
  other.SetOverTo(clLime);  // no link to the given object remains
  EXPECT_EQ(button.Colors()->OverTo(), clRed);
}

TEST(SkColorsTest, SplitterAndButtonSetsShareOnlyTheFourGradientColours) {
  TSkControlColors button(nullptr);
  TSkSplitterColors splitter(nullptr);
  button.SetDefaultFrom(clRed);
  button.SetOverTo(clLime);
  button.SetClickedFrom(clNavy);
  splitter.Assign(&button);
  EXPECT_EQ(splitter.DefaultFrom(), clRed);
  EXPECT_EQ(splitter.DefaultTo(), TColor(0xD1BEAF));
  EXPECT_EQ(splitter.OverTo(), clLime);

  TSkSplitterColors fresh(nullptr);
  button.Assign(&fresh);
  EXPECT_EQ(button.DefaultFrom(), clBtnFace);
  EXPECT_EQ(button.DefaultTo(), clBtnFace);
  EXPECT_EQ(button.OverTo(), TColor(12489846));
  EXPECT_EQ(button.ClickedFrom(), clNavy);  // the five button colours stay
  EXPECT_EQ(button.HotTrack(), clBlue);
}

TEST(SkColorsTest, AssignToAnotherKindRaisesTheConversionError) {
  TSkControlColors colors(nullptr);
  TFont font;
  try {
    font.Assign(&colors);
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_NE(e.Message().find("TSkControlColors"), std::string::npos) << e.Message();
    EXPECT_NE(e.Message().find("TFont"), std::string::npos) << e.Message();
  }
  TSkStyleManager manager(nullptr);
  EXPECT_THROW(font.Assign(&manager), EConvertError);
}

// ---- style manager ----

TEST(SkStyleManagerTest, ConstructorValues) {
  TSkStyleManager manager(nullptr);
  EXPECT_TRUE(manager.ShowFocusRect());
  EXPECT_FALSE(manager.HotTrack());
  EXPECT_TRUE(manager.GradientBorder());
  EXPECT_TRUE(manager.TextShadow());
  EXPECT_EQ(manager.CheckColor(), clGreen);
  EXPECT_EQ(manager.FadeSpeed(), fsMedium);
  EXPECT_EQ(manager.PanelColor(), TColor(0xE3DFDF));
  EXPECT_EQ(manager.BorderColor(), clGray);
  EXPECT_EQ(manager.Colors()->ClickedTo(), TColor(0xEBF3F7));
  EXPECT_EQ(manager.Colors()->OwnerControl(), nullptr);
  EXPECT_EQ(manager.SplitterColors()->DefaultFrom(), clBtnFace);
  EXPECT_EQ(manager.ControlCount(), 0);
}

TEST(SkStyleManagerTest, SettersCopyIntoTheOwnedObjects) {
  TSkStyleManager manager(nullptr);
  TSkControlColors* colors = manager.Colors();
  TSkSplitterColors* splitter = manager.SplitterColors();
  TFont* font = manager.Font();
  TSkControlColors otherColors(nullptr);
  otherColors.SetHotTrack(clRed);
  TSkSplitterColors otherSplitter(nullptr);
  otherSplitter.SetOverFrom(clRed);
  TFont otherFont;
  otherFont.SetName("Arial");
  manager.SetColors(&otherColors);
  manager.SetSplitterColors(&otherSplitter);
  manager.SetFont(&otherFont);
  EXPECT_EQ(manager.Colors(), colors);
  EXPECT_EQ(manager.SplitterColors(), splitter);
  EXPECT_EQ(manager.Font(), font);
  EXPECT_EQ(colors->HotTrack(), clRed);
  EXPECT_EQ(splitter->OverFrom(), clRed);
  EXPECT_EQ(font->Name(), "Arial");
}

TEST(SkStyleManagerTest, AssignCopiesEveryValue) {
  TSkStyleManager a(nullptr), b(nullptr);
  a.Colors()->SetBorderColor(clRed);
  a.SplitterColors()->SetOverTo(clLime);
  a.SetShowFocusRect(false);
  a.SetHotTrack(true);
  a.SetGradientBorder(false);
  a.SetTextShadow(false);
  a.SetCheckColor(clNavy);
  a.SetFadeSpeed(fsVeryFast);
  a.SetPanelColor(clYellow);
  a.SetBorderColor(clAqua);
  a.Font()->SetHeight(-20);
  b.Assign(&a);
  EXPECT_EQ(b.Colors()->BorderColor(), clRed);
  EXPECT_EQ(b.SplitterColors()->OverTo(), clLime);
  EXPECT_FALSE(b.ShowFocusRect());
  EXPECT_TRUE(b.HotTrack());
  EXPECT_FALSE(b.GradientBorder());
  EXPECT_FALSE(b.TextShadow());
  EXPECT_EQ(b.CheckColor(), clNavy);
  EXPECT_EQ(b.FadeSpeed(), fsVeryFast);
  EXPECT_EQ(b.PanelColor(), clYellow);
  EXPECT_EQ(b.BorderColor(), clAqua);
  EXPECT_EQ(b.Font()->Height(), -20);
}

TEST(SkStyleManagerTest, RegistryKeepsEachControlOnce) {
  TSkStyleManager manager(nullptr);
  TProbeButton a(nullptr), b(nullptr);
  manager.RegisterControl(&a);
  manager.RegisterControl(&a);
  EXPECT_EQ(manager.ControlCount(), 1);
  manager.UnregisterControl(&b);  // not registered: nothing
  EXPECT_EQ(manager.ControlCount(), 1);
  manager.UnregisterControl(&a);
  EXPECT_EQ(manager.ControlCount(), 0);
}

TEST(SkStyleManagerTest, SwitchingManagersMovesTheRegistration) {
  TSkStyleManager first(nullptr), second(nullptr);
  TProbeButton button(nullptr);
  button.SetSkStyleManager(&first);
  EXPECT_EQ(first.ControlCount(), 1);
  button.SetSkStyleManager(&second);
  EXPECT_EQ(first.ControlCount(), 0);
  EXPECT_EQ(second.ControlCount(), 1);
  EXPECT_EQ(second.Controls(0), &button);
  button.SetSkStyleManager(nullptr);
  EXPECT_EQ(second.ControlCount(), 0);
  EXPECT_EQ(button.SkStyleManager(), nullptr);
}

TEST(SkStyleManagerTest, FreedControlLeavesTheList) {
  TSkStyleManager manager(nullptr);
  auto* button = new TProbeButton(nullptr);
  auto* panel = new TProbePanel(nullptr);
  button->SetSkStyleManager(&manager);
  panel->SetSkStyleManager(&manager);
  delete button;
  EXPECT_EQ(manager.ControlCount(), 1);
  EXPECT_EQ(manager.Controls(0), panel);
  delete panel;
  EXPECT_EQ(manager.ControlCount(), 0);
}

// Fault mended: a manager freed before its controls left them pointing at it.
TEST(SkStyleManagerTest, FreedManagerIsForgottenByItsControls) {
  auto* manager = new TSkStyleManager(nullptr);
  TProbeButton button(nullptr);
  TProbePanel panel(nullptr);
  button.SetSkStyleManager(manager);
  panel.SetSkStyleManager(manager);
  delete manager;
  EXPECT_EQ(button.SkStyleManager(), nullptr);
  EXPECT_EQ(panel.SkStyleManager(), nullptr);
  // Setting a new one afterwards does not touch the freed one.
  TSkStyleManager next(nullptr);
  button.SetSkStyleManager(&next);
  EXPECT_EQ(next.ControlCount(), 1);
}

TEST(SkStyleManagerTest, RemovingAnyManagerOfTheOwnerClearsTheReference) {
  TForm owner(nullptr);
  auto* mine = new TSkStyleManager(&owner);
  auto* other = new TSkStyleManager(&owner);
  auto* button = new TProbeButton(&owner);
  button->SetSkStyleManager(mine);
  delete other;
  EXPECT_EQ(button->SkStyleManager(), nullptr);
  // The control also left its own manager's list, so freeing it later leaves
  // nothing behind in that list.
  EXPECT_EQ(mine->ControlCount(), 0);
  delete button;
  EXPECT_EQ(mine->ControlCount(), 0);
}

TEST(SkStyleManagerTest, OwnedManagerFreedWithItsOwnerBeforeItsControls) {
  auto* owner = new TForm(nullptr);
  auto* manager = new TSkStyleManager(owner);
  TProbeButton outside(nullptr);  // a control the owner does not own
  outside.SetSkStyleManager(manager);
  delete owner;
  EXPECT_EQ(outside.SkStyleManager(), nullptr);
}

// Fault mended: a form marks everything it owns as being destroyed, then frees
// its child controls, then its other components. A manager that ignored
// unregistering while marked kept the freed controls and touched them when it
// went away itself.
TEST(SkStyleManagerTest, ControlFreedWhileItsManagerIsMarkedLeavesTheList) {
  TForm owner(nullptr);
  auto* manager = new TSkStyleManager(&owner);
  auto* panel = new TProbePanel(&owner);
  panel->SetSkStyleManager(manager);
  manager->Destroying();
  delete panel;
  EXPECT_EQ(manager->ControlCount(), 0);
}

// What is freed when, and what the manager still listed when it went.
template <class TBase>
struct TLogged : TBase {
  TLogged(TComponent* AOwner, std::vector<std::string>& Log, std::string Name)
      : TBase(AOwner), FLog(Log), FName(std::move(Name)) {}
  ~TLogged() override { FLog.push_back(FName); }
  std::vector<std::string>& FLog;
  std::string FName;
};

struct TLoggedManager : TSkStyleManager {
  TLoggedManager(TComponent* AOwner, std::vector<std::string>& Log)
      : TSkStyleManager(AOwner), FLog(Log) {}
  ~TLoggedManager() override {
    FLog.push_back("manager listing " + std::to_string(ControlCount()));
  }
  std::vector<std::string>& FLog;
};

TEST(SkStyleManagerTest, FormFreesParentedControlsBeforeTheirOwnedManager) {
  std::vector<std::string> log;
  auto* form = new TForm(nullptr);
  auto* manager = new TLoggedManager(form, log);
  auto* panel = new TLogged<TProbePanel>(form, log, "panel");
  panel->SetParent(form);
  auto* button = new TLogged<TProbeButton>(form, log, "button");
  button->SetParent(panel);
  panel->SetSkStyleManager(manager);
  button->SetSkStyleManager(manager);
  EXPECT_EQ(manager->ControlCount(), 2);
  delete form;  // the sanitizer build also reports any use of a freed control here
  ASSERT_EQ(log.size(), 3u);
  // Both controls went first, each leaving the list, so the manager, freed
  // last, had nobody left to tell.
  EXPECT_EQ(log[2], "manager listing 0");
  EXPECT_TRUE((log[0] == "panel" && log[1] == "button") || (log[0] == "button" && log[1] == "panel"));
}

}  // namespace
