#include "tests/support/Clipboard.h"

#include <shlobj.h>

#include <cstring>

TClipboardHolder::TClipboardHolder(DWORD ReleaseAfterMs)
    : FOpened(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      FDone(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  FThread = std::thread([this, ReleaseAfterMs] {
    const HWND Owner =
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    FHolds = OpenClipboard(Owner) != FALSE;
    SetEvent(FOpened);
    WaitForSingleObject(FDone, ReleaseAfterMs);
    if (FHolds) CloseClipboard();
    DestroyWindow(Owner);
  });
  WaitForSingleObject(FOpened, 30000);
}

TClipboardHolder::~TClipboardHolder() {
  SetEvent(FDone);
  FThread.join();
  CloseHandle(FOpened);
  CloseHandle(FDone);
}

std::vector<std::wstring> DroppedNames(HDROP Drop) {
  std::vector<std::wstring> Names(DragQueryFileW(Drop, 0xFFFFFFFF, nullptr, 0));
  for (UINT I = 0; I < Names.size(); ++I) {
    Names[I].resize(DragQueryFileW(Drop, I, nullptr, 0));
    DragQueryFileW(Drop, I, Names[I].data(), static_cast<UINT>(Names[I].size() + 1));
  }
  return Names;
}

std::vector<std::wstring> ClipboardFiles(bool* Wide) {
  std::vector<std::wstring> Names;
  if (!OpenClipboard(nullptr)) return Names;
  if (const HANDLE Data = GetClipboardData(CF_HDROP)) {
    Names = DroppedNames(static_cast<HDROP>(Data));
    if (Wide) *Wide = static_cast<const DROPFILES*>(GlobalLock(Data))->fWide != 0;
    if (Wide) GlobalUnlock(Data);
  }
  CloseClipboard();
  return Names;
}

void PutClipboardText(const char* Text) {
  if (!OpenClipboard(nullptr)) return;
  EmptyClipboard();
  const HGLOBAL Data = GlobalAlloc(GMEM_MOVEABLE, std::strlen(Text) + 1);
  std::memcpy(GlobalLock(Data), Text, std::strlen(Text) + 1);
  GlobalUnlock(Data);
  SetClipboardData(CF_TEXT, Data);
  CloseClipboard();
}
