#pragma once
// TfrmExport, "Searching For Network Clients...": the wait window that the
// network clients window shows, on top of everything, while it scans the
// network, and closes when the scan ends. It has no behaviour of its own: its
// spinner advances on the animator's own timer thread, and reaches the screen
// because the scan keeps processing messages while it waits for the network.
#include "platform/controls/Form.h"

class TGxGIFAnimator;
class TLabel;

inline constexpr const char* ExportLayoutName = "frmExport.lay";

class TfrmExport : public TForm {
 public:
  explicit TfrmExport(TComponent* AOwner);
  ~TfrmExport() override;

  TLabel* lblStatus;
  TGxGIFAnimator* GxGIFAnimator1;
};

extern TfrmExport* frmExport;
