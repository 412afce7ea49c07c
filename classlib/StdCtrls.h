#pragma once
// Labels, buttons, check boxes, radio buttons, group boxes, edits, memos and list boxes.
#include <functional>
#include <memory>
#include <string>

#include "classlib/Controls.h"
#include "classlib/StringLists.h"

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
// Where a label's text too long for it is cut for "...": in the middle of a path, at the end, at a word.
enum TEllipsisPosition { epNone, epPathEllipsis, epEndEllipsis, epWordEllipsis };

class TLabel : public TGraphicControl {
 public:
  explicit TLabel(TComponent* AOwner);
  void Paint(TCanvas* Canvas) override;
  // With AutoSize the label takes the size of its text (the left edge stays).
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  // Its accelerator gives this control the focus.
  TWinControl* FocusControl() const { return FFocusControl; }
  void SetFocusControl(TWinControl* Value);
  // Off: an "&" is shown as it is, and the label has no accelerator.
  bool ShowAccelChar() const { return FShowAccelChar; }
  void SetShowAccelChar(bool Value);
  // Applies without WordWrap.
  TEllipsisPosition EllipsisPosition() const { return FEllipsisPosition; }
  void SetEllipsisPosition(TEllipsisPosition Value);

 protected:
  void Dispatch(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Draws the caption into Rect with the canvas's font, or with DT_CALCRECT measures it there.
  virtual void DoDrawText(TCanvas* Canvas, RECT& Rect, UINT Flags);
  UINT TextFlags() const;
  // The DrawText flag of the ellipsis position; 0 for none.
  UINT EllipsisFlag() const;
  void AdjustBounds();

 private:
  bool FAutoSize = true;
  TAlignment FAlignment = taLeftJustify;
  bool FTransparent = false;
  bool FWordWrap = false;
  TWinControl* FFocusControl = nullptr;
  bool FShowAccelChar = true;
  TEllipsisPosition FEllipsisPosition = epNone;
};

class TButtonActionLink : public TWinControlActionLink {
 public:
  using TWinControlActionLink::TWinControlActionLink;
};

// A control over the system's BUTTON class; its clicks come from the window.
class TButtonControl : public TWinControl {
 public:
  explicit TButtonControl(TComponent* AOwner);

 protected:
  void Dispatch(TMessage& Message) override;
  TControlActionLinkClass GetActionLinkClass() override { return NewActionLink<TButtonActionLink>; }
  virtual void Clicked() { Click(); }
};

class TButton : public TButtonControl {
 public:
  explicit TButton(TComponent* AOwner);
  bool Default() const { return FDefault; }
  void SetDefault(bool Value);

 protected:
  void CreateParams(TCreateParams& Params) override;

 private:
  bool FDefault = false;
};

// Setting Checked fires OnClick when the state changes; a click on the box toggles it.
class TCheckBox : public TButtonControl {
 public:
  explicit TCheckBox(TComponent* AOwner);
  bool Checked() const { return FChecked; }
  void SetChecked(bool Value);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Clicked() override { SetChecked(!FChecked); }

 private:
  bool FChecked = false;
};

// Becoming checked fires OnClick and unchecks the sibling radio buttons, which do not fire.
class TRadioButton : public TButtonControl {
 public:
  explicit TRadioButton(TComponent* AOwner);
  bool Checked() const { return FChecked; }
  void SetChecked(bool Value);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Clicked() override { SetChecked(true); }

 private:
  void ShowCheck();
  bool FChecked = false;
};

class TGroupBox : public TWinControl {
 public:
  explicit TGroupBox(TComponent* AOwner);

 protected:
  void PaintWindow(TCanvas* Canvas) override;
  void Dispatch(TMessage& Message) override;
};

class TCustomEdit : public TWinControl {
 public:
  explicit TCustomEdit(TComponent* AOwner);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  int MaxLength() const { return FMaxLength; }
  void SetMaxLength(int Value);
  // The character shown for each typed one; 0 shows the text.
  char PasswordChar() const { return FPasswordChar; }
  void SetPasswordChar(char Value);
  void SelectAll();
  // The selection in characters of the window's text (bytes of the 8-bit text for 8-bit windows).
  int SelStart();
  void SetSelStart(int Value);
  int SelLength();
  void SetSelLength(int Value);
  std::string SelText();
  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;
  char FPasswordChar = 0;

 private:
  bool FReadOnly = false;
  int FMaxLength = 0;
};

class TEdit : public TCustomEdit {
 public:
  using TCustomEdit::TCustomEdit;
};

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

class TMemo : public TCustomEdit {
 public:
  explicit TMemo(TComponent* AOwner);
  ~TMemo() override;
  // The text as lines; each change goes to the window at once.
  TStrings* Lines() { return FLines.get(); }
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle Value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);

 protected:
  void CreateParams(TCreateParams& Params) override;

 private:
  std::unique_ptr<TStrings> FLines;
  TScrollStyle FScrollBars = ssNone;
  bool FWordWrap = true;
};

// A control that lists items: list boxes and combo boxes.
class TCustomListControl : public TWinControl {
 public:
  using TWinControl::TWinControl;
  // Appends an item with its object.
  virtual void AddItem(const std::string& Item, TObject* AObject) = 0;
  // Appends the selected items with their objects to Destination.
  virtual void CopySelection(TCustomListControl* Destination) = 0;
};

// Raises EOutOfResources when a list window refused an item (a negative answer to adding or inserting).
void CheckItemInserted(LRESULT Result);

