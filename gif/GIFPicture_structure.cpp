// The document around the frames: items and lists, colour tables, the header, the frame list and the
// trailer.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <functional>

#include "gif/GIFPicture.h"

// ---------------------------------------------------------------------------------------------
// TGIFItem, TGIFList

void TGIFItem::Warning(int Severity, const std::string& Message) {
  if (FImage) FImage->Warning(this, Severity, Message);
}

void TGIFItem::SaveToFile(const std::string& FileName) {
  TFileStream Stream(FileName, fmCreate);
  SaveToStream(&Stream);
}

void TGIFItem::LoadFromFile(const std::string& FileName) {
  TFileStream Stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&Stream);
}

TGIFList::~TGIFList() {
  Clear();
}

TGIFItem* TGIFList::GetItem(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError(Format("List index out of bounds (%d)", {Index}));
  return FItems[static_cast<size_t>(Index)];
}

int TGIFList::Add(TGIFItem* Item) {
  FItems.push_back(Item);
  return Count() - 1;
}

// The items leave the list before they are freed, so that their own leaving finds nothing to do.
void TGIFList::Clear() {
  std::vector<TGIFItem*> Items;
  Items.swap(FItems);
  for (TGIFItem* Item : Items) delete Item;
}

void TGIFList::Delete(int Index) {
  TGIFItem* Item = GetItem(Index);
  FItems.erase(FItems.begin() + Index);
  delete Item;
}

int TGIFList::Remove(TGIFItem* Item) {
  const auto It = std::find(FItems.rbegin(), FItems.rend(), Item);
  if (It == FItems.rend()) return -1;
  const int Index = static_cast<int>(FItems.rend() - It) - 1;
  FItems.erase(FItems.begin() + Index);
  return Index;
}

void TGIFList::Warning(int Severity, const std::string& Message) {
  if (FImage) FImage->Warning(this, Severity, Message);
}

void TGIFList::SaveToStream(TStream* Stream) {
  for (TGIFItem* Item : FItems) Item->SaveToStream(Stream);
}

// ---------------------------------------------------------------------------------------------
// TGIFColorMap

TGIFColor TGIFColorMap::ColorToTriple(TColor Color) {
  const COLORREF C = ColorToRGB(Color);
  return {GetRValue(C), GetGValue(C), GetBValue(C)};
}

TColor TGIFColorMap::TripleToColor(TGIFColor Triple) {
  return static_cast<TColor>(RGB(Triple.Red, Triple.Green, Triple.Blue));
}

void TGIFColorMap::Clear() {
  FData.clear();
  FCount = 0;
  FSorted = false;
}

void TGIFColorMap::Grow(int Needed) {
  if (Needed < static_cast<int>(FData.size())) return;
  const int Capacity = Needed <= 16 ? 16 : std::min((Needed + 31) / 32 * 32, 256);
  FData.resize(static_cast<size_t>(Capacity));
}

void TGIFColorMap::AddEntry(TGIFColor Color) {
  if (FCount >= 256) RaiseGIFError("Color table overflow");
  Grow(FCount + 1);
  FData[static_cast<size_t>(FCount++)] = Color;
  FSorted = false;
}

int TGIFColorMap::Add(TColor Color) {
  AddEntry(ColorToTriple(Color));
  Changed();
  return FCount - 1;
}

int TGIFColorMap::AddIfAbsent(TColor Color) {
  const int Index = IndexOf(Color);
  return Index >= 0 ? Index : Add(Color);
}

int TGIFColorMap::IndexOf(TColor Color) const {
  const TGIFColor Triple = ColorToTriple(Color);
  if (FSorted) {
    for (int I = 0; I < FCount; ++I)
      if (Entry(I) == Triple) return I;
  } else {
    for (int I = FCount - 1; I >= 0; --I)
      if (Entry(I) == Triple) return I;
  }
  return -1;
}

void TGIFColorMap::Delete(int Index) {
  if (Index < 0 || Index >= FCount) RaiseGIFError("Invalid color index");
  FData.erase(FData.begin() + Index);
  FData.push_back({0, 0, 0});
  --FCount;
  FSorted = false;
  Changed();
}

TColor TGIFColorMap::GetColor(int Index) {
  if (Index < 0 || Index >= FCount) {
    Warning(1, "Invalid color index");
    if (FCount == 0) RaiseGIFError("Color table is empty");
    Index = 0;
  }
  return TripleToColor(Entry(Index));
}

