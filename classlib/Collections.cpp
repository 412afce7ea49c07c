#include "classlib/Collections.h"

#include <algorithm>

#include "classlib/SysUtils.h"

TCollectionItem::~TCollectionItem() {
  if (!FCollection) return;
  auto& Items = FCollection->FItems;
  Items.erase(std::find(Items.begin(), Items.end(), this));
  FCollection->Changed(nullptr);
}

int TCollectionItem::Index() const {
  if (!FCollection) return -1;
  const auto& Items = FCollection->FItems;
  return static_cast<int>(std::find(Items.begin(), Items.end(), this) - Items.begin());
}

void TCollectionItem::Changed() {
  if (FCollection) FCollection->Changed(this);
}

TCollection::~TCollection() {
  for (TCollectionItem* Item : FItems) {
    Item->FCollection = nullptr;
    delete Item;
  }
}

TCollectionItem* TCollection::Add() {
  TCollectionItem* Item = FItemFactory(this);
  FItems.push_back(Item);
  Added(Item);
  Changed(nullptr);
  return Item;
}

TCollectionItem* TCollection::Items(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError(Format(L"List index out of bounds (%d)", {Index}));
  return FItems[static_cast<size_t>(Index)];
}

void TCollection::Delete(int Index) {
  TCollectionItem* Item = Items(Index);
  Deleting(Item);
  delete Item;
}

void TCollection::Clear() {
  if (FItems.empty()) return;
  BeginUpdate();
  while (!FItems.empty()) Delete(Count() - 1);
  EndUpdate();
}

void TCollection::EndUpdate() {
  if (--FUpdateCount == 0) Update(nullptr);
}

void TCollection::Changed(TCollectionItem* Item) {
  if (FUpdateCount == 0) Update(Item);
}
