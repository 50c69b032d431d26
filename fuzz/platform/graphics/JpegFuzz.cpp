// The JPEG reader on arbitrary bytes: it either decodes a picture of the
// size the file declares or raises EInvalidGraphic; it never ends the
// process, whatever libjpeg thinks of the data.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/base/Exceptions.h"
#include "platform/graphics/JpegImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TJPEGImage jpeg;
  try {
    jpeg.LoadFromBytes(data, size);
  } catch (const EInvalidGraphic&) {
    return 0;
  }
  TBitmap* bitmap = jpeg.Bitmap();
  if (bitmap == nullptr || bitmap->PixelFormat() != pf24bit || bitmap->Width() < 1 ||
      bitmap->Height() < 1)
    std::abort();
  (void)bitmap->Pixel(bitmap->Width() - 1, bitmap->Height() - 1);
  return 0;
}
