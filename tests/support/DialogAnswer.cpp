#include "tests/support/DialogAnswer.h"

#include "tests/support/MessagePump.h"

namespace {

std::string Typed;
std::function<void(HWND Dialog)> Look;

// Finds this thread's dialog (other test programs may show theirs on the same display at the same
// time); until it is there, the timer goes on.
void CALLBACK Answer(HWND, UINT, UINT_PTR Id, DWORD) {
  const HWND Dialog = FindThreadWindow("#32770");
  if (!Dialog) return;
  KillTimer(nullptr, Id);
  if (Look) Look(Dialog);
  HWND Name = GetDlgItem(Dialog, 0x47c);  // the file name combo box
  if (!Name) Name = GetDlgItem(Dialog, 0x480);
  if (Name) SetWindowTextA(Name, Typed.c_str());
  PostMessageA(Dialog, WM_COMMAND, IDOK, 0);
}

}  // namespace

void AnswerNextDialog(const std::string& AnswerTyped, std::function<void(HWND Dialog)> AnswerLook) {
  Typed = AnswerTyped;
  Look = std::move(AnswerLook);
  SetTimer(nullptr, 0, 50, Answer);
}
