#include "classlib/Contnrs.h"

#include <algorithm>

#include "classlib/StringLists.h"
#include "classlib/SysUtils.h"

// ---------------------------------------------------------------------------------------------
// TList

TList::~TList() {
  Clear();
}

int TList::Add(void* Item) {
  FList.push_back(Item);
  if (Item) Notify(Item, lnAdded);
  return Count() - 1;
}

void TList::Insert(int Index, void* Item) {
  if (Index < 0 || Index > Count()) throw EListError(Format(L"List index out of bounds (%d)", {Index}));
  FList.insert(FList.begin() + Index, Item);
  if (Item) Notify(Item, lnAdded);
}

void TList::Delete(int Index) {
  CheckIndex(Index);
  void* Item = FList[static_cast<size_t>(Index)];
  FList.erase(FList.begin() + Index);
  if (Item) Notify(Item, lnDeleted);
}

int TList::Remove(void* Item) {
  const int Index = IndexOf(Item);
  if (Index >= 0) Delete(Index);
  return Index;
}

void* TList::Extract(void* Item) {
  const int Index = IndexOf(Item);
  if (Index < 0) return nullptr;
  FList.erase(FList.begin() + Index);
  Notify(Item, lnExtracted);
  return Item;
}

int TList::IndexOf(void* Item) const {
  const auto It = std::find(FList.begin(), FList.end(), Item);
  return It == FList.end() ? -1 : static_cast<int>(It - FList.begin());
}

void* TList::Get(int Index) const {
  CheckIndex(Index);
  return FList[static_cast<size_t>(Index)];
}

void TList::Put(int Index, void* Item) {
  CheckIndex(Index);
  void* Old = FList[static_cast<size_t>(Index)];
  if (Old == Item) return;
  FList[static_cast<size_t>(Index)] = Item;
  if (Old) Notify(Old, lnDeleted);
  if (Item) Notify(Item, lnAdded);
}

void TList::Exchange(int Index1, int Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  std::swap(FList[static_cast<size_t>(Index1)], FList[static_cast<size_t>(Index2)]);
}

void TList::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  CheckIndex(CurIndex);
  CheckIndex(NewIndex);
  void* Item = FList[static_cast<size_t>(CurIndex)];
  FList.erase(FList.begin() + CurIndex);
  FList.insert(FList.begin() + NewIndex, Item);
}

void TList::Clear() {
  while (!FList.empty()) Delete(Count() - 1);
  FList.shrink_to_fit();
}

void TList::Sort(const std::function<int(void*, void*)>& Compare) {
  if (Count() < 2) return;
  ListQuickSort(
      0, Count() - 1,
      [&](int I, int J) { return Compare(FList[static_cast<size_t>(I)], FList[static_cast<size_t>(J)]); },
      [&](int I, int J) { std::swap(FList[static_cast<size_t>(I)], FList[static_cast<size_t>(J)]); });
}

void TList::Notify(void* /*Ptr*/, TListNotification /*Action*/) {}

void TList::CheckIndex(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError(Format(L"List index out of bounds (%d)", {Index}));
}

// ---------------------------------------------------------------------------------------------
// TObjectList

TObjectList::~TObjectList() {
  Clear();
}

void TObjectList::Notify(void* Ptr, TListNotification Action) {
  if (FOwnsObjects && Action == lnDeleted) delete static_cast<TObject*>(Ptr);
  TList::Notify(Ptr, Action);
}

// ---------------------------------------------------------------------------------------------
// TComponentList

class TComponentList::TNexus : public TComponent {
 public:
  explicit TNexus(TComponentList* AList) : TComponent(nullptr), FList(AList) {}

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove)
      while (FList->Extract(AComponent)) {
      }
  }

 private:
  TComponentList* FList;
};

TComponentList::TComponentList() : TObjectList(false), FNexus(std::make_unique<TNexus>(this)) {}

// Cleared while this class's Notify still runs, so that the nexus drops its notifications.
TComponentList::~TComponentList() {
  Clear();
}

void TComponentList::Notify(void* Ptr, TListNotification Action) {
  TComponent* Component = static_cast<TComponent*>(Ptr);
  if (Action == lnAdded)
    FNexus->FreeNotification(Component);
  else if (IndexOf(Component) < 0)  // the last entry of this component is gone
    FNexus->RemoveFreeNotification(Component);
  TObjectList::Notify(Ptr, Action);
}
