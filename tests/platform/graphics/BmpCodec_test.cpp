#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <cstring>

#include "BitmapTestUtil.h"
#include "platform/base/Exceptions.h"
#include "platform/graphics/Bitmap.h"

namespace {

void MakePicture(TBitmap& b, TPixelFormat format, int width, int height) {
  b.SetPixelFormat(format);
  b.SetSize(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) b.SetPixel(x, y, PatternColor(x, y));
}

void ExpectSamePixels(const TBitmap& a, const TBitmap& b) {
  ASSERT_EQ(a.Width(), b.Width());
  ASSERT_EQ(a.Height(), b.Height());
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x) ASSERT_EQ(a.Pixel(x, y), b.Pixel(x, y)) << x << "," << y;
}

void ExpectInvalid(const std::vector<Byte>& bytes, const char* what) {
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(2, 2);
  b.SetPixel(1, 1, clRed);
  try {
    LoadBmp(b, bytes);
    ADD_FAILURE() << what << ": no error";
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message(), "Bitmap image is not valid") << what;
  }
  // A failed load leaves the bitmap as it was.
  EXPECT_EQ(b.Width(), 2) << what;
  EXPECT_EQ(b.PixelFormat(), pf24bit) << what;
  EXPECT_EQ(b.Pixel(1, 1), clRed) << what;
}

// A 40-byte-header file; Rows are given top row first and stored as asked.
std::vector<Byte> HandMadeBmp(int width, int height, int bits, std::uint32_t compression,
                              const std::vector<std::uint32_t>& extra, const std::vector<Byte>& pixels) {
  std::uint32_t offset = 14 + 40 + std::uint32_t(extra.size()) * 4;
  ByteWriter w;
  w.U8('B').U8('M').U32(offset + std::uint32_t(pixels.size())).U32(0).U32(offset);
  w.U32(40).U32(std::uint32_t(width)).U32(std::uint32_t(height)).U16(1).U16(unsigned(bits));
  w.U32(compression).U32(std::uint32_t(pixels.size())).U32(0).U32(0).U32(0).U32(0);
  for (std::uint32_t e : extra) w.U32(e);
  w.Raw(pixels);
  return w.Bytes;
}

}  // namespace

TEST(BmpCodec, RoundTripsEveryDepth) {
  for (TPixelFormat format : {pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit}) {
    for (int width : {1, 7, 13, 32}) {
      TBitmap original;
  MakePicture(original, format, width, 5);
      std::vector<Byte> file = SaveBmp(original);
      TBitmap loaded;
      LoadBmp(loaded, file);
      EXPECT_EQ(loaded.PixelFormat(), format) << format << " w" << width;
      ExpectSamePixels(original, loaded);
      if (format <= pf8bit) {
        TBitmapPalette expected = original.Palette();
        expected.resize(std::size_t(1) << BitsOfPixelFormat(format));
        EXPECT_EQ(loaded.Palette(), expected);
      }
      // And the raw rows are the same bytes.
      for (int y = 0; y < 5; ++y)
        ASSERT_EQ(0, std::memcmp(loaded.ScanLine(y), original.ScanLine(y), std::size_t(original.BytesPerLine())));
    }
  }
}

TEST(BmpCodec, DeviceFormatIsWrittenAs32Bits) {
  TBitmap original;
  MakePicture(original, pfDevice, 3, 2);
  TBitmap loaded;
  LoadBmp(loaded, SaveBmp(original));
  EXPECT_EQ(loaded.PixelFormat(), pf32bit);
  ExpectSamePixels(original, loaded);
}

