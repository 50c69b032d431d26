// The settings window on a main window that was made but not started (so
// only the chat port is taken): filling from the main window's fields at
// every activation, saving the four keys and the fields, Enter, the file
// dialog and a file that cannot be written.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "DialogTestSupport.h"
#include "app/Main.h"
#include "capture/VideoOptions.h"
#include "dialogs/Settings.h"
#include "platform/base/MainThread.h"
#include "platform/base/Profile.h"
#include "platform/controls/Application.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Edit.h"
#include "platform/controls/OpenDialog.h"
#include "platform/controls/SimulateInput.h"
#include "platform/controls/SpinEdit.h"
#include "platform/graphics/Bitmap.h"
#include "widgets/sk/SkButton.h"

namespace {

class SettingsTest : public testing::Test {
 protected:
  void SetUp() override {
    Clean();
    Main = new TfrmMain(Application);
    frmMain = Main;
    Main->FRingTone = "/sounds/ring.wav";
    Main->FRingTimeMs = 10000;
    Main->FReplyMessage = "Unanswered";
    Main->FCallerID = "10.0.0.5";
    Window = new TfrmSettings(Application);
    frmSettings = Window;
  }
  void TearDown() override {
    SetOpenDialogHook(nullptr);
    if (Window->Visible()) Window->Hide();
    delete Window;
    delete Main;
    frmMain = nullptr;
    Application->ProcessMessages();
    Boxes.reset();
    Clean();
  }
  static void Clean() {
    std::error_code ignored;
    std::filesystem::remove_all(Path(), ignored);
  }
  static std::string Path() { return FileBeside("Settings.ini"); }
  static std::string Key(const std::string& Name) {
    return GetPrivateProfileString("Settings", Name, "<missing>", Path());
  }
  void Open() {
    Window->Show();
    Application->ProcessMessages();
  }

