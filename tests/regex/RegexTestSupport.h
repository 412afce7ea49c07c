#pragma once
// Helpers shared by the regex tests: an object that records its error codes, and a one-call match.
#include <optional>
#include <string>
#include <vector>

#include "regex/WideRegex.h"

class TRecordingRegex : public TWideRegex {
 public:
  void Error(int Code) override { Codes.push_back(Code); }
  bool Saw(int Code) const {
    for (int C : Codes)
      if (C == Code) return true;
    return false;
  }
  std::vector<int> Codes;
};

// The whole match of Pattern in Input, or nullopt when there is none.
inline std::optional<std::wstring> FirstMatch(const std::wstring& Pattern, const std::wstring& Input) {
  TRecordingRegex R;
  R.SetExpression(Pattern);
  if (!R.Exec(Input)) return std::nullopt;
  return R.Match(0);
}

inline std::wstring Repeat(const std::wstring& Part, size_t Count) {
  std::wstring S;
  S.reserve(Part.size() * Count);
  for (size_t I = 0; I < Count; ++I) S += Part;
  return S;
}
