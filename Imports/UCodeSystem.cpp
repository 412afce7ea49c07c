#include "Imports/UCodeSystem.h"

#include <array>
#include <charconv>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "Imports/UCodeSysUtils.h"

UINT DefaultSystemCodePage() {
  static const UINT CodePage = GetACP();
  return CodePage;
}

namespace {

// Saved during start-up, so later callers see the code page the program started with.
[[maybe_unused]] const UINT StartupCodePage = DefaultSystemCodePage();

// ---------------------------------------------------------------------------------------------
// UTF-8

constexpr wchar_t ReplacementChar = 0xFFFD;

bool IsHighSurrogate(wchar_t C) {
  return C >= 0xD800 && C <= 0xDBFF;
}
bool IsLowSurrogate(wchar_t C) {
  return C >= 0xDC00 && C <= 0xDFFF;
}
bool IsContinuation(unsigned char B) {
  return (B & 0xC0) == 0x80;
}

void AppendUTF8(std::string& Out, char32_t Value) {
  auto Put = [&Out](unsigned V) { Out += static_cast<char>(V); };
  if (Value < 0x80) {
    Put(Value);
  } else if (Value < 0x800) {
    Put(0xC0 | (Value >> 6));
    Put(0x80 | (Value & 0x3F));
  } else if (Value < 0x10000) {
    Put(0xE0 | (Value >> 12));
    Put(0x80 | ((Value >> 6) & 0x3F));
    Put(0x80 | (Value & 0x3F));
  } else {
    Put(0xF0 | (Value >> 18));
    Put(0x80 | ((Value >> 12) & 0x3F));
    Put(0x80 | ((Value >> 6) & 0x3F));
    Put(0x80 | (Value & 0x3F));
  }
}

// Length of the sequence a lead byte starts; 0 for a byte that cannot start one.
// F5..F7 are kept as four-byte leads so that such a sequence is rejected as one whole.
size_t UTF8SequenceLength(unsigned char Lead) {
  if (Lead < 0x80) return 1;
  if (Lead < 0xC0) return 0;
  if (Lead < 0xE0) return 2;
  if (Lead < 0xF0) return 3;
  if (Lead < 0xF8) return 4;
  return 0;
}

// Widens the ASCII bytes from In on into Out up to the first other byte, sixteen at a time where the
// processor can, since most of any text is ASCII; returns how many it took.
size_t WidenAscii(const char* In, size_t Count, wchar_t* Out) {
  size_t Done = 0;
#if defined(__SSE2__)
  const __m128i Zero = _mm_setzero_si128();
  for (; Count - Done >= 16; Done += 16) {
    const __m128i Bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(In + Done));
    if (_mm_movemask_epi8(Bytes)) break;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(Out + Done), _mm_unpacklo_epi8(Bytes, Zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(Out + Done + 8), _mm_unpackhi_epi8(Bytes, Zero));
  }
#endif
  for (; Done < Count && !(In[Done] & 0x80); ++Done) Out[Done] = static_cast<wchar_t>(In[Done]);
  return Done;
}

// Writes Value as one unit or a surrogate pair at Out; returns the end of what it wrote.
wchar_t* PutUTF16(wchar_t* Out, char32_t Value) {
  if (Value < 0x10000) {
    *Out++ = static_cast<wchar_t>(Value);
  } else {
    Value -= 0x10000;
    *Out++ = static_cast<wchar_t>(0xD800 + (Value >> 10));
    *Out++ = static_cast<wchar_t>(0xDC00 + (Value & 0x3FF));
  }
  return Out;
}

// Decodes the sequence at S[Pos]; advances Pos past it, or past the lead and its continuation
// bytes when the sequence is broken, so that decoding goes on with the offending byte.
char32_t DecodeUTF8Sequence(std::string_view S, size_t& Pos) {
  static constexpr char32_t MinValue[] = {0, 0, 0x80, 0x800, 0x10000};
  const auto Lead = static_cast<unsigned char>(S[Pos++]);
  const size_t Length = UTF8SequenceLength(Lead);
  if (Length == 1) return Lead;
  if (Length == 0) return ReplacementChar;
  char32_t Value = Lead & (0x7F >> Length);
  for (size_t I = 1; I < Length; ++I) {
    if (Pos >= S.size() || !IsContinuation(static_cast<unsigned char>(S[Pos]))) return ReplacementChar;
    Value = (Value << 6) | (static_cast<unsigned char>(S[Pos++]) & 0x3F);
  }
  // Three-byte surrogates are kept: text made by encoders that code each UTF-16 half alone then reads back.
  if (Value < MinValue[Length] || Value > 0x10FFFF) return ReplacementChar;
  return Value;
}

