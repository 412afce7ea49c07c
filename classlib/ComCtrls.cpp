#include "classlib/ComCtrls.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdlib>
#include <numeric>

#include "classlib/Forms.h"
#include "classlib/TypInfo.h"

// ---------------------------------------------------------------------------------------------
// TTrackBar

TTrackBar::TTrackBar(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(0, 0, 150, 45);
  SetTabStop(true);
  FClickEvents = false;
}

void TTrackBar::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, TRACKBAR_CLASSA);
  Params.Style |= FOrientation == trVertical ? TBS_VERT : TBS_HORZ;
  Params.Style |= FTickStyle == tsNone ? TBS_NOTICKS : TBS_AUTOTICKS;
}

void TTrackBar::CreateWnd() {
  TWinControl::CreateWnd();
  SendMessageA(FHandle, TBM_SETRANGEMIN, FALSE, FMin);
  SendMessageA(FHandle, TBM_SETRANGEMAX, FALSE, FMax);
  SendMessageA(FHandle, TBM_SETTICFREQ, static_cast<WPARAM>(FFrequency), 0);
  SendMessageA(FHandle, TBM_SETPOS, TRUE, FPosition);
}

void TTrackBar::SetMin(int Value) {
  FMin = Value;
  if (FHandle) SendMessageA(FHandle, TBM_SETRANGEMIN, TRUE, Value);
  if (FPosition < Value) SetPosition(Value);
}

void TTrackBar::SetMax(int Value) {
  FMax = Value;
  if (FHandle) SendMessageA(FHandle, TBM_SETRANGEMAX, TRUE, Value);
  if (FPosition > Value) SetPosition(Value);
}

int TTrackBar::Position() {
  if (FHandle) FPosition = static_cast<int>(SendMessageA(FHandle, TBM_GETPOS, 0, 0));
  return FPosition;
}

void TTrackBar::SetPosition(int Value) {
  Value = std::clamp(Value, FMin, std::max(FMin, FMax));
  if (Value == Position()) return;
  FPosition = Value;
  if (FHandle) SendMessageA(FHandle, TBM_SETPOS, TRUE, Value);
  if (OnChange) OnChange(this);
}

void TTrackBar::SetFrequency(int Value) {
  FFrequency = Value;
  if (FHandle) SendMessageA(FHandle, TBM_SETTICFREQ, static_cast<WPARAM>(Value), 0);
}

void TTrackBar::SetTickStyle(TTickStyle Value) {
  FTickStyle = Value;
  RecreateWnd();
}

void TTrackBar::SetOrientation(TTrackBarOrientation Value) {
  FOrientation = Value;
  RecreateWnd();
}

void TTrackBar::Dispatch(TMessage& Message) {
  if (Message.Msg == CN_HSCROLL || Message.Msg == CN_VSCROLL) {
    const int Old = FPosition;
    if (Position() != Old && OnChange) OnChange(this);
    return;
  }
  TWinControl::Dispatch(Message);
}

// ---------------------------------------------------------------------------------------------
// TProgressBar

TProgressBar::TProgressBar(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(0, 0, 150, 16);
}

void TProgressBar::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, PROGRESS_CLASSA);
}

void TProgressBar::CreateWnd() {
  TWinControl::CreateWnd();
  ShowRange();
}

void TProgressBar::ShowRange() {
  if (!FHandle) return;
  SendMessageA(FHandle, PBM_SETRANGE32, static_cast<WPARAM>(FMin), FMax);
  SendMessageA(FHandle, PBM_SETPOS, static_cast<WPARAM>(FPosition), 0);
}

void TProgressBar::SetMin(int Value) {
  FMin = Value;
  FPosition = std::max(FPosition, FMin);
  ShowRange();
}

void TProgressBar::SetMax(int Value) {
  FMax = Value;
  FPosition = std::clamp(FPosition, FMin, std::max(FMin, FMax));
  ShowRange();
}

void TProgressBar::SetPosition(int Value) {
  FPosition = std::clamp(Value, FMin, std::max(FMin, FMax));
  if (FHandle) SendMessageA(FHandle, PBM_SETPOS, static_cast<WPARAM>(FPosition), 0);
}

// ---------------------------------------------------------------------------------------------
// Columns and items

void TListColumn::SetCaption(const std::string& Value) {
  FCaption = Value;
  Changed();
}

int TListColumn::Width() const {
  const int Shown = static_cast<TListColumns*>(Collection())->ListView()->ColumnWidth(Index());
  return Shown >= 0 ? Shown : FWidth;
}

void TListColumn::SetWidth(int Value) {
  FWidth = Value;
  TListView* View = static_cast<TListColumns*>(Collection())->ListView();
  if (View->ColumnWidth(Index()) >= 0)
    SendMessageA(View->Handle(), LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(Index()), Value);
  else
    Changed();
}

void TListColumn::SetAlignment(TAlignment Value) {
  FAlignment = Value;
  Changed();
}

TListColumns::TListColumns(TListView* Owner)
    : TCollection([Owner](TCollection* C) { return Owner->CreateListColumn(C); }), FOwner(Owner) {}

void TListColumns::Update(TCollectionItem* Item) {
  // One column changed: the others keep the widths the user gave them.
  if (!Item || !FOwner->UpdateColumn(static_cast<TListColumn*>(Item))) FOwner->ShowColumns();
}

bool TListItem::Selected() const {
  if (!FOwner->HandleAllocated()) return FOwner->FItemIndex == FIndex;
  return SendMessageA(FOwner->Handle(), LVM_GETITEMSTATE, static_cast<WPARAM>(FIndex), LVIS_SELECTED) != 0;
}

bool TListItem::Checked() const {
  if (!FOwner->HandleAllocated() || FIndex < 0) return FChecked;
  const auto State =
      SendMessageA(FOwner->Handle(), LVM_GETITEMSTATE, static_cast<WPARAM>(FIndex), LVIS_STATEIMAGEMASK);
  return (State & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
}

void TListItem::SetChecked(bool Value) {
  FChecked = Value;
  if (FOwner->HandleAllocated() && FIndex >= 0) FOwner->ShowChecked(FIndex, Value);
}

void TListItem::Assign(TPersistent* Source) {
  auto* Item = dynamic_cast<TListItem*>(Source);
  if (!Item) {
    TPersistent::Assign(Source);
    return;
  }
  Caption = Item->Caption;
  Data = Item->Data;
  FSubItems.Assign(Item->SubItems());
  SetChecked(Item->Checked());
}

int TListItems::Count() const {
  return FOwner->FOwnerData ? FCount : static_cast<int>(FItems.size());
}

void TListItems::SetCount(int Value) {
  FCount = Value;
  if (FOwner->FHandle) SendMessageA(FOwner->FHandle, LVM_SETITEMCOUNT, static_cast<WPARAM>(Value), 0);
}

TListItem* TListItems::Add() {
  FItems.emplace_back(FOwner->CreateListItem(static_cast<int>(FItems.size())));
  if (FOwner->FHandle) {
    LVITEMA Item{};
    Item.mask = LVIF_TEXT;
    Item.iItem = static_cast<int>(FItems.size()) - 1;
    Item.pszText = LPSTR_TEXTCALLBACKA;
    SendMessageA(FOwner->FHandle, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&Item));
  }
  return FItems.back().get();
}

