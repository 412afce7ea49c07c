#include "Imports/UCodeComCtrls.h"

#include <algorithm>
#include <cstring>

#include "Imports/UCodeGraphics.h"
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

TObject* TWideSubItems::GetObject(int Index) const {
  return AnsiSubItems()->GetObject(Index);
}

void TWideSubItems::InsertItem(int Index, const std::wstring& S, TObject* AObject) {
  const TValueScope<const std::wstring*> Pending(FPending, &S);
  AnsiSubItems()->InsertObject(Index, WideToAnsi(S), AObject);
}

void TWideSubItems::Put(int Index, const std::wstring& S) {
  const TValueScope<const std::wstring*> Pending(FPending, &S);
  AnsiSubItems()->Put(Index, WideToAnsi(S));
}

void TWideSubItems::PutObject(int Index, TObject* AObject) {
  AnsiSubItems()->PutObject(Index, AObject);
}

void TWideSubItems::Clear() {
  AnsiSubItems()->Clear();
}

void TWideSubItems::Delete(int Index) {
  AnsiSubItems()->Delete(Index);
}

void TWideSubItems::Exchange(int Index1, int Index2) {
  AnsiSubItems()->Exchange(Index1, Index2);
}

// Sorted by exchanges of the library's sub-items, which keep the objects: each is followed at once, so
// that Compare sees the wide texts in their order of the moment.
void TWideSubItems::CustomSort(const TUCodeStringListSortCompare& Compare) {
  if (Sorted() || Count() < 2) return;
  Changing();
  BeginUpdate();
  ListQuickSort(
      0, Count() - 1, [&](int Index1, int Index2) { return Compare(this, Index1, Index2); },
      [this](int Index1, int Index2) {
        if (Index1 != Index2) Exchange(Index1, Index2);
      });
  EndUpdate();
}

std::wstring TWideSubItems::NewText(int Index) {
  if (!FPending) return AnsiToWide(AnsiSubItems()->Get(Index));
  std::wstring Text = *FPending;
  FPending = nullptr;
  return Text;
}

void TWideSubItems::Follow(TListChange Change, int Index, int Index2) {
  switch (Change) {
    case lcInserted:
      TUCodeStringList::InsertItem(Index, NewText(Index), nullptr);
      break;
    case lcDeleted:
      TUCodeStringList::Delete(Index);
      break;
    case lcReplaced:
      TUCodeStringList::Put(Index, NewText(Index));
      break;
    case lcExchanged:
      TUCodeStringList::Exchange(Index, Index2);
      break;
    case lcMoved: {
      const std::wstring S = Get(Index);
      TUCodeStringList::Delete(Index);
      TUCodeStringList::InsertItem(Index2, S, nullptr);
      break;
    }
    case lcReset:  // cleared
      TUCodeStringList::Clear();
      break;
  }
}

TUCodeListItem::TUCodeListItem(TListView* Owner, int Index) : TListItem(Owner, Index), FSubItems(this) {
  TListItem::SubItems()->OnListChange = [this](TListChange Change, int At, int At2) {
    FSubItems.Follow(Change, At, At2);
  };
}

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
  Data = Item->Data;
  FSubItems.Assign(Item->SubItems());
  SetChecked(Item->Checked());
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
  TListItemClass ItemClass = [](TListView* Owner, int At) -> TListItem* {
    return new TUCodeListItem(Owner, At);
  };
  if (TListView::OnCreateItemClass) TListView::OnCreateItemClass(this, ItemClass);
  std::unique_ptr<TListItem> Item(ItemClass(this, Index));
  if (!dynamic_cast<TUCodeListItem*>(Item.get()))
    throw EUCodeInternalError(
        L"Internal Error: OnCreateItemClass.ItemClass must inherit from TUCodeListItem.");
  return Item.release();
}

void TUCodeCustomListView::CopySelection(TCustomListControl* Destination) {
  ForEachSelected([Destination](TListItem* Item) {
    WideListControl_AddItem(Destination, static_cast<TUCodeListItem*>(Item)->Caption(), Item->Data);
  });
}

void TUCodeCustomListView::AddItem(const std::wstring& Item, TObject* AObject) {
  TUCodeListItem* Row = Items()->Add();
  Row->SetCaption(Item);
  Row->Data = AObject;
}

void TUCodeCustomListView::OwnerDataFetch(TListItem* Item) {
  auto* Wide = static_cast<TUCodeListItem*>(Item);
  Wide->SetCaption(L"");
  Wide->SubItems()->Clear();
  TListView::OwnerDataFetch(Item);
}

