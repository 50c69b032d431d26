// Regions, and the promise that a round-rect region, a painted round rect,
// FillRgn, a round-rect clip and PtInRegion all name the same pixels.
#include <gtest/gtest.h>

#include <memory>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Region.h"

namespace {

TBitmap* NewWhiteBitmap(int W, int H, TPixelFormat Format = pf24bit) {
  auto* b = new TBitmap;
  b->SetPixelFormat(Format);
  b->SetSize(W, H);
  b->Canvas()->Brush()->SetColor(clWhite);
  b->Canvas()->FillRect(Rect(0, 0, W, H));
  return b;
}

// Every pixel of the bitmap: painted (not white) exactly when in the region.
void ExpectPaintedIsRegion(TBitmap& B, const TRegion& R, const char* What) {
  int mismatches = 0;
  for (int y = 0; y < B.Height(); ++y)
    for (int x = 0; x < B.Width(); ++x) {
      bool painted = B.Pixel(x, y) != clWhite;
      if (painted != PtInRegion(R, x, y) && mismatches++ < 5)
        ADD_FAILURE() << What << ": pixel (" << x << ", " << y << ") painted=" << painted;
    }
  EXPECT_EQ(mismatches, 0) << What;
}

struct RoundCase {
  int Left, Top, Right, Bottom, EW, EH;
};

const RoundCase kRoundCases[] = {
    {2, 3, 40, 30, 15, 15},  // the chat item's corners
    {0, 0, 17, 11, 25, 25},  // corners larger than the box
    {5, 5, 36, 26, 10, 6},   // even, unequal corner sizes
    {1, 1, 30, 30, 9, 9},    // odd corner size
    {4, 2, 24, 12, 0, 0},    // square corners
    {3, 3, 4, 20, 5, 5},     // one column wide
};

}  // namespace

TEST(Region, RectRegionExcludesRightAndBottomAndInvertedIsEmpty) {
  TRegion r = CreateRectRgn(2, 3, 5, 7);
  EXPECT_TRUE(PtInRegion(r, 2, 3));
  EXPECT_TRUE(PtInRegion(r, 4, 6));
  EXPECT_FALSE(PtInRegion(r, 5, 6));
  EXPECT_FALSE(PtInRegion(r, 4, 7));
  EXPECT_FALSE(PtInRegion(r, 1, 3));
  EXPECT_EQ(r.Bounds(), Rect(2, 3, 5, 7));
  EXPECT_TRUE(CreateRectRgn(5, 3, 2, 7).IsEmpty());
  EXPECT_TRUE(CreateRectRgn(2, 7, 5, 3).IsEmpty());
  EXPECT_TRUE(CreateRoundRectRgn(5, 5, 5, 9, 3, 3).IsEmpty());
}

TEST(Region, RoundRectCornersAreCutSymmetricallyAndEdgesKept) {
  TRegion r = CreateRoundRectRgn(0, 0, 40, 30, 15, 15);
  EXPECT_FALSE(PtInRegion(r, 0, 0));
  EXPECT_FALSE(PtInRegion(r, 39, 0));
  EXPECT_FALSE(PtInRegion(r, 0, 29));
  EXPECT_FALSE(PtInRegion(r, 39, 29));
  EXPECT_TRUE(PtInRegion(r, 20, 0));   // top edge between the corners
  EXPECT_TRUE(PtInRegion(r, 0, 15));   // left edge between the corners
  EXPECT_TRUE(PtInRegion(r, 39, 15));
  EXPECT_TRUE(PtInRegion(r, 20, 29));
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      bool in = PtInRegion(r, x, y);
      ASSERT_EQ(in, PtInRegion(r, 39 - x, y)) << x << "," << y;
      ASSERT_EQ(in, PtInRegion(r, x, 29 - y)) << x << "," << y;
    }
  // Rows are convex runs: one run per row.
  for (int y = 0; y < 30; ++y) EXPECT_EQ(r.RowEnd(y) - r.RowBegin(y), 1) << y;
  // A square corner region is the rectangle.
  EXPECT_EQ(CreateRoundRectRgn(1, 2, 9, 8, 0, 0), CreateRectRgn(1, 2, 9, 8));
}

