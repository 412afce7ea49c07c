#include "Imports/UCodeComCtrls.h"

#include <algorithm>
#include <cstring>

#include "Imports/UCodeSysUtils.h"
#include "classlib/FormReader.h"

// ---------------------------------------------------------------------------------------------
// Columns

std::wstring TUCodeListColumn::Caption() {
  return GetSyncedWideString(FCaption, TListColumn::Caption());
}

void TUCodeListColumn::SetCaption(const std::wstring& Value) {
  SetSyncedWideString(Value, FCaption, TListColumn::Caption(),
                      [this](const std::string& S) { TListColumn::SetCaption(S); });
}

void TUCodeListColumn::Assign(TPersistent* Source) {
  if (auto* Wide = dynamic_cast<TUCodeListColumn*>(Source))
    SetCaption(Wide->Caption());
  else if (auto* Column = dynamic_cast<TListColumn*>(Source))
    SetCaption(AnsiToWide(Column->Caption()));
  else
    TListColumn::Assign(Source);
}

void TUCodeListColumn::DefineProperties(TFiler* Filer) {
  TListColumn::DefineProperties(Filer);
  DefineWideProperties(Filer, this);
}

// ---------------------------------------------------------------------------------------------
// Items

TStrings* TWideSubItems::AnsiSubItems() const {
  return FItem->TListItem::SubItems();
}

void TWideSubItems::InsertItem(int Index, const std::wstring& S, TObject* AObject) {
  TUCodeStringList::InsertItem(Index, S, AObject);
  AnsiSubItems()->InsertObject(Index, WideToAnsi(S), AObject);
}

void TWideSubItems::Put(int Index, const std::wstring& S) {
  TUCodeStringList::Put(Index, S);
  AnsiSubItems()->Put(Index, WideToAnsi(S));
}

void TWideSubItems::PutObject(int Index, TObject* AObject) {
  TUCodeStringList::PutObject(Index, AObject);
  AnsiSubItems()->PutObject(Index, AObject);
}

void TWideSubItems::Clear() {
  TUCodeStringList::Clear();
  AnsiSubItems()->Clear();
}

void TWideSubItems::Delete(int Index) {
  TUCodeStringList::Delete(Index);
  AnsiSubItems()->Delete(Index);
}

void TWideSubItems::Exchange(int Index1, int Index2) {
  TUCodeStringList::Exchange(Index1, Index2);
  AnsiSubItems()->Exchange(Index1, Index2);
}

TUCodeListItem::TUCodeListItem(TListView* Owner, int Index) : TListItem(Owner, Index), FSubItems(this) {}

std::wstring TUCodeListItem::Caption() {
  return GetSyncedWideString(FCaption, TListItem::Caption);
}

void TUCodeListItem::SetCaption(const std::wstring& Value) {
  SetSyncedWideString(Value, FCaption, TListItem::Caption,
                      [this](const std::string& S) { TListItem::Caption = S; });
}

void TUCodeListItem::Assign(TPersistent* Source) {
  auto* Item = dynamic_cast<TUCodeListItem*>(Source);
  if (!Item) {
    TListItem::Assign(Source);
    return;
  }
  SetCaption(Item->Caption());
  FSubItems.Assign(Item->SubItems());
}

// ---------------------------------------------------------------------------------------------
// TUCodeCustomListView

std::unique_ptr<TListColumns> TUCodeCustomListView::CreateListColumns() {
  return std::make_unique<TUCodeListColumns>(this);
}

TListColumn* TUCodeCustomListView::CreateListColumn(TCollection* Collection) {
  return new TUCodeListColumn(Collection);
}

std::unique_ptr<TListItems> TUCodeCustomListView::CreateListItems() {
  return std::make_unique<TUCodeListItems>(this);
}

TListItem* TUCodeCustomListView::CreateListItem(int Index) {
  return new TUCodeListItem(this, Index);
}

void TUCodeCustomListView::OwnerDataFetch(TListItem* Item) {
  auto* Wide = static_cast<TUCodeListItem*>(Item);
  Wide->SetCaption(L"");
  Wide->SubItems()->Clear();
  TListView::OwnerDataFetch(Item);
}

