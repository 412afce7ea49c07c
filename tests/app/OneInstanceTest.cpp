// One copy of the player per program file: the utility window's WM_COPYDATA contract, the component,
// and the hand-over between two real copies of the program.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <set>
#include <thread>

#include "Imports/UCodeClasses.h"
#include "app/OneInstanceCheck.h"
#include "app/OneInstanceFunc.h"
#include "classlib/SysUtils.h"
#include "tests/app/ProgramCopy.h"
#include "tests/support/TestFiles.h"

namespace {

std::vector<std::wstring> Items(const TUCodeStringList& List) {
  std::vector<std::wstring> Result;
  for (int I = 0; I < List.Count(); ++I) Result.push_back(List.Get(I));
  return Result;
}

TEST(OneInstanceParams, ReadByTheRulesOfTheProgramsOwnCommandLine) {
  const struct {
    const wchar_t* CmdLine;
    std::vector<std::wstring> Params;
  } Cases[] = {
      {L"\"C:\\Program Files\\v.exe\" \"C:\\a b.mp3\" C:\\c.mp3",
       {L"C:\\Program Files\\v.exe", L"C:\\a b.mp3", L"C:\\c.mp3"}},
      // Unquoted: the program stays item 0 and no name is lost.
      {L"C:\\v.exe C:\\c.mp3 D:\\d.ogg", {L"C:\\v.exe", L"C:\\c.mp3", L"D:\\d.ogg"}},
      {L"v.exe \"\" \"C:\\x\"\t\r\nD:\\y  ", {L"v.exe", L"C:\\x", L"D:\\y"}},  // an empty pair counts not
      {L"v.exe C:\\dir\" with \"blanks.mp3", {L"v.exe", L"C:\\dir with blanks.mp3"}},
      {L"v.exe \"C:\\unclosed name.mp3", {L"v.exe", L"C:\\unclosed name.mp3"}},
      {L"v.exe \u0416.mp3 \"\U0001F3B5 x.ogg\"", {L"v.exe", L"\u0416.mp3", L"\U0001F3B5 x.ogg"}},
      {L"", {}},
      {L" \t ", {}},
  };
  for (const auto& Case : Cases) {
    TUCodeStringList List;
    ExtractQuotedParams(Case.CmdLine, &List);
    EXPECT_EQ(Items(List), Case.Params) << Case.CmdLine;
  }
  EXPECT_EQ(PWideCharLen(nullptr), 0u);
  EXPECT_EQ(PWideCharLen(L"ab\u0416"), 3u);
}

TEST(OneInstanceWindow, TheClassNameNamesThePathOrAHashOfATooLongOne) {
  EXPECT_EQ(OneInstanceClassName(L"C:\\Program Files\\Velmaro\\velmaro.exe"),
            L"OneInstUtilWnd:C:\\Program Files\\Velmaro\\velmaro.exe");
  EXPECT_NE(OneInstanceClassName(L"C:\\\u0416\\v.exe"), OneInstanceClassName(L"C:\\\u0516\\v.exe"));
  const std::wstring Long = L"C:\\" + std::wstring(2000, L'\u65E5');
  const std::wstring Name = OneInstanceClassName(Long);
  EXPECT_EQ(Name.size(), 15u + 16u);
  EXPECT_EQ(Name.rfind(L"OneInstUtilWnd:", 0), 0u);
  // Paths compare without regard to case, as class names do.
  EXPECT_EQ(Name, OneInstanceClassName(L"c:\\" + std::wstring(2000, L'\u65E5')));
  EXPECT_NE(Name, OneInstanceClassName(Long + L"x"));
  EXPECT_EQ(OneInstanceClassName(std::wstring(240, L'x')).size(), 255u);
  EXPECT_EQ(OneInstanceClassName(std::wstring(241, L'x')).size(), 31u);
  // A mutex by that name can be made: no "\" past its namespace, and one for each path whatever its case.
  const std::wstring Mutex = OneInstanceMutexName(L"C:\\Program Files\\Velmaro\\velmaro.exe");
  EXPECT_EQ(Mutex, OneInstanceMutexName(L"c:\\program files\\velmaro\\VELMARO.EXE"));
  EXPECT_EQ(Mutex.find(L'\\', 6), std::wstring::npos);
  const HANDLE Handle = CreateMutexW(nullptr, FALSE, Mutex.c_str());
  EXPECT_NE(Handle, nullptr);
  if (Handle) CloseHandle(Handle);
}

// What the utility window handed to its callback.
struct TRecord {
  int Calls = 0;
  DWORD ProcessId = 0;
  std::wstring CmdLine;
  bool AllowIn = true;
};
TRecord Record;
std::atomic<bool> Allow{false};
std::atomic<bool> Raise{false};

void Recorder(HWND /*Wnd*/, DWORD ProcessId, const std::wstring& CmdLine, bool& AllowOut) {
  ++Record.Calls;
  Record.ProcessId = ProcessId;
  Record.CmdLine = CmdLine;
  Record.AllowIn = AllowOut;
  if (Raise) throw Exception(L"handler failed");
  AllowOut = Allow;
}

class OneInstanceContract : public testing::Test {
 protected:
  void SetUp() override {
    EXPECT_EQ(NewInstanceCallback, &OneInstanceCallback);  // set by the component's module
    NewInstanceCallback = Recorder;
    Record = TRecord{};
    Allow = false;
    Raise = false;
    // A long path outside the ANSI code page still gives a class that registers and is found. The
    // process id keeps it apart from the windows of this program's other tests running at the same time.
    OneInstWndClassName = OneInstanceClassName(L"C:\\" + std::wstring(300, L'\u0416') + L"\\" +
                                               std::to_wstring(GetCurrentProcessId()) + L"\\velmaro.exe");
    Wnd = CreateOneInstWindow();
  }
  void TearDown() override {
    DestroyWindow(Wnd);
    NewInstanceCallback = OneInstanceCallback;
  }
  LRESULT Send(const void* Data, DWORD Bytes, WPARAM WParam = 0, ULONG_PTR ProcessId = 4711) {
    COPYDATASTRUCT Copy{ProcessId, Bytes, const_cast<void*>(Data)};
    return SendMessageW(Wnd, WM_COPYDATA, WParam, reinterpret_cast<LPARAM>(&Copy));
  }
  LRESULT Send(const std::wstring& Text) { return Send(Text.data(), static_cast<DWORD>(Text.size() * 2)); }
  HWND Wnd = nullptr;
};

TEST_F(OneInstanceContract, RepliesHaltOrContinueAsTheCallbackDecides) {
  ASSERT_NE(Wnd, nullptr);
  EXPECT_EQ(FindWindowW(OneInstWndClassName.c_str(), nullptr), Wnd);
  EXPECT_FALSE(IsWindowVisible(Wnd));

  EXPECT_EQ(Send(L"\"C:\\v.exe\" \"\u0416 a.mp3\""), static_cast<LRESULT>(0xDA860081));
  EXPECT_EQ(Record.Calls, 1);
  EXPECT_EQ(Record.ProcessId, 4711u);
  EXPECT_EQ(Record.CmdLine, L"\"C:\\v.exe\" \"\u0416 a.mp3\"");
  EXPECT_FALSE(Record.AllowIn);

  Allow = true;
  EXPECT_EQ(Send(L"v.exe x"), static_cast<LRESULT>(0xDA860080));
  // A failing handler lets the later copy start with its files.
  Raise = true;
  EXPECT_EQ(Send(L"v.exe x"), OneInstReplyContinue);
  EXPECT_EQ(Record.Calls, 3);
  // Without a callback nobody takes the files, and nobody asks for them either.
  NewInstanceCallback = nullptr;
  EXPECT_EQ(Send(L"v.exe x"), OneInstReplyHalt);
}

TEST_F(OneInstanceContract, CountsUnitsAndRefusesOddMessages) {
  EXPECT_EQ(Send(L"abc\0d", 7), OneInstReplyHalt);  // an odd byte count: whole units only
  EXPECT_EQ(Record.CmdLine, L"abc");
  EXPECT_EQ(Send(nullptr, 0), OneInstReplyHalt);
  EXPECT_EQ(Record.CmdLine, L"");
  EXPECT_EQ(Record.Calls, 2);

  EXPECT_EQ(Send(L"v.exe a", 14, 1), 0);  // wParam 1 is no hand-over
  EXPECT_EQ(SendMessageW(Wnd, WM_COPYDATA, 0, 0), 0);
  EXPECT_EQ(Send(nullptr, 8), OneInstReplyContinue);  // a count without data
  EXPECT_EQ(Record.Calls, 2);

  // The longest command line of one-unit names, each made absolute against a folder of MAX_PATH units.
  const std::wstring Block(MaxHandOverBytes / sizeof(wchar_t), L'x');
  EXPECT_EQ(Send(Block.data(), MaxHandOverBytes), OneInstReplyHalt);
  EXPECT_EQ(Record.CmdLine.size(), Block.size());
  const std::wstring Larger(Block.size() + 1, L'x');
  EXPECT_EQ(Send(Larger.data(), MaxHandOverBytes + 2), OneInstReplyContinue);  // more is refused
  EXPECT_EQ(Record.Calls, 3);
}

// A utility window on a thread of its own, which pumps its messages or, hung, does not.
class TReceiver {
 public:
  explicit TReceiver(bool Hung) {
    FThread = std::thread([this, Hung] {
      FWnd = CreateOneInstWindow();
      SetEvent(FReady);
      if (Hung) {
        WaitForSingleObject(FQuit, 30000);
      } else {
        MSG Msg;
        while (MsgWaitForMultipleObjects(1, &FQuit, FALSE, 30000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1)
          while (PeekMessageW(&Msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&Msg);
      }
      DestroyWindow(FWnd);
    });
    WaitForSingleObject(FReady, 30000);
  }
  ~TReceiver() {
    SetEvent(FQuit);
    FThread.join();
    CloseHandle(FReady);
    CloseHandle(FQuit);
  }
  TReceiver(const TReceiver&) = delete;
  TReceiver& operator=(const TReceiver&) = delete;
  HWND Wnd() const { return FWnd; }

 private:
  HANDLE FReady = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE FQuit = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HWND FWnd = nullptr;
  std::thread FThread;
};

TEST_F(OneInstanceContract, TheSenderEndsOnlyWhenTheRunningCopyTookTheFiles) {
  {
    const TReceiver Running(false);
    EXPECT_TRUE(HandOver(Running.Wnd(), L"\"v.exe\" a.mp3", 99, 10000));
    EXPECT_EQ(Record.ProcessId, 99u);
    EXPECT_EQ(Record.CmdLine, L"\"v.exe\" a.mp3");
    Allow = true;
    EXPECT_FALSE(HandOver(Running.Wnd(), L"\"v.exe\" a.mp3", 99, 10000));
  }
  // A copy that does not answer does not hold up the later one for ever.
  const TReceiver Hung(true);
  EXPECT_FALSE(HandOver(Hung.Wnd(), L"\"v.exe\" a.mp3", 99, 200));
}

LRESULT CALLBACK AnswerOne(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  return Msg == WM_COPYDATA ? 1 : DefWindowProcW(Wnd, Msg, WParam, LParam);
}

TEST(OneInstanceHandOver, OnlyTheHaltReplyEndsTheSender) {
  // A window of another kind under the class name answers what it likes: the files must not be lost.
  const HWND Zero =
      CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  EXPECT_FALSE(HandOver(Zero, L"\"v.exe\" a.mp3", 99, 10000));
  WNDCLASSW Class{};
  Class.lpfnWndProc = AnswerOne;
  Class.lpszClassName = L"VelmaroTestAnswerOne";
  RegisterClassW(&Class);
  const HWND One =
      CreateWindowExW(0, Class.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  EXPECT_FALSE(HandOver(One, L"\"v.exe\" a.mp3", 99, 10000));
  DestroyWindow(Zero);
  DestroyWindow(One);
}

TEST(OneInstanceCheck, OneComponentDecidesOnceThePlayerWindowExists) {
  bool Allow = true;
  ASSERT_EQ(OneInstanceCheckInstance, nullptr);
  // Started before the player window: the later copy ends, and its files wait for the window.
  OneInstanceCallback(nullptr, 7, L"v.exe early.mp3", Allow);
  EXPECT_FALSE(Allow);
  OneInstanceCallback(nullptr, 8, L"v.exe \"second early.mp3\"", Allow);
  EXPECT_FALSE(Allow);
  {
    TOneInstanceCheck Check(nullptr);
    EXPECT_EQ(OneInstanceCheckInstance, &Check);
    std::vector<std::pair<DWORD, std::vector<std::wstring>>> Early;
    Check.OnNewInstance = [&](TObject*, DWORD ProcessId, TUCodeStringList* Params, bool&) {
      Early.emplace_back(ProcessId, Items(*Params));
    };
    Check.TakeEarlyHandOvers();
    Check.TakeEarlyHandOvers();  // once only
    EXPECT_EQ(Early, (std::vector<std::pair<DWORD, std::vector<std::wstring>>>{
                         {7, {L"v.exe", L"early.mp3"}}, {8, {L"v.exe", L"second early.mp3"}}}));
    Check.OnNewInstance = nullptr;
    try {
      TOneInstanceCheck Second(nullptr);
      ADD_FAILURE() << "a second component was made";
    } catch (const ECreateError& E) {
      EXPECT_EQ(E.Message(), L"Nur ein TOneInstanceCheck-Objekt m\u00F6glich");
    }
    EXPECT_EQ(OneInstanceCheckInstance, &Check);

    OneInstanceCallback(nullptr, 1, L"v.exe a.mp3", Allow);
    EXPECT_FALSE(Allow);  // nobody listens: the later copy ends

    std::vector<std::wstring> Got;
    DWORD GotId = 0;
    Check.OnNewInstance = [&](TObject* Sender, DWORD ProcessId, TUCodeStringList* Params, bool& AllowOut) {
      EXPECT_EQ(Sender, &Check);
      EXPECT_FALSE(AllowOut);
      GotId = ProcessId;
      Got = Items(*Params);
      AllowOut = true;
    };
    OneInstanceCallback(nullptr, 42, L"C:\\v.exe \"a b.mp3\" c.mp3", Allow);
    EXPECT_TRUE(Allow);
    EXPECT_EQ(GotId, 42u);
    EXPECT_EQ(Got, (std::vector<std::wstring>{L"C:\\v.exe", L"a b.mp3", L"c.mp3"}));
  }
  EXPECT_EQ(OneInstanceCheckInstance, nullptr);
  const TOneInstanceCheck Again(nullptr);
  EXPECT_EQ(OneInstanceCheckInstance, &Again);
}

TEST(OneInstanceCheck, ForceForegroundWindowRestoresAndActivates) {
  const auto Make = [] {
    return CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100, nullptr,
                           nullptr, nullptr, nullptr);
  };
  const HWND First = Make(), Second = Make();
  ASSERT_TRUE(ForceForegroundWindow(First));
  EXPECT_EQ(GetForegroundWindow(), First);
  ShowWindow(Second, SW_MINIMIZE);
  EXPECT_TRUE(ForceForegroundWindow(Second));
  EXPECT_FALSE(IsIconic(Second));
  EXPECT_EQ(GetForegroundWindow(), Second);
  EXPECT_TRUE(ForceForegroundWindow(Second));
  DestroyWindow(First);
  DestroyWindow(Second);
}

// ---------------------------------------------------------------------------------------------
// Two copies of the program

// A window in the front on a thread of its own that handles its messages.
class TOtherProgram {
 public:
  TOtherProgram() {
    FThread = std::thread([this] {
      FWnd = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr,
                             nullptr, nullptr, nullptr);
      SetForegroundWindow(FWnd);
      FThreadId = GetCurrentThreadId();
      SetEvent(FReady);
      MSG Msg;
      while (GetMessageW(&Msg, nullptr, 0, 0) > 0) DispatchMessageW(&Msg);
      DestroyWindow(FWnd);
    });
    WaitForSingleObject(FReady, 30000);
  }
  ~TOtherProgram() {
    PostThreadMessageW(FThreadId, WM_QUIT, 0, 0);
    FThread.join();
    CloseHandle(FReady);
  }
  TOtherProgram(const TOtherProgram&) = delete;
  TOtherProgram& operator=(const TOtherProgram&) = delete;
  HWND Wnd() const { return FWnd; }

 private:
  HANDLE FReady = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HWND FWnd = nullptr;
  DWORD FThreadId = 0;
  std::thread FThread;
};

bool WaitUntil(const std::function<bool()>& Done) {
  for (int I = 0; I < 3000; ++I) {
    if (Done()) return true;
    Sleep(10);
  }
  return Done();
}

std::wstring Song(const std::wstring& Name) {
  return FixtureFolder(L"APP_FIXTURES") + L"\\songs\\" + Name;
}

// A copy of the program of its own in Dir: no other test's copies meet it, and the folder holds no
// playlists. Returns its path, or "" when it could not be copied.
std::wstring OwnProgram(const TempDir& Dir) {
  const std::wstring Program = Dir.File(L"velmaro.exe");
  return CopyFileW(WinePath(VELMARO_PROGRAM).c_str(), Program.c_str(), FALSE) ? Program : L"";
}

// True when the copy's player window shows and its splash is gone: up to the splash window's end its
// timer brings the player window to the front by itself.
bool Shown(const TCopy& Copy) {
  return WaitUntil([&] {
    return IsWindowVisible(Copy.Window(L"Tprog")) && Copy.Window(L"Tstart") &&
           !IsWindowVisible(Copy.Window(L"Tstart"));
  });
}

TEST(OneInstancePrograms, ALaterCopyHandsItsFilesToTheRunningOneAndEnds) {
  TempDir Dir;
  const std::wstring Program = OwnProgram(Dir);
  ASSERT_FALSE(Program.empty());
  const std::wstring Quoted = L"\"" + Program + L"\"";

  const TCopy First(Program, Quoted, Dir.Path());
  ASSERT_TRUE(First.Started);
  ASSERT_TRUE(Shown(First));
  const HWND Player = First.Window(L"Tprog");
  // Another program has the front when the later copy starts (it answers its messages, as programs do).
  const TOtherProgram Other;
  ASSERT_EQ(GetForegroundWindow(), Other.Wnd());

  {
    // A quoted name with blanks and an unquoted one.
    const TCopy Second(Program, Quoted + L" \"" + Song(L"Band - Song.mp3") + L"\" " + Song(L"sub\\b.ogg"),
                       Dir.Path());
    EXPECT_TRUE(Second.Ended());
  }
  // The files are read after the answer.
  EXPECT_TRUE(WaitUntil([&] { return First.Playlist().size() == 2; }));
  EXPECT_EQ(First.Playlist(), (std::vector<std::wstring>{Song(L"Band - Song.mp3"), Song(L"sub\\b.ogg")}));
  // The player window, not the hidden splash; the other program hears of it by a message of its own.
  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == Player; })) << GetForegroundWindow();
  {
    // The program path itself unquoted, and a name outside the ANSI code page.
    const std::wstring Wide = Dir.File(L"\u0416\u65E5\U0001F3B5.mp3");
    ASSERT_TRUE(CopyFileW(Song(L"a.mp3").c_str(), Wide.c_str(), FALSE));
    const TCopy Third(Program, Program + L" " + Wide, Dir.Path());
    EXPECT_TRUE(Third.Ended());
    EXPECT_TRUE(WaitUntil([&] { return First.Playlist().size() == 3; }));
    EXPECT_EQ(First.Playlist().back(), Wide);
  }

  // Without files a further copy runs beside the first.
  const TCopy Fourth(Program, Quoted, Dir.Path());
  EXPECT_TRUE(WaitUntil([&] { return Fourth.Window(L"Tprog") != nullptr; }));
  EXPECT_TRUE(Fourth.Running());
  EXPECT_TRUE(First.Running());
  EXPECT_EQ(First.Playlist().size(), 3u);
}

