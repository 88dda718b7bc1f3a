// The shell list answering the user: renaming in place on real files, opening rows, the keys, the shell's
// context menu of the selection (a fake menu where the real shell must not run a command), new folders and
// the mouse wheel.
#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <string>
#include <vector>

#include "ShellListTestSupport.h"
#include "common/TestSupport.h"
#include "fakes/FakeContextMenu.h"
#include "fakes/FakeShellBrowser.h"
#include "shellns/UKdShell95.h"
#include "toolkit/ComPtr.h"
#include "toolkit/Mouse.h"

using namespace zortest;

namespace {

std::string EditText(TCustomListView *list) {
  wchar_t text[1024] = {};
  GetWindowTextW(list->EditHandle(), text, 1024);
  return WideToUtf8(text);
}

// Types text into the label edit in progress and ends it with Enter (or cancels it with Escape).
void FinishEdit(TCustomListView *list, const std::string &text, WORD key = VK_RETURN) {
  ASSERT_TRUE(list->IsEditing());
  SetWindowTextW(list->EditHandle(), Utf8ToWide(text).c_str());
  SendMessageW(list->EditHandle(), WM_KEYDOWN, key, 0);
}

void SelectOnly(TestShellList *list, int row) {
  list->ClearSelection();
  list->Items()[row]->SetSelected(true);
  list->Items()[row]->SetFocused(true);
}

// A list on a real folder whose items' context menu is a fake: commands run there are recorded, not done.
struct FakeMenuView {
  explicit FakeMenuView(const std::string &path) {
    view.List->SetOptions(view.List->Options().Exclude(kdsloAutoFill).Exclude(kdsloDynamicRefresh));
    view.List->SetMultiSelect(true);
    menu->DefaultOffset = 0;
    TKdIdListPtr list = ParsePath(path);
    ComPtr<IShellFolder> real;
    EXPECT_HRESULT_SUCCEEDED(BindToShellFolder(list.get(), real));
    folder = FakeMenuFolder::Create(menu.Get(), real.Get());
    view.List->ShowFolder(folder.Get(), list.get());
  }
  ShellListForm view;
  ComPtr<FakeContextMenu> menu = FakeContextMenu::Create();
  ComPtr<FakeMenuFolder> folder;
};

TEST(ShellListRename, TheTypedNameTrimmedAndWholeBecomesTheItemsNameWithoutARefresh) {
  TempDir dir;
  WriteFileText(dir / "a.txt", "x");
  MakeDir(dir / "sub");
  ShellListForm view;
  view.Form->Show();
  view.List->Folder().SetPath(dir.Path());
  int fills = 0;
  view.List->OnFillStart = [&](TObject *) { ++fills; };

  SelectOnly(view.List, view.RowOf("a"));
  PressKey(view.List, VK_F2);
  EXPECT_EQ("a.txt", EditText(view.List)) << "the edit starts from the name as the shell wants it typed";
  FinishEdit(view.List, "  \xC3\xA9t\xC3\xA9-\xE6\x97\xA5\xE6\x9C\xAC.txt  ");
  PumpFor(1500);
  EXPECT_EQ(0, fills) << "the list's own rename refreshed it";
  view.List->Items()[view.RowOf("sub")]->EditCaption();
  FinishEdit(view.List, " sub renamed");

  EXPECT_EQ(NamesOnDisk(dir.Path()),
            (std::vector<std::string>{"sub renamed", "\xC3\xA9t\xC3\xA9-\xE6\x97\xA5\xE6\x9C\xAC.txt"}));
  EXPECT_GE(view.RowOf("\xC3\xA9t\xC3\xA9-\xE6\x97\xA5\xE6\x9C\xAC"), 0) << ::testing::PrintToString(view.Names());
  EXPECT_GE(view.RowOf("sub renamed"), 0);
  // The renamed rows keep their items: their paths follow the new names.
  EXPECT_EQ(dir / "sub renamed",
            TKdCustomShellList::ShellData(view.List->Items()[view.RowOf("sub renamed")])->GetPath());
  PumpFor(1500);
  EXPECT_EQ(0, fills) << "the list's own renames refreshed it";
}

TEST(ShellListRename, ARefusedNameKeepsTheCaptionAndNothingOnDiskAndTheNextChangeStillShows) {
  TempDir dir;
  WriteFileText(dir / "a.txt", "x");
  WriteFileText(dir / "b.txt", "y");
  ShellListForm view;
  view.Form->Show();
  view.List->Folder().SetPath(dir.Path());
  const int row = view.RowOf("a");
  const std::string longName = Repeat("n", 296) + ".txt";

  for (const std::string &refused : {std::string("b.txt"), std::string("bad/name.txt"), longName}) {
    view.List->Items()[row]->EditCaption();
    FinishEdit(view.List, refused);
    EXPECT_EQ("a.txt", view.Text(row)) << refused.size();
    EXPECT_EQ(NamesOnDisk(dir.Path()), (std::vector<std::string>{"a.txt", "b.txt"})) << refused.size();
  }
  // A refused rename changed nothing: a change on disk after it is the folder's, and shows.
  WriteFileText(dir / "c.txt");
  EXPECT_TRUE(PumpUntil([&] { return view.RowOf("c") >= 0; }, 5000)) << ::testing::PrintToString(view.Names());
}

TEST(ShellListRename, ARefreshArrivingDuringTheEditRunsWhenItEndsOrIsCancelled) {
  TempDir dir;
  WriteFileText(dir / "a.txt", "x");
  ShellListForm view;
  view.Form->Show();
  view.List->Folder().SetPath(dir.Path());

  view.List->Items()[0]->EditCaption();
  WriteFileText(dir / "b.txt");
  ASSERT_TRUE(PumpUntil([&] { return view.List->RefreshPending(); }, 5000)) << "no refresh was asked for";
  EXPECT_EQ(1, view.List->Items().Count());
  FinishEdit(view.List, "a2.txt");
  EXPECT_EQ(2, view.List->Items().Count()) << ::testing::PrintToString(view.Names());
  EXPECT_GE(view.RowOf("a2"), 0);
  EXPECT_FALSE(view.List->RefreshPending());

  view.List->Items()[0]->EditCaption();
  WriteFileText(dir / "c.txt");
  ASSERT_TRUE(PumpUntil([&] { return view.List->RefreshPending(); }, 5000));
  FinishEdit(view.List, "never.txt", VK_ESCAPE);
  EXPECT_EQ(3, view.List->Items().Count()) << ::testing::PrintToString(view.Names());
  EXPECT_FALSE(FileExists(dir / "never.txt"));
}

TEST(ShellListOpen, FoldersAndShortcutsToFoldersOpenInPlaceAnythingElseByItsDefaultCommand) {
  TempDir dir;
  MakeDir(dir / "sub");
  MakeDir(dir / "gone");
  WriteFileText(dir / "file.txt", "x");
  MakeShortcut(dir / "link.lnk", dir / "sub");
  MakeShortcut(dir / "broken.lnk", dir / "gone");
  RemoveTree(dir / "gone");
  ShellListForm view;
  view.Form->Show();
  view.List->Folder().SetPath(dir.Path());
  int defaultCommands = 0;
  // Taken by the handler: no program is started.
  view.List->OnDblClickOpen = [&](TObject *, bool &handled) {
    ++defaultCommands;
    handled = true;
  };
  auto doubleClick = [&](const std::string &name) {
    const int row = view.RowOf(name);
    ASSERT_GE(row, 0) << name;
    SelectOnly(view.List, row);
    RECT bounds = view.List->Items()[row]->DisplayRect(drLabel);
    view.List->Perform(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(bounds.left + 2, (bounds.top + bounds.bottom) / 2));
  };

  doubleClick("link");
  EXPECT_EQ(dir / "sub", view.List->Folder().GetPath());
  view.List->Folder().SetPath(dir.Path());
  doubleClick("broken");
  doubleClick("file");
  EXPECT_EQ(dir.Path(), view.List->Folder().GetPath());
  EXPECT_EQ(2, defaultCommands);

  view.List->SetOptions(view.List->Options().Include(kdsloDontChangeFolder));
  doubleClick("sub");
  doubleClick("link");
  EXPECT_EQ(dir.Path(), view.List->Folder().GetPath());
  EXPECT_EQ(4, view.List->Items().Count());
  doubleClick("file");
  EXPECT_EQ(3, defaultCommands);
  view.List->SetOptions(view.List->Options().Exclude(kdsloDontChangeFolder));
  doubleClick("sub");
  EXPECT_EQ(dir / "sub", view.List->Folder().GetPath());
  EXPECT_EQ(3, defaultCommands) << "opening a folder is no default command";
}

TEST(ShellListOpen, EnterOpensAFolderRowBeforeTheFormsDefaultButtonButLeavesItAFileRow) {
  TempDir dir;
  MakeDir(dir / "sub");
  WriteFileText(dir / "file.txt", "x");
  DefaultButtonForm form(nullptr);
  form.SetBounds(0, 0, 400, 300);
  auto *list = new TestShellList(&form);
  list->SetParent(&form);
  list->SetAlign(alClient);
  form.Show();
  list->Folder().SetPath(dir.Path());
  list->SetFocus();
  bool opened = false;
  list->OnDblClickOpen = [&](TObject *, bool &handled) { opened = handled = true; };
  auto rowOf = [&](const char *name) {
    for (int i = 0; i < list->Items().Count(); ++i)
      if (TKdCustomShellList::ShellData(list->Items()[i])->GetName().rfind(name, 0) == 0)
        return i;
    return -1;
  };

  SelectOnly(list, rowOf("file"));
  PostMessageW(list->Handle(), WM_KEYDOWN, VK_RETURN, 1);
  PumpFor(100);
  EXPECT_EQ(1, form.Enters);
  EXPECT_FALSE(opened);

  SelectOnly(list, rowOf("sub"));
  PostMessageW(list->Handle(), WM_KEYDOWN, VK_RETURN, 1);
  PumpFor(100);
  EXPECT_EQ(1, form.Enters);
  EXPECT_EQ(dir / "sub", list->Folder().GetPath());
}

TEST(ShellListOpen, EnterOnSeveralRowsRunsTheirDefaultCommandOnceThroughOneMenu) {
  TempDir dir;
  for (const char *name : {"a.txt", "b.txt", "c.txt"})
    WriteFileText(dir / name, "x");
  FakeMenuView fake(dir.Path());
  fake.view.List->Items()[0]->SetSelected(true);
  fake.view.List->Items()[2]->SetSelected(true);

  PressKey(fake.view.List, VK_RETURN);
  ASSERT_EQ(1u, fake.menu->Invocations.size());
  EXPECT_EQ(0u, fake.menu->Invocations[0].Offset) << "the menu's default command";
  EXPECT_EQ(2u, fake.folder->LastCount) << "one menu for both rows";
}

TEST(ShellListKeys, TheDefaultKeysActOnlyWithDefaultKeyHandling) {
  TempDir dir;
  MakeDir(dir / "sub");
  WriteFileText(dir / "sub\\a.txt", "x");
  WriteFileText(dir / "sub\\b.txt", "x");
  ShellListForm view;
  view.Form->Show();
  view.List->SetMultiSelect(true);
  view.List->SetOptions(view.List->Options().Exclude(kdsloDynamicRefresh).Exclude(kdsloDefaultKeyHandling));
  view.List->Folder().SetPath(dir / "sub");
  WriteFileText(dir / "sub\\c.txt", "x");
  view.List->Items()[0]->SetFocused(true);

  PressKey(view.List, VK_F5);
  EXPECT_EQ(2, view.List->Items().Count());
  PressKey(view.List, 'A', {VK_CONTROL});
  EXPECT_EQ(0, view.List->SelCount());
  PressKey(view.List, VK_F2);
  EXPECT_FALSE(view.List->IsEditing());
  PressKey(view.List, VK_BACK);
  EXPECT_EQ(dir / "sub", view.List->Folder().GetPath());

  view.List->SetOptions(view.List->Options().Include(kdsloDefaultKeyHandling));
  PressKey(view.List, VK_F5);
  EXPECT_EQ(3, view.List->Items().Count());
  PressKey(view.List, 'A', {VK_CONTROL});
  EXPECT_EQ(3, view.List->SelCount());
  PressKey(view.List, VK_F2);
  EXPECT_TRUE(view.List->IsEditing());
  SendMessageW(view.List->EditHandle(), WM_KEYDOWN, VK_ESCAPE, 0);
  PressKey(view.List, VK_BACK);
  EXPECT_EQ(dir.Path(), view.List->Folder().GetPath());

  view.List->Folder().SetIdList(nullptr);
  const int desktopRows = view.List->Items().Count();
  PressKey(view.List, VK_BACK);
  EXPECT_EQ(nullptr, view.List->Folder().GetIdList()) << "Backspace at the desktop";
  EXPECT_EQ(desktopRows, view.List->Items().Count());
}

TEST(ShellListKeys, CopyCutAndDeleteWithOrWithoutShiftRunTheSelectionsVerbs) {
  TempDir dir;
  for (const char *name : {"a.txt", "b.txt"})
    WriteFileText(dir / name, "x");
  FakeMenuView fake(dir.Path());
  SelectOnly(fake.view.List, 1);

  PressKey(fake.view.List, 'C', {VK_CONTROL});
  PressKey(fake.view.List, 'X', {VK_CONTROL});
  PressKey(fake.view.List, VK_DELETE);
  PressKey(fake.view.List, VK_DELETE, {VK_SHIFT});
  PressKey(fake.view.List, 'Q', {VK_CONTROL});
  std::vector<UINT> run;
  for (const FakeContextMenu::Invocation &call : fake.menu->Invocations)
    run.push_back(call.Offset);
  EXPECT_EQ(run, (std::vector<UINT>{25, 24, 17, 17})) << "copy, cut, delete, delete";
  EXPECT_EQ(1u, fake.folder->LastCount);
  EXPECT_EQ(NamesOnDisk(dir.Path()), (std::vector<std::string>{"a.txt", "b.txt"}));
}

TEST(ShellListContextMenu, TheSelectionsMenuRunsTheChosenCommandAndItsRenameEditsTheRow) {
  TempDir dir;
  for (const char *name : {"a.txt", "b.txt"})
    WriteFileText(dir / name, "x");
  FakeMenuView fake(dir.Path());
  fake.view.Form->Show();
  // As under Wine: the rename command where the shell's usual offset has none.
  fake.menu->Commands = {{0, "open", "Open"}, {17, "delete", "Delete"}, {80, "rename", "Rename"}};
  fake.menu->AddForeignItems = false;
  SelectOnly(fake.view.List, 0);
  auto menuKey = [&] { PressKey(fake.view.List, VK_APPS); };

  {
    MenuChoice choice("Rename");
    menuKey();
    EXPECT_EQ(choice.Shown, (std::vector<std::string>{"Open", "Delete", "Rename"}));
  }
  EXPECT_TRUE(fake.view.List->IsEditing()) << "the rename command edits the row's label";
  EXPECT_TRUE(fake.menu->Invocations.empty()) << "the rename command went to the shell";
  FinishEdit(fake.view.List, "a", VK_ESCAPE);
  {
    MenuChoice choice("Delete");
    menuKey();
  }
  ASSERT_EQ(1u, fake.menu->Invocations.size());
  EXPECT_EQ(17u, fake.menu->Invocations[0].Offset);
  EXPECT_EQ(nullptr, fake.view.List->ActiveContextMenu());

  // A change reported while the menu is up does not refresh the rows under it; it shows once the menu is gone.
  WriteFileText(dir / "c.txt", "x");
  PostMessageW(fake.view.List->Handle(), TKdCustomShellList::ChangeMessage, 0, 0);
  static int rowsWhileOpen;
  static TKdCustomShellList *list;
  rowsWhileOpen = -1;
  list = fake.view.List;
  SetTimer(nullptr, 0, TKdRefreshGate::UnfocusedRefreshDelay + 500, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    rowsWhileOpen = list->Items().Count();
    EndMenu();
  });
  menuKey();
  EXPECT_EQ(rowsWhileOpen, 2) << "the list refreshed inside its own menu's loop";
  EXPECT_EQ(fake.view.List->Items().Count(), 3);

