#pragma once
// The library's list view with a Unicode window, wide column titles, wide item captions and sub-items.
// The control answers the wide display requests itself; everything else takes the library's road.
// Forms reach it as TListView through UCodeRepComCtrls.
#include <functional>
#include <string>

#include "Imports/UCodeStdCtrls.h"
#include "classlib/ComCtrls.h"

class TUCodeListColumn : public TListColumn {
 public:
  using TListColumn::TListColumn;
  // Kept beside the library's 8-bit title.
  std::wstring Caption();
  void SetCaption(const std::wstring& Value);
  void Assign(TPersistent* Source) override;
  void DefineProperties(TFiler* Filer) override;

 private:
  std::wstring FCaption;
};

class TUCodeListColumns : public TListColumns {
 public:
  using TListColumns::TListColumns;
  TUCodeListColumn* Items(int Index) const {
    return static_cast<TUCodeListColumn*>(TListColumns::Items(Index));
  }
  TUCodeListColumn* Add() { return static_cast<TUCodeListColumn*>(TListColumns::Add()); }
};

class TUCodeListItem;

// The wide sub-items of one item. Every change is made on the library's 8-bit sub-items, which tell it
// back by position; the wide texts follow there, so that 8-bit code may change the sub-items too.
class TWideSubItems : public TUCodeStringList {
 public:
  explicit TWideSubItems(TUCodeListItem* Item) : FItem(Item) {}
  TObject* GetObject(int Index) const override;
  void Put(int Index, const std::wstring& S) override;
  void PutObject(int Index, TObject* AObject) override;
  void Clear() override;
  void Delete(int Index) override;
  void Exchange(int Index1, int Index2) override;
  void CustomSort(const TUCodeStringListSortCompare& Compare) override;
  // One change of the library's sub-items, as they told it.
  void Follow(TListChange Change, int Index, int Index2);

 protected:
  void InsertItem(int Index, const std::wstring& S, TObject* AObject) override;

 private:
  TStrings* AnsiSubItems() const;
  // The wide text of the library's sub-item Index that a change has just put in.
  std::wstring NewText(int Index);
  TUCodeListItem* FItem;
  const std::wstring* FPending = nullptr;  // the text of a wide change on its way through the library
};

class TUCodeListItem : public TListItem {
 public:
  TUCodeListItem(TListView* Owner, int Index);
  // Kept beside the library's 8-bit caption.
  std::wstring Caption();
  void SetCaption(const std::wstring& Value);
  TWideSubItems* SubItems() { return &FSubItems; }
  void Assign(TPersistent* Source) override;

 private:
  std::wstring FCaption;
  TWideSubItems FSubItems;
};

class TUCodeListItems : public TListItems {
 public:
  using TListItems::TListItems;
  TUCodeListItem* Add() { return static_cast<TUCodeListItem*>(TListItems::Add()); }
  TUCodeListItem* Item(int Index) { return static_cast<TUCodeListItem*>(TListItems::Item(Index)); }
};

// The library's owner-data find event with the wide text the control was asked for.
using TLVOwnerDataFindEventW = std::function<void(
    TObject* Sender, TItemFind Find, const std::wstring& FindString, int StartIndex, bool Wrap, int& Index)>;

// The user ended editing Item's caption with S, which the handler may change; the item then keeps S.
using TUCodeLVEditedEvent = std::function<void(TObject* Sender, TUCodeListItem* Item, std::wstring& S)>;

class TUCodeCustomListView : public TUCodeControlOf<TListView>, public IWideCustomListControl {
 public:
  using TUCodeControlOf::TUCodeControlOf;
  ~TUCodeCustomListView() override;
  TUCodeListColumns* Columns() { return static_cast<TUCodeListColumns*>(TListView::Columns()); }
  TUCodeListItems* Items() { return static_cast<TUCodeListItems*>(TListView::Items()); }

  // Asked before the library's 8-bit OnDataFind, which is asked only without this one.
  TLVOwnerDataFindEventW OnDataFind;
  // Asked before the library's 8-bit OnEdited, which is asked only without this one.
  TUCodeLVEditedEvent OnEdited;
  // A new row with that caption and AObject as its Data.
  using TListView::AddItem;
  void AddItem(const std::wstring& Item, TObject* AObject) override;
  // Every selected row with its wide caption and Data, wide where the destination takes it.
  void CopySelection(TCustomListControl* Destination) override;

 protected:
  void CreateWindowHandle(const TCreateParams& Params) override;
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  std::unique_ptr<TListColumns> CreateListColumns() override;
  TListColumn* CreateListColumn(TCollection* Collection) override;
  std::unique_ptr<TListItems> CreateListItems() override;
  // A TUCodeListItem, or the kind OnCreateItemClass chooses, which must descend from it.
  TListItem* CreateListItem(int Index) override;
  // The temporary row of owner data starts empty on the wide side too.
  void OwnerDataFetch(TListItem* Item) override;
  // Without OnCompare the wide captions, as lstrcmpW compares them.
  int CompareItems(TListItem* Item1, TListItem* Item2, intptr_t Data) override;
  int OwnerDataFind(TItemFind Find, const std::string& FindString, int StartIndex, bool Wrap) override;
  // The wide OnDataFind, else the library's with the 8-bit text; -1 without either.
  virtual int DoOwnerDataFindW(TItemFind Find, const std::wstring& FindString, int StartIndex, bool Wrap);
  void Edit(const LVITEMA& Request) override;
  // Without OnDrawItem the wide caption.
  void DrawItem(TListItem* Item, const RECT& Rect, UINT State) override;

 private:
  // The label editor becomes a Unicode window whose keys go through this control's key events first.
  void BeginLabelEdit(NMLVDISPINFOW* Info, TMessage& Message);
  static LRESULT CALLBACK EditWndProcW(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  void EditWndProc(TMessage& Message);
  // The wide OnEdited, else the library's with the 8-bit text; the row's caption becomes the result.
  void LabelEdited(int Row, std::wstring S);
  bool SetColumnWide(TMessage& Message);
  void GetDispInfoW(NMLVDISPINFOW* Info);
  void GetInfoTipW(TMessage& Message);

  const wchar_t* FFindTextW = nullptr;  // the wide text of the find request being answered
  HWND FEditHandle = nullptr;
  WNDPROC FDefEditProc = nullptr;
};

class TUCodeListView : public TUCodeCustomListView {
 public:
  using TUCodeCustomListView::TUCodeCustomListView;
};

// The class information of the wide list view and column.
const TClassInfo* UCodeListViewClass();
const TClassInfo* UCodeListColumnClass();
