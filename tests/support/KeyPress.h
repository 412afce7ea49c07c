#pragma once
// Key presses as the keyboard makes them, handled by the application's own message loop.
#include <windows.h>

#include <string>

#include "classlib/Controls.h"
#include "classlib/Forms.h"

// Presses Key on Target, the window that has the focus: WM_KEYDOWN and WM_KEYUP as the keyboard driver
// queues them for it, handled by the application's loop (shortcuts, TranslateMessage, the control) while
// the thread's key state shows Ctrl and Shift down as Shift asks. Posted to Target rather than to where
// the focus is now, which windows of other test programs on the same display may take away.
inline void PressKey(HWND Target, WORD Key, TShiftState Shift = 0) {
  BYTE Saved[256];
  GetKeyboardState(Saved);
  BYTE State[256];
  CopyMemory(State, Saved, sizeof State);
  const auto Held = [](bool Down) { return static_cast<BYTE>(Down ? 0x80 : 0); };
  State[VK_CONTROL] = State[VK_LCONTROL] = Held(Shift & ssCtrl);
  State[VK_SHIFT] = State[VK_LSHIFT] = Held(Shift & ssShift);
  SetKeyboardState(State);
  const bool Extended = Key == VK_DELETE || Key == VK_INSERT || Key == VK_HOME || Key == VK_END ||
                        Key == VK_PRIOR || Key == VK_NEXT || (Key >= VK_LEFT && Key <= VK_DOWN);
  const LPARAM Down = 1 | static_cast<LPARAM>(MapVirtualKeyA(Key, MAPVK_VK_TO_VSC)) << 16 |
                      static_cast<LPARAM>(Extended) << 24;
  PostMessageA(Target, WM_KEYDOWN, Key, Down);
  PostMessageA(Target, WM_KEYUP, Key, Down | static_cast<LPARAM>(0xC0000000u));
  Application->ProcessMessages();
  SetKeyboardState(Saved);
}

// Types upper-case letters, digits and blanks as key presses (the letters arrive in lower case).
inline void TypeKeys(HWND Target, const std::string& Keys) {
  for (const char C : Keys) PressKey(Target, static_cast<WORD>(C));
}

// The text of a window.
inline std::string WindowText(HWND Wnd) {
  std::string Text(static_cast<size_t>(GetWindowTextLengthA(Wnd)) + 1, '\0');
  Text.resize(static_cast<size_t>(GetWindowTextA(Wnd, Text.data(), static_cast<int>(Text.size()))));
  return Text;
}
