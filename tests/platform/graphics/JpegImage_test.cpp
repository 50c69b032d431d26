#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>

extern "C" {
#include <jpeglib.h>
}

#include "BitmapTestUtil.h"
#include "tests/support/PlainJpeg.h"
#include "platform/base/Exceptions.h"
#include "platform/graphics/JpegImage.h"

namespace {

// A smooth picture with some edges, like a camera frame.
void Scene(TBitmap& b, int width, int height) {
  b.SetPixelFormat(pf24bit);
  b.SetSize(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      int r = x * 255 / (width - 1);
      int g = y * 255 / (height - 1);
      int blue = (x / 16 + y / 16) % 2 ? 200 : 40;
      b.SetPixel(x, y, RGB(r, g, blue));
    }
}

struct Difference {
  double Mean = 0;
  int Max = 0;
};

Difference Compare(const TBitmap& a, const TBitmap& b) {
  Difference d;
  long total = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x) {
      TColor p = a.Pixel(x, y), q = b.Pixel(x, y);
      for (int shift : {0, 8, 16}) {
        int diff = std::abs(int((p >> shift) & 0xFF) - int((q >> shift) & 0xFF));
        total += diff;
        d.Max = std::max(d.Max, diff);
      }
    }
  d.Mean = double(total) / (3.0 * a.Width() * a.Height());
  return d;
}

std::vector<Byte> Encode(const TBitmap& picture, int quality) {
  TJPEGImage jpeg;
  TBitmap copy;
  copy.Assign(const_cast<TBitmap*>(&picture));
  jpeg.Assign(&copy);
  jpeg.SetCompressionQuality(quality);
  TMemoryStream stream;
  jpeg.SaveToStream(&stream);
  return StreamBytes(stream);
}

void ExpectRefused(const std::vector<Byte>& bytes, const char* what) {
  TJPEGImage jpeg;
  EXPECT_THROW(jpeg.LoadFromBytes(bytes.data(), bytes.size()), EInvalidGraphic) << what;
  EXPECT_TRUE(jpeg.Empty()) << what;
}

// Index of the first marker FF <code> at or after a position.
std::size_t FindMarker(const std::vector<Byte>& f, Byte code, std::size_t from = 0) {
  for (std::size_t i = from; i + 1 < f.size(); ++i)
    if (f[i] == 0xFF && f[i + 1] == code) return i;
  return std::string::npos;
}

// A grey-scale JPEG made straight with libjpeg.
std::vector<Byte> GrayJpeg(int width, int height) {
  std::vector<Byte> row(static_cast<std::size_t>(width));
  for (int x = 0; x < width; ++x) row[std::size_t(x)] = Byte(x * 255 / (width - 1));
  TLibjpegSettings settings;
  settings.Components = 1;
  settings.Quality = 95;
  const std::string jpeg = LibjpegEncode(row.data(), 0, width, height, settings);
  return std::vector<Byte>(jpeg.begin(), jpeg.end());
}

}  // namespace

TEST(JpegImage, EncodesABaselineThreeComponentFile) {
  TBitmap picture;
  Scene(picture, 64, 48);
  std::vector<Byte> f = Encode(picture, 95);
  ASSERT_GT(f.size(), 4u);
  EXPECT_EQ(f[0], 0xFF);
  EXPECT_EQ(f[1], 0xD8);
  EXPECT_EQ(f[f.size() - 2], 0xFF);
  EXPECT_EQ(f[f.size() - 1], 0xD9);
  std::size_t sof = FindMarker(f, 0xC0);  // baseline
  ASSERT_NE(sof, std::string::npos);
  EXPECT_EQ(FindMarker(f, 0xC2), std::string::npos);  // not progressive
  EXPECT_EQ(f[sof + 5] << 8 | f[sof + 6], 48);           // height
  EXPECT_EQ(f[sof + 7] << 8 | f[sof + 8], 64);           // width
  EXPECT_EQ(f[sof + 9], 3);                              // components
}

