#include <gtest/gtest.h>

#include "BitmapTestUtil.h"
#include "platform/base/Exceptions.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"

namespace {

void FillPattern(TBitmap& b) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) b.SetPixel(x, y, PatternColor(x, y));
}

}  // namespace

TEST(Bitmap, NewBitmapIsEmptyDeviceFormat) {
  TBitmap b;
  EXPECT_TRUE(b.Empty());
  EXPECT_EQ(b.PixelFormat(), pfDevice);
  EXPECT_EQ(b.HandleType(), bmDDB);
  EXPECT_EQ(b.Bits(), nullptr);
}

TEST(Bitmap, RowsArePaddedToFourBytes) {
  struct Case {
    TPixelFormat format;
    int width;
    int bytes;
  } cases[] = {{pf1bit, 1, 4},  {pf1bit, 33, 8},  {pf4bit, 9, 8},   {pf8bit, 5, 8},
               {pf15bit, 3, 8}, {pf16bit, 2, 4},  {pf24bit, 5, 16}, {pf24bit, 384, 1152},
               {pf32bit, 3, 12}, {pfDevice, 384, 1536}};
  for (const Case& c : cases) {
    TBitmap b;
    b.SetPixelFormat(c.format);
    b.SetSize(c.width, 2);
    EXPECT_EQ(b.BytesPerLine(), c.bytes) << c.format << " " << c.width;
    EXPECT_EQ(static_cast<Byte*>(b.ScanLine(1)) - static_cast<Byte*>(b.ScanLine(0)), c.bytes);
  }
}

TEST(Bitmap, ScanLineOutsideRaisesRangeError) {
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(4, 3);
  EXPECT_NO_THROW(b.ScanLine(0));
  EXPECT_NO_THROW(b.ScanLine(2));
  for (int y : {-1, 3, 1000}) {
    try {
      b.ScanLine(y);
      FAIL() << y;
    } catch (const ERangeError& e) {
      EXPECT_EQ(e.Message(), "Scan line index out of range");
    }
  }
  TBitmap empty;
  EXPECT_THROW(empty.ScanLine(0), ERangeError);
}

TEST(Bitmap, ScanLineRowsAreTopDownWithDocumentedByteOrder) {
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(2, 2);
  b.SetPixel(1, 0, RGB(10, 20, 30));
  const Byte* top = static_cast<const Byte*>(b.ScanLine(0));
  EXPECT_EQ(top[3], 30);  // blue
  EXPECT_EQ(top[4], 20);  // green
  EXPECT_EQ(top[5], 10);  // red

  b.SetPixelFormat(pf32bit);
  const Byte* top32 = static_cast<const Byte*>(b.ScanLine(0));
  EXPECT_EQ(top32[4], 30);
  EXPECT_EQ(top32[6], 10);

  b.SetPixelFormat(pf16bit);
  const Byte* top16 = static_cast<const Byte*>(b.ScanLine(0));
  unsigned v = top16[2] | top16[3] << 8;
  EXPECT_EQ(v, unsigned((10 >> 3) << 10 | (20 >> 3) << 5 | (30 >> 3)));

  b.SetPixelFormat(pf1bit);
  b.SetPixel(0, 1, clWhite);
  b.SetPixel(1, 1, clBlack);
  EXPECT_EQ(static_cast<const Byte*>(b.ScanLine(1))[0] & 0xC0, 0x80);  // MSB first
}

TEST(Bitmap, GrowingFillsWithWhiteAndKeepsOldPixels) {
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(2, 2);
  b.SetPixel(0, 0, clRed);
  b.SetPixel(1, 1, clBlue);
  b.SetSize(4, 3);
  EXPECT_EQ(b.Pixel(0, 0), clRed);
  EXPECT_EQ(b.Pixel(1, 1), clBlue);
  EXPECT_EQ(b.Pixel(3, 0), clWhite);
  EXPECT_EQ(b.Pixel(0, 2), clWhite);
  EXPECT_EQ(b.Pixel(3, 2), clWhite);
}

