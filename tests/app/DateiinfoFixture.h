#pragma once
// The player's windows with the file information window at hand, the clipboard's file list as the
// shell reads it, and what the program asked the shell to open.
#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

#include "app/u_dateiinfo.h"
#include "tests/app/ProgFixture.h"
#include "tests/app/ShellRecorder.h"

class TDateiinfoFixture : public TProgFixture {
 protected:
  // The names of the file list on the clipboard, in UTF-16; empty when it holds none.
  static std::vector<std::wstring> ClipboardFiles() {
    std::vector<std::wstring> Names;
    if (!OpenClipboard(nullptr)) return Names;
    if (const auto Drop = static_cast<HDROP>(GetClipboardData(CF_HDROP))) {
      const UINT Count = DragQueryFileW(Drop, 0xFFFFFFFF, nullptr, 0);
      for (UINT I = 0; I < Count; ++I) {
        std::wstring Name(DragQueryFileW(Drop, I, nullptr, 0), L'\0');
        DragQueryFileW(Drop, I, Name.data(), static_cast<UINT>(Name.size() + 1));
        Names.push_back(Name);
      }
    }
    CloseClipboard();
    return Names;
  }
  static void EmptyTheClipboard() {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
  }
  static void Press(TButton* Button) { SendMessageA(Button->Handle(), BM_CLICK, 0, 0); }
  // The three fields as the window shows them.
  static std::vector<std::wstring> Felder() {
    return {dateiinfo->ed_dateiname->Text(), dateiinfo->ed_datei->Text(), dateiinfo->ed_ordner->Text()};
  }

  TShellRecorder Shell;
};
