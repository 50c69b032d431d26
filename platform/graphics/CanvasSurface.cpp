#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "platform/graphics/BitmapQt.h"
#include "platform/graphics/CanvasSurfaceQt.h"

namespace {

bool IsPaletted(const TBitmap& Bitmap) { return Bitmap.BitsPerPixel() <= 8; }

unsigned IndexAt(const Byte* Row, int X, int Bits) {
  switch (Bits) {
    case 1: return (Row[X >> 3] >> (7 - (X & 7))) & 1;
    case 4: return (Row[X >> 1] >> ((X & 1) ? 0 : 4)) & 0xF;
    default: return Row[X];
  }
}

void SetIndexAt(Byte* Row, int X, int Bits, unsigned Index) {
  switch (Bits) {
    case 1: {
      Byte mask = Byte(0x80 >> (X & 7));
      Row[X >> 3] = Byte((Index & 1) ? (Row[X >> 3] | mask) : (Row[X >> 3] & ~mask));
      break;
    }
    case 4: {
      Byte& b = Row[X >> 1];
      b = (X & 1) ? Byte((b & 0xF0) | (Index & 0xF)) : Byte((b & 0x0F) | ((Index & 0xF) << 4));
      break;
    }
    default: Row[X] = Byte(Index);
  }
}

}  // namespace

// Reads single pixels of one bitmap as Qt colours.
class PixelReader {
 public:
  explicit PixelReader(const TBitmap& Bitmap) : FBits(Bitmap.BitsPerPixel()) {
    // Palette lookup with out-of-range indices showing black.
    if (FBits <= 8) {
      FTable.assign(std::size_t(1) << FBits, qRgb(0, 0, 0));
      const TBitmapPalette& palette = Bitmap.Palette();
      for (std::size_t i = 0; i < palette.size() && i < FTable.size(); ++i)
        FTable[i] = qRgb(palette[i].Red, palette[i].Green, palette[i].Blue);
    }
  }
  QRgb operator()(const Byte* Row, int X) const {
    switch (FBits) {
      case 32: return qRgb(Row[4 * X + 2], Row[4 * X + 1], Row[4 * X]);
      case 24: return qRgb(Row[3 * X + 2], Row[3 * X + 1], Row[3 * X]);
      case 16: {
        unsigned v = Row[2 * X] | (unsigned(Row[2 * X + 1]) << 8);
        auto widen = [](unsigned c5) { return int((c5 << 3) | (c5 >> 2)); };
        return qRgb(widen((v >> 10) & 31), widen((v >> 5) & 31), widen(v & 31));
      }
      default: return FTable[IndexAt(Row, X, FBits)];
    }
  }

 private:
  int FBits;
  std::vector<QRgb> FTable;
};

QImage ReadPixels(const TBitmap& Bitmap, const QRect& Area) {
  QImage image(Area.size(), QImage::Format_RGB32);
  image.fill(qRgb(0, 0, 0));
  QRect inside = Area.intersected(QRect(0, 0, Bitmap.Width(), Bitmap.Height()));
  if (inside.isEmpty()) return image;
  const PixelReader read(Bitmap);
  for (int y = inside.top(); y <= inside.bottom(); ++y) {
    const Byte* row = static_cast<const Byte*>(Bitmap.ScanLine(y));
    auto* out = reinterpret_cast<QRgb*>(image.scanLine(y - Area.top())) - Area.left();
    for (int x = inside.left(); x <= inside.right(); ++x) out[x] = read(row, x);
  }
  return image;
}

QImage ReadPixelsAt(const TBitmap& Bitmap, const std::vector<int>& Columns,
                    const std::vector<int>& Rows) {
  QImage image(int(Columns.size()), int(Rows.size()), QImage::Format_RGB32);
  image.fill(qRgb(0, 0, 0));
  if (Bitmap.Empty()) return image;
  const PixelReader read(Bitmap);
  for (std::size_t j = 0; j < Rows.size(); ++j) {
    if (Rows[j] < 0 || Rows[j] >= Bitmap.Height()) continue;
    const Byte* row = static_cast<const Byte*>(Bitmap.ScanLine(Rows[j]));
    auto* out = reinterpret_cast<QRgb*>(image.scanLine(int(j)));
    for (std::size_t i = 0; i < Columns.size(); ++i)
      if (Columns[i] >= 0 && Columns[i] < Bitmap.Width()) out[i] = read(row, Columns[i]);
  }
  return image;
}

QRect QtRect(const TRect& Rect) {
  if (Rect.IsEmpty()) return QRect();
  return QRect(Rect.Left, Rect.Top, Rect.Right - Rect.Left, Rect.Bottom - Rect.Top);
}

QRegion QtRegion(const TRegion& Region) {
  // Rows with the same runs are merged into one band, as QRegion wants.
  std::vector<QRect> rects;
  int y = Region.Top();
  const int end = Region.Top() + Region.RowCount();
  while (y < end) {
    const TRegion::TSpan *first = Region.RowBegin(y), *last = Region.RowEnd(y);
    int height = 1;
    while (y + height < end) {
      const TRegion::TSpan *b = Region.RowBegin(y + height), *e = Region.RowEnd(y + height);
      if (e - b != last - first || !std::equal(first, last, b)) break;
      ++height;
    }
    for (const TRegion::TSpan* s = first; s != last; ++s)
      rects.emplace_back(s->Left, y, s->Right - s->Left, height);
    y += height;
  }
  QRegion region;
  region.setRects(rects.data(), int(rects.size()));
  return region;
}

