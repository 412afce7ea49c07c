#include "classlib/Threads.h"

#include <process.h>

#include <exception>
#include <vector>

#include "classlib/SysUtils.h"

namespace {

// Static initialisation runs in the thread that starts the program.
const DWORD StartThreadID = GetCurrentThreadId();

struct TSyncCall {
  const std::function<void()>* Method;
  std::exception_ptr Error;
  HANDLE Done;
};

// The calls waiting for the main thread, and the event that tells it there are some.
class TSyncQueue {
 public:
  TSyncQueue() : FEvent(CreateEventW(nullptr, FALSE, FALSE, nullptr)) { InitializeCriticalSection(&FLock); }
  ~TSyncQueue() {
    DeleteCriticalSection(&FLock);
    if (FEvent) CloseHandle(FEvent);
  }
  TSyncQueue(const TSyncQueue&) = delete;
  TSyncQueue& operator=(const TSyncQueue&) = delete;

  void Push(TSyncCall* Call) {
    std::function<void()> Wake;
    EnterCriticalSection(&FLock);
    FCalls.push_back(Call);
    Wake = FWake;
    LeaveCriticalSection(&FLock);
    SetEvent(FEvent);
    if (Wake) Wake();
  }
  std::vector<TSyncCall*> Take() {
    std::vector<TSyncCall*> Calls;
    EnterCriticalSection(&FLock);
    Calls.swap(FCalls);
    LeaveCriticalSection(&FLock);
    return Calls;
  }
  void SetWake(std::function<void()> Wake) {
    EnterCriticalSection(&FLock);
    FWake = std::move(Wake);
    LeaveCriticalSection(&FLock);
  }
  HANDLE Event() const { return FEvent; }

 private:
  CRITICAL_SECTION FLock;
  std::vector<TSyncCall*> FCalls;
  std::function<void()> FWake;
  HANDLE FEvent;
};

TSyncQueue& SyncQueue() {
  static TSyncQueue Queue;
  return Queue;
}

}  // namespace

DWORD MainThreadID() {
  return StartThreadID;
}

bool CheckSynchronize(DWORD Timeout) {
  if (GetCurrentThreadId() != MainThreadID()) return false;
  std::vector<TSyncCall*> Calls = SyncQueue().Take();
  if (Calls.empty() && Timeout > 0) {
    WaitForSingleObject(SyncQueue().Event(), Timeout);
    Calls = SyncQueue().Take();
  }
  for (TSyncCall* Call : Calls) {
    try {
      (*Call->Method)();
    } catch (...) {
      Call->Error = std::current_exception();
    }
    SetEvent(Call->Done);
  }
  return !Calls.empty();
}

void SetWakeMainThread(std::function<void()> Wake) {
  SyncQueue().SetWake(std::move(Wake));
}

// ---------------------------------------------------------------------------------------------
// TThread

TThread::~TThread() {
  if (FHandle && GetCurrentThreadId() != GetThreadId(FHandle)) {
    Terminate();
    WaitForSingleObject(FHandle, INFINITE);
  }
  if (FHandle) CloseHandle(FHandle);
  if (FSyncDone) CloseHandle(FSyncDone);
}

void TThread::Start() {
  if (FStarted.exchange(true)) return;
  FSyncDone = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (!FSyncDone) RaiseLastOSError();
  // Suspended until the handle is stored: a thread that frees itself must find it.
  FHandle = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, ThreadProc, this, CREATE_SUSPENDED, nullptr));
  if (!FHandle) RaiseLastOSError();
  SetThreadPriority(FHandle, FPriority);
  ResumeThread(FHandle);
}

void TThread::WaitFor() {
  if (FHandle) WaitForSingleObject(FHandle, INFINITE);
}

void TThread::SetPriority(int Value) {
  FPriority = Value;
  if (FHandle) SetThreadPriority(FHandle, Value);
}

void TThread::Synchronize(const std::function<void()>& Method) {
  if (GetCurrentThreadId() == MainThreadID() || !FSyncDone) return Method();
  TSyncCall Call{&Method, nullptr, FSyncDone};
  SyncQueue().Push(&Call);
  WaitForSingleObject(FSyncDone, INFINITE);
  if (Call.Error) std::rethrow_exception(Call.Error);
}

unsigned __stdcall TThread::ThreadProc(void* Param) {
  auto* Self = static_cast<TThread*>(Param);
  // Nothing may leave a thread: an error ends Execute, and the thread ends normally.
  try {
    Self->Execute();
  } catch (...) {
  }
  try {
    Self->DoTerminate();
  } catch (...) {
  }
  if (Self->FreeOnTerminate) delete Self;
  return 0;
}

// ---------------------------------------------------------------------------------------------
// TThreadList

TThreadList::TThreadList() {
  InitializeCriticalSection(&FLock);
}

TThreadList::~TThreadList() {
  DeleteCriticalSection(&FLock);
}

TList* TThreadList::LockList() {
  EnterCriticalSection(&FLock);
  return &FList;
}

void TThreadList::UnlockList() {
  LeaveCriticalSection(&FLock);
}

void TThreadList::Add(void* Item) {
  TThreadListLock Lock(*this);
  Lock->Add(Item);
}

void TThreadList::Remove(void* Item) {
  TThreadListLock Lock(*this);
  Lock->Remove(Item);
}
