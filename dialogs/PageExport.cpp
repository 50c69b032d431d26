#include "dialogs/PageExport.h"

#include "app/LayoutClasses.h"
#include "platform/controls/Label.h"
#include "platform/layout/LayoutHandlers.h"
#include "platform/layout/LayoutReader.h"
#include "widgets/gx/GIFCtrl.h"
#include "widgets/gx/GxRegistration.h"

TfrmExport* frmExport = nullptr;

TfrmExport::TfrmExport(TComponent* AOwner) : TForm(AOwner) {
  RegisterProgramLayoutClasses();
  RegisterGxLayout();
  LoadLayout(ExportLayoutName, TLayoutHandlers());
  BindLayoutComponent(this, "lblStatus", lblStatus);
  BindLayoutComponent(this, "GxGIFAnimator1", GxGIFAnimator1);
}

TfrmExport::~TfrmExport() {
  if (frmExport == this) frmExport = nullptr;
}
