#pragma once
// Small helpers for the skinned-control tests: 24-bit bitmaps and their
// pixels as plain red/green/blue triples.
#include <memory>
#include <ostream>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"

struct Rgb {
  int R, G, B;
  friend bool operator==(const Rgb&, const Rgb&) = default;
  friend std::ostream& operator<<(std::ostream& os, const Rgb& c) {
    return os << "(" << c.R << "," << c.G << "," << c.B << ")";
  }
};

inline Rgb RgbOf(TColor Color) {
  TColor c = ColorToRGB(Color);
  return Rgb{GetRValue(c), GetGValue(c), GetBValue(c)};
}

inline std::unique_ptr<TBitmap> Bitmap24(int Width, int Height, TColor Fill = clBlack) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf24bit);
  bitmap->SetSize(Width, Height);
  TColor c = ColorToRGB(Fill);
  for (int y = 0; y < Height; ++y) {
    Byte* row = static_cast<Byte*>(bitmap->ScanLine(y));
    for (int x = 0; x < Width; ++x) {
      row[3 * x] = Byte(GetBValue(c));
      row[3 * x + 1] = Byte(GetGValue(c));
      row[3 * x + 2] = Byte(GetRValue(c));
    }
  }
  return bitmap;
}

// The pixel read straight from the 24-bit row.
inline Rgb PixelAt(TBitmap& Bitmap, int X, int Y) {
  const Byte* row = static_cast<const Byte*>(Bitmap.ScanLine(Y));
  return Rgb{row[3 * X + 2], row[3 * X + 1], row[3 * X]};
}

inline void SetPixelAt(TBitmap& Bitmap, int X, int Y, Rgb C) {
  Byte* row = static_cast<Byte*>(Bitmap.ScanLine(Y));
  row[3 * X] = Byte(C.B);
  row[3 * X + 1] = Byte(C.G);
  row[3 * X + 2] = Byte(C.R);
}
