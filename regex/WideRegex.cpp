#include "regex/WideRegex.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cwchar>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

bool DefaultModifierI = true;
bool DefaultModifierR = false;
bool DefaultModifierS = true;
bool DefaultModifierG = false;
bool DefaultModifierM = true;
const std::wstring DefaultSpaceSet = L" \t\n\r\f";
const std::wstring DefaultWordSet =
    L"0123456789a\u00E4bcdefghijklmno\u00F6pqrs\u00DFtu\u00FCvwxyz"
    L"A\u00C4BCDEFGHIJKLMNO\u00D6PQRSTU\u00DCVWXYZ_";
const std::wstring DefaultLineBreakSet = L"\r\n\v\f\u2028\u2029\u0085";
const std::wstring DefaultLinePairedSeparator = L"\r\n";

const wchar_t WideRegexMetaChars[] = L"^$.[()|?+*\\{";
const wchar_t RussianLowerLetters[] =
    L"\u0430\u0431\u0432\u0433\u0434\u0435\u0451\u0436\u0437\u0438\u0439\u043A\u043B\u043C\u043D\u043E\u043F"
    L"\u0440\u0441\u0442\u0443\u0444\u0445\u0446\u0447\u0448\u0449\u044A\u044B\u044C\u044D\u044E\u044F";
const wchar_t RussianUpperLetters[] =
    L"\u0410\u0411\u0412\u0413\u0414\u0415\u0401\u0416\u0417\u0418\u0419\u041A\u041B\u041C\u041D\u041E\u041F"
    L"\u0420\u0421\u0422\u0423\u0424\u0425\u0426\u0427\u0428\u0429\u042A\u042B\u042C\u042D\u042E\u042F";

std::wstring WideRegexLanguage = L"de";

namespace {

static_assert(sizeof(wchar_t) == 2, "program cells and UTF-16 text share the 16-bit type");

constexpr wchar_t kMagic = 216;
constexpr int kNoNode = -1;
constexpr int kCountingNode = 0;  // what the sizing pass hands out as a node
constexpr int32_t kMaxLoopCount = 0x7FFFFFFE;
constexpr int32_t kMaxSimpleCount = 0x7FFFFFFF;
constexpr int kMaxCountDigits = 8;
constexpr int kMaxInput = 0x3FFFFFFF;  // positions stay far from int overflow
// Budget per search: enough for linear work on any text, small enough that runaway
// backtracking on a song's text ends within milliseconds.
constexpr int64_t kStepBase = 1000000;
constexpr int64_t kStepsPerChar = 64;
constexpr size_t kMaxBacktrackEntries = size_t{1} << 23;
constexpr size_t kKeptBacktrackEntries = size_t{1} << 16;
// Remembering failed states pays once a search backtracks more than a linear one would; it keeps to a
// small part of the backtrack stack and a bounded table, beyond which states are simply not remembered.
constexpr int64_t kMemoBase = 64;
constexpr int64_t kMemoPerChar = 2;
constexpr size_t kMemoStackEntries = size_t{1} << 16;
constexpr size_t kMemoFirstSlots = size_t{1} << 10;
constexpr size_t kMemoMaxSlots = size_t{1} << 18;
constexpr uint32_t kNoFrame = 0xFFFFFFFF;
constexpr int32_t kSpentCounter = 0x7FFFFFFE;  // a counter that can decide nothing more
constexpr int32_t kMaxKeptCounter = 1 << 30;
constexpr int64_t kNoLoopAhead = int64_t{1} << 40;
constexpr int kMaxWidthDepth = 1000;
// Programs up to this size keep every cell's next node in a table for the matcher.
constexpr size_t kMaxNextTable = size_t{1} << 16;
// Sets with wide ranges cost a cell per member; this keeps the cell count and offsets in range.
constexpr int kMaxProgramCells = 1 << 24;

// Compiler flags.
constexpr int pfHasWidth = 1;
constexpr int pfSimple = 2;
constexpr int pfStartsWithRepeat = 4;

// Outcomes of reading a brace quantifier.
enum { kNotQuantifier, kQuantifier, kBadQuantifier };

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

size_t RegStrLen(const wchar_t* S) {
  return std::wcslen(S);
}

const wchar_t* RegStrScan(const wchar_t* S, wchar_t C) {
  if (C == 0) return nullptr;
  for (; *S; ++S)
    if (*S == C) return S;
  return nullptr;
}

int RegStrCSpn(const wchar_t* S, const wchar_t* Stops) {
  int N = 0;
  while (S[N] && !RegStrScan(Stops, S[N])) ++N;
  return N;
}

int32_t ReadInt32(const wchar_t* P) {
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint16_t>(P[0])) |
                              (static_cast<uint32_t>(static_cast<uint16_t>(P[1])) << 16));
}

void WriteInt32(wchar_t* P, int32_t Value) {
  const auto U = static_cast<uint32_t>(Value);
  P[0] = static_cast<wchar_t>(U & 0xFFFF);
  P[1] = static_cast<wchar_t>(U >> 16);
}

bool IsDigit(wchar_t C) {
  return C >= L'0' && C <= L'9';
}
bool IsXSpace(wchar_t C) {
  return C == L' ' || C == L'\t' || C == L'\r' || C == L'\n';
}
bool IsQuantifierChar(wchar_t C) {
  return C == L'*' || C == L'+' || C == L'?' || C == L'{';
}

