// The main window's tabs: each a folder tree with the list that follows it, one of them shown and described
// by the path box and the status line.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>

#include "MainWindowTest.h"
#include "app/MainFormUnit.h"
#include "common/TestSupport.h"
#include "common/WindowPicture.h"
#include "shellns/UKdShell95.h"
#include "toolkit/Application.h"
#include "toolkit/Splitter.h"

namespace {

using zortest::PumpUntil;
using zortest::TempDir;

const char *const MyComputer = "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";

std::string MyComputerName() { return GetIdListDisplayName(zortest::ParsePath(MyComputer).get()); }

class Tabs : public MainWindowTest {
protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(ShowWindow());
    ASSERT_TRUE(PumpUntil([&] { return form->PathTextBox->Text() == MyComputerName(); }, 10000))
        << "the first tab opened My Computer: " << form->PathTextBox->Text();
  }

  TExplorerTab *Tab(size_t index) { return form->Tabs().at(index).get(); }
  // The tab's tree has selected path (and its list shows it).
  bool Shows(TExplorerTab *tab, const std::string &path) {
    return PumpUntil([&] { return tab->Tree->GetSelectedPath() == path && tab->List->Folder().GetPath() == path; },
                     10000);
  }
  bool IsActiveLooking(TExplorerTab *tab) {
    return tab->HeaderPanel->Color() == clHighlight && (tab->HeaderPanel->Font().Style() & fsBold) &&
           tab->HeaderPanel->Font().Color() == clBtnHighlight && IsWindowVisible(tab->ClientPanel->Handle());
  }
  bool IsInactiveLooking(TExplorerTab *tab) {
    return tab->HeaderPanel->Color() == clBtnFace && !(tab->HeaderPanel->Font().Style() & fsBold) &&
           tab->HeaderPanel->Font().Color() == clBtnText && !IsWindowVisible(tab->ClientPanel->Handle());
  }
};

TEST_F(Tabs, TheWindowStartsWithOneTabOnMyComputerWithItsDrivesInBothPanes) {
  ASSERT_EQ(form->Tabs().size(), 1u);
  TExplorerTab *tab = Tab(0);
  EXPECT_EQ(form->ActiveTab(), tab);
  EXPECT_TRUE(IsActiveLooking(tab));
  EXPECT_EQ(tab->HeaderPanel->Caption(), MyComputerName());
  EXPECT_FALSE(form->DeleteTab1->Enabled());
  EXPECT_EQ(form->StatusBarLabel->Caption(), "") << "My Computer is on no drive";

  TTreeNode *selected = tab->Tree->Selected();
  ASSERT_NE(selected, nullptr);
  EXPECT_EQ(selected->Text(), MyComputerName());
  bool driveNode = false;
  for (TTreeNode *child = selected->GetFirstChild(); child; child = child->GetNextSibling())
    driveNode = driveNode || TKdCustomShellTree::ShellData(child)->GetPath() == "C:\\";
  EXPECT_TRUE(driveNode) << "drive C under My Computer in the tree";
  ASSERT_TRUE(PumpUntil([&] { return tab->List->Items().Count() > 0; }, 5000));
  bool driveRow = false;
  for (int i = 0; i < tab->List->Items().Count(); ++i)
    driveRow = driveRow || TKdCustomShellList::ShellData(tab->List->Items()[i])->GetPath() == "C:\\";
  EXPECT_TRUE(driveRow) << "drive C in the list";

  // Tree pane, splitter, list pane from left to right; the pane's width depends on the screen's.
  TControl *treePane = tab->Tree->Parent();
  const int width = GetSystemMetrics(SM_CXSCREEN) == 1280 ? 350 : 275;
  EXPECT_EQ(treePane->Width(), width);
  EXPECT_EQ(treePane->Left(), 0);
  EXPECT_EQ(tab->Splitter->Left(), width);
  EXPECT_EQ(tab->List->Parent()->Left(), tab->Splitter->Left() + tab->Splitter->Width());
}

