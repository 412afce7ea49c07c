#pragma once
// The library calls the platform's text functions through these, so that the same program also runs where
// the W functions are missing: there the text goes through the system code page.
#include <windows.h>

#include <string>

BOOL UCode_SetWindowTextW(HWND hWnd, LPCWSTR lpString);
DWORD UCode_GetShortPathNameW(LPCWSTR lpszLongPath, LPWSTR lpszShortPath, DWORD cchBuffer);
DWORD UCode_GetFullPathNameW(LPCWSTR lpFileName, DWORD nBufferLength, LPWSTR lpBuffer, LPWSTR* lpFilePart);
HANDLE UCode_CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                         LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                         DWORD dwFlagsAndAttributes, HANDLE hTemplateFile);
HANDLE UCode_FindFirstFileW(LPCWSTR lpFileName, LPWIN32_FIND_DATAW lpFindFileData);
BOOL UCode_FindNextFileW(HANDLE hFindFile, LPWIN32_FIND_DATAW lpFindFileData);
DWORD UCode_GetFileAttributesW(LPCWSTR lpFileName);
int UCode_DrawTextW(HDC hDC, LPCWSTR lpString, int nCount, LPRECT lpRect, UINT uFormat);
DWORD UCode_GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize);
BOOL UCode_GetStringTypeExW(LCID Locale, DWORD dwInfoType, LPCWSTR lpSrcStr, int cchSrc, LPWORD lpCharType);
BOOL UCode_MoveFileExW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, DWORD dwFlags);
BOOL UCode_DeleteFileW(LPCWSTR lpFileName);

void FindDataAToW(const WIN32_FIND_DATAA& A, WIN32_FIND_DATAW& W);

// Copy rules for an ANSI result handed back in a wide buffer.
enum : unsigned { cwrExact = 1, cwrEmptyWhenShort = 2, cwrNoTerminator = 4, cwrPathComponents = 8 };
DWORD CopyAnsiResultToWideBuffer(DWORD BufLen, LPWSTR Buf, const std::string& AnsiResult, unsigned Rules);
