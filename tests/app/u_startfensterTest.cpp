// The playlist chooser: the playlists beside the program with their sizes, loading the selected ones,
// all of them or one by a double click, a playlist that fails, the sort, and the other buttons.
#include "app/u_startfenster.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/u_addordner.h"
#include "app/u_funktionen.h"
#include "tests/app/ProgFixture.h"
#include "tests/support/DialogAnswer.h"

namespace {

class Chooser : public TProgFixture {
 protected:
  // A playlist of one song, C:\<Name>.mp3, filled up to Size bytes with a line that is no song.
  void Playlist(const std::wstring& Name, size_t Size) {
    std::string Text = PlaylistLine(L"C:\\" + Name + L".mp3");
    Text += std::string(Size - Text.size() - 2, 'x') + "\r\n";
    WriteBytes(Dir.File(Name + L".vlm"), Bytes(Text.begin(), Text.end()));
  }
  // Three playlists beside the program; the player window finds them and shows the chooser.
  void ShowThree() {
    Playlist(L"mittel", 2048);
    Playlist(L"klein", 512);
    Playlist(L"gross", 10240);
    prog->Show();
    ASSERT_TRUE(startfenster->Visible());
    List = startfenster->stammordner;
  }
  int Row(const std::string& Name) const {
    for (int I = 0; I < List->Items()->Count(); ++I)
      if (List->Items()->Item(I)->Caption == Name) return I;
    return -1;
  }
  void Select(const std::vector<std::string>& Names) {
    for (const std::string& Name : Names) {
      LVITEMA Item{};
      Item.stateMask = Item.state = LVIS_SELECTED;
      SendMessageA(List->Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(Row(Name)),
                   reinterpret_cast<LPARAM>(&Item));
    }
  }
  std::vector<std::string> Captions() const {
    std::vector<std::string> Result;
    for (int I = 0; I < List->Items()->Count(); ++I) Result.push_back(List->Items()->Item(I)->Caption);
    return Result;
  }
  static std::vector<std::wstring> Paths() {
    std::vector<std::wstring> Result;
    for (const Song& S : AlleSongs) Result.push_back(S[sfPath]);
    return Result;
  }
  void ClickColumn(int Column) {
    NMLISTVIEW Notify{};
    Notify.hdr = {List->Handle(), 0, static_cast<UINT>(LVN_COLUMNCLICK)};
    Notify.iItem = -1;
    Notify.iSubItem = Column;
    SendMessageA(startfenster->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&Notify));
  }

  TListView* List = nullptr;
};

}  // namespace

TEST_F(Chooser, ThreePlaylistsGiveThreeRowsWithTheirSizesInKB) {
  ShowThree();
  ASSERT_EQ(List->Items()->Count(), 3);
  std::map<std::string, std::pair<std::string, std::string>> Rows;
  for (int I = 0; I < 3; ++I) {
    TListItem* Item = List->Items()->Item(I);
    Rows[Item->Caption] = {Item->SubItems()->Get(0), Item->SubItems()->Get(1)};
  }
  EXPECT_EQ(Rows["klein.vlm"], std::make_pair(WideToAnsi(Dir.File(L"klein.vlm")), std::string("0.500 KB")));
  EXPECT_EQ(Rows["mittel.vlm"], std::make_pair(WideToAnsi(Dir.File(L"mittel.vlm")), std::string("2.000 KB")));
  EXPECT_EQ(Rows["gross.vlm"], std::make_pair(WideToAnsi(Dir.File(L"gross.vlm")), std::string("10.000 KB")));
  EXPECT_FALSE(startfenster->Button1->Enabled());
  EXPECT_TRUE(AlleSongs.empty());
}

TEST_F(Chooser, SizesAreSixtyFourBitAndAMissingPlaylistShowsAQuestionMark) {
  EXPECT_EQ(GroesseText(int64_t{5} << 32), L"20971520.000 KB");
  EXPECT_EQ(GroesseText(0), L"0.000 KB");
  EXPECT_EQ(GroesseText(-1), L"?");
  EXPECT_EQ(SizeTextToFloat(L"20971520.000 KB"), 20971520.0);
  EXPECT_EQ(SizeTextToFloat(L"?"), -1);
  WriteBytes(Dir.File(L"da.vlm"), B("x", 1));
  EXPECT_EQ(GetFileSizeByName(Dir.File(L"da.vlm")), 1);
  EXPECT_EQ(GetFileSizeByName(Dir.File(L"weg.vlm")), -1);

  StartPlaylisten->Add(Dir.File(L"weg.vlm"));
  startfenster->Show();
  ASSERT_EQ(startfenster->stammordner->Items()->Count(), 1);
  EXPECT_EQ(startfenster->stammordner->Items()->Item(0)->SubItems()->Get(1), L"?");
}

