#include "Imports/UCodeSysUtils.h"

#include <gtest/gtest.h>

#include <set>

#include "classlib/Streams.h"
#include "tests/Imports/UnicodePlatformGuard.h"
#include "tests/support/TestFiles.h"
#include "tests/support/Trace.h"

namespace {

class THandleGuard {
 public:
  explicit THandleGuard(HANDLE H) : Handle(H) {}
  ~THandleGuard() {
    if (Handle != INVALID_HANDLE_VALUE) CloseHandle(Handle);
  }
  HANDLE Handle;
};

struct PathCase {
  const wchar_t *Name, *Path, *Dir, *FileName, *Ext, *Changed;  // Changed: extension set to ".x"
};

TEST(UCodeSysUtilsPaths, SplitAndChangeExtension) {
  const PathCase Cases[] = {
      {L"C:\\a.b\\file", L"C:\\a.b\\", L"C:\\a.b", L"file", L"", L"C:\\a.b\\file.x"},
      {L"C:\\a\\b.tar.gz", L"C:\\a\\", L"C:\\a", L"b.tar.gz", L".gz", L"C:\\a\\b.tar.x"},
      {L"C:\\", L"C:\\", L"C:\\", L"", L"", L"C:\\.x"},
      {L"C:\\a\\", L"C:\\a\\", L"C:\\a", L"", L"", L"C:\\a\\.x"},
      {L"C:name.txt", L"C:", L"C:", L"name.txt", L".txt", L"C:name.x"},
      {L"\\\\srv\\share\\f", L"\\\\srv\\share\\", L"\\\\srv\\share", L"f", L"", L"\\\\srv\\share\\f.x"},
      {L"\\", L"\\", L"\\", L"", L"", L"\\.x"},
  };
  for (const PathCase& C : Cases) {
    TRACE_CASE(testing::PrintToString(std::wstring(C.Name)));
    EXPECT_EQ(WideExtractFilePath(C.Name), C.Path);
    EXPECT_EQ(WideExtractFileDir(C.Name), C.Dir);
    EXPECT_EQ(WideExtractFileName(C.Name), C.FileName);
    EXPECT_EQ(WideExtractFileExt(C.Name), C.Ext);
    EXPECT_EQ(WideChangeFileExt(C.Name, L".x"), C.Changed);
  }
  EXPECT_EQ(WideIncludeTrailingBackslash(L"C:\\a"), L"C:\\a\\");
  EXPECT_EQ(WideIncludeTrailingBackslash(L"C:\\a\\"), L"C:\\a\\");
}

TEST(UCodeSysUtilsPaths, DelimiterPositionsAreOneBased) {
  EXPECT_EQ(WideLastDelimiter(L"\\.", L"a\\b.c"), 4);
  EXPECT_EQ(WideLastDelimiter(L"\\", L"abc"), 0);
  EXPECT_EQ(WideLastDelimiter(std::wstring(L"\0", 1), std::wstring(L"a\0b", 3)), 0);  // a zero never counts
  EXPECT_TRUE(WideIsDelimiter(L".", L"a.b", 2));
  EXPECT_FALSE(WideIsDelimiter(L"b", L"a.b", 4));  // past the end
  EXPECT_FALSE(WideIsPathDelimiter(L"a\\", 3));
}

struct ReplaceCase {
  const wchar_t *S, *Old, *New;
  bool WholeWord;
  unsigned Flags;
  const wchar_t* Result;
};

TEST(UCodeSysUtilsText, StringReplace) {
  const ReplaceCase Cases[] = {
      {L"cat concat cat. cats cat", L"cat", L"dog", true, rfReplaceAll, L"dog concat dog. cats dog"},
      {L"catcat", L"cat", L"dog", true, rfReplaceAll, L"catcat"},  // the text before a match counts
      {L"cat\tcat", L"cat", L"dog", true, rfReplaceAll, L"dog\tdog"},
      {L"Hello WORLD hello", L"HELLO", L"bye", false, rfReplaceAll | rfIgnoreCase, L"bye WORLD bye"},
      {L"\u0416\u0443\u043A \u0436\u0443\u043A", L"\u0416\u0423\u041A", L"x", false,
       rfReplaceAll | rfIgnoreCase, L"x x"},
      {L"Hello hello", L"hello", L"bye", false, rfReplaceAll, L"Hello bye"},
      {L"a-a-a", L"a", L"b", false, 0, L"b-a-a"},
      {L"xa a", L"a", L"b", true, 0, L"xa b"},
      {L"aa", L"a", L"aa", false, rfReplaceAll, L"aaaa"},
      {L"abc", L"", L"x", false, rfReplaceAll, L"abc"},
  };
  for (const ReplaceCase& C : Cases) {
    TRACE_CASE(testing::PrintToString(std::wstring(C.S)));
    EXPECT_EQ(WideStringReplace(C.S, C.Old, C.New, C.WholeWord, C.Flags), C.Result);
  }
}

TEST(UCodeSysUtilsText, AdjustLineBreaksAndTokenize) {
  EXPECT_EQ(WideAdjustLineBreaks(L"a\nb\rc\r\n", tlbsCRLF), L"a\r\nb\r\nc\r\n");
  EXPECT_EQ(WideAdjustLineBreaks(L"a\r\n\r\u2028b\n\r", tlbsLF), L"a\n\n\nb\n\n");
  EXPECT_EQ(WideAdjustLineBreaks(L"\r\na\n", tlbsCR), L"\ra\r");

  const std::pair<const wchar_t*, std::vector<std::wstring>> Cases[] = {
      {L"a;bc;d", {L"a", L"bc", L"d"}}, {L"a;;b", {L"a"}}, {L";a", {}}, {L"a;b;", {L"a", L"b"}}, {L"", {}}};
  for (const auto& [S, Expected] : Cases) {
    std::vector<std::wstring> Parts{L"old"};
    WideTokenize(S, L';', Parts);
    EXPECT_EQ(Parts, Expected) << testing::PrintToString(std::wstring(S));
  }
}

TEST(UCodeSysUtilsText, CharClassesAndSmallHelpers) {
  for (wchar_t Ch : {L'\0', L' ', L'\t', L'\u3000', L'.', L',', L'!'})
    EXPECT_TRUE(WideIsWordDelimiter(Ch)) << int(Ch);
  for (wchar_t Ch : {L'a', L'7', L'\u0416'}) EXPECT_FALSE(WideIsWordDelimiter(Ch)) << int(Ch);
  EXPECT_EQ(WideUpperCase(L"ab\u00E9\u0436"), L"AB\u00C9\u0416");
  EXPECT_EQ(PWideCharLenToWideString(L"abc", 2), L"ab");
  EXPECT_EQ(PWideCharLenToWideString(L"abc", 9), L"abc");
  EXPECT_EQ(PWideCharLenToWideString(L"abc", -1), L"abc");
  EXPECT_TRUE(IsUnicodePlatform);
  EXPECT_TRUE(IsWinXPOrLater);
}

TEST(UCodeSysUtilsFiles, CreateOpenWithSharingAndExists) {
  TempDir Dir;
  std::wstring Name = Dir.File(L"f.bin");
  {
    THandleGuard Created(WideFileCreate(Name));
    ASSERT_NE(Created.Handle, INVALID_HANDLE_VALUE);
    EXPECT_EQ(WideFileOpen(Name, fmOpenRead | fmShareDenyNone), INVALID_HANDLE_VALUE);  // no sharing
  }
  THandleGuard Reader(WideFileOpen(Name, fmOpenRead | fmShareDenyWrite));
  ASSERT_NE(Reader.Handle, INVALID_HANDLE_VALUE);
  THandleGuard SecondReader(WideFileOpen(Name, fmOpenRead | fmShareDenyNone));
  EXPECT_NE(SecondReader.Handle, INVALID_HANDLE_VALUE);
  HANDLE Writer = WideFileOpen(Name, fmOpenWrite | fmShareDenyNone);
  DWORD Error = GetLastError();
  EXPECT_EQ(Writer, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Error, DWORD(ERROR_SHARING_VIOLATION));
  EXPECT_TRUE(WideFileExists(Name));
  EXPECT_FALSE(WideFileExists(Dir.Path()));
  EXPECT_FALSE(WideFileExists(Dir.File(L"missing")));
  EXPECT_TRUE(WideFileGetAttr(Dir.Path()) & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(UCodeSysUtilsErrors, MessageTexts) {
  wchar_t Platform[256];
  DWORD Len = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, 2, 0,
                             Platform, 256, nullptr);
  ASSERT_GT(Len, 2u);
  for (bool Unicode : {true, false}) {
    TUnicodePlatformGuard Branch(Unicode);
    EXPECT_EQ(WideSysErrorMessage(2), std::wstring(Platform, Len));  // line break kept
    EXPECT_EQ(WideSysErrorMessage(123456), L"Unspecified error (123456) from system.");
    EXPECT_EQ(WideLibraryErrorMessage(L"mylib", GetModuleHandleW(nullptr), 123456),
              L"Unspecified error (123456) from mylib.");
  }
  EXPECT_THROW(WideGetModuleFileName(reinterpret_cast<HMODULE>(0x1230000)), EOSError);
}

class UCodeSysUtilsBranch : public testing::TestWithParam<bool> {
 protected:
  TUnicodePlatformGuard Guard{GetParam()};
  TempDir Dir;
};

std::set<std::wstring> FoundNames(const std::wstring& Pattern, DWORD Attr) {
  std::set<std::wstring> Names;
  TWideSearchRec F;
  for (int Code = WideFindFirst(Pattern, Attr, F); Code == 0; Code = WideFindNext(F)) Names.insert(F.Name);
  WideFindClose(F);
  return Names;
}

TEST_P(UCodeSysUtilsBranch, FindSkipsExcludedAttributes) {
  WriteBytes(Dir.File(L"plain.txt"), {1, 2, 3, 4, 5});
  WriteBytes(Dir.File(L"hidden.txt"), {});
  WriteBytes(Dir.File(L"system.txt"), {});
  SetFileAttributesW(Dir.File(L"hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesW(Dir.File(L"system.txt").c_str(), FILE_ATTRIBUTE_SYSTEM);
  MakeDir(Dir.File(L"sub"));
  std::wstring All = Dir.File(L"*");
  EXPECT_EQ(FoundNames(All, 0), (std::set<std::wstring>{L"plain.txt"}));
  EXPECT_EQ(FoundNames(All, FILE_ATTRIBUTE_DIRECTORY),
            (std::set<std::wstring>{L".", L"..", L"plain.txt", L"sub"}));
  EXPECT_EQ(FoundNames(All, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM).size(), 3u);

  SYSTEMTIME Local{2021, 3, 0, 4, 5, 6, 8, 0};
  FILETIME LocalTime, Utc;
  SystemTimeToFileTime(&Local, &LocalTime);
  LocalFileTimeToFileTime(&LocalTime, &Utc);
  {
    THandleGuard H(CreateFileW(Dir.File(L"plain.txt").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                               OPEN_EXISTING, 0, nullptr));
    SetFileTime(H.Handle, nullptr, nullptr, &Utc);
  }
  TWideSearchRec F;
  ASSERT_EQ(WideFindFirst(Dir.File(L"plain.*"), 0, F), 0);
  EXPECT_EQ(F.Size, 5);
  EXPECT_EQ(uint32_t(F.Time), (((2021u - 1980) << 9 | 3 << 5 | 4) << 16) | (5 << 11 | 6 << 5 | 8 / 2));
  EXPECT_EQ(WideFindNext(F), ERROR_NO_MORE_FILES);
  WideFindClose(F);
  EXPECT_EQ(F.FindHandle, INVALID_HANDLE_VALUE);

  EXPECT_EQ(WideFindFirst(Dir.File(L"hidden.*"), 0, F), ERROR_NO_MORE_FILES);
  EXPECT_EQ(F.FindHandle, INVALID_HANDLE_VALUE);  // closed again
  EXPECT_EQ(WideFindFirst(Dir.File(L"*.none"), 0, F), ERROR_FILE_NOT_FOUND);
}

// A chain of folders that takes a path well past 260 characters.
std::wstring MakeLongFolder(const std::wstring& Base) {
  std::wstring Path = Base;
  for (int I = 10; I < 45; ++I) {
    Path += L"\\folder" + std::to_wstring(I);
    CreateDirectoryW((L"\\\\?\\" + Path).c_str(), nullptr);
  }
  return Path;
}

TEST_P(UCodeSysUtilsBranch, ExpandLongFileName) {
  std::wstring Long = Dir.Path() + L"\\x" + std::wstring(300, L'y') + L"\\sub\\..\\.\\z.txt";
  std::wstring Expected = Dir.Path() + L"\\x" + std::wstring(300, L'y') + L"\\z.txt";
  if (GetParam()) {
    EXPECT_EQ(WideExpandFileName(Long), Expected);
  } else {
    // The ANSI platform functions refuse names past 260 characters: an empty name, the error kept.
    std::wstring Result = WideExpandFileName(Long);
    DWORD Error = GetLastError();
    EXPECT_EQ(Result, L"");
    EXPECT_EQ(Error, DWORD(ERROR_FILENAME_EXCED_RANGE));
  }
}

std::wstring PlatformShortPath(const std::wstring& Name) {
  std::wstring Result(1000, L'\0');
  Result.resize(GetShortPathNameW(Name.c_str(), Result.data(), 1000));
  return Result;
}

TEST_P(UCodeSysUtilsBranch, ShortPathOfLongName) {
  std::wstring Short = Dir.File(L"a long name.text");
  std::wstring Long = MakeLongFolder(Dir.Path()) + L"\\file.txt";
  WriteBytes(Short, {});
  WriteBytes(L"\\\\?\\" + Long, {});
  EXPECT_EQ(WideExtractShortPathName(Short), PlatformShortPath(Short));
  // Past 260 characters only the wide function answers; the ANSI one refuses such names.
  ASSERT_GT(PlatformShortPath(Long).size(), size_t(MAX_PATH));
  EXPECT_EQ(WideExtractShortPathName(Long), GetParam() ? PlatformShortPath(Long) : L"");
}

TEST_P(UCodeSysUtilsBranch, ModuleFileNameOfLongPath) {
  std::wstring Self = WideGetModuleFileName(nullptr);
  wchar_t Platform[MAX_PATH];
  EXPECT_EQ(Self, std::wstring(Platform, GetModuleFileNameW(nullptr, Platform, MAX_PATH)));

  std::wstring Copy = MakeLongFolder(Dir.Path()) + L"\\copy.exe";
  ASSERT_TRUE(CopyFileW(Self.c_str(), (L"\\\\?\\" + Copy).c_str(), FALSE));
  HMODULE Module = LoadLibraryExW(Copy.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
  ASSERT_NE(Module, nullptr);
  std::wstring Name = WideGetModuleFileName(Module);
  FreeLibrary(Module);
  EXPECT_GT(Name.size(), size_t(MAX_PATH));
  EXPECT_EQ(WideExtractFileName(Name), L"copy.exe");
  EXPECT_EQ(WideUpperCase(Name), WideUpperCase(Copy));
}

TEST_P(UCodeSysUtilsBranch, FileExistsForFilesOnly) {
  const std::wstring Name = Dir.File(L"f.bin");
  WriteBytes(Name, {1});
  EXPECT_TRUE(WideFileExists(Name));
  EXPECT_FALSE(WideFileExists(Dir.Path()));
  EXPECT_FALSE(WideFileExists(Dir.Path() + L"\\"));
  EXPECT_FALSE(WideFileExists(Dir.File(L"missing")));
  EXPECT_FALSE(WideFileExists(L""));
  // A wildcard names no file, not even when a file fits it.
  for (const wchar_t* Pattern : {L"*", L"*.bin", L"f.bi?", L"?.bin"})
    EXPECT_FALSE(WideFileExists(Dir.File(Pattern))) << Pattern;

  const std::wstring Long = MakeLongFolder(Dir.Path()) + L"\\file.txt";
  WriteBytes(L"\\\\?\\" + Long, {});
  // Past 260 characters only the wide functions answer; the ANSI ones refuse such names.
  EXPECT_EQ(WideFileExists(L"\\\\?\\" + Long), GetParam());
  EXPECT_FALSE(WideFileExists(L"\\\\?\\" + Dir.File(L"*.bin")));

  // Outside the code page the ANSI branch asks for "???.txt": no file, though "abc.txt" fits it as a pattern.
  const std::wstring Cyrillic = Dir.File(L"\u0416\u0443\u043A.txt");
  WriteBytes(Cyrillic, {});
  WriteBytes(Dir.File(L"abc.txt"), {});
  EXPECT_EQ(WideFileExists(Cyrillic), GetParam());
}

TEST_P(UCodeSysUtilsBranch, NameOutsideTheCodePageBecomesQuestionMarksInAnsi) {
  EXPECT_EQ(WideExpandFileName(Dir.File(L"\u0416\u0443\u043A.txt")),
            Dir.File(GetParam() ? L"\u0416\u0443\u043A.txt" : L"???.txt"));
}

INSTANTIATE_TEST_SUITE_P(UCodeSysUtils, UCodeSysUtilsBranch, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& Info) {
                           return Info.param ? "Wide" : "Ansi";
                         });

}  // namespace
