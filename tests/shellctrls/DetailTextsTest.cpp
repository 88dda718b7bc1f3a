// Size, date and type texts of real files, folders, drives and virtual items.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "common/TestSupport.h"
#include "shellctrls/list/DetailTexts.h"
#include "shellns/IdList.h"
#include "toolkit/SysUtils.h"

namespace {

std::string ThousandsSeparator() { return zortest::UserLocaleText(LOCALE_STHOUSAND); }

FILETIME LastWriteTime(const std::string &path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  EXPECT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data));
  return data.ftLastWriteTime;
}

FILETIME LocalTime(WORD year, WORD month, WORD day, WORD hour, WORD minute) {
  SYSTEMTIME local = {};
  local.wYear = year;
  local.wMonth = month;
  local.wDay = day;
  local.wHour = hour;
  local.wMinute = minute;
  FILETIME localTime, utc;
  SystemTimeToFileTime(&local, &localTime);
  LocalFileTimeToFileTime(&localTime, &utc);
  return utc;
}

TEST(DetailTexts, SizesCountEveryStartedKilobyteWithTheUsersSeparator) {
  EXPECT_EQ("0KB", FormatSizeKB(0));
  EXPECT_EQ("1KB", FormatSizeKB(1));
  EXPECT_EQ("1KB", FormatSizeKB(1023));
  EXPECT_EQ("1KB", FormatSizeKB(1024));
  EXPECT_EQ("2KB", FormatSizeKB(1025));
  const std::string sep = ThousandsSeparator();
  EXPECT_EQ("1" + sep + "024KB", FormatSizeKB(1048576));
  EXPECT_EQ("999KB", FormatSizeKB(999 * 1024));
  EXPECT_EQ("1" + sep + "000" + sep + "000KB", FormatSizeKB(1024ULL * 1000000));
  // Past 2^53 bytes a floating-point quotient would drop the one-byte remainder.
  EXPECT_EQ("8" + sep + "796" + sep + "093" + sep + "022" + sep + "209KB", FormatSizeKB((1ULL << 53) + 1));
}

TEST(DetailTexts, SizesFollowTheUsersChoiceOfThousandsSeparator) {
  const std::string saved = ThousandsSeparator();
  {
    // Separators outside the locale's own code page come through as UTF-8 too.
    struct Case {
      std::wstring Separator;
      std::string Expected;
    };
    for (const Case &c : {Case{L".", "1.024KB"},
                          Case{L"\u00A0", "1\u00A0"
                                          "024KB"},
                          Case{L"\u202F", "1\u202F"
                                          "024KB"}}) {
      zortest::UserLocaleOverride separator(LOCALE_STHOUSAND, c.Separator);
      ASSERT_TRUE(separator.Applied()) << "the user's separator cannot be changed here";
      EXPECT_EQ(c.Expected, FormatSizeKB(1048576));
    }
    // No separator at all is a choice too, not a missing setting (where the system lets a user make it).
    zortest::UserLocaleOverride none(LOCALE_STHOUSAND, L"");
    if (none.Applied()) {
      EXPECT_EQ("1024KB", FormatSizeKB(1048576));
    }
  }
  EXPECT_EQ(saved, ThousandsSeparator());
}

TEST(DetailTexts, RealFilesShowSizeAndLastWriteTime) {
  zortest::TempDir dir;
  struct Case {
    size_t bytes;
    std::string expected;
  };
  std::string megabyte = "1";
  megabyte += ThousandsSeparator();
  megabyte += "024KB";
  const Case cases[] = {{0, "0KB"}, {1, "1KB"}, {1023, "1KB"}, {1024, "1KB"}, {1025, "2KB"}, {1048576, megabyte}};
  for (const Case &c : cases) {
    const std::string path = dir / FormatStr("f%u.bin", static_cast<unsigned>(c.bytes));
    zortest::WriteFileText(path, std::string(c.bytes, 'x'));
    std::string size = "stale", modified = "stale";
    const UINT savedMode = SetErrorMode(SEM_NOGPFAULTERRORBOX);
    GetFileSizeAndModified(zortest::ParsePath(path).get(), size, modified);
    EXPECT_EQ(static_cast<UINT>(SEM_NOGPFAULTERRORBOX), SetErrorMode(savedMode)) << "error mode not restored";
    EXPECT_EQ(c.expected, size) << c.bytes << " bytes";
    EXPECT_EQ(FormatFileTime(LastWriteTime(path)), modified);
    EXPECT_FALSE(modified.empty());
  }
}

