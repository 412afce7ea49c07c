#pragma once
// Conversions between UTF-16 and 8-bit text: UTF-7 and UTF-8 of our own, other code pages by the platform.
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// GetACP as it was when the program started.
UINT DefaultSystemCodePage();

std::string WideStringToUTF8(const std::wstring& S);
// Malformed or cut-off sequences become U+FFFD.
std::wstring UTF8ToWideString(const std::string& S);
// The same decoding into Out, whose old text it replaces; its buffer is kept when it is large enough.
void UTF8ToWide(std::string_view S, std::wstring& Out);
std::string WideStringToUTF7(const std::wstring& S);
std::wstring UTF7ToWideString(const std::string& S);  // EUCodeGeneralError "Invalid UTF7"
// 65000 UTF-7, 65001 UTF-8, anything else by the platform (0: the system ANSI code page).
std::wstring CodePageToWideString(const std::string& S, UINT CodePage);
std::string WideStringToCodePage(const std::wstring& S, UINT CodePage);

UINT LCIDToCodePage(LCID Locale);
UINT KeyboardCodePage();
wchar_t KeyCharToWide(uint16_t Key);
// Swaps the two bytes of every unit.
void SwapWideByteOrder(std::wstring& S);

// Results of the UTF-7 cores.
enum TConversionResult { crOk = 0, crSourceIllegal = 1, crTargetExhausted = 2 };
// Both cores advance the start pointers past what they consumed and wrote.
TConversionResult ConvertUCS2ToUTF7(const wchar_t*& SourceStart, const wchar_t* SourceEnd, char*& TargetStart,
                                    char* TargetEnd, bool Optional, bool Verbose);
TConversionResult ConvertUTF7ToUCS2(const char*& SourceStart, const char* SourceEnd, wchar_t*& TargetStart,
                                    wchar_t* TargetEnd);

// Reads one parameter from P into Param; returns where the parameter ended.
const wchar_t* NextCommandLineParam(const wchar_t* P, std::wstring& Param);
// Every parameter of CmdLine as NextCommandLineParam reads them, item 0 the program.
std::vector<std::wstring> WideCommandLineParams(const std::wstring& CmdLine);
// 0: the program's file name; N: the N-th parameter of the command line, empty past the last.
std::wstring WideParamStr(int Index);
