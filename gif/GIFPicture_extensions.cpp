// Extensions: the graphic control, plain text, comment and application blocks before a frame's image,
// and the registries that choose the class reading each block.
#include <algorithm>
#include <cstring>

#include "gif/GIFPicture.h"

namespace {

struct TLabelEntry {
  uint8_t Label;
  TGIFExtensionFactory Factory;
};

struct TAppEntry {
  std::string Id;  // 11 bytes
  TGIFExtensionFactory Factory;
};

TGIFExtension* NewGraphicControl(TGIFSubImage* Frame, TStream*) {
  return new TGIFGraphicControlExtension(Frame);
}
TGIFExtension* NewText(TGIFSubImage* Frame, TStream*) {
  return new TGIFTextExtension(Frame);
}
TGIFExtension* NewComment(TGIFSubImage* Frame, TStream*) {
  return new TGIFCommentExtension(Frame);
}
TGIFExtension* NewLoop(TGIFSubImage* Frame, TStream*) {
  return new TGIFAppExtNSLoop(Frame);
}
TGIFExtension* NewApplication(TGIFSubImage* Frame, TStream* Stream);

std::vector<TLabelEntry>& LabelRegistry() {
  static std::vector<TLabelEntry> List{
      {0x01, NewText}, {0xF9, NewGraphicControl}, {0xFE, NewComment}, {0xFF, NewApplication}};
  return List;
}

std::vector<TAppEntry>& AppRegistry() {
  static std::vector<TAppEntry> List{{"NETSCAPE2.0", NewLoop}, {"ANIMEXTS1.0", NewLoop}};
  return List;
}

// The application's class by its identifier and code; every block size has one that can read it (a size
// below 10 then fails with the application extension's own error), so no block reaches the abstract
// application extension.
TGIFExtension* NewApplication(TGIFSubImage* Frame, TStream* Stream) {
  const int64_t Start = Stream->Position();
  const int Size = ReadStreamByte(Stream);
  char Id[11] = {};
  const bool Known = Size >= 11 && Stream->Read(Id, 11) == 11;
  Stream->SetPosition(Start);
  if (Size < 0) return nullptr;
  if (Known) {
    const auto& List = AppRegistry();
    for (auto It = List.rbegin(); It != List.rend(); ++It)
      if (std::memcmp(It->Id.data(), Id, 11) == 0) return It->Factory(Frame, Stream);
  }
  return new TGIFUnknownAppExtension(Frame);
}

// Skips sub-blocks up to and with the zero-length block, or to the end of the stream.
void SkipSubBlocks(TStream* Stream) {
  uint8_t Skipped[255];
  for (int Length = ReadStreamByte(Stream); Length > 0; Length = ReadStreamByte(Stream))
    if (Stream->Read(Skipped, Length) < Length) return;
}

void Write16(TStream* Stream, uint16_t Value) {
  const uint8_t Bytes[2] = {static_cast<uint8_t>(Value), static_cast<uint8_t>(Value >> 8)};
  Stream->WriteBuffer(Bytes, 2);
}

uint16_t Read16(const uint8_t* Bytes) {
  return static_cast<uint16_t>(Bytes[0] | Bytes[1] << 8);
}

}  // namespace

void RegisterGIFExtension(uint8_t Label, TGIFExtensionFactory Factory) {
  LabelRegistry().push_back({Label, Factory});
}

void RegisterGIFAppExtension(const std::string& IdentifierAndCode, TGIFExtensionFactory Factory) {
  std::string Id = IdentifierAndCode;
  Id.resize(11, '\0');
  AppRegistry().push_back({Id, Factory});
}

// ---------------------------------------------------------------------------------------------
// TGIFExtension

TGIFExtension::TGIFExtension(TGIFSubImage* AFrame) : TGIFItem(AFrame->Image()), FFrame(AFrame) {}

TGIFExtension::~TGIFExtension() {
  FFrame->Extensions()->Remove(this);
}

void TGIFExtension::SaveToStream(TStream* Stream) {
  const uint8_t Head[2] = {0x21, ExtensionLabel()};
  Stream->WriteBuffer(Head, 2);
}

void TGIFExtension::LoadFromStream(TStream* Stream) {
  uint8_t Head[2];
  ReadExact(Stream, Head, 2);
  if (Head[0] != 0x21) RaiseGIFError("Invalid extension introducer");
  if (Head[1] != ExtensionLabel())
    RaiseGIFError("Internal error: Extension Instance does not match Extension Label");
}

// ---------------------------------------------------------------------------------------------
// TGIFGraphicControlExtension

// The newest block speaks for the frame, as the last one read does.
TGIFGraphicControlExtension::TGIFGraphicControlExtension(TGIFSubImage* AFrame) : TGIFExtension(AFrame) {
  MakeCurrent();
}

