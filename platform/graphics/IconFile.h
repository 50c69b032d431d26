#pragma once
// Icon and cursor files (ICO, CUR) as bytes. Platform-internal: the codec
// behind TIcon.
//
// A file is a 6-byte header (reserved 0, type 1 icon / 2 cursor, image
// count), a 16-byte directory entry per image (width, height, colour count,
// reserved, two 16-bit fields -- planes and bit count of an icon, the hot
// spot of a cursor -- data size, data offset) and each image's data: a
// device-independent bitmap header whose height counts the rows of the
// colour picture and of the mask together, the palette, the colour rows,
// then the 1-bit mask rows (1 = see-through), all bottom-up.
//
// The reader takes uncompressed 1, 4, 8, 24 and 32-bit images. Every
// directory entry must lie inside the file, after the directory, apart from
// the other entries, and hold all rows of its picture and mask. Anything
// else -- PNG-compressed images included -- raises EInvalidGraphic
// "Icon image is not valid".
#include <cstddef>
#include <vector>

#include "platform/base/Types.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/DibCodec.h"
#include "platform/graphics/Icon.h"

inline constexpr Word IconFileType = 1;
inline constexpr Word CursorFileType = 2;

// The size an icon is shown at unless asked otherwise.
inline constexpr int StandardIconSize = 32;

struct TIconImage {
  int Width = 0;
  int Height = 0;
  int Bits = 0;            // 1, 4, 8, 24 or 32
  TBitmapPalette Palette;  // of 1, 4 and 8-bit pictures
  TDibRows Colors;         // the colour picture, top row first
  TDibRows Mask;           // pf1bit, top row first; 1 = see-through
  // A 32-bit picture with any non-zero alpha byte is drawn by its alpha;
  // all others by their mask.
  bool HasAlpha = false;
  Word HotSpotX = 0;  // cursors only
  Word HotSpotY = 0;

  // Colour of a pixel as blue, green, red and alpha (alpha 255 unless HasAlpha).
  TRGBQuad Pixel(int X, int Y) const;
  bool SeeThrough(int X, int Y) const;
};

struct TIconFile {
  Word Type = IconFileType;
  std::vector<TIconImage> Images;
};

TIconFile ReadIconFile(const Byte* Data, std::size_t Size);
std::vector<Byte> WriteIconFile(const TIconFile& File);

// The image shown: the one nearest to StandardIconSize square (of equally
// near ones the larger), then the one with the most colours, then the first.
// -1 when there are none.
int ChooseIconImage(const std::vector<TIconImage>& Images);
