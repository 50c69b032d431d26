#include "widgets/gx/GIFCtrl.h"

#include "platform/base/MainThread.h"
#include "platform/graphics/Canvas.h"
#include "widgets/gx/GxGIFTypes.h"

namespace {

constexpr Cardinal MinFrameDelayMs = 50;
constexpr Cardinal MaxFrameDelayMs = 10000;

TRect FrameRect(TGIFFrame* Frame) {
  return Bounds(Frame->FOrigin.X, Frame->FOrigin.Y, Frame->FrameWidth(), Frame->FrameHeight());
}

}  // namespace

TGxGIFAnimator::TGxGIFAnimator(TComponent* AOwner) : TGxImageControl(AOwner) {
  FFrameTimer = new TGxTimer(this);
  FAutoSize = true;
  FImage = std::make_unique<TGIFImage>();
  FContent = FImage.get();
  FImage->SetOnChange([this](TObject* Sender) { HandleImageChange(Sender); });
  FFrameCacheIndex = -1;
  FFrameCacheTransparent = clNone;
  FLoop = true;
  FTransparent = true;
}

TGxGIFAnimator::~TGxGIFAnimator() {
  *FAlive = false;
  Destroying();
  FOnStart = nullptr;
  FOnStop = nullptr;
  FOnChange = nullptr;
  SetOnFrameChanged(nullptr);
  SetAnimate(false);
  // No tick starts now; freeing the timer waits for one under way, which
  // finds the animator going and leaves the cache and the image alone.
  delete FFrameTimer;
  FFrameTimer = nullptr;
  FFrameCache.reset();
  FImage->SetOnChange(nullptr);
  FContent = nullptr;
  FImage.reset();
  DestroyComponents();
}

// ---------------------------------------------------------------------------

void TGxGIFAnimator::SetImage(TGIFImage* Value) {
  // The copy is made under the paint lock, as a tick on the worker reads the
  // picture under it; what the change sets off (retiming the frame timer,
  // sizing, OnChange) runs once the lock is left.
  FAssigningImage = true;
  FImageChangedMeanwhile = false;
  EnterPaintLock();
  try {
    FImage->Assign(Value);
  } catch (...) {
    LeavePaintLock();
    FAssigningImage = false;
    throw;
  }
  LeavePaintLock();
  FAssigningImage = false;
  if (FImageChangedMeanwhile) FollowImageChange();
}

void TGxGIFAnimator::SetCenter(bool Value) {
  if (Value == FCenter) return;
  EnterPaintLock();
  FCenter = Value;
  LeavePaintLock();
  ContentChanged();
  if (FAnimate) Repaint();
}

void TGxGIFAnimator::SetStretch(bool Value) {
  if (Value == FStretch) return;
  EnterPaintLock();
  FStretch = Value;
  LeavePaintLock();
  ContentChanged();
  if (FAnimate) Repaint();
}

void TGxGIFAnimator::SetTransparent(bool Value) {
  if (Value == FTransparent) return;
  EnterPaintLock();
  FTransparent = Value;
  LeavePaintLock();
  ContentChanged();
  if (FAnimate) Repaint();
}

void TGxGIFAnimator::SetLoop(bool Value) {
  EnterPaintLock();
  FLoop = Value;
  LeavePaintLock();
}

void TGxGIFAnimator::SetOnFrameChanged(TNotifyEvent Value) {
  EnterPaintLock();
  FOnFrameChanged = std::move(Value);
  LeavePaintLock();
}

void TGxGIFAnimator::SetAutoSize(bool Value) {
  if (Value == FAutoSize) return;
  FAutoSize = Value;
  if (FAutoSize) AdjustSize();
}

void TGxGIFAnimator::SetFrameIndex(int Value) {
  if (Value == FFrameIndex || Value < 0 || Value >= FImage->FrameCount()) return;
  EnterPaintLock();
  FFrameIndex = Value;
  LeavePaintLock();
  if (FImage->FrameCount() > 0) RetimeFrame();
  const auto alive = FAlive;
  DoFrameChanged();
  if (*alive) ContentChanged();
}

