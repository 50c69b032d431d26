#include "widgets/gx/Animate.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/base/Exceptions.h"
#include "platform/base/MainThread.h"
#include "platform/controls/Application.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Form.h"
#include "platform/controls/ResourcePictures.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphic.h"

namespace {

// The parent's own painting and a sibling's Paint are protected; these
// subclasses only name them so that a pointer to them can be taken.
struct TWinControlPainter : TWinControl {
  using TWinControl::PaintWindow;
};
struct TGraphicControlPainter : TGraphicControl {
  using TGraphicControl::Paint;
};

// Marks a control as being painted as a copy for as long as it lives; a mark
// that was there before stays.
class TPaintCopyMark {
 public:
  explicit TPaintCopyMark(TControl* Control)
      : FControl(Control), FHad(Control->ControlState() & csPaintCopy) {
    if (!FHad) FControl->SetControlState(FControl->ControlState() | csPaintCopy);
  }
  ~TPaintCopyMark() {
    if (!FHad) FControl->SetControlState(FControl->ControlState() & ~TControlState(csPaintCopy));
  }
  TPaintCopyMark(const TPaintCopyMark&) = delete;
  TPaintCopyMark& operator=(const TPaintCopyMark&) = delete;

 private:
  TControl* FControl;
  bool FHad;
};

bool Intersects(const TRect& A, const TRect& B) {
  return A.Left < B.Right && B.Left < A.Right && A.Top < B.Bottom && B.Top < A.Bottom;
}

// Paints a windowless sibling into Surface (the parent's buffer) within Clip
// (parent coordinates), through the sibling's own canvas.
void PaintSiblingCopy(TGraphicControl* Sibling, TBitmap* Surface, const TRect& Clip) {
  TPaintCopyMark mark(Sibling);
  TCanvas* canvas = Sibling->Canvas();
  canvas->Lock();
  if (canvas->Surface() != nullptr) {  // it is painting itself right now
    canvas->Unlock();
    return;
  }
  try {
    canvas->SetSurface(Surface);
    canvas->SetWindowOrg(-Sibling->Left(), -Sibling->Top());
    canvas->IntersectClipRect(0, 0, Sibling->Width(), Sibling->Height());
    canvas->IntersectClipRect(Clip.Left - Sibling->Left(), Clip.Top - Sibling->Top(),
                              Clip.Right - Sibling->Left(), Clip.Bottom - Sibling->Top());
    canvas->SetMetaRgn();
    (Sibling->*(&TGraphicControlPainter::Paint))();
  } catch (...) {
    canvas->SetSurface(nullptr);
    canvas->Unlock();
    throw;
  }
  canvas->SetSurface(nullptr);
  canvas->Unlock();
}

}  // namespace

// ---------------------------------------------------------------------------

TGxImageControl::TGxImageControl(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetControlStyle(ControlStyle() | csCaptureMouse | csClickEvents | csOpaque | csDoubleClicks |
                  csReplicatable);
  SetBounds(Left(), Top(), 105, 105);
  SetParentColor(true);
}

TGxImageControl::~TGxImageControl() = default;

namespace {
thread_local int PaintLocksOfThisThread = 0;
}  // namespace

int PaintLocksHeld() { return PaintLocksOfThisThread; }

void TGxImageControl::EnterPaintLock() {
  FPaintLock.Enter();
  ++PaintLocksOfThisThread;
}

void TGxImageControl::LeavePaintLock() {
  --PaintLocksOfThisThread;
  FPaintLock.Leave();
}

void TGxImageControl::Paint() {
  RenderControl();
  DrawDesignFrame();
}

void TGxImageControl::RenderControl() {
  TCanvas* canvas = Canvas();
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(Color());
  canvas->FillRect(Rect(0, 0, ClientWidth(), ClientHeight()));
  const bool wasPainting = FPainting;
  FPainting = true;
  try {
    DrawContent();
  } catch (...) {
    FPainting = wasPainting;
    throw;
  }
  FPainting = wasPainting;
}

