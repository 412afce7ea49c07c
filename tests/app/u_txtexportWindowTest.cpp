// The export window: its controls drive the build, the memo shows it, it is saved and copied.
#include "app/u_txtexport.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include "Imports/UCodeClipBrd.h"
#include "Imports/UCodeGraphics.h"
#include "Imports/u_WideFunc.h"
#include "app/u_funktionen.h"
#include "tests/app/ProgFixture.h"
#include "tests/support/DialogAnswer.h"
#include "tests/support/Fonts.h"
#include "tests/support/MessagePump.h"

namespace {

class ExportWindow : public TProgFixture {
 protected:
  void SetUp() override {
    TProgFixture::SetUp();
    AlleSongs = {Lied(L"Queen", L"Bohemian Rhapsody"), Lied(L"ABBA", L"Waterloo"), Lied(L"Abba", L"SOS")};
  }
  static Song Lied(const std::wstring& Artist, const std::wstring& Title) {
    Song S;
    S[sfArtist] = Artist;
    S[sfTitle] = Title;
    S[sfPath] = L"C:\\Musik\\" + Title + L".mp3";
    return S;
  }
  static std::wstring Memo() { return txtexport->AusgabeText(); }
  // What the memo holds now, builds still to come left out.
  static std::wstring Gezeigt() {
    const HWND Output = txtexport->output->Handle();
    std::wstring Text(static_cast<size_t>(GetWindowTextLengthW(Output)) + 1, L'\0');
    Text.resize(static_cast<size_t>(GetWindowTextW(Output, Text.data(), static_cast<int>(Text.size()))));
    return Text;
  }
  static void Format(const std::wstring& F) {
    CaptionSetzen(txtexport->formstr, F);
    txtexport->AutoUpdate(txtexport->formstr);
  }
  static int Tables() {
    const std::wstring M = Memo();
    int Count = 0;
    for (size_t P = M.find(L"<table>"); P != std::wstring::npos; P = M.find(L"<table>", P + 1)) ++Count;
    return Count;
  }
};

TEST_F(ExportWindow, TheMenuCommandsBuildFromAllSongsAlsoWhileASearchShowsFewer) {
  SuchErgebnis = {AlleSongs[1]};
  IstGefiltert = true;
  prog->mtxtexportClick(prog);
  EXPECT_TRUE(txtexport->Visible());
  EXPECT_EQ(Memo(), L"Abba - SOS\r\nABBA - Waterloo\r\nQueen - Bohemian Rhapsody\r\n");
  txtexport->cb_autoupdate->SetChecked(false);
  txtexport->DelOutputClick(nullptr);
  prog->mtxtexportClick(prog);
  EXPECT_EQ(Memo(), L"");
  prog->soClick(prog);
  EXPECT_TRUE(einstausgabe->Visible());
}

TEST_F(ExportWindow, StartsWithClosedPanelsAndTheirBoxesOpenThem) {
  for (TPanel* Panel : {txtexport->pa_suchen, txtexport->pa_einghilfe, txtexport->pa_html,
                        txtexport->pa_einst, txtexport->pa_filter})
    EXPECT_EQ(Panel->Height(), 18);
  const std::tuple<TCheckBox*, TPanel*, int> Boxes[] = {
      {txtexport->cb_einghilfe, txtexport->pa_einghilfe, 78},
      {txtexport->cb_filter, txtexport->pa_filter, 107},
      {txtexport->cb_suchen, txtexport->pa_suchen, 56},
      {txtexport->cb_html, txtexport->pa_html, 18},
      {txtexport->cb_einst, txtexport->pa_einst, 65}};
  for (const auto& [Box, Panel, Open] : Boxes) {
    Box->SetChecked(true);
    EXPECT_EQ(Panel->Height(), Open) << Box->Name();
    Box->SetChecked(false);
    EXPECT_EQ(Panel->Height(), 18) << Box->Name();
  }
  // The panels stand one below the other, the output fills the rest.
  txtexport->cb_filter->SetChecked(true);
  EXPECT_EQ(txtexport->pa_filter->Top(), 37 + 18);
  EXPECT_EQ(txtexport->pa_ausgabe->Top(), 37 + 18 + 107 + 18 + 18 + 18);
}

TEST_F(ExportWindow, TheAssistanceButtonsAndTheKeyEnterBuildTheFormat) {
  Format(L"");
  EXPECT_EQ(Memo(), L"");  // one empty line per song, all removed
  txtexport->Button10->Click();
  txtexport->Button9->Click();  // the free text " - "
  txtexport->Button1->Click();
  EXPECT_EQ(TextLesen(txtexport->formstr), L"%123% - %interpret%");
  EXPECT_EQ(Memo(), L"1 - ABBA\r\n2 - Abba\r\n3 - Queen\r\n");  // equal but for case: playlist order
  txtexport->Button12->Click();
  EXPECT_EQ(TextLesen(txtexport->formstr), L"");
  EXPECT_EQ(Memo(), L"");

  // Enter builds once and is swallowed; each new format joins the history once, exactly as typed.
  txtexport->cb_autoupdate->SetChecked(false);
  CaptionSetzen(txtexport->formstr, L"%titel%");
  const int Before = txtexport->formstr->Items()->Count();
  for (int I = 0; I < 2; ++I) SendMessageA(txtexport->formstr->EditHandle(), WM_CHAR, '\r', 0);
  EXPECT_EQ(TextLesen(txtexport->formstr), L"%titel%");
  EXPECT_EQ(Memo(), L"Bohemian Rhapsody\r\nSOS\r\nWaterloo\r\n");
  CaptionSetzen(txtexport->formstr, L"%Titel%");
  txtexport->SchreibenClick(nullptr);
  EXPECT_EQ(txtexport->formstr->Items()->Count(), Before + 2);
  EXPECT_EQ(txtexport->formstr->Items()->Get(Before), L"%titel%");
}

TEST_F(ExportWindow, ANewFormatIsTypedInOrderAndJoinsTheHistoryWhenCommitted) {
  const auto Tippen = [](const std::wstring& Text) {
    for (const wchar_t Ch : Text) SendMessageW(txtexport->formstr->EditHandle(), WM_CHAR, Ch, 1);
  };
  TUCodeStrings* Verlauf = txtexport->formstr->Items();
  const int Before = Verlauf->Count();
  Format(L"");
  Tippen(L"%123%. %artist%");
  EXPECT_EQ(TextLesen(txtexport->formstr), L"%123%. %artist%");
  EXPECT_EQ(Gezeigt(), L"1. ABBA\r\n2. Abba\r\n3. Queen\r\n");  // a short list's export at once
  EXPECT_EQ(Verlauf->Count(), Before);
  Tippen(L"\r");
  EXPECT_EQ(Verlauf->Count(), Before + 1);
  EXPECT_EQ(Verlauf->Get(Before), L"%123%. %artist%");
  // Without the automatic build the history still takes the format only on Enter, and typing goes on
  // where the caret is.
  txtexport->cb_autoupdate->SetChecked(false);
  Format(L"");
  Tippen(L"%titel%\r X");
  EXPECT_EQ(TextLesen(txtexport->formstr), L"%titel% X");
  EXPECT_EQ(Verlauf->Count(), Before + 2);
}

TEST_F(ExportWindow, AGreekAndJapaneseFormatJoinsTheHistoryAndTypingCompletesToIt) {
  const std::wstring Wide = L"%titel% \u03A9 \u6771\u4EAC";
  Format(Wide);
  txtexport->SchreibenClick(nullptr);
  EXPECT_EQ(Memo(),
            L"Bohemian Rhapsody \u03A9 \u6771\u4EAC\r\nSOS \u03A9 \u6771\u4EAC\r\nWaterloo \u03A9 "
            L"\u6771\u4EAC\r\n");
  TUCodeStrings* Verlauf = txtexport->formstr->Items();
  ASSERT_EQ(Verlauf->IndexOf(Wide), Verlauf->Count() - 1);
  std::wstring Gezeigt(64, L'\0');
  Gezeigt.resize(static_cast<size_t>(SendMessageW(txtexport->formstr->Handle(), CB_GETLBTEXT,
                                                  static_cast<WPARAM>(Verlauf->Count() - 1),
                                                  reinterpret_cast<LPARAM>(Gezeigt.data()))));
  EXPECT_EQ(Gezeigt, Wide);
  Format(L"");
  for (const wchar_t Ch : std::wstring(L"%titel% \u03A9"))
    SendMessageW(txtexport->formstr->EditHandle(), WM_CHAR, Ch, 1);
  EXPECT_EQ(TextLesen(txtexport->formstr), Wide);
  EXPECT_EQ(Memo(),
            L"Bohemian Rhapsody \u03A9 \u6771\u4EAC\r\nSOS \u03A9 \u6771\u4EAC\r\nWaterloo \u03A9 "
            L"\u6771\u4EAC\r\n");
}

TEST_F(ExportWindow, HtmlTablesAppendUnlessTheOldListIsReplaced) {
  txtexport->cb_html->SetChecked(true);
  EXPECT_EQ(Memo(),
            L"<table>\r\n<tr><td>Abba - SOS</td></tr>\r\n<tr><td>ABBA - Waterloo</td></tr>\r\n"
            L"<tr><td>Queen - Bohemian Rhapsody</td></tr>\r\n</table>\r\n");
  txtexport->cb_autodel->SetChecked(false);
  txtexport->SchreibenClick(nullptr);
  EXPECT_EQ(Tables(), 2);
  // Ticking every field box builds once more, not once per box.
  txtexport->rb_alle->SetChecked(true);
  EXPECT_EQ(Tables(), 3);
  // Changes in a row append a table each.
  for (const wchar_t* F : {L"%titel%", L"%artist%", L"%artist% - %title%"}) Format(F);
  EXPECT_EQ(Tables(), 6);
  EXPECT_TRUE(txtexport->s_genre->Checked());
  EXPECT_TRUE(txtexport->s_datei->Checked());
  // Without HTML the whole text is replaced, whatever the box says.
  txtexport->cb_html->SetChecked(false);
  EXPECT_EQ(Memo(), L"Abba - SOS\r\nABBA - Waterloo\r\nQueen - Bohemian Rhapsody\r\n");
}

TEST_F(ExportWindow, FilterReplaceAndOptionsComeFromTheControls) {
  txtexport->cb_filter->SetChecked(true);
  CaptionSetzen(txtexport->sw, L"abba");
  EXPECT_EQ(Memo(), L"Abba - SOS\r\nABBA - Waterloo\r\n");
  txtexport->cb_suchen->SetChecked(true);
  CaptionSetzen(txtexport->s_nach, L"ABBA");
  CaptionSetzen(txtexport->s_ers, L"Agnetha");
  EXPECT_EQ(Memo(), L"Abba - SOS\r\nAgnetha - Waterloo\r\n");
  txtexport->cb_sort->SetChecked(false);
  txtexport->cb_doppeltweg->SetChecked(true);
  Format(L"%artist%");
  EXPECT_EQ(Memo(), L"Agnetha\r\n");  // "Abba" went as a duplicate of the first, then the replacement
  const TExportOptionen O = txtexport->Optionen();
  EXPECT_EQ(O.FilterFelder,
            (std::array<bool, SongFieldCount>{true, true, false, true, false, false, false, false}));
  EXPECT_TRUE(O.LeereWeg);
  EXPECT_TRUE(O.Nullen);
  EXPECT_FALSE(O.Html);
}

TEST_F(ExportWindow, TextsInBothLanguagesResetTheFormatAndItsHistory) {
  txtexport->formstr->Items()->Add(L"old");
  start->spr->SetCaption("en");
  txtexport->LocalSpr();
  EXPECT_EQ(TextLesen(txtexport), L"Export as Text/HTML Table");
  EXPECT_EQ(TextLesen(txtexport->Button1), L"%artist%");
  EXPECT_EQ(TextLesen(txtexport->Button9), L"Add Text");
  EXPECT_EQ(TextLesen(txtexport->cb_nullen), L"Left-Hand Zeros at %123%");
  EXPECT_EQ(TextLesen(txtexport->Button10), L"%123%");
  EXPECT_EQ(TextLesen(txtexport->formstr), L"%artist% - %title%");
  ASSERT_EQ(txtexport->formstr->Items()->Count(), 1);
  EXPECT_EQ(txtexport->formstr->Items()->Get(0),
            L"%artist%%tab%%title%%tab%%length%%tab%%album%%tab%%track%%tab%%year%%tab%%genre%");
  start->spr->SetCaption("xx");  // any other code changes nothing
  txtexport->LocalSpr();
  EXPECT_EQ(TextLesen(txtexport->Button1), L"%artist%");
  start->spr->SetCaption("de");
  txtexport->LocalSpr();
  EXPECT_EQ(TextLesen(txtexport->Button4), L"%l\u00E4nge%");
  EXPECT_EQ(TextLesen(txtexport->cb_doppeltweg), L"Doppelte Eintr\u00E4ge entfernen");
  EXPECT_EQ(TextLesen(txtexport->formstr), L"%interpret% - %titel%");
  EXPECT_EQ(txtexport->formstr->Items()->Count(), 1);
}

TEST_F(ExportWindow, SavingProposesTheNameAppendsTheExtensionAndWritesTheChosenEncoding) {
  AlleSongs.push_back(Lied(L"\u6771\u4eac", L"\u0391\u03b8\u03ae\u03bd\u03b1 \U0001F3B5"));
  txtexport->SchreibenClick(nullptr);
  EXPECT_NE(Memo().find(L"\u6771\u4eac - \u0391\u03b8\u03ae\u03bd\u03b1 \U0001F3B5\r\n"), std::wstring::npos);
  std::string Offered;
  const std::string Folder = WideToAnsi(Dir.Path());
  AnswerNextDialog(Folder + "\\liste", [&](HWND Dialog) {
    char Name[MAX_PATH] = {};
    GetDlgItemTextA(Dialog, 0x47c, Name, sizeof Name);  // the file name box
    Offered = Name;
  });
  txtexport->Speichern->Click();
  EXPECT_EQ(Offered, "Musikliste.txt");
  std::wstring Read;
  WideLoadTextFile(Dir.File(L"liste.txt"), Read);
  EXPECT_EQ(Read, Memo());
  EXPECT_EQ(ReadBytes(Dir.File(L"liste.txt"))[0], 0xEF);  // UTF-8 with its mark

  start->spr->SetCaption("en");
  txtexport->cb_html->SetChecked(true);
  AusgabeKodierung = cpUTF16LE;
  AnswerNextDialog("", [&](HWND Dialog) {
    char Name[MAX_PATH] = {};
    GetDlgItemTextA(Dialog, 0x47c, Name, sizeof Name);
    Offered = Name;
    PostMessageA(Dialog, WM_COMMAND, IDCANCEL, 0);
  });
  txtexport->Speichern->Click();
  EXPECT_EQ(Offered, "Music List.htm");

  // A UTF-16 name from the dialog, and an HTML file that holds the memo as it is.
  AnswerNextDialog(Dir.File(L"\u6771\u4eac"));
  txtexport->Speichern->Click();
  const Bytes Html = ReadBytes(Dir.File(L"\u6771\u4eac.htm"));
  ASSERT_GE(Html.size(), 4u);
  EXPECT_EQ(Html[0], 0xFF);
  WideLoadTextFile(Dir.File(L"\u6771\u4eac.htm"), Read);
  EXPECT_EQ(Read, Memo());
}

TEST_F(ExportWindow, TheSaveDialogListsTextAndHtmlFiles) {
  for (const wchar_t* Name : {L"a.txt", L"b.htm", L"c.html", L"d.mp3", L"e.bmp"})
    WriteBytes(Dir.File(Name), {});
  int Listed = -1;
  AnswerNextDialog("", [&](HWND Dialog) {
    // The shell fills its view of the folder when it gets round to it.
    PumpMessagesUntil(
        [&] {
          const HWND View = FindWindowExA(FindWindowExA(Dialog, nullptr, "SHELLDLL_DefView", nullptr),
                                          nullptr, WC_LISTVIEWA, nullptr);
          if (View) Listed = static_cast<int>(SendMessageA(View, LVM_GETITEMCOUNT, 0, 0));
          return Listed >= 3;
        },
        10000);
    PostMessageA(Dialog, WM_COMMAND, IDCANCEL, 0);
  });
  txtexport->Speichern->Click();
  EXPECT_EQ(Listed, 3);  // the folder is the current one
}

TEST_F(ExportWindow, APictureNameSavesThePictureInTheOutputSettingsLook) {
  txtexport->SchreibenClick(nullptr);
  CaptionSetzen(einstausgabe->Edit1, L"#FFFFCC");
  einstausgabe->Edit1Change(nullptr);
  TFont* Sample = einstausgabe->Label3->Font();
  Sample->SetName(InstalledFace());
  Sample->SetSize(17);
  Sample->SetColor(static_cast<TColor>(RGB(0, 0, 153)));
  const std::string Folder = WideToAnsi(Dir.Path());
  for (const char* Name : {"liste.gif", "liste.JPG", "liste.bmp"}) {
    AnswerNextDialog(Folder + "\\" + Name);
    SendMessageA(txtexport->Speichern->Handle(), BM_CLICK, 0, 0);  // as a click: errors go to the application
  }
  EXPECT_TRUE(Shown.empty()) << Shown[0];
  const Bytes Gif = ReadBytes(Dir.File(L"liste.gif"));
  const Bytes Jpeg = ReadBytes(Dir.File(L"liste.JPG"));
  ASSERT_GE(Gif.size(), 4u);
  ASSERT_GE(Jpeg.size(), 2u);
  EXPECT_EQ(std::string(Gif.begin(), Gif.begin() + 4), "GIF8");
  EXPECT_EQ(Jpeg[0], 0xFF);
  EXPECT_EQ(Jpeg[1], 0xD8);
  TBitmap Bmp;
  Bmp.LoadFromFile(Folder + "\\liste.bmp");
  EXPECT_EQ(RGB(255, 255, 204), Bmp.Canvas()->Pixels(0, 0) & 0xFFFFFF);  // the chosen background
  // The sample's face and size measure the picture; its colour draws the text.
  TBitmap Probe;
  Probe.Canvas()->Font()->Assign(Sample);
  TWideStrArray Lines;
  WideSplitString(Lines, L"\r\n", Memo());
  int Width = 0;
  for (const std::wstring& Line : Lines) Width = std::max(Width, WideTextWidth(Probe.Canvas(), Line));
  EXPECT_EQ(Width + 20, Bmp.Width());
  EXPECT_EQ(static_cast<int>(Lines.size()) * WideTextHeight(Probe.Canvas(), L"Wg") + 20, Bmp.Height());
  bool Drawn = false;
  for (int Y = 0; Y < Bmp.Height() && !Drawn; ++Y)
    for (int X = 0; X < Bmp.Width() && !Drawn; ++X)
      Drawn = (Bmp.Canvas()->Pixels(X, Y) & 0xFFFFFF) == RGB(0, 0, 153);
  EXPECT_TRUE(Drawn);
}

// Picks the file type at Index (from 0) in the save dialog, as a choice in its list does.
void ChooseType(HWND Dialog, int Index) {
  const HWND Types = GetDlgItem(Dialog, 0x470);
  SendMessageA(Types, CB_SETCURSEL, static_cast<WPARAM>(Index), 0);
  for (const WORD Notification : {CBN_SELCHANGE, CBN_SELENDOK})
    SendMessageA(Dialog, WM_COMMAND, MAKEWPARAM(0x470, Notification), reinterpret_cast<LPARAM>(Types));
}

TEST_F(ExportWindow, ThePictureTypeChosenInTheDialogDecidesTheExtension) {
  txtexport->SchreibenClick(nullptr);
  const std::string Folder = WideToAnsi(Dir.Path());
  const std::tuple<int, const wchar_t*, std::string> Types[] = {
      {1, L"bild.bmp", "BM"}, {2, L"bild.jpg", "\xFF\xD8"}, {3, L"bild.gif", "GIF8"}};
  for (const auto& [Index, Name, Signature] : Types) {
    AnswerNextDialog(Folder + "\\bild", [Index](HWND Dialog) { ChooseType(Dialog, Index); });
    SendMessageA(txtexport->Speichern->Handle(), BM_CLICK, 0, 0);
    const Bytes Written = ReadBytes(Dir.File(Name));
    ASSERT_GE(Written.size(), Signature.size()) << WideToAnsi(Name);
    EXPECT_EQ(std::string(Written.begin(), Written.begin() + Signature.size()), Signature);
  }
  EXPECT_FALSE(PathExists(Dir.File(L"bild.txt")));
  EXPECT_TRUE(Shown.empty()) << Shown[0];
}

// Answers the save dialog with Typed and the question that may follow it with Button; notes the
// question's text in Asked.
void AnswerSaving(const std::wstring& Typed, int Button, std::string& Asked) {
  Asked.clear();
  AnswerDialogs(Typed, 2, [&Asked, Button](HWND Dialog) {
    if (GetDlgItem(Dialog, 0x470)) return;  // the save dialog itself
    Asked = DialogText(Dialog);
    PostMessageA(Dialog, WM_COMMAND, static_cast<WPARAM>(Button), 0);
  });
}

TEST_F(ExportWindow, SavingOverAFileAsksFirstForTheNameReallyWritten) {
  txtexport->SchreibenClick(nullptr);
  const Bytes Old{'o', 'l', 'd'};
  for (const wchar_t* Name : {L"liste.txt", L"liste.htm", L"bild.gif"}) WriteBytes(Dir.File(Name), Old);
  std::string Asked;
  // The name typed without its extension: only the program knows the clash.
  AnswerSaving(Dir.File(L"liste"), IDNO, Asked);
  txtexport->Speichern->Click();
  EXPECT_NE(Asked.find(WideToAnsi(Dir.File(L"liste.txt"))), std::string::npos) << Asked;
  EXPECT_NE(Asked.find("gibt es schon"), std::string::npos) << Asked;
  EXPECT_EQ(ReadBytes(Dir.File(L"liste.txt")), Old);

  start->spr->SetCaption("en");
  txtexport->cb_html->SetChecked(true);
  AnswerSaving(Dir.File(L"liste"), IDNO, Asked);
  txtexport->Speichern->Click();
  EXPECT_NE(Asked.find(WideToAnsi(Dir.File(L"liste.htm"))), std::string::npos) << Asked;
  EXPECT_NE(Asked.find("already exists"), std::string::npos) << Asked;
  EXPECT_EQ(ReadBytes(Dir.File(L"liste.htm")), Old);

  // Yes replaces the file.
  AnswerSaving(Dir.File(L"bild.gif"), IDYES, Asked);
  txtexport->Speichern->Click();
  EXPECT_NE(Asked.find("bild.gif"), std::string::npos) << Asked;
  const Bytes Gif = ReadBytes(Dir.File(L"bild.gif"));
  ASSERT_GE(Gif.size(), 4u);
  EXPECT_EQ(std::string(Gif.begin(), Gif.begin() + 4), "GIF8");

  // A new name is written without a question.
  AnswerNextDialog(Dir.File(L"neu"));
  txtexport->Speichern->Click();
  EXPECT_TRUE(PathExists(Dir.File(L"neu.htm")));
}

TEST_F(ExportWindow, TheClipboardGetsTheWholeTextAsUnicode) {
  txtexport->AusgabeSetzen(L"Queen\r\nR&B\r\n");
  txtexport->Button14->Click();
  TUCodeClipboard* Board = UCodeClipboard();
  Board->Open();
  const auto* Text = static_cast<const wchar_t*>(GlobalLock(Board->GetAsHandle(CF_UNICODETEXT)));
  ASSERT_NE(Text, nullptr);
  EXPECT_EQ(std::wstring(Text), L"Queen\r\nR&B\r\n");
  GlobalUnlock(Board->GetAsHandle(CF_UNICODETEXT));
  Board->Close();
}

// With Auto Update a change to a long list is built once the user pauses, the caption telling meanwhile
// that it is coming, and a long export goes into the memo a piece at a time between messages; saving and
// copying meanwhile take the whole new export, and a change while the memo fills leaves it holding the
// last change's export alone, and shown.
TEST_F(ExportWindow, ALongExportIsBuiltAfterThePauseAndSavedWholeWhileTheMemoFills) {
  for (int I = 0; I < 3000; ++I) AlleSongs.push_back(Lied(L"Artist " + std::to_wstring(I), L"Title"));
  txtexport->Show();
  txtexport->cb_autoupdate->SetChecked(true);
  const HWND Output = txtexport->output->Handle();
  const std::wstring Caption = TextLesen(txtexport);
  Format(L"%artist% | %title%");
  EXPECT_EQ(Gezeigt(), L"");
  const std::wstring First = ExportText(AlleSongs, txtexport->Optionen());
  ASSERT_GT(First.size(), 40000u);
  txtexport->ListeSpeichern(Dir.File(L"liste.txt"), dtText);
  std::wstring Read;
  WideLoadTextFile(Dir.File(L"liste.txt"), Read);
  EXPECT_EQ(Read, First);
  EXPECT_LT(Gezeigt().size(), First.size());
  EXPECT_EQ(Memo(), First);
  ASSERT_TRUE(PumpMessagesUntil([&] { return Gezeigt().size() == First.size(); }, 20000));
  EXPECT_EQ(Gezeigt(), First);
  EXPECT_TRUE(IsWindowVisible(Output));  // not drawn while it filled, shown again
  EXPECT_EQ(TextLesen(txtexport), Caption);

  // Until the pause ends the old export stays, and the caption tells that a new one is coming.
  const DWORD Changed = GetTickCount();
  Format(L"%title% %artist%");
  PumpMessagesFor(100);
  if (GetTickCount() - Changed < 250) {
    EXPECT_EQ(Gezeigt(), First);
    EXPECT_NE(TextLesen(txtexport), Caption);
  }
  ASSERT_TRUE(PumpMessagesUntil([&] { return Gezeigt().size() < First.size(); }, 20000));
  Format(L"%artist%");
  const std::wstring Last = ExportText(AlleSongs, txtexport->Optionen());
  ASSERT_TRUE(PumpMessagesUntil([&] { return Gezeigt().size() == Last.size(); }, 20000));
  PumpMessagesFor(500);
  EXPECT_EQ(Gezeigt(), Last);
  EXPECT_EQ(Memo(), Last);
  EXPECT_TRUE(IsWindowVisible(Output));
  EXPECT_EQ(TextLesen(txtexport), Caption);

  // A short text while a long one fills ends the filling: shown, editable and saved.
  txtexport->AusgabeSetzen(First);
  txtexport->AusgabeSetzen(L"kurz\r\n");
  EXPECT_TRUE(IsWindowVisible(Output));
  EXPECT_FALSE(GetWindowLongW(Output, GWL_STYLE) & ES_READONLY);
  EXPECT_EQ(Gezeigt(), L"kurz\r\n");
  txtexport->ListeSpeichern(Dir.File(L"kurz.txt"), dtText);
  WideLoadTextFile(Dir.File(L"kurz.txt"), Read);
  EXPECT_EQ(Read, L"kurz\r\n");

  // Where each change appends a table, quick changes built beside the window append one each.
  txtexport->cb_autodel->SetChecked(false);
  txtexport->cb_html->SetChecked(true);
  const int Before = Tables();
  for (const wchar_t* F : {L"%titel%", L"%titel% ", L"%titel% -"}) Format(F);
  EXPECT_EQ(Tables(), Before + 3);
}

}  // namespace
