// Canvas state and shapes: fills, lines, origins and clips, saved states,
// paletted surfaces, the lock.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "platform/base/Exceptions.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"

namespace {

std::unique_ptr<TBitmap> WhiteBitmap(int W, int H, TPixelFormat Format = pf24bit) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(Format);
  b->SetSize(W, H);
  b->Canvas()->Brush()->SetColor(clWhite);
  b->Canvas()->FillRect(Rect(0, 0, W, H));
  return b;
}

// The smallest rectangle holding every pixel of the colour (empty when none).
TRect Extent(TBitmap& B, TColor Color) {
  TRect r{B.Width(), B.Height(), 0, 0};
  for (int y = 0; y < B.Height(); ++y)
    for (int x = 0; x < B.Width(); ++x)
      if (B.Pixel(x, y) == Color) {
        r.Left = std::min(r.Left, x);
        r.Top = std::min(r.Top, y);
        r.Right = std::max(r.Right, x + 1);
        r.Bottom = std::max(r.Bottom, y + 1);
      }
  return r.IsEmpty() ? TRect{} : r;
}

int Count(TBitmap& B, TColor Color) {
  int n = 0;
  for (int y = 0; y < B.Height(); ++y)
    for (int x = 0; x < B.Width(); ++x) n += B.Pixel(x, y) == Color;
  return n;
}

}  // namespace

TEST(CanvasFill, FillRectCoversLeftTopUpToRightBottomExclusive) {
  auto b = WhiteBitmap(20, 20);
  b->Canvas()->Brush()->SetColor(clRed);
  b->Canvas()->FillRect(Rect(3, 4, 8, 10));
  EXPECT_EQ(Extent(*b, clRed), Rect(3, 4, 8, 10));
  EXPECT_EQ(Count(*b, clRed), 5 * 6);
}

TEST(CanvasFill, InvertedRectIsEmpty) {
  auto b = WhiteBitmap(20, 20);
  b->Canvas()->Brush()->SetColor(clRed);
  b->Canvas()->FillRect(Rect(8, 4, 3, 10));
  b->Canvas()->FillRect(Rect(3, 10, 8, 4));
  b->Canvas()->FillRect(Rect(3, 4, 3, 10));
  EXPECT_EQ(Count(*b, clRed), 0);
}

TEST(CanvasFill, ClearBrushFillsNothingUntilAColourIsSet) {
  auto b = WhiteBitmap(10, 10);
  TCanvas* c = b->Canvas();
  c->Brush()->SetColor(clRed);
  c->Brush()->SetStyle(bsClear);
  c->FillRect(Rect(0, 0, 10, 10));
  EXPECT_EQ(Count(*b, clRed), 0);
  // Setting a colour makes the brush solid again, as the host's brush does.
  c->Brush()->SetColor(clBlue);
  EXPECT_EQ(c->Brush()->Style(), bsSolid);
  c->FillRect(Rect(0, 0, 10, 10));
  EXPECT_EQ(Count(*b, clBlue), 100);
}

TEST(CanvasFill, SystemColoursResolve) {
  auto b = WhiteBitmap(4, 4);
  b->Canvas()->Brush()->SetColor(clBtnFace);
  b->Canvas()->FillRect(Rect(0, 0, 4, 4));
  EXPECT_EQ(b->Pixel(2, 2), ColorToRGB(clBtnFace));
}

TEST(CanvasFill, FrameRectIsOnePixelInBrushColour) {
  auto b = WhiteBitmap(12, 12);
  b->Canvas()->Brush()->SetColor(clGreen);
  b->Canvas()->FrameRect(Rect(2, 2, 9, 7));
  EXPECT_EQ(Extent(*b, clGreen), Rect(2, 2, 9, 7));
  EXPECT_EQ(Count(*b, clGreen), 2 * 7 + 2 * 3);
}

TEST(CanvasFill, RectangleOutlinesWithPenAndFillsWithBrush) {
  auto b = WhiteBitmap(12, 12);
  TCanvas* c = b->Canvas();
  c->Pen()->SetColor(clRed);
  c->Brush()->SetColor(clBlue);
  c->Rectangle(1, 1, 6, 5);
  EXPECT_EQ(Extent(*b, clRed), Rect(1, 1, 6, 5));
  EXPECT_EQ(Extent(*b, clBlue), Rect(2, 2, 5, 4));
  // Pen width 0 draws one pixel, as width 1.
  auto z = WhiteBitmap(12, 12);
  z->Canvas()->Pen()->SetWidth(0);
  z->Canvas()->Pen()->SetColor(clRed);
  z->Canvas()->Brush()->SetStyle(bsClear);
  z->Canvas()->Rectangle(1, 1, 6, 5);
  EXPECT_EQ(Count(*z, clRed), 2 * 5 + 2 * 2);
}