TEST(OneInstancePrograms, NamesCountFromTheFolderTheCopyWasStartedIn) {
  TempDir Dir;
  const std::wstring Program = OwnProgram(Dir);
  ASSERT_FALSE(Program.empty());
  const std::wstring Quoted = L"\"" + Program + L"\"";
  // Started in the songs' folder, the first copy stores the whole path: the name still finds the song
  // when the program's current folder changes.
  const TCopy First(Program, Quoted + L" a.mp3", Song(L""));
  ASSERT_TRUE(Shown(First));
  EXPECT_EQ(First.Playlist(), std::vector<std::wstring>{Song(L"a.mp3")});
  {
    // Handed over from another folder than the running copy's.
    const TCopy Second(Program, Quoted + L" b.ogg \"..\\Band - Song.mp3\"", Song(L"sub"));
    EXPECT_TRUE(Second.Ended());
  }
  EXPECT_TRUE(WaitUntil([&] { return First.Playlist().size() == 3; }));
  EXPECT_EQ(First.Playlist(),
            (std::vector<std::wstring>{Song(L"a.mp3"), Song(L"sub\\b.ogg"), Song(L"Band - Song.mp3")}));
}

TEST(OneInstancePrograms, ACopyBusyWithAHandOverAnswersTheNextStartAtOnce) {
  TempDir Dir;
  const std::wstring Program = OwnProgram(Dir);
  ASSERT_FALSE(Program.empty());
  const std::wstring Quoted = L"\"" + Program + L"\"";
  // Songs named relative to the folder the copy starts in, more than 64 KB hold once the sender made
  // them absolute and quoted them: adding them one by one takes the running copy seconds.
  std::wstring CmdLine = Quoted;
  std::vector<std::wstring> Songs;
  for (size_t Units = Quoted.size();;) {
    const std::wstring Name = std::to_wstring(Songs.size()) + L".mp3";
    Units += Dir.Path().size() + Name.size() + 4;  // its whole quoted path and the blank before it
    if (Units > 40 * 1024) break;
    CmdLine += L" " + Name;
    Songs.push_back(Dir.File(Name));
    ASSERT_TRUE(CopyFileW(Song(L"a.mp3").c_str(), Songs.back().c_str(), FALSE));
  }
  const std::wstring Last = Dir.File(L"last.mp3");
  ASSERT_TRUE(CopyFileW(Song(L"a.mp3").c_str(), Last.c_str(), FALSE));

  const TCopy First(Program, Quoted, Dir.Path());
  ASSERT_TRUE(Shown(First));
  {
    const TCopy Second(Program, CmdLine, Dir.Path());
    EXPECT_TRUE(Second.Ended());
  }
  {
    const TCopy Third(Program, Quoted + L" \"" + Last + L"\"", Dir.Path());
    EXPECT_TRUE(Third.Ended());
  }
  EXPECT_LT(First.Playlist().size(), Songs.size());  // answered while the songs are still being added
  Songs.push_back(Last);
  EXPECT_TRUE(WaitUntil([&] { return First.Playlist().size() == Songs.size(); }));
  EXPECT_EQ(First.Playlist(), Songs);

  // Busy walking a folder whose links lead to each other in every order, far longer than a later copy
  // waits for its answer, it answers too.
  const HWND Player = First.Window(L"Tprog");
  {
    const TCopy Fourth(Program, Quoted + L" \"" + FixtureFolder(L"APP_FIXTURES") + L"\\tangle\"", Dir.Path());
    EXPECT_TRUE(Fourth.Ended());
  }
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowEnabled(Player); }));
  {
    const TCopy Fifth(Program, Quoted + L" \"" + Last + L"\"", Dir.Path());
    EXPECT_TRUE(Fifth.Ended());
  }
  EXPECT_FALSE(IsWindowEnabled(Player));  // still walking
}

