// The main window's commands: the typed path, new text files, the parent folder.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "MainWindowTest.h"
#include "app/MainFormUnit.h"
#include "app/TabShellTreeView.h"
#include "common/TestSupport.h"
#include "shellctrls/UKdShellControls.h"
#include "toolkit/Application.h"

namespace {

using zortest::PumpUntil;
using zortest::TempDir;

std::string ReadAll(const std::string &path) {
  std::ifstream in(std::filesystem::path(std::u8string(path.begin(), path.end())), std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class Commands : public MainWindowTest {
protected:
  void SetUp() override {
    TFormMainExplorer::OpenTextFile = [this](HWND, const std::string &name, const std::string &) {
      opened.push_back(name);
    };
    ASSERT_NO_FATAL_FAILURE(ShowWindow());
  }
  void TearDown() override {
    MainWindowTest::TearDown();
    TFormMainExplorer::BeforeCreateTextFile = nullptr;
    TFormMainExplorer::OpenTextFile = nullptr;
  }

  TTabShellTreeView *tree() { return form->ActiveTab()->Tree; }
  // Types text into the path box and presses Enter there.
  void Type(const std::string &text) {
    form->PathTextBox->SetText(text);
    SendMessageW(form->PathTextBox->Handle(), WM_KEYDOWN, VK_RETURN, 0);
  }
  bool Selects(const std::string &path) {
    return PumpUntil([&] { return tree()->GetSelectedPath() == path && form->PathTextBox->Text() == path; }, 10000);
  }

  std::vector<std::string> opened;
};

TEST_F(Commands, ATypedPathOpensItsFolderWhateverItsFormAndHostileTextNeverCrashes) {
  TempDir dir;
  const std::string international = dir / "été-日本";
  zortest::MakeDir(international);
  zortest::MessageBoxCapture boxes;

  Type("C:\\");
  ASSERT_TRUE(Selects("C:\\"));
  EXPECT_EQ(0u, form->StatusBarLabel->Caption().find(form->BGetVolumeInfo('C') + " (C:) Free: "));
  Type(international);
  EXPECT_TRUE(Selects(international));
  Type("::{20D04FE0-3AEA-1069-A2D8-08002B30309D}");
  EXPECT_TRUE(PumpUntil([&] { return tree()->Selected() && !tree()->Selected()->Parent()->Parent(); }, 10000))
      << "My Computer, a child of the desktop";
  EXPECT_EQ("", form->StatusBarLabel->Caption());

  // Nonsense opens the desktop, with no box.
  Type("no such place \x01\x02 at all");
  EXPECT_TRUE(PumpUntil([&] { return tree()->Selected() && !tree()->Selected()->Parent(); }, 10000));
  EXPECT_TRUE(boxes.Boxes.empty());

  // Whatever else is typed ends in a folder or in the error box.
  for (const std::string &text : {std::string(5000, 'x'), std::string("\\"), std::string("::{"), std::string("\\\\"),
                                  std::string(300, '\\'), "C:\\" + std::string(4000, 'a')}) {
    size_t before = boxes.Boxes.size();
    Type(text);
    bool reported = boxes.Boxes.size() > before;
    EXPECT_TRUE(reported ? boxes.Boxes.back().Text == "ERROR: Unable to change path!" : tree()->Selected() != nullptr)
        << text.substr(0, 20);
  }
}

TEST_F(Commands, NewTextFileTakesTheNextFreeNameAndNeverEmptiesAFileThatAppearsMeanwhile) {
  TempDir dir;
  Type(dir.Path());
  ASSERT_TRUE(Selects(dir.Path()));
  for (int i = 0; i < 3; ++i)
    form->NewTextFile1Click(nullptr);
  EXPECT_EQ(opened, (std::vector<std::string>{dir / "New Text File.txt", dir / "New Text File (1).txt",
                                              dir / "New Text File (2).txt"}));
  EXPECT_EQ("", ReadAll(dir / "New Text File (2).txt"));

  // Another program makes the very file that was found free, right before ours is made: its bytes stay.
  TFormMainExplorer::BeforeCreateTextFile = [](const std::string &name) {
    if (name.find("(3)") != std::string::npos)
      zortest::WriteFileText(name, "theirs");
  };
  form->NewTextFile1Click(nullptr);
  EXPECT_EQ("theirs", ReadAll(dir / "New Text File (3).txt"));
  EXPECT_EQ(opened.back(), dir / "New Text File (4).txt");

  // My Computer has no folder on disk: nothing is made or opened, nothing reported.
  zortest::MessageBoxCapture boxes;
  Type("::{20D04FE0-3AEA-1069-A2D8-08002B30309D}");
  ASSERT_TRUE(PumpUntil([&] { return tree()->GetSelectedPath().empty(); }, 10000));
  size_t count = opened.size();
  form->NewTextFile1Click(nullptr);
  EXPECT_EQ(count, opened.size());
  EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(Commands, AFileCopiedInOneTabIsPastedIntoTheFolderOfAnother) {
  if (!TransfersFilesItself())
    GTEST_SKIP() << "the shell pastes by itself";
  TempDir from, to;
  const std::string name = "brief été 日本.txt";
  zortest::WriteFileText(from / name, "twelve bytes");
  Type(from.Path());
  ASSERT_TRUE(Selects(from.Path()));
  TKdShellList *list = form->ActiveTab()->List;
  ASSERT_TRUE(PumpUntil([&] { return list->Items().Count() == 1; }, 5000));
  list->Items()[0]->SetSelected(true);
  ASSERT_EQ(S_OK, list->InvokeSelectionVerb("copy"));

  form->New1Click(nullptr);
  Type(to.Path());
  ASSERT_TRUE(Selects(to.Path()));
  form->Paste2MitmClick(nullptr);
  EXPECT_EQ("twelve bytes", ReadAll(to / name));
  EXPECT_EQ("twelve bytes", ReadAll(from / name));
  EXPECT_TRUE(PumpUntil([&] { return form->ActiveTab()->List->Items().Count() == 1; }, 5000))
      << "the list shows the pasted file";
}

TEST_F(Commands, ParentFolderGoesUpOneLevelInTheActiveTab) {
  TempDir dir;
  zortest::MakeDir(dir / "inner");
  Type(dir / "inner");
  ASSERT_TRUE(Selects(dir / "inner"));
  form->ParentFolder1Click(nullptr);
  EXPECT_TRUE(Selects(dir.Path()));
}

TEST_F(Commands, WhatAnotherProgramMakesAppearsInTheTabsListAndTree) {
  TempDir to;
  Type(to.Path());
  ASSERT_TRUE(Selects(to.Path()));
  zortest::WriteFileText(to / "x.txt", "abc");
  EXPECT_TRUE(PumpUntil([&] { return form->ActiveTab()->List->Items().Count() == 1; }, 8000));

  tree()->Selected()->Expand(false);
  zortest::MakeDir(to / "sub");
  EXPECT_TRUE(PumpUntil(
      [&] {
        TTreeNode *node = tree()->Selected();
        return node && node->Count() == 1 && node->Item(0)->Text() == "sub";
      },
      8000));
  EXPECT_TRUE(PumpUntil([&] { return form->ActiveTab()->List->Items().Count() == 2; }, 8000));
}

} // namespace
