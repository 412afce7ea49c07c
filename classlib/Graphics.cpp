#include "classlib/Graphics.h"

#include <uxtheme.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "classlib/Streams.h"

namespace {

[[noreturn]] void OutOfResources() {
  throw EOutOfResources(L"Out of system resources");
}

// Owns a bitmap handle until it is released to its new owner.
class TBitmapGuard {
 public:
  explicit TBitmapGuard(HBITMAP Handle) : FHandle(Handle) {}
  ~TBitmapGuard() {
    if (FHandle) DeleteObject(FHandle);
  }
  TBitmapGuard(const TBitmapGuard&) = delete;
  TBitmapGuard& operator=(const TBitmapGuard&) = delete;
  HBITMAP Get() const { return FHandle; }
  HBITMAP Release() { return std::exchange(FHandle, nullptr); }

 private:
  HBITMAP FHandle;
};

int ScreenPixelsPerInch() {
  static const int Value = [] {
    TScreenDC Screen;
    return GetDeviceCaps(Screen.DC(), LOGPIXELSY);
  }();
  return Value;
}

}  // namespace

TScreenDC::TScreenDC() : FDC(GetDC(nullptr)) {
  if (!FDC) OutOfResources();
}

TScreenDC::~TScreenDC() {
  ReleaseDC(nullptr, FDC);
}

TMemoryDC::TMemoryDC(HBITMAP Bitmap) : FDC(CreateCompatibleDC(nullptr)) {
  if (!FDC) OutOfResources();
  FOld = SelectObject(FDC, Bitmap);
}

TMemoryDC::~TMemoryDC() {
  SelectObject(FDC, FOld);
  DeleteDC(FDC);
}

COLORREF ColorToRGB(TColor Color) {
  if (Color < 0) return GetSysColor(Color & 0xFF);
  return static_cast<COLORREF>(Color);
}

HPALETTE CopyPalette(HPALETTE Palette) {
  if (!Palette) return nullptr;
  const UINT Count = GetPaletteEntries(Palette, 0, 0, nullptr);
  std::vector<uint8_t> Buffer(sizeof(LOGPALETTE) + Count * sizeof(PALETTEENTRY));
  auto* Log = reinterpret_cast<LOGPALETTE*>(Buffer.data());
  Log->palVersion = 0x300;
  Log->palNumEntries = static_cast<WORD>(Count);
  GetPaletteEntries(Palette, 0, Count, Log->palPalEntry);
  const HPALETTE Result = CreatePalette(Log);
  if (!Result) OutOfResources();
  return Result;
}

// ---------------------------------------------------------------------------------------------
// TGraphicsObject, TFont, TPen, TBrush

TGraphicsObject::~TGraphicsObject() {
  if (FHandle) DeleteObject(FHandle);
}

void TGraphicsObject::Changed() {
  const HGDIOBJ Old = std::exchange(FHandle, nullptr);
  if (OnChange) OnChange(this);
  if (Old) DeleteObject(Old);
}

TFont::TFont() : FHeight(-MulDiv(8, ScreenPixelsPerInch(), 72)), FPixelsPerInch(ScreenPixelsPerInch()) {}

void TFont::SetName(const std::string& Value) {
  if (Value.empty() || Value == FName) return;
  FName = Value;
  Changed();
}

int TFont::Size() const {
  return -MulDiv(FHeight, 72, FPixelsPerInch);
}

void TFont::SetSize(int Value) {
  SetHeight(-MulDiv(Value, FPixelsPerInch, 72));
}

void TFont::SetHeight(int Value) {
  if (Value == FHeight) return;
  FHeight = Value;
  Changed();
}

void TFont::SetStyle(TFontStyles Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  Changed();
}

void TFont::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  Changed();
}

void TFont::SetCharset(BYTE Value) {
  if (Value == FCharset) return;
  FCharset = Value;
  Changed();
}

HFONT TFont::Handle() {
  if (!FHandle) {
    LOGFONTA Log{};
    Log.lfHeight = FHeight;
    Log.lfWeight = (FStyle & fsBold) ? FW_BOLD : FW_NORMAL;
    Log.lfItalic = (FStyle & fsItalic) != 0;
    Log.lfUnderline = (FStyle & fsUnderline) != 0;
    Log.lfStrikeOut = (FStyle & fsStrikeOut) != 0;
    Log.lfCharSet = FCharset;
    Log.lfOutPrecision = OUT_DEFAULT_PRECIS;
    Log.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    Log.lfQuality = DEFAULT_QUALITY;
    Log.lfPitchAndFamily = DEFAULT_PITCH;
    FName.copy(Log.lfFaceName, LF_FACESIZE - 1);
    FHandle = CreateFontIndirectA(&Log);
    if (!FHandle) OutOfResources();
  }
  return static_cast<HFONT>(FHandle);
}

void TFont::Assign(TPersistent* Source) {
  auto* Font = dynamic_cast<TFont*>(Source);
  if (!Font) return TPersistent::Assign(Source);
  if (Font == this) return;
  FName = Font->FName;
  FHeight = MulDiv(Font->FHeight, FPixelsPerInch, Font->FPixelsPerInch);
  FStyle = Font->FStyle;
  FColor = Font->FColor;
  FCharset = Font->FCharset;
  Changed();
}

void TPen::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  Changed();
}

void TPen::SetWidth(int Value) {
  if (Value == FWidth || Value < 0) return;
  FWidth = Value;
  Changed();
}

void TPen::SetStyle(TPenStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  Changed();
}

HPEN TPen::Handle() {
  static const int Styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
  if (!FHandle) {
    FHandle = CreatePen(Styles[FStyle], FWidth, ColorToRGB(FColor));
    if (!FHandle) OutOfResources();
  }
  return static_cast<HPEN>(FHandle);
}

void TPen::Assign(TPersistent* Source) {
  auto* Pen = dynamic_cast<TPen*>(Source);
  if (!Pen) return TPersistent::Assign(Source);
  if (Pen == this) return;
  FColor = Pen->FColor;
  FWidth = Pen->FWidth;
  FStyle = Pen->FStyle;
  Changed();
}

void TBrush::SetColor(TColor Value) {
  if (Value == FColor && FStyle != bsClear) return;
  FColor = Value;
  if (FStyle == bsClear) FStyle = bsSolid;
  Changed();
}

void TBrush::SetStyle(TBrushStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  Changed();
}

HBRUSH TBrush::Handle() {
  if (!FHandle) {
    LOGBRUSH Log{};
    Log.lbColor = ColorToRGB(FColor);
    if (FStyle == bsSolid) {
      Log.lbStyle = BS_SOLID;
    } else if (FStyle == bsClear) {
      Log.lbStyle = BS_HOLLOW;
    } else {
      Log.lbStyle = BS_HATCHED;
      Log.lbHatch = static_cast<ULONG_PTR>(FStyle - bsHorizontal) + HS_HORIZONTAL;
    }
    FHandle = CreateBrushIndirect(&Log);
    if (!FHandle) OutOfResources();
  }
  return static_cast<HBRUSH>(FHandle);
}

