// The settings file "velmaro.ini" beside the program: the whole state of the player window written on
// demand or at closing, and read back on demand or at the first activation.
#include <algorithm>
#include <map>
#include <set>

#include "Imports/UCodeSysUtils.h"
#include "app/u_funktionen.h"
#include "app/u_prog.h"
#include "app/u_start.h"
#include "app/u_suchopt.h"

namespace {

// The keys of the nine list columns' widths, in column order.
constexpr const char* SpaltenSchluessel[] = {"spalte_num", "spalte_int", "spalte_tit",
                                             "spalte_lae", "spalte_alb", "spalte_tra",
                                             "spalte_jah", "spalte_gen", "spalte_dat"};
// The keys of the eight column switches, in field order.
constexpr const char* SuchspaltenSchluessel[] = {"interpret", "titel", "laenge", "album",
                                                 "track",     "jahr",  "genre",  "pfad"};
// A column narrower than this could not be found again to widen it.
constexpr int MinSpaltenBreite = 20;

// A column wider than all screens together shows nothing more, and the list view cuts a far larger width
// to a few pixels.
int MaxSpaltenBreite() {
  return std::max(MinSpaltenBreite, GetSystemMetrics(SM_CXVIRTUALSCREEN));
}

// Bounds that lie within the work area of the screen nearest to them, no larger than that area and no
// smaller than the system lets a window be: a window saved on a screen that is gone comes back.
RECT AufDemBildschirm(RECT Bounds) {
  const RECT Area = WorkAreaNear(Bounds);
  const int Breite = std::clamp<int>(Bounds.right - Bounds.left, GetSystemMetrics(SM_CXMINTRACK),
                                     std::max<int>(Area.right - Area.left, GetSystemMetrics(SM_CXMINTRACK)));
  const int Hoehe = std::clamp<int>(Bounds.bottom - Bounds.top, GetSystemMetrics(SM_CYMINTRACK),
                                    std::max<int>(Area.bottom - Area.top, GetSystemMetrics(SM_CYMINTRACK)));
  return MovedInto({Bounds.left, Bounds.top, Bounds.left + Breite, Bounds.top + Hoehe}, Area);
}

std::wstring OhneRaender(const std::wstring& S) {
  const size_t Anfang = S.find_first_not_of(L" \t");
  return Anfang == std::wstring::npos ? std::wstring()
                                      : S.substr(Anfang, S.find_last_not_of(L" \t") + 1 - Anfang);
}

// The lines of Text without their line ends (CR LF, LF).
std::vector<std::wstring> Zeilen(const std::wstring& Text) {
  std::vector<std::wstring> Result;
  for (size_t Anfang = 0; Anfang < Text.size();) {
    const size_t Ende = std::min(Text.find(L'\n', Anfang), Text.size());
    Result.push_back(Text.substr(Anfang, Ende - Anfang));
    if (!Result.back().empty() && Result.back().back() == L'\r') Result.back().pop_back();
    Anfang = Ende + 1;
  }
  return Result;
}

// The upper-cased name of a section header line; empty for any other line.
std::wstring AbschnittDerZeile(const std::wstring& Zeile) {
  const std::wstring Inhalt = OhneRaender(Zeile);
  if (Inhalt.empty() || Inhalt[0] != L'[') return {};
  return WideUpperCase(OhneRaender(Inhalt.substr(1, Inhalt.find(L']') - 1)));
}

// The upper-cased key of an ini line; empty for a comment or an empty line.
std::wstring SchluesselDerZeile(const std::wstring& Zeile) {
  const std::wstring Inhalt = OhneRaender(Zeile);
  if (Inhalt.empty() || Inhalt[0] == L';') return {};
  return WideUpperCase(OhneRaender(Inhalt.substr(0, Inhalt.find(L'='))));
}

// Where a section of the settings file stands: the line after which a new key goes (its last line that
// is not blank, else its header) and the line of each key. The profile functions read the first section
// of a name and its first key of a name, so only those count.
struct TAbschnitt {
  size_t Letzte = 0;
  std::map<std::wstring, size_t> Schluessel;
};

// The new text of the settings file: each written key's line updated where it stands, a key its section
// lacks added at the section's end, a section the file lacks added at the file's end. Every other line
// stays where it was: comments, keys and sections of other versions, and a key not written this time
// (the bounds of a maximised window) with its old value.
std::wstring EinstellungsText(const std::wstring& Alt, const std::vector<TEinstellung>& Neu) {
  std::vector<std::wstring> Text = Zeilen(Alt);
  std::set<std::wstring> Geschrieben;
  for (const TEinstellung& E : Neu) Geschrieben.insert(WideUpperCase(AnsiToWide(E.Abschnitt)));
  std::map<std::wstring, TAbschnitt> Abschnitte;
  TAbschnitt* Aktuell = nullptr;
  for (size_t I = 0; I < Text.size(); ++I) {
    if (const std::wstring Name = AbschnittDerZeile(Text[I]); !Name.empty()) {
      const bool Erster = Geschrieben.contains(Name) && !Abschnitte.contains(Name);
      Aktuell = Erster ? &Abschnitte[Name] : nullptr;
      if (Aktuell) Aktuell->Letzte = I;
    } else if (Aktuell && !OhneRaender(Text[I]).empty()) {
      Aktuell->Letzte = I;
      if (const std::wstring Key = SchluesselDerZeile(Text[I]); !Key.empty())
        Aktuell->Schluessel.emplace(Key, I);
    }
  }
  std::map<size_t, std::vector<std::wstring>> Danach;
  std::vector<std::pair<std::wstring, std::vector<std::wstring>>> NeueAbschnitte;
  for (const TEinstellung& E : Neu) {
    const std::wstring Zeile = AnsiToWide(E.Schluessel) + L"=" + AnsiToWide(E.Wert);
    const auto A = Abschnitte.find(WideUpperCase(AnsiToWide(E.Abschnitt)));
    if (A == Abschnitte.end()) {
      const std::wstring Kopf = L"[" + AnsiToWide(E.Abschnitt) + L"]";
      auto N = std::find_if(NeueAbschnitte.begin(), NeueAbschnitte.end(),
                            [&](const auto& Abschnitt) { return Abschnitt.first == Kopf; });
      if (N == NeueAbschnitte.end()) N = NeueAbschnitte.insert(N, {Kopf, {}});
      N->second.push_back(Zeile);
    } else if (const auto K = A->second.Schluessel.find(WideUpperCase(AnsiToWide(E.Schluessel)));
               K != A->second.Schluessel.end()) {
      Text[K->second] = Zeile;
    } else {
      Danach[A->second.Letzte].push_back(Zeile);
    }
  }
  std::wstring Result;
  const auto Anfuegen = [&Result](const std::wstring& Z) { Result += Z + L"\r\n"; };
  for (size_t I = 0; I < Text.size(); ++I) {
    Anfuegen(Text[I]);
    if (const auto D = Danach.find(I); D != Danach.end())
      for (const std::wstring& Z : D->second) Anfuegen(Z);
  }
  for (const auto& [Kopf, Schluessel] : NeueAbschnitte) {
    Anfuegen(Kopf);
    for (const std::wstring& Z : Schluessel) Anfuegen(Z);
  }
  return Result;
}

// The file keeps the encoding it has, as the profile functions that read it keep it; a new file is ANSI.
int EinstellungsKodierung(const std::wstring& Datei) {
  const int Kodierung = WideFileExists(Datei) ? WideGetTextFileCodePage(Datei) : cpAnsi;
  return Kodierung == cpUTF8 || Kodierung == cpUTF16LE || Kodierung == cpUTF16BE ? Kodierung : cpAnsi;
}

void Eintragen(std::vector<TEinstellung>& Ini, const char* Abschnitt, const char* Schluessel, int Wert) {
  Ini.push_back({Abschnitt, Schluessel, IntToStr(Wert)});
}

void Eintragen(std::vector<TEinstellung>& Ini, const char* Abschnitt, const char* Schluessel, bool Wert) {
  Ini.push_back({Abschnitt, Schluessel, Wert ? "1" : "0"});
}

}  // namespace

