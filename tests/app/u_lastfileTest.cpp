// The recent songs window without sound: newest first, deleting from the view, clearing the history,
// sorting by a header, the refresh while it is open, and the cap of the history.
#include "app/u_lastfile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Imports/UCodeRepStdCtrls.h"
#include "tests/app/ProgFixture.h"

namespace {

class RecentSongs : public TProgFixture {
 protected:
  void SetUp() override {
    TProgFixture::SetUp();
    Window = lastfiles;
    List = Window->lf;
    LfSortSpalte = LfLetzteSortSpalte = LfSortAbsteigend = 0;
    for (const wchar_t* Name : {L"b - erstes", L"C - zweites", L"a - drittes"})
      LetzteSongs.push_back({Name, Dir.File(std::wstring(Name).substr(0, 1) + L".mp3")});
  }
  std::vector<std::wstring> Rows() const {
    std::vector<std::wstring> Result;
    for (int I = 0; I < List->Items()->Count(); ++I) Result.push_back(List->Items()->Item(I)->Caption());
    return Result;
  }
  void Select(const std::vector<int>& Rows) {
    for (const int Row : Rows) {
      LVITEMA Item{};
      Item.stateMask = Item.state = LVIS_SELECTED;
      SendMessageA(List->Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(Row),
                   reinterpret_cast<LPARAM>(&Item));
    }
  }
  void ClickColumn(int Column) { Window->lfColumnClick(List, List->Columns()->Items(Column)); }

  Tlastfiles* Window = nullptr;
  Tlastfiles::TListView* List = nullptr;
};

}  // namespace

TEST_F(RecentSongs, TheNewestSongComesFirstWithItsPath) {
  Window->Show();
  Window->Aktualisieren();
  EXPECT_EQ(Rows(), (std::vector<std::wstring>{L"a - drittes", L"C - zweites", L"b - erstes"}));
  EXPECT_EQ(List->Items()->Item(0)->SubItems()->Get(0), Dir.File(L"a.mp3"));

  // A song started while the window is open is on top at once; while it is closed nothing is refilled.
  LetztenSongMerken({L"d - viertes", Dir.File(L"d.mp3")});
  EXPECT_EQ(Rows().front(), L"d - viertes");
  Window->Close();
  EXPECT_FALSE(LetzteSongsSichtbar);
  LetztenSongMerken({L"e - fuenftes", Dir.File(L"e.mp3")});
  EXPECT_EQ(Rows().front(), L"d - viertes");
  EXPECT_EQ(LetzteSongs.size(), 5u);
}

TEST_F(RecentSongs, TheMenuShowsTheWindowRefilled) {
  Window->Show();
  Window->Aktualisieren();
  Window->Close();
  LetzteSongs.push_back({L"d - viertes", Dir.File(L"d.mp3")});
  static_cast<TMenuItem*>(prog->FindComponent("mw5"))->Click();
  EXPECT_TRUE(Window->Visible());
  EXPECT_EQ(Rows().front(), L"d - viertes");
  EXPECT_EQ(Rows().size(), 4u);
}

TEST_F(RecentSongs, DeleteTakesRowsFromTheViewAndTheButtonClearsTheHistory) {
  Window->Show();
  Window->Aktualisieren();
  Select({0, 2});
  WORD Key = VK_DELETE;
  Window->lfKeyDown(List, Key, 0);
  EXPECT_EQ(Rows(), std::vector<std::wstring>{L"C - zweites"});
  EXPECT_EQ(LetzteSongs.size(), 3u);
  Window->Aktualisieren();  // the history still holds them
  EXPECT_EQ(Rows().size(), 3u);
  Key = 'A';
  Select({1});
  Window->lfKeyDown(List, Key, 0);
  EXPECT_EQ(Rows().size(), 3u);

  Window->DeleteClick(nullptr);
  EXPECT_TRUE(LetzteSongs.empty());
  EXPECT_TRUE(Rows().empty());
  prog->zurueckClick(prog);  // nothing left to step back to
  EXPECT_EQ(prog->AktuellerPlayer(), nullptr);
}

TEST_F(RecentSongs, AHeaderClickSortsWithoutCaseAndAgainTheOtherWay) {
  Window->Show();
  Window->Aktualisieren();
  ClickColumn(0);  // the column clicked last starts as the first one
  EXPECT_EQ(Rows(), (std::vector<std::wstring>{L"C - zweites", L"b - erstes", L"a - drittes"}));
  ClickColumn(1);
  EXPECT_EQ(Rows(), (std::vector<std::wstring>{L"a - drittes", L"b - erstes", L"C - zweites"}));
  ClickColumn(1);
  EXPECT_EQ(Rows(), (std::vector<std::wstring>{L"C - zweites", L"b - erstes", L"a - drittes"}));
  Window->Aktualisieren();  // a refill shows the history's order again
  EXPECT_EQ(Rows(), (std::vector<std::wstring>{L"a - drittes", L"C - zweites", L"b - erstes"}));
}

TEST_F(RecentSongs, ADoubleClickOnAMissingFileDoesNothing) {
  Window->Show();
  Window->Aktualisieren();
  AktIndex = 2;
  Window->lfDblClick(List);  // no row selected
  EXPECT_EQ(AktIndex, 2);
  Select({1});
  Window->lfDblClick(List);
  EXPECT_EQ(AktIndex, 0);
  EXPECT_EQ(prog->AktuellerPlayer(), nullptr);
  EXPECT_TRUE(Log().empty());
  EXPECT_EQ(LetzteSongs.size(), 3u);
}

TEST_F(RecentSongs, TheHistoryKeepsTheNewestThousandSongs) {
  for (int I = 0; I < 1200; ++I) LetztenSongMerken({L"Song " + std::to_wstring(I), L"C:\\x.mp3"});
  ASSERT_EQ(LetzteSongs.size(), MaxLetzteSongs);
  EXPECT_EQ(LetzteSongs.front().Anzeige, L"Song 200");
  EXPECT_EQ(LetzteSongs.back().Anzeige, L"Song 1199");
}

TEST_F(RecentSongs, TheTextsFollowTheLanguage) {
  prog->English1Click(nullptr);
  EXPECT_EQ(Window->Caption(), "Last Songs");
  EXPECT_EQ(static_cast<TButton*>(Window->FindComponent("Delete"))->Caption(), "Delete");
  EXPECT_EQ(List->Columns()->Items(1)->Caption(), L"File");
  prog->Deutsch1Click(nullptr);
  EXPECT_EQ(static_cast<UCodeRepStdCtrls::TButton*>(Window->FindComponent("Button1"))->Caption(),
            L"Schlie\u00DFen");
  EXPECT_EQ(List->Columns()->Items(1)->Caption(), L"Dateipfad");
  EXPECT_FALSE(static_cast<TButton*>(Window->FindComponent("Button2"))->Visible());
}
