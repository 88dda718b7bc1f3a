// The shell tree as a drag source and a drop target: what the shared drag flow asks of it.
#include "shellctrls/tree/KdCustomShellTree.h"

#include <utility>

#include "shellctrls/dragdrop/FileDropTarget.h"
#include "shellctrls/dragdrop/ShellDataObject.h"
#include "toolkit/SysUtils.h"

// ---- The tree's own drag -------------------------------------------------------------------------------------

ComPtr<IDataObject> TKdCustomShellTree::NodeDataObject(TTreeNode *node) {
  TKdShTreeData *data = ShellData(node);
  // A root offers nothing: its parent folder is not in the tree.
  if (!data || !data->ParentData())
    return MakeComObject<IDataObject, TKdShellDataObject>(nullptr, nullptr, std::vector<LPCITEMIDLIST>());
  return MakeComObject<IDataObject, TDataObject_shtv>(data->ParentData()->GetAbsIdList(), data->GetParentFolder(),
                                                      data->RelIdList());
}

void TKdCustomShellTree::BeginNodeDrag(TTreeNode *node, TMouseButton button) {
  FDragNode = node;
  SetDropTarget(node);
  TAtExit end([this] {
    FDragNode = nullptr;
    SetDropTarget(nullptr);
  });
  // The root is never dragged: its folder's parent is not in the tree.
  if (ShellData(node) && node->Parent())
    StartOleDrag(button);
}

DWORD TKdCustomShellTree::GetDragEffects(TTreeNode *node) {
  TKdShTreeData *data = ShellData(node);
  if (!data)
    return kdAllDropEffects;
  return ItemDragEffects(data->GetParentFolder(), {data->RelIdList()});
}

ComPtr<IDropSource> TKdCustomShellTree::CreateDropSource(TMouseButton button) {
  return MakeComObject<IDropSource, TDropSource_shlvtv>(button);
}

void TKdCustomShellTree::StartOleDrag(TMouseButton button) {
  FDrag.Run(NodeDataObject(FDragNode), GetDragEffects(FDragNode), CreateDropSource(button));
}

// ---- Drops on the tree ---------------------------------------------------------------------------------------

HRESULT TKdCustomShellTree::DoDragEnter(IDataObject *data, DWORD keys, DWORD &effect, POINTL point) {
  // Compared with client points later: the first DoDragOver finds the pointer outside the resting area and
  // starts measuring the hover there.
  FHoverPoint = {point.x, point.y};
  return FDrag.Enter(data, keys, effect, point);
}

HRESULT TKdCustomShellTree::DoDragOver(DWORD keys, POINTL point, DWORD &effect) {
  return FDrag.Over(keys, point, effect);
}

HRESULT TKdCustomShellTree::DoDragLeave() { return FDrag.Leave(); }

HRESULT TKdCustomShellTree::DoDrop(IDataObject *data, DWORD keys, DWORD &effect, POINTL point) {
  return FDrag.Drop(data, keys, effect, point);
}

HRESULT TKdCustomShellTree::DropOnShellTarget(const TKdShellDrop &drop) { return HandDropToShell(drop); }

TTreeNode *TKdCustomShellTree::DropHighlight() const { return const_cast<TKdCustomShellTree *>(this)->DropTarget(); }

ComPtr<IDropTarget> TKdCustomShellTree::NodeDropTarget(TTreeNode *node) {
  ComPtr<IDropTarget> target;
  TKdShTreeData *data = ShellData(node);
  if (!data)
    return target;
  if (FAILED(data->GetDropTarget(ParentWindowHandle(), target)))
    target.Reset();
  // Where the shell's own target copies nothing (Wine), files dropped on a folder are transferred by us.
  return FolderDropTarget(Handle(), data->GetAbsIdList(), std::move(target));
}

TKdDropPlace<TTreeNode> TKdCustomShellTree::DropPlaceAt(POINT client, DWORD, TKdDragEvent event, DWORD &) {
  TKdDropPlace<TTreeNode> place;
  TTreeNode *node = GetNodeAt(client.x, client.y);
  TKdShTreeData *data = ShellData(node);
  // No node to drop on: the node being dragged out stays marked. The root refuses a drag as it enters, and
  // takes it from the next move on.
  if (!data || (event == TKdDragEvent::Enter && !node->Parent())) {
    place.HighlightRefused = FDragNode;
    return place;
  }
  place.Target = NodeDropTarget(node);
  place.IdList = data->GetAbsIdList();
  place.Highlight = place.HighlightRefused = node;
  return place;
}

// ---- Scrolling and hovering during a drag --------------------------------------------------------------------

void TKdCustomShellTree::DragAutoScroll(POINT p) {
  if (DragScrollAtEdges(this, p, FDrag.LastScrollCheck()))
    FHoverTime = GetTickCount();
  const DWORD now = GetTickCount();
  const int width = ScaleValue(static_cast<int>(HoverWidth)), height = ScaleValue(static_cast<int>(HoverHeight));
  const RECT rest = {FHoverPoint.x - width / 2, FHoverPoint.y - height / 2, FHoverPoint.x + width,
                     FHoverPoint.y + height};
  if (PtInRect(&rest, p)) {
    if (now - FHoverTime <= HoverDelay)
      return;
    HoverExpand();
  }
  FHoverPoint = p;
  FHoverTime = now;
}

void TKdCustomShellTree::HoverExpand() {
  TTreeNode *node = GetNodeAt(FHoverPoint.x, FHoverPoint.y);
  if (!node || !node->HasChildren() || node->GetFirstChild())
    return;
  // The shell shows no window of its own while a folder is read in the middle of a drag.
  ++FNoOwnerWindowCount;
  TAtExit owner([this] { --FNoOwnerWindowCount; });
  try {
    node->Expand(false);
  } catch (...) {
    node->SetHasChildren(false);
  }
}
