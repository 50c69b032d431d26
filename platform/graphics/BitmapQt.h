#pragma once
// Platform-internal: QImage views and copies of TBitmap pixels. Only
// platform .cpp files include this header.
#include <QImage>

#include "platform/graphics/Bitmap.h"

// True for formats whose memory a QImage can address directly:
// pf15bit/pf16bit (RGB555), pf24bit (BGR888), pf32bit/pfDevice (RGB32).
bool BitmapHasImageView(const TBitmap& Bitmap);

// For those formats, a QImage over the bitmap's own memory (no copy): what a
// painter draws on it lands in the bitmap. It stays valid until the bitmap's
// size or format changes. For paletted bitmaps it is a converted copy
// (RGB32); after drawing on it, StoreImageInBitmap writes it back.
// Empty bitmaps give a null image.
QImage BitmapImageView(TBitmap& Bitmap);
QImage BitmapImageView(const TBitmap& Bitmap);  // read-only use

// Writes Image (same size as Bitmap) back into Bitmap's pixels, each colour
// mapped to the nearest palette entry for paletted formats. Does nothing
// when the image is a view of the bitmap's own memory.
void StoreImageInBitmap(const QImage& Image, TBitmap& Bitmap);

// A copy of the picture as an opaque RGB32 image (null for an empty bitmap).
QImage BitmapToQImage(const TBitmap& Bitmap);
// Replaces Bitmap's picture with Image: pf24bit, alpha composed over white.
void QImageToBitmap(const QImage& Image, TBitmap& Bitmap);