void TBrush::Assign(TPersistent* Source) {
  auto* Brush = dynamic_cast<TBrush*>(Source);
  if (!Brush) return TPersistent::Assign(Source);
  if (Brush == this) return;
  FColor = Brush->FColor;
  FStyle = Brush->FStyle;
  Changed();
}

// ---------------------------------------------------------------------------------------------
// TCanvas

TCanvas::TCanvas() {
  InitializeCriticalSection(&FLock);
  // A changed object leaves the DC before it is deleted and is selected again on next use.
  FFont.OnChange = [this](TObject*) {
    if (!(FState & csFontValid)) return;
    SelectObject(FHandle, GetStockObject(SYSTEM_FONT));
    FState &= ~csFontValid;
  };
  FPen.OnChange = [this](TObject*) {
    if (!(FState & csPenValid)) return;
    SelectObject(FHandle, GetStockObject(BLACK_PEN));
    FState &= ~csPenValid;
  };
  FBrush.OnChange = [this](TObject*) {
    if (!(FState & csBrushValid)) return;
    SelectObject(FHandle, GetStockObject(HOLLOW_BRUSH));
    FState &= ~csBrushValid;
  };
}

TCanvas::~TCanvas() {
  DeselectHandles();
  DeleteCriticalSection(&FLock);
}

HDC TCanvas::Handle() {
  RequiredState(csHandleValid);
  return FHandle;
}

void TCanvas::SetHandle(HDC Value) {
  if (Value == FHandle) return;
  DeselectHandles();
  FHandle = Value;
  FState = Value ? csHandleValid : 0;
}

void TCanvas::DeselectHandles() {
  if (!FHandle) return;
  if (FState & csFontValid) SelectObject(FHandle, GetStockObject(SYSTEM_FONT));
  if (FState & csPenValid) SelectObject(FHandle, GetStockObject(BLACK_PEN));
  if (FState & csBrushValid) SelectObject(FHandle, GetStockObject(HOLLOW_BRUSH));
  FState &= csHandleValid;
}

void TCanvas::RequiredState(TCanvasState Required) {
  const TCanvasState Needed = Required & ~FState;
  if (!Needed) return;
  if (Needed & csHandleValid) {
    CreateHandle();
    if (!FHandle) throw EInvalidGraphicOperation(L"Canvas does not allow drawing");
    FState |= csHandleValid;
  }
  if (Needed & csFontValid) {
    SelectObject(FHandle, FFont.Handle());
    SetTextColor(FHandle, ColorToRGB(FFont.Color()));
    FState |= csFontValid;
  }
  if (Needed & csPenValid) {
    SelectObject(FHandle, FPen.Handle());
    FState |= csPenValid;
  }
  if (Needed & csBrushValid) {
    UnrealizeObject(FBrush.Handle());
    SelectObject(FHandle, FBrush.Handle());
    SetBkColor(FHandle, ColorToRGB(FBrush.Color()));
    SetBkMode(FHandle, FBrush.Style() == bsSolid ? OPAQUE : TRANSPARENT);
    FState |= csBrushValid;
  }
}

TCanvasOrientation TCanvas::CanvasOrientation() const {
  return (FTextFlags & ETO_RTLREADING) ? coRightToLeft : coLeftToRight;
}

POINT TCanvas::PenPos() {
  RequiredState(csHandleValid);
  GetCurrentPositionEx(FHandle, &FPenPos);
  return FPenPos;
}

void TCanvas::MoveTo(int X, int Y) {
  RequiredState(csHandleValid);
  MoveToEx(FHandle, X, Y, nullptr);
  FPenPos = {X, Y};
}

void TCanvas::TextOut(int X, int Y, const std::string& Text) {
  Changing();
  RequiredState(csHandleValid | csFontValid | csBrushValid);
  const int Width = TextWidth(Text);
  if (CanvasOrientation() == coRightToLeft) X += Width + 1;
  ExtTextOutA(FHandle, X, Y, static_cast<UINT>(FTextFlags), nullptr, Text.data(),
              static_cast<UINT>(Text.size()), nullptr);
  MoveTo(X + Width, Y);
  Changed();
}

SIZE TCanvas::TextExtent(const std::string& Text) {
  RequiredState(csHandleValid | csFontValid);
  SIZE Result{0, 0};
  GetTextExtentPoint32A(FHandle, Text.data(), static_cast<int>(Text.size()), &Result);
  return Result;
}

void TCanvas::FillRect(const RECT& Rect) {
  Changing();
  RequiredState(csHandleValid | csBrushValid);
  ::FillRect(FHandle, &Rect, FBrush.Handle());
  Changed();
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  ::Rectangle(FHandle, X1, Y1, X2, Y2);
  Changed();
}

void TCanvas::Draw(int X, int Y, TGraphic* Graphic) {
  if (!Graphic || Graphic->Empty()) return;
  StretchDraw(RECT{X, Y, X + Graphic->Width(), Y + Graphic->Height()}, Graphic);
}

void TCanvas::StretchDraw(const RECT& Rect, TGraphic* Graphic) {
  if (!Graphic) return;
  Changing();
  RequiredState(csHandleValid);
  Graphic->Draw(this, Rect);
  Changed();
}

void TCanvas::CopyRect(const RECT& Dest, TCanvas* Canvas, const RECT& Source) {
  Changing();
  RequiredState(csHandleValid | csFontValid | csBrushValid);
  Canvas->RequiredState(csHandleValid | csBrushValid);
  StretchBlt(FHandle, Dest.left, Dest.top, Dest.right - Dest.left, Dest.bottom - Dest.top, Canvas->FHandle,
             Source.left, Source.top, Source.right - Source.left, Source.bottom - Source.top, FCopyMode);
  Changed();
}

RECT TCanvas::ClipRect() {
  RequiredState(csHandleValid);
  RECT Result{};
  GetClipBox(FHandle, &Result);
  return Result;
}

TColor TCanvas::Pixels(int X, int Y) {
  RequiredState(csHandleValid);
  return static_cast<TColor>(GetPixel(FHandle, X, Y));
}

void TCanvas::SetPixels(int X, int Y, TColor Value) {
  Changing();
  RequiredState(csHandleValid | csPenValid);
  SetPixel(FHandle, X, Y, ColorToRGB(Value));
  Changed();
}

void TCanvas::Lock() {
  EnterCriticalSection(&FLock);
  ++FLockCount;
}

void TCanvas::Unlock() {
  --FLockCount;
  LeaveCriticalSection(&FLock);
}

bool TCanvas::TryLock() {
  if (!TryEnterCriticalSection(&FLock)) return false;
  ++FLockCount;
  return true;
}

void TCanvas::Changing() {
  if (OnChanging) OnChanging(this);
}

void TCanvas::Changed() {
  if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------------------------------------
// TGraphic

void TGraphic::LoadFromFile(const std::string& FileName) {
  TFileStream Stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&Stream);
}

