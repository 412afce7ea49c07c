#pragma once
// Exceptions, formatting and the small string services that every layer uses.
#include <windows.h>

#include <cstdint>
#include <exception>
#include <initializer_list>
#include <string>
#include <variant>

// Conversions the library itself needs; CodePage 0 (CP_ACP) is the system ANSI code page.
std::wstring AnsiToWide(const std::string& S, UINT CodePage = CP_ACP);
std::string WideToAnsi(const std::wstring& S, UINT CodePage = CP_ACP);

// Base of every exception the program raises. The message is UTF-16; what() gives it as UTF-8.
class Exception : public std::exception {
 public:
  explicit Exception(std::wstring Message);
  explicit Exception(const std::string& Message);  // 8-bit text in the system code page
  const std::wstring& Message() const { return FMessage; }
  void SetMessage(std::wstring Message);
  const char* what() const noexcept override;

 private:
  std::wstring FMessage;
  std::string FWhat;
};

#define VELMARO_EXCEPTION(Name, Parent) \
  class Name : public Parent {          \
   public:                              \
    using Parent::Parent;               \
  }

VELMARO_EXCEPTION(EConvertError, Exception);
VELMARO_EXCEPTION(EAssertionFailed, Exception);
VELMARO_EXCEPTION(EListError, Exception);
VELMARO_EXCEPTION(EStringListError, Exception);
VELMARO_EXCEPTION(EComponentError, Exception);
VELMARO_EXCEPTION(EStreamError, Exception);
VELMARO_EXCEPTION(EFCreateError, EStreamError);
VELMARO_EXCEPTION(EFOpenError, EStreamError);
VELMARO_EXCEPTION(EReadError, EStreamError);
VELMARO_EXCEPTION(EWriteError, EStreamError);
VELMARO_EXCEPTION(EClipboardException, Exception);
VELMARO_EXCEPTION(EOutOfMemory, Exception);
VELMARO_EXCEPTION(ECreateError, Exception);

// A failed platform call: the code of GetLastError and the system's text for it.
class EOSError : public Exception {
 public:
  EOSError(DWORD Code, std::wstring Message) : Exception(std::move(Message)), ErrorCode(Code) {}
  DWORD ErrorCode;
};

// A failed COM call: its result code and the system's text for it.
class EOleSysError : public Exception {
 public:
  explicit EOleSysError(HRESULT Code);
  HRESULT ErrorCode;
};

// Raises EOleSysError for a failure code (S_FALSE and the other success codes pass).
void OleCheck(HRESULT Result);

// Raises EOSError "System Error.  Code: %d.\r\n%s" for GetLastError() (or Code).
[[noreturn]] void RaiseLastOSError();
[[noreturn]] void RaiseLastOSError(DWORD Code);
// The system's message text for an error code, without its trailing line break.
std::wstring SysErrorMessage(DWORD Code);
// Raises EAssertionFailed with Message when Condition is false.
void Assert(bool Condition, const std::wstring& Message);

// One argument of Format.
class TVarRec {
 public:
  TVarRec(int V) : FValue(static_cast<long long>(V)) {}
  TVarRec(unsigned V) : FValue(static_cast<long long>(V)) {}
  TVarRec(long V) : FValue(static_cast<long long>(V)) {}
  TVarRec(unsigned long V) : FValue(static_cast<long long>(V)) {}
  TVarRec(long long V) : FValue(V) {}
  TVarRec(unsigned long long V) : FValue(static_cast<long long>(V)) {}
  TVarRec(double V) : FValue(V) {}
  TVarRec(const wchar_t* V) : FValue(std::wstring(V ? V : L"")) {}
  TVarRec(std::wstring V) : FValue(std::move(V)) {}
  TVarRec(const char* V) : FValue(AnsiToWide(V ? V : "")) {}
  TVarRec(const std::string& V) : FValue(AnsiToWide(V)) {}
  const std::variant<long long, double, std::wstring>& Value() const { return FValue; }

 private:
  std::variant<long long, double, std::wstring> FValue;
};

// The format subset the program uses: %[index:][-][width][.precision] with d, u, x, X, s, f, and %%.
// A mismatch of specifier and argument, or too few arguments, raises EConvertError.
std::wstring Format(const std::wstring& Fmt, std::initializer_list<TVarRec> Args);
std::string Format(const std::string& Fmt, std::initializer_list<TVarRec> Args);

std::string IntToStr(long long Value);
std::wstring IntToWideStr(long long Value);
// Decimal or $hex; raises EConvertError "'%s' is not a valid integer value".
int StrToInt(const std::string& S);
int StrToIntDef(const std::string& S, int Default);
std::string Trim(const std::string& S);
std::string UpperCase(const std::string& S);  // ASCII letters only
std::string LowerCase(const std::string& S);  // ASCII letters only

// Locale comparisons (user default locale): < 0, 0 or > 0.
int AnsiCompareStr(const std::string& S1, const std::string& S2);
int AnsiCompareText(const std::string& S1, const std::string& S2);
int WideCompareStr(const std::wstring& S1, const std::wstring& S2);
int WideCompareText(const std::wstring& S1, const std::wstring& S2);
