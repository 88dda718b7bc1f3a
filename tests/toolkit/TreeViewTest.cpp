#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/Form.h"
#include "toolkit/SysUtils.h"
#include "toolkit/TreeView.h"

namespace {

class TreeView : public ::testing::Test {
protected:
  void SetUp() override {
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(100, 100, 300, 400);
    tree = new TTreeView(form.get());
    tree->SetParent(form.get());
    tree->SetAlign(alClient);
    form->Show();
  }

  HWND Wnd() { return tree->Handle(); }

  // The text the control shows for an item (it asks the node for it).
  std::string ItemText(HTREEITEM item) {
    wchar_t buffer[260] = {};
    TVITEMW query = {};
    query.mask = TVIF_HANDLE | TVIF_TEXT;
    query.hItem = item;
    query.pszText = buffer;
    query.cchTextMax = 260;
    SendMessageW(Wnd(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query));
    return WideToUtf8(buffer);
  }

  // The control's own list of the children of parent (the top level for null), by their shown texts.
  std::string Children(TTreeNode *parent) {
    std::string texts;
    auto item =
        reinterpret_cast<HTREEITEM>(SendMessageW(Wnd(), TVM_GETNEXTITEM, parent ? TVGN_CHILD : TVGN_ROOT,
                                                 reinterpret_cast<LPARAM>(parent ? parent->ItemId() : nullptr)));
    for (; item; item = reinterpret_cast<HTREEITEM>(
                     SendMessageW(Wnd(), TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item))))
      texts.append(texts.empty() ? "" : ",").append(ItemText(item));
    return texts;
  }

  // Builds top-level nodes each with the given children.
  std::vector<TTreeNode *> Build(const std::vector<std::pair<std::string, std::vector<std::string>>> &shape) {
    std::vector<TTreeNode *> tops;
    for (const auto &[text, children] : shape) {
      TTreeNode *top = tree->Items().AddChild(nullptr, text);
      for (const std::string &child : children)
        tree->Items().AddChild(top, child);
      tops.push_back(top);
    }
    return tops;
  }

  std::unique_ptr<TForm> form;
  TTreeView *tree = nullptr;
};

TEST_F(TreeView, NodesTakeTheirPlacesAndTheControlShowsTheirTexts) {
  auto owned = std::make_unique<TObject>();
  TObject *data = owned.get();
  TTreeNodes &items = tree->Items();
  TTreeNode *a = items.Add(nullptr, "A", std::move(owned));
  TTreeNode *c = items.Add(a, "C");
  items.Insert(c, "B");
  items.AddFirst(c, "0");
  TTreeNode *x3 = items.AddChild(a, "x3");
  items.AddChildFirst(a, "x1");
  TTreeNode *x2 = items.Insert(x3, "x2 été-日本");
  EXPECT_EQ(Children(nullptr), "0,A,B,C");
  EXPECT_EQ(Children(a), "x1,x2 été-日本,x3");
  EXPECT_EQ(items.Count(), 7);
  EXPECT_EQ(a->Count(), 3);
  EXPECT_EQ(a->Item(1), x2);
  EXPECT_EQ(x2->Parent(), a);
  EXPECT_EQ(x2->Level(), 1);
  EXPECT_EQ(a->Data(), data);
  EXPECT_EQ(items.GetFirstNode()->GetNext()->GetNext(), a->GetFirstChild());
  EXPECT_EQ(x3->GetNext(), items.GetFirstNode()->GetNextSibling()->GetNextSibling());

  x2->SetText("renamed");
  EXPECT_EQ(Children(a), "x1,renamed,x3");
}