void Tprog::EinstellungenSpeichern() {
  std::vector<TEinstellung> Ini;
  FensterbereichSpeichern(Ini);
  for (int I = 0; I < std::ssize(SpaltenSchluessel); ++I)
    Eintragen(Ini, "programm", SpaltenSchluessel[I], lv->Columns()->Items(I)->Width());
  Eintragen(Ini, "wiedergabe", "zufall", zufall->Checked());
  Eintragen(Ini, "suche", "sucheoffen", msuche->Checked());
  Eintragen(Ini, "suche", "optionenoffen", suchoptpanel->Checked());
  for (int F = 0; F < SongFieldCount; ++F)
    Eintragen(Ini, "suchspalten", SuchspaltenSchluessel[F], SpaltenSchalter()[F]->Checked());
  Eintragen(Ini, "suchspalten", "alle", sp_rballes->Checked());
  Eintragen(Ini, "suchspalten", "keine", sp_rbnix->Checked());
  Eintragen(Ini, "suchspalten", "standard", sp_rbstandard->Checked());
  Eintragen(Ini, "suchkriterien", "grossklein", s_grkl->Checked());
  Eintragen(Ini, "suchkriterien", "exakt", s_strexakt->Checked());
  Eintragen(Ini, "suchkriterien", "invers", s_invers->Checked());
  Eintragen(Ini, "suchkriterien", "ganz", s_ganz->Checked());
  Eintragen(Ini, "suchkriterien", "und", s_und->Checked());
  Eintragen(Ini, "suchkriterien", "oder", s_oder->Checked());
  Ini.push_back({"einstellungen", "sprache", start->spr->Caption()});
  // One key: of two checked modes the last wins, as when each was written in turn.
  const auto Modi = SongAnzeigeModi();
  const auto Modus =
      std::find_if(Modi.rbegin(), Modi.rend(), [](const auto& M) { return M.first->Checked(); });
  if (Modus != Modi.rend()) Ini.push_back({"einstellungen", "songanzeige", Modus->second});
  Eintragen(Ini, "einstellungen", "headeranzeige", saheader->Checked());
  Eintragen(Ini, "einstellungen", "statusbaranzeige", sastatus->Checked());
  Eintragen(Ini, "einstellungen", "autosave", einstautosave->Checked());
  Eintragen(Ini, "einstellungen", "autoload", einstautoload->Checked());
  // Written whole and then put in place of the old file, so that a program ended at any moment leaves
  // the old settings or the new ones.
  const std::wstring Datei = EinstellungsDatei();
  try {
    std::wstring Alt;
    if (WideFileExists(Datei)) WideLoadTextFile(Datei, Alt);
    WideSaveTextFile(EinstellungsText(Alt, Ini), Datei, EinstellungsKodierung(Datei));
  } catch (const Exception& E) {
    throw EIniFileException(
        Sprachtext(L"Die Einstellungen wurden nicht gespeichert, die Datei bleibt, wie sie war.\n\n",
                   L"The settings were not saved; the file is left as it was.\n\n") +
        E.Message());
  }
}

