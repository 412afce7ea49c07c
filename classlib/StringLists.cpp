#include "classlib/StringLists.h"

#include <utility>

#include "classlib/Streams.h"
#include "classlib/StringsCommon.h"
#include "classlib/SysUtils.h"

using namespace StringsCommon;

void ListQuickSort(int L, int R, const std::function<int(int, int)>& Compare,
                   const std::function<void(int, int)>& Exchange) {
  int I;
  do {
    I = L;
    int J = R;
    int P = (L + R) >> 1;
    do {
      while (Compare(I, P) < 0) ++I;
      while (Compare(J, P) > 0) --J;
      if (I <= J) {
        Exchange(I, J);
        if (P == I)
          P = J;
        else if (P == J)
          P = I;
        ++I;
        --J;
      }
    } while (I <= J);
    if (L < J) ListQuickSort(L, J, Compare, Exchange);
    L = I;
  } while (I < R);
}

bool SortedFind(int Count, const std::function<int(int)>& CompareAt, TDuplicates Duplicates, int& Index) {
  bool Result = false;
  int L = 0;
  int H = Count - 1;
  while (L <= H) {
    const int I = (L + H) >> 1;
    const int Cmp = CompareAt(I);
    if (Cmp < 0) {
      L = I + 1;
    } else {
      H = I - 1;
      if (Cmp == 0) {
        Result = true;
        if (Duplicates != dupAccept) L = I;
      }
    }
  }
  Index = L;
  return Result;
}

// ---------------------------------------------------------------------------------------------
// TStrings

namespace {

std::string Same(const std::string& S) {
  return S;
}

}  // namespace

TObject* TStrings::GetObject(int /*Index*/) const {
  return nullptr;
}

void TStrings::Put(int Index, const std::string& S) {
  PutByInsert(*this, Index, S);
}

void TStrings::PutObject(int /*Index*/, TObject* /*AObject*/) {}

void TStrings::SetUpdateState(bool /*Updating*/) {}

std::string TStrings::GetTextStr() const {
  return TextOf(*this);
}

void TStrings::SetTextStr(const std::string& Value) {
  SetTextOf(*this, Value);
}

int TStrings::CompareStrings(const std::string& S1, const std::string& S2) const {
  return AnsiCompareText(S1, S2);
}

int TStrings::Add(const std::string& S) {
  return AddObject(S, nullptr);
}

int TStrings::AddObject(const std::string& S, TObject* AObject) {
  const int Result = GetCount();
  InsertObject(Result, S, AObject);
  return Result;
}

void TStrings::AddStrings(TStrings* Strings) {
  AddStringsOf(*this, *Strings, Same);
}

void TStrings::Exchange(int Index1, int Index2) {
  ExchangeByPut(*this, Index1, Index2);
}

int TStrings::IndexOf(const std::string& S) const {
  return IndexOfString(*this, S);
}

int TStrings::IndexOfName(const std::string& Name) const {
  return IndexOfNameIn(*this, Name);
}

int TStrings::IndexOfObject(TObject* AObject) const {
  return IndexOfObjectIn(*this, AObject);
}

void TStrings::InsertObject(int Index, const std::string& S, TObject* AObject) {
  Insert(Index, S);
  PutObject(Index, AObject);
}

void TStrings::Move(int CurIndex, int NewIndex) {
  MoveByInsert(*this, CurIndex, NewIndex);
}

void TStrings::LoadFromFile(const std::string& FileName) {
  TFileStream Stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&Stream);
}

void TStrings::LoadFromStream(TStream* Stream) {
  TUpdateGuard<TStrings> Guard(*this);
  SetTextStr(ReadRest(*Stream));
}

void TStrings::SaveToFile(const std::string& FileName) {
  TFileStream Stream(FileName, fmCreate);
  SaveToStream(&Stream);
}

void TStrings::SaveToStream(TStream* Stream) {
  const std::string Text = GetTextStr();
  WriteAll(*Stream, Text.data(), Text.size());
}

