// The player window's file traffic with other programs: files dropped on the list or pasted, songs
// dragged out of the list or copied, and the shell's commands on a song's file.
#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string_view>

#include "Imports/UCodeSysUtils.h"
#include "Imports/UCodeWindows.h"
#include "app/Parallel.h"
#include "app/u_funktionen.h"
#include "app/u_prog.h"
#include "app/u_prog_intern.h"
#include "classlib/Clipbrd.h"

// What a dropped or pasted name is, read beside the others: a folder (or a name whose attributes cannot be
// read) to search for songs, a playlist (its extension in any case), or a song with its tags.
struct TAbgelegt {
  enum { Lied, Ordner, Playlist } Art = Lied;
  Song S;
  std::exception_ptr Fehler;
};

namespace {

// The names of a dropped-file list, whole and in UTF-16 whatever form the list has. The block is read here:
// the platform's query walks the list from its start for every name it gives. A list without its closing
// zeros ends with its block.
std::vector<std::wstring> DroppedFileNames(HDROP Drop) {
  std::vector<std::wstring> Names;
  const SIZE_T Size = GlobalSize(Drop);
  const auto* Block = static_cast<const char*>(GlobalLock(Drop));
  if (!Block) return Names;
  DROPFILES Header{};
  if (Size >= sizeof Header) std::memcpy(&Header, Block, sizeof Header);
  const size_t From = std::max<size_t>(Header.pFiles, sizeof Header);
  const std::string_view Bytes(Block + std::min<size_t>(From, Size), Size - std::min<size_t>(From, Size));
  std::wstring Text;
  if (Header.fWide) {
    Text.resize(Bytes.size() / sizeof(wchar_t));
    std::memcpy(Text.data(), Bytes.data(), Text.size() * sizeof(wchar_t));
  } else {
    Text = AnsiToWide(std::string(Bytes.substr(0, Bytes.find(std::string_view("\0\0", 2)))));
    Text += L'\0';
  }
  GlobalUnlock(Drop);
  for (size_t Pos = 0; Pos < Text.size() && Text[Pos] != L'\0';) {
    const size_t End = std::min(Text.find(L'\0', Pos), Text.size());
    Names.push_back(Text.substr(Pos, End - Pos));
    Pos = End + 1;
  }
  return Names;
}

void AbgelegtLesen(const std::wstring& Name, TAbgelegt& A) {
  try {
    const DWORD Attributes = UCode_GetFileAttributesW(Name.c_str());
    if (Attributes == INVALID_FILE_ATTRIBUTES || (Attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      A.Art = TAbgelegt::Ordner;
    } else if (WideUpperCase(WideExtractFileExt(Name)) == L".VLM") {
      A.Art = TAbgelegt::Playlist;
    } else {
      TagsLesen(A.S, Name);
      A.S[sfPath] = Name;
    }
  } catch (...) {
    A.Fehler = std::current_exception();
  }
}

// Lets the windows paint and other copies' hand-overs in; a handler that leaves its window unpainted must
// not hold the run.
void FensterMalen() {
  MSG Msg;
  for (int I = 0; I < 1000 && PeekMessageW(&Msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++I)
    DispatchMessageW(&Msg);
}

// Item id lists made by the shell, freed together.
class TItemIdLists {
 public:
  TItemIdLists() = default;
  ~TItemIdLists() {
    for (ITEMIDLIST* Id : FIds) CoTaskMemFree(Id);
  }
  TItemIdLists(const TItemIdLists&) = delete;
  TItemIdLists& operator=(const TItemIdLists&) = delete;
  // Parses Name below Folder.
  void Add(IShellFolder* Folder, const std::wstring& Name) {
    std::wstring Buffer = Name;
    ITEMIDLIST* Id = nullptr;
    OleCheck(Folder->ParseDisplayName(nullptr, nullptr, Buffer.data(), nullptr, &Id, nullptr));
    FIds.push_back(Id);
  }
  ITEMIDLIST* Last() const { return FIds.back(); }
  UINT Count() const { return static_cast<UINT>(FIds.size()); }
  const ITEMIDLIST** Ids() { return const_cast<const ITEMIDLIST**>(FIds.data()); }

 private:
  std::vector<ITEMIDLIST*> FIds;
};

// The parent of a folder that ends in "\"; empty above a drive ("C:\") or a server.
std::wstring UebergeordneterOrdner(const std::wstring& Folder) {
  const size_t Slash = Folder.size() < 2 ? std::wstring::npos : Folder.find_last_of(L'\\', Folder.size() - 2);
  return Slash == std::wstring::npos || Slash < 2 ? std::wstring() : Folder.substr(0, Slash + 1);
}

void OrdnerOeffnen(HWND Owner, const std::wstring& Path) {
  ShellExecuteW(Owner, L"open", L"explorer.exe", ExplorerAuswahl(Path).c_str(), nullptr, SW_SHOWNORMAL);
}

// The shell's properties of a file; when the system cannot show them the user hears of it, rather than
// seeing nothing happen.
void EigenschaftenZeigen(HWND Owner, const std::wstring& Datei) {
  if (ShowFileProperties(Owner, Datei, L"")) return;
  Application->MessageBox(
      Format(Sprachtext(L"Die Eigenschaften der Datei \u201E%s\u201C kann das System nicht anzeigen.",
                        L"The system cannot show the properties of the file \"%s\"."),
             {Datei}),
      AnsiToWide(Application->Title()), MB_OK | MB_ICONINFORMATION);
}

}  // namespace

std::wstring GemeinsamerOrdner(const std::vector<std::wstring>& Files) {
  if (Files.empty()) return std::wstring();
  std::wstring Folder = WideExtractFilePath(Files.front());
  for (const std::wstring& File : Files)
    while (!Folder.empty() && WideUpperCase(File.substr(0, Folder.size())) != WideUpperCase(Folder))
      Folder = UebergeordneterOrdner(Folder);
  return Folder;
}

TComPtr<IDataObject> GetFileListDataObject(const std::wstring& Folder,
                                           const std::vector<std::wstring>& Files) {
  TComPtr<IDataObject> Result;
  if (Files.empty()) return Result;
  TComPtr<IShellFolder> Desktop;
  OleCheck(SHGetDesktopFolder(Desktop.Put()));
  // Each file one item below the folder that holds them: the shell's data object names the files of
  // item lists below its folder.
  TComPtr<IShellFolder> Parent = Desktop;
  if (!Folder.empty()) {
    TItemIdLists FolderId;
    FolderId.Add(Desktop.Get(), Folder);
    OleCheck(Desktop->BindToObject(FolderId.Last(), nullptr, IID_IShellFolder, Parent.PutVoid()));
  }
  TItemIdLists Ids;
  for (const std::wstring& File : Files) Ids.Add(Parent.Get(), File.substr(Folder.size()));
  OleCheck(
      Parent->GetUIObjectOf(nullptr, Ids.Count(), Ids.Ids(), IID_IDataObject, nullptr, Result.PutVoid()));
  return Result;
}

bool ZiehenBeginnt(int MausX, int MausY, int X, int Y) {
  return std::abs(X - MausX) >= 5 || std::abs(Y - MausY) >= 5;
}

std::wstring ExplorerAuswahl(const std::wstring& Path) {
  return L"/select,\"" + Path + L"\"";
}

// ---------------------------------------------------------------------------------------------
// Dropped and pasted files

void Tprog::ListViewWndProc(TMessage& Message) {
  // The list first: the drop handler ends the drop, after which its handle is gone.
  AlteListWndProc(Message);
  if (Message.Msg == WM_DROPFILES) WMDropFiles(Message);
}

void Tprog::WMDropFiles(TMessage& Message) {
  const auto Drop = reinterpret_cast<HDROP>(Message.WParam);
  std::vector<std::wstring> Names;
  try {
    Names = DroppedFileNames(Drop);
  } catch (...) {
    DragFinish(Drop);
    throw;
  }
  DragFinish(Drop);
  Message.Result = 0;
  AbgelegteHinzufuegen(Names);
}

void Tprog::mp11Click(TObject* /*Sender*/) {
  TClipboard* Board = Clipboard();
  if (!Board->HasFormat(CF_HDROP)) return;
  std::vector<std::wstring> Names;
  Board->Open();
  try {
    if (const HANDLE Data = Board->GetAsHandle(CF_HDROP)) Names = DroppedFileNames(static_cast<HDROP>(Data));
  } catch (...) {
    Board->Close();
    throw;
  }
  Board->Close();
  AbgelegteHinzufuegen(Names);
}

void Tprog::AbgelegteHinzufuegen(const std::vector<std::wstring>& Names) {
  // The names are read side by side a slice at a time and added in their order here; between slices the
  // window shows how many songs it holds, after the first slice and then a few times a second.
  constexpr size_t Scheibe = 1024;
  constexpr ULONGLONG Abstand = 100;
  ULONGLONG Gezeigt = 0;
  for (size_t Von = 0; Von < Names.size(); Von += Scheibe) {
    std::vector<TAbgelegt> Gelesen(std::min(Scheibe, Names.size() - Von));
    Verteilt(
        Gelesen.size(),
        [&](size_t A, size_t B) {
          for (size_t I = A; I < B; ++I) AbgelegtLesen(Names[Von + I], Gelesen[I]);
        },
        32);
    for (size_t I = 0; I < Gelesen.size(); ++I) AbgelegtHinzufuegen(Names[Von + I], Gelesen[I]);
    if (Von + Scheibe < Names.size() && GetTickCount64() - Gezeigt >= Abstand) {
      ZwischenstandZeigen();
      Gezeigt = GetTickCount64();
    }
  }
  HinzugefuegteZeigen();
}

// One that fails must not keep the others out.
void Tprog::AbgelegtHinzufuegen(const std::wstring& Name, TAbgelegt& A) {
  try {
    if (A.Fehler) std::rethrow_exception(A.Fehler);
    if (A.Art == TAbgelegt::Ordner)
      OrdnerHinzufuegen(Name);
    else if (A.Art == TAbgelegt::Playlist)
      LoadDroppedPlaylist(Name);
    else
      AlleSongs.push_back(std::move(A.S));
  } catch (...) {
    Application->HandleException(std::current_exception());
  }
}

void Tprog::ZwischenstandZeigen() {
  if (!IstGefiltert) lv->Items()->SetCount(static_cast<int>(AlleSongs.size()));
  status->SetCaption(std::to_wstring(AlleSongs.size()) + DateienGeladenText);
  FensterMalen();
}

// ---------------------------------------------------------------------------------------------
// Dragging songs out and copying them

void Tprog::lvMouseDown(TObject* /*Sender*/, TMouseButton Button, TShiftState /*Shift*/, int X, int Y) {
  if (Button != mbLeft) return;
  MausX = X;
  MausY = Y;
}

void Tprog::lvMouseMove(TObject* /*Sender*/, TShiftState Shift, int X, int Y) {
  if (!(Shift & ssLeft) || lv->SelCount() == 0 || !ZiehenBeginnt(MausX, MausY, X, Y)) return;
  // Ends the list's own tracking of the press.
  SendMessageW(lv->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(X, Y));
  const std::vector<std::wstring> Dateien = MarkierteDateien();
  if (Dateien.empty()) return;
  const TComPtr<IDataObject> Daten = GetFileListDataObject(GemeinsamerOrdner(Dateien), Dateien);
  DWORD Effect = DROPEFFECT_NONE;
  DoDragDrop(Daten.Get(), this, DROPEFFECT_COPY, &Effect);
}

HRESULT STDMETHODCALLTYPE Tprog::QueryContinueDrag(BOOL EscapePressed, DWORD KeyState) {
  if (EscapePressed || (KeyState & MK_RBUTTON)) return DRAGDROP_S_CANCEL;
  if (KeyState & MK_LBUTTON) return S_OK;
  return DRAGDROP_S_DROP;
}

HRESULT STDMETHODCALLTYPE Tprog::GiveFeedback(DWORD /*Effect*/) {
  return DRAGDROP_S_USEDEFAULTCURSORS;
}

HRESULT STDMETHODCALLTYPE Tprog::QueryInterface(REFIID Iid, void** Object) {
  if (!Object) return E_POINTER;
  if (IsEqualIID(Iid, IID_IUnknown) || IsEqualIID(Iid, IID_IDropSource)) {
    *Object = static_cast<IDropSource*>(this);
    return S_OK;
  }
  *Object = nullptr;
  return E_NOINTERFACE;
}

std::vector<std::wstring> Tprog::MarkierteDateien() {
  std::vector<std::wstring> Dateien;
  for (const int Row : SelectedRows()) {
    std::wstring Datei = DateiFinden(AngezeigteSongs()[Row]);
    // A relative name that was found nowhere must not be looked up in the current folder.
    if (IstRelativ(Datei)) Datei = ProgrammOrdner() + Datei;
    if (WideFileExists(Datei)) Dateien.push_back(std::move(Datei));
  }
  return Dateien;
}

void Tprog::p_copyfileClick(TObject* /*Sender*/) {
  const std::vector<std::wstring> Dateien = MarkierteDateien();
  if (Dateien.empty()) return;
  std::wstring Liste = Dateien.front();
  for (size_t I = 1; I < Dateien.size(); ++I) Liste += L'\0' + Dateien[I];
  CopyFilesToClipboard(Liste);
}

// ---------------------------------------------------------------------------------------------
// The shell's commands on the selected song's file and on the playing one's

std::wstring Tprog::MarkierteDatei() {
  const int Row = FirstSelectedRow();
  if (Row < 0) return std::wstring();
  AktIndex = Row;
  return DateiFinden(AngezeigteSongs()[Row]);
}

void Tprog::p6Click(TObject* /*Sender*/) {
  const std::wstring Datei = MarkierteDatei();
  if (WideFileExists(Datei)) EigenschaftenZeigen(Handle(), Datei);
}

void Tprog::p5Click(TObject* /*Sender*/) {
  const std::wstring Datei = MarkierteDatei();
  if (WideFileExists(Datei)) OrdnerOeffnen(Handle(), Datei);
}

void Tprog::akpopupPopup(TObject* /*Sender*/) {
  if (!Player) Abort();
}

// The playing song's file is the player's own: the previous-song command makes a player for another.
void Tprog::akp2Click(TObject* /*Sender*/) {
  if (Player) EigenschaftenZeigen(Handle(), Player->FileName);
}

void Tprog::akp3Click(TObject* /*Sender*/) {
  if (Player && WideFileExists(Player->FileName)) OrdnerOeffnen(Handle(), Player->FileName);
}

void Tprog::akp4Click(TObject* /*Sender*/) {
  if (Player && WideFileExists(Player->FileName)) CopyFilesToClipboard(Player->FileName);
}
