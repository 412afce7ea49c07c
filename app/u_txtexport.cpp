#include "app/u_txtexport.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <numeric>
#include <optional>
#include <thread>
#include <vector>

#include "Imports/UCodeClipBrd.h"
#include "Imports/UCodeSysUtils.h"
#include "Imports/u_WideFunc.h"
#include "app/ExportSort.h"
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

// True when one of the four characters of W is C: the classic test for a zero lane, after C's lanes are
// made zero.
bool MitZeichen(uint64_t W, uint16_t C) {
  const uint64_t X = W ^ JedesZeichen(C);
  return ((X - JedesZeichen(1)) & ~X & JedesZeichen(0x8000)) != 0;
}

// True when one of the four characters of W is a marker.
bool MitMarke(uint64_t W) {
  return MitZeichen(W | JedesZeichen(1), MarkeTab);
}

// A text's "%123%" and "%tab%" become markers, the numbers first, as the number goes in before the cell
// does: of "%tab%123%" the number is left.
constexpr size_t PlatzhalterLaenge = 5;  // of either

// The marker for the placeholder that begins at Von, or 0.
wchar_t PlatzhalterBei(const wchar_t* Von, const wchar_t* Ende) {
  const std::wstring_view Rest(Von, static_cast<size_t>(Ende - Von));
  if (Rest.starts_with(NummerText)) return MarkeNummer;
  if (Rest.starts_with(TabText) && !Rest.substr(PlatzhalterLaenge - 1).starts_with(NummerText))
    return MarkeTab;
  return 0;
}

// Where the first word of four characters with a "%" begins; Ende when none has one.
const wchar_t* ErstesProzentWort(const wchar_t* Von, const wchar_t* Ende) {
  for (uint64_t W; Ende - Von >= static_cast<ptrdiff_t>(Wort); Von += Wort) {
    std::memcpy(&W, Von, sizeof W);
    if (MitZeichen(W, L'%')) return Von;
  }
  return std::find(Von, Ende, L'%') == Ende ? Ende : Von;
}

// The length of Text as text of a line.
size_t FeldLaenge(std::wstring_view Text) {
  const wchar_t* const Ende = Text.data() + Text.size();
  size_t Laenge = Text.size();
  for (const wchar_t* Von = ErstesProzentWort(Text.data(), Ende); Von != Ende;)
    if (*Von == L'%' && PlatzhalterBei(Von, Ende) != 0) {
      Laenge -= PlatzhalterLaenge - 1;
      Von += PlatzhalterLaenge;
    } else {
      ++Von;
    }
  return Laenge;
}

