#include "dialogs/IP.h"

#include "platform/layout/LayoutHandlers.h"

TfrmIP* frmIP = nullptr;

TfrmIP::TfrmIP(TComponent* AOwner) : TForm(AOwner) { LoadLayout("frmIP.lay", TLayoutHandlers()); }

TfrmIP::~TfrmIP() {
  if (frmIP == this) frmIP = nullptr;
}
