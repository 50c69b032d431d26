// Copies between canvases: BitBlt and StretchBlt with raster operations,
// the transparent stretch copy, and the canvas's picture drawing on top.
#include <algorithm>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/CanvasSurfaceQt.h"

namespace {

bool KnownRop(DWord Rop) {
  return Rop == SRCCOPY || Rop == SRCPAINT || Rop == SRCAND || Rop == SRCINVERT || Rop == NOTSRCCOPY;
}

QRgb ApplyRop(DWord Rop, QRgb S, QRgb D) {
  switch (Rop) {
    case SRCPAINT: return S | D;
    case SRCAND: return S & D;
    case SRCINVERT: return S ^ D;
    case NOTSRCCOPY: return ~S;
    default: return S;
  }
}

// Source pixels made what the destination sees: between a 1-bit and a
// colour bitmap the host's conversion rules apply, pixel by pixel.
void SeenByDestination(QImage& pixels, TCanvas& Source, TCanvas& Dest) {
  const TBitmap& from = *Source.Surface();
  const TBitmap& to = *Dest.Surface();
  const bool monoSource = from.BitsPerPixel() == 1, monoDest = to.BitsPerPixel() == 1;
  if (monoSource == monoDest) return;
  if (monoSource) {
    // 1 bits take the destination's background colour, 0 bits its text colour.
    const TBitmapPalette& palette = from.Palette();
    QRgb one = palette.size() > 1 ? qRgb(palette[1].Red, palette[1].Green, palette[1].Blue) : qRgb(0, 0, 0);
    QRgb back = QtRgb(Dest.BkColor()), text = QtRgb(Dest.Font()->Color());
    for (int y = 0; y < pixels.height(); ++y) {
      auto* row = reinterpret_cast<QRgb*>(pixels.scanLine(y));
      for (int x = 0; x < pixels.width(); ++x) row[x] = (row[x] == one) ? back : text;
    }
  } else {
    // Pixels of the source's background colour become white, all others black.
    QRgb back = QtRgb(Source.GetNearestColor(Source.BkColor()));
    for (int y = 0; y < pixels.height(); ++y) {
      auto* row = reinterpret_cast<QRgb*>(pixels.scanLine(y));
      for (int x = 0; x < pixels.width(); ++x)
        row[x] = ((row[x] & 0xFFFFFF) == (back & 0xFFFFFF)) ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
    }
  }
}

// The source pixels of Area as the destination sees them.
QImage ReadSource(TCanvas& Source, TCanvas& Dest, const QRect& Area) {
  QImage pixels = ReadPixels(*Source.Surface(), Area);
  SeenByDestination(pixels, Source, Dest);
  return pixels;
}

// Nearest source column (or row) for each destination one: the source pixel
// under the destination pixel's centre, counted from First.
std::vector<int> NearestMap(int First, int SourceLength, int DestLength) {
  std::vector<int> map(static_cast<std::size_t>(DestLength));
  for (int i = 0; i < DestLength; ++i)
    map[std::size_t(i)] = First + int((2LL * i + 1) * SourceLength / (2LL * DestLength));
  return map;
}

// Area of the source stretched to Width x Height by nearest pixels, as the
// destination sees it. Only the pixels shown are read: a large picture in a
// small control costs what the control shows.
QImage ReadSourceNearest(TCanvas& Source, TCanvas& Dest, const QRect& Area, int Width, int Height) {
  QImage pixels = ReadPixelsAt(*Source.Surface(), NearestMap(Area.left(), Area.width(), Width),
                               NearestMap(Area.top(), Area.height(), Height));
  SeenByDestination(pixels, Source, Dest);
  return pixels;
}

// Smooth scaling weights, fixed point with kOne as 1: shrinking averages the
// source pixels under each destination pixel by their covered part,
// enlarging interpolates linearly between the two nearest source pixels.
constexpr int kOne = 1 << 14;

struct TTap {
  int Index;
  int Weight;
};

std::vector<std::vector<TTap>> SmoothWeights(int S, int D) {
  std::vector<std::vector<TTap>> taps(static_cast<std::size_t>(D));
  for (int i = 0; i < D; ++i) {
    std::vector<TTap>& t = taps[std::size_t(i)];
    if (D < S) {
      // In units of 1/D source pixel: destination i covers [i*S, (i+1)*S).
      long long from = (long long)i * S, to = (long long)(i + 1) * S;
      int given = 0;
      for (long long j = from / D; j * D < to; ++j) {
        long long overlap = std::min(to, (j + 1) * D) - std::max(from, j * D);
        int w = int(overlap * kOne / S);
        t.push_back({int(j), w});
        given += w;
      }
      t.back().Weight += kOne - given;
    } else {
      // Source position of the destination centre: ((2i+1)S - D) / 2D.
      long long num = (2LL * i + 1) * S - D, den = 2LL * D;
      long long j0 = num >= 0 ? num / den : -((-num + den - 1) / den);
      int w1 = int((num - j0 * den) * kOne / den);
      int a = int(std::clamp<long long>(j0, 0, S - 1)), b = int(std::clamp<long long>(j0 + 1, 0, S - 1));
      t.push_back({a, kOne - w1});
      t.push_back({b, w1});
    }
  }
  return taps;
}

QImage ScaleSmooth(const QImage& Source, int Width, int Height) {
  auto columns = SmoothWeights(Source.width(), Width);
  auto rows = SmoothWeights(Source.height(), Height);
  auto channel = [](QRgb p, int shift) { return int((p >> shift) & 0xFF); };
  // Horizontal pass into a Width x source-height image, then vertical.
  QImage across(Width, Source.height(), QImage::Format_RGB32);
  for (int y = 0; y < Source.height(); ++y) {
    const auto* in = reinterpret_cast<const QRgb*>(Source.constScanLine(y));
    auto* out = reinterpret_cast<QRgb*>(across.scanLine(y));
    for (int x = 0; x < Width; ++x) {
      int sum[3] = {0, 0, 0};
      for (const TTap& tap : columns[std::size_t(x)])
        for (int c = 0; c < 3; ++c) sum[c] += channel(in[tap.Index], 16 - 8 * c) * tap.Weight;
      out[x] = qRgb((sum[0] + kOne / 2) / kOne, (sum[1] + kOne / 2) / kOne, (sum[2] + kOne / 2) / kOne);
    }
  }
  QImage out(Width, Height, QImage::Format_RGB32);
  for (int y = 0; y < Height; ++y) {
    auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < Width; ++x) {
      int sum[3] = {0, 0, 0};
      for (const TTap& tap : rows[std::size_t(y)]) {
        QRgb p = reinterpret_cast<const QRgb*>(across.constScanLine(tap.Index))[x];
        for (int c = 0; c < 3; ++c) sum[c] += channel(p, 16 - 8 * c) * tap.Weight;
      }
      row[x] = qRgb((sum[0] + kOne / 2) / kOne, (sum[1] + kOne / 2) / kOne, (sum[2] + kOne / 2) / kOne);
    }
  }
  return out;
}

