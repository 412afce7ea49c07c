#include "classlib/Buttons.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// Pixels inside the face (its edges left out) that are not the face's colour, as the control paints itself.
int PaintedMarks(TControl* Control) {
  TBitmap Picture;
  Picture.SetPixelFormat(pf24bit);
  Picture.SetSize(Control->Width(), Control->Height());
  Control->Paint(Picture.Canvas());
  int Count = 0;
  for (int Y = 3; Y < Control->Height() - 3; ++Y)
    for (int X = 3; X < Control->Width() - 3; ++X)
      Count += static_cast<COLORREF>(Picture.Canvas()->Pixels(X, Y)) != ColorToRGB(clBtnFace);
  return Count;
}

// The common controls of version 6, as the program's manifest asks for them: only their button shows an
// image beside its text.
class TCommonControls6 {
 public:
  TCommonControls6() {
    wchar_t Folder[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, Folder);
    FManifest =
        std::wstring(Folder) + L"velmaro-buttons-" + std::to_wstring(GetCurrentProcessId()) + L".manifest";
    static const char Text[] =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
        "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\"><dependency>"
        "<dependentAssembly><assemblyIdentity type=\"win32\" name=\"Microsoft.Windows.Common-Controls\" "
        "version=\"6.0.0.0\" processorArchitecture=\"*\" publicKeyToken=\"6595b64144ccf1df\" "
        "language=\"*\"/></dependentAssembly></dependency></assembly>";
    const HANDLE File = CreateFileW(FManifest.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD Written = 0;
    WriteFile(File, Text, sizeof Text - 1, &Written, nullptr);
    CloseHandle(File);
    ACTCTXW Context{};
    Context.cbSize = sizeof Context;
    Context.lpSource = FManifest.c_str();
    FContext = CreateActCtxW(&Context);
    if (FContext != INVALID_HANDLE_VALUE) ActivateActCtx(FContext, &FCookie);
  }
  ~TCommonControls6() {
    if (FContext == INVALID_HANDLE_VALUE) return;
    DeactivateActCtx(0, FCookie);
    ReleaseActCtx(FContext);
    DeleteFileW(FManifest.c_str());
  }
  bool Active() const { return FContext != INVALID_HANDLE_VALUE; }

 private:
  std::wstring FManifest;
  HANDLE FContext = INVALID_HANDLE_VALUE;
  ULONG_PTR FCookie = 0;
};

TEST(Buttons, ASpeedButtonDrawsAndClicksAndABitmapButtonHandsItsGlyphToItsWindow) {
  TWinControl Parent(nullptr);
  Parent.SetVisible(false);
  Parent.SetBounds(0, 0, 300, 200);
  auto* Speed = new TSpeedButton(&Parent);
  Speed->SetParent(&Parent);
  Speed->SetBounds(0, 0, 60, 24);
  EXPECT_EQ(PaintedMarks(Speed), 0);
  Speed->SetCaption("Play");
  EXPECT_GT(PaintedMarks(Speed), 10);
  int Clicks = 0;
  Speed->OnClick = [&](TObject*) { ++Clicks; };
  Speed->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  Speed->Perform(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(Clicks, 1);

  const TCommonControls6 Controls6;
  ASSERT_TRUE(Controls6.Active());
  auto* Bit = new TBitBtn(&Parent);
  Bit->SetParent(&Parent);
  Bit->Glyph()->SetSize(16, 16);
  EXPECT_NE(SendMessageA(Bit->Handle(), BM_GETIMAGE, IMAGE_BITMAP, 0), 0);
  Bit->Glyph()->Assign(nullptr);
  EXPECT_EQ(SendMessageA(Bit->Handle(), BM_GETIMAGE, IMAGE_BITMAP, 0), 0);
}

}  // namespace