TEST(JpegImage, DecodeOfAnEncodedPictureIsCloseToTheOriginal) {
  TBitmap picture;
  Scene(picture, 96, 72);
  TJPEGImage jpeg;
  std::vector<Byte> f = Encode(picture, 95);
  jpeg.LoadFromBytes(f.data(), f.size());
  ASSERT_EQ(jpeg.Width(), 96);
  ASSERT_EQ(jpeg.Height(), 72);
  ASSERT_EQ(jpeg.Bitmap()->PixelFormat(), pf24bit);
  // Colour edges lose some sharpness to chroma subsampling; away from them
  // every pixel is within a few steps.
  Difference d = Compare(picture, *jpeg.Bitmap());
  EXPECT_LT(d.Mean, 5.0);
  for (int y = 4; y < 72; y += 16)
    for (int x = 4; x < 96; x += 16)
      for (int dy = 0; dy < 8; ++dy)
        for (int dx = 0; dx < 8; ++dx) {
          TColor p = picture.Pixel(x + dx, y + dy), q = jpeg.Bitmap()->Pixel(x + dx, y + dy);
          for (int shift : {0, 8, 16})
            ASSERT_LE(std::abs(int((p >> shift) & 0xFF) - int((q >> shift) & 0xFF)), 8)
                << x + dx << "," << y + dy;
        }

  // A low quality is smaller and further off, but still the same picture.
  std::vector<Byte> rough = Encode(picture, 10);
  EXPECT_LT(rough.size(), f.size());
  TJPEGImage low;
  low.LoadFromBytes(rough.data(), rough.size());
  Difference dl = Compare(picture, *low.Bitmap());
  EXPECT_GT(dl.Mean, d.Mean);
  EXPECT_LT(dl.Mean, 15);
}

TEST(JpegImage, QualityIsClampedLikeLibjpeg) {
  TJPEGImage jpeg;
  EXPECT_EQ(jpeg.CompressionQuality(), 90);
  jpeg.SetCompressionQuality(-5);
  EXPECT_EQ(jpeg.CompressionQuality(), 1);
  jpeg.SetCompressionQuality(250);
  EXPECT_EQ(jpeg.CompressionQuality(), 100);
  TBitmap picture;
  Scene(picture, 16, 16);
  EXPECT_EQ(Encode(picture, 0), Encode(picture, 1));
}

TEST(JpegImage, AnyPixelFormatIsEncodedFromItsColours) {
  TBitmap picture;
  Scene(picture, 32, 32);
  TBitmap paletted;
  paletted.Assign(&picture);
  paletted.SetPixelFormat(pf8bit);
  std::vector<Byte> f = Encode(paletted, 95);
  TJPEGImage jpeg;
  jpeg.LoadFromBytes(f.data(), f.size());
  EXPECT_LT(Compare(paletted, *jpeg.Bitmap()).Mean, 8.0);
  EXPECT_GT(Compare(picture, paletted).Mean, 1.0);  // the palette did change it
}

TEST(JpegImage, DecodesGrayScaleFiles) {
  std::vector<Byte> f = GrayJpeg(40, 8);
  TJPEGImage jpeg;
  jpeg.LoadFromBytes(f.data(), f.size());
  ASSERT_EQ(jpeg.Width(), 40);
  TColor left = jpeg.Bitmap()->Pixel(0, 4), right = jpeg.Bitmap()->Pixel(39, 4);
  EXPECT_EQ(GetRValue(left), GetGValue(left));
  EXPECT_EQ(GetRValue(left), GetBValue(left));
  EXPECT_LT(GetRValue(left), 10);
  EXPECT_GT(GetRValue(right), 245);
}

TEST(JpegImage, CorruptAndTruncatedFilesRaiseAndNeverAbort) {
  TBitmap picture;
  Scene(picture, 64, 64);
  std::vector<Byte> f = Encode(picture, 80);
  ExpectRefused({}, "empty");
  ExpectRefused({'B', 'M', 0, 0}, "not a JPEG");
  ExpectRefused(std::vector<Byte>(f.begin(), f.begin() + 2), "only the start marker");
  ExpectRefused(std::vector<Byte>(f.begin(), f.begin() + long(f.size() / 2)), "cut in the scan");
  ExpectRefused(std::vector<Byte>(f.begin(), f.end() - 2), "no end marker");
  std::size_t sos = FindMarker(f, 0xDA);
  ExpectRefused(std::vector<Byte>(f.begin(), f.begin() + long(sos)), "cut before the scan");

  std::vector<Byte> badTable = f;
  std::size_t dht = FindMarker(badTable, 0xC4);
  ASSERT_NE(dht, std::string::npos);
  for (int i = 0; i < 16; ++i) badTable[dht + 5 + std::size_t(i)] = 0xFF;  // impossible code counts
  ExpectRefused(badTable, "broken Huffman table");

  std::vector<Byte> noComponents = f;
  std::size_t sof = FindMarker(noComponents, 0xC0);
  noComponents[sof + 9] = 0;
  ExpectRefused(noComponents, "no components");

  // The message is libjpeg's own description.
  TJPEGImage jpeg;
  std::vector<Byte> bmp = {'B', 'M', 1, 2, 3};
  try {
    jpeg.LoadFromBytes(bmp.data(), bmp.size());
    FAIL();
  } catch (const EInvalidGraphic& e) {
    EXPECT_NE(e.Message().find("Not a JPEG file"), std::string::npos) << e.Message();
  }
}

