// Fonts (face mapping, pixel heights) and text on a canvas: TextOut, the
// background modes, and DrawText's alignment, ellipsis, breaking, prefixes
// and measuring.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"

namespace {

std::unique_ptr<TBitmap> WhiteBitmap(int W, int H, TPixelFormat Format = pf24bit) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(Format);
  b->SetSize(W, H);
  TCanvas* c = b->Canvas();
  c->Brush()->SetColor(clWhite);
  c->FillRect(Rect(0, 0, W, H));
  c->Font()->SetName("Arial");
  c->Font()->SetHeight(-13);
  c->Font()->SetColor(clBlack);
  c->SetBkMode(TRANSPARENT);
  return b;
}

TRect Ink(TBitmap& B, TColor Color = clBlack) {
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

bool SamePixels(TBitmap& A, TBitmap& B) {
  for (int y = 0; y < A.Height(); ++y)
    for (int x = 0; x < A.Width(); ++x)
      if (A.Pixel(x, y) != B.Pixel(x, y)) return false;
  return true;
}

// The pixels of a sample text drawn in a face at a height.
std::unique_ptr<TBitmap> Sample(const std::string& Face, int Height, TFontStyles Style = 0) {
  auto b = WhiteBitmap(220, 40);
  b->Canvas()->Font()->SetName(Face);
  b->Canvas()->Font()->SetHeight(Height);
  b->Canvas()->Font()->SetStyle(Style);
  b->Canvas()->TextOut(2, 2, "Quillory Tamblin 1024");
  return b;
}

}  // namespace

// ---- Fonts ----

TEST(TextFont, LayoutFacesMapToInstalledMetricFaces) {
  EXPECT_EQ(FontFaceFor("Arial"), "Liberation Sans");
  EXPECT_EQ(FontFaceFor("MS Sans Serif"), "Liberation Sans");
  EXPECT_EQ(FontFaceFor("ms sans serif"), "Liberation Sans");
  EXPECT_EQ(FontFaceFor("Verdana"), "DejaVu Sans");
  EXPECT_EQ(FontFaceFor("Tahoma"), "Liberation Sans");
  EXPECT_EQ(FontFaceFor("Courier New"), "Liberation Mono");
  EXPECT_EQ(FontFaceFor("No Such Face 123"), "Liberation Sans");
  // The mapped faces are installed and drawn: a layout face draws exactly as
  // its open face named directly, and unlike the other faces.
  for (const char* name : {"Arial", "MS Sans Serif", "Verdana", "Courier New"}) {
    auto mapped = Sample(name, -13);
    auto direct = Sample(FontFaceFor(name), -13);
    EXPECT_TRUE(SamePixels(*mapped, *direct)) << name;
  }
  EXPECT_FALSE(SamePixels(*Sample("Arial", -13), *Sample("Verdana", -13)));
  EXPECT_FALSE(SamePixels(*Sample("Arial", -13), *Sample("Courier New", -13)));
}

TEST(TextFont, NegativeHeightIsTheCharacterHeightInPixels) {
  TFont font;
  EXPECT_EQ(font.Name(), "MS Sans Serif");
  EXPECT_EQ(font.Height(), -11);
  EXPECT_EQ(font.Size(), 8);
  for (int h : {11, 13, 16, 21, 29}) {
    font.SetHeight(-h);
    EXPECT_EQ(font.PixelSize(), h);
  }
  // The character height: a capital's ink is about 0.72 of it in these faces.
  for (int h : {11, 16, 29}) {
    auto b = WhiteBitmap(60, 60);
    b->Canvas()->Font()->SetHeight(-h);
    b->Canvas()->TextOut(5, 5, "H");
    EXPECT_NEAR(Ink(*b).Height(), 0.72 * h, 1.0) << h;
  }
  font.SetSize(10);
  EXPECT_EQ(font.Height(), -13);
  font.SetHeight(-16);
  EXPECT_EQ(font.Size(), 12);
}

TEST(TextFont, PositiveHeightIsTheCellHeight) {
  auto b = WhiteBitmap(10, 10);
  TCanvas* c = b->Canvas();
  for (int h : {13, 16, 24, 32}) {
    c->Font()->SetHeight(h);
    EXPECT_NEAR(c->TextHeight("Xg"), h, 1) << h;
    EXPECT_LT(c->Font()->PixelSize(), h);
  }
}

