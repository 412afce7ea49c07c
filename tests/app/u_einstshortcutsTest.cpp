// The shell integration window against the real registry and Send To folder of the test run's prefix,
// read back with the platform's own functions.
#include "app/u_einstshortcuts.h"

#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/u_AdminFunc.h"
#include "app/u_funktionen.h"
#include "audio/ComPtr.h"
#include "tests/app/ProgFixture.h"
#include "tests/app/ShellRecorder.h"
#include "tests/support/DialogAnswer.h"

namespace {

// The default value (or the value Name) of a key below HKEY_CLASSES_ROOT, or "<missing>".
std::wstring Wert(const std::wstring& Key, const wchar_t* Name = nullptr) {
  HKEY Opened;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, Key.c_str(), 0, KEY_READ, &Opened) != ERROR_SUCCESS)
    return L"<missing>";
  wchar_t Text[512] = {};
  DWORD Size = sizeof Text - sizeof(wchar_t), Type = 0;
  const LONG Result = RegQueryValueExW(Opened, Name, nullptr, &Type, reinterpret_cast<BYTE*>(Text), &Size);
  RegCloseKey(Opened);
  if (Result != ERROR_SUCCESS) return L"<no value>";
  return Type == REG_SZ ? Text : L"<not a text>";
}

bool Da(const std::wstring& Key) {
  return Wert(Key) != L"<missing>";
}

// The number of values of a key below HKEY_CLASSES_ROOT; -1 when it is missing.
int Werte(const std::wstring& Key) {
  HKEY Opened;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, Key.c_str(), 0, KEY_READ, &Opened) != ERROR_SUCCESS) return -1;
  DWORD Values = 0;
  RegQueryInfoKeyW(Opened, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &Values, nullptr, nullptr,
                   nullptr, nullptr);
  RegCloseKey(Opened);
  return static_cast<int>(Values);
}

struct TShortcut {
  std::wstring Path, WorkDir, Description, Arguments;
};

TShortcut ShortcutRead(const std::wstring& File) {
  TShortcut Result;
  TComPtr<IShellLinkW> Link;
  TComPtr<IPersistFile> Persist;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              Link.PutVoid())) ||
      FAILED(Link.As(IID_IPersistFile, Persist)) || FAILED(Persist->Load(File.c_str(), STGM_READ)))
    return Result;
  wchar_t Text[MAX_PATH + 1] = {};
  Link->GetPath(Text, MAX_PATH, nullptr, SLGP_RAWPATH);
  Result.Path = Text;
  Link->GetWorkingDirectory(Text, MAX_PATH);
  Result.WorkDir = Text;
  Link->GetDescription(Text, MAX_PATH);
  Result.Description = Text;
  Link->GetArguments(Text, MAX_PATH);
  Result.Arguments = Text;
  return Result;
}

// Runs Command with an answerer of the next message box ready; the box's text, or "" when none was shown.
// The text lives on: an answerer whose box never came stays ready for the next one.
std::wstring BoxText;
template <class F>
std::wstring MessageOf(F Command) {
  BoxText.clear();
  AnswerNextDialog("", [](HWND Box) {
    wchar_t Shown[256] = {};
    GetDlgItemTextW(Box, 0xFFFF, Shown, 256);
    BoxText = Shown;
  });
  Command();
  return BoxText;
}

class ShellIntegration : public TProgFixture {
 protected:
  void SetUp() override {
    TProgFixture::SetUp();
    Window = einstshortcuts;
    SendTo = GetSpecialFolderPath() + L"\\KRB Velmaro.lnk";
  }
  void TearDown() override {
    // Whatever a test left, the prefix is clean for the next one.
    ProgrammDateiErsatz.clear();
    for (const wchar_t* Key :
         {L".vlm", L"Playlist KRB Velmaro", L"Folder\\shell\\KRBvelmaro", L"*\\shell\\KRBvelmaro"})
      RegDeleteTreeW(HKEY_CLASSES_ROOT, Key);
    DeleteFileW(SendTo.c_str());
    TProgFixture::TearDown();
  }
  std::wstring Command() const { return L"\"" + ProgrammDatei() + L"\" \"%1\""; }
  std::wstring Status(Teinstshortcuts::TLabel* Label) const {
    return Label->Caption() + (Label->Font()->Color() == 0x008000 ? L" green" : L" red");
  }