void TGraphic::SaveToFile(const std::string& FileName) {
  TFileStream Stream(FileName, fmCreate);
  SaveToStream(&Stream);
}

void TGraphic::SetTransparent(bool Value) {
  if (Value == FTransparent) return;
  FTransparent = Value;
  Changed(this);
}

bool TGraphic::Equals(TGraphic* Graphic) {
  if (Graphic == this) return true;
  if (!Graphic || typeid(*Graphic) != typeid(*this)) return false;
  if (Empty() || Graphic->Empty()) return Empty() && Graphic->Empty();
  TMemoryStream Mine;
  TMemoryStream Theirs;
  SaveToStream(&Mine);
  Graphic->SaveToStream(&Theirs);
  return Mine.Size() == Theirs.Size() &&
         std::memcmp(Mine.Memory(), Theirs.Memory(), static_cast<size_t>(Mine.Size())) == 0;
}

void TGraphic::Changed(TObject* /*Sender*/) {
  if (OnChange) OnChange(this);
}

void TGraphic::Progress(TObject* Sender, TProgressStage Stage, uint8_t PercentDone, bool RedrawNow,
                        const RECT& R, const std::string& Msg) {
  if (OnProgress) OnProgress(Sender, Stage, PercentDone, RedrawNow, R, Msg);
}

// ---------------------------------------------------------------------------------------------
// TBitmap

// The memory DC of a bitmap; the bitmap's current handle is selected into it while both exist.
class TBitmapCanvas : public TCanvas {
 public:
  explicit TBitmapCanvas(TBitmap* Bitmap) : FBitmap(Bitmap) {
    OnChange = [Bitmap](TObject*) { Bitmap->Changed(Bitmap); };
  }
  ~TBitmapCanvas() override {
    if (!FDC) return;
    DeselectBitmap();
    SetHandle(nullptr);
    DeleteDC(FDC);
  }
  void DeselectBitmap() {
    if (FOldBitmap) SelectObject(FDC, std::exchange(FOldBitmap, nullptr));
  }
  void SelectBitmap() {
    if (FDC && FBitmap->FHandle) FOldBitmap = SelectObject(FDC, FBitmap->FHandle);
  }

 protected:
  void CreateHandle() override {
    FDC = CreateCompatibleDC(nullptr);
    if (!FDC) OutOfResources();
    SetHandle(FDC);
    SelectBitmap();
  }

 private:
  TBitmap* FBitmap;
  HDC FDC = nullptr;
  HGDIOBJ FOldBitmap = nullptr;
};

namespace {

struct TDibInfo {
  BITMAPINFOHEADER Header;
  RGBQUAD Colors[256];  // or three bit masks
};

int BitsOf(TPixelFormat Format) {
  static const int Bits[] = {32, 1, 4, 8, 16, 16, 24, 32};
  return Bits[Format];
}

int64_t StrideOf(int64_t Width, int Bits) {
  return (Width * Bits + 31) / 32 * 4;
}

TPixelFormat FormatOfDib(const BITMAPINFOHEADER& Header, DWORD GreenMask) {
  switch (Header.biBitCount) {
    case 1:
      return pf1bit;
    case 4:
      return pf4bit;
    case 8:
      return pf8bit;
    case 16:
      return Header.biCompression == BI_BITFIELDS && GreenMask == 0x07E0 ? pf16bit : pf15bit;
    case 24:
      return pf24bit;
    default:
      return pf32bit;
  }
}

UINT ColorsOfPalette(HPALETTE Palette, RGBQUAD* Colors, UINT MaxCount) {
  PALETTEENTRY Entries[256];
  const UINT Count = GetPaletteEntries(Palette, 0, MaxCount, Entries);
  for (UINT I = 0; I < Count; ++I) Colors[I] = {Entries[I].peBlue, Entries[I].peGreen, Entries[I].peRed, 0};
  return Count;
}

HPALETTE PaletteOfColors(const RGBQUAD* Colors, UINT Count) {
  std::vector<uint8_t> Buffer(sizeof(LOGPALETTE) + Count * sizeof(PALETTEENTRY));
  auto* Log = reinterpret_cast<LOGPALETTE*>(Buffer.data());
  Log->palVersion = 0x300;
  Log->palNumEntries = static_cast<WORD>(Count);
  for (UINT I = 0; I < Count; ++I)
    Log->palPalEntry[I] = {Colors[I].rgbRed, Colors[I].rgbGreen, Colors[I].rgbBlue, 0};
  const HPALETTE Result = CreatePalette(Log);
  if (!Result) OutOfResources();
  return Result;
}

// The colour table that a new bitmap of Format gets when it has no palette.
UINT DefaultColors(TPixelFormat Format, RGBQUAD* Colors) {
  static const RGBQUAD Vga[16] = {{0, 0, 0, 0},       {0, 0, 128, 0},   {0, 128, 0, 0},   {0, 128, 128, 0},
                                  {128, 0, 0, 0},     {128, 0, 128, 0}, {128, 128, 0, 0}, {192, 192, 192, 0},
                                  {128, 128, 128, 0}, {0, 0, 255, 0},   {0, 255, 0, 0},   {0, 255, 255, 0},
                                  {255, 0, 0, 0},     {255, 0, 255, 0}, {255, 255, 0, 0}, {255, 255, 255, 0}};
  switch (Format) {
    case pf1bit:
      Colors[0] = Vga[0];
      Colors[1] = Vga[15];
      return 2;
    case pf4bit:
      std::copy(Vga, Vga + 16, Colors);
      return 16;
    case pf8bit: {
      TScreenDC Screen;
      const HPALETTE Halftone = CreateHalftonePalette(Screen.DC());
      if (!Halftone) OutOfResources();
      const UINT Count = ColorsOfPalette(Halftone, Colors, 256);
      DeleteObject(Halftone);
      return Count;
    }
    default:
      return 0;
  }
}

HBITMAP NewDib(const TDibInfo& Info, void** Bits) {
  const HBITMAP Result =
      CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&Info), DIB_RGB_COLORS, Bits, nullptr, 0);
  if (!Result) OutOfResources();
  return Result;
}

TDibInfo DibInfo(int Width, int Height, TPixelFormat Format) {
  TDibInfo Info{};
  Info.Header.biSize = sizeof(BITMAPINFOHEADER);
  Info.Header.biWidth = Width;
  Info.Header.biHeight = Height;
  Info.Header.biPlanes = 1;
  Info.Header.biBitCount = static_cast<WORD>(BitsOf(Format));
  Info.Header.biCompression = BI_RGB;
  if (Format == pf16bit) {
    static const DWORD Masks[3] = {0xF800, 0x07E0, 0x001F};
    Info.Header.biCompression = BI_BITFIELDS;
    std::memcpy(Info.Colors, Masks, sizeof(Masks));
  }
  return Info;
}

[[noreturn]] void InvalidBitmap() {
  throw EInvalidGraphic(L"Bitmap image is not valid");
}

}  // namespace

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() {
  FCanvas.reset();
  if (FHandle) DeleteObject(FHandle);
  FreePalette();
}

