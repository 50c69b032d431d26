#pragma once
// Splitter bars: the grip dots and the normal and hot bitmaps of a bar.
// No splitter control exists in the program; TSkSplitterSource names what a
// splitter bar supplies to these routines.
#include "widgets/sk/SkTypes.h"

#include "platform/graphics/Color.h"

class TBitmap;
class TCanvas;
class TSkSplitterColors;

class TSkSplitterSource {
 public:
  virtual ~TSkSplitterSource() = default;

  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // Background colour of the bar.
  virtual TColor Color() const = 0;
  // The two bitmaps the bar shows (nullptr while they do not exist).
  virtual TBitmap* NormalBitmap() = 0;
  virtual TBitmap* HotBitmap() = 0;
  // True for a vertical bar (dots run top to bottom), false for a horizontal one.
  virtual bool Vertical() const = 0;
  virtual TGradientType GradientType() const = 0;
  // The gradient covers the whole bar instead of 80 pixels around its centre.
  virtual bool FullLength() const = 0;
  virtual bool ShowGrip() const = 0;
  virtual TSkSplitterColors* SplitterColors() = 0;
  virtual void Invalidate() = 0;
};

// One grip dot whose top-left pixel is (X, Y).
void DrawGripDot(TCanvas* Canvas, int X, int Y, bool Raised);
// A row of 27 raised dots through (X, Y) along the bar, offsets -40 to 38.
void DrawGrip(TSkSplitterSource* Splitter, TCanvas* Canvas, int X, int Y);
// Repaints both bitmaps of the bar from its colours, then invalidates it.
void BuildSplitterBitmaps(TSkSplitterSource* Splitter);
