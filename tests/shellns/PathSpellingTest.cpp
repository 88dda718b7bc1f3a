// Parsing names of every spelling and length, and turning lists back into paths, against the real shell.
#include <windows.h>

#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>

#include "common/TestSupport.h"
#include "shellns/UKdShell95.h"
#include "toolkit/SysUtils.h"

namespace {

const HRESULT TooLong = HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);

bool SamePath(const std::string &a, const std::string &b) {
  const std::wstring wa = Utf8ToWide(a), wb = Utf8ToWide(b);
  return CompareStringOrdinal(wa.c_str(), static_cast<int>(wa.size()), wb.c_str(), static_cast<int>(wb.size()), TRUE) ==
         CSTR_EQUAL;
}

std::string ShortPath(const std::string &path) {
  wchar_t buffer[MAX_PATH] = {};
  if (!GetShortPathNameW(Utf8ToWide(path).c_str(), buffer, MAX_PATH))
    return path;
  return WideToUtf8(buffer);
}

struct Parsed {
  HRESULT Result;
  TKdIdListPtr List;
};

Parsed Parse(const std::string &name) {
  Parsed parsed;
  parsed.Result = ParseDisplayNameToIdList(name, parsed.List);
  return parsed;
}

TEST(PathSpelling, EverySpellingOfAFolderParsesToThatFolder) {
  zortest::TempDir tmp;
  // A long name, so that the folder has a distinct short (8.3) alias.
  const std::string folder = tmp / "Folder With A Long Name";
  zortest::MakeDir(folder);
  zortest::MakeDir(folder + "\\sub");
  std::string forward = folder;
  for (char &c : forward)
    c = c == '\\' ? '/' : c;
  for (const std::string &spelling : {folder + "\\.", folder + "\\sub\\..", forward, folder + "\\", folder + "\\\\",
                                      folder + ".", folder + " ", ShortPath(folder), ShortPath(folder) + "\\sub\\.."}) {
    Parsed parsed = Parse(spelling);
    EXPECT_EQ(parsed.Result, S_OK) << spelling;
    EXPECT_TRUE(SamePath(IdListToPath(parsed.List.get()), folder))
        << spelling << " parsed to " << IdListToPath(parsed.List.get());
  }
  // Wildcards name no folder, though the shell may find one that matches them.
  for (const std::string &pattern : {folder + "\\*", tmp / "Folder*", tmp / "Folder?With*"}) {
    Parsed parsed = Parse(pattern);
    EXPECT_TRUE(FAILED(parsed.Result)) << pattern << " parsed to " << IdListToPath(parsed.List.get());
    EXPECT_FALSE(parsed.List);
  }
}

TEST(PathSpelling, ALongNameNeverParsesToAFolderItsBeginningNames) {
  zortest::TempDir tmp;
  // A folder whose whole path runs past MAX_PATH, inside a parent with a short alias, beside a folder named by
  // its first MAX_PATH - 1 characters: what a parser that cuts the name (Wine's does) opens instead.
  const std::string parent = tmp / "A Parent Folder With A Long Name";
  zortest::MakeDir(parent);
  const std::string leaf = std::string(MAX_PATH + 10 - parent.size(), 'x');
  const std::string deep = parent + "\\" + leaf;
  const std::string neighbour = deep.substr(0, MAX_PATH - 1);
  // And a folder of MAX_PATH - 2 characters that a cut name would reach through its separator.
  const std::string shorter = deep.substr(0, MAX_PATH - 2);
  zortest::LongDir deepDir(deep), neighbourDir(neighbour), shorterDir(shorter);
  ASSERT_TRUE(deepDir.Made() && neighbourDir.Made() && shorterDir.Made());

  const std::string viaShortParent = ShortPath(parent) + "\\" + leaf;
  const std::string viaDot = tmp.Path() + "\\.\\" + deep.substr(tmp.Path().size() + 1);
  const std::string missingBelowShorter = tmp.Path() + "\\.\\" + shorter.substr(tmp.Path().size() + 1) + "\\zzzz";
  for (const std::string &name : {deep, viaShortParent, viaDot, deep + ".", deep + "\\", missingBelowShorter}) {
    Parsed parsed = Parse(name);
    EXPECT_EQ(parsed.Result, TooLong) << name << " parsed to " << IdListToPath(parsed.List.get());
    EXPECT_FALSE(parsed.List);
  }
}

TEST(PathSpelling, NamesTooLongForTheShellAreRefusedBeforeItSeesThem) {
  zortest::TempDir tmp;
  std::string folder258 = tmp.Path() + "\\";
  folder258 += std::string(258 - folder258.size(), 'q');
  zortest::LongDir folder258Dir(folder258);
  ASSERT_TRUE(folder258Dir.Made());
  // Thousands of components that the shell would walk one by one (Wine's parser dies on such names), a name
  // past the longest path the system has, and a namespace parse name the shell would cut.
  std::string stars = "C:\\windows", missing = folder258, inMyComputer = "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";
  for (int i = 0; i < 2000; ++i) {
    stars += "\\*";
    missing += "\\xyz";
  }
  inMyComputer += "\\";
  inMyComputer += folder258;
  const std::string huge = std::string("C:\\").append(40000, 'a');
  for (const std::string &name : {stars, missing, huge, inMyComputer}) {
    Parsed parsed = Parse(name);
    EXPECT_EQ(parsed.Result, TooLong) << name.substr(0, 80) << "... of " << name.size();
    EXPECT_FALSE(parsed.List);
  }
}

TEST(PathSpelling, UnixPathsOpenTheirFolderUnderWineAndAreRefusedElsewhere) {
  zortest::TempDir tmp;
  const std::string folder = tmp / "unix named";
  zortest::MakeDir(folder);
  if (!IsRunningUnderWine()) {
    EXPECT_TRUE(FAILED(Parse("/tmp").Result));
    return;
  }
  using UnixFileName = char *(CDECL *)(const WCHAR *);
  auto toUnix = reinterpret_cast<UnixFileName>(
      reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  ASSERT_TRUE(toUnix);
  char *unix = toUnix(Utf8ToWide(folder).c_str());
  ASSERT_TRUE(unix);
  const std::string unixPath = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  ASSERT_EQ(unixPath.substr(0, 1), "/");
  for (const std::string &name : {unixPath, unixPath + "/"}) {
    TKdIdListPtr list = zortest::ParsePath(name);
    EXPECT_TRUE(SamePath(IdListToPath(list.get()), folder)) << name << " parsed to " << IdListToPath(list.get());
  }
  Parsed missing = Parse(unixPath + "/no such folder");
  EXPECT_TRUE(FAILED(missing.Result));
  EXPECT_FALSE(missing.List);
}

TEST(PathSpelling, PathsComeBackWholeOrNotAtAll) {
  zortest::TempDir tmp;
  const std::string wide = zortest::MakeManyByteFolder(tmp.Path());
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
  TKdIdListPtr childList(IdListConcat(parentList.get(), item.get()));
  const std::string path = IdListToPath(childList.get());
  EXPECT_TRUE(path.empty() || path == child) << path;
}

} // namespace