  Teinstshortcuts* Window = nullptr;
  std::wstring SendTo;
};

}  // namespace

TEST_F(ShellIntegration, ThePlaylistTypeIsWrittenTwiceAndRemovedTwice) {
  for (int Round = 0; Round < 2; ++Round) {
    Window->KonfigAnClick(Window->KonfigAn);
    EXPECT_EQ(Wert(L".vlm"), L"Playlist KRB Velmaro");
    EXPECT_EQ(Wert(L"Playlist KRB Velmaro"), L"Playlist KRB Velmaro");
    EXPECT_EQ(Wert(L"Playlist KRB Velmaro\\DefaultIcon"), ProgrammDatei() + L",0");
    EXPECT_EQ(Wert(L"Playlist KRB Velmaro\\Shell\\Open\\Command"), Command());
    EXPECT_EQ(Status(Window->ver_konfig), L"Aktiv green");
  }
  for (int Round = 0; Round < 2; ++Round) {
    Window->KonfigAusClick(Window->KonfigAus);
    EXPECT_FALSE(Da(L".vlm"));
    EXPECT_FALSE(Da(L"Playlist KRB Velmaro"));
    EXPECT_EQ(Status(Window->ver_konfig), L"Nicht aktiv red");
  }
}

TEST_F(ShellIntegration, RemovingThePlaylistTypeLeavesATypeThatIsNotOurs) {
  // Our type name, but the command of another copy of the program.
  ProgrammDateiErsatz = L"C:\\Andere\\velmaro.exe";
  Window->KonfigAnClick(Window->KonfigAn);
  ProgrammDateiErsatz.clear();
  Window->KonfigAusClick(Window->KonfigAus);
  EXPECT_EQ(Wert(L".vlm"), L"Playlist KRB Velmaro");
  EXPECT_EQ(Wert(L"Playlist KRB Velmaro\\Shell\\Open\\Command"), L"\"C:\\Andere\\velmaro.exe\" \"%1\"");
  EXPECT_EQ(Status(Window->ver_konfig), L"Nicht aktiv red");

  // ".vlm" taken by another program's type.
  RegDeleteTreeW(HKEY_CLASSES_ROOT, L"Playlist KRB Velmaro");
  RegSetValueW(HKEY_CLASSES_ROOT, L".vlm", REG_SZ, L"Fremd.Playlist", 0);
  Window->KonfigAusClick(Window->KonfigAus);
  EXPECT_EQ(Wert(L".vlm"), L"Fremd.Playlist");
}

TEST_F(ShellIntegration, AnEmptyNameWritesNothing) {
  const std::wstring Root = Wert(L"");  // the classes key's own default value
  EXPECT_FALSE(RegisterFileType(L".velmarotest", L"", L"Typ", L"%1", ProgrammDatei()));
  EXPECT_FALSE(RegisterFileType(L"", L"VelmaroTest.Typ", L"Typ", L"%1", ProgrammDatei()));
  EXPECT_FALSE(UnregisterFileType(L"", L"VelmaroTest.Typ", Command()));
  EXPECT_FALSE(Da(L".velmarotest"));
  EXPECT_FALSE(Da(L"VelmaroTest.Typ"));
  EXPECT_FALSE(Da(L"DefaultIcon"));
  EXPECT_EQ(Wert(L""), Root);
  // "vlm" gets its dot.
  EXPECT_TRUE(RegisterFileType(L"vlm", L"Playlist KRB Velmaro", L"Beschreibung", L"%1", ProgrammDatei()));
  EXPECT_EQ(Wert(L".vlm"), L"Playlist KRB Velmaro");
  EXPECT_EQ(Wert(L"Playlist KRB Velmaro"), L"Beschreibung");
  EXPECT_TRUE(UnregisterFileType(L"vlm", L"Playlist KRB Velmaro", Command()));
  EXPECT_FALSE(Da(L".vlm"));
}

