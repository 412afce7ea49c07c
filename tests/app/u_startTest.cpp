#include "app/u_start.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/Program.h"
#include "app/u_addordner.h"
#include "app/u_bugreport_de.h"
#include "app/u_bugreport_en.h"
#include "app/u_dateiinfo.h"
#include "app/u_dateiquellen.h"
#include "app/u_einstausgabe.h"
#include "app/u_einstshortcuts.h"
#include "app/u_fehler.h"
#include "app/u_info.h"
#include "app/u_lastfile.h"
#include "app/u_prog.h"
#include "app/u_startfenster.h"
#include "app/u_suchopt.h"
#include "app/u_txtexport.h"
#include "classlib/Jpeg.h"
#include "tests/support/MessagePump.h"
#include "tests/support/TestFiles.h"

namespace {

// Creates the program's windows in a fresh folder holding the given marker files, and frees them again.
class TProgramFixture {
 public:
  explicit TProgramFixture(const std::vector<std::wstring>& Markers) {
    GetCurrentDirectoryW(MAX_PATH, FOldDir);
    for (const std::wstring& Name : Markers) WriteBytes(FDir.File(Name), {});
    SetCurrentDirectoryW(FDir.Path().c_str());
    CreateProgramWindows();
  }
  ~TProgramFixture() {
    Application->DestroyForms();
    SetCurrentDirectoryW(FOldDir);
  }
  TempDir FDir;