TEST_F(TreeView, CustomSortOrdersOneNodesChildrenOrEveryLevel) {
  auto tops = Build({{"b", {"2", "3", "1"}}, {"a", {"y", "x"}}});
  TTVCompare byText = [](TTreeNode *n1, TTreeNode *n2) { return n1->Text().compare(n2->Text()); };
  EXPECT_TRUE(tops[0]->CustomSort(byText));
  EXPECT_EQ(Children(tops[0]), "1,2,3");
  EXPECT_EQ(Children(nullptr), "b,a");
  EXPECT_EQ(Children(tops[1]), "y,x");

  TTVCompare reversed = [&](TTreeNode *n1, TTreeNode *n2) { return -byText(n1, n2); };
  EXPECT_TRUE(tree->CustomSort(reversed));
  EXPECT_EQ(Children(nullptr), "b,a");
  EXPECT_EQ(Children(tops[0]), "3,2,1");
  EXPECT_EQ(Children(tops[1]), "y,x");
  EXPECT_TRUE(tree->CustomSort(byText, false));
  EXPECT_EQ(Children(nullptr), "a,b");
  EXPECT_EQ(Children(tops[0]), "3,2,1");

  // A comparison that fails surfaces after the control has finished sorting.
  EXPECT_THROW(tops[0]->CustomSort([](TTreeNode *, TTreeNode *) -> int { throw Exception("no order"); }), Exception);
}

TEST_F(TreeView, EveryDeletedNodeIsReportedOnceAndClearTakesTenThousandAtOnce) {
  std::map<TTreeNode *, int> deleted;
  tree->OnDeletion = [&](TObject *, TTreeNode *node) {
    EXPECT_TRUE(node->Deleting());
    ++deleted[node];
  };
  auto tops = Build({{"keep", {"k1"}}, {"go", {"g1", "g2"}}});
  TTreeNode *grandChild = tree->Items().AddChild(tops[1]->GetFirstChild(), "g11");
  std::vector<TTreeNode *> gone = {tops[1], tops[1]->Item(0), tops[1]->Item(1), grandChild};
  tops[1]->Delete();
  ASSERT_EQ(deleted.size(), 4u);
  for (TTreeNode *node : gone)
    EXPECT_EQ(deleted[node], 1);
  EXPECT_EQ(Children(nullptr), "keep");
  EXPECT_EQ(tree->Items().Count(), 2);

  tops[0]->DeleteChildren();
  EXPECT_EQ(Children(tops[0]), "");
  EXPECT_EQ(deleted.size(), 5u);

  deleted.clear();
  {
    TTreeUpdateScope update(tree->Items());
    for (int i = 0; i < 10000; ++i)
      tree->Items().AddChild(tops[0], std::to_string(i));
  }
  tops[0]->Expand(false);
  tree->SetSelected(tops[0]->GetLastChild());
  tree->Items().Clear();
  EXPECT_EQ(tree->Items().Count(), 0);
  EXPECT_EQ(deleted.size(), 10001u);
  for (const auto &[node, times] : deleted)
    ASSERT_EQ(times, 1);
}

TEST_F(TreeView, ALabelEditedInPlaceBecomesTheNodesTextAndEscapeKeepsTheOldOne) {
  TTreeNode *node = tree->Items().Add(nullptr, "old");
  std::vector<std::string> edited;
  tree->OnEdited = [&](TObject *, TTreeNode *, std::string &text) {
    edited.push_back(text);
    text += "!";
  };
  ASSERT_TRUE(node->EditText());
  EXPECT_TRUE(tree->IsEditing());
  auto edit = reinterpret_cast<HWND>(SendMessageW(Wnd(), TVM_GETEDITCONTROL, 0, 0));
  ASSERT_NE(edit, nullptr);
  wchar_t shown[64] = {};
  GetWindowTextW(edit, shown, 64);
  EXPECT_EQ(WideToUtf8(shown), "old");
  SetWindowTextW(edit, Utf8ToWide("Новое 日本").c_str());
  SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_FALSE(tree->IsEditing());
  ASSERT_EQ(edited, std::vector<std::string>{"Новое 日本"});
  EXPECT_EQ(node->Text(), "Новое 日本!");
  EXPECT_EQ(Children(nullptr), "Новое 日本!");

  ASSERT_TRUE(node->EditText());
  edit = reinterpret_cast<HWND>(SendMessageW(Wnd(), TVM_GETEDITCONTROL, 0, 0));
  SetWindowTextW(edit, L"discarded");
  SendMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_FALSE(tree->IsEditing());
  EXPECT_EQ(edited.size(), 1u);
  EXPECT_EQ(node->Text(), "Новое 日本!");

  bool allow = false;
  tree->OnEditing = [&](TObject *, TTreeNode *, bool &allowEdit) { allowEdit = allow; };
  EXPECT_FALSE(node->EditText());
  EXPECT_FALSE(tree->IsEditing());
  allow = true;
  tree->SetReadOnly(true);
  EXPECT_FALSE(node->EditText());
}

