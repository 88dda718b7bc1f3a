// The status line's counts and the quick filter, driven through the window with the keys a user presses.
#include <gtest/gtest.h>

#include <windows.h>

#include <shlwapi.h>

#include <memory>
#include <string>

#include "MainWindowTest.h"
#include "app/FilterBox.h"
#include "app/MainFormUnit.h"
#include "common/TestSupport.h"
#include "shellctrls/UKdShellControls.h"
#include "toolkit/Application.h"

namespace {

using zortest::PumpUntil;
using zortest::SendChord;
using zortest::SendText;

std::string KBSize(LONGLONG bytes) {
  wchar_t text[64] = {};
  StrFormatKBSizeW(bytes, text, 64);
  return WideToUtf8(text);
}

class QuickFilter : public MainWindowTest {
protected:
  void SetUp() override {
    zortest::WriteFileText(dir / "a.txt", std::string(1000, 'a'));
    zortest::WriteFileText(dir / "b.txt", std::string(2000, 'b'));
    zortest::WriteFileText(dir / "Été.txt", "0123456789");
    zortest::MakeDir(dir / "sub");
    ASSERT_NO_FATAL_FAILURE(ShowWindow());
    SetForegroundWindow(form->Handle());
    form->PathTextBox->SetText(dir.Path());
    SendMessageW(form->PathTextBox->Handle(), WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(PumpUntil([&] { return list()->Items().Count() == 4; }, 10000));
    list()->SetFocus();
  }
  TKdShellList *list() { return form->ActiveTab()->List; }
  TFilterBox *box() { return form->ActiveTab()->FilterBox; }
  bool Says(const std::string &text) {
    return PumpUntil([&] { return form->StatusCounts()->Text() == text; }, 5000);
  }

  zortest::TempDir dir;
};

TEST_F(QuickFilter, TheStatusCountsFollowTheSelectionAndTheFilterTypedAfterCtrlF) {
  const std::string gap = "        ";
  EXPECT_TRUE(Says("4 items")) << form->StatusCounts()->Text();
  SendChord({VK_CONTROL, 'A'});
  EXPECT_TRUE(Says("4 items" + gap + "4 selected, " + KBSize(3010))) << form->StatusCounts()->Text();

  SendChord({VK_CONTROL, 'F'});
  ASSERT_NE(box(), nullptr);
  EXPECT_TRUE(IsWindowVisible(box()->Handle()));
  EXPECT_EQ(GetFocus(), box()->Edit->Handle());
  SendText(L"ÉT");
  EXPECT_EQ(list()->ShownCount(), 1);
  // One file selected: its size as its row shows it.
  const std::string size = zortest::ListCellText(list()->Handle(), 0, 1);
  EXPECT_TRUE(Says("1 of 4 items shown" + gap + "1 selected, " + size)) << form->StatusCounts()->Text() << " " << size;

  // A row a refresh brings obeys the filter.
  zortest::WriteFileText(dir / "zz-été.txt", "x");
  zortest::WriteFileText(dir / "zz.txt", "x");
  list()->RefreshList();
  EXPECT_EQ(list()->ShownCount(), 2);
  EXPECT_TRUE(Says("2 of 6 items shown" + gap + "1 selected, " + size)) << form->StatusCounts()->Text();

  SendChord({VK_ESCAPE});
  EXPECT_FALSE(IsWindowVisible(box()->Handle()));
  EXPECT_EQ(GetFocus(), list()->Handle());
  EXPECT_TRUE(Says("6 items" + gap + "1 selected, " + size)) << form->StatusCounts()->Text();
}

TEST_F(QuickFilter, CtrlFLeavesALabelEditAloneAndAnotherFolderEndsTheFilter) {
  TListItem *row = list()->ShownItem(0);
  ASSERT_TRUE(row->EditCaption());
  const HWND edit = list()->EditHandle();
  ASSERT_NE(edit, nullptr);
  SendChord({VK_CONTROL, 'F'});
  EXPECT_EQ(list()->EditHandle(), edit) << "the rename goes on";
  EXPECT_TRUE(box() == nullptr || !IsWindowVisible(box()->Handle()));
  SendChord({VK_ESCAPE});

  SendChord({VK_CONTROL, 'F'});
  SendText(L"sub");
  ASSERT_EQ(list()->ShownCount(), 1);
  form->PathTextBox->SetText(dir / "sub");
  SendMessageW(form->PathTextBox->Handle(), WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_TRUE(PumpUntil([&] { return list()->Folder().GetPath() == dir / "sub"; }, 10000));
  EXPECT_EQ(list()->NameFilter(), "");
  EXPECT_FALSE(IsWindowVisible(box()->Handle()));
  EXPECT_TRUE(Says("0 items")) << form->StatusCounts()->Text();
}

} // namespace