int TUCodeCustomListView::CompareItems(TListItem* Item1, TListItem* Item2, intptr_t Data) {
  if (OnCompare || !IsUnicodePlatform) return TListView::CompareItems(Item1, Item2, Data);
  return lstrcmpW(static_cast<TUCodeListItem*>(Item1)->Caption().c_str(),
                  static_cast<TUCodeListItem*>(Item2)->Caption().c_str());
}

void TUCodeCustomListView::DrawItem(TListItem* Item, const RECT& Rect, UINT State) {
  auto* Wide = dynamic_cast<TUCodeListItem*>(Item);
  if (OnDrawItem || !Wide || !IsUnicodePlatform) {
    TListView::DrawItem(Item, Rect, State);
    return;
  }
  Canvas()->FillRect(Rect);
  WideTextOut(Canvas(), Rect.left + 2, Rect.top, Wide->Caption());
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
  // Check boxes come with images in the sub-items and tips for cut texts.
  if (Message.Msg == LVM_SETEXTENDEDLISTVIEWSTYLE && Checkboxes()) {
    constexpr DWORD Added = LVS_EX_SUBITEMIMAGES | LVS_EX_INFOTIP;
    if (Message.WParam) Message.WParam |= Added;
    Message.LParam |= Added;
  }
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

// The library answers an 8-bit copy of the request; a tip that it leaves as it was keeps its wide text.
void TUCodeCustomListView::GetInfoTipW(TMessage& Message) {
  auto* Tip = reinterpret_cast<NMLVGETINFOTIPW*>(Message.LParam);
  if (!Tip->pszText || Tip->cchTextMax <= 0) return;
  const std::string Offered = WideToAnsi(Tip->pszText);
  std::string Buffer = Offered;
  Buffer.resize(std::max(Buffer.size(), static_cast<size_t>(Tip->cchTextMax) * 2) + 1, '\0');
  NMLVGETINFOTIPA Ansi;
  static_assert(sizeof Ansi == sizeof *Tip);
  std::memcpy(&Ansi, Tip, sizeof Ansi);
  Ansi.hdr.code = LVN_GETINFOTIPA;
  Ansi.pszText = Buffer.data();
  Ansi.cchTextMax = static_cast<int>(Buffer.size());
  TMessage AnsiMessage{Message.Msg, Message.WParam, reinterpret_cast<LPARAM>(&Ansi), 0};
  TListView::Dispatch(AnsiMessage);
  const std::string Answer = Buffer.c_str();
  if (Answer == Offered) return;
  const std::wstring Text = AnsiToWide(Answer);
  const size_t Count = std::min(Text.size(), static_cast<size_t>(Tip->cchTextMax) - 1);
  Text.copy(Tip->pszText, Count);
  Tip->pszText[Count] = L'\0';
}

int TUCodeCustomListView::OwnerDataFind(TItemFind Find, const std::string& FindString, int StartIndex,
                                        bool Wrap) {
  return DoOwnerDataFindW(Find, FFindTextW ? std::wstring(FFindTextW) : AnsiToWide(FindString), StartIndex,
                          Wrap);
}

int TUCodeCustomListView::DoOwnerDataFindW(TItemFind Find, const std::wstring& FindString, int StartIndex,
                                           bool Wrap) {
  if (!OnDataFind) return TListView::OwnerDataFind(Find, WideToAnsi(FindString), StartIndex, Wrap);
  int Index = -1;
  OnDataFind(this, Find, FindString, StartIndex, Wrap, Index);
  return Index;
}

namespace {

// A wide find request shown to the library under its 8-bit code, without text; put back on leaving.
class TAnsiFindRequest {
 public:
  TAnsiFindRequest(NMLVFINDITEMW* Request, const wchar_t*& WideText)
      : FRequest(Request), FText(Request->lvfi.psz), FWideText(WideText) {
    const bool Text = (Request->lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) && FText;
    FWideText = Text ? FText : L"";
    Request->lvfi.psz = nullptr;
    Request->hdr.code = LVN_ODFINDITEMA;
  }
  ~TAnsiFindRequest() {
    FRequest->hdr.code = LVN_ODFINDITEMW;
    FRequest->lvfi.psz = FText;
    FWideText = nullptr;
  }
  TAnsiFindRequest(const TAnsiFindRequest&) = delete;
  TAnsiFindRequest& operator=(const TAnsiFindRequest&) = delete;

 private:
  NMLVFINDITEMW* FRequest;
  LPCWSTR FText;
  const wchar_t*& FWideText;
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// Label editing

namespace {

// The window property of a list view's label editor that names its list view.
const wchar_t* const ListViewEditProp = L"VelmaroListViewEdit";

}  // namespace

TUCodeCustomListView::~TUCodeCustomListView() {
  DestroyHandle();  // the label editor goes with the window, while this control is still whole
}

void TUCodeCustomListView::BeginLabelEdit(NMLVDISPINFOW* Info, TMessage& Message) {
  TListItem* Item = DispInfoItem(Info->item.iItem);
  if (!Item || !CanEdit(Item)) {
    Message.Result = 1;
    return;
  }
  FEditHandle = reinterpret_cast<HWND>(SendMessageA(FHandle, LVM_GETEDITCONTROL, 0, 0));
  if (!FEditHandle) return;
  SetPropW(FEditHandle, ListViewEditProp, this);
  FDefEditProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(FEditHandle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EditWndProcW)));
}

LRESULT CALLBACK TUCodeCustomListView::EditWndProcW(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto* View = static_cast<TUCodeCustomListView*>(GetPropW(Wnd, ListViewEditProp));
  if (!View) return DefWindowProcW(Wnd, Msg, WParam, LParam);
  TMessage Message{Msg, WParam, LParam, 0};
  try {
    View->EditWndProc(Message);
  } catch (...) {
    try {
      if (HandleWindowException) HandleWindowException(std::current_exception());
    } catch (...) {
    }
  }
  if (Msg == WM_NCDESTROY) {
    RemovePropW(Wnd, ListViewEditProp);
    View->FEditHandle = nullptr;
  }
  return Message.Result;
}

void TUCodeCustomListView::EditWndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (DoKeyDown(Message)) return;
      break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      if (DoKeyUp(Message)) return;
      break;
    case WM_CHAR:
      PackWideCharMessage(Message);
      if (DoKeyPress(Message)) return;
      UnpackWideCharMessage(Message);
      break;
    default:
      break;
  }
  Message.Result = CallWindowProcW(FDefEditProc, FEditHandle, Message.Msg, Message.WParam, Message.LParam);
}