void Tprog::FensterbereichSpeichern(std::vector<TEinstellung>& Ini) {
  // A minimised window's own bounds are the icon's: the bounds it comes back to are stored instead.
  WINDOWPLACEMENT Platz{};
  Platz.length = sizeof Platz;
  const bool Minimiert = WindowState() == wsMinimized && GetWindowPlacement(Handle(), &Platz);
  const bool Maximiert =
      WindowState() == wsMaximized || (Minimiert && (Platz.flags & WPF_RESTORETOMAXIMIZED));
  Eintragen(Ini, "programm", "maximiert", Maximiert);
  if (Maximiert) return;
  RECT Bounds = BoundsRect();
  if (Minimiert) {
    // The placement counts from the work area's corner.
    MONITORINFO Monitor{};
    Monitor.cbSize = sizeof Monitor;
    GetMonitorInfoW(MonitorFromWindow(Handle(), MONITOR_DEFAULTTONEAREST), &Monitor);
    Bounds = Platz.rcNormalPosition;
    OffsetRect(&Bounds, Monitor.rcWork.left - Monitor.rcMonitor.left,
               Monitor.rcWork.top - Monitor.rcMonitor.top);
  }
  Eintragen(Ini, "programm", "breite", static_cast<int>(Bounds.right - Bounds.left));
  Eintragen(Ini, "programm", "hoehe", static_cast<int>(Bounds.bottom - Bounds.top));
  Eintragen(Ini, "programm", "links", static_cast<int>(Bounds.left));
  Eintragen(Ini, "programm", "oben", static_cast<int>(Bounds.top));
}

void Tprog::EinstellungenLaden() {
  const std::wstring Datei = EinstellungsDatei();
  if (!WideFileExists(Datei)) return;
  TIniFile Ini(Datei);
  FensterbereichLaden(Ini);
  for (int I = 0; I < std::ssize(SpaltenSchluessel); ++I) {
    TListColumn* Spalte = lv->Columns()->Items(I);
    Spalte->SetWidth(std::clamp(Ini.ReadInteger("programm", SpaltenSchluessel[I], Spalte->Width()),
                                MinSpaltenBreite, MaxSpaltenBreite()));
  }
  zufall->SetChecked(Ini.ReadBool("wiedergabe", "zufall", zufall->Checked()));
  msuche->SetChecked(Ini.ReadBool("suche", "sucheoffen", msuche->Checked()));
  if (msuche->Checked()) {
    SuchfeldZeigen();
  } else {
    pa_suche->Hide();
    IstGefiltert = false;
    ListeAktualisieren();
  }
  suchoptpanel->SetChecked(Ini.ReadBool("suche", "optionenoffen", suchoptpanel->Checked()));
  if (suchoptpanel->Checked()) {
    pa_suchopt->Show();
    SuchfeldZeigen();
  } else {
    pa_suchopt->Hide();
  }
  SuchschalterLaden(Ini);
  const std::string Sprache = SprachCode(Ini.ReadString("einstellungen", "sprache", start->spr->Caption()));
  if (Sprache != start->spr->Caption()) {
    if (Sprache == "de")
      Deutsch1Click(this);
    else
      English1Click(this);
  }
  SongAnzeigeLaden(Ini);
  saheader->SetChecked(Ini.ReadBool("einstellungen", "headeranzeige", saheader->Checked()));
  sastatus->SetChecked(Ini.ReadBool("einstellungen", "statusbaranzeige", sastatus->Checked()));
  einstautosave->SetChecked(Ini.ReadBool("einstellungen", "autosave", einstautosave->Checked()));
  einstautoload->SetChecked(Ini.ReadBool("einstellungen", "autoload", einstautoload->Checked()));
  StatusAuffrischen();
}

