#pragma once
// TfrmNetworkClients: the list of computers found on the network.
// It is created at start-up with the other windows and shown by its caller;
// until its own work is built it is an empty window with its caption.
#include <string>

#include "platform/controls/Form.h"

class TfrmNetworkClients : public TForm {
 public:
  explicit TfrmNetworkClients(TComponent* AOwner);
  ~TfrmNetworkClients() override;
};

extern TfrmNetworkClients* frmNetworkClients;