TEST_F(ShellIntegration, FolderAndAllFilesVerbsAreWrittenTwiceAndRemovedTwice) {
  for (int Round = 0; Round < 2; ++Round) {
    Window->OrdnerAnClick(nullptr);
    Window->AlleDateienAnClick(nullptr);
  }
  EXPECT_EQ(Wert(L"Folder\\shell\\KRBvelmaro"), L"\u00D6ffnen mit KRB Velmaro");
  EXPECT_EQ(Wert(L"Folder\\shell\\KRBvelmaro\\command"), Command());
  EXPECT_EQ(Wert(L"*\\shell\\KRBvelmaro"), L"Wiedergabe mit KRB Velmaro");
  EXPECT_EQ(Wert(L"*\\shell\\KRBvelmaro\\command"), Command());
  EXPECT_EQ(Status(Window->ver_ordner), L"Aktiv green");
  EXPECT_EQ(Status(Window->ver_alledateien), L"Aktiv green");

  for (int Round = 0; Round < 2; ++Round) {
    Window->OrdnerAusClick(nullptr);
    Window->AlleDateienAusClick(nullptr);
  }
  EXPECT_FALSE(Da(L"Folder\\shell\\KRBvelmaro"));
  EXPECT_FALSE(Da(L"*\\shell\\KRBvelmaro"));
  EXPECT_TRUE(Da(L"Folder\\shell"));  // only our verb goes
  EXPECT_EQ(Status(Window->ver_ordner), L"Nicht aktiv red");
  EXPECT_EQ(Status(Window->ver_alledateien), L"Nicht aktiv red");

  // The verbs' captions follow the language; their key names do not.
  prog->English1Click(nullptr);
  Window->OrdnerAnClick(nullptr);
  Window->AlleDateienAnClick(nullptr);
  EXPECT_EQ(Wert(L"Folder\\shell\\KRBvelmaro"), L"Open with KRB Velmaro");
  EXPECT_EQ(Wert(L"*\\shell\\KRBvelmaro"), L"Play Back with Velmaro");
  EXPECT_EQ(Status(Window->ver_ordner), L"Activated green");
}

TEST_F(ShellIntegration, TheSendToShortcutPointsAtTheProgramAndGoesAgain) {
  for (int Round = 0; Round < 2; ++Round) {
    Window->SendenAnAnClick(Window->SendenAnAn);
    const TShortcut Link = ShortcutRead(SendTo);
    EXPECT_EQ(Link.Path, ProgrammDatei());
    EXPECT_EQ(Link.WorkDir, WideExtractFileDir(ProgrammDatei()));
    EXPECT_NE(Link.WorkDir.back(), L'\\');
    EXPECT_EQ(Link.Description, L"KRB Velmaro");
    EXPECT_EQ(Link.Arguments, L"");
    EXPECT_EQ(Status(Window->ver_sendenan), L"Aktiv green");
  }
  for (int Round = 0; Round < 2; ++Round) {
    EXPECT_EQ(MessageOf([&] { Window->SendenAnAusClick(prog); }),
              Round == 0 ? L"Registrierung wurde erfolgreich gel\u00F6scht." : L"");
    EXPECT_FALSE(WideFileExists(SendTo));
    EXPECT_EQ(Status(Window->ver_sendenan), L"Nicht aktiv red");
  }
}

TEST_F(ShellIntegration, OnlyTheMenuGetsAMessageAndOnlyOnSuccess) {
  EXPECT_EQ(MessageOf([&] { Window->KonfigAnClick(Window->KonfigAn); }), L"");
  EXPECT_EQ(MessageOf([&] { Window->KonfigAnClick(prog); }), L"Registrierung war erfolgreich.");
  EXPECT_EQ(MessageOf([&] { Window->KonfigAusClick(Window->KonfigAus); }), L"");
  EXPECT_EQ(MessageOf([&] { Window->KonfigAusClick(prog); }), L"");  // nothing left to remove
  prog->English1Click(nullptr);
  EXPECT_EQ(MessageOf([&] { Window->SendenAnAnClick(prog); }), L"The Registration was successfully.");
  EXPECT_EQ(MessageOf([&] { Window->KonfigAnClick(prog); }), L"The Registration was successfully.");
  EXPECT_EQ(MessageOf([&] { Window->KonfigAusClick(prog); }), L"The Registration was successfully reversed.");
}

