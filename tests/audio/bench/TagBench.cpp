// Reads the tags of generated files and prints files per second, beside a baseline that only opens
// each file and reads its first 64 KiB and its last 128 bytes, and the ratio of the two: once for tagged
// files with long names, once for untagged files with short names.
// Usage: audio_bench <fixture folder> [file count]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Imports/UCodeSysUtils.h"
#include "audio/MP3funk.h"
#include "tests/support/TestFiles.h"

namespace {

struct THandle {
  HANDLE H;
  ~THandle() {
    if (H != INVALID_HANDLE_VALUE) CloseHandle(H);
  }
};

void ReadHeadAndTail(const std::wstring& Name) {
  static std::vector<char> Buffer(64 * 1024);
  THandle F{CreateFileW(Name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)};
  DWORD Done = 0;
  ReadFile(F.H, Buffer.data(), static_cast<DWORD>(Buffer.size()), &Done, nullptr);
  SetFilePointer(F.H, -128, nullptr, FILE_END);
  ReadFile(F.H, Buffer.data(), 128, &Done, nullptr);
}

template <typename F>
double FilesPerSecond(const std::vector<std::wstring>& Files, F Read) {
  const auto Start = std::chrono::steady_clock::now();
  for (const std::wstring& Name : Files) Read(Name);
  const std::chrono::duration<double> Seconds = std::chrono::steady_clock::now() - Start;
  return Files.size() / Seconds.count();
}

struct TFileSet {
  std::wstring Folder;
  std::vector<std::wstring> Files;
  ~TFileSet() {
    for (const std::wstring& Name : Files) DeleteFileW(Name.c_str());
    RemoveDirectoryW(Folder.c_str());
  }
};

// Count files cycling through the seeds, every one with its own audio bytes; Name gives a file's name.
template <typename N>
bool MakeFiles(TFileSet& Set, const std::wstring& Fixtures, const std::vector<const wchar_t*>& Kinds,
               int Count, N Name) {
  std::vector<Bytes> Seeds;
  for (const wchar_t* Kind : Kinds) {
    Seeds.push_back(ReadBytes(Fixtures + L"\\" + Kind));
    if (Seeds.back().empty()) {
      std::fwprintf(stderr, L"missing fixture %ls\n", Kind);
      return false;
    }
  }
  CreateDirectoryW(Set.Folder.c_str(), nullptr);
  for (int I = 0; I < Count; ++I) {
    const size_t Kind = I % Seeds.size();
    Bytes Data = Seeds[Kind];
    Data[Data.size() / 2] ^= static_cast<unsigned char>(I);
    Set.Files.push_back(Set.Folder + L"\\" + Name(I, Kinds[Kind]));
    WriteBytes(Set.Files.back(), Data);
  }
  return true;
}

// The best of rounds taken in turns, so that a busy moment of the machine hits neither side alone.
void Compare(const char* What, const std::vector<std::wstring>& Files) {
  FilesPerSecond(Files, ReadHeadAndTail);  // warms the file cache for both runs
  double Baseline = 0, Tags = 0;
  int TotalSeconds = 0;
  for (int Round = 0; Round < 5; ++Round) {
    Baseline = std::max(Baseline, FilesPerSecond(Files, ReadHeadAndTail));
    TotalSeconds = 0;
    Tags = std::max(Tags, FilesPerSecond(Files, [&](const std::wstring& Name) {
                      TAudioInfo Info;
                      Info.ReadFromFile(Name);
                      TotalSeconds += Info.Duration;
                    }));
  }
  std::printf("%s: %zu files (%d s of audio), best of 5 rounds\n", What, Files.size(), TotalSeconds);
  std::printf("  baseline (open, first 64 KiB, last 128 bytes): %.0f files/s\n", Baseline);
  std::printf("  TAudioInfo.ReadFromFile:                       %.0f files/s (%.2f of the baseline)\n", Tags,
              Tags / Baseline);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: audio_bench <fixture folder> [file count]\n");
    return 2;
  }
  const std::wstring Fixtures = argv[1];
  const int Count = argc > 2 ? _wtoi(argv[2]) : 3000;
  wchar_t Temp[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, Temp);
  const std::wstring Base = std::wstring(Temp) + L"velmaro-bench-" + std::to_wstring(GetCurrentProcessId());
  TFileSet Tagged{Base + L"-tagged", {}};
  if (!MakeFiles(Tagged, Fixtures, {L"cbr.mp3", L"vbr.mp3", L"v1only.mp3", L"tagged.ogg", L"tagged.wma"},
                 Count, [](int I, const wchar_t* Kind) { return std::to_wstring(I) + L" - " + Kind; }))
    return 1;
  // Untagged files named like "1.mp3" take their title from the file name.
  TFileSet Untagged{Base + L"-short", {}};
  if (!MakeFiles(Untagged, Fixtures, {L"plain.mp3", L"plain.ogg"}, Count,
                 [](int I, const wchar_t* Kind) { return std::to_wstring(I) + WideExtractFileExt(Kind); }))
    return 1;
  Compare("tagged files, long names", Tagged.Files);
  Compare("untagged files, names of 12 characters or fewer", Untagged.Files);
  return 0;
}
