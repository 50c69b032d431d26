// Contact files as they may lie beside the program: any bytes are read into
// a list sorted the address book's way, every line yields an address, and
// the list written back reads as the same lines.
#include <cstddef>
#include <cstdint>
#include <string>

#include "dialogs/ContactFile.h"
#include "platform/base/StringList.h"
#include "platform/base/SysUtils.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string bytes(reinterpret_cast<const char*>(Data), Size);
  TStringList contacts;
  contacts.SetSorted(true);
  ParseContactFile(bytes, &contacts);

  size_t total = 0;
  for (int i = 0; i < contacts.Count(); ++i) {
    const std::string line = contacts.Strings(i);
    if (line.find_first_of("\r\n") != std::string::npos) __builtin_trap();
    if (i > 0 && CompareText(contacts.Strings(i - 1), line) > 0) __builtin_trap();
    total += line.size();
    const std::string address = ContactAddress(line);
    if (address.size() > line.size()) __builtin_trap();
    if (line.find('<') == std::string::npos ? address != line : line.find(address) == std::string::npos)
      __builtin_trap();
  }
  if (total > Size) __builtin_trap();

  TStringList again;
  ParseContactFile(contacts.Text(), &again);
  if (again.Count() != contacts.Count()) __builtin_trap();
  for (int i = 0; i < again.Count(); ++i)
    if (again.Strings(i) != contacts.Strings(i)) __builtin_trap();
  return 0;
}
