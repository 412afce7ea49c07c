#pragma once
// Main and pop-up menus. The platform menus are rebuilt from the item tree after each change.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classlib/ActnList.h"
#include "classlib/Classes.h"

// A key code with scShift, scCtrl and scAlt.
using TShortCut = WORD;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
constexpr TShortCut scNone = 0;

TShortCut ShortCut(WORD Key, uint8_t Shift);  // Shift: TShiftState bits
// "Ctrl+O", "Shift+Del", "F5"; empty for scNone.
std::string ShortCutToText(TShortCut ShortCut);
// The modifier words of a shortcut in the order Shift, Ctrl, Alt ("Shift+Ctrl+").
std::string ShortCutModifierText(TShortCut ShortCut);
// The reverse, without regard to case; scNone for a text that names no key.
TShortCut TextToShortCut(const std::string& Text);

enum TMenuAutoFlag { maAutomatic, maManual };
// Where a pop-up menu shows beside the point it is asked for, and how owner-drawn entries align their text.
enum TPopupAlignment { paLeft, paRight, paCenter };

class TMenu;
class TMenuItem;
class TWinControl;
struct TMessage;

// Shows an action's caption and hint on a menu item while the item shows the action's.
class TMenuActionLink : public TActionLink {
 public:
  explicit TMenuActionLink(TMenuItem* Client) : FClient(Client) {}
  TMenuItem* Client() const { return FClient; }
  bool IsCaptionLinked() override;
  bool IsHintLinked() override;
  void SetCaption(const std::string& Value) override;
  void SetHint(const std::string& Value) override;

 private:
  TMenuItem* FClient;
};

using TMenuActionLinkClass = TMenuActionLink* (*)(TMenuItem* Client);
// An owner-drawn item's size, and its drawing into Rect of DC; State holds the ODS_ flags.
using TMenuMeasureItemEvent = std::function<void(TObject* Sender, HDC DC, int& Width, int& Height)>;
using TAdvancedMenuDrawItemEvent = std::function<void(TObject* Sender, HDC DC, const RECT& Rect, UINT State)>;

class TMenuItem : public TComponent {
 public:
  explicit TMenuItem(TComponent* AOwner);
  // Frees the sub-items and leaves the parent item.
  ~TMenuItem() override;

  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value);
  bool Checked() const { return FChecked; }
  // A checked radio item unchecks the radio items of its group among its siblings.
  void SetChecked(bool Value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  TShortCut ShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut Value);
  // The control that must have the focus (on its window or one inside it) for the shortcut to act;
  // nullptr: wherever the focus is.
  TWinControl* ShortCutControl() const { return FShortCutControl; }
  void SetShortCutControl(TWinControl* Value);
  bool RadioItem() const { return FRadioItem; }
  void SetRadioItem(bool Value);
  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int Value) { FGroupIndex = Value; }
  // Clicking toggles the check mark first.
  bool AutoCheck() const { return FAutoCheck; }
  void SetAutoCheck(bool Value) { FAutoCheck = Value; }
  // The entry that Enter or a double click chooses; shown bold.
  bool Default() const { return FDefault; }
  void SetDefault(bool Value);
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& Value) { FHint = Value; }
  // The action whose texts the item shows; nullptr when none.
  TBasicAction* Action() const;
  void SetAction(TBasicAction* Value);
  TMenuActionLink* ActionLink() const { return FActionLink.get(); }

  int Count() const { return static_cast<int>(FItems.size()); }
  TMenuItem* Items(int Index) const;  // EListError outside 0..Count-1
  TMenuItem* Parent() const { return FParent; }
  // The menu whose tree holds the item, or nullptr.
  TMenu* GetParentMenu() const;
  int MenuIndex() const;
  void Add(TMenuItem* Item);
  void Insert(int Index, TMenuItem* Item);
  void Remove(TMenuItem* Item);
  // Frees every sub-item.
  void Clear();
  // The item (this or below) with the shortcut, visible and enabled, whose shortcut control (if any)
  // is or holds KeyWindow, the window the key went to; or nullptr.
  TMenuItem* FindShortCut(TShortCut Value, HWND KeyWindow);
  // The item with the command number, or nullptr.
  static TMenuItem* FindCommand(UINT Command);
  UINT Command() const { return FCommand; }

  virtual void Click();
  // Before the item's entry is shown (its menu opens): the item's action updates it.
  virtual void InitiateAction();
  // The entry of an owner-drawn menu: OnMeasureItem, or the size of the caption and shortcut text.
  virtual void MeasureItem(HDC DC, int& Width, int& Height);
  // OnAdvancedDrawItem, or the background, the check mark and the texts. TopLevel: an entry of a bar.
  virtual void AdvancedDrawItem(HDC DC, const RECT& Rect, UINT State, bool TopLevel);
  TNotifyEvent OnClick;
  TMenuMeasureItemEvent OnMeasureItem;
  TAdvancedMenuDrawItemEvent OnAdvancedDrawItem;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // The item's entry (with its sub-menu) was added to Menu, the platform menu of its parent.
  virtual void Appended(HMENU /*Menu*/) {}
  virtual void ActionChange(TObject* Sender, bool CheckDefaults);
  virtual TMenuActionLinkClass GetActionLinkClass();
  // An owner-drawn entry without its texts: the background, selected or not, and the check mark.
  void DrawItemBackground(HDC DC, const RECT& Rect, UINT State, bool TopLevel);
  // Where an owner-drawn entry's texts go: after the check mark's column. The shortcut text is right-aligned
  // there; the caption keeps to the left of a shortcut text ShortCutWidth wide (0: none).
  static RECT ItemTextRect(const RECT& Rect, bool TopLevel);
  static RECT CaptionRect(const RECT& TextRect, int ShortCutWidth);
  // DT_LEFT, DT_RIGHT or DT_CENTER: the alignment of the popup menu that holds the item, else left.
  UINT TextAlignment() const;

 private:
  friend class TMenu;
  void Changed();
  void AppendTo(HMENU Menu);
  void RethinkHotkeys();

  std::string FCaption;
  bool FChecked = false;
  bool FEnabled = true;
  bool FVisible = true;
  TShortCut FShortCut = scNone;
  TWinControl* FShortCutControl = nullptr;
  bool FRadioItem = false;
  int FGroupIndex = 0;
  bool FAutoCheck = false;
  bool FDefault = false;
  std::string FHint;
  std::vector<TMenuItem*> FItems;
  TMenuItem* FParent = nullptr;
  std::unique_ptr<TMenuActionLink> FActionLink;
  TMenu* FMenu = nullptr;  // set on the root item
  UINT FCommand;
};

