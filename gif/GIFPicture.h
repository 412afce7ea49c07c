#pragma once
// GIF pictures (GIF87a and GIF89a): the picture class TGIFPicture registered with TPicture, the document
// it holds (header, colour tables, frames, extensions), colour reduction and dithering of bitmaps, and
// the LZW and run-length coding of GIF image data in 255-byte sub-blocks.
//
// Every count, size and index of a GIF comes from files and the clipboard that anyone may have made: the
// readers here check each one before they use it. Hard failures raise GIFException; soft problems (data
// that ends early, a code the table cannot decode) are reported through a TGIFWarningProc and the work
// goes on with what could be read.
#include <windows.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "classlib/Graphics.h"
#include "classlib/Streams.h"
#include "classlib/StringLists.h"
#include "classlib/Threads.h"

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

// The bits a colour table of Count entries needs. A file has no 0-bit table, so one colour takes a bit too.
int ColorCountToBits(int Count);
// Bytes of one row: Width x BitsPerPixel rounded up to a multiple of Alignment bits. 64 bits wide, so that
// no width and bit count can overflow it.
int64_t ScanlineByteCount(int64_t Width, int BitsPerPixel, int Alignment);

// The largest pixel buffer or DIB the codec allocates for one frame or picture (8192 x 8192 pixels of 8
// bits); the frames of one picture hold at most this many pixels together. A GIF can name 65535 x 65535
// pixels: such a size is refused before anything is allocated.
constexpr int64_t GIFMaxBufferBytes = int64_t{64} * 1024 * 1024;
// GIFException "Image is too large" for a 32-bit bitmap of Width x Height above GIFMaxBufferBytes.
void CheckBitmapSize(int64_t Width, int64_t Height);

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

// Builds an 8-bit or 24-bit DIB section; an 8-bit one's colour table has 256 entries, Palette's colours
// (at most 256) and zero entries after them. StoreIntoBitmap hands it to the bitmap. Creation raises
// GIFException "Unsupported PixelFormat" for other formats and "Invalid image dimensions" for a width or
// height below 1; a DIB above GIFMaxBufferBytes raises EOutOfMemory "Failed to allocate memory for GIF
// DIB". Palette stays the caller's.
class TDIBWriter : public TDIB {
 public:
  TDIBWriter(TBitmap* ABitmap, TPixelFormat APixelFormat, HPALETTE Palette, int AWidth, int AHeight);
  ~TDIBWriter() override;
  // Row outside 0..Height-1: EInvalidGraphicOperation "Scan line index out of range".
  uint8_t* GetScanline(int Row) override;
  int Width() const override { return FWidth; }
  int Height() const override { return FHeight; }
  // The bitmap takes the DIB with the rows written so far.
  void StoreIntoBitmap();

 private:
  void AllocateDIB();

  HPALETTE FPalette;
  int FWidth;
  int FHeight;
  int64_t FRowBytes = 0;
  HBITMAP FSection = nullptr;  // owned until stored
  uint8_t* FBits = nullptr;
};

// Maps a colour to a palette index; Lookup also gives the colour of that entry in R, G and B.
class TColorLookup {
 public:
  explicit TColorLookup(int AColors) : FColors(AColors) {}
  virtual ~TColorLookup() = default;
  TColorLookup(const TColorLookup&) = delete;
  TColorLookup& operator=(const TColorLookup&) = delete;
  virtual int Lookup(uint8_t Red, uint8_t Green, uint8_t Blue, uint8_t& R, uint8_t& G, uint8_t& B) = 0;
  // Dest[x] := the index of each pixel of a row of Width pixels (blue, green, red), visited from its
  // first pixel when Direction is 1, from its last when -1: the order in which Lookup would see them.
  virtual void LookupRow(const uint8_t* Pixels, uint8_t* Dest, int Width, int Direction);
  // Entries of the palette that the lookup serves.
  int Colors() const { return FColors; }

 protected:
  int FColors;
};

// The 216 web colours. Each channel's level is (value + 3) / 51: one addition and one division instead of a
// search, at the price of some error (250 gives level 4 = 204, though 255 is nearer), which a ditherer
// spreads on to the neighbours. Index = blue level + 6 x green level + 36 x red level.
class TNetscapeColorLookup : public TColorLookup {
 public:
  TNetscapeColorLookup() : TColorLookup(216) {}
  int Lookup(uint8_t Red, uint8_t Green, uint8_t Blue, uint8_t& R, uint8_t& G, uint8_t& B) override;
  void LookupRow(const uint8_t* Pixels, uint8_t* Dest, int Width, int Direction) override;
};

// 256 grays: (77 red + 150 green + 29 blue) >> 8, the luma weights in 8-bit fixed point.
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

// The closest entry by summed channel differences. A picture has far fewer 15-bit colour cells than pixels,
// so each cell is searched once and cached; the palette's own colours claim their cells up front.
class TFastColorLookup : public TColorLookup {
 public:
  explicit TFastColorLookup(HPALETTE Palette);
  int Lookup(uint8_t Red, uint8_t Green, uint8_t Blue, uint8_t& R, uint8_t& G, uint8_t& B) override;
  void LookupRow(const uint8_t* Pixels, uint8_t* Dest, int Width, int Direction) override;

 private:
  // The cell's index, searched when the cell is still unknown.
  int CellIndex(uint8_t Red, uint8_t Green, uint8_t Blue);
  int Nearest(uint8_t Red, uint8_t Green, uint8_t Blue) const;

  PALETTEENTRY FEntries[256];
  // Per channel and value, the distance to each entry's channel (1000 beyond the entries).
  std::vector<int16_t> FDistances;
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

// Sums of 64 bits: one leaf may collect every pixel of the largest picture, 255 x 64 Mi of them.
struct TColorSums {
  uint64_t PixelCount = 0;
  uint64_t RedSum = 0;
  uint64_t GreenSum = 0;
  uint64_t BlueSum = 0;