TListItem* TListItems::Item(int Index) {
  if (Index < 0 || Index >= static_cast<int>(FItems.size()))
    throw EListError(Format(L"List index out of bounds (%d)", {Index}));
  return FItems[static_cast<size_t>(Index)].get();
}

void TListItems::Delete(int Index) {
  Item(Index);
  FItems.erase(FItems.begin() + Index);
  Renumber();
  if (FOwner->FHandle) SendMessageA(FOwner->FHandle, LVM_DELETEITEM, static_cast<WPARAM>(Index), 0);
}

void TListItems::Renumber() {
  for (size_t I = 0; I < FItems.size(); ++I) FItems[I]->FIndex = static_cast<int>(I);
}

void TListItems::Clear() {
  FItems.clear();
  FCount = 0;
  if (FOwner->FHandle) SendMessageA(FOwner->FHandle, LVM_DELETEALLITEMS, 0, 0);
}

void TListItems::BeginUpdate() {
  if (FUpdateCount++ == 0 && FOwner->FHandle) SendMessageA(FOwner->FHandle, WM_SETREDRAW, FALSE, 0);
}

void TListItems::EndUpdate() {
  if (FUpdateCount == 0 || --FUpdateCount > 0 || !FOwner->FHandle) return;
  SendMessageA(FOwner->FHandle, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(FOwner->FHandle, nullptr, TRUE);
}

// ---------------------------------------------------------------------------------------------
// TListView

TListView::TListView(TComponent* AOwner) : TCustomListControl(AOwner) {
  SetBounds(0, 0, 250, 150);
  SetColor(clWindow);
  SetTabStop(true);
  FClickEvents = false;
}

TListView::~TListView() {
  DestroyHandle();
}

void TListView::AddItem(const std::string& Item, TObject* AObject) {
  TListItem* Row = Items()->Add();
  Row->Caption = Item;
  Row->Data = AObject;
}

void TListView::CopySelection(TCustomListControl* Destination) {
  ForEachSelected([Destination](TListItem* Item) { Destination->AddItem(Item->Caption, Item->Data); });
}

void TListView::ForEachSelected(const std::function<void(TListItem* Item)>& Action) {
  if (!FHandle) {
    if (TListItem* Item = DispInfoItem(FItemIndex)) Action(Item);
    return;
  }
  for (int Row = -1; (Row = static_cast<int>(SendMessageA(FHandle, LVM_GETNEXTITEM, static_cast<WPARAM>(Row),
                                                          LVNI_SELECTED))) >= 0;)
    if (TListItem* Item = DispInfoItem(Row)) Action(Item);
}

TListColumns* TListView::Columns() {
  if (!FColumns) FColumns = CreateListColumns();
  return FColumns.get();
}

TListItems* TListView::Items() {
  if (!FItems) FItems = CreateListItems();
  return FItems.get();
}

std::unique_ptr<TListColumns> TListView::CreateListColumns() {
  return std::make_unique<TListColumns>(this);
}

TListColumn* TListView::CreateListColumn(TCollection* Collection) {
  return new TListColumn(Collection);
}

std::unique_ptr<TListItems> TListView::CreateListItems() {
  return std::make_unique<TListItems>(this);
}

TListItem* TListView::CreateListItem(int Index) {
  TListItemClass ItemClass = [](TListView* Owner, int At) { return new TListItem(Owner, At); };
  if (OnCreateItemClass) OnCreateItemClass(this, ItemClass);
  return ItemClass(this, Index);
}

void TListView::OwnerDataFetch(TListItem* Item) {
  if (OnData) OnData(this, Item);
}

namespace {

TItemFind FindKind(UINT Flags) {
  if (Flags & LVFI_PARAM) return ifData;
  if (Flags & LVFI_PARTIAL) return ifPartialString;
  if (Flags & LVFI_STRING) return ifExactString;
  return ifNearest;
}

}  // namespace

int TListView::OwnerDataFind(TItemFind Find, const std::string& FindString, int StartIndex, bool Wrap) {
  int Index = -1;
  if (OnDataFind) OnDataFind(this, Find, FindString, StartIndex, Wrap, Index);
  return Index;
}

TListItem* TListView::TempItem() {
  if (!FTempItem) FTempItem.reset(CreateListItem(-1));
  return FTempItem.get();
}

TListItem* TListView::DispInfoItem(int Row) {
  if (!FOwnerData) return Row >= 0 && Row < Items()->Count() ? Items()->Item(Row) : nullptr;
  if (Row < 0 || Row >= Items()->Count()) return nullptr;
  TListItem* Item = TempItem();
  Item->FIndex = Row;
  Item->Caption.clear();
  Item->SubItems()->Clear();
  OwnerDataFetch(Item);
  return Item;
}

void TListView::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, WC_LISTVIEWA);
  constexpr DWORD Views[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
  Params.Style |= Views[FViewStyle] | LVS_SHAREIMAGELISTS;
  if (FOwnerData) Params.Style |= LVS_OWNERDATA;
  if (!FMultiSelect) Params.Style |= LVS_SINGLESEL;
  if (!FHideSelection) Params.Style |= LVS_SHOWSELALWAYS;
  if (!FReadOnly) Params.Style |= LVS_EDITLABELS;
  if (FOwnerDraw) Params.Style |= LVS_OWNERDRAWFIXED;
  Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TListView::CreateWnd() {
  TWinControl::CreateWnd();
  UpdateExStyle();
  ShowColumns();
  ShowItems();
  SetItemIndex(FItemIndex);
  // The new window starts at the row the old one showed first.
  RECT Row{LVIR_BOUNDS, 0, 0, 0};
  if (FTopIndex > 0 && SendMessageA(FHandle, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&Row)))
    SendMessageA(FHandle, LVM_SCROLL, 0, FTopIndex * (Row.bottom - Row.top));
}

void TListView::DestroyWnd() {
  FItemIndex = ItemIndex();
  FTopIndex = TopIndex();
  if (FCheckboxes && !FOwnerData)
    for (const auto& Item : Items()->FItems) Item->FChecked = Item->Checked();
  // A new window shows the columns as wide as the user left them.
  for (int I = 0; I < Columns()->Count(); ++I)
    if (const int Shown = ColumnWidth(I); Shown >= 0) Columns()->Items(I)->FWidth = Shown;
  TWinControl::DestroyWnd();
}

void TListView::UpdateExStyle() {
  if (!FHandle) return;
  DWORD Style = 0;
  if (FRowSelect) Style |= LVS_EX_FULLROWSELECT;
  if (FGridLines) Style |= LVS_EX_GRIDLINES;
  if (FCheckboxes) Style |= LVS_EX_CHECKBOXES;
  SendMessageA(FHandle, LVM_SETEXTENDEDLISTVIEWSTYLE,
               LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES, Style);
}

void TListView::ShowChecked(int Index, bool Checked) {
  LVITEMA State{};
  State.stateMask = LVIS_STATEIMAGEMASK;
  State.state = INDEXTOSTATEIMAGEMASK(Checked ? 2 : 1);
  SendMessageA(FHandle, LVM_SETITEMSTATE, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&State));
}

