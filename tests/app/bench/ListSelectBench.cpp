// Times the selection keys and clicks in the player window's playlist at 10,000, 100,000 and 1,000,000
// songs, from the key to the list drawn: Shift+Down, Shift+click, Ctrl+click, Shift+End, Ctrl+A and Del
// of every row. Beside each, the same key in a bare owner-data list view of the platform with the same rows
// and styles in the same process (Ctrl+A there as the player asked it before: every row's state set at
// once), and for Del the player's own "remove all"; prints ms and the ratio player / baseline. Not a test.
// Usage: app_listselect_bench [largest row count] [largest row count of the slow bare Shift+End and Ctrl+A]
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
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

int SelectedCount(HWND List) {
  return static_cast<int>(SendMessageW(List, LVM_GETSELECTEDCOUNT, 0, 0));
}

// Row selected, focused and the selection's anchor, shown with the ten rows below it, as a click leaves
// it.
void SelectOnly(HWND List, int Row) {
  SetFocus(List);
  LVITEMW None{};
  None.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(List, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&None));
  LVITEMW One = None;
  One.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(List, LVM_SETITEMSTATE, static_cast<WPARAM>(Row), reinterpret_cast<LPARAM>(&One));
  SendMessageW(List, LVM_SETSELECTIONMARK, 0, Row);
  const int Last = static_cast<int>(SendMessageW(List, LVM_GETITEMCOUNT, 0, 0)) - 1;
  SendMessageW(List, LVM_ENSUREVISIBLE, static_cast<WPARAM>(std::min(Row + 10, Last)), FALSE);
  SendMessageW(List, LVM_ENSUREVISIBLE, static_cast<WPARAM>(Row), FALSE);
  UpdateWindow(List);
  Application->ProcessMessages();
}

// Ms of Action up to the list drawn; -1 when Done then says the action did not end as it should.
double Timed(HWND List, const std::function<void()>& Action, const std::function<bool()>& Done) {
  const auto Start = std::chrono::steady_clock::now();
  Action();
  Application->ProcessMessages();
  UpdateWindow(List);
  const double Result = Milliseconds(Start);
  return Done() ? Result : -1;
}

constexpr int ShiftKeys = 5;

// From a row in the middle, Shift+Down pressed ShiftKeys times; ms per key.
double ShiftDown(HWND List) {
  const int First = static_cast<int>(SendMessageW(List, LVM_GETITEMCOUNT, 0, 0)) / 2;
  SelectOnly(List, First);
  return Timed(
             List,
             [List] {
               for (int I = 0; I < ShiftKeys; ++I) {
                 PressKey(List, VK_DOWN, ssShift);
                 UpdateWindow(List);
               }
             },
             [List, First] {
               return FocusedRow(List) == First + ShiftKeys && SelectedCount(List) == ShiftKeys + 1;
             }) /
         ShiftKeys;
}

void ClickRow(HWND List, int Row, WPARAM Keys) {
  RECT Box{};
  Box.left = LVIR_BOUNDS;
  SendMessageW(List, LVM_GETITEMRECT, static_cast<WPARAM>(Row), reinterpret_cast<LPARAM>(&Box));
  const LPARAM At = MAKELPARAM(Box.left + 20, (Box.top + Box.bottom) / 2);
  BYTE Saved[256];
  GetKeyboardState(Saved);
  BYTE State[256];
  CopyMemory(State, Saved, sizeof State);
  State[VK_SHIFT] = State[VK_LSHIFT] = (Keys & MK_SHIFT) ? 0x80 : 0;
  State[VK_CONTROL] = State[VK_LCONTROL] = (Keys & MK_CONTROL) ? 0x80 : 0;
  SetKeyboardState(State);
  PostMessageW(List, WM_LBUTTONDOWN, MK_LBUTTON | Keys, At);
  PostMessageW(List, WM_LBUTTONUP, Keys, At);
  Application->ProcessMessages();
  SetKeyboardState(Saved);
}

// A Shift+click four rows below the one selected in the middle; ms.
double ShiftClick(HWND List) {
  const int First = static_cast<int>(SendMessageW(List, LVM_GETITEMCOUNT, 0, 0)) / 2;
  SelectOnly(List, First);
  return Timed(
      List, [List, First] { ClickRow(List, First + 4, MK_SHIFT); },
      [List, First] { return FocusedRow(List) == First + 4 && SelectedCount(List) == 5; });
}

// After the Shift+click, a Ctrl+click two rows further adds that row; ms.
double CtrlClick(HWND List) {
  const int First = static_cast<int>(SendMessageW(List, LVM_GETITEMCOUNT, 0, 0)) / 2;
  return Timed(
      List, [List, First] { ClickRow(List, First + 6, MK_CONTROL); },
      [List, First] { return FocusedRow(List) == First + 6 && SelectedCount(List) == 6; });
}

