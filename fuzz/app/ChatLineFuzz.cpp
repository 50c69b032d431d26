// Chat datagrams as they come off port 6767 (at most the component's 2048
// bytes), turned into list items with the sender's slot digit, and the slot
// the drawing reads back from an item; and chat lines made from any caller
// ID and text.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/ChatLine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size == 0) return 0;
  const int slot = Data[0] % 5;  // 0: a sender without entry
  const uint8_t* datagram = Data + 1;
  const size_t length = std::min(Size - 1, ChatLineMaxBytes);

  const std::string item = ChatItemFromDatagram(datagram, length, slot);
  if (item.find('\0') != std::string::npos) __builtin_trap();
  if (item.size() > length + 1) __builtin_trap();
  const int drawn = ChatItemSlot(item);
  if (drawn < 0 || drawn > 9) __builtin_trap();
  // Where the line has its "<" before any NUL, the drawing finds the slot there.
  const std::string line(reinterpret_cast<const char*>(datagram), length);
  const size_t bracket = line.find('<');
  if (bracket != std::string::npos && bracket < line.find('\0') && drawn != slot) __builtin_trap();

  // Any caller ID and text make one datagram that fits and ends with its NUL.
  const size_t split = length / 2;
  const std::string made = MakeChatLine(line.substr(0, split), line.substr(split));
  if (made.empty() || made.size() > ChatLineMaxBytes || made.back() != '\0') __builtin_trap();
  return 0;
}