TEST(CanvasLines, LineToLeavesOutTheEndPoint) {
  auto b = WhiteBitmap(20, 20);
  TCanvas* c = b->Canvas();
  c->Pen()->SetColor(clBlack);
  c->MoveTo(2, 3);
  c->LineTo(10, 3);
  EXPECT_EQ(Extent(*b, clBlack), Rect(2, 3, 10, 4));
  EXPECT_EQ(c->PenPos(), Point(10, 3));
  // Continuing from the end point draws it as the first pixel of the next line.
  c->LineTo(10, 8);
  EXPECT_EQ(b->Pixel(10, 3), clBlack);
  EXPECT_EQ(b->Pixel(10, 7), clBlack);
  EXPECT_EQ(b->Pixel(10, 8), clWhite);
  // Leftwards and upwards too.
  auto d = WhiteBitmap(20, 20);
  d->Canvas()->MoveTo(12, 15);
  d->Canvas()->LineTo(4, 7);
  EXPECT_EQ(Count(*d, clBlack), 8);
  EXPECT_EQ(d->Pixel(12, 15), clBlack);
  EXPECT_EQ(d->Pixel(5, 8), clBlack);
  EXPECT_EQ(d->Pixel(4, 7), clWhite);
}

TEST(CanvasLines, ZeroLengthLineDrawsNothing) {
  auto b = WhiteBitmap(5, 5);
  b->Canvas()->MoveTo(2, 2);
  b->Canvas()->LineTo(2, 2);
  EXPECT_EQ(Count(*b, clBlack), 0);
}

TEST(CanvasLines, ClearPenDrawsNothingButMoves) {
  auto b = WhiteBitmap(10, 10);
  b->Canvas()->Pen()->SetStyle(psClear);
  b->Canvas()->LineTo(9, 0);
  EXPECT_EQ(Count(*b, clBlack), 0);
  EXPECT_EQ(b->Canvas()->PenPos(), Point(9, 0));
}

TEST(CanvasLines, DottedPenFillsGapsOnlyInOpaqueMode) {
  auto b = WhiteBitmap(20, 3);
  TCanvas* c = b->Canvas();
  c->Pen()->SetStyle(psDot);
  c->Pen()->SetColor(clBlack);
  c->SetBkMode(TRANSPARENT);
  c->MoveTo(0, 1);
  c->LineTo(12, 1);
  EXPECT_EQ(Count(*b, clBlack), 6);
  EXPECT_EQ(b->Pixel(3, 1), clWhite);
  c->SetBkMode(OPAQUE);
  c->SetBkColor(clRed);
  c->MoveTo(0, 2);
  c->LineTo(12, 2);
  EXPECT_EQ(b->Pixel(3, 2), clRed);
  EXPECT_EQ(b->Pixel(0, 2), clBlack);
}

TEST(CanvasPixels, ReadAndWriteThroughOriginAndClip) {
  auto b = WhiteBitmap(10, 10);
  TCanvas* c = b->Canvas();
  c->SetPixels(3, 4, clRed);
  EXPECT_EQ(c->Pixels(3, 4), clRed);
  EXPECT_EQ(c->Pixels(-1, 0), -1);
  EXPECT_EQ(c->Pixels(10, 0), -1);
  c->SetViewportOrg(2, 2);
  EXPECT_EQ(c->Pixels(1, 2), clRed);
  c->SetPixels(0, 0, clBlue);
  EXPECT_EQ(b->Pixel(2, 2), clBlue);
  c->IntersectClipRect(0, 0, 1, 1);
  c->SetPixels(3, 3, clGreen);
  EXPECT_EQ(b->Pixel(5, 5), clWhite);
  EXPECT_EQ(c->Pixels(3, 3), -1);
}

TEST(CanvasState, BrushSelectsTheTextBackgroundUntilSetBkMode) {
  auto b = WhiteBitmap(4, 4);
  TCanvas* c = b->Canvas();
  EXPECT_EQ(c->BkMode(), OPAQUE);
  c->Brush()->SetColor(clRed);
  EXPECT_EQ(c->BkColor(), clRed);
  EXPECT_EQ(c->SetBkMode(TRANSPARENT), OPAQUE);
  EXPECT_EQ(c->BkMode(), TRANSPARENT);
  c->Brush()->SetStyle(bsClear);
  EXPECT_EQ(c->BkMode(), TRANSPARENT);
  c->Brush()->SetColor(clBlue);
  EXPECT_EQ(c->BkMode(), OPAQUE);
}

