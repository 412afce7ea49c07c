#pragma once
// Files and folders for tests: each TempDir is a new folder, removed with everything in it.
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder's full path, without a trailing backslash.
  const std::wstring& Path() const { return FPath; }
  // Path() + "\" + Name.
  std::wstring File(const std::wstring& Name) const;

 private:
  std::wstring FPath;
};

void WriteBytes(const std::wstring& FileName, const Bytes& Data);
Bytes ReadBytes(const std::wstring& FileName);
bool PathExists(const std::wstring& Path);
void MakeDir(const std::wstring& Path);
// Bytes from a string literal that may hold zero bytes: B("\xFF\xFE" "a\0", 4).
Bytes B(const char* Data, size_t Size);
// A Linux path as a Windows path on Wine's Z: drive.
std::wstring WinePath(const std::wstring& LinuxPath);
// The folder that a CTest fixture script made, named by the environment variable EnvName
// (a Linux path), as a Windows path on Wine's Z: drive.
std::wstring FixtureFolder(const wchar_t* EnvName);
