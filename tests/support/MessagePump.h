#pragma once
// A small message loop for tests that wait for window messages.
#include <windows.h>

#include <functional>
#include <vector>

// Dispatches the thread's messages until Done() is true or TimeoutMs have passed; returns Done().
bool PumpMessagesUntil(const std::function<bool()>& Done, DWORD TimeoutMs);
// Dispatches the thread's messages for Ms milliseconds.
void PumpMessagesFor(DWORD Ms);
// The windows of this thread: top-level ones with all their descendants, and message-only ones.
int CountThreadWindows();
// The windows of this thread, children and message-only windows included.
std::vector<HWND> ThreadWindows();
// A visible top-level window of this thread with the given class ("#32770" a dialog, "#32768" a popup
// menu), or nullptr. Other test programs may show theirs on the same display at the same time.
HWND FindThreadWindow(const char* ClassName);
