#include "platform/netbrowse/NetResource.h"

#include <cstdint>
#include <limits>
#include <map>
#include <mutex>
#include <utility>

#include "platform/base/PumpingWait.h"
#include "platform/netbrowse/DnsSdNetwork.h"
#include "platform/netbrowse/NetBrowseSeam.h"
#include "platform/netbrowse/NetResourcePack.h"

namespace {

struct TOpenEnum {
  std::vector<TNetResourceEntry> Entries;
  std::size_t Next = 0;
};

// Open enumerations by handle value. Handles are counted up from 1 and never
// reused, so a closed handle stays invalid.
struct TEnumTable {
  std::mutex Lock;
  std::map<std::uintptr_t, TOpenEnum> Open;
  std::uintptr_t LastHandle = 0;
  TNetBrowseSeam Seam;
};

TEnumTable& Table() {
  static TEnumTable table;
  return table;
}

bool Passes(const TNetResourceEntry& Entry, DWord ResourceType, DWord Usage) {
  const bool container = (Entry.Usage & RESOURCEUSAGE_CONTAINER) != 0;
  if (ResourceType != RESOURCETYPE_ANY && Entry.Type != ResourceType && !container) return false;
  return Usage == 0 || (Entry.Usage & Usage) != 0;
}

}  // namespace

void SetNetBrowseSeam(TNetBrowseSeam Seam) {
  std::lock_guard<std::mutex> guard(Table().Lock);
  Table().Seam = std::move(Seam);
}

DWord WNetOpenEnum(DWord Scope, DWord ResourceType, DWord Usage, const NETRESOURCE* Parent,
                   HNETENUM* Enum) {
  if (Enum == nullptr) return ERROR_INVALID_PARAMETER;
  *Enum = nullptr;
  if (Scope != RESOURCE_GLOBALNET) return ERROR_INVALID_PARAMETER;
  if (Parent != nullptr && (Parent->dwUsage & RESOURCEUSAGE_CONTAINER) == 0) return ERROR_NOT_CONTAINER;

  TNetBrowseSeam seam;
  {
    std::lock_guard<std::mutex> guard(Table().Lock);
    seam = Table().Seam;
  }
  // The browse may take a while: it runs with no lock held, on a thread of
  // its own, while the user-interface thread goes on handling messages.
  std::vector<TNetResourceEntry> children;
  DWord result = NO_ERROR;
  RunWhileProcessingMessages([&] {
    result = seam.ListChildren ? seam.ListChildren(Parent, children) : ListDnsSdNetwork(Parent, children);
  });
  if (result != NO_ERROR) return result;

  TOpenEnum open;
  for (TNetResourceEntry& child : children)
    if (Passes(child, ResourceType, Usage)) open.Entries.push_back(std::move(child));
  std::lock_guard<std::mutex> guard(Table().Lock);
  const std::uintptr_t handle = ++Table().LastHandle;
  Table().Open.emplace(handle, std::move(open));
  *Enum = reinterpret_cast<HNETENUM>(handle);
  return NO_ERROR;
}

DWord WNetEnumResource(HNETENUM Enum, DWord* Count, void* Buffer, DWord* BufferSize) {
  if (Count == nullptr || BufferSize == nullptr) return ERROR_INVALID_PARAMETER;
  const DWord wanted = *Count;
  *Count = 0;
  std::lock_guard<std::mutex> guard(Table().Lock);
  auto it = Table().Open.find(reinterpret_cast<std::uintptr_t>(Enum));
  if (it == Table().Open.end()) return ERROR_INVALID_HANDLE;
  TOpenEnum& open = it->second;
  if (open.Next >= open.Entries.size()) return ERROR_NO_MORE_ITEMS;
  if (wanted == 0) return ERROR_INVALID_PARAMETER;
  const std::size_t size = Buffer == nullptr ? 0 : *BufferSize;
  const std::size_t packed = PackNetResources(open.Entries, open.Next, wanted, Buffer, size);
  if (packed == 0) {
    const std::size_t needed = PackedSize(open.Entries[open.Next]);
    if (needed > std::numeric_limits<DWord>::max()) return ERROR_INVALID_PARAMETER;
    *BufferSize = DWord(needed);
    return ERROR_MORE_DATA;
  }
  open.Next += packed;
  *Count = DWord(packed);
  return NO_ERROR;
}

DWord WNetCloseEnum(HNETENUM Enum) {
  std::lock_guard<std::mutex> guard(Table().Lock);
  return Table().Open.erase(reinterpret_cast<std::uintptr_t>(Enum)) == 1 ? NO_ERROR
                                                                         : ERROR_INVALID_HANDLE;
}
