#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/TestSupport.h"
#include "shellctrls/KdShellLocator.h"
#include "shellns/IdList.h"

namespace {

using Bytes = std::vector<uint8_t>;

// The property set the filer writes around a "Pidl" record (name, binary type, count, record, end mark).
Bytes Framed(const Bytes &record) {
  Bytes out(10 + record.size() + 1, 0);
  const uint8_t head[] = {4, 'P', 'i', 'd', 'l', 0x0A};
  std::memcpy(out.data(), head, sizeof head);
  auto count = static_cast<int32_t>(record.size());
  std::memcpy(out.data() + 6, &count, 4);
  if (!record.empty())
    std::memcpy(out.data() + 10, record.data(), record.size());
  return out;
}

// The "Pidl" record a locator stores, or nothing when it stores no property at all.
Bytes Record(TKdShellLocator &locator) {
  TMemoryStream stream;
  TWriter(stream).WriteProperties(locator);
  auto *p = static_cast<const uint8_t *>(stream.Memory());
  Bytes all(p, p + stream.Size());
  if (all == Bytes{0})
    return {};
  Bytes record(all.begin() + 10, all.end() - 1);
  EXPECT_EQ(all, Framed(record));
  return record;
}

void Load(TKdShellLocator &locator, const Bytes &record) {
  Bytes framed = Framed(record);
  TMemoryStream stream;
  stream.WriteBuffer(framed.data(), static_cast<int64_t>(framed.size()));
  stream.SetPosition(0);
  TReader(stream).ReadProperties(locator);
}

Bytes Int32(int32_t value) {
  auto *p = reinterpret_cast<uint8_t *>(&value);
  return Bytes(p, p + 4);
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const auto &part : parts)
    for (uint8_t b : part)
      out.push_back(b);
  return out;
}

TKdIdListPtr Special(int csidl) {
  TKdIdListPtr list;
  EXPECT_EQ(GetSpecialFolderIdList(nullptr, csidl, list), S_OK) << csidl;
  return list;
}

// A locator that counts its change events.
struct Counted {
  TKdShellLocator Locator;
  int Changes = 0;
  Counted() {
    Locator.OnChange = [this](TObject *sender) {
      EXPECT_EQ(sender, &Locator);
      ++Changes;
    };
  }
};

class ShellLocator : public testing::Test {
protected:
  zortest::TempDir Temp;
};

TEST_F(ShellLocator, SettingTheSameListTwiceChangesOnce) {
  Counted c;
  auto first = zortest::ParsePath(Temp.Path());
  auto again = zortest::ParsePath(Temp.Path());
  c.Locator.SetIdList(first.get());
  c.Locator.SetIdList(again.get());
  EXPECT_EQ(c.Changes, 1);
  EXPECT_NE(c.Locator.GetIdList(), first.get());
  EXPECT_EQ(IdListCompare(c.Locator.GetIdList(), first.get()), 0);

  zortest::MakeDir(Temp / "sub");
  auto other = zortest::ParsePath(Temp / "sub");
  c.Locator.SetIdList(other.get());
  EXPECT_EQ(c.Changes, 2);
  c.Locator.Clear();
  EXPECT_EQ(c.Changes, 3);
  EXPECT_EQ(c.Locator.GetIdList(), nullptr);
  c.Locator.Clear();
  EXPECT_EQ(c.Changes, 3);
}

TEST_F(ShellLocator, TheEmptyListOnAFreshLocatorIsNoChange) {
  Counted c;
  uint16_t empty = 0;
  c.Locator.SetIdList(reinterpret_cast<LPCITEMIDLIST>(&empty));
  c.Locator.SetIdList(nullptr);
  EXPECT_EQ(c.Changes, 0);
  EXPECT_EQ(c.Locator.GetIdList(), nullptr);
  EXPECT_EQ(c.Locator.Kind(), kdlkIdList);
}

