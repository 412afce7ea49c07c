// Extensions: their bytes, the registries that read them, and what damaged blocks do.
#include <gtest/gtest.h>

#include "tests/classlib/RaisedMessage.h"
#include "tests/gif/GifTestSupport.h"

namespace {

// A picture of one 2 x 2 frame of 16 colours, and a handle on it.
struct TOneFrame {
  TOneFrame() {
    Frame = new TGIFSubImage(&Picture);
    Frame->SetFrameRect(0, 0, 2, 2);
    for (int I = 0; I < 16; ++I) Frame->LocalColorMap()->Add(RGB(I * 16, 0, 0));
    Picture.Add(Frame);
  }
  template <class T>
  T* AddExtension() {
    auto* Extension = new T(Frame);
    Frame->Extensions()->Add(Extension);
    return Extension;
  }
  Bytes ExtensionBytes() {
    TMemoryStream Stream;
    Frame->Extensions()->SaveToStream(&Stream);
    return BytesOf(Stream);
  }
  TGIFPicture Picture;
  TGIFSubImage* Frame;
};

// A file whose one frame (of the given pixels) is preceded by the given blocks.
Bytes FileWithBlocks(const Bytes& Blocks, const Bytes& Pixels = Bytes(4, 0)) {
  TOneFrame One;
  std::copy(Pixels.begin(), Pixels.end(), One.Frame->GetScanline(0));
  const Bytes Plain = SaveGif(One.Picture);
  return Bytes(Plain.begin(), Plain.begin() + 13) + Blocks + Bytes(Plain.begin() + 13, Plain.end());
}

}  // namespace

