#include "classlib/Streams.h"

#include <algorithm>
#include <cstring>

#include "classlib/SysUtils.h"

// ---------------------------------------------------------------------------------------------
// TStream

int64_t TStream::Size() {
  const int64_t Pos = Seek(0, soCurrent);
  const int64_t Result = Seek(0, soEnd);
  Seek(Pos, soBeginning);
  return Result;
}

void TStream::SetSize(int64_t /*NewSize*/) {
  throw EStreamError(L"Stream size cannot be changed");
}

void TStream::ReadBuffer(void* Buffer, int32_t Count) {
  if (Count != 0 && Read(Buffer, Count) != Count) throw EReadError(L"Stream read error");
}

void TStream::WriteBuffer(const void* Buffer, int32_t Count) {
  if (Count != 0 && Write(Buffer, Count) != Count) throw EWriteError(L"Stream write error");
}

int64_t TStream::CopyFrom(TStream* Source, int64_t Count) {
  constexpr int64_t MaxBufSize = 0x10000;
  if (Count == 0) {
    Source->SetPosition(0);
    Count = Source->Size();
  }
  std::vector<uint8_t> Buffer(static_cast<size_t>(std::min(Count, MaxBufSize)));
  for (int64_t Left = Count; Left > 0;) {
    const int32_t N = static_cast<int32_t>(std::min(Left, MaxBufSize));
    Source->ReadBuffer(Buffer.data(), N);
    WriteBuffer(Buffer.data(), N);
    Left -= N;
  }
  return Count;
}

// ---------------------------------------------------------------------------------------------
// THandleStream

int32_t THandleStream::Read(void* Buffer, int32_t Count) {
  DWORD Done = 0;
  if (Count <= 0) return 0;
  ReadFile(FHandle, Buffer, static_cast<DWORD>(Count), &Done, nullptr);
  return static_cast<int32_t>(Done);
}

int32_t THandleStream::Write(const void* Buffer, int32_t Count) {
  DWORD Done = 0;
  if (Count <= 0) return 0;
  WriteFile(FHandle, Buffer, static_cast<DWORD>(Count), &Done, nullptr);
  return static_cast<int32_t>(Done);
}

// -1 when the system refuses the position.
int64_t THandleStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  static const DWORD Methods[] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
  LARGE_INTEGER Distance;
  LARGE_INTEGER NewPos;
  Distance.QuadPart = Offset;
  if (!SetFilePointerEx(FHandle, Distance, &NewPos, Methods[Origin])) return -1;
  return NewPos.QuadPart;
}

void THandleStream::SetSize(int64_t NewSize) {
  Seek(NewSize, soBeginning);
  if (!SetEndOfFile(FHandle)) RaiseLastOSError();
}

// ---------------------------------------------------------------------------------------------
// TFileStream

DWORD FileModeAccess(uint16_t Mode) {
  static const DWORD Access[] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE, 0};
  return Access[Mode & 3];
}

DWORD FileModeShare(uint16_t Mode) {
  static const DWORD Share[] = {0, 0, FILE_SHARE_READ, FILE_SHARE_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE};
  const unsigned Index = (Mode & 0xF0) >> 4;
  return Index < 5 ? Share[Index] : 0;
}

namespace {

std::wstring FullPathOf(const std::string& FileName) {
  const DWORD Length = GetFullPathNameA(FileName.c_str(), 0, nullptr, nullptr);
  if (Length == 0) return AnsiToWide(FileName);
  std::string Path(Length, '\0');
  const DWORD Written = GetFullPathNameA(FileName.c_str(), Length, Path.data(), nullptr);
  Path.resize(Written < Length ? Written : 0);
  return AnsiToWide(Path);
}

HANDLE OpenFileStream(const std::string& FileName, uint16_t Mode) {
  const bool Create = Mode == fmCreate;
  const HANDLE Handle = Create ? CreateFileA(FileName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)
                               : CreateFileA(FileName.c_str(), FileModeAccess(Mode), FileModeShare(Mode),
                                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (Handle != INVALID_HANDLE_VALUE) return Handle;
  const std::wstring Reason = SysErrorMessage(GetLastError());
  const std::wstring Path = FullPathOf(FileName);
  if (Create) throw EFCreateError(Format(L"Cannot create file \"%s\". %s", {Path, Reason}));
  throw EFOpenError(Format(L"Cannot open file \"%s\". %s", {Path, Reason}));
}

}  // namespace

TFileStream::TFileStream(const std::string& FileName, uint16_t Mode)
    : THandleStream(OpenFileStream(FileName, Mode)), FFileName(FileName) {}

TFileStream::~TFileStream() {
  CloseHandle(FHandle);
}

// ---------------------------------------------------------------------------------------------
// TMemoryStream

int32_t TMemoryStream::Read(void* Buffer, int32_t Count) {
  const int64_t Available = Size() - FPosition;
  if (FPosition < 0 || Count <= 0 || Available <= 0) return 0;
  const int32_t N = static_cast<int32_t>(std::min<int64_t>(Count, Available));
  std::memcpy(Buffer, FData.data() + FPosition, static_cast<size_t>(N));
  FPosition += N;
  return N;
}

int32_t TMemoryStream::Write(const void* Buffer, int32_t Count) {
  if (FPosition < 0 || Count <= 0) return 0;
  const int64_t End = FPosition + Count;
  if (End > Size()) FData.resize(static_cast<size_t>(End));
  std::memcpy(FData.data() + FPosition, Buffer, static_cast<size_t>(Count));
  FPosition = End;
  return Count;
}

int64_t TMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  switch (Origin) {
    case soBeginning:
      FPosition = Offset;
      break;
    case soCurrent:
      FPosition += Offset;
      break;
    case soEnd:
      FPosition = Size() + Offset;
      break;
  }
  return FPosition;
}

void TMemoryStream::SetSize(int64_t NewSize) {
  FData.resize(static_cast<size_t>(std::max<int64_t>(NewSize, 0)));
  if (FPosition > Size()) FPosition = Size();
}

void TMemoryStream::Clear() {
  FData.clear();
  FData.shrink_to_fit();
  FPosition = 0;
}

namespace {

// Moves Count bytes in chunks that the 32-bit counts of Read and Write can carry.
template <class TMove>
void InChunks(uint8_t* Data, int64_t Count, TMove MoveChunk) {
  constexpr int64_t MaxChunk = 0x40000000;
  for (int64_t Done = 0; Done < Count;) {
    const int32_t N = static_cast<int32_t>(std::min(Count - Done, MaxChunk));
    MoveChunk(Data + Done, N);
    Done += N;
  }
}

}  // namespace

void TMemoryStream::LoadFromStream(TStream* Stream) {
  Stream->SetPosition(0);
  const int64_t Count = Stream->Size();
  SetSize(Count);
  InChunks(FData.data(), Count, [Stream](uint8_t* Chunk, int32_t N) { Stream->ReadBuffer(Chunk, N); });
}

void TMemoryStream::SaveToStream(TStream* Stream) {
  InChunks(FData.data(), Size(), [Stream](uint8_t* Chunk, int32_t N) { Stream->WriteBuffer(Chunk, N); });
}