TEST_F(ShellLocator, ASpecialFolderIsResolvedOnFirstUse) {
  Counted c;
  Load(c.Locator, {1, CSIDL_DRIVES});
  EXPECT_EQ(c.Changes, 0);
  EXPECT_EQ(c.Locator.Kind(), kdlkSpecialFolder);
  EXPECT_EQ(c.Locator.SpecialFolder(), CSIDL_DRIVES);
  LPCITEMIDLIST resolved = c.Locator.GetIdList();
  ASSERT_NE(resolved, nullptr);
  auto drives = Special(CSIDL_DRIVES);
  EXPECT_EQ(IdListCompare(resolved, drives.get()), 0);
  EXPECT_EQ(c.Locator.GetIdList(), resolved);
  EXPECT_EQ(c.Locator.GetPath(), "");

  // A number the platform does not resolve stays unresolved, call after call.
  TKdShellLocator failing;
  Load(failing, {1, 12});
  EXPECT_EQ(failing.GetIdList(), nullptr);
  EXPECT_EQ(failing.GetIdList(), nullptr);
  EXPECT_EQ(failing.Kind(), kdlkSpecialFolder);

  // The high bit of a stored number is not dropped to make some other folder out of it.
  TKdShellLocator highBit;
  Load(highBit, {1, 0x80 | CSIDL_DRIVES});
  EXPECT_EQ(highBit.SpecialFolder(), 0x80 | CSIDL_DRIVES);
  EXPECT_EQ(highBit.GetIdList(), nullptr);
}

TEST_F(ShellLocator, ASpecialFolderSetToItsOwnListStillChanges) {
  Counted c;
  Load(c.Locator, {1, CSIDL_DRIVES});
  auto drives = Special(CSIDL_DRIVES);
  c.Locator.SetIdList(drives.get());
  EXPECT_EQ(c.Changes, 1);
  EXPECT_EQ(c.Locator.Kind(), kdlkIdList);
  EXPECT_EQ(c.Locator.SpecialFolder(), kdNoSpecialFolder);

  // Handing the locator its own list back (here the resolved list of a special folder) keeps the folder.
  Counted self;
  Load(self.Locator, {1, CSIDL_DRIVES});
  self.Locator.SetIdList(self.Locator.GetIdList());
  EXPECT_EQ(self.Changes, 1);
  EXPECT_EQ(self.Locator.Kind(), kdlkIdList);
  EXPECT_EQ(IdListCompare(self.Locator.GetIdList(), drives.get()), 0);
  self.Locator.SetIdList(self.Locator.GetIdList());
  EXPECT_EQ(self.Changes, 1);
  EXPECT_EQ(IdListCompare(self.Locator.GetIdList(), drives.get()), 0);
}

TEST_F(ShellLocator, AssignChangesOnlyWhenTheFolderDiffers) {
  TKdShellLocator drives, drivesToo, desktopDir;
  Load(drives, {1, CSIDL_DRIVES});
  Load(drivesToo, {1, CSIDL_DRIVES});
  Load(desktopDir, {1, CSIDL_DESKTOPDIRECTORY});

  Counted c;
  c.Locator.Assign(&drives);
  EXPECT_EQ(c.Changes, 1);
  c.Locator.Assign(&drivesToo);
  EXPECT_EQ(c.Changes, 1);
  c.Locator.Assign(&desktopDir);
  EXPECT_EQ(c.Changes, 2);
  EXPECT_EQ(c.Locator.Kind(), kdlkSpecialFolder);
  EXPECT_EQ(c.Locator.SpecialFolder(), CSIDL_DESKTOPDIRECTORY);
  EXPECT_TRUE(c.Locator.IsEqual(&desktopDir));
  EXPECT_FALSE(c.Locator.IsEqual(&drives));

  // ID-list locators: equal lists change nothing, and the copy is independent of its source.
  Counted a, b;
  a.Locator.SetPath(Temp.Path());
  b.Locator.Assign(&a.Locator);
  EXPECT_EQ(b.Changes, 1);
  EXPECT_NE(b.Locator.GetIdList(), a.Locator.GetIdList());
  b.Locator.Assign(&a.Locator);
  EXPECT_EQ(b.Changes, 1);
  a.Locator.Clear();
  EXPECT_TRUE(zortest::FileExists(b.Locator.GetPath()));
}

