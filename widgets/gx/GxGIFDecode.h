#pragma once
// Reading one image block of a GIF stream into a frame, and decoding a
// frame's LZW data into a BMP file on first use of its picture.
#include <cstdint>

#include "platform/base/Types.h"
#include "widgets/gx/GxGIFTypes.h"

class TStream;
class TMemoryStream;

// The result of ReadLZWCode when no further whole code is left.
inline constexpr int EndOfCodes = 0xFFFF;

// The largest frame (in pixels) that is decoded; a larger declared size is
// refused before anything is allocated for it.
inline constexpr std::int64_t MaxGIFFramePixels = std::int64_t(1) << 24;

// The image descriptor as it stands after the separator ",".
struct TGIFImageDescriptor {
  Word Left = 0;
  Word Top = 0;
  Word Width = 0;
  Word Height = 0;
  Byte Packed = 0;
};

// Reads the image block at Stream's position (just after ",") into Frame:
// its encoded data, origin, size, colour table and the values of its pending
// graphic control extensions. Strict mode raises "Stream read error" for
// truncated data; tolerant mode keeps what is complete and marks the frame.
void ReadFrame(TGIFFrame* Frame, TStream* Stream);

// The reading step of ReadFrame: descriptor, local colour table, and the
// image data copied verbatim into Target. Depth is left alone without a
// local table.
void CopyImageData(TStream* Stream, TStream* Target, TGIFImageDescriptor& Descriptor,
                   TRGBTable& Table, Byte& Depth, bool& Damaged, bool& OwnColors, bool& Interlaced);

// Empties Stream, writes the frame's picture into it as a complete BMP file
// (1, 4 or 8 bits per pixel, bottom-up) and rewinds it.
void DecodeFrame(TGIFFrame* Frame, TMemoryStream* Stream);

// Bits per pixel of the BMP for a colour depth: 1 -> 1, 2..4 -> 4, 5..8 -> 8.
int DIBDepthClass(int Depth);

// Fills 256 palette entries (blue, green, red, 0) from Table; entries past
// the table are 128, 128, 128, 128. A Count of 0 copies all 256 entries.
void BuildDIBPalette(const TRGBTable& Table, Byte Palette[256][4]);

// The row after Row of an interlaced image of Height rows; Pass (0 to 3) is
// advanced. A result at or beyond Height ends the image.
int NextInterlacedRow(int Row, int Height, int& Pass);

// Decodes the image data of Source (at the minimum code size byte) into the
// zero-filled bottom-up buffer Pixels of Width x Height at Bits per pixel.
// Progress (may be nullptr) receives the progress reports. Damaged is set
// when tolerant mode accepted corrupt data.
void LZWDecodeImage(TStream* Source, int Width, int Height, int Bits, bool Interlaced,
                    TGIFFrameOwner* Progress, bool& Damaged, Byte* Pixels, int Depth,
                    bool Tolerant);
