#pragma once
// Runs the program's windows in-process for the player-window tests: a fresh folder that is both the
// program folder and the current folder, a chosen command line, and the exceptions that reached the
// application's default display.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Imports/UCodeSysUtils.h"
#include "app/Program.h"
#include "app/u_addordner.h"
#include "app/u_fehler.h"
#include "app/u_prog.h"
#include "app/u_start.h"
#include "app/u_startfenster.h"
#include "tests/support/MessagePump.h"
#include "tests/support/TestFiles.h"

class TProgFixture : public testing::Test {
 protected:
  void SetUp() override {
    GetCurrentDirectoryW(MAX_PATH, FOldDir);
    ProgrammOrdnerErsatz = Dir.Path() + L"\\";
    SetCurrentDirectoryW(Dir.Path().c_str());
    DateiQuellen.clear();
    NaechsterTitel.clear();
    LetzteSongs.clear();
    SortSpalte = LetzteSortSpalte = SortAbsteigend = 0;
    CreateProgramWindows();
    Application->OnException = [this](TObject*, std::exception_ptr Error) {
      try {
        std::rethrow_exception(Error);
      } catch (const std::exception& E) {
        Shown.push_back(E.what());
      }
    };
    prog->Parameter.clear();
    prog->zufall->SetChecked(false);
  }
  void TearDown() override {
    Application->DestroyForms();
    Application->OnException = nullptr;
    ProgrammOrdnerErsatz.clear();
    DateiQuellen.clear();
    NaechsterTitel.clear();
    SetCurrentDirectoryW(FOldDir);
  }

  // A file of the fixtures the test script made.
  static std::wstring Fixture(const std::wstring& Name) {
    return FixtureFolder(L"APP_FIXTURES") + L"\\" + Name;
  }
  // Copies a fixture into the test's folder under a new name; returns the copy's path.
  std::wstring CopyFixture(const std::wstring& Name, const std::wstring& As) {
    const std::wstring Target = Dir.File(As);
    CopyFileW(Fixture(Name).c_str(), Target.c_str(), FALSE);
    return Target;
  }
  // A playlist line for a song with that path and no further fields.
  static std::string PlaylistLine(const std::wstring& Path) {
    return "a|t|0:01||||" + WideToAnsi(Path).insert(0, "|") + "\r\n";
  }
  void WritePlaylist(const std::wstring& Name, const std::vector<std::wstring>& Paths) {
    std::string Text;
    for (const std::wstring& P : Paths) Text += PlaylistLine(P);
    WriteBytes(Dir.File(Name), Bytes(Text.begin(), Text.end()));
  }
  static std::vector<std::string> Log() {
    std::vector<std::string> Lines;
    for (int I = 0; I < fehler->Memo1->Lines()->Count(); ++I)
      Lines.push_back(WideToAnsi(fehler->Memo1->Lines()->Get(I)));
    return Lines;
  }
  // Songs with the given stored paths, as the shown playlist.
  static void SetSongs(const std::vector<std::wstring>& Paths) {
    AlleSongs.clear();
    for (const std::wstring& P : Paths) {
      Song S;
      S[sfArtist] = L"Artist " + P;
      S[sfLength] = L"0:01";
      S[sfPath] = P;
      AlleSongs.push_back(S);
    }
    prog->ListeAktualisieren();
  }
  static void SelectRows(const std::vector<int>& Rows) {
    for (int Row : Rows) {
      LVITEMA Item{};
      Item.stateMask = Item.state = LVIS_SELECTED;
      SendMessageA(prog->lv->Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(Row),
                   reinterpret_cast<LPARAM>(&Item));
    }
  }

  TempDir Dir;
  std::vector<std::string> Shown;

 private:
  wchar_t FOldDir[MAX_PATH];
};
