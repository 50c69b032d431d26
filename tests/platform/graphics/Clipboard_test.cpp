#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

#include "BitmapTestUtil.h"
#include "platform/base/Exceptions.h"
#include "platform/graphics/BitmapQt.h"
#include "platform/graphics/Clipboard.h"
#include "platform/graphics/JpegImage.h"

namespace {

void Picture(TBitmap& b, int width, int height, TPixelFormat format = pf24bit) {
  b.SetPixelFormat(format);
  b.SetSize(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) b.SetPixel(x, y, PatternColor(x, y));
}

}  // namespace

TEST(Clipboard, NamedFormatsStartAtC000AndKeepTheirIds) {
  TClipboardFormat gif = RegisterClipboardFormat("Test GIF Image");
  TClipboardFormat icon = RegisterClipboardFormat("Test Icon");
  EXPECT_GE(gif, 0xC000);
  EXPECT_NE(gif, icon);
  EXPECT_EQ(RegisterClipboardFormat("test gif image"), gif);
  EXPECT_EQ(ClipboardFormatName(icon), "Test Icon");
  EXPECT_EQ(ClipboardFormatName(CF_BITMAP), "");
}

TEST(Clipboard, BitmapRoundTripThroughTheDesktopClipboard) {
  ASSERT_NE(QGuiApplication::instance(), nullptr);
  TBitmap original;
  Picture(original, 7, 5);
  Clipboard()->Assign(&original);
  EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
  // It really is on Qt's clipboard as an image.
  const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(mime, nullptr);
  ASSERT_TRUE(mime->hasImage());
  QImage image = qvariant_cast<QImage>(mime->imageData());
  EXPECT_EQ(image.width(), 7);
  TColor c = PatternColor(3, 2);
  EXPECT_EQ(image.pixel(3, 2) & 0xFFFFFF, qRgb(GetRValue(c), GetGValue(c), GetBValue(c)) & 0xFFFFFFu);

  TBitmap pasted;
  pasted.Assign(Clipboard());
  ASSERT_EQ(pasted.Width(), 7);
  ASSERT_EQ(pasted.Height(), 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) ASSERT_EQ(pasted.Pixel(x, y), original.Pixel(x, y));
}

// Fault mended: for a 32-bit bitmap the "copy" was a view of the bitmap's own
// memory, so the picture put on the clipboard pointed into a freed bitmap.
TEST(Clipboard, ACopyOfABitmapIsItsOwnForEveryFormat) {
  for (TPixelFormat format : {pf24bit, pf32bit}) {
    TBitmap bitmap;
    Picture(bitmap, 3, 2, format);
    const TColor before = bitmap.Pixel(1, 1);
    QImage image = BitmapToQImage(bitmap);
    bitmap.SetPixel(1, 1, before == clBlack ? clWhite : clBlack);
    EXPECT_EQ(image.pixel(1, 1) & 0xFFFFFFu,
              qRgb(GetRValue(before), GetGValue(before), GetBValue(before)) & 0xFFFFFFu)
        << "format " << int(format);
  }
}

TEST(Clipboard, A32BitBitmapRoundTrips) {
  TBitmap original;
  Picture(original, 5, 3, pf32bit);
  Clipboard()->Assign(&original);
  TBitmap pasted;
  pasted.Assign(Clipboard());
  ASSERT_EQ(pasted.Width(), 5);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) ASSERT_EQ(pasted.Pixel(x, y), original.Pixel(x, y));
}

TEST(Clipboard, PalettedBitmapsGoAsTheirColours) {
  TBitmap original;
  Picture(original, 4, 4, pf4bit);
  Clipboard()->Assign(&original);
  TBitmap pasted;
  pasted.Assign(Clipboard());
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) ASSERT_EQ(pasted.Pixel(x, y), original.Pixel(x, y));
}

TEST(Clipboard, ImagesPutThereByOthersArePasted) {
  QImage image(3, 2, QImage::Format_ARGB32);
  image.fill(qRgba(255, 0, 0, 255));
  image.setPixel(1, 1, qRgba(0, 0, 255, 255));
  QGuiApplication::clipboard()->setImage(image);
  EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
  TBitmap pasted;
  pasted.Assign(Clipboard());
  EXPECT_EQ(pasted.Pixel(0, 0), clRed);
  EXPECT_EQ(pasted.Pixel(1, 1), clBlue);
}

TEST(Clipboard, RawBlocksUnderNamedFormats) {
  TClipboardFormat format = RegisterClipboardFormat("Test Block");
  std::vector<Byte> data = {0, 1, 2, 250, 0, 7};
  Clipboard()->SetBlock(format, data);
  EXPECT_TRUE(Clipboard()->HasFormat(format));
  EXPECT_FALSE(Clipboard()->HasFormat(CF_BITMAP));  // a write outside a session replaces
  EXPECT_EQ(Clipboard()->GetBlock(format), data);
  EXPECT_TRUE(QGuiApplication::clipboard()->mimeData()->hasFormat(
      "application/x-qt-windows-mime;value=\"Test Block\""));
  EXPECT_TRUE(Clipboard()->GetBlock(RegisterClipboardFormat("Test Other")).empty());
}

TEST(Clipboard, ASessionPutsSeveralFormatsTogether) {
  TClipboardFormat format = RegisterClipboardFormat("Test Companion");
  TBitmap original;
  Picture(original, 2, 2);
  Clipboard()->Open();
  Clipboard()->Assign(&original);
  Clipboard()->SetBlock(format, {9, 8, 7});
  EXPECT_TRUE(Clipboard()->HasFormat(format));  // visible inside the session
  Clipboard()->Close();
  EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
  EXPECT_EQ(Clipboard()->GetBlock(format), (std::vector<Byte>{9, 8, 7}));

  Clipboard()->Clear();
  EXPECT_TRUE(Clipboard()->Formats().empty());
}

TEST(Clipboard, AJpegGoesAsItsDecodedBitmap) {
  TBitmap original;
  Picture(original, 16, 8);
  TJPEGImage jpeg;
  jpeg.Assign(&original);
  std::vector<Byte> bytes = jpeg.Data();
  TJPEGImage loaded;
  loaded.LoadFromBytes(bytes.data(), bytes.size());
  Clipboard()->Assign(&loaded);
  TBitmap pasted;
  pasted.Assign(Clipboard());
  ASSERT_EQ(pasted.Width(), 16);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 16; ++x) ASSERT_EQ(pasted.Pixel(x, y), loaded.Bitmap()->Pixel(x, y));
}

TEST(Clipboard, APictureTakesTheFirstFormatAGraphicClassReads) {
  TBitmap original;
  Picture(original, 3, 3);
  TPicture picture;
  picture.Assign(&original);
  Clipboard()->Assign(&picture);
  TPicture pasted;
  pasted.Assign(Clipboard());
  ASSERT_NE(dynamic_cast<TBitmap*>(pasted.Graphic()), nullptr);
  EXPECT_EQ(pasted.Width(), 3);

  Clipboard()->SetBlock(RegisterClipboardFormat("Test Unreadable"), {1});
  try {
    pasted.Assign(Clipboard());
    FAIL();
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message(), "Unsupported clipboard format");
  }
}
