#include <windows.h>

#include <gtest/gtest.h>

// A crash must end the test program at once instead of waiting on a debugger dialog.
static LONG WINAPI EndOnCrash(EXCEPTION_POINTERS* Info) {
  TerminateProcess(GetCurrentProcess(), Info->ExceptionRecord->ExceptionCode & 0xFF);
  return EXCEPTION_EXECUTE_HANDLER;
}

int main(int argc, char** argv) {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  SetUnhandledExceptionFilter(EndOnCrash);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
