#include "classlib/SysUtils.h"

#include <climits>
#include <cstdio>
#include <memory>

std::wstring AnsiToWide(const std::string& S, UINT CodePage) {
  if (S.empty()) return std::wstring();
  const int Length = MultiByteToWideChar(CodePage, 0, S.data(), static_cast<int>(S.size()), nullptr, 0);
  std::wstring Result(static_cast<size_t>(Length), L'\0');
  MultiByteToWideChar(CodePage, 0, S.data(), static_cast<int>(S.size()), Result.data(), Length);
  return Result;
}

std::string WideToAnsi(const std::wstring& S, UINT CodePage) {
  if (S.empty()) return std::string();
  const int Length =
      WideCharToMultiByte(CodePage, 0, S.data(), static_cast<int>(S.size()), nullptr, 0, nullptr, nullptr);
  std::string Result(static_cast<size_t>(Length), '\0');
  WideCharToMultiByte(CodePage, 0, S.data(), static_cast<int>(S.size()), Result.data(), Length, nullptr,
                      nullptr);
  return Result;
}

// ---------------------------------------------------------------------------------------------
// Exceptions

Exception::Exception(std::wstring Message) {
  SetMessage(std::move(Message));
}

Exception::Exception(const std::string& Message) {
  SetMessage(AnsiToWide(Message));
}

void Exception::SetMessage(std::wstring Message) {
  FMessage = std::move(Message);
  FWhat = WideToAnsi(FMessage, CP_UTF8);
}

const char* Exception::what() const noexcept {
  return FWhat.c_str();
}

void RaiseLastOSError() {
  RaiseLastOSError(GetLastError());
}

void RaiseLastOSError(DWORD Code) {
  throw EOSError(Code, Format(L"System Error.  Code: %d.\r\n%s", {Code, SysErrorMessage(Code)}));
}

EOleSysError::EOleSysError(HRESULT Code)
    : Exception(Format(L"OLE error %.8X: %s", {static_cast<unsigned>(Code), SysErrorMessage(Code)})),
      ErrorCode(Code) {}

void OleCheck(HRESULT Result) {
  if (FAILED(Result)) throw EOleSysError(Result);
}

std::wstring SysErrorMessage(DWORD Code) {
  wchar_t* Buffer = nullptr;
  const DWORD Length = FormatMessageW(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr,
      Code, 0, reinterpret_cast<LPWSTR>(&Buffer), 0, nullptr);
  const std::unique_ptr<wchar_t, decltype(&LocalFree)> Guard(Buffer, &LocalFree);
  std::wstring Result = Buffer ? std::wstring(Buffer, Length) : std::wstring();
  const size_t Last = Result.find_last_not_of(L" \t\r\n");
  Result.erase(Last == std::wstring::npos ? 0 : Last + 1);
  return Result;
}

void Assert(bool Condition, const std::wstring& Message) {
  if (!Condition) throw EAssertionFailed(Message);
}

// ---------------------------------------------------------------------------------------------
// Format

