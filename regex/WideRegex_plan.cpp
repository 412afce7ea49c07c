#include "regex/WideRegex.h"

#include "regex/WideRegex_internal.h"

using namespace WideRegexParts;

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