// Draws an owner-drawn row; Rect is in DC's coordinates.
using TDrawItemEvent =
    std::function<void(TWinControl* Control, int Index, const RECT& Rect, UINT State, HDC DC)>;

// Virtual styles hold no items: the window has Count rows and OnData gives the text of each.
enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable, lbVirtual, lbVirtualOwnerDraw };
using TLBGetDataEvent = std::function<void(TWinControl* Control, int Index, std::string& Data)>;

class TListBox : public TCustomListControl {
 public:
  explicit TListBox(TComponent* AOwner);
  ~TListBox() override;
  void AddItem(const std::string& Item, TObject* AObject) override;
  // Every selected item with MultiSelect, else the item at ItemIndex.
  void CopySelection(TCustomListControl* Destination) override;
  // Several items can be selected (with Shift and Ctrl).
  bool MultiSelect() const { return FMultiSelect; }
  void SetMultiSelect(bool Value);
  bool Selected(int Index);
  // Kept by the control; the window shows each change.
  TStrings* Items();
  // -1 when nothing is selected.
  int ItemIndex();
  void SetItemIndex(int Value);
  // The first row shown.
  int TopIndex();
  void SetTopIndex(int Value);
  TListBoxStyle Style() const { return FStyle; }
  void SetStyle(TListBoxStyle Value);
  bool IsVirtual() const { return FStyle == lbVirtual || FStyle == lbVirtualOwnerDraw; }
  // The rows of a virtual list box.
  int Count() const { return FCount; }
  void SetCount(int Value);
  TLBGetDataEvent OnData;
  // Draws the rows of an owner-drawn style in the place of the control.
  TDrawItemEvent OnDrawItem;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Dispatch(TMessage& Message) override;
  // Fills the window with the items; the selection and the first row shown stay.
  virtual void ShowItems();
  // One change of the items, made on the window's rows alone; the selection follows its item.
  virtual void ItemsChanged(TListChange Change, int Index, int Index2);
  // Puts item Index into the window as its row Index.
  virtual void InsertRow(int Index);
  // Draws one row of an owner-drawn style: OnDrawItem, or the rectangle filled and the item's text.
  virtual void DrawItem(int Index, const RECT& Rect, UINT State, HDC DC);
  // The text of a row: the item's, or OnData's for a virtual style.
  std::string ItemText(int Index);

 private:
  class TListBoxStrings;
  std::unique_ptr<TListBoxStrings> FItems;
  int FItemIndex = -1;
  int FTopIndex = 0;
  TListBoxStyle FStyle = lbStandard;
  int FCount = 0;
  bool FMultiSelect = false;
};

// The owner-drawn styles are drop-down lists whose rows the control draws.
enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

// A combo box over the system's COMBOBOX class. OnChange follows what the user types or picks, not text
// that the program sets. Keys typed into the edit part reach OnKeyDown and OnKeyPress first.
class TComboBox : public TCustomListControl {
 public:
  explicit TComboBox(TComponent* AOwner);
  ~TComboBox() override;
  void AddItem(const std::string& Item, TObject* AObject) override;
  // The selected item, if any.
  void CopySelection(TCustomListControl* Destination) override;
  // Kept by the control; the window shows each change and keeps its text.
  TStrings* Items();
  // -1 when no item is selected.
  int ItemIndex();
  void SetItemIndex(int Value);
  TComboBoxStyle Style() const { return FStyle; }
  void SetStyle(TComboBoxStyle Value);
  // The edit part's window (the control's window is made when needed); nullptr for a drop-down list.
  HWND EditHandle();
  // The selection in the edit part's text.
  int SelStart();
  void SetSelStart(int Value);
  int SelLength();
  void SetSelLength(int Value);
  bool DroppedDown();
  void SetDroppedDown(bool Value);
  // For the combo boxes that complete what is typed to an item: whether they do, whether the list opens
  // as one types, and whether it closes when what was typed is a whole item.
  bool AutoComplete = true;
  bool AutoDropDown = false;
  bool AutoCloseUp = false;
  TNotifyEvent OnChange;
  TDrawItemEvent OnDrawItem;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Dispatch(TMessage& Message) override;
  // Every message of the edit part; DefProc is the edit's own procedure.
  virtual void ComboWndProc(TMessage& Message, HWND EditWnd, WNDPROC DefProc);
  // Puts Proc on the edit part; returns the procedure it replaces.
  virtual WNDPROC SubClassEdit(HWND EditWnd, WNDPROC Proc);
  // Refills the window's list; the text and the selection stay.
  virtual void ShowItems();
  // One change of the items, made on the window's list alone; the selection follows its item and the
  // text stays.
  virtual void ItemsChanged(TListChange Change, int Index, int Index2);
  // Puts item Index into the window's list as its row Index.
  virtual void InsertRow(int Index);
  // Runs Change on the window's list; the edit part keeps its text.
  virtual void KeepingText(const std::function<void()>& Change);
  // Draws one row of an owner-drawn style: OnDrawItem, or the rectangle filled and the item's text.
  virtual void DrawItem(int Index, const RECT& Rect, UINT State, HDC DC);
  void Change();
  int FSettingText = 0;  // the program changes the text: no OnChange

 private:
  class TComboBoxStrings;
  static LRESULT CALLBACK EditWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  void HookEdit();
  std::unique_ptr<TComboBoxStrings> FItems;
  TComboBoxStyle FStyle = csDropDown;
  int FItemIndex = -1;
  HWND FEditHandle = nullptr;
  WNDPROC FDefEditProc = nullptr;
};

void RegisterStdCtrls();
