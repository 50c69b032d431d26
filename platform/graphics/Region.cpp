#include "platform/graphics/Region.h"

#include <algorithm>
#include <cstdint>

// ---- Building ----

void TRegionBuilder::Add(int Y, int Left, int Right) {
  if (Right <= Left) return;
  TRegion& r = FRegion;
  if (!FStarted) {
    FStarted = true;
    r.FTop = Y;
    r.FRowStart.assign(1, 0);
    FLastY = Y - 1;
  }
  // Close rows up to Y (rows without runs stay empty).
  while (FLastY < Y) {
    r.FRowStart.push_back(int(r.FSpans.size()));
    ++FLastY;
  }
  int rowFirst = r.FRowStart[r.FRowStart.size() - 2];
  if (int(r.FSpans.size()) > rowFirst && r.FSpans.back().Right >= Left) {
    r.FSpans.back().Right = std::max(r.FSpans.back().Right, Right);
  } else {
    r.FSpans.push_back({Left, Right});
  }
  r.FRowStart.back() = int(r.FSpans.size());
}

TRegion TRegionBuilder::Finish() {
  TRegion r = std::move(FRegion);
  FRegion = TRegion();
  FStarted = false;
  if (r.FSpans.empty()) return TRegion();
  // Trim empty rows at both ends so equal pixel sets compare equal.
  int first = 0;
  while (r.FRowStart[first + 1] == r.FRowStart[first]) ++first;
  int last = int(r.FRowStart.size()) - 2;
  while (r.FRowStart[last + 1] == r.FRowStart[last]) --last;
  r.FTop += first;
  r.FRowStart = std::vector<int>(r.FRowStart.begin() + first, r.FRowStart.begin() + last + 2);
  return r;
}

// ---- Queries ----

const TRegion::TSpan* TRegion::RowBegin(int Y) const {
  int i = Y - FTop;
  if (i < 0 || i >= RowCount()) return nullptr;
  return FSpans.data() + FRowStart[i];
}

const TRegion::TSpan* TRegion::RowEnd(int Y) const {
  int i = Y - FTop;
  if (i < 0 || i >= RowCount()) return nullptr;
  return FSpans.data() + FRowStart[i + 1];
}

bool TRegion::Contains(int X, int Y) const {
  const TSpan* end = RowEnd(Y);
  for (const TSpan* s = RowBegin(Y); s != end; ++s) {
    if (X < s->Left) return false;
    if (X < s->Right) return true;
  }
  return false;
}

TRect TRegion::Bounds() const {
  if (IsEmpty()) return TRect{};
  int left = FSpans.front().Left, right = FSpans.front().Right;
  for (int i = 0; i < RowCount(); ++i) {
    if (FRowStart[i] == FRowStart[i + 1]) continue;
    left = std::min(left, FSpans[FRowStart[i]].Left);
    right = std::max(right, FSpans[FRowStart[i + 1] - 1].Right);
  }
  return TRect{left, FTop, right, FTop + RowCount()};
}

void TRegion::Offset(int DX, int DY) {
  FTop += DY;
  for (TSpan& s : FSpans) {
    s.Left += DX;
    s.Right += DX;
  }
}

// ---- Combining, one row at a time ----