void TBitmap::FreePalette() {
  if (FPalette) DeleteObject(std::exchange(FPalette, nullptr));
}

// The current image, or white where it does not reach, in a new handle of the given size and format.
void TBitmap::NewImage(int AWidth, int AHeight, TPixelFormat Format) {
  if (FCanvas) FCanvas->DeselectBitmap();
  HBITMAP NewHandle = nullptr;
  if (AWidth > 0 && AHeight > 0) {
    TDibInfo Info = DibInfo(AWidth, AHeight, Format);
    if (BitsOf(Format) <= 8) {
      Info.Header.biClrUsed = FPalette ? ColorsOfPalette(FPalette, Info.Colors, 1u << BitsOf(Format))
                                       : DefaultColors(Format, Info.Colors);
    }
    void* Bits = nullptr;
    TBitmapGuard Guard(NewDib(Info, &Bits));
    {
      TMemoryDC Dest(Guard.Get());
      PatBlt(Dest.DC(), 0, 0, AWidth, AHeight, WHITENESS);
      if (FHandle) {
        TMemoryDC Source(FHandle);
        BitBlt(Dest.DC(), 0, 0, std::min(AWidth, FWidth), std::min(AHeight, FHeight), Source.DC(), 0, 0,
               SRCCOPY);
      }
    }
    NewHandle = Guard.Release();
  }
  ReplaceImage(NewHandle, Format);
  FWidth = AWidth;
  FHeight = AHeight;
}

void TBitmap::ReplaceImage(HBITMAP NewHandle, TPixelFormat Format) {
  if (FCanvas) FCanvas->DeselectBitmap();
  if (FHandle) DeleteObject(FHandle);
  FHandle = NewHandle;
  FPixelFormat = Format;
  FBits = nullptr;
  FStride = 0;
  if (FHandle) {
    DIBSECTION Section{};
    GetObjectA(FHandle, sizeof(Section), &Section);
    FBits = Section.dsBm.bmBits;
    FStride = Section.dsBm.bmWidthBytes;
    FWidth = Section.dsBm.bmWidth;
    FHeight = Section.dsBm.bmHeight;
  }
  if (FCanvas) FCanvas->SelectBitmap();
}

void TBitmap::Draw(TCanvas* ACanvas, const RECT& Rect) {
  if (Empty()) return;
  const HDC Dest = ACanvas->Handle();
  const HDC Source = Canvas()->Handle();
  const HPALETTE Pal = Palette();
  const HPALETTE OldPalette = Pal ? SelectPalette(Dest, Pal, TRUE) : nullptr;
  if (Pal) RealizePalette(Dest);
  const int OldMode = SetStretchBltMode(Dest, COLORONCOLOR);
  const int W = Rect.right - Rect.left;
  const int H = Rect.bottom - Rect.top;
  if (Transparent()) {
    TransparentBlt(Dest, Rect.left, Rect.top, W, H, Source, 0, 0, FWidth, FHeight,
                   ColorToRGB(TransparentColor() & 0xFFFFFF));
  } else {
    StretchBlt(Dest, Rect.left, Rect.top, W, H, Source, 0, 0, FWidth, FHeight, ACanvas->CopyMode());
  }
  SetStretchBltMode(Dest, OldMode);
  if (OldPalette) SelectPalette(Dest, OldPalette, TRUE);
}

void TBitmap::SetWidth(int Value) {
  SetSize(Value, FHeight);
}

void TBitmap::SetHeight(int Value) {
  SetSize(FWidth, Value);
}

void TBitmap::SetSize(int AWidth, int AHeight) {
  AWidth = std::max(AWidth, 0);
  AHeight = std::max(AHeight, 0);
  if (AWidth == FWidth && AHeight == FHeight) return;
  NewImage(AWidth, AHeight, FPixelFormat);
  Changed(this);
}

void TBitmap::SetPixelFormat(TPixelFormat Value) {
  if (Value == FPixelFormat) return;
  NewImage(FWidth, FHeight, Value);
  Changed(this);
}

void TBitmap::SetMonochrome(bool Value) {
  if (Value != Monochrome()) SetPixelFormat(Value ? pf1bit : pfDevice);
}

void* TBitmap::ScanLine(int Row) {
  if (!FHandle || Row < 0 || Row >= FHeight) throw EInvalidGraphic(L"Scan line index out of range");
  GdiFlush();
  return static_cast<uint8_t*>(FBits) + static_cast<ptrdiff_t>(FHeight - 1 - Row) * FStride;
}

TCanvas* TBitmap::Canvas() {
  if (!FCanvas) FCanvas = std::make_unique<TBitmapCanvas>(this);
  return FCanvas.get();
}

void TBitmap::SetHandle(HBITMAP Value) {
  if (Value == FHandle) return;
  FreePalette();
  DIBSECTION Section{};
  if (!Value) {
    ReplaceImage(nullptr, FPixelFormat);
    FWidth = FHeight = 0;
  } else if (GetObjectA(Value, sizeof(Section), &Section) == sizeof(Section) && Section.dsBmih.biHeight > 0) {
    ReplaceImage(Value, FormatOfDib(Section.dsBmih, Section.dsBitfields[1]));
  } else {
    // Device-dependent or top-down: copied into a bottom-up DIB section of the same look.
    TBitmapGuard Taken(Value);
    BITMAP Info{};
    GetObjectA(Value, sizeof(Info), &Info);
    const TPixelFormat Format =
        Section.dsBm.bmBits ? FormatOfDib(Section.dsBmih, Section.dsBitfields[1]) : pfDevice;
    TDibInfo Dib = DibInfo(Info.bmWidth, std::abs(Info.bmHeight), Format);
    if (Section.dsBm.bmBits && BitsOf(Format) <= 8) {
      TMemoryDC Source(Value);
      Dib.Header.biClrUsed = GetDIBColorTable(Source.DC(), 0, 256, Dib.Colors);
    }
    void* Bits = nullptr;
    TBitmapGuard Copy(NewDib(Dib, &Bits));
    {
      TMemoryDC Source(Value);
      TMemoryDC Dest(Copy.Get());
      BitBlt(Dest.DC(), 0, 0, Info.bmWidth, std::abs(Info.bmHeight), Source.DC(), 0, 0, SRCCOPY);
    }
    ReplaceImage(Copy.Release(), Format);
  }
  Changed(this);
}

HPALETTE TBitmap::Palette() {
  if (!FPalette && FHandle && BitsOf(FPixelFormat) <= 8) {
    RGBQUAD Colors[256];
    const UINT Count = GetDIBColorTable(Canvas()->Handle(), 0, 256, Colors);
    if (Count) FPalette = PaletteOfColors(Colors, Count);
  }
  return FPalette;
}

