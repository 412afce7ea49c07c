#include "classlib/SysUtils.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>

#include "tests/classlib/RaisedMessage.h"

TEST(SysUtilsFormat, FormatsTheSupportedSubset) {
  const HRESULT NoRenderer = static_cast<HRESULT>(0x80040218);
  const std::pair<std::wstring, std::wstring> Cases[] = {
      {L"3:07", Format(L"%d:%.2d", {3, 7})},
      {L"1:02:03", Format(L"%d:%2.2d:%2.2d", {1, 2, 3})},
      {L"   42|42   |", Format(L"%5d|%-5d|", {42, 42})},
      {L"-005", Format(L"%.3d", {-5})},
      {L"-9223372036854775808", Format(L"%d", {LLONG_MIN})},
      {L"4294967295", Format(L"%u", {-1})},
      {L"FF FF 00001234", Format(L"%X %x %.8X", {255, 255, 0x1234})},  // hex digits are upper case
      // A 64-bit value keeps all its digits; the precision is a minimum.
      {L"140000000", Format(L"%.8X", {0x140000000LL})},
      {L"80040218", Format(L"%x", {NoRenderer})},
      {L"a (b)", Format(L"%s (%s)", {L"a", "b"})},
      {L"ab|  xy", Format(L"%.2s|%4s", {L"abcdef", L"xy"})},
      {L"b a b", Format(L"%1:s %0:s %s", {L"a", L"b"})},
      {L"1.50 -0.500", Format(L"%f %.3f", {1.5, -0.5})},
      {L"100% done", Format(L"%d%% done", {100})},
      {L"", Format(L"", {})},
  };
  for (const auto& [Expected, Actual] : Cases) EXPECT_EQ(Expected, Actual);
}

TEST(SysUtilsFormat, EightBitFormatKeepsCodePageText) {
  EXPECT_EQ("\xFC = \xE9", Format("%s = %s", {"\xFC", L"\u00E9"}));
}

TEST(SysUtilsFormat, MismatchOrMissingArgumentRaises) {
  const std::pair<std::wstring, std::function<void()>> Cases[] = {
      {L"%d", [] { Format(L"%d", {}); }},         {L"%d %d", [] { Format(L"%d %d", {1}); }},
      {L"%d", [] { Format(L"%d", {L"x"}); }},     {L"%s", [] { Format(L"%s", {1}); }},
      {L"%f", [] { Format(L"%f", {1}); }},        {L"%x", [] { Format(L"%x", {1.0}); }},
      {L"%q", [] { Format(L"%q", {1}); }},        {L"50%", [] { Format(L"50%", {1}); }},
      {L"%2:d", [] { Format(L"%2:d", {1, 2}); }},
  };
  for (const auto& [Fmt, Call] : Cases) {
    EXPECT_EQ(L"Format '" + Fmt + L"' invalid or incompatible with argument", MessageOf<EConvertError>(Call));
  }
}

TEST(SysUtilsException, WhatIsUtf8OfTheMessage) {
  Exception E(L"\u041E\u0448\u0438\u0431\u043A\u0430 \u00E9");
  EXPECT_STREQ("\xD0\x9E\xD1\x88\xD0\xB8\xD0\xB1\xD0\xBA\xD0\xB0 \xC3\xA9", E.what());
  E.SetMessage(L"\u65E5");
  EXPECT_STREQ("\xE6\x97\xA5", E.what());

  const EStreamError Ansi(std::string("caf\xE9"));  // code page 1252
  EXPECT_EQ(L"caf\u00E9", Ansi.Message());
  EXPECT_STREQ("caf\xC3\xA9", Ansi.what());
}

TEST(SysUtilsException, RaiseLastOSErrorNamesCodeAndText) {
  const std::wstring Text = SysErrorMessage(ERROR_FILE_NOT_FOUND);
  ASSERT_FALSE(Text.empty());
  EXPECT_EQ(std::wstring::npos, std::wstring(L" \r\n").find(Text.back()));
  SetLastError(ERROR_FILE_NOT_FOUND);
  try {
    RaiseLastOSError();
  } catch (const EOSError& E) {
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), E.ErrorCode);
    EXPECT_EQ(L"System Error.  Code: 2.\r\n" + Text, E.Message());
    return;
  }
  ADD_FAILURE() << "no EOSError";
}

TEST(SysUtilsStrToInt, AcceptsDecimalSignAndHex) {
  const std::pair<const char*, int> Cases[] = {
      {"12", 12},
      {"-12", -12},
      {"+7", 7},
      {"$FF", 255},
      {"$ff", 255},
      {"-$10", -16},
      {"  5", 5},
      {"2147483647", INT_MAX},
      {"-2147483648", INT_MIN},
      {"$FFFFFFFF", -1},
  };
  for (const auto& [Text, Value] : Cases) EXPECT_EQ(Value, StrToInt(Text)) << Text;
}

TEST(SysUtilsStrToInt, RejectsMalformedAndOutOfRange) {
  for (const char* Text :
       {"", " ", "12a", "1 ", "2147483648", "-2147483649", "$", "$100000000", "-", "0x10"}) {
    EXPECT_EQ(-7, StrToIntDef(Text, -7)) << Text;
    EXPECT_THROW(StrToInt(Text), EConvertError) << Text;
  }
  EXPECT_EQ(L"'12a' is not a valid integer value", MessageOf<EConvertError>([] { StrToInt("12a"); }));
}

TEST(SysUtilsStrings, TrimAndAsciiCase) {
  EXPECT_EQ("a b", Trim("\t a b \r\n"));
  EXPECT_EQ("", Trim("  "));
  EXPECT_EQ("ABC\xE9", UpperCase("aBc\xE9"));
  EXPECT_EQ("abc\xC9", LowerCase("AbC\xC9"));
}

TEST(SysUtilsCompare, GivesMinusOneZeroOrOne) {
  EXPECT_EQ(0, AnsiCompareText("abc\xE9", "ABC\xC9"));
  EXPECT_NE(0, AnsiCompareStr("abc", "ABC"));
  EXPECT_EQ(1, AnsiCompareText("B", "a"));
  EXPECT_EQ(0, WideCompareText(L"\u00E4\u0436", L"\u00C4\u0416"));
  EXPECT_EQ(-1, WideCompareText(L"a", L"B"));
  // Lengths are passed, so embedded zeros count.
  EXPECT_NE(0, WideCompareStr(std::wstring(L"a\0b", 3), std::wstring(L"a\0c", 3)));
}
