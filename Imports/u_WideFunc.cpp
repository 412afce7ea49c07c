#include "Imports/u_WideFunc.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <optional>

#include "Imports/UCodeClasses.h"
#include "Imports/UCodeRepSystem.h"
#include "Imports/UCodeSysUtils.h"
#include "Imports/UCodeWindows.h"
#include "classlib/Clipbrd.h"
#include "classlib/WideStrings.h"

// ---------------------------------------------------------------------------------------------------------
// Strings and sorting

int WideSplitString(TWideStrArray& Parts, const std::wstring& Separator, const std::wstring& Text) {
  if (Separator.empty()) {
    Parts.push_back(Text);
    return 1;
  }
  int Count = 0;
  size_t Start = 0;
  for (;;) {
    const size_t Found = Text.find(Separator, Start);
    Parts.push_back(Text.substr(Start, Found == std::wstring::npos ? std::wstring::npos : Found - Start));
    ++Count;
    if (Found == std::wstring::npos) return Count;
    Start = Found + Separator.size();
  }
}

std::wstring WideStringReplaceAll(const std::wstring& S, const std::wstring& OldPattern,
                                  const std::wstring& NewPattern) {
  if (OldPattern == NewPattern || S.empty() || OldPattern.empty()) return S;
  std::vector<size_t> Positions;
  Positions.reserve(S.size() / OldPattern.size() + 1);
  for (size_t P = S.find(OldPattern); P != std::wstring::npos; P = S.find(OldPattern, P + OldPattern.size()))
    Positions.push_back(P);
  if (Positions.empty()) return S;

  std::wstring Result;
  Result.reserve(S.size() + Positions.size() * NewPattern.size() - Positions.size() * OldPattern.size());
  size_t Copied = 0;
  for (const size_t P : Positions) {
    Result.append(S, Copied, P - Copied);
    Result += NewPattern;
    Copied = P + OldPattern.size();
  }
  Result.append(S, Copied, std::wstring::npos);
  return Result;
}

std::wstring WideSortKey(const std::wstring& S) {
  std::wstring Key = WideUpperCase(S);
  Key = WideStringReplaceAll(Key, L"\u00C4", L"AE");
  Key = WideStringReplaceAll(Key, L"\u00D6", L"OE");
  Key = WideStringReplaceAll(Key, L"\u00DC", L"UE");
  Key = WideStringReplaceAll(Key, L"\u00DF", L"SS");
  return WideStringReplaceAll(Key, L"\u00C7", L"C");
}

namespace {

// Hoare quicksort; recursing into the smaller part and looping on the larger keeps the depth logarithmic.
template <typename Before>
void QuickSortWideRA(TWideRA& A, int L, int R, Before InOrder) {
  while (L < R) {
    const std::wstring Pivot = A[(L + R) / 2].Key;
    int I = L;
    int J = R;
    do {
      while (InOrder(A[I].Key, Pivot)) ++I;
      while (InOrder(Pivot, A[J].Key)) --J;
      if (I <= J) {
        std::swap(A[I], A[J]);
        ++I;
        --J;
      }
    } while (I <= J);
    if (J - L < R - I) {
      if (J > L) QuickSortWideRA(A, L, J, InOrder);
      L = I;
    } else {
      if (I < R) QuickSortWideRA(A, I, R, InOrder);
      R = J;
    }
  }
}

}  // namespace

void SortWideRA(TWideRA& A) {
  QuickSortWideRA(A, 0, static_cast<int>(A.size()) - 1,
                  [](const std::wstring& X, const std::wstring& Y) { return X < Y; });
}

void SortWideRADesc(TWideRA& A) {
  QuickSortWideRA(A, 0, static_cast<int>(A.size()) - 1,
                  [](const std::wstring& X, const std::wstring& Y) { return X > Y; });
}

void SortWideStrArray(TWideStrArray& A, uint8_t Order) {
  TWideRA Keys;
  Keys.reserve(A.size());
  for (size_t I = 0; I < A.size(); ++I) Keys.push_back({WideSortKey(A[I]), static_cast<int>(I)});
  if (Order == 1)
    SortWideRA(Keys);
  else
    SortWideRADesc(Keys);
  TWideStrArray Sorted;
  Sorted.reserve(A.size());
  for (TWideRecord& R : Keys) Sorted.push_back(std::move(A[R.Index]));
  A = std::move(Sorted);
}

