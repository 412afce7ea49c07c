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

BOOL CALLBACK CountChild(HWND /*Wnd*/, LPARAM Count) {
  ++*reinterpret_cast<int*>(Count);
  return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND Wnd, LPARAM Count) {
  ++*reinterpret_cast<int*>(Count);
  EnumChildWindows(Wnd, CountChild, Count);
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

int CountThreadWindows() {
  int Count = 0;
  EnumThreadWindows(GetCurrentThreadId(), CountTopLevel, reinterpret_cast<LPARAM>(&Count));
  // Message-only windows are not top-level: they are children of the message window.
  for (HWND Wnd = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); Wnd;
       Wnd = FindWindowExA(HWND_MESSAGE, Wnd, nullptr, nullptr))
    if (GetWindowThreadProcessId(Wnd, nullptr) == GetCurrentThreadId())
      CountTopLevel(Wnd, reinterpret_cast<LPARAM>(&Count));
  return Count;
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
