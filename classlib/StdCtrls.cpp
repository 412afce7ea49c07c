#include "classlib/StdCtrls.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "classlib/Forms.h"
#include "classlib/TypInfo.h"

namespace {

std::vector<std::string> SplitLines(const std::string& Text) {
  std::vector<std::string> Lines;
  size_t Start = 0;
  while (Start < Text.size()) {
    size_t End = Text.find_first_of("\r\n", Start);
    if (End == std::string::npos) End = Text.size();
    Lines.push_back(Text.substr(Start, End - Start));
    if (End < Text.size() && Text[End] == '\r' && End + 1 < Text.size() && Text[End + 1] == '\n') ++End;
    Start = End + 1;
  }
  return Lines;
}

// Where the selected row is after a change of the items: with its item, and -1 when the item went.
int SelectionAfter(int Selected, TListChange Change, int Index, int Index2) {
  if (Selected < 0) return Selected;
  switch (Change) {
    case lcInserted:
      return Selected >= Index ? Selected + 1 : Selected;
    case lcDeleted:
      return Selected == Index ? -1 : Selected > Index ? Selected - 1 : Selected;
    case lcExchanged:
      return Selected == Index ? Index2 : Selected == Index2 ? Index : Selected;
    case lcMoved:
      if (Selected == Index) return Index2;
      if (Index < Selected && Selected <= Index2) return Selected - 1;
      if (Index2 <= Selected && Selected < Index) return Selected + 1;
      return Selected;
    default:
      return Selected;
  }
}

// Makes one change of the items on a window's rows: DeleteMsg takes a row away, InsertRow puts in the row
// of an item as the items now are.
template <class TInsertRow>
void ChangeRows(HWND Wnd, UINT DeleteMsg, TListChange Change, int Index, int Index2, TInsertRow InsertRow) {
  const auto Replace = [&](int Row) {
    SendMessageA(Wnd, DeleteMsg, static_cast<WPARAM>(Row), 0);
    InsertRow(Row);
  };
  switch (Change) {
    case lcInserted:
      InsertRow(Index);
      break;
    case lcDeleted:
      SendMessageA(Wnd, DeleteMsg, static_cast<WPARAM>(Index), 0);
      break;
    case lcReplaced:
      Replace(Index);
      break;
    case lcExchanged:
      Replace(Index);
      Replace(Index2);
      break;
    case lcMoved:
      SendMessageA(Wnd, DeleteMsg, static_cast<WPARAM>(Index), 0);
      InsertRow(Index2);
      break;
    default:
      break;
  }
}

// While the items change inside BeginUpdate/EndUpdate the window is not redrawn.
// The first row of an owner-drawn list: the rectangle filled in the selection's or the window's colours.
void FillRow(const RECT& Rect, UINT State, HDC DC) {
  const bool Selected = (State & ODS_SELECTED) != 0;
  SetBkColor(DC, GetSysColor(Selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  SetTextColor(DC, GetSysColor(Selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  ExtTextOutA(DC, 0, 0, ETO_OPAQUE, &Rect, nullptr, 0, nullptr);
}

void ShowUpdating(HWND Wnd, bool Updating) {
  if (!Wnd) return;
  SendMessageA(Wnd, WM_SETREDRAW, !Updating, 0);
  if (!Updating) InvalidateRect(Wnd, nullptr, TRUE);
}

std::string JoinLines(const std::vector<std::string>& Lines) {
  std::string Text;
  for (const std::string& Line : Lines) Text += Line + "\r\n";
  return Text;
}

}  // namespace

void CheckItemInserted(LRESULT Result) {
  if (Result < 0) throw EOutOfResources(L"Failed to insert a list item");
}

// ---------------------------------------------------------------------------------------------
// TLabel

TLabel::TLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetBounds(0, 0, 65, 17);
  SetParentColor(true);
}

UINT TLabel::TextFlags() const {
  UINT Flags = DT_NOCLIP | DT_EXPANDTABS;
  if (FWordWrap) Flags |= DT_WORDBREAK;
  if (FAlignment == taRightJustify) Flags |= DT_RIGHT;
  if (FAlignment == taCenter) Flags |= DT_CENTER;
  return Flags;
}

void TLabel::Paint(TCanvas* Canvas) {
  RECT Rect{0, 0, Width(), Height()};
  if (!FTransparent) {
    Canvas->Brush()->SetColor(Color());
    Canvas->FillRect(Rect);
  }
  Canvas->Font()->Assign(Font());
  DoDrawText(Canvas, Rect, TextFlags());
}

UINT TLabel::EllipsisFlag() const {
  if (FWordWrap) return 0;
  switch (FEllipsisPosition) {
    case epPathEllipsis:
      return DT_PATH_ELLIPSIS;
    case epEndEllipsis:
      return DT_END_ELLIPSIS;
    case epWordEllipsis:
      return DT_WORD_ELLIPSIS;
    default:
      return 0;
  }
}

void TLabel::DoDrawText(TCanvas* Canvas, RECT& Rect, UINT Flags) {
  Canvas->RequiredState(csHandleValid | csFontValid);
  SetBkMode(Canvas->Handle(), TRANSPARENT);
  SetTextColor(Canvas->Handle(), ColorToRGB(Enabled() ? Font()->Color() : clGrayText));
  if (!FShowAccelChar) Flags |= DT_NOPREFIX;
  Flags = DrawTextBiDiModeFlags(Flags);
  // Measuring (AutoSize) gives the whole text its room.
  if (const UINT Ellipsis = EllipsisFlag(); Ellipsis && !(Flags & DT_CALCRECT))
    Flags = (Flags & ~DT_EXPANDTABS) | Ellipsis;
  const std::string Caption = (Flags & DT_CALCRECT) && FText.empty() ? " " : FText;
  DrawTextA(Canvas->Handle(), Caption.c_str(), static_cast<int>(Caption.size()), &Rect, Flags);
}

void TLabel::AdjustBounds() {
  if (!FAutoSize) return;
  const HDC DC = GetDC(nullptr);
  RECT Rect{0, 0, FWordWrap ? Width() : 0, 0};
  {
    TCanvas Canvas;
    Canvas.SetHandle(DC);
    Canvas.Font()->Assign(Font());
    DoDrawText(&Canvas, Rect, TextFlags() | DT_CALCRECT);
  }
  ReleaseDC(nullptr, DC);
  // A wrapping label keeps its width, else each new text or font would wrap it narrower.
  SetBounds(Left(), Top(), FWordWrap ? Width() : Rect.right, Rect.bottom);
}

void TLabel::SetAutoSize(bool Value) {
  FAutoSize = Value;
  AdjustBounds();
}

void TLabel::SetAlignment(TAlignment Value) {
  FAlignment = Value;
  Invalidate();
}

void TLabel::SetTransparent(bool Value) {
  FTransparent = Value;
  Invalidate();
}

void TLabel::SetWordWrap(bool Value) {
  FWordWrap = Value;
  AdjustBounds();
  Invalidate();
}

void TLabel::SetShowAccelChar(bool Value) {
  FShowAccelChar = Value;
  AdjustBounds();
  Invalidate();
}

void TLabel::SetEllipsisPosition(TEllipsisPosition Value) {
  FEllipsisPosition = Value;
  Invalidate();
}

void TLabel::SetFocusControl(TWinControl* Value) {
  if (FFocusControl) FFocusControl->RemoveFreeNotification(this);
  FFocusControl = Value;
  if (Value) Value->FreeNotification(this);
}

void TLabel::Notification(TComponent* AComponent, TOperation Operation) {
  TGraphicControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FFocusControl) FFocusControl = nullptr;
}

void TLabel::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
      AdjustBounds();
      Invalidate();
      break;
    case CM_DIALOGCHAR:
      if (FFocusControl && FShowAccelChar && FFocusControl->CanFocus() && IsAccel(Message.WParam, FText)) {
        FFocusControl->SetFocus();
        Message.Result = 1;
      }
      return;
    default:
      break;
  }
  TGraphicControl::Dispatch(Message);
}

