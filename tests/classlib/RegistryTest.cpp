#include "classlib/Registry.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/classlib/RaisedMessage.h"

namespace {

// A key of its own below HKEY_CURRENT_USER\Software, removed at the end, so that runs side by side
// never meet.
class RegistryKey : public testing::Test {
 protected:
  const std::wstring Root = L"Software\\VelmaroRegistryTest" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                            AnsiToWide(testing::UnitTest::GetInstance()->current_test_info()->name());
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, Root.c_str()); }
};

// The default value of a key read with the platform's own functions.
std::wstring DefaultValue(const std::wstring& Key) {
  wchar_t Text[256] = {};
  LONG Size = sizeof Text;
  if (RegQueryValueW(HKEY_CURRENT_USER, Key.c_str(), Text, &Size) != ERROR_SUCCESS) return L"<missing>";
  return Text;
}

}  // namespace

TEST_F(RegistryKey, KeysOpenFromTheRootOrFromTheOpenKey) {
  TRegistry Reg;
  EXPECT_EQ(Reg.RootKey(), HKEY_CURRENT_USER);
  EXPECT_EQ(Reg.Access(), static_cast<REGSAM>(KEY_ALL_ACCESS));
  EXPECT_FALSE(Reg.OpenKey(Root, false));
  ASSERT_TRUE(Reg.OpenKey(Root, true));
  Reg.WriteString(L"", L"Wurzel \u0416");
  // Relative to the open key.
  ASSERT_TRUE(Reg.OpenKey(L"Typ", true));
  EXPECT_EQ(Reg.CurrentPath(), Root + L"\\Typ");
  Reg.WriteString(L"", L"Beschreibung");
  ASSERT_TRUE(Reg.OpenKey(L"DefaultIcon", true));
  Reg.WriteString(L"", L"C:\\x.exe,0");
  // From the root again.
  ASSERT_TRUE(Reg.OpenKey(L"\\" + Root + L"\\Typ\\Shell\\Open\\Command", true));
  Reg.WriteString(L"", L"\"C:\\x.exe\" \"%1\"");
  Reg.WriteString(L"Name", L"Wert");
  EXPECT_TRUE(Reg.ValueExists(L"Name"));
  EXPECT_FALSE(Reg.ValueExists(L"Anderer"));
  EXPECT_EQ(Reg.ReadString(L"Name"), L"Wert");
  EXPECT_EQ(Reg.ReadString(L"Anderer"), L"");
  Reg.CloseKey();
  EXPECT_EQ(Reg.CurrentKey(), nullptr);

  EXPECT_EQ(DefaultValue(Root), L"Wurzel \u0416");
  EXPECT_EQ(DefaultValue(Root + L"\\Typ"), L"Beschreibung");
  EXPECT_EQ(DefaultValue(Root + L"\\Typ\\DefaultIcon"), L"C:\\x.exe,0");
  EXPECT_EQ(DefaultValue(Root + L"\\Typ\\Shell\\Open\\Command"), L"\"C:\\x.exe\" \"%1\"");

  TRegistry Reader;
  ASSERT_TRUE(Reader.OpenKeyReadOnly(Root));
  EXPECT_EQ(Reader.ReadString(L""), L"Wurzel \u0416");
  EXPECT_THROW(Reader.WriteString(L"", L"x"), ERegistryException);
}

TEST_F(RegistryKey, DeleteKeyRemovesTheSubKeysAndKeyExistsLeavesTheOpenKey) {
  TRegistry Reg;
  ASSERT_TRUE(Reg.OpenKey(Root + L"\\a\\b\\c", true));
  ASSERT_TRUE(Reg.OpenKey(L"\\" + Root + L"\\a\\d", true));
  ASSERT_TRUE(Reg.OpenKey(L"\\" + Root, false));
  const HKEY Open = Reg.CurrentKey();
  EXPECT_TRUE(Reg.KeyExists(L"a\\b"));
  EXPECT_TRUE(Reg.KeyExists(L"\\" + Root + L"\\a\\d"));
  EXPECT_FALSE(Reg.KeyExists(L"a\\x"));
  EXPECT_EQ(Reg.CurrentKey(), Open);
  EXPECT_TRUE(Reg.DeleteKey(L"a"));
  EXPECT_FALSE(Reg.KeyExists(L"a"));
  EXPECT_FALSE(Reg.DeleteKey(L"a"));
  EXPECT_FALSE(Reg.DeleteKey(L""));  // never the open key itself
  EXPECT_TRUE(Reg.KeyExists(L"\\" + Root));
}

TEST_F(RegistryKey, AWriteWithoutAnOpenKeyRaises) {
  TRegistry Reg;
  EXPECT_EQ(MessageOf<ERegistryException>([&] { Reg.WriteString(L"Wert", L"x"); }),
            L"Failed to set data for 'Wert'");
}

TEST_F(RegistryKey, TheViewFlagGoesWithEveryOpenAndDelete) {
  TRegistry Reg(KEY_WOW64_64KEY);
  ASSERT_TRUE(Reg.OpenKey(Root + L"\\v", true));
  Reg.CloseKey();
  Reg.SetAccess(KEY_ALL_ACCESS | KEY_WOW64_64KEY);
  ASSERT_TRUE(Reg.OpenKey(Root + L"\\v", false));
  Reg.WriteString(L"", L"64");
  EXPECT_EQ(DefaultValue(Root + L"\\v"), L"64");
  Reg.SetRootKey(HKEY_CURRENT_USER);
  EXPECT_EQ(Reg.CurrentKey(), nullptr);
  EXPECT_TRUE(Reg.DeleteKey(Root + L"\\v"));
  EXPECT_FALSE(Reg.KeyExists(Root + L"\\v"));
}
