// The namespace functions against the real shell, on data in the test's own temporary folder.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>
#include <tuple>
#include <vector>

#include "common/TestSupport.h"
#include "common/WindowPicture.h"
#include "shellns/UKdShell95.h"
#include "toolkit/SysUtils.h"

namespace {

const char *MyComputer = "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";

std::string Lower(std::string s) {
  for (char &c : s)
    c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return s;
}

// The picture of image index of list, drawn on white.
std::vector<COLORREF> ImagePixels(HIMAGELIST list, int index) {
  int width = 0, height = 0;
  ImageList_GetIconSize(list, &width, &height);
  return zortest::DrawnOnWhite(width, height, [&](HDC dc) { ImageList_Draw(list, index, dc, 0, 0, ILD_NORMAL); })
      .Pixels;
}

// First in this file: the fix runs once per process, and no other test file asks for the image lists.
TEST(SystemImageList, OverlayFixWaitsForNtAndComCtl471AndRunsOnce) {
  if (SystemImageListOverlaysFixed())
    GTEST_SKIP() << "the system image list was already fixed in this process";
  uint64_t saved = ComCtl32Version;
  ComCtl32Version = static_cast<uint64_t>(kdComCtl32v470) << 32;
  HIMAGELIST small = GetSystemImageList(0);
  HIMAGELIST large = GetSystemImageList(1);
  int smallBefore = ImageList_GetImageCount(small);
  int largeBefore = ImageList_GetImageCount(large);
  EXPECT_FALSE(SystemImageListOverlaysFixed());
  // Nor off the NT platform, whatever comctl32 says.
  DWORD savedPlatform = OSVersionInfo.dwPlatformId;
  OSVersionInfo.dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
  ComCtl32Version = static_cast<uint64_t>(kdVersion600) << 32;
  EXPECT_EQ(GetSystemImageList(0), small);
  OSVersionInfo.dwPlatformId = savedPlatform;
  EXPECT_FALSE(SystemImageListOverlaysFixed());
  EXPECT_EQ(ImageList_GetImageCount(small), smallBefore);

  ComCtl32Version = static_cast<uint64_t>(kdComCtl32v471) << 32;
  EXPECT_EQ(GetSystemImageList(0), small);
  EXPECT_TRUE(SystemImageListOverlaysFixed());
  // The link and share overlays, appended to both lists.
  EXPECT_EQ(ImageList_GetImageCount(small), smallBefore + 2);
  EXPECT_EQ(ImageList_GetImageCount(large), largeBefore + 2);
  GetSystemImageList(1);
  EXPECT_EQ(ImageList_GetImageCount(small), smallBefore + 2);
  ComCtl32Version = saved;

  // An icon the shell adds afterwards keeps its own picture in every size, never an overlay's.
  zortest::TempDir tmp;
  zortest::MakeDir(tmp / "folder");
  TKdIdListPtr folder = zortest::ParsePath(tmp / "folder");
  for (auto [list, overlay, flags] :
       {std::tuple{small, smallBefore, UINT(SHGFI_SMALLICON)}, std::tuple{large, largeBefore, UINT(SHGFI_LARGEICON)}}) {
    const int index = GetIdListIconIndex(folder.get(), flags);
    ASSERT_GE(index, 0);
    EXPECT_NE(ImagePixels(list, index), ImagePixels(list, overlay)) << "icon " << index;
    EXPECT_NE(ImagePixels(list, index), ImagePixels(list, overlay + 1)) << "icon " << index;
  }
}

TEST(SystemImageList, IconIndexesComeFromIt) {
  zortest::TempDir tmp;
  zortest::MakeDir(tmp / "folder");
  TKdIdListPtr folder = zortest::ParsePath(tmp / "folder");
  HIMAGELIST small = GetSystemImageList(0);
  HIMAGELIST large = GetSystemImageList(1);
  ASSERT_NE(small, nullptr);
  ASSERT_NE(large, nullptr);
  EXPECT_NE(small, large);
  int closed = GetIdListIconIndex(folder.get(), SHGFI_SMALLICON);
  int open = GetIdListIconIndex(folder.get(), SHGFI_SMALLICON | SHGFI_OPENICON);
  int desktop = GetIdListIconIndex(nullptr, SHGFI_SMALLICON);
  // The shell adds icons to the list as they are first asked for.
  int count = ImageList_GetImageCount(small);
  EXPECT_GT(closed, 0);
  EXPECT_LT(closed, count);
  EXPECT_LT(open, count);
  EXPECT_NE(open, closed);
  EXPECT_GE(desktop, 0);
  EXPECT_LT(desktop, count);
}

TEST(ShellNamespace, ParsedPathsTurnBackIntoTheSamePath) {
  zortest::TempDir tmp;
  zortest::MakeDir(tmp / "sub");
  zortest::WriteFileText(tmp / "sub\\file.txt", "x");
  for (std::string path : {tmp.Path(), tmp / "sub", tmp / "sub\\file.txt"}) {
    TKdIdListPtr list = zortest::ParsePath(path);
    EXPECT_EQ(IdListToPath(list.get()), path);
  }
  TKdIdListPtr list = IdListCopy(nullptr);
  EXPECT_TRUE(FAILED(ParseDisplayNameToIdList(tmp / "does not exist", list)));
  EXPECT_EQ(list, nullptr);
}

TEST(ShellNamespace, MyComputerParsesToItsSpecialFolderAndHasNoPath) {
  TKdIdListPtr parsed = zortest::ParsePath(MyComputer);
  TKdIdListPtr drives;
  ASSERT_EQ(GetSpecialFolderIdList(nullptr, CSIDL_DRIVES, drives), S_OK);
  EXPECT_EQ(IdListCompare(parsed.get(), drives.get()), 0);
  EXPECT_EQ(FindSpecialFolder(parsed.get()), CSIDL_DRIVES);
  EXPECT_EQ(IdListToPath(parsed.get()), "");
  EXPECT_EQ(Lower(GetItemDisplayName(nullptr, parsed.get(), dnForParsing)), Lower(MyComputer));
  // Only the low 7 bits of the number count.
  TKdIdListPtr masked;
  ASSERT_EQ(GetSpecialFolderIdList(nullptr, CSIDL_DRIVES | 0x80, masked), S_OK);
  EXPECT_EQ(IdListCompare(masked.get(), drives.get()), 0);
}

TEST(ShellNamespace, CompareTellsEqualFromUnequalAndHandlesNullAndEmpty) {
  zortest::TempDir tmp;
  zortest::MakeDir(tmp / "a");
  zortest::MakeDir(tmp / "b");
  TKdIdListPtr a = zortest::ParsePath(tmp / "a");
  TKdIdListPtr a2 = zortest::ParsePath(tmp / "a");
  TKdIdListPtr b = zortest::ParsePath(tmp / "b");
  TKdIdListPtr empty(IdListCopy(nullptr));
  TKdIdListPtr empty2(IdListCopy(nullptr));
  EXPECT_EQ(IdListCompare(a.get(), a2.get()), 0);
  EXPECT_NE(IdListCompare(a.get(), b.get()), 0);
  // Opposite signs either way round.
  EXPECT_LT(IdListCompare(a.get(), b.get()) * IdListCompare(b.get(), a.get()), 0);
  EXPECT_EQ(IdListCompare(nullptr, nullptr), 0);
  EXPECT_EQ(IdListCompare(nullptr, a.get()), -1);
  EXPECT_EQ(IdListCompare(a.get(), nullptr), -1);
  EXPECT_EQ(IdListCompare(empty.get(), empty2.get()), 0);
  EXPECT_EQ(IdListCompare(empty.get(), a.get()), -1);
  EXPECT_EQ(IdListCompare(a.get(), empty.get()), -1);
}

TEST(ShellNamespace, FindSpecialFolderNamesTheDesktopMyComputerOrNone) {
  zortest::TempDir tmp;
  TKdIdListPtr desktop(IdListCopy(nullptr));
  EXPECT_EQ(FindSpecialFolder(desktop.get()), CSIDL_DESKTOP);
  TKdIdListPtr drives = zortest::ParsePath(MyComputer);
  EXPECT_EQ(FindSpecialFolder(drives.get()), CSIDL_DRIVES);
  TKdIdListPtr ordinary = zortest::ParsePath(tmp.Path());
  EXPECT_EQ(FindSpecialFolder(ordinary.get()), 50);
  // A special folder with a path maps back to its number (the lowest that names it).
  std::string windows = SpecialFolderPath(nullptr, CSIDL_WINDOWS);
  ASSERT_FALSE(windows.empty());
  TKdIdListPtr windowsList = zortest::ParsePath(windows);
  EXPECT_EQ(FindSpecialFolder(windowsList.get()), CSIDL_WINDOWS);
}

TEST(ShellNamespace, SpecialFolderPathIsEmptyForVirtualOrUnknownFolders) {
  EXPECT_EQ(SpecialFolderPath(nullptr, CSIDL_DRIVES), "");
  EXPECT_EQ(SpecialFolderPath(nullptr, 50), "");
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, sizeof windows);
  EXPECT_EQ(Lower(SpecialFolderPath(nullptr, CSIDL_WINDOWS)), Lower(windows));
}

