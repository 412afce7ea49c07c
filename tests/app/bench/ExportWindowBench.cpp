// Times the export window with a long playlist: the ways of putting the export into its memo, from a
// character typed in the format to the window answering input and to the memo showing the new export, at
// 10,000 and 100,000 songs, and runs of keys typed at several paces, each key's wait until the format
// shows it. Not a test.
// Usage: app_exportwindow_bench [largest song count [ways]]: with a second argument also the ways of filling
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "app/Program.h"
#include "app/u_funktionen.h"
#include "app/u_prog.h"
#include "app/u_start.h"
#include "app/u_txtexport.h"
#include "tests/support/KeyPress.h"

namespace {

using TClock = std::chrono::steady_clock;

double Ms(TClock::time_point Start) {
  return std::chrono::duration<double, std::milli>(TClock::now() - Start).count();
}

template <typename F>
double Ms(F Step) {
  const auto Start = TClock::now();
  Step();
  return Ms(Start);
}

TWideSongArray MakeSongs(int Count) {
  TWideSongArray Songs(static_cast<size_t>(Count));
  for (int I = 0; I < Count; ++I) {
    Song& S = Songs[static_cast<size_t>(I)];
    S[sfArtist] = L"Artist " + std::to_wstring(I % 3000);
    S[sfTitle] = L"A title of song " + std::to_wstring(I);
    S[sfLength] = SongLengthText(I % 700);
    S[sfAlbum] = L"Album " + std::to_wstring(I % 500);
    S[sfTrack] = std::to_wstring(I % 18 + 1);
    S[sfYear] = std::to_wstring(1955 + I % 70);
    S[sfGenre] = L"Rock";
    S[sfPath] = L"E:\\Lieder\\" + S[sfArtist] + L"\\" + std::to_wstring(I) + L".mp3";
  }
  return Songs;
}

void Clear(HWND Memo) {
  SendMessageW(Memo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
}

// The same export put into the memo in the ways the edit control offers.
void FillWays(const std::wstring& Text) {
  const HWND Memo = txtexport->output->Handle();
  const auto SetText = [&] { SendMessageW(Memo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Text.c_str())); };
  Clear(Memo);
  std::printf("  WM_SETTEXT                     %9.0f ms\n", Ms(SetText));
  Clear(Memo);
  std::printf("  WM_SETTEXT, redraw off         %9.0f ms\n", Ms([&] {
                SendMessageW(Memo, WM_SETREDRAW, FALSE, 0);
                SetText();
                SendMessageW(Memo, WM_SETREDRAW, TRUE, 0);
                InvalidateRect(Memo, nullptr, TRUE);
                UpdateWindow(Memo);
              }));
  Clear(Memo);
  std::printf("  WM_SETTEXT, hidden             %9.0f ms\n", Ms([&] {
                ShowWindow(Memo, SW_HIDE);
                SetText();
                ShowWindow(Memo, SW_SHOW);
                UpdateWindow(Memo);
              }));
  for (const size_t Piece : {size_t{16384}, size_t{65536}, size_t{16385}}) {
    Clear(Memo);
    SendMessageW(Memo, EM_SETLIMITTEXT, 0, 0);
    const bool Quiet = Piece == 16385;
    if (Quiet) SendMessageW(Memo, WM_SETREDRAW, FALSE, 0);
    double Longest = 0, First = 0, Last = 0;
    const double All = Ms([&] {
      for (size_t At = 0; At < Text.size(); At += Piece) {
        const std::wstring Part = Text.substr(At, Piece);
        const double One = Ms([&] {
          if (!Quiet) SendMessageW(Memo, EM_SETSEL, At, At);
          SendMessageW(Memo, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Part.c_str()));
        });
        Longest = std::max(Longest, One);
        if (At == 0) First = One;
        Last = One;
      }
    });
    if (Quiet) SendMessageW(Memo, WM_SETREDRAW, TRUE, 0);
    std::printf("  EM_REPLACESEL by %6zu chars%s  %9.0f ms, longest piece %.1f ms, first %.1f, last %.1f\n",
                Piece, Quiet ? ", redraw off, no EM_SETSEL" : "", All, Longest, First, Last);
  }
  // Whole lines put in front, the last lines first.
  {
    Clear(Memo);
    std::vector<size_t> Cuts{Text.size()};
    while (Cuts.back() > 0) {
      const size_t Before = Cuts.back() > 16384 ? Text.rfind(L'\n', Cuts.back() - 16384) : std::wstring::npos;
      Cuts.push_back(Before == std::wstring::npos ? 0 : Before + 1);
    }
    double Longest = 0, First = 0, Last = 0;
    const double All = Ms([&] {
      for (size_t I = 0; I + 1 < Cuts.size(); ++I) {
        const std::wstring Part = Text.substr(Cuts[I + 1], Cuts[I] - Cuts[I + 1]);
        const double One = Ms([&] {
          SendMessageW(Memo, EM_SETSEL, 0, 0);
          SendMessageW(Memo, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Part.c_str()));
        });
        Longest = std::max(Longest, One);
        if (I == 0) First = One;
        Last = One;
      }
    });
    const bool Same = GetWindowTextLengthW(Memo) == static_cast<int>(Text.size());
    std::printf("  EM_REPLACESEL in front, lines  %9.0f ms, longest piece %.1f ms, first %.1f, last %.1f%s\n",
                All, Longest, First, Last, Same ? "" : " (length differs)");
  }
  Clear(Memo);
}

