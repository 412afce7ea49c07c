// The search plan (first characters, required literals, leading ".*", "^" and "\b", the look-ahead of
// repeats) and the remembered failures may only skip what the plain matcher would not find.
#include <gtest/gtest.h>

#include <random>

#include "tests/regex/RegexTestSupport.h"

namespace {

// What a search found: the whole match and group 1, or nothing.
struct TFound {
  bool Hit;
  int Pos, Len, GroupPos, GroupLen;
  bool operator==(const TFound&) const = default;
  friend void PrintTo(const TFound& F, std::ostream* Out) {
    *Out << (F.Hit ? "hit " : "none ") << F.Pos << "+" << F.Len << " (" << F.GroupPos << "+" << F.GroupLen
         << ")";
  }
};

TFound Found(const TWideRegex& R, bool Hit) {
  return {Hit, R.MatchPos(0), R.MatchLen(0), R.MatchPos(1), R.MatchLen(1)};
}

// Every match of the pattern in the text, from the first on through ExecNext.
std::vector<TFound> AllMatches(TWideRegex& R, const std::wstring& Text) {
  std::vector<TFound> Matches{Found(R, R.Exec(Text))};
  for (int I = 0; I < 4 && Matches.back().Hit; ++I) Matches.push_back(Found(R, R.ExecNext()));
  return Matches;
}

std::wstring RandomPattern(std::mt19937& Random) {
  static const wchar_t* const Atoms[] = {
      L"a",     L"b",     L"ab",     L"A",      L"x",    L".",       L"[ab]",   L"[^a]",   L"[a-c]",
      L"\\w",   L"\\W",   L"\\d",    L"\\s",    L"\\b",  L"\\B",     L"^",      L"$",      L"\\A",
      L"\\Z",   L"(a|b)", L"(ab|c)", L"(a)",    L"(b*)", L"\\1",     L"\u00E4", L"(?i)",   L"(?-i)",
      L"(?-s)", L"(?g)",  L"(?-m)",  L"\\r\\n", L"(.)",  L"(?i)[A]", L"a b",    L"[\\x00]"};
  static const wchar_t* const Quantifiers[] = {L"",  L"",   L"",   L"*",     L"+",
                                               L"?", L"*?", L"+?", L"{1,2}", L"{0,}"};
  static const wchar_t* const Leads[] = {L"", L"", L"", L".*", L".+", L"(?-s).*", L"(?g-s).*", L"(?g).*"};
  auto Pick = [&Random](const auto& List) { return List[Random() % std::size(List)]; };
  std::wstring Pattern = Pick(Leads);
  for (int Piece = 1 + Random() % 4; Piece > 0; --Piece) {
    Pattern += Pick(Atoms);
    Pattern += Pick(Quantifiers);
    if (Random() % 8 == 0) Pattern += L"|";
  }
  return Pattern;
}

std::wstring RandomText(std::mt19937& Random) {
  static const wchar_t Letters[] = L"abABxc \r\n\u00E41\u00E9";
  std::wstring Text;
  for (int N = Random() % 16; N > 0; --N) Text += Letters[Random() % (std::size(Letters) - 1)];
  return Text;
}

TEST(RegexSearchPlan, HintsNeverHideAMatch) {
  std::mt19937 Random(2024);
  for (int I = 0; I < 4000; ++I) {
    const std::wstring Pattern = RandomPattern(Random);
    TWideRegex Hinted, Plain;
    Plain.SetSearchHints(false);
    Hinted.SetExpression(Pattern);
    Plain.SetExpression(Pattern);
    for (int T = 0; T < 6; ++T) {
      const std::wstring Text = RandomText(Random);
      ASSERT_EQ(AllMatches(Hinted, Text), AllMatches(Plain, Text))
          << testing::PrintToString(Pattern) << " in " << testing::PrintToString(Text);
    }
  }
}

// Nested and counted repeats, and back-references, over texts long enough for the search to start
// remembering failed states.
std::wstring BacktrackingPattern(std::mt19937& Random) {
  static const wchar_t* const Atoms[] = {
      L"a",     L"b",      L"ab",       L".",      L"\\w",   L"\\s",
      L"[ab]",  L"\\b",    L"$",        L"(a|ab)", L"(a|b)", L"(\\w+)",
      L"(.*a)", L"(a+|b)", L"(a{0,2})", L"(ab|a)", L"(b*a)", L"(\\b\\w+\\b\\s*)",
      L"(a*)",  L"\\1",     L"(ab|b)",   L"\\1",    L"(?i)\\1"};
  static const wchar_t* const Quantifiers[] = {L"",     L"",     L"*",  L"+",  L"?",  L"{2}", L"{1,3}",
                                               L"{0,}", L"{2,}", L"*?", L"+?", L"??", L"{3}"};
  static const wchar_t* const Leads[] = {L"", L"", L"", L"(?-s)", L"(?g)", L"(?-i)"};
  auto Pick = [&Random](const auto& List) { return List[Random() % std::size(List)]; };
  std::wstring Pattern = Pick(Leads);
  for (int Piece = 1 + Random() % 3; Piece > 0; --Piece) {
    std::wstring Part;
    for (int Atom = 1 + Random() % 3; Atom > 0; --Atom) Part += std::wstring(Pick(Atoms)) + Pick(Quantifiers);
    Pattern += Random() % 2 ? L"(" + Part + L")" + Pick(Quantifiers) : Part;
  }
  return Pattern;
}

TEST(RegexSearchPlan, RememberedFailuresChangeNoResult) {
  std::mt19937 Random(1312);
  static const wchar_t Letters[] = L"aaAbb  \r\nc1";
  for (int I = 0; I < 3000; ++I) {
    const std::wstring Pattern = BacktrackingPattern(Random);
    TRecordingRegex Remembering, Plain;
    Plain.SetSearchHints(false);
    Remembering.SetExpression(Pattern);
    Plain.SetExpression(Pattern);
    for (int T = 0; T < 4; ++T) {
      std::wstring Text;
      for (int N = 10 + Random() % 80; N > 0; --N) Text += Letters[Random() % (std::size(Letters) - 1)];
      const std::vector<TFound> Expected = AllMatches(Plain, Text);
      if (Plain.Saw(reeStepLimitExceeded)) break;  // cut off: nothing to compare with
      ASSERT_EQ(AllMatches(Remembering, Text), Expected)
          << testing::PrintToString(Pattern) << " in " << testing::PrintToString(Text);
      ASSERT_TRUE(Remembering.Codes.empty() || !Plain.Codes.empty()) << testing::PrintToString(Pattern);
    }
  }
}

// What a plain backtracker tries again and again ends within the step budget once failures are remembered.
TEST(RegexSearchPlan, RunawayBacktrackingEndsWithinTheBudget) {
  const std::wstring Letters = Repeat(L"abcdefghij", 4);
  const std::vector<std::pair<const wchar_t*, std::wstring>> Cases = {
      {L"(\\w+)*\\d{5}", Letters},
      {L"(x+x+)+y", L"y" + std::wstring(40, L'x')},
      {L"(.*a){20}", Repeat(L"ba", 19)},
  };
  for (const auto& [Pattern, Text] : Cases) {
    TRecordingRegex R;
    R.SetExpression(Pattern);
    EXPECT_FALSE(R.Exec(Text)) << testing::PrintToString(Pattern);
    EXPECT_TRUE(R.Codes.empty()) << testing::PrintToString(Pattern);
  }
}

TEST(RegexSearchPlan, SettingsChangedBetweenSearchesAreFollowed) {
  TWideRegex R;
  R.SetExpression(L"\\w+\\s");
  EXPECT_FALSE(R.Exec(L"-#:"));
  R.WordSet = L"-#";
  R.SpaceSet = L":";
  ASSERT_TRUE(R.Exec(L"-#:"));
  EXPECT_EQ(R.MatchLen(0), 3);
  // An inverter that pairs "x" with "y" makes "x" find "Y"'s partner as well.
  R.SetExpression(L"xa");
  R.CaseInverter = [](wchar_t C) -> wchar_t { return C == L'x' ? L'y' : C; };
  ASSERT_TRUE(R.Exec(L"..ya"));
  EXPECT_EQ(R.MatchPos(0), 3);
  R.LineBreakSet = L"|";
  R.SetLinePairedSeparator(L"");
  R.SetExpression(L"(?-s).*b");
  ASSERT_TRUE(R.Exec(L"a|b"));
  EXPECT_EQ(R.MatchPos(0), 3);
  // With no line-break set, "." stops only at a CR that the LF of the pair follows.
  R.LineBreakSet = L"";
  R.SetLinePairedSeparator(L"\r\n");
  R.SetExpression(L"(?-s).*x");
  ASSERT_TRUE(R.Exec(L"a\r\nx"));
  EXPECT_EQ(R.MatchPos(0), 3);
  EXPECT_EQ(R.MatchLen(0), 2);
}

TEST(RegexSearchPlan, LeadingDotStarStartsWhereTheMatcherWould) {
  struct TCase {
    const wchar_t* Pattern;
    const wchar_t* Text;
    int Pos, Len;
  };
  const std::vector<TCase> Cases = {
      {L".*x", L"ab\r\ncx", 1, 6},          // "." takes the line break with modifier s
      {L"(?-s).*x", L"ab\r\ncx", 5, 2},     // without it the match begins behind the break
      {L"(?g-s).*x", L"ab\r\ncxdx", 5, 4},  // greedy: to the last "x" of the line
      {L"(?-s).*\\n", L"a\r\n", 3, 1},      // between the halves of CR LF
      {L".*x.*y", L"zzxzzyzz", 1, 6},      {L"(?-s).+b", L"\r\n\r\nab", 5, 2},
  };
  for (const TCase& C : Cases) {
    TWideRegex R;
    R.SetExpression(C.Pattern);
    ASSERT_TRUE(R.Exec(C.Text)) << testing::PrintToString(C.Pattern);
    EXPECT_EQ(R.MatchPos(0), C.Pos) << testing::PrintToString(C.Pattern);
    EXPECT_EQ(R.MatchLen(0), C.Len) << testing::PrintToString(C.Pattern);
  }
}

TEST(RegexSearchPlan, EitherCaseOfTheFirstCharacterAndRequiredLiteral) {
  EXPECT_EQ(FirstMatch(L"dream", L"a DrEaM of"), L"DrEaM");
  EXPECT_EQ(FirstMatch(L"(?-i)dream", L"a DrEaM of dream"), L"dream");
  EXPECT_EQ(FirstMatch(L"x*dream", L"DREAMS"), L"DREAM");
  EXPECT_EQ(FirstMatch(L"^the ", L"x\r\nThe end"), L"The ");
  EXPECT_EQ(FirstMatch(L"\\bcat", L"concat cat"), L"cat");
  EXPECT_EQ(FirstMatch(L"night|heart|fire", L"a Fire"), L"Fire");
  EXPECT_EQ(FirstMatch(L"[\u00E4b]x", L"\u00C4x Bx"), L"Bx");  // folding stops at 127
  EXPECT_EQ(FirstMatch(L"[\\x00]", L"abc"), std::nullopt);     // a set that a U+0000 left empty
}

// A text without what every match needs (a run of a class, adjacent literals, a loop's literal in each of
// its rounds) ends the search before any runaway backtracking; a text with it still matches.
TEST(RegexSearchPlan, RequiredTextEndsHopelessSearchesAtOnce) {
  const std::wstring Letters = Repeat(L"bcdefghij", 4);
  const std::vector<std::pair<const wchar_t*, std::wstring>> Hopeless = {
      {L"(\\w+)*\\1\\d{5}", Letters + L"1234"},
      {L"(\\w+)*\\1\\(\\)", L"(" + Letters + L")"},
      {L"((\\w+)*\\2a){3}", Letters + L"aa"},
  };
  for (const auto& [Pattern, Text] : Hopeless) {
    TRecordingRegex R;
    R.SetExpression(Pattern);
    EXPECT_FALSE(R.Exec(Text)) << testing::PrintToString(Pattern);
    EXPECT_TRUE(R.Codes.empty()) << testing::PrintToString(Pattern);
  }
  EXPECT_EQ(FirstMatch(L"(\\w+)*\\1\\d{5}", L"x bb12345"), L"bb12345");
  EXPECT_EQ(FirstMatch(L"x(?-i)(Y)\\B(z)", L"xyz XYz"), L"XYz");
  EXPECT_EQ(FirstMatch(L"(aa){2}", L"aaxaAAa"), L"aAAa");
}

}  // namespace
