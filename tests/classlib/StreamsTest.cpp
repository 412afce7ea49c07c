#include "classlib/Streams.h"

#include <gtest/gtest.h>

#include <cstring>

#include "classlib/SysUtils.h"
#include "tests/classlib/RaisedMessage.h"
#include "tests/support/TestFiles.h"

namespace {

Bytes Pattern(size_t Count) {
  Bytes Data(Count);
  for (size_t I = 0; I < Count; ++I) Data[I] = static_cast<uint8_t>(I * 7 + I / 251);
  return Data;
}

std::string Ansi(const std::wstring& S) {
  return WideToAnsi(S);
}

// Runs the test with the current folder set to Folder.
class TCurrentFolder {
 public:
  explicit TCurrentFolder(const std::wstring& Folder) {
    GetCurrentDirectoryW(MAX_PATH, FSaved);
    SetCurrentDirectoryW(Folder.c_str());
  }
  ~TCurrentFolder() { SetCurrentDirectoryW(FSaved); }

 private:
  wchar_t FSaved[MAX_PATH];
};

}  // namespace

TEST(StreamsMemory, ReadsWritesAndSeeks) {
  TMemoryStream S;
  S.WriteBuffer("abcdef", 6);
  EXPECT_EQ(2, S.Seek(-4, soCurrent));
  S.WriteBuffer("XY", 2);  // overwrites inside
  char Buffer[8] = {};
  EXPECT_EQ(3, S.Seek(-3, soEnd));
  EXPECT_EQ(3, S.Read(Buffer, 8));  // short at the end
  EXPECT_STREQ("Yef", Buffer);
  S.SetSize(2);  // the position follows a shrinking end
  EXPECT_EQ(2, S.Position());
}

TEST(StreamsMemory, PositionsBeyondFourGiBAreKept) {
  TMemoryStream S;
  S.WriteBuffer("abc", 3);
  const int64_t Far = 0x140000003LL;
  EXPECT_EQ(Far, S.Seek(Far, soBeginning));
  EXPECT_EQ(Far + 0x100000000LL, S.Seek(0x100000000LL, soCurrent));
  EXPECT_EQ(3 - 0x100000000LL, S.Seek(-0x100000000LL, soEnd));
  char C;
  EXPECT_EQ(0, S.Read(&C, 1));  // before the start
  EXPECT_EQ(0, S.Write(&C, 1));
  S.SetPosition(Far);
  EXPECT_EQ(0, S.Read(&C, 1));  // past the end
  EXPECT_EQ(3, S.Size());
}

TEST(StreamsMemory, ReadBufferShortOfDataRaises) {
  TMemoryStream S;
  S.WriteBuffer("ab", 2);
  S.SetPosition(1);
  char Buffer[2];
  EXPECT_EQ(L"Stream read error", MessageOf<EReadError>([&] { S.ReadBuffer(Buffer, 2); }));
  S.ReadBuffer(Buffer, 0);  // nothing asked, nothing missing
}

TEST(StreamsMemory, CopyFromInChunksAndWhole) {
  const Bytes Data = Pattern(200000);  // more than three chunks
  TMemoryStream Source;
  Source.WriteBuffer(Data.data(), static_cast<int32_t>(Data.size()));

  TMemoryStream Whole;
  Source.SetPosition(12345);
  EXPECT_EQ(200000, Whole.CopyFrom(&Source, 0));  // 0 copies all from the start
  ASSERT_EQ(200000, Whole.Size());
  EXPECT_EQ(0, std::memcmp(Whole.Memory(), Data.data(), Data.size()));

  TMemoryStream Part;
  Source.SetPosition(100);
  EXPECT_EQ(150000, Part.CopyFrom(&Source, 150000));
  EXPECT_EQ(0, std::memcmp(Part.Memory(), Data.data() + 100, 150000));
  EXPECT_THROW(Part.CopyFrom(&Source, 100000), EReadError);  // only 49900 left

  TMemoryStream Loaded;
  Loaded.LoadFromStream(&Source);
  EXPECT_EQ(200000, Loaded.Size());
  EXPECT_EQ(0, Loaded.Position());
}

TEST(StreamsFile, CreateWriteResizeAndReopen) {
  TempDir Dir;
  const std::string Name = Ansi(Dir.File(L"data.bin"));
  {
    TFileStream S(Name, fmCreate);
    S.WriteBuffer("0123456789", 10);
    EXPECT_EQ(10, S.Size());
    EXPECT_EQ(10, S.Position());  // Size leaves the position alone
    S.SetSize(4);
  }
  EXPECT_EQ(B("0123", 4), ReadBytes(Dir.File(L"data.bin")));

  TFileStream Reader(Name, fmOpenRead | fmShareDenyWrite);
  EXPECT_EQ(2, Reader.Seek(2, soBeginning));
  char Buffer[4];
  EXPECT_EQ(2, Reader.Read(Buffer, 4));
  EXPECT_EQ(0, Reader.Write("x", 1));  // opened for reading only
}

TEST(StreamsFile, ShareModesReachTheSystem) {
  TempDir Dir;
  const std::string Name = Ansi(Dir.File(L"shared.bin"));
  WriteBytes(Dir.File(L"shared.bin"), B("ab", 2));
  {
    TFileStream First(Name, fmOpenRead | fmShareDenyWrite);
    EXPECT_NO_THROW(TFileStream(Name, fmOpenRead | fmShareDenyNone));
    EXPECT_THROW(TFileStream(Name, fmOpenReadWrite | fmShareDenyNone), EFOpenError);
  }
  {
    TFileStream First(Name, fmOpenReadWrite | fmShareDenyNone);
    EXPECT_NO_THROW(TFileStream(Name, fmOpenWrite | fmShareDenyNone));
    EXPECT_THROW(TFileStream(Name, fmOpenRead | fmShareExclusive), EFOpenError);
  }
}

TEST(StreamsFile, ErrorsNameTheFullPath) {
  TempDir Dir;
  TCurrentFolder Here(Dir.Path());
  EXPECT_EQ(
      L"Cannot open file \"" + Dir.File(L"missing.txt") + L"\". " + SysErrorMessage(ERROR_FILE_NOT_FOUND),
      MessageOf<EFOpenError>([] { TFileStream("missing.txt", fmOpenRead); }));
  EXPECT_EQ(
      L"Cannot create file \"" + Dir.File(L"no\\new.txt") + L"\". " + SysErrorMessage(ERROR_PATH_NOT_FOUND),
      MessageOf<EFCreateError>([] { TFileStream("no\\new.txt", fmCreate); }));
}
