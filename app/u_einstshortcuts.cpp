#include "app/u_einstshortcuts.h"

#include <shlobj.h>

#include <string>
#include <vector>

#include "Imports/UCodeSysUtils.h"
#include "Imports/u_WideFunc.h"
#include "app/u_AdminFunc.h"
#include "app/u_funktionen.h"
#include "app/u_prog.h"
#include "app/u_start.h"
#include "app/u_weblinks.h"
#include "classlib/Registry.h"

Teinstshortcuts* einstshortcuts = nullptr;

namespace {

// The names the integration writes are the same in every language, so that a language switch never
// leaves an entry behind that the other language's remove command would not find.
const std::wstring VerbKeyName = L"KRBvelmaro";
const std::wstring PlaylistExt = L".vlm";
const std::wstring FileTypeDesc = L"Playlist KRB Velmaro";
const std::wstring SendToLinkName = L"KRB Velmaro";

std::wstring ShellCommandLine() {
  return ShellCommand(ProgrammDatei(), L"%1");
}

// The shortcut's file in the Send To folder; empty when the shell names no such folder.
std::wstring SendToLink() {
  const std::wstring Folder = GetSpecialFolderPath();
  return Folder.empty() ? L"" : WideIncludeTrailingBackslash(Folder) + SendToLinkName + L".lnk";
}

// A 32-bit copy on 64-bit Windows writes and reads the 64-bit view, which the shell reads.
REGSAM Ansicht() {
  return Teinstshortcuts::IsWow64() ? KEY_WOW64_64KEY : 0;
}

// The default value of a key below HKEY_CLASSES_ROOT, read without write rights; "" when it is missing.
std::wstring Standardwert(const std::wstring& Key) {
  TRegistry Reg(KEY_READ | Ansicht());
  Reg.SetRootKey(HKEY_CLASSES_ROOT);
  return Reg.OpenKeyReadOnly(L"\\" + Key) ? Reg.ReadString(L"") : L"";
}

bool SchluesselDa(const std::wstring& Key) {
  TRegistry Reg(KEY_READ | Ansicht());
  Reg.SetRootKey(HKEY_CLASSES_ROOT);
  return Reg.KeyExists(L"\\" + Key);
}

// Writes a verb below Shell (a "...\shell" key): Caption as the verb's text and the program's command.
// A key that cannot be made is left out; true when the command was written.
bool VerbSchreiben(const std::wstring& Shell, const std::wstring& Caption) {
  TRegistry Reg(KEY_ALL_ACCESS | Ansicht());
  Reg.SetRootKey(HKEY_CLASSES_ROOT);
  const std::wstring Key = L"\\" + Shell + L"\\" + VerbKeyName;
  if (!Reg.OpenKey(Key + L"\\command", true)) return false;
  Reg.WriteString(L"", ShellCommandLine());
  if (Reg.OpenKey(Key, true)) Reg.WriteString(L"", Caption);
  return true;
}

// Deletes the verb below Shell, and Shell and its parent when the install made them only for the verb;
// nothing happens when Shell does not exist.
void VerbLoeschen(const std::wstring& Shell) {
  TRegistry Reg(KEY_ALL_ACCESS | Ansicht());
  Reg.SetRootKey(HKEY_CLASSES_ROOT);
  if (!Reg.OpenKey(L"\\" + Shell, false)) return;
  Reg.DeleteKey(VerbKeyName);
  DeleteEmptyKeys(Reg, Shell);
}

std::wstring FolderVerbCaption() {
  return Sprachtext(L"\u00D6ffnen mit KRB Velmaro", L"Open with KRB Velmaro");
}

std::wstring FileVerbCaption() {
  return Sprachtext(L"Wiedergabe mit KRB Velmaro", L"Play Back with Velmaro");
}

// The extensions listed in Text, separated by ",": trimmed, with a "." in front where they lack one;
// pieces that are empty, only ".", start with another character or hold a character that a key name
// or a file name cannot hold are left out.
std::vector<std::wstring> GewaehlteErweiterungen(const std::wstring& Text) {
  TWideStrArray Teile;
  WideSplitString(Teile, L",", Text);
  std::vector<std::wstring> Result;
  for (std::wstring& Ext : Teile) {
    while (!Ext.empty() && Ext.back() < 33) Ext.pop_back();
    size_t Start = 0;
    while (Start < Ext.size() && Ext[Start] < 33) ++Start;
    Ext.erase(0, Start);
    if (Ext.empty()) continue;
    if (Ext.find(L'.') == std::wstring::npos) Ext.insert(0, L".");
    if (Ext.size() < 2 || Ext[0] != L'.') continue;
    if (Ext.find_first_of(L"<>\\/|:?\"* ", 1) != std::wstring::npos) continue;
    Result.push_back(Ext);
  }
  return Result;
}

// Tells the shell that file types changed, so that it reads them again.
void AssoziationenGeaendert() {
  SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

// An information box under the application's title.
void Hinweis(const std::wstring& Text) {
  Application->MessageBox(Text, AnsiToWide(Application->Title()), MB_OK | MB_ICONINFORMATION);
}

void RegistriertMelden(TObject* Sender, TObject* EigenerKnopf, bool Erfolg) {
  if (Erfolg && Sender != EigenerKnopf)
    Hinweis(Sprachtext(L"Registrierung war erfolgreich.", L"The Registration was successfully."));
}

void EntferntMelden(TObject* Sender, TObject* EigenerKnopf, bool Erfolg) {
  if (Erfolg && Sender != EigenerKnopf)
    Hinweis(Sprachtext(L"Registrierung wurde erfolgreich gel\u00F6scht.",
                       L"The Registration was successfully reversed."));
}

const TFensterText Texte[] = {
    {txCaption, "einstshortcuts", L"Verkn\u00FCpfungen", L"Shortcuts"},
    {txCaption, "Label6",
     L"Das Programm muss f\u00FCr diese \u00C4nderungen als Administrator ausgef\u00FChrt werden.",
     L"The Program must be executed as an Administrator to apply this functions."},
    {txCaption, "Label12",
     L"Hilfe und weitere Informationen zu Verkn\u00FCpfungen und Administratorrechten auf:",
     L"Help and more Information regarding Shortcuts and Administrator Rights on:"},
    {txCaption, "Label70", WebSeiten::Verknuepfungen.AdresseDe, WebSeiten::Verknuepfungen.AdresseEn},
    {txCaption, "AlsAdminStarten", L"Programm als Admin neu starten", L"Restart Program as Admin"},
    {txCaption, "gb1", L"Verkn\u00FCpfung mit Playlisten (*.vlm)", L"Shortcut to Playlists (*.vlm)"},
    {txCaption, "Label1", L"Verkn\u00FCpfung dieses Programms mit Playlist-Dateien (Dateiendung: .vlm)",
     L"Shortcut of this Application with Playlist Files (File Extension: .vlm)"},
    {txCaption, "gb2", L"Senden an", L"Send to"},
    {txCaption, "Label7", L"Anzeige dieses Programms im \"Senden an\" - Explorer Kontextmen\u00FC",
     L"Show this Application in the Explorer Context Menu \"Send to\""},
    {txCaption, "gb3", L"Verkn\u00FCpfung mit Ordnern", L"Shortcut with Folders"},
    {txCaption, "Label4", L"Anzeige dieses Programms im Explorer Kontextmen\u00FC von Ordnern",
     L"Show this Application in the Explorer Context Menu of Folders"},
    {txCaption, "gb4", L"Verkn\u00FCpfung mit Dateien", L"Shortcut with Files"},
    {txCaption, "Label10", L"Anzeige dieses Programms im Explorer Kontextmen\u00FC aller Dateien",
     L"Show this Application in the Explorer Context Menu of all Files"},
    {txCaption, "Label3", L"Anzeige dieses Programms im Explorer Kontextmen\u00FC dieser Dateien:",
     L"Show this Application in the Explorer Context Menu of these Files:"},
    {txCaption, "KonfigAn", L"Verkn\u00FCpfen", L"Register"},
    {txCaption, "SendenAnAn", L"Verkn\u00FCpfen", L"Register"},
    {txCaption, "OrdnerAn", L"Verkn\u00FCpfen", L"Register"},
    {txCaption, "AlleDateienAn", L"Verkn\u00FCpfen", L"Register"},
    {txCaption, "BeliebigeDateienAn", L"Verkn\u00FCpfen", L"Register"},
    {txCaption, "KonfigAus", L"Entfernen", L"Remove"},
    {txCaption, "SendenAnAus", L"Entfernen", L"Remove"},
    {txCaption, "OrdnerAus", L"Entfernen", L"Remove"},
    {txCaption, "AlleDateienAus", L"Entfernen", L"Remove"},
    {txCaption, "BeliebigeDateienAus", L"Entfernen", L"Remove"},
};

constexpr TColor Gruen = 0x008000;
constexpr TColor Rot = 0x0000FF;

}  // namespace

Teinstshortcuts::Teinstshortcuts(TComponent* AOwner) : TForm(AOwner) {
  RegisterFormClass<Teinstshortcuts>(
      "Teinstshortcuts",
      {MethodOf("FormCreate", &Teinstshortcuts::FormCreate), MethodOf("FormShow", &Teinstshortcuts::FormShow),
       MethodOf("OKClick", &Teinstshortcuts::OKClick),
       MethodOf("AlsAdminStartenClick", &Teinstshortcuts::AlsAdminStartenClick),
       MethodOf("Label70Click", &Teinstshortcuts::Label70Click),
       MethodOf("KonfigAnClick", &Teinstshortcuts::KonfigAnClick),
       MethodOf("KonfigAusClick", &Teinstshortcuts::KonfigAusClick),
       MethodOf("SendenAnAnClick", &Teinstshortcuts::SendenAnAnClick),
       MethodOf("SendenAnAusClick", &Teinstshortcuts::SendenAnAusClick),
       MethodOf("OrdnerAnClick", &Teinstshortcuts::OrdnerAnClick),
       MethodOf("OrdnerAusClick", &Teinstshortcuts::OrdnerAusClick),
       MethodOf("AlleDateienAnClick", &Teinstshortcuts::AlleDateienAnClick),
       MethodOf("AlleDateienAusClick", &Teinstshortcuts::AlleDateienAusClick),
       MethodOf("BeliebigeDateienAnClick", &Teinstshortcuts::BeliebigeDateienAnClick),
       MethodOf("BeliebigeDateienAusClick", &Teinstshortcuts::BeliebigeDateienAusClick)},
      {FieldOf("ver_konfig", &Teinstshortcuts::ver_konfig),
       FieldOf("ver_sendenan", &Teinstshortcuts::ver_sendenan),
       FieldOf("ver_ordner", &Teinstshortcuts::ver_ordner),
       FieldOf("ver_alledateien", &Teinstshortcuts::ver_alledateien),
       FieldOf("Label9", &Teinstshortcuts::Label9), FieldOf("Label70", &Teinstshortcuts::Label70),
       FieldOf("KonfigAn", &Teinstshortcuts::KonfigAn), FieldOf("KonfigAus", &Teinstshortcuts::KonfigAus),
       FieldOf("SendenAnAn", &Teinstshortcuts::SendenAnAn),
       FieldOf("SendenAnAus", &Teinstshortcuts::SendenAnAus),
       FieldOf("AlsAdminStarten", &Teinstshortcuts::AlsAdminStarten),
       FieldOf("beldateien", &Teinstshortcuts::beldateien)},
      {UnicodeKlassen()});
}

void Teinstshortcuts::FormCreate(TObject* /*Sender*/) {
  Sprache();
}

void Teinstshortcuts::FormShow(TObject* /*Sender*/) {
  CheckShortCuts();
}

void Teinstshortcuts::OKClick(TObject* /*Sender*/) {
  Close();
}

void Teinstshortcuts::AlsAdminStartenClick(TObject* /*Sender*/) {
  RestartAsAdmin();
}

void Teinstshortcuts::Label70Click(TObject* /*Sender*/) {
  // The help link is counted with the bug report's links.
  WebSeiteOeffnen(WebAdresse(Label70->Caption(), QuelleBugreport));
}

bool Teinstshortcuts::IsWow64() {
  using TIsWow64Process = BOOL(WINAPI*)(HANDLE, PBOOL);
  const auto Query = reinterpret_cast<TIsWow64Process>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "IsWow64Process")));
  if (!Query) return false;
  BOOL Wow64 = FALSE;
  if (!Query(GetCurrentProcess(), &Wow64)) throw Exception("IsWow64: bad process handle");
  return Wow64 != FALSE;
}

