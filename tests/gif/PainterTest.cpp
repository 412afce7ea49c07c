// The animation painter: delays, speed, loops, disposal, the tools' composition of their own files,
// stopping from another thread, drawing through the picture, and long animations in flat memory.
#include <gtest/gtest.h>

#include <sstream>
#include <thread>

#include "tests/classlib/RaisedMessage.h"
#include "tests/gif/PainterSupport.h"
#include "tests/support/Trace.h"

namespace {

// A picture on a global table of four colours: 0 white, 1 red, 2 green, 3 blue.
std::unique_ptr<TGIFPicture> Screen(int Width, int Height) {
  auto Picture = std::make_unique<TGIFPicture>();
  for (TColor Color : {clWhite, clRed, clLime, clBlue}) Picture->GetGlobalColorMap()->Add(Color);
  Picture->SetWidth(Width);
  Picture->SetHeight(Height);
  return Picture;
}

// A frame of one colour; Delay < 0: no graphic control block; Transparent >= 0 also sets the colour of
// the frame's first pixel to it.
TGIFSubImage* AddFrame(TGIFPicture& Picture, RECT Place, uint8_t Color, int Delay = 0,
                       TGIFDisposal Disposal = dsKeep, int Transparent = -1) {
  auto* Frame = new TGIFSubImage(&Picture);
  Frame->SetFrameRect(Place.left, Place.top, Place.right - Place.left, Place.bottom - Place.top);
  for (int Y = 0; Y < Frame->Height(); ++Y)
    for (int X = 0; X < Frame->Width(); ++X) Frame->GetScanline(Y)[X] = Color;
  if (Delay >= 0) AddControl(Frame, Delay, Disposal, Transparent);
  if (Delay >= 0 && Transparent >= 0 && !Frame->IsEmpty())
    Frame->GetScanline(0)[0] = static_cast<uint8_t>(Transparent);
  Picture.Add(Frame);
  return Frame;
}

TGIFAppExtNSLoop* AddLoop(TGIFSubImage* Frame, int RepeatCount) {
  auto* Loop = new TGIFAppExtNSLoop(Frame);
  Loop->RepeatCount = static_cast<uint16_t>(RepeatCount);
  Frame->Extensions()->Add(Loop);
  return Loop;
}

// The clock's time at every frame painted.
std::vector<DWORD> PaintTimes(TGIFPicture& Picture, TGIFRenderFlags Flags, TTestClock* Clock = nullptr) {
  auto Own = std::make_shared<TTestClock>();
  if (!Clock) Clock = Own.get();
  Picture.PainterClock = std::shared_ptr<TTestClock>(Own, Clock);
  std::vector<DWORD> Times;
  Picture.OnFrameBeforePaint = [&](TObject*) { Times.push_back(Clock->Now()); };
  TBitmap Target;
  Target.SetSize(Picture.Width(), Picture.Height());
  Play(Picture, Flags, Target.Canvas(), Target.Canvas()->ClipRect());
  Picture.OnFrameBeforePaint = nullptr;
  return Times;
}

std::vector<DWORD> Steps(const std::vector<DWORD>& Times) {
  std::vector<DWORD> Result;
  for (size_t I = 1; I < Times.size(); ++I) Result.push_back(Times[I] - Times[I - 1]);
  return Result;
}

std::string Events(TGIFPicture& Picture, TGIFRenderFlags Flags, int Passes = 3) {
  return Compose(Picture, Flags, Passes).Events;
}

// ImageMagick's frames of a tool's file: RGBA, alpha 0 where nothing shows (our underground then).
std::vector<TShown> Coalesced(const std::string& Name, int Width, int Height) {
  const Bytes Data = ReadBytes(OracleFolder(L"fixtures") + L"\\" + AnsiToWide(Name) + L".coalesced");
  std::vector<TShown> Frames;
  const size_t Size = static_cast<size_t>(Width) * Height;
  for (size_t At = 0; At + 4 * Size <= Data.size(); At += 4 * Size) {
    TShown Frame;
    for (size_t P = At; P < At + 4 * Size; P += 4)
      Frame.push_back(Data[P + 3] ? RGB(Data[P], Data[P + 1], Data[P + 2]) : PainterUnderground);
    Frames.push_back(Frame);
  }
  return Frames;
}

// A number that the tools report ("loop N", "screen W H"); -1 when they report none.
int Reported(const std::string& Name, const std::string& Key, int Position = 0) {
  std::istringstream In(ReadText(OracleFolder(L"fixtures") + L"\\" + AnsiToWide(Name) + L".desc"));
  for (std::string Line; std::getline(In, Line);)
    if (Line.rfind(Key + " ", 0) == 0) {
      std::istringstream Values(Line.substr(Key.size()));
      int Value = -1;
      for (int I = 0; I <= Position; ++I) Values >> Value;
      return Value;
    }
  return -1;
}

// The top left Width x Height of a frame of Picture's size.
TShown Cropped(const TShown& Frame, int PictureWidth, int Width, int Height) {
  TShown Result;
  for (int Y = 0; Y < Height; ++Y)
    for (int X = 0; X < Width; ++X) Result.push_back(Frame[static_cast<size_t>(Y * PictureWidth + X)]);
  return Result;
}

}  // namespace

