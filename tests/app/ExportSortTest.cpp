// The export's sort: the order of the platform's whole keys of the lines, equal ones in their order, over
// lists long enough to go in parts.
#include "app/ExportSort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "Imports/UCodeSysUtils.h"
#include "Imports/u_WideFunc.h"
#include "app/u_txtexport.h"
#include "tests/support/Watchdog.h"

namespace {

TExportOptionen Mit(const std::wstring& Format) {
  TExportOptionen O;
  O.Format = Format;
  return O;
}

// Songs whose artist is each of Names, in that order.
TWideSongArray Artists(const std::vector<std::wstring>& Names) {
  TWideSongArray Songs;
  for (const std::wstring& N : Names) {
    Song S;
    S[sfArtist] = N;
    Songs.push_back(S);
  }
  return Songs;
}

std::wstring Lines(const std::vector<std::wstring>& L) {
  std::wstring Text;
  for (const std::wstring& Line : L) Text += Line + L"\r\n";
  return Text;
}

TEST(ExportSort, SortKeysOrderAsTheCaseInsensitiveComparison) {
  const std::vector<std::wstring> Words{L"",
                                        L"a",
                                        L"A",
                                        L"ab",
                                        L"aB c",
                                        L"ab c",
                                        L"abc",
                                        L"\u00C4rger",
                                        L"Aerger",
                                        L"apfel",
                                        L"Zebra",
                                        L"zebra",
                                        L"10",
                                        L"9",
                                        L"100",
                                        L"R&B",
                                        L"R B",
                                        L"<b>",
                                        L"%tab%",
                                        L"stra\u00DFe",
                                        L"STRASSE",
                                        L"\u0391\u03B8",
                                        L"\u03B1\u03B8",
                                        L"\u6771",
                                        L"\u00E9",
                                        L"e",
                                        L"\u00C9t\u00E9",
                                        L"-x",
                                        L"x-"};
  for (const std::wstring& A : Words)
    for (const std::wstring& B : Words) {
      const int Keys = Sortierschluessel(A).compare(Sortierschluessel(B));
      const int Compared = WideCompareText(A, B);
      EXPECT_EQ((Keys > 0) - (Keys < 0), (Compared > 0) - (Compared < 0))
          << WideToAnsi(A) << " / " << WideToAnsi(B);
    }
}

// The sort goes by the lines' first key levels, made from their characters', and by whole keys where those
// are equal; the order must be the whole keys' own, and "no duplicates" keep the first of equal keys.
TEST(ExportSort, SortedLinesFollowTheirWholeKeys) {
  const TWatchdog Watchdog(std::chrono::seconds(30));
  const std::vector<std::wstring> Names{L"\u00E9t\u00E9",
                                        L"ete",
                                        L"Ete",
                                        L"\u00C9TE",
                                        L"\u00C4rger",
                                        L"Aerger",
                                        L"\u00E6ther",
                                        L"aether",
                                        L"stra\u00DFe",
                                        L"STRASSE",
                                        L"co-op",
                                        L"coop",
                                        L"co op",
                                        L"it's",
                                        L"its",
                                        L"10",
                                        L"9",
                                        L"\u0391\u03B8",
                                        L"\u03B1\u03B8",
                                        L"\u6771",
                                        L"\u30AB\u30FC",
                                        L"\u30AB\u30A2",
                                        L"\u30AB",
                                        L"a\U0001F3B5",
                                        L"a\U0001F3B6",
                                        L"e\u0301t\u0065",
                                        L"",
                                        L"ete"};
  std::vector<std::pair<std::string, std::wstring>> Keyed;
  for (const std::wstring& N : Names) Keyed.emplace_back(Sortierschluessel(N), N);
  std::stable_sort(Keyed.begin(), Keyed.end(),
                   [](const auto& A, const auto& B) { return A.first < B.first; });
  std::vector<std::wstring> Sorted, Once;
  for (size_t I = 0; I < Keyed.size(); ++I) {
    Sorted.push_back(Keyed[I].second);
    if (I == 0 || Keyed[I - 1].first != Keyed[I].first) Once.push_back(Keyed[I].second);
  }
  Sorted.erase(std::find(Sorted.begin(), Sorted.end(), L""));  // an empty line goes
  Once.erase(std::find(Once.begin(), Once.end(), L""));
  TExportOptionen O = Mit(L"%artist%");
  EXPECT_EQ(ExportText(Artists(Names), O), Lines(Sorted));
  O.DoppelteWeg = true;
  EXPECT_EQ(ExportText(Artists(Names), O), Lines(Once));
}

// Lines stably sorted by the platform's whole keys of their texts as they read; with Einmal the first of
// equal keys only.
std::vector<std::wstring> NachSchluesseln(const std::vector<std::wstring>& Zeilen, const std::wstring& Vorne,
                                          bool Einmal) {
  std::vector<std::pair<std::string, std::wstring>> Keyed;
  for (const std::wstring& Z : Zeilen) Keyed.emplace_back(Sortierschluessel(Vorne + Z), Z);
  std::stable_sort(Keyed.begin(), Keyed.end(),
                   [](const auto& A, const auto& B) { return A.first < B.first; });
  std::vector<std::wstring> Sorted;
  for (size_t I = 0; I < Keyed.size(); ++I)
    if (!Einmal || I == 0 || Keyed[I - 1].first != Keyed[I].first) Sorted.push_back(Keyed[I].second);
  return Sorted;
}

// The sorted export of songs with these artists under the format Vorne "%artist%", with and without
// duplicates, against the plain computation: a stable sort by the whole keys.
void ExpectPlainOrder(const std::vector<std::wstring>& Names, const std::wstring& Vorne) {
  const TWideSongArray Songs = Artists(Names);
  for (const bool Einmal : {false, true}) {
    TExportOptionen O = Mit(Vorne + L"%artist%");
    O.DoppelteWeg = Einmal;
    std::vector<std::wstring> Expected = NachSchluesseln(Names, Vorne, Einmal);
    for (std::wstring& Zeile : Expected) Zeile.insert(0, Vorne);
    const std::wstring Got = ExportText(Songs, O), Want = Lines(Expected);
    EXPECT_TRUE(Got == Want) << Names.size() << " lines from \"" << WideToAnsi(Vorne)
                             << (Einmal ? "\", once" : "\"") << ": first difference at "
                             << std::ranges::mismatch(Got, Want).in1 - Got.begin();
  }
}

// A list long enough to be built, sorted and written in parts side by side comes out as one would: in the
// order of the whole keys, the first of equal lines kept, numbers and cells running on over the parts. Lines
// equal at the first level come in three cases, the last in the list first in the order, five times each;
// lines with a character whose level is not learned have the key of a shorter line and go beside it at the
// buckets' bounds; text at the head of every line changes no order, nor does a line outside the sample
// that breaks it.
TEST(ExportSort, ALongListComesOutAsAShortOneWould) {
  const TWatchdog Watchdog(std::chrono::seconds(30));
  static const wchar_t* const Cases[3][5] = {
      {L"NIGHT", L"\u00C4RGER", L"BLUE", L"\u0391\u0398\u0389\u039D\u0391", L"R&B"},
      {L"Night", L"\u00C4rger", L"Blue", L"\u0391\u03B8\u03AE\u03BD\u03B1", L"R&b"},
      {L"night", L"\u00E4rger", L"blue", L"\u03B1\u03B8\u03AE\u03BD\u03B1", L"r&b"}};
  std::vector<std::wstring> Names;
  for (int I = 0; I < 30000; ++I)
    Names.push_back(std::wstring(Cases[I / 10000][I % 5]) + L" " + std::to_wstring(I % 2000));
  ExpectPlainOrder(Names, L"");
  ExpectPlainOrder(Names, L"Liste \u00C4: ");

  static const std::wstring Kurz[] = {L"x", std::wstring(L"x\0y", 3), L"X", std::wstring(L"y\0z", 3), L"y",
                                      L"z", std::wstring(L"z\0a", 3)};
  std::mt19937 Random(44);
  std::vector<std::wstring> Gemischt;
  for (int I = 0; I < 20000; ++I) Gemischt.push_back(Kurz[Random() % std::size(Kurz)]);
  ExpectPlainOrder(Gemischt, L"");

  std::vector<std::wstring> Anfang;
  for (int I = 0; I < 1000; ++I) Anfang.push_back(L"Gemeinsam " + std::to_wstring(Random() % 500));
  Anfang[1] = L"Anders";  // the sample takes every 16th line
  ExpectPlainOrder(Anfang, L"");

  const TWideSongArray Songs = Artists(Names);
  TExportOptionen O = Mit(L"%123%%tab%%artist%");
  O.Html = true;
  std::wstring Table = L"<table>\r\n";
  const std::vector<std::wstring> Sorted = NachSchluesseln(Names, L"%123%%tab%", false);
  for (size_t I = 0; I < Sorted.size(); ++I) {
    const std::wstring Number = std::to_wstring(I + 1);
    Table += L"<tr><td>" + std::wstring(5 - Number.size(), L'0') + Number + L"</td><td>" +
             WideStringReplaceAll(Sorted[I], L"&", L"&amp;") + L"</td></tr>\r\n";
  }
  EXPECT_EQ(ExportText(Songs, O), Table + L"</table>\r\n");
}

}  // namespace