// Asks the window again and again from a second thread, as the system asks whether it answers: the
// longest time one question waited is the longest that input waited.
class TNachfrage {
 public:
  explicit TNachfrage(HWND Wnd)
      : FThread([this, Wnd] {
          while (!FEnde) {
            const auto Start = TClock::now();
            DWORD_PTR Result;
            SendMessageTimeoutW(Wnd, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &Result);
            FLaengste = std::max(FLaengste.load(), Ms(Start));
            Sleep(2);
          }
          FFertig = true;
        }) {}
  // The longest wait, once the question still waiting has been answered.
  double Beenden() {
    FEnde = true;
    while (!FFertig) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
      Application->ProcessMessages();
    }
    FThread.join();
    return FLaengste;
  }

 private:
  std::atomic<bool> FEnde{false};
  std::atomic<bool> FFertig{false};
  std::atomic<double> FLaengste{0};
  std::thread FThread;
};

// A character typed at the end of the format, with Auto Update on: the longest time input waited from
// the key until the memo holds the new export, and the time until it does.
void TypedCharacter(int Count) {
  AlleSongs = MakeSongs(Count);
  txtexport->cb_autoupdate->SetChecked(true);
  txtexport->SchreibenClick(nullptr);
  const HWND Memo = txtexport->output->Handle();
  const std::wstring Before = txtexport->AusgabeText();
  const auto Shown = [&](size_t Length) { return GetWindowTextLengthW(Memo) == static_cast<int>(Length); };
  while (!Shown(Before.size())) Application->HandleMessage();
  TExportOptionen O = txtexport->Optionen();
  O.Format += L"x";
  const std::wstring After = ExportText(AlleSongs, O);
  const HWND Edit = GetWindow(txtexport->formstr->Handle(), GW_CHILD);
  SetFocus(Edit);
  SendMessageW(Edit, EM_SETSEL, 0x7FFFFFFF, 0x7FFFFFFF);
  double Laengste = 0, Gezeigt = 0, Einzeln = 0;
  {
    TNachfrage Nachfrage(txtexport->Handle());
    Sleep(20);
    const auto Start = TClock::now();
    Einzeln = Ms([&] { PressKey(Edit, 'X'); });
    while (!Shown(After.size())) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
      MSG Msg;
      while (PeekMessageW(&Msg, nullptr, 0, 0, PM_NOREMOVE))
        Einzeln = std::max(Einzeln, Ms([] { Application->HandleMessage(); }));
    }
    Gezeigt = Ms(Start);
    Laengste = Nachfrage.Beenden();
  }
  const bool Same = txtexport->AusgabeText() == After;
  std::printf("  (building the export alone %.1f ms, emptying the full memo %.1f ms)\n",
              Ms([&] { ExportText(AlleSongs, O); }), Ms([&] { Clear(Memo); }));
  std::printf(
      "%7d songs: input waited at most %7.1f ms (the longest message %7.1f ms); the memo showed the new "
      "export "
      "after %7.0f ms%s\n",
      Count, Laengste, Einzeln, Gezeigt, Same ? "" : " (WRONG TEXT)");
  std::fflush(stdout);
}

