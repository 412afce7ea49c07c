#pragma once
// Colours, fonts, pens, brushes, canvases and pictures over GDI.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <typeinfo>
#include <vector>

#include "classlib/Classes.h"
#include "classlib/SysUtils.h"

class TStream;

VELMARO_EXCEPTION(EInvalidGraphic, Exception);
VELMARO_EXCEPTION(EInvalidGraphicOperation, Exception);
VELMARO_EXCEPTION(EOutOfResources, Exception);

// ---------------------------------------------------------------------------------------------
// Colours: a COLORREF, or 0x80000000 | COLOR_x for a system colour.

using TColor = int32_t;

constexpr TColor SystemColor(int Index) {
  return static_cast<TColor>(0x80000000u | static_cast<uint32_t>(Index));
}

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

constexpr TColor clScrollBar = SystemColor(COLOR_SCROLLBAR);
constexpr TColor clBackground = SystemColor(COLOR_BACKGROUND);
constexpr TColor clActiveCaption = SystemColor(COLOR_ACTIVECAPTION);
constexpr TColor clInactiveCaption = SystemColor(COLOR_INACTIVECAPTION);
constexpr TColor clMenu = SystemColor(COLOR_MENU);
constexpr TColor clWindow = SystemColor(COLOR_WINDOW);
constexpr TColor clWindowFrame = SystemColor(COLOR_WINDOWFRAME);
constexpr TColor clMenuText = SystemColor(COLOR_MENUTEXT);
constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);
constexpr TColor clCaptionText = SystemColor(COLOR_CAPTIONTEXT);
constexpr TColor clActiveBorder = SystemColor(COLOR_ACTIVEBORDER);
constexpr TColor clInactiveBorder = SystemColor(COLOR_INACTIVEBORDER);
constexpr TColor clAppWorkSpace = SystemColor(COLOR_APPWORKSPACE);
constexpr TColor clHighlight = SystemColor(COLOR_HIGHLIGHT);
constexpr TColor clHighlightText = SystemColor(COLOR_HIGHLIGHTTEXT);
constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);
constexpr TColor clBtnShadow = SystemColor(COLOR_BTNSHADOW);
constexpr TColor clGrayText = SystemColor(COLOR_GRAYTEXT);
constexpr TColor clBtnText = SystemColor(COLOR_BTNTEXT);
constexpr TColor clInactiveCaptionText = SystemColor(COLOR_INACTIVECAPTIONTEXT);
constexpr TColor clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT);
constexpr TColor cl3DDkShadow = SystemColor(COLOR_3DDKSHADOW);
constexpr TColor cl3DLight = SystemColor(COLOR_3DLIGHT);
constexpr TColor clInfoText = SystemColor(COLOR_INFOTEXT);
constexpr TColor clInfoBk = SystemColor(COLOR_INFOBK);
constexpr TColor clHotLight = SystemColor(COLOR_HOTLIGHT);

// The screen's DC for one scope; EOutOfResources "Out of system resources" when there is none.
class TScreenDC {
 public:
  TScreenDC();
  ~TScreenDC();
  TScreenDC(const TScreenDC&) = delete;
  TScreenDC& operator=(const TScreenDC&) = delete;
  HDC DC() const { return FDC; }

 private:
  HDC FDC;
};

// A memory DC with one bitmap selected, for one scope.
class TMemoryDC {
 public:
  explicit TMemoryDC(HBITMAP Bitmap);
  ~TMemoryDC();
  TMemoryDC(const TMemoryDC&) = delete;
  TMemoryDC& operator=(const TMemoryDC&) = delete;
  HDC DC() const { return FDC; }

 private:
  HDC FDC;
  HGDIOBJ FOld;
};

// A system colour resolved by GetSysColor; any other value unchanged.
COLORREF ColorToRGB(TColor Color);
// A new palette with the entries of Palette (nullptr for nullptr), owned by the caller.
HPALETTE CopyPalette(HPALETTE Palette);

