// Profile files are read from disk as the user left them: any bytes must
// read without a crash, and writing one key must make that key read back
// while every other key reads as before.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "platform/base/Profile.h"
#include "platform/base/SysUtils.h"

namespace {

std::pair<bool, std::string> Lookup(const std::string& text, const std::string& section, const std::string& key) {
  bool found = false;
  std::string value = ProfileLookup(text, section, key, found);
  return {found, value};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  // Other keys, some named by the input itself.
  std::vector<std::pair<std::string, std::string>> others = {
      {"Settings", "RingTone"}, {"Settings", "Message"}, {"Settings", "CallerID"}, {"Other", "RingTime"},
      {text.substr(0, std::min<size_t>(size, 8)), text.substr(std::min<size_t>(size, 8), 8)}};
  std::vector<std::pair<bool, std::string>> before;
  for (const auto& [section, key] : others) before.push_back(Lookup(text, section, key));

  const std::string updated = ProfileUpdate(text, "Settings", "RingTime", "20");
  auto written = Lookup(updated, "Settings", "RingTime");
  if (!written.first || written.second != "20") std::abort();
  for (size_t i = 0; i < others.size(); ++i) {
    const auto& [section, key] = others[i];
    if (SameText(Trim(section), "Settings") && SameText(Trim(key), "RingTime")) continue;
    if (Lookup(updated, section, key) != before[i]) std::abort();
  }
  return 0;
}
