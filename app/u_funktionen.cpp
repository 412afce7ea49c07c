#include "app/u_funktionen.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstring>
#include <memory>
#include <string_view>

#include "Imports/UCodeControls.h"
#include "Imports/UCodeForms.h"
#include "Imports/UCodeSysUtils.h"
#include "Imports/u_WideFunc.h"
#include "app/u_WideMP3Func.h"
#include "app/u_prog.h"
#include "app/u_start.h"
#include "audio/ComPtr.h"
#include "classlib/Clipbrd.h"
#include "classlib/Registry.h"
#include "classlib/SysUtils.h"

std::function<void(const std::wstring& Ziel)> ShellOeffnen = [](const std::wstring& Ziel) {
  ShellExecuteW(Application->Handle(), L"open", Ziel.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
};

bool IsInteger(const std::string& Text) {
  return StrToIntDef(Text, 0) == StrToIntDef(Text, 1);
}

void LoadDroppedPlaylist(const std::wstring& FileName) {
  // The one playlist reader: it knows every encoding the program writes.
  LoadPlaylist(FileName);
}

namespace {

// The decimal number that is the whole of S; -1 when S is empty or holds anything else.
int64_t Number(std::wstring_view S) {
  if (S.empty() || S.size() > 12) return -1;
  int64_t N = 0;
  for (const wchar_t C : S) {
    if (C < L'0' || C > L'9') return -1;
    N = N * 10 + (C - L'0');
  }
  return N;
}

}  // namespace

int64_t LengthSeconds(const std::wstring& Text) {
  int64_t H = 0, M, S;
  if (Text.size() >= 7) {
    const std::wstring_view Last5 = std::wstring_view(Text).substr(Text.size() - 5);
    H = Number(std::wstring_view(Text).substr(0, Text.size() - 6));
    if (Text[Text.size() - 6] != L':' || Last5[2] != L':') return 0;
    M = Number(Last5.substr(0, 2));
    S = Number(Last5.substr(3, 2));
  } else {
    const size_t Colon = Text.find(L':');
    if (Colon == std::wstring::npos || Text.size() != Colon + 3) return 0;
    M = Number(std::wstring_view(Text).substr(0, Colon));
    S = Number(std::wstring_view(Text).substr(Colon + 1, 2));
  }
  if (H < 0 || M < 0 || S < 0) return 0;
  return H * 3600 + M * 60 + S;
}

std::string PlayTimeText(const TWideSongArray& Songs) {
  if (Songs.empty()) return "";
  int64_t Total = 0;
  for (const Song& S : Songs) Total += LengthSeconds(S[sfLength]);
  return PlayTimeText(Total);
}

std::string PlayTimeText(int64_t Total) {
  static const struct {
    int64_t Seconds;
    const char* Unit;
  } Parts[] = {{31104000, "y "}, {2592000, "m "}, {86400, "d "}, {3600, "h "}, {60, "min "}, {1, "sec"}};
  std::string Text = "(";
  for (const auto& Part : Parts) {
    const int64_t N = Total / Part.Seconds;
    Total %= Part.Seconds;
    if (N != 0) Text += std::to_string(N) + Part.Unit;
  }
  return Text + ")";
}

std::vector<const TClassInfo*> UnicodeKlassen() {
  std::vector<const TClassInfo*> Klassen;
  for (const auto& Tabelle : {UCodeRepStdCtrls::Classes(), UCodeRepComCtrls::Classes(),
                              UCodeRepDialogs::Classes(), UCodeRepMenus::Classes()})
    Klassen.insert(Klassen.end(), Tabelle.begin(), Tabelle.end());
  return Klassen;
}

void CaptionSetzen(TControl* Control, const std::wstring& Text) {
  if (auto* Form = dynamic_cast<TForm*>(Control))
    SetWideFormCaption(Form, Text);
  else
    SetControlWideText(Control, Text);
}

std::wstring TextLesen(TControl* Control) {
  return GetControlWideText(Control);
}

void HintSetzen(TControl* Control, const std::wstring& Text) {
  SetControlWideHint(Control, Text);
}

void SpaltenTitelSetzen(TListColumn* Column, const std::wstring& Text) {
  if (auto* Wide = dynamic_cast<TUCodeListColumn*>(Column))
    Wide->SetCaption(Text);
  else
    Column->SetCaption(WideToAnsi(Text));
}

std::wstring SpaltenText(TListItem* Zeile, int Spalte) {
  auto* Wide = static_cast<TUCodeListItem*>(Zeile);
  return Spalte == 0 ? Wide->Caption() : Wide->SubItems()->Get(Spalte - 1);
}

void MenuTextSetzen(TMenuItem* Item, const std::wstring& Text) {
  if (auto* Wide = dynamic_cast<TUCodeMenuItem*>(Item))
    Wide->SetCaption(Text);
  else
    Item->SetCaption(WideToAnsi(Text));
}

void FilterErsetzen(TOpenDialog* Dialog, const std::wstring& Alt, const std::wstring& Neu) {
  if (auto* Wide = dynamic_cast<TUCodeOpenDialog*>(Dialog))
    Wide->SetFilter(WideStringReplaceAll(Wide->Filter(), Alt, Neu));
  else
    Dialog->Filter = WideToAnsi(WideStringReplaceAll(AnsiToWide(Dialog->Filter), Alt, Neu));
}

namespace {

// The component of Form named Name, of class T.
template <class T>
T* Bestandteil(TForm* Form, const std::string& Name) {
  TComponent* Found = Name == Form->Name() ? Form : Form->FindComponent(Name);
  if (auto* Result = dynamic_cast<T*>(Found)) return Result;
  throw EComponentError("The window " + Form->Name() + " has no text holder " + Name);
}

void TextSetzen(TForm* Form, const TFensterText& T, const std::wstring& Text) {
  switch (T.Art) {
    case txCaption:
      CaptionSetzen(Bestandteil<TControl>(Form, T.Name), Text);
      break;
    case txHint:
      HintSetzen(Bestandteil<TControl>(Form, T.Name), Text);
      break;
    case txSpalte:
      SpaltenTitelSetzen(Bestandteil<TListView>(Form, T.Name)->Columns()->Items(T.Spalte), Text);
      break;
    case txMenu:
      MenuTextSetzen(Bestandteil<TMenuItem>(Form, T.Name), Text);
      break;
  }
}

}  // namespace

bool Deutsch() {
  return start->spr->Caption() == "de";
}

std::wstring Sprachtext(const wchar_t* De, const wchar_t* En) {
  return Deutsch() ? De : En;
}

bool JaNeinFrage(const std::wstring& Frage) {
  return Application->MessageBox(Frage, AnsiToWide(Application->Title()),
                                 MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

bool ErsetzenErlaubt(const std::wstring& Datei) {
  if (!WideFileExists(Datei)) return true;
  return JaNeinFrage(Format(Sprachtext(L"Die Datei \u201E%s\u201C gibt es schon.\n\nSoll sie ersetzt werden?",
                                       L"The file \"%s\" already exists.\n\nDo you want to replace it?"),
                            {Datei}));
}

void FensterTexteSetzen(TForm* Form, std::span<const TFensterText> Texte, const std::string& Code) {
  if (Code != "de" && Code != "en") return;
  for (const TFensterText& T : Texte) TextSetzen(Form, T, Code == "de" ? T.De : T.En);
}

void CopyFilesToClipboardA(const std::string& Names) {
  static_assert(sizeof(DROPFILES) == 20);
  // Zero-filled: the header's point, non-client flag and wide flag stay 0, and the list gets its end.
  const HGLOBAL Block =
      GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_SHARE, Names.size() + 2 + sizeof(DROPFILES));
  auto* Header = Block ? static_cast<DROPFILES*>(GlobalLock(Block)) : nullptr;
  if (!Header) {
    if (Block) GlobalFree(Block);
    throw EOutOfMemory("Could not allocate memory.");
  }
  Header->pFiles = sizeof(DROPFILES);
  std::memcpy(Header + 1, Names.data(), Names.size());
  GlobalUnlock(Block);
  Clipboard()->SetAsHandle(CF_HDROP, Block);
}

int64_t GetFileSizeByName(const std::wstring& Name) {
  TWideSearchRec F;
  if (WideFindFirst(Name, 63, F) != 0) return -1;
  WideFindClose(F);
  return F.Size;
}

std::wstring ColorToHex(TColor Color) {
  const auto C = static_cast<uint32_t>(Color);
  return Format(L"%.2X%.2X%.2X", {C & 0xFF, (C >> 8) & 0xFF, (C >> 16) & 0xFF});
}

namespace {

int HexDigit(wchar_t C) {
  if (C >= L'0' && C <= L'9') return C - L'0';
  if (C >= L'A' && C <= L'F') return C - L'A' + 10;
  if (C >= L'a' && C <= L'f') return C - L'a' + 10;
  return -1;
}

}  // namespace

TColor HexToColor(const std::wstring& Text, TColor Default) {
  if (Text.size() < 6) return Default;
  int32_t Color = 0;
  for (int Pair = 0; Pair < 3; ++Pair) {
    const int High = HexDigit(Text[Pair * 2]);
    const int Low = HexDigit(Text[Pair * 2 + 1]);
    if (High < 0 || Low < 0) return Default;
    Color |= (High * 16 + Low) << (8 * Pair);
  }
  return Color;
}

std::wstring ShellCommand(const std::wstring& ExeName, const std::wstring& Param) {
  return L"\"" + ExeName + L"\" \"" + Param + L"\"";
}

namespace {

// Ext with its leading "." ("" stays "").
std::wstring MitPunkt(std::wstring Ext) {
  if (!Ext.empty() && Ext[0] != L'.') Ext.insert(0, L".");
  return Ext;
}

}  // namespace

bool RegisterFileType(std::wstring Ext, const std::wstring& TypeName, const std::wstring& Description,
                      const std::wstring& Param, const std::wstring& ExeName) {
  Ext = MitPunkt(std::move(Ext));
  // An empty name would write into the classes key itself.
  if (Ext.empty() || TypeName.empty()) return false;
  TRegistry Reg;
  Reg.SetRootKey(HKEY_CLASSES_ROOT);
  if (!Reg.OpenKey(L"\\" + Ext, true)) return false;
  // Another program's type is kept beside ours, so that removing ours gives it back.
  const std::wstring Former = Reg.ReadString(L"");
  if (!Former.empty() && Former != TypeName) Reg.WriteString(FormerTypeValue, Former);
  Reg.WriteString(L"", TypeName);
  if (!Reg.OpenKey(L"\\" + TypeName, true)) return false;
  Reg.WriteString(L"", Description);
  if (!Reg.OpenKey(L"DefaultIcon", true)) return false;
  Reg.WriteString(L"", ExeName + L",0");
  if (!Reg.OpenKey(L"\\" + TypeName + L"\\Shell\\Open\\Command", true)) return false;
  Reg.WriteString(L"", ShellCommand(ExeName, Param));
  return true;
}

bool UnregisterFileType(std::wstring Ext, const std::wstring& TypeName, const std::wstring& Command) {
  Ext = MitPunkt(std::move(Ext));
  if (Ext.empty() || TypeName.empty()) return false;
  TRegistry Reg;
  Reg.SetRootKey(HKEY_CLASSES_ROOT);
  if (!Reg.OpenKeyReadOnly(L"\\" + Ext) || Reg.ReadString(L"") != TypeName) return false;
  if (!Reg.OpenKeyReadOnly(L"\\" + TypeName + L"\\Shell\\Open\\Command") || Reg.ReadString(L"") != Command)
    return false;
  Reg.CloseKey();
  if (!Reg.DeleteKey(L"\\" + TypeName) || !Reg.OpenKey(L"\\" + Ext, false)) return false;
  const std::wstring Former = Reg.ReadString(FormerTypeValue);
  if (Former.empty()) {
    Reg.DeleteValue(L"");
  } else {
    Reg.WriteString(L"", Former);
    Reg.DeleteValue(FormerTypeValue);
  }
  DeleteEmptyKeys(Reg, Ext);
  return true;
}

void DeleteEmptyKeys(TRegistry& Reg, std::wstring Key) {
  while (!Key.empty() && Reg.OpenKey(L"\\" + Key, false) && Reg.IsEmpty()) {
    Reg.CloseKey();
    Reg.DeleteKey(L"\\" + Key);
    const size_t Slash = Key.rfind(L'\\');
    Key.erase(Slash == std::wstring::npos ? 0 : Slash);
  }
  Reg.CloseKey();
}

namespace {

// COM for the calling thread while the object lives.
class TComInit {
 public:
  TComInit() : FResult(CoInitialize(nullptr)) {}
  ~TComInit() {
    if (SUCCEEDED(FResult)) CoUninitialize();
  }
  TComInit(const TComInit&) = delete;
  TComInit& operator=(const TComInit&) = delete;

 private:
  HRESULT FResult;
};

}  // namespace

std::wstring GetSpecialFolderPath() {
  ITEMIDLIST* Raw = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_SENDTO, &Raw))) return L"";
  const TItemIdList List(Raw);
  wchar_t Path[MAX_PATH + 1] = {};
  return SHGetPathFromIDListW(List.get(), Path) ? Path : L"";
}

