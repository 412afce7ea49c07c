#include "Imports/UCodeClasses.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "Imports/UCodeSysUtils.h"
#include "Imports/UCodeSystem.h"
#include "classlib/FormReader.h"
#include "classlib/SysUtils.h"

namespace {

// BeginUpdate/EndUpdate of a wide or 8-bit list, closed on every way out.
template <class TList>
class TUpdateScope {
 public:
  explicit TUpdateScope(TList* List) : FList(List) { FList->BeginUpdate(); }
  // EndUpdate may fire OnChange, whose handler may raise.
  ~TUpdateScope() noexcept(false) { FList->EndUpdate(); }
  TUpdateScope(const TUpdateScope&) = delete;
  TUpdateScope& operator=(const TUpdateScope&) = delete;

 private:
  TList* FList;
};

HANDLE OpenOrCreate(const std::wstring& FileName, uint16_t Mode) {
  const bool Create = Mode == fmCreate;
  const HANDLE Handle = Create ? WideFileCreate(FileName) : WideFileOpen(FileName, Mode);
  if (Handle != INVALID_HANDLE_VALUE) return Handle;
  // Taken first: the calls that build the message may change it.
  const DWORD Error = GetLastError();
  const std::wstring Message =
      Format(Create ? L"Cannot create file \"%s\". %s" : L"Cannot open file \"%s\". %s",
             {WideExpandFileName(FileName), WideSysErrorMessage(Error)});
  if (Create) throw EFCreateError(Message);
  throw EFOpenError(Message);
}

// The bytes from the stream's position to its end.
std::string ReadRest(TStream* Stream) {
  const int64_t Count = Stream->Size() - Stream->Position();
  if (Count <= 0) return {};
  std::string Bytes(static_cast<size_t>(Count), '\0');
  Stream->ReadBuffer(Bytes.data(), static_cast<int32_t>(Count));
  return Bytes;
}

// Reads Count bytes when that many remain; the caller steps back on a mismatch.
bool ReadMark(TStream* Stream, int64_t Remaining, uint8_t* Mark, int32_t Count) {
  if (Remaining < Count) return false;
  Stream->ReadBuffer(Mark, Count);
  return true;
}

[[noreturn]] void ListError(const wchar_t* Message) {
  throw EStringListError(std::wstring(Message));
}

}  // namespace

TUCodeFileStream::TUCodeFileStream(const std::wstring& FileName, uint16_t Mode)
    : THandleStream(OpenOrCreate(FileName, Mode)) {}

TUCodeFileStream::~TUCodeFileStream() {
  CloseHandle(FHandle);
}

TStreamEncoding DetectStreamEncoding(TStream* Stream) {
  const int64_t Start = Stream->Position();
  const int64_t Remaining = Stream->Size() - Start;
  uint8_t Mark[3];
  if (ReadMark(Stream, Remaining, Mark, 2)) {
    if (Mark[0] == 0xFF && Mark[1] == 0xFE) return seUtf16LE;
    if (Mark[0] == 0xFE && Mark[1] == 0xFF) return seUtf16BE;
    Stream->SetPosition(Start);
  }
  if (ReadMark(Stream, Remaining, Mark, 3)) {
    if (Mark[0] == 0xEF && Mark[1] == 0xBB && Mark[2] == 0xBF) return seUtf8;
    Stream->SetPosition(Start);
  }
  return seAnsi;
}

// --- TAnsiStringsForWideStringsAdapter ---

TAnsiStringsForWideStringsAdapter::TAnsiStringsForWideStringsAdapter(TWideStrings* AWideStrings,
                                                                     UINT AAdapterCodePage)
    : FWideStrings(AWideStrings), FAdapterCodePage(AAdapterCodePage) {}

UINT TAnsiStringsForWideStringsAdapter::CodePage() const {
  return FAdapterCodePage == 0 ? DefaultSystemCodePage() : FAdapterCodePage;
}

std::string TAnsiStringsForWideStringsAdapter::Get(int Index) const {
  return WideStringToCodePage(FWideStrings->Get(Index), CodePage());
}

int TAnsiStringsForWideStringsAdapter::GetCount() const {
  return FWideStrings->GetCount();
}

