#include "classlib/Jpeg.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <exception>
#include <vector>

#include "classlib/Streams.h"

extern "C" {
#include <jpeglib.h>
#include <jerror.h>
}

// libjpeg is C: no C++ exception may pass through it. Its errors leave it by longjmp to a guard that
// stands just above the library's frames; the C++ exception is raised after the guard has returned.
// Stream errors inside the managers' callbacks are kept and raised again the same way.

namespace {

constexpr size_t BufferSize = 4096;

struct TErrorManager {
  jpeg_error_mgr Pub;
  jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr Info) {
  auto* Error = reinterpret_cast<TErrorManager*>(Info->err);
  Info->err->format_message(Info, Error->Message);
  longjmp(Error->Jump, 1);
}

// Warnings (corrupt data that the decoder gets past) are not shown: the picture is what could be read.
void OutputMessage(j_common_ptr /*Info*/) {}

jpeg_error_mgr* InitErrorManager(TErrorManager& Error) {
  jpeg_std_error(&Error.Pub);
  Error.Pub.error_exit = ErrorExit;
  Error.Pub.output_message = OutputMessage;
  Error.Message[0] = '\0';
  return &Error.Pub;
}

// Runs Step with the error jump set. Step and the callbacks hold no objects with destructors while the
// library runs, so the jump skips no cleanup.
template <class TContext>
bool Guarded(TErrorManager& Error, void (*Step)(TContext&), TContext& Context) {
  if (setjmp(Error.Jump)) return false;
  Step(Context);
  return true;
}

[[noreturn]] void RaiseJpegError(const TErrorManager& Error, const std::exception_ptr& StreamError) {
  if (StreamError) std::rethrow_exception(StreamError);
  throw EJPEG(std::string(Error.Message));
}

// ---------------------------------------------------------------------------------------------
// Source manager: reads the stream in chunks.

struct TSourceManager {
  jpeg_source_mgr Pub;
  TStream* Stream;
  bool StartOfFile;
  std::exception_ptr Error;
  JOCTET Buffer[BufferSize];
};

void InitSource(j_decompress_ptr Info) {
  reinterpret_cast<TSourceManager*>(Info->src)->StartOfFile = true;
}

// The end of the stream inside a picture is an error: a cut file does not pass for a whole one.
boolean FillInputBuffer(j_decompress_ptr Info) {
  auto* Source = reinterpret_cast<TSourceManager*>(Info->src);
  int32_t Count = 0;
  try {
    Count = Source->Stream->Read(Source->Buffer, static_cast<int32_t>(BufferSize));
  } catch (...) {
    Source->Error = std::current_exception();
  }
  if (Count <= 0) ERREXIT(Info, Source->StartOfFile ? JERR_INPUT_EMPTY : JERR_INPUT_EOF);
  Source->Pub.next_input_byte = Source->Buffer;
  Source->Pub.bytes_in_buffer = static_cast<size_t>(Count);
  Source->StartOfFile = false;
  return TRUE;
}

void SkipInputData(j_decompress_ptr Info, long Count) {
  jpeg_source_mgr* Source = Info->src;
  while (Count > static_cast<long>(Source->bytes_in_buffer)) {
    Count -= static_cast<long>(Source->bytes_in_buffer);
    Source->fill_input_buffer(Info);
  }
  if (Count <= 0) return;
  Source->next_input_byte += Count;
  Source->bytes_in_buffer -= static_cast<size_t>(Count);
}

void TermSource(j_decompress_ptr /*Info*/) {}

// ---------------------------------------------------------------------------------------------
// Destination manager: writes the stream in chunks.

struct TDestinationManager {
  jpeg_destination_mgr Pub;
  TStream* Stream;
  std::exception_ptr Error;
  JOCTET Buffer[BufferSize];
};

bool WriteBuffered(TDestinationManager* Dest, size_t Count) {
  try {
    Dest->Stream->WriteBuffer(Dest->Buffer, static_cast<int32_t>(Count));
    return true;
  } catch (...) {
    Dest->Error = std::current_exception();
    return false;
  }
}

void InitDestination(j_compress_ptr Info) {
  auto* Dest = reinterpret_cast<TDestinationManager*>(Info->dest);
  Dest->Pub.next_output_byte = Dest->Buffer;
  Dest->Pub.free_in_buffer = BufferSize;
}

boolean EmptyOutputBuffer(j_compress_ptr Info) {
  auto* Dest = reinterpret_cast<TDestinationManager*>(Info->dest);
  if (!WriteBuffered(Dest, BufferSize)) ERREXIT(Info, JERR_FILE_WRITE);
  InitDestination(Info);
  return TRUE;
}

void TermDestination(j_compress_ptr Info) {
  auto* Dest = reinterpret_cast<TDestinationManager*>(Info->dest);
  const size_t Count = BufferSize - Dest->Pub.free_in_buffer;
  if (Count > 0 && !WriteBuffered(Dest, Count)) ERREXIT(Info, JERR_FILE_WRITE);
}

// ---------------------------------------------------------------------------------------------
// Decoding and encoding, each in plain steps for the guard.

// Rows of a bottom-up 24-bit DIB: row Y of Height starts at Bottom + (Height - 1 - Y) * Stride.
struct TRows {
  uint8_t* Bottom = nullptr;
  ptrdiff_t Stride = 0;
  int Height = 0;
  uint8_t* Row(JDIMENSION Y) const { return Bottom + (Height - 1 - static_cast<ptrdiff_t>(Y)) * Stride; }
};

TRows RowsOf(TBitmap& Bitmap) {
  TRows Rows;
  Rows.Height = Bitmap.Height();
  Rows.Bottom = static_cast<uint8_t*>(Bitmap.ScanLine(Rows.Height - 1));
  Rows.Stride = (static_cast<ptrdiff_t>(Bitmap.Width()) * 24 + 31) / 32 * 4;
  return Rows;
}

struct TDecoder {
  jpeg_decompress_struct Info;
  TErrorManager Error;
  TSourceManager Source;
  bool Created = false;
  bool Gray = false;  // decode one component and spread it over blue, green and red
  TRows Rows;
  JSAMPLE* GrayRow = nullptr;

