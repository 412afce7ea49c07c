#pragma once
// The case being checked, named under every failure inside the scope, as SCOPED_TRACE does. GoogleTest's
// own trace lives in its per-thread storage, which starts a thread that waits for the program's end;
// 32-bit Wine sometimes crashes killing that thread in the exit of a program whose tests all passed.
// SUCCEED() and GTEST_SKIP() start it too.
#include <gtest/gtest.h>

#include <string>

class TTraceScope {
 public:
  TTraceScope(const char* File, int Line, std::string Text);
  ~TTraceScope();
  TTraceScope(const TTraceScope&) = delete;
  TTraceScope& operator=(const TTraceScope&) = delete;
};

// The listener that writes the open traces under each failure; the test main adds it.
void AddTracePrinter();

#define TRACE_CASE(message)                                     \
  const TTraceScope GTEST_CONCAT_TOKEN_(TraceScope_, __LINE__)( \
      __FILE__, __LINE__, (::testing::Message() << (message)).GetString())
