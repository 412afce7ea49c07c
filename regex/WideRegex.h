#pragma once
// Regular expressions over UTF-16 text: a pattern compiles into a program of 16-bit cells that a
// backtracking matcher interprets. Errors never raise; they go to the virtual hook Error.
#include <array>
#include <bitset>
#include <cstdint>
#include <string>
#include <vector>

// Modifier bits of TWideRegex.
constexpr uint32_t ModifierI = 1;   // case-insensitive literals, sets and back-references
constexpr uint32_t ModifierR = 2;   // [а-я] and [А-Я] also take ё and Ё, which lie outside the code range
constexpr uint32_t ModifierS = 4;   // "." matches every character
constexpr uint32_t ModifierG = 8;   // greedy quantifiers
constexpr uint32_t ModifierM = 16;  // multi-line "^" and "$"
constexpr uint32_t ModifierX = 32;  // extended syntax

// Opcodes of the compiled program.
enum TWideRegexOpcode : wchar_t {
  opEnd = 0,
  opLineStart = 1,
  opLineEnd = 2,
  opAnyChar = 3,
  opAnyOf = 4,
  opNoneOf = 5,
  opBranch = 6,
  opBack = 7,
  opLiteral = 8,
  opNothing = 9,
  opStar = 10,
  opPlus = 11,
  opDigit = 12,
  opNonDigit = 13,
  opWordChar = 14,
  opNonWordChar = 15,
  opSpace = 16,
  opNonSpace = 17,
  opRepeat = 18,
  opComment = 19,
  opLiteralNoCase = 20,
  opAnyOfNoCase = 21,
  opNoneOfNoCase = 22,
  opLoopEntry = 23,
  opLoop = 24,
  opBackRef = 28,
  opBackRefNoCase = 29,
  opStarLazy = 30,
  opPlusLazy = 31,
  opRepeatLazy = 32,
  opLoopLazy = 33,
  opLineStartML = 34,
  opLineEndML = 35,
  opAnyCharML = 36,
  opWordBoundary = 37,
  opNonWordBoundary = 38,
  opGroupOpen = 39,   // + group number 1..14
  opGroupClose = 54,  // + group number 1..14
};

// Error codes passed to TWideRegex::Error.
enum TWideRegexError : int {
  reeCompNullArgument = 100,
  reeCompTooBig = 101,
  reeCompTooManyGroups = 102,
  reeCompUnmatchedGroup = 103,
  reeCompUnmatchedClose = 104,
  reeCompJunkOnEnd = 105,
  reeCompOperandCouldBeEmpty = 106,
  reeCompNestedQuantifier = 107,
  reeCompBadHexDigit = 108,
  reeCompInvalidRange = 109,
  reeCompTrailingBackslashInSet = 110,
  reeCompNoHexCodeAfterX = 111,
  reeCompHexCodeTooBig = 112,
  reeCompUnmatchedSet = 113,
  reeCompAtomInternal = 114,
  reeCompQuantifierFollowsNothing = 115,
  reeCompTrailingBackslash = 116,
  reeCompEmptyLiteral = 119,
  reeCompBracesTooBig = 122,
  reeCompBraceMinAboveMax = 124,
  reeCompUnclosedComment = 125,
  reeCompUnknownModifier = 127,
  reeBadLinePairedSeparator = 128,
  reeCompPassesDisagree = 129,  // internal: the emitting pass did not fill the sized program exactly
  reeCountRepeatsInternal = 1000,
  reeUnknownOpcode = 1001,
  reeNoNextNode = 1002,
  reeNoExpression = 1003,
  reeCorruptedProgram = 1004,
  reeNoInputString = 1005,
  reeOffsetBelowOne = 1006,
  reeModifierIndex = 1013,
  reeLoopStackExceeded = 1014,
  reeLoopWithoutEntry = 1015,
  reeStepLimitExceeded = 1016,       // the search took too many steps (runaway backtracking)
  reeBacktrackLimitExceeded = 1017,  // too many open choice points
};

// Settings that every new TWideRegex copies.
extern bool DefaultModifierI;
extern bool DefaultModifierR;
extern bool DefaultModifierS;
extern bool DefaultModifierG;
extern bool DefaultModifierM;
extern const std::wstring DefaultSpaceSet;
extern const std::wstring DefaultWordSet;
extern const std::wstring DefaultLineBreakSet;
extern const std::wstring DefaultLinePairedSeparator;

// Characters that end a literal run.
extern const wchar_t WideRegexMetaChars[];
// The letters that modifier r puts into the ranges [а-я] and [А-Я].
extern const wchar_t RussianLowerLetters[];
extern const wchar_t RussianUpperLetters[];

