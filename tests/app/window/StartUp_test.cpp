// Start-up, settings, addresses, the two layouts and the program's windows.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <system_error>

#include "WindowTestSupport.h"
#include "app/Corvel.h"
#include "app/Parlink.h"
#include "capture/VideoOptions.h"
#include "dialogs/IP.h"
#include "dialogs/NetWorkClients.h"
#include "dialogs/PageExport.h"
#include "dialogs/Settings.h"
#include "platform/base/Exceptions.h"
#include "platform/base/MainThread.h"
#include "platform/base/Profile.h"
#include "platform/base/SysUtils.h"
#include "platform/controls/Application.h"
#include "platform/controls/CheckBox.h"
#include "platform/controls/Edit.h"
#include "platform/controls/Image.h"
#include "platform/controls/Label.h"
#include "platform/controls/SimulateInput.h"
#include "platform/controls/SpinEdit.h"
#include "platform/controls/Timer.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Graphic.h"
#include "platform/sockets/HostLookup.h"
#include "platform/sockets/UDPServer.h"
#include "widgets/sk/SkButton.h"
#include "widgets/sk/SkPanel.h"

namespace {

using std::chrono::milliseconds;

TEST_P(MainWindowTest, BeforeTheFirstActivationEverySlotIsOfflineAndDisabled) {
  Create();
  EXPECT_EQ(Form->Caption(), GetParam().Wide ? "Quillory - Tamblin 1024" : "Quillory - Tamblin");
  EXPECT_EQ(Form->ClientWidth(), GetParam().Wide ? 1008 : 647);
  EXPECT_EQ(Form->ClientHeight(), GetParam().Wide ? 642 : 574);
  EXPECT_EQ(Form->Label4 != nullptr, GetParam().Wide);  // "Zirer Preview" only in the wide one
  if (Form->Label4 != nullptr) {
    EXPECT_EQ(Form->Label4->Caption(), "Zirer Preview");
  }
  for (int slot = 1; slot <= SlotCount; ++slot) {
    const auto& s = Form->SlotControls(slot);
    EXPECT_EQ(s.Status->Caption(), "Offline");
    EXPECT_EQ(s.Edit->Text(), "127.0.0.1");
    EXPECT_FALSE(s.Call->Enabled());
    EXPECT_FALSE(s.Stop->Enabled());
    EXPECT_FALSE(s.SnapShot->Enabled());
    EXPECT_FALSE(s.Include->Enabled());
    EXPECT_FALSE(s.Include->Checked());
    EXPECT_FALSE(s.Picture->Picture()->Graphic() == nullptr) << "slot " << slot << " has no placeholder";
  }
  EXPECT_EQ(Form->SlotControls(1).PanelColor, TColor(0xDFBF9F));
  EXPECT_EQ(Form->SlotControls(2).PanelColor, TColor(0x5ED2FF));
  EXPECT_EQ(Form->SlotControls(3).PanelColor, TColor(0x6262FF));
  EXPECT_EQ(Form->SlotControls(4).PanelColor, clMoneyGreen);
  EXPECT_EQ(Form->Label2->Caption(), "Type Your Message and Press [Enter] to Send.");
  EXPECT_FALSE(Form->udpServerMess->Active());
  EXPECT_EQ(Form->FPeers, nullptr);
}

// The intervals the shipped layouts give, before any test shortens them.
TEST_P(MainWindowTest, TheLayoutsTimersAreOffWithTheirIntervals) {
  Create();
  for (TTimer* blink : {Form->Timer2, Form->Timer3, Form->Timer4, Form->Timer5}) {
    EXPECT_FALSE(blink->Enabled()) << blink->Name();
    EXPECT_EQ(blink->Interval(), 500u) << blink->Name();
  }
  for (TTimer* timeOut : {Form->tmrTimeOut1, Form->tmrTimeOut2, Form->tmrTimeOut3, Form->tmrTimeOut4}) {
    EXPECT_FALSE(timeOut->Enabled()) << timeOut->Name();
    EXPECT_EQ(timeOut->Interval(), 23000u) << timeOut->Name();
  }
  for (TTimer* ring : {Form->Timer1, Form->Timer22, Form->Timer33, Form->Timer44})
    EXPECT_FALSE(ring->Enabled()) << ring->Name();
}

TEST_P(MainWindowTest, StartUpWithoutSettingsUsesTheDefaultsAndReportsTheMissingCamera) {
  Start();
  EXPECT_EQ(Form->FRingTone, "");
  EXPECT_EQ(Form->FRingTimeMs, 10000);
  EXPECT_EQ(Form->FReplyMessage, "Unanswered");
  EXPECT_EQ(Form->FCallerID, Form->lblIPAddress->Caption());
  EXPECT_EQ(Form->lblIPAddress->Caption(), Form->GetLocalIPAddress());
  EXPECT_EQ(Form->FJpegQuality, 95);
  EXPECT_FALSE(FileExists(SettingsPath()));  // never written by the start-up
  EXPECT_TRUE(WebcamBoxShown());
  EXPECT_EQ(Form->FWebcamOk, 0);
  for (int slot = 1; slot <= SlotCount; ++slot) EXPECT_FALSE(Form->SlotControls(slot).Call->Enabled());
  ASSERT_NE(Form->FPeers, nullptr);
  EXPECT_EQ(Form->FPeers->Count(), 0);
  EXPECT_TRUE(Form->udpServerMess->Active());
  EXPECT_TRUE(Form->udpServerVideo->Active());
  EXPECT_EQ(Form->udpServerMess->BoundPort(), ControlPort);
  EXPECT_EQ(Form->udpServerVideo->BoundPort(), VideoPort);
}

TEST_P(MainWindowTest, TheDefaultCallerIDIsTheLastAddressOfTheLocalHost) {
  const std::string host = LocalHostName();
  SetHostResolver([host](const std::string& name) -> std::vector<std::string> {
    if (name == host) return {"10.1.1.1", "10.2.2.2"};
    return {};
  });
  Start();
  EXPECT_EQ(Form->lblIPAddress->Caption(), "10.2.2.2");
  EXPECT_EQ(Form->FCallerID, "10.2.2.2");
  SetHostResolver([](const std::string&) { return std::vector<std::string>{}; });
  Form->btnRefreshClick(nullptr);
  EXPECT_EQ(Form->lblIPAddress->Caption(), "");  // a failed look-up shows nothing
}

TEST_P(MainWindowTest, SettingsComeFromTheFileBesideTheProgram) {
  WriteSettings("[Settings]\nRingTone=/no/such/tone.wav\nRingTime=3\nMessage=Busy now\nCallerID=Ann\n");
  Start();
  EXPECT_EQ(Form->FRingTone, "/no/such/tone.wav");
  EXPECT_EQ(Form->FRingTimeMs, 3000);
  EXPECT_EQ(Form->FReplyMessage, "Busy now");
  EXPECT_EQ(Form->FCallerID, "Ann");
  // Missing keys take their defaults.
  WriteSettings("[Settings]\nMessage=Away\n");
  Form->LoadSettings();
  EXPECT_EQ(Form->FRingTimeMs, 10000);
  EXPECT_EQ(Form->FReplyMessage, "Away");
  EXPECT_EQ(Form->FCallerID, Form->GetLocalIPAddress());
}

// Runs Call inside the settings window's modal loop each time the window
// opens, after its own activation filled it.
void WhenSettingsOpen(std::function<void()> Call) {
  TNotifyEvent own = frmSettings->OnActivate();
  frmSettings->SetOnActivate([own, Call](TObject* Sender) {
    if (own) own(Sender);
    Queue(Call);
  });
}

// The own address, the caller ID's default, is slow to look up. "Settings"
// pressed by a call handed over inside that look-up, before the settings
// are complete, opens the window once they are: it shows what the file
// holds and the address looked up, and its "Save" keeps the file's values.
TEST_P(MainWindowTest, SettingsOpenedDuringTheStartUpLookUpShowTheFilesValues) {
  WriteSettings("[Settings]\nRingTone=/no/such/tone.wav\nRingTime=3\nMessage=Busy now\n");
  std::unique_ptr<TfrmSettings> settings(new TfrmSettings(Application));
  frmSettings = settings.get();
  struct TShown {
    bool Visible = false;
    std::string RingTone, Message, CallerID;
    int RingTime = 0;
  } shown;
  bool saved = false;
  WhenSettingsOpen([&shown, &saved] {
    shown = {frmSettings->Visible(), frmSettings->edtRingTone->Text(), frmSettings->edtMessage->Text(),
             frmSettings->edtCallerID->Text(), frmSettings->sedRingTime->Value()};
    frmSettings->btnSaveClick(nullptr);
    saved = true;
  });
  auto clicked = std::make_shared<std::atomic<bool>>(false);
  auto loadedAtClick = std::make_shared<std::atomic<bool>>(true);
  auto waitedInVain = std::make_shared<std::atomic<bool>>(false);
  const std::string host = LocalHostName();
  SetHostResolver([host, clicked, loadedAtClick, waitedInVain](const std::string& name) -> std::vector<std::string> {
    if (name != host) return {};
    if (!clicked->load()) {
      Queue([clicked, loadedAtClick] {
        *loadedAtClick = frmMain->SettingsLoaded();
        frmMain->btnSettingsClick(nullptr);
        *clicked = true;
      });
      if (!AwaitFromLookUpThread(*clicked)) *waitedInVain = true;
    }
    return {"10.2.2.2"};
  });
  Start();
  ASSERT_FALSE(*waitedInVain);
  EXPECT_FALSE(*loadedAtClick);
  EXPECT_TRUE(saved);
  EXPECT_TRUE(shown.Visible);
  EXPECT_EQ(shown.RingTone, "/no/such/tone.wav");
  EXPECT_EQ(shown.RingTime, 3);
  EXPECT_EQ(shown.Message, "Busy now");
  EXPECT_EQ(shown.CallerID, "10.2.2.2");
  for (const auto& [key, value] : {std::pair<const char*, const char*>{"RingTone", "/no/such/tone.wav"},
                                   {"RingTime", "3"}, {"Message", "Busy now"}, {"CallerID", "10.2.2.2"}})
    EXPECT_EQ(GetPrivateProfileString("Settings", key, "<missing>", SettingsPath()), value) << key;
  EXPECT_EQ(Form->FRingTone, "/no/such/tone.wav");
  EXPECT_EQ(Form->FRingTimeMs, 3000);
  EXPECT_EQ(Form->FReplyMessage, "Busy now");
  EXPECT_EQ(Form->FCallerID, "10.2.2.2");
  EXPECT_EQ(Form->lblIPAddress->Caption(), "10.2.2.2");
}

// The look-up for the caller ID's default fails outright, as when no thread
// can be made for it: that is reported, the file's values and the defaults
// for the rest are in place, the start-up goes on and "Settings" works.
TEST_P(MainWindowTest, AFailureWhileLoadingTheSettingsLeavesThemInPlaceAndTheButtonWorking) {
  WriteSettings("[Settings]\nRingTone=/no/such/tone.wav\nMessage=Busy now\n");
  std::unique_ptr<TfrmSettings> settings(new TfrmSettings(Application));
  frmSettings = settings.get();
  auto failed = std::make_shared<std::atomic<bool>>(false);
  const std::string host = LocalHostName();
  SetHostResolver([host, failed](const std::string& name) -> std::vector<std::string> {
    if (name != host) return {};
    if (!failed->exchange(true))
      throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again), "look-up");
    return {"10.2.2.2"};
  });
  Start();
  ASSERT_GE(Boxes->Boxes().size(), 2u);
  EXPECT_EQ(Boxes->Boxes()[0].Kind, mtError);
  EXPECT_EQ(Boxes->Boxes()[0].Caption, "Tamblin");
  EXPECT_EQ(Boxes->Boxes()[0].Text.rfind("look-up: ", 0), 0u) << Boxes->Boxes()[0].Text;
  EXPECT_TRUE(Form->SettingsLoaded());
  EXPECT_EQ(Form->FRingTone, "/no/such/tone.wav");
  EXPECT_EQ(Form->FReplyMessage, "Busy now");
  EXPECT_EQ(Form->FRingTimeMs, 10000);
  EXPECT_EQ(Form->FCallerID, "");  // as for a look-up that finds nothing
  EXPECT_TRUE(Form->udpServerMess->Active());
  ASSERT_NE(Form->FPeers, nullptr);
  EXPECT_TRUE(WebcamBoxShown());

  std::string shownMessage = "<not opened>";
  WhenSettingsOpen([&shownMessage] {
    shownMessage = frmSettings->edtMessage->Text();
    frmSettings->btnCloseClick(nullptr);
  });
  Form->btnSettingsClick(nullptr);
  EXPECT_EQ(shownMessage, "Busy now");
}

