// Adds a folder of generated tagged MP3 files through the player window and through the add-folder
// window (shown, with its counters, progress bar and message pumping), and pastes the same files into the
// shown player window; prints the times beside reading the same files' tags alone, the ratio of each to
// that, and the paste's ratio to the player window's add-folder road.
// Usage: app_addfolder_bench <fixture folder> [file count] [rounds]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "app/Program.h"
#include "app/u_addordner.h"
#include "Imports/u_WideFunc.h"
#include "app/u_funktionen.h"
#include "app/u_start.h"
#include "app/u_prog.h"
#include "audio/MP3funk.h"
#include "tests/support/TestFiles.h"

namespace {

template <typename F>
double Seconds(F Work) {
  const auto Start = std::chrono::steady_clock::now();
  Work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: app_addfolder_bench <fixture folder> [file count]\n");
    return 2;
  }
  const int Count = argc > 2 ? _wtoi(argv[2]) : 10000;
  const int Rounds = argc > 3 ? _wtoi(argv[3]) : 5;
  const Bytes Seed = ReadBytes(std::wstring(argv[1]) + L"\\songs\\a.mp3");
  if (Seed.empty()) {
    std::fprintf(stderr, "missing fixture songs\\a.mp3\n");
    return 1;
  }
  wchar_t Temp[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, Temp);
  const std::wstring Folder =
      std::wstring(Temp) + L"velmaro-addfolder-" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(Folder.c_str(), nullptr);
  std::vector<std::wstring> Files;
  for (int I = 0; I < Count; ++I) {
    // Ten sub-folders, as a music folder has them.
    const std::wstring Sub = Folder + L"\\cd" + std::to_wstring(I % 10);
    CreateDirectoryW(Sub.c_str(), nullptr);
    Bytes Data = Seed;
    Data[Data.size() / 2] ^= static_cast<unsigned char>(I);
    Files.push_back(Sub + L"\\" + std::to_wstring(I) + L" - song.mp3");
    WriteBytes(Files.back(), Data);
  }
  CreateProgramWindows();
  // The window lets messages through: the splash must not go on to show the player meanwhile.
  start->Timer1->SetEnabled(false);
  prog->Show();
  addordner->Show();
  CaptionSetzen(addordner->ed_ort, Folder);
  addordner->nurneu->SetChecked(false);
  // The best of rounds taken in turns, so that a busy moment of the machine hits neither side alone.
  std::wstring List;
  for (const std::wstring& Name : Files) List += Name + L'\0';
  List.pop_back();
  double Tags = 1e9, Add = 1e9, Window = 1e9, Paste = 1e9;
  for (int Round = 0; Round < Rounds; ++Round) {
    Tags = std::min(Tags, Seconds([&] {
                      for (const std::wstring& Name : Files) {
                        TAudioInfo Info;
                        Info.ReadFromFile(Name);
                      }
                    }));
    AlleSongs.clear();
    Add = std::min(Add, Seconds([&] { prog->OrdnerHinzufuegen(Folder); }));
    AlleSongs.clear();
    Window = std::min(Window, Seconds([&] { addordner->hinzufuegenClick(nullptr); }));
    AlleSongs.clear();
    prog->ListeAktualisieren();
    CopyFilesToClipboard(List);
    Paste = std::min(Paste, Seconds([&] { prog->mp11Click(nullptr); }));
  }
  std::printf("%d files, %zu rows, best of %d rounds\n", Count, AlleSongs.size(), Rounds);
  std::printf("TAudioInfo.ReadFromFile alone:  %.2f s (%.0f files/s)\n", Tags, Count / Tags);
  std::printf("Tprog.OrdnerHinzufuegen:        %.2f s (%.0f files/s, %.2f x the tags alone)\n", Add,
              Count / Add, Add / Tags);
  std::printf("Taddordner.hinzufuegenClick:    %.2f s (%.0f files/s, %.2f x the tags alone)\n", Window,
              Count / Window, Window / Tags);
  std::printf(
      "Tprog.mp11Click (paste):        %.2f s (%.0f files/s, %.2f x the tags alone, %.2f x the add-folder "
      "road)\n",
      Paste, Count / Paste, Paste / Tags, Paste / Add);
  Application->DestroyForms();
  for (const std::wstring& Name : Files) DeleteFileW(Name.c_str());
  for (int I = 0; I < 10; ++I) RemoveDirectoryW((Folder + L"\\cd" + std::to_wstring(I)).c_str());
  RemoveDirectoryW(Folder.c_str());
  return 0;
}
