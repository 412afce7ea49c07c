#include "Imports/UCodeDialogs.h"

#include <gtest/gtest.h>

#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <string>
#include <vector>

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

// Cancels whatever dialog of this thread is still open after five seconds, so that a dialog the answer
// could not close ends the test with a failure.
class TDialogDeadline {
 public:
  TDialogDeadline() : FTimer(SetTimer(nullptr, 0, 5000, Expire)) {}
  ~TDialogDeadline() { KillTimer(nullptr, FTimer); }

 private:
  static BOOL CALLBACK Cancel(HWND Window, LPARAM) {
    wchar_t Class[16] = {};
    GetClassNameW(Window, Class, 16);
    if (lstrcmpW(Class, L"#32770") == 0) PostMessageW(Window, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
  }
  static void CALLBACK Expire(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), Cancel, 0);
  }
  UINT_PTR FTimer;
};

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

TEST_F(UCodeOpenDialog, TheReadOnlyBoxAndAnotherExtensionAreReported) {
  TDialogDeadline Deadline;
  Dialog.Options = ofExtensionDifferent;
  Dialog.SetDefaultExt(L"wav");
  // The dialog gives the name the filter's extension, which is not the default one.
  AnswerNextDialog(Greek, [](HWND Window) { CheckDlgButton(Window, 0x410, BST_CHECKED); });
  ASSERT_TRUE(Dialog.Execute());
  EXPECT_TRUE(Dialog.Options & ofReadOnly);
  EXPECT_TRUE(Dialog.Options & ofExtensionDifferent);
  Dialog.SetDefaultExt(L"mp3");
  AnswerNextDialog(Greek + L".mp3", [](HWND Window) { CheckDlgButton(Window, 0x410, BST_UNCHECKED); });
  ASSERT_TRUE(Dialog.Execute());
  EXPECT_FALSE(Dialog.Options & ofReadOnly);
  EXPECT_FALSE(Dialog.Options & ofExtensionDifferent);
}

// The system's old-style dialog (Wine's takes one name); the names of several come parted by blanks, which
// the stand-in below gives as that dialog would.
class TOldStyleAnswer : public TUCodeOpenDialog {
 public:
  using TUCodeOpenDialog::TUCodeOpenDialog;
  std::wstring Answer;
  DWORD Flags = 0;
  std::wstring DefExt;

 protected:
  BOOL ShowWideDialog(OPENFILENAMEW* Info) override {
    Flags = Info->Flags;
    DefExt = Info->lpstrDefExt ? Info->lpstrDefExt : L"";
    Answer.copy(Info->lpstrFile, Answer.size());
    Info->lpstrFile[Answer.size()] = L'\0';
    return TRUE;
  }
};

TEST_F(UCodeOpenDialog, TheOldStyleDialogShowsAndItsBlankPartedChoiceIsRead) {
  WriteBytes(Dir.File(L"one.mp3"), B("x", 1));
  Dialog.Options = ofOldStyleDialog;
  TDialogDeadline Deadline;
  bool OldStyle = false;
  AnswerNextDialog(Chosen(L"one.mp3"), [&](HWND Window) { OldStyle = GetDlgItem(Window, 0x460) != nullptr; });
  ASSERT_TRUE(Dialog.Execute());
  EXPECT_TRUE(OldStyle);
  EXPECT_EQ(Dialog.FileName(), Chosen(L"one.mp3"));

  TOldStyleAnswer Several(nullptr);
  Several.Options = ofAllowMultiSelect | ofOldStyleDialog;
  Several.SetFileName(L"one.mp3");
  Several.Answer = Dir.Path() + L" ONE.MP3 TWO.MP3 \\net\\THREE.MP3";
  ASSERT_TRUE(Several.Execute());
  EXPECT_FALSE(Several.Flags & OFN_EXPLORER);
  EXPECT_EQ(Several.DefExt, L"mp3");  // without one of its own, the name's
  ASSERT_EQ(Several.Files()->Count(), 3);
  EXPECT_EQ(Several.Files()->Get(0), Chosen(L"ONE.MP3"));
  EXPECT_EQ(Several.Files()->Get(1), Chosen(L"TWO.MP3"));
  EXPECT_EQ(Several.Files()->Get(2), L"\\net\\THREE.MP3");
  EXPECT_EQ(Several.FileName(), Chosen(L"ONE.MP3"));
}

// The system lists files whatever the answer (it asks only to hide other items), so the test sees the
// question, not a shorter list.
TEST_F(UCodeOpenDialog, AnAddedPanelShowsAndEachItemIsOfferedToTheIncludeEvent) {
  Dialog.Options = ofFileMustExist;
  Dialog.Template = "ADDEDPANEL";
  TDialogDeadline Deadline;
  std::vector<std::wstring> Asked;
  Dialog.OnIncludeItem = [&](const OFNOTIFYEXA& OFN, bool& Include) {
    STRRET Name{};
    const auto Item = static_cast<PCUITEMID_CHILD>(OFN.pidl);
    wchar_t* Text = nullptr;
    if (SUCCEEDED(static_cast<IShellFolder*>(OFN.psf)->GetDisplayNameOf(
            Item, SHGDN_INFOLDER | SHGDN_FORPARSING, &Name)) &&
        SUCCEEDED(StrRetToStrW(&Name, Item, &Text))) {
      Asked.push_back(Text);
      CoTaskMemFree(Text);
    }
    Include = true;
  };
  std::wstring Panel;
  AnswerNextDialog(Greek + L".mp3", [&](HWND Window) {
    wchar_t Text[32] = {};
    if (const HWND Child = FindWindowExW(Window, nullptr, L"#32770", nullptr))
      GetDlgItemTextW(Child, 1119, Text, 32);
    Panel = Text;
  });
  ASSERT_TRUE(Dialog.Execute());
  EXPECT_EQ(Panel, L"Extra");
  EXPECT_NE(std::find(Asked.begin(), Asked.end(), Greek + L".mp3"), Asked.end());
  EXPECT_NE(std::find(Asked.begin(), Asked.end(), Japanese + L".mp3"), Asked.end());
}

// With no start folder, the current one rather than the one the dialog recalls.
TEST_F(UCodeOpenDialog, WithoutAStartFolderTheCurrentOneMayBeForced) {
  TDialogDeadline Deadline;
  TempDir Other;
  WriteBytes(Other.File(Greek + L".mp3"), B("x", 1));
  Dialog.Options = ofFileMustExist;
  Dialog.SetInitialDir(Other.Path());
  AnswerNextDialog(Greek + L".mp3");
  ASSERT_TRUE(Dialog.Execute());
  wchar_t Saved[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, Saved);
  SetCurrentDirectoryW(Dir.Path().c_str());
  Dialog.SetInitialDir(L"");
  Dialog.SetFileName(L"");
  ForceCurrentDirectory = true;
  AnswerNextDialog(Greek + L".mp3");
  const bool Chose = Dialog.Execute();
  ForceCurrentDirectory = false;
  SetCurrentDirectoryW(Saved);
  ASSERT_TRUE(Chose);
  EXPECT_EQ(Dialog.FileName(), Chosen(Greek + L".mp3"));
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
