#include "Imports/UCodeClipBrd.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "classlib/SysUtils.h"

namespace {

std::wstring UnicodeOnClipboard(size_t& Units) {
  OpenClipboard(nullptr);
  const HANDLE Data = GetClipboardData(CF_UNICODETEXT);
  const auto* Text = static_cast<const wchar_t*>(GlobalLock(Data));
  Units = GlobalSize(Data) / sizeof(wchar_t);
  std::wstring Result(Text, Units);
  GlobalUnlock(Data);
  CloseClipboard();
  return Result;
}

TEST(UCodeClipboard, WideTextIsThereAsUnicodeAndAs8BitText) {
  const std::wstring Text = L"\u0391\u03B8\u03AE\u03BD\u03B1 \u00E4";
  UCodeClipboard()->SetAsWideText(Text);
  EXPECT_NE(GetClipboardOwner(), nullptr);
  size_t Units = 0;
  const std::wstring Block = UnicodeOnClipboard(Units);
  ASSERT_EQ(Units, Text.size() + 1);
  EXPECT_EQ(Block, Text + L'\0');
  EXPECT_EQ(UCodeClipboard()->AsText(), WideToAnsi(Text));
}

TEST(UCodeClipboard, ABusyClipboardIsAnErrorNotASilentSuccess) {
  UCodeClipboard()->SetAsWideText(L"before");
  HANDLE Opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE Release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::thread Holder([&] {
    OpenClipboard(nullptr);
    SetEvent(Opened);
    WaitForSingleObject(Release, 10000);
    CloseClipboard();
  });
  WaitForSingleObject(Opened, 10000);
  EXPECT_THROW(UCodeClipboard()->SetAsWideText(L"after"), EClipboardException);
  SetEvent(Release);
  Holder.join();
  CloseHandle(Opened);
  CloseHandle(Release);
  size_t Units = 0;
  EXPECT_EQ(UnicodeOnClipboard(Units), std::wstring(L"before") + L'\0');
}

}  // namespace
