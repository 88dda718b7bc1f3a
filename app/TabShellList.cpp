#include "app/TabShellList.h"

#include "shellns/KdIdListArray.h"

void TTabShellList::SelectWhenShown(LPCITEMIDLIST item) {
  TKdIdListArray items(item);
  if (items.Count() == 0)
    return;
  FSelectParent = IdListCopy(items.GetHead(1));
  FSelectItem = IdListCopy(items.GetItem(items.Count() - 1));
}

void TTabShellList::DoFolderChanged() {
  TKdShellList::DoFolderChanged();
  if (OnFolderShown)
    OnFolderShown(Tab);
}

void TTabShellList::DoFillComplete() {
  TKdShellList::DoFillComplete();
  // The control learns of the rows only once the fill has ended.
  if (FSelectItem && HandleAllocated() && IdListCompare(CurrentIdList(), FSelectParent.get()) == 0)
    PostMessageW(Handle(), WM_SELECTWHENSHOWN, 0, 0);
}

void TTabShellList::WndProc(TMessage &message) {
  if (message.Msg == WM_SELECTWHENSHOWN) {
    SelectPending();
    return;
  }
  // A list in a tab behind the others gets its size when its tab comes to the front: the row is brought
  // into view once the list is seen.
  if (message.Msg == WM_PAINT && FSelectItem)
    PostMessageW(Handle(), WM_SELECTWHENSHOWN, 0, 0);
  TKdShellList::WndProc(message);
}

void TTabShellList::SelectPending() {
  if (!FSelectItem || !ShellFolder() || !IsWindowVisible(Handle()) ||
      IdListCompare(CurrentIdList(), FSelectParent.get()) != 0)
    return;
  TKdIdListPtr item = std::move(FSelectItem);
  FSelectParent.reset();
  if (TListItem *row = RowOfItem(item.get())) {
    ClearSelection();
    row->SetSelected(true);
    SetItemFocused(row);
    row->MakeVisible(false);
  }
}
