// Writes and reads a playlist of 200,000 songs (into an empty list, as at a start, and again) and sorts
// it by every column, timing each step next to a baseline that only reads the file's bytes and splits
// them into lines.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/u_WideMP3Func.h"
#include "app/u_prog.h"
#include "tests/app/bench/ListBench.h"

namespace {

constexpr int SongCount = 200000;

double Seconds(const std::chrono::steady_clock::time_point& Start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
}

template <class F>
double Timed(F Step) {
  const auto Start = std::chrono::steady_clock::now();
  Step();
  return Seconds(Start);
}

TWideSongArray MakeSongs() {
  return bench::GeneratedSongs(SongCount, 12345, L"Musik\\");
}

// The baseline: the file's bytes and their lines, no decoding and no songs.
size_t ReadLinesOnly(const std::wstring& FileName) {
  HANDLE File =
      CreateFileW(FileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (File == INVALID_HANDLE_VALUE) return 0;
  const std::unique_ptr<void, decltype(&CloseHandle)> Guard(File, &CloseHandle);
  LARGE_INTEGER Size{};
  GetFileSizeEx(File, &Size);
  std::string Bytes(static_cast<size_t>(Size.QuadPart), '\0');
  DWORD Read = 0;
  ReadFile(File, Bytes.data(), static_cast<DWORD>(Bytes.size()), &Read, nullptr);
  std::vector<std::string> Lines;
  for (size_t Pos = 0, End; Pos < Read; Pos = End + 2) {
    End = Bytes.find("\r\n", Pos);
    if (End == std::string::npos) End = Read;
    Lines.emplace_back(Bytes, Pos, End - Pos);
  }
  return Lines.size();
}

}  // namespace

int main() {
  wchar_t Temp[MAX_PATH];
  GetTempPathW(MAX_PATH, Temp);
  const std::wstring FileName = std::wstring(Temp) + L"velmaro-bench.vlm";
  const TWideSongArray Songs = MakeSongs();

  DeleteFileW(FileName.c_str());  // left by a run that was stopped: saving would ask before replacing it
  std::printf("%d songs, best of 15 rounds\n", SongCount);
  std::printf("%-30s %8.3f s\n", "write (UTF-8)", Timed([&] { PlaylistSpeichern(Songs, FileName); }));
  // The best of rounds taken in turns, so that a busy moment of the machine hits neither side alone.
  // Fifteen: on a shared machine, three rounds often left a busy moment in every first load.
  size_t Lines = 0;
  double Baseline = 1e9, First = 1e9, Load = 1e9, Copy = 1e9;
  TWideSongArray Kopie;
  for (int Round = 0; Round < 15; ++Round) {
    Baseline = std::min(Baseline, Timed([&] { Lines = ReadLinesOnly(FileName); }));
    // The first load, as at a start: into a list that has never held songs.
    TWideSongArray().swap(AlleSongs);
    First = std::min(First, Timed([&] { LoadPlaylist(FileName); }));
    // A reload: the list keeps the room of the songs it held.
    AlleSongs.clear();
    Load = std::min(Load, Timed([&] { LoadPlaylist(FileName); }));
    // What the songs' strings alone cost: a copy makes the same buffers and nothing else. Its song
    // array stays from round to round, as AlleSongs keeps its own through clear().
    Kopie.clear();
    Copy = std::min(Copy, Timed([&] { Kopie.assign(AlleSongs.begin(), AlleSongs.end()); }));
  }
  std::printf("%-30s %8.3f s  (%zu lines)\n", "baseline: bytes + lines", Baseline, Lines);
  std::printf("%-30s %8.3f s  (%zu songs, %.2f x baseline)\n", "LoadPlaylist, first", First, AlleSongs.size(),
              First / Baseline);
  std::printf("%-30s %8.3f s  (%.2f x baseline)\n", "LoadPlaylist, again", Load, Load / Baseline);
  std::printf("%-30s %8.3f s  (%.1f x baseline)\n", "copy of the loaded songs", Copy, Copy / Baseline);
  static const char* const Names[] = {"artist", "title", "length", "album", "track", "year", "genre", "path"};
  for (int Field = 0; Field < SongFieldCount; ++Field) {
    const double Up = Timed([&] { SortSongs(AlleSongs, false, Field); });
    const double Down = Timed([&] { SortSongs(AlleSongs, true, Field); });
    std::printf("sort %-25s %8.3f s up, %.3f s down (%.1f x baseline)\n", Names[Field], Up, Down,
                Up / Baseline);
  }
  DeleteFileW(FileName.c_str());
  return 0;
}