TObject* TAnsiStringsForWideStringsAdapter::GetObject(int Index) const {
  return FWideStrings->GetObject(Index);
}

void TAnsiStringsForWideStringsAdapter::Put(int Index, const std::string& S) {
  FWideStrings->Put(Index, CodePageToWideString(S, CodePage()));
}

void TAnsiStringsForWideStringsAdapter::PutObject(int Index, TObject* AObject) {
  FWideStrings->PutObject(Index, AObject);
}

void TAnsiStringsForWideStringsAdapter::SetUpdateState(bool Updating) {
  FWideStrings->SetUpdateState(Updating);
}

void TAnsiStringsForWideStringsAdapter::Clear() {
  FWideStrings->Clear();
}

void TAnsiStringsForWideStringsAdapter::Delete(int Index) {
  FWideStrings->Delete(Index);
}

void TAnsiStringsForWideStringsAdapter::Insert(int Index, const std::string& S) {
  FWideStrings->Insert(Index, CodePageToWideString(S, CodePage()));
}

void TAnsiStringsForWideStringsAdapter::LoadFromStreamEx(TStream* Stream, UINT CodePage) {
  TUpdateScope Update(this);
  FWideStrings->SetTextStr(CodePageToWideString(ReadRest(Stream), CodePage));
}

void TAnsiStringsForWideStringsAdapter::SaveToStreamEx(TStream* Stream, UINT CodePage) {
  const std::string Bytes = WideStringToCodePage(FWideStrings->GetTextStr(), CodePage);
  Stream->WriteBuffer(Bytes.data(), static_cast<int32_t>(Bytes.size()));
}

// --- TUCodeStrings ---

TUCodeStrings::TUCodeStrings() : FAnsiStrings(std::make_unique<TAnsiStringsForWideStringsAdapter>(this, 0)) {}

TUCodeStrings::~TUCodeStrings() = default;

void TUCodeStrings::SetAnsiStrings(TStrings* Value) {
  FAnsiStrings->Assign(Value);
}

void TUCodeStrings::DefineProperties(TFiler* Filer) {
  TWideStrings::DefineProperties(Filer);
  Filer->DefineProperty(
      "WideStrings",
      [this](TReader* Reader) {
        if (Reader->NextValue() != vaList) {
          SetTextStr(Reader->ReadWideString());
          return;
        }
        TUpdateScope<TUCodeStrings> Update(this);
        Clear();
        Reader->ReadListBegin();
        while (!Reader->EndOfList()) Add(Reader->ReadWideString());
        Reader->ReadListEnd();
      },
      nullptr, false);
  // Items of the older UTF-8 form count only where the list has none of its own.
  Filer->DefineProperty(
      "WideStringsW",
      [this](TReader* Reader) {
        Reader->ReadListBegin();
        if (Count() > 0) {
          while (!Reader->EndOfList()) Reader->SkipValue();
        } else {
          TUpdateScope<TUCodeStrings> Update(this);
          Clear();
          while (!Reader->EndOfList()) Add(UTF8ToWideString(Reader->ReadString()));
        }
        Reader->ReadListEnd();
      },
      nullptr, false);
  Filer->DefineProperty(
      "WideStrings_UTF7", [](TReader* Reader) { Reader->SkipValue(); }, nullptr, false);
}

void TUCodeStrings::LoadFromFile(const std::wstring& FileName) {
  TUCodeFileStream Stream(FileName, fmOpenRead | fmShareDenyWrite);
  FLoadedEncoding = DetectStreamEncoding(&Stream);
  Stream.SetPosition(0);
  LoadFromStream(&Stream);
}

void TUCodeStrings::LoadFromStream(TStream* Stream) {
  ReadFromStream(Stream, true);
}

void TUCodeStrings::SaveToFile(const std::wstring& FileName) {
  TUCodeFileStream Stream(FileName, fmCreate);
  SaveToStream(&Stream);
}

void TUCodeStrings::SaveToStream(TStream* Stream) {
  WriteToStream(Stream, true);
}

