// Times a click on a column header of the player's playlist, from the click to the sorted rows drawn, at
// 100,000 and 1,000,000 songs, next to the plain sort of the same songs (a key string per song, sorted by
// the key array's quicksort) in the same process; prints ms and the ratio. Not a test.
// Usage: app_sortclick_bench [largest song count]
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
#include "tests/app/PlainSongSort.h"
#include "tests/app/bench/ListBench.h"

namespace {

using bench::Milliseconds;

TWideSongArray MakeSongs(int Count) {
  return bench::GeneratedSongs(Count, 52, L"D:\\Musik\\");
}

// A click on the header of view column Column, handled by the application's loop, and the list drawn.
double HeaderClick(int Column) {
  const HWND List = prog->lv->Handle();
  const HWND Header = reinterpret_cast<HWND>(SendMessageW(List, LVM_GETHEADER, 0, 0));
  RECT Box{};
  SendMessageW(Header, HDM_GETITEMRECT, static_cast<WPARAM>(Column), reinterpret_cast<LPARAM>(&Box));
  const LPARAM At = MAKELPARAM((Box.left + Box.right) / 2, (Box.top + Box.bottom) / 2);
  const auto Start = std::chrono::steady_clock::now();
  PostMessageW(Header, WM_LBUTTONDOWN, MK_LBUTTON, At);
  PostMessageW(Header, WM_LBUTTONUP, 0, At);
  Application->ProcessMessages();
  UpdateWindow(List);
  return Milliseconds(Start);
}

}  // namespace

int main(int argc, char** argv) {
  const int Largest = argc > 1 ? std::atoi(argv[1]) : 1000000;
  CreateProgramWindows();
  start->Timer1->SetEnabled(false);  // the splash must not go on to show the player meanwhile
  prog->Show();
  // The first clicks after the window shows pay for setting up its drawing and the pool: a round untimed.
  AlleSongs = MakeSongs(20000);
  prog->ListeAktualisieren();
  for (const int Column : {1, 1, 2, 2}) HeaderClick(Column);
  std::printf("header click to the sorted rows drawn, ms, next to the plain sort of the same songs\n");
  std::printf("%9s %-14s %10s %10s %7s\n", "songs", "column", "click", "plain", "ratio");
  static const char* const Names[] = {"number", "artist", "title", "length", "album",
                                      "track",  "year",   "genre", "path"};
  for (int Count = 100000; Count <= Largest; Count *= 10) {
    AlleSongs = MakeSongs(Count);
    prog->ListeAktualisieren();
    UpdateWindow(prog->lv->Handle());
    for (const int Column : {1, 2, 3, 4, 6, 8}) {
      for (const char* Way : {"up", "down"}) {
        // The plain sort starts from the order the click starts from, and must end in the click's.
        TWideSongArray Plain = AlleSongs;
        const double Click = HeaderClick(Column);
        const auto Start = std::chrono::steady_clock::now();
        PlainSortSongs(Plain, SortAbsteigend == 1, Column - 1);
        const double PlainMs = Milliseconds(Start);
        const bool Same = Plain == AlleSongs;
        std::printf("%9d %-9s %-4s %10.1f %10.1f %7.2f%s\n", Count, Names[Column], Way, Click, PlainMs,
                    Click / PlainMs, Same ? "" : "  ORDER DIFFERS");
        std::fflush(stdout);
      }
    }
  }
  AlleSongs.clear();
  Application->DestroyForms();
  return 0;
}