TEST(TextFont, MeasuresGrowWithSizeAndBold) {
  auto b = WhiteBitmap(10, 10);
  TCanvas* c = b->Canvas();
  c->Font()->SetHeight(-11);
  int small = c->TextWidth("Tamblin 1024");
  c->Font()->SetHeight(-29);
  int large = c->TextWidth("Tamblin 1024");
  c->Font()->SetStyle(fsBold);
  int bold = c->TextWidth("Tamblin 1024");
  EXPECT_GT(large, 2 * small);
  EXPECT_GT(bold, large);
  EXPECT_EQ(c->TextWidth(""), 0);
  EXPECT_EQ(c->TextExtent("Ab").cx, c->TextWidth("Ab"));
  EXPECT_EQ(c->TextExtent("Ab").cy, c->TextHeight("Ab"));
  // A monospaced face: every character the same width.
  c->Font()->SetName("Courier New");
  EXPECT_EQ(c->TextWidth("iiii"), c->TextWidth("MMMM"));
}

TEST(TextFont, StylesChangeTheGlyphs) {
  auto plain = Sample("Arial", -16);
  for (TFontStyles style : {unsigned(fsBold), unsigned(fsItalic), unsigned(fsUnderline), unsigned(fsStrikeOut)}) {
    EXPECT_FALSE(SamePixels(*plain, *Sample("Arial", -16, style))) << style;
  }
  // An underline is one unbroken run of ink across the whole text.
  auto longestRun = [](TBitmap& b) {
    int longest = 0;
    for (int y = 0; y < b.Height(); ++y)
      for (int x = 0, run = 0; x < b.Width(); ++x) {
        run = b.Pixel(x, y) == clBlack ? run + 1 : 0;
        longest = std::max(longest, run);
      }
    return longest;
  };
  auto underlined = Sample("Arial", -16, fsUnderline);
  int width = underlined->Canvas()->TextWidth("Quillory Tamblin 1024");
  EXPECT_GE(longestRun(*underlined), width - 2);
  EXPECT_LT(longestRun(*plain), width / 4);
}

TEST(TextFont, AssignCopiesEveryAttributeAndSignalsOnce) {
  TFont a, b;
  a.SetName("Verdana");
  a.SetHeight(-16);
  a.SetColor(clRed);
  a.SetStyle(fsBold | fsUnderline);
  a.SetPitch(fpVariable);
  a.SetCharset(ANSI_CHARSET);
  int changes = 0;
  b.SetOnChange([&](TObject*) { ++changes; });
  b.Assign(&a);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(b.Name(), "Verdana");
  EXPECT_EQ(b.Height(), -16);
  EXPECT_EQ(b.Color(), clRed);
  EXPECT_EQ(b.Style(), fsBold | fsUnderline);
  EXPECT_EQ(b.Pitch(), fpVariable);
  EXPECT_EQ(b.Charset(), ANSI_CHARSET);
  b.SetHeight(-16);
  EXPECT_EQ(changes, 1);  // an equal value changes nothing
}

// ---- TextOut ----

TEST(TextOut, DrawsAliasedGlyphsInTheFontColourInsideTheCell) {
  auto b = WhiteBitmap(120, 30);
  TCanvas* c = b->Canvas();
  c->Font()->SetColor(clRed);
  c->TextOut(5, 4, "Quillory");
  TRect ink = Ink(*b, clRed);
  ASSERT_FALSE(ink.IsEmpty());
  EXPECT_GE(ink.Left, 5);
  EXPECT_GE(ink.Top, 4);
  EXPECT_LE(ink.Right, 5 + c->TextWidth("Quillory") + 1);
  EXPECT_LE(ink.Bottom, 4 + c->TextHeight("Quillory"));
  // No antialiasing: only the two colours.
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 120; ++x) ASSERT_TRUE(b->Pixel(x, y) == clRed || b->Pixel(x, y) == clWhite);
  EXPECT_EQ(c->PenPos(), Point(5 + c->TextWidth("Quillory"), 4));
}