void Teinstshortcuts::SetStatusLabel(bool Active, TLabel* Label) {
  CaptionSetzen(Label,
                Active ? Sprachtext(L"Aktiv", L"Activated") : Sprachtext(L"Nicht aktiv", L"Not activated"));
  Label->Font()->SetColor(Active ? Gruen : Rot);
}

void Teinstshortcuts::CheckShortCuts() {
  const std::wstring Command = ShellCommandLine();
  // The extension must name our type: a type of another program is not ours to show.
  SetStatusLabel(Standardwert(PlaylistExt) == FileTypeDesc && SchluesselDa(FileTypeDesc + L"\\DefaultIcon") &&
                     Standardwert(FileTypeDesc + L"\\Shell\\Open\\Command") == Command,
                 ver_konfig);
  const std::wstring Link = SendToLink();
  SetStatusLabel(!Link.empty() && WideFileExists(Link) &&
                     lstrcmpiW(ShellLinkTarget(Link).c_str(), ProgrammDatei().c_str()) == 0,
                 ver_sendenan);
  SetStatusLabel(Standardwert(L"Folder\\shell\\" + VerbKeyName + L"\\command") == Command, ver_ordner);
  SetStatusLabel(Standardwert(L"*\\shell\\" + VerbKeyName + L"\\command") == Command, ver_alledateien);
}

