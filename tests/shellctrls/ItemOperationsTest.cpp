// Item lookups on real ID lists, and the small window helpers.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "common/TestSupport.h"
#include "shellctrls/OwnerFormHandle.h"
#include "shellctrls/WindowUtils.h"
#include "shellctrls/commands/ShellItemLookup.h"
#include "shellns/IdList.h"
#include "toolkit/Application.h"
#include "toolkit/Form.h"
#include "toolkit/Panel.h"
#include "toolkit/Screen.h"
#include "toolkit/SysUtils.h"

namespace {

std::string ToLower(std::string text) {
  CharLowerA(text.data());
  return text;
}

struct Split {
  HRESULT Result;
  ComPtr<IShellFolder> Folder;
  TKdIdListPtr Parent;
  TKdIdListPtr Item;
};

Split SplitOf(LPCITEMIDLIST list) {
  Split split;
  split.Parent = IdListCopy(nullptr);
  split.Item = IdListCopy(nullptr);
  split.Result = SplitParentAndItem(list, split.Folder, split.Parent, split.Item);
  return split;
}

std::string DesktopDirectory() { return ToLower(SpecialFolderPath(nullptr, CSIDL_DESKTOP)); }

TEST(ItemLookup, SplitGivesTheParentFolderAndTheLastItem) {
  zortest::TempDir dir;
  zortest::WriteFileText(dir / "a.txt", "x");
  TKdIdListPtr file = zortest::ParsePath(dir / "a.txt");

  Split split = SplitOf(file.get());
  ASSERT_HRESULT_SUCCEEDED(split.Result);
  ASSERT_TRUE(split.Folder);
  EXPECT_EQ(ToLower(dir.Path()), ToLower(IdListToPath(split.Parent.get())));
  EXPECT_EQ("a.txt", GetItemDisplayName(split.Folder.Get(), split.Item.get(), dnInFolder));
  TKdIdListPtr joined(IdListConcat(split.Parent.get(), split.Item.get()));
  EXPECT_EQ(0, IdListCompare(joined.get(), file.get()));
}

TEST(ItemLookup, SplitOfADesktopChildHasNoParentList) {
  TKdIdListPtr drives;
  ASSERT_HRESULT_SUCCEEDED(GetSpecialFolderIdList(nullptr, CSIDL_DRIVES, drives));

  Split split = SplitOf(drives.get());
  ASSERT_HRESULT_SUCCEEDED(split.Result);
  EXPECT_EQ(nullptr, split.Parent.get());
  ASSERT_TRUE(split.Folder);
  EXPECT_EQ(0, IdListCompare(split.Item.get(), drives.get()));
  // The folder is the desktop: it names the item as the desktop does.
  EXPECT_EQ(GetItemDisplayName(nullptr, drives.get(), dnNormal),
            GetItemDisplayName(split.Folder.Get(), split.Item.get(), dnNormal));
}

TEST(ItemLookup, TheDesktopStandsForTheDesktopDirectory) {
  ASSERT_FALSE(DesktopDirectory().empty());
  TKdIdListPtr empty(IdListCopy(nullptr));
  for (LPCITEMIDLIST desktop : {static_cast<LPCITEMIDLIST>(nullptr), static_cast<LPCITEMIDLIST>(empty.get())}) {
    Split split = SplitOf(desktop);
    ASSERT_HRESULT_SUCCEEDED(split.Result);
    TKdIdListPtr joined(IdListConcat(split.Parent.get(), split.Item.get()));
    EXPECT_EQ(DesktopDirectory(), ToLower(IdListToPath(joined.get())));
  }

  TKdIdListPtr parent, item;
  ASSERT_HRESULT_SUCCEEDED(GetDesktopDirectoryParts(parent, item));
  TKdIdListPtr joined(IdListConcat(parent.get(), item.get()));
  EXPECT_EQ(DesktopDirectory(), ToLower(IdListToPath(joined.get())));

  ComPtr<IDropTarget> target;
  EXPECT_HRESULT_SUCCEEDED(GetDesktopDirectoryDropTarget(target));
  EXPECT_TRUE(target);
}

TEST(ItemLookup, UIObjectsOfRealItemsAndFailureLeavesNothingBehind) {
  zortest::TempDir dir;
  zortest::WriteFileText(dir / "a.txt", "x");
  zortest::MakeDir(dir / "sub");
  TKdIdListPtr file = zortest::ParsePath(dir / "a.txt");
  TKdIdListPtr folder = zortest::ParsePath(dir / "sub");

  ComPtr<IContextMenu> menu;
  EXPECT_HRESULT_SUCCEEDED(GetItemUIObject(file.get(), menu));
  EXPECT_TRUE(menu);
  ComPtr<IDropTarget> target;
  EXPECT_HRESULT_SUCCEEDED(GetItemUIObject(folder.get(), target));
  EXPECT_TRUE(target);

  // A "parent" that is a file cannot be bound as a folder.
  TKdIdListPtr last(IdListCopy(nullptr));
  {
    Split fileSplit = SplitOf(folder.get());
    last.reset(fileSplit.Item.release());
  }
  TKdIdListPtr bogus(IdListConcat(file.get(), last.get()));
  Split split = SplitOf(bogus.get());
  EXPECT_HRESULT_FAILED(split.Result);
  EXPECT_FALSE(split.Folder);
  EXPECT_EQ(nullptr, split.Parent.get());
  EXPECT_EQ(nullptr, split.Item.get());
  ComPtr<IContextMenu> none;
  EXPECT_HRESULT_FAILED(GetItemUIObject(bogus.get(), none));
  EXPECT_FALSE(none);
}

TEST(WindowUtils, StyleBitsHourglassAndSystemErrors) {
  HWND wnd = AllocateHWnd([](HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); });
  const DWORD before = static_cast<DWORD>(GetWindowLongPtrA(wnd, GWL_STYLE));
  ASSERT_FALSE(before & WS_BORDER);
  SetWindowStyleBits(wnd, WS_BORDER | WS_POPUP, true);
  EXPECT_EQ(before | WS_BORDER, static_cast<DWORD>(GetWindowLongPtrA(wnd, GWL_STYLE)));
  SetWindowStyleBits(wnd, WS_BORDER, false);
  EXPECT_EQ(before, static_cast<DWORD>(GetWindowLongPtrA(wnd, GWL_STYLE)));
  SetWindowStyleBits(nullptr, WS_BORDER, true); // ignored, no crash
  DeallocateHWnd(wnd);

