#pragma once
// A small message loop for tests that wait for window messages.
#include <windows.h>

#include <functional>

// Dispatches the thread's messages until Done() is true or TimeoutMs have passed; returns Done().
bool PumpMessagesUntil(const std::function<bool()>& Done, DWORD TimeoutMs);
// Dispatches the thread's messages for Ms milliseconds.
void PumpMessagesFor(DWORD Ms);
// The windows of this thread: top-level ones with all their descendants, and message-only ones.
int CountThreadWindows();