// The frame's flag, index, delay and disposal all come from one block: a block that leaves hands over to
// the last other block still before the image.
TGIFGraphicControlExtension::~TGIFGraphicControlExtension() {
  TGIFSubImage* Owner = Frame();
  if (Owner->FGraphicControlExtension != this) return;
  Owner->FGraphicControlExtension = nullptr;
  Owner->FTransparent = false;
  for (int I = Owner->Extensions()->Count() - 1; I >= 0; --I) {
    auto* Other = dynamic_cast<TGIFGraphicControlExtension*>(Owner->Extensions()->Extension(I));
    if (Other && Other != this) {
      Other->MakeCurrent();
      return;
    }
  }
}

void TGIFGraphicControlExtension::MakeCurrent() {
  Frame()->FGraphicControlExtension = this;
  Frame()->FTransparent = GetTransparent();
}

void TGIFGraphicControlExtension::SaveToStream(TStream* Stream) {
  TGIFExtension::SaveToStream(Stream);
  const uint8_t Block[6] = {FBlockSize,
                            FPackedFields,
                            static_cast<uint8_t>(FDelay),
                            static_cast<uint8_t>(FDelay >> 8),
                            FTransparentColorIndex,
                            FTerminator};
  Stream->WriteBuffer(Block, 6);
}

void TGIFGraphicControlExtension::LoadFromStream(TStream* Stream) {
  TGIFExtension::LoadFromStream(Stream);
  uint8_t Block[6] = {};
  const int32_t Read = Stream->Read(Block, 6);
  FBlockSize = Block[0];
  FPackedFields = Block[1];
  FDelay = Read16(Block + 2);
  FTransparentColorIndex = Block[4];
  FTerminator = Block[5];
  // Every common reader takes the last block before the image.
  MakeCurrent();
  if (Read < 6) {
    Frame()->FTransparent = false;  // a cut block names no transparent colour
    Warning(1, "Premature end of data");
  }
}

void TGIFGraphicControlExtension::SetTransparent(bool Value) {
  FPackedFields = static_cast<uint8_t>((FPackedFields & ~1) | (Value ? 1 : 0));
  if (Frame()->FGraphicControlExtension == this) Frame()->FTransparent = Value;
}

void TGIFGraphicControlExtension::SetTransparentColorIndex(uint8_t Value) {
  const TGIFColorMap* Map = Frame()->EffectiveColorMap();
  if (Map->Count() > 0 && Value >= Map->Count()) {
    Warning(1, "Invalid color index");
    Value = 0;
  }
  FTransparentColorIndex = Value;
}

void TGIFGraphicControlExtension::SetDisposal(TGIFDisposal Value) {
  FPackedFields = static_cast<uint8_t>((FPackedFields & 0xE3) | ((Value << 2) & 0x1C));
}

// ---------------------------------------------------------------------------------------------
// TGIFTextExtension, TGIFCommentExtension

void TGIFTextExtension::SaveToStream(TStream* Stream) {
  TGIFExtension::SaveToStream(Stream);
  WriteStreamByte(Stream, FBlockSize);
  for (uint16_t Value : {GridLeft, GridTop, GridWidth, GridHeight}) Write16(Stream, Value);
  const uint8_t Cells[4] = {CellWidth, CellHeight, ForegroundColorIndex, BackgroundColorIndex};
  Stream->WriteBuffer(Cells, 4);
  WriteSubBlockText(Stream, &FText);
}

void TGIFTextExtension::LoadFromStream(TStream* Stream) {
  TGIFExtension::LoadFromStream(Stream);
  uint8_t Block[13];
  ReadExact(Stream, Block, 13);
  FBlockSize = Block[0];
  GridLeft = Read16(Block + 1);
  GridTop = Read16(Block + 3);
  GridWidth = Read16(Block + 5);
  GridHeight = Read16(Block + 7);
  CellWidth = Block[9];
  CellHeight = Block[10];
  ForegroundColorIndex = Block[11];
  BackgroundColorIndex = Block[12];
  ReadSubBlockText(Stream, &FText);
}

void TGIFCommentExtension::SaveToStream(TStream* Stream) {
  TGIFExtension::SaveToStream(Stream);
  WriteSubBlockText(Stream, &FText);
}

void TGIFCommentExtension::LoadFromStream(TStream* Stream) {
  TGIFExtension::LoadFromStream(Stream);
  ReadSubBlockText(Stream, &FText);
}

// ---------------------------------------------------------------------------------------------
// Application extensions

void TGIFApplicationExtension::SetIdentifierAndCode(const std::string& Value) {
  std::memset(FIdentifier, 0, sizeof(FIdentifier));
  std::memcpy(FIdentifier, Value.data(), std::min<size_t>(Value.size(), 11));
}

void TGIFApplicationExtension::SaveToStream(TStream* Stream) {
  TGIFExtension::SaveToStream(Stream);
  WriteStreamByte(Stream, 11);
  Stream->WriteBuffer(FIdentifier, 11);
  SaveData(Stream);
}