TEST(CanvasState, WindowlessChildPaintsInItsOwnCoordinatesWithinItsBounds) {
  // The parent's back buffer; a child control at (10, 20), 30 by 15.
  auto b = WhiteBitmap(60, 50);
  TCanvas* c = b->Canvas();
  int saved = c->SaveDC();
  c->SetWindowOrg(-10, -20);
  c->IntersectClipRect(0, 0, 30, 15);
  c->SetMetaRgn();
  EXPECT_EQ(c->ClipRect(), Rect(0, 0, 30, 15));

  c->Brush()->SetColor(clRed);
  c->FillRect(Rect(-5, -5, 100, 100));
  EXPECT_EQ(Extent(*b, clRed), Rect(10, 20, 40, 35));
  c->Brush()->SetColor(clBlue);
  c->FillRect(Rect(0, 0, 2, 1));
  EXPECT_EQ(Extent(*b, clBlue), Rect(10, 20, 12, 21));

  // The child's own clips stay inside its bounds and use its coordinates.
  TRegion own = CreateRectRgn(25, 10, 80, 80);
  c->SelectClipRgn(&own);
  c->Brush()->SetColor(clGreen);
  c->FillRect(Rect(0, 0, 100, 100));
  EXPECT_EQ(Extent(*b, clGreen), Rect(35, 30, 40, 35));
  c->SelectClipRgn(nullptr);
  c->Brush()->SetColor(clYellow);
  c->FillRect(Rect(-100, -100, 100, 100));
  EXPECT_EQ(Extent(*b, clYellow), Rect(10, 20, 40, 35));

  // The child's own viewport move (as when it paints what lies under it) composes.
  c->SetViewportOrg(-3, -4);
  c->SetPixels(3, 4, clBlack);
  EXPECT_EQ(b->Pixel(10, 20), clBlack);

  ASSERT_TRUE(c->RestoreDC(saved));
  EXPECT_EQ(c->ClipRect(), Rect(0, 0, 60, 50));
  EXPECT_EQ(c->WindowOrg(), Point(0, 0));
  EXPECT_EQ(c->ViewportOrg(), Point(0, 0));
  c->Brush()->SetColor(clFuchsia);
  c->FillRect(Rect(0, 0, 1, 1));
  EXPECT_EQ(b->Pixel(0, 0), clFuchsia);
}

TEST(CanvasState, SaveAndRestoreLevels) {
  auto b = WhiteBitmap(10, 10);
  TCanvas* c = b->Canvas();
  EXPECT_FALSE(c->RestoreDC(-1));
  EXPECT_EQ(c->SaveDC(), 1);
  c->SetViewportOrg(1, 1);
  c->SetBkMode(TRANSPARENT);
  EXPECT_EQ(c->SaveDC(), 2);
  c->SetViewportOrg(2, 2);
  c->IntersectClipRect(0, 0, 3, 3);
  EXPECT_EQ(c->SaveDC(), 3);
  c->SetViewportOrg(3, 3);
  EXPECT_TRUE(c->RestoreDC(-1));
  EXPECT_EQ(c->ViewportOrg(), Point(2, 2));
  EXPECT_EQ(c->ClipRect(), Rect(0, 0, 3, 3));
  // Restoring level 1 drops level 2 too.
  EXPECT_TRUE(c->RestoreDC(1));
  EXPECT_EQ(c->ViewportOrg(), Point(0, 0));
  EXPECT_EQ(c->BkMode(), OPAQUE);
  EXPECT_EQ(c->ClipRect(), Rect(0, 0, 10, 10));
  EXPECT_FALSE(c->RestoreDC(1));
  EXPECT_FALSE(c->RestoreDC(-1));
}

TEST(CanvasState, IntersectClipRectNarrowsOnly) {
  auto b = WhiteBitmap(20, 20);
  TCanvas* c = b->Canvas();
  c->IntersectClipRect(2, 2, 15, 15);
  c->IntersectClipRect(10, 0, 30, 12);
  EXPECT_EQ(c->ClipRect(), Rect(10, 2, 15, 12));
  c->Brush()->SetColor(clRed);
  c->FillRect(Rect(0, 0, 20, 20));
  EXPECT_EQ(Extent(*b, clRed), Rect(10, 2, 15, 12));
}

