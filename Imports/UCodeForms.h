#pragma once
// The wide application object: a wide title and hint beside the library's, the wide hint action, and a
// message hook that hands typed characters above 255 to Unicode windows whole, past the library's 8-bit
// message loop.
#include <windows.h>

#include <functional>
#include <string>

#include "Imports/UCodeActnList.h"
#include "classlib/Forms.h"

class TUCodeApplication;

// The library runs action updates whenever it falls idle; riding on one keeps the wide hint in step with
// the 8-bit one without a timer of our own.
class TUCodeAppIdleEventControl : public TControl {
 public:
  explicit TUCodeAppIdleEventControl(TUCodeApplication* AOwner);
  ~TUCodeAppIdleEventControl() override;

 private:
  TUCodeApplication* FApplication;
  TUCodeAction* FAction;
  std::function<void(bool&)> FIdleListener;
};

class TUCodeApplication : public TComponent {
 public:
  explicit TUCodeApplication(TComponent* AOwner);
  ~TUCodeApplication() override;

  // The application window's title; before the window exists it waits and is shown at its creation.
  std::wstring Title();
  void SetTitle(const std::wstring& Value);
  // The wide twin of the library's hint: the long wide hint of the control under the mouse.
  std::wstring Hint();
  void SetHint(const std::wstring& Value);
  // Takes the mouse control's long wide hint when the library's hint is its 8-bit form.
  void RefreshWideHint();
  // A WM_CHAR above 255 for a Unicode window: OnMessage, then the dialog keys or DispatchMessageW.
  // True when the message was delivered (or stopped by OnMessage).
  bool FilterWideCharMessage(MSG& Msg);

 private:
  friend class TUCodeAppIdleEventControl;
  bool MainWindowHook(TMessage& Message);

  bool FIdleControlCreated = false;
  std::wstring FHint;
  TUCodeAppIdleEventControl* FIdleControl = nullptr;
  std::wstring FPendingTitle;
  int FHookCookie;
};

// The one wide application object. The first call starts the unit: the object and, on the NT platform,
// the thread's character hook; a hook that cannot be installed leaves the program without it.
TUCodeApplication* UCodeApplication();
// True while the character hook is installed.
bool WideCharHookInstalled();
// How the unit installs its hook; replaced by tests that make the installation fail.
extern HHOOK(WINAPI* UCodeSetWindowsHookEx)(int IdHook, HOOKPROC Proc, HINSTANCE Module, DWORD ThreadId);

// A form's caption with characters outside the ANSI code page: its window (made when needed) stores the
// wide text itself, as the application's title does; once it has such a caption it answers wide requests for
// its text (the title bar's among them) itself. The library keeps the 8-bit form.
void SetWideFormCaption(TForm* Form, const std::wstring& Caption);

// IsDialogMessageW for a Unicode dialog window of the library, IsDialogMessageA for another; false without
// one.
bool WideIsDialogMessage(MSG& Msg);
// Whether the key's character (through the keyboard's code page) is the caption's hot key, without
// regard to case.
bool WideIsAccel(WPARAM CharCode, const std::wstring& Caption);