void Teinstshortcuts::Sprache() {
  FensterTexteSetzen(this, Texte, start->spr->Caption());
  CheckShortCuts();
  const bool Admin = IsUserAnAdminCompat();
  CaptionSetzen(Label9, Admin
                            ? Sprachtext(L"Das Programm wird gerade als Administrator ausgef\u00FChrt.",
                                         L"The Program is running as an Administrator.")
                            : Sprachtext(L"Das Programm wird gerade nicht als Administrator ausgef\u00FChrt.",
                                         L"The Program is not running as an Administrator."));
  Label9->Font()->SetColor(Admin ? Gruen : Rot);
  AlsAdminStarten->SetEnabled(!Admin);
}

void Teinstshortcuts::KonfigAnClick(TObject* Sender) {
  const bool Ok = RegisterFileType(PlaylistExt, FileTypeDesc, FileTypeDesc, L"%1", ProgrammDatei());
  AssoziationenGeaendert();
  CheckShortCuts();
  RegistriertMelden(Sender, KonfigAn, Ok);
}

void Teinstshortcuts::KonfigAusClick(TObject* Sender) {
  const bool Ok = UnregisterFileType(PlaylistExt, FileTypeDesc, ShellCommandLine());
  AssoziationenGeaendert();
  CheckShortCuts();
  EntferntMelden(Sender, KonfigAus, Ok);
}