// ---------------------------------------------------------------------------------------------
// Buttons

TButtonControl::TButtonControl(TComponent* AOwner) : TWinControl(AOwner) {
  FClickEvents = false;
  SetTabStop(true);
}

void TButtonControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:
      if (HIWORD(Message.WParam) == BN_CLICKED) Clicked();
      return;
    case CM_DIALOGCHAR:
      if (CanFocus() && IsAccel(Message.WParam, Text())) {
        SetFocus();
        Clicked();
        Message.Result = 1;
      }
      return;
    default:
      TWinControl::Dispatch(Message);
  }
}

TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner) {
  SetBounds(0, 0, 75, 25);
}

void TButton::CreateParams(TCreateParams& Params) {
  TButtonControl::CreateParams(Params);
  CreateSubClass(Params, "BUTTON");
  Params.Style |= FDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::SetDefault(bool Value) {
  FDefault = Value;
  if (FHandle) SendMessageA(FHandle, BM_SETSTYLE, Value ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

TCheckBox::TCheckBox(TComponent* AOwner) : TButtonControl(AOwner) {
  SetBounds(0, 0, 97, 17);
}

void TCheckBox::CreateParams(TCreateParams& Params) {
  TButtonControl::CreateParams(Params);
  CreateSubClass(Params, "BUTTON");
  Params.Style |= BS_CHECKBOX;
}

void TCheckBox::CreateWnd() {
  TButtonControl::CreateWnd();
  SendMessageA(FHandle, BM_SETCHECK, FChecked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TCheckBox::SetChecked(bool Value) {
  if (FChecked == Value) return;
  FChecked = Value;
  if (FHandle) SendMessageA(FHandle, BM_SETCHECK, Value ? BST_CHECKED : BST_UNCHECKED, 0);
  Click();
}

TRadioButton::TRadioButton(TComponent* AOwner) : TButtonControl(AOwner) {
  SetBounds(0, 0, 113, 17);
}

void TRadioButton::CreateParams(TCreateParams& Params) {
  TButtonControl::CreateParams(Params);
  CreateSubClass(Params, "BUTTON");
  Params.Style |= BS_RADIOBUTTON;
}

void TRadioButton::CreateWnd() {
  TButtonControl::CreateWnd();
  ShowCheck();
}

void TRadioButton::ShowCheck() {
  if (FHandle) SendMessageA(FHandle, BM_SETCHECK, FChecked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TRadioButton::SetChecked(bool Value) {
  if (FChecked == Value) return;
  FChecked = Value;
  ShowCheck();
  if (!Value) return;
  if (Parent())
    for (int I = 0; I < Parent()->ControlCount(); ++I)
      if (auto* Sibling = dynamic_cast<TRadioButton*>(Parent()->Controls(I)); Sibling && Sibling != this) {
        Sibling->FChecked = false;
        Sibling->ShowCheck();
      }
  Click();
}

// ---------------------------------------------------------------------------------------------
// TGroupBox

TGroupBox::TGroupBox(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(0, 0, 185, 105);
}

void TGroupBox::PaintWindow(TCanvas* Canvas) {
  Canvas->Font()->Assign(Font());
  const int TextHeight = Canvas->TextHeight("0");
  RECT Frame{0, TextHeight / 2, Width(), Height()};
  DrawEdge(Canvas->Handle(), &Frame, EDGE_ETCHED, BF_RECT);
  const std::string Caption = Text();
  if (Caption.empty()) return;
  Canvas->Brush()->SetColor(Color());
  Canvas->RequiredState(csHandleValid | csFontValid | csBrushValid);
  SetBkColor(Canvas->Handle(), ColorToRGB(Color()));
  SetTextColor(Canvas->Handle(), ColorToRGB(Font()->Color()));
  RECT Rect{8, 0, Width() - 8, TextHeight};
  DrawTextA(Canvas->Handle(), Caption.c_str(), static_cast<int>(Caption.size()), &Rect, DT_SINGLELINE);
}

void TGroupBox::Dispatch(TMessage& Message) {
  TWinControl::Dispatch(Message);
  if (Message.Msg == CM_TEXTCHANGED) Invalidate();
}

// ---------------------------------------------------------------------------------------------
// Edits

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(0, 0, 121, 21);
  SetColor(clWindow);
  SetTabStop(true);
  FClickEvents = false;
}

void TCustomEdit::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, "EDIT");
  Params.Style |= ES_AUTOHSCROLL | (FReadOnly ? ES_READONLY : 0);
  Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomEdit::CreateWnd() {
  TWinControl::CreateWnd();
  SendMessageA(FHandle, EM_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
  if (FPasswordChar) SendMessageA(FHandle, EM_SETPASSWORDCHAR, static_cast<unsigned char>(FPasswordChar), 0);
}

void TCustomEdit::SetPasswordChar(char Value) {
  if (Value == FPasswordChar) return;
  FPasswordChar = Value;
  if (!FHandle) return;
  SendMessageA(FHandle, EM_SETPASSWORDCHAR, static_cast<unsigned char>(Value), 0);
  Invalidate();
}

int TCustomEdit::SelStart() {
  DWORD Start = 0;
  if (FHandle) SendMessageA(FHandle, EM_GETSEL, reinterpret_cast<WPARAM>(&Start), 0);
  return static_cast<int>(Start);
}

void TCustomEdit::SetSelStart(int Value) {
  if (FHandle) SendMessageA(FHandle, EM_SETSEL, static_cast<WPARAM>(Value), Value);
}

int TCustomEdit::SelLength() {
  DWORD Start = 0, End = 0;
  if (FHandle)
    SendMessageA(FHandle, EM_GETSEL, reinterpret_cast<WPARAM>(&Start), reinterpret_cast<LPARAM>(&End));
  return static_cast<int>(End - Start);
}

void TCustomEdit::SetSelLength(int Value) {
  const int Start = SelStart();
  if (FHandle) SendMessageA(FHandle, EM_SETSEL, static_cast<WPARAM>(Start), Start + Value);
}

std::string TCustomEdit::SelText() {
  const std::string All = Text();
  const auto Start = std::min(static_cast<size_t>(SelStart()), All.size());
  return All.substr(Start, static_cast<size_t>(SelLength()));
}

void TCustomEdit::SetReadOnly(bool Value) {
  FReadOnly = Value;
  if (FHandle) SendMessageA(FHandle, EM_SETREADONLY, Value, 0);
}

void TCustomEdit::SetMaxLength(int Value) {
  FMaxLength = Value;
  if (FHandle) SendMessageA(FHandle, EM_LIMITTEXT, static_cast<WPARAM>(Value), 0);
}

void TCustomEdit::SelectAll() {
  if (FHandle) SendMessageA(FHandle, EM_SETSEL, 0, -1);
}

void TCustomEdit::Dispatch(TMessage& Message) {
  if (Message.Msg == CN_COMMAND) {
    if (HIWORD(Message.WParam) == EN_CHANGE && OnChange) OnChange(this);
    return;
  }
  TWinControl::Dispatch(Message);
  // Without a window the text changes only by WM_SETTEXT: that is a change as well.
  if (Message.Msg == CM_TEXTCHANGED && !FHandle && OnChange) OnChange(this);
}

// The memo's text as lines.
class TMemoLines : public TStrings {
 public:
  explicit TMemoLines(TMemo* Memo) : FMemo(Memo) {}
  std::string Get(int Index) const override {
    const std::vector<std::string> Lines = SplitLines(FMemo->Text());
    if (Index < 0 || Index >= static_cast<int>(Lines.size())) IndexError(Index);
    return Lines[static_cast<size_t>(Index)];
  }
  int GetCount() const override { return static_cast<int>(SplitLines(FMemo->Text()).size()); }
  std::string GetTextStr() const override { return FMemo->Text(); }
  void SetTextStr(const std::string& Value) override { FMemo->SetText(Value); }
  void Clear() override { FMemo->SetText(""); }
  void Delete(int Index) override {
    std::vector<std::string> Lines = SplitLines(FMemo->Text());
    if (Index < 0 || Index >= static_cast<int>(Lines.size())) IndexError(Index);
    Lines.erase(Lines.begin() + Index);
    FMemo->SetText(JoinLines(Lines));
  }
  void Insert(int Index, const std::string& S) override {
    std::vector<std::string> Lines = SplitLines(FMemo->Text());
    if (Index < 0 || Index > static_cast<int>(Lines.size())) IndexError(Index);
    Lines.insert(Lines.begin() + Index, S);
    FMemo->SetText(JoinLines(Lines));
  }

 private:
  TMemo* FMemo;
};

TMemo::TMemo(TComponent* AOwner) : TCustomEdit(AOwner), FLines(std::make_unique<TMemoLines>(this)) {
  SetBounds(0, 0, 185, 89);
}

TMemo::~TMemo() = default;

void TMemo::CreateParams(TCreateParams& Params) {
  TCustomEdit::CreateParams(Params);
  Params.Style &= ~ES_AUTOHSCROLL;
  Params.Style |= ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL;
  if (!FWordWrap || FScrollBars == ssHorizontal || FScrollBars == ssBoth) Params.Style |= ES_AUTOHSCROLL;
  if (FScrollBars == ssVertical || FScrollBars == ssBoth) Params.Style |= WS_VSCROLL;
  if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) Params.Style |= WS_HSCROLL;
}

void TMemo::SetScrollBars(TScrollStyle Value) {
  FScrollBars = Value;
  RecreateWnd();
}

void TMemo::SetWordWrap(bool Value) {
  FWordWrap = Value;
  RecreateWnd();
}

// ---------------------------------------------------------------------------------------------
// TListBox

class TListBox::TListBoxStrings : public TTrackedStringList {
 public:
  explicit TListBoxStrings(TListBox* ListBox) : FListBox(ListBox) {
    OnListChange = [this](TListChange Change, int Index, int Index2) {
      FListBox->ItemsChanged(Change, Index, Index2);
    };
  }
  void SetUpdateState(bool Updating) override {
    TTrackedStringList::SetUpdateState(Updating);
    ShowUpdating(FListBox->FHandle, Updating);
  }

 private:
  TListBox* FListBox;
};

TListBox::TListBox(TComponent* AOwner)
    : TCustomListControl(AOwner), FItems(std::make_unique<TListBoxStrings>(this)) {
  SetBounds(0, 0, 121, 97);
  SetColor(clWindow);
  SetTabStop(true);
  FClickEvents = false;
}

TStrings* TListBox::Items() {
  return FItems.get();
}

TListBox::~TListBox() {
  DestroyHandle();
}

void TListBox::AddItem(const std::string& Item, TObject* AObject) {
  FItems->AddObject(Item, AObject);
}

bool TListBox::Selected(int Index) {
  return FHandle && SendMessageA(FHandle, LB_GETSEL, static_cast<WPARAM>(Index), 0) > 0;
}

void TListBox::SetMultiSelect(bool Value) {
  FMultiSelect = Value;
  RecreateWnd();
}

void TListBox::CopySelection(TCustomListControl* Destination) {
  const int Current = ItemIndex();
  for (int I = 0; I < FItems->Count(); ++I)
    if (FMultiSelect ? Selected(I) : I == Current) Destination->AddItem(FItems->Get(I), FItems->GetObject(I));
}

void TListBox::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, "LISTBOX");
  Params.Style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL;
  if (FMultiSelect) Params.Style |= LBS_EXTENDEDSEL;
  if (FStyle == lbOwnerDrawFixed) Params.Style |= LBS_OWNERDRAWFIXED | LBS_HASSTRINGS;
  if (FStyle == lbOwnerDrawVariable) Params.Style |= LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS;
  if (IsVirtual()) Params.Style |= LBS_OWNERDRAWFIXED | LBS_NODATA;
  Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TListBox::CreateWnd() {
  TWinControl::CreateWnd();
  const int Selected = FItemIndex;
  ShowItems();
  SendMessageA(FHandle, LB_SETCURSEL, static_cast<WPARAM>(Selected), 0);
  SendMessageA(FHandle, LB_SETTOPINDEX, static_cast<WPARAM>(FTopIndex), 0);
}

void TListBox::DestroyWnd() {
  FItemIndex = ItemIndex();
  FTopIndex = TopIndex();
  TWinControl::DestroyWnd();
}

void TListBox::ShowItems() {
  if (!FHandle) return;
  const int Selected = ItemIndex();
  const int Top = TopIndex();
  ShowUpdating(FHandle, true);
  SendMessageA(FHandle, LB_RESETCONTENT, 0, 0);
  if (IsVirtual()) {
    SendMessageA(FHandle, LB_SETCOUNT, static_cast<WPARAM>(FCount), 0);
  } else {
    for (int I = 0; I < FItems->Count(); ++I) InsertRow(I);
  }
  SendMessageA(FHandle, LB_SETCURSEL, static_cast<WPARAM>(Selected), 0);
  SendMessageA(FHandle, LB_SETTOPINDEX, static_cast<WPARAM>(Top), 0);
  ShowUpdating(FHandle, FItems->UpdateCount() > 0);
}

void TListBox::InsertRow(int Index) {
  CheckItemInserted(SendMessageA(FHandle, LB_INSERTSTRING, static_cast<WPARAM>(Index),
                                 reinterpret_cast<LPARAM>(FItems->Get(Index).c_str())));
}

void TListBox::ItemsChanged(TListChange Change, int Index, int Index2) {
  if (IsVirtual()) return;
  if (!FHandle) {
    FItemIndex = SelectionAfter(FItemIndex, Change, Index, Index2);
    return;
  }
  if (Change == lcReset) {
    ShowItems();
    return;
  }
  const int Selected = SelectionAfter(ItemIndex(), Change, Index, Index2);
  const int Top = TopIndex();
  try {
    ChangeRows(FHandle, LB_DELETESTRING, Change, Index, Index2, [this](int Row) { InsertRow(Row); });
  } catch (const EOutOfResources&) {
    // A new item the window refused is no item: the items stay as the window shows them.
    if (Change == lcInserted) FItems->TStringList::Delete(Index);
    throw;
  }
  if (ItemIndex() != Selected) SendMessageA(FHandle, LB_SETCURSEL, static_cast<WPARAM>(Selected), 0);
  // Selecting a row again may have scrolled to it.
  if (TopIndex() != Top) SendMessageA(FHandle, LB_SETTOPINDEX, static_cast<WPARAM>(Top), 0);
}

int TListBox::TopIndex() {
  return FHandle ? static_cast<int>(SendMessageA(FHandle, LB_GETTOPINDEX, 0, 0)) : FTopIndex;
}

void TListBox::SetTopIndex(int Value) {
  FTopIndex = Value;
  if (FHandle) SendMessageA(FHandle, LB_SETTOPINDEX, static_cast<WPARAM>(Value), 0);
}

void TListBox::SetStyle(TListBoxStyle Value) {
  FStyle = Value;
  RecreateWnd();
}

void TListBox::SetCount(int Value) {
  FCount = Value;
  if (FHandle && IsVirtual()) SendMessageA(FHandle, LB_SETCOUNT, static_cast<WPARAM>(Value), 0);
}

std::string TListBox::ItemText(int Index) {
  std::string Text;
  if (!IsVirtual())
    Text = Index >= 0 && Index < FItems->Count() ? FItems->Get(Index) : std::string();
  else if (OnData)
    OnData(this, Index, Text);
  return Text;
}

void TListBox::DrawItem(int Index, const RECT& Rect, UINT State, HDC DC) {
  if (OnDrawItem) {
    OnDrawItem(this, Index, Rect, State, DC);
    return;
  }
  FillRow(Rect, State, DC);
  if (Index < 0) return;
  RECT Text = Rect;
  if (UseRightToLeftAlignment())
    Text.right -= 2;
  else
    Text.left += 2;
  const std::string S = ItemText(Index);
  DrawTextA(DC, S.c_str(), static_cast<int>(S.size()), &Text,
            DrawTextBiDiModeFlags(DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX));
}

int TListBox::ItemIndex() {
  return FHandle ? static_cast<int>(SendMessageA(FHandle, LB_GETCURSEL, 0, 0)) : FItemIndex;
}

void TListBox::SetItemIndex(int Value) {
  FItemIndex = Value;
  if (FHandle) SendMessageA(FHandle, LB_SETCURSEL, static_cast<WPARAM>(Value), 0);
}

void TListBox::Dispatch(TMessage& Message) {
  if (Message.Msg == CN_DRAWITEM) {
    const auto* Draw = reinterpret_cast<const DRAWITEMSTRUCT*>(Message.LParam);
    DrawItem(static_cast<int>(Draw->itemID), Draw->rcItem, Draw->itemState, Draw->hDC);
    Message.Result = TRUE;
    return;
  }
  // A virtual list box has no texts of its own: OnData gives them.
  if (IsVirtual() && (Message.Msg == LB_GETTEXT || Message.Msg == LB_GETTEXTLEN)) {
    const auto Index = static_cast<int>(Message.WParam);
    if (Index < 0 || Index >= FCount || !OnData) {
      Message.Result = LB_ERR;
      return;
    }
    const std::string Text = ItemText(Index);
    if (Message.Msg == LB_GETTEXT)
      std::memcpy(reinterpret_cast<char*>(Message.LParam), Text.c_str(), Text.size() + 1);
    Message.Result = static_cast<LRESULT>(Text.size());
    return;
  }
  if (Message.Msg == CN_COMMAND) {
    if (HIWORD(Message.WParam) == LBN_SELCHANGE) Click();
    if (HIWORD(Message.WParam) == LBN_DBLCLK && OnDblClick) OnDblClick(this);
    return;
  }
  TWinControl::Dispatch(Message);
}

// ---------------------------------------------------------------------------------------------
// TComboBox

namespace {

// The window property of a combo's edit part that names its combo box.
const char* const ComboEditProp = "VelmaroComboEdit";
// Room for the dropped-down list below the edit part: the window is created this much taller.
constexpr int DroppedListHeight = 150;

}  // namespace

class TComboBox::TComboBoxStrings : public TTrackedStringList {
 public:
  explicit TComboBoxStrings(TComboBox* ComboBox) : FComboBox(ComboBox) {
    OnListChange = [this](TListChange Change, int Index, int Index2) {
      FComboBox->ItemsChanged(Change, Index, Index2);
    };
  }
  void SetUpdateState(bool Updating) override {
    TTrackedStringList::SetUpdateState(Updating);
    ShowUpdating(FComboBox->FHandle, Updating);
  }

 private:
  TComboBox* FComboBox;
};

TComboBox::TComboBox(TComponent* AOwner)
    : TCustomListControl(AOwner), FItems(std::make_unique<TComboBoxStrings>(this)) {
  SetBounds(0, 0, 145, 21);
  SetColor(clWindow);
  SetTabStop(true);
  FClickEvents = false;
}

TComboBox::~TComboBox() {
  DestroyHandle();
}

TStrings* TComboBox::Items() {
  return FItems.get();
}

void TComboBox::AddItem(const std::string& Item, TObject* AObject) {
  FItems->AddObject(Item, AObject);
}

void TComboBox::CopySelection(TCustomListControl* Destination) {
  const int Index = ItemIndex();
  if (Index >= 0 && Index < FItems->Count())
    Destination->AddItem(FItems->Get(Index), FItems->GetObject(Index));
}

int TComboBox::ItemIndex() {
  return FHandle ? static_cast<int>(SendMessageA(FHandle, CB_GETCURSEL, 0, 0)) : FItemIndex;
}

void TComboBox::SetItemIndex(int Value) {
  FItemIndex = Value;
  if (!FHandle) return;
  const TCountingScope Setting(FSettingText);
  SendMessageA(FHandle, CB_SETCURSEL, static_cast<WPARAM>(Value), 0);
}

HWND TComboBox::EditHandle() {
  HandleNeeded();
  return FEditHandle;
}

void TComboBox::SetStyle(TComboBoxStyle Value) {
  FStyle = Value;
  RecreateWnd();
}

void TComboBox::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, "COMBOBOX");
  static const DWORD Styles[] = {CBS_DROPDOWN, CBS_SIMPLE, CBS_DROPDOWNLIST,
                                 CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS,
                                 CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE | CBS_HASSTRINGS};
  Params.Style |= Styles[FStyle] | CBS_AUTOHSCROLL | WS_VSCROLL;
  // A drop-down combo takes the height of its dropped-down list from the window it is created as.
  if (FStyle != csSimple) Params.Height = Height() + DroppedListHeight;
}

void TComboBox::CreateWnd() {
  TWinControl::CreateWnd();
  HookEdit();
  const std::string Kept = FText;
  ShowItems();
  const TCountingScope Setting(FSettingText);
  if (FItemIndex >= 0)
    SendMessageA(FHandle, CB_SETCURSEL, static_cast<WPARAM>(FItemIndex), 0);
  else
    SendMessageA(FHandle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Kept.c_str()));
}

void TComboBox::DestroyWnd() {
  FItemIndex = ItemIndex();
  FEditHandle = nullptr;
  TWinControl::DestroyWnd();
}

// The edit part's keys go through this control's key events first.
void TComboBox::HookEdit() {
  COMBOBOXINFO Info{};
  Info.cbSize = sizeof Info;
  if (FStyle >= csDropDownList || !GetComboBoxInfo(FHandle, &Info) || !Info.hwndItem) return;
  FEditHandle = Info.hwndItem;
  SetPropA(FEditHandle, ComboEditProp, this);
  FDefEditProc = SubClassEdit(FEditHandle, EditWndProc);
}

WNDPROC TComboBox::SubClassEdit(HWND EditWnd, WNDPROC Proc) {
  return reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(EditWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc)));
}

