#include "widgets/gx/GxRegistration.h"

#include "platform/base/Streams.h"
#include "platform/layout/Registry.h"
#include "widgets/gx/Animate.h"
#include "widgets/gx/GIFCtrl.h"
#include "widgets/gx/GxGIFImage.h"
#include "widgets/gx/GxTimer.h"
#include "widgets/gx/IcoList.h"

namespace {

template <class T>
TLayoutFactory Factory() {
  return [](TComponent* owner) -> TComponent* { return new T(owner); };
}

void RegisterTimer() {
  RegisterLayoutEnum<TThreadPriority>({{"tpIdle", tpIdle},
                                       {"tpLowest", tpLowest},
                                       {"tpLower", tpLower},
                                       {"tpNormal", tpNormal},
                                       {"tpHigher", tpHigher},
                                       {"tpHighest", tpHighest},
                                       {"tpTimeCritical", tpTimeCritical}});
  RegisterLayoutClass("TGxTimer", "TComponent", Factory<TGxTimer>());
  RegisterLayoutProperty("TGxTimer", "Enabled", &TGxTimer::SetEnabled);
  RegisterLayoutProperty("TGxTimer", "Interval", &TGxTimer::SetInterval);
  RegisterLayoutProperty("TGxTimer", "SyncEvent", &TGxTimer::SetSyncEvent);
  RegisterLayoutProperty("TGxTimer", "Threaded", &TGxTimer::SetThreaded);
  RegisterLayoutProperty("TGxTimer", "ThreadPriority", &TGxTimer::SetThreadPriority);
  RegisterLayoutEvent("TGxTimer", "OnTimer", &TGxTimer::SetOnTimer);
}

void RegisterAnimator() {
  RegisterLayoutClass("TGxImageControl", "TGraphicControl");
  RegisterLayoutClass("TGxGIFAnimator", "TGxImageControl", Factory<TGxGIFAnimator>());
  RegisterLayoutProperty("TGxGIFAnimator", "AsyncDrawing", &TGxGIFAnimator::SetAsyncDrawing);
  RegisterLayoutProperty("TGxGIFAnimator", "Animate", &TGxGIFAnimator::SetAnimate);
  RegisterLayoutProperty("TGxGIFAnimator", "AutoSize", &TGxGIFAnimator::SetAutoSize);
  RegisterLayoutProperty("TGxGIFAnimator", "Center", &TGxGIFAnimator::SetCenter);
  RegisterLayoutProperty("TGxGIFAnimator", "FrameIndex", &TGxGIFAnimator::SetFrameIndex);
  RegisterLayoutProperty("TGxGIFAnimator", "Loop", &TGxGIFAnimator::SetLoop);
  RegisterLayoutProperty("TGxGIFAnimator", "Stretch", &TGxGIFAnimator::SetStretch);
  RegisterLayoutProperty("TGxGIFAnimator", "Transparent", &TGxGIFAnimator::SetTransparent);
  RegisterLayoutSubObject("TGxGIFAnimator", "Image", "TGIFImage",
                          [](TPersistent* target) -> TPersistent* {
                            return LayoutTarget<TGxGIFAnimator>(target, "Image").Image();
                          });
  // The picture's data is read into a picture of its own and handed over
  // through SetImage, under the paint lock: "Animate" may come earlier in the
  // layout, and the timer's worker may already be drawing the live picture.
  RegisterLayoutProperty("TGxGIFAnimator", "Image.Data",
                         [](TPersistent* target, const TLayoutValue& value, TLayoutContext&) {
                           TGxGIFAnimator& animator = LayoutTarget<TGxGIFAnimator>(target, "Image.Data");
                           const std::vector<Byte>& bytes = value.AsBytes();
                           TMemoryStream stream;
                           if (!bytes.empty()) stream.WriteBuffer(bytes.data(), int(bytes.size()));
                           stream.SetPosition(0);
                           TGIFImage picture;
                           picture.ReadData(&stream);
                           animator.SetImage(&picture);
                         });
  RegisterLayoutEvent("TGxGIFAnimator", "OnChange", &TGxGIFAnimator::SetOnChange);
  RegisterLayoutEvent("TGxGIFAnimator", "OnFrameChanged", &TGxGIFAnimator::SetOnFrameChanged);
  RegisterLayoutEvent("TGxGIFAnimator", "OnStart", &TGxGIFAnimator::SetOnStart);
  RegisterLayoutEvent("TGxGIFAnimator", "OnStop", &TGxGIFAnimator::SetOnStop);
}

}  // namespace

void RegisterGxLayout() {
  RegisterGIFImageLayout();
  RegisterIconListLayout();
  RegisterTimer();
  RegisterAnimator();
}

void RegisterGxGraphics() {
  static const bool registered = [] {
    RegisterGIFGraphic();
    RegisterIconClipboardFormat();
    RegisterGxCursors();
    return true;
  }();
  (void)registered;
}

void UnregisterGxGraphics() { UnregisterGIFGraphic(); }
