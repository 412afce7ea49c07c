#include "app/OneInstanceCheck.h"

#include <utility>
#include <vector>

#include "Imports/UCodeSystem.h"
#include "app/OneInstanceFunc.h"
#include "classlib/Controls.h"
#include "classlib/SysUtils.h"

TOneInstanceCheck* OneInstanceCheckInstance = nullptr;

namespace {

// Command lines handed over before the component existed, with their senders' process ids.
std::vector<std::pair<DWORD, std::wstring>> EarlyHandOvers;

// The module's start: from here on the utility window asks the component.
struct TModuleInit {
  TModuleInit() { NewInstanceCallback = OneInstanceCallback; }
} ModuleInit;

}  // namespace

TOneInstanceCheck::TOneInstanceCheck(TComponent* AOwner) : TComponent(AOwner) {
  if (OneInstanceCheckInstance) throw ECreateError(Format(L"Nur ein %s-Objekt m\u00F6glich", {ClassName()}));
  OneInstanceCheckInstance = this;
}

TOneInstanceCheck::~TOneInstanceCheck() {
  OneInstanceCheckInstance = nullptr;
}

void TOneInstanceCheck::DoNewInstance(HWND /*Wnd*/, DWORD ProcessId, const std::wstring& CmdLine,
                                      bool& Allow) {
  if (!OnNewInstance) return;
  TUCodeStringList Params;
  ExtractQuotedParams(CmdLine, &Params);
  OnNewInstance(this, ProcessId, &Params, Allow);
  if (Allow) return;
  // The player window, not the hidden splash that is the application's main form; while a modal window
  // keeps the player disabled, that one, or it would be hidden behind the window that waits for it.
  auto* Form = dynamic_cast<TWinControl*>(Owner());
  if (Form && Form->HandleAllocated() && Form->Visible())
    ForceForegroundWindow(RaiseFrontWindow(Form->Handle()));
}

void TOneInstanceCheck::TakeEarlyHandOvers() {
  for (const auto& [ProcessId, CmdLine] : std::exchange(EarlyHandOvers, {})) {
    bool Allow = false;
    DoNewInstance(nullptr, ProcessId, CmdLine, Allow);
  }
}

void OneInstanceCallback(HWND Wnd, DWORD ProcessId, const std::wstring& CmdLine, bool& Allow) {
  Allow = false;
  // A copy started while this one is still starting must not become a second running copy: its files
  // wait for the player window.
  if (!OneInstanceCheckInstance) {
    EarlyHandOvers.emplace_back(ProcessId, CmdLine);
    return;
  }
  OneInstanceCheckInstance->DoNewInstance(Wnd, ProcessId, CmdLine, Allow);
}

void ExtractQuotedParams(const std::wstring& CmdLine, TWideStrings* List) {
  for (const std::wstring& Param : WideCommandLineParams(CmdLine)) List->Add(Param);
}

bool ForceForegroundWindow(HWND Wnd) {
  if (IsIconic(Wnd)) ShowWindow(Wnd, SW_RESTORE);
  const HWND Foreground = GetForegroundWindow();
  if (Foreground == Wnd) return true;
  BringWindowToTop(Wnd);
  if (SetForegroundWindow(Wnd) && GetForegroundWindow() == Wnd) return true;
  // Refused: only the thread that owns the foreground may hand it on, so share its input state for the
  // moment. Asked only now, since sharing it with a thread that does not answer can make the platform
  // lose the foreground on the way.
  const DWORD ForegroundThread = GetWindowThreadProcessId(Foreground, nullptr);
  const DWORD OwnThread = GetCurrentThreadId();
  const bool Attached = ForegroundThread != OwnThread && AttachThreadInput(OwnThread, ForegroundThread, TRUE);
  BringWindowToTop(Wnd);
  SetForegroundWindow(Wnd);
  if (Attached) AttachThreadInput(OwnThread, ForegroundThread, FALSE);
  return GetForegroundWindow() == Wnd;
}
