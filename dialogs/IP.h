#pragma once
// TfrmIP: the address book.
// It is created at start-up with the other windows and shown by its caller;
// until its own work is built it is an empty window with its caption.
#include <string>

#include "platform/controls/Form.h"

class TfrmIP : public TForm {
 public:
  explicit TfrmIP(TComponent* AOwner);
  ~TfrmIP() override;

  // The address taken by the last choice of a contact; empty until the
  // first, kept across later openings.
  std::string FSelectedIP;
};

extern TfrmIP* frmIP;
