#pragma once
// Track bars, progress bars, list views and page controls over the common controls.
#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classlib/Collections.h"
#include "classlib/Controls.h"
#include "classlib/Graphics.h"
#include "classlib/StdCtrls.h"
#include "classlib/StringLists.h"

enum TTrackBarOrientation { trHorizontal, trVertical };
enum TTickStyle { tsNone, tsAuto, tsManual };

class TTrackBar : public TWinControl {
 public:
  explicit TTrackBar(TComponent* AOwner);
  int Min() const { return FMin; }
  void SetMin(int Value);
  int Max() const { return FMax; }
  void SetMax(int Value);
  // Kept within Min..Max.
  int Position();
  void SetPosition(int Value);
  int Frequency() const { return FFrequency; }
  void SetFrequency(int Value);
  TTickStyle TickStyle() const { return FTickStyle; }
  void SetTickStyle(TTickStyle Value);
  TTrackBarOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TTrackBarOrientation Value);
  // The user moved the thumb, or code set another position.
  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;

 private:
  int FMin = 0;
  int FMax = 10;
  int FPosition = 0;
  int FFrequency = 1;
  TTickStyle FTickStyle = tsAuto;
  TTrackBarOrientation FOrientation = trHorizontal;
};

// Shows Position between Min and Max as a filled bar.
class TProgressBar : public TWinControl {
 public:
  explicit TProgressBar(TComponent* AOwner);
  int Min() const { return FMin; }
  void SetMin(int Value);
  int Max() const { return FMax; }
  void SetMax(int Value);
  // Kept within Min..Max.
  int Position() const { return FPosition; }
  void SetPosition(int Value);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;

 private:
  void ShowRange();
  int FMin = 0;
  int FMax = 100;
  int FPosition = 0;
};

class TListView;

class TListColumn : public TCollectionItem {
 public:
  using TCollectionItem::TCollectionItem;
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value);
  // While the list view's window shows the column, the width there, which the user may have dragged.
  int Width() const;
  void SetWidth(int Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);

 private:
  friend class TListView;
  std::string FCaption;
  int FWidth = 50;
  TAlignment FAlignment = taLeftJustify;
};

class TListColumns : public TCollection {
 public:
  explicit TListColumns(TListView* Owner);
  TListColumn* Items(int Index) const { return static_cast<TListColumn*>(TCollection::Items(Index)); }
  TListColumn* Add() { return static_cast<TListColumn*>(TCollection::Add()); }
  TListView* ListView() const { return FOwner; }

 protected:
  void Update(TCollectionItem* Item) override;

 private:
  TListView* FOwner;
};

// One row: its caption and the texts of the further columns.
class TListItem : public TPersistent {
 public:
  TListItem(TListView* Owner, int Index) : FOwner(Owner), FIndex(Index) {}
  int Index() const { return FIndex; }
  TListView* ListView() const { return FOwner; }
  std::string Caption;
  // The program's own, kept with the row.
  TObject* Data = nullptr;
  // Each change is told by position (OnListChange).
  TTrackedStringList* SubItems() { return &FSubItems; }
  // Whether the window shows the row selected.
  bool Selected() const;
  // The row's check box (Checkboxes), as the window shows it while there is one.
  bool Checked() const;
  void SetChecked(bool Value);
  // Caption, Data, sub-items and check mark of another row.
  void Assign(TPersistent* Source) override;

 private:
  friend class TListItems;
  friend class TListView;
  TListView* FOwner;
  int FIndex;
  bool FChecked = false;
  TTrackedStringList FSubItems;
};

// The rows. With OwnerData only the count is kept and OnData fills each row when it is shown.
class TListItems : public TPersistent {
 public:
  explicit TListItems(TListView* Owner) : FOwner(Owner) {}
  int Count() const;
  void SetCount(int Value);  // owner data only
  TListItem* Add();
  TListItem* Item(int Index);  // EListError outside 0..Count-1 (rows of stored items only)
  // Removes a stored row; the rows after it move up.
  void Delete(int Index);
  void Clear();
  TListView* Owner() const { return FOwner; }
  // The window is not redrawn between the outermost BeginUpdate and its EndUpdate.
  void BeginUpdate();
  void EndUpdate();

 private:
  friend class TListView;
  TListView* FOwner;
  void Renumber();
  std::vector<std::unique_ptr<TListItem>> FItems;
  int FCount = 0;
  int FUpdateCount = 0;
};

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };

