#pragma once
// One copy of the program per program file: a copy started with parameters while another runs hands its
// command line to the running copy's hidden utility window by WM_COPYDATA and ends once that copy has
// taken it. Both steps run before any window of the program exists.
#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

// Replies of the utility window: the sender goes on starting, or ends.
constexpr LRESULT OneInstReplyContinue = 0xDA860080;
constexpr LRESULT OneInstReplyHalt = 0xDA860081;
// The longest command line a start can have, in UTF-16 units.
constexpr DWORD MaxCommandLineUnits = 32767;
// The sender makes each name absolute against its current folder (at most MAX_PATH units with the
// backslash) and quotes it; a name takes two units at least with its blank. A longer block cannot come
// from a real start; it is refused.
constexpr DWORD MaxHandOverBytes =
    (MaxCommandLineUnits + (MaxCommandLineUnits / 2 + 1) * (MAX_PATH + 2)) * sizeof(wchar_t);
// How long a later copy waits for the running copy's reply before it starts on its own.
constexpr UINT HandOverTimeoutMs = 10000;
// How long a starting copy waits for the copies starting before it to look for a running copy, hand
// over or make their windows: longer than one hand-over may take.
constexpr DWORD StartLockTimeoutMs = 3 * HandOverTimeoutMs;

// Called with the process id and command line of a later copy; Allow comes in false and, set true, lets
// that copy run.
using TNewInstanceCallback = void (*)(HWND Wnd, DWORD ProcessId, const std::wstring& CmdLine, bool& Allow);
// None until the component module sets it.
extern TNewInstanceCallback NewInstanceCallback;

// "OneInstUtilWnd:" and the program path, or a hash of the path where the two would pass the 255
// characters a class name may have, so that only copies of one program file meet.
std::wstring OneInstanceClassName(const std::wstring& ProgramPath);
// The name of the mutex that copies of ProgramPath hold while they look for a running copy and make
// their window.
std::wstring OneInstanceMutexName(const std::wstring& ProgramPath);
extern std::wstring OneInstWndClassName;
extern HWND OneInstWnd;

// Sends CmdLine from process ProcessId to the utility window Wnd and waits at most TimeoutMs; true when the
// running copy took it (OneInstReplyHalt). A hung, slow or refusing copy gives false.
bool HandOver(HWND Wnd, const std::wstring& CmdLine, DWORD ProcessId, UINT TimeoutMs);
// The parameters of CmdLine, item 0 the program, the others made absolute against the current folder: a
// name given relative to the folder the program was started in means a file there, wherever the name
// goes afterwards.
std::vector<std::wstring> AbsoluteCommandLineParams(const std::wstring& CmdLine);
// True when a running copy of this program file took this copy's parameters, each as an absolute quoted
// name: this copy then ends.
bool SendCmdLineToFirstInstance();
LRESULT CALLBACK OneInstWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
// The hidden utility window of this copy, of the class OneInstWndClassName; nullptr when it cannot be made.
HWND CreateOneInstWindow();

// Hands the command line over or makes this copy's utility window, one copy of the program file at a
// time; false when this copy is to end.
bool OneInstanceInitialization();
void OneInstanceFinalization();

// The number of UTF-16 units before the terminating zero; 0 for none.
size_t PWideCharLen(const wchar_t* Text);