TEST(Region, RoundRectPaintedPixelsAreTheRegion) {
  for (const RoundCase& c : kRoundCases) {
    std::unique_ptr<TBitmap> b(NewWhiteBitmap(48, 40));
    TCanvas* canvas = b->Canvas();
    canvas->Pen()->SetColor(clRed);
    canvas->Pen()->SetWidth(1);
    canvas->Brush()->SetColor(clBlue);
    canvas->RoundRect(c.Left, c.Top, c.Right, c.Bottom, c.EW, c.EH);
    ExpectPaintedIsRegion(*b, CreateRoundRectRgn(c.Left, c.Top, c.Right, c.Bottom, c.EW, c.EH), "RoundRect");
  }
}

TEST(Region, RoundRectOutlineIsTheRegionsEdge) {
  std::unique_ptr<TBitmap> b(NewWhiteBitmap(48, 40));
  TCanvas* canvas = b->Canvas();
  canvas->Pen()->SetColor(clRed);
  canvas->Brush()->SetColor(clBlue);
  canvas->RoundRect(2, 3, 40, 30, 15, 15);
  TRegion r = CreateRoundRectRgn(2, 3, 40, 30, 15, 15);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 48; ++x) {
      if (!PtInRegion(r, x, y)) continue;
      bool edge = !PtInRegion(r, x - 1, y) || !PtInRegion(r, x + 1, y) || !PtInRegion(r, x, y - 1) ||
                  !PtInRegion(r, x, y + 1);
      // Every pixel at the region's edge is pen; no pen pixel lies two steps inside.
      if (edge) {
        EXPECT_EQ(b->Pixel(x, y), clRed) << x << "," << y;
      }
      bool deep = PtInRegion(r, x - 2, y) && PtInRegion(r, x + 2, y) && PtInRegion(r, x, y - 2) &&
                  PtInRegion(r, x, y + 2) && PtInRegion(r, x - 1, y - 1) && PtInRegion(r, x + 1, y + 1) &&
                  PtInRegion(r, x - 1, y + 1) && PtInRegion(r, x + 1, y - 1);
      if (deep) {
        EXPECT_EQ(b->Pixel(x, y), clBlue) << x << "," << y;
      }
    }
}

TEST(Region, FillRgnAndRoundRectClipPaintTheRegion) {
  for (const RoundCase& c : kRoundCases) {
    TRegion r = CreateRoundRectRgn(c.Left, c.Top, c.Right, c.Bottom, c.EW, c.EH);

    std::unique_ptr<TBitmap> filled(NewWhiteBitmap(48, 40));
    filled->Canvas()->Brush()->SetColor(clGreen);
    filled->Canvas()->FillRgn(r);
    ExpectPaintedIsRegion(*filled, r, "FillRgn");

    std::unique_ptr<TBitmap> clipped(NewWhiteBitmap(48, 40));
    TCanvas* canvas = clipped->Canvas();
    canvas->SelectClipRgn(&r);
    canvas->Brush()->SetColor(clGreen);
    canvas->FillRect(Rect(0, 0, 48, 40));
    canvas->SelectClipRgn(nullptr);
    ExpectPaintedIsRegion(*clipped, r, "clip");
  }
}

TEST(Region, FillRgnOnPalettedBitmapPaintsTheRegion) {
  TRegion r = CreateRoundRectRgn(1, 1, 30, 22, 15, 15);
  std::unique_ptr<TBitmap> b(NewWhiteBitmap(32, 24, pf8bit));
  b->Canvas()->Brush()->SetColor(clRed);
  b->Canvas()->FillRgn(r);
  ExpectPaintedIsRegion(*b, r, "8-bit FillRgn");
}

