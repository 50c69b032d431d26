#include "platform/netbrowse/DnsSdNames.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

namespace {

constexpr const char* kWorkstationType = "_workstation._tcp";

std::string Lowered(std::string Text) {
  for (char& c : Text) c = char(std::tolower(static_cast<unsigned char>(c)));
  return Text;
}

bool EndsWith(const std::string& Text, const std::string& Tail) {
  return Text.size() >= Tail.size() && Text.compare(Text.size() - Tail.size(), Tail.size(), Tail) == 0;
}

// Lower ranks describe a computer better.
int RankOfType(const std::string& Type) {
  static const char* const kByRank[] = {"_device-info._tcp", "_smb._tcp", "_afpovertcp._tcp", kWorkstationType};
  const std::string type = Lowered(Type);
  for (int rank = 0; rank < int(std::size(kByRank)); ++rank)
    if (type == kByRank[rank]) return rank;
  return int(std::size(kByRank));
}

// "hostb.local" names the computer "hostb"; a host deeper in ".local" keeps
// its whole name, which resolves as it is.
std::string ComputerNameOfHost(std::string HostName) {
  if (!HostName.empty() && HostName.back() == '.') HostName.pop_back();
  const std::string suffix = ".local";
  if (!EndsWith(Lowered(HostName), suffix)) return std::string();
  const std::string bare = HostName.substr(0, HostName.size() - suffix.size());
  return bare.find('.') == std::string::npos ? bare : HostName;
}

bool ConvertedName(const std::string& Utf8, std::string& Name) {
  return Utf8ToLatin1(Utf8, Name) && IsUsableName(Name);
}

}  // namespace

bool Utf8ToLatin1(const std::string& Utf8, std::string& Latin1) {
  std::string out;
  for (std::size_t i = 0; i < Utf8.size();) {
    const auto lead = static_cast<unsigned char>(Utf8[i]);
    if (lead < 0x80) {
      out += char(lead);
      ++i;
      continue;
    }
    // Anything in Latin-1 beyond ASCII is two bytes, C2 or C3 and a continuation.
    if ((lead != 0xC2 && lead != 0xC3) || i + 1 >= Utf8.size()) return false;
    const auto next = static_cast<unsigned char>(Utf8[i + 1]);
    if ((next & 0xC0) != 0x80) return false;
    out += char(((lead & 0x1F) << 6) | (next & 0x3F));
    i += 2;
  }
  Latin1 = std::move(out);
  return true;
}

bool IsUsableName(const std::string& Name) {
  if (Name.empty()) return false;
  return std::none_of(Name.begin(), Name.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || (byte >= 0x7F && byte < 0xA0) || c == '<' || c == '>' || c == '\\';
  });
}

std::string ComputerNameOfService(const std::string& ServiceName) {
  if (ServiceName.empty() || ServiceName.back() != ']') return ServiceName;
  const std::size_t open = ServiceName.rfind(" [");
  return open == std::string::npos ? ServiceName : ServiceName.substr(0, open);
}

std::vector<TNeighbour> NeighboursOf(const std::vector<TFoundService>& Services) {
  struct TCandidate {
    TNeighbour Neighbour;
    std::string Key;
    int CommentRank = -1;  // -1: no usable instance name yet
  };
  std::vector<TCandidate> found;
  for (const TFoundService& service : Services) {
    std::string computer;
    if (service.Address.empty() || !ConvertedName(ComputerNameOfHost(service.HostName), computer)) continue;
    const std::string key = Lowered(computer);
    auto it = std::find_if(found.begin(), found.end(), [&](const TCandidate& c) { return c.Key == key; });
    if (it == found.end()) {
      found.push_back({{computer, std::string()}, key});
      it = found.end() - 1;
    }
    const int rank = RankOfType(service.Type);
    if (it->CommentRank >= 0 && it->CommentRank <= rank) continue;
    const bool workstation = Lowered(service.Type) == kWorkstationType;
    std::string comment;
    if (!ConvertedName(workstation ? ComputerNameOfService(service.Name) : service.Name, comment)) continue;
    it->Neighbour.Comment = std::move(comment);
    it->CommentRank = rank;
  }
  std::vector<TNeighbour> neighbours;
  for (TCandidate& c : found) {
    if (c.CommentRank < 0) c.Neighbour.Comment = c.Neighbour.ComputerName;
    neighbours.push_back(std::move(c.Neighbour));
  }
  return neighbours;
}