void TGIFColorMap::SaveToStream(TStream* Stream) const {
  if (FCount == 0) return;
  std::vector<TGIFColor> Table(FData.begin(), FData.begin() + FCount);
  Table.resize(size_t{1} << BitsPerPixel(), TGIFColor{0, 0, 0});
  Stream->WriteBuffer(Table.data(), static_cast<int32_t>(Table.size() * 3));
}

void TGIFColorMap::LoadFromStream(TStream* Stream, int Count) {
  Clear();
  Count = std::clamp(Count, 0, 256);
  Grow(Count);
  ReadExact(Stream, FData.data(), Count * 3);
  FCount = Count;
}

void TGIFColorMap::LoadFromPalette(HPALETTE Palette) {
  Clear();
  PALETTEENTRY Entries[256];
  const int Count = Palette ? static_cast<int>(GetPaletteEntries(Palette, 0, 256, Entries)) : 0;
  if (Count == 0) return;
  for (int I = 0; I < Count; ++I) AddEntry({Entries[I].peRed, Entries[I].peGreen, Entries[I].peBlue});
  Changed();
}

void TGIFColorMap::LoadFromDIBColorTable(const RGBQUAD* Table, int Count) {
  Clear();
  for (int I = 0; I < std::min(Count, 256); ++I)
    AddEntry({Table[I].rgbRed, Table[I].rgbGreen, Table[I].rgbBlue});
  Changed();
}

void TGIFColorMap::LoadFromDIB(HDC DC) {
  RGBQUAD Table[256];
  LoadFromDIBColorTable(Table, static_cast<int>(GetDIBColorTable(DC, 0, 256, Table)));
}

HPALETTE TGIFColorMap::CreateHPalette() const {
  if (FCount == 0) return nullptr;
  struct {
    WORD Version;
    WORD Count;
    PALETTEENTRY Entries[256];
  } Log{0x300, static_cast<WORD>(FCount), {}};
  for (int I = 0; I < FCount; ++I)
    Log.Entries[I] = {Entry(I).Red, Entry(I).Green, Entry(I).Blue, PC_NOCOLLAPSE};
  return CheckGDIResult(CreatePalette(reinterpret_cast<const LOGPALETTE*>(&Log)));
}

void TGIFColorMap::Assign(TPersistent* Source) {
  auto* Map = dynamic_cast<TGIFColorMap*>(Source);
  if (!Map) return TPersistent::Assign(Source);
  if (Map == this) return;
  FData = Map->FData;
  FCount = Map->FCount;
  FSorted = Map->FSorted;
  Changed();
}

void TGIFColorMap::SwapRedBlue() {
  for (int I = 0; I < FCount; ++I)
    std::swap(FData[static_cast<size_t>(I)].Red, FData[static_cast<size_t>(I)].Blue);
}

bool TGIFColorMap::SortByUsage() {
  if (FCount <= 1) return false;
  FSorted = true;
  TGIFUsageTable Usage{};
  CountUsage(Usage);
  // A value beyond the table shows entry 0: it uses that entry and follows it, even when no entry moves.
  // Entry 0 then keeps its place, so that where it is the transparent colour the value can stay beyond.
  const bool Beyond =
      std::any_of(Usage.begin() + FCount, Usage.end(), [](const TGIFUsage& U) { return U.Count > 0; });
  for (size_t I = static_cast<size_t>(FCount); I < Usage.size(); ++I) Usage[0].Count += Usage[I].Count;
  // Most used first; the stable order keeps equally used entries where they were.
  std::stable_sort(Usage.begin() + (Beyond ? 1 : 0), Usage.begin() + FCount,
                   [](const TGIFUsage& A, const TGIFUsage& B) { return A.Count > B.Count; });
  bool Moved = false;
  for (int I = 0; I < FCount; ++I) Moved |= Usage[static_cast<size_t>(I)].Index != I;
  std::array<uint8_t, 256> Map{};
  int Used = FCount;
  for (int I = 0; I < FCount; ++I) {
    Map[static_cast<size_t>(Usage[static_cast<size_t>(I)].Index)] = static_cast<uint8_t>(I);
    if (Usage[static_cast<size_t>(I)].Count == 0 && Used == FCount) Used = I;
  }
  if (!Moved && !Beyond) return true;
  for (size_t I = static_cast<size_t>(FCount); I < Map.size(); ++I) Map[I] = Map[0];
  RemapFrames(Map);
  const std::vector<TGIFColor> Old = FData;
  for (int I = 0; I < FCount; ++I) FData[Map[static_cast<size_t>(I)]] = Old[static_cast<size_t>(I)];
  FCount = Used;
  Changed();
  return true;
}

