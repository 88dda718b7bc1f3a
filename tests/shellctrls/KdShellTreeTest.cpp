#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <dbt.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ShellTreeTestSupport.h"
#include "common/TestSupport.h"
#include "fakes/FakeShellFolder.h"
#include "shellctrls/UKdShellControls.h"
#include "shellns/UKdShell95.h"
#include "toolkit/Application.h"
#include "toolkit/Form.h"

namespace {

using zortest::TempDir;

using zortest::Child;
using zortest::PathOf;
using zortest::Texts;

class KdShellTree : public ::testing::Test {
protected:
  // A tree rooted at the test's folder (kept small; only that folder is watched), filled once its window
  // exists.
  void MakeTree(TKdShellTreeOptions options = kdDefaultShellTreeOptions - kdstoDynamicRefresh) {
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(50, 50, 300, 400);
    tree = new TKdShellTree(form.get());
    tree->SetOptions(options);
    tree->BaseFolder().SetPath(temp.Path());
    tree->OnInsertItem = [this](TObject *, TTreeNode *) { ++inserted; };
    tree->OnDeleteItem = [this](TObject *, TTreeNode *, TKdShTreeData *) { ++deleted; };
    tree->SetParent(form.get());
    tree->SetAlign(alClient);
    form->Show();
    if (options.Contains(kdstoAutoFill)) {
      ASSERT_TRUE(zortest::PumpUntil([&] { return tree->Items().Count() > 0; }, 5000)) << "the tree filled itself";
    }
  }

  TTreeNode *Root() { return tree->FirstShellNode(); }

  TempDir temp;
  std::unique_ptr<TForm> form;
  TKdShellTree *tree = nullptr;
  int inserted = 0;
  int deleted = 0;
};

TEST_F(KdShellTree, ShowsTheBaseFolderSortedWithNamesUnchangedAndLoadsFoldersWhenOpened) {
  for (const char *name : {"b", "a", "C", "été-日本-Ёж"})
    zortest::MakeDir(temp / name);
  zortest::MakeDir(temp / "a\\inner");
  zortest::WriteFileText(temp / "file.txt");
  MakeTree();

  TTreeNode *root = Root();
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->Text(), temp.Path().substr(temp.Path().rfind('\\') + 1));
  EXPECT_TRUE(root->Expanded());
  EXPECT_EQ(Texts(root), (std::vector<std::string>{"a", "b", "C", "été-日本-Ёж"})) << "folders only, shell order";
  EXPECT_EQ(PathOf(Child(root, "été-日本-Ёж")), temp / "été-日本-Ёж");
  EXPECT_EQ(tree->Selected(), root) << "no current folder: the root is selected";
  EXPECT_EQ(tree->GetSelectedPath(), temp.Path());

  TTreeNode *a = Child(root, "a");
  EXPECT_EQ(a->GetFirstChild(), nullptr) << "children are loaded when the folder is opened";
  EXPECT_TRUE(a->HasChildren());
  a->Expand(false);
  EXPECT_EQ(Texts(a), std::vector<std::string>{"inner"});

  // Icons are looked up for the nodes drawn, not for every node added.
  UpdateWindow(tree->Handle());
  EXPECT_EQ(a->ImageIndex(), GetIdListIconIndex(TKdCustomShellTree::ShellData(a)->GetAbsIdList(), SHGFI_SMALLICON));
  EXPECT_NE(a->ImageIndex(), 0);

  tree->SetOptions(tree->Options() | kdstoIncludeNonFolders);
  tree->FillTree();
  EXPECT_EQ(Texts(Root()), (std::vector<std::string>{"a", "b", "C", "été-日本-Ёж", "file.txt"}));

  // Every node's data goes with the window and with the tree.
  const int before = inserted;
  tree->RecreateWnd();
  tree->HandleNeeded();
  ASSERT_TRUE(zortest::PumpUntil([&] { return tree->Items().Count() > 0; }, 5000)) << "filled again";
  EXPECT_EQ(deleted, before);
  form.reset();
  EXPECT_EQ(deleted, inserted);
}

