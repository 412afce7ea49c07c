#pragma once
// Wide windows under the library's 8-bit controls: the library never sees a character it cannot hold,
// and the window never gets text cut down to the code page. Where the platform has no Unicode windows
// the library's own road is left as it is.
#include <windows.h>

#include <string>

#include "Imports/UCodeClasses.h"
#include "classlib/Controls.h"

class TCustomListControl;

// The wide caption and hint of a control that has no wide storage of its own: made when a wide text is
// first set, found by the control's address.
class TWideControlHelper : public TWideComponentHelper {
 public:
  TWideControlHelper(TControl* AControl, TComponentList* StoreList);
  TControl* Control() const { return static_cast<TControl*>(Component()); }
  std::wstring Caption;
  std::wstring Hint;
};

// False while an action link supplies the control's caption (hint): the action's text is not the control's
// to keep in a form.
bool IsWideCaptionStored(TControl* Control);
bool IsWideHintStored(TControl* Control);

// Offered by list controls whose items are wide.
class IWideCustomListControl {
 public:
  virtual void AddItem(const std::wstring& Item, TObject* AObject) = 0;

 protected:
  ~IWideCustomListControl() = default;
};

// Adds the item wide to a list control that takes wide items, else in its 8-bit form.
void WideListControl_AddItem(TCustomListControl* Control, const std::wstring& Item, TObject* AObject);

// The helper of a control, or nullptr.
TWideControlHelper* FindWideControlHelper(TControl* Control);

// Caption and hint of any control.
std::wstring GetControlWideText(TControl* Control);
// A windowed control's window gets the text when it differs, followed by CM_TEXTCHANGED.
void SetControlWideText(TControl* Control, const std::wstring& Text);
// Keeps the text for a control without a window: the helper takes it, the library its 8-bit form.
void StoreControlWideText(TControl* Control, const std::wstring& Text);
std::wstring GetControlWideHint(TControl* Control);
void SetControlWideHint(TControl* Control, const std::wstring& Hint);
// The wide hint of the control or of its nearest parent that has one; empty when none.
std::wstring GetParentWideHint(TControl* Control);
// GetShortHint and GetLongHint for wide hints: split in 8 bits, a hint would lose what the code page lacks.
std::wstring WideGetShortHint(const std::wstring& Hint);
std::wstring WideGetLongHint(const std::wstring& Hint);

// The message registered for taking a trap off its window before the window goes.
UINT DestroyWindowMessage();

// Called by the CreateWindowHandle of every Unicode control: a Unicode window of the class
// "<library class name>.UnicodeClass" whose default procedure is the one of SubClass ("EDIT", "BUTTON",
// ...; empty: DefWindowProcW), subclassed by the control's trap.
void CreateUnicodeHandle(TWinControl* Control, const TCreateParams& Params, const std::wstring& SubClass);
// The same for a common control (an empty SubClass is an internal error); it sends its notifications wide.
void CreateUnicodeHandle_ComCtl(TWinControl* Control, const TCreateParams& Params,
                                const std::wstring& SubClass);
// Registers the Unicode class for the parameters' class when needed; returns its name.
std::wstring RegisterUnicodeClass(const TCreateParams& Params);
// Puts the control's trap on its new Unicode window and gives the window the control's wide caption (or
// Caption widened).
void SubClassUnicodeControl(TWinControl* Control, const std::string& Caption);
// CreateWindowExW delivers messages before it returns the handle: the first of them binds the new window to
// the control being created, and the library's procedure takes over from there.
LRESULT CALLBACK InitialUnicodeWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);

// The library's key handling holds a character in one byte. So that one above 255 comes through it, its
// code rides in wParam's high word with 255 in the low word until the window gets it back. A key handler
// that writes another character into the low word wins over the one riding along.
void PackWideCharMessage(TMessage& Message);
void UnpackWideCharMessage(TMessage& Message);
wchar_t GetWideCharFromMessage(const TMessage& Message);
void SetWideCharInMessage(TMessage& Message, wchar_t Ch);

// The wide hint road of CM_HINTSHOW: the hint window becomes a Unicode one and the hint record marks
// itself as wide (its HintData points at itself).
void PrepareWideHintShow(TMessage& Message);
bool IsWideHintData(void* HintData);
// The hint to show for a record marked by PrepareWideHintShow: the wide short hint, with the action's
// wide shortcut text where the library added its shortcut.
std::wstring WideHintWithShortCut(const THintInfo* HintInfo);

// One per Unicode window of a control: the window's procedure (Win32Proc) sees every message first,
// the control's message method (WindowProc) gets the library's text messages converted through the
// window, and the control's default procedure (DefWin32Proc) answers the wide questions of the platform.
// It stays with the control across re-created windows and goes with the control.
class TWinControlTrap : public TComponent {
 public:
  explicit TWinControlTrap(TWinControl* AControl);
  ~TWinControlTrap() override;
  TWinControl* Control() const { return FControl; }
  HWND Handle() const { return FHandle; }
  // Puts the trap on the control's window; the control must be the trap's.
  void SubClassControl(TWinControl* AControl);
  void UnSubClass();

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  struct TTrapWindowProc;
  static LRESULT CALLBACK Win32Proc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  static LRESULT CALLBACK DefWin32Proc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  LRESULT Win32Message(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  LRESULT DefWin32Message(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  void WindowProc(TMessage& Message);
  bool HookedWindowProc() const;
  void FreeWhenUnused();

  TWinControl* FControl = nullptr;
  HWND FHandle = nullptr;
  WNDPROC FPrevWin32Proc = nullptr;
  WNDPROC FPrevDefWin32Proc = nullptr;
  TWndMethod FSavedWindowProc;
  UINT FLastWin32Msg = 0;
  int FWin32ProcLevel = 0;
  int FWindowProcLevel = 0;
  bool FPendingFree = false;
  bool FProbing = false;
  bool FProbeSeen = false;
};

// The trap of a control's current window, or nullptr.
TWinControlTrap* FindWinControlTrap(HWND Wnd);

// The tooltip window of the wide hint road: a Unicode window that shows the full wide hint.
class TUCodeCustomHintWindow : public THintWindow {
 public:
  using THintWindow::THintWindow;
  void ActivateHint(RECT Rect, const std::string& AHint) override;
  void ActivateHintData(RECT Rect, const std::string& AHint, void* AData) override;
  RECT CalcHintRect(int MaxWidth, const std::string& AHint, void* AData) override;
  std::wstring Caption() { return GetControlWideText(this); }
  void SetCaption(const std::wstring& Value) { SetControlWideText(this, Value); }

 protected:
  void CreateWindowHandle(const TCreateParams& Params) override;
  void PaintWindow(TCanvas* Canvas) override;
  void Dispatch(TMessage& Message) override;

 private:
  bool FActivating = false;
  bool FSuspendPaint = false;
};

// The class information of TUCodeCustomHintWindow.
const TClassInfo* UCodeCustomHintWindowClass();
