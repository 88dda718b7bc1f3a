// The shell list's name filter, a view over the rows read, and the drive sizes of My Computer under Wine.
#include <gtest/gtest.h>

#include <shlwapi.h>

#include <string>
#include <vector>

#include "ShellListTestSupport.h"
#include "shellns/WineHost.h"

namespace {

using zortest::PumpUntil;
using zortest::TempDir;
using zortest::WriteFileText;

// The names the control shows, in its order.
std::vector<std::string> Shown(const zortest::ShellListForm &view) {
  std::vector<std::string> names;
  const int count = static_cast<int>(SendMessageW(view.List->Handle(), LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i)
    names.push_back(view.Text(i));
  return names;
}

using Names = std::vector<std::string>;

TEST(ShellListNameFilter, ShowsTheRowsWhoseShownNameHoldsTheTextInAnyCaseAndScriptAndWhatARefreshBrings) {
  TempDir dir;
  for (const char *name : {"Report.txt", "notes.md", "lnk-notes.txt", "été-日本.txt", "Ελληνικά.txt"})
    WriteFileText(dir / name, "x");
  zortest::MakeDir(dir / "Reports");
  zortest::MakeShortcut(dir / "shortcut.lnk", dir.Path());
  zortest::ShellListForm view;
  view.List->SetOptions(view.List->Options().Exclude(kdsloDynamicRefresh));
  view.List->Folder().SetPath(dir.Path());
  ASSERT_EQ(view.List->Items().Count(), 7);
  int changes = 0;
  view.List->OnNameFilterChange = [&](TObject *) { ++changes; };
  view.List->Items()[view.RowOf("notes.md")]->SetSelected(true);
  view.List->Items()[view.RowOf("Report")]->SetSelected(true);

  view.List->SetNameFilter("REPORT");
  EXPECT_EQ(Shown(view), (Names{"Reports", "Report.txt"}));
  EXPECT_EQ(view.List->Items().Count(), 7) << "the rows stay what the folder holds";
  EXPECT_EQ(view.List->SelCount(), 1) << "a hidden row leaves the selection";
  EXPECT_EQ(view.List->SelectedRelIdLists().size(), 1u);
  view.List->SetSortNumber(-1);
  EXPECT_EQ(Shown(view), (Names{"Report.txt", "Reports"}));
  view.List->SetSortNumber(1);

  view.List->SetNameFilter("ÉTÉ");
  EXPECT_EQ(Shown(view), (Names{"été-日本.txt"}));
  view.List->SetNameFilter("ΕΛΛΗΝ");
  EXPECT_EQ(Shown(view), (Names{"Ελληνικά.txt"}));
  // What the list shows of the shortcut is "shortcut": the shell hides the extension of its type.
  view.List->SetNameFilter("lnk");
  EXPECT_EQ(Shown(view), (Names{"lnk-notes.txt"}));
  view.List->SetNameFilter("cut");
  EXPECT_EQ(Shown(view), (Names{"shortcut"}));

  view.List->SetNameFilter("notes");
  WriteFileText(dir / "more-notes.txt", "x");
  WriteFileText(dir / "zzz.txt", "x");
  zortest::RemoveTree(dir / "notes.md");
  view.List->RefreshList();
  EXPECT_EQ(Shown(view), (Names{"lnk-notes.txt", "more-notes.txt"}));
  EXPECT_EQ(view.List->Items().Count(), 8);

  for (const std::string &text : {std::string(20000, 'x') + "日本", std::string("\x01\t"), std::string("\xff\xfe")})
    view.List->SetNameFilter(text);
  EXPECT_EQ(Shown(view).size(), 0u);
  view.List->SetNameFilter("");
  EXPECT_EQ(Shown(view).size(), 8u);

  // Another folder ends the filter; a fill of the same one keeps it.
  view.List->SetNameFilter("notes");
  view.List->FillList();
  EXPECT_EQ(Shown(view), (Names{"lnk-notes.txt", "more-notes.txt"}));
  const int before = changes;
  view.List->Folder().SetPath(dir / "Reports");
  EXPECT_EQ(view.List->NameFilter(), "");
  EXPECT_EQ(changes, before + 1);
}

TEST(ShellListDriveSizes, MyComputerShowsTheDrivesTrueSizesUnderWine) {
  if (!IsRunningUnderWine())
    GTEST_SKIP() << "Windows' shell writes the drive sizes itself";
  zortest::ShellListForm view;
  TKdIdListPtr drives = zortest::ParsePath("::{20D04FE0-3AEA-1069-A2D8-08002B30309D}");
  view.List->Folder().SetIdList(drives.get());
  int row = -1;
  for (int i = 0; i < view.List->Items().Count(); ++i)
    if (TKdCustomShellList::ShellData(view.List->Items()[i])->GetPath() == "C:\\")
      row = i;
  ASSERT_GE(row, 0);
  ULARGE_INTEGER available = {}, total = {};
  ASSERT_TRUE(GetDiskFreeSpaceExW(L"C:\\", &available, &total, nullptr));
  wchar_t totalText[64], availableText[64];
  StrFormatByteSizeW(static_cast<LONGLONG>(total.QuadPart), totalText, 64);
  StrFormatByteSizeW(static_cast<LONGLONG>(available.QuadPart), availableText, 64);
  EXPECT_EQ(view.Text(row, 2), WideToUtf8(totalText));
  EXPECT_EQ(view.Text(row, 3), WideToUtf8(availableText));
}

} // namespace
