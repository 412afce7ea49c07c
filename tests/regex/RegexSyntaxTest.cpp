// Pattern features, each as rows of (pattern, text, whole match). The default modifiers are
// i, s, m on and g off, so quantifiers are lazy unless a row sets (?g).
#include <gtest/gtest.h>

#include "tests/regex/RegexTestSupport.h"

namespace {

const std::wstring kNone = L"<no match>";

struct TCase {
  const wchar_t* Pattern;
  std::wstring Input;
  std::wstring Expected;
};

void CheckAll(const std::vector<TCase>& Cases) {
  for (const TCase& C : Cases) {
    const auto Found = FirstMatch(C.Pattern, C.Input);
    EXPECT_EQ(Found.value_or(kNone), C.Expected) << L"pattern " << C.Pattern << L" on " << C.Input;
  }
}

TEST(RegexSyntax, LiteralsAndEscapes) {
  CheckAll({
      {L"abc", L"xxABCx", L"ABC"},
      {L"(?-i)abc", L"ABCabc", L"abc"},
      {L"\\x41", L"zA", L"A"},
      {L"(?-i)\\x{41}", L"aA", L"A"},
      {L"\\x{263a}", L"a\u263A", L"\u263A"},
      {L"\\x{0041}B", L"zAB", L"AB"},
      {L"\\t", L"a\tb", L"\t"},
      {L"\\n", L"a\nb", L"\n"},
      {L"\\r", L"a\rb", L"\r"},
      {L"\\e",
       L"a\x1B"
       L"b",
       L"\x1B"},
      {L"a\\.b", L"axb a.b", L"a.b"},
      {L"\\0", L"x0", L"0"},
      {L"\\*\\+\\?", L"a*+?", L"*+?"},
      {L"\\\\", L"a\\b", L"\\"},
      {L"\\q", L"aq", L"q"},
      // A brace that is no quantifier is literal text.
      {L"{", L"a{b", L"{"},
      {L"a{", L"a{b", L"a{"},
      {L"a{1,", L"xa{1,", L"a{1,"},
      {L"a{,3}", L"a{,3}", L"a{,3}"},
      {L"a{x}", L"aa{x}", L"a{x}"},
      {L"}]", L"a}]", L"}]"},
  });
}

TEST(RegexSyntax, EscapedZeroIsAnEmptyLiteralThatMatchesOnlyAtTheEnd) {
  TRecordingRegex R;
  R.SetExpression(L"\\x00");
  ASSERT_TRUE(R.Exec(L"ab"));
  EXPECT_EQ(R.MatchPos(0), 3);
  EXPECT_EQ(R.MatchLen(0), 0);
}

TEST(RegexSyntax, Sets) {
  CheckAll({
      {L"[abc]+", L"xxcab", L"c"},
      {L"(?g)[a-c]+", L"xxcabd", L"cab"},
      {L"(?g)[^a-c]+", L"abxyzc", L"xyz"},
      {L"(?g)[]a]+", L"x]a]", L"]a]"},
      {L"[a-]", L"x-", L"-"},
      {L"(?g)[a-\\d]+", L"x-a5", L"-a5"},
      {L"(?-i)[\\D]", L"1dD", L"D"},
      {L"[\\s]", L"a b", L" "},
      {L"[\\w]", L"!\u00E4", L"\u00E4"},
      {L"(?g)[\\x41-\\x43]+", L"xCAB", L"CAB"},
      {L"(?g)[\\t-\\r]+", L"a\t\n\v\f\rb", L"\t\n\v\f\r"},
      {L"(?-i)[A-Z]", L"abC", L"C"},
      {L"[A-Z]", L"abC", L"a"},
      {L"[^a]", L"aA", kNone},
      {L"(?-i)[^a]", L"aA", L"A"},
      {L"[.*+]", L"ab+", L"+"},
  });
}

TEST(RegexSyntax, Classes) {
  CheckAll({
      {L"(?g)\\d+", L"ab123c", L"123"},
      {L"\\D", L"12a", L"a"},
      {L"\\w", L"!!\u00E4", L"\u00E4"},
      {L"\\w", L"!\u00E9", kNone},
      {L"\\W", L"a\u00E9", L"\u00E9"},
      {L"\\s", L"a\tb", L"\t"},
      {L"\\s", L"a\vb", kNone},
      {L"\\S", L" \tx", L"x"},
      {L"(?g)\\w+", L"  stra\u00DFe!", L"stra\u00DFe"},
  });
}

TEST(RegexSyntax, CaseFoldsOnlyBelow128) {
  CheckAll({
      {L"(?i)\u00C4", L"\u00E4", kNone},
      {L"\u00C4", L"\u00C4", L"\u00C4"},
      {L"[\u00C4]", L"\u00E4", kNone},
      {L"K", L"k", L"k"},
  });
}

TEST(RegexSyntax, MultiLineAnchorsAtEveryLineBreak) {
  for (const std::wstring Break : {L"\r", L"\n", L"\v", L"\f", L"\u2028", L"\u2029", L"\u0085", L"\r\n"}) {
    EXPECT_EQ(FirstMatch(L"^b", L"a" + Break + L"b").value_or(kNone), L"b") << Break;
    EXPECT_EQ(FirstMatch(L"a$", L"a" + Break + L"b").value_or(kNone), L"a") << Break;
    EXPECT_FALSE(FirstMatch(L"(?-m)^b", L"a" + Break + L"b")) << Break;
    EXPECT_FALSE(FirstMatch(L"(?-m)a$", L"a" + Break + L"b")) << Break;
  }
}

TEST(RegexSyntax, Anchors) {
  CheckAll({
      {L"^b", L"a\u2026b", kNone},
      // Never between the two halves of CR LF.
      {L"^\\n", L"a\r\nb", kNone},
      {L"\\r$", L"a\r\nb", kNone},
      {L"(?-m)b$", L"a\nb", L"b"},
      {L"\\Ab", L"a\nb", kNone},
      {L"\\Aa", L"a\nb", L"a"},
      {L"a\\Z", L"a\nb", kNone},
      {L"b\\Z", L"a\nb", L"b"},
      {L"^$", L"", L""},
      {L"x*", L"", L""},
      {L"a.c", L"a\rc", L"a\rc"},
      {L"(?-s)a.c", L"a\rc", kNone},
      {L"(?-s)a.c", L"a\u2028c", kNone},
      {L"(?-s)a.c", L"abc", L"abc"},
  });
}

TEST(RegexSyntax, WordBoundaries) {
  CheckAll({
      {L"\\bcat\\b", L"a cat.", L"cat"},
      {L"\\bcat\\b", L"concat", kNone},
      {L"\\b\u00E4", L"\u00E4b", L"\u00E4"},
      {L"\\Bcat", L"concat", L"cat"},
      {L"\\Bcat", L"cat", kNone},
      {L"a\\b", L"a", L"a"},
  });
}

TEST(RegexSyntax, GroupsAndBackReferences) {
  CheckAll({
      {L"(a)\\1", L"xaa", L"aa"},
      {L"(a)\\1", L"aA", L"aA"},
      {L"(?-i)(a)\\1", L"aA", kNone},
      {L"\\1(a)", L"aa", kNone},
      {L"(?g)(\\w+) \\1", L"say bye bye", L"bye bye"},
      {L"(?g)(a|b)\\1+", L"abbb", L"bbb"},
      {L"(a|b)\\1*c", L"bbbc", L"bbbc"},
      {L"(x)(y)(z)\\3\\2\\1", L"xyzzyx", L"xyzzyx"},
      {L"a|b|c", L"xc", L"c"},
      {L"ab|", L"x", L""},
      {L"()", L"x", L""},
  });
}

TEST(RegexSyntax, QuantifiersLazyByDefaultGreedyWithG) {
  CheckAll({
      {L"a+", L"aaa", L"a"},
      {L"a+?", L"aaa", L"a"},
      {L"(?g)a+", L"aaa", L"aaa"},
      {L"a*", L"aaa", L""},
      {L"(?g)a*", L"aaa", L"aaa"},
      {L"ba?", L"baa", L"b"},
      {L"(?g)ba?", L"baa", L"ba"},
      {L"(?g)ba??", L"baa", L"b"},
      {L"a.*c", L"abcbc", L"abc"},
      {L"(?g)a.*c", L"abcbc", L"abcbc"},
      {L"(?g)a.*?c", L"abcbc", L"abc"},
      {L"ab*", L"abbb", L"a"},
      {L"(?g)ab*", L"abbb", L"abbb"},
      {L"(?g)ab+", L"xabbb", L"abbb"},
      {L"(?g)a*ab", L"aaab", L"aaab"},
      {L"(ab)*", L"abab", L""},
      {L"(?g)(ab)*", L"abab", L"abab"},
      {L"(ab)+", L"xababy", L"ab"},
      {L"(?g)(ab)+", L"xababy", L"abab"},
      {L"(ab)?c", L"abc", L"abc"},
      {L"(?g)(ab)?", L"abc", L"ab"},
      {L"(ab)?", L"abc", L""},
      {L"(?g)(ab)??", L"abc", L""},
      {L"(?g)(?-s).+", L"ab\ncd", L"ab"},
  });
}

TEST(RegexSyntax, CountedRepeats) {
  CheckAll({
      {L"a{2}", L"a", kNone},
      {L"a{2}", L"aaa", L"aa"},
      {L"a{2,}", L"aaaa", L"aa"},
      {L"(?g)a{2,}", L"aaaa", L"aaaa"},
      {L"a{1,3}", L"aaaa", L"a"},
      {L"(?g)a{1,3}", L"aaaa", L"aaa"},
      {L"(?g)a{2,3}?", L"aaaa", L"aa"},
      {L"a{0}b", L"ab", L"b"},
      {L"x{99999999}", L"xx", kNone},
      {L"(ab){2}", L"abab", L"abab"},
      {L"(ab){2}", L"ab", kNone},
      {L"(ab){1,}", L"ababab", L"ab"},
      {L"(?g)(ab){1,}", L"ababab", L"ababab"},
      {L"(?g)(a|b){2,3}", L"abab", L"aba"},
      {L"(a|b){2,3}", L"abab", L"ab"},
      {L"(a|b){2,3}c", L"abac", L"abac"},
      {L"[ab]{3}", L"xabba", L"abb"},
      {L"(?g)\\d{2,4}", L"123456", L"1234"},
  });
}

TEST(RegexSyntax, InlineModifiers) {
  CheckAll({
      {L"(?-i)abc", L"ABC", kNone},
      {L"(?-i)a(?i)b", L"aB", L"aB"},
      {L"(?-i)(a(?i)b)c", L"aBC", kNone},
      {L"(?-i)(a(?i)b)c", L"aBc", L"aBc"},
      {L"(?-i)(?i)abc|ABC", L"abc", L"abc"},
      {L"(?ismxr-ismxr)A", L"a", kNone},
      {L"(?g-g)a+", L"aaa", L"a"},
      {L"(?G)a+", L"aaa", L"aaa"},
      {L"(?)a", L"a", L"a"},
      {L"(?-m)(?m)^b", L"a\nb", L"b"},
  });
}

TEST(RegexSyntax, CommentsAndExtendedSyntax) {
  CheckAll({
      {L"(?#note)a", L"a", L"a"},
      {L"a(?#x)b", L"ab", L"ab"},
      {L"(?x)a b # note", L"ab", L"ab"},
      {L"(?x)a b # note", L"a b", kNone},
      {L"(?x) a\\ b", L"a b", L"a b"},
      {L"(?x)a # first\n b # second", L"ab", L"ab"},
      {L"(?x)[ ]", L" ", L" "},
      {L"(?x)(?g)a b+", L"abbb", L"abbb"},
      {L"a#b", L"a#b", L"a#b"},
  });
}

TEST(RegexSyntax, RussianRangesWithModifierR) {
  CheckAll({
      {L"(?r)[\u0430-\u044F]", L"\u0451", L"\u0451"},
      {L"[\u0430-\u044F]", L"\u0451", kNone},
      {L"[\u0430-\u044F]", L"\u0436", L"\u0436"},
      {L"(?r-i)[\u0410-\u042F]", L"\u0451\u0401", L"\u0401"},
      {L"(?r-i)[\u0410-\u042F]", L"\u0436", kNone},
      {L"(?r-i)[\u0430-\u042F]", L"x\u0401", L"\u0401"},
      {L"(?r-i)[\u0430-\u042F]", L"x\u0451", L"\u0451"},
  });
}

}  // namespace
