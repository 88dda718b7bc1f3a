#include "toolkit/TreeNodes.h"

#include <exception>
#include <utility>

#include "toolkit/Application.h"
#include "toolkit/SysUtils.h"
#include "toolkit/TreeView.h"

namespace {

struct TSortContext {
  const TTVCompare *Compare;
  std::exception_ptr Error;
};

// The control's comparison callback. An exception must not cross the control's own frames: it waits
// until the sort has returned.
int CALLBACK CompareNodes(LPARAM node1, LPARAM node2, LPARAM context) {
  auto *sort = reinterpret_cast<TSortContext *>(context);
  if (sort->Error)
    return 0;
  try {
    return (*sort->Compare)(reinterpret_cast<TTreeNode *>(node1), reinterpret_cast<TTreeNode *>(node2));
  } catch (...) {
    sort->Error = std::current_exception();
    return 0;
  }
}

HTREEITEM NextItem(HWND wnd, HTREEITEM item, UINT relation) {
  return reinterpret_cast<HTREEITEM>(SendMessageW(wnd, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

// State the control keeps for an item that a window made again must be given back.
constexpr UINT kKeptStates = TVIS_EXPANDED | TVIS_CUT | TVIS_BOLD;

} // namespace

TTreeNodes::TTreeNodes(TTreeView *owner) : FOwner(owner) {}

TTreeNodes::~TTreeNodes() {
  for (const TParkedNode &parked : FParked)
    delete parked.Node;
  for (TTreeNode *node : FDeleted)
    delete node;
}

HWND TTreeNodes::Handle() const { return FOwner->Handle(); }

bool TTreeNodes::SortChildren(TTreeNode *parent, const TTVCompare &compare) {
  HWND wnd = Handle();
  TSortContext context{&compare, nullptr};
  TVSORTCB sort = {parent ? parent->FItemId : TVI_ROOT, CompareNodes, reinterpret_cast<LPARAM>(&context)};
  bool sorted = SendMessageW(wnd, TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort)) != 0;
  // Whatever the comparison did, the nodes take the order the control ended with.
  ReadOrder(wnd, parent);
  if (context.Error)
    std::rethrow_exception(context.Error);
  return sorted;
}

void TTreeNodes::ReadOrder(HWND wnd, TTreeNode *parent) {
  TTreeNode *&first = parent ? parent->FFirstChild : FFirst;
  TTreeNode *&last = parent ? parent->FLastChild : FLast;
  first = last = nullptr;
  HTREEITEM item = parent ? NextItem(wnd, parent->FItemId, TVGN_CHILD) : NextItem(wnd, nullptr, TVGN_ROOT);
  for (; item; item = NextItem(wnd, item, TVGN_NEXT)) {
    TTreeNode *node = GetNode(item);
    if (!node)
      continue;
    node->FPrevSibling = last;
    node->FNextSibling = nullptr;
    (last ? last->FNextSibling : first) = node;
    last = node;
  }
}

void TTreeNodes::Link(TTreeNode *node, TTreeNode *before) {
  TTreeNode *parent = node->FParent;
  TTreeNode *&first = parent ? parent->FFirstChild : FFirst;
  TTreeNode *&last = parent ? parent->FLastChild : FLast;
  node->FNextSibling = before;
  node->FPrevSibling = before ? before->FPrevSibling : last;
  (node->FPrevSibling ? node->FPrevSibling->FNextSibling : first) = node;
  (before ? before->FPrevSibling : last) = node;
}

void TTreeNodes::Unlink(TTreeNode *node) {
  TTreeNode *parent = node->FParent;
  TTreeNode *&first = parent ? parent->FFirstChild : FFirst;
  TTreeNode *&last = parent ? parent->FLastChild : FLast;
  (node->FPrevSibling ? node->FPrevSibling->FNextSibling : first) = node->FNextSibling;
  (node->FNextSibling ? node->FNextSibling->FPrevSibling : last) = node->FPrevSibling;
  node->FPrevSibling = node->FNextSibling = nullptr;
}

TTreeNode *TTreeNodes::InsertChild(TTreeNode *parent, TTreeNode *before, const std::string &text,
                                   std::unique_ptr<TObject> data, bool hasChildren) {
  HWND wnd = Handle();
  auto *node = new TTreeNode(this, parent, text, std::move(data));
  std::wstring wide = Utf8ToWide(text);
  TVINSERTSTRUCTW insert = {};
  insert.hParent = parent ? parent->FItemId : TVI_ROOT;
  insert.hInsertAfter = !before ? TVI_LAST : before->FPrevSibling ? before->FPrevSibling->FItemId : TVI_FIRST;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
  insert.item.pszText = wide.data();
  insert.item.iImage = I_IMAGECALLBACK;
  insert.item.iSelectedImage = I_IMAGECALLBACK;
  insert.item.lParam = reinterpret_cast<LPARAM>(node);
  if (hasChildren) {
    insert.item.mask |= TVIF_CHILDREN;
    insert.item.cChildren = 1;
    node->FHasChildren = true;
  }
  auto item = reinterpret_cast<HTREEITEM>(SendMessageW(wnd, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
  if (!item) {
    delete node;
    throw Exception("Unable to add a tree node");
  }
  node->FItemId = item;
  Link(node, before);
  return node;
}

TTreeNode *TTreeNodes::Add(TTreeNode *sibling, const std::string &text, std::unique_ptr<TObject> data) {
  return InsertChild(sibling ? sibling->Parent() : nullptr, nullptr, text, std::move(data));
}

TTreeNode *TTreeNodes::AddFirst(TTreeNode *sibling, const std::string &text, std::unique_ptr<TObject> data) {
  TTreeNode *parent = sibling ? sibling->Parent() : nullptr;
  return InsertChild(parent, parent ? parent->FFirstChild : FFirst, text, std::move(data));
}

TTreeNode *TTreeNodes::AddChild(TTreeNode *parent, const std::string &text, std::unique_ptr<TObject> data,
                                bool hasChildren) {
  return InsertChild(parent, nullptr, text, std::move(data), hasChildren);
}

TTreeNode *TTreeNodes::AddChildFirst(TTreeNode *parent, const std::string &text, std::unique_ptr<TObject> data) {
  return InsertChild(parent, parent ? parent->FFirstChild : FFirst, text, std::move(data));
}

TTreeNode *TTreeNodes::Insert(TTreeNode *sibling, const std::string &text, std::unique_ptr<TObject> data) {
  if (!sibling)
    return Add(nullptr, text, std::move(data));
  return InsertChild(sibling->Parent(), sibling, text, std::move(data));
}

void TTreeNodes::Clear() {
  if (!FOwner->HandleAllocated()) {
    DeleteParked();
    return;
  }
  TTreeUpdateScope update(*this);
  SendMessageW(FOwner->WindowHandle(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
}

int TTreeNodes::Count() const {
  if (!FOwner->HandleAllocated())
    return static_cast<int>(FParked.size());
  return static_cast<int>(SendMessageW(FOwner->WindowHandle(), TVM_GETCOUNT, 0, 0));
}

TTreeNode *TTreeNodes::GetFirstNode() const { return FFirst; }

TTreeNode *TTreeNodes::GetNode(HTREEITEM item) const {
  if (!item || !FOwner->HandleAllocated())
    return nullptr;
  TVITEMW query = {};
  query.mask = TVIF_HANDLE | TVIF_PARAM;
  query.hItem = item;
  if (!SendMessageW(FOwner->WindowHandle(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query)))
    return nullptr;
  return reinterpret_cast<TTreeNode *>(query.lParam);
}

TTreeNode *TTreeNodes::NodeOf(const TVITEMW &item) const {
  // The control hands the lParam over with every notification about an item.
  return item.lParam ? reinterpret_cast<TTreeNode *>(item.lParam) : GetNode(item.hItem);
}

void TTreeNodes::BeginUpdate() {
  if (FUpdateCount++ == 0 && FOwner->HandleAllocated()) {
    HWND wnd = FOwner->WindowHandle();
    // Wine's control keeps only its own drawing back: every expansion still resizes and draws the window's
    // scroll bars. The window's hold stops that too.
    FHold.emplace(wnd);
    SendMessageW(wnd, WM_SETREDRAW, FALSE, 0);
  }
}

void TTreeNodes::EndUpdate() {
  if (FUpdateCount == 0 || --FUpdateCount > 0)
    return;
  // The control measures its rows and sets its scroll bars once, now, while the window still draws nothing.
  if (FOwner->HandleAllocated())
    SendMessageW(FOwner->WindowHandle(), WM_SETREDRAW, TRUE, 0);
  FHold.reset();
}

void TTreeNodes::ItemDeleted(TTreeNode *node) {
  if (node->FDeleting)
    return;
  node->FDeleting = true;
  Unlink(node);
  GuardedCall([&] { FOwner->Delete(node); });
  node->FItemId = nullptr;
  FDeleted.push_back(node);
}

void TTreeNodes::FreeDeleted() {
  std::vector<TTreeNode *> deleted;
  deleted.swap(FDeleted);
  for (TTreeNode *node : deleted)
    delete node;
}

void TTreeNodes::Park(HWND wnd) {
  FParked.clear();
  FParkedSelection = GetNode(NextItem(wnd, nullptr, TVGN_CARET));
  HTREEITEM item = NextItem(wnd, nullptr, TVGN_ROOT);
  while (item) {
    TVITEMW query = {};
    query.mask = TVIF_HANDLE | TVIF_PARAM | TVIF_STATE | TVIF_CHILDREN;
    query.hItem = item;
    query.stateMask = kKeptStates;
    SendMessageW(wnd, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query));
    FParked.push_back({reinterpret_cast<TTreeNode *>(query.lParam), query.state & kKeptStates, query.cChildren});
    HTREEITEM next = NextItem(wnd, item, TVGN_CHILD);
    for (HTREEITEM up = item; !next && up; up = NextItem(wnd, up, TVGN_PARENT))
      next = NextItem(wnd, up, TVGN_NEXT);
    item = next;
  }
  for (const TParkedNode &parked : FParked)
    parked.Node->FItemId = nullptr;
}

void TTreeNodes::Restore(HWND wnd) {
  std::vector<TParkedNode> parked;
  parked.swap(FParked);
  TTreeNode *selection = std::exchange(FParkedSelection, nullptr);
  if (parked.empty())
    return;
  TTreeUpdateScope update(*this);
  ++FOwner->FQuiet;
  struct TQuietEnd {
    TTreeView *Owner;
    ~TQuietEnd() { --Owner->FQuiet; }
  } quietEnd{FOwner};
  for (const TParkedNode &entry : parked) {
    TTreeNode *node = entry.Node;
    TTreeNode *parent = node->FParent;
    // A node whose parent could not come back goes with it.
    if (parent && !parent->FItemId) {
      ItemDeleted(node);
      continue;
    }
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent ? parent->FItemId : TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    std::wstring text = Utf8ToWide(node->FText);
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_CHILDREN | TVIF_STATE;
    insert.item.pszText = text.data();
    insert.item.iImage = I_IMAGECALLBACK;
    insert.item.iSelectedImage = I_IMAGECALLBACK;
    insert.item.lParam = reinterpret_cast<LPARAM>(node);
    insert.item.cChildren = entry.Children;
    insert.item.stateMask = TVIS_CUT | TVIS_BOLD | TVIS_OVERLAYMASK;
    insert.item.state = (entry.State & (TVIS_CUT | TVIS_BOLD)) |
                        (node->FOverlayIndex >= 0 ? INDEXTOOVERLAYMASK(node->FOverlayIndex + 1) : 0);
    node->FItemId =
        reinterpret_cast<HTREEITEM>(SendMessageW(wnd, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    if (!node->FItemId)
      ItemDeleted(node);
  }
  for (const TParkedNode &entry : parked)
    if ((entry.State & TVIS_EXPANDED) && entry.Node->FItemId)
      SendMessageW(wnd, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(entry.Node->FItemId));
  if (selection && selection->FItemId)
    SendMessageW(wnd, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(selection->FItemId));
}

void TTreeNodes::DeleteParked() {
  std::vector<TParkedNode> parked;
  parked.swap(FParked);
  FParkedSelection = nullptr;
  // Children before their parents, as the control deletes them.
  for (auto it = parked.rbegin(); it != parked.rend(); ++it)
    ItemDeleted(it->Node);
  FreeDeleted();
}
