#pragma once
// TfrmExport: the wait window shown while the network is searched.
// It is created at start-up with the other windows and shown by its caller;
// until its own work is built it is an empty window with its caption.
#include <string>

#include "platform/controls/Form.h"

class TfrmExport : public TForm {
 public:
  explicit TfrmExport(TComponent* AOwner);
  ~TfrmExport() override;
};

extern TfrmExport* frmExport;
