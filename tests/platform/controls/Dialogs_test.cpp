// Message boxes, the file-open dialog, shell "open" and the taskbar flash.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "StdTestSupport.h"
#include "platform/base/Exceptions.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/OpenDialog.h"
#include "platform/controls/Shell.h"

namespace {

TEST(MessageDlg, CaptionIsTheWordOfTheKind) {
  TMessageBoxCapture boxes;
  MessageDlg("Selected computer not online.", mtInformation, mbOK);
  MessageDlg("Invalid Video Format Selected. Please Select RGB.", mtWarning, mbOK);
  MessageDlg("File [IPAddress.dat] not Found.", mtError, mbOK);
  MessageDlg("Delete selected contact?", mtConfirmation, mbYes | mbNo);
  ASSERT_EQ(boxes.Boxes().size(), 4u);
  EXPECT_EQ(boxes.Boxes()[0].Caption, "Information");
  EXPECT_EQ(boxes.Boxes()[1].Caption, "Warning");
  EXPECT_EQ(boxes.Boxes()[2].Caption, "Error");
  EXPECT_EQ(boxes.Boxes()[3].Caption, "Confirm");
  EXPECT_EQ(boxes.Boxes()[3].Kind, mtConfirmation);
  EXPECT_EQ(boxes.Boxes()[3].Text, "Delete selected contact?");
  EXPECT_EQ(boxes.Boxes()[3].Buttons, TMsgDlgButtons(mbYes | mbNo));
}

TEST(MessageDlg, CapturedBoxesAreAnsweredInTurn) {
  TMessageBoxCapture boxes({mrNo, mrYes});
  EXPECT_EQ(MessageDlg("Delete selected contact?", mtConfirmation, mbYes | mbNo), mrNo);
  EXPECT_EQ(MessageDlg("Delete selected contact?", mtConfirmation, mbYes | mbNo), mrYes);
  // Answers used up: the affirmative button.
  EXPECT_EQ(MessageDlg("Delete selected contact?", mtConfirmation, mbYes | mbNo), mrYes);
  EXPECT_EQ(MessageDlg("Please enter Contact Name and IP Address.", mtInformation, mbOK), mrOk);
}

TEST(MessageDlg, ShowMessageUsesTheApplicationTitle) {
  TMessageBoxCapture boxes;
  ShowMessage("hello");
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].Caption, "Tamblin");
  EXPECT_EQ(boxes.Boxes()[0].Kind, mtCustom);
}

// The real box: its title, the kind's icon, the buttons' texts, and the
// answer of the button pressed.
TEST(MessageDlg, RealBoxShowsTheHostsButtonsAndAnswersThePressedOne) {
  std::string title;
  QStringList texts;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    title = box->windowTitle().toStdString();
    icon = box->icon();
    QAbstractButton* no = nullptr;
    for (QAbstractButton* b : box->buttons()) {
      texts << b->text();
      if (b->text() == "&No") no = b;
    }
    ASSERT_NE(no, nullptr);
    no->click();
  });
  const TModalResult result = MessageDlg("Delete selected contact?", mtConfirmation, mbYes | mbNo);
  EXPECT_EQ(result, mrNo);
  EXPECT_EQ(title, "Confirm");
  EXPECT_EQ(icon, QMessageBox::Question);
  EXPECT_TRUE(texts.contains("&Yes"));
  EXPECT_TRUE(texts.contains("&No"));
  EXPECT_EQ(texts.size(), 2);
}

TEST(MessageDlg, RealErrorBoxHasOneOkButton) {
  QStringList texts;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    icon = box->icon();
    for (QAbstractButton* b : box->buttons()) texts << b->text();
    box->buttons().first()->click();
  });
  EXPECT_EQ(MessageDlg("Stream read error", mtError, mbOK), mrOk);
  EXPECT_EQ(icon, QMessageBox::Critical);
  EXPECT_EQ(texts, QStringList{"OK"});
}

TEST(ExceptionBox, EscapedExceptionIsShownWithTitleAndFullStop) {
  TMessageBoxCapture boxes;
  try {
    throw Exception("Null Remote Address");
  } catch (...) {
    Application->HandleException(nullptr);
  }
  try {
    throw Exception("Already ends with a stop.");
  } catch (...) {
    Application->HandleException(nullptr);
  }
  try {
    throw EAbort();
  } catch (...) {
    Application->HandleException(nullptr);  // silent
  }
  ASSERT_EQ(boxes.Boxes().size(), 2u);
  EXPECT_EQ(boxes.Boxes()[0].Kind, mtError);
  EXPECT_EQ(boxes.Boxes()[0].Caption, "Tamblin");
  EXPECT_EQ(boxes.Boxes()[0].Text, "Null Remote Address.");
  EXPECT_EQ(boxes.Boxes()[0].Buttons, TMsgDlgButtons(mbOK));
  EXPECT_EQ(boxes.Boxes()[1].Text, "Already ends with a stop.");
}

