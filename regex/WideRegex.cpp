#include "regex/WideRegex.h"

#include <algorithm>

#include "regex/WideRegex_internal.h"

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

using namespace WideRegexParts;

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