void TGxGIFAnimator::SetAsyncDrawing(bool Value) {
  if (Value == FAsyncDrawing) return;
  // Bitmaps are drawn under their canvas locks before a tick may compose on
  // the worker. A tick that read the old mode ends in it: the locked drawing
  // stays, so a last frame composed on the worker is safe too. No paint lock
  // is held here: the animator's own state is this flag alone.
  if (Value) InstallLockedBitmapDraw();
  FFrameTimer->SetSyncEvent(!Value);
  FAsyncDrawing = Value;
}

void TGxGIFAnimator::SetAnimate(bool Value) {
  if (Value == FAnimate) return;
  if (Value) {
    FFrameTimer->SetOnTimer([this](TObject* Sender) { AdvanceFrame(Sender); });
    FFrameTimer->SetEnabled(true);
    FAnimate = FFrameTimer->Enabled();
    DoStart();
    return;
  }
  FFrameTimer->SetEnabled(false);
  // The timer's setters run no handler and no handed-over call, so nothing
  // has stopped the animation meanwhile.
  FFrameTimer->SetOnTimer(nullptr);
  FAnimate = false;
  const auto alive = FAlive;
  DoStop();
  if (*alive) ContentChanged();
}

Cardinal TGxGIFAnimator::FrameDelayMs() const {
  const int index = FFrameIndex;
  const int count = FImage->FrameCount();
  if (count < 2 || index < 0 || index >= count) return 0;
  const Cardinal delay = FImage->FrameAt(index)->FDelayMs;
  if (delay < MinFrameDelayMs) return MinFrameDelayMs;
  if (delay > MaxFrameDelayMs) return MaxFrameDelayMs;
  return delay;
}

void TGxGIFAnimator::RetimeFrame() { FFrameTimer->SetInterval(FrameDelayMs()); }

void TGxGIFAnimator::DropFrameCache() {
  FFrameCacheIndex = -1;
  FFrameCache.reset();
  FFrameCacheTransparent = clNone;
}

// ---------------------------------------------------------------------------

void TGxGIFAnimator::AdjustSize() {
  if (IsLoading() || !FAutoSize || !FImage || FImage->Empty()) return;
  SetBounds(Left(), Top(), FImage->LogicalWidth(), FImage->LogicalHeight());
}

bool TGxGIFAnimator::CanAutoSize(int& NewWidth, int& NewHeight) {
  if ((ComponentState() & csDesigning) || !FImage || FImage->Empty()) return true;
  const TAlign align = Align();
  if (align == alNone || align == alLeft || align == alRight) NewWidth = FImage->LogicalWidth();
  if (align == alNone || align == alTop || align == alBottom) NewHeight = FImage->LogicalHeight();
  return true;
}

void TGxGIFAnimator::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (FAutoSize && !IsLoading()) CanAutoSize(AWidth, AHeight);
  TGxImageControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

bool TGxGIFAnimator::HasPalette() { return !FImage->Empty() && !FImage->Palette().empty(); }

void TGxGIFAnimator::Paint() {
  RenderControl();
  if (FImage->Transparent() || FImage->Empty()) DrawDesignFrame();
}

// ---------------------------------------------------------------------------

void TGxGIFAnimator::HandleImageChange(TObject* /*Sender*/) {
  EnterPaintLock();
  DropFrameCache();
  FFrameIndex = FImage->CurrentIndex();
  LeavePaintLock();
  if (FAssigningImage)
    FImageChangedMeanwhile = true;  // followed up by SetImage, with no lock held
  else
    FollowImageChange();
}

void TGxGIFAnimator::FollowImageChange() {
  if (FFrameIndex >= 0 && FImage->FrameCount() > 0) RetimeFrame();
  ContentChanged();
  DoChange();
}