LRESULT CALLBACK TComboBox::EditWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto* Combo = static_cast<TComboBox*>(GetPropA(Wnd, ComboEditProp));
  if (!Combo) return DefWindowProcA(Wnd, Msg, WParam, LParam);
  const WNDPROC DefProc = Combo->FDefEditProc;
  if (Msg == WM_NCDESTROY) RemovePropA(Wnd, ComboEditProp);
  TMessage Message{Msg, WParam, LParam, 0};
  try {
    Combo->ComboWndProc(Message, Wnd, DefProc);
  } catch (...) {
    try {
      if (HandleWindowException) HandleWindowException(std::current_exception());
    } catch (...) {
    }
  }
  return Message.Result;
}

void TComboBox::ComboWndProc(TMessage& Message, HWND EditWnd, WNDPROC DefProc) {
  switch (Message.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (DoKeyDown(Message)) return;
      break;
    case WM_CHAR:
      if (DoKeyPress(Message)) return;
      break;
    default:
      break;
  }
  Message.Result = CallWindowProcA(DefProc, EditWnd, Message.Msg, Message.WParam, Message.LParam);
}

int TComboBox::SelStart() {
  DWORD Start = 0;
  SendMessageA(Handle(), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&Start), 0);
  return static_cast<int>(Start);
}

