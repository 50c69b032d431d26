#include "dialogs/NetWorkClients.h"

#include <algorithm>

#include "app/LayoutClasses.h"
#include "dialogs/IP.h"
#include "dialogs/PageExport.h"
#include "platform/base/Strings.h"
#include "platform/controls/Application.h"
#include "platform/controls/ListBox.h"
#include "platform/controls/SpeedButton.h"
#include "platform/layout/LayoutHandlers.h"
#include "platform/layout/LayoutReader.h"
#include "platform/netbrowse/NetResource.h"
#include "platform/sockets/HostLookup.h"
#include "widgets/sk/SkButton.h"
#include "widgets/sk/SkPanel.h"

TfrmNetworkClients* frmNetworkClients = nullptr;

namespace {

constexpr DWord kFirstBufferSize = 16384;
// A provider asking for more than this for one entry is not believed.
constexpr DWord kLargestBufferSize = 16 * 1024 * 1024;
constexpr DWord kAsManyAsFit = 0xFFFFFFFF;

void ProcessPendingMessages() {
  if (Application != nullptr) Application->ProcessMessages();
}

std::string TextOf(const char* Text) { return Text == nullptr ? std::string() : std::string(Text); }

// The dotted address of a host: a dotted address as it is, a name looked up
// (its first address); a name that does not resolve stands for itself.
std::string AddressOfHost(const std::string& Name) {
  if (IsDottedAddress(Name)) return Name;
  std::vector<std::string> addresses = LookupHostAddresses(Name);
  return addresses.empty() ? Name : addresses.front();
}

// Holds back the list's repainting and shows the wait window for the scope
// of one scan, however it ends.
class TScanScope {
 public:
  TScanScope(TStrings* Lines, bool& Scanning) : FLines(Lines), FScanning(Scanning) {
    FScanning = true;
    ProcessPendingMessages();
    if (frmExport != nullptr) frmExport->Show();
    ProcessPendingMessages();
    FLines->BeginUpdate();
  }
  ~TScanScope() {
    ProcessPendingMessages();
    FLines->EndUpdate();
    if (frmExport != nullptr) frmExport->Close();
    ProcessPendingMessages();
    FScanning = false;
  }

 private:
  TStrings* FLines;
  bool& FScanning;
};

}  // namespace

const NETRESOURCE* TNetResourceBlock::Entries() const {
  return reinterpret_cast<const NETRESOURCE*>(Bytes.data());
}

TfrmNetworkClients::TfrmNetworkClients(TComponent* AOwner) : TForm(AOwner) {
  RegisterProgramLayoutClasses();
  TLayoutHandlers handlers;
  RegisterHandlers(handlers);
  LoadLayout(NetworkClientsLayoutName, handlers);
  BindLayoutComponent(this, "SkPanel1", SkPanel1);
  BindLayoutComponent(this, "SpeedButton1", SpeedButton1);
  BindLayoutComponent(this, "ListBox1", ListBox1);
  BindLayoutComponent(this, "btnAdd", btnAdd);
}

TfrmNetworkClients::~TfrmNetworkClients() {
  if (frmNetworkClients == this) frmNetworkClients = nullptr;
}

void TfrmNetworkClients::RegisterHandlers(TLayoutHandlers& Handlers) {
  Handlers.Add("FormShow", [this](TObject* s) { FormShow(s); });
  Handlers.Add("SpeedButton1Click", [this](TObject* s) { SpeedButton1Click(s); });
  Handlers.Add("btnAddClick", [this](TObject* s) { btnAddClick(s); });
}

void TfrmNetworkClients::FormShow(TObject*) { ScanNetwork(); }

void TfrmNetworkClients::SpeedButton1Click(TObject*) { ScanNetwork(); }

// A click on "Refresh List" that arrives while a scan hands messages on is
// passed over: a second walk inside the first would clear its list midway.
void TfrmNetworkClients::ScanNetwork() {
  if (FScanning) return;
  TScanScope scope(ListBox1->Items(), FScanning);
  ListBox1->Clear();
  ListNetworkServers(RESOURCETYPE_DISK, RESOURCEDISPLAYTYPE_SERVER, ListBox1->Items());
}

