#pragma once
// JPEG pictures over libjpeg, registered with TPicture for "jpg" and "jpeg".
#include <memory>

#include "classlib/Graphics.h"

// Every error of the library, with the library's message.
VELMARO_EXCEPTION(EJPEG, EInvalidGraphic);

// Holds the picture decoded into a 24-bit bitmap; saving encodes that bitmap again.
class TJPEGImage : public TGraphic {
 public:
  TJPEGImage();
  ~TJPEGImage() override;

  void Draw(TCanvas* ACanvas, const RECT& Rect) override;
  bool Empty() const override;
  int Width() const override;
  int Height() const override;
  // A JPEG picture keeps the size it was decoded with: EJPEG "Cannot change the size of a JPEG image".
  void SetWidth(int Value) override;
  void SetHeight(int Value) override;
  // Reads one JPEG from the stream's position and leaves the stream just after it.
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;
  // CF_BITMAP only.
  void LoadFromClipboardFormat(UINT AFormat, HANDLE AData, HPALETTE APalette) override;
  void SaveToClipboardFormat(UINT& AFormat, HANDLE& AData, HPALETTE& APalette) override;
  // From a TJPEGImage, or a TBitmap whose pixels it takes.
  void Assign(TPersistent* Source) override;
  // To a TBitmap: the decoded pixels.
  void AssignTo(TPersistent* Dest) override;

  // 1..100, default 90.
  int CompressionQuality() const { return FCompressionQuality; }
  void SetCompressionQuality(int Value);
  bool ProgressiveEncoding() const { return FProgressiveEncoding; }
  void SetProgressiveEncoding(bool Value) { FProgressiveEncoding = Value; }
  // Set: decoding gives gray pixels and encoding writes one component. A gray file always decodes
  // to gray pixels; setting it on a held colour picture turns that picture gray.
  bool Grayscale() const { return FGrayscale; }
  void SetGrayscale(bool Value);

 private:
  void NewBitmap();

  std::unique_ptr<TBitmap> FBitmap;
  int FCompressionQuality = 90;
  bool FProgressiveEncoding = false;
  bool FGrayscale = false;
};