TEST(ShellNamespace, DisplayNamesOfEachKind) {
  zortest::TempDir tmp;
  zortest::MakeDir(tmp / "Folder");
  TKdIdListPtr absolute = zortest::ParsePath(tmp / "Folder");
  EXPECT_EQ(GetItemDisplayName(nullptr, absolute.get(), dnForParsing), tmp / "Folder");
  EXPECT_EQ(GetItemDisplayName(nullptr, absolute.get(), dnInFolder), "Folder");
  EXPECT_EQ(GetItemDisplayName(nullptr, absolute.get(), dnForEditing), "Folder");
  EXPECT_EQ(GetIdListDisplayName(absolute.get()), "Folder");

  // Relative to its parent folder, the same item.
  TKdIdListArray items(absolute.get());
  ComPtr<IShellFolder> parent;
  ASSERT_EQ(BindToShellFolder(items.GetHead(1), parent), S_OK);
  LPCITEMIDLIST last = items.GetItem(items.Count() - 1);
  EXPECT_EQ(GetItemDisplayName(parent.Get(), last, dnNormal), "Folder");
  EXPECT_EQ(GetItemDisplayName(parent.Get(), last, dnInFolder), "Folder");
  EXPECT_EQ(GetItemDisplayName(parent.Get(), last, dnForParsing), tmp / "Folder");

  // One-item and empty lists are named by the desktop itself.
  TKdIdListPtr drives = zortest::ParsePath(MyComputer);
  EXPECT_EQ(GetIdListDisplayName(drives.get()), GetItemDisplayName(nullptr, drives.get(), dnInFolder));
  EXPECT_FALSE(GetIdListDisplayName(drives.get()).empty());
  EXPECT_FALSE(GetIdListDisplayName(nullptr).empty());
}