void TfrmNetworkClients::ListNetworkServers(DWord ResourceType, DWord DisplayTypeFilter,
                                            TStrings* Target) {
  FResourceType = ResourceType;
  FDisplayTypeFilter = DisplayTypeFilter;
  FTarget = Target;
  ScanNetContainer(nullptr);
}

bool TfrmNetworkClients::EnumNetResources(DWord ResourceType, const NETRESOURCE* Parent,
                                          TNetResourceBlock& Block, DWord& Count) {
  Count = 0;
  Block.Bytes.clear();
  HNETENUM handle = nullptr;
  if (WNetOpenEnum(RESOURCE_GLOBALNET, ResourceType, 0, Parent, &handle) != NO_ERROR) return false;
  DWord size = kFirstBufferSize;
  DWord result = NO_ERROR;
  for (;;) {
    ProcessPendingMessages();
    Count = kAsManyAsFit;
    Block.Bytes.assign((size + 7) / 8, 0);
    DWord reported = size;
    result = WNetEnumResource(handle, &Count, Block.Bytes.data(), &reported);
    ProcessPendingMessages();
    if (result != ERROR_MORE_DATA) break;
    // A size that does not grow, or grows beyond belief, would never end.
    if (reported <= size || reported > kLargestBufferSize) break;
    size = reported;
  }
  if (result != NO_ERROR) {
    Block.Bytes.clear();
    Count = 0;
  }
  WNetCloseEnum(handle);
  ProcessPendingMessages();
  return result == NO_ERROR;
}

void TfrmNetworkClients::ScanNetContainer(const NETRESOURCE* Parent) {
  TNetResourceBlock block;
  DWord count = 0;
  if (!EnumNetResources(FResourceType, Parent, block, count)) return;
  const NETRESOURCE* entries = block.Entries();
  for (DWord i = 0; i < count; ++i) {
    const NETRESOURCE& entry = entries[i];
    ProcessPendingMessages();
    if (FDisplayTypeFilter == 0 || entry.dwDisplayType == FDisplayTypeFilter) {
      FTarget->Add("Computer Name: " + TextOf(entry.lpComment));
      FTarget->Add("Host Name and Connection Path: " + TextOf(entry.lpRemoteName));
      FTarget->Add("Network Provider: " + TextOf(entry.lpProvider));
      FTarget->Add("");
      ProcessPendingMessages();
    }
    if ((entry.dwUsage & RESOURCEUSAGE_CONTAINER) != 0) ScanNetContainer(&entry);
    ProcessPendingMessages();
  }
  block.Bytes.clear();
  ProcessPendingMessages();
}

bool TfrmNetworkClients::ContactExists(const std::string& Address) const {
  if (frmIP == nullptr) return false;
  TStrings* contacts = frmIP->ListBox1->Items();
  for (int i = 0; i < contacts->Count(); ++i) {
    const std::string line = contacts->Strings(i);
    const std::size_t open = line.find('<');
    if (open == std::string::npos) continue;
    const std::size_t close = line.find('>', open + 1);
    if (close == std::string::npos) continue;
    if (line.compare(open + 1, close - open - 1, Address) == 0) return true;
  }
  return false;
}

// Only the host line of each server counts; a line without a host name
// after its two backslashes names no computer and is passed over.
void TfrmNetworkClients::btnAddClick(TObject*) {
  TStrings* lines = ListBox1->Items();
  for (int i = 0; i < lines->Count(); ++i) {
    const std::string line = lines->Strings(i);
    if (line.compare(0, 4, "Host") != 0) continue;
    const std::size_t slashes = line.find("\\\\");
    if (slashes == std::string::npos) continue;
    const std::string name = line.substr(slashes + 2);
    if (name.empty()) continue;
    const std::string address = AddressOfHost(name);
    if (frmIP != nullptr && !ContactExists(address)) frmIP->AddContact(name, address);
  }
  Close();
}
