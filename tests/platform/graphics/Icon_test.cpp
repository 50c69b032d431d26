#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <cstdio>
#include <functional>
#include <string>

#include "BitmapTestUtil.h"
#include "platform/base/Exceptions.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Clipboard.h"
#include "platform/graphics/Icon.h"

namespace {

// One image of a hand-made icon file. Value gives a palette index for 1 to
// 8 bits and 0xAARRGGBB for 24 and 32 bits; SeeThrough is the mask.
struct TestImage {
  int Width = 0;
  int Height = 0;
  int Bits = 0;
  std::function<std::uint32_t(int, int)> Value;
  std::function<bool(int, int)> SeeThrough;
  int HotSpotX = 0, HotSpotY = 0;
};

TPaletteEntry PaletteColor(int i) { return {Byte(i * 7), Byte(255 - i), Byte(i * 13)}; }

// Palette indices, or pattern colours; 32-bit pictures carry an alpha that
// agrees with the mask.
TestImage Patterned(int width, int height, int bits) {
  TestImage image{width, height, bits, nullptr, [](int x, int y) { return (x * y) % 3 == 0; }};
  auto see = image.SeeThrough;
  image.Value = [bits, see](int x, int y) -> std::uint32_t {
    if (bits <= 8) return std::uint32_t(x + 3 * y) % (1u << bits);
    std::uint32_t alpha = bits == 32 && !see(x, y) ? 0xFF000000u : 0;
    return alpha | std::uint32_t(PatternColor(x, y));  // TColor is $BBGGRR
  };
  return image;
}

// The rows of one plane, bottom row first, padded to 4 bytes.
void PutRows(ByteWriter& w, int width, int height, int bits, const std::function<std::uint32_t(int, int)>& value) {
  int stride = (width * bits + 31) / 32 * 4;
  for (int y = height - 1; y >= 0; --y) {
    std::vector<Byte> row(std::size_t(stride), 0);
    for (int x = 0; x < width; ++x) {
      std::uint32_t v = value(x, y);
      if (bits < 8) {
        int shift = 8 - bits - (x * bits) % 8;
        row[std::size_t(x * bits / 8)] |= Byte(v << shift);
      } else if (bits == 8) {
        row[std::size_t(x)] = Byte(v);
      } else {
        // v is 0xAA BB GG RR as a TColor with alpha on top: store B, G, R (, A).
        Byte* p = row.data() + std::size_t(x * bits / 8);
        p[0] = Byte(v >> 16), p[1] = Byte(v >> 8), p[2] = Byte(v);
        if (bits == 32) p[3] = Byte(v >> 24);
      }
    }
    w.Raw(row);
  }
}

std::vector<Byte> ImageData(const TestImage& image) {
  ByteWriter w;
  w.U32(40).U32(std::uint32_t(image.Width)).U32(std::uint32_t(image.Height * 2)).U16(1).U16(unsigned(image.Bits));
  w.U32(0).U32(0).U32(0).U32(0).U32(0).U32(0);
  if (image.Bits <= 8)
    for (int i = 0; i < (1 << image.Bits); ++i) {
      TPaletteEntry e = PaletteColor(i);
      w.U8(e.Blue).U8(e.Green).U8(e.Red).U8(0);
    }
  PutRows(w, image.Width, image.Height, image.Bits, image.Value);
  PutRows(w, image.Width, image.Height, 1, [&](int x, int y) { return image.SeeThrough(x, y) ? 1u : 0u; });
  return w.Bytes;
}

// A file whose entries point at Datas in order.
std::vector<Byte> IconFileOf(unsigned type, const std::vector<TestImage>& images,
                             std::vector<std::vector<Byte>> datas = {}) {
  if (datas.empty())
    for (const TestImage& image : images) datas.push_back(ImageData(image));
  ByteWriter w;
  w.U16(0).U16(type).U16(unsigned(images.size()));
  std::uint32_t offset = 6 + 16 * std::uint32_t(images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    const TestImage& image = images[i];
    w.U8(unsigned(image.Width)).U8(unsigned(image.Height)).U8(0).U8(0);
    if (type == 2)
      w.U16(unsigned(image.HotSpotX)).U16(unsigned(image.HotSpotY));
    else
      w.U16(1).U16(unsigned(image.Bits));
    w.U32(std::uint32_t(datas[i].size())).U32(offset);
    offset += std::uint32_t(datas[i].size());
  }
  for (const auto& data : datas) w.Raw(data);
  return w.Bytes;
}

void LoadIcon(TIcon& icon, const std::vector<Byte>& bytes) {
  TMemoryStream stream;
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), int(bytes.size()));
  stream.SetPosition(0);
  icon.LoadFromStream(&stream);
}