TEST_F(ShellLocator, AssignFromNullNamesTheDesktop) {
  Counted listed;
  listed.Locator.SetPath(Temp.Path());
  listed.Locator.Assign(nullptr);
  EXPECT_EQ(listed.Changes, 2);
  EXPECT_EQ(listed.Locator.GetIdList(), nullptr);
  listed.Locator.Assign(nullptr);
  EXPECT_EQ(listed.Changes, 2);

  // Whether a special folder was looked up yet makes no difference.
  Counted special;
  Load(special.Locator, {1, CSIDL_DRIVES});
  special.Locator.Assign(nullptr);
  EXPECT_EQ(special.Changes, 1);
  EXPECT_EQ(special.Locator.Kind(), kdlkIdList);
  EXPECT_EQ(special.Locator.GetIdList(), nullptr);
}

TEST_F(ShellLocator, AssignFromAnotherClassRaisesTheToolkitError) {
  struct TNotALocator : TPersistent {};
  TNotALocator other;
  TKdShellLocator locator;
  try {
    locator.Assign(&other);
    FAIL() << "no exception";
  } catch (const EConvertError &e) {
    EXPECT_EQ(e.Message(), "Cannot assign a TNotALocator to a TKdShellLocator");
  }
}

TEST_F(ShellLocator, WrittenRecordsHoldExactlyTheKindAndTheList) {
  TKdShellLocator desktop;
  EXPECT_EQ(Record(desktop), Bytes{});

  TKdShellLocator special;
  Load(special, {1, CSIDL_DRIVES});
  EXPECT_EQ(Record(special), (Bytes{1, CSIDL_DRIVES}));
  special.GetIdList();
  EXPECT_EQ(Record(special), (Bytes{1, CSIDL_DRIVES}));

  // A one-item list of item size s: kind, N = s + 2, the item, the terminator.
  Bytes item = {7, 0, 'a', 'b', 'c', 'd', 'e', 0, 0};
  TKdShellLocator listed;
  listed.SetIdList(reinterpret_cast<LPCITEMIDLIST>(item.data()));
  Bytes record = Record(listed);
  ASSERT_EQ(record.size(), 1u + 4u + 7u + 2u);
  EXPECT_EQ(record, Concat({{0}, Int32(9), item}));

  auto drives = Special(CSIDL_DRIVES);
  TKdShellLocator real;
  real.SetIdList(drives.get());
  UINT size = IdListSize(drives.get());
  Bytes bytes(reinterpret_cast<uint8_t *>(drives.get()), reinterpret_cast<uint8_t *>(drives.get()) + size);
  EXPECT_EQ(Record(real), Concat({{0}, Int32(static_cast<int32_t>(size)), bytes}));
}

TEST_F(ShellLocator, RecordsReadBackToTheSameFolder) {
  TKdShellLocator source;
  source.SetPath(Temp.Path());
  Counted target;
  Load(target.Locator, Record(source));
  EXPECT_EQ(target.Changes, 0);
  EXPECT_TRUE(target.Locator.IsEqual(&source));
  EXPECT_EQ(target.Locator.GetPath(), source.GetPath());

  // N = 0 is the desktop, as a special folder.
  Load(target.Locator, Concat({{0}, Int32(0)}));
  EXPECT_EQ(target.Locator.Kind(), kdlkSpecialFolder);
  EXPECT_EQ(target.Locator.SpecialFolder(), CSIDL_DESKTOP);
  LPCITEMIDLIST desktop = target.Locator.GetIdList();
  ASSERT_NE(desktop, nullptr);
  EXPECT_EQ(IdListSize(desktop), 2u);

  // Any non-zero kind byte is a special folder.
  Load(target.Locator, {7, CSIDL_PERSONAL});
  EXPECT_EQ(target.Locator.Kind(), kdlkSpecialFolder);
  EXPECT_EQ(target.Locator.SpecialFolder(), CSIDL_PERSONAL);
}