void Tprog::FensterbereichLaden(TCustomIniFile& Ini) {
  if (Ini.ReadBool("programm", "maximiert", false)) {
    SendMessageA(Handle(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    return;
  }
  SendMessageA(Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
  // A size smaller than the system lets a window be is no size the window had: the current one stays.
  int Breite = Ini.ReadInteger("programm", "breite", Width());
  if (Breite < GetSystemMetrics(SM_CXMINTRACK)) Breite = Width();
  int Hoehe = Ini.ReadInteger("programm", "hoehe", Height());
  if (Hoehe < GetSystemMetrics(SM_CYMINTRACK)) Hoehe = Height();
  const int Links = Ini.ReadInteger("programm", "links", Left());
  const int Oben = Ini.ReadInteger("programm", "oben", Top());
  const RECT Bounds = AufDemBildschirm({Links, Oben, Links + Breite, Oben + Hoehe});
  SetBounds(Bounds.left, Bounds.top, Bounds.right - Bounds.left, Bounds.bottom - Bounds.top);
}

void Tprog::SuchschalterLaden(TCustomIniFile& Ini) {
  // The presets first: a preset that becomes checked sets every column, and the stored columns and
  // criteria after it give back what the user had.
  sp_rballes->SetChecked(Ini.ReadBool("suchspalten", "alle", sp_rballes->Checked()));
  sp_rbnix->SetChecked(Ini.ReadBool("suchspalten", "keine", sp_rbnix->Checked()));
  sp_rbstandard->SetChecked(Ini.ReadBool("suchspalten", "standard", sp_rbstandard->Checked()));
  for (int F = 0; F < SongFieldCount; ++F) {
    TCheckBox* Schalter = SpaltenSchalter()[F];
    Schalter->SetChecked(Ini.ReadBool("suchspalten", SuchspaltenSchluessel[F], Schalter->Checked()));
  }
  s_grkl->SetChecked(Ini.ReadBool("suchkriterien", "grossklein", s_grkl->Checked()));
  s_strexakt->SetChecked(Ini.ReadBool("suchkriterien", "exakt", s_strexakt->Checked()));
  s_invers->SetChecked(Ini.ReadBool("suchkriterien", "invers", s_invers->Checked()));
  s_ganz->SetChecked(Ini.ReadBool("suchkriterien", "ganz", s_ganz->Checked()));
  s_und->SetChecked(Ini.ReadBool("suchkriterien", "und", s_und->Checked()));
  s_oder->SetChecked(Ini.ReadBool("suchkriterien", "oder", s_oder->Checked()));
}

void Tprog::SongAnzeigeLaden(TCustomIniFile& Ini) {
  const std::string Wert = Ini.ReadString("einstellungen", "songanzeige", "int_tit");
  const auto Modi = SongAnzeigeModi();
  for (const auto& [Modus, W] : Modi) Modus->SetChecked(false);
  // An unknown value gives the first mode, so that the song never shows as an empty text.
  const auto Gewaehlt =
      std::find_if(Modi.begin(), Modi.end(), [&](const auto& M) { return M.second == Wert; });
  (Gewaehlt == Modi.end() ? saat : Gewaehlt->first)->SetChecked(true);
}

std::array<std::pair<Tprog::TMenuItem*, std::string>, 5> Tprog::SongAnzeigeModi() const {
  return {{{saat, "int_tit"},
           {saata, "int_tit_alb"},
           {saatta, "int_tit_alb_tra"},
           {saatg, "int_tit_gen"},
           {saf, "pfa"}}};
}

void Tprog::einstsaveClick(TObject* /*Sender*/) {
  EinstellungenSpeichern();
}

void Tprog::einstloadClick(TObject* /*Sender*/) {
  EinstellungenLaden();
}

void Tprog::einstautosaveClick(TObject* /*Sender*/) {
  einstautosave->SetChecked(!einstautosave->Checked());
}

void Tprog::einstautoloadClick(TObject* /*Sender*/) {
  einstautoload->SetChecked(!einstautoload->Checked());
}
