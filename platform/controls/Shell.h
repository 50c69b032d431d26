#pragma once
// The desktop shell: opening a document or web address with the program the
// desktop associates with it, and drawing the user's attention to a window.
#include <functional>
#include <string>
#include <vector>

class TWinControl;

// Opens File with the desktop's handler for it (xdg-open), detached: the call
// returns at once and the opened program outlives ours. Only the verb "open"
// is known. False when the verb is unknown, File is empty or starts with "-"
// (it would reach the opener as an option), or the opener could not start.
bool ShellExecute(const std::string& Verb, const std::string& File);

// Flashes the taskbar entry of Window's top-level window (the urgency hint)
// until the user activates it. Without a window, the application's main form
// or, failing that, its active window is flashed. Invert is accepted for the
// program's calls; the desktop decides how an urgent entry looks.
void FlashWindow(TWinControl* Window, bool Invert);

// Test seams: a launcher that replaces starting a detached program (receives
// the program and its arguments, answers whether it started), and an
// observer told of every flash with the control asked for (possibly null).
// An empty function restores the real behaviour.
using TShellLauncher =
    std::function<bool(const std::string& Program, const std::vector<std::string>& Arguments)>;
void SetShellLauncher(TShellLauncher Launcher);
using TFlashObserver = std::function<void(TWinControl* Window)>;
void SetFlashObserver(TFlashObserver Observer);
