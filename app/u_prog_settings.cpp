// The settings file "velmaro.ini" beside the program: the whole state of the player window written on
// demand or at closing, and read back on demand or at the first activation.
#include <algorithm>

#include "Imports/UCodeSysUtils.h"
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

}  // namespace

void Tprog::EinstellungenSpeichern() {
  TIniFile Ini(EinstellungsDatei());
  FensterbereichSpeichern(Ini);
  for (int I = 0; I < std::ssize(SpaltenSchluessel); ++I)
    Ini.WriteInteger("programm", SpaltenSchluessel[I], lv->Columns()->Items(I)->Width());
  Ini.WriteBool("wiedergabe", "zufall", zufall->Checked());
  Ini.WriteBool("suche", "sucheoffen", msuche->Checked());
  Ini.WriteBool("suche", "optionenoffen", suchoptpanel->Checked());
  for (int F = 0; F < SongFieldCount; ++F)
    Ini.WriteBool("suchspalten", SuchspaltenSchluessel[F], SpaltenSchalter()[F]->Checked());
  Ini.WriteBool("suchspalten", "alle", sp_rballes->Checked());
  Ini.WriteBool("suchspalten", "keine", sp_rbnix->Checked());
  Ini.WriteBool("suchspalten", "standard", sp_rbstandard->Checked());
  Ini.WriteBool("suchkriterien", "grossklein", s_grkl->Checked());
  Ini.WriteBool("suchkriterien", "exakt", s_strexakt->Checked());
  Ini.WriteBool("suchkriterien", "invers", s_invers->Checked());
  Ini.WriteBool("suchkriterien", "ganz", s_ganz->Checked());
  Ini.WriteBool("suchkriterien", "und", s_und->Checked());
  Ini.WriteBool("suchkriterien", "oder", s_oder->Checked());
  Ini.WriteString("einstellungen", "sprache", start->spr->Caption());
  for (const auto& [Modus, Wert] : SongAnzeigeModi())
    if (Modus->Checked()) Ini.WriteString("einstellungen", "songanzeige", Wert);
  Ini.WriteBool("einstellungen", "headeranzeige", saheader->Checked());
  Ini.WriteBool("einstellungen", "statusbaranzeige", sastatus->Checked());
  Ini.WriteBool("einstellungen", "autosave", einstautosave->Checked());
  Ini.WriteBool("einstellungen", "autoload", einstautoload->Checked());
}

void Tprog::FensterbereichSpeichern(TCustomIniFile& Ini) {
  // A minimised window's own bounds are the icon's: the bounds it comes back to are stored instead.
  WINDOWPLACEMENT Platz{};
  Platz.length = sizeof Platz;
  const bool Minimiert = WindowState() == wsMinimized && GetWindowPlacement(Handle(), &Platz);
  const bool Maximiert =
      WindowState() == wsMaximized || (Minimiert && (Platz.flags & WPF_RESTORETOMAXIMIZED));
  Ini.WriteBool("programm", "maximiert", Maximiert);
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
  Ini.WriteInteger("programm", "breite", Bounds.right - Bounds.left);
  Ini.WriteInteger("programm", "hoehe", Bounds.bottom - Bounds.top);
  Ini.WriteInteger("programm", "links", Bounds.left);
  Ini.WriteInteger("programm", "oben", Bounds.top);
}

void Tprog::EinstellungenLaden() {
  const std::wstring Datei = EinstellungsDatei();
  if (!WideFileExists(Datei)) return;
  TIniFile Ini(Datei);
  FensterbereichLaden(Ini);
  for (int I = 0; I < std::ssize(SpaltenSchluessel); ++I) {
    TListColumn* Spalte = lv->Columns()->Items(I);
    Spalte->SetWidth(
        std::max(MinSpaltenBreite, Ini.ReadInteger("programm", SpaltenSchluessel[I], Spalte->Width())));
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
  const int Breite = Ini.ReadInteger("programm", "breite", Width());
  const int Hoehe = Ini.ReadInteger("programm", "hoehe", Height());
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
