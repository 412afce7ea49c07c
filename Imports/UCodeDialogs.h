#pragma once
// Open and save dialogs that take and give UTF-16 file names. Forms reach them as TOpenDialog and
// TSaveDialog through UCodeRepDialogs.
#include <string>
#include <vector>

#include "Imports/UCodeClasses.h"
#include "classlib/Dialogs.h"

class TUCodeOpenDialog : public TOpenDialog {
 public:
  explicit TUCodeOpenDialog(TComponent* AOwner);
  ~TUCodeOpenDialog() override;

  // Each text is kept beside the library's 8-bit one.
  std::wstring DefaultExt();
  void SetDefaultExt(const std::wstring& Value);
  // While the dialog is shown: the path selected in it at that moment.
  std::wstring FileName();
  void SetFileName(const std::wstring& Value);
  std::wstring Filter();
  void SetFilter(const std::wstring& Value);
  std::wstring InitialDir();
  // A trailing "\" goes, unless it ends a drive root ("C:\") or is the whole text.
  void SetInitialDir(const std::wstring& Value);
  std::wstring Title();
  void SetTitle(const std::wstring& Value);
  TUCodeStringList* Files();
  // Asked for each item the dialog would list; only with Unicode.
  TIncludeItemEvent OnIncludeItem;

  bool Execute(HWND ParentWnd) override;
  using TOpenDialog::Execute;
  void DefineProperties(TFiler* Filer) override;

 protected:
  void WndProc(TMessage& Message) override;
  bool DoCanClose() override;
  void DoIncludeItem(const OFNOTIFYEXA& OFN, bool& Include) override;
  // The platform's dialog: GetOpenFileNameW here, GetSaveFileNameW for the save dialog.
  virtual BOOL ShowWideDialog(OPENFILENAMEW* Info);
  // The library's own showing, for a platform without Unicode.
  virtual bool ExecuteAnsi(HWND ParentWnd);

 private:
  bool ExecuteWide(HWND ParentWnd);
  // Takes the names the record's buffer holds into Files and FileName.
  void ReadFileNames(const OPENFILENAMEW& Info);
  // Gives the shown dialog's record a buffer for all of its choice when it lacks one; true when it did.
  bool GrowForSelection(OPENFILENAMEW& Record);
  void AllocateFileBuffer(DWORD Size);
  // The names of the chosen files stand between these in the buffer.
  wchar_t FileSeparator() const;

  std::wstring FDefaultExt;
  std::wstring FFileName;
  std::wstring FFilter;
  std::wstring FInitialDir;
  std::wstring FTitle;
  TUCodeStringList FFiles;
  bool FCheckingOK = false;
  OPENFILENAMEA FPrepared{};     // the library's record, taken before its dialog would show
  std::vector<wchar_t> FBuffer;  // the names the wide dialog gives
  std::wstring FTemplate;        // the template's name, when it is one
};

class TUCodeSaveDialog : public TUCodeOpenDialog {
 public:
  using TUCodeOpenDialog::TUCodeOpenDialog;

 protected:
  BOOL ShowWideDialog(OPENFILENAMEW* Info) override;
  bool ExecuteAnsi(HWND ParentWnd) override;
};

// The class information of the wide dialogs.
const TClassInfo* UCodeOpenDialogClass();
const TClassInfo* UCodeSaveDialogClass();
