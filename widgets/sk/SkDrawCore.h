#pragma once
// Drawing routines the skinned panel and button paint with. They keep no
// state; everything they touch is passed in.
//
// The pixel routines (FillGradient, BlendRect, Supersample) work on 24-bit
// rows directly (bytes blue, green, red; row 0 at the top) with doubles and
// rounding to the nearest integer, halves to even. A bitmap handed to them in
// another format is converted to 24 bits first.
#include <string>

#include "platform/base/Types.h"
#include "platform/graphics/Color.h"
#include "widgets/sk/SkTypes.h"

class TBitmap;
class TCanvas;
class TFont;
class TRegion;

// Fills Rect of Bitmap with a gradient from From to To in the shape Type;
// with a Region only the pixels inside it. Equal colours (as passed, before
// system colours are resolved) give a solid fill through the canvas.
// Pixels of Rect outside the bitmap are skipped; the shape is still measured
// on the whole of Rect.
void FillGradient(TBitmap* Bitmap, const TRect& Rect, TColor From, TColor To,
                  TGradientType Type, const TRegion* Region);

// Draws one caption: enabled with an optional one-pixel shadow at (+1, +1),
// disabled embossed (highlight colour at (+1, +1), shadow colour on top).
// The canvas font takes every attribute of Font first.
void DrawCaptionText(TCanvas* Canvas, const std::string& Text, TFont* Font, bool Enabled,
                     const TRect& Rect, int Format, bool Shadow, TColor ShadowColor);

// Copies Base into Dest at (Rect.Left + Offset, Rect.Top + Offset), size
// (width - Offset, height - Offset) from Base's corner; then, for a Percent
// above 0, blends Overlay over Rect by min(Percent, 100). Base may be Dest.
void BlendBitmap(TBitmap* Dest, TBitmap* Base, TBitmap* Overlay, int Percent, const TRect& Rect,
                 int Offset);

// Blends Overlay (read from its own top-left corner) into Rect of Dest:
// each byte becomes Round(dest * keep + overlay * take) with
// keep = (100 - Percent) / 100 and take = 1 - keep. Percent is clamped to
// 0..100; the rectangle is cut to both bitmaps.
void BlendRect(TBitmap* Dest, TBitmap* Overlay, const TRect& Rect, int Percent);

// DrawText flags of a caption: vertically centred, no prefix, end ellipsis,
// the alignment (0 left, 1 right, 2 centre; other values add none) and word
// break or a single line.
void TextFormatFlags(Byte Alignment, bool WordWrap, int& Flags);

// Turns every pixel grey ((r + g + b) div 3) and adds Tint per channel,
// capped at 255.
void GrayTint(TBitmap* Bitmap, TColor Tint);

// Writes the Factor x Factor box average of Large into the edge band of
// Small (pixels with x or y <= Zone div 2, or >= the size - Zone div 2) and
// fills the inside rectangle with InnerColor. A Zone below 1 means Factor.
// Blocks that would read outside Large are left as they are.
void Supersample(TBitmap* Large, TBitmap* Small, int Factor, int Zone, TColor InnerColor);

// The length a gradient of this shape runs over in Rect (may be 0 or
// negative for degenerate rectangles; FillGradient then divides by 1).
int GradientLength(const TRect& Rect, TGradientType Type);
