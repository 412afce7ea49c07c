#pragma once
// The CPU time the test process has used. A bound on it holds however busy the machine is; a bound on
// wall time fails whenever other programs take the cores.
#include <windows.h>

#include <chrono>

inline std::chrono::duration<double> ProcessCpuTime() {
  FILETIME Creation, Exit, Kernel, User;
  GetProcessTimes(GetCurrentProcess(), &Creation, &Exit, &Kernel, &User);
  auto Ticks = [](const FILETIME& T) {
    return (static_cast<unsigned long long>(T.dwHighDateTime) << 32) | T.dwLowDateTime;
  };
  return std::chrono::duration<double>((Ticks(Kernel) + Ticks(User)) / 1e7);
}

// CPU time used since it was made.
class TCpuStopwatch {
 public:
  std::chrono::duration<double> Elapsed() const { return ProcessCpuTime() - FStart; }

 private:
  std::chrono::duration<double> FStart = ProcessCpuTime();
};
