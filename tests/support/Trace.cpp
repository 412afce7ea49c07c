#include "tests/support/Trace.h"

#include <cstdio>
#include <vector>

namespace {

struct TTrace {
  const char* File;
  int Line;
  std::string Text;
};

thread_local std::vector<TTrace> Traces;

class TTracePrinter : public testing::EmptyTestEventListener {
  void OnTestPartResult(const testing::TestPartResult& Result) override {
    if (!Result.failed() || Traces.empty()) return;
    std::printf("Trace:\n");
    for (auto T = Traces.rbegin(); T != Traces.rend(); ++T)
      std::printf("%s:%d: %s\n", T->File, T->Line, T->Text.c_str());
    std::fflush(stdout);
  }
};

}  // namespace

TTraceScope::TTraceScope(const char* File, int Line, std::string Text) {
  Traces.push_back({File, Line, std::move(Text)});
}

TTraceScope::~TTraceScope() {
  Traces.pop_back();
}

void AddTracePrinter() {
  testing::UnitTest::GetInstance()->listeners().Append(new TTracePrinter);
}