TEST(GIFExtensions, LoopExtensionGoldenBytes) {
  TOneFrame One;
  One.AddExtension<TGIFAppExtNSLoop>();
  EXPECT_EQ(B("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19), One.ExtensionBytes());
  auto* Loop = static_cast<TGIFAppExtNSLoop*>(One.Frame->Extensions()->Extension(0));
  Loop->RepeatCount = 0x0102;
  Loop->StreamBufferSize = 0x0A0B0C0D;
  EXPECT_EQ(B("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x02\x01\x05\x02\x0D\x0C\x0B\x0A\x00", 25),
            One.ExtensionBytes());
  EXPECT_EQ(fv89a, One.Picture.GetVersion());
  const TLoaded Loaded = LoadGif(SaveGif(One.Picture));
  auto* Read = dynamic_cast<TGIFAppExtNSLoop*>(Loaded.Picture->Frame(0)->Extensions()->Extension(0));
  ASSERT_NE(nullptr, Read);
  EXPECT_EQ(0x0102, Read->RepeatCount);
  EXPECT_EQ(0x0A0B0C0Du, Read->StreamBufferSize);
}

TEST(GIFExtensions, GraphicControlGoldenBytesAndFields) {
  TOneFrame One;
  auto* Control = One.AddExtension<TGIFGraphicControlExtension>();
  EXPECT_EQ(Control, One.Frame->GraphicControlExtension());
  Control->SetDisposal(dsRestorePrevious);
  Control->SetUserInput(true);
  Control->SetDelay(0x1234);
  Control->SetTransparent(true);
  Control->SetTransparentColorIndex(9);
  EXPECT_TRUE(One.Frame->Transparent());
  EXPECT_EQ(B("\x21\xF9\x04\x0F\x34\x12\x09\x00", 8), One.ExtensionBytes());
  // An index beyond the frame's 16 colours is refused with a warning.
  std::vector<std::string> Warnings;
  One.Picture.OnWarningMessage = [&](TObject*, int, const std::string& Message) {
    Warnings.push_back(Message);
  };
  Control->SetTransparentColorIndex(20);
  EXPECT_EQ(0, Control->GetTransparentColorIndex());
  EXPECT_EQ(std::vector<std::string>{"Invalid color index"}, Warnings);
  delete Control;  // leaves the frame: no transparency, no control
  EXPECT_FALSE(One.Frame->Transparent());
  EXPECT_EQ(nullptr, One.Frame->GraphicControlExtension());
  EXPECT_EQ(0, One.Frame->Extensions()->Count());
}

TEST(GIFExtensions, TheLastGraphicControlBeforeTheImageSpeaksForTheFrame) {
  // Keep, 20/100 s, no transparency; then restore-background, 300/100 s, index 2 transparent.
  const TLoaded Loaded = LoadGif(FileWithBlocks(
      B("\x21\xF9\x04\x04\x14\x00\x00\x00", 8) + B("\x21\xF9\x04\x09\x2C\x01\x02\x00", 8), {0, 0, 2, 2}));
  ASSERT_EQ(L"", Loaded.Error);
  TGIFSubImage* Frame = Loaded.Picture->Frame(0);
  ASSERT_NE(nullptr, Frame->GraphicControlExtension());
  EXPECT_TRUE(Frame->Transparent());
  EXPECT_EQ(2, Frame->GraphicControlExtension()->GetTransparentColorIndex());
  EXPECT_EQ(300, Frame->GraphicControlExtension()->GetDelay());
  EXPECT_EQ(dsRestoreBackground, Frame->GraphicControlExtension()->GetDisposal());
  // Index 0 stays solid, index 2 is see-through.
  Loaded.Picture->RenderFlags &= ~rfDither;
  TBitmap Target;
  Target.SetPixelFormat(pf24bit);
  Target.SetSize(2, 2);
  Target.Canvas()->Brush()->SetColor(clYellow);
  Target.Canvas()->FillRect(RECT{0, 0, 2, 2});
  Frame->Draw(Target.Canvas(), RECT{0, 0, 2, 2}, true, false);
  EXPECT_EQ(RGB(0, 0, 0), Target.Canvas()->Pixels(1, 0) & 0xFFFFFF);
  EXPECT_EQ(static_cast<COLORREF>(clYellow), Target.Canvas()->Pixels(1, 1) & 0xFFFFFF);
  // Without the last block the one before speaks: no transparency, 20/100 s.
  delete Frame->GraphicControlExtension();
  ASSERT_NE(nullptr, Frame->GraphicControlExtension());
  EXPECT_FALSE(Frame->Transparent());
  EXPECT_EQ(20, Frame->GraphicControlExtension()->GetDelay());
}

TEST(GIFExtensions, TextAndCommentGoldenBytes) {
  TOneFrame One;
  auto* Text = One.AddExtension<TGIFTextExtension>();
  Text->GridLeft = 1;
  Text->GridTop = 2;
  Text->GridWidth = 0x0304;
  Text->GridHeight = 5;
  Text->CellWidth = 6;
  Text->CellHeight = 7;
  Text->ForegroundColorIndex = 8;
  Text->BackgroundColorIndex = 9;
  Text->Text()->Add("Hi");
  auto* Comment = One.AddExtension<TGIFCommentExtension>();
  Comment->Text()->Add(std::string(300, 'c'));
  const Bytes Expected = B("\x21\x01\x0C\x01\x00\x02\x00\x04\x03\x05\x00\x06\x07\x08\x09\x02Hi\x00", 19) +
                         B("\x21\xFE\xFF", 3) + Bytes(255, 'c') + Bytes{45} + Bytes(45, 'c') + Bytes{0};
  EXPECT_EQ(Expected, One.ExtensionBytes());
  // The 300-byte comment reads back as two lines.
  const TLoaded Loaded = LoadGif(SaveGif(One.Picture));
  auto* Read = dynamic_cast<TGIFCommentExtension*>(Loaded.Picture->Frame(0)->Extensions()->Extension(1));
  ASSERT_NE(nullptr, Read);
  EXPECT_EQ(2, Read->Text()->Count());
  auto* ReadText = dynamic_cast<TGIFTextExtension*>(Loaded.Picture->Frame(0)->Extensions()->Extension(0));
  ASSERT_NE(nullptr, ReadText);
  EXPECT_EQ(0x0304, ReadText->GridWidth);
  EXPECT_EQ("Hi", ReadText->Text()->Get(0));
}

TEST(GIFExtensions, ApplicationExtensionsAreReadByTheirIdentifier) {
  // ANIMEXTS1.0 is a loop extension and keeps its identifier; an unknown one is kept byte for byte.
  const Bytes Animexts =
      B("\x21\xFF\x0B"
        "ANIMEXTS1.0\x03\x01\x05\x00\x00",
        19);
  const Bytes Unknown =
      B("\x21\xFF\x0B"
        "VELMAROT1.0\x02\xAA\xBB\x01\xCC\x00",
        20);
  const TLoaded Loaded = LoadGif(FileWithBlocks(Animexts + Unknown));
  ASSERT_EQ(L"", Loaded.Error);
  TGIFExtensionList* List = Loaded.Picture->Frame(0)->Extensions();
  ASSERT_EQ(2, List->Count());
  auto* Loop = dynamic_cast<TGIFAppExtNSLoop*>(List->Extension(0));
  ASSERT_NE(nullptr, Loop);
  EXPECT_EQ(5, Loop->RepeatCount);
  EXPECT_EQ("ANIMEXTS1.0", Loop->IdentifierAndCode());
  auto* Other = dynamic_cast<TGIFUnknownAppExtension*>(List->Extension(1));
  ASSERT_NE(nullptr, Other);
  TMemoryStream Stream;
  List->SaveToStream(&Stream);
  EXPECT_EQ(Animexts + Unknown, BytesOf(Stream));
}

TEST(GIFExtensions, ApplicationBlocksOfEverySizeAreHeld) {
  // Beyond 11 bytes the rest of the first sub-block is skipped; 10 bytes name the application without
  // its last byte; fewer are refused.
  const Bytes Long =
      B("\x21\xFF\x0D"
        "NETSCAPE2.0xy\x03\x01\x07\x00\x00",
        21);
  TLoaded Loaded = LoadGif(FileWithBlocks(Long));
  ASSERT_EQ(L"", Loaded.Error);
  auto* Loop = dynamic_cast<TGIFAppExtNSLoop*>(Loaded.Picture->Frame(0)->Extensions()->Extension(0));
  ASSERT_NE(nullptr, Loop);
  EXPECT_EQ(7, Loop->RepeatCount);
  Loaded =
      LoadGif(FileWithBlocks(B("\x21\xFF\x0A"
                               "NETSCAPE2.\x02\x01\x02\x00",
                               17)));
  ASSERT_EQ(L"", Loaded.Error);
  EXPECT_NE(nullptr,
            dynamic_cast<TGIFUnknownAppExtension*>(Loaded.Picture->Frame(0)->Extensions()->Extension(0)));
  EXPECT_EQ(L"Unsupported Application Extension block size", LoadGif(FileWithBlocks(B("\x21\xFF\x03"
                                                                                      "abc\x00",
                                                                                      7)))
                                                                 .Error);
  // A loop sub-block too short for its count.
  EXPECT_EQ(L"Invalid GIF data",
            LoadGif(FileWithBlocks(B("\x21\xFF\x0BNETSCAPE2.0\x02\x01\x05\x00", 18))).Error);
}

TEST(GIFExtensions, UnknownLabelsAreSkippedWithAWarning) {
  const TLoaded Loaded =
      LoadGif(FileWithBlocks(B("\x21\x77\x03xyz\x02zz\x00", 10) + B("\x21\xFE\x02hi\x00", 6)));
  ASSERT_EQ(L"", Loaded.Error);
  EXPECT_EQ(std::vector<std::string>{"Unknown extension type"}, Loaded.Warnings);
  ASSERT_EQ(1, Loaded.Picture->Frame(0)->Extensions()->Count());
  EXPECT_NE(nullptr,
            dynamic_cast<TGIFCommentExtension*>(Loaded.Picture->Frame(0)->Extensions()->Extension(0)));
  EXPECT_EQ(4, static_cast<int>(Loaded.Picture->Frame(0)->Pixels().size()));
}

TEST(GIFExtensions, RegisteredClassesReadTheirLabels) {
  static int Made = 0;
  RegisterGIFExtension(0x77, [](TGIFSubImage* Frame, TStream*) -> TGIFExtension* {
    ++Made;
    return new TGIFCommentExtension(Frame);  // reads the block, but checks the label
  });
  const TLoaded Loaded = LoadGif(FileWithBlocks(B("\x21\x77\x03xyz\x00", 7)));
  EXPECT_EQ(1, Made);
  EXPECT_EQ(L"Internal error: Extension Instance does not match Extension Label", Loaded.Error);
  RegisterGIFExtension(0x77, nullptr);  // the latest registration wins: unknown again
  EXPECT_EQ(L"", LoadGif(FileWithBlocks(B("\x21\x77\x03xyz\x00", 7))).Error);
}
