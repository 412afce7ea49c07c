#pragma once
// GIF pictures: colour reduction and dithering of bitmaps, and the LZW and run-length coding of GIF image
// data in 255-byte sub-blocks.
//
// Every count, size and index of a GIF comes from files and the clipboard that anyone may have made: the
// readers here check each one before they use it. Hard failures raise GIFException; soft problems (data
// that ends early, a code the table cannot decode) are reported through a TGIFWarningProc and the work
// goes on with what could be read.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "classlib/Graphics.h"
#include "classlib/Streams.h"

class TStrings;

// ---------------------------------------------------------------------------------------------
// Codec helpers

// The codec's one error class: a kind of invalid graphic.
VELMARO_EXCEPTION(GIFException, EInvalidGraphic);

[[noreturn]] void RaiseGIFError(const std::string& Message);
// Raises EOutOfResources with the system's text for GetLastError, or the generic text when there is none.
[[noreturn]] void RaiseGDIError();
// A non-zero result of a GDI call unchanged; zero raises through RaiseGDIError.
template <class T>
T CheckGDIResult(T Value) {
  if (!Value) RaiseGDIError();
  return Value;
}

// 0 for 0, 1 for up to 2 colours, else the smallest b with 2^b >= Count.
int ColorCountToBits(int Count);
// Bytes of one row: Width x BitsPerPixel rounded up to a multiple of Alignment bits. 64 bits wide, so that
// no width and bit count can overflow it.
int64_t ScanlineByteCount(int64_t Width, int BitsPerPixel, int Alignment);

// The largest pixel buffer, DIB or colour-reduced image the codec allocates for one picture. A GIF
// can name 65535 x 65535 pixels: such a size is refused before anything is allocated.
constexpr int64_t GIFMaxBufferBytes = int64_t{256} * 1024 * 1024;

// Soft problems, with severity 1; the document objects pass themselves as the sender on to the image.
using TGIFWarningProc = std::function<void(int Severity, const std::string& Message)>;

// Owns a GDI palette handle.
struct TPaletteDeleter {
  void operator()(HPALETTE Palette) const { DeleteObject(Palette); }
};
using TPaletteHandle = std::unique_ptr<std::remove_pointer_t<HPALETTE>, TPaletteDeleter>;

// ---------------------------------------------------------------------------------------------
// Colour reduction: fixed palettes, colour lookups, the octree quantizer and scanline access.

enum TGIFPaletteMode : uint8_t {
  pmNone,              // keep the colours: a 24-bit copy
  pmSystem20,          // the 20 static system colours
  pmHalftone256,       // the screen's halftone palette
  pmGray4,             // 4 grays
  pmBlackWhite,        // black and white
  pmGray256,           // 256 grays
  pmWeb216,            // the 216 web colours (the list export's choice)
  pmOctree,            // an optimised palette of 2^ReductionBits colours
  pmOctreeKeepSystem,  // 236 optimised colours between the 20 system colours
  pmCustom             // a palette given by the caller
};

enum TGIFDitherKind : uint8_t {
  dkNearest,         // each pixel by itself
  dkFloydSteinberg,  // the error-diffusion kernels of their authors
  dkStucki,
  dkSierra,
  dkJaJuNi,
  dkSteveArche,
  dkBurkes
};

// The rows of a bitmap, top row first. Bitmap is not owned.
class TDIB {
 public:
  TDIB(TBitmap* ABitmap, TPixelFormat APixelFormat) : Bitmap(ABitmap), PixelFormat(APixelFormat) {}
  virtual ~TDIB() = default;
  TDIB(const TDIB&) = delete;
  TDIB& operator=(const TDIB&) = delete;
  virtual uint8_t* GetScanline(int Row) = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;

  TBitmap* const Bitmap;
  const TPixelFormat PixelFormat;
};

// Reads a bitmap in the given format; the bitmap itself is converted to that format.
class TDIBReader : public TDIB {
 public:
  TDIBReader(TBitmap* ABitmap, TPixelFormat APixelFormat);
  uint8_t* GetScanline(int Row) override;
  int Width() const override { return Bitmap->Width(); }
  int Height() const override { return Bitmap->Height(); }
};