TEST(GIFPainter, DelaysWaitTheirUnitsOnEitherThreadAndAtEverySpeed) {
  auto Picture = Screen(2, 2);
  for (int Delay : {0, -1, 1, 2, 5000, 10}) AddFrame(*Picture, {0, 0, 2, 2}, 1, Delay);
  // 0 and none wait 10 units, 1 and 2 wait 3, 5000 is cut to 1000 on the caller's thread; 12 ms a unit.
  std::vector<DWORD> OnThread = PaintTimes(*Picture, rfAnimate | rfThreaded);
  std::vector<DWORD> OnCaller = PaintTimes(*Picture, rfAnimate);
  ASSERT_EQ(6u, OnThread.size());
  ASSERT_EQ(6u, OnCaller.size());
  EXPECT_EQ((std::vector<DWORD>{120, 120, 36, 36, 60000}), Steps(OnThread));
  EXPECT_EQ((std::vector<DWORD>{120, 120, 36, 36, 12000}), Steps(OnCaller));

  // Twice the speed halves a wait, half the speed doubles it; speed 0 on the caller's thread waits
  // 12000 ms a frame.
  auto Short = Screen(1, 1);
  for (int I = 0; I < 3; ++I) AddFrame(*Short, {0, 0, 1, 1}, 2, 10);
  for (auto [Speed, Wait] : {std::pair{200, 60u}, {50, 240u}, {0, 12000u}}) {
    Short->PlaybackSpeedPercent = Speed;
    EXPECT_EQ((std::vector<DWORD>{Wait, Wait}), Steps(PaintTimes(*Short, rfAnimate))) << Speed;
  }
}

TEST(GIFPainter, ALatePainterWaitsTheMinimumAndNeverSpins) {
  auto Picture = Screen(1, 1);
  for (int I = 0; I < 4; ++I) AddFrame(*Picture, {0, 0, 1, 1}, 1, 0);
  for (bool Threaded : {false, true}) {
    TTestClock Clock;
    // Each paint takes ten seconds: half of the time lost would be taken from the next wait.
    Picture->OnFrameAfterPaint = [&](TObject*) { Clock.Advance(10000); };
    const std::vector<DWORD> Times = PaintTimes(*Picture, rfAnimate | (Threaded ? rfThreaded : 0), &Clock);
    Picture->OnFrameAfterPaint = nullptr;
    for (DWORD Wait : Clock.Waits()) EXPECT_GE(Wait, 1u) << Threaded;
    for (DWORD Step : Steps(Times)) EXPECT_EQ(10000u + 36u, Step) << Threaded;
  }
}

