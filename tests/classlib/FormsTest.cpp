#include "classlib/Forms.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "classlib/FormReader.h"
#include "classlib/Menus.h"
#include "classlib/StdCtrls.h"
#include "tests/support/MessagePump.h"

namespace {

constexpr UINT WM_PING = WM_USER + 7;

std::wstring MessageOf(std::exception_ptr Error) {
  try {
    std::rethrow_exception(Error);
  } catch (const Exception& E) {
    return E.Message();
  } catch (...) {
    return L"?";
  }
}

// Collects what reaches Application->OnException.
struct TExceptionLog {
  std::vector<std::wstring> Messages;
  TExceptionLog() {
    Application->OnException = [this](TObject*, std::exception_ptr Error) {
      Messages.push_back(MessageOf(Error));
    };
  }
  ~TExceptionLog() { Application->OnException = nullptr; }
};

// A form without a resource, owned by the application as CreateForm would make it.
TForm* NewAppForm(const std::string& Name) {
  auto* Form = new TForm(Application);
  Form->SetName(Name);
  Form->SetBounds(0, 0, 200, 100);
  return Form;
}

TEST(FormsApplication, HooksSeeTheOwnerWindowsMessagesFromItsCreation) {
  std::vector<UINT> Seen;
  const int Watch = Application->HookMainWindow([&](TMessage& Message) {
    Seen.push_back(Message.Msg);
    return false;
  });
  const int Answer = Application->HookMainWindow([](TMessage& Message) {
    if (Message.Msg != WM_PING) return false;
    Message.Result = 42;
    return true;
  });
  EXPECT_FALSE(Application->HandleAllocated());
  Application->SetTitle("Player \xe4");
  const HWND Wnd = Application->Handle();
  EXPECT_NE(std::find(Seen.begin(), Seen.end(), static_cast<UINT>(WM_CREATE)), Seen.end());
  char Class[32] = {}, Title[32] = {};
  GetClassNameA(Wnd, Class, sizeof Class);
  GetWindowTextA(Wnd, Title, sizeof Title);
  EXPECT_STREQ(Class, "TApplication");
  EXPECT_STREQ(Title, "Player \xe4");
  EXPECT_FALSE(IsWindowVisible(Wnd));

  EXPECT_EQ(SendMessageA(Wnd, WM_PING, 0, 0), 42);
  Application->UnhookMainWindow(Answer);
  EXPECT_EQ(SendMessageA(Wnd, WM_PING, 0, 0), 0);
  Seen.clear();
  Application->UnhookMainWindow(Watch);
  SendMessageA(Wnd, WM_PING, 0, 0);
  EXPECT_TRUE(Seen.empty());

  // A hook may unhook itself while it runs.
  int Cookie = 0;
  int Calls = 0;
  Cookie = Application->HookMainWindow([&](TMessage&) {
    ++Calls;
    Application->UnhookMainWindow(Cookie);
    return false;
  });
  SendMessageA(Wnd, WM_PING, 0, 0);
  SendMessageA(Wnd, WM_PING, 0, 0);
  EXPECT_EQ(Calls, 1);
}

TEST(FormsApplication, HandleExceptionIsSilentForAbortAndRoutesTheRest) {
  TExceptionLog Log;
  Application->HandleException(std::make_exception_ptr(Exception(L"shown")));
  try {
    Abort();
  } catch (...) {
    Application->HandleException(std::current_exception());
  }
  EXPECT_EQ(Log.Messages, std::vector<std::wstring>{L"shown"});

  // After Initialize, exceptions of message handlers, of OnMessage and of idle handlers arrive here too.
  Application->Initialize();
  TForm Form(nullptr);
  Form.WindowProc = [Saved = Form.WindowProc](TMessage& Message) {
    if (Message.Msg == WM_PING) throw Exception(L"from a handler");
    Saved(Message);
  };
  SendMessageA(Form.Handle(), WM_PING, 0, 0);
  Application->OnMessage = [](MSG& Msg, bool&) {
    if (Msg.message == WM_PING) throw Exception(L"from OnMessage");
  };
  PostMessageA(Application->Handle(), WM_PING, 0, 0);
  Application->ProcessMessages();
  Application->OnMessage = nullptr;
  Application->OnIdle = [](TObject*, bool& Done) {
    Done = false;
    throw Exception(L"from OnIdle");
  };
  Application->HandleMessage();
  Application->OnIdle = nullptr;
  EXPECT_EQ(Log.Messages,
            (std::vector<std::wstring>{L"shown", L"from a handler", L"from OnMessage", L"from OnIdle"}));
}

TEST(FormsApplication, OnMessageCanSwallowAndIdleReachesEveryListener) {
  TForm Form(nullptr);
  std::vector<WPARAM> Reached;
  Form.WindowProc = [&, Saved = Form.WindowProc](TMessage& Message) {
    if (Message.Msg == WM_PING) Reached.push_back(Message.WParam);
    Saved(Message);
  };
  Application->OnMessage = [](MSG& Msg, bool& Handled) {
    Handled = Msg.message == WM_PING && Msg.wParam == 1;
  };
  for (WPARAM I : {1, 2}) PostMessageA(Form.Handle(), WM_PING, I, 0);
  Application->ProcessMessages();
  Application->OnMessage = nullptr;
  EXPECT_EQ(Reached, std::vector<WPARAM>{2});

  std::vector<std::string> Idle;
  Application->OnIdle = [&](TObject*, bool& Done) {
    Idle.push_back("application");
    Done = false;  // no wait for a message
  };
  auto* Events = new TApplicationEvents(&Form);
  Events->OnIdle = [&](TObject* Sender, bool&) {
    EXPECT_EQ(Sender, Events);
    Idle.push_back("events");
  };
  Application->HandleMessage();
  delete Events;  // stops listening
  Application->HandleMessage();
  Application->OnIdle = nullptr;
  EXPECT_EQ(Idle, (std::vector<std::string>{"application", "events", "application"}));
}

TEST(FormsScreen, FormsJoinAndLeaveTheList) {
  EXPECT_EQ(Screen->FormCount(), 0);
  auto* First = new TForm(nullptr);
  {
    TForm Second(nullptr);
    ASSERT_EQ(Screen->FormCount(), 2);
    EXPECT_EQ(Screen->Forms(0), First);
    EXPECT_EQ(Screen->Forms(1), &Second);
    EXPECT_THROW(Screen->Forms(2), EListError);
  }
  EXPECT_EQ(Screen->FormCount(), 1);
  delete First;
  EXPECT_EQ(Screen->FormCount(), 0);
  EXPECT_GT(Screen->Width(), 0);
  EXPECT_GE(Screen->DesktopWidth(), Screen->Width());
}

TEST(FormsForm, CreateFormWithoutItsResourceLeavesNoForm) {
  TForm* Reference = reinterpret_cast<TForm*>(1);
  EXPECT_THROW(Application->CreateForm(Reference), EResNotFound);
  EXPECT_EQ(Reference, nullptr);
  EXPECT_EQ(Application->MainForm(), nullptr);
  EXPECT_EQ(Screen->FormCount(), 0);
  EXPECT_EQ(Application->ComponentCount(), 0);
}

TEST(FormsForm, CloseDoesWhatOnCloseQueryAndOnCloseDecide) {
  struct TCase {
    bool CanClose;
    TCloseAction Action;
    bool Visible;
    bool Freed;
  };
  const TCase Cases[] = {
      {false, caFree, true, false}, {true, caNone, true, false},     {true, caHide, false, false},
      {true, caFree, false, true},  {true, caMinimize, true, false},
  };
  for (const TCase& C : Cases) {
    TForm* Form = NewAppForm("Closing");
    std::vector<std::string> Log;
    Form->OnCloseQuery = [&](TObject*, bool& CanClose) { CanClose = C.CanClose; };
    Form->OnClose = [&](TObject*, TCloseAction& Action) {
      EXPECT_EQ(Action, caHide);
      Action = C.Action;
    };
    Form->OnDestroy = [&](TObject*) { Log.push_back("destroy"); };
    Form->Show();
    const HWND Wnd = Form->Handle();
    PostMessageA(Wnd, WM_CLOSE, 0, 0);  // as the close button does
    PumpMessagesFor(50);
    EXPECT_EQ(IsWindowVisible(Wnd) != FALSE, C.Visible) << C.Action;
    EXPECT_EQ(!IsWindow(Wnd), C.Freed) << C.Action;
    EXPECT_EQ(Log.size(), C.Freed ? 1u : 0u) << C.Action;
    if (C.Action == caMinimize) {
      EXPECT_TRUE(IsIconic(Wnd));
    }
    EXPECT_EQ(Screen->FormCount(), C.Freed ? 0 : 1);
    if (!C.Freed) delete Form;
  }
}

TEST(FormsForm, ShowRunsOnShowAndPlacesTheFormOnce) {
  TForm* Form = NewAppForm("Placed");
  Form->SetPosition(poScreenCenter);
  std::vector<std::string> Log;
  Form->OnShow = [&](TObject*) { Log.push_back("show " + std::to_string(Form->HandleAllocated())); };
  Form->OnHide = [&](TObject*) { Log.push_back("hide"); };
  Form->Show();
  EXPECT_EQ(Form->Left(), (Screen->Width() - 200) / 2);
  EXPECT_EQ(GetParent(Form->Handle()), nullptr);
  EXPECT_EQ(GetWindow(Form->Handle(), GW_OWNER), Application->Handle());
  Form->SetLeft(3);
  Form->Hide();
  Form->Show();  // placed once only
  EXPECT_EQ(Form->Left(), 3);
  EXPECT_EQ(Log, (std::vector<std::string>{"show 0", "hide", "show 1"}));

  // A new border keeps caption, size and children.
  Form->SetCaption("Titel");
  Form->SetClientSize(300, 150);
  auto* Button = new TButton(Form);
  Button->SetParent(Form);
  Form->SetBorderStyle(bsDialog);
  char Text[16] = {};
  GetWindowTextA(Form->Handle(), Text, sizeof Text);
  EXPECT_STREQ(Text, "Titel");
  EXPECT_EQ(Form->ClientWidth(), 300);
  EXPECT_EQ(Form->ClientHeight(), 150);
  EXPECT_EQ(GetParent(Button->Handle()), Form->Handle());
  EXPECT_TRUE(GetWindowLongPtrA(Form->Handle(), GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
  Application->DestroyForms();
}

TEST(FormsForm, BorderIconsChooseTheCaptionButtons) {
  TForm* Form = NewAppForm("Icons");
  Form->SetBorderStyle(bsSingle);
  Form->SetBorderIcons(biSystemMenu);
  Form->SetPosition(poMainFormCenter);  // no main form: the screen's centre
  Form->Show();
  EXPECT_EQ(Form->Left(), (Screen->Width() - 200) / 2);
  const LONG_PTR Style = GetWindowLongPtrA(Form->Handle(), GWL_STYLE);
  EXPECT_TRUE(Style & WS_SYSMENU);
  EXPECT_FALSE(Style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
  Form->SetBorderIcons(biSystemMenu | biMinimize);
  EXPECT_TRUE(GetWindowLongPtrA(Form->Handle(), GWL_STYLE) & WS_MINIMIZEBOX);
  Form->SetBorderIcons(0);
  EXPECT_FALSE(GetWindowLongPtrA(Form->Handle(), GWL_STYLE) & WS_SYSMENU);
  Application->DestroyForms();
}

// An error box in OnShow runs a message loop, in which a timer may show the form again.
TEST(FormsForm, ShowingAgainFromInsideOnShowDoesNotRunItTwice) {
  TForm* Form = NewAppForm("Nested");
  int Shows = 0;
  Form->OnShow = [&](TObject*) {
    ++Shows;
    Form->Show();
  };
  Form->Show();
  EXPECT_EQ(Shows, 1);
  EXPECT_TRUE(Form->Visible());
  EXPECT_TRUE(IsWindowVisible(Form->Handle()));
  Application->DestroyForms();
}

TEST(FormsForm, WindowStateFollowsTheSystemCommandsAndSurvivesTheHiddenCreation) {
  TForm* Form = NewAppForm("Zoomed");
  Form->SetWindowState(wsMaximized);
  Form->HandleNeeded();  // the hidden window's first sizing keeps the state to show
  EXPECT_EQ(Form->WindowState(), wsMaximized);
  Form->Show();
  EXPECT_TRUE(IsZoomed(Form->Handle()));
  SendMessageA(Form->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_EQ(Form->WindowState(), wsNormal);
  SendMessageA(Form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_EQ(Form->WindowState(), wsMinimized);
  SendMessageA(Form->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
  SendMessageA(Form->Handle(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  EXPECT_EQ(Form->WindowState(), wsMaximized);
  Application->DestroyForms();
}

TEST(FormsForm, ClientSizeBeforeTheWindowIsTheSizeAfterwards) {
  TForm Form(nullptr);
  Form.SetClientSize(320, 240);
  EXPECT_EQ(Form.ClientWidth(), 320);
  auto* Menu = new TMainMenu(&Form);
  auto* Item = new TMenuItem(&Form);
  Item->SetCaption("&File");
  Menu->Items()->Add(Item);
  Form.SetMenu(Menu);
  Form.SetClientSize(320, 240);
  Form.HandleNeeded();
  EXPECT_EQ(Form.ClientWidth(), 320);
  EXPECT_EQ(Form.ClientHeight(), 240);
}

TEST(FormsApplication, DestroyFormsTellsEveryFormAndFreesEveryWindow) {
  TForm(nullptr).HandleNeeded();  // the platform's own windows of the thread
  DestroyWindow(Application->Handle());
  const int Before = CountThreadWindows();
  std::vector<std::string> Log;
  TForm* First = NewAppForm("First");
  TForm* Second = NewAppForm("Second");
  for (TForm* Form : {First, Second}) {
    auto* Button = new TButton(Form);
    Button->SetParent(Form);
    Form->OnDestroy = [&, Form](TObject*) {
      Log.push_back(Form->Name() + " with " + std::to_string(Screen->FormCount()));
    };
    Form->Show();
  }
  Application->DestroyForms();
  EXPECT_EQ(Log, (std::vector<std::string>{"Second with 2", "First with 2"}));
  EXPECT_EQ(Screen->FormCount(), 0);
  EXPECT_FALSE(Application->HandleAllocated());
  EXPECT_EQ(CountThreadWindows(), Before);
}

TEST(FormsShortCut, KeysThroughTheMessageLoopReachMenusOfTheFocusedForm) {
  TForm* Form = NewAppForm("Keys");
  auto* Menu = new TMainMenu(Form);
  auto* Popup = new TPopupMenu(Form);
  auto* Edit = new TEdit(Form);
  Edit->SetParent(Form);
  std::vector<std::string> Clicked;
  struct TEntry {
    TMenu* Menu;
    const char* Caption;
    TShortCut Key;
  };
  for (const TEntry& E : {TEntry{Menu, "Refresh", VK_F5}, TEntry{Menu, "Exit", ShortCut('X', ssAlt)},
                          TEntry{Popup, "Delete", VK_DELETE}, TEntry{Popup, "Next", VK_F6}}) {
    auto* Item = new TMenuItem(Form);
    Item->SetCaption(E.Caption);
    Item->SetShortCut(E.Key);
    Item->OnClick = [&](TObject* Sender) { Clicked.push_back(static_cast<TMenuItem*>(Sender)->Caption()); };
    E.Menu->Items()->Add(Item);
  }
  Form->SetMenu(Menu);
  Edit->SetPopupMenu(Popup);
  Form->Show();
  std::vector<WPARAM> EditKeys;
  Edit->OnKeyDown = [&](TObject*, WORD& Key, TShiftState) { EditKeys.push_back(Key); };

  constexpr LPARAM AltDown = 1 << 29;
  PostMessageA(Edit->Handle(), WM_KEYDOWN, VK_F5, 1);
  PostMessageA(Edit->Handle(), WM_SYSKEYDOWN, 'X', 1 | AltDown);
  PostMessageA(Edit->Handle(), WM_KEYDOWN, VK_F6, 1);
  PostMessageA(Edit->Handle(), WM_KEYDOWN, VK_DELETE, 1);  // the edit's own key
  PostMessageA(Edit->Handle(), WM_KEYDOWN, 'X', 1);        // no shortcut: the edit gets it
  Application->ProcessMessages();
  EXPECT_EQ(Clicked, (std::vector<std::string>{"Refresh", "Exit", "Next"}));
  EXPECT_EQ(EditKeys, (std::vector<WPARAM>{VK_DELETE, 'X'}));
  Application->DestroyForms();
}

// A scroll box of 100 by 100 pixels on a hidden form, with labels at the given tops, 20 pixels high.
struct TScrollHost {
  TForm Form{nullptr};
  TScrollBox* Box = new TScrollBox(&Form);
  std::vector<TLabel*> Labels;
  explicit TScrollHost(std::initializer_list<int> Tops) {
    Form.SetBounds(0, 0, 300, 300);
    Box->SetParent(&Form);
    Box->SetBounds(0, 0, 100, 100);
    for (const int Top : Tops) {
      auto* Label = new TLabel(&Form);
      Label->SetAutoSize(false);
      Label->SetBounds(0, Top, 50, 20);
      Label->SetParent(Box);
      Labels.push_back(Label);
    }
    Box->HandleNeeded();
  }
  int Position() { return Box->VertScrollBar()->Position(); }
};

TEST(FormsScrollBox, ThePositionMovesTheChildrenWithinTheRange) {
  TScrollHost Host({10, 200});
  TControlScrollBar* Bar = Host.Box->VertScrollBar();
  const int Page = Host.Box->ClientHeight();
  EXPECT_EQ(Bar->Range(), 220);
  Bar->SetPosition(30);
  EXPECT_EQ(Host.Labels[0]->Top(), -20);
  EXPECT_EQ(Host.Labels[1]->Top(), 170);
  EXPECT_EQ(Bar->Range(), 220);  // the range does not move with the children
  Bar->SetPosition(1000);
  EXPECT_EQ(Host.Position(), 220 - Page);
  EXPECT_EQ(Host.Labels[1]->Top() + Host.Labels[1]->Height(), Page);
  EXPECT_EQ(GetScrollPos(Host.Box->Handle(), SB_VERT), 220 - Page);
  Bar->SetPosition(-5);
  EXPECT_EQ(Host.Position(), 0);
  EXPECT_EQ(Host.Labels[0]->Top(), 10);

  // Children that fit need no scrolling.
  TScrollHost Small({10});
  Small.Box->VertScrollBar()->SetPosition(10);
  EXPECT_EQ(Small.Position(), 0);
}

TEST(FormsScrollBox, TheBarsArrowsPagesAndThumbScroll) {
  TScrollHost Host({0, 400});
  const HWND Box = Host.Box->Handle();
  const int Page = Host.Box->ClientHeight();
  SendMessageA(Box, WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(Host.Position(), 8);
  SendMessageA(Box, WM_VSCROLL, SB_PAGEDOWN, 0);
  EXPECT_EQ(Host.Position(), 8 + Page);
  SendMessageA(Box, WM_VSCROLL, SB_LINEUP, 0);
  EXPECT_EQ(Host.Position(), Page);
  SendMessageA(Box, WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(Host.Position(), 420 - Page);
  SendMessageA(Box, WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(Host.Position(), 0);
  SCROLLINFO Info{sizeof Info, SIF_RANGE | SIF_PAGE, 0, 0, 0, 0, 0};
  GetScrollInfo(Box, SB_VERT, &Info);
  EXPECT_EQ(Info.nMax, 419);
  EXPECT_EQ(static_cast<int>(Info.nPage), Page);
}

TEST(FormsScrollBox, TheWheelReachesItsEventsAndAnUnhandledTurnGoesOn) {
  TScrollHost Host({0, 400});
  std::vector<std::string> Turns;
  bool Handle = true;
  Host.Box->OnMouseWheelDown = [&](TObject*, TShiftState, POINT, bool& Handled) {
    Turns.push_back("down");
    Handled = Handle;
  };
  Host.Box->OnMouseWheelUp = [&](TObject* Sender, TShiftState, POINT, bool& Handled) {
    Turns.push_back("up");
    static_cast<TScrollBox*>(Sender)->VertScrollBar()->SetPosition(0);
    Handled = true;
  };
  int ParentWheels = 0;
  Host.Form.WindowProc = [&, Saved = Host.Form.WindowProc](TMessage& Message) {
    if (Message.Msg == WM_MOUSEWHEEL) ++ParentWheels;
    Saved(Message);
  };
  const HWND Box = Host.Box->Handle();
  SendMessageA(Box, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
  SendMessageA(Box, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
  EXPECT_EQ(ParentWheels, 0);
  Handle = false;
  SendMessageA(Box, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
  EXPECT_EQ(Turns, (std::vector<std::string>{"down", "up", "down"}));
  EXPECT_EQ(ParentWheels, 1);
}

}  // namespace
