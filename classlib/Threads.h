#pragma once
// Threads that hand part of their work to the main thread (synchronised calls), and a pointer list with
// its own lock.
#include <windows.h>

#include <atomic>
#include <functional>

#include "classlib/Contnrs.h"

// The thread that ran the program's start-up: the one with the message loop.
DWORD MainThreadID();

// In the main thread: runs the calls that other threads queued with TThread::Synchronize, after waiting
// up to Timeout ms for one when none is queued; true when some ran. In any other thread: false at once.
bool CheckSynchronize(DWORD Timeout = 0);
// Called whenever a call is queued, so that a main thread waiting for messages turns to
// CheckSynchronize; the application posts itself a message. Nothing until set.
void SetWakeMainThread(std::function<void()> Wake);

// A thread that runs Execute once it is started. A thread that frees itself when it ends
// (FreeOnTerminate) must not be touched by others after it was started unless they know it still runs.
class TThread : public TObject {
 public:
  TThread() = default;
  // A thread that still runs is terminated and waited for; never called by the thread on itself unless
  // it frees itself.
  ~TThread() override;
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  // Starts the thread; later calls do nothing. EOSError when the system cannot make a thread.
  void Start();
  bool Started() const { return FStarted; }
  // Asks Execute to end; it looks at Terminated.
  void Terminate() { FTerminated = true; }
  bool Terminated() const { return FTerminated; }
  // Waits for the end of a started thread.
  void WaitFor();
  // A THREAD_PRIORITY_ value; set before or after Start.
  int Priority() const { return FPriority; }
  void SetPriority(int Value);
  // The thread frees itself after DoTerminate. Set before Start.
  bool FreeOnTerminate = false;

 protected:
  virtual void Execute() = 0;
  // After Execute, on the thread itself.
  virtual void DoTerminate() {}
  // Runs Method in the main thread while this thread waits; called in the main thread, it runs at once.
  // An exception of Method is raised again here.
  void Synchronize(const std::function<void()>& Method);

 private:
  static unsigned __stdcall ThreadProc(void* Param);

  HANDLE FHandle = nullptr;
  HANDLE FSyncDone = nullptr;  // auto-reset: the main thread ran this thread's call
  std::atomic<bool> FStarted{false};
  std::atomic<bool> FTerminated{false};
  std::atomic<int> FPriority{THREAD_PRIORITY_NORMAL};
};

// A pointer list with its own lock, a critical section: the thread that holds it may take it again.
class TThreadList : public TObject {
 public:
  TThreadList();
  ~TThreadList() override;
  TList* LockList();
  void UnlockList();
  // Each under the lock.
  void Add(void* Item);
  void Remove(void* Item);

 private:
  CRITICAL_SECTION FLock;
  TList FList;
};

// Holds a thread list's lock for one scope, or until Unlock.
class TThreadListLock {
 public:
  explicit TThreadListLock(TThreadList& AList) : FList(&AList), FItems(AList.LockList()) {}
  ~TThreadListLock() { Unlock(); }
  TThreadListLock(const TThreadListLock&) = delete;
  TThreadListLock& operator=(const TThreadListLock&) = delete;
  TList* operator->() const { return FItems; }
  void Unlock() {
    if (FList) FList->UnlockList();
    FList = nullptr;
  }

 private:
  TThreadList* FList;
  TList* FItems;
};