TEST(BmpCodec, WrittenLayoutIsThePlainBottomUpForm) {
  TBitmap b;
  MakePicture(b, pf8bit, 3, 2);
  std::vector<Byte> f = SaveBmp(b);
  ASSERT_EQ(f.size(), 14u + 40 + 1024 + 2 * 4);
  EXPECT_EQ(f[0], 'B');
  EXPECT_EQ(f[1], 'M');
  EXPECT_EQ(ReadU32(f, 2), f.size());
  EXPECT_EQ(ReadU32(f, 10), 14u + 40 + 1024);
  EXPECT_EQ(ReadU32(f, 14), 40u);
  EXPECT_EQ(ReadU32(f, 18), 3u);
  EXPECT_EQ(ReadU32(f, 22), 2u);  // positive: bottom-up
  EXPECT_EQ(ReadU16(f, 26), 1u);
  EXPECT_EQ(ReadU16(f, 28), 8u);
  EXPECT_EQ(ReadU32(f, 30), 0u);
  EXPECT_EQ(ReadU32(f, 34), 8u);
  // Palette entry 255 is white (blue, green, red, 0) at byte 54 + 1020.
  EXPECT_EQ(f[54 + 1020], 255);
  EXPECT_EQ(f[54 + 1023], 0);
  // The first stored row is the bottom row.
  const Byte* bottom = static_cast<const Byte*>(b.ScanLine(1));
  EXPECT_EQ(0, std::memcmp(f.data() + 14 + 40 + 1024, bottom, 4));

  TBitmap one;
  MakePicture(one, pf1bit, 3, 1);
  EXPECT_EQ(SaveBmp(one).size(), 14u + 40 + 8 + 4);
  TBitmap sixteen;
  MakePicture(sixteen, pf16bit, 2, 1);
  std::vector<Byte> s = SaveBmp(sixteen);
  EXPECT_EQ(ReadU32(s, 30), 3u);  // bit fields
  EXPECT_EQ(ReadU32(s, 54), 0x7C00u);
  EXPECT_EQ(ReadU32(s, 58), 0x03E0u);
  EXPECT_EQ(ReadU32(s, 62), 0x001Fu);
  TBitmap empty;
  EXPECT_TRUE(SaveBmp(empty).empty());
}

TEST(BmpCodec, WrittenFilesReadBackThroughAnIndependentReader) {
  for (TPixelFormat format : {pf1bit, pf4bit, pf8bit, pf15bit, pf24bit, pf32bit}) {
    TBitmap b;
  MakePicture(b, format, 6, 4);
    std::vector<Byte> f = SaveBmp(b);
    QImage image = QImage::fromData(f.data(), int(f.size()), "BMP");
    ASSERT_FALSE(image.isNull()) << format;
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 6; ++x) {
        // Readers differ in how they widen 5-bit channels (with or without
        // repeating the top bits); the 5 bits themselves must agree.
        QRgb q = image.pixel(x, y);
        TColor c = b.Pixel(x, y);
        int mask = format == pf15bit ? 0xF8 : 0xFF;
        ASSERT_EQ(qRed(q) & mask, GetRValue(c) & mask) << format << " " << x << "," << y;
        ASSERT_EQ(qGreen(q) & mask, GetGValue(c) & mask) << format << " " << x << "," << y;
        ASSERT_EQ(qBlue(q) & mask, GetBValue(c) & mask) << format << " " << x << "," << y;
      }
  }
}

TEST(BmpCodec, ReadsFilesOfAnIndependentWriter) {
  QImage image(5, 3, QImage::Format_RGB32);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) {
      TColor c = PatternColor(x, y);
      image.setPixel(x, y, qRgb(GetRValue(c), GetGValue(c), GetBValue(c)));
    }
  QByteArray bytes;
  {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(image.save(&buffer, "BMP"));
  }
  TBitmap b;
  LoadBmp(b, std::vector<Byte>(bytes.begin(), bytes.end()));
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(b.Pixel(x, y), PatternColor(x, y));
}

TEST(BmpCodec, ReadsTopDownFiles) {
  // 2x2, 24 bits, negative height: the first stored row is the top row.
  std::vector<Byte> rows = {0, 0, 255, 255, 0, 0, 0, 0,       // top: red, blue
                            0, 255, 0, 255, 255, 255, 0, 0};  // bottom: lime, white
  std::vector<Byte> f = HandMadeBmp(2, -2, 24, 0, {}, rows);
  TBitmap b;
  LoadBmp(b, f);
  EXPECT_EQ(b.Pixel(0, 0), clRed);
  EXPECT_EQ(b.Pixel(1, 0), clBlue);
  EXPECT_EQ(b.Pixel(0, 1), clLime);
  EXPECT_EQ(b.Pixel(1, 1), clWhite);

  // The same rows bottom-up come out flipped.
  LoadBmp(b, HandMadeBmp(2, 2, 24, 0, {}, rows));
  EXPECT_EQ(b.Pixel(0, 1), clRed);
  EXPECT_EQ(b.Pixel(0, 0), clLime);
}