void Teinstshortcuts::SendenAnAnClick(TObject* Sender) {
  const std::wstring Link = SendToLink();
  const std::wstring Program = ProgrammDatei();
  const bool Ok = !Link.empty() &&
                  CreateShellLink(Link, Program, SendToLinkName, WideExtractFileDir(Program), L"", L"", -1);
  AssoziationenGeaendert();
  CheckShortCuts();
  RegistriertMelden(Sender, SendenAnAn, Ok);
}

namespace {

// Deletes a file that another program (the shell reading a new shortcut) may hold open for a moment.
bool DeleteHeldFile(const std::wstring& Name) {
  for (int Versuch = 0; Versuch < 20; ++Versuch) {
    if (DeleteFileW(Name.c_str())) return true;
    const DWORD Fehler = GetLastError();
    if (Fehler != ERROR_SHARING_VIOLATION && Fehler != ERROR_ACCESS_DENIED) return false;
    Sleep(50);
  }
  return false;
}

}  // namespace

void Teinstshortcuts::SendenAnAusClick(TObject* Sender) {
  const std::wstring Link = SendToLink();
  const bool Ok = !Link.empty() && WideFileExists(Link) && DeleteHeldFile(Link);
  AssoziationenGeaendert();
  CheckShortCuts();
  EntferntMelden(Sender, SendenAnAus, Ok);
}

void Teinstshortcuts::OrdnerAnClick(TObject* /*Sender*/) {
  VerbSchreiben(L"Folder\\shell", FolderVerbCaption());
  AssoziationenGeaendert();
  CheckShortCuts();
}

void Teinstshortcuts::OrdnerAusClick(TObject* /*Sender*/) {
  VerbLoeschen(L"Folder\\shell");
  AssoziationenGeaendert();
  CheckShortCuts();
}

void Teinstshortcuts::AlleDateienAnClick(TObject* /*Sender*/) {
  VerbSchreiben(L"*\\shell", FileVerbCaption());
  AssoziationenGeaendert();
  CheckShortCuts();
}

void Teinstshortcuts::AlleDateienAusClick(TObject* /*Sender*/) {
  VerbLoeschen(L"*\\shell");
  AssoziationenGeaendert();
  CheckShortCuts();
}

void Teinstshortcuts::BeliebigeDateienAnClick(TObject* /*Sender*/) {
  for (const std::wstring& Ext : GewaehlteErweiterungen(beldateien->Text())) {
    // The verb goes to the file type the extension names; without one, or when that cannot be
    // written, to the extension's own key.
    const std::wstring Klasse = Standardwert(Ext);
    if (Klasse.empty() || !VerbSchreiben(Klasse + L"\\shell", FileVerbCaption()))
      VerbSchreiben(Ext + L"\\shell", FileVerbCaption());
  }
  AssoziationenGeaendert();
}

void Teinstshortcuts::BeliebigeDateienAusClick(TObject* /*Sender*/) {
  for (const std::wstring& Ext : GewaehlteErweiterungen(beldateien->Text())) {
    // Both places, as the install may have fallen back to the extension's own key.
    const std::wstring Klasse = Standardwert(Ext);
    if (!Klasse.empty()) VerbLoeschen(Klasse + L"\\shell");
    VerbLoeschen(Ext + L"\\shell");
  }
  AssoziationenGeaendert();
}
