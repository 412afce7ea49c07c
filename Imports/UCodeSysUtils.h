#pragma once
// Platform flags, the Unicode library's exceptions, and file, path and text routines by UTF-16 names.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "classlib/SysUtils.h"

// Set once at start from the platform version; tests switch IsUnicodePlatform to reach the ANSI branches.
extern bool IsUnicodePlatform;
extern bool IsWinXPOrLater;

VELMARO_EXCEPTION(EUCodeGeneralError, Exception);
VELMARO_EXCEPTION(EUCodeInternalError, Exception);

struct TWideSearchRec {
  int32_t Time = 0;  // local DOS date (high word) and time (low word) of the last write
  int64_t Size = 0;
  DWORD Attr = 0;
  std::wstring Name;
  DWORD ExcludeAttr = 0;
  HANDLE FindHandle = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAW FindData{};
};

// Handles are INVALID_HANDLE_VALUE (-1) on failure. Mode: fmCreate or access | share (classlib/Streams.h).
HANDLE WideFileCreate(const std::wstring& FileName);
HANDLE WideFileOpen(const std::wstring& FileName, uint16_t Mode);
bool WideFileExists(const std::wstring& FileName);  // false for folders
DWORD WideFileGetAttr(const std::wstring& FileName);
// 0, else GetLastError's code: ERROR_NO_MORE_FILES ends a search loop, and is no error to report.
int WideFindFirst(const std::wstring& Path, DWORD Attr, TWideSearchRec& F);
int WideFindNext(TWideSearchRec& F);
void WideFindClose(TWideSearchRec& F);
std::wstring WideExpandFileName(const std::wstring& FileName);
std::wstring WideExtractShortPathName(const std::wstring& FileName);
std::wstring WideGetModuleFileName(HMODULE Module);  // raises EOSError on failure
std::wstring WideSysErrorMessage(DWORD Code);
std::wstring WideLibraryErrorMessage(const std::wstring& LibName, HMODULE Module, DWORD Code);

// Positions are 1-based, as the callers count characters.
int WideLastDelimiter(const std::wstring& Delimiters, const std::wstring& S);
bool WideIsDelimiter(const std::wstring& Delimiters, const std::wstring& S, int Index);
bool WideIsPathDelimiter(const std::wstring& S, int Index);
std::wstring WideIncludeTrailingBackslash(const std::wstring& S);
std::wstring WideExtractFilePath(const std::wstring& FileName);
std::wstring WideExtractFileDir(const std::wstring& FileName);
std::wstring WideExtractFileName(const std::wstring& FileName);
std::wstring WideExtractFileExt(const std::wstring& FileName);
std::wstring WideChangeFileExt(const std::wstring& FileName, const std::wstring& Extension);
std::wstring WideUpperCase(const std::wstring& S);

WORD GetWideCharType(wchar_t Ch);  // CT_CTYPE1 flags; raises EOSError on failure
bool IsWideCharSpace(wchar_t Ch);
bool IsWideCharPunct(wchar_t Ch);
bool WideIsWordDelimiter(wchar_t Ch);

enum TWideReplaceFlag : unsigned { rfReplaceAll = 1, rfIgnoreCase = 2 };
std::wstring WideStringReplace(const std::wstring& S, const std::wstring& OldPattern,
                               const std::wstring& NewPattern, bool WholeWord, unsigned Flags);

enum TWideTextLineBreakStyle { tlbsLF = 0, tlbsCRLF = 1, tlbsCR = 2 };
std::wstring WideAdjustLineBreaks(const std::wstring& S, TWideTextLineBreakStyle Style);
void WideTokenize(const std::wstring& S, wchar_t Delimiter, std::vector<std::wstring>& Parts);

// Platform buffers come with a length that may reach past the terminating zero; whichever comes first ends
// the text.
std::wstring PWideCharLenToWideString(const wchar_t* P, int Len);
bool IsResourceId(const void* P);  // true for a value of 65535 or less