  void Add(uint8_t Red, uint8_t Green, uint8_t Blue, uint32_t Count) {
    PixelCount += Count;
    RedSum += uint64_t{Red} * Count;
    GreenSum += uint64_t{Green} * Count;
    BlueSum += uint64_t{Blue} * Count;
  }
  TColorSums& operator+=(const TColorSums& Other) {
    PixelCount += Other.PixelCount;
    RedSum += Other.RedSum;
    GreenSum += Other.GreenSum;
    BlueSum += Other.BlueSum;
    return *this;
  }
};

struct TOctreeNode {
  bool Leaf = false;
  TColorSums Sums;
  TOctreeNode* NextReducible = nullptr;  // also the next free node of the quantizer's pool
  TOctreeNode* Children[8] = {};
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
  // The leaf that the colour reaches, made with its path when there is none, and its level.
  TOctreeNode* LeafOf(uint8_t Red, uint8_t Green, uint8_t Blue, int& Level);
  // Hands the settled sums to the leaves that now cover their top bits.
  void SettleSums();
  // False when no node is left to merge.
  bool MergeDeepestNode();
  // Nodes come from blocks that the quantizer owns; merged children go back to a free list, so that the
  // paths a noisy image makes and merges at once cost no allocation.
  TOctreeNode* NewNode();
  void FreeNode(TOctreeNode* Node);

