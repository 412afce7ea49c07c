// Times the search's use of TWideRegex (one object per pattern, Exec on every song's text) against
// std::wregex (ECMAScript, icase unless the pattern is case-sensitive) over the same generated song
// texts, and prints how many times as fast ours is; then the patterns that backtrack worst, in seconds.
// The two engines take turns, and each figure is the best of several rounds, so that a machine busy
// with other work spoils the ratio as little as it can. Not a test: it only prints.
// Usage: regex_bench [rounds]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "regex/WideRegex.h"

namespace {

constexpr int kSongs = 100000;

// Texts shaped like the search's: CR LF, then artist, title and album, each followed by CR LF. The words
// keep to letters that both engines count as word characters, so that the hits agree.
std::vector<std::wstring> MakeSongTexts() {
  const std::vector<std::wstring> Words = {
      L"love",      L"night",     L"heart", L"fire",   L"rain",  L"dream",  L"the",
      L"blue",      L"road",      L"city",  L"summer", L"gold",  L"river",  L"Stra\u00DFe",
      L"m\u00FCde", L"k\u00F6ln", L"echo",  L"storm",  L"light", L"shadow", L"wild",
      L"electric",  L"silver",    L"moon",  L"dance",  L"home"};
  std::mt19937 Random(4711);
  std::uniform_int_distribution<size_t> Word(0, Words.size() - 1);
  std::uniform_int_distribution<int> Count(1, 5), Year(1950, 2024), Coin(0, 19);
  auto Phrase = [&] {
    std::wstring S;
    for (int N = Count(Random); N > 0; --N) {
      const std::wstring& W = Words[Word(Random)];
      S += (S.empty() ? L"" : L" ") + W;
      if (Coin(Random) == 0) S += L" " + W;  // now and then a doubled word
    }
    return S;
  };
  std::vector<std::wstring> Texts;
  Texts.reserve(kSongs);
  for (int I = 0; I < kSongs; ++I)
    Texts.push_back(L"\r\n" + Phrase() + L"\r\n" + Phrase() + L"\r\n" + Phrase() + L" (" +
                    std::to_wstring(Year(Random)) + L")\r\n");
  return Texts;
}

template <typename F>
double Milliseconds(F&& Work) {
  const auto Start = std::chrono::steady_clock::now();
  Work();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - Start).count();
}

int OurHits(const wchar_t* Pattern, const std::vector<std::wstring>& Texts) {
  int Hits = 0;
  TWideRegex R;
  R.SetExpression(Pattern);
  for (const std::wstring& T : Texts) Hits += R.Exec(T) ? 1 : 0;
  return Hits;
}

int StdHits(const wchar_t* Pattern, bool CaseSensitive, const std::vector<std::wstring>& Texts) {
  const auto Flags = std::regex::ECMAScript | std::regex::multiline;
  const std::wregex R(Pattern, CaseSensitive ? Flags : Flags | std::regex::icase);
  int Hits = 0;
  for (const std::wstring& T : Texts) Hits += std::regex_search(T, R) ? 1 : 0;
  return Hits;
}

// The best time of each engine over the rounds, the two taking turns.
void CompareWithStd(const char* Kind, const wchar_t* Ours, const wchar_t* Std, bool CaseSensitive,
                    const std::vector<std::wstring>& Texts, int Rounds) {
  double BestOurs = 1e300, BestStd = 1e300;
  int OursFound = 0, StdFound = 0;
  for (int I = 0; I < Rounds; ++I) {
    BestOurs = std::min(BestOurs, Milliseconds([&] { OursFound = OurHits(Ours, Texts); }));
    BestStd = std::min(BestStd, Milliseconds([&] { StdFound = StdHits(Std, CaseSensitive, Texts); }));
  }
  std::printf("%-24s %9.1f ms %8d %9.1f ms %8d %7.2fx\n", Kind, BestOurs, OursFound, BestStd, StdFound,
              BestStd / BestOurs);
}

}  // namespace

int main(int argc, char** argv) {
  const int Rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  struct TPattern {
    const char* Kind;
    const wchar_t* Ours;
    const wchar_t* Std;
    bool CaseSensitive;
  };
  const std::vector<TPattern> Patterns = {
      {"literal word", L"dream", L"dream", false},
      {"five-word alternation", L"night|heart|fire|rain|moon", L"night|heart|fire|rain|moon", false},
      {"set with quantifier", L"[0-9]{4}\\)", L"[0-9]{4}\\)", false},
      {"anchored", L"^the ", L"^the ", false},
      {"case-sensitive literal", L"(?-i)river", L"river", true},
      {"back-reference", L"\\b(\\w+) \\1\\b", L"\\b(\\w+) \\1\\b", false},
      {".*x.*y", L".*x.*y", L".*x.*y", false},
      {"doubled letter", L"(\\w)\\1", L"(\\w)\\1", false},
  };
  // Nested and counted repeats whose failures a plain backtracker tries again and again.
  const std::vector<const wchar_t*> Worst = {L"(.*a){10}", L"(\\w+)*\\d{5}", L"(\\b\\w+\\b\\s*)+\\(\\)"};
  const std::vector<std::wstring> Texts = MakeSongTexts();
  std::printf("%d song texts, best of %d rounds\n%-24s %12s %8s %12s %8s %8s\n", kSongs, Rounds, "pattern",
              "TWideRegex", "hits", "std::wregex", "hits", "ratio");
  for (const TPattern& P : Patterns) CompareWithStd(P.Kind, P.Ours, P.Std, P.CaseSensitive, Texts, Rounds);
  std::vector<double> Best(Worst.size(), 1e300);
  std::vector<int> Found(Worst.size());
  for (int I = 0; I < Rounds; ++I)
    for (size_t W = 0; W < Worst.size(); ++W)
      Best[W] = std::min(Best[W], Milliseconds([&] { Found[W] = OurHits(Worst[W], Texts); }));
  for (size_t W = 0; W < Worst.size(); ++W)
    std::printf("%-24ls %9.3f s  %8d\n", Worst[W], Best[W] / 1000, Found[W]);
  return 0;
}
