#include "Imports/UCodeWindows.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "Imports/UCodeSysUtils.h"
#include "classlib/SysUtils.h"

namespace {

std::string ToAnsi(LPCWSTR S) {
  return S ? WideToAnsi(S) : std::string();
}

// Null stays null: some callers give meaning to a missing name (MoveFileEx without a target).
const char* AnsiOrNull(LPCWSTR Wide, const std::string& Ansi) {
  return Wide ? Ansi.c_str() : nullptr;
}

// The A functions report the size they need when the result does not fit; the buffer grows to it.
template <typename Call>
DWORD CallAnsiGrowing(std::string& Result, DWORD InitialSize, Call AnsiCall) {
  std::vector<char> Buffer(InitialSize);
  DWORD Len = AnsiCall(Buffer.data(), static_cast<DWORD>(Buffer.size()));
  while (Len >= Buffer.size()) {
    Buffer.resize(Len);
    Len = AnsiCall(Buffer.data(), static_cast<DWORD>(Buffer.size()));
  }
  if (Len > 0) Result.assign(Buffer.data(), Len);
  return Len;
}

void CopyWide(LPWSTR Dest, const std::wstring& S, size_t Count) {
  std::copy_n(S.data(), Count, Dest);
  Dest[Count] = L'\0';
}

template <size_t N>
void ConvertName(const char (&Ansi)[N], WCHAR (&Wide)[N]) {
  std::wstring W = AnsiToWide(std::string(Ansi, strnlen(Ansi, N)));
  CopyWide(Wide, W, std::min(W.size(), N - 1));
}

}  // namespace

BOOL UCode_SetWindowTextW(HWND hWnd, LPCWSTR lpString) {
  if (IsUnicodePlatform) return SetWindowTextW(hWnd, lpString);
  std::string Text = ToAnsi(lpString);
  return SetWindowTextA(hWnd, AnsiOrNull(lpString, Text));
}

DWORD UCode_GetShortPathNameW(LPCWSTR lpszLongPath, LPWSTR lpszShortPath, DWORD cchBuffer) {
  if (IsUnicodePlatform) return GetShortPathNameW(lpszLongPath, lpszShortPath, cchBuffer);
  std::string Long = ToAnsi(lpszLongPath);
  std::string Short;
  DWORD Len = CallAnsiGrowing(
      Short, 520, [&](char* Buf, DWORD Size) { return GetShortPathNameA(Long.c_str(), Buf, Size); });
  if (Len == 0) return 0;
  return CopyAnsiResultToWideBuffer(cchBuffer, lpszShortPath, Short, cwrPathComponents);
}

DWORD UCode_GetFullPathNameW(LPCWSTR lpFileName, DWORD nBufferLength, LPWSTR lpBuffer, LPWSTR* lpFilePart) {
  if (IsUnicodePlatform) return GetFullPathNameW(lpFileName, nBufferLength, lpBuffer, lpFilePart);
  std::string Name = ToAnsi(lpFileName);
  std::string Full;
  size_t PartOffset = std::string::npos;
  DWORD Len = CallAnsiGrowing(Full, 520, [&](char* Buf, DWORD Size) {
    char* Part = nullptr;
    DWORD L = GetFullPathNameA(Name.c_str(), Size, Buf, &Part);
    PartOffset = Part ? static_cast<size_t>(Part - Buf) : std::string::npos;
    return L;
  });
  if (Len == 0) return 0;
  DWORD Result = CopyAnsiResultToWideBuffer(nBufferLength, lpBuffer, Full, cwrEmptyWhenShort);
  if (lpFilePart) {
    bool Fits = Result < nBufferLength;
    // The offset counts characters, so a double-byte prefix is measured after conversion.
    *lpFilePart = Fits && PartOffset != std::string::npos
                      ? lpBuffer + AnsiToWide(Full.substr(0, PartOffset)).size()
                      : nullptr;
  }
  return Result;
}

HANDLE UCode_CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                         LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                         DWORD dwFlagsAndAttributes, HANDLE hTemplateFile) {
  if (IsUnicodePlatform)
    return CreateFileW(lpFileName, dwDesiredAccess, dwShareMode, lpSecurityAttributes, dwCreationDisposition,
                       dwFlagsAndAttributes, hTemplateFile);
  std::string Name = ToAnsi(lpFileName);
  return CreateFileA(Name.c_str(), dwDesiredAccess, dwShareMode, lpSecurityAttributes, dwCreationDisposition,
                     dwFlagsAndAttributes, hTemplateFile);
}

HANDLE UCode_FindFirstFileW(LPCWSTR lpFileName, LPWIN32_FIND_DATAW lpFindFileData) {
  if (IsUnicodePlatform) return FindFirstFileW(lpFileName, lpFindFileData);
  std::string Name = ToAnsi(lpFileName);
  WIN32_FIND_DATAA Data{};
  HANDLE Find = FindFirstFileA(Name.c_str(), &Data);
  if (Find != INVALID_HANDLE_VALUE) FindDataAToW(Data, *lpFindFileData);
  return Find;
}