TEST(BmpCodec, ReadsBitFieldMasks) {
  // 16 bits 5-6-5: red 0xF800, green 0x07E0, blue 0x001F.
  std::vector<Byte> px565 = {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0x10, 0x84};
  TBitmap b;
  LoadBmp(b, HandMadeBmp(4, -1, 16, 3, {0xF800, 0x07E0, 0x001F}, px565));
  EXPECT_EQ(b.PixelFormat(), pf24bit);
  EXPECT_EQ(b.Pixel(0, 0), clRed);
  EXPECT_EQ(b.Pixel(1, 0), clLime);
  EXPECT_EQ(b.Pixel(2, 0), clBlue);
  EXPECT_EQ(b.Pixel(3, 0), RGB(0x84, 0x82, 0x84));  // 0x8410: 16, 32, 16 widened

  // 16 bits 5-5-5 given as masks stays 16 bits.
  LoadBmp(b, HandMadeBmp(2, 1, 16, 3, {0x7C00, 0x03E0, 0x001F}, {0x00, 0x7C, 0x1F, 0x00}));
  EXPECT_EQ(b.PixelFormat(), pf16bit);
  EXPECT_EQ(b.Pixel(0, 0), clRed);
  EXPECT_EQ(b.Pixel(1, 0), clBlue);

  // 32 bits with the channels in an unusual order: red in the low byte.
  LoadBmp(b, HandMadeBmp(1, 1, 32, 3, {0x000000FF, 0x0000FF00, 0x00FF0000}, {0x11, 0x22, 0x33, 0x00}));
  EXPECT_EQ(b.PixelFormat(), pf32bit);
  EXPECT_EQ(b.Pixel(0, 0), RGB(0x11, 0x22, 0x33));

  // 16 bits without masks is 5-5-5.
  LoadBmp(b, HandMadeBmp(2, 1, 16, 0, {}, {0x00, 0x7C, 0xE0, 0x03}));
  EXPECT_EQ(b.PixelFormat(), pf15bit);
  EXPECT_EQ(b.Pixel(0, 0), clRed);
  EXPECT_EQ(b.Pixel(1, 0), clLime);
}

TEST(BmpCodec, ReadsShortPalettesAndCoreHeaders) {
  // 8 bits with 2 colours used.
  std::vector<Byte> f = HandMadeBmp(2, 1, 8, 0, {0x0000FF00, 0x00FF0000}, {1, 0, 0, 0});
  f[14 + 32] = 2;  // colours used
  TBitmap b;
  LoadBmp(b, f);
  EXPECT_EQ(b.PixelFormat(), pf8bit);
  EXPECT_EQ(b.Palette().size(), 2u);
  EXPECT_EQ(b.Pixel(0, 0), clRed);
  EXPECT_EQ(b.Pixel(1, 0), clLime);

  // OS/2 core header: 12 bytes, 3-byte palette entries.
  ByteWriter w;
  w.U8('B').U8('M').U32(14 + 12 + 6 + 4).U32(0).U32(14 + 12 + 6);
  w.U32(12).U16(3).U16(1).U16(1).U16(1);
  w.U8(0).U8(0).U8(0).U8(255).U8(255).U8(255);
  w.U8(0xA0).U8(0).U8(0).U8(0);
  LoadBmp(b, w.Bytes);
  EXPECT_EQ(b.PixelFormat(), pf1bit);
  EXPECT_EQ(b.Pixel(0, 0), clWhite);
  EXPECT_EQ(b.Pixel(1, 0), clBlack);
  EXPECT_EQ(b.Pixel(2, 0), clWhite);
}

TEST(BmpCodec, EveryTruncationIsRefusedWithTheMessage) {
  TBitmap original;
  MakePicture(original, pf8bit, 5, 3);
  std::vector<Byte> f = SaveBmp(original);
  for (std::size_t n = 1; n < f.size(); ++n)
    ExpectInvalid(std::vector<Byte>(f.begin(), f.begin() + long(n)), "truncated");
}

