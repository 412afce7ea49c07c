#pragma once
// Forms, the application object with its message loop, and the screen.
//
// A form is read from the RCDATA resource named after its class in upper case ("TSTART"): its own
// properties, its components and their event bindings. A form class registers a TClassInfo with its
// handler methods and fields and makes itself through TApplication::CreateForm or NewForm.
#include <windows.h>

#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "classlib/Controls.h"
#include "classlib/SysUtils.h"
#include "classlib/TypInfo.h"

class TMainMenu;

// The silent exception: it ends an action without a message.
VELMARO_EXCEPTION(EAbort, Exception);
[[noreturn]] void Abort();

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TBorderIcon : uint8_t { biSystemMenu = 1, biMinimize = 2, biMaximize = 4 };
using TBorderIcons = uint8_t;  // a set of TBorderIcon bits
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TPosition {
  poDesigned,
  poDefault,
  poDefaultPosOnly,
  poDefaultSizeOnly,
  poScreenCenter,
  poDesktopCenter,
  poMainFormCenter
};
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

class TForm : public TWinControl {
 public:
  explicit TForm(TComponent* AOwner);
  ~TForm() override;

  // Reads the form's resource and runs OnCreate. Called once, right after construction.
  void CreateFromResource();
  // Runs OnDestroy; the owner and Release call it before freeing the form.
  void BeforeDestruction();

  void SetVisible(bool Value) override;
  void SetClientSize(int AWidth, int AHeight) override;
  int ClientWidth() override;
  int ClientHeight() override;
  // Asks OnCloseQuery, then OnClose decides: hide (the main form ends the program), free later,
  // minimise, or nothing.
  void Close();
  bool CloseQuery();
  // Frees the form once the messages now waiting are handled.
  void Release();
  // Shows the form, or brings a shown one to the front.
  void Show();
  void BringToFront();

  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle Value);
  // Which of the caption's buttons a single or sizeable border shows.
  TBorderIcons BorderIcons() const { return FBorderIcons; }
  void SetBorderIcons(TBorderIcons Value);
  TFormStyle FormStyle() const { return FFormStyle; }
  void SetFormStyle(TFormStyle Value);
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition Value) { FPosition = Value; }
  // Follows the window when the user or the system maximises, minimises or restores it.
  TWindowState WindowState() const { return FWindowState; }
  void SetWindowState(TWindowState Value);
  TMainMenu* Menu() const { return FMenu; }
  void SetMenu(TMainMenu* Value);
  // The control that has the focus, or had it when the form was last active: activating the form
  // gives the focus back to it.
  TWinControl* ActiveControl() const { return FActiveControl; }
  void SetActiveControl(TWinControl* Value);
  // Runs the menu item of a key that went to KeyWindow (the focus when it was typed): one of the popup
  // menus of its control and of the controls around it, else one of the main menu. A text box keeps its
  // editing keys (the caret keys, Delete, Backspace, Ctrl with A, C, V, X and Z).
  bool IsShortCut(WORD Key, TShiftState Shift, HWND KeyWindow);

  TNotifyEvent OnCreate;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TCloseQueryEvent OnCloseQuery;
  TCloseEvent OnClose;
  TNotifyEvent OnDestroy;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Dispatch(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void PlaceAtCentre();
  void DialogKey(TMessage& Message);

  TFormBorderStyle FBorderStyle = bsSizeable;
  TBorderIcons FBorderIcons = biSystemMenu | biMinimize | biMaximize;
  TFormStyle FFormStyle = fsNormal;
  TPosition FPosition = poDesigned;
  TWindowState FWindowState = wsNormal;
  TMainMenu* FMenu = nullptr;
  TWinControl* FActiveControl = nullptr;
  int FClientWidth = -1;  // wanted before the window exists
  int FClientHeight = -1;
  bool FDestroyed = false;
  bool FPlaced = false;
  bool FShowing = false;  // while OnShow runs
};

class TScrollBox;

// The vertical scroll bar of a scroll box. Its range is the height that the box's children need; moving
// the position moves the children.
class TControlScrollBar : public TPersistent {
 public:
  explicit TControlScrollBar(TScrollBox* Control) : FControl(Control) {}
  int Position() const { return FPosition; }
  // Kept within 0 and the range less the box's client height.
  void SetPosition(int Value);
  int Range() const;
  // The children follow the thumb while it is dragged, not only when it is let go.
  bool Tracking() const { return FTracking; }
  void SetTracking(bool Value) { FTracking = Value; }
  // The step of the bar's arrows.
  int Increment() const { return FIncrement; }
  void SetIncrement(int Value) { FIncrement = Value; }

