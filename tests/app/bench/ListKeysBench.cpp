// Times the Down key in the player window's playlist at 10,000, 100,000 and 1,000,000 songs, from the
// key to the moved row drawn, next to a bare owner-data list view of the platform with the same rows and
// styles in the same process; prints ms per key and its growth with the list. Not a test.
// Usage: app_listkeys_bench [largest row count]
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/Program.h"
#include "app/u_prog.h"
#include "app/u_start.h"
#include "tests/app/bench/ListBench.h"
#include "tests/support/KeyPress.h"

namespace {

using bench::FocusedRow;
using bench::Milliseconds;
using bench::TBareList;

constexpr int Keys = 10;

// Row 0 selected and focused, as a click leaves it, then Down pressed Keys times, each handled by the
// application's loop and the list drawn before the next; the mean ms per key. -1 when the keys did not
// move the focus row by row.
double DownKeys(HWND List) {
  SetFocus(List);
  LVITEMW None{};
  None.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(List, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&None));
  LVITEMW First = None;
  First.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(List, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&First));
  SendMessageW(List, LVM_ENSUREVISIBLE, 0, FALSE);
  UpdateWindow(List);
  Application->ProcessMessages();
  const auto Start = std::chrono::steady_clock::now();
  for (int I = 1; I <= Keys; ++I) {
    PressKey(List, VK_DOWN);
    UpdateWindow(List);
    if (FocusedRow(List) != I) return -1;
  }
  return Milliseconds(Start) / Keys;
}

// Five rows in the middle of the list selected from the first on, as Shift and Down leave them, then one
// Down; ms from the key to the row drawn. -1 when the key did not move the focus to the next row alone.
double DownAfterRange(HWND List) {
  SetFocus(List);
  LVITEMW None{};
  None.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(List, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&None));
  const int First = static_cast<int>(SendMessageW(List, LVM_GETITEMCOUNT, 0, 0)) / 2;
  LVITEMW Selected = None;
  Selected.state = LVIS_SELECTED;
  for (int Row = First; Row < First + 5; ++Row) {
    if (Row == First + 4) Selected.state |= LVIS_FOCUSED;
    SendMessageW(List, LVM_SETITEMSTATE, Row, reinterpret_cast<LPARAM>(&Selected));
  }
  SendMessageW(List, LVM_SETSELECTIONMARK, 0, First);
  SendMessageW(List, LVM_ENSUREVISIBLE, First + 5, FALSE);
  const LRESULT Top = SendMessageW(List, LVM_GETTOPINDEX, 0, 0);
  UpdateWindow(List);
  Application->ProcessMessages();
  const auto Start = std::chrono::steady_clock::now();
  PressKey(List, VK_DOWN);
  UpdateWindow(List);
  const bool Moved = FocusedRow(List) == First + 5 && SendMessageW(List, LVM_GETSELECTEDCOUNT, 0, 0) == 1 &&
                     SendMessageW(List, LVM_GETTOPINDEX, 0, 0) == Top;
  return Moved ? Milliseconds(Start) : -1;
}

// A plain click on the second row while the row below it is selected, handled by the application's loop,
// and the list drawn; ms.
double Click(HWND List) {
  RECT Box{};
  Box.left = LVIR_BOUNDS;
  SendMessageW(List, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&Box));
  const LPARAM At = MAKELPARAM(Box.left + 20, (Box.top + Box.bottom) / 2);
  const auto Start = std::chrono::steady_clock::now();
  PostMessageW(List, WM_LBUTTONDOWN, MK_LBUTTON, At);
  PostMessageW(List, WM_LBUTTONUP, 0, At);
  Application->ProcessMessages();
  UpdateWindow(List);
  return FocusedRow(List) == 1 ? Milliseconds(Start) : -1;
}

}  // namespace

int main(int argc, char** argv) {
  const int Largest = argc > 1 ? std::atoi(argv[1]) : 1000000;
  CreateProgramWindows();
  start->Timer1->SetEnabled(false);  // the splash must not go on to show the player meanwhile
  prog->Show();
  std::printf(
      "Down key in the playlist, ms per key from the key to the row drawn, mean of %d keys;\n"
      "then a click on the second row\n",
      Keys);
  std::printf("%10s %12s %12s %12s %12s %12s %12s\n", "rows", "player", "bare list", "click player",
              "click bare", "range player", "range bare");
  // The first keys and clicks after the window shows pay for setting up its drawing: a round untimed.
  AlleSongs = bench::NumberedSongs(1000);
  prog->ListeAktualisieren();
  DownKeys(prog->lv->Handle());
  Click(prog->lv->Handle());
  DownAfterRange(prog->lv->Handle());
  double FirstPlayer = 0, FirstBare = 0, Player = 0, Bare = 0;
  for (int Rows = 10000; Rows <= Largest; Rows *= 10) {
    AlleSongs = bench::NumberedSongs(Rows);
    prog->ListeAktualisieren();
    Player = DownKeys(prog->lv->Handle());
    const double ClickPlayer = Click(prog->lv->Handle());
    const double RangePlayer = DownAfterRange(prog->lv->Handle());
    double ClickBare = 0, RangeBare = 0;
    {
      const TBareList List(Rows);
      Bare = DownKeys(List.List);
      ClickBare = Click(List.List);
      RangeBare = DownAfterRange(List.List);
    }
    if (FirstPlayer == 0) FirstPlayer = Player, FirstBare = Bare;
    std::printf("%10d %12.2f %12.2f %12.2f %12.2f %12.2f %12.2f\n", Rows, Player, Bare, ClickPlayer,
                ClickBare, RangePlayer, RangeBare);
    std::fflush(stdout);
  }
  std::printf("growth from the smallest to the largest list: player %.1fx, bare list %.1fx\n",
              Player / FirstPlayer, Bare / FirstBare);
  AlleSongs.clear();
  Application->DestroyForms();
  return 0;
}
