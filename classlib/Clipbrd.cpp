#include "classlib/Clipbrd.h"

#include <cstring>

#include "classlib/Graphics.h"
#include "classlib/SysUtils.h"

namespace {

// Tries at opening the clipboard, and the pause between them: a second in all.
constexpr int OpenTries = 40;
constexpr DWORD OpenRetryMs = 25;

// Keeps the clipboard open for one scope.
class TOpenGuard {
 public:
  explicit TOpenGuard(TClipboard& AClipboard) : FClipboard(AClipboard) { FClipboard.Open(); }
  ~TOpenGuard() { FClipboard.Close(); }
  TOpenGuard(const TOpenGuard&) = delete;
  TOpenGuard& operator=(const TOpenGuard&) = delete;

 private:
  TClipboard& FClipboard;
};

// Frees data that the clipboard refused, by the kind of handle its format uses.
void FreeClipboardData(UINT Format, HANDLE Value) {
  switch (Format) {
    case CF_BITMAP:
    case CF_DSPBITMAP:
    case CF_PALETTE:
      DeleteObject(Value);
      break;
    case CF_ENHMETAFILE:
    case CF_DSPENHMETAFILE:
      DeleteEnhMetaFile(static_cast<HENHMETAFILE>(Value));
      break;
    default:
      GlobalFree(Value);
  }
}

}  // namespace

TClipboard::~TClipboard() {
  if (FWindow) DestroyWindow(FWindow);
}

void TClipboard::Open() {
  if (FOpenRefCount == 0) {
    // A clipboard opened without a window belongs to nobody once emptied, and then takes no data.
    if (!FWindow)
      FWindow = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (!FWindow) RaiseLastOSError();
    // Another program (a clipboard manager, the one that just put data on it) may hold it for a moment.
    for (int Try = 1; !OpenClipboard(FWindow); ++Try) {
      if (Try == OpenTries) throw EClipboardException(L"Cannot open clipboard");
      Sleep(OpenRetryMs);
    }
    FEmptied = false;
  }
  ++FOpenRefCount;
}

void TClipboard::Close() {
  if (FOpenRefCount == 0) return;
  if (--FOpenRefCount == 0) CloseClipboard();
}

void TClipboard::Clear() {
  TOpenGuard Guard(*this);
  if (!EmptyClipboard()) RaiseLastOSError();
}

bool TClipboard::HasFormat(UINT Format) const {
  return IsClipboardFormatAvailable(Format);
}

HANDLE TClipboard::GetAsHandle(UINT Format) {
  TOpenGuard Guard(*this);
  return GetClipboardData(Format);
}

// The first change while open empties the clipboard; later ones add further formats.
void TClipboard::SetAsHandle(UINT Format, HANDLE Value) {
  try {
    TOpenGuard Guard(*this);
    if (!FEmptied) {
      Clear();
      FEmptied = true;
    }
    if (!SetClipboardData(Format, Value)) RaiseLastOSError();
  } catch (...) {
    FreeClipboardData(Format, Value);
    throw;
  }
}

std::string TClipboard::AsText() {
  TOpenGuard Guard(*this);
  const HANDLE Data = GetClipboardData(CF_TEXT);
  if (!Data) return std::string();
  const char* Text = static_cast<const char*>(GlobalLock(Data));
  if (!Text) return std::string();
  const std::string Result(Text, strnlen(Text, GlobalSize(Data)));
  GlobalUnlock(Data);
  return Result;
}

void TClipboard::SetAsText(const std::string& Value) {
  SetBuffer(CF_TEXT, Value.c_str(), Value.size() + 1);
}

void TClipboard::SetBuffer(UINT Format, const void* Buffer, size_t Size) {
  const HGLOBAL Data = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, Size);
  if (!Data) RaiseLastOSError();
  void* Memory = GlobalLock(Data);
  if (!Memory) {
    GlobalFree(Data);
    RaiseLastOSError();
  }
  std::memcpy(Memory, Buffer, Size);
  GlobalUnlock(Data);
  SetAsHandle(Format, Data);
}

void TClipboard::Assign(TPersistent* Source) {
  auto* Picture = dynamic_cast<TPicture*>(Source);
  TGraphic* Graphic = Picture ? Picture->Graphic() : dynamic_cast<TGraphic*>(Source);
  if (Picture && !Graphic) return Clear();
  if (!Graphic) return TPersistent::Assign(Source);
  TOpenGuard Guard(*this);
  UINT Format = 0;
  HANDLE Data = nullptr;
  HPALETTE Palette = nullptr;
  Graphic->SaveToClipboardFormat(Format, Data, Palette);
  try {
    if (Data) SetAsHandle(Format, Data);
  } catch (...) {
    if (Palette) DeleteObject(Palette);
    throw;
  }
  if (Palette) SetAsHandle(CF_PALETTE, Palette);
}

void TClipboard::AssignTo(TPersistent* Dest) {
  auto* Picture = dynamic_cast<TPicture*>(Dest);
  if (!Picture) return TPersistent::AssignTo(Dest);
  TOpenGuard Guard(*this);
  for (UINT Format = EnumClipboardFormats(0); Format; Format = EnumClipboardFormats(Format)) {
    if (!TPicture::SupportsClipboardFormat(Format)) continue;
    Picture->LoadFromClipboardFormat(Format, GetClipboardData(Format),
                                     static_cast<HPALETTE>(GetClipboardData(CF_PALETTE)));
    return;
  }
  throw EInvalidGraphic(L"Unsupported clipboard format");
}

TClipboard* Clipboard() {
  static TClipboard Instance;
  return &Instance;
}
