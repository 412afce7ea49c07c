#include "classlib/IniFiles.h"

#include <windows.h>

#include "classlib/StringLists.h"

namespace {

// Calls Get with a growing buffer until what it returns fits. Get returns the length copied, which is
// Size - Reserve (1 for a value, 2 for a list of names) when the buffer was too small.
template <class TGet>
std::wstring ReadGrowing(DWORD Reserve, TGet Get) {
  std::wstring Buffer(2048, L'\0');
  for (;;) {
    const DWORD Size = static_cast<DWORD>(Buffer.size());
    const DWORD Length = Get(Buffer.data(), Size);
    if (Length + Reserve < Size) return Buffer.substr(0, Length);
    Buffer.resize(Buffer.size() * 2);
  }
}

// A list of zero-terminated names, as GetPrivateProfileString gives them.
void AddNames(const std::wstring& List, TStrings* Strings) {
  for (size_t Start = 0; Start < List.size();) {
    const size_t End = List.find(L'\0', Start);
    const std::wstring Name =
        List.substr(Start, End == std::wstring::npos ? std::wstring::npos : End - Start);
    if (!Name.empty()) Strings->Add(WideToAnsi(Name));
    if (End == std::wstring::npos) break;
    Start = End + 1;
  }
}

}  // namespace

int TCustomIniFile::ReadInteger(const std::string& Section, const std::string& Ident, int Default) {
  std::string Value = ReadString(Section, Ident, "");
  if (Value.size() > 2 && Value[0] == '0' && (Value[1] == 'x' || Value[1] == 'X'))
    Value = "$" + Value.substr(2);
  return StrToIntDef(Value, Default);
}

void TCustomIniFile::WriteInteger(const std::string& Section, const std::string& Ident, int Value) {
  WriteString(Section, Ident, IntToStr(Value));
}

bool TCustomIniFile::ReadBool(const std::string& Section, const std::string& Ident, bool Default) {
  return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const std::string& Section, const std::string& Ident, bool Value) {
  WriteString(Section, Ident, Value ? "1" : "0");
}

bool TCustomIniFile::SectionExists(const std::string& Section) {
  TStringList Keys;
  ReadSection(Section, &Keys);
  return Keys.Count() > 0;
}

bool TCustomIniFile::ValueExists(const std::string& Section, const std::string& Ident) {
  TStringList Keys;
  ReadSection(Section, &Keys);
  return Keys.IndexOf(Ident) >= 0;
}

TIniFile::~TIniFile() {
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, FileName().c_str());
}

std::string TIniFile::ReadString(const std::string& Section, const std::string& Ident,
                                 const std::string& Default) {
  const std::wstring S = AnsiToWide(Section), I = AnsiToWide(Ident), D = AnsiToWide(Default);
  return WideToAnsi(ReadGrowing(1, [&](wchar_t* Buffer, DWORD Size) {
    return GetPrivateProfileStringW(S.c_str(), I.c_str(), D.c_str(), Buffer, Size, FileName().c_str());
  }));
}

void TIniFile::Write(const wchar_t* Section, const wchar_t* Ident, const wchar_t* Value) {
  if (!WritePrivateProfileStringW(Section, Ident, Value, FileName().c_str()))
    throw EIniFileException(Format(L"Unable to write to %s", {FileName()}));
}

void TIniFile::WriteString(const std::string& Section, const std::string& Ident, const std::string& Value) {
  Write(AnsiToWide(Section).c_str(), AnsiToWide(Ident).c_str(), AnsiToWide(Value).c_str());
}

void TIniFile::ReadNames(const wchar_t* Section, TStrings* Strings) {
  const std::wstring Names = ReadGrowing(2, [&](wchar_t* Buffer, DWORD Size) {
    return GetPrivateProfileStringW(Section, nullptr, nullptr, Buffer, Size, FileName().c_str());
  });
  Strings->BeginUpdate();
  Strings->Clear();
  AddNames(Names, Strings);
  Strings->EndUpdate();
}

void TIniFile::ReadSection(const std::string& Section, TStrings* Strings) {
  ReadNames(AnsiToWide(Section).c_str(), Strings);
}

void TIniFile::ReadSections(TStrings* Strings) {
  ReadNames(nullptr, Strings);
}

void TIniFile::ReadSectionValues(const std::string& Section, TStrings* Strings) {
  TStringList Keys;
  ReadSection(Section, &Keys);
  Strings->BeginUpdate();
  Strings->Clear();
  for (int I = 0; I < Keys.Count(); ++I)
    Strings->Add(Keys.Get(I) + "=" + ReadString(Section, Keys.Get(I), ""));
  Strings->EndUpdate();
}

void TIniFile::EraseSection(const std::string& Section) {
  Write(AnsiToWide(Section).c_str(), nullptr, nullptr);
}

void TIniFile::DeleteKey(const std::string& Section, const std::string& Ident) {
  WritePrivateProfileStringW(AnsiToWide(Section).c_str(), AnsiToWide(Ident).c_str(), nullptr,
                             FileName().c_str());
}

void TIniFile::UpdateFile() {
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, FileName().c_str());
}