  // A read-only list asks for no rename command; without kdsloContextMenus the shell's menu stays away.
  fake.view.List->SetReadOnly(true);
  {
    MenuChoice choice("");
    menuKey();
    EXPECT_EQ(choice.Shown, (std::vector<std::string>{"Open", "Delete"}));
  }
  fake.view.List->SetOptions(fake.view.List->Options().Exclude(kdsloContextMenus));
  {
    MenuChoice choice("");
    menuKey();
    EXPECT_TRUE(choice.Shown.empty());
  }
}

TEST(ShellListNewFolder, TheNewFoldersRowIsEditedAndAVirtualFolderGetsNone) {
  TempDir dir;
  WriteFileText(dir / "a.txt", "x");
  ShellListForm view;
  view.Form->Show();
  view.List->Folder().SetPath(dir.Path());

  ASSERT_TRUE(view.List->NewFolder(true));
  ASSERT_TRUE(PumpUntil([&] { return view.List->IsEditing(); }, 3000));
  EXPECT_EQ("New Folder", EditText(view.List));
  EXPECT_EQ(2, view.List->Items().Count());
  FinishEdit(view.List, "Made");
  EXPECT_EQ(NamesOnDisk(dir.Path()), (std::vector<std::string>{"Made", "a.txt"}));

  // My Computer has no directory of its own for the folder.
  view.List->Folder().SetPath("::{20D04FE0-3AEA-1069-A2D8-08002B30309D}");
  ASSERT_TRUE(view.List->Folder().GetPath().empty());
  char current[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, current);
  const bool existedBefore = FileExists(std::string(current) + "\\New Folder");
  EXPECT_FALSE(view.List->NewFolder(false));
  EXPECT_EQ(existedBefore, FileExists(std::string(current) + "\\New Folder"));
}

