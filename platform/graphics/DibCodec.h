#pragma once
// Device-independent bitmaps as the platform's readers meet them: an info
// header (or the old 12-byte core header), colour masks, a palette, then the
// rows. A BMP file puts a file header in front and says where its rows
// start; an icon image follows its palette with the rows of the picture and
// then those of its mask. Platform-internal: shared by the BMP and icon codecs.
//
// Every size is checked against the bytes actually there before it is used;
// anything that cannot be read raises EInvalidGraphic "Bitmap image is not valid".
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/graphics/Bitmap.h"

// What a header, its masks and its palette say, once checked.
struct TDibLayout {
  int Width = 0;
  int Height = 0;  // rows as the header counts them, always positive
  bool TopDown = false;
  int Bits = 0;
  bool HasMasks = false;
  std::uint32_t Masks[3] = {0, 0, 0};  // red, green, blue
  TBitmapPalette Palette;
  std::size_t HeaderEnd = 0;  // bytes taken by the header, masks and palette
  std::size_t Stride = 0;     // bytes of one stored row
};

// Reads the header, masks and palette at the start of Data (Size bytes).
TDibLayout ReadDibHeader(const Byte* Data, std::size_t Size);

// Rows in a bitmap's own form: the format the layout is kept in, top row first.
struct TDibRows {
  TPixelFormat Format = pfDevice;
  int Stride = 0;
  std::vector<Byte> Rows;
};

// Reads Layout.Height rows of Layout.Stride bytes at Pixels, of which Size
// bytes are there, into the stored form (16-bit rows and colour masks
// other than the stored ones are converted).
TDibRows ReadDibRows(const TDibLayout& Layout, const Byte* Pixels, std::size_t Size);
