// The player window's texts in German and English, and the switch of every window's language.
#include "app/u_addordner.h"
#include "app/u_dateiinfo.h"
#include "app/u_einstausgabe.h"
#include "app/u_einstshortcuts.h"
#include "app/u_fehler.h"
#include "app/u_funktionen.h"
#include "app/u_info.h"
#include "app/u_lastfile.h"
#include "app/u_prog.h"
#include "app/u_start.h"
#include "app/u_startfenster.h"
#include "app/u_suchopt.h"
#include "app/u_txtexport.h"
#include "app/u_weblinks.h"

namespace {

// The same eight captions in the list's menu and in the lower panel's.
constexpr const wchar_t* AehnlicheDe[] = {L"Songs von diesem Interpreten..", L"Songs mit diesem Titel..",
                                          L"Songs mit dieser L\u00E4nge..",  L"Songs von diesem Album..",
                                          L"Songs mit dieser Tracknummer..", L"Songs aus diesem Jahr..",
                                          L"Songs mit diesem Genre..",       L"Songs im selben Ordner.."};
constexpr const wchar_t* AehnlicheEn[] = {L"Songs by this Artist..",         L"Songs with this Title..",
                                          L"Songs with this Length..",       L"Songs from this Album..",
                                          L"Songs with this Track Number..", L"Songs composed in this Year..",
                                          L"Songs with this Genre..",        L"Songs in same Folder.."};

std::vector<TFensterText> ProgTexte() {
  std::vector<TFensterText> Texte = {
      {txCaption, "Suchen", L"Suchen", L"Search"},
      {txHint, "Suchen", L"Nach diesem Begriff Suchen", L"Search for this Term"},
      {txCaption, "Opt", L"Optionen", L"Options"},
      {txHint, "Opt", L"Suchoptionen Anzeigen", L"Show Search Options"},
      {txCaption, "Alle", L"Alle Zeigen", L"Show All"},
      {txHint, "Alle", L"Alle Titel der Playlist Zeigen", L"Show All Songs from Playlist"},
      {txSpalte, "lv", L"Nummer", L"Number", 0},
      {txSpalte, "lv", L"Interpret", L"Artist", 1},
      {txSpalte, "lv", L"Titel", L"Title", 2},
      {txSpalte, "lv", L"L\u00E4nge", L"Length", 3},
      {txSpalte, "lv", L"Album", L"Album", 4},
      {txSpalte, "lv", L"Track", L"Track", 5},
      {txSpalte, "lv", L"Jahr", L"Year", 6},
      {txSpalte, "lv", L"Genre", L"Genre", 7},
      {txSpalte, "lv", L"Dateipfad", L"File", 8},

      {txMenu, "mdatei", L"Datei", L"File"},
      {txMenu, "m_opendatei", L"Datei oder Dateien \u00F6ffnen..", L"Open File or Files.."},
      {txMenu, "m_openordner", L"Ordner durchsuchen..", L"Search in Folder.."},
      {txMenu, "mp0", L"Playlist", L"Playlist"},
      {txMenu, "mp1", L"Playlist Laden", L"Load Playlist"},
      {txMenu, "mp3", L"Playlist Hinzuladen", L"Add Playlist"},
      {txMenu, "mp2", L"Playlist Speichern", L"Save Playlist"},
      {txMenu, "mp4", L"Ordner Hinzuf\u00FCgen", L"Add Folders"},
      {txMenu, "mp8", L"Markierten Titel L\u00F6schen", L"Delete Selected Song"},
      {txMenu, "mp9", L"Alle Songs markieren", L"Select All Songs"},
      {txMenu, "mp7", L"Playlist L\u00F6schen", L"Delete Playlist"},
      {txMenu, "mp5", L"Alle Songs zeigen", L"Show All Songs"},
      {txMenu, "mp6", L"Alle Songs verbergen", L"Hide All Songs"},
      {txMenu, "mtxtexport", L"Export als Text/HTML Tabelle..", L"Export as Text/HTML Table.."},
      {txMenu, "mwiedergabe", L"Wiedergabe", L"Play"},
      {txMenu, "mw1", L"Play", L"Play"},
      {txMenu, "mw2", L"Stop", L"Stop"},
      {txMenu, "mw3", L"Letztes St\u00FCck", L"Previous Song"},
      {txMenu, "mw4", L"N\u00E4chstes St\u00FCck", L"Next Song"},
      {txMenu, "Wiederholen", L"Wiederholen", L"Repeat"},
      {txMenu, "mw5", L"Letzte St\u00FCcke Anzeigen..", L"Show Last Songs.."},
      {txMenu, "zufall", L"Zuf\u00E4llige Wiedergabe", L"Random Order"},
      {txMenu, "Suche1", L"Suche", L"Search"},
      {txMenu, "msuche", L"Suche", L"Search"},
      {txMenu, "suchoptpanel", L"Suchoptionen (auf Panel)", L"Search Options (on panel)"},
      {txMenu, "Suchoptionen1", L"Suchoptionen (in neuem Fenster)", L"Search Options (in new window)"},
      {txMenu, "m_regexsuche", L"Suchen mit Regul\u00E4ren Ausdr\u00FCcken (RegEx)",
       L"Search with Regular Expressions (RegEx)"},
      {txMenu, "ergalsemp", L"Ergebnis als Playlist speichern", L"Save Result as Playlist"},
      {txMenu, "Einstellungen1", L"Einstellungen", L"Settings"},
      {txMenu, "sa", L"Songanzeige", L"Song Information"},
      {txMenu, "saat", L"Interpret - Titel", L"Artist - Title"},
      {txMenu, "saata", L"Interpret - Titel (Album)", L"Artist - Title (Album)"},
      {txMenu, "saatta", L"Interpret - Titel (Album, Track)", L"Artist - Title (Album, Track)"},
      {txMenu, "saatg", L"Interpret - Titel (Genre)", L"Artist - Title (Genre)"},
      {txMenu, "saf", L"Pfad und Dateiname", L"Path and Filename"},
      {txMenu, "saheader", L"Anzeige im Programmtitel", L"Display in Application Title"},
      {txMenu, "sastatus", L"Anzeige in der Statusbar", L"Display in Status Bar"},
      {txMenu, "Sprache1", L"Sprache", L"Language"},
      {txMenu, "Deutsch1", L"Deutsch", L"German"},
      {txMenu, "English1", L"English", L"English"},
      {txMenu, "m_einstshortcuts", L"Verkn\u00FCpfungen mit Dateien und Ordnern..",
       L"Shortcuts with Files and Folders.."},
      {txMenu, "verk", L"Verkn\u00FCpfung von Playlisten", L"Register File Extension"},
      {txMenu, "verkja", L"VLM Dateien mit diesem Programm verkn\u00FCpfen",
       L"Link VLM-Files with this Program"},
      {txMenu, "verknein", L"Verkn\u00FCpfung aufheben", L"Ungerister File Extension"},
      {txMenu, "m_einst_sendenan", L"Kontextmen\u00FC \"Senden an\" im Explorer",
       L"Context Menu \"Send To\" in Explorer"},
      {txMenu, "m_einst_sendenan_ein", L"Diese Anwendung zum Kontextmen\u00FC hinzuf\u00FCgen",
       L"Add this Application to Context Menu"},
      {txMenu, "m_einst_sendenan_aus", L"Diese Anwendung vom Kontextmen\u00FC entfernen",
       L"Remove this Application from Context Menu"},
      {txMenu, "einstsave", L"Einstellungen jetzt speichern", L"Save Settings"},
      {txMenu, "einstload", L"Einstellungen jetzt laden", L"Load Settings"},
      {txMenu, "einstautosave", L"Einstellungen automatisch speichern", L"Save Settings automatically"},
      {txMenu, "einstautoload", L"Einstellungen automatisch laden", L"Load Settings automatically"},
      {txMenu, "m_bug", L"Fehler oder Verbesserung melden..", L"Report Bug or Improvement.."},
      {txMenu, "mclose", L"Beenden", L"Close"},
      {txMenu, "mw6", L"Infos \u00FCber aktuellen Song..", L"Current Song Information.."},
      {txMenu, "m_fehler", L"Fehlermeldungen..", L"Error Messages.."},
      {txMenu, "Info1", L"Hilfe und Info", L"Help and Information"},
      {txMenu, "i1", L"Hilfe", L"Help"},
      {txMenu, "m_bug_i", L"Fehler oder Verbesserung melden..", L"Report Bug or Improvement.."},
      {txMenu, "i2", L"Empfehlungen", L"Regards"},
      {txMenu, "i3", L"Wieso Spenden", L"Why Donate?"},
      {txMenu, "i4", L"Lizenz", L"Licence"},
      {txMenu, "so", L"Speicheroptionen..", L"Saving Options.."},
      {txMenu, "p1", L"Titel abspielen", L"Play Song"},
      {txMenu, "pop_title_next", L"Als n\u00E4chsten Titel abspielen", L"Play as Next Song"},
      {txMenu, "p4", L"Song aus Playlist l\u00F6schen", L"Delete Song from Playlist"},
      {txMenu, "p_alle", L"Alle Songs markieren", L"Select All Songs"},
      {txMenu, "mp10", L"Markierte Songs in die Zwischenablage", L"Copy selected Songs to Clipboard"},
      {txMenu, "mp11", L"Songs aus Zwischenablage einf\u00FCgen", L"Insert Songs from Clipboard"},
      {txMenu, "p3", L"Informationen \u00FCber Datei anzeigen", L"Show File Information"},
      {txMenu, "p6", L"Datei Eigenschaften", L"Properties"},
      {txMenu, "p_copyfile", L"Datei(en) in die Zwischenablage kopieren", L"Copy File(s) to Clipboard"},
      {txMenu, "p5", L"\u00DCbergeordneten Ordner \u00F6ffnen", L"Open File Folder"},
      {txMenu, "akp1", L"Informationen \u00FCber Datei anzeigen", L"Show File Information"},
      {txMenu, "akp2", L"Datei Eigenschaften", L"Properties"},
      {txMenu, "akp3", L"\u00DCbergeordneten Ordner \u00F6ffnen", L"Open File Folder"},
      {txMenu, "akp4", L"Datei in Zwischenablage kopieren", L"Copy File To Clipboard"},

      {txCaption, "s_grkl", L"Gro\u00DF und Klein", L"Lower and Upper"},
      {txHint, "s_grkl", L"Gro\u00DF- und Kleinbuchstaben werden unterschieden",
       L"Differ Lower and Upper Characters"},
      {txCaption, "s_strexakt", L"Exakter Begriff", L"Exact Term"},
      {txCaption, "s_ganz", L"Ganzes Wort", L"Whole Term"},
      {txCaption, "s_und", L"UND-Suche", L"AND-Relation"},
      {txCaption, "s_oder", L"ODER-Suche", L"OR-Relation"},
      {txCaption, "s_invers", L"Inverse Suche", L"Inverse Search"},
      {txCaption, "s_interpret", L"Interpret", L"Artist"},
      {txCaption, "s_titel", L"Titel", L"Title"},
      {txCaption, "s_laenge", L"L\u00E4nge", L"Length"},
      {txCaption, "s_album", L"Album", L"Album"},
      {txCaption, "s_track", L"Track", L"Track"},
      {txCaption, "s_jahr", L"Jahr", L"Year"},
      {txCaption, "s_datei", L"Pfad", L"Filepath"},
      {txCaption, "sp_gb1", L"Suche: Spalten", L"Search: Columns"},
      {txCaption, "sp_rballes", L"Alle Spalten", L"All Columns"},
      {txCaption, "sp_rbnix", L"Keine Spalte", L"No Column"},
      {txCaption, "sp_gb2", L"Suche: Kriterien", L"Search: Criteria"},
  };
  for (int I = 0; I < 8; ++I) {
    Texte.push_back({txMenu, "pss" + std::to_string(I), AehnlicheDe[I], AehnlicheEn[I]});
    Texte.push_back({txMenu, "akp" + std::to_string(I + 5), AehnlicheDe[I], AehnlicheEn[I]});
  }
  // The web-link items show the address of their page in the language.
  const std::pair<const char*, const TWebSeite*> Links[] = {
      {"i5", &WebSeiten::Start},   {"i6", &WebSeiten::Velmaro},  {"i11", &WebSeiten::Download},
      {"i9", &WebSeiten::Support}, {"i7", &WebSeiten::Fragen},   {"i10", &WebSeiten::Neuerungen},
      {"i8", &WebSeiten::Spenden}, {"i12", &WebSeiten::Software}};
  for (const auto& [Name, Seite] : Links)
    Texte.push_back({txMenu, Name, Seite->MenuText(true), Seite->MenuText(false)});
  return Texte;
}

}  // namespace

