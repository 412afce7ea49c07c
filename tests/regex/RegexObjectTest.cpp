// The expression object: settings, search entry points, match positions, compile errors and texts.
#include <gtest/gtest.h>

#include "tests/regex/RegexTestSupport.h"

namespace {

TEST(RegexObject, NewObjectHasTheDefaultSettings) {
  TWideRegex R;
  EXPECT_EQ(R.ModifierStr(), L"ism-rgx");
  EXPECT_EQ(R.SpaceSet, L" \t\n\r\f");
  EXPECT_EQ(R.WordSet.size(), 70u);
  EXPECT_EQ(R.LineBreakSet, L"\r\n\v\f\u2028\u2029\u0085");
  EXPECT_EQ(R.LinePairedSeparator(), L"\r\n");
}

TEST(RegexObject, ModifiersBySettersAndLetters) {
  TRecordingRegex R;
  R.SetModifierStr(L"g-i");
  EXPECT_EQ(R.ModifierStr(), L"sgm-irx");
  R.SetModifierStr(L"q");
  EXPECT_EQ(R.ModifierStr(), L"sgm-irx");
  R.SetModifier(7, true);
  R.SetModifier(0, true);
  EXPECT_EQ(R.Codes, (std::vector<int>{reeCompUnknownModifier, reeModifierIndex, reeModifierIndex}));
  EXPECT_TRUE(R.Modifier(4));
  EXPECT_FALSE(R.Modifier(1));
}

TEST(RegexObject, ChangedModifierRecompilesAtNextExec) {
  TWideRegex R;
  R.SetExpression(L"a+");
  ASSERT_TRUE(R.Exec(L"AAA"));
  EXPECT_EQ(R.Match(0), L"A");
  R.SetModifier(4, true);  // g
  ASSERT_TRUE(R.Exec(L"AAA"));
  EXPECT_EQ(R.Match(0), L"AAA");
  R.SetModifier(1, false);  // i
  EXPECT_FALSE(R.Exec(L"AAA"));
}

TEST(RegexObject, ExecNextWalksAllMatches) {
  TWideRegex R;
  R.SetExpression(L"(?g)\\d+");
  std::vector<std::wstring> Found;
  for (bool Ok = R.Exec(L"1 22 x333"); Ok; Ok = R.ExecNext()) Found.push_back(R.Match(0));
  EXPECT_EQ(Found, (std::vector<std::wstring>{L"1", L"22", L"333"}));
}

TEST(RegexObject, ExecNextStepsOverEmptyMatches) {
  TWideRegex R;
  R.SetExpression(L"x*");
  std::vector<int> Positions;
  for (bool Ok = R.Exec(L"ab"); Ok; Ok = R.ExecNext()) Positions.push_back(R.MatchPos(0));
  EXPECT_EQ(Positions, (std::vector<int>{1, 2, 3}));
  TWideRegex Fresh;
  Fresh.SetExpression(L"a");
  EXPECT_FALSE(Fresh.ExecNext());
}

TEST(RegexObject, ExecFromAtTheEdges) {
  TRecordingRegex R;
  R.SetExpression(L"c");
  EXPECT_FALSE(R.ExecFrom(1));
  EXPECT_EQ(R.Codes, std::vector<int>{reeNoInputString});
  R.SetInputString(L"abc");
  ASSERT_TRUE(R.ExecFrom(3));
  EXPECT_EQ(R.MatchPos(0), 3);
  EXPECT_FALSE(R.ExecFrom(4));
  EXPECT_FALSE(R.ExecFrom(0));
  EXPECT_TRUE(R.Saw(reeOffsetBelowOne));
  R.SetExpression(L"$");
  ASSERT_TRUE(R.ExecFrom(4));
  EXPECT_EQ(R.MatchPos(0), 4);
  R.Codes.clear();
  EXPECT_FALSE(R.ExecFrom(5));
  EXPECT_TRUE(R.Codes.empty());
  R.SetExpression(L"\\Aa");
  R.SetInputString(L"aa");
  EXPECT_TRUE(R.ExecFrom(1));
  EXPECT_FALSE(R.ExecFrom(2));
}

TEST(RegexObject, InputEndsAtItsFirstZero) {
  TWideRegex R;
  R.SetExpression(L"b");
  EXPECT_FALSE(R.Exec(std::wstring(L"a\0b", 3)));
  R.SetExpression(L"a$");
  EXPECT_TRUE(R.Exec(std::wstring(L"a\0b", 3)));
}

TEST(RegexObject, MatchPositionsOfAllGroups) {
  TWideRegex R;
  R.SetExpression(L"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)(l)(m)(n)");
  ASSERT_TRUE(R.Exec(L"xabcdefghijklmn"));
  EXPECT_EQ(R.MatchPos(0), 2);
  EXPECT_EQ(R.MatchLen(0), 14);
  for (int I = 1; I <= 14; ++I) {
    EXPECT_EQ(R.MatchPos(I), I + 1);
    EXPECT_EQ(R.MatchLen(I), 1);
    EXPECT_EQ(R.Match(I), std::wstring(1, static_cast<wchar_t>(L'a' + I - 1)));
  }
  for (int Bad : {-1, 15}) {
    EXPECT_EQ(R.MatchPos(Bad), -1);
    EXPECT_EQ(R.MatchLen(Bad), -1);
    EXPECT_EQ(R.Match(Bad), L"");
  }
}

TEST(RegexObject, GroupsHoldTheValuesOfTheSuccessfulPath) {
  TWideRegex R;
  R.SetExpression(L"(?g)(a*)b|(a*)c");
  ASSERT_TRUE(R.Exec(L"aac"));
  EXPECT_EQ(R.MatchPos(1), -1);  // set on the failed first alternative, then undone
  EXPECT_EQ(R.Match(2), L"aa");
  R.SetExpression(L"(?g)(a|b)+");
  ASSERT_TRUE(R.Exec(L"ab"));
  EXPECT_EQ(R.Match(1), L"b");
  R.SetExpression(L"(a)|(b)");
  ASSERT_TRUE(R.Exec(L"b"));
  EXPECT_EQ(R.MatchLen(1), -1);
  EXPECT_EQ(R.Match(2), L"b");
  R.SetInputString(L"b");
  EXPECT_EQ(R.MatchPos(0), -1);
}

TEST(RegexObject, EmptyPatternFindsNothing) {
  TRecordingRegex R;
  R.SetExpression(L"");
  EXPECT_FALSE(R.Exec(L"abc"));
  EXPECT_EQ(R.Codes, std::vector<int>{reeNoExpression});
}

TEST(RegexObject, FailedCompileIsNotRetriedUntilSomethingChanges) {
  TRecordingRegex R;
  R.SetExpression(L"(?q)x");
  for (int I = 0; I < 3; ++I) EXPECT_FALSE(R.Exec(L"x"));
  EXPECT_EQ(R.Codes, std::vector<int>{reeCompUnknownModifier});
  R.SetExpression(L"(?q)x");
  EXPECT_FALSE(R.Exec(L"x"));
  EXPECT_EQ(R.Codes.size(), 1u);
  R.SetModifier(4, true);
  EXPECT_FALSE(R.Exec(L"x"));
  EXPECT_EQ(R.Codes.size(), 2u);
  R.SetExpression(L"x");
  EXPECT_TRUE(R.Exec(L"x"));
}

TEST(RegexObject, SamePatternKeepsTheProgram) {
  TWideRegex R;
  R.SetExpression(L"abc");
  ASSERT_TRUE(R.Compile());
  const wchar_t* Program = R.Program().data();
  R.SetExpression(L"abc");
  EXPECT_EQ(R.Program().data(), Program);
  R.SetExpression(L"abd");
  EXPECT_TRUE(R.Program().empty());
}

TEST(RegexObject, LinePairedSeparator) {
  TRecordingRegex R;
  R.SetLinePairedSeparator(L"ab");
  EXPECT_EQ(R.LinePairedSeparator(), L"ab");
  R.SetLinePairedSeparator(L"aa");
  R.SetLinePairedSeparator(L"abc");
  EXPECT_EQ(R.LinePairedSeparator(), L"ab");
  EXPECT_EQ(R.Codes, (std::vector<int>{reeBadLinePairedSeparator, reeBadLinePairedSeparator}));
  R.SetLinePairedSeparator(L"");
  EXPECT_EQ(R.LinePairedSeparator(), L"");
  // Without the pair, CR and LF are two line breaks with a line start between them.
  R.SetExpression(L"^\\n");
  EXPECT_TRUE(R.Exec(L"a\r\nb"));
  R.SetLinePairedSeparator(L"\r\n");
  EXPECT_FALSE(R.Exec(L"a\r\nb"));
}

TEST(RegexObject, DefaultInvertCaseFoldsOnlyAscii) {
  EXPECT_EQ(TWideRegex::DefaultInvertCase(L'a'), L'A');
  EXPECT_EQ(TWideRegex::DefaultInvertCase(L'A'), L'a');
  EXPECT_EQ(TWideRegex::DefaultInvertCase(L'1'), L'1');
  EXPECT_EQ(TWideRegex::DefaultInvertCase(L'\u00E4'), L'\u00E4');
}

TEST(RegexObject, ErrorTextsFollowTheLanguageSetting) {
  TWideRegex R;
  const std::wstring Saved = WideRegexLanguage;
  WideRegexLanguage = L"en";
  EXPECT_EQ(R.ErrorMsg(reeCompOperandCouldBeEmpty), L"*+ Operand Could Be Empty");
  EXPECT_EQ(R.ErrorMsg(0), L"No Errors");
  EXPECT_EQ(R.ErrorMsg(reeLoopStackExceeded), L"Unknown Error");
  for (const wchar_t* Other : {L"de", L"EN", L""}) {
    WideRegexLanguage = Other;
    EXPECT_EQ(R.ErrorMsg(reeCompOperandCouldBeEmpty), L"*+ Operant kann leer sein") << Other;
  }
  EXPECT_EQ(R.ErrorMsg(reeUnknownOpcode), L"Unbekannter Fehler");
  WideRegexLanguage = Saved;
}

// Every compile error: a pattern that raises it, and its English and German text.
TEST(RegexObject, CompileErrorsFailWithTheirCodeAndTexts) {
  struct TCase {
    std::wstring Pattern;
    int Code;
    const wchar_t* English;
    const wchar_t* German;
  };
  const std::vector<TCase> Cases = {
      {L"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)(l)(m)(n)(o)", reeCompTooManyGroups, L"Too Many ()",
       L"Zu viele ()"},
      {L"(a", reeCompUnmatchedGroup, L"Unmatched ()", L"Fehlende Klammer ()"},
      {L"a)", reeCompUnmatchedClose, L"Unmatched ()", L"Fehlende Klammer ()"},
      {L"[b-a]", reeCompInvalidRange, L"Invalid [] Range", L"Invalide Menge []"},
      {L"[\u0430-\u042F]", reeCompInvalidRange, L"Invalid [] Range", L"Invalide Menge []"},
      {L"[a\\", reeCompTrailingBackslashInSet, L"Trailing \\", L"Abschlie\u00DFendes \\"},
      {L"\\x", reeCompNoHexCodeAfterX, L"No Hex Code After \\x", L"Kein HEX Code nach \\x"},
      {L"\\xA", reeCompNoHexCodeAfterX, L"No Hex Code After \\x", L"Kein HEX Code nach \\x"},
      {L"\\x{41", reeCompNoHexCodeAfterX, L"No Hex Code After \\x", L"Kein HEX Code nach \\x"},
      {L"[abc", reeCompUnmatchedSet, L"Unmatched []", L"Fehlende Klammer []"},
      {L"*a", reeCompQuantifierFollowsNothing, L"?+*{ Follows Nothing", L"?+*{ folgt nichts"},
      {L"a|?", reeCompQuantifierFollowsNothing, L"?+*{ Follows Nothing", L"?+*{ folgt nichts"},
      {L"a\\", reeCompTrailingBackslash, L"Trailing \\", L"Abschlie\u00DFendes \\"},
      {L"(?#note", reeCompUnclosedComment, L"Unclosed (?#Comment)", L"Ungeschlossener (?#Kommentar)"},
      {L"(?:a)", reeCompUnknownModifier, L"Urecognized Modifier", L"Unbekannter Modifikator"},
      {L"(?i", reeCompUnknownModifier, L"Urecognized Modifier", L"Unbekannter Modifikator"},
  };
  const std::wstring Saved = WideRegexLanguage;
  for (const TCase& C : Cases) {
    TRecordingRegex R;
    R.SetExpression(C.Pattern);
    EXPECT_FALSE(R.Compile()) << C.Pattern;
    EXPECT_EQ(R.Codes, std::vector<int>{C.Code}) << C.Pattern;
    EXPECT_FALSE(R.Exec(C.Pattern + L"aaa}")) << C.Pattern;
    WideRegexLanguage = L"en";
    EXPECT_EQ(R.ErrorMsg(C.Code), C.English);
    WideRegexLanguage = L"de";
    EXPECT_EQ(R.ErrorMsg(C.Code), C.German);
  }
  WideRegexLanguage = L"en";
  TWideRegex R;
  EXPECT_EQ(R.ErrorMsg(reeBadLinePairedSeparator),
            L"LinePairedSeparator must countain two different chars or no chars at all");
  WideRegexLanguage = Saved;
}

// These errors are told, and the compile goes on with what the pattern then says.
TEST(RegexObject, SomeErrorsAreToldAndTheCompileGoesOn) {
  struct TCase {
    std::wstring Pattern;
    std::vector<int> Codes;
    const wchar_t* Hit;  // nullptr: the compile fails after all
    const wchar_t* Miss;
  };
  const std::vector<TCase> Cases = {
      {L"^*", {reeCompOperandCouldBeEmpty, reeCompQuantifierFollowsNothing}, nullptr, nullptr},
      {L"\\b{2}", {reeCompOperandCouldBeEmpty}, L"a{2}", L"a}"},
      {L"^{2}", {reeCompOperandCouldBeEmpty}, L"{2}", L"}"},
      {L"(a*){2}", {reeCompOperandCouldBeEmpty}, L"{2}", L"x}"},
      {L"^{x", {reeCompOperandCouldBeEmpty}, L"{x", L"x"},
      {L"a**", {reeCompNestedQuantifier, reeCompQuantifierFollowsNothing}, nullptr, nullptr},
      {L"a*{2}", {reeCompNestedQuantifier}, L"{2}", L"aa"},
      {L"\\xZZ", {reeCompBadHexDigit, reeCompBadHexDigit}, L"ZZ", nullptr},  // U+0000 ends the literal
      {L"\\x{4G}", {reeCompBadHexDigit}, L"@", L"4G"},
      {L"\\x{12345}", {reeCompHexCodeTooBig}, L"\u1234}", L"\u12345"},
      {L"a{123456789}", {reeCompBracesTooBig}, L"b", nullptr},
      {L"a{1,123456789}", {reeCompBracesTooBig, reeCompBraceMinAboveMax}, L"a}", L"aa"},
      {L"a{3,2}", {reeCompBraceMinAboveMax}, L"a}", L"aaa"},
  };
  for (const TCase& C : Cases) {
    TRecordingRegex R;
    R.SetExpression(C.Pattern);
    EXPECT_EQ(R.Compile(), C.Hit != nullptr || C.Miss != nullptr) << C.Pattern;
    EXPECT_EQ(R.Codes, C.Codes) << C.Pattern;
    if (C.Hit) {
      EXPECT_TRUE(R.Exec(C.Hit)) << C.Pattern;
    }
    if (C.Miss) {
      EXPECT_FALSE(R.Exec(C.Miss)) << C.Pattern;
    }
  }
  const std::wstring Saved = WideRegexLanguage;
  const struct {
    int Code;
    const wchar_t* English;
    const wchar_t* German;
  } Texts[] = {
      {reeCompOperandCouldBeEmpty, L"*+ Operand Could Be Empty", L"*+ Operant kann leer sein"},
      {reeCompNestedQuantifier, L"Nested *?+", L"Verschachteltes *?+"},
      {reeCompBadHexDigit, L"Bad Hex Digit", L"Falsche HEX Zahl"},
      {reeCompHexCodeTooBig, L"Hex Code After \\x Too Big", L"HEX Code nach \\x zu gro\u00DF"},
      {reeCompBracesTooBig, L"Braces Argument Too Big", L"Quantor {} zu gro\u00DF"},
      {reeCompBraceMinAboveMax, L"Brace Min Param Greater then Max",
       L"Min-Quantor gr\u00F6\u00DFer als Max-Quantor"},
  };
  TWideRegex R;
  for (const auto& T : Texts) {
    WideRegexLanguage = L"en";
    EXPECT_EQ(R.ErrorMsg(T.Code), T.English);
    WideRegexLanguage = L"de";
    EXPECT_EQ(R.ErrorMsg(T.Code), T.German);
  }
  WideRegexLanguage = Saved;
}

TEST(RegexObject, HugeProgramFailsAsTooBig) {
  TRecordingRegex R;
  R.SetExpression(Repeat(L"[\\x{1}-\\x{FFFF}]", 300));
  EXPECT_FALSE(R.Exec(L"a"));
  EXPECT_EQ(R.Codes, std::vector<int>{reeCompTooBig});
  EXPECT_TRUE(R.Program().empty());
  WideRegexLanguage = L"en";
  EXPECT_EQ(R.ErrorMsg(reeCompTooBig), L"RegExp Too Big");
  WideRegexLanguage = L"de";
  EXPECT_EQ(R.ErrorMsg(reeCompTooBig), L"RegExp zu lang");
}

TEST(RegexObject, FourteenGroupsCompile) {
  TWideRegex R;
  R.SetExpression(L"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)(l)(m)(n)");
  EXPECT_TRUE(R.Compile());
}

// What a user may type into the search box: each ends as an error or as literal text.
TEST(RegexObject, MalformedPatternsEndDefined) {
  struct TCase {
    std::wstring Pattern;
    int Code;                   // 0: compiles
    const wchar_t* LiteralHit;  // text that must then match
  };
  const std::vector<TCase> Cases = {
      {L"(", reeCompUnmatchedGroup, nullptr},
      {L")", reeCompUnmatchedClose, nullptr},
      {L"[", reeCompUnmatchedSet, nullptr},
      {L"[]", reeCompUnmatchedSet, nullptr},
      {L"\\", reeCompTrailingBackslash, nullptr},
      {L"{", 0, L"{"},
      {L"a{", 0, L"a{"},
      {L"a{1,", 0, L"a{1,"},
      {L"a{1,2", 0, L"a{1,2"},
      {L"*a", reeCompQuantifierFollowsNothing, nullptr},
      {L"(?", reeCompUnknownModifier, nullptr},
      {L"(?#", reeCompUnclosedComment, nullptr},
      {L"\\x{", reeCompNoHexCodeAfterX, nullptr},
      {L"a|", 0, L"x"},
      {L"|", 0, L"x"},
      {L"((", reeCompUnmatchedGroup, nullptr},
      {L"())", reeCompUnmatchedClose, nullptr},
  };
  for (const TCase& C : Cases) {
    TRecordingRegex R;
    R.SetExpression(C.Pattern);
    const bool Hit = R.Exec(C.LiteralHit ? std::wstring(L"x") + C.LiteralHit : L"x");
    if (C.Code) {
      EXPECT_FALSE(Hit) << C.Pattern;
      EXPECT_EQ(R.Codes, std::vector<int>{C.Code}) << C.Pattern;
    } else {
      EXPECT_TRUE(Hit) << C.Pattern;
      EXPECT_TRUE(R.Codes.empty()) << C.Pattern;
    }
  }
}

}  // namespace
