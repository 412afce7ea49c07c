#include "classlib/Controls.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "classlib/Forms.h"
#include "classlib/Menus.h"
#include "classlib/StdCtrls.h"
#include "classlib/SysUtils.h"
#include "tests/support/MessagePump.h"

namespace {

constexpr UINT WM_PROBE = WM_USER + 100;
constexpr UINT WM_THROW = WM_USER + 101;

// Handles WM_PROBE (result: twice wParam) and WM_THROW; everything else goes the default way.
class TProbeControl : public TWinControl {
 public:
  using TWinControl::TWinControl;
  std::vector<WPARAM> Probes;
  std::function<void()> OnProbe;

 protected:
  void Dispatch(TMessage& Message) override {
    switch (Message.Msg) {
      case WM_PROBE:
        Probes.push_back(Message.WParam);
        Message.Result = static_cast<LRESULT>(Message.WParam * 2);
        if (OnProbe) OnProbe();  // last: it may free this control
        return;
      case WM_THROW:
        if (Message.WParam) throw Exception(L"Handler failed \u00e4");
        throw std::runtime_error("plain failure");
      default:
        TWinControl::Dispatch(Message);
    }
  }
};

// Logs "<name> destroyed" when its window gets WM_DESTROY, through a replaced WindowProc.
void LogDestroy(TWinControl* Control, const std::string& Name, std::vector<std::string>* Log) {
  TWndMethod Old = Control->WindowProc;
  Control->WindowProc = [Old, Name, Log](TMessage& Message) {
    if (Message.Msg == WM_DESTROY) Log->push_back(Name + " destroyed");
    Old(Message);
  };
}

RECT WindowRectIn(HWND Wnd, HWND Parent) {
  RECT Rect;
  GetWindowRect(Wnd, &Rect);
  MapWindowPoints(HWND_DESKTOP, Parent, reinterpret_cast<POINT*>(&Rect), 2);
  return Rect;
}

TEST(ControlsWindow, WindowIsCreatedWhenFirstNeededParentFirst) {
  TProbeControl Parent(nullptr);
  Parent.SetVisible(false);
  auto* Shown = new TProbeControl(&Parent);
  Shown->SetParent(&Parent);
  auto* Hidden = new TProbeControl(&Parent);
  Hidden->SetVisible(false);
  Hidden->SetParent(&Parent);
  EXPECT_FALSE(Parent.HandleAllocated());

  const HWND Wnd = Shown->Handle();  // makes the parent's window first
  ASSERT_TRUE(Parent.HandleAllocated());
  EXPECT_EQ(GetParent(Wnd), Parent.Handle());
  EXPECT_EQ(Shown->Handle(), Wnd);
  EXPECT_EQ(FindControl(Wnd), Shown);
  EXPECT_EQ(FindControl(Parent.Handle()), &Parent);
  EXPECT_FALSE(Hidden->HandleAllocated());  // hidden children wait until asked
  EXPECT_FALSE(IsWindowVisible(Parent.Handle()));
  EXPECT_EQ(GetWindowLongPtrA(Parent.Handle(), GWL_STYLE) & WS_POPUP, WS_POPUP);

  // A visible child added to a parent that has its window gets its own at once.
  auto* Late = new TProbeControl(&Parent);
  Late->SetParent(&Parent);
  EXPECT_TRUE(Late->HandleAllocated());
}

TEST(ControlsWindow, MessagesReachTheObjectSentPostedAndPerformed) {
  TProbeControl Control(nullptr);
  Control.SetVisible(false);
  EXPECT_EQ(Control.Perform(WM_PROBE, 4, 0), 8);  // no window needed
  EXPECT_EQ(Control.Perform(WM_SETTEXT, 0, 0), 0);
  EXPECT_FALSE(Control.HandleAllocated());

  EXPECT_EQ(SendMessageA(Control.Handle(), WM_PROBE, 21, 0), 42);
  PostMessageA(Control.Handle(), WM_PROBE, 5, 0);
  ASSERT_TRUE(PumpMessagesUntil([&] { return Control.Probes.size() == 3; }, 20000));
  EXPECT_EQ(Control.Probes, (std::vector<WPARAM>{4, 21, 5}));

  // Unhandled messages reach the default window procedure.
  SetWindowTextA(Control.Handle(), "caption");
  char Text[16] = {};
  GetWindowTextA(Control.Handle(), Text, sizeof Text);
  EXPECT_STREQ(Text, "caption");
}

TEST(ControlsWindow, WindowProcCanBeReplacedAndRestored) {
  TProbeControl Control(nullptr);
  Control.SetVisible(false);
  const HWND Wnd = Control.Handle();
  EXPECT_TRUE(Control.WindowProcIsOwn());

  std::vector<UINT> Watched;
  const TWndMethod Saved = Control.WindowProc;
  Control.WindowProc = [&](TMessage& Message) {
    if (Message.Msg == WM_PROBE) Watched.push_back(Message.Msg);
    if (Message.WParam == 99) return;  // swallowed
    Saved(Message);
  };
  EXPECT_FALSE(Control.WindowProcIsOwn());
  EXPECT_EQ(SendMessageA(Wnd, WM_PROBE, 1, 0), 2);
  EXPECT_EQ(SendMessageA(Wnd, WM_PROBE, 99, 0), 0);
  EXPECT_EQ(Control.Perform(WM_PROBE, 3, 0), 6);
  EXPECT_EQ(Watched.size(), 3u);
  EXPECT_EQ(Control.Probes, (std::vector<WPARAM>{1, 3}));

  Control.WindowProc = Saved;
  EXPECT_TRUE(Control.WindowProcIsOwn());
  SendMessageA(Wnd, WM_PROBE, 99, 0);
  EXPECT_EQ(Watched.size(), 3u);
  EXPECT_EQ(Control.Probes.back(), 99u);
}

TEST(ControlsWindow, RecreateWndKeepsStateAndChildren) {
  TProbeControl Parent(nullptr);
  Parent.SetVisible(false);
  Parent.SetBounds(10, 20, 300, 200);
  auto* Child = new TProbeControl(&Parent);
  Child->SetParent(&Parent);
  Child->SetBounds(5, 6, 70, 40);
  Child->SetEnabled(false);
  const HWND OldParent = Parent.Handle();
  const HWND OldChild = Child->Handle();
  std::vector<WPARAM> Watched;
  Child->WindowProc = [&, Saved = Child->WindowProc](TMessage& Message) {
    if (Message.Msg == WM_PROBE) Watched.push_back(Message.WParam);
    Saved(Message);
  };
  // Moved from outside: the control follows the window.
  SetWindowPos(OldChild, nullptr, 15, 16, 80, 50, SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(Child->Left(), 15);
  EXPECT_EQ(Child->Height(), 50);

  Parent.RecreateWnd();
  EXPECT_FALSE(IsWindow(OldParent));
  EXPECT_FALSE(IsWindow(OldChild));
  ASSERT_TRUE(Child->HandleAllocated());
  const HWND NewChild = Child->Handle();
  EXPECT_NE(NewChild, OldChild);
  EXPECT_EQ(GetParent(NewChild), Parent.Handle());
  EXPECT_EQ(FindControl(NewChild), Child);
  const RECT Rect = WindowRectIn(NewChild, Parent.Handle());
  const RECT Expected{15, 16, 95, 66};
  EXPECT_TRUE(EqualRect(&Rect, &Expected));
  EXPECT_FALSE(IsWindowEnabled(NewChild));
  EXPECT_EQ(SendMessageA(NewChild, WM_PROBE, 7, 0), 14);
  EXPECT_EQ(Watched, std::vector<WPARAM>{7});

  // A window destroyed behind the control's back is noticed, and a new one made on demand.
  DestroyWindow(NewChild);
  EXPECT_FALSE(Child->HandleAllocated());
  EXPECT_TRUE(IsWindow(Child->Handle()));
}

TEST(ControlsWindow, ParentDestroysChildrenWindowsFirstAndFreesChildren) {
  std::vector<std::string> Log;
  auto* Parent = new TProbeControl(nullptr);
  Parent->SetVisible(false);
  auto* Child = new TProbeControl(nullptr);  // no owner: the parent frees it
  Child->SetParent(Parent);
  auto* Grandchild = new TProbeControl(nullptr);
  Grandchild->SetParent(Child);
  auto* Sibling = new TProbeControl(nullptr);
  Sibling->SetParent(Parent);
  LogDestroy(Parent, "parent", &Log);
  LogDestroy(Child, "child", &Log);
  LogDestroy(Grandchild, "grandchild", &Log);
  LogDestroy(Sibling, "sibling", &Log);
  const HWND Windows[] = {Parent->Handle(), Child->Handle(), Grandchild->Handle(), Sibling->Handle()};

  // A child freed on its own takes only its window and leaves its parent's list.
  delete Sibling;
  EXPECT_EQ(Log, std::vector<std::string>{"sibling destroyed"});
  EXPECT_EQ(Parent->ControlCount(), 1);
  EXPECT_TRUE(IsWindow(Windows[0]));

  delete Parent;
  EXPECT_EQ(Log, (std::vector<std::string>{"sibling destroyed", "grandchild destroyed", "child destroyed",
                                           "parent destroyed"}));
  for (HWND Wnd : Windows) EXPECT_FALSE(IsWindow(Wnd));
}

TEST(ControlsWindow, NoWindowLeaksOverManyCycles) {
  {
    TProbeControl Warm(nullptr);  // registers the class
    Warm.SetVisible(false);
    Warm.HandleNeeded();
  }
  const int Before = CountThreadWindows();
  for (int I = 0; I < 200; ++I) {
    TProbeControl Parent(nullptr);
    Parent.SetVisible(false);
    auto* Child = new TProbeControl(&Parent);
    Child->SetParent(&Parent);
    (new TProbeControl(&Parent))->SetParent(Child);
    Parent.HandleNeeded();
    if (I % 2) Parent.RecreateWnd();
    if (I % 3 == 0) Child->SetParent(nullptr);  // the owner still frees it
  }
  EXPECT_EQ(CountThreadWindows(), Before);
}

TEST(ControlsWindow, ExceptionsInHandlersGoToTheHook) {
  std::vector<std::wstring> Caught;
  const auto SavedHook = HandleWindowException;
  HandleWindowException = [&](std::exception_ptr Error) {
    try {
      std::rethrow_exception(Error);
    } catch (const Exception& E) {
      Caught.push_back(E.Message());
    } catch (const std::exception& E) {
      Caught.push_back(AnsiToWide(E.what()));
    }
  };
  TProbeControl Control(nullptr);
  Control.SetVisible(false);
  EXPECT_EQ(SendMessageA(Control.Handle(), WM_THROW, 1, 0), 0);
  PostMessageA(Control.Handle(), WM_THROW, 0, 0);
  PumpMessagesUntil([&] { return Caught.size() == 2; }, 20000);
  EXPECT_EQ(Caught, (std::vector<std::wstring>{L"Handler failed \u00e4", L"plain failure"}));
  EXPECT_EQ(SendMessageA(Control.Handle(), WM_PROBE, 2, 0), 4);  // the window still works
  HandleWindowException = SavedHook;
}

TEST(ControlsWindow, HandlerMayFreeItsOwnControl) {
  const int Before = CountThreadWindows();
  auto* Parent = new TProbeControl(nullptr);
  Parent->SetVisible(false);
  auto* Child = new TProbeControl(Parent);
  Child->SetParent(Parent);
  const HWND ChildWnd = Child->Handle();
  Child->OnProbe = [&] { delete Child; };
  PostMessageA(ChildWnd, WM_PROBE, 1, 0);
  PumpMessagesFor(100);
  EXPECT_FALSE(IsWindow(ChildWnd));
  EXPECT_EQ(Parent->ControlCount(), 0);
  EXPECT_EQ(Parent->ComponentCount(), 0);

  const HWND ParentWnd = Parent->Handle();
  Parent->OnProbe = [&] { delete Parent; };
  EXPECT_EQ(SendMessageA(ParentWnd, WM_PROBE, 3, 0), 6);
  EXPECT_FALSE(IsWindow(ParentWnd));
  EXPECT_EQ(CountThreadWindows(), Before);
}

TEST(ControlsAlign, AlignedChildrenShareTheClientAreaAndFollowItsSize) {
  TProbeControl Parent(nullptr);
  Parent.SetVisible(false);
  Parent.SetBounds(0, 0, 300, 200);
  struct TCase {
    TAlign Align;
    int Size;
    RECT Expected;     // at 300 x 200
    RECT AfterResize;  // at 400 x 100
  };
  const TCase Cases[] = {
      {alClient, 0, {40, 20, 250, 170}, {40, 20, 350, 70}},   {alTop, 20, {0, 0, 300, 20}, {0, 0, 400, 20}},
      {alBottom, 30, {0, 170, 300, 200}, {0, 70, 400, 100}},  {alLeft, 40, {0, 20, 40, 170}, {0, 20, 40, 70}},
      {alRight, 50, {250, 20, 300, 170}, {350, 20, 400, 70}},
  };
  std::vector<TProbeControl*> Children;
  for (const TCase& C : Cases) {
    auto* Child = new TProbeControl(&Parent);
    Child->SetBounds(0, 0, C.Size, C.Size);
    Child->SetAlign(C.Align);
    Child->SetParent(&Parent);
    Children.push_back(Child);
  }
  auto* Hidden = new TProbeControl(&Parent);  // takes no room
  Hidden->SetVisible(false);
  Hidden->SetBounds(0, 0, 80, 80);
  Hidden->SetAlign(alTop);
  Hidden->SetParent(&Parent);
  for (size_t I = 0; I < Children.size(); ++I) {
    const RECT Rect = Children[I]->BoundsRect();
    EXPECT_TRUE(EqualRect(&Rect, &Cases[I].Expected)) << I;
  }
  // The window is sized from outside: the children follow, windows included.
  SetWindowPos(Parent.Handle(), nullptr, 0, 0, 400, 100, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
  for (size_t I = 0; I < Children.size(); ++I) {
    const RECT Rect = Children[I]->BoundsRect();
    EXPECT_TRUE(EqualRect(&Rect, &Cases[I].AfterResize)) << I;
    const RECT Window = WindowRectIn(Children[I]->Handle(), Parent.Handle());
    EXPECT_TRUE(EqualRect(&Window, &Cases[I].AfterResize)) << I;
  }
  Hidden->SetVisible(true);
  EXPECT_EQ(Hidden->Top(), 20);
  EXPECT_EQ(Children[0]->Top(), 100);
}

TEST(ControlsFont, ParentFontFollowsTheParentUntilTheChildChangesItsOwn) {
  TProbeControl Parent(nullptr);
  Parent.SetVisible(false);
  auto* Child = new TEdit(&Parent);  // a window that keeps the font it is given
  Child->SetParent(&Parent);
  auto* Own = new TEdit(&Parent);
  Own->SetParent(&Parent);
  Own->Font()->SetSize(20);
  EXPECT_FALSE(Own->ParentFont());
  Parent.Font()->SetName("Tahoma");
  Parent.Font()->SetStyle(fsBold);
  EXPECT_EQ(Child->Font()->Name(), "Tahoma");
  EXPECT_TRUE(Child->ParentFont());
  EXPECT_NE(Own->Font()->Name(), "Tahoma");
  // The windows use the controls' fonts, also after a new window.
  const auto FontOf = [](TWinControl* C) {
    return reinterpret_cast<HFONT>(SendMessageA(C->Handle(), WM_GETFONT, 0, 0));
  };
  EXPECT_EQ(FontOf(Child), Child->Font()->Handle());
  Parent.Font()->SetSize(14);
  EXPECT_EQ(FontOf(Child), Child->Font()->Handle());
  LOGFONTA Log{};
  GetObjectA(FontOf(Child), sizeof Log, &Log);
  EXPECT_STREQ(Log.lfFaceName, "Tahoma");
  EXPECT_EQ(Log.lfWeight, FW_BOLD);
  Parent.RecreateWnd();
  EXPECT_EQ(FontOf(Own), Own->Font()->Handle());
  EXPECT_EQ(Own->Font()->Size(), 20);

  Own->SetParentFont(true);
  EXPECT_EQ(Own->Font()->Size(), 14);
}

TEST(ControlsColor, ParentColorFollowsAndOwnColourWins) {
  TProbeControl Parent(nullptr);
  Parent.SetColor(clRed);
  auto* Child = new TProbeControl(&Parent);
  Child->SetParent(&Parent);
  Child->SetParentColor(true);
  EXPECT_EQ(Child->Color(), clRed);
  Parent.SetColor(clLime);
  EXPECT_EQ(Child->Color(), clLime);
  Child->SetColor(clBlue);
  EXPECT_FALSE(Child->ParentColor());
  Parent.SetColor(clRed);
  EXPECT_EQ(Child->Color(), clBlue);
}

TEST(ControlsMessages, ChangesAnnounceThemselvesOnceThroughWindowProc) {
  TProbeControl Control(nullptr);
  Control.SetVisible(false);
  std::vector<UINT> Seen;
  Control.WindowProc = [&, Saved = Control.WindowProc](TMessage& Message) {
    if (Message.Msg >= CM_BASE && Message.Msg < CN_BASE) Seen.push_back(Message.Msg);
    Saved(Message);
  };
  struct TCase {
    const char* What;
    std::function<void()> Change;
    std::vector<UINT> Expected;
  };
  const TCase Cases[] = {
      {"text", [&] { Control.SetText("a"); }, {CM_TEXTCHANGED}},
      {"same text", [&] { Control.SetText("a"); }, {}},
      {"colour", [&] { Control.SetColor(clRed); }, {CM_COLORCHANGED}},
      {"font", [&] { Control.Font()->SetSize(15); }, {CM_FONTCHANGED}},
      {"shown", [&] { Control.SetVisible(true); }, {CM_VISIBLECHANGED}},
      {"shown again", [&] { Control.SetVisible(true); }, {}},
      {"disabled", [&] { Control.SetEnabled(false); }, {CM_ENABLEDCHANGED}},
  };
  for (const TCase& C : Cases) {
    Seen.clear();
    C.Change();
    EXPECT_EQ(Seen, C.Expected) << C.What;
  }
  // Text set on the window itself is kept for the next window.
  SetWindowTextA(Control.Handle(), "from outside");
  Control.RecreateWnd();
  EXPECT_EQ(Control.Text(), "from outside");
  char Text[32] = {};
  GetWindowTextA(Control.Handle(), Text, sizeof Text);
  EXPECT_STREQ(Text, "from outside");
}

TEST(ControlsMouse, ControlsWithoutWindowGetTheirMouseMessagesAndClicks) {
  TProbeControl Parent(nullptr);
  Parent.SetVisible(false);
  Parent.SetBounds(0, 0, 200, 100);
  auto* Below = new TGraphicControl(&Parent);
  Below->SetBounds(10, 10, 50, 50);
  Below->SetParent(&Parent);
  auto* Above = new TGraphicControl(&Parent);
  Above->SetBounds(40, 20, 50, 50);
  Above->SetParent(&Parent);
  std::vector<std::string> Log;
  for (auto [Control, Name] : {std::pair{Below, "below"}, std::pair{Above, "above"}}) {
    Control->OnMouseDown = [&Log, Name](TObject*, TMouseButton Button, TShiftState Shift, int X, int Y) {
      Log.push_back(std::string(Name) + " down " + std::to_string(Button) + " " + std::to_string(X) + "," +
                    std::to_string(Y) + (Shift & ssShift ? " shift" : ""));
    };
    Control->OnClick = [&Log, Name](TObject*) { Log.push_back(std::string(Name) + " click"); };
  }
  const HWND Wnd = Parent.Handle();
  const auto Send = [&](UINT Msg, int X, int Y, WPARAM Keys = 0) {
    SendMessageA(Wnd, Msg, Keys, MAKELPARAM(X, Y));
  };
  Send(WM_LBUTTONDOWN, 45, 25, MK_LBUTTON | MK_SHIFT);  // both cover it: the later one is on top
  Send(WM_LBUTTONUP, 46, 26);
  Send(WM_LBUTTONDOWN, 15, 15);
  Send(WM_LBUTTONUP, 150, 90);  // released outside: no click, the control still hears it
  Send(WM_RBUTTONDOWN, 15, 15);
  Send(WM_RBUTTONUP, 15, 15);
  Above->SetEnabled(false);
  Send(WM_LBUTTONDOWN, 45, 25);
  Send(WM_LBUTTONUP, 45, 25);
  EXPECT_EQ(Log, (std::vector<std::string>{"above down 0 5,5 shift", "above click", "below down 0 5,5",
                                           "below down 1 5,5"}));
}

TEST(ControlsMouse, ARightClickOpensTheContextMenuOfTheControlUnderIt) {
  TProbeControl Parent(nullptr);
  Parent.SetVisible(false);
  Parent.SetBounds(0, 0, 200, 100);
  auto* Own = new TGraphicControl(&Parent);
  Own->SetBounds(10, 10, 50, 50);
  Own->SetParent(&Parent);
  auto* Plain = new TGraphicControl(&Parent);
  Plain->SetBounds(100, 10, 50, 50);
  Plain->SetParent(&Parent);
  auto* Button = new TButton(&Parent);
  Button->SetBounds(10, 70, 50, 20);
  Button->SetParent(&Parent);
  std::vector<std::string> Opened;
  // Each menu notes where it opened and goes no further: its silent abort ends the message.
  const auto Saved = HandleWindowException;
  HandleWindowException = [](std::exception_ptr) {};
  const auto NewMenu = [&](const std::string& Name) {
    auto* Menu = new TPopupMenu(&Parent);
    Menu->OnPopup = [&Opened, Menu, Name](TObject*) {
      Opened.push_back(Name + " on " +
                       (Menu->PopupComponent == nullptr ? "?" : Menu->PopupComponent->Name()));
      Abort();
    };
    return Menu;
  };
  Parent.SetName("parent");
  Own->SetName("own");
  Button->SetName("button");
  Parent.SetPopupMenu(NewMenu("outer"));
  Own->SetPopupMenu(NewMenu("inner"));
  Button->SetPopupMenu(Own->PopupMenu());
  const auto RightClick = [](HWND Wnd, int X, int Y) {
    SendMessageA(Wnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(X, Y));
    SendMessageA(Wnd, WM_RBUTTONUP, 0, MAKELPARAM(X, Y));
  };
  RightClick(Parent.Handle(), 20, 20);   // a control without a window, with its own menu
  RightClick(Parent.Handle(), 120, 20);  // one without a menu: the parent's
  RightClick(Parent.Handle(), 180, 90);  // the parent itself
  RightClick(Button->Handle(), 5, 5);    // a control with a window
  HandleWindowException = Saved;
  EXPECT_EQ(Opened, (std::vector<std::string>{"inner on own", "outer on parent", "outer on parent",
                                              "inner on button"}));
}

TEST(ControlsKeys, KeyHandlersSeeAndMayChangeOrSwallowKeys) {
  TProbeControl Parent(nullptr);
  Parent.SetVisible(false);
  auto* Edit = new TEdit(&Parent);
  Edit->SetParent(&Parent);
  std::vector<WORD> Downs;
  Edit->OnKeyDown = [&](TObject*, WORD& Key, TShiftState) {
    Downs.push_back(Key);
    if (Key == VK_END) Key = 0;
  };
  Edit->OnKeyPress = [](TObject*, char& Key) {
    if (Key == 'x') Key = 0;
    if (Key == 'a') Key = 'b';
  };
  Edit->SetText("12");
  const HWND Wnd = Edit->Handle();
  SendMessageA(Wnd, EM_SETSEL, 0, 0);
  SendMessageA(Wnd, WM_KEYDOWN, VK_END, 0);  // swallowed: the caret stays
  for (char C : {'a', 'x', 'c'}) SendMessageA(Wnd, WM_CHAR, static_cast<unsigned char>(C), 0);
  EXPECT_EQ(Edit->Text(), "bc12");
  EXPECT_EQ(Downs, std::vector<WORD>{VK_END});
}

}  // namespace

TEST(ControlsHint, AHintAtTheScreensEdgeMovesInWhole) {
  MONITORINFO Monitor{};
  Monitor.cbSize = sizeof(Monitor);
  ASSERT_TRUE(GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &Monitor));
  const RECT Work = Monitor.rcWork;
  THintWindow Hint(nullptr);
  // Past the right and bottom edges, then before the left and top ones: the size stays.
  for (const POINT At : {POINT{Work.right - 50, Work.bottom - 5}, POINT{Work.left - 70, Work.top - 30}}) {
    Hint.ActivateHint({At.x, At.y, At.x + 200, At.y + 20}, "tooltip");
    RECT Shown;
    ASSERT_TRUE(GetWindowRect(Hint.Handle(), &Shown));
    EXPECT_EQ(Shown.right - Shown.left, 200);
    EXPECT_EQ(Shown.bottom - Shown.top, 24);
    EXPECT_GE(Shown.left, Work.left);
    EXPECT_GE(Shown.top, Work.top);
    EXPECT_LE(Shown.right, Work.right);
    EXPECT_LE(Shown.bottom, Work.bottom);
  }
  // Inside the screen a hint stays where it is asked to be.
  Hint.ActivateHint({Work.left + 10, Work.top + 10, Work.left + 110, Work.top + 30}, "tooltip");
  RECT Shown;
  ASSERT_TRUE(GetWindowRect(Hint.Handle(), &Shown));
  EXPECT_EQ(Shown.left, Work.left + 10);
  EXPECT_EQ(Shown.top, Work.top + 10);
}
