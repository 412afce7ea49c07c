#include "Imports/u_WideFunc.h"

#include <windows.h>
#include <winioctl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "Imports/UCodeClasses.h"
#include "tests/support/Clipboard.h"
#include "tests/support/TestFiles.h"

namespace {

TEST(WideFuncSplit, GivesEveryPiece) {
  const struct {
    const wchar_t* Separator;
    const wchar_t* Text;
    TWideStrArray Expected;
  } Cases[] = {{L"|", L"1|2|3|4|5|6|7|8", {L"1", L"2", L"3", L"4", L"5", L"6", L"7", L"8"}},
               {L"|", L"a|b|", {L"a", L"b", L""}},
               {L"|", L"", {L""}},
               {L"", L"a|b", {L"a|b"}},
               {L"\r\n", L"one\r\ntwo", {L"one", L"two"}},
               {L"aa", L"xaaay", {L"x", L"ay"}}};
  for (const auto& C : Cases) {
    TWideStrArray Parts{L"kept"};
    EXPECT_EQ(WideSplitString(Parts, C.Separator, C.Text), static_cast<int>(C.Expected.size())) << C.Text;
    Parts.erase(Parts.begin());
    EXPECT_EQ(Parts, C.Expected) << C.Text;
  }
}

TEST(WideFuncReplaceAll, ReplacesEveryOccurrenceWithoutOverlap) {
  const struct {
    const wchar_t *S, *Old, *New, *Expected;
  } Cases[] = {{L"aaa", L"aa", L"b", L"ba"}, {L"a-b-c", L"-", L"--", L"a--b--c"},
               {L"xyxyx", L"xy", L"", L"x"}, {L"abc", L"d", L"e", L"abc"},
               {L"abc", L"", L"e", L"abc"},  {L"Abc", L"a", L"e", L"Abc"}};
  for (const auto& C : Cases) EXPECT_EQ(WideStringReplaceAll(C.S, C.Old, C.New), C.Expected) << C.S;
}

TEST(WideFuncSort, FoldedKeysAndOrder) {
  EXPECT_EQ(WideSortKey(L"M\u00fcller Stra\u00dfe \u00e7"), L"MUELLER STRASSE C");
  TWideStrArray A{L"b", L"\u00c4", L"a"};
  SortWideStrArray(A, 1);
  EXPECT_EQ(A, (TWideStrArray{L"a", L"\u00c4", L"b"}));
  SortWideStrArray(A, 0);
  EXPECT_EQ(A, (TWideStrArray{L"b", L"\u00c4", L"a"}));
}

TEST(WideFuncSort, ManyKeysWithRepeats) {
  std::mt19937 Random(7);
  TWideRA A;
  for (int I = 0; I < 5000; ++I)
    A.push_back({std::wstring(1 + Random() % 3, static_cast<wchar_t>('a' + Random() % 4)), I});
  TWideRA Up = A, Down = A;
  SortWideRA(Up);
  SortWideRADesc(Down);
  auto ByKey = [](const TWideRecord& X, const TWideRecord& Y) { return X.Key < Y.Key; };
  EXPECT_TRUE(std::is_sorted(Up.begin(), Up.end(), ByKey));
  EXPECT_TRUE(std::is_sorted(Down.rbegin(), Down.rend(), ByKey));
  for (const TWideRecord& R : Down) ASSERT_EQ(R.Key, A[R.Index].Key);
}

TEST(WideFuncDeleteItem, RemovesOneAndRefusesOutOfRange) {
  TWideStrArray A{L"a", L"b", L"c"};
  EXPECT_TRUE(DeleteWideStrArrayItem(A, 1));
  EXPECT_TRUE(DeleteWideStrArrayItem(A, 1));
  EXPECT_FALSE(DeleteWideStrArrayItem(A, 1));
  EXPECT_FALSE(DeleteWideStrArrayItem(A, -1));
  EXPECT_EQ(A, TWideStrArray{L"a"});
}

TEST(WideFuncLongPath, LongerThanTheFirstBuffer) {
  TempDir Dir;
  std::wstring Long = Dir.Path();
  for (wchar_t Letter = L'a'; Long.size() <= 300; ++Letter) {
    Long += L"\\" + std::wstring(40, Letter);
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + Long).c_str(), nullptr));
  }
  wchar_t Short[1024];
  ASSERT_GT(GetShortPathNameW((L"\\\\?\\" + Long).c_str(), Short, 1024), 4u);
  const std::wstring ShortPath = Short + 4;  // without "\\?\"
  ASSERT_LT(ShortPath.size(), 261u);
  EXPECT_EQ(WideGetLongPathName(ShortPath), Long);
  EXPECT_EQ(WideGetLongPathName(Dir.File(L"missing")), L"");
}

class WideFuncFindFiles : public testing::Test {
 protected:
  void SetUp() override {
    for (const wchar_t* Name : {L"sub", L"sub\\deeper", L"folder.mp3"}) MakeDir(Dir.File(Name));
    for (const wchar_t* Name : {L"a.mp3", L"b.wma", L"c.MP3", L"d.mp3x", L"e.ogg", L"sub\\e.mp3",
                                L"sub\\deeper\\f.wma", L"sub\\deeper\\g.mp3"})
      WriteBytes(Dir.File(Name), B("x", 1));
  }
  std::vector<std::wstring> Found(const std::wstring& Folder, bool Recursive) {
    TUCodeStringList List;
    WideFindFilesByExt(&List, Folder, {L".mp3", L".wma"}, Recursive);
    std::vector<std::wstring> Names;
    for (int I = 0; I < List.Count(); ++I) Names.push_back(List.Get(I).substr(Dir.Path().size() + 1));
    return Names;
  }
  TempDir Dir;
};