// Text as text of a line: its placeholders become markers, and markers that it brings along U+FFFD.
wchar_t* FeldSchreiben(std::wstring_view Text, wchar_t* Ziel) {
  const wchar_t* Von = Text.data();
  const wchar_t* const Ende = Von + Text.size();
  for (uint64_t W; Ende - Von >= static_cast<ptrdiff_t>(Wort); Von += Wort, Ziel += Wort) {
    std::memcpy(&W, Von, sizeof W);
    if (MitMarke(W) || MitZeichen(W, L'%')) break;  // seldom: the rest a character at a time
    std::memcpy(Ziel, &W, sizeof W);
  }
  while (Von != Ende) {
    const wchar_t Marke = *Von == L'%' ? PlatzhalterBei(Von, Ende) : 0;
    if (Marke != 0) {
      *Ziel++ = Marke;
      Von += PlatzhalterLaenge;
    } else {
      *Ziel++ = IstMarke(*Von) ? L'\uFFFD' : *Von;
      ++Von;
    }
  }
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

// A typed search or replacement text, or a literal piece of the format: its placeholders are markers, as
// in a line (a literal piece holds none).
std::wstring MitMarken(const std::wstring& Text) {
  std::wstring Result(Text.size(), L'\0');
  Result.resize(static_cast<size_t>(FeldSchreiben(Text, Result.data()) - Result.data()));
  return Result;
}

// The file-name part of a path: the text after its last "\" or ":".
std::wstring_view Dateiname(std::wstring_view Path) {
  const size_t Cut = Path.find_last_of(L"\\:");
  return Cut == std::wstring_view::npos ? Path : Path.substr(Cut + 1);
}

// A field's HTML characters between Von and Bis become their markers, and markers that it brings along
// U+FFFD. The HTML characters lie below the letters, the markers above them.
void HtmlMarkieren(wchar_t* Von, const wchar_t* Bis) {
  for (; Von != Bis; ++Von) {
    const wchar_t C = *Von;
    if (C > L'>') {
      if (IstHtmlMarke(C)) *Von = L'\uFFFD';
    } else if (C == L'&' || C == L'<' || C == L'>' || C == L'"') {
      *Von = static_cast<wchar_t>(MarkeUnd + HtmlZeichen.find(C));
    }
  }
}

// Text that the user typed, for an HTML export: HTML markers in it are no field's characters.
std::wstring OhneHtmlMarken(std::wstring Text) {
  std::ranges::replace_if(Text, IstHtmlMarke, L'\uFFFD');
  return Text;
}

// Writes the song's line to Ziel, which has room for it; returns its end. With Html the fields' HTML
// characters are markers.
wchar_t* ZeileSchreiben(const Song& S, const TExportFormat& Format, bool Html, wchar_t* Ziel) {
  for (const int32_t Code : Format.Codes) {
    wchar_t* const Von = Ziel;
    if (Code == tcNummer)
      *Ziel++ = MarkeNummer;
    else if (Code == tcTab)
      *Ziel++ = MarkeTab;
    else if (Code == tcDateiname)
      Ziel = FeldSchreiben(Dateiname(S[sfPath]), Ziel);
    else if (Code < tcDateiname)
      Ziel = FeldSchreiben(S[Code - 1], Ziel);
    else
      Ziel = Schreiben(Format.Stuecke[Code - tcErstesStueck], Ziel);  // made text of a line already
    if (Html && Code > tcNummer && Code < tcTab) HtmlMarkieren(Von, Ziel);
  }
  return Ziel;
}

// The length of a song's line with its line end, where the parts write it; FeldMarken is set when a
// field brings a placeholder.
size_t ZeilenLaenge(const Song& S, const TExportFormat& Format, bool& FeldMarken) {
  size_t Summe = ZeilenEnde.size();
  for (const int32_t Code : Format.Codes) {
    if (Code == tcNummer || Code == tcTab) {
      ++Summe;
    } else if (Code > tcDateiname) {
      Summe += Format.Stuecke[Code - tcErstesStueck].size();
    } else {
      const std::wstring_view Feld = Code == tcDateiname ? Dateiname(S[sfPath]) : S[Code - 1];
      const size_t Laenge = FeldLaenge(Feld);
      FeldMarken = FeldMarken || Laenge != Feld.size();
      Summe += Laenge;
    }
  }
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
  Z.MitMarken = Z.Nummern + Z.Tabs > 0 || O.Html;
  const std::vector<size_t> G = Grenzen(Songs.size());
  const size_t Teile = G.size() - 1;
  TUngenulltListe<size_t> Laengen(Songs.size());  // 0 for a song that the filter leaves out
  std::vector<size_t> Zeichen(Teile + 1), Zeilen(Teile + 1);
  std::vector<uint8_t> FeldMarken(Teile);
  const std::vector<int> Gelesen = Felder(Format);
  Parallel(Teile, [&](size_t T) {
    size_t Summe = 0, Anzahl = 0;  // not in the shared vectors: parts side by side would share their memory
    bool Marken = false;
    for (size_t I = G[T]; I < G[T + 1]; ++I) {
      if (I + Voraus < G[T + 1]) SongVorholen(Songs[I + Voraus], Gelesen);
      if (I + Voraus / 2 < G[T + 1]) TexteVorholen(Songs[I + Voraus / 2], Gelesen);
      Laengen[I] = 0;
      if (!PassesFilter(Songs[I], O)) continue;
      Laengen[I] = ZeilenLaenge(Songs[I], Format, Marken);
      Summe += Laengen[I];
      ++Anzahl;
    }
    Zeichen[T + 1] = Summe;
    Zeilen[T + 1] = Anzahl;
    FeldMarken[T] = Marken;
  });
  // Markers from the fields differ from line to line.
  if (std::ranges::find(FeldMarken, 1) != FeldMarken.end()) {
    Z.MitMarken = true;
    Z.Nummern = Z.Tabs = -1;
  }
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
      Schreiben(ZeilenEnde, ZeileSchreiben(Songs[I], Format, O.Html, Z.Text.get() + Von));
      *Strecke = {Von, Laengen[I] - ZeilenEnde.size()};
      if (Sammeln) Hinzufuegen(Z.Zeile(*Strecke), Z.Zeichen[T]);
      ++Strecke;
      Von += Laengen[I];
    }
  });
  return Z;
}

