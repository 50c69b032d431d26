#pragma once
// The non-visual timer component: while Enabled, Interval is above zero and
// OnTimer is assigned, OnTimer runs every Interval milliseconds from the
// message loop. An interval of 0 never fires. Changing Interval, Enabled (to a
// new value) or OnTimer restarts the count from that moment.
#include <memory>

#include "platform/base/Component.h"
#include "platform/base/Events.h"
#include "platform/base/Types.h"

class TTimer : public TComponent {
 public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  Cardinal Interval() const { return FInterval; }
  void SetInterval(Cardinal Value);
  const TNotifyEvent& OnTimer() const { return FOnTimer; }
  void SetOnTimer(TNotifyEvent Value);

  // Whether a host timer is counting right now.
  bool Running() const;

 protected:
  // Runs OnTimer; an exception that escapes it goes to the application's
  // error box and the timer keeps running.
  virtual void Timer();

 private:
  struct TImpl;
  void UpdateTimer();

  bool FEnabled = true;
  Cardinal FInterval = 1000;
  TNotifyEvent FOnTimer;
  std::unique_ptr<TImpl> FImpl;
};
