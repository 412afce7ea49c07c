#pragma once
// The file stream of the tag readers. They seek about and read small pieces; under a slow file system
// every seek and size query is a call to the system. This stream reads the file's head once when it
// opens, keeps its position and size to itself, and reads anything past the head at its own offset.
#include <cstdint>
#include <memory>
#include <string>

#include "Imports/UCodeClasses.h"

class TTagFileStream : public TUCodeFileStream {
 public:
  // Opens for reading, others may read; raises EFOpenError as TUCodeFileStream does.
  explicit TTagFileStream(const std::wstring& FileName);

  int32_t Read(void* Buffer, int32_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  int64_t Size() override { return FSize; }

  // Enough for the tags and the first frames of nearly every file.
  static constexpr size_t HeadSize = 64 * 1024;

 private:
  int32_t ReadFromFile(void* Buffer, int32_t Count);

  std::unique_ptr<uint8_t[]> FHead;
  uint64_t FHeadSize = 0;  // bytes in the head: HeadSize, or the whole file when it is shorter
  int64_t FSize = 0;
  int64_t FPosition = 0;
};