bool DeleteWideStrArrayItem(TWideStrArray& A, int Index) {
  if (Index < 0 || Index >= static_cast<int>(A.size())) return false;
  A.erase(A.begin() + Index);
  return true;
}

// ---------------------------------------------------------------------------------------------------------
// Paths, folders and the shell

std::wstring WideGetLongPathName(const std::wstring& Path) {
  std::wstring Buffer(MAX_PATH + 1, L'\0');
  for (;;) {
    const DWORD Len = GetLongPathNameW(Path.c_str(), Buffer.data(), static_cast<DWORD>(Buffer.size()));
    if (Len == 0) return std::wstring();
    if (Len < Buffer.size()) return Buffer.substr(0, Len);
    Buffer.assign(Len, L'\0');  // Len is the size needed, its zero included
  }
}

void WideBrowseForFolder(int RootFolder, const std::wstring& Title, std::wstring& Folder) {
  const HWND Owner = GetActiveWindow();
  ITEMIDLIST* RootRaw = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(Owner, RootFolder, &RootRaw))) return;
  const TItemIdList Root(RootRaw);

  wchar_t DisplayName[MAX_PATH] = {};
  BROWSEINFOW Info{};
  Info.hwndOwner = Owner;
  Info.pidlRoot = Root.get();
  Info.pszDisplayName = DisplayName;
  Info.lpszTitle = Title.c_str();
  Info.ulFlags = BIF_RETURNONLYFSDIRS;
  const TItemIdList Picked(SHBrowseForFolderW(&Info));
  if (!Picked) return;
  wchar_t Path[MAX_PATH] = {};
  if (SHGetPathFromIDListW(Picked.get(), Path)) Folder = Path;
}

namespace {

constexpr DWORD faAnyFile = 63;

// Closes a search however the loop over it ends.
class TSearchGuard {
 public:
  explicit TSearchGuard(TWideSearchRec& F) : FRec(F) {}
  ~TSearchGuard() { WideFindClose(FRec); }
  TSearchGuard(const TSearchGuard&) = delete;
  TSearchGuard& operator=(const TSearchGuard&) = delete;