class TMenu : public TComponent {
 public:
  explicit TMenu(TComponent* AOwner);
  ~TMenu() override;
  // The root item; its sub-items are the menu's entries.
  TMenuItem* Items() const { return FItems; }
  HMENU Handle();
  // Clicks the item of a key that went to KeyWindow; false when there is none.
  bool IsShortCut(TShortCut Value, HWND KeyWindow);
  // Automatic: each item without a hot key gets an "&" before the first letter or digit that no sibling
  // uses, when the menu is made.
  TMenuAutoFlag AutoHotkeys() const { return FAutoHotkeys; }
  void SetAutoHotkeys(TMenuAutoFlag Value);
  // The items measure and draw their entries (WM_MEASUREITEM, WM_DRAWITEM to the menu's window).
  bool OwnerDraw() const { return FOwnerDraw; }
  void SetOwnerDraw(bool Value);

 protected:
  virtual HMENU CreateMenuHandle() = 0;
  // The tree changed: the platform menu is made again when next needed.
  virtual void MenuChanged();
  void DestroyMenuHandle();
  HMENU FHandle = nullptr;

 private:
  friend class TMenuItem;
  TMenuItem* FItems;
  TMenuAutoFlag FAutoHotkeys = maManual;
  bool FOwnerDraw = false;
};

class TMainMenu : public TMenu {
 public:
  using TMenu::TMenu;
  // The window that shows the menu bar; its bar is rebuilt after each change.
  void SetWindow(HWND Wnd);
  HWND Window() const { return FWindow; }

 protected:
  HMENU CreateMenuHandle() override { return CreateMenu(); }
  void MenuChanged() override;

 private:
  HWND FWindow = nullptr;
};

class TPopupMenu : public TMenu {
 public:
  // Listed in the popup list from creation to destruction.
  explicit TPopupMenu(TComponent* AOwner);
  ~TPopupMenu() override;
  // Shows the menu at a screen point and runs the chosen item's Click.
  virtual void Popup(int X, int Y);
  TPopupAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TPopupAlignment Value) { FAlignment = Value; }
  // The control whose context menu was asked for.
  TComponent* PopupComponent = nullptr;
  TNotifyEvent OnPopup;

 protected:
  HMENU CreateMenuHandle() override { return CreatePopupMenu(); }

 private:
  TPopupAlignment FAlignment = paLeft;
};

// A platform menu opens (WM_INITMENUPOPUP): the items of its entries run InitiateAction.
void DispatchMenuOpen(HMENU Menu);
// WM_MEASUREITEM and WM_DRAWITEM of a menu entry go to its item; false for other messages.
bool DispatchMenuDrawing(TMessage& Message);
// The font of menu entries.
HFONT MenuFont(bool Bold);

// The pop-up menus, and the hidden window that owns each of them while it is shown, so that it hears the
// menu's notices: when a menu opens its items update their actions, and the long hint of the item under
// the mouse becomes the application's hint.
class TPopupList {
 public:
  TPopupList() = default;
  virtual ~TPopupList();
  TPopupList(const TPopupList&) = delete;
  TPopupList& operator=(const TPopupList&) = delete;
  // Made when first needed.
  HWND Window();
  const std::vector<TPopupMenu*>& Menus() const { return FMenus; }

 protected:
  virtual void WndProc(TMessage& Message);
  // The item that a WM_MENUSELECT names in one of the listed menus; nullptr for another or when the menu
  // closes.
  TMenuItem* SelectedItem(const TMessage& Message) const;

 private:
  friend class TPopupMenu;
  friend void SetPopupList(std::unique_ptr<TPopupList> Value);
  static LRESULT CALLBACK WindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  HWND FWindow = nullptr;
  std::vector<TPopupMenu*> FMenus;
};

// The one popup list of the program.
TPopupList* PopupList();
// Puts Value in the place of the popup list; the listed menus move over to it.
void SetPopupList(std::unique_ptr<TPopupList> Value);

void RegisterMenus();