TEST(Bitmap, GrowingFillsWithTheCanvasBrushColour) {
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(1, 1);
  b.SetPixel(0, 0, clLime);
  b.Canvas()->Brush()->SetColor(clBtnFace);  // system colours resolve
  b.SetWidth(3);
  b.SetHeight(2);
  EXPECT_EQ(b.Pixel(0, 0), clLime);
  EXPECT_EQ(b.Pixel(2, 0), RGB(212, 208, 200));
  EXPECT_EQ(b.Pixel(0, 1), RGB(212, 208, 200));
}

TEST(Bitmap, ResizingSubBytePixelsKeepsThemAll) {
  // 1-bit and 4-bit rows end in partly used bytes; shrinking and growing
  // must move exactly the right pixels.
  for (TPixelFormat format : {pf1bit, pf4bit}) {
    TBitmap b;
    b.SetPixelFormat(format);
    b.SetSize(11, 3);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 11; ++x) b.SetPixel(x, y, (x + y) % 3 ? clBlack : clWhite);
    b.SetSize(7, 2);
    b.Canvas()->Brush()->SetColor(clBlack);
    b.SetSize(13, 2);
    for (int x = 0; x < 13; ++x)
      for (int y = 0; y < 2; ++y)
        EXPECT_EQ(b.Pixel(x, y), x < 7 && (x + y) % 3 == 0 ? clWhite : clBlack) << x << "," << y;
  }
}

TEST(Bitmap, ShrinkingToNothingIsEmpty) {
  TBitmap b;
  b.SetSize(5, 5);
  b.SetHeight(0);
  EXPECT_TRUE(b.Empty());
  b.SetSize(-3, 4);
  EXPECT_EQ(b.Width(), 0);
}

TEST(Bitmap, HugeSizeIsRefusedNotAllocated) {
  TBitmap b;
  EXPECT_THROW(b.SetSize(100000, 100000), EOutOfResources);
  EXPECT_TRUE(b.Empty());
}

TEST(Bitmap, TrueColourConversionsAreExact) {
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(9, 5);
  FillPattern(b);
  b.SetPixelFormat(pf32bit);
  b.SetPixelFormat(pfDevice);
  b.SetPixelFormat(pf24bit);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 9; ++x) ASSERT_EQ(b.Pixel(x, y), PatternColor(x, y));
}

TEST(Bitmap, SixteenBitKeepsFiveBitsAChannelAndWidensFullScale) {
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(3, 1);
  b.SetPixel(0, 0, clWhite);
  b.SetPixel(1, 0, RGB(0x87, 0x44, 0x0F));
  b.SetPixel(2, 0, clBlack);
  b.SetPixelFormat(pf16bit);
  EXPECT_EQ(b.Pixel(0, 0), clWhite);
  EXPECT_EQ(b.Pixel(1, 0), RGB(0x84, 0x42, 0x08));
  EXPECT_EQ(b.Pixel(2, 0), clBlack);
}

TEST(Bitmap, ToPalettedTakesTheNearestPaletteColour) {
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(4, 1);
  b.SetPixel(0, 0, RGB(250, 10, 5));    // near red
  b.SetPixel(1, 0, RGB(100, 100, 100)); // between grays
  b.SetPixel(2, 0, RGB(10, 120, 130));  // near teal
  b.SetPixel(3, 0, RGB(200, 200, 200)); // near silver
  b.SetPixelFormat(pf4bit);
  ASSERT_EQ(b.Palette().size(), 16u);
  EXPECT_EQ(b.Pixel(0, 0), clRed);
  EXPECT_EQ(b.Pixel(1, 0), clGray);
  EXPECT_EQ(b.Pixel(2, 0), clTeal);
  EXPECT_EQ(b.Pixel(3, 0), clSilver);
  EXPECT_EQ(static_cast<const Byte*>(b.ScanLine(0))[0], 0x98);  // red = 9, gray = 8

  b.SetPixelFormat(pf1bit);
  EXPECT_TRUE(b.Monochrome());
  EXPECT_EQ(b.Pixel(0, 0), clBlack);
  EXPECT_EQ(b.Pixel(3, 0), clWhite);
}

