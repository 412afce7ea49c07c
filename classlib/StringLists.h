#pragma once
// The abstract 8-bit string list and the concrete TStringList.
#include <windows.h>
// wingdi's GetObject macro would rename the lists' GetObject to GetObjectA or GetObjectW, differently in
// each translation unit depending on the order of includes and on UNICODE.
#undef GetObject

#include <functional>
#include <string>
#include <vector>

#include "classlib/Classes.h"

class TStream;

enum TDuplicates { dupIgnore, dupAccept, dupError };

// Algorithms that every string list shares.
// The classic quicksort over L..R; Exchange must not fire events. The pivot follows its item.
void ListQuickSort(int L, int R, const std::function<int(int, int)>& Compare,
                   const std::function<void(int, int)>& Exchange);
// Binary search of a sorted list; CompareAt(I) compares item I with the searched value.
// Unless Duplicates is dupAccept the first of equal items is found. Index: where it is or belongs.
bool SortedFind(int Count, const std::function<int(int)>& CompareAt, TDuplicates Duplicates, int& Index);

// Index errors raise EStringListError "List index out of bounds (%d)".
class TStrings : public TPersistent {
 public:
  virtual std::string Get(int Index) const = 0;
  virtual int GetCount() const = 0;
  virtual TObject* GetObject(int Index) const;  // nullptr here
  virtual void Put(int Index, const std::string& S);
  virtual void PutObject(int Index, TObject* AObject);  // ignored here
  virtual void SetUpdateState(bool Updating);
  // Every string followed by CR LF.
  virtual std::string GetTextStr() const;
  // Clears the list and adds one string per line (CR, LF or CR LF; the text ends at the first #0).
  virtual void SetTextStr(const std::string& Value);
  virtual int CompareStrings(const std::string& S1, const std::string& S2) const;  // AnsiCompareText

  virtual int Add(const std::string& S);
  virtual int AddObject(const std::string& S, TObject* AObject);
  virtual void AddStrings(TStrings* Strings);
  virtual void Clear() = 0;
  virtual void Delete(int Index) = 0;
  virtual void Exchange(int Index1, int Index2);
  virtual int IndexOf(const std::string& S) const;
  virtual int IndexOfName(const std::string& Name) const;
  virtual int IndexOfObject(TObject* AObject) const;
  virtual void Insert(int Index, const std::string& S) = 0;
  virtual void InsertObject(int Index, const std::string& S, TObject* AObject);
  virtual void Move(int CurIndex, int NewIndex);
  virtual void LoadFromFile(const std::string& FileName);
  virtual void LoadFromStream(TStream* Stream);  // the rest of the stream as 8-bit text
  virtual void SaveToFile(const std::string& FileName);
  virtual void SaveToStream(TStream* Stream);
  void Assign(TPersistent* Source) override;

  int Count() const { return GetCount(); }
  std::string Text() const { return GetTextStr(); }
  void SetText(const std::string& Value) { SetTextStr(Value); }
  // "name=value" pairs.
  std::string Names(int Index) const;
  std::string Values(const std::string& Name) const;
  void SetValue(const std::string& Name, const std::string& Value);  // empty Value deletes

  // Nested: SetUpdateState(true) on the first BeginUpdate, (false) on the last EndUpdate.
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

 protected:
  [[noreturn]] void IndexError(int Index) const;

 private:
  int FUpdateCount = 0;
};

class TStringList : public TStrings {
 public:
  ~TStringList() override;
  std::string Get(int Index) const override;
  int GetCount() const override { return static_cast<int>(FList.size()); }
  TObject* GetObject(int Index) const override;
  void Put(int Index, const std::string& S) override;  // EStringListError on a sorted list
  void PutObject(int Index, TObject* AObject) override;
  void SetUpdateState(bool Updating) override;
  int CompareStrings(const std::string& S1, const std::string& S2) const override;

  int AddObject(const std::string& S, TObject* AObject) override;
  void Clear() override;
  void Delete(int Index) override;
  void Exchange(int Index1, int Index2) override;
  int IndexOf(const std::string& S) const override;
  void Insert(int Index, const std::string& S) override;
  void InsertObject(int Index, const std::string& S, TObject* AObject) override;

  virtual bool Find(const std::string& S, int& Index) const;
  virtual void Sort();
  virtual void CustomSort(const std::function<int(TStringList* List, int Index1, int Index2)>& Compare);

  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);  // sorts first when switched on
  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
  bool CaseSensitive() const { return FCaseSensitive; }
  void SetCaseSensitive(bool Value);

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  virtual void Changed();
  virtual void Changing();
  // One step of a sort: the two items change places, without events.
  virtual void ExchangeItems(int Index1, int Index2);

 private:
  struct TStringItem {
    std::string String;
    TObject* Object;
  };
  void InsertItem(int Index, const std::string& S, TObject* AObject);

  std::vector<TStringItem> FList;
  bool FUpdating = false;
  bool FSorted = false;
  TDuplicates FDuplicates = dupIgnore;
  bool FCaseSensitive = false;
};

// One change of a list by position: the item at Index inserted, deleted or given a new string; the items
// at Index and Index2 exchanged (a sort is told as its exchanges); the item at Index moved to Index2; or
// every item at once (lcReset: the list cleared).
enum TListChange { lcInserted, lcDeleted, lcReplaced, lcExchanged, lcMoved, lcReset };
using TListChangeEvent = std::function<void(TListChange Change, int Index, int Index2)>;

// A string list that tells each change of its strings with the position, so that what is kept beside it
// (a window's rows, wide twins of the strings) can follow item by item. A new object alone is no change.
class TTrackedStringList : public TStringList {
 public:
  void Put(int Index, const std::string& S) override;
  int AddObject(const std::string& S, TObject* AObject) override;
  void InsertObject(int Index, const std::string& S, TObject* AObject) override;
  void Clear() override;
  void Delete(int Index) override;
  void Exchange(int Index1, int Index2) override;
  void Move(int CurIndex, int NewIndex) override;

  TListChangeEvent OnListChange;

 protected:
  void ExchangeItems(int Index1, int Index2) override;

 private:
  void Tell(TListChange Change, int Index, int Index2 = -1);
  int FQuiet = 0;  // a move is told once, not as its delete and insert
};
