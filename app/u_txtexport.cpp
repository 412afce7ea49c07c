#include "app/u_txtexport.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <thread>

#include "Imports/UCodeClipBrd.h"
#include "Imports/UCodeSysUtils.h"
#include "Imports/u_WideFunc.h"
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

// Text as text of a line: markers that it brings along become U+FFFD. Character by character, as a copy
// of a few characters asks the runtime library.
wchar_t* FeldSchreiben(std::wstring_view Text, wchar_t* Ziel) {
  for (const wchar_t C : Text) *Ziel++ = IstMarke(C) ? L'\uFFFD' : C;
  return Ziel;
}

// Character by character: a copy of a few characters asks the runtime library.
wchar_t* Schreiben(std::wstring_view Text, wchar_t* Ziel) {
  for (const wchar_t C : Text) *Ziel++ = C;
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

constexpr std::wstring_view ZeilenEnde = L"\r\n"sv;

// The lines one after another in one text, so that a hundred thousand lines cost no hundred thousand
// allocations, and sorting and removing move only the stretches. Each line is followed by its line end:
// an export in the songs' order with nothing to put in is the text as it was built.
struct TZeilen {
  std::wstring Text;
  std::vector<TStrecke> Strecken;  // in the order of the lines

  std::wstring_view Zeile(const TStrecke& S) const { return {Text.data() + S.Von, S.Laenge}; }
  // Ends the line that Text took on from Von.
  void Abschliessen(size_t Von) {
    Strecken.push_back({Von, Text.size() - Von});
    Text += ZeilenEnde;
  }
  // True when the lines are still the whole text in their order.
  bool WieGebaut() const {
    size_t Von = 0;
    for (const TStrecke& S : Strecken) {
      if (S.Von != Von) return false;
      Von += S.Laenge + ZeilenEnde.size();
    }
    return Von == Text.size();
  }
};

// Writes the song's line to Ziel, which has room for Hoechstens(S, Format); returns its end.
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

// The room a song's line and its line end take at most: the file name counts as the whole path.
size_t Hoechstens(const Song& S, const TExportFormat& Format) {
  size_t Summe = ZeilenEnde.size();
  for (const int32_t Code : Format.Codes)
    Summe += Code == tcNummer || Code == tcTab ? 1
             : Code == tcDateiname             ? S[sfPath].size()
             : Code < tcDateiname              ? S[Code - 1].size()
                                               : Format.Stuecke[Code - tcErstesStueck].size();
  return Summe;
}

TZeilen Bauen(const TWideSongArray& Songs, const TExportOptionen& O, const TExportFormat& Format) {
  std::vector<const Song*> Gefiltert;
  Gefiltert.reserve(Songs.size());
  size_t Platz = 0;
  for (const Song& S : Songs)
    if (PassesFilter(S, O)) {
      Gefiltert.push_back(&S);
      Platz += Hoechstens(S, Format);
    }
  TZeilen Z;
  Z.Text.resize(Platz);
  Z.Strecken.reserve(Gefiltert.size());
  wchar_t* Ziel = Z.Text.data();
  for (const Song* S : Gefiltert) {
    wchar_t* Ende = ZeileSchreiben(*S, Format, Ziel);
    Z.Strecken.push_back({static_cast<size_t>(Ziel - Z.Text.data()), static_cast<size_t>(Ende - Ziel)});
    Ziel = Schreiben(ZeilenEnde, Ende);
  }
  Z.Text.resize(static_cast<size_t>(Ziel - Z.Text.data()));
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

// Runs Machen(Von, Bis) over the numbers below Anzahl, shared out among the processors when there are
// many: the platform takes about a microsecond a sort key.
template <typename TMachen>
void Verteilt(size_t Anzahl, const TMachen& Machen) {
  constexpr size_t JeFaden = 4096;
  const size_t Faeden =
      std::clamp<size_t>(Anzahl / JeFaden, 1, std::max(1u, std::thread::hardware_concurrency()));
  const size_t Stueck = (Anzahl + Faeden - 1) / Faeden;
  std::vector<std::exception_ptr> Fehler(Faeden);
  {
    std::vector<std::jthread> Helfer;
    for (size_t F = 1; F < Faeden; ++F)
      Helfer.emplace_back([&, F] {
        try {
          Machen(F * Stueck, std::min(Anzahl, (F + 1) * Stueck));
        } catch (...) {
          Fehler[F] = std::current_exception();
        }
      });
    Machen(0, std::min(Anzahl, Stueck));
  }
  for (const std::exception_ptr& E : Fehler)
    if (E) std::rethrow_exception(E);
}

// The first level of a sort key: its bytes before the first byte below 2, which ends that level and is
// below every byte of it. Keys whose first levels differ are in the order of these alone.
std::string_view ErsteStufe(std::string_view Key) {
  const auto Ende = std::find_if(Key.begin(), Key.end(), [](char C) { return static_cast<uint8_t>(C) < 2; });
  return Key.substr(0, static_cast<size_t>(Ende - Key.begin()));
}

// The first levels of single characters, learned from the platform, so that a line over them needs no
// key of its own: its first level is theirs one after another. That holds unless letters sort together
// (as "cs" in Hungarian), which would show in a text of every pair of them; then no character is known.
class TErsteStufen {
 public:
  // For the characters of Texte.
  explicit TErsteStufen(const TZeilen& Texte) : FStufe(0x10000), FLaenge(0x10000) {
    std::vector<uint8_t> Gesehen(0x10000);
    std::vector<wchar_t> Zeichen;
    for (const TStrecke& S : Texte.Strecken)
      for (const wchar_t C : Texte.Zeile(S)) {
        if (Gesehen[C]) continue;
        Gesehen[C] = 1;
        Zeichen.push_back(C);
      }
    if (Zeichen.size() > GroessteZahl) return;
    std::erase_if(Zeichen, [this](wchar_t C) { return !Lernen(C); });
    std::wstring Paare;
    for (const wchar_t C : Zeichen)
      for (const wchar_t D : Zeichen) Paare += {C, D};
    if (ErsteStufe(Sortierschluessel(Paare)) == Stufe(Paare)) return;
    std::fill(FLaenge.begin(), FLaenge.end(), 0);
    FGroesste = 0;
  }

  // The room that the first level of a text of Zeichen characters takes at most, eight bytes more
  // included.
  size_t Platz(size_t Zeichen) const { return Zeichen * FGroesste + 8; }

  // Writes the first level of Text to Ziel, which has room for Platz(Text.size()); returns its end, or
  // nullptr when a character of Text is not known.
  char* Schreiben(std::wstring_view Text, char* Ziel) const {
    for (const wchar_t C : Text) {
      if (FLaenge[C] == 0) return nullptr;
      std::memcpy(Ziel, &FStufe[C], 8);
      Ziel += FLaenge[C] - 1;
    }
    return Ziel;
  }

 private:
  // More would make the text of all pairs take longer than the keys it spares.
  static constexpr size_t GroessteZahl = 300;

  // The end of text, surrogates and characters whose first level is longer than eight bytes stay unknown.
  bool Lernen(wchar_t C) {
    if (C == 0 || (C >= 0xD800 && C <= 0xDFFF)) return false;
    const std::string Key = Sortierschluessel(std::wstring(1, C));
    const std::string_view Erste = ErsteStufe(Key);
    if (Erste.size() > 8) return false;
    std::memcpy(&FStufe[C], Erste.data(), Erste.size());
    FLaenge[C] = static_cast<uint8_t>(Erste.size() + 1);  // 0 stands for unknown
    FGroesste = std::max(FGroesste, Erste.size());
    return true;
  }

  std::string Stufe(std::wstring_view Text) const {
    std::string Out(Platz(Text.size()), '\0');
    Out.resize(static_cast<size_t>(Schreiben(Text, Out.data()) - Out.data()));
    return Out;
  }

  std::vector<uint64_t> FStufe;  // the first level's bytes in memory order
  std::vector<uint8_t> FLaenge;  // its length plus one
  size_t FGroesste = 0;          // the longest first level of a character
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

// The lines as they read: their markers as their placeholders.
TZeilen Lesbare(const TZeilen& Z) {
  TZeilen L;
  L.Text.reserve(Z.Text.size());
  for (const TStrecke& S : Z.Strecken) {
    const size_t Von = L.Text.size();
    for (const wchar_t C : Z.Zeile(S)) {
      if (C == MarkeNummer)
        L.Text += NummerText;
      else if (C == MarkeTab)
        L.Text += TabText;
      else
        L.Text += C;
    }
    L.Abschliessen(Von);
  }
  return L;
}

// What the sort knows of each line: the first level of its key, and the platform's whole key where the
// characters' first levels do not give it or two lines are equal at it.
struct TSortDaten {
  std::unique_ptr<char[]> Erste;  // the first levels that come from the characters'
  std::vector<std::string_view> Stufe;
  std::vector<std::string> Voll;
};

// The platform's whole keys of the lines Welche.
void VolleSchluessel(TSortDaten& D, const std::vector<size_t>& Welche, const TZeilen& Texte) {
  Verteilt(Welche.size(), [&](size_t Von, size_t Bis) {
    std::wstring Zeile;  // the platform reads a line up to a terminating zero
    for (size_t I = Von; I < Bis; ++I) {
      Zeile.assign(Texte.Zeile(Texte.Strecken[Welche[I]]));
      D.Voll[Welche[I]] = Sortierschluessel(Zeile);
    }
  });
}

TSortDaten ErsteStufen(const TZeilen& Texte) {
  const TErsteStufen Stufen(Texte);
  const size_t Anzahl = Texte.Strecken.size();
  TSortDaten D{std::make_unique_for_overwrite<char[]>(Stufen.Platz(Texte.Text.size())),
               std::vector<std::string_view>(Anzahl), std::vector<std::string>(Anzahl)};
  char* Ziel = D.Erste.get();
  std::vector<size_t> Offen;
  for (size_t I = 0; I < Anzahl; ++I) {
    char* Ende = Stufen.Schreiben(Texte.Zeile(Texte.Strecken[I]), Ziel);
    if (Ende == nullptr) {
      Offen.push_back(I);
      continue;
    }
    D.Stufe[I] = {Ziel, static_cast<size_t>(Ende - Ziel)};
    Ziel = Ende;
  }
  VolleSchluessel(D, Offen, Texte);
  for (const size_t I : Offen) D.Stufe[I] = ErsteStufe(D.Voll[I]);
  return D;
}

// A line in the sort, with the first eight bytes of its first level as a number: most comparisons end
// at that one step.
struct TSortPlatz {
  uint64_t Kopf;
  size_t Zeile;
};

// Sorts ascending by the platform's case-insensitive order, equal lines in their order. With Einmal only
// the first of equal lines stays, which is what a sorted list that ignores duplicates keeps. Most lines
// differ at the first level of their keys, which comes from the characters' own; only the others need the
// platform's keys.
void Sortieren(TZeilen& Z, bool Einmal) {
  const bool MitMarken = HatMarken(Z.Text);
  const TZeilen GelesenMitMarken = MitMarken ? Lesbare(Z) : TZeilen{};
  const TZeilen& Texte = MitMarken ? GelesenMitMarken : Z;
  TSortDaten D = ErsteStufen(Texte);
  std::vector<TSortPlatz> Plaetze(D.Stufe.size());
  for (size_t I = 0; I < Plaetze.size(); ++I) {
    uint64_t Kopf = 0;
    std::memcpy(&Kopf, D.Stufe[I].data(), std::min<size_t>(D.Stufe[I].size(), 8));
    Plaetze[I] = {__builtin_bswap64(Kopf), I};
  }
  const auto Gleich = [&D](const TSortPlatz& A, const TSortPlatz& B) {
    return A.Kopf == B.Kopf && D.Stufe[A.Zeile] == D.Stufe[B.Zeile];
  };
  std::stable_sort(Plaetze.begin(), Plaetze.end(), [&D](const TSortPlatz& A, const TSortPlatz& B) {
    return A.Kopf != B.Kopf ? A.Kopf < B.Kopf : Vergleich(D.Stufe[A.Zeile], D.Stufe[B.Zeile]) < 0;
  });

  // Runs of lines equal at the first level go by their whole keys.
  std::vector<std::pair<size_t, size_t>> Gleiche;
  std::vector<size_t> Ohne;
  for (size_t Von = 0, Bis; Von < Plaetze.size(); Von = Bis) {
    for (Bis = Von + 1; Bis < Plaetze.size() && Gleich(Plaetze[Von], Plaetze[Bis]);) ++Bis;
    if (Bis - Von < 2) continue;
    Gleiche.emplace_back(Von, Bis);
    for (size_t I = Von; I < Bis; ++I)
      if (D.Voll[Plaetze[I].Zeile].empty()) Ohne.push_back(Plaetze[I].Zeile);
  }
  VolleSchluessel(D, Ohne, Texte);
  for (const auto& [Von, Bis] : Gleiche)
    std::stable_sort(Plaetze.begin() + Von, Plaetze.begin() + Bis,
                     [&D](const TSortPlatz& A, const TSortPlatz& B) {
                       return Vergleich(D.Voll[A.Zeile], D.Voll[B.Zeile]) < 0;
                     });

  std::vector<TStrecke> Strecken;
  Strecken.reserve(Plaetze.size());
  for (size_t I = 0; I < Plaetze.size(); ++I)
    if (!Einmal || I == 0 || !Gleich(Plaetze[I - 1], Plaetze[I]) ||
        D.Voll[Plaetze[I - 1].Zeile] != D.Voll[Plaetze[I].Zeile])
      Strecken.push_back(Z.Strecken[Plaetze[I].Zeile]);
  Z.Strecken = std::move(Strecken);
}

// True when a line changed.
bool Ersetzen(TZeilen& Z, const std::wstring& Suchen, const std::wstring& Durch) {
  if (Suchen.empty() || Suchen == Durch) return false;
  const std::wstring Alt = MitMarken(Suchen);
  const std::wstring Neu = MitMarken(Durch);
  TZeilen Ersetzt;
  Ersetzt.Text.reserve(Z.Text.size());
  Ersetzt.Strecken.reserve(Z.Strecken.size());
  bool Geaendert = false;
  for (const TStrecke& S : Z.Strecken) {
    const std::wstring_view L = Z.Zeile(S);
    const size_t Von = Ersetzt.Text.size();
    if (L.find(Alt) == std::wstring_view::npos) {
      Ersetzt.Text += L;
    } else {
      Ersetzt.Text += WideStringReplaceAll(std::wstring(L), Alt, Neu);
      Geaendert = true;
    }
    Ersetzt.Abschliessen(Von);
  }
  Z = std::move(Ersetzt);
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

bool Besonders(wchar_t C, bool Html) {
  return IstMarke(C) || (Html && HtmlBesonders(C));
}

// The line's position from 1, with zeros in front up to Breite digits.
wchar_t* NummerSchreiben(size_t Nummer, size_t Breite, wchar_t* Ziel) {
  wchar_t Ziffern[24];
  wchar_t* Anfang = std::end(Ziffern);
  do {
    *--Anfang = static_cast<wchar_t>(L'0' + Nummer % 10);
    Nummer /= 10;
  } while (Nummer != 0);
  const size_t Stellen = static_cast<size_t>(std::end(Ziffern) - Anfang);
  if (Stellen < Breite) Ziel = std::fill_n(Ziel, Breite - Stellen, L'0');
  return Schreiben({Anfang, Stellen}, Ziel);
}

// A line as the export shows it.
wchar_t* ZeileAusgeben(std::wstring_view Line, size_t Nummer, size_t Breite, bool Html, wchar_t* Ziel) {
  for (const wchar_t C : Line) {
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

// The length of the export, numbers of at most Stellen digits: room made at once spares a copy of the
// whole text.
size_t Laenge(const TZeilen& Z, size_t Stellen, bool Html) {
  size_t Summe = Html ? TabelleAnfang.size() + TabelleEnde.size() : 0;
  for (const TStrecke& S : Z.Strecken) {
    Summe += S.Laenge + (Html ? ZeilenAnfangHtml.size() + ZeilenEndeHtml.size() : ZeilenEnde.size());
    for (const wchar_t C : Z.Zeile(S))
      if (Besonders(C, Html)) Summe += (C == MarkeNummer ? Stellen : Ersatz(C, Html).size()) - 1;
  }
  return Summe;
}

std::wstring Ausgeben(TZeilen&& Z, bool Nullen, bool Html) {
  if (!Html && !HatMarken(Z.Text) && Z.WieGebaut()) return std::move(Z.Text);
  // Every number marker becomes the line's position from 1, with Nullen as wide as the line count.
  const size_t Stellen = std::to_wstring(Z.Strecken.size()).size();
  const size_t Breite = Nullen ? Stellen : 0;
  std::wstring Out(Laenge(Z, Stellen, Html), L'\0');
  wchar_t* Ziel = Out.data();
  if (Html) Ziel = Schreiben(TabelleAnfang, Ziel);
  for (size_t I = 0; I < Z.Strecken.size(); ++I) {
    if (Html) Ziel = Schreiben(ZeilenAnfangHtml, Ziel);
    Ziel = ZeileAusgeben(Z.Zeile(Z.Strecken[I]), I + 1, Breite, Html, Ziel);
    Ziel = Schreiben(Html ? ZeilenEndeHtml : ZeilenEnde, Ziel);
  }
  if (Html) Ziel = Schreiben(TabelleEnde, Ziel);
  Out.resize(static_cast<size_t>(Ziel - Out.data()));  // numbers below Stellen digits
  return Out;
}

}  // namespace

std::wstring ExportText(const TWideSongArray& Songs, const TExportOptionen& O) {
  TExportFormat Format = ParseFormat(O.Format);
  for (std::wstring& Stueck : Format.Stuecke) Stueck = OhneMarken(Stueck);
  TZeilen Zeilen = Bauen(Songs, O, Format);
  if (O.DoppelteWeg) Sortieren(Zeilen, true);
  const bool Ersetzt = O.Ersetzen && Ersetzen(Zeilen, O.Suchen, O.ErsetzenDurch);
  // Without duplicates the lines are in order already, unless the replacement changed one.
  if (O.Sortieren && (!O.DoppelteWeg || Ersetzt)) Sortieren(Zeilen, false);
  if (O.LeereWeg) LeereEntfernen(Zeilen);
  return Ausgeben(std::move(Zeilen), O.Nullen, O.Html);
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

void ExportSpeichern(const std::wstring& Text, const std::wstring& FileName, int CodePage, bool Html) {
  const std::wstring Zeichensatz = HtmlZeichensatz(CodePage);
  if (Html && IstHtmlDatei(FileName) && !Zeichensatz.empty())
    WideSaveTextFile(L"<meta charset=\"" + Zeichensatz + L"\">\r\n" + Text, FileName, CodePage);
  else
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

}  // namespace

void Ttxtexport::FormCreate(TObject* /*Sender*/) {
  LocalSpr();
  for (TPanel* Panel : {pa_suchen, pa_einghilfe, pa_html, pa_einst, pa_filter}) Panel->SetHeight(Zugeklappt);
}

void Ttxtexport::AutoUpdate(TObject* /*Sender*/) {
  // A format still being typed is no format of the history yet.
  if (cb_autoupdate->Checked() && FBoxenSetzen == 0) ListeSchreiben();
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
  return TextLesen(output);
}

void Ttxtexport::AusgabeSetzen(const std::wstring& Text) {
  CaptionSetzen(output, Text);
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
