// The shell tree as a drag source and a drop target.
#include "shellctrls/tree/KdCustomShellTree.h"

#include <utility>

#include "shellctrls/dragdrop/FileDropTarget.h"
#include "shellctrls/dragdrop/ShellDataObject.h"
#include "toolkit/Application.h"

namespace {

constexpr DWORD AllEffects = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

} // namespace

// ---- Registration --------------------------------------------------------------------------------------------

void TKdCustomShellTree::RegisterDropTarget() {
  HWND wnd = WindowHandle();
  if (!wnd || FTreeDropTarget)
    return;
  FTreeDropTarget = FirstReference<IDropTarget>(new TKdForwardingDropTarget<TKdCustomShellTree>(this));
  if (FAILED(RegisterDragDrop(wnd, FTreeDropTarget.Get())))
    FTreeDropTarget.Reset();
}

void TKdCustomShellTree::RevokeDropTarget() {
  if (!FTreeDropTarget)
    return;
  if (HWND wnd = WindowHandle())
    RevokeDragDrop(wnd);
  FTreeDropTarget.Reset();
}

// ---- The tree's own drag -------------------------------------------------------------------------------------

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
  IShellFolder *parent = data ? data->GetParentFolder() : nullptr;
  if (!parent)
    return AllEffects;
  SFGAOF attributes = AllEffects;
  LPCITEMIDLIST items[] = {data->RelIdList()};
  if (FAILED(parent->GetAttributesOf(1, items, &attributes)))
    return AllEffects;
  return attributes & AllEffects;
}

ComPtr<IDropSource> TKdCustomShellTree::CreateDropSource(TMouseButton button) {
  return FirstReference<IDropSource>(new TDropSource_shlvtv(button));
}

void TKdCustomShellTree::StartOleDrag(TMouseButton button) {
  FBusy = true;
  bool refreshDue = false;
  {
    ComPtr<IDropSource> source;
    TAtExit end([&] {
      refreshDue = refreshDue || FRefreshPending;
      FBusy = false;
      FRefreshPending = false;
      source.Reset();
      FOwnDataObject.Reset();
    });
    FOwnDataObject = DataObjectInterface(new TDataObject_shtv(this, FDragNode));
    const DWORD allowed = GetDragEffects(FDragNode);
    source = CreateDropSource(button);
    DWORD effect = DROPEFFECT_NONE;
    refreshDue = DoDragDrop(FOwnDataObject.Get(), source.Get(), allowed, &effect) == DRAGDROP_S_DROP;
  }
  if (refreshDue)
    RefreshNodes();
}

// ---- Drops on the tree ---------------------------------------------------------------------------------------

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

HRESULT TKdCustomShellTree::DoDragEnter(IDataObject *data, DWORD keys, DWORD &effect, POINTL point) {
  FDragEnterTime = GetTickCount();
  FDragData = ComPtr<IDataObject>::AddRefed(data);
  FDragKeyState = keys;
  // Compared with client points later: the first DoDragOver finds the pointer outside the resting area
  // and starts measuring the hover there.
  FHoverPoint = {point.x, point.y};
  const POINT client = ScreenToClient({point.x, point.y});
  TTreeNode *node = GetNodeAt(client.x, client.y);
  if (!ShellData(node) || !node->Parent()) {
    SetDropTarget(FDragNode);
    effect = DROPEFFECT_NONE;
    return S_OK;
  }
  ComPtr<IDropTarget> target = NodeDropTarget(node);
  SetDropTarget(node);
  if (!target) {
    effect = DROPEFFECT_NONE;
    return S_OK;
  }
  HRESULT hr = target->DragEnter(data, keys, point, &effect);
  target->DragLeave();
  return hr;
}

HRESULT TKdCustomShellTree::DoDragOver(DWORD keys, POINTL point, DWORD &effect) {
  TTreeNode *highlighted = DropTarget();
  const POINT client = ScreenToClient({point.x, point.y});
  TTreeNode *node = GetNodeAt(client.x, client.y);
  HRESULT hr = S_OK;
  if (ShellData(node)) {
    ComPtr<IDropTarget> target = NodeDropTarget(node);
    SetDropTarget(node);
    if (target) {
      // Each event sees a whole enter-over-leave of its own, so no shell target is kept between events.
      const DWORD allowed = effect;
      target->DragEnter(FDragData.Get(), keys, point, &effect);
      effect = allowed;
      hr = target->DragOver(keys, point, &effect);
      target->DragLeave();
    } else {
      effect = DROPEFFECT_NONE;
    }
  } else {
    effect = DROPEFFECT_NONE;
    SetDropTarget(FDragNode);
  }
  DragAutoScroll(client);
  effect |= DROPEFFECT_SCROLL;
  if (DropTarget() != highlighted)
    Update();
  return hr;
}

HRESULT TKdCustomShellTree::DoDragLeave() {
  FDragData.Reset();
  SetDropTarget(nullptr);
  return S_OK;
}

HRESULT TKdCustomShellTree::DoDrop(IDataObject *data, DWORD keys, DWORD &effect, POINTL point) {
  TAtExit end([this] {
    SetDropTarget(nullptr);
    FDragData.Reset();
  });
  const POINT client = ScreenToClient({point.x, point.y});
  TTreeNode *node = GetNodeAt(client.x, client.y);
  TKdShTreeData *nodeData = ShellData(node);
  ComPtr<IDropTarget> target = NodeDropTarget(node);
  if (!target)
    return S_OK;
  const HRESULT hr = DropOnShellTarget(PrepareShellDrop(target.Get(), nodeData->GetAbsIdList(), data,
                                                        keys | (FDragKeyState & DragButtons), point, effect));
  RefreshNodes();
  return hr;
}

HRESULT TKdCustomShellTree::DropOnShellTarget(const TKdShellDrop &drop) { return HandDropToShell(drop); }

// ---- Scrolling and hovering during a drag --------------------------------------------------------------------

void TKdCustomShellTree::DragAutoScroll(POINT p) {
  if (DragScrollAtEdges(this, p, FDragEnterTime))
    FHoverTime = GetTickCount();
  const DWORD now = GetTickCount();
  const int halfWidth = static_cast<int>(HoverWidth / 2);
  const int halfHeight = static_cast<int>(HoverHeight / 2);
  const RECT rest = {FHoverPoint.x - halfWidth, FHoverPoint.y - halfHeight,
                     FHoverPoint.x + static_cast<int>(HoverWidth), FHoverPoint.y + static_cast<int>(HoverHeight)};
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