namespace {

LVCOLUMNA ColumnInfo(const TListColumn* Column, std::string& Caption) {
  Caption = Column->Caption();
  LVCOLUMNA Info{};
  Info.mask = LVCF_TEXT | LVCF_FMT;
  Info.fmt = Column->Alignment() == taRightJustify ? LVCFMT_RIGHT
             : Column->Alignment() == taCenter     ? LVCFMT_CENTER
                                                   : LVCFMT_LEFT;
  Info.pszText = Caption.data();
  return Info;
}

}  // namespace

void TListView::ShowColumns() {
  if (!FHandle) return;
  while (SendMessageA(FHandle, LVM_DELETECOLUMN, 0, 0)) {
  }
  for (int I = 0; I < Columns()->Count(); ++I) {
    TListColumn* Column = Columns()->Items(I);
    std::string Caption;
    LVCOLUMNA Info = ColumnInfo(Column, Caption);
    Info.mask |= LVCF_WIDTH;
    Info.cx = Column->FWidth;
    SendMessageA(FHandle, LVM_INSERTCOLUMNA, static_cast<WPARAM>(I), reinterpret_cast<LPARAM>(&Info));
  }
}

bool TListView::UpdateColumn(const TListColumn* Column) {
  if (ColumnWidth(Column->Index()) < 0) return false;
  std::string Caption;
  LVCOLUMNA Info = ColumnInfo(Column, Caption);
  SendMessageA(FHandle, LVM_SETCOLUMNA, static_cast<WPARAM>(Column->Index()),
               reinterpret_cast<LPARAM>(&Info));
  return true;
}

int TListView::ColumnWidth(int Index) const {
  if (!FHandle || Index < 0) return -1;
  LVCOLUMNA Info{};
  Info.mask = LVCF_WIDTH;
  if (!SendMessageA(FHandle, LVM_GETCOLUMNA, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&Info)))
    return -1;
  return Info.cx;
}

void TListView::ShowItems() {
  if (FOwnerData) {
    SendMessageA(FHandle, LVM_SETITEMCOUNT, static_cast<WPARAM>(Items()->FCount), 0);
    return;
  }
  for (size_t I = 0; I < Items()->FItems.size(); ++I) {
    LVITEMA Item{};
    Item.mask = LVIF_TEXT;
    Item.iItem = static_cast<int>(I);
    Item.pszText = LPSTR_TEXTCALLBACKA;
    SendMessageA(FHandle, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&Item));
    if (FCheckboxes && Items()->FItems[I]->FChecked) ShowChecked(static_cast<int>(I), true);
  }
}

void TListView::SetViewStyle(TViewStyle Value) {
  FViewStyle = Value;
  RecreateWnd();
}

void TListView::SetOwnerData(bool Value) {
  FOwnerData = Value;
  RecreateWnd();
}

void TListView::SetRowSelect(bool Value) {
  FRowSelect = Value;
  UpdateExStyle();
}

void TListView::SetMultiSelect(bool Value) {
  FMultiSelect = Value;
  RecreateWnd();
}

void TListView::SetGridLines(bool Value) {
  FGridLines = Value;
  UpdateExStyle();
}

void TListView::SetHideSelection(bool Value) {
  FHideSelection = Value;
  RecreateWnd();
}

void TListView::SetOwnerDraw(bool Value) {
  FOwnerDraw = Value;
  RecreateWnd();
}

void TListView::SetCheckboxes(bool Value) {
  if (FCheckboxes == Value) return;
  if (!Value && !FOwnerData)
    for (const auto& Item : Items()->FItems) Item->FChecked = Item->Checked();
  FCheckboxes = Value;
  UpdateExStyle();
  if (!Value || !FHandle || FOwnerData) return;
  for (const auto& Item : Items()->FItems)
    if (Item->FChecked) ShowChecked(Item->FIndex, true);
}

void TListView::SetReadOnly(bool Value) {
  FReadOnly = Value;
  RecreateWnd();
}