namespace {

struct TDirective {
  bool LeftJustify = false;
  size_t Width = 0;
  int Precision = -1;  // none given
  wchar_t Type = 0;    // lower case
};

[[noreturn]] void FormatError(const std::wstring& Fmt) {
  throw EConvertError(Format(L"Format '%s' invalid or incompatible with argument", {Fmt}));
}

// Reads decimal digits at Pos; false when there are none.
bool ReadNumber(const std::wstring& Fmt, size_t& Pos, size_t& Value) {
  const size_t Start = Pos;
  Value = 0;
  while (Pos < Fmt.size() && Fmt[Pos] >= L'0' && Fmt[Pos] <= L'9') {
    Value = Value * 10 + static_cast<size_t>(Fmt[Pos] - L'0');
    if (Value > 0xFFFF) FormatError(Fmt);  // no sane width or index
    ++Pos;
  }
  return Pos > Start;
}

// Parses what follows a '%' up to and including the type letter; sets ArgIndex when an index is given.
TDirective ParseDirective(const std::wstring& Fmt, size_t& Pos, size_t& ArgIndex) {
  TDirective Directive;
  size_t Number = 0;
  bool HaveWidth = ReadNumber(Fmt, Pos, Number);
  if (HaveWidth && Pos < Fmt.size() && Fmt[Pos] == L':') {
    ArgIndex = Number;
    ++Pos;
    HaveWidth = false;
  }
  if (!HaveWidth) {
    if (Pos < Fmt.size() && Fmt[Pos] == L'-') {
      Directive.LeftJustify = true;
      ++Pos;
    }
    ReadNumber(Fmt, Pos, Number);
  }
  Directive.Width = Number;
  if (Pos < Fmt.size() && Fmt[Pos] == L'.') {
    ++Pos;
    ReadNumber(Fmt, Pos, Number);
    Directive.Precision = static_cast<int>(Number);
  }
  if (Pos >= Fmt.size()) FormatError(Fmt);
  Directive.Type = static_cast<wchar_t>(towlower(Fmt[Pos++]));
  return Directive;
}

std::wstring Digits(unsigned long long Value, unsigned Base) {
  static const wchar_t HexDigits[] = L"0123456789ABCDEF";
  std::wstring Result;
  do {
    Result.insert(Result.begin(), HexDigits[Value % Base]);
    Value /= Base;
  } while (Value != 0);
  return Result;
}

// A negative value within 32 bits most likely came from a 32-bit type (an HRESULT, say), so it is shown
// as that type's unsigned form; anything wider keeps all 64 bits.
unsigned long long UnsignedOf(long long Value) {
  if (Value < 0 && Value >= INT32_MIN) return static_cast<uint32_t>(Value);
  return static_cast<unsigned long long>(Value);
}

std::wstring FormatInteger(const TDirective& Directive, long long Value) {
  std::wstring Result;
  bool Negative = false;
  switch (Directive.Type) {
    case L'd':
      Negative = Value < 0;
      Result = Digits(
          Negative ? 0ULL - static_cast<unsigned long long>(Value) : static_cast<unsigned long long>(Value),
          10);
      break;
    case L'u':
      Result = Digits(UnsignedOf(Value), 10);
      break;
    default:  // x
      Result = Digits(UnsignedOf(Value), 16);
  }
  if (Directive.Precision > 0 && Result.size() < static_cast<size_t>(Directive.Precision))
    Result.insert(0, static_cast<size_t>(Directive.Precision) - Result.size(), L'0');
  if (Negative) Result.insert(Result.begin(), L'-');
  return Result;
}

std::wstring FormatFloat(const TDirective& Directive, double Value) {
  char Buffer[400];
  const int Precision = Directive.Precision < 0 ? 2 : (Directive.Precision > 18 ? 18 : Directive.Precision);
  const int Length = snprintf(Buffer, sizeof Buffer, "%.*f", Precision, Value);
  if (Length < 0 || static_cast<size_t>(Length) >= sizeof Buffer) return L"";
  return std::wstring(Buffer, Buffer + Length);
}

std::wstring FormatArgument(const std::wstring& Fmt, const TDirective& Directive, const TVarRec& Arg) {
  const auto& Value = Arg.Value();
  switch (Directive.Type) {
    case L'd':
    case L'u':
    case L'x':
      if (!std::holds_alternative<long long>(Value)) break;
      return FormatInteger(Directive, std::get<long long>(Value));
    case L'f':
      if (!std::holds_alternative<double>(Value)) break;
      return FormatFloat(Directive, std::get<double>(Value));
    case L's': {
      if (!std::holds_alternative<std::wstring>(Value)) break;
      const std::wstring& S = std::get<std::wstring>(Value);
      return Directive.Precision >= 0 ? S.substr(0, static_cast<size_t>(Directive.Precision)) : S;
    }
  }
  FormatError(Fmt);
}

}  // namespace

std::wstring Format(const std::wstring& Fmt, std::initializer_list<TVarRec> Args) {
  std::wstring Result;
  size_t ArgIndex = 0;
  size_t Pos = 0;
  while (Pos < Fmt.size()) {
    const wchar_t C = Fmt[Pos++];
    if (C != L'%') {
      Result += C;
      continue;
    }
    if (Pos < Fmt.size() && Fmt[Pos] == L'%') {
      Result += L'%';
      ++Pos;
      continue;
    }
    const TDirective Directive = ParseDirective(Fmt, Pos, ArgIndex);
    if (ArgIndex >= Args.size()) FormatError(Fmt);
    std::wstring Text = FormatArgument(Fmt, Directive, Args.begin()[ArgIndex++]);
    if (Text.size() < Directive.Width)
      Text.insert(Directive.LeftJustify ? Text.size() : 0, Directive.Width - Text.size(), L' ');
    Result += Text;
  }
  return Result;
}

