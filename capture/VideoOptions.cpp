#include "capture/VideoOptions.h"

#include "app/LayoutClasses.h"
#include "capture/VideoCap.h"
#include "platform/controls/GroupBox.h"
#include "platform/controls/Label.h"
#include "platform/layout/LayoutHandlers.h"
#include "platform/layout/LayoutReader.h"
#include "widgets/sk/SkButton.h"
#include "widgets/sk/SkPanel.h"

TfrmVideoOptions* frmVideoOptions = nullptr;

TfrmVideoOptions::TfrmVideoOptions(TComponent* AOwner) : TForm(AOwner) {
  RegisterProgramLayoutClasses();
  TLayoutHandlers handlers;
  RegisterHandlers(handlers);
  LoadLayout(VideoOptionsLayoutName, handlers);
  BindLayoutComponent(this, "SkPanel1", SkPanel1);
  BindLayoutComponent(this, "GroupBox1", GroupBox1);
  BindLayoutComponent(this, "Label1", Label1);
  BindLayoutComponent(this, "btnSource", btnSource);
  BindLayoutComponent(this, "btnFormat", btnFormat);
  BindLayoutComponent(this, "btnClose", btnClose);
}

void TfrmVideoOptions::RegisterHandlers(TLayoutHandlers& Handlers) {
  Handlers.Add("FormShow", [this](TObject* s) { FormShow(s); });
  Handlers.Add("btnSourceClick", [this](TObject* s) { btnSourceClick(s); });
  Handlers.Add("btnFormatClick", [this](TObject* s) { btnFormatClick(s); });
  Handlers.Add("btnCloseClick", [this](TObject* s) { btnCloseClick(s); });
}

// A button whose dialog the driver lacks keeps the state it has.
void TfrmVideoOptions::FormShow(TObject*) {
  if (HasVideoSourceDialog()) btnSource->SetEnabled(true);
  if (HasVideoFormatDialog()) btnFormat->SetEnabled(true);
}

void TfrmVideoOptions::btnSourceClick(TObject*) { ShowVideoSourceDialog(); }

// The frame buffer follows the format the driver has after its dialog.
void TfrmVideoOptions::btnFormatClick(TObject*) {
  ShowVideoFormatDialog();
  ReadVideoFormat();
}

void TfrmVideoOptions::btnCloseClick(TObject*) {
  btnSource->SetEnabled(false);
  btnFormat->SetEnabled(false);
  Close();
}
