#pragma once
// Controls and windowed controls: the window layer of the class library.
//
// Every window of the library has one window procedure, which finds the control of the window through a
// window property and hands each message to the control's WindowProc. WindowProc starts as the control's
// own WndProc, which passes the message to Dispatch; Dispatch calls the handler of the message or, for
// messages without one, DefaultHandler, which calls the window's default procedure (FDefWndProc).
//
// Controls without a window (labels, images) are painted by their parent's WM_PAINT and get their mouse
// messages from their parent, which forwards each one to the topmost such child under the mouse.
#include <windows.h>

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classlib/ActnList.h"
#include "classlib/Classes.h"
#include "classlib/Graphics.h"
#include "classlib/TypInfo.h"

struct TMessage {
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
  LRESULT Result;
};

using TWndMethod = std::function<void(TMessage& Message)>;

// Messages of the library itself.
constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_DIALOGKEY = CM_BASE + 5;
constexpr UINT CM_DIALOGCHAR = CM_BASE + 6;
// To the outermost parent: the control in LParam took the focus.
constexpr UINT CM_FOCUSCHANGED = CM_BASE + 7;
constexpr UINT CM_PARENTFONTCHANGED = CM_BASE + 8;
constexpr UINT CM_VISIBLECHANGED = CM_BASE + 11;
constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 12;
constexpr UINT CM_COLORCHANGED = CM_BASE + 13;
constexpr UINT CM_FONTCHANGED = CM_BASE + 14;
constexpr UINT CM_TEXTCHANGED = CM_BASE + 18;
constexpr UINT CM_HINTSHOW = CM_BASE + 48;
constexpr UINT CM_RECREATEWND = CM_BASE + 51;
constexpr UINT CM_ACTIONUPDATE = CM_BASE + 63;
constexpr UINT CM_ACTIONEXECUTE = CM_BASE + 64;
// Notifications that a parent reflects to the child window they concern.
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;
constexpr UINT CN_HSCROLL = CN_BASE + WM_HSCROLL;
constexpr UINT CN_VSCROLL = CN_BASE + WM_VSCROLL;
constexpr UINT CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT;
constexpr UINT CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX;
constexpr UINT CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN;
constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;
constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
// Reading order and alignment of a control's text: right to left with right alignment, right to left
// keeping the alignment, or right to left in reading only.
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };
enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TShiftStateFlag : uint8_t {
  ssShift = 1,
  ssAlt = 2,
  ssCtrl = 4,
  ssLeft = 8,
  ssRight = 16,
  ssMiddle = 32,
  ssDouble = 64
};
using TShiftState = uint8_t;

// Cursors: negative values are the system's shapes, 0 the class's own.
using TCursor = int16_t;
constexpr TCursor crDefault = 0;
constexpr TCursor crArrow = -2;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crNo = -12;
constexpr TCursor crHandPoint = -21;
HCURSOR CursorHandle(TCursor Cursor);

using TMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = std::function<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;

// The shift state of the keyboard now; of the mouse keys from a mouse message's wParam.
TShiftState KeyboardShiftState();
TShiftState MouseShiftState(WPARAM Keys);

class TWinControl;
class TPopupMenu;
class TControlActionLink;
class TControl;

// The hint about to show, which the control under the mouse gets with CM_HINTSHOW (lParam) and may change;
// a result other than 0 shows nothing.
struct THintInfo {
  TControl* HintControl = nullptr;
  const TClassInfo* HintWindowClass = nullptr;  // THintWindow or a class derived from it
  POINT HintPos{};                              // screen point of the window's top left
  int HintMaxWidth = 0;
  TColor HintColor = clInfoBk;
  RECT CursorRect{};  // in the control's client coordinates
  POINT CursorPos{};  // likewise
  int ReshowTimeout = 0;
  int HideTimeout = 0;
  std::string HintStr;
  void* HintData = nullptr;
};

// Makes the link between a control and its action.
using TControlActionLinkClass = TControlActionLink* (*)(TControl* Client);
template <class L>
TControlActionLink* NewActionLink(TControl* Client) {
  return new L(Client);
}

class TControl : public TComponent {
 public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;