// Points at the "}" when P starts {n}, {n,} or {n,m}; nullptr when the brace is a literal.
const wchar_t* BraceQuantifierEnd(const wchar_t* P) {
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

bool StartsQuantifier(const wchar_t* P) {
  return *P == L'*' || *P == L'+' || *P == L'?' || (*P == L'{' && BraceQuantifierEnd(P));
}

const wchar_t* ModifierLetters = L"irsgmx";

bool IsGroupMark(int Code) {
  constexpr int Groups = opGroupClose - opGroupOpen;
  return (Code > opGroupOpen && Code < opGroupClose) || (Code > opGroupClose && Code < opGroupClose + Groups);
}

// Nodes that only mark or explain and never test the input.
bool ConsumesNothing(int Code) {
  return Code == opComment || Code == opNothing || IsGroupMark(Code);
}

// Nodes that test the input without consuming any of it.
bool IsAssertion(int Code) {
  return Code == opLineStart || Code == opLineEnd || Code == opLineStartML || Code == opLineEndML ||
         Code == opWordBoundary || Code == opNonWordBoundary;
}

// The first of P..End-1 that is A or B, else End; eight characters at a time where the processor can.
const wchar_t* FindEither(const wchar_t* P, const wchar_t* End, wchar_t A, wchar_t B) {
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
bool SameChars(const std::wstring& A, const std::wstring& B) {
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

bool IsSimpleRepeat(int Code) {
  return Code == opStar || Code == opPlus || Code == opRepeat || Code == opStarLazy || Code == opPlusLazy ||
         Code == opRepeatLazy;
}

// The plan's walk over the program gives up beyond these (deep nesting, many empty alternatives).
constexpr int kMaxPlanDepth = 64;
constexpr int kMaxPlanVisits = 4096;

// The platform's answers for the 128 ASCII characters never change: ask once.
const std::array<wchar_t, 128>& AsciiOtherCase() {
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

}  // namespace

// ---------------------------------------------------------------------------------------------
// Object, settings and error texts

TWideRegex::TWideRegex()
    : SpaceSet(DefaultSpaceSet),
      WordSet(DefaultWordSet),
      LineBreakSet(DefaultLineBreakSet),
      CaseInverter(&TWideRegex::DefaultInvertCase),
      FAsciiOther(AsciiOtherCase().data()) {
  ClearMatchPositions();
  SetModifier(1, DefaultModifierI);
  SetModifier(2, DefaultModifierR);
  SetModifier(3, DefaultModifierS);
  SetModifier(4, DefaultModifierG);
  SetModifier(5, DefaultModifierM);
  SetLinePairedSeparator(DefaultLinePairedSeparator);
}

void TWideRegex::Error(int) {}

std::wstring TWideRegex::ErrorMsg(int Code) const {
  struct TText {
    int Code;
    const wchar_t* English;
    const wchar_t* German;
  };
  static const TText Texts[] = {
      {0, L"No Errors", L"Keine Fehler"},
      {reeCompNullArgument, L"Null Argument", L"Null Argument"},
      {reeCompTooBig, L"RegExp Too Big", L"RegExp zu lang"},
      {reeCompTooManyGroups, L"Too Many ()", L"Zu viele ()"},
      {reeCompUnmatchedGroup, L"Unmatched ()", L"Fehlende Klammer ()"},
      {reeCompUnmatchedClose, L"Unmatched ()", L"Fehlende Klammer ()"},
      {reeCompJunkOnEnd, L"Junk On End", L"Fehlerhaftes Ende"},
      {reeCompOperandCouldBeEmpty, L"*+ Operand Could Be Empty", L"*+ Operant kann leer sein"},
      {reeCompNestedQuantifier, L"Nested *?+", L"Verschachteltes *?+"},
      {reeCompBadHexDigit, L"Bad Hex Digit", L"Falsche HEX Zahl"},
      {reeCompInvalidRange, L"Invalid [] Range", L"Invalide Menge []"},
      {reeCompTrailingBackslashInSet, L"Trailing \\", L"Abschlie\u00DFendes \\"},
      {reeCompNoHexCodeAfterX, L"No Hex Code After \\x", L"Kein HEX Code nach \\x"},
      {reeCompHexCodeTooBig, L"Hex Code After \\x Too Big", L"HEX Code nach \\x zu gro\u00DF"},
      {reeCompUnmatchedSet, L"Unmatched []", L"Fehlende Klammer []"},
      {reeCompAtomInternal, L"Internal Urp", L"Internal Urp"},
      {reeCompQuantifierFollowsNothing, L"?+*{ Follows Nothing", L"?+*{ folgt nichts"},
      {reeCompTrailingBackslash, L"Trailing \\", L"Abschlie\u00DFendes \\"},
      {reeCompEmptyLiteral, L"RarseAtom Internal Disaster", L"RarseAtom Internal Disaster"},
      {reeCompBracesTooBig, L"Braces Argument Too Big", L"Quantor {} zu gro\u00DF"},
      {reeCompBraceMinAboveMax, L"Brace Min Param Greater then Max",
       L"Min-Quantor gr\u00F6\u00DFer als Max-Quantor"},
      {reeCompUnclosedComment, L"Unclosed (?#Comment)", L"Ungeschlossener (?#Kommentar)"},
      {reeCompUnknownModifier, L"Urecognized Modifier", L"Unbekannter Modifikator"},
      {reeBadLinePairedSeparator, L"LinePairedSeparator must countain two different chars or no chars at all",
       L"LinePairedSeparator muss zwei verschiedene oder kein Char enthalten"},
      {reeCompPassesDisagree, L"Compiler Passes Disagree",
       L"Compilerdurchl\u00E4ufe stimmen nicht \u00FCberein"},
      {reeStepLimitExceeded, L"Match Step Limit Exceeded", L"Schrittgrenze der Suche erreicht"},
      {reeBacktrackLimitExceeded, L"Backtrack Stack Limit Exceeded",
       L"Grenze des R\u00FCcksprungstapels erreicht"},
  };
  const bool English = WideRegexLanguage == L"en";
  for (const TText& T : Texts)
    if (T.Code == Code) return English ? T.English : T.German;
  return English ? L"Unknown Error" : L"Unbekannter Fehler";
}

void TWideRegex::SetExpression(const std::wstring& Pattern) {
  // Re-assigning the pattern whose compile outcome is known must not cost a compile.
  if (Pattern == FPattern && (!FProgram.empty() || FCompileFailed)) return;
  FPattern = Pattern;
  DiscardProgram();
}

void TWideRegex::SetInputString(const std::wstring& Input) {
  ClearMatchPositions();
  FInput = Input;
  FHasInput = true;
  // The text ends at its first U+0000.
  const wchar_t* Chars = FInput.c_str();
  const size_t Len = FindEither(Chars, Chars + FInput.size(), 0, 0) - Chars;
  FInputEnd = static_cast<int>(std::min<size_t>(Len, kMaxInput));
}

bool TWideRegex::Modifier(int Index) const {
  return Index >= 1 && Index <= 6 && (FModifiers & (1u << (Index - 1)));
}

void TWideRegex::SetModifier(int Index, bool On) {
  if (Index < 1 || Index > 6) {
    Error(reeModifierIndex);
    return;
  }
  const uint32_t Bit = 1u << (Index - 1);
  FModifiers = On ? (FModifiers | Bit) : (FModifiers & ~Bit);
}

std::wstring TWideRegex::ModifierStr() const {
  std::wstring On, Off;
  for (int I = 0; I < 6; ++I) ((FModifiers & (1u << I)) ? On : Off) += ModifierLetters[I];
  return Off.empty() ? On : On + L"-" + Off;
}

void TWideRegex::SetModifierStr(const std::wstring& Letters) {
  uint32_t Mods = FModifiers;
  if (!ParseModifierLetters(Letters.c_str(), Letters.c_str() + Letters.size(), Mods)) {
    Error(reeCompUnknownModifier);
    return;
  }
  FModifiers = Mods;
}

bool TWideRegex::ParseModifierLetters(const wchar_t* First, const wchar_t* Last, uint32_t& Modifiers) {
  bool Clear = false;
  for (const wchar_t* P = First; P < Last; ++P) {
    if (*P == L'-') {
      Clear = true;
      continue;
    }
    const wchar_t Lower = (*P >= L'A' && *P <= L'Z') ? static_cast<wchar_t>(*P + 32) : *P;
    const wchar_t* Letter = Lower ? std::wcschr(ModifierLetters, Lower) : nullptr;
    if (!Letter) return false;
    const uint32_t Bit = 1u << (Letter - ModifierLetters);
    Modifiers = Clear ? (Modifiers & ~Bit) : (Modifiers | Bit);
  }
  return true;
}

std::wstring TWideRegex::LinePairedSeparator() const {
  return FPaired ? std::wstring{FPairHead, FPairTail} : std::wstring();
}

void TWideRegex::SetLinePairedSeparator(const std::wstring& Separator) {
  bool Changed;
  if (Separator.empty()) {
    Changed = FPaired;
    FPaired = false;
  } else if (Separator.size() == 2 && Separator[0] != Separator[1]) {
    Changed = !FPaired || FPairHead != Separator[0] || FPairTail != Separator[1];
    FPaired = true;
    FPairHead = Separator[0];
    FPairTail = Separator[1];
  } else {
    Error(reeBadLinePairedSeparator);
    return;
  }
  if (Changed) DiscardProgram();
}

void TWideRegex::DiscardProgram() {
  FProgram.clear();
  FCompileFailed = false;
  FPlanValid = false;
}

wchar_t TWideRegex::DefaultInvertCase(wchar_t C) {
  return C < 128 ? AsciiOtherCase()[C] : C;
}

// The case inverter's image; the default one without a call, as the matcher asks at every other character.
wchar_t TWideRegex::OtherCase(wchar_t C) const {
  if (CaseInverter != &TWideRegex::DefaultInvertCase) return CaseInverter(C);
  return C < 128 ? FAsciiOther[C] : C;
}

std::wstring TWideRegex::RequiredSubstring() const {
  return FRequired < 0 ? std::wstring() : std::wstring(Operand(FRequired - 3), FRequiredLen);
}

int TWideRegex::MatchPos(int Index) const {
  if (Index < 0 || Index >= kGroupCount || FStartP[Index] < 0 || FEndP[Index] < FStartP[Index]) return -1;
  return FStartP[Index] + 1;
}

int TWideRegex::MatchLen(int Index) const {
  if (MatchPos(Index) < 0) return -1;
  return FEndP[Index] - FStartP[Index];
}

std::wstring TWideRegex::Match(int Index) const {
  if (MatchPos(Index) < 0) return std::wstring();
  return FInput.substr(FStartP[Index], FEndP[Index] - FStartP[Index]);
}

// ---------------------------------------------------------------------------------------------
// Compiler

bool TWideRegex::Compile() {
  if (FPattern.empty()) {
    Error(reeNoExpression);
    return false;
  }
  const bool Ok = CompileProgram(FPattern.c_str());
  FCompileFailed = !Ok;
  return Ok;
}

bool TWideRegex::CompileProgram(const wchar_t* Pattern) {
  FProgram.clear();
  FPlanValid = false;
  FFirstChar = 0;
  FAnchored = false;
  FRequired = -1;
  FRequiredLen = 0;
  FProgramModifiers = FModifiers;
  int Flags;
  FSizing = true;
  FCompModifiers = FModifiers;
  FParsePos = Pattern;
  FNextGroup = 1;
  FProgramSize = 0;
  EmitChar(kMagic);
  if (ParseGroup(false, Flags) == kNoNode) return FailCompile();
  if (FProgramSize > kMaxProgramCells) {
    Error(reeCompTooBig);
    return FailCompile();
  }

  FProgram.assign(FProgramSize, 0);
  FSizing = false;
  FEmitOverflow = false;
  FEmitPos = 0;
  FCompModifiers = FModifiers;
  FParsePos = Pattern;
  FNextGroup = 1;
  EmitChar(kMagic);
  if (ParseGroup(false, Flags) == kNoNode) return FailCompile();
  if (FEmitOverflow || FEmitPos != FProgramSize) {
    Error(reeCompPassesDisagree);
    return FailCompile();
  }
  FParsePos = nullptr;
  SetHints(Flags);
  return true;
}

bool TWideRegex::FailCompile() {
  FProgram.clear();
  FSizing = false;
  FParsePos = nullptr;
  return false;
}

void TWideRegex::SetHints(int Flags) {
  const int First = 1;
  const int Next = NextNode(First);
  if (Next == kNoNode || Op(Next) != opEnd) return;
  int Scan = First + 3;
  if (Op(Scan) == opLiteral) FFirstChar = *Operand(Scan);
  if (Op(Scan) == opLineStart) FAnchored = true;
  if (!(Flags & pfStartsWithRepeat)) return;
  for (int Guard = 0; Scan != kNoNode && Guard < FProgramSize; Scan = NextNode(Scan), ++Guard) {
    if (Op(Scan) != opLiteral) continue;
    const int Len = static_cast<int>(RegStrLen(Operand(Scan)));
    if (Len > 0 && Len >= FRequiredLen) {
      FRequired = Scan + 3;
      FRequiredLen = Len;
    }
  }
}

int TWideRegex::ParseGroup(bool Parenthesised, int& Flags) {
  Flags = pfHasWidth;
  const uint32_t SavedModifiers = FCompModifiers;
  int Ret = kNoNode;
  int Group = 0;
  if (Parenthesised) {
    if (FNextGroup >= kGroupCount) {
      Error(reeCompTooManyGroups);
      return kNoNode;
    }
    Group = FNextGroup++;
    Ret = EmitNode(static_cast<wchar_t>(opGroupOpen + Group));
  }
  int BranchFlags;
  int Branch = ParseBranch(BranchFlags);
  if (Branch == kNoNode) return kNoNode;
  if (Ret != kNoNode)
    LinkTail(Ret, Branch);
  else
    Ret = Branch;
  for (;;) {
    if (!(BranchFlags & pfHasWidth)) Flags &= ~pfHasWidth;
    Flags |= BranchFlags & pfStartsWithRepeat;
    if (*FParsePos != L'|') break;
    ++FParsePos;
    Branch = ParseBranch(BranchFlags);
    if (Branch == kNoNode) return kNoNode;
    LinkTail(Ret, Branch);
  }
  const int Ender =
      EmitNode(Parenthesised ? static_cast<wchar_t>(opGroupClose + Group) : static_cast<wchar_t>(opEnd));
  LinkTail(Ret, Ender);
  for (int Br = Ret, Guard = 0; Br != kNoNode && !FEmitOverflow; Br = NextNode(Br)) {
    if (++Guard > FEmitPos) FEmitOverflow = true;  // a cycle: reported as disagreement
    LinkOperandTail(Br, Ender);
  }
  if (Parenthesised) {
    if (*FParsePos != L')') {
      Error(reeCompUnmatchedGroup);
      return kNoNode;
    }
    ++FParsePos;
  } else if (*FParsePos != 0) {
    Error(*FParsePos == L')' ? reeCompUnmatchedClose : reeCompJunkOnEnd);
    return kNoNode;
  }
  FCompModifiers = SavedModifiers;
  return Ret;
}

int TWideRegex::ParseBranch(int& Flags) {
  Flags = 0;
  const int Ret = EmitNode(opBranch);
  int Chain = kNoNode;
  while (*FParsePos != 0 && *FParsePos != L'|' && *FParsePos != L')') {
    int PieceFlags;
    const int Latest = ParseQuantified(PieceFlags);
    if (Latest == kNoNode) return kNoNode;
    Flags |= PieceFlags & pfHasWidth;
    if (Chain == kNoNode)
      Flags |= PieceFlags & pfStartsWithRepeat;
    else
      LinkTail(Chain, Latest);
    Chain = Latest;
  }
  if (Chain == kNoNode) EmitNode(opNothing);
  return Ret;
}

int TWideRegex::ParseQuantified(int& Flags) {
  int AtomFlags;
  const int Ret = ParseAtom(AtomFlags);
  if (Ret == kNoNode) return kNoNode;
  const wchar_t Quantifier = *FParsePos;
  int32_t Min = 0, Max = 0;
  if (Quantifier == L'{') {
    const int Brace = ParseBraces(Min, Max);
    if (Brace == kBadQuantifier) return kNoNode;
    if (Brace == kNotQuantifier) {
      Flags = AtomFlags;
      return Ret;
    }
  } else if (Quantifier != L'*' && Quantifier != L'+' && Quantifier != L'?') {
    Flags = AtomFlags;
    return Ret;
  }
  // A repeated empty atom would change the pattern's meaning: refuse it.
  if (!(AtomFlags & pfHasWidth) && Quantifier != L'?') {
    Error(reeCompOperandCouldBeEmpty);
    return kNoNode;
  }
  ++FParsePos;
  bool Lazy = !(FCompModifiers & ModifierG);
  if (*FParsePos == L'?') {
    Lazy = true;
    ++FParsePos;
  }
  const bool Simple = AtomFlags & pfSimple;
  switch (Quantifier) {
    case L'*':
      Flags = pfStartsWithRepeat;
      if (Simple)
        InsertNode(Lazy ? opStarLazy : opStar, Ret, 3);
      else if (Lazy)
        EmitCountedLoop(opLoopLazy, Ret, 0, kMaxLoopCount);
      else
        EmitStar(Ret);
      break;
    case L'+':
      Flags = pfStartsWithRepeat | pfHasWidth;
      if (Simple)
        InsertNode(Lazy ? opPlusLazy : opPlus, Ret, 3);
      else if (Lazy)
        EmitCountedLoop(opLoopLazy, Ret, 1, kMaxLoopCount);
      else
        EmitPlus(Ret);
      break;
    case L'?':
      Flags = 0;
      if (Lazy && Simple)
        EmitCountedRepeat(opRepeatLazy, Ret, 0, 1);
      else if (Lazy)
        EmitCountedLoop(opLoopLazy, Ret, 0, 1);
      else
        EmitOptional(Ret);
      break;
    default:
      Flags = Max > 0 ? pfHasWidth | pfStartsWithRepeat : 0;
      if (Simple)
        EmitCountedRepeat(Lazy ? opRepeatLazy : opRepeat, Ret, Min, Max);
      else
        EmitCountedLoop(Lazy ? opLoopLazy : opLoop, Ret, Min, Max);
      break;
  }
  if (StartsQuantifier(FParsePos)) {
    Error(reeCompNestedQuantifier);
    return kNoNode;
  }
  return Ret;
}

int TWideRegex::ParseBraces(int32_t& Min, int32_t& Max) {
  const wchar_t* Close = BraceQuantifierEnd(FParsePos);
  if (!Close) return kNotQuantifier;
  const wchar_t* MinFirst = FParsePos + 1;
  const wchar_t* MinLast = MinFirst;
  while (IsDigit(*MinLast)) ++MinLast;
  if (!ParseRepeatCount(MinFirst, MinLast, Min)) return kBadQuantifier;
  if (*MinLast == L'}')
    Max = Min;
  else if (MinLast + 1 == Close)
    Max = kMaxLoopCount;
  else if (!ParseRepeatCount(MinLast + 1, Close, Max))
    return kBadQuantifier;
  if (Max < Min) {
    Error(reeCompBraceMinAboveMax);
    return kBadQuantifier;
  }
  FParsePos = Close;
  return kQuantifier;
}

bool TWideRegex::ParseRepeatCount(const wchar_t* First, const wchar_t* Last, int32_t& Value) {
  if (Last - First > kMaxCountDigits) {
    Error(reeCompBracesTooBig);
    return false;
  }
  Value = 0;
  for (const wchar_t* P = First; P < Last; ++P) Value = Value * 10 + (*P - L'0');
  return true;
}

int TWideRegex::ParseAtom(int& Flags) {
  Flags = 0;
  const bool MultiLine = (FCompModifiers & ModifierM) && (!LineBreakSet.empty() || FPaired);
  const wchar_t C = *FParsePos;
  switch (C) {
    case L'^':
      ++FParsePos;
      return EmitNode(MultiLine ? opLineStartML : opLineStart);
    case L'$':
      ++FParsePos;
      return EmitNode(MultiLine ? opLineEndML : opLineEnd);
    case L'.':
      ++FParsePos;
      if (FCompModifiers & ModifierS) {
        Flags = pfHasWidth | pfSimple;
        return EmitNode(opAnyChar);
      }
      Flags = pfHasWidth;
      return EmitNode(opAnyCharML);
    case L'[':
      ++FParsePos;
      return ParseSet(Flags);
    case L'(': {
      ++FParsePos;
      if (FParsePos[0] == L'?' && FParsePos[1] == L'#') {
        const wchar_t* Close = RegStrScan(FParsePos + 2, L')');
        if (!Close) {
          Error(reeCompUnclosedComment);
          return kNoNode;
        }
        FParsePos = Close + 1;
        return EmitNode(opComment);
      }
      if (FParsePos[0] == L'?') {
        const wchar_t* Close = RegStrScan(FParsePos + 1, L')');
        if (!Close || !ParseModifierLetters(FParsePos + 1, Close, FCompModifiers)) {
          Error(reeCompUnknownModifier);
          return kNoNode;
        }
        FParsePos = Close + 1;
        return EmitNode(opComment);
      }
      int GroupFlags;
      const int Ret = ParseGroup(true, GroupFlags);
      Flags = GroupFlags & (pfHasWidth | pfStartsWithRepeat);
      return Ret;
    }
    case 0:
    case L'|':
    case L')':
      Error(reeCompAtomInternal);
      return kNoNode;
    case L'?':
    case L'*':
    case L'+':
      Error(reeCompQuantifierFollowsNothing);
      return kNoNode;
    case L'\\':
      ++FParsePos;
      if (*FParsePos == 0) {
        Error(reeCompTrailingBackslash);
        return kNoNode;
      }
      return ParseEscape(Flags);
    default:
      return ParseLiteralRun(Flags);
  }
}

int TWideRegex::ParseEscape(int& Flags) {
  const bool NoCase = FCompModifiers & ModifierI;
  const wchar_t C = *FParsePos;
  wchar_t Code;
  switch (C) {
    case L'b':
      Code = opWordBoundary;
      break;
    case L'B':
      Code = opNonWordBoundary;
      break;
    case L'A':
      Code = opLineStart;
      break;
    case L'Z':
      Code = opLineEnd;
      break;
    case L'd':
      Code = opDigit;
      break;
    case L'D':
      Code = opNonDigit;
      break;
    case L'w':
      Code = opWordChar;
      break;
    case L'W':
      Code = opNonWordChar;
      break;
    case L's':
      Code = opSpace;
      break;
    case L'S':
      Code = opNonSpace;
      break;
    default:
      if (C >= L'1' && C <= L'9') {
        ++FParsePos;
        Flags = pfHasWidth | pfSimple;
        const int Ret = EmitNode(NoCase ? opBackRefNoCase : opBackRef);
        EmitChar(static_cast<wchar_t>(C - L'0'));
        return Ret;
      }
      wchar_t Value;
      if (!DecodeEscape(FParsePos, Value)) return kNoNode;
      Flags = pfHasWidth | pfSimple;
      const int Ret = EmitNode(NoCase ? opLiteralNoCase : opLiteral);
      EmitChar(Value);
      EmitChar(0);
      return Ret;
  }
  ++FParsePos;
  if (Code != opWordBoundary && Code != opNonWordBoundary && Code != opLineStart && Code != opLineEnd)
    Flags = pfHasWidth | pfSimple;
  return EmitNode(Code);
}

bool TWideRegex::DecodeEscape(const wchar_t*& P, wchar_t& Value) {
  const wchar_t C = *P++;
  switch (C) {
    case L'a':
      Value = 7;
      return true;
    case L'e':
      Value = 27;
      return true;
    case L'f':
      Value = 12;
      return true;
    case L'n':
      Value = 10;
      return true;
    case L'r':
      Value = 13;
      return true;
    case L't':
      Value = 9;
      return true;
    case L'x':
      break;
    default:
      Value = C;
      return true;
  }
  const bool Braced = *P == L'{';
  if (Braced) ++P;
  int Code = 0;
  for (int Digits = 0; Braced || Digits < 2; ++Digits) {
    if (*P == 0) {
      Error(reeCompNoHexCodeAfterX);
      return false;
    }
    if (Braced && *P == L'}') {
      ++P;
      break;
    }
    int Digit;
    if (!HexDigitValue(*P, Digit)) return false;
    if (Code >= 0x1000) {
      Error(reeCompHexCodeTooBig);
      return false;
    }
    Code = Code * 16 + Digit;
    ++P;
  }
  Value = static_cast<wchar_t>(Code);
  return true;
}

bool TWideRegex::HexDigitValue(wchar_t C, int& Value) {
  if (C >= L'0' && C <= L'9')
    Value = C - L'0';
  else if (C >= L'a' && C <= L'f')
    Value = C - L'a' + 10;
  else if (C >= L'A' && C <= L'F')
    Value = C - L'A' + 10;
  else {
    Error(reeCompBadHexDigit);
    return false;
  }
  return true;
}

int TWideRegex::ParseSet(int& Flags) {
  const bool NoCase = FCompModifiers & ModifierI;
  int Ret;
  if (*FParsePos == L'^') {
    ++FParsePos;
    Ret = EmitNode(NoCase ? opNoneOfNoCase : opNoneOf);
  } else {
    Ret = EmitNode(NoCase ? opAnyOfNoCase : opAnyOf);
  }
  bool CanStartRange = false;
  wchar_t RangeStart = 0;
  auto AddMember = [&](wchar_t C) {
    EmitChar(C);
    CanStartRange = true;
    RangeStart = C;
  };
  if (*FParsePos == L']') AddMember(*FParsePos++);
  while (*FParsePos != 0 && *FParsePos != L']') {
    const wchar_t* P = FParsePos;
    if (*P == L'-' && CanStartRange && P[1] != L']' && P[1] != 0) {
      // A class after "-" makes the "-" a member; the class is the next item.
      if (P[1] == L'\\' && P[2] && std::wcschr(L"dDsSwW", P[2])) {
        AddMember(*FParsePos++);
        CanStartRange = false;
        continue;
      }
      FParsePos = P + 1;
      wchar_t RangeEnd;
      if (*FParsePos == L'\\') {
        ++FParsePos;
        if (*FParsePos == 0) {
          Error(reeCompTrailingBackslashInSet);
          return kNoNode;
        }
        if (!DecodeEscape(FParsePos, RangeEnd)) return kNoNode;
      } else {
        RangeEnd = *FParsePos++;
      }
      if (!EmitSetRange(RangeStart, RangeEnd)) return kNoNode;
      CanStartRange = false;
    } else if (*P == L'\\') {
      ++FParsePos;
      const wchar_t E = *FParsePos;
      if (E == 0) {
        Error(reeCompTrailingBackslashInSet);
        return kNoNode;
      }
      if (E == L'd' || E == L's' || E == L'w') {
        ++FParsePos;
        EmitSetString(E == L'd' ? L"0123456789" : E == L's' ? SpaceSet.c_str() : WordSet.c_str());
        CanStartRange = false;
      } else {
        wchar_t Value;
        if (!DecodeEscape(FParsePos, Value)) return kNoNode;
        AddMember(Value);
      }
    } else {
      AddMember(*FParsePos++);
    }
  }
  EmitChar(0);
  if (*FParsePos != L']') {
    Error(reeCompUnmatchedSet);
    return kNoNode;
  }
  ++FParsePos;
  Flags = pfHasWidth | pfSimple;
  return Ret;
}

bool TWideRegex::EmitSetRange(wchar_t First, wchar_t Last) {
  if (FCompModifiers & ModifierR) {
    const wchar_t LowerA = RussianLowerLetters[0], LowerYa = RussianLowerLetters[32];
    const wchar_t UpperA = RussianUpperLetters[0], UpperYa = RussianUpperLetters[32];
    const bool Lower = First == LowerA && (Last == LowerYa || Last == UpperYa);
    const bool Upper = (First == UpperA && Last == UpperYa) || (First == LowerA && Last == UpperYa);
    if (Lower) EmitSetString(RussianLowerLetters);
    if (Upper) EmitSetString(RussianUpperLetters);
    if (Lower || Upper) return true;
  }
  if (Last < First) {
    Error(reeCompInvalidRange);
    return false;
  }
  EmitChar(Last);
  for (int C = First + 1; C < Last; ++C) EmitChar(static_cast<wchar_t>(C));
  return true;
}

void TWideRegex::EmitSetString(const wchar_t* S) {
  for (; *S; ++S) EmitChar(*S);
}

int TWideRegex::ParseLiteralRun(int& Flags) {
  const wchar_t* P = FParsePos;
  const bool Extended = FCompModifiers & ModifierX;
  if (Extended && (IsXSpace(*P) || *P == L'#')) {
    if (*P == L'#') {
      while (*P && *P != L'\r' && *P != L'\n') ++P;
      while (*P == L'\r' || *P == L'\n') ++P;
    } else {
      while (IsXSpace(*P)) ++P;
    }
    FParsePos = P;
    return EmitNode(opComment);
  }
  int Len = *P == L'{' ? 1 + RegStrCSpn(P + 1, WideRegexMetaChars) : RegStrCSpn(P, WideRegexMetaChars);
  if (Len == 0) {
    Error(reeCompEmptyLiteral);
    return kNoNode;
  }
  // The quantifier after a run applies to its last character alone.
  if (Len > 1 && IsQuantifierChar(P[Len])) --Len;
  if (Extended) {
    const wchar_t* Hash = std::find(P, P + Len, L'#');
    Len = static_cast<int>(Hash - P);
  }
  const int Ret = EmitNode((FCompModifiers & ModifierI) ? opLiteralNoCase : opLiteral);
  for (int I = 0; I < Len; ++I)
    if (!(Extended && IsXSpace(P[I]))) EmitChar(P[I]);
  EmitChar(0);
  FParsePos = P + Len;
  Flags = pfHasWidth | (Len == 1 ? pfSimple : 0);
  return Ret;
}

void TWideRegex::EmitCountedRepeat(wchar_t Op, int Atom, int32_t Min, int32_t Max) {
  InsertNode(Op, Atom, 7);
  PutInt32(Atom + 3, Min);
  PutInt32(Atom + 5, Max);
}

void TWideRegex::EmitCountedLoop(wchar_t Op, int Atom, int32_t Min, int32_t Max) {
  InsertNode(opLoopEntry, Atom, 3);
  const int Loop = EmitNode(Op);
  EmitInt32(Min);
  EmitInt32(Max);
  EmitInt32(Atom + 3 - Loop);
  LinkTail(Atom, Loop);
  LinkTail(Atom + 3, Loop);
}

void TWideRegex::EmitStar(int Atom) {
  InsertNode(opBranch, Atom, 3);
  LinkOperandTail(Atom, EmitNode(opBack));
  LinkOperandTail(Atom, Atom);
  LinkTail(Atom, EmitNode(opBranch));
  LinkTail(Atom, EmitNode(opNothing));
}

void TWideRegex::EmitPlus(int Atom) {
  const int Branch = EmitNode(opBranch);
  LinkTail(Atom, Branch);
  LinkTail(EmitNode(opBack), Atom);
  LinkTail(Branch, EmitNode(opBranch));
  LinkTail(Atom, EmitNode(opNothing));
}

void TWideRegex::EmitOptional(int Atom) {
  InsertNode(opBranch, Atom, 3);
  LinkTail(Atom, EmitNode(opBranch));
  const int Nothing = EmitNode(opNothing);
  LinkTail(Atom, Nothing);
  LinkOperandTail(Atom, Nothing);
}

// Sizing pass: counts the cells. Emitting pass: true when the cells fit into the sized program.
bool TWideRegex::Reserve(int Cells) {
  if (FSizing) {
    if (FProgramSize <= kMaxProgramCells) FProgramSize += Cells;
    return false;
  }
  if (FEmitOverflow || FEmitPos + Cells > static_cast<int>(FProgram.size())) {
    FEmitOverflow = true;
    return false;
  }
  return true;
}

int TWideRegex::EmitNode(wchar_t Op) {
  if (!Reserve(3)) return kCountingNode;
  const int At = FEmitPos;
  FProgram[At] = Op;
  FProgram[At + 1] = 0;
  FProgram[At + 2] = 0;
  FEmitPos += 3;
  return At;
}

void TWideRegex::EmitChar(wchar_t C) {
  if (Reserve(1)) FProgram[FEmitPos++] = C;
}

void TWideRegex::EmitInt32(int32_t Value) {
  if (!Reserve(2)) return;
  WriteInt32(&FProgram[FEmitPos], Value);
  FEmitPos += 2;
}

void TWideRegex::InsertNode(wchar_t Op, int Pos, int Cells) {
  if (!Reserve(Cells)) return;
  std::copy_backward(FProgram.begin() + Pos, FProgram.begin() + FEmitPos,
                     FProgram.begin() + FEmitPos + Cells);
  FProgram[Pos] = Op;
  std::fill(FProgram.begin() + Pos + 1, FProgram.begin() + Pos + Cells, 0);
  FEmitPos += Cells;
}

void TWideRegex::PutInt32(int At, int32_t Value) {
  if (!FSizing && !FEmitOverflow) WriteInt32(&FProgram[At], Value);
}

void TWideRegex::LinkTail(int Node, int Target) {
  if (FSizing || FEmitOverflow) return;
  int Scan = Node;
  // A chain longer than the program means a cycle: an internal fault, reported as disagreement.
  for (int Guard = 0, Next; (Next = NextNode(Scan)) != kNoNode; Scan = Next) {
    if (++Guard > FEmitPos) {
      FEmitOverflow = true;
      return;
    }
  }
  WriteInt32(&FProgram[Scan + 1], Target - Scan);
}

void TWideRegex::LinkOperandTail(int Node, int Target) {
  if (FSizing || FEmitOverflow || Op(Node) != opBranch) return;
  LinkTail(Node + 3, Target);
}

int TWideRegex::NextNode(int Node) const {
  // Also nil for the counting node of the sizing pass, whose program is still empty.
  const int Size = static_cast<int>(FProgram.size());
  if (Node < 0 || Node + 2 >= Size) return kNoNode;
  const int32_t Offset = ReadInt32(&FProgram[Node + 1]);
  if (Offset == 0) return kNoNode;
  const int64_t Target = int64_t{Node} + Offset;
  return (Target > 0 && Target < Size) ? static_cast<int>(Target) : kNoNode;
}

// ---------------------------------------------------------------------------------------------
// Matcher

bool TWideRegex::EnsureProgram() {
  if (FModifiers != FProgramModifiers) {
    FProgram.clear();
    FCompileFailed = false;
  }
  if (FProgram.empty()) {
    if (FCompileFailed) return false;  // nothing changed since it failed
    Compile();
  }
  if (FProgram.empty()) return false;
  if (FProgram[0] != kMagic) {
    Error(reeCorruptedProgram);
    return false;
  }
  return true;
}

void TWideRegex::ClearMatchPositions() {
  std::fill(std::begin(FStartP), std::end(FStartP), -1);
  std::fill(std::begin(FEndP), std::end(FEndP), -1);
}

bool TWideRegex::Exec(const std::wstring& Input) {
  SetInputString(Input);
  return ExecFrom(1);
}

bool TWideRegex::ExecNext() {
  if (MatchPos(0) < 0) return false;
  const int Offset = FEndP[0] + 1 + (FEndP[0] == FStartP[0] ? 1 : 0);
  return ExecFrom(Offset);
}

bool TWideRegex::ExecFrom(int Offset) {
  ClearMatchPositions();
  if (!EnsureProgram()) return false;
  if (!FHasInput) {
    Error(reeNoInputString);
    return false;
  }
  if (Offset < 1) {
    Error(reeOffsetBelowOne);
    return false;
  }
  if (Offset > FInputEnd + 1) return false;
  const int From = Offset - 1;
  PrepareSearch();
  FSteps = 0;
  FStepLimit = kStepBase + kStepsPerChar * FInputEnd;
  FAborted = false;
  FMemoAfter = FSearchHints && FMemoAllowed ? kMemoBase + kMemoPerChar * FInputEnd : INT64_MAX;
  FMemoCount = 0;
  if (++FMemoGeneration == 0) {  // wrapped: no slot may look current
    for (TMemoSlot& Slot : FMemo) Slot.Generation = 0;
    FMemoGeneration = 1;
  }
  const bool Found = Search(From);
  if (!Found) ClearMatchPositions();  // not what the last failed try left, which depends on the hints
  if (FStack.capacity() > kKeptBacktrackEntries) FStack = {};  // give a huge stack back at once
  return Found;
}

bool TWideRegex::Search(int From) {
  try {
    if (FSearchHints && !HoldsRequiredText(From)) return false;
    if (FSearchHints && FStartKind == TStartKind::AtOffset) return TryAt(From);
    for (int P = NextCandidate(From, From); P >= 0; P = NextCandidate(P + 1, From)) {
      if (!FLeadingChecks.empty() && !LeadingChecksHold(P)) continue;
      if (TryAt(P)) return true;
      if (FAborted) return false;
    }
  } catch (const std::bad_alloc&) {
    // The backtrack stack could not grow below its bound (a crowded 32-bit address space).
    FStack = {};
    FMemoPending = {};
    Abort(reeBacktrackLimitExceeded);
  }
  return false;
}

bool TWideRegex::TryAt(int Pos) {
  // All slots at once: a fixed count costs a few stores, a variable one a call at every try.
  ClearMatchPositions();
  FLoops.clear();
  FCurPos = Pos;
  if (!MatchNode(FSearchHints ? FFirstNode : 1)) return false;
  FStartP[0] = Pos;
  FEndP[0] = FCurPos;
  return true;
}

bool TWideRegex::Tick() {
  return ++FSteps <= FStepLimit || Abort(reeStepLimitExceeded);
}

bool TWideRegex::Abort(int Code) {
  if (!FAborted) Error(Code);
  FAborted = true;
  return false;
}

// The bound counts the entries the matcher needs, not those that only remember.
bool TWideRegex::StackFull() const {
  return FStack.size() - FMemoPending.size() >= kMaxBacktrackEntries;
}

bool TWideRegex::PushChoice(int Kind, int Node, int Pos, int32_t Count) {
  if (StackFull()) return Abort(reeBacktrackLimitExceeded);
  FStack.push_back({Kind, Node, Pos, Count});
  ++FChoices;
  return true;
}

// Without a choice point below, a failure ends the whole try, which resets everything anyway.
bool TWideRegex::LogUndo(int Kind, int32_t Node, int32_t Pos, int32_t Count) {
  if (FChoices == 0) return true;
  if (StackFull()) return Abort(reeBacktrackLimitExceeded);
  FStack.push_back({Kind, Node, Pos, Count});
  return true;
}

// Runs the program from Node at the current position to opEnd, backtracking through an explicit
// stack so that no input can exhaust the thread's stack.
bool TWideRegex::MatchNode(int Node) {
  FStack.clear();
  FMemoPending.clear();
  FChoices = 0;
  const wchar_t* S = FInput.c_str();
  for (;;) {
    bool Ok = true;
    if (Node == kNoNode) {
      Error(reeNoNextNode);
      Ok = false;
    } else if (!Tick()) {
      return false;
    } else if (FSteps > FMemoAfter && FMemoKinds[Node] != kNotRemembered && !EnterMemoPoint(Node)) {
      Ok = false;
    } else {
      const int Next = static_cast<size_t>(Node) < FNexts.size() ? FNexts[Node] : NextNode(Node);
      const int Code = Op(Node);
      switch (Code) {
        case opEnd:
          return true;
        case opLineStart:
        case opLineEnd:
        case opLineStartML:
        case opLineEndML:
        case opWordBoundary:
        case opNonWordBoundary:
          Ok = AssertionHolds(Code);
          break;
        case opAnyCharML:
          Ok = FCurPos < FInputEnd && !(FPaired && S[FCurPos] == FPairHead && S[FCurPos + 1] == FPairTail) &&
               !FBreakTable.Holds(S[FCurPos]);
          if (Ok) ++FCurPos;
          break;
        case opWordChar:  // the commonest class, without TestChar's second dispatch
          Ok = FCurPos < FInputEnd && FWordTable.Holds(S[FCurPos]);
          if (Ok) ++FCurPos;
          break;
        case opAnyChar:
        case opAnyOf:
        case opNoneOf:
        case opAnyOfNoCase:
        case opNoneOfNoCase:
        case opDigit:
        case opNonDigit:
        case opNonWordChar:
        case opSpace:
        case opNonSpace:
          Ok = FCurPos < FInputEnd && TestChar(Node, S[FCurPos]);
          if (Ok) ++FCurPos;
          break;
        case opLiteral:
        case opLiteralNoCase:
          Ok = MatchLiteral(Node);
          break;
        case opBackRef:
        case opBackRefNoCase:
          Ok = MatchBackRef(Node);
          break;
        case opBack:
          Ok = !IsEmptyRound(Node);
          break;
        case opNothing:
        case opComment:
          break;
        case opBranch:
          if (Next != kNoNode && Op(Next) == opBranch && !PushChoice(ekBranch, Next, FCurPos)) return false;
          Node += 3;
          continue;
        case opLoopEntry:
          if (FLoops.size() >= kLoopDepth) {
            Error(reeLoopStackExceeded);
            Ok = false;
            break;
          }
          Ok = FChoices == 0 || LogUndo(ekLoopPush, 0, 0);
          FLoops.push_back({0, -1, Next});
          break;
        case opLoop:
        case opLoopLazy:
          if (MatchLoopNode(Node)) continue;
          Ok = false;
          break;
        case opStar:
        case opPlus:
        case opRepeat:
        case opStarLazy:
        case opPlusLazy:
        case opRepeatLazy:
          if (StartRepeat(Node)) continue;
          Ok = false;
          break;
        default:
          if (Code > opGroupOpen && Code < opGroupOpen + kGroupCount) {
            Ok = FChoices == 0 || LogUndo(ekGroupStart, Code - opGroupOpen, FStartP[Code - opGroupOpen]);
            FStartP[Code - opGroupOpen] = FCurPos;
          } else if (Code > opGroupClose && Code < opGroupClose + kGroupCount) {
            Ok = FChoices == 0 || LogUndo(ekGroupEnd, Code - opGroupClose, FEndP[Code - opGroupClose]);
            FEndP[Code - opGroupClose] = FCurPos;
          } else {
            Error(reeUnknownOpcode);
            Ok = false;
          }
          break;
      }
      if (Ok) {
        Node = Next;
        continue;
      }
    }
    if (FAborted || !Backtrack(Node)) return false;
  }
}

bool TWideRegex::Backtrack(int& Node) {
  while (!FStack.empty()) {
    const TBacktrackEntry E = FStack.back();
    FStack.pop_back();
    switch (E.Kind) {
      case ekGroupStart:
        FStartP[E.Node] = E.Pos;
        break;
      case ekGroupEnd:
        FEndP[E.Node] = E.Pos;
        break;
      case ekLoopSet:
        FLoops.back().Counter = E.Node;
        FLoops.back().IterStart = E.Pos;
        break;
      case ekLoopPush:
        FLoops.pop_back();
        break;
      case ekLoopPop:
        FLoops.push_back({E.Node, E.Pos, E.Count});
        break;
      case ekMemo:
        RememberFailure(FMemoPending.back());
        FMemoPending.pop_back();
        break;
      default:
        --FChoices;
        if (Resume(E, Node)) return true;
        if (FAborted) return false;
        break;
    }
  }
  return false;
}

bool TWideRegex::Resume(const TBacktrackEntry& E, int& Node) {
  FCurPos = E.Pos;
  switch (E.Kind) {
    case ekBranch: {
      const int Next = NextNode(E.Node);
      if (Next != kNoNode && Op(Next) == opBranch && !PushChoice(ekBranch, Next, FCurPos)) return false;
      Node = E.Node + 3;
      return true;
    }
    case ekRepeatGreedy:
      Node = E.Node;
      return TryGreedyCount(Node, E.Pos, E.Count - 1);
    case ekRepeatLazy:
      Node = E.Node;
      return ResumeLazy(Node, E.Pos, E.Count);
    case ekLoopExit:
      Node = E.Node;
      return ExitLoop(Node);
    default:
      Node = E.Node;
      return IterateLoop(Node);
  }
}

bool TWideRegex::MatchLiteral(int Node) {
  const wchar_t* Lit = Operand(Node);
  const wchar_t* S = FInput.c_str() + FCurPos;
  // The first character is compared even when it is the terminator: an empty literal matches only
  // at the end of the input.
  const bool NoCase = Op(Node) == opLiteralNoCase;
  if (!Lit[0]) return !S[0];
  int I = 0;
  for (; Lit[I]; ++I) {
    const wchar_t C = S[I];
    if (C != Lit[I] && (!NoCase || C == 0 || C != OtherCase(Lit[I]))) return false;
  }
  FCurPos += I;
  return true;
}

bool TWideRegex::GroupText(int Group, int& Start, int& Len) const {
  if (Group <= 0 || Group >= kGroupCount || FStartP[Group] < 0 || FEndP[Group] < FStartP[Group]) return false;
  Start = FStartP[Group];
  Len = FEndP[Group] - Start;
  return true;
}

bool TWideRegex::SameText(int Start, int Len, bool NoCase) const {
  if (FCurPos + Len > FInputEnd) return false;
  const wchar_t* G = FInput.c_str() + Start;
  const wchar_t* S = FInput.c_str() + FCurPos;
  for (int I = 0; I < Len; ++I)
    if (S[I] != G[I] && (!NoCase || S[I] != OtherCase(G[I]))) return false;
  return true;
}

bool TWideRegex::MatchBackRef(int Node) {
  int Start, Len;
  if (!GroupText(*Operand(Node), Start, Len) || !SameText(Start, Len, Op(Node) == opBackRefNoCase))
    return false;
  FCurPos += Len;
  return true;
}

const wchar_t* TWideRegex::ScanCharNoCase(const wchar_t* Set, wchar_t C) const {
  const wchar_t Other = OtherCase(C);
  for (; *Set; ++Set)
    if (*Set == C || *Set == Other) return Set;
  return nullptr;
}

bool TWideRegex::TestChar(int Node, wchar_t C) const {
  if (C == 0) return false;
  const wchar_t* Arg = Operand(Node);
  switch (Op(Node)) {
    case opAnyChar:
      return true;
    case opAnyOf:
      return RegStrScan(Arg, C);
    case opNoneOf:
      return !RegStrScan(Arg, C);
    case opAnyOfNoCase:
      return ScanCharNoCase(Arg, C);
    case opNoneOfNoCase:
      return !ScanCharNoCase(Arg, C);
    case opLiteral:
      return C == Arg[0];
    case opLiteralNoCase:
      return C == Arg[0] || C == OtherCase(Arg[0]);
    case opDigit:
      return IsDigit(C);
    case opNonDigit:
      return !IsDigit(C);
    case opWordChar:
      return FWordTable.Holds(C);
    case opNonWordChar:
      return !FWordTable.Holds(C);
    case opSpace:
      return FSpaceTable.Holds(C);
    default:
      return !FSpaceTable.Holds(C);  // opNonSpace
  }
}

bool TWideRegex::IsLineStartML() const {
  if (FCurPos == 0) return true;
  const wchar_t* S = FInput.c_str();
  const wchar_t Prev = S[FCurPos - 1];
  if (FPaired && Prev == FPairTail && FCurPos >= 2 && S[FCurPos - 2] == FPairHead) return true;
  if (FPaired && Prev == FPairHead && S[FCurPos] == FPairTail) return false;
  return FBreakTable.Holds(Prev);
}

bool TWideRegex::IsLineEndML() const {
  if (FCurPos >= FInputEnd) return true;
  const wchar_t* S = FInput.c_str();
  const wchar_t C = S[FCurPos];
  if (FPaired && C == FPairHead && S[FCurPos + 1] == FPairTail) return true;
  if (FPaired && C == FPairTail && FCurPos > 0 && S[FCurPos - 1] == FPairHead) return false;
  return FBreakTable.Holds(C);
}

bool TWideRegex::IsWordBoundary() const {
  const wchar_t* S = FInput.c_str();
  const bool Before = FCurPos > 0 && FWordTable.Holds(S[FCurPos - 1]);
  const bool After = FCurPos < FInputEnd && FWordTable.Holds(S[FCurPos]);
  return Before != After;
}

// A test that consumes nothing (IsAssertion), at the current position.
bool TWideRegex::AssertionHolds(int Code) const {
  switch (Code) {
    case opLineStart:
      return FCurPos == 0;
    case opLineEnd:
      return FCurPos == FInputEnd;
    case opLineStartML:
      return IsLineStartML();
    case opLineEndML:
      return IsLineEndML();
    case opWordBoundary:
      return IsWordBoundary();
    default:
      return !IsWordBoundary();  // opNonWordBoundary
  }
}

// opBack closes one round of a greedy star or plus; a round that consumed nothing must end the
// loop. Where the round began is kept in the loop's own choice entries: a star pushes its exit
// branch when a round begins, a plus when a round ends, so the round began at the newest (star)
// or the second newest (plus) of them. Positions never fall along a path, so an entry left from an
// earlier pass through the same loop can only be equal when the round was empty as well.
bool TWideRegex::IsEmptyRound(int Back) const {
  const int Target = NextNode(Back);
  const bool Star = Target != kNoNode && Op(Target) == opBranch;
  const int Exit = Star ? NextNode(Target) : NextNode(Back - 3);
  int Wanted = Star ? 1 : 2;
  for (auto It = FStack.rbegin(); It != FStack.rend(); ++It)
    if (It->Kind == ekBranch && It->Node == Exit && --Wanted == 0) return It->Pos == FCurPos;
  return false;
}

bool TWideRegex::MatchLoopNode(int& Node) {
  if (FLoops.empty()) {
    Error(reeLoopWithoutEntry);
    return false;
  }
  const TLoopFrame& F = FLoops.back();
  const int32_t Min = ReadInt32(Operand(Node));
  const int32_t Max = ReadInt32(Operand(Node) + 2);
  // Once a round matched nothing, further rounds would repeat it forever.
  if (F.Counter > 0 && F.IterStart == FCurPos) return ExitLoop(Node);
  if (F.Counter < Min) return IterateLoop(Node);
  if (F.Counter >= Max) return ExitLoop(Node);
  if (!ExitMayMatch(Node)) return IterateLoop(Node);
  if (Op(Node) == opLoop) return PushChoice(ekLoopExit, Node, FCurPos) && IterateLoop(Node);
  return PushChoice(ekLoopIterate, Node, FCurPos) && ExitLoop(Node);
}

// With the search hints on, a loop tries to leave only before a character that the rest can begin with.
bool TWideRegex::ExitMayMatch(int Loop) const {
  if (!FSearchHints || static_cast<size_t>(Loop) >= FFollowOf.size() || FFollowOf[Loop] < 0) return true;
  const TFollow& F = FFollows[FFollowOf[Loop]];
  const wchar_t C = FInput[FCurPos];
  return C < 256 ? F.Low[C] : F.High;
}

bool TWideRegex::IterateLoop(int& Node) {
  TLoopFrame& F = FLoops.back();
  if (!LogUndo(ekLoopSet, F.Counter, F.IterStart)) return false;
  ++F.Counter;
  F.IterStart = FCurPos;
  Node += ReadInt32(Operand(Node) + 4);
  return true;
}

// The loop's frame leaves the stack before the rest runs, so loops met there find their own.
bool TWideRegex::ExitLoop(int& Node) {
  const TLoopFrame F = FLoops.back();
  if (!LogUndo(ekLoopPop, F.Counter, F.IterStart, F.Loop)) return false;
  FLoops.pop_back();
  Node = NextNode(Node);
  return true;
}

TWideRegex::TRepeat TWideRegex::RepeatOf(int Node) const {
  const int Code = Op(Node);
  TRepeat R{Node + 3, 0, kMaxSimpleCount, NextNode(Node), Code == opStarLazy || Code == opPlusLazy};
  if (Code == opPlus || Code == opPlusLazy) R.Min = 1;
  if (Code == opRepeat || Code == opRepeatLazy) {
    R.Operand = Node + 7;
    R.Min = ReadInt32(Operand(Node));
    R.Max = ReadInt32(Operand(Node) + 2);
    R.Lazy = Code == opRepeatLazy;
  }
  return R;
}

// Characters per counted copy: the group's length for back-references (-1 when unset), else 1.
int TWideRegex::RepeatUnit(int Operand) const {
  if (Op(Operand) != opBackRef && Op(Operand) != opBackRefNoCase) return 1;
  int Start, Len;
  return GroupText(*this->Operand(Operand), Start, Len) ? Len : -1;
}

// The character at Pos must begin the literal that the rest of the pattern starts with. With the search
// hints on, group marks and comments are looked through and a literal without case takes either case.
bool TWideRegex::LookAheadOk(const TRepeat& R, int Pos) const {
  int Next = R.Next;
  while (FSearchHints && Next != kNoNode && ConsumesNothing(Op(Next))) Next = NextNode(Next);
  if (Next == kNoNode) return true;
  const wchar_t C = FInput.c_str()[Pos];
  const wchar_t Lit = *Operand(Next);
  if (Op(Next) == opLiteral) return C == Lit;
  if (Op(Next) == opLiteralNoCase && FSearchHints) return C == Lit || (C != 0 && C == OtherCase(Lit));
  return true;
}

bool TWideRegex::StartRepeat(int& Node) {
  const TRepeat R = RepeatOf(Node);
  const int Unit = RepeatUnit(R.Operand);
  if (Unit <= 0) {
    // Every count of an empty (or unset, hence zero) copy ends at the same place: one try decides.
    if (Unit < 0 && R.Min > 0) return false;
    Node = R.Next;
    return true;
  }
  const int Start = FCurPos;
  const int32_t Count = CountRepeats(R.Operand, R.Lazy ? R.Min : R.Max);
  if (Count < R.Min) return false;
  return R.Lazy ? TryLazyCount(Node, Start, Count) : TryGreedyCount(Node, Start, Count);
}

bool TWideRegex::TryGreedyCount(int& Node, int Start, int32_t Count) {
  const TRepeat R = RepeatOf(Node);
  const int Unit = RepeatUnit(R.Operand);
  for (; Count >= R.Min; --Count) {
    if (!Tick()) return false;
    const int Pos = Start + Count * Unit;
    if (!LookAheadOk(R, Pos)) continue;
    if (Count > R.Min && !PushChoice(ekRepeatGreedy, Node, Start, Count)) return false;
    FCurPos = Pos;
    Node = R.Next;
    return true;
  }
  return false;
}

bool TWideRegex::TryLazyCount(int& Node, int Start, int32_t Count) {
  const TRepeat R = RepeatOf(Node);
  const int Unit = RepeatUnit(R.Operand);
  for (;;) {
    if (!Tick()) return false;
    const int Pos = Start + Count * Unit;
    if (LookAheadOk(R, Pos)) {
      if (Count < R.Max && !PushChoice(ekRepeatLazy, Node, Start, Count)) return false;
      FCurPos = Pos;
      Node = R.Next;
      return true;
    }
    if (Count >= R.Max) return false;
    FCurPos = Pos;
    if (CountRepeats(R.Operand, 1) == 0) return false;
    ++Count;
  }
}

bool TWideRegex::ResumeLazy(int& Node, int Start, int32_t Count) {
  const TRepeat R = RepeatOf(Node);
  if (Count >= R.Min && FailedOneLater(Node, R, Start)) return false;
  FCurPos = Start + Count * RepeatUnit(R.Operand);
  return CountRepeats(R.Operand, 1) == 1 && TryLazyCount(Node, Start, Count + 1);
}

int32_t TWideRegex::CountRepeats(int Node, int32_t Max) {
  const int Code = Op(Node);
  if (Code == opBackRef || Code == opBackRefNoCase) {
    int Start, Len;
    if (!GroupText(*Operand(Node), Start, Len) || Len == 0) return 0;
    int32_t N = 0;
    while (N < Max && SameText(Start, Len, Code == opBackRefNoCase)) {
      FCurPos += Len;
      ++N;
    }
    FSteps += int64_t{N} * Len;
    return N;
  }
  switch (Code) {
    case opAnyChar:
    case opAnyOf:
    case opNoneOf:
    case opAnyOfNoCase:
    case opNoneOfNoCase:
    case opLiteral:
    case opLiteralNoCase:
    case opDigit:
    case opNonDigit:
    case opWordChar:
    case opNonWordChar:
    case opSpace:
    case opNonSpace:
      break;
    default:
      Error(reeCountRepeatsInternal);
      return 0;
  }
  const int32_t Limit = std::min<int32_t>(Max, FInputEnd - FCurPos);
  const wchar_t* S = FInput.c_str() + FCurPos;
  int32_t N = 0;
  while (N < Limit && TestChar(Node, S[N])) ++N;
  FCurPos += N;
  FSteps += N;
  return N;
}

// ---------------------------------------------------------------------------------------------
// Memory of failed states. Where runaway backtracking comes back to a choice or a repeat at a position it
// has already tried in vain, with the same loop counters in force, it fails at once: the search of a text
// then costs at most one try per state instead of one per path.

// At a memo point: false when the state is known to fail; else its failure is remembered once every way
// on from here has been tried.
bool TWideRegex::EnterMemoPoint(int Node) {
  if ((Op(Node) == opLoop || Op(Node) == opLoopLazy) && !WorthRemembering(Node)) return true;
  TMemoKey Key;
  if (!MemoKeyAt(Node, Key)) return true;
  if (KnownToFail(Key)) return false;
  if (FailsLikeOneBefore(Key)) {
    RememberFailure(Key);
    return false;
  }
  if (FStack.size() < kMemoStackEntries) {
    FStack.push_back({ekMemo, Node, FCurPos, 0});
    FMemoPending.push_back(Key);
  }
  return true;
}

// Not a loop entered just now, which a search meets about once per try, nor one whose counter makes it go
// round again, where the body's state stands for it.
bool TWideRegex::WorthRemembering(int Loop) const {
  if (FLoops.empty()) return true;
  const TLoopFrame& F = FLoops.back();
  return F.Counter > 0 && (F.IterStart == FCurPos || F.Counter >= ReadInt32(Operand(Loop)));
}

// The outcome from Node on depends on the position and on the loops around it: their counters, as far
// as a minimum or maximum can still be met, and, unless every way on consumes input first, whether
// their current rounds are still empty. False for loops nested too deeply to keep.
bool TWideRegex::MemoKeyAt(int Node, TMemoKey& Key) const {
  if (FLoops.size() > kMemoFrames) return false;
  Key.Node = Node;
  Key.Pos = FCurPos;
  const bool Rounds = FMemoKinds[Node] == kRememberRounds;
  const int64_t Left = FInputEnd - FCurPos;
  for (size_t I = 0; I < kMemoFrames; ++I) {
    if (I >= FLoops.size()) {
      Key.Frames[I] = kNoFrame;
      continue;
    }
    const TLoopFrame& F = FLoops[I];
    const int32_t Min = ReadInt32(Operand(F.Loop));
    const int32_t Max = ReadInt32(Operand(F.Loop) + 2);
    // Each further round that goes on consumes a character: past the minimum, with more rounds allowed
    // than characters left, the counter's value can decide nothing more.
    const bool Spent = F.Counter > 0 && F.Counter >= Min && int64_t{Max} - F.Counter > Left;
    if (!Spent && F.Counter > kMaxKeptCounter) return false;
    const bool EmptyRound = Rounds && F.Counter > 0 && F.IterStart == FCurPos;
    Key.Frames[I] = static_cast<uint32_t>(Spent ? kSpentCounter : F.Counter) << 1 | (EmptyRound ? 1 : 0);
  }
  return true;
}

// A repeat without upper bound that failed one character earlier, over a character it accepts, has tried
// every end it could reach from here, in the same loop rounds: it fails here as well.
bool TWideRegex::FailsLikeOneBefore(const TMemoKey& Key) const {
  if (Key.Pos == 0 || !IsSimpleRepeat(Op(Key.Node))) return false;
  for (const uint32_t F : Key.Frames)
    if (F != kNoFrame && (F & 1)) return false;  // the round began here, not one before
  const TRepeat R = RepeatOf(Key.Node);
  if (R.Max <= FInputEnd || !TestChar(R.Operand, FInput[Key.Pos - 1])) return false;
  TMemoKey Before = Key;
  --Before.Pos;
  return KnownToFail(Before);
}

// The longer counts that a repeat without upper bound has left to try from Start all end where the same
// repeat from the next character could end, in the same loop rounds: when that one failed, so do they.
bool TWideRegex::FailedOneLater(int Node, const TRepeat& R, int Start) {
  if (FSteps <= FMemoAfter || FMemoKinds[Node] == kNotRemembered || R.Max <= FInputEnd) return false;
  FCurPos = Start + 1;
  TMemoKey Key;
  const bool Failed = MemoKeyAt(Node, Key) && KnownToFail(Key);
  FCurPos = Start;
  return Failed;
}

namespace {

template <typename TKey>
size_t MemoHash(const TKey& Key) {
  const uint64_t Place =
      static_cast<uint64_t>(static_cast<uint32_t>(Key.Node)) << 32 | static_cast<uint32_t>(Key.Pos);
  const uint64_t Loops = static_cast<uint64_t>(Key.Frames[0]) << 32 | Key.Frames[1];
  const uint64_t H = Place * 0x9E3779B97F4A7C15ull ^ Loops * 0xC2B2AE3D27D4EB4Full;
  return static_cast<size_t>(H ^ (H >> 31));
}

}  // namespace

bool TWideRegex::KnownToFail(const TMemoKey& Key) const {
  if (FMemoCount == 0) return false;
  const size_t Mask = FMemo.size() - 1;
  for (size_t I = MemoHash(Key) & Mask;; I = (I + 1) & Mask) {
    const TMemoSlot& Slot = FMemo[I];
    if (Slot.Generation != FMemoGeneration) return false;
    if (Slot.Key == Key) return true;
  }
}

void TWideRegex::RememberFailure(const TMemoKey& Key) {
  if (FMemoCount * 2 >= FMemo.size()) GrowMemo();
  if (FMemoCount * 4 >= FMemo.size() * 3) return;  // full: forget rather than grow without bound
  const size_t Mask = FMemo.size() - 1;
  for (size_t I = MemoHash(Key) & Mask;; I = (I + 1) & Mask) {
    TMemoSlot& Slot = FMemo[I];
    if (Slot.Generation == FMemoGeneration) {
      if (Slot.Key == Key) return;
      continue;
    }
    Slot = {Key, FMemoGeneration};
    ++FMemoCount;
    return;
  }
}

void TWideRegex::GrowMemo() {
  if (FMemo.size() >= kMemoMaxSlots) return;
  std::vector<TMemoSlot> Old(std::max(kMemoFirstSlots, FMemo.size() * 2), TMemoSlot{});
  Old.swap(FMemo);
  FMemoCount = 0;
  for (const TMemoSlot& Slot : Old)
    if (Slot.Generation == FMemoGeneration) RememberFailure(Slot.Key);
}

// Memo points are the choices, loops and repeats that runaway backtracking returns to; none where an
// outcome hangs on more than the key: text captured for a back-reference, or the rounds of a greedy
// star or plus that "opBack" looks back at.
void TWideRegex::PlanMemo() {
  const int Size = static_cast<int>(FProgram.size());
  FMemoKinds.assign(Size, kNotRemembered);
  FFollows.clear();
  FFollowOf.assign(FProgram.size() <= kMaxNextTable ? Size : 0, -1);
  FMemoAllowed = true;
  std::vector<bool> Seen(Size);
  std::vector<int> Todo{1}, Points;
  while (!Todo.empty()) {
    const int Node = Todo.back();
    Todo.pop_back();
    if (Node < 0 || Node + 2 >= Size || Seen[Node]) continue;
    Seen[Node] = true;
    const int Code = Op(Node);
    const int Next = NextNode(Node);
    Todo.push_back(Next);
    if (Code == opBack || Code == opBackRef || Code == opBackRefNoCase) FMemoAllowed = false;
    if (Code == opBranch) {
      Todo.push_back(Node + 3);
      if (Next != kNoNode && Op(Next) == opBranch) Points.push_back(Node);
    } else if (Code == opLoop || Code == opLoopLazy) {
      Todo.push_back(Node + ReadInt32(Operand(Node) + 4));
      Points.push_back(Node);
      if (!FFollowOf.empty()) PlanLoopExit(Node);
    } else if (IsSimpleRepeat(Code)) {
      const TRepeat R = RepeatOf(Node);
      if (R.Operand + 2 >= Size || Op(R.Operand) == opBackRef || Op(R.Operand) == opBackRefNoCase)
        FMemoAllowed = false;
      if (R.Min < R.Max) Points.push_back(Node);  // a fixed count is no choice
    }
  }
  FCanBacktrack = !Points.empty();
  if (!FMemoAllowed) return;
  std::vector<int64_t> Known(Size, -1);
  for (const int Node : Points)
    FMemoKinds[Node] = WidthToLoop(Node, 0, Known) > 0 ? kRememberCounts : kRememberRounds;
}

// The characters that the way on from a loop can begin with, where the plan can tell.
void TWideRegex::PlanLoopExit(int Loop) {
  FFirstChars.reset();
  FFirstCount = 0;
  FPlanVisits = 0;
  if (!AddFirstChars(NextNode(Loop), 0)) return;
  TFollow F{};
  for (wchar_t C = 0; C < 256; ++C) F.Low[C] = FFirstChars[C];
  F.High = FFirstChars.count() > F.Low.count();  // any member from 256 on lets all of them try
  FFollowOf[Loop] = static_cast<int32_t>(FFollows.size());
  FFollows.push_back(F);
}

// The fewest characters consumed on any way from Node before a loop node; kNoLoopAhead when every way
// ends the match first. Where the walk gives up it says 0, which keeps more in the key, never less.
int64_t TWideRegex::WidthToLoop(int Node, int Depth, std::vector<int64_t>& Known) const {
  if (Node == kNoNode || Depth > kMaxWidthDepth) return 0;
  if (Known[Node] >= 0) return Known[Node];
  const int Code = Op(Node);
  int64_t Width = 0;
  if (Code == opEnd) {
    Width = kNoLoopAhead;
  } else if (Code == opBranch) {
    Width = WidthToLoop(Node + 3, Depth + 1, Known);
    const int Next = NextNode(Node);
    if (Next != kNoNode && Op(Next) == opBranch) Width = std::min(Width, WidthToLoop(Next, Depth + 1, Known));
  } else if (Code != opLoop && Code != opLoopLazy && Code != opLoopEntry) {
    Width = std::min(kNoLoopAhead, NodeWidth(Node) + WidthToLoop(NextNode(Node), Depth + 1, Known));
  }
  Known[Node] = Width;
  return Width;
}

// The fewest characters that the node itself consumes.
int64_t TWideRegex::NodeWidth(int Node) const {
  const int Code = Op(Node);
  if (Code == opLiteral || Code == opLiteralNoCase) return static_cast<int64_t>(RegStrLen(Operand(Node)));
  if (IsSimpleRepeat(Code)) return RepeatOf(Node).Min;
  switch (Code) {
    case opAnyChar:
    case opAnyCharML:
    case opAnyOf:
    case opNoneOf:
    case opAnyOfNoCase:
    case opNoneOfNoCase:
    case opDigit:
    case opNonDigit:
    case opWordChar:
    case opNonWordChar:
    case opSpace:
    case opNonSpace:
      return 1;
    default:
      return 0;
  }
}

// ---------------------------------------------------------------------------------------------
// Search plan: where a search may start. A hint may skip a position only where the matcher would
// fail; the unhinted search is the reference for that.

void TWideRegex::TCharTable::Build(const std::wstring& Set) {
  Source = Set;
  Bits.reset();
  for (const wchar_t* C = Set.c_str(); *C; ++C)
    if (*C < 256) Bits.set(*C);
}

bool TWideRegex::TCharTable::Holds(wchar_t C) const {
  return C < 256 ? Bits[C] : RegStrScan(Source.c_str(), C) != nullptr;
}

// The tables follow the sets; the plan follows the program, the sets it read and the case inverter.
void TWideRegex::PrepareSearch() {
  if (!SameChars(LineBreakSet, FBreakTable.Source)) FBreakTable.Build(LineBreakSet);
  if (!SameChars(WordSet, FWordTable.Source)) {
    FWordTable.Build(WordSet);
    FPlanValid = false;
  }
  if (!SameChars(SpaceSet, FSpaceTable.Source)) {
    FSpaceTable.Build(SpaceSet);
    FPlanValid = false;
  }
  if (CaseInverter != FPlanInverter) FPlanValid = false;
  if (!FPlanValid) MakePlan();
}

void TWideRegex::MakePlan() {
  FPlanValid = true;
  PlanMemo();
  // A single top-level alternative is no choice: a try starts inside it.
  const int Second = NextNode(1);
  FFirstNode = Op(1) == opBranch && (Second == kNoNode || Op(Second) != opBranch) ? 4 : 1;
  FNexts.clear();
  if (FProgram.size() <= kMaxNextTable)
    for (int Cell = 0; Cell < static_cast<int>(FProgram.size()); ++Cell) FNexts.push_back(NextNode(Cell));
  FPlanInverter = CaseInverter;
  FStartKind = TStartKind::Scan;
  FLeadingChecks.clear();
  FFirstChars.reset();
  FFirstLow.fill(false);
  FFirstCount = 0;
  FPlanVisits = 0;
  FFirstKnown = AddFirstChars(1, 0);
  FMust.clear();
  FMustOther.clear();
  FRunNode = kNoNode;
  // The rest needs one top-level alternative, whose chain every match runs through.
  const int Next = NextNode(1);
  if (Next == kNoNode || Op(Next) != opEnd) return;
  int Scan = 4;
  while (Scan != kNoNode && ConsumesNothing(Op(Scan))) Scan = NextNode(Scan);
  if (Scan == kNoNode) return;
  FStartKind = Op(Scan) == opLineStart ? TStartKind::AtOffset : LeadingRepeat(Scan);
  for (; Scan != kNoNode && (IsAssertion(Op(Scan)) || ConsumesNothing(Op(Scan))); Scan = NextNode(Scan))
    if (IsAssertion(Op(Scan))) FLeadingChecks.push_back(Scan);
  ChooseRequiredText();
}

void TWideRegex::AddFirstChar(wchar_t C) {
  if (FFirstChars[C]) return;
  FFirstChars.set(C);
  if (C < 256) FFirstLow[C] = true;
  if (FFirstCount < 2) FFirstPair[FFirstCount] = C;
  ++FFirstCount;
}

// Adds every character that a match running from Node can begin with. False when the match may begin
// with any character or consume none.
bool TWideRegex::AddFirstChars(int Node, int Depth) {
  for (; Node != kNoNode && Depth < kMaxPlanDepth && ++FPlanVisits < kMaxPlanVisits;) {
    const int Code = Op(Node);
    if (ConsumesNothing(Code) || IsAssertion(Code)) {
      Node = NextNode(Node);
      continue;
    }
    switch (Code) {
      case opBranch: {
        const int Next = NextNode(Node);
        if (Next == kNoNode || Op(Next) != opBranch) {
          Node += 3;
          continue;
        }
        for (int Alternative = Node; Alternative != kNoNode && Op(Alternative) == opBranch;
             Alternative = NextNode(Alternative))
          if (!AddFirstChars(Alternative + 3, Depth + 1)) return false;
        return true;
      }
      case opStar:
      case opStarLazy:
        if (!AddNodeChars(Node + 3)) return false;
        Node = NextNode(Node);
        continue;
      case opPlus:
      case opPlusLazy:
        return AddNodeChars(Node + 3);
      case opRepeat:
      case opRepeatLazy:
        if (!AddNodeChars(Node + 7)) return false;
        if (ReadInt32(Operand(Node)) > 0) return true;
        Node = NextNode(Node);
        continue;
      case opLoopEntry: {
        const int Loop = NextNode(Node);
        if (Loop == kNoNode || (Op(Loop) != opLoop && Op(Loop) != opLoopLazy)) return false;
        if (!AddFirstChars(Loop + ReadInt32(Operand(Loop) + 4), Depth + 1)) return false;
        if (ReadInt32(Operand(Loop)) > 0) return true;
        Node = NextNode(Loop);
        continue;
      }
      default:
        return AddNodeChars(Node);
    }
  }
  return false;
}

// The characters that one consuming node accepts first; false for any character or none.
bool TWideRegex::AddNodeChars(int Node) {
  const wchar_t* Arg = Operand(Node);
  switch (Op(Node)) {
    case opLiteral:
      if (!Arg[0]) return false;  // the empty literal, which matches at the end only
      AddFirstChar(Arg[0]);
      return true;
    case opLiteralNoCase:
      if (!Arg[0]) return false;
      AddFirstChar(Arg[0]);
      AddFirstChar(CaseInverter(Arg[0]));
      return true;
    case opAnyOf:
      for (; *Arg; ++Arg) AddFirstChar(*Arg);
      return true;
    case opAnyOfNoCase:
      // A character passes when it or its image is a member; only the default inverter is known to
      // change nothing from 128 on.
      if (CaseInverter != &TWideRegex::DefaultInvertCase) return false;
      for (const wchar_t* M = Arg; *M; ++M) AddFirstChar(*M);
      for (wchar_t C = 1; C < 128; ++C)
        if (RegStrScan(Arg, CaseInverter(C))) AddFirstChar(C);
      return true;
    case opDigit:
      for (wchar_t C = L'0'; C <= L'9'; ++C) AddFirstChar(C);
      return true;
    case opWordChar:
      for (const wchar_t* C = WordSet.c_str(); *C; ++C) AddFirstChar(*C);
      return true;
    case opSpace:
      for (const wchar_t* C = SpaceSet.c_str(); *C; ++C) AddFirstChar(*C);
      return true;
    default:
      return false;
  }
}

// A pattern that begins with ".*" or ".+" matches from the first place it can start at, if anywhere
// later: the repeat takes in what lies between. With modifier s that place is the offset; without it,
// "." stops at line breaks, so a match may also start right behind one.
TWideRegex::TStartKind TWideRegex::LeadingRepeat(int Node) const {
  const int Code = Op(Node);
  const bool Simple = Code == opStar || Code == opStarLazy || Code == opPlus || Code == opPlusLazy;
  if (Simple && Op(Node + 3) == opAnyChar) return TStartKind::AtOffset;
  // Without s: a counted loop (lazy) or the branch construction of the greedy star.
  if (Code == opLoopEntry) {
    const int Loop = NextNode(Node);
    const bool DotLoop = Loop != kNoNode && (Op(Loop) == opLoop || Op(Loop) == opLoopLazy) &&
                         ReadInt32(Operand(Loop)) <= 1 && ReadInt32(Operand(Loop) + 2) == kMaxLoopCount &&
                         Loop + ReadInt32(Operand(Loop) + 4) == Node + 3 && Op(Node + 3) == opAnyCharML &&
                         NextNode(Node + 3) == Loop;
    if (DotLoop) return TStartKind::AfterLineBreaks;
  }
  if (Code == opBranch && Op(Node + 3) == opAnyCharML) {
    const int Back = NextNode(Node + 3);
    if (Back != kNoNode && Op(Back) == opBack && NextNode(Back) == Node) return TStartKind::AfterLineBreaks;
  }
  return TStartKind::Scan;
}

// What every match holds, from the chain that every match runs through and from the rounds of its loops:
// the literal run worth most (length times the rounds it is needed in) and the longest run of one class.
void TWideRegex::ChooseRequiredText() {
  FMust.clear();
  FMustOther.clear();
  FMustCount = 0;
  FRunNode = kNoNode;
  FRunMin = 0;
  GatherRequired(4, kNoNode, 1);
  if (FRunNode == kNoNode) return;
  for (wchar_t C = 1; C < 256; ++C) FRunLow[C] = TestChar(FRunNode, C);
}

// Walks the chain from Node to Stop. Literals with only zero-width nodes between are one run; a group of
// one alternative is part of the chain, one of several is passed over, and so is a loop inside a loop.
void TWideRegex::GatherRequired(int Node, int Stop, int32_t Rounds) {
  std::wstring Run, RunOther;
  for (int Guard = 0; Node != kNoNode && Node != Stop && Guard < FProgramSize; ++Guard) {
    const int Code = Op(Node);
    const int Next = NextNode(Node);
    if ((Code == opLiteral || Code == opLiteralNoCase) && *Operand(Node)) {
      for (const wchar_t* C = Operand(Node); *C; ++C) {
        Run += *C;
        RunOther += Code == opLiteralNoCase ? CaseInverter(*C) : *C;
      }
      Node = Next;
      continue;
    }
    const bool OneAlternative = Code == opBranch && (Next == kNoNode || Op(Next) != opBranch);
    if (OneAlternative || ConsumesNothing(Code) || IsAssertion(Code)) {
      Node = OneAlternative ? Node + 3 : Next;
      continue;
    }
    OfferLiteral(Run, RunOther, Rounds);
    Run.clear();
    RunOther.clear();
    if (Code == opBranch) {
      while (Node != kNoNode && Op(Node) == opBranch) Node = NextNode(Node);
    } else if (Code == opLoopEntry) {
      if (Next == kNoNode || (Op(Next) != opLoop && Op(Next) != opLoopLazy)) return;
      // A round holding a literal is never empty, so the loop runs at least its minimum of rounds.
      const int32_t Min = ReadInt32(Operand(Next));
      if (Rounds == 1 && Min > 0) GatherRequired(Next + ReadInt32(Operand(Next) + 4), Next, Min);
      Node = NextNode(Next);
    } else {
      if (IsSimpleRepeat(Code)) OfferClassRun(Node);
      Node = Next;
    }
  }
  OfferLiteral(Run, RunOther, Rounds);
}

void TWideRegex::OfferLiteral(const std::wstring& Run, const std::wstring& RunOther, int32_t Rounds) {
  const auto Worth = [](int32_t Count, const std::wstring& S) {
    return int64_t{Count} * static_cast<int64_t>(S.size());
  };
  if (Run.empty() || Worth(Rounds, Run) < Worth(FMustCount, FMust)) return;
  FMust = Run;
  FMustOther = RunOther;
  FMustCount = Rounds;
}

// Only a search that can backtrack pays for the scan.
void TWideRegex::OfferClassRun(int Repeat) {
  const TRepeat R = RepeatOf(Repeat);
  if (!FCanBacktrack || R.Min < 2 || R.Min < FRunMin || Op(R.Operand) == opBackRef ||
      Op(R.Operand) == opBackRefNoCase)
    return;
  FRunNode = R.Operand;
  FRunMin = R.Min;
}

bool TWideRegex::HoldsRequiredText(int From) const {
  return (FMust.empty() || HoldsRequiredLiteral(From)) && (FRunNode == kNoNode || HoldsClassRun(From));
}

// Whether the literal occurs FMustCount times without overlap: the earliest end each time finds the most.
bool TWideRegex::HoldsRequiredLiteral(int From) const {
  const wchar_t* End = FInput.c_str() + FInputEnd;
  const size_t Len = FMust.size();
  int32_t Needed = FMustCount;
  for (const wchar_t* P = FInput.c_str() + From; static_cast<size_t>(End - P) >= Len; ++P) {
    P = FindEither(P, End, FMust[0], FMustOther[0]);
    if (static_cast<size_t>(End - P) < Len) return false;
    size_t I = 1;
    while (I < Len && (P[I] == FMust[I] || P[I] == FMustOther[I])) ++I;
    if (I < Len) continue;
    if (--Needed == 0) return true;
    P += Len - 1;
  }
  return false;
}

bool TWideRegex::HoldsClassRun(int From) const {
  const wchar_t* S = FInput.c_str();
  int32_t Length = 0;
  for (int P = From; P < FInputEnd; ++P) {
    const wchar_t C = S[P];
    if (!(C < 256 ? FRunLow[C] : TestChar(FRunNode, C)))
      Length = 0;
    else if (++Length == FRunMin)
      return true;
  }
  return false;
}

// The first position from P on that is worth a try, or -1.
int TWideRegex::NextCandidate(int P, int From) const {
  if (P > FInputEnd) return -1;
  if (!FSearchHints) return P;
  const wchar_t* S = FInput.c_str();
  if (FStartKind == TStartKind::AfterLineBreaks) {
    if (P == From) return P;
    while (P <= FInputEnd && !IsUnconsumedBreak(P - 1)) ++P;
    return P <= FInputEnd ? P : -1;
  }
  if (!FFirstKnown) return P;
  if (FFirstCount == 0) return -1;  // a set left empty by a U+0000 ("[\x00]") matches nothing
  const wchar_t* End = S + FInputEnd;
  const wchar_t* Found;
  if (FFirstCount <= 2) {
    Found = FindEither(S + P, End, FFirstPair[0], FFirstPair[FFirstCount - 1]);
  } else {
    Found = S + P;
    while (Found < End && !(*Found < 256 ? FFirstLow[*Found] : FFirstChars[*Found])) ++Found;
  }
  return Found < End ? static_cast<int>(Found - S) : -1;
}

// A character that "." stops at without modifier s.
bool TWideRegex::IsUnconsumedBreak(int Pos) const {
  const wchar_t* S = FInput.c_str();
  return FBreakTable.Holds(S[Pos]) || (FPaired && S[Pos] == FPairHead && S[Pos + 1] == FPairTail);
}

// The assertions that begin the pattern, tested before a try costs anything.
bool TWideRegex::LeadingChecksHold(int Pos) {
  if (!FSearchHints) return true;
  FCurPos = Pos;
  return std::all_of(FLeadingChecks.begin(), FLeadingChecks.end(),
                     [this](int Node) { return AssertionHolds(Op(Node)); });
}