// Language of ErrorMsg: English when exactly "en", German otherwise. The application sets it.
extern std::wstring WideRegexLanguage;

class TWideRegex {
 public:
  using TCaseInverter = wchar_t (*)(wchar_t);

  TWideRegex();
  virtual ~TWideRegex() = default;
  TWideRegex(const TWideRegex&) = delete;
  TWideRegex& operator=(const TWideRegex&) = delete;

  // Error hook: does nothing; derived classes may watch the codes.
  virtual void Error(int Code);
  virtual std::wstring ErrorMsg(int Code) const;

  const std::wstring& Expression() const { return FPattern; }
  void SetExpression(const std::wstring& Pattern);
  const std::wstring& InputString() const { return FInput; }
  void SetInputString(const std::wstring& Input);

  // Index 1..6 stands for i, r, s, g, m, x.
  bool Modifier(int Index) const;
  void SetModifier(int Index, bool On);
  // Set letters, "-", cleared letters, e.g. "ism-rgx"; the setter takes letters as in "(?...)".
  std::wstring ModifierStr() const;
  void SetModifierStr(const std::wstring& Letters);

  // Two different characters that count together as one line break, or "" for none.
  std::wstring LinePairedSeparator() const;
  void SetLinePairedSeparator(const std::wstring& Separator);

  bool Compile();
  void DiscardProgram();

  bool Exec(const std::wstring& Input);
  // Searches from a 1-based offset of the input.
  bool ExecFrom(int Offset);
  // Searches on after the last match (one further when it was empty).
  bool ExecNext();

  // Index 0 is the whole match, 1..14 the groups. Positions are 1-based; -1 when unset.
  int MatchPos(int Index) const;
  int MatchLen(int Index) const;
  std::wstring Match(int Index) const;

  static wchar_t DefaultInvertCase(wchar_t C);
  // Applies the letters [First, Last) to Modifiers; false at the first unknown character.
  static bool ParseModifierLetters(const wchar_t* First, const wchar_t* Last, uint32_t& Modifiers);

  // The compiled program and its search hints, for inspection. The search itself goes by a plan that
  // covers these hints and more (first characters in either case, required literals of either kind, runs of
  // a class, leading ".*", "^" and "\b").
  const std::vector<wchar_t>& Program() const { return FProgram; }
  wchar_t FirstCharHint() const { return FFirstChar; }
  bool Anchored() const { return FAnchored; }
  std::wstring RequiredSubstring() const;
  // Off: every position is tried, no hint is used and no failed state is remembered; the plain matcher,
  // to check the faster search against.
  void SetSearchHints(bool On) { FSearchHints = On; }

  std::wstring SpaceSet;      // characters of "\s"
  std::wstring WordSet;       // characters of "\w" and of word boundaries
  std::wstring LineBreakSet;  // characters that end a line in multi-line mode
  TCaseInverter CaseInverter;

 private:
  static constexpr int kGroupCount = 15;
  static constexpr size_t kLoopDepth = 10;
  // States inside deeper loop nests are not remembered; the key's comparison names each frame.
  static constexpr size_t kMemoFrames = 2;

  struct TLoopFrame {
    int32_t Counter;
    int32_t IterStart;  // position where the current iteration began
    int32_t Loop;       // the loop node, which holds the bounds
  };
  // The frames of the loops entered, at most kLoopDepth; kept in place, as the matcher changes them at
  // nearly every step of a loop.
  struct TLoopStack {
    std::array<TLoopFrame, kLoopDepth> Frames;
    size_t Count = 0;
    void clear() { Count = 0; }
    bool empty() const { return Count == 0; }
    size_t size() const { return Count; }
    void push_back(const TLoopFrame& F) { Frames[Count++] = F; }
    void pop_back() { --Count; }
    TLoopFrame& back() { return Frames[Count - 1]; }
    const TLoopFrame& back() const { return Frames[Count - 1]; }
    const TLoopFrame& operator[](size_t I) const { return Frames[I]; }
  };
  struct TBacktrackEntry {
    int32_t Kind;
    int32_t Node;
    int32_t Pos;
    int32_t Count;
  };
  // A state of the matcher whose outcome depends on nothing else: the node, the position and what the
  // counters of the enclosing loops can still decide.
  struct TMemoKey {
    int32_t Node;
    int32_t Pos;
    uint32_t Frames[kMemoFrames];  // per loop: its counter (or "spent") and whether its round is empty
    bool operator==(const TMemoKey& Other) const {
      return Node == Other.Node && Pos == Other.Pos && Frames[0] == Other.Frames[0] &&
             Frames[1] == Other.Frames[1];
    }
  };
  struct TMemoSlot {
    TMemoKey Key;
    uint32_t Generation;
  };
  struct TRepeat {
    int Operand;
    int32_t Min;
    int32_t Max;
    int Next;
    bool Lazy;
  };

