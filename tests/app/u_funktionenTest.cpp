// The player's small helpers: the 8-bit file list for the clipboard, file sizes and colour texts.
#include "app/u_funktionen.h"

#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>

#include "classlib/SysUtils.h"
#include "tests/support/Clipboard.h"
#include "tests/support/TestFiles.h"

namespace {

Bytes ClipboardDropBlock() {
  Bytes Block;
  if (!OpenClipboard(nullptr)) return Block;
  if (const HANDLE Data = GetClipboardData(CF_HDROP)) {
    const auto* Memory = static_cast<const uint8_t*>(GlobalLock(Data));
    Block.assign(Memory, Memory + GlobalSize(Data));
    GlobalUnlock(Data);
  }
  CloseClipboard();
  return Block;
}

TEST(u_funktionenClipboard, AnsiDropListOfTwoNames) {
  CopyFilesToClipboardA(std::string("C:\\a.mp3\0C:\\b c.ogg\0", 20));
  const Bytes Block = ClipboardDropBlock();
  const Bytes Expected =
      B("\x14\0\0\0"        // the names start after the 20-byte header
        "\0\0\0\0\0\0\0\0"  // at point (0, 0)
        "\0\0\0\0"          // in the client area
        "\0\0\0\0"          // 8-bit names
        "C:\\a.mp3\0C:\\b c.ogg\0\0\0",
        42);
  ASSERT_GE(Block.size(), Expected.size());
  EXPECT_EQ(Bytes(Block.begin(), Block.begin() + static_cast<ptrdiff_t>(Expected.size())), Expected);
  // The shell reads it back as two names.
  bool Wide = true;
  EXPECT_EQ(ClipboardFiles(&Wide), (std::vector<std::wstring>{L"C:\\a.mp3", L"C:\\b c.ogg"}));
  EXPECT_FALSE(Wide);
}

TEST(u_funktionenClipboard, ABusyClipboardRaises) {
  const TClipboardHolder Holder;
  ASSERT_TRUE(Holder.Holds());
  EXPECT_THROW(CopyFilesToClipboardA(std::string("C:\\a.mp3\0", 9)), EClipboardException);
}

TEST(u_funktionenFileSize, SizesBeyond4GiBAndMissingFiles) {
  TempDir Dir;
  WriteBytes(Dir.File(L"three.txt"), B("abc", 3));
  EXPECT_EQ(GetFileSizeByName(Dir.File(L"three.txt")), 3);
  EXPECT_EQ(GetFileSizeByName(Dir.File(L"*.txt")), 3);  // the first match of a pattern
  EXPECT_EQ(GetFileSizeByName(Dir.File(L"missing.txt")), -1);
  EXPECT_EQ(GetFileSizeByName(L""), -1);

  // A sparse file takes no room on the disk.
  const std::wstring Big = Dir.File(L"\u0416big.vlm");
  const HANDLE File = CreateFileW(Big.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(File, INVALID_HANDLE_VALUE);
  LARGE_INTEGER Size;
  Size.QuadPart = 5LL << 30;
  SetFilePointerEx(File, Size, nullptr, FILE_BEGIN);
  SetEndOfFile(File);
  CloseHandle(File);
  EXPECT_EQ(GetFileSizeByName(Big), 5LL << 30);
}

TEST(u_funktionenColour, HexTextsBothWays) {
  EXPECT_EQ(ColorToHex(0x0000FF), L"FF0000");  // red is the lowest byte of a colour
  EXPECT_EQ(ColorToHex(0x123456), L"563412");
  EXPECT_EQ(HexToColor(L"FF0000", clBlack), 0x0000FF);
  EXPECT_EQ(HexToColor(L"00ff00", clBlack), 0x00FF00);
  EXPECT_EQ(HexToColor(L"563412", clBlack), 0x123456);
  EXPECT_EQ(HexToColor(L"563412 and more", clBlack), 0x123456);
  for (const TColor Color : {0x000000, 0xFFFFFF, 0x0A0B0C})
    EXPECT_EQ(HexToColor(ColorToHex(Color), -1), Color);
}

TEST(u_funktionenColour, ShortOrNonHexTextGivesTheDefault) {
  for (const wchar_t* Text :
       {L"", L"FFF", L"FFFFF", L"GG0000", L"00FF0Z", L" 00FF0", L"-10000", L"$FFFFF", L"0x00FF"})
    EXPECT_EQ(HexToColor(Text, 0x445566), 0x445566) << WideToAnsi(Text);
}

}  // namespace
