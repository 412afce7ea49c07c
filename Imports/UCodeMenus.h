#pragma once
// Wide menus: hot keys of wide captions and shortcut texts from the keyboard layout.
#include <string>

#include "Imports/UCodeActnList.h"
#include "classlib/Menus.h"

// Counted from 1, so that 0 can say there is no hot key; of several single "&", the last one counts.
int WideGetHotKeyPos(const std::wstring& S);
// That character, or the empty text.
std::wstring WideGetHotKey(const std::wstring& S);
// S without its single "&" ("&&" becomes "&"); on a Far-East system a hot key written as "(&X)" goes
// whole.
std::wstring WideStripHotkey(const std::wstring& S);
// Equal after WideStripHotkey: without regard to case, and case-sensitive.
bool WideSameCaption(const std::wstring& A, const std::wstring& B);
bool WideSameCaptionStr(const std::wstring& A, const std::wstring& B);
// The text of a shortcut: the library's modifier words (Shift, Ctrl, Alt) and the key as the keyboard
// layout names it; the library's own names for the editing, moving and function keys.
std::wstring WideShortCutToText(TShortCut ShortCut);

// Moves the "&" of Dest to where Source has them, when the two differ in nothing else (the library chose
// a hot key of its own); raises EUCodeInternalError when their 8-bit forms still differ afterwards.
void SyncHotKeyPosition(const std::wstring& Source, std::wstring& Dest);

// A menu item with a wide caption and hint. The library builds its menus from 8-bit captions; each entry
// of a wide item then takes the wide caption and the wide shortcut text.
class TUCodeMenuItem : public TMenuItem {
 public:
  using TMenuItem::TMenuItem;
  // Follows the hot key that the library's automatic hot keys gave the 8-bit caption; raises
  // EUCodeInternalError when the two cannot be brought together.
  std::wstring Caption();
  void SetCaption(const std::wstring& Value);
  std::wstring Hint();
  void SetHint(const std::wstring& Value);
  void DefineProperties(TFiler* Filer) override;
  // The input language when the entry's text was last made.
  HKL KeyboardLayout() const { return FKeyboardLayout; }
  // After a switch of the input language the entry's shortcut text is made anew.
  void InitiateAction() override;
  // An owner-drawn entry is drawn and measured with the wide caption and shortcut text.
  void AdvancedDrawItem(HDC DC, const RECT& Rect, UINT State, bool TopLevel) override;
  void MeasureItem(HDC DC, int& Width, int& Height) override;

 protected:
  void Appended(HMENU Menu) override;
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  TMenuActionLinkClass GetActionLinkClass() override;

 private:
  friend void UpdateMenuItemWide(TUCodeMenuItem* Item, HMENU Menu);
  // The caption as drawn and measured, where a window message must not raise.
  std::wstring ShownCaption();
  std::wstring FCaption;
  std::wstring FHint;
  HKL FKeyboardLayout = nullptr;
  HMENU FEntryMenu = nullptr;  // the platform menu that holds the entry
};

// The wide hint of a wide item, the 8-bit one widened of another.
std::wstring WideGetMenuItemHint(TMenuItem* Item);
// Gives the item's entry in Menu the wide caption and shortcut text when they differ from its text.
void UpdateMenuItemWide(TUCodeMenuItem* Item, HMENU Menu);

// The link of a wide menu item: its caption counts as the action's when the two differ only in hot keys.
class TUCodeMenuActionLink : public TMenuActionLink {
 public:
  using TMenuActionLink::TMenuActionLink;
  bool IsCaptionLinked() override;
  bool IsHintLinked() override;
  void SetCaption(const std::string& Value) override;
  void SetHint(const std::string& Value) override;
};

// How the unit reads the input language; replaced by tests that switch it.
extern HKL(WINAPI* UCodeGetKeyboardLayout)(DWORD ThreadId);
// How the unit asks whether the system is a Far-East or a middle-eastern one (SM_DBCSENABLED,
// SM_MIDEASTENABLED); replaced by tests.
extern int(WINAPI* UCodeGetSystemMetrics)(int Index);

// The popup list that the program uses once this unit is linked in: the item under the mouse gives the
// wide application object its wide long hint.
class TUCodePopupList : public TPopupList {
 protected:
  void WndProc(TMessage& Message) override;
};

// The class information of TUCodeMenuItem.
const TClassInfo* UCodeMenuItemClass();