TEST(CanvasState, DetachedCanvasRefusesToDraw) {
  TCanvas c(nullptr);
  EXPECT_THROW(c.FillRect(Rect(0, 0, 1, 1)), EInvalidOperation);
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(2, 2);
  c.SetSurface(&b);
  c.Brush()->SetColor(clRed);
  c.FillRect(Rect(0, 0, 2, 2));
  EXPECT_EQ(b.Pixel(1, 1), clRed);
}

TEST(CanvasState, ChangeEventFiresWhenPixelsChange) {
  auto b = WhiteBitmap(4, 4);
  int changes = 0;
  TCanvas c(b.get());
  c.SetOnChange([&](TObject*) { ++changes; });
  c.FillRect(Rect(0, 0, 2, 2));
  EXPECT_EQ(changes, 1);
  c.FillRect(Rect(10, 10, 12, 12));  // outside: nothing drawn
  EXPECT_EQ(changes, 1);
}

TEST(CanvasPaletted, DrawingPicksNearestEntryAndLeavesOtherPixels) {
  auto b = WhiteBitmap(16, 8, pf8bit);
  const Byte* row = static_cast<const Byte*>(b->ScanLine(0));
  Byte white = row[0];
  TCanvas* c = b->Canvas();
  c->Brush()->SetColor(RGB(250, 5, 3));  // nearest entry: pure red
  c->FillRect(Rect(2, 0, 6, 8));
  EXPECT_EQ(b->Pixel(3, 3), clRed);
  EXPECT_EQ(static_cast<const Byte*>(b->ScanLine(3))[0], white);
  EXPECT_EQ(static_cast<const Byte*>(b->ScanLine(3))[6], white);
  EXPECT_EQ(c->GetNearestColor(RGB(250, 5, 3)), clRed);
}

TEST(CanvasPaletted, OneAndFourBitSurfaces) {
  for (TPixelFormat format : {pf1bit, pf4bit}) {
    auto b = WhiteBitmap(13, 5, format);
    TCanvas* c = b->Canvas();
    c->Pen()->SetColor(clBlack);
    c->MoveTo(1, 2);
    c->LineTo(12, 2);
    EXPECT_EQ(Extent(*b, clBlack), Rect(1, 2, 12, 3)) << format;
    EXPECT_EQ(Count(*b, clWhite), 13 * 5 - 11) << format;
  }
}

TEST(CanvasPaletted, SixteenBitNearestColour) {
  auto b = WhiteBitmap(4, 4, pf16bit);
  TColor nearest = b->Canvas()->GetNearestColor(RGB(0x13, 0x87, 0xFF));
  b->Canvas()->Brush()->SetColor(RGB(0x13, 0x87, 0xFF));
  b->Canvas()->FillRect(Rect(0, 0, 4, 4));
  EXPECT_EQ(b->Pixel(1, 1), nearest);
  EXPECT_EQ(nearest, RGB(0x10, 0x84, 0xFF));
}

TEST(CanvasFocus, FocusRectTwiceRestoresPixels) {
  auto b = WhiteBitmap(12, 10);
  TCanvas* c = b->Canvas();
  c->Brush()->SetColor(clBlue);
  c->FillRect(Rect(0, 0, 6, 10));
  c->DrawFocusRect(Rect(1, 1, 11, 9));
  EXPECT_GT(Count(*b, ColorToRGB(clBlue) ^ 0xFFFFFF), 0);
  EXPECT_EQ(b->Pixel(5, 5), clBlue);  // inside untouched
  c->DrawFocusRect(Rect(1, 1, 11, 9));
  EXPECT_EQ(Count(*b, clBlue), 60);
  EXPECT_EQ(Count(*b, clWhite), 60);
}

TEST(CanvasLock, RecursiveLockExcludesOtherThreads) {
  TCanvas c(nullptr);
  c.Lock();
  c.Lock();
  EXPECT_EQ(c.LockCount(), 2);
  EXPECT_TRUE(c.TryLock());
  c.Unlock();
  std::atomic<bool> other{true};
  std::thread([&] { other = c.TryLock(); }).join();
  EXPECT_FALSE(other);
  c.Unlock();
  c.Unlock();
  EXPECT_EQ(c.LockCount(), 0);
  std::thread([&] {
    other = c.TryLock();
    if (other) c.Unlock();
  }).join();
  EXPECT_TRUE(other);
}