void TUCodeCustomListView::Edit(const LVITEMA& Request) {
  LabelEdited(Request.iItem, AnsiToWide(Request.pszText));
}

void TUCodeCustomListView::LabelEdited(int Row, std::wstring S) {
  auto* Item = dynamic_cast<TUCodeListItem*>(DispInfoItem(Row));
  if (!Item) return;
  if (OnEdited) {
    OnEdited(this, Item, S);
  } else if (TListView::OnEdited) {
    const std::string Typed = WideToAnsi(S);
    std::string Ansi = Typed;
    TListView::OnEdited(this, Item, Ansi);
    if (Ansi != Typed) S = AnsiToWide(Ansi);  // an untouched text keeps what its 8-bit form cannot hold
  }
  Item->SetCaption(S);
  SendMessageW(FHandle, LVM_UPDATE, static_cast<WPARAM>(Row), 0);
}

void TUCodeCustomListView::Dispatch(TMessage& Message) {
  const UINT Code = Message.Msg == CN_NOTIFY ? reinterpret_cast<NMHDR*>(Message.LParam)->code : 0;
  if (IsUnicodePlatform && Code == LVN_BEGINLABELEDITW) {
    BeginLabelEdit(reinterpret_cast<NMLVDISPINFOW*>(Message.LParam), Message);
    return;
  }
  if (IsUnicodePlatform && Code == LVN_ENDLABELEDITW) {
    const LVITEMW& Request = reinterpret_cast<NMLVDISPINFOW*>(Message.LParam)->item;
    if (Request.pszText && Request.iItem != -1) LabelEdited(Request.iItem, Request.pszText);
    return;
  }
  if (IsUnicodePlatform && Code == LVN_GETDISPINFOW) {
    GetDispInfoW(reinterpret_cast<NMLVDISPINFOW*>(Message.LParam));
    return;
  }
  if (IsUnicodePlatform && Code == LVN_GETINFOTIPW) {
    GetInfoTipW(Message);
    return;
  }
  if (IsUnicodePlatform && Code == LVN_ODFINDITEMW) {
    const TAnsiFindRequest Ansi(reinterpret_cast<NMLVFINDITEMW*>(Message.LParam), FFindTextW);
    TListView::Dispatch(Message);
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
         Event<TUCodeCustomListView>("OnDataFind", &TUCodeCustomListView::OnDataFind),
         Event<TUCodeCustomListView>("OnEdited", &TUCodeCustomListView::OnEdited),
         WideStr<TUCodeListView>(
             "Hint", [](TUCodeListView* C) { return C->Hint(); },
             [](TUCodeListView* C, const std::wstring& V) { C->SetHint(V); })});
  }();
  RegisterClass(&Info);
  return &Info;
}
