// The optimisation pass: files store smaller and every frame still plays as it did, checked with our
// painter and, for the tools' files, with ImageMagick's composition (tests/gif/oracle.py).
#include <gtest/gtest.h>

#include "tests/classlib/RaisedMessage.h"
#include "tests/gif/PainterSupport.h"
#include "tests/support/Trace.h"

namespace {

constexpr TGIFOptimizeOptions AllOptions = optCropBorders | optMergeRepeats | optCleanup | optSortColorMaps;

void Optimize(TGIFPicture& Picture, TGIFOptimizeOptions Options = AllOptions) {
  Picture.Optimize(Options, pmNone, dkNearest, 8);
}

// Animations of every kind: global and local tables (with colours repeated under other indices), offsets,
// disposal 0 to 3, delays 0 to 10, transparency, frames that repeat a pattern or are wholly transparent,
// loops and comments.
std::unique_ptr<TGIFPicture> RandomAnimation(unsigned Seed) {
  std::mt19937 Random(Seed);
  auto Pick = [&](int N) { return std::uniform_int_distribution<int>(0, N - 1)(Random); };
  auto RandomColor = [&] { return static_cast<TColor>(RGB(Pick(3) * 120, Pick(3) * 120, Pick(2) * 255)); };
  auto Picture = std::make_unique<TGIFPicture>();
  const int Width = 3 + Pick(10), Height = 3 + Pick(10);
  const int GlobalColors = Pick(4) == 0 ? 0 : 2 + Pick(7);
  for (int I = 0; I < GlobalColors; ++I) Picture->GetGlobalColorMap()->Add(RandomColor());
  Picture->SetWidth(Width);
  Picture->SetHeight(Height);
  const int Frames = 2 + Pick(5);
  for (int F = 0; F < Frames; ++F) {
    auto* Frame = new TGIFSubImage(Picture.get());
    const int Left = Pick(Width), Top = Pick(Height);
    Frame->SetFrameRect(Left, Top, 1 + Pick(Width - Left), 1 + Pick(Height - Top));
    if (GlobalColors == 0 || Pick(3) == 0)
      for (int I = 2 + Pick(7); I > 0; --I) Frame->LocalColorMap()->Add(RandomColor());
    const int Colors = Frame->EffectiveColorMap()->Count();
    const int Transparent = Pick(2) ? Pick(Colors) : -1;
    const bool Invisible = Transparent >= 0 && Pick(5) == 0;
    for (int Y = 0; Y < Frame->Height(); ++Y)
      for (int X = 0; X < Frame->Width(); ++X) {
        const int Pattern = ((X + Left) / 2 + (Y + Top)) % Colors;
        Frame->GetScanline(Y)[X] = static_cast<uint8_t>(Invisible ? Transparent
                                                        : Pick(4) ? Pattern
                                                                  : Pick(Colors));
      }
    if (F == 0 && Pick(2)) {
      auto* Loop = new TGIFAppExtNSLoop(Frame);
      Loop->RepeatCount = static_cast<uint16_t>(1 + Pick(2));
      Frame->Extensions()->Add(Loop);
    }
    if (Transparent >= 0 || Pick(4))
      AddControl(Frame, Pick(3) * 5, static_cast<TGIFDisposal>(Pick(4)), Transparent);
    if (Pick(4) == 0) {
      auto* Comment = new TGIFCommentExtension(Frame);
      Comment->Text()->Add("comment");
      Frame->Extensions()->Add(Comment);
    }
    Picture->Add(Frame);
  }
  return Picture;
}

// Random animations, each frame changed by Change, play as before after every option.
void ExpectChangedAnimationsPlayTheSame(const std::function<void(TGIFSubImage*, std::mt19937&)>& Change) {
  for (unsigned Seed = 0; Seed < 150; ++Seed) {
    TRACE_CASE(Seed);
    for (TGIFOptimizeOptions Options :
         {AllOptions, TGIFOptimizeOptions{optSortColorMaps}, TGIFOptimizeOptions{optCleanup},
          TGIFOptimizeOptions{optMergeRepeats}}) {
      const auto Picture = RandomAnimation(Seed);
      std::mt19937 Random(Seed);
      for (int F = 0; F < Picture->Frames()->Count(); ++F) Change(Picture->Frame(F), Random);
      const auto Before = Compose(*Picture).Seen();
      Optimize(*Picture, Options);
      ASSERT_EQ(Before, Compose(*Picture).Seen()) << int{Options};
    }
  }
}

std::unique_ptr<TGIFPicture> SavedAndLoaded(TGIFPicture& Picture) {
  TLoaded Loaded = LoadGif(SaveGif(Picture));
  EXPECT_EQ(L"", Loaded.Error);
  return std::move(Loaded.Picture);
}

}  // namespace

