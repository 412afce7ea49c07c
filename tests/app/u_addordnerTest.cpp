// The add-folder window over a temporary tree: the order of the candidates, the type boxes, only new
// files, relative paths, lists of paths, the counters, cancelling and a failing run.
#include "app/u_addordner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/u_funktionen.h"
#include "tests/app/ProgFixture.h"
#include "tests/support/DialogAnswer.h"

namespace {

class AddFolder : public TProgFixture {
 protected:
  void SetUp() override {
    TProgFixture::SetUp();
    Window = addordner;
    Window->Show();
    // A folder whose name holds ".txt" is still a folder.
    for (const wchar_t* Folder : {L"root", L"root\\A.txt", L"root\\A.txt\\deep"}) MakeDir(Dir.File(Folder));
    for (const wchar_t* File :
         {L"root\\A.txt\\deep\\d.mp3", L"root\\A.txt\\a.wma", L"root\\A.txt\\a.mp3", L"root\\r.wma",
          L"root\\r.ogg", L"root\\r.wav", L"root\\r.mp3", L"root\\notes.txt", L"root\\x.mp3x"})
      WriteBytes(Dir.File(File), B("x", 1));
  }
  // Runs the window on Place as the user would: the text, then the button.
  void Run(const std::wstring& Place) {
    CaptionSetzen(Window->ed_ort, Place);
    Window->hinzufuegen->Click();
  }
  static std::vector<std::wstring> Added() {
    std::vector<std::wstring> Paths;
    for (const Song& S : AlleSongs) Paths.push_back(S[sfPath]);
    return Paths;
  }
  // Found, read and added, as the three counters show them.
  std::string Counters() const {
    return WideToAnsi(Window->Label1->Caption() + L"/" + Window->Label2->Caption() + L"/" +
                      Window->Label3->Caption());
  }
  std::vector<std::wstring> Under(const std::vector<std::wstring>& Names) const {
    std::vector<std::wstring> Paths;
    for (const std::wstring& Name : Names) Paths.push_back(Dir.File(L"root\\" + Name));
    return Paths;
  }
  void ExpectIdle() const {
    EXPECT_FALSE(Window->Laeuft());
    EXPECT_TRUE(prog->Enabled());
    EXPECT_TRUE(Window->hinzufuegen->Enabled());
    EXPECT_EQ(Window->Button1->Caption(), L"Schlie\u00DFen");
    EXPECT_FALSE(AbbruchOrdner);
  }

  Taddordner* Window = nullptr;
};

}  // namespace

TEST_F(AddFolder, SubFoldersComeFirstDeepestFirstAndEachFolderByType) {
  Run(Dir.File(L"root"));
  EXPECT_EQ(Added(), Under({L"A.txt\\deep\\d.mp3", L"A.txt\\a.mp3", L"A.txt\\a.wma", L"r.mp3", L"r.wav",
                            L"r.ogg", L"r.wma"}));
  EXPECT_EQ(Counters(), "7/7/7");
  EXPECT_EQ(Window->fs->Max(), 7);
  EXPECT_EQ(Window->fs->Position(), 7);
  EXPECT_EQ(prog->lv->Items()->Count(), 7);  // the player's list is refreshed
  ExpectIdle();

  // A folder whose name holds ".txt" is searched, not read as a list.
  AlleSongs.clear();
  Run(Dir.File(L"root\\A.txt"));
  EXPECT_EQ(Added(), Under({L"A.txt\\deep\\d.mp3", L"A.txt\\a.mp3", L"A.txt\\a.wma"}));

  AlleSongs.clear();
  Window->uv->SetChecked(false);
  Run(Dir.File(L"root\\"));
  EXPECT_EQ(Added(), Under({L"r.mp3", L"r.wav", L"r.ogg", L"r.wma"}));
}

