#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "tests/support/Trace.h"

// A crash must end the test program at once instead of waiting on a debugger dialog, and leave a trace
// in the test's output: the code and the place, as a module and an offset for addr2line.
static LONG WINAPI EndOnCrash(EXCEPTION_POINTERS* Info) {
  const EXCEPTION_RECORD& Record = *Info->ExceptionRecord;
  const auto Address = reinterpret_cast<const char*>(Record.ExceptionAddress);
  HMODULE Module = nullptr;
  char Name[MAX_PATH] = "?";
  if (GetModuleHandleExA(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT, Address,
          &Module))
    GetModuleFileNameA(Module, Name, MAX_PATH);
  const auto Offset = Module ? Address - reinterpret_cast<const char*>(Module) : 0;
  std::fprintf(stderr, "Crash: exception 0x%08lX at %s+0x%llX\n", Record.ExceptionCode, Name,
               static_cast<unsigned long long>(Offset));
  std::fflush(stderr);
  TerminateProcess(GetCurrentProcess(), Record.ExceptionCode & 0xFF);
  return EXCEPTION_EXECUTE_HANDLER;
}

int main(int argc, char** argv) {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  SetUnhandledExceptionFilter(EndOnCrash);
  testing::InitGoogleTest(&argc, argv);
  AddTracePrinter();
  return RUN_ALL_TESTS();
}
