// Times the LZW encoder and decoder on an 8-bit image and prints megapixels per second; bench.py
// runs it next to Pillow's GIF encoder and decoder on the same image. Not a test.
// Usage: gif_lzw_bench <raw indices file> <width> <height> [rounds]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "gif/GIFPicture.h"
#include "tests/support/TestFiles.h"

namespace {

// The best of Rounds runs, in seconds.
template <class F>
double Best(int Rounds, F Step) {
  double Result = 1e9;
  for (int I = 0; I < Rounds; ++I) {
    const auto Start = std::chrono::steady_clock::now();
    Step();
    Result =
        std::min(Result, std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count());
  }
  return Result;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: gif_lzw_bench <raw indices file> <width> <height> [rounds]\n");
    return 2;
  }
  const Bytes Pixels = ReadBytes(argv[1]);
  const int Width = _wtoi(argv[2]);
  const int Height = _wtoi(argv[3]);
  const int Rounds = argc > 4 ? _wtoi(argv[4]) : 5;
  if (Pixels.size() != static_cast<size_t>(Width) * Height) {
    std::fprintf(stderr, "the file does not hold %d x %d pixels\n", Width, Height);
    return 1;
  }
  TMemoryStream Encoded;
  const double Encode = Best(Rounds, [&] {
    Encoded.SetSize(0);
    Encoded.SetPosition(0);
    TLZWEncoder().EncodeFrame(&Encoded, 8, 256, Pixels.data(), false, Height, Width);
  });
  Bytes Decoded(Pixels.size());
  const double Decode = Best(Rounds, [&] {
    Encoded.SetPosition(0);
    DecodeImageData(&Encoded, Decoded.data(), Width, Height, false, nullptr);
  });
  if (Decoded != Pixels) {
    std::fprintf(stderr, "the decoded pixels differ\n");
    return 1;
  }
  const double Megapixels = Pixels.size() / 1e6;
  std::printf("encode %.1f MP/s\ndecode %.1f MP/s\nbytes %lld\n", Megapixels / Encode, Megapixels / Decode,
              static_cast<long long>(Encoded.Size()));
  return 0;
}
