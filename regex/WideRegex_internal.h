#pragma once
// What the parts of the regular-expression engine share beside the class: limits, the compiler's flags, the
// kinds of backtrack entries and small helpers over characters and program cells.
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cwchar>
#include <string>

#include "regex/WideRegex.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace WideRegexParts {

static_assert(sizeof(wchar_t) == 2, "program cells and UTF-16 text share the 16-bit type");

inline constexpr wchar_t kMagic = 216;
inline constexpr int kNoNode = -1;
inline constexpr int kCountingNode = 0;  // what the sizing pass hands out as a node
inline constexpr int32_t kMaxLoopCount = 0x7FFFFFFE;
inline constexpr int32_t kMaxSimpleCount = 0x7FFFFFFF;
inline constexpr int kMaxCountDigits = 8;
inline constexpr int kMaxInput = 0x3FFFFFFF;  // positions stay far from int overflow
// Budget per search: enough for linear work on any text, small enough that runaway
// backtracking on a song's text ends within milliseconds.
inline constexpr int64_t kStepBase = 1000000;
inline constexpr int64_t kStepsPerChar = 64;
inline constexpr size_t kMaxBacktrackEntries = size_t{1} << 23;
inline constexpr size_t kKeptBacktrackEntries = size_t{1} << 16;
// Remembering failed states pays once a search backtracks more than a linear one would; it keeps to a
// small part of the backtrack stack and a bounded table, beyond which states are simply not remembered.
inline constexpr int64_t kMemoBase = 64;
inline constexpr int64_t kMemoPerChar = 2;
inline constexpr size_t kMemoStackEntries = size_t{1} << 16;
inline constexpr size_t kMemoFirstSlots = size_t{1} << 10;
inline constexpr size_t kMemoMaxSlots = size_t{1} << 18;
inline constexpr uint32_t kNoFrame = 0xFFFFFFFF;
inline constexpr int32_t kSpentCounter = 0x7FFFFFFE;  // a counter that can decide nothing more
inline constexpr int32_t kMaxKeptCounter = 1 << 30;
inline constexpr int64_t kNoLoopAhead = int64_t{1} << 40;
inline constexpr int kMaxWidthDepth = 1000;
// Programs up to this size keep every cell's next node in a table for the matcher.
inline constexpr size_t kMaxNextTable = size_t{1} << 16;
// Sets with wide ranges cost a cell per member; this keeps the cell count and offsets in range.
inline constexpr int kMaxProgramCells = 1 << 24;

// Compiler flags.
inline constexpr int pfHasWidth = 1;
inline constexpr int pfSimple = 2;
inline constexpr int pfStartsWithRepeat = 4;

// Outcomes of reading a brace quantifier.
enum { kNotQuantifier, kQuantifier };

// Kinds of backtrack entries: choices resume matching, the others undo one change.
enum {
  ekBranch,
  ekRepeatGreedy,
  ekRepeatLazy,
  ekLoopExit,
  ekLoopIterate,
  ekGroupStart,
  ekGroupEnd,
  ekLoopSet,
  ekLoopPush,
  ekLoopPop,
  ekMemo,
};

// How the state at a node is remembered.
enum : uint8_t {
  kNotRemembered,
  kRememberRounds,  // with whether each loop's current round is still empty
  kRememberCounts,  // every way on to a loop node consumes input, so empty rounds cannot matter here
};

inline size_t RegStrLen(const wchar_t* S) {
  return std::wcslen(S);
}

inline const wchar_t* RegStrScan(const wchar_t* S, wchar_t C) {
  if (C == 0) return nullptr;
  for (; *S; ++S)
    if (*S == C) return S;
  return nullptr;
}

inline int RegStrCSpn(const wchar_t* S, const wchar_t* Stops) {
  int N = 0;
  while (S[N] && !RegStrScan(Stops, S[N])) ++N;
  return N;
}

inline int32_t ReadInt32(const wchar_t* P) {
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint16_t>(P[0])) |
                              (static_cast<uint32_t>(static_cast<uint16_t>(P[1])) << 16));
}

inline void WriteInt32(wchar_t* P, int32_t Value) {
  const auto U = static_cast<uint32_t>(Value);
  P[0] = static_cast<wchar_t>(U & 0xFFFF);
  P[1] = static_cast<wchar_t>(U >> 16);
}