TEST(GIFOptimize, RandomAnimationsPlayTheSameAfterEveryOptionAndAfterSaving) {
  int Smaller = 0;
  for (unsigned Seed = 0; Seed < 300; ++Seed) {
    TRACE_CASE(Seed);
    for (TGIFOptimizeOptions Options :
         {AllOptions, TGIFOptimizeOptions{optMergeRepeats}, TGIFOptimizeOptions{optCropBorders},
          TGIFOptimizeOptions{optCleanup}, TGIFOptimizeOptions{optSortColorMaps}}) {
      const auto Picture = RandomAnimation(Seed);
      const auto Before = Compose(*Picture).Seen();
      const size_t SizeBefore = SaveGif(*Picture).size();
      Optimize(*Picture, Options);
      ASSERT_EQ(Before, Compose(*Picture).Seen()) << int{Options};
      ASSERT_EQ(Before, Compose(*SavedAndLoaded(*Picture)).Seen()) << int{Options};
      if (Options == AllOptions) Smaller += SaveGif(*Picture).size() < SizeBefore;
    }
  }
  EXPECT_GT(Smaller, 150);
}

TEST(GIFOptimize, FilesOfTheToolsPlayTheSameAndAreNotLarger) {
  for (const std::string& Name : AnimationNames()) {
    TRACE_CASE(Name);
    const std::wstring Fixture = OracleFolder(L"fixtures") + L"\\" + AnsiToWide(Name);
    TGIFPicture Picture;
    Picture.LoadFromFile(WideToAnsi(Fixture + L".gif"));
    const auto Before = Compose(Picture, ComposeFlags, 2).Seen();
    const size_t SizeBefore = SaveGif(Picture).size();
    Optimize(Picture);
    EXPECT_EQ(Before, Compose(Picture, ComposeFlags, 2).Seen());
    EXPECT_LE(SaveGif(Picture).size(), SizeBefore);
    EXPECT_LE(SaveGif(Picture).size(), ReadBytes(Fixture + L".gif").size());
    // ImageMagick must compose the optimised file as it composed the tool's (on the tool's screen).
    const std::string Screen =
        "screen " + std::to_string(Picture.Width()) + " " + std::to_string(Picture.Height());
    if (ReadText(Fixture + L".desc").find(Screen + " ") == std::string::npos) continue;
    const std::wstring Output = OracleFolder(L"output") + L"\\optimized-" + AnsiToWide(Name);
    Picture.SaveToFile(WideToAnsi(Output + L".gif"));
    WriteBytes(Output + L".coalesced", ReadBytes(Fixture + L".coalesced"));
  }
}

