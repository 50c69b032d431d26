// Animated cursor files from anywhere: the reader must end every input with
// a loaded image or a stream read error, never a crash or a runaway
// allocation.
#include <cstddef>
#include <cstdint>

#include "platform/base/Exceptions.h"
#include "platform/base/Streams.h"
#include "widgets/gx/AniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  if (Size > (1u << 20)) return 0;
  TMemoryStream stream;
  if (Size > 0) stream.WriteBuffer(Data, int(Size));
  stream.SetPosition(0);
  TAnimatedCursorImage image;
  try {
    image.LoadFromStream(&stream);
    for (int i = 0; i < image.FrameCount(); ++i) (void)image.FrameIcons(i)->Width();
  } catch (const EReadError&) {
  }
  return 0;
}
