#include "Imports/UCodeDialogs.h"

#include <cderr.h>

#include <vector>

#include "Imports/UCodeSysUtils.h"
#include "classlib/FormReader.h"
#include "classlib/Forms.h"

namespace {

// Where the record that the library prepares goes; its platform call only copies the record.
OPENFILENAMEA* PreparedRecord = nullptr;

BOOL WINAPI CopyPreparedRecord(LPOPENFILENAMEA Info) {
  *PreparedRecord = *Info;
  return FALSE;
}

}  // namespace

TUCodeOpenDialog::TUCodeOpenDialog(TComponent* AOwner) : TOpenDialog(AOwner) {}

TUCodeOpenDialog::~TUCodeOpenDialog() = default;

std::wstring TUCodeOpenDialog::DefaultExt() {
  return GetSyncedWideString(FDefaultExt, TOpenDialog::DefaultExt);
}

void TUCodeOpenDialog::SetDefaultExt(const std::wstring& Value) {
  SetSyncedWideString(Value, FDefaultExt, TOpenDialog::DefaultExt,
                      [this](const std::string& S) { TOpenDialog::DefaultExt = S; });
}

// While the dialog is shown its selection, asked with a buffer as long as it needs.
std::wstring TUCodeOpenDialog::FileName() {
  if (IsUnicodePlatform && Handle() && !(Options & ofOldStyleDialog)) {
    const HWND Dialog = GetParent(Handle());
    const LRESULT Needed = SendMessageW(Dialog, CDM_GETFILEPATH, 0, 0);
    if (Needed > 0) {
      std::wstring Path(static_cast<size_t>(Needed) + 1, L'\0');
      SendMessageW(Dialog, CDM_GETFILEPATH, Path.size(), reinterpret_cast<LPARAM>(Path.data()));
      return Path.c_str();
    }
  }
  return GetSyncedWideString(FFileName, TOpenDialog::FileName);
}

void TUCodeOpenDialog::SetFileName(const std::wstring& Value) {
  SetSyncedWideString(Value, FFileName, TOpenDialog::FileName,
                      [this](const std::string& S) { TOpenDialog::FileName = S; });
}

std::wstring TUCodeOpenDialog::Filter() {
  return GetSyncedWideString(FFilter, TOpenDialog::Filter);
}

void TUCodeOpenDialog::SetFilter(const std::wstring& Value) {
  SetSyncedWideString(Value, FFilter, TOpenDialog::Filter,
                      [this](const std::string& S) { TOpenDialog::Filter = S; });
}

std::wstring TUCodeOpenDialog::InitialDir() {
  return GetSyncedWideString(FInitialDir, TOpenDialog::InitialDir);
}

void TUCodeOpenDialog::SetInitialDir(const std::wstring& Value) {
  std::wstring Dir = Value;
  if (Dir.size() > 1 && Dir.back() == L'\\' && Dir[Dir.size() - 2] != L':') Dir.pop_back();
  SetSyncedWideString(Dir, FInitialDir, TOpenDialog::InitialDir,
                      [this](const std::string& S) { TOpenDialog::InitialDir = S; });
}

std::wstring TUCodeOpenDialog::Title() {
  return GetSyncedWideString(FTitle, TOpenDialog::Title);
}

void TUCodeOpenDialog::SetTitle(const std::wstring& Value) {
  SetSyncedWideString(Value, FTitle, TOpenDialog::Title,
                      [this](const std::string& S) { TOpenDialog::Title = S; });
}

TUCodeStringList* TUCodeOpenDialog::Files() {
  if (!IsUnicodePlatform) FFiles.Assign(TOpenDialog::Files());  // the library's list is the one read
  return &FFiles;
}

bool TUCodeOpenDialog::Execute(HWND ParentWnd) {
  return IsUnicodePlatform ? ExecuteWide(ParentWnd) : ExecuteAnsi(ParentWnd);
}

bool TUCodeOpenDialog::ExecuteAnsi(HWND ParentWnd) {
  return TOpenDialog::Execute(ParentWnd);
}

BOOL TUCodeOpenDialog::ShowWideDialog(OPENFILENAMEW* Info) {
  return GetOpenFileNameW(Info);
}

bool TUCodeSaveDialog::ExecuteAnsi(HWND ParentWnd) {
  return DoExecute(GetSaveFileNameA, ParentWnd);
}

BOOL TUCodeSaveDialog::ShowWideDialog(OPENFILENAMEW* Info) {
  return GetSaveFileNameW(Info);
}

