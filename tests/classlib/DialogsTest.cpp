#include "classlib/Dialogs.h"

#include <gtest/gtest.h>

#include <string>

#include "classlib/Forms.h"
#include "classlib/SysUtils.h"
#include "tests/support/DialogAnswer.h"
#include "tests/support/Fonts.h"
#include "tests/support/TestFiles.h"

namespace {

// What the answer saw of the dialog it closed.
std::string SeenTitle;
std::string SeenText;

BOOL CALLBACK FindStaticText(HWND Wnd, LPARAM) {
  char Class[16] = {};
  GetClassNameA(Wnd, Class, sizeof Class);
  if (lstrcmpiA(Class, "Static") != 0) return TRUE;
  char Text[128] = {};
  GetWindowTextA(Wnd, Text, sizeof Text);
  if (Text[0]) SeenText = Text;
  return TRUE;
}

// Notes the dialog's title and text, types Typed into its file name box (when it has one), presses OK.
void AnswerDialog(const std::string& Typed = "") {
  AnswerNextDialog(Typed, [](HWND Dialog) {
    char Title[128] = {};
    GetWindowTextA(Dialog, Title, sizeof Title);
    SeenTitle = Title;
    EnumChildWindows(Dialog, FindStaticText, 0);
  });
}

TEST(DialogsShowMessage, ShowsTheTextUnderTheApplicationsTitle) {
  Application->SetTitle("Velmaro Test");
  AnswerDialog();
  ShowMessage("Hello \xe4");
  EXPECT_EQ(SeenTitle, "Velmaro Test");
  EXPECT_EQ(SeenText, "Hello \xe4");
}

// True when Upper lies above Lower among the top-level windows.
bool Above(HWND Upper, HWND Lower) {
  for (HWND Wnd = GetTopWindow(nullptr); Wnd; Wnd = GetWindow(Wnd, GW_HWNDNEXT)) {
    if (Wnd == Upper) return true;
    if (Wnd == Lower) return false;
  }
  return false;
}

TForm* NewAppForm(const std::string& Name) {
  auto* Form = new TForm(Application);
  Form->SetName(Name);
  Form->SetBounds(0, 0, 200, 100);
  return Form;
}

TEST(DialogsModal, AQuestionTakesTheOtherWindowsInputAndStaysAboveThem) {
  TForm* Asking = NewAppForm("Asking");
  TForm* Other = NewAppForm("Other");
  TForm* Hidden = NewAppForm("Hidden");
  TForm* Off = NewAppForm("Off");
  Other->SetFormStyle(fsStayOnTop);  // as the error log stays on top
  Other->Show();
  Off->Show();
  Asking->Show();
  Hidden->HandleNeeded();
  EnableWindow(Off->Handle(), FALSE);
  bool Seen = false;
  AnswerNextDialog("", [&](HWND Box) {
    Seen = true;
    for (TForm* Form : {Asking, Other, Hidden}) EXPECT_FALSE(IsWindowEnabled(Form->Handle())) << Form->Name();
    EXPECT_TRUE(IsWindowEnabled(Box));
    // A command or another copy of the program bringing a waiting window to the front: the question
    // stays above it.
    Other->BringToFront();
    EXPECT_TRUE(Above(Box, Other->Handle()));
    Hidden->Show();
    EXPECT_FALSE(IsWindowEnabled(Hidden->Handle()));
    EXPECT_TRUE(Above(Box, Hidden->Handle()));
    EXPECT_EQ(ModalFrontWindow(Asking->Handle()), Box);
    // A window made meanwhile was the last one active, and is hidden: the question is still the front.
    TForm* Made = NewAppForm("Made");
    Made->Show();
    SetWindowPos(Made->Handle(), nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
    Other->BringToFront();
    EXPECT_EQ(ModalFrontWindow(Asking->Handle()), Box);
    EXPECT_TRUE(Above(Box, Other->Handle()));
  });
  Application->MessageBox(L"Replace?", L"Velmaro Test", MB_OK);
  EXPECT_TRUE(Seen);
  for (TForm* Form : {Asking, Other, Hidden}) EXPECT_TRUE(IsWindowEnabled(Form->Handle())) << Form->Name();
  EXPECT_FALSE(IsWindowEnabled(Off->Handle()));  // disabled before, by its own reason
  EXPECT_EQ(ModalFrontWindow(Asking->Handle()), Asking->Handle());
  EXPECT_TRUE(GetWindowLongW(Other->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);  // on top again
  Application->DestroyForms();
}

TEST(DialogsModal, TheWindowsOnTopKeepTheirOrder) {
  TForm* Lower = NewAppForm("Lower");
  TForm* Upper = NewAppForm("Upper");
  for (TForm* Form : {Lower, Upper}) {
    Form->SetFormStyle(fsStayOnTop);
    Form->Show();
  }
  ASSERT_TRUE(Above(Upper->Handle(), Lower->Handle()));
  AnswerNextDialog("");
  Application->MessageBox(L"Done.", L"Velmaro Test", MB_OK);
  EXPECT_TRUE(Above(Upper->Handle(), Lower->Handle()));
  Application->DestroyForms();
}

TEST(DialogsOpenDialog, SeveralChosenFilesAreListedWithTheirFolder) {
  TempDir Dir;
  for (const wchar_t* Name : {L"one.txt", L"two.txt"}) WriteBytes(Dir.File(Name), B("x", 1));
  TOpenDialog Dialog(nullptr);
  Dialog.Filter = "Text|*.txt|All|*.*";
  Dialog.FilterIndex = 2;
  Dialog.Title = "Pick";
  Dialog.InitialDir = WideToAnsi(Dir.Path());
  Dialog.Options = ofAllowMultiSelect | ofFileMustExist;
  AnswerDialog("\"one.txt\" \"two.txt\"");
  ASSERT_TRUE(Dialog.Execute());
  EXPECT_EQ(SeenTitle, "Pick");
  ASSERT_EQ(Dialog.Files()->Count(), 2);
  const std::string Folder = WideToAnsi(Dir.Path());
  const std::string Prefix = Folder.back() == '\\' ? Folder : Folder + "\\";
  EXPECT_EQ(Dialog.Files()->Get(0), Prefix + "one.txt");
  EXPECT_EQ(Dialog.Files()->Get(1), Prefix + "two.txt");
  EXPECT_EQ(Dialog.FileName, Prefix + "one.txt");
  EXPECT_EQ(Dialog.FilterIndex, 2);

  // One file: FileName is its full path and Files holds just it.
  AnswerDialog("two.txt");
  ASSERT_TRUE(Dialog.Execute());
  ASSERT_EQ(Dialog.Files()->Count(), 1);
  EXPECT_EQ(Dialog.FileName, Prefix + "two.txt");
}

// Stands in for the system's dialog: notes the record, answers with its Answer.
class TAnsweredDialog : public TOpenDialog {
 public:
  using TOpenDialog::TOpenDialog;
  bool Run() { return DoExecute(Answer, nullptr); }
  static inline OPENFILENAMEA Seen{};
  static inline std::string InitialDirSeen;
  static inline const char* Given = "";

 private:
  static BOOL WINAPI Answer(LPOPENFILENAMEA Info) {
    Seen = *Info;
    InitialDirSeen = Info->lpstrInitialDir ? Info->lpstrInitialDir : "";
    lstrcpynA(Info->lpstrFile, Given, static_cast<int>(Info->nMaxFile));
    return TRUE;
  }
};

TEST(DialogsOpenDialog, TheReadOnlyBoxTheOldStyleAndTheCurrentFolderReachTheSystem) {
  TempDir Dir;
  WriteBytes(Dir.File(L"one.txt"), B("x", 1));
  TOpenDialog Dialog(nullptr);
  Dialog.InitialDir = WideToAnsi(Dir.Path());
  Dialog.Options = ofReadOnly;
  bool Offered = false;
  AnswerNextDialog("one.txt", [&](HWND Window) {
    Offered = IsDlgButtonChecked(Window, 0x410) == BST_CHECKED;
    CheckDlgButton(Window, 0x410, BST_UNCHECKED);
  });
  ASSERT_TRUE(Dialog.Execute());
  EXPECT_TRUE(Offered);
  EXPECT_FALSE(Dialog.Options & ofReadOnly);

  // The old-style dialog parts several names with blanks; without a start folder, "." when forced.
  TAnsweredDialog Old(nullptr);
  Old.Options = ofOldStyleDialog | ofAllowMultiSelect;
  TAnsweredDialog::Given = "C:\\MUSIC ONE.MP3 TWO.MP3";
  ForceCurrentDirectory = true;
  const bool Chose = Old.Run();
  ForceCurrentDirectory = false;
  ASSERT_TRUE(Chose);
  EXPECT_FALSE(TAnsweredDialog::Seen.Flags & OFN_EXPLORER);
  EXPECT_EQ(TAnsweredDialog::InitialDirSeen, ".");
  ASSERT_EQ(Old.Files()->Count(), 2);
  EXPECT_EQ(Old.Files()->Get(1), "C:\\MUSIC\\TWO.MP3");
  EXPECT_EQ(Old.FileName, "C:\\MUSIC\\ONE.MP3");
}

// Presses Cancel on the next dialog.
void CancelDialog() {
  AnswerNextDialog("", [](HWND Dialog) { PostMessageA(Dialog, WM_COMMAND, IDCANCEL, 0); });
}

TEST(DialogsColorDialog, OpensOnTheColourAndTakesTheChosenOne) {
  TColorDialog Dialog(nullptr);
  Dialog.Color = clWindow;  // a system colour is shown as what it stands for
  AnswerNextDialog("");
  ASSERT_TRUE(Dialog.Execute());
  EXPECT_EQ(static_cast<COLORREF>(Dialog.Color), GetSysColor(COLOR_WINDOW));

  AnswerNextDialog("", [](HWND Dialog) {
    SetDlgItemTextA(Dialog, 706, "0");  // the red, green and blue boxes
    SetDlgItemTextA(Dialog, 707, "255");
    SetDlgItemTextA(Dialog, 708, "16");
  });
  ASSERT_TRUE(Dialog.Execute());
  EXPECT_EQ(Dialog.Color, static_cast<TColor>(RGB(0, 255, 16)));

  CancelDialog();
  EXPECT_FALSE(Dialog.Execute());
  EXPECT_EQ(Dialog.Color, static_cast<TColor>(RGB(0, 255, 16)));
}

TEST(DialogsFontDialog, OpensOnTheFontAndKeepsItOnOk) {
  const std::string Face = InstalledFace();
  ASSERT_FALSE(Face.empty());
  TFontDialog Dialog(nullptr);
  Dialog.Font()->SetName(Face);
  Dialog.Font()->SetSize(14);
  Dialog.Font()->SetStyle(fsBold);
  Dialog.Font()->SetColor(clRed);
  std::string SeenFace;
  AnswerNextDialog("", [&](HWND Dialog) {
    char Name[LF_FACESIZE] = {};
    GetDlgItemTextA(Dialog, 0x470, Name, sizeof Name);  // the face name box
    SeenFace = Name;
  });
  ASSERT_TRUE(Dialog.Execute());
  EXPECT_EQ(SeenFace, Face);
  EXPECT_EQ(Dialog.Font()->Name(), Face);
  EXPECT_EQ(Dialog.Font()->Size(), 14);
  EXPECT_EQ(Dialog.Font()->Style(), fsBold);
  EXPECT_EQ(Dialog.Font()->Color(), clRed);

  CancelDialog();
  EXPECT_FALSE(Dialog.Execute());
}

}  // namespace
