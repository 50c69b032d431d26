#pragma once
// TfrmNetworkClients, "Online Network Clients": every time it is shown, and
// at "Refresh List", it walks the network neighbourhood depth first and lists
// each server as four lines (computer name, host name and connection path,
// network provider, an empty line), with the wait window frmExport shown for
// as long as the walk runs. "Add Host Names To List" adds every listed host
// to the address book frmIP, under its resolved address, unless a contact
// already has that address, and closes the window.
//
// The walk hands pending messages to the message loop after nearly every
// step and while it waits for the network, so the wait window's spinner
// reaches the screen and the program's other handlers go on running.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/base/Types.h"
#include "platform/controls/Form.h"

class TLayoutHandlers;
class TListBox;
class TSkButton;
class TSkPanel;
class TSpeedButton;
class TStrings;
struct NETRESOURCE;

inline constexpr const char* NetworkClientsLayoutName = "frmNetworkClients.lay";

// The entries of one enumeration batch, in a buffer aligned for them.
struct TNetResourceBlock {
  std::vector<std::uint64_t> Bytes;
  const NETRESOURCE* Entries() const;
};

class TfrmNetworkClients : public TForm {
 public:
  explicit TfrmNetworkClients(TComponent* AOwner);
  ~TfrmNetworkClients() override;

  TSkPanel* SkPanel1;
  TSpeedButton* SpeedButton1;
  TListBox* ListBox1;
  TSkButton* btnAdd;

  void FormShow(TObject* Sender);
  void SpeedButton1Click(TObject* Sender);
  void btnAddClick(TObject* Sender);

  // One batch of Parent's children (nullptr: the network's root) into
  // Block. False, with Count 0, when the container cannot be opened, is
  // empty, or fails.
  bool EnumNetResources(DWord ResourceType, const NETRESOURCE* Parent, TNetResourceBlock& Block,
                        DWord& Count);
  // Adds the servers below Parent to the target lines, depth first.
  void ScanNetContainer(const NETRESOURCE* Parent);
  // Scans the whole network into Target; Filter 0 lists every entry.
  void ListNetworkServers(DWord ResourceType, DWord DisplayTypeFilter, TStrings* Target);
  // Whether some contact of frmIP has exactly Address between "<" and ">".
  bool ContactExists(const std::string& Address) const;

 private:
  void RegisterHandlers(TLayoutHandlers& Handlers);
  void ScanNetwork();

  DWord FResourceType = 0;
  DWord FDisplayTypeFilter = 0;
  TStrings* FTarget = nullptr;
  bool FScanning = false;
};

extern TfrmNetworkClients* frmNetworkClients;
