// Control datagrams as they come off port 6770: any bytes are classified
// into exactly one kind, without reading past the text, and the parts agree
// with the text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/ControlMessage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string text(reinterpret_cast<const char*>(Data), Size);
  const TControlMessage m = ClassifyControlText(text);
  if (m.Text != text) __builtin_trap();
  const bool bar = text.find('|') != std::string::npos;
  const bool request = bar || text == "Calling";
  if ((m.Kind == TControlKind::ckCallRequest) != request) __builtin_trap();
  if (m.Kind == TControlKind::ckCallRequest) {
    const std::string expected = bar && text.size() > 8 ? text.substr(8) : std::string();
    if (m.CallerID != expected) __builtin_trap();
  } else if (!m.CallerID.empty()) {
    __builtin_trap();
  }
  // A request made from any caller ID reads back as that caller ID.
  const TControlMessage back = ClassifyControlText(CallRequestText(text));
  if (back.Kind != TControlKind::ckCallRequest || back.CallerID != text) __builtin_trap();
  return 0;
}
