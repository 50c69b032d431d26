// The BMP reader on arbitrary bytes: it either loads a picture whose every
// row is addressable or raises EInvalidGraphic; a loaded picture must also
// survive writing and reading back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/base/Exceptions.h"
#include "platform/base/Streams.h"
#include "platform/graphics/Bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TMemoryStream input;
  if (size > 0) input.WriteBuffer(data, int(size));
  input.SetPosition(0);
  TBitmap bitmap;
  try {
    bitmap.LoadFromStream(&input);
  } catch (const EInvalidGraphic&) {
    return 0;
  }
  if (bitmap.Empty()) return 0;
  // Touch the first and last byte of every row.
  unsigned sum = 0;
  for (int y = 0; y < bitmap.Height(); ++y) {
    const Byte* row = static_cast<const Byte*>(bitmap.ScanLine(y));
    sum += row[0] + row[bitmap.BytesPerLine() - 1];
  }
  (void)bitmap.Pixel(bitmap.Width() - 1, bitmap.Height() - 1);

  TMemoryStream output;
  bitmap.SaveToStream(&output);
  output.SetPosition(0);
  TBitmap again;
  again.LoadFromStream(&output);
  if (again.Width() != bitmap.Width() || again.Height() != bitmap.Height() ||
      again.PixelFormat() != bitmap.PixelFormat())
    std::abort();
  for (int y = 0; y < bitmap.Height(); ++y)
    for (int x = 0; x < bitmap.Width(); ++x)
      if (again.Pixel(x, y) != bitmap.Pixel(x, y)) std::abort();
  return int(sum & 0);
}
