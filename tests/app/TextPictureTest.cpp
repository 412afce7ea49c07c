// Texts saved as pictures: size, background, the text where DrawTextW puts it, the three formats, names
// outside the ANSI code page, the size limits and errors. The pictures are also left for Pillow and
// ImageMagick (tests/app/picture_oracle.py).
#include <gtest/gtest.h>

#include "Imports/UCodeGraphics.h"
#include "Imports/UCodeSysUtils.h"
#include "Imports/u_WideFunc.h"
#include "tests/app/ProgFixture.h"
#include "tests/classlib/RaisedMessage.h"
#include "tests/support/Trace.h"

namespace {

const std::wstring ThreeSongs =
    L"Nana Mouskouri - \u039C\u03B9\u03B1 \u03C6\u03BF\u03C1\u03AC\r\n\u5742\u672C\u4E5D - "
    L"\u4E0A\u3092\u5411\u3044\u3066\u6B69\u3053\u3046\r\nThe Beatles - Let It Be";

// Web colours, which the GIF's palette holds exactly.
constexpr TColor TextColor = static_cast<TColor>(RGB(0, 0, 153));
constexpr TColor Background = static_cast<TColor>(RGB(255, 255, 204));

struct TStyleScope {
  TStyleScope(const char* Face, int Size, TColor Color, TColor Back) {
    SetPictureStyleSource([=](TFont* Font, TColor& B) {
      Font->SetName(Face);
      Font->SetSize(Size);
      Font->SetStyle(0);
      Font->SetColor(Color);
      B = Back;
    });
  }
  ~TStyleScope() { SetPictureStyleSource(nullptr); }
};

// The lines drawn by DrawTextW in the style, 10 pixels in, one below the other at the height of "Wg".
std::unique_ptr<TBitmap> Expected(const std::wstring& Text, const char* Face, int Size) {
  auto Bitmap = std::make_unique<TBitmap>();
  Bitmap->SetPixelFormat(pf24bit);
  TCanvas* Canvas = Bitmap->Canvas();
  Canvas->Font()->SetName(Face);
  Canvas->Font()->SetSize(Size);
  Canvas->Font()->SetColor(TextColor);
  TWideStrArray Lines;
  WideSplitString(Lines, L"\r\n", Text);
  int Width = 0;
  for (const std::wstring& Line : Lines) Width = std::max(Width, WideTextWidth(Canvas, Line));
  const int Height = WideTextHeight(Canvas, L"Wg");
  Bitmap->SetSize(Width + 20, static_cast<int>(Lines.size()) * Height + 20);
  Canvas->Brush()->SetColor(Background);
  Canvas->FillRect(Canvas->ClipRect());
  SetBkMode(Canvas->Handle(), TRANSPARENT);
  SetTextColor(Canvas->Handle(), ColorToRGB(TextColor));
  for (size_t I = 0; I < Lines.size(); ++I) {
    RECT R{10, 10 + static_cast<int>(I) * Height, Bitmap->Width(), Bitmap->Height()};
    DrawTextW(Canvas->Handle(), Lines[I].c_str(), -1, &R, DT_NOPREFIX | DT_SINGLELINE | DT_NOCLIP);
  }
  return Bitmap;
}

// A picture file, read by its UTF-16 name in the class its extension names, drawn on a 24-bit bitmap.
std::unique_ptr<TBitmap> Loaded(const std::wstring& FileName) {
  const std::optional<TGraphicClass> Class =
      TPicture::FileFormatClass(WideToAnsi(FileName.substr(FileName.rfind(L'.') + 1)));
  auto Bitmap = std::make_unique<TBitmap>();
  Bitmap->SetPixelFormat(pf24bit);
  EXPECT_TRUE(Class.has_value());
  if (!Class) return Bitmap;
  std::unique_ptr<TGraphic> Graphic(Class->Create());
  const Bytes Data = ReadBytes(FileName);
  TMemoryStream Stream;
  Stream.WriteBuffer(Data.data(), static_cast<int32_t>(Data.size()));
  Stream.SetPosition(0);
  Graphic->LoadFromStream(&Stream);
  Bitmap->SetSize(Graphic->Width(), Graphic->Height());
  Bitmap->Canvas()->Draw(0, 0, Graphic.get());
  return Bitmap;
}

// Pixel for pixel.
bool Same(COLORREF Want, COLORREF Got) {
  return Want == Got;
}

// As the GIF's web palette holds a colour: each part at its level (value + 3) / 51.
bool SameInWebColors(COLORREF Want, COLORREF Got) {
  auto Level = [](int Value) { return (Value + 3) / 51 * 51; };
  return RGB(Level(GetRValue(Want)), Level(GetGValue(Want)), Level(GetBValue(Want))) == Got;
}

// Within a JPEG's error: its brightness is kept at every pixel (its colour only at every other one).
bool SameBrightness(COLORREF Want, COLORREF Got) {
  auto Luma = [](COLORREF C) {
    return (GetRValue(C) * 299 + GetGValue(C) * 587 + GetBValue(C) * 114) / 1000;
  };
  return std::abs(Luma(Want) - Luma(Got)) <= 48;
}

bool Near(COLORREF A, COLORREF B, int Tolerance) {
  return std::abs(GetRValue(A) - GetRValue(B)) <= Tolerance &&
         std::abs(GetGValue(A) - GetGValue(B)) <= Tolerance &&
         std::abs(GetBValue(A) - GetBValue(B)) <= Tolerance;
}

// The pixels of Got that are not Alike the pixels of Want, against the text pixels of Want (those away
// from the background).
double Mismatch(TBitmap& Want, TBitmap& Got, bool (*Alike)(COLORREF Want, COLORREF Got)) {
  int Text = 0, Wrong = 0;
  for (int Y = 0; Y < Want.Height(); ++Y)
    for (int X = 0; X < Want.Width(); ++X) {
      const COLORREF Pixel = Want.Canvas()->Pixels(X, Y) & 0xFFFFFF;
      Text += !Near(Pixel, ColorToRGB(Background), 60);
      Wrong += !Alike(Pixel, Got.Canvas()->Pixels(X, Y) & 0xFFFFFF);
    }
  EXPECT_GT(Text, 100);
  return static_cast<double>(Wrong) / std::max(Text, 1);
}

// Left for the oracle: the picture with the size and background colour that Pillow and ImageMagick must
// read from it.
void LeaveForTheOracle(const std::wstring& FileName, const std::wstring& Name, int Width, int Height) {
  const std::wstring Folder = FixtureFolder(L"APP_FIXTURES") + L"\\..\\pictures";
  CopyFileW(FileName.c_str(), (Folder + L"\\" + Name).c_str(), FALSE);
  const COLORREF Back = ColorToRGB(Background);
  const std::string Expect = std::to_string(Width) + " " + std::to_string(Height) + " " +
                             std::to_string(GetRValue(Back)) + " " + std::to_string(GetGValue(Back)) + " " +
                             std::to_string(GetBValue(Back)) + "\n";
  WriteBytes(Folder + L"\\" + Name + L".expect", Bytes(Expect.begin(), Expect.end()));
}

}  // namespace

