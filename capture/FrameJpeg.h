#pragma once
// The JPEG of one frame, encoded straight into the caller's fixed buffer:
// baseline, three components, libjpeg's defaults with the floating-point
// DCT. Quality below 1 is taken as 1 and above 100 as 100.
#include <cstddef>

#include "platform/base/Types.h"

class TBitmap;

// Encodes a Width by Height picture whose top-left part is Picture (what
// lies outside Picture is white) into Buffer. Returns the JPEG's length, or
// 0 when it does not fit into Capacity bytes or the size is not positive.
std::size_t EncodeFrameJpeg(const TBitmap& Picture, int Width, int Height, int Quality,
                            Byte* Buffer, std::size_t Capacity);

// Pixel rows held elsewhere: blue, green, red (and a fourth byte when
// BytesPerPixel is 4); row y of the picture starts at TopRow + y * Stride
// (Stride is negative for rows stored bottom-up).
struct TFrameRows {
  const Byte* TopRow = nullptr;
  std::ptrdiff_t Stride = 0;
  int BytesPerPixel = 4;
  int Width = 0;
  int Height = 0;
  // Rows still being written: when set, the encoder calls NeedRows(Context,
  // n) before it reads any of the top n rows (n grows from call to call), and
  // the call returns once they are there. It must not throw.
  void (*NeedRows)(void* Context, int Rows) = nullptr;
  void* Context = nullptr;
};

// The encoder reads rows in groups of this many (the last group may be
// shorter), the height of the tallest block row of its colour subsampling.
inline constexpr int FrameJpegRowGroup = 16;

// As above, for rows the caller holds.
std::size_t EncodeFrameJpeg(const TFrameRows& Rows, int Quality, Byte* Buffer,
                            std::size_t Capacity);