// ---------------------------------------------------------------------------------------------
// Fonts, pens and brushes. Each makes its GDI object when first asked and remakes it after a change.
// OnChange runs while the old object still exists, so that a canvas can take it out of its DC.

class TGraphicsObject : public TPersistent {
 public:
  ~TGraphicsObject() override;
  TNotifyEvent OnChange;

 protected:
  HGDIOBJ FHandle = nullptr;
  // Drops the GDI object after telling the listener.
  void Changed();
};

enum TFontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = uint8_t;  // a set of TFontStyle bits

class TFont : public TGraphicsObject {
 public:
  TFont();
  const std::string& Name() const { return FName; }
  void SetName(const std::string& Value);
  // Points at the screen's pixels per inch; Height is the character height in pixels, negative.
  int Size() const;
  void SetSize(int Value);
  int Height() const { return FHeight; }
  void SetHeight(int Value);
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  BYTE Charset() const { return FCharset; }
  void SetCharset(BYTE Value);
  HFONT Handle();
  void Assign(TPersistent* Source) override;

 private:
  std::string FName = "MS Sans Serif";
  int FHeight;
  TFontStyles FStyle = 0;
  TColor FColor = clWindowText;
  BYTE FCharset = DEFAULT_CHARSET;
  int FPixelsPerInch;
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };

class TPen : public TGraphicsObject {
 public:
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  int Width() const { return FWidth; }
  void SetWidth(int Value);
  TPenStyle Style() const { return FStyle; }
  void SetStyle(TPenStyle Value);
  HPEN Handle();
  void Assign(TPersistent* Source) override;

 private:
  TColor FColor = clBlack;
  int FWidth = 1;
  TPenStyle FStyle = psSolid;
};

enum TBrushStyle {
  bsSolid,
  bsClear,
  bsHorizontal,
  bsVertical,
  bsFDiagonal,
  bsBDiagonal,
  bsCross,
  bsDiagCross
};

class TBrush : public TGraphicsObject {
 public:
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TBrushStyle Style() const { return FStyle; }
  void SetStyle(TBrushStyle Value);
  HBRUSH Handle();
  void Assign(TPersistent* Source) override;

 private:
  TColor FColor = clWhite;
  TBrushStyle FStyle = bsSolid;
};

// ---------------------------------------------------------------------------------------------
// Canvas: a device context with a font, pen and brush that are selected into it when an operation
// needs them. The canvas does not own a DC given to SetHandle; derived canvases make their own.

class TGraphic;

enum TCanvasStateFlag : uint8_t { csHandleValid = 1, csFontValid = 2, csPenValid = 4, csBrushValid = 8 };
using TCanvasState = uint8_t;
enum TCanvasOrientation { coLeftToRight, coRightToLeft };

class TCanvas : public TPersistent {
 public:
  TCanvas();
  ~TCanvas() override;

  // The DC; a canvas without one makes it through CreateHandle or raises
  // EInvalidGraphicOperation "Canvas does not allow drawing".
  HDC Handle();
  void SetHandle(HDC Value);
  bool HandleAllocated() const { return FHandle != nullptr; }
  // Makes sure the DC exists and the named objects are selected into it.
  void RequiredState(TCanvasState Required);

  TFont* Font() { return &FFont; }
  TPen* Pen() { return &FPen; }
  TBrush* Brush() { return &FBrush; }
  // ExtTextOut options; ETO_RTLREADING makes the canvas right-to-left.
  int TextFlags() const { return FTextFlags; }
  void SetTextFlags(int Value) { FTextFlags = Value; }
  TCanvasOrientation CanvasOrientation() const;
  DWORD CopyMode() const { return FCopyMode; }
  void SetCopyMode(DWORD Value) { FCopyMode = Value; }
  POINT PenPos();
  void MoveTo(int X, int Y);

