#pragma once
// The open and save dialogs and the plain message.
#include <string>

#include "classlib/Classes.h"
#include "classlib/StringLists.h"

enum TOpenOption : uint32_t {
  ofOverwritePrompt = 1,
  ofHideReadOnly = 2,
  ofAllowMultiSelect = 4,
  ofPathMustExist = 8,
  ofFileMustExist = 16,
};
using TOpenOptions = uint32_t;

class TOpenDialog : public TComponent {
 public:
  using TComponent::TComponent;
  // Shows the dialog; true when the user chose. FileName is the first choice, Files all of them.
  virtual bool Execute();
  std::string FileName;
  // "Text|*.txt|All|*.*"
  std::string Filter;
  int FilterIndex = 1;
  std::string InitialDir;
  std::string Title;
  std::string DefaultExt;
  TOpenOptions Options = ofHideReadOnly;
  TStringList* Files() { return &FFiles; }

 protected:
  bool Run(bool Save);

 private:
  TStringList FFiles;
};

class TSaveDialog : public TOpenDialog {
 public:
  using TOpenDialog::TOpenDialog;
  bool Execute() override { return Run(true); }
};

// A message box with the application's title.
void ShowMessage(const std::string& Message);

void RegisterDialogs();