 private:
  TWideSearchRec& FRec;
};

bool IsDirectory(const TWideSearchRec& F) {
  return (F.Attr & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// What one pass over a folder finds: its sub-folders, and its files by extension.
struct TFolderEntries {
  std::vector<std::wstring> SubFolders;
  std::vector<std::vector<std::wstring>> FilesByExt;  // in the order of the extensions
};

// One search of the whole folder instead of one per extension, as each search reads every entry. The
// long name's extension is compared: a wildcard would also match short aliases and longer extensions
// ("*.mp3" finds "a.mp3x").
TFolderEntries ListFolder(const std::wstring& Folder, const std::vector<std::wstring>& UpperExts) {
  TFolderEntries Entries;
  Entries.FilesByExt.resize(UpperExts.size());
  TWideSearchRec F;
  if (WideFindFirst(Folder + L"*.*", faAnyFile, F) != 0) return Entries;
  TSearchGuard Guard(F);
  do {
    if (IsDirectory(F)) {
      if (F.Name != L"." && F.Name != L"..") Entries.SubFolders.push_back(F.Name);
      continue;
    }
    const std::wstring Ext = WideUpperCase(WideExtractFileExt(F.Name));
    for (size_t I = 0; I < UpperExts.size(); ++I)
      if (Ext == UpperExts[I]) Entries.FilesByExt[I].push_back(F.Name);
  } while (WideFindNext(F) == 0);
  return Entries;
}

// What tells a folder from every other, whichever path or link leads to it.
struct TFolderId {
  DWORD Volume;
  DWORD IndexHigh;
  DWORD IndexLow;
  bool operator==(const TFolderId&) const = default;
};

// The folder that Dir names, links followed; none when it cannot be opened.
std::optional<TFolderId> FolderId(const std::wstring& Dir) {
  const HANDLE Handle =
      UCode_CreateFileW(Dir.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (Handle == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION Info{};
  const BOOL Read = GetFileInformationByHandle(Handle, &Info);
  CloseHandle(Handle);
  if (!Read) return std::nullopt;
  return TFolderId{Info.dwVolumeSerialNumber, Info.nFileIndexHigh, Info.nFileIndexLow};
}

// Sub-folders first, deepest first; then this folder's files grouped by extension. Links to folders are
// followed, except to a folder that the walk is inside already (Path): that would never end.
bool FindFilesByExt(const std::wstring& Folder, const std::vector<std::wstring>& UpperExts, bool Recursive,
                    const TFolderSearchStep& Step, std::vector<TFolderId>& Path) {
  const std::wstring Dir = WideIncludeTrailingBackslash(Folder);
  const std::optional<TFolderId> Id = FolderId(Dir);
  if (Id && std::find(Path.begin(), Path.end(), *Id) != Path.end()) return true;
  if (!Step(Dir, true)) return false;
  const TFolderEntries Entries = ListFolder(Dir, UpperExts);
  if (Recursive) {
    if (Id) Path.push_back(*Id);
    for (const std::wstring& Sub : Entries.SubFolders)
      if (!FindFilesByExt(Dir + Sub, UpperExts, true, Step, Path)) return false;
    if (Id) Path.pop_back();
  }
  for (const std::vector<std::wstring>& Files : Entries.FilesByExt)
    for (const std::wstring& Name : Files)
      if (!Step(Dir + Name, false)) return false;
  return true;
}

}  // namespace

bool WideFindFilesByExt(const std::wstring& Folder, const std::vector<std::wstring>& Exts, bool Recursive,
                        const TFolderSearchStep& Step) {
  std::vector<std::wstring> UpperExts;
  for (const std::wstring& Ext : Exts) UpperExts.push_back(WideUpperCase(Ext));
  std::vector<TFolderId> Path;
  return FindFilesByExt(Folder, UpperExts, Recursive, Step, Path);
}

void WideFindFilesByExt(TWideStrings* List, const std::wstring& Folder, const std::vector<std::wstring>& Exts,
                        bool Recursive) {
  WideFindFilesByExt(Folder, Exts, Recursive, [List](const std::wstring& Path, bool IsFolder) {
    if (!IsFolder) List->Add(Path);
    return true;
  });
}

bool ShowFileProperties(HWND Owner, const std::wstring& FileName, const std::wstring& Parameters) {
  SHELLEXECUTEINFOW Info{};
  Info.cbSize = sizeof(Info);
  Info.fMask = SEE_MASK_INVOKEIDLIST | SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  Info.hwnd = Owner;
  Info.lpVerb = L"properties";
  Info.lpFile = FileName.c_str();
  Info.lpParameters = Parameters.c_str();
  Info.nShow = 0;
  const bool Ok = ShellExecuteExW(&Info) != FALSE;
  if (Info.hProcess) CloseHandle(Info.hProcess);
  return Ok;
}

namespace {

// Frees a global block unless the clipboard took it.
class TGlobalBlock {
 public:
  explicit TGlobalBlock(SIZE_T Size) : FHandle(GlobalAlloc(GHND | GMEM_SHARE, Size)) {}
  ~TGlobalBlock() {
    if (FHandle) GlobalFree(FHandle);
  }
  TGlobalBlock(const TGlobalBlock&) = delete;
  TGlobalBlock& operator=(const TGlobalBlock&) = delete;
  HGLOBAL Handle() const { return FHandle; }
  void Release() { FHandle = nullptr; }

 private:
  HGLOBAL FHandle;
};

// Fills the block with a DROPFILES header and the wide name list; false when it cannot be locked.
bool WriteDropFiles(HGLOBAL Block, const std::wstring& Names) {
  auto* Header = static_cast<DROPFILES*>(GlobalLock(Block));
  if (!Header) return false;
  Header->pFiles = sizeof(DROPFILES);
  Header->pt = POINT{0, 0};
  Header->fNC = FALSE;
  Header->fWide = static_cast<BOOL>(~0u);  // any non-zero value means wide; readers test it for non-zero only
  std::memcpy(reinterpret_cast<uint8_t*>(Header) + sizeof(DROPFILES), Names.data(),
              Names.size() * sizeof(wchar_t));
  GlobalUnlock(Block);
  return true;
}

}  // namespace

void CopyFilesToClipboard(const std::wstring& FileList) {
  static_assert(sizeof(DROPFILES) == 20);
  const std::wstring Names = FileList + std::wstring(2, L'\0');
  TGlobalBlock Block(Names.size() * sizeof(wchar_t) + sizeof(DROPFILES));
  if (!Block.Handle() || !WriteDropFiles(Block.Handle(), Names)) return;
  const HGLOBAL Handed = Block.Handle();
  Block.Release();  // the clipboard object owns it from here on, and frees it when it refuses it
  try {
    Clipboard()->SetAsHandle(CF_HDROP, Handed);
  } catch (const Exception&) {
    // Placing files on the clipboard is a convenience; a busy clipboard is not worth a message.
  }
}

// ---------------------------------------------------------------------------------------------------------
// Code points

bool IsHighSurrogate(wchar_t Ch) {
  return Ch >= 0xD800 && Ch <= 0xDBFF;
}

bool IsLowSurrogate(wchar_t Ch) {
  return Ch >= 0xDC00 && Ch <= 0xDFFF;
}

uint32_t SurrogatePairToCodePoint(wchar_t High, wchar_t Low) {
  if (!IsHighSurrogate(High) || !IsLowSurrogate(Low)) return '?';
  return (static_cast<uint32_t>(High) - 0xD800) * 1024 + (static_cast<uint32_t>(Low) - 0xDC00) + 0x10000;
}

uint32_t CodePointAt(const std::wstring& S, int Index, int& UnitCount) {
  if (Index < 1 || Index > static_cast<int>(S.size())) return '?';
  UnitCount = 1;
  const wchar_t Ch = S[Index - 1];
  if (IsLowSurrogate(Ch)) return '?';
  if (!IsHighSurrogate(Ch)) return Ch;
  if (Index == static_cast<int>(S.size()) || !IsLowSurrogate(S[Index])) return '?';
  UnitCount = 2;
  return SurrogatePairToCodePoint(Ch, S[Index]);
}

std::wstring CodePointToWide(uint32_t CodePoint) {
  if (CodePoint > 0x10FFFF || (CodePoint >= 0xD800 && CodePoint <= 0xDFFF)) return L"?";
  if (CodePoint < 0x10000) return std::wstring(1, static_cast<wchar_t>(CodePoint));
  const uint32_t V = CodePoint - 0x10000;
  return {static_cast<wchar_t>(0xD800 + (V >> 10)), static_cast<wchar_t>(0xDC00 + (V & 0x3FF))};
}

// ---------------------------------------------------------------------------------------------------------
// Text files

namespace {

constexpr uint16_t fmReadDenyWrite = fmOpenRead | fmShareDenyWrite;

bool StartsWith(const std::string& Bytes, const char* Mark, size_t Len) {
  return Bytes.size() >= Len && std::memcmp(Bytes.data(), Mark, Len) == 0;
}

std::string ReadRest(TStream& Stream) {
  const int64_t Left = Stream.Size() - Stream.Position();
  std::string Bytes(static_cast<size_t>(std::max<int64_t>(Left, 0)), '\0');
  Bytes.resize(static_cast<size_t>(Stream.Read(Bytes.data(), static_cast<int32_t>(Bytes.size()))));
  return Bytes;
}

std::wstring UnitsFromBytes(const std::string& Bytes) {
  std::wstring Units(Bytes.size() / 2, L'\0');
  std::memcpy(Units.data(), Bytes.data(), Units.size() * sizeof(wchar_t));
  return Units;
}

std::string BytesFromUnits(const std::wstring& Units) {
  return std::string(reinterpret_cast<const char*>(Units.data()), Units.size() * sizeof(wchar_t));
}

std::wstring ReadUTF32(const std::string& Bytes, bool BigEndian) {
  std::wstring Text;
  for (size_t P = 0; P + 4 <= Bytes.size(); P += 4) {
    uint32_t V = 0;
    for (int B = 0; B < 4; ++B) {
      const uint32_t Byte = static_cast<uint8_t>(Bytes[P + B]);
      V |= Byte << (8 * (BigEndian ? 3 - B : B));
    }
    Text += CodePointToWide(V);
  }
  return Text;
}

std::wstring DecodeText(TStream& Stream, int CodePage) {
  switch (CodePage) {
    case cpUTF16LE:
      Stream.Seek(2, soBeginning);
      return UnitsFromBytes(ReadRest(Stream));
    case cpUTF16BE: {
      Stream.Seek(2, soBeginning);
      std::wstring Text = UnitsFromBytes(ReadRest(Stream));
      UCodeRepSystem::SwapWideByteOrder(Text);
      return Text;
    }
    case cpUTF8:
      Stream.Seek(3, soBeginning);
      return UCodeRepSystem::UTF8ToWideString(ReadRest(Stream));
    case cpUTF7: {
      std::wstring Text = UCodeRepSystem::UTF7ToWideString(ReadRest(Stream));
      if (!Text.empty() && Text[0] == 0xFEFF) Text.erase(0, 1);
      return Text;
    }
    case cpUTF32LE:
    case cpUTF32BE:
      Stream.Seek(4, soBeginning);
      return ReadUTF32(ReadRest(Stream), CodePage == cpUTF32BE);
    default:
      return CodePageToWideString(ReadRest(Stream), 0);
  }
}

void AppendUTF32(std::string& Bytes, uint32_t V, bool BigEndian) {
  for (int B = 0; B < 4; ++B) Bytes += static_cast<char>(V >> (8 * (BigEndian ? 3 - B : B)));
}

std::string EncodeUTF32(const std::wstring& Text, bool BigEndian) {
  std::string Bytes = BigEndian ? std::string("\0\0\xFE\xFF", 4) : std::string("\xFF\xFE\0\0", 4);
  Bytes.reserve(4 + Text.size() * 4);
  const int Len = static_cast<int>(Text.size());
  for (int I = 0; I < Len; ++I) {
    const wchar_t Ch = Text[I];
    if (IsLowSurrogate(Ch)) continue;  // written with its high surrogate, or dropped when unpaired
    int Units = 0;
    const uint32_t V = IsHighSurrogate(Ch) ? SurrogatePairToCodePoint(Ch, I + 1 < Len ? Text[I + 1] : L'\0')
                                           : CodePointAt(Text, I + 1, Units);
    AppendUTF32(Bytes, V, BigEndian);
  }
  return Bytes;
}

// The whole file's bytes for CodePage, mark included.
std::string EncodeText(const std::wstring& Text, int CodePage) {
  const std::wstring Marked = L"\uFEFF" + Text;
  switch (CodePage) {
    case cpAnsi:
      return UCodeRepSystem::WideStringToCodePage(Text, 0);
    case cpUTF16LE:
      return BytesFromUnits(Marked);
    case cpUTF16BE: {
      std::wstring Swapped = Marked;
      UCodeRepSystem::SwapWideByteOrder(Swapped);
      return BytesFromUnits(Swapped);
    }
    case cpUTF7:
      return UCodeRepSystem::WideStringToUTF7(Marked);
    case cpUTF7NoSignature:
      return UCodeRepSystem::WideStringToUTF7(Text);
    case cpUTF8:
      return "\xEF\xBB\xBF" + UCodeRepSystem::WideStringToUTF8(Text);
    case cpUTF32LE:
    case cpUTF32BE:
      return EncodeUTF32(Text, CodePage == cpUTF32BE);
    default:
      throw EUCodeGeneralError(Format(L"Unsupported text file code page: %d", {CodePage}));
  }
}

// When the process started, as a number; 0 when the system does not tell.
uint64_t ProcessStart(HANDLE Process) {
  FILETIME Created, Exited, Kernel, User;
  if (!GetProcessTimes(Process, &Created, &Exited, &Kernel, &User)) return 0;
  return (uint64_t{Created.dwHighDateTime} << 32) | Created.dwLowDateTime;
}

// A name beside FileName that no file has yet, so the old file stays until the new one is complete. It
// names the process by its id and its start: ids are used again at once, the pair is not.
std::wstring TempNameBeside(const std::wstring& FileName) {
  static std::atomic<unsigned> Counter{0};
  static const uint64_t Start = ProcessStart(GetCurrentProcess());
  for (;;) {
    const std::wstring Name =
        FileName + L".tmp" +
        Format(L"%x-%x-%x", {GetCurrentProcessId(), static_cast<unsigned long long>(Start), ++Counter});
    if (UCode_GetFileAttributesW(Name.c_str()) == INVALID_FILE_ATTRIBUTES) return Name;
  }
}

// Deletes the temporary file unless it became the target.
class TTempFileGuard {
 public:
  explicit TTempFileGuard(std::wstring Name) : FName(std::move(Name)) {}
  ~TTempFileGuard() {
    if (!FKept) UCode_DeleteFileW(FName.c_str());
  }
  TTempFileGuard(const TTempFileGuard&) = delete;
  TTempFileGuard& operator=(const TTempFileGuard&) = delete;
  const std::wstring& Name() const { return FName; }
  void Keep() { FKept = true; }

 private:
  std::wstring FName;
  bool FKept = false;
};

[[noreturn]] void RaiseCreateError(const std::wstring& FileName, DWORD Code) {
  throw EFCreateError(
      Format(L"Cannot create file \"%s\". %s", {WideExpandFileName(FileName), WideSysErrorMessage(Code)}));
}

[[noreturn]] void RaiseWriteError(const std::wstring& FileName, DWORD Code) {
  throw EWriteError(
      Format(L"Cannot write file \"%s\". %s", {WideExpandFileName(FileName), WideSysErrorMessage(Code)}));
}

// The temporary file beside FileName, open for writing. Its errors name FileName, the name the user knows,
// and the system's reason: a full disk shows no other sign.
class TTempFileStream : public THandleStream {
 public:
  TTempFileStream(const std::wstring& TempName, const std::wstring& FileName)
      : THandleStream(WideFileCreate(TempName)), FFileName(FileName) {
    if (FHandle == INVALID_HANDLE_VALUE) RaiseCreateError(FileName, GetLastError());
  }
  ~TTempFileStream() override { CloseHandle(FHandle); }
  TTempFileStream(const TTempFileStream&) = delete;
  TTempFileStream& operator=(const TTempFileStream&) = delete;

  int32_t Write(const void* Buffer, int32_t Count) override {
    DWORD Done = 0;
    if (Count <= 0) return 0;
    if (!WriteFile(FHandle, Buffer, static_cast<DWORD>(Count), &Done, nullptr))
      RaiseWriteError(FFileName, GetLastError());
    // A file on a local disk takes fewer bytes only when the disk is full.
    if (Done != static_cast<DWORD>(Count)) RaiseWriteError(FFileName, ERROR_DISK_FULL);
    return Count;
  }
  // The bytes reach the disk before the file replaces the old one, so a crash cannot leave it empty.
  void Flush() {
    if (!FlushFileBuffers(FHandle)) RaiseWriteError(FFileName, GetLastError());
  }

 private:
  std::wstring FFileName;
};

// The process that made a temporary file: its id and its start.
struct TTempFileOwner {
  DWORD Id;
  uint64_t Start;
};

// The process whose save of Target made the temporary file Name (see TempNameBeside); none when Name is
// not such a file.
std::optional<TTempFileOwner> TempFileOwner(const std::wstring& Name, const std::wstring& Target) {
  const std::wstring Head = Target + L".tmp";
  if (Name.size() <= Head.size() || WideUpperCase(Name.substr(0, Head.size())) != WideUpperCase(Head))
    return std::nullopt;
  const std::wstring Numbers = Name.substr(Head.size());
  constexpr size_t MaxDigits[] = {8, 16, 8};
  std::vector<uint64_t> Groups;
  size_t Start = 0;
  for (;;) {
    const size_t End = std::min(Numbers.find(L'-', Start), Numbers.size());
    if (End == Start || Groups.size() == std::size(MaxDigits) || End - Start > MaxDigits[Groups.size()] ||
        Numbers.find_first_not_of(L"0123456789abcdefABCDEF", Start) < End)
      return std::nullopt;
    Groups.push_back(std::wcstoull(Numbers.c_str() + Start, nullptr, 16));
    if (End == Numbers.size()) break;
    Start = End + 1;
  }
  if (Groups.size() != std::size(MaxDigits)) return std::nullopt;
  return TTempFileOwner{static_cast<DWORD>(Groups[0]), Groups[1]};
}

bool ProcessRuns(DWORD Id) {
  const std::unique_ptr<void, decltype(&CloseHandle)> Process(
      OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, Id), &CloseHandle);
  // Another user's process cannot be opened, but it runs.
  if (!Process) return GetLastError() == ERROR_ACCESS_DENIED;
  DWORD Code = 0;
  return GetExitCodeProcess(Process.get(), &Code) && Code == STILL_ACTIVE;
}

// True while the process that made a temporary file may still be writing it: a process of its id runs
// and, as far as the system tells, started when the name says (this one included).
bool OwnerRuns(const TTempFileOwner& Owner) {
  if (!ProcessRuns(Owner.Id)) return false;
  const std::unique_ptr<void, decltype(&CloseHandle)> Process(
      OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, Owner.Id), &CloseHandle);
  const uint64_t Start = Process ? ProcessStart(Process.get()) : 0;
  return Start == 0 || Start == Owner.Start;
}

// Removes the temporary files that saves of FileName killed before their end left beside it, up to the
// size of the file each. The file of a save that a running process is making stays.
void RemoveLeftoverTempFiles(const std::wstring& FileName) {
  const std::wstring Folder = WideExtractFilePath(FileName);
  const std::wstring Target = WideExtractFileName(FileName);
  std::vector<std::wstring> Leftovers;
  TWideSearchRec F;
  if (WideFindFirst(FileName + L".tmp*", faAnyFile, F) != 0) return;
  {
    TSearchGuard Guard(F);
    do {
      const std::optional<TTempFileOwner> Owner = TempFileOwner(F.Name, Target);
      if (!IsDirectory(F) && Owner && !OwnerRuns(*Owner)) Leftovers.push_back(Folder + F.Name);
    } while (WideFindNext(F) == 0);
  }
  for (const std::wstring& Name : Leftovers) UCode_DeleteFileW(Name.c_str());
}

// A rename would replace what creating the file refuses: a read-only file or a folder.
void CheckReplaceable(const std::wstring& FileName) {
  const DWORD Attr = UCode_GetFileAttributesW(FileName.c_str());
  if (Attr != INVALID_FILE_ATTRIBUTES && (Attr & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
    RaiseCreateError(FileName, ERROR_ACCESS_DENIED);
}

}  // namespace

BOOL (*ReplacingMove)(LPCWSTR TempName, LPCWSTR FileName, DWORD Flags) = UCode_MoveFileExW;

void WriteFileReplacing(const std::wstring& FileName, const std::function<void(TStream* Stream)>& Write) {
  CheckReplaceable(FileName);
  RemoveLeftoverTempFiles(FileName);
  TTempFileGuard Temp(TempNameBeside(FileName));
  {
    TTempFileStream Stream(Temp.Name(), FileName);
    Write(&Stream);
    Stream.Flush();
  }
  if (!ReplacingMove(Temp.Name().c_str(), FileName.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    RaiseCreateError(FileName, GetLastError());
  Temp.Keep();
}

int WideGetTextFileCodePage(const std::wstring& FileName) {
  TUCodeFileStream Stream(FileName, fmReadDenyWrite);
  if (Stream.Size() <= 1) return cpAnsi;
  std::string Head(4, '\0');
  Head.resize(static_cast<size_t>(Stream.Read(Head.data(), 4)));
  if (StartsWith(Head, "\xEF\xBB\xBF", 3)) return cpUTF8;
  if (StartsWith(Head, "+/v8", 4)) return cpUTF7;
  if (StartsWith(Head, "\xFF\xFE\0\0", 4)) return cpUTF32LE;
  if (StartsWith(Head, "\0\0\xFE\xFF", 4)) return cpUTF32BE;
  if (StartsWith(Head, "\xFF\xFE", 2)) return cpUTF16LE;
  if (StartsWith(Head, "\xFE\xFF", 2)) return cpUTF16BE;
  return cpAnsi;
}

void WideLoadTextFile(const std::wstring& FileName, std::wstring& Text) {
  const int CodePage = WideGetTextFileCodePage(FileName);
  TUCodeFileStream Stream(FileName, fmReadDenyWrite);
  Text = DecodeText(Stream, CodePage);
}

void WideSaveTextFile(const std::wstring& Text, const std::wstring& FileName, int CodePage) {
  const std::wstring Ext = WideUpperCase(WideExtractFileExt(FileName));
  if (IsPictureExt(Ext)) {
    WideSaveTextAsPicture(Text, FileName, Ext);
    return;
  }
  const std::string Bytes = EncodeText(Text, CodePage);
  WriteFileReplacing(FileName, [&](TStream* Stream) {
    Stream->WriteBuffer(Bytes.data(), static_cast<int32_t>(Bytes.size()));
  });
}
