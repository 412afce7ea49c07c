#pragma once
// The library's standard controls with Unicode windows and wide texts: edit, memo, label, buttons, check
// box, radio button, group box, list box and combo box. Forms reach them under the library's names
// through UCodeRepStdCtrls.
#include <memory>
#include <string>
#include <vector>

#include "Imports/UCodeActnList.h"
#include "Imports/UCodeClasses.h"
#include "Imports/UCodeControls.h"
#include "classlib/StdCtrls.h"

#include <uxtheme.h>

// What every wide control adds to its library class: the wide stream properties, the wide action texts
// and a wide hint.
template <class Base>
class TUCodeControlOf : public Base {
 public:
  using Base::Base;
  std::wstring Hint() { return GetControlWideHint(this); }
  void SetHint(const std::wstring& Value) { SetControlWideHint(this, Value); }
  void DefineProperties(TFiler* Filer) override {
    Base::DefineProperties(Filer);
    DefineWideProperties(Filer, this);
  }

 protected:
  void ActionChange(TObject* Sender, bool CheckDefaults) override {
    UCodeActionChange(this, Sender, CheckDefaults);
    Base::ActionChange(Sender, CheckDefaults);
  }
  TControlActionLinkClass GetActionLinkClass() override { return UCodeActionLinkClass(this); }
};

// The same for a control with a caption.
template <class Base>
class TUCodeCaptionControlOf : public TUCodeControlOf<Base> {
 public:
  using TUCodeControlOf<Base>::TUCodeControlOf;
  std::wstring Caption() { return GetControlWideText(this); }
  void SetCaption(const std::wstring& Value) { SetControlWideText(this, Value); }
};

// ---------------------------------------------------------------------------------------------
// Edit and memo

class TUCodeCustomEdit : public TUCodeControlOf<TCustomEdit> {
 public:
  using TUCodeControlOf::TUCodeControlOf;
  std::wstring Text() { return GetControlWideText(this); }
  void SetText(const std::wstring& Value) { SetControlWideText(this, Value); }
  // The library holds the character's 8-bit form: itself below 256, else "*".
  wchar_t PasswordChar();
  void SetPasswordChar(wchar_t Value);
  // In characters of the wide text.
  virtual int GetSelStart();
  virtual void SetSelStart(int Value);
  virtual int GetSelLength();
  virtual void SetSelLength(int Value);
  virtual std::wstring GetSelText();

 protected:
  void CreateWindowHandle(const TCreateParams& Params) override;
  void CreateWnd() override;

 private:
  wchar_t FPasswordChar = 0;
};

class TUCodeEdit : public TUCodeCustomEdit {
 public:
  using TUCodeCustomEdit::TUCodeCustomEdit;
};

class TUCodeCustomMemo;

// The lines of a memo's window, read and written with wide messages.
class TUCodeMemoStrings : public TUCodeStrings {
 public:
  explicit TUCodeMemoStrings(TUCodeCustomMemo* Memo);
  std::wstring Get(int Index) const override;
  int GetCount() const override;
  std::wstring GetTextStr() const override;
  void SetTextStr(const std::wstring& Value) override;
  void Put(int Index, const std::wstring& S) override;
  void Insert(int Index, const std::wstring& S) override;
  void Delete(int Index) override;
  void Clear() override;
  void SetUpdateState(bool Updating) override;

 private:
  // The memo's window when it is a Unicode one (made when needed), else nullptr.
  HWND Window() const;
  TUCodeCustomMemo* FMemo;
  TStrings* FAnsiLines;
};

class TUCodeCustomMemo : public TUCodeControlOf<TMemo> {
 public:
  explicit TUCodeCustomMemo(TComponent* AOwner);
  ~TUCodeCustomMemo() override;
  std::wstring Text() { return GetControlWideText(this); }
  void SetText(const std::wstring& Value) { SetControlWideText(this, Value); }
  TUCodeStrings* Lines() { return FLines.get(); }
  virtual void SetLines(TWideStrings* Value);
  virtual int GetSelStart();
  virtual void SetSelStart(int Value);
  virtual int GetSelLength();
  virtual void SetSelLength(int Value);

 protected:
  void CreateWindowHandle(const TCreateParams& Params) override;

 private:
  std::unique_ptr<TUCodeMemoStrings> FLines;
};

class TUCodeMemo : public TUCodeCustomMemo {
 public:
  using TUCodeCustomMemo::TUCodeCustomMemo;
};