TEST(JpegImage, AFailedLoadKeepsThePreviousPicture) {
  TBitmap picture;
  Scene(picture, 16, 8);
  std::vector<Byte> f = Encode(picture, 90);
  TJPEGImage jpeg;
  jpeg.LoadFromBytes(f.data(), f.size());
  std::vector<Byte> broken(f.begin(), f.begin() + long(f.size() - 20));
  EXPECT_THROW(jpeg.LoadFromBytes(broken.data(), broken.size()), EInvalidGraphic);
  EXPECT_EQ(jpeg.Width(), 16);
  EXPECT_EQ(jpeg.Data(), f);
}

TEST(JpegImage, DeclaredSizesBeyondWhatTheBytesCanHoldAreRefused) {
  TBitmap picture;
  Scene(picture, 16, 16);
  std::vector<Byte> f = Encode(picture, 90);
  std::size_t sof = FindMarker(f, 0xC0);
  f[sof + 5] = 0xFF;  // 65280 x 65280
  f[sof + 6] = 0x00;
  f[sof + 7] = 0xFF;
  f[sof + 8] = 0x00;
  TJPEGImage jpeg;
  try {
    jpeg.LoadFromBytes(f.data(), f.size());
    FAIL();
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message(), "JPEG image is too large");
  }
}

TEST(JpegImage, StreamsAndLayoutForm) {
  TBitmap picture;
  Scene(picture, 20, 10);
  std::vector<Byte> f = Encode(picture, 90);
  TMemoryStream stream;
  stream.WriteBuffer(f.data(), int(f.size()));
  stream.SetPosition(0);
  TJPEGImage jpeg;
  int changes = 0;
  jpeg.SetOnChange([&](TObject*) { ++changes; });
  jpeg.LoadFromStream(&stream);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(jpeg.Width(), 20);

  // Saving a loaded JPEG writes the very bytes it was loaded from.
  TMemoryStream out;
  jpeg.SaveToStream(&out);
  EXPECT_EQ(StreamBytes(out), f);

  TMemoryStream layout;
  jpeg.WriteData(&layout);
  std::vector<Byte> bytes = StreamBytes(layout);
  EXPECT_EQ(ReadU32(bytes, 0), f.size());
  layout.SetPosition(0);
  TJPEGImage again;
  again.ReadData(&layout);
  EXPECT_EQ(again.Data(), f);
}

TEST(JpegImage, AssignBetweenBitmapsAndJpegs) {
  TBitmap picture;
  Scene(picture, 24, 12);
  TJPEGImage jpeg;
  jpeg.Assign(&picture);
  EXPECT_EQ(jpeg.Width(), 24);
  EXPECT_TRUE(jpeg.Data().size() > 0);  // compressed on demand

  TBitmap decoded;
  decoded.Assign(&jpeg);  // through the JPEG's AssignTo
  EXPECT_EQ(decoded.Width(), 24);
  EXPECT_EQ(decoded.PixelFormat(), pf24bit);

  TJPEGImage copy;
  copy.Assign(&jpeg);
  EXPECT_EQ(copy.Data(), jpeg.Data());
  EXPECT_NE(copy.Bitmap(), jpeg.Bitmap());

  copy.Assign(nullptr);
  EXPECT_TRUE(copy.Empty());
  TBitmap fromEmpty;
  fromEmpty.SetSize(3, 3);
  fromEmpty.Assign(&copy);
  EXPECT_TRUE(fromEmpty.Empty());

  try {
    jpeg.SetWidth(5);
    FAIL();
  } catch (const EInvalidGraphicOperation&) {
  }
}

namespace {

// libjpeg's own decoding: top-down red, green, blue rows (grey as three
// equal channels).
std::vector<Byte> PlainDecode(const std::vector<Byte>& File, int& Width, int& Height) {
  jpeg_decompress_struct codec;
  jpeg_error_mgr errors;
  codec.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&codec);
  jpeg_mem_src(&codec, File.data(), File.size());
  jpeg_read_header(&codec, TRUE);
  const bool gray = codec.jpeg_color_space == JCS_GRAYSCALE;
  codec.out_color_space = gray ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_start_decompress(&codec);
  Width = int(codec.output_width);
  Height = int(codec.output_height);
  std::vector<Byte> row(std::size_t(Width) * 3), rgb;
  while (codec.output_scanline < codec.output_height) {
    JSAMPROW rows[1] = {row.data()};
    jpeg_read_scanlines(&codec, rows, 1);
    for (int x = 0; x < Width; ++x)
      for (int c = 0; c < 3; ++c)
        rgb.push_back(gray ? row[std::size_t(x)] : row[std::size_t(x) * 3 + c]);
  }
  jpeg_finish_decompress(&codec);
  jpeg_destroy_decompress(&codec);
  return rgb;
}

