#pragma once
// The clipboard with UTF-16 text.
#include <string>

#include "classlib/Clipbrd.h"

class TUCodeClipboard : public TClipboard {
 public:
  // Puts Value on the clipboard as 8-bit text and as CF_UNICODETEXT, ended by a zero unit. A clipboard
  // that another window holds open raises EClipboardException.
  void SetAsWideText(const std::wstring& Value);
};

// The one wide clipboard of the program, made on first use.
TUCodeClipboard* UCodeClipboard();
