#pragma once
// TfrmVideoOptions, "Video Display Options": the capture driver's own video
// source and video format dialogs. The two buttons are enabled when the
// window is shown and the running driver has that dialog, and disabled again
// by "Close". After a format change the frame buffer follows the driver's
// new format. Shown modally by the settings window.
#include <string>

#include "platform/controls/Form.h"

class TGroupBox;
class TLabel;
class TLayoutHandlers;
class TSkButton;
class TSkPanel;

// The embedded layout of the window.
inline constexpr const char* VideoOptionsLayoutName = "VideoOptions.lay";

class TfrmVideoOptions : public TForm {
 public:
  explicit TfrmVideoOptions(TComponent* AOwner);

  TSkPanel* SkPanel1;
  TGroupBox* GroupBox1;
  TLabel* Label1;
  TSkButton* btnSource;
  TSkButton* btnFormat;
  TSkButton* btnClose;

  void FormShow(TObject* Sender);
  void btnSourceClick(TObject* Sender);
  void btnFormatClick(TObject* Sender);
  void btnCloseClick(TObject* Sender);

 private:
  void RegisterHandlers(TLayoutHandlers& Handlers);
};

extern TfrmVideoOptions* frmVideoOptions;