// Builds an 8-bit or 24-bit DIB in memory; an 8-bit DIB's colour table has 256 entries, Palette's
// colours (at most 256) and zero entries after them. StoreIntoBitmap loads it into the
// bitmap. Creation raises GIFException "Unsupported PixelFormat" for other formats and "Invalid image
// dimensions" for a width or height below 1; a DIB above GIFMaxBufferBytes raises EOutOfMemory
// "Failed to allocate memory for GIF DIB". Palette stays the caller's.
class TDIBWriter : public TDIB {
 public:
  TDIBWriter(TBitmap* ABitmap, TPixelFormat APixelFormat, HPALETTE Palette, int AWidth, int AHeight);
  // Row outside 0..Height-1: EInvalidGraphicOperation "Scan line index out of range".
  uint8_t* GetScanline(int Row) override;
  int Width() const override { return FWidth; }
  int Height() const override { return FHeight; }
  // Loads the rows written so far into the bitmap as one BMP and releases the DIB.
  void StoreIntoBitmap();

 private:
  void AllocateDIB();

  HPALETTE FPalette;
  int FWidth;
  int FHeight;
  int64_t FRowBytes = 0;
  std::vector<uint8_t> FHeader;  // BITMAPINFOHEADER and, for 8 bits, 256 colour entries
  std::unique_ptr<uint8_t[]> FBits;
  int64_t FImageSize = 0;
};

// Maps a colour to a palette index; Lookup also gives the colour of that entry in R, G and B.
class TColorLookup {
 public:
  explicit TColorLookup(int AColors) : FColors(AColors) {}
  virtual ~TColorLookup() = default;
  TColorLookup(const TColorLookup&) = delete;
  TColorLookup& operator=(const TColorLookup&) = delete;
  virtual int Lookup(uint8_t Red, uint8_t Green, uint8_t Blue, uint8_t& R, uint8_t& G, uint8_t& B) = 0;
  // Entries of the palette that the lookup serves.
  int Colors() const { return FColors; }

 protected:
  int FColors;
};

// The 216 web colours. Each channel's level is (value + 3) div 51: a truncating rule, not the nearest
// level (250 gives level 4 = 204, not 5 = 255), kept because pictures made by earlier versions of the
// export carry exactly these indices. Index = blue level + 6 x green level + 36 x red level.
class TNetscapeColorLookup : public TColorLookup {
 public:
  TNetscapeColorLookup() : TColorLookup(216) {}
  int Lookup(uint8_t Red, uint8_t Green, uint8_t Blue, uint8_t& R, uint8_t& G, uint8_t& B) override;
};

// 256 grays: (77 red + 150 green + 29 blue) shr 8.
class TGrayScaleLookup : public TColorLookup {
 public:
  TGrayScaleLookup() : TColorLookup(256) {}
  int Lookup(uint8_t Red, uint8_t Green, uint8_t Blue, uint8_t& R, uint8_t& G, uint8_t& B) override;
};

// Black below the weighted sum 32513 (77 red + 150 green + 29 blue), else white.
class TMonochromeLookup : public TColorLookup {
 public:
  TMonochromeLookup() : TColorLookup(2) {}
  int Lookup(uint8_t Red, uint8_t Green, uint8_t Blue, uint8_t& R, uint8_t& G, uint8_t& B) override;
};

// The entry with the least sum of channel differences, searched once per 15-bit colour cell and cached;
// the first of equal entries wins, and each entry owns the cell of its own colour.
class TFastColorLookup : public TColorLookup {
 public:
  explicit TFastColorLookup(HPALETTE Palette);
  int Lookup(uint8_t Red, uint8_t Green, uint8_t Blue, uint8_t& R, uint8_t& G, uint8_t& B) override;

 private:
  PALETTEENTRY FEntries[256];
  std::vector<uint16_t> FCache;  // 32768 cells, 65535 while unknown
};

// The platform's nearest palette index.
class TSlowColorLookup : public TColorLookup {
 public:
  explicit TSlowColorLookup(HPALETTE Palette);
  int Lookup(uint8_t Red, uint8_t Green, uint8_t Blue, uint8_t& R, uint8_t& G, uint8_t& B) override;

 private:
  HPALETTE FPalette;  // not owned
  std::vector<PALETTEENTRY> FEntries;
};

struct TOctreeNode {
  bool Leaf = false;
  uint32_t PixelCount = 0;
  uint32_t RedSum = 0;
  uint32_t GreenSum = 0;
  uint32_t BlueSum = 0;
  TOctreeNode* NextReducible = nullptr;
  std::unique_ptr<TOctreeNode> Children[8];
};

