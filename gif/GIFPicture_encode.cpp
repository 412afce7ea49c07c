// Writing GIF image data: the sub-block writer, the LZW and run-length encoders, and the byte and
// sub-block text helpers of the codec's streams.
#include <algorithm>
#include <cstring>

#include "classlib/StringLists.h"
#include "gif/GIFPicture.h"

namespace {

int CodeMask(int Bits) {
  return (1 << Bits) - 1;
}

constexpr int MaxCode = 4095;

// Out of line, so that the pixel loops that check every pixel stay small.
[[noreturn, gnu::noinline]] void RaiseColorNotInTable() {
  RaiseGIFError("Color not in color table");
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Stream helpers

int ReadStreamByte(TStream* Stream) {
  uint8_t Value = 0;
  return Stream->Read(&Value, 1) == 1 ? Value : -1;
}

void WriteStreamByte(TStream* Stream, uint8_t Value) {
  Stream->WriteBuffer(&Value, 1);
}

void ReadExact(TStream* Stream, void* Buffer, int32_t Count) {
  auto* Target = static_cast<uint8_t*>(Buffer);
  while (Count > 0) {
    const int32_t Read = Stream->Read(Target, Count);
    if (Read <= 0) RaiseGIFError("Premature end of data");
    Target += Read;
    Count -= Read;
  }
}

void WriteSubBlockText(TStream* Stream, TStrings* Strings) {
  for (int I = 0; I < Strings->Count(); ++I) {
    const std::string Line = Strings->Get(I);
    for (size_t Pos = 0; Pos < Line.size(); Pos += 255) {
      const size_t Length = std::min<size_t>(255, Line.size() - Pos);
      WriteStreamByte(Stream, static_cast<uint8_t>(Length));
      Stream->WriteBuffer(Line.data() + Pos, static_cast<int32_t>(Length));
    }
  }
  WriteStreamByte(Stream, 0);
}

void ReadSubBlockText(TStream* Stream, TStrings* Strings) {
  Strings->Clear();
  char Block[255];
  for (int Length = ReadStreamByte(Stream); Length > 0; Length = ReadStreamByte(Stream)) {
    ReadExact(Stream, Block, Length);
    Strings->Add(std::string(Block, strnlen(Block, static_cast<size_t>(Length))));
  }
}

// ---------------------------------------------------------------------------------------------
// TGIFStream, TGIFWriter

int32_t TGIFStream::Read(void* /*Buffer*/, int32_t /*Count*/) {
  throw Exception(L"Invalid stream operation");
}

int32_t TGIFStream::Write(const void* /*Buffer*/, int32_t /*Count*/) {
  throw Exception(L"Invalid stream operation");
}

int64_t TGIFStream::Seek(int64_t /*Offset*/, TSeekOrigin /*Origin*/) {
  throw Exception(L"Invalid stream operation");
}

int32_t TGIFWriter::Write(const void* Buffer, int32_t Count) {
  const auto* Source = static_cast<const uint8_t*>(Buffer);
  for (int32_t I = 0; I < Count; ++I) PutByte(Source[I]);
  return Count;
}

void TGIFWriter::FlushBuffer() {
  FBuffer[0] = static_cast<uint8_t>(FFill - 1);
  FTarget->WriteBuffer(FBuffer, FFill);
  FFill = 1;
  FDirty = false;
}

// ---------------------------------------------------------------------------------------------
// THashTable

namespace {

int HashOf(uint32_t Key) {
  return static_cast<int>((Key * 0x9E3779B1u) >> 18);
}

}  // namespace

void THashTable::Clear() {
  std::fill(std::begin(FSlots), std::end(FSlots), EmptySlot);
}

// The multiplier's top 14 bits of the product spread the keys; no division on the encoder's hot path.
// Keys are at most 20 bits, so an occupied slot never has all ones above its code.
int THashTable::SlotOf(uint32_t Key) const {
  int H = HashOf(Key);
  for (;;) {
    const uint32_t Slot = FSlots[H];
    if (Slot == EmptySlot || (Slot >> 12) == Key) return H;
    H = (H + 1) & (Size - 1);
  }
}

void THashTable::Insert(uint32_t Key, int Code) {
  Put(SlotOf(Key), Key, Code);
}

int THashTable::Lookup(uint32_t Key) const {
  return CodeAt(SlotOf(Key));
}

// ---------------------------------------------------------------------------------------------
// TGIFEncoder

void TGIFEncoder::EncodeFrame(TStream* Stream, int BitsPerPixel, int ColorCount, const uint8_t* Data,
                              bool Interlace, int Height, int Width) {
  FInitialCodeSize = std::clamp(BitsPerPixel, 2, 8);
  FColorCount = ColorCount;
  FData = Data;
  FInterlace = Interlace;
  FHeight = Height;
  FWidth = Width;
  WriteStreamByte(Stream, static_cast<uint8_t>(FInitialCodeSize));
  FInitialCodeWidth = FCodeWidth = FInitialCodeSize + 1;
  FLargestCode = CodeMask(FCodeWidth);
  FClearCode = 1 << FInitialCodeSize;
  FEndCode = FClearCode + 1;
  FFirstFreeCode = FClearCode + 2;
  FBitBuffer = 0;
  FBitCount = 0;
  FPixel = Data;
  FPixelsLeft = Interlace ? Width : int64_t{Width} * Height;
  FRow = 0;
  FPass = 0;
  TGIFWriter Writer(Stream);
  FWriter = &Writer;
  if (Data && Width >= 1 && Height >= 1) EncodePixels();
  PutCode(FEndCode);
  Writer.Finish();
  FWriter = nullptr;
  WriteStreamByte(Stream, 0);
}

void TGIFEncoder::PutCode(int Code) {
  PackCode(Code);
  if (Code == FEndCode) {
    for (; FBitCount > 0; FBitCount -= 8, FBitBuffer >>= 8)
      FWriter->PutByte(static_cast<uint8_t>(FBitBuffer));
    FBitBuffer = 0;
    FBitCount = 0;
  }
}

void TGIFEncoder::EmitClear() {
  FJustCleared = true;
  PutCode(FClearCode);
}

bool TGIFEncoder::NextRow() {
  if (!FInterlace) return false;
  TGIFInterlaceWalk Walk{FHeight, FRow, FPass};
  if (!Walk.Next()) return false;
  FRow = Walk.Row;
  FPass = Walk.Pass;
  FPixelsLeft = FWidth;
  FPixel = FData + static_cast<ptrdiff_t>(FRow) * FWidth;
  return true;
}

std::unique_ptr<TGIFEncoder> CreateEncoder(TGIFCodingKind Kind) {
  if (Kind == ckRLE) return std::make_unique<TRLEEncoder>();
  return std::make_unique<TLZWEncoder>();
}

// ---------------------------------------------------------------------------------------------
// TLZWEncoder

// A decoder adds its table entry one code after the encoder and widens its codes when its next free
// code reaches the next power of two; the encoder widens after the same code, so both agree.
inline void TLZWEncoder::AdjustWidth() {
  if (FJustCleared) {
    FCodeWidth = FInitialCodeWidth;
    FLargestCode = CodeMask(FCodeWidth);
    FJustCleared = false;
  } else if (FNextFreeCode > FLargestCode) {
    ++FCodeWidth;
    FLargestCode = FCodeWidth >= 12 ? MaxCode + 1 : CodeMask(FCodeWidth);
  }
}

void TLZWEncoder::PutCode(int Code) {
  TGIFEncoder::PutCode(Code);
  AdjustWidth();
}

void TLZWEncoder::EmitClear() {
  TGIFEncoder::EmitClear();
  FHashTable->Clear();
  for (const uint16_t Pair : FPairsInUse) FPairCodes[Pair] = 0;
  FPairsInUse.clear();
  FLastChildPixel.fill(NoChild);
  FNextFreeCode = FFirstFreeCode;
}

// Each pixel waits for the one before it, so the chain between them is kept short: the tables and the
// colour count stay in registers, and the prefix is unsigned and indexes as it is, so that a string found
// among the last children costs one load. A string of one pixel has its own loop: its search is one load
// from two known pixels, and is seldom wrongly guessed. What happens once per code, and the error, are
// calls.
uint32_t TLZWEncoder::EncodeSpan(uint32_t Prefix, const uint8_t* P, const uint8_t* End) {
  THashTable& Table = *FHashTable;
  uint16_t* const LastPixel = FLastChildPixel.data();
  uint16_t* const LastCode = FLastChildCode.data();
  uint16_t* const PairCodes = FPairCodes.data();
  const auto Colors = static_cast<uint32_t>(FColorCount);
  const auto ClearCode = static_cast<uint32_t>(FClearCode);
  for (;;) {
    // Codes below the clear code are one pixel: a code was just written, or the span starts with one.
    while (Prefix < ClearCode) {
      if (P == End) return Prefix;
      const uint32_t Pixel = *P++;
      if (Pixel >= Colors) RaiseColorNotInTable();
      if (const uint32_t Code = PairCodes[Prefix << 8 | Pixel]; Code != 0) {
        Prefix = Code;
      } else {
        AddPairString(static_cast<int>(Prefix), static_cast<int>(Pixel));
        Prefix = Pixel;
      }
    }
    // A longer string, until a code is written.
    for (;;) {
      if (P == End) return Prefix;
      const uint32_t Pixel = *P++;
      if (Pixel >= Colors) RaiseColorNotInTable();
      if (LastPixel[Prefix] == Pixel) {
        Prefix = LastCode[Prefix];
        continue;
      }
      const int Slot = Table.SlotOf(Prefix << 8 | Pixel);
      if (const int Found = Table.CodeAt(Slot); Found >= 0) {
        LastPixel[Prefix] = static_cast<uint16_t>(Pixel);
        LastCode[Prefix] = static_cast<uint16_t>(Found);
        Prefix = static_cast<uint32_t>(Found);
        continue;
      }
      AddString(static_cast<int>(Prefix), static_cast<int>(Pixel), Slot);
      Prefix = Pixel;
      break;
    }
  }
}

void TLZWEncoder::AddString(int Prefix, int Pixel, int Slot) {
  // A prefix is never the end code: nothing is left to write out.
  PackCode(Prefix);
  AdjustWidth();
  if (FNextFreeCode >= MaxCode) return EmitClear();
  FHashTable->Put(Slot, static_cast<uint32_t>(Prefix) << 8 | static_cast<uint32_t>(Pixel), FNextFreeCode);
  FLastChildPixel[static_cast<size_t>(Prefix)] = static_cast<uint16_t>(Pixel);
  FLastChildCode[static_cast<size_t>(Prefix)] = static_cast<uint16_t>(FNextFreeCode++);
}

void TLZWEncoder::AddPairString(int Prefix, int Pixel) {
  PackCode(Prefix);
  AdjustWidth();
  if (FNextFreeCode >= MaxCode) return EmitClear();
  const auto Pair = static_cast<uint16_t>(Prefix << 8 | Pixel);
  FPairCodes[Pair] = static_cast<uint16_t>(FNextFreeCode++);
  FPairsInUse.push_back(Pair);
}

void TLZWEncoder::EncodePixels() {
  FHashTable = std::make_unique<THashTable>();
  FPairCodes.assign(static_cast<size_t>(FClearCode) << 8, 0);
  FPairsInUse.reserve(MaxCode);
  EmitClear();
  auto Prefix = static_cast<uint32_t>(CurrentPixel());
  // The walk in spans of adjacent pixels: the rest of the frame, or of a row when interlaced.
  for (const uint8_t* Span = FPixel + 1;;) {
    const uint8_t* const End = FPixel + FPixelsLeft;
    Prefix = EncodeSpan(Prefix, Span, End);
    FPixel = End - 1;
    FPixelsLeft = 1;
    if (!NextPixel()) break;
    Span = FPixel;
  }
  PutCode(static_cast<int>(Prefix));
  FHashTable.reset();
  FPairCodes = {};
  FPairsInUse = {};
}

// ---------------------------------------------------------------------------------------------
// TRLEEncoder

namespace {

// What Count pixels cost when codes stand for runs of 1 to N pixels: N codes per N (N + 1) / 2 pixels,
// and for what is left over, K codes where 1 + ... + K first reaches it. Decides whether a clear pays.
int64_t TriangleCount(int64_t Count, int64_t N) {
  const int64_t Triangle = N * (N + 1) / 2;
  int64_t Cost = Count / Triangle * N;
  const int64_t Rest = Count % Triangle;
  if (Rest > 0) {
    int64_t K = 1;
    while (K * K < 2 * Rest) K *= 2;
    while (K > 1 && (K - 1) * K >= 2 * Rest) --K;
    while (K * (K + 1) < 2 * Rest) ++K;
    Cost += K;
  }
  return Cost;
}

}  // namespace

void TRLEEncoder::EmitClear() {
  FBumpLimit = FBumpLimitStart;
  FClearLimit = FClearLimitStart;
  FCodesOutput = 0;
  FTableMaximum = 0;
  TGIFEncoder::EmitClear();
  FCodeWidth = FInitialCodeWidth;
}

// Every code makes the decoder add one entry: the code width grows where the decoder's does, and the
// table is cleared before it could fill.
void TRLEEncoder::OutputPlain(int Code) {
  FJustCleared = false;
  PutCode(Code);
  ++FCodesOutput;
  if (FCodesOutput >= FBumpLimit) {
    ++FCodeWidth;
    FBumpLimit += 1 << (FCodeWidth - 1);
  }
  if (FCodesOutput >= FClearLimit) EmitClear();
}

// Right after a clear: codes for runs of 1, 2, 3, ... pixels, each defining the next longer run.
void TRLEEncoder::FlushFromClear(int64_t Count) {
  FClearLimit = FCodeBudget;
  FTablePixel = FRunPixel;
  int N = 1;
  while (Count > 0) {
    if (N == 1) {
      FTableMaximum = 1;
      OutputPlain(FRunPixel);
      Count -= 1;
    } else if (Count >= N) {
      FTableMaximum = N;
      OutputPlain(FBase + N - 2);
      Count -= N;
    } else if (Count == 1) {
      ++FTableMaximum;
      OutputPlain(FRunPixel);
      Count = 0;
    } else {
      ++FTableMaximum;
      OutputPlain(FBase + static_cast<int>(Count) - 2);
      Count = 0;
    }
    N = FCodesOutput == 0 ? 1 : N + 1;
  }
  FClearLimit = FClearLimitStart;
  if (FCodesOutput >= FClearLimit) EmitClear();
}

void TRLEEncoder::FlushByClearOrRepetition(int64_t Count) {
  if (1 + TriangleCount(Count, FCodeBudget) < Count) {
    EmitClear();
    FlushFromClear(Count);
    return;
  }
  for (; Count > 0; --Count) OutputPlain(FRunPixel);
}

void TRLEEncoder::FlushWithTable(int64_t Count) {
  int64_t Repeats = Count / FTableMaximum;
  int64_t Rest = Count % FTableMaximum;
  int64_t Extra = Rest > 0 ? 1 : 0;
  if (FCodesOutput + Repeats + Extra > FCodeBudget) {
    Repeats = FCodeBudget - FCodesOutput;
    Rest = Count - Repeats * FTableMaximum;
    Extra = 1 + TriangleCount(Rest, FCodeBudget);
  }
  if (1 + TriangleCount(Count, FCodeBudget) < Repeats + Extra) {
    EmitClear();
    FlushFromClear(Count);
    return;
  }
  FClearLimit = FCodeBudget;
  for (; Repeats > 0; --Repeats) OutputPlain(FBase + FTableMaximum - 2);
  if (Rest > 0) {
    if (FCodesOutput == 0)
      FlushFromClear(Rest);
    else if (Rest == 1)
      OutputPlain(FRunPixel);
    else
      OutputPlain(FBase + static_cast<int>(Rest) - 2);
  }
  FClearLimit = FClearLimitStart;
  if (FCodesOutput >= FClearLimit) EmitClear();
}

void TRLEEncoder::FlushRun(int64_t Count) {
  if (Count == 1)
    OutputPlain(FRunPixel);
  else if (FJustCleared)
    FlushFromClear(Count);
  else if (FTableMaximum < 2 || FTablePixel != FRunPixel)
    FlushByClearOrRepetition(Count);
  else
    FlushWithTable(Count);
}

void TRLEEncoder::EncodePixels() {
  FBase = FFirstFreeCode;
  FCodeBudget = MaxCode - 2 - FClearCode;
  FBumpLimitStart = FClearCode - 1;
  FClearLimitStart = FInitialCodeSize <= 3 ? 9 : FClearCode - 2;
  EmitClear();
  FRunPixel = -1;
  int64_t Count = 0;
  do {
    const int Pixel = CurrentPixel();
    if (Count > 0 && Pixel != FRunPixel) {
      FlushRun(Count);
      Count = 0;
    }
    if (Count == 0) FRunPixel = Pixel;
    ++Count;
  } while (NextPixel());
  FlushRun(Count);
}
