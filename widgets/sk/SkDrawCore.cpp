#include "widgets/sk/SkDrawCore.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/base/Exceptions.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Region.h"

namespace {

// The three channels of a colour after system colours are resolved.
struct TChannels {
  int R, G, B;
};

TChannels ChannelsOf(TColor Color) {
  TColor rgb = ColorToRGB(Color);
  return {GetRValue(rgb), GetGValue(rgb), GetBValue(rgb)};
}

// Nearest integer, halves to even (the default rounding mode), kept within a byte.
inline Byte RoundToByte(double Value) {
  double r = std::nearbyint(Value);
  if (r <= 0.0) return 0;
  if (r >= 255.0) return 255;
  return Byte(r);
}

// The routines below address pixels as three bytes; anything else is
// converted first so a row never runs short.
void Require24Bit(TBitmap* Bitmap) {
  if (Bitmap->PixelFormat() != pf24bit) Bitmap->SetPixelFormat(pf24bit);
}

inline Byte* Row(TBitmap* Bitmap, int Y) { return static_cast<Byte*>(Bitmap->ScanLine(Y)); }

}  // namespace

int GradientLength(const TRect& R, TGradientType Type) {
  int width = R.Right - R.Left;
  int height = R.Bottom - R.Top;
  int len = 0;
  switch (Type) {
    case gtHorizontal: len = width; break;
    case gtVertical: len = height; break;
    case gtFromTopLeft:
    case gtFromTopRight:
    case gtRadial: {
      double diagonal = std::sqrt(double(width) * width + double(height) * height);
      len = int(std::nearbyint(diagonal)) - R.Left;
      if (Type == gtRadial) len /= 2;
      break;
    }
    case gtDoubleHorz: len = width / 2; break;
    case gtDoubleVert: len = height / 2; break;
  }
  return len;
}

void FillGradient(TBitmap* Bitmap, const TRect& R, TColor From, TColor To, TGradientType Type,
                  const TRegion* Region) {
  if (Bitmap == nullptr || Bitmap->Width() < 1 || Bitmap->Height() < 1) return;

  if (From == To) {
    TCanvas* canvas = Bitmap->Canvas();
    canvas->Brush()->SetColor(From);
    if (Region != nullptr)
      canvas->FillRgn(*Region);
    else
      canvas->FillRect(R);
    return;
  }

  Require24Bit(Bitmap);
  const TChannels from = ChannelsOf(From);
  const TChannels to = ChannelsOf(To);
  const int len = GradientLength(R, Type);
  // A one-pixel or empty rectangle has no length to divide by: its steps are
  // taken over one pixel, and a pixel at distance 0 keeps the start colour.
  const int divisor = std::max(len, 1);

  auto stepOf = [divisor](int a, int b) {
    return std::min(double(b - a) / double(divisor), 255.0);
  };
  const double stepR = stepOf(from.R, to.R);
  const double stepG = stepOf(from.G, to.G);
  const double stepB = stepOf(from.B, to.B);

  // The radial centre is taken in bitmap coordinates, not shifted by the
  // rectangle's corner.
  const int cx = (R.Right - R.Left) / 2;
  const int cy = (R.Bottom - R.Top) / 2;

  const int top = std::max(R.Top, 0);
  const int bottom = std::min(R.Bottom, Bitmap->Height());
  const int left = std::max(R.Left, 0);
  const int right = std::min(R.Right, Bitmap->Width());

  for (int y = top; y < bottom; ++y) {
    Byte* row = Row(Bitmap, y);
    for (int x = left; x < right; ++x) {
      if (Region != nullptr && !PtInRegion(*Region, x, y)) continue;
      double t = 0.0;
      switch (Type) {
        case gtHorizontal: t = double(x - R.Left); break;
        case gtVertical: t = double(y - R.Top); break;
        case gtFromTopLeft: {
          double dx = x - R.Left, dy = y - R.Top;
          t = std::sqrt(dx * dx + dy * dy);
          break;
        }
        case gtFromTopRight: {
          double dx = R.Right - x, dy = y - R.Top;
          t = std::sqrt(dx * dx + dy * dy);
          break;
        }
        case gtRadial: {
          double dx = cx - x, dy = y - cy;
          t = std::sqrt(dx * dx + dy * dy);
          break;
        }
        case gtDoubleHorz: t = double(std::abs(x - R.Left - len)); break;
        case gtDoubleVert: t = double(std::abs(y - R.Top - len)); break;
      }
      Byte* pixel = row + 3 * x;
      pixel[2] = RoundToByte(stepR * t + from.R);
      pixel[1] = RoundToByte(stepG * t + from.G);
      pixel[0] = RoundToByte(stepB * t + from.B);
    }
  }
  Bitmap->Modify();
}

void DrawCaptionText(TCanvas* Canvas, const std::string& Text, TFont* Font, bool Enabled,
                     const TRect& Rect, int Format, bool Shadow, TColor ShadowColor) {
  if (Font != Canvas->Font()) Canvas->Font()->Assign(Font);
  const unsigned format = unsigned(Format);
  TRect moved = Bounds(Rect.Left + 1, Rect.Top + 1, Rect.Width(), Rect.Height());
  TRect plain = Rect;
  if (Enabled) {
    if (Shadow) {
      TColor saved = Canvas->Font()->Color();
      Canvas->Font()->SetColor(ShadowColor);
      Canvas->DrawText(Text, moved, format);
      Canvas->Font()->SetColor(saved);
    }
    Canvas->DrawText(Text, plain, format);
  } else {
    Canvas->Font()->SetColor(clBtnHighlight);
    Canvas->DrawText(Text, moved, format);
    Canvas->Font()->SetColor(clBtnShadow);
    Canvas->DrawText(Text, plain, format);
  }
}

