// A key press is handled once, by the focused control, and offered once as a
// dialog key to its form: whatever the control's native widget leaves unused
// (Enter in a line edit, Escape in a list) must not reach the controls under
// it a second time as their own key.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "CoreTestSupport.h"
#include "platform/controls/CheckBox.h"
#include "platform/controls/Edit.h"
#include "platform/controls/ListBox.h"
#include "platform/controls/Panel.h"
#include "platform/controls/SimulateInput.h"
#include "platform/controls/SpinEdit.h"

namespace {

// Counts how often the form offers it a dialog key and how often it took
// one; takes Enter when asked to, like a Default button.
class TDialogKeyCounter : public TProbeControl {
 public:
  using TProbeControl::TProbeControl;
  int Offers = 0;
  int Taken = 0;

 protected:
  bool DialogKey(Word Key, TShiftState Shift) override {
    ++Offers;
    const bool taken = TProbeControl::DialogKey(Key, Shift);
    Taken += taken;
    return taken;
  }
};

// A custom windowed control that uses Enter itself.
class TEnterUser : public TProbeControl {
 public:
  using TProbeControl::TProbeControl;

 protected:
  bool WantsKey(Word Key) const override { return Key == VK_RETURN; }
};

// A form laid out like the program's windows: a plain panel holding a
// custom-drawn (skinned) container, which holds the focusable controls; a
// counter of dialog-key offers beside them.
struct TKeyRoutingFixture : ::testing::Test {
  TForm* form = new TForm(nullptr);
  TPanel* panel = new TPanel(form);
  TProbeControl* container = new TProbeControl(form);
  TDialogKeyCounter* counter = new TDialogKeyCounter(form);
  std::vector<std::string> elsewhere;  // keys that reached a control other than the focused one

  void SetUp() override {
    form->SetBounds(0, 0, 400, 300);
    panel->SetParent(form);
    panel->SetBounds(0, 0, 400, 250);
    container->SetParent(panel);
    container->SetBounds(5, 5, 390, 240);
    counter->SetParent(form);
    counter->SetBounds(0, 260, 20, 20);
    form->SetOnKeyDown(Recorder("form"));
    panel->SetOnKeyDown(Recorder("panel"));
    container->SetOnKeyDown(Recorder("container"));
    form->Show();
    Application->ProcessMessages();
  }
  void TearDown() override { delete form; }

  TKeyEvent Recorder(const std::string& Name) {
    return [this, Name](TObject*, Word& Key, TShiftState) {
      elsewhere.push_back(Name + " " + std::to_string(Key));
    };
  }
  template <class T>
  T* Place(int Left, int Top) {
    auto* c = new T(form);
    c->SetParent(container);
    c->SetLeft(Left);
    c->SetTop(Top);
    return c;
  }
  void Focus(TWinControl* Control) {
    Control->SetFocus();
    Application->ProcessMessages();
    ASSERT_TRUE(Control->Focused());
  }
};

}  // namespace

TEST_F(TKeyRoutingFixture, CustomControlInAPanelGetsOneKeyDownPerKeyPress) {
  auto* probe = Place<TProbeControl>(10, 10);
  probe->SetBounds(10, 10, 50, 50);
  probe->SetTabStop(true);
  Focus(probe);
  int keyUps = 0;
  probe->SetOnKeyUp([&](TObject*, Word&, TShiftState) { ++keyUps; });
  SimulateKey('A');
  SimulateKey(VK_RETURN);
  SimulateKey(VK_ESCAPE);
  SimulateKeyDown(VK_SPACE);
  SimulateKeyDown(VK_SPACE, 0, true);
  SimulateKeyUp(VK_SPACE);
  EXPECT_EQ(probe->Keys, (std::vector<std::pair<Word, bool>>{
                             {'A', false}, {VK_RETURN, false}, {VK_ESCAPE, false},
                             {VK_SPACE, false}, {VK_SPACE, true}}));
  EXPECT_EQ(keyUps, 4);
  EXPECT_EQ(counter->Offers, 2) << "Enter and Escape, each offered once";
  EXPECT_TRUE(elsewhere.empty()) << elsewhere.front();
}

