#include "classlib/IniFiles.h"

#include <windows.h>

#include "classlib/StringLists.h"

namespace {

// Calls Get with a growing buffer until what it returns fits. Get returns the length copied, which is
// Size - Reserve (1 for a value, 2 for a list of names) when the buffer was too small.
template <class TGet>
std::string ReadGrowing(DWORD Reserve, TGet Get) {
  std::string Buffer(2048, '\0');
  for (;;) {
    const DWORD Size = static_cast<DWORD>(Buffer.size());
    const DWORD Length = Get(Buffer.data(), Size);
    if (Length + Reserve < Size) return Buffer.substr(0, Length);
    Buffer.resize(Buffer.size() * 2);
  }
}

// A list of zero-terminated names, as GetPrivateProfileString gives them.
void AddNames(const std::string& List, TStrings* Strings) {
  for (size_t Start = 0; Start < List.size();) {
    const size_t End = List.find('\0', Start);
    const std::string Name = List.substr(Start, End == std::string::npos ? std::string::npos : End - Start);
    if (!Name.empty()) Strings->Add(Name);
    if (End == std::string::npos) break;
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
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, FileName().c_str());
}

std::string TIniFile::ReadString(const std::string& Section, const std::string& Ident,
                                 const std::string& Default) {
  return ReadGrowing(1, [&](char* Buffer, DWORD Size) {
    return GetPrivateProfileStringA(Section.c_str(), Ident.c_str(), Default.c_str(), Buffer, Size,
                                    FileName().c_str());
  });
}

void TIniFile::Write(const char* Section, const char* Ident, const char* Value) {
  if (!WritePrivateProfileStringA(Section, Ident, Value, FileName().c_str()))
    throw EIniFileException(Format("Unable to write to %s", {FileName()}));
}

void TIniFile::WriteString(const std::string& Section, const std::string& Ident, const std::string& Value) {
  Write(Section.c_str(), Ident.c_str(), Value.c_str());
}

// The keys of Section, or the sections when Section is nullptr.
void TIniFile::ReadNames(const char* Section, TStrings* Strings) {
  const std::string Names = ReadGrowing(2, [&](char* Buffer, DWORD Size) {
    return GetPrivateProfileStringA(Section, nullptr, nullptr, Buffer, Size, FileName().c_str());
  });
  Strings->BeginUpdate();
  Strings->Clear();
  AddNames(Names, Strings);
  Strings->EndUpdate();
}

void TIniFile::ReadSection(const std::string& Section, TStrings* Strings) {
  ReadNames(Section.c_str(), Strings);
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
  Write(Section.c_str(), nullptr, nullptr);
}

void TIniFile::DeleteKey(const std::string& Section, const std::string& Ident) {
  WritePrivateProfileStringA(Section.c_str(), Ident.c_str(), nullptr, FileName().c_str());
}

void TIniFile::UpdateFile() {
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, FileName().c_str());
}
