// The player window without sound: life cycle, command line, the playlist view and the failure path.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "app/OneInstanceFunc.h"
#include "app/u_funktionen.h"
#include "tests/app/ProgFixture.h"
#include "tests/app/ProgramCopy.h"
#include "tests/support/DialogAnswer.h"
#include "tests/support/KeyPress.h"

namespace {

using ProgWindow = TProgFixture;

std::vector<std::wstring> Paths() {
  std::vector<std::wstring> Result;
  for (const Song& S : AngezeigteSongs()) Result.push_back(S[sfPath]);
  return Result;
}

TEST_F(ProgWindow, CommandLineTakesPlaylistFileFolderAndSkipsAMissingPath) {
  WritePlaylist(L"list.vlm", {L"C:\\from\\list.mp3"});
  WritePlaylist(L"beside.vlm", {L"C:\\beside.mp3"});
  const std::wstring Upper = CopyFixture(L"songs\\a.mp3", L"x.VLM");
  prog->Parameter = {Dir.File(L"list.vlm"), Fixture(L"songs\\a.mp3"), Fixture(L"songs"), Dir.File(L"missing"),
                     Upper};
  prog->Show();
  const std::vector<std::wstring> Got = Paths();
  ASSERT_EQ(Got.size(), 7u);
  EXPECT_EQ(Got[0], L"C:\\from\\list.mp3");
  EXPECT_EQ(Got[1], Fixture(L"songs\\a.mp3"));
  EXPECT_EQ(std::set<std::wstring>(Got.begin() + 2, Got.begin() + 6),
            (std::set<std::wstring>{Fixture(L"songs\\a.mp3"), Fixture(L"songs\\Band - Song.mp3"),
                                    Fixture(L"songs\\sub\\b.ogg"), Fixture(L"songs\\sub\\deeper\\c.wav")}));
  EXPECT_EQ(Got[6], Upper);  // an upper-case extension is an audio file, not a playlist
  EXPECT_EQ(prog->lv->Items()->Count(), 7);
  EXPECT_TRUE(Shown.empty());
  EXPECT_FALSE(startfenster->Visible());  // a parameter wins over the playlists beside the program
  EXPECT_EQ(StartPlaylisten->Count(), 0);
  EXPECT_EQ(GetWindowLongA(prog->Handle(), GWL_EXSTYLE) & WS_EX_APPWINDOW, WS_EX_APPWINDOW);
}

TEST_F(ProgWindow, AnUnreadablePlaylistIsShownAndTheLaterParametersStillLoad) {
  prog->Parameter = {Dir.File(L"gone.vlm"), Fixture(L"songs\\a.mp3")};
  // The message comes once the window shows: it is not left waiting behind a hidden one.
  bool WindowShown = false;
  const auto Record = Application->OnException;
  Application->OnException = [&](TObject* Sender, std::exception_ptr Error) {
    WindowShown = IsWindowVisible(prog->Handle());
    Record(Sender, Error);
  };
  prog->Show();
  EXPECT_TRUE(PumpMessagesUntil([&] { return !Shown.empty(); }, 5000));
  EXPECT_EQ(Shown.size(), 1u);
  EXPECT_TRUE(WindowShown);
  EXPECT_EQ(Paths(), std::vector<std::wstring>{Fixture(L"songs\\a.mp3")});
}

TEST_F(ProgWindow, PlaylistsBesideTheProgramLoadTheOnlyOneOrShowTheChooser) {
  WritePlaylist(L"one.vlm", {L"C:\\one.mp3"});
  prog->Show();
  EXPECT_EQ(Paths(), std::vector<std::wstring>{L"C:\\one.mp3"});
  EXPECT_FALSE(startfenster->Visible());
  EXPECT_EQ(StartPlaylisten->Count(), 0);
  EXPECT_EQ(prog->status->Caption(), L"1 Dateien geladen (1sec)");
}

TEST_F(ProgWindow, AnUnreadableOnlyPlaylistBesideTheProgramIsShownAndTheWindowStillOpens) {
  WritePlaylist(L"one.vlm", {L"C:\\one.mp3"});
  const HANDLE Locked =
      CreateFileW(Dir.File(L"one.vlm").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(Locked, INVALID_HANDLE_VALUE);
  prog->Show();
  CloseHandle(Locked);
  EXPECT_TRUE(PumpMessagesUntil([&] { return !Shown.empty(); }, 5000));
  EXPECT_EQ(Shown.size(), 1u);
  EXPECT_TRUE(prog->Visible());
  EXPECT_TRUE(AlleSongs.empty());
}

TEST_F(ProgWindow, TwoPlaylistsBesideTheProgramShowTheChooser) {
  WritePlaylist(L"one.vlm", {L"C:\\one.mp3"});
  WritePlaylist(L"two.vlm", {L"C:\\two.mp3"});
  MakeDir(Dir.File(L"sub"));
  WritePlaylist(L"sub\\three.vlm", {L"C:\\three.mp3"});  // only the program folder itself counts
  prog->Show();
  EXPECT_TRUE(AlleSongs.empty());
  EXPECT_TRUE(startfenster->Visible());
  EXPECT_EQ(StartPlaylisten->Count(), 2);
  startfenster->Close();
  EXPECT_EQ(StartPlaylisten->Count(), 0);
}

TEST_F(ProgWindow, AutoloadOfTheSettingsFileDecidesAtTheFirstActivationOnly) {
  prog->Show();
  struct {
    const char* Ini;  // nullptr: no settings file; each file turns random play on
    bool Loads;
  } const Cases[] = {{nullptr, false},
                     {"[wiedergabe]\r\nzufall=1\r\n[einstellungen]\r\nautoload=0\r\n", false},
                     {"[wiedergabe]\r\nzufall=1\r\n[einstellungen]\r\nautoload=1\r\n", true},
                     {"[wiedergabe]\r\nzufall=1\r\n", true}};  // default: the checked menu item
  for (const auto& Case : Cases) {
    DeleteFileW(Dir.File(L"velmaro.ini").c_str());
    if (Case.Ini) WriteBytes(Dir.File(L"velmaro.ini"), Bytes(Case.Ini, Case.Ini + strlen(Case.Ini)));
    prog->zufall->SetChecked(false);
    prog->einstautoload->SetChecked(true);
    ErsteAktivierung = true;
    prog->FormActivate(prog);
    EXPECT_EQ(prog->zufall->Checked(), Case.Loads) << (Case.Ini ? Case.Ini : "no file");
    prog->zufall->SetChecked(false);
    prog->FormActivate(prog);
    EXPECT_FALSE(prog->zufall->Checked());
    EXPECT_FALSE(ErsteAktivierung);
    // autoload=0 clears the check, so that the next save keeps it off.
    EXPECT_EQ(prog->einstautoload->Checked(), !Case.Ini || Case.Loads);
  }
}

TEST_F(ProgWindow, ClosingWithAutosaveWritesTheSettingsFirst) {
  bool CanClose = false;
  prog->FormCloseQuery(prog, CanClose);
  EXPECT_TRUE(CanClose);
  EXPECT_FALSE(PathExists(Dir.File(L"velmaro.ini")));
  prog->einstautosave->SetChecked(true);
  prog->FormCloseQuery(prog, CanClose);
  const Bytes File = ReadBytes(Dir.File(L"velmaro.ini"));
  EXPECT_NE(std::string(File.begin(), File.end()).find("autosave=1\r\n"), std::string::npos);

  // A later copy that hands its files over while the message of a refused write is shown starts on its
  // own with them: this copy would drop them when it ends.
  OneInstWndClassName = OneInstanceClassName(Dir.File(L"velmaro.exe"));
  const HWND Utility = CreateOneInstWindow();
  const HANDLE NurLesen = CreateFileW(Dir.File(L"velmaro.ini").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
  std::wstring CmdLine = L"\"C:\\velmaro.exe\" \"" + Fixture(L"songs\\a.mp3") + L"\"";
  LRESULT Reply = 0;
  Application->OnException = [&](TObject*, std::exception_ptr) {
    COPYDATASTRUCT Data{1, static_cast<DWORD>(CmdLine.size() * 2), CmdLine.data()};
    Reply = SendMessageW(Utility, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&Data));
  };
  prog->FormCloseQuery(prog, CanClose);
  CloseHandle(NurLesen);
  EXPECT_EQ(Reply, OneInstReplyContinue);

  // The session ends: a window that will not close keeps it going; else the system's question and then
  // its end write the settings as a close does.
  prog->Show();
  const TCloseQueryEvent Asks = prog->OnCloseQuery;
  prog->OnCloseQuery = [](TObject*, bool& Closes) { Closes = false; };
  EXPECT_FALSE(SendMessageW(prog->Handle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
  SendMessageW(prog->Handle(), WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
  EXPECT_TRUE(prog->Visible());
  EXPECT_FALSE(Application->Terminated());
  prog->OnCloseQuery = Asks;
  const std::wstring Ini = Dir.File(L"velmaro.ini");
  DeleteFileW(Ini.c_str());
  EXPECT_TRUE(SendMessageW(prog->Handle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
  EXPECT_TRUE(PathExists(Ini));
  // Another program kept the session going: this copy takes hand-overs again.
  SendMessageW(prog->Handle(), WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
  COPYDATASTRUCT Data{1, static_cast<DWORD>(CmdLine.size() * 2), CmdLine.data()};
  EXPECT_EQ(SendMessageW(Utility, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&Data)), OneInstReplyHalt);
  DestroyWindow(Utility);
  EXPECT_TRUE(SendMessageW(prog->Handle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
  DeleteFileW(Ini.c_str());
  SendMessageW(prog->Handle(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  EXPECT_TRUE(PathExists(Ini));
  EXPECT_FALSE(prog->Visible());
  EXPECT_TRUE(Application->Terminated());
}

TEST_F(ProgWindow, AddingAFolderReadsTagsIntoTheRows) {
  prog->OrdnerHinzufuegen(Fixture(L"songs"));
  EXPECT_TRUE(prog->Enabled());
  ASSERT_EQ(AlleSongs.size(), 4u);
  std::sort(AlleSongs.begin(), AlleSongs.end(),
            [](const Song& A, const Song& B) { return A[sfPath] < B[sfPath]; });
  EXPECT_EQ(AlleSongs[0],
            (Song{L"Band", L"Song", L"0:02", L"", L"", L"", L"", Fixture(L"songs\\Band - Song.mp3")}));
  EXPECT_EQ(AlleSongs[1], (Song{L"Alpha", L"First", L"0:02", L"Album A", L"1", L"2001", L"Rock",
                                Fixture(L"songs\\a.mp3")}));
  EXPECT_EQ(AlleSongs[2][sfArtist], L"Beta");
  EXPECT_EQ(AlleSongs[2][sfAlbum], L"Album B");
  EXPECT_EQ(AlleSongs[3][sfPath], Fixture(L"songs\\sub\\deeper\\c.wav"));
  EXPECT_EQ(prog->status->Caption().substr(0, 19), L"4 Dateien geladen (");

  TUCodeListItem Row(prog->lv, 1);
  prog->lvData(prog->lv, &Row);
  EXPECT_EQ(Row.Caption(), L"2");
  ASSERT_EQ(Row.SubItems()->Count(), 8);
  EXPECT_EQ(Row.SubItems()->Get(0), L"Alpha");
  EXPECT_EQ(Row.SubItems()->Get(5), L"2001");
}

TEST_F(ProgWindow, RelativePathsOnlyInsideTheProgramFolder) {
  ProgrammOrdnerErsatz = FixtureFolder(L"APP_FIXTURES") + L"\\";
  addordner->relativ->SetChecked(true);
  prog->OrdnerHinzufuegen(Fixture(L"songs\\sub"));
  const std::wstring Outside = CopyFixture(L"songs\\a.mp3", L"out.mp3");
  prog->DateiHinzufuegen(Outside, true);
  std::vector<std::wstring> Got = Paths();
  ASSERT_EQ(Got.size(), 3u);
  EXPECT_EQ(Got[2], Outside);
  std::sort(Got.begin(), Got.begin() + 2);
  EXPECT_EQ(Got[0], L"songs\\sub\\b.ogg");
  EXPECT_EQ(Got[1], L"songs\\sub\\deeper\\c.wav");
}

TEST_F(ProgWindow, AddingFromAnotherCopyOfTheProgramAfterItHasItsAnswer) {
  // The utility window of this copy, as the later copy finds it.
  OneInstWndClassName = OneInstanceClassName(Dir.File(L"velmaro.exe"));
  const HWND Utility = CreateOneInstWindow();
  const std::wstring CmdLine =
      L"\"C:\\velmaro.exe\" \"" + Fixture(L"songs\\a.mp3") + L"\" \"" + Fixture(L"songs\\sub") + L"\"";
  COPYDATASTRUCT Data{1, static_cast<DWORD>(CmdLine.size() * 2), const_cast<wchar_t*>(CmdLine.data())};
  // The later copy waits for the answer only so long: the tags are read after it has it.
  EXPECT_EQ(SendMessageW(Utility, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&Data)), OneInstReplyHalt);
  EXPECT_TRUE(AlleSongs.empty());
  EXPECT_TRUE(PumpMessagesUntil([] { return AlleSongs.size() == 3; }, 10000));
  EXPECT_EQ(prog->lv->Items()->Count(), 3);

  // Handed over while this copy starts, before its player window exists: the files wait for the window.
  Application->DestroyForms();
  EXPECT_EQ(SendMessageW(Utility, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&Data)), OneInstReplyHalt);
  CreateProgramWindows();
  prog->Parameter.clear();
  EXPECT_TRUE(PumpMessagesUntil([] { return AlleSongs.size() == 3; }, 10000));
  DestroyWindow(Utility);
}

// The same between two processes: a real later copy ends on its answer. Until it has ended this copy
// answers only sent messages, so any tag read before the answer would show in the list.
TEST_F(ProgWindow, ARealLaterCopyEndsBeforeItsFilesAreRead) {
  const std::wstring Program = Dir.File(L"velmaro.exe");
  ASSERT_TRUE(CopyFileW(WinePath(VELMARO_PROGRAM).c_str(), Program.c_str(), FALSE));
  OneInstWndClassName = OneInstanceClassName(Program);
  const HWND Utility = CreateOneInstWindow();
  const TCopy Later(
      Program,
      L"\"" + Program + L"\" \"" + Fixture(L"songs\\a.mp3") + L"\" \"" + Fixture(L"songs\\sub") + L"\"",
      Dir.Path());
  ASSERT_TRUE(Later.Started);
  const HANDLE Process = Later.Process();
  DWORD Waited;
  MSG Msg;
  while ((Waited = MsgWaitForMultipleObjects(1, &Process, FALSE, 60000, QS_SENDMESSAGE)) == WAIT_OBJECT_0 + 1)
    PeekMessageW(&Msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  EXPECT_EQ(Waited, WAIT_OBJECT_0);  // else it went on as a second player
  EXPECT_TRUE(Later.Ended());
  EXPECT_TRUE(AlleSongs.empty());
  EXPECT_TRUE(PumpMessagesUntil([] { return AlleSongs.size() == 3; }, 10000));
  DestroyWindow(Utility);
}

TEST_F(ProgWindow, AFailingParameterOfAnotherCopyGoesToTheErrorLogAndTheOthersLoad) {
  TUCodeStringList Params;
  for (const std::wstring& Param : {std::wstring(L"v.exe"), Dir.File(L"gone.vlm"), Fixture(L"songs\\a.mp3")})
    Params.Add(Param);
  bool Allow = false;
  prog->OneInstanceNewInstance(prog, 1, &Params, Allow);
  EXPECT_TRUE(PumpMessagesUntil([] { return AlleSongs.size() == 1; }, 10000));
  EXPECT_EQ(Paths(), std::vector<std::wstring>{Fixture(L"songs\\a.mp3")});
  EXPECT_TRUE(Shown.empty());  // no message box: another copy may be waiting for its answer
  const std::vector<std::string> Lines = Log();
  ASSERT_FALSE(Lines.empty());
  EXPECT_EQ(Lines[0], "\"" + WideToAnsi(Dir.File(L"gone.vlm")) + "\"");
  EXPECT_TRUE(fehler->Visible());
  EXPECT_FALSE(Allow);
}

TEST(u_funktionenPlayTime, TotalsOfTheLengthFields) {
  struct {
    std::vector<std::wstring> Lengths;
    const char* Text;
  } const Cases[] = {
      {{L"1:02:05"}, "(1h 2min 5sec)"},
      {{L"1:00:00", L"1:00:00"}, "(2h )"},
      {{L"0:00"}, "()"},
      {{}, ""},
      {{L"0:59:59", L"0:01"}, "(1h )"},
      {{L"59:30", L"0:45"}, "(1h 15sec)"},
      {{L"", L"abc", L"1:x0", L"12", L"1:5", L"0:10"}, "(10sec)"},  // what is no length counts 0 s
      {{L"8640:00:00", L"720:00:00", L"24:00:01"}, "(1y 1m 1d 1sec)"},
  };
  for (const auto& Case : Cases) {
    TWideSongArray Songs;
    for (const std::wstring& L : Case.Lengths) {
      Songs.emplace_back();
      Songs.back()[sfLength] = L;
    }
    EXPECT_EQ(PlayTimeText(Songs), Case.Text);
  }
}

TEST_F(ProgWindow, DeletingSelectedRowsKeepsTheOthersInOrderAndRefreshesTheStatus) {
  SetSongs({L"1", L"2", L"3", L"4", L"5"});
  SelectRows({1, 3});
  prog->p4Click(prog);
  EXPECT_EQ(Paths(), (std::vector<std::wstring>{L"1", L"3", L"5"}));
  EXPECT_EQ(AktIndex, 1);
  EXPECT_EQ(prog->lv->Items()->Count(), 3);
  EXPECT_EQ(prog->status->Caption(), L"3 Dateien geladen (3sec)");
  prog->p4Click(prog);  // nothing selected now
  EXPECT_EQ(AlleSongs.size(), 3u);

  // From a search result only the result loses rows; showing all brings them back.
  prog->regexsuche->SetChecked(true);
  prog->suchwort->SetText(L"Artist [15]");
  prog->SuchenClick(prog->Suchen);
  SelectRows({0});
  prog->p4Click(prog);
  EXPECT_EQ(Paths(), std::vector<std::wstring>{L"5"});
  EXPECT_EQ(AlleSongs.size(), 3u);
  prog->AlleClick(prog->Alle);
  EXPECT_EQ(Paths(), (std::vector<std::wstring>{L"1", L"3", L"5"}));
}

TEST_F(ProgWindow, ColumnClicksSortAscendingThenDescending) {
  SetSongs({L"b", L"c", L"a"});
  TListColumn* Path = prog->lv->Columns()->Items(8);
  prog->lvColumnClick(prog->lv, Path);
  EXPECT_EQ(Paths(), (std::vector<std::wstring>{L"a", L"b", L"c"}));
  prog->lvColumnClick(prog->lv, Path);
  EXPECT_EQ(Paths(), (std::vector<std::wstring>{L"c", L"b", L"a"}));
  prog->lvColumnClick(prog->lv, prog->lv->Columns()->Items(1));  // same artist prefix, by path text
  EXPECT_EQ(SortAbsteigend, 0);
  EXPECT_EQ(Paths(), (std::vector<std::wstring>{L"a", L"b", L"c"}));
  SetSongs({L"z"});
  prog->lvColumnClick(prog->lv, Path);
  EXPECT_EQ(SortSpalte, 1);  // one row: nothing happens
}

TEST_F(ProgWindow, ClearingAndHidingTheList) {
  SetSongs({L"1", L"2"});
  prog->mp6Click(prog);
  EXPECT_EQ(prog->lv->Items()->Count(), 0);
  EXPECT_EQ(AlleSongs.size(), 2u);
  EXPECT_EQ(prog->status->Caption(), L"Keine Dateien geladen");
  prog->mp5Click(prog);
  EXPECT_EQ(prog->lv->Items()->Count(), 2);
  prog->mp7Click(prog);
  EXPECT_TRUE(AlleSongs.empty());
  EXPECT_EQ(prog->status->Caption(), L"0 Dateien geladen ");
}

TEST_F(ProgWindow, FifteenMissingFilesInARowStopTheSkipping) {
  std::vector<std::wstring> Missing;
  for (int I = 0; I < 20; ++I) Missing.push_back(Dir.File(L"gone" + std::to_wstring(I) + L".mp3"));
  SetSongs(Missing);
  AktIndex = 0;
  prog->BtPlayClick(prog->BtPlay);
  const std::vector<std::string> Lines = Log();
  ASSERT_EQ(Lines.size(), 15u * 3 + 1);
  EXPECT_EQ(Lines[0], "\"" + WideToAnsi(Missing[0]) + "\"");
  EXPECT_EQ(Lines[1], "  Datei existiert nicht.");
  EXPECT_EQ(Lines[2],
            "> N\xE4"
            "chste Datei wird geladen...");
  EXPECT_EQ(Lines[42], "\"" + WideToAnsi(Missing[14]) + "\"");
  EXPECT_EQ(Lines[45], "> Automatischer Abbruch.");
  EXPECT_EQ(AktIndex, 14);
  EXPECT_FALSE(SpieltGerade);  // a failed start does not show playing
  EXPECT_EQ(prog->BtPlay->Caption(), L">");
  EXPECT_EQ(FehlerZaehler, 15);

  // Until a song starts, each further failure stops at once, in the language of the moment.
  start->spr->SetCaption("en");
  prog->weiterClick(prog);
  const std::vector<std::string> More = Log();
  ASSERT_EQ(More.size(), Lines.size() + 4);
  EXPECT_EQ(More[Lines.size() + 1], "  File does not exist.");
  EXPECT_EQ(More.back(), "> Automatic Abord.");
}

TEST_F(ProgWindow, NextSongChoice) {
  SetSongs({Dir.File(L"0"), Dir.File(L"1"), Dir.File(L"2"), Dir.File(L"3")});
  // At the last row the next song is row 0.
  FehlerZaehler = MaxFehlerInFolge - 1;  // each start fails once and stops
  AktIndex = 3;
  prog->weiterClick(prog);
  EXPECT_EQ(AktIndex, 0);
  EXPECT_EQ(Log()[0], "\"" + WideToAnsi(Dir.File(L"0")) + "\"");

  // A queued song is tried once; the skip after it goes on after AktIndex.
  fehler->Memo1->Lines()->Clear();
  FehlerZaehler = MaxFehlerInFolge - 2;
  NaechsterTitel = Dir.File(L"queued");
  AktIndex = 1;
  prog->weiterClick(prog);
  const std::vector<std::string> Lines = Log();
  ASSERT_EQ(Lines.size(), 7u);
  EXPECT_EQ(Lines[0], "\"" + WideToAnsi(Dir.File(L"queued")) + "\"");
  EXPECT_EQ(Lines[3], "\"" + WideToAnsi(Dir.File(L"2")) + "\"");
  EXPECT_TRUE(NaechsterTitel.empty());

  // Random play picks rows that exist, not always the same.
  prog->zufallClick(prog);
  EXPECT_TRUE(prog->zufall->Checked());
  std::set<int> Picked;
  for (int I = 0; I < 200; ++I) {
    FehlerZaehler = MaxFehlerInFolge - 1;
    prog->weiterClick(prog);
    ASSERT_GE(AktIndex, 0);
    ASSERT_LT(AktIndex, 4);
    Picked.insert(AktIndex);
  }
  EXPECT_EQ(Picked.size(), 4u);

  // Without rows nothing is tried.
  SetSongs({});
  fehler->Memo1->Lines()->Clear();
  prog->weiterClick(prog);
  EXPECT_TRUE(Log().empty());
}

TEST_F(ProgWindow, RowCommandsOnMissingFilesAndWithoutSelection) {
  const std::wstring Song0 = CopyFixture(L"songs\\a.mp3", L"here.mp3");
  SetSongs({Dir.File(L"gone.mp3"), Song0});
  EXPECT_THROW(prog->popupPopup(prog->popup), EAbort);  // no row selected: no popup
  prog->pop_title_nextClick(prog);
  EXPECT_TRUE(NaechsterTitel.empty());
  SelectRows({0});
  prog->popupPopup(prog->popup);
  prog->p1Click(prog);  // a missing file does nothing here
  EXPECT_TRUE(Log().empty());
  prog->pop_title_nextClick(prog);
  EXPECT_TRUE(NaechsterTitel.empty());
  SelectRows({1});
  prog->pop_title_nextClick(prog);  // the first selected row counts
  EXPECT_TRUE(NaechsterTitel.empty());
  prog->mp9Click(prog);
  EXPECT_EQ(prog->SelectedRows(), (std::vector<int>{0, 1}));
  SetSongs({Song0});
  SelectRows({0});
  prog->pop_title_nextClick(prog);
  EXPECT_EQ(NaechsterTitel, Song0);
  EXPECT_EQ(AktIndex, 0);
}

TEST_F(ProgWindow, EnterOnARowPlaysItOtherKeysPass) {
  SetSongs({Dir.File(L"gone.mp3")});
  FehlerZaehler = MaxFehlerInFolge - 1;
  char Key = 'a';
  prog->lvKeyPress(prog->lv, Key);
  EXPECT_EQ(Key, 'a');
  Key = 13;
  prog->lvKeyPress(prog->lv, Key);  // no selection: consumed, nothing played
  EXPECT_EQ(Key, 0);
  EXPECT_TRUE(Log().empty());
  SelectRows({0});
  Key = 13;
  prog->lvKeyPress(prog->lv, Key);
  EXPECT_EQ(Log().size(), 4u);
}

TEST_F(ProgWindow, CommandsWithoutAPlayerDoNothing) {
  prog->Show();
  prog->mw2Click(prog);
  prog->BtPlayClick(prog);
  EXPECT_EQ(prog->BtPlay->Caption(), L">");
  prog->mw1Click(prog);  // no rows: nothing to play
  EXPECT_EQ(prog->BtPlay->Caption(), L">");
  EXPECT_FALSE(SpieltGerade);
  prog->stelle->SetPosition(500);
  EXPECT_EQ(prog->stelle->Position(), 0);
  EXPECT_EQ(prog->lblPosition->Caption(), L"00:00:00:000");
  prog->ShowDuration();
  EXPECT_EQ(prog->lblDuration->Caption(), L"00:00:00:000");
  prog->statusClick(prog->status);
  EXPECT_EQ(prog->status->Caption(), L"0 Dateien geladen ");
  EXPECT_FALSE(StatusZeigtSong);
  // Media keys: the four commands answer 1, any other value (a modifier held) is not handled.
  SetSongs({Dir.File(L"0"), Dir.File(L"1")});
  FehlerZaehler = MaxFehlerInFolge - 1;
  AktIndex = 0;
  EXPECT_EQ(SendMessageA(prog->Handle(), WM_APPCOMMAND, 0, 0xB0000), 1);
  EXPECT_EQ(AktIndex, 1);
  EXPECT_EQ(SendMessageA(prog->Handle(), WM_APPCOMMAND, 0, 0xC0000), 1);
  EXPECT_EQ(SendMessageA(prog->Handle(), WM_APPCOMMAND, 0, 0xD0000), 1);
  EXPECT_EQ(SendMessageA(prog->Handle(), WM_APPCOMMAND, 0, 0xB0000 | 0x40000000), 0);
  EXPECT_EQ(AktIndex, 1);
  EXPECT_TRUE(Shown.empty());
}

TEST_F(ProgWindow, PositionTextInMediaTime) {
  const struct {
    int64_t Position;
    const char* Text;
  } Cases[] = {{0, "00:00:00:000"},
               {3600LL * 10000000, "01:00:00:000"},
               {12345678, "00:00:01:235"},
               {(25LL * 3600 + 61) * 10000000 + 70000, "01:01:01:007"}};  // hours wrap after a day
  for (const auto& Case : Cases) EXPECT_EQ(prog->PositionText(Case.Position), Case.Text);
}

}  // namespace

namespace {

TMenuItem* MenuItem(const char* Name) {
  return static_cast<TMenuItem*>(prog->FindComponent(Name));
}

// Chooses the menu item as a click in the menu does.
void ChooseMenuItem(const char* Name) {
  ASSERT_NE(MenuItem(Name), nullptr) << Name;
  PostMessageA(prog->Handle(), WM_COMMAND, MenuItem(Name)->Command(), 0);
  Application->ProcessMessages();
}

// The file type the dialog shows.
std::string ShownFilter(HWND Dialog) {
  const HWND Types = GetDlgItem(Dialog, 0x470);
  char Text[128] = {};
  SendMessageA(Types, CB_GETLBTEXT, static_cast<WPARAM>(SendMessageA(Types, CB_GETCURSEL, 0, 0)),
               reinterpret_cast<LPARAM>(Text));
  return Text;
}

}  // namespace

TEST_F(ProgWindow, APlaylistSavedThroughTheMenuLoadsBackInOrder) {
  prog->Show();
  SetSongs({L"C:\\b.mp3", L"C:\\a.mp3", L"rel\\c.mp3"});
  AlleSongs[1][sfTitle] = L"Title \u00E4";
  const TWideSongArray Saved = AlleSongs;
  prog->lv->SetFocus();
  std::string Filter;
  const auto NoteFilter = [&](HWND Dialog) { Filter = ShownFilter(Dialog); };
  AnswerNextDialog(WideToAnsi(Dir.File(L"list")), NoteFilter);
  PressKey(prog->lv->Handle(), 'S', ssCtrl);
  EXPECT_EQ(Filter, "Playlist Velmaro");
  ASSERT_TRUE(WideFileExists(Dir.File(L"list.vlm")));

  prog->mp7Click(prog);
  AnswerNextDialog(WideToAnsi(Dir.File(L"list.vlm")));
  ChooseMenuItem("mp1");
  EXPECT_EQ(AlleSongs, Saved);
  EXPECT_EQ(prog->lv->Items()->Count(), 3);
  EXPECT_EQ(prog->status->Caption().substr(0, 17), L"3 Dateien geladen");

  // Ctrl+O appends a playlist.
  prog->lv->SetFocus();
  Filter.clear();
  AnswerNextDialog(WideToAnsi(Dir.File(L"list.vlm")), NoteFilter);
  PressKey(prog->lv->Handle(), 'O', ssCtrl);
  EXPECT_EQ(Filter, "Playlist Velmaro");
  ASSERT_EQ(AlleSongs.size(), 6u);
  EXPECT_EQ(TWideSongArray(AlleSongs.begin() + 3, AlleSongs.end()), Saved);

  // The search result alone.
  prog->suchwort->SetText(L"a.mp3");
  prog->SuchenClick(prog->Suchen);
  ASSERT_EQ(SuchErgebnis.size(), 2u);
  AnswerNextDialog(WideToAnsi(Dir.File(L"result.vlm")));
  ChooseMenuItem("ergalsemp");
  TWideSongArray Result;
  ReadPlaylist(Dir.File(L"result.vlm"), Result);
  EXPECT_EQ(Result, SuchErgebnis);
  EXPECT_TRUE(Shown.empty());
}

TEST_F(ProgWindow, SavingOverAPlaylistAsksFirstForTheNameReallyWritten) {
  prog->Show();
  SetSongs({L"C:\\a.mp3", L"C:\\b.mp3"});
  const Bytes Old{'o', 'l', 'd'};
  WriteBytes(Dir.File(L"list.vlm"), Old);
  std::string Asked;
  // The save dialog gets the name without its extension, the question that follows gets Button.
  const auto Answer = [this, &Asked](int Button) {
    Asked.clear();
    AnswerDialogs(Dir.File(L"list"), 2, [&Asked, Button](HWND Dialog) {
      if (GetDlgItem(Dialog, 0x470)) return;  // the save dialog itself
      Asked = DialogText(Dialog);
      PostMessageA(Dialog, WM_COMMAND, static_cast<WPARAM>(Button), 0);
    });
  };
  Answer(IDNO);
  prog->lv->SetFocus();
  PressKey(prog->lv->Handle(), 'S', ssCtrl);
  EXPECT_NE(Asked.find(WideToAnsi(Dir.File(L"list.vlm"))), std::string::npos) << Asked;
  EXPECT_NE(Asked.find("gibt es schon"), std::string::npos) << Asked;
  EXPECT_EQ(ReadBytes(Dir.File(L"list.vlm")), Old);

  // The search result, in English, replaced after a yes.
  prog->English1Click(nullptr);
  prog->suchwort->SetText(L"b.mp3");
  prog->SuchenClick(prog->Suchen);
  Answer(IDYES);
  ChooseMenuItem("ergalsemp");
  EXPECT_NE(Asked.find("already exists"), std::string::npos) << Asked;
  TWideSongArray Read;
  ReadPlaylist(Dir.File(L"list.vlm"), Read);
  EXPECT_EQ(Read, SuchErgebnis);
  EXPECT_TRUE(Shown.empty());
}

TEST_F(ProgWindow, CancellingTheLoadDialogKeepsTheListAndShowsAllSongs) {
  prog->Show();
  SetSongs({L"C:\\a.mp3", L"C:\\b.mp3"});
  prog->suchwort->SetText(L"b.mp3");
  prog->SuchenClick(prog->Suchen);
  ASSERT_EQ(prog->lv->Items()->Count(), 1);
  AnswerNextDialog("", [](HWND Dialog) { PostMessageA(Dialog, WM_COMMAND, IDCANCEL, 0); });
  ChooseMenuItem("mp1");
  EXPECT_EQ(AlleSongs.size(), 2u);
  EXPECT_FALSE(IstGefiltert);
  EXPECT_EQ(prog->lv->Items()->Count(), 2);
}

TEST_F(ProgWindow, TheLowerPanelsContextMenuOpensOnItsLabelsBarAndButtons) {
  prog->Show();
  std::vector<std::string> Opened;
  prog->akpopup->OnPopup = [&](TObject*) {
    Opened.push_back(prog->akpopup->PopupComponent->Name());
    Abort();  // noted; the menu itself stays closed
  };
  const auto RightClick = [](TWinControl* Control, int X, int Y) {
    PostMessageA(Control->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(X, Y));
    PostMessageA(Control->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(X, Y));
    Application->ProcessMessages();
  };
  TPanel* Panel = prog->pa_unten;
  RightClick(Panel, prog->status->Left() + 2, prog->status->Top() + 2);
  RightClick(Panel, prog->lblPosition->Left() + 2, prog->lblPosition->Top() + 2);  // no menu of its own
  RightClick(Panel, 2, 2);
  RightClick(prog->stelle, prog->stelle->Width() / 2, prog->stelle->Height() / 2);
  RightClick(prog->BtPlay, 5, 5);
  EXPECT_EQ(Opened, (std::vector<std::string>{"status", "pa_unten", "pa_unten", "stelle", "BtPlay"}));
  EXPECT_TRUE(Shown.empty());
}

TEST_F(ProgWindow, AddedFilesScrollTheListToItsEnd) {
  prog->Show();
  std::vector<std::wstring> Paths;
  for (int I = 1; I <= 39; ++I) Paths.push_back(L"C:\\" + std::to_wstring(I) + L".mp3");
  SetSongs(Paths);
  std::string Typed;
  for (int I = 10; I < 23; ++I) {
    const std::wstring Name = L"new" + std::to_wstring(I) + L".mp3";
    WriteBytes(Dir.File(Name), B("x", 1));
    Typed += "\"" + WideToAnsi(Name) + "\" ";
  }
  prog->open_audio_files->SetInitialDir(Dir.Path());
  AnswerNextDialog(Typed);
  prog->m_opendateiClick(prog);
  ASSERT_EQ(prog->lv->Items()->Count(), 52);
  const HWND List = prog->lv->Handle();
  const auto Top = static_cast<int>(SendMessageA(List, LVM_GETTOPINDEX, 0, 0));
  const auto PerPage = static_cast<int>(SendMessageA(List, LVM_GETCOUNTPERPAGE, 0, 0));
  ASSERT_LT(PerPage, 52);
  EXPECT_GE(Top + PerPage, 52);  // the last row is in view
}