TEST(DetailTexts, FoldersHaveNoSizeAndDrivesAndVirtualItemsNeither) {
  zortest::TempDir dir;
  zortest::MakeDir(dir / "sub");
  std::string size = "stale", modified = "stale";
  GetFileSizeAndModified(zortest::ParsePath(dir / "sub").get(), size, modified);
  EXPECT_EQ("", size);
  EXPECT_EQ(FormatFileTime(LastWriteTime(dir / "sub")), modified);
  EXPECT_FALSE(modified.empty());

  size = modified = "stale";
  GetFileSizeAndModified(zortest::ParsePath("C:\\").get(), size, modified);
  EXPECT_EQ("", size);
  EXPECT_EQ("", modified);

  TKdIdListPtr owner;
  ASSERT_HRESULT_SUCCEEDED(GetSpecialFolderIdList(nullptr, CSIDL_DRIVES, owner));
  LPCITEMIDLIST drives = owner.get();
  size = modified = "stale";
  GetFileSizeAndModified(drives, size, modified);
  EXPECT_EQ("", size);
  EXPECT_EQ("", modified);

  // A vanished file gives empty texts too.
  TKdIdListPtr gone;
  {
    zortest::WriteFileText(dir / "gone.txt", "abc");
    gone = zortest::ParsePath(dir / "gone.txt");
    DeleteFileA((dir / "gone.txt").c_str());
  }
  size = modified = "stale";
  GetFileSizeAndModified(gone.get(), size, modified);
  EXPECT_EQ("", size);
  EXPECT_EQ("", modified);
}

TEST(DetailTexts, ZeroLastWriteTimeShowsTheCreationTime) {
  // No file system keeps a zero last-write time on request, so the directory entry is made up.
  WIN32_FIND_DATAW data = {};
  data.nFileSizeLow = 2048;
  data.ftCreationTime = LocalTime(2021, 3, 4, 5, 6);
  std::string size, modified;
  FormatFindDataTexts(data, size, modified);
  EXPECT_EQ("2KB", size);
  EXPECT_EQ(FormatFileTime(data.ftCreationTime), modified);
  // Short date, a space, short time (hours and minutes only).
  if (GetUserDefaultLCID() == MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT)) {
    EXPECT_EQ("3/4/2021 5:06 AM", modified);
  } else {
    EXPECT_NE(std::string::npos, modified.find("21")) << modified;
    EXPECT_NE(std::string::npos, modified.find("06")) << modified;
  }

  data.ftLastWriteTime = LocalTime(2019, 11, 12, 13, 14);
  FormatFindDataTexts(data, size, modified);
  EXPECT_EQ(FormatFileTime(data.ftLastWriteTime), modified);
  EXPECT_NE(FormatFileTime(data.ftCreationTime), modified);

  // Only both halves zero mean "none": a tiny time is still a time.
  data.ftLastWriteTime = {1, 0};
  FormatFindDataTexts(data, size, modified);
  EXPECT_NE(FormatFileTime(data.ftCreationTime), modified);
}

TEST(DetailTexts, AFileWhosePathTakesMoreThanMaxPathBytesHasItsTexts) {
  zortest::TempDir dir;
  const std::string file = zortest::MakeManyByteFolder(dir.Path()) + "\\" + "ファイル.txt";
  zortest::WriteFileText(file, "x");
  TKdIdListPtr list = zortest::ParsePath(file);
  std::string size, modified, type;
  GetItemDetailTexts(list.get(), SFGAO_FILESYSTEM, size, modified, type);
  EXPECT_EQ("1KB", size);
  EXPECT_EQ(FormatFileTime(LastWriteTime(file)), modified);
  EXPECT_FALSE(type.empty());
}

TEST(DetailTexts, TypeTextComesFromTheShellOrSaysSystemFolder) {
  zortest::TempDir dir;
  zortest::WriteFileText(dir / "a.txt", "x");
  zortest::MakeDir(dir / "sub");
  TKdIdListPtr file = zortest::ParsePath(dir / "a.txt");
  TKdIdListPtr folder = zortest::ParsePath(dir / "sub");

  const std::string fileType = GetTypeText(file.get(), SFGAO_FILESYSTEM);
  const std::string folderType = GetTypeText(folder.get(), SFGAO_FILESYSTEM | SFGAO_FOLDER);
  EXPECT_FALSE(fileType.empty());
  EXPECT_FALSE(folderType.empty());
  EXPECT_NE(fileType, folderType);
  EXPECT_NE("System Folder", fileType);

  // The attribute mask decides, whatever the item.
  EXPECT_EQ("System Folder", GetTypeText(file.get(), SFGAO_FOLDER));

  std::string size, modified, type;
  GetItemDetailTexts(file.get(), SFGAO_FILESYSTEM, size, modified, type);
  EXPECT_EQ("1KB", size);
  EXPECT_FALSE(modified.empty());
  EXPECT_EQ(fileType, type);
}

} // namespace
