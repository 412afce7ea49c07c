#include "Imports/UCodeSysUtils.h"

#include <algorithm>

#include "Imports/UCodeWindows.h"
#include "classlib/Streams.h"

namespace {

const OSVERSIONINFOW& PlatformVersion() {
  static const OSVERSIONINFOW Version = [] {
    OSVERSIONINFOW V{};
    V.dwOSVersionInfoSize = sizeof(V);
    GetVersionExW(&V);
    return V;
  }();
  return Version;
}

bool DetectWinXPOrLater() {
  const OSVERSIONINFOW& V = PlatformVersion();
  return (V.dwMajorVersion == 5 && V.dwMinorVersion >= 1) || V.dwMajorVersion >= 6;
}

// Fetches entries until one carries none of the excluded attributes; 0 or the platform error code.
int SkipExcluded(TWideSearchRec& F) {
  while (F.FindData.dwFileAttributes & F.ExcludeAttr)
    if (!UCode_FindNextFileW(F.FindHandle, &F.FindData)) return static_cast<int>(GetLastError());
  return 0;
}

int32_t LocalDosTime(const FILETIME& Utc) {
  FILETIME Local;
  WORD Date = 0, Time = 0;
  FileTimeToLocalFileTime(&Utc, &Local);
  FileTimeToDosDateTime(&Local, &Date, &Time);
  return static_cast<int32_t>((static_cast<uint32_t>(Date) << 16) | Time);
}

void FillSearchRec(TWideSearchRec& F) {
  const WIN32_FIND_DATAW& D = F.FindData;
  F.Time = LocalDosTime(D.ftLastWriteTime);
  F.Size = static_cast<int64_t>((static_cast<uint64_t>(D.nFileSizeHigh) << 32) | D.nFileSizeLow);
  F.Attr = D.dwFileAttributes;
  F.Name = D.cFileName;
}

// Platform path calls report the size they need (with the zero) when the buffer is too small.
template <typename Call>
std::wstring CallGrowing(DWORD InitialSize, Call PathCall) {
  std::wstring Buffer(InitialSize, L'\0');
  DWORD Len = PathCall(Buffer.data(), static_cast<DWORD>(Buffer.size()));
  while (Len >= Buffer.size()) {
    Buffer.assign(Len, L'\0');
    Len = PathCall(Buffer.data(), static_cast<DWORD>(Buffer.size()));
  }
  Buffer.resize(Len);
  return Buffer;
}

bool IsBlank(const std::wstring& S) {
  return std::all_of(S.begin(), S.end(), [](wchar_t C) { return C <= L' '; });
}

// Calls Visit(true, ...) once per break (CR LF, lone CR, lone LF, U+2028), else Visit(false, Ch).
template <typename Visitor>
void WalkLineBreaks(const std::wstring& S, Visitor Visit) {
  for (size_t I = 0; I < S.size(); ++I) {
    wchar_t Ch = S[I];
    bool IsBreak = Ch == L'\r' || Ch == L'\n' || Ch == 0x2028;
    if (Ch == L'\r' && I + 1 < S.size() && S[I + 1] == L'\n') ++I;
    Visit(IsBreak, Ch);
  }
}

}  // namespace

bool IsUnicodePlatform = PlatformVersion().dwPlatformId == VER_PLATFORM_WIN32_NT;
bool IsWinXPOrLater = DetectWinXPOrLater();