TEST_F(Tabs, NewTabsStackNewestOnTopAndClosingOneShowsTheNextOlderOrWhenTheOldestGoesTheNextNewer) {
  TExplorerTab *first = Tab(0);
  form->New1Click(nullptr);
  form->New1Click(nullptr);
  ASSERT_EQ(form->Tabs().size(), 3u);
  TExplorerTab *second = Tab(1), *third = Tab(0);
  EXPECT_EQ(Tab(2), first);
  EXPECT_EQ(form->ActiveTab(), third);
  EXPECT_TRUE(form->DeleteTab1->Enabled());
  EXPECT_LT(third->HeaderPanel->Top(), second->HeaderPanel->Top());
  EXPECT_LT(second->HeaderPanel->Top(), first->HeaderPanel->Top());
  EXPECT_LT(first->HeaderPanel->Top(), form->PanelMain->Top());
  EXPECT_TRUE(IsActiveLooking(third));
  EXPECT_TRUE(IsInactiveLooking(second));
  EXPECT_TRUE(IsInactiveLooking(first));
  ASSERT_TRUE(PumpUntil([&] { return third->HeaderPanel->Caption() == MyComputerName(); }, 10000));

  // The newest goes: the one made before it.
  HWND closedHeader = third->HeaderPanel->Handle();
  form->DeleteTab1Click(nullptr);
  EXPECT_EQ(form->ActiveTab(), second);
  EXPECT_TRUE(IsActiveLooking(second));
  EXPECT_FALSE(IsWindowVisible(closedHeader));
  zortest::PumpFor(100);
  EXPECT_FALSE(IsWindow(closedHeader)) << "the closed tab's controls are destroyed";

  // The oldest goes: the one made after it.
  form->New1Click(nullptr);
  form->TabPanelClick(first->HeaderPanel);
  EXPECT_EQ(form->ActiveTab(), first);
  EXPECT_TRUE(IsInactiveLooking(Tab(0)));
  form->DeleteTab1Click(nullptr);
  EXPECT_EQ(form->ActiveTab(), second);
  EXPECT_EQ(form->PathTextBox->Text(), second->HeaderPanel->Caption());
  EXPECT_TRUE(form->DeleteTab1->Enabled());

  form->DeleteTab1Click(nullptr);
  ASSERT_EQ(form->Tabs().size(), 1u);
  EXPECT_FALSE(form->DeleteTab1->Enabled()) << "the last tab cannot be closed";
  form->DeleteTab1Click(nullptr);
  EXPECT_EQ(form->Tabs().size(), 1u);
}

TEST_F(Tabs, OnlyTheActiveTabWritesThePathBoxAndTheStatusLine) {
  TempDir temp;
  zortest::MakeDir(temp / "sub");
  zortest::MakeDir(temp / "other");
  TExplorerTab *first = Tab(0);
  first->Tree->SetCurrentPath(temp.Path());
  ASSERT_TRUE(Shows(first, temp.Path()));
  EXPECT_EQ(form->PathTextBox->Text(), temp.Path());
  const std::string driveC = TFormMainExplorer::BGetVolumeInfo('C') + " (C:) Free: ";
  EXPECT_EQ(form->StatusBarLabel->Caption().substr(0, driveC.size()), driveC);

  // A duplicate starts where its tab was and goes its own way.
  form->DuplicateTab1Click(nullptr);
  TExplorerTab *copy = Tab(0);
  ASSERT_TRUE(Shows(copy, temp.Path()));
  copy->Tree->SetCurrentPath(temp / "sub");
  ASSERT_TRUE(Shows(copy, temp / "sub"));
  EXPECT_EQ(first->Tree->GetSelectedPath(), temp.Path());
  EXPECT_EQ(form->PathTextBox->Text(), temp / "sub");

  // A new tab on My Computer clears the status line; the tab behind it moving touches neither line.
  form->New1Click(nullptr);
  ASSERT_TRUE(PumpUntil([&] { return form->PathTextBox->Text() == MyComputerName(); }, 10000));
  EXPECT_EQ(form->StatusBarLabel->Caption(), "");
  first->Tree->SetCurrentPath(temp / "other");
  ASSERT_TRUE(Shows(first, temp / "other"));
  EXPECT_EQ(form->PathTextBox->Text(), MyComputerName());
  EXPECT_EQ(form->StatusBarLabel->Caption(), "");
  EXPECT_EQ(first->HeaderPanel->Caption(), temp / "other") << "the tab's own title follows its folder";

  // Its header clicked, that tab is described.
  form->TabPanelClick(first->HeaderPanel);
  EXPECT_EQ(form->PathTextBox->Text(), temp / "other");
  EXPECT_EQ(form->StatusBarLabel->Caption().substr(0, driveC.size()), driveC);

  // Closed, the tab after it is described again, status line included.
  form->DeleteTab1Click(nullptr);
  EXPECT_EQ(form->ActiveTab(), copy);
  EXPECT_EQ(form->PathTextBox->Text(), temp / "sub");
  EXPECT_EQ(form->StatusBarLabel->Caption().substr(0, driveC.size()), driveC);
  form->TabPanelClick(Tab(0)->HeaderPanel);
  EXPECT_EQ(form->StatusBarLabel->Caption(), "");
  form->DeleteTab1Click(nullptr);
  EXPECT_EQ(form->PathTextBox->Text(), temp / "sub");
  EXPECT_EQ(form->StatusBarLabel->Caption().substr(0, driveC.size()), driveC) << "not My Computer's line";
}

