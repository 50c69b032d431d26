// A video frame costs what a frame can be: the JPEG reader refuses pictures
// beyond a frame's size and scan work beyond a few passes over the picture,
// a normal progressive frame still shows, and a large picture stretched into
// a small control shows exactly the pixels it always did.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "tests/support/HostileJpeg.h"

#include "platform/base/Exceptions.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/JpegImage.h"
#include "platform/graphics/PixelStore.h"

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

// Decodes Jpeg with the reader's own measure of the work done.
bool Decodes(const std::string& Jpeg, TJpegDecodeWork& Work, TBitmap& Picture) {
  try {
    DecodeJpeg(reinterpret_cast<const Byte*>(Jpeg.data()), Jpeg.size(), Picture, &Work);
    return true;
  } catch (const EInvalidGraphic&) {
    return false;
  }
}

TEST(HostileFrame, TheReaderRefusesCostlyPicturesEarlyAndShowsNormalOnes) {
  using hostile::Coding;
  TBitmap picture;
  TJpegDecodeWork work;

  // Larger than any frame: refused from the header, before libjpeg makes
  // anything for the picture.
  const std::string tooLarge[] = {
      hostile::Compress(4096, 4080, 1, Coding::Huffman, false, {}),
      hostile::PaddedTo(hostile::Compress(8192, 8192, 1, Coding::Arithmetic, false, {}),
                        hostile::kLargestDatagram),
  };
  for (const std::string& jpeg : tooLarge) {
    EXPECT_LE(jpeg.size(), hostile::kLargestDatagram);
    EXPECT_FALSE(Decodes(jpeg, work, picture));
    EXPECT_FALSE(work.CodecStarted);
    EXPECT_EQ(work.PictureBytes, 0u);
  }

  // Endless scans within the size of a frame: reading stops after a few
  // passes over the picture's blocks, before its picture is made.
  const std::uint64_t blocks = 4096 / 8 * (2048 / 8);
  int scans = 0;
  const std::string endless[] = {
      hostile::ManyScansProgressive(4096, 2048, Coding::Huffman, &scans),
      hostile::ManyScansProgressive(4096, 2048, Coding::Arithmetic),
  };
  EXPECT_GT(scans, 1000);
  for (const std::string& jpeg : endless) {
    EXPECT_LE(jpeg.size(), hostile::kLargestDatagram);
    EXPECT_FALSE(Decodes(jpeg, work, picture));
    EXPECT_GT(work.Scans, 1);
    EXPECT_LE(work.Scans, 20);  // of the thousands the file holds
    EXPECT_LE(work.Blocks, 10 * blocks);
    EXPECT_EQ(work.PictureBytes, 0u);
  }
  // A sequential file sends each component once: a component sent again
  // (each time a full decode of its blocks) is refused within one pass.
  const std::uint64_t colourBlocks = 2880 / 8 * (2880 / 8) * 3 / 2;  // 4:2:0
  const std::string resent = hostile::ManyScansSequential(2880, 2880, Coding::Arithmetic, &scans);
  EXPECT_GT(scans, 1000);
  EXPECT_FALSE(Decodes(resent, work, picture));
  EXPECT_TRUE(work.CodecStarted);
  EXPECT_LE(work.Blocks, colourBlocks);
  EXPECT_EQ(work.PictureBytes, 0u);
  EXPECT_TRUE(picture.Empty());  // nothing refused ever reached it

  // A progressive frame as libjpeg's own script writes it still shows.
  TBitmap frame;
  Noise(frame, 1280, 720);
  std::vector<unsigned char> rgb(std::size_t(1280) * 720 * 3);
  for (int y = 0; y < 720; ++y)
    for (int x = 0; x < 1280; ++x) {
      const TColor c = frame.Pixel(x, y);
      unsigned char* p = &rgb[(std::size_t(y) * 1280 + std::size_t(x)) * 3];
      p[0] = Byte(GetRValue(c));
      p[1] = Byte(GetGValue(c));
      p[2] = Byte(GetBValue(c));
    }
  TLibjpegSettings settings;
  settings.Progressive = true;
  const std::string progressive = LibjpegEncode(rgb.data(), 1280 * 3, 1280, 720, settings);
  ASSERT_TRUE(Decodes(progressive, work, picture));
  EXPECT_EQ(work.Scans, 10);
  EXPECT_EQ(picture.Width(), 1280);
  EXPECT_EQ(picture.Height(), 720);
  EXPECT_EQ(work.PictureBytes, std::size_t(picture.BytesPerLine()) * 720);
}

}  // namespace

// What a picture held goes back when a picture of another size follows it;
// a stream of frames of one size reuses one set of pages instead of having
// the system fault in and zero new ones for every frame.
TEST(HostileFrame, PictureMemoryFollowsTheNewestPicture) {
  const std::size_t before = TPixelStore::MappedBytes();
  auto mapped = [&] { return TPixelStore::MappedBytes() - before; };
  auto large = std::make_unique<TBitmap>();
  large->NewPicture(pf24bit, 3840, 2160);
  const std::size_t largeBytes = std::size_t(large->BytesPerLine()) * 2160;
  EXPECT_EQ(mapped(), largeBytes);

  auto frame = std::make_unique<TBitmap>();
  frame->NewPicture(pf24bit, 1279, 720);  // rows padded to whole words
  const std::size_t frameBytes = std::size_t(frame->BytesPerLine()) * 720;
  large.reset();
  EXPECT_EQ(mapped(), frameBytes);  // the large picture kept nothing

  // The next frames of the same size: at most the shown one and one spare.
  for (int i = 0; i < 3; ++i) {
    Byte* row = static_cast<Byte*>(frame->ScanLine(0));
    std::memset(row, 0xAB, std::size_t(frame->BytesPerLine()));
    auto next = std::make_unique<TBitmap>();
    next->NewPicture(pf24bit, 1279, 720);
    frame = std::move(next);
    EXPECT_LE(mapped(), 2 * frameBytes);
    const Byte* reused = static_cast<const Byte*>(frame->ScanLine(0));
    for (int b = 1279 * 3; b < frame->BytesPerLine(); ++b) EXPECT_EQ(reused[b], 0) << "padding byte " << b;
  }
  frame.reset();
  EXPECT_LE(mapped(), frameBytes);
}