TEST(GIFOptimize, IndicesBeyondTheTableShowTheSameAfterSortingAndSaving) {
  // 2 x 2 on red, lime, blue, white with the transparent index 7, beyond the table: nothing hides, and
  // a pixel beyond the table (9) shows entry 0.
  auto Make = [](const Bytes& Pixels) {
    auto Picture = std::make_unique<TGIFPicture>();
    auto* Frame = new TGIFSubImage(Picture.get());
    Frame->SetFrameRect(0, 0, 2, 2);
    AddControl(Frame, 10, dsKeep, 7);  // before the table, which would refuse the index
    for (TColor Color : {clRed, clLime, clBlue, clWhite}) Frame->LocalColorMap()->Add(Color);
    std::copy(Pixels.begin(), Pixels.end(), Frame->GetScanline(0));
    Picture->Add(Frame);
    return Picture;
  };
  const auto Green = Make({1, 1, 1, 2});
  const auto Before = Compose(*Green).Seen();
  ASSERT_EQ(COLORREF{clLime}, Before.back().second[0]);
  Optimize(*Green, optSortColorMaps);
  EXPECT_EQ(2, Green->Frame(0)->LocalColorMap()->Count());
  EXPECT_EQ(Before, Compose(*Green).Seen());
  EXPECT_EQ(Before, Compose(*SavedAndLoaded(*Green)).Seen());
  const auto Beyond = Make({1, 1, 9, 2});
  const auto BeyondBefore = Compose(*Beyond).Seen();
  ASSERT_EQ(COLORREF{clRed}, BeyondBefore.back().second[2]);
  EXPECT_EQ(L"Color not in color table", MessageOf<GIFException>([&] { SaveGif(*Beyond); }));
  Optimize(*Beyond, optSortColorMaps);
  EXPECT_EQ(3, Beyond->Frame(0)->LocalColorMap()->Count());
  EXPECT_EQ(BeyondBefore, Compose(*Beyond).Seen());
  EXPECT_EQ(BeyondBefore, Compose(*SavedAndLoaded(*Beyond)).Seen());
  // Red, the transparent entry 0, moves behind lime: the pixel beyond the table stays opaque red.
  TGIFPicture Hiding;
  auto* Frame = new TGIFSubImage(&Hiding);
  Frame->SetFrameRect(0, 0, 2, 2);
  for (TColor Color : {clRed, clLime}) Frame->LocalColorMap()->Add(Color);
  AddControl(Frame, 10, dsKeep, 0);
  std::copy_n(Bytes{1, 1, 1, 5}.begin(), 4, Frame->GetScanline(0));
  Hiding.Add(Frame);
  const auto HidingBefore = Compose(Hiding).Seen();
  ASSERT_EQ(COLORREF{clRed}, HidingBefore.back().second[3]);
  Optimize(Hiding, optSortColorMaps);
  EXPECT_EQ(HidingBefore, Compose(Hiding).Seen());
  ExpectChangedAnimationsPlayTheSame([](TGIFSubImage* Changed, std::mt19937& Random) {
    const int Colors = Changed->EffectiveColorMap()->Count();
    for (int Y = 0; Y < Changed->Height(); ++Y)
      for (int X = 0; X < Changed->Width(); ++X)
        if (Random() % 6 == 0) Changed->GetScanline(Y)[X] = static_cast<uint8_t>(Colors + Random() % 3);
  });
}

TEST(GIFOptimize, TheGraphicControlBlockThatSpeaksForAFrameStays) {
  // Block A (transparent lime, delay 50) and then B, which asks for nothing and so speaks for a lime
  // frame shown for the default delay.
  TGIFPicture Picture;
  for (TColor Color : {clRed, clLime}) Picture.GetGlobalColorMap()->Add(Color);
  for (int F = 0; F < 2; ++F) {
    auto* Frame = new TGIFSubImage(&Picture);
    Frame->SetFrameRect(0, 0, 2, 2);
    std::fill_n(Frame->GetScanline(0), 4, static_cast<uint8_t>(1 - F));
    if (F == 0) AddControl(Frame, 50, dsKeep, 1);
    AddControl(Frame, 0, dsUnspecified, -1);
    Picture.Add(Frame);
  }
  const auto Before = Compose(Picture).Seen();
  ASSERT_EQ(COLORREF{clLime}, Before.front().second[0]);
  Optimize(Picture, optCleanup);
  EXPECT_EQ(Before, Compose(Picture).Seen());
  ExpectChangedAnimationsPlayTheSame([](TGIFSubImage* Changed, std::mt19937& Random) {
    if (Random() % 2) return;
    const int Transparent = Random() % 3 ? -1 : static_cast<int>(Random() % 2);
    AddControl(Changed, Random() % 2 * 5, static_cast<TGIFDisposal>(Random() % 2), Transparent);
  });
}

TEST(GIFOptimize, WithoutOptionsNothingChangesButProgress) {
  const auto Picture = RandomAnimation(7);
  const std::string Before = Describe(*Picture);
  std::vector<int> Percents;
  Picture->OnProgress = [&](TObject*, TProgressStage, uint8_t Percent, bool, const RECT&,
                            const std::string& Message) {
    EXPECT_EQ("Optimizing...", Message);
    Percents.push_back(Percent);
  };
  Optimize(*Picture, 0);
  EXPECT_EQ(Before, Describe(*Picture));
  ASSERT_FALSE(Percents.empty());
  EXPECT_EQ(100, Percents.back());
  // Colours are never reduced; a custom reduction is refused unless the cleanup runs.
  EXPECT_EQ(L"Invalid reduction method",
            MessageOf<GIFException>([&] { Picture->Optimize(optReduceColors, pmCustom, dkNearest, 8); }));
  Picture->Optimize(optReduceColors | optCleanup, pmCustom, dkNearest, 8);
}

