#pragma once
// The open and save dialogs, the font and colour dialogs, and the plain message.
#include <windows.h>

#include <commdlg.h>

#include <functional>
#include <memory>
#include <string>

#include "classlib/Classes.h"
#include "classlib/Controls.h"
#include "classlib/Graphics.h"
#include "classlib/StringLists.h"

enum TOpenOption : uint32_t {
  ofOverwritePrompt = 1,
  ofHideReadOnly = 2,
  ofAllowMultiSelect = 4,
  ofPathMustExist = 8,
  ofFileMustExist = 16,
  ofReadOnly = 32,            // the dialog's read-only box; after the dialog, its state
  ofExtensionDifferent = 64,  // after the dialog: the name's extension is not DefaultExt
  ofOldStyleDialog = 128,     // the dialog without the Explorer view
};
using TOpenOptions = uint32_t;

using TOpenFileNameFunc = BOOL(WINAPI*)(LPOPENFILENAMEA Info);
using TCanCloseEvent = std::function<void(TObject* Sender, bool& CanClose)>;
// Whether the item of the folder that the notification names is listed.
using TIncludeItemEvent = std::function<void(const OFNOTIFYEXA& OFN, bool& Include)>;

// Without an InitialDir the dialogs open on the current folder rather than the one the system recalls.
extern bool ForceCurrentDirectory;

class TOpenDialog : public TComponent {
 public:
  using TComponent::TComponent;
  // Shows the dialog over the active form (or the application window); true when the user chose.
  // FileName is the first choice, Files all of them.
  virtual bool Execute();
  virtual bool Execute(HWND ParentWnd);
  std::string FileName;
  // "Text|*.txt|All|*.*"
  std::string Filter;
  int FilterIndex = 1;
  std::string InitialDir;
  std::string Title;
  std::string DefaultExt;
  TOpenOptions Options = ofHideReadOnly;
  TStringList* Files() { return &FFiles; }
  // The dialog's own window (the child that its hook made) while the dialog is shown; nullptr otherwise.
  HWND Handle() const { return FHandle; }
  // The user confirmed the choice; false keeps the dialog open.
  TCanCloseEvent OnCanClose;
  // The size, in characters, of the buffer that receives the chosen names.
  DWORD FileBufferSize = 32768;
  // A dialog template of the program's module (a name or a resource id) that adds to the dialog.
  LPCSTR Template = nullptr;
  // Asked for each item the dialog would list.
  TIncludeItemEvent OnIncludeItem;

 protected:
  // Prepares the platform's record from the properties, shows the dialog with Func and takes its answer.
  bool DoExecute(TOpenFileNameFunc Func, HWND ParentWnd);
  // The messages of the dialog's own window; the OK check (CDN_FILEOK) asks DoCanClose.
  virtual void WndProc(TMessage& Message);
  virtual bool DoCanClose();
  virtual void DoIncludeItem(const OFNOTIFYEXA& OFN, bool& Include);
  // The options the closed dialog reports.
  void TakeResultFlags(DWORD Flags);
  HWND FHandle = nullptr;

 private:
  static UINT_PTR CALLBACK DialogHook(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  TStringList FFiles;
};

class TSaveDialog : public TOpenDialog {
 public:
  using TOpenDialog::TOpenDialog;
  bool Execute(HWND ParentWnd) override { return DoExecute(GetSaveFileNameA, ParentWnd); }
  using TOpenDialog::Execute;
};

// The window a dialog shows over: the active form's, else the application's.
HWND DialogParentWindow();

// The system's font dialog, preset with Font (face, size, style, colour and character set) and, when the
// user confirms, holding the choice in it.
class TFontDialog : public TComponent {
 public:
  explicit TFontDialog(TComponent* AOwner);
  ~TFontDialog() override;
  virtual bool Execute();
  TFont* Font() { return FFont.get(); }

 private:
  std::unique_ptr<TFont> FFont;
};

// The system's colour dialog, opened fully with Color chosen; Color holds the user's choice after OK.
class TColorDialog : public TComponent {
 public:
  using TComponent::TComponent;
  virtual bool Execute();
  TColor Color = clBlack;

 private:
  COLORREF FCustomColors[16] = {};  // the dialog's own row, kept for the next time
};

// A message box with the application's title.
void ShowMessage(const std::string& Message);

void RegisterDialogs();
