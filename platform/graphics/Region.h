#pragma once
// Regions: sets of whole pixels, kept as sorted runs per row. A region is a
// value; copying it copies the pixels it names.
//
// Round rectangles have one membership rule (an integer test of each pixel
// centre against the corner ellipses), shared by CreateRoundRectRgn,
// TCanvas::RoundRect and TCanvas::Ellipse, so a round-rect region, a filled
// round rect, FillRgn and PtInRegion agree on every pixel.
#include <vector>

#include "platform/base/Types.h"

class TRegion {
 public:
  // One run of member pixels of a row: columns Left to Right - 1.
  struct TSpan {
    int Left;
    int Right;
    friend bool operator==(const TSpan&, const TSpan&) = default;
  };

  TRegion() = default;  // empty

  bool IsEmpty() const { return FSpans.empty(); }
  // Smallest rectangle holding every member (all zero when empty).
  TRect Bounds() const;
  bool Contains(int X, int Y) const;

  void Offset(int DX, int DY);
  TRegion Intersected(const TRegion& Other) const;
  TRegion United(const TRegion& Other) const;
  TRegion Subtracted(const TRegion& Other) const;

  // Rows Top() .. Top() + RowCount() - 1; the runs of a row are sorted and
  // neither touch nor overlap.
  int Top() const { return FTop; }
  int RowCount() const { return FRowStart.empty() ? 0 : int(FRowStart.size()) - 1; }
  const TSpan* RowBegin(int Y) const;
  const TSpan* RowEnd(int Y) const;

  friend bool operator==(const TRegion&, const TRegion&) = default;

 private:
  friend class TRegionBuilder;
  int FTop = 0;
  std::vector<int> FRowStart;  // RowCount() + 1 offsets into FSpans
  std::vector<TSpan> FSpans;
};

// Builds a region row by row: Y must not decrease between calls and the
// runs of one row must come left to right (touching runs are merged).
class TRegionBuilder {
 public:
  void Add(int Y, int Left, int Right);
  TRegion Finish();

 private:
  int FLastY = 0;
  bool FStarted = false;
  TRegion FRegion;
};

// Columns Left..Right-1, rows Top..Bottom-1; an inverted rectangle is empty.
TRegion CreateRectRgn(int Left, int Top, int Right, int Bottom);
// The same box with corners rounded by an ellipse EllipseWidth by
// EllipseHeight (cut to the box); sizes below 2 give square corners.
TRegion CreateRoundRectRgn(int Left, int Top, int Right, int Bottom, int EllipseWidth,
                           int EllipseHeight);
// The ellipse inscribed in the box.
TRegion CreateEllipticRgn(int Left, int Top, int Right, int Bottom);
bool PtInRegion(const TRegion& Region, int X, int Y);