// Keys typed into the format from a second thread, one every Pace ms as a user types them: for each key
// the time until the format holds it (the window thread has taken it), the longest of the run; whether
// the window's caption told meanwhile that a new export is coming; and the time from the last key until
// the memo shows the export of the last format.
void TypedRun(int Count, int Pace, int Keys) {
  AlleSongs = MakeSongs(Count);
  txtexport->cb_autoupdate->SetChecked(true);
  CaptionSetzen(txtexport->formstr, L"%artist% - %title%");
  txtexport->SchreibenClick(nullptr);
  const HWND Memo = txtexport->output->Handle();
  const std::wstring Before = txtexport->AusgabeText();
  const auto Shown = [&](size_t Length) { return GetWindowTextLengthW(Memo) == static_cast<int>(Length); };
  while (!Shown(Before.size())) Application->HandleMessage();
  const std::wstring Caption = TextLesen(txtexport);
  TExportOptionen O = txtexport->Optionen();
  O.Format += std::wstring(static_cast<size_t>(Keys), L'x');
  const std::wstring After = ExportText(AlleSongs, O);
  const HWND Edit = GetWindow(txtexport->formstr->Handle(), GW_CHILD);
  const HWND Form = txtexport->Handle();
  SetFocus(Edit);
  SendMessageW(Edit, EM_SETSEL, 0x7FFFFFFF, 0x7FFFFFFF);
  const int Start = GetWindowTextLengthW(Edit);
  std::atomic<bool> Done{false}, Sign{false};
  double Longest = 0;
  TClock::time_point LastKey;
  std::thread Typist([&] {
    const auto Ask = [](HWND Wnd, UINT Msg, WPARAM W, LPARAM L) {
      DWORD_PTR Result = 0;
      SendMessageTimeoutW(Wnd, Msg, W, L, SMTO_NORMAL, 60000, &Result);
      return static_cast<int>(Result);
    };
    for (int K = 1; K <= Keys; ++K) {
      const auto Key = TClock::now();
      LastKey = Key;
      PostMessageW(Edit, WM_CHAR, L'x', 1);
      while (Ask(Edit, WM_GETTEXTLENGTH, 0, 0) < Start + K) Sleep(0);
      Longest = std::max(Longest, Ms(Key));
      while (Ms(Key) < Pace) {
        wchar_t Text[256] = {};
        Ask(Form, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(Text));
        if (Caption != Text) Sign = true;
        Sleep(10);
      }
    }
    Done = true;
  });
  while (!Done || !Shown(After.size())) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    Application->ProcessMessages();
  }
  const double Arrived = Ms(LastKey);
  Typist.join();
  const bool Same = txtexport->AusgabeText() == After;
  std::printf(
      "%7d songs, a key every %5d ms: longest wait of a key %7.1f ms (goal 100); the last "
      "format's export shown %6.0f ms after its key; a coming export told: %s%s\n",
      Count, Pace, Longest, Arrived, Sign ? "yes" : "no", Same ? "" : " (WRONG TEXT)");
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  const int Largest = argc > 1 ? std::atoi(argv[1]) : 100000;
  CreateProgramWindows();
  start->Timer1->SetEnabled(false);  // the splash must not go on to show the player meanwhile
  txtexport->cb_autoupdate->SetChecked(false);
  txtexport->Show();
  std::printf("A character typed in the format with Auto Update on\n");
  for (int Count = 10000; Count <= Largest; Count *= 10) TypedCharacter(Count);
  std::printf("Runs of keys typed in the format with Auto Update on\n");
  for (const int Pace : {100, 250, 450, 1000}) TypedRun(Largest, Pace, 6);
  if (argc > 2) {
    txtexport->cb_autoupdate->SetChecked(false);
    AlleSongs = MakeSongs(Largest);
    const std::wstring Text = ExportText(AlleSongs, txtexport->Optionen());
    std::printf("%d songs, %zu characters: into the memo\n", Largest, Text.size());
    FillWays(Text);
  }
  AlleSongs.clear();
  Application->DestroyForms();
  return 0;
}