TEST_F(ShellLocator, DamagedRecordsAreRefusedAndLeaveTheLocatorAsItWas) {
  Bytes item = {6, 0, 'x', 'y', 'z', 'w', 0, 0};
  std::vector<Bytes> damaged = {
      {},                                                         // nothing at all
      {1},                                                        // special folder without its number
      {0, 4, 0},                                                  // size cut short
      Concat({{0}, Int32(-8), item}),                             // negative size
      Concat({{0}, Int32(9), item}),                              // size past the record's end
      Concat({{0}, Int32(0x7FFFFFFF), item}),                     // size far past it
      Concat({{0}, Int32(1), {0}}),                               // too short for a terminator
      Concat({{0}, Int32(8), {6, 0, 'x', 'y', 'z', 'w', 1, 0}}),  // no terminator
      Concat({{0}, Int32(8), {40, 0, 'x', 'y', 'z', 'w', 0, 0}}), // item running past the end
      Concat({{0}, Int32(8), {1, 0, 'x', 'y', 'z', 'w', 0, 0}}),  // item shorter than its count
      Concat({{0}, Int32(8), {0, 0, 'x', 'y', 'z', 'w', 0, 0}}),  // bytes after the terminator
  };
  for (size_t i = 0; i < damaged.size(); ++i) {
    Counted c;
    c.Locator.SetPath(Temp.Path());
    auto before = zortest::ParsePath(Temp.Path());
    c.Changes = 0;
    EXPECT_THROW(Load(c.Locator, damaged[i]), EReadError) << i;
    EXPECT_EQ(c.Changes, 0) << i;
    EXPECT_EQ(c.Locator.Kind(), kdlkIdList) << i;
    EXPECT_EQ(IdListCompare(c.Locator.GetIdList(), before.get()), 0) << i;
  }

  // A well-formed list whose terminator is its only content names the desktop.
  TKdShellLocator terminatorOnly;
  terminatorOnly.SetPath(Temp.Path());
  Load(terminatorOnly, Concat({{0}, Int32(2), {0, 0}}));
  EXPECT_EQ(terminatorOnly.Kind(), kdlkIdList);
  EXPECT_EQ(terminatorOnly.GetIdList(), nullptr);
}

TEST_F(ShellLocator, PathsAreParsedAndDerived) {
  Counted c;
  c.Locator.SetPath(Temp.Path());
  EXPECT_EQ(c.Changes, 1);
  EXPECT_EQ(
      CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, c.Locator.GetPath().c_str(), -1, Temp.Path().c_str(), -1),
      CSTR_EQUAL)
      << c.Locator.GetPath();

  // A file name in UTF-8 survives the round trip through the shell.
  zortest::MakeDir(Temp / "été-日本");
  c.Locator.SetPath(Temp / "été-日本");
  EXPECT_EQ(c.Changes, 2);
  EXPECT_EQ(c.Locator.GetPath().substr(c.Locator.GetPath().size() - std::strlen("été-日本")), "été-日本");

  // Text that names nothing falls back to the desktop, which is a change only once.
  c.Locator.SetPath(Temp / "missing\\nowhere");
  EXPECT_EQ(c.Changes, 3);
  EXPECT_EQ(c.Locator.GetIdList(), nullptr);
  c.Locator.SetPath("no such thing at all");
  EXPECT_EQ(c.Changes, 3);

  c.Locator.SetPath("::{20D04FE0-3AEA-1069-A2D8-08002B30309D}");
  EXPECT_EQ(c.Changes, 4);
  auto drives = Special(CSIDL_DRIVES);
  EXPECT_EQ(IdListCompare(c.Locator.GetIdList(), drives.get()), 0);
  EXPECT_EQ(c.Locator.GetPath(), "");
}

} // namespace