int TComboBox::SelLength() {
  DWORD Start = 0;
  DWORD End = 0;
  SendMessageA(Handle(), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&Start), reinterpret_cast<LPARAM>(&End));
  return static_cast<int>(End - Start);
}

void TComboBox::SetSelStart(int Value) {
  SendMessageA(Handle(), CB_SETEDITSEL, 0, MAKELPARAM(Value, Value));
}

void TComboBox::SetSelLength(int Value) {
  const int Start = SelStart();
  SendMessageA(Handle(), CB_SETEDITSEL, 0, MAKELPARAM(Start, Start + Value));
}

bool TComboBox::DroppedDown() {
  return FHandle && SendMessageA(FHandle, CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void TComboBox::SetDroppedDown(bool Value) {
  SendMessageA(Handle(), CB_SHOWDROPDOWN, Value, 0);
}

void TComboBox::ShowItems() {
  if (!FHandle) return;
  const int Index = ItemIndex();
  ShowUpdating(FHandle, true);
  KeepingText([&] {
    SendMessageA(FHandle, CB_RESETCONTENT, 0, 0);
    for (int I = 0; I < FItems->Count(); ++I) InsertRow(I);
    if (Index < FItems->Count()) SendMessageA(FHandle, CB_SETCURSEL, static_cast<WPARAM>(Index), 0);
  });
  ShowUpdating(FHandle, FItems->UpdateCount() > 0);
}

void TComboBox::InsertRow(int Index) {
  CheckItemInserted(SendMessageA(FHandle, CB_INSERTSTRING, static_cast<WPARAM>(Index),
                                 reinterpret_cast<LPARAM>(FItems->Get(Index).c_str())));
}

void TComboBox::DrawItem(int Index, const RECT& Rect, UINT State, HDC DC) {
  if (OnDrawItem) {
    OnDrawItem(this, Index, Rect, State, DC);
    return;
  }
  FillRow(Rect, State, DC);
  if (Index < 0 || Index >= FItems->Count()) return;
  const std::string S = FItems->Get(Index);
  TextOutA(DC, Rect.left + 2, Rect.top, S.c_str(), static_cast<int>(S.size()));
}

void TComboBox::KeepingText(const std::function<void()>& Change) {
  const TCountingScope Setting(FSettingText);
  const std::string Kept = Text();
  // Setting the text again puts the caret at the start: one typing on would write in front of it.
  DWORD SelStart = 0, SelEnd = 0;
  SendMessageA(FHandle, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&SelStart),
               reinterpret_cast<LPARAM>(&SelEnd));
  Change();
  if (FStyle >= csDropDownList) return;
  SendMessageA(FHandle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Kept.c_str()));
  SendMessageA(FHandle, CB_SETEDITSEL, 0, MAKELPARAM(SelStart, SelEnd));
}

