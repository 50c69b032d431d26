#pragma once
// Turning a frame's picture into GIF image data, and writing a frame's
// image block (descriptor, local colour table, image data).
#include "platform/base/Types.h"
#include "widgets/gx/GxGIFTypes.h"

class TStream;
class TMemoryStream;

// Encodes the frame's bitmap into its encoded data and colour table; a
// bitmap without a palette is first reduced to 256 colours. The first frame
// encoded into an image without a global table supplies it.
void EncodeFrame(TGIFFrame* Frame);

// Encodes a 1-, 4- or 8-bit BMP file held in Stream into Frame.
void EncodeBitmapStream(TGIFFrame* Frame, TMemoryStream* Stream);

// Table := the first min(256, Count) entries of a BMP palette (blue, green,
// red, reserved); the rest zero.
void PaletteToColorTable(TRGBTable& Table, const Byte* Palette, int Count);

// (Pixel + 3) x 301: the hash a one-pixel string starts with.
inline int SeedStringHash(int Pixel) { return (Pixel + 3) * 301; }

// Writes the image data (minimum code size byte, sub-blocks, terminator) of
// the bottom-up rows Pixels (Width x Height at Bits = 1, 4 or 8 per pixel,
// rows padded to 4 bytes) to Target. Progress may be nullptr.
void LZWEncodeImage(TStream* Target, int Width, int Height, int Bits, bool Interlaced,
                    TGIFFrameOwner* Progress, const Byte* Pixels);

// The three parts of an image block, written after the separator ",".
void WriteImageDescriptor(TGIFFrame* Frame, TStream* Stream);
void WriteLocalColorTable(TGIFFrame* Frame, TStream* Stream);
void WriteImageData(TGIFFrame* Frame, TStream* Stream);