TEST_P(MainWindowTest, ARingTimeThatIsNoNumberIsReportedAndTheStartUpGoesOn) {
  WriteSettings("[Settings]\nRingTime=abc\nMessage=Busy now\n");
  Start();
  ASSERT_GE(Boxes->Boxes().size(), 2u);
  const TMessageBox& box = Boxes->Boxes()[0];
  EXPECT_EQ(box.Kind, mtError);
  EXPECT_EQ(box.Caption, "Tamblin");
  EXPECT_EQ(box.Text, "'abc' is not a valid integer value.");
  EXPECT_EQ(Form->FRingTimeMs, 10000);
  EXPECT_EQ(Form->FReplyMessage, "Busy now");
  // The rest of the start-up ran: ports, list, camera start.
  EXPECT_TRUE(Form->udpServerMess->Active());
  ASSERT_NE(Form->FPeers, nullptr);
  EXPECT_TRUE(WebcamBoxShown());
  // Ringing still works, with the default ring time.
  SendControl(Peer, "Calling|Ann");
  EXPECT_EQ(Form->lbl1->Caption(), "Ann calling...");
  EXPECT_EQ(Form->Timer1->Interval(), 10000u);
}

TEST_P(MainWindowTest, RingTimesBeyondTheTimersRangeAreHeldAtItsEnds) {
  WriteSettings("[Settings]\nRingTime=3000000\n");
  Start();
  EXPECT_EQ(Form->FRingTimeMs, 2147483647);
  WriteSettings("[Settings]\nRingTime=-5\n");
  Form->LoadSettings();
  EXPECT_EQ(Form->FRingTimeMs, 0);  // like 0: the ring never runs out
}