  // Compiler.
  bool CompileProgram(const wchar_t* Pattern);
  bool FailCompile();
  // An error after which the compile goes on: told once, by the sizing pass.
  void ReportAndGoOn(int Code);
  void SetHints(int Flags);
  int ParseGroup(bool Parenthesised, int& Flags);
  int ParseBranch(int& Flags);
  int ParseQuantified(int& Flags);
  int ParseAtom(int& Flags);
  int ParseEscape(int& Flags);
  int ParseSet(int& Flags);
  int ParseLiteralRun(int& Flags);
  int ParseBraces(int32_t& Min, int32_t& Max);
  void ParseRepeatCount(const wchar_t* First, const wchar_t* Last, int32_t& Value);
  bool DecodeEscape(const wchar_t*& P, wchar_t& Value);
  int HexDigitValue(wchar_t C);
  bool EmitSetRange(wchar_t First, wchar_t Last);
  void EmitSetString(const wchar_t* S);
  void EmitCountedRepeat(wchar_t Op, int Atom, int32_t Min, int32_t Max);
  void EmitCountedLoop(wchar_t Op, int Atom, int32_t Min, int32_t Max);
  void EmitStar(int Atom);
  void EmitPlus(int Atom);
  void EmitOptional(int Atom);
  bool Reserve(int Cells);
  int EmitNode(wchar_t Op);
  void EmitChar(wchar_t C);
  void EmitInt32(int32_t Value);
  void InsertNode(wchar_t Op, int Pos, int Cells);
  void PutInt32(int At, int32_t Value);
  void LinkTail(int Node, int Target);
  void LinkOperandTail(int Node, int Target);

  // Matcher.
  bool EnsureProgram();
  void ClearMatchPositions();
  bool Search(int From);
  bool TryAt(int Pos);
  bool MatchNode(int Node);
  bool Backtrack(int& Node);
  bool Resume(const TBacktrackEntry& E, int& Node);
  bool MatchLiteral(int Node);
  bool MatchBackRef(int Node);
  bool TestChar(int Node, wchar_t C) const;
  bool IsLineStartML() const;
  bool IsLineEndML() const;
  bool IsWordBoundary() const;
  bool AssertionHolds(int Code) const;
  bool IsEmptyRound(int Back) const;
  bool MatchLoopNode(int& Node);
  bool ExitMayMatch(int Loop) const;
  bool IterateLoop(int& Node);
  bool ExitLoop(int& Node);
  TRepeat RepeatOf(int Node) const;
  int RepeatUnit(int Operand) const;
  bool StartRepeat(int& Node);
  bool TryGreedyCount(int& Node, int Start, int32_t Count);
  bool TryLazyCount(int& Node, int Start, int32_t Count);
  bool ResumeLazy(int& Node, int Start, int32_t Count);
  bool LookAheadOk(const TRepeat& R, int Pos) const;
  int32_t CountRepeats(int Node, int32_t Max);
  bool GroupText(int Group, int& Start, int& Len) const;
  bool SameText(int Start, int Len, bool NoCase) const;
  const wchar_t* ScanCharNoCase(const wchar_t* Set, wchar_t C) const;
  wchar_t OtherCase(wchar_t C) const;
  int NextNode(int Node) const;
  int Op(int Node) const { return FProgram[Node]; }
  const wchar_t* Operand(int Node) const { return FProgram.data() + Node + 3; }
  bool PushChoice(int Kind, int Node, int Pos, int32_t Count = 0);
  bool LogUndo(int Kind, int32_t Node, int32_t Pos, int32_t Count = 0);
  bool StackFull() const;

  // Memory of failed states.
  void PlanMemo();
  void PlanLoopExit(int Loop);
  bool WorthRemembering(int Loop) const;
  int64_t WidthToLoop(int Node, int Depth, std::vector<int64_t>& Known) const;
  int64_t NodeWidth(int Node) const;
  bool MemoKeyAt(int Node, TMemoKey& Key) const;
  bool KnownToFail(const TMemoKey& Key) const;
  bool FailsLikeOneBefore(const TMemoKey& Key) const;
  bool FailedOneLater(int Node, const TRepeat& R, int Start);
  bool EnterMemoPoint(int Node);
  void RememberFailure(const TMemoKey& Key);
  void GrowMemo();
  bool Tick();
  bool Abort(int Code);