std::string Format(const std::string& Fmt, std::initializer_list<TVarRec> Args) {
  return WideToAnsi(Format(AnsiToWide(Fmt), Args));
}

// ---------------------------------------------------------------------------------------------
// Numbers and strings

std::string IntToStr(long long Value) {
  return std::to_string(Value);
}

std::wstring IntToWideStr(long long Value) {
  return std::to_wstring(Value);
}

namespace {

int DigitValue(char C) {
  if (C >= '0' && C <= '9') return C - '0';
  if (C >= 'A' && C <= 'F') return C - 'A' + 10;
  if (C >= 'a' && C <= 'f') return C - 'a' + 10;
  return 99;
}

// Leading blanks, an optional sign, then decimal digits or "$" and hex digits. Hex may use all 32 bits.
bool TryStrToInt(const std::string& S, int& Value) {
  size_t Pos = S.find_first_not_of(" \t");
  if (Pos == std::string::npos) return false;
  bool Negative = false;
  if (S[Pos] == '+' || S[Pos] == '-') Negative = S[Pos++] == '-';
  unsigned Base = 10;
  unsigned long long Limit = Negative ? 0x80000000ULL : 0x7FFFFFFFULL;
  if (Pos < S.size() && S[Pos] == '$') {
    Base = 16;
    Limit = 0xFFFFFFFFULL;
    ++Pos;
  }
  if (Pos == S.size()) return false;
  unsigned long long Magnitude = 0;
  for (; Pos < S.size(); ++Pos) {
    const int Digit = DigitValue(S[Pos]);
    if (Digit >= static_cast<int>(Base)) return false;
    Magnitude = Magnitude * Base + static_cast<unsigned>(Digit);
    if (Magnitude > Limit) return false;
  }
  const uint32_t Bits = static_cast<uint32_t>(Magnitude);
  Value = static_cast<int>(Negative ? 0U - Bits : Bits);
  return true;
}

}  // namespace

int StrToInt(const std::string& S) {
  int Value = 0;
  if (!TryStrToInt(S, Value)) throw EConvertError(Format("'%s' is not a valid integer value", {S}));
  return Value;
}

int StrToIntDef(const std::string& S, int Default) {
  int Value = 0;
  return TryStrToInt(S, Value) ? Value : Default;
}

std::string Trim(const std::string& S) {
  size_t First = 0;
  size_t Last = S.size();
  while (First < Last && static_cast<unsigned char>(S[First]) <= ' ') ++First;
  while (Last > First && static_cast<unsigned char>(S[Last - 1]) <= ' ') --Last;
  return S.substr(First, Last - First);
}

std::string UpperCase(const std::string& S) {
  std::string Result = S;
  for (char& C : Result)
    if (C >= 'a' && C <= 'z') C = static_cast<char>(C - 'a' + 'A');
  return Result;
}

std::string LowerCase(const std::string& S) {
  std::string Result = S;
  for (char& C : Result)
    if (C >= 'A' && C <= 'Z') C = static_cast<char>(C - 'A' + 'a');
  return Result;
}

namespace {

// CSTR_LESS_THAN, CSTR_EQUAL, CSTR_GREATER_THAN → -1, 0, 1.
int FromCompareResult(int Result) {
  return Result - CSTR_EQUAL;
}

int AnsiCompare(const std::string& S1, const std::string& S2, DWORD Flags) {
  return FromCompareResult(CompareStringA(LOCALE_USER_DEFAULT, Flags, S1.data(), static_cast<int>(S1.size()),
                                          S2.data(), static_cast<int>(S2.size())));
}

int WideCompare(const std::wstring& S1, const std::wstring& S2, DWORD Flags) {
  return FromCompareResult(CompareStringW(LOCALE_USER_DEFAULT, Flags, S1.data(), static_cast<int>(S1.size()),
                                          S2.data(), static_cast<int>(S2.size())));
}

}  // namespace

int AnsiCompareStr(const std::string& S1, const std::string& S2) {
  return AnsiCompare(S1, S2, 0);
}

int AnsiCompareText(const std::string& S1, const std::string& S2) {
  return AnsiCompare(S1, S2, NORM_IGNORECASE);
}

int WideCompareStr(const std::wstring& S1, const std::wstring& S2) {
  return WideCompare(S1, S2, 0);
}

int WideCompareText(const std::wstring& S1, const std::wstring& S2) {
  return WideCompare(S1, S2, NORM_IGNORECASE);
}