bool CreateShellLink(const std::wstring& LinkFile, const std::wstring& Target,
                     const std::wstring& Description, const std::wstring& WorkDir,
                     const std::wstring& Arguments, const std::wstring& IconFile, int IconIndex) {
  const TComInit Com;
  TComPtr<IShellLinkW> Link;
  if (FAILED(
          CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, Link.PutVoid())))
    return false;
  Link->SetPath(Target.c_str());
  Link->SetDescription(Description.c_str());
  Link->SetWorkingDirectory(WorkDir.c_str());
  Link->SetArguments(Arguments.c_str());
  if (!IconFile.empty() && IconIndex >= 0) Link->SetIconLocation(IconFile.c_str(), IconIndex);
  TComPtr<IPersistFile> File;
  return SUCCEEDED(Link.As(IID_IPersistFile, File)) && SUCCEEDED(File->Save(LinkFile.c_str(), TRUE));
}

namespace {

// The bytes of a small file, read with every kind of sharing: the shell's own load keeps deletes out
// while it reads, and a status check must not make removing the shortcut fail. Empty when unreadable.
std::string GeteiltLesen(const std::wstring& FileName) {
  constexpr LONGLONG MaxGroesse = 1 << 20;
  const HANDLE Handle =
      CreateFileW(FileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (Handle == INVALID_HANDLE_VALUE) return {};
  const std::unique_ptr<void, decltype(&CloseHandle)> File(Handle, &CloseHandle);
  LARGE_INTEGER Groesse{};
  if (!GetFileSizeEx(Handle, &Groesse) || Groesse.QuadPart > MaxGroesse) return {};
  std::string Bytes(static_cast<size_t>(Groesse.QuadPart), '\0');
  DWORD Gelesen = 0;
  if (!ReadFile(Handle, Bytes.data(), static_cast<DWORD>(Bytes.size()), &Gelesen, nullptr) ||
      Gelesen != Bytes.size())
    return {};
  return Bytes;
}

}  // namespace

std::wstring ShellLinkTarget(const std::wstring& LinkFile) {
  const std::string Bytes = GeteiltLesen(LinkFile);
  if (Bytes.empty()) return L"";
  const TComInit Com;
  TComPtr<IShellLinkW> Link;
  TComPtr<IPersistStream> Persist;
  TComPtr<IStream> Stream;
  *Stream.Put() =
      SHCreateMemStream(reinterpret_cast<const BYTE*>(Bytes.data()), static_cast<UINT>(Bytes.size()));
  if (!Stream ||
      FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              Link.PutVoid())) ||
      FAILED(Link.As(IID_IPersistStream, Persist)) || FAILED(Persist->Load(Stream.Get())))
    return L"";
  wchar_t Path[MAX_PATH + 1] = {};
  return SUCCEEDED(Link->GetPath(Path, MAX_PATH + 1, nullptr, SLGP_RAWPATH)) ? Path : L"";
}