// ---- file-open dialog ---------------------------------------------------------

const char* const kMediaFilter =
    "Supported Media Files|*.mp3;*.wav;*.wma|MP3 (*.mp3)|*.mp3|Wave (*.wav)|*.wav|"
    "Windows Media Audio (*.wma)|*.wma";

TEST(FileFilter, HostSyntaxSplitsIntoDescriptionsAndPatterns) {
  const std::vector<TFileFilter> filters = ParseFileFilter(kMediaFilter);
  ASSERT_EQ(filters.size(), 4u);
  EXPECT_EQ(filters[0], (TFileFilter{"Supported Media Files", {"*.mp3", "*.wav", "*.wma"}}));
  EXPECT_EQ(filters[1], (TFileFilter{"MP3 (*.mp3)", {"*.mp3"}}));
  EXPECT_EQ(filters[3], (TFileFilter{"Windows Media Audio (*.wma)", {"*.wma"}}));
}

TEST(FileFilter, OddFiltersStayUsable) {
  EXPECT_TRUE(ParseFileFilter("").empty());
  EXPECT_EQ(ParseFileFilter("All"), (std::vector<TFileFilter>{{"All", {"*"}}}));
  EXPECT_EQ(ParseFileFilter("Text|*.txt;;|"), (std::vector<TFileFilter>{{"Text", {"*.txt"}}}));
  EXPECT_EQ(ParseFileFilter("A| *.a ; *.b "), (std::vector<TFileFilter>{{"A", {"*.a", "*.b"}}}));
}

struct OpenDialogHookGuard {
  ~OpenDialogHookGuard() { SetOpenDialogHook(nullptr); }
};

TEST(OpenDialog, ConfirmedChoiceIsStoredCancelChangesNothing) {
  OpenDialogHookGuard guard;
  TOpenDialog dialog(nullptr);
  dialog.SetFilter(kMediaFilter);
  dialog.SetFileName("/tmp/old.wav");
  std::string seenName, seenFilter;
  SetOpenDialogHook([&](const TOpenDialog& d) {
    seenName = d.FileName();
    seenFilter = d.Filter();
    return TOpenDialogAnswer{};  // cancel
  });
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(seenName, "/tmp/old.wav");
  EXPECT_EQ(seenFilter, kMediaFilter);
  EXPECT_EQ(dialog.FileName(), "/tmp/old.wav");
  SetOpenDialogHook([](const TOpenDialog&) { return TOpenDialogAnswer{true, "/music/ring.mp3", 2}; });
  EXPECT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.FileName(), "/music/ring.mp3");
  EXPECT_EQ(dialog.FilterIndex(), 2);
}

// ---- shell ------------------------------------------------------------------

struct ShellGuard {
  ~ShellGuard() {
    SetShellLauncher(nullptr);
    SetFlashObserver(nullptr);
  }
};

TEST(Shell, OpenHandsTheAddressToTheDesktopOpenerAsOneArgument) {
  ShellGuard guard;
  std::string program;
  std::vector<std::string> args;
  SetShellLauncher([&](const std::string& p, const std::vector<std::string>& a) {
    program = p;
    args = a;
    return true;
  });
  EXPECT_TRUE(ShellExecute("open", "http://example.org/a b;rm -rf ~"));
  EXPECT_EQ(program, "xdg-open");
  EXPECT_EQ(args, (std::vector<std::string>{"http://example.org/a b;rm -rf ~"}));
}

TEST(Shell, RefusesWhatIsNoDocument) {
  ShellGuard guard;
  int launches = 0;
  SetShellLauncher([&](const std::string&, const std::vector<std::string>&) {
    ++launches;
    return true;
  });
  EXPECT_FALSE(ShellExecute("open", ""));
  EXPECT_FALSE(ShellExecute("open", "--help"));
  EXPECT_FALSE(ShellExecute("print", "http://example.org"));
  EXPECT_EQ(launches, 0);
  SetShellLauncher([](const std::string&, const std::vector<std::string>&) { return false; });
  EXPECT_FALSE(ShellExecute("open", "http://example.org"));
}

TEST(Shell, FlashWindowMarksTheFormsWindow) {
  ShellGuard guard;
  std::unique_ptr<TForm> form = ShownForm();
  std::vector<TWinControl*> flashed;
  SetFlashObserver([&](TWinControl* w) { flashed.push_back(w); });
  FlashWindow(form.get(), true);
  FlashWindow(nullptr, true);
  EXPECT_EQ(flashed, (std::vector<TWinControl*>{form.get(), nullptr}));
}

}  // namespace
