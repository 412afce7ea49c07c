#include "classlib/Threads.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "classlib/Forms.h"

namespace {

// Runs Body on its own thread; records where its synchronised calls ran and what they raised.
class TWorker : public TThread {
 public:
  explicit TWorker(std::function<void(TWorker&)> ABody, bool* AFreed = nullptr)
      : FBody(std::move(ABody)), FFreed(AFreed) {}
  ~TWorker() override {
    if (FFreed) *FFreed = true;
  }
  void Sync(const std::function<void()>& Method) { Synchronize(Method); }
  std::atomic<bool> Ended{false};
  std::atomic<int> TerminateCalls{0};

 protected:
  void Execute() override { FBody(*this); }
  void DoTerminate() override {
    ++TerminateCalls;
    Ended = true;
  }

 private:
  std::function<void(TWorker&)> FBody;
  bool* FFreed;
};

// Runs the queued calls until Done.
bool SynchronizeUntil(const std::function<bool()>& Done) {
  for (int I = 0; I < 2000 && !Done(); ++I) CheckSynchronize(10);
  return Done();
}

}  // namespace

TEST(Threads, SynchronisedCallsRunInTheMainThreadWhileTheCallerWaits) {
  DWORD RanIn = 0;
  bool CallerWaited = false;
  std::string Raised;
  TWorker Worker([&](TWorker& Self) {
    std::atomic<bool> Returned{false};
    Self.Sync([&] {
      RanIn = GetCurrentThreadId();
      CallerWaited = !Returned;
    });
    Returned = true;
    try {
      Self.Sync([] { throw std::runtime_error("in the main thread"); });
    } catch (const std::runtime_error& Error) {
      Raised = Error.what();
    }
  });
  EXPECT_FALSE(Worker.Started());
  Worker.Start();
  Worker.Start();  // a second start does nothing
  ASSERT_TRUE(SynchronizeUntil([&] { return Worker.Ended.load(); }));
  Worker.WaitFor();
  EXPECT_EQ(RanIn, MainThreadID());
  EXPECT_EQ(RanIn, GetCurrentThreadId());
  EXPECT_TRUE(CallerWaited);
  EXPECT_EQ(Raised, "in the main thread");
  EXPECT_EQ(Worker.TerminateCalls, 1);
}

TEST(Threads, OnlyTheMainThreadRunsQueuedCallsAndTheMainThreadSynchronisesDirectly) {
  std::atomic<bool> OtherRan{true};
  TWorker Checker([&](TWorker&) { OtherRan = CheckSynchronize(5); });
  Checker.Start();
  Checker.WaitFor();
  EXPECT_FALSE(OtherRan);
  EXPECT_FALSE(CheckSynchronize());  // nothing queued
  // A thread object that was never started synchronises in the caller.
  bool Ran = false;
  TWorker Idle([](TWorker&) {});
  Idle.Sync([&] { Ran = true; });
  EXPECT_TRUE(Ran);
}

TEST(Threads, AThreadThatFreesItselfIsGoneAfterItsEndAndARunningOneIsStoppedByItsDestructor) {
  bool Freed = false;
  auto* Self = new TWorker([](TWorker&) {}, &Freed);
  Self->FreeOnTerminate = true;
  Self->Start();
  while (!Freed) Sleep(10);  // a thread that never frees itself ends the test by its time limit

  std::atomic<bool> Looping{false};
  {
    TWorker Endless([&](TWorker& W) {
      Looping = true;
      while (!W.Terminated()) Sleep(1);
    });
    Endless.SetPriority(THREAD_PRIORITY_BELOW_NORMAL);
    Endless.Start();
    while (!Looping) Sleep(1);
    EXPECT_EQ(Endless.Priority(), THREAD_PRIORITY_BELOW_NORMAL);
  }  // terminated and waited for here
}

TEST(Threads, TheApplicationsMessageLoopRunsSynchronisedCalls) {
  Application->Handle();
  bool Ran = false;
  TWorker Worker([&](TWorker& Self) { Self.Sync([&] { Ran = true; }); });
  Worker.Start();
  // HandleMessage waits for a message: the queued call posts the one that wakes it.
  for (int I = 0; I < 100 && !Ran; ++I) Application->HandleMessage();
  Worker.WaitFor();
  EXPECT_TRUE(Ran);
}

TEST(Threads, AThreadListIsLockedAcrossThreads) {
  TThreadList List;
  int Items[2] = {};
  List.Add(&Items[0]);
  std::atomic<bool> Added{false};
  TWorker Worker([&](TWorker&) {
    List.Add(&Items[1]);
    Added = true;
  });
  {
    TThreadListLock Lock(List);
    Worker.Start();
    Sleep(20);
    EXPECT_FALSE(Added);  // the worker waits for the lock
    EXPECT_EQ(Lock->Count(), 1);
    TThreadListLock Again(List);  // the holder may lock again
    EXPECT_EQ(Again->Count(), 1);
  }
  Worker.WaitFor();
  EXPECT_TRUE(Added);
  List.Remove(&Items[0]);
  TThreadListLock Lock(List);
  ASSERT_EQ(Lock->Count(), 1);
  EXPECT_EQ(Lock->Get(0), &Items[1]);
}
