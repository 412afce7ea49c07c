// Times adding items one at a time to a shown wide list box against the library's 8-bit list box, in
// the same process, the two taken in turn, best of several rounds; prints the ratio. Both get the same
// text, one that the 8-bit code page holds, so that the window draws the same glyphs for both. Not a test.
// Usage: imports_listbox_bench [item count]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "Imports/UCodeForms.h"
#include "Imports/UCodeStdCtrls.h"
#include "Imports/UCodeSysUtils.h"
#include "classlib/Forms.h"

namespace {

constexpr int Rounds = 7;

std::wstring ItemText(int I) {
  return L"Stra\u00DFe " + std::to_wstring(I);
}

double Milliseconds(const std::function<void()>& Work) {
  const auto Start = std::chrono::steady_clock::now();
  Work();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - Start).count();
}

// A new list box of the class on a shown form, then Count items added one by one.
template <class TBox, class TAdd>
double AddItems(TForm& Form, int Count, TAdd Add) {
  auto* Box = new TBox(&Form);
  Box->SetParent(&Form);
  Box->SetBounds(0, 0, 300, 400);
  Box->HandleNeeded();
  const double Ms = Milliseconds([&] {
    for (int I = 0; I < Count; ++I) Add(Box, I);
  });
  delete Box;
  return Ms;
}

}  // namespace

int main(int argc, char** argv) {
  const int Count = argc > 1 ? std::atoi(argv[1]) : 1000;
  UCodeApplication();
  TForm Form(nullptr);
  Form.SetBounds(40, 40, 320, 440);
  Form.Show();
  double Wide = 1e300, Ansi = 1e300;
  for (int Round = 0; Round < Rounds; ++Round) {
    Ansi = std::min(Ansi, AddItems<TListBox>(Form, Count, [](TListBox* Box, int I) {
                      Box->Items()->Add(WideToAnsi(ItemText(I)));
                    }));
    Wide = std::min(Wide, AddItems<TUCodeListBox>(Form, Count, [](TUCodeListBox* Box, int I) {
                      Box->Items()->Add(ItemText(I));
                    }));
  }
  std::printf("%d items added one at a time to a shown list box, best of %d rounds\n", Count, Rounds);
  std::printf("library 8-bit list box %10.1f ms\nwide list box          %10.1f ms\nratio %.2f\n", Ansi, Wide,
              Wide / Ansi);
  return 0;
}