// The library prepares its record as for its own dialog; the wide dialog takes its settings and the
// wide texts.
bool TUCodeOpenDialog::ExecuteWide(HWND ParentWnd) {
  FFiles.Clear();
  PreparedRecord = &FPrepared;
  DoExecute(CopyPreparedRecord, ParentWnd);
  OPENFILENAMEW Info{};
  Info.lStructSize = sizeof Info;
  Info.hwndOwner = IsWindow(FPrepared.hwndOwner) ? FPrepared.hwndOwner : ParentWnd;
  Info.hInstance = FPrepared.hInstance;
  Info.nFilterIndex = FPrepared.nFilterIndex;
  Info.Flags = FPrepared.Flags;
  Info.lCustData = FPrepared.lCustData;
  Info.lpfnHook = FPrepared.lpfnHook;
  Info.FlagsEx = FPrepared.FlagsEx;
  if (OnIncludeItem) Info.Flags |= OFN_ENABLEINCLUDENOTIFY;  // the library knows only its own event
  if (IS_INTRESOURCE(FPrepared.lpTemplateName)) {
    Info.lpTemplateName = reinterpret_cast<LPCWSTR>(FPrepared.lpTemplateName);
  } else {
    FTemplate = AnsiToWide(FPrepared.lpTemplateName);
    Info.lpTemplateName = FTemplate.c_str();
  }
  std::wstring FilterText = Filter();
  for (wchar_t& C : FilterText)
    if (C == L'|') C = L'\0';
  FilterText += std::wstring(2, L'\0');
  Info.lpstrFilter = Filter().empty() ? nullptr : FilterText.c_str();
  const std::wstring Dir = InitialDir(), TitleText = Title(), Name = FileName();
  std::wstring Ext = DefaultExt();
  if (Ext.empty() && !(Info.Flags & OFN_EXPLORER)) {
    Ext = WideExtractFileExt(Name);
    if (!Ext.empty()) Ext.erase(0, 1);
  }
  Info.lpstrInitialDir = !Dir.empty() ? Dir.c_str() : ForceCurrentDirectory ? L"." : nullptr;
  Info.lpstrTitle = TitleText.empty() ? nullptr : TitleText.c_str();
  Info.lpstrDefExt = Ext.empty() ? nullptr : Ext.c_str();
  DWORD Size = FPrepared.nMaxFile;
  for (;;) {
    AllocateFileBuffer(Size);
    Name.copy(FBuffer.data(), std::min<size_t>(Name.size(), Size));
    Info.lpstrFile = FBuffer.data();
    Info.nMaxFile = Size;
    bool Chosen;
    {
      const TModalScope Modal;
      Chosen = ShowWideDialog(&Info);
    }
    if (Chosen) break;
    // A choice of more names than the buffer holds: its first unit tells the size needed.
    if (CommDlgExtendedError() != FNERR_BUFFERTOOSMALL) return false;
    Size = std::max<DWORD>(FBuffer[0], Size * 2);
  }
  ReadFileNames(Info);
  TakeResultFlags(Info.Flags);
  FilterIndex = static_cast<int>(Info.nFilterIndex);
  return true;
}

// The old-style dialog parts several names with blanks.
wchar_t TUCodeOpenDialog::FileSeparator() const {
  return Options & ofAllowMultiSelect && Options & ofOldStyleDialog ? L' ' : L'\0';
}

void TUCodeOpenDialog::ReadFileNames(const OPENFILENAMEW& Info) {
  FFiles.Clear();
  const wchar_t* Buffer = Info.lpstrFile;
  const wchar_t Separator = FileSeparator();
  if (Info.Flags & OFN_ALLOWMULTISELECT) {
    // The names stand between separators; a double zero ends them, or a zero after blanks.
    size_t Length = 0;
    if (Separator) {
      Length = wcsnlen(Buffer, Info.nMaxFile);
    } else {
      while (Length + 1 < Info.nMaxFile && (Buffer[Length] || Buffer[Length + 1])) ++Length;
      ++Length;  // the zero after the last name
    }
    std::vector<std::wstring> Parts;
    WideTokenize(std::wstring(Buffer, Length), Separator, Parts);
    if (Parts.empty()) {
      FFiles.Add(L"");
    } else if (Parts.size() == 1) {
      FFiles.Add(Parts[0]);
    } else {
      const std::wstring Folder = WideIncludeTrailingBackslash(Parts[0]);
      for (size_t I = 1; I < Parts.size(); ++I) {
        const std::wstring& Part = Parts[I];
        const bool Absolute = Part[0] == L'\\' || (Part.size() > 3 && Part[1] == L':' && Part[2] == L'\\');
        FFiles.Add(Absolute ? Part : Folder + Part);
      }
    }
  } else {
    FFiles.Add(Buffer);
  }
  SetFileName(FFiles.Get(0));
  TOpenDialog::Files()->Assign(&FFiles);
}