// ---------------------------------------------------------------------------------------------
// Label, buttons, group box

class TUCodeCustomLabel : public TUCodeCaptionControlOf<TLabel> {
 public:
  using TUCodeCaptionControlOf::TUCodeCaptionControlOf;

 protected:
  void DoDrawText(TCanvas* Canvas, RECT& Rect, UINT Flags) override;
  void Dispatch(TMessage& Message) override;

 private:
  std::wstring ShortenedToHeight(TCanvas* Canvas, const std::wstring& Text, const RECT& Rect, UINT Flags);
};

class TUCodeLabel : public TUCodeCustomLabel {
 public:
  using TUCodeCustomLabel::TUCodeCustomLabel;
};

class TUCodeButton : public TUCodeCaptionControlOf<TButton> {
 public:
  using TUCodeCaptionControlOf::TUCodeCaptionControlOf;

 protected:
  void CreateWindowHandle(const TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;
};

class TUCodeCustomCheckBox : public TUCodeCaptionControlOf<TCheckBox> {
 public:
  using TUCodeCaptionControlOf::TUCodeCaptionControlOf;

 protected:
  void CreateWindowHandle(const TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;
};

class TUCodeCheckBox : public TUCodeCustomCheckBox {
 public:
  using TUCodeCustomCheckBox::TUCodeCustomCheckBox;
};

class TUCodeRadioButton : public TUCodeCaptionControlOf<TRadioButton> {
 public:
  using TUCodeCaptionControlOf::TUCodeCaptionControlOf;

 protected:
  void CreateWindowHandle(const TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;
};

class TUCodeCustomGroupBox : public TUCodeCaptionControlOf<TGroupBox> {
 public:
  using TUCodeCaptionControlOf::TUCodeCaptionControlOf;

 protected:
  void CreateWindowHandle(const TCreateParams& Params) override;
  void PaintWindow(TCanvas* Canvas) override;
  void Dispatch(TMessage& Message) override;

 private:
  RECT CaptionRect(TCanvas* Canvas, const std::wstring& Text, UINT Flags);
  void PaintThemed(TCanvas* Canvas, HTHEME Theme);
};

class TUCodeGroupBox : public TUCodeCustomGroupBox {
 public:
  using TUCodeCustomGroupBox::TUCodeCustomGroupBox;
};

// ---------------------------------------------------------------------------------------------
// List box

// Items kept wide beside the library's 8-bit items of the same control. Every change is made on the
// library's items, which tell it back by position; the wide items follow there, so that a change by
// 8-bit code keeps the wide text of every other item.
class TUCodeMirroredStrings : public TUCodeStrings {
 public:
  explicit TUCodeMirroredStrings(TStrings* Ansi);
  std::wstring Get(int Index) const override;
  int GetCount() const override;
  TObject* GetObject(int Index) const override;
  void Put(int Index, const std::wstring& S) override;
  void PutObject(int Index, TObject* AObject) override;
  void SetUpdateState(bool Updating) override;
  void Clear() override;
  void Delete(int Index) override;
  void Exchange(int Index1, int Index2) override;
  void Insert(int Index, const std::wstring& S) override;
  void InsertObject(int Index, const std::wstring& S, TObject* AObject) override;
  // Goes where the library's own add puts it, which in a sorted list is its sorted place.
  int AddObject(const std::wstring& S, TObject* AObject) override;
  void Move(int CurIndex, int NewIndex) override;
  // One change of the library's items, as they told it.
  void Follow(TListChange Change, int Index, int Index2);

 private:
  // The wide text of the library's item Index that a change has just put in.
  std::wstring NewText(int Index);
  TStrings* FAnsi;
  std::vector<std::wstring> FWide;
  const std::wstring* FPending = nullptr;  // the text of a wide change on its way through the library
};

class TUCodeCustomListBox;

// The items of a wide list box; a virtual list box's items come from its OnData.
class TUCodeListBoxStrings : public TUCodeMirroredStrings {
 public:
  explicit TUCodeListBoxStrings(TUCodeCustomListBox* ListBox);
  std::wstring Get(int Index) const override;
  int GetCount() const override;