// Where Alt next occurs in L from Ab on; with Html a field's HTML marker matches its character.
size_t Finden(std::wstring_view L, std::wstring_view Alt, size_t Ab, bool Html) {
  if (!Html) return L.find(Alt, Ab);
  const auto Stelle = std::search(L.begin() + static_cast<ptrdiff_t>(Ab), L.end(), Alt.begin(), Alt.end(),
                                  [](wchar_t A, wchar_t B) { return Klar(A) == B; });
  return Stelle == L.end() ? std::wstring_view::npos : static_cast<size_t>(Stelle - L.begin());
}

// L with every occurrence of Alt, from left to right, replaced by Neu.
std::wstring AllesErsetzt(std::wstring_view L, std::wstring_view Alt, std::wstring_view Neu, bool Html) {
  std::wstring Result;
  size_t Von = 0;
  for (size_t Bei; (Bei = Finden(L, Alt, Von, Html)) != std::wstring_view::npos; Von = Bei + Alt.size()) {
    Result += L.substr(Von, Bei - Von);
    Result += Neu;
  }
  Result += L.substr(Von);
  return Result;
}

// True when a line changed. The replacement goes in as typed: in HTML it is the user's markup.
bool Ersetzen(TZeilen& Z, const std::wstring& Suchen, const std::wstring& Durch, bool Html) {
  if (Suchen.empty() || Suchen == Durch) return false;
  const std::wstring Alt = OhneHtmlMarken(MitMarken(Suchen));
  const std::wstring Neu = OhneHtmlMarken(MitMarken(Durch));
  std::wstring Text;
  Text.reserve(Z.Laenge);
  TStreckenListe Strecken;
  Strecken.reserve(Z.Strecken.size());
  bool Geaendert = false;
  for (const TStrecke& S : Z.Strecken) {
    const std::wstring_view L = Z.Zeile(S);
    const size_t Von = Text.size();
    if (Finden(L, Alt, 0, Html) == std::wstring_view::npos) {
      Text += L;
    } else {
      Text += AllesErsetzt(L, Alt, Neu, Html);
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

// What a marker that is not numbered stands for in the export: a field's HTML character escaped.
std::wstring_view Ersatz(wchar_t C, bool Html) {
  switch (C) {
    case MarkeNummer:
      return NummerText;
    case MarkeTab:
      return Html ? L"</td><td>"sv : TabText;
    case MarkeUnd:
      return L"&amp;"sv;
    case MarkeUnd + 1:
      return L"&lt;"sv;
    case MarkeUnd + 2:
      return L"&gt;"sv;
    default:
      return L"&quot;"sv;
  }
}

bool Besonders(wchar_t C, bool Html) {
  return IstMarke(C) || (Html && IstHtmlMarke(C));
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

// A line as the export shows it; with Nummerieren its number markers become Nummer.
wchar_t* ZeileAusgeben(std::wstring_view Line, size_t Nummer, size_t Breite, bool Nummerieren, bool Html,
                       wchar_t* Ziel) {
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
    else if (C == MarkeNummer && Nummerieren)
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

// The number of digits of Nummer.
size_t Stellen(size_t Nummer) {
  size_t N = 1;
  for (; Nummer >= 10; Nummer /= 10) ++N;
  return N;
}

// What the format's markers add to a line when its number marker shows NummerBreite characters.
size_t MarkenZusatz(const TZeilen& Z, size_t NummerBreite) {
  return static_cast<size_t>(Z.Nummern) * (NummerBreite - 1) +
         static_cast<size_t>(Z.Tabs) * (TabText.size() - 1);
}

// The length of line I as the export shows it, its number Breite digits at least: without looking at it,
// when it holds only the markers that every line does.
size_t AusgabeLaenge(const TZeilen& Z, size_t I, size_t Breite, bool Nummerieren, bool Html) {
  const std::wstring_view Line = Z.Zeile(Z.Strecken[I]);
  const auto NummerBreite = [&] {
    return Nummerieren ? std::max(Breite, Stellen(I + 1)) : NummerText.size();
  };
  if (!Html && Z.Nummern >= 0) return Line.size() + MarkenZusatz(Z, Z.Nummern == 0 ? 1 : NummerBreite());
  size_t Summe = Line.size();
  for (const wchar_t C : Line)
    if (Besonders(C, Html)) Summe += (C == MarkeNummer ? NummerBreite() : Ersatz(C, Html).size()) - 1;
  return Summe;
}

// The room that the export of the lines as built, not as HTML, takes at most, whatever their order and
// however many of them go, when every line holds the same markers.
size_t Hoechstens(const TZeilen& Z, bool Nummerieren) {
  return Z.Laenge +
         Z.Strecken.size() * MarkenZusatz(Z, Nummerieren ? Stellen(Z.Strecken.size()) : NummerText.size());
}

// The export of the lines, written in parts side by side: first each part's length, then each part where
// it belongs. Out is the room for it, made and cleared already when it is big enough.
std::wstring Ausgeben(TZeilen&& Z, bool Nullen, bool Nummerieren, bool Html, std::wstring Out) {
  if (!Html && !Z.MitMarken && Z.WieGebaut()) return std::wstring(Z.Text.get(), Z.Laenge);
  // With Nummerieren every number marker becomes the line's position from 1, with Nullen as wide as the
  // line count.
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
    for (size_t I = G[T]; I < G[T + 1]; ++I) Summe += Rahmen + AusgabeLaenge(Z, I, Breite, Nummerieren, Html);
    Laengen[T + 1] = Summe;
  });
  std::partial_sum(Laengen.begin(), Laengen.end(), Laengen.begin());
  if (Out.size() < Anfang.size() + Laengen[Teile] + Ende.size()) {
    Out.clear();
    Out.reserve(Anfang.size() + Laengen[Teile] + Ende.size());
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
      Ziel = Einfach ? Schreiben(Line, Ziel) : ZeileAusgeben(Line, I + 1, Breite, Nummerieren, Html, Ziel);
      Ziel = Schreiben(Schluss, Ziel);
    }
  });
  return Out;
}

}  // namespace

