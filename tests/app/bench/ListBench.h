// What the benchmarks of the player's list share: timing, the bare owner-data list view of the platform
// they compare with, and repeatable songs. Not a test.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <string>

#include "app/u_WideMP3Func.h"

namespace bench {

inline double Milliseconds(std::chrono::steady_clock::time_point Start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - Start).count();
}

inline int FocusedRow(HWND List) {
  return static_cast<int>(SendMessageW(List, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

// The platform's list view alone, with the playlist's styles and nine columns of short texts.
inline LRESULT CALLBACK BareParent(HWND Wnd, UINT Msg, WPARAM W, LPARAM L) {
  if (Msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(L)->code == LVN_GETDISPINFOW) {
    auto* Info = reinterpret_cast<NMLVDISPINFOW*>(L);
    if (Info->item.mask & LVIF_TEXT) {
      static std::wstring Text;
      Text = std::to_wstring(Info->item.iItem + 1) + L"." + std::to_wstring(Info->item.iSubItem);
      Info->item.pszText = Text.data();
    }
    return 0;
  }
  return DefWindowProcW(Wnd, Msg, W, L);
}

struct TBareList {
  HWND Parent = nullptr;
  HWND List = nullptr;
  explicit TBareList(int Rows) {
    WNDCLASSW Class{};
    Class.lpfnWndProc = BareParent;
    Class.hInstance = GetModuleHandleW(nullptr);
    Class.lpszClassName = L"VelmaroBareListParent";
    RegisterClassW(&Class);
    Parent = CreateWindowExW(0, Class.lpszClassName, L"bare", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 900,
                             600, nullptr, nullptr, Class.hInstance, nullptr);
    List =
        CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                        WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS,
                        0, 0, 880, 560, Parent, nullptr, Class.hInstance, nullptr);
    SendMessageW(List, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    for (int C = 0; C < 9; ++C) {
      LVCOLUMNW Column{};
      Column.mask = LVCF_WIDTH | LVCF_TEXT;
      Column.cx = 95;
      wchar_t Title[] = L"Column";
      Column.pszText = Title;
      SendMessageW(List, LVM_INSERTCOLUMNW, C, reinterpret_cast<LPARAM>(&Column));
    }
    SendMessageW(List, LVM_SETITEMCOUNT, Rows, 0);
  }
  TBareList(const TBareList&) = delete;
  TBareList& operator=(const TBareList&) = delete;
  ~TBareList() { DestroyWindow(Parent); }
};

// Songs with short numbered texts, as the list keys see them.
inline TWideSongArray NumberedSongs(int Count) {
  TWideSongArray Result(Count);
  for (int I = 0; I < Count; ++I) {
    Song& S = Result[I];
    S[sfArtist] = L"Artist " + std::to_wstring(I % 997);
    S[sfTitle] = L"Title " + std::to_wstring(I);
    S[sfLength] = L"3:25";
    S[sfPath] = L"D:\\Music\\" + std::to_wstring(I) + L".mp3";
  }
  return Result;
}

// Pseudo-random but repeatable field values, with umlauts, Cyrillic text, numbers of every column's form
// and many equal keys; paths start with Folder.
inline TWideSongArray GeneratedSongs(int Count, unsigned Seed, const std::wstring& Folder) {
  static const wchar_t* const Words[] = {
      L"Liebe",       L"\u00C4rger", L"Zebra",      L"apfel", L"\u0417\u0438\u043C\u0430",
      L"Stra\u00DFe", L"Night",      L"\u00E7a va", L"Blue",  L"Fr\u00FChling"};
  TWideSongArray Songs(static_cast<size_t>(Count));
  auto Next = [&Seed](unsigned Range) {
    Seed = Seed * 1103515245u + 12345u;
    return (Seed >> 8) % Range;
  };
  for (Song& S : Songs) {
    S[sfArtist] = std::wstring(Words[Next(10)]) + L" " + std::to_wstring(Next(2000));
    S[sfTitle] = std::wstring(Words[Next(10)]) + L" " + Words[Next(10)];
    S[sfLength] = SongLengthText(static_cast<int>(Next(5400)));
    S[sfAlbum] = std::wstring(Words[Next(10)]) + L" " + std::to_wstring(Next(500));
    S[sfTrack] = std::to_wstring(1 + Next(20)) + (Next(2) ? L"/20" : L"");
    S[sfYear] = std::to_wstring(1950 + Next(75));
    S[sfGenre] = Words[Next(10)];
    S[sfPath] = Folder + S[sfArtist] + L"\\" + S[sfTitle] + L".mp3";
  }
  return Songs;
}

}  // namespace bench
