#pragma once
// Slow host work (name look-ups on the LAN, browsing the neighbourhood) runs
// on a thread of its own while the user-interface thread goes on handling
// its messages: windows repaint, timers fire and received datagrams are
// handed over as usual, as they would between any two steps of a handler
// that processes pending messages. The user's clicks and keys wait until the
// work has ended (InputHold.h): to the user the caller is blocked.
#include <functional>

// The application installs its ProcessMessages here; an empty function
// removes it.
void SetMessagePump(std::function<void()> Pump);

// Runs Job on a thread of its own and returns once it has ended, raising
// again what Job raised. On the UI thread with a pump installed, pending
// messages are processed every PumpIntervalMs while Job runs (so datagram,
// timer and hand-over handlers may run inside the caller); elsewhere the caller simply waits.
inline constexpr int PumpIntervalMs = 10;
void RunWhileProcessingMessages(const std::function<void()>& Job);