TEST_P(MainWindowTest, APortHeldElsewhereIsReportedAndTheRestStillStarts) {
  TTestPeer holder("127.0.0.1", VideoPort);
  Start(false);
  EXPECT_FALSE(Form->udpServerVideo->Active());
  EXPECT_TRUE(Form->udpServerMess->Active());
  ASSERT_NE(Form->FPeers, nullptr);
  EXPECT_TRUE(WebcamBoxShown());
  ASSERT_GE(Boxes->Boxes().size(), 2u);
  EXPECT_EQ(Boxes->Boxes()[0].Kind, mtError);
  EXPECT_EQ(Boxes->Boxes()[0].Caption, "Tamblin");
  // Calls still ring.
  SendControl(Peer, "Calling|Ann");
  EXPECT_EQ(Form->lbl1->Caption(), "Ann calling...");
}

TEST_P(MainWindowTest, LaterActivationsDoNotRepeatTheStartUp) {
  Start();
  Form->FJpegQuality = 60;
  AddEntry("10.0.0.7", 1);
  const size_t boxes = Boxes->Boxes().size();
  MessageDlg("over the window", mtInformation, mbOK);  // closing it activates the window again
  Application->ProcessMessages();
  EXPECT_EQ(Form->FJpegQuality, 60);
  EXPECT_EQ(Form->FPeers->Count(), 1);
  EXPECT_EQ(Boxes->Boxes().size(), boxes + 1);  // no second camera start
}