TEST(Region, EllipseMatchesEllipticRegion) {
  std::unique_ptr<TBitmap> b(NewWhiteBitmap(40, 30));
  b->Canvas()->Pen()->SetColor(clBlack);
  b->Canvas()->Brush()->SetColor(clYellow);
  b->Canvas()->Ellipse(3, 2, 36, 27);
  ExpectPaintedIsRegion(*b, CreateEllipticRgn(3, 2, 36, 27), "Ellipse");
}

TEST(Region, WidePenIsCentredOnTheEdge) {
  // Pen width 5: two pixels outside the box, three inside.
  std::unique_ptr<TBitmap> b(NewWhiteBitmap(40, 40));
  TCanvas* canvas = b->Canvas();
  canvas->Pen()->SetColor(clRed);
  canvas->Pen()->SetWidth(5);
  canvas->Brush()->SetColor(clBlue);
  canvas->Rectangle(10, 10, 30, 30);
  EXPECT_EQ(b->Pixel(7, 20), clWhite);
  EXPECT_EQ(b->Pixel(8, 20), clRed);
  EXPECT_EQ(b->Pixel(12, 20), clRed);
  EXPECT_EQ(b->Pixel(13, 20), clBlue);
  EXPECT_EQ(b->Pixel(26, 20), clBlue);
  EXPECT_EQ(b->Pixel(27, 20), clRed);
  EXPECT_EQ(b->Pixel(31, 20), clRed);
  EXPECT_EQ(b->Pixel(32, 20), clWhite);
  // An even width 2h drawn on a box inset by h covers the picture from its
  // edge: a framed panel's outline starts at pixel 0. Outside, the corners
  // are rounded by the pen's half width, as a round pen's joins are.
  std::unique_ptr<TBitmap> panel(NewWhiteBitmap(60, 45));
  panel->Canvas()->Pen()->SetColor(clSilver);
  panel->Canvas()->Pen()->SetWidth(20);
  panel->Canvas()->RoundRect(10, 10, 50, 35, 0, 0);
  EXPECT_EQ(panel->Pixel(30, 0), clSilver);
  EXPECT_EQ(panel->Pixel(0, 22), clSilver);
  EXPECT_EQ(panel->Pixel(59, 22), clSilver);
  EXPECT_EQ(panel->Pixel(30, 44), clSilver);
  EXPECT_EQ(panel->Pixel(0, 0), clWhite);
  EXPECT_EQ(panel->Pixel(19, 19), clSilver);
  EXPECT_EQ(panel->Pixel(20, 20), clWhite);
  EXPECT_EQ(panel->Pixel(39, 24), clWhite);
  EXPECT_EQ(panel->Pixel(40, 25), clSilver);
}

TEST(Region, CombinationsAgreeWithMembership) {
  TRegion a = CreateRoundRectRgn(0, 0, 30, 20, 12, 12);
  TRegion b = CreateEllipticRgn(10, 5, 40, 35);
  TRegion both = a.Intersected(b), either = a.United(b), only = a.Subtracted(b);
  for (int y = -2; y < 38; ++y)
    for (int x = -2; x < 42; ++x) {
      bool inA = a.Contains(x, y), inB = b.Contains(x, y);
      ASSERT_EQ(both.Contains(x, y), inA && inB) << x << "," << y;
      ASSERT_EQ(either.Contains(x, y), inA || inB) << x << "," << y;
      ASSERT_EQ(only.Contains(x, y), inA && !inB) << x << "," << y;
    }
  EXPECT_TRUE(a.Subtracted(a).IsEmpty());
  EXPECT_EQ(a.Intersected(a), a);
  EXPECT_EQ(a.United(a), a);
}

TEST(Region, OffsetMovesEveryPixel) {
  TRegion r = CreateRoundRectRgn(0, 0, 20, 10, 8, 8);
  TRegion moved = r;
  moved.Offset(5, -3);
  for (int y = -5; y < 15; ++y)
    for (int x = -5; x < 30; ++x) ASSERT_EQ(moved.Contains(x + 5, y - 3), r.Contains(x, y));
  EXPECT_EQ(moved.Bounds(), Rect(5, -3, 25, 7));
}
