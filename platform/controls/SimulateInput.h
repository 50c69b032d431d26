#pragma once
// Input as the window system would deliver it, for tests and the scripted
// test peer on a display-less machine. Events go the way real input goes:
// to the window under the point (or to the one holding the mouse while a
// button is down), through hit testing of windowless controls, capture,
// enter/leave tracking, and into native controls (an edit gets the typed
// characters). Positions are client coordinates of Target. Nothing is
// handled later: each call returns after the event was handled.
#include <string>

#include "platform/controls/Messages.h"

class TControl;

void SimulateMouseMove(TControl* Target, int X, int Y, TShiftState Shift = 0);
void SimulateMouseDown(TControl* Target, TMouseButton Button, int X, int Y, TShiftState Shift = 0);
void SimulateMouseUp(TControl* Target, TMouseButton Button, int X, int Y, TShiftState Shift = 0);
// A second press that the window system reports as a double click.
void SimulateDoubleClick(TControl* Target, int X, int Y);
// Move to the centre, press and release the left button there.
void SimulateClick(TControl* Target);
// The mouse leaves every window of the program.
void SimulateMouseExit();

// Keys go to the focused control of the active form. Key is a virtual key
// code; printable keys (letters, digits, space, Enter) also type their character.
void SimulateKeyDown(Word Key, TShiftState Shift = 0, bool AutoRepeat = false);
void SimulateKeyUp(Word Key, TShiftState Shift = 0);
void SimulateKey(Word Key, TShiftState Shift = 0);
// Types each character of Text as a key press and release.
void SimulateTyping(const std::string& Text);