 private:
  wchar_t FOldDir[MAX_PATH];
};

TEST(u_startProgram, WindowsAreCreatedInOrderIntoTheirGlobals) {
  TProgramFixture P({});
  const std::vector<std::pair<TForm*, std::string>> Expected{{start, "Tstart"},
                                                             {prog, "Tprog"},
                                                             {suchopt, "Tsuchopt"},
                                                             {startfenster, "Tstartfenster"},
                                                             {addordner, "Taddordner"},
                                                             {lastfiles, "Tlastfiles"},
                                                             {info, "Tinfo"},
                                                             {dateiinfo, "Tdateiinfo"},
                                                             {txtexport, "Ttxtexport"},
                                                             {fehler, "Tfehler"},
                                                             {dateiquellen, "Tdateiquellen"},
                                                             {einstausgabe, "Teinstausgabe"},
                                                             {bugreport_de, "Tbugreport_de"},
                                                             {bugreport_en, "Tbugreport_en"},
                                                             {einstshortcuts, "Teinstshortcuts"}};
  ASSERT_EQ(Application->ComponentCount(), 15);
  for (size_t I = 0; I < Expected.size(); ++I) {
    ASSERT_NE(Expected[I].first, nullptr) << Expected[I].second;
    EXPECT_EQ(Application->Components(static_cast<int>(I)), Expected[I].first);
    EXPECT_EQ(Expected[I].first->ClassName(), Expected[I].second);
    EXPECT_FALSE(Expected[I].first->Visible());
  }
  EXPECT_EQ(Application->MainForm(), start);
  EXPECT_EQ(Application->Title(), "KRB Media Velmaro");
  EXPECT_EQ(prog->Caption(), "Velmaro - Korriband");
  EXPECT_EQ(prog->Tag(), 1);
  EXPECT_EQ(fehler->Caption(), "Fehlermeldungen");
  EXPECT_EQ(start->ClientWidth(), 400);
  EXPECT_EQ(start->Timer1->Interval(), 350u);
  EXPECT_TRUE(start->Timer1->Enabled());
  EXPECT_EQ(start->Image1->Picture()->Width(), 400);
  EXPECT_NE(dynamic_cast<TJPEGImage*>(start->Image2->Picture()->Graphic()), nullptr);
  EXPECT_EQ(start->Image2->Left(), 206);
  EXPECT_EQ(start->spr->Hint(), "de");
}

TEST(u_startProgram, MarkerFilesChooseTheLanguage) {
  struct {
    std::vector<std::wstring> Markers;
    const char* Language;
  } const Cases[] = {{{}, "de"}, {{L"en"}, "en"}, {{L"de"}, "de"}, {{L"en", L"de"}, "de"}};
  for (const auto& Case : Cases) {
    TProgramFixture P(Case.Markers);
    EXPECT_EQ(start->spr->Caption(), Case.Language);
    const bool En = std::string(Case.Language) == "en";
    EXPECT_EQ(start->Image2->Visible(), En);
    // Every window starts in that language, the error log too, which is made after the player.
    EXPECT_EQ(prog->lv->Columns()->Items(0)->Caption(), En ? L"Number" : L"Nummer");
    EXPECT_EQ(prog->English1->Checked(), En);
    EXPECT_EQ(fehler->Caption(), En ? "Error Messages" : "Fehlermeldungen");
    EXPECT_EQ(suchopt->Caption(), En ? "Search Options" : "Suchoptionen");
    EXPECT_EQ(einstshortcuts->Caption(), En ? "Shortcuts" : "Verkn\xFCpfungen");
  }
  // A folder named "en" is no marker.
  TempDir Dir;
  MakeDir(Dir.File(L"en"));
  wchar_t Old[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, Old);
  SetCurrentDirectoryW(Dir.Path().c_str());
  CreateProgramWindows();
  EXPECT_EQ(start->spr->Caption(), "de");
  Application->DestroyForms();
  SetCurrentDirectoryW(Old);
}

TEST(u_startProgram, TimerShowsThePlayerAtTickEightAndHidesTheSplashAtEleven) {
  TProgramFixture P({});
  start->Show();
  EXPECT_FALSE(IsWindowVisible(Application->Handle()));  // only the player gets a taskbar button
  for (int Tick = 1; Tick <= 7; ++Tick) start->Timer1Timer(start->Timer1);
  EXPECT_FALSE(prog->Visible());
  start->Timer1Timer(start->Timer1);
  EXPECT_EQ(SplashTicks, 8);
  EXPECT_TRUE(prog->Visible());
  EXPECT_TRUE(start->Visible());
  start->Timer1Timer(start->Timer1);
  start->Timer1Timer(start->Timer1);
  EXPECT_TRUE(start->Visible());
  EXPECT_TRUE(start->Timer1->Enabled());
  start->Timer1Timer(start->Timer1);
  EXPECT_FALSE(start->Visible());
  EXPECT_FALSE(start->Timer1->Enabled());
}

TEST(u_startProgram, RealTimerAndClickOnThePicture) {
  TProgramFixture P({});
  start->Show();
  // A click on the picture before the eighth tick: the player at once, the splash and timer gone.
  ASSERT_TRUE(PumpMessagesUntil([] { return SplashTicks >= 1; }, 3000));
  const HWND Splash = start->Handle();
  SendMessageA(Splash, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 50));
  SendMessageA(Splash, WM_LBUTTONUP, 0, MAKELPARAM(50, 50));
  EXPECT_TRUE(prog->Visible());
  EXPECT_TRUE(IsWindowVisible(prog->Handle()));
  EXPECT_FALSE(start->Visible());
  const int Ticks = SplashTicks;
  PumpMessagesFor(800);
  EXPECT_EQ(SplashTicks, Ticks);
}

TEST(u_startProgram, ClosingThePlayerPathEndsTheProgramAndFreesEveryWindow) {
  const std::vector<HWND> WindowsBefore = ThreadWindows();
  {
    TProgramFixture P({});
    start->Show();
    start->FormClick(start);
    prog->OrdnerHinzufuegen(FixtureFolder(L"APP_FIXTURES") + L"\\songs");
    PumpMessagesFor(300);
    // Closing the main form ends the message loop.
    SendMessageA(start->Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(Application->Terminated());
  }
  EXPECT_EQ(Screen->FormCount(), 0);
  // No window of the program is left; the system's own (COM's apartment window) may come and go.
  for (const HWND Left : ThreadWindows()) {
    char Class[64] = {};
    GetClassNameA(Left, Class, 64);
    EXPECT_NE(std::find(WindowsBefore.begin(), WindowsBefore.end(), Left), WindowsBefore.end()) << Class;
  }
}

}  // namespace
