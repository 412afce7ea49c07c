#include "Imports/UCodeSystem.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <random>
#include <vector>

#include "Imports/UCodeRepSystem.h"
#include "Imports/UCodeSysUtils.h"

namespace {

struct TCoded {
  std::wstring Wide;
  std::string Coded;
};

TEST(UCodeSystemUTF7, EncodesAndDecodes) {
  const std::vector<TCoded> BothWays = {
      {L"", ""},
      {L"a+b", "a+-b"},
      {L"~", "+AH4"},     // a run at the end stays open
      {L"~a", "+AH4-a"},  // closed before a base64 letter or a minus
      {L"~-", "+AH4--"},
      {L"~.", "+AH4."},
      {L"\\", "+AFw"},
      {L"!\"#$%&*;<=>@[]^_`{|} \t\r\n'(),-./:?", "!\"#$%&*;<=>@[]^_`{|} \t\r\n'(),-./:?"},
      {L"Hi Mom -\u263A-!", "Hi Mom -+Jjo--!"},
      {L"\u65E5\u672C\u8A9E", "+ZeVnLIqe"},
      {std::wstring(L"\0", 1), "+AAA"},
      {L"\xD83D\xDE00", "+2D3eAA"},
      {L"\uFBFFa", "++/8-a"},  // plus signs as base64 digits, even right after the opening one
  };
  for (const auto& C : BothWays) {
    EXPECT_EQ(WideStringToUTF7(C.Wide), C.Coded);
    EXPECT_EQ(UTF7ToWideString(C.Coded), C.Wide) << C.Coded;
  }
  const std::vector<TCoded> DecodeOnly = {
      {L"aAGE-", "+AGE+AGE-"},  // a plus that cannot be a digit closes the run and is consumed
      {L"a", "+AGE+"},
      {L"a+", "+AGE-+-"},
      {L"~\\!", "~\\!"},
  };
  for (const auto& C : DecodeOnly) EXPECT_EQ(UTF7ToWideString(C.Coded), C.Wide) << C.Coded;
}

TEST(UCodeSystemUTF7, RejectsInvalidInput) {
  for (const std::string S : {"+", "a+", "++", "+!", "+A", "+AGF-", "\x80", "a\xE4", "+AG\xE4"}) {
    EXPECT_THROW(UTF7ToWideString(S), EUCodeGeneralError) << S;
  }
  try {
    UTF7ToWideString("+");
  } catch (const EUCodeGeneralError& E) {
    EXPECT_EQ(E.Message(), L"Invalid UTF7");
  }
}

TEST(UCodeSystemUTF7, CoreOptionsAndFullTargets) {
  auto Encode = [](const std::wstring& S, bool Optional, bool Verbose, size_t Room) {
    std::string Out(Room, '\0');
    const wchar_t* Source = S.data();
    char* Target = Out.data();
    const auto R =
        ConvertUCS2ToUTF7(Source, S.data() + S.size(), Target, Out.data() + Room, Optional, Verbose);
    return std::make_pair(R, Out.substr(0, Target - Out.data()));
  };
  EXPECT_EQ(Encode(L"!", false, false, 9), std::make_pair(crOk, std::string("+ACE")));
  EXPECT_EQ(Encode(L"~.", true, true, 9), std::make_pair(crOk, std::string("+AH4-.")));
  EXPECT_EQ(Encode(L"\u263A", true, false, 2), std::make_pair(crTargetExhausted, std::string("+J")));

  auto Decode = [](const std::string& S, size_t Room) {
    std::wstring Out(Room, L'\0');
    const char* Source = S.data();
    wchar_t* Target = Out.data();
    const auto R = ConvertUTF7ToUCS2(Source, S.data() + S.size(), Target, Out.data() + Room);
    return std::make_pair(R, Out.substr(0, Target - Out.data()));
  };
  EXPECT_EQ(Decode("abc", 2), std::make_pair(crTargetExhausted, std::wstring(L"ab")));
  EXPECT_EQ(Decode("+AGEAYg", 1), std::make_pair(crTargetExhausted, std::wstring(L"a")));
}

TEST(UCodeSystemUTF8, EncodesAndDecodes) {
  const std::vector<TCoded> BothWays = {
      {L"", ""},
      {std::wstring(L"a\0b", 3), std::string("a\0b", 3)},
      {L"\u00E4", "\xC3\xA4"},
      {L"\u007F\u0080\u07FF\u0800\uFFFF", "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF"},
      {L"\xD800\xDC00", "\xF0\x90\x80\x80"},
      {L"\xD83D\xDE00", "\xF0\x9F\x98\x80"},
      {L"\xDBFF\xDFFF", "\xF4\x8F\xBF\xBF"},
      // Unpaired halves keep the three-byte form, so they survive a round trip.
      {L"a\xD83D", "a\xED\xA0\xBD"},
      {L"\xDE00\xD83D", "\xED\xB8\x80\xED\xA0\xBD"},
      {L"\xD83D\x61\xDE00", "\xED\xA0\xBD\x61\xED\xB8\x80"},
  };
  for (const auto& C : BothWays) {
    EXPECT_EQ(WideStringToUTF8(C.Wide), C.Coded);
    EXPECT_EQ(UTF8ToWideString(C.Coded), C.Wide) << C.Coded;
    std::wstring Reused = L"an old text longer than every case";
    UTF8ToWide(C.Coded, Reused);
    EXPECT_EQ(Reused, C.Wide) << C.Coded;
  }
  EXPECT_EQ(UTF8ToWideString("\xED\xA0\xBD\xED\xB8\x80"), L"\xD83D\xDE00");  // a pair coded half by half
}

TEST(UCodeSystemUTF8, BrokenSequencesBecomeReplacementCharacters) {
  const std::vector<TCoded> Cases = {
      {L"\uFFFD", "\xC3"},
      {L"\uFFFDA", "\xC3\x41"},
      {L"\uFFFD", "\xE2\x82"},
      {L"\uFFFDA\uFFFD", "\xE2\x41\x82"},
      {L"\uFFFD", "\xF0\x9F\x98"},
      {L"\uFFFD\uFFFDa\uFFFD\uFFFD", "\x80\xBF\x61\xF8\xFF"},
      {L"\u00E4\uFFFD\u00E4", "\xC3\xA4\xC3\xC3\xA4"},
      // Over-long forms and values above U+10FFFF, one each.
      {L"\uFFFD\uFFFD\uFFFD", "\xC0\x80\xE0\x9F\xBF\xF0\x8F\xBF\xBF"},
      {L"\uFFFD\uFFFD", "\xF4\x90\x80\x80\xF7\xBF\xBF\xBF"},
  };
  for (const auto& C : Cases) {
    EXPECT_EQ(UTF8ToWideString(C.Coded), C.Wide) << C.Coded;
    std::wstring Reused = L"old";
    UTF8ToWide(C.Coded, Reused);
    EXPECT_EQ(Reused, C.Wide) << C.Coded;
  }
}

TEST(UCodeSystemUTF8, AsciiRunsOfAnyLengthBetweenOtherCharacters) {
  // ASCII goes across sixteen bytes at a time: a multi-byte character at every place around that.
  std::string Ascii;
  for (char C = '!'; Ascii.size() < 48; ++C) Ascii += C;
  const std::wstring WideAscii(Ascii.begin(), Ascii.end());
  for (size_t At = 0; At <= Ascii.size(); ++At) {
    const std::string Coded = Ascii.substr(0, At) + "\xC3\xA4" + Ascii.substr(At) + "\xFF" + Ascii;
    const std::wstring Wide =
        WideAscii.substr(0, At) + L"\u00E4" + WideAscii.substr(At) + L"\uFFFD" + WideAscii;
    EXPECT_EQ(UTF8ToWideString(Coded), Wide) << At;
  }
}

std::wstring RandomText(std::mt19937& Rng) {
  // Ranges: ASCII, controls, "+-~", Latin/Greek/Cyrillic, CJK, private use and above, a surrogate pair.
  static const std::vector<std::pair<unsigned, unsigned>> Ranges = {
      {0x20, 0x7E},  {0x00, 0x1F},     {'+', '-'},       {'~', '~'},
      {0x80, 0x4FF}, {0x4E00, 0x9FFF}, {0xE000, 0xFFFF}, {0, 0}};
  std::wstring S;
  for (int N = std::uniform_int_distribution<int>(0, 40)(Rng); N > 0; --N) {
    auto Pick = [&Rng](unsigned Low, unsigned High) {
      return static_cast<wchar_t>(std::uniform_int_distribution<unsigned>(Low, High)(Rng));
    };
    const auto& [Low, High] = Ranges[Pick(0, Ranges.size() - 1)];
    if (High == 0) {
      S += Pick(0xD800, 0xDBFF);
      S += Pick(0xDC00, 0xDFFF);
    } else {
      S += Pick(Low, High);
    }
  }
  return S;
}

TEST(UCodeSystemRoundTrip, RandomTextThroughUTF7AndUTF8) {
  std::mt19937 Rng(20240611);
  for (int I = 0; I < 400; ++I) {
    const std::wstring S = RandomText(Rng);
    const std::string Utf7 = WideStringToCodePage(S, 65000);
    EXPECT_EQ(CodePageToWideString(Utf7, 65000), S) << Utf7;
    EXPECT_EQ(CodePageToWideString(WideStringToCodePage(S, 65001), 65001), S);
  }
}

TEST(UCodeSystemCodePage, ConvertsThroughThePlatform) {
  struct TCase {
    UINT CodePage;
    TCoded Text;
  };
  const std::vector<TCase> Cases = {
      {1251, {L"\u041F\u0440\u0438\u0432\u0435\u0442 \u0451", "\xCF\xF0\xE8\xE2\xE5\xF2 \xB8"}},
      {932, {L"\u65E5\u672C\u8A9E\uFF71a", "\x93\xFA\x96\x7B\x8C\xEA\xB1\x61"}},
      {1252, {L"\u20AC\u00E4\u00DF", "\x80\xE4\xDF"}},
      {932, {L"", ""}},
  };
  for (const auto& C : Cases) {
    EXPECT_EQ(WideStringToCodePage(C.Text.Wide, C.CodePage), C.Text.Coded) << C.CodePage;
    EXPECT_EQ(CodePageToWideString(C.Text.Coded, C.CodePage), C.Text.Wide) << C.CodePage;
  }
  EXPECT_EQ(WideStringToCodePage(L"a\u65E5", 1251), "a?");
  // UTF-7 and UTF-8 are ours: the platform would shift "!" and reject surrogate halves.
  EXPECT_EQ(UCodeRepSystem::WideStringToCodePage(L"a!+", 65000), "a!+-");
  EXPECT_THROW(CodePageToWideString("+", 65000), EUCodeGeneralError);
  EXPECT_EQ(WideStringToCodePage(L"\xD800", 65001), "\xED\xA0\x80");
  EXPECT_EQ(CodePageToWideString("\xED\xA0\xBD\xED\xB8\x80", 65001), L"\xD83D\xDE00");
}

TEST(UCodeSystemCodePage, SystemLocaleAndKeyboard) {
  EXPECT_EQ(DefaultSystemCodePage(), GetACP());
  if (GetACP() != 1252) GTEST_SKIP() << "the tests run with an English locale (code page 1252)";
  EXPECT_EQ(WideStringToCodePage(L"\u20AC\u00E4x\u0416", 0), "\x80\xE4x?");
  EXPECT_EQ(CodePageToWideString("\x80\xE4x", 0), L"\u20AC\u00E4x");

  EXPECT_EQ(LCIDToCodePage(0x0419), 1251u);  // Russian
  EXPECT_EQ(LCIDToCodePage(0x0411), 932u);   // Japanese
  EXPECT_EQ(LCIDToCodePage(0x0408), 1253u);  // Greek
  EXPECT_EQ(LCIDToCodePage(0xFFFF), GetACP());

  EXPECT_EQ(KeyCharToWide(0x0416), L'\u0416');
  EXPECT_EQ(KeyCharToWide(0x0100), L'\u0100');
  if (KeyboardCodePage() == 1252) {
    EXPECT_EQ(KeyCharToWide(0x80), L'\u20AC');
  }
}

TEST(UCodeSystemSwap, SwapsEveryUnitPastAZero) {
  std::wstring S(L"\u0041\0\u1234\uFFFE", 4);
  SwapWideByteOrder(S);
  EXPECT_EQ(S, std::wstring(L"\u4100\0\u3412\uFEFF", 4));
}

std::vector<std::wstring> ScanAll(const wchar_t* P) {
  std::vector<std::wstring> Params;
  for (std::wstring Param; (P = NextCommandLineParam(P, Param)), !Param.empty();) Params.push_back(Param);
  return Params;
}

TEST(UCodeSystemCommandLine, ScansParameters) {
  using V = std::vector<std::wstring>;
  EXPECT_EQ(ScanAll(L"   \t "), V{});
  EXPECT_EQ(ScanAll(L"\"C:\\Program Files\\a.exe\" \"D:\\My Music\\x.mp3\""),
            (V{L"C:\\Program Files\\a.exe", L"D:\\My Music\\x.mp3"}));
  EXPECT_EQ(ScanAll(L"a\tb\r\nc\x01\u0416"), (V{L"a", L"b", L"c", L"\u0416"}));
  EXPECT_EQ(ScanAll(L"a \"\"\"\"  \"\" b"), (V{L"a", L"b"}));  // empty quoted parameters do not count
  EXPECT_EQ(ScanAll(L"C:\\My\" \"Music\\x \"\"y\"\""), (V{L"C:\\My Music\\x", L"y"}));
  EXPECT_EQ(ScanAll(L"\"open ended"), V{L"open ended"});

  std::wstring Param;
  const std::wstring Line = L"  \"a b\"\tc";
  EXPECT_EQ(NextCommandLineParam(Line.c_str(), Param), Line.c_str() + 7);  // at the character that ended it
  EXPECT_EQ(Param, L"a b");
}

TEST(UCodeSystemCommandLine, ParamStrReadsTheProgramsCommandLine) {
  wchar_t Module[MAX_PATH];
  GetModuleFileNameW(nullptr, Module, MAX_PATH);
  EXPECT_EQ(WideParamStr(0), Module);

  int Count = 0;
  wchar_t** Args = CommandLineToArgvW(GetCommandLineW(), &Count);
  ASSERT_NE(Args, nullptr);
  for (int I = 1; I < Count; ++I) EXPECT_EQ(WideParamStr(I), Args[I]) << I;
  LocalFree(Args);
  EXPECT_EQ(WideParamStr(Count), L"");
  EXPECT_EQ(WideParamStr(Count + 5), L"");
}

}  // namespace