  void TextOut(int X, int Y, const std::string& Text);
  int TextWidth(const std::string& Text) { return TextExtent(Text).cx; }
  int TextHeight(const std::string& Text) { return TextExtent(Text).cy; }
  SIZE TextExtent(const std::string& Text);
  void FillRect(const RECT& Rect);
  void Rectangle(int X1, int Y1, int X2, int Y2);
  void Draw(int X, int Y, TGraphic* Graphic);
  void StretchDraw(const RECT& Rect, TGraphic* Graphic);
  void CopyRect(const RECT& Dest, TCanvas* Canvas, const RECT& Source);
  RECT ClipRect();
  TColor Pixels(int X, int Y);
  void SetPixels(int X, int Y, TColor Value);

  // Painter threads draw under this lock.
  void Lock();
  void Unlock();
  bool TryLock();
  int LockCount() const { return FLockCount; }

  // Before and after every drawing operation.
  void Changing();
  void Changed();
  TNotifyEvent OnChanging;
  TNotifyEvent OnChange;

 protected:
  // Makes the DC when one is needed; none here.
  virtual void CreateHandle() {}
  // Selects the stock objects back so that the font, pen and brush can be deleted.
  void DeselectHandles();

 private:
  HDC FHandle = nullptr;
  TCanvasState FState = 0;
  TFont FFont;
  TPen FPen;
  TBrush FBrush;
  int FTextFlags = 0;
  DWORD FCopyMode = SRCCOPY;
  POINT FPenPos{0, 0};
  CRITICAL_SECTION FLock;
  int FLockCount = 0;
};

// ---------------------------------------------------------------------------------------------
// Graphics: the abstract picture and the bitmap.

enum TProgressStage { psStarting, psRunning, psEnding };
using TProgressEvent = std::function<void(TObject* Sender, TProgressStage Stage, uint8_t PercentDone,
                                          bool RedrawNow, const RECT& R, const std::string& Msg)>;

class TGraphic : public TPersistent {
 public:
  virtual void Draw(TCanvas* ACanvas, const RECT& Rect) = 0;
  virtual bool Empty() const = 0;
  virtual int Width() const = 0;
  virtual void SetWidth(int Value) = 0;
  virtual int Height() const = 0;
  virtual void SetHeight(int Value) = 0;
  virtual void LoadFromStream(TStream* Stream) = 0;
  virtual void SaveToStream(TStream* Stream) = 0;
  // Through a TFileStream on the 8-bit name.
  virtual void LoadFromFile(const std::string& FileName);
  virtual void SaveToFile(const std::string& FileName);
  virtual void LoadFromClipboardFormat(UINT AFormat, HANDLE AData, HPALETTE APalette) = 0;
  // The caller takes AData and APalette (normally to hand them to the clipboard).
  virtual void SaveToClipboardFormat(UINT& AFormat, HANDLE& AData, HPALETTE& APalette) = 0;
  // The palette stays the graphic's.
  virtual HPALETTE Palette() { return nullptr; }
  virtual void SetPalette(HPALETTE /*Value*/) {}
  bool PaletteModified() const { return FPaletteModified; }
  void SetPaletteModified(bool Value) { FPaletteModified = Value; }
  virtual bool Transparent() const { return FTransparent; }
  virtual void SetTransparent(bool Value);
  // True for the same class with the same saved bytes.
  virtual bool Equals(TGraphic* Graphic);

  virtual void Changed(TObject* Sender);
  virtual void Progress(TObject* Sender, TProgressStage Stage, uint8_t PercentDone, bool RedrawNow,
                        const RECT& R, const std::string& Msg);
  TNotifyEvent OnChange;
  TProgressEvent OnProgress;

 private:
  bool FPaletteModified = false;
  bool FTransparent = false;
};

// How a graphic class is made and recognised, since C++ has no class references.
struct TGraphicClass {
  TGraphic* (*Create)();
  const std::type_info* Type;
  bool operator==(const TGraphicClass& Other) const { return *Type == *Other.Type; }
};

template <class T>
TGraphicClass GraphicClassOf() {
  return {[]() -> TGraphic* { return new T; }, &typeid(T)};
}

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit };
enum TTransparentMode { tmAuto, tmFixed };

class TBitmapCanvas;

// Always a DIB section, bottom-up. pfDevice is held as 32 bits per pixel. The bitmap owns its handle,
// its palette and its canvas's memory DC.
class TBitmap : public TGraphic {
 public:
  TBitmap();
  ~TBitmap() override;

