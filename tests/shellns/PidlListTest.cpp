// TKdPidlList: byte and folder ordering, the toolkit list's binary search and duplicates policy, and the
// refresh diff of a real folder's children.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "common/TestSupport.h"
#include "fakes/FakeShellFolder.h"
#include "shellns/UKdShell95.h"
#include "toolkit/SysUtils.h"

namespace {

using zortest::FakeShellFolder;

// A one-item list with the given payload bytes, owned by the test.
TKdIdListPtr Item(const std::string &payload) {
  USHORT count = static_cast<USHORT>(payload.size() + 2);
  auto *bytes = static_cast<BYTE *>(ShellMemAlloc(count + 2u));
  std::memcpy(bytes, &count, 2);
  std::memcpy(bytes + 2, payload.data(), payload.size());
  bytes[count] = 0;
  bytes[count + 1] = 0;
  return TKdIdListPtr(reinterpret_cast<LPITEMIDLIST>(bytes));
}

std::string Payload(LPCITEMIDLIST item) {
  return std::string(reinterpret_cast<const char *>(item) + 2, item->mkid.cb - 2u);
}

std::vector<std::string> Payloads(const TKdPidlList &list) {
  std::vector<std::string> result;
  for (int i = 0; i < list.Count(); ++i)
    result.push_back(Payload(list.Pidls(i)));
  return result;
}

// Items owned by the test, added in the given order.
struct Pool {
  std::vector<TKdIdListPtr> Items;
  LPITEMIDLIST operator()(const std::string &payload) {
    Items.push_back(Item(payload));
    return Items.back().get();
  }
};

TEST(PidlListOrder, ByteOrderPutsAListBeforeLongerListsWithTheSamePrefix) {
  Pool pool;
  TKdPidlList list;
  for (const char *p : {"abd", "ab", "b", "abc", "a\xff", "a"})
    list.Add(Item(p));
  list.SetSorted(true);
  // A shorter item has a smaller count, so it sorts first; then the payload bytes decide, unsigned.
  EXPECT_EQ(Payloads(list), (std::vector<std::string>{"a", "b", "ab", "a\xff", "abc", "abd"}));

  TKdIdListPtr twoItems(IdListConcat(pool("ab"), pool("c")));
  EXPECT_LT(ComparePidls(nullptr, pool("ab"), twoItems.get()), 0);
  EXPECT_GT(ComparePidls(nullptr, twoItems.get(), pool("ab")), 0);
  EXPECT_EQ(ComparePidls(nullptr, pool("abc"), pool("abc")), 0);
}

TEST(PidlListOrder, FolderOrderComesFromItsCompareIDs) {
  ComPtr<FakeShellFolder> folder = FakeShellFolder::Create();
  // Reverse alphabetical, to be unmistakable for byte order.
  folder->CompareNames = [](const std::string &a, const std::string &b) { return b.compare(a); };
  TKdPidlList list;
  list.Folder = folder.Get();
  for (const char *name : {"beta", "alpha", "gamma", "delta"})
    list.Add(TKdIdListPtr(FakeShellFolder::MakeItemIdList(name)));
  list.SetSorted(true);
  std::vector<std::string> names;
  for (int i = 0; i < list.Count(); ++i)
    names.push_back(FakeShellFolder::NameOf(list.Pidls(i)));
  EXPECT_EQ(names, (std::vector<std::string>{"gamma", "delta", "beta", "alpha"}));
  TKdIdListPtr probe(FakeShellFolder::MakeItemIdList("delta"));
  EXPECT_EQ(list.IndexOf(probe.get()), 1);
  list.Clear();
}

TEST(PidlListOrder, SortingSurvivesAFolderWhoseOrderIsInconsistent) {
  ComPtr<FakeShellFolder> folder = FakeShellFolder::Create();
  // Says "less" for every pair, even an item with itself.
  folder->CompareNames = [](const std::string &, const std::string &) { return -1; };
  TKdPidlList list;
  list.Folder = folder.Get();
  for (int i = 0; i < 40; ++i)
    list.Add(TKdIdListPtr(FakeShellFolder::MakeItemIdList(FormatStr("n%d", i))));
  list.Sort();
  std::set<LPCITEMIDLIST> after;
  for (int i = 0; i < list.Count(); ++i)
    after.insert(list.Pidls(i));
  EXPECT_EQ(after.size(), 40u);
  list.Clear();
}

TEST(PidlListSearch, FindGivesTheInsertionPointWhenAbsent) {
  Pool pool;
  TKdPidlList list;
  list.SetSorted(true);
  for (const char *p : {"b", "d", "f"})
    list.Add(Item(p));
  int index = -1;
  EXPECT_FALSE(list.Find(pool("a"), index));
  EXPECT_EQ(index, 0);
  EXPECT_FALSE(list.Find(pool("e"), index));
  EXPECT_EQ(index, 2);
  EXPECT_FALSE(list.Find(pool("g"), index));
  EXPECT_EQ(index, 3);
  EXPECT_TRUE(list.Find(pool("d"), index));
  EXPECT_EQ(index, 1);
  EXPECT_EQ(list.IndexOf(pool("f")), 2);
  EXPECT_EQ(list.IndexOf(pool("c")), -1);
}

TEST(PidlListSearch, IndexOfOnAnUnsortedListFindsTheFirstEqualItem) {
  Pool pool;
  TKdPidlList list;
  list.AddObject(Item("x"), reinterpret_cast<void *>(1));
  list.AddObject(Item("y"), reinterpret_cast<void *>(2));
  list.AddObject(Item("x"), reinterpret_cast<void *>(3));
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.IndexOf(pool("x")), 0);
  EXPECT_EQ(list.IndexOf(pool("y")), 1);
  EXPECT_EQ(list.IndexOf(pool("z")), -1);
  EXPECT_EQ(list.Objects(2), reinterpret_cast<void *>(3));
}

