#include "Imports/UCodeMenus.h"

#include <windows.h>

#include "Imports/UCodeSysUtils.h"
#include "classlib/SysUtils.h"

namespace {

bool FarEastLocale() {
  return GetSystemMetrics(SM_DBCSENABLED) != 0;
}

// Keys whose text is the library's own.
bool LibraryNamesKey(BYTE Key) {
  return Key == VK_BACK || Key == VK_TAB || Key == VK_RETURN || Key == VK_ESCAPE || Key == VK_SPACE ||
         (Key >= VK_PRIOR && Key <= VK_DOWN) || Key == VK_INSERT || Key == VK_DELETE ||
         (Key >= VK_F1 && Key <= VK_F24);
}

// The character the layout gives the key; a digit key whose character is another one (as on layouts
// whose digits need Shift) shows the digit when the digit is typed on that key.
std::wstring KeyCharacter(BYTE Key) {
  const auto Char = static_cast<wchar_t>(MapVirtualKeyW(Key, MAPVK_VK_TO_CHAR) & 0xFFFF);
  if (Key >= '0' && Key <= '9' && Char != static_cast<wchar_t>(Key) &&
      LOBYTE(VkKeyScanW(static_cast<wchar_t>(Key))) == Key)
    return std::wstring(1, static_cast<wchar_t>(Key));
  return Char ? std::wstring(1, Char) : std::wstring();
}

std::wstring KeyName(BYTE Key) {
  const UINT ScanCode = MapVirtualKeyW(Key, MAPVK_VK_TO_VSC);
  if (!ScanCode) return {};
  wchar_t Name[256];
  const int Length = GetKeyNameTextW(static_cast<LONG>(ScanCode << 16), Name, 256);
  return std::wstring(Name, Length > 0 ? static_cast<size_t>(Length) : 0);
}

}  // namespace

int WideGetHotKeyPos(const std::wstring& S) {
  int Result = 0;
  for (size_t I = 0; I + 1 < S.size(); ++I) {
    if (S[I] != L'&') continue;
    if (S[I + 1] == L'&') {
      ++I;  // "&&" is a literal ampersand
      continue;
    }
    Result = static_cast<int>(I) + 2;
  }
  return Result;
}

std::wstring WideGetHotKey(const std::wstring& S) {
  const int Pos = WideGetHotKeyPos(S);
  return Pos ? S.substr(static_cast<size_t>(Pos) - 1, 1) : std::wstring();
}

std::wstring WideStripHotkey(const std::wstring& S) {
  std::wstring Result;
  for (size_t I = 0; I < S.size(); ++I) {
    if (FarEastLocale() && S[I] == L'(' && I + 3 < S.size() && S[I + 1] == L'&' && S[I + 3] == L')') {
      I += 3;
      continue;
    }
    if (S[I] == L'&') {
      if (I + 1 < S.size() && S[I + 1] == L'&') Result += S[++I];
      continue;
    }
    Result += S[I];
  }
  return Result;
}

bool WideSameCaption(const std::wstring& A, const std::wstring& B) {
  return WideCompareText(WideStripHotkey(A), WideStripHotkey(B)) == 0;
}

bool WideSameCaptionStr(const std::wstring& A, const std::wstring& B) {
  return WideCompareStr(WideStripHotkey(A), WideStripHotkey(B)) == 0;
}

std::wstring WideShortCutToText(TShortCut ShortCut) {
  if (!IsUnicodePlatform) return AnsiToWide(ShortCutToText(ShortCut));
  const BYTE Key = LOBYTE(ShortCut);
  std::wstring Text;
  if (LibraryNamesKey(Key))
    Text = AnsiToWide(ShortCutToText(Key));
  else if ((Key >= '0' && Key <= '9') || (Key >= 'A' && Key <= 'Z') ||
           (Key >= VK_NUMPAD0 && Key <= VK_NUMPAD9))
    Text = KeyCharacter(Key);
  else
    Text = KeyName(Key);
  if (Text.empty()) return {};
  return AnsiToWide(ShortCutModifierText(ShortCut)) + Text;
}