std::vector<Byte> SaveIcon(TIcon& icon) {
  TMemoryStream stream;
  icon.SaveToStream(&stream);
  return StreamBytes(stream);
}

TColor ColorOf(const TestImage& image, int x, int y) {
  std::uint32_t v = image.Value(x, y);
  if (image.Bits > 8) return TColor(v & 0xFFFFFF);
  TPaletteEntry e = PaletteColor(int(v));
  return RGB(e.Red, e.Green, e.Blue);
}

// A 24-bit canvas of one colour.
void Background(TBitmap& b, int width, int height, TColor color) {
  b.SetPixelFormat(pf24bit);
  b.SetSize(width, height);
  b.Canvas()->Brush()->SetColor(color);
  b.Canvas()->FillRect(Rect(0, 0, width, height));
}

constexpr TColor kBack = RGB(0x35, 0xA0, 0x5C);

void ExpectInvalidIcon(const std::vector<Byte>& bytes, const char* what) {
  TIcon icon;
  LoadIcon(icon, IconFileOf(1, {Patterned(16, 16, 4)}));
  try {
    LoadIcon(icon, bytes);
    ADD_FAILURE() << what << ": no error";
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message(), "Icon image is not valid") << what;
  }
  EXPECT_EQ(icon.Width(), 16) << what << ": a failed load keeps the icon";
  EXPECT_EQ(icon.ImageCount(), 1) << what;
}

}  // namespace

TEST(Icon, DrawsEveryDepthThroughItsMask) {
  for (int bits : {1, 4, 8, 24, 32}) {
    TestImage image = Patterned(19, 7, bits);  // odd width: padded rows
    if (bits == 32) image.Value = [](int x, int y) { return std::uint32_t(PatternColor(x, y)); };  // alpha 0: mask
    TIcon icon;
    LoadIcon(icon, IconFileOf(1, {image}));
    ASSERT_EQ(icon.Width(), 19);
    ASSERT_EQ(icon.Height(), 7);
    TBitmap canvas;
    Background(canvas, 25, 12, kBack);
    canvas.Canvas()->Draw(3, 2, &icon);
    for (int y = 0; y < 12; ++y)
      for (int x = 0; x < 25; ++x) {
        TColor expected = kBack;
        int ix = x - 3, iy = y - 2;
        if (ix >= 0 && ix < 19 && iy >= 0 && iy < 7) {
          TColor c = ColorOf(image, ix, iy);
          // AND with the mask, then XOR with the picture.
          expected = image.SeeThrough(ix, iy) ? TColor(kBack ^ c) : c;
        }
        ASSERT_EQ(canvas.Pixel(x, y), expected) << bits << " bits at " << x << "," << y;
      }
  }
}

TEST(Icon, AlphaImagesBlendByTheirAlpha) {
  TestImage image{2, 1, 32, [](int x, int) { return x == 0 ? 0x80FF0000u : 0x00FFFFFFu; },
                  [](int, int) { return false; }};
  TIcon icon;
  LoadIcon(icon, IconFileOf(1, {image}));
  TBitmap canvas;
  Background(canvas, 2, 1, RGB(0, 0, 200));
  canvas.Canvas()->Draw(0, 0, &icon);
  // Blue 255 at alpha 128 over blue 200; alpha 0 leaves the canvas, mask or not.
  EXPECT_EQ(canvas.Pixel(0, 0), RGB(0, 0, (255 * 128 + 200 * 127 + 127) / 255));
  EXPECT_EQ(canvas.Pixel(1, 0), RGB(0, 0, 200));
}