// Octree quantization: colours are added to a tree of ColorBits levels, and the deepest reducible node
// is merged into a leaf whenever there are more leaves than MaxColors.
class TColorQuantizer {
 public:
  TColorQuantizer(int MaxColors, int ColorBits);
  void AddImage(TDIB* Reader);  // 24 bits per pixel
  // Writes one entry per leaf, depth first, and returns how many; at most Capacity are written.
  int FillPalette(RGBQUAD* Entries, int Capacity) const;
  int LeafCount() const { return FLeafCount; }

 private:
  void AddColorToTree(uint8_t Red, uint8_t Green, uint8_t Blue);
  // False when no node is left to merge.
  bool MergeDeepestNode();

  std::unique_ptr<TOctreeNode> FRoot;
  int FLeafCount = 0;
  TOctreeNode* FReducible[9] = {};
  int FMaxColors;
  int FColorBits;
};

// New palettes, owned by the caller.
HPALETTE CreatePalette216();
HPALETTE CreateGrayPalette256();
HPALETTE CreateBlackWhitePalette();
HPALETTE CreateGrayPalette4();
HPALETTE CreateHalftonePalette256();
// Colours is clamped to 1..256. KeepSystemColors puts the 20 system colours at 0-9 and 246-255 and
// quantizes 236 colours between them.
HPALETTE BuildQuantizedPalette(TDIB* Reader, int Colors, int ColorBits, bool KeepSystemColors);
HPALETTE BuildQuantizedPaletteForBitmap(TBitmap* Bitmap, int Colors, int ColorBits, bool KeepSystemColors);

class TDitherEngine;

// A new 8-bit bitmap with the palette of Reduction whose pixels are the ditherer's indices (pmNone: a
// 24-bit copy). The source may be converted to 24 bits per pixel. pmOctree makes 2^ReductionBits
// colours (ReductionBits clamped to 0..8); pmCustom copies CustomPalette's first 256 entries. An unknown
// method or dither kind, or a palette without colours, gives an empty bitmap.
std::unique_ptr<TBitmap> ReduceBitmapColors(TBitmap* Bitmap, TGIFPaletteMode Reduction,
                                            TGIFDitherKind DitherMode, int ReductionBits,
                                            HPALETTE CustomPalette);

// ---------------------------------------------------------------------------------------------
// Dithering. Every ditherer walks the image in serpentine order: the first row left to right, the next
// right to left, and so on; the caller reads Column before each Dither and stops when it leaves the row.

class TDitherEngine {
 public:
  // Lookup is not owned.
  TDitherEngine(int AWidth, TColorLookup* ALookup) : FLookup(ALookup), FWidth(AWidth) {}
  virtual ~TDitherEngine() = default;
  TDitherEngine(const TDitherEngine&) = delete;
  TDitherEngine& operator=(const TDitherEngine&) = delete;

  // The palette index for this pixel, its colour in R, G and B; moves on to the next column.
  virtual int Dither(uint8_t Red, uint8_t Green, uint8_t Blue, uint8_t& R, uint8_t& G, uint8_t& B);
  // Turns round at the end of a row.
  virtual void NextLine();
  int Direction() const { return FDirection; }
  int Column() const { return FColumn; }
  int Width() const { return FWidth; }

 protected:
  void NextColumn() { FColumn += FDirection; }

  int FDirection = 1;
  int FColumn = 0;
  TColorLookup* FLookup;
  int FWidth;
};

// One weight of an error-diffusion kernel: Row rows below, Offset columns ahead in the scan direction.
struct TDitherWeight {
  int Row;
  int Offset;
  int Weight;
};

// Spreads each pixel's quantization error onto the pixels not yet visited by a kernel; the divisor is the
// kernel's sum of weights. Integer arithmetic; corrected values are clamped to 0..255.
class TErrorDiffusionDitherer : public TDitherEngine {
 public:
  TErrorDiffusionDitherer(int AWidth, TColorLookup* ALookup, std::vector<TDitherWeight> AKernel);
  int Dither(uint8_t Red, uint8_t Green, uint8_t Blue, uint8_t& R, uint8_t& G, uint8_t& B) override;
  void NextLine() override;

 private:
  int32_t* Cell(int Row, int Channel, int Column);

  std::vector<TDitherWeight> FKernel;
  int FDivisor;
  int FRows;                     // rows of error held: the current one and those below
  int FMargin;                   // columns beyond both ends, so that the kernel never leaves its row
  int FStride;                   // Width + 2 x Margin
  std::vector<int32_t> FErrors;  // per held row and channel one array of sums
  std::vector<int> FRowOrder;    // FRowOrder[0] is the current row's slot; slots rotate
};

