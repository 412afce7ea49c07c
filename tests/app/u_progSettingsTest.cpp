// The settings file: what a save writes and in which order, what a load gives back, and a file that is
// missing, incomplete, wrong, read-only or in a folder outside the ANSI code page.
#include <gtest/gtest.h>

#include "app/u_suchopt.h"
#include "tests/app/ProgFixture.h"
#include "tests/classlib/RaisedMessage.h"

namespace {

class ProgSettings : public TProgFixture {
 protected:
  void SetUp() override {
    TProgFixture::SetUp();
    prog->zufall->SetChecked(true);  // the design state
    prog->Show();
  }
  // The windows as the program makes them, with the settings file left in place.
  static void Neustart() {
    Application->DestroyForms();
    CreateProgramWindows();
    prog->Parameter.clear();
    prog->Show();
  }
  std::wstring Ini() const { return Dir.File(L"velmaro.ini"); }
  void IniSchreiben(const std::string& Text) const { WriteBytes(Ini(), Bytes(Text.begin(), Text.end())); }
  std::vector<std::string> IniZeilen() const {
    const Bytes Data = ReadBytes(Ini());
    std::vector<std::string> Zeilen;
    std::string Text(Data.begin(), Data.end());
    for (size_t Pos; (Pos = Text.find("\r\n")) != std::string::npos; Text.erase(0, Pos + 2))
      Zeilen.push_back(Text.substr(0, Pos));
    return Zeilen;
  }
  // Everything the file stores, read from the windows.
  static std::vector<std::string> Zustand() {
    std::vector<std::string> Z;
    const auto Merken = [&](const std::string& Name, long long Wert) {
      Z.push_back(Name + "=" + std::to_string(Wert));
    };
    Merken("maximiert", prog->WindowState() == wsMaximized);
    for (const long long Wert : {prog->Left(), prog->Top(), prog->Width(), prog->Height()})
      Merken("fenster", Wert);
    for (int I = 0; I < prog->lv->Columns()->Count(); ++I)
      Merken("spalte", prog->lv->Columns()->Items(I)->Width());
    for (TMenuItem* M : {prog->zufall, prog->msuche, prog->suchoptpanel, prog->saat, prog->saata,
                         prog->saatta, prog->saatg, prog->saf, prog->saheader, prog->sastatus,
                         prog->einstautosave, prog->einstautoload, prog->Deutsch1, prog->English1})
      Merken(M->Name(), M->Checked());
    for (TCheckBox* C : prog->SpaltenSchalter()) Merken(C->Name(), C->Checked());
    for (TCheckBox* C : suchopt->SpaltenSchalter()) Merken("suchopt." + C->Name(), C->Checked());
    for (TCheckBox* C : {prog->s_grkl, prog->s_strexakt, prog->s_invers}) Merken(C->Name(), C->Checked());
    for (TRadioButton* R :
         {prog->s_ganz, prog->s_und, prog->s_oder, prog->sp_rballes, prog->sp_rbnix, prog->sp_rbstandard})
      Merken(R->Name(), R->Checked());
    Merken("pa_suche", prog->pa_suche->Visible());
    Merken("pa_suchopt", prog->pa_suchopt->Visible());
    Z.push_back("sprache=" + start->spr->Caption());
    Z.push_back("spalte0=" + WideToAnsi(prog->lv->Columns()->Items(0)->Caption()));
    return Z;
  }
};

// The keys from the column widths to the search criteria, as the design state saves them.
const std::vector<std::string> DesignKeys = {
    "spalte_num=65", "spalte_int=130",  "spalte_tit=160",  "spalte_lae=50", "spalte_alb=145", "spalte_tra=45",
    "spalte_jah=50", "spalte_gen=70",   "spalte_dat=125",  "[wiedergabe]",  "zufall=1",       "[suche]",
    "sucheoffen=0",  "optionenoffen=0", "[suchspalten]",   "interpret=1",   "titel=1",        "laenge=0",
    "album=1",       "track=0",         "jahr=0",          "genre=0",       "pfad=0",         "alle=0",
    "keine=0",       "standard=1",      "[suchkriterien]", "grossklein=0",  "exakt=0",        "invers=0",
    "ganz=1",        "und=0",           "oder=0"};

// The lines of the parts one after another.
std::vector<std::string> Lines(std::initializer_list<std::vector<std::string>> Parts) {
  std::vector<std::string> All;
  for (const std::vector<std::string>& Part : Parts) All.insert(All.end(), Part.begin(), Part.end());
  return All;
}

TEST_F(ProgSettings, SavingTheDesignStateWritesEveryKeyInOrder) {
  prog->SetBounds(30, 20, 800, 600);
  prog->einstsaveClick(prog);
  const auto B = [](const char* Key, int V) { return std::string(Key) + "=" + std::to_string(V); };
  EXPECT_EQ(IniZeilen(),
            Lines({{"[programm]", "maximiert=0", B("breite", prog->Width()), B("hoehe", prog->Height()),
                    B("links", prog->Left()), B("oben", prog->Top())},
                   DesignKeys,
                   {"[einstellungen]", "sprache=de", "songanzeige=int_tit", "headeranzeige=0",
                    "statusbaranzeige=1", "autosave=0", "autoload=1"}}));
  EXPECT_EQ(prog->Width(), 800);
}

TEST_F(ProgSettings, AMaximisedWindowWritesNoBoundsAndLoadsMaximisedWithItsOwnBounds) {
  prog->SetBounds(40, 30, 700, 500);
  SendMessageA(prog->Handle(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  prog->EinstellungenSpeichern();
  const std::vector<std::string> Zeilen = IniZeilen();
  ASSERT_GE(Zeilen.size(), 3u);
  EXPECT_EQ(Zeilen[1], "maximiert=1");
  EXPECT_EQ(Zeilen[2], "spalte_num=65");

  SendMessageA(prog->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_EQ(prog->BoundsRect().left, 40);
  prog->EinstellungenLaden();
  EXPECT_TRUE(IsZoomed(prog->Handle()));
  EXPECT_EQ(prog->WindowState(), wsMaximized);
  SendMessageA(prog->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_EQ(prog->Width(), 700);
  EXPECT_EQ(prog->Left(), 40);
}

// Closing while minimised stores the bounds the window comes back to, not the icon's.
TEST_F(ProgSettings, AMinimisedWindowWritesTheBoundsItRestoresTo) {
  prog->SetBounds(60, 50, 640, 480);
  SendMessageA(prog->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_EQ(prog->WindowState(), wsMinimized);
  prog->EinstellungenSpeichern();
  const std::vector<std::string> Zeilen = IniZeilen();
  EXPECT_EQ(std::vector<std::string>(Zeilen.begin() + 1, Zeilen.begin() + 6),
            (std::vector<std::string>{"maximiert=0", "breite=640", "hoehe=480", "links=60", "oben=50"}));
}

TEST_F(ProgSettings, EveryStoredOptionSurvivesASaveAndALoad) {
  prog->SetBounds(50, 40, 700, 500);
  for (int I = 0; I < prog->lv->Columns()->Count(); ++I) prog->lv->Columns()->Items(I)->SetWidth(30 + 7 * I);
  prog->zufallClick(prog->zufall);
  prog->suchoptpanelClick(prog->suchoptpanel);
  prog->sp_rbnix->SetChecked(true);
  for (TCheckBox* C : {prog->s_laenge, prog->s_jahr, prog->s_datei}) C->SetChecked(true);
  for (TCheckBox* C : {prog->s_grkl, prog->s_strexakt, prog->s_invers}) C->SetChecked(true);
  prog->s_und->SetChecked(true);
  prog->English1Click(prog->English1);
  prog->saatClick(prog->saatg);
  prog->saheaderClick(prog->saheader);
  prog->sastatusClick(prog->sastatus);
  prog->einstautosaveClick(prog->einstautosave);
  prog->einstautoloadClick(prog->einstautoload);
  const std::vector<std::string> Vorher = Zustand();
  prog->einstsaveClick(prog);

  Neustart();  // autoload=0: the first activation leaves the design state
  EXPECT_NE(Zustand(), Vorher);
  EXPECT_EQ(start->spr->Caption(), "de");
  prog->einstloadClick(prog);
  EXPECT_EQ(Zustand(), Vorher);
  EXPECT_EQ(prog->lv->Columns()->Items(0)->Caption(), L"Number");
  EXPECT_EQ(suchopt->Caption(), "Search Options");
}

TEST_F(ProgSettings, AMissingFileKeyOrNumberKeepsTheCurrentState) {
  prog->SetBounds(30, 20, 800, 600);
  const std::vector<std::string> Vorher = Zustand();
  prog->EinstellungenLaden();  // no file
  EXPECT_EQ(Zustand(), Vorher);
  EXPECT_FALSE(PathExists(Ini()));
  IniSchreiben("[programm]\r\nbreite=abc\r\nspalte_tit=1x\r\n[einstellungen]\r\nautosave=ja\r\nfremd=1\r\n");
  prog->EinstellungenLaden();
  EXPECT_EQ(Zustand(), Vorher);
}

// Presets first, then the columns: the stored columns win over the stored preset.
TEST_F(ProgSettings, TheStoredColumnsWinOverTheStoredPreset) {
  IniSchreiben("[suchspalten]\r\nalle=1\r\nstandard=0\r\npfad=0\r\n[suchkriterien]\r\ninvers=1\r\n");
  prog->EinstellungenLaden();
  EXPECT_TRUE(prog->sp_rballes->Checked());
  for (int F = 0; F < SongFieldCount; ++F) {
    EXPECT_EQ(prog->SpaltenSchalter()[F]->Checked(), F != sfPath) << F;
    EXPECT_EQ(suchopt->SpaltenSchalter()[F]->Checked(), F != sfPath) << F;
  }
  EXPECT_TRUE(prog->s_invers->Checked());
  EXPECT_TRUE(suchopt->s_invers->Checked());
}

TEST_F(ProgSettings, TheOptionsPanelBringsTheSearchPanelAlong) {
  SetSongs({L"a", L"b"});
  IstGefiltert = true;
  IniSchreiben("[suche]\r\nsucheoffen=0\r\noptionenoffen=1\r\n");
  prog->EinstellungenLaden();
  EXPECT_TRUE(prog->pa_suche->Visible());
  EXPECT_TRUE(prog->pa_suchopt->Visible());
  EXPECT_TRUE(prog->suchoptpanel->Checked());  // its menu item shows it open, so one click closes it
  EXPECT_TRUE(prog->msuche->Checked());
  EXPECT_FALSE(IstGefiltert);  // the closed search panel ended the filter first
}

// A window stored on a screen that is gone comes back on this one; a size smaller than any window gives
// the window's own size; no column shrinks out of sight or grows past the screens.
TEST_F(ProgSettings, BoundsComeBackOnTheScreenAndColumnsKeepAWidth) {
  SendMessageA(prog->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
  prog->SetBounds(10, 10, 640, 480);
  IniSchreiben(
      "[programm]\r\nbreite=9000\r\nhoehe=5\r\nlinks=5000\r\noben=-3000\r\nspalte_num=0\r\nspalte_tit=-"
      "8\r\nspalte_int=99999999\r\n");
  prog->EinstellungenLaden();
  RECT Area;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &Area, 0);
  const RECT B = prog->BoundsRect();
  EXPECT_EQ(B.left, Area.left);
  EXPECT_EQ(B.right, Area.right);
  EXPECT_EQ(B.top, Area.top);
  EXPECT_EQ(B.bottom - B.top, 480);
  EXPECT_EQ(prog->lv->Columns()->Items(0)->Width(), 20);
  EXPECT_EQ(prog->lv->Columns()->Items(2)->Width(), 20);
  EXPECT_EQ(prog->lv->Columns()->Items(1)->Width(), GetSystemMetrics(SM_CXVIRTUALSCREEN));
  EXPECT_EQ(prog->lv->Columns()->Items(3)->Width(), 50);

  prog->SetBounds(10, 10, 640, 480);
  IniSchreiben("[programm]\r\nbreite=-500\r\nhoehe=-500\r\nlinks=40\r\noben=30\r\n");
  prog->EinstellungenLaden();
  const RECT N = prog->BoundsRect();
  EXPECT_EQ(std::vector<long>({N.left, N.top, N.right, N.bottom}), std::vector<long>({40, 30, 680, 510}));
}

// An unknown mode gives the first one, so that the next save stores a mode again.
TEST_F(ProgSettings, AnUnknownDisplayModeFallsBackToArtistAndTitle) {
  prog->saatClick(prog->saf);
  IniSchreiben("[einstellungen]\r\nsonganzeige=xyz\r\n");
  prog->EinstellungenLaden();
  EXPECT_TRUE(prog->saat->Checked());
  EXPECT_FALSE(prog->saf->Checked());
  IniSchreiben("[einstellungen]\r\nsonganzeige=int_tit_alb_tra\r\n");
  prog->EinstellungenLaden();
  EXPECT_TRUE(prog->saatta->Checked());
  EXPECT_FALSE(prog->saat->Checked());
  prog->EinstellungenSpeichern();
  const std::vector<std::string> Zeilen = IniZeilen();
  EXPECT_NE(std::find(Zeilen.begin(), Zeilen.end(), "songanzeige=int_tit_alb_tra"), Zeilen.end());
}

// Every code that comes from the file is German or English, so no window is left in the other one.
TEST_F(ProgSettings, TheStoredLanguageSwitchesEveryWindowAndIsNormalised) {
  struct {
    const char* Wert;
    const char* Code;
  } const Cases[] = {{"en", "en"}, {" De ", "de"}, {"EN", "en"}, {"fr", "en"}, {"de", "de"}, {"", "en"}};
  for (const auto& Case : Cases) {
    IniSchreiben(std::string("[einstellungen]\r\nsprache=") + Case.Wert + "\r\n");
    prog->EinstellungenLaden();
    EXPECT_EQ(start->spr->Caption(), Case.Code) << Case.Wert;
    const bool En = std::string(Case.Code) == "en";
    EXPECT_EQ(prog->English1->Checked(), En) << Case.Wert;
    EXPECT_EQ(suchopt->Caption(), En ? "Search Options" : "Suchoptionen") << Case.Wert;
    EXPECT_EQ(fehler->Caption(), En ? "Error Messages" : "Fehlermeldungen") << Case.Wert;
  }
  // The same code leaves the texts alone.
  prog->Suchen->SetCaption(L"unber\xFChrt");
  IniSchreiben("[einstellungen]\r\nsprache=en\r\n");
  prog->EinstellungenLaden();
  EXPECT_EQ(prog->Suchen->Caption(), L"unber\xFChrt");
}

// The file cannot be replaced: a handle that shares it for reading only (the read-only attribute alone
// would not stop a test run as root), then the read-only attribute. The old file stays, and the message
// says so in the program's language, with the file and the system's reason.
TEST_F(ProgSettings, ARefusedWriteIsReportedOnceAndTheProgramStillCloses) {
  IniSchreiben("[programm]\r\nbreite=700\r\n");
  const Bytes Alt = ReadBytes(Ini());
  const HANDLE NurLesen =
      CreateFileW(Ini().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(NurLesen, INVALID_HANDLE_VALUE);
  const std::wstring Meldung = MessageOf<EIniFileException>([] { prog->einstsaveClick(prog); });
  EXPECT_EQ(Meldung.rfind(L"Die Einstellungen wurden nicht gespeichert, die Datei bleibt, wie sie war.", 0),
            0u)
      << WideToAnsi(Meldung);
  EXPECT_NE(Meldung.find(L"\"" + Ini() + L"\". "), std::wstring::npos) << WideToAnsi(Meldung);
  prog->einstautosaveClick(prog->einstautosave);
  bool CanClose = false;
  prog->FormCloseQuery(prog, CanClose);
  EXPECT_TRUE(CanClose);
  EXPECT_EQ(Shown, std::vector<std::string>{WideToAnsi(Meldung, CP_UTF8)});
  CloseHandle(NurLesen);
  EXPECT_EQ(ReadBytes(Ini()), Alt);

  prog->English1Click(prog->English1);
  SetFileAttributesW(Ini().c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(MessageOf<EIniFileException>([] { prog->EinstellungenSpeichern(); }),
            L"The settings were not saved; the file is left as it was.\n\nCannot create file \"" + Ini() +
                L"\". " + WideSysErrorMessage(ERROR_ACCESS_DENIED));
  SetFileAttributesW(Ini().c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReadBytes(Ini()), Alt);
  WIN32_FIND_DATAW Data;
  EXPECT_EQ(FindFirstFileW((Ini() + L".tmp*").c_str(), &Data), INVALID_HANDLE_VALUE);
}

// A save is written whole beside the file and takes its place only then: the old file is whole until that
// moment and the new one after it, so a program ended at any point leaves one of them. The file keeps its
// layout: each key is updated where it stands, a new key goes to the end of its section and a new section
// to the end of the file; comments, blank lines, unknown keys and sections stay where they were. The
// file's encoding stays too.
TEST_F(ProgSettings, ASaveReplacesTheOldFileWholeAndKeepsWhatItDoesNotWrite) {
  static Bytes AltBeimErsetzen, NeuBeimErsetzen;
  const auto Echt = ReplacingMove;
  ReplacingMove = [](LPCWSTR Temp, LPCWSTR Target, DWORD Flags) -> BOOL {
    AltBeimErsetzen = ReadBytes(Target);
    NeuBeimErsetzen = ReadBytes(Temp);
    return MoveFileExW(Temp, Target, Flags);
  };
  struct TZurueck {
    decltype(Echt) Move;
    ~TZurueck() { ReplacingMove = Move; }
  } Zurueck{Echt};
  const std::string Alt =
      "; mine\r\n[einstellungen]\r\n; language first\r\nsprache=en\r\nautoload=0\r\n\r\n[fremd]\r\nx=\xE4\r\n"
      "[Programm]\r\n breite = 700\r\nalt=5\r\n";
  IniSchreiben(Alt);
  prog->SetBounds(30, 20, 800, 600);
  prog->EinstellungenSpeichern();
  EXPECT_EQ(AltBeimErsetzen, Bytes(Alt.begin(), Alt.end()));
  EXPECT_EQ(NeuBeimErsetzen, ReadBytes(Ini()));
  const auto B = [](const char* Key, int V) { return std::string(Key) + "=" + std::to_string(V); };
  EXPECT_EQ(IniZeilen(),
            Lines({{"; mine", "[einstellungen]", "; language first", "sprache=de", "autoload=1",
                    "songanzeige=int_tit", "headeranzeige=0", "statusbaranzeige=1", "autosave=0", "",
                    "[fremd]", "x=\xE4", "[Programm]", B("breite", prog->Width()), "alt=5", "maximiert=0",
                    B("hoehe", prog->Height()), B("links", prog->Left()), B("oben", prog->Top())},
                   DesignKeys}));

  // A file in UTF-16 or in UTF-8 with its mark stays so and reads as before.
  for (const int Kodierung : {cpUTF16LE, cpUTF8}) {
    WideSaveTextFile(L"[fremd]\r\nx=\u00E4\u20AC\r\n[wiedergabe]\r\nzufall=0\r\n", Ini(), Kodierung);
    prog->EinstellungenSpeichern();
    EXPECT_EQ(WideGetTextFileCodePage(Ini()), Kodierung);
    const std::wstring Anfang = L"[fremd]\r\nx=\u00E4\u20AC\r\n[wiedergabe]\r\nzufall=1\r\n";
    std::wstring Text;
    WideLoadTextFile(Ini(), Text);
    EXPECT_EQ(Text.substr(0, Anfang.size()), Anfang) << Kodierung;
    prog->zufallClick(prog->zufall);
    prog->EinstellungenLaden();
    EXPECT_TRUE(prog->zufall->Checked()) << Kodierung;
  }
}

TEST_F(ProgSettings, AProgramFolderOutsideTheAnsiCodePageLoadsAndSavesItsSettings) {
  const std::wstring Ordner = Dir.File(L"\x041C\x0443\x0437\x044B\x043A\x0430");
  MakeDir(Ordner);
  ProgrammOrdnerErsatz = Ordner + L"\\";
  prog->zufallClick(prog->zufall);
  prog->einstsaveClick(prog);
  EXPECT_TRUE(PathExists(Ordner + L"\\velmaro.ini"));
  prog->zufallClick(prog->zufall);
  prog->einstloadClick(prog);
  EXPECT_FALSE(prog->zufall->Checked());
}

}  // namespace
