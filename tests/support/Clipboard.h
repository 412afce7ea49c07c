#pragma once
// The clipboard in tests: held by another thread, and the file lists and texts on it.
#include <windows.h>

#include <shellapi.h>

#include <string>
#include <thread>
#include <vector>

// Keeps the clipboard open in another thread for its lifetime, or for ReleaseAfterMs if that is shorter, so
// that every attempt of this one to open it fails meanwhile as it does while another program holds it.
class TClipboardHolder {
 public:
  explicit TClipboardHolder(DWORD ReleaseAfterMs = 30000);
  ~TClipboardHolder();
  TClipboardHolder(const TClipboardHolder&) = delete;
  TClipboardHolder& operator=(const TClipboardHolder&) = delete;
  // The other thread really holds it.
  bool Holds() const { return FHolds; }

 private:
  HANDLE FOpened;
  HANDLE FDone;
  bool FHolds = false;
  std::thread FThread;
};

// The names of a dropped-file list, as the shell reads them.
std::vector<std::wstring> DroppedNames(HDROP Drop);
// The names of the file list on the clipboard (none without one); Wide tells whether it is in UTF-16.
std::vector<std::wstring> ClipboardFiles(bool* Wide = nullptr);
// Empties the clipboard and puts Text on it.
void PutClipboardText(const char* Text);