void ExpectPlainDecode(const std::vector<Byte>& File) {
  int width = 0, height = 0;
  const std::vector<Byte> rgb = PlainDecode(File, width, height);
  TJPEGImage jpeg;
  jpeg.LoadFromBytes(File.data(), File.size());
  TBitmap decoded;
  DecodeJpeg(File.data(), File.size(), decoded);
  for (const TBitmap* picture : {static_cast<const TBitmap*>(jpeg.Bitmap()),
                                 static_cast<const TBitmap*>(&decoded)}) {
    ASSERT_EQ(picture->Width(), width);
    ASSERT_EQ(picture->Height(), height);
    ASSERT_EQ(picture->PixelFormat(), pf24bit);
    for (int y = 0; y < height; ++y) {
      const Byte* row = static_cast<const Byte*>(picture->ScanLine(y));
      for (int x = 0; x < width; ++x) {
        const Byte* want = rgb.data() + (std::size_t(y) * width + x) * 3;
        ASSERT_EQ(row[3 * x + 2], want[0]) << x << "," << y;
        ASSERT_EQ(row[3 * x + 1], want[1]) << x << "," << y;
        ASSERT_EQ(row[3 * x], want[2]) << x << "," << y;
      }
      for (int pad = width * 3; pad < picture->BytesPerLine(); ++pad) ASSERT_EQ(row[pad], 0);
    }
  }
}

}  // namespace

// Decoding goes straight into the picture's rows, as blue, green, red: the
// pixels are libjpeg's own, for colour and grey files and for sizes that
// leave partial blocks and padded rows.
TEST(JpegImage, DecodedPixelsAreLibjpegsOwn) {
  for (auto [width, height] : {std::pair{37, 29}, std::pair{64, 48}, std::pair{1, 1}}) {
    SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
    TBitmap picture;
    Scene(picture, std::max(width, 2), std::max(height, 2));
    picture.SetSize(width, height);
    ExpectPlainDecode(Encode(picture, 90));
  }
  ExpectPlainDecode(GrayJpeg(23, 11));
}

// A copy of a JPEG image shares its decoded picture until one side hands
// the picture out; what is then done to it shows in that image only.
TEST(JpegImage, CopiesNeverSeeEachOthersChanges) {
  TBitmap scene;
  Scene(scene, 24, 16);
  const std::vector<Byte> f = Encode(scene, 90);
  TJPEGImage reference;
  reference.LoadFromBytes(f.data(), f.size());
  const TColor original = reference.Bitmap()->Pixel(3, 3);
  ASSERT_NE(original, clRed);

  TJPEGImage a;
  a.LoadFromBytes(f.data(), f.size());
  TJPEGImage b;
  b.Assign(&a);
  TJPEGImage c;
  c.Assign(&b);
  b.Bitmap()->SetPixel(3, 3, clRed);
  EXPECT_EQ(b.Bitmap()->Pixel(3, 3), clRed);
  EXPECT_EQ(a.Bitmap()->Pixel(3, 3), original);
  EXPECT_EQ(c.Bitmap()->Pixel(3, 3), original);

  // A picture handed out before the copy was made stays the original's.
  TJPEGImage d;
  d.LoadFromBytes(f.data(), f.size());
  TBitmap* held = d.Bitmap();
  TJPEGImage e;
  e.Assign(&d);
  held->SetPixel(3, 3, clBlue);
  EXPECT_EQ(d.Bitmap()->Pixel(3, 3), clBlue);
  EXPECT_EQ(e.Bitmap()->Pixel(3, 3), original);
  EXPECT_EQ(e.Data(), f);
}

// A picture container taking a JPEG image changes once (an image control
// repaints once) and shows the same pixels.
TEST(JpegImage, APictureTakesAJpegInOneChange) {
  TBitmap scene;
  Scene(scene, 20, 12);
  const std::vector<Byte> f = Encode(scene, 90);
  TPicture picture;
  int changes = 0;
  picture.SetOnChange([&](TObject*) { ++changes; });
  {
    TJPEGImage jpeg;
    jpeg.LoadFromBytes(f.data(), f.size());
    picture.Assign(&jpeg);
  }
  EXPECT_EQ(changes, 1);
  auto* shown = dynamic_cast<TJPEGImage*>(picture.Graphic());
  ASSERT_NE(shown, nullptr);
  TJPEGImage reference;
  reference.LoadFromBytes(f.data(), f.size());
  EXPECT_EQ(Compare(*shown->Bitmap(), *reference.Bitmap()).Max, 0);
  EXPECT_EQ(shown->Data(), f);
}
