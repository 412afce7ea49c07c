// Writes HTML exports of songs with non-ANSI text and "&", "<", ">" and '"' in their tags, each with the
// cell texts and the encoding that an HTML5 parser must find; a script on the Linux side checks them.
// The folder is EXPORT_ORACLE; the files are also what Chromium renders beside the player's screenshot.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Imports/u_WideFunc.h"
#include "app/u_txtexport.h"
#include "tests/support/TestFiles.h"

namespace {

Song Lied(const std::wstring& Artist, const std::wstring& Title, const std::wstring& Album) {
  return {Artist, Title, L"3:12", Album, L"1", L"2001", L"Pop", L"C:\\Musik\\" + Title + L".mp3"};
}

// Text as a JSON string: printable ASCII as it is, anything else as \uXXXX (a pair for a surrogate pair).
std::string Json(const std::wstring& Text) {
  std::string Out = "\"";
  for (const wchar_t C : Text) {
    if (C == L'"' || C == L'\\') {
      Out += '\\';
      Out += static_cast<char>(C);
    } else if (C >= 0x20 && C < 0x7F) {
      Out += static_cast<char>(C);
    } else {
      char Escape[8];
      std::snprintf(Escape, sizeof Escape, "\\u%04x", static_cast<unsigned>(C));
      Out += Escape;
    }
  }
  return Out + "\"";
}

// The rows the parser must find: the number, then artist, title and album, with a "%123%" in them
// numbered and a "%tab%" a cell break, as the format's own.
std::string Rows(const TWideSongArray& Songs) {
  std::string Out = "[";
  for (size_t I = 0; I < Songs.size(); ++I) {
    const std::wstring Nummer = std::to_wstring(I + 1);
    std::wstring Line = Nummer;
    for (const int F : {sfArtist, sfTitle, sfAlbum}) Line += L"%tab%" + Songs[I][F];
    Line = WideStringReplaceAll(Line, L"%123%", Nummer);
    Out += I ? ", [" : "[";
    for (size_t Von = 0, Bis;; Von = Bis + 5) {
      Bis = std::min(Line.find(L"%tab%", Von), Line.size());
      Out += (Von ? ", " : "") + Json(Line.substr(Von, Bis - Von));
      if (Bis == Line.size()) break;
    }
    Out += "]";
  }
  return Out + "]";
}

TEST(HtmlExportOracle, WritesEachEncodingWithTheCellsItMustShow) {
  const std::wstring Folder = FixtureFolder(L"EXPORT_ORACLE");
  CreateDirectoryW(Folder.c_str(), nullptr);
  const TWideSongArray Ansi{Lied(L"R&B <Band>", L"<script>alert(\"x\")</script>", L"AC>DC & \"Friends\""),
                            Lied(L"%tab%", L"%123%", L"100% Caf\u00E9 Mot\u00F6rhead")};
  TWideSongArray Unicode = Ansi;
  Unicode.push_back(Lied(L"\u0391\u03B8\u03AE\u03BD\u03B1", L"\u6771\u4eac Tokyo",
                         L"\u041F\u0435\u0441\u043D\u0438 \U0001F3B5"));
  TExportOptionen O;
  O.Format = L"%123%%tab%%artist%%tab%%title%%tab%%album%";
  O.Html = true;
  O.Sortieren = false;
  O.Nullen = false;
  struct TDatei {
    const wchar_t* Name;
    int CodePage;
    const char* Encoding;  // as the parser names what it found
    const TWideSongArray* Songs;
  };
  const TDatei Dateien[] = {{L"export-utf8.htm", cpUTF8, "utf-8", &Unicode},
                            {L"export-utf16le.htm", cpUTF16LE, "utf-16le", &Unicode},
                            {L"export-utf16be.htm", cpUTF16BE, "utf-16be", &Unicode},
                            {L"export-ansi.htm", cpAnsi, "windows-1252", &Ansi}};
  std::string Expected = "{";
  for (const TDatei& D : Dateien) {
    ExportSpeichern(ExportText(*D.Songs, O), Folder + L"\\" + D.Name, D.CodePage);
    Expected += std::string(Expected.size() > 1 ? ",\n " : "") + Json(D.Name) + ": {\"encoding\": \"" +
                D.Encoding + "\", \"rows\": " + Rows(*D.Songs) + "}";
  }
  Expected += "}\n";
  WriteBytes(Folder + L"\\cells.json", Bytes(Expected.begin(), Expected.end()));
  for (const TDatei& D : Dateien) EXPECT_TRUE(PathExists(Folder + L"\\" + D.Name));
}

}  // namespace
