// The player window playing real songs under Wine: start, next at the end, repeat, queue, previous,
// play and pause, the position bar, media keys and songs that cannot be played.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/u_lastfile.h"
#include "tests/app/ProgFixture.h"
#include "tests/support/DialogAnswer.h"

namespace {

class ProgPlay : public TProgFixture {
 protected:
  void SetUp() override {
    TProgFixture::SetUp();
    prog->Show();
  }
  // The resolved file the current player was made for; empty without one.
  static std::wstring Playing() { return prog->AktuellerPlayer() ? prog->AktuellerPlayer()->FileName : L""; }
  static bool WaitFor(const std::wstring& File, DWORD Ms = 5000) {
    return PumpMessagesUntil([&] { return Playing() == File; }, Ms);
  }
  static std::wstring Short(int N) { return Fixture(L"short\\s" + std::to_wstring(N) + L".mp3"); }
  static void AddShortSongs() {
    for (int N = 1; N <= 3; ++N) prog->DateiHinzufuegen(Short(N), false);
    prog->ListeAktualisieren();
  }
};

TEST_F(ProgPlay, DoubleClickPlaysTheRowAndShowsItsTags) {
  AddShortSongs();
  EXPECT_FALSE(prog->saheader->Checked());  // the title shows the song only when asked to
  prog->saheaderClick(prog->saheader);
  SelectRows({1});
  prog->lvDblClick(prog->lv);
  ASSERT_NE(prog->AktuellerPlayer(), nullptr);
  EXPECT_EQ(Playing(), Short(2));
  EXPECT_EQ(prog->AktuellerPlayer()->State, 2);
  EXPECT_EQ(AktIndex, 1);
  EXPECT_TRUE(SpieltGerade);
  EXPECT_EQ(prog->BtPlay->Caption(), L"X");
  EXPECT_TRUE(prog->Timer1->Enabled());
  EXPECT_EQ(prog->status->Caption(), L"Short - Song 2");
  EXPECT_EQ(prog->Caption(), "Short - Song 2 - Korriband Velmaro");
  EXPECT_EQ(prog->status->Hint(), Short(2));
  ASSERT_EQ(LetzteSongs.size(), 1u);
  EXPECT_EQ(LetzteSongs[0].Anzeige, L"Short - Song 2");
  EXPECT_EQ(FehlerZaehler, 0);
  EXPECT_TRUE(StatusZeigtSong);

  // Display modes: the file name, and the status line toggling to the totals and back.
  prog->saf->SetChecked(true);
  prog->SongAnzeige();
  EXPECT_EQ(prog->status->Caption(), L"s2.mp3");
  prog->statusClick(prog->status);
  EXPECT_EQ(prog->status->Caption(), L"3 Dateien geladen ()");
  prog->statusClick(prog->status);
  EXPECT_EQ(prog->status->Caption(), L"s2.mp3");
}

// Two playlists from two folders hold the same relative names: each row keeps the song of its own
// playlist in playback and in a save over the first playlist or into a third folder.
TEST_F(ProgPlay, EachRowKeepsTheSongOfItsOwnPlaylist) {
  std::vector<std::wstring> Songs;
  for (const std::wstring Ordner : {L"A", L"C"}) {
    MakeDir(Dir.File(Ordner));
    MakeDir(Dir.File(Ordner + L"\\sub"));
    for (const wchar_t* Name : {L"song1.mp3", L"song2.mp3"})
      Songs.push_back(CopyFixture(L"short\\s" + std::to_wstring(Songs.size() % 3 + 1) + L".mp3",
                                  Ordner + L"\\sub\\" + Name));
    WritePlaylist(Ordner + L"\\list.vlm", {L"sub\\song1.mp3", L"sub\\song2.mp3"});
  }
  MakeDir(Dir.File(L"T"));
  PlaylistLaden(Dir.File(L"A\\list.vlm"), true);
  PlaylistLaden(Dir.File(L"C\\list.vlm"), false);
  prog->ListeAktualisieren();
  ASSERT_EQ(AlleSongs.size(), 4u);
  AktIndex = -1;
  for (int Row = 0; Row < 4; ++Row) {
    prog->weiterClick(prog);
    EXPECT_EQ(Playing(), Songs[Row]) << Row;
  }

  AnswerDialogs(Dir.File(L"A\\list"), 2, [](HWND Dialog) {
    if (!GetDlgItem(Dialog, 0x470)) PostMessageA(Dialog, WM_COMMAND, IDYES, 0);  // replace it
  });
  prog->mp2Click(prog);
  AnswerNextDialog(Dir.File(L"T\\copy"));
  prog->mp2Click(prog);
  for (const wchar_t* Liste : {L"A\\list.vlm", L"T\\copy.vlm"}) {
    DateiQuellen.clear();
    PlaylistLaden(Dir.File(Liste), true);
    ASSERT_EQ(AlleSongs.size(), 4u) << Liste;
    for (int Row = 0; Row < 4; ++Row) EXPECT_EQ(DateiFinden(AlleSongs[Row]), Songs[Row]) << Liste << Row;
  }
  EXPECT_TRUE(Shown.empty());
}

// Each display mode gives its text; a missing tag shows as "??". A mode click shows the new form at
// once, in the status line and, when asked, in the title.
TEST_F(ProgPlay, EachDisplayModeShowsItsTextAtOnce) {
  const std::wstring Datei = Fixture(L"display\\tags.mp3");
  prog->Wiederholen->SetChecked(true);  // the song must not end while the test runs
  prog->DateiAbspielen(Datei);
  ASSERT_NE(prog->AktuellerPlayer(), nullptr);
  EXPECT_EQ(prog->status->Caption(), L"Art - Tit");
  prog->saheaderClick(prog->saheader);
  EXPECT_EQ(prog->Caption(), "Art - Tit - Korriband Velmaro");
  const std::pair<TMenuItem*, const char*> Modi[] = {{prog->saata, "Art - Tit (Alb)"},
                                                     {prog->saatta, "Art - Tit (Alb, 3)"},
                                                     {prog->saatg, "Art - Tit (?\?)"},
                                                     {prog->saf, "tags.mp3"},
                                                     {prog->saat, "Art - Tit"}};
  for (const auto& [Modus, Text] : Modi) {
    prog->saatClick(Modus);
    EXPECT_EQ(prog->status->Caption(), AnsiToWide(Text));
    EXPECT_EQ(prog->Caption(), std::string(Text) + " - Korriband Velmaro");
  }
  // Without the status line as a target the song stays out of it.
  prog->sastatusClick(prog->sastatus);
  prog->status->SetCaption(L"leer");
  prog->saatClick(prog->saata);
  EXPECT_EQ(prog->status->Caption(), L"leer");
  EXPECT_EQ(prog->Caption(), "Art - Tit (Alb) - Korriband Velmaro");
}

TEST_F(ProgPlay, TheEndOfASongPlaysTheNextRowAndWrapsAtTheEnd) {
  AddShortSongs();
  AktIndex = 2;
  prog->DateiAbspielen(Short(3));
  ASSERT_TRUE(WaitFor(Short(1)));
  EXPECT_EQ(AktIndex, 0);
  ASSERT_TRUE(WaitFor(Short(2)));
  EXPECT_EQ(AktIndex, 1);
  EXPECT_EQ(LetzteSongs.size(), 3u);
  EXPECT_TRUE(Log().empty());
}

TEST_F(ProgPlay, ASongEndingWithAnEmptyViewStopsAndTheWindowSaysSo) {
  AddShortSongs();
  prog->DateiAbspielen(Short(1));
  TcbAudioPlay* const Ended = prog->AktuellerPlayer();
  ASSERT_NE(Ended, nullptr);
  prog->suchwort->SetText(L"no such song");
  prog->SuchenClick(prog->Suchen);
  ASSERT_TRUE(SuchErgebnis.empty());
  EXPECT_TRUE(PumpMessagesUntil([] { return !SpieltGerade; }, 5000));
  EXPECT_EQ(prog->BtPlay->Caption(), L">");
  EXPECT_FALSE(prog->Timer1->Enabled());
  EXPECT_EQ(prog->AktuellerPlayer(), Ended);  // nothing else was started
  EXPECT_EQ(LetzteSongs.size(), 1u);
  EXPECT_TRUE(Log().empty());
}

TEST_F(ProgPlay, RepeatReplaysAndHoldsForTheNextPlayer) {
  AddShortSongs();
  prog->WiederholenClick(prog->Wiederholen);
  EXPECT_TRUE(prog->Wiederholen->Checked());
  prog->DateiAbspielen(Short(1));
  ASSERT_NE(prog->AktuellerPlayer(), nullptr);
  EXPECT_TRUE(prog->AktuellerPlayer()->Repeat);  // a new player takes the menu's check
  TcbAudioPlay* const First = prog->AktuellerPlayer();
  PumpMessagesFor(1500);  // several ends of a 0.4 s song
  EXPECT_EQ(prog->AktuellerPlayer(), First);
  EXPECT_EQ(First->State, 2);
  prog->WiederholenClick(prog->Wiederholen);
  EXPECT_FALSE(First->Repeat);
  ASSERT_TRUE(WaitFor(Short(2)));
}

TEST_F(ProgPlay, AQueuedSongPlaysOnceAfterTheCurrentOne) {
  AddShortSongs();
  prog->DateiAbspielen(Short(1));
  SelectRows({2});
  prog->pop_title_nextClick(prog);
  EXPECT_EQ(NaechsterTitel, Short(3));
  ASSERT_TRUE(WaitFor(Short(3)));
  EXPECT_TRUE(NaechsterTitel.empty());
  ASSERT_TRUE(WaitFor(Short(1)));  // AktIndex was the queued row: the next is row 0 again
}

TEST_F(ProgPlay, PreviousReplaysTheCurrentSongAndQueuesIt) {
  const std::wstring Long = Fixture(L"long.mp3");
  const std::wstring Other = Fixture(L"songs\\a.mp3");
  prog->DateiHinzufuegen(Long, false);
  prog->DateiHinzufuegen(Other, false);
  prog->ListeAktualisieren();
  prog->DateiAbspielen(Long);
  prog->DateiAbspielen(Other);
  ASSERT_EQ(LetzteSongs.size(), 2u);
  prog->zurueckClick(prog);
  EXPECT_EQ(Playing(), Other);  // the same song again from its start
  EXPECT_EQ(NaechsterTitel, Other);
  EXPECT_EQ(LetzteSongs.size(), 1u);
  prog->zurueckClick(prog);
  EXPECT_EQ(Playing(), Long);
  EXPECT_TRUE(LetzteSongs.empty());
  prog->zurueckClick(prog);  // empty history: nothing
  EXPECT_EQ(Playing(), Long);
  prog->weiterClick(prog);
  EXPECT_EQ(Playing(), Other);
}

// The open recent songs window shows each song as it starts, follows the step back, and plays a row again.
TEST_F(ProgPlay, TheOpenRecentSongsWindowShowsTheSongJustStarted) {
  const std::wstring Long = Fixture(L"long.mp3");
  const std::wstring Other = Fixture(L"songs\\a.mp3");
  lastfiles->Show();
  const auto Top = [] { return lastfiles->lf->Items()->Item(0)->SubItems()->Get(0); };  // its path
  prog->DateiAbspielen(Long);
  ASSERT_EQ(lastfiles->lf->Items()->Count(), 1);
  EXPECT_EQ(lastfiles->lf->Items()->Item(0)->Caption(), L"Long - Song");
  prog->DateiAbspielen(Other);
  ASSERT_EQ(lastfiles->lf->Items()->Count(), 2);
  EXPECT_EQ(Top(), Other);
  prog->zurueckClick(prog);
  EXPECT_EQ(lastfiles->lf->Items()->Count(), 1);
  EXPECT_EQ(Top(), Long);

  lastfiles->lf->SetItemIndex(0);
  AktIndex = 1;
  lastfiles->lfDblClick(lastfiles->lf);
  EXPECT_EQ(Playing(), Long);
  EXPECT_EQ(AktIndex, 0);
  EXPECT_EQ(lastfiles->lf->Items()->Count(), 2);
  EXPECT_EQ(Top(), Long);
}

TEST_F(ProgPlay, StopPlayAndTheMediaKeys) {
  prog->DateiHinzufuegen(Fixture(L"long.mp3"), false);
  prog->ListeAktualisieren();
  prog->mw1Click(prog);  // no player yet: row 0
  ASSERT_NE(prog->AktuellerPlayer(), nullptr);
  TcbAudioPlay* const Player = prog->AktuellerPlayer();
  EXPECT_EQ(prog->BtPlay->Caption(), L"X");
  prog->mw2Click(prog);
  EXPECT_EQ(Player->State, 1);
  EXPECT_FALSE(SpieltGerade);
  EXPECT_FALSE(prog->Timer1->Enabled());
  EXPECT_EQ(prog->BtPlay->Caption(), L">");
  prog->mw1Click(prog);
  EXPECT_EQ(Player->State, 2);
  EXPECT_EQ(prog->BtPlay->Caption(), L"X");
  prog->BtPlayClick(prog->BtPlay);
  EXPECT_EQ(Player->State, 1);
  // The play/pause key toggles as the button does.
  EXPECT_EQ(SendMessageA(prog->Handle(), WM_APPCOMMAND, 0, 0xE0000), 1);
  EXPECT_EQ(Player->State, 2);
  EXPECT_EQ(SendMessageA(prog->Handle(), WM_APPCOMMAND, 0, 0xE0000), 1);
  EXPECT_EQ(Player->State, 1);
  EXPECT_EQ(prog->BtPlay->Caption(), L">");
  EXPECT_EQ(SendMessageA(prog->Handle(), WM_APPCOMMAND, 0, 0xD0000), 1);
  EXPECT_EQ(prog->AktuellerPlayer(), Player);
  prog->FreePlayer();
  EXPECT_FALSE(prog->SuchenMoeglich());
}

TEST_F(ProgPlay, ThePositionBarMovesAndAClickBesideTheThumbSeeks) {
  prog->DateiAbspielen(Fixture(L"long.mp3"));
  ASSERT_NE(prog->AktuellerPlayer(), nullptr);
  EXPECT_EQ(prog->lblDuration->Caption().substr(0, 8), L"00:00:20");
  ASSERT_TRUE(PumpMessagesUntil([] { return prog->stelle->Position() > 0; }, 3000));
  EXPECT_NE(prog->lblPosition->Caption(), L"00:00:00:000");
  ASSERT_TRUE(prog->SuchenMoeglich());
  const HWND Bar = prog->stelle->Handle();
  RECT Channel, Thumb;
  SendMessageA(Bar, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&Channel));
  SendMessageA(Bar, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&Thumb));
  const int X = Channel.left + (Channel.right - Channel.left) * 3 / 4;
  const int Y = (Thumb.top + Thumb.bottom) / 2;
  SendMessageA(Bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(X, Y));
  SendMessageA(Bar, WM_LBUTTONUP, 0, MAKELPARAM(X, Y));
  EXPECT_NEAR(prog->stelle->Position(), 750, 30);
  const int64_t Position = prog->AktuellerPlayer()->GetPosition();
  EXPECT_NEAR(static_cast<double>(Position) / 10000000, 15.0, 1.0);
  // Beside the channel nothing happens.
  SendMessageA(Bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(X, Thumb.bottom + 50));
  EXPECT_NEAR(prog->stelle->Position(), 750, 30);
}

