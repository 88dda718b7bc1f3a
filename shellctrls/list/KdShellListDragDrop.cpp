// The shell list as a drag source and a drop target.
#include "shellctrls/list/KdCustomShellList.h"

#include <vector>

#include "shellctrls/dragdrop/FileDropTarget.h"
#include "shellctrls/OwnerFormHandle.h"
#include "shellctrls/dragdrop/ShellDataObject.h"
#include "shellctrls/commands/ShellItemLookup.h"
#include "toolkit/Application.h"
#include "toolkit/SysUtils.h"

namespace {

constexpr DWORD AllEffects = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

} // namespace

// ---- The list's own drag -------------------------------------------------------------------------------------

DWORD TKdCustomShellList::GetDragEffects() {
  std::vector<LPCITEMIDLIST> items;
  for (TListItem *row = GetNextItem(nullptr, sdAll, isSelected); row; row = GetNextItem(row, sdAll, isSelected))
    if (TKdShListData *data = ShellData(row))
      items.push_back(data->RelIdList());
  if (items.empty() || !FShellFolder)
    return 0;
  SFGAOF attributes = AllEffects;
  OleCheck(FShellFolder->GetAttributesOf(static_cast<UINT>(items.size()), items.data(), &attributes));
  return attributes & AllEffects;
}

ComPtr<IDropSource> TKdCustomShellList::CreateDropSource(TMouseButton button) {
  return FirstReference<IDropSource>(new TDropSource_shlvtv(button));
}

void TKdCustomShellList::StartOleDrag(TMouseButton button) {
  FDragging = true;
  FOleDragStarted = true;
  bool dropped = false;
  bool pending = false;
  {
    ComPtr<IDropSource> source;
    TAtExit end([&] {
      pending = FRefreshPending;
      FDragging = false;
      FRefreshPending = false;
      source.Reset();
      FOwnDataObject.Reset();
    });
    FOwnDataObject = DataObjectInterface(new TDataObject_shlv(this));
    const DWORD allowed = GetDragEffects();
    source = CreateDropSource(button);
    DWORD effect = DROPEFFECT_NONE;
    dropped = DoDragDrop(FOwnDataObject.Get(), source.Get(), allowed, &effect) == DRAGDROP_S_DROP;
  }
  // A fill asked for during the drag may have been for another folder: it runs in full. After a drop only
  // the rows that changed are brought up to date, so the user keeps the selection and the place.
  if (pending)
    FillList();
  else if (dropped)
    RefreshList();
}

// ---- Drops on the list ---------------------------------------------------------------------------------------

void TKdCustomShellList::SetDropRow(TListItem *row) {
  if (row == FDropRow)
    return;
  if (FDropRow)
    FDropRow->SetDropTarget(false);
  FDropRow = row;
  if (row)
    row->SetDropTarget(true);
}

ComPtr<IDropTarget> TKdCustomShellList::FolderDropTarget() {
  ComPtr<IDropTarget> target;
  if (FAILED(GetItemUIObject(FCurrentIdList.get(), target)))
    target.Reset();
  // Where the shell's own target copies nothing (Wine), files dropped on a folder are transferred by us.
  return ::FolderDropTarget(Handle(), FCurrentIdList.get(), std::move(target));
}

ComPtr<IDropTarget> TKdCustomShellList::RowDropTarget(TListItem *&row) {
  ComPtr<IDropTarget> target;
  if (TKdShListData *data = ShellData(row); data && FShellFolder) {
    LPCITEMIDLIST items[] = {data->RelIdList()};
    if (SUCCEEDED(FShellFolder->GetUIObjectOf(GetOwnerFormHandle(this), 1, items, IID_IDropTarget, nullptr,
                                              target.PutVoid())) &&
        target)
      return ::FolderDropTarget(Handle(), data->GetAbsIdList(), std::move(target));
  }
  // A row without a drop handler (a plain file) takes drops for its folder.
  row = nullptr;
  SetDropRow(nullptr);
  return FolderDropTarget();
}

