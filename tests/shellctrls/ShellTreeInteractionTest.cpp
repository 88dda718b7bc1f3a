// The shell tree answering the user: renaming folders in place on real folders, the default keys and the
// shell's context menu of a node (a fake menu where the real shell must not run a command), and the wheel.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "ShellListTestSupport.h"
#include "ShellTreeTestSupport.h"
#include "common/TestSupport.h"
#include "fakes/FakeContextMenu.h"
#include "shellns/UKdShell95.h"
#include "toolkit/ComPtr.h"

using namespace zortest;

namespace {

HWND EditBox(TKdShellTree *tree) {
  return reinterpret_cast<HWND>(SendMessageW(tree->Handle(), TVM_GETEDITCONTROL, 0, 0));
}

std::string EditText(TKdShellTree *tree) {
  wchar_t text[1024] = {};
  GetWindowTextW(EditBox(tree), text, 1024);
  return WideToUtf8(text);
}

// Types text into the label edit in progress and ends it with Enter (or cancels it with Escape), as the
// keyboard would: the key comes through the message loop.
void FinishEdit(TKdShellTree *tree, const std::string &text, WORD key = VK_RETURN) {
  ASSERT_TRUE(tree->IsEditing());
  SetWindowTextW(EditBox(tree), Utf8ToWide(text).c_str());
  PostMessageW(EditBox(tree), WM_KEYDOWN, key, 1);
  ASSERT_TRUE(PumpUntil([&] { return !tree->IsEditing(); }, 3000));
}

// A tree rooted at a test folder on a form that takes Enter for a default button, shown and focused.
struct TreeForm {
  TreeForm(const std::string &base, TKdShellTreeOptions options) {
    Form = std::make_unique<DefaultButtonForm>(nullptr);
    Form->SetBounds(40, 40, 420, 300);
    Tree = new TKdShellTree(Form.get());
    Tree->SetOptions(options);
    Tree->BaseFolder().SetPath(base);
    Tree->SetParent(Form.get());
    Tree->SetAlign(alLeft);
    Tree->SetWidth(200);
    Form->Show();
    EXPECT_TRUE(PumpUntil([&] { return Tree->Items().Count() > 0; }, 5000)) << "the tree filled itself";
    Tree->SetFocus();
  }
  TTreeNode *Root() { return Tree->FirstShellNode(); }
  void Select(const std::string &name) { Tree->SetSelected(Child(Root(), name)); }