TEST(PidlListDuplicates, IgnoreReturnsTheExistingIndexWithoutAdding) {
  Pool pool;
  TKdPidlList list;
  list.Duplicates = TKdDuplicates::dupIgnore;
  list.SetSorted(true);
  list.AddObject(Item("a"), reinterpret_cast<void *>(1));
  list.AddObject(Item("m"), reinterpret_cast<void *>(2));
  list.AddObject(Item("z"), reinterpret_cast<void *>(3));
  EXPECT_EQ(list.AddObject(Item("m"), reinterpret_cast<void *>(9)), 1);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Objects(1), reinterpret_cast<void *>(2));
}

TEST(PidlListDuplicates, ErrorRaisesAndLeavesTheListUnchanged) {
  Pool pool;
  TKdPidlList list;
  EXPECT_EQ(list.Duplicates, TKdDuplicates::dupError);
  list.SetSorted(true);
  list.Add(Item("a"));
  list.Add(Item("b"));
  try {
    list.Add(Item("a"));
    ADD_FAILURE() << "no exception";
  } catch (const Exception &e) {
    EXPECT_EQ(e.Message(), "TKdPidlList: Duplicate PIDL");
  }
  EXPECT_EQ(Payloads(list), (std::vector<std::string>{"a", "b"}));
}

TEST(PidlListDuplicates, AcceptKeepsEveryEqualItemTogether) {
  Pool pool;
  TKdPidlList list;
  list.Duplicates = TKdDuplicates::dupAccept;
  list.SetSorted(true);
  for (const char *p : {"b", "a", "b", "c", "b"})
    list.Add(Item(p));
  EXPECT_EQ(Payloads(list), (std::vector<std::string>{"a", "b", "b", "b", "c"}));
  // With duplicates accepted the search runs on to the first of the equal items.
  int index = -1;
  EXPECT_TRUE(list.Find(pool("b"), index));
  EXPECT_EQ(index, 1);
  EXPECT_EQ(list.Add(Item("b")), 1);
  EXPECT_EQ(list.Count(), 6);
}

