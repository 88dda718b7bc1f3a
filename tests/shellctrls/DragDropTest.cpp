#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ShellListTestSupport.h"
#include "common/TestSupport.h"
#include "fakes/FakeDropTarget.h"
#include "fakes/FakeShellFolder.h"
#include "shellctrls/UKdShellControls.h"
#include "toolkit/Form.h"
#include "toolkit/TreeNode.h"

namespace {

using zortest::FakeDropTarget;
using zortest::ScriptedDropSource;
using zortest::TempDir;

constexpr DWORD AllEffects = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

// The user's hand for the next drag, and what reached the shell at its drop.
struct DragRig {
  int Button = VK_LBUTTON;
  std::vector<ScriptedDropSource::Step> Script;
  bool HoldAtEnd = false;
  ComPtr<ScriptedDropSource> Source;
  // Stands in for the shell's drop target when the drop is handed over.
  ComPtr<FakeDropTarget> Shell = FakeDropTarget::Create();
  std::vector<std::string> DropFolders;
  // The drop goes to the real target instead of the stand-in.
  bool RealDrop = false;
};

template <class TBase> class Rigged : public TBase {
public:
  Rigged(TComponent *owner, DragRig &rig) : TBase(owner), FRig(rig) {}

protected:
  ComPtr<IDropSource> CreateDropSource(TMouseButton button) override {
    FRig.Source = ScriptedDropSource::Create(TBase::CreateDropSource(button), FRig.Button, FRig.Script, FRig.HoldAtEnd);
    return ComPtr<IDropSource>::AddRefed(FRig.Source.Get());
  }
  HRESULT DropOnShellTarget(const TKdShellDrop &drop) override {
    if (FRig.RealDrop)
      return TBase::DropOnShellTarget(drop);
    FRig.DropFolders.push_back(drop.TargetIdList ? IdListToPath(drop.TargetIdList) : "(desktop)");
    return FRig.Shell->Drop(drop.Data, drop.KeyState, drop.Point, drop.Effect);
  }

private:
  DragRig &FRig;
};

class DragDrop : public ::testing::Test {
protected:
  void SetUp() override {
    for (const char *folder : {"src", "target", "deep", "deep\\inner"})
      zortest::MakeDir(temp / folder);
    for (const char *file : {"a.txt", "b.txt"})
      zortest::WriteFileText(temp / ("src\\" + std::string(file)), "x");
  }

  void MakeControls() {
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 700, 420);
    tree = new Rigged<TKdShellTree>(form.get(), rig);
    tree->SetOptions(kdDefaultShellTreeOptions - kdstoDynamicRefresh);
    tree->BaseFolder().SetPath(temp.Path());
    tree->SetParent(form.get());
    tree->SetAlign(alLeft);
    tree->SetWidth(250);
    list = new Rigged<TKdShellList>(form.get(), rig);
    list->SetOptions(kdDefaultShellListOptions - kdsloDynamicRefresh);
    list->SetMultiSelect(true);
    list->SetParent(form.get());
    list->SetAlign(alClient);
    form->Show();
    ASSERT_TRUE(zortest::PumpUntil([&] { return tree->Items().Count() > 0; }, 5000));
    list->Folder().SetPath(temp / "src");
    ASSERT_EQ(list->Items().Count(), 2);
    list->SelectAll();
    ASSERT_EQ(list->SelCount(), 2);
    zortest::PumpFor(100);
  }