void TComboBox::ItemsChanged(TListChange Change, int Index, int Index2) {
  if (!FHandle) {
    FItemIndex = SelectionAfter(FItemIndex, Change, Index, Index2);
    return;
  }
  if (Change == lcReset) {
    ShowItems();
    return;
  }
  const int Selected = SelectionAfter(ItemIndex(), Change, Index, Index2);
  try {
    ChangeRows(FHandle, CB_DELETESTRING, Change, Index, Index2, [this](int Row) { InsertRow(Row); });
  } catch (const EOutOfResources&) {
    if (Change == lcInserted) FItems->TStringList::Delete(Index);
    throw;
  }
  if (ItemIndex() != Selected)
    KeepingText([&] { SendMessageA(FHandle, CB_SETCURSEL, static_cast<WPARAM>(Selected), 0); });
}

void TComboBox::Change() {
  if (OnChange) OnChange(this);
}

void TComboBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_DRAWITEM: {
      const auto* Draw = reinterpret_cast<const DRAWITEMSTRUCT*>(Message.LParam);
      DrawItem(static_cast<int>(Draw->itemID), Draw->rcItem, Draw->itemState, Draw->hDC);
      Message.Result = TRUE;
      return;
    }
    case CN_COMMAND:
      if (HIWORD(Message.WParam) == CBN_EDITCHANGE && !FSettingText) Change();
      if (HIWORD(Message.WParam) == CBN_SELCHANGE) {
        // The edit part shows the picked item only after this notice: the text is set here.
        const int Index = ItemIndex();
        if (Index >= 0 && Index < FItems->Count()) {
          const TCountingScope Setting(FSettingText);
          SetText(FItems->Get(Index));
        }
        Click();
        Change();
      }
      return;
    case WM_SETTEXT: {
      const TCountingScope Setting(FSettingText);
      TWinControl::Dispatch(Message);
      return;
    }
    default:
      TWinControl::Dispatch(Message);
  }
}

