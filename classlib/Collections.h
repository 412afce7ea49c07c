#pragma once
// Collections: owned lists of items of one class (list-view columns, status-bar panels).
#include <functional>
#include <vector>

#include "classlib/Classes.h"

class TCollection;

class TCollectionItem : public TPersistent {
 public:
  // Made through TCollection::Add; an item leaves its collection when it is freed.
  explicit TCollectionItem(TCollection* ACollection) : FCollection(ACollection) {}
  ~TCollectionItem() override;
  TCollection* Collection() const { return FCollection; }
  int Index() const;

 protected:
  // Tells the collection that this item changed.
  void Changed();

 private:
  friend class TCollection;
  TCollection* FCollection;
};

class TCollection : public TPersistent {
 public:
  using TItemFactory = std::function<TCollectionItem*(TCollection* Collection)>;
  explicit TCollection(TItemFactory ItemFactory) : FItemFactory(std::move(ItemFactory)) {}
  ~TCollection() override;

  TCollectionItem* Add();
  int Count() const { return static_cast<int>(FItems.size()); }
  TCollectionItem* Items(int Index) const;  // EListError outside 0..Count-1
  void Delete(int Index);
  void Clear();
  // Update runs once for all changes between the outer BeginUpdate and EndUpdate.
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();

 protected:
  // Item changed, or every item (nullptr).
  virtual void Update(TCollectionItem* /*Item*/) {}
  virtual void Added(TCollectionItem* /*Item*/) {}
  virtual void Deleting(TCollectionItem* /*Item*/) {}
  void Changed(TCollectionItem* Item);

 private:
  friend class TCollectionItem;
  TItemFactory FItemFactory;
  std::vector<TCollectionItem*> FItems;
  int FUpdateCount = 0;
};