 private:
  friend class TScrollBox;
  TScrollBox* FControl;
  int FPosition = 0;
  bool FTracking = false;
  int FIncrement = 8;
};

using TMouseWheelUpDownEvent =
    std::function<void(TObject* Sender, TShiftState Shift, POINT MousePos, bool& Handled)>;

// A container that scrolls its children up and down when they reach below its bottom.
class TScrollBox : public TWinControl {
 public:
  explicit TScrollBox(TComponent* AOwner);
  TControlScrollBar* VertScrollBar() { return &FVertScrollBar; }
  // The scroll bar anew after children were added or moved.
  void UpdateScrollBar();

  // The wheel turned towards the user (down) or away (up) while the box had the focus; a handler that
  // sets Handled keeps the turn from the box's parent.
  TMouseWheelUpDownEvent OnMouseWheelDown;
  TMouseWheelUpDownEvent OnMouseWheelUp;

 protected:
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;

 private:
  friend class TControlScrollBar;
  void ScrollTo(int Position);
  void WMVScroll(TMessage& Message);
  bool MouseWheel(TMessage& Message);

  TControlScrollBar FVertScrollBar{this};
  bool FUpdating = false;
};

// Makes a form of class T owned by AOwner and reads it from its resource.
template <class T>
T* NewForm(TComponent* AOwner) {
  T* Form = new T(AOwner);
  try {
    Form->CreateFromResource();
  } catch (...) {
    delete Form;
    throw;
  }
  return Form;
}

using TWindowHook = std::function<bool(TMessage& Message)>;
using TMessageEvent = std::function<void(MSG& Msg, bool& Handled)>;
using TIdleEvent = std::function<void(TObject* Sender, bool& Done)>;
using TExceptionEvent = std::function<void(TObject* Sender, std::exception_ptr Error)>;

class TApplication : public TComponent {
 public:
  explicit TApplication(TComponent* AOwner);
  ~TApplication() override;

  // Makes the hidden owner window of all forms.
  void Initialize();
  // The hidden owner window (class "TApplication"), made when first needed.
  HWND Handle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& Value);

  // Makes a form of class T, stores it in Reference before its creation handler runs, and makes the
  // first form the main form.
  template <class T>
  void CreateForm(T*& Reference) {
    T* Form = new T(this);
    Reference = Form;
    try {
      Form->CreateFromResource();
    } catch (...) {
      Reference = nullptr;
      delete Form;
      throw;
    }
    if (!FMainForm) FMainForm = Form;
  }
  TForm* MainForm() const { return FMainForm; }
  // Shows the main form and handles messages until Terminate.
  void Run();
  void Terminate();
  bool Terminated() const { return FTerminated; }
  // Handles the messages waiting now, then returns.
  void ProcessMessages();
  // One message, or the idle work and a wait when there is none.
  void HandleMessage();
  // OnException when set, else ShowException; an EAbort is silent.
  void HandleException(std::exception_ptr Error);
  void ShowException(std::exception_ptr Error);
  // A message box owned by the active form (else by the owner window), modal for every window of the
  // program; returns the button chosen.
  int MessageBox(const std::wstring& Text, const std::wstring& Caption, UINT Flags);
  // Frees every form (each hears OnDestroy first) and the owner window; the object can start again.
  void DestroyForms();

  // Hooks see every message of the owner window first; one that returns true has handled it. They may
  // be added before the window exists, and see its WM_CREATE.
  int HookMainWindow(TWindowHook Hook);
  void UnhookMainWindow(int Cookie);
  // A window whose dialog keys IsDialogMessage handles (a modeless dialog of the program).
  HWND DialogHandle() const { return FDialogHandle; }
  void SetDialogHandle(HWND Value) { FDialogHandle = Value; }

  // The long hint of the control under the mouse, kept at idle time. A change runs OnHint, or without it a
  // THintAction that the forms may show (a status line).
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& Value);
  // The control under the mouse at the last idle moment.
  TControl* MouseControl() const { return FMouseControl; }
  // Tooltips: a control with ShowHint shows its short hint (or its nearest parent's) after HintPause ms
  // under the mouse, for HintHidePause ms.
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool Value);
  // Tooltips of controls with an action add the action's shortcut.
  bool HintShortCuts = true;
  int HintPause = 500;
  int HintShortPause = 50;
  int HintHidePause = 2500;
  // The class of the window that shows tooltips; THintWindow unless set.
  const TClassInfo* HintWindowClass() const;
  void SetHintWindowClass(const TClassInfo* Value) { FHintWindowClass = Value; }
  // Shows the tooltip of the control at a screen point now.
  void ActivateHint(POINT CursorPos);
  // Shows the tooltip of Control (or of its nearest parent with ShowHint) for the mouse at CursorPos.
  void ActivateHint(TControl* Control, POINT CursorPos);
  // Hides the tooltip and forgets the control it was for.
  void CancelHint();
  // The window of the tooltip shown last; nullptr before the first.
  THintWindow* HintWindow() const { return FHintWindow; }

  TMessageEvent OnMessage;
  TIdleEvent OnIdle;
  TNotifyEvent OnHint;
  TExceptionEvent OnException;
  // The idle listeners of application-events components.
  std::vector<std::function<void(bool& Done)>*> IdleListeners;

 private:
  friend class TForm;
  bool ProcessMessage(MSG& Msg);
  bool IsKeyMsg(MSG& Msg);
  bool IsDlgMsg(MSG& Msg);
  void Idle();
  void DoMouseIdle();
  void HintMouseMessage(const MSG& Msg);
  void HintTimer(UINT_PTR Id);
  void DispatchAction(TMessage& Message);
  void Notification(TComponent* AComponent, TOperation Operation) override;
  static LRESULT CALLBACK WndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);

  HWND FHandle = nullptr;
  std::string FTitle;
  TForm* FMainForm = nullptr;
  bool FTerminated = false;
  HWND FDialogHandle = nullptr;
  std::vector<std::pair<int, TWindowHook>> FHooks;
  int FNextHook = 1;
  std::string FHint;
  bool FShowHint = true;
  const TClassInfo* FHintWindowClass = nullptr;
  THintWindow* FHintWindow = nullptr;  // owned
  TControl* FMouseControl = nullptr;
  TControl* FHintControl = nullptr;
  bool FHintActive = false;
};

