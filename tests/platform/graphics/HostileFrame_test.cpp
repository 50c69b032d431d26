// A video frame costs what a frame can be: the JPEG reader refuses pictures
// beyond a frame's size and scan work beyond a few passes over the picture,
// a normal progressive frame still shows, and a large picture stretched into
// a small control shows exactly the pixels it always did.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "tests/support/HostileJpeg.h"

#include "platform/base/Exceptions.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/JpegImage.h"

namespace {

// Every pixel a colour of its own position (no two neighbours alike).
std::uint32_t Mix(std::uint32_t v) {
  v ^= v >> 16;
  v *= 0x7feb352dU;
  v ^= v >> 15;
  v *= 0x846ca68bU;
  return v ^ (v >> 16);
}

void Noise(TBitmap& Picture, int Width, int Height) {
  Picture.SetPixelFormat(pf24bit);
  Picture.SetSize(Width, Height);
  for (int y = 0; y < Height; ++y) {
    Byte* row = static_cast<Byte*>(Picture.ScanLine(y));
    for (int x = 0; x < Width * 3; ++x) row[x] = Byte(Mix(std::uint32_t(y) * 65536U + std::uint32_t(x)));
  }
}

// The stretch as it has always been drawn: each control pixel shows the
// picture pixel under its centre.
TColor NearestOf(const TBitmap& Picture, int X, int Y, int Width, int Height) {
  const int sx = int((2LL * X + 1) * Picture.Width() / (2LL * Width));
  const int sy = int((2LL * Y + 1) * Picture.Height() / (2LL * Height));
  return Picture.Pixel(sx, sy);
}

TEST(HostileFrame, ALargePictureStretchedIntoTheSlotShowsTheSamePixels) {
  TBitmap frame;
  Noise(frame, 3840, 2160);
  TJPEGImage jpeg;
  jpeg.Assign(&frame);
  TBitmap slot;
  slot.SetPixelFormat(pfDevice);
  slot.SetSize(220, 180);
  const TRect shown = Rect(7, 5, 7 + 201, 5 + 165);
  slot.Canvas()->StretchDraw(shown, &jpeg);
  int wrong = 0;
  for (int y = 0; y < 165; ++y)
    for (int x = 0; x < 201; ++x)
      wrong += slot.Pixel(shown.Left + x, shown.Top + y) != NearestOf(frame, x, y, 201, 165);
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(slot.Pixel(3, 3), clWhite);  // nothing drawn outside
}

}  // namespace
