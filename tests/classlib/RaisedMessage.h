#pragma once
// The message of the exception of class E that Call raises, or "(no error)".
#include <string>

template <class E, class F>
std::wstring MessageOf(F Call) {
  try {
    Call();
  } catch (const E& Error) {
    return Error.Message();
  }
  return L"(no error)";
}
