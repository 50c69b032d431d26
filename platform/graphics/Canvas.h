#pragma once
// TCanvas: drawing on a TBitmap's pixel memory.
//
// A canvas always draws into a bitmap (a bitmap's own canvas, or a control's
// canvas pointed at its back buffer while it paints). Coordinates given to
// the canvas are logical; a pixel lands at
//     device = logical - WindowOrg + ViewportOrg
// on the bitmap, and only inside the clip (device pixels). Rectangles
// exclude their right column and bottom row; an inverted rectangle is empty.
//
// State that SaveDC/RestoreDC keep: both origins, the clip and meta clip,
// the background mode and colour, the stretch mode. Pen, brush and font are
// the canvas's own objects and are not part of it.
//
// Paletted bitmaps (1, 4, 8 bits) are drawn through a true-colour copy of the
// area drawn on; each changed pixel takes its nearest palette entry.
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/base/Component.h"
#include "platform/base/Events.h"
#include "platform/base/Types.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsObjects.h"
#include "platform/graphics/Region.h"

class TBitmap;
class TGraphic;

// Raster operations of the blits: result from source S and destination D.
inline constexpr DWord SRCCOPY = 0x00CC0020;     // S
inline constexpr DWord SRCPAINT = 0x00EE0086;    // S or D
inline constexpr DWord SRCAND = 0x008800C6;      // S and D
inline constexpr DWord SRCINVERT = 0x00660046;   // S xor D
inline constexpr DWord NOTSRCCOPY = 0x00330008;  // not S

// Background modes: whether text cells are filled with the background colour.
inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;

// Stretch modes. COLORONCOLOR (and the two monochrome modes) take the
// nearest source pixel; HALFTONE averages (area average when shrinking,
// bilinear when enlarging).
inline constexpr int BLACKONWHITE = 1;
inline constexpr int WHITEONBLACK = 2;
inline constexpr int COLORONCOLOR = 3;
inline constexpr int HALFTONE = 4;

// DrawText format flags.
inline constexpr unsigned DT_TOP = 0x0000;
inline constexpr unsigned DT_LEFT = 0x0000;
inline constexpr unsigned DT_CENTER = 0x0001;
inline constexpr unsigned DT_RIGHT = 0x0002;
inline constexpr unsigned DT_VCENTER = 0x0004;      // with DT_SINGLELINE only
inline constexpr unsigned DT_BOTTOM = 0x0008;       // with DT_SINGLELINE only
inline constexpr unsigned DT_WORDBREAK = 0x0010;    // break lines between words
inline constexpr unsigned DT_SINGLELINE = 0x0020;   // one line; CR and LF do not break
inline constexpr unsigned DT_NOCLIP = 0x0100;       // draw outside the rectangle too
inline constexpr unsigned DT_CALCRECT = 0x0400;     // measure only: set Right and Bottom
inline constexpr unsigned DT_NOPREFIX = 0x0800;     // '&' is an ordinary character
inline constexpr unsigned DT_EDITCONTROL = 0x2000;  // break long words; no partly visible last line
inline constexpr unsigned DT_END_ELLIPSIS = 0x8000; // a line that does not fit ends in "..."

class TCanvas : public TPersistent {
 public:
  // Surface may be nullptr (a detached control canvas); drawing on a canvas
  // without a surface raises EInvalidOperation "Canvas does not allow drawing".
  explicit TCanvas(TBitmap* Surface);
  ~TCanvas() override;

  TBitmap* Surface() const { return FSurface; }
  // Points the canvas at another bitmap (or none); the device state is reset
  // as for a new canvas, pen, brush and font stay.
  void SetSurface(TBitmap* Surface);

  // ---- Drawing objects (owned; the setters copy values) ----
  TPen* Pen() const { return FPen.get(); }
  void SetPen(TPen* Value) { FPen->Assign(Value); }
  TBrush* Brush() const { return FBrush.get(); }
  void SetBrush(TBrush* Value) { FBrush->Assign(Value); }
  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  // Raster operation of CopyRect and of drawing bitmaps (SRCCOPY at start).
  DWord CopyMode() const { return FCopyMode; }
  void SetCopyMode(DWord Value) { FCopyMode = Value; }