namespace {

// Counts the pixels of a frame that draws with one table. Its transparent index counts as one use, so
// that sorting keeps the entry the index names; an index beyond the table names none.
void CountFrameUsage(TGIFSubImage* Frame, TGIFUsageTable& Usage) {
  for (uint8_t P : Frame->Pixels()) ++Usage[P].Count;
  if (const int Transparent = Frame->TransparentIndex(); Transparent >= 0) ++Usage[Transparent].Count;
}

}  // namespace

void TGIFGlobalColorMap::Warning(int Severity, const std::string& Message) {
  if (FHeader->Image()) FHeader->Image()->Warning(this, Severity, Message);
}

// The background index counts as one use too: painters restore with its colour.
void TGIFGlobalColorMap::CountUsage(TGIFUsageTable& Usage) {
  for (int I = 0; I < 256; ++I) Usage[static_cast<size_t>(I)] = {0, I};
  ++Usage[FHeader->BackgroundColorIndex()].Count;
  TGIFPicture* Image = FHeader->Image();
  for (int I = 0; I < Image->Frames()->Count(); ++I)
    if (Image->Frame(I)->EffectiveColorMap() == this) CountFrameUsage(Image->Frame(I), Usage);
}

void TGIFGlobalColorMap::RemapFrames(const std::array<uint8_t, 256>& Map) {
  FHeader->SetBackgroundColorIndex(Map[FHeader->BackgroundColorIndex()]);
  TGIFPicture* Image = FHeader->Image();
  for (int I = 0; I < Image->Frames()->Count(); ++I)
    if (Image->Frame(I)->EffectiveColorMap() == this) Image->Frame(I)->RemapPixels(Map);
}

bool TGIFGlobalColorMap::Optimize() {
  return FHeader->Image()->Frames()->Count() > 0 && SortByUsage();
}

void TGIFGlobalColorMap::Changed() {
  if (FHeader->Image()) FHeader->Image()->SetPalette(nullptr);
}

void TGIFLocalColorMap::Warning(int Severity, const std::string& Message) {
  if (FFrame->Image()) FFrame->Image()->Warning(this, Severity, Message);
}

void TGIFLocalColorMap::CountUsage(TGIFUsageTable& Usage) {
  for (int I = 0; I < 256; ++I) Usage[static_cast<size_t>(I)] = {0, I};
  CountFrameUsage(FFrame, Usage);
}

void TGIFLocalColorMap::RemapFrames(const std::array<uint8_t, 256>& Map) {
  FFrame->RemapPixels(Map);
}

bool TGIFLocalColorMap::Optimize() {
  return SortByUsage();
}

void TGIFLocalColorMap::Changed() {
  FFrame->SetPalette(nullptr);
}

// ---------------------------------------------------------------------------------------------
// TGIFHeader

TGIFHeader::TGIFHeader(TGIFPicture* AImage) : TGIFItem(AImage) {}

void TGIFHeader::Clear() {
  FColorMap.Clear();
  FWidth = FHeight = 0;
  FPackedFields = FBackgroundColorIndex = FAspectRatio = 0;
}

void TGIFHeader::Assign(TPersistent* Source) {
  if (auto* Header = dynamic_cast<TGIFHeader*>(Source)) {
    if (Header == this) return;
    FColorMap.Assign(&Header->FColorMap);
    FWidth = Header->FWidth;
    FHeight = Header->FHeight;
    FPackedFields = Header->FPackedFields;
    FBackgroundColorIndex = Header->FBackgroundColorIndex;
    FAspectRatio = Header->FAspectRatio;
  } else if (auto* Map = dynamic_cast<TGIFColorMap*>(Source)) {
    Clear();
    FColorMap.Assign(Map);
  } else {
    TGIFItem::Assign(Source);
  }
}

TGIFFormatVersion TGIFHeader::GetVersion() const {
  return FColorMap.Sorted() || FAspectRatio != 0 ? fv89a : fv87a;
}

void TGIFHeader::BuildPackedFields() {
  const bool Table = FColorMap.Count() > 0;
  int Packed = Table ? 0x80 | (FColorMap.Sorted() ? 0x08 : 0) : 0;
  Packed |= (FImage->MaxColorResolution() << 4) & 0x70;
  Packed |= std::max((Table ? FColorMap.BitsPerPixel() : FImage->MaxBitsPerPixel()) - 1, 0) & 0x07;
  FPackedFields = static_cast<uint8_t>(Packed);
}