TEST(GIFPainter, LoopCountsRepeatFlagsAndEmptyFrames) {
  auto Picture = Screen(2, 2);
  for (uint8_t Color : {1, 2, 3}) AddFrame(*Picture, {0, 0, 2, 2}, Color, 5);
  TGIFAppExtNSLoop* Loop = AddLoop(Picture->Frame(1), 3);
  // Three passes; the later ones start at the frame that holds the loop block.
  for (TGIFRenderFlags Threaded : {0, 1})
    EXPECT_EQ("S 0 1 2 R 1 2 R 1 2 E", Events(*Picture, rfAnimate | rfRepeat | Threaded)) << Threaded;
  EXPECT_EQ("S 0 1 2 E", Events(*Picture, rfAnimate));  // without rfRepeat
  EXPECT_EQ("S 0 E", Events(*Picture, rfRepeat));       // without rfAnimate
  // A loop count of 0 repeats forever on a thread (stopped here at the third repeat) and plays once on
  // the caller's thread unless rfRepeatAlways.
  Loop->RepeatCount = 0;
  EXPECT_EQ("S 0 1 2 R 1 2 R 1 2 R", Events(*Picture, rfAnimate | rfRepeat | rfThreaded));
  EXPECT_EQ("S 0 1 2 E", Events(*Picture, rfAnimate | rfRepeat));
  EXPECT_EQ("S 0 1 2 R 1 2 R 1 2 R", Events(*Picture, rfAnimate | rfRepeat | rfRepeatAlways));
  // An empty frame ends the pass.
  auto Gap = Screen(2, 2);
  AddFrame(*Gap, {0, 0, 2, 2}, 1, 5);
  AddFrame(*Gap, {0, 0, 0, 0}, 1, 5);
  AddFrame(*Gap, {0, 0, 2, 2}, 3, 5);
  AddLoop(Gap->Frame(0), 2);
  EXPECT_EQ("S 0 R 0 E", Events(*Gap, rfAnimate | rfRepeat));
}

TEST(GIFPainter, AnEmptyFirstFrameEndsAnAnimationThatRepeatsAlways) {
  auto Picture = Screen(2, 2);
  AddFrame(*Picture, {0, 0, 0, 0}, 1, 5);
  AddFrame(*Picture, {0, 0, 2, 2}, 2, 5);
  // On a thread, and on the caller's thread straight onto the canvas.
  EXPECT_EQ("S E", Events(*Picture, rfAnimate | rfRepeat | rfRepeatAlways | rfThreaded));
  ASSERT_FALSE(HasFatalFailure());
  Picture->RenderFlags = rfAnimate | rfRepeat | rfRepeatAlways | rfDirect;
  TBitmap Target;
  Target.SetSize(2, 2);
  Picture->Draw(Target.Canvas(), {0, 0, 2, 2});
  EXPECT_EQ(0u, PainterCount(*Picture));
}

TEST(GIFPainter, OnePicturesWorkBitmapsStayWithinWhatOneFrameMayHold) {
  // Work bitmaps of 4 bytes a pixel for 4096 x 1600 hold 26 MB each; a frame may hold 64 MiB. Restoring
  // the background takes two, and a third for what lies under a transparent picture.
  auto Picture = Screen(4096, 1600);
  for (uint8_t Color : {1, 2}) AddFrame(*Picture, {0, 0, 1, 1}, Color, 5, dsRestoreBackground);
  Picture->RenderFlags = (Picture->RenderFlags | rfDirect) & ~rfThreaded;
  Picture->PainterClock = std::make_shared<TTestClock>();
  TBitmap Target;
  Target.SetSize(1, 1);
  EXPECT_EQ(L"Image is too large", MessageOf<GIFException>([&] {
              Picture->Draw(Target.Canvas(), {0, 0, 4096, 1600});
            }));
  EXPECT_EQ(0u, PainterCount(*Picture));
  Picture->RenderFlags &= ~rfTransparent;
  Picture->Draw(Target.Canvas(), {0, 0, 4096, 1600});
  EXPECT_EQ(COLORREF{clLime}, Target.Canvas()->Pixels(0, 0) & 0xFFFFFF);
  EXPECT_EQ(0u, PainterCount(*Picture));
}