  // ---- Pixels ----
  // Colour of a pixel; -1 (the host's invalid colour) outside the surface
  // or the clip. Setting obeys the clip.
  TColor Pixels(int X, int Y);
  void SetPixels(int X, int Y, TColor Color);

  // ---- Lines: the end point of LineTo is not drawn ----
  TPoint PenPos() const { return FPenPos; }
  void SetPenPos(TPoint Value) { FPenPos = Value; }
  void MoveTo(int X, int Y);
  void LineTo(int X, int Y);

  // ---- Shapes ----
  // With the brush; a clear brush fills nothing.
  void FillRect(const TRect& Rect);
  // One-pixel frame in the brush colour.
  void FrameRect(const TRect& Rect);
  // Outline with the pen, inside with the brush. The pen is centred on the
  // edge: it reaches Width / 2 pixels outside the rectangle and the rest inside.
  void Rectangle(int X1, int Y1, int X2, int Y2);
  void Rectangle(const TRect& Rect) { Rectangle(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom); }
  // Corners rounded by an ellipse X3 by Y3. With a pen of width 1 the pixels
  // painted are exactly those of CreateRoundRectRgn(X1, Y1, X2, Y2, X3, Y3).
  void RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3);
  void Ellipse(int X1, int Y1, int X2, int Y2);
  void Ellipse(const TRect& Rect) { Ellipse(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom); }
  // The focus frame: every other pixel of the rectangle's edge inverted;
  // drawing it twice restores the pixels.
  void DrawFocusRect(const TRect& Rect);
  // Fills the region (logical coordinates) with the brush.
  void FillRgn(const TRegion& Region);

  // ---- Text (DrawText.cpp) ----
  // The text's cell with its top-left at (X, Y); the cell is filled with
  // BkColor when BkMode is OPAQUE. The pen moves to the end of the text.
  void TextOut(int X, int Y, const std::string& Text);
  // As TextOut, clipped to Rect; an opaque background fills the whole Rect.
  void TextRect(const TRect& Rect, int X, int Y, const std::string& Text);
  int TextWidth(const std::string& Text);
  int TextHeight(const std::string& Text);
  TSize TextExtent(const std::string& Text);
  // Formats Text into Rect by the DT_ flags and returns the height of the
  // text (with DT_VCENTER or DT_BOTTOM: the offset from Rect.Top to the
  // bottom of the text). A '&' underlines the next character and "&&" shows
  // one '&' unless DT_NOPREFIX is given. DT_CALCRECT draws nothing and sets
  // Rect.Right (widest line) and Rect.Bottom (last line).
  int DrawText(const std::string& Text, TRect& Rect, unsigned Format);

  // ---- Pictures (Blit.cpp) ----
  void Draw(int X, int Y, TGraphic* Graphic);
  void StretchDraw(const TRect& Rect, TGraphic* Graphic);
  // Copies Source's rectangle of Canvas into Dest, stretched, with CopyMode.
  void CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source);

  // ---- Device state ----
  int BkMode() const { return FState.BkMode; }
  int SetBkMode(int Mode);  // returns the previous mode
  TColor BkColor() const { return FState.BkColor; }
  TColor SetBkColor(TColor Color);  // returns the previous colour
  int StretchBltMode() const { return FState.StretchMode; }
  int SetStretchBltMode(int Mode);  // returns the previous mode

  TPoint ViewportOrg() const { return FState.ViewportOrg; }
  TPoint SetViewportOrg(int X, int Y);  // returns the previous origin
  TPoint WindowOrg() const { return FState.WindowOrg; }
  TPoint SetWindowOrg(int X, int Y);  // returns the previous origin
  TPoint LogicalToDevice(TPoint P) const;
  TPoint DeviceToLogical(TPoint P) const;

  // The clip's bounds in logical coordinates (the surface when unclipped).
  TRect ClipRect() const;
  // Narrows the clip to a rectangle in logical coordinates.
  void IntersectClipRect(int Left, int Top, int Right, int Bottom);
  // Makes Region (logical coordinates at the time of the call) the clip,
  // within the meta clip; nullptr removes the clip back to the meta clip.
  // The canvas keeps its own copy.
  void SelectClipRgn(const TRegion* Region);
  // Makes the current clip the meta clip, which later clips never leave.
  // Lets a container clip a windowless child to its bounds before the child
  // paints, whatever clips the child selects.
  void SetMetaRgn();

  // Saves the device state; returns its level (1 for the first save).
  int SaveDC();
  // Restores level Saved (negative: relative to the last save, -1 the last
  // one) and drops it and the levels after it. False when there is no such level.
  bool RestoreDC(int Saved);

  // The colour the surface can actually hold nearest to Color: a palette
  // entry for paletted bitmaps, 5 bits a channel for 16-bit ones.
  TColor GetNearestColor(TColor Color);

  // ---- The canvas lock (recursive) ----
  void Lock();
  void Unlock();
  bool TryLock();
  int LockCount() const { return FLockCount.load(); }

  // Fired after each drawing operation that changed the surface.
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent Handler) { FOnChange = std::move(Handler); }

  // ---- For the platform's own drawing code ----
  struct TDeviceState {
    TPoint ViewportOrg;
    TPoint WindowOrg;
    bool Clipped = false;
    TRegion Clip;  // device pixels, valid when Clipped
    bool MetaClipped = false;
    TRegion MetaClip;
    int BkMode = OPAQUE;
    TColor BkColor = clWhite;
    int StretchMode = BLACKONWHITE;
  };
  const TDeviceState& DeviceState() const { return FState; }
  // Raises when there is no surface.
  TBitmap* RequireSurface() const;
  // Device pixels that may be drawn: the surface intersected with the clip.
  TRegion DrawableRegion() const;
  void Changed();

 private:
  void BrushChanged();

  TBitmap* FSurface;
  std::unique_ptr<TPen> FPen;
  std::unique_ptr<TBrush> FBrush;
  std::unique_ptr<TFont> FFont;
  DWord FCopyMode = SRCCOPY;
  TPoint FPenPos;
  TDeviceState FState;
  std::vector<TDeviceState> FSaved;
  std::recursive_mutex FLock;
  std::atomic<int> FLockCount{0};
  TNotifyEvent FOnChange;
};