// The children of a real folder as (relative list) entries, in enumeration order.
std::vector<TKdIdListPtr> Enumerate(IShellFolder *folder) {
  std::vector<TKdIdListPtr> result;
  ComPtr<IEnumIDList> items;
  if (folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, items.Put()) != S_OK ||
      !items)
    return result;
  LPITEMIDLIST item = nullptr;
  ULONG fetched = 0;
  while (items->Next(1, &item, &fetched) == S_OK && fetched == 1)
    result.emplace_back(item);
  return result;
}

struct DiffResult {
  std::set<std::string> Vanished;
  std::set<std::string> Added;
  std::set<std::string> Renewed;
};

// The refresh of the shell tree and list: what is shown against a fresh listing.
DiffResult Diff(IShellFolder *folder, IShellFolder *compareFolder, const std::vector<TKdIdListPtr> &shownLists) {
  std::vector<LPCITEMIDLIST> shown;
  for (const TKdIdListPtr &list : shownLists)
    shown.push_back(list.get());
  std::vector<TKdIdListPtr> fresh = Enumerate(folder);
  const TKdChildMatch match = MatchChildren(compareFolder, shown, fresh);
  DiffResult result;
  for (size_t i = 0; i < shown.size(); ++i) {
    const std::string name = GetItemDisplayName(folder, shown[i], dnInFolder);
    if (match.FreshOf[i] < 0)
      result.Vanished.insert(name);
    else if (match.Renewed[i])
      result.Renewed.insert(name);
  }
  for (size_t j = 0; j < fresh.size(); ++j)
    if (!match.Shown[j])
      result.Added.insert(GetItemDisplayName(folder, fresh[j].get(), dnInFolder));
  return result;
}

TEST(ChildMatch, ARealFolderShowsWhatVanishedWhatIsNewAndWhatOnlyChangedItsBytes) {
  zortest::TempDir tmp;
  // Names without extensions read the same whether or not the shell hides extensions.
  for (const char *name : {"alpha", "beta", "gamma"})
    zortest::WriteFileText(tmp / name, "x");
  zortest::MakeDir(tmp / "folder one");
  zortest::MakeDir(tmp / "folder two");
  TKdIdListPtr absolute;
  ASSERT_EQ(ParseDisplayNameToIdList(tmp.Path(), absolute), S_OK);
  ComPtr<IShellFolder> folder;
  ASSERT_EQ(BindToShellFolder(absolute.get(), folder), S_OK);
  std::vector<TKdIdListPtr> shown = Enumerate(folder.Get());
  ASSERT_EQ(shown.size(), 5u);

  ASSERT_TRUE(DeleteFileA((tmp / "beta").c_str()));
  ASSERT_TRUE(RemoveDirectoryA((tmp / "folder two").c_str()));
  zortest::WriteFileText(tmp / "delta", "x");
  zortest::MakeDir(tmp / "folder three");
  // A file that grew is still the same item, though its list now carries another size.
  zortest::WriteFileText(tmp / "gamma", std::string(5000, 'g'));

  DiffResult byFolder = Diff(folder.Get(), folder.Get(), shown);
  EXPECT_EQ(byFolder.Vanished, (std::set<std::string>{"beta", "folder two"}));
  EXPECT_EQ(byFolder.Added, (std::set<std::string>{"delta", "folder three"}));
  // Only the folder can tell that the grown file is the same: by bytes alone it would vanish and come back.
  DiffResult byBytes = Diff(folder.Get(), nullptr, shown);
  if (byBytes.Vanished.count("gamma")) {
    EXPECT_EQ(byFolder.Renewed, (std::set<std::string>{"gamma"}));
    EXPECT_EQ(byBytes.Added, (std::set<std::string>{"delta", "folder three", "gamma"}));
  } else {
    EXPECT_TRUE(byFolder.Renewed.empty());
  }
}

} // namespace