// ---------------------------------------------------------------------------------------------
// UTF-7

constexpr std::string_view Base64Chars = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::string_view DirectChars =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789'(),-./:?";
constexpr std::string_view OptionalDirectChars = "!\"#$%&*;<=>@[]^_`{|}";
constexpr std::string_view SpaceChars = "\t\r\n ";
constexpr uint16_t NoBase64 = 0xFFFF;

struct TUTF7Tables {
  std::array<uint8_t, 128> MustShiftStrict;
  std::array<uint8_t, 128> MustShiftOptional;
  std::array<uint16_t, 128> InvBase64;
};

TUTF7Tables BuildUTF7Tables() {
  TUTF7Tables T;
  T.MustShiftStrict.fill(1);
  T.InvBase64.fill(NoBase64);
  for (char C : DirectChars) T.MustShiftStrict[static_cast<unsigned char>(C)] = 0;
  for (char C : SpaceChars) T.MustShiftStrict[static_cast<unsigned char>(C)] = 0;
  T.MustShiftOptional = T.MustShiftStrict;
  for (char C : OptionalDirectChars) T.MustShiftOptional[static_cast<unsigned char>(C)] = 0;
  for (size_t I = 0; I < Base64Chars.size(); ++I) {
    T.InvBase64[static_cast<unsigned char>(Base64Chars[I])] = static_cast<uint16_t>(I);
  }
  return T;
}

const TUTF7Tables& UTF7Tables() {
  static const TUTF7Tables Tables = BuildUTF7Tables();
  return Tables;
}

bool IsBase64Char(const TUTF7Tables& T, unsigned Ch) {
  return Ch < 128 && T.InvBase64[Ch] != NoBase64;
}

// A "+" inside a run is the digit 62 when the run read that way ends on whole units with zero
// padding, as every run our encoder writes does; otherwise it closes the run like "-".
bool PlusIsDigitInRun(const TUTF7Tables& T, const char* P, const char* End) {
  uint32_t LastBits = 0;
  size_t Count = 0;
  for (; P < End && IsBase64Char(T, static_cast<unsigned char>(*P)); ++P) {
    LastBits = ((LastBits << 6) | T.InvBase64[static_cast<unsigned char>(*P)]) & 0xFFFF;
    Count += 6;
  }
  return Count >= 16 && (LastBits & ((1u << (Count % 16)) - 1)) == 0;
}

// Bits enter below those already held and leave from the top.
class TBitBuffer {
 public:
  unsigned Count() const { return FCount; }
  void Append(uint32_t Value, unsigned Bits) {
    if (Bits == 0) return;
    FBits |= Value << (32 - FCount - Bits);
    FCount += Bits;
  }
  uint32_t Take(unsigned Bits) {
    if (Bits == 0) return 0;
    const uint32_t Result = FBits >> (32 - Bits);
    FBits = Bits == 32 ? 0 : FBits << Bits;
    FCount -= Bits;
    return Result;
  }

 private:
  uint32_t FBits = 0;
  unsigned FCount = 0;
};

template <typename T>
class TTargetWriter {
 public:
  TTargetWriter(T*& Start, T* End) : FStart(Start), FEnd(End) {}
  bool Full() const { return FStart >= FEnd; }
  bool Put(T Value) {
    if (Full()) return false;
    *FStart++ = Value;
    return true;
  }

 private:
  T*& FStart;
  T* FEnd;
};

}  // namespace

std::string WideStringToUTF8(const std::wstring& S) {
  std::string Result;
  Result.reserve(S.size() * 3);
  for (size_t I = 0; I < S.size(); ++I) {
    const wchar_t C = S[I];
    if (IsHighSurrogate(C) && I + 1 < S.size() && IsLowSurrogate(S[I + 1])) {
      AppendUTF8(Result, 0x10000 + ((char32_t(C) - 0xD800) << 10) + (char32_t(S[I + 1]) - 0xDC00));
      ++I;
    } else {
      AppendUTF8(Result, C);
    }
  }
  return Result;
}

void UTF8ToWide(std::string_view S, std::wstring& Out) {
  Out.resize(S.size());  // never more units than bytes
  wchar_t* At = Out.data();
  size_t Pos = 0;
  while (Pos < S.size()) {
    const size_t Ascii = WidenAscii(S.data() + Pos, S.size() - Pos, At);
    Pos += Ascii;
    At += Ascii;
    if (Pos < S.size()) At = PutUTF16(At, DecodeUTF8Sequence(S, Pos));
  }
  Out.resize(static_cast<size_t>(At - Out.data()));
}

