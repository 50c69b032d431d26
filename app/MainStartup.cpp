// The main window's life: the start-up work at its first activation, the
// settings file, the local and remote addresses, the camera start and
// release, the tool-bar actions and the close.
#include <algorithm>
#include <cstdint>
#include <exception>
#include <limits>
#include <utility>

#include "app/Main.h"
#include "capture/VideoCap.h"
#include "dialogs/IP.h"
#include "dialogs/Settings.h"
#include "platform/base/Exceptions.h"
#include "platform/base/Profile.h"
#include "platform/base/Streams.h"
#include "platform/base/SysUtils.h"
#include "platform/controls/Application.h"
#include "platform/controls/CheckBox.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Edit.h"
#include "platform/controls/Image.h"
#include "platform/controls/Label.h"
#include "platform/controls/Panel.h"
#include "platform/controls/Shell.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Graphic.h"
#include "platform/sockets/HostLookup.h"
#include "platform/sockets/UDPServer.h"
#include "widgets/sk/SkButton.h"
#include "widgets/sk/SkPanel.h"

namespace {

constexpr const char* kSettingsFileName = "Settings.ini";
constexpr const char* kSettingsSection = "Settings";
constexpr const char* kDefaultRingTime = "10";
constexpr const char* kDefaultReplyMessage = "Unanswered";
constexpr Integer kDefaultRingTimeMs = 10000;
constexpr Integer kStartJpegQuality = 95;
constexpr const char* kNoWebcam = "WebCam not found. Please check webcam settings.";
// Where the header's link label leads.
constexpr const char* kWebAddress = "https://tamblin.example.org/";

// Seconds as the settings file holds them, in milliseconds. A number too
// large for the timers' milliseconds is taken as the largest they hold;
// below zero as zero, a ring that never ends, like zero itself.
Integer RingTimeMsOf(const std::string& Seconds) {
  std::int64_t ms = std::int64_t(StrToInt(Seconds)) * 1000;
  return Integer(std::clamp<std::int64_t>(ms, 0, std::numeric_limits<Integer>::max()));
}

// True when the settings file holds Key, with any value (an empty one too).
// A file that cannot be read holds nothing, as for the profile reads.
bool SettingStored(const std::string& Path, const std::string& Key) {
  TMemoryStream file;
  try {
    file.LoadFromFile(Path);
  } catch (const EStreamError&) {
    return false;
  }
  bool found = false;
  ProfileLookup(std::string(static_cast<const char*>(file.Memory()), size_t(file.Size())), kSettingsSection, Key,
                found);
  return found;
}

}  // namespace

// ---- life of the window ----

void TfrmMain::FormCreate(TObject*) { SetDoubleBuffered(true); }

void TfrmMain::FormActivate(TObject*) {
  // Later activations come whenever a box or dialog over the window closes.
  if (FStartedUp) return;
  FStartedUp = true;
  StartUp();
}

void TfrmMain::StartUp() {
  // A RingTime that is no number, or anything else the reading meets, is
  // reported; the values read and the defaults for the rest then apply and
  // the start-up goes on, since every later handler needs the peer list and
  // the open ports.
  try {
    LoadSettings();
  } catch (const std::exception&) {
    Application->HandleException(this);
  }
  // "Settings" pressed while the settings were being read opens the window
  // now that they are in place.
  if (std::exchange(FSettingsAsked, false)) btnSettingsClick(this);
  FJpegQuality = kStartJpegQuality;
  lblIPAddress->SetCaption(GetLocalIPAddress());
  ResetCallSlots();
  for (TSkPanel* panel : {SkPanel4, SkPanel2, SkPanel6, SkPanel7, SkPanel8}) panel->SetDoubleBuffered(true);
  OpenReceivers();
  FPeers = std::make_unique<TPeerList>();
  Application->ProcessMessages();
  InitWebcam();
  Application->ProcessMessages();
}

// Each port is opened on its own: a port that another program holds is
// reported and the rest of the program still runs.
void TfrmMain::OpenReceivers() {
  for (TUDPServer* server : {udpServerMess, udpServerVideo}) {
    try {
      server->SetActive(true);
    } catch (const Exception&) {
      Application->HandleException(this);
    }
  }
}

void TfrmMain::FormClose(TObject*, TCloseAction& Action) {
  // However the close goes, the list is freed at its end and no datagram
  // reaches it afterwards.
  struct TFreeAtEnd {
    TfrmMain* Form;
    ~TFreeAtEnd() {
      Form->FClosed = true;
      Form->FreePeers();
    }
  } freeAtEnd{this};
  if (FWebcamOk != 0) ReleaseCamera();
  Application->ProcessMessages();
  Action = caFree;
  Application->Terminate();
}

// ---- settings and addresses ----

