#include "classlib/Clipbrd.h"

#include <gtest/gtest.h>

#include <cstring>

#include "classlib/Graphics.h"
#include "classlib/SysUtils.h"
#include "tests/classlib/RaisedMessage.h"
#include "tests/support/Clipboard.h"

namespace {

HGLOBAL GlobalText(const char* Text) {
  const size_t Size = std::strlen(Text) + 1;
  const HGLOBAL Data = GlobalAlloc(GMEM_MOVEABLE, Size);
  std::memcpy(GlobalLock(Data), Text, Size);
  GlobalUnlock(Data);
  return Data;
}

std::string GlobalTextOf(HANDLE Data) {
  const char* Text = static_cast<const char*>(GlobalLock(Data));
  const std::string Result = Text ? Text : "";
  GlobalUnlock(Data);
  return Result;
}

UINT TestFormat() {
  return RegisterClipboardFormatA("Velmaro classlib test");
}

}  // namespace

TEST(ClipbrdClipboard, TextRoundTrip) {
  TClipboard* Board = Clipboard();
  ASSERT_EQ(Board, Clipboard());
  Board->SetAsText("caf\xE9 line\r\nzwei");
  EXPECT_TRUE(Board->HasFormat(CF_TEXT));
  EXPECT_EQ("caf\xE9 line\r\nzwei", Board->AsText());
  Board->Clear();
  EXPECT_FALSE(Board->HasFormat(CF_TEXT));
  EXPECT_EQ("", Board->AsText());
}

TEST(ClipbrdClipboard, HandleRoundTrip) {
  TClipboard* Board = Clipboard();
  Board->SetAsHandle(TestFormat(), GlobalText("payload"));
  EXPECT_TRUE(Board->HasFormat(TestFormat()));
  EXPECT_EQ("payload", GlobalTextOf(Board->GetAsHandle(TestFormat())));
}

TEST(ClipbrdClipboard, ChangesWhileOpenEmptyOnlyOnce) {
  TClipboard* Board = Clipboard();
  Board->SetAsText("stale");
  Board->Open();
  Board->SetAsHandle(TestFormat(), GlobalText("one"));  // empties the clipboard first
  Board->Open();
  Board->Close();           // the inner pair neither closes nor empties again
  Board->SetAsText("two");  // so this adds beside the first
  Board->Close();
  EXPECT_EQ("one", GlobalTextOf(Board->GetAsHandle(TestFormat())));
  EXPECT_EQ("two", Board->AsText());

  Board->SetAsText("three");  // a new session starts empty
  EXPECT_FALSE(Board->HasFormat(TestFormat()));
  EXPECT_EQ("three", Board->AsText());
}

TEST(ClipbrdClipboard, PicturesGoThroughThePictureRegistry) {
  TBitmap Bitmap;
  Bitmap.SetPixelFormat(pf24bit);
  Bitmap.SetSize(3, 2);
  Bitmap.Canvas()->SetPixels(2, 1, clRed);
  TPicture Picture;
  Picture.SetGraphic(&Bitmap);
  Clipboard()->Assign(&Picture);
  EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
  TPicture Back;
  Back.Assign(Clipboard());
  ASSERT_NE(nullptr, dynamic_cast<TBitmap*>(Back.Graphic()));
  EXPECT_EQ(3, Back.Width());
  EXPECT_EQ(clRed, Back.Bitmap()->Canvas()->Pixels(2, 1) & 0xFFFFFF);
  Clipboard()->SetAsText("no picture");
  EXPECT_EQ(L"Unsupported clipboard format", MessageOf<EInvalidGraphic>([&] { Back.Assign(Clipboard()); }));
}

TEST(ClipbrdClipboard, ARefusedHandleIsFreedAndTheErrorRaised) {
  Clipboard()->Clear();
  const HGLOBAL Data = GlobalText("refused");
  {
    const TClipboardHolder Holder;
    ASSERT_TRUE(Holder.Holds());
    EXPECT_THROW(Clipboard()->SetAsHandle(TestFormat(), Data), EClipboardException);
  }
  EXPECT_EQ(GlobalSize(Data), 0u);  // freed: the caller handed it over for good
  EXPECT_FALSE(Clipboard()->HasFormat(TestFormat()));
}

// A clipboard manager holds the clipboard for a moment after each change: opening waits for it.
TEST(ClipbrdClipboard, OpensWhenAnotherProgramLetsGoWithinAMoment) {
  const TClipboardHolder Holder(50);
  ASSERT_TRUE(Holder.Holds());
  EXPECT_NO_THROW(Clipboard()->Open());
  Clipboard()->Close();
}
