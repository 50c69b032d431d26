#include "dialogs/PageExport.h"

#include "platform/layout/LayoutHandlers.h"

TfrmExport* frmExport = nullptr;

TfrmExport::TfrmExport(TComponent* AOwner) : TForm(AOwner) { LoadLayout("frmExport.lay", TLayoutHandlers()); }

TfrmExport::~TfrmExport() {
  if (frmExport == this) frmExport = nullptr;
}
