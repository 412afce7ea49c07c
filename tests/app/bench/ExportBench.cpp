// Times the text export of 100,000 generated songs, as text and as an HTML table, built and saved, next
// to writing the same text with the text-file writer alone; run by hand, not a test.
// Usage: app_export_bench [song count]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Imports/u_WideFunc.h"
#include "app/u_txtexport.h"

namespace {

// Repeatable fields with letters of both cases, umlauts, Greek, "&" and "<", and repeated artists.
TWideSongArray MakeSongs(int Count) {
  static const wchar_t* const Parts[] = {
      L"Rock & Roll", L"<Intro>", L"\u00C4rger", L"zebra",    L"Apfel", L"\u0391\u03B8\u03AE\u03BD\u03B1",
      L"night",       L"NIGHT",   L"Blue",       L"Mo\u00EBt"};
  TWideSongArray Songs(static_cast<size_t>(Count));
  unsigned Seed = 4711;
  auto Pick = [&Seed] {
    Seed = Seed * 1664525u + 1013904223u;
    return Parts[(Seed >> 12) % 10];
  };
  for (int I = 0; I < Count; ++I) {
    Song& S = Songs[static_cast<size_t>(I)];
    S[sfArtist] = std::wstring(Pick()) + L" " + std::to_wstring(I % 3000);
    S[sfTitle] = std::wstring(Pick()) + L" " + Pick() + L" " + std::to_wstring(I);
    S[sfLength] = SongLengthText(I % 700);
    S[sfAlbum] = Pick();
    S[sfTrack] = std::to_wstring(I % 18 + 1);
    S[sfYear] = std::to_wstring(1955 + I % 70);
    S[sfGenre] = Pick();
    S[sfPath] = L"E:\\Lieder\\" + S[sfArtist] + L"\\" + std::to_wstring(I) + L".mp3";
  }
  return Songs;
}

template <typename F>
double Ms(F Step) {
  const auto Start = std::chrono::steady_clock::now();
  Step();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - Start).count();
}

std::wstring TempFile(const wchar_t* Name) {
  wchar_t Folder[MAX_PATH];
  GetTempPathW(MAX_PATH, Folder);
  return std::wstring(Folder) + Name;
}

void Measure(const char* Name, const TWideSongArray& Songs, const TExportOptionen& O, const wchar_t* File) {
  const std::wstring Path = TempFile(File);
  const std::wstring Text = ExportText(Songs, O);
  // The best of rounds taken in turns, so that a busy moment of the machine hits neither side alone.
  double Writer = 1e300, Export = 1e300;
  for (int Round = 0; Round < 5; ++Round) {
    Writer = std::min(Writer, Ms([&] { WideSaveTextFile(Text, Path, cpUTF8); }));
    Export = std::min(Export, Ms([&] { ExportSpeichern(ExportText(Songs, O), Path, cpUTF8); }));
  }
  std::printf("%-34s %9.1f ms   writer alone %7.1f ms   ratio %5.1f   %zu characters\n", Name, Export, Writer,
              Export / Writer, Text.size());
  DeleteFileW(Path.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  const int Count = argc > 1 ? std::atoi(argv[1]) : 100000;
  const TWideSongArray Songs = MakeSongs(Count);
  std::printf("%d songs, UTF-8, best of five alternated rounds; the writer alone writes the same text\n",
              Count);
  TExportOptionen O;
  O.Format = L"%artist% - %title%";
  Measure("text, sorted", Songs, O, L"velmaro-export-bench.txt");
  O.Sortieren = false;
  Measure("text, playlist order", Songs, O, L"velmaro-export-bench.txt");
  O.Sortieren = true;
  O.Format = L"%123%. %artist% - %title% (%album%, %year%)";
  O.DoppelteWeg = true;
  Measure("text, numbered, no duplicates", Songs, O, L"velmaro-export-bench.txt");
  O = TExportOptionen{};
  O.Format = L"%artist%%tab%%title%%tab%%length%%tab%%album%%tab%%track%%tab%%year%%tab%%genre%";
  O.Html = true;
  Measure("HTML table, sorted", Songs, O, L"velmaro-export-bench.htm");
  O.Sortieren = false;
  Measure("HTML table, playlist order", Songs, O, L"velmaro-export-bench.htm");
  return 0;
}