  TTreeNode *Node(const std::string &name) {
    for (TTreeNode *node = tree->FirstShellNode()->GetFirstChild(); node; node = node->GetNextSibling())
      if (node->Text() == name)
        return node;
    return nullptr;
  }
  POINT Screen(HWND wnd, RECT rect) {
    POINT p = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    ClientToScreen(wnd, &p);
    return p;
  }
  POINT NodePoint(TTreeNode *node) {
    RECT rect = {};
    HTREEITEM item = node->ItemId();
    std::memcpy(&rect, &item, sizeof item);
    SendMessageW(tree->Handle(), TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect));
    return Screen(tree->Handle(), rect);
  }
  POINT RowPoint(int row) {
    RECT rect = {};
    rect.left = LVIR_LABEL;
    SendMessageW(list->Handle(), LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect));
    return Screen(list->Handle(), rect);
  }
  POINT ListEmptySpace() {
    RECT client;
    GetClientRect(list->Handle(), &client);
    return Screen(list->Handle(), {client.left + 100, client.bottom - 80, client.left + 100, client.bottom - 80});
  }

  TempDir temp;
  DragRig rig;
  std::unique_ptr<TForm> form;
  Rigged<TKdShellTree> *tree = nullptr;
  Rigged<TKdShellList> *list = nullptr;
};

TEST_F(DragDrop, FilesDroppedOnATreeFolderArriveThereWhereTheProgramTransfersThemItself) {
  if (!TransfersFilesItself())
    GTEST_SKIP() << "the shell transfers the files";
  MakeControls();
  rig.RealDrop = true;
  rig.Script = {{RowPoint(0), 150, {}}, {NodePoint(Node("target")), 300, {}}};
  list->StartOleDrag(mbLeft);
  // Within one drive a plain drop moves (here two files, no folder among them).
  EXPECT_EQ(zortest::NamesOnDisk(temp / "target"), (std::vector<std::string>{"a.txt", "b.txt"}));
  EXPECT_TRUE(zortest::NamesOnDisk(temp / "src").empty());
}

TEST_F(DragDrop, RowsDraggedOntoATreeFolderOrTheListsOwnSpaceReachTheShellWithTheirButtonAndEffects) {
  MakeControls();
  const std::vector<std::string> files = {temp / "src\\a.txt", temp / "src\\b.txt"};

  rig.Script = {{RowPoint(0), 150, {}}, {NodePoint(Node("target")), 300, {}}};
  list->StartOleDrag(mbLeft);
  ASSERT_EQ(rig.Shell->Drops().size(), 1u) << "a left-button drop on a tree folder";
  EXPECT_EQ(rig.DropFolders.back(), temp / "target");
  FakeDropTarget::Call drop = rig.Shell->Drops().back();
  EXPECT_EQ(drop.Paths, files);
  EXPECT_TRUE(drop.Keys & MK_LBUTTON) << "the button is up at the drop; the control adds it back";
  EXPECT_TRUE(drop.Effect & DROPEFFECT_MOVE);
  EXPECT_EQ(tree->DropTarget(), nullptr) << "the highlight goes with the drop";

  // The list's own rows over its own empty space: the right button may copy them there, never move them.
  rig.Button = VK_RBUTTON;
  rig.Script = {{RowPoint(0), 150, {}}, {ListEmptySpace(), 300, {}}};
  list->StartOleDrag(mbRight);
  ASSERT_EQ(rig.Shell->Drops().size(), 2u) << "a right-button drop on the list's own folder";
  EXPECT_EQ(rig.DropFolders.back(), temp / "src");
  drop = rig.Shell->Drops().back();
  EXPECT_TRUE(drop.Keys & MK_RBUTTON) << "the shell shows its drop menu only when it sees the right button";
  EXPECT_TRUE(drop.Effect & DROPEFFECT_COPY);
  EXPECT_FALSE(drop.Effect & DROPEFFECT_MOVE);

  // A drop on the list's own folder fills it again.
  rig.Button = VK_LBUTTON;
  list->SelectAll();
  list->StartOleDrag(mbLeft);
  EXPECT_EQ(rig.Shell->Drops().size(), 2u) << "the left button over the list's own space is refused";
  EXPECT_FALSE(list->Dragging());

  // Without drops switched on the tree takes none.
  tree->SetOptions(tree->Options() - kdstoOleDrop);
  rig.Script = {{RowPoint(0), 150, {}}, {NodePoint(Node("target")), 300, {}}};
  list->SelectAll();
  list->StartOleDrag(mbLeft);
  EXPECT_EQ(rig.Shell->Drops().size(), 2u);
  tree->SetOptions(tree->Options() | kdstoOleDrop);
  list->SelectAll();
  list->StartOleDrag(mbLeft);
  EXPECT_EQ(rig.Shell->Drops().size(), 3u) << "switched on again";
}