HANDLE WideFileCreate(const std::wstring& FileName) {
  return UCode_CreateFileW(FileName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE WideFileOpen(const std::wstring& FileName, uint16_t Mode) {
  return UCode_CreateFileW(FileName.c_str(), FileModeAccess(Mode), FileModeShare(Mode), nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The attributes answer without searching the folder; a search would also take a wildcard for a name.
bool WideFileExists(const std::wstring& FileName) {
  const size_t NameStart = FileName.starts_with(L"\\\\?\\") ? 4 : 0;
  if (FileName.find_first_of(L"*?", NameStart) != std::wstring::npos) return false;
  const DWORD Attr = UCode_GetFileAttributesW(FileName.c_str());
  return Attr != INVALID_FILE_ATTRIBUTES && !(Attr & FILE_ATTRIBUTE_DIRECTORY);
}

DWORD WideFileGetAttr(const std::wstring& FileName) {
  return UCode_GetFileAttributesW(FileName.c_str());
}

int WideFindFirst(const std::wstring& Path, DWORD Attr, TWideSearchRec& F) {
  F.ExcludeAttr = ~Attr & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY);
  F.FindHandle = UCode_FindFirstFileW(Path.c_str(), &F.FindData);
  if (F.FindHandle == INVALID_HANDLE_VALUE) return static_cast<int>(GetLastError());
  int Code = SkipExcluded(F);
  if (Code != 0) {
    WideFindClose(F);
    return Code;
  }
  FillSearchRec(F);
  return 0;
}

int WideFindNext(TWideSearchRec& F) {
  if (!UCode_FindNextFileW(F.FindHandle, &F.FindData)) return static_cast<int>(GetLastError());
  int Code = SkipExcluded(F);
  if (Code == 0) FillSearchRec(F);
  return Code;
}

void WideFindClose(TWideSearchRec& F) {
  if (F.FindHandle != INVALID_HANDLE_VALUE) FindClose(F.FindHandle);
  F.FindHandle = INVALID_HANDLE_VALUE;
}

std::wstring WideExpandFileName(const std::wstring& FileName) {
  return CallGrowing(MAX_PATH, [&](wchar_t* Buf, DWORD Size) {
    wchar_t* Part = nullptr;
    return UCode_GetFullPathNameW(FileName.c_str(), Size, Buf, &Part);
  });
}

std::wstring WideExtractShortPathName(const std::wstring& FileName) {
  return CallGrowing(MAX_PATH, [&](wchar_t* Buf, DWORD Size) {
    return UCode_GetShortPathNameW(FileName.c_str(), Buf, Size);
  });
}

std::wstring WideGetModuleFileName(HMODULE Module) {
  // A full buffer means the name was cut (with or without a zero): grow until it fits.
  std::wstring Buffer(MAX_PATH, L'\0');
  DWORD Len = UCode_GetModuleFileNameW(Module, Buffer.data(), static_cast<DWORD>(Buffer.size()));
  while (Len == Buffer.size()) {
    Buffer.assign(Buffer.size() * 2, L'\0');
    Len = UCode_GetModuleFileNameW(Module, Buffer.data(), static_cast<DWORD>(Buffer.size()));
  }
  if (Len == 0) RaiseLastOSError();
  return Buffer.substr(0, std::min<size_t>(Len, Buffer.find(L'\0')));
}

std::wstring WideSysErrorMessage(DWORD Code) {
  return WideLibraryErrorMessage(L"system", nullptr, Code);
}

std::wstring WideLibraryErrorMessage(const std::wstring& LibName, HMODULE Module, DWORD Code) {
  DWORD Flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  if (Module) Flags |= FORMAT_MESSAGE_FROM_HMODULE;
  std::wstring Text;
  if (IsUnicodePlatform) {
    wchar_t Buffer[256];
    DWORD Len = FormatMessageW(Flags, Module, Code, 0, Buffer, 256, nullptr);
    Text.assign(Buffer, Len);
  } else {
    char Buffer[256];
    DWORD Len = FormatMessageA(Flags, Module, Code, 0, Buffer, 256, nullptr);
    Text = AnsiToWide(std::string(Buffer, Len));
  }
  if (IsBlank(Text)) return Format(L"Unspecified error (%d) from %s.", {Code, LibName});
  return Text;
}

int WideLastDelimiter(const std::wstring& Delimiters, const std::wstring& S) {
  for (size_t I = S.size(); I > 0; --I)
    if (S[I - 1] != L'\0' && Delimiters.find(S[I - 1]) != std::wstring::npos) return static_cast<int>(I);
  return 0;
}

bool WideIsDelimiter(const std::wstring& Delimiters, const std::wstring& S, int Index) {
  if (Index < 1 || Index > static_cast<int>(S.size())) return false;
  return Delimiters.find(S[Index - 1]) != std::wstring::npos;
}

bool WideIsPathDelimiter(const std::wstring& S, int Index) {
  return Index >= 1 && Index <= static_cast<int>(S.size()) && S[Index - 1] == L'\\';
}

std::wstring WideIncludeTrailingBackslash(const std::wstring& S) {
  return !S.empty() && S.back() == L'\\' ? S : S + L'\\';
}

std::wstring WideExtractFilePath(const std::wstring& FileName) {
  return FileName.substr(0, WideLastDelimiter(L"\\:", FileName));
}

std::wstring WideExtractFileDir(const std::wstring& FileName) {
  int I = WideLastDelimiter(L"\\:", FileName);
  // A root ("\", "C:\", "\\") keeps its backslash.
  if (I > 1 && FileName[I - 1] == L'\\' && !WideIsDelimiter(L"\\:", FileName, I - 1)) --I;
  return FileName.substr(0, I);
}

std::wstring WideExtractFileName(const std::wstring& FileName) {
  return FileName.substr(WideLastDelimiter(L"\\:", FileName));
}

std::wstring WideExtractFileExt(const std::wstring& FileName) {
  int I = WideLastDelimiter(L".\\:", FileName);
  if (I > 0 && FileName[I - 1] == L'.') return FileName.substr(I - 1);
  return std::wstring();
}

std::wstring WideChangeFileExt(const std::wstring& FileName, const std::wstring& Extension) {
  int I = WideLastDelimiter(L".\\:", FileName);
  if (I == 0 || FileName[I - 1] != L'.') I = static_cast<int>(FileName.size()) + 1;
  return FileName.substr(0, I - 1) + Extension;
}

std::wstring WideUpperCase(const std::wstring& S) {
  std::wstring Result = S;
  if (!Result.empty()) CharUpperBuffW(Result.data(), static_cast<DWORD>(Result.size()));
  return Result;
}

WORD GetWideCharType(wchar_t Ch) {
  WORD Type = 0;
  if (!UCode_GetStringTypeExW(LOCALE_USER_DEFAULT, CT_CTYPE1, &Ch, 1, &Type)) RaiseLastOSError();
  return Type;
}

bool IsWideCharSpace(wchar_t Ch) {
  return (GetWideCharType(Ch) & C1_SPACE) != 0;
}

bool IsWideCharPunct(wchar_t Ch) {
  return (GetWideCharType(Ch) & C1_PUNCT) != 0;
}

bool WideIsWordDelimiter(wchar_t Ch) {
  return Ch == L'\0' || IsWideCharSpace(Ch) || IsWideCharPunct(Ch);
}

std::wstring WideStringReplace(const std::wstring& S, const std::wstring& OldPattern,
                               const std::wstring& NewPattern, bool WholeWord, unsigned Flags) {
  if (OldPattern.empty()) return S;
  bool IgnoreCase = Flags & rfIgnoreCase;
  // Search runs beside Rest, position for position; only its case may differ.
  std::wstring Search = IgnoreCase ? WideUpperCase(S) : S;
  std::wstring Pattern = IgnoreCase ? WideUpperCase(OldPattern) : OldPattern;
  std::wstring Rest = S;
  std::wstring Result;
  while (!Search.empty()) {
    size_t Offset = Search.find(Pattern);
    if (Offset == std::wstring::npos) return Result + Rest;
    size_t End = Offset + Pattern.size();
    if (WholeWord) {
      wchar_t Before = Offset > 0 ? Rest[Offset - 1] : (Result.empty() ? L'\0' : Result.back());
      wchar_t After = End < Rest.size() ? Rest[End] : L'\0';
      if (!WideIsWordDelimiter(Before) || !WideIsWordDelimiter(After)) {
        Result.append(Rest, 0, End);
        Rest.erase(0, End);
        Search.erase(0, End);
        continue;
      }
    }
    Result.append(Rest, 0, Offset).append(NewPattern);
    Rest.erase(0, End);
    if (!(Flags & rfReplaceAll)) return Result + Rest;
    Search.erase(0, End);
  }
  return Result;
}

std::wstring WideAdjustLineBreaks(const std::wstring& S, TWideTextLineBreakStyle Style) {
  const std::wstring Break = Style == tlbsCRLF ? L"\r\n" : Style == tlbsCR ? L"\r" : L"\n";
  size_t Length = 0;
  WalkLineBreaks(S, [&](bool IsBreak, wchar_t) { Length += IsBreak ? Break.size() : 1; });
  std::wstring Result;
  Result.reserve(Length);
  WalkLineBreaks(S, [&](bool IsBreak, wchar_t Ch) {
    if (IsBreak)
      Result += Break;
    else
      Result += Ch;
  });
  return Result;
}

void WideTokenize(const std::wstring& S, wchar_t Delimiter, std::vector<std::wstring>& Parts) {
  Parts.clear();
  size_t Start = 0;
  while (Start <= S.size()) {
    size_t End = std::min(S.find(Delimiter, Start), S.size());
    if (End == Start) break;
    Parts.push_back(S.substr(Start, End - Start));
    Start = End + 1;
  }
}

std::wstring PWideCharLenToWideString(const wchar_t* P, int Len) {
  if (!P) return std::wstring();
  size_t N = 0;
  while ((Len < 0 || N < static_cast<size_t>(Len)) && P[N] != L'\0') ++N;
  return std::wstring(P, N);
}

bool IsResourceId(const void* P) {
  return reinterpret_cast<uintptr_t>(P) <= 0xFFFF;
}