  ~TDecoder() {
    if (Created) jpeg_destroy_decompress(&Info);
  }
};

void StartDecoding(TDecoder& D) {
  jpeg_create_decompress(&D.Info);
  D.Created = true;
  D.Info.src = &D.Source.Pub;
  jpeg_read_header(&D.Info, TRUE);
  D.Gray = D.Gray || D.Info.num_components == 1;
  D.Info.out_color_space = D.Gray ? JCS_GRAYSCALE : JCS_EXT_BGR;
  jpeg_start_decompress(&D.Info);
}

void ReadRows(TDecoder& D) {
  while (D.Info.output_scanline < D.Info.output_height) {
    uint8_t* Target = D.Rows.Row(D.Info.output_scanline);
    JSAMPROW Row = D.Gray ? D.GrayRow : Target;
    jpeg_read_scanlines(&D.Info, &Row, 1);
    if (!D.Gray) continue;
    for (JDIMENSION X = 0; X < D.Info.output_width; ++X)
      Target[3 * X] = Target[3 * X + 1] = Target[3 * X + 2] = Row[X];
  }
  jpeg_finish_decompress(&D.Info);
}

struct TEncoder {
  jpeg_compress_struct Info;
  TErrorManager Error;
  TDestinationManager Dest;
  bool Created = false;
  int Quality = 90;
  bool Progressive = false;
  bool Gray = false;
  TRows Rows;
  int Width = 0;

  ~TEncoder() {
    if (Created) jpeg_destroy_compress(&Info);
  }
};

void Encode(TEncoder& E) {
  jpeg_create_compress(&E.Info);
  E.Created = true;
  E.Info.dest = &E.Dest.Pub;
  E.Info.image_width = static_cast<JDIMENSION>(E.Width);
  E.Info.image_height = static_cast<JDIMENSION>(E.Rows.Height);
  E.Info.input_components = 3;
  E.Info.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&E.Info);
  if (E.Gray) jpeg_set_colorspace(&E.Info, JCS_GRAYSCALE);
  jpeg_set_quality(&E.Info, E.Quality, TRUE);
  if (E.Progressive) jpeg_simple_progression(&E.Info);
  jpeg_start_compress(&E.Info, TRUE);
  while (E.Info.next_scanline < E.Info.image_height) {
    JSAMPROW Row = E.Rows.Row(E.Info.next_scanline);
    jpeg_write_scanlines(&E.Info, &Row, 1);
  }
  jpeg_finish_compress(&E.Info);
}

void MakeGray(TBitmap& Bitmap) {
  for (int Y = 0; Y < Bitmap.Height(); ++Y) {
    auto* Pixel = static_cast<uint8_t*>(Bitmap.ScanLine(Y));
    for (int X = 0; X < Bitmap.Width(); ++X, Pixel += 3) {
      const uint8_t Luma =
          static_cast<uint8_t>((Pixel[0] * 114 + Pixel[1] * 587 + Pixel[2] * 299 + 500) / 1000);
      Pixel[0] = Pixel[1] = Pixel[2] = Luma;
    }
  }
}

// Registered with the picture class for the program's whole run.
struct TRegistration {
  TRegistration() {
    TPicture::RegisterFileFormat("jpg", "JPEG Image File", GraphicClassOf<TJPEGImage>());
    TPicture::RegisterFileFormat("jpeg", "JPEG Image File", GraphicClassOf<TJPEGImage>());
  }
  ~TRegistration() { TPicture::UnregisterGraphicClass(GraphicClassOf<TJPEGImage>()); }
} Registration;

}  // namespace

TJPEGImage::TJPEGImage() = default;
TJPEGImage::~TJPEGImage() = default;

void TJPEGImage::NewBitmap() {
  FBitmap = std::make_unique<TBitmap>();
  FBitmap->SetPixelFormat(pf24bit);
}

