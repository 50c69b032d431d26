#pragma once
// A user's input as the window system delivers it: queued, and handled by
// the next message processing that takes input, in order with any other
// input. Inside work that holds the user's input (InputHold.h) it waits
// until that work has returned; a modal window blocks it from the others.
// For the scripted test peer and tests that need input to arrive at a given
// moment; SimulateInput.h delivers at once instead.
#include <string>

class TControl;

// The mouse moves to the centre of Target and clicks there.
void QueueClick(TControl* Target);
// Two clicks in a row at the centre of Target, as a double click is.
void QueueDoubleClick(TControl* Target);
// Each character of Text pressed and released, to whatever has the focus
// when the keys are handled.
void QueueTyping(const std::string& Text);