void TUCodeStrings::ReadFromStream(TStream* Stream, bool DetectEncoding) {
  TUpdateScope Update(this);
  const TStreamEncoding Encoding = DetectEncoding ? DetectStreamEncoding(Stream) : seUtf16LE;
  const std::string Bytes = ReadRest(Stream);
  std::wstring Text;
  switch (Encoding) {
    case seUtf16LE:
    case seUtf16BE:
      // An odd last byte is no unit and is dropped.
      Text.assign(Bytes.size() / 2, L'\0');
      Bytes.copy(reinterpret_cast<char*>(Text.data()), Text.size() * 2);
      if (Encoding == seUtf16BE) SwapWideByteOrder(Text);
      break;
    case seUtf8:
      Text = UTF8ToWideString(Bytes);
      break;
    case seAnsi:
      Text = CodePageToWideString(Bytes, DefaultSystemCodePage());
      break;
  }
  SetTextStr(Text);
}

void TUCodeStrings::WriteToStream(TStream* Stream, bool WriteSignature) {
  if (WriteSignature) {
    static const uint8_t Signature[2] = {0xFF, 0xFE};
    Stream->WriteBuffer(Signature, sizeof(Signature));
  }
  const std::wstring Text = GetTextStr();
  Stream->WriteBuffer(Text.data(), static_cast<int32_t>(Text.size() * sizeof(wchar_t)));
}

// --- TUCodeStringList ---

TUCodeStringList::~TUCodeStringList() {
  OnChange = nullptr;
  OnChanging = nullptr;
}

std::wstring TUCodeStringList::Get(int Index) const {
  if (Index < 0 || Index >= GetCount()) IndexError(Index);
  return FList[Index].String;
}

int TUCodeStringList::GetCapacity() const {
  return static_cast<int>(FList.capacity());
}

TObject* TUCodeStringList::GetObject(int Index) const {
  if (Index < 0 || Index >= GetCount()) IndexError(Index);
  return FList[Index].Object;
}

void TUCodeStringList::Put(int Index, const std::wstring& S) {
  if (FSorted) ListError(L"Operation not allowed on sorted list");
  if (Index < 0 || Index >= GetCount()) IndexError(Index);
  Changing();
  FList[Index].String = S;
  Changed();
}

void TUCodeStringList::PutObject(int Index, TObject* AObject) {
  if (Index < 0 || Index >= GetCount()) IndexError(Index);
  Changing();
  FList[Index].Object = AObject;
  Changed();
}

// A capacity below the count keeps the items: the capacity is only a hint.
void TUCodeStringList::SetCapacity(int NewCapacity) {
  std::vector<TUCodeStringItem> Resized;
  Resized.reserve(std::max<size_t>(NewCapacity < 0 ? 0 : NewCapacity, FList.size()));
  std::move(FList.begin(), FList.end(), std::back_inserter(Resized));
  FList.swap(Resized);
}

void TUCodeStringList::SetUpdateState(bool Updating) {
  FUpdating = Updating;
  if (Updating)
    Changing();
  else
    Changed();
}

int TUCodeStringList::CompareStrings(const std::wstring& S1, const std::wstring& S2) const {
  return FCaseSensitive ? WideCompareStr(S1, S2) : WideCompareText(S1, S2);
}

int TUCodeStringList::Add(const std::wstring& S) {
  return AddObject(S, nullptr);
}

int TUCodeStringList::AddObject(const std::wstring& S, TObject* AObject) {
  int Index = GetCount();
  if (FSorted && Find(S, Index)) {
    if (FDuplicates == dupIgnore) return Index;
    if (FDuplicates == dupError) ListError(L"String list does not allow duplicates");
  }
  InsertItem(Index, S, AObject);
  return Index;
}

void TUCodeStringList::Clear() {
  if (FList.empty()) return;
  Changing();
  std::vector<TUCodeStringItem>().swap(FList);
  Changed();
}

void TUCodeStringList::Delete(int Index) {
  if (Index < 0 || Index >= GetCount()) IndexError(Index);
  Changing();
  FList.erase(FList.begin() + Index);
  Changed();
}

void TUCodeStringList::Exchange(int Index1, int Index2) {
  if (Index1 < 0 || Index1 >= GetCount()) IndexError(Index1);
  if (Index2 < 0 || Index2 >= GetCount()) IndexError(Index2);
  Changing();
  std::swap(FList[Index1], FList[Index2]);
  Changed();
}

