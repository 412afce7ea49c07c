#include "audio/TagText.h"

#include <climits>

#include "classlib/SysUtils.h"

template <typename S>
static S TrimBelow33(const S& Text) {
  size_t First = 0, Last = Text.size();
  while (First < Last && static_cast<uint32_t>(Text[First]) < 33) ++First;
  while (Last > First && static_cast<uint32_t>(Text[Last - 1]) < 33) --Last;
  return Text.substr(First, Last - First);
}

std::wstring TrimTagText(const std::wstring& S) {
  return TrimBelow33(S);
}

// Bytes compare unsigned, so 0x80 and above are kept.
std::string TrimTagBytes(const std::string& S) {
  size_t First = 0, Last = S.size();
  while (First < Last && static_cast<uint8_t>(S[First]) < 33) ++First;
  while (Last > First && static_cast<uint8_t>(S[Last - 1]) < 33) --Last;
  return S.substr(First, Last - First);
}

std::wstring CutAtNul(const std::wstring& S) {
  return S.substr(0, S.find(L'\0'));
}

int DecimalOrDefault(const std::wstring& S, int Default) {
  size_t I = 0;
  bool Negative = false;
  if (I < S.size() && (S[I] == L'-' || S[I] == L'+')) Negative = S[I++] == L'-';
  if (I == S.size()) return Default;
  long long Value = 0;
  for (; I < S.size(); ++I) {
    if (S[I] < L'0' || S[I] > L'9') return Default;
    Value = Value * 10 + (S[I] - L'0');
    if (Value > static_cast<long long>(INT_MAX) + 1) return Default;
  }
  if (Negative) Value = -Value;
  if (Value > INT_MAX) return Default;
  return static_cast<int>(Value);
}

uint16_t GetLE16(const uint8_t* P) {
  return static_cast<uint16_t>(P[0] | P[1] << 8);
}
uint32_t GetLE32(const uint8_t* P) {
  return GetLE16(P) | static_cast<uint32_t>(GetLE16(P + 2)) << 16;
}
uint64_t GetLE64(const uint8_t* P) {
  return GetLE32(P) | static_cast<uint64_t>(GetLE32(P + 4)) << 32;
}
uint32_t GetBE24(const uint8_t* P) {
  return static_cast<uint32_t>(P[0]) << 16 | P[1] << 8 | P[2];
}
uint32_t GetBE32(const uint8_t* P) {
  return static_cast<uint32_t>(P[0]) << 24 | GetBE24(P + 1);
}

const uint8_t* TByteReader::Take(size_t Count) {
  if (Count > Left()) throw EReadError(std::wstring(L"Stream read error"));
  const uint8_t* P = FData + FPos;
  FPos += Count;
  return P;
}

std::string TByteReader::Bytes(size_t Count) {
  const uint8_t* P = Take(Count);
  return std::string(reinterpret_cast<const char*>(P), Count);
}

std::wstring TByteReader::WideLE(size_t Count) {
  const uint8_t* P = Take(Count * 2);
  std::wstring Text(Count, L'\0');
  for (size_t I = 0; I < Count; ++I) Text[I] = static_cast<wchar_t>(GetLE16(P + 2 * I));
  return Text;
}
