// The compiled program format and the search hints that it yields.
#include <gtest/gtest.h>

#include "tests/regex/RegexTestSupport.h"

namespace {

std::vector<wchar_t> ProgramOf(const std::wstring& Pattern, bool NoCase = true) {
  TWideRegex R;
  R.SetModifier(1, NoCase);
  R.SetExpression(Pattern);
  EXPECT_TRUE(R.Compile()) << Pattern;
  return R.Program();
}

TEST(RegexProgram, LiteralLayout) {
  const std::vector<wchar_t> Expected = {216,  opBranch, 10,   0, opLiteralNoCase, 7, 0,
                                         L'a', L'b',     L'c', 0, opEnd,           0, 0};
  EXPECT_EQ(ProgramOf(L"abc"), Expected);
}

TEST(RegexProgram, Hints) {
  struct TCase {
    const wchar_t* Pattern;
    bool NoCase;
    wchar_t FirstChar;
    bool Anchored;
    const wchar_t* Required;
  };
  const std::vector<TCase> Cases = {
      {L"abc", true, 0, false, L""},
      {L"abc", false, L'a', false, L""},
      {L"(?-i)abc", true, 0, false, L""},
      {L"x*abcd", false, 0, false, L"abcd"},
      {L"x*ab(c)d+ef", false, 0, false, L"ef"},
      {L"xabcd", false, L'x', false, L""},
      {L"^abc", true, 0, false, L""},
      {L"\\Aabc", true, 0, true, L""},
      {L"a|b", false, 0, false, L""},
  };
  for (const TCase& C : Cases) {
    TWideRegex R;
    R.SetModifier(1, C.NoCase);
    R.SetExpression(C.Pattern);
    ASSERT_TRUE(R.Compile()) << C.Pattern;
    EXPECT_EQ(R.FirstCharHint(), C.FirstChar) << C.Pattern;
    EXPECT_EQ(R.Anchored(), C.Anchored) << C.Pattern;
    EXPECT_EQ(R.RequiredSubstring(), C.Required) << C.Pattern;
  }
}

TEST(RegexProgram, HintsNeverHideAMatch) {
  TWideRegex R;
  R.SetModifier(1, false);
  R.SetExpression(L"x*abcd");
  EXPECT_TRUE(R.Exec(L"zzabcd"));
  EXPECT_FALSE(R.Exec(L"zzabce"));
  R.SetExpression(L"xabcd");
  EXPECT_TRUE(R.Exec(L"xxabcd"));
  EXPECT_EQ(R.MatchPos(0), 2);
}

}  // namespace
