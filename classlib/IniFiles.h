#pragma once
// Ini files through the platform's profile functions; every write goes to the file at once. The file
// name is UTF-16, so a folder outside the ANSI code page works; sections, keys and values are 8-bit text
// in the system code page.
#include <string>

#include "classlib/Classes.h"
#include "classlib/SysUtils.h"

class TStrings;

// A write that the platform refuses: "Unable to write to %s" (the file name).
VELMARO_EXCEPTION(EIniFileException, Exception);

class TCustomIniFile : public TObject {
 public:
  explicit TCustomIniFile(std::wstring FileName) : FFileName(std::move(FileName)) {}
  // An 8-bit name in the system code page.
  explicit TCustomIniFile(const std::string& FileName) : FFileName(AnsiToWide(FileName)) {}
  const std::wstring& FileName() const { return FFileName; }

  virtual std::string ReadString(const std::string& Section, const std::string& Ident,
                                 const std::string& Default) = 0;
  virtual void WriteString(const std::string& Section, const std::string& Ident,
                           const std::string& Value) = 0;
  // Decimal, "$" or "0x" hexadecimal; anything else gives Default.
  int ReadInteger(const std::string& Section, const std::string& Ident, int Default);
  void WriteInteger(const std::string& Section, const std::string& Ident, int Value);
  // An integer that is not 0; written "1" or "0".
  bool ReadBool(const std::string& Section, const std::string& Ident, bool Default);
  void WriteBool(const std::string& Section, const std::string& Ident, bool Value);
  // The keys of a section, the sections, and a section's "key=value" lines; each clears Strings first.
  virtual void ReadSection(const std::string& Section, TStrings* Strings) = 0;
  virtual void ReadSections(TStrings* Strings) = 0;
  virtual void ReadSectionValues(const std::string& Section, TStrings* Strings) = 0;
  bool SectionExists(const std::string& Section);
  bool ValueExists(const std::string& Section, const std::string& Ident);
  virtual void EraseSection(const std::string& Section) = 0;
  virtual void DeleteKey(const std::string& Section, const std::string& Ident) = 0;
  virtual void UpdateFile() = 0;

 private:
  std::wstring FFileName;
};

// The file name should be a full path: the profile functions look for a bare name in the Windows folder.
class TIniFile : public TCustomIniFile {
 public:
  using TCustomIniFile::TCustomIniFile;
  ~TIniFile() override;

  std::string ReadString(const std::string& Section, const std::string& Ident,
                         const std::string& Default) override;
  void WriteString(const std::string& Section, const std::string& Ident, const std::string& Value) override;
  void ReadSection(const std::string& Section, TStrings* Strings) override;
  void ReadSections(TStrings* Strings) override;
  void ReadSectionValues(const std::string& Section, TStrings* Strings) override;
  void EraseSection(const std::string& Section) override;
  void DeleteKey(const std::string& Section, const std::string& Ident) override;
  // Flushes the platform's cached copy of the file.
  void UpdateFile() override;

 private:
  // Null pointers stand for the profile functions' "all" or "remove".
  void ReadNames(const wchar_t* Section, TStrings* Strings);
  void Write(const wchar_t* Section, const wchar_t* Ident, const wchar_t* Value);
};
