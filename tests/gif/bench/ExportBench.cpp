// Times the export road: a 24-bit bitmap assigned to a picture, colour-reduced and saved as a GIF, and
// prints megapixels per second; bench.py runs it next to Pillow on the same image. Not a test.
// Usage: gif_export_bench <raw RGB file> <width> <height> web|octree [rounds]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "gif/GIFPicture.h"
#include "tests/support/TestFiles.h"

int wmain(int argc, wchar_t** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: gif_export_bench <raw RGB file> <width> <height> web|octree [rounds]\n");
    return 2;
  }
  const Bytes Pixels = ReadBytes(argv[1]);
  const int Width = _wtoi(argv[2]);
  const int Height = _wtoi(argv[3]);
  const TGIFPaletteMode Mode = std::wcscmp(argv[4], L"octree") == 0 ? pmOctree : pmWeb216;
  const int Rounds = argc > 5 ? _wtoi(argv[5]) : 5;
  if (Pixels.size() != static_cast<size_t>(Width) * Height * 3) {
    std::fprintf(stderr, "the file does not hold %d x %d RGB pixels\n", Width, Height);
    return 1;
  }
  TBitmap Bitmap;
  Bitmap.SetPixelFormat(pf24bit);
  Bitmap.SetSize(Width, Height);
  for (int Y = 0; Y < Height; ++Y) {
    auto* Row = static_cast<uint8_t*>(Bitmap.ScanLine(Y));
    const uint8_t* Source = Pixels.data() + static_cast<size_t>(Y) * Width * 3;
    for (int X = 0; X < Width; ++X) {
      Row[3 * X] = Source[3 * X + 2];
      Row[3 * X + 1] = Source[3 * X + 1];
      Row[3 * X + 2] = Source[3 * X];
    }
  }
  TMemoryStream Saved;
  double Best = 1e9;
  for (int I = 0; I < Rounds; ++I) {
    const auto Start = std::chrono::steady_clock::now();
    TGIFPicture Picture;
    Picture.PaletteMode = Mode;
    Picture.Assign(&Bitmap);
    Saved.SetSize(0);
    Saved.SetPosition(0);
    Picture.SaveToStream(&Saved);
    Best = std::min(Best, std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count());
  }
  std::printf("export %.1f MP/s\nbytes %lld\n", Pixels.size() / 3 / 1e6 / Best,
              static_cast<long long>(Saved.Size()));
  return 0;
}