TEST(GIFPainter, DisposalRestoresBackgroundOrPreviousAndUndefinedValuesKeep) {
  // A red frame over the screen, a green square that disposes as Disposal, then a blue frame whose
  // pixels are all transparent but one: it shows what the disposal left.
  auto Run = [](TGIFDisposal Disposal) {
    auto Picture = Screen(4, 4);
    AddFrame(*Picture, {0, 0, 4, 4}, 1, 5);
    AddFrame(*Picture, {1, 1, 3, 3}, 2, 5, Disposal);
    TGIFSubImage* Last = AddFrame(*Picture, {0, 0, 4, 4}, 0, 5, dsKeep, 0);
    Last->GetScanline(3)[3] = 3;
    return Compose(*Picture).Frames.back();
  };
  const TShown Kept = Run(dsKeep);
  EXPECT_EQ(COLORREF{clLime}, Kept[1 * 4 + 1]);
  EXPECT_EQ(COLORREF{clBlue}, Kept[3 * 4 + 3]);
  EXPECT_EQ(COLORREF{clRed}, Run(dsRestorePrevious)[1 * 4 + 1]);
  EXPECT_EQ(PainterUnderground, Run(dsRestoreBackground)[1 * 4 + 1]);
  EXPECT_EQ(COLORREF{clRed}, Run(dsRestoreBackground)[0]);
  for (int Undefined = 4; Undefined < 8; ++Undefined)
    EXPECT_EQ(Kept, Run(static_cast<TGIFDisposal>(Undefined))) << Undefined;
}

TEST(GIFPainter, FilesOfTheToolsPlayAsImageMagickComposesThem) {
  const std::vector<std::string> Names = AnimationNames();
  ASSERT_GE(Names.size(), 4u);
  for (const std::string& Name : Names) {
    TRACE_CASE(Name);
    TGIFPicture Picture;
    Picture.LoadFromFile(WideToAnsi(OracleFolder(L"fixtures") + L"\\" + AnsiToWide(Name) + L".gif"));
    // ImageMagick composes on the file's screen; a loaded picture's screen grows to hold every frame.
    const int Width = Reported(Name, "screen", 0), Height = Reported(Name, "screen", 1);
    const std::vector<TShown> Expected = Coalesced(Name, Width, Height);
    ASSERT_EQ(static_cast<size_t>(Picture.Frames()->Count()), Expected.size());
    const int Loop = Reported(Name, "loop");
    std::vector<TShown> Played[2];
    for (bool Threaded : {false, true}) {
      const TPlayed Run = Compose(Picture, ComposeFlags | (Threaded ? rfThreaded : 0), Loop == 0 ? 2 : 100);
      const std::string& Log = Run.Events;
      Played[Threaded] = Run.Frames;
      // The passes the loop count asks for; forever on a thread (stopped at the second repeat).
      const int Passes = Loop < 0 ? 1 : Loop > 0 ? Loop : Threaded ? 2 : 1;
      std::string Pass;
      for (int I = 0; I < Picture.Frames()->Count(); ++I) Pass += " " + std::to_string(I);
      std::string Want = "S" + Pass;
      for (int I = 1; I < Passes; ++I) Want += " R" + Pass;
      EXPECT_EQ(Want + (Loop == 0 && Threaded ? " R" : " E"), Log) << Threaded;
      ASSERT_EQ(Expected.size() * static_cast<size_t>(Passes), Played[Threaded].size()) << Threaded;
      for (size_t I = 0; I < Played[Threaded].size(); ++I)
        EXPECT_EQ(Expected[I % Expected.size()], Cropped(Played[Threaded][I], Picture.Width(), Width, Height))
            << "frame " << I << " threaded " << Threaded;
    }
    EXPECT_EQ(
        std::vector<TShown>(Played[1].begin(), Played[1].begin() + static_cast<ptrdiff_t>(Played[0].size())),
        Played[0]);
  }
}

