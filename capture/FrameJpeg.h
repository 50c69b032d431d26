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