// Blits between canvases (Blit.cpp). Coordinates are logical on each
// canvas; only the destination's clip applies. Source pixels outside the
// source bitmap read as black. Between a 1-bit and a colour bitmap the
// host's rules apply: a 1-bit source gives the destination's font colour for
// 0 bits and its background colour for 1 bits; a colour source written to a
// 1-bit destination gives white where it has the source's background colour
// and black elsewhere. False for an unknown raster operation or a missing surface.
bool BitBlt(TCanvas* Dest, int X, int Y, int Width, int Height, TCanvas* Source, int XSrc,
            int YSrc, DWord Rop);
// Stretches the source rectangle onto the destination rectangle by the
// destination's stretch mode. Sizes of 0 or below draw nothing.
bool StretchBlt(TCanvas* Dest, int X, int Y, int Width, int Height, TCanvas* Source, int XSrc,
                int YSrc, int WidthSrc, int HeightSrc, DWord Rop);
// As StretchBlt with SRCCOPY, leaving out every source pixel whose colour is
// Transparent (compared at 24 bits after ColorToRGB). Always takes the
// nearest source pixel, so no edge is blended with the transparent colour.
bool TransparentStretchBlt(TCanvas* Dest, int X, int Y, int Width, int Height, TCanvas* Source,
                           int XSrc, int YSrc, int WidthSrc, int HeightSrc, TColor Transparent);
