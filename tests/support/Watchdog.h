#pragma once
// Ends the test program with a failure when the scope it guards has not ended within its time: a fault
// that makes a step wait for ever then fails within seconds, not at the test's time limit.
#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

class TWatchdog {
 public:
  explicit TWatchdog(std::chrono::seconds Limit)
      : FThread([this, Limit] {
          std::unique_lock Lock(FMutex);
          if (FEnded.wait_for(Lock, Limit, [this] { return FDone; })) return;
          // Straight to the handle: a step that hangs may hold the runtime library's locks.
          static const char Message[] = "Failure: the test did not end within its time\n";
          DWORD Written;
          WriteFile(GetStdHandle(STD_ERROR_HANDLE), Message, sizeof Message - 1, &Written, nullptr);
          TerminateProcess(GetCurrentProcess(), 1);
        }) {}
  TWatchdog(const TWatchdog&) = delete;
  TWatchdog& operator=(const TWatchdog&) = delete;
  ~TWatchdog() {
    {
      std::lock_guard Lock(FMutex);
      FDone = true;
    }
    FEnded.notify_one();
    FThread.join();
  }

 private:
  std::mutex FMutex;
  std::condition_variable FEnded;
  bool FDone = false;
  std::thread FThread;  // last: it reads the members above
};
