#include "Imports/UCodeClipBrd.h"

#include "classlib/SysUtils.h"

void TUCodeClipboard::SetAsWideText(const std::wstring& Value) {
  // One opening for both formats: the second must not empty the clipboard of the first.
  Open();
  try {
    SetAsText(WideToAnsi(Value));
    SetBuffer(CF_UNICODETEXT, Value.c_str(), (Value.size() + 1) * sizeof(wchar_t));
  } catch (...) {
    Close();
    throw;
  }
  Close();
}

TUCodeClipboard* UCodeClipboard() {
  static TUCodeClipboard Instance;
  return &Instance;
}