void TBitmap::SetPalette(HPALETTE Value) {
  if (Value == FPalette) return;
  FreePalette();
  FPalette = Value;
  if (Value && FHandle && BitsOf(FPixelFormat) <= 8) {
    RGBQUAD Colors[256];
    const UINT Count = ColorsOfPalette(Value, Colors, 1u << BitsOf(FPixelFormat));
    SetDIBColorTable(Canvas()->Handle(), 0, Count, Colors);
  }
  SetPaletteModified(true);
  Changed(this);
}

TColor TBitmap::TransparentColor() {
  if (FTransparentMode == tmFixed && FTransparentColor != clDefault) return FTransparentColor;
  if (Empty()) return clDefault;
  return Canvas()->Pixels(0, FHeight - 1) | 0x02000000;
}

void TBitmap::SetTransparentColor(TColor Value) {
  if (Value == FTransparentColor) return;
  FTransparentColor = Value;
  FTransparentMode = Value == clDefault ? tmAuto : tmFixed;
  Changed(this);
}

void TBitmap::SetTransparentMode(TTransparentMode Value) {
  if (Value == FTransparentMode) return;
  FTransparentMode = Value;
  if (Value == tmAuto) FTransparentColor = clDefault;
  Changed(this);
}

void TBitmap::Assign(TPersistent* Source) {
  if (Source == this) return;
  if (!Source) {
    FreePalette();
    ReplaceImage(nullptr, pfDevice);
    FWidth = FHeight = 0;
    Changed(this);
  } else if (auto* Bitmap = dynamic_cast<TBitmap*>(Source)) {
    FreePalette();
    ReplaceImage(nullptr, Bitmap->FPixelFormat);
    if (Bitmap->FPalette) FPalette = CopyPalette(Bitmap->FPalette);
    FWidth = Bitmap->FWidth;
    FHeight = Bitmap->FHeight;
    if (!Bitmap->Empty()) {
      TDibInfo Info = DibInfo(FWidth, FHeight, FPixelFormat);
      if (BitsOf(FPixelFormat) <= 8)
        Info.Header.biClrUsed = GetDIBColorTable(Bitmap->Canvas()->Handle(), 0, 256, Info.Colors);
      void* Bits = nullptr;
      const HBITMAP Copy = NewDib(Info, &Bits);
      GdiFlush();
      std::memcpy(Bits, Bitmap->FBits, static_cast<size_t>(Bitmap->FStride) * Bitmap->FHeight);
      ReplaceImage(Copy, FPixelFormat);
    }
    FTransparentColor = Bitmap->FTransparentColor;
    FTransparentMode = Bitmap->FTransparentMode;
    SetTransparent(Bitmap->Transparent());
    Changed(this);
  } else if (auto* Graphic = dynamic_cast<TGraphic*>(Source)) {
    // A graphic that knows how to become a bitmap does so; any other is drawn.
    try {
      TGraphic::Assign(Source);
      return;
    } catch (const EConvertError&) {
    }
    FreePalette();
    ReplaceImage(nullptr, pfDevice);
    NewImage(Graphic->Width(), Graphic->Height(), pfDevice);
    if (!Empty()) Canvas()->Draw(0, 0, Graphic);
    Changed(this);
  } else {
    TGraphic::Assign(Source);
  }
}

void TBitmap::SaveToStream(TStream* Stream) {
  if (Empty()) return;
  TDibInfo Info = DibInfo(FWidth, FHeight, FPixelFormat);
  DWORD MaskBytes = Info.Header.biCompression == BI_BITFIELDS ? 3 * sizeof(DWORD) : 0;
  if (BitsOf(FPixelFormat) <= 8) {
    Info.Header.biClrUsed = GetDIBColorTable(Canvas()->Handle(), 0, 256, Info.Colors);
    MaskBytes = Info.Header.biClrUsed * sizeof(RGBQUAD);
  }
  Info.Header.biSizeImage = static_cast<DWORD>(FStride) * FHeight;
  BITMAPFILEHEADER File{};
  File.bfType = 0x4D42;  // "BM"
  File.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + MaskBytes;
  File.bfSize = File.bfOffBits + Info.Header.biSizeImage;
  Stream->WriteBuffer(&File, sizeof(File));
  Stream->WriteBuffer(&Info.Header, sizeof(Info.Header));
  Stream->WriteBuffer(Info.Colors, static_cast<int32_t>(MaskBytes));
  GdiFlush();
  Stream->WriteBuffer(FBits, static_cast<int32_t>(Info.Header.biSizeImage));
}

void TBitmap::LoadFromStream(TStream* Stream) {
  const int64_t Start = Stream->Position();
  const int64_t End = Stream->Size();
  if (Start >= End) return Assign(nullptr);
  BITMAPFILEHEADER File{};
  TDibInfo Info{};
  DWORD HeaderSize = 0;
  if (End - Start < static_cast<int64_t>(sizeof(File) + sizeof(Info.Header))) InvalidBitmap();
  Stream->ReadBuffer(&File, sizeof(File));
  Stream->ReadBuffer(&HeaderSize, sizeof(HeaderSize));
  if (File.bfType != 0x4D42 || HeaderSize < sizeof(BITMAPINFOHEADER) || HeaderSize > 0x1000) InvalidBitmap();
  Info.Header.biSize = HeaderSize;
  Stream->ReadBuffer(reinterpret_cast<uint8_t*>(&Info.Header) + sizeof(DWORD),
                     sizeof(BITMAPINFOHEADER) - sizeof(DWORD));
  BITMAPINFOHEADER& H = Info.Header;
  const int Bits = H.biBitCount;
  const bool Masks = H.biCompression == BI_BITFIELDS && (Bits == 16 || Bits == 32);
  const bool KnownBits = Bits == 1 || Bits == 4 || Bits == 8 || Bits == 16 || Bits == 24 || Bits == 32;
  if (H.biWidth <= 0 || H.biHeight == 0 || H.biHeight == INT32_MIN || H.biPlanes != 1 || !KnownBits ||
      (H.biCompression != BI_RGB && !Masks) || (Bits <= 8 && H.biClrUsed > (1u << Bits)))
    InvalidBitmap();
  // The masks follow a 40-byte header and open every longer one.
  if (Masks) Stream->ReadBuffer(Info.Colors, 3 * sizeof(DWORD));
  Stream->Seek(Start + sizeof(File) + HeaderSize, soBeginning);
  if (Bits <= 8) {
    if (H.biClrUsed == 0) H.biClrUsed = 1u << Bits;
    Stream->ReadBuffer(Info.Colors, static_cast<int32_t>(H.biClrUsed * sizeof(RGBQUAD)));
  }
  const bool TopDown = H.biHeight < 0;
  const int Height = std::abs(static_cast<int>(H.biHeight));
  const int64_t Stride = StrideOf(H.biWidth, Bits);
  if (Start + File.bfOffBits + Stride * Height > End) InvalidBitmap();
  H.biHeight = Height;
  H.biSizeImage = static_cast<DWORD>(Stride * Height);
  H.biSize = sizeof(BITMAPINFOHEADER);
  if (Bits > 8) H.biClrUsed = 0;
  void* Pixels = nullptr;
  TBitmapGuard Image(NewDib(Info, &Pixels));
  Stream->Seek(Start + File.bfOffBits, soBeginning);
  for (int Row = 0; Row < Height; ++Row) {
    const int Target = TopDown ? Height - 1 - Row : Row;
    Stream->ReadBuffer(static_cast<uint8_t*>(Pixels) + Target * Stride, static_cast<int32_t>(Stride));
  }
  FreePalette();
  ReplaceImage(Image.Release(), FormatOfDib(H, reinterpret_cast<const DWORD*>(Info.Colors)[1]));
  Changed(this);
}

