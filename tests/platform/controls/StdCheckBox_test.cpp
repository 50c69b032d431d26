// TCheckBox: the tick runs OnClick whether the user or the program changed it.
#include <gtest/gtest.h>

#include "StdTestSupport.h"
#include "platform/controls/CheckBox.h"
#include "platform/controls/SimulateInput.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Graphic.h"

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

// Pixels of Color in the caption part of Box (right of its tick square).
int CaptionPixels(TForm& Form, TCheckBox& Box, TColor Color) {
  const auto image = Form.GetFormImage();
  int count = 0;
  for (int y = Box.Top(); y < Box.Top() + Box.Height(); ++y)
    for (int x = Box.Left() + 18; x < Box.Left() + Box.Width(); ++x)
      count += image->Pixel(x, y) == ColorToRGB(Color);
  return count;
}

TEST_F(CheckBoxFixture, ADisabledCaptionIsGreyWhateverItsFontColour) {
  box->Font()->SetColor(clBlue);
  Application->ProcessMessages();
  EXPECT_GT(CaptionPixels(*form, *box, clBlue), 10);
  EXPECT_EQ(CaptionPixels(*form, *box, clGrayText), 0);

  box->SetEnabled(false);
  Application->ProcessMessages();
  EXPECT_EQ(CaptionPixels(*form, *box, clBlue), 0);
  EXPECT_GT(CaptionPixels(*form, *box, clGrayText), 10);

  box->SetEnabled(true);
  Application->ProcessMessages();
  EXPECT_GT(CaptionPixels(*form, *box, clBlue), 10);
}

}  // namespace
