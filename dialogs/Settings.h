#pragma once
// TfrmSettings: the settings window (ring tone, ring time, reply message, caller ID).
// It is created at start-up with the other windows and shown by its caller;
// until its own work is built it is an empty window with its caption.
#include <string>

#include "platform/controls/Form.h"

class TfrmSettings : public TForm {
 public:
  explicit TfrmSettings(TComponent* AOwner);
  ~TfrmSettings() override;
};

extern TfrmSettings* frmSettings;