TEST(Icon, StretchesAndKeepsToTheClip) {
  static const TColor colors[4] = {clRed, clLime, clBlue, clYellow};
  TestImage image{2, 2, 24, [](int x, int y) { return std::uint32_t(colors[x + 2 * y]); },
                  [](int, int) { return false; }};
  TIcon icon;
  LoadIcon(icon, IconFileOf(1, {image}));
  TBitmap canvas;
  Background(canvas, 6, 6, kBack);
  canvas.Canvas()->IntersectClipRect(0, 0, 2, 6);
  // Each icon pixel covers 2 x 2; the left column of the red pair lies off the canvas.
  canvas.Canvas()->StretchDraw(Rect(-1, 1, 3, 5), &icon);
  EXPECT_EQ(canvas.Pixel(0, 1), clRed);
  EXPECT_EQ(canvas.Pixel(1, 2), clLime);
  EXPECT_EQ(canvas.Pixel(0, 4), clBlue);
  EXPECT_EQ(canvas.Pixel(1, 4), clYellow);
  EXPECT_EQ(canvas.Pixel(0, 0), kBack);
  EXPECT_EQ(canvas.Pixel(0, 5), kBack);
  EXPECT_EQ(canvas.Pixel(2, 4), kBack) << "outside the clip";
}

TEST(Icon, TheImageNearestThe32PixelSizeIsCurrent) {
  TIcon icon;
  LoadIcon(icon, IconFileOf(1, {Patterned(16, 16, 8), Patterned(32, 32, 4), Patterned(32, 32, 24),
                                Patterned(48, 48, 32), Patterned(32, 32, 8)}));
  EXPECT_EQ(icon.ImageCount(), 5);
  EXPECT_EQ(icon.CurrentImage(), 2) << "32 x 32 with the most colours";
  EXPECT_EQ(icon.Width(), 32);

  LoadIcon(icon, IconFileOf(1, {Patterned(16, 16, 8), Patterned(48, 48, 4)}));
  EXPECT_EQ(icon.CurrentImage(), 1) << "equally near: the larger";
  EXPECT_EQ(icon.Width(), 48);

  LoadIcon(icon, IconFileOf(1, {Patterned(16, 16, 8)}));
  EXPECT_EQ(icon.Width(), 16);
}

TEST(Icon, SavesEveryImageAndReadsItBack) {
  std::vector<TestImage> images{Patterned(16, 16, 1), Patterned(32, 32, 8), Patterned(24, 24, 32)};
  TIcon icon;
  LoadIcon(icon, IconFileOf(1, images));
  std::vector<Byte> saved = SaveIcon(icon);
  TIcon again;
  LoadIcon(again, saved);
  EXPECT_EQ(again.ImageCount(), 3);
  EXPECT_EQ(again.CurrentImage(), 1);
  EXPECT_EQ(SaveIcon(again), saved);
  EXPECT_TRUE(again.Equals(&icon));

  // Another reader sees the same pictures: opaque where the mask is clear,
  // see-through where it is set (pictures here are black there or not: the
  // reader gives colour and alpha 0 either way).
  QBuffer buffer;
  buffer.setData(reinterpret_cast<const char*>(saved.data()), qsizetype(saved.size()));
  QImageReader reader(&buffer, "ico");
  ASSERT_EQ(reader.imageCount(), 3);
  for (int i = 0; i < 3; ++i) {
    const TestImage& image = images[std::size_t(i)];
    ASSERT_TRUE(reader.jumpToImage(i));
    QImage decoded = reader.read().convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(decoded.isNull()) << reader.errorString().toStdString();
    ASSERT_EQ(decoded.width(), image.Width);
    for (int y = 0; y < image.Height; ++y)
      for (int x = 0; x < image.Width; ++x) {
        QRgb p = decoded.pixel(x, y);
        if (image.SeeThrough(x, y)) {
          ASSERT_EQ(qAlpha(p), 0) << image.Bits << " bits at " << x << "," << y;
        } else {
          TColor c = ColorOf(image, x, y);
          ASSERT_EQ(qRgb(qRed(p), qGreen(p), qBlue(p)), qRgb(GetRValue(c), GetGValue(c), GetBValue(c)))
              << image.Bits << " bits at " << x << "," << y;
        }
      }
  }
}