TExportRohbau ExportRohbau(const TWideSongArray& Songs, const TExportOptionen& O) {
  TExportFormat Format = ParseFormat(O.Format);
  for (std::wstring& Stueck : Format.Stuecke)
    Stueck = O.Html ? OhneHtmlMarken(MitMarken(Stueck)) : MitMarken(Stueck);
  return {O, Bauen(Songs, O, Format, O.Sortieren || O.DoppelteWeg)};
}

std::wstring ExportFertig(TExportRohbau R) {
  const TExportOptionen& O = R.O;
  TZeilen& Zeilen = R.Zeilen;
  // Lines are numbered when the format's text holds the number's placeholder, whatever brought the markers.
  const bool Nummerieren = O.Format.find(NummerText) != std::wstring::npos;
  // The room for a sorted export is made and cleared beside the sort, when it is known before.
  std::wstring Out;
  std::optional<TNebenbei> Raum;
  if ((O.Sortieren || O.DoppelteWeg) && !O.Html && !O.Ersetzen && Zeilen.Nummern >= 0)
    Raum.emplace([&Out, N = Hoechstens(Zeilen, Nummerieren)] { Out.resize(N); });
  if (O.DoppelteWeg) Sortieren(Zeilen, true);
  const bool Ersetzt = O.Ersetzen && Ersetzen(Zeilen, O.Suchen, O.ErsetzenDurch, O.Html);
  // Without duplicates the lines are in order already, unless the replacement changed one.
  if (O.Sortieren && (!O.DoppelteWeg || Ersetzt)) Sortieren(Zeilen, false);
  if (O.LeereWeg) LeereEntfernen(Zeilen);
  if (Raum) Raum->Warten();
  return Ausgeben(std::move(Zeilen), O.Nullen, Nummerieren, O.Html, std::move(Out));
}