void TBitmap::LoadFromClipboardFormat(UINT AFormat, HANDLE AData, HPALETTE APalette) {
  if (AFormat != CF_BITMAP || !AData) throw EInvalidGraphic(L"Unsupported clipboard format");
  BITMAP Info{};
  if (!GetObjectA(AData, sizeof(Info), &Info)) InvalidBitmap();
  FreePalette();
  if (APalette) FPalette = CopyPalette(APalette);
  ReplaceImage(nullptr, pfDevice);
  NewImage(Info.bmWidth, Info.bmHeight, pfDevice);
  if (FHandle) {
    if (FCanvas) FCanvas->DeselectBitmap();
    TMemoryDC Source(static_cast<HBITMAP>(AData));
    TMemoryDC Dest(FHandle);
    BitBlt(Dest.DC(), 0, 0, FWidth, FHeight, Source.DC(), 0, 0, SRCCOPY);
  }
  if (FCanvas) FCanvas->SelectBitmap();
  Changed(this);
}

void TBitmap::SaveToClipboardFormat(UINT& AFormat, HANDLE& AData, HPALETTE& APalette) {
  AFormat = CF_BITMAP;
  AData = nullptr;
  APalette = nullptr;
  if (Empty()) return;
  TBitmapGuard Copy([this] {
    TScreenDC Screen;
    return CreateCompatibleBitmap(Screen.DC(), FWidth, FHeight);
  }());
  if (!Copy.Get()) OutOfResources();
  {
    TMemoryDC Dest(Copy.Get());
    BitBlt(Dest.DC(), 0, 0, FWidth, FHeight, Canvas()->Handle(), 0, 0, SRCCOPY);
  }
  APalette = CopyPalette(Palette());
  AData = Copy.Release();
}

// ---------------------------------------------------------------------------------------------
// TIcon

namespace {

#pragma pack(push, 1)
struct TIconDir {
  WORD Reserved;
  WORD Type;  // 1: icon
  WORD Count;
};
struct TIconDirEntry {
  BYTE Width;  // 0: 256
  BYTE Height;
  BYTE ColorCount;
  BYTE Reserved;
  WORD Planes;
  WORD BitCount;
  DWORD BytesInRes;
  DWORD ImageOffset;
};
#pragma pack(pop)

[[noreturn]] void InvalidIcon() {
  throw EInvalidGraphic(L"Icon image is not valid");
}

// Height rows of a bitmap from the bottom-up scan line Start, as a DIB of 1 or 32 bits per pixel.
std::vector<uint8_t> DibBitsOf(HBITMAP Bitmap, int Width, int Height, int Bits, int Start = 0) {
  TDibInfo Info = DibInfo(Width, Height, Bits == 1 ? pf1bit : pf32bit);
  if (Bits == 1) {
    Info.Header.biClrUsed = 2;
    Info.Colors[1] = {255, 255, 255, 0};
  }
  std::vector<uint8_t> Result(static_cast<size_t>(StrideOf(Width, Bits) * Height));
  TScreenDC Screen;
  GetDIBits(Screen.DC(), Bitmap, static_cast<UINT>(Start), static_cast<UINT>(Height), Result.data(),
            reinterpret_cast<BITMAPINFO*>(&Info), DIB_RGB_COLORS);
  return Result;
}

}  // namespace

TIcon::~TIcon() {
  if (FHandle) DestroyIcon(FHandle);
}

void TIcon::ReplaceHandle(HICON Value, std::vector<uint8_t> Data) {
  if (FHandle && FHandle != Value) DestroyIcon(FHandle);
  FHandle = Value;
  FData = std::move(Data);
  FWidth = FHeight = 0;
  ICONINFO Info{};
  if (FHandle && GetIconInfo(FHandle, &Info)) {
    BITMAP Mask{};
    GetObjectA(Info.hbmMask, sizeof(Mask), &Mask);
    FWidth = Mask.bmWidth;
    FHeight = Info.hbmColor ? Mask.bmHeight : Mask.bmHeight / 2;  // a monochrome icon's mask holds both
    if (Info.hbmColor) DeleteObject(Info.hbmColor);
    DeleteObject(Info.hbmMask);
  }
  Changed(this);
}

void TIcon::SetHandle(HICON Value) {
  ReplaceHandle(Value, {});
}

void TIcon::Draw(TCanvas* ACanvas, const RECT& Rect) {
  if (Empty()) return;
  DrawIconEx(ACanvas->Handle(), Rect.left, Rect.top, FHandle, Rect.right - Rect.left, Rect.bottom - Rect.top,
             0, nullptr, DI_NORMAL);
}

void TIcon::SetWidth(int /*Value*/) {
  throw EInvalidGraphicOperation(L"Cannot change the size of an icon");
}

void TIcon::SetHeight(int /*Value*/) {
  throw EInvalidGraphicOperation(L"Cannot change the size of an icon");
}

void TIcon::LoadFromStream(TStream* Stream) {
  const int64_t Start = Stream->Position();
  const int64_t Available = Stream->Size() - Start;
  TIconDir Dir{};
  if (Available < static_cast<int64_t>(sizeof(Dir) + sizeof(TIconDirEntry))) InvalidIcon();
  Stream->ReadBuffer(&Dir, sizeof(Dir));
  if (Dir.Reserved != 0 || Dir.Type != 1 || Dir.Count == 0) InvalidIcon();
  std::vector<TIconDirEntry> Entries(Dir.Count);
  if (Available < static_cast<int64_t>(sizeof(Dir) + Dir.Count * sizeof(TIconDirEntry))) InvalidIcon();
  Stream->ReadBuffer(Entries.data(), static_cast<int32_t>(Dir.Count * sizeof(TIconDirEntry)));
  int64_t End = 0;
  for (const TIconDirEntry& E : Entries) End = std::max(End, int64_t{E.ImageOffset} + E.BytesInRes);
  const TIconDirEntry& First = Entries[0];
  if (End > Available || First.BytesInRes == 0 || First.ImageOffset < sizeof(Dir)) InvalidIcon();
  std::vector<uint8_t> Data(static_cast<size_t>(End));
  Stream->SetPosition(Start);
  Stream->ReadBuffer(Data.data(), static_cast<int32_t>(End));
  const int Width = First.Width ? First.Width : 256;
  const int Height = First.Height ? First.Height : 256;
  const HICON Icon = CreateIconFromResourceEx(Data.data() + First.ImageOffset, First.BytesInRes, TRUE,
                                              0x00030000, Width, Height, LR_DEFAULTCOLOR);
  if (!Icon) InvalidIcon();
  ReplaceHandle(Icon, std::move(Data));
}

