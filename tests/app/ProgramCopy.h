#pragma once
// A copy of the player program started by a test: its windows, its playlist, its end.
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

struct TWindowSearch {
  DWORD ProcessId;
  const wchar_t* ClassName;
  HWND Found;
};

inline BOOL CALLBACK MatchWindow(HWND Wnd, LPARAM Param) {
  auto* Search = reinterpret_cast<TWindowSearch*>(Param);
  DWORD Id = 0;
  wchar_t Class[64] = {};
  GetWindowThreadProcessId(Wnd, &Id);
  GetClassNameW(Wnd, Class, 64);
  if (Id != Search->ProcessId || lstrcmpW(Class, Search->ClassName) != 0) return TRUE;
  Search->Found = Wnd;
  return FALSE;
}

// The list that takes dropped files.
inline BOOL CALLBACK MatchDropTarget(HWND Wnd, LPARAM Param) {
  if (!(GetWindowLongW(Wnd, GWL_EXSTYLE) & WS_EX_ACCEPTFILES)) return TRUE;
  *reinterpret_cast<HWND*>(Param) = Wnd;
  return FALSE;
}

// A started copy of the program, ended with the test.
class TCopy {
 public:
  // Flags CREATE_SUSPENDED: it waits for Resume.
  TCopy(const std::wstring& Program, std::wstring CmdLine, const std::wstring& Folder, DWORD Flags = 0) {
    STARTUPINFOW Startup{};
    Startup.cb = sizeof Startup;
    // Wine now and then refuses a start on a loaded machine; nothing ran, so it is asked again.
    for (int Try = 0; Try < 5 && !Started; ++Try) {
      if (Try) Sleep(200);
      std::wstring Line = CmdLine;
      Started = CreateProcessW(Program.c_str(), Line.data(), nullptr, nullptr, FALSE, Flags, nullptr,
                               Folder.c_str(), &Startup, &FInfo) != FALSE;
    }
  }
  void Resume() const { ResumeThread(FInfo.hThread); }
  ~TCopy() {
    if (!Started) return;
    if (WaitForSingleObject(FInfo.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(FInfo.hProcess, 1);
      WaitForSingleObject(FInfo.hProcess, 30000);
    }
    CloseHandle(FInfo.hThread);
    CloseHandle(FInfo.hProcess);
  }
  TCopy(const TCopy&) = delete;
  TCopy& operator=(const TCopy&) = delete;

  // True when the copy ended by itself within 30 s with exit code 0.
  bool Ended() const {
    DWORD Code = 1;
    return WaitForSingleObject(FInfo.hProcess, 30000) == WAIT_OBJECT_0 &&
           GetExitCodeProcess(FInfo.hProcess, &Code) && Code == 0;
  }
  bool Running() const { return WaitForSingleObject(FInfo.hProcess, 0) == WAIT_TIMEOUT; }
  HANDLE Process() const { return FInfo.hProcess; }
  // Its window of the class, hidden ones included; nullptr when none.
  HWND Window(const wchar_t* ClassName) const {
    TWindowSearch Search{FInfo.dwProcessId, ClassName, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&Search));
    return Search.Found;
  }
  // The stored paths of the rows of its playlist: the last column of the list that takes dropped files.
  std::vector<std::wstring> Playlist() const {
    HWND List = nullptr;
    EnumChildWindows(Window(L"Tprog"), MatchDropTarget, reinterpret_cast<LPARAM>(&List));
    std::vector<std::wstring> Paths;
    if (!List) return Paths;
    // The list writes the text into memory of its own process.
    constexpr int TextUnits = 2048;
    auto* Remote = static_cast<uint8_t*>(
        VirtualAllocEx(FInfo.hProcess, nullptr, sizeof(LVITEMW) + TextUnits * 2, MEM_COMMIT, PAGE_READWRITE));
    const auto Rows = static_cast<int>(SendMessageW(List, LVM_GETITEMCOUNT, 0, 0));
    for (int Row = 0; Row < Rows; ++Row) {
      LVITEMW Item{};
      Item.iSubItem = 8;
      Item.pszText = reinterpret_cast<wchar_t*>(Remote + sizeof(LVITEMW));
      Item.cchTextMax = TextUnits;
      WriteProcessMemory(FInfo.hProcess, Remote, &Item, sizeof Item, nullptr);
      const auto Length = static_cast<size_t>(
          SendMessageW(List, LVM_GETITEMTEXTW, static_cast<WPARAM>(Row), reinterpret_cast<LPARAM>(Remote)));
      std::wstring Text(Length, L'\0');
      ReadProcessMemory(FInfo.hProcess, Remote + sizeof(LVITEMW), Text.data(), Length * 2, nullptr);
      Paths.push_back(Text);
    }
    VirtualFreeEx(FInfo.hProcess, Remote, 0, MEM_RELEASE);
    return Paths;
  }

  bool Started = false;

 private:
  PROCESS_INFORMATION FInfo{};
};
