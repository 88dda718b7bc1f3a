// New folders under the default names, on disk, and the messages when none can be made.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "common/TestSupport.h"
#include "shellctrls/commands/NewFolder.h"
#include "toolkit/SysUtils.h"

namespace {

bool IsFolder(const std::string &path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(NewFolder, TakesTheFirstFreeNameThenFallsBackToTheSecondSeries) {
  zortest::TempDir dir;
  std::string name;
  ASSERT_TRUE(CreateNewFolder(dir.Path(), name));
  EXPECT_EQ("New Folder", name);
  EXPECT_TRUE(IsFolder(dir / "New Folder"));

  ASSERT_TRUE(CreateNewFolder(dir.Path(), name));
  EXPECT_EQ("New Folder (2)", name);
  EXPECT_TRUE(IsFolder(dir / "New Folder (2)"));

  // A gap is filled before the series goes on.
  ASSERT_TRUE(RemoveDirectoryA((dir / "New Folder").c_str()));
  ASSERT_TRUE(CreateNewFolder(dir.Path(), name));
  EXPECT_EQ("New Folder", name);

  for (int n = 3; n <= 50; ++n)
    zortest::MakeDir(dir / FormatStr("New Folder (%d)", n));
  ASSERT_TRUE(CreateNewFolder(dir.Path(), name));
  EXPECT_EQ("fldr", name);
  EXPECT_TRUE(IsFolder(dir / "fldr"));
  EXPECT_FALSE(zortest::FileExists(dir / "New Folder (51)"));

  // A file under the next name counts as taken as well.
  zortest::WriteFileText(dir / "fldr2");
  ASSERT_TRUE(CreateNewFolder(dir.Path(), name));
  EXPECT_EQ("fldr3", name);
}

TEST(NewFolder, PathWithOrWithoutBackslashAndTheCurrentDirectory) {
  zortest::TempDir dir;
  std::string name;
  ASSERT_TRUE(CreateNewFolder(dir.Path(), name));
  ASSERT_TRUE(CreateNewFolder(dir.Path() + "\\", name));
  EXPECT_EQ("New Folder (2)", name);
  EXPECT_TRUE(IsFolder(dir / "New Folder (2)"));

  char saved[MAX_PATH + 1] = {};
  GetCurrentDirectoryA(MAX_PATH, saved);
  zortest::MakeDir(dir / "cwd");
  ASSERT_TRUE(SetCurrentDirectoryA((dir / "cwd").c_str()));
  const bool created = CreateNewFolder("", name);
  SetCurrentDirectoryA(saved);
  ASSERT_TRUE(created);
  EXPECT_EQ("New Folder", name);
  EXPECT_TRUE(IsFolder(dir / "cwd\\New Folder"));
}

TEST(NewFolder, FailedLocationShowsBothErrorsThenTheAlreadyExistsMessage) {
  zortest::TempDir dir;
  const std::string missing = dir / "missing";
  std::string name = "untouched";
  zortest::MessageBoxCapture boxes;
  EXPECT_FALSE(CreateNewFolder(missing, name));
  EXPECT_EQ("untouched", name);

  const std::string reason = SysErrorMessage(ERROR_PATH_NOT_FOUND);
  ASSERT_EQ(3u, boxes.Boxes.size());
  EXPECT_EQ("Unable to create the folder 'New Folder'\r\n\r\n" + reason, boxes.Boxes[0].Text);
  EXPECT_EQ("Unable to create the folder 'fldr'\r\n\r\n" + reason, boxes.Boxes[1].Text);
  EXPECT_EQ("Unable to create the folder 'New Folder'\r\n\r\n" + SysErrorMessage(ERROR_ALREADY_EXISTS),
            boxes.Boxes[2].Text);
  for (const auto &box : boxes.Boxes) {
    EXPECT_EQ(static_cast<UINT>(MB_ICONWARNING), box.Flags & MB_ICONMASK);
    EXPECT_EQ(static_cast<UINT>(MB_OK), box.Flags & MB_TYPEMASK);
  }
  EXPECT_FALSE(zortest::FileExists(missing));
}

} // namespace
