#include "tests/support/DialogAnswer.h"

#include "tests/support/MessagePump.h"

namespace {

std::wstring Typed;
std::function<void(HWND Dialog)> Look;
int Remaining = 0;
HWND Answered = nullptr;

// True once the system has activated the dialog: it is then its owners' last active window.
bool Activated(HWND Dialog) {
  HWND Root = Dialog;
  for (HWND Owner = GetWindow(Dialog, GW_OWNER); Owner; Owner = GetWindow(Owner, GW_OWNER)) Root = Owner;
  return GetLastActivePopup(Root) == Dialog;
}

// Finds this thread's dialog (other test programs may show theirs on the same display at the same
// time); until it is there and activated, the timer goes on. A dialog already answered is left to close.
void CALLBACK Answer(HWND, UINT, UINT_PTR Id, DWORD) {
  const HWND Dialog = FindThreadWindow("#32770");
  if (!Dialog || Dialog == Answered || !Activated(Dialog)) return;
  Answered = Dialog;
  if (--Remaining <= 0) KillTimer(nullptr, Id);
  if (Look) Look(Dialog);
  HWND Name = GetDlgItem(Dialog, 0x47c);  // the file name combo box
  if (!Name) Name = GetDlgItem(Dialog, 0x480);
  if (Name) SetWindowTextW(Name, Typed.c_str());
  PostMessageA(Dialog, WM_COMMAND, IDOK, 0);
}

BOOL CALLBACK CollectStatic(HWND Wnd, LPARAM Text) {
  char Class[16] = {};
  GetClassNameA(Wnd, Class, sizeof Class);
  if (lstrcmpiA(Class, "Static") != 0) return TRUE;
  char Buffer[1024] = {};
  GetWindowTextA(Wnd, Buffer, sizeof Buffer);
  auto* Joined = reinterpret_cast<std::string*>(Text);
  if (Buffer[0]) *Joined += (Joined->empty() ? "" : "\n") + std::string(Buffer);
  return TRUE;
}

}  // namespace

void AnswerNextDialog(const std::string& AnswerTyped, std::function<void(HWND Dialog)> AnswerLook) {
  std::wstring Wide(AnswerTyped.size(), L'\0');
  Wide.resize(static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, AnswerTyped.data(),
                                                      static_cast<int>(AnswerTyped.size()), Wide.data(),
                                                      static_cast<int>(Wide.size()))));
  AnswerNextDialog(Wide, std::move(AnswerLook));
}

void AnswerNextDialog(const std::wstring& AnswerTyped, std::function<void(HWND Dialog)> AnswerLook) {
  AnswerDialogs(AnswerTyped, 1, std::move(AnswerLook));
}

void AnswerDialogs(const std::wstring& AnswerTyped, int Count, std::function<void(HWND Dialog)> AnswerLook) {
  Typed = AnswerTyped;
  Look = std::move(AnswerLook);
  Remaining = Count;
  Answered = nullptr;
  SetTimer(nullptr, 0, 50, Answer);
}

std::string DialogText(HWND Dialog) {
  std::string Text;
  EnumChildWindows(Dialog, CollectStatic, reinterpret_cast<LPARAM>(&Text));
  return Text;
}