  TWinControl* Parent() const { return FParent; }
  // A windowed control loses its window when it changes parent; it gets a new one when next needed.
  virtual void SetParent(TWinControl* AParent);

  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  void SetLeft(int Value) { SetBounds(Value, FTop, FWidth, FHeight); }
  void SetTop(int Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
  void SetWidth(int Value) { SetBounds(FLeft, FTop, Value, FHeight); }
  void SetHeight(int Value) { SetBounds(FLeft, FTop, FWidth, Value); }
  RECT BoundsRect() const { return {FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }
  virtual int ClientWidth() { return FWidth; }
  virtual int ClientHeight() { return FHeight; }
  virtual void SetClientSize(int AWidth, int AHeight);
  void SetClientWidth(int Value) { SetClientSize(Value, ClientHeight()); }
  void SetClientHeight(int Value) { SetClientSize(ClientWidth(), Value); }
  bool Visible() const { return FVisible; }
  virtual void SetVisible(bool Value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible with every parent up to a top-level control.
  bool Showing() const;
  bool Enabled() const { return FEnabled; }
  virtual void SetEnabled(bool Value);
  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign Value);
  TBiDiMode BiDiMode() const { return FBiDiMode; }
  void SetBiDiMode(TBiDiMode Value);
  bool UseRightToLeftAlignment() const { return FBiDiMode == bdRightToLeft; }
  bool UseRightToLeftReading() const { return FBiDiMode != bdLeftToRight; }
  // DrawText flags turned to the control's alignment (left and right swapped) and reading order.
  UINT DrawTextBiDiModeFlags(UINT Flags) const;

  // The text goes through WM_GETTEXT and WM_SETTEXT performed on the control, so that a replaced
  // WindowProc sees every access; a change is followed by CM_TEXTCHANGED.
  std::string Text();
  void SetText(const std::string& Value);
  std::string Caption() { return Text(); }
  void SetCaption(const std::string& Value) { SetText(Value); }
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& Value) { FHint = Value; }
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool Value) { FShowHint = Value; }

  TFont* Font() { return FFont.get(); }
  // While set, the control takes its parent's font; changing the font clears it.
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool Value);
  // While ParentColor is set, Color is the parent's.
  TColor Color() const;
  void SetColor(TColor Value);
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool Value);
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor Value) { FCursor = Value; }
  TPopupMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* Value);
  // The action whose texts the control shows; nullptr when none.
  TBasicAction* Action() const;
  void SetAction(TBasicAction* Value);
  TControlActionLink* ActionLink() const { return FActionLink.get(); }

  // Sends the message through WindowProc, with or without a window, and returns its result.
  LRESULT Perform(UINT Msg, WPARAM WParam, LPARAM LParam);
  virtual void Invalidate();
  // Invalidates and paints at once.
  virtual void Repaint();
  virtual void Click();
  // The control's client point as screen point.
  POINT ClientToScreen(POINT Point);

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;

  // The way in for every message of this control. Replace it to watch or filter messages (calling the
  // saved value passes them on); assigning the saved value back undoes the replacement.
  TWndMethod WindowProc;
  // True while WindowProc is this control's own WndProc.
  bool WindowProcIsOwn() const;

  // Draws a control without a window on its parent's canvas, whose origin is the control's top left.
  virtual void Paint(TCanvas* /*Canvas*/) {}

 protected:
  virtual void WndProc(TMessage& Message);
  // Calls the handler of the message. Derived classes handle their messages and pass the others on to
  // their parent class's Dispatch; what nobody handles ends in DefaultHandler.
  virtual void Dispatch(TMessage& Message);
  // Without a window, keeps the text for WM_GETTEXT, WM_GETTEXTLENGTH and WM_SETTEXT.
  virtual void DefaultHandler(TMessage& Message);
  void Notification(TComponent* AComponent, TOperation Operation) override;
  virtual void FontChanged();
  // The action's texts arrive; with CheckDefaults only where the control shows none of its own.
  virtual void ActionChange(TObject* Sender, bool CheckDefaults);
  virtual TControlActionLinkClass GetActionLinkClass();
  // Mouse-up inside the control after a mouse-down in it is a click, unless the control's window
  // reports clicks itself (buttons).
  bool FClickEvents = true;
  std::string FText;

 private:
  friend class TWinControl;
  struct TOwnWndProc;
  void MouseDown(TMessage& Message, TMouseButton Button);
  void MouseUp(TMessage& Message, TMouseButton Button);
  void ParentFontChanged();

  TWinControl* FParent = nullptr;
  int FLeft = 0;
  int FTop = 0;
  int FWidth = 0;
  int FHeight = 0;
  bool FVisible = true;
  bool FEnabled = true;
  TAlign FAlign = alNone;
  TBiDiMode FBiDiMode = bdLeftToRight;
  std::string FHint;
  bool FShowHint = false;
  std::unique_ptr<TFont> FFont;
  bool FParentFont = true;
  bool FAssigningParentFont = false;
  TColor FColor = clBtnFace;
  bool FParentColor = false;
  TCursor FCursor = crDefault;
  TPopupMenu* FPopupMenu = nullptr;
  bool FClicked = false;
  std::unique_ptr<TControlActionLink> FActionLink;
};