// The control under a screen point: a window of the library, or a control without a window on it.
TControl* FindDragTarget(POINT Pos);
// The hint of the control, or of its nearest parent that has one.
std::string GetHint(TControl* Control);

class TScreen : public TComponent {
 public:
  using TComponent::TComponent;
  int FormCount() const { return static_cast<int>(FForms.size()); }
  TForm* Forms(int Index) const;  // EListError outside 0..Count-1
  // The primary monitor, and the virtual desktop over all monitors.
  int Width() const { return GetSystemMetrics(SM_CXSCREEN); }
  int Height() const { return GetSystemMetrics(SM_CYSCREEN); }
  int DesktopWidth() const { return GetSystemMetrics(SM_CXVIRTUALSCREEN); }
  int DesktopHeight() const { return GetSystemMetrics(SM_CYVIRTUALSCREEN); }
  RECT WorkAreaRect() const;
  // The form that holds the focus, or nullptr.
  TForm* ActiveForm() const;

 private:
  friend class TForm;
  std::vector<TForm*> FForms;
};

// An application's events as a component that a form can own; several may listen at once.
class TApplicationEvents : public TComponent {
 public:
  explicit TApplicationEvents(TComponent* AOwner);
  ~TApplicationEvents() override;
  TIdleEvent OnIdle;

 private:
  std::function<void(bool& Done)> FListener;
};

// The class information of TForm, the parent of every form class's own.
const TClassInfo* FormClassInfo();

extern TApplication* Application;
extern TScreen* Screen;

// A colour name of the form files (clWhite, clBtnFace, ...) as its value; false for any other name.
bool IdentToColor(const std::string& Name, int64_t& Value);

// The form a control lies on, or nullptr.
TForm* GetParentForm(TControl* Control);

// Registers the form class T (named Name, with its handler methods and component fields) once. Classes
// lists the class tables whose classes the form's description names instead of the registered ones of
// the same name.
template <class T>
void RegisterFormClass(const char* Name, std::vector<TMethodEntry> Methods = {},
                       std::vector<TFieldEntry> Fields = {},
                       std::initializer_list<std::vector<const TClassInfo*>> Classes = {}) {
  static const TClassInfo Info = [&] {
    TClassInfo I = MakeClassInfo<T>(Name, FormClassInfo(), {});
    I.Methods = std::move(Methods);
    I.Fields = std::move(Fields);
    for (const auto& Table : Classes) I.Classes.insert(I.Classes.end(), Table.begin(), Table.end());
    return I;
  }();
  RegisterClass(&Info);
}