  std::unique_ptr<DefaultButtonForm> Form;
  TKdShellTree *Tree = nullptr;
};

// The root's items offer a fake context menu: what the keys and menus run is recorded, not done.
ComPtr<FakeMenuFolder> FakeMenusUnder(TreeForm &view, FakeContextMenu *menu) {
  TKdShTreeData *root = TKdCustomShellTree::ShellData(view.Root());
  auto folder = FakeMenuFolder::Create(menu, root->GetFolder());
  root->SetFolder(folder.Get());
  return folder;
}

std::vector<UINT> Offsets(const FakeContextMenu &menu) {
  std::vector<UINT> offsets;
  for (const FakeContextMenu::Invocation &call : menu.Invocations)
    offsets.push_back(call.Offset);
  return offsets;
}

const std::string Japanese = "\xC3\xA9t\xC3\xA9-\xE6\x97\xA5\xE6\x9C\xAC"; // été-日本

TEST(ShellTreeRename, TheTrimmedNameRenamesTheFolderKeepsItsSubfoldersAndSortsItWithoutARefresh) {
  TempDir dir;
  for (const char *name : {"b", "m", "z"})
    MakeDir(dir / name);
  MakeDir(dir / "m\\inner");
  TreeForm view(dir.Path(), kdDefaultShellTreeOptions);
  TTreeNode *m = Child(view.Root(), "m");
  m->Expand(false);
  view.Tree->SetSelected(m);
  int refreshes = 0;
  view.Tree->OnFillStart = [&](TObject *) { ++refreshes; };

  PressKey(view.Tree, VK_F2);
  EXPECT_EQ("m", EditText(view.Tree)) << "the edit starts from the name as the shell wants it typed";
  FinishEdit(view.Tree, "  " + Japanese + "  ");
  EXPECT_EQ(0, view.Form->Enters) << "Enter ended the edit, not the form's default button";

  EXPECT_EQ(NamesOnDisk(dir.Path()), (std::vector<std::string>{"b", "z", Japanese}));
  EXPECT_EQ(Texts(view.Root()), (std::vector<std::string>{"b", Japanese, "z"})) << "sorted among its siblings";
  ASSERT_EQ(m, Child(view.Root(), Japanese)) << "the node is kept";
  EXPECT_EQ(PathOf(Child(m, "inner")), dir / (Japanese + "\\inner")) << "the subfolders follow the new name";
  EXPECT_EQ(dir / Japanese, view.Tree->CurrentFolder().GetPath());
  PumpFor(1500);
  EXPECT_EQ(0, refreshes) << "the tree's own rename refreshed it";

  view.Tree->SetSelected(view.Root());
  PressKey(view.Tree, VK_F2);
  EXPECT_FALSE(view.Tree->IsEditing()) << "the root cannot be renamed";
}

TEST(ShellTreeRename, ARefusedNameKeepsTheCaptionAndTheDiskAndTheNextChangeStillShows) {
  TempDir dir;
  MakeDir(dir / "a");
  MakeDir(dir / "b");
  TreeForm view(dir.Path(), kdDefaultShellTreeOptions);

  // Taken, invalid, and longer than any path may be: never cut to what would fit.
  for (const std::string &refused : {std::string("b"), std::string("bad/name"), Repeat("n", 300)}) {
    Child(view.Root(), "a")->EditText();
    FinishEdit(view.Tree, refused);
    EXPECT_EQ(Texts(view.Root()), (std::vector<std::string>{"a", "b"})) << refused.size();
    EXPECT_EQ(NamesOnDisk(dir.Path()), (std::vector<std::string>{"a", "b"})) << refused.size();
  }
  // A refused rename changed nothing: a change on disk after it is the folder's, and shows.
  MakeDir(dir / "c");
  EXPECT_TRUE(PumpUntil([&] { return Child(view.Root(), "c") != nullptr; }, 8000));
}

TEST(ShellTreeRename, ARefreshArrivingDuringTheEditRunsWhenItEndsOrIsCancelled) {
  TempDir dir;
  MakeDir(dir / "a");
  TreeForm view(dir.Path(), kdDefaultShellTreeOptions);

  Child(view.Root(), "a")->EditText();
  MakeDir(dir / "new");
  ASSERT_TRUE(PumpUntil([&] { return view.Tree->RefreshPending(); }, 8000)) << "no refresh was asked for";
  EXPECT_EQ(Texts(view.Root()), std::vector<std::string>{"a"});
  FinishEdit(view.Tree, "a2");
  EXPECT_TRUE(PumpUntil(
      [&] {
        return Texts(view.Root()) == std::vector<std::string>{"a2", "new"};
      },
      3000))
      << ::testing::PrintToString(Texts(view.Root()));

  Child(view.Root(), "a2")->EditText();
  MakeDir(dir / "newer");
  ASSERT_TRUE(PumpUntil([&] { return view.Tree->RefreshPending(); }, 8000));
  FinishEdit(view.Tree, "never", VK_ESCAPE);
  EXPECT_TRUE(PumpUntil([&] { return Texts(view.Root()).size() == 3; }, 3000))
      << ::testing::PrintToString(Texts(view.Root()));
  EXPECT_FALSE(FileExists(dir / "never"));
}

TEST(ShellTreeKeys, TheDefaultKeysRunTheSelectedNodesVerbsOnlyWithDefaultKeyHandling) {
  TempDir dir;
  MakeDir(dir / "a");
  MakeDir(dir / "b");
  TreeForm view(dir.Path(), kdDefaultShellTreeOptions - kdstoDynamicRefresh - kdstoDefaultKeyHandling);
  auto menu = FakeContextMenu::Create();
  auto folder = FakeMenusUnder(view, menu.Get());
  view.Select("a");
  MakeDir(dir / "c");
  if (OpenClipboard(nullptr)) {
    EmptyClipboard();
    CloseClipboard();
  }

  for (WORD key : {WORD('C'), WORD('X'), WORD('V')})
    PressKey(view.Tree, key, {VK_CONTROL});
  PressKey(view.Tree, VK_DELETE);
  PressKey(view.Tree, VK_F5);
  PressKey(view.Tree, VK_F2);
  EXPECT_TRUE(menu->Invocations.empty());
  EXPECT_FALSE(view.Tree->IsEditing());
  EXPECT_EQ(Texts(view.Root()), (std::vector<std::string>{"a", "b"}));

  view.Tree->SetOptions(view.Tree->Options() | kdstoDefaultKeyHandling);
  PressKey(view.Tree, VK_F5);
  EXPECT_EQ(Texts(view.Root()), (std::vector<std::string>{"a", "b", "c"}));
  for (WORD key : {WORD('C'), WORD('X'), WORD('V')})
    PressKey(view.Tree, key, {VK_CONTROL});
  MakeDir(dir / "d");
  PressKey(view.Tree, VK_DELETE);
  PressKey(view.Tree, VK_DELETE, {VK_SHIFT});
  PressKey(view.Tree, 'Q', {VK_CONTROL});
  // Where the shell's paste copies nothing (Wine) the tree pastes by itself, here from an empty clipboard.
  const std::vector<UINT> expected =
      TransfersFilesItself() ? std::vector<UINT>{25, 24, 17, 17} : std::vector<UINT>{25, 24, 26, 17, 17};
  EXPECT_EQ(Offsets(*menu.Get()), expected) << "copy, cut, paste, delete, delete";
  EXPECT_EQ(Texts(view.Root()), (std::vector<std::string>{"a", "b", "c", "d"})) << "a verb refreshes the tree";
  EXPECT_EQ(PathOf(view.Tree->Selected()), dir / "a");
  PressKey(view.Tree, VK_F2);
  EXPECT_TRUE(view.Tree->IsEditing());
  FinishEdit(view.Tree, "a", VK_ESCAPE);

  // The root is nobody's item to cut or delete.
  view.Tree->SetSelected(view.Root());
  PressKey(view.Tree, 'C', {VK_CONTROL});
  PressKey(view.Tree, VK_DELETE);
  EXPECT_EQ(S_FALSE, view.Tree->InvokeVerb(view.Root(), "copy"));
  EXPECT_EQ(expected.size(), menu->Invocations.size());
  EXPECT_EQ(NamesOnDisk(dir.Path()), (std::vector<std::string>{"a", "b", "c", "d"}));
}

TEST(ShellTreeContextMenu, TheNodesMenuRunsTheChosenCommandItsRenameEditsAndRefreshesWaitForItsEnd) {
  TempDir dir;
  MakeDir(dir / "a");
  TreeForm view(dir.Path(), kdDefaultShellTreeOptions - kdstoDynamicRefresh);
  auto menu = FakeContextMenu::Create();
  // As under Wine: the rename command where the shell's usual offset has none.
  menu->Commands = {{0, "open", "Open"}, {17, "delete", "Delete"}, {80, "rename", "Rename"}};
  menu->AddForeignItems = false;
  auto folder = FakeMenusUnder(view, menu.Get());
  view.Select("a");
  auto menuKey = [&] { PressKey(view.Tree, VK_APPS); };

  {
    MenuChoice choice("Rename");
    menuKey();
    EXPECT_EQ(choice.Shown, (std::vector<std::string>{"Open", "Delete", "Rename"}));
  }
  EXPECT_TRUE(view.Tree->IsEditing()) << "the rename command edits the node's label";
  EXPECT_TRUE(menu->Invocations.empty()) << "the rename command went to the shell";
  FinishEdit(view.Tree, "a", VK_ESCAPE);

  // A change reported while the menu is up is not lost: the tree refreshes once the menu is gone.
  MakeDir(dir / "b");
  PostMessageW(view.Tree->Handle(), WM_KDCHANGENOTIFY, 0, 0);
  {
    MenuChoice choice("");
    menuKey();
    EXPECT_FALSE(choice.Shown.empty());
  }
  EXPECT_EQ(Texts(view.Root()), (std::vector<std::string>{"a", "b"}));
  MakeDir(dir / "c");
  {
    MenuChoice choice("Delete");
    menuKey();
  }
  EXPECT_EQ(Offsets(*menu.Get()), std::vector<UINT>{17});
  EXPECT_EQ(Texts(view.Root()), (std::vector<std::string>{"a", "b", "c"})) << "the command refreshed the tree";
  EXPECT_EQ(nullptr, view.Tree->ActiveContextMenu());
  EXPECT_FALSE(view.Tree->Busy());

  // A read-only tree asks for no rename command; without kdstoContextMenus the shell's menu stays away.
  view.Tree->SetReadOnly(true);
  {
    MenuChoice choice("");
    menuKey();
    EXPECT_EQ(choice.Shown, (std::vector<std::string>{"Open", "Delete"}));
  }
  view.Tree->SetOptions(view.Tree->Options() - kdstoContextMenus);
  {
    MenuChoice choice("");
    menuKey();
    EXPECT_TRUE(choice.Shown.empty());
  }

  // The desktop has no menu of its own.
  view.Tree->SetOptions(view.Tree->Options() | kdstoContextMenus);
  view.Tree->BaseFolder().SetIdList(nullptr);
  ASSERT_TRUE(PumpUntil([&] { return view.Root() != nullptr; }, 5000));
  view.Tree->SetSelected(view.Root());
  {
    MenuChoice choice("");
    menuKey();
    EXPECT_TRUE(choice.Shown.empty());
  }
}

TEST(ShellTreeWheel, ANotchGoesToTheShellControlUnderThePointerNotTheFocusedOne) {
  TempDir dir;
  for (int i = 0; i < 80; ++i)
    MakeDir(dir / FormatStr("f%03d", i));
  TreeForm view(dir.Path(), kdDefaultShellTreeOptions - kdstoDynamicRefresh);
  auto *list = new TKdShellList(view.Form.get());
  list->SetParent(view.Form.get());
  list->SetAlign(alClient);
  list->SetViewStyle(vsReport);
  list->Folder().SetPath(dir.Path());
  list->SetFocus();
  auto notchAt = [&](TWinControl *over, TWinControl *to) {
    RECT client = over->ClientRect();
    POINT at = over->ClientToScreen(POINT{client.right / 2, client.bottom / 2});
    SendMessageW(to->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), MAKELPARAM(at.x, at.y));
  };

  notchAt(view.Tree, list);
  EXPECT_GT(GetScrollPos(view.Tree->Handle(), SB_VERT), 0) << "the tree under the pointer scrolls";
  EXPECT_EQ(0, GetScrollPos(list->Handle(), SB_VERT));
  notchAt(list, view.Tree);
  EXPECT_GT(GetScrollPos(list->Handle(), SB_VERT), 0);
  const int treeAt = GetScrollPos(view.Tree->Handle(), SB_VERT);
  notchAt(view.Tree, view.Tree);
  EXPECT_GT(GetScrollPos(view.Tree->Handle(), SB_VERT), treeAt);
}

} // namespace
