// The output settings window: encodings, the picture background and font, its texts, and what the
// playlist writer makes of the chosen encoding.
#include "app/u_einstausgabe.h"

#include <gtest/gtest.h>

#include "app/u_funktionen.h"
#include "app/u_weblinks.h"
#include "tests/app/ProgFixture.h"
#include "tests/support/DialogAnswer.h"
#include "tests/support/Fonts.h"

namespace {

using OutputSettings = TProgFixture;

TColor Hintergrund() {
  return einstausgabe->Edit1->Color();
}

TColor Schrift() {
  return einstausgabe->Edit1->Font()->Color();
}

void Tippen(const std::wstring& Text) {
  CaptionSetzen(einstausgabe->Edit1, Text);
}

TEST(OutputColorText, HexDigitsInRedGreenBlueOrder) {
  EXPECT_EQ(ColorToHex(RGB(0x12, 0xAB, 0x0F)), L"12AB0F");
  EXPECT_EQ(ColorToHex(clWhite), L"FFFFFF");
  EXPECT_EQ(HexToColor(L"12ab0F"), static_cast<TColor>(RGB(0x12, 0xAB, 0x0F)));
  EXPECT_EQ(HexToColor(L"00FF00xyz"), clLime);
  for (const wchar_t* Bad : {L"", L"12345", L"-12345", L"GG0000", L"12 456", L"0x1234"})
    EXPECT_EQ(HexToColor(Bad, clNone), clNone) << WideToAnsi(Bad);
  EXPECT_EQ(HexToColor(L"zz"), clWhite);
  // Every "#" is removed before the digits are read, wherever it stands.
  for (const wchar_t* Good : {L"#00ff00", L"00ff00", L"##FF0000", L"#FF#00#00"})
    EXPECT_TRUE(IstFarbText(Good)) << WideToAnsi(Good);
  for (const wchar_t* Bad : {L"#FF000", L"#FF00000", L"-12345", L"#-12345", L"#GG0000", L"#"})
    EXPECT_FALSE(IstFarbText(Bad)) << WideToAnsi(Bad);
}

TEST_F(OutputSettings, TypedColoursSetTheBackgroundAndAReadableTextColour) {
  EXPECT_EQ(Hintergrund(), clWhite);
  EXPECT_EQ(TextLesen(einstausgabe->Edit1), L"#FFFFFF");
  Tippen(L"#00ff00");
  EXPECT_EQ(Hintergrund(), clLime);
  EXPECT_EQ(Schrift(), clWhite);  // sum 255
  // Every "#" is removed: with two, or with none, the six digits still count.
  Tippen(L"##FF0000");
  EXPECT_EQ(Hintergrund(), clRed);
  Tippen(L"0000FF");
  EXPECT_EQ(Hintergrund(), clBlue);
  Tippen(L"#FFFF00");
  EXPECT_EQ(Hintergrund(), clYellow);
  EXPECT_EQ(Schrift(), clBlack);  // sum 510
  // Anything but six hex digits leaves the last good colour.
  for (const wchar_t* Bad : {L"#FF00", L"#GGHHII", L"-12345", L"#FF00000", L""}) {
    Tippen(Bad);
    EXPECT_EQ(Hintergrund(), clYellow) << WideToAnsi(Bad);
    EXPECT_EQ(Schrift(), clBlack);
  }
}

TEST_F(OutputSettings, TheColourDialogStartsOnTheBackgroundAndSetsColourAndText) {
  Tippen(L"#102030");
  COLORREF Offered = 0;
  AnswerNextDialog("", [&](HWND Dialog) {
    Offered = RGB(GetDlgItemInt(Dialog, 706, nullptr, FALSE), GetDlgItemInt(Dialog, 707, nullptr, FALSE),
                  GetDlgItemInt(Dialog, 708, nullptr, FALSE));
    SetDlgItemTextA(Dialog, 706, "250");
    SetDlgItemTextA(Dialog, 707, "240");
    SetDlgItemTextA(Dialog, 708, "16");
  });
  einstausgabe->BitBtn1->Click();
  EXPECT_EQ(Offered, RGB(0x10, 0x20, 0x30));
  EXPECT_EQ(Hintergrund(), static_cast<TColor>(RGB(250, 240, 16)));
  EXPECT_EQ(TextLesen(einstausgabe->Edit1), L"#FAF010");
  EXPECT_EQ(Schrift(), clBlack);  // sum 506

  AnswerNextDialog("", [](HWND Dialog) { PostMessageA(Dialog, WM_COMMAND, IDCANCEL, 0); });
  einstausgabe->BitBtn1->Click();
  EXPECT_EQ(TextLesen(einstausgabe->Edit1), L"#FAF010");
}

TEST_F(OutputSettings, TheFontDialogStartsOnTheSampleAndTheSampleTakesTheChoice) {
  TFont* Probe = einstausgabe->Label3->Font();
  Probe->SetName(InstalledFace());  // the design's face may not be on this machine
  Probe->SetSize(8);
  Probe->SetStyle(0);
  std::string OfferedSize;
  AnswerNextDialog("", [&](HWND Dialog) {
    char Size[8] = {};
    GetDlgItemTextA(Dialog, 0x472, Size, sizeof Size);  // the size box
    OfferedSize = Size;
  });
  einstausgabe->fd->Font()->SetSize(30);  // the dialog starts from the sample, not from its last choice
  einstausgabe->BitBtn6->Click();
  EXPECT_EQ(OfferedSize, "8");
  EXPECT_EQ(Probe->Size(), 8);
  EXPECT_EQ(Probe->Name(), einstausgabe->fd->Font()->Name());
}

// With a face the machine lacks, OK without a change must not leave a sideways "@" face behind.
TEST_F(OutputSettings, TheFontDialogOpensOnTheFaceDrawnAndOffersNoSidewaysFaces) {
  TFont* Probe = einstausgabe->Label3->Font();
  Probe->SetName("Velmaro Missing Face");
  Probe->SetSize(8);
  std::string Offered;
  std::vector<std::string> Listed;
  AnswerNextDialog("", [&](HWND Dialog) {
    char Face[LF_FACESIZE] = {};
    GetDlgItemTextA(Dialog, 0x470, Face, sizeof Face);  // the face box
    Offered = Face;
    const HWND Faces = GetDlgItem(Dialog, 0x470);
    const LRESULT Count = SendMessageA(Faces, CB_GETCOUNT, 0, 0);
    for (LRESULT I = 0; I < Count; ++I) {
      std::string Name(static_cast<size_t>(SendMessageA(Faces, CB_GETLBTEXTLEN, I, 0)) + 1, '\0');
      Name.resize(
          static_cast<size_t>(SendMessageA(Faces, CB_GETLBTEXT, I, reinterpret_cast<LPARAM>(Name.data()))));
      Listed.push_back(Name);
    }
  });
  einstausgabe->BitBtn6->Click();
  ASSERT_FALSE(Listed.empty());
  for (const std::string& Name : Listed) EXPECT_FALSE(Name.starts_with('@')) << Name;
  EXPECT_NE(std::find(Listed.begin(), Listed.end(), Offered), Listed.end()) << Offered;
  EXPECT_EQ(Probe->Name(), Offered);
  EXPECT_EQ(Probe->Size(), 8);
}

TEST_F(OutputSettings, EachEncodingButtonSetsItsCodePageAndEveryStartIsUtf8) {
  EXPECT_EQ(AusgabeKodierung, cpUTF8);
  EXPECT_TRUE(einstausgabe->rb_utf8->Checked());
  const std::pair<TRadioButton*, int> Buttons[] = {{einstausgabe->rb_ansi, cpAnsi},
                                                   {einstausgabe->rb_utf7, cpUTF7},
                                                   {einstausgabe->rb_utf7ansi, cpUTF7NoSignature},
                                                   {einstausgabe->rb_utf16le, cpUTF16LE},
                                                   {einstausgabe->rb_utf_be, cpUTF16BE},
                                                   {einstausgabe->rb_utf32le, cpUTF32LE},
                                                   {einstausgabe->rb_utf32be, cpUTF32BE},
                                                   {einstausgabe->rb_utf8, cpUTF8}};
  for (const auto& [Button, CodePage] : Buttons) {
    SendMessageA(Button->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(AusgabeKodierung, CodePage);
  }
  EXPECT_FALSE(einstausgabe->rb_beibehalten->Enabled());

  // A playlist saved after choosing UTF-16 big-endian is written so; a new start writes UTF-8 again.
  SendMessageA(einstausgabe->rb_utf_be->Handle(), BM_CLICK, 0, 0);
  PlaylistSpeichern({Song{}}, Dir.File(L"be"));
  EXPECT_EQ(ReadBytes(Dir.File(L"be.vlm")), B("\xFE\xFF\0|\0|\0|\0|\0|\0|\0|\0\r\0\n", 20));
  Application->DestroyForms();
  CreateProgramWindows();
  EXPECT_EQ(AusgabeKodierung, cpUTF8);
}

TEST_F(OutputSettings, ThePlaylistIsNeverWrittenAsUtf7WithoutItsSignature) {
  SendMessageA(einstausgabe->rb_utf7ansi->Handle(), BM_CLICK, 0, 0);
  const TWideSongArray Songs{
      {L"\u0391\u03B8\u03AE\u03BD\u03B1", L"t", L"1:00", L"", L"", L"", L"", L"C:\\a.mp3"}};
  PlaylistSpeichern(Songs, Dir.File(L"seven.vlm"));
  const Bytes Written = ReadBytes(Dir.File(L"seven.vlm"));
  EXPECT_EQ(std::string(Written.begin(), Written.begin() + 4), "+/v8");
  TWideSongArray Read;
  ReadPlaylist(Dir.File(L"seven.vlm"), Read);
  EXPECT_EQ(Read, Songs);
}

TEST_F(OutputSettings, AnAnsiPlaylistThatWouldLoseCharactersAsksFirst) {
  SendMessageA(einstausgabe->rb_ansi->Handle(), BM_CLICK, 0, 0);
  const TWideSongArray Greek{
      {L"\u0391\u03B8\u03AE\u03BD\u03B1", L"t", L"1:00", L"", L"", L"", L"", L"C:\\a.mp3"}};
  std::string Asked;
  AnswerNextDialog("", [&](HWND Dialog) {
    Asked = DialogText(Dialog);
    PostMessageA(Dialog, WM_COMMAND, IDNO, 0);
  });
  PlaylistSpeichern(Greek, Dir.File(L"greek.vlm"));
  EXPECT_NE(Asked.find("ANSI"), std::string::npos) << Asked;
  EXPECT_FALSE(PathExists(Dir.File(L"greek.vlm")));

  AnswerNextDialog("", [](HWND Dialog) { PostMessageA(Dialog, WM_COMMAND, IDYES, 0); });
  PlaylistSpeichern(Greek, Dir.File(L"greek.vlm"));
  TWideSongArray Read;
  ReadPlaylist(Dir.File(L"greek.vlm"), Read);
  ASSERT_EQ(Read.size(), 1u);
  EXPECT_EQ(Read[0][sfArtist].substr(0, 4), L"????");  // what the code page made of it

  // Text that the code page holds is written without a question.
  const TWideSongArray Latin{{L"Caf\u00E9", L"t", L"1:00", L"", L"", L"", L"", L"C:\\a.mp3"}};
  PlaylistSpeichern(Latin, Dir.File(L"latin.vlm"));
  Read.clear();
  ReadPlaylist(Dir.File(L"latin.vlm"), Read);
  EXPECT_EQ(Read, Latin);
}

TEST_F(OutputSettings, TextsInBothLanguagesAndTheWindowsPlace) {
  start->spr->SetCaption("en");
  einstausgabe->Sprache();
  EXPECT_EQ(TextLesen(einstausgabe), L"Output Settings");
  EXPECT_EQ(TextLesen(einstausgabe->BitBtn6), L"Choose Font..");
  EXPECT_EQ(TextLesen(einstausgabe->rb_utf7ansi), L"Unicode UTF-7 saved as ANSI");
  EXPECT_EQ(WebAdresse(TextLesen(einstausgabe->Label7), QuelleMenu),
            L"https://www.example.com/en/unicode-file-formats?rf=vmm");
  start->spr->SetCaption("de");
  einstausgabe->Sprache();
  EXPECT_EQ(TextLesen(einstausgabe), L"Ausgabe Einstellungen");
  EXPECT_EQ(TextLesen(einstausgabe->BitBtn6), L"Schrift w\u00E4hlen..");
  EXPECT_EQ(TextLesen(einstausgabe->rb_beibehalten), L"Wenn m\u00F6glich, Kodierung \u00FCbernehmen");
  EXPECT_EQ(TextLesen(einstausgabe->Label7), L"example.com/de/unicode-dateiformate");

  start->SetBounds(40, 50, 600, 500);
  einstausgabe->Show();
  EXPECT_EQ(einstausgabe->Left(), 40 + (600 - einstausgabe->Width()) / 2);
  EXPECT_EQ(einstausgabe->Top(), 50 + (500 - einstausgabe->Height()) / 2);
  const LONG_PTR Style = GetWindowLongPtrA(einstausgabe->Handle(), GWL_STYLE);
  EXPECT_TRUE(Style & WS_SYSMENU);
  EXPECT_FALSE(Style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
  EXPECT_TRUE(GetWindowLongPtrA(einstausgabe->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  einstausgabe->Button1->Click();
  EXPECT_FALSE(einstausgabe->Visible());
}

}  // namespace