// From the first row, Shift+End; ms.
double ShiftEnd(HWND List) {
  const int Rows = static_cast<int>(SendMessageW(List, LVM_GETITEMCOUNT, 0, 0));
  SelectOnly(List, 0);
  return Timed(
      List, [List] { PressKey(List, VK_END, ssShift); },
      [List, Rows] { return FocusedRow(List) == Rows - 1 && SelectedCount(List) == Rows; });
}

// Ctrl+A, from the first row selected; Select is what the key does. Ms.
double SelectAll(HWND List, const std::function<void()>& Select) {
  const int Rows = static_cast<int>(SendMessageW(List, LVM_GETITEMCOUNT, 0, 0));
  SelectOnly(List, 0);
  return Timed(List, Select, [List, Rows] { return SelectedCount(List) == Rows; });
}

void SelectEveryRow(HWND List) {
  LVITEMW All{};
  All.state = All.stateMask = LVIS_SELECTED;
  SendMessageW(List, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&All));
}

void Row(const char* What, int Rows, double Player, double Baseline) {
  if (Baseline > 0)
    std::printf("%-12s %10d %12.2f %12.2f %9.3f\n", What, Rows, Player, Baseline, Player / Baseline);
  else
    std::printf("%-12s %10d %12.2f %12s %9s\n", What, Rows, Player, "-", "-");
  std::fflush(stdout);
}

// Every row selected by Ctrl+A, then Del; ms up to the empty list drawn. Refills the list.
double DeleteAll(HWND List, int Rows) {
  SelectOnly(List, 0);
  PressKey(List, 'A', ssCtrl);
  const double Result = Timed(
      List, [List] { PressKey(List, VK_DELETE); },
      [List] { return SendMessageW(List, LVM_GETITEMCOUNT, 0, 0) == 0; });
  AlleSongs = bench::NumberedSongs(Rows);
  prog->ListeAktualisieren();
  return Result;
}

// The player's "remove all" of the same list; ms. Refills the list.
double RemoveAll(HWND List, int Rows) {
  const double Result = Timed(
      List, [] { prog->mp7Click(prog); }, [List] { return SendMessageW(List, LVM_GETITEMCOUNT, 0, 0) == 0; });
  AlleSongs = bench::NumberedSongs(Rows);
  prog->ListeAktualisieren();
  return Result;
}

void Measure(int Rows, bool Warm, int LargestSlowBare) {
  AlleSongs = bench::NumberedSongs(Rows);
  prog->ListeAktualisieren();
  const HWND Player = prog->lv->Handle();
  const double PShiftDown = ShiftDown(Player);
  const double PShiftClick = ShiftClick(Player);
  const double PCtrlClick = CtrlClick(Player);
  const double PShiftEnd = ShiftEnd(Player);
  const double PSelectAll = SelectAll(Player, [Player] { PressKey(Player, 'A', ssCtrl); });
  const double PDelete = DeleteAll(Player, Rows);
  const double PRemove = RemoveAll(Player, Rows);
  double BShiftDown = 0, BShiftClick = 0, BCtrlClick = 0, BShiftEnd = 0, BSelectAll = 0;
  {
    const TBareList Bare(Rows);
    BShiftDown = ShiftDown(Bare.List);
    BShiftClick = ShiftClick(Bare.List);
    BCtrlClick = CtrlClick(Bare.List);
    if (Rows <= LargestSlowBare) {
      BShiftEnd = ShiftEnd(Bare.List);
      BSelectAll = SelectAll(Bare.List, [&Bare] { SelectEveryRow(Bare.List); });
    }
  }
  if (Warm) return;
  Row("Shift+Down", Rows, PShiftDown, BShiftDown);
  Row("Shift+click", Rows, PShiftClick, BShiftClick);
  Row("Ctrl+click", Rows, PCtrlClick, BCtrlClick);
  Row("Shift+End", Rows, PShiftEnd, BShiftEnd);
  Row("Ctrl+A", Rows, PSelectAll, BSelectAll);
  Row("Del of all", Rows, PDelete, PRemove);
}

}  // namespace

int main(int argc, char** argv) {
  const int Largest = argc > 1 ? std::atoi(argv[1]) : 1000000;
  const int LargestSlowBare = argc > 2 ? std::atoi(argv[2]) : 100000;
  CreateProgramWindows();
  start->Timer1->SetEnabled(false);  // the splash must not go on to show the player meanwhile
  prog->Show();
  std::printf(
      "Selection keys and clicks in the playlist, ms from the key to the list drawn (Shift+Down: per key,\n"
      "mean of %d); baseline: the bare list view (for Del of all: the player's \"remove all\")\n",
      ShiftKeys);
  std::printf("%-12s %10s %12s %12s %9s\n", "what", "rows", "player", "baseline", "ratio");
  // The first keys and clicks after the window shows pay for setting up its drawing: a round untimed.
  Measure(1000, true, LargestSlowBare);
  for (int Rows = 10000; Rows <= Largest; Rows *= 10) Measure(Rows, false, LargestSlowBare);
  AlleSongs.clear();
  Application->DestroyForms();
  return 0;
}