void TStrings::Assign(TPersistent* Source) {
  if (auto* Strings = dynamic_cast<TStrings*>(Source))
    AssignStringsOf(*this, *Strings, Same);
  else
    TPersistent::Assign(Source);
}

std::string TStrings::Names(int Index) const {
  return NameOf(Get(Index));
}

std::string TStrings::Values(const std::string& Name) const {
  return ValueOf(*this, Name);
}

void TStrings::SetValue(const std::string& Name, const std::string& Value) {
  int Index = IndexOfName(Name);
  if (Value.empty()) {
    if (Index >= 0) Delete(Index);
    return;
  }
  if (Index < 0) Index = Add(std::string());
  Put(Index, Name + "=" + Value);
}

void TStrings::BeginUpdate() {
  if (FUpdateCount == 0) SetUpdateState(true);
  ++FUpdateCount;
}

void TStrings::EndUpdate() {
  --FUpdateCount;
  if (FUpdateCount == 0) SetUpdateState(false);
}

void TStrings::IndexError(int Index) const {
  throw EStringListError(Format(L"List index out of bounds (%d)", {Index}));
}

// ---------------------------------------------------------------------------------------------
// TStringList

namespace {

[[noreturn]] void SortedListError() {
  throw EStringListError(L"Operation not allowed on sorted list");
}

}  // namespace

// No events while the list goes.
TStringList::~TStringList() {
  OnChange = nullptr;
  OnChanging = nullptr;
}

std::string TStringList::Get(int Index) const {
  if (Index < 0 || Index >= GetCount()) IndexError(Index);
  return FList[static_cast<size_t>(Index)].String;
}

TObject* TStringList::GetObject(int Index) const {
  if (Index < 0 || Index >= GetCount()) IndexError(Index);
  return FList[static_cast<size_t>(Index)].Object;
}

void TStringList::Put(int Index, const std::string& S) {
  if (FSorted) SortedListError();
  if (Index < 0 || Index >= GetCount()) IndexError(Index);
  Changing();
  FList[static_cast<size_t>(Index)].String = S;
  Changed();
}

void TStringList::PutObject(int Index, TObject* AObject) {
  if (Index < 0 || Index >= GetCount()) IndexError(Index);
  Changing();
  FList[static_cast<size_t>(Index)].Object = AObject;
  Changed();
}

// The flag goes first, so that Changing on entering fires nothing.
void TStringList::SetUpdateState(bool Updating) {
  FUpdating = Updating;
  if (Updating)
    Changing();
  else
    Changed();
}

int TStringList::CompareStrings(const std::string& S1, const std::string& S2) const {
  return FCaseSensitive ? AnsiCompareStr(S1, S2) : AnsiCompareText(S1, S2);
}

int TStringList::AddObject(const std::string& S, TObject* AObject) {
  int Result = GetCount();
  if (FSorted && Find(S, Result)) {
    if (FDuplicates == dupIgnore) return Result;
    if (FDuplicates == dupError) throw EStringListError(L"String list does not allow duplicates");
  }
  InsertItem(Result, S, AObject);
  return Result;
}

void TStringList::Clear() {
  if (FList.empty()) return;
  Changing();
  FList.clear();
  FList.shrink_to_fit();
  Changed();
}

void TStringList::Delete(int Index) {
  if (Index < 0 || Index >= GetCount()) IndexError(Index);
  Changing();
  FList.erase(FList.begin() + Index);
  Changed();
}

void TStringList::Exchange(int Index1, int Index2) {
  if (Index1 < 0 || Index1 >= GetCount()) IndexError(Index1);
  if (Index2 < 0 || Index2 >= GetCount()) IndexError(Index2);
  Changing();
  std::swap(FList[static_cast<size_t>(Index1)], FList[static_cast<size_t>(Index2)]);
  Changed();
}

int TStringList::IndexOf(const std::string& S) const {
  if (!FSorted) return TStrings::IndexOf(S);
  int Index = -1;
  return Find(S, Index) ? Index : -1;
}

void TStringList::Insert(int Index, const std::string& S) {
  InsertObject(Index, S, nullptr);
}

