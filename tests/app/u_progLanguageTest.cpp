// The language switch: every window's texts in German and English, the status line, the open dialog's
// filter and the check marks; and the song display modes without a playing song.
#include <gtest/gtest.h>

#include <map>

#include "app/u_dateiinfo.h"
#include "app/u_einstausgabe.h"
#include "app/u_einstshortcuts.h"
#include "app/u_lastfile.h"
#include "app/u_suchopt.h"
#include "app/u_txtexport.h"
#include "tests/app/ProgFixture.h"

namespace {

using ProgLanguage = TProgFixture;

// Every text of every window: captions and hints of the controls, menu captions and column titles,
// keyed by window and component.
std::map<std::string, std::string> AlleTexte() {
  std::map<std::string, std::string> Texte;
  for (int F = 0; F < Screen->FormCount(); ++F) {
    TForm* Form = Screen->Forms(F);
    Texte[Form->Name()] = Form->Caption();
    for (int I = 0; I < Form->ComponentCount(); ++I) {
      TComponent* C = Form->Components(I);
      const std::string Key = Form->Name() + "." + C->Name();
      if (auto* Item = dynamic_cast<TMenuItem*>(C)) Texte[Key] = Item->Caption();
      if (auto* Control = dynamic_cast<TControl*>(C)) {
        Texte[Key] = Control->Caption();
        Texte[Key + ".hint"] = Control->Hint();
      }
      if (auto* List = dynamic_cast<TListView*>(C))
        for (int Col = 0; Col < List->Columns()->Count(); ++Col)
          Texte[Key + "." + std::to_string(Col)] = List->Columns()->Items(Col)->Caption();
    }
  }
  return Texte;
}

std::vector<std::wstring> Spalten() {
  std::vector<std::wstring> Titel;
  for (int I = 0; I < prog->lv->Columns()->Count(); ++I)
    Titel.push_back(prog->lv->Columns()->Items(I)->Caption());
  return Titel;
}

TEST_F(ProgLanguage, EveryWindowSwitchesToEnglishAndBackAndTwiceIsHarmless) {
  prog->Show();
  const std::map<std::string, std::string> Deutsch = AlleTexte();
  const std::wstring DeutscherFilter = prog->open_audio_files->Filter();
  EXPECT_NE(DeutscherFilter.find(L"|Alle Dateien (*.*)|*.*"), std::wstring::npos);
  EXPECT_TRUE(prog->Deutsch1->Checked());
  EXPECT_FALSE(prog->English1->Checked());

  prog->English1Click(prog->English1);
  EXPECT_EQ(start->spr->Caption(), "en");
  const std::map<std::string, std::string> Englisch = AlleTexte();
  EXPECT_EQ(prog->status->Caption(), L"No Files Loaded");
  EXPECT_EQ(Spalten(), (std::vector<std::wstring>{L"Number", L"Artist", L"Title", L"Length", L"Album",
                                                  L"Track", L"Year", L"Genre", L"File"}));
  EXPECT_EQ(prog->open_audio_files->Filter(),
            WideStringReplaceAll(DeutscherFilter, L"Alle Dateien", L"All Files"));
  EXPECT_FALSE(prog->Deutsch1->Checked());
  EXPECT_TRUE(prog->English1->Checked());
  EXPECT_EQ(DateienGeladenText, L" Files Loaded");
  // One text of each kind and each window.
  EXPECT_EQ(prog->Suchen->Caption(), L"Search");
  EXPECT_EQ(prog->Suchen->Hint(), L"Search for this Term");
  EXPECT_EQ(prog->saata->Caption(), L"Artist - Title (Album)");
  EXPECT_EQ(prog->s_datei->Caption(), L"Filepath");
  EXPECT_EQ(dynamic_cast<TMenuItem*>(prog->FindComponent("akp12"))->Caption(), "Songs in same Folder..");
  EXPECT_EQ(Englisch.at("prog.mp3"), "Add Playlist");
  EXPECT_EQ(Englisch.at("prog.ergalsemp"), "Save Result as Playlist");
  EXPECT_EQ(Englisch.at("prog.sp_gb2"), "Search: Criteria");
  EXPECT_EQ(fehler->Caption(), "Error Messages");
  EXPECT_EQ(suchopt->Caption(), "Search Options");
  EXPECT_EQ(suchopt->s_oder->Caption(), L"OR-Relation betwenn individual Words");
  EXPECT_EQ(addordner->Caption(), "Add Folder");
  EXPECT_EQ(addordner->relativ->Caption(), L"Filepath relative to Application Path (if possible)");
  EXPECT_EQ(lastfiles->Caption(), "Last Songs");
  EXPECT_EQ(dateiinfo->Caption(), "File Information");
  EXPECT_EQ(txtexport->Caption(), "Export as Text/HTML Table");
  EXPECT_EQ(startfenster->Caption(), "Open Playlist");
  EXPECT_EQ(einstausgabe->Caption(), "Output Settings");
  EXPECT_EQ(einstshortcuts->Caption(), "Shortcuts");
  // Texts the two languages share stay.
  EXPECT_EQ(prog->s_genre->Caption(), L"Genre");
  EXPECT_EQ(prog->sp_rbstandard->Caption(), L"Standard");
  EXPECT_EQ(prog->regexsuche->Caption(), L"RegEx");
  EXPECT_EQ(Englisch.at("prog.s_und.hint"), Deutsch.at("prog.s_und.hint"));

  prog->English1Click(prog->English1);  // twice: nothing left to replace
  EXPECT_EQ(AlleTexte(), Englisch);
  prog->Deutsch1Click(prog->Deutsch1);
  EXPECT_EQ(AlleTexte(), Deutsch);
  EXPECT_EQ(prog->open_audio_files->Filter(), DeutscherFilter);
  prog->Deutsch1Click(prog->Deutsch1);
  EXPECT_EQ(AlleTexte(), Deutsch);
  EXPECT_EQ(prog->open_audio_files->Filter(), DeutscherFilter);
  EXPECT_EQ(Deutsch.at("prog.lv.3"), "L\xE4nge");
  EXPECT_EQ(Deutsch.at("prog.m_opendatei"),
            "Datei oder Dateien \xF6"
            "ffnen..");
}

TEST_F(ProgLanguage, TheStatusLineCountsTheRowsWithoutThePlayTime) {
  SetSongs({L"1", L"2", L"3", L"4", L"5", L"6", L"7", L"8", L"9", L"10", L"11", L"12"});
  EXPECT_EQ(prog->status->Caption(), L"12 Dateien geladen (12sec)");
  prog->English1Click(prog->English1);
  EXPECT_EQ(prog->status->Caption(), L"12 Files Loaded");
  prog->ListeAktualisieren();
  EXPECT_EQ(prog->status->Caption(), L"12 Files Loaded (12sec)");
  prog->Deutsch1Click(prog->Deutsch1);
  EXPECT_EQ(prog->status->Caption(), L"12 Dateien geladen");
}

// A click on a display mode checks it alone and writes the status line at once, without toggling it.
TEST_F(ProgLanguage, DisplayModesAreExclusiveAndTheTargetsToggle) {
  SetSongs({L"1", L"2"});
  prog->status->SetCaption(L"alt");
  for (TMenuItem* Modus : {prog->saatg, prog->saf, prog->saat}) {
    prog->saatClick(Modus);
    for (TMenuItem* M : {prog->saat, prog->saata, prog->saatta, prog->saatg, prog->saf})
      EXPECT_EQ(M->Checked(), M == Modus) << M->Name();
    EXPECT_EQ(prog->status->Caption(), L"2 Dateien geladen (2sec)");
  }
  EXPECT_FALSE(prog->saheader->Checked());
  prog->saheaderClick(prog->saheader);
  EXPECT_TRUE(prog->saheader->Checked());
  prog->sastatusClick(prog->sastatus);
  EXPECT_FALSE(prog->sastatus->Checked());
  EXPECT_EQ(prog->Caption(), "Velmaro - Korriband");  // no song: nothing to show
}

// What the menu itself holds, not the item's flag: the check marks drawn in the menu bar's menus.
bool Abgehakt(TMenuItem* Item) {
  MENUITEMINFOW Info{};
  Info.cbSize = sizeof Info;
  Info.fMask = MIIM_STATE;
  if (!GetMenuItemInfoW(prog->Menu()->Handle(), Item->Command(), FALSE, &Info)) return false;
  return (Info.fState & MFS_CHECKED) != 0;
}

TEST_F(ProgLanguage, TheSettingsCheckMarksStayInTheMenuInBothLanguages) {
  prog->Show();
  prog->einstautosave->SetChecked(true);
  prog->einstautoload->SetChecked(true);
  for (TMenuItem* Sprache : {prog->English1, prog->Deutsch1, prog->English1, prog->Deutsch1}) {
    Sprache->Click();
    for (TMenuItem* Item :
         std::initializer_list<TMenuItem*>{prog->einstautosave, prog->einstautoload, prog->zufall, Sprache})
      EXPECT_EQ(Abgehakt(Item), Item->Checked()) << Item->Name() << " after " << Sprache->Name();
  }
}

}  // namespace
