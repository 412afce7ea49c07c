// The matcher: the program run over the input, backtracking through an explicit stack.
#include "regex/WideRegex.h"

#include <new>

#include "regex/WideRegex_internal.h"

using namespace WideRegexParts;

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
