#include "platform/base/InputHold.h"

#include <QAbstractEventDispatcher>
#include <QThread>

#include <vector>

#include "platform/base/MainThread.h"

namespace {

// The depth of nested message loops at which each running hold began. A
// loop entered inside a hold runs deeper than the hold's own depth.
std::vector<int>& HoldDepths() {
  static std::vector<int> depths;
  return depths;
}

// Message processing left input waiting under the running holds.
bool gInputLeftWaiting = false;

int LoopDepth() { return QThread::currentThread()->loopLevel(); }

}  // namespace

TInputHold::TInputHold() : FHeld(IsMainThread()) {
  if (FHeld) HoldDepths().push_back(LoopDepth());
}

TInputHold::~TInputHold() {
  if (!FHeld) return;
  HoldDepths().pop_back();
  // The window system may have nothing new to say: the loop that takes the
  // waiting input over is woken so that it does not sleep on it.
  if (gInputLeftWaiting && !InputHeld()) {
    gInputLeftWaiting = false;
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance()) dispatcher->wakeUp();
  }
}

bool InputHeld() {
  if (!IsMainThread()) return false;
  const std::vector<int>& depths = HoldDepths();
  const bool held = !depths.empty() && depths.back() == LoopDepth();
  if (held) gInputLeftWaiting = true;
  return held;
}