void TGxImageControl::DrawDesignFrame() {
  if (!(ComponentState() & csDesigning)) return;
  TCanvas* canvas = Canvas();
  canvas->Pen()->SetStyle(psDash);
  canvas->Brush()->SetStyle(bsClear);
  canvas->Rectangle(0, 0, Width(), Height());
}

void TGxImageControl::RepaintFromAnyThread() {
  if (IsMainThread())
    Repaint();
  else
    Invalidate();  // handed to the user-interface thread; the caller does not wait
}

bool TGxImageControl::RealizeGraphicPalette() {
  if (!Visible() || IsLoading() || FContent == nullptr || !FContent->PaletteModified())
    return false;
  if (!HasPalette()) {
    FContent->SetPaletteModified(false);
    return false;
  }
  TCustomForm* form = ParentForm();
  if (form != nullptr && form->Active()) {
    // A true-colour surface has nothing to realise; telling the form is all.
    FContent->SetPaletteModified(false);
    return true;
  }
  return false;
}

void TGxImageControl::ContentChanged() {
  if (IsDestroying()) return;
  AdjustSize();
  if (FContent != nullptr) RealizeGraphicPalette();
  // Inside a paint the content is drawn right after; otherwise paint later.
  if (!FPainting) Invalidate();
}

// ---------------------------------------------------------------------------

void PaintParentBackground(TControl* Control, TCanvas* Canvas) {
  if (Control == nullptr || Control->Parent() == nullptr) return;
  TWinControl* parent = Control->Parent();
  const TRect self = Control->BoundsRect();
  TPaintCopyMark mark(parent);

  // A parent that paints on its own canvas is held to the control's area.
  auto* custom = dynamic_cast<TCustomControl*>(parent);
  TCanvas* parentCanvas = custom != nullptr ? custom->Canvas() : nullptr;
  const int saved = Canvas->SaveDC();
  const int parentSaved = parentCanvas != nullptr ? parentCanvas->SaveDC() : 0;
  auto restore = [&] {
    if (parentCanvas != nullptr) parentCanvas->RestoreDC(parentSaved);
    Canvas->RestoreDC(saved);
  };
  try {
    // Parent coordinates from here on: the parent's (Left, Top) lands where
    // the control's (0, 0) did.
    const TPoint viewport = Canvas->ViewportOrg();
    Canvas->SetViewportOrg(viewport.X - Control->Left(), viewport.Y - Control->Top());
    Canvas->IntersectClipRect(0, 0, parent->ClientWidth(), parent->ClientHeight());
    if (parentCanvas != nullptr)
      parentCanvas->IntersectClipRect(self.Left, self.Top, self.Right, self.Bottom);
    (parent->*(&TWinControlPainter::PaintWindow))(Canvas);
  } catch (...) {
    restore();
    throw;
  }
  restore();

  TBitmap* surface = Canvas->Surface();
  if (surface == nullptr) return;
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* child = parent->Controls(i);
    if (child == Control) break;
    auto* sibling = dynamic_cast<TGraphicControl*>(child);
    if (sibling == nullptr || !sibling->Visible() || !Intersects(sibling->BoundsRect(), self))
      continue;
    PaintSiblingCopy(sibling, surface, self);
  }
}

// ---------------------------------------------------------------------------

void RegisterGxCursors() {
  Screen->SetCursors(crHandCursor, LoadCursor(HInstance, HandCursorResource));
  Screen->SetCursors(crDragCursor, LoadCursor(HInstance, DragCursorResource));
}

void InstallLockedBitmapDraw() { EnableLockedBitmapDraw(); }