TEST(BmpCodec, LyingHeadersAreRefusedWithTheMessage) {
  std::vector<Byte> good = HandMadeBmp(2, 2, 24, 0, {}, std::vector<Byte>(16, 7));
  {
    TBitmap b;
    LoadBmp(b, good);
    EXPECT_EQ(b.Width(), 2);
  }
  auto patched = [&](std::size_t at, std::uint32_t value, int size = 4) {
    std::vector<Byte> f = good;
    for (int i = 0; i < size; ++i) f[at + i] = Byte(value >> (8 * i));
    return f;
  };
  ExpectInvalid(patched(0, 'X', 1), "signature");
  ExpectInvalid(patched(10, 1000), "pixel offset past the end");
  ExpectInvalid(patched(10, 20), "pixel offset inside the header");
  ExpectInvalid(patched(14, 4000), "header size past the end");
  ExpectInvalid(patched(14, 20), "unknown header size");
  ExpectInvalid(patched(18, 0), "zero width");
  ExpectInvalid(patched(18, 0xFFFFFFFF), "negative width");
  ExpectInvalid(patched(18, 0x7FFFFFFF), "huge width");
  ExpectInvalid(patched(22, 0), "zero height");
  ExpectInvalid(patched(22, 3), "one row more than there is");
  ExpectInvalid(patched(22, 0x7FFFFFFF), "huge height");
  ExpectInvalid(patched(22, 0x80000000), "most negative height");
  ExpectInvalid(patched(28, 7, 2), "7 bits");
  ExpectInvalid(patched(28, 0, 2), "0 bits");
  ExpectInvalid(patched(30, 1), "run-length compression");
  ExpectInvalid(patched(30, 3), "bit fields on 24 bits");
  ExpectInvalid(patched(30, 4), "embedded JPEG");

  // Palette larger than the file.
  std::vector<Byte> paletted = HandMadeBmp(4, 1, 8, 0, {}, {0, 1, 2, 3});
  ExpectInvalid(paletted, "256 palette entries missing");
  // Bit-field masks: missing, zero, overlapping, broken.
  ExpectInvalid(HandMadeBmp(1, 1, 16, 3, {}, {}), "masks missing");
  ExpectInvalid(HandMadeBmp(1, 1, 32, 3, {0xFF0000, 0, 0xFF}, {0, 0, 0, 0}), "zero mask");
  ExpectInvalid(HandMadeBmp(1, 1, 32, 3, {0xFF0000, 0xFFFF00, 0xFF}, {0, 0, 0, 0}), "overlap");
  ExpectInvalid(HandMadeBmp(1, 1, 32, 3, {0xF0F000, 0xFF00, 0xFF}, {0, 0, 0, 0}), "gap");
  ExpectInvalid(HandMadeBmp(2, 1, 16, 3, {0xF80000, 0x07E0, 0x001F}, {0, 0, 0, 0}), "mask beyond 16 bits");
}

TEST(BmpCodec, NothingToReadGivesAnEmptyBitmap) {
  TBitmap b;
  b.SetSize(3, 3);
  LoadBmp(b, {});
  EXPECT_TRUE(b.Empty());
}

TEST(BmpCodec, LayoutFormCarriesALengthPrefix) {
  TBitmap original;
  MakePicture(original, pf4bit, 6, 2);
  TMemoryStream stream;
  original.WriteData(&stream);
  std::vector<Byte> bytes = StreamBytes(stream);
  EXPECT_EQ(ReadU32(bytes, 0), bytes.size() - 4);
  stream.SetPosition(0);
  TBitmap loaded;
  loaded.ReadData(&stream);
  ExpectSamePixels(original, loaded);

  // A length beyond the stream is a read error, not a giant allocation.
  TMemoryStream lying;
  std::vector<Byte> prefix = {0xFF, 0xFF, 0xFF, 0x7F, 'B', 'M'};
  lying.WriteBuffer(prefix.data(), int(prefix.size()));
  lying.SetPosition(0);
  try {
    loaded.ReadData(&lying);
    FAIL();
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), "Stream read error");
  }
}

TEST(BmpCodec, LoadReadsFromTheCurrentPosition) {
  TBitmap original;
  MakePicture(original, pf24bit, 2, 2);
  std::vector<Byte> f = SaveBmp(original);
  TMemoryStream stream;
  stream.WriteBuffer("xyz", 3);
  stream.WriteBuffer(f.data(), int(f.size()));
  stream.SetPosition(3);
  TBitmap loaded;
  loaded.LoadFromStream(&stream);
  ExpectSamePixels(original, loaded);
}
