#pragma once
// TGxGIFAnimator: a windowless control that plays the animated GIF picture
// it holds. A frame timer advances the frame after each frame's delay; every
// frame shown is composed into a cached full-screen bitmap by replaying the
// earlier frames by their disposal methods, then drawn stretched, centred or
// at the top-left corner, with its transparent colour left out.
//
// With AsyncDrawing the frames advance (and are composed) on the timer's
// worker thread, so the animation keeps turning while the user-interface
// thread is busy; OnFrameChanged and the stop at the end of a non-looping run
// still reach user code on the user-interface thread.
//
// A handler of the animator's own events (OnFrameChanged, OnStop) may free
// the animator, also while a tick on the worker waits for it: the tick then
// ends without touching the freed animator.
#include <atomic>
#include <memory>

#include "platform/base/Events.h"
#include "widgets/gx/Animate.h"
#include "widgets/gx/GxGIFImage.h"
#include "widgets/gx/GxTimer.h"

class TGxGIFAnimator : public TGxImageControl {
 public:
  explicit TGxGIFAnimator(TComponent* AOwner);
  ~TGxGIFAnimator() override;

  bool AsyncDrawing() const { return FAsyncDrawing; }
  void SetAsyncDrawing(bool Value);
  bool Animate() const { return FAnimate; }
  void SetAnimate(bool Value);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  bool Center() const { return FCenter; }
  void SetCenter(bool Value);
  // Values outside 0 .. FrameCount - 1 are ignored.
  int FrameIndex() const { return FFrameIndex; }
  void SetFrameIndex(int Value);
  // Owned; assigning copies Value into it.
  TGIFImage* Image() const { return FImage.get(); }
  void SetImage(TGIFImage* Value);
  bool Loop() const { return FLoop; }
  void SetLoop(bool Value);
  bool Stretch() const { return FStretch; }
  void SetStretch(bool Value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);

  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent Value) { FOnChange = std::move(Value); }
  const TNotifyEvent& OnFrameChanged() const { return FOnFrameChanged; }
  // Set under the paint lock: a tick on the worker looks at it.
  void SetOnFrameChanged(TNotifyEvent Value);
  const TNotifyEvent& OnStart() const { return FOnStart; }
  void SetOnStart(TNotifyEvent Value) { FOnStart = std::move(Value); }
  const TNotifyEvent& OnStop() const { return FOnStop; }
  void SetOnStop(TNotifyEvent Value) { FOnStop = std::move(Value); }

  void StopAnimation() { SetAnimate(false); }
  // The current frame's delay clamped to 50 .. 10000 ms; 0 with fewer than
  // two frames or an index outside them.
  Cardinal FrameDelayMs() const;
  TGxTimer* FrameTimer() const { return FFrameTimer; }

  // The composed picture of frame Index (the cache, owned by the animator);
  // TransparentColor may be changed to the colour left out when drawing.
  TBitmap* ComposeFrame(int Index, TColor& TransparentColor);
  int FrameCacheIndex() const { return FFrameCacheIndex; }

  // Always true; fills in the image's logical size by Align.
  bool CanAutoSize(int& NewWidth, int& NewHeight);
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

 protected:
  void Paint() override;
  void DrawContent() override;
  void AdjustSize() override;
  bool HasPalette() override;

  virtual void DoChange();
  virtual void DoFrameChanged();
  virtual void DoStart();
  virtual void DoStop();

 private:
  void HandleImageChange(TObject* Sender);
  // Retimes, resizes and repaints after the picture changed, then OnChange.
  void FollowImageChange();
  void AdvanceFrame(TObject* Sender);
  void DropFrameCache();
  void RetimeFrame();

  bool FAsyncDrawing = false;
  bool FAnimate = false;
  bool FAutoSize = false;
  bool FCenter = false;
  std::atomic<int> FFrameIndex{0};
  bool FLoop = true;
  bool FStretch = false;
  bool FTransparent = true;

  TGxTimer* FFrameTimer = nullptr;  // owned through the component tree
  std::unique_ptr<TGIFImage> FImage;
  std::unique_ptr<TBitmap> FFrameCache;
  int FFrameCacheIndex = -1;
  TColor FFrameCacheTransparent = clNone;
  // While SetImage copies a picture under the paint lock, the picture's
  // change is only noted, and followed up after the lock is left.
  bool FAssigningImage = false;
  bool FImageChangedMeanwhile = false;

  TNotifyEvent FOnChange, FOnFrameChanged, FOnStart, FOnStop;

  // False from the start of destruction on. Code that runs user handlers
  // keeps a copy and looks at it before touching the animator again.
  std::shared_ptr<std::atomic<bool>> FAlive = std::make_shared<std::atomic<bool>>(true);
};