void MaskedStretchBlt(TCanvas* Dest, int DX, int DY, int DW, int DH, TCanvas* Source, int SX,
                      int SY, int SW, int SH, const TBitmapPalette* /*Palette*/,
                      TColor Transparent) {
  // Surfaces here are true colour: the palette needs no realising, and the
  // host's masked blit does the mask, inverse mask and combine in one pass.
  TransparentStretchBlt(Dest, DX, DY, DW, DH, Source, SX, SY, SW, SH,
                        PaletteRelativeColor(Transparent));
}

void StretchBitmapMasked(TCanvas* Canvas, TBitmap* Bitmap, TColor Transparent, int DX, int DY,
                         int DW, int DH, int SX, int SY, int SW, int SH) {
  if (DW <= 0) DW = Bitmap->Width();
  if (DH <= 0) DH = Bitmap->Height();
  if (SW <= 0 || SH <= 0) {
    SX = 0;
    SY = 0;
    SW = Bitmap->Width();
    SH = Bitmap->Height();
  }
  const bool monochrome = Bitmap->Monochrome();
  if (!monochrome) Canvas->SetStretchBltMode(COLORONCOLOR);
  TCanvas* source = Bitmap->Canvas();
  source->Lock();
  TNotifyEvent onChange = Bitmap->OnChange();
  Bitmap->SetOnChange(nullptr);
  auto restore = [&] {
    Bitmap->SetOnChange(onChange);
    source->Unlock();
  };
  try {
    if (Transparent == clNone) {
      StretchBlt(Canvas, DX, DY, DW, DH, source, SX, SY, SW, SH, Canvas->CopyMode());
    } else {
      TColor colour = Transparent;
      if (colour == clDefault) colour = Bitmap->Pixel(0, Bitmap->Height() - 1);
      colour = monochrome ? TColor(0xFFFFFF) : ColorToRGB(colour);
      const TBitmapPalette& palette = Bitmap->Palette();
      MaskedStretchBlt(Canvas, DX, DY, DW, DH, source, SX, SY, SW, SH,
                       palette.empty() ? nullptr : &palette, colour);
    }
  } catch (...) {
    restore();
    throw;
  }
  restore();
}

void StretchBitmapRectMasked(TCanvas* Canvas, int DX, int DY, int DW, int DH, const TRect& Source,
                             TBitmap* Bitmap, TColor Transparent) {
  StretchBitmapMasked(Canvas, Bitmap, Transparent, DX, DY, DW, DH, Source.Left, Source.Top,
                      RectWidth(Source), RectHeight(Source));
}

TColor PaletteRelativeColor(TColor Color) { return (ColorToRGB(Color) & 0xFFFFFF) | 0x02000000; }

// ---------------------------------------------------------------------------

void* AllocGlobalBlock(int Size) {
  if (Size <= 0) return nullptr;
  void* block = std::calloc(std::size_t(Size), 1);
  if (block == nullptr) throw EOutOfMemory("Out of memory");
  return block;
}

void FreeGlobalBlock(void*& Block) {
  if (Block == nullptr) return;
  std::free(Block);
  Block = nullptr;
}

bool MemoryEqual(const void* A, const void* B, std::size_t Length) {
  const Byte* a = static_cast<const Byte*>(A);
  const Byte* b = static_cast<const Byte*>(B);
  std::size_t i = 0;
  for (; i + 4 <= Length; i += 4) {
    std::uint32_t wa, wb;
    std::memcpy(&wa, a + i, 4);
    std::memcpy(&wb, b + i, 4);
    if (wa != wb) return false;
  }
  for (; i < Length; ++i)
    if (a[i] != b[i]) return false;
  return true;
}

void CopyMemoryBlock(void* Dest, const void* Source, std::size_t Count) {
  if (Count != 0) std::memmove(Dest, Source, Count);
}

void ShowNotImplemented() {
  if (Screen != nullptr) Screen->SetCursor(crDefault);
  MessageDlg(SNotImplemented, mtInformation, mbOK);
  throw EAbort();
}
