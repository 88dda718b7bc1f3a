#include <gtest/gtest.h>

#include <windows.h>

#include <dbt.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "ShellListTestSupport.h"
#include "common/TestSupport.h"
#include "fakes/FakeShellFolder.h"
#include "fakes/FakeShellTreeLink.h"
#include "shellns/UKdShell95.h"
#include "toolkit/ComPtr.h"
#include "toolkit/TreeView.h"

using namespace zortest;

namespace {

// The first letters of the names shown, sorted: enough to tell the test's items apart.
std::string Initials(const ShellListForm &view) {
  std::string initials;
  for (const std::string &name : view.Names())
    initials += name.empty() ? '?' : name[0];
  std::sort(initials.begin(), initials.end());
  return initials;
}

// An icon file of one 16-pixel image, all red.
std::string RedIcon() {
  constexpr int Size = 16, Pixels = Size * Size * 4, Mask = Size * 4;
  std::string bytes;
  auto put = [&](uint32_t value, int count) {
    for (int i = 0; i < count; ++i)
      bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
  };
  put(0, 2), put(1, 2), put(1, 2);                                   // the directory: an icon file of one image
  put(Size, 1), put(Size, 1), put(0, 2), put(1, 2), put(32, 2);      // its size, colours, planes, bits
  put(40 + Pixels + Mask, 4), put(22, 4);                            // its bytes and where they start
  put(40, 4), put(Size, 4), put(2 * Size, 4), put(1, 2), put(32, 2); // the bitmap's header
  put(0, 4), put(Pixels + Mask, 4), put(0, 4), put(0, 4), put(0, 4), put(0, 4);
  for (int i = 0; i < Size * Size; ++i)
    put(0xFFFF0000, 4);
  put(0, Mask);
  return bytes;
}

} // namespace

TEST(ShellListFill, HiddenItemsComeOnlyWithShowHiddenAndAreGhostedLinksCarryTheShortcutOverlay) {
  TempDir dir;
  WriteFileText(dir / "plain.txt", "x");
  MakeHiddenFile(dir / "hidden.txt");
  MakeDir(dir / "sub");
  MakeShortcut(dir / "link.lnk", dir / "plain.txt");
  ShellListForm view;
  view.List->Folder().SetPath(dir.Path());

  ASSERT_EQ(4, view.List->Items().Count()) << ::testing::PrintToString(view.Names());
  const int hidden = view.RowOf("hidden"), link = view.RowOf("link"), plain = view.RowOf("plain");
  ASSERT_GE(hidden, 0);
  ASSERT_GE(link, 0);
  ASSERT_GE(plain, 0);
  EXPECT_EQ(static_cast<UINT>(LVIS_CUT), view.State(hidden, LVIS_CUT));
  EXPECT_EQ(0u, view.State(plain, LVIS_CUT | LVIS_OVERLAYMASK));
  EXPECT_EQ(static_cast<UINT>(INDEXTOOVERLAYMASK(2)), view.State(link, LVIS_OVERLAYMASK));
  EXPECT_TRUE(TKdCustomShellList::ShellData(view.List->Items()[link])->IsLink());
  EXPECT_TRUE(TKdCustomShellList::ShellData(view.List->Items()[view.RowOf("sub")])->IsFolder());

  // Switching hidden items off and on again: they go and come back, the other rows stay.
  TListItem *plainRow = view.List->Items()[plain];
  view.List->SetOptions(view.List->Options().Exclude(kdsloShowHidden));
  EXPECT_EQ(3, view.List->Items().Count());
  EXPECT_EQ(-1, view.RowOf("hidden"));
  view.List->SetOptions(view.List->Options().Include(kdsloShowHidden));
  EXPECT_EQ(4, view.List->Items().Count());
  EXPECT_EQ(plainRow, view.List->Items()[view.RowOf("plain")]);
}