TEST_F(WideFuncFindFiles, DeepestFirstThenByExtensionAndExactExtensionsOnly) {
  std::vector<std::wstring> Names = Found(Dir.Path(), true);
  ASSERT_EQ(Names.size(), 6u);
  std::sort(Names.begin() + 3, Names.begin() + 5);  // the platform's order within one extension
  EXPECT_EQ(Names, (std::vector<std::wstring>{L"sub\\deeper\\g.mp3", L"sub\\deeper\\f.wma", L"sub\\e.mp3",
                                              L"a.mp3", L"c.MP3", L"b.wma"}));
  Names = Found(Dir.Path() + L"\\", false);
  ASSERT_EQ(Names.size(), 3u);
  EXPECT_EQ(Names[2], L"b.wma");
}

TEST_F(WideFuncFindFiles, TheStepsReportEachFolderBeforeItsFilesAndAFalseStepEndsTheWholeSearch) {
  std::vector<std::wstring> Steps;
  const auto Record = [&](const std::wstring& Path, bool IsFolder) {
    Steps.push_back((IsFolder ? L"folder " : L"file ") + Path.substr(Dir.Path().size()));
    return true;
  };
  EXPECT_TRUE(WideFindFilesByExt(Dir.Path(), {L".wma"}, true, Record));
  const auto At = [&](const std::wstring& Step) {
    return std::find(Steps.begin(), Steps.end(), Step) - Steps.begin();
  };
  EXPECT_EQ(Steps.front(), L"folder \\");
  EXPECT_LT(At(L"folder \\sub\\deeper\\"), At(L"file \\sub\\deeper\\f.wma"));
  EXPECT_LT(At(L"file \\sub\\deeper\\f.wma"), At(L"file \\b.wma"));
  EXPECT_EQ(Steps.back(), L"file \\b.wma");
  EXPECT_EQ(std::count_if(Steps.begin(), Steps.end(),
                          [](const std::wstring& S) { return S.rfind(L"file ", 0) == 0; }),
            2);

  // Stopped at the first file, in the deepest folder: no further folder or file is visited.
  Steps.clear();
  EXPECT_FALSE(WideFindFilesByExt(Dir.Path(), {L".wma"}, true, [&](const std::wstring& Path, bool IsFolder) {
    Record(Path, IsFolder);
    return IsFolder;
  }));
  EXPECT_EQ(Steps.back(), L"file \\sub\\deeper\\f.wma");
  EXPECT_EQ(std::count(Steps.begin(), Steps.end(), L"file \\b.wma"), 0);
}

TEST(WideFuncFindFilesCycle, LinkBackToTheRootIsNotFollowed) {
  const std::wstring Root = FixtureFolder(L"IMPORTS_FIXTURES") + L"\\cycle";
  ASSERT_EQ(GetFileAttributesW((Root + L"\\sub\\loop").c_str()),
            static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
  TUCodeStringList List;
  WideFindFilesByExt(&List, Root, {L".mp3"}, true);
  ASSERT_EQ(List.Count(), 2);
  EXPECT_EQ(List.Get(0), Root + L"\\sub\\b.mp3");
  EXPECT_EQ(List.Get(1), Root + L"\\a.mp3");
}

TEST(WideFuncClipboard, DropFilesBlockOfTwoNames) {
  const std::wstring Names = std::wstring(L"C:\\a\\one.mp3") + L'\0' + L"C:\\b\\zwei.wma";
  CopyFilesToClipboard(Names);
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE Data = GetClipboardData(CF_HDROP);
  const auto* Block = static_cast<const uint8_t*>(GlobalLock(Data));
  ASSERT_NE(Block, nullptr);
  const std::wstring Expected = Names + L'\0' + L'\0';
  ASSERT_GE(GlobalSize(Data), 20 + Expected.size() * 2);
  const auto* Header = reinterpret_cast<const DROPFILES*>(Block);
  EXPECT_EQ(Header->pFiles, 20u);
  EXPECT_TRUE(Header->pt.x == 0 && Header->pt.y == 0 && !Header->fNC && Header->fWide);
  EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(Block + 20), Expected.size()), Expected);
  EXPECT_EQ(DragQueryFileW(static_cast<HDROP>(Data), 0xFFFFFFFF, nullptr, 0), 2u);
  GlobalUnlock(Data);
  CloseClipboard();
}

TEST(WideFuncClipboard, BusyClipboardIsNotReported) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  CloseClipboard();
  {
    const TClipboardHolder Holder;
    ASSERT_TRUE(Holder.Holds());
    // The clipboard object frees the refused block; freeing it here as well would free a stranger's.
    EXPECT_NO_THROW(CopyFilesToClipboard(L"C:\\a.mp3"));
  }
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_HDROP));
}

}  // namespace
