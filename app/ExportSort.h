#pragma once
// The sort of an export's lines. It promises the order of the platform's whole sort keys of the lines as
// they read (Sortierschluessel, compared byte by byte), lines of equal keys in the order they came, and with
// Einmal the first of equal lines alone. The lines go in parts to the pool: each line's first key level is
// made from its characters' levels, learned from the platform, the lines go in buckets between the levels
// of a sample, and each bucket is sorted on its own; the platform makes whole keys only for lines that
// their levels cannot tell apart.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The lines as the export builds them, which the sort puts in order.

// While lines are built, every "%123%" and "%tab%", of the format or of a song's field, is one of these
// two noncharacters, which no text brings along (text that holds them gets U+FFFD instead).
constexpr wchar_t MarkeNummer = L'\uFDD0';
constexpr wchar_t MarkeTab = L'\uFDD1';
inline const std::wstring NummerText = L"%123%";
inline const std::wstring TabText = L"%tab%";

static_assert((MarkeNummer | 1) == MarkeTab);
inline constexpr auto IstMarke = [](wchar_t C) { return (C | 1) == MarkeTab; };

// In an HTML export, the "&", "<", ">" and '"' that a song's field brings are the four noncharacters
// after the two markers, so that they alone are escaped: the format and the replacement text are the
// user's own markup. The sort and the search read them as the characters they stand for.
constexpr wchar_t MarkeUnd = L'\uFDD2';
constexpr wchar_t MarkeAnfuehrung = L'\uFDD5';
inline constexpr auto IstHtmlMarke = [](wchar_t C) { return C >= MarkeUnd && C <= MarkeAnfuehrung; };
inline constexpr std::wstring_view HtmlZeichen = L"&<>\"";
// The character that an HTML marker stands for; any other stays.
inline wchar_t Klar(wchar_t C) {
  return IstHtmlMarke(C) ? HtmlZeichen[static_cast<size_t>(C - MarkeUnd)] : C;
}

// Where a line lies in the text of all lines.
struct TStrecke {
  size_t Von;
  size_t Laenge;
};

// Leaves the elements that a resize adds unwritten: the parts that write them side by side then also take
// the cost of the fresh memory side by side, which a zeroing resize takes alone.
template <typename T>
struct TUngenullt : std::allocator<T> {
  using value_type = T;
  template <typename U>
  struct rebind {
    using other = TUngenullt<U>;
  };
  TUngenullt() = default;
  template <typename U>
  explicit TUngenullt(const TUngenullt<U>&) {}
  template <typename U>
  void construct(U* P) noexcept {
    ::new (static_cast<void*>(P)) U;
  }
  template <typename U, typename... A>
  void construct(U* P, A&&... Args) {
    ::new (static_cast<void*>(P)) U(std::forward<A>(Args)...);
  }
};

template <typename T>
using TUngenulltListe = std::vector<T, TUngenullt<T>>;
using TStreckenListe = TUngenulltListe<TStrecke>;

inline constexpr std::wstring_view ZeilenEnde = L"\r\n";

// A set of characters, a bit for each.
using TZeichenMenge = std::vector<uint64_t>;

inline void Hinzufuegen(std::wstring_view Text, TZeichenMenge& Menge) {
  for (const wchar_t C : Text) Menge[C / 64] |= uint64_t{1} << (C % 64);
}

// The lines one after another in one text, so that a hundred thousand lines cost no hundred thousand
// allocations, and sorting and removing move only the stretches. Each line is followed by its line end:
// an export in the songs' order with nothing to put in is the text as it was built.
struct TZeilen {
  std::unique_ptr<wchar_t[]> Text;  // made without zeros, as every character of it is written
  size_t Laenge = 0;                // of Text
  TStreckenListe Strecken;          // in the order of the lines
  bool MitMarken = false;           // false when no line holds a marker
  int Nummern = -1, Tabs = -1;      // the markers each line holds, when every line holds the same
  // The characters of the lines, a set for each part of them, when gathered as they were built.
  std::vector<TZeichenMenge> Zeichen;

  std::wstring_view Zeile(const TStrecke& S) const { return {Text.get() + S.Von, S.Laenge}; }
  // Room for a text of N characters.
  void Platz(size_t N) {
    Text = std::make_unique_for_overwrite<wchar_t[]>(N);
    Laenge = N;
  }
  // True when the lines are still the whole text in their order.
  bool WieGebaut() const {
    size_t Von = 0;
    for (const TStrecke& S : Strecken) {
      if (S.Von != Von) return false;
      Von += S.Laenge + ZeilenEnde.size();
    }
    return Von == Laenge;
  }
};

// Bytes whose order is that of the case-insensitive comparison of the platform's locale (WideCompareText):
// a sort compares them without asking the platform each time.
std::string Sortierschluessel(const std::wstring& Text);

// Sorts the lines of Z as promised above; with Einmal only the first of equal lines stays.
void Sortieren(TZeilen& Z, bool Einmal);