TEST(ShellListFill, EveryRowShowsTheShellsIconForItsItemAFolderWithItsOwnIconIncluded) {
  TempDir dir;
  MakeDir(dir / "plain");
  MakeDir(dir / "own icon");
  WriteFileText(dir / "own icon\\folder.ico", RedIcon());
  WriteFileText(dir / "own icon\\desktop.ini",
                "[.ShellClassInfo]\r\nIconFile=" + dir / "own icon\\folder.ico" + "\r\nIconIndex=0\r\n");
  // Windows reads a folder's desktop.ini only when the folder is marked read-only or system.
  SetFileAttributesW(Utf8ToWide(dir / "own icon").c_str(), FILE_ATTRIBUTE_READONLY);
  WriteFileText(dir / "text.txt", "x");
  ShellListForm view;
  view.List->Folder().SetPath(dir.Path());
  ASSERT_EQ(3, view.List->Items().Count()) << ::testing::PrintToString(view.Names());

  for (const char *name : {"plain", "own icon", "text"}) {
    const int row = view.RowOf(name);
    ASSERT_GE(row, 0) << name;
    TKdIdListPtr list;
    ASSERT_EQ(S_OK, ParseDisplayNameToIdList(dir / (std::string(name) + (name[0] == 't' ? ".txt" : "")), list));
    EXPECT_EQ(GetIdListIconIndex(list.get(), SHGFI_SMALLICON), view.Image(row)) << name;
  }
  EXPECT_NE(view.Image(view.RowOf("plain")), view.Image(view.RowOf("own icon")));
  SetFileAttributesW(Utf8ToWide(dir / "own icon").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(ShellListFill, TheFilterKeepsFoldersAndTheFilesOfAnyPatternAndLeavesVirtualFoldersAlone) {
  TempDir dir;
  WriteFileText(dir / "alpha.txt");
  WriteFileText(dir / "beta.doc");
  WriteFileText(dir / "gamma.png");
  MakeDir(dir / "dir");
  ShellListForm view;
  view.List->Folder().SetPath(dir.Path());
  ASSERT_EQ("abdg", Initials(view));

  struct Case {
    const char *Filter;
    const char *Shown;
  } cases[] = {
      {"*.txt;*.doc", "abd"},
      {"*.TXT", "ad"},
      {"*", "abdg"},
      {"*.*", "abdg"},
      {"", "abdg"},
      // A pattern whose folder does not exist ends the collection: the later pattern adds nothing.
      {"missing\\*.txt;*.doc", "d"},
      {";;gamma.png;", "dg"},
  };
  for (const Case &c : cases) {
    view.List->SetFileFilter(c.Filter);
    EXPECT_EQ(c.Shown, Initials(view)) << "filter \"" << c.Filter << "\"";
  }

  view.List->SetFileFilter("");
  view.List->Folder().SetIdList(nullptr);
  TKdIdListPtr drives;
  GetSpecialFolderIdList(nullptr, CSIDL_DRIVES, drives);
  view.List->Folder().SetIdList(drives.get());
  const std::vector<std::string> unfiltered = view.Names();
  ASSERT_FALSE(unfiltered.empty());
  view.List->SetFileFilter("*.txt");
  EXPECT_EQ(unfiltered, view.Names());
}

TEST(ShellListFill, ARefreshAddsNewItemsLastAndDeletesVanishedOnesLeavingEveryOtherRowAsItWas) {
  TempDir dir;
  for (const char *name : {"a.txt", "b.txt", "c.txt"})
    WriteFileText(dir / name);
  ShellListForm view;
  view.List->SetMultiSelect(true);
  view.List->Folder().SetPath(dir.Path());
  ASSERT_EQ(3, view.List->Items().Count());
  TListItem *a = view.List->Items()[view.RowOf("a")];
  TListItem *c = view.List->Items()[view.RowOf("c")];
  TObject *aData = a->Data();
  TObject *cData = c->Data();
  a->SetSelected(true);

  WriteFileText(dir / "d.txt");
  ASSERT_TRUE(RemoveTree(dir / "b.txt"));
  view.List->RefreshList();

  ASSERT_EQ(3, view.List->Items().Count());
  EXPECT_EQ(-1, view.RowOf("b"));
  EXPECT_EQ(2, view.RowOf("d"));
  EXPECT_EQ(a, view.List->Items()[view.RowOf("a")]);
  EXPECT_EQ(c, view.List->Items()[view.RowOf("c")]);
  EXPECT_EQ(aData, a->Data());
  EXPECT_EQ(cData, c->Data());
  EXPECT_TRUE(a->Selected());
}

TEST(ShellListFill, ARowWhoseFileWasRewrittenShowsItsNewSizeAfterARefreshThoughItWasDrawnBefore) {
  TempDir dir;
  WriteFileText(dir / "grows.txt", "x");
  ShellListForm view;
  view.List->Folder().SetPath(dir.Path());
  ASSERT_EQ(1, view.List->Items().Count());
  UpdateWindow(view.List->Handle());
  EXPECT_EQ("1 KB", view.Text(0, 1));

  WriteFileText(dir / "grows.txt", std::string(5000, 'x'));
  view.List->RefreshList();
  UpdateWindow(view.List->Handle());
  ASSERT_EQ(1, view.List->Items().Count());
  EXPECT_EQ("5 KB", view.Text(0, 1));
}

TEST(ShellListFill, ABurstOfChangesRefreshesOnceAfterAQuietSpellThatIsShorterWithTheFocus) {
  TempDir dir;
  ShellListForm view;
  int refreshes = 0;
  DWORD refreshedAt = 0;
  view.List->OnFillComplete = [&](TObject *) {
    ++refreshes;
    refreshedAt = GetTickCount();
  };
  auto burst = [&](const std::string &prefix) {
    refreshes = 0;
    for (int i = 0; i < 3; ++i) {
      WriteFileText(dir / (prefix + std::to_string(i) + ".txt"));
      PumpFor(100);
    }
    return GetTickCount();
  };
  view.List->Folder().SetPath(dir.Path());
  PumpFor(200);

  DWORD lastChange = burst("unfocused");
  ASSERT_TRUE(PumpUntil([&] { return view.List->Items().Count() == 3; }, 6000));
  PumpFor(300);
  EXPECT_EQ(1, refreshes);
  EXPECT_GE(refreshedAt - lastChange, 1500u);
  EXPECT_LE(refreshedAt - lastChange, 4500u);

  view.Form->Show();
  view.List->SetFocus();
  PumpFor(100);
  ASSERT_TRUE(view.List->Focused());
  lastChange = burst("focused");
  ASSERT_TRUE(PumpUntil([&] { return view.List->Items().Count() == 6; }, 6000));
  PumpFor(300);
  EXPECT_EQ(1, refreshes);
  EXPECT_GE(refreshedAt - lastChange, 250u);
  EXPECT_LE(refreshedAt - lastChange, 1500u);
}

TEST(ShellListFill, GoingUpFromADriveRootShowsMyComputerAndFurtherUpTheDesktop) {
  ShellListForm view;
  view.List->Folder().SetPath("C:\\");
  view.List->GoUp(1);
  EXPECT_EQ(CSIDL_DRIVES, FindSpecialFolder(view.List->Folder().GetIdList()));
  EXPECT_GT(view.List->Items().Count(), 0);
  view.List->GoUp(5);
  EXPECT_EQ(nullptr, view.List->Folder().GetIdList());
  EXPECT_GT(view.List->Items().Count(), 0);

  TempDir dir;
  view.List->Folder().SetPath(dir.Path());
  view.List->SetOptions(view.List->Options().Include(kdsloDontChangeFolder));
  view.List->GoUp(1);
  EXPECT_EQ(dir.Path(), view.List->Folder().GetPath());
}

TEST(ShellListFill, ADeviceArrivingRefillsOnlyAListShowingMyComputer) {
  TempDir dir;
  ShellListForm view(2);
  TKdIdListPtr drives;
  ASSERT_EQ(S_OK, GetSpecialFolderIdList(nullptr, CSIDL_DRIVES, drives));
  view.Lists[0]->Folder().SetIdList(drives.get());
  view.Lists[1]->Folder().SetPath(dir.Path());
  PumpFor(100);
  int computerFills = 0, folderFills = 0;
  view.Lists[0]->OnFillStart = [&](TObject *) { ++computerFills; };
  view.Lists[1]->OnFillStart = [&](TObject *) { ++folderFills; };

  SendMessageW(DeviceChangeHandler()->Window(), WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
  EXPECT_TRUE(PumpUntil([&] { return computerFills == 1; }, 3000));
  PumpFor(200);
  EXPECT_EQ(0, folderFills);
  EXPECT_GT(view.Lists[0]->Items().Count(), 0);
}

TEST(ShellListFill, NamesInAnyScriptShowAsTheyAreAndPassTheFilter) {
  TempDir dir;
  const std::vector<std::string> names = {"Привет", "日本語のファイル", "café crème", "Ünïcödé"};
  for (const std::string &name : names)
    WriteFileText(dir / (name + ".txt"));
  MakeDir(dir / "Папка");
  ShellListForm view;
  view.List->Folder().SetPath(dir.Path());
  for (const std::string &name : names)
    EXPECT_GE(view.RowOf(name), 0) << name << " in " << ::testing::PrintToString(view.Names());

  view.List->SetFileFilter("*.TXT");
  EXPECT_EQ(5, view.List->Items().Count());
  view.List->SetFileFilter("ПРИВЕТ*;CAFÉ*");
  EXPECT_EQ(3, view.List->Items().Count()) << ::testing::PrintToString(view.Names());
  EXPECT_GE(view.RowOf("Привет"), 0);
  EXPECT_GE(view.RowOf("café"), 0);
  EXPECT_GE(view.RowOf("Папка"), 0);
}

TEST(ShellListFill, AFolderThatCannotBeReadShowsWhatWasReadAndNoMessage) {
  MessageBoxCapture boxes;
  auto fake = FakeShellFolder::Create();
  for (const char *name : {"a", "b", "c", "d", "e"})
    fake->Items.push_back({name, SFGAO_FILESYSTEM});
  fake->EnumLimit = 3;
  fake->EnumEndResult = E_FAIL;
  ShellListForm view;
  view.List->SetOptions(view.List->Options().Exclude(kdsloAutoFill));
  view.List->ShowFolder(fake.Get(), nullptr);
  EXPECT_EQ((std::vector<std::string>{"a", "b", "c"}), view.Names());

  // A watched folder cannot be deleted under Wine while the watch holds it.
  view.List->SetOptions(view.List->Options().Exclude(kdsloDynamicRefresh));
  TempDir dir;
  MakeDir(dir / "gone");
  WriteFileText(dir / "gone\\file.txt");
  view.List->Folder().SetPath(dir / "gone");
  ASSERT_EQ(1, view.List->Items().Count());
  ASSERT_TRUE(RemoveTree(dir / "gone"));
  view.List->RefreshList();
  EXPECT_EQ(0, view.List->Items().Count());
  EXPECT_NO_THROW(view.List->FillList());
  EXPECT_EQ(0, view.List->Items().Count());
  EXPECT_TRUE(boxes.Boxes.empty());
}

TEST(ShellListFill, ALinkedTreeIsToldOfFoldersAndMovesTheListAndFileSystemFoldersCanBeLeftToIt) {
  TempDir dir;
  MakeDir(dir / "sub");
  WriteFileText(dir / "file.txt");
  ShellListForm view;
  auto *tree = new FakeShellTreeLink(view.Form.get());
  view.List->SetShellTree(tree);
  view.List->SetOptions(view.List->Options().Include(kdsloHideFoldersWhenLinkedToTree));

  view.List->Folder().SetPath(dir.Path());
  ASSERT_EQ(1u, tree->Selected.size());
  EXPECT_EQ(dir.Path(), IdListToPath(tree->Selected[0].get()));
  EXPECT_EQ((std::vector<std::string>{"file.txt"}), view.Names());

  view.List->GoUp(2);
  EXPECT_EQ((std::vector<int>{2}), tree->WentUp);
  EXPECT_EQ(dir.Path(), view.List->Folder().GetPath()) << "the tree moves the list";

  // The tree selects a node and the list follows it; a node that is no shell node moves nothing.
  auto *treeView = new TTreeView(view.Form.get());
  treeView->SetParent(view.Form.get());
  TTreeNode *shellNode = treeView->Items().Add(nullptr, "sub");
  TTreeNode *otherNode = treeView->Items().Add(nullptr, "other");
  tree->Nodes[shellNode] = ParsePath(dir / "sub");
  otherNode->SetSelected(true);
  view.List->FollowTreeNode(otherNode);
  EXPECT_EQ(dir.Path(), view.List->Folder().GetPath());
  shellNode->SetSelected(true);
  view.List->FollowTreeNode(shellNode);
  EXPECT_EQ(dir / "sub", view.List->Folder().GetPath());

  delete tree;
  EXPECT_EQ(nullptr, view.List->ShellTree());
  view.List->GoUp(1);
  EXPECT_EQ(dir.Path(), view.List->Folder().GetPath());
}

TEST(ShellListFill, ARefreshAskedForDuringALabelEditWaitsForTheEdit) {
  TempDir dir;
  WriteFileText(dir / "a.txt");
  ShellListForm view;
  view.Form->Show();
  view.List->Folder().SetPath(dir.Path());
  ASSERT_TRUE(view.List->Items()[0]->EditCaption());
  WriteFileText(dir / "b.txt");
  view.List->RefreshList();
  EXPECT_EQ(1, view.List->Items().Count());
  EXPECT_TRUE(view.List->RefreshPending());
}