TEST(Bitmap, DefaultPalettes) {
  EXPECT_EQ(DefaultPalette(pf1bit).size(), 2u);
  TBitmapPalette vga = DefaultPalette(pf4bit);
  ASSERT_EQ(vga.size(), 16u);
  EXPECT_EQ(vga[7], (TPaletteEntry{192, 192, 192}));
  EXPECT_EQ(vga[15], (TPaletteEntry{255, 255, 255}));
  TBitmapPalette full = DefaultPalette(pf8bit);
  ASSERT_EQ(full.size(), 256u);
  EXPECT_EQ(full[0], (TPaletteEntry{0, 0, 0}));
  EXPECT_EQ(full[255], (TPaletteEntry{255, 255, 255}));
  EXPECT_TRUE(DefaultPalette(pf24bit).empty());
  // Every pure cube colour is there exactly.
  TBitmap b;
  b.SetPixelFormat(pf8bit);
  b.SetSize(1, 1);
  b.SetPixel(0, 0, RGB(51, 204, 153));
  EXPECT_EQ(b.Pixel(0, 0), RGB(51, 204, 153));
}

TEST(Bitmap, PaletteIsCutToTheFormatAndIndicesBeyondShowBlack) {
  TBitmap b;
  b.SetPixelFormat(pf1bit);
  b.SetSize(8, 1);
  b.SetPalette(TBitmapPalette{{255, 0, 0}, {0, 0, 255}, {0, 255, 0}});
  EXPECT_EQ(b.Palette().size(), 2u);
  static_cast<Byte*>(b.ScanLine(0))[0] = 0x80;
  EXPECT_EQ(b.Pixel(0, 0), clBlue);
  EXPECT_EQ(b.Pixel(1, 0), clRed);
  EXPECT_FALSE(b.Monochrome());

  b.SetPixelFormat(pf8bit);
  b.SetPalette(TBitmapPalette{{1, 2, 3}});
  static_cast<Byte*>(b.ScanLine(0))[0] = 200;
  EXPECT_EQ(b.Pixel(0, 0), clBlack);
}

TEST(Bitmap, TransparentColourIsBottomLeftUnlessFixed) {
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(3, 3);
  b.SetPixel(0, 2, clFuchsia);
  EXPECT_EQ(b.TransparentMode(), tmAuto);
  EXPECT_EQ(b.TransparentColor(), clFuchsia);
  b.SetPixel(0, 2, clLime);
  EXPECT_EQ(b.TransparentColor(), clLime);

  b.SetTransparentColor(clBtnFace);
  EXPECT_EQ(b.TransparentMode(), tmFixed);
  EXPECT_EQ(b.TransparentColor(), RGB(212, 208, 200));
  b.SetTransparentColor(0x02000000 | clRed);  // palette-relative
  EXPECT_EQ(b.TransparentColor(), clRed);
  b.SetTransparentMode(tmAuto);
  EXPECT_EQ(b.TransparentColor(), clLime);

  b.SetMonochrome(true);
  EXPECT_EQ(b.TransparentColor(), clWhite);
}

TEST(Bitmap, AssignIsADeepCopy) {
  TBitmap a;
  a.SetPixelFormat(pf8bit);
  a.SetSize(5, 4);
  FillPattern(a);
  a.SetTransparent(true);
  a.SetTransparentColor(clRed);
  TBitmap b;
  b.Assign(&a);
  EXPECT_EQ(b.PixelFormat(), pf8bit);
  EXPECT_EQ(b.Palette(), a.Palette());
  EXPECT_TRUE(b.Transparent());
  EXPECT_EQ(b.TransparentColor(), clRed);
  TColor before = a.Pixel(2, 2);
  b.SetPixel(2, 2, before == clBlack ? clWhite : clBlack);
  EXPECT_EQ(a.Pixel(2, 2), before);
  EXPECT_NE(a.Bits(), b.Bits());

  b.Assign(nullptr);
  EXPECT_TRUE(b.Empty());
}