TEST(ShellNamespace, BindingGivesTheFolderOfTheListOrTheDesktop) {
  zortest::TempDir tmp;
  zortest::WriteFileText(tmp / "only child", "x");
  TKdIdListPtr list = zortest::ParsePath(tmp.Path());
  ComPtr<IShellFolder> folder;
  ASSERT_EQ(BindToShellFolder(list.get(), folder), S_OK);
  ComPtr<IEnumIDList> items;
  ASSERT_EQ(folder->EnumObjects(nullptr, SHCONTF_NONFOLDERS, items.Put()), S_OK);
  LPITEMIDLIST item = nullptr;
  ULONG fetched = 0;
  ASSERT_EQ(items->Next(1, &item, &fetched), S_OK);
  TKdIdListPtr child(item);
  EXPECT_EQ(GetItemDisplayName(folder.Get(), child.get(), dnInFolder), "only child");

  ComPtr<IShellFolder> desktop;
  ASSERT_EQ(BindToShellFolder(nullptr, desktop), S_OK);
  EXPECT_EQ(GetItemDisplayName(desktop.Get(), list.get(), dnForParsing), tmp.Path());
}

TEST(ShellNamespace, NonAsciiNamesRoundTrip) {
  zortest::TempDir tmp;
  const std::string name = "été-日本.txt";
  zortest::WriteFileText(tmp / name, "x");
  TKdIdListPtr list = zortest::ParsePath(tmp / name);
  EXPECT_EQ(IdListToPath(list.get()), tmp / name);
  EXPECT_EQ(GetItemDisplayName(nullptr, list.get(), dnForParsing), tmp / name);
  EXPECT_EQ(GetItemDisplayName(nullptr, list.get(), dnForEditing), name);
  // The shell may hide the extension in the normal name, never change the rest.
  EXPECT_EQ(GetIdListDisplayName(list.get()).rfind("été-日本", 0), 0u);
}

