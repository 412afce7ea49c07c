#include "app/OneInstanceFunc.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "Imports/UCodeSysUtils.h"
#include "Imports/UCodeSystem.h"

TNewInstanceCallback NewInstanceCallback = nullptr;
std::wstring OneInstWndClassName;
HWND OneInstWnd = nullptr;

namespace {

// 16 hexadecimal digits of FNV-1a over the upper-cased units: paths compare without regard to case.
std::wstring PathHash(const std::wstring& Path) {
  uint64_t Hash = 14695981039346656037ull;
  for (const wchar_t C : WideUpperCase(Path)) {
    Hash = (Hash ^ (static_cast<uint16_t>(C) & 0xFF)) * 1099511628211ull;
    Hash = (Hash ^ (static_cast<uint16_t>(C) >> 8)) * 1099511628211ull;
  }
  wchar_t Hex[17];
  swprintf(Hex, 17, L"%016llX", static_cast<unsigned long long>(Hash));
  return Hex;
}

}  // namespace

std::wstring OneInstanceClassName(const std::wstring& ProgramPath) {
  // The path itself, wide so that folders named in different scripts stay apart; a class name is an
  // atom of at most 255 characters, so a longer path is named by a hash of it.
  constexpr size_t MaxClassName = 255;
  const std::wstring Prefix = L"OneInstUtilWnd:";
  if (Prefix.size() + ProgramPath.size() <= MaxClassName) return Prefix + ProgramPath;
  return Prefix + PathHash(ProgramPath);
}

std::wstring OneInstanceMutexName(const std::wstring& ProgramPath) {
  // A mutex's name holds no "\" after its namespace and compares with regard to case: the path's hash.
  return L"Local\\OneInstUtilWnd:" + PathHash(ProgramPath);
}

size_t PWideCharLen(const wchar_t* Text) {
  return Text ? wcslen(Text) : 0;
}

bool HandOver(HWND Wnd, const std::wstring& CmdLine, DWORD ProcessId, UINT TimeoutMs) {
  COPYDATASTRUCT Data{};
  Data.dwData = ProcessId;
  Data.cbData = static_cast<DWORD>(CmdLine.size() * sizeof(wchar_t));
  Data.lpData = const_cast<wchar_t*>(CmdLine.data());
  // The running copy may bring its window to the front: this copy is the one the user just started.
  DWORD Receiver = 0;
  GetWindowThreadProcessId(Wnd, &Receiver);
  AllowSetForegroundWindow(Receiver);
  DWORD_PTR Reply = 0;
  if (!SendMessageTimeoutW(Wnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&Data), SMTO_ABORTIFHUNG, TimeoutMs,
                           &Reply))
    return false;
  return static_cast<LRESULT>(Reply) == OneInstReplyHalt;
}

std::vector<std::wstring> AbsoluteCommandLineParams(const std::wstring& CmdLine) {
  std::vector<std::wstring> Params = WideCommandLineParams(CmdLine);
  for (size_t I = 1; I < Params.size(); ++I) Params[I] = WideExpandFileName(Params[I]);
  return Params;
}

bool SendCmdLineToFirstInstance() {
  const HWND Wnd = FindWindowW(OneInstWndClassName.c_str(), nullptr);
  if (!Wnd) return false;
  const std::vector<std::wstring> Params = AbsoluteCommandLineParams(GetCommandLineW());
  // Without parameters there is nothing to hand over: this copy starts as a further one.
  if (Params.size() < 2) return false;
  // The running copy has another current folder. A file name holds no quote.
  std::wstring CmdLine;
  for (const std::wstring& Param : Params) CmdLine += (CmdLine.empty() ? L"\"" : L" \"") + Param + L"\"";
  return HandOver(Wnd, CmdLine, GetCurrentProcessId(), HandOverTimeoutMs);
}

LRESULT CALLBACK OneInstWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (Msg != WM_COPYDATA || WParam != 0 || LParam == 0) return DefWindowProcW(Wnd, Msg, WParam, LParam);
  const auto* Data = reinterpret_cast<const COPYDATASTRUCT*>(LParam);
  // A refused block or a failed handler lets the sender start on its own, so its files are not lost.
  if (Data->cbData > MaxHandOverBytes || (Data->cbData >= sizeof(wchar_t) && !Data->lpData))
    return OneInstReplyContinue;
  std::wstring CmdLine(Data->cbData / sizeof(wchar_t), L'\0');
  if (!CmdLine.empty()) std::memcpy(CmdLine.data(), Data->lpData, CmdLine.size() * sizeof(wchar_t));
  bool Allow = false;
  try {
    if (NewInstanceCallback) NewInstanceCallback(Wnd, static_cast<DWORD>(Data->dwData), CmdLine, Allow);
  } catch (...) {
    Allow = true;
  }
  return Allow ? OneInstReplyContinue : OneInstReplyHalt;
}

HWND CreateOneInstWindow() {
  WNDCLASSW Class{};
  Class.lpfnWndProc = OneInstWndProc;
  Class.hInstance = GetModuleHandleW(nullptr);
  Class.lpszClassName = OneInstWndClassName.c_str();
  RegisterClassW(&Class);
  return CreateWindowExW(WS_EX_TOOLWINDOW, OneInstWndClassName.c_str(), L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                         nullptr, Class.hInstance, nullptr);
}

namespace {

// Holds the named start-up mutex of this program file, when it could be had, for its lifetime.
class TStartLock {
 public:
  explicit TStartLock(const std::wstring& Name) : FMutex(CreateMutexW(nullptr, FALSE, Name.c_str())) {
    if (!FMutex) return;
    // An abandoned mutex is ours all the same; one held too long by a hung copy is passed by.
    const DWORD Result = WaitForSingleObject(FMutex, StartLockTimeoutMs);
    FOwned = Result == WAIT_OBJECT_0 || Result == WAIT_ABANDONED;
  }
  ~TStartLock() {
    if (FOwned) ReleaseMutex(FMutex);
    if (FMutex) CloseHandle(FMutex);
  }
  TStartLock(const TStartLock&) = delete;
  TStartLock& operator=(const TStartLock&) = delete;

 private:
  HANDLE FMutex;
  bool FOwned = false;
};

}  // namespace

bool OneInstanceInitialization() {
  const std::wstring ProgramPath = WideGetModuleFileName(nullptr);
  OneInstWndClassName = OneInstanceClassName(ProgramPath);
  // Copies started at the same moment would each find no window and each make one: looking and making
  // are one step.
  const TStartLock Lock(OneInstanceMutexName(ProgramPath));
  if (SendCmdLineToFirstInstance()) return false;
  OneInstWnd = CreateOneInstWindow();
  return true;
}

void OneInstanceFinalization() {
  if (OneInstWnd) DestroyWindow(OneInstWnd);
  OneInstWnd = nullptr;
}
