// Announced names are anyone's bytes: services made from the input become
// the neighbourhood's servers and are packed into a caller's buffer of a
// size the input chooses. Every server name and comment is usable 8-bit
// text, each computer appears once, and every packed text lies inside the
// buffer behind the records and reads back as the entry's.
//
// Input: the first two bytes give the buffer size; the rest is fields
// separated by 0x00, taken four at a time (type, name, host, address).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "platform/netbrowse/DnsSdNames.h"
#include "platform/netbrowse/DnsSdNetwork.h"
#include "platform/netbrowse/NetResourcePack.h"

namespace {

std::string Lowered(std::string Text) {
  for (char& c : Text)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return Text;
}

void CheckPacked(const std::vector<TNetResourceEntry>& Entries, std::size_t Size) {
  std::vector<std::uint64_t> buffer((Size + 7) / 8 + 1);
  char* base = reinterpret_cast<char*>(buffer.data());
  std::size_t first = 0;
  while (first < Entries.size()) {
    const std::size_t packed = PackNetResources(Entries, first, SIZE_MAX, buffer.data(), Size);
    if (packed == 0) {
      if (PackedSize(Entries[first]) <= Size) __builtin_trap();  // it would have fitted
      return;
    }
    const auto* records = reinterpret_cast<const NETRESOURCE*>(base);
    for (std::size_t i = 0; i < packed; ++i) {
      const TNetResourceEntry& entry = Entries[first + i];
      const char* texts[] = {records[i].lpRemoteName, records[i].lpComment, records[i].lpProvider};
      const std::string* wanted[] = {&entry.RemoteName, &entry.Comment, &entry.Provider};
      for (int t = 0; t < 3; ++t) {
        if (texts[t] == nullptr) {
          if (!wanted[t]->empty()) __builtin_trap();
          continue;
        }
        if (texts[t] < base + packed * sizeof(NETRESOURCE) || texts[t] + wanted[t]->size() >= base + Size)
          __builtin_trap();
        if (std::string(texts[t]) != *wanted[t]) __builtin_trap();
      }
    }
    first += packed;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 2) return 0;
  const std::size_t bufferSize = std::size_t(Data[0]) | std::size_t(Data[1]) << 8;
  std::vector<std::string> fields(1);
  for (std::size_t i = 2; i < Size; ++i) {
    if (Data[i] == 0)
      fields.emplace_back();
    else
      fields.back() += char(Data[i]);
  }
  std::vector<TFoundService> services;
  for (std::size_t i = 0; i + 3 < fields.size(); i += 4)
    services.push_back({fields[i], fields[i + 1], fields[i + 2], fields[i + 3]});

  const std::vector<TNetResourceEntry> servers = DnsSdServersOf(services);
  std::set<std::string> computers;
  for (const TNetResourceEntry& s : servers) {
    if (s.RemoteName.compare(0, 2, "\\\\") != 0) __builtin_trap();
    const std::string computer = s.RemoteName.substr(2);
    if (!IsUsableName(computer) || !IsUsableName(s.Comment)) __builtin_trap();
    if (!computers.insert(Lowered(computer)).second) __builtin_trap();
  }
  if (servers.size() > services.size()) __builtin_trap();
  CheckPacked(servers, bufferSize);
  return 0;
}
