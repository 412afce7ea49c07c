// Whole files against the independent tools (tests/gif/oracle.py): what Pillow, ImageMagick, giflib and
// gifsicle wrote loads as they report it, and what we save they read as we built it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "tests/gif/GifTestSupport.h"
#include "tests/support/Trace.h"

namespace {

// Without its first line: a file's version is what its maker wrote, a picture's what it needs.
std::string WithoutVersion(const std::string& Description) {
  return Description.substr(Description.find('\n') + 1);
}

// A file's description with its screen grown to contain every frame, as a loaded picture's is.
std::string WithGrownScreen(const std::string& Description) {
  std::istringstream In(Description);
  std::vector<std::string> Lines;
  int Width = 0, Height = 0;
  for (std::string Line; std::getline(In, Line);) {
    Lines.push_back(Line);
    int Left, Top, W, H;
    if (std::sscanf(Line.c_str(), "screen %d %d", &W, &H) == 2 ||
        (std::sscanf(Line.c_str(), "frame %d %d %d %d", &Left, &Top, &W, &H) == 4 &&
         (W += Left, H += Top, true))) {
      Width = std::max(Width, std::min(W, 65535));
      Height = std::max(Height, std::min(H, 65535));
    }
  }
  std::string Result;
  for (const std::string& Line : Lines) {
    if (Line.rfind("screen ", 0) == 0) {
      Result += "screen " + std::to_string(Width) + " " + std::to_string(Height) +
                Line.substr(Line.find(" background"));
    } else {
      Result += Line;
    }
    Result += "\n";
  }
  return Result;
}

std::vector<std::string> FixtureNames() {
  const std::wstring Folder = OracleFolder(L"fixtures");
  std::vector<std::string> Names;
  std::istringstream Cases(ReadText(Folder + L"\\cases.txt"));
  for (std::string Line; std::getline(Cases, Line);)
    if (!Line.empty()) Names.push_back(Line.substr(0, Line.find(' ')));
  for (const std::string& Name : AnimationNames()) Names.push_back(Name);
  return Names;
}

// Three frames: a global table with a background index, a loop, local tables, offsets, disposal 1 to
// 3, delays, transparency, user input, an interlaced frame, comments and an unknown application.
std::unique_ptr<TGIFPicture> Animation(TGIFCodingKind Compression) {
  auto Picture = std::make_unique<TGIFPicture>();
  Picture->Compression = Compression;
  for (int I = 0; I < 6; ++I) Picture->GetGlobalColorMap()->Add(RGB(I * 40, 255 - I * 40, 7));
  Picture->Header()->SetBackgroundColorIndex(2);
  struct TFrameSpec {
    int Left, Top, Width, Height;
    int LocalColors;
    TGIFDisposal Disposal;
    int Delay;
    int Transparent;
    bool Interlaced;
  };
  const TFrameSpec Specs[] = {{0, 0, 20, 15, 0, dsKeep, 10, -1, false},
                              {3, 2, 9, 11, 16, dsRestoreBackground, 25, 4, true},
                              {12, 6, 8, 9, 256, dsRestorePrevious, 0, 0, false}};
  for (const TFrameSpec& Spec : Specs) {
    auto* Frame = new TGIFSubImage(Picture.get());
    Frame->SetFrameRect(Spec.Left, Spec.Top, Spec.Width, Spec.Height);
    Frame->SetInterlaced(Spec.Interlaced);
    for (int I = 0; I < Spec.LocalColors; ++I) Frame->LocalColorMap()->Add(RGB(I, I * 3 % 256, 255 - I));
    const int Colors = Spec.LocalColors ? Spec.LocalColors : 6;
    for (int Y = 0; Y < Spec.Height; ++Y)
      for (int X = 0; X < Spec.Width; ++X)
        Frame->GetScanline(Y)[X] = static_cast<uint8_t>((X * 7 + Y * 3) % Colors);
    if (Picture->Frames()->Count() == 0) {
      auto* Loop = new TGIFAppExtNSLoop(Frame);
      Loop->RepeatCount = 5;
      Frame->Extensions()->Add(Loop);
      auto* App = new TGIFUnknownAppExtension(Frame);
      App->SetIdentifierAndCode("VELMAROT1.0");
      App->Blocks().push_back({'a', 'b', 'c'});
      App->Blocks().push_back(std::vector<uint8_t>(255, 'z'));
      Frame->Extensions()->Add(App);
    }
    auto* Control = new TGIFGraphicControlExtension(Frame);
    Frame->Extensions()->Add(Control);
    Control->SetDisposal(Spec.Disposal);
    Control->SetDelay(Spec.Delay);
    Control->SetUserInput(Spec.Disposal == dsRestorePrevious);
    if (Spec.Transparent >= 0) {
      Control->SetTransparent(true);
      Control->SetTransparentColorIndex(static_cast<uint8_t>(Spec.Transparent));
    }
    auto* Comment = new TGIFCommentExtension(Frame);
    Comment->Text()->Add(Spec.LocalColors == 16 ? std::string(300, 'w') : "frame comment");
    Frame->Extensions()->Add(Comment);
    Picture->Add(Frame);
  }
  return Picture;
}

}  // namespace

