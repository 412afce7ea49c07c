#include "audio/TagFileStream.h"

#include <algorithm>
#include <cstring>

TTagFileStream::TTagFileStream(const std::wstring& FileName)
    : TUCodeFileStream(FileName, fmOpenRead | fmShareDenyWrite),
      FHead(std::make_unique_for_overwrite<uint8_t[]>(HeadSize)) {
  DWORD Done = 0;
  ReadFile(FHandle, FHead.get(), HeadSize, &Done, nullptr);
  FHeadSize = Done;
  // A head that the file did not fill is the whole file.
  FSize = Done;
  if (Done < HeadSize) return;
  LARGE_INTEGER Size{};
  GetFileSizeEx(FHandle, &Size);
  FSize = Size.QuadPart;
}

int32_t TTagFileStream::Read(void* Buffer, int32_t Count) {
  if (Count <= 0 || FPosition >= FSize) return 0;
  const uint64_t End = static_cast<uint64_t>(FPosition) + static_cast<uint32_t>(Count);
  if (End > FHeadSize && FHeadSize < static_cast<uint64_t>(FSize)) return ReadFromFile(Buffer, Count);
  const auto Done = static_cast<int32_t>(std::min<uint64_t>(End, FHeadSize) - FPosition);
  std::memcpy(Buffer, FHead.get() + FPosition, static_cast<size_t>(Done));
  FPosition += Done;
  return Done;
}

// Reads at the stream's own position, which the handle's file pointer does not follow.
int32_t TTagFileStream::ReadFromFile(void* Buffer, int32_t Count) {
  OVERLAPPED At{};
  At.Offset = static_cast<DWORD>(FPosition);
  At.OffsetHigh = static_cast<DWORD>(static_cast<uint64_t>(FPosition) >> 32);
  DWORD Done = 0;
  ReadFile(FHandle, Buffer, static_cast<DWORD>(Count), &Done, &At);
  FPosition += Done;
  return static_cast<int32_t>(Done);
}

// -1, the position unchanged, for a position before the start, as the system refuses it.
int64_t TTagFileStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  const int64_t Base = Origin == soBeginning ? 0 : Origin == soCurrent ? FPosition : FSize;
  if (Base + Offset < 0) return -1;
  FPosition = Base + Offset;
  return FPosition;
}
