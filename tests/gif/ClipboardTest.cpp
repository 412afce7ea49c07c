// The clipboard road: a GIF picture goes onto the clipboard as "GIF Image" and as a bitmap, and comes
// back through the picture registry.
#include <gtest/gtest.h>

#include "classlib/Clipbrd.h"
#include "tests/classlib/RaisedMessage.h"
#include "tests/gif/GifTestSupport.h"

namespace {

std::unique_ptr<TGIFPicture> TwoFrames() {
  auto Picture = std::make_unique<TGIFPicture>();
  Picture->RenderFlags &= ~rfDither;
  for (TColor Color : {clRed, clBlue}) {
    auto* Frame = new TGIFSubImage(Picture.get());
    Frame->SetFrameRect(0, 0, 3, 2);
    Frame->LocalColorMap()->Add(Color);
    Frame->LocalColorMap()->Add(clWhite);
    Frame->GetScanline(1)[2] = 1;
    auto* Comment = new TGIFCommentExtension(Frame);
    Comment->Text()->Add("on the clipboard");
    Frame->Extensions()->Add(Comment);
    Picture->Add(Frame);
  }
  return Picture;
}

}  // namespace

TEST(GIFClipboard, APictureTravelsAsGifImageAndAsABitmap) {
  const auto Source = TwoFrames();
  TPicture Picture;
  Picture.SetGraphic(Source.get());
  Clipboard()->Assign(&Picture);
  EXPECT_TRUE(Clipboard()->HasFormat(GIFClipboardFormat));
  EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP));

  TPicture Back;
  Back.Assign(Clipboard());
  auto* Gif = dynamic_cast<TGIFPicture*>(Back.Graphic());
  ASSERT_NE(nullptr, Gif);
  EXPECT_EQ(Describe(*Source), Describe(*Gif));

  // The bitmap form holds the first frame.
  TBitmap Bitmap;
  Clipboard()->Open();
  Bitmap.LoadFromClipboardFormat(CF_BITMAP, Clipboard()->GetAsHandle(CF_BITMAP), nullptr);
  TGIFPicture FromBitmap;
  FromBitmap.LoadFromClipboardFormat(CF_BITMAP, Clipboard()->GetAsHandle(CF_BITMAP), nullptr);
  // With no data given, "GIF Image" is taken from the open clipboard.
  TGIFPicture Fetched;
  Fetched.LoadFromClipboardFormat(GIFClipboardFormat, nullptr, nullptr);
  Clipboard()->Close();
  EXPECT_EQ(clRed, Bitmap.Canvas()->Pixels(0, 0) & 0xFFFFFF);
  EXPECT_EQ(clWhite, Bitmap.Canvas()->Pixels(2, 1) & 0xFFFFFF);
  ASSERT_EQ(1, FromBitmap.Frames()->Count());
  EXPECT_EQ(3, FromBitmap.Width());
  EXPECT_EQ(Describe(*Source), Describe(Fetched));
  const HGLOBAL Text = GlobalAlloc(GMEM_MOVEABLE, 4);
  EXPECT_EQ(L"Unsupported clipboard format",
            MessageOf<GIFException>([&] { Fetched.LoadFromClipboardFormat(CF_TEXT, Text, nullptr); }));
  GlobalFree(Text);
}

TEST(GIFClipboard, AClipboardWithoutPicturesIsRefused) {
  Clipboard()->SetAsText("no picture");
  TPicture Picture;
  EXPECT_EQ(L"Unsupported clipboard format",
            MessageOf<EInvalidGraphic>([&] { Picture.Assign(Clipboard()); }));
}
