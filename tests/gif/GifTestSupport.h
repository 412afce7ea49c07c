#pragma once
// Helpers of the GIF tests: byte streams, pixel patterns and the coding of one frame's image data.
#include <windows.h>
#include <psapi.h>
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "classlib/Streams.h"
#include "gif/GIFPicture.h"
#include "tests/support/TestFiles.h"

// The process's committed memory.
inline SIZE_T MemoryInUse() {
  PROCESS_MEMORY_COUNTERS Counters{};
  Counters.cb = sizeof(Counters);
  K32GetProcessMemoryInfo(GetCurrentProcess(), &Counters, sizeof(Counters));
  return Counters.PagefileUsage;
}

// How much the committed memory grew since Before; never wraps when it shrank.
inline SIZE_T MemoryGrowthSince(SIZE_T Before) {
  const SIZE_T Now = MemoryInUse();
  return Now > Before ? Now - Before : 0;
}

inline TMemoryStream* NewStreamOf(const Bytes& Data) {
  auto* Stream = new TMemoryStream;
  if (!Data.empty()) Stream->WriteBuffer(Data.data(), static_cast<int32_t>(Data.size()));
  Stream->SetPosition(0);
  return Stream;
}

inline Bytes BytesOf(TMemoryStream& Stream) {
  return Bytes(Stream.Memory(), Stream.Memory() + Stream.Size());
}

// Uniformly random indices below Colors.
inline Bytes RandomPixels(size_t Count, int Colors, unsigned Seed) {
  std::mt19937 Random(Seed);
  std::uniform_int_distribution<int> Index(0, Colors - 1);
  Bytes Result(Count);
  for (uint8_t& P : Result) P = static_cast<uint8_t>(Index(Random));
  return Result;
}

// Runs of 1 to 300 pixels of one random colour each.
inline Bytes RunPixels(size_t Count, int Colors, unsigned Seed) {
  std::mt19937 Random(Seed);
  std::uniform_int_distribution<int> Index(0, Colors - 1), Length(1, 300);
  Bytes Result;
  while (Result.size() < Count) Result.resize(std::min(Count, Result.size() + Length(Random)), Index(Random));
  return Result;
}

// One frame's image data as an encoder writes it.
inline Bytes EncodeImage(TGIFCodingKind Kind, const Bytes& Pixels, int Width, int Height, int Colors,
                         bool Interlace = false) {
  TMemoryStream Stream;
  CreateEncoder(Kind)->EncodeFrame(&Stream, ColorCountToBits(Colors), Colors, Pixels.data(), Interlace,
                                   Height, Width);
  return BytesOf(Stream);
}

struct TDecoded {
  Bytes Pixels;
  std::vector<std::string> Warnings;
  int64_t StreamPosition = 0;
};

// Decodes image data into Width x Height pixels filled with Fill beforehand.
inline TDecoded DecodeImage(const Bytes& Data, int Width, int Height, bool Interlaced = false,
                            uint8_t Fill = 0) {
  TDecoded Result;
  Result.Pixels.assign(static_cast<size_t>(Width) * Height, Fill);
  std::unique_ptr<TMemoryStream> Stream(NewStreamOf(Data));
  DecodeImageData(Stream.get(), Result.Pixels.data(), Width, Height, Interlaced,
                  [&](int, const std::string& Message) { Result.Warnings.push_back(Message); });
  Result.StreamPosition = Stream->Position();
  return Result;
}

// The image data cut into other sub-block lengths, taken in turn from Lengths.
inline Bytes Reblock(const Bytes& Data, const std::vector<int>& Lengths) {
  Bytes Codes;
  size_t Pos = 1;
  while (Data[Pos]) {
    Codes.insert(Codes.end(), Data.begin() + static_cast<ptrdiff_t>(Pos) + 1,
                 Data.begin() + static_cast<ptrdiff_t>(Pos) + 1 + Data[Pos]);
    Pos += Data[Pos] + 1u;
  }
  Bytes Result{Data[0]};
  size_t Taken = 0;
  for (size_t I = 0; Taken < Codes.size(); ++I) {
    const size_t Length =
        std::min<size_t>(static_cast<size_t>(Lengths[I % Lengths.size()]), Codes.size() - Taken);
    Result.push_back(static_cast<uint8_t>(Length));
    Result.insert(Result.end(), Codes.begin() + static_cast<ptrdiff_t>(Taken),
                  Codes.begin() + static_cast<ptrdiff_t>(Taken + Length));
    Taken += Length;
  }
  Result.push_back(0);
  return Result;
}