  void Draw(TCanvas* ACanvas, const RECT& Rect) override;
  bool Empty() const override { return FHandle == nullptr; }
  int Width() const override { return FWidth; }
  void SetWidth(int Value) override;
  int Height() const override { return FHeight; }
  void SetHeight(int Value) override;
  void SetSize(int AWidth, int AHeight);
  // BMP: BITMAPFILEHEADER, BITMAPINFOHEADER, colour table or bit masks, bits. 1 to 32 bits per pixel
  // are read (uncompressed or bit fields, bottom-up or top-down); the bitmap's own format is written.
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;
  // CF_BITMAP only.
  void LoadFromClipboardFormat(UINT AFormat, HANDLE AData, HPALETTE APalette) override;
  void SaveToClipboardFormat(UINT& AFormat, HANDLE& AData, HPALETTE& APalette) override;
  // For 1 to 8 bits the palette is the DIB's colour table; setting it gives the bitmap the palette.
  HPALETTE Palette() override;
  void SetPalette(HPALETTE Value) override;
  // From a TBitmap a copy; from another graphic what its AssignTo makes, or else the graphic drawn on
  // white.
  void Assign(TPersistent* Source) override;

  TPixelFormat PixelFormat() const { return FPixelFormat; }
  // Converts the pixels to the new format.
  void SetPixelFormat(TPixelFormat Value);
  bool Monochrome() const { return FPixelFormat == pf1bit; }
  void SetMonochrome(bool Value);
  // Row 0 is the top row. Raises EInvalidGraphic "Scan line index out of range".
  void* ScanLine(int Row);
  TCanvas* Canvas();
  HBITMAP Handle() const { return FHandle; }
  // Takes Handle; a device-dependent bitmap is copied into a DIB section and deleted.
  void SetHandle(HBITMAP Value);
  // tmAuto: the bottom-left pixel's colour.
  TColor TransparentColor();
  void SetTransparentColor(TColor Value);
  TTransparentMode TransparentMode() const { return FTransparentMode; }
  void SetTransparentMode(TTransparentMode Value);

 private:
  friend class TBitmapCanvas;
  void NewImage(int AWidth, int AHeight, TPixelFormat Format);
  void ReplaceImage(HBITMAP NewHandle, TPixelFormat Format);
  void FreePalette();

  HBITMAP FHandle = nullptr;
  void* FBits = nullptr;
  int FStride = 0;
  int FWidth = 0;
  int FHeight = 0;
  TPixelFormat FPixelFormat = pfDevice;
  HPALETTE FPalette = nullptr;
  std::unique_ptr<TBitmapCanvas> FCanvas;
  TColor FTransparentColor = clDefault;
  TTransparentMode FTransparentMode = tmAuto;
};

// ---------------------------------------------------------------------------------------------
// Icons and metafiles.

// An icon from an .ico file or a handle; it draws with its own transparency, at the size of the
// rectangle. Its size is the icon's own.
class TIcon : public TGraphic {
 public:
  ~TIcon() override;
  void Draw(TCanvas* ACanvas, const RECT& Rect) override;
  bool Empty() const override { return FHandle == nullptr; }
  int Width() const override { return FWidth; }
  int Height() const override { return FHeight; }
  // EInvalidGraphicOperation "Cannot change the size of an icon".
  void SetWidth(int Value) override;
  void SetHeight(int Value) override;
  // The first image of an .ico file at the stream's position; EInvalidGraphic "Icon image is not
  // valid" for anything else.
  void LoadFromStream(TStream* Stream) override;
  // An .ico file: the one it was loaded from, or one 32-bit image made from the handle.
  void SaveToStream(TStream* Stream) override;
  // EInvalidGraphic "Clipboard does not support Icons".
  void LoadFromClipboardFormat(UINT AFormat, HANDLE AData, HPALETTE APalette) override;
  void SaveToClipboardFormat(UINT& AFormat, HANDLE& AData, HPALETTE& APalette) override;
  bool Transparent() const override { return true; }
  // From a TIcon, a copy.
  void Assign(TPersistent* Source) override;
  HICON Handle() const { return FHandle; }
  // Takes the handle.
  void SetHandle(HICON Value);