TEST_F(ProgPlay, AnUnplayableFileIsLoggedAndSkipped) {
  const std::wstring Bad = CopyFixture(L"songs\\notes.txt", L"bad.mp3");
  const std::wstring Good = CopyFixture(L"short\\s1.mp3", L"good.mp3");
  SetSongs({Bad, Good});
  AktIndex = 0;
  prog->DateiAbspielen(Bad);
  const std::vector<std::string> Lines = Log();
  ASSERT_GE(Lines.size(), 4u);  // the engine's message may span lines
  EXPECT_EQ(Lines.back(),
            "> N\xE4"
            "chste Datei wird geladen...");
  EXPECT_EQ(Lines[0], "\"" + WideToAnsi(Bad) + "\"");
  EXPECT_EQ(Lines[1], "  Datei kann nicht abgespielt werden. Fehlercode: ");
  EXPECT_EQ(Lines[2].substr(0, 2), "  ");
  EXPECT_GT(Lines[2].size(), 2u);
  EXPECT_EQ(Playing(), Good);
  EXPECT_EQ(AktIndex, 1);
  EXPECT_EQ(LetzteSongs.size(), 1u);

  // Alone in the list it fails fifteen times and leaves nothing shown as playing.
  prog->FreePlayer();
  fehler->Memo1->Lines()->Clear();
  SetSongs({Bad});
  prog->BtPlayClick(prog->BtPlay);
  const std::vector<std::string> All = Log();
  EXPECT_EQ(All.back(), "> Automatischer Abbruch.");
  EXPECT_EQ(std::count(All.begin(), All.end(), "\"" + WideToAnsi(Bad) + "\""), 15);
  EXPECT_FALSE(SpieltGerade);
  EXPECT_EQ(prog->BtPlay->Caption(), L">");
}