// Shows an action's caption and hint on a control while the control shows the action's.
class TControlActionLink : public TActionLink {
 public:
  explicit TControlActionLink(TControl* Client) : FClient(Client) {}
  TControl* Client() const { return FClient; }
  bool IsCaptionLinked() override;
  bool IsHintLinked() override;
  void SetCaption(const std::string& Value) override;
  void SetHint(const std::string& Value) override;

 private:
  TControl* FClient;
};

class TWinControlActionLink : public TControlActionLink {
 public:
  using TControlActionLink::TControlActionLink;
};

// What CreateWindowHandle passes to the platform. WindowClass.lpfnWndProc names the window's default
// procedure (the procedure of a system class that a control wraps, DefWindowProcA otherwise); the class
// registered under WinClassName always has the library's window procedure.
struct TCreateParams {
  std::string Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;
  HWND WndParent = nullptr;
  void* Param = nullptr;
  WNDCLASSA WindowClass{};
  std::string WinClassName;
};

class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* AOwner);
  // Destroys the windows (children's first) and then the child controls.
  ~TWinControl() override;

  // The window, created when first needed (after the parent's).
  HWND Handle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  // The procedure that gets the messages the control leaves to the window's default handling.
  WNDPROC DefWndProc() const { return FDefWndProc; }
  void SetDefWndProc(WNDPROC Value) { FDefWndProc = Value; }
  // Binds a window being created to this control: its handle, and the window property that finds it.
  void AttachWindow(HWND Wnd);
  // The window procedure of the library's windows: finds the control and hands it the message.
  static LRESULT CALLBACK StdWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  void HandleNeeded();
  // Destroys the children's windows and then this one; the control keeps its state.
  void DestroyHandle();
  // Replaces an existing window by a new one made from the control's current state.
  void RecreateWnd();

  int ControlCount() const { return static_cast<int>(FControls.size()); }
  TControl* Controls(int Index) const;  // EListError outside 0..Count-1

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void SetVisible(bool Value) override;
  void SetEnabled(bool Value) override;
  int ClientWidth() override;
  int ClientHeight() override;
  void Invalidate() override;
  void Repaint() override;
  bool Focused();
  virtual bool CanFocus();
  virtual void SetFocus();
  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool Value) { FTabStop = Value; }
  // Places the aligned children in the client area: top, bottom, left, right, then the client one.
  void Realign();
  // The control without a window under a client point, topmost first; nullptr when none.
  TControl* ControlAtPos(POINT Point);

  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;

 protected:
  // Without a parent: a hidden pop-up window unless Visible; with one: a child of the parent's window.
  virtual void CreateParams(TCreateParams& Params);
  // Registers the window class when needed and creates the window through CreateWindowHandle.
  virtual void CreateWnd();
  // CreateWindowExA; the window is bound to this control by its first message.
  virtual void CreateWindowHandle(const TCreateParams& Params);
  // Keeps the window's text for the next window, then destroys it.
  virtual void DestroyWnd();
  virtual void DestroyWindowHandle();
  // Creates the window and then the windows of the visible children.
  void CreateHandle();
  // Makes the window one of the system class SystemClass (its procedure becomes the default one).
  void CreateSubClass(TCreateParams& Params, const char* SystemClass);
  // Draws the client area before the children without windows are drawn over it.
  virtual void PaintWindow(TCanvas* /*Canvas*/) {}
  // True when the wrapped window paints itself (a system class): WM_PAINT then goes its default way.
  // Decided from the create parameters, as a Unicode window's default procedure is never DefWindowProcA.
  virtual bool PaintsItself() const { return FSystemClass; }

  void Dispatch(TMessage& Message) override;
  TControlActionLinkClass GetActionLinkClass() override;
  // Calls FDefWndProc through CallWindowProcA while the window exists.
  void DefaultHandler(TMessage& Message) override;
  void FontChanged() override;
  // A key handler that sets Key to 0 or Handled keeps the key from the window.
  virtual bool DoKeyDown(TMessage& Message);
  // OnKeyUp, the same way.
  virtual bool DoKeyUp(TMessage& Message);
  // OnKeyPress for a WM_CHAR: true when it took the character (set it to 0); it may also change it.
  virtual bool DoKeyPress(TMessage& Message);
  // The system colours a wrapped window draws with: the control's font colour on its colour.
  virtual void CNCtlColor(TMessage& Message);

  HWND FHandle = nullptr;
  WNDPROC FDefWndProc = nullptr;
  bool FSystemClass = false;

 private:
  friend class TControl;
  void InsertControl(TControl* AControl);
  void RemoveControl(TControl* AControl);
  void DetachWindow();
  void UpdateBounds();
  bool ForwardMouse(TMessage& Message);
  bool ChildContextMenu(TMessage& Message);
  void WMPaint(TMessage& Message);
  bool WMSetCursor(TMessage& Message);
  void ReflectToChild(TMessage& Message, HWND Child);
  void DialogChar(TMessage& Message);

  std::vector<TControl*> FControls;
  std::unique_ptr<TBrush> FBrush;
  TControl* FMouseCapture = nullptr;
  bool FTabStop = false;
  bool FAligning = false;
};

