// The file information window on the playing song, whose path lies outside the ANSI code page: the
// fields show it and copying takes the whole UTF-16 path. This program plays songs and fills the
// clipboard: it holds both locks.
#include <gtest/gtest.h>

#include "tests/app/DateiinfoFixture.h"

namespace {

class DateiinfoPlay : public TDateiinfoFixture {
 protected:
  void SetUp() override {
    TDateiinfoFixture::SetUp();
    prog->Show();
    prog->Wiederholen->SetChecked(true);  // no song may end while a test looks at it
  }
};

TEST_F(DateiinfoPlay, ThePlayingSongsWidePathIsShownAndCopied) {
  const std::wstring Name = L"\u041F\u0435\u0441\u043D\u044F \u266B.mp3";
  const std::wstring Datei = CopyFixture(L"short\\s1.mp3", Name);
  prog->DateiAbspielen(Datei);
  ASSERT_NE(prog->AktuellerPlayer(), nullptr);

  static_cast<TMenuItem*>(prog->FindComponent("mw6"))->Click();
  EXPECT_TRUE(dateiinfo->Visible());
  EXPECT_EQ(dateiinfo->Datei(), Datei);
  EXPECT_EQ(Felder(), (std::vector<std::wstring>{Datei, Name, Dir.Path() + L"\\"}));

  EmptyTheClipboard();
  Press(dateiinfo->clipbrd);
  EXPECT_EQ(ClipboardFiles(), std::vector<std::wstring>{Datei});

  // "Read Info" follows the song that plays now.
  const std::wstring Zweite = CopyFixture(L"short\\s2.mp3", L"zwei.mp3");
  prog->DateiAbspielen(Zweite);
  EXPECT_EQ(dateiinfo->Datei(), Datei);
  Press(dateiinfo->Auslesenbt);
  EXPECT_EQ(dateiinfo->Datei(), Zweite);
  EXPECT_EQ(Felder()[1], L"zwei.mp3");
}

}  // namespace
