// Byte-level behaviour of the ID-list functions and TKdIdListArray on lists built here, item by item.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "shellns/UKdShell95.h"

namespace {

// Bytes of one item: its count (the two count bytes included) and its payload.
std::vector<BYTE> ItemBytes(const std::string &payload) {
  USHORT count = static_cast<USHORT>(payload.size() + 2);
  std::vector<BYTE> bytes(2);
  std::memcpy(bytes.data(), &count, 2);
  bytes.insert(bytes.end(), payload.begin(), payload.end());
  return bytes;
}

// A terminated list of the given payloads, in ordinary (not shell) memory.
std::vector<BYTE> ListBytes(const std::vector<std::string> &payloads) {
  std::vector<BYTE> bytes;
  for (const std::string &payload : payloads) {
    std::vector<BYTE> item = ItemBytes(payload);
    bytes.insert(bytes.end(), item.begin(), item.end());
  }
  bytes.push_back(0);
  bytes.push_back(0);
  return bytes;
}

LPCITEMIDLIST AsList(const std::vector<BYTE> &bytes) { return reinterpret_cast<LPCITEMIDLIST>(bytes.data()); }

std::vector<BYTE> BytesOf(LPCITEMIDLIST list) {
  auto *p = reinterpret_cast<const BYTE *>(list);
  return std::vector<BYTE>(p, p + IdListSize(list));
}

TEST(IdListBytes, SizeCountsEveryItemAndTheTerminator) {
  EXPECT_EQ(IdListSize(nullptr), 0u);
  EXPECT_EQ(IdListSize(AsList(ListBytes({}))), 2u);
  EXPECT_EQ(IdListSize(AsList(ListBytes({"a"}))), 5u);
  // An odd-sized first item puts the next count at an odd address.
  EXPECT_EQ(IdListSize(AsList(ListBytes({"abc", "defgh", "i"}))), 5u + 7u + 3u + 2u);
}

TEST(IdListBytes, CopyOfNullOrEmptyIsANewEmptyList) {
  TKdIdListPtr fromNull(IdListCopy(nullptr));
  ASSERT_TRUE(fromNull);
  EXPECT_EQ(BytesOf(fromNull.get()), ListBytes({}));
  std::vector<BYTE> empty = ListBytes({});
  TKdIdListPtr fromEmpty(IdListCopy(AsList(empty)));
  ASSERT_TRUE(fromEmpty);
  EXPECT_NE(static_cast<const void *>(fromEmpty.get()), static_cast<const void *>(empty.data()));
  EXPECT_EQ(BytesOf(fromEmpty.get()), empty);
}

TEST(IdListBytes, CopyReproducesEveryByteThroughTheGivenAllocator) {
  std::vector<BYTE> source = ListBytes({"first", "second", "x"});
  TKdIdListPtr copy(IdListCopy(AsList(source)));
  ASSERT_TRUE(copy);
  EXPECT_EQ(BytesOf(copy.get()), source);
}

TEST(IdListBytes, ConcatJoinsItemsWithOneTerminator) {
  std::vector<BYTE> a = ListBytes({"ab", "cde"});
  std::vector<BYTE> b = ListBytes({"f", "ghij"});
  std::vector<BYTE> empty = ListBytes({});

  TKdIdListPtr ab(IdListConcat(AsList(a), AsList(b)));
  EXPECT_EQ(BytesOf(ab.get()), ListBytes({"ab", "cde", "f", "ghij"}));

  TKdIdListPtr nullAndB(IdListConcat(nullptr, AsList(b)));
  EXPECT_EQ(BytesOf(nullAndB.get()), b);
  TKdIdListPtr aAndEmpty(IdListConcat(AsList(a), AsList(empty)));
  EXPECT_EQ(BytesOf(aAndEmpty.get()), a);
  TKdIdListPtr nothing(IdListConcat(nullptr, nullptr));
  EXPECT_EQ(BytesOf(nothing.get()), empty);
}

TEST(IdListArray, CountsItemsOfNullEmptyAndLongerLists) {
  EXPECT_EQ(TKdIdListArray(nullptr).Count(), 0);
  std::vector<BYTE> empty = ListBytes({});
  EXPECT_EQ(TKdIdListArray(AsList(empty)).Count(), 0);
  std::vector<BYTE> three = ListBytes({"a", "bb", "ccc"});
  EXPECT_EQ(TKdIdListArray(AsList(three)).Count(), 3);
}

TEST(IdListArray, HeadDropsTrailingItemsAndIsNullPastTheStart) {
  std::vector<BYTE> three = ListBytes({"a", "bb", "ccc"});
  TKdIdListArray array(AsList(three));
  EXPECT_EQ(BytesOf(array.GetHead(0)), three);
  EXPECT_EQ(BytesOf(array.GetHead(1)), ListBytes({"a", "bb"}));
  EXPECT_EQ(BytesOf(array.GetHead(2)), ListBytes({"a"}));
  EXPECT_EQ(BytesOf(array.GetHead(3)), ListBytes({}));
  EXPECT_EQ(array.GetHead(4), nullptr);
  EXPECT_EQ(TKdIdListArray(nullptr).GetHead(0), nullptr);
}

TEST(IdListArray, ItemGivesOneItemListsWithinRange) {
  std::vector<BYTE> three = ListBytes({"a", "bb", "ccc"});
  TKdIdListArray array(AsList(three));
  EXPECT_EQ(BytesOf(array.GetItem(0)), ListBytes({"a"}));
  EXPECT_EQ(BytesOf(array.GetItem(1)), ListBytes({"bb"}));
  EXPECT_EQ(BytesOf(array.GetItem(2)), ListBytes({"ccc"}));
  EXPECT_EQ(array.GetItem(3), nullptr);
  EXPECT_EQ(array.GetItem(-1), nullptr);
  EXPECT_EQ(TKdIdListArray(nullptr).GetItem(0), nullptr);

  std::vector<BYTE> empty = ListBytes({});
  TKdIdListArray emptyArray(AsList(empty));
  EXPECT_EQ(BytesOf(emptyArray.GetItem(0)), empty);
  EXPECT_EQ(emptyArray.GetItem(1), nullptr);
}

TEST(IdListArray, EachResultReplacesThePreviousOneAndTheSourceStaysIntact) {
  std::vector<BYTE> two = ListBytes({"parent", "child"});
  std::vector<BYTE> before = two;
  TKdIdListArray array(AsList(two));
  TKdIdListPtr keptHead(IdListCopy(array.GetHead(1)));
  LPCITEMIDLIST item = array.GetItem(1);
  EXPECT_EQ(BytesOf(keptHead.get()), ListBytes({"parent"}));
  EXPECT_EQ(BytesOf(item), ListBytes({"child"}));
  EXPECT_EQ(two, before);
}

TEST(IdListText, AppendDelimiterAddsOnlyAMissingDelimiter) {
  EXPECT_EQ(AppendDelimiter("", '\\'), "");
  EXPECT_EQ(AppendDelimiter("C:", '\\'), "C:\\");
  EXPECT_EQ(AppendDelimiter("C:\\", '\\'), "C:\\");
  EXPECT_EQ(AppendDelimiter("C:\\été-日本", '\\'), "C:\\été-日本\\");
}

TEST(IdListText, CopyMbcsCharCopiesOneCharacterAndAdvances) {
  std::string dest;
  int pos = 1;
  std::string source = "ab";
  CopyMbcsChar(pos, source, dest);
  CopyMbcsChar(pos, source, dest);
  EXPECT_EQ(dest, "ab");
  EXPECT_EQ(pos, 3);
  // Past the end nothing is read.
  CopyMbcsChar(pos, source, dest);
  EXPECT_EQ(dest, "ab");
}

} // namespace