TEST(ShellListWheel, ANotchScrollsTheShellListUnderThePointerNotTheFocusedOne) {
  TempDir large;
  for (int i = 0; i < 120; ++i)
    WriteFileText(large / FormatStr("f%03d.txt", i));
  ShellListForm view(2);
  view.Form->Show();
  TestShellList *focused = view.Lists[0], *other = view.Lists[1];
  focused->Folder().SetPath(large.Path());
  other->Folder().SetPath(large.Path());
  focused->SetFocus();
  auto notchAt = [&](TWinControl *over, int delta) {
    RECT client = over->ClientRect();
    POINT at = over->ClientToScreen(POINT{client.right / 2, client.bottom / 2});
    SendMessageW(focused->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, delta), MAKELPARAM(at.x, at.y));
  };
  const int lines = MouseWheelScrollLines();

  notchAt(other, -WHEEL_DELTA);
  EXPECT_EQ(0, GetScrollPos(focused->Handle(), SB_VERT));
  if (lines > 0)
    EXPECT_EQ(lines, GetScrollPos(other->Handle(), SB_VERT)) << "a line per line of the user's setting";
  else
    EXPECT_GT(GetScrollPos(other->Handle(), SB_VERT), 0);
  notchAt(focused, -2 * WHEEL_DELTA);
  EXPECT_GT(GetScrollPos(focused->Handle(), SB_VERT), 0);

  // The list style scrolls sideways.
  other->SetViewStyle(vsList);
  notchAt(other, -WHEEL_DELTA);
  EXPECT_GT(GetScrollPos(other->Handle(), SB_HORZ), 0);
}

