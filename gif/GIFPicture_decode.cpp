// The LZW decoder of GIF image data.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "gif/GIFPicture.h"

namespace {

constexpr int TableSize = 4096;
constexpr int StackSize = 8192;
constexpr int Corrupt = -3;   // a code the table cannot decode
constexpr int Finished = -2;  // the end code
constexpr int RunOut = -1;    // no more data

// Decodes the codes of one frame. Every code is checked against the table before it is followed: a
// code is at most the next free code, and each entry's prefix is a lower code, so that the chain of a
// string ends within the table; its length is kept with it, so that it is written straight into the
// row, or through the stack when it runs past the row's end.
class TDecoder {
 public:
  TDecoder(TStream* Stream, const TGIFWarningProc& Warning) : FStream(Stream), FWarning(Warning) {}

  // False when the stream ends before the minimum code size.
  bool Start();
  // Fills Out with the next Count pixels; fewer when decoding stops.
  int ReadDecodedBytes(uint8_t* Out, int Count);
  // The same for a whole frame that lies in one piece: each string is copied from where it was decoded
  // before, instead of walked back through its chain of prefixes one pixel at a time.
  int ReadFrame(uint8_t* Out, int Count);
  // Moves the stream to just after the frame's zero-length block.
  void SkipRemainingBlocks();

 private:
  bool NextBlock();
  int NextCode();
  int DecodeString();
  void ResetTable();
  int Fail(const char* Message);
  // Writes the string of Code backwards from End.
  void WriteString(int Code, uint8_t* End) const {
    while (Code >= FClearCode) {
      *--End = FSuffix[Code];
      Code = FPrefix[Code];
    }
    *--End = static_cast<uint8_t>(Code);
  }