TEST_F(AddFolder, ALinkBackUpTheTreeIsNotFollowed) {
  const std::wstring Cycle = Fixture(L"cycle");
  Run(Cycle);
  EXPECT_EQ(Added(), (std::vector<std::wstring>{Cycle + L"\\sub\\b.mp3", Cycle + L"\\a.mp3"}));
}

TEST_F(AddFolder, LinksToOtherFoldersAreFollowedButNotBackIntoTheWalk) {
  // sub\more links to another music folder, whose link back and sub\loop lead to the folder searched.
  const std::wstring Music = Fixture(L"linked\\music");
  Run(Music);
  EXPECT_EQ(Added(), (std::vector<std::wstring>{Music + L"\\sub\\more\\o.mp3", Music + L"\\sub\\b.mp3",
                                                Music + L"\\a.mp3"}));
}

TEST_F(AddFolder, ANameThatDoesNotExistIsReportedInTheProgramsLanguage) {
  // As a click: the message goes to the application.
  const auto Click = [this](const std::wstring& Place) {
    CaptionSetzen(Window->ed_ort, Place);
    SendMessageA(Window->hinzufuegen->Handle(), BM_CLICK, 0, 0);
  };
  Click(Dir.File(L"root\\liste.txt"));
  ASSERT_EQ(Shown.size(), 1u);
  EXPECT_EQ(
      AnsiToWide(Shown[0], CP_UTF8),
      L"Die Datei oder der Ordner \u201E" + Dir.File(L"root\\liste.txt") + L"\u201C wurde nicht gefunden.");
  EXPECT_EQ(Counters(), "0/0/0");
  ExpectIdle();

  prog->English1Click(nullptr);
  Click(Dir.File(L"gone\\music"));
  ASSERT_EQ(Shown.size(), 2u);
  EXPECT_EQ(AnsiToWide(Shown[1], CP_UTF8),
            L"The file or folder \"" + Dir.File(L"gone\\music") + L"\" was not found.");
  EXPECT_TRUE(AlleSongs.empty());
}

// The application's own box, not the test's capture: its caption is the window's, in each language.
TEST_F(AddFolder, TheErrorBoxIsCaptionedByTheWindowInTheProgramsLanguage) {
  Application->OnException = nullptr;
  SetForegroundWindow(Window->Handle());
  PumpMessagesFor(50);
  std::vector<std::wstring> Captions;
  for (TMenuItem* Sprache : {prog->Deutsch1, prog->English1}) {
    Sprache->Click();
    AnswerNextDialog("", [&](HWND Box) {
      wchar_t Caption[128] = {};
      GetWindowTextW(Box, Caption, 128);
      Captions.push_back(Caption);
    });
    CaptionSetzen(Window->ed_ort, Dir.File(L"gone\\music"));
    SendMessageA(Window->hinzufuegen->Handle(), BM_CLICK, 0, 0);
  }
  EXPECT_EQ(Captions, (std::vector<std::wstring>{L"Ordner Hinzuf\u00FCgen", L"Add Folder"}));
}

TEST_F(AddFolder, OnlyTheTickedTypesAreSearched) {
  Window->cbWAV->SetChecked(false);
  Window->cbOGG->SetChecked(false);
  Run(Dir.File(L"root"));
  EXPECT_EQ(Added(), Under({L"A.txt\\deep\\d.mp3", L"A.txt\\a.mp3", L"A.txt\\a.wma", L"r.mp3", L"r.wma"}));

  AlleSongs.clear();
  for (TCheckBox* Box : {Window->cbMP3, Window->cbWMA}) Box->SetChecked(false);
  Run(Dir.File(L"root"));
  EXPECT_TRUE(AlleSongs.empty());
  EXPECT_EQ(Counters(), "0/0/0");
  // An empty name searches nothing, not the drive's root.
  Window->cbMP3->SetChecked(true);
  Run(L"");
  EXPECT_TRUE(AlleSongs.empty());
}