TEST(ShellListCustomDraw, TheHandlersSeeTheRowAndItsDataAndTheirColoursAreDrawn) {
  TempDir dir;
  WriteFileText(dir / "a.txt", "x");
  ShellListForm view;
  view.List->Folder().SetPath(dir.Path());
  std::vector<std::string> seen;
  view.List->OnCustomDrawShEx = [&](TObject *, TKdCustomDraw *draw, TListItem *, TKdShListData *data) {
    seen.push_back("ex" + std::to_string(draw->Stage()) + ":" + (data ? data->GetPath() : "-"));
  };
  view.List->OnCustomDrawSh = [&](TObject *, TKdCustomDraw *draw, TListItem *item, TKdShListData *data) {
    seen.push_back("item" + std::to_string(item ? item->Index() : -1) + ":" + (data ? data->GetPath() : "-"));
    draw->Font()->SetColor(clRed);
  };
  HDC dc = CreateCompatibleDC(nullptr);
  auto send = [&](DWORD stage, DWORD_PTR row, NMLVCUSTOMDRAW &record) {
    record = {};
    record.nmcd.hdr = {view.List->Handle(), 0, static_cast<UINT>(NM_CUSTOMDRAW)};
    record.nmcd.dwDrawStage = stage;
    record.nmcd.hdc = dc;
    record.nmcd.dwItemSpec = row;
    return SendMessageW(view.Form->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&record));
  };
  NMLVCUSTOMDRAW record;
  EXPECT_EQ(CDRF_NOTIFYITEMDRAW, send(CDDS_PREPAINT, 0, record) & CDRF_NOTIFYITEMDRAW);
  send(CDDS_ITEMPREPAINT, 0, record);
  EXPECT_EQ(RGB(255, 0, 0), record.clrText);
  send(CDDS_ITEMPOSTPAINT, 0, record);
  DeleteDC(dc);
  EXPECT_EQ(seen, (std::vector<std::string>{"ex1:-", "ex4:" + dir / "a.txt", "item0:" + dir / "a.txt",
                                            "ex5:" + dir / "a.txt"}));
}

TEST(ShellListHost, AShellExtensionAskingForTheBrowserGetsTheProcesssExplorerOrNothing) {
  ShellListForm view;
  auto ask = [&] { return SendMessageW(view.List->Handle(), TKdCustomShellList::ShellBrowserRequestMessage, 0, 0); };
  EXPECT_EQ(0, ask()) << "no explorer runs in this process";

  FakeShellBrowser explorer;
  SHSetInstanceExplorer(&explorer);
  const ULONG before = explorer.RefCount();
  EXPECT_EQ(reinterpret_cast<LRESULT>(static_cast<IShellBrowser *>(&explorer)), ask());
  // Lent as the message's convention has it: the explorer's own reference keeps it, none is left behind.
  EXPECT_EQ(before, explorer.RefCount());
  SHSetInstanceExplorer(nullptr);
}

} // namespace