TEST(TextPicture, ThreeSongsInEachFormatAreDrawnWhereDrawTextPutsThem) {
  TStyleScope Style("Arial", 14, TextColor, Background);
  TempDir Dir;
  const auto Want = Expected(ThreeSongs, "Arial", 14);
  // BMP and GIF pixel for pixel (the GIF in the web colours), the JPEG within its error.
  for (auto [Ext, Alike, Tolerance, MaxMismatch] : {std::tuple{L"bmp", &Same, 0, 0.0},
                                                    {L"gif", &SameInWebColors, 0, 0.0},
                                                    {L"jpg", &SameBrightness, 12, 0.02}}) {
    TRACE_CASE(Ext);
    const std::wstring Name = Dir.File(std::wstring(L"list.") + Ext);
    WideSaveTextFile(ThreeSongs, Name, cpUTF8);
    const auto Got = Loaded(Name);
    ASSERT_EQ(Want->Width(), Got->Width());
    ASSERT_EQ(Want->Height(), Got->Height());
    EXPECT_TRUE(Near(ColorToRGB(Background), Got->Canvas()->Pixels(0, 0), Tolerance));
    EXPECT_TRUE(
        Near(ColorToRGB(Background), Got->Canvas()->Pixels(Got->Width() - 1, Got->Height() - 1), Tolerance));
    EXPECT_LE(Mismatch(*Want, *Got, Alike), MaxMismatch);
    LeaveForTheOracle(Name, std::wstring(L"three-songs.") + Ext, Want->Width(), Want->Height());
  }
}

