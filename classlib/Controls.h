#pragma once
// Controls and windowed controls: the window layer of the class library.
//
// Every window of the library has one window procedure, which finds the control of the window through a
// window property and hands each message to the control's WindowProc. WindowProc starts as the control's
// own WndProc, which passes the message to Dispatch; Dispatch calls the handler of the message or, for
// messages without one, DefaultHandler, which calls the window's default procedure (FDefWndProc).
#include <windows.h>

#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "classlib/Classes.h"

struct TMessage {
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
  LRESULT Result;
};

using TWndMethod = std::function<void(TMessage& Message)>;

class TWinControl;

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
  bool Visible() const { return FVisible; }
  virtual void SetVisible(bool Value);
  bool Enabled() const { return FEnabled; }
  virtual void SetEnabled(bool Value);

  // Sends the message through WindowProc, with or without a window, and returns its result.
  LRESULT Perform(UINT Msg, WPARAM WParam, LPARAM LParam);

  // The way in for every message of this control. Replace it to watch or filter messages (calling the
  // saved value passes them on); assigning the saved value back undoes the replacement.
  TWndMethod WindowProc;
  // True while WindowProc is this control's own WndProc.
  bool WindowProcIsOwn() const;

 protected:
  virtual void WndProc(TMessage& Message);
  // Calls the handler of the message. Derived classes handle their messages and pass the others on to
  // their parent class's Dispatch; what nobody handles ends in DefaultHandler.
  virtual void Dispatch(TMessage& Message);
  // A control without a window does nothing with an unhandled message.
  virtual void DefaultHandler(TMessage& Message);

 private:
  friend class TWinControl;
  struct TOwnWndProc;

  TWinControl* FParent = nullptr;
  int FLeft = 0;
  int FTop = 0;
  int FWidth = 0;
  int FHeight = 0;
  bool FVisible = true;
  bool FEnabled = true;
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

 protected:
  // Without a parent: a hidden pop-up window unless Visible; with one: a child of the parent's window.
  virtual void CreateParams(TCreateParams& Params);
  // Registers the window class when needed and creates the window through CreateWindowHandle.
  virtual void CreateWnd();
  // CreateWindowExA; the window is bound to this control by its first message.
  virtual void CreateWindowHandle(const TCreateParams& Params);
  virtual void DestroyWnd();
  virtual void DestroyWindowHandle();
  // Creates the window and then the windows of the visible children.
  void CreateHandle();

  void Dispatch(TMessage& Message) override;
  // Calls FDefWndProc through CallWindowProcA while the window exists.
  void DefaultHandler(TMessage& Message) override;

  HWND FHandle = nullptr;
  WNDPROC FDefWndProc = nullptr;

 private:
  friend class TControl;
  static LRESULT CALLBACK StdWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  void InsertControl(TControl* AControl);
  void RemoveControl(TControl* AControl);
  void AttachWindow(HWND Wnd);
  void DetachWindow();
  void UpdateBounds();

  std::vector<TControl*> FControls;
};

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