TEST_F(KdShellTree, AdmitsItemsByOptionsAndMarksThemByAttributes) {
  // The real shell reports subfolders on every folder and never shares: a fake folder answers the rest.
  auto fake = zortest::FakeShellFolder::Create();
  const SFGAOF fs = SFGAO_FILESYSTEM;
  fake->Items = {{"leaf", fs | SFGAO_FOLDER},
                 {"parent", fs | SFGAO_FOLDER | SFGAO_HASSUBFOLDER},
                 {"file", fs},
                 {"printers", SFGAO_FOLDER | SFGAO_HASSUBFOLDER},
                 {"ancestor", SFGAO_FILESYSANCESTOR | SFGAO_FOLDER},
                 {"hidden", fs | SFGAO_FOLDER | SFGAO_GHOSTED},
                 {"shared", fs | SFGAO_FOLDER | SFGAO_SHARE | SFGAO_LINK},
                 {"link", fs | SFGAO_LINK},
                 {"refused", fs | SFGAO_FOLDER}};
  MakeTree(kdDefaultShellTreeOptions - kdstoAutoFill - kdstoDynamicRefresh - kdstoVirtualFolders);
  tree->OnAddItem = [](TObject *, IShellFolder *, LPCITEMIDLIST, LPCITEMIDLIST item, ULONG, bool &allow) {
    allow = zortest::FakeShellFolder::NameOf(item) != "refused";
  };
  tree->FillNode(fake.Get(), nullptr);
  TTreeNode *root = Root();
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(Texts(root), (std::vector<std::string>{"ancestor", "file", "hidden", "leaf", "link", "parent", "shared"}));
  auto button = [&](const char *name) { return Child(root, name)->HasChildren(); };
  EXPECT_TRUE(button("parent"));
  EXPECT_FALSE(button("leaf")) << "a folder without subfolders";
  EXPECT_FALSE(button("file"));
  EXPECT_TRUE(Child(root, "hidden")->Cut());
  EXPECT_FALSE(Child(root, "leaf")->Cut());
  EXPECT_EQ(Child(root, "shared")->OverlayIndex(), 0) << "the share hand wins over the link arrow";
  EXPECT_EQ(Child(root, "link")->OverlayIndex(), 1);
  EXPECT_EQ(Child(root, "leaf")->OverlayIndex(), -1);

  tree->SetOptions(tree->Options() | kdstoVirtualFolders | kdstoIncludeNonFolders);
  tree->Items().Clear();
  tree->FillNode(fake.Get(), nullptr);
  root = Root();
  EXPECT_NE(Child(root, "printers"), nullptr);
  EXPECT_TRUE(button("leaf")) << "with files shown, every folder may open";
  EXPECT_FALSE(button("file"));
}

TEST_F(KdShellTree, HidesVirtualFoldersOnlyWhenAsked) {
  // The desktop as root: My Computer is a file-system ancestor, Control Panel inside it is not.
  auto controlPanelShown = [&](TKdShellTreeOptions options) {
    form.reset();
    form = std::make_unique<TForm>(nullptr);
    tree = new TKdShellTree(form.get());
    tree->SetOptions(options);
    tree->SetParent(form.get());
    form->Show();
    EXPECT_TRUE(zortest::PumpUntil([&] { return tree->Items().Count() > 0; }, 10000));
    TKdIdListPtr drives;
    EXPECT_EQ(GetSpecialFolderIdList(nullptr, CSIDL_DRIVES, drives), S_OK);
    tree->SelectIdList(drives.get());
    TTreeNode *computer = tree->Selected();
    EXPECT_EQ(IdListCompare(TKdCustomShellTree::ShellData(computer)->GetAbsIdList(), drives.get()), 0);
    computer->Expand(false);
    bool controlPanel = false, drive = false;
    for (TTreeNode *child = computer->GetFirstChild(); child; child = child->GetNextSibling()) {
      std::string path = PathOf(child);
      controlPanel |= path.empty();
      drive |= path.size() == 3 && path[1] == ':';
    }
    EXPECT_TRUE(drive);
    return controlPanel;
  };
  EXPECT_TRUE(controlPanelShown(kdDefaultShellTreeOptions - kdstoDynamicRefresh));
  EXPECT_FALSE(controlPanelShown(kdDefaultShellTreeOptions - kdstoDynamicRefresh - kdstoVirtualFolders));
}

