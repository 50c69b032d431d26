// TSpinEdit: value from text, bounds, steps, clamping when the focus leaves.
#include <gtest/gtest.h>

#include "StdTestSupport.h"
#include "platform/controls/Edit.h"
#include "platform/controls/SimulateInput.h"
#include "platform/controls/SpinEdit.h"

namespace {

struct SpinFixture : ::testing::Test {
  std::unique_ptr<TForm> form = ShownForm();
  TSpinEdit* spin = nullptr;
  TEdit* other = nullptr;
  void SetUp() override {
    spin = new TSpinEdit(form.get());
    spin->SetParent(form.get());
    spin->SetBounds(10, 10, 60, 22);
    spin->SetMinValue(1);
    spin->SetMaxValue(20);
    spin->SetValue(1);
    other = new TEdit(form.get());
    other->SetParent(form.get());
    other->SetBounds(10, 50, 100, 21);
    Application->ProcessMessages();
  }
};

TEST_F(SpinFixture, ProgramValuesAreKeptInBounds) {
  spin->SetValue(30);
  EXPECT_EQ(spin->Value(), 20);
  EXPECT_EQ(spin->Text(), "20");
  spin->SetValue(-4);
  EXPECT_EQ(spin->Value(), 1);
}

TEST_F(SpinFixture, TextThatIsNoNumberCountsAsTheMinimum) {
  spin->SetText("abc");
  EXPECT_EQ(spin->Value(), 1);
  spin->SetText("");
  EXPECT_EQ(spin->Value(), 1);
  spin->SetText("7");
  EXPECT_EQ(spin->Value(), 7);
}

TEST_F(SpinFixture, TypedValueOutOfBoundsIsClampedWhenFocusLeaves) {
  spin->SetFocus();
  SimulateKey(VK_END);
  SimulateKey(VK_BACK);
  SimulateTyping("35");
  EXPECT_EQ(spin->Text(), "35");  // free while typing
  other->SetFocus();
  Application->ProcessMessages();
  EXPECT_EQ(spin->Text(), "20");
}

TEST_F(SpinFixture, OnlyDigitsAndSignsCanBeTyped) {
  spin->SetText("");
  spin->SetFocus();
  SimulateTyping("1x2");
  EXPECT_EQ(spin->Text(), "12");
}

TEST_F(SpinFixture, ArrowsAndButtonsStepByIncrementWithinBounds) {
  spin->SetIncrement(5);
  spin->SetValue(10);
  int keyDowns = 0;
  spin->SetOnKeyDown([&](TObject*, Word& key, TShiftState) { keyDowns += key == VK_UP; });
  spin->SetFocus();
  SimulateKey(VK_UP);
  EXPECT_EQ(spin->Value(), 15);
  EXPECT_EQ(keyDowns, 1);
  SimulateKey(VK_UP);
  EXPECT_EQ(spin->Value(), 20);
  SimulateKey(VK_UP);
  EXPECT_EQ(spin->Value(), 20);
  spin->StepDown();
  EXPECT_EQ(spin->Value(), 15);
}

TEST_F(SpinFixture, EqualBoundsMeanNoBounds) {
  spin->SetMinValue(0);
  spin->SetMaxValue(0);
  spin->SetValue(12345);
  EXPECT_EQ(spin->Value(), 12345);
}

}  // namespace
