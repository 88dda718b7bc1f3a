// Filling the shell tree: the root and the folders opened, the nodes' order, icons and drawing.
#include "shellctrls/tree/KdCustomShellTree.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "shellctrls/WindowUtils.h"
#include "shellns/ErrorModeScope.h"
#include "shellns/ShellVersion.h"
#include "toolkit/Application.h"
#include "toolkit/ListAlgorithms.h"
#include "toolkit/Screen.h"
#include "toolkit/SysUtils.h"

namespace {

// Attributes a child is asked for when it is added.
constexpr SFGAOF ChildAttributes = SFGAO_HASSUBFOLDER | SFGAO_FILESYSTEM | SFGAO_FOLDER | SFGAO_FILESYSANCESTOR |
                                   SFGAO_REMOVABLE | SFGAO_GHOSTED | SFGAO_SHARE | SFGAO_LINK;

// Overlay images of the system image list.
constexpr int SharedOverlay = 0;
constexpr int LinkOverlay = 1;

// An enumeration that ends like this shows what it got and raises nothing: the folder cannot be read
// (a drive without a medium) or went away while it was read.
bool IsQuietEnumFailure(HRESULT hr) {
  return hr == E_FAIL || hr == HRESULT_FROM_WIN32(ERROR_NOT_READY) || hr == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND) ||
         hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) || hr == HRESULT_FROM_WIN32(ERROR_INVALID_DRIVE);
}

} // namespace

TKdCustomShellTree::TFillScope::~TFillScope() {
  GuardedCall([this] { FTree.DoFillComplete(); });
}

SHCONTF TKdCustomShellTree::EnumFlags() const {
  SHCONTF flags = SHCONTF_FOLDERS;
  if (FOptions.Contains(kdstoShowHidden))
    flags |= SHCONTF_INCLUDEHIDDEN;
  if (FOptions.Contains(kdstoIncludeNonFolders))
    flags |= SHCONTF_NONFOLDERS;
  return flags;
}

// ---- Filling ---------------------------------------------------------------------------------------------

void TKdCustomShellTree::FillTree() {
  if (!FGate.Admit(TKdHeldWork::Fill))
    return;
  TCursorSaver hourglass;
  {
    TChangeLockScope lock(*this);
    SetSelected(nullptr);
    Items().Clear();
  }
  ComPtr<IShellFolder> root;
  HRESULT hr = BindToShellFolder(FBaseFolder.GetIdList(), root);
  if (hr != S_OK || !root)
    RaiseSystemError(static_cast<DWORD>(hr != S_OK ? hr : E_FAIL));
  FillNode(root.Get(), nullptr);
  if (FCurrentFolder.GetIdList())
    SelectIdList(FCurrentFolder.GetIdList());
  else if (TTreeNode *first = Items().GetFirstNode())
    SetSelected(first);
  // A keyboard move still waiting is overtaken by the fill: the list follows now. A refresh still waiting
  // has nothing left to do after a fill.
  FlushChange();
  FGate.CancelDue();
  if (FOptions.Contains(kdstoDynamicRefresh))
    StartWatching();
}

void TKdCustomShellTree::FillNode(IShellFolder *folder, TTreeNode *node) {
  TFillScope fill(*this);
  TKdErrorModeScope errorMode;

  TKdIdListPtr rootList;
  LPCITEMIDLIST parentList = nullptr;
  const bool makeRoot = !node;
  if (node) {
    TKdShTreeData *data = ShellData(node);
    if (!data)
      return;
    parentList = data->GetAbsIdList();
  } else {
    LPCITEMIDLIST base = FBaseFolder.GetIdList();
    if (base && base->mkid.cb) {
      rootList = IdListCopy(base);
      if (!rootList)
        OleCheck(E_OUTOFMEMORY);
    }
    ShowSystemIcons();
    auto data = std::make_unique<TKdShTreeData>();
    data->InitIdLists(nullptr, rootList.get());
    data->SetFolder(folder);
    node = Items().AddChild(nullptr, GetIdListDisplayName(rootList.get()), std::move(data));
    node->SetImageIndex(GetIdListIconIndex(rootList.get(), SHGFI_SMALLICON));
    node->SetSelectedIndex(GetIdListIconIndex(rootList.get(), SHGFI_SMALLICON | SHGFI_OPENICON));
    DoInsertItem(node);
    parentList = rootList.get();
  }

  ComPtr<IEnumIDList> enumerator;
  HRESULT hr = folder->EnumObjects(ParentWindowHandle(), EnumFlags(), enumerator.Put());
  if (FAILED(hr)) {
    // Unreadable for now (a drive without a medium): the node keeps its button for a later try.
    node->SetHasChildren(true);
    return;
  }
  // The nodes go in in the folder's order, which the items are put in first: asking the control to sort them
  // afterwards would cost a comparison by the folder for every pair it looks at, while the items mostly come
  // in that order already (one comparison each).
  const bool hadChildren = node->GetFirstChild() != nullptr;
  if (enumerator) {
    std::vector<TKdIdListPtr> items;
    TKdIdListPtr item;
    while ((hr = enumerator->Next(1, PidlOut(item), nullptr)) == S_OK)
      items.push_back(std::move(item));
    std::vector<TKdIdListPtr *> order(items.size());
    std::transform(items.begin(), items.end(), order.begin(), [](TKdIdListPtr &list) { return &list; });
    ListNaturalMergeSort(order, [folder](const TKdIdListPtr *a, const TKdIdListPtr *b) {
      return CompareInFolder(folder, a->get(), b->get()) < 0;
    });
    for (TKdIdListPtr *child : order)
      OleCheck(AddChildItem(folder, parentList, std::move(*child), node));
  } else {
    hr = S_FALSE;
  }
  if (!node->GetFirstChild())
    node->SetHasChildren(false);
  if (hr != S_FALSE) {
    if (IsQuietEnumFailure(hr)) {
      node->SetHasChildren(true);
      return;
    }
    RaiseSystemError(static_cast<DWORD>(hr));
  }
  if (hadChildren)
    SortChildren(node);
  if (makeRoot)
    node->Expand(false);
}

