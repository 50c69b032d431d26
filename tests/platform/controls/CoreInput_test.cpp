// Mouse and keyboard input as the window system delivers it: capture,
// enter/leave, clicks, windowless controls hit in their parent, keys and
// dialog keys.
#include <gtest/gtest.h>

#include <QLineEdit>

#include "CoreTestSupport.h"
#include "platform/controls/ControlQt.h"
#include "platform/controls/SimulateInput.h"

namespace {

struct TInputFixture : ::testing::Test {
  TForm* form = new TForm(nullptr);
  TProbeControl* a = new TProbeControl(form);
  TProbeControl* b = new TProbeControl(form);

  void SetUp() override {
    form->SetBounds(0, 0, 300, 200);
    a->SetBounds(10, 10, 100, 50);
    a->SetParent(form);
    b->SetBounds(150, 10, 100, 50);
    b->SetParent(form);
    form->Show();
    SimulateMouseExit();
    a->Log.clear();
    b->Log.clear();
  }
  void TearDown() override {
    SimulateMouseExit();
    delete form;
  }
};

class TGraphicProbe : public TGraphicControl {
 public:
  using TGraphicControl::TGraphicControl;
  std::vector<std::string> Log;

 protected:
  void CMMouseEnter() override { Log.push_back("enter"); }
  void CMMouseLeave() override { Log.push_back("leave"); }
  void MouseDown(TMouseButton, TShiftState, int X, int Y) override {
    Log.push_back("down " + std::to_string(X) + "," + std::to_string(Y));
  }
  void Click() override { Log.push_back("click"); }
};

}  // namespace

TEST_F(TInputFixture, ClickComesAfterTheCaptureIsReleasedAndBeforeMouseUp) {
  int clicks = 0;
  a->SetOnClick([&](TObject* sender) {
    EXPECT_EQ(sender, a);
    ++clicks;
  });
  SimulateMouseMove(a, 5, 5);
  SimulateMouseDown(a, mbLeft, 5, 6);
  EXPECT_TRUE(a->MouseCapture());
  SimulateMouseUp(a, mbLeft, 7, 8);
  EXPECT_FALSE(a->MouseCapture());
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(a->Log, (std::vector<std::string>{"enter", "down 5,6 captured", "click", "up 7,8"}));
  EXPECT_TRUE(b->Log.empty());
}

TEST_F(TInputFixture, EnterAndLeaveAreReportedWhileTheMouseIsCaptured) {
  SimulateMouseMove(a, 50, 25);
  SimulateMouseDown(a, mbLeft, 50, 25);
  // Dragging out over b: only the capturing control hears about it.
  SimulateMouseMove(b, 10, 10);
  SimulateMouseMove(b, 20, 10);
  SimulateMouseMove(a, 40, 25);  // back in
  SimulateMouseMove(a, 150, 25);  // out again, beside the controls
  EXPECT_EQ(a->Log, (std::vector<std::string>{"enter", "down 50,25 captured", "leave", "enter",
                                              "leave"}));
  EXPECT_TRUE(b->Log.empty());
  // Released outside: no click, and the control under the mouse is entered.
  SimulateMouseUp(b, mbLeft, 20, 10);
  EXPECT_EQ(a->Log.back(), "up 160,10");
  EXPECT_EQ(std::count(a->Log.begin(), a->Log.end(), "click"), 0);
  EXPECT_EQ(b->Log, (std::vector<std::string>{"enter"}));
  EXPECT_FALSE(a->MouseCapture());
}

TEST_F(TInputFixture, PressDragOutAndReleaseOutsideIsNoClick) {
  int clicks = 0;
  a->SetOnClick([&](TObject*) { ++clicks; });
  SimulateMouseDown(a, mbLeft, 10, 10);
  SimulateMouseMove(a, 200, 10);
  SimulateMouseUp(a, mbLeft, 200, 10);
  EXPECT_EQ(clicks, 0);
  // A press outside and a release inside is no click either.
  SimulateMouseDown(b, mbLeft, 10, 10);
  SimulateMouseUp(a, mbLeft, 10, 10);
  EXPECT_EQ(clicks, 0);
  SimulateClick(a);
  EXPECT_EQ(clicks, 1);
}

TEST_F(TInputFixture, DoubleClickIsTwoClicksUnlessTheControlTakesDoubleClicks) {
  int clicks = 0, doubles = 0;
  a->SetOnClick([&](TObject*) { ++clicks; });
  a->SetOnDblClick([&](TObject*) { ++doubles; });
  SimulateClick(a);
  SimulateDoubleClick(a, 5, 5);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(doubles, 1);
  a->SetControlStyle(a->ControlStyle() & ~csDoubleClicks);
  SimulateClick(a);
  SimulateDoubleClick(a, 5, 5);
  EXPECT_EQ(clicks, 3);
  EXPECT_EQ(doubles, 1);
}

