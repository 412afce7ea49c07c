#pragma once
// The system clipboard as one object.
#include <windows.h>

#include <string>

#include "classlib/Classes.h"

// Open/Close nest; a failed open raises EClipboardException "Cannot open clipboard". While open, the
// clipboard belongs to a message-only window of this object, so that what it puts there is its own.
class TClipboard : public TPersistent {
 public:
  ~TClipboard() override;
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
  // Puts a copy of Size bytes at Buffer on the clipboard in Format.
  void SetBuffer(UINT Format, const void* Buffer, size_t Size);
  // A TPicture's graphic or a TGraphic: the clipboard is emptied and takes the formats the graphic
  // writes (its SaveToClipboardFormat, with CF_PALETTE when it gives a palette), all under one open.
  void Assign(TPersistent* Source) override;
  // A TPicture loads the first format on the clipboard, in the clipboard's order, for which a picture
  // class is registered; EInvalidGraphic "Unsupported clipboard format" when there is none.
  void AssignTo(TPersistent* Dest) override;

 private:
  int FOpenRefCount = 0;
  bool FEmptied = false;
  HWND FWindow = nullptr;
};

// The one clipboard object of the program.
TClipboard* Clipboard();
