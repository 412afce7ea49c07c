// Texts written as pictures: the lines drawn on a bitmap and saved as BMP, JPEG or GIF.
#include <algorithm>
#include <memory>

#include "Imports/UCodeGraphics.h"
#include "Imports/UCodeSysUtils.h"
#include "Imports/u_WideFunc.h"
#include "classlib/Jpeg.h"

namespace {

TPictureStyleSource& PictureStyleSource() {
  static TPictureStyleSource Source;
  return Source;
}

std::function<bool()>& PictureLanguageSource() {
  static std::function<bool()> Source;
  return Source;
}

// A message in the program's language.
std::wstring PictureText(const wchar_t* German, const wchar_t* English) {
  return PictureLanguageSource() && PictureLanguageSource()() ? German : English;
}

void PictureStyle(TFont* Font, TColor& Background) {
  Font->SetName("Courier New");
  Font->SetSize(8);
  Font->SetStyle(0);
  Font->SetColor(clWindowText);
  Background = clWhite;
  if (PictureStyleSource()) PictureStyleSource()(Font, Background);
}

std::wstring FormatName(const std::wstring& Ext) {
  return Ext == L".JPG" ? L"JPEG" : Ext.substr(1);
}

void CheckPictureSize(const std::wstring& Ext, int64_t Width, int64_t Height) {
  const int64_t Side = MaxPictureSide(Ext);
  if (Width > Side || Height > Side)
    throw EUCodeGeneralError(Format(
        PictureText(L"Das Bild von %d x %d Pixeln ist zu gro\u00DF: ein %s-Bild kann h\u00F6chstens %d "
                    L"Pixel breit und hoch sein.",
                    L"The picture of %d x %d pixels is too large: a %s picture can be at most %d pixels "
                    L"wide and high."),
        {Width, Height, FormatName(Ext), Side}));
  // Counted as the GIF codec holds a picture: 8-bit rows padded to 4 bytes.
  if ((Width + 3) / 4 * 4 * Height > MaxPicturePixels)
    throw EUCodeGeneralError(Format(
        PictureText(L"Das Bild von %d x %d Pixeln ist zu gro\u00DF: ein Bild kann h\u00F6chstens %d Pixel "
                    L"haben.",
                    L"The picture of %d x %d pixels is too large: a picture can have at most %d pixels."),
        {Width, Height, MaxPicturePixels}));
}

// The bitmap in the format of Ext, written to Stream.
void SavePicture(TBitmap& Bitmap, const std::wstring& Ext, TStream* Stream) {
  if (Ext == L".BMP") return Bitmap.SaveToStream(Stream);
  const std::optional<TGraphicClass> Class = TPicture::FileFormatClass(WideToAnsi(Ext.substr(1)));
  if (!Class)
    throw EUCodeGeneralError(Format(
        PictureText(L"%s-Bilder k\u00F6nnen nicht geschrieben werden.", L"%s pictures cannot be written."),
        {FormatName(Ext)}));
  std::unique_ptr<TGraphic> Picture(Class->Create());
  if (auto* Jpeg = dynamic_cast<TJPEGImage*>(Picture.get())) Jpeg->SetCompressionQuality(85);
  Picture->Assign(&Bitmap);
  Picture->SaveToStream(Stream);
}

}  // namespace

bool IsPictureExt(const std::wstring& Ext) {
  return Ext == L".BMP" || Ext == L".GIF" || Ext == L".JPG" || Ext == L".JPEG";
}

void SetPictureStyleSource(TPictureStyleSource Source) {
  PictureStyleSource() = std::move(Source);
}

void SetPictureLanguageSource(std::function<bool()> German) {
  PictureLanguageSource() = std::move(German);
}

int64_t MaxPictureSide(const std::wstring& Ext) {
  if (Ext == L".GIF") return 65535;
  if (Ext == L".JPG" || Ext == L".JPEG") return 65500;  // libjpeg's own limit
  return MaxPicturePixels;
}

void WideSaveTextAsPicture(const std::wstring& Text, const std::wstring& FileName, const std::wstring& Ext) {
  TBitmap Bitmap;
  TCanvas* Canvas = Bitmap.Canvas();
  TColor Background = clWhite;
  PictureStyle(Canvas->Font(), Background);
  TWideStrArray Lines;
  WideSplitString(Lines, L"\r\n", Text);
  int64_t TextWidth = 0;
  for (const std::wstring& Line : Lines)
    TextWidth = std::max<int64_t>(TextWidth, WideTextWidth(Canvas, Line));
  const int LineHeight = WideTextHeight(Canvas, L"Wg");
  const int64_t Width = TextWidth + 20;
  const int64_t Height = static_cast<int64_t>(Lines.size()) * LineHeight + 20;
  CheckPictureSize(Ext, Width, Height);
  try {
    Bitmap.SetPixelFormat(pf24bit);
    Bitmap.SetSize(static_cast<int>(Width), static_cast<int>(Height));
  } catch (const EOutOfResources&) {
    throw EUCodeGeneralError(Format(PictureText(L"Nicht genug Speicher f\u00FCr ein Bild von %d x %d Pixeln.",
                                                L"Not enough memory for a picture of %d x %d pixels."),
                                    {Width, Height}));
  }
  Canvas->Brush()->SetColor(Background);
  Canvas->FillRect(Canvas->ClipRect());
  for (size_t I = 0; I < Lines.size(); ++I)
    WideTextOut(Canvas, 10, 10 + static_cast<int>(I) * LineHeight, Lines[I]);
  WriteFileReplacing(FileName, [&](TStream* Stream) { SavePicture(Bitmap, Ext, Stream); });
}