 private:
  TUCodeCustomListBox* FListBox;
};

class TUCodeCustomListBox : public TUCodeControlOf<TListBox>, public IWideCustomListControl {
 public:
  explicit TUCodeCustomListBox(TComponent* AOwner);
  ~TUCodeCustomListBox() override;
  TUCodeStrings* Items() { return FItems.get(); }
  virtual void SetItems(TWideStrings* Value);
  using TListBox::AddItem;
  void AddItem(const std::wstring& Item, TObject* AObject) override;
  // The selected items go over with their wide texts.
  void CopySelection(TCustomListControl* Destination) override;

 protected:
  void CreateWindowHandle(const TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;
  void ItemsChanged(TListChange Change, int Index, int Index2) override;
  void InsertRow(int Index) override;
  void DrawItem(int Index, const RECT& Rect, UINT State, HDC DC) override;

 private:
  bool ShowsWide();
  void AnswerText(TMessage& Message);
  std::unique_ptr<TUCodeListBoxStrings> FItems;
  int FLengthIndex = -1;  // the row whose text length was told last, and that length
  size_t FLength = 0;
};

class TUCodeListBox : public TUCodeCustomListBox {
 public:
  using TUCodeCustomListBox::TUCodeCustomListBox;
};

// ---------------------------------------------------------------------------------------------
// Combo box

class TUCodeCustomComboBox;

// The items of a wide combo box; an item that is not there reads as the empty text.
class TUCodeComboBoxStrings : public TUCodeMirroredStrings {
 public:
  explicit TUCodeComboBoxStrings(TUCodeCustomComboBox* ComboBox);
  std::wstring Get(int Index) const override;
  // The edit text stays; the combo tells its change, as the list it offers has changed.
  void Clear() override;

 private:
  TUCodeCustomComboBox* FComboBox;
};

// A combo box whose window and edit part are Unicode windows. Typing completes to the items: in a
// drop-down list the characters typed within 1.25 s of each other pick the first item they begin; in the
// edit part a character typed at the end of the text completes it to the first item it begins, the rest
// selected.
class TUCodeCustomComboBox : public TUCodeControlOf<TComboBox>, public IWideCustomListControl {
  friend class TUCodeComboBoxStrings;

 public:
  explicit TUCodeCustomComboBox(TComponent* AOwner);
  ~TUCodeCustomComboBox() override;
  std::wstring Text() { return GetControlWideText(this); }
  void SetText(const std::wstring& Value) { SetControlWideText(this, Value); }
  TUCodeStrings* Items() { return FItems.get(); }
  virtual void SetItems(TWideStrings* Value);
  using TComboBox::AddItem;
  void AddItem(const std::wstring& Item, TObject* AObject) override;
  // The selected item goes over with its wide text.
  void CopySelection(TCustomListControl* Destination) override;
  // In characters of the wide text.
  virtual int GetSelStart();
  virtual void SetSelStart(int Value);
  virtual int GetSelLength();
  virtual void SetSelLength(int Value);
  // Selects the first item that begins with Search (without case; with UniqueOnly only when no other
  // does). The edit part then shows Search followed by the rest of the item (KeepTyped) or the item,
  // with that rest selected. False when there is no such item.
  bool SelectItem(const std::wstring& Search, bool KeepTyped, bool UniqueOnly);

 protected:
  void CreateWindowHandle(const TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;
  void ComboWndProc(TMessage& Message, HWND EditWnd, WNDPROC DefProc) override;
  WNDPROC SubClassEdit(HWND EditWnd, WNDPROC Proc) override;
  void ItemsChanged(TListChange Change, int Index, int Index2) override;
  void InsertRow(int Index) override;
  void KeepingText(const std::function<void()>& Change) override;
  void DrawItem(int Index, const RECT& Rect, UINT State, HDC DC) override;
  // A character typed into the edit part after OnKeyPress; true when the completion took it.
  virtual bool AutoCompleteKeyPress(wchar_t Key);

 private:
  bool ShowsWide();
  int FindItem(const std::wstring& Search, int Start);
  // A character typed into a drop-down list; true when the type-ahead took it.
  bool TypeAhead(wchar_t Key);
  std::unique_ptr<TUCodeComboBoxStrings> FItems;
  std::wstring FSearch;    // what was typed into the drop-down list
  DWORD FLastKeyTime = 0;  // when, by GetTickCount
};

class TUCodeComboBox : public TUCodeCustomComboBox {
 public:
  using TUCodeCustomComboBox::TUCodeCustomComboBox;
};

// The class information of the wide standard controls, by their own names.
const TClassInfo* UCodeStdCtrlsClass(const std::string& Name);
