#include "tests/support/TestFiles.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>

namespace {

void RemoveTree(const std::wstring& Path) {
  WIN32_FIND_DATAW Data;
  HANDLE Find = FindFirstFileW((Path + L"\\*").c_str(), &Data);
  if (Find != INVALID_HANDLE_VALUE) {
    do {
      std::wstring Name = Data.cFileName;
      if (Name == L"." || Name == L"..") continue;
      std::wstring Full = Path + L"\\" + Name;
      SetFileAttributesW(Full.c_str(), FILE_ATTRIBUTE_NORMAL);
      // A junction or link is removed itself, never followed.
      if ((Data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
          !(Data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        RemoveTree(Full);
      else if (Data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveDirectoryW(Full.c_str());
      else
        DeleteFileW(Full.c_str());
    } while (FindNextFileW(Find, &Data));
    FindClose(Find);
  }
  RemoveDirectoryW(Path.c_str());
}

}  // namespace

TempDir::TempDir() {
  static std::atomic<int> Counter{0};
  wchar_t Base[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, Base);
  FPath = std::wstring(Base) + L"velmaro-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
          std::to_wstring(Counter++);
  RemoveTree(FPath);
  MakeDir(FPath);
}

TempDir::~TempDir() {
  RemoveTree(FPath);
}

std::wstring TempDir::File(const std::wstring& Name) const {
  return FPath + L"\\" + Name;
}

void WriteBytes(const std::wstring& FileName, const Bytes& Data) {
  HANDLE H =
      CreateFileW(FileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(H, INVALID_HANDLE_VALUE);
  DWORD Written = 0;
  if (!Data.empty()) WriteFile(H, Data.data(), static_cast<DWORD>(Data.size()), &Written, nullptr);
  CloseHandle(H);
  ASSERT_EQ(Written, Data.size());
}

Bytes ReadBytes(const std::wstring& FileName) {
  Bytes Data;
  HANDLE H = CreateFileW(FileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (H == INVALID_HANDLE_VALUE) {
    ADD_FAILURE() << "cannot open test file";
    return Data;
  }
  LARGE_INTEGER Size;
  GetFileSizeEx(H, &Size);
  Data.resize(static_cast<size_t>(Size.QuadPart));
  DWORD Read = 0;
  if (!Data.empty()) ReadFile(H, Data.data(), static_cast<DWORD>(Data.size()), &Read, nullptr);
  CloseHandle(H);
  Data.resize(Read);
  return Data;
}

bool PathExists(const std::wstring& Path) {
  return GetFileAttributesW(Path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void MakeDir(const std::wstring& Path) {
  CreateDirectoryW(Path.c_str(), nullptr);
}

Bytes B(const char* Data, size_t Size) {
  return Bytes(reinterpret_cast<const uint8_t*>(Data), reinterpret_cast<const uint8_t*>(Data) + Size);
}

std::wstring FixtureFolder(const wchar_t* EnvName) {
  wchar_t Buffer[1024];
  const DWORD Length = GetEnvironmentVariableW(EnvName, Buffer, 1024);
  EXPECT_TRUE(Length > 0 && Length < 1024) << "the fixture folder variable is not set";
  return WinePath(std::wstring(Buffer, Length < 1024 ? Length : 0));
}

std::wstring WinePath(const std::wstring& LinuxPath) {
  std::wstring Path = LinuxPath;
  for (wchar_t& C : Path)
    if (C == L'/') C = L'\\';
  return L"Z:" + Path;
}