// The player's hidden menus run the window's commands as the menu's, so the outcome is told; the
// visible item opens the window.
TEST_F(ShellIntegration, ThePlayersMenuItemsRunTheWindowsCommands) {
  const auto Item = [](const char* Name) { return static_cast<TMenuItem*>(prog->FindComponent(Name)); };
  EXPECT_FALSE(Item("verk")->Visible());
  EXPECT_FALSE(Item("m_einst_sendenan")->Visible());
  EXPECT_EQ(MessageOf([&] { Item("verkja")->Click(); }), L"Registrierung war erfolgreich.");
  EXPECT_EQ(Wert(L".vlm"), L"Playlist KRB Velmaro");
  EXPECT_EQ(MessageOf([&] { Item("verknein")->Click(); }), L"Registrierung wurde erfolgreich gel\u00F6scht.");
  EXPECT_FALSE(Da(L".vlm"));
  EXPECT_EQ(MessageOf([&] { Item("m_einst_sendenan_ein")->Click(); }), L"Registrierung war erfolgreich.");
  EXPECT_TRUE(WideFileExists(SendTo));
  EXPECT_EQ(MessageOf([&] { Item("m_einst_sendenan_aus")->Click(); }),
            L"Registrierung wurde erfolgreich gel\u00F6scht.");
  EXPECT_FALSE(WideFileExists(SendTo));
  Item("m_einstshortcuts")->Click();
  EXPECT_TRUE(Window->Visible());
  Window->Hide();
}

// Deletes the keys below HKEY_CLASSES_ROOT when the test ends, however it ends.
struct TKeysMade {
  std::vector<std::wstring> Keys;
  ~TKeysMade() {
    for (const std::wstring& Key : Keys) RegDeleteTreeW(HKEY_CLASSES_ROOT, Key.c_str());
  }
};

TEST_F(ShellIntegration, ChosenExtensionsAreParsedAndTheVerbGoesToTheirType) {
  // ".ogg" names a type; ".MP3" none.
  ASSERT_FALSE(Da(L".ogg") || Da(L".mp3")) << "the prefix holds a type the test would change";
  const TKeysMade Made{{L".ogg", L".mp3", L"VelmaroTest.Ogg", L"a.b", L".a.b", L".x y", L"x y"}};
  RegSetValueW(HKEY_CLASSES_ROOT, L".ogg", REG_SZ, L"VelmaroTest.Ogg", 0);
  Window->beldateien->SetText(L" MP3 ,.ogg,,a.b,x y,.");
  Window->BeliebigeDateienAnClick(nullptr);
  EXPECT_EQ(Wert(L".MP3\\shell\\KRBvelmaro"), L"Wiedergabe mit KRB Velmaro");
  EXPECT_EQ(Wert(L".MP3\\shell\\KRBvelmaro\\command"), Command());
  EXPECT_EQ(Wert(L"VelmaroTest.Ogg\\shell\\KRBvelmaro\\command"), Command());
  EXPECT_FALSE(Da(L".ogg\\shell"));
  for (const wchar_t* Never : {L"a.b", L".a.b", L".x y", L"x y", L".\\shell", L"shell\\KRBvelmaro"})
    EXPECT_FALSE(Da(Never)) << Never;

  Window->BeliebigeDateienAusClick(nullptr);
  EXPECT_FALSE(Da(L".MP3\\shell\\KRBvelmaro"));
  EXPECT_FALSE(Da(L"VelmaroTest.Ogg\\shell\\KRBvelmaro"));
  EXPECT_EQ(Wert(L".ogg"), L"VelmaroTest.Ogg");
}