TEST(GIFPainter, AStopFromAnotherThreadEndsAPainterThatWaitsWithoutEnd) {
  auto Picture = Screen(2, 2);
  for (uint8_t Color : {1, 2}) AddFrame(*Picture, {0, 0, 2, 2}, Color, 5);
  Picture->PlaybackSpeedPercent = 0;  // a threaded painter waits until it is stopped
  auto Clock = std::make_shared<TTestClock>();
  Picture->PainterClock = Clock;
  int Painted = 0;
  bool Ended = false;
  Picture->OnFrameAfterPaint = [&](TObject*) { ++Painted; };
  Picture->OnPaintEnd = [&](TObject*) { Ended = true; };
  TBitmap Target;
  Target.SetSize(2, 2);
  TGIFPainter* Painter = nullptr;
  Picture->StartPainter(&Painter, Target.Canvas(), rfAnimate | rfRepeat | rfThreaded, {0, 0, 2, 2})
      ->ResumeAsync();
  for (int I = 0; I < 500 && Clock->Waits().empty(); ++I) CheckSynchronize(10);
  ASSERT_EQ((std::vector<DWORD>{INFINITE}), Clock->Waits());
  // A stop that waited out the INFINITE delay never returns: the test then ends by its time limit.
  std::atomic<bool> Stopped{false};
  std::thread Stopper([&] {
    Picture->StopAllPainters();
    Stopped = true;
  });
  while (!Stopped) CheckSynchronize(10);
  Stopper.join();
  EXPECT_EQ(0u, PainterCount(*Picture));
  EXPECT_EQ(nullptr, Painter);
  EXPECT_EQ(1, Painted);
  EXPECT_FALSE(Ended);  // a stopped painter fires nothing more
}

TEST(GIFPainter, DrawAnimatesIntoTheCachedBitmapUntilStopped) {
  auto Picture = Screen(3, 3);
  AddFrame(*Picture, {0, 0, 3, 3}, 1, 5);
  AddFrame(*Picture, {0, 0, 3, 3}, 3, 5);
  Picture->PlaybackSpeedPercent = 0;  // it stays at its first frame
  Picture->PainterClock = std::make_shared<TTestClock>();
  Picture->RenderFlags &= ~rfDither;
  TBitmap Target;
  Target.SetPixelFormat(pf24bit);
  Target.SetSize(6, 6);
  Picture->Draw(Target.Canvas(), {0, 0, 6, 6});
  EXPECT_EQ(clRed, Target.Canvas()->Pixels(5, 5) & 0xFFFFFF);
  TGIFPainter* First = nullptr;
  {
    TThreadListLock Lock(*Picture->PainterList());
    First = Picture->CurrentPainter();
    ASSERT_NE(nullptr, First);
    EXPECT_TRUE(First->Threaded());
    EXPECT_EQ(Picture->RenderedBitmap()->Canvas(), First->Canvas());
  }
  Picture->Draw(Target.Canvas(), {0, 0, 6, 6});  // the cached bitmap again
  EXPECT_EQ(1u, PainterCount(*Picture));
  Picture->StopCurrentPainter();
  EXPECT_EQ(0u, PainterCount(*Picture));
  EXPECT_EQ(nullptr, Picture->CurrentPainter());
  // Straight onto the canvas, and the picture freed while its painter waits.
  Picture->RenderFlags |= rfDirect;
  Picture->Draw(Target.Canvas(), {0, 0, 3, 3});
  EXPECT_EQ(1u, PainterCount(*Picture));
  Picture.reset();  // no crash, no wait
}

TEST(GIFPainter, AHundredThousandOnePixelFramesPlayInFlatMemory) {
  auto Picture = Screen(1, 1);
  for (int I = 0; I < 100000; ++I) AddFrame(*Picture, {0, 0, 1, 1}, static_cast<uint8_t>(I % 4), 1);
  Picture->PainterClock = std::make_shared<TTestClock>();
  SIZE_T Early = 0;
  int Painted = 0;
  Picture->OnFrameAfterPaint = [&](TObject*) {
    if (++Painted == 1000) Early = MemoryInUse();
  };
  TBitmap Target;
  Target.SetSize(1, 1);
  Play(*Picture, rfAnimate, Target.Canvas(), {0, 0, 1, 1});
  EXPECT_EQ(100000, Painted);
  EXPECT_LT(MemoryGrowthSince(Early), SIZE_T{16} << 20);
}
