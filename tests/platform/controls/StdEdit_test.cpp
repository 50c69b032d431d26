// TEdit: typing, the MaxLength limit, keys reaching OnKeyDown.
#include <gtest/gtest.h>

#include <vector>

#include "StdTestSupport.h"
#include "platform/controls/Edit.h"
#include "platform/controls/Panel.h"
#include "platform/controls/SimulateInput.h"

namespace {

struct EditFixture : ::testing::Test {
  std::unique_ptr<TForm> form = ShownForm();
  TEdit* edit = nullptr;
  void SetUp() override {
    edit = new TEdit(form.get());
    edit->SetParent(form.get());
    edit->SetBounds(10, 10, 120, 21);
    edit->SetFocus();
    Application->ProcessMessages();
  }
};

TEST_F(EditFixture, TypedTextArrivesInText) {
  SimulateTyping("hello");
  EXPECT_EQ(edit->Text(), "hello");
}

TEST_F(EditFixture, MaxLengthRefusesFurtherCharacters) {
  edit->SetMaxLength(5);
  SimulateTyping("abcdefgh");
  EXPECT_EQ(edit->Text(), "abcde");
  // Room made by deleting takes exactly one more character.
  SimulateKey(VK_BACK);
  SimulateTyping("xy");
  EXPECT_EQ(edit->Text(), "abcdx");
}

TEST_F(EditFixture, ProgramTextIsKeptWholeButTypingStillRefused) {
  edit->SetMaxLength(3);
  edit->SetText("longer than three");
  EXPECT_EQ(edit->Text(), "longer than three");
  SimulateKey(VK_END);
  SimulateTyping("!");
  EXPECT_EQ(edit->Text(), "longer than three");
}

TEST_F(EditFixture, ZeroMaxLengthMeansNoLimit) {
  edit->SetMaxLength(0);
  SimulateTyping(std::string(200, 'z'));
  EXPECT_EQ(edit->Text().size(), 200u);
}

TEST_F(EditFixture, EnterReachesOnKeyDownAndCanBeSwallowed) {
  std::vector<Word> keys;
  edit->SetOnKeyDown([&](TObject* sender, Word& key, TShiftState) {
    EXPECT_EQ(sender, edit);
    keys.push_back(key);
  });
  SimulateTyping("ab");
  SimulateKey(VK_RETURN);
  ASSERT_FALSE(keys.empty());
  EXPECT_EQ(keys.back(), VK_RETURN);
  EXPECT_EQ(edit->Text(), "ab");
}

// Qt hands keys a line edit does not use (Enter) on to the parent widget;
// the parent control must not take them as its own.
TEST(EditInPanel, EnterGoesToTheEditOnly) {
  std::unique_ptr<TForm> form = ShownForm();
  auto* panel = new TPanel(form.get());
  panel->SetParent(form.get());
  panel->SetBounds(0, 0, 200, 100);
  auto* edit = new TEdit(form.get());
  edit->SetParent(panel);
  edit->SetBounds(10, 10, 100, 21);
  int editKeys = 0, panelKeys = 0, formKeys = 0;
  edit->SetOnKeyDown([&](TObject*, Word& key, TShiftState) { editKeys += key == VK_RETURN; });
  panel->SetOnKeyDown([&](TObject*, Word&, TShiftState) { ++panelKeys; });
  form->SetOnKeyDown([&](TObject*, Word&, TShiftState) { ++formKeys; });
  edit->SetFocus();
  Application->ProcessMessages();
  SimulateKey(VK_RETURN);
  EXPECT_EQ(editKeys, 1);
  EXPECT_EQ(panelKeys, 0);
  EXPECT_EQ(formKeys, 0);
}

TEST_F(EditFixture, Latin1TextRoundTrips) {
  const std::string text = "caf\xE9 \xA3" "5";
  edit->SetText(text);
  EXPECT_EQ(edit->Text(), text);
}

}  // namespace