TEST_F(Chooser, LoadSelectedAppendsTheSelectedPlaylistsInRowOrder) {
  SetSongs({L"C:\\vorher.mp3"});
  ShowThree();
  Select({"gross.vlm", "klein.vlm"});
  startfenster->stammordnerClick(List);
  EXPECT_TRUE(startfenster->Button1->Enabled());
  startfenster->Button1->Click();
  std::vector<std::wstring> Expected{L"C:\\vorher.mp3"};
  for (const std::string& Name : Captions())
    if (Name != "mittel.vlm")
      Expected.push_back(L"C:\\" + AnsiToWide(Name.substr(0, Name.size() - 4)) + L".mp3");
  EXPECT_EQ(Paths(), Expected);
  EXPECT_EQ(prog->lv->Items()->Count(), 3);
  EXPECT_FALSE(startfenster->Visible());
  EXPECT_EQ(StartPlaylisten->Count(), 0);
}

TEST_F(Chooser, LoadAllAndTheDoubleClick) {
  ShowThree();
  startfenster->Button5Click(nullptr);
  ASSERT_EQ(AlleSongs.size(), 3u);
  for (int I = 0; I < 3; ++I) {
    const std::string& Name = List->Items()->Item(I)->Caption;
    EXPECT_EQ(AlleSongs[I][sfPath], L"C:\\" + AnsiToWide(Name.substr(0, Name.size() - 4)) + L".mp3");
  }

  AlleSongs.clear();
  startfenster->stammordnerDblClick(List);  // no row selected: nothing
  EXPECT_TRUE(AlleSongs.empty());
  Select({"mittel.vlm"});
  startfenster->stammordnerDblClick(List);
  EXPECT_EQ(Paths(), std::vector<std::wstring>{L"C:\\mittel.mp3"});
  EXPECT_EQ(prog->lv->Items()->Count(), 1);
}

TEST_F(Chooser, APlaylistThatFailsIsLoggedAndTheOthersStillLoad) {
  ShowThree();
  DeleteFileW(Dir.File(L"mittel.vlm").c_str());
  startfenster->Button5Click(nullptr);
  EXPECT_EQ(AlleSongs.size(), 2u);
  EXPECT_EQ(prog->lv->Items()->Count(), 2);
  const std::vector<std::string> Lines = Log();
  ASSERT_EQ(Lines.size(), 3u);
  EXPECT_EQ(Lines[0], "\"" + WideToAnsi(Dir.File(L"mittel.vlm")) + "\"");
  EXPECT_EQ(Lines[1], "  Playlist kann nicht geladen werden.");
  EXPECT_NE(Lines[2].find("mittel.vlm"), std::string::npos);
  EXPECT_TRUE(Shown.empty());
  EXPECT_FALSE(startfenster->Visible());
  EXPECT_TRUE(fehler->Visible());  // the log tells the user, who chose the playlist
}

TEST_F(Chooser, SizesSortAsNumbersAndTheNameColumnStartsDescending) {
  ShowThree();
  ClickColumn(0);  // the column clicked last starts as the name column
  EXPECT_EQ(Captions(), (std::vector<std::string>{"mittel.vlm", "klein.vlm", "gross.vlm"}));
  ClickColumn(2);
  EXPECT_EQ(Captions(), (std::vector<std::string>{"klein.vlm", "mittel.vlm", "gross.vlm"}));
  ClickColumn(2);
  EXPECT_EQ(Captions(), (std::vector<std::string>{"gross.vlm", "mittel.vlm", "klein.vlm"}));
  ClickColumn(1);  // the paths differ by the names only
  EXPECT_EQ(Captions(), (std::vector<std::string>{"gross.vlm", "klein.vlm", "mittel.vlm"}));
}

TEST_F(Chooser, TheOtherButtonsCloseAndGoOn) {
  ShowThree();
  IstGefiltert = true;
  startfenster->Button3Click(nullptr);
  EXPECT_FALSE(startfenster->Visible());
  EXPECT_TRUE(addordner->Visible());
  EXPECT_FALSE(IstGefiltert);
  EXPECT_TRUE(AlleSongs.empty());

  startfenster->Show();
  AnswerNextDialog(WideToAnsi(Dir.File(L"klein.vlm")));
  startfenster->Button4Click(nullptr);
  EXPECT_FALSE(startfenster->Visible());
  EXPECT_EQ(Paths(), std::vector<std::wstring>{L"C:\\klein.mp3"});

  startfenster->Show();
  startfenster->Button2Click(nullptr);
  EXPECT_FALSE(startfenster->Visible());
  EXPECT_EQ(AlleSongs.size(), 1u);
}

TEST_F(Chooser, TheTextsFollowTheLanguage) {
  prog->English1Click(nullptr);
  EXPECT_EQ(startfenster->Caption(), "Open Playlist");
  EXPECT_EQ(static_cast<TButton*>(startfenster->FindComponent("Button2"))->Caption(), "Close Window");
  EXPECT_EQ(startfenster->stammordner->Columns()->Items(1)->Caption(), L"File");
  EXPECT_EQ(startfenster->stammordner->Columns()->Items(2)->Caption(), L"Size");
  prog->Deutsch1Click(nullptr);
  EXPECT_EQ(startfenster->Button1->Caption(), L"Gew\u00E4hlte Laden");
  EXPECT_EQ(startfenster->stammordner->Columns()->Items(2)->Caption(), L"Gr\u00F6\u00DFe");
}
