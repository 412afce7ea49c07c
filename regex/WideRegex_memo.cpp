#include "regex/WideRegex.h"

#include "regex/WideRegex_internal.h"

using namespace WideRegexParts;

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
