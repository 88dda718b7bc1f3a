// Turning lists back into paths, against the real shell.
#include <windows.h>

#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>

#include "common/TestSupport.h"
#include "shellns/UKdShell95.h"
#include "toolkit/SysUtils.h"

namespace {

TEST(PathSpelling, PathsComeBackWholeOrNotAtAll) {
  zortest::TempDir tmp;
  // 105 characters of three bytes each: far fewer characters than MAX_PATH, far more bytes.
  std::string wide = tmp / zortest::Repeat("日", 60);
  zortest::MakeDir(wide);
  wide += "\\";
  wide += zortest::Repeat("日", 45);
  zortest::MakeDir(wide);
  EXPECT_EQ(IdListToPath(zortest::ParsePath(wide).get()), wide);

  // The longest path a MAX_PATH buffer holds comes back whole.
  std::string longest = tmp.Path() + "\\";
  longest += std::string(MAX_PATH - 1 - longest.size(), 'd');
  zortest::LongDir longestDir(longest);
  ASSERT_TRUE(longestDir.Made());
  EXPECT_EQ(IdListToPath(zortest::ParsePath(longest).get()), longest);

  // A longer one, reached through its folder as a list of the folder's items holds it: the whole path or
  // none, never one cut to the length of such a buffer.
  const std::string parent = tmp / std::string(200, 'p');
  const std::string child = parent + "\\" + std::string(100, 'c');
  zortest::LongDir parentDir(parent), childDir(child);
  ASSERT_TRUE(parentDir.Made() && childDir.Made());
  TKdIdListPtr parentList = zortest::ParsePath(parent);
  ComPtr<IShellFolder> folder;
  ASSERT_EQ(BindToShellFolder(parentList.get(), folder), S_OK);
  ComPtr<IEnumIDList> items;
  ASSERT_EQ(folder->EnumObjects(nullptr, SHCONTF_FOLDERS, items.Put()), S_OK);
  TKdIdListPtr item;
  ULONG fetched = 0;
  HRESULT hr = items->Next(1, PidlOut(item), &fetched);
  ASSERT_EQ(hr, S_OK);
  TKdIdListPtr childList(IdListConcat(nullptr, parentList.get(), item.get()));
  const std::string path = IdListToPath(childList.get());
  EXPECT_TRUE(path.empty() || path == child) << path;
}

} // namespace