TEST(TextOut, OpaqueModeFillsTheCellWithTheBackgroundColour) {
  auto b = WhiteBitmap(100, 30);
  TCanvas* c = b->Canvas();
  c->Brush()->SetColor(clYellow);  // selects an opaque yellow background
  c->TextOut(3, 2, "Chat");
  EXPECT_EQ(Ink(*b, clYellow).Left, 3);
  EXPECT_EQ(Ink(*b, clYellow).Top, 2);
  EXPECT_EQ(Ink(*b, clYellow).Bottom, 2 + c->TextHeight("Chat"));
  EXPECT_EQ(b->Pixel(3 + c->TextWidth("Chat"), 10), clWhite);
  // Transparent mode leaves the background.
  auto t = WhiteBitmap(100, 30);
  t->Canvas()->Brush()->SetColor(clYellow);
  t->Canvas()->SetBkMode(TRANSPARENT);
  t->Canvas()->TextOut(3, 2, "Chat");
  EXPECT_TRUE(Ink(*t, clYellow).IsEmpty());
}

TEST(TextOut, EightBitBitmapGetsTheSameGlyphsInPaletteColours) {
  auto deep = WhiteBitmap(100, 24);
  auto paletted = WhiteBitmap(100, 24, pf8bit);
  for (TBitmap* b : {deep.get(), paletted.get()}) {
    b->Canvas()->Font()->SetColor(clBlue);
    b->Canvas()->TextOut(2, 2, "Snapshot 3");
  }
  EXPECT_FALSE(Ink(*paletted, clBlue).IsEmpty());
  EXPECT_TRUE(SamePixels(*deep, *paletted));
  // The rows stay palette indices of white and blue only.
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 100; ++x) {
      TColor p = paletted->Pixel(x, y);
      ASSERT_TRUE(p == clWhite || p == clBlue) << x << "," << y;
    }
}

TEST(TextOut, TextRectClipsToItsRectangle) {
  auto b = WhiteBitmap(100, 30);
  TCanvas* c = b->Canvas();
  c->Brush()->SetStyle(bsClear);
  c->TextRect(Rect(10, 0, 30, 30), 5, 5, "WWWWWWWW");
  TRect ink = Ink(*b);
  EXPECT_EQ(ink.Left, 10);
  EXPECT_EQ(ink.Right, 30);
  // A solid brush fills the whole rectangle first.
  c->Brush()->SetColor(clLime);
  c->TextRect(Rect(40, 2, 60, 20), 40, 2, "A");
  EXPECT_EQ(Ink(*b, clLime).Left, 40);
  EXPECT_EQ(Ink(*b, clLime).Bottom, 20);
}

// ---- DrawText ----

TEST(DrawText, HorizontalAlignment) {
  const TRect box = Rect(10, 5, 190, 30);
  int lefts[3], rights[3];
  unsigned aligns[3] = {DT_LEFT, DT_CENTER, DT_RIGHT};
  for (int i = 0; i < 3; ++i) {
    auto b = WhiteBitmap(200, 40);
    TRect r = box;
    b->Canvas()->DrawText("Refresh All", r, aligns[i] | DT_SINGLELINE);
    lefts[i] = Ink(*b).Left;
    rights[i] = Ink(*b).Right;
  }
  auto m = WhiteBitmap(10, 10);
  int width = m->Canvas()->TextWidth("Refresh All");
  EXPECT_NEAR(lefts[0], 10, 2);
  EXPECT_NEAR(rights[2], 190, 2);
  EXPECT_EQ(lefts[1] - lefts[0], (180 - width) / 2);
  EXPECT_EQ(lefts[2] - lefts[0], 180 - width);
}

TEST(DrawText, VerticalCentreAndBottomOnSingleLines) {
  auto top = WhiteBitmap(100, 60);
  auto mid = WhiteBitmap(100, 60);
  auto bottom = WhiteBitmap(100, 60);
  TRect r = Rect(0, 10, 100, 50);
  int h = top->Canvas()->TextHeight("Online");
  EXPECT_EQ(top->Canvas()->DrawText("Online", r, DT_SINGLELINE), h);
  EXPECT_EQ(mid->Canvas()->DrawText("Online", r, DT_SINGLELINE | DT_VCENTER), (60 - h) / 2 - 10 + h);
  EXPECT_EQ(bottom->Canvas()->DrawText("Online", r, DT_SINGLELINE | DT_BOTTOM), 40);
  EXPECT_EQ(Ink(*mid).Top - Ink(*top).Top, (60 - h) / 2 - 10);
  EXPECT_EQ(Ink(*bottom).Top - Ink(*top).Top, 40 - h);
  // Without DT_SINGLELINE the vertical flags do nothing, as on the host.
  auto multi = WhiteBitmap(100, 60);
  multi->Canvas()->DrawText("Online", r, DT_VCENTER);
  EXPECT_EQ(Ink(*multi).Top, Ink(*top).Top);
}