TEST(ShellNamespace, APathLongerThanMaxPathIsNotCutToAShorterFolder) {
  zortest::TempDir tmp;
  // A folder whose path runs past MAX_PATH, beside folders named by its first 259 and 260 characters (what a
  // MAX_PATH buffer, with or without its terminator, would keep): a parser that cut the name would open one
  // of those instead.
  std::string parent = tmp.Path() + "\\";
  parent += std::string(240 - parent.size(), 'a');
  std::string deep = parent + "\\" + std::string(40, 'b');
  std::string cut259 = deep.substr(0, MAX_PATH - 1);
  std::string cut260 = deep.substr(0, MAX_PATH);
  zortest::LongDir parentDir(parent), deepDir(deep), cut259Dir(cut259), cut260Dir(cut260);
  for (const zortest::LongDir *dir : {&parentDir, &deepDir, &cut259Dir, &cut260Dir})
    ASSERT_TRUE(dir->Made()) << dir->Path().size();

  // Either the shell parses the whole name or the parse fails; Wine would cut it to 259 characters itself.
  TKdIdListPtr deepList;
  HRESULT hr = ParseDisplayNameToIdList(deep, deepList);
  EXPECT_EQ(SUCCEEDED(hr), deepList != nullptr);
  if (deepList) {
    EXPECT_EQ(Lower(GetItemDisplayName(nullptr, deepList.get(), dnForParsing)), Lower(deep));
  }
  // The folders with short enough names still parse.
  TKdIdListPtr cutList = zortest::ParsePath(cut259);
  EXPECT_EQ(GetItemDisplayName(nullptr, cutList.get(), dnForParsing), cut259);
}

TEST(ShellNamespace, ALongFolderPathWithATrailingBackslashStillParsesToThatFolder) {
  zortest::TempDir tmp;
  // The folder's path just fits below MAX_PATH; with its trailing backslash the name reaches MAX_PATH.
  std::string folder = tmp.Path() + "\\";
  folder += std::string(MAX_PATH - 1 - folder.size(), 'c');
  zortest::LongDir folderDir(folder);
  ASSERT_TRUE(folderDir.Made());
  std::string withDelimiter = folder + "\\";
  ASSERT_EQ(withDelimiter.size(), static_cast<size_t>(MAX_PATH));
  TKdIdListPtr list = zortest::ParsePath(withDelimiter);
  ASSERT_TRUE(list);
  EXPECT_EQ(Lower(GetItemDisplayName(nullptr, list.get(), dnForParsing)), Lower(folder));
}

// Saves a shortcut through the shell's own link object.
void SaveShortcut(const std::string &linkFile, const std::string &target,
                  const std::string &description = "a description") {
  ComPtr<IShellLinkW> link;
  ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.PutVoid()), S_OK);
  link->SetPath(Utf8ToWide(target).c_str());
  link->SetDescription(Utf8ToWide(description).c_str());
  link->SetArguments(L"/some /args");
  link->SetWorkingDirectory(Utf8ToWide(target).c_str());
  link->SetIconLocation(L"C:\\windows\\system32\\shell32.dll", 3);
  link->SetShowCmd(SW_SHOWMAXIMIZED);
  link->SetHotkey(MAKEWORD('Z', HOTKEYF_CONTROL | HOTKEYF_ALT));
  ComPtr<IPersistFile> file;
  ASSERT_EQ(link.As(file), S_OK);
  ASSERT_EQ(file->Save(Utf8ToWide(linkFile).c_str(), TRUE), S_OK);
}

int StoredShowCmd(const std::string &linkFile) {
  ComPtr<IShellLinkA> link;
  ComPtr<IPersistFile> file;
  int showCmd = -1;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.PutVoid())) &&
      SUCCEEDED(link.As(file)) && SUCCEEDED(file->Load(Utf8ToWide(linkFile).c_str(), 0)))
    link->GetShowCmd(&showCmd);
  return showCmd;
}