TSurfacePainter::TSurfacePainter(TCanvas& Canvas, const QRect& Area)
    : FCanvas(Canvas), FBitmap(Canvas.RequireSurface()) {
  FBounds = Area.intersected(QRect(0, 0, FBitmap->Width(), FBitmap->Height()));
  const TCanvas::TDeviceState& state = Canvas.DeviceState();
  if (!FBounds.isEmpty() && (state.Clipped || state.MetaClipped)) {
    FDrawable = Canvas.DrawableRegion().Intersected(
        CreateRectRgn(FBounds.left(), FBounds.top(), FBounds.right() + 1, FBounds.bottom() + 1));
    TRect b = FDrawable.Bounds();
    FBounds = QtRect(b);
    FClipped = true;
  }
  if (FBounds.isEmpty()) return;
  if (IsPaletted(*FBitmap)) {
    FImage = ReadPixels(*FBitmap, FBounds);
    FOriginal = FImage.copy();
    FImageOrigin = FBounds.topLeft();
  } else {
    FImage = BitmapImageView(*FBitmap);
    FImageOrigin = QPoint(0, 0);
  }
}

void TSurfacePainter::Finish() {
  if (FFinished) return;
  FFinished = true;
  if (FBounds.isEmpty()) return;
  bool drew = FPainter != nullptr || FPixelsTouched;
  FPainter.reset();
  if (!drew) return;
  if (!FOriginal.isNull()) WriteBackPaletted();
  FCanvas.Changed();
}

TSurfacePainter::~TSurfacePainter() {
  if (FFinished || FBounds.isEmpty()) return;
  FPainter.reset();
  if (!FOriginal.isNull()) WriteBackPaletted();
}

QPainter& TSurfacePainter::Painter() {
  if (!FPainter) {
    FPainter = std::make_unique<QPainter>(&FImage);
    FPainter->setRenderHint(QPainter::Antialiasing, false);
    FPainter->setRenderHint(QPainter::TextAntialiasing, false);
    FPainter->translate(-FImageOrigin.x(), -FImageOrigin.y());
    if (FClipped)
      FPainter->setClipRegion(QtRegion(FDrawable));
    else
      FPainter->setClipRect(FBounds);
  }
  return *FPainter;
}

bool TSurfacePainter::IsDrawable(int X, int Y) const {
  if (!FBounds.contains(X, Y)) return false;
  return !FClipped || FDrawable.Contains(X, Y);
}

QRgb TSurfacePainter::Pixel(int X, int Y) const {
  return FImage.pixel(X - FImageOrigin.x(), Y - FImageOrigin.y());
}

void TSurfacePainter::SetPixel(int X, int Y, QRgb Color) {
  if (!IsDrawable(X, Y)) return;
  FImage.setPixel(X - FImageOrigin.x(), Y - FImageOrigin.y(), Color);
  FPixelsTouched = true;
}

void TSurfacePainter::FillSpan(int Y, int X0, int X1, QRgb Color) {
  if (Y < FBounds.top() || Y > FBounds.bottom()) return;
  X0 = std::max(X0, FBounds.left());
  X1 = std::min(X1, FBounds.right() + 1);
  if (X0 >= X1) return;
  if (!FClipped) {
    for (int x = X0; x < X1; ++x) FImage.setPixel(x - FImageOrigin.x(), Y - FImageOrigin.y(), Color);
  } else {
    const TRegion::TSpan* end = FDrawable.RowEnd(Y);
    for (const TRegion::TSpan* s = FDrawable.RowBegin(Y); s != end; ++s)
      for (int x = std::max(X0, s->Left); x < std::min(X1, s->Right); ++x)
        FImage.setPixel(x - FImageOrigin.x(), Y - FImageOrigin.y(), Color);
  }
  FPixelsTouched = true;
}

void TSurfacePainter::WriteBackPaletted() {
  const int bits = FBitmap->BitsPerPixel();
  const TBitmapPalette& palette = FBitmap->Palette();
  std::unordered_map<QRgb, unsigned> nearest;
  for (int y = 0; y < FImage.height(); ++y) {
    const auto* now = reinterpret_cast<const QRgb*>(FImage.constScanLine(y));
    const auto* before = reinterpret_cast<const QRgb*>(FOriginal.constScanLine(y));
    Byte* row = static_cast<Byte*>(FBitmap->ScanLine(y + FImageOrigin.y()));
    for (int x = 0; x < FImage.width(); ++x) {
      QRgb color = now[x] & 0xFFFFFF;
      if (color == (before[x] & 0xFFFFFF)) continue;
      auto found = nearest.find(color);
      if (found == nearest.end())
        found = nearest.emplace(color, unsigned(std::max(NearestPaletteIndex(palette, ColorOfRgb(color)), 0))).first;
      SetIndexAt(row, x + FImageOrigin.x(), bits, found->second);
    }
  }
}
