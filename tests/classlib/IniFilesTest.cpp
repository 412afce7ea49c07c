#include "classlib/IniFiles.h"

#include <gtest/gtest.h>

#include "classlib/StringLists.h"
#include "tests/classlib/RaisedMessage.h"
#include "tests/support/TestFiles.h"

namespace {

std::string Text(const Bytes& Data) {
  return std::string(Data.begin(), Data.end());
}

}  // namespace

TEST(IniFilesIniFile, EveryValueKindRoundTrips) {
  TempDir Dir;
  const std::string Name = WideToAnsi(Dir.File(L"velmaro.ini"));
  {
    TIniFile Ini(Name);
    Ini.WriteBool("programm", "maximiert", true);
    Ini.WriteBool("programm", "klein", false);
    Ini.WriteInteger("programm", "breite", 812);
    Ini.WriteInteger("programm", "links", -4);
    Ini.WriteString("einstellungen", "songanzeige", "int_tit_alb");
  }
  const std::string File = Text(ReadBytes(Dir.File(L"velmaro.ini")));
  EXPECT_NE(std::string::npos, File.find("maximiert=1"));
  EXPECT_NE(std::string::npos, File.find("klein=0"));

  TIniFile Ini(Name);
  EXPECT_TRUE(Ini.ReadBool("programm", "maximiert", false));
  EXPECT_FALSE(Ini.ReadBool("programm", "klein", true));
  EXPECT_EQ(812, Ini.ReadInteger("programm", "breite", 0));
  EXPECT_EQ(-4, Ini.ReadInteger("programm", "links", 0));
  EXPECT_EQ("int_tit_alb", Ini.ReadString("einstellungen", "songanzeige", "int_tit"));
}

TEST(IniFilesIniFile, MissingOrMalformedValuesGiveTheDefault) {
  TempDir Dir;
  const std::string File = "[a]\r\nwort=abc\r\nhex=0x1F\r\ndollar=$10\r\nleer=\r\nzwei=2\r\n";
  WriteBytes(Dir.File(L"s.ini"), Bytes(File.begin(), File.end()));
  TIniFile Ini(WideToAnsi(Dir.File(L"s.ini")));
  EXPECT_EQ(7, Ini.ReadInteger("a", "wort", 7));
  EXPECT_TRUE(Ini.ReadBool("a", "wort", true));
  EXPECT_EQ(31, Ini.ReadInteger("a", "hex", 0));
  EXPECT_EQ(16, Ini.ReadInteger("a", "dollar", 0));
  EXPECT_EQ(5, Ini.ReadInteger("a", "leer", 5));
  EXPECT_TRUE(Ini.ReadBool("a", "zwei", false));
  EXPECT_EQ("", Ini.ReadString("a", "leer", "d"));
  EXPECT_EQ("d", Ini.ReadString("a", "fehlt", "d"));
  EXPECT_EQ("d", Ini.ReadString("b", "wort", "d"));

  TIniFile Missing(WideToAnsi(Dir.File(L"none.ini")));
  EXPECT_EQ(3, Missing.ReadInteger("a", "zwei", 3));
  EXPECT_FALSE(Missing.SectionExists("a"));
  EXPECT_FALSE(PathExists(Dir.File(L"none.ini")));
}

TEST(IniFilesIniFile, LongValuesAndKeyListsAreNotCut) {
  TempDir Dir;
  TIniFile Ini(WideToAnsi(Dir.File(L"long.ini")));
  std::string Long;
  for (int I = 0; Long.size() < 5000; ++I) Long += std::to_string(I) + ",";
  Ini.WriteString("s", "lang", Long);
  EXPECT_EQ(Long, Ini.ReadString("s", "lang", ""));
  EXPECT_EQ(Long, Ini.ReadString("s", "fehlt", Long));  // a long default too

  for (int I = 0; I < 300; ++I) Ini.WriteInteger("keys", "schluessel_" + std::to_string(I), I);
  TStringList Keys;
  Ini.ReadSection("keys", &Keys);
  ASSERT_EQ(300, Keys.Count());
  EXPECT_EQ("schluessel_299", Keys.Get(299));
}