TEST(GIFOptimize, ARepeatedFrameShrinksToWhatChanged) {
  TGIFPicture Picture;
  for (TColor Color : {clWhite, clRed, clBlue}) Picture.GetGlobalColorMap()->Add(Color);
  for (int F = 0; F < 2; ++F) {
    auto* Frame = new TGIFSubImage(&Picture);
    Frame->SetFrameRect(0, 0, 10, 8);
    for (int Y = 0; Y < 8; ++Y)
      for (int X = 0; X < 10; ++X) Frame->GetScanline(Y)[X] = (X + Y) % 2;
    if (F == 1) Frame->GetScanline(4)[6] = Frame->GetScanline(5)[7] = 2;
    AddControl(Frame, 10, dsKeep, -1);
    Picture.Add(Frame);
  }
  const auto Before = Compose(Picture).Seen();
  Optimize(Picture);
  TGIFSubImage* Second = Picture.Frame(1);
  const RECT Bounds = Second->BoundsRect();
  EXPECT_EQ((std::vector<LONG>{6, 4, 8, 6}),
            (std::vector<LONG>{Bounds.left, Bounds.top, Bounds.right, Bounds.bottom}));
  EXPECT_TRUE(Second->Transparent());
  EXPECT_EQ(Before, Compose(Picture).Seen());
}

TEST(GIFOptimize, AWhollyTransparentFrameGoesAndLeavesItsTimeToTheFrameBefore) {
  TGIFPicture Picture;
  for (TColor Color : {clWhite, clRed}) Picture.GetGlobalColorMap()->Add(Color);
  for (int F = 0; F < 3; ++F) {
    auto* Frame = new TGIFSubImage(&Picture);
    Frame->SetFrameRect(0, 0, 4, 4);
    for (int Y = 0; Y < 4; ++Y)
      for (int X = 0; X < 4; ++X) Frame->GetScanline(Y)[X] = F == 1 ? 0 : static_cast<uint8_t>(X == F);
    AddControl(Frame, 20 + F, dsKeep, F == 1 ? 0 : -1);
    Picture.Add(Frame);
  }
  const auto Before = Compose(Picture).Seen();
  Optimize(Picture);
  ASSERT_EQ(2, Picture.Frames()->Count());
  EXPECT_EQ(20 + 21, Picture.Frame(0)->GraphicControlExtension()->GetDelay());
  EXPECT_EQ(Before, Compose(Picture).Seen());
  // A delay of 0 plays as the default delay: the sum keeps that time.
  Picture.Frame(0)->GraphicControlExtension()->SetDelay(0);
  auto* Empty = new TGIFSubImage(&Picture);
  Empty->SetFrameRect(0, 0, 4, 4);
  AddControl(Empty, 5, dsKeep, 1);
  Picture.Frames()->Add(Empty);
  const auto WithEmpty = Compose(Picture).Seen();
  Optimize(Picture);
  EXPECT_EQ(WithEmpty, Compose(Picture).Seen());
}

TEST(GIFOptimize, ARestoreThatTheNextFrameCoversBecomesKeep) {
  TGIFPicture Picture;
  for (TColor Color : {clWhite, clRed, clBlue}) Picture.GetGlobalColorMap()->Add(Color);
  for (int F = 0; F < 3; ++F) {
    auto* Frame = new TGIFSubImage(&Picture);
    Frame->SetFrameRect(F == 0 ? 1 : 0, F == 0 ? 1 : 0, F == 0 ? 2 : 4, F == 0 ? 2 : 4);
    for (int Y = 0; Y < Frame->Height(); ++Y)
      for (int X = 0; X < Frame->Width(); ++X)
        Frame->GetScanline(Y)[X] = static_cast<uint8_t>((F + X * Y) % 3);
    AddControl(Frame, 10, F == 0 ? dsRestoreBackground : dsKeep, -1);
    Picture.Add(Frame);
  }
  const auto Before = Compose(Picture).Seen();
  Optimize(Picture, optCleanup);
  EXPECT_EQ(dsKeep, Picture.Frame(0)->GraphicControlExtension()->GetDisposal());
  EXPECT_EQ(Before, Compose(Picture).Seen());
  // Before a frame that restores to the state it found, the restore stays.
  Picture.Frame(0)->GraphicControlExtension()->SetDisposal(dsRestorePrevious);
  Picture.Frame(1)->GraphicControlExtension()->SetDisposal(dsRestorePrevious);
  Optimize(Picture, optCleanup);
  EXPECT_EQ(dsRestorePrevious, Picture.Frame(0)->GraphicControlExtension()->GetDisposal());
}