std::wstring UTF8ToWideString(const std::string& S) {
  std::wstring Result;
  UTF8ToWide(S, Result);
  return Result;
}

TConversionResult ConvertUCS2ToUTF7(const wchar_t*& SourceStart, const wchar_t* SourceEnd, char*& TargetStart,
                                    char* TargetEnd, bool Optional, bool Verbose) {
  const TUTF7Tables& T = UTF7Tables();
  const auto& MustShift = Optional ? T.MustShiftOptional : T.MustShiftStrict;
  TTargetWriter<char> Target(TargetStart, TargetEnd);
  TBitBuffer Buffer;
  bool Shifted = false;
  bool Done = false;
  while (!Done) {
    Done = SourceStart >= SourceEnd;
    const wchar_t R = Done ? 0 : *SourceStart++;
    const bool NeedShift = !Done && (R > 127 || MustShift[R]);
    if (NeedShift && !Shifted) {
      if (!Target.Put('+')) return crTargetExhausted;
      if (R == L'+') {
        if (!Target.Put('-')) return crTargetExhausted;
      } else {
        Shifted = true;
      }
    }
    if (Shifted) {
      if (NeedShift) {
        Buffer.Append(R, 16);
      } else {
        Buffer.Append(0, (6 - Buffer.Count() % 6) % 6);
      }
      while (Buffer.Count() >= 6) {
        if (!Target.Put(Base64Chars[Buffer.Take(6)])) return crTargetExhausted;
      }
      if (!NeedShift) {
        if (Verbose || (!Done && (IsBase64Char(T, R) || R == L'-'))) {
          if (!Target.Put('-')) return crTargetExhausted;
        }
        Shifted = false;
      }
    }
    if (!NeedShift && !Done) {
      if (!Target.Put(static_cast<char>(R))) return crTargetExhausted;
    }
  }
  return crOk;
}

TConversionResult ConvertUTF7ToUCS2(const char*& SourceStart, const char* SourceEnd, wchar_t*& TargetStart,
                                    wchar_t* TargetEnd) {
  const TUTF7Tables& T = UTF7Tables();
  TTargetWriter<wchar_t> Target(TargetStart, TargetEnd);
  TBitBuffer Buffer;
  TConversionResult Result = crOk;
  bool Shifted = false;
  bool First = false;
  bool PlusIsDigit = false;
  bool WroteOne = false;
  bool Done = false;
  auto Next = [&](unsigned& Ch) {
    Done = SourceStart >= SourceEnd;
    Ch = Done ? 0 : static_cast<unsigned char>(*SourceStart++);
  };
  while (!Done) {
    unsigned Ch;
    Next(Ch);
    if (Shifted) {
      const bool EndOfRun = Done || !IsBase64Char(T, Ch) || (Ch == '+' && !PlusIsDigit);
      if (EndOfRun) {
        Shifted = false;
        if (!Done && (Ch == '+' || Ch == '-')) {
          // The byte that ends the run is consumed; the one after it is read as a direct character.
          const unsigned P = Ch;
          Next(Ch);
          if (First && P == '-') {
            if (!Target.Put(L'+')) return crTargetExhausted;
          } else if (!WroteOne) {
            Result = crSourceIllegal;
          }
        } else if (!WroteOne) {
          Result = crSourceIllegal;
        }
      } else {
        Buffer.Append(T.InvBase64[Ch], 6);
        First = false;
      }
      while (Buffer.Count() >= 16 && !Target.Full()) {
        Target.Put(static_cast<wchar_t>(Buffer.Take(16)));
        WroteOne = true;
      }
      if (Buffer.Count() >= 16) return crTargetExhausted;
      if (EndOfRun && Buffer.Take(Buffer.Count()) != 0) Result = crSourceIllegal;
    }
    if (!Shifted && !Done) {
      if (Ch == '+') {
        Shifted = true;
        First = true;
        PlusIsDigit = PlusIsDigitInRun(T, SourceStart, SourceEnd);
        WroteOne = false;
      } else {
        if (Ch > 127) Result = crSourceIllegal;
        if (!Target.Put(static_cast<wchar_t>(Ch))) return crTargetExhausted;
      }
    }
  }
  return Result;
}

std::string WideStringToUTF7(const std::wstring& S) {
  if (S.empty()) return {};
  std::string Result(S.size() * 7, '\0');
  const wchar_t* Source = S.data();
  char* Target = Result.data();
  if (ConvertUCS2ToUTF7(Source, S.data() + S.size(), Target, Result.data() + Result.size(), true, false) !=
      crOk) {
    throw EUCodeInternalError(L"Buffer overflow");
  }
  Result.resize(Target - Result.data());
  return Result;
}