TEST(ShellNamespace, ReadShellLinkOfAShortcutToAFolder) {
  zortest::TempDir tmp;
  std::string target = tmp / "target folder";
  zortest::MakeDir(target);
  std::string linkFile = tmp / "to folder.lnk";
  SaveShortcut(linkFile, target);

  TKdShellLinkInfo info;
  info.ResolveMode = 1;
  EXPECT_TRUE(SUCCEEDED(ReadShellLink(linkFile, info, true)));
  LPCITEMIDLIST idList = info.IdList.get();
  EXPECT_EQ(Lower(info.Path), Lower(target));
  EXPECT_NE(info.FindData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_EQ(info.Description, "a description");
  EXPECT_EQ(info.Arguments, "/some /args");
  EXPECT_EQ(Lower(info.WorkingDirectory), Lower(target));
  EXPECT_EQ(Lower(info.IconLocation), "c:\\windows\\system32\\shell32.dll");
  EXPECT_EQ(info.IconIndex, 3);
  // Wine keeps no show command in the file (it loads as SW_SHOWNORMAL): expect what the link object reads.
  EXPECT_EQ(info.ShowCmd, StoredShowCmd(linkFile));
  EXPECT_EQ(info.Hotkey, MAKEWORD('Z', HOTKEYF_CONTROL | HOTKEYF_ALT));
  ASSERT_TRUE(idList);
  // Wine's link keeps a simple ID list whose last item is typed as a file, which CompareIDs orders apart from
  // the parsed folder: compare the paths they name.
  EXPECT_EQ(Lower(IdListToPath(idList)), Lower(target));
  TKdIdListPtr parsed = zortest::ParsePath(target);

  // The way the list opens it: no ID list asked for, the path parsed. Read into the same record, the list
  // of the first read is let go of.
  EXPECT_TRUE(SUCCEEDED(ReadShellLink(linkFile, info, false)));
  EXPECT_EQ(info.IdList, nullptr);
  TKdIdListPtr fromPath = zortest::ParsePath(info.Path);
  EXPECT_EQ(IdListCompare(fromPath.get(), parsed.get()), 0);
}

TEST(ShellNamespace, ReadShellLinkGivesTextsWholeWhateverTheirLengthInBytes) {
  zortest::TempDir tmp;
  const std::string target = zortest::MakeManyByteFolder(tmp.Path());
  const std::string description = zortest::Repeat("説明", 60);
  const std::string linkFile = tmp / "long.lnk";
  SaveShortcut(linkFile, target, description);

  TKdShellLinkInfo info;
  info.ResolveMode = 1;
  ASSERT_TRUE(SUCCEEDED(ReadShellLink(linkFile, info, false)));
  EXPECT_EQ(info.Path, target);
  EXPECT_EQ(info.WorkingDirectory, target);
  EXPECT_EQ(info.Description, description);
  EXPECT_NE(info.FindData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

TEST(ShellNamespace, ReadShellLinkOfAMissingFileFailsAndFillsNothing) {
  zortest::TempDir tmp;
  TKdShellLinkInfo info;
  EXPECT_TRUE(FAILED(ReadShellLink(tmp / "missing.lnk", info, true)));
  EXPECT_EQ(info.Path, "");
  EXPECT_EQ(info.IdList, nullptr);
  // Not a link at all.
  zortest::WriteFileText(tmp / "plain.lnk", "not a shortcut");
  EXPECT_TRUE(FAILED(ReadShellLink(tmp / "plain.lnk", info, true)));
  EXPECT_EQ(info.IdList, nullptr);
}

TEST(ShellNamespace, DriveRevalidationRunsAndNests) {
  EXPECT_NO_THROW(RevalidateDriveList());
  SuspendDriveRevalidation();
  SuspendDriveRevalidation();
  EXPECT_NO_THROW(RevalidateDriveList());
  ResumeDriveRevalidation();
  ResumeDriveRevalidation();
  EXPECT_NO_THROW(RevalidateDriveList());
}

TEST(ShellVersions, UnitStartReadTheRunningSystem) {
  EXPECT_TRUE(IsWindowsNT());
  EXPECT_GE(OSVersionInfo.dwMajorVersion, 5u);
  // Wine reports comctl32 5.81 whatever the manifest asks for; Windows 6.x. Either way at least 4.72.
  EXPECT_GE(VersionHigh(ComCtl32Version), kdComCtl32v472);
  EXPECT_GE(VersionHigh(Shell32Version), kdVersion600);
  uint64_t version = 12345;
  EXPECT_FALSE(GetFileVersionNumber("no-such-module-here.dll", version));
  EXPECT_EQ(version, 12345u);
  EXPECT_TRUE(GetFileVersionNumber("shell32.dll", version));
  EXPECT_EQ(version, Shell32Version);
}

} // namespace