using TLVOwnerDataEvent = std::function<void(TObject* Sender, TListItem* Item)>;
// Makes a row of the list view (Index -1: the temporary row of owner data).
using TListItemClass = TListItem* (*)(TListView* Owner, int Index);
// May choose another kind of row before each row is made.
using TLVCreateItemClassEvent = std::function<void(TObject* Sender, TListItemClass& ItemClass)>;
using TLVColumnClickEvent = std::function<void(TObject* Sender, TListColumn* Column)>;
// What an owner-data find request looks for: the row's data, a caption that begins with or equals the
// text, or the row nearest to a point.
enum TItemFind { ifData, ifPartialString, ifExactString, ifNearest };
// Sets Index to the row found from StartIndex on (past the end to the beginning when Wrap), or leaves -1.
using TLVOwnerDataFindEvent = std::function<void(
    TObject* Sender, TItemFind Find, const std::string& FindString, int StartIndex, bool Wrap, int& Index)>;
// Draws Item in Rect on the list view's Canvas; State holds the ODS_ flags.
using TLVDrawItemEvent = std::function<void(TObject* Sender, TListItem* Item, const RECT& Rect, UINT State)>;
// The tip the window shows for Item; InfoTip comes as the window offers it (the row's text, when cut).
using TLVInfoTipEvent = std::function<void(TObject* Sender, TListItem* Item, std::string& InfoTip)>;
// The user starts editing Item's caption: AllowEdit false keeps it as it is.
using TLVEditingEvent = std::function<void(TObject* Sender, TListItem* Item, bool& AllowEdit)>;
// The user ended editing Item's caption with S, which the handler may change; the item then keeps S.
using TLVEditedEvent = std::function<void(TObject* Sender, TListItem* Item, std::string& S)>;
// Compare < 0 puts Item1 before Item2; Data is what the sort was given.
using TLVCompareEvent =
    std::function<void(TObject* Sender, TListItem* Item1, TListItem* Item2, intptr_t Data, int& Compare)>;

class TListViewActionLink : public TWinControlActionLink {
 public:
  using TWinControlActionLink::TWinControlActionLink;
};

class TListView : public TCustomListControl {
 public:
  explicit TListView(TComponent* AOwner);
  ~TListView() override;
  // A new row with that caption and AObject as its Data.
  void AddItem(const std::string& Item, TObject* AObject) override;
  // Every selected row, with its Data.
  void CopySelection(TCustomListControl* Destination) override;

