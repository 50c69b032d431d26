#pragma once
// Runs the message loop from a test for a while, or until something holds.
#include <chrono>
#include <thread>

#include "platform/controls/Application.h"

// How long a test waits for an event that an idle machine sees within a
// fraction of a second: long enough for a machine ten times slower, busy or
// instrumented. A test that passes waits only as long as the event takes.
inline constexpr int EventWaitMs = 10000;

// Runs the message loop for Ms milliseconds.
inline void Pump(int Ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(Ms);
  while (std::chrono::steady_clock::now() < end) {
    Application->ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

// Runs the message loop until Done() or Ms milliseconds passed; true when Done().
template <class F>
bool PumpUntil(F Done, int Ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(Ms);
  while (std::chrono::steady_clock::now() < end) {
    Application->ProcessMessages();
    if (Done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return Done();
}
