// The message loop of the whole program: Run shows the main form and ends
// when the main form is closed. Run terminates the application object for
// good, so each case runs in a fresh process.
#include <gtest/gtest.h>

#include <QTimer>

#include <cstdio>
#include <cstdlib>

#include "CoreTestSupport.h"
#include "platform/base/MainThread.h"

namespace {

class TMainForm : public TForm {
 public:
  explicit TMainForm(TComponent* owner) : TForm(owner) {
    SetOnCreate([](TObject*) { Trace += "create;"; });
    SetOnShow([](TObject*) { Trace += "show;"; });
    SetOnActivate([](TObject*) { Trace += "activate;"; });
    SetOnClose([](TObject*, TCloseAction& action) {
      Trace += "close;";
      action = caFree;
    });
  }
  static std::string Trace;
};
std::string TMainForm::Trace;

class TOtherForm : public TForm {
 public:
  using TForm::TForm;
};

// Runs the program's start-up sequence; exits 0 when it went as expected.
[[noreturn]] void RunProgram() {
  TMainForm* main = nullptr;
  TOtherForm* other = nullptr;
  Application->CreateForm(main);
  Application->CreateForm(other);
  if (Application->MainForm() != main || other->Visible()) std::exit(2);
  other->SetPosition(poMainFormCenter);
  QTimer::singleShot(20, [&] {
    other->Show();  // centred over the main form
    if (other->Left() != main->Left() + (main->Width() - other->Width()) / 2) std::exit(3);
    other->Close();  // an ordinary form only hides
    if (other->Visible() || Application->Terminated()) std::exit(4);
    main->Close();
  });
  Application->Run();
  if (!Application->Terminated()) std::exit(5);
  // Active again once the other form has gone.
  if (TMainForm::Trace != "create;show;activate;activate;close;") {
    fprintf(stderr, "%s\n", TMainForm::Trace.c_str());
    std::exit(6);
  }
  std::exit(0);
}

// A call handed over while the loop ends (a window that frees itself once
// its callback returns, say) still runs before Run returns.
[[noreturn]] void RunAndEndWithACallHandedOver() {
  static bool ran = false;
  QTimer::singleShot(20, [] {
    Application->Terminate();
    Queue([] { ran = true; });
  });
  Application->Run();
  std::exit(ran ? 0 : 7);
}

}  // namespace

TEST(ApplicationDeathTest, RunEndsWhenTheMainFormCloses) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(RunProgram(), ::testing::ExitedWithCode(0), "");
}

// Fault mended: such a call was dropped, and what it was to free leaked.
TEST(ApplicationDeathTest, CallsHandedOverWhileRunEndsStillRun) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(RunAndEndWithACallHandedOver(), ::testing::ExitedWithCode(0), "");
}