HRESULT TKdCustomShellTree::AddChildItem(IShellFolder *folder, LPCITEMIDLIST parentAbsIdList, TKdIdListPtr child,
                                         TTreeNode *parent) {
  if (!child)
    return S_OK;
  SFGAOF attributes = ChildAttributes;
  if (VersionHigh(Shell32Version) >= kdVersion600)
    attributes |= SFGAO_STREAM;
  LPCITEMIDLIST items[] = {child.get()};
  HRESULT hr = folder->GetAttributesOf(1, items, &attributes);
  if (FAILED(hr))
    return hr;
  if (!FOptions.Contains(kdstoVirtualFolders) && !(attributes & (SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR)))
    return S_OK;
  if (!DoAddItem(folder, parentAbsIdList, child.get(), attributes))
    return S_OK;

  std::string name = GetItemDisplayName(folder, child.get(), dnInFolder);
  auto data = std::make_unique<TKdShTreeData>();
  data->InitIdLists(ShellData(parent), std::move(child));
  const bool hasChildren = FOptions.Contains(kdstoIncludeNonFolders)
                               ? (attributes & (SFGAO_HASSUBFOLDER | SFGAO_FOLDER)) != 0
                               : (attributes & SFGAO_HASSUBFOLDER) && (attributes & SFGAO_FOLDER);
  TTreeNode *before = FInsertBefore && FInsertBefore->Parent() == parent ? FInsertBefore : nullptr;
  TTreeNode *node = Items().InsertChild(parent, before, name, std::move(data), hasChildren);
  if (attributes & SFGAO_SHARE)
    node->SetOverlayIndex(SharedOverlay);
  else if (attributes & SFGAO_LINK)
    node->SetOverlayIndex(LinkOverlay);
  if (attributes & SFGAO_GHOSTED)
    node->SetCut(true);
  DoInsertItem(node);
  return S_OK;
}

bool TKdCustomShellTree::DoAddItem(IShellFolder *folder, LPCITEMIDLIST parentAbsIdList, LPCITEMIDLIST child,
                                   ULONG attributes) {
  bool allow = true;
  if (OnAddItem)
    OnAddItem(this, folder, parentAbsIdList, child, attributes, allow);
  return allow;
}

void TKdCustomShellTree::DoInsertItem(TTreeNode *node) {
  FLastInsertedNode = node;
  if (OnInsertItem)
    OnInsertItem(this, node);
}

void TKdCustomShellTree::DoFillStart() {
  if (OnFillStart)
    OnFillStart(this);
}

void TKdCustomShellTree::DoFillComplete() {
  if (OnFillComplete)
    OnFillComplete(this);
}

void TKdCustomShellTree::ShowSystemIcons() {
  if (FImages)
    return;
  // Asked for once there are nodes to show rather than when the tree is made: the shell builds its list the
  // first time (a tenth of a second and more under Wine), and the unit's start has a worker build it while the
  // first windows are made. The system's list of 16 pixels at 96 dpi.
  FImages = new TImageList(this, ScaleValue(16), ScaleValue(16));
  FImages->SetHandle(GetSystemImageListOfSize(ScaleValue(16)));
  FImages->SetShareImages(true);
  SetImages(FImages);
}

int TKdCustomShellTree::CompareInFolder(IShellFolder *folder, LPCITEMIDLIST item1, LPCITEMIDLIST item2) {
  HRESULT hr = folder->CompareIDs(0, item1, item2);
  return FAILED(hr) ? 0 : static_cast<int>(static_cast<short>(HRESULT_CODE(hr)));
}