void TJPEGImage::Draw(TCanvas* ACanvas, const RECT& Rect) {
  if (!Empty()) ACanvas->StretchDraw(Rect, FBitmap.get());
}

bool TJPEGImage::Empty() const {
  return !FBitmap || FBitmap->Empty();
}

int TJPEGImage::Width() const {
  return FBitmap ? FBitmap->Width() : 0;
}

int TJPEGImage::Height() const {
  return FBitmap ? FBitmap->Height() : 0;
}

void TJPEGImage::SetWidth(int /*Value*/) {
  throw EJPEG(L"Cannot change the size of a JPEG image");
}

void TJPEGImage::SetHeight(int /*Value*/) {
  throw EJPEG(L"Cannot change the size of a JPEG image");
}

void TJPEGImage::LoadFromStream(TStream* Stream) {
  TDecoder D;
  D.Info.err = InitErrorManager(D.Error);
  D.Source.Pub.init_source = InitSource;
  D.Source.Pub.fill_input_buffer = FillInputBuffer;
  D.Source.Pub.skip_input_data = SkipInputData;
  D.Source.Pub.resync_to_restart = jpeg_resync_to_restart;
  D.Source.Pub.term_source = TermSource;
  D.Source.Pub.bytes_in_buffer = 0;
  D.Source.Pub.next_input_byte = nullptr;
  D.Source.Stream = Stream;
  D.Gray = FGrayscale;
  if (!Guarded(D.Error, StartDecoding, D)) RaiseJpegError(D.Error, D.Source.Error);

  auto Bitmap = std::make_unique<TBitmap>();
  Bitmap->SetPixelFormat(pf24bit);
  Bitmap->SetSize(static_cast<int>(D.Info.output_width), static_cast<int>(D.Info.output_height));
  std::vector<JSAMPLE> GrayRow(D.Info.output_width);
  D.GrayRow = GrayRow.data();
  D.Rows = RowsOf(*Bitmap);
  if (!Guarded(D.Error, ReadRows, D)) RaiseJpegError(D.Error, D.Source.Error);

  // What the source read ahead belongs to whatever follows the picture.
  Stream->Seek(-static_cast<int64_t>(D.Source.Pub.bytes_in_buffer), soCurrent);
  FBitmap = std::move(Bitmap);
  Changed(this);
}

void TJPEGImage::SaveToStream(TStream* Stream) {
  if (Empty()) return;
  TEncoder E;
  E.Info.err = InitErrorManager(E.Error);
  E.Dest.Pub.init_destination = InitDestination;
  E.Dest.Pub.empty_output_buffer = EmptyOutputBuffer;
  E.Dest.Pub.term_destination = TermDestination;
  E.Dest.Stream = Stream;
  E.Quality = FCompressionQuality;
  E.Progressive = FProgressiveEncoding;
  E.Gray = FGrayscale;
  E.Width = FBitmap->Width();
  E.Rows = RowsOf(*FBitmap);
  if (!Guarded(E.Error, Encode, E)) RaiseJpegError(E.Error, E.Dest.Error);
}

void TJPEGImage::LoadFromClipboardFormat(UINT AFormat, HANDLE AData, HPALETTE APalette) {
  TBitmap Bitmap;
  Bitmap.LoadFromClipboardFormat(AFormat, AData, APalette);
  Assign(&Bitmap);
}

void TJPEGImage::SaveToClipboardFormat(UINT& AFormat, HANDLE& AData, HPALETTE& APalette) {
  if (FBitmap) return FBitmap->SaveToClipboardFormat(AFormat, AData, APalette);
  AFormat = CF_BITMAP;
  AData = nullptr;
  APalette = nullptr;
}

void TJPEGImage::Assign(TPersistent* Source) {
  if (Source == this) return;
  if (auto* Jpeg = dynamic_cast<TJPEGImage*>(Source)) {
    FCompressionQuality = Jpeg->FCompressionQuality;
    FProgressiveEncoding = Jpeg->FProgressiveEncoding;
    FGrayscale = Jpeg->FGrayscale;
    Source = Jpeg->FBitmap.get();
  } else if (Source && !dynamic_cast<TBitmap*>(Source)) {
    return TGraphic::Assign(Source);
  }
  if (!Source) {
    FBitmap.reset();
  } else {
    NewBitmap();
    FBitmap->Assign(Source);
    FBitmap->SetPixelFormat(pf24bit);
    if (FGrayscale) MakeGray(*FBitmap);
  }
  Changed(this);
}

void TJPEGImage::AssignTo(TPersistent* Dest) {
  auto* Bitmap = dynamic_cast<TBitmap*>(Dest);
  if (!Bitmap) return TGraphic::AssignTo(Dest);
  Bitmap->Assign(FBitmap.get());
}

void TJPEGImage::SetCompressionQuality(int Value) {
  FCompressionQuality = std::clamp(Value, 1, 100);
}

void TJPEGImage::SetGrayscale(bool Value) {
  if (Value == FGrayscale) return;
  FGrayscale = Value;
  if (Value && !Empty()) MakeGray(*FBitmap);
  Changed(this);
}
