#pragma once
// The frame layouts the drivers deliver, as their format blocks describe
// them: 24-bit RGB (rows bottom-up, blue-green-red, padded to 32 bits) and
// seven YUV layouts packed without padding. Also the two ways the driver
// layer touches pixels itself: packing a picture into a layout (the virtual
// camera) and reading one pixel back (the preview).
#include <cstddef>
#include <string>

#include "platform/videodriver/CaptureApi.h"

enum TFramePixelFormat { fpRGB24, fpYUY2, fpUYVY, fpY41P, fpYVU9, fpI420, fpY8, fpY211 };

struct TFrameFormatInfo {
  TFramePixelFormat Format;
  const char* Name;     // "RGB 24", "YUY2", ...
  DWord Compression;    // BI_RGB or the FourCC
  int BitCount;         // bits per pixel in the format block
};

// All eight, RGB first.
const TFrameFormatInfo* FrameFormats(int& Count);
const TFrameFormatInfo& FrameFormatInfo(TFramePixelFormat Format);
// The layout a format block describes (nullptr when none of the eight).
const TFrameFormatInfo* FindFrameFormat(DWord Compression, int BitCount);
// By name, ignoring case and blanks ("yuy2", "RGB24", "RGB 24"); nullptr when unknown.
const TFrameFormatInfo* FrameFormatNamed(const std::string& Name);

// Bytes of one frame; 0 for sizes that are not positive.
std::size_t FrameImageSize(TFramePixelFormat Format, int Width, int Height);
// A format block for Width by Height in Format.
BITMAPINFOHEADER MakeFrameHeader(TFramePixelFormat Format, int Width, int Height);

// Packs a picture (top-down rows of red, green, blue bytes, Width * 3 each)
// into Out, which holds FrameImageSize bytes. YUV uses the studio-swing
// BT.601 matrix; chroma is taken from the first pixel of each group.
void PackFrame(TFramePixelFormat Format, const Byte* Rgb, int Width, int Height, Byte* Out);

// One pixel (X, Y counted from the top) of a frame of Size bytes, as red,
// green, blue; bytes beyond Size read as neutral.
void ReadFramePixel(TFramePixelFormat Format, const Byte* Frame, std::size_t Size, int Width,
                    int Height, int X, int Y, Byte& Red, Byte& Green, Byte& Blue);