// Packs codes least significant bit first with the widths of the given list, as sub-blocks after the
// minimum code size.
inline Bytes PackCodes(int MinimumCodeSize, const std::vector<std::pair<int, int>>& CodesAndWidths) {
  Bytes Packed;
  uint32_t Buffer = 0;
  int Bits = 0;
  for (auto [Code, Width] : CodesAndWidths) {
    Buffer |= static_cast<uint32_t>(Code) << Bits;
    Bits += Width;
    while (Bits >= 8) {
      Packed.push_back(static_cast<uint8_t>(Buffer));
      Buffer >>= 8;
      Bits -= 8;
    }
  }
  if (Bits > 0) Packed.push_back(static_cast<uint8_t>(Buffer));
  Bytes Result{static_cast<uint8_t>(MinimumCodeSize)};
  for (size_t Pos = 0; Pos < Packed.size(); Pos += 255) {
    const size_t Length = std::min<size_t>(255, Packed.size() - Pos);
    Result.push_back(static_cast<uint8_t>(Length));
    Result.insert(Result.end(), Packed.begin() + static_cast<ptrdiff_t>(Pos),
                  Packed.begin() + static_cast<ptrdiff_t>(Pos + Length));
  }
  Result.push_back(0);
  return Result;
}

inline  // Codes with the widths a standard decoder reads them at: after a clear the width is the minimum code
        // size + 1, and it grows after the code whose table entry makes the next free code reach 2^width.
    std::vector<std::pair<int, int>>
    StandardWidths(int MinimumCodeSize, const std::vector<int>& Codes) {
  const int Clear = 1 << MinimumCodeSize;
  std::vector<std::pair<int, int>> Result;
  int Width = MinimumCodeSize + 1;
  int NextFree = Clear + 2;
  bool First = true;
  for (int Code : Codes) {
    Result.push_back({Code, Width});
    if (Code == Clear) {
      Width = MinimumCodeSize + 1;
      NextFree = Clear + 2;
      First = true;
    } else if (First) {
      First = false;
    } else if (NextFree < 4096 && ++NextFree == 1 << Width && Width < 12) {
      ++Width;
    }
  }
  return Result;
}

inline Bytes operator+(Bytes A, const Bytes& B) {
  A.insert(A.end(), B.begin(), B.end());
  return A;
}

// The folder that the oracle script prepared: "fixtures" holds GIFs made by the tools, "output" takes
// the GIFs that the tests write for the tools to check.
inline std::wstring OracleFolder(const wchar_t* Sub) {
  return FixtureFolder(L"GIF_TESTDATA") + L"\\" + Sub;
}

inline std::string ReadText(const std::wstring& FileName) {
  const Bytes Data = ReadBytes(FileName);
  return std::string(Data.begin(), Data.end());
}

inline void WriteText(const std::wstring& FileName, const std::string& Text) {
  WriteBytes(FileName, Bytes(Text.begin(), Text.end()));
}

// The animations that the tools made (each NAME.gif, NAME.desc and NAME.coalesced in "fixtures").
inline std::vector<std::string> AnimationNames() {
  std::vector<std::string> Names;
  std::istringstream Animations(ReadText(OracleFolder(L"fixtures") + L"\\animations.txt"));
  for (std::string Line; std::getline(Animations, Line);)
    if (!Line.empty()) Names.push_back(Line);
  return Names;
}

// The picture in the one text form that tests/gif/oracle.py also gives for a file (see describe()
// there): what the tools report of a file must read the same.
inline std::string HexOf(const uint8_t* Data, size_t Size) {
  static const char Digits[] = "0123456789abcdef";
  std::string Result;
  for (size_t I = 0; I < Size; ++I) {
    Result += Digits[Data[I] >> 4];
    Result += Digits[Data[I] & 15];
  }
  return Result;
}

inline std::string TableText(TGIFColorMap* Map) {
  if (Map->Count() == 0) return "none";
  std::string Result;
  for (int I = 0; I < 1 << Map->BitsPerPixel(); ++I) {
    const TGIFColor C = I < Map->Count() ? Map->Entry(I) : TGIFColor{0, 0, 0};
    const uint8_t Bytes[3] = {C.Red, C.Green, C.Blue};
    Result += (I ? " " : "") + HexOf(Bytes, 3);
  }
  return Result;
}

