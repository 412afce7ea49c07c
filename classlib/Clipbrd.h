#pragma once
// The system clipboard as one object.
#include <windows.h>

#include <string>

#include "classlib/Classes.h"

// Open/Close nest; a failed open raises EClipboardException "Cannot open clipboard".
class TClipboard : public TPersistent {
 public:
  void Open();
  void Close();
  void Clear();
  bool HasFormat(UINT Format) const;
  // The handle stays the clipboard's.
  HANDLE GetAsHandle(UINT Format);
  // Empties the clipboard and hands it Value, which then belongs to the clipboard.
  void SetAsHandle(UINT Format, HANDLE Value);
  std::string AsText();
  void SetAsText(const std::string& Value);

 private:
  int FOpenRefCount = 0;
  bool FEmptied = false;
};

// The one clipboard object of the program.
TClipboard* Clipboard();
