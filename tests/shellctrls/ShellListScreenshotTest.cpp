// Not a check: run with --gtest_also_run_disabled_tests to save a picture of a shell list on a folder of
// folders, files, a hidden file and a shortcut as shelllist-screenshot.bmp in the working folder.
#include <gtest/gtest.h>

#include "ShellListTestSupport.h"
#include "common/TestSupport.h"
#include "common/WindowPicture.h"

using namespace zortest;

TEST(Screenshot, DISABLED_SavesAShellListOnAFolderOfEveryKindOfItem) {
  TempDir dir;
  MakeDir(dir / "Documents");
  MakeDir(dir / "Pictures");
  WriteFileText(dir / "notes.txt", std::string(3000, 'x'));
  WriteFileText(dir / "report.doc", std::string(70000, 'x'));
  WriteFileText(dir / "setup.ini", "[x]");
  WriteFileText(dir / "Привет мир.txt", "x");
  MakeHiddenFile(dir / "hidden.txt");
  MakeShortcut(dir / "notes shortcut.lnk", dir / "notes.txt");
  ShellListForm view;
  view.Form->SetCaption("TKdShellList");
  view.List->SetMultiSelect(true);
  view.List->Folder().SetPath(dir.Path());
  view.List->Items()[view.RowOf("notes.txt") >= 0 ? view.RowOf("notes.txt") : 0]->SetSelected(true);
  view.Form->SetBounds(0, 0, 1040, 330);
  view.Form->Show();
  view.List->SetFocus();
  PumpFor(500);
  EXPECT_TRUE(ShownWindowPicture(view.Form->Handle()).SaveBmp("shelllist-screenshot.bmp"));
}