int TUCodeStringList::IndexOf(const std::wstring& S) const {
  if (!FSorted) return TUCodeStrings::IndexOf(S);
  int Index;
  return Find(S, Index) ? Index : -1;
}

int TUCodeStringList::IndexOfName(const std::wstring& Name) const {
  if (!FSorted) return TUCodeStrings::IndexOfName(Name);
  const std::wstring Prefix = Name + L"=";
  int Index;
  Find(Prefix, Index);
  if (Index < GetCount() && CompareStrings(FList[Index].String.substr(0, Prefix.size()), Prefix) == 0)
    return Index;
  return -1;
}

void TUCodeStringList::Insert(int Index, const std::wstring& S) {
  InsertObject(Index, S, nullptr);
}

void TUCodeStringList::InsertObject(int Index, const std::wstring& S, TObject* AObject) {
  if (FSorted) ListError(L"Operation not allowed on sorted list");
  if (Index < 0 || Index > GetCount()) IndexError(Index);
  InsertItem(Index, S, AObject);
}

void TUCodeStringList::Changed() {
  if (!FUpdating && OnChange) OnChange(this);
}

void TUCodeStringList::Changing() {
  if (!FUpdating && OnChanging) OnChanging(this);
}

// Searched as with duplicates accepted: the lower bound is the first of equal strings, which a search
// that stops at its first hit misses once duplicates were let in before Duplicates changed.
bool TUCodeStringList::Find(const std::wstring& S, int& Index) const {
  return SortedFind(
      GetCount(), [&](int I) { return CompareStrings(FList[I].String, S); }, dupAccept, Index);
}

void TUCodeStringList::Sort() {
  CustomSort([](TUCodeStringList* List, int Index1, int Index2) {
    return List->CompareStrings(List->FList[Index1].String, List->FList[Index2].String);
  });
}

void TUCodeStringList::CustomSort(const TUCodeStringListSortCompare& Compare) {
  if (FSorted || GetCount() < 2) return;
  Changing();
  ListQuickSort(
      0, GetCount() - 1, [&](int Index1, int Index2) { return Compare(this, Index1, Index2); },
      [&](int Index1, int Index2) { std::swap(FList[Index1], FList[Index2]); });
  Changed();
}

void TUCodeStringList::SetSorted(bool Value) {
  if (FSorted == Value) return;
  if (Value) Sort();
  FSorted = Value;
}

// A sorted list is put in the order of the new comparison, or Find would miss.
void TUCodeStringList::SetCaseSensitive(bool Value) {
  if (FCaseSensitive == Value) return;
  FCaseSensitive = Value;
  if (!FSorted) return;
  FSorted = false;
  Sort();
  FSorted = true;
}

void TUCodeStringList::InsertItem(int Index, const std::wstring& S, TObject* AObject) {
  Changing();
  if (FList.size() == FList.capacity()) Grow();
  FList.insert(FList.begin() + Index, TUCodeStringItem{S, AObject});
  Changed();
}

void TUCodeStringList::Grow() {
  const size_t Capacity = FList.capacity();
  const size_t Delta = Capacity > 64 ? Capacity / 4 : Capacity > 8 ? 16 : 4;
  FList.reserve(Capacity + Delta);
}

// ---------------------------------------------------------------------------------------------
// Wide property streaming

void DefineWideProperties(TFiler* Filer, TPersistent* Instance) {
  const TClassInfo* Info = GetClassInfo(Instance);
  if (!Info) return;
  for (const TPropInfo* Prop : GetPropList(Info)) {
    if (Prop->Kind == tkWString) {
      TUCodeWideStringPropertyFiler WideStringFiler;
      WideStringFiler.DefineProperties(Filer, Instance, Prop);
    } else if (Prop->Kind == tkWChar) {
      TUCodeWideCharPropertyFiler WideCharFiler;
      WideCharFiler.DefineProperties(Filer, Instance, Prop);
    }
  }
}

