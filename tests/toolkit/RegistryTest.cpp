#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "toolkit/Registry.h"

namespace {

// A key of our own under HKCU, written with the plain API and removed with everything in it at the end.
class RegistryKeyTest : public testing::Test {
protected:
  void SetUp() override {
    FPath = "Software\\ZorvatTests\\Registry" + std::to_string(GetCurrentProcessId());
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, FPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &FKey, nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    if (FKey)
      RegCloseKey(FKey);
    RegDeleteTreeA(HKEY_CURRENT_USER, FPath.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\ZorvatTests");
  }
  void Set(const char *name, DWORD type, const void *data, DWORD size) {
    ASSERT_EQ(RegSetValueExA(FKey, name, 0, type, static_cast<const BYTE *>(data), size), ERROR_SUCCESS);
  }

  std::string FPath;
  HKEY FKey = nullptr;
};

TEST_F(RegistryKeyTest, ReadsTheValuesThatWereWritten) {
  const char text[] = "été-日本";
  Set("Text", REG_SZ, text, sizeof text);
  DWORD number = 0xFFFFFFF6;
  Set("Number", REG_DWORD, &number, sizeof number);
  const BYTE blob[6] = {1, 2, 3, 4, 5, 6};
  Set("Blob", REG_BINARY, blob, sizeof blob);

  TRegistry reg;
  ASSERT_TRUE(reg.OpenKeyReadOnly(FPath));
  EXPECT_TRUE(reg.ValueExists("Text"));
  EXPECT_FALSE(reg.ValueExists("Missing"));
  EXPECT_EQ(reg.ReadString("Text"), "été-日本");
  EXPECT_EQ(reg.ReadString("Missing"), "");
  EXPECT_EQ(reg.ReadInteger("Number"), -10);
  EXPECT_EQ(reg.GetDataSize("Blob"), 6);
  EXPECT_EQ(reg.GetDataSize("Missing"), -1);
  EXPECT_EQ(reg.GetDataType("Blob"), rdBinary);

  BYTE buffer[22] = {};
  EXPECT_EQ(reg.ReadBinaryData("Blob", buffer, sizeof buffer), 6);
  EXPECT_EQ(std::memcmp(buffer, blob, 6), 0);
  EXPECT_EQ(reg.ReadBinaryData("Missing", buffer, sizeof buffer), 0);
}

TEST_F(RegistryKeyTest, WrongTypesAndTooLargeDataRaiseWithoutTouchingTheBuffer) {
  const BYTE blob[30] = {9};
  Set("Big", REG_BINARY, blob, sizeof blob);
  Set("Text", REG_SZ, "x", 2);
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKeyReadOnly("\\" + FPath));
  BYTE buffer[22] = {};
  EXPECT_THROW(reg.ReadBinaryData("Big", buffer, sizeof buffer), ERegistryException);
  EXPECT_EQ(buffer[0], 0);
  EXPECT_THROW(reg.ReadInteger("Text"), ERegistryException);
  EXPECT_THROW(reg.ReadInteger("Missing"), ERegistryException);
  EXPECT_THROW(reg.ReadString("Big"), ERegistryException);
}

TEST(Registry, AMissingKeyGivesFalseWithoutRaising) {
  TRegistry reg;
  EXPECT_FALSE(reg.OpenKeyReadOnly("Software\\ZorvatTests\\NoSuchKey\\Deeper"));
  EXPECT_EQ(reg.CurrentKey(), nullptr);
  EXPECT_FALSE(reg.ValueExists("DirectoryCols"));
  EXPECT_EQ(reg.GetDataSize("DirectoryCols"), -1);
  EXPECT_EQ(reg.ReadString("DirectoryCols"), "");
}

} // namespace