void TGxGIFAnimator::AdvanceFrame(TObject* /*Sender*/) {
  // A windowed control of this host has its window from its construction on,
  // so a parent, shown or hidden, is a window the frame can advance in.
  if ((ControlState() & csPaintCopy) || !Visible() || FImage->FrameCount() < 2 ||
      Parent() == nullptr)
    return;
  bool announce = false, stopAfterThis = false;
  Cardinal delay = 0;
  EnterPaintLock();
  // The animation may have been stopped, or the animator begun to go, while
  // this tick waited for the lock: the frame then stays as it is.
  if (!*FAlive || !FFrameTimer->Enabled()) {
    LeavePaintLock();
    return;
  }
  try {
    announce = bool(FOnFrameChanged);
    const int count = FImage->FrameCount();
    FFrameIndex = FFrameIndex < count - 1 ? FFrameIndex + 1 : 0;
    delay = FrameDelayMs();
    if (!IsMainThread()) {
      // Compose here, so the user-interface thread only has to copy it out.
      TCanvas* canvas = Canvas();
      canvas->Lock();
      try {
        TColor transparent = clNone;
        ComposeFrame(FFrameIndex, transparent);
      } catch (...) {
        canvas->Unlock();
        throw;
      }
      canvas->Unlock();
    }
  } catch (...) {
    LeavePaintLock();
    FFrameTimer->SetInterval(delay);
    throw;
  }
  stopAfterThis = !FLoop && FFrameIndex == 0;
  LeavePaintLock();
  // The next frame's delay, read under the lock, is given to the timer with
  // no lock held: the timer may hand work to the user-interface thread.
  FFrameTimer->SetInterval(delay);

  // No lock is held while work is handed to the user-interface thread. Its
  // handlers may free the animator (and the timer this tick runs on).
  const auto alive = FAlive;
  if (announce) {
    FFrameTimer->RunInMainThread([this] { DoFrameChanged(); });
    if (!*alive) return;
  }
  RepaintFromAnyThread();
  if (stopAfterThis) FFrameTimer->RunInMainThread([this] { StopAnimation(); });
}