bool HaveSurfaces(TCanvas* Dest, TCanvas* Source) {
  return Dest != nullptr && Source != nullptr && Dest->Surface() != nullptr &&
         Source->Surface() != nullptr;
}

}  // namespace

bool BitBlt(TCanvas* Dest, int X, int Y, int Width, int Height, TCanvas* Source, int XSrc,
            int YSrc, DWord Rop) {
  return StretchBlt(Dest, X, Y, Width, Height, Source, XSrc, YSrc, Width, Height, Rop);
}

bool StretchBlt(TCanvas* Dest, int X, int Y, int Width, int Height, TCanvas* Source, int XSrc,
                int YSrc, int WidthSrc, int HeightSrc, DWord Rop) {
  if (!HaveSurfaces(Dest, Source) || !KnownRop(Rop)) return false;
  if (Width <= 0 || Height <= 0 || WidthSrc <= 0 || HeightSrc <= 0) return true;
  const TPoint d = Dest->LogicalToDevice(TPoint{X, Y});
  const TPoint s = Source->LogicalToDevice(TPoint{XSrc, YSrc});
  const QRect destArea(d.X, d.Y, Width, Height);

  // Read everything first: source and destination may be the same bitmap.
  const QRect sourceArea(s.X, s.Y, WidthSrc, HeightSrc);
  const bool smooth = Dest->StretchBltMode() == HALFTONE && (WidthSrc != Width || HeightSrc != Height);
  QImage pixels = smooth ? ScaleSmooth(ReadSource(*Source, *Dest, sourceArea), Width, Height)
                         : ReadSourceNearest(*Source, *Dest, sourceArea, Width, Height);
  if (Rop != SRCCOPY) {
    QImage under = ReadPixels(*Dest->Surface(), destArea);
    for (int y = 0; y < Height; ++y) {
      auto* row = reinterpret_cast<QRgb*>(pixels.scanLine(y));
      const auto* below = reinterpret_cast<const QRgb*>(under.constScanLine(y));
      for (int x = 0; x < Width; ++x) row[x] = ApplyRop(Rop, row[x], below[x]) | 0xFF000000;
    }
  }
  TSurfacePainter surface(*Dest, destArea);
  if (!surface.Active()) return true;
  QPainter& painter = surface.Painter();
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.drawImage(destArea.topLeft(), pixels);
  surface.Finish();
  return true;
}

bool TransparentStretchBlt(TCanvas* Dest, int X, int Y, int Width, int Height, TCanvas* Source,
                           int XSrc, int YSrc, int WidthSrc, int HeightSrc, TColor Transparent) {
  if (!HaveSurfaces(Dest, Source)) return false;
  if (Width <= 0 || Height <= 0 || WidthSrc <= 0 || HeightSrc <= 0) return true;
  const TPoint d = Dest->LogicalToDevice(TPoint{X, Y});
  const TPoint s = Source->LogicalToDevice(TPoint{XSrc, YSrc});
  QImage pixels = ReadSourceNearest(*Source, *Dest, QRect(s.X, s.Y, WidthSrc, HeightSrc), Width, Height);
  const QRgb clear = QtRgb(Transparent) & 0xFFFFFF;
  TSurfacePainter surface(*Dest, QRect(d.X, d.Y, Width, Height));
  if (!surface.Active()) return true;
  for (int y = 0; y < Height; ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
    for (int x = 0; x < Width; ++x)
      if ((row[x] & 0xFFFFFF) != clear) surface.SetPixel(d.X + x, d.Y + y, row[x]);
  }
  surface.Finish();
  return true;
}

void TCanvas::Draw(int X, int Y, TGraphic* Graphic) {
  if (Graphic == nullptr || Graphic->Empty()) return;
  Graphic->Draw(this, Bounds(X, Y, Graphic->Width(), Graphic->Height()));
}

void TCanvas::StretchDraw(const TRect& Rect, TGraphic* Graphic) {
  if (Graphic == nullptr || Graphic->Empty()) return;
  Graphic->Draw(this, Rect);
}

void TCanvas::CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source) {
  RequireSurface();
  StretchBlt(this, Dest.Left, Dest.Top, Dest.Width(), Dest.Height(), Canvas, Source.Left, Source.Top,
             Source.Width(), Source.Height(), FCopyMode);
}