void TUCodeOpenDialog::WndProc(TMessage& Message) {
  if (!IsUnicodePlatform) {
    TOpenDialog::WndProc(Message);
    return;
  }
  if (Message.Msg == WM_INITDIALOG && !(Options & ofOldStyleDialog)) return;
  if (Message.Msg != WM_NOTIFY || reinterpret_cast<NMHDR*>(Message.LParam)->code != CDN_FILEOK) {
    TOpenDialog::WndProc(Message);
    return;
  }
  OPENFILENAMEW* Record = reinterpret_cast<OFNOTIFYW*>(Message.LParam)->lpOFN;
  if (GrowForSelection(*Record)) {
    // The same choice once more, into the larger buffer.
    Message.Result = 1;
    SetWindowLongPtrW(Handle(), DWLP_MSGRESULT, 1);
    PostMessageW(GetParent(Handle()), WM_COMMAND, IDOK, 0);
    return;
  }
  ReadFileNames(*Record);
  FCheckingOK = true;
  bool CanClose = true;
  try {
    CanClose = TOpenDialog::DoCanClose();
  } catch (...) {
    FCheckingOK = false;
    throw;
  }
  FCheckingOK = false;
  FFiles.Clear();
  TOpenDialog::Files()->Clear();
  if (CanClose) return;
  Message.Result = 1;
  SetWindowLongPtrW(Handle(), DWLP_MSGRESULT, 1);
}

// Room for Size characters and two zeros, and for a folder more: a dialog may write the folder before it
// looks at the size.
void TUCodeOpenDialog::AllocateFileBuffer(DWORD Size) {
  FBuffer.assign(static_cast<size_t>(Size) + MAX_PATH + 2, L'\0');
}

// The names chosen need at most the folder, the choice as typed (quotes and blanks stand for the zeros)
// and two zeros; a record whose buffer is smaller gets a larger one.
bool TUCodeOpenDialog::GrowForSelection(OPENFILENAMEW& Record) {
  if (!(Record.Flags & OFN_ALLOWMULTISELECT) || Record.lpstrFile != FBuffer.data()) return false;
  const HWND Dialog = GetParent(Handle());
  const auto Folder = SendMessageW(Dialog, CDM_GETFOLDERPATH, 0, 0);
  const auto Spec = SendMessageW(Dialog, CDM_GETSPEC, 0, 0);
  if (Folder < 0 || Spec < 0) return false;
  const auto Needed = static_cast<size_t>(Folder + Spec + 2);
  if (Needed <= Record.nMaxFile) return false;
  AllocateFileBuffer(static_cast<DWORD>(Needed));
  Record.lpstrFile = FBuffer.data();
  Record.nMaxFile = static_cast<DWORD>(Needed);
  return true;
}

void TUCodeOpenDialog::DoIncludeItem(const OFNOTIFYEXA& OFN, bool& Include) {
  if (IsUnicodePlatform && OnIncludeItem) OnIncludeItem(OFN, Include);
}

// Only the OK check asks OnCanClose.
bool TUCodeOpenDialog::DoCanClose() {
  return !FCheckingOK || TOpenDialog::DoCanClose();
}

void TUCodeOpenDialog::DefineProperties(TFiler* Filer) {
  TOpenDialog::DefineProperties(Filer);
  DefineWideProperties(Filer, this);
}

// ---------------------------------------------------------------------------------------------
// Published properties

namespace {

template <class C>
std::vector<TPropInfo> WideDialogProps() {
  using namespace Published;
  return {
      WideStr<C>(
          "DefaultExt", [](C* D) { return D->DefaultExt(); },
          [](C* D, const std::wstring& V) { D->SetDefaultExt(V); }),
      WideStr<C>(
          "FileName", [](C* D) { return D->FileName(); },
          [](C* D, const std::wstring& V) { D->SetFileName(V); }),
      WideStr<C>(
          "Filter", [](C* D) { return D->Filter(); }, [](C* D, const std::wstring& V) { D->SetFilter(V); }),
      WideStr<C>(
          "InitialDir", [](C* D) { return D->InitialDir(); },
          [](C* D, const std::wstring& V) { D->SetInitialDir(V); }),
      WideStr<C>(
          "Title", [](C* D) { return D->Title(); }, [](C* D, const std::wstring& V) { D->SetTitle(V); })};
}

}  // namespace

const TClassInfo* UCodeOpenDialogClass() {
  static const TClassInfo Info = [] {
    RegisterLibraryClasses();
    return MakeClassInfo<TUCodeOpenDialog>("TUCodeOpenDialog", GetClass("TOpenDialog"),
                                           WideDialogProps<TUCodeOpenDialog>());
  }();
  RegisterClass(&Info);
  return &Info;
}

const TClassInfo* UCodeSaveDialogClass() {
  static const TClassInfo Info =
      MakeClassInfo<TUCodeSaveDialog>("TUCodeSaveDialog", UCodeOpenDialogClass(), {});
  RegisterClass(&Info);
  return &Info;
}
