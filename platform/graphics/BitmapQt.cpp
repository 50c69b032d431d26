#include "platform/graphics/BitmapQt.h"

#include <QPainter>

namespace {

QImage::Format ViewFormat(TPixelFormat Format) {
  switch (Format) {
    case pf15bit:
    case pf16bit: return QImage::Format_RGB555;
    case pf24bit: return QImage::Format_BGR888;
    case pfDevice:
    case pf32bit: return QImage::Format_RGB32;
    default: return QImage::Format_Invalid;
  }
}

QImage ConvertedCopy(const TBitmap& Bitmap) {
  QImage image(Bitmap.Width(), Bitmap.Height(), QImage::Format_RGB32);
  for (int y = 0; y < Bitmap.Height(); ++y) {
    QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < Bitmap.Width(); ++x) {
      TColor c = Bitmap.Pixel(x, y);
      row[x] = qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
    }
  }
  return image;
}

}  // namespace

bool BitmapHasImageView(const TBitmap& Bitmap) {
  return ViewFormat(Bitmap.PixelFormat()) != QImage::Format_Invalid;
}

QImage BitmapImageView(TBitmap& Bitmap) {
  if (Bitmap.Empty()) return QImage();
  QImage::Format format = ViewFormat(Bitmap.PixelFormat());
  if (format == QImage::Format_Invalid) return ConvertedCopy(Bitmap);
  return QImage(Bitmap.Bits(), Bitmap.Width(), Bitmap.Height(), Bitmap.BytesPerLine(), format);
}

QImage BitmapImageView(const TBitmap& Bitmap) {
  if (Bitmap.Empty()) return QImage();
  QImage::Format format = ViewFormat(Bitmap.PixelFormat());
  if (format == QImage::Format_Invalid) return ConvertedCopy(Bitmap);
  // The const constructor makes Qt copy before any write.
  return QImage(static_cast<const uchar*>(Bitmap.Bits()), Bitmap.Width(), Bitmap.Height(),
                Bitmap.BytesPerLine(), format);
}

void StoreImageInBitmap(const QImage& Image, TBitmap& Bitmap) {
  if (Bitmap.Empty() || Image.isNull()) return;
  if (Image.constBits() == Bitmap.Bits()) return;
  QImage rgb = Image.convertToFormat(QImage::Format_RGB32);
  int width = std::min(rgb.width(), Bitmap.Width());
  int height = std::min(rgb.height(), Bitmap.Height());
  for (int y = 0; y < height; ++y) {
    const QRgb* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    for (int x = 0; x < width; ++x) Bitmap.SetPixel(x, y, RGB(qRed(row[x]), qGreen(row[x]), qBlue(row[x])));
  }
}

QImage BitmapToQImage(const TBitmap& Bitmap) {
  if (Bitmap.Empty()) return QImage();
  if (BitmapHasImageView(Bitmap)) {
    const QImage view = BitmapImageView(Bitmap);
    // A view that has the wanted format already comes back unconverted, still
    // over the bitmap's memory: the copy must not outlive the bitmap with it.
    if (view.format() == QImage::Format_RGB32) return view.copy();
    return view.convertToFormat(QImage::Format_RGB32);
  }
  return ConvertedCopy(Bitmap);
}

void QImageToBitmap(const QImage& Image, TBitmap& Bitmap) {
  TBitmap picture;
  picture.SetPixelFormat(pf24bit);
  if (!Image.isNull()) {
    picture.SetSize(Image.width(), Image.height());
    QImage view = BitmapImageView(picture);
    QPainter painter(&view);
    painter.fillRect(view.rect(), Qt::white);
    painter.drawImage(0, 0, Image);
  }
  Bitmap.Assign(&picture);
}
