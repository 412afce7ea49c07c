// Every window of the program as the screen shows it, in German and English: each visible caption and
// text is drawn, group frames are drawn, no caption is cut off by its control or covered by another, and
// a tooltip shows its text. A picture of each window is saved in the build folder for anyone to look at.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "Imports/UCodeControls.h"
#include "Imports/UCodeSysUtils.h"
#include "app/u_bugreport_de.h"
#include "app/u_bugreport_en.h"
#include "app/u_dateiinfo.h"
#include "app/u_einstausgabe.h"
#include "app/u_einstshortcuts.h"
#include "app/u_info.h"
#include "app/u_lastfile.h"
#include "app/u_suchopt.h"
#include "app/u_txtexport.h"
#include "classlib/ExtCtrls.h"
#include "classlib/StdCtrls.h"
#include "tests/app/ProgFixture.h"
#include "tests/support/KeyPress.h"
#include "tests/support/Pixels.h"
#include "tests/support/Trace.h"

namespace {

int Distance(COLORREF A, COLORREF B) {
  return std::max({std::abs(GetRValue(A) - GetRValue(B)), std::abs(GetGValue(A) - GetGValue(B)),
                   std::abs(GetBValue(A) - GetBValue(B))});
}

// The pixels in Area nearer to the text colour than halfway from the area's most frequent colour, its
// background: thin strokes are drawn smoothed, in shades between the two.
int TextPixels(const TPixels& Shown, const RECT& Area, COLORREF Text) {
  std::map<COLORREF, int> Frequency;
  for (int Y = Area.top; Y < Area.bottom; ++Y)
    for (int X = Area.left; X < Area.right; ++X) ++Frequency[Shown.At(X, Y)];
  if (Frequency.empty()) return 0;
  const COLORREF Background =
      std::max_element(Frequency.begin(), Frequency.end(), [](const auto& A, const auto& B) {
        return A.second < B.second;
      })->first;
  const int Halfway = Distance(Background, Text) / 2;
  int Count = 0;
  for (const auto& [Colour, N] : Frequency)
    if (Colour != CLR_INVALID && Distance(Colour, Text) < Halfway) Count += N;
  return Count;
}

RECT Intersection(const RECT& A, const RECT& B) {
  RECT R;
  if (!IntersectRect(&R, &A, &B)) return {0, 0, 0, 0};
  return R;
}

bool Inside(const RECT& Inner, const RECT& Outer) {
  return Inner.left >= Outer.left && Inner.top >= Outer.top && Inner.right <= Outer.right &&
         Inner.bottom <= Outer.bottom;
}

// Where a control stands in the picture of its form's window (frame included).
RECT InPicture(TControl* Control, HWND FormWnd) {
  RECT Window;
  GetWindowRect(FormWnd, &Window);
  const POINT At = Control->Parent()->ClientToScreen({Control->Left(), Control->Top()});
  const int X = At.x - Window.left, Y = At.y - Window.top;
  return {X, Y, X + Control->Width(), Y + Control->Height()};
}

// The part of the form's client area that the control's parents let it show.
RECT ShownArea(TControl* Control, TForm* Form) {
  RECT Window;
  GetWindowRect(Form->Handle(), &Window);
  RECT Area{-100000, -100000, 100000, 100000};
  for (TWinControl* Parent = Control->Parent(); Parent; Parent = Parent->Parent()) {
    const POINT At = Parent->ClientToScreen({0, 0});
    const RECT Client{At.x - Window.left, At.y - Window.top, At.x - Window.left + Parent->ClientWidth(),
                      At.y - Window.top + Parent->ClientHeight()};
    Area = Intersection(Area, Client);
  }
  return Area;
}

bool IsAncestor(TControl* Maybe, TControl* Control) {
  for (TControl* P = Control->Parent(); P; P = P->Parent())
    if (P == Maybe) return true;
  return false;
}

// The size a text needs in a font: DT_WORDBREAK within Width when Wrap, else one line.
SIZE TextSize(TFont* Font, const std::wstring& Text, bool Wrap, int Width, bool Prefix) {
  const HDC DC = CreateCompatibleDC(nullptr);
  const HGDIOBJ Old = SelectObject(DC, Font->Handle());
  RECT R{0, 0, Width, 0};
  DrawTextW(DC, Text.c_str(), -1, &R,
            DT_CALCRECT | (Wrap ? DT_WORDBREAK : DT_SINGLELINE) | (Prefix ? 0u : UINT{DT_NOPREFIX}));
  SelectObject(DC, Old);
  DeleteDC(DC);
  return {R.right - R.left, R.bottom - R.top};
}

// One visible control with a text: where the text stands in the picture, and whether the control holds it.
struct TShownText {
  TControl* Control;
  std::wstring Text;
  RECT Area;      // the control in the picture
  RECT TextArea;  // where its text is drawn
  bool Fits;
};

bool IsContainer(TControl* Control) {
  return dynamic_cast<TPanel*>(Control) || dynamic_cast<TForm*>(Control);
}

// The controls whose text the test looks at; nothing for lists, containers and pictures.
bool ShownText(TControl* Control, HWND FormWnd, TShownText& Result) {
  const bool Label = dynamic_cast<TLabel*>(Control);
  const bool Button = dynamic_cast<TButton*>(Control);
  const bool Check = dynamic_cast<TCheckBox*>(Control) || dynamic_cast<TRadioButton*>(Control);
  const bool Group = dynamic_cast<TGroupBox*>(Control);
  const bool Edit = dynamic_cast<TCustomEdit*>(Control) && !dynamic_cast<TMemo*>(Control);
  if (!Label && !Button && !Check && !Group && !Edit) return false;
  const std::wstring Text = GetControlWideText(Control);
  if (Text.empty() || Text.find_first_not_of(L" ") == std::wstring::npos) return false;
  const RECT Area = InPicture(Control, FormWnd);
  const int W = Control->Width(), H = Control->Height();
  Result = {Control, Text, Area, Area, true};
  if (Label) {
    auto* L = static_cast<TLabel*>(Control);
    const SIZE Need = TextSize(Control->Font(), Text, L->WordWrap(), W, true);
    Result.Fits = Need.cx <= W + 1 && Need.cy <= H;
    int X = Area.left;
    if (L->Alignment() == taRightJustify) X = Area.right - Need.cx;
    if (L->Alignment() == taCenter) X = Area.left + (W - Need.cx) / 2;
    Result.TextArea = {X, Area.top, X + std::min<int>(Need.cx, W), Area.top + Need.cy};
  } else if (Button) {
    const SIZE Need = TextSize(Control->Font(), Text, false, 0, true);
    Result.Fits = Need.cx + 6 <= W && Need.cy + 4 <= H;
    const int X = Area.left + (W - Need.cx) / 2, Y = Area.top + (H - Need.cy) / 2;
    Result.TextArea = {X, Y, X + Need.cx, Y + Need.cy};
  } else if (Check) {
    const SIZE Need = TextSize(Control->Font(), Text, false, 0, true);
    Result.Fits = Need.cx + 18 <= W && Need.cy <= H + 2;
    const int Y = Area.top + (H - Need.cy) / 2;
    Result.TextArea = {Area.left + 17, Y, Area.left + 17 + Need.cx, Y + Need.cy};
  } else if (Group) {
    const SIZE Need = TextSize(Control->Font(), Text, false, 0, true);
    Result.Fits = Need.cx + 12 <= W;
    Result.TextArea = {Area.left + 8, Area.top, Area.left + 8 + Need.cx, Area.top + Need.cy};
  } else {
    const SIZE Need = TextSize(Control->Font(), Text, false, 0, false);
    Result.TextArea = {Area.left + 2, Area.top + 2, Area.left + 2 + std::min<int>(Need.cx, W - 4),
                       Area.top + 2 + std::min<int>(Need.cy, H - 4)};
  }
  return true;
}

// Every control of the form that is shown, its own windows included.
void Collect(TWinControl* Parent, std::vector<TControl*>& Controls) {
  for (int I = 0; I < Parent->ControlCount(); ++I) {
    TControl* C = Parent->Controls(I);
    if (!C->Visible()) continue;
    Controls.push_back(C);
    if (auto* W = dynamic_cast<TWinControl*>(C)) Collect(W, Controls);
  }
}

// The controls that may cover another's text: those that draw something of their own.
bool Covers(TControl* Control) {
  if (dynamic_cast<TBevel*>(Control)) return false;
  if (auto* L = dynamic_cast<TLabel*>(Control)) return !GetControlWideText(L).empty();
  return true;
}

int Differences(const TPixels& A, const TPixels& B, const RECT& Area) {
  int Count = 0;
  for (int Y = Area.top; Y < Area.bottom; ++Y)
    for (int X = Area.left; X < Area.right; ++X) Count += A.At(X, Y) != B.At(X, Y);
  return Count;
}

// A bitmap file written by the program's own picture class.
void SavePicture(const TPixels& Pixels, const std::string& Name) {
  TBitmap Picture;
  Picture.SetPixelFormat(pf24bit);
  Picture.SetSize(Pixels.Width(), Pixels.Height());
  for (int Y = 0; Y < Pixels.Height(); ++Y) {
    auto* Row = static_cast<BYTE*>(Picture.ScanLine(Y));
    for (int X = 0; X < Pixels.Width(); ++X) {
      const COLORREF P = Pixels.At(X, Y);
      Row[3 * X] = GetBValue(P);
      Row[3 * X + 1] = GetGValue(P);
      Row[3 * X + 2] = GetRValue(P);
    }
  }
  Picture.SaveToFile(VELMARO_PICTURES_DIR "/window-" + Name + ".bmp");
}

class WindowsShown : public TProgFixture {
 protected:
  // Shows the form alone, looks at every text on it and saves its picture under Name.
  static void Look(TForm* Form, const std::string& Name) {
    TRACE_CASE(Name);
    for (int F = 0; F < Screen->FormCount(); ++F)
      if (Screen->Forms(F) != Form && Screen->Forms(F) != prog) Screen->Forms(F)->Hide();
    Form->Show();
    // Wholly on the screen: only that part of a window has pixels.
    SetWindowPos(Form->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    Application->ProcessMessages();
    const TPixels Shown = ShownWindow(Form->Handle());
    SavePicture(Shown, Name);
    RedrawWindow(Form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    const TPixels Repainted = ShownWindow(Form->Handle());
    std::vector<TControl*> Controls;
    Collect(Form, Controls);
    for (TControl* C : Controls) {
      TShownText T;
      if (!ShownText(C, Form->Handle(), T)) continue;
      if (!Inside(T.Area, ShownArea(C, Form))) continue;  // in a closed panel or scrolled away
      const std::string What = C->Name() + " \"" + WideToAnsi(T.Text) + "\"";
      EXPECT_TRUE(T.Fits) << What << " is cut off by its control " << C->Width() << "x" << C->Height() << " "
                          << T.TextArea.right - T.TextArea.left << "x" << T.TextArea.bottom - T.TextArea.top;
      if (C->Enabled()) {
        const COLORREF Colour = ColorToRGB(C->Font()->Color());
        EXPECT_GE(TextPixels(Shown, T.Area, Colour), 3)
            << What << " is not drawn at " << T.Area.left << "," << T.Area.top << " in " << std::hex << Colour
            << " (" << Shown.At(T.Area.left + 3, T.Area.top + 3) << ")";
      }
      if (!dynamic_cast<TCustomEdit*>(C)) {  // the caret blinks
        EXPECT_EQ(Differences(Shown, Repainted, T.Area), 0) << What << " shows otherwise than it paints now";
      }
      if (dynamic_cast<TGroupBox*>(C)) {
        const RECT Left{T.Area.left, T.TextArea.bottom, T.Area.left + 2, T.Area.bottom - 2};
        EXPECT_GE(Shown.Count(Left, ColorToRGB(clBtnShadow), 8), (Left.bottom - Left.top) / 2)
            << What << ": its frame is not drawn";
      }
      for (TControl* Other : Controls) {
        if (Other == C || IsAncestor(Other, C) || !Covers(Other)) continue;
        if (IsContainer(Other) && IsAncestor(C, Other)) continue;
        if (!dynamic_cast<TGroupBox*>(C) && IsAncestor(C, Other)) continue;
        const RECT OtherArea = Intersection(InPicture(Other, Form->Handle()), ShownArea(Other, Form));
        RECT Overlap;
        EXPECT_FALSE(IntersectRect(&Overlap, &T.TextArea, &OtherArea))
            << What << " is covered by " << Other->Name();
      }
    }
    if (Form != prog) Form->Hide();
  }

  // Every window in the language the program shows now; Suffix names the pictures.
  void LookAtEveryWindow(const std::string& Suffix) {
    Look(prog, "prog" + Suffix);
    // The search field with its options panel, opened as the user does: Ctrl+F, then a click on "Options".
    // The click is sent, not posted: a window of another test program that takes the focus between press
    // and release makes the button drop the press, and no click follows.
    PressKey(prog->lv->Handle(), 'F', ssCtrl);
    const LPARAM Mitte = MAKELPARAM(prog->Opt->Width() / 2, prog->Opt->Height() / 2);
    SendMessageA(prog->Opt->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, Mitte);
    SendMessageA(prog->Opt->Handle(), WM_LBUTTONUP, 0, Mitte);
    Application->ProcessMessages();
    ASSERT_TRUE(prog->pa_suchopt->Showing());
    Look(prog, "prog-search" + Suffix);
    prog->suchoptpanelClick(prog->suchoptpanel);
    prog->msucheClick(prog->msuche);
    const std::pair<TForm*, std::string> Windows[] = {{suchopt, "suchopt"},
                                                      {einstausgabe, "einstausgabe"},
                                                      {txtexport, "txtexport"},
                                                      {addordner, "addordner"},
                                                      {startfenster, "startfenster"},
                                                      {lastfiles, "lastfiles"},
                                                      {einstshortcuts, "einstshortcuts"},
                                                      {dateiinfo, "dateiinfo"},
                                                      {info, "info"},
                                                      {fehler, "fehler"}};
    // The export window with every panel open.
    for (TCheckBox* Box :
         {txtexport->cb_einghilfe, txtexport->cb_filter, txtexport->cb_suchen, txtexport->cb_einst})
      Box->SetChecked(true);
    for (const auto& [Form, Name] : Windows) Look(Form, Name + Suffix);
  }
};

TEST_F(WindowsShown, EveryWindowShowsItsTextsAndFramesInBothLanguages) {
  prog->Parameter = {Fixture(L"intl")};
  prog->Show();
  // The log's fixed pitch shows in columns of narrow and wide letters, beside a Japanese name.
  for (const wchar_t* Line :
       {L"iiiiiiii", L"WWWWWWWW", L"\u6771\u4EAC\u4E8B\u5909 - \u591C\u7A7A\u306E\u6B4C.mp3"})
    fehler->Memo1->Lines()->Add(Line);
  LookAtEveryWindow("-de");
  Look(bugreport_de, "bugreport-de");
  prog->English1Click(prog->English1);
  LookAtEveryWindow("-en");
  Look(bugreport_en, "bugreport-en");
}

TEST_F(WindowsShown, ATooltipShowsItsTextInAWindowOfItsSize) {
  prog->Show();
  prog->msucheClick(prog->msuche);
  Application->ActivateHint(prog->Suchen, prog->Suchen->ClientToScreen({5, 5}));
  THintWindow* Hint = Application->HintWindow();
  ASSERT_NE(Hint, nullptr);
  ASSERT_TRUE(IsWindowVisible(Hint->Handle()));
  const std::wstring Text = GetControlWideText(Hint);
  ASSERT_FALSE(Text.empty());
  const SIZE Need = TextSize(Hint->Font(), Text, false, 0, false);
  EXPECT_LE(Hint->Width(), Need.cx + 12);
  EXPECT_LE(Hint->Height(), Need.cy + 10);
  const TPixels Shown = ShownWindow(Hint->Handle());
  SavePicture(Shown, "tooltip");
  EXPECT_GE(TextPixels(Shown, {2, 2, 2 + Need.cx, 2 + Need.cy}, ColorToRGB(clInfoText)), 30);
  Application->CancelHint();
}

}  // namespace
