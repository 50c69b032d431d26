#include "app/ChatLine.h"

namespace {
constexpr const char* kSeparator = " <> ";
}

std::string MakeChatLine(const std::string& CallerID, const std::string& Text) {
  std::string line = CallerID + kSeparator + Text;
  if (line.size() > ChatLineMaxBytes - 1) line.resize(ChatLineMaxBytes - 1);
  line.push_back('\0');
  return line;
}

std::string ChatItemFromDatagram(const Byte* Data, std::size_t Size, int Slot) {
  std::string s;
  if (Data != nullptr) s.assign(reinterpret_cast<const char*>(Data), Size);
  std::size_t bracket = s.find('<');
  std::size_t at = bracket == std::string::npos ? 0 : bracket + 1;
  s.insert(at, std::to_string(Slot));
  std::size_t nul = s.find('\0');
  if (nul != std::string::npos) s.resize(nul);
  return s;
}

int ChatItemSlot(const std::string& Item) {
  std::size_t bracket = Item.find('<');
  std::size_t at = bracket == std::string::npos ? 0 : bracket + 1;
  if (at >= Item.size()) return 0;
  char c = Item[at];
  return c >= '0' && c <= '9' ? c - '0' : 0;
}