  TStream* FStream;
  const TGIFWarningProc& FWarning;
  uint8_t FBlock[255];
  int FBlockSize = 0;
  int FBlockPos = 0;
  bool FZeroBlockSeen = false;
  bool FStreamEnded = false;
  uint32_t FBitBuffer = 0;
  int FBitCount = 0;
  int FMinimumCodeSize = 0;
  int FCodeSize = 0;
  int FClearCode = 0;
  int FEndCode = 0;
  int FNextFree = 0;
  int FCodeLimit = 0;
  int FPreviousCode = -1;  // none: the next code starts the table
  bool FStopped = false;
  uint16_t FPrefix[TableSize];
  uint8_t FSuffix[TableSize];
  uint8_t FFirst[TableSize];    // the first pixel of each string
  uint16_t FLength[TableSize];  // the pixels of each string
  int32_t FPlace[TableSize];    // where ReadFrame wrote each string, from the frame's first pixel
  int32_t FLastPlace = 0;       // where ReadFrame wrote the string of the previous code
  uint8_t FStack[StackSize];    // a string's pixels after the end of the row, last first
  int FStackTop = 0;
};

bool TDecoder::Start() {
  const int Size = ReadStreamByte(FStream);
  if (Size < 0) return false;
  // 0 could not hold the clear and end codes; above 8 no pixel fits a byte.
  FMinimumCodeSize = Size == 0 ? 1 : Size > 8 ? 8 : Size;
  FClearCode = 1 << FMinimumCodeSize;
  FEndCode = FClearCode + 1;
  for (int I = 0; I < FClearCode; ++I) {
    FPrefix[I] = 0;
    FSuffix[I] = FFirst[I] = static_cast<uint8_t>(I);
    FLength[I] = 1;
  }
  ResetTable();
  return true;
}

void TDecoder::ResetTable() {
  FCodeSize = FMinimumCodeSize + 1;
  FCodeLimit = 2 * FClearCode;
  FNextFree = FClearCode + 2;
  FPreviousCode = -1;
}

int TDecoder::Fail(const char* Message) {
  FStopped = true;
  if (FWarning) FWarning(1, Message);
  return Corrupt;
}

// Reads the next data sub-block; false at the zero-length block or the end of the stream.
bool TDecoder::NextBlock() {
  FBlockPos = FBlockSize = 0;
  if (FZeroBlockSeen || FStreamEnded) return false;
  const int Length = ReadStreamByte(FStream);
  if (Length <= 0) {
    FZeroBlockSeen = Length == 0;
    FStreamEnded = Length < 0;
    return false;
  }
  FBlockSize = std::max(FStream->Read(FBlock, Length), 0);
  if (FBlockSize < Length) {
    if (FWarning) FWarning(1, "Premature end of data");
    FStreamEnded = true;
  }
  return FBlockSize > 0;
}

int TDecoder::NextCode() {
  while (FBitCount < FCodeSize) {
    if (FBlockPos == FBlockSize && !NextBlock()) {
      if (FZeroBlockSeen) {
        FStopped = true;
        if (FWarning) FWarning(1, "Decoder bit buffer under-run");
      }
      return RunOut;
    }
    FBitBuffer |= static_cast<uint32_t>(FBlock[FBlockPos++]) << FBitCount;
    FBitCount += 8;
  }
  const int Code = static_cast<int>(FBitBuffer & ((1u << FCodeSize) - 1));
  FBitBuffer >>= FCodeSize;
  FBitCount -= FCodeSize;
  return Code;
}

// The code whose string comes next, with its table entry made; negative when decoding stops.
int TDecoder::DecodeString() {
  if (FStopped) return RunOut;
  int Code = NextCode();
  while (Code == FClearCode) {
    ResetTable();
    Code = NextCode();
  }
  if (Code < 0) return Code;
  if (Code == FEndCode) {
    FStopped = true;
    return Finished;
  }
  if (FPreviousCode < 0) {
    // The first code of a table must be a single pixel.
    if (Code >= FClearCode) return Fail("Circular decoder table entry");
    FPreviousCode = Code;
    return Code;
  }
  if (Code > FNextFree) return Fail("Circular decoder table entry");
  if (FNextFree < TableSize) {
    // The new entry: the previous string and the first pixel of this one, which for the code being
    // defined right now (Code = next free) is the previous string's own first pixel.
    const int First = Code == FNextFree ? FFirst[FPreviousCode] : FFirst[Code];
    FPrefix[FNextFree] = static_cast<uint16_t>(FPreviousCode);
    FSuffix[FNextFree] = static_cast<uint8_t>(First);
    FFirst[FNextFree] = FFirst[FPreviousCode];
    FLength[FNextFree] = static_cast<uint16_t>(FLength[FPreviousCode] + 1);
    // The previous string with the first pixel of the one after it: both stand there.
    FPlace[FNextFree] = FLastPlace;
    ++FNextFree;
    if (FNextFree >= FCodeLimit && FCodeLimit < TableSize) {
      FCodeLimit *= 2;
      ++FCodeSize;
    }
  }
  FPreviousCode = Code;
  return Code;
}

int TDecoder::ReadDecodedBytes(uint8_t* Out, int Count) {
  int Done = std::min(FStackTop, Count);
  for (int I = 0; I < Done; ++I) Out[I] = FStack[--FStackTop];
  while (Done < Count) {
    const int Code = DecodeString();
    if (Code < 0) break;
    const int Length = FLength[Code];
    if (Length <= Count - Done) {
      Done += Length;
      WriteString(Code, Out + Done);
      continue;
    }
    // Past the row's end: the rest waits on the stack, last pixel deepest.
    uint8_t String[TableSize];
    WriteString(Code, String + Length);
    const int Fits = Count - Done;
    std::memcpy(Out + Done, String, static_cast<size_t>(Fits));
    Done = Count;
    for (int I = Length - 1; I >= Fits; --I) FStack[FStackTop++] = String[I];
  }
  return Done;
}

int TDecoder::ReadFrame(uint8_t* Out, int Count) {
  int Done = 0;
  while (Done < Count) {
    const int Code = DecodeString();
    if (Code < 0) break;
    FLastPlace = Done;
    const int Length = std::min<int>(FLength[Code], Count - Done);
    uint8_t* To = Out + Done;
    Done += Length;
    // Short strings cost less walked back through their chains than copied.
    if (Length == FLength[Code] && Length <= 16) {
      WriteString(Code, To + Length);
      continue;
    }
    // The string being defined overlaps its source, and is copied in pieces of the distance between them.
    const uint8_t* From = Out + FPlace[Code];
    const int Distance = static_cast<int>(To - From);
    for (int Left = Length; Left > 0;) {
      const int Piece = std::min(Left, Distance);
      std::memcpy(To, From, static_cast<size_t>(Piece));
      To += Piece;
      From += Piece;
      Left -= Piece;
    }
  }
  return Done;
}

void TDecoder::SkipRemainingBlocks() {
  while (NextBlock()) {
  }
}

}  // namespace

bool TGIFInterlaceWalk::Next() {
  static const int Steps[4] = {8, 8, 4, 2};
  static const int Starts[4] = {0, 4, 2, 1};
  Row += Steps[Pass];
  while (Row >= Height) {
    if (Pass == 3) return false;
    Row = Starts[++Pass];
  }
  return true;
}

void DecodeImageData(TStream* Stream, uint8_t* Pixels, int Width, int Height, bool Interlaced,
                     const TGIFWarningProc& Warning) {
  auto Decoder = std::make_unique<TDecoder>(Stream, Warning);  // 40 KB of tables: not on the stack
  if (!Decoder->Start()) return;
  const int64_t Count = static_cast<int64_t>(Width) * Height;
  if (Width > 0 && Height > 0 && !Interlaced && Count <= INT32_MAX) {
    Decoder->ReadFrame(Pixels, static_cast<int>(Count));
  } else if (Width > 0 && Height > 0) {
    TGIFInterlaceWalk Walk{Height};
    for (int Y = 0; Y < Height; ++Y) {
      const int Row = Interlaced ? Walk.Row : Y;
      if (Decoder->ReadDecodedBytes(Pixels + static_cast<ptrdiff_t>(Row) * Width, Width) < Width) break;
      Walk.Next();
    }
  }
  Decoder->SkipRemainingBlocks();
}