TEST(Icon, CursorsKeepTheirKindAndHotSpots) {
  TestImage image = Patterned(32, 32, 4);
  image.HotSpotX = 5;
  image.HotSpotY = 9;
  TIcon icon;
  LoadIcon(icon, IconFileOf(2, {image}));
  EXPECT_EQ(icon.Width(), 32);
  std::vector<Byte> saved = SaveIcon(icon);
  EXPECT_EQ(ReadU16(saved, 2), 2u);
  EXPECT_EQ(ReadU16(saved, 6 + 4), 5u);
  EXPECT_EQ(ReadU16(saved, 6 + 6), 9u);
}

TEST(Icon, RefusesFilesItCannotRead) {
  TestImage image = Patterned(8, 8, 4);
  std::vector<Byte> good = IconFileOf(1, {image});
  auto changed = [&](std::size_t at, std::vector<Byte> bytes) {
    std::vector<Byte> b = good;
    for (std::size_t i = 0; i < bytes.size(); ++i) b[at + i] = bytes[i];
    return b;
  };
  ExpectInvalidIcon({0, 0, 1, 0}, "short header");
  ExpectInvalidIcon(changed(0, {1}), "reserved field set");
  ExpectInvalidIcon(changed(2, {3}), "neither icon nor cursor");
  ExpectInvalidIcon(changed(4, {0}), "no images");
  std::vector<Byte> cut(good.begin(), good.begin() + 22);
  cut[4] = 2;
  ExpectInvalidIcon(cut, "directory past the end");
  ExpectInvalidIcon(changed(6 + 12, {6 + 15}), "image inside the directory");
  ExpectInvalidIcon(changed(6 + 8, {0xFF, 0xFF}), "image past the end");
  ExpectInvalidIcon(std::vector<Byte>(good.begin(), good.end() - 1), "mask cut short");
  ExpectInvalidIcon(changed(22 + 8, {0xF0, 0xFF, 0xFF, 0xFF}), "top-down picture");
  ExpectInvalidIcon(changed(22 + 8, {17}), "odd row count");
  ExpectInvalidIcon(changed(22 + 14, {16}), "16-bit picture");
  ExpectInvalidIcon(changed(22 + 16, {1}), "compressed picture");
  ExpectInvalidIcon(changed(22, {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}), "PNG image");

  // Two directory entries sharing one image's bytes.
  std::vector<Byte> data = ImageData(image);
  std::vector<Byte> shared = IconFileOf(1, {image, image}, {data, data});
  shared.resize(shared.size() - data.size());
  shared[6 + 16 + 12] = Byte(6 + 32);
  ExpectInvalidIcon(shared, "overlapping images");
}

TEST(Icon, EmptyIcons) {
  TIcon icon;
  EXPECT_TRUE(icon.Empty());
  EXPECT_EQ(icon.Width(), 0);
  EXPECT_EQ(icon.CurrentImage(), -1);
  EXPECT_TRUE(SaveIcon(icon).empty());
  LoadIcon(icon, IconFileOf(1, {Patterned(16, 16, 4)}));
  LoadIcon(icon, {});
  EXPECT_TRUE(icon.Empty()) << "nothing left in the stream reads as an empty icon";
  TBitmap canvas;
  Background(canvas, 4, 4, kBack);
  canvas.Canvas()->Draw(0, 0, &icon);
  EXPECT_EQ(canvas.Pixel(0, 0), kBack);
}