TEST_F(DragDrop, ASingleExpandTreeKeepsItsOpenFolderAndSelectionWhileRowsAreDraggedOverItsOtherFolders) {
  zortest::WriteFileText(temp / "deep\\inner\\c.txt", "x");
  MakeControls();
  tree->SetAutoExpand(true);
  tree->SetShowRoot(false);
  tree->SetHideSelection(false);
  tree->SetShellList(list);
  TTreeNode *deep = Node("deep");
  ASSERT_NE(deep, nullptr);
  deep->Expand(false);
  TTreeNode *inner = deep->GetFirstChild();
  ASSERT_NE(inner, nullptr);
  tree->SetSelected(inner);
  ASSERT_TRUE(zortest::PumpUntil([&] { return list->Folder().GetPath() == temp / "deep\\inner"; }, 5000));
  ASSERT_TRUE(deep->Expanded());
  ASSERT_EQ(list->Items().Count(), 1);
  list->SelectAll();

  // The pointer crosses "src" on its way to "target", both below the open folder.
  const POINT src = NodePoint(Node("src"));
  const POINT target = NodePoint(Node("target"));
  bool openOverSrc = false, openOverTarget = false;
  TTreeNode *selectedOverTarget = nullptr;
  rig.Script = {{RowPoint(0), 150, {}}, {src, 200, [&] { openOverSrc = deep->Expanded(); }}, {target, 300, [&] {
                                                                                                openOverTarget =
                                                                                                    deep->Expanded();
                                                                                                selectedOverTarget =
                                                                                                    tree->Selected();
                                                                                              }}};
  list->StartOleDrag(mbLeft);
  EXPECT_TRUE(openOverSrc) << "the open folder closed when the drag came over another folder";
  EXPECT_TRUE(openOverTarget);
  EXPECT_EQ(selectedOverTarget, inner);
  ASSERT_EQ(rig.DropFolders.size(), 1u);
  EXPECT_EQ(rig.DropFolders.back(), temp / "target") << "the drop reaches the folder under the pointer";
  EXPECT_EQ(tree->Selected(), inner);
  EXPECT_EQ(list->Folder().GetPath(), temp / "deep\\inner");
}

TEST_F(DragDrop, RestingOnAClosedFolderOpensItAfterTheHoverTimeAndEscapeCancels) {
  MakeControls();
  TTreeNode *deep = Node("deep");
  ASSERT_NE(deep, nullptr);
  ASSERT_EQ(deep->GetFirstChild(), nullptr);
  const POINT over = NodePoint(deep);
  bool openEarly = true;
  bool openLate = false;
  rig.Script = {{RowPoint(0), 150, {}},
                {over, HoverDelay / 4, [&] { openEarly = deep->GetFirstChild() != nullptr; }},
                {over, HoverDelay + 600, [&] { openLate = deep->GetFirstChild() != nullptr; }},
                {over, 100, [&] { PostMessageW(tree->Handle(), WM_KEYDOWN, VK_ESCAPE, 0); }}};
  rig.HoldAtEnd = true;
  list->StartOleDrag(mbLeft);
  EXPECT_FALSE(openEarly) << "opened before the pointer rested for " << HoverDelay << " ms";
  EXPECT_TRUE(openLate);
  EXPECT_EQ(rig.Source->LastAnswer, DRAGDROP_S_CANCEL) << "Escape ends the drag";
  EXPECT_TRUE(rig.Shell->Drops().empty()) << "a cancelled drag drops nothing";
  EXPECT_EQ(tree->DropTarget(), nullptr);
}