class TFloydSteinbergDitherer : public TErrorDiffusionDitherer {
 public:
  TFloydSteinbergDitherer(int AWidth, TColorLookup* ALookup);
};
class TStuckiDitherer : public TErrorDiffusionDitherer {
 public:
  TStuckiDitherer(int AWidth, TColorLookup* ALookup);
};
class TSierraDitherer : public TErrorDiffusionDitherer {
 public:
  TSierraDitherer(int AWidth, TColorLookup* ALookup);
};
class TJaJuNiDitherer : public TErrorDiffusionDitherer {
 public:
  TJaJuNiDitherer(int AWidth, TColorLookup* ALookup);
};
class TSteveArcheDitherer : public TErrorDiffusionDitherer {
 public:
  TSteveArcheDitherer(int AWidth, TColorLookup* ALookup);
};
class TBurkesDitherer : public TErrorDiffusionDitherer {
 public:
  TBurkesDitherer(int AWidth, TColorLookup* ALookup);
};

// The ditherer of Kind, or nullptr for an unknown kind.
std::unique_ptr<TDitherEngine> CreateDitherer(TGIFDitherKind Kind, int Width, TColorLookup* Lookup);

// ---------------------------------------------------------------------------------------------
// Image data: the LZW decoder, the LZW and run-length encoders, and the sub-block stream helpers.

enum TGIFCodingKind : uint8_t { ckLZW, ckRLE };

// One byte, or -1 at the end of the stream.
int ReadStreamByte(TStream* Stream);
void WriteStreamByte(TStream* Stream, uint8_t Value);
// Exactly Count bytes, or GIFException "Premature end of data".
void ReadExact(TStream* Stream, void* Buffer, int32_t Count);
// Each string as sub-blocks of at most 255 bytes (an empty string writes nothing), then one zero byte.
void WriteSubBlockText(TStream* Stream, TStrings* Strings);
// Clears Strings; each sub-block up to the zero-length block becomes one string, cut at its first 0 byte.
void ReadSubBlockText(TStream* Stream, TStrings* Strings);

// The rows of an interlaced frame in file order: every 8th row from 0, every 8th from 4, every 4th
// from 2, every 2nd from 1. Passes whose first row lies beyond the frame are skipped, so that every row
// of any height is visited once.
struct TGIFInterlaceWalk {
  int Height;
  int Row = 0;
  int Pass = 0;
  // False after the last row.
  bool Next();
};

// Decodes one frame's image data (the minimum code size, the data sub-blocks and the zero-length block)
// into Pixels, Width x Height bytes that the caller has filled with the background index; rows are in
// interlace order when Interlaced. Decoding stops early, keeping the pixels so far, when the data runs
// out or holds a code that the table cannot decode, with a warning ("Premature end of data", "Decoder
// bit buffer under-run", "Circular decoder table entry"). A minimum code size above 8 is read as 8 and 0
// as 1. The stream is always left after the frame's zero-length block (or at its end), also when codes
// follow the last pixel.
void DecodeImageData(TStream* Stream, uint8_t* Pixels, int Width, int Height, bool Interlaced,
                     const TGIFWarningProc& Warning);

// A stream over a target stream (not owned); reading and seeking raise Exception "Invalid stream operation".
class TGIFStream : public TStream {
 public:
  explicit TGIFStream(TStream* ATarget) : FTarget(ATarget) {}
  int32_t Read(void* Buffer, int32_t Count) override;
  int32_t Write(const void* Buffer, int32_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;

 protected:
  TStream* FTarget;
};

// Cuts what is written into data sub-blocks of 255 bytes (the last one shorter). Finish writes the last
// block; the zero-length block is the caller's.
class TGIFWriter : public TGIFStream {
 public:
  using TGIFStream::TGIFStream;
  int32_t Write(const void* Buffer, int32_t Count) override;
  void PutByte(uint8_t Value) {
    FDirty = true;
    FBuffer[FFill++] = Value;
    if (FFill == sizeof(FBuffer)) FlushBuffer();
  }
  void FlushBuffer();
  void Finish() {
    if (FDirty) FlushBuffer();
  }