TEST_F(TreeView, GetNodeAtFindsTheNodeOfEveryShownRow) {
  auto tops = Build({{"first", {"child one", "child two"}}, {"second", {"hidden"}}, {"third", {}}});
  tops[0]->Expand(false);
  std::vector<TTreeNode *> shown = {tops[0], tops[0]->Item(0), tops[0]->Item(1), tops[1], tops[2]};
  int lastBottom = 0;
  for (TTreeNode *node : shown) {
    RECT text = node->DisplayRect(true);
    RECT row = node->DisplayRect(false);
    ASSERT_LT(text.left, text.right) << node->Text();
    EXPECT_TRUE(text.left >= row.left && text.right <= row.right && text.top >= row.top && text.bottom <= row.bottom);
    EXPECT_EQ(tree->GetNodeAt((text.left + text.right) / 2, (text.top + text.bottom) / 2), node) << node->Text();
    lastBottom = row.bottom;
  }
  RECT collapsed = tops[1]->GetFirstChild()->DisplayRect(true);
  EXPECT_TRUE(IsRectEmpty(&collapsed));
  EXPECT_EQ(tree->GetNodeAt(5, lastBottom + 5), nullptr);
}

TEST_F(TreeView, NodesOutliveTheWindowBeingMadeAgainWithTheirStateAndNoEvents) {
  int events = 0;
  tree->OnDeletion = [&](TObject *, TTreeNode *) { ++events; };
  tree->OnChange = [&](TObject *, TTreeNode *) { ++events; };
  tree->OnExpanded = [&](TObject *, TTreeNode *) { ++events; };
  auto owned = std::make_unique<TObject>();
  TObject *data = owned.get();
  auto tops = Build({{"one", {"a", "b"}}, {"two", {}}});
  TTreeNode *b = tops[0]->Item(1);
  b->SetData(std::move(owned));
  b->SetCut(true);
  b->SetOverlayIndex(1);
  tops[1]->SetHasChildren(true);
  tops[0]->Expand(false);
  tree->SetSelected(b);
  events = 0;

  HWND before = tree->Handle();
  tree->SetToolTips(false); // made again with another style
  ASSERT_NE(tree->Handle(), before);
  EXPECT_TRUE(GetWindowLongPtrW(tree->Handle(), GWL_STYLE) & TVS_NOTOOLTIPS);
  EXPECT_EQ(tree->Items().GetFirstNode(), tops[0]);
  EXPECT_EQ(Children(nullptr), "one,two");
  EXPECT_EQ(Children(tops[0]), "a,b");
  EXPECT_EQ(tops[0]->Item(1), b);
  EXPECT_EQ(b->Data(), data);
  EXPECT_TRUE(b->Cut());
  EXPECT_EQ(SendMessageW(tree->Handle(), TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(b->ItemId()), TVIS_OVERLAYMASK),
            INDEXTOOVERLAYMASK(2));
  EXPECT_TRUE(tops[0]->Expanded());
  EXPECT_TRUE(tops[1]->HasChildren());
  EXPECT_FALSE(tops[1]->Expanded());
  EXPECT_EQ(tree->Selected(), b);
  EXPECT_EQ(events, 0);
}

