#pragma once
// The component that turns the command line of a later copy of the program into its OnNewInstance event.
#include <windows.h>

#include <functional>
#include <string>

#include "Imports/UCodeClasses.h"
#include "classlib/Classes.h"

// Params: the parameters of the later copy, item 0 its program. Allow comes in false: the later copy
// ends; set true, it starts as a further copy.
using TOnNewInstance =
    std::function<void(TObject* Sender, DWORD ProcessId, TUCodeStringList* Params, bool& Allow)>;

// At most one exists. When the event leaves Allow false, the window of the form that owns the
// component comes to the front.
class TOneInstanceCheck : public TComponent {
 public:
  // A second one raises ECreateError "Nur ein TOneInstanceCheck-Objekt möglich".
  explicit TOneInstanceCheck(TComponent* AOwner);
  ~TOneInstanceCheck() override;

  TOnNewInstance OnNewInstance;

  // Nothing without OnNewInstance: Allow stays false and the later copy ends.
  void DoNewInstance(HWND Wnd, DWORD ProcessId, const std::wstring& CmdLine, bool& Allow);
  // Runs OnNewInstance for the command lines handed over before any component existed, in the order
  // they came, once.
  void TakeEarlyHandOvers();
};

extern TOneInstanceCheck* OneInstanceCheckInstance;

// The utility window's callback: without a component (the player window is not made yet) the command
// line is kept for the component and the later copy ends; otherwise the component decides.
void OneInstanceCallback(HWND Wnd, DWORD ProcessId, const std::wstring& CmdLine, bool& Allow);
// Adds the parameters of CmdLine to List, read by the rules of the program's own command line: quoted
// and unquoted ones, item 0 the program.
void ExtractQuotedParams(const std::wstring& CmdLine, TWideStrings* List);
// Restores Wnd when minimised and makes it the foreground window; true when it is.
bool ForceForegroundWindow(HWND Wnd);