inline bool IsDigit(wchar_t C) {
  return C >= L'0' && C <= L'9';
}
inline bool IsXSpace(wchar_t C) {
  return C == L' ' || C == L'\t' || C == L'\r' || C == L'\n';
}
inline bool IsQuantifierChar(wchar_t C) {
  return C == L'*' || C == L'+' || C == L'?' || C == L'{';
}

// Points at the "}" when P starts {n}, {n,} or {n,m}; nullptr when the brace is a literal.
inline const wchar_t* BraceQuantifierEnd(const wchar_t* P) {
  const wchar_t* Q = P + 1;
  while (IsDigit(*Q)) ++Q;
  if (Q == P + 1 || (*Q != L'}' && *Q != L',')) return nullptr;
  if (*Q == L',') {
    ++Q;
    while (IsDigit(*Q)) ++Q;
    if (*Q != L'}') return nullptr;
  }
  return Q;
}

inline constexpr const wchar_t* ModifierLetters = L"irsgmx";

inline bool IsGroupMark(int Code) {
  constexpr int Groups = opGroupClose - opGroupOpen;
  return (Code > opGroupOpen && Code < opGroupClose) || (Code > opGroupClose && Code < opGroupClose + Groups);
}

// Nodes that only mark or explain and never test the input.
inline bool ConsumesNothing(int Code) {
  return Code == opComment || Code == opNothing || IsGroupMark(Code);
}

// Nodes that test the input without consuming any of it.
inline bool IsAssertion(int Code) {
  return Code == opLineStart || Code == opLineEnd || Code == opLineStartML || Code == opLineEndML ||
         Code == opWordBoundary || Code == opNonWordBoundary;
}

// The first of P..End-1 that is A or B, else End; eight characters at a time where the processor can.
inline const wchar_t* FindEither(const wchar_t* P, const wchar_t* End, wchar_t A, wchar_t B) {
#if defined(__SSE2__)
  const __m128i WantA = _mm_set1_epi16(static_cast<short>(A));
  const __m128i WantB = _mm_set1_epi16(static_cast<short>(B));
  for (; End - P >= 8; P += 8) {
    const __m128i Chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(P));
    const int Hits =
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi16(Chunk, WantA), _mm_cmpeq_epi16(Chunk, WantB)));
    if (Hits) return P + __builtin_ctz(static_cast<unsigned>(Hits)) / 2;
  }
#endif
  for (; P < End; ++P)
    if (*P == A || *P == B) return P;
  return End;
}

// Whether two strings are equal, eight characters at a time where the processor can: every search
// compares the public character sets with the tables made from them.
inline bool SameChars(const std::wstring& A, const std::wstring& B) {
  if (A.size() != B.size()) return false;
  const wchar_t* P = A.data();
  const wchar_t* Q = B.data();
  const wchar_t* End = P + A.size();
#if defined(__SSE2__)
  for (; End - P >= 8; P += 8, Q += 8) {
    const __m128i X = _mm_loadu_si128(reinterpret_cast<const __m128i*>(P));
    const __m128i Y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Q));
    if (_mm_movemask_epi8(_mm_cmpeq_epi16(X, Y)) != 0xFFFF) return false;
  }
#endif
  return std::equal(P, End, Q);
}

inline bool IsSimpleRepeat(int Code) {
  return Code == opStar || Code == opPlus || Code == opRepeat || Code == opStarLazy || Code == opPlusLazy ||
         Code == opRepeatLazy;
}

// The plan's walk over the program gives up beyond these (deep nesting, many empty alternatives).
inline constexpr int kMaxPlanDepth = 64;
inline constexpr int kMaxPlanVisits = 4096;

// The platform's answers for the 128 ASCII characters never change: ask once.
inline const std::array<wchar_t, 128>& AsciiOtherCase() {
  static const std::array<wchar_t, 128> Table = [] {
    std::array<wchar_t, 128> T{};
    for (int I = 0; I < 128; ++I) {
      const auto Char = reinterpret_cast<LPSTR>(static_cast<ULONG_PTR>(I));
      const auto Upper = static_cast<int>(reinterpret_cast<ULONG_PTR>(CharUpperA(Char)));
      const auto Lower = static_cast<int>(reinterpret_cast<ULONG_PTR>(CharLowerA(Char)));
      T[I] = static_cast<wchar_t>(((Upper & 0xFF) != I ? Upper : Lower) & 0xFF);
    }
    return T;
  }();
  return Table;
}

}  // namespace WideRegexParts
