#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <random>

#include "Imports/UCodeRepSystem.h"
#include "Imports/UCodeSysUtils.h"
#include "Imports/u_WideFunc.h"
#include "classlib/Streams.h"
#include "tests/classlib/RaisedMessage.h"
#include "tests/support/TestFiles.h"
#include "tests/support/Trace.h"

namespace {

Bytes Str(const std::string& S) {
  return Bytes(S.begin(), S.end());
}

std::wstring Load(const std::wstring& FileName) {
  std::wstring Text = L"left over";
  WideLoadTextFile(FileName, Text);
  return Text;
}

// The folder's entries, to show that no temporary file stays behind.
std::vector<std::wstring> Entries(const std::wstring& Folder) {
  std::vector<std::wstring> Names;
  WIN32_FIND_DATAW Data;
  HANDLE Find = FindFirstFileW((Folder + L"\\*").c_str(), &Data);
  do {
    if (Data.cFileName[0] != L'.') Names.push_back(Data.cFileName);
  } while (FindNextFileW(Find, &Data));
  FindClose(Find);
  std::sort(Names.begin(), Names.end());
  return Names;
}

TEST(TextFileCodePoint, AtIndexAndBack) {
  int Count = -1;
  EXPECT_EQ(CodePointAt(L"ab", 3, Count), 63u);
  EXPECT_EQ(Count, -1);
  EXPECT_EQ(CodePointAt(L"a\xD83D\xDE00", 2, Count), 0x1F600u);
  EXPECT_EQ(Count, 2);
  EXPECT_EQ(CodePointAt(L"a\xD83D\xDE00", 3, Count), 63u);
  EXPECT_EQ(Count, 1);
  EXPECT_EQ(CodePointAt(L"\xD83Dx", 1, Count), 63u);
  EXPECT_EQ(SurrogatePairToCodePoint(0xDBFF, 0xDFFF), 0x10FFFFu);
  EXPECT_EQ(CodePointToWide(0x10000), L"\xD800\xDC00");
  EXPECT_EQ(CodePointToWide(0xFFFF), L"\xFFFF");
  EXPECT_EQ(CodePointToWide(0x110000), L"?");
  EXPECT_EQ(CodePointToWide(0xDFFF), L"?");
}

TEST(TextFileRead, CodePageAndText) {
  const struct {
    const char* Name;
    Bytes Data;
    int CodePage;
    std::wstring Text;
  } Cases[] = {{"empty", {}, cpAnsi, L""},
               {"one byte", B("\xFF", 1), cpAnsi, L"\u00ff"},
               {"ANSI", B("caf\xE9", 4), cpAnsi, L"caf\u00e9"},
               {"UTF-8 mark cut", B("\xEF\xBB", 2), cpAnsi, L"\u00ef\u00bb"},
               {"UTF-8", B("\xEF\xBB\xBF\xC3\xBC", 5), cpUTF8, L"\u00fc"},
               {"UTF-7", Str("+/v8-abc"), cpUTF7, L"abc"},
               {"UTF-7 signature before U+4000 or above", Str("+/v9AAA-"), cpAnsi, L"+/v9AAA-"},
               {"UTF-16 LE, one byte after the mark", B("\xFF\xFE\0", 3), cpUTF16LE, L""},
               {"UTF-16 LE, odd byte",
                B("\xFF\xFE"
                  "a\0b",
                  5),
                cpUTF16LE, L"a"},
               {"UTF-16 BE, U+0000 inside", B("\xFE\xFF\0a\0\0\0b", 8), cpUTF16BE, std::wstring(L"a\0b", 3)},
               {"UTF-32 LE, short tail",
                B("\xFF\xFE\0\0"
                  "a\0\0\0"
                  "\0\xF6\x01\0"
                  "z\0",
                  14),
                cpUTF32LE, L"a\xD83D\xDE00"},
               {"UTF-32 BE",
                B("\0\0\xFE\xFF"
                  "\0\x01\xF6\0",
                  8),
                cpUTF32BE, L"\xD83D\xDE00"},
               {"UTF-32 beyond U+10FFFF and surrogate",
                B("\xFF\xFE\0\0"
                  "\0\0\x11\0"
                  "\0\xD8\0\0",
                  12),
                cpUTF32LE, L"??"},
               // The UTF-32 mark is tested first: UTF-16 LE text that starts with U+0000 reads as UTF-32 LE,
               // where the units 'a' 'b' make one value above U+10FFFF.
               {"UTF-16 LE starting with U+0000 reads as UTF-32 LE",
                B("\xFF\xFE\0\0"
                  "a\0b\0",
                  8),
                cpUTF32LE, L"?"}};
  TempDir Dir;
  for (const auto& C : Cases) {
    TRACE_CASE(C.Name);
    WriteBytes(Dir.File(L"t.txt"), C.Data);
    EXPECT_EQ(WideGetTextFileCodePage(Dir.File(L"t.txt")), C.CodePage);
    EXPECT_EQ(Load(Dir.File(L"t.txt")), C.Text);
  }
  EXPECT_THROW(WideGetTextFileCodePage(Dir.File(L"missing.txt")), EFOpenError);
}

TEST(TextFileWrite, Bytes) {
  const struct {
    const char* Name;
    std::wstring Text;
    int CodePage;
    Bytes Expected;
  } Cases[] = {{"UTF-16 LE", L"abc", cpUTF16LE,
                B("\xFF\xFE"
                  "a\0b\0c\0",
                  8)},
               {"UTF-16 BE", L"abc", cpUTF16BE, B("\xFE\xFF\0a\0b\0c", 8)},
               {"UTF-16 BE, U+0000 inside", std::wstring(L"a\0b", 3), cpUTF16BE, B("\xFE\xFF\0a\0\0\0b", 8)},
               {"UTF-32 LE", L"abc", cpUTF32LE,
                B("\xFF\xFE\0\0"
                  "a\0\0\0"
                  "b\0\0\0"
                  "c\0\0\0",
                  16)},
               {"UTF-32 BE, pair", L"\xD83D\xDE00", cpUTF32BE,
                B("\0\0\xFE\xFF"
                  "\0\x01\xF6\0",
                  8)},
               {"UTF-32, unpaired high", L"\xD83Dx\xD83D", cpUTF32LE,
                B("\xFF\xFE\0\0"
                  "?\0\0\0"
                  "x\0\0\0"
                  "?\0\0\0",
                  16)},
               {"UTF-32, unpaired low", L"a\xDE00", cpUTF32LE,
                B("\xFF\xFE\0\0"
                  "a\0\0\0",
                  8)},
               {"UTF-8", L"abc", cpUTF8,
                B("\xEF\xBB\xBF"
                  "abc",
                  6)},
               {"UTF-7, letter first", L"abc", cpUTF7, Str("+/v8-abc")},
               {"UTF-7, space first", L" abc", cpUTF7, Str("+/v8 abc")},
               {"UTF-7 without signature", L"abc", cpUTF7NoSignature, Str("abc")},
               {"ANSI", L"caf\u00e9", cpAnsi, B("caf\xE9", 4)},
               {"ANSI, empty", L"", cpAnsi, {}}};
  TempDir Dir;
  WriteBytes(Dir.File(L"t.txt"), Bytes(100, 'x'));  // longer than every text: nothing of it may stay
  for (const auto& C : Cases) {
    TRACE_CASE(C.Name);
    WideSaveTextFile(C.Text, Dir.File(L"t.txt"), C.CodePage);
    EXPECT_EQ(ReadBytes(Dir.File(L"t.txt")), C.Expected);
  }
  EXPECT_EQ(Entries(Dir.Path()), std::vector<std::wstring>{L"t.txt"});
}

TEST(TextFileRoundTrip, EveryCodePageWithItsMark) {
  const std::wstring Text = L"Gr\u00fc\u00dfe, 1+1=2 ~ \"\u00e9t\u00e9\"\r\n";
  TempDir Dir;
  for (const int CodePage : {cpAnsi, cpUTF16LE, cpUTF16BE, cpUTF7, cpUTF8, cpUTF32LE, cpUTF32BE}) {
    WideSaveTextFile(Text, Dir.File(L"t.txt"), CodePage);
    EXPECT_EQ(WideGetTextFileCodePage(Dir.File(L"t.txt")), CodePage);
    EXPECT_EQ(Load(Dir.File(L"t.txt")), Text) << CodePage;
  }
  // Without its signature UTF-7 is not recognised: the file reads back as its ANSI bytes, undecoded.
  WideSaveTextFile(Text, Dir.File(L"t.txt"), cpUTF7NoSignature);
  const std::string Written = UCodeRepSystem::WideStringToUTF7(Text);
  EXPECT_EQ(WideGetTextFileCodePage(Dir.File(L"t.txt")), cpAnsi);
  EXPECT_EQ(Load(Dir.File(L"t.txt")), std::wstring(Written.begin(), Written.end()));
}

std::wstring RandomText(std::mt19937& Random) {
  const wchar_t Ranges[][2] = {{0x20, 0x7E}, {0x410, 0x44F}, {0x391, 0x3C9}, {0x4E00, 0x9FA5}};
  std::wstring Text;
  for (size_t Length = 1 + Random() % 300; Text.size() < Length;) {
    // UTF-7's "+/v8" signature needs a first character below U+4000.
    const unsigned Kind = Text.empty() ? Random() % 3 : Random() % 6;
    if (Kind == 4)
      Text += CodePointToWide(0x10000 + Random() % 0x100000);
    else if (Kind == 5)
      Text += L"\r\n";
    else
      Text += static_cast<wchar_t>(Ranges[Kind][0] + Random() % (Ranges[Kind][1] - Ranges[Kind][0] + 1));
  }
  return Text;
}

TEST(TextFileRoundTrip, RandomTextInEveryUnicodeEncoding) {
  TempDir Dir;
  std::mt19937 Random(20240611);
  for (int Round = 0; Round < 20; ++Round) {
    const std::wstring Text = RandomText(Random);
    for (const int CodePage : {cpUTF16LE, cpUTF16BE, cpUTF7, cpUTF8, cpUTF32LE, cpUTF32BE}) {
      WideSaveTextFile(Text, Dir.File(L"r.txt"), CodePage);
      ASSERT_EQ(Load(Dir.File(L"r.txt")), Text) << "code page " << CodePage << ", round " << Round;
    }
  }
}

class TextFileFailedSave : public testing::Test {
 protected:
  void SetUp() override { WriteBytes(Dir.File(L"old.txt"), Old); }
  void ExpectOldFileKept(const std::vector<std::wstring>& Expected = {L"old.txt"}) {
    EXPECT_EQ(ReadBytes(Dir.File(L"old.txt")), Old);
    EXPECT_EQ(Entries(Dir.Path()), Expected);
  }
  TempDir Dir;
  const Bytes Old = Str("old contents");
};

TEST_F(TextFileFailedSave, UnknownCodePage) {
  try {
    WideSaveTextFile(L"new", Dir.File(L"old.txt"), 1234);
    ADD_FAILURE() << "no error";
  } catch (const EUCodeGeneralError& E) {
    EXPECT_NE(E.Message().find(L"1234"), std::wstring::npos);
  }
  ExpectOldFileKept();
}

TEST_F(TextFileFailedSave, UnwritableTargets) {
  SetFileAttributesW(Dir.File(L"old.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_THROW(WideSaveTextFile(L"new", Dir.File(L"old.txt"), cpUTF8), EFCreateError);
  SetFileAttributesW(Dir.File(L"old.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
  MakeDir(Dir.File(L"folder.txt"));
  EXPECT_THROW(WideSaveTextFile(L"new", Dir.File(L"folder.txt"), cpUTF8), EFCreateError);
  EXPECT_TRUE(GetFileAttributesW(Dir.File(L"folder.txt").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_THROW(WideSaveTextFile(L"new", Dir.File(L"missing\\new.txt"), cpUTF8), EFCreateError);
  ExpectOldFileKept({L"folder.txt", L"old.txt"});
}

// The file is written beside the target first; the error names the target, the name the user knows.
TEST_F(TextFileFailedSave, AMissingFolderIsReportedForTheChosenName) {
  for (const wchar_t* Name : {L"missing\\new.txt", L"missing\\new.bmp"})
    EXPECT_EQ(
        MessageOf<EFCreateError>([&] { WideSaveTextFile(L"new", Dir.File(Name), cpUTF8); }),
        L"Cannot create file \"" + Dir.File(Name) + L"\". " + WideSysErrorMessage(ERROR_PATH_NOT_FOUND));
  ExpectOldFileKept();
}

// A full disk shows as any refused write does (here a buffer the system cannot read): the error names the
// file and the system's reason.
TEST_F(TextFileFailedSave, ARefusedWriteNamesTheFileAndTheReason) {
  const std::wstring Message = MessageOf<EWriteError>([&] {
    WriteFileReplacing(Dir.File(L"old.txt"), [](TStream* Stream) { Stream->WriteBuffer(nullptr, 16); });
  });
  const std::wstring Head = L"Cannot write file \"" + Dir.File(L"old.txt") + L"\". ";
  EXPECT_EQ(Message.substr(0, Head.size()), Head);
  EXPECT_GT(Message.size(), Head.size());
  ExpectOldFileKept();
}

// Temporary files that saves of the same file left when they were killed go; those of other files and of
// a process that still runs (a save in progress, this process's too) stay. A name tells its process by
// the id and the start, since an id is given again at once.
TEST_F(TextFileFailedSave, ASaveRemovesTheTemporaryFilesOfEndedSaves) {
  wchar_t Self[MAX_PATH];
  GetModuleFileNameW(nullptr, Self, MAX_PATH);
  STARTUPINFOW Startup{};
  Startup.cb = sizeof Startup;
  PROCESS_INFORMATION Live{};
  ASSERT_TRUE(CreateProcessW(Self, nullptr, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                             &Startup, &Live));
  struct TEnd {
    PROCESS_INFORMATION& Process;
    ~TEnd() {
      TerminateProcess(Process.hProcess, 1);
      CloseHandle(Process.hThread);
      CloseHandle(Process.hProcess);
    }
  } End{Live};
  // A process that has ended, its id kept from reuse by the handle still open.
  PROCESS_INFORMATION Done{};
  ASSERT_TRUE(CreateProcessW(Self, nullptr, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                             &Startup, &Done));
  const TEnd EndDone{Done};
  TerminateProcess(Done.hProcess, 1);
  ASSERT_EQ(WaitForSingleObject(Done.hProcess, 30000), WAIT_OBJECT_0);
  // The process's id and start as a temporary file's name gives them.
  const auto Owner = [](HANDLE Process, DWORD Id) {
    FILETIME Created, Exited, Kernel, User;
    EXPECT_TRUE(GetProcessTimes(Process, &Created, &Exited, &Kernel, &User));
    wchar_t Text[40];
    swprintf(Text, 40, L"%x-%x%08x", static_cast<unsigned>(Id), static_cast<unsigned>(Created.dwHighDateTime),
             static_cast<unsigned>(Created.dwLowDateTime));
    return std::wstring(Text);
  };
  const std::wstring Ours = Owner(GetCurrentProcess(), GetCurrentProcessId());
  const std::wstring Other = Owner(Live.hProcess, Live.dwProcessId);
  const std::wstring OurId = Ours.substr(0, Ours.find(L'-')), OtherId = Other.substr(0, Other.find(L'-'));
  const std::wstring Ended = L"7ffffff0";  // no process has this id
  const std::vector<std::wstring> Left = {
      L"old.txt.tmp" + Ended + L"-1a-2", L"OLD.TXT.TMP" + Ended + L"-0-0", L"old.txt.tmp" + OurId + L"-1-2",
      L"old.txt.tmp" + OtherId + L"-1-2", L"old.txt.tmp" + Owner(Done.hProcess, Done.dwProcessId) + L"-2"};
  const std::vector<std::wstring> Kept = {L"old.txt.tmp" + Other + L"-2",
                                          L"old.txt.tmp" + Ours + L"-ffffff",
                                          L"other.txt.tmp" + Ended + L"-1-2",
                                          L"old.txt.tmp" + Ended + L"-1",
                                          L"old.txt.tmp" + Ended + L"-1-2-3",
                                          L"old.txt.tmp" + Ended + L"-1-x",
                                          L"old.txt.tmpfile"};
  for (const auto& Name : Left) WriteBytes(Dir.File(Name), Old);
  for (const auto& Name : Kept) WriteBytes(Dir.File(Name), Old);
  WideSaveTextFile(L"new", Dir.File(L"old.txt"), cpAnsi);
  EXPECT_EQ(ReadBytes(Dir.File(L"old.txt")), Str("new"));
  std::vector<std::wstring> Expected = Kept;
  Expected.push_back(L"old.txt");
  std::sort(Expected.begin(), Expected.end());
  EXPECT_EQ(Entries(Dir.Path()), Expected);
}

// Pictures in any case; GIF pictures need the GIF codec, which this program does not link.
TEST_F(TextFileFailedSave, PictureExtensionsInAnyCase) {
  for (auto [Ext, Magic] : {std::pair{L".bmp", B("BM", 2)},
                            {L".JPG", B("\xFF\xD8", 2)},
                            {L".jpeg", B("\xFF\xD8", 2)},
                            {L".JpEg", B("\xFF\xD8", 2)}}) {
    const std::wstring Picture = std::wstring(L"old") + Ext;
    WriteBytes(Dir.File(Picture), Old);
    WideSaveTextFile(L"new", Dir.File(Picture), cpUTF8);
    const Bytes Written = ReadBytes(Dir.File(Picture));
    EXPECT_EQ(Bytes(Written.begin(), Written.begin() + 2), Magic) << Ext;
    DeleteFileW(Dir.File(Picture).c_str());
  }
  WriteBytes(Dir.File(L"old.Gif"), Old);
  EXPECT_EQ(L"GIF pictures cannot be written.",
            MessageOf<EUCodeGeneralError>([&] { WideSaveTextFile(L"new", Dir.File(L"old.Gif"), cpUTF8); }));
  EXPECT_EQ(ReadBytes(Dir.File(L"old.Gif")), Old);
  DeleteFileW(Dir.File(L"old.Gif").c_str());
  ExpectOldFileKept();
  MakeDir(Dir.File(L"gif.d"));
  for (const wchar_t* Name : {L"a.jpgx", L"a.bmp.txt", L"gif.d\\x"}) {
    WideSaveTextFile(L"t", Dir.File(Name), cpUTF8);
    EXPECT_EQ(ReadBytes(Dir.File(Name)), B("\xEF\xBB\xBF"
                                           "t",
                                           4))
        << Name;
  }
}

}  // namespace
