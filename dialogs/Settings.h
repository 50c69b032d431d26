#pragma once
// TfrmSettings, "Settings": edits the main window's four settings (ring
// tone file, ring time in seconds, the reply message for unanswered calls,
// the caller ID). Every activation refills the edits from the main window's
// fields, also when the video options window shown over it closes, but not
// when the error box of a failed save closes. "Save" writes the four keys
// of "Settings.ini" beside the executable and then the main window's
// fields, and closes; "Close" changes nothing.
#include <string>

#include "platform/base/Types.h"
#include "platform/controls/Form.h"
#include "platform/controls/Messages.h"

class TEdit;
class TLabel;
class TLayoutHandlers;
class TOpenDialog;
class TSkButton;
class TSkPanel;
class TSpinEdit;

inline constexpr const char* SettingsLayoutName = "frmSettings.lay";

class TfrmSettings : public TForm {
 public:
  explicit TfrmSettings(TComponent* AOwner);
  ~TfrmSettings() override;

  TSkPanel* SkPanel1;
  TLabel* Label1;
  TLabel* Label2;
  TLabel* Label3;
  TLabel* Label4;
  TEdit* edtRingTone;
  TSkButton* SkButton1;
  TSpinEdit* sedRingTime;
  TEdit* edtMessage;
  TEdit* edtCallerID;
  TSkButton* btnSave;
  TSkButton* btnWebcam;
  TSkButton* btnClose;
  TOpenDialog* OpenDialog1;

  void FormActivate(TObject* Sender);
  void SkButton1Click(TObject* Sender);
  void btnSaveClick(TObject* Sender);
  void btnCloseClick(TObject* Sender);
  void btnWebcamClick(TObject* Sender);
  void edtRingToneKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void sedRingTimeKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void edtMessageKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void edtCallerIDKeyDown(TObject* Sender, Word& Key, TShiftState Shift);

 protected:
  void DoShow() override;

 private:
  void RegisterHandlers(TLayoutHandlers& Handlers);

  // A save failed: the activation when its error box closes leaves the
  // edits as the user typed them.
  bool FKeepTyping = false;
};

extern TfrmSettings* frmSettings;