TEST_F(AddFolder, OnlyNewFilesAreAddedInSortedOrderAndCounted) {
  // With the box ticked and an empty playlist everything goes in, in search order.
  ASSERT_TRUE(Window->nurneu->Checked());
  Window->uv->SetChecked(false);
  Run(Dir.File(L"root"));
  EXPECT_EQ(Added(), Under({L"r.mp3", L"r.wav", L"r.ogg", L"r.wma"}));

  SetSongs({Dir.File(L"root\\r.ogg"), L"C:\\elsewhere.mp3"});
  Window->uv->SetChecked(true);
  Run(Dir.File(L"root"));
  EXPECT_EQ(Added(), (std::vector<std::wstring>{
                         Dir.File(L"root\\r.ogg"), L"C:\\elsewhere.mp3", Dir.File(L"root\\A.txt\\a.mp3"),
                         Dir.File(L"root\\A.txt\\a.wma"), Dir.File(L"root\\A.txt\\deep\\d.mp3"),
                         Dir.File(L"root\\r.mp3"), Dir.File(L"root\\r.wav"), Dir.File(L"root\\r.wma")}));
  // Seven found and gone through, six added: the last counter repeats the second.
  EXPECT_EQ(Counters(), "7/7/7");

  // Everything is there now: nothing more.
  Run(Dir.File(L"root"));
  EXPECT_EQ(AlleSongs.size(), 8u);
  EXPECT_EQ(Counters(), "7/7/7");

  // Without the box every file goes in again.
  Window->nurneu->SetChecked(false);
  Run(Dir.File(L"root\\A.txt\\deep"));
  EXPECT_EQ(AlleSongs.size(), 9u);
}

TEST_F(AddFolder, RelativePathsLeaveOutTheProgramFolder) {
  Window->relativ->SetChecked(true);
  EXPECT_EQ(Window->ed_ort->Text(), ProgrammOrdner());  // ticking puts in the program folder
  Window->uv->SetChecked(false);
  Run(Dir.File(L"root"));
  EXPECT_EQ(Added(),
            (std::vector<std::wstring>{L"root\\r.mp3", L"root\\r.wav", L"root\\r.ogg", L"root\\r.wma"}));
  Window->relativ->SetChecked(false);
  EXPECT_EQ(Window->ed_ort->Text(), Dir.File(L"root"));  // unticking changes nothing

  // Only new, by the stored form: the relative paths are there, the absolute ones are not.
  Window->relativ->SetChecked(true);
  Window->uv->SetChecked(true);
  Run(Dir.File(L"root"));
  EXPECT_EQ(AlleSongs.size(), 7u);
  EXPECT_EQ(AlleSongs[4][sfPath], L"root\\A.txt\\a.mp3");
  EXPECT_EQ(Counters(), "7/7/7");
}

TEST_F(AddFolder, AListOfPathsAddsItsLongLinesThatNameFiles) {
  const std::wstring Good = Dir.File(L"root\\r.mp3");
  const std::wstring Wide = Dir.File(L"root\\\u0416\u0443\u043A.mp3");
  WriteBytes(Wide, B("x", 1));
  const std::string Text = "\xEF\xBB\xBF" + WideToAnsi(Good, CP_UTF8) + "\r\nabc\r\n\r\n" +
                           WideToAnsi(Dir.File(L"root\\gone.mp3"), CP_UTF8) + "\r\n" +
                           WideToAnsi(Wide, CP_UTF8) + "\r\n" + WideToAnsi(Good, CP_UTF8);
  WriteBytes(Dir.File(L"paths.lst"), Bytes(Text.begin(), Text.end()));
  Window->nurneu->SetChecked(false);
  Run(Dir.File(L"paths.lst"));
  EXPECT_EQ(Added(), (std::vector<std::wstring>{Good, Wide, Good}));
  EXPECT_EQ(Counters(), "0/4/4");  // a list's lines are not counted as found

  // Only new: a path listed twice goes in once.
  AlleSongs.clear();
  SetSongs({L"C:\\other.mp3"});
  Window->nurneu->SetChecked(true);
  Run(Dir.File(L"paths.lst"));
  EXPECT_EQ(AlleSongs.size(), 3u);
  EXPECT_EQ(Counters(), "0/4/4");
}

