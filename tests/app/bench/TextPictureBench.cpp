// Not a test: a song list saved as a GIF picture, in milliseconds per megapixel, beside the same list
// saved as a BMP in the same run (drawing and writing without the colour reduction and LZW coding).
// A list of 10,000 songs is higher than a GIF may be: it is refused, and the largest list that a GIF
// holds is measured instead. Usage: app_textpicture_bench [songs]
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "Imports/UCodeGraphics.h"
#include "Imports/UCodeSysUtils.h"
#include "Imports/u_WideFunc.h"
#include "tests/support/TestFiles.h"

namespace {

std::wstring SongList(int Songs) {
  std::wstring Text;
  for (int I = 1; I <= Songs; ++I)
    Text += L"Artist " + std::to_wstring(I % 97) + L" - Song number " + std::to_wstring(I) + L" (" +
            std::to_wstring(2 + I % 5) + L":" + std::to_wstring(10 + I % 50) + L")\r\n";
  return Text;
}

// Milliseconds of the best of three saves.
double SaveTime(const std::wstring& Text, const std::wstring& FileName) {
  double Best = 1e300;
  for (int Run = 0; Run < 3; ++Run) {
    const auto Start = std::chrono::steady_clock::now();
    WideSaveTextFile(Text, FileName, cpUTF8);
    Best = std::min(
        Best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - Start).count());
  }
  return Best;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int Songs = argc > 1 ? _wtoi(argv[1]) : 10000;
  TempDir Dir;
  std::wstring Text = SongList(Songs);
  try {
    WideSaveTextFile(Text, Dir.File(L"list.gif"), cpUTF8);
    std::printf("%d songs: saved as one GIF\n", Songs);
  } catch (const Exception& Error) {
    std::printf("%d songs: %ls\n", Songs, Error.Message().c_str());
    // The largest list below the GIF's height: the default style's line height decides it.
    TBitmap Probe;
    Probe.Canvas()->Font()->SetName("Courier New");
    Probe.Canvas()->Font()->SetSize(8);
    // The list ends in CR LF: one more, empty line.
    const int Fitting =
        static_cast<int>((MaxPictureSide(L".GIF") - 20) / WideTextHeight(Probe.Canvas(), L"Wg")) - 1;
    Text = SongList(Fitting);
    std::printf("measured: the largest list a GIF holds, %d songs\n", Fitting);
  }
  const double GifMs = SaveTime(Text, Dir.File(L"list.gif"));
  const double BmpMs = SaveTime(Text, Dir.File(L"list.bmp"));
  TPicture Picture;
  Picture.LoadFromFile(WideToAnsi(Dir.File(L"list.bmp")));
  const double Megapixels = static_cast<double>(Picture.Width()) * Picture.Height() / 1e6;
  std::printf("picture %d x %d (%.1f MP)\n", Picture.Width(), Picture.Height(), Megapixels);
  std::printf("GIF %.1f ms/MP, BMP %.1f ms/MP, GIF/BMP %.2f\n", GifMs / Megapixels, BmpMs / Megapixels,
              GifMs / BmpMs);
  return 0;
}
