#include "Imports/UCodeStdCtrls.h"

#include <algorithm>
#include <cstdlib>
#include <map>

#include <vssym32.h>

#include "Imports/UCodeForms.h"
#include "Imports/UCodeGraphics.h"
#include "Imports/UCodeSysUtils.h"
#include "Imports/UCodeWindows.h"
#include "classlib/FormReader.h"
#include "classlib/Forms.h"
#include "classlib/SysUtils.h"

namespace {

// The 8-bit text's length in bytes of the first Count characters of a wide text.
int AnsiLength(const std::wstring& Text, int Count) {
  return static_cast<int>(WideToAnsi(Text.substr(0, static_cast<size_t>(std::max(Count, 0)))).size());
}

// The wide text's length in characters of the first Count bytes of its 8-bit form.
int WideLength(const std::wstring& Text, int Count) {
  const std::string Ansi = WideToAnsi(Text);
  return static_cast<int>(AnsiToWide(Ansi.substr(0, static_cast<size_t>(std::max(Count, 0)))).size());
}

// An owner-drawn row's rectangle filled in the selection's or the window's colours.
void FillItemRect(const RECT& Rect, UINT State, HDC DC) {
  const bool Selected = (State & ODS_SELECTED) != 0;
  SetBkColor(DC, GetSysColor(Selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  SetTextColor(DC, GetSysColor(Selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  ExtTextOutW(DC, 0, 0, ETO_OPAQUE, &Rect, nullptr, 0, nullptr);
}

char AnsiPasswordChar(wchar_t Ch) {
  return Ch < 256 ? static_cast<char>(Ch) : '*';
}

// The accelerator of a caption-bearing window: only when it can take the focus.
template <class T>
bool WideDialogChar(T* Control, TMessage& Message) {
  return Message.Msg == CM_DIALOGCHAR && Control->CanFocus() &&
         WideIsAccel(Message.WParam, GetControlWideText(Control));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Edit

void TUCodeCustomEdit::CreateWindowHandle(const TCreateParams& Params) {
  CreateUnicodeHandle(this, Params, L"EDIT");
}

void TUCodeCustomEdit::CreateWnd() {
  TCustomEdit::CreateWnd();
  // 8-bit code may have set the library's character since: the wide one follows it first.
  if (const wchar_t Ch = PasswordChar(); IsUnicodePlatform && Ch)
    SendMessageW(FHandle, EM_SETPASSWORDCHAR, Ch, 0);
}

wchar_t TUCodeCustomEdit::PasswordChar() {
  if (AnsiPasswordChar(FPasswordChar) != TCustomEdit::PasswordChar())
    FPasswordChar = static_cast<unsigned char>(TCustomEdit::PasswordChar());
  return FPasswordChar;
}

void TUCodeCustomEdit::SetPasswordChar(wchar_t Value) {
  if (Value == PasswordChar()) return;
  FPasswordChar = Value;
  // The library's character changes without its window hearing of it: the window takes the wide one.
  TCustomEdit::FPasswordChar = AnsiPasswordChar(Value);
  if (!IsUnicodePlatform || !FHandle) {
    if (FHandle)
      SendMessageA(FHandle, EM_SETPASSWORDCHAR, static_cast<unsigned char>(TCustomEdit::FPasswordChar), 0);
    return;
  }
  SendMessageW(FHandle, EM_SETPASSWORDCHAR, Value, 0);
  Invalidate();
}

int TUCodeCustomEdit::GetSelStart() {
  if (IsUnicodePlatform) return TCustomEdit::SelStart();
  return WideLength(Text(), TCustomEdit::SelStart());
}

void TUCodeCustomEdit::SetSelStart(int Value) {
  TCustomEdit::SetSelStart(IsUnicodePlatform ? Value : AnsiLength(Text(), Value));
}

int TUCodeCustomEdit::GetSelLength() {
  if (IsUnicodePlatform) return TCustomEdit::SelLength();
  return static_cast<int>(AnsiToWide(TCustomEdit::SelText()).size());
}

void TUCodeCustomEdit::SetSelLength(int Value) {
  if (IsUnicodePlatform) {
    TCustomEdit::SetSelLength(Value);
    return;
  }
  const std::wstring All = Text();
  const int Start = GetSelStart();
  TCustomEdit::SetSelLength(AnsiLength(All.substr(static_cast<size_t>(Start)), Value));
}

std::wstring TUCodeCustomEdit::GetSelText() {
  const std::wstring All = Text();
  const auto Start = std::min(static_cast<size_t>(GetSelStart()), All.size());
  return All.substr(Start, static_cast<size_t>(GetSelLength()));
}

// ---------------------------------------------------------------------------------------------
// Memo

TUCodeMemoStrings::TUCodeMemoStrings(TUCodeCustomMemo* Memo)
    : FMemo(Memo), FAnsiLines(Memo->TMemo::Lines()) {}

HWND TUCodeMemoStrings::Window() const {
  const HWND Wnd = FMemo->Handle();
  return IsUnicodePlatform && IsWindowUnicode(Wnd) ? Wnd : nullptr;
}

int TUCodeMemoStrings::GetCount() const {
  return FAnsiLines->Count();
}

std::wstring TUCodeMemoStrings::Get(int Index) const {
  const HWND Wnd = Window();
  if (!Wnd) return AnsiToWide(FAnsiLines->Get(Index));
  const LRESULT Start = SendMessageW(Wnd, EM_LINEINDEX, static_cast<WPARAM>(Index), 0);
  const auto Length =
      static_cast<size_t>(Start < 0 ? 0 : SendMessageW(Wnd, EM_LINELENGTH, static_cast<WPARAM>(Start), 0));
  if (Length == 0) return {};
  if (Length > 65535) throw EOutOfResources(L"Text exceeds memo capacity");
  std::wstring Line(std::max<size_t>(Length, 1), L'\0');
  Line[0] = static_cast<wchar_t>(Length);
  const LRESULT Got =
      SendMessageW(Wnd, EM_GETLINE, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(Line.data()));
  Line.resize(static_cast<size_t>(std::max<LRESULT>(Got, 0)));
  return Line;
}

void TUCodeMemoStrings::Put(int Index, const std::wstring& S) {
  const HWND Wnd = Window();
  if (!Wnd) {
    FAnsiLines->Put(Index, WideToAnsi(S));
    return;
  }
  const LRESULT Start = SendMessageW(Wnd, EM_LINEINDEX, static_cast<WPARAM>(Index), 0);
  if (Start < 0) return;
  const LRESULT Length = SendMessageW(Wnd, EM_LINELENGTH, static_cast<WPARAM>(Start), 0);
  const std::wstring Line = WideAdjustLineBreaks(S, tlbsCRLF);
  SendMessageW(Wnd, EM_SETSEL, static_cast<WPARAM>(Start), Start + Length);
  SendMessageW(Wnd, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(Line.c_str()));
}

// A line goes before line Index, or behind line Index - 1 when Index is one past the window's lines;
// behind an empty or missing line nothing is inserted. The line's own breaks become CR LF, which the
// window and the line count of the library both take for breaks.
void TUCodeMemoStrings::Insert(int Index, const std::wstring& S) {
  const HWND Wnd = Window();
  if (!Wnd) {
    FAnsiLines->Insert(Index, WideToAnsi(S));
    return;
  }
  if (Index < 0) return;
  const std::wstring Line = WideAdjustLineBreaks(S, tlbsCRLF);
  LRESULT Start = SendMessageW(Wnd, EM_LINEINDEX, static_cast<WPARAM>(Index), 0);
  std::wstring Text = Line + L"\r\n";
  if (Start < 0) {
    if (Index == 0) return;
    const LRESULT Previous = SendMessageW(Wnd, EM_LINEINDEX, static_cast<WPARAM>(Index - 1), 0);
    if (Previous < 0) return;
    const LRESULT Length = SendMessageW(Wnd, EM_LINELENGTH, static_cast<WPARAM>(Previous), 0);
    if (Length == 0) return;
    Start = Previous + Length;
    Text = L"\r\n" + Line;
  }
  SendMessageW(Wnd, EM_SETSEL, static_cast<WPARAM>(Start), Start);
  SendMessageW(Wnd, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(Text.c_str()));
}

void TUCodeMemoStrings::Delete(int Index) {
  FAnsiLines->Delete(Index);
}

void TUCodeMemoStrings::Clear() {
  FAnsiLines->Clear();
}

void TUCodeMemoStrings::SetUpdateState(bool Updating) {
  FAnsiLines->SetUpdateState(Updating);
}

std::wstring TUCodeMemoStrings::GetTextStr() const {
  return GetControlWideText(FMemo);
}

void TUCodeMemoStrings::SetTextStr(const std::wstring& Value) {
  const std::wstring Text = WideAdjustLineBreaks(Value, tlbsCRLF);
  if (Text == GetControlWideText(FMemo)) return;
  FMemo->HandleNeeded();
  SetControlWideText(FMemo, Text);
}

TUCodeCustomMemo::TUCodeCustomMemo(TComponent* AOwner)
    : TUCodeControlOf(AOwner), FLines(std::make_unique<TUCodeMemoStrings>(this)) {}

TUCodeCustomMemo::~TUCodeCustomMemo() = default;

void TUCodeCustomMemo::CreateWindowHandle(const TCreateParams& Params) {
  CreateUnicodeHandle(this, Params, L"EDIT");
}

void TUCodeCustomMemo::SetLines(TWideStrings* Value) {
  FLines->Assign(Value);
}

int TUCodeCustomMemo::GetSelStart() {
  if (IsUnicodePlatform) return TMemo::SelStart();
  return WideLength(Text(), TMemo::SelStart());
}

void TUCodeCustomMemo::SetSelStart(int Value) {
  TMemo::SetSelStart(IsUnicodePlatform ? Value : AnsiLength(Text(), Value));
}

int TUCodeCustomMemo::GetSelLength() {
  if (IsUnicodePlatform) return TMemo::SelLength();
  return static_cast<int>(AnsiToWide(TMemo::SelText()).size());
}

void TUCodeCustomMemo::SetSelLength(int Value) {
  if (IsUnicodePlatform) {
    TMemo::SetSelLength(Value);
    return;
  }
  const std::wstring All = Text();
  TMemo::SetSelLength(AnsiLength(All.substr(static_cast<size_t>(GetSelStart())), Value));
}

// ---------------------------------------------------------------------------------------------
// Label

void TUCodeCustomLabel::DoDrawText(TCanvas* Canvas, RECT& Rect, UINT Flags) {
  if (!IsUnicodePlatform) {
    TLabel::DoDrawText(Canvas, Rect, Flags);
    return;
  }
  std::wstring Text = Caption();
  if ((Flags & DT_CALCRECT) && (Text.empty() || (ShowAccelChar() && Text == L"&"))) Text += L' ';
  if (!ShowAccelChar()) Flags |= DT_NOPREFIX;
  Flags = DrawTextBiDiModeFlags(Flags);
  Canvas->Font()->Assign(Font());
  Canvas->RequiredState(csHandleValid | csFontValid);
  const HDC DC = Canvas->Handle();
  // Measuring (AutoSize) gives the whole text its room.
  if (const UINT Ellipsis = EllipsisFlag(); Ellipsis && !(Flags & DT_CALCRECT)) {
    Flags = (Flags & ~DT_EXPANDTABS) | Ellipsis;
    if (Ellipsis != DT_PATH_ELLIPSIS) Text = ShortenedToHeight(Canvas, Text, Rect, Flags);
  }
  SetBkMode(DC, TRANSPARENT);
  if (Enabled() || (Flags & DT_CALCRECT)) {
    SetTextColor(DC, ColorToRGB(Font()->Color()));
    UCode_DrawTextW(DC, Text.c_str(), -1, &Rect, Flags);
    return;
  }
  // Disabled: embossed.
  OffsetRect(&Rect, 1, 1);
  SetTextColor(DC, ColorToRGB(clBtnHighlight));
  UCode_DrawTextW(DC, Text.c_str(), -1, &Rect, Flags);
  OffsetRect(&Rect, -1, -1);
  SetTextColor(DC, ColorToRGB(clBtnShadow));
  UCode_DrawTextW(DC, Text.c_str(), -1, &Rect, Flags);
}

// Lines beyond the label's height: words go from the end (or else characters) and "..." follows what stays.
std::wstring TUCodeCustomLabel::ShortenedToHeight(TCanvas* Canvas, const std::wstring& Text, const RECT& Rect,
                                                  UINT Flags) {
  static const std::wstring Dots = L"...";
  std::wstring Kept = Text, Shown = Text;
  for (;;) {
    RECT Measured = Rect;
    Measured.right -= WideTextWidth(Canvas, Dots);
    UCode_DrawTextW(Canvas->Handle(), Shown.c_str(), -1, &Measured, Flags | DT_CALCRECT);
    const int Height = Measured.bottom - Measured.top;
    if (Height <= ClientHeight() || Height <= std::abs(Font()->Height())) break;
    const size_t Delimiter = Kept.find_last_of(L" \t");
    Kept.resize(Delimiter == std::wstring::npos ? Kept.size() - 1 : Delimiter);
    Shown = Kept + Dots;
    if (Kept.empty()) break;
  }
  return Kept.empty() ? Text : Shown;
}

// Without a window of its own, the label prepares its wide hint itself.
void TUCodeCustomLabel::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_HINTSHOW) PrepareWideHintShow(Message);
  if (Message.Msg == CM_DIALOGCHAR) {
    TWinControl* Focus = FocusControl();
    if (Focus && Enabled() && ShowAccelChar() && Focus->CanFocus() &&
        WideIsAccel(Message.WParam, Caption())) {
      Focus->SetFocus();
      Message.Result = 1;
    }
    return;
  }
  TLabel::Dispatch(Message);
}

// ---------------------------------------------------------------------------------------------
// Buttons

void TUCodeButton::CreateWindowHandle(const TCreateParams& Params) {
  CreateUnicodeHandle(this, Params, L"BUTTON");
}

void TUCodeButton::Dispatch(TMessage& Message) {
  if (Message.Msg != CM_DIALOGCHAR) {
    TButton::Dispatch(Message);
    return;
  }
  if (!WideDialogChar(this, Message)) {
    TWinControl::Dispatch(Message);  // the children's accelerators
    return;
  }
  Click();
  Message.Result = 1;
}

void TUCodeCustomCheckBox::CreateWindowHandle(const TCreateParams& Params) {
  CreateUnicodeHandle(this, Params, L"BUTTON");
}

void TUCodeCustomCheckBox::Dispatch(TMessage& Message) {
  if (Message.Msg != CM_DIALOGCHAR) {
    TCheckBox::Dispatch(Message);
    return;
  }
  if (!WideDialogChar(this, Message)) {
    TWinControl::Dispatch(Message);
    return;
  }
  SetFocus();
  if (Focused()) SetChecked(!Checked());
  Message.Result = 1;
}

void TUCodeRadioButton::CreateWindowHandle(const TCreateParams& Params) {
  CreateUnicodeHandle(this, Params, L"BUTTON");
}

void TUCodeRadioButton::Dispatch(TMessage& Message) {
  if (Message.Msg != CM_DIALOGCHAR) {
    TRadioButton::Dispatch(Message);
    return;
  }
  if (!WideDialogChar(this, Message)) {
    TWinControl::Dispatch(Message);
    return;
  }
  SetFocus();
  SetChecked(true);
  Message.Result = 1;
}

// ---------------------------------------------------------------------------------------------
// Group box

void TUCodeCustomGroupBox::CreateWindowHandle(const TCreateParams& Params) {
  CreateUnicodeHandle(this, Params, L"");
}

namespace {

// The theme data of one window's class of parts, closed at the end of the scope.
class TThemeData {
 public:
  TThemeData(HWND Window, const wchar_t* ClassList) : FTheme(OpenThemeData(Window, ClassList)) {}
  ~TThemeData() {
    if (FTheme) CloseThemeData(FTheme);
  }
  TThemeData(const TThemeData&) = delete;
  TThemeData& operator=(const TThemeData&) = delete;
  HTHEME Handle() const { return FTheme; }

 private:
  HTHEME FTheme;
};

}  // namespace

void TUCodeCustomGroupBox::PaintWindow(TCanvas* Canvas) {
  if (!IsUnicodePlatform) {
    TGroupBox::PaintWindow(Canvas);
    return;
  }
  Canvas->Font()->Assign(Font());
  if (ThemesEnabled())
    if (const TThemeData Theme(Handle(), L"BUTTON"); Theme.Handle()) {
      PaintThemed(Canvas, Theme.Handle());
      return;
    }
  const int TextHeight = WideTextHeight(Canvas, L"0");
  RECT Frame{0, TextHeight / 2 - 1, Width(), Height()};
  DrawEdge(Canvas->Handle(), &Frame, EDGE_ETCHED, BF_RECT);
  const std::wstring Text = Caption();
  if (Text.empty()) return;
  Canvas->Brush()->SetColor(Color());
  Canvas->RequiredState(csHandleValid | csFontValid | csBrushValid);
  SetBkMode(Canvas->Handle(), OPAQUE);
  SetBkColor(Canvas->Handle(), ColorToRGB(Color()));
  SetTextColor(Canvas->Handle(), ColorToRGB(Font()->Color()));
  const UINT Flags = DrawTextBiDiModeFlags(DT_SINGLELINE);
  RECT Rect = CaptionRect(Canvas, Text, Flags);
  UCode_DrawTextW(Canvas->Handle(), Text.c_str(), -1, &Rect, Flags);
}

// The caption starts 8 pixels in from the side it is aligned to.
RECT TUCodeCustomGroupBox::CaptionRect(TCanvas* Canvas, const std::wstring& Text, UINT Flags) {
  RECT Rect{0, 0, 0, 0};
  UCode_DrawTextW(Canvas->Handle(), Text.c_str(), -1, &Rect, Flags | DT_CALCRECT);
  OffsetRect(&Rect, UseRightToLeftAlignment() ? Width() - 8 - Rect.right : 8, 0);
  return Rect;
}

// The theme's frame, left open where the caption stands, and the caption in the theme's colour.
void TUCodeCustomGroupBox::PaintThemed(TCanvas* Canvas, HTHEME Theme) {
  Canvas->RequiredState(csHandleValid | csFontValid);
  const HDC DC = Canvas->Handle();
  const std::wstring Text = Caption();
  const UINT Flags = DrawTextBiDiModeFlags(DT_SINGLELINE);
  const RECT TextRect = Text.empty() ? RECT{0, 0, 0, 0} : CaptionRect(Canvas, Text, Flags);
  const int State = Enabled() ? GBS_NORMAL : GBS_DISABLED;
  RECT Frame{0, WideTextHeight(Canvas, L"0") / 2 - 1, Width(), Height()};
  const int Saved = SaveDC(DC);
  ExcludeClipRect(DC, TextRect.left, TextRect.top, TextRect.right, TextRect.bottom);
  DrawThemeBackground(Theme, DC, BP_GROUPBOX, State, &Frame, nullptr);
  RestoreDC(DC, Saved);
  if (!Text.empty()) DrawThemeText(Theme, DC, BP_GROUPBOX, State, Text.c_str(), -1, Flags, 0, &TextRect);
}

void TUCodeCustomGroupBox::Dispatch(TMessage& Message) {
  if (Message.Msg != CM_DIALOGCHAR || !WideDialogChar(this, Message)) {
    TGroupBox::Dispatch(Message);
    return;
  }
  // The first child that can take the focus gets it.
  for (int I = 0; I < ControlCount(); ++I)
    if (auto* Child = dynamic_cast<TWinControl*>(Controls(I)); Child && Child->CanFocus()) {
      Child->SetFocus();
      break;
    }
  Message.Result = 1;
}

// ---------------------------------------------------------------------------------------------
// Items of list boxes and combo boxes

TUCodeMirroredStrings::TUCodeMirroredStrings(TStrings* Ansi) : FAnsi(Ansi) {}

std::wstring TUCodeMirroredStrings::Get(int Index) const {
  if (Index < 0 || Index >= GetCount()) IndexError(Index);
  return FWide[static_cast<size_t>(Index)];
}

int TUCodeMirroredStrings::GetCount() const {
  return static_cast<int>(FWide.size());
}

TObject* TUCodeMirroredStrings::GetObject(int Index) const {
  return FAnsi->GetObject(Index);
}

void TUCodeMirroredStrings::Put(int Index, const std::wstring& S) {
  const TValueScope<const std::wstring*> Pending(FPending, &S);
  FAnsi->Put(Index, WideToAnsi(S));
}

void TUCodeMirroredStrings::PutObject(int Index, TObject* AObject) {
  FAnsi->PutObject(Index, AObject);
}

void TUCodeMirroredStrings::SetUpdateState(bool Updating) {
  if (Updating)
    FAnsi->BeginUpdate();
  else
    FAnsi->EndUpdate();
}

void TUCodeMirroredStrings::Clear() {
  FAnsi->Clear();
}

void TUCodeMirroredStrings::Delete(int Index) {
  FAnsi->Delete(Index);
}

void TUCodeMirroredStrings::Exchange(int Index1, int Index2) {
  FAnsi->Exchange(Index1, Index2);
}

void TUCodeMirroredStrings::Insert(int Index, const std::wstring& S) {
  InsertObject(Index, S, nullptr);
}

void TUCodeMirroredStrings::InsertObject(int Index, const std::wstring& S, TObject* AObject) {
  const TValueScope<const std::wstring*> Pending(FPending, &S);
  FAnsi->InsertObject(Index, WideToAnsi(S), AObject);
}

int TUCodeMirroredStrings::AddObject(const std::wstring& S, TObject* AObject) {
  const TValueScope<const std::wstring*> Pending(FPending, &S);
  return FAnsi->AddObject(WideToAnsi(S), AObject);
}

void TUCodeMirroredStrings::Move(int CurIndex, int NewIndex) {
  FAnsi->Move(CurIndex, NewIndex);
}

std::wstring TUCodeMirroredStrings::NewText(int Index) {
  if (!FPending) return AnsiToWide(FAnsi->Get(Index));
  std::wstring Text = *FPending;
  FPending = nullptr;
  return Text;
}

void TUCodeMirroredStrings::Follow(TListChange Change, int Index, int Index2) {
  const auto At = [this](int I) { return FWide.begin() + I; };
  switch (Change) {
    case lcInserted:
      FWide.insert(At(Index), NewText(Index));
      break;
    case lcDeleted:
      FWide.erase(At(Index));
      break;
    case lcReplaced:
      FWide[static_cast<size_t>(Index)] = NewText(Index);
      break;
    case lcExchanged:
      std::swap(FWide[static_cast<size_t>(Index)], FWide[static_cast<size_t>(Index2)]);
      break;
    case lcMoved:
      if (Index < Index2)
        std::rotate(At(Index), At(Index + 1), At(Index2 + 1));
      else
        std::rotate(At(Index2), At(Index), At(Index + 1));
      break;
    case lcReset:  // cleared
      FWide.clear();
      break;
  }
}

TUCodeComboBoxStrings::TUCodeComboBoxStrings(TUCodeCustomComboBox* ComboBox)
    : TUCodeMirroredStrings(ComboBox->TComboBox::Items()), FComboBox(ComboBox) {}

void TUCodeComboBoxStrings::Clear() {
  TUCodeMirroredStrings::Clear();
  FComboBox->Change();
}

std::wstring TUCodeComboBoxStrings::Get(int Index) const {
  return Index >= 0 && Index < GetCount() ? TUCodeMirroredStrings::Get(Index) : std::wstring();
}

// ---------------------------------------------------------------------------------------------
// List box

TUCodeListBoxStrings::TUCodeListBoxStrings(TUCodeCustomListBox* ListBox)
    : TUCodeMirroredStrings(ListBox->TListBox::Items()), FListBox(ListBox) {}

std::wstring TUCodeListBoxStrings::Get(int Index) const {
  if (!FListBox->IsVirtual()) return TUCodeMirroredStrings::Get(Index);
  if (Index < 0 || Index >= FListBox->Count()) IndexError(Index);
  std::string Text;
  if (FListBox->OnData) FListBox->OnData(FListBox, Index, Text);
  return AnsiToWide(Text);
}

int TUCodeListBoxStrings::GetCount() const {
  return FListBox->IsVirtual() ? FListBox->Count() : TUCodeMirroredStrings::GetCount();
}

TUCodeCustomListBox::TUCodeCustomListBox(TComponent* AOwner)
    : TUCodeControlOf(AOwner), FItems(std::make_unique<TUCodeListBoxStrings>(this)) {}

TUCodeCustomListBox::~TUCodeCustomListBox() {
  DestroyHandle();
}

void TUCodeCustomListBox::SetItems(TWideStrings* Value) {
  FItems->Assign(Value);
}

void TUCodeCustomListBox::AddItem(const std::wstring& Item, TObject* AObject) {
  FItems->AddObject(Item, AObject);
}

void TUCodeCustomListBox::CopySelection(TCustomListControl* Destination) {
  const int Current = ItemIndex();
  for (int I = 0; I < FItems->Count(); ++I)
    if (MultiSelect() ? Selected(I) : I == Current)
      WideListControl_AddItem(Destination, FItems->Get(I), IsVirtual() ? nullptr : FItems->GetObject(I));
}

void TUCodeCustomListBox::CreateWindowHandle(const TCreateParams& Params) {
  CreateUnicodeHandle(this, Params, L"LISTBOX");
}

bool TUCodeCustomListBox::ShowsWide() {
  return IsUnicodePlatform && HandleAllocated() && IsWindowUnicode(Handle());
}

void TUCodeCustomListBox::ItemsChanged(TListChange Change, int Index, int Index2) {
  FItems->Follow(Change, Index, Index2);
  try {
    TListBox::ItemsChanged(Change, Index, Index2);
  } catch (const EOutOfResources&) {
    if (Change == lcInserted) FItems->Follow(lcDeleted, Index, -1);  // the library dropped it again
    throw;
  }
}

// A Unicode window takes the wide text.
void TUCodeCustomListBox::InsertRow(int Index) {
  if (!ShowsWide()) {
    TListBox::InsertRow(Index);
    return;
  }
  CheckItemInserted(SendMessageW(FHandle, LB_INSERTSTRING, static_cast<WPARAM>(Index),
                                 reinterpret_cast<LPARAM>(FItems->Get(Index).c_str())));
}

void TUCodeCustomListBox::DrawItem(int Index, const RECT& Rect, UINT State, HDC DC) {
  if (!IsUnicodePlatform || OnDrawItem) {
    TListBox::DrawItem(Index, Rect, State, DC);
    return;
  }
  FillItemRect(Rect, State, DC);
  if (Index < 0 || Index >= FItems->Count()) return;
  RECT Text = Rect;
  if (UseRightToLeftAlignment())
    Text.right -= 2;
  else
    Text.left += 2;
  UCode_DrawTextW(DC, FItems->Get(Index).c_str(), -1, &Text,
                  DrawTextBiDiModeFlags(DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX));
}

// A virtual list box tells its texts wide. The caller sizes its buffer by the length told for the row,
// so a text that has grown since is cut to that length. A row past 65535 is told as empty: callers that
// count rows in 16 bits cannot name it.
void TUCodeCustomListBox::AnswerText(TMessage& Message) {
  const auto Index = static_cast<int>(Message.WParam);
  if (Index < 0 || Index >= Count() || !OnData) {
    Message.Result = LB_ERR;
    return;
  }
  if (Index > 65535) {
    if (Message.Msg == LB_GETTEXT) *reinterpret_cast<wchar_t*>(Message.LParam) = L'\0';
    Message.Result = 0;
    return;
  }
  const std::wstring Text = FItems->Get(Index);
  if (Message.Msg == LB_GETTEXTLEN) {
    FLengthIndex = Index;
    FLength = Text.size();
    Message.Result = static_cast<LRESULT>(Text.size());
    return;
  }
  const size_t Length = Index == FLengthIndex ? std::min(Text.size(), FLength) : Text.size();
  auto* Buffer = reinterpret_cast<wchar_t*>(Message.LParam);
  Text.copy(Buffer, Length);
  Buffer[Length] = L'\0';
  Message.Result = static_cast<LRESULT>(Length);
}

void TUCodeCustomListBox::Dispatch(TMessage& Message) {
  const bool TextRequest = Message.Msg == LB_GETTEXT || Message.Msg == LB_GETTEXTLEN;
  if (TextRequest && IsVirtual() && ShowsWide()) {
    AnswerText(Message);
    return;
  }
  TListBox::Dispatch(Message);
}

// ---------------------------------------------------------------------------------------------
// Combo box

namespace {

// The character of a WM_CHAR: packed or wide from a Unicode window, else of the 8-bit code page.
wchar_t TypedChar(const TMessage& Message, bool Wide) {
  if (Wide) return GetWideCharFromMessage(Message);
  const std::wstring Ch = AnsiToWide(std::string(1, static_cast<char>(Message.WParam)));
  return Ch.empty() ? L'\0' : Ch[0];
}

// Characters within this many milliseconds of each other make one search in a drop-down list.
constexpr DWORD TypeAheadPause = 1250;

}  // namespace

TUCodeCustomComboBox::TUCodeCustomComboBox(TComponent* AOwner)
    : TUCodeControlOf(AOwner), FItems(std::make_unique<TUCodeComboBoxStrings>(this)) {}

TUCodeCustomComboBox::~TUCodeCustomComboBox() {
  DestroyHandle();
}

void TUCodeCustomComboBox::SetItems(TWideStrings* Value) {
  FItems->Assign(Value);
}

void TUCodeCustomComboBox::AddItem(const std::wstring& Item, TObject* AObject) {
  FItems->AddObject(Item, AObject);
}

void TUCodeCustomComboBox::CopySelection(TCustomListControl* Destination) {
  const int Index = ItemIndex();
  if (Index >= 0 && Index < FItems->Count())
    WideListControl_AddItem(Destination, FItems->Get(Index), FItems->GetObject(Index));
}

void TUCodeCustomComboBox::CreateWindowHandle(const TCreateParams& Params) {
  CreateUnicodeHandle(this, Params, L"COMBOBOX");
}

bool TUCodeCustomComboBox::ShowsWide() {
  return IsUnicodePlatform && HandleAllocated() && IsWindowUnicode(Handle());
}

// The library gives the new window its 8-bit text: the wide one follows.
void TUCodeCustomComboBox::CreateWnd() {
  const std::wstring Kept = Text();
  TComboBox::CreateWnd();
  if (Style() >= csDropDownList || !ShowsWide()) return;
  const TCountingScope Setting(FSettingText);
  SetText(Kept);
}

WNDPROC TUCodeCustomComboBox::SubClassEdit(HWND EditWnd, WNDPROC Proc) {
  if (!IsUnicodePlatform || !IsWindowUnicode(EditWnd)) return TComboBox::SubClassEdit(EditWnd, Proc);
  return reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(EditWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc)));
}

void TUCodeCustomComboBox::ItemsChanged(TListChange Change, int Index, int Index2) {
  FItems->Follow(Change, Index, Index2);
  try {
    TComboBox::ItemsChanged(Change, Index, Index2);
  } catch (const EOutOfResources&) {
    if (Change == lcInserted) FItems->Follow(lcDeleted, Index, -1);
    throw;
  }
}

void TUCodeCustomComboBox::InsertRow(int Index) {
  if (!ShowsWide()) {
    TComboBox::InsertRow(Index);
    return;
  }
  CheckItemInserted(SendMessageW(FHandle, CB_INSERTSTRING, static_cast<WPARAM>(Index),
                                 reinterpret_cast<LPARAM>(FItems->Get(Index).c_str())));
}

void TUCodeCustomComboBox::DrawItem(int Index, const RECT& Rect, UINT State, HDC DC) {
  if (!IsUnicodePlatform || OnDrawItem) {
    TComboBox::DrawItem(Index, Rect, State, DC);
    return;
  }
  FillItemRect(Rect, State, DC);
  if (Index < 0 || Index >= FItems->Count()) return;
  const std::wstring Text = FItems->Get(Index);
  TextOutW(DC, Rect.left + 2, Rect.top, Text.c_str(), static_cast<int>(Text.size()));
}

// The edit part keeps its wide text.
void TUCodeCustomComboBox::KeepingText(const std::function<void()>& Change) {
  if (!ShowsWide()) {
    TComboBox::KeepingText(Change);
    return;
  }
  const TCountingScope Setting(FSettingText);
  const std::wstring Kept = Text();
  // Setting the text again puts the caret at the start: one typing on would write in front of it.
  DWORD SelStart = 0, SelEnd = 0;
  SendMessageW(FHandle, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&SelStart),
               reinterpret_cast<LPARAM>(&SelEnd));
  Change();
  if (Style() < csDropDownList) {
    SetText(Kept);
    SendMessageW(FHandle, CB_SETEDITSEL, 0, MAKELPARAM(SelStart, SelEnd));
  }
}

int TUCodeCustomComboBox::GetSelStart() {
  if (IsUnicodePlatform) return TComboBox::SelStart();
  return WideLength(Text(), TComboBox::SelStart());
}

void TUCodeCustomComboBox::SetSelStart(int Value) {
  TComboBox::SetSelStart(IsUnicodePlatform ? Value : AnsiLength(Text(), Value));
}

int TUCodeCustomComboBox::GetSelLength() {
  if (IsUnicodePlatform) return TComboBox::SelLength();
  const std::wstring All = Text();
  const int Start = TComboBox::SelStart();
  return WideLength(All, Start + TComboBox::SelLength()) - WideLength(All, Start);
}

void TUCodeCustomComboBox::SetSelLength(int Value) {
  if (IsUnicodePlatform) {
    TComboBox::SetSelLength(Value);
    return;
  }
  const std::wstring All = Text();
  const int Start = GetSelStart();
  TComboBox::SetSelLength(AnsiLength(All.substr(static_cast<size_t>(Start)), Value));
}

int TUCodeCustomComboBox::FindItem(const std::wstring& Search, int Start) {
  if (ShowsWide())
    return static_cast<int>(SendMessageW(Handle(), CB_FINDSTRING, static_cast<WPARAM>(Start),
                                         reinterpret_cast<LPARAM>(Search.c_str())));
  const std::string Ansi = WideToAnsi(Search);
  return static_cast<int>(SendMessageA(Handle(), CB_FINDSTRING, static_cast<WPARAM>(Start),
                                       reinterpret_cast<LPARAM>(Ansi.c_str())));
}

bool TUCodeCustomComboBox::SelectItem(const std::wstring& Search, bool KeepTyped, bool UniqueOnly) {
  int Index = FindItem(Search, -1);
  if (Index >= 0 && UniqueOnly && FindItem(Search, Index) != Index) Index = -1;
  if (Index < 0 || Index >= FItems->Count()) return false;
  const std::wstring Item = FItems->Get(Index);
  const bool Changed = Style() == csDropDown ? Text() != Item : ItemIndex() != Index;
  if (AutoCloseUp && Item.size() == Search.size()) SetDroppedDown(false);
  SetItemIndex(Index);
  if (Style() < csDropDownList) {
    const size_t Typed = std::min(Search.size(), Item.size());
    {
      const TCountingScope Setting(FSettingText);
      SetText(KeepTyped ? Search.substr(0, Typed) + Item.substr(Typed) : Item);
    }
    SetSelStart(static_cast<int>(Typed));
    SetSelLength(static_cast<int>(Item.size() - Typed));
  }
  if (Changed) {
    Click();
    Change();
  }
  return true;
}

bool TUCodeCustomComboBox::TypeAhead(wchar_t Key) {
  switch (Key) {
    case VK_BACK:
      if (!FSearch.empty()) FSearch.pop_back();
      return false;
    case VK_TAB:
      if (AutoDropDown && DroppedDown()) SetDroppedDown(false);
      return false;
    case VK_ESCAPE:
      return false;
    default:
      break;
  }
  if (AutoDropDown && !DroppedDown()) SetDroppedDown(true);
  const DWORD Now = GetTickCount();
  if (Now - FLastKeyTime >= TypeAheadPause) FSearch.clear();
  FLastKeyTime = Now;
  if (!SelectItem(FSearch + Key, false, false)) return false;
  FSearch += Key;
  return true;
}

bool TUCodeCustomComboBox::AutoCompleteKeyPress(wchar_t Key) {
  Assert(Style() < csDropDownList,
         L"Internal Error: UCodeCombo_AutoCompleteKeyPress is only for csSimple and csDropDown style combo "
         L"boxes.");
  if (!AutoComplete) return false;
  switch (Key) {
    case VK_BACK:
    case VK_ESCAPE:
      return false;
    case VK_TAB:
      if (AutoDropDown && DroppedDown()) SetDroppedDown(false);
      return false;
    default:
      break;
  }
  if (AutoDropDown && !DroppedDown()) {
    // Opening the list selects its text: what was typed and selected stays.
    const std::wstring Kept = Text();
    const int Start = GetSelStart();
    const int Length = GetSelLength();
    SetDroppedDown(true);
    const TCountingScope Setting(FSettingText);
    SetText(Kept);
    SetSelStart(Start);
    SetSelLength(Length);
  }
  const std::wstring All = Text();
  const int Start = GetSelStart();
  if (static_cast<size_t>(Start + GetSelLength()) != All.size()) return false;
  return SelectItem(All.substr(0, static_cast<size_t>(Start)) + Key, true, false);
}

void TUCodeCustomComboBox::ComboWndProc(TMessage& Message, HWND EditWnd, WNDPROC DefProc) {
  const bool Wide = IsUnicodePlatform && IsWindowUnicode(EditWnd);
  switch (Message.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (DoKeyDown(Message)) return;
      break;
    case WM_CHAR:
      if (Wide) PackWideCharMessage(Message);
      if (DoKeyPress(Message) || AutoCompleteKeyPress(TypedChar(Message, Wide))) return;
      if (Wide) UnpackWideCharMessage(Message);
      if ((Message.WParam == VK_RETURN || Message.WParam == VK_ESCAPE) && DroppedDown()) {
        SetDroppedDown(false);
        return;
      }
      break;
    case WM_IME_CHAR:
      if (!Wide) break;
      Message.Result = SendMessageW(EditWnd, WM_CHAR, Message.WParam, Message.LParam);
      return;
    default:
      break;
  }
  Message.Result = Wide ? CallWindowProcW(DefProc, EditWnd, Message.Msg, Message.WParam, Message.LParam)
                        : CallWindowProcA(DefProc, EditWnd, Message.Msg, Message.WParam, Message.LParam);
}

void TUCodeCustomComboBox::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_CHAR && Style() >= csDropDownList && AutoComplete &&
      TypeAhead(TypedChar(Message, ShowsWide()))) {
    Message.Result = 0;
    return;
  }
  // The picked item becomes the text wide; the library would set its 8-bit form.
  if (Message.Msg == CN_COMMAND && HIWORD(Message.WParam) == CBN_SELCHANGE && ShowsWide()) {
    const int Index = ItemIndex();
    if (Index >= 0 && Index < FItems->Count()) {
      const TCountingScope Setting(FSettingText);
      SetText(FItems->Get(Index));
    }
    Click();
    Change();
    return;
  }
  TComboBox::Dispatch(Message);
}

