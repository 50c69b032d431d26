#include "platform/netbrowse/DnsSdNames.h"

#include <algorithm>
#include <cctype>

namespace {

bool SameTextNoCase(const std::string& A, const std::string& B) {
  return A.size() == B.size() && std::equal(A.begin(), A.end(), B.begin(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) ==
                  std::tolower(static_cast<unsigned char>(b));
         });
}

}  // namespace

std::string ComputerNameOfService(const std::string& ServiceName) {
  if (ServiceName.empty() || ServiceName.back() != ']') return ServiceName;
  const std::size_t open = ServiceName.rfind(" [");
  return open == std::string::npos ? ServiceName : ServiceName.substr(0, open);
}

bool IsUsableComputerName(const std::string& Name) {
  if (Name.empty()) return false;
  return std::none_of(Name.begin(), Name.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F || c == '<' || c == '>' || c == '\\';
  });
}

std::vector<std::string> ComputerNamesOf(const std::vector<std::string>& ServiceNames) {
  std::vector<std::string> names;
  for (const std::string& service : ServiceNames) {
    std::string name = ComputerNameOfService(service);
    if (!IsUsableComputerName(name)) continue;
    const bool known = std::any_of(names.begin(), names.end(),
                                   [&](const std::string& n) { return SameTextNoCase(n, name); });
    if (!known) names.push_back(std::move(name));
  }
  return names;
}