TBitmap* TGxGIFAnimator::ComposeFrame(int Index, TColor& TransparentColor) {
  Index = IntMax(0, IntMin(Index, FImage->FrameCount() - 1));
  // Already composed (by a tick on the worker, or an earlier paint).
  if (FFrameCache && FFrameCacheIndex == Index) {
    TransparentColor = FFrameCacheTransparent;
    return FFrameCache.get();
  }
  const bool incremental = FFrameCache && FFrameCacheIndex == Index - 1 &&
                           FFrameCacheIndex >= 0 &&
                           FImage->FrameAt(FFrameCacheIndex)->FDisposalMethod != 3;
  std::unique_ptr<TBitmap> fresh;
  TBitmap* work;
  if (incremental) {
    work = FFrameCache.get();
    TransparentColor = FFrameCacheTransparent;
  } else {
    FFrameCache.reset();
    FFrameCacheIndex = -1;
    fresh = std::make_unique<TBitmap>();
    fresh->SetPixelFormat(pf24bit);
    work = fresh.get();
  }
  TCanvas* canvas = work->Canvas();
  canvas->Lock();
  try {
    if (!incremental) {
      work->SetSize(FImage->LogicalWidth(), FImage->LogicalHeight());
      const int current = FImage->CurrentIndex();
      TGIFFrame* currentFrame =
          current >= 0 && current < FImage->FrameCount() ? FImage->FrameAt(current) : nullptr;
      TColor brush;
      if (currentFrame != nullptr && currentFrame->FTransColor != clNone) {
        TransparentColor = canvas->GetNearestColor(ColorToRGB(currentFrame->FTransColor));
        brush = PaletteRelativeColor(TransparentColor);
      } else if (FImage->BackColor() != clNone && FImage->Transparent()) {
        brush = PaletteRelativeColor(FImage->BackColor());
      } else {
        brush = PaletteRelativeColor(clWindow);
      }
      canvas->Brush()->SetStyle(bsSolid);
      canvas->Brush()->SetColor(brush);
      canvas->FillRect(Rect(0, 0, work->Width(), work->Height()));

      // Replay from the last frame that repaints the whole screen.
      int start = IntMax(0, Index);
      while (start > 0) {
        TGIFFrame* f = FImage->FrameAt(start);
        const bool whole = f->FrameWidth() == FImage->LogicalWidth() &&
                           f->FrameHeight() == FImage->LogicalHeight();
        if (whole && (f->FTransColor == clNone || (f->FDisposalMethod == 2 && start < Index)))
          break;
        --start;
      }
      for (int i = start; i < Index; ++i) {
        TGIFFrame* f = FImage->FrameAt(i);
        if (f->FDisposalMethod <= 1)
          f->StretchDrawFrame(canvas, FrameRect(f), true);
        else if (f->FDisposalMethod == 2 && i != start)
          canvas->FillRect(FrameRect(f));
      }
    } else {
      TGIFFrame* previous = FImage->FrameAt(FFrameCacheIndex);
      if (previous->FDisposalMethod == 2) canvas->FillRect(FrameRect(previous));
    }
    TGIFFrame* frame = FImage->FrameAt(Index);
    frame->StretchDrawFrame(canvas, FrameRect(frame), true);
    if (!incremental && TransparentColor != clNone && FTransparent) {
      work->SetTransparentColor(PaletteRelativeColor(TransparentColor));
      work->SetTransparent(true);
    }
  } catch (...) {
    canvas->Unlock();
    throw;  // a fresh bitmap goes with `fresh`; the cache stays empty
  }
  canvas->Unlock();
  if (fresh) FFrameCache = std::move(fresh);
  FFrameCacheIndex = Index;
  FFrameCacheTransparent = TransparentColor;
  return FFrameCache.get();
}

void TGxGIFAnimator::DrawContent() {
  if (FImage->Transparent() || FImage->Empty()) PaintParentBackground(this, Canvas());
  if (FImage->Empty() || FImage->LogicalWidth() <= 0 || FImage->LogicalHeight() <= 0) return;
  TColor transparent = clNone;
  TBitmap* bitmap = ComposeFrame(FFrameIndex, transparent);
  TCanvas* source = bitmap->Canvas();
  source->Lock();
  try {
    TRect target;
    if (FStretch)
      target = Rect(0, 0, ClientWidth(), ClientHeight());
    else if (FCenter)
      target = Bounds((ClientWidth() - bitmap->Width()) / 2, (ClientHeight() - bitmap->Height()) / 2,
                      bitmap->Width(), bitmap->Height());
    else
      target = Rect(0, 0, bitmap->Width(), bitmap->Height());
    const TColor leftOut = (transparent == clNone || !FTransparent) ? clNone : transparent;
    StretchBitmapRectMasked(Canvas(), target.Left, target.Top, RectWidth(target),
                            RectHeight(target), Rect(0, 0, bitmap->Width(), bitmap->Height()),
                            bitmap, leftOut);
  } catch (...) {
    source->Unlock();
    throw;
  }
  source->Unlock();
}

// ---------------------------------------------------------------------------

// Each event runs a copy of its handler: the handler may free the animator,
// and with it the handler stored here.
namespace {
void Fire(const TNotifyEvent& Event, TObject* Sender) {
  if (!Event) return;
  const TNotifyEvent handler = Event;
  handler(Sender);
}
}  // namespace

void TGxGIFAnimator::DoChange() { Fire(FOnChange, this); }
void TGxGIFAnimator::DoFrameChanged() { Fire(FOnFrameChanged, this); }
void TGxGIFAnimator::DoStart() { Fire(FOnStart, this); }
void TGxGIFAnimator::DoStop() { Fire(FOnStop, this); }
