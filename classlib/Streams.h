#pragma once
// Byte streams over file handles and memory.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "classlib/Classes.h"

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

// File modes: fmCreate, or an access value combined with a share value.
constexpr uint16_t fmCreate = 0xFFFF;
constexpr uint16_t fmOpenRead = 0x0000;
constexpr uint16_t fmOpenWrite = 0x0001;
constexpr uint16_t fmOpenReadWrite = 0x0002;
constexpr uint16_t fmShareCompat = 0x0000;
constexpr uint16_t fmShareExclusive = 0x0010;
constexpr uint16_t fmShareDenyWrite = 0x0020;
constexpr uint16_t fmShareDenyRead = 0x0030;
constexpr uint16_t fmShareDenyNone = 0x0040;

class TStream : public TObject {
 public:
  // Read and Write move up to Count bytes and return how many they moved.
  virtual int32_t Read(void* Buffer, int32_t Count) = 0;
  virtual int32_t Write(const void* Buffer, int32_t Count) = 0;
  // Returns the new position.
  virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;

  int64_t Position() { return Seek(0, soCurrent); }
  void SetPosition(int64_t Pos) { Seek(Pos, soBeginning); }
  virtual int64_t Size();
  virtual void SetSize(int64_t NewSize);

  // All Count bytes or EReadError "Stream read error" / EWriteError "Stream write error".
  void ReadBuffer(void* Buffer, int32_t Count);
  void WriteBuffer(const void* Buffer, int32_t Count);
  // Copies Count bytes from Source's position (Count 0: all of Source from its start).
  int64_t CopyFrom(TStream* Source, int64_t Count);
};

// A stream over a handle that it does not own.
class THandleStream : public TStream {
 public:
  explicit THandleStream(HANDLE AHandle) : FHandle(AHandle) {}
  HANDLE Handle() const { return FHandle; }
  int32_t Read(void* Buffer, int32_t Count) override;
  int32_t Write(const void* Buffer, int32_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  void SetSize(int64_t NewSize) override;

 protected:
  HANDLE FHandle;
};

// Maps a file mode to the access and share flags of CreateFile.
DWORD FileModeAccess(uint16_t Mode);
DWORD FileModeShare(uint16_t Mode);

// A file opened by an 8-bit name; owns its handle. A failure raises
// EFOpenError "Cannot open file \"%s\". %s" or EFCreateError "Cannot create file \"%s\". %s".
class TFileStream : public THandleStream {
 public:
  TFileStream(const std::string& FileName, uint16_t Mode);
  ~TFileStream() override;
  const std::string& FileName() const { return FFileName; }

 private:
  std::string FFileName;
};

class TMemoryStream : public TStream {
 public:
  int32_t Read(void* Buffer, int32_t Count) override;
  int32_t Write(const void* Buffer, int32_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  int64_t Size() override { return static_cast<int64_t>(FData.size()); }
  void SetSize(int64_t NewSize) override;
  void Clear();
  const uint8_t* Memory() const { return FData.data(); }
  uint8_t* Memory() { return FData.data(); }
  void LoadFromStream(TStream* Stream);  // the whole stream from its start
  void SaveToStream(TStream* Stream);

 private:
  std::vector<uint8_t> FData;
  int64_t FPosition = 0;
};