 private:
  uint8_t FBuffer[256];  // byte 0: the block's length
  int FFill = 1;
  bool FDirty = false;
};

// The LZW encoder's string table: 8192 open-addressed slots of (prefix x 256 + pixel) shl 12 or code,
// found by a multiplicative hash and linear probing. At most 3837 strings are held between two clears.
class THashTable {
 public:
  THashTable() { Clear(); }
  void Clear();
  void Insert(uint32_t Key, int Code);
  int Lookup(uint32_t Key) const;  // -1 when absent
  // The slot that holds Key, or the empty slot where it would be inserted.
  int SlotOf(uint32_t Key) const;
  // The code in a slot found by SlotOf, -1 for an empty one; Put fills an empty one.
  int CodeAt(int Slot) const {
    return FSlots[Slot] == EmptySlot ? -1 : static_cast<int>(FSlots[Slot] & 0xFFF);
  }
  void Put(int Slot, uint32_t Key, int Code) { FSlots[Slot] = Key << 12 | static_cast<uint32_t>(Code); }

 private:
  static constexpr int Size = 8192;
  static constexpr uint32_t EmptySlot = 0xFFFFFFFF;
  uint32_t FSlots[Size];
};

// Writes the minimum code size, the codes packed least significant bit first in sub-blocks, and the
// zero-length block. Pixels are visited in row order or, when interlaced, in the four-pass order.
class TGIFEncoder {
 public:
  virtual ~TGIFEncoder() = default;
  TGIFEncoder() = default;
  TGIFEncoder(const TGIFEncoder&) = delete;
  TGIFEncoder& operator=(const TGIFEncoder&) = delete;
  // A pixel value not below ColorCount raises GIFException "Color not in color table"; the data written
  // so far stays in the stream. BitsPerPixel below 2 is written as 2.
  void EncodeFrame(TStream* Stream, int BitsPerPixel, int ColorCount, const uint8_t* Data, bool Interlace,
                   int Height, int Width);

 protected:
  virtual void PutCode(int Code);
  virtual void EmitClear();
  virtual void EncodePixels() = 0;

 private:
  // The first pixel of the next row of an interlaced walk.
  bool NextRow();

 protected:
  // Moves to the next pixel of the walk; false after the last one.
  bool NextPixel() {
    if (--FPixelsLeft > 0) {
      ++FPixel;
      return true;
    }
    return NextRow();
  }
  // Raises "Color not in color table" for a value not below the colour count.
  int CurrentPixel() const {
    const int Value = *FPixel;
    if (Value >= FColorCount) RaiseGIFError("Color not in color table");
    return Value;
  }

  int FColorCount = 0;
  int FInitialCodeSize = 0;
  int FWidth = 0;
  int FHeight = 0;
  bool FInterlace = false;
  const uint8_t* FData = nullptr;
  TGIFWriter* FWriter = nullptr;
  uint32_t FBitBuffer = 0;
  int FBitCount = 0;
  bool FJustCleared = false;
  int FCodeWidth = 0;
  int FInitialCodeWidth = 0;
  int FLargestCode = 0;
  int FClearCode = 0;
  int FEndCode = 0;
  int FFirstFreeCode = 0;
  const uint8_t* FPixel = nullptr;
  int64_t FPixelsLeft = 0;
  int FRow = 0;
  int FPass = 0;
};

// True LZW with a hashed string table; the table is cleared when 4095 codes are in use.
class TLZWEncoder : public TGIFEncoder {
 protected:
  void PutCode(int Code) override;
  void EmitClear() override;
  void EncodePixels() override;

 private:
  int FNextFreeCode = 0;
  std::unique_ptr<THashTable> FHashTable;
};

// Codes that any standard decoder reads, made only of single pixels and runs: after a clear a run of one
// colour builds the decoder's table as runs of length 1, 2, 3, ..., which later runs of that colour use.
class TRLEEncoder : public TGIFEncoder {
 protected:
  void EmitClear() override;
  void EncodePixels() override;

 private:
  void OutputPlain(int Code);
  void FlushFromClear(int64_t Count);
  void FlushByClearOrRepetition(int64_t Count);
  void FlushWithTable(int64_t Count);
  void FlushRun(int64_t Count);

  int FBase = 0;  // the first free code: the run of 2 after a clear
  int FCodeBudget = 0;
  int FBumpLimitStart = 0;
  int FClearLimitStart = 0;
  int FRunPixel = -1;
  int FTableMaximum = 0;  // the longest run of FTablePixel that the decoder's table holds
  int FTablePixel = 0;
  int FCodesOutput = 0;
  int FClearLimit = 0;
  int FBumpLimit = 0;
};

// The encoder of Kind: TRLEEncoder for ckRLE, else TLZWEncoder.
std::unique_ptr<TGIFEncoder> CreateEncoder(TGIFCodingKind Kind);