TEST_F(ShellIntegration, EveryStatusIsInactiveAfterTheProgramMoved) {
  ProgrammDateiErsatz = Dir.File(L"alt\\velmaro.exe");
  Window->KonfigAnClick(Window->KonfigAn);
  Window->SendenAnAnClick(Window->SendenAnAn);
  Window->OrdnerAnClick(nullptr);
  Window->AlleDateienAnClick(nullptr);
  for (Teinstshortcuts::TLabel* Label :
       {Window->ver_konfig, Window->ver_sendenan, Window->ver_ordner, Window->ver_alledateien})
    EXPECT_EQ(Status(Label), L"Aktiv green") << Label->Name();

  ProgrammDateiErsatz = Dir.File(L"neu\\velmaro.exe");
  Window->CheckShortCuts();
  for (Teinstshortcuts::TLabel* Label :
       {Window->ver_konfig, Window->ver_sendenan, Window->ver_ordner, Window->ver_alledateien})
    EXPECT_EQ(Status(Label), L"Nicht aktiv red") << Label->Name();
}

TEST_F(ShellIntegration, TheAdministratorStateTheLanguageAndTheHelpLink) {
  // Wine runs programs with administrator rights.
  ASSERT_TRUE(IsUserAnAdminCompat());
  EXPECT_EQ(Status(Window->Label9), L"Das Programm wird gerade als Administrator ausgef\u00FChrt. green");
  EXPECT_FALSE(Window->AlsAdminStarten->Enabled());
  EXPECT_EQ(Teinstshortcuts::IsWow64(), sizeof(void*) == 4);  // the 32-bit tests run under WoW64
  prog->English1Click(nullptr);
  EXPECT_EQ(Status(Window->Label9), L"The Program is running as an Administrator. green");
  EXPECT_EQ(Window->Caption(), "Shortcuts");
  EXPECT_EQ(Window->KonfigAus->Caption(), L"Remove");
  EXPECT_EQ(Status(Window->ver_konfig), L"Not activated red");
  TShellRecorder Shell;
  Window->Label70Click(Window->Label70);
  EXPECT_EQ(Shell.Take(), L"https://www.example.com/en/velmaro/help/shortcuts?rf=vmr");
  prog->Deutsch1Click(nullptr);
  EXPECT_EQ(Window->KonfigAn->Caption(), L"Verkn\u00FCpfen");
  Window->Label70Click(Window->Label70);
  EXPECT_EQ(Shell.Take(), L"https://www.example.com/de/velmaro/hilfe/verknuepfungen?rf=vmr");
}

TEST(AdminFunc, EachMembershipTestAgreesWithThePlatform) {
  for (const DWORD Rid : {DWORD{DOMAIN_ALIAS_RID_ADMINS}, DWORD{DOMAIN_ALIAS_RID_USERS},
                          DWORD{DOMAIN_ALIAS_RID_GUESTS}, DWORD{999}}) {
    SID_IDENTIFIER_AUTHORITY NtAuthority = SECURITY_NT_AUTHORITY;
    PSID Sid = nullptr;
    ASSERT_TRUE(
        AllocateAndInitializeSid(&NtAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, Rid, 0, 0, 0, 0, 0, 0, &Sid));
    BOOL Platform = FALSE;
    ASSERT_TRUE(CheckTokenMembership(nullptr, Sid, &Platform));
    bool ByAccess = !Platform, Compat = !Platform;
    EXPECT_TRUE(CheckMembershipByAccess(nullptr, Sid, ByAccess)) << Rid;
    EXPECT_TRUE(CheckTokenMembershipCompat(nullptr, Sid, Compat)) << Rid;
    EXPECT_EQ(ByAccess, Platform != FALSE) << Rid;
    EXPECT_EQ(Compat, Platform != FALSE) << Rid;
    EXPECT_EQ(SHTestTokenMembershipCompat(nullptr, Rid), Platform != FALSE) << Rid;
    FreeSid(Sid);
  }
}

