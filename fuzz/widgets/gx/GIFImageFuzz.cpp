// Whole GIF streams through the picture: loaded as a file would be, then
// every frame is measured and decoded and the image written back. Any
// reading error must come out as one of the program's exceptions.
#include <cstddef>
#include <cstdint>

#include "platform/base/Exceptions.h"
#include "platform/base/Streams.h"
#include "widgets/gx/GxGIFImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  TMemoryStream stream;
  if (Size > 0) stream.WriteBuffer(Data, int(Size));
  stream.SetPosition(0);
  TGIFImage image;
  try {
    image.LoadFromStream(&stream);
  } catch (const Exception&) {
  }
  for (int i = 0; i < image.FrameCount(); ++i) {
    try {
      image.FrameAt(i)->FrameWidth();
      image.FrameAt(i)->FrameBitmap();
    } catch (const Exception&) {
    }
  }
  try {
    (void)image.Width();
    (void)image.LogicalWidth();
    TMemoryStream out;
    image.SaveToStream(&out);
    out.SetPosition(0);
    TGIFImage again;
    again.LoadFromStream(&out);
  } catch (const Exception&) {
  }
  return 0;
}
