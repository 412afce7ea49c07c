// The compiler: a pattern parsed and emitted as a program, in a sizing pass and an emitting pass.
#include "regex/WideRegex.h"

#include "regex/WideRegex_internal.h"

using namespace WideRegexParts;

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

void TWideRegex::ReportAndGoOn(int Code) {
  if (FSizing) Error(Code);
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
  Flags = AtomFlags;
  if (!IsQuantifierChar(Quantifier)) return Ret;
  // An atom that may match nothing is not repeated: it stands alone, and its quantifier starts the next
  // piece, where "*" and "+" fail and a brace, read or not, is a literal.
  if (!(AtomFlags & pfHasWidth) && Quantifier != L'?') {
    ReportAndGoOn(reeCompOperandCouldBeEmpty);
    return Ret;
  }
  int32_t Min = 0, Max = 0;
  if (Quantifier == L'{' && ParseBraces(Min, Max) == kNotQuantifier) return Ret;
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
  // A second quantifier starts the next piece, where "*", "+" and "?" fail and a brace is a literal.
  if (IsQuantifierChar(*FParsePos)) ReportAndGoOn(reeCompNestedQuantifier);
  return Ret;
}

int TWideRegex::ParseBraces(int32_t& Min, int32_t& Max) {
  const wchar_t* Close = BraceQuantifierEnd(FParsePos);
  if (!Close) return kNotQuantifier;
  const wchar_t* MinFirst = FParsePos + 1;
  const wchar_t* MinLast = MinFirst;
  while (IsDigit(*MinLast)) ++MinLast;
  ParseRepeatCount(MinFirst, MinLast, Min);
  if (*MinLast == L'}')
    Max = Min;
  else if (MinLast + 1 == Close)
    Max = kMaxLoopCount;
  else
    ParseRepeatCount(MinLast + 1, Close, Max);
  FParsePos = Close;
  // Not a quantifier: the atom stands alone and the "}" starts a literal.
  if (Max < Min) {
    ReportAndGoOn(reeCompBraceMinAboveMax);
    return kNotQuantifier;
  }
  return kQuantifier;
}

void TWideRegex::ParseRepeatCount(const wchar_t* First, const wchar_t* Last, int32_t& Value) {
  Value = 0;
  if (Last - First > kMaxCountDigits) {
    ReportAndGoOn(reeCompBracesTooBig);
    return;
  }
  for (const wchar_t* P = First; P < Last; ++P) Value = Value * 10 + (*P - L'0');
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
    // One digit more could not fit a character: it is dropped, and the escape ends behind it.
    if (Code >= 0x1000) {
      ReportAndGoOn(reeCompHexCodeTooBig);
      ++P;
      break;
    }
    Code = Code * 16 + HexDigitValue(*P);
    ++P;
  }
  Value = static_cast<wchar_t>(Code);
  return true;
}

// Any other character counts as 0.
int TWideRegex::HexDigitValue(wchar_t C) {
  if (C >= L'0' && C <= L'9') return C - L'0';
  if (C >= L'a' && C <= L'f') return C - L'a' + 10;
  if (C >= L'A' && C <= L'F') return C - L'A' + 10;
  ReportAndGoOn(reeCompBadHexDigit);
  return 0;
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
