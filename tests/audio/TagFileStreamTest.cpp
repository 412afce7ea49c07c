#include "audio/TagFileStream.h"

#include <gtest/gtest.h>

#include <random>

#include "classlib/SysUtils.h"
#include "tests/support/TestFiles.h"
#include "tests/support/Trace.h"

namespace {

Bytes Pattern(size_t Size) {
  Bytes Data(Size);
  for (size_t I = 0; I < Size; ++I) Data[I] = static_cast<uint8_t>(I * 7 % 251);
  return Data;
}

// What a read of Count bytes at Position gives, and where the stream stands after it.
struct TReadResult {
  Bytes Data;
  int64_t Position;
  bool operator==(const TReadResult&) const = default;
};

TReadResult ReadAt(TStream& Stream, int64_t Position, TSeekOrigin Origin, int32_t Count) {
  Stream.Seek(Position, Origin);
  Bytes Data(static_cast<size_t>(Count));
  Data.resize(static_cast<size_t>(Stream.Read(Data.data(), Count)));
  return {Data, Stream.Position()};
}

class TagFileStream : public testing::Test {
 protected:
  std::wstring Write(size_t Size) {
    const std::wstring Name = Dir.File(std::to_wstring(Size) + L".bin");
    WriteBytes(Name, Pattern(Size));
    return Name;
  }
  TempDir Dir;
};

// Reads within the head, across its end, near the file's end and past it, against the plain file stream.
TEST_F(TagFileStream, ReadsWhatTheFileHolds) {
  const int64_t Head = TTagFileStream::HeadSize;
  for (const size_t Size : {size_t{0}, size_t{100}, size_t{Head}, size_t{3 * Head + 17}}) {
    TRACE_CASE(Size);
    const std::wstring Name = Write(Size);
    TTagFileStream Ours(Name);
    TUCodeFileStream Plain(Name, fmOpenRead | fmShareDenyNone);
    EXPECT_EQ(Ours.Size(), static_cast<int64_t>(Size));
    std::mt19937 Random(static_cast<unsigned>(Size));
    std::uniform_int_distribution<int64_t> Offset(0, static_cast<int64_t>(Size) + 300);
    std::uniform_int_distribution<int32_t> Count(1, 70000);
    for (int I = 0; I < 200; ++I) {
      const int64_t At = Offset(Random);
      const int32_t N = Count(Random);
      EXPECT_EQ(ReadAt(Ours, At, soBeginning, N), ReadAt(Plain, At, soBeginning, N)) << At << " " << N;
    }
    for (const int64_t At : {Head - 10, Head, int64_t{-128}, int64_t{-5}}) {
      const TSeekOrigin Origin = At < 0 ? soEnd : soBeginning;
      if (Origin == soEnd && static_cast<int64_t>(Size) + At < 0) continue;
      EXPECT_EQ(ReadAt(Ours, At, Origin, 128), ReadAt(Plain, At, Origin, 128)) << At;
    }
  }
}

TEST_F(TagFileStream, SeeksWithoutTheFile) {
  TTagFileStream Stream(Write(1000));
  EXPECT_EQ(Stream.Seek(10, soBeginning), 10);
  EXPECT_EQ(Stream.Seek(5, soCurrent), 15);
  EXPECT_EQ(Stream.Seek(-100, soEnd), 900);
  EXPECT_EQ(Stream.Seek(2000, soBeginning), 2000);  // past the end, as a file allows
  uint8_t Byte;
  EXPECT_EQ(Stream.Read(&Byte, 1), 0);
  // A position before the start is refused and the stream stays where it was.
  EXPECT_EQ(Stream.Seek(-1, soBeginning), -1);
  EXPECT_EQ(Stream.Seek(-1001, soEnd), -1);
  EXPECT_EQ(Stream.Position(), 2000);
}

TEST_F(TagFileStream, MissingFileRaisesLikeTheFileStream) {
  EXPECT_THROW(TTagFileStream Stream(Dir.File(L"missing.mp3")), EFOpenError);
}

}  // namespace
