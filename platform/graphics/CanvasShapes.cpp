// Lines, rectangles, round rectangles, ellipses and region fills of TCanvas.
// Every shape is a region of whole pixels (Region.cpp decides membership);
// Qt only fills the resulting rectangles.
#include <algorithm>
#include <cstdlib>
#include <utility>
#include <vector>

#include "platform/graphics/Canvas.h"
#include "platform/graphics/CanvasSurfaceQt.h"

namespace {

TRegion ToDevice(const TCanvas& Canvas, TRegion Region) {
  TPoint shift = Canvas.LogicalToDevice(TPoint{0, 0});
  Region.Offset(shift.X, shift.Y);
  return Region;
}

// Fills a region given in device coordinates.
void FillDeviceRegion(TCanvas& Canvas, const TRegion& Region, TColor Color) {
  if (Region.IsEmpty()) return;
  TSurfacePainter surface(Canvas, QtRect(Region.Bounds()));
  if (!surface.Active()) return;
  QPainter& painter = surface.Painter();
  const QColor color = QColor::fromRgb(QtRgb(Color));
  for (const QRect& rect : QtRegion(Region)) painter.fillRect(rect, color);
  surface.Finish();
}

// On/off runs of the dashed pen styles, in pixels along the line.
std::vector<int> DashPattern(TPenStyle Style) {
  switch (Style) {
    case psDash: return {18, 6};
    case psDot: return {3, 3};
    case psDashDot: return {9, 6, 3, 6};
    case psDashDotDot: return {9, 3, 3, 3, 3, 3};
    default: return {};
  }
}

struct TNormalRect {
  int Left, Top, Right, Bottom;
};

TNormalRect Normalized(int X1, int Y1, int X2, int Y2) {
  return TNormalRect{std::min(X1, X2), std::min(Y1, Y2), std::max(X1, X2), std::max(Y1, Y2)};
}

// A shape outlined with the pen and filled with the brush. Outer is the
// shape grown by the pen's outward half, Inner the shape shrunk by the
// rest of the pen; the pen paints Outer without Inner.
void PaintOutlinedShape(TCanvas& Canvas, const TRegion& Outer, const TRegion& Inner) {
  const TPen& pen = *Canvas.Pen();
  const TBrush& brush = *Canvas.Brush();
  if (brush.Style() != bsClear) FillDeviceRegion(Canvas, ToDevice(Canvas, Inner), brush.Color());
  if (pen.Style() != psClear)
    FillDeviceRegion(Canvas, ToDevice(Canvas, Outer.Subtracted(Inner)), pen.Color());
}

struct TPenReach {
  int Outward;  // pixels the pen reaches beyond the shape's edge
  int Inward;   // pixels it covers inside the shape, the edge pixel included
};

TPenReach PenReach(const TPen& Pen) {
  if (Pen.Style() == psClear) return TPenReach{0, 0};
  // A pen is centred on the shape's edge: an even width puts half of it
  // outside, an odd one the larger half inside (width 1 lies on the edge).
  int width = std::max(Pen.Width(), 1);
  return TPenReach{width / 2, width - width / 2};
}

}  // namespace

// ---- Lines ----

void TCanvas::MoveTo(int X, int Y) { FPenPos = TPoint{X, Y}; }

void TCanvas::LineTo(int X, int Y) {
  RequireSurface();
  const TPoint from = LogicalToDevice(FPenPos);
  const TPoint to = LogicalToDevice(TPoint{X, Y});
  FPenPos = TPoint{X, Y};
  if (FPen->Style() == psClear || from == to) return;

  const int width = std::max(FPen->Width(), 1);
  const int before = (width - 1) / 2;  // square pen: pixels left of / above the point
  QRect area = QRect(QPoint(std::min(from.X, to.X), std::min(from.Y, to.Y)),
                     QPoint(std::max(from.X, to.X), std::max(from.Y, to.Y)))
                   .adjusted(-before, -before, width - 1 - before, width - 1 - before);
  TSurfacePainter surface(*this, area);
  if (!surface.Active()) return;

  const QRgb penColor = QtRgb(FPen->Color());
  const bool fillGaps = FState.BkMode == OPAQUE;
  const QRgb gapColor = QtRgb(FState.BkColor);
  const std::vector<int> dashes = DashPattern(FPen->Style());
  std::size_t dash = 0;
  int dashLeft = dashes.empty() ? 0 : dashes[0];

  // Bresenham from the start point up to, not including, the end point.
  const int dx = std::abs(to.X - from.X), dy = std::abs(to.Y - from.Y);
  const int sx = to.X > from.X ? 1 : -1, sy = to.Y > from.Y ? 1 : -1;
  const int steps = std::max(dx, dy);
  int x = from.X, y = from.Y;
  int error = (dx > dy ? dx : -dy) / 2;
  for (int i = 0; i < steps; ++i) {
    bool on = true;
    if (!dashes.empty()) {
      on = dash % 2 == 0;
      if (--dashLeft == 0) {
        dash = (dash + 1) % dashes.size();
        dashLeft = dashes[dash];
      }
    }
    if (on || fillGaps) {
      QRgb color = on ? penColor : gapColor;
      if (width == 1) {
        surface.SetPixel(x, y, color);
      } else {
        for (int row = y - before; row < y - before + width; ++row)
          surface.FillSpan(row, x - before, x - before + width, color);
      }
    }
    int e = error;
    if (e > -dx) {
      error -= dy;
      x += sx;
    }
    if (e < dy) {
      error += dx;
      y += sy;
    }
  }
  surface.Finish();
}

