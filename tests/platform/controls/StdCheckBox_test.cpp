// TCheckBox: the tick runs OnClick whether the user or the program changed it.
#include <gtest/gtest.h>

#include "StdTestSupport.h"
#include "platform/controls/CheckBox.h"
#include "platform/controls/SimulateInput.h"

namespace {

struct CheckBoxFixture : ::testing::Test {
  std::unique_ptr<TForm> form = ShownForm();
  TCheckBox* box = nullptr;
  int clicks = 0;
  bool checkedDuringClick = false;
  void SetUp() override {
    box = new TCheckBox(form.get());
    box->SetParent(form.get());
    box->SetBounds(10, 10, 97, 17);
    box->SetCaption("Include");
    box->SetOnClick([this](TObject* sender) {
      EXPECT_EQ(sender, box);
      ++clicks;
      checkedDuringClick = box->Checked();
    });
    Application->ProcessMessages();
  }
};

TEST_F(CheckBoxFixture, TickByProgramRunsOnClickOnce) {
  box->SetChecked(true);
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(checkedDuringClick);
  box->SetChecked(true);  // no change, no click
  EXPECT_EQ(clicks, 1);
  box->SetChecked(false);
  EXPECT_EQ(clicks, 2);
  EXPECT_FALSE(checkedDuringClick);
}

TEST_F(CheckBoxFixture, UserClickTogglesThenRunsOnClick) {
  SimulateClick(box);
  EXPECT_TRUE(box->Checked());
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(checkedDuringClick);
  SimulateClick(box);
  EXPECT_FALSE(box->Checked());
  EXPECT_EQ(clicks, 2);
}

TEST_F(CheckBoxFixture, SpaceBarTogglesFocusedBox) {
  box->SetFocus();
  SimulateKey(VK_SPACE);
  EXPECT_TRUE(box->Checked());
  EXPECT_EQ(clicks, 1);
}

TEST_F(CheckBoxFixture, DisabledBoxIgnoresTheUserButNotTheProgram) {
  box->SetEnabled(false);
  SimulateClick(box);
  EXPECT_FALSE(box->Checked());
  EXPECT_EQ(clicks, 0);
  box->SetChecked(true);
  EXPECT_TRUE(box->Checked());
  EXPECT_EQ(clicks, 1);
}

TEST_F(CheckBoxFixture, GrayedGoesToTickedOnUserClick) {
  box->SetState(cbGrayed);
  EXPECT_EQ(clicks, 1);
  SimulateClick(box);
  EXPECT_EQ(box->State(), cbChecked);
  EXPECT_EQ(clicks, 2);
}

}  // namespace
