#pragma once
// Pointer, object and component lists.
#include <functional>
#include <memory>
#include <vector>

#include "classlib/Classes.h"

enum TListNotification { lnAdded, lnExtracted, lnDeleted };

// A list of untyped pointers. Index errors raise EListError "List index out of bounds (%d)".
class TList : public TObject {
 public:
  ~TList() override;
  int Add(void* Item);
  void Insert(int Index, void* Item);
  void Delete(int Index);
  int Remove(void* Item);     // the index it had, -1 when absent
  void* Extract(void* Item);  // removes without deleting; nullptr when absent
  int IndexOf(void* Item) const;
  void* Get(int Index) const;
  void Put(int Index, void* Item);
  void Exchange(int Index1, int Index2);
  void Move(int CurIndex, int NewIndex);
  void Clear();
  int Count() const { return static_cast<int>(FList.size()); }
  void* First() const { return Get(0); }
  void* Last() const { return Get(Count() - 1); }
  void Sort(const std::function<int(void*, void*)>& Compare);

 protected:
  virtual void Notify(void* Ptr, TListNotification Action);
  void CheckIndex(int Index) const;

 private:
  std::vector<void*> FList;
};

// A list of objects that, while OwnsObjects is set, deletes the objects it loses.
class TObjectList : public TList {
 public:
  explicit TObjectList(bool AOwnsObjects = true) : FOwnsObjects(AOwnsObjects) {}
  ~TObjectList() override;  // deletes the owned objects (TList's destructor no longer can)
  int Add(TObject* AObject) { return TList::Add(AObject); }
  TObject* Items(int Index) const { return static_cast<TObject*>(Get(Index)); }
  int IndexOf(TObject* AObject) const { return TList::IndexOf(AObject); }
  int Remove(TObject* AObject) { return TList::Remove(AObject); }
  bool OwnsObjects() const { return FOwnsObjects; }
  void SetOwnsObjects(bool Value) { FOwnsObjects = Value; }

 protected:
  void Notify(void* Ptr, TListNotification Action) override;

 private:
  bool FOwnsObjects;
};

// A list of components that drops each entry whose component is freed. Owns nothing.
class TComponentList : public TObjectList {
 public:
  TComponentList();
  ~TComponentList() override;
  int Add(TComponent* AComponent) { return TObjectList::Add(AComponent); }
  TComponent* Items(int Index) const { return static_cast<TComponent*>(Get(Index)); }

 protected:
  void Notify(void* Ptr, TListNotification Action) override;

 private:
  class TNexus;
  std::unique_ptr<TNexus> FNexus;  // hears the free notifications
};