void TIcon::SaveToStream(TStream* Stream) {
  if (Empty()) return;
  if (!FData.empty()) return Stream->WriteBuffer(FData.data(), static_cast<int32_t>(FData.size()));
  ICONINFO Info{};
  if (!GetIconInfo(FHandle, &Info)) InvalidIcon();
  TBitmapGuard Mask(Info.hbmMask);
  TBitmapGuard Color(Info.hbmColor);
  // A monochrome icon's mask holds the AND rows above the XOR rows, which become black and white.
  std::vector<uint8_t> Xor;
  if (Color.Get()) {
    Xor = DibBitsOf(Color.Get(), FWidth, FHeight, 32);
  } else {
    const std::vector<uint8_t> Bits = DibBitsOf(Mask.Get(), FWidth, FHeight, 1);
    const int64_t Stride = StrideOf(FWidth, 1);
    for (int Y = 0; Y < FHeight; ++Y)
      for (int X = 0; X < FWidth; ++X) {
        const uint8_t V = (Bits[static_cast<size_t>(Y * Stride + X / 8)] >> (7 - X % 8) & 1) ? 255 : 0;
        Xor.insert(Xor.end(), {V, V, V, 0});
      }
  }
  const std::vector<uint8_t> And = DibBitsOf(Mask.Get(), FWidth, FHeight, 1, Color.Get() ? 0 : FHeight);
  BITMAPINFOHEADER Header = DibInfo(FWidth, 2 * FHeight, pf32bit).Header;
  Header.biSizeImage = static_cast<DWORD>(Xor.size() + And.size());
  const TIconDir Dir{0, 1, 1};
  const TIconDirEntry Entry{static_cast<BYTE>(FWidth < 256 ? FWidth : 0),
                            static_cast<BYTE>(FHeight < 256 ? FHeight : 0),
                            0,
                            0,
                            1,
                            32,
                            static_cast<DWORD>(sizeof(Header) + Header.biSizeImage),
                            sizeof(TIconDir) + sizeof(TIconDirEntry)};
  Stream->WriteBuffer(&Dir, sizeof(Dir));
  Stream->WriteBuffer(&Entry, sizeof(Entry));
  Stream->WriteBuffer(&Header, sizeof(Header));
  Stream->WriteBuffer(Xor.data(), static_cast<int32_t>(Xor.size()));
  Stream->WriteBuffer(And.data(), static_cast<int32_t>(And.size()));
}

void TIcon::LoadFromClipboardFormat(UINT /*AFormat*/, HANDLE /*AData*/, HPALETTE /*APalette*/) {
  throw EInvalidGraphic(L"Clipboard does not support Icons");
}

void TIcon::SaveToClipboardFormat(UINT& /*AFormat*/, HANDLE& /*AData*/, HPALETTE& /*APalette*/) {
  throw EInvalidGraphic(L"Clipboard does not support Icons");
}

void TIcon::Assign(TPersistent* Source) {
  auto* Icon = dynamic_cast<TIcon*>(Source);
  if (!Icon) return TGraphic::Assign(Source);
  if (Icon == this) return;
  ReplaceHandle(Icon->FHandle ? CopyIcon(Icon->FHandle) : nullptr, Icon->FData);
}

// ---------------------------------------------------------------------------------------------
// TMetafile

TMetafile::~TMetafile() {
  if (FHandle) DeleteEnhMetaFile(FHandle);
}

void TMetafile::SetHandle(HENHMETAFILE Value) {
  if (FHandle && FHandle != Value) DeleteEnhMetaFile(FHandle);
  FHandle = Value;
  FWidth = FHeight = 0;
  ENHMETAHEADER Header{};
  if (FHandle && GetEnhMetaFileHeader(FHandle, sizeof(Header), &Header)) {
    FWidth = Header.rclBounds.right - Header.rclBounds.left + 1;
    FHeight = Header.rclBounds.bottom - Header.rclBounds.top + 1;
  }
  Changed(this);
}

void TMetafile::Draw(TCanvas* ACanvas, const RECT& Rect) {
  if (!Empty()) PlayEnhMetaFile(ACanvas->Handle(), FHandle, &Rect);
}

void TMetafile::SetWidth(int Value) {
  if (Value == FWidth) return;
  FWidth = Value;
  Changed(this);
}

void TMetafile::SetHeight(int Value) {
  if (Value == FHeight) return;
  FHeight = Value;
  Changed(this);
}

void TMetafile::LoadFromStream(TStream* Stream) {
  ENHMETAHEADER Header{};
  const int64_t Start = Stream->Position();
  const int64_t Available = Stream->Size() - Start;
  if (Available < static_cast<int64_t>(sizeof(Header))) throw EInvalidGraphic(L"Metafile is not valid");
  Stream->ReadBuffer(&Header, sizeof(Header));
  if (Header.iType != EMR_HEADER || Header.dSignature != ENHMETA_SIGNATURE ||
      Header.nBytes < sizeof(Header) || Header.nBytes > Available)
    throw EInvalidGraphic(L"Metafile is not valid");
  std::vector<uint8_t> Data(Header.nBytes);
  Stream->SetPosition(Start);
  Stream->ReadBuffer(Data.data(), static_cast<int32_t>(Data.size()));
  const HENHMETAFILE Handle = SetEnhMetaFileBits(static_cast<UINT>(Data.size()), Data.data());
  if (!Handle) throw EInvalidGraphic(L"Metafile is not valid");
  SetHandle(Handle);
}

void TMetafile::SaveToStream(TStream* Stream) {
  if (Empty()) return;
  std::vector<uint8_t> Data(GetEnhMetaFileBits(FHandle, 0, nullptr));
  GetEnhMetaFileBits(FHandle, static_cast<UINT>(Data.size()), Data.data());
  Stream->WriteBuffer(Data.data(), static_cast<int32_t>(Data.size()));
}

void TMetafile::LoadFromClipboardFormat(UINT AFormat, HANDLE AData, HPALETTE /*APalette*/) {
  if (AFormat != CF_ENHMETAFILE || !AData) throw EInvalidGraphic(L"Unsupported clipboard format");
  const HENHMETAFILE Copy = CopyEnhMetaFileA(static_cast<HENHMETAFILE>(AData), nullptr);
  if (!Copy) OutOfResources();
  SetHandle(Copy);
}

void TMetafile::SaveToClipboardFormat(UINT& AFormat, HANDLE& AData, HPALETTE& APalette) {
  AFormat = CF_ENHMETAFILE;
  AData = nullptr;
  APalette = nullptr;
  if (Empty()) return;
  AData = CopyEnhMetaFileA(FHandle, nullptr);
  if (!AData) OutOfResources();
}

