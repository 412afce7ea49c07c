#pragma once
// Painters driven by a clock that the test owns: time moves only when a painter waits or sleeps, so a
// whole animation plays at once and its timing is exact.
#include <atomic>
#include <mutex>

#include "tests/gif/GifTestSupport.h"

class TTestClock : public TGIFPainterClock {
 public:
  DWORD Now() override { return FTime; }
  // A wait without end waits for the real event (only Stop ends it); others end at once, early when the
  // event is already set.
  bool WaitFor(HANDLE Event, DWORD Milliseconds) override {
    Record(Milliseconds);
    if (Event && WaitForSingleObject(Event, Milliseconds == INFINITE ? INFINITE : 0) == WAIT_OBJECT_0)
      return true;
    Advance(Milliseconds);
    return false;
  }
  void Sleep(DWORD Milliseconds) override {
    Record(Milliseconds);
    Advance(Milliseconds);
  }
  void Advance(DWORD Milliseconds) { FTime += Milliseconds; }
  std::vector<DWORD> Waits() {
    std::lock_guard<std::mutex> Lock(FLock);
    return FWaits;
  }

 private:
  void Record(DWORD Milliseconds) {
    std::lock_guard<std::mutex> Lock(FLock);
    FWaits.push_back(Milliseconds);
  }
  std::atomic<DWORD> FTime{1000};
  std::mutex FLock;
  std::vector<DWORD> FWaits;
};

// A graphic control block of the frame; Transparent < 0: none.
inline TGIFGraphicControlExtension* AddControl(TGIFSubImage* Frame, int Delay, TGIFDisposal Disposal,
                                               int Transparent) {
  auto* Control = new TGIFGraphicControlExtension(Frame);
  Frame->Extensions()->Add(Control);
  Control->SetDelay(Delay);
  Control->SetDisposal(Disposal);
  if (Transparent >= 0) {
    Control->SetTransparent(true);
    Control->SetTransparentColorIndex(static_cast<uint8_t>(Transparent));
  }
  return Control;
}

inline size_t PainterCount(TGIFPicture& Picture) {
  TThreadListLock Lock(*Picture.PainterList());
  return static_cast<size_t>(Lock->Count());
}

// Plays the picture with a painter of Flags on Canvas in Rect and returns when the painter has ended; a
// threaded painter's synchronised calls run here meanwhile.
inline void Play(TGIFPicture& Picture, TGIFRenderFlags Flags, TCanvas* Canvas, const RECT& Rect) {
  TGIFPainter* Painter = nullptr;
  if (TGIFPainter* Started = Picture.StartPainter(&Painter, Canvas, Flags, Rect)) Started->ResumeAsync();
  for (int I = 0; I < 3000 && PainterCount(Picture) > 0; ++I) CheckSynchronize(10);
  ASSERT_EQ(0u, PainterCount(Picture)) << "the painter did not end";
  EXPECT_EQ(nullptr, Painter);
}

// What a canvas shows, row by row.
using TShown = std::vector<COLORREF>;

inline TShown Shown(TCanvas* Canvas, int Width, int Height) {
  TShown Result;
  for (int Y = 0; Y < Height; ++Y)
    for (int X = 0; X < Width; ++X) Result.push_back(Canvas->Pixels(X, Y) & 0xFFFFFF);
  return Result;
}

constexpr COLORREF PainterUnderground = RGB(17, 34, 51);

constexpr TGIFRenderFlags ComposeFlags = rfAnimate | rfRepeat | rfTransparent | rfRestoreEachPass;

// What a painter showed: each frame painted with the clock's time then, and the paint events ("S"
// start, the index of each frame painted, "R" repeat, "E" end).
struct TPlayed {
  std::vector<TShown> Frames;
  std::vector<DWORD> Times;
  std::string Events;
  // The pictures shown one after the other, each with the time it appeared; a frame that leaves the
  // picture as it was is not seen.
  std::vector<std::pair<DWORD, TShown>> Seen() const {
    std::vector<std::pair<DWORD, TShown>> Result;
    for (size_t I = 0; I < Frames.size(); ++I)
      if (Result.empty() || Result.back().second != Frames[I])
        Result.push_back({Times[I] - Times[0], Frames[I]});
    return Result;
  }
};

// Plays the picture with a painter of Flags at the picture's size on a canvas of PainterUnderground,
// with the test clock. Passes: how many passes a painter repeating forever may play before it is
// stopped.
inline TPlayed Compose(TGIFPicture& Picture, TGIFRenderFlags Flags = ComposeFlags, int Passes = 2) {
  TBitmap Target;
  Target.SetPixelFormat(pf24bit);
  Target.SetSize(Picture.Width(), Picture.Height());
  Target.Canvas()->Brush()->SetColor(PainterUnderground);
  Target.Canvas()->FillRect(Target.Canvas()->ClipRect());
  TPlayed Played;
  int Repeats = 0;
  auto Clock = std::make_shared<TTestClock>();
  Picture.PainterClock = Clock;
  Picture.OnPaintStart = [&](TObject*) { Played.Events += "S"; };
  Picture.OnFrameAfterPaint = [&](TObject* Sender) {
    Played.Events += " " + std::to_string(static_cast<TGIFPainter*>(Sender)->FrameIndex);
    Played.Frames.push_back(Shown(Target.Canvas(), Picture.Width(), Picture.Height()));
    Played.Times.push_back(Clock->Now());
  };
  Picture.OnAnimationRepeat = [&](TObject* Sender) {
    Played.Events += " R";
    if (++Repeats == Passes) static_cast<TGIFPainter*>(Sender)->Stop();
  };
  Picture.OnPaintEnd = [&](TObject*) { Played.Events += " E"; };
  Play(Picture, Flags, Target.Canvas(), Target.Canvas()->ClipRect());
  Picture.OnPaintStart = Picture.OnFrameAfterPaint = Picture.OnAnimationRepeat = Picture.OnPaintEnd = nullptr;
  return Played;
}
