#pragma once
// Small helpers that every tag reader shares: trimming, numbers, and bounded reading of bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using TBuffer = std::vector<uint8_t>;

// Removes every character below 33 (blank and control characters, U+0000 included) at both ends.
std::wstring TrimTagText(const std::wstring& S);
std::string TrimTagBytes(const std::string& S);
// The text up to its first U+0000.
std::wstring CutAtNul(const std::wstring& S);
// A decimal integer with an optional sign; Default when S is not one or does not fit.
int DecimalOrDefault(const std::wstring& S, int Default);

uint16_t GetLE16(const uint8_t* P);
uint32_t GetLE32(const uint8_t* P);
uint64_t GetLE64(const uint8_t* P);
uint32_t GetBE24(const uint8_t* P);
uint32_t GetBE32(const uint8_t* P);

// Reads from a byte block; every read beyond its end raises EReadError, so a size taken from a file
// can never lead outside the data that was read.
class TByteReader {
 public:
  TByteReader(const uint8_t* Data, size_t Size) : FData(Data), FSize(Size) {}
  explicit TByteReader(const TBuffer& Data) : TByteReader(Data.data(), Data.size()) {}

  size_t Position() const { return FPos; }
  size_t Left() const { return FSize - FPos; }
  const uint8_t* Take(size_t Count);  // the next Count bytes
  void Skip(size_t Count) { Take(Count); }
  uint8_t Byte() { return *Take(1); }
  uint16_t LE16() { return GetLE16(Take(2)); }
  uint32_t LE32() { return GetLE32(Take(4)); }
  // Count bytes as 8-bit text, or Count UTF-16LE characters.
  std::string Bytes(size_t Count);
  std::wstring WideLE(size_t Count);

 private:
  const uint8_t* FData;
  size_t FSize;
  size_t FPos = 0;
};