TEST_F(KdShellTree, HiddenFoldersAreDimmedOrLeftOutYetReachable) {
  zortest::MakeDir(temp / "shown");
  zortest::MakeDir(temp / "secret");
  zortest::MakeDir(temp / "secret\\deep");
  SetFileAttributesA((temp / "secret").c_str(), FILE_ATTRIBUTE_HIDDEN);
  MakeTree();
  ASSERT_NE(Child(Root(), "secret"), nullptr);

  tree->SetOptions(tree->Options() - kdstoShowHidden);
  tree->FillTree();
  EXPECT_EQ(Texts(Root()), std::vector<std::string>{"shown"});

  // Asked for by path, the hidden folder is added on the way.
  tree->SetCurrentPath(temp / "secret\\deep");
  EXPECT_EQ(tree->GetSelectedPath(), temp / "secret\\deep");
  EXPECT_EQ(Texts(Root()), (std::vector<std::string>{"secret", "shown"}));
  EXPECT_EQ(tree->CurrentFolder().GetPath(), temp / "secret\\deep");
}

TEST_F(KdShellTree, WalksToAFolderAndStopsAtTheNearestOneThatExists) {
  zortest::MakeDir(temp / "one");
  zortest::MakeDir(temp / "one\\two");
  zortest::MakeDir(temp / "one\\two\\three");
  MakeTree();
  std::vector<std::string> changes;
  tree->OnChange = [&](TObject *, TTreeNode *node) { changes.push_back(node ? node->Text() : "-"); };

  tree->SetCurrentPath(temp / "one\\two\\three");
  EXPECT_EQ(tree->GetSelectedPath(), temp / "one\\two\\three");
  EXPECT_TRUE(Child(Root(), "one")->Expanded());
  EXPECT_EQ(changes, std::vector<std::string>{"three"});

  // A folder that is not there: the tree stays on the deepest one that is, and says so.
  zortest::MakeDir(temp / "one\\gone");
  zortest::MakeDir(temp / "one\\gone\\below");
  TKdIdListPtr gone = zortest::ParsePath(temp / "one\\gone\\below");
  zortest::RemoveTree(temp / "one\\gone");
  tree->CurrentFolder().SetIdList(gone.get());
  EXPECT_EQ(tree->GetSelectedPath(), temp / "one");
  EXPECT_EQ(tree->CurrentFolder().GetPath(), temp / "one") << "the tree's folder is the one it shows";

  // Going up stops at the root; at the root it does nothing.
  tree->SetCurrentPath(temp / "one\\two\\three");
  tree->GoUp(1);
  EXPECT_EQ(tree->GetSelectedPath(), temp / "one\\two");
  tree->GoUp(3);
  EXPECT_EQ(tree->Selected(), Root());
  EXPECT_EQ(tree->CurrentFolder().GetPath(), temp.Path());
  changes.clear();
  tree->GoUp(1);
  EXPECT_EQ(tree->Selected(), Root());
  EXPECT_TRUE(changes.empty());
}