// ---- Rectangles ----

void TCanvas::FillRect(const TRect& Rect) {
  RequireSurface();
  if (FBrush->Style() == bsClear || Rect.IsEmpty()) return;
  TPoint topLeft = LogicalToDevice(TPoint{Rect.Left, Rect.Top});
  QRect area(topLeft.X, topLeft.Y, Rect.Width(), Rect.Height());
  TSurfacePainter surface(*this, area);
  if (!surface.Active()) return;
  surface.Painter().fillRect(area, QColor::fromRgb(QtRgb(FBrush->Color())));
  surface.Finish();
}

void TCanvas::FrameRect(const TRect& Rect) {
  RequireSurface();
  if (FBrush->Style() == bsClear || Rect.IsEmpty()) return;
  TRegion outer = CreateRectRgn(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom);
  TRegion inner = CreateRectRgn(Rect.Left + 1, Rect.Top + 1, Rect.Right - 1, Rect.Bottom - 1);
  FillDeviceRegion(*this, ToDevice(*this, outer.Subtracted(inner)), FBrush->Color());
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
  RequireSurface();
  TNormalRect r = Normalized(X1, Y1, X2, Y2);
  const bool dashed = !DashPattern(FPen->Style()).empty();
  if (dashed && FPen->Width() <= 1) {
    // A styled one-pixel outline runs around the edge pixels as four lines.
    if (FBrush->Style() != bsClear)
      FillDeviceRegion(*this,
                       ToDevice(*this, CreateRectRgn(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1)),
                       FBrush->Color());
    if (r.Right - r.Left < 1 || r.Bottom - r.Top < 1) return;
    TPoint saved = FPenPos;
    MoveTo(r.Left, r.Top);
    LineTo(r.Right - 1, r.Top);
    LineTo(r.Right - 1, r.Bottom - 1);
    LineTo(r.Left, r.Bottom - 1);
    LineTo(r.Left, r.Top);
    FPenPos = saved;
    return;
  }
  TPenReach pen = PenReach(*FPen);
  TRegion outer = CreateRectRgn(r.Left - pen.Outward, r.Top - pen.Outward, r.Right + pen.Outward,
                                r.Bottom + pen.Outward);
  TRegion inner = CreateRectRgn(r.Left + pen.Inward, r.Top + pen.Inward, r.Right - pen.Inward,
                                r.Bottom - pen.Inward);
  PaintOutlinedShape(*this, outer, inner);
}

void TCanvas::RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3) {
  RequireSurface();
  TNormalRect r = Normalized(X1, Y1, X2, Y2);
  int ew = std::abs(X3), eh = std::abs(Y3);
  TPenReach pen = PenReach(*FPen);
  int grow = 2 * pen.Outward, shrink = 2 * pen.Inward;
  TRegion outer = CreateRoundRectRgn(r.Left - pen.Outward, r.Top - pen.Outward, r.Right + pen.Outward,
                                     r.Bottom + pen.Outward, ew + grow, eh + grow);
  TRegion inner = CreateRoundRectRgn(r.Left + pen.Inward, r.Top + pen.Inward, r.Right - pen.Inward,
                                     r.Bottom - pen.Inward, ew - shrink, eh - shrink);
  PaintOutlinedShape(*this, outer, inner);
}

void TCanvas::Ellipse(int X1, int Y1, int X2, int Y2) {
  RequireSurface();
  TNormalRect r = Normalized(X1, Y1, X2, Y2);
  TPenReach pen = PenReach(*FPen);
  TRegion outer = CreateEllipticRgn(r.Left - pen.Outward, r.Top - pen.Outward, r.Right + pen.Outward,
                                    r.Bottom + pen.Outward);
  TRegion inner = CreateEllipticRgn(r.Left + pen.Inward, r.Top + pen.Inward, r.Right - pen.Inward,
                                    r.Bottom - pen.Inward);
  PaintOutlinedShape(*this, outer, inner);
}

void TCanvas::DrawFocusRect(const TRect& Rect) {
  RequireSurface();
  if (Rect.IsEmpty()) return;
  TPoint a = LogicalToDevice(TPoint{Rect.Left, Rect.Top});
  TPoint b = LogicalToDevice(TPoint{Rect.Right, Rect.Bottom});
  TSurfacePainter surface(*this, QRect(QPoint(a.X, a.Y), QPoint(b.X - 1, b.Y - 1)));
  if (!surface.Active()) return;
  auto invert = [&surface](int x, int y) {
    if (((x + y) & 1) == 0 && surface.IsDrawable(x, y))
      surface.SetPixel(x, y, surface.Pixel(x, y) ^ 0xFFFFFF);
  };
  for (int x = a.X; x < b.X; ++x) {
    invert(x, a.Y);
    if (b.Y - 1 > a.Y) invert(x, b.Y - 1);
  }
  for (int y = a.Y + 1; y < b.Y - 1; ++y) {
    invert(a.X, y);
    if (b.X - 1 > a.X) invert(b.X - 1, y);
  }
  surface.Finish();
}

void TCanvas::FillRgn(const TRegion& Region) {
  RequireSurface();
  if (FBrush->Style() == bsClear) return;
  FillDeviceRegion(*this, ToDevice(*this, Region), FBrush->Color());
}
