// Encoding frames into GIF image data and writing image blocks; every
// encoded picture is decoded again by the reader the decoder tests check
// against an independent encoder.
#include "widgets/gx/GxGIFEncode.h"

#include <gtest/gtest.h>

#include <cstring>

#include "GxGIFTestOwner.h"
#include "platform/graphics/Bitmap.h"
#include "widgets/gx/GxGIFDecode.h"

namespace {

std::vector<int> Noise(int Count, int Mask) {
  std::vector<int> out;
  std::uint32_t v = 99;
  for (int i = 0; i < Count; ++i) {
    v = v * 1664525u + 1013904223u;
    out.push_back(int(v >> 20) & Mask);
  }
  return out;
}

// A paletted bitmap whose pixel (x, y) is Pixels[y * Width + x].
TBitmap* PalettedBitmap(TPixelFormat Format, int Width, int Height, const std::vector<int>& Pixels) {
  auto* bitmap = new TBitmap;
  bitmap->SetPixelFormat(Format);
  bitmap->SetSize(Width, Height);
  TBitmapPalette palette = DefaultPalette(Format);
  for (std::size_t i = 0; i < palette.size(); ++i)
    palette[i] = TPaletteEntry{Byte(i), Byte(255 - i), Byte(i * 3)};
  bitmap->SetPalette(palette);
  const int bits = bitmap->BitsPerPixel();
  for (int y = 0; y < Height; ++y) {
    auto* row = static_cast<Byte*>(bitmap->ScanLine(y));
    std::memset(row, 0, bitmap->BytesPerLine());
    for (int x = 0; x < Width; ++x) {
      const int v = Pixels[y * Width + x];
      if (bits == 1) row[x / 8] |= Byte(v << (7 - x % 8));
      else if (bits == 4) row[x / 2] |= Byte(x % 2 ? v : v << 4);
      else row[x] = Byte(v);
    }
  }
  return bitmap;
}

class GIFEncodeTest : public ::testing::Test {
 protected:
  // Encodes a bitmap in a new frame of Owner and decodes it back.
  TGIFFrame* EncodeAndDecode(TBitmap* Bitmap, TMemoryStream& Bmp) {
    auto* frame = new TGIFFrame(&Owner);
    Frames.emplace_back(frame);
    frame->FDecoded = Bitmap;
    EncodeFrame(frame);
    DecodeFrame(frame, &Bmp);
    return frame;
  }

  void ExpectRoundTrip(TPixelFormat Format, int Width, int Height, int Mask) {
    const std::vector<int> pixels = Noise(Width * Height, Mask);
    TMemoryStream bmp;
    TGIFFrame* frame = EncodeAndDecode(PalettedBitmap(Format, Width, Height, pixels), bmp);
    EXPECT_FALSE(frame->FDamaged);
    for (int y = 0; y < Height; ++y)
      for (int x = 0; x < Width; ++x)
        ASSERT_EQ(BmpPixel(bmp, x, y), pixels[y * Width + x]) << x << "," << y;
  }