int TListView::ItemIndex() {
  if (!FHandle) return FItemIndex;
  return static_cast<int>(SendMessageA(FHandle, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void TListView::SetItemIndex(int Value) {
  FItemIndex = Value;
  if (!FHandle) return;
  LVITEMA State{};
  State.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(FHandle, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&State));
  if (Value < 0) return;
  State.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(FHandle, LVM_SETITEMSTATE, static_cast<WPARAM>(Value), reinterpret_cast<LPARAM>(&State));
}

int TListView::SelCount() {
  if (!FHandle) return FItemIndex >= 0 ? 1 : 0;
  return static_cast<int>(SendMessageA(FHandle, LVM_GETSELECTEDCOUNT, 0, 0));
}

int TListView::TopIndex() {
  return FHandle ? static_cast<int>(SendMessageA(FHandle, LVM_GETTOPINDEX, 0, 0)) : 0;
}

void TListView::EnsureVisible(int Index) {
  if (FHandle) SendMessageA(FHandle, LVM_ENSUREVISIBLE, static_cast<WPARAM>(Index), FALSE);
}

void TListView::AlphaSort(intptr_t Data) {
  auto& Rows = FItems->FItems;
  // The window keeps the selection by row, so it is read before and set again after.
  constexpr UINT Kept = LVIS_SELECTED | LVIS_FOCUSED;
  std::vector<UINT> States(Rows.size(), 0);
  if (FHandle)
    for (size_t I = 0; I < Rows.size(); ++I)
      States[I] = static_cast<UINT>(SendMessageA(FHandle, LVM_GETITEMSTATE, I, Kept));
  std::stable_sort(Rows.begin(), Rows.end(),
                   [&](const auto& A, const auto& B) { return CompareItems(A.get(), B.get(), Data) < 0; });
  if (FHandle) {
    for (size_t I = 0; I < Rows.size(); ++I) {
      LVITEMA State{};
      State.stateMask = Kept;
      State.state = States[static_cast<size_t>(Rows[I]->FIndex)];
      SendMessageA(FHandle, LVM_SETITEMSTATE, I, reinterpret_cast<LPARAM>(&State));
    }
    InvalidateRect(FHandle, nullptr, TRUE);
  }
  FItems->Renumber();
}

int TListView::CompareItems(TListItem* Item1, TListItem* Item2, intptr_t Data) {
  int Compare = 0;
  if (OnCompare)
    OnCompare(this, Item1, Item2, Data, Compare);
  else
    Compare = lstrcmpA(Item1->Caption.c_str(), Item2->Caption.c_str());
  return Compare;
}

void TListView::DrawItem(TListItem* Item, const RECT& Rect, UINT State) {
  if (OnDrawItem) {
    OnDrawItem(this, Item, Rect, State);
    return;
  }
  FCanvas.FillRect(Rect);
  FCanvas.TextOut(Rect.left + 2, Rect.top, Item->Caption);
}

void TListView::CNDrawItem(const DRAWITEMSTRUCT* Draw) {
  TListItem* Item = DispInfoItem(static_cast<int>(Draw->itemID));
  if (!Item) return;
  const bool Selected = (Draw->itemState & ODS_SELECTED) != 0;
  FCanvas.SetHandle(Draw->hDC);
  FCanvas.Font()->Assign(Font());
  FCanvas.Brush()->SetColor(Selected ? clHighlight : Color());
  if (Selected) FCanvas.Font()->SetColor(clHighlightText);
  try {
    DrawItem(Item, Draw->rcItem, Draw->itemState);
  } catch (...) {
    FCanvas.SetHandle(nullptr);
    throw;
  }
  FCanvas.SetHandle(nullptr);
}

void TListView::GetInfoTip(NMLVGETINFOTIPA* Tip) {
  TListItem* Item = DispInfoItem(Tip->iItem);
  if (!OnInfoTip || !Item || !Tip->pszText || Tip->cchTextMax <= 0) return;
  std::string Text = Tip->pszText;
  OnInfoTip(this, Item, Text);
  lstrcpynA(Tip->pszText, Text.c_str(), Tip->cchTextMax);
}

bool TListView::CanEdit(TListItem* Item) {
  bool AllowEdit = true;
  if (OnEditing) OnEditing(this, Item, AllowEdit);
  return AllowEdit;
}

void TListView::Edit(const LVITEMA& Request) {
  TListItem* Item = DispInfoItem(Request.iItem);
  if (!Item) return;
  std::string S = Request.pszText;
  if (OnEdited) OnEdited(this, Item, S);
  Item->Caption = S;
  if (FHandle) SendMessageA(FHandle, LVM_UPDATE, static_cast<WPARAM>(Request.iItem), 0);
}

void TListView::GetDispInfo(NMLVDISPINFOA* Info) {
  if (!(Info->item.mask & LVIF_TEXT)) return;
  TListItem* Item = DispInfoItem(Info->item.iItem);
  const int Sub = Info->item.iSubItem;
  FDispText = !Item                              ? ""
              : Sub == 0                         ? Item->Caption
              : Sub <= Item->SubItems()->Count() ? Item->SubItems()->Get(Sub - 1)
                                                 : "";
  Info->item.pszText = FDispText.data();
}

namespace {

bool IsMoveKey(WORD Key) {
  return Key == VK_UP || Key == VK_DOWN || Key == VK_HOME || Key == VK_END || Key == VK_PRIOR ||
         Key == VK_NEXT;
}

// At most so many rows are selected or cleared one by one, each drawn; more the window does undrawn.
constexpr int FewRows = 64;

// Sets Flag for its lifetime.
class TFlagSet {
 public:
  explicit TFlagSet(bool& Flag) : FFlag(Flag) { FFlag = true; }
  ~TFlagSet() { FFlag = false; }
  TFlagSet(const TFlagSet&) = delete;
  TFlagSet& operator=(const TFlagSet&) = delete;

 private:
  bool& FFlag;
};

}  // namespace

bool TListView::DoKeyDown(TMessage& Message) {
  if (TWinControl::DoKeyDown(Message)) return true;
  if (!FOwnerData || !FHandle || FViewStyle != vsReport) return false;
  const WORD Key = static_cast<WORD>(Message.WParam);
  const TShiftState Shift = KeyboardShiftState();
  if (FMultiSelect && (Shift & ssShift) && !(Shift & ssAlt) && IsMoveKey(Key))
    return SelectRangeByKey(Message);
  FRangeKnown = false;
  ClearSelectionBeforeMove(Key);
  return false;
}

int TListView::FocusedRow() {
  return static_cast<int>(SendMessageA(FHandle, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

bool TListView::SelectRangeByKey(TMessage& Message) {
  // Wine's control clears an owner-data selection row by row over the whole list before it selects the
  // rows from the anchor to the row a Shift key reaches, and draws each row it selects: a second at a
  // million rows.
  const WORD Key = static_cast<WORD>(Message.WParam);
  const int Focused = FocusedRow();
  const int Last = Items()->Count() - 1;
  if (Focused >= 0 && Key != VK_PRIOR && Key != VK_NEXT) {
    const int Target = Key == VK_HOME ? 0 : Key == VK_END ? Last : Focused + (Key == VK_DOWN ? 1 : -1);
    if (Target < 0 || Target > Last) return false;  // leads nowhere: nothing changes
    if (IsRangeKnown(Focused, Target)) {
      MoveRangeEnd(Target);
      return true;
    }
  }
  // From one end of the list to the other every row is selected, which the window does fastest.
  const int Mark = static_cast<int>(SendMessageA(FHandle, LVM_GETSELECTIONMARK, 0, 0));
  if (Last > 0 && ((Key == VK_END && Mark == 0) || (Key == VK_HOME && Mark == Last))) {
    SelectUndrawn([this, Key, Last] {
      SelectEveryRow();
      LVITEMA State{};
      const int Target = Key == VK_END ? Last : 0;
      State.state = State.stateMask = LVIS_FOCUSED;
      SendMessageA(FHandle, LVM_SETITEMSTATE, static_cast<WPARAM>(Target), reinterpret_cast<LPARAM>(&State));
      SendMessageA(FHandle, LVM_ENSUREVISIBLE, static_cast<WPARAM>(Target), FALSE);
    });
    return true;
  }
  SelectUndrawn([this, &Message] { DefaultHandler(Message); });
  return true;
}

void TListView::SelectRangeByClick(TMessage& Message, int Clicked) {
  if (IsRangeKnown(FocusedRow(), Clicked)) {
    if (GetFocus() != FHandle) ::SetFocus(FHandle);
    MoveRangeEnd(Clicked);
    FClickTaken = true;
    if (OnMouseDown)  // the window does not see the press
      OnMouseDown(this, mbLeft, MouseShiftState(Message.WParam), GET_X_LPARAM(Message.LParam),
                  GET_Y_LPARAM(Message.LParam));
    return;
  }
  SelectUndrawn([this, &Message] { TWinControl::Dispatch(Message); });
}

bool TListView::IsRangeKnown(int Focused, int Target) {
  if (Focused < 0 || std::abs(Target - Focused) > FewRows) return false;
  const LRESULT Mark = SendMessageA(FHandle, LVM_GETSELECTIONMARK, 0, 0);
  const LRESULT Selected = SendMessageA(FHandle, LVM_GETSELECTEDCOUNT, 0, 0);
  // The focused row alone selected, and the anchor, is a range as a click leaves it.
  if (Selected == 1 && Mark == Focused &&
      SendMessageA(FHandle, LVM_GETITEMSTATE, static_cast<WPARAM>(Focused), LVIS_SELECTED)) {
    FRangeAnchor = FRangeEnd = Focused;
    FRangeKnown = true;
  }
  return FRangeKnown && Focused == FRangeEnd && Mark == FRangeAnchor &&
         Selected == std::abs(FRangeEnd - FRangeAnchor) + 1;
}

void TListView::MoveRangeEnd(int Target) {
  const TFlagSet Selecting(FSelecting);
  const int Anchor = FRangeAnchor;
  const int Old = FRangeEnd;
  const auto Within = [Anchor](int Row, int End) {
    return std::min(Anchor, End) <= Row && Row <= std::max(Anchor, End);
  };
  LVITEMA State{};
  State.stateMask = LVIS_SELECTED;
  for (int Row = std::min(Old, Target); Row <= std::max(Old, Target); ++Row) {
    const bool Selected = Within(Row, Target);
    if (Selected == Within(Row, Old)) continue;
    State.state = Selected ? LVIS_SELECTED : 0;
    SendMessageA(FHandle, LVM_SETITEMSTATE, static_cast<WPARAM>(Row), reinterpret_cast<LPARAM>(&State));
  }
  State.state = State.stateMask = LVIS_FOCUSED;
  SendMessageA(FHandle, LVM_SETITEMSTATE, static_cast<WPARAM>(Target), reinterpret_cast<LPARAM>(&State));
  SendMessageA(FHandle, LVM_SETSELECTIONMARK, 0, Anchor);
  SendMessageA(FHandle, LVM_ENSUREVISIBLE, static_cast<WPARAM>(Target), FALSE);
  FRangeEnd = Target;
}

void TListView::SelectUndrawn(const std::function<void()>& Handle) {
  {
    const TFlagSet Selecting(FSelecting);
    SendMessageA(FHandle, WM_SETREDRAW, FALSE, 0);
    try {
      if (SendMessageA(FHandle, LVM_GETSELECTEDCOUNT, 0, 0) > 0) ForgetSelectionUndrawn(FocusedRow());
      Handle();
    } catch (...) {
      SendMessageA(FHandle, WM_SETREDRAW, TRUE, 0);
      InvalidateRect(FHandle, nullptr, TRUE);
      throw;
    }
    SendMessageA(FHandle, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(FHandle, nullptr, TRUE);
  }
  RememberRange();
}

void TListView::RememberRange() {
  FRangeAnchor = static_cast<int>(SendMessageA(FHandle, LVM_GETSELECTIONMARK, 0, 0));
  FRangeEnd = FocusedRow();
  FRangeKnown = FRangeAnchor >= 0 && FRangeEnd >= 0 &&
                SendMessageA(FHandle, LVM_GETSELECTEDCOUNT, 0, 0) == std::abs(FRangeEnd - FRangeAnchor) + 1;
}

std::vector<int> TListView::SelectedIndexes() {
  std::vector<int> Rows;
  if (!FHandle) {
    if (FItemIndex >= 0) Rows.push_back(FItemIndex);
    return Rows;
  }
  // Every row, or the range the class library selected, is known without asking the window row by row.
  const int Selected = static_cast<int>(SendMessageA(FHandle, LVM_GETSELECTEDCOUNT, 0, 0));
  const int Focused = FocusedRow();
  if (Selected == Items()->Count() || IsRangeKnown(Focused, Focused)) {
    const int First = Selected == Items()->Count() ? 0 : std::min(FRangeAnchor, FRangeEnd);
    Rows.resize(static_cast<size_t>(Selected));
    std::iota(Rows.begin(), Rows.end(), First);
    return Rows;
  }
  // Asked of the window's own procedure: each message through the class library's costs Wine a trip to
  // its server.
  Rows.reserve(static_cast<size_t>(Selected));
  for (int Row = -1; (Row = static_cast<int>(CallWindowProcA(DefWndProc(), FHandle, LVM_GETNEXTITEM,
                                                             static_cast<WPARAM>(Row), LVNI_SELECTED))) >= 0;)
    Rows.push_back(Row);
  return Rows;
}

void TListView::SelectAll() {
  // Wine's control sets each row's state and draws each row; undrawn, a million rows take a fraction of a
  // second.
  if (!FHandle) return;
  FRangeKnown = false;
  const TFlagSet Selecting(FSelecting);
  SendMessageA(FHandle, WM_SETREDRAW, FALSE, 0);
  SelectEveryRow();
  SendMessageA(FHandle, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(FHandle, nullptr, TRUE);
}

void TListView::SelectEveryRow() {
  LVITEMA State{};
  State.state = State.stateMask = LVIS_SELECTED;
  SendMessageA(FHandle, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&State));
}

void TListView::ClearSelectionBeforeMove(WORD Key) {
  // A key with Shift or Ctrl keeps or extends the selection, and a key that leads nowhere keeps it.
  if (KeyboardShiftState() & (ssShift | ssCtrl | ssAlt)) return;
  const int Focused =
      static_cast<int>(SendMessageA(FHandle, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
  const int Last = static_cast<int>(SendMessageA(FHandle, LVM_GETITEMCOUNT, 0, 0)) - 1;
  const bool Up = Key == VK_UP || Key == VK_HOME || Key == VK_PRIOR;
  const bool Down = Key == VK_DOWN || Key == VK_END || Key == VK_NEXT;
  if ((Up && Focused > 0) || (Down && Focused >= 0 && Focused < Last)) ClearSelectionFirst(-1);
}

void TListView::ClearSelectionFirst(int Clicked) {
  // Wine's control clears the selection of an owner-data list row by row before it selects what a key or
  // a click chose, some 300 ms at a million rows; with no row selected it has nothing to clear.
  const int Selected = static_cast<int>(SendMessageA(FHandle, LVM_GETSELECTEDCOUNT, 0, 0));
  if (Selected == 0) return;
  const int Focused =
      static_cast<int>(SendMessageA(FHandle, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
  if (Selected == 1) {
    if (Focused < 0 || !SendMessageA(FHandle, LVM_GETITEMSTATE, static_cast<WPARAM>(Focused), LVIS_SELECTED))
      return;
    LVITEMA State{};
    State.stateMask = LVIS_SELECTED;
    SendMessageA(FHandle, LVM_SETITEMSTATE, static_cast<WPARAM>(Focused), reinterpret_cast<LPARAM>(&State));
    return;
  }
  // A click on one of several selected rows may start dragging them all.
  if (Clicked >= 0 && SendMessageA(FHandle, LVM_GETITEMSTATE, static_cast<WPARAM>(Clicked), LVIS_SELECTED))
    return;
  ForgetSelection(Focused);
}

void TListView::ForgetSelection(int Focused) {
  // An owner-data list forgets its whole selection at once when its count drops to 0. Not drawn meanwhile,
  // it keeps its first row shown; the focus and the selection's anchor are set back, and of the rows only
  // those shown selected are drawn again (drawing all of them takes Wine some 50 ms).
  const int Count = static_cast<int>(SendMessageA(FHandle, LVM_GETITEMCOUNT, 0, 0));
  const int Top = TopIndex();
  const int Bottom =
      std::min(Count, Top + static_cast<int>(SendMessageA(FHandle, LVM_GETCOUNTPERPAGE, 0, 0)) + 1);
  std::vector<RECT> ShownSelected;
  for (int Row = Top; Row < Bottom; ++Row) {
    RECT Box{LVIR_BOUNDS, 0, 0, 0};
    if (SendMessageA(FHandle, LVM_GETITEMSTATE, static_cast<WPARAM>(Row), LVIS_SELECTED) &&
        SendMessageA(FHandle, LVM_GETITEMRECT, static_cast<WPARAM>(Row), reinterpret_cast<LPARAM>(&Box)))
      ShownSelected.push_back(Box);
  }
  SendMessageA(FHandle, WM_SETREDRAW, FALSE, 0);
  ForgetSelectionUndrawn(Focused);
  SendMessageA(FHandle, WM_SETREDRAW, TRUE, 0);
  ValidateRect(FHandle, nullptr);
  if (TopIndex() != Top) {  // a control that went back to its first row is put back and drawn whole
    RECT Row{LVIR_BOUNDS, 0, 0, 0};
    if (SendMessageA(FHandle, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&Row)))
      SendMessageA(FHandle, LVM_SCROLL, 0, (Top - TopIndex()) * (Row.bottom - Row.top));
    InvalidateRect(FHandle, nullptr, TRUE);
    return;
  }
  for (const RECT& Box : ShownSelected) InvalidateRect(FHandle, &Box, TRUE);
}

void TListView::ForgetSelectionUndrawn(int Focused) {
  const int Count = static_cast<int>(SendMessageA(FHandle, LVM_GETITEMCOUNT, 0, 0));
  const LRESULT Mark = SendMessageA(FHandle, LVM_GETSELECTIONMARK, 0, 0);
  SendMessageA(FHandle, LVM_SETITEMCOUNT, 0, LVSICF_NOSCROLL);
  SendMessageA(FHandle, LVM_SETITEMCOUNT, static_cast<WPARAM>(Count), LVSICF_NOSCROLL);
  if (Focused >= 0) {
    LVITEMA State{};
    State.state = State.stateMask = LVIS_FOCUSED;
    SendMessageA(FHandle, LVM_SETITEMSTATE, static_cast<WPARAM>(Focused), reinterpret_cast<LPARAM>(&State));
  }
  SendMessageA(FHandle, LVM_SETSELECTIONMARK, 0, Mark);
}

namespace {

// Messages by which the window's selection may change other than through the class library's keys and
// clicks.
bool MayChangeSelection(UINT Msg) {
  switch (Msg) {
    case WM_CHAR:
    case WM_RBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case LVM_SETITEMSTATE:
    case LVM_SETITEMCOUNT:
    case LVM_SETSELECTIONMARK:
    case LVM_DELETEITEM:
    case LVM_DELETEALLITEMS:
    case LVM_INSERTITEMA:
    case LVM_INSERTITEMW:
    case LVM_SETITEMA:
    case LVM_SETITEMW:
      return true;
    default:
      return false;
  }
}

}  // namespace

void TListView::Dispatch(TMessage& Message) {
  if (!FSelecting && MayChangeSelection(Message.Msg)) FRangeKnown = false;
  if (Message.Msg == WM_LBUTTONUP && FClickTaken) {
    FClickTaken = false;
    Click();
  }
  if (Message.Msg == WM_LBUTTONDOWN && FOwnerData && FHandle && FViewStyle == vsReport) {
    LVHITTESTINFO Hit{};
    Hit.pt = {GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
    SendMessageA(FHandle, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&Hit));
    // Shift with a click selects from the anchor; a plain click leaves the row clicked selected alone, or
    // none beside the rows.
    if (FMultiSelect && (Message.WParam & MK_SHIFT) && !(Message.WParam & MK_CONTROL) && Hit.iItem >= 0) {
      SelectRangeByClick(Message, Hit.iItem);
      return;
    }
    FRangeKnown = false;
    if (!(Message.WParam & (MK_SHIFT | MK_CONTROL))) ClearSelectionFirst(Hit.iItem);
  }
  // The control answers a double click with NM_DBLCLK, the one place that fires OnDblClick.
  if (Message.Msg == WM_LBUTTONDBLCLK) {
    DefaultHandler(Message);
    return;
  }
  if (Message.Msg == CN_DRAWITEM) {
    CNDrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(Message.LParam));
    Message.Result = TRUE;
    return;
  }
  if (Message.Msg != CN_NOTIFY) {
    TWinControl::Dispatch(Message);
    return;
  }
  auto* Header = reinterpret_cast<NMHDR*>(Message.LParam);
  switch (Header->code) {
    case LVN_GETDISPINFOA:
      GetDispInfo(reinterpret_cast<NMLVDISPINFOA*>(Message.LParam));
      break;
    case LVN_ODFINDITEMA: {
      const auto* Request = reinterpret_cast<NMLVFINDITEMA*>(Message.LParam);
      const LVFINDINFOA& Info = Request->lvfi;
      const bool Text = (Info.flags & (LVFI_STRING | LVFI_PARTIAL)) && Info.psz;
      Message.Result = OwnerDataFind(FindKind(Info.flags), Text ? Info.psz : "", Request->iStart,
                                     (Info.flags & LVFI_WRAP) != 0);
      break;
    }
    case LVN_GETINFOTIPA:
      GetInfoTip(reinterpret_cast<NMLVGETINFOTIPA*>(Message.LParam));
      break;
    case LVN_BEGINLABELEDITA: {
      TListItem* Item = DispInfoItem(reinterpret_cast<NMLVDISPINFOA*>(Message.LParam)->item.iItem);
      Message.Result = !Item || !CanEdit(Item);
      break;
    }
    case LVN_ENDLABELEDITA: {
      const LVITEMA& Request = reinterpret_cast<NMLVDISPINFOA*>(Message.LParam)->item;
      if (Request.pszText && Request.iItem != -1) Edit(Request);
      break;
    }
    case LVN_COLUMNCLICK: {
      const int Column = reinterpret_cast<NMLISTVIEW*>(Message.LParam)->iSubItem;
      if (OnColumnClick && Column >= 0 && Column < Columns()->Count())
        OnColumnClick(this, Columns()->Items(Column));
      break;
    }
    case NM_CLICK:
      Click();
      break;
    case NM_DBLCLK:
      if (OnDblClick) OnDblClick(this);
      break;
    default:
      break;
  }
}

// ---------------------------------------------------------------------------------------------
// TTabSheet and TPageControl

TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner) {
  SetVisible(false);
}

TTabSheet::~TTabSheet() {
  SetPageControl(nullptr);
}

void TTabSheet::SetPageControl(TPageControl* Value) {
  if (FPageControl == Value) return;
  if (FPageControl) FPageControl->RemovePage(this);
  SetParent(Value);
  if (Value) Value->InsertPage(this);
}

int TTabSheet::PageIndex() const {
  if (!FPageControl) return -1;
  const auto& Pages = FPageControl->FPages;
  return static_cast<int>(std::find(Pages.begin(), Pages.end(), this) - Pages.begin());
}

void TTabSheet::SetTabVisible(bool Value) {
  if (FTabVisible == Value) return;
  FTabVisible = Value;
  if (FPageControl) FPageControl->ShowTabs();
}

void TTabSheet::Dispatch(TMessage& Message) {
  TWinControl::Dispatch(Message);
  if (Message.Msg == CM_TEXTCHANGED && FPageControl) FPageControl->ShowTabs();
}

TPageControl::TPageControl(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(0, 0, 289, 193);
  SetTabStop(true);
  FClickEvents = false;
}

TPageControl::~TPageControl() {
  // The pages go with the child controls; they must not come back here.
  for (TTabSheet* Page : FPages) Page->FPageControl = nullptr;
  FPages.clear();
  FActivePage = nullptr;
}

TTabSheet* TPageControl::Pages(int Index) const {
  if (Index < 0 || Index >= PageCount()) throw EListError(Format(L"List index out of bounds (%d)", {Index}));
  return FPages[static_cast<size_t>(Index)];
}

void TPageControl::InsertPage(TTabSheet* Page) {
  FPages.push_back(Page);
  Page->FPageControl = this;
  if (!FActivePage)
    SetActivePage(Page);
  else
    Page->SetVisible(false);
  ShowTabs();
  PlacePages();
}

void TPageControl::RemovePage(TTabSheet* Page) {
  FPages.erase(std::find(FPages.begin(), FPages.end(), Page));
  Page->FPageControl = nullptr;
  const bool WasActive = FActivePage == Page;
  if (WasActive) FActivePage = nullptr;
  if (ComponentState() & csDestroying) return;  // no windows to make for a control that goes
  if (WasActive && !FPages.empty()) SetActivePage(FPages.front());
  ShowTabs();
}

void TPageControl::SetActivePage(TTabSheet* Value) {
  if (Value && Value->FPageControl != this)
    throw EComponentError("The page " + Value->Name() + " belongs to another page control");
  if (Value == FActivePage) return;
  TTabSheet* Old = FActivePage;
  FActivePage = Value;
  if (Value) Value->SetVisible(true);
  if (Old) Old->SetVisible(false);
  SelectTab();
}

void TPageControl::SetActivePageIndex(int Value) {
  SetActivePage(Value >= 0 && Value < PageCount() ? FPages[static_cast<size_t>(Value)] : nullptr);
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* Current, bool GoForward, bool CheckTabVisible) const {
  const int Count = PageCount();
  if (Count == 0) return nullptr;
  int Start = Current ? Current->PageIndex() : -1;
  if (Start < 0) Start = GoForward ? Count - 1 : 0;
  int I = Start;
  do {
    I = (I + (GoForward ? 1 : Count - 1)) % Count;
    TTabSheet* Page = FPages[static_cast<size_t>(I)];
    if (!CheckTabVisible || Page->TabVisible()) return Page;
  } while (I != Start);
  return nullptr;
}

void TPageControl::SelectNextPage(bool GoForward) {
  if (TTabSheet* Page = FindNextPage(FActivePage, GoForward, true)) SetActivePage(Page);
}

std::vector<TTabSheet*> TPageControl::TabPages() const {
  std::vector<TTabSheet*> Pages;
  for (TTabSheet* Page : FPages)
    if (Page->TabVisible()) Pages.push_back(Page);
  return Pages;
}

void TPageControl::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, WC_TABCONTROLA);
}

void TPageControl::CreateWnd() {
  TWinControl::CreateWnd();
  ShowTabs();
}

void TPageControl::ShowTabs() {
  if (!FHandle) return;
  FTabsFromCode = true;
  // With no tab focused the first new one takes the focus, which the selection then moves on.
  SendMessageA(FHandle, TCM_SETCURFOCUS, static_cast<WPARAM>(-1), 0);
  SendMessageA(FHandle, TCM_DELETEALLITEMS, 0, 0);
  const std::vector<TTabSheet*> Pages = TabPages();
  for (size_t I = 0; I < Pages.size(); ++I) {
    std::string Caption = Pages[I]->Caption();
    TCITEMA Item{};
    Item.mask = TCIF_TEXT;
    Item.pszText = Caption.data();
    SendMessageA(FHandle, TCM_INSERTITEMA, I, reinterpret_cast<LPARAM>(&Item));
  }
  FTabsFromCode = false;
  SelectTab();
  PlacePages();  // the row of tabs may have grown or shrunk
}

void TPageControl::SelectTab() {
  if (!FHandle) return;
  const std::vector<TTabSheet*> Pages = TabPages();
  const auto Tab = std::find(Pages.begin(), Pages.end(), FActivePage);
  // The selection moves the focused tab with it, from which the arrow keys go on.
  FTabsFromCode = true;
  SendMessageA(FHandle, TCM_SETCURSEL, Tab == Pages.end() ? static_cast<WPARAM>(-1) : Tab - Pages.begin(), 0);
  FTabsFromCode = false;
}

void TPageControl::PlacePages() {
  if (!FHandle) return;
  RECT Area;
  GetClientRect(FHandle, &Area);
  SendMessageA(FHandle, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&Area));
  for (TTabSheet* Page : FPages)
    Page->SetBounds(Area.left, Area.top, std::max(0L, Area.right - Area.left),
                    std::max(0L, Area.bottom - Area.top));
}

void TPageControl::Dispatch(TMessage& Message) {
  if (Message.Msg == CN_NOTIFY) {
    if (reinterpret_cast<NMHDR*>(Message.LParam)->code == TCN_SELCHANGE && !FTabsFromCode) {
      const auto Tab = static_cast<size_t>(SendMessageA(FHandle, TCM_GETCURSEL, 0, 0));
      const std::vector<TTabSheet*> Pages = TabPages();
      if (Tab < Pages.size()) SetActivePage(Pages[Tab]);
      if (OnChange) OnChange(this);
    }
    return;
  }
  TWinControl::Dispatch(Message);
  if (Message.Msg == WM_SIZE || Message.Msg == WM_SETFONT) PlacePages();
}

// ---------------------------------------------------------------------------------------------
// Published properties

void RegisterComCtrls() {
  using namespace Published;
  const TClassInfo* WinControl = GetClass("TWinControl");
  static const TClassInfo TrackBarInfo = MakeClassInfo<TTrackBar>(
      "TTrackBar", WinControl,
      {Int<TTrackBar>(
           "Min", [](TTrackBar* C) { return C->Min(); },
           [](TTrackBar* C, int64_t V) { C->SetMin(static_cast<int>(V)); }),
       Int<TTrackBar>(
           "Max", [](TTrackBar* C) { return C->Max(); },
           [](TTrackBar* C, int64_t V) { C->SetMax(static_cast<int>(V)); }),
       Int<TTrackBar>(
           "Position", [](TTrackBar* C) { return C->Position(); },
           [](TTrackBar* C, int64_t V) { C->SetPosition(static_cast<int>(V)); }),
       Int<TTrackBar>(
           "Frequency", [](TTrackBar* C) { return C->Frequency(); },
           [](TTrackBar* C, int64_t V) { C->SetFrequency(static_cast<int>(V)); }),
       Enum<TTrackBar>(
           "TickStyle", {"tsNone", "tsAuto", "tsManual"}, [](TTrackBar* C) { return C->TickStyle(); },
           [](TTrackBar* C, int64_t V) { C->SetTickStyle(static_cast<TTickStyle>(V)); }),
       Enum<TTrackBar>(
           "Orientation", {"trHorizontal", "trVertical"}, [](TTrackBar* C) { return C->Orientation(); },
           [](TTrackBar* C, int64_t V) { C->SetOrientation(static_cast<TTrackBarOrientation>(V)); }),
       Event<TTrackBar>("OnChange", &TTrackBar::OnChange)});
  static const TClassInfo ProgressBarInfo = MakeClassInfo<TProgressBar>(
      "TProgressBar", WinControl,
      {Int<TProgressBar>(
           "Min", [](TProgressBar* C) { return C->Min(); },
           [](TProgressBar* C, int64_t V) { C->SetMin(static_cast<int>(V)); }),
       Int<TProgressBar>(
           "Max", [](TProgressBar* C) { return C->Max(); },
           [](TProgressBar* C, int64_t V) { C->SetMax(static_cast<int>(V)); }),
       Int<TProgressBar>(
           "Position", [](TProgressBar* C) { return C->Position(); },
           [](TProgressBar* C, int64_t V) { C->SetPosition(static_cast<int>(V)); })});
  static const TClassInfo ColumnInfo = MakeClassInfo<TListColumn>(
      "TListColumn", nullptr,
      {Str<TListColumn>(
           "Caption", [](TListColumn* C) { return C->Caption(); },
           [](TListColumn* C, const std::string& V) { C->SetCaption(V); }),
       Int<TListColumn>(
           "Width", [](TListColumn* C) { return C->Width(); },
           [](TListColumn* C, int64_t V) { C->SetWidth(static_cast<int>(V)); }),
       Enum<TListColumn>(
           "Alignment", {"taLeftJustify", "taRightJustify", "taCenter"},
           [](TListColumn* C) { return C->Alignment(); },
           [](TListColumn* C, int64_t V) { C->SetAlignment(static_cast<TAlignment>(V)); })});
  static const TClassInfo ListViewInfo = MakeClassInfo<TListView>(
      "TListView", WinControl,
      {Object<TListView>("Columns", [](TListView* C) { return C->Columns(); }),
       Enum<TListView>(
           "ViewStyle", {"vsIcon", "vsSmallIcon", "vsList", "vsReport"},
           [](TListView* C) { return C->ViewStyle(); },
           [](TListView* C, int64_t V) { C->SetViewStyle(static_cast<TViewStyle>(V)); }),
       Bool<TListView>(
           "OwnerData", [](TListView* C) { return C->OwnerData(); },
           [](TListView* C, bool V) { C->SetOwnerData(V); }),
       Bool<TListView>(
           "RowSelect", [](TListView* C) { return C->RowSelect(); },
           [](TListView* C, bool V) { C->SetRowSelect(V); }),
       Bool<TListView>(
           "MultiSelect", [](TListView* C) { return C->MultiSelect(); },
           [](TListView* C, bool V) { C->SetMultiSelect(V); }),
       Bool<TListView>(
           "GridLines", [](TListView* C) { return C->GridLines(); },
           [](TListView* C, bool V) { C->SetGridLines(V); }),
       Bool<TListView>(
           "HideSelection", [](TListView* C) { return C->HideSelection(); },
           [](TListView* C, bool V) { C->SetHideSelection(V); }),
       Bool<TListView>(
           "OwnerDraw", [](TListView* C) { return C->OwnerDraw(); },
           [](TListView* C, bool V) { C->SetOwnerDraw(V); }),
       Bool<TListView>(
           "Checkboxes", [](TListView* C) { return C->Checkboxes(); },
           [](TListView* C, bool V) { C->SetCheckboxes(V); }),
       Bool<TListView>(
           "ReadOnly", [](TListView* C) { return C->ReadOnly(); },
           [](TListView* C, bool V) { C->SetReadOnly(V); }),
       Event<TListView>("OnData", &TListView::OnData), Event<TListView>("OnDataFind", &TListView::OnDataFind),
       Event<TListView>("OnColumnClick", &TListView::OnColumnClick),
       Event<TListView>("OnCompare", &TListView::OnCompare),
       Event<TListView>("OnEditing", &TListView::OnEditing),
       Event<TListView>("OnEdited", &TListView::OnEdited),
       Event<TListView>("OnCreateItemClass", &TListView::OnCreateItemClass),
       Event<TListView>("OnDrawItem", &TListView::OnDrawItem),
       Event<TListView>("OnInfoTip", &TListView::OnInfoTip)});
  static TClassInfo TabSheetInfo =
      MakeClassInfo<TTabSheet>("TTabSheet", WinControl,
                               {Bool<TTabSheet>(
                                   "TabVisible", [](TTabSheet* C) { return C->TabVisible(); },
                                   [](TTabSheet* C, bool V) { C->SetTabVisible(V); })});
  TabSheetInfo.SetParentComponent = [](TComponent* Child, TComponent* Parent) {
    auto* Pages = dynamic_cast<TPageControl*>(Parent);
    if (!Pages) throw EComponentError("A tab sheet belongs into a page control");
    static_cast<TTabSheet*>(Child)->SetPageControl(Pages);
  };
  static const TClassInfo PageControlInfo =
      MakeClassInfo<TPageControl>("TPageControl", WinControl,
                                  {Component<TPageControl, TTabSheet>(
                                       "ActivePage", [](TPageControl* C) { return C->ActivePage(); },
                                       [](TPageControl* C, TTabSheet* V) { C->SetActivePage(V); }),
                                   Event<TPageControl>("OnChange", &TPageControl::OnChange)});
  for (const TClassInfo* Info : {&TrackBarInfo, &ProgressBarInfo, &ColumnInfo, &ListViewInfo,
                                 static_cast<const TClassInfo*>(&TabSheetInfo), &PageControlInfo})
    RegisterClass(Info);
}

// ---------------------------------------------------------------------------------------------
// TToolButton

TToolButton::TToolButton(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetBounds(0, 0, 23, 22);
}

void TToolButton::Paint(TCanvas* Canvas) {
  RECT Rect{0, 0, Width(), Height()};
  Canvas->RequiredState(csHandleValid);
  DrawEdge(Canvas->Handle(), &Rect, BDR_RAISEDINNER, BF_RECT);
  Canvas->Font()->Assign(Font());
  Canvas->RequiredState(csHandleValid | csFontValid);
  SetBkMode(Canvas->Handle(), TRANSPARENT);
  SetTextColor(Canvas->Handle(), ColorToRGB(Enabled() ? Font()->Color() : clGrayText));
  DrawTextA(Canvas->Handle(), FText.c_str(), static_cast<int>(FText.size()), &Rect,
            DrawTextBiDiModeFlags(DT_CENTER | DT_VCENTER | DT_SINGLELINE));
}

void TToolButton::Dispatch(TMessage& Message) {
  TGraphicControl::Dispatch(Message);
  if (Message.Msg == CM_TEXTCHANGED) Invalidate();
}

// ---------------------------------------------------------------------------------------------
// TComboBoxEx

TComboBoxEx::TComboBoxEx(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(0, 0, 145, 22);
  SetColor(clWindow);
  SetTabStop(true);
  FItems.OnChange = [this](TObject*) { ShowItems(); };
}

void TComboBoxEx::CreateParams(TCreateParams& Params) {
  static const bool Registered = [] {
    const INITCOMMONCONTROLSEX Init{sizeof(INITCOMMONCONTROLSEX), ICC_USEREX_CLASSES};
    return InitCommonControlsEx(&Init) != FALSE;
  }();
  (void)Registered;
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, WC_COMBOBOXEXA);
  Params.Style |= CBS_DROPDOWNLIST | WS_VSCROLL;
  Params.Height = Height() + 150;  // the dropped-down list's room
}

void TComboBoxEx::CreateWnd() {
  TWinControl::CreateWnd();
  ShowItems();
}

void TComboBoxEx::ShowItems() {
  if (!HandleAllocated()) return;
  SendMessageA(FHandle, CB_RESETCONTENT, 0, 0);
  for (int I = 0; I < FItems.Count(); ++I) {
    std::string Text = FItems.Get(I);
    COMBOBOXEXITEMA Item{};
    Item.mask = CBEIF_TEXT;
    Item.iItem = I;
    Item.pszText = Text.data();
    SendMessageA(FHandle, CBEM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&Item));
  }
  SendMessageA(FHandle, CB_SETCURSEL, static_cast<WPARAM>(FItemIndex), 0);
}

int TComboBoxEx::ItemIndex() {
  if (HandleAllocated()) FItemIndex = static_cast<int>(SendMessageA(FHandle, CB_GETCURSEL, 0, 0));
  return FItemIndex;
}

void TComboBoxEx::SetItemIndex(int Value) {
  FItemIndex = Value;
  if (HandleAllocated()) SendMessageA(FHandle, CB_SETCURSEL, static_cast<WPARAM>(Value), 0);
}