TEST_F(ShellIntegration, TheRestartEndsThisCopyOnlyWhenTheNewOneStarted) {
  ProgrammDateiErsatz = Dir.File(L"fehlt.exe");
  EXPECT_FALSE(RestartAsAdmin());
  EXPECT_FALSE(Application->Terminated());
  // A program that ends at once stands in for the player.
  wchar_t System[MAX_PATH];
  GetSystemDirectoryW(System, MAX_PATH);
  ProgrammDateiErsatz = std::wstring(System) + L"\\rundll32.exe";
  EXPECT_TRUE(RestartAsAdmin());
  EXPECT_TRUE(Application->Terminated());
}

TEST_F(ShellIntegration, RemovingThePlaylistTypeGivesBackTheTypeItReplaced) {
  RegSetValueW(HKEY_CLASSES_ROOT, L".vlm", REG_SZ, L"Fremd.Playlist", 0);
  const wchar_t Content[] = L"audio/x-vlm";
  RegSetKeyValueW(HKEY_CLASSES_ROOT, L".vlm", L"Content Type", REG_SZ, Content, sizeof Content);
  for (int Round = 0; Round < 2; ++Round) Window->KonfigAnClick(Window->KonfigAn);
  EXPECT_EQ(Wert(L".vlm"), L"Playlist KRB Velmaro");
  EXPECT_EQ(Status(Window->ver_konfig), L"Aktiv green");

  Window->KonfigAusClick(Window->KonfigAus);
  EXPECT_EQ(Wert(L".vlm"), L"Fremd.Playlist");
  EXPECT_EQ(Wert(L".vlm", L"Content Type"), Content);
  EXPECT_EQ(Werte(L".vlm"), 2);  // nothing of ours is left
  EXPECT_FALSE(Da(L"Playlist KRB Velmaro"));
  EXPECT_EQ(Status(Window->ver_konfig), L"Nicht aktiv red");
}

TEST_F(ShellIntegration, RemovingTheVerbsLeavesNoKeyThatOnlyTheirInstallMade) {
  ASSERT_FALSE(Da(L".vmtesta") || Da(L".vmtestb") || Da(L"VelmaroTest.B"));
  const TKeysMade Made{{L".vmtesta", L".vmtestb", L"VelmaroTest.B"}};
  RegSetValueW(HKEY_CLASSES_ROOT, L".vmtestb", REG_SZ, L"VelmaroTest.B", 0);
  // An earlier run may have left "*\shell" empty; a "*\shell" that holds more stays.
  HKEY Shell;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, L"*\\shell", 0, KEY_READ, &Shell) == ERROR_SUCCESS) {
    DWORD SubKeys = 1, Values = 1;
    RegQueryInfoKeyW(Shell, nullptr, nullptr, nullptr, &SubKeys, nullptr, nullptr, &Values, nullptr, nullptr,
                     nullptr, nullptr);
    RegCloseKey(Shell);
    if (SubKeys == 0 && Values == 0) RegDeleteKeyW(HKEY_CLASSES_ROOT, L"*\\shell");
  }
  const bool StarShell = Da(L"*\\shell");

  Window->beldateien->SetText(L"vmtesta,vmtestb");
  Window->BeliebigeDateienAnClick(nullptr);
  Window->AlleDateienAnClick(nullptr);
  Window->OrdnerAnClick(nullptr);
  ASSERT_EQ(Wert(L".vmtesta\\shell\\KRBvelmaro\\command"), Command());
  ASSERT_EQ(Wert(L"VelmaroTest.B\\shell\\KRBvelmaro\\command"), Command());
  Window->BeliebigeDateienAusClick(nullptr);
  Window->AlleDateienAusClick(nullptr);
  Window->OrdnerAusClick(nullptr);

  EXPECT_FALSE(Da(L".vmtesta"));
  EXPECT_FALSE(Da(L"VelmaroTest.B"));
  EXPECT_EQ(Wert(L".vmtestb"), L"VelmaroTest.B");
  EXPECT_EQ(Werte(L".vmtestb"), 1);
  EXPECT_EQ(Da(L"*\\shell"), StarShell);
  EXPECT_TRUE(Da(L"*"));
  EXPECT_TRUE(Da(L"Folder\\shell"));
}