  TTestGIFOwner Owner;
  std::vector<std::unique_ptr<TGIFFrame>> Frames;
};

TEST_F(GIFEncodeTest, PalettedBitmapsRoundTrip) {
  ExpectRoundTrip(pf1bit, 37, 11, 1);
  ExpectRoundTrip(pf4bit, 29, 17, 15);
  // Random 8-bit pixels make far more than 4093 strings: the table restarts.
  ExpectRoundTrip(pf8bit, 211, 97, 255);
  // One colour: long strings, each new code the next free one.
  ExpectRoundTrip(pf8bit, 300, 200, 0);
}

TEST_F(GIFEncodeTest, OneBitPictureUsesMinimumCodeSizeTwo) {
  TMemoryStream bmp;
  TGIFFrame* frame = EncodeAndDecode(PalettedBitmap(pf1bit, 8, 2, Noise(16, 1)), bmp);
  const auto* data = static_cast<const Byte*>(frame->FShared->FEncoded->Memory());
  EXPECT_EQ(data[0], 2);
  EXPECT_EQ(data[2] & 7, 4);  // the first code: clear, 3 bits wide
  EXPECT_EQ(frame->FShared->FColors.Count, 2);
  EXPECT_EQ(frame->FShared->FColorDepth, 1);
  EXPECT_EQ(EntryColor(frame->FShared->FColors.Entries[1]), 0x03FE01);
}

TEST_F(GIFEncodeTest, ImageDataAreFullSubBlocksThenOneShorterThenTerminator) {
  TMemoryStream bmp;
  TGIFFrame* frame = EncodeAndDecode(PalettedBitmap(pf8bit, 100, 50, Noise(5000, 255)), bmp);
  TMemoryStream* encoded = frame->FShared->FEncoded;
  const auto* data = static_cast<const Byte*>(encoded->Memory());
  std::int64_t at = 1;
  int blocks = 0;
  bool shortSeen = false;
  while (data[at] != 0) {
    ASSERT_FALSE(shortSeen) << "a sub-block follows a short one";
    shortSeen = data[at] < 255;
    at += data[at] + 1;
    ++blocks;
    ASSERT_LT(at, encoded->Size());
  }
  EXPECT_GT(blocks, 2);
  EXPECT_EQ(at + 1, encoded->Size());
}

TEST_F(GIFEncodeTest, FirstFrameSuppliesGlobalTableLaterFramesWriteLocalOnes) {
  TMemoryStream bmp;
  TGIFFrame* first = EncodeAndDecode(PalettedBitmap(pf8bit, 4, 3, Noise(12, 255)), bmp);
  EXPECT_FALSE(first->FOwnColors);
  EXPECT_EQ(Owner.FData->FGlobalColors.Count, 256);
  EXPECT_EQ(Owner.FData->FGlobalDepth, 8);
  EXPECT_EQ(Owner.Width, 4);
  EXPECT_EQ(Owner.Height, 3);

  auto* second = new TGIFFrame(&Owner);
  Frames.emplace_back(second);
  second->FOrigin = TPoint{10, 2};
  second->FDecoded = PalettedBitmap(pf8bit, 5, 5, Noise(25, 255));
  EncodeFrame(second);
  EXPECT_TRUE(second->FOwnColors);
  EXPECT_EQ(Owner.Width, 15);
  EXPECT_EQ(Owner.Height, 7);

  TMemoryStream out;
  WriteImageDescriptor(second, &out);
  WriteLocalColorTable(second, &out);
  WriteImageData(second, &out);
  const auto* b = static_cast<const Byte*>(out.Memory());
  const Byte descriptor[9] = {10, 0, 2, 0, 5, 0, 5, 0, 0x87};
  EXPECT_EQ(std::memcmp(b, descriptor, 9), 0);
  EXPECT_EQ(out.Size(), 9 + 768 + second->FShared->FEncoded->Size());

  // The block as written reads back into an equal frame.
  TGIFFrame reread(&Owner);
  out.SetPosition(0);
  ReadFrame(&reread, &out);
  TMemoryStream a, c;
  DecodeFrame(second, &a);
  DecodeFrame(&reread, &c);
  ASSERT_EQ(a.Size(), c.Size());
  EXPECT_EQ(std::memcmp(a.Memory(), c.Memory(), std::size_t(a.Size())), 0);

  // Without a local table the descriptor packs only the interlace flag.
  first->FIsInterlaced = true;
  TMemoryStream plain;
  WriteImageDescriptor(first, &plain);
  WriteLocalColorTable(first, &plain);
  EXPECT_EQ(plain.Size(), 9);
  EXPECT_EQ(static_cast<const Byte*>(plain.Memory())[8], 0x40);
}

TEST_F(GIFEncodeTest, TrueColourBitmapIsReducedToAFullTable) {
  auto* bitmap = new TBitmap;
  bitmap->SetPixelFormat(pf24bit);
  bitmap->SetSize(16, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) bitmap->SetPixel(x, y, x < 8 ? clRed : clBlue);
  TMemoryStream bmp;
  TGIFFrame* frame = EncodeAndDecode(bitmap, bmp);
  EXPECT_EQ(frame->FShared->FColors.Count, 256);
  EXPECT_EQ(EntryColor(frame->FShared->FColors.Entries[BmpPixel(bmp, 0, 0)]), clRed);
  EXPECT_EQ(EntryColor(frame->FShared->FColors.Entries[BmpPixel(bmp, 15, 15)]), clBlue);
  EXPECT_FALSE(frame->FGrayReduced);
}

TEST_F(GIFEncodeTest, FailuresCarryTheirTexts) {
  TGIFFrame frame(&Owner);
  try {
    EncodeFrame(&frame);
    FAIL();
  } catch (const EInvalidGraphicOperation& e) {
    EXPECT_EQ(e.Message(), "No GIF Data to write");
  }

  auto bmpOf = [](int bits, std::uint32_t size) {
    std::vector<std::uint8_t> b(std::max<std::uint32_t>(size, 64), 0);
    b[0] = 'B';
    b[1] = 'M';
    b[10] = 54 + 8;
    b[18] = 4;  // width 4
    b[22] = 2;  // height 2
    b[28] = Byte(bits);
    b.resize(size);
    return b;
  };
  TMemoryStream stream;
  for (const auto& bytes : {bmpOf(24, 100), bmpOf(1, 54 + 8 + 7), bmpOf(1, 20)}) {
    LoadBytes(stream, bytes);
    try {
      EncodeBitmapStream(&frame, &stream);
      FAIL();
    } catch (const EInvalidGraphicOperation& e) {
      EXPECT_EQ(e.Message(), "GIF image encoding error");
    }
  }
  // A palette shorter than the depth's: the missing entries are black.
  LoadBytes(stream, bmpOf(1, 54 + 8 + 8));
  static_cast<Byte*>(stream.Memory())[54] = 0xFF;
  EncodeBitmapStream(&frame, &stream);
  EXPECT_EQ(frame.FShared->FColors.Count, 2);
  EXPECT_EQ(EntryColor(frame.FShared->FColors.Entries[0]), 0xFF0000);
}

TEST_F(GIFEncodeTest, ProgressEndsWithHundredPercent) {
  TMemoryStream bmp;
  EncodeAndDecode(PalettedBitmap(pf4bit, 3, 3, Noise(9, 15)), bmp);
  ASSERT_FALSE(Owner.Stages.empty());
  EXPECT_EQ(Owner.Stages.back(), psEnding);
  EXPECT_EQ(Owner.LastPercent, 100);
}

}  // namespace