TEST_F(ProgPlay, AStepBackToAnUnplayableFileIsLoggedAndPassedOver) {
  const std::wstring Bad = CopyFixture(L"songs\\notes.txt", L"bad.mp3");
  const std::wstring Good = CopyFixture(L"short\\s1.mp3", L"good.mp3");
  SetSongs({Good});
  LetzteSongs.push_back({L"Bad", Bad});
  prog->DateiAbspielen(Good);
  prog->zurueckClick(prog);  // the current song again
  ASSERT_EQ(Playing(), Good);
  EXPECT_NO_THROW(prog->zurueckClick(prog));
  const std::vector<std::string> Lines = Log();
  ASSERT_GE(Lines.size(), 4u);
  EXPECT_EQ(Lines[0], "\"" + WideToAnsi(Bad) + "\"");
  EXPECT_EQ(Lines[1], "  Datei kann nicht abgespielt werden. Fehlercode: ");
  EXPECT_EQ(Playing(), Good);  // passed over to the next song, Good again, from its beginning
  ASSERT_EQ(LetzteSongs.size(), 1u);
  EXPECT_EQ(LetzteSongs[0].Pfad, Good);
}

TEST_F(ProgPlay, AGraphErrorAtTheEndGoesToTheLogAndOn) {
  AddShortSongs();
  prog->WiederholenClick(prog->Wiederholen);  // no normal end meanwhile
  AktIndex = 0;
  prog->DateiAbspielen(Short(1));
  const EcbAudioPlayError Failure("Playback aborted by the media graph: broken", 0x80004005);
  PlayerNextSong(&Failure);
  EXPECT_EQ(Playing(), Short(1));  // only posted: the engine's handler returns first
  ASSERT_TRUE(WaitFor(Short(2)));
  const std::vector<std::string> Lines = Log();
  ASSERT_EQ(Lines.size(), 4u);
  EXPECT_EQ(Lines[2], "  Playback aborted by the media graph: broken");
}

}  // namespace