std::wstring ExportText(const TWideSongArray& Songs, const TExportOptionen& O) {
  return ExportFertig(ExportRohbau(Songs, O));
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

void ExportSpeichern(const std::wstring& Text, const std::wstring& FileName, int CodePage) {
  WideSaveTextFile(Text, FileName, CodePage);
}

// ---------------------------------------------------------------------------------------------------------
// The window

// One change's build: its lines made, the rest on a thread of its own.
struct Ttxtexport::TBau {
  TExportRohbau Rohbau;
  bool Anhaengen;          // its table goes below the memo's text
  bool Verworfen = false;  // a later change replaces it
  std::wstring Text;
  std::exception_ptr Fehler;
  std::atomic<bool> Fertig{false};
  std::thread Faden;

  TBau(TExportRohbau R, bool A) : Rohbau(std::move(R)), Anhaengen(A) {}
  ~TBau() {
    if (Faden.joinable()) Faden.join();
  }
  void Starten() {
    Faden = std::thread([this] {
      try {
        Text = ExportFertig(std::move(Rohbau));
      } catch (...) {
        Fehler = std::current_exception();
      }
      Fertig = true;
    });
  }
};

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

// How long the user pauses before a change to a long playlist's export is built, in milliseconds.
constexpr unsigned kPause = 300;
// Up to this many songs a build takes a few milliseconds: it is made at once.
constexpr size_t kKurzeListe = 1000;
// A text up to this length goes into the memo at once; the memo takes it within a few milliseconds.
constexpr size_t kAufEinmal = 16384;
// The time a piece may take, in milliseconds: input waits no longer than that. The memo takes about a
// millisecond for any piece however short, besides its characters.
constexpr double kStueckZeit = 30;
constexpr double kFesteZeit = 1;

// Wine's edit control takes no notice of WM_SETREDRAW and paints all the lines it holds after each piece,
// which costs more than the piece: the default handling (the window not shown meanwhile) is asked too.
void Zeichnen(HWND Memo, bool An) {
  SendMessageW(Memo, WM_SETREDRAW, An, 0);
  DefWindowProcW(Memo, WM_SETREDRAW, An, 0);
}

double Millisekunden(LARGE_INTEGER Von, LARGE_INTEGER Bis) {
  LARGE_INTEGER Frequenz;
  QueryPerformanceFrequency(&Frequenz);
  return static_cast<double>(Bis.QuadPart - Von.QuadPart) * 1000.0 / static_cast<double>(Frequenz.QuadPart);
}

}  // namespace

void Ttxtexport::FormCreate(TObject* /*Sender*/) {
  // First: the language's texts change the format box, whose change asks for an update.
  FPause = new TTimer(this);
  FPause->SetEnabled(false);
  FPause->SetInterval(kPause);
  FPause->SetOnTimer([this](TObject* Sender) { PauseZuEnde(Sender); });
  // A timer's turn comes when no input waits, so the pieces go in between the user's keys and clicks.
  FStueckweise = new TTimer(this);
  FStueckweise->SetEnabled(false);
  FStueckweise->SetInterval(1);
  FStueckweise->SetOnTimer([this](TObject* Sender) { Weiter(Sender); });
  LocalSpr();
  for (TPanel* Panel : {pa_suchen, pa_einghilfe, pa_html, pa_einst, pa_filter}) Panel->SetHeight(Zugeklappt);
}

Ttxtexport::~Ttxtexport() = default;

void Ttxtexport::AutoUpdate(TObject* /*Sender*/) {
  // A format still being typed is no format of the history yet.
  if (!cb_autoupdate->Checked() || FBoxenSetzen != 0) return;
  // Where each change appends its table, each change is built.
  const bool Anhaengen = cb_html->Checked() && !cb_autodel->Checked();
  if (AlleSongs.size() > kKurzeListe && !Anhaengen)
    NachPauseSchreiben();
  else
    ListeSchreiben();
}

void Ttxtexport::NachPauseSchreiben() {
  FPause->SetEnabled(false);
  FPause->SetEnabled(true);
  Takt();
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
  const bool Anhaengen = O.Html && !cb_autodel->Checked();
  // Always every song of the playlist, whatever the player window's search shows; read here, as the
  // songs change on this thread.
  TExportRohbau Rohbau = ExportRohbau(AlleSongs, O);
  if (FBauten.empty() && AlleSongs.size() <= kKurzeListe) {
    Abliefern(ExportFertig(std::move(Rohbau)), Anhaengen);
  } else {
    if (!Anhaengen) Verwerfen();
    FBauten.push_back(std::make_unique<TBau>(std::move(Rohbau), Anhaengen));
    if (FBauten.size() == 1) FBauten.front()->Starten();
  }
  Takt();
}

void Ttxtexport::Weiter(TObject* /*Sender*/) {
  while (!FBauten.empty() && FBauten.front()->Fertig) {
    const std::unique_ptr<TBau> B = std::move(FBauten.front());
    FBauten.pop_front();
    if (B->Faden.joinable()) B->Faden.join();
    if (!FBauten.empty()) FBauten.front()->Starten();
    if (B->Fehler) std::rethrow_exception(B->Fehler);
    // A change waiting for the pause replaces it.
    if (!B->Verworfen && (B->Anhaengen || !FPause->Enabled())) Abliefern(B->Text, B->Anhaengen);
  }
  if (FFuellend && !FPause->Enabled()) StueckFuellen();
  Takt();
}

void Ttxtexport::Verwerfen() {
  if (FBauten.empty()) return;
  FBauten.resize(1);  // the first runs: its end is waited for
  FBauten.front()->Verworfen = true;
}

