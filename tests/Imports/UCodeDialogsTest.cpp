#include "Imports/UCodeDialogs.h"

#include <gtest/gtest.h>

#include <string>

#include "Imports/UCodeSysUtils.h"
#include "classlib/Forms.h"
#include "tests/Imports/UnicodePlatformGuard.h"
#include "tests/support/DialogAnswer.h"
#include "tests/support/TestFiles.h"

namespace {

const std::wstring Greek = L"\u0391\u03B8\u03AE\u03BD\u03B1";
const std::wstring Japanese = L"\u6771\u4EAC";

TEST(UCodeDialogTexts, TheStartFolderLosesATrailingBackslashButADriveRootKeepsIt) {
  TUCodeOpenDialog Dialog(nullptr);
  Dialog.SetInitialDir(L"C:\\Musik\\" + Greek + L"\\");
  EXPECT_EQ(Dialog.InitialDir(), L"C:\\Musik\\" + Greek);
  Dialog.SetInitialDir(L"D:\\");
  EXPECT_EQ(Dialog.InitialDir(), L"D:\\");
  Dialog.SetInitialDir(L"\\");
  EXPECT_EQ(Dialog.InitialDir(), L"\\");
  // 8-bit code changing a text behind the wide one is followed.
  Dialog.SetTitle(Japanese);
  Dialog.TOpenDialog::Title = "Plain";
  EXPECT_EQ(Dialog.Title(), L"Plain");
}

class UCodeOpenDialog : public testing::Test {
 protected:
  void SetUp() override {
    for (const std::wstring& Name : {Greek + L".mp3", Japanese + L".mp3"})
      WriteBytes(Dir.File(Name), B("x", 1));
    Dialog.SetFilter(L"Audio " + Greek + L"|*.mp3|All|*.*");
    Dialog.SetInitialDir(Dir.Path());
    Dialog.SetTitle(Japanese);
    Dialog.Options = ofAllowMultiSelect | ofFileMustExist;
  }
  std::wstring Chosen(const std::wstring& Name) const { return Dir.File(Name); }
  TempDir Dir;
  TUCodeOpenDialog Dialog{nullptr};
};

TEST_F(UCodeOpenDialog, TwoNamesOfOneFolderComeBackWhole) {
  std::wstring Title;
  AnswerNextDialog(L"\"" + Greek + L".mp3\" \"" + Japanese + L".mp3\"", [&](HWND Window) {
    wchar_t Text[64] = {};
    GetWindowTextW(Window, Text, 64);
    Title = Text;
  });
  ASSERT_TRUE(Dialog.Execute());
  EXPECT_EQ(Title, Japanese);
  ASSERT_EQ(Dialog.Files()->Count(), 2);
  EXPECT_EQ(Dialog.Files()->Get(0), Chosen(Greek + L".mp3"));
  EXPECT_EQ(Dialog.Files()->Get(1), Chosen(Japanese + L".mp3"));
  EXPECT_EQ(Dialog.FileName(), Chosen(Greek + L".mp3"));
  // The library's own list holds the 8-bit forms.
  EXPECT_EQ(Dialog.TOpenDialog::Files()->Count(), 2);
}

TEST_F(UCodeOpenDialog, ASelectionTooLargeForTheBufferIsTakenAfterAll) {
  Dialog.FileBufferSize = static_cast<DWORD>(Dir.Path().size()) + 8;  // the folder and one name
  // The dialog shows again with a buffer large enough; both showings get the same answer.
  int Shown = 0;
  AnswerDialogs(L"\"" + Greek + L".mp3\" \"" + Japanese + L".mp3\"", 2, [&](HWND) { ++Shown; });
  ASSERT_TRUE(Dialog.Execute());
  EXPECT_EQ(Shown, 1);  // the larger buffer takes the choice inside the same showing
  ASSERT_EQ(Dialog.Files()->Count(), 2);
  EXPECT_EQ(Dialog.Files()->Get(1), Chosen(Japanese + L".mp3"));
}

TEST_F(UCodeOpenDialog, ACancelledDialogGivesNoFilesAndKeepsTheName) {
  Dialog.SetFileName(Greek + L".mp3");
  AnswerNextDialog(Japanese + L".mp3", [](HWND Window) { PostMessageA(Window, WM_COMMAND, IDCANCEL, 0); });
  EXPECT_FALSE(Dialog.Execute());
  EXPECT_EQ(Dialog.Files()->Count(), 0);
  EXPECT_EQ(Dialog.FileName(), Greek + L".mp3");
}

TEST_F(UCodeOpenDialog, TheOKCheckSeesTheChoiceAndMayKeepTheDialogOpen) {
  Dialog.Options = ofFileMustExist;
  int Asked = 0;
  std::wstring SeenWhileOpen;
  Dialog.OnCanClose = [&](TObject*, bool& CanClose) {
    SeenWhileOpen = Dialog.Files()->Get(0);
    CanClose = ++Asked > 1;
    if (!CanClose) AnswerNextDialog(Japanese + L".mp3");
  };
  AnswerNextDialog(Greek + L".mp3");
  ASSERT_TRUE(Dialog.Execute());
  EXPECT_EQ(Asked, 2);
  EXPECT_EQ(SeenWhileOpen, Chosen(Japanese + L".mp3"));
  EXPECT_EQ(Dialog.FileName(), Chosen(Japanese + L".mp3"));
}

// The path is asked as long as it is (Wine's dialog itself handles no path beyond MAX_PATH).
TEST_F(UCodeOpenDialog, WhileTheDialogIsOpenTheFileNameIsTheSelectionShown) {
  std::wstring Folder = Dir.Path();
  while (Folder.size() < 200) {
    Folder += L"\\" + std::wstring(40, L'\u0416');
    CreateDirectoryW(Folder.c_str(), nullptr);
  }
  const std::wstring Name = Folder + L"\\" + Japanese + L".mp3";
  WriteBytes(Name, B("x", 1));
  Dialog.Options = ofFileMustExist;
  Dialog.SetInitialDir(Folder);
  std::wstring SeenWhileOpen;
  Dialog.OnCanClose = [&](TObject*, bool&) { SeenWhileOpen = Dialog.FileName(); };
  AnswerNextDialog(Japanese + L".mp3");
  ASSERT_TRUE(Dialog.Execute());
  EXPECT_EQ(SeenWhileOpen, Name);
  EXPECT_EQ(Dialog.FileName(), Name);
}

TEST(UCodeOpenDialogAnsi, WithoutUnicodeTheLibrarysDialogShows) {
  TUnicodePlatformGuard Guard(false);
  TempDir Dir;
  WriteBytes(Dir.File(L"plain.mp3"), B("x", 1));
  TUCodeOpenDialog Dialog(nullptr);
  Dialog.SetInitialDir(Dir.Path());
  AnswerNextDialog("plain.mp3");
  ASSERT_TRUE(Dialog.Execute());
  ASSERT_EQ(Dialog.Files()->Count(), 1);
  EXPECT_EQ(Dialog.Files()->Get(0), Dir.File(L"plain.mp3"));
}

}  // namespace