  // Made when first asked for, by CreateListColumns and CreateListItems.
  TListColumns* Columns();
  TListItems* Items();
  TViewStyle ViewStyle() const { return FViewStyle; }
  void SetViewStyle(TViewStyle Value);
  bool OwnerData() const { return FOwnerData; }
  void SetOwnerData(bool Value);
  bool RowSelect() const { return FRowSelect; }
  void SetRowSelect(bool Value);
  bool MultiSelect() const { return FMultiSelect; }
  void SetMultiSelect(bool Value);
  bool GridLines() const { return FGridLines; }
  void SetGridLines(bool Value);
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool Value);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  // The rows of the report view are drawn by DrawItem.
  bool OwnerDraw() const { return FOwnerDraw; }
  void SetOwnerDraw(bool Value);
  // While a row is drawn: its DC, with the control's font and colour, or the selection's.
  TCanvas* Canvas() { return &FCanvas; }
  // A check box in front of each row.
  bool Checkboxes() const { return FCheckboxes; }
  void SetCheckboxes(bool Value);
  // The first selected row; -1 when none.
  int ItemIndex();
  // Selects and focuses one row (-1: none).
  void SetItemIndex(int Value);
  int SelCount();
  // Selects every row, leaving the focus and the selection's anchor where they are.
  void SelectAll();
  // The selected rows in order.
  std::vector<int> SelectedIndexes();
  void EnsureVisible(int Index);
  // The row shown first; 0 without a window.
  int TopIndex();
  // Orders the stored rows by OnCompare (by caption, as lstrcmp compares, without it); rows that
  // compare equal keep their order, and the selection moves with its rows.
  void AlphaSort(intptr_t Data = 0);

  TLVOwnerDataEvent OnData;
  TLVOwnerDataFindEvent OnDataFind;
  TLVColumnClickEvent OnColumnClick;
  TLVCompareEvent OnCompare;
  TLVEditingEvent OnEditing;
  TLVEditedEvent OnEdited;
  TLVCreateItemClassEvent OnCreateItemClass;
  TLVDrawItemEvent OnDrawItem;
  TLVInfoTipEvent OnInfoTip;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Dispatch(TMessage& Message) override;
  bool DoKeyDown(TMessage& Message) override;
  TControlActionLinkClass GetActionLinkClass() override { return NewActionLink<TListViewActionLink>; }
  virtual std::unique_ptr<TListColumns> CreateListColumns();
  virtual TListColumn* CreateListColumn(TCollection* Collection);
  virtual std::unique_ptr<TListItems> CreateListItems();
  // A row of the kind OnCreateItemClass chooses, a TListItem without it; Index -1 for the temporary row of
  // owner data.
  virtual TListItem* CreateListItem(int Index);
  // Fills the temporary row of owner data: OnData.
  virtual void OwnerDataFetch(TListItem* Item);
  // The row an owner-data find request asks for (typing in the list): OnDataFind's; -1 without it, so
  // that the selection stays.
  virtual int OwnerDataFind(TItemFind Find, const std::string& FindString, int StartIndex, bool Wrap);
  // The row a display request asks about: the list's own, or with owner data the temporary row, emptied
  // and filled by OwnerDataFetch; nullptr for a row that does not exist.
  TListItem* DispInfoItem(int Row);
  // Each selected row in order; with owner data the temporary row, filled for each.
  void ForEachSelected(const std::function<void(TListItem* Item)>& Action);
  // The row of owner data that OnData fills; the list's own, made when first needed.
  TListItem* TempItem();
  // How AlphaSort orders two rows (below 0: Item1 first): OnCompare, without it the captions as lstrcmp
  // compares them.
  virtual int CompareItems(TListItem* Item1, TListItem* Item2, intptr_t Data);
  // An owner-drawn row: OnDrawItem, without it the rectangle filled and the caption written at its left
  // plus 2.
  virtual void DrawItem(TListItem* Item, const RECT& Rect, UINT State);
  // Whether the user may edit Item's caption: OnEditing's answer, yes without it.
  virtual bool CanEdit(TListItem* Item);
  // The user ended editing the caption of the request's row with its text (never nullptr).
  virtual void Edit(const LVITEMA& Request);

 private:
  friend class TListColumn;
  friend class TListColumns;
  friend class TListItem;
  friend class TListItems;
  void ShowColumns();
  // Changes the caption and alignment of a column the window shows; false when it shows no such column.
  bool UpdateColumn(const TListColumn* Column);
  // The width of a column the window shows, or -1.
  int ColumnWidth(int Index) const;
  void ShowItems();
  void UpdateExStyle();
  // The window's check mark of the row at Index.
  void ShowChecked(int Index, bool Checked);
  void GetDispInfo(NMLVDISPINFOA* Info);
  void CNDrawItem(const DRAWITEMSTRUCT* Draw);
  void GetInfoTip(NMLVGETINFOTIPA* Tip);
  // Before the window moves the selection by Key: the selection, when the key leads away from the focused
  // row, is cleared here.
  void ClearSelectionBeforeMove(WORD Key);
  // Clears the selection before a key or a click (on row Clicked, -1 for none or a key) selects anew: the
  // focused row when it is the one selected, several rows unless the click hits one of them.
  void ClearSelectionFirst(int Clicked);
  // Clears every row's selection in one step, keeping the focus on row Focused.
  void ForgetSelection(int Focused);
  // The same while the window does not draw.
  void ForgetSelectionUndrawn(int Focused);
  int FocusedRow();
  // Shift with a move key or a click on row Clicked: the rows from the selection's anchor to the row
  // reached end up selected. False when the window is left to handle the key.
  bool SelectRangeByKey(TMessage& Message);
  void SelectRangeByClick(TMessage& Message, int Clicked);
  // Whether the selection is a range the class library knows (the one it last selected, or the focused
  // row alone), with its end at the focused row Focused and Target few rows from it.
  bool IsRangeKnown(int Focused, int Target);
  // Moves the known range's end to row Target, changing only the rows between its ends.
  void MoveRangeEnd(int Target);
  // Lets the window handle a key or a click (Handle) with nothing selected and without drawing, then
  // draws the list once.
  void SelectUndrawn(const std::function<void()>& Handle);
  // Every row's state set at once, as the window does it.
  void SelectEveryRow();
  // Takes the selection as the known range when it is the rows from the anchor to the focused row.
  void RememberRange();

  std::unique_ptr<TListColumns> FColumns;
  std::unique_ptr<TListItems> FItems;
  TViewStyle FViewStyle = vsIcon;
  bool FOwnerData = false;
  bool FRowSelect = false;
  bool FMultiSelect = false;
  bool FGridLines = false;
  bool FHideSelection = true;
  bool FReadOnly = false;
  bool FCheckboxes = false;
  bool FOwnerDraw = false;
  int FItemIndex = -1;
  int FTopIndex = 0;
  // The range the class library last selected, from the anchor to the end; known while nothing else
  // changed the selection since.
  int FRangeAnchor = -1;
  int FRangeEnd = -1;
  bool FRangeKnown = false;
  bool FSelecting = false;   // the class library changes the selection itself
  bool FClickTaken = false;  // a press the window never saw: its release clicks
  std::string FDispText;     // the text last handed to the control
  std::unique_ptr<TListItem> FTempItem;
  TCanvas FCanvas;
};