TEST(IniFilesIniFile, SectionsKeysAndErasing) {
  TempDir Dir;
  TIniFile Ini(WideToAnsi(Dir.File(L"e.ini")));
  Ini.WriteString("suche", "sucheoffen", "0");
  Ini.WriteString("suche", "optionenoffen", "1");
  Ini.WriteString("wiedergabe", "zufall", "1");

  TStringList List;
  Ini.ReadSections(&List);
  EXPECT_EQ("suche\r\nwiedergabe\r\n", List.Text());
  Ini.ReadSection("suche", &List);
  EXPECT_EQ("sucheoffen\r\noptionenoffen\r\n", List.Text());
  Ini.ReadSectionValues("suche", &List);
  EXPECT_EQ("sucheoffen=0\r\noptionenoffen=1\r\n", List.Text());
  EXPECT_TRUE(Ini.SectionExists("wiedergabe"));
  EXPECT_TRUE(Ini.ValueExists("suche", "optionenoffen"));
  EXPECT_FALSE(Ini.ValueExists("suche", "zufall"));

  Ini.DeleteKey("suche", "sucheoffen");
  EXPECT_FALSE(Ini.ValueExists("suche", "sucheoffen"));
  Ini.EraseSection("suche");
  EXPECT_FALSE(Ini.SectionExists("suche"));
  Ini.UpdateFile();
  EXPECT_EQ(std::string::npos, Text(ReadBytes(Dir.File(L"e.ini"))).find("suche"));
}

// 8-bit text: what code page 1252 cannot hold is lost before the file is written.
TEST(IniFilesIniFile, CyrillicValueBecomesQuestionMarksInCodePage1252) {
  ASSERT_EQ(1252u, GetACP());
  TempDir Dir;
  TIniFile Ini(WideToAnsi(Dir.File(L"c.ini")));
  Ini.WriteString("s", "titel", WideToAnsi(L"\x041F\x0440\x0438\x0432\x0435\x0442 caf\xE9"));
  EXPECT_EQ("?????? caf\xE9", Ini.ReadString("s", "titel", ""));
}

TEST(IniFilesIniFile, RefusedWriteRaisesWithTheFileName) {
  TempDir Dir;
  const std::string Name = WideToAnsi(Dir.File(L"missing\\folder\\velmaro.ini"));
  TIniFile Ini(Name);
  EXPECT_EQ(AnsiToWide("Unable to write to " + Name),
            MessageOf<EIniFileException>([&] { Ini.WriteBool("programm", "maximiert", true); }));
}

// The name is UTF-16: a folder outside the ANSI code page holds the file; the file itself stays 8-bit.
TEST(IniFilesIniFile, FolderOutsideTheAnsiCodePage) {
  TempDir Dir;
  const std::wstring Folder = Dir.File(L"\x041F\x0430\x043F\x043A\x0430");
  MakeDir(Folder);
  const std::wstring Name = Folder + L"\\velmaro.ini";
  {
    TIniFile Ini(Name);
    EXPECT_EQ(Name, Ini.FileName());
    Ini.WriteBool("programm", "maximiert", true);
    Ini.WriteString("einstellungen", "sprache", "de");
  }
  EXPECT_EQ("[programm]\r\nmaximiert=1\r\n[einstellungen]\r\nsprache=de\r\n", Text(ReadBytes(Name)));
  TIniFile Ini(Name);
  EXPECT_TRUE(Ini.ReadBool("programm", "maximiert", false));
  EXPECT_EQ("de", Ini.ReadString("einstellungen", "sprache", ""));
  const std::wstring Missing = Folder + L"\\\x043D\x0435\\velmaro.ini";
  EXPECT_EQ(L"Unable to write to " + Missing, MessageOf<EIniFileException>([&] {
              TIniFile(Missing).WriteBool("programm", "maximiert", true);
            }));
}