BOOL UCode_FindNextFileW(HANDLE hFindFile, LPWIN32_FIND_DATAW lpFindFileData) {
  if (IsUnicodePlatform) return FindNextFileW(hFindFile, lpFindFileData);
  WIN32_FIND_DATAA Data{};
  if (!FindNextFileA(hFindFile, &Data)) return FALSE;
  FindDataAToW(Data, *lpFindFileData);
  return TRUE;
}

DWORD UCode_GetFileAttributesW(LPCWSTR lpFileName) {
  if (IsUnicodePlatform) return GetFileAttributesW(lpFileName);
  return GetFileAttributesA(ToAnsi(lpFileName).c_str());
}

int UCode_DrawTextW(HDC hDC, LPCWSTR lpString, int nCount, LPRECT lpRect, UINT uFormat) {
  if (IsUnicodePlatform) return DrawTextW(hDC, lpString, nCount, lpRect, uFormat);
  std::string Text = WideToAnsi(PWideCharLenToWideString(lpString, nCount));
  return DrawTextA(hDC, Text.c_str(), -1, lpRect, uFormat);
}

DWORD UCode_GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize) {
  if (IsUnicodePlatform) return GetModuleFileNameW(hModule, lpFilename, nSize);
  // A full buffer means the name was cut: grow until it fits.
  std::vector<char> Buffer(260);
  DWORD Len = GetModuleFileNameA(hModule, Buffer.data(), static_cast<DWORD>(Buffer.size()));
  while (Len == Buffer.size()) {
    Buffer.resize(Buffer.size() * 2);
    Len = GetModuleFileNameA(hModule, Buffer.data(), static_cast<DWORD>(Buffer.size()));
  }
  if (Len == 0) return 0;
  return CopyAnsiResultToWideBuffer(nSize, lpFilename, std::string(Buffer.data(), Len), cwrNoTerminator);
}

BOOL UCode_GetStringTypeExW(LCID Locale, DWORD dwInfoType, LPCWSTR lpSrcStr, int cchSrc, LPWORD lpCharType) {
  if (IsUnicodePlatform) return GetStringTypeExW(Locale, dwInfoType, lpSrcStr, cchSrc, lpCharType);
  std::wstring Text = PWideCharLenToWideString(lpSrcStr, cchSrc);
  std::string Ansi = WideToAnsi(Text);
  // Typed into a local array (with the zero's entry), so the caller's array is never overrun.
  std::vector<WORD> Types(Ansi.size() + 1);
  if (!GetStringTypeExA(Locale, dwInfoType, Ansi.c_str(), -1, Types.data())) return FALSE;
  size_t Wanted = cchSrc < 0 ? Text.size() + 1 : static_cast<size_t>(cchSrc);
  std::copy_n(Types.begin(), std::min(Wanted, Types.size()), lpCharType);
  return TRUE;
}

BOOL UCode_MoveFileExW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, DWORD dwFlags) {
  if (IsUnicodePlatform) return MoveFileExW(lpExistingFileName, lpNewFileName, dwFlags);
  std::string Existing = ToAnsi(lpExistingFileName);
  std::string New = ToAnsi(lpNewFileName);
  return MoveFileExA(Existing.c_str(), AnsiOrNull(lpNewFileName, New), dwFlags);
}

BOOL UCode_DeleteFileW(LPCWSTR lpFileName) {
  if (IsUnicodePlatform) return DeleteFileW(lpFileName);
  return DeleteFileA(ToAnsi(lpFileName).c_str());
}

void FindDataAToW(const WIN32_FIND_DATAA& A, WIN32_FIND_DATAW& W) {
  W.dwFileAttributes = A.dwFileAttributes;
  W.ftCreationTime = A.ftCreationTime;
  W.ftLastAccessTime = A.ftLastAccessTime;
  W.ftLastWriteTime = A.ftLastWriteTime;
  W.nFileSizeHigh = A.nFileSizeHigh;
  W.nFileSizeLow = A.nFileSizeLow;
  W.dwReserved0 = A.dwReserved0;
  W.dwReserved1 = A.dwReserved1;
  ConvertName(A.cFileName, W.cFileName);
  ConvertName(A.cAlternateFileName, W.cAlternateFileName);
}

DWORD CopyAnsiResultToWideBuffer(DWORD BufLen, LPWSTR Buf, const std::string& AnsiResult, unsigned Rules) {
  std::wstring W = AnsiToWide(AnsiResult);
  DWORD Len = static_cast<DWORD>(W.size());
  if (BufLen > Len) {
    CopyWide(Buf, W, Len);
    return Len;
  }
  if (Rules & cwrNoTerminator) {
    std::copy_n(W.data(), BufLen, Buf);
    return BufLen;
  }
  if ((Rules & cwrExact) && BufLen == Len && BufLen > 0) {
    CopyWide(Buf, W, BufLen - 1);
    return Len + 1;
  }
  if (BufLen > 0 && (Rules & cwrEmptyWhenShort)) Buf[0] = L'\0';
  if (BufLen >= 4 && (Rules & cwrPathComponents)) {
    // Whole components only: up to the last backslash that still leaves room for the zero.
    size_t Slash = W.rfind(L'\\', BufLen - 2);
    CopyWide(Buf, W, Slash == std::wstring::npos ? 0 : Slash + 1);
  }
  return Len + 1;
}