  // Search plan.
  enum class TStartKind { Scan, AtOffset, AfterLineBreaks };
  // Which of the first 256 characters a character set string holds (up to its first U+0000), and the
  // string it was made from: the sets are public and may change between searches.
  struct TCharTable {
    std::bitset<256> Bits;
    std::wstring Source;
    void Build(const std::wstring& Set);
    bool Holds(wchar_t C) const;
  };
  void PrepareSearch();
  void MakePlan();
  bool AddFirstChars(int Node, int Depth);
  bool AddNodeChars(int Node);
  void AddFirstChar(wchar_t C);
  TStartKind LeadingRepeat(int Node) const;
  void ChooseRequiredText();
  void GatherRequired(int Node, int Stop, int32_t Rounds);
  void OfferLiteral(const std::wstring& Run, const std::wstring& RunOther, int32_t Rounds);
  void OfferClassRun(int Repeat);
  bool HoldsRequiredText(int From) const;
  bool HoldsRequiredLiteral(int From) const;
  bool HoldsClassRun(int From) const;
  int NextCandidate(int P, int From) const;
  bool LeadingChecksHold(int Pos);
  bool IsUnconsumedBreak(int Pos) const;

  const wchar_t* FAsciiOther;  // the default inverter's table

  // Match state.
  int FStartP[kGroupCount];
  int FEndP[kGroupCount];
  TLoopStack FLoops;
  std::vector<TBacktrackEntry> FStack;
  int FChoices = 0;
  int64_t FSteps = 0;
  int64_t FStepLimit = 0;
  bool FAborted = false;
  int FCurPos = 0;
  int FInputEnd = 0;
  bool FHasInput = false;
  std::wstring FInput;

  // Memory of failed states, for the search of one text.
  bool FMemoAllowed = false;           // the program's outcomes depend on no captured text and no history
  bool FCanBacktrack = false;          // the program holds a choice
  std::vector<uint8_t> FMemoKinds;     // per cell: not remembered, or how its key is made
  std::vector<TMemoSlot> FMemo;        // open addressing; slots of older generations are free
  std::vector<TMemoKey> FMemoPending;  // keys of the memo entries on the backtrack stack
  uint32_t FMemoGeneration = 1;
  size_t FMemoCount = 0;
  int64_t FMemoAfter = 0;  // steps of a search before it starts to remember

  // Search hints.
  wchar_t FFirstChar = 0;
  bool FAnchored = false;
  int FRequired = -1;  // cell of the required literal's string
  int FRequiredLen = 0;

  // Search plan and the character tables of the matcher.
  bool FSearchHints = true;
  int FFirstNode = 1;           // where a try starts
  std::vector<int32_t> FNexts;  // NextNode of every cell, for programs of moderate size
  // What may follow each loop (an index into FFollows per cell, or -1), for programs of moderate size.
  struct TFollow {
    std::bitset<256> Low;
    bool High;  // characters from 256 on
  };
  std::vector<int32_t> FFollowOf;
  std::vector<TFollow> FFollows;
  bool FPlanValid = false;
  TCaseInverter FPlanInverter = nullptr;
  TCharTable FSpaceTable, FWordTable, FBreakTable;
  TStartKind FStartKind = TStartKind::Scan;
  std::vector<int> FLeadingChecks;  // zero-width nodes that begin the pattern
  bool FFirstKnown = false;         // every match begins with a character of FFirstChars
  std::bitset<65536> FFirstChars;
  std::array<bool, 256> FFirstLow{};  // the same below 256, quicker to test
  int FFirstCount = 0;
  wchar_t FFirstPair[2] = {};  // the first two of them, for a vectorised scan
  int FPlanVisits = 0;
  std::wstring FMust, FMustOther;  // a literal every match holds; FMustOther its other case, if any
  int32_t FMustCount = 0;          // how often, without overlap
  int FRunNode = -1;               // a class every match holds a run of, or -1
  int32_t FRunMin = 0;             // the run's length
  std::bitset<256> FRunLow;        // the class below 256, quicker to test

  // Compiler state.
  const wchar_t* FParsePos = nullptr;
  int FNextGroup = 1;
  bool FSizing = false;
  bool FEmitOverflow = false;
  int FEmitPos = 0;
  int FProgramSize = 0;

  std::vector<wchar_t> FProgram;
  std::wstring FPattern;
  bool FCompileFailed = false;  // the stored pattern failed under FProgramModifiers
  uint32_t FModifiers = 0;
  uint32_t FCompModifiers = 0;
  uint32_t FProgramModifiers = 0;
  bool FPaired = false;
  wchar_t FPairHead = 0;
  wchar_t FPairTail = 0;
};