  std::vector<std::unique_ptr<TOctreeNode[]>> FBlocks;
  int FBlockUsed = 0;
  TOctreeNode* FFree = nullptr;
  TOctreeNode* FRoot = nullptr;
  // Per top four bits of each channel: the node of that path at level 4, or the leaf above it, as long
  // as no merge above level 4 has happened since (Generation counts those).
  struct TShortcut {
    TOctreeNode* Node = nullptr;
    int Level = 0;
    uint64_t Generation = 0;
  };
  std::vector<TShortcut> FShortcuts = std::vector<TShortcut>(4096);
  // Per top four bits of each channel, from the first pixel of them that reached a leaf at the shortcut
  // level or nearer the root: their pixels, summed apart. Each would end in that leaf or in the one that a
  // merge gave it to, which covers the same bits, and would leave the tree as it is; no walk is needed.
  std::vector<TColorSums> FSettled = std::vector<TColorSums>(4096);
  uint64_t FShallowMerges = 0;
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
// Dithering. Rows alternate direction, so that the error a kernel spreads does not pile up on one side;
// the caller reads Column before each Dither and stops when it leaves the row.

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
  // Passes over a pixel that is not drawn (a transparent one); the errors stay where they are.
  void Skip() { NextColumn(); }
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
  // The four bytes of Bytes, lowest first.
  void PutFourBytes(uint32_t Bytes) {
    if (FFill > static_cast<int>(sizeof(FBuffer)) - 4) {
      for (int I = 0; I < 4; ++I, Bytes >>= 8) PutByte(static_cast<uint8_t>(Bytes));
      return;
    }
    FDirty = true;
    // One store: the targets are little-endian.
    std::memcpy(FBuffer + FFill, &Bytes, 4);
    FFill += 4;
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

// The LZW encoder's string table: 16384 open-addressed slots of (prefix x 256 + pixel) << 12 | code,
// found by a multiplicative hash and linear probing. At most 3837 strings are held between two clears,
// so the table is never more than a quarter full.
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
  static constexpr int Size = 16384;
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
  // Each pixel is checked against ColorCount: an index past the table would make a file that decoders
  // reject. What was written before such a pixel stays in the stream. LZW codes start at 2 bits in a GIF,
  // so BitsPerPixel 1 is written as 2.
  void EncodeFrame(TStream* Stream, int BitsPerPixel, int ColorCount, const uint8_t* Data, bool Interlace,
                   int Height, int Width);

 protected:
  virtual void PutCode(int Code);
  virtual void EmitClear();
  virtual void EncodePixels() = 0;
  // Adds Code's bits to the buffer, whose four lowest bytes go out once it holds 32 bits; PutCode also
  // writes out what is left after the end code.
  void PackCode(int Code) {
    FBitBuffer |= static_cast<uint64_t>(Code) << FBitCount;
    FBitCount += FCodeWidth;
    if (FBitCount >= 32) {
      FWriter->PutFourBytes(static_cast<uint32_t>(FBitBuffer));
      FBitBuffer >>= 32;
      FBitCount -= 32;
    }
  }

 private:
  // The first pixel of the next row of an interlaced walk.
  bool NextRow();

 protected:
  // False once the walk is done.
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
  uint64_t FBitBuffer = 0;  // written four bytes at a time
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

// True LZW; the strings of two or more pixels that start a code are held in a table indexed by pixel and
// pixel, the longer ones in a hashed table. The tables are cleared when 4095 codes are in use.
class TLZWEncoder : public TGIFEncoder {
 protected:
  void PutCode(int Code) override;
  void EmitClear() override;
  void EncodePixels() override;

 private:
  // Widens the codes after the one that made the decoder's next free code reach the next power of two,
  // and narrows them after a clear.
  void AdjustWidth();
  // The pixels from P up to End after the string Prefix; gives the string they leave.
  uint32_t EncodeSpan(uint32_t Prefix, const uint8_t* P, const uint8_t* End);
  // Writes Prefix and adds Prefix followed by Pixel at Slot, the empty slot where the search ended, or
  // clears the tables when they are full.
  void AddString(int Prefix, int Pixel, int Slot);
  // The same for a Prefix of one pixel.
  void AddPairString(int Prefix, int Pixel);

  static constexpr uint16_t NoChild = 0xFFFF;

  int FNextFreeCode = 0;
  // Per pixel x 256 + pixel, the code of the two pixels, 0 when absent: after each code written the next
  // string starts with one pixel, and its search needs no hash. The entries in use are listed for the clear.
  std::vector<uint16_t> FPairCodes;
  std::vector<uint16_t> FPairsInUse;
  // Per code the child string met last, its pixel (NoChild when none) and its code: runs and repeated
  // strings are found without the hash table. The code is loaded straight into the next prefix.
  std::array<uint16_t, 4096> FLastChildPixel;
  std::array<uint16_t, 4096> FLastChildCode;
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

// ---------------------------------------------------------------------------------------------
// The document: the header with the global colour table, the frames with their extensions and local
// colour tables, and the trailer. A TGIFPicture owns one header and one frame list; a frame owns its
// extension list and its local colour table. Every document object reports soft problems to the
// picture's Warning with itself as the sender.
//
// Limits on what a file may make us hold (each exceeded one ends loading with a warning, keeping what
// was read; a single frame above GIFMaxBufferBytes raises "Image is too large"):

constexpr int GIFMaxFrames = 65536;     // frames of one picture
constexpr int GIFMaxExtensions = 1024;  // extension blocks before one image

enum TGIFFormatVersion : uint8_t { fvNone, fv87a, fv89a };

// Bits 2-4 of a graphic control extension's packed field; the field holds 0..7.
enum TGIFDisposal : uint8_t { dsUnspecified, dsKeep, dsRestoreBackground, dsRestorePrevious };

class TGIFPicture;
class TGIFSubImage;
class TGIFExtension;
class TGIFGraphicControlExtension;

// OnWarningMessage: Sender is the document object that met the problem; Severity is 1.
using TGIFWarningEvent = std::function<void(TObject* Sender, int Severity, const std::string& Message)>;

// One piece of the file.
class TGIFItem : public TPersistent {
 public:
  explicit TGIFItem(TGIFPicture* AImage) : FImage(AImage) {}
  TGIFPicture* Image() const { return FImage; }
  // The version of the format that the item needs.
  virtual TGIFFormatVersion GetVersion() const { return fv87a; }
  // To the picture's Warning, with this item as the sender.
  virtual void Warning(int Severity, const std::string& Message);
  virtual void SaveToStream(TStream* Stream) = 0;
  virtual void LoadFromStream(TStream* Stream) = 0;
  void SaveToFile(const std::string& FileName);
  void LoadFromFile(const std::string& FileName);

 protected:
  TGIFPicture* FImage;
};

// Items in file order. The list owns its items: Delete and Clear free them, Remove only takes one out,
// and an item that is freed takes itself out. Index errors raise EListError "List index out of bounds (%d)".
class TGIFList : public TObject {
 public:
  explicit TGIFList(TGIFPicture* AImage) : FImage(AImage) {}
  ~TGIFList() override;
  TGIFPicture* Image() const { return FImage; }
  TGIFItem* GetItem(int Index) const;
  int Count() const { return static_cast<int>(FItems.size()); }
  int Add(TGIFItem* Item);
  void Clear();
  void Delete(int Index);
  // The index the item had, -1 when it was not in the list.
  int Remove(TGIFItem* Item);
  virtual void Warning(int Severity, const std::string& Message);
  // Every item in order.
  virtual void SaveToStream(TStream* Stream);

 protected:
  std::vector<TGIFItem*> FItems;
  TGIFPicture* FImage;
};

struct TGIFColor {
  uint8_t Red, Green, Blue;
  bool operator==(const TGIFColor&) const = default;
};

// How often each entry of a colour table is used: (count, entry index) pairs.
struct TGIFUsage {
  uint32_t Count;
  int Index;
};
using TGIFUsageTable = std::array<TGIFUsage, 256>;

// A colour table of up to 256 entries. Entries from the file are kept as read; GetColor answers entry 0
// for an index outside the table, so that no pixel value reads past it.
class TGIFColorMap : public TPersistent {
 public:
  static TGIFColor ColorToTriple(TColor Color);
  static TColor TripleToColor(TGIFColor Triple);

  int Count() const { return FCount; }
  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value) { FSorted = Value; }
  // Entry Index, 0 <= Index < Count().
  const TGIFColor& Entry(int Index) const { return FData[static_cast<size_t>(Index)]; }
  // ColorCountToBits of the count: the table is written with 2^BitsPerPixel entries.
  int BitsPerPixel() const { return ColorCountToBits(FCount); }
  void Clear();
  // GIFException "Color table overflow" for a 257th colour.
  int Add(TColor Color);
  int AddIfAbsent(TColor Color);
  // The highest matching index of an unsorted table, the lowest of a sorted one; -1 when absent.
  int IndexOf(TColor Color) const;
  // GIFException "Invalid color index" outside 0..Count-1.
  void Delete(int Index);
  // Outside 0..Count-1: warning "Invalid color index" and entry 0; GIFException "Color table is empty".
  TColor GetColor(int Index);
  // The entries, then zero entries up to 2^BitsPerPixel; nothing for an empty table.
  void SaveToStream(TStream* Stream) const;
  // Exactly Count entries or GIFException "Premature end of data"; no change notification.
  void LoadFromStream(TStream* Stream, int Count);
  void LoadFromPalette(HPALETTE Palette);
  // Entries of blue, green, red, reserved.
  void LoadFromDIBColorTable(const RGBQUAD* Table, int Count);
  // The colour table of the DIB section selected into DC.
  void LoadFromDIB(HDC DC);
  // A new palette (PC_NOCOLLAPSE entries), owned by the caller; nullptr for an empty table.
  HPALETTE CreateHPalette() const;
  void Assign(TPersistent* Source) override;
  // Orders the entries by use, most used first, drops the unused ones and remaps the pixels that use
  // the table; false for a table of 0 or 1 entries.
  bool SortByUsage();
  // Swaps red and blue of every entry.
  void SwapRedBlue();

  virtual void Warning(int Severity, const std::string& Message) = 0;
  // Usage[i] = (uses of entry i, i) over the pixels of the frames that draw with this table; a
  // frame's transparent index and the screen's background index count as one use each.
  virtual void CountUsage(TGIFUsageTable& Usage) = 0;
  // Each pixel p of those frames becomes Map[p], and so do a transparent and the background index.
  virtual void RemapFrames(const std::array<uint8_t, 256>& Map) = 0;
  virtual bool Optimize() = 0;
  // The entries changed: palettes made from them are dropped.
  virtual void Changed() = 0;

 protected:
  void AddEntry(TGIFColor Color);

 private:
  void Grow(int Needed);

  std::vector<TGIFColor> FData;  // 16 entries, then steps of 32: colours added one by one rarely move it
  int FCount = 0;
  bool FSorted = false;
};

class TGIFHeader;

// The logical screen's table.
class TGIFGlobalColorMap : public TGIFColorMap {
 public:
  explicit TGIFGlobalColorMap(TGIFHeader* AHeader) : FHeader(AHeader) {}
  void Warning(int Severity, const std::string& Message) override;
  void CountUsage(TGIFUsageTable& Usage) override;
  void RemapFrames(const std::array<uint8_t, 256>& Map) override;
  bool Optimize() override;
  void Changed() override;

 private:
  TGIFHeader* FHeader;
};

// A frame's own table.
class TGIFLocalColorMap : public TGIFColorMap {
 public:
  explicit TGIFLocalColorMap(TGIFSubImage* AFrame) : FFrame(AFrame) {}
  void Warning(int Severity, const std::string& Message) override;
  void CountUsage(TGIFUsageTable& Usage) override;
  void RemapFrames(const std::array<uint8_t, 256>& Map) override;
  bool Optimize() override;
  void Changed() override;

 private:
  TGIFSubImage* FFrame;
};

// "GIF", the version, the logical screen descriptor and the global colour table.
class TGIFHeader : public TGIFItem {
 public:
  explicit TGIFHeader(TGIFPicture* AImage);
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  void SetWidth(int Value) { FWidth = static_cast<uint16_t>(Value); }
  void SetHeight(int Value) { FHeight = static_cast<uint16_t>(Value); }
  uint8_t PackedFields() const { return FPackedFields; }
  uint8_t BackgroundColorIndex() const { return FBackgroundColorIndex; }
  void SetBackgroundColorIndex(uint8_t Value) { FBackgroundColorIndex = Value; }
  uint8_t AspectRatio() const { return FAspectRatio; }
  void SetAspectRatio(uint8_t Value) { FAspectRatio = Value; }
  TGIFGlobalColorMap* ColorMap() { return &FColorMap; }
  const TGIFGlobalColorMap* ColorMap() const { return &FColorMap; }

  // The table is cleared and the descriptor set to 0.
  void Clear();
  // From a TGIFHeader its table and descriptor; from a TGIFColorMap the table.
  void Assign(TPersistent* Source) override;
  // fv89a where the header uses what 87a lacks (a sorted table, an aspect ratio). A saved file carries the
  // frames' version, not this one.
  TGIFFormatVersion GetVersion() const override;
  void BuildPackedFields();
  // The version is the picture's: GIFException "Unsupported GIF version" for a picture without frames.
  void SaveToStream(TStream* Stream) override;
  // Four bytes before "GIF" are skipped; GIFException "Invalid GIF signature" when it is not found.
  void LoadFromStream(TStream* Stream) override;
  TColor GetBackgroundColor();
  int BitsPerPixel() const { return FColorMap.BitsPerPixel(); }
  int ColorResolution() const { return FColorMap.BitsPerPixel() - 1; }

 private:
  uint16_t FWidth = 0;
  uint16_t FHeight = 0;
  uint8_t FPackedFields = 0;
  uint8_t FBackgroundColorIndex = 0;
  uint8_t FAspectRatio = 0;
  TGIFGlobalColorMap FColorMap{this};
};

// The frames in file order.
class TGIFFrameList : public TGIFList {
 public:
  using TGIFList::TGIFList;
  TGIFSubImage* Frame(int Index) const;
  // Each frame, with the picture's progress.
  void SaveToStream(TStream* Stream) override;
  // Frames until the trailer, the end of the stream or another block ("Unknown GIF block type").
  void LoadFromStream(TStream* Stream, TGIFPicture* Parent);
};

// 0x3B.
class TGIFTrailer : public TGIFItem {
 public:
  using TGIFItem::TGIFItem;
  void SaveToStream(TStream* Stream) override;
  // Warning "Invalid Image trailer" for another byte; nothing at the end of the stream.
  void LoadFromStream(TStream* Stream) override;
};

// ---------------------------------------------------------------------------------------------
// Extensions: the blocks (0x21, label, data) that come before a frame's image.

class TGIFExtension : public TGIFItem {
 public:
  // Takes the frame's picture.
  explicit TGIFExtension(TGIFSubImage* AFrame);
  // Leaves the frame's list.
  ~TGIFExtension() override;
  TGIFSubImage* Frame() const { return FFrame; }
  TGIFFormatVersion GetVersion() const override { return fv89a; }
  virtual uint8_t ExtensionLabel() const = 0;
  // 0x21 and the label.
  void SaveToStream(TStream* Stream) override;
  // Reads and checks 0x21 and the label: GIFException "Invalid extension introducer", "Internal error:
  // Extension Instance does not match Extension Label".
  void LoadFromStream(TStream* Stream) override;

 private:
  TGIFSubImage* FFrame;
};

// Makes the extension that reads the block at the stream's position (just after its 0x21 and label; a
// factory may look further and must leave the position as it was); nullptr when none can read it.
using TGIFExtensionFactory = TGIFExtension* (*)(TGIFSubImage* Frame, TStream* Stream);
// Registries for reading: by label, and for application extensions by the 11 bytes of identifier and
// authentication code. The latest registration of a key wins.
void RegisterGIFExtension(uint8_t Label, TGIFExtensionFactory Factory);
void RegisterGIFAppExtension(const std::string& IdentifierAndCode, TGIFExtensionFactory Factory);

// Transparency, delay and disposal of the frame. The first one of a frame is the frame's
// GraphicControlExtension.
class TGIFGraphicControlExtension : public TGIFExtension {
 public:
  explicit TGIFGraphicControlExtension(TGIFSubImage* AFrame);
  ~TGIFGraphicControlExtension() override;
  uint8_t ExtensionLabel() const override { return 0xF9; }
  void SaveToStream(TStream* Stream) override;
  // Six bytes as they are; fewer: warning "Premature end of data".
  void LoadFromStream(TStream* Stream) override;

  bool GetTransparent() const { return FPackedFields & 1; }
  // Also the frame's Transparent.
  void SetTransparent(bool Value);
  uint8_t GetTransparentColorIndex() const { return FTransparentColorIndex; }
  // An index not below the frame's colour count: warning "Invalid color index" and 0.
  void SetTransparentColorIndex(uint8_t Value);
  // Hundredths of a second.
  int GetDelay() const { return FDelay; }
  void SetDelay(int Value) { FDelay = static_cast<uint16_t>(Value); }
  bool GetUserInput() const { return FPackedFields & 2; }
  void SetUserInput(bool Value) {
    FPackedFields = static_cast<uint8_t>((FPackedFields & ~2) | (Value ? 2 : 0));
  }
  TGIFDisposal GetDisposal() const { return static_cast<TGIFDisposal>((FPackedFields & 0x1C) >> 2); }
  void SetDisposal(TGIFDisposal Value);

 private:
  friend class TGIFSubImage;
  // This block gives the frame its transparency, delay and disposal.
  void MakeCurrent();
  uint8_t FBlockSize = 4;
  uint8_t FPackedFields = 0;
  uint16_t FDelay = 0;
  uint8_t FTransparentColorIndex = 0;
  uint8_t FTerminator = 0;
};

// Text drawn on a grid of character cells; its lines as sub-blocks.
class TGIFTextExtension : public TGIFExtension {
 public:
  using TGIFExtension::TGIFExtension;
  uint8_t ExtensionLabel() const override { return 0x01; }
  void SaveToStream(TStream* Stream) override;
  void LoadFromStream(TStream* Stream) override;
  TStringList* Text() { return &FText; }

  uint16_t GridLeft = 0;
  uint16_t GridTop = 0;
  uint16_t GridWidth = 0;
  uint16_t GridHeight = 0;
  uint8_t CellWidth = 0;
  uint8_t CellHeight = 0;
  uint8_t ForegroundColorIndex = 0;
  uint8_t BackgroundColorIndex = 0;

 private:
  uint8_t FBlockSize = 12;
  TStringList FText;
};

// A comment; each sub-block reads back as one line, so that a line above 255 bytes becomes several.
class TGIFCommentExtension : public TGIFExtension {
 public:
  using TGIFExtension::TGIFExtension;
  uint8_t ExtensionLabel() const override { return 0xFE; }
  void SaveToStream(TStream* Stream) override;
  void LoadFromStream(TStream* Stream) override;
  TStringList* Text() { return &FText; }

 private:
  TStringList FText;
};

// 11 bytes of identifier and authentication code, then data that the subclass reads and writes.
class TGIFApplicationExtension : public TGIFExtension {
 public:
  using TGIFExtension::TGIFExtension;
  uint8_t ExtensionLabel() const override { return 0xFF; }
  void SaveToStream(TStream* Stream) override;
  // A first sub-block of 10 bytes is the identifier and code without their last byte; one below 10:
  // GIFException "Unsupported Application Extension block size"; bytes beyond 11 are skipped.
  void LoadFromStream(TStream* Stream) override;
  // "NETSCAPE2.0": 8 bytes of identifier, then 3 of code.
  std::string IdentifierAndCode() const { return std::string(FIdentifier, 11); }
  void SetIdentifierAndCode(const std::string& Value);

 protected:
  virtual void SaveData(TStream* Stream) = 0;
  virtual void LoadData(TStream* Stream) = 0;

 private:
  char FIdentifier[11] = {};
};

// An application extension of an unknown application: its sub-blocks kept as they were read, and
// written back byte for byte.
class TGIFUnknownAppExtension : public TGIFApplicationExtension {
 public:
  using TGIFApplicationExtension::TGIFApplicationExtension;
  std::vector<std::vector<uint8_t>>& Blocks() { return FBlocks; }

 protected:
  void SaveData(TStream* Stream) override;
  void LoadData(TStream* Stream) override;

 private:
  std::vector<std::vector<uint8_t>> FBlocks;
};

// The loop extension of animations ("NETSCAPE2.0", also read as "ANIMEXTS1.0").
class TGIFAppExtNSLoop : public TGIFApplicationExtension {
 public:
  explicit TGIFAppExtNSLoop(TGIFSubImage* AFrame);
  // 0: repeat forever.
  uint16_t RepeatCount = 0;
  // 0: none written.
  uint32_t StreamBufferSize = 0;

 protected:
  void SaveData(TStream* Stream) override;
  // A loop or buffer sub-block shorter than its value: GIFException "Invalid GIF data".
  void LoadData(TStream* Stream) override;
};

// A frame's extensions in file order.
class TGIFExtensionList : public TGIFList {
 public:
  using TGIFList::TGIFList;
  TGIFExtension* Extension(int Index) const;
  // The blocks up to the frame's image or the trailer. An unknown label is skipped with the warning
  // "Unknown extension type"; another byte ends the list with "Invalid extension introducer".
  void LoadFromStream(TStream* Stream, TGIFSubImage* Parent);
};

// ---------------------------------------------------------------------------------------------
// Frames

// The starting and ending progress of one step of a picture ("Loading...", "Saving...", ...): the end
// reports 100 %, or 0 % when an error passes; RedrawNow at the end when asked or the palette changed.
class TGIFProgressScope {
 public:
  TGIFProgressScope(TGraphic* Image, TObject* Sender, const char* Message, bool RedrawAtEnd);
  ~TGIFProgressScope();
  TGIFProgressScope(const TGIFProgressScope&) = delete;
  TGIFProgressScope& operator=(const TGIFProgressScope&) = delete;
  // The running progress before row Y of Height, every 32 rows.
  void Row(int Y, int Height);

 private:
  TGraphic* FImage;
  TObject* FSender;
  const char* FMessage;
  bool FRedrawAtEnd;
  int FExceptions;
};

// The image descriptor in file order: separator, position and size, packed fields (0x80 local table,
// 0x40 interlaced, 0x20 sorted, 0x07 table size).
struct TGIFImageDescriptor {
  uint8_t Separator = 0x2C;
  uint16_t Left = 0;
  uint16_t Top = 0;
  uint16_t Width = 0;
  uint16_t Height = 0;
  uint8_t PackedFields = 0;
};

// One frame: its extensions, descriptor, local colour table and pixels (one colour index per pixel, rows
// top to bottom, Width bytes each), and on demand its rendered bitmap, display palette and mask.
class TGIFSubImage : public TGIFItem {
 public:
  explicit TGIFSubImage(TGIFPicture* AImage);
  // Leaves the picture's frame list.
  ~TGIFSubImage() override;

  void Clear();
  // No pixels, or a width or height of 0.
  bool IsEmpty() const;
  int Left() const { return FDescriptor.Left; }
  int Top() const { return FDescriptor.Top; }
  int Width() const { return FDescriptor.Width; }
  int Height() const { return FDescriptor.Height; }
  void SetLeft(int Value) { SetFrameRect(Value, Top(), Width(), Height()); }
  void SetTop(int Value) { SetFrameRect(Left(), Value, Width(), Height()); }
  void SetWidth(int Value) { SetFrameRect(Left(), Top(), Value, Height()); }
  void SetHeight(int Value) { SetFrameRect(Left(), Top(), Width(), Value); }
  // A new size gives a new zeroed pixel buffer (GIFException "Image is too large" above
  // GIFMaxBufferBytes); the logical screen grows to contain the frame, with the warnings "Image width
  // too small for contained frames" (and height) and "Image exceeds Logical Screen size" when it was
  // not empty.
  void SetFrameRect(int ALeft, int ATop, int AWidth, int AHeight);
  RECT BoundsRect() const;
  const TGIFImageDescriptor& Descriptor() const { return FDescriptor; }
  bool IsInterlaced() const { return FDescriptor.PackedFields & 0x40; }
  void SetInterlaced(bool Value);
  TGIFLocalColorMap* LocalColorMap() { return &FLocalColorMap; }
  // The local table when it has colours, else the global one when it has, else the empty local one.
  TGIFColorMap* EffectiveColorMap();
  int ColorResolution() const { return FLocalColorMap.BitsPerPixel() - 1; }
  int BitsPerPixel() const { return FLocalColorMap.BitsPerPixel(); }
  void BuildPackedFields();
  TGIFExtensionList* Extensions() { return &FExtensions; }
  // The graphic control extension that speaks for the frame (the last one read or made), or nullptr.
  TGIFGraphicControlExtension* GraphicControlExtension() const { return FGraphicControlExtension; }
  bool Transparent() const { return FTransparent; }

  // GIFException "Invalid pixel coordinates" outside the frame.
  uint8_t GetPixel(int X, int Y);
  uint8_t* GetScanline(int Y);
  const std::vector<uint8_t>& Pixels() const { return FPixels; }
  // GIFException "Image is empty" for a frame without pixels.
  void RequirePixels();
  void AllocatePixels();
  void ReleasePixels();
  // Each pixel p becomes Map[p], and so does a transparent index within the table.
  void RemapPixels(const std::array<uint8_t, 256>& Map);
  // The transparent index when the frame has a usable one (within its colour table), else -1.
  int TransparentIndex();

  // The palette to draw with: the rendered bitmap's, the frame's own, the 216-colour one when the
  // picture dithers, the picture's when the frame has no table, else one from the local table. It stays
  // its owner's.
  HPALETTE FramePalette();
  // Takes Value; a different one drops the rendered bitmap.
  void SetPalette(HPALETTE Value);
  bool HasBitmap() const { return FCachedBitmap != nullptr; }
  void ReleaseBitmap();
  void ReleaseMask();
  // Whether the rendered frame has a transparency mask (made on demand).
  bool HasMask();
  // The frame rendered (dithered to 216 colours when the picture dithers); nullptr for an empty frame or
  // an aborted rendering. It stays the frame's.
  TBitmap* RenderedBitmap();
  // Draws the frame's part of the picture in ARect (the logical screen scaled to ARect), or the frame
  // tiled at the screen's steps; transparent when asked and the frame has a transparent colour.
  void Draw(TCanvas* ACanvas, const RECT& ARect, bool DoTransparent, bool DoTile);

  // From a frame a copy (extensions too); from a bitmap, icon, metafile or picture the image,
  // colour-reduced by the picture's settings when it has more than 256 colours.
  void Assign(TPersistent* Source) override;
  // A TBitmap gets the rendered frame.
  void AssignTo(TPersistent* Dest) override;
  TGIFFormatVersion GetVersion() const override;
  // The extensions, then (unless empty) the descriptor, local table and image data.
  void SaveToStream(TStream* Stream) override;
  // The extensions, then, unless the next byte is not an image separator, the image.
  void LoadFromStream(TStream* Stream) override;
  // The pixels from the image data (LZW); a warning for damaged data, which keeps what was decoded.
  void DecodeImageData(TStream* Stream);
  // The image data by the picture's Compression.
  void EncodeImageData(TStream* Stream);

 private:
  friend class TGIFGraphicControlExtension;
  void ImportBitmap(TBitmap* Bitmap);
  void ImportGraphic(TGraphic* Graphic);
  // Mask: Width x Height bytes, non-zero where the frame is to be transparent.
  void MakeMaskTransparent(const std::vector<uint8_t>& Mask);
  std::unique_ptr<TBitmap> RenderPlain(TGIFProgressScope& Progress);
  std::unique_ptr<TBitmap> RenderDithered(TGIFProgressScope& Progress);
  // The transparent index when a mask is to be made now (the mask is then no longer dirty), else -1.
  int TakeMaskIndex();
  void DrawStretched(TCanvas* ACanvas, const RECT& R, bool DoTile, bool DoTransparent);

  std::unique_ptr<TBitmap> FCachedBitmap;
  HBITMAP FMask = nullptr;
  bool FMaskDirty = true;
  HPALETTE FPalette = nullptr;
  std::vector<uint8_t> FPixels;
  TGIFLocalColorMap FLocalColorMap{this};
  TGIFImageDescriptor FDescriptor;
  TGIFExtensionList FExtensions;
  bool FTransparent = false;
  TGIFGraphicControlExtension* FGraphicControlExtension = nullptr;
};

// ---------------------------------------------------------------------------------------------
// The picture class, registered with TPicture for the extension "gif" and the clipboard format
// "GIF Image".

// How Draw shows a picture. A picture of one frame neither animates nor gets a thread of its own.
enum TGIFRenderFlag : uint16_t {
  rfThreaded = 0x01,  // without it Draw returns only when the animation has ended
  rfTransparent = 0x02,
  rfAnimate = 0x04,
  rfRepeat = 0x08,           // as often as the loop extension asks
  rfRepeatAlways = 0x10,     // past the loop extension's count, until stopped
  rfCanvasCheck = 0x20,      // for a canvas whose device context may go while a painter still draws
  rfDirect = 0x40,           // saves the cached bitmap; a repaint then cannot be served from it
  rfRestoreEachPass = 0x80,  // so that every pass looks as the first did
  rfTile = 0x100,
  rfDither = 0x200,            // to the 216 web colours
  rfDitherPaletteOnly = 0x400  // a true-colour screen shows the picture's colours as they are
};
using TGIFRenderFlags = uint16_t;

// The clipboard format "GIF Image", registered at start-up.
extern UINT GIFClipboardFormat;
// The screen has at most 8 bits per pixel (set at start-up).
extern bool IsPaletteDisplay;

class TGIFPainter;

// The time of painters: a millisecond counter, waits for an event that ends a wait early, and sleeps.
// The system's is the multimedia timer with real waits; tests hand in their own to drive time.
class TGIFPainterClock {
 public:
  virtual ~TGIFPainterClock() = default;
  virtual DWORD Now() = 0;
  // Waits at most Milliseconds (INFINITE: without end) for Event (nullptr: none); true when the event
  // ended the wait.
  virtual bool WaitFor(HANDLE Event, DWORD Milliseconds) = 0;
  virtual void Sleep(DWORD Milliseconds) = 0;
};
std::shared_ptr<TGIFPainterClock> SystemPainterClock();

// What Optimize may do. Each step makes the file smaller without changing what is seen.
enum TGIFOptimizeOption : uint8_t {
  optCropBorders = 0x01,    // a frame keeps only the rectangle it paints; one that paints nothing goes
  optMergeRepeats = 0x02,   // runs of the transparent index compress better than the pixels they repeat
  optCleanup = 0x04,        // transparency, extensions and frames that show nothing go
  optSortColorMaps = 0x08,  // unused colours go, so a table can shrink to fewer bits per pixel
  optReduceColors = 0x10    // only checked: fewer colours would change what is seen
};
using TGIFOptimizeOptions = uint8_t;

class TGIFPicture : public TGraphic {
 public:
  TGIFPicture();
  ~TGIFPicture() override;

  // TGraphic
  // One frame, or rfAnimate clear: the frame StaticFrame (the first when out of range) draws itself,
  // transparent and tiled by RenderFlags. Several frames are animated by the current painter: with
  // rfDirect on ACanvas, else into the cached bitmap, which is drawn on ACanvas once the painter has
  // painted its first frame and at every later Draw.
  void Draw(TCanvas* ACanvas, const RECT& Rect) override;
  bool Empty() const override { return FFrames.Count() == 0; }
  int Width() const override { return FHeader.Width(); }
  int Height() const override { return FHeader.Height(); }
  // Below a frame's right (bottom) edge: GIFException "Image width too small for contained frames"
  // ("Image height ...").
  void SetWidth(int Value) override;
  void SetHeight(int Value) override;
  // From the stream's position; a failure puts the position back and raises, keeping the frames read.
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;
  // "GIF Image" (AData 0: taken from the open clipboard) or CF_BITMAP; else GIFException "Unsupported
  // clipboard format".
  void LoadFromClipboardFormat(UINT AFormat, HANDLE AData, HPALETTE APalette) override;
  // The rendered bitmap as CF_BITMAP in the out-values; the GIF itself is put on the clipboard as "GIF
  // Image" (GIFException "Failed to store GIF on clipboard").
  void SaveToClipboardFormat(UINT& AFormat, HANDLE& AData, HPALETTE& APalette) override;
  HPALETTE Palette() override { return GetPalette(); }
  void SetPalette(HPALETTE Value) override;
  // Only for this very object.
  bool Equals(TGraphic* Graphic) override { return Graphic == this; }

  // TPersistent: from a TGIFPicture a copy; from nullptr empty; from any other graphic one frame of it.
  void Assign(TPersistent* Source) override;
  // A TBitmap gets the rendered picture.
  void AssignTo(TPersistent* Dest) override;

  // To OnWarningMessage when it is assigned.
  virtual void Warning(TObject* Sender, int Severity, const std::string& Message);

  // Stops every painter, then empties the picture.
  void Clear();
  // A TGraphic becomes a new frame, a TGIFSubImage is appended itself (the picture takes it);
  // GIFException "Object type not supported for operation" otherwise. The frame's index.
  int Add(TPersistent* Source);
  TGIFFormatVersion GetVersion() const;
  int MaxColorResolution() const;
  int MaxBitsPerPixel() const;
  TColor GetBackgroundColor() { return FHeader.GetBackgroundColor(); }
  TGIFGlobalColorMap* GetGlobalColorMap() { return FHeader.ColorMap(); }
  // The screen grows to contain every frame (up to 65535 x 65535).
  void GrowLogicalScreen();
  // The whole picture rendered (the first frame on the logical screen), or the cached bitmap that a
  // painter draws into; nullptr when empty. It stays the picture's. GIFException "Image is too large"
  // for a screen above GIFMaxBufferBytes.
  TBitmap* RenderedBitmap();
  // Stops the current painter, which may be drawing into the cached bitmap, and frees the bitmap.
  void ReleaseCachedBitmap();
  // A cached bitmap of the screen's size with the picture's palette, when there is none.
  void CreateCachedBitmap();
  // The rendered bitmap stretched into Rect, or with rfTile repeated at its size from Rect's corner.
  void DrawCachedBitmap(TCanvas* ACanvas, const RECT& Rect);
  // rfDither, and with rfDitherPaletteOnly only on a palette display.
  bool UseDithering() const;
  // The cached bitmap's palette, the picture's own, the 216-colour one when dithering, one from the
  // global table, or the first frame's. It stays its owner's.
  HPALETTE GetPalette();

  TGIFHeader* Header() { return &FHeader; }
  TGIFFrameList* Frames() { return &FFrames; }
  TGIFSubImage* Frame(int Index) { return FFrames.Frame(Index); }

  // Animation. Painters meet the picture under the lock of its painter list: every painter drawing it is
  // in the list, and one leaves the list before it is freed. Nobody waits for a painter while holding the
  // lock.
  TThreadList* PainterList() { return &FPainterList; }
  // The painter started by Draw, nullptr when none; read it under the painter list's lock.
  TGIFPainter* CurrentPainter() const { return FCurrentPainter; }
  // A painter of Flags for ACanvas in Rect, stored in *APainter (when given) and added to the list, with
  // the picture's paint events. With rfThreaded it is returned not yet running (ResumeAsync starts it);
  // without, it plays at once on this thread and is gone on return (nullptr). An empty picture or Rect
  // gives nullptr. One frame takes rfThreaded and rfAnimate out of Flags.
  TGIFPainter* StartPainter(TGIFPainter** APainter, TCanvas* ACanvas, TGIFRenderFlags Flags,
                            const RECT& Rect);
  // Stops the current painter and waits for its end (in the main thread running the painters'
  // synchronised calls meanwhile); then frees the cached bitmap.
  void StopCurrentPainter();
  // The same for every painter of the picture.
  void StopAllPainters();

  // Rewrites the document so that it saves smaller and plays the same (see TGIFOptimizeOption).
  // ColorReduction pmCustom with optReduceColors and without optCleanup raises GIFException "Invalid
  // reduction method"; colours are never reduced, and DitherKind and ReductionBits are not used.
  void Optimize(TGIFOptimizeOptions Options, TGIFPaletteMode ColorReduction, TGIFDitherKind DitherKind,
                int ReductionBits);

  // Settings (defaults of a new picture).
  TGIFRenderFlags RenderFlags = 0x068F;  // threaded, transparent, animate, repeat, restore, dither on palette
  TGIFPaletteMode PaletteMode = pmWeb216;
  int OctreeBits = 8;
  TGIFDitherKind DitherKind = dkNearest;
  TGIFCodingKind Compression = ckLZW;
  int StaticFrame = -1;
  // For the animation painter: its thread priority (THREAD_PRIORITY_NORMAL), speed in percent, the
  // background colour (clNone: none) and its events, with the painter as the sender.
  int PainterPriority = THREAD_PRIORITY_NORMAL;
  int PlaybackSpeedPercent = 100;
  TColor PaintBackgroundColor = clNone;
  TNotifyEvent OnPaintStart;
  TNotifyEvent OnFrameBeforePaint;
  TNotifyEvent OnFrameAfterPaint;
  TNotifyEvent OnAnimationRepeat;
  TNotifyEvent OnPaintEnd;
  TGIFWarningEvent OnWarningMessage;
  // The time of the painters started from now on.
  std::shared_ptr<TGIFPainterClock> PainterClock = SystemPainterClock();

 private:
  friend class TGIFSubImage;
  void DrawStaticFrame(TCanvas* ACanvas, const RECT& Rect);
  // Waits a moment for painters: in the main thread by running their synchronised calls.
  static void YieldToPainters();
  // The screen grows to Right x Bottom, at most 65535 each, without the frames' check.
  void GrowScreen(int Right, int Bottom);
  void AssignPicture(TGIFPicture* Source);

  bool FDrawing = false;
  bool FGettingPalette = false;
  TGIFFrameList FFrames{this};
  TGIFHeader FHeader{this};
  HPALETTE FPalette = nullptr;
  std::unique_ptr<TBitmap> FCachedBitmap;
  TThreadList FPainterList;
  TGIFPainter* FCurrentPainter = nullptr;
};

// ---------------------------------------------------------------------------------------------
// The animation painter: plays a picture's frames onto a canvas rectangle with their delays, disposal
// methods and loop count, on its own thread (rfThreaded) or at once on the caller's. A threaded painter
// waits, times and renders the next frame on its thread, and draws and fires its events in the main
// thread (synchronised calls); it frees itself when it ends. Stop ends a painter from any thread within
// the frame it is at: its wait is cut short.

// Delays are in units of DelayMultiplier ms at 100 % speed.
constexpr int DelayMultiplier = 12;
constexpr int DefaultDelay = 10;    // a frame without a delay, or with 0
constexpr int MinimumDelay = 3;     // the shortest delay, and the shortest wait however late a painter is
constexpr int MaximumDelay = 1000;  // the longest delay on the caller's thread
// A picture of more frames is played without keeping each frame's rendering, so that memory stays flat.
constexpr int PainterCachedFrames = 256;

class TGIFPainter : public TThread {
 public:
  // Reads the picture's speed, background colour and clock, and copies what ACanvas shows in ARect into
  // work bitmaps when a frame restores (disposal 2 or 3, or rfRestoreEachPass); GIFException "Image is
  // too large" when they would hold more than GIFMaxBufferBytes together. Stores itself in *APainter
  // (when given) last. The picture adds it to its list (StartPainter).
  TGIFPainter(TGIFPainter** APainter, TGIFRenderFlags AFlags, const RECT& ARect, TCanvas* ACanvas,
              TGIFPicture* AImage);
  // Leaves the picture (as at the end of the thread).
  ~TGIFPainter() override;

  // Starts a threaded painter.
  void ResumeAsync();
  // Ends the painter at its next check; a threaded one is woken from its wait (and started when it was
  // not yet). From any thread, while the painter is in its picture's list.
  void Stop();
  // The frame loop: the thread's body, or run by the picture on the caller's thread.
  void Execute() override;

  bool Threaded() const { return FFlags & rfThreaded; }
  TCanvas* Canvas() const { return FCanvas; }
  const RECT& Rect() const { return FRect; }
  TGIFRenderFlags Flags() const { return FFlags; }
  // A frame of the current run has been drawn.
  bool Painted() const { return FPainted; }

  // The frame being shown, -1 when not painting; an OnFrameAfterPaint handler may set the next one.
  int FrameIndex = -1;
  // The picture's paint events (Sender: the painter), run in the main thread.
  TNotifyEvent OnPaintStart;
  TNotifyEvent OnFrameBeforePaint;
  TNotifyEvent OnFrameAfterPaint;
  TNotifyEvent OnAnimationRepeat;
  TNotifyEvent OnPaintEnd;

 protected:
  void DoTerminate() override { PainterTerminated(); }

 private:
  friend class TGIFPicture;
  // What one run keeps from pass to pass.
  struct TRun {
    int LoopCount = 1;
    int StartFrame = 0;
    bool LoopFound = false;
    int Delay = 0;
  };
  bool Running() const { return !Terminated() && !FRestart; }
  void PlayRun();
  // Whether the pass painted a frame.
  bool PlayPass(TRun& Run);
  // Body(frame) under the picture's lock when the painter still has a picture and FrameIndex is one of
  // its frames; false otherwise.
  bool WithFrame(const std::function<void(TGIFSubImage* Frame)>& Body);
  void WaitForFrame(int& Delay);
  // The shortest wait for a delay of Delay units at the painter's speed: however late the painter is, it
  // waits the minimum delay (or Delay when that is shorter) and never spins.
  int MinimumWait(int Delay) const;
  void SleepAndDispatch(int Delay);
  void DispatchMessages();
  void ReadFrameExtensions(TGIFSubImage* Frame, TRun& Run);
  int FrameDelay(TGIFSubImage* Frame) const;
  // Method in the main thread (threaded) or here; nothing once terminated.
  void RunSynchronized(const std::function<void()>& Method);
  void FirePaintEvent(const TNotifyEvent& Event);
  void PaintCurrentFrame();
  void PaintFrame(TGIFSubImage* Frame);
  // The frame's areas on the work bitmaps; nullptr: the whole rectangle.
  std::vector<RECT> FrameAreas(TGIFSubImage* Frame) const;
  void RestoreBackground(TGIFSubImage* Frame);
  std::unique_ptr<TBitmap> NewWorkBitmap(bool CopyCanvas) const;
  void PainterTerminated();

  TGIFPicture* FImage;
  TCanvas* FCanvas;
  RECT FRect;
  TGIFRenderFlags FFlags;
  int FSpeed;
  TGIFDisposal FDisposal = dsKeep;
  TGIFDisposal FPreviousDisposal = dsKeep;
  std::unique_ptr<TBitmap> FRestoreBitmap;
  std::unique_ptr<TBitmap> FPreviousBitmap;
  std::unique_ptr<TBitmap> FBackgroundBitmap;
  HDC FCanvasHandle = nullptr;
  std::atomic<bool> FRestart{false};
  std::atomic<bool> FPainted{false};
  TGIFPainter** FPainterVar;
  HANDLE FEvent = nullptr;  // auto-reset: wakes a waiting threaded painter
  TColor FBackgroundColor;
  std::shared_ptr<TGIFPainterClock> FClock;
  DWORD FOldTime = 0;
  int FDelayUsed = 0;
};