void TGIFApplicationExtension::LoadFromStream(TStream* Stream) {
  TGIFExtension::LoadFromStream(Stream);
  const int Size = ReadStreamByte(Stream);
  if (Size < 0) RaiseGIFError("Premature end of data");
  std::memset(FIdentifier, 0, sizeof(FIdentifier));
  if (Size == 10) {
    ReadExact(Stream, FIdentifier, 10);
  } else if (Size < 11) {
    RaiseGIFError("Unsupported Application Extension block size");
  } else {
    ReadExact(Stream, FIdentifier, 11);
    uint8_t Rest[255];
    ReadExact(Stream, Rest, Size - 11);
  }
  LoadData(Stream);
}

void TGIFUnknownAppExtension::SaveData(TStream* Stream) {
  for (const std::vector<uint8_t>& Block : FBlocks) {
    WriteStreamByte(Stream, static_cast<uint8_t>(Block.size()));
    Stream->WriteBuffer(Block.data(), static_cast<int32_t>(Block.size()));
  }
  WriteStreamByte(Stream, 0);
}

void TGIFUnknownAppExtension::LoadData(TStream* Stream) {
  FBlocks.clear();
  for (int Size = ReadStreamByte(Stream); Size > 0; Size = ReadStreamByte(Stream)) {
    std::vector<uint8_t> Block(static_cast<size_t>(Size));
    ReadExact(Stream, Block.data(), Size);
    FBlocks.push_back(std::move(Block));
  }
}

TGIFAppExtNSLoop::TGIFAppExtNSLoop(TGIFSubImage* AFrame) : TGIFApplicationExtension(AFrame) {
  SetIdentifierAndCode("NETSCAPE2.0");
}

void TGIFAppExtNSLoop::SaveData(TStream* Stream) {
  const uint8_t Loop[4] = {3, 1, static_cast<uint8_t>(RepeatCount), static_cast<uint8_t>(RepeatCount >> 8)};
  Stream->WriteBuffer(Loop, 4);
  if (StreamBufferSize != 0) {
    const uint8_t Buffer[6] = {5,
                               2,
                               static_cast<uint8_t>(StreamBufferSize),
                               static_cast<uint8_t>(StreamBufferSize >> 8),
                               static_cast<uint8_t>(StreamBufferSize >> 16),
                               static_cast<uint8_t>(StreamBufferSize >> 24)};
    Stream->WriteBuffer(Buffer, 6);
  }
  WriteStreamByte(Stream, 0);
}

void TGIFAppExtNSLoop::LoadData(TStream* Stream) {
  for (int Size = ReadStreamByte(Stream); Size > 0; Size = ReadStreamByte(Stream)) {
    uint8_t Block[255];
    ReadExact(Stream, Block, Size);
    const int Id = Block[0] & 7;
    if (Id == 1) {
      if (Size < 3) RaiseGIFError("Invalid GIF data");
      RepeatCount = Read16(Block + 1);
    } else if (Id == 2) {
      if (Size < 5) RaiseGIFError("Invalid GIF data");
      StreamBufferSize = static_cast<uint32_t>(Block[1] | Block[2] << 8 | Block[3] << 16) |
                         static_cast<uint32_t>(Block[4]) << 24;
    }
  }
}

// ---------------------------------------------------------------------------------------------
// TGIFExtensionList

TGIFExtension* TGIFExtensionList::Extension(int Index) const {
  return static_cast<TGIFExtension*>(GetItem(Index));
}

void TGIFExtensionList::LoadFromStream(TStream* Stream, TGIFSubImage* Parent) {
  bool TooMany = false;
  for (int Byte = ReadStreamByte(Stream); Byte != 0x2C && Byte != 0x3B; Byte = ReadStreamByte(Stream)) {
    if (Byte < 0) return;
    if (Byte != 0x21) {
      Warning(1, "Invalid extension introducer");
      break;
    }
    const int Label = ReadStreamByte(Stream);
    if (Label < 0) return;
    TGIFExtensionFactory Factory = nullptr;
    const auto& List = LabelRegistry();
    for (auto It = List.rbegin(); It != List.rend(); ++It)
      if (It->Label == Label) {
        Factory = It->Factory;
        break;
      }
    // A frame holds a bounded number of blocks; the rest are skipped unread.
    if (Factory && Count() >= GIFMaxExtensions) {
      if (!TooMany) Warning(1, "Too many extensions");
      TooMany = true;
      SkipSubBlocks(Stream);
      continue;
    }
    std::unique_ptr<TGIFExtension> Extension(Factory ? Factory(Parent, Stream) : nullptr);
    if (!Extension) {
      Warning(1, "Unknown extension type");
      SkipSubBlocks(Stream);
      continue;
    }
    Stream->Seek(-2, soCurrent);
    Extension->LoadFromStream(Stream);
    Add(Extension.release());
  }
  Stream->Seek(-1, soCurrent);
}