void Ttxtexport::AllesFertig() {
  if (FPause->Enabled()) ListeSchreiben();
  while (!FBauten.empty()) {
    FBauten.front()->Faden.join();
    Weiter(nullptr);
  }
}

void Ttxtexport::Abliefern(const std::wstring& Text, bool Anhaengen) {
  Fuellen(Anhaengen ? MitZeilenEnde(MemoText()) + Text : Text);
}

void Ttxtexport::Takt() {
  FStueckweise->SetEnabled(!FBauten.empty() || (FFuellend && !FPause->Enabled()));
  KommtZeigen(FPause->Enabled() || !FBauten.empty() || FFuellend);
}

void Ttxtexport::KommtZeigen(bool An) {
  if (An == FKommt) return;
  FKommt = An;
  if (!An) {
    CaptionSetzen(this, FTitel);
    return;
  }
  FTitel = TextLesen(this);
  CaptionSetzen(this, FTitel + (start->spr->Caption() == "de" ? L" \u2013 neue Liste folgt \u2026"
                                                              : L" \u2013 new list coming \u2026"));
}

void Ttxtexport::DelOutputClick(TObject* /*Sender*/) {
  AusgabeSetzen(L"");
}

void Ttxtexport::Button14Click(TObject* /*Sender*/) {
  UCodeClipboard()->SetAsWideText(AusgabeText());
}

std::wstring Ttxtexport::AusgabeText() {
  AllesFertig();
  return MemoText();
}

std::wstring Ttxtexport::MemoText() const {
  return FFuellend ? FZiel : TextLesen(output);
}

void Ttxtexport::AusgabeSetzen(const std::wstring& Text) {
  FPause->SetEnabled(false);
  Verwerfen();
  Fuellen(Text);
  Takt();
}

void Ttxtexport::Fuellen(const std::wstring& Text) {
  const bool Kurz = Text.size() <= kAufEinmal;
  // A fill that a long text follows stays hidden: showing what it holds would paint it all for nothing.
  if (FFuellend && Kurz) FuellenBeenden();
  FZiel.clear();
  if (Kurz) {
    CaptionSetzen(output, Text);
    return;
  }
  // Not drawn while it grows, so that it neither jumps to each new end nor paints each piece; nor typed
  // into, which would mix the user's text into the pieces.
  const HWND Memo = output->Handle();
  if (!FFuellend) {
    Zeichnen(Memo, false);
    SendMessageW(Memo, EM_SETREADONLY, TRUE, 0);
  }
  SendMessageW(Memo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
  SendMessageW(Memo, EM_SETLIMITTEXT, 0, 0);
  FZiel = Text;
  FGefuellt = 0;
  FFuellend = true;
}

void Ttxtexport::StueckFuellen() {
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
  FuellenBeenden();
  FZiel.clear();
}

void Ttxtexport::FuellenBeenden() {
  FFuellend = false;
  const HWND Memo = output->Handle();
  SendMessageW(Memo, EM_SETREADONLY, output->ReadOnly(), 0);
  SendMessageW(Memo, EM_SETSEL, 0, 0);
  Zeichnen(Memo, true);
  SendMessageW(Memo, EM_SCROLLCARET, 0, 0);
  RedrawWindow(Memo, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE);
}

void Ttxtexport::SpeichernClick(TObject* /*Sender*/) {
  sd->SetFileName(ExportVorgabeName(start->spr->Caption(), cb_html->Checked()));
  if (!sd->Execute() || sd->FileName().empty()) return;
  ListeSpeichern(sd->FileName(), sd->FilterIndex);
}

void Ttxtexport::ListeSpeichern(const std::wstring& Gewaehlt, int Dateityp) {
  const bool Html = cb_html->Checked();
  const std::wstring Name = ExportDateiName(Gewaehlt, Html, Dateityp);
  if (ErsetzenErlaubt(Name)) ExportSpeichern(MitZeilenEnde(AusgabeText()), Name, AusgabeKodierung);
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
  KommtZeigen(false);  // told again below in the new language
  FensterTexteSetzen(this, Texte, Sprache);
  formstr->Items()->Clear();
  FormatMerken(
      Sprache == "de"
          ? L"%interpret%%tab%%titel%%tab%%l\u00E4nge%%tab%%album%%tab%%track%%tab%%jahr%%tab%%genre%"
          : L"%artist%%tab%%title%%tab%%length%%tab%%album%%tab%%track%%tab%%year%%tab%%genre%");
  Takt();
}