class TPageControl;

// One page of a page control: a container shown while it is the active page. Its caption is the text
// of its tab.
class TTabSheet : public TWinControl {
 public:
  explicit TTabSheet(TComponent* AOwner);
  ~TTabSheet() override;
  TPageControl* PageControl() const { return FPageControl; }
  // Takes the page out of its page control and appends it to Value's pages.
  void SetPageControl(TPageControl* Value);
  // The page's position among its page control's pages; -1 without one.
  int PageIndex() const;
  // A page without a tab is never shown by its tab nor chosen by SelectNextPage.
  bool TabVisible() const { return FTabVisible; }
  void SetTabVisible(bool Value);

 protected:
  void Dispatch(TMessage& Message) override;

 private:
  friend class TPageControl;
  TPageControl* FPageControl = nullptr;
  bool FTabVisible = true;
};

// Pages under a row of tabs; exactly the active page is visible. The first page added becomes active.
class TPageControl : public TWinControl {
 public:
  explicit TPageControl(TComponent* AOwner);
  ~TPageControl() override;
  int PageCount() const { return static_cast<int>(FPages.size()); }
  TTabSheet* Pages(int Index) const;  // EListError outside 0..Count-1
  TTabSheet* ActivePage() const { return FActivePage; }
  // Shows Value and hides the page shown before; a page of another page control raises EComponentError.
  void SetActivePage(TTabSheet* Value);
  int ActivePageIndex() const { return FActivePage ? FActivePage->PageIndex() : -1; }
  void SetActivePageIndex(int Value);
  // The page after (or before) Current, from the last to the first and back, skipping pages without a
  // tab when CheckTabVisible; nullptr when there is no such page. A Current of nullptr starts at the end.
  TTabSheet* FindNextPage(TTabSheet* Current, bool GoForward, bool CheckTabVisible) const;
  // Makes the next (or previous) page with a tab active.
  void SelectNextPage(bool GoForward);
  // The user chose another tab.
  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;

 private:
  friend class TTabSheet;
  void InsertPage(TTabSheet* Page);
  void RemovePage(TTabSheet* Page);
  // The tabs anew from the pages, and the active page's tab selected.
  void ShowTabs();
  void SelectTab();
  // Every page takes the area below the tabs.
  void PlacePages();
  std::vector<TTabSheet*> TabPages() const;

  std::vector<TTabSheet*> FPages;
  TTabSheet* FActivePage = nullptr;
  bool FTabsFromCode = false;  // the control's notices of a change the code made
};

class TToolButtonActionLink : public TControlActionLink {
 public:
  using TControlActionLink::TControlActionLink;
};

// A flat button of a tool bar: a thin raised edge and the caption in its middle; a click fires OnClick.
class TToolButton : public TGraphicControl {
 public:
  explicit TToolButton(TComponent* AOwner);
  void Paint(TCanvas* Canvas) override;

 protected:
  void Dispatch(TMessage& Message) override;
  TControlActionLinkClass GetActionLinkClass() override { return NewActionLink<TToolButtonActionLink>; }
};

class TComboBoxExActionLink : public TWinControlActionLink {
 public:
  using TWinControlActionLink::TWinControlActionLink;
};

// The system's extended combo box, as a drop-down list of Items.
class TComboBoxEx : public TWinControl {
 public:
  explicit TComboBoxEx(TComponent* AOwner);
  TStrings* Items() { return &FItems; }
  int ItemIndex();
  void SetItemIndex(int Value);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  TControlActionLinkClass GetActionLinkClass() override { return NewActionLink<TComboBoxExActionLink>; }

 private:
  // The window's entries anew from Items.
  void ShowItems();
  TStringList FItems;
  int FItemIndex = -1;
};

void RegisterComCtrls();