TEST(OneInstancePrograms, CopiesStartedAtOnceAgreeOnOneWindow) {
  TempDir Dir;
  const std::wstring Program = OwnProgram(Dir);
  ASSERT_FALSE(Program.empty());
  std::vector<std::wstring> Files;
  std::vector<std::unique_ptr<TCopy>> Copies;
  for (int I = 0; I < 5; ++I) {
    Files.push_back(Dir.File(std::to_wstring(I) + L".mp3"));
    ASSERT_TRUE(CopyFileW(Song(L"a.mp3").c_str(), Files.back().c_str(), FALSE));
  }
  for (const std::wstring& File : Files)
    Copies.push_back(std::make_unique<TCopy>(Program, L"\"" + Program + L"\" \"" + File + L"\"", Dir.Path(),
                                             CREATE_SUSPENDED));
  for (const auto& Copy : Copies) Copy->Resume();
  // The others end; the one left shows the window with every file once, its own first.
  const auto Left = [&] {
    return std::count_if(Copies.begin(), Copies.end(), [](const auto& Copy) { return Copy->Running(); });
  };
  ASSERT_TRUE(WaitUntil([&] { return Left() == 1; })) << Left() << " copies run";
  size_t Own = Copies.size();
  for (size_t I = 0; I < Copies.size(); ++I) {
    ASSERT_TRUE(Copies[I]->Started);
    if (Copies[I]->Running())
      Own = I;
    else
      EXPECT_TRUE(Copies[I]->Ended());
  }
  ASSERT_LT(Own, Copies.size());
  const TCopy& Running = *Copies[Own];
  ASSERT_TRUE(Shown(Running));
  ASSERT_TRUE(WaitUntil([&] { return Running.Playlist().size() == Files.size(); }));
  const std::vector<std::wstring> Paths = Running.Playlist();
  EXPECT_EQ(std::set<std::wstring>(Paths.begin(), Paths.end()),
            std::set<std::wstring>(Files.begin(), Files.end()));
  EXPECT_EQ(Paths[0], Files[Own]);

  // A copy started while another holds the start-up lock waits for it, then hands over.
  const std::wstring Late = Dir.File(L"late.mp3");
  ASSERT_TRUE(CopyFileW(Song(L"a.mp3").c_str(), Late.c_str(), FALSE));
  const std::unique_ptr<void, decltype(&CloseHandle)> Lock(
      CreateMutexW(nullptr, FALSE, OneInstanceMutexName(Program).c_str()), &CloseHandle);
  ASSERT_EQ(WaitForSingleObject(Lock.get(), 30000), WAIT_OBJECT_0);
  {
    const TCopy Waiting(Program, L"\"" + Program + L"\" \"" + Late + L"\"", Dir.Path());
    // Longer than a start and a hand-over take.
    EXPECT_EQ(WaitForSingleObject(Waiting.Process(), 3000), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(Running.Playlist().size(), Files.size());
    ReleaseMutex(Lock.get());
    EXPECT_TRUE(Waiting.Ended());
  }
  EXPECT_TRUE(WaitUntil([&] { return Running.Playlist().size() == Files.size() + 1; }));
  EXPECT_EQ(Running.Playlist().back(), Late);
}

TEST(OneInstancePrograms, ClosingEndsTheProgramWhileItsMenuBarIsSelected) {
  TempDir Dir;
  const std::wstring Program = OwnProgram(Dir);
  ASSERT_FALSE(Program.empty());
  const TCopy Copy(Program, L"\"" + Program + L"\"", Dir.Path());
  ASSERT_TRUE(Shown(Copy));
  const HWND Player = Copy.Window(L"Tprog");
  // The File menu opened and closed with Escape leaves the menu bar selected; then a plain close, as a
  // task kill without force or a shutdown sends it. The menu reads the keys in the order they are posted.
  PostMessageW(Player, WM_SYSCOMMAND, SC_KEYMENU, 0);
  PostMessageW(Player, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageW(Player, WM_KEYDOWN, VK_ESCAPE, 0);
  PostMessageW(Player, WM_CLOSE, 0, 0);
  EXPECT_TRUE(Copy.Ended());
}

}  // namespace