TEST_F(TKeyRoutingFixture, EachNativeControlHasItsKeysOnceAndAloneAsInTheMainWindow) {
  // The main window's address fields and chat input act on Enter in OnKeyDown.
  auto* edit = Place<TEdit>(10, 10);
  auto* check = Place<TCheckBox>(10, 40);
  auto* list = Place<TListBox>(10, 70);
  auto* spin = Place<TSpinEdit>(200, 10);
  list->Items()->Add("one");
  list->Items()->Add("two");
  std::vector<TWinControl*> natives{edit, check, list, spin};
  for (TWinControl* native : natives) {
    std::vector<Word> downs;
    std::string pressed;
    int ups = 0;
    native->SetOnKeyDown([&](TObject*, Word& Key, TShiftState) { downs.push_back(Key); });
    native->SetOnKeyUp([&](TObject*, Word&, TShiftState) { ++ups; });
    native->SetOnKeyPress([&](TObject*, char& Ch) { pressed += Ch; });
    counter->Offers = 0;
    Focus(native);
    SimulateKey(VK_RETURN);
    SimulateKey(VK_ESCAPE);
    SimulateKey('7');
    SimulateKey(VK_BACK);
    SCOPED_TRACE(native->ClassName());
    EXPECT_EQ(downs, (std::vector<Word>{VK_RETURN, VK_ESCAPE, '7', VK_BACK}));
    EXPECT_EQ(ups, 4);
    EXPECT_EQ(pressed, std::string("\r\x1b" "7\b"));
    EXPECT_EQ(counter->Offers, 2);
    EXPECT_TRUE(elsewhere.empty()) << elsewhere.front();
    native->SetOnKeyDown(nullptr);
    native->SetOnKeyUp(nullptr);
    native->SetOnKeyPress(nullptr);
  }
}

TEST_F(TKeyRoutingFixture, EnterInAnEditGoesToTheDefaultButtonOnlyWhenTheEditDoesNotUseIt) {
  auto* edit = Place<TEdit>(10, 10);
  auto* user = Place<TEnterUser>(10, 50);
  user->SetBounds(10, 50, 50, 20);
  user->SetTabStop(true);
  std::vector<Word> editKeys;
  edit->SetOnKeyDown([&](TObject*, Word& Key, TShiftState) { editKeys.push_back(Key); });

  // No control takes Enter: the edit has it, once.
  Focus(edit);
  SimulateKey(VK_RETURN);
  EXPECT_EQ(editKeys, std::vector<Word>{VK_RETURN});
  EXPECT_EQ(counter->Offers, 1);

  // A Default button takes the Enter that the edit does not use, once; a key
  // taken as a dialog key does not reach the focused control.
  counter->TakeReturn = true;
  SimulateKey(VK_RETURN);
  EXPECT_EQ(counter->Taken, 1);
  EXPECT_EQ(editKeys, std::vector<Word>{VK_RETURN});

  // A control that uses Enter itself keeps it from the Default button.
  Focus(user);
  SimulateKey(VK_RETURN);
  EXPECT_EQ(user->Keys, (std::vector<std::pair<Word, bool>>{{VK_RETURN, false}}));
  EXPECT_EQ(counter->Taken, 1);
  EXPECT_TRUE(elsewhere.empty()) << elsewhere.front();
}

TEST_F(TKeyRoutingFixture, AKeyTypedByAHandlerIsRoutedOnItsOwn) {
  // A handler that sends a key of its own while the first is on its way:
  // both reach the focused control once each, nothing reaches the others.
  auto* edit = Place<TEdit>(10, 10);
  std::vector<Word> keys;
  bool sent = false;
  edit->SetOnKeyDown([&](TObject*, Word& Key, TShiftState) {
    keys.push_back(Key);
    if (Key == VK_RETURN && !sent) {
      sent = true;
      SimulateKey(VK_ESCAPE);
    }
  });
  Focus(edit);
  SimulateKey(VK_RETURN);
  EXPECT_EQ(keys, (std::vector<Word>{VK_RETURN, VK_ESCAPE}));
  EXPECT_EQ(counter->Offers, 2);
  EXPECT_TRUE(elsewhere.empty()) << elsewhere.front();
}