TEST(TextPicture, ExtensionsInAnyCaseEmptyTextsAndALastLineEnd) {
  TStyleScope Style("Courier New", 10, TextColor, Background);
  TempDir Dir;
  TBitmap Probe;
  Probe.Canvas()->Font()->SetName("Courier New");
  Probe.Canvas()->Font()->SetSize(10);
  const int LineHeight = WideTextHeight(Probe.Canvas(), L"Wg");
  // The empty text: one empty line.
  WideSaveTextFile(L"", Dir.File(L"empty.Bmp"), cpAnsi);
  auto Empty = Loaded(Dir.File(L"empty.Bmp"));
  EXPECT_EQ(20, Empty->Width());
  EXPECT_EQ(LineHeight + 20, Empty->Height());
  EXPECT_EQ(ColorToRGB(Background), Empty->Canvas()->Pixels(10, 10) & 0xFFFFFF);
  // A last CR LF adds an empty line.
  WideSaveTextFile(L"a\r\nb\r\n", Dir.File(L"lines.bmp"), cpAnsi);
  EXPECT_EQ(3 * LineHeight + 20, Loaded(Dir.File(L"lines.bmp"))->Height());
  // jpg, JPG, JPEG and Jpeg give the same file; Gif and GIF too.
  for (const wchar_t* Name : {L"a.jpg", L"b.JPG", L"c.JPEG", L"d.Jpeg", L"e.gif", L"f.Gif"})
    WideSaveTextFile(ThreeSongs, Dir.File(Name), cpUTF16LE);
  const Bytes Jpeg = ReadBytes(Dir.File(L"a.jpg"));
  EXPECT_EQ(0xFF, Jpeg[0]);
  EXPECT_EQ(0xD8, Jpeg[1]);
  for (const wchar_t* Name : {L"b.JPG", L"c.JPEG", L"d.Jpeg"})
    EXPECT_EQ(Jpeg, ReadBytes(Dir.File(Name))) << Name;
  const Bytes Gif = ReadBytes(Dir.File(L"e.gif"));
  EXPECT_EQ(Gif, ReadBytes(Dir.File(L"f.Gif")));
  EXPECT_EQ((Bytes{'G', 'I', 'F'}), Bytes(Gif.begin(), Gif.begin() + 3));
}

TEST(TextPicture, ANameOutsideTheAnsiCodePageIsWritten) {
  TStyleScope Style("Arial", 10, TextColor, Background);
  TempDir Dir;
  for (const wchar_t* Ext : {L".gif", L".jpg", L".bmp"}) {
    const std::wstring Name =
        Dir.File(L"\u039B\u03AF\u03C3\u03C4\u03B1 \u66F2\u306E\u30EA\u30B9\u30C8" + std::wstring(Ext));
    WideSaveTextFile(ThreeSongs, Name, cpUTF8);
    EXPECT_EQ(Expected(ThreeSongs, "Arial", 10)->Width(), Loaded(Name)->Width()) << Ext;
  }
}

TEST(TextPicture, PicturesBeyondTheirFormatOrMemoryAreRefusedBeforeDrawing) {
  TStyleScope Style("Arial", 12, TextColor, Background);
  TempDir Dir;
  // 10,000 lines are far higher than a GIF or JPEG may be; the old file stays.
  std::wstring Tall;
  for (int I = 0; I < 10000; ++I) Tall += L"Artist - Title " + std::to_wstring(I) + L"\r\n";
  for (const wchar_t* Ext : {L"gif", L"jpg", L"jpeg"}) {
    const std::wstring Name = Dir.File(std::wstring(L"tall.") + Ext);
    WriteBytes(Name, {'o', 'l', 'd'});
    const std::wstring Message = MessageOf<EUCodeGeneralError>([&] { WideSaveTextFile(Tall, Name, cpUTF8); });
    EXPECT_NE(std::wstring::npos, Message.find(L"too large")) << Message;
    EXPECT_EQ((Bytes{'o', 'l', 'd'}), ReadBytes(Name));
  }
  // As a BMP it is written; with lines of 5,000 characters its pixels are too many for any picture.
  WideSaveTextFile(Tall, Dir.File(L"tall.bmp"), cpUTF8);
  EXPECT_GT(Loaded(Dir.File(L"tall.bmp"))->Height(), 65535);
  std::wstring Wide;
  for (int I = 0; I < 10000; ++I) Wide += std::wstring(5000, L'W') + L"\r\n";
  EXPECT_NE(std::wstring::npos, MessageOf<EUCodeGeneralError>([&] {
                                  WideSaveTextFile(Wide, Dir.File(L"wide.bmp"), cpUTF8);
                                }).find(L"too large"));
  EXPECT_FALSE(PathExists(Dir.File(L"wide.bmp")));
}

