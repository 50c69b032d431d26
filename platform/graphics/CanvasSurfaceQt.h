#pragma once
// Platform-internal: how canvas operations reach a bitmap's pixels with Qt.
// Only platform .cpp files include this.
//
// True-colour bitmaps (16, 24, 32 bits) are drawn on directly through a
// QImage over their memory. Paletted bitmaps (1, 4, 8 bits) are drawn on a
// 32-bit copy of the area concerned; when the drawing ends, every pixel that
// changed takes the palette entry nearest to its new colour.
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QRegion>

#include <memory>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"

// Colour conversions between TColor ($BBGGRR, system colours allowed) and Qt's 0xAARRGGBB.
inline QRgb QtRgb(TColor Color) {
  Color = ColorToRGB(Color);
  return qRgb(GetRValue(Color), GetGValue(Color), GetBValue(Color));
}
inline TColor ColorOfRgb(QRgb Pixel) { return RGB(qRed(Pixel), qGreen(Pixel), qBlue(Pixel)); }

// The pixels of Area of Bitmap as a 32-bit image; pixels outside the bitmap are black.
QImage ReadPixels(const TBitmap& Bitmap, const QRect& Area);
// Only the pixels at the crossings of Columns and Rows (bitmap coordinates),
// as a Columns.size() x Rows.size() 32-bit image; outside the bitmap, black.
// Its cost follows the image it gives, not the bitmap.
QImage ReadPixelsAt(const TBitmap& Bitmap, const std::vector<int>& Columns,
                    const std::vector<int>& Rows);

QRect QtRect(const TRect& Rect);
// The region as Qt's banded rectangles.
QRegion QtRegion(const TRegion& Region);

class TSurfacePainter {
 public:
  // Opens the pixels of Canvas's surface that lie in Area (device
  // coordinates) and inside the canvas's clip.
  TSurfacePainter(TCanvas& Canvas, const QRect& Area);
  // Ends the drawing: writes paletted pixels back, then tells the canvas's
  // listeners when anything was drawn. Call it once the drawing succeeded.
  void Finish();
  // Without Finish (an exception on the way): writes back, tells nobody.
  ~TSurfacePainter();
  TSurfacePainter(const TSurfacePainter&) = delete;
  TSurfacePainter& operator=(const TSurfacePainter&) = delete;

  // False when nothing in Area may be drawn.
  bool Active() const { return !FBounds.isEmpty(); }
  // Bounds of the pixels that may be drawn.
  const QRect& Bounds() const { return FBounds; }

  // A painter in device coordinates, clipped, without antialiasing. Do not
  // mix it with the pixel calls below in one TSurfacePainter.
  QPainter& Painter();

  // Single pixels in device coordinates.
  bool IsDrawable(int X, int Y) const;
  QRgb Pixel(int X, int Y) const;          // any pixel of Bounds()
  void SetPixel(int X, int Y, QRgb Color);  // ignored outside the clip
  // Columns X0..X1-1 of row Y, within the clip.
  void FillSpan(int Y, int X0, int X1, QRgb Color);

 private:
  void WriteBackPaletted();

  TCanvas& FCanvas;
  TBitmap* FBitmap;
  QRect FBounds;
  bool FClipped = false;  // FDrawable narrower than FBounds
  TRegion FDrawable;
  QImage FImage;          // direct view, or the 32-bit copy of FBounds
  QImage FOriginal;       // paletted only: the copy as it was read
  QPoint FImageOrigin;    // device position of FImage's pixel (0, 0)
  std::unique_ptr<QPainter> FPainter;
  bool FPixelsTouched = false;
  bool FFinished = false;
};