void BlendBitmap(TBitmap* Dest, TBitmap* Base, TBitmap* Overlay, int Percent, const TRect& R,
                 int Offset) {
  Require24Bit(Dest);
  Require24Bit(Base);
  // The copy of the base, cut to both bitmaps. Rows are moved with memmove
  // in an order that keeps an overlapping copy (Base == Dest) correct.
  const int dx = R.Left + Offset;
  const int dy = R.Top + Offset;
  int width = R.Width() - Offset;
  int height = R.Height() - Offset;
  int sx = 0, sy = 0, x0 = dx, y0 = dy;
  if (x0 < 0) { sx -= x0; width += x0; x0 = 0; }
  if (y0 < 0) { sy -= y0; height += y0; y0 = 0; }
  width = std::min({width, Dest->Width() - x0, Base->Width() - sx});
  height = std::min({height, Dest->Height() - y0, Base->Height() - sy});
  if (width > 0 && height > 0) {
    const std::size_t bytes = std::size_t(width) * 3;
    if (Base == Dest && y0 > sy) {
      for (int i = height - 1; i >= 0; --i)
        std::memmove(Row(Dest, y0 + i) + 3 * x0, Row(Base, sy + i) + 3 * sx, bytes);
    } else {
      for (int i = 0; i < height; ++i)
        std::memmove(Row(Dest, y0 + i) + 3 * x0, Row(Base, sy + i) + 3 * sx, bytes);
    }
    Dest->Modify();
  }
  if (Percent > 0) BlendRect(Dest, Overlay, R, std::min(Percent, 100));
}

void BlendRect(TBitmap* Dest, TBitmap* Overlay, const TRect& R, int Percent) {
  Percent = std::clamp(Percent, 0, 100);
  Require24Bit(Dest);
  Require24Bit(Overlay);
  const double keep = double(100 - Percent) / 100.0;
  const double take = 1.0 - keep;

  // Rows and columns of the rectangle that exist in the destination and
  // whose overlay pixel (measured from the rectangle's corner) exists too.
  const int top = std::max(R.Top, 0);
  const int bottom = std::min({R.Bottom, Dest->Height(), R.Top + Overlay->Height()});
  const int left = std::max(R.Left, 0);
  const int right = std::min({R.Right, Dest->Width(), R.Left + Overlay->Width()});
  if (top >= bottom || left >= right) return;

  for (int y = top; y < bottom; ++y) {
    Byte* d = Row(Dest, y) + 3 * left;
    const Byte* o = Row(Overlay, y - R.Top) + 3 * (left - R.Left);
    const int count = (right - left) * 3;
    for (int i = 0; i < count; ++i) d[i] = RoundToByte(d[i] * keep + o[i] * take);
  }
  Dest->Modify();
}

void TextFormatFlags(Byte Alignment, bool WordWrap, int& Flags) {
  Flags = int(DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  switch (Alignment) {
    case 0: Flags |= int(DT_LEFT); break;
    case 1: Flags |= int(DT_RIGHT); break;
    case 2: Flags |= int(DT_CENTER); break;
    default: break;
  }
  Flags |= int(WordWrap ? DT_WORDBREAK : DT_SINGLELINE);
}

void GrayTint(TBitmap* Bitmap, TColor Tint) {
  const TChannels tint = ChannelsOf(Tint);
  TCanvas* canvas = Bitmap->Canvas();
  const int width = Bitmap->Width();
  const int height = Bitmap->Height();
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      TColor c = ColorToRGB(canvas->Pixels(x, y));
      int grey = (GetRValue(c) + GetGValue(c) + GetBValue(c)) / 3;
      canvas->SetPixels(x, y,
                        RGB(std::min(grey + tint.R, 255), std::min(grey + tint.G, 255),
                            std::min(grey + tint.B, 255)));
    }
  }
}

void Supersample(TBitmap* Large, TBitmap* Small, int Factor, int Zone, TColor InnerColor) {
  if (Factor < 1) Factor = 1;
  if (Zone < 1) Zone = Factor;
  const int half = Zone / 2;
  const int W = Small->Width();
  const int H = Small->Height();
  Require24Bit(Small);
  Require24Bit(Large);
  const int divisor = Factor * Factor;
  // Columns whose whole block lies inside the large bitmap; the others are
  // left alone rather than read past the end of a row.
  const int usableColumns = std::min(W, Large->Width() / Factor);

  try {
    for (int y = 0; y < H; ++y) {
      const bool bandRow = y <= half || y >= H - half;
      Byte* out = Row(Small, y);
      for (int x = 0; x < usableColumns; ++x) {
        if (!bandRow && x > half && x < W - half) {
          x = W - half - 1;  // skip the inside of the row
          continue;
        }
        int sumR = 0, sumG = 0, sumB = 0;
        for (int by = 0; by < Factor; ++by) {
          const Byte* in = Row(Large, y * Factor + by) + 3 * x * Factor;
          for (int bx = 0; bx < Factor; ++bx) {
            sumB += in[3 * bx];
            sumG += in[3 * bx + 1];
            sumR += in[3 * bx + 2];
          }
        }
        out[3 * x] = Byte(sumB / divisor);
        out[3 * x + 1] = Byte(sumG / divisor);
        out[3 * x + 2] = Byte(sumR / divisor);
      }
    }
  } catch (const ERangeError&) {
    // A large bitmap too short for the band ends the averaging; the inside
    // is still filled below.
  }
  Small->Modify();

  TCanvas* canvas = Small->Canvas();
  canvas->Brush()->SetColor(InnerColor);
  canvas->FillRect(Rect(half, half, W - half, H - half));
}