TEST_P(MainWindowTest, AddressesResolveByTheirRules) {
  Create();
  SetHostResolver([](const std::string& name) -> std::vector<std::string> {
    if (name == "peerhost") return {"10.3.3.3", "10.4.4.4"};
    return {};
  });
  EXPECT_EQ(Form->ResolveAddress("peerhost"), "10.3.3.3");
  EXPECT_EQ(Form->ResolveAddress("10.9.8.7"), "10.9.8.7");  // dotted text as typed
  EXPECT_THROW(Form->ResolveAddress("nohost"), ESocketError);
  EXPECT_THROW(Form->ResolveAddress(""), ESocketError);
  SetHostResolver(nullptr);
  // Other numeric forms become the dotted text datagrams come from, so that
  // the answer of the peer can be matched to the call.
  EXPECT_EQ(Form->ResolveAddress("127.1"), "127.0.0.1");
}

TEST_P(MainWindowTest, TheChatInputTakesAsManyCharactersAsTheLayoutAllows) {
  Start();
  const size_t limit = GetParam().Wide ? 125 : 55;
  Form->edtMessage->SetFocus();
  SimulateTyping(std::string(limit + 1, 'a'));
  EXPECT_EQ(Form->edtMessage->Text(), std::string(limit, 'a'));
}

