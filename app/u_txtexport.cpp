#include "app/u_txtexport.h"

#include <windows.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <numeric>
#include <optional>
#include <vector>

#include "Imports/UCodeClipBrd.h"
#include "Imports/UCodeSysUtils.h"
#include "Imports/u_WideFunc.h"
#include "app/Parallel.h"
#include "app/u_einstausgabe.h"
#include "app/u_funktionen.h"
#include "app/u_prog.h"
#include "app/u_start.h"

Ttxtexport* txtexport = nullptr;

// ---------------------------------------------------------------------------------------------------------
// Parsing the format

namespace {

struct TPlaceholder {
  std::wstring_view Text;
  int32_t Code;
};

// The fixed order in which each pass tries them.
constexpr TPlaceholder Placeholders[] = {{L"%123%", tcNummer},
                                         {L"%artist%", 1},
                                         {L"%interpret%", 1},
                                         {L"%title%", 2},
                                         {L"%titel%", 2},
                                         {L"%length%", 3},
                                         {L"%l\u00E4nge%", 3},
                                         {L"%album%", 4},
                                         {L"%track%", 5},
                                         {L"%jahr%", 6},
                                         {L"%year%", 6},
                                         {L"%genre%", 7},
                                         {L"%pfad%", 8},
                                         {L"%path%", 8},
                                         {L"%dateiname%", tcDateiname},
                                         {L"%filename%", tcDateiname},
                                         {L"%tab%", tcTab}};

bool BeginsWithPlaceholder(std::wstring_view Rest) {
  return std::any_of(std::begin(Placeholders), std::end(Placeholders),
                     [Rest](const TPlaceholder& P) { return Rest.starts_with(P.Text); });
}

void AddPiece(std::wstring_view Piece, TExportFormat& Format) {
  Format.Stuecke.emplace_back(Piece);
  Format.Codes.push_back(tcTab + static_cast<int32_t>(Format.Stuecke.size()));
}

}  // namespace

void AddPlaceholder(std::wstring_view& Rest, TExportFormat& Format) {
  for (const TPlaceholder& P : Placeholders) {
    if (!Rest.starts_with(P.Text)) continue;
    Format.Codes.push_back(P.Code);
    Rest.remove_prefix(P.Text.size());
  }
}

void TakeLiteral(std::wstring_view& Rest, TExportFormat& Format) {
  if (Rest.empty()) return;
  if (Rest[0] != L'%') {
    const size_t Percent = std::min(Rest.find(L'%'), Rest.size());
    AddPiece(Rest.substr(0, Percent), Format);
    Rest.remove_prefix(Percent);
  } else if (!BeginsWithPlaceholder(Rest)) {
    AddPiece(Rest.substr(0, 1), Format);
    Rest.remove_prefix(1);
  }
}

TExportFormat ParseFormat(const std::wstring& F) {
  TExportFormat Format;
  std::wstring_view Rest = F;
  while (!Rest.empty()) {
    AddPlaceholder(Rest, Format);
    TakeLiteral(Rest, Format);
  }
  return Format;
}

// ---------------------------------------------------------------------------------------------------------
// Building the export

bool PassesFilter(const Song& S, const TExportOptionen& O) {
  if (!O.Filter || O.FilterText.empty()) return true;
  const std::wstring Gesucht = WideUpperCase(O.FilterText);
  for (int F = 0; F < SongFieldCount; ++F)
    if (O.FilterFelder[F] && WideUpperCase(S[F]).find(Gesucht) != std::wstring::npos) return true;
  return false;
}