TEST_F(KdShellTree, RefreshKeepsUnchangedNodesAndMovesTheSelectionOutOfVanishedOnes) {
  for (const char *name : {"a", "c", "e", "e\\inner", "e\\inner\\deepest"})
    zortest::MakeDir(temp / name);
  MakeTree();
  tree->SetCurrentPath(temp / "e\\inner\\deepest");
  TTreeNode *a = Child(Root(), "a");
  TTreeNode *c = Child(Root(), "c");
  const int deletedBefore = deleted;

  zortest::MakeDir(temp / "b");
  zortest::RemoveTree(temp / "e");
  zortest::MakeDir(temp / "d");
  std::vector<std::string> changes;
  tree->OnChange = [&](TObject *, TTreeNode *node) { changes.push_back(node ? node->Text() : "-"); };
  tree->RefreshNodes();

  EXPECT_EQ(Texts(Root()), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(Child(Root(), "a"), a) << "unchanged nodes are left alone";
  EXPECT_EQ(Child(Root(), "c"), c);
  EXPECT_EQ(deleted - deletedBefore, 3) << "the vanished folder with its subtree";
  EXPECT_EQ(tree->Selected(), Root());
  EXPECT_EQ(tree->CurrentFolder().GetPath(), temp.Path());
  EXPECT_EQ(changes, std::vector<std::string>{Root()->Text()}) << "the selection moved up once";

  // A folder that cannot be read any more loses its children, and shows them again once it can.
  zortest::MakeDir(temp / "a\\x");
  Child(Root(), "a")->Expand(false);
  ASSERT_EQ(Texts(a), std::vector<std::string>{"x"});
  zortest::RemoveTree(temp / "a\\x");
  tree->RefreshNodes();
  EXPECT_TRUE(Texts(a).empty());
  zortest::MakeDir(temp / "a\\y");
  tree->RefreshNodes();
  EXPECT_EQ(Texts(a), std::vector<std::string>{"y"});
}

TEST_F(KdShellTree, FolderThatCannotBeReadShowsWhatItGotAndOnlyRealFailuresRaise) {
  zortest::MakeDir(temp / "vanishing");
  MakeTree(kdDefaultShellTreeOptions - kdstoDynamicRefresh);
  TTreeNode *node = Child(Root(), "vanishing");
  zortest::RemoveTree(temp / "vanishing");
  node->Expand(false); // no error box: the test's watchdog would fail it
  EXPECT_EQ(node->GetFirstChild(), nullptr);

  // Wine lists a missing folder as empty; a fake answers as an empty drive and a failing one do.
  auto fake = zortest::FakeShellFolder::Create();
  fake->Items = {{"one", SFGAO_FILESYSTEM | SFGAO_FOLDER}, {"two", SFGAO_FILESYSTEM | SFGAO_FOLDER}};
  auto fillRoot = [&] {
    tree->Items().Clear();
    tree->FillNode(fake.Get(), nullptr);
    return Root();
  };
  fake->EnumObjectsResult = HRESULT_FROM_WIN32(ERROR_NOT_READY);
  TTreeNode *root = fillRoot();
  EXPECT_EQ(root->GetFirstChild(), nullptr);
  EXPECT_TRUE(root->HasChildren()) << "an empty drive may be read later";

  fake->EnumObjectsResult = S_OK;
  fake->EnumEndResult = HRESULT_FROM_WIN32(ERROR_NOT_READY);
  root = fillRoot();
  EXPECT_EQ(Texts(root), (std::vector<std::string>{"one", "two"}));

  fake->EnumEndResult = E_ACCESSDENIED;
  zortest::MessageBoxCapture boxes;
  GuardedCall([&] { fillRoot(); });
  EXPECT_EQ(boxes.Boxes.size(), 1u) << "an enumeration that breaks off is reported";
  EXPECT_EQ(Texts(Root()), (std::vector<std::string>{"one", "two"})) << "what came before stays";
}

TEST_F(KdShellTree, ChangesOnDiskAppearOnceAfterTheDebounce) {
  zortest::MakeDir(temp / "a");
  zortest::MakeDir(temp / "c");
  zortest::MakeDir(temp / "c\\sub");
  MakeTree(kdDefaultShellTreeOptions);
  tree->SetCurrentPath(temp / "c\\sub");
  TTreeNode *a = Child(Root(), "a");
  int fills = 0;
  tree->OnFillComplete = [&](TObject *) { ++fills; };

  zortest::MakeDir(temp / "b");
  zortest::MakeDir(temp / "b2");
  zortest::PumpFor(300);
  EXPECT_EQ(Texts(Root()), (std::vector<std::string>{"a", "c"})) << "not before the tree has waited";
  ASSERT_TRUE(zortest::PumpUntil([&] { return Root()->Count() == 4; }, 8000));
  EXPECT_EQ(Texts(Root()), (std::vector<std::string>{"a", "b", "b2", "c"}));
  EXPECT_EQ(Child(Root(), "a"), a);
  zortest::PumpFor(500);
  EXPECT_EQ(fills, 1) << "one refresh for the burst";

  // The selected folder deleted from outside: the selection moves to its parent.
  zortest::RemoveTree(temp / "c\\sub");
  ASSERT_TRUE(zortest::PumpUntil([&] { return tree->GetSelectedPath() == temp / "c"; }, 8000));
  EXPECT_EQ(tree->CurrentFolder().GetPath(), temp / "c");
}

TEST(ShellTreeAtTheDesktop, AFolderMadeOnADriveAppearsUnderItsOpenedNode) {
  TempDir temp;
  TForm form(nullptr);
  form.SetBounds(50, 50, 300, 400);
  auto *tree = new TKdShellTree(&form);
  tree->SetParent(&form);
  tree->SetAlign(alClient);
  form.Show();
  ASSERT_TRUE(zortest::PumpUntil([&] { return tree->Items().Count() > 0; }, 5000));
  tree->SetCurrentPath(temp.Path());
  ASSERT_EQ(tree->GetSelectedPath(), temp.Path());
  tree->Selected()->Expand(false);
  zortest::MakeDir(temp / "made outside");
  EXPECT_TRUE(
      zortest::PumpUntil([&] { return Texts(tree->Selected()) == std::vector<std::string>{"made outside"}; }, 8000));
}

TEST_F(KdShellTree, DeviceArrivalRefreshesTheTree) {
  MakeTree();
  zortest::MakeDir(temp / "new");
  DEV_BROADCAST_HDR header = {sizeof header, DBT_DEVTYP_VOLUME, 0};
  SendMessageA(DeviceChangeHandler()->Window(), WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
  zortest::PumpFor(100);
  EXPECT_TRUE(Texts(Root()).empty()) << "other device events change nothing";
  SendMessageA(DeviceChangeHandler()->Window(), WM_DEVICECHANGE, DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(&header));
  ASSERT_TRUE(zortest::PumpUntil([&] { return Root()->Count() == 1; }, 3000));
}

TEST_F(KdShellTree, CustomDrawHandlersSeeTheNodeData) {
  zortest::MakeDir(temp / "folder");
  MakeTree();
  TTreeNode *node = Child(Root(), "folder");
  std::vector<std::string> seen;
  tree->OnCustomDrawShEx = [&](TObject *, TKdCustomDraw *draw, TTreeNode *, TKdShTreeData *data) {
    seen.push_back("ex" + std::to_string(draw->Stage()) + ":" + (data ? data->GetPath() : "-"));
  };
  tree->OnCustomDrawSh = [&](TObject *, TKdCustomDraw *draw, TTreeNode *n, TKdShTreeData *data) {
    seen.push_back("item:" + (n ? n->Text() : "-") + ":" + (data ? data->GetPath() : "-"));
    draw->Font()->SetColor(clRed);
  };
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ oldFont = SelectObject(dc, tree->Font().Handle());
  auto send = [&](DWORD stage, TTreeNode *item, NMTVCUSTOMDRAW &record) {
    record = {};
    record.nmcd.hdr = {tree->Handle(), 0, static_cast<UINT>(NM_CUSTOMDRAW)};
    record.nmcd.dwDrawStage = stage;
    record.nmcd.hdc = dc;
    record.nmcd.dwItemSpec = reinterpret_cast<DWORD_PTR>(item ? item->ItemId() : nullptr);
    return SendMessageW(form->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&record));
  };
  NMTVCUSTOMDRAW record;
  EXPECT_EQ(send(CDDS_PREPAINT, nullptr, record) & CDRF_NOTIFYITEMDRAW, CDRF_NOTIFYITEMDRAW);
  send(CDDS_ITEMPREPAINT, node, record);
  EXPECT_EQ(record.clrText, RGB(255, 0, 0));
  send(CDDS_ITEMPOSTPAINT, node, record);
  SelectObject(dc, oldFont);
  DeleteDC(dc);
  EXPECT_EQ(seen, (std::vector<std::string>{"ex1:-", "ex4:" + temp / "folder", "item:folder:" + temp / "folder",
                                            "ex5:" + temp / "folder"}));
}

// The centre of a node's label, in the tree's client coordinates.
POINT LabelCentre(TTreeView *tree, TTreeNode *node) {
  RECT rect = {};
  TreeView_GetItemRect(tree->Handle(), node->ItemId(), &rect, TRUE);
  return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

TEST_F(KdShellTree, TheLinkedListFollowsAClickAtOnceAndArrowKeysOnce500msAfterTheLastMove) {
  for (const char *name : {"f1", "f2", "f3", "f4", "f5", "f6"}) {
    zortest::MakeDir(temp / name);
    zortest::WriteFileText(temp / (std::string(name) + "\\in-" + name + ".txt"));
  }
  MakeTree();
  auto *list = new TKdShellList(form.get());
  list->SetOptions(list->Options() - kdsloDynamicRefresh);
  list->SetParent(form.get());
  list->SetAlign(alRight);
  list->SetWidth(150);
  tree->SetShellList(list);
  ASSERT_TRUE(zortest::PumpUntil([&] { return list->Items().Count() == 6; }, 5000)) << "the list shows the root";
  std::vector<std::string> filled;
  DWORD lastFill = 0;
  list->OnFillComplete = [&](TObject *) {
    filled.push_back(list->Folder().GetPath());
    lastFill = GetTickCount();
  };
  auto shownFile = [&] {
    return list->Items().Count() == 1 ? TKdCustomShellList::ShellData(list->Items()[0])->GetName() : std::string("-");
  };

  // A click: the list shows the folder before the click's message has returned.
  POINT at = LabelCentre(tree, Child(Root(), "f1"));
  PostMessageW(tree->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
  SendMessageW(tree->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
  EXPECT_EQ(filled, std::vector<std::string>{temp / "f1"});
  EXPECT_EQ(shownFile(), "in-f1.txt");

  // Five moves down, each within 500 ms of the one before: the list waits for the last.
  filled.clear();
  DWORD lastMove = 0;
  for (int i = 0; i < 5; ++i) {
    SendMessageW(tree->Handle(), WM_KEYDOWN, VK_DOWN, 0);
    lastMove = GetTickCount();
    zortest::PumpFor(150);
  }
  EXPECT_EQ(tree->GetSelectedPath(), temp / "f6");
  EXPECT_TRUE(filled.empty()) << "no fill during the moves";
  ASSERT_TRUE(zortest::PumpUntil([&] { return !filled.empty(); }, 5000));
  zortest::PumpFor(700);
  EXPECT_EQ(filled, std::vector<std::string>{temp / "f6"}) << "one fill, for the folder reached";
  EXPECT_GE(lastFill - lastMove, 450u);
  EXPECT_EQ(shownFile(), "in-f6.txt");
  EXPECT_EQ(tree->CurrentFolder().GetPath(), temp / "f6");

  // A list about to open an item first takes the folder the user sees selected.
  filled.clear();
  SendMessageW(tree->Handle(), WM_KEYDOWN, VK_UP, 0);
  list->FlushPending(true);
  EXPECT_EQ(filled, std::vector<std::string>{temp / "f5"});
  zortest::PumpFor(700);
  EXPECT_EQ(filled.size(), 1u);

  // A refresh still waiting when a key moves the selection is not lost: both happen.
  filled.clear();
  zortest::MakeDir(temp / "f0");
  PostMessageW(tree->Handle(), WM_KDCHANGENOTIFY, 0, 0);
  zortest::PumpFor(50);
  SendMessageW(tree->Handle(), WM_KEYDOWN, VK_UP, 0);
  ASSERT_TRUE(zortest::PumpUntil([&] { return Child(Root(), "f0") && !filled.empty(); }, 8000))
      << "refreshed: " << (Child(Root(), "f0") != nullptr) << ", followed: " << filled.size();
  EXPECT_EQ(filled, std::vector<std::string>{temp / "f4"});

  // Setting the tree's folder while the tree is moving the list itself points the list back at the tree's
  // folder: the list never stays on another folder than the one selected.
  TKdShellLocator elsewhere;
  elsewhere.SetPath(temp / "f1");
  bool once = true;
  list->OnFolderChanged = [&](TObject *) {
    if (!std::exchange(once, false))
      return;
    list->Folder().SetPath(temp / "f2");
    tree->SetCurrentFolder(&elsewhere);
  };
  SendMessageW(tree->Handle(), WM_KEYDOWN, VK_DOWN, 0);
  tree->FlushChange();
  EXPECT_FALSE(once);
  EXPECT_EQ(list->Folder().GetPath(), temp / "f5");
  EXPECT_EQ(tree->CurrentFolder().GetPath(), temp / "f5");
  list->OnFolderChanged = nullptr;
  SendMessageW(tree->Handle(), WM_KEYDOWN, VK_UP, 0);
  tree->FlushChange();

  // The list going first leaves the tree without it.
  delete list;
  EXPECT_EQ(tree->ShellList(), nullptr);
  SendMessageW(tree->Handle(), WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(tree->CurrentFolder().GetPath(), temp / "f3") << "without a list every move counts at once";
}

TEST(KdShTreeData, AbsoluteListsFollowARenameAboveThem) {
  TempDir temp;
  zortest::MakeDir(temp / "old");
  zortest::MakeDir(temp / "old\\child");
  TKdIdListPtr base = zortest::ParsePath(temp.Path());
  TKdShTreeData root;
  root.InitIdLists(nullptr, base.get());
  EXPECT_EQ(IdListCompare(root.GetAbsIdList(), base.get()), 0) << "a root keeps its whole position";
  EXPECT_EQ(root.GetPath(), temp.Path());
  EXPECT_FALSE(root.CanRename());

  auto itemOf = [](const std::string &path) {
    TKdIdListPtr full = zortest::ParsePath(path);
    TKdIdListArray items(full.get());
    return IdListCopy(items.GetItem(items.Count() - 1));
  };
  TKdShTreeData folder, child;
  TKdIdListPtr folderItem = itemOf(temp / "old");
  folder.InitIdLists(&root, folderItem.get());
  TKdIdListPtr childItem = itemOf(temp / "old\\child");
  child.InitIdLists(&folder, childItem.get());
  EXPECT_EQ(child.GetPath(), temp / "old\\child");
  EXPECT_TRUE(folder.CanRename());

  TKdIdListPtr renamed;
  ASSERT_EQ(folder.GetParentFolder()->SetNameOf(nullptr, folder.RelIdList(), L"new", SHGDN_INFOLDER, PidlOut(renamed)),
            S_OK);
  folder.SetRelIdList(std::move(renamed));
  child.ResetCache();
  EXPECT_EQ(folder.GetPath(), temp / "new");
  EXPECT_EQ(child.GetPath(), temp / "new\\child");

  // The desktop as root: its children's lists are their own single items.
  TKdShTreeData desktop, top;
  desktop.InitIdLists(nullptr, nullptr);
  TKdIdListPtr drives;
  ASSERT_EQ(GetSpecialFolderIdList(nullptr, CSIDL_DRIVES, drives), S_OK);
  top.InitIdLists(&desktop, drives.get());
  EXPECT_EQ(IdListCompare(top.GetAbsIdList(), drives.get()), 0);
  EXPECT_FALSE(desktop.CanRename());
}

} // namespace
