// The file information window: the fields of a path, copying the file itself, opening its folder, and
// its texts. Copying fills the clipboard: this program holds the clipboard lock.
#include <gtest/gtest.h>

#include "Imports/UCodeControls.h"
#include "tests/app/DateiinfoFixture.h"

namespace {

using Dateiinfo = TDateiinfoFixture;

TEST_F(Dateiinfo, APathShowsWholeByNameAndByFolderAndWithoutASongReadInfoKeepsIt) {
  dateiinfo->DateiAuslesen(L"C:\\Musik\\Band\\Lied.mp3");
  EXPECT_EQ(Felder(),
            (std::vector<std::wstring>{L"C:\\Musik\\Band\\Lied.mp3", L"Lied.mp3", L"C:\\Musik\\Band\\"}));
  dateiinfo->DateiAuslesen(L"D:Lied.ogg");
  EXPECT_EQ(Felder(), (std::vector<std::wstring>{L"D:Lied.ogg", L"Lied.ogg", L"D:"}));
  EXPECT_TRUE(dateiinfo->ed_dateiname->ReadOnly());
  EXPECT_TRUE(dateiinfo->ed_datei->ReadOnly());
  EXPECT_TRUE(dateiinfo->ed_ordner->ReadOnly());

  // No song loaded: the current-song command and "Read Info" show the window and leave the fields.
  static_cast<TMenuItem*>(prog->FindComponent("mw6"))->Click();
  EXPECT_TRUE(dateiinfo->Visible());
  Press(dateiinfo->Auslesenbt);
  EXPECT_EQ(dateiinfo->Datei(), L"D:Lied.ogg");
  Press(dateiinfo->Schliessen);
  EXPECT_FALSE(dateiinfo->Visible());
}

TEST_F(Dateiinfo, CopyPutsTheFileOnTheClipboardAndADeletedFileNothing) {
  const std::wstring Datei = Dir.File(L"Lied.mp3");
  WriteBytes(Datei, Bytes(10, 1));
  dateiinfo->DateiAuslesen(Datei);
  EmptyTheClipboard();
  Press(dateiinfo->clipbrd);
  EXPECT_EQ(ClipboardFiles(), std::vector<std::wstring>{Datei});

  DeleteFileW(Datei.c_str());
  EmptyTheClipboard();
  Press(dateiinfo->clipbrd);
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_HDROP));
}

TEST_F(Dateiinfo, OpenFolderOpensTheShownFilesFolderOnlyWhileItExists) {
  MakeDir(Dir.File(L"Band"));
  const std::wstring Datei = Dir.File(L"Band\\Lied.mp3");
  dateiinfo->DateiAuslesen(Datei);
  // What stands in the field is not what opens.
  dateiinfo->ed_ordner->SetText(L"C:\\windows\\");
  Press(dateiinfo->Button1);
  EXPECT_EQ(Shell.Take(), Dir.File(L"Band\\"));
  RemoveDirectoryW(Dir.File(L"Band").c_str());
  Press(dateiinfo->Button1);
  EXPECT_EQ(Shell.Take(), L"");
  dateiinfo->DateiAuslesen(L"Lied.mp3");  // no folder at all
  Press(dateiinfo->Button1);
  EXPECT_EQ(Shell.Take(), L"");
}

TEST_F(Dateiinfo, AGreekFolderAndAJapaneseNameAreShownCopiedAndOpenedWhole) {
  const std::wstring Ordner = Dir.File(L"\u039C\u03BF\u03C5\u03C3\u03B9\u03BA\u03AE");
  MakeDir(Ordner);
  const std::wstring Datei = Ordner + L"\\\u6771\u4EAC.mp3";
  WriteBytes(Datei, Bytes(10, 1));
  dateiinfo->DateiAuslesen(Datei);
  EXPECT_EQ(Felder(), (std::vector<std::wstring>{Datei, L"\u6771\u4EAC.mp3", Ordner + L"\\"}));
  EmptyTheClipboard();
  Press(dateiinfo->clipbrd);
  EXPECT_EQ(ClipboardFiles(), std::vector<std::wstring>{Datei});
  Press(dateiinfo->Button1);
  EXPECT_EQ(Shell.Take(), Ordner + L"\\");
}

// The list's menu shows the selected row's file while it exists; the lower panel's the loaded song's.
TEST_F(Dateiinfo, TheContextMenusShowTheSelectedAndTheLoadedSongsFile) {
  const auto Item = [](const char* Name) { return static_cast<TMenuItem*>(prog->FindComponent(Name)); };
  const std::wstring Datei = Dir.File(L"\u0416\u65E5 Lied.mp3");
  WriteBytes(Datei, Bytes(10, 1));
  SetSongs({L"C:\\missing\\gone.mp3", Datei});
  Item("p3")->Click();  // nothing selected
  EXPECT_FALSE(dateiinfo->Visible());
  SelectRows({0, 1});
  Item("p3")->Click();  // the first selected row's file is missing
  EXPECT_FALSE(dateiinfo->Visible());
  EXPECT_EQ(dateiinfo->Datei(), L"");
  EXPECT_EQ(AktIndex, 0);
  ListView_SetItemState(prog->lv->Handle(), 0, 0, LVIS_SELECTED);
  Item("p3")->Click();
  EXPECT_TRUE(dateiinfo->Visible());
  EXPECT_EQ(AktIndex, 1);
  EXPECT_EQ(Felder(), (std::vector<std::wstring>{Datei, L"\u0416\u65E5 Lied.mp3", Dir.Path() + L"\\"}));
  dateiinfo->Hide();

  Item("akp1")->Click();  // no song loaded
  EXPECT_FALSE(dateiinfo->Visible());
  const std::wstring Song = CopyFixture(L"songs\\a.mp3", L"\u041F a.mp3");
  prog->CreatePlayer(Song);
  Item("akp1")->Click();
  EXPECT_TRUE(dateiinfo->Visible());
  EXPECT_EQ(dateiinfo->Datei(), Song);
  prog->FreePlayer();
}

TEST_F(Dateiinfo, TheTextsFollowTheLanguage) {
  const auto Text = [](const char* Name) {
    return GetControlWideText(static_cast<TControl*>(dateiinfo->FindComponent(Name)));
  };
  prog->English1Click(prog->English1);
  EXPECT_EQ(dateiinfo->Caption(), "File Information");
  EXPECT_EQ(Text("Button1"), L"Open Folder");
  EXPECT_EQ(Text("Auslesenbt"), L"Read Info");
  EXPECT_EQ(Text("lb_ordner"), L"Path");
  prog->Deutsch1Click(prog->Deutsch1);
  EXPECT_EQ(Text("Schliessen"), L"Schlie\u00DFen");
  EXPECT_EQ(Text("lb_dateiname"), L"Pfad und Dateiname");
}

}  // namespace