TEST_F(TInputFixture, WindowlessControlsAreHitInTheirParent) {
  auto* g = new TGraphicProbe(form);
  g->SetBounds(20, 20, 10, 10);
  g->SetParent(a);
  int clicks = 0;
  g->SetOnClick([&](TObject*) { ++clicks; });
  SimulateMouseMove(a, 5, 5);
  SimulateMouseMove(a, 25, 25);
  SimulateMouseDown(a, mbLeft, 25, 26);
  SimulateMouseUp(a, mbLeft, 25, 26);
  SimulateMouseMove(a, 50, 40);
  EXPECT_EQ(g->Log, (std::vector<std::string>{"enter", "down 5,6", "click", "leave"}));
  EXPECT_EQ(a->Log, (std::vector<std::string>{"enter", "leave", "enter"}));
  // Disabled, it lets the mouse through to its parent.
  g->SetEnabled(false);
  g->Log.clear();
  a->Log.clear();
  SimulateMouseDown(a, mbLeft, 25, 25);
  SimulateMouseUp(a, mbLeft, 25, 25);
  EXPECT_EQ(std::count(g->Log.begin(), g->Log.end(), "click"), 0);
  EXPECT_EQ(std::count(a->Log.begin(), a->Log.end(), "down 25,25 captured"), 1);
  EXPECT_EQ(std::count(a->Log.begin(), a->Log.end(), "click"), 1);
}

TEST_F(TInputFixture, KeysReachTheFocusedControlWithTheAutoRepeatFlag) {
  a->SetTabStop(true);
  a->SetFocus();
  std::vector<Word> seen;
  a->SetOnKeyDown([&](TObject*, Word& key, TShiftState) {
    seen.push_back(key);
    if (key == 'X') key = 0;
  });
  SimulateKeyDown(VK_SPACE);
  SimulateKeyDown(VK_SPACE, 0, true);
  SimulateKeyDown(VK_SPACE, 0, true);
  SimulateKeyUp(VK_SPACE);
  SimulateKey('X');
  EXPECT_EQ(a->Keys, (std::vector<std::pair<Word, bool>>{
                         {VK_SPACE, false}, {VK_SPACE, true}, {VK_SPACE, true}, {'X', false}}));
  EXPECT_EQ(seen.size(), 4u);
  std::string typed;
  a->SetOnKeyPress([&](TObject*, char& ch) { typed += ch; });
  SimulateTyping("hi 5");
  EXPECT_EQ(typed, "hi 5");
}

TEST_F(TInputFixture, EnterAndEscapeGoToTheControlThatTakesThemAsDialogKeys) {
  a->SetTabStop(true);
  a->SetFocus();
  b->TakeReturn = true;
  b->Log.clear();
  Word lastKey = 0;
  a->SetOnKeyDown([&](TObject*, Word& key, TShiftState) { lastKey = key; });
  SimulateKey(VK_RETURN);
  EXPECT_EQ(b->Log, (std::vector<std::string>{"dialog return"}));
  EXPECT_EQ(lastKey, 0) << "a taken dialog key does not reach the focused control";
  // Nobody takes Escape: the focused control gets it as a key.
  SimulateKey(VK_ESCAPE);
  EXPECT_EQ(lastKey, VK_ESCAPE);
  a->TakeEscape = true;  // the first control in control order wins
  b->TakeEscape = true;
  SimulateKey(VK_ESCAPE);
  EXPECT_EQ(a->Log.back(), "dialog escape");
  EXPECT_EQ(b->Log.back(), "dialog return");
}

TEST_F(TInputFixture, TabMovesTheFocusInTabOrder) {
  a->SetTabStop(true);
  b->SetTabStop(true);
  a->SetFocus();
  SimulateKey(VK_TAB);
  EXPECT_TRUE(b->Focused());
  SimulateKey(VK_TAB, ssShift);
  EXPECT_TRUE(a->Focused());
}

namespace {

// A windowed control made of a native Qt edit.
class TNativeEdit : public TWinControl {
 public:
  explicit TNativeEdit(TComponent* owner) : TWinControl(owner), FEdit(new QLineEdit) {
    AttachNativeWidget(this, FEdit);
  }
  std::string Typed() const { return FEdit->text().toStdString(); }

 private:
  QLineEdit* FEdit;
};

}  // namespace

TEST_F(TInputFixture, NativeControlsGetTheFocusOnClickAndTheTypedCharacters) {
  auto* edit = new TNativeEdit(form);
  edit->SetBounds(10, 100, 100, 21);
  edit->SetParent(form);
  a->SetTabStop(true);
  a->SetFocus();
  std::string pressed;
  edit->SetOnKeyPress([&](TObject*, char& ch) {
    pressed += ch;
    if (ch == 'x') ch = 0;  // swallowed
    if (ch == 'q') ch = 'Q';  // replaced
  });
  int clicks = 0;
  edit->SetOnClick([&](TObject*) { ++clicks; });
  SimulateClick(edit);
  EXPECT_TRUE(edit->Focused());
  EXPECT_EQ(clicks, 1);
  SimulateTyping("axbq");
  EXPECT_EQ(pressed, "axbq");
  EXPECT_EQ(edit->Typed(), "abQ");
  // Arrows belong to the edit; Tab still leaves it.
  SimulateKey(VK_LEFT);
  EXPECT_TRUE(edit->Focused());
  SimulateKey(VK_TAB);
  EXPECT_TRUE(a->Focused());
}
