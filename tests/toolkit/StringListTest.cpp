#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "toolkit/List.h"
#include "toolkit/StringList.h"
#include "toolkit/SysUtils.h"

namespace {

std::vector<std::string> Contents(const TStringList &list) {
  std::vector<std::string> out;
  for (int i = 0; i < list.Count(); ++i)
    out.push_back(list[i]);
  return out;
}

TEST(StringList, SortedInsertKeepsCaseInsensitiveOrderAndObjects) {
  TStringList list;
  list.SetSorted(true);
  int values[] = {1, 2, 3, 4, 5};
  list.AddObject("pear", &values[0]);
  list.AddObject("Apple", &values[1]);
  list.AddObject("zebra", &values[2]);
  list.AddObject("banana", &values[3]);
  list.AddObject("Cherry", &values[4]);
  EXPECT_EQ(Contents(list), (std::vector<std::string>{"Apple", "banana", "Cherry", "pear", "zebra"}));
  EXPECT_EQ(list.Objects(3), &values[0]);
  EXPECT_EQ(list.IndexOf("CHERRY"), 2);
  EXPECT_EQ(list.IndexOf("grape"), -1);
  EXPECT_THROW(list.Insert(0, "x"), EListError);
  EXPECT_THROW(list.Objects(5), EListError);
}

TEST(StringList, FindGivesTheInsertionPointOfAMissingString) {
  TStringList list;
  list.SetSorted(true);
  for (const char *s : {"b", "d", "f"})
    list.Add(s);
  int index = -1;
  EXPECT_FALSE(list.Find("a", index));
  EXPECT_EQ(index, 0);
  EXPECT_FALSE(list.Find("e", index));
  EXPECT_EQ(index, 2);
  EXPECT_FALSE(list.Find("g", index));
  EXPECT_EQ(index, 3);
  EXPECT_TRUE(list.Find("D", index));
  EXPECT_EQ(index, 1);
}

TEST(StringList, DuplicatesIgnoredReturnTheExistingIndex) {
  TStringList list;
  list.SetSorted(true);
  list.SetDuplicates(dupIgnore);
  int first = 0, second = 0;
  list.AddObject("a", nullptr);
  list.AddObject("same", &first);
  list.AddObject("z", nullptr);
  EXPECT_EQ(list.AddObject("SAME", &second), 1);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Objects(1), &first);
}

TEST(StringList, DuplicatesRefusedRaiseAndLeaveTheListAlone) {
  TStringList list;
  list.SetSorted(true);
  list.SetDuplicates(dupError);
  list.Add("one");
  list.Add("two");
  try {
    list.Add("Two");
    FAIL() << "no exception";
  } catch (const EListError &e) {
    EXPECT_EQ(e.Message(), "String list does not allow duplicates");
  }
  EXPECT_EQ(Contents(list), (std::vector<std::string>{"one", "two"}));
}

TEST(StringList, DuplicatesAcceptedGoInFrontOfTheEqualRun) {
  TStringList list;
  list.SetSorted(true);
  list.SetDuplicates(dupAccept);
  int tags[4] = {};
  list.AddObject("m", &tags[0]);
  list.AddObject("a", nullptr);
  list.AddObject("z", nullptr);
  list.AddObject("m", &tags[1]);
  list.AddObject("m", &tags[2]);
  EXPECT_EQ(Contents(list), (std::vector<std::string>{"a", "m", "m", "m", "z"}));
  // With duplicates accepted, Find runs on to the insertion point: the first of the equal strings.
  int index = -1;
  EXPECT_TRUE(list.Find("M", index));
  EXPECT_EQ(index, 1);
  EXPECT_EQ(list.AddObject("m", &tags[3]), 1);
  EXPECT_EQ(list.Objects(1), &tags[3]);
  EXPECT_EQ(list.Count(), 6);
}

TEST(StringList, SwitchingSortedOnSortsAndCaseSensitivityChangesEquality) {
  TStringList list;
  list.SetText("delta\r\nAlpha\ncharlie\rbravo");
  EXPECT_EQ(Contents(list), (std::vector<std::string>{"delta", "Alpha", "charlie", "bravo"}));
  list.Put(0, "Delta");
  list.SetSorted(true);
  EXPECT_EQ(Contents(list), (std::vector<std::string>{"Alpha", "bravo", "charlie", "Delta"}));
  EXPECT_EQ(list.Text(), "Alpha\r\nbravo\r\ncharlie\r\nDelta\r\n");
  EXPECT_EQ(list.IndexOf("alpha"), 0);
  list.SetCaseSensitive(true);
  EXPECT_EQ(list.IndexOf("alpha"), -1);
  EXPECT_EQ(list.IndexOf("Alpha"), 0);
}

TEST(StringList, LargeSortedListStaysOrdered) {
  TStringList list;
  list.SetSorted(true);
  list.SetDuplicates(dupAccept);
  // A fixed pseudo-random sequence with many repeats.
  unsigned seed = 12345;
  for (int i = 0; i < 2000; ++i) {
    seed = seed * 1103515245u + 12345u;
    list.Add("item" + std::to_string((seed >> 16) % 500));
  }
  ASSERT_EQ(list.Count(), 2000);
  for (int i = 1; i < list.Count(); ++i)
    ASSERT_LE(CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, list[i - 1].c_str(), -1, list[i].c_str(), -1),
              CSTR_EQUAL)
        << i;
}

TEST(List, InsertDeleteMoveAndBounds) {
  TList list;
  int a = 1, b = 2, c = 3;
  list.Add(&a);
  list.Add(&c);
  list.Insert(1, &b);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list[1], &b);
  list.Move(0, 2);
  EXPECT_EQ(list.First(), &b);
  EXPECT_EQ(list.Last(), &a);
  EXPECT_EQ(list.Remove(&c), 1);
  EXPECT_EQ(list.IndexOf(&c), -1);
  EXPECT_THROW(list.Get(2), EListError);
  EXPECT_THROW(list.Insert(3, &c), EListError);
  EXPECT_THROW(list.SetCapacity(1), EListError);
  list.SetCapacity(100);
  EXPECT_GE(list.Capacity(), 100);
  list.SetCapacity(2);
  EXPECT_EQ(list.Capacity(), 2);
  EXPECT_EQ(list[0], &b);
  EXPECT_EQ(list[1], &a);
  list.SetCount(4);
  EXPECT_EQ(list[3], nullptr);
  list.Pack();
  EXPECT_EQ(list.Count(), 2);
}

TEST(List, SortOrdersItemsAndSurvivesAnInconsistentComparison) {
  std::vector<int> values = {5, 3, 9, 1, 7, 3, 8, 2, 6, 4};
  TList list;
  for (int &v : values)
    list.Add(&v);
  list.Sort([](void *x, void *y) { return *static_cast<int *>(x) - *static_cast<int *>(y); });
  for (int i = 1; i < list.Count(); ++i)
    EXPECT_LE(*static_cast<int *>(list[i - 1]), *static_cast<int *>(list[i]));
  // A comparison that calls everything greater (a failing shell comparison does) must not walk out of the
  // list; every item is still there afterwards.
  list.Sort([](void *, void *) { return 1; });
  list.Sort([](void *, void *) { return -1; });
  std::vector<int> seen;
  for (int i = 0; i < list.Count(); ++i)
    seen.push_back(*static_cast<int *>(list[i]));
  std::sort(seen.begin(), seen.end());
  std::vector<int> expected = values;
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(seen, expected);
}

} // namespace