// A form of this program holds its wide texts in the properties themselves; the older forms are
// skipped, whatever they hold.
void TUCodeWideStringPropertyFiler::DefineProperties(TFiler* Filer, TPersistent* Instance,
                                                     const TPropInfo* PropInfo) {
  FInstance = Instance;
  FPropInfo = PropInfo;
  const auto Skip = [](TReader* Reader) { Reader->SkipValue(); };
  Filer->DefineProperty(PropInfo->Name + "W", Skip, nullptr, false);
  Filer->DefineProperty(PropInfo->Name + "_UTF7", Skip, nullptr, false);
}

void TUCodeWideCharPropertyFiler::DefineProperties(TFiler* Filer, TPersistent* Instance,
                                                   const TPropInfo* PropInfo) {
  FInstance = Instance;
  FPropInfo = PropInfo;
  Filer->DefineProperty(
      PropInfo->Name + "W", [this](TReader* Reader) { ReadDataW(Reader); }, nullptr, false);
  Filer->DefineProperty(
      PropInfo->Name + "_UTF7", [this](TReader* Reader) { ReadDataUTF7(Reader); }, nullptr, false);
}

void TUCodeWideCharPropertyFiler::ReadDataW(TReader* Reader) {
  const TValueType Type = Reader->NextValue();
  if (Type != vaString && Type != vaWString) throw EReadError("Invalid property value");
  const std::wstring Value = Reader->ReadWideString();
  if (Value.size() > 1) throw EReadError("Invalid property value");
  FPropInfo->SetWideStr(FInstance, Value);
}

void TUCodeWideCharPropertyFiler::ReadDataUTF7(TReader* Reader) {
  const std::wstring Value = UTF7ToWideString(Reader->ReadString());
  FPropInfo->SetWideStr(FInstance, Value.substr(0, 1));
}

// ---------------------------------------------------------------------------------------------
// Synced wide values

std::wstring GetSyncedWideString(std::wstring& WideValue, const std::string& AnsiValue) {
  if (WideToAnsi(WideValue) != AnsiValue) WideValue = AnsiToWide(AnsiValue);
  return WideValue;
}

void SetSyncedWideString(const std::wstring& Value, std::wstring& WideValue, const std::string& AnsiValue,
                         const std::function<void(const std::string&)>& AnsiSetter) {
  if (Value == GetSyncedWideString(WideValue, AnsiValue)) return;
  const std::string Ansi = WideToAnsi(Value);
  if (WideCompareStr(Value, AnsiToWide(Ansi)) != 0 && Ansi == AnsiValue) AnsiSetter(std::string());
  WideValue = Value;
  AnsiSetter(Ansi);
}

// ---------------------------------------------------------------------------------------------
// Stores of wide data

namespace {

int CompareHelper(void* Item, void* Target) {
  const auto* Store = static_cast<TWideComponentHelper*>(static_cast<TComponent*>(Item))->Component();
  const auto* Wanted = static_cast<TComponent*>(Target);
  return std::less<const TComponent*>()(Store, Wanted) ? -1 : Store == Wanted ? 0 : 1;
}

}  // namespace

TWideComponentHelper::TWideComponentHelper(TComponent* AComponent, TComponentList* StoreList)
    : TComponent(nullptr), FComponent(AComponent) {
  AComponent->FreeNotification(this);
  int Index;
  FindSortedIndex(StoreList, CompareHelper, AComponent, Index);
  StoreList->Insert(Index, this);
}

void TWideComponentHelper::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove || AComponent != FComponent) return;
  FComponent = nullptr;
  delete this;
}

bool FindSortedIndex(TList* List, const std::function<int(void* Item, void* Target)>& Compare, void* Target,
                     int& Index) {
  return SortedFind(
      List->Count(), [&](int I) { return Compare(List->Get(I), Target); }, dupIgnore, Index);
}

TWideComponentHelper* FindWideComponentHelperIndex(TComponentList* List, TComponent* Component) {
  int Index;
  if (!FindSortedIndex(List, CompareHelper, Component, Index)) return nullptr;
  auto* Store = static_cast<TWideComponentHelper*>(List->Items(Index));
  if (Store->Component() != Component)
    throw EUCodeInternalError(L"UCode Internal Error: FindWideComponentHelperIndex failed.");
  return Store;
}
