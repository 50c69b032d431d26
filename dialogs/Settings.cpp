#include "dialogs/Settings.h"

#include <algorithm>
#include <utility>

#include "app/LayoutClasses.h"
#include "app/Main.h"
#include "capture/VideoOptions.h"
#include "platform/base/IniFiles.h"
#include "platform/base/SysUtils.h"
#include "platform/controls/Edit.h"
#include "platform/controls/Label.h"
#include "platform/controls/OpenDialog.h"
#include "platform/controls/SpinEdit.h"
#include "platform/layout/LayoutHandlers.h"
#include "platform/layout/LayoutReader.h"
#include "widgets/sk/SkButton.h"
#include "widgets/sk/SkPanel.h"

TfrmSettings* frmSettings = nullptr;

namespace {

constexpr const char* kSettingsFileName = "Settings.ini";
constexpr const char* kSettingsSection = "Settings";
constexpr int kMsPerSecond = 1000;

}  // namespace

TfrmSettings::TfrmSettings(TComponent* AOwner) : TForm(AOwner) {
  RegisterProgramLayoutClasses();
  TLayoutHandlers handlers;
  RegisterHandlers(handlers);
  LoadLayout(SettingsLayoutName, handlers);
  BindLayoutComponent(this, "SkPanel1", SkPanel1);
  BindLayoutComponent(this, "Label1", Label1);
  BindLayoutComponent(this, "Label2", Label2);
  BindLayoutComponent(this, "Label3", Label3);
  BindLayoutComponent(this, "Label4", Label4);
  BindLayoutComponent(this, "edtRingTone", edtRingTone);
  BindLayoutComponent(this, "SkButton1", SkButton1);
  BindLayoutComponent(this, "sedRingTime", sedRingTime);
  BindLayoutComponent(this, "edtMessage", edtMessage);
  BindLayoutComponent(this, "edtCallerID", edtCallerID);
  BindLayoutComponent(this, "btnSave", btnSave);
  BindLayoutComponent(this, "btnWebcam", btnWebcam);
  BindLayoutComponent(this, "btnClose", btnClose);
  BindLayoutComponent(this, "OpenDialog1", OpenDialog1);
}

TfrmSettings::~TfrmSettings() {
  if (frmSettings == this) frmSettings = nullptr;
}

void TfrmSettings::RegisterHandlers(TLayoutHandlers& Handlers) {
  auto key = [this](void (TfrmSettings::*handler)(TObject*, Word&, TShiftState)) -> TKeyEvent {
    return [this, handler](TObject* s, Word& k, TShiftState st) { (this->*handler)(s, k, st); };
  };
  Handlers.Add("FormActivate", [this](TObject* s) { FormActivate(s); });
  Handlers.Add("SkButton1Click", [this](TObject* s) { SkButton1Click(s); });
  Handlers.Add("btnSaveClick", [this](TObject* s) { btnSaveClick(s); });
  Handlers.Add("btnCloseClick", [this](TObject* s) { btnCloseClick(s); });
  Handlers.Add("btnWebcamClick", [this](TObject* s) { btnWebcamClick(s); });
  Handlers.Add<TKeyEvent>("edtRingToneKeyDown", key(&TfrmSettings::edtRingToneKeyDown));
  Handlers.Add<TKeyEvent>("sedRingTimeKeyDown", key(&TfrmSettings::sedRingTimeKeyDown));
  Handlers.Add<TKeyEvent>("edtMessageKeyDown", key(&TfrmSettings::edtMessageKeyDown));
  Handlers.Add<TKeyEvent>("edtCallerIDKeyDown", key(&TfrmSettings::edtCallerIDKeyDown));
}

// Unsaved edits are replaced by what the main window holds, at every
// activation but the one that follows a failed save's error box: what the
// user typed then is still to be saved.
void TfrmSettings::FormActivate(TObject*) {
  if (std::exchange(FKeepTyping, false)) return;
  edtRingTone->SetText(frmMain->FRingTone);
  sedRingTime->SetValue(frmMain->FRingTimeMs / kMsPerSecond);
  edtMessage->SetText(frmMain->FReplyMessage);
  edtCallerID->SetText(frmMain->FCallerID);
  edtRingTone->SetFocus();
}

void TfrmSettings::SkButton1Click(TObject*) {
  OpenDialog1->SetFileName(edtRingTone->Text());
  if (OpenDialog1->Execute()) edtRingTone->SetText(OpenDialog1->FileName());
}

// The ring time is brought into 1 to 20 seconds before it is written, also
// when the focus never left the spin edit after a value outside was typed:
// the ring timers must never get a time of zero or below.
void TfrmSettings::btnSaveClick(TObject*) {
  const int seconds = std::clamp(sedRingTime->Value(), sedRingTime->MinValue(), sedRingTime->MaxValue());
  sedRingTime->SetValue(seconds);
  const std::string ringTone = edtRingTone->Text();
  const std::string message = edtMessage->Text();
  const std::string callerID = edtCallerID->Text();

  TIniFile settings(ExecutableDir() + kSettingsFileName);
  try {
    settings.WriteString(kSettingsSection, "RingTone", ringTone);
    settings.WriteString(kSettingsSection, "RingTime", IntToStr(seconds));
    settings.WriteString(kSettingsSection, "Message", message);
    settings.WriteString(kSettingsSection, "CallerID", callerID);
  } catch (...) {
    FKeepTyping = true;
    throw;
  }

  frmMain->FRingTone = ringTone;
  frmMain->FRingTimeMs = seconds * kMsPerSecond;
  frmMain->FReplyMessage = message;
  frmMain->FCallerID = callerID;
  Close();
}

void TfrmSettings::btnCloseClick(TObject*) { Close(); }

// The video options window brings the saved values back when it closes,
// also over a failed save.
void TfrmSettings::btnWebcamClick(TObject*) {
  FKeepTyping = false;
  if (frmVideoOptions != nullptr) frmVideoOptions->ShowModal();
}

void TfrmSettings::DoShow() {
  FKeepTyping = false;
  TForm::DoShow();
}

void TfrmSettings::edtRingToneKeyDown(TObject*, Word& Key, TShiftState) {
  if (Key == VK_RETURN) sedRingTime->SetFocus();
}

void TfrmSettings::sedRingTimeKeyDown(TObject*, Word& Key, TShiftState) {
  if (Key == VK_RETURN) edtMessage->SetFocus();
}

void TfrmSettings::edtMessageKeyDown(TObject*, Word& Key, TShiftState) {
  if (Key == VK_RETURN) edtCallerID->SetFocus();
}

void TfrmSettings::edtCallerIDKeyDown(TObject*, Word& Key, TShiftState) {
  if (Key == VK_RETURN) btnSave->SetFocus();
}
