#include "classlib/Dialogs.h"

#include <windows.h>

#include <commdlg.h>

#include "classlib/Forms.h"
#include "classlib/TypInfo.h"

bool TOpenDialog::Execute() {
  return Run(false);
}

bool TOpenDialog::Run(bool Save) {
  std::string FilterText = Filter;
  for (char& C : FilterText)
    if (C == '|') C = '\0';
  FilterText += std::string(2, '\0');
  std::string Buffer(32768, '\0');
  FileName.copy(Buffer.data(), std::min(FileName.size(), Buffer.size() - 1));
  OPENFILENAMEA Info{};
  Info.lStructSize = sizeof Info;
  TForm* Active = Screen->ActiveForm();
  Info.hwndOwner = Active ? Active->Handle() : Application->Handle();
  Info.lpstrFilter = Filter.empty() ? nullptr : FilterText.c_str();
  Info.nFilterIndex = static_cast<DWORD>(FilterIndex);
  Info.lpstrFile = Buffer.data();
  Info.nMaxFile = static_cast<DWORD>(Buffer.size());
  Info.lpstrInitialDir = InitialDir.empty() ? nullptr : InitialDir.c_str();
  Info.lpstrTitle = Title.empty() ? nullptr : Title.c_str();
  Info.lpstrDefExt = DefaultExt.empty() ? nullptr : DefaultExt.c_str();
  Info.Flags = OFN_EXPLORER | OFN_ENABLESIZING;
  if (Options & ofOverwritePrompt) Info.Flags |= OFN_OVERWRITEPROMPT;
  if (Options & ofHideReadOnly) Info.Flags |= OFN_HIDEREADONLY;
  if (Options & ofAllowMultiSelect) Info.Flags |= OFN_ALLOWMULTISELECT;
  if (Options & ofPathMustExist) Info.Flags |= OFN_PATHMUSTEXIST;
  if (Options & ofFileMustExist) Info.Flags |= OFN_FILEMUSTEXIST;
  if (!(Save ? GetSaveFileNameA(&Info) : GetOpenFileNameA(&Info))) return false;
  FilterIndex = static_cast<int>(Info.nFilterIndex);
  FFiles.Clear();
  // Several files: the folder, then each name, separated by zeros.
  const std::string First = Buffer.c_str();
  size_t Pos = First.size() + 1;
  if (Buffer[Pos] == '\0') {
    FFiles.Add(First);
  } else {
    const std::string Folder = First.back() == '\\' ? First : First + "\\";
    for (; Buffer[Pos]; Pos += std::string(Buffer.c_str() + Pos).size() + 1)
      FFiles.Add(Folder + (Buffer.c_str() + Pos));
  }
  FileName = FFiles.Get(0);
  return true;
}

void ShowMessage(const std::string& Message) {
  TForm* Active = Screen->ActiveForm();
  MessageBoxA(Active ? Active->Handle() : nullptr, Message.c_str(), Application->Title().c_str(), MB_OK);
}

void RegisterDialogs() {
  using namespace Published;
  const std::vector<TPropInfo> Props{
      Str<TOpenDialog>(
          "Filter", [](TOpenDialog* D) { return D->Filter; },
          [](TOpenDialog* D, const std::string& V) { D->Filter = V; }),
      Int<TOpenDialog>(
          "FilterIndex", [](TOpenDialog* D) { return D->FilterIndex; },
          [](TOpenDialog* D, int64_t V) { D->FilterIndex = static_cast<int>(V); }),
      Str<TOpenDialog>(
          "InitialDir", [](TOpenDialog* D) { return D->InitialDir; },
          [](TOpenDialog* D, const std::string& V) { D->InitialDir = V; }),
      Str<TOpenDialog>(
          "Title", [](TOpenDialog* D) { return D->Title; },
          [](TOpenDialog* D, const std::string& V) { D->Title = V; }),
      Str<TOpenDialog>(
          "DefaultExt", [](TOpenDialog* D) { return D->DefaultExt; },
          [](TOpenDialog* D, const std::string& V) { D->DefaultExt = V; }),
      Set<TOpenDialog>(
          "Options",
          {"ofOverwritePrompt", "ofHideReadOnly", "ofAllowMultiSelect", "ofPathMustExist", "ofFileMustExist"},
          [](TOpenDialog* D) { return D->Options; },
          [](TOpenDialog* D, int64_t V) { D->Options = static_cast<TOpenOptions>(V); })};
  static const TClassInfo OpenInfo = MakeClassInfo<TOpenDialog>("TOpenDialog", GetClass("TComponent"), Props);
  static const TClassInfo SaveInfo = MakeClassInfo<TSaveDialog>("TSaveDialog", &OpenInfo, {});
  RegisterClass(&OpenInfo);
  RegisterClass(&SaveInfo);
}