namespace {

enum class TCombine { And, Or, Diff };

bool Inside(TCombine Op, bool InA, bool InB) {
  switch (Op) {
    case TCombine::And: return InA && InB;
    case TCombine::Or: return InA || InB;
    default: return InA && !InB;
  }
}

TRegion Combine(const TRegion& A, const TRegion& B, TCombine Op) {
  TRegionBuilder builder;
  if (A.IsEmpty() && B.IsEmpty()) return TRegion();
  int top, bottom;
  if (A.IsEmpty()) {
    top = B.Top(), bottom = B.Top() + B.RowCount();
  } else if (B.IsEmpty()) {
    top = A.Top(), bottom = A.Top() + A.RowCount();
  } else {
    top = std::min(A.Top(), B.Top());
    bottom = std::max(A.Top() + A.RowCount(), B.Top() + B.RowCount());
  }
  for (int y = top; y < bottom; ++y) {
    const TRegion::TSpan *a = A.RowBegin(y), *aEnd = A.RowEnd(y);
    const TRegion::TSpan *b = B.RowBegin(y), *bEnd = B.RowEnd(y);
    // Sweep the edges of both rows from left to right.
    bool inA = false, inB = false, inside = false;
    int start = 0;
    while (a != aEnd || b != bEnd || inA || inB) {
      int nextA = a != aEnd ? (inA ? a->Right : a->Left) : INT32_MAX;
      int nextB = b != bEnd ? (inB ? b->Right : b->Left) : INT32_MAX;
      int x = std::min(nextA, nextB);
      if (x == INT32_MAX) break;
      if (nextA == x) {
        if (inA) ++a;
        inA = !inA;
      }
      if (nextB == x) {
        if (inB) ++b;
        inB = !inB;
      }
      bool now = Inside(Op, inA, inB);
      if (now && !inside) start = x;
      if (!now && inside) builder.Add(y, start, x);
      inside = now;
    }
  }
  return builder.Finish();
}

}  // namespace

TRegion TRegion::Intersected(const TRegion& Other) const { return Combine(*this, Other, TCombine::And); }
TRegion TRegion::United(const TRegion& Other) const { return Combine(*this, Other, TCombine::Or); }
TRegion TRegion::Subtracted(const TRegion& Other) const { return Combine(*this, Other, TCombine::Diff); }

// ---- Shapes ----

TRegion CreateRectRgn(int Left, int Top, int Right, int Bottom) {
  TRegionBuilder builder;
  if (Right > Left)
    for (int y = Top; y < Bottom; ++y) builder.Add(y, Left, Right);
  return builder.Finish();
}

namespace {

// Columns to leave out at each end of row Y (0 .. H-1) of a W by H box
// whose corners are rounded by an ellipse EW by EH. A pixel belongs to a
// corner's quarter ellipse when its centre lies inside the ellipse; in
// doubled coordinates (centres at odd numbers) that is the integer test
//   (2x + 1 - EW)^2 * EH^2 + (2y + 1 - EH)^2 * EW^2 <= EW^2 * EH^2.
// Rows of the bottom corners mirror those of the top ones, right columns
// mirror left ones, so every shape is symmetric.
int CornerInset(int Y, int H, int EW, int EH) {
  if (EW < 2 || EH < 2) return 0;
  int row = std::min(Y, H - 1 - Y);  // distance from the nearer edge
  std::int64_t dy = 2 * std::int64_t(row) + 1 - EH;
  if (dy >= 0) return 0;  // between the corners
  std::int64_t ew = EW, eh = EH;
  std::int64_t room = ew * ew * eh * eh - dy * dy * ew * ew;
  int half = EW / 2;
  for (int x = 0; x < half; ++x) {
    std::int64_t dx = 2 * std::int64_t(x) + 1 - ew;
    if (dx * dx * eh * eh <= room) return x;
  }
  return half;
}

}  // namespace

TRegion CreateRoundRectRgn(int Left, int Top, int Right, int Bottom, int EllipseWidth,
                           int EllipseHeight) {
  TRegionBuilder builder;
  int w = Right - Left, h = Bottom - Top;
  if (w <= 0 || h <= 0) return TRegion();
  int ew = std::clamp(EllipseWidth, 0, w);
  int eh = std::clamp(EllipseHeight, 0, h);
  for (int y = 0; y < h; ++y) {
    int inset = CornerInset(y, h, ew, eh);
    builder.Add(Top + y, Left + inset, Right - inset);
  }
  return builder.Finish();
}

TRegion CreateEllipticRgn(int Left, int Top, int Right, int Bottom) {
  return CreateRoundRectRgn(Left, Top, Right, Bottom, Right - Left, Bottom - Top);
}

bool PtInRegion(const TRegion& Region, int X, int Y) { return Region.Contains(X, Y); }