void TMetafile::Assign(TPersistent* Source) {
  auto* Metafile = dynamic_cast<TMetafile*>(Source);
  if (!Metafile) return TGraphic::Assign(Source);
  if (Metafile == this) return;
  SetHandle(Metafile->FHandle ? CopyEnhMetaFileA(Metafile->FHandle, nullptr) : nullptr);
  FWidth = Metafile->FWidth;
  FHeight = Metafile->FHeight;
}

// ---------------------------------------------------------------------------------------------
// TPicture

namespace {

struct TFileFormat {
  std::string Extension;
  std::string Description;
  TGraphicClass Class;
};

struct TClipboardFormat {
  UINT Format;
  TGraphicClass Class;
};

std::vector<TFileFormat>& FileFormats() {
  static std::vector<TFileFormat> List{{"bmp", "Bitmaps", GraphicClassOf<TBitmap>()},
                                       {"ico", "Icons", GraphicClassOf<TIcon>()},
                                       {"emf", "Enhanced Metafiles", GraphicClassOf<TMetafile>()}};
  return List;
}

std::vector<TClipboardFormat>& ClipboardFormats() {
  static std::vector<TClipboardFormat> List{{CF_BITMAP, GraphicClassOf<TBitmap>()},
                                            {CF_ENHMETAFILE, GraphicClassOf<TMetafile>()}};
  return List;
}

std::optional<TGraphicClass> ClipboardFormatClass(UINT AFormat) {
  const auto& List = ClipboardFormats();
  for (auto It = List.rbegin(); It != List.rend(); ++It)
    if (It->Format == AFormat) return It->Class;
  return std::nullopt;
}

// The registered class of Graphic's own type.
std::optional<TGraphicClass> ClassOfGraphic(const TGraphic& Graphic) {
  for (const auto& Entry : FileFormats())
    if (*Entry.Class.Type == typeid(Graphic)) return Entry.Class;
  for (const auto& Entry : ClipboardFormats())
    if (*Entry.Class.Type == typeid(Graphic)) return Entry.Class;
  return std::nullopt;
}

std::string ExtensionOf(const std::string& FileName) {
  const size_t Dot = FileName.find_last_of(".\\/:");
  if (Dot == std::string::npos || FileName[Dot] != '.') return std::string();
  return FileName.substr(Dot + 1);
}

}  // namespace

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::SetGraphicObject(TGraphic* Value) {
  FGraphic.reset(Value);
  if (!Value) return;
  Value->OnChange = [this](TObject*) { Changed(); };
  Value->OnProgress = [this](TObject* Sender, TProgressStage Stage, uint8_t PercentDone, bool RedrawNow,
                             const RECT& R, const std::string& Msg) {
    if (OnProgress) OnProgress(Sender, Stage, PercentDone, RedrawNow, R, Msg);
  };
}

void TPicture::Changed() {
  if (OnChange) OnChange(this);
}

void TPicture::SetGraphic(TGraphic* Value) {
  if (Value == FGraphic.get()) return;
  std::unique_ptr<TGraphic> Copy;
  if (Value) {
    const std::optional<TGraphicClass> Class = ClassOfGraphic(*Value);
    Copy.reset(Class ? Class->Create() : new TBitmap);
    Copy->Assign(Value);
  }
  SetGraphicObject(Copy.release());
  Changed();
}

TBitmap* TPicture::Bitmap() {
  if (!dynamic_cast<TBitmap*>(FGraphic.get())) SetGraphicObject(new TBitmap);
  return static_cast<TBitmap*>(FGraphic.get());
}

void TPicture::LoadFromFile(const std::string& FileName) {
  const std::string Ext = ExtensionOf(FileName);
  const std::optional<TGraphicClass> Class = FileFormatClass(Ext);
  if (!Class) throw EInvalidGraphic(Format("Unknown picture file extension (.%s)", {Ext}));
  std::unique_ptr<TGraphic> Graphic(Class->Create());
  Graphic->OnProgress = OnProgress;
  Graphic->LoadFromFile(FileName);
  SetGraphicObject(Graphic.release());
  Changed();
}

void TPicture::SaveToFile(const std::string& FileName) {
  if (FGraphic) FGraphic->SaveToFile(FileName);
}

void TPicture::LoadFromClipboardFormat(UINT AFormat, HANDLE AData, HPALETTE APalette) {
  const std::optional<TGraphicClass> Class = ClipboardFormatClass(AFormat);
  if (!Class) throw EInvalidGraphic(L"Unsupported clipboard format");
  std::unique_ptr<TGraphic> Graphic(Class->Create());
  Graphic->OnProgress = OnProgress;
  Graphic->LoadFromClipboardFormat(AFormat, AData, APalette);
  SetGraphicObject(Graphic.release());
  Changed();
}

void TPicture::SaveToClipboardFormat(UINT& AFormat, HANDLE& AData, HPALETTE& APalette) {
  AFormat = 0;
  AData = nullptr;
  APalette = nullptr;
  if (FGraphic) FGraphic->SaveToClipboardFormat(AFormat, AData, APalette);
}

void TPicture::Assign(TPersistent* Source) {
  if (!Source) return SetGraphic(nullptr);
  if (auto* Picture = dynamic_cast<TPicture*>(Source)) return SetGraphic(Picture->Graphic());
  if (auto* Graphic = dynamic_cast<TGraphic*>(Source)) return SetGraphic(Graphic);
  TPersistent::Assign(Source);
}

void TPicture::AssignTo(TPersistent* Dest) {
  if (auto* Graphic = dynamic_cast<TGraphic*>(Dest)) return Graphic->Assign(FGraphic.get());
  TPersistent::AssignTo(Dest);
}

void TPicture::RegisterFileFormat(const std::string& Extension, const std::string& Description,
                                  TGraphicClass GraphicClass) {
  const std::string Ext = !Extension.empty() && Extension[0] == '.' ? Extension.substr(1) : Extension;
  FileFormats().push_back({LowerCase(Ext), Description, GraphicClass});
}

void TPicture::RegisterClipboardFormat(UINT AFormat, TGraphicClass GraphicClass) {
  ClipboardFormats().push_back({AFormat, GraphicClass});
}

void TPicture::UnregisterGraphicClass(TGraphicClass GraphicClass) {
  std::erase_if(FileFormats(), [&](const TFileFormat& Entry) { return Entry.Class == GraphicClass; });
  std::erase_if(ClipboardFormats(),
                [&](const TClipboardFormat& Entry) { return Entry.Class == GraphicClass; });
}

bool TPicture::SupportsClipboardFormat(UINT AFormat) {
  return ClipboardFormatClass(AFormat).has_value();
}

std::optional<TGraphicClass> TPicture::FileFormatClass(const std::string& Extension) {
  const std::string Ext = LowerCase(Extension);
  const auto& List = FileFormats();
  for (auto It = List.rbegin(); It != List.rend(); ++It)
    if (It->Extension == Ext) return It->Class;
  return std::nullopt;
}

bool ThemesEnabled() {
  return IsThemeActive() && IsAppThemed();
}