void TfrmMain::LoadSettings() {
  const std::string path = ExecutableDir() + kSettingsFileName;
  FSettingsLoaded = false;
  // The defaults first, and the settings count as loaded however this
  // ends: whatever fails below leaves the values read so far and the
  // defaults for the rest, and the Settings button working.
  FRingTone.clear();
  FRingTimeMs = kDefaultRingTimeMs;
  FReplyMessage = kDefaultReplyMessage;
  FCallerID.clear();
  struct TLoadedAtEnd {
    bool& Loaded;
    ~TLoadedAtEnd() { Loaded = true; }
  } loadedAtEnd{FSettingsLoaded};
  // Every value the file holds is in place before the local address is
  // looked up for the caller ID's default: that look-up processes messages.
  // Without the file each read gives its default.
  FRingTone = GetPrivateProfileString(kSettingsSection, "RingTone", "", path);
  const std::string ringTime = GetPrivateProfileString(kSettingsSection, "RingTime", kDefaultRingTime, path);
  FReplyMessage = GetPrivateProfileString(kSettingsSection, "Message", kDefaultReplyMessage, path);
  const bool callerIDStored = SettingStored(path, "CallerID");
  if (callerIDStored) FCallerID = GetPrivateProfileString(kSettingsSection, "CallerID", "", path);
  // A RingTime that is no number leaves the default ring time; it is
  // reported once the caller ID is complete too.
  std::exception_ptr badRingTime;
  try {
    FRingTimeMs = RingTimeMsOf(ringTime);
  } catch (const EConvertError&) {
    badRingTime = std::current_exception();
  }
  if (!callerIDStored) FCallerID = GetLocalIPAddress();
  if (badRingTime) std::rethrow_exception(badRingTime);
}

std::string TfrmMain::GetLocalIPAddress() {
  std::vector<std::string> addresses = LookupHostAddresses(LocalHostName());
  return addresses.empty() ? std::string() : addresses.back();
}

std::string TfrmMain::ResolveAddress(const std::string& Host) {
  if (IsDottedAddress(Host)) return Host;
  std::vector<std::string> addresses = LookupHostAddresses(Host);
  if (addresses.empty()) throw ESocketError("Host not found: " + Host);
  return addresses.front();
}

// ---- camera ----

void TfrmMain::StartCapture() {
  SetDisplayPanel(pnlVideo);
  SetStatusLabel(lblVideo);
  if (OpenCaptureDriver()) StartPreview();
  InitFrameBuffers();
}

void TfrmMain::InitWebcam() {
  try {
    StartCapture();
  } catch (const std::exception&) {
    FWebcamOk = 0;
    MessageDlg(kNoWebcam, mtError, mbOK);
    return;
  }
  for (int slot = 1; slot <= SlotCount; ++slot) SlotControls(slot).Call->SetEnabled(true);
  FWebcamOk = 1;
}

void TfrmMain::ReleaseCamera() {
  FreeFrameBuffers();
  AbortCapture();
  CloseCaptureDriver();
}

// ---- tool bar and header ----

void TfrmMain::btnExitClick(TObject*) { Close(); }

void TfrmMain::btnRefreshClick(TObject*) { lblIPAddress->SetCaption(GetLocalIPAddress()); }

void TfrmMain::btnRefreshAllClick(TObject*) {
  for (int slot = 1; slot <= SlotCount; ++slot) {
    const TCallSlot& s = SlotControls(slot);
    s.Picture->Picture()->Assign(Image6->Picture());
  }
  for (int slot = 1; slot <= SlotCount; ++slot) {
    SlotControls(slot).Stop->SetEnabled(false);
    SlotControls(slot).SnapShot->SetEnabled(false);
  }
  for (int slot = 1; slot <= SlotCount; ++slot) SlotControls(slot).Status->SetCaption("Offline");
  for (int slot = 1; slot <= SlotCount; ++slot) SlotControls(slot).Include->SetEnabled(false);
  ResetCallSlots();
  // No message is processed between freeing the old list and making the new one.
  FreePeers();
  FPeers = std::make_unique<TPeerList>();
  if (FWebcamOk != 0) ReleaseCamera();
  Application->ProcessMessages();
  InitWebcam();
}

// Until the settings are in place the window would show and save half-read
// values: a click then is kept, and the start-up opens the window once they are.
void TfrmMain::btnSettingsClick(TObject*) {
  if (!FSettingsLoaded) {
    FSettingsAsked = true;
    return;
  }
  frmSettings->ShowModal();
}

void TfrmMain::AddressBookClick(int Slot) {
  frmIP->ShowModal();
  if (!frmIP->FSelectedIP.empty()) SlotControls(Slot).Edit->SetText(frmIP->FSelectedIP);
}

void TfrmMain::Label3Click(TObject*) { ShellExecute("open", kWebAddress); }

void TfrmMain::Label3MouseEnter(TObject*) {
  Label3->Font()->SetStyle(Label3->Font()->Style() | fsUnderline);
}

void TfrmMain::Label3MouseLeave(TObject*) {
  Label3->Font()->SetStyle(Label3->Font()->Style() & ~TFontStyles(fsUnderline));
}