void FehlerTitelSetzen() {
  const std::string Code = start->spr->Caption();
  if (Code == "de") CaptionSetzen(fehler, L"Fehlermeldungen");
  if (Code == "en") CaptionSetzen(fehler, L"Error Messages");
}

void Tprog::sprache() {
  const std::string Code = start->spr->Caption();
  if (Code != "de" && Code != "en") return;
  const bool De = Code == "de";
  if (!De) FilterErsetzen(open_audio_files, L"Alle Dateien", L"All Files");
  DateienGeladenText = De ? L" Dateien geladen" : L" Files Loaded";
  const int Zeilen = lv->Items()->Count();
  CaptionSetzen(status, Zeilen == 0 ? (De ? L"Keine Dateien geladen" : L"No Files Loaded")
                                    : std::to_wstring(Zeilen) + DateienGeladenText);
  static const std::vector<TFensterText> Texte = ProgTexte();
  FensterTexteSetzen(this, Texte, Code);
  // At the program's start the error log does not exist yet; it takes the language itself then.
  if (fehler) FehlerTitelSetzen();
  if (De) FilterErsetzen(open_audio_files, L"All Files", L"Alle Dateien");
  m_soft_de->SetVisible(De);
  m_soft_en->SetVisible(!De);
  Deutsch1->SetChecked(De);
  English1->SetChecked(!De);
}

void Tprog::Deutsch1Click(TObject* /*Sender*/) {
  start->spr->SetCaption("de");
  sprache();
  addordner->LocalSpr();
  lastfiles->LocalSpr();
  suchopt->LocalSpr();
  dateiinfo->LocalSpr();
  txtexport->LocalSpr();
  startfenster->sprache();
  einstausgabe->Sprache();
  info->LocalSpr();
  einstshortcuts->Sprache();
}

void Tprog::English1Click(TObject* /*Sender*/) {
  start->spr->SetCaption("en");
  sprache();
  addordner->LocalSpr();
  lastfiles->LocalSpr();
  txtexport->LocalSpr();
  suchopt->LocalSpr();
  dateiinfo->LocalSpr();
  einstausgabe->Sprache();
  startfenster->sprache();
  info->LocalSpr();
  einstshortcuts->Sprache();
}