// ---------------------------------------------------------------------------------------------
// Published properties

void RegisterStdCtrls() {
  using namespace Published;
  const TClassInfo* Control = GetClass("TControl");
  const TClassInfo* WinControl = GetClass("TWinControl");
  const std::vector<std::string> Alignments{"taLeftJustify", "taRightJustify", "taCenter"};
  static const TClassInfo LabelInfo = MakeClassInfo<TLabel>(
      "TLabel", Control,
      {Bool<TLabel>(
           "AutoSize", [](TLabel* C) { return C->AutoSize(); }, [](TLabel* C, bool V) { C->SetAutoSize(V); }),
       Enum<TLabel>(
           "Alignment", Alignments, [](TLabel* C) { return C->Alignment(); },
           [](TLabel* C, int64_t V) { C->SetAlignment(static_cast<TAlignment>(V)); }),
       Bool<TLabel>(
           "Transparent", [](TLabel* C) { return C->Transparent(); },
           [](TLabel* C, bool V) { C->SetTransparent(V); }),
       Bool<TLabel>(
           "WordWrap", [](TLabel* C) { return C->WordWrap(); }, [](TLabel* C, bool V) { C->SetWordWrap(V); }),
       Bool<TLabel>(
           "ShowAccelChar", [](TLabel* C) { return C->ShowAccelChar(); },
           [](TLabel* C, bool V) { C->SetShowAccelChar(V); }),
       Enum<TLabel>(
           "EllipsisPosition", {"epNone", "epPathEllipsis", "epEndEllipsis", "epWordEllipsis"},
           [](TLabel* C) { return C->EllipsisPosition(); },
           [](TLabel* C, int64_t V) { C->SetEllipsisPosition(static_cast<TEllipsisPosition>(V)); }),
       Component<TLabel, TWinControl>(
           "FocusControl", [](TLabel* C) { return C->FocusControl(); },
           [](TLabel* C, TWinControl* V) { C->SetFocusControl(V); })});
  static const TClassInfo ButtonControlInfo = MakeClassInfo<TButtonControl>("TButtonControl", WinControl, {});
  static const TClassInfo ButtonInfo = MakeClassInfo<TButton>(
      "TButton", &ButtonControlInfo,
      {Bool<TButton>(
          "Default", [](TButton* C) { return C->Default(); }, [](TButton* C, bool V) { C->SetDefault(V); })});
  static const TClassInfo CheckBoxInfo =
      MakeClassInfo<TCheckBox>("TCheckBox", &ButtonControlInfo,
                               {Bool<TCheckBox>(
                                   "Checked", [](TCheckBox* C) { return C->Checked(); },
                                   [](TCheckBox* C, bool V) { C->SetChecked(V); })});
  static const TClassInfo RadioButtonInfo =
      MakeClassInfo<TRadioButton>("TRadioButton", &ButtonControlInfo,
                                  {Bool<TRadioButton>(
                                      "Checked", [](TRadioButton* C) { return C->Checked(); },
                                      [](TRadioButton* C, bool V) { C->SetChecked(V); })});
  static const TClassInfo GroupBoxInfo = MakeClassInfo<TGroupBox>("TGroupBox", WinControl, {});
  static const TClassInfo CustomEditInfo = MakeClassInfo<TCustomEdit>(
      "TCustomEdit", WinControl,
      {Str<TCustomEdit>(
           "Text", [](TCustomEdit* C) { return C->Text(); },
           [](TCustomEdit* C, const std::string& V) { C->SetText(V); }),
       Bool<TCustomEdit>(
           "ReadOnly", [](TCustomEdit* C) { return C->ReadOnly(); },
           [](TCustomEdit* C, bool V) { C->SetReadOnly(V); }),
       Int<TCustomEdit>(
           "MaxLength", [](TCustomEdit* C) { return C->MaxLength(); },
           [](TCustomEdit* C, int64_t V) { C->SetMaxLength(static_cast<int>(V)); }),
       Event<TCustomEdit>("OnChange", &TCustomEdit::OnChange)});
  static const TClassInfo EditInfo = MakeClassInfo<TEdit>("TEdit", &CustomEditInfo, {});
  static const TClassInfo MemoInfo = MakeClassInfo<TMemo>(
      "TMemo", &CustomEditInfo,
      {Object<TMemo>("Lines", [](TMemo* C) { return C->Lines(); }),
       Enum<TMemo>(
           "ScrollBars", {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"},
           [](TMemo* C) { return C->ScrollBars(); },
           [](TMemo* C, int64_t V) { C->SetScrollBars(static_cast<TScrollStyle>(V)); }),
       Bool<TMemo>(
           "WordWrap", [](TMemo* C) { return C->WordWrap(); }, [](TMemo* C, bool V) { C->SetWordWrap(V); })});
  static const TClassInfo ListBoxInfo =
      MakeClassInfo<TListBox>("TListBox", WinControl,
                              {Object<TListBox>("Items", [](TListBox* C) { return C->Items(); }),
                               Int<TListBox>(
                                   "ItemIndex", [](TListBox* C) { return C->ItemIndex(); },
                                   [](TListBox* C, int64_t V) { C->SetItemIndex(static_cast<int>(V)); })});
  static const TClassInfo ComboBoxInfo = MakeClassInfo<TComboBox>(
      "TComboBox", WinControl,
      {Str<TComboBox>(
           "Text", [](TComboBox* C) { return C->Text(); },
           [](TComboBox* C, const std::string& V) { C->SetText(V); }),
       Object<TComboBox>("Items", [](TComboBox* C) { return C->Items(); }),
       Int<TComboBox>(
           "ItemIndex", [](TComboBox* C) { return C->ItemIndex(); },
           [](TComboBox* C, int64_t V) { C->SetItemIndex(static_cast<int>(V)); }),
       Enum<TComboBox>(
           "Style", {"csDropDown", "csSimple", "csDropDownList", "csOwnerDrawFixed", "csOwnerDrawVariable"},
           [](TComboBox* C) { return C->Style(); },
           [](TComboBox* C, int64_t V) { C->SetStyle(static_cast<TComboBoxStyle>(V)); }),
       Event<TComboBox>("OnChange", &TComboBox::OnChange)});
  for (const TClassInfo* Info :
       {&LabelInfo, &ButtonControlInfo, &ButtonInfo, &CheckBoxInfo, &RadioButtonInfo, &GroupBoxInfo,
        &CustomEditInfo, &EditInfo, &MemoInfo, &ListBoxInfo, &ComboBoxInfo})
    RegisterClass(Info);
}