void TStringList::InsertObject(int Index, const std::string& S, TObject* AObject) {
  if (FSorted) SortedListError();
  if (Index < 0 || Index > GetCount()) IndexError(Index);
  InsertItem(Index, S, AObject);
}

bool TStringList::Find(const std::string& S, int& Index) const {
  return SortedFind(
      GetCount(), [&](int I) { return CompareStrings(FList[static_cast<size_t>(I)].String, S); }, FDuplicates,
      Index);
}

void TStringList::Sort() {
  CustomSort([](TStringList* List, int Index1, int Index2) {
    return List->CompareStrings(List->FList[static_cast<size_t>(Index1)].String,
                                List->FList[static_cast<size_t>(Index2)].String);
  });
}

void TStringList::CustomSort(const std::function<int(TStringList* List, int Index1, int Index2)>& Compare) {
  if (FSorted || GetCount() < 2) return;
  Changing();
  ListQuickSort(
      0, GetCount() - 1, [&](int I, int J) { return Compare(this, I, J); },
      [this](int I, int J) { ExchangeItems(I, J); });
  Changed();
}

void TStringList::ExchangeItems(int Index1, int Index2) {
  std::swap(FList[static_cast<size_t>(Index1)], FList[static_cast<size_t>(Index2)]);
}

void TStringList::SetSorted(bool Value) {
  if (FSorted == Value) return;
  if (Value) Sort();
  FSorted = Value;
}

// A sorted list is sorted again by the new comparison, or Find would miss.
void TStringList::SetCaseSensitive(bool Value) {
  if (FCaseSensitive == Value) return;
  FCaseSensitive = Value;
  if (!FSorted) return;
  FSorted = false;
  Sort();
  FSorted = true;
}

void TStringList::Changed() {
  if (!FUpdating && OnChange) OnChange(this);
}

void TStringList::Changing() {
  if (!FUpdating && OnChanging) OnChanging(this);
}

void TStringList::InsertItem(int Index, const std::string& S, TObject* AObject) {
  Changing();
  FList.insert(FList.begin() + Index, TStringItem{S, AObject});
  Changed();
}

// ---------------------------------------------------------------------------------------------
// TTrackedStringList

void TTrackedStringList::Tell(TListChange Change, int Index, int Index2) {
  if (!FQuiet && OnListChange) OnListChange(Change, Index, Index2);
}

void TTrackedStringList::Put(int Index, const std::string& S) {
  TStringList::Put(Index, S);
  Tell(lcReplaced, Index);
}

int TTrackedStringList::AddObject(const std::string& S, TObject* AObject) {
  const int Before = GetCount();
  const int Index = TStringList::AddObject(S, AObject);
  if (GetCount() != Before) Tell(lcInserted, Index);
  return Index;
}

void TTrackedStringList::InsertObject(int Index, const std::string& S, TObject* AObject) {
  TStringList::InsertObject(Index, S, AObject);
  Tell(lcInserted, Index);
}

void TTrackedStringList::Clear() {
  if (GetCount() == 0) return;
  TStringList::Clear();
  Tell(lcReset, -1);
}

void TTrackedStringList::Delete(int Index) {
  TStringList::Delete(Index);
  Tell(lcDeleted, Index);
}

void TTrackedStringList::Exchange(int Index1, int Index2) {
  TStringList::Exchange(Index1, Index2);
  Tell(lcExchanged, Index1, Index2);
}

void TTrackedStringList::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  // Checked first: the quiet delete and insert below then cannot stop half-way.
  for (const int Index : {CurIndex, NewIndex})
    if (Index < 0 || Index >= GetCount()) IndexError(Index);
  ++FQuiet;
  TStringList::Move(CurIndex, NewIndex);
  --FQuiet;
  Tell(lcMoved, CurIndex, NewIndex);
}

// What is kept beside the items follows the sort step by step, and so keeps each item's own.
void TTrackedStringList::ExchangeItems(int Index1, int Index2) {
  TStringList::ExchangeItems(Index1, Index2);
  if (Index1 != Index2) Tell(lcExchanged, Index1, Index2);
}