// A control without a window of its own.
class TGraphicControl : public TControl {
 public:
  using TControl::TControl;
};

// The small window that shows a hint; the application makes one of the hint window class.
class THintWindow : public TWinControl {
 public:
  explicit THintWindow(TComponent* AOwner);
  ~THintWindow() override;
  // Shows AHint in Rect (screen coordinates) on top of all windows, without activating it.
  virtual void ActivateHint(RECT Rect, const std::string& AHint);
  // The same for a hint that came with data of the hint's control; the data is not used here.
  virtual void ActivateHintData(RECT Rect, const std::string& AHint, void* AData);
  // The size the hint needs at most MaxWidth pixels wide, at (0, 0).
  virtual RECT CalcHintRect(int MaxWidth, const std::string& AHint, void* AData);
  // Hides the window.
  void ReleaseHandle();
  // A canvas in the window's font for measuring text.
  TCanvas* Canvas();

 protected:
  void CreateParams(TCreateParams& Params) override;
  void PaintWindow(TCanvas* Canvas) override;
  void Dispatch(TMessage& Message) override;

 private:
  std::unique_ptr<TCanvas> FCanvas;
  bool FActivating = false;
};

// Where the short hint ends: a hint is "short|long"; without "|" both are the whole text.
std::string GetShortHint(const std::string& Hint);
std::string GetLongHint(const std::string& Hint);

// The control whose window is being created; the window's first message binds the window to it.
extern TWinControl* CreationControl;

// The control of a window of the library, or nullptr.
TWinControl* FindControl(HWND Wnd);
// The atom of the window property that holds a window's control.
ATOM ControlAtom();

// Receives every exception that escapes a message handler, so that none unwinds through the platform's
// window procedure. The default shows the exception's message in a message box.
extern std::function<void(std::exception_ptr Error)> HandleWindowException;
void ShowWindowException(std::exception_ptr Error);
// The message of an exception of the library or of the standard library; "Unknown exception" else.
std::wstring ExceptionText(std::exception_ptr Error);

// The time a modal window of the program is open (a message box, a file dialog): the thread's other
// top-level windows take no input, so that none can be brought above it by a click or a command, and
// none stays on top of it. At its end those it disabled are enabled again, those on top are on top again in
// their order, and the window active before is active again with the focus where it was.
class TModalScope {
 public:
  TModalScope();
  ~TModalScope();
  TModalScope(const TModalScope&) = delete;
  TModalScope& operator=(const TModalScope&) = delete;

 private:
  // Disables one window of the thread and notes it.
  static BOOL CALLBACK Collect(HWND Wnd, LPARAM Param);
  std::vector<HWND> FDisabled;
  // The shown windows that stay on top: for the modal window's time they do not, or it would open
  // behind them.
  std::vector<HWND> FTopmost;
  HWND FActive;
  HWND FFocus;
};
// The window to bring to the front for Wnd: Wnd, or while Wnd is disabled the enabled window the
// program last activated (the modal window it waits for).
HWND ModalFrontWindow(HWND Wnd);
// Brings ModalFrontWindow(Wnd) above the other windows, with the windows that own it; returns it.
HWND RaiseFrontWindow(HWND Wnd);

// The work area of the monitor nearest to Rect.
RECT WorkAreaNear(const RECT& Rect);
// Rect moved, not resized, so that it lies within Area; one larger than Area keeps its left and top there.
RECT MovedInto(RECT Rect, const RECT& Area);

// The accelerator character of a caption (the character after a single "&"), 0 when none.
char GetHotKey(const std::string& Caption);
// True when the key's character is the caption's accelerator, without regard to case.
bool IsAccel(WPARAM CharCode, const std::string& Caption);