  std::unique_ptr<TMessageBoxCapture> Boxes = std::make_unique<TMessageBoxCapture>();
  TfrmMain* Main = nullptr;
  TfrmSettings* Window = nullptr;
};

TEST_F(SettingsTest, TheLayoutLoadsWithItsLimitsAndFilter) {
  EXPECT_EQ(Window->Caption(), "Settings");
  EXPECT_EQ(Window->sedRingTime->MinValue(), 1);
  EXPECT_EQ(Window->sedRingTime->MaxValue(), 20);
  EXPECT_EQ(Window->edtMessage->MaxLength(), 50);
  EXPECT_EQ(Window->edtCallerID->MaxLength(), 50);
  EXPECT_TRUE(Window->SkButton1->Glyph()->Empty());
  EXPECT_FALSE(Window->btnSave->Glyph()->Empty());
  EXPECT_EQ(Window->OpenDialog1->Filter(),
            "Supported Media Files|*.mp3;*.wav;*.wma|MP3 (*.mp3)|*.mp3|Wave (*.wav)|*.wav|"
            "Windows Media Audio (*.wma)|*.wma");
}

TEST_F(SettingsTest, SavingWritesTheFourKeysAndTheMainWindowsFields) {
  WriteWholeFile(Path(), "[Other]\r\nA=1\r\n[Settings]\r\nMessage=old\r\nExtra=keep\r\n");
  Main->FRingTimeMs = 30000;  // more than the window offers
  Open();
  EXPECT_EQ(Window->edtRingTone->Text(), "/sounds/ring.wav");
  EXPECT_EQ(Window->sedRingTime->Value(), 20);
  EXPECT_EQ(Window->edtMessage->Text(), "Unanswered");
  EXPECT_EQ(Window->edtCallerID->Text(), "10.0.0.5");
  EXPECT_TRUE(Window->edtRingTone->Focused());

  Window->edtRingTone->SetText("");
  Window->edtMessage->SetText("Busy now");
  Window->edtCallerID->SetText("Ann");
  SimulateClick(Window->btnSave);
  EXPECT_FALSE(Window->Visible());
  EXPECT_TRUE(Boxes->Boxes().empty());
  EXPECT_EQ(Key("RingTone"), "");
  EXPECT_EQ(Key("RingTime"), "20");
  EXPECT_EQ(Key("Message"), "Busy now");
  EXPECT_EQ(Key("CallerID"), "Ann");
  EXPECT_EQ(Key("Extra"), "keep");
  EXPECT_EQ(GetPrivateProfileString("Other", "A", "", Path()), "1");
  EXPECT_EQ(Main->FRingTone, "");
  EXPECT_EQ(Main->FRingTimeMs, 20000);
  EXPECT_EQ(Main->FReplyMessage, "Busy now");
  EXPECT_EQ(Main->FCallerID, "Ann");
}

TEST_F(SettingsTest, ARingTimeTypedOutsideItsRangeIsSavedWithinIt) {
  Open();
  Window->sedRingTime->SetFocus();
  Window->sedRingTime->SetText("");
  SimulateTyping("0");
  Window->btnSaveClick(nullptr);  // the focus never left the spin edit
  EXPECT_EQ(Key("RingTime"), "1");
  EXPECT_EQ(Main->FRingTimeMs, 1000);

  Open();
  Window->sedRingTime->SetFocus();
  Window->sedRingTime->SetText("");
  SimulateTyping("35");
  Window->btnSaveClick(nullptr);
  EXPECT_EQ(Key("RingTime"), "20");
  EXPECT_EQ(Main->FRingTimeMs, 20000);
}

TEST_F(SettingsTest, CloseChangesNeitherTheFieldsNorTheFile) {
  Open();
  Window->edtMessage->SetText("typed");
  Window->sedRingTime->SetValue(3);
  Window->btnCloseClick(nullptr);
  EXPECT_FALSE(Window->Visible());
  EXPECT_FALSE(std::filesystem::exists(Path()));
  EXPECT_EQ(Main->FReplyMessage, "Unanswered");
  EXPECT_EQ(Main->FRingTimeMs, 10000);
  Open();  // and the next opening shows the fields again
  EXPECT_EQ(Window->edtMessage->Text(), "Unanswered");
  EXPECT_EQ(Window->sedRingTime->Value(), 10);
}

TEST_F(SettingsTest, EveryActivationRefillsTheEditsAlsoAfterTheVideoOptions) {
  frmVideoOptions = new TfrmVideoOptions(Application);
  Open();
  Window->edtCallerID->SetText("not saved");
  Main->FCallerID = "changed meanwhile";
  Queue([] { frmVideoOptions->btnCloseClick(nullptr); });
  Window->btnWebcamClick(nullptr);
  EXPECT_FALSE(frmVideoOptions->Visible());
  EXPECT_TRUE(Window->Active());
  EXPECT_EQ(Window->edtCallerID->Text(), "changed meanwhile");
  EXPECT_TRUE(Window->edtRingTone->Focused());
  delete frmVideoOptions;
  frmVideoOptions = nullptr;
}

TEST_F(SettingsTest, EnterMovesTheFocusDownToSaveWithoutSaving) {
  Open();
  SimulateKey(VK_RETURN);
  EXPECT_TRUE(Window->sedRingTime->Focused());
  SimulateKey(VK_RETURN);
  EXPECT_TRUE(Window->edtMessage->Focused());
  SimulateKey(VK_RETURN);
  EXPECT_TRUE(Window->edtCallerID->Focused());
  SimulateKey(VK_RETURN);
  EXPECT_TRUE(Window->btnSave->Focused());
  EXPECT_TRUE(Window->Visible());
  EXPECT_FALSE(std::filesystem::exists(Path()));
  SimulateTyping("x");  // other keys type as usual
  Window->edtMessage->SetFocus();
  SimulateTyping("!");
  EXPECT_EQ(Window->edtMessage->Text(), "Unanswered!");
}

TEST_F(SettingsTest, TheFileDialogStartsAtTheRingToneAndCancelKeepsIt) {
  Open();
  std::string offered;
  int filterIndex = 0;
  SetOpenDialogHook([&](const TOpenDialog& d) {
    offered = d.FileName();
    filterIndex = d.FilterIndex();
    return TOpenDialogAnswer{};
  });
  Window->SkButton1Click(nullptr);
  EXPECT_EQ(offered, "/sounds/ring.wav");
  EXPECT_EQ(filterIndex, 1);
  EXPECT_EQ(Window->edtRingTone->Text(), "/sounds/ring.wav");

  SetOpenDialogHook([](const TOpenDialog&) { return TOpenDialogAnswer{true, "/music/bell.mp3", 2}; });
  Window->SkButton1Click(nullptr);
  EXPECT_EQ(Window->edtRingTone->Text(), "/music/bell.mp3");
  EXPECT_EQ(Main->FRingTone, "/sounds/ring.wav");  // until saved
}

// What the user typed stays in the edits when the error box closes, to be
// saved again; the video options window still brings the fields back.
TEST_F(SettingsTest, AFileThatCannotBeWrittenIsReportedAndTheFieldsAndTheTypingKept) {
  std::filesystem::create_directory(Path());
  Open();
  Window->edtMessage->SetText("new");
  Window->edtCallerID->SetText("Me");
  Window->sedRingTime->SetValue(7);
  SimulateClick(Window->btnSave);
  ASSERT_EQ(Boxes->Boxes().size(), 1u);
  EXPECT_EQ(Boxes->Boxes()[0].Kind, mtError);
  EXPECT_EQ(Boxes->Boxes()[0].Caption, "Tamblin");
  EXPECT_EQ(Boxes->Boxes()[0].Text, "Unable to write to " + Path() + ".");
  EXPECT_TRUE(Window->Visible());
  EXPECT_TRUE(Window->Active());
  EXPECT_EQ(Main->FReplyMessage, "Unanswered");
  EXPECT_EQ(Window->edtMessage->Text(), "new");
  EXPECT_EQ(Window->edtCallerID->Text(), "Me");
  EXPECT_EQ(Window->sedRingTime->Value(), 7);

  std::filesystem::remove(Path());
  SimulateClick(Window->btnSave);
  EXPECT_FALSE(Window->Visible());
  EXPECT_EQ(Key("Message"), "new");
  EXPECT_EQ(Main->FRingTimeMs, 7000);

  frmVideoOptions = new TfrmVideoOptions(Application);
  std::filesystem::remove(Path());
  std::filesystem::create_directory(Path());
  Open();
  Window->edtMessage->SetText("typed");
  SimulateClick(Window->btnSave);
  Queue([] { frmVideoOptions->btnCloseClick(nullptr); });
  Window->btnWebcamClick(nullptr);
  EXPECT_EQ(Window->edtMessage->Text(), "new");
  delete frmVideoOptions;
  frmVideoOptions = nullptr;
}

}  // namespace
