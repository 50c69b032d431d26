#pragma once
// Calls handed from other threads to the user-interface thread. The message
// loop (and ProcessMessages) drains them with CheckSynchronize; a wake-up hook
// lets the loop notice new work at once.
#include <functional>

// The thread that called MarkMainThread (the application does, at start).
void MarkMainThread();
bool IsMainThread();

// Runs Call on the UI thread and waits until it has returned. Called on the
// UI thread itself, it runs Call at once. An exception raised by Call is
// re-raised in the waiting thread.
void Synchronize(std::function<void()> Call);

// Hands Call to the UI thread without waiting.
void Queue(std::function<void()> Call);

// Runs every call handed over so far (UI thread only); true when any ran.
// Calls handed over meanwhile, also by the calls it runs, wait for the next
// drain, so the message loop gets its turn in between.
bool CheckSynchronize();

// Called (from any thread) whenever a call has been handed over. Returns
// only when no thread is still running the hook it replaces. The hook must
// not hand calls over itself.
void SetWakeMainThread(std::function<void()> Wake);
