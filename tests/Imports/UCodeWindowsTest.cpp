#include "Imports/UCodeWindows.h"

#include <gtest/gtest.h>

#include "Imports/UCodeSysUtils.h"
#include "tests/Imports/UnicodePlatformGuard.h"
#include "tests/support/TestFiles.h"
#include "tests/support/Trace.h"

namespace {

struct CopyCase {
  DWORD BufLen;
  const char* Ansi;
  unsigned Rules;
  DWORD Result;
  const wchar_t* Buffer;  // what the buffer holds up to its zero; nullptr: left untouched
};

TEST(UCodeWindowsCopyAnsiResult, RulesForFittingAndShortBuffers) {
  const CopyCase Cases[] = {
      {10, "abc", cwrEmptyWhenShort, 3, L"abc"},
      {4, "ab\xE9", cwrNoTerminator, 3, L"ab\u00E9"},  // converted in code page 1252
      {2, "abc", cwrExact, 4, nullptr},
      {3, "abc", cwrExact, 4, L"ab"},
      {3, "abc", cwrEmptyWhenShort, 4, L""},
      {0, "abc", cwrEmptyWhenShort, 4, nullptr},
      {10, "C:\\ab\\cd\\ef.txt", cwrPathComponents, 16, L"C:\\ab\\cd\\"},
      {9, "C:\\ab\\cd\\ef.txt", cwrPathComponents, 16, L"C:\\ab\\"},
      {4, "C:\\ab\\cd\\ef.txt", cwrPathComponents, 16, L"C:\\"},
      {3, "C:\\ab\\cd\\ef.txt", cwrPathComponents, 16, nullptr},
  };
  for (const CopyCase& C : Cases) {
    TRACE_CASE(std::string(C.Ansi) + " in " + std::to_string(C.BufLen) + ", rules " +
               std::to_string(C.Rules));
    std::wstring Buf(20, L'#');
    EXPECT_EQ(CopyAnsiResultToWideBuffer(C.BufLen, Buf.data(), C.Ansi, C.Rules), C.Result);
    EXPECT_EQ(Buf.c_str(), std::wstring(C.Buffer ? C.Buffer : L"####################"));
  }
  // Rule 4 fills the buffer exactly and writes no zero behind it.
  std::wstring Buf(6, L'#');
  EXPECT_EQ(CopyAnsiResultToWideBuffer(3, Buf.data(), "abcdef", cwrNoTerminator), 3u);
  EXPECT_EQ(Buf, L"abc###");
}

class UCodeWindowsBranch : public testing::TestWithParam<bool> {
 protected:
  TUnicodePlatformGuard Guard{GetParam()};
  TempDir Dir;
};

TEST_P(UCodeWindowsBranch, FullPathNameAndFilePart) {
  std::wstring Expected = Dir.File(L"b.txt");
  std::wstring Buf(300, L'#');
  LPWSTR Part = nullptr;
  DWORD Len = UCode_GetFullPathNameW(Dir.File(L"a\\..\\b.txt").c_str(), 300, Buf.data(), &Part);
  EXPECT_EQ(Len, Expected.size());
  EXPECT_EQ(Buf.c_str(), Expected);
  EXPECT_STREQ(Part, L"b.txt");
  // Too short: the size needed, counting the zero.
  EXPECT_EQ(UCode_GetFullPathNameW(Expected.c_str(), 5, Buf.data(), &Part), Expected.size() + 1);
}

TEST_P(UCodeWindowsBranch, CreateMoveDeleteAndAttributes) {
  std::wstring A = Dir.File(L"a.txt"), B = Dir.File(L"b.txt");
  HANDLE H =
      UCode_CreateFileW(A.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(H, INVALID_HANDLE_VALUE);
  CloseHandle(H);
  WriteBytes(B, {1});
  EXPECT_FALSE(UCode_MoveFileExW(A.c_str(), B.c_str(), 0));
  EXPECT_TRUE(UCode_MoveFileExW(A.c_str(), B.c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(ReadBytes(B).size(), 0u);
  EXPECT_EQ(UCode_GetFileAttributesW(B.c_str()), GetFileAttributesW(B.c_str()));
  EXPECT_EQ(UCode_GetFileAttributesW(Dir.Path().c_str()) & FILE_ATTRIBUTE_DIRECTORY,
            DWORD(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_TRUE(UCode_DeleteFileW(B.c_str()));
  DWORD Attr = UCode_GetFileAttributesW(B.c_str());
  DWORD Error = GetLastError();
  EXPECT_EQ(Attr, INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(Error, DWORD(ERROR_FILE_NOT_FOUND));
}

TEST_P(UCodeWindowsBranch, ModuleFileNameWithShortBuffer) {
  wchar_t Platform[MAX_PATH];
  DWORD PlatformLen = GetModuleFileNameW(nullptr, Platform, MAX_PATH);
  std::wstring Buf(MAX_PATH, L'#');
  ASSERT_EQ(UCode_GetModuleFileNameW(nullptr, Buf.data(), MAX_PATH), PlatformLen);
  EXPECT_STREQ(Buf.c_str(), Platform);
  // A cut name fills the whole buffer; the caller knows it by the count.
  EXPECT_EQ(UCode_GetModuleFileNameW(nullptr, Buf.data(), 5), 5u);
  EXPECT_EQ(Buf.substr(0, 4), std::wstring(Platform, 4));
}

TEST_P(UCodeWindowsBranch, StringTypesOfTheCountedCharactersOnly) {
  WORD Types[4] = {0, 0, 0, 0xBEEF};
  ASSERT_TRUE(UCode_GetStringTypeExW(LOCALE_USER_DEFAULT, CT_CTYPE1, L"a ,bcd", 3, Types));
  EXPECT_TRUE(Types[0] & C1_LOWER);
  EXPECT_TRUE(Types[1] & C1_SPACE);
  EXPECT_TRUE(Types[2] & C1_PUNCT);
  EXPECT_EQ(Types[3], 0xBEEF);
}

TEST_P(UCodeWindowsBranch, DrawTextMeasuresTheCountedText) {
  HDC DC = GetDC(nullptr);
  RECT Counted{0, 0, 0, 0}, Whole{0, 0, 0, 0};
  EXPECT_GT(UCode_DrawTextW(DC, L"abcdefgh", 3, &Counted, DT_CALCRECT | DT_SINGLELINE), 0);
  UCode_DrawTextW(DC, L"abc", -1, &Whole, DT_CALCRECT | DT_SINGLELINE);
  ReleaseDC(nullptr, DC);
  EXPECT_GT(Whole.right, 0);
  EXPECT_EQ(Counted.right, Whole.right);
}

TEST_P(UCodeWindowsBranch, WindowTextOutsideTheCodePageBecomesQuestionMarkInAnsi) {
  HWND Wnd = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(Wnd, nullptr);
  EXPECT_TRUE(UCode_SetWindowTextW(Wnd, L"\u00E9\u0416"));
  wchar_t Text[16];
  GetWindowTextW(Wnd, Text, 16);
  DestroyWindow(Wnd);
  EXPECT_STREQ(Text, GetParam() ? L"\u00E9\u0416" : L"\u00E9?");
}

INSTANTIATE_TEST_SUITE_P(UCodeWindows, UCodeWindowsBranch, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& Info) {
                           return Info.param ? "Wide" : "Ansi";
                         });

}  // namespace