TEST(DrawText, EndEllipsisKeepsTheLongestFittingStart) {
  const std::string text = "Network clients that are currently online:";
  auto b = WhiteBitmap(200, 30);
  TCanvas* c = b->Canvas();
  TRect r = Rect(5, 5, 105, 25);
  c->DrawText(text, r, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
  TRect ink = Ink(*b);
  EXPECT_LE(ink.Right, 105);
  // Find which start plus "..." was drawn: it must be the longest that fits.
  int kept = -1;
  for (int n = int(text.size()); n >= 0; --n) {
    auto expect = WhiteBitmap(200, 30);
    expect->Canvas()->TextOut(5, 5, text.substr(0, std::size_t(n)) + "...");
    if (SamePixels(*b, *expect)) {
      kept = n;
      break;
    }
  }
  ASSERT_GT(kept, 0);
  EXPECT_LE(c->TextWidth(text.substr(0, std::size_t(kept)) + "..."), 100);
  EXPECT_GT(c->TextWidth(text.substr(0, std::size_t(kept) + 1) + "..."), 100);
  // Text that fits is drawn unchanged.
  auto fits = WhiteBitmap(200, 30);
  auto plain = WhiteBitmap(200, 30);
  TRect wide = Rect(5, 5, 195, 25);
  fits->Canvas()->DrawText("Online", wide, DT_SINGLELINE | DT_END_ELLIPSIS);
  plain->Canvas()->TextOut(5, 5, "Online");
  EXPECT_TRUE(SamePixels(*fits, *plain));
}

TEST(DrawText, WithoutEllipsisLongTextIsClippedToTheRectangle) {
  auto b = WhiteBitmap(200, 30);
  TRect r = Rect(5, 5, 60, 25);
  b->Canvas()->DrawText("WWWWWWWWWWWWWWWW", r, DT_SINGLELINE);
  EXPECT_EQ(Ink(*b).Right, 60);
  auto n = WhiteBitmap(200, 30);
  n->Canvas()->DrawText("WWWWWWWWWWWWWWWW", r, DT_SINGLELINE | DT_NOCLIP);
  EXPECT_GT(Ink(*n).Right, 60);
}

TEST(DrawText, WordBreakPutsWholeWordsOnLines) {
  auto b = WhiteBitmap(200, 80);
  TCanvas* c = b->Canvas();
  int lineHeight = c->TextHeight("A");
  int width = std::max(c->TextWidth("alpha beta"), c->TextWidth("gamma delta")) + 2;
  ASSERT_LT(width, c->TextWidth("alpha beta gamma"));
  TRect r = Rect(0, 0, width, 80);
  int height = c->DrawText("alpha beta gamma delta", r, DT_WORDBREAK | DT_NOPREFIX);
  EXPECT_EQ(height, 2 * lineHeight);
  auto expect = WhiteBitmap(200, 80);
  expect->Canvas()->TextOut(0, 0, "alpha beta");
  expect->Canvas()->TextOut(0, lineHeight, "gamma delta");
  EXPECT_TRUE(SamePixels(*b, *expect));
}

TEST(DrawText, LineBreaksAndEditControlBreaking) {
  auto b = WhiteBitmap(200, 80);
  TCanvas* c = b->Canvas();
  int lineHeight = c->TextHeight("A");
  TRect r = Rect(0, 0, 200, 80);
  EXPECT_EQ(c->DrawText("one\r\ntwo\nthree", r, 0), 3 * lineHeight);
  // A word wider than the line stays whole, or is cut between characters
  // with DT_EDITCONTROL.
  const std::string word = "192.168.100.200-callerid";
  int narrow = c->TextWidth("192.168.1");
  TRect calc = Rect(0, 0, narrow, 0);
  EXPECT_EQ(c->DrawText(word, calc, DT_WORDBREAK | DT_CALCRECT), lineHeight);
  calc = Rect(0, 0, narrow, 0);
  int broken = c->DrawText(word, calc, DT_WORDBREAK | DT_EDITCONTROL | DT_CALCRECT);
  EXPECT_GE(broken, 3 * lineHeight);
  EXPECT_LE(calc.Right, narrow);
}

TEST(DrawText, EditControlDropsAPartlyVisibleLastLine) {
  auto b = WhiteBitmap(200, 80);
  TCanvas* c = b->Canvas();
  int lineHeight = c->TextHeight("A");
  TRect r = Rect(0, 0, 200, lineHeight + lineHeight / 2);
  c->DrawText("first\nsecond", r, DT_EDITCONTROL);
  auto expect = WhiteBitmap(200, 80);
  expect->Canvas()->TextOut(0, 0, "first");
  EXPECT_TRUE(SamePixels(*b, *expect));
}

TEST(DrawText, PrefixUnderlinesAndDoubledAmpersandShowsOne) {
  auto withPrefix = WhiteBitmap(100, 30);
  auto plain = WhiteBitmap(100, 30);
  TRect r = Rect(2, 2, 98, 28);
  withPrefix->Canvas()->DrawText("&File", r, DT_SINGLELINE);
  plain->Canvas()->DrawText("File", r, DT_SINGLELINE);
  // Same glyphs plus an underline below the F: extra pixels only under it.
  int fWidth = plain->Canvas()->TextWidth("F");
  int extra = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 100; ++x) {
      if (withPrefix->Pixel(x, y) == plain->Pixel(x, y)) continue;
      ASSERT_EQ(withPrefix->Pixel(x, y), clBlack);
      EXPECT_GE(x, 2);
      EXPECT_LT(x, 2 + fWidth);
      ++extra;
    }
  EXPECT_GT(extra, 0);

  auto literal = WhiteBitmap(100, 30);
  literal->Canvas()->DrawText("&File", r, DT_SINGLELINE | DT_NOPREFIX);
  auto text = WhiteBitmap(100, 30);
  text->Canvas()->TextOut(2, 2, "&File");
  EXPECT_TRUE(SamePixels(*literal, *text));

  auto doubled = WhiteBitmap(100, 30);
  doubled->Canvas()->DrawText("R&&D", r, DT_SINGLELINE);
  auto single = WhiteBitmap(100, 30);
  single->Canvas()->TextOut(2, 2, "R&D");
  EXPECT_TRUE(SamePixels(*doubled, *single));
}

