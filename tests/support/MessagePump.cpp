#include "tests/support/MessagePump.h"

#include <algorithm>

namespace {

void DispatchPending() {
  MSG Msg;
  while (PeekMessageA(&Msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&Msg);
    DispatchMessageA(&Msg);
  }
}

BOOL CALLBACK AddChild(HWND Wnd, LPARAM Windows) {
  reinterpret_cast<std::vector<HWND>*>(Windows)->push_back(Wnd);
  return TRUE;
}

BOOL CALLBACK AddTopLevel(HWND Wnd, LPARAM Windows) {
  AddChild(Wnd, Windows);
  EnumChildWindows(Wnd, AddChild, Windows);
  return TRUE;
}

}  // namespace

bool PumpMessagesUntil(const std::function<bool()>& Done, DWORD TimeoutMs) {
  const ULONGLONG Start = GetTickCount64();
  for (;;) {
    DispatchPending();
    if (Done()) return true;
    const ULONGLONG Elapsed = GetTickCount64() - Start;
    if (Elapsed >= TimeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE,
                              static_cast<DWORD>(std::min<ULONGLONG>(10, TimeoutMs - Elapsed)), QS_ALLINPUT);
  }
}

void PumpMessagesFor(DWORD Ms) {
  PumpMessagesUntil([] { return false; }, Ms);
}

std::vector<HWND> ThreadWindows() {
  std::vector<HWND> Windows;
  EnumThreadWindows(GetCurrentThreadId(), AddTopLevel, reinterpret_cast<LPARAM>(&Windows));
  // Message-only windows are not top-level: they are children of the message window.
  for (HWND Wnd = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); Wnd;
       Wnd = FindWindowExA(HWND_MESSAGE, Wnd, nullptr, nullptr))
    if (GetWindowThreadProcessId(Wnd, nullptr) == GetCurrentThreadId())
      AddTopLevel(Wnd, reinterpret_cast<LPARAM>(&Windows));
  return Windows;
}

int CountThreadWindows() {
  return static_cast<int>(ThreadWindows().size());
}

namespace {

struct TWindowSearch {
  const char* ClassName;
  HWND Found;
};

BOOL CALLBACK MatchClass(HWND Wnd, LPARAM Param) {
  auto* Search = reinterpret_cast<TWindowSearch*>(Param);
  char Class[64] = {};
  GetClassNameA(Wnd, Class, sizeof Class);
  if (lstrcmpA(Class, Search->ClassName) != 0 || !IsWindowVisible(Wnd)) return TRUE;
  Search->Found = Wnd;
  return FALSE;
}

}  // namespace

HWND FindThreadWindow(const char* ClassName) {
  TWindowSearch Search{ClassName, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), MatchClass, reinterpret_cast<LPARAM>(&Search));
  return Search.Found;
}
