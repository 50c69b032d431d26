#pragma once
// Skinned controls that count what they do (rebuilds of their caches,
// repaint requests, paints) and let a test drive the fade timer by hand.
#include <chrono>
#include <thread>

#include "platform/controls/Application.h"
#include "platform/controls/Form.h"
#include "widgets/sk/SkButton.h"
#include "widgets/sk/SkPanel.h"

template <class Base>
class TCounting : public Base {
 public:
  using Base::Base;
  int Rebuilds = 0;
  int Invalidates = 0;
  int Paints = 0;

  void RebuildBitmaps() override {
    ++Rebuilds;
    Base::RebuildBitmaps();
  }
  void Invalidate() override {
    ++Invalidates;
    Base::Invalidate();
  }
  void ResetCounts() { Rebuilds = Invalidates = Paints = 0; }

  // While held, ticks of the real window timer are dropped: only Tick()
  // moves the fade, so a test can stop it at any step.
  bool HoldTimer = false;

  // One tick of the fade timer, as the window system would deliver it.
  void Tick() {
    FTicking = true;
    this->WMTimer(1);
    FTicking = false;
  }
  // Paints the control into its paint buffer now.
  void PaintNow() { this->Paint(); }

 protected:
  void Paint() override {
    ++Paints;
    Base::Paint();
  }
  void WMTimer(int Id) override {
    if (HoldTimer && !FTicking) return;
    Base::WMTimer(Id);
  }

 private:
  bool FTicking = false;
};

using TProbePanel = TCounting<TSkPanel>;
using TProbeButton = TCounting<TSkButton>;

// Handles messages for about Milliseconds.
inline void PumpFor(int Milliseconds) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(Milliseconds);
  while (std::chrono::steady_clock::now() < end) {
    Application->ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

template <class F>
bool WaitFor(F Done, int Milliseconds = 3000) {
  for (int waited = 0; waited < Milliseconds; waited += 5) {
    if (Done()) return true;
    PumpFor(5);
  }
  return Done();
}