std::wstring UTF7ToWideString(const std::string& S) {
  if (S.empty()) return {};
  std::wstring Result(S.size(), L'\0');
  const char* Source = S.data();
  wchar_t* Target = Result.data();
  switch (ConvertUTF7ToUCS2(Source, S.data() + S.size(), Target, Result.data() + Result.size())) {
    case crSourceIllegal:
      throw EUCodeGeneralError(L"Invalid UTF7");
    case crTargetExhausted:
      throw EUCodeInternalError(L"Buffer overflow");
    case crOk:
      break;
  }
  Result.resize(Target - Result.data());
  return Result;
}

std::wstring CodePageToWideString(const std::string& S, UINT CodePage) {
  if (CodePage == CP_UTF7) return UTF7ToWideString(S);
  if (CodePage == CP_UTF8) return UTF8ToWideString(S);
  const int Size = static_cast<int>(S.size());
  const int Length = MultiByteToWideChar(CodePage, 0, S.data(), Size, nullptr, 0);
  if (Length <= 0) return {};
  std::wstring Result(Length, L'\0');
  Result.resize(MultiByteToWideChar(CodePage, 0, S.data(), Size, Result.data(), Length));
  return Result;
}

std::string WideStringToCodePage(const std::wstring& S, UINT CodePage) {
  if (CodePage == CP_UTF7) return WideStringToUTF7(S);
  if (CodePage == CP_UTF8) return WideStringToUTF8(S);
  const int Size = static_cast<int>(S.size());
  const int Length = WideCharToMultiByte(CodePage, 0, S.data(), Size, nullptr, 0, nullptr, nullptr);
  if (Length <= 0) return {};
  std::string Result(Length, '\0');
  Result.resize(WideCharToMultiByte(CodePage, 0, S.data(), Size, Result.data(), Length, nullptr, nullptr));
  return Result;
}

UINT LCIDToCodePage(LCID Locale) {
  char Buffer[6];
  const int Length = GetLocaleInfoA(Locale, LOCALE_IDEFAULTANSICODEPAGE, Buffer, sizeof Buffer);
  if (Length > 1) {
    const char* End = Buffer + Length - 1;  // without the terminating zero
    UINT CodePage = 0;
    const auto [Ptr, Error] = std::from_chars(Buffer, End, CodePage);
    if (Error == std::errc() && Ptr == End) return CodePage;
  }
  return GetACP();
}

UINT KeyboardCodePage() {
  const auto Layout = reinterpret_cast<UINT_PTR>(GetKeyboardLayout(0));
  return LCIDToCodePage(static_cast<LCID>(Layout & 0xFFFF));
}

wchar_t KeyCharToWide(uint16_t Key) {
  if (Key >= 256) return static_cast<wchar_t>(Key);
  const char Byte = static_cast<char>(Key);
  wchar_t Result = 0;  // stays 0 when the keyboard's code page has no character for the byte
  MultiByteToWideChar(KeyboardCodePage(), MB_USEGLYPHCHARS, &Byte, 1, &Result, 1);
  return Result;
}

void SwapWideByteOrder(std::wstring& S) {
  for (wchar_t& C : S) C = static_cast<wchar_t>((C >> 8) | (C << 8));
}

const wchar_t* NextCommandLineParam(const wchar_t* P, std::wstring& Param) {
  for (;;) {
    while (*P >= 1 && *P <= L' ') ++P;
    if (P[0] != L'"' || P[1] != L'"') break;
    P += 2;  // "" alone names nothing, so it is skipped rather than returned as an empty parameter
  }
  Param.clear();
  while (*P > L' ') {
    if (*P == L'"') {
      ++P;
      while (*P != 0 && *P != L'"') Param += *P++;
      if (*P != 0) ++P;
    } else {
      Param += *P++;
    }
  }
  return P;
}

std::vector<std::wstring> WideCommandLineParams(const std::wstring& CmdLine) {
  std::vector<std::wstring> Params;
  std::wstring Param;
  for (const wchar_t* P = CmdLine.c_str(); *P;) {
    P = NextCommandLineParam(P, Param);
    if (!Param.empty()) Params.push_back(Param);  // only blanks after the last one
  }
  return Params;
}

std::wstring WideParamStr(int Index) {
  if (Index == 0) return WideGetModuleFileName(nullptr);
  std::wstring Param;
  const wchar_t* P = GetCommandLineW();
  for (;;) {
    P = NextCommandLineParam(P, Param);
    if (Index == 0 || Param.empty()) break;
    --Index;
  }
  return Param;
}
