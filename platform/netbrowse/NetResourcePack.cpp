#include "platform/netbrowse/NetResourcePack.h"

#include <cstring>
#include <string>

namespace {

// An empty text is written as an absent one.
std::size_t TextSize(const std::string& Text) { return Text.empty() ? 0 : Text.size() + 1; }

}  // namespace

std::size_t PackedSize(const TNetResourceEntry& Entry) {
  return sizeof(NETRESOURCE) + TextSize(Entry.LocalName) + TextSize(Entry.RemoteName) +
         TextSize(Entry.Comment) + TextSize(Entry.Provider);
}

std::size_t PackNetResources(const std::vector<TNetResourceEntry>& Entries, std::size_t First,
                             std::size_t MaxCount, void* Buffer, std::size_t Size) {
  char* base = static_cast<char*>(Buffer);
  std::size_t recordsEnd = 0;  // first byte after the records written so far
  std::size_t textsStart = Size;  // first byte of the texts written so far
  std::size_t packed = 0;
  for (std::size_t i = First; i < Entries.size() && packed < MaxCount; ++i) {
    const TNetResourceEntry& entry = Entries[i];
    const std::size_t textBytes = PackedSize(entry) - sizeof(NETRESOURCE);
    if (textsStart - recordsEnd < sizeof(NETRESOURCE) + textBytes) break;
    auto putText = [&](const std::string& Text) -> char* {
      if (Text.empty()) return nullptr;
      textsStart -= Text.size() + 1;
      std::memcpy(base + textsStart, Text.c_str(), Text.size() + 1);
      return base + textsStart;
    };
    NETRESOURCE record{};
    record.dwScope = entry.Scope;
    record.dwType = entry.Type;
    record.dwDisplayType = entry.DisplayType;
    record.dwUsage = entry.Usage;
    record.lpLocalName = putText(entry.LocalName);
    record.lpRemoteName = putText(entry.RemoteName);
    record.lpComment = putText(entry.Comment);
    record.lpProvider = putText(entry.Provider);
    std::memcpy(base + recordsEnd, &record, sizeof record);
    recordsEnd += sizeof(NETRESOURCE);
    ++packed;
  }
  return packed;
}
