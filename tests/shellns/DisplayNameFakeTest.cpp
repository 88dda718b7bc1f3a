// Display names from a folder that answers in each STRRET form, and one that answers only when offered the
// inline buffer.
#include <gtest/gtest.h>

#include <cstring>

#include "fakes/FakeShellFolder.h"
#include "shellns/UKdShell95.h"

namespace {

using zortest::FakeShellFolder;

class DisplayNameFake : public ::testing::Test {
protected:
  void SetUp() override {
    Folder->Items = {{"item one", 0}};
    // Each kind tagged with its flags, so a wrong flags table shows.
    Folder->DisplayName = [](const std::string &name, SHGDNF flags) {
      return name + "#" + std::to_string(static_cast<unsigned long>(flags));
    };
  }
  ComPtr<FakeShellFolder> Folder = FakeShellFolder::Create();
  TKdIdListPtr Item{FakeShellFolder::MakeItemIdList("item one")};
};

TEST_F(DisplayNameFake, WideNamesCarryTheFlagsOfEachKind) {
  Folder->Mode = FakeShellFolder::NameMode::Wide;
  EXPECT_EQ(GetItemDisplayName(Folder.Get(), Item.get(), dnNormal), "item one#0");
  EXPECT_EQ(GetItemDisplayName(Folder.Get(), Item.get(), dnInFolder), "item one#1");
  EXPECT_EQ(GetItemDisplayName(Folder.Get(), Item.get(), dnForParsing), "item one#32768");
  EXPECT_EQ(GetItemDisplayName(Folder.Get(), Item.get(), dnForEditing), "item one#4097");
}

TEST_F(DisplayNameFake, InlineAndOffsetAnswersAreConverted) {
  Folder->Mode = FakeShellFolder::NameMode::CStr;
  EXPECT_EQ(GetItemDisplayName(Folder.Get(), Item.get(), dnInFolder), "item one#1");
  // The offset form points into the item's own bytes, where the fake keeps the bare name.
  Folder->Mode = FakeShellFolder::NameMode::Offset;
  EXPECT_EQ(GetItemDisplayName(Folder.Get(), Item.get(), dnInFolder), "item one");
}

TEST_F(DisplayNameFake, AFolderThatAnswersOnlyTheInlineFormStillYieldsItsName) {
  Folder->Mode = FakeShellFolder::NameMode::CStrWhenOffered;
  EXPECT_EQ(GetItemDisplayName(Folder.Get(), Item.get(), dnNormal), "item one#0");
  EXPECT_EQ(GetItemDisplayName(Folder.Get(), Item.get(), dnForEditing), "item one#4097");
  Folder->Mode = FakeShellFolder::NameMode::Fail;
  EXPECT_EQ(GetItemDisplayName(Folder.Get(), Item.get(), dnNormal), "");
}

TEST(StrRet, EachKindConvertsAndOnlyTheWideOneIsFreed) {
  TKdIdListPtr item(FakeShellFolder::MakeItemIdList("offset name"));
  STRRET wide = {};
  wide.uType = STRRET_WSTR;
  const wchar_t text[] = L"été-日本";
  wide.pOleStr = static_cast<LPWSTR>(CoTaskMemAlloc(sizeof text));
  std::memcpy(wide.pOleStr, text, sizeof text);
  EXPECT_EQ(StrRetToString(item.get(), wide), "été-日本");
  FreeStrRet(wide);
  EXPECT_EQ(wide.pOleStr, nullptr);

  STRRET offset = {};
  offset.uType = STRRET_OFFSET;
  offset.uOffset = 4;
  EXPECT_EQ(StrRetToString(item.get(), offset), "offset name");
  EXPECT_EQ(StrRetToString(nullptr, offset), "");
  FreeStrRet(offset);
  EXPECT_EQ(offset.uOffset, 4u);
  // The text is read within the item's bytes only: an offset past the list gives nothing, not the bytes
  // that happen to follow it.
  const BYTE listThenOther[] = {5, 0, 'a', 'b', 'c', 0, 0, 'X', 'X', 'X', 0};
  auto *raw = reinterpret_cast<LPCITEMIDLIST>(listThenOther);
  offset.uOffset = 2;
  EXPECT_EQ(StrRetToString(raw, offset), "abc");
  offset.uOffset = 7;
  EXPECT_EQ(StrRetToString(raw, offset), "");

  // An inline buffer filled to the last byte without a terminator is read to its end and no further.
  STRRET full = {};
  full.uType = STRRET_CSTR;
  std::memset(full.cStr, 'x', sizeof full.cStr);
  EXPECT_EQ(StrRetToString(nullptr, full), std::string(sizeof full.cStr, 'x'));
  STRRET shortText = {};
  shortText.uType = STRRET_CSTR;
  std::strcpy(shortText.cStr, "short");
  EXPECT_EQ(StrRetToString(nullptr, shortText), "short");
}

} // namespace
