// Folders named on the command line: each opens in a tab of its own, the first on top and active; a file
// opens its folder with the file selected; whatever cannot be opened is named in one error box.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>

#include "app/MainFormUnit.h"
#include "common/TestSupport.h"
#include "shellns/WineHost.h"
#include "toolkit/Application.h"
#include "toolkit/SysUtils.h"

namespace {

using zortest::PumpUntil;
using zortest::TempDir;

TEST(CommandLine, ArgumentsAreSplitAsTheSystemDoesAndAQuotedTrailingBackslashStaysAPath) {
  EXPECT_EQ(CommandLineArguments(L"ZorExplorer.exe"), std::vector<std::string>{});
  EXPECT_EQ(CommandLineArguments(L"\"C:\\Program Files\\Z.exe\" \"C:\\My Files\" /tmp été"),
            (std::vector<std::string>{"C:\\My Files", "/tmp", "été"}));
  // A folder handler's "%1" of a drive's root.
  EXPECT_EQ(CommandLineArguments(L"Z.exe \"C:\\\""), std::vector<std::string>{"C:\\"});
}

TEST(CommandLine, EachFolderOpensInATabTheFirstOnTopAFileIsSelectedAndTheRestIsNamedInOneBox) {
  TempDir dir;
  zortest::MakeDir(dir / "first");
  zortest::MakeDir(dir / "second");
  zortest::MakeDir(dir / "third");
  for (int i = 0; i < 300; ++i)
    zortest::WriteFileText(dir / ("third\\file" + std::to_string(1000 + i) + ".txt"));
  const std::string last = dir / "third\\zz-last.txt";
  zortest::WriteFileText(last);
  const std::string unix = IsRunningUnderWine() ? zortest::UnixPathOf(dir / "second") : dir / "second";
  ASSERT_FALSE(unix.empty());
  const std::string longName = "C:\\" + std::string(5000, 'x');

  std::string savedTitle = Application->Title();
  std::unique_ptr<TFormMainExplorer> form(TForm::Create<TFormMainExplorer>(nullptr));
  zortest::MessageBoxCapture boxes;
  form->OpenStartFolders({dir / "first", unix, "::{", last, longName, std::string("C:\\a\x01\x1b", 6), ""});
  EXPECT_TRUE(boxes.Boxes.empty()) << "the box waits for the window";
  form->Show();
  ASSERT_TRUE(PumpUntil([&] { return boxes.Boxes.size() == 1; }, 5000));
  EXPECT_EQ(boxes.Boxes[0].Text, "ERROR: Unable to open:\n::{\nC:\\" + std::string(197, 'x') + "...\nC:\\a??");
  EXPECT_TRUE(boxes.Boxes[0].Flags & MB_ICONERROR);

  ASSERT_EQ(form->Tabs().size(), 3u);
  EXPECT_EQ(form->ActiveTab(), form->Tabs()[0].get());
  EXPECT_TRUE(form->DeleteTab1->Enabled());
  const char *names[] = {"first", "second", "third"};
  for (size_t i = 0; i < 3; ++i) {
    TExplorerTab *tab = form->Tabs()[i].get();
    EXPECT_TRUE(PumpUntil([&] { return tab->List->Folder().GetPath() == dir / names[i]; }, 10000)) << names[i];
  }
  // The file, selected and in view, in a list of 301 rows.
  TKdShellList *list = form->Tabs()[2]->List;
  form->ShowTab(2);
  ASSERT_TRUE(PumpUntil([&] { return list->Items().Count() == 301 && list->Selected(); }, 10000));
  EXPECT_EQ(TKdCustomShellList::ShellData(list->Selected())->GetPath(), last);
  EXPECT_EQ(list->SelCount(), 1);
  const auto top = static_cast<int>(SendMessageW(list->Handle(), LVM_GETTOPINDEX, 0, 0));
  const auto rows = static_cast<int>(SendMessageW(list->Handle(), LVM_GETCOUNTPERPAGE, 0, 0));
  EXPECT_GE(list->Selected()->Index(), top);
  EXPECT_LT(list->Selected()->Index(), top + rows);

  form.reset();
  Application->SetTitle(savedTitle);
}

} // namespace