inline std::string Describe(TGIFPicture& Picture) {
  std::ostringstream Out;
  Out << "version " << (Picture.GetVersion() == fv89a ? "89a" : "87a") << "\n";
  TGIFHeader* Header = Picture.Header();
  Out << "screen " << Header->Width() << " " << Header->Height() << " background "
      << int{Header->BackgroundColorIndex()} << " aspect " << int{Header->AspectRatio()} << "\n";
  Out << "global " << TableText(Header->ColorMap()) << "\n";
  for (int I = 0; I < Picture.Frames()->Count(); ++I)
    for (int E = 0; E < Picture.Frame(I)->Extensions()->Count(); ++E)
      if (auto* Loop = dynamic_cast<TGIFAppExtNSLoop*>(Picture.Frame(I)->Extensions()->Extension(E))) {
        Out << "loop " << Loop->RepeatCount << "\n";
        I = Picture.Frames()->Count() - 1;
        break;
      }
  for (int I = 0; I < Picture.Frames()->Count(); ++I) {
    TGIFSubImage* Frame = Picture.Frame(I);
    Out << "frame " << Frame->Left() << " " << Frame->Top() << " " << Frame->Width() << " " << Frame->Height()
        << " interlaced " << (Frame->IsInterlaced() ? 1 : 0) << "\n";
    Out << " local " << TableText(Frame->LocalColorMap()) << "\n";
    if (TGIFGraphicControlExtension* Control = Frame->GraphicControlExtension())
      Out << " control disposal " << int{Control->GetDisposal()} << " input "
          << (Control->GetUserInput() ? 1 : 0) << " delay " << Control->GetDelay() << " transparent "
          << (Control->GetTransparent() ? int{Control->GetTransparentColorIndex()} : -1) << "\n";
    for (int E = 0; E < Frame->Extensions()->Count(); ++E)
      if (auto* App = dynamic_cast<TGIFUnknownAppExtension*>(Frame->Extensions()->Extension(E))) {
        Bytes Blocks;
        for (const auto& Block : App->Blocks()) {
          Blocks.push_back(static_cast<uint8_t>(Block.size()));
          Blocks.insert(Blocks.end(), Block.begin(), Block.end());
        }
        const std::string Id = App->IdentifierAndCode();
        Out << " app " << HexOf(reinterpret_cast<const uint8_t*>(Id.data()), 11) << " "
            << HexOf(Blocks.data(), Blocks.size()) << "\n";
      }
    for (int E = 0; E < Frame->Extensions()->Count(); ++E)
      if (auto* Comment = dynamic_cast<TGIFCommentExtension*>(Frame->Extensions()->Extension(E))) {
        std::string Text;
        for (int L = 0; L < Comment->Text()->Count(); ++L) Text += Comment->Text()->Get(L);
        Out << " comment " << HexOf(reinterpret_cast<const uint8_t*>(Text.data()), Text.size()) << "\n";
      }
    Out << " pixels " << HexOf(Frame->Pixels().data(), Frame->Pixels().size()) << "\n";
  }
  return Out.str();
}

// Loads a picture from bytes, collecting its warnings.
struct TLoaded {
  std::unique_ptr<TGIFPicture> Picture = std::make_unique<TGIFPicture>();
  std::vector<std::string> Warnings;
  std::wstring Error;  // the message of the error that ended the load, if any
};

inline TLoaded LoadGif(const Bytes& Data) {
  TLoaded Result;
  Result.Picture->OnWarningMessage = [&Warnings = Result.Warnings](TObject*, int,
                                                                   const std::string& Message) {
    Warnings.push_back(Message);
  };
  std::unique_ptr<TMemoryStream> Stream(NewStreamOf(Data));
  try {
    Result.Picture->LoadFromStream(Stream.get());
  } catch (const Exception& Error) {
    Result.Error = Error.Message();
  }
  Result.Picture->OnWarningMessage = nullptr;
  return Result;
}

inline Bytes SaveGif(TGIFPicture& Picture) {
  TMemoryStream Stream;
  Picture.SaveToStream(&Stream);
  return BytesOf(Stream);
}
