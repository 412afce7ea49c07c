#include "Imports/UCodeForms.h"

#include <algorithm>
#include <typeinfo>
#include <utility>

#include "Imports/UCodeMenus.h"
#include "Imports/UCodeStdActns.h"
#include "Imports/UCodeSysUtils.h"
#include "Imports/UCodeSystem.h"

HHOOK(WINAPI* UCodeSetWindowsHookEx)(int, HOOKPROC, HINSTANCE, DWORD) = SetWindowsHookExW;

namespace {

bool IsNTPlatform() {
  OSVERSIONINFOA Version{};
  Version.dwOSVersionInfoSize = sizeof Version;
  return GetVersionExA(&Version) && Version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

TUCodeApplication* TheApplication = nullptr;
HHOOK WideCharHook = nullptr;

LRESULT CALLBACK GetMessageHookProc(int Code, WPARAM WParam, LPARAM LParam) {
  if (Code >= 0 && WParam == PM_REMOVE && TheApplication) {
    auto* Msg = reinterpret_cast<MSG*>(LParam);
    try {
      if (TheApplication->FilterWideCharMessage(*Msg)) Msg->message = WM_NULL;
    } catch (...) {
      Application->HandleException(std::current_exception());
    }
  }
  return CallNextHookEx(WideCharHook, Code, WParam, LParam);
}

// Made on first use, so that the application object and the character hook exist before any form needs
// them; it goes with the program.
class TUnit {
 public:
  TUnit() {
    TheApplication = new TUCodeApplication(nullptr);
    if (IsNTPlatform())
      WideCharHook = UCodeSetWindowsHookEx(WH_GETMESSAGE, GetMessageHookProc, nullptr, GetCurrentThreadId());
  }
  ~TUnit() {
    if (WideCharHook) UnhookWindowsHookEx(WideCharHook);
    WideCharHook = nullptr;
    delete std::exchange(TheApplication, nullptr);
  }
  TUnit(const TUnit&) = delete;
  TUnit& operator=(const TUnit&) = delete;
};

}  // namespace

TUCodeApplication* UCodeApplication() {
  static TUnit Unit;
  return TheApplication;
}

bool WideCharHookInstalled() {
  return WideCharHook != nullptr;
}

// ---------------------------------------------------------------------------------------------
// TUCodeAppIdleEventControl

TUCodeAppIdleEventControl::TUCodeAppIdleEventControl(TUCodeApplication* AOwner)
    : TControl(AOwner), FApplication(AOwner), FAction(new TUCodeAction(this)) {
  SetParentFont(false);
  SetBounds(0, 0, 0, 0);
  const auto Refresh = [this](TObject*) { FApplication->RefreshWideHint(); };
  FAction->OnExecute = Refresh;
  FAction->OnUpdate = Refresh;
  SetAction(FAction);
  FIdleListener = [this](bool&) { FAction->Update(); };
  Application->IdleListeners.push_back(&FIdleListener);
}

TUCodeAppIdleEventControl::~TUCodeAppIdleEventControl() {
  auto& Listeners = Application->IdleListeners;
  Listeners.erase(std::remove(Listeners.begin(), Listeners.end(), &FIdleListener), Listeners.end());
  // A later main form gets a control of its own.
  FApplication->FIdleControl = nullptr;
  FApplication->FIdleControlCreated = false;
}

// ---------------------------------------------------------------------------------------------
// TUCodeApplication

TUCodeApplication::TUCodeApplication(TComponent* AOwner)
    : TComponent(AOwner),
      FHookCookie(Application->HookMainWindow([this](TMessage& M) { return MainWindowHook(M); })) {}

TUCodeApplication::~TUCodeApplication() {
  delete FIdleControl;
  Application->UnhookMainWindow(FHookCookie);
}

std::wstring TUCodeApplication::Title() {
  if (!Application->HandleAllocated() || !IsUnicodePlatform)
    return GetSyncedWideString(FPendingTitle, Application->Title());
  const HWND Wnd = Application->Handle();
  std::wstring Buffer(static_cast<size_t>(DefWindowProcW(Wnd, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
  const auto Length = static_cast<size_t>(
      DefWindowProcW(Wnd, WM_GETTEXT, Buffer.size(), reinterpret_cast<LPARAM>(Buffer.data())));
  Buffer.resize(Length);
  return Buffer;
}

void TUCodeApplication::SetTitle(const std::wstring& Value) {
  if (!Application->HandleAllocated() || !IsUnicodePlatform) {
    SetSyncedWideString(Value, FPendingTitle, Application->Title(),
                        [](const std::string& S) { Application->SetTitle(S); });
    return;
  }
  if (Value == Title() && FPendingTitle.empty()) return;
  DefWindowProcW(Application->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Value.c_str()));
  FPendingTitle.clear();
}

std::wstring TUCodeApplication::Hint() {
  const std::wstring MouseHint = WideGetLongHint(GetParentWideHint(Application->MouseControl()));
  if (WideToAnsi(MouseHint) == Application->Hint()) FHint = MouseHint;
  return GetSyncedWideString(FHint, Application->Hint());
}

void TUCodeApplication::SetHint(const std::wstring& Value) {
  SetSyncedWideString(Value, FHint, Application->Hint(),
                      [](const std::string& S) { Application->SetHint(S); });
}

void TUCodeApplication::RefreshWideHint() {
  const std::wstring MouseHint = WideGetLongHint(GetParentWideHint(Application->MouseControl()));
  if (WideToAnsi(MouseHint) == Application->Hint()) SetHint(MouseHint);
}

bool TUCodeApplication::MainWindowHook(TMessage& Message) {
  if (Message.Msg == WM_CREATE) {
    if (!FPendingTitle.empty()) {
      const std::wstring Pending = FPendingTitle;
      SetTitle(Pending);
      FPendingTitle.clear();
    }
    return false;
  }
  if (Message.Msg != CM_ACTIONEXECUTE) return false;
  auto* Action = reinterpret_cast<TBasicAction*>(Message.LParam);
  if (!Action || typeid(*Action) != typeid(THintAction)) return false;
  const std::wstring WideHint = Hint();
  if (static_cast<THintAction*>(Action)->Hint() != WideToAnsi(WideHint)) return false;
  Message.Result = 1;
  TUCodeHintAction WideAction(nullptr);
  WideAction.SetHint(WideHint);
  WideAction.Execute();
  return true;
}

bool TUCodeApplication::FilterWideCharMessage(MSG& Msg) {
  if (!FIdleControlCreated && Application->MainForm()) {
    FIdleControl = new TUCodeAppIdleEventControl(this);
    FIdleControl->SetParent(Application->MainForm());
    FIdleControlCreated = true;
  }
  if (Msg.message != WM_CHAR || Msg.wParam < 256 || !IsWindowUnicode(Msg.hwnd)) return false;
  const HWND Dialog = Application->DialogHandle();
  if (Dialog && !IsWindowUnicode(Dialog)) return false;
  bool Handled = false;
  if (Application->OnMessage) Application->OnMessage(Msg, Handled);
  Application->CancelHint();
  if (!Handled && !WideIsDialogMessage(Msg)) DispatchMessageW(&Msg);
  return true;
}

// ---------------------------------------------------------------------------------------------

namespace {

constexpr wchar_t WideTextProcProp[] = L"UCodeWideTextProc";

// The window procedure of a form that answers its text wide; the procedure it had before (kept in the
// property) gets every other message.
LRESULT CALLBACK WideTextProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  const auto Previous = reinterpret_cast<WNDPROC>(GetPropW(Wnd, WideTextProcProp));
  if (Msg == WM_GETTEXT || Msg == WM_GETTEXTLENGTH) return DefWindowProcW(Wnd, Msg, WParam, LParam);
  if (Msg == WM_NCDESTROY) {
    SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Previous));
    RemovePropW(Wnd, WideTextProcProp);
  }
  return CallWindowProcW(Previous, Wnd, Msg, WParam, LParam);
}

// Whoever asks an 8-bit window for its text wide (the title bar among them) gets its text through the
// 8-bit procedure, with "?" for every character outside the code page: this window answers wide itself.
void AnswerTextWide(HWND Wnd) {
  if (GetPropW(Wnd, WideTextProcProp)) return;
  SetPropW(Wnd, WideTextProcProp, reinterpret_cast<HANDLE>(GetWindowLongPtrW(Wnd, GWLP_WNDPROC)));
  SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WideTextProc));
}

}  // namespace

void SetWideFormCaption(TForm* Form, const std::wstring& Caption) {
  Form->SetCaption(WideToAnsi(Caption));
  if (!IsUnicodePlatform) return;
  if (AnsiToWide(WideToAnsi(Caption)) != Caption) AnswerTextWide(Form->Handle());
  DefWindowProcW(Form->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Caption.c_str()));
}

bool WideIsDialogMessage(MSG& Msg) {
  const HWND Dialog = Application->DialogHandle();
  if (!Dialog) return false;
  return IsWindowUnicode(Dialog) ? IsDialogMessageW(Dialog, &Msg) : IsDialogMessageA(Dialog, &Msg);
}

bool WideIsAccel(WPARAM CharCode, const std::wstring& Caption) {
  const std::wstring HotKey = WideGetHotKey(Caption);
  return !HotKey.empty() &&
         WideCompareText(std::wstring(1, KeyCharToWide(static_cast<uint16_t>(CharCode))), HotKey) == 0;
}