namespace {

using namespace std::string_view_literals;

// While lines are built, the format's "%123%" and "%tab%" are these two noncharacters, which no text
// brings along (text that holds them gets U+FFFD instead): a song's field that reads "%tab%" stays text.
constexpr wchar_t MarkeNummer = L'\uFDD0';
constexpr wchar_t MarkeTab = L'\uFDD1';
const std::wstring NummerText = L"%123%";
const std::wstring TabText = L"%tab%";

static_assert((MarkeNummer | 1) == MarkeTab);
constexpr auto IstMarke = [](wchar_t C) { return (C | 1) == MarkeTab; };

// A loop of its own: find_first_of asks the runtime library once per character.
bool HatMarken(std::wstring_view Text) {
  return std::any_of(Text.begin(), Text.end(), IstMarke);
}

// Copies go four characters at a step, as one 64-bit word that the compiler moves in place: the runtime
// library's copy costs more than a field's few characters, and a character at a time takes four steps.
static_assert(sizeof(wchar_t) == 2);
constexpr size_t Wort = 8 / sizeof(wchar_t);
constexpr uint64_t JedesZeichen(uint16_t C) {
  return 0x0001000100010001ull * C;
}

// True when one of the four characters of W is a marker: the classic test for a zero lane, after the
// markers' lanes are made zero.
bool MitMarke(uint64_t W) {
  const uint64_t X = (W | JedesZeichen(1)) ^ JedesZeichen(MarkeTab);
  return ((X - JedesZeichen(1)) & ~X & JedesZeichen(0x8000)) != 0;
}

// Text as text of a line: markers that it brings along become U+FFFD.
wchar_t* FeldSchreiben(std::wstring_view Text, wchar_t* Ziel) {
  const wchar_t* Von = Text.data();
  const wchar_t* const Ende = Von + Text.size();
  for (uint64_t W; Ende - Von >= static_cast<ptrdiff_t>(Wort); Von += Wort, Ziel += Wort) {
    std::memcpy(&W, Von, sizeof W);
    if (MitMarke(W)) break;  // seldom: the rest a character at a time
    std::memcpy(Ziel, &W, sizeof W);
  }
  for (; Von != Ende; ++Von) *Ziel++ = IstMarke(*Von) ? L'\uFFFD' : *Von;
  return Ziel;
}

wchar_t* Schreiben(std::wstring_view Text, wchar_t* Ziel) {
  const wchar_t* Von = Text.data();
  const wchar_t* const Ende = Von + Text.size();
  for (; Ende - Von >= static_cast<ptrdiff_t>(Wort); Von += Wort, Ziel += Wort)
    std::memcpy(Ziel, Von, sizeof(uint64_t));
  while (Von != Ende) *Ziel++ = *Von++;
  return Ziel;
}

std::wstring OhneMarken(const std::wstring& Text) {
  std::wstring Result(Text.size(), L'\0');
  FeldSchreiben(Text, Result.data());
  return Result;
}

// A typed search or replacement text: its placeholders are markers, as in the format.
std::wstring MitMarken(const std::wstring& Text) {
  return WideStringReplaceAll(
      WideStringReplaceAll(OhneMarken(Text), NummerText, std::wstring(1, MarkeNummer)), TabText,
      std::wstring(1, MarkeTab));
}

// The file-name part of a path: the text after its last "\" or ":".
std::wstring_view Dateiname(std::wstring_view Path) {
  const size_t Cut = Path.find_last_of(L"\\:");
  return Cut == std::wstring_view::npos ? Path : Path.substr(Cut + 1);
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

constexpr std::wstring_view ZeilenEnde = L"\r\n"sv;

// A set of characters, a bit for each.
using TZeichenMenge = std::vector<uint64_t>;

void Hinzufuegen(std::wstring_view Text, TZeichenMenge& Menge) {
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

// Writes the song's line to Ziel, which has room for it; returns its end.
wchar_t* ZeileSchreiben(const Song& S, const TExportFormat& Format, wchar_t* Ziel) {
  for (const int32_t Code : Format.Codes) {
    if (Code == tcNummer)
      *Ziel++ = MarkeNummer;
    else if (Code == tcTab)
      *Ziel++ = MarkeTab;
    else if (Code == tcDateiname)
      Ziel = FeldSchreiben(Dateiname(S[sfPath]), Ziel);
    else if (Code < tcDateiname)
      Ziel = FeldSchreiben(S[Code - 1], Ziel);
    else
      Ziel = FeldSchreiben(Format.Stuecke[Code - tcErstesStueck], Ziel);  // free of markers already
  }
  return Ziel;
}

// The length of a song's line with its line end.
size_t ZeilenLaenge(const Song& S, const TExportFormat& Format) {
  size_t Summe = ZeilenEnde.size();
  for (const int32_t Code : Format.Codes)
    Summe += Code == tcNummer || Code == tcTab ? 1
             : Code == tcDateiname             ? Dateiname(S[sfPath]).size()
             : Code < tcDateiname              ? S[Code - 1].size()
                                               : Format.Stuecke[Code - tcErstesStueck].size();
  return Summe;
}

// The song fields that a format reads.
std::vector<int> Felder(const TExportFormat& Format) {
  std::vector<int> F;
  for (const int32_t Code : Format.Codes)
    if (Code == tcDateiname)
      F.push_back(sfPath);
    else if (Code > tcNummer && Code < tcDateiname)
      F.push_back(Code - 1);
  std::ranges::sort(F);
  F.erase(std::unique(F.begin(), F.end()), F.end());
  return F;
}

// The songs and their texts lie all over memory, and a pass waits for each: it asks for what it reads
// this many songs ahead, the texts half as far as the songs, as their places are read from the songs.
constexpr size_t Voraus = 16;

void SongVorholen(const Song& S, const std::vector<int>& Felder) {
  for (const int F : Felder) __builtin_prefetch(&S[F]);
}

void TexteVorholen(const Song& S, const std::vector<int>& Felder) {
  for (const int F : Felder) __builtin_prefetch(S[F].data());
}

// The lines of the songs that pass the filter, built in parts side by side: first each line's length,
// then each part writes its lines where they belong, with Sammeln also gathering their characters, which
// is cheaper than reading them again.
TZeilen Bauen(const TWideSongArray& Songs, const TExportOptionen& O, const TExportFormat& Format,
              bool Sammeln) {
  TZeilen Z;
  Z.Nummern = static_cast<int>(std::ranges::count(Format.Codes, tcNummer));
  Z.Tabs = static_cast<int>(std::ranges::count(Format.Codes, tcTab));
  Z.MitMarken = Z.Nummern + Z.Tabs > 0;
  const std::vector<size_t> G = Grenzen(Songs.size());
  const size_t Teile = G.size() - 1;
  TUngenulltListe<size_t> Laengen(Songs.size());  // 0 for a song that the filter leaves out
  std::vector<size_t> Zeichen(Teile + 1), Zeilen(Teile + 1);
  const std::vector<int> Gelesen = Felder(Format);
  Parallel(Teile, [&](size_t T) {
    size_t Summe = 0, Anzahl = 0;  // not in the shared vectors: parts side by side would share their memory
    for (size_t I = G[T]; I < G[T + 1]; ++I) {
      if (I + Voraus < G[T + 1]) SongVorholen(Songs[I + Voraus], Gelesen);
      Laengen[I] = 0;
      if (!PassesFilter(Songs[I], O)) continue;
      Laengen[I] = ZeilenLaenge(Songs[I], Format);
      Summe += Laengen[I];
      ++Anzahl;
    }
    Zeichen[T + 1] = Summe;
    Zeilen[T + 1] = Anzahl;
  });
  std::partial_sum(Zeichen.begin(), Zeichen.end(), Zeichen.begin());
  std::partial_sum(Zeilen.begin(), Zeilen.end(), Zeilen.begin());
  Z.Platz(Zeichen[Teile]);
  Z.Strecken.resize(Zeilen[Teile]);
  if (Sammeln) Z.Zeichen.assign(Teile, TZeichenMenge(0x10000 / 64));
  Parallel(Teile, [&](size_t T) {
    size_t Von = Zeichen[T];
    TStrecke* Strecke = Z.Strecken.data() + Zeilen[T];
    for (size_t I = G[T]; I < G[T + 1]; ++I) {
      if (I + Voraus < G[T + 1]) SongVorholen(Songs[I + Voraus], Gelesen);
      if (I + Voraus / 2 < G[T + 1]) TexteVorholen(Songs[I + Voraus / 2], Gelesen);
      if (Laengen[I] == 0) continue;
      Schreiben(ZeilenEnde, ZeileSchreiben(Songs[I], Format, Z.Text.get() + Von));
      *Strecke = {Von, Laengen[I] - ZeilenEnde.size()};
      if (Sammeln) Hinzufuegen(Z.Zeile(*Strecke), Z.Zeichen[T]);
      ++Strecke;
      Von += Laengen[I];
    }
  });
  return Z;
}

}  // namespace

std::string Sortierschluessel(const std::wstring& Text) {
  constexpr DWORD Flags = LCMAP_SORTKEY | NORM_IGNORECASE;
  // A key seldom needs more than a few bytes a character, so one call mostly does; asking the size
  // first would double the platform's work.
  std::string Key(Text.size() * 8 + 32, '\0');
  int Size = LCMapStringW(LOCALE_USER_DEFAULT, Flags, Text.c_str(), -1, reinterpret_cast<LPWSTR>(Key.data()),
                          static_cast<int>(Key.size()));
  if (Size == 0) {
    Size = LCMapStringW(LOCALE_USER_DEFAULT, Flags, Text.c_str(), -1, nullptr, 0);
    Key.assign(static_cast<size_t>(std::max(Size, 0)), '\0');
    LCMapStringW(LOCALE_USER_DEFAULT, Flags, Text.c_str(), -1, reinterpret_cast<LPWSTR>(Key.data()), Size);
  }
  Key.resize(static_cast<size_t>(std::max(Size, 0)));
  return Key;
}

namespace {

// The first level of a sort key: its bytes before the first byte below 2, which ends that level and is
// below every byte of it. Keys whose first levels differ are in the order of these alone.
std::string_view ErsteStufe(std::string_view Key) {
  const auto Ende = std::find_if(Key.begin(), Key.end(), [](char C) { return static_cast<uint8_t>(C) < 2; });
  return Key.substr(0, static_cast<size_t>(Ende - Key.begin()));
}

// A line as it reads: its markers as their placeholders.
std::wstring Lesbar(std::wstring_view Zeile) {
  std::wstring L;
  L.reserve(Zeile.size());
  for (const wchar_t C : Zeile) {
    if (C == MarkeNummer)
      L += NummerText;
    else if (C == MarkeTab)
      L += TabText;
    else
      L += C;
  }
  return L;
}

// The bytes of a first level that a sort compares at one depth.
constexpr size_t KopfBytes = 16;

// The first levels of single characters, learned from the platform, so that a line over them needs no key
// of its own: its first level is theirs one after another, a marker's that of its placeholder. That holds
// unless letters sort together (as "cs" in Hungarian), which would show in a text of every pair of them;
// then no character is known.
class TErsteStufen {
 public:
  // For the characters Gesehen, markers among them.
  explicit TErsteStufen(std::vector<wchar_t> Gesehen)
      : FStufe(std::make_unique_for_overwrite<uint64_t[]>(0x10000)), FLaenge(0x10000) {
    const std::vector<wchar_t> Alle = Gesehen;
    AlleLernen(std::move(Gesehen));
    FAlleBekannt = std::ranges::none_of(Alle, [this](wchar_t C) { return FLaenge[C] == Unbekannt; });
  }

  // True when every character of the lines is known.
  bool AlleBekannt() const { return FAlleBekannt; }

  // True when every character of Text is known.
  bool AlleBekannt(std::wstring_view Text) const {
    return FAlleBekannt || std::ranges::none_of(Text, [this](wchar_t C) { return FLaenge[C] == Unbekannt; });
  }

  // Sets Ziel to the first level of the line Text; false when a character of Text is not known.
  bool Stufe(std::wstring_view Text, std::string& Ziel) const {
    Ziel.resize(Text.size() * (FGroesste + FMarkeGroesste) + 8);  // room for eight bytes written whole
    const char* Ende = Schreiben(Text, Ziel.data());
    if (Ende == nullptr) return false;
    Ziel.resize(static_cast<size_t>(Ende - Ziel.data()));
    return true;
  }

  // Fills Kopf, KopfBytes and eight to spare, with the first level of the known characters from Zeichen
  // on, Versatz bytes of the first one's level left out; the characters taken whole are counted off Rest.
  // Kopf is zero behind the level's bytes.
  void KopfFuellen(const wchar_t*& Zeichen, uint32_t& Rest, uint8_t& Versatz, char* Kopf) const {
    size_t N = 0;
    while (N < KopfBytes && Rest > 0) {
      const wchar_t C = *Zeichen;
      const uint8_t L = FLaenge[C];
      if (L >= Bekannt && Versatz == 0) {  // the most: a whole character's level of eight bytes at most
        std::memcpy(Kopf + N, &FStufe[C], 8);
        if (N + (L - Bekannt) > KopfBytes) {
          Versatz = static_cast<uint8_t>(KopfBytes - N);
          return;
        }
        N += L - Bekannt;
      } else {
        const std::string_view S =
            L == Marke ? std::string_view(FMarken[C - MarkeNummer])
                       : std::string_view(reinterpret_cast<const char*>(&FStufe[C]), L - Bekannt);
        const size_t Teil = std::min(S.size() - Versatz, KopfBytes - N);
        std::copy_n(S.data() + Versatz, Teil, Kopf + N);
        N += Teil;
        if (Versatz + Teil < S.size()) {
          Versatz = static_cast<uint8_t>(Versatz + Teil);
          return;
        }
        Versatz = 0;
      }
      ++Zeichen;
      --Rest;
    }
    std::fill(Kopf + N, Kopf + KopfBytes + 8, '\0');
  }

 private:
  // FLaenge: cannot be known, a marker, else Bekannt plus the first level's length.
  static constexpr uint8_t Unbekannt = 0, Marke = 1, Bekannt = 2;
  // Learns the characters Gesehen and the markers' placeholders, all of them or none.
  void AlleLernen(std::vector<wchar_t> Gesehen) {
    for (const wchar_t C : Gesehen)
      if (IstMarke(C)) Gesehen.insert(Gesehen.end(), Platzhalter(C).begin(), Platzhalter(C).end());
    std::ranges::sort(Gesehen);
    Gesehen.erase(std::unique(Gesehen.begin(), Gesehen.end()), Gesehen.end());
    if (Gesehen.size() > GroessteZahl) return;
    std::erase_if(Gesehen, [this](wchar_t C) { return IstMarke(C) || !Lernen(C); });
    for (const wchar_t M : {MarkeNummer, MarkeTab}) MarkeLernen(M);
    if (!Bestaetigt(Gesehen)) {
      std::ranges::fill(FLaenge, Unbekannt);
      FGroesste = 0;
    }
  }

  // More would make the text of all pairs take longer than the keys it spares.
  static constexpr size_t GroessteZahl = 300;

  static const std::wstring& Platzhalter(wchar_t Marke) {
    return Marke == MarkeNummer ? NummerText : TabText;
  }

  // Writes the first level of the line Text to Ziel, which has room for it; returns its end, or nullptr when
  // a character of Text is not known.
  char* Schreiben(std::wstring_view Text, char* Ziel) const {
    for (const wchar_t C : Text) {
      const uint8_t L = FLaenge[C];
      if (L >= Bekannt) {
        std::memcpy(Ziel, &FStufe[C], 8);
        Ziel += L - Bekannt;
      } else if (L == Marke) {
        const std::string& S = FMarken[C - MarkeNummer];
        Ziel = std::copy(S.begin(), S.end(), Ziel);
      } else {
        return nullptr;
      }
    }
    return Ziel;
  }

  // The end of text, surrogates and characters whose first level is longer than eight bytes stay unknown.
  bool Lernen(wchar_t C) {
    if (C == 0 || (C >= 0xD800 && C <= 0xDFFF)) return false;
    const std::string Key = Sortierschluessel(std::wstring(1, C));
    const std::string_view Erste = ErsteStufe(Key);
    if (Erste.size() > 8) return false;
    FStufe[C] = 0;
    std::memcpy(&FStufe[C], Erste.data(), Erste.size());
    FLaenge[C] = static_cast<uint8_t>(Bekannt + Erste.size());
    FGroesste = std::max(FGroesste, Erste.size());
    return true;
  }

  // A marker's first level is its placeholder's, known when each of its characters is.
  void MarkeLernen(wchar_t M) {
    std::string S;
    for (const wchar_t C : Platzhalter(M)) {
      if (FLaenge[C] < Bekannt) return;
      S.append(reinterpret_cast<const char*>(&FStufe[C]), FLaenge[C] - Bekannt);
    }
    FMarkeGroesste = std::max(FMarkeGroesste, S.size());
    FMarken[M - MarkeNummer] = std::move(S);
    FLaenge[M] = Marke;
  }

  // True when the first levels of all pairs of the characters are theirs one after another.
  bool Bestaetigt(const std::vector<wchar_t>& Zeichen) const {
    std::wstring Paare;
    Paare.reserve(Zeichen.size() * Zeichen.size() * 2);
    for (const wchar_t C : Zeichen)
      for (const wchar_t D : Zeichen) Paare += {C, D};
    std::string Erwartet;
    return Stufe(Paare, Erwartet) && ErsteStufe(Sortierschluessel(Paare)) == Erwartet;
  }

  // The first level's bytes in memory order; written only for the characters learned, as a few hundred
  // of the 65,536 are.
  std::unique_ptr<uint64_t[]> FStufe;
  std::vector<uint8_t> FLaenge;
  std::string FMarken[2];  // the markers' first levels
  size_t FGroesste = 0;    // the longest first level of a character
  size_t FMarkeGroesste = 0;
  bool FAlleBekannt = false;  // every character of the lines is known
};

// Byte order, eight bytes at a step: the runtime library's memcmp goes a byte at a time.
int Vergleich(std::string_view A, std::string_view B) {
  const size_t N = std::min(A.size(), B.size());
  size_t I = 0;
  for (; I + 8 <= N; I += 8) {
    uint64_t X, Y;
    std::memcpy(&X, A.data() + I, 8);
    std::memcpy(&Y, B.data() + I, 8);
    if (X != Y) return __builtin_bswap64(X) < __builtin_bswap64(Y) ? -1 : 1;
  }
  for (; I < N; ++I)
    if (A[I] != B[I]) return static_cast<uint8_t>(A[I]) < static_cast<uint8_t>(B[I]) ? -1 : 1;
  return (A.size() > B.size()) - (A.size() < B.size());
}

// The platform's whole key of line I, as it reads.
std::string VollerSchluessel(const TZeilen& Z, size_t I) {
  const std::wstring_view Text = Z.Zeile(Z.Strecken[I]);
  return Sortierschluessel(Z.MitMarken ? Lesbar(Text) : std::wstring(Text));
}

// What the sort knows of each line: the first level of its key, and the platform's whole key where the
// characters' first levels do not give it or two lines are equal at it.
struct TSortDaten {
  TUngenulltListe<uint32_t> VollNr;  // for each line, 1 + where its whole key is in Volle, or 0
  std::vector<std::string> Volle;    // the few whole keys that are needed

  const std::string& Voll(size_t Zeile) const { return Volle[VollNr[Zeile] - 1]; }
};

// The platform's whole keys of the lines Welche, which have none yet, side by side.
void VolleSchluessel(TSortDaten& D, const std::vector<size_t>& Welche, const TZeilen& Z) {
  const size_t Erster = D.Volle.size();
  D.Volle.resize(Erster + Welche.size());
  for (size_t I = 0; I < Welche.size(); ++I) D.VollNr[Welche[I]] = static_cast<uint32_t>(Erster + I + 1);
  Verteilt(Welche.size(), [&](size_t Von, size_t Bis) {
    for (size_t I = Von; I < Bis; ++I) D.Volle[Erster + I] = VollerSchluessel(Z, Welche[I]);
  });
}

// The buckets of the lines by their first levels: for each part of the lines the bucket of each line, and
// how many of its lines each bucket holds; the characters' levels, and the whole keys of the lines whose
// levels do not come from them.
struct TEingeteilt {
  std::unique_ptr<TErsteStufen> Stufen;
  TSortDaten D;
  TUngenulltListe<uint32_t> Eimer;
  std::vector<std::vector<size_t>> Anzahl;  // per part and bucket
  size_t Vorspann = 0;                      // the characters at the head of every line, left out
};

// The characters the lines Von to Bis hold.
TZeichenMenge Zeichen(const TZeilen& Z, size_t Von, size_t Bis) {
  TZeichenMenge Menge(0x10000 / 64);
  for (size_t I = Von; I < Bis; ++I) Hinzufuegen(Z.Zeile(Z.Strecken[I]), Menge);
  return Menge;
}

// The characters that any of the parts holds.
std::vector<wchar_t> Gesehen(const std::vector<TZeichenMenge>& Teil) {
  std::vector<wchar_t> Alle;
  for (size_t W = 0; W < 0x10000 / 64; ++W) {
    uint64_t Bits = 0;
    for (const TZeichenMenge& T : Teil) Bits |= T[W];
    for (; Bits != 0; Bits &= Bits - 1) Alle.push_back(static_cast<wchar_t>(W * 64 + std::countr_zero(Bits)));
  }
  return Alle;
}

// How many characters every line begins with alike. Where every character is known, the lines' first
// levels begin with the same bytes of these, which no comparison needs: a format that begins with a
// number or a text would fill a sort's first heads with them.
size_t GemeinsamerAnfang(const TZeilen& Z, const std::vector<size_t>& G) {
  if (Z.Strecken.empty()) return 0;
  const std::wstring_view Erste = Z.Zeile(Z.Strecken[0]);
  const auto Gleich = [&Z, Erste](size_t N, size_t I) {  // of the first N characters, those line I shares
    return static_cast<size_t>(std::ranges::mismatch(Erste.substr(0, N), Z.Zeile(Z.Strecken[I])).in1 -
                               Erste.begin());
  };
  // Mostly a few lines already begin differently: then no pass over all is needed.
  constexpr size_t Proben = 64;
  size_t Gemeinsam = Erste.size();
  for (size_t P = 1; P < Proben && Gemeinsam > 0; ++P)
    Gemeinsam = Gleich(Gemeinsam, P * (Z.Strecken.size() - 1) / (Proben - 1));
  if (Gemeinsam == 0) return 0;
  std::vector<size_t> Teil(G.size() - 1);
  Parallel(Teil.size(), [&](size_t T) {
    size_t N = Gemeinsam;
    for (size_t I = G[T]; I < G[T + 1] && N > 0; ++I) N = Gleich(N, I);
    Teil[T] = N;
  });
  return std::ranges::min(Teil);
}

// The first level of line I after Vorspann characters: from its characters', else, with no Vorspann, from
// the platform's whole key.
std::string ProbenStufe(const TZeilen& Z, size_t I, const TErsteStufen& Stufen, size_t Vorspann) {
  std::string Stufe;
  return Stufen.Stufe(Z.Zeile(Z.Strecken[I]).substr(Vorspann), Stufe)
             ? Stufe
             : std::string(ErsteStufe(VollerSchluessel(Z, I)));
}

// The first 32 bytes of a first level, zeros behind its end, as numbers in the order of the bytes: these
// alone put most lines in their buckets, with no level of their own made.
using TPraefix = std::array<uint64_t, 4>;
static_assert(sizeof(TPraefix) == 2 * KopfBytes);

// Bytes as numbers in their order, eight to a number.
template <size_t N>
void AlsZahlen(const char* Bytes, uint64_t (&Zahlen)[N]) {
  for (size_t K = 0; K < N; ++K) {
    std::memcpy(&Zahlen[K], Bytes + 8 * K, 8);
    Zahlen[K] = __builtin_bswap64(Zahlen[K]);
  }
}

TPraefix AlsPraefix(const char* Bytes) {
  uint64_t Zahlen[std::tuple_size_v<TPraefix>];
  AlsZahlen(Bytes, Zahlen);
  return std::to_array(Zahlen);
}

TPraefix Praefix(std::string_view Stufe) {
  char Bytes[sizeof(TPraefix)] = {};
  std::copy_n(Stufe.data(), std::min(Stufe.size(), sizeof Bytes), Bytes);
  return AlsPraefix(Bytes);
}

// The same of a line whose characters are all known.
TPraefix Praefix(const TErsteStufen& Stufen, std::wstring_view Zeile) {
  char Bytes[sizeof(TPraefix) + 8];
  const wchar_t* Zeichen = Zeile.data();
  auto Rest = static_cast<uint32_t>(Zeile.size());
  uint8_t Versatz = 0;
  Stufen.KopfFuellen(Zeichen, Rest, Versatz, Bytes);
  Stufen.KopfFuellen(Zeichen, Rest, Versatz, Bytes + KopfBytes);
  return AlsPraefix(Bytes);
}

// A bound between buckets: a line's first level.
struct TGrenze {
  TPraefix Anfang;
  std::string Stufe;
};

// The bounds between Eimerzahl buckets: the levels of an even sample of the lines.
std::vector<TGrenze> EimerGrenzen(const TZeilen& Z, size_t Eimerzahl, const TErsteStufen& Stufen,
                                  size_t Vorspann) {
  constexpr size_t JeEimer = 8;
  std::vector<std::string> Probe;
  for (size_t I = 0; I < JeEimer * Eimerzahl && Eimerzahl > 1; ++I)
    Probe.push_back(ProbenStufe(Z, I * Z.Strecken.size() / (JeEimer * Eimerzahl), Stufen, Vorspann));
  std::sort(Probe.begin(), Probe.end(),
            [](const std::string& A, const std::string& B) { return Vergleich(A, B) < 0; });
  std::vector<TGrenze> Grenzen;
  for (size_t T = 1; T < Eimerzahl; ++T)
    Grenzen.push_back({Praefix(Probe[T * JeEimer]), std::move(Probe[T * JeEimer])});
  return Grenzen;
}

// The bucket of a level: lines equal at the level share one.
uint32_t Eimer(const std::vector<TGrenze>& Grenzen, std::string_view Stufe) {
  return static_cast<uint32_t>(
      std::ranges::partition_point(Grenzen,
                                   [Stufe](const TGrenze& G) { return Vergleich(Stufe, G.Stufe) >= 0; }) -
      Grenzen.begin());
}

// The bucket of a line whose characters are all known. Where a bound begins as the line does, the line's
// level is made in Stufe to tell them apart.
uint32_t Eimer(const std::vector<TGrenze>& Grenzen, const TErsteStufen& Stufen, std::wstring_view Zeile,
               std::string& Stufe) {
  const TPraefix Anfang = Praefix(Stufen, Zeile);
  bool Gemacht = false;
  const auto NichtDavor = [&](const TGrenze& G) {
    if (Anfang != G.Anfang) return Anfang > G.Anfang;
    if (!Gemacht) Gemacht = Stufen.Stufe(Zeile, Stufe);
    return Vergleich(Stufe, G.Stufe) >= 0;
  };
  return static_cast<uint32_t>(std::ranges::partition_point(Grenzen, NichtDavor) - Grenzen.begin());
}

// Each line in a bucket by its first level, in parts side by side: the level from the characters' where the
// platform's agree, else from the platform's whole key.
TEingeteilt Einteilen(const TZeilen& Z, const std::vector<size_t>& G) {
  const size_t Teile = G.size() - 1;
  // The sets gathered while building may still hold the characters of a line left out since: they are
  // learned for nothing, which changes no order.
  std::vector<TZeichenMenge> Gelesen;
  if (Z.Zeichen.empty()) {
    Gelesen.resize(Teile);
    Parallel(Teile, [&](size_t T) { Gelesen[T] = Zeichen(Z, G[T], G[T + 1]); });
  }
  const std::vector<TZeichenMenge>& Teil = Z.Zeichen.empty() ? Gelesen : Z.Zeichen;
  const size_t Anzahl = Z.Strecken.size();
  TEingeteilt E{std::make_unique<TErsteStufen>(Gesehen(Teil)),
                {TUngenulltListe<uint32_t>(Anzahl), {}},
                TUngenulltListe<uint32_t>(Anzahl),
                std::vector<std::vector<size_t>>(Teile)};
  const TErsteStufen& Stufen = *E.Stufen;
  if (Stufen.AlleBekannt()) E.Vorspann = GemeinsamerAnfang(Z, G);
  // Some buckets take longer than others (their lines are alike further on): with several for each
  // processor, the processors even out.
  const std::vector<TGrenze> Grenzen = EimerGrenzen(Z, Teile > 1 ? 4 * Teile : 1, Stufen, E.Vorspann);
  std::vector<std::vector<size_t>> Offen(Teile);
  Parallel(Teile, [&](size_t T) {
    std::vector<size_t> Zaehler(Grenzen.size() + 1);  // the part's own: parts side by side would share memory
    std::string Stufe;
    for (size_t I = G[T]; I < G[T + 1]; ++I) {
      E.D.VollNr[I] = 0;
      const std::wstring_view Zeile = Z.Zeile(Z.Strecken[I]).substr(E.Vorspann);
      if (Stufen.AlleBekannt(Zeile))
        ++Zaehler[E.Eimer[I] = Eimer(Grenzen, Stufen, Zeile, Stufe)];
      else
        Offen[T].push_back(I);
    }
    E.Anzahl[T] = std::move(Zaehler);
  });
  std::vector<size_t> Alle;
  for (const std::vector<size_t>& O : Offen) Alle.insert(Alle.end(), O.begin(), O.end());
  VolleSchluessel(E.D, Alle, Z);
  for (size_t T = 0; T < Teile; ++T)
    for (const size_t I : Offen[T]) ++E.Anzahl[T][E.Eimer[I] = Eimer(Grenzen, ErsteStufe(E.D.Voll(I)))];
  return E;
}

// A line in the sort, with KopfBytes of its first level, from some depth on, as numbers, and where the
// rest of the level comes from: the line's characters, or a level the platform made.
struct TSortPlatz {
  uint64_t Kopf[KopfBytes / 8];
  const void* Weiter;  // the next character, or the next byte
  uint32_t Rest;       // characters or bytes
  uint32_t Zeile;
  uint8_t Versatz;  // of the next character's level, the bytes already in a head
  bool AusZeichen;
};

// The next KopfBytes of P's first level.
void KopfLaden(const TErsteStufen& Stufen, TSortPlatz& P) {
  // First-level bytes are 2 and above: a level that ends, padded with zeros, sorts first.
  char Kopf[KopfBytes + 8];
  if (P.AusZeichen) {
    auto* Zeichen = static_cast<const wchar_t*>(P.Weiter);
    Stufen.KopfFuellen(Zeichen, P.Rest, P.Versatz, Kopf);
    P.Weiter = Zeichen;
  } else {
    const size_t N = std::min<size_t>(P.Rest, KopfBytes);
    std::copy_n(static_cast<const char*>(P.Weiter), N, Kopf);
    std::fill(Kopf + N, Kopf + KopfBytes, '\0');
    P.Weiter = static_cast<const char*>(P.Weiter) + N;
    P.Rest -= static_cast<uint32_t>(N);
  }
  AlsZahlen(Kopf, P.Kopf);
}

bool KopfGleich(const TSortPlatz& A, const TSortPlatz& B) {
  return std::equal(std::begin(A.Kopf), std::end(A.Kopf), std::begin(B.Kopf));
}

bool KopfVor(const TSortPlatz& A, const TSortPlatz& B) {
  for (size_t K = 0; K < std::size(A.Kopf); ++K)
    if (A.Kopf[K] != B.Kopf[K]) return A.Kopf[K] < B.Kopf[K];
  return A.Zeile < B.Zeile;
}

using TGleiche = std::vector<std::pair<TSortPlatz*, TSortPlatz*>>;

// Sorts the places Von to Bis, whose first levels agree before their heads, by their first levels, equal
// ones by their lines' order, sixteen bytes at a depth; runs of equal levels are added to Gleiche.
void KoepfeSortieren(TSortPlatz* Von, TSortPlatz* Bis, const TErsteStufen& Stufen, TGleiche& Gleiche) {
  std::sort(Von, Bis, KopfVor);
  for (TSortPlatz *A = Von, *B; A != Bis; A = B) {
    bool Weiter = A->Rest > 0;
    for (B = A + 1; B != Bis && KopfGleich(*A, *B); ++B) Weiter |= B->Rest > 0;
    if (B - A < 2) continue;
    if (Weiter) {
      constexpr ptrdiff_t Voraus = 8;  // the lines lie anywhere: ask for them before they are needed
      for (TSortPlatz* P = A; P != B; ++P) {
        if (B - P > Voraus) __builtin_prefetch(P[Voraus].Weiter);
        KopfLaden(Stufen, *P);
      }
      KoepfeSortieren(A, B, Stufen, Gleiche);
    } else {
      Gleiche.emplace_back(A, B);
    }
  }
}

// Sorts ascending by the platform's case-insensitive order, equal lines in their order. With Einmal only
// the first of equal lines stays, which is what a sorted list that ignores duplicates keeps. Most lines
// differ at the first level of their keys, which comes from the characters' own; only the others need the
// platform's keys. The lines are shared out among the processors: first their levels, then buckets
// between lines of a sample, each bucket sorted on its own.
void Sortieren(TZeilen& Z, bool Einmal) {
  const size_t Anzahl = Z.Strecken.size();
  const std::vector<size_t> G = Grenzen(Anzahl);
  const size_t Teile = G.size() - 1;
  TEingeteilt Teilung = Einteilen(Z, G);
  TSortDaten& D = Teilung.D;
  const TErsteStufen& Stufen = *Teilung.Stufen;
  std::vector<std::vector<size_t>>& Start = Teilung.Anzahl;  // becomes where a part's lines of a bucket go
  const size_t Eimerzahl = Start[0].size();
  std::vector<size_t> EimerAnfang(Eimerzahl + 1);
  for (size_t E = 0, Summe = 0; E < Eimerzahl; ++E) {
    EimerAnfang[E] = Summe;
    for (size_t T = 0; T < Teile; ++T) Summe += std::exchange(Start[T][E], Summe);
    EimerAnfang[E + 1] = Summe;
  }
  const auto Plaetze = std::make_unique_for_overwrite<TSortPlatz[]>(Anzahl);
  Parallel(Teile, [&](size_t T) {
    std::vector<size_t> Wo = Start[T];
    for (size_t I = G[T]; I < G[T + 1]; ++I) {
      TSortPlatz& P = Plaetze[Wo[Teilung.Eimer[I]]++];
      P.Zeile = static_cast<uint32_t>(I);
      P.Versatz = 0;
      P.AusZeichen = D.VollNr[I] == 0;
      if (P.AusZeichen) {
        const std::wstring_view Zeile = Z.Zeile(Z.Strecken[I]).substr(Teilung.Vorspann);
        P.Weiter = Zeile.data();
        P.Rest = static_cast<uint32_t>(Zeile.size());
      } else {
        const std::string_view Stufe = ErsteStufe(D.Voll(I));
        P.Weiter = Stufe.data();
        P.Rest = static_cast<uint32_t>(Stufe.size());
      }
      KopfLaden(Stufen, P);  // here, where the lines come in order
    }
  });
  std::vector<TGleiche> Gleiche(Eimerzahl);
  Parallel(Eimerzahl, [&](size_t E) {
    KoepfeSortieren(Plaetze.get() + EimerAnfang[E], Plaetze.get() + EimerAnfang[E + 1], Stufen, Gleiche[E]);
  });

  // Runs of lines equal at the first level go by their whole keys.
  std::vector<uint8_t> WieDavor(Anzahl);  // a place whose line is equal at the first level to the one before
  std::vector<size_t> Ohne;
  for (const TGleiche& Liste : Gleiche)
    for (const auto& [Von, Bis] : Liste)
      for (TSortPlatz* P = Von; P != Bis; ++P) {
        WieDavor[static_cast<size_t>(P - Plaetze.get())] = P != Von;
        if (D.VollNr[P->Zeile] == 0) Ohne.push_back(P->Zeile);
      }
  VolleSchluessel(D, Ohne, Z);
  for (const TGleiche& Liste : Gleiche)
    for (const auto& [Von, Bis] : Liste)
      std::stable_sort(Von, Bis, [&D](const TSortPlatz& A, const TSortPlatz& B) {
        return Vergleich(D.Voll(A.Zeile), D.Voll(B.Zeile)) < 0;
      });

  TStreckenListe Strecken(Anzahl);
  Verteilt(Anzahl, [&](size_t Von, size_t Bis) {
    for (size_t I = Von; I < Bis; ++I) Strecken[I] = Z.Strecken[Plaetze[I].Zeile];
  });
  if (Einmal) {
    size_t Bleiben = 0;
    for (size_t I = 0; I < Anzahl; ++I)
      if (!WieDavor[I] || D.Voll(Plaetze[I - 1].Zeile) != D.Voll(Plaetze[I].Zeile))
        Strecken[Bleiben++] = Strecken[I];
    Strecken.resize(Bleiben);
  }
  Z.Strecken = std::move(Strecken);
}

// True when a line changed.
bool Ersetzen(TZeilen& Z, const std::wstring& Suchen, const std::wstring& Durch) {
  if (Suchen.empty() || Suchen == Durch) return false;
  const std::wstring Alt = MitMarken(Suchen);
  const std::wstring Neu = MitMarken(Durch);
  std::wstring Text;
  Text.reserve(Z.Laenge);
  TStreckenListe Strecken;
  Strecken.reserve(Z.Strecken.size());
  bool Geaendert = false;
  for (const TStrecke& S : Z.Strecken) {
    const std::wstring_view L = Z.Zeile(S);
    const size_t Von = Text.size();
    if (L.find(Alt) == std::wstring_view::npos) {
      Text += L;
    } else {
      Text += WideStringReplaceAll(std::wstring(L), Alt, Neu);
      Geaendert = true;
    }
    Strecken.push_back({Von, Text.size() - Von});
    Text += ZeilenEnde;
  }
  Z.Platz(Text.size());
  std::copy(Text.begin(), Text.end(), Z.Text.get());
  Z.Strecken = std::move(Strecken);
  Z.MitMarken = Z.MitMarken || HatMarken(Neu);
  Z.Nummern = Z.Tabs = -1;
  if (Geaendert) Z.Zeichen.clear();
  return Geaendert;
}

void LeereEntfernen(TZeilen& Z) {
  std::erase_if(Z.Strecken, [&Z](const TStrecke& S) {
    return S.Laenge == 0 || (S.Laenge == 1 && Z.Text[S.Von] == MarkeNummer);
  });
}

bool HtmlBesonders(wchar_t C) {
  return C == L'&' || C == L'<' || C == L'>' || C == L'"';
}

// What a cell marker or, in HTML, a special character of a line stands for in the export.
std::wstring_view Ersatz(wchar_t C, bool Html) {
  switch (C) {
    case L'&':
      return L"&amp;"sv;
    case L'<':
      return L"&lt;"sv;
    case L'>':
      return L"&gt;"sv;
    case L'"':
      return L"&quot;"sv;
    default:  // the cell marker
      return Html ? L"</td><td>"sv : TabText;
  }
}

// The HTML characters lie below the letters, the markers above them.
bool Besonders(wchar_t C, bool Html) {
  return C > L'>' ? IstMarke(C) : Html && HtmlBesonders(C);
}

// The line's position from 1, with zeros in front up to Breite digits.
wchar_t* NummerSchreiben(size_t Nummer, size_t Breite, wchar_t* Ziel) {
  wchar_t Ziffern[24];
  wchar_t* Anfang = std::end(Ziffern);
  do {
    *--Anfang = static_cast<wchar_t>(L'0' + Nummer % 10);
    Nummer /= 10;
  } while (Nummer != 0);
  const size_t Anzahl = static_cast<size_t>(std::end(Ziffern) - Anfang);
  if (Anzahl < Breite) Ziel = std::fill_n(Ziel, Breite - Anzahl, L'0');
  return Schreiben({Anfang, Anzahl}, Ziel);
}

// A line as the export shows it.
wchar_t* ZeileAusgeben(std::wstring_view Line, size_t Nummer, size_t Breite, bool Html, wchar_t* Ziel) {
  const wchar_t* Von = Line.data();
  const wchar_t* const Ende = Von + Line.size();
  while (Von != Ende) {
    // In text only the markers are special: what lies between them goes four characters at a step.
    for (uint64_t W; !Html && Ende - Von >= static_cast<ptrdiff_t>(Wort); Von += Wort, Ziel += Wort) {
      std::memcpy(&W, Von, sizeof W);
      if (MitMarke(W)) break;
      std::memcpy(Ziel, &W, sizeof W);
    }
    if (Von == Ende) break;
    const wchar_t C = *Von++;
    if (!Besonders(C, Html))
      *Ziel++ = C;
    else if (C == MarkeNummer)
      Ziel = NummerSchreiben(Nummer, Breite, Ziel);
    else
      Ziel = Schreiben(Ersatz(C, Html), Ziel);
  }
  return Ziel;
}

constexpr std::wstring_view ZeilenAnfangHtml = L"<tr><td>"sv;
constexpr std::wstring_view ZeilenEndeHtml = L"</td></tr>\r\n"sv;
constexpr std::wstring_view TabelleAnfang = L"<table>\r\n"sv;
constexpr std::wstring_view TabelleEnde = L"</table>\r\n"sv;
// Room for the line that declares the character set at the head of a saved HTML file: the table then moves
// up in place rather than to new memory.
constexpr size_t ZeichensatzRaum = 64;

// The number of digits of Nummer.
size_t Stellen(size_t Nummer) {
  size_t N = 1;
  for (; Nummer >= 10; Nummer /= 10) ++N;
  return N;
}

// What the format's markers add to a line when its number is NummerBreite digits wide.
size_t MarkenZusatz(const TZeilen& Z, size_t NummerBreite) {
  return static_cast<size_t>(Z.Nummern) * (NummerBreite - 1) +
         static_cast<size_t>(Z.Tabs) * (TabText.size() - 1);
}

// The length of line I as the export shows it, its number Breite digits at least: without looking at it,
// when it holds only the markers that every line does.
size_t AusgabeLaenge(const TZeilen& Z, size_t I, size_t Breite, bool Html) {
  const std::wstring_view Line = Z.Zeile(Z.Strecken[I]);
  const auto NummerBreite = [&] { return std::max(Breite, Stellen(I + 1)); };
  if (!Html && Z.Nummern >= 0) return Line.size() + MarkenZusatz(Z, Z.Nummern == 0 ? 1 : NummerBreite());
  size_t Summe = Line.size();
  for (const wchar_t C : Line)
    if (Besonders(C, Html)) Summe += (C == MarkeNummer ? NummerBreite() : Ersatz(C, Html).size()) - 1;
  return Summe;
}

// The room that the export of the lines as built, not as HTML, takes at most, whatever their order and
// however many of them go.
size_t Hoechstens(const TZeilen& Z) {
  return Z.Laenge + Z.Strecken.size() * MarkenZusatz(Z, Stellen(Z.Strecken.size()));
}

// The export of the lines, written in parts side by side: first each part's length, then each part where
// it belongs. Out is the room for it, made and cleared already when it is big enough.
std::wstring Ausgeben(TZeilen&& Z, bool Nullen, bool Html, std::wstring Out) {
  if (!Html && !Z.MitMarken && Z.WieGebaut()) return std::wstring(Z.Text.get(), Z.Laenge);
  // Every number marker becomes the line's position from 1, with Nullen as wide as the line count.
  const size_t Breite = Nullen ? Stellen(Z.Strecken.size()) : 0;
  const std::wstring_view Anfang = Html ? TabelleAnfang : L""sv, Ende = Html ? TabelleEnde : L""sv;
  const std::wstring_view Schluss = Html ? ZeilenEndeHtml : ZeilenEnde;
  const size_t Rahmen = (Html ? ZeilenAnfangHtml.size() : 0) + Schluss.size();
  const bool Einfach = !Html && !Z.MitMarken;
  const std::vector<size_t> G = Grenzen(Z.Strecken.size());
  const size_t Teile = G.size() - 1;
  std::vector<size_t> Laengen(Teile + 1);
  Parallel(Teile, [&](size_t T) {
    size_t Summe = 0;
    for (size_t I = G[T]; I < G[T + 1]; ++I) Summe += Rahmen + AusgabeLaenge(Z, I, Breite, Html);
    Laengen[T + 1] = Summe;
  });
  std::partial_sum(Laengen.begin(), Laengen.end(), Laengen.begin());
  if (Out.size() < Anfang.size() + Laengen[Teile] + Ende.size()) {
    Out.clear();
    Out.reserve(Anfang.size() + Laengen[Teile] + Ende.size() + (Html ? ZeichensatzRaum : 0));
  }
  Out.resize(Anfang.size() + Laengen[Teile] + Ende.size());
  Schreiben(Ende, Schreiben(Anfang, Out.data()) + Laengen[Teile]);
  Parallel(Teile, [&](size_t T) {
    wchar_t* Ziel = Out.data() + Anfang.size() + Laengen[T];
    for (size_t I = G[T]; I < G[T + 1]; ++I) {
      // Sorted, the lines lie anywhere: ask for them before they are needed.
      if (I + Voraus < G[T + 1]) __builtin_prefetch(Z.Text.get() + Z.Strecken[I + Voraus].Von);
      if (Html) Ziel = Schreiben(ZeilenAnfangHtml, Ziel);
      const std::wstring_view Line = Z.Zeile(Z.Strecken[I]);
      Ziel = Einfach ? Schreiben(Line, Ziel) : ZeileAusgeben(Line, I + 1, Breite, Html, Ziel);
      Ziel = Schreiben(Schluss, Ziel);
    }
  });
  return Out;
}

}  // namespace

std::wstring ExportText(const TWideSongArray& Songs, const TExportOptionen& O) {
  TExportFormat Format = ParseFormat(O.Format);
  for (std::wstring& Stueck : Format.Stuecke) Stueck = OhneMarken(Stueck);
  TZeilen Zeilen = Bauen(Songs, O, Format, O.Sortieren || O.DoppelteWeg);
  // The room for a sorted export is made and cleared beside the sort, when it is known before.
  std::wstring Out;
  std::optional<TNebenbei> Raum;
  if ((O.Sortieren || O.DoppelteWeg) && !O.Html && !O.Ersetzen)
    Raum.emplace([&Out, N = Hoechstens(Zeilen)] { Out.resize(N); });
  if (O.DoppelteWeg) Sortieren(Zeilen, true);
  const bool Ersetzt = O.Ersetzen && Ersetzen(Zeilen, O.Suchen, O.ErsetzenDurch);
  // Without duplicates the lines are in order already, unless the replacement changed one.
  if (O.Sortieren && (!O.DoppelteWeg || Ersetzt)) Sortieren(Zeilen, false);
  if (O.LeereWeg) LeereEntfernen(Zeilen);
  if (Raum) Raum->Warten();
  return Ausgeben(std::move(Zeilen), O.Nullen, O.Html, std::move(Out));
}

// ---------------------------------------------------------------------------------------------------------
// Saving

std::wstring ExportVorgabeName(const std::string& Sprache, bool Html) {
  if (Sprache == "de") return Html ? L"Musikliste.htm" : L"Musikliste.txt";
  return Html ? L"Music List.htm" : L"Music List.txt";
}

std::wstring ExportDateiName(const std::wstring& Gewaehlt, bool Html, int Dateityp) {
  if (IsPictureExt(WideUpperCase(WideExtractFileExt(Gewaehlt)))) return Gewaehlt;
  switch (Dateityp) {
    case dtBmp:
      return Gewaehlt + L".bmp";
    case dtJpeg:
      return Gewaehlt + L".jpg";
    case dtGif:
      return Gewaehlt + L".gif";
    default:
      break;
  }
  const std::wstring Ext = Html ? L".htm" : L".txt";
  return Gewaehlt.find(Ext) == std::wstring::npos ? Gewaehlt + Ext : Gewaehlt;
}

namespace {

// The character set names that HTML knows for the ANSI code pages of Windows.
std::wstring AnsiZeichensatz(UINT CodePage) {
  if (CodePage == 874 || (CodePage >= 1250 && CodePage <= 1258))
    return L"windows-" + std::to_wstring(CodePage);
  switch (CodePage) {
    case 932:
      return L"shift_jis";
    case 936:
      return L"gbk";
    case 949:
      return L"euc-kr";
    case 950:
      return L"big5";
    case CP_UTF8:
      return L"utf-8";
    default:
      return L"";
  }
}

bool IstHtmlDatei(const std::wstring& FileName) {
  const std::wstring Ext = WideUpperCase(WideExtractFileExt(FileName));
  return Ext == L".HTM" || Ext == L".HTML";
}

}  // namespace

std::wstring HtmlZeichensatz(int CodePage) {
  switch (CodePage) {
    case cpAnsi:
      return AnsiZeichensatz(GetACP());
    case cpUTF7:
    case cpUTF7NoSignature:
      return L"utf-7";
    case cpUTF8:
      return L"utf-8";
    case cpUTF16LE:
      return L"utf-16le";
    case cpUTF16BE:
      return L"utf-16be";
    case cpUTF32LE:
      return L"utf-32le";
    case cpUTF32BE:
      return L"utf-32be";
    default:
      return L"";
  }
}

void ExportSpeichern(std::wstring Text, const std::wstring& FileName, int CodePage, bool Html) {
  const std::wstring Zeichensatz = HtmlZeichensatz(CodePage);
  if (Html && IstHtmlDatei(FileName) && !Zeichensatz.empty())
    Text.insert(0, L"<meta charset=\"" + Zeichensatz + L"\">\r\n");
  WideSaveTextFile(Text, FileName, CodePage);
}

// ---------------------------------------------------------------------------------------------------------
// The window

Ttxtexport::Ttxtexport(TComponent* AOwner) : TForm(AOwner) {
  using T = Ttxtexport;
  RegisterFormClass<T>(
      "Ttxtexport",
      {MethodOf("FormCreate", &T::FormCreate), MethodOf("AutoUpdate", &T::AutoUpdate),
       MethodOf("cb_einghilfeClick", &T::cb_einghilfeClick), MethodOf("cb_filterClick", &T::cb_filterClick),
       MethodOf("cb_suchenClick", &T::cb_suchenClick), MethodOf("cb_htmlClick", &T::cb_htmlClick),
       MethodOf("cb_einstClick", &T::cb_einstClick), MethodOf("CaptionAdden", &T::CaptionAdden),
       MethodOf("Button9Click", &T::Button9Click), MethodOf("Button12Click", &T::Button12Click),
       MethodOf("rb_alleClick", &T::rb_alleClick), MethodOf("formstrKeyPress", &T::formstrKeyPress),
       MethodOf("SchreibenClick", &T::SchreibenClick), MethodOf("DelOutputClick", &T::DelOutputClick),
       MethodOf("Button14Click", &T::Button14Click), MethodOf("SpeichernClick", &T::SpeichernClick)},
      {FieldOf("pa_format", &T::pa_format),
       FieldOf("formstr", &T::formstr),
       FieldOf("pa_einghilfe", &T::pa_einghilfe),
       FieldOf("cb_einghilfe", &T::cb_einghilfe),
       FieldOf("Button1", &T::Button1),
       FieldOf("Button2", &T::Button2),
       FieldOf("Button3", &T::Button3),
       FieldOf("Button4", &T::Button4),
       FieldOf("Button5", &T::Button5),
       FieldOf("Button6", &T::Button6),
       FieldOf("Button7", &T::Button7),
       FieldOf("Button8", &T::Button8),
       FieldOf("Button9", &T::Button9),
       FieldOf("Button10", &T::Button10),
       FieldOf("Button11", &T::Button11),
       FieldOf("Button12", &T::Button12),
       FieldOf("Button13", &T::Button13),
       FieldOf("edtxt", &T::edtxt),
       FieldOf("pa_filter", &T::pa_filter),
       FieldOf("cb_filter", &T::cb_filter),
       FieldOf("Label3", &T::Label3),
       FieldOf("sw", &T::sw),
       FieldOf("s_interpret", &T::s_interpret),
       FieldOf("s_titel", &T::s_titel),
       FieldOf("s_laenge", &T::s_laenge),
       FieldOf("s_album", &T::s_album),
       FieldOf("s_track", &T::s_track),
       FieldOf("s_jahr", &T::s_jahr),
       FieldOf("s_genre", &T::s_genre),
       FieldOf("s_datei", &T::s_datei),
       FieldOf("rb_alle", &T::rb_alle),
       FieldOf("pa_suchen", &T::pa_suchen),
       FieldOf("cb_suchen", &T::cb_suchen),
       FieldOf("Label1", &T::Label1),
       FieldOf("s_nach", &T::s_nach),
       FieldOf("Label2", &T::Label2),
       FieldOf("s_ers", &T::s_ers),
       FieldOf("pa_html", &T::pa_html),
       FieldOf("cb_html", &T::cb_html),
       FieldOf("pa_einst", &T::pa_einst),
       FieldOf("cb_einst", &T::cb_einst),
       FieldOf("cb_sort", &T::cb_sort),
       FieldOf("cb_autodel", &T::cb_autodel),
       FieldOf("cb_doppeltweg", &T::cb_doppeltweg),
       FieldOf("cb_leereweg", &T::cb_leereweg),
       FieldOf("cb_autoupdate", &T::cb_autoupdate),
       FieldOf("cb_nullen", &T::cb_nullen),
       FieldOf("pa_ausgabe", &T::pa_ausgabe),
       FieldOf("output", &T::output),
       FieldOf("pa_knoepfe", &T::pa_knoepfe),
       FieldOf("Schreiben", &T::Schreiben),
       FieldOf("Speichern", &T::Speichern),
       FieldOf("DelOutput", &T::DelOutput),
       FieldOf("Button14", &T::Button14),
       FieldOf("sd", &T::sd)},
      {UnicodeKlassen()});
}

namespace {

// Closed, a panel shows only its check box.
constexpr int Zugeklappt = 18;

// The text with a line end after its last line, as the memo's lines are written.
std::wstring MitZeilenEnde(const std::wstring& Text) {
  if (Text.empty() || Text.ends_with(L"\r\n")) return Text;
  return Text + L"\r\n";
}

// How long the user pauses before a change is built, in milliseconds.
constexpr unsigned kPause = 300;
// A text up to this length goes into the memo at once; the memo takes it within a few milliseconds.
constexpr size_t kAufEinmal = 16384;
// The time a piece may take, in milliseconds: input waits no longer than that. Under Wine the memo takes
// some 20 ms for any piece however short, besides its characters, so pieces are made as long as this
// allows.
constexpr double kStueckZeit = 50;
constexpr double kFesteZeit = 20;

double Millisekunden(LARGE_INTEGER Von, LARGE_INTEGER Bis) {
  LARGE_INTEGER Frequenz;
  QueryPerformanceFrequency(&Frequenz);
  return static_cast<double>(Bis.QuadPart - Von.QuadPart) * 1000.0 / static_cast<double>(Frequenz.QuadPart);
}

}  // namespace

void Ttxtexport::FormCreate(TObject* /*Sender*/) {
  LocalSpr();
  for (TPanel* Panel : {pa_suchen, pa_einghilfe, pa_html, pa_einst, pa_filter}) Panel->SetHeight(Zugeklappt);
  FPause = new TTimer(this);
  FPause->SetEnabled(false);
  FPause->SetInterval(kPause);
  FPause->SetOnTimer([this](TObject* Sender) { PauseZuEnde(Sender); });
  // A timer's turn comes when no input waits, so the pieces go in between the user's keys and clicks.
  FStueckweise = new TTimer(this);
  FStueckweise->SetEnabled(false);
  FStueckweise->SetInterval(1);
  FStueckweise->SetOnTimer([this](TObject* Sender) { StueckFuellen(Sender); });
}

void Ttxtexport::AutoUpdate(TObject* /*Sender*/) {
  // A format still being typed is no format of the history yet.
  if (cb_autoupdate->Checked() && FBoxenSetzen == 0) NachPauseSchreiben();
}

void Ttxtexport::NachPauseSchreiben() {
  FStueckweise->SetEnabled(false);
  FPause->SetEnabled(false);
  FPause->SetEnabled(true);
}

void Ttxtexport::PauseZuEnde(TObject* /*Sender*/) {
  ListeSchreiben();
}

void Ttxtexport::cb_einghilfeClick(TObject* /*Sender*/) {
  pa_einghilfe->SetHeight(cb_einghilfe->Checked() ? 78 : Zugeklappt);
}

void Ttxtexport::cb_filterClick(TObject* Sender) {
  pa_filter->SetHeight(cb_filter->Checked() ? 107 : Zugeklappt);
  AutoUpdate(Sender);
}

void Ttxtexport::cb_suchenClick(TObject* Sender) {
  pa_suchen->SetHeight(cb_suchen->Checked() ? 56 : Zugeklappt);
  AutoUpdate(Sender);
}

void Ttxtexport::cb_htmlClick(TObject* Sender) {
  AutoUpdate(Sender);
}

void Ttxtexport::cb_einstClick(TObject* /*Sender*/) {
  pa_einst->SetHeight(cb_einst->Checked() ? 65 : Zugeklappt);
}

void Ttxtexport::CaptionAdden(TObject* Sender) {
  CaptionSetzen(formstr, TextLesen(formstr) + TextLesen(static_cast<TControl*>(Sender)));
  AutoUpdate(Sender);
}

void Ttxtexport::Button9Click(TObject* Sender) {
  CaptionSetzen(formstr, TextLesen(formstr) + TextLesen(edtxt));
  AutoUpdate(Sender);
}

void Ttxtexport::Button12Click(TObject* /*Sender*/) {
  CaptionSetzen(formstr, L"");
  if (cb_autoupdate->Checked()) AusgabeSetzen(L"");
}

void Ttxtexport::rb_alleClick(TObject* Sender) {
  // Each box that changes fires its click; the export is built once, after the last.
  {
    const TCountingScope Setzen(FBoxenSetzen);
    for (TCheckBox* Box : {s_interpret, s_titel, s_laenge, s_album, s_track, s_jahr, s_datei, s_genre})
      Box->SetChecked(rb_alle->Checked());
  }
  AutoUpdate(Sender);
}

void Ttxtexport::formstrKeyPress(TObject* Sender, char& Key) {
  if (Key != '\r') return;
  SchreibenClick(Sender);
  Key = 0;
}

TExportOptionen Ttxtexport::Optionen() {
  TExportOptionen O;
  O.Format = TextLesen(formstr);
  O.Filter = cb_filter->Checked();
  O.FilterText = TextLesen(sw);
  O.FilterFelder = {s_interpret->Checked(), s_titel->Checked(), s_laenge->Checked(), s_album->Checked(),
                    s_track->Checked(),     s_jahr->Checked(),  s_genre->Checked(),  s_datei->Checked()};
  O.Ersetzen = cb_suchen->Checked();
  O.Suchen = TextLesen(s_nach);
  O.ErsetzenDurch = TextLesen(s_ers);
  O.Sortieren = cb_sort->Checked();
  O.DoppelteWeg = cb_doppeltweg->Checked();
  O.LeereWeg = cb_leereweg->Checked();
  O.Nullen = cb_nullen->Checked();
  O.Html = cb_html->Checked();
  return O;
}

void Ttxtexport::FormatMerken(const std::wstring& F) {
  TUCodeStrings* Liste = formstr->Items();
  for (int I = 0; I < Liste->Count(); ++I)
    if (Liste->Get(I) == F) return;
  Liste->Add(F);
}

void Ttxtexport::SchreibenClick(TObject* /*Sender*/) {
  FormatMerken(TextLesen(formstr));
  ListeSchreiben();
}

void Ttxtexport::ListeSchreiben() {
  FPause->SetEnabled(false);
  const TExportOptionen O = Optionen();
  // Always every song of the playlist, whatever the player window's search shows.
  const std::wstring Text = ExportText(AlleSongs, O);
  if (O.Html && !cb_autodel->Checked())
    AusgabeSetzen(MitZeilenEnde(AusgabeText()) + Text);
  else
    AusgabeSetzen(Text);
}

void Ttxtexport::DelOutputClick(TObject* /*Sender*/) {
  AusgabeSetzen(L"");
}

void Ttxtexport::Button14Click(TObject* /*Sender*/) {
  UCodeClipboard()->SetAsWideText(AusgabeText());
}

std::wstring Ttxtexport::AusgabeText() {
  if (FPause->Enabled()) ListeSchreiben();
  return FFuellend ? FZiel : TextLesen(output);
}

void Ttxtexport::AusgabeSetzen(const std::wstring& Text) {
  FPause->SetEnabled(false);
  FStueckweise->SetEnabled(false);
  if (FFuellend) FuellenBeenden();
  FZiel.clear();
  if (Text.size() <= kAufEinmal) {
    CaptionSetzen(output, Text);
    return;
  }
  // Not drawn while it grows, so that it neither jumps to each new end nor paints each piece; nor typed
  // into, which would mix the user's text into the pieces.
  const HWND Memo = output->Handle();
  SendMessageW(Memo, WM_SETREDRAW, FALSE, 0);
  SendMessageW(Memo, EM_SETREADONLY, TRUE, 0);
  SendMessageW(Memo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
  SendMessageW(Memo, EM_SETLIMITTEXT, 0, 0);
  FZiel = Text;
  FGefuellt = 0;
  FFuellend = true;
  FStueckweise->SetEnabled(true);
}

void Ttxtexport::StueckFuellen(TObject* /*Sender*/) {
  // Whole lines, so that a line end or a character of two code units is never cut.
  size_t Ende = FZiel.size();
  if (FZiel.size() - FGefuellt > FStueck) {
    const size_t Zeile = FZiel.find(L'\n', FGefuellt + FStueck);
    if (Zeile != std::wstring::npos) Ende = Zeile + 1;
  }
  const std::wstring Stueck = FZiel.substr(FGefuellt, Ende - FGefuellt);
  const HWND Memo = output->Handle();
  LARGE_INTEGER Von, Bis;
  QueryPerformanceCounter(&Von);
  SendMessageW(Memo, EM_SETSEL, FGefuellt, FGefuellt);
  SendMessageW(Memo, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Stueck.c_str()));
  QueryPerformanceCounter(&Bis);
  FGefuellt = Ende;
  // The memo takes longer the more it holds: the next piece is sized by the time this one's characters
  // took, and at most twice as long, as a quick piece tells little.
  const double Zeichenzeit = std::max(Millisekunden(Von, Bis) - kFesteZeit, 1.0);
  FStueck = std::clamp(
      static_cast<size_t>(static_cast<double>(Stueck.size()) * (kStueckZeit - kFesteZeit) / Zeichenzeit),
      size_t{8192}, std::max(Stueck.size() * 2, size_t{8192}));
  if (FGefuellt < FZiel.size()) return;
  FStueckweise->SetEnabled(false);
  FuellenBeenden();
  FZiel.clear();
}

void Ttxtexport::FuellenBeenden() {
  FFuellend = false;
  const HWND Memo = output->Handle();
  SendMessageW(Memo, EM_SETREADONLY, output->ReadOnly(), 0);
  SendMessageW(Memo, EM_SETSEL, 0, 0);
  SendMessageW(Memo, WM_SETREDRAW, TRUE, 0);
  SendMessageW(Memo, EM_SCROLLCARET, 0, 0);
  InvalidateRect(Memo, nullptr, TRUE);
}

void Ttxtexport::SpeichernClick(TObject* /*Sender*/) {
  sd->SetFileName(ExportVorgabeName(start->spr->Caption(), cb_html->Checked()));
  if (!sd->Execute() || sd->FileName().empty()) return;
  ListeSpeichern(sd->FileName(), sd->FilterIndex);
}

void Ttxtexport::ListeSpeichern(const std::wstring& Gewaehlt, int Dateityp) {
  const bool Html = cb_html->Checked();
  const std::wstring Name = ExportDateiName(Gewaehlt, Html, Dateityp);
  if (ErsetzenErlaubt(Name)) ExportSpeichern(MitZeilenEnde(AusgabeText()), Name, AusgabeKodierung, Html);
}

void Ttxtexport::LocalSpr() {
  static const TFensterText Texte[] = {
      {txCaption, "txtexport", L"Export als Text/HTML Tabelle", L"Export as Text/HTML Table"},
      {txCaption, "cb_einghilfe", L"Eingabehilfe", L"Input Assistance"},
      {txCaption, "Button1", L"%interpret%", L"%artist%"},
      {txCaption, "Button2", L"%titel%", L"%title%"},
      {txCaption, "Button4", L"%l\u00E4nge%", L"%length%"},
      {txCaption, "Button7", L"%jahr%", L"%year%"},
      {txCaption, "Button8", L"%pfad%", L"%path%"},
      {txCaption, "Button11", L"%dateiname%", L"%filename%"},
      {txCaption, "Button12", L"Alles L\u00F6schen", L"Delete All"},
      {txCaption, "Button9", L"Text Hinzuf\u00FCgen", L"Add Text"},
      {txCaption, "cb_filter", L"Filter verwenden", L"Use Filter"},
      {txCaption, "s_interpret", L"Interpret", L"Artist"},
      {txCaption, "s_titel", L"Titel", L"Title"},
      {txCaption, "s_laenge", L"L\u00E4nge", L"Length"},
      {txCaption, "s_album", L"Album", L"Album"},
      {txCaption, "s_track", L"Track", L"Track"},
      {txCaption, "s_jahr", L"Jahr", L"Year"},
      {txCaption, "s_datei", L"Pfad", L"Path"},
      {txCaption, "rb_alle", L"Alle/Keine Markieren", L"Select All/None"},
      {txCaption, "Label3", L"Suche nach:", L"Search For:"},
      {txCaption, "cb_suchen", L"Suchen und Ersetzen", L"Find and Replace"},
      {txCaption, "Label1", L"Suchen nach:", L"Search For:"},
      {txCaption, "Label2", L"Ersetzen mit:", L"Replace With:"},
      {txCaption, "cb_html", L"HTML Tabelle erstellen", L"Create HTML Table"},
      {txCaption, "cb_einst", L"Einstellungen anzeigen", L"Show Settings"},
      {txCaption, "cb_sort", L"Liste Sortieren", L"Sort List"},
      {txCaption, "cb_doppeltweg", L"Doppelte Eintr\u00E4ge entfernen", L"Remove Double Items"},
      {txCaption, "cb_autodel", L"Alte Liste \u00FCberschreiben", L"Replace old List"},
      {txCaption, "cb_leereweg", L"Leere Eintr\u00E4ge entfernen", L"Remove empty Items"},
      {txCaption, "cb_autoupdate", L"Automatisches Update", L"Auto Update"},
      {txCaption, "cb_nullen", L"F\u00FChrende Nullen bei %123%", L"Left-Hand Zeros at %123%"},
      {txCaption, "Schreiben", L"Liste Schreiben", L"Write List"},
      {txCaption, "Speichern", L"Liste Speichern", L"Save List"},
      {txCaption, "DelOutput", L"Liste L\u00F6schen", L"Delete List"},
      {txCaption, "Button14", L"Zwischenablage", L"Copy to Clipboard"},
      {txCaption, "formstr", L"%interpret% - %titel%", L"%artist% - %title%"},
  };
  const std::string Sprache = start->spr->Caption();
  if (Sprache != "de" && Sprache != "en") return;
  FensterTexteSetzen(this, Texte, Sprache);
  formstr->Items()->Clear();
  FormatMerken(
      Sprache == "de"
          ? L"%interpret%%tab%%titel%%tab%%l\u00E4nge%%tab%%album%%tab%%track%%tab%%jahr%%tab%%genre%"
          : L"%artist%%tab%%title%%tab%%length%%tab%%album%%tab%%track%%tab%%year%%tab%%genre%");
}
