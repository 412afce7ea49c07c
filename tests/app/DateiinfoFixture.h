#pragma once
// The player's windows with the file information window at hand, and what the program asked the shell
// to open.
#include <windows.h>

#include <string>
#include <vector>

#include "app/u_dateiinfo.h"
#include "tests/app/ProgFixture.h"
#include "tests/app/ShellRecorder.h"
#include "tests/support/Clipboard.h"

class TDateiinfoFixture : public TProgFixture {
 protected:
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