TEST(DrawText, CalcRectMeasuresWithoutDrawing) {
  auto b = WhiteBitmap(100, 60);
  TCanvas* c = b->Canvas();
  TRect r = Rect(7, 9, 8, 9);
  int h = c->DrawText("Include", r, DT_SINGLELINE | DT_CALCRECT);
  EXPECT_EQ(h, c->TextHeight("Include"));
  EXPECT_EQ(r, Rect(7, 9, 7 + c->TextWidth("Include"), 9 + h));
  EXPECT_TRUE(Ink(*b).IsEmpty());
  TRect two = Rect(0, 0, 100, 0);
  EXPECT_EQ(c->DrawText("a\nlonger line", two, DT_CALCRECT), 2 * h);
  EXPECT_EQ(two.Right, c->TextWidth("longer line"));
  // '&' prefixes are not counted.
  TRect prefixed = Rect(0, 0, 100, 0);
  c->DrawText("&Chat", prefixed, DT_SINGLELINE | DT_CALCRECT);
  EXPECT_EQ(prefixed.Right, c->TextWidth("Chat"));
}

TEST(DrawText, OriginMovesTheText) {
  auto a = WhiteBitmap(120, 40);
  auto b = WhiteBitmap(120, 40);
  TRect r = Rect(0, 0, 80, 20);
  a->Canvas()->SetViewportOrg(30, 12);
  a->Canvas()->DrawText("Stop", r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
  TRect moved = Rect(30, 12, 110, 32);
  b->Canvas()->DrawText("Stop", moved, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
  EXPECT_TRUE(SamePixels(*a, *b));
  EXPECT_FALSE(Ink(*a).IsEmpty());
}