TEST_F(TreeView, ExpandingAndSelectingAskTheHooksFirst) {
  auto tops = Build({{"lazy", {}}, {"other", {"x"}}});
  TTreeNode *lazy = tops[0];
  lazy->SetHasChildren(true);
  bool allowExpand = false;
  std::vector<std::string> log;
  tree->OnExpanding = [&](TObject *, TTreeNode *node, bool &allow) {
    log.push_back(std::string("expanding ").append(node->Text()));
    allow = allowExpand;
    if (allow && !node->GetFirstChild())
      tree->Items().AddChild(node, "filled");
  };
  tree->OnExpanded = [&](TObject *, TTreeNode *node) { log.push_back(std::string("expanded ").append(node->Text())); };
  lazy->Expand(false);
  EXPECT_FALSE(lazy->Expanded());
  allowExpand = true;
  lazy->Expand(false);
  EXPECT_TRUE(lazy->Expanded());
  EXPECT_EQ(Children(lazy), "filled");
  EXPECT_EQ(log, (std::vector<std::string>{"expanding lazy", "expanding lazy", "expanded lazy"}));

  bool allowChange = false;
  std::vector<TTreeNode *> changed;
  tree->OnChanging = [&](TObject *, TTreeNode *, bool &allow) { allow = allowChange; };
  tree->OnChange = [&](TObject *, TTreeNode *node) { changed.push_back(node); };
  tree->SetSelected(tops[1]);
  EXPECT_EQ(tree->Selected(), nullptr);
  allowChange = true;
  tops[1]->SetSelected(true);
  EXPECT_TRUE(tops[1]->Selected());
  EXPECT_EQ(changed, std::vector<TTreeNode *>{tops[1]});
}

TEST_F(TreeView, ImagesAndStatesAreWhatTheNodeSays) {
  TTreeNode *node = tree->Items().Add(nullptr, "node");
  node->SetImageIndex(3);
  node->SetSelectedIndex(4);
  auto images = [&] {
    TVITEMW query = {};
    query.mask = TVIF_HANDLE | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    query.hItem = node->ItemId();
    SendMessageW(Wnd(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query));
    return std::pair(query.iImage, query.iSelectedImage);
  };
  EXPECT_EQ(images(), std::pair(3, 4));
  tree->OnGetImageIndex = [](TObject *, TTreeNode *n) { n->SetImageIndex(7); };
  tree->OnGetSelectedIndex = [](TObject *, TTreeNode *n) { n->SetSelectedIndex(8); };
  EXPECT_EQ(images(), std::pair(7, 8));

  node->SetDropTarget(true);
  EXPECT_EQ(tree->DropTarget(), node);
  EXPECT_TRUE(node->DropTarget());
  node->SetDropTarget(false);
  EXPECT_EQ(tree->DropTarget(), nullptr);
  EXPECT_FALSE(node->Cut());
  node->SetCut(true);
  EXPECT_EQ(SendMessageW(Wnd(), TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(node->ItemId()), TVIS_CUT), TVIS_CUT);
  EXPECT_FALSE(node->HasChildren());
  node->SetHasChildren(true);
  EXPECT_TRUE(node->HasChildren());
}

TEST_F(TreeView, TheControlShowsTheImageListTheTreeIsGivenUntilItGoes) {
  auto shown = [&](int kind) { return reinterpret_cast<HIMAGELIST>(SendMessageW(Wnd(), TVM_GETIMAGELIST, kind, 0)); };
  auto *images = new TImageList(form.get());
  TImageList states(nullptr);
  tree->SetImages(images);
  tree->SetStateImages(&states);
  EXPECT_EQ(shown(TVSIL_NORMAL), images->Handle());
  EXPECT_EQ(shown(TVSIL_STATE), states.Handle());
  HIMAGELIST borrowed = ImageList_Create(16, 16, ILC_COLOR32, 1, 1);
  images->SetShareImages(true);
  images->SetHandle(borrowed);
  EXPECT_EQ(shown(TVSIL_NORMAL), borrowed) << "a replaced list reaches the control";
  delete images;
  EXPECT_EQ(tree->Images(), nullptr);
  EXPECT_EQ(shown(TVSIL_NORMAL), nullptr);
  tree->SetStateImages(nullptr);
  EXPECT_EQ(shown(TVSIL_STATE), nullptr);
  ImageList_Destroy(borrowed);
}

} // namespace
