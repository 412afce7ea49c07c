#include "Imports/UCodeStdCtrls.h"

#include <algorithm>
#include <map>

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
  if (IsUnicodePlatform && FPasswordChar) SendMessageW(FHandle, EM_SETPASSWORDCHAR, FPasswordChar, 0);
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

// A line goes before line Index, or at the end: after the last line's break, or after a break put behind
// a last line that has none. The line's own breaks become CR LF, which the window and the line count of
// the library both take for breaks.
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
    Start = GetWindowTextLengthW(Wnd);
    const std::wstring All = GetControlWideText(FMemo);
    if (!All.empty() && All.back() != L'\n') Text = L"\r\n" + Line;
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
  if ((Flags & DT_CALCRECT) && (Text.empty() || Text == L"&")) Text += L' ';
  Canvas->RequiredState(csHandleValid | csFontValid);
  const HDC DC = Canvas->Handle();
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

// Without a window of its own, the label prepares its wide hint itself.
void TUCodeCustomLabel::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_HINTSHOW) PrepareWideHintShow(Message);
  if (Message.Msg == CM_DIALOGCHAR) {
    TWinControl* Focus = FocusControl();
    if (Focus && Enabled() && Focus->CanFocus() && WideIsAccel(Message.WParam, Caption())) {
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

void TUCodeCustomGroupBox::PaintWindow(TCanvas* Canvas) {
  if (!IsUnicodePlatform) {
    TGroupBox::PaintWindow(Canvas);
    return;
  }
  Canvas->Font()->Assign(Font());
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
  RECT Rect{0, 0, 0, 0};
  UCode_DrawTextW(Canvas->Handle(), Text.c_str(), -1, &Rect, DT_SINGLELINE | DT_CALCRECT);
  OffsetRect(&Rect, 8, 0);
  UCode_DrawTextW(Canvas->Handle(), Text.c_str(), -1, &Rect, DT_SINGLELINE);
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
// List box

TUCodeListBoxStrings::TUCodeListBoxStrings(TUCodeCustomListBox* ListBox)
    : FListBox(ListBox), FAnsi(ListBox->TListBox::Items()) {}

std::wstring TUCodeListBoxStrings::Get(int Index) const {
  if (!FListBox->IsVirtual()) return FWide.Get(Index);
  if (Index < 0 || Index >= FListBox->Count()) IndexError(Index);
  std::string Text;
  if (FListBox->OnData) FListBox->OnData(FListBox, Index, Text);
  return AnsiToWide(Text);
}

int TUCodeListBoxStrings::GetCount() const {
  return FListBox->IsVirtual() ? FListBox->Count() : FWide.Count();
}

TObject* TUCodeListBoxStrings::GetObject(int Index) const {
  return FWide.GetObject(Index);
}

void TUCodeListBoxStrings::Put(int Index, const std::wstring& S) {
  FWide.Put(Index, S);
  FAnsi->Put(Index, WideToAnsi(S));
}

void TUCodeListBoxStrings::PutObject(int Index, TObject* AObject) {
  FWide.PutObject(Index, AObject);
  FAnsi->PutObject(Index, AObject);
}

void TUCodeListBoxStrings::SetUpdateState(bool Updating) {
  if (Updating)
    FAnsi->BeginUpdate();
  else
    FAnsi->EndUpdate();
}

void TUCodeListBoxStrings::Clear() {
  FWide.Clear();
  FAnsi->Clear();
}

void TUCodeListBoxStrings::Delete(int Index) {
  FWide.Delete(Index);
  FAnsi->Delete(Index);
}

void TUCodeListBoxStrings::Exchange(int Index1, int Index2) {
  FWide.Exchange(Index1, Index2);
  FAnsi->Exchange(Index1, Index2);
}

void TUCodeListBoxStrings::Insert(int Index, const std::wstring& S) {
  InsertObject(Index, S, nullptr);
}

void TUCodeListBoxStrings::InsertObject(int Index, const std::wstring& S, TObject* AObject) {
  FWide.InsertObject(Index, S, AObject);
  FAnsi->InsertObject(Index, WideToAnsi(S), AObject);
}

void TUCodeListBoxStrings::Move(int CurIndex, int NewIndex) {
  FWide.Move(CurIndex, NewIndex);
  FAnsi->Move(CurIndex, NewIndex);
}

int TUCodeListBoxStrings::IndexOf(const std::wstring& S) const {
  return FWide.IndexOf(S);
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

void TUCodeCustomListBox::CreateWindowHandle(const TCreateParams& Params) {
  CreateUnicodeHandle(this, Params, L"LISTBOX");
}

bool TUCodeCustomListBox::ShowsWide() {
  return IsUnicodePlatform && HandleAllocated() && IsWindowUnicode(Handle());
}

// The wide texts go into a Unicode window; the selection and the first row shown stay.
void TUCodeCustomListBox::ShowItems() {
  if (!ShowsWide() || IsVirtual()) {
    TListBox::ShowItems();
    return;
  }
  const int Selected = ItemIndex();
  const int Top = TopIndex();
  SendMessageW(FHandle, WM_SETREDRAW, FALSE, 0);
  SendMessageW(FHandle, LB_RESETCONTENT, 0, 0);
  for (int I = 0; I < FItems->Count(); ++I)
    SendMessageW(FHandle, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(FItems->Get(I).c_str()));
  SendMessageW(FHandle, LB_SETCURSEL, static_cast<WPARAM>(Selected), 0);
  SendMessageW(FHandle, LB_SETTOPINDEX, static_cast<WPARAM>(Top), 0);
  SendMessageW(FHandle, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(FHandle, nullptr, TRUE);
}

void TUCodeCustomListBox::DrawItem(int Index, const RECT& Rect, UINT State, HDC DC) {
  if (!IsUnicodePlatform) {
    TListBox::DrawItem(Index, Rect, State, DC);
    return;
  }
  const bool Selected = (State & ODS_SELECTED) != 0;
  SetBkColor(DC, GetSysColor(Selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  SetTextColor(DC, GetSysColor(Selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  ExtTextOutW(DC, 0, 0, ETO_OPAQUE, &Rect, nullptr, 0, nullptr);
  if (Index < 0 || Index >= FItems->Count()) return;
  RECT Text = Rect;
  Text.left += 2;
  UCode_DrawTextW(DC, FItems->Get(Index).c_str(), -1, &Text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

// A virtual list box tells its texts wide. The caller sizes its buffer by the length told for the row,
// so a text that has grown since is cut to that length.
void TUCodeCustomListBox::AnswerText(TMessage& Message) {
  const auto Index = static_cast<int>(Message.WParam);
  if (Index < 0 || Index >= Count() || !OnData) {
    Message.Result = LB_ERR;
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
// Published properties

namespace {

using namespace Published;

template <class C>
TPropInfo WideHintProp() {
  return WideStr<C>(
      "Hint", [](C* Control) { return Control->Hint(); },
      [](C* Control, const std::wstring& V) { Control->SetHint(V); });
}

template <class C>
TPropInfo WideCaptionProp() {
  return WideStr<C>(
      "Caption", [](C* Control) { return Control->Caption(); },
      [](C* Control, const std::wstring& V) { Control->SetCaption(V); });
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
  std::map<std::string, const TClassInfo*> Classes;
  for (const TClassInfo* Info :
       {&Edit, &Memo, &Label, &Button, &CheckBox, &RadioButton, &GroupBox, &ListBox}) {
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