TEST_F(Tabs, TheMouseBackButtonGoesUpOneFolderAndTheForwardButtonOnlySaysSo) {
  TempDir temp;
  zortest::MakeDir(temp / "sub");
  TExplorerTab *tab = Tab(0);
  tab->Tree->SetCurrentPath(temp / "sub");
  ASSERT_TRUE(Shows(tab, temp / "sub"));
  auto appCommand = [&](WORD command) {
    SendMessageW(form->Handle(), WM_APPCOMMAND, reinterpret_cast<WPARAM>(form->Handle()), MAKELPARAM(0, command));
  };

  appCommand(FAPPCOMMAND_KEY | APPCOMMAND_BROWSER_BACKWARD);
  EXPECT_EQ(tab->Tree->GetSelectedPath(), temp / "sub") << "the keyboard's back key is the system's";
  appCommand(FAPPCOMMAND_MOUSE | APPCOMMAND_BROWSER_BACKWARD);
  EXPECT_EQ(tab->Tree->GetSelectedPath(), temp.Path());
  EXPECT_EQ(tab->List->Folder().GetPath(), temp.Path()) << "the list follows at once";
  EXPECT_EQ(form->PathTextBox->Text(), temp.Path());

  {
    zortest::MessageBoxCapture boxes;
    appCommand(FAPPCOMMAND_MOUSE | APPCOMMAND_BROWSER_FORWARD);
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, "APPCOMMAND_BROWSER_FORWARD");
    EXPECT_EQ(tab->Tree->GetSelectedPath(), temp.Path());
  }

  // At the desktop there is nowhere to go.
  tab->Tree->CurrentFolder().Clear();
  TTreeNode *desktop = tab->Tree->Selected();
  ASSERT_EQ(desktop, tab->Tree->FirstShellNode());
  const std::string shown = form->PathTextBox->Text();
  appCommand(FAPPCOMMAND_MOUSE | APPCOMMAND_BROWSER_BACKWARD);
  EXPECT_EQ(tab->Tree->Selected(), desktop);
  EXPECT_EQ(form->PathTextBox->Text(), shown);
}