void TKdCustomShellTree::SortChildren(TTreeNode *node) {
  auto compare = [](TTreeNode *node1, TTreeNode *node2) {
    TKdShTreeData *data1 = ShellData(node1);
    TKdShTreeData *data2 = ShellData(node2);
    if (!data1 || !data2)
      return 0;
    IShellFolder *folder = data1->GetParentFolder();
    return folder ? CompareInFolder(folder, data1->RelIdList(), data2->RelIdList()) : 0;
  };
  if (node)
    node->CustomSort(compare, false);
  else if (Items().GetFirstNode())
    CustomSort(compare, true);
}

HRESULT TKdCustomShellTree::AddChildInPlace(IShellFolder *folder, LPCITEMIDLIST parentAbsIdList, TKdIdListPtr child,
                                            TTreeNode *parent) {
  // The first child the new item goes before: the children after it in the folder's order, found by halving.
  std::vector<TTreeNode *> children;
  for (TTreeNode *node = parent->GetFirstChild(); node; node = node->GetNextSibling())
    children.push_back(node);
  auto after =
      std::upper_bound(children.begin(), children.end(), child.get(), [folder](LPCITEMIDLIST item, TTreeNode *node) {
        TKdShTreeData *data = ShellData(node);
        return data && CompareInFolder(folder, item, data->RelIdList()) < 0;
      });
  FInsertBefore = after == children.end() ? nullptr : *after;
  TAtExit reset([this] { FInsertBefore = nullptr; });
  return AddChildItem(folder, parentAbsIdList, std::move(child), parent);
}

bool TKdCustomShellTree::CanExpand(TTreeNode *node) {
  if (!TKdCustomTreeView::CanExpand(node))
    return false;
  TKdShTreeData *data = ShellData(node);
  if (data && !node->GetFirstChild() && node->HasChildren()) {
    TCursorSaver hourglass;
    if (IShellFolder *folder = data->GetFolder())
      FillNode(folder, node);
  }
  return true;
}

void TKdCustomShellTree::Delete(TTreeNode *node) {
  if (node == FLastInsertedNode)
    FLastInsertedNode = nullptr;
  if (TKdShTreeData *data = ShellData(node); data && OnDeleteItem)
    OnDeleteItem(this, node, data);
  TKdCustomTreeView::Delete(node);
}

void TKdCustomShellTree::GetImageIndex(TTreeNode *node) {
  // 0 counts as not known yet: icons are looked up when a node is first drawn, not when it is added.
  if (TKdShTreeData *data = ShellData(node); data && node->ImageIndex() == 0) {
    int index = data->ParentData() ? PlainFolderIconIndex(data->GetParentFolder(), data->RelIdList()) : -1;
    if (index < 0)
      index = GetIdListIconIndex(data->GetAbsIdList(), SHGFI_SMALLICON);
    node->SetImageIndex(index);
  }
  TKdCustomTreeView::GetImageIndex(node);
}

void TKdCustomShellTree::GetSelectedIndex(TTreeNode *node) {
  // The control asks for every node it draws but shows it only for the selected one; a lookup can cost
  // milliseconds (Wine's grows with the folder's size), so the others wait until they are selected.
  if (TKdShTreeData *data = ShellData(node); data && node->SelectedIndex() == 0 && node->Selected())
    node->SetSelectedIndex(GetIdListIconIndex(data->GetAbsIdList(), SHGFI_SMALLICON | SHGFI_OPENICON));
  TKdCustomTreeView::GetSelectedIndex(node);
}

std::unique_ptr<TKdTvCustomDraw> TKdCustomShellTree::DoCustomDraw(NMTVCUSTOMDRAW *record, LRESULT &result) {
  std::unique_ptr<TKdTvCustomDraw> draw = TKdCustomTreeView::DoCustomDraw(record, result);
  if (!OnCustomDrawSh && !OnCustomDrawShEx)
    return draw;
  if (!draw)
    draw = CreateCustomDraw(record, result);
  const DWORD stage = record->nmcd.dwDrawStage;
  TTreeNode *node = nullptr;
  TKdShTreeData *data = nullptr;
  if (stage & CDDS_ITEM) {
    node = Items().GetNode(reinterpret_cast<HTREEITEM>(record->nmcd.dwItemSpec));
    data = ShellData(node);
  }
  if (OnCustomDrawShEx)
    OnCustomDrawShEx(this, draw.get(), node, data);
  if (OnCustomDrawSh && draw->Stage() == kdcdsItemPrePaint)
    OnCustomDrawSh(this, draw.get(), node, data);
  draw->Apply();
  if (stage & CDDS_PREPAINT)
    result |= CDRF_NOTIFYITEMDRAW;
  return draw;
}