TEST(GIFOracleFiles, FilesOfTheToolsLoadAsTheToolsReportThem) {
  const std::wstring Folder = OracleFolder(L"fixtures");
  const std::vector<std::string> Names = FixtureNames();
  EXPECT_GE(Names.size(), 69u);
  for (const std::string& Name : Names) {
    TRACE_CASE(Name);
    TGIFPicture Picture;
    std::vector<std::string> Warnings;
    Picture.OnWarningMessage = [&](TObject*, int, const std::string& Message) {
      Warnings.push_back(Message);
    };
    Picture.LoadFromFile(WideToAnsi(Folder + L"\\" + AnsiToWide(Name) + L".gif"));
    const std::string Reported = ReadText(Folder + L"\\" + AnsiToWide(Name) + L".desc");
    EXPECT_EQ(WithoutVersion(WithGrownScreen(Reported)), WithoutVersion(Describe(Picture)));
    EXPECT_TRUE(Warnings.empty());
  }
}

TEST(GIFOracleFiles, OurFilesAreLeftForTheTools) {
  const std::wstring Folder = OracleFolder(L"output");
  auto Save = [&](const std::string& Name, TGIFPicture& Picture) {
    Picture.SaveToFile(WideToAnsi(Folder + L"\\" + AnsiToWide(Name) + L".gif"));
    WriteText(Folder + L"\\" + AnsiToWide(Name) + L".desc", Describe(Picture));
  };
  Save("file-animation-lzw", *Animation(ckLZW));
  Save("file-animation-rle", *Animation(ckRLE));
  // The tools' files saved again by us.
  const std::wstring Fixtures = OracleFolder(L"fixtures");
  for (const char* Name :
       {"anim-gifsicle", "anim-magick", "anim-pillow", "magick-640x480-256", "pillow-257x3-16"}) {
    TGIFPicture Picture;
    Picture.LoadFromFile(WideToAnsi(Fixtures + L"\\" + AnsiToWide(Name) + L".gif"));
    Save(std::string("file-resaved-") + Name, Picture);
  }
}

TEST(GIFOracleFiles, AnAssignedBitmapIsReadBackPixelForPixel) {
  // As the list export makes them: text on a 24-bit bitmap, and a gradient of many colours.
  auto Text = std::make_unique<TBitmap>();
  Text->SetPixelFormat(pf24bit);
  Text->SetSize(180, 40);
  Text->Canvas()->Brush()->SetColor(RGB(250, 240, 200));
  Text->Canvas()->FillRect(RECT{0, 0, 180, 40});
  Text->Canvas()->Font()->SetColor(RGB(20, 60, 160));
  Text->Canvas()->TextOut(10, 10, "Velmaro - 3:45 Song");
  auto Gradient = std::make_unique<TBitmap>();
  Gradient->SetPixelFormat(pf24bit);
  Gradient->SetSize(97, 61);
  for (int Y = 0; Y < 61; ++Y) {
    auto* Row = static_cast<uint8_t*>(Gradient->ScanLine(Y));
    for (int X = 0; X < 97; ++X) {
      Row[3 * X] = static_cast<uint8_t>(X * 255 / 96);
      Row[3 * X + 1] = static_cast<uint8_t>(Y * 255 / 60);
      Row[3 * X + 2] = static_cast<uint8_t>((X + Y) * 255 / 156);
    }
  }
  const std::wstring Folder = OracleFolder(L"output");
  for (auto [Name, Bitmap] : {std::pair{"export-text", Text.get()}, {"export-gradient", Gradient.get()}}) {
    // The colours expected: each channel at its web level, (value + 3) / 51.
    Bytes Colours;
    for (int Y = 0; Y < Bitmap->Height(); ++Y) {
      const auto* Row = static_cast<const uint8_t*>(Bitmap->ScanLine(Y));
      for (int X = 0; X < Bitmap->Width(); ++X)
        for (int C : {2, 1, 0}) Colours.push_back(static_cast<uint8_t>((Row[3 * X + C] + 3) / 51 * 51));
    }
    TGIFPicture Picture;
    Picture.Assign(Bitmap);
    const std::wstring Base = Folder + L"\\" + AnsiToWide(Name);
    Picture.SaveToFile(WideToAnsi(Base + L".gif"));
    WriteBytes(Base + L".rgb", Colours);
    WriteText(Base + L".desc", Describe(Picture));
  }
}
