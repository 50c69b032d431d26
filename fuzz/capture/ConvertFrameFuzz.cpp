// Random codes, sizes and frame bytes: the converters must stay inside the
// source and destination whatever a driver reports.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "capture/YUVConverts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 5) return 0;
  const std::uint8_t code = data[0];
  const int width = int(data[1]) | (int(data[2] & 0x03) << 8);
  const int height = int(data[3]) | (int(data[4] & 0x03) << 8);
  // Exact-size copies so that any overrun lands outside an allocation.
  std::vector<std::uint8_t> source(data + 5, data + size);
  std::vector<std::uint8_t> dest(std::size_t(width) * 4 * std::size_t(height));
  ConvertFrame(code, source.data(), source.size(), dest.data(), dest.size(), width, height);
  return 0;
}