TEST(Bitmap, ChangesAreReported) {
  TBitmap b;
  int changes = 0;
  b.SetOnChange([&](TObject* sender) {
    EXPECT_EQ(sender, &b);
    ++changes;
  });
  b.SetSize(2, 2);
  EXPECT_EQ(changes, 1);
  b.SetSize(2, 2);
  EXPECT_EQ(changes, 1);
  b.SetPixelFormat(pf8bit);
  EXPECT_EQ(changes, 2);
  b.Canvas()->FillRect(Rect(0, 0, 1, 1));
  EXPECT_GE(changes, 3);
  EXPECT_TRUE(b.Modified());
}

TEST(Bitmap, HandleTypeFollowsTheFormat) {
  TBitmap b;
  b.SetPixelFormat(pf8bit);
  b.SetSize(2, 2);
  b.SetPixel(1, 1, clRed);
  EXPECT_EQ(b.HandleType(), bmDIB);
  b.SetHandleType(bmDDB);
  EXPECT_EQ(b.PixelFormat(), pfDevice);
  EXPECT_EQ(b.Pixel(1, 1), clRed);
  b.SetHandleType(bmDIB);
  EXPECT_EQ(b.PixelFormat(), pf32bit);

  TBitmap mono;
  mono.SetMonochrome(true);
  mono.SetHandleType(bmDDB);
  EXPECT_TRUE(mono.Monochrome());
}

TEST(Bitmap, PixelOutsideIsInvalidAndSettingIsIgnored) {
  TBitmap b;
  b.SetSize(2, 2);
  EXPECT_EQ(b.Pixel(2, 0), -1);
  EXPECT_EQ(b.Pixel(0, -1), -1);
  b.SetPixel(5, 5, clRed);  // no effect, no crash
}

TEST(Bitmap, DrawCopiesPixelsAndHonoursTransparency) {
  TBitmap source;
  source.SetPixelFormat(pf24bit);
  source.SetSize(2, 2);
  source.SetPixel(0, 0, clRed);
  source.SetPixel(1, 0, clBlue);
  source.SetPixel(0, 1, clLime);  // bottom-left: the transparent colour
  source.SetPixel(1, 1, clLime);

  TBitmap dest;
  dest.SetPixelFormat(pf24bit);
  dest.SetSize(4, 4);
  dest.Canvas()->Draw(1, 1, &source);
  EXPECT_EQ(dest.Pixel(1, 1), clRed);
  EXPECT_EQ(dest.Pixel(2, 1), clBlue);
  EXPECT_EQ(dest.Pixel(1, 2), clLime);
  EXPECT_EQ(dest.Pixel(0, 0), clWhite);

  TBitmap dest2;
  dest2.SetPixelFormat(pf24bit);
  dest2.SetSize(4, 4);
  source.SetTransparent(true);
  dest2.Canvas()->Draw(0, 0, &source);
  EXPECT_EQ(dest2.Pixel(0, 0), clRed);
  EXPECT_EQ(dest2.Pixel(0, 1), clWhite);  // left out
}

TEST(Bitmap, DrawOfPalettedSourcesGivesTheirColours) {
  for (TPixelFormat format : {pf1bit, pf4bit, pf8bit, pf16bit}) {
    TBitmap source;
    source.SetPixelFormat(format);
    source.SetPalette(TBitmapPalette{{200, 0, 0}, {0, 0, 200}});
    source.SetSize(2, 1);
    source.SetPixel(0, 0, RGB(200, 0, 0));
    source.SetPixel(1, 0, RGB(0, 0, 200));
    TColor left = source.Pixel(0, 0), right = source.Pixel(1, 0);
    TBitmap dest;
    dest.SetPixelFormat(pf24bit);
    dest.SetSize(2, 1);
    dest.Canvas()->Draw(0, 0, &source);
    EXPECT_EQ(dest.Pixel(0, 0), left) << format;
    EXPECT_EQ(dest.Pixel(1, 0), right) << format;
  }
}
