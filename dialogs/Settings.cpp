#include "dialogs/Settings.h"

#include "platform/layout/LayoutHandlers.h"

TfrmSettings* frmSettings = nullptr;

TfrmSettings::TfrmSettings(TComponent* AOwner) : TForm(AOwner) { LoadLayout("frmSettings.lay", TLayoutHandlers()); }

TfrmSettings::~TfrmSettings() {
  if (frmSettings == this) frmSettings = nullptr;
}
