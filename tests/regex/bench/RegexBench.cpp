// Times the search's use of TWideRegex (one object per pattern, Exec on every song's text) against
// std::wregex (ECMAScript, icase) over the same generated song texts. Not a test: it only prints.
#include <chrono>
#include <cstdio>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "regex/WideRegex.h"

namespace {

constexpr int kSongs = 100000;

// Texts shaped like the search's: CR LF, then artist, title and album, each followed by CR LF.
std::vector<std::wstring> MakeSongTexts() {
  const std::vector<std::wstring> Words = {
      L"love",      L"night",     L"heart", L"fire",   L"rain",  L"dream",  L"the",
      L"blue",      L"road",      L"city",  L"summer", L"gold",  L"river",  L"Stra\u00DFe",
      L"m\u00FCde", L"caf\u00E9", L"echo",  L"storm",  L"light", L"shadow", L"wild",
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

}  // namespace

int main() {
  struct TPattern {
    const char* Kind;
    const wchar_t* Ours;
    const wchar_t* Std;
  };
  const std::vector<TPattern> Patterns = {
      {"literal", L"dream", L"dream"},
      {"five-word alternation", L"night|heart|fire|rain|moon", L"night|heart|fire|rain|moon"},
      {"set with quantifier", L"[0-9]{4}\\)", L"[0-9]{4}\\)"},
      {"anchored", L"^the", L"^the"},
      {"back-reference", L"\\b(\\w+) \\1\\b", L"\\b(\\w+) \\1\\b"},
  };
  const std::vector<std::wstring> Texts = MakeSongTexts();
  std::printf("%d song texts\n%-24s %12s %8s %12s %8s\n", kSongs, "pattern", "TWideRegex", "hits",
              "std::wregex", "hits");
  for (const TPattern& P : Patterns) {
    int OurHits = 0, StdHits = 0;
    const double Ours = Milliseconds([&] {
      TWideRegex R;
      R.SetExpression(P.Ours);
      for (const std::wstring& T : Texts) OurHits += R.Exec(T) ? 1 : 0;
    });
    const double Std = Milliseconds([&] {
      const std::wregex R(P.Std, std::regex::ECMAScript | std::regex::icase | std::regex::multiline);
      for (const std::wstring& T : Texts) StdHits += std::regex_search(T, R) ? 1 : 0;
    });
    std::printf("%-24s %9.1f ms %8d %9.1f ms %8d\n", P.Kind, Ours, OurHits, Std, StdHits);
  }
  return 0;
}