 private:
  void ReplaceHandle(HICON Value, std::vector<uint8_t> Data);

  HICON FHandle = nullptr;
  int FWidth = 0;
  int FHeight = 0;
  std::vector<uint8_t> FData;  // the .ico file it was loaded from
};

// An enhanced metafile, played into the drawing rectangle. Its size is its bounds in device pixels
// until it is set.
class TMetafile : public TGraphic {
 public:
  ~TMetafile() override;
  void Draw(TCanvas* ACanvas, const RECT& Rect) override;
  bool Empty() const override { return FHandle == nullptr; }
  int Width() const override { return FWidth; }
  int Height() const override { return FHeight; }
  void SetWidth(int Value) override;
  void SetHeight(int Value) override;
  // An EMF file at the stream's position; EInvalidGraphic "Metafile is not valid" for anything else.
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;
  // CF_ENHMETAFILE only: a copy of the clipboard's metafile, and a copy for the clipboard.
  void LoadFromClipboardFormat(UINT AFormat, HANDLE AData, HPALETTE APalette) override;
  void SaveToClipboardFormat(UINT& AFormat, HANDLE& AData, HPALETTE& APalette) override;
  bool Transparent() const override { return true; }
  // From a TMetafile, a copy.
  void Assign(TPersistent* Source) override;
  HENHMETAFILE Handle() const { return FHandle; }
  // Takes the handle.
  void SetHandle(HENHMETAFILE Value);

 private:
  HENHMETAFILE FHandle = nullptr;
  int FWidth = 0;
  int FHeight = 0;
};

// ---------------------------------------------------------------------------------------------
// Picture: holds one graphic of any registered class.

class TPicture : public TPersistent {
 public:
  TPicture();
  ~TPicture() override;

  TGraphic* Graphic() const { return FGraphic.get(); }
  // Holds a copy of Value, of the same class when that is registered, else a bitmap of it (nullptr
  // empties the picture).
  void SetGraphic(TGraphic* Value);
  // The graphic as a bitmap; any other graphic is replaced by an empty bitmap.
  TBitmap* Bitmap();
  int Width() const { return FGraphic ? FGraphic->Width() : 0; }
  int Height() const { return FGraphic ? FGraphic->Height() : 0; }
  // The class is chosen by the extension; an unknown one raises
  // EInvalidGraphic "Unknown picture file extension (.%s)".
  void LoadFromFile(const std::string& FileName);
  void SaveToFile(const std::string& FileName);
  // Raises EInvalidGraphic "Unsupported clipboard format" for an unregistered format.
  void LoadFromClipboardFormat(UINT AFormat, HANDLE AData, HPALETTE APalette);
  void SaveToClipboardFormat(UINT& AFormat, HANDLE& AData, HPALETTE& APalette);
  // From a TPicture, a TGraphic or nullptr.
  void Assign(TPersistent* Source) override;
  void AssignTo(TPersistent* Dest) override;

  TNotifyEvent OnChange;
  TProgressEvent OnProgress;

  // Extensions without the dot, compared without case; the latest registration of one wins.
  static void RegisterFileFormat(const std::string& Extension, const std::string& Description,
                                 TGraphicClass GraphicClass);
  static void RegisterClipboardFormat(UINT AFormat, TGraphicClass GraphicClass);
  static void UnregisterGraphicClass(TGraphicClass GraphicClass);
  static bool SupportsClipboardFormat(UINT AFormat);
  // The class registered for Extension (without the dot), if any.
  static std::optional<TGraphicClass> FileFormatClass(const std::string& Extension);

 private:
  void SetGraphicObject(TGraphic* Value);
  void Changed();

  std::unique_ptr<TGraphic> FGraphic;
};

// Visual styles: on while the system's theme is active and the program takes part in it.
bool ThemesEnabled();