// ---------------------------------------------------------------------------------------------
// Published properties

namespace {

using namespace Published;

template <class C>
TPropInfo WideHintProp() {
  TPropInfo Prop = WideStr<C>(
      "Hint", [](C* Control) { return Control->Hint(); },
      [](C* Control, const std::wstring& V) { Control->SetHint(V); });
  Prop.Stored = [](TObject* Control) { return IsWideHintStored(static_cast<C*>(Control)); };
  return Prop;
}

template <class C>
TPropInfo WideCaptionProp() {
  TPropInfo Prop = WideStr<C>(
      "Caption", [](C* Control) { return Control->Caption(); },
      [](C* Control, const std::wstring& V) { Control->SetCaption(V); });
  Prop.Stored = [](TObject* Control) { return IsWideCaptionStored(static_cast<C*>(Control)); };
  return Prop;
}

template <class C>
TPropInfo WideTextProp() {
  return WideStr<C>(
      "Text", [](C* Control) { return Control->Text(); },
      [](C* Control, const std::wstring& V) { Control->SetText(V); });
}

template <class C>
TClassInfo CaptionClass(const char* Name, const char* Library) {
  return MakeClassInfo<C>(Name, GetClass(Library), {WideCaptionProp<C>(), WideHintProp<C>()});
}

std::map<std::string, const TClassInfo*> RegisterStdCtrlsClasses() {
  RegisterLibraryClasses();
  static const TClassInfo Edit = MakeClassInfo<TUCodeEdit>(
      "TUCodeEdit", GetClass("TEdit"),
      {WideTextProp<TUCodeEdit>(), WideHintProp<TUCodeEdit>(),
       WideStr<TUCodeEdit>(
           "PasswordChar", [](TUCodeEdit* C) { return std::wstring(1, C->PasswordChar()); },
           [](TUCodeEdit* C, const std::wstring& V) { C->SetPasswordChar(V.empty() ? 0 : V[0]); }, tkWChar)});
  static const TClassInfo Memo =
      MakeClassInfo<TUCodeMemo>("TUCodeMemo", GetClass("TMemo"),
                                {Object<TUCodeMemo>("Lines", [](TUCodeMemo* C) { return C->Lines(); }),
                                 WideTextProp<TUCodeMemo>(), WideHintProp<TUCodeMemo>()});
  static const TClassInfo Label = CaptionClass<TUCodeLabel>("TUCodeLabel", "TLabel");
  static const TClassInfo Button = CaptionClass<TUCodeButton>("TUCodeButton", "TButton");
  static const TClassInfo CheckBox = CaptionClass<TUCodeCheckBox>("TUCodeCheckBox", "TCheckBox");
  static const TClassInfo RadioButton = CaptionClass<TUCodeRadioButton>("TUCodeRadioButton", "TRadioButton");
  static const TClassInfo GroupBox = CaptionClass<TUCodeGroupBox>("TUCodeGroupBox", "TGroupBox");
  static const TClassInfo ListBox = MakeClassInfo<TUCodeListBox>(
      "TUCodeListBox", GetClass("TListBox"),
      {Object<TUCodeListBox>("Items", [](TUCodeListBox* C) { return C->Items(); }),
       WideHintProp<TUCodeListBox>()});
  static const TClassInfo ComboBox = MakeClassInfo<TUCodeComboBox>(
      "TUCodeComboBox", GetClass("TComboBox"),
      {WideTextProp<TUCodeComboBox>(),
       Object<TUCodeComboBox>("Items", [](TUCodeComboBox* C) { return C->Items(); }),
       WideHintProp<TUCodeComboBox>()});
  std::map<std::string, const TClassInfo*> Classes;
  for (const TClassInfo* Info :
       {&Edit, &Memo, &Label, &Button, &CheckBox, &RadioButton, &GroupBox, &ListBox, &ComboBox}) {
    RegisterClass(Info);
    Classes[Info->Name] = Info;
  }
  return Classes;
}

}  // namespace

const TClassInfo* UCodeStdCtrlsClass(const std::string& Name) {
  static const std::map<std::string, const TClassInfo*> Classes = RegisterStdCtrlsClasses();
  const auto It = Classes.find(Name);
  return It == Classes.end() ? nullptr : It->second;
}
