#pragma once
// The user's input waits while the work a call depends on runs: the hand-over
// of a datagram or of another thread's call, a timer tick, a host wait (name
// look-up, neighbourhood browse). Such work may process pending messages in
// its middle; painting, timers and hand-overs then go on, but clicks and keys
// stay queued and are handled in order once the work has returned, as they
// were where these calls blocked. A message loop that the work itself starts
// (a modal window or box) is the user's again: input held is only input that
// would reach the work's own message processing.

// Holds the user's input for as long as it lives (UI thread; elsewhere it
// does nothing). Holds nest.
class TInputHold {
 public:
  TInputHold();
  ~TInputHold();
  TInputHold(const TInputHold&) = delete;
  TInputHold& operator=(const TInputHold&) = delete;

 private:
  bool FHeld = false;
};

// Whether message processing on this thread, right now, must leave the
// user's input queued: a hold is on and no message loop began inside it.
// Message processing asks this; the loop is woken when the hold ends.
bool InputHeld();
