#pragma once
// The windowless image-control base and the small drawing and memory
// routines shared by the imaging widgets.
//
// TGxImageControl serialises state changes with a paint lock and paints under
// its canvas lock, so a subclass may change frames and repaint from a second
// thread. What it shows is drawn by DrawContent. Lock order, always: the
// paint lock, the control's canvas lock, the canvas lock of a cached bitmap,
// the canvas lock of the bitmap being drawn.
#include <cstddef>

#include "platform/base/Threads.h"
#include "platform/base/Types.h"
#include "platform/controls/Control.h"
#include "platform/controls/CustomControl.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Color.h"

class TCanvas;
class TGraphic;

// Cursor ids of the widgets' hand and drag cursors, and the names of their
// cursor resources.
inline constexpr TCursor crHandCursor = 14000;
inline constexpr TCursor crDragCursor = 14001;
inline constexpr const char* HandCursorResource = "GX_HANDCUR";
inline constexpr const char* DragCursorResource = "GX_DRAGCUR";

// Enters the hand and drag cursors into the screen's cursor table (at
// program start; the application object must exist).
void RegisterGxCursors();

// The text of "not offered" operations.
inline constexpr const char* SNotImplemented = "Function not yet implemented";

class TGxImageControl : public TGraphicControl {
 public:
  explicit TGxImageControl(TComponent* AOwner);
  ~TGxImageControl() override;

  // No handler and no call handed over from another thread runs while a
  // paint lock is held, so no two controls' paint locks are held together.
  void EnterPaintLock();
  void LeavePaintLock();

  // The whole paint: fills the client rectangle with Color, then DrawContent.
  void RenderControl();
  // A dashed frame round the control, at design time only.
  void DrawDesignFrame();
  // Repaints now on the user-interface thread; from any other thread the
  // paint is handed to the user-interface thread without waiting for it.
  void RepaintFromAnyThread();
  // Realises a changed palette of the content; true when the form was told.
  bool RealizeGraphicPalette();
  // After the content or a drawing property changed: size, palette, repaint.
  void ContentChanged();

  // True while RenderControl runs.
  bool IsPainting() const { return FPainting; }

 protected:
  virtual void DrawContent() = 0;
  // RenderControl, then the design frame.
  void Paint() override;
  // The size adjustment run by ContentChanged. Default: nothing.
  virtual void AdjustSize() {}
  // Whether the control shows a palette that needs realising. Default: none.
  virtual bool HasPalette() { return false; }

  TGraphic* FContent = nullptr;  // not owned

 private:
  bool FPainting = false;
  TCriticalSection FPaintLock;
};

// The paint locks of image controls the calling thread holds, each entry
// counted; none while a handler or a handed-over call runs.
int PaintLocksHeld();

// From the first call on, drawing any plain TBitmap locks that bitmap's canvas
// for the duration of the draw, process-wide; never undone.
void InstallLockedBitmapDraw();

// Paints what the parent shows under Control (its own content and the
// windowless siblings below Control) into Canvas, whose origin is Control's
// top-left corner. Windowed siblings are not painted.
void PaintParentBackground(TControl* Control, TCanvas* Canvas);

// Stretch-copies the source rectangle onto the destination, leaving out
// every source pixel of Transparent. Palette may be nullptr.
void MaskedStretchBlt(TCanvas* Dest, int DX, int DY, int DW, int DH, TCanvas* Source, int SX,
                      int SY, int SW, int SH, const TBitmapPalette* Palette, TColor Transparent);
// Draws Bitmap's source rectangle into the destination rectangle: a width or
// height of 0 or less there takes the bitmap's; an empty source rectangle
// takes the whole bitmap. clNone draws opaquely; clDefault stands for the
// bottom-left pixel's colour; a monochrome bitmap always leaves out white.
void StretchBitmapMasked(TCanvas* Canvas, TBitmap* Bitmap, TColor Transparent, int DX, int DY,
                         int DW, int DH, int SX, int SY, int SW, int SH);
void StretchBitmapRectMasked(TCanvas* Canvas, int DX, int DY, int DW, int DH, const TRect& Source,
                             TBitmap* Bitmap, TColor Transparent);
// RGB with bit 0x02000000 set (the palette-relative form).
TColor PaletteRelativeColor(TColor Color);

inline int RectWidth(const TRect& R) { return R.Right - R.Left; }
inline int RectHeight(const TRect& R) { return R.Bottom - R.Top; }
inline int IntMax(int A, int B) { return A > B ? A : B; }
inline int IntMin(int A, int B) { return A < B ? A : B; }

// A zero-filled block of Size bytes; nullptr for a size of 0 or less.
// EOutOfMemory when it cannot be had.
void* AllocGlobalBlock(int Size);
// Frees a block of AllocGlobalBlock and sets Block to nullptr; nothing for nullptr.
void FreeGlobalBlock(void*& Block);
bool MemoryEqual(const void* A, const void* B, std::size_t Length);
inline void* OffsetPointer(void* P, std::ptrdiff_t Offset) { return static_cast<Byte*>(P) + Offset; }
inline const void* OffsetPointer(const void* P, std::ptrdiff_t Offset) {
  return static_cast<const Byte*>(P) + Offset;
}
void CopyMemoryBlock(void* Dest, const void* Source, std::size_t Count);
// Shows "Function not yet implemented" and ends the calling operation silently (EAbort).
[[noreturn]] void ShowNotImplemented();