TEST_P(MainWindowTest, TheStartScreenShowsTheSlotPanelsAndTheirOfflineLabels) {
  Start();
  Application->ProcessMessages();
  const std::string png = ExecutableDir() + GetParam().Program + "_start.png";
  Form->SaveFormImageToPng(png);
  EXPECT_TRUE(FileExists(png));
  std::unique_ptr<TBitmap> image = Form->GetFormImage();
  for (int slot = 1; slot <= SlotCount; ++slot) {
    const auto& s = Form->SlotControls(slot);
    // Between the panel's frame (3 pixels) and its picture lies the slot colour.
    TPoint panel = s.Panel->ClientOriginInForm();
    TColor inside = image->Pixel(panel.X + 5, panel.Y + s.Panel->Height() / 2);
    EXPECT_EQ(inside, s.PanelColor) << "slot " << slot;
    // "Offline" is written in dark pixels inside the label.
    TPoint label = s.Status->ClientOriginInForm();
    int dark = 0;
    for (int y = 0; y < s.Status->Height(); ++y)
      for (int x = 0; x < s.Status->Width(); ++x) {
        TColor c = image->Pixel(label.X + x, label.Y + y);
        if (GetRValue(c) < 90 && GetGValue(c) < 90 && GetBValue(c) < 90) ++dark;
      }
    EXPECT_GT(dark, 20) << "slot " << slot;
    EXPECT_EQ(s.Status->Caption(), "Offline");
  }
}

TEST_P(MainWindowTest, TheAddressBookFillsTheSlotWithItsChoice) {
  Start();
  auto* book = new TfrmIP(Application);
  frmIP = book;
  Queue([] {
    if (frmIP != nullptr) frmIP->SetModalResult(mrOk);
  });
  Form->btnIP2Click(nullptr);
  EXPECT_EQ(Form->edt2->Text(), "127.0.0.1");  // nothing chosen yet
  book->FSelectedIP = "10.0.0.9";
  Queue([] {
    if (frmIP != nullptr) frmIP->SetModalResult(mrOk);
  });
  Form->btnIP2Click(nullptr);
  EXPECT_EQ(Form->edt2->Text(), "10.0.0.9");
  delete book;
  EXPECT_EQ(frmIP, nullptr);
}

INSTANTIATE_TEST_SUITE_P(BothLayouts, MainWindowTest, testing::Values(kCompactLayout, kWideLayout),
                         PrintLayout);

// The program's own start: six windows in their order, the main one first.
TEST(ProgramStart, CreatesTheSixWindowsAndStartsUpInTheMainOne) {
  TMessageBoxCapture boxes;
  CreateProgramWindows();
  ASSERT_NE(frmMain, nullptr);
  EXPECT_EQ(Application->MainForm(), frmMain);
  const std::vector<TComponent*> expected = {frmMain, frmIP, frmSettings, frmExport, frmNetworkClients,
                                             frmVideoOptions};
  std::vector<TComponent*> made;
  for (int i = 0; i < Application->ComponentCount(); ++i)
    for (TComponent* form : expected)
      if (Application->Components(i) == form) made.push_back(form);
  EXPECT_EQ(made, expected);
  EXPECT_EQ(frmIP->Caption(), "IP Address Book");
  EXPECT_EQ(frmSettings->Caption(), "Settings");
  EXPECT_EQ(frmExport->Caption(), "Searching For Network Clients...");
  EXPECT_EQ(frmNetworkClients->Caption(), "Online Network Clients");
  for (TCustomForm* form : {static_cast<TCustomForm*>(frmIP), static_cast<TCustomForm*>(frmSettings),
                            static_cast<TCustomForm*>(frmExport),
                            static_cast<TCustomForm*>(frmNetworkClients),
                            static_cast<TCustomForm*>(frmVideoOptions)})
    EXPECT_FALSE(form->Visible()) << form->Caption();

  frmMain->Show();
  ASSERT_TRUE(PumpUntil([] { return frmMain->StartedUp() && frmMain->FPeers != nullptr; }));
  EXPECT_TRUE(frmMain->udpServerMess->Active());
  EXPECT_EQ(frmMain->FJpegQuality, 95);
  ASSERT_FALSE(boxes.Boxes().empty());
  EXPECT_EQ(boxes.Boxes().back().Text, "WebCam not found. Please check webcam settings.");

  // "Exit" closes the main window: the application ends and the list is freed.
  TfrmMain* main = frmMain;
  main->btnExitClick(nullptr);
  EXPECT_TRUE(Application->Terminated());
  EXPECT_EQ(main->FPeers, nullptr);
  EXPECT_EQ(frmMain, main);  // the main window itself lives until the application goes

  delete frmVideoOptions;
  frmVideoOptions = nullptr;
  delete frmNetworkClients;
  delete frmExport;
  delete frmSettings;
  delete frmIP;
  delete frmMain;
  Application->ProcessMessages();
}

}  // namespace