  Screen->SetCursor(crHandPoint);
  SleepWithHourglass(10);
  EXPECT_EQ(crHandPoint, Screen->Cursor());
  Screen->SetCursor(crDefault);

  try {
    RaiseSystemError(ERROR_FILE_NOT_FOUND);
    FAIL() << "no exception";
  } catch (const Exception &e) {
    EXPECT_EQ(SysErrorMessage(ERROR_FILE_NOT_FOUND), e.Message());
  }
}

TEST(WindowUtils, OwnerFormIsTheOutermostParentWhenThatIsAForm) {
  auto form = std::make_unique<TForm>(nullptr);
  auto *outer = new TPanel(form.get());
  outer->SetParent(form.get());
  auto *inner = new TPanel(form.get());
  inner->SetParent(outer);
  EXPECT_EQ(form->Handle(), GetOwnerFormHandle(inner));
  EXPECT_EQ(form->Handle(), GetOwnerFormHandle(outer));
  EXPECT_EQ(form->Handle(), GetOwnerFormHandle(form.get()));

  // A control outside any form has no owner window for the shell's dialogs.
  TPanel loose(nullptr);
  auto *child = new TPanel(&loose);
  child->SetParent(&loose);
  EXPECT_EQ(nullptr, GetOwnerFormHandle(child));
  EXPECT_EQ(nullptr, GetOwnerFormHandle(nullptr));
}

} // namespace
