#include "classlib/Dialogs.h"

#include <windows.h>

#include <commdlg.h>

#include <vector>

#include "classlib/Forms.h"
#include "classlib/TypInfo.h"

namespace {

constexpr char DialogProperty[] = "TOpenDialog";

}  // namespace

bool ForceCurrentDirectory = false;

HWND DialogParentWindow() {
  TForm* Active = Screen->ActiveForm();
  return Active ? Active->Handle() : Application->Handle();
}

bool TOpenDialog::Execute() {
  return Execute(DialogParentWindow());
}

bool TOpenDialog::Execute(HWND ParentWnd) {
  return DoExecute(GetOpenFileNameA, ParentWnd);
}

bool TOpenDialog::DoExecute(TOpenFileNameFunc Func, HWND ParentWnd) {
  std::string FilterText = Filter;
  for (char& C : FilterText)
    if (C == '|') C = '\0';
  FilterText += std::string(2, '\0');
  std::string Buffer(FileBufferSize, '\0');
  FileName.copy(Buffer.data(), std::min(FileName.size(), Buffer.size() - 1));
  OPENFILENAMEA Info{};
  Info.lStructSize = sizeof Info;
  Info.hwndOwner = ParentWnd;
  Info.lpstrFilter = Filter.empty() ? nullptr : FilterText.c_str();
  Info.nFilterIndex = static_cast<DWORD>(FilterIndex);
  Info.lpstrFile = Buffer.data();
  Info.nMaxFile = static_cast<DWORD>(Buffer.size());
  Info.lpstrInitialDir = !InitialDir.empty() ? InitialDir.c_str() : ForceCurrentDirectory ? "." : nullptr;
  Info.lpstrTitle = Title.empty() ? nullptr : Title.c_str();
  Info.lpstrDefExt = DefaultExt.empty() ? nullptr : DefaultExt.c_str();
  Info.Flags = OFN_ENABLESIZING | OFN_ENABLEHOOK;
  if (!(Options & ofOldStyleDialog)) Info.Flags |= OFN_EXPLORER;
  if (Options & ofReadOnly) Info.Flags |= OFN_READONLY;
  if (OnIncludeItem) Info.Flags |= OFN_ENABLEINCLUDENOTIFY;
  if (Template) {
    Info.Flags |= OFN_ENABLETEMPLATE;
    Info.hInstance = GetModuleHandleA(nullptr);
    Info.lpTemplateName = Template;
  }
  if (Options & ofOverwritePrompt) Info.Flags |= OFN_OVERWRITEPROMPT;
  if (Options & ofHideReadOnly) Info.Flags |= OFN_HIDEREADONLY;
  if (Options & ofAllowMultiSelect) Info.Flags |= OFN_ALLOWMULTISELECT;
  if (Options & ofPathMustExist) Info.Flags |= OFN_PATHMUSTEXIST;
  if (Options & ofFileMustExist) Info.Flags |= OFN_FILEMUSTEXIST;
  Info.lpfnHook = DialogHook;
  Info.lCustData = reinterpret_cast<LPARAM>(this);
  FFiles.Clear();
  bool Chosen;
  {
    const TModalScope Modal;
    Chosen = Func(&Info);
  }
  if (!Chosen) return false;
  FilterIndex = static_cast<int>(Info.nFilterIndex);
  TakeResultFlags(Info.Flags);
  // Several files: the folder, then each name, separated by zeros (by blanks in the old-style dialog).
  if (Options & ofOldStyleDialog && Options & ofAllowMultiSelect)
    for (char& C : Buffer)
      if (C == ' ') C = '\0';
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

void TOpenDialog::TakeResultFlags(DWORD Flags) {
  Options &= ~(ofExtensionDifferent | ofReadOnly);
  if (Flags & OFN_EXTENSIONDIFFERENT) Options |= ofExtensionDifferent;
  if (Flags & OFN_READONLY) Options |= ofReadOnly;
}

// The hook's dialog is a child of the platform's dialog; it carries the object from WM_INITDIALOG on.
UINT_PTR CALLBACK TOpenDialog::DialogHook(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (Msg == WM_INITDIALOG) {
    auto* Self = reinterpret_cast<TOpenDialog*>(reinterpret_cast<OPENFILENAMEA*>(LParam)->lCustData);
    SetPropA(Wnd, DialogProperty, Self);
    Self->FHandle = Wnd;
  }
  auto* Self = static_cast<TOpenDialog*>(GetPropA(Wnd, DialogProperty));
  if (!Self) return 0;
  TMessage Message{Msg, WParam, LParam, 0};
  try {
    Self->WndProc(Message);
  } catch (...) {
    Application->HandleException(std::current_exception());
  }
  if (Msg == WM_DESTROY) {
    RemovePropA(Wnd, DialogProperty);
    Self->FHandle = nullptr;
  }
  return static_cast<UINT_PTR>(Message.Result);
}

void TOpenDialog::WndProc(TMessage& Message) {
  if (Message.Msg != WM_NOTIFY) return;
  const UINT Code = reinterpret_cast<NMHDR*>(Message.LParam)->code;
  if (Code == CDN_INCLUDEITEM) {
    bool Include = true;
    DoIncludeItem(*reinterpret_cast<OFNOTIFYEXA*>(Message.LParam), Include);
    // The dialog takes the answer from the message result either way the hook's return is read.
    Message.Result = Include;
    SetWindowLongPtrA(FHandle, DWLP_MSGRESULT, Include);
    return;
  }
  if (Code != CDN_FILEOK || DoCanClose()) return;
  // The dialog stays open.
  Message.Result = 1;
  SetWindowLongPtrA(FHandle, DWLP_MSGRESULT, 1);
}

bool TOpenDialog::DoCanClose() {
  bool CanClose = true;
  if (OnCanClose) OnCanClose(this, CanClose);
  return CanClose;
}

void TOpenDialog::DoIncludeItem(const OFNOTIFYEXA& OFN, bool& Include) {
  if (OnIncludeItem) OnIncludeItem(OFN, Include);
}

namespace {

LOGFONTA LogFontOf(TFont* Font) {
  LOGFONTA Log{};
  Log.lfHeight = Font->Height();
  Log.lfWeight = Font->Style() & fsBold ? FW_BOLD : FW_NORMAL;
  Log.lfItalic = (Font->Style() & fsItalic) != 0;
  Log.lfUnderline = (Font->Style() & fsUnderline) != 0;
  Log.lfStrikeOut = (Font->Style() & fsStrikeOut) != 0;
  Log.lfCharSet = Font->Charset();
  Font->Name().copy(Log.lfFaceName, LF_FACESIZE - 1);
  return Log;
}

// The face the system draws Font with: a face it lacks is replaced by another, and the dialog lists only
// faces that exist. A stand-in named by the system's substitutes answers to the name asked for, so the
// family comes from the outline metrics where the font has them.
std::string DrawnFace(TFont* Font) {
  TScreenDC Screen;
  const HGDIOBJ Old = SelectObject(Screen.DC(), Font->Handle());
  char Face[LF_FACESIZE] = {};
  GetTextFaceA(Screen.DC(), LF_FACESIZE, Face);
  std::string Result = Face;
  if (const UINT Size = GetOutlineTextMetricsA(Screen.DC(), 0, nullptr)) {
    std::vector<char> Buffer(Size);
    auto* Metrics = reinterpret_cast<OUTLINETEXTMETRICA*>(Buffer.data());
    if (GetOutlineTextMetricsA(Screen.DC(), Size, Metrics))
      Result = Buffer.data() + reinterpret_cast<uintptr_t>(Metrics->otmpFamilyName);
  }
  SelectObject(Screen.DC(), Old);
  return Result;
}

TFontStyles StylesOf(const LOGFONTA& Log) {
  TFontStyles Styles = 0;
  if (Log.lfWeight >= FW_BOLD) Styles |= fsBold;
  if (Log.lfItalic) Styles |= fsItalic;
  if (Log.lfUnderline) Styles |= fsUnderline;
  if (Log.lfStrikeOut) Styles |= fsStrikeOut;
  return Styles;
}

}  // namespace

TFontDialog::TFontDialog(TComponent* AOwner) : TComponent(AOwner), FFont(std::make_unique<TFont>()) {}

TFontDialog::~TFontDialog() = default;

bool TFontDialog::Execute() {
  LOGFONTA Log = LogFontOf(FFont.get());
  const std::string Face = DrawnFace(FFont.get());
  if (!Face.empty()) Log.lfFaceName[Face.copy(Log.lfFaceName, LF_FACESIZE - 1)] = '\0';
  CHOOSEFONTA Info{};
  Info.lStructSize = sizeof Info;
  Info.hwndOwner = DialogParentWindow();
  Info.lpLogFont = &Log;
  // Sideways faces ("@" names) would draw every text turned.
  Info.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT | CF_NOVERTFONTS;
  Info.rgbColors = ColorToRGB(FFont->Color());
  bool Chosen;
  {
    const TModalScope Modal;
    Chosen = ChooseFontA(&Info);
  }
  if (!Chosen) return false;
  FFont->SetName(Log.lfFaceName);
  FFont->SetHeight(Log.lfHeight);
  FFont->SetStyle(StylesOf(Log));
  FFont->SetCharset(Log.lfCharSet);
  FFont->SetColor(static_cast<TColor>(Info.rgbColors));
  return true;
}

bool TColorDialog::Execute() {
  CHOOSECOLORA Info{};
  Info.lStructSize = sizeof Info;
  Info.hwndOwner = DialogParentWindow();
  Info.rgbResult = ColorToRGB(Color);
  Info.lpCustColors = FCustomColors;
  Info.Flags = CC_RGBINIT | CC_FULLOPEN;
  bool Chosen;
  {
    const TModalScope Modal;
    Chosen = ChooseColorA(&Info);
  }
  if (!Chosen) return false;
  Color = static_cast<TColor>(Info.rgbResult);
  return true;
}

void ShowMessage(const std::string& Message) {
  Application->MessageBox(AnsiToWide(Message), AnsiToWide(Application->Title()), MB_OK);
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
          {"ofOverwritePrompt", "ofHideReadOnly", "ofAllowMultiSelect", "ofPathMustExist", "ofFileMustExist",
           "ofReadOnly", "ofExtensionDifferent", "ofOldStyleDialog"},
          [](TOpenDialog* D) { return D->Options; },
          [](TOpenDialog* D, int64_t V) { D->Options = static_cast<TOpenOptions>(V); })};
  static const TClassInfo OpenInfo = MakeClassInfo<TOpenDialog>("TOpenDialog", GetClass("TComponent"), Props);
  static const TClassInfo SaveInfo = MakeClassInfo<TSaveDialog>("TSaveDialog", &OpenInfo, {});
  static const TClassInfo FontInfo =
      MakeClassInfo<TFontDialog>("TFontDialog", GetClass("TComponent"),
                                 {Object<TFontDialog>("Font", [](TFontDialog* D) { return D->Font(); })});
  static const TClassInfo ColorInfo = MakeClassInfo<TColorDialog>(
      "TColorDialog", GetClass("TComponent"),
      {Int<TColorDialog>(
          "Color", [](TColorDialog* D) { return D->Color; },
          [](TColorDialog* D, int64_t V) { D->Color = static_cast<TColor>(V); }, IdentToColor)});
  for (const TClassInfo* Info : {&OpenInfo, &SaveInfo, &FontInfo, &ColorInfo}) RegisterClass(Info);
}
