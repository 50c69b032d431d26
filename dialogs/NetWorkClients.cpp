#include "dialogs/NetWorkClients.h"

#include "platform/layout/LayoutHandlers.h"

TfrmNetworkClients* frmNetworkClients = nullptr;

TfrmNetworkClients::TfrmNetworkClients(TComponent* AOwner) : TForm(AOwner) { LoadLayout("frmNetworkClients.lay", TLayoutHandlers()); }

TfrmNetworkClients::~TfrmNetworkClients() {
  if (frmNetworkClients == this) frmNetworkClients = nullptr;
}