TEST_F(Tabs, TheViewMenuHidesHiddenItemsInEveryTabSetsTheActiveListsStyleAndReadsTheFolderAgain) {
  TempDir temp;
  zortest::MakeDir(temp / "shown");
  zortest::MakeDir(temp / "secret");
  zortest::WriteFileText(temp / "secret.txt");
  for (const char *hidden : {"secret", "secret.txt"})
    SetFileAttributesA((temp / hidden).c_str(), FILE_ATTRIBUTE_HIDDEN);
  Tab(0)->Tree->SetCurrentPath(temp.Path());
  ASSERT_TRUE(Shows(Tab(0), temp.Path()));
  form->DuplicateTab1Click(nullptr);
  ASSERT_TRUE(Shows(Tab(0), temp.Path()));
  auto seen = [&](TExplorerTab *tab) {
    TTreeNode *folder = tab->Tree->Selected();
    folder->Expand(false);
    return std::to_string(tab->List->Items().Count()) + " rows, " + std::to_string(folder->Count()) + " nodes";
  };
  ASSERT_TRUE(PumpUntil([&] { return seen(Tab(0)) == "3 rows, 2 nodes"; }, 5000)) << seen(Tab(0));

  form->ShowHiddenItems1->Click();
  EXPECT_FALSE(form->ShowHiddenItems1->Checked());
  for (size_t i = 0; i < 2; ++i)
    EXPECT_EQ(seen(Tab(i)), "1 rows, 1 nodes") << i;
  form->New1Click(nullptr);
  Tab(0)->Tree->SetCurrentPath(temp.Path());
  ASSERT_TRUE(Shows(Tab(0), temp.Path()));
  EXPECT_EQ(seen(Tab(0)), "1 rows, 1 nodes") << "a new tab too";
  form->ShowHiddenItems1->Click();
  for (size_t i = 0; i < 3; ++i)
    EXPECT_EQ(seen(Tab(i)), "3 rows, 2 nodes") << i;

  // The style is the active tab's; the marks follow the tab shown.
  form->List1->Click();
  EXPECT_EQ(Tab(0)->List->ViewStyle(), vsList);
  EXPECT_TRUE(form->List1->Checked());
  EXPECT_FALSE(form->Details1->Checked());
  form->TabPanelClick(Tab(1)->HeaderPanel);
  EXPECT_EQ(Tab(1)->List->ViewStyle(), vsReport);
  EXPECT_TRUE(form->Details1->Checked());
  EXPECT_FALSE(form->List1->Checked());

  zortest::WriteFileText(temp / "new.txt");
  form->Refresh1->Click();
  EXPECT_EQ(Tab(1)->List->Items().Count(), 4) << "at once, not after the change is noticed";
}

TEST_F(Tabs, ThreeTabsOneOnAFolderWithFilesAsTheScreenShowsThem) {
  TempDir temp;
  const std::string projects = temp / "Projects";
  zortest::MakeDir(projects);
  for (const char *folder : {"assets", "docs", "src"})
    zortest::MakeDir(projects + "\\" + folder);
  for (const char *file : {"README.txt", "notes.txt", "budget.csv", "logo.bmp", "build.bat", "setup.ini"})
    zortest::WriteFileText(projects + "\\" + file, std::string(1 + std::string(file).size() * 300, 'x'));
  form->New1Click(nullptr);
  form->New1Click(nullptr);
  TExplorerTab *active = Tab(0);
  active->Tree->SetCurrentPath(projects);
  ASSERT_TRUE(Shows(active, projects));
  ASSERT_TRUE(PumpUntil([&] { return active->List->Items().Count() == 9; }, 5000));
  zortest::PumpFor(500);

  zortest::TPicture picture = zortest::ShownWindowPicture(form->Handle());
  EXPECT_TRUE(picture.SaveBmp("app-three-tabs.bmp"));
  // The three header bars as the screen shows them: the active one on the highlight colour, at the top.
  POINT origin = {0, 0};
  ClientToScreen(form->Handle(), &origin);
  RECT frame;
  GetWindowRect(form->Handle(), &frame);
  auto headerPixel = [&](TExplorerTab *tab) {
    return picture.At(origin.x - frame.left + 3, origin.y - frame.top + tab->HeaderPanel->Top() + 12);
  };
  EXPECT_EQ(headerPixel(Tab(0)), ColorToRGB(clHighlight));
  EXPECT_EQ(headerPixel(Tab(1)), ColorToRGB(clBtnFace));
  EXPECT_EQ(headerPixel(Tab(2)), ColorToRGB(clBtnFace));
  EXPECT_EQ(active->HeaderPanel->Caption(), projects);
}

} // namespace