void TUCodeCustomListView::CreateWindowHandle(const TCreateParams& Params) {
  CreateUnicodeHandle_ComCtl(this, Params, L"SysListView32");
  if (!IsUnicodePlatform) return;
  // An empty first column, at once removed again, so that the control settles its columns.
  LVCOLUMNA Empty{};
  SendMessageA(FHandle, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&Empty));
  SendMessageA(FHandle, LVM_DELETECOLUMN, 0, 0);
}

// The library shows its column titles in 8 bits: the window gets the wide ones instead.
bool TUCodeCustomListView::SetColumnWide(TMessage& Message) {
  const auto* Info = reinterpret_cast<const LVCOLUMNA*>(Message.LParam);
  const int Index = static_cast<int>(Message.WParam);
  if (!Info || !(Info->mask & LVCF_TEXT) || Index < 0 || Index >= Columns()->Count()) return false;
  std::wstring Text = Columns()->Items(Index)->Caption();
  LVCOLUMNW Wide;
  static_assert(sizeof Wide == sizeof *Info);
  std::memcpy(&Wide, Info, sizeof Wide);
  Wide.pszText = Text.data();
  const UINT Msg = Message.Msg == LVM_SETCOLUMNA ? LVM_SETCOLUMNW : LVM_INSERTCOLUMNW;
  Message.Result = SendMessageW(FHandle, Msg, Message.WParam, reinterpret_cast<LPARAM>(&Wide));
  return true;
}

void TUCodeCustomListView::WndProc(TMessage& Message) {
  const bool Column = Message.Msg == LVM_SETCOLUMNA || Message.Msg == LVM_INSERTCOLUMNA;
  if (Column && IsUnicodePlatform && HandleAllocated() && SetColumnWide(Message)) return;
  TListView::WndProc(Message);
}

// At most the buffer's size less one character, and its zero.
void TUCodeCustomListView::GetDispInfoW(NMLVDISPINFOW* Info) {
  LVITEMW& Request = Info->item;
  if (!(Request.mask & LVIF_TEXT) || !Request.pszText || Request.cchTextMax <= 0) return;
  TListItem* Item = Request.iItem < 0 ? (OwnerData() ? TempItem() : nullptr) : DispInfoItem(Request.iItem);
  auto* Wide = dynamic_cast<TUCodeListItem*>(Item);
  std::wstring Text;
  if (Wide && Request.iSubItem == 0)
    Text = Wide->Caption();
  else if (Wide && Request.iSubItem > 0 && Request.iSubItem <= Wide->SubItems()->Count())
    Text = Wide->SubItems()->Get(Request.iSubItem - 1);
  const size_t Count = std::min(Text.size(), static_cast<size_t>(Request.cchTextMax) - 1);
  Text.copy(Request.pszText, Count);
  Request.pszText[Count] = L'\0';
}

void TUCodeCustomListView::Dispatch(TMessage& Message) {
  if (Message.Msg == CN_NOTIFY && IsUnicodePlatform &&
      reinterpret_cast<NMHDR*>(Message.LParam)->code == LVN_GETDISPINFOW) {
    GetDispInfoW(reinterpret_cast<NMLVDISPINFOW*>(Message.LParam));
    return;
  }
  TListView::Dispatch(Message);
}

// ---------------------------------------------------------------------------------------------
// Published properties

const TClassInfo* UCodeListColumnClass() {
  static const TClassInfo Info = [] {
    using namespace Published;
    RegisterLibraryClasses();
    return MakeClassInfo<TUCodeListColumn>(
        "TUCodeListColumn", GetClass("TListColumn"),
        {WideStr<TUCodeListColumn>(
            "Caption", [](TUCodeListColumn* C) { return C->Caption(); },
            [](TUCodeListColumn* C, const std::wstring& V) { C->SetCaption(V); })});
  }();
  RegisterClass(&Info);
  return &Info;
}

const TClassInfo* UCodeListViewClass() {
  static const TClassInfo Info = [] {
    using namespace Published;
    UCodeListColumnClass();
    return MakeClassInfo<TUCodeListView>(
        "TUCodeListView", GetClass("TListView"),
        {Object<TUCodeListView>("Columns", [](TUCodeListView* C) { return C->Columns(); }),
         WideStr<TUCodeListView>(
             "Hint", [](TUCodeListView* C) { return C->Hint(); },
             [](TUCodeListView* C, const std::wstring& V) { C->SetHint(V); })});
  }();
  RegisterClass(&Info);
  return &Info;
}
