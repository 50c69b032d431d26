#include "platform/controls/Timer.h"

#include <QTimer>

#include <climits>

#include "platform/base/InputHold.h"
#include "platform/controls/ControlQt.h"

struct TTimer::TImpl {
  QTimer* Host = nullptr;
  bool Firing = false;
  bool* Destroyed = nullptr;  // set by the destructor while OnTimer runs
};

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner), FImpl(std::make_unique<TImpl>()) {
  FImpl->Host = new QTimer();
  FImpl->Host->setTimerType(Qt::PreciseTimer);
  QObject::connect(FImpl->Host, &QTimer::timeout, [this] { Timer(); });
}

TTimer::~TTimer() {
  QTimer* host = FImpl->Host;
  host->stop();
  host->disconnect();
  if (FImpl->Destroyed != nullptr) *FImpl->Destroyed = true;
  // The host timer may be in the middle of emitting the tick that freed us.
  if (FImpl->Firing)
    host->deleteLater();
  else
    delete host;
}

void TTimer::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  UpdateTimer();
}

void TTimer::SetInterval(Cardinal Value) {
  if (Value == FInterval) return;
  FInterval = Value;
  UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent Value) {
  FOnTimer = std::move(Value);
  UpdateTimer();
}

bool TTimer::Running() const { return FImpl->Host->isActive(); }

void TTimer::UpdateTimer() {
  QTimer* host = FImpl->Host;
  host->stop();
  if (!FEnabled || FInterval == 0 || !FOnTimer) return;
  host->start(FInterval > Cardinal(INT_MAX) ? INT_MAX : int(FInterval));
}

void TTimer::Timer() {
  if (!FOnTimer) return;
  // A handler may run the message loop (a nested tick) or free this timer.
  bool destroyed = false;
  bool* outerDestroyed = FImpl->Destroyed;
  const bool outerFiring = FImpl->Firing;
  FImpl->Firing = true;
  FImpl->Destroyed = &destroyed;
  TNotifyEvent handler = FOnTimer;
  TInputHold hold;
  GuardedCall(this, [&] { handler(this); });
  if (destroyed) {
    if (outerDestroyed != nullptr) *outerDestroyed = true;
    return;
  }
  FImpl->Firing = outerFiring;
  FImpl->Destroyed = outerDestroyed;
}
