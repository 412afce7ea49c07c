// Songs with Greek and Japanese names and tags: in the list, the status line, the window's title, the open
// dialog and the search.
#include <gtest/gtest.h>

#include <algorithm>

#include "Imports/UCodeControls.h"
#include "Imports/UCodeForms.h"
#include "tests/app/ProgFixture.h"
#include "tests/support/DialogAnswer.h"

namespace {

const std::wstring Athen = L"\u0391\u03B8\u03AE\u03BD\u03B1";
const std::wstring Piraeus = L"\u03A0\u03B5\u03B9\u03C1\u03B1\u03B9\u03AC\u03C2";
const std::wstring Tokio = L"\u6771\u4EAC";
const std::wstring Eleftheria = L"\u0395\u03BB\u03B5\u03C5\u03B8\u03B5\u03C1\u03AF\u03B1";
const std::wstring Nacht = L"\u039D\u03CD\u03C7\u03C4\u03B1 \u03C3\u03C4\u03B7\u03BD " + Athen;
const std::wstring Jihen = L"\u6771\u4EAC\u4E8B\u5909";

class ProgUnicode : public TProgFixture {
 protected:
  // The text the list shows in a cell, as the system asks for it.
  static std::wstring Cell(int Row, int Column) {
    wchar_t Buffer[256] = {};
    LVITEMW Item{};
    Item.iSubItem = Column;
    Item.pszText = Buffer;
    Item.cchTextMax = 256;
    SendMessageW(prog->lv->Handle(), LVM_GETITEMTEXTW, static_cast<WPARAM>(Row),
                 reinterpret_cast<LPARAM>(&Item));
    return Buffer;
  }
  static int RowOf(const std::wstring& Title) {
    for (int Row = 0; Row < prog->lv->Items()->Count(); ++Row)
      if (Cell(Row, 1 + sfTitle) == Title) return Row;
    return -1;
  }
  static std::wstring Title() {
    wchar_t Buffer[256] = {};
    InternalGetWindowText(prog->Handle(), Buffer, 256);
    return Buffer;
  }
};

TEST_F(ProgUnicode, AFolderOfGreekAndJapaneseSongsShowsInTheListTheStatusLineAndTheTitle) {
  prog->Parameter = {Fixture(L"intl")};
  prog->Show();
  ASSERT_EQ(prog->lv->Items()->Count(), 3);
  const int Greek = RowOf(Nacht);
  ASSERT_GE(Greek, 0);
  EXPECT_EQ(Cell(Greek, 1 + sfArtist), Eleftheria);
  EXPECT_EQ(Cell(Greek, 1 + sfAlbum), L"\u0391\u03BA\u03C1\u03CC\u03C0\u03BF\u03BB\u03B7");
  EXPECT_EQ(Cell(Greek, 1 + sfPath), Fixture(L"intl\\" + Athen + L".mp3"));
  const int Japanese = RowOf(L"\u591C\u7A7A\u306E\u6B4C");
  ASSERT_GE(Japanese, 0);
  EXPECT_EQ(Cell(Japanese, 1 + sfArtist), Jihen);
  EXPECT_EQ(Cell(Japanese, 1 + sfPath), Fixture(L"intl\\" + Tokio + L".mp3"));

  prog->Wiederholen->SetChecked(true);  // the song must not end while the test looks
  prog->saheaderClick(prog->saheader);
  prog->DateiAbspielen(Fixture(L"intl\\" + Athen + L".mp3"));
  ASSERT_NE(prog->AktuellerPlayer(), nullptr);
  EXPECT_EQ(prog->status->Caption(), Eleftheria + L" - " + Nacht);
  EXPECT_EQ(prog->status->Hint(), Fixture(L"intl\\" + Athen + L".mp3"));
  Application->ActivateHint(prog->status, prog->status->ClientToScreen({2, 2}));  // the tooltip, wide
  auto* Tip = dynamic_cast<TUCodeCustomHintWindow*>(Application->HintWindow());
  ASSERT_NE(Tip, nullptr);
  EXPECT_EQ(Tip->Caption(), Fixture(L"intl\\" + Athen + L".mp3"));
  Application->CancelHint();
  EXPECT_EQ(Title(), Eleftheria + L" - " + Nacht + L" - Korriband Velmaro");
  EXPECT_TRUE(Log().empty());
}

TEST_F(ProgUnicode, TheTitleBarAndTheTaskbarShowTheSongInAnyScriptAndTheNamesWhenSwitchedOff) {
  // The title bar is drawn from the text the window gives when asked wide.
  const auto Gezeigt = [] {
    wchar_t Buffer[256] = {};
    GetWindowTextW(prog->Handle(), Buffer, 256);
    return std::wstring(Buffer);
  };
  prog->Show();
  const std::wstring Name = Gezeigt();
  const std::wstring Anwendung = UCodeApplication()->Title();
  prog->Wiederholen->SetChecked(true);
  prog->saheaderClick(prog->saheader);
  prog->DateiAbspielen(Fixture(L"intl\\" + Athen + L".mp3"));
  ASSERT_NE(prog->AktuellerPlayer(), nullptr);
  const std::wstring Titel = Eleftheria + L" - " + Nacht + L" - Korriband Velmaro";
  EXPECT_EQ(Gezeigt(), Titel);
  EXPECT_EQ(UCodeApplication()->Title(), Titel);
  prog->saheaderClick(prog->saheader);
  EXPECT_EQ(Gezeigt(), Name);
  EXPECT_EQ(UCodeApplication()->Title(), Anwendung);
}

TEST_F(ProgUnicode, NamesChosenInTheOpenDialogAreAddedWithTheirTagsAndPlay) {
  const std::wstring Greek = CopyFixture(L"intl\\" + Athen + L".mp3", Athen + L".mp3");
  const std::wstring Japanese = CopyFixture(L"intl\\" + Tokio + L".mp3", Tokio + L".mp3");
  prog->Show();
  prog->open_audio_files->SetInitialDir(Dir.Path());
  AnswerNextDialog(L"\"" + Athen + L".mp3\" \"" + Tokio + L".mp3\"");
  prog->m_opendateiClick(prog);
  ASSERT_EQ(AlleSongs.size(), 2u);
  EXPECT_EQ(AlleSongs[0][sfPath], Greek);
  EXPECT_EQ(AlleSongs[0][sfArtist], Eleftheria);
  EXPECT_EQ(AlleSongs[1][sfPath], Japanese);
  EXPECT_EQ(AlleSongs[1][sfArtist], Jihen);
  EXPECT_EQ(Cell(1, 1 + sfArtist), Jihen);
  prog->Wiederholen->SetChecked(true);
  prog->DateiAbspielen(AlleSongs[1][sfPath]);
  ASSERT_NE(prog->AktuellerPlayer(), nullptr);
  EXPECT_EQ(prog->AktuellerPlayer()->FileName, Japanese);
  EXPECT_TRUE(Log().empty());
}

TEST_F(ProgUnicode, SongsByAGreekArtistAreAllFound) {
  prog->Parameter = {Fixture(L"intl"), Fixture(L"songs")};
  prog->Show();
  ASSERT_EQ(prog->lv->Items()->Count(), 7);
  SelectRows({RowOf(L"\u039B\u03B9\u03BC\u03AC\u03BD\u03B9")});
  prog->pss0Click(prog);
  EXPECT_EQ(prog->suchwort->Text(), Eleftheria);
  std::vector<std::wstring> Titles;
  for (const Song& S : AngezeigteSongs()) {
    EXPECT_EQ(S[sfArtist], Eleftheria);
    Titles.push_back(S[sfTitle]);
  }
  std::sort(Titles.begin(), Titles.end());
  EXPECT_EQ(Titles, (std::vector<std::wstring>{L"\u039B\u03B9\u03BC\u03AC\u03BD\u03B9", Nacht}));
  EXPECT_EQ(prog->status->Caption().substr(0, 2), L"2 ");
}

}  // namespace