TEST_F(AddFolder, ACancelStopsTheSearchAtOnceAndTheAdding) {
  // The user clicks when the first file found is shown; the click reaches the window when the search
  // next lets messages through, right after.
  const TWndMethod Standard = Window->Label1->WindowProc;
  Window->Label1->WindowProc = [&](TMessage& Message) {
    Standard(Message);
    if (Message.Msg == CM_TEXTCHANGED && Window->Label1->Caption() == L"1")
      PostMessageA(Window->Button1->Handle(), BM_CLICK, 0, 0);
  };
  Run(Dir.File(L"root"));
  Window->Label1->WindowProc = Standard;
  EXPECT_TRUE(AlleSongs.empty());
  EXPECT_EQ(Counters(), "1/0/0");
  ExpectIdle();

  // Cancelled while adding: the first candidate is in, no further one.
  std::string Text;
  for (int I = 0; I < 20; ++I) Text += WideToAnsi(Dir.File(L"root\\r.mp3")) + "\r\n";
  WriteBytes(Dir.File(L"list.txt"), Bytes(Text.begin(), Text.end()));
  Window->nurneu->SetChecked(false);
  PostMessageA(Window->Button1->Handle(), BM_CLICK, 0, 0);
  Run(Dir.File(L"list.txt"));
  EXPECT_EQ(AlleSongs.size(), 1u);
  EXPECT_EQ(Counters(), "0/1/1");
  ExpectIdle();

  // Closed by its title bar during the search, the window ends the run as its button does.
  Window->Label1->WindowProc = [&](TMessage& Message) {
    Standard(Message);
    if (Message.Msg == CM_TEXTCHANGED && Window->Label1->Caption() == L"1")
      PostMessageA(Window->Handle(), WM_CLOSE, 0, 0);
  };
  Run(Dir.File(L"root"));
  Window->Label1->WindowProc = Standard;
  EXPECT_EQ(AlleSongs.size(), 1u);
  EXPECT_FALSE(Window->Visible());
  ExpectIdle();
  Window->Show();

  // Idle, the button closes the window.
  Window->Button1->Click();
  EXPECT_FALSE(Window->Visible());
}

TEST_F(AddFolder, AFailingRunLeavesTheWindowsUsable) {
  WriteBytes(Dir.File(L"list.txt"), B("C:\\x.mp3\r\n", 10));
  const HANDLE Locked =
      CreateFileW(Dir.File(L"list.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(Locked, INVALID_HANDLE_VALUE);
  CaptionSetzen(Window->ed_ort, Dir.File(L"list.txt"));
  EXPECT_THROW(Window->hinzufuegenClick(Window->hinzufuegen), EFOpenError);
  CloseHandle(Locked);
  ExpectIdle();
}

TEST_F(AddFolder, EnterInTheFolderFieldRunsAndTheTextsFollowTheLanguage) {
  CaptionSetzen(Window->ed_ort, Dir.File(L"root\\A.txt\\deep"));
  SendMessageA(Window->ed_ort->Handle(), WM_CHAR, VK_RETURN, 0);
  EXPECT_EQ(Added(), Under({L"A.txt\\deep\\d.mp3"}));

  prog->English1Click(nullptr);
  EXPECT_EQ(Window->Caption(), "Add Folder");
  EXPECT_EQ(Window->Button1->Caption(), L"Close");
  EXPECT_EQ(Window->hinzufuegen->Caption(), L"Search and Add");
  EXPECT_EQ(Window->nurneu->Caption(), L"Only add if File is not yet in PlayList");
  prog->Deutsch1Click(nullptr);
  EXPECT_EQ(Window->uv->Caption(), L"Auch alle Unterverzeichnisse durchsuchen");
}
