// The frame layouts: their sizes, and pictures packed into them and read
// back.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/videodriver/FrameLayout.h"

TEST(FrameLayout, SizesFollowEachLayoutsGroups) {
  EXPECT_EQ(FrameImageSize(fpRGB24, 5, 2), 16u * 2);
  EXPECT_EQ(FrameImageSize(fpYUY2, 5, 2), 20u);
  EXPECT_EQ(FrameImageSize(fpUYVY, 4, 3), 24u);
  EXPECT_EQ(FrameImageSize(fpY41P, 9, 2), 48u);
  EXPECT_EQ(FrameImageSize(fpYVU9, 5, 5), 25u + 2 * 4);
  EXPECT_EQ(FrameImageSize(fpI420, 3, 3), 9u + 2 * 4);
  EXPECT_EQ(FrameImageSize(fpY8, 3, 3), 9u);
  EXPECT_EQ(FrameImageSize(fpY211, 5, 1), 8u);
  EXPECT_EQ(FrameImageSize(fpYUY2, 0, 5), 0u);
  EXPECT_EQ(FrameImageSize(fpYUY2, 5, -1), 0u);
}

TEST(FrameLayout, NamesAndCodesFindTheirLayout) {
  EXPECT_EQ(FrameFormatNamed("rgb 24")->Format, fpRGB24);
  EXPECT_EQ(FrameFormatNamed("I420")->Format, fpI420);
  EXPECT_EQ(FrameFormatNamed("MJPG"), nullptr);
  EXPECT_EQ(FindFrameFormat(MakeFourCC('Y', 'V', 'U', '9'), 9)->Format, fpYVU9);
  EXPECT_EQ(FindFrameFormat(BI_RGB, 24)->Format, fpRGB24);
  EXPECT_EQ(FindFrameFormat(BI_RGB, 32), nullptr);
  const BITMAPINFOHEADER h = MakeFrameHeader(fpY41P, 16, 4);
  EXPECT_EQ(h.biSize, 40u);
  EXPECT_EQ(h.biBitCount, 12);
  EXPECT_EQ(h.biSizeImage, 96u);
}

TEST(FrameLayout, APackedPictureReadsBackInEveryLayout) {
  // Four flat quadrants, so that every chroma group sees one colour.
  const int w = 16, h = 8;
  const Byte colours[4][3] = {{200, 40, 40}, {40, 200, 40}, {40, 40, 200}, {128, 128, 128}};
  std::vector<Byte> rgb(std::size_t(w * h * 3));
  auto quadrant = [&](int x, int y) { return (x >= w / 2) + 2 * (y >= h / 2); };
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c) rgb[std::size_t((y * w + x) * 3 + c)] = colours[quadrant(x, y)][c];
  int count = 0;
  const TFrameFormatInfo* formats = FrameFormats(count);
  for (int f = 0; f < count; ++f) {
    const TFramePixelFormat format = formats[f].Format;
    std::vector<Byte> frame(FrameImageSize(format, w, h), 0xCD);
    PackFrame(format, rgb.data(), w, h, frame.data());
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        Byte r, g, b;
        ReadFramePixel(format, frame.data(), frame.size(), w, h, x, y, r, g, b);
        const Byte* want = colours[quadrant(x, y)];
        if (format == fpRGB24) {
          EXPECT_EQ(r, want[0]);
          EXPECT_EQ(g, want[1]);
          EXPECT_EQ(b, want[2]);
        } else if (format == fpY8) {
          EXPECT_EQ(r, g);
          EXPECT_EQ(g, b);
        } else {
          EXPECT_LE(std::abs(r - want[0]), 3) << formats[f].Name << " " << x << "," << y;
          EXPECT_LE(std::abs(g - want[1]), 3) << formats[f].Name;
          EXPECT_LE(std::abs(b - want[2]), 3) << formats[f].Name;
        }
      }
  }
}

TEST(FrameLayout, ReadingBeyondTheFrameGivesNeutralValues) {
  const std::vector<Byte> shortFrame(3, 16);
  Byte r = 1, g = 1, b = 1;
  ReadFramePixel(fpYUY2, shortFrame.data(), shortFrame.size(), 4, 4, 3, 3, r, g, b);
  EXPECT_EQ(r, g);
  EXPECT_EQ(g, b);
}