void TGIFHeader::SaveToStream(TStream* Stream) {
  const TGIFFormatVersion Version = FImage->GetVersion();
  if (Version == fvNone) RaiseGIFError("Unsupported GIF version");
  Stream->WriteBuffer(Version == fv87a ? "GIF87a" : "GIF89a", 6);
  BuildPackedFields();
  const uint8_t Descriptor[7] = {static_cast<uint8_t>(FWidth),
                                 static_cast<uint8_t>(FWidth >> 8),
                                 static_cast<uint8_t>(FHeight),
                                 static_cast<uint8_t>(FHeight >> 8),
                                 FPackedFields,
                                 FBackgroundColorIndex,
                                 FAspectRatio};
  Stream->WriteBuffer(Descriptor, 7);
  if (FPackedFields & 0x80) FColorMap.SaveToStream(Stream);
}

void TGIFHeader::LoadFromStream(TStream* Stream) {
  const int64_t Start = Stream->Position();
  auto IsSignature = [](const char* S) {
    return std::toupper(static_cast<unsigned char>(S[0])) == 'G' &&
           std::toupper(static_cast<unsigned char>(S[1])) == 'I' &&
           std::toupper(static_cast<unsigned char>(S[2])) == 'F';
  };
  char Signature[6];
  ReadExact(Stream, Signature, 6);
  if (!IsSignature(Signature)) {
    Stream->SetPosition(Start + 4);
    ReadExact(Stream, Signature, 6);
    if (!IsSignature(Signature)) RaiseGIFError("Invalid GIF signature");
  }
  uint8_t Descriptor[7];
  ReadExact(Stream, Descriptor, 7);
  FWidth = static_cast<uint16_t>(Descriptor[0] | Descriptor[1] << 8);
  FHeight = static_cast<uint16_t>(Descriptor[2] | Descriptor[3] << 8);
  FPackedFields = Descriptor[4];
  FBackgroundColorIndex = Descriptor[5];
  FAspectRatio = Descriptor[6];
  if (FPackedFields & 0x80)
    FColorMap.LoadFromStream(Stream, 2 << (FPackedFields & 7));
  else
    FColorMap.Clear();
}

TColor TGIFHeader::GetBackgroundColor() {
  return FColorMap.GetColor(FBackgroundColorIndex);
}

// ---------------------------------------------------------------------------------------------
// TGIFFrameList, TGIFTrailer

TGIFSubImage* TGIFFrameList::Frame(int Index) const {
  return static_cast<TGIFSubImage*>(GetItem(Index));
}

void TGIFFrameList::SaveToStream(TStream* Stream) {
  for (int I = 0; I < Count(); ++I) {
    Frame(I)->SaveToStream(Stream);
    FImage->Progress(this, psRunning, static_cast<uint8_t>(MulDiv(I + 1, 100, Count())), false, RECT{},
                     "Saving...");
  }
}

void TGIFFrameList::LoadFromStream(TStream* Stream, TGIFPicture* Parent) {
  const int64_t Size = Stream->Size();
  int64_t PixelBytes = 0;
  for (;;) {
    int Byte = ReadStreamByte(Stream);
    while (Byte == 0) Byte = ReadStreamByte(Stream);
    if (Byte < 0) return;
    Stream->Seek(-1, soCurrent);
    if (Byte == 0x3B) return;
    if (Byte != 0x21 && Byte != 0x2C) {
      Warning(1, "Unknown GIF block type");
      return;
    }
    if (Count() >= GIFMaxFrames) {
      Warning(1, "Too many frames");
      return;
    }
    std::unique_ptr<TGIFSubImage> Frame(new TGIFSubImage(Parent));
    Frame->LoadFromStream(Stream);
    PixelBytes += static_cast<int64_t>(Frame->Pixels().size());
    if (PixelBytes > GIFMaxBufferBytes) {
      Warning(1, "Image is too large");
      return;
    }
    Add(Frame.release());
    const int64_t Position = Stream->Position();
    Parent->Progress(this, psRunning, static_cast<uint8_t>(Size > 0 ? Position * 100 / Size : 100), false,
                     RECT{}, "Loading...");
  }
}

void TGIFTrailer::SaveToStream(TStream* Stream) {
  WriteStreamByte(Stream, 0x3B);
}

void TGIFTrailer::LoadFromStream(TStream* Stream) {
  const int Byte = ReadStreamByte(Stream);
  if (Byte >= 0 && Byte != 0x3B) Warning(1, "Invalid Image trailer");
}
