// The icon reader on arbitrary bytes: it either loads an icon whose every
// image can be drawn or raises EInvalidGraphic; a loaded icon must also
// survive writing and reading back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/base/Exceptions.h"
#include "platform/base/Streams.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Icon.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TMemoryStream input;
  if (size > 0) input.WriteBuffer(data, int(size));
  input.SetPosition(0);
  TIcon icon;
  try {
    icon.LoadFromStream(&input);
  } catch (const EInvalidGraphic&) {
    return 0;
  }
  if (icon.Empty()) return 0;

  // Drawn at its own size, partly off the canvas, and squeezed.
  TBitmap canvas;
  canvas.SetPixelFormat(pf24bit);
  canvas.SetSize(40, 40);
  canvas.Canvas()->Draw(-3, 5, &icon);
  canvas.Canvas()->StretchDraw(Rect(1, 1, 9, 4), &icon);

  TMemoryStream saved;
  icon.SaveToStream(&saved);
  saved.SetPosition(0);
  TIcon again;
  again.LoadFromStream(&saved);
  if (again.Width() != icon.Width() || again.Height() != icon.Height() ||
      again.ImageCount() != icon.ImageCount() || again.CurrentImage() != icon.CurrentImage())
    std::abort();
  TMemoryStream resaved;
  again.SaveToStream(&resaved);
  if (resaved.Size() != saved.Size() ||
      std::memcmp(resaved.Memory(), saved.Memory(), std::size_t(saved.Size())) != 0)
    std::abort();
  return 0;
}
