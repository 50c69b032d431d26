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
  // The spinner's worker looks at the window; it stops (a tick under way
  // ends first) before the window takes its controls apart.
  GxGIFAnimator1->SetAnimate(false);
  if (frmExport == this) frmExport = nullptr;
}