TEST_F(DragDrop, WhatHappensToTheListDuringItsOwnDragWaitsForTheEndAndIsNotLost) {
  MakeControls();
  int mouseUps = 0;
  list->OnMouseUp = [&](TObject *, TMouseButton, TShiftState, int, int) { ++mouseUps; };
  rig.Button = VK_RBUTTON;
  rig.Script = {{RowPoint(0), 150, {}},
                {ListEmptySpace(), 300,
                 [&] {
                   // Another program makes a file while the drag is on; the watcher reports it.
                   zortest::WriteFileText(temp / "src\\made meanwhile.txt", "x");
                   PostMessageW(list->Handle(), TKdCustomShellList::ChangeMessage, 0, 0);
                   SendMessageW(list->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
                 }},
                {ListEmptySpace(), 300, [&] { PostMessageW(list->Handle(), WM_KEYDOWN, VK_ESCAPE, 0); }}};
  rig.HoldAtEnd = true;
  list->StartOleDrag(mbRight);
  EXPECT_EQ(rig.Source->LastAnswer, DRAGDROP_S_CANCEL);
  EXPECT_EQ(mouseUps, 0) << "the release of the drag's button reached the list as a click of its own";
  // The drag was cancelled: nothing else will report the change again.
  auto shown = [&] {
    for (int i = 0; i < list->Items().Count(); ++i)
      if (TKdShListData *data = TKdCustomShellList::ShellData(list->Items()[i]);
          data && data->GetPath() == temp / "src\\made meanwhile.txt")
        return true;
    return false;
  };
  EXPECT_TRUE(zortest::PumpUntil(shown, 3000)) << "a change seen during the drag was dropped";
}

TEST(DragEffects, RowsWhoseFolderCannotTellAllowEveryEffectAndNoSelectionNone) {
  auto fake = zortest::FakeShellFolder::Create();
  for (const char *name : {"a", "b"})
    fake->Items.push_back({name, SFGAO_FILESYSTEM | SFGAO_CANCOPY});
  zortest::ShellListForm view;
  view.List->SetOptions(view.List->Options().Exclude(kdsloAutoFill));
  view.List->SetMultiSelect(true);
  view.Form->Show();
  view.List->ShowFolder(fake.Get(), nullptr);
  EXPECT_EQ(view.List->GetDragEffects(), 0u) << "nothing selected";
  view.List->SelectAll();
  EXPECT_EQ(view.List->GetDragEffects(), static_cast<DWORD>(DROPEFFECT_COPY));
  // The drop target decides what a drag of items it could not ask about may do.
  fake->AttributesResult = E_FAIL;
  EXPECT_EQ(view.List->GetDragEffects(), AllEffects);
}

TEST_F(DragDrop, RestingNearTheBottomEdgeScrollsAtMostOneLineEveryHundredMilliseconds) {
  for (int i = 0; i < 60; ++i)
    zortest::MakeDir(temp / std::string("f").append(std::to_string(100 + i)));
  MakeControls();
  RECT client;
  GetClientRect(tree->Handle(), &client);
  POINT edge = {client.right / 2, client.bottom - 6};
  ClientToScreen(tree->Handle(), &edge);
  int firstPos = 0, lastPos = 0;
  DWORD firstTime = 0, lastTime = 0;
  rig.Script = {{RowPoint(0), 150, {}},
                {edge, 0,
                 [&] {
                   firstPos = GetScrollPos(tree->Handle(), SB_VERT);
                   firstTime = GetTickCount();
                 }},
                {edge, 1200,
                 [&] {
                   lastPos = GetScrollPos(tree->Handle(), SB_VERT);
                   lastTime = GetTickCount();
                 }},
                {edge, 50, [&] { PostMessageW(tree->Handle(), WM_KEYDOWN, VK_ESCAPE, 0); }}};
  rig.HoldAtEnd = true;
  list->StartOleDrag(mbLeft);
  const int steps = lastPos - firstPos;
  EXPECT_GE(steps, 2) << "the tree scrolled down";
  EXPECT_LE(steps, static_cast<int>((lastTime - firstTime) / DragScrollInterval) + 1);
  EXPECT_TRUE(rig.Shell->Drops().empty());
}

} // namespace