TEST(TextPicture, AGifAtThePixelLimitIsWrittenAndOneLineMoreRefusedBeforeDrawing) {
  TStyleScope Style("Arial", 8, TextColor, Background);
  TBitmap Probe;
  Probe.Canvas()->Font()->SetName("Arial");
  Probe.Canvas()->Font()->SetSize(8);
  const int64_t LineHeight = WideTextHeight(Probe.Canvas(), L"Wg");
  // Rows are counted as 8-bit rows padded to 4 bytes: a width that is no multiple of 4, and one line
  // more that is within the limit only when its rows are not padded. Lines wide enough that the
  // picture's height stays within the GIF's side, whatever the font's width.
  auto Padded = [](int64_t Width) { return (Width + 3) / 4 * 4; };
  std::wstring Line;
  int64_t Width = 0, Lines = 0;
  for (int Chars = 60; Chars < 300; ++Chars) {
    Line.assign(static_cast<size_t>(Chars), L'W');
    Width = WideTextWidth(Probe.Canvas(), Line) + 20;
    Lines = (MaxPicturePixels / Padded(Width) - 20) / LineHeight;
    if (Width * ((Lines + 1) * LineHeight + 20) <= MaxPicturePixels &&
        (Lines + 1) * LineHeight + 20 <= MaxPictureSide(L".GIF"))
      break;
  }
  ASSERT_LE(Width * ((Lines + 1) * LineHeight + 20), MaxPicturePixels);
  ASSERT_LE((Lines + 1) * LineHeight + 20, MaxPictureSide(L".GIF"));
  std::wstring Text;
  for (int64_t I = 0; I < Lines; ++I) Text += Line + L"\r\n";
  Text.resize(Text.size() - 2);
  TempDir Dir;
  const std::wstring Name = Dir.File(L"limit.gif");
  WideSaveTextFile(Text, Name, cpUTF8);
  const Bytes Gif = ReadBytes(Name);
  ASSERT_GE(Gif.size(), 10u);
  EXPECT_EQ(Width, Gif[6] | Gif[7] << 8);
  EXPECT_EQ(Lines * LineHeight + 20, Gif[8] | Gif[9] << 8);
  WriteBytes(Name, {'o', 'l', 'd'});
  const std::wstring Message =
      MessageOf<EUCodeGeneralError>([&] { WideSaveTextFile(Text + L"\r\n" + Line, Name, cpUTF8); });
  EXPECT_NE(std::wstring::npos, Message.find(L"too large")) << Message;
  EXPECT_EQ((Bytes{'o', 'l', 'd'}), ReadBytes(Name));
}

TEST(TextPicture, AFileThatCannotBeWrittenRaisesAnErrorNamingIt) {
  TStyleScope Style("Arial", 10, TextColor, Background);
  TempDir Dir;
  const std::wstring Name = Dir.File(L"missing folder\\list.gif");
  const std::wstring Message = MessageOf<Exception>([&] { WideSaveTextFile(ThreeSongs, Name, cpUTF8); });
  EXPECT_NE(std::wstring::npos, Message.find(Name)) << Message;
}

class TextPictureOfTheList : public TProgFixture {};

TEST_F(TextPictureOfTheList, ATooLargePictureIsRefusedInTheProgramsLanguage) {
  std::wstring Tall;
  for (int I = 0; I < 10000; ++I) Tall += L"Artist - Title\r\n";
  const auto Message = [&] {
    return MessageOf<EUCodeGeneralError>([&] { WideSaveTextFile(Tall, Dir.File(L"tall.gif"), cpUTF8); });
  };
  EXPECT_EQ(Message().rfind(L"Das Bild von ", 0), 0u) << WideToAnsi(Message());
  EXPECT_NE(Message().find(L"ist zu gro\u00DF: ein GIF-Bild kann h\u00F6chstens 65535 Pixel"),
            std::wstring::npos);
  start->spr->SetCaption("en");
  EXPECT_NE(Message().find(L"is too large: a GIF picture can be at most 65535 pixels"), std::wstring::npos)
      << WideToAnsi(Message());
}

TEST_F(TextPictureOfTheList, TheScreenshotsSongsAreLeftAsAGif) {
  TStyleScope Style("Arial", 11, TextColor, Background);
  prog->Parameter = {Fixture(L"songs"), Fixture(L"intl")};
  prog->Show();
  ASSERT_GE(AlleSongs.size(), 7u);
  std::wstring Text;
  for (const Song& S : AlleSongs) Text += S[sfArtist] + L" - " + S[sfTitle] + L" (" + S[sfLength] + L")\r\n";
  WideSaveTextFile(Text, Dir.File(L"songs.gif"), cpUTF8);
  const auto Want = Expected(Text, "Arial", 11);
  const auto Got = Loaded(Dir.File(L"songs.gif"));
  ASSERT_EQ(Want->Width(), Got->Width());
  ASSERT_EQ(Want->Height(), Got->Height());
  EXPECT_EQ(0.0, Mismatch(*Want, *Got, &SameInWebColors));
  LeaveForTheOracle(Dir.File(L"songs.gif"), L"screenshot-songs.gif", Want->Width(), Want->Height());
}
