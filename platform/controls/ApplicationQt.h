#pragma once
// Platform-internal: the message loops of the application. Only platform
// .cpp files include this.
#include <functional>

// Handles messages until Finished returns true (or the application
// terminates). Loops nest; each re-checks Finished whenever WakeModalLoops runs.
void RunModalLoop(const std::function<bool()>& Finished);
// Makes every running loop look at its condition again.
void WakeModalLoops();
// Runs Call from the message loop once the current event has been handled.
void PostToMainLoop(std::function<void()> Call);