TEST(Icon, AssignsIconsAndNothingElse) {
  TIcon icon, copy;
  int changes = 0;
  copy.SetOnChange([&](TObject*) { ++changes; });
  LoadIcon(icon, IconFileOf(1, {Patterned(16, 16, 8)}));
  copy.Assign(&icon);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(copy.Width(), 16);
  EXPECT_EQ(SaveIcon(copy), SaveIcon(icon));
  LoadIcon(icon, IconFileOf(1, {Patterned(32, 32, 8)}));
  EXPECT_EQ(copy.Width(), 16) << "a copy is not changed by its source's next load";

  TBitmap bitmap;
  bitmap.SetSize(4, 4);
  try {
    copy.Assign(&bitmap);
    ADD_FAILURE();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Cannot assign a TBitmap to a TIcon");
  }
  // A bitmap does not take an icon either: callers draw it instead.
  try {
    bitmap.Assign(&copy);
    ADD_FAILURE();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Cannot assign a TIcon to a TBitmap");
  }
  copy.Assign(nullptr);
  EXPECT_TRUE(copy.Empty());
  EXPECT_EQ(changes, 2);
}

TEST(Icon, SizeTransparencyAndClipboard) {
  TIcon icon;
  LoadIcon(icon, IconFileOf(1, {Patterned(16, 16, 8)}));
  try {
    icon.SetWidth(20);
    ADD_FAILURE();
  } catch (const EInvalidGraphicOperation& e) {
    EXPECT_EQ(e.Message(), "Cannot change the size of an icon");
  }
  EXPECT_THROW(icon.SetHeight(20), EInvalidGraphicOperation);
  icon.SetTransparent(false);
  EXPECT_TRUE(icon.Transparent());

  TClipboardFormat format = 0;
  std::vector<Byte> data;
  try {
    icon.SaveToClipboardFormat(format, data);
    ADD_FAILURE();
  } catch (const EInvalidGraphicOperation& e) {
    EXPECT_EQ(e.Message(), "Clipboard does not support Icons");
  }
  // A format tied to icons is one a picture can paste, and pasting it fails the same way.
  TClipboardFormat iconFormat = RegisterClipboardFormat("Icon Test Format");
  TPicture::RegisterClipboardFormat(iconFormat, GraphicClassOf<TIcon>());
  TPicture picture;
  EXPECT_TRUE(TPicture::SupportsClipboardFormat(iconFormat));
  EXPECT_THROW(picture.LoadFromClipboardFormat(iconFormat, {}), EInvalidGraphicOperation);
}

TEST(Icon, PicturesReadIconFilesAndLayouts) {
  EXPECT_EQ(TPicture::FileFormatClass("ICO"), GraphicClassOf<TIcon>());
  EXPECT_NE(TPicture::GraphicFilter(nullptr).find("Icon (*.ico)|*.ico"), std::string::npos);

  std::string path = testing::TempDir() + "icon_test.ico";
  {
    TFileStream file(path, fmCreate);
    std::vector<Byte> bytes = IconFileOf(1, {Patterned(32, 32, 4)});
    file.WriteBuffer(bytes.data(), int(bytes.size()));
  }
  TPicture picture;
  picture.LoadFromFile(path);
  std::remove(path.c_str());
  ASSERT_NE(dynamic_cast<TIcon*>(picture.Graphic()), nullptr);
  EXPECT_EQ(picture.Width(), 32);

  TMemoryStream layout;
  picture.WriteData(&layout);
  layout.SetPosition(0);
  TPicture again;
  again.ReadData(&layout);
  ASSERT_NE(dynamic_cast<TIcon*>(again.Graphic()), nullptr);
  EXPECT_TRUE(again.Graphic()->Equals(picture.Graphic()));
}
