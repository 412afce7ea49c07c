#pragma once
// Records what the program asks the shell to open, instead of starting a browser or a file manager.
#include <string>
#include <vector>

#include "app/u_funktionen.h"

class TShellRecorder {
 public:
  TShellRecorder() : FSaved(ShellOeffnen) {
    ShellOeffnen = [this](const std::wstring& Ziel) { Opened.push_back(Ziel); };
  }
  ~TShellRecorder() { ShellOeffnen = FSaved; }
  TShellRecorder(const TShellRecorder&) = delete;
  TShellRecorder& operator=(const TShellRecorder&) = delete;

  // The one target opened since the last call; empty when none was, "several" when more were.
  std::wstring Take() {
    const std::wstring Result = Opened.empty() ? L"" : Opened.size() > 1 ? L"several" : Opened.front();
    Opened.clear();
    return Result;
  }
  std::vector<std::wstring> Opened;

 private:
  std::function<void(const std::wstring&)> FSaved;
};
