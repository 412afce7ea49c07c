// Patterns and texts that must neither crash, hang nor go wrong: long texts, empty loop rounds,
// runaway backtracking, loop counters, and random patterns through both compiler passes.
#include <gtest/gtest.h>

#include <chrono>
#include <random>

#include "tests/regex/RegexTestSupport.h"
#include "tests/support/CpuTime.h"

namespace {

constexpr size_t kFourMegabytes = 2 * 1024 * 1024;  // UTF-16 characters

TEST(RegexSafety, MultiMegabyteTextsDoNotExhaustTheStack) {
  struct TCase {
    const wchar_t* Pattern;
    std::wstring Input;
    int Pos, Len;
  };
  const std::wstring Pairs = Repeat(L"ab", kFourMegabytes / 2);
  const std::wstring Line = std::wstring(kFourMegabytes, L'y');
  const std::vector<TCase> Cases = {
      {L"(ab)*c", Pairs + L"c", 1, static_cast<int>(kFourMegabytes + 1)},
      {L"(?g)(ab)*c", Pairs + L"c", 1, static_cast<int>(kFourMegabytes + 1)},
      {L"(.)*x", Line + L"x", 1, static_cast<int>(kFourMegabytes + 1)},
      {L"(?g)(.)*x", Line + L"x", 1, static_cast<int>(kFourMegabytes + 1)},
      {L"(?g)(.)+x", Line + L"x", 1, static_cast<int>(kFourMegabytes + 1)},
      {L"(?-s).*", Line, 1, 0},
      {L"(?g-s).*", Line + L"\nz", 1, static_cast<int>(kFourMegabytes)},
      {L"(?g)(a|b)+", L"x" + Pairs, 2, static_cast<int>(kFourMegabytes)},
  };
  for (const TCase& C : Cases) {
    TRecordingRegex R;
    R.SetExpression(C.Pattern);
    ASSERT_TRUE(R.Exec(C.Input)) << C.Pattern;
    EXPECT_EQ(R.MatchPos(0), C.Pos) << C.Pattern;
    EXPECT_EQ(R.MatchLen(0), C.Len) << C.Pattern;
    EXPECT_TRUE(R.Codes.empty()) << C.Pattern;
  }
}

// The bounds of the matcher itself are tested without the search hints, which would find no "c" (no "x",
// no "b") in these texts and not search at all.
TEST(RegexSafety, BacktrackBoundEndsAsNoMatchWithItsCode) {
  TRecordingRegex R;
  R.SetSearchHints(false);
  R.SetExpression(L"(?g)((a|b)(a|b))*c");
  EXPECT_FALSE(R.Exec(Repeat(L"ab", 3 * 1024 * 1024)));
  EXPECT_EQ(R.Codes, std::vector<int>{reeBacktrackLimitExceeded});
}

TEST(RegexSafety, QuadraticSearchOnALongTextIsCut) {
  TRecordingRegex R;
  R.SetSearchHints(false);
  R.SetExpression(L"(.)*x");
  EXPECT_FALSE(R.Exec(std::wstring(200000, L'y')));
  EXPECT_EQ(R.Codes, std::vector<int>{reeStepLimitExceeded});
  R.Codes.clear();
  R.SetSearchHints(true);
  EXPECT_FALSE(R.Exec(std::wstring(200000, L'y')));
  EXPECT_TRUE(R.Codes.empty());
}

TEST(RegexSafety, EmptyLoopRoundsEndTheLoop) {
  struct TCase {
    const wchar_t* Pattern;
    const wchar_t* Input;
    const wchar_t* Expected;
  };
  const std::vector<TCase> Cases = {
      {L"(a{0,1})*", L"aab", L""},
      {L"(?g)(a{0,1})*", L"aab", L"aa"},
      {L"(a{0,1})*b", L"aab", L"aab"},
      {L"(?g)(a{0,1})*b", L"aab", L"aab"},
      {L"(a|b{0,1})+", L"c", L""},
      {L"(?g)(a|b{0,1})+", L"abx", L"ab"},
      {L"(?g)(a|b{0,1})+x", L"abx", L"abx"},
      {L"()\\1*", L"x", L""},
      {L"(?g)()\\1*x", L"x", L"x"},
      {L"(?g)()\\1{3,}x", L"x", L"x"},
      {L"(?g)(a{0,1}){5,}b", L"ab", L"ab"},
      {L"(?g)(a{0,9})*b", L"aab", L"aab"},
      {L"(?g)(a{0,9})+b", L"aab", L"aab"},
      {L"(a{0,3})*b", L"c", nullptr},
      {L"(?g)(a{0,3})*b", L"c", nullptr},
      {L"(a{0,1}|b{0,1}){2,}", L"c", L""},
      {L"(?g)(a{0,1}|b{0,1}){2,}c", L"abc", L"abc"},
  };
  for (const TCase& C : Cases) {
    TRecordingRegex R;
    R.SetExpression(C.Pattern);
    const bool Hit = R.Exec(C.Input);
    EXPECT_EQ(Hit, C.Expected != nullptr) << C.Pattern;
    if (Hit && C.Expected) {
      EXPECT_EQ(R.Match(0), C.Expected) << C.Pattern;
    }
    EXPECT_TRUE(R.Codes.empty()) << C.Pattern;
  }
  TWideRegex R;
  R.SetExpression(L"(?g)(a{0,1})*");
  ASSERT_TRUE(R.Exec(L"aab"));
  EXPECT_EQ(R.MatchPos(1), 2);  // the last round that consumed something
  EXPECT_EQ(R.MatchLen(1), 1);
}

TEST(RegexSafety, ExponentialBacktrackingIsCutByTheStepBudget) {
  const std::wstring As(30, L'a');
  for (const wchar_t* Pattern : {L"(a+)+b", L"(?g)(a+)+b", L"(a|aa)*c", L"(?g)(a|aa)*c", L"(?g)(a|a)+b"}) {
    TRecordingRegex R;
    R.SetSearchHints(false);
    R.SetExpression(Pattern);
    const TCpuStopwatch Stopwatch;
    EXPECT_FALSE(R.Exec(As)) << Pattern;
    EXPECT_LT(Stopwatch.Elapsed(), std::chrono::seconds(5)) << Pattern;
    EXPECT_EQ(R.Codes, std::vector<int>{reeStepLimitExceeded}) << Pattern;
    // The next search starts with a fresh budget.
    R.Codes.clear();
    EXPECT_FALSE(R.Exec(L"zzz")) << Pattern;
    EXPECT_TRUE(R.Codes.empty()) << Pattern;
  }
}

TEST(RegexSafety, LoopCountersBelongToTheirActivation) {
  struct TCase {
    const wchar_t* Pattern;
    const wchar_t* Input;
    const wchar_t* Expected;
  };
  const std::vector<TCase> Cases = {
      {L"(a|ab){2}c", L"aabc", L"aabc"},
      {L"(?g)(a|ab){2}c", L"aabc", L"aabc"},
      {L"(a|ab)*c", L"abc", L"abc"},
      {L"(?g)(a|ab)*c", L"abc", L"abc"},
      {L"(a|ab){2,3}c", L"abaabc", L"abaabc"},
      {L"((ab){2}c){2}", L"ababcababc", L"ababcababc"},
      {L"((ab){2}c){2}", L"ababcabcababcababc", L"ababcababc"},
      {L"(?g)((ab){2}c){2}", L"ababcababc", L"ababcababc"},
      {L"((a){1,2}b){3}", L"abaabab", L"abaabab"},
      {L"((a|b){2}){2}", L"abba", L"abba"},
      {L"(((a){2}b){2}c){2}", L"aabaabcaabaabc", L"aabaabcaabaabc"},
  };
  for (const TCase& C : Cases) {
    TRecordingRegex R;
    R.SetExpression(C.Pattern);
    ASSERT_TRUE(R.Exec(C.Input)) << C.Pattern;
    EXPECT_EQ(R.Match(0), C.Expected) << C.Pattern;
    EXPECT_TRUE(R.Codes.empty()) << C.Pattern;
  }
}

TEST(RegexSafety, TenNestedCountedLoopsWorkAndEleventhFails) {
  auto Nested = [](int Depth) {
    std::wstring P = L"a";
    for (int I = 0; I < Depth; ++I) P = L"(" + P + L"){1}";
    return P;
  };
  TRecordingRegex Ten;
  Ten.SetExpression(Nested(10));
  EXPECT_TRUE(Ten.Exec(L"a"));
  EXPECT_TRUE(Ten.Codes.empty());
  TRecordingRegex Eleven;
  Eleven.SetExpression(Nested(11));
  EXPECT_FALSE(Eleven.Exec(L"a"));
  EXPECT_TRUE(Eleven.Saw(reeLoopStackExceeded));
}

// Random patterns from the syntax's characters go through both passes and a search: the passes
// must agree, nothing may crash or hang, and no internal error may show.
TEST(RegexSafety, RandomPatternsCompileConsistently) {
  const std::wstring Alphabet = L"ab()[]|*+?{}\\^$.-,0129xdwsbBAZ#: \n?i-gmsxr";
  std::mt19937 Random(20240611);
  std::uniform_int_distribution<size_t> Pick(0, Alphabet.size() - 1);
  std::uniform_int_distribution<int> Length(1, 14);
  int Compiled = 0;
  for (int I = 0; I < 20000; ++I) {
    std::wstring Pattern;
    for (int N = Length(Random); N > 0; --N) Pattern += Alphabet[Pick(Random)];
    for (const wchar_t* Modifiers : {L"", L"g", L"gx-s"}) {
      TRecordingRegex R;
      R.SetModifierStr(Modifiers);
      R.SetExpression(Pattern);
      R.Exec(L"ab ba\r\naab{1}-,0x");
      Compiled += R.Program().empty() ? 0 : 1;
      for (int Code : R.Codes) {
        ASSERT_TRUE(Code < 1000 || Code == reeLoopStackExceeded) << Pattern << L" gave " << Code;
        ASSERT_NE(Code, reeCompPassesDisagree) << Pattern;
      }
    }
  }
  EXPECT_GT(Compiled, 6000);
}

}  // namespace
