// The shell list as a drag source and a drop target: what the shared drag flow asks of it.
#include "shellctrls/list/KdCustomShellList.h"

#include <utility>

#include "shellctrls/OwnerFormHandle.h"
#include "shellctrls/commands/ShellItemLookup.h"
#include "shellctrls/dragdrop/FileDropTarget.h"

// ---- The list's own drag -------------------------------------------------------------------------------------

DWORD TKdCustomShellList::GetDragEffects() { return ItemDragEffects(FShellFolder.Get(), SelectedRelIdLists()); }

ComPtr<IDropSource> TKdCustomShellList::CreateDropSource(TMouseButton button) {
  return MakeComObject<IDropSource, TDropSource_shlvtv>(button);
}

void TKdCustomShellList::StartOleDrag(TMouseButton button) {
  FOleDragStarted = true;
  FDrag.Run(SelectionDataObject(), GetDragEffects(), CreateDropSource(button));
}

// ---- Drops on the list ---------------------------------------------------------------------------------------

ComPtr<IDropTarget> TKdCustomShellList::CreateListDropTarget() {
  return MakeComObject<IDropTarget, TKdForwardingDropTarget<TKdCustomShellList>>(this);
}

HRESULT TKdCustomShellList::DoDragEnter(IDataObject *data, DWORD keys, DWORD &effect, POINTL point) {
  return FDrag.Enter(data, keys, effect, point);
}

HRESULT TKdCustomShellList::DoDragOver(DWORD keys, POINTL point, DWORD &effect) {
  return FDrag.Over(keys, point, effect);
}

HRESULT TKdCustomShellList::DoDragLeave() { return FDrag.Leave(); }

HRESULT TKdCustomShellList::DoDrop(IDataObject *data, DWORD keys, DWORD &effect, POINTL point) {
  return FDrag.Drop(data, keys, effect, point);
}

HRESULT TKdCustomShellList::DropOnShellTarget(const TKdShellDrop &drop) { return HandDropToShell(drop); }

void TKdCustomShellList::SetDropHighlight(TListItem *row) {
  if (row == FDropRow)
    return;
  if (FDropRow)
    FDropRow->SetDropTarget(false);
  FDropRow = row;
  if (row)
    row->SetDropTarget(true);
}

void TKdCustomShellList::DragAutoScroll(POINT client) { DragScrollAtEdges(this, client, FDrag.LastScrollCheck()); }

ComPtr<IDropTarget> TKdCustomShellList::FolderDropTarget() {
  ComPtr<IDropTarget> target;
  if (FAILED(GetItemUIObject(FCurrentIdList.get(), target)))
    target.Reset();
  // Where the shell's own target copies nothing (Wine), files dropped on a folder are transferred by us.
  return ::FolderDropTarget(Handle(), FCurrentIdList.get(), std::move(target));
}

ComPtr<IDropTarget> TKdCustomShellList::RowDropTarget(TListItem *&row, LPCITEMIDLIST &idList) {
  ComPtr<IDropTarget> target;
  if (TKdShListData *data = ShellData(row); data && FShellFolder) {
    LPCITEMIDLIST items[] = {data->RelIdList()};
    if (SUCCEEDED(FShellFolder->GetUIObjectOf(GetOwnerFormHandle(this), 1, items, IID_IDropTarget, nullptr,
                                              target.PutVoid())) &&
        target) {
      idList = data->GetAbsIdList();
      return ::FolderDropTarget(Handle(), idList, std::move(target));
    }
  }
  // A row without a drop handler (a plain file) takes drops for its folder.
  row = nullptr;
  idList = FCurrentIdList.get();
  return FolderDropTarget();
}

TKdDropPlace<TListItem> TKdCustomShellList::DropPlaceAt(POINT client, DWORD keys, TKdDragEvent event, DWORD &effect) {
  TKdDropPlace<TListItem> place;
  TListItem *row = GetItemAt(client.x, client.y);
  if (row && !ShellData(row)) {
    // A row of someone else's over which a drag moves is answered as a copy; it takes nothing when dropped.
    if (event == TKdDragEvent::Over) {
      place.Answered = true;
      place.Effect = DROPEFFECT_COPY;
    }
    row = nullptr;
  }
  if (row) {
    place.Target = RowDropTarget(row, place.IdList);
    place.Highlight = row;
  } else if (FDrag.Running()) {
    // The list's own items over its own empty space: a right-button drag may copy them beside themselves
    // (through the shell's drop menu), nothing else is taken.
    if (event == TKdDragEvent::Drop) {
      if (FDrag.EnterKeys() & MK_RBUTTON) {
        effect &= ~static_cast<DWORD>(DROPEFFECT_MOVE);
        place.Target = FolderDropTarget();
        place.IdList = FCurrentIdList.get();
      }
    } else if (keys & MK_RBUTTON) {
      place.Answered = true;
      place.Effect = DROPEFFECT_COPY;
    }
  } else if (!place.Answered) {
    place.Target = FolderDropTarget();
    place.IdList = FCurrentIdList.get();
  }
  return place;
}