bool TKdCustomShellList::DragTarget(TListItem *&row, DWORD keys, DWORD &effect, ComPtr<IDropTarget> &target) {
  if (row) {
    target = RowDropTarget(row);
  } else if (FDragging) {
    // The list's own items over its own empty space: a right-button drop may copy them beside themselves.
    if (keys & MK_RBUTTON) {
      effect = DROPEFFECT_COPY;
      SetDropRow(nullptr);
      return true;
    }
  } else {
    target = FolderDropTarget();
  }
  return false;
}

HRESULT TKdCustomShellList::DoDragEnter(IDataObject *data, DWORD keys, DWORD &effect, POINTL point) {
  FDragEnterTime = GetTickCount();
  FDragData = ComPtr<IDataObject>::AddRefed(data);
  FDragKeyState = keys;
  const POINT client = ScreenToClient({point.x, point.y});
  TListItem *row = GetItemAt(client.x, client.y);
  if (!ShellData(row))
    row = nullptr;
  ComPtr<IDropTarget> target;
  if (DragTarget(row, keys, effect, target))
    return S_OK;
  SetDropRow(nullptr);
  if (!target) {
    effect = DROPEFFECT_NONE;
    return S_OK;
  }
  const HRESULT hr = target->DragEnter(data, keys, point, &effect);
  target->DragLeave();
  if (effect != DROPEFFECT_NONE && row)
    SetDropRow(row);
  return hr;
}

HRESULT TKdCustomShellList::DoDragOver(DWORD keys, POINTL point, DWORD &effect) {
  TListItem *highlighted = FDropRow;
  const POINT client = ScreenToClient({point.x, point.y});
  TListItem *row = GetItemAt(client.x, client.y);
  if (row && !ShellData(row)) {
    effect = DROPEFFECT_COPY;
    SetDropRow(nullptr);
    return S_OK;
  }
  ComPtr<IDropTarget> target;
  if (DragTarget(row, keys, effect, target))
    return S_OK;
  HRESULT hr = S_OK;
  if (target) {
    const DWORD allowed = effect;
    target->DragEnter(FDragData.Get(), keys, point, &effect);
    effect = allowed;
    hr = target->DragOver(keys, point, &effect);
    target->DragLeave();
    SetDropRow(effect == DROPEFFECT_NONE ? nullptr : row);
  } else {
    effect = DROPEFFECT_NONE;
    SetDropRow(nullptr);
  }
  DragScrollAtEdges(this, client, FDragEnterTime);
  effect |= DROPEFFECT_SCROLL;
  if (FDropRow != highlighted)
    Update();
  return hr;
}

HRESULT TKdCustomShellList::DoDragLeave() {
  FDragData.Reset();
  SetDropRow(nullptr);
  return S_OK;
}

HRESULT TKdCustomShellList::DoDrop(IDataObject *data, DWORD keys, DWORD &effect, POINTL point) {
  TAtExit end([this] {
    SetDropRow(nullptr);
    FDragData.Reset();
  });
  const POINT client = ScreenToClient({point.x, point.y});
  TListItem *row = GetItemAt(client.x, client.y);
  if (!ShellData(row))
    row = nullptr;
  ComPtr<IDropTarget> target;
  if (row) {
    target = RowDropTarget(row);
  } else if (FDragging) {
    // Onto its own folder the list's items can only be copied (through the shell's drop menu).
    if (FDragKeyState & MK_RBUTTON) {
      effect &= ~static_cast<DWORD>(DROPEFFECT_MOVE);
      target = FolderDropTarget();
    }
  } else {
    target = FolderDropTarget();
  }
  if (!target)
    return S_OK;
  const HRESULT hr =
      DropOnShellTarget(PrepareShellDrop(target.Get(), row ? ShellData(row)->GetAbsIdList() : FCurrentIdList.get(),
                                         data, keys | (FDragKeyState & DragButtons), point, effect));
  RefreshList();
  return hr;
}

HRESULT TKdCustomShellList::DropOnShellTarget(const TKdShellDrop &drop) { return HandDropToShell(drop); }
