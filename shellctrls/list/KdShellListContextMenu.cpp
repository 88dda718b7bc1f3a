// The shell's context menu of the shell list's selection, and the request of a shell extension for the
// window's hosting browser.
#include "shellctrls/list/KdCustomShellList.h"

#include "shellctrls/OwnerFormHandle.h"
#include "shellctrls/commands/SendToMenu.h"
#include "shellctrls/dragdrop/ShellDataObject.h"

void TKdCustomShellList::DoItemContextMenu(TListItem *item, POINT &pos, TPopupMenu *&menu) {
  TKdCustomListView::DoItemContextMenu(item, pos, menu);
  if (!FOptions.Contains(kdsloContextMenus) || FDrag.Running())
    return;
  ShowShellContextMenu(pos);
  menu = nullptr;
}

void TKdCustomShellList::ShowShellContextMenu(POINT pos) {
  // Rename is offered when the list can rename the focused row through the file system.
  UINT flags = CMF_EXPLORE;
  TKdShListData *focused = ShellData(ItemFocused());
  if (focused && !ReadOnly() && !focused->GetPath().empty())
    flags |= CMF_CANRENAME;
  TKdContextMenuChoices choices;
  choices.SendTo = [this](UINT entry) { SendSelectionTo(entry); };
  choices.Rename = [this] {
    if (TListItem *row = ItemFocused())
      row->EditCaption();
  };
  choices.CommandRan = [this] {
    if (ShowsNetworkFolder())
      RefreshList();
  };
  FContextMenu.Show(*this, FGate, GetOwnerFormHandle(this), FShellFolder.Get(), SelectedRelIdLists(), flags, pos,
                    choices);
}

void TKdCustomShellList::MenuMessage(TMessage &message) {
  if (FContextMenu.Active())
    ShellContextMenuMessage(message);
  else
    TKdCustomListView::MenuMessage(message);
}

void TKdCustomShellList::ShellContextMenuMessage(TMessage &message) {
  TKdCustomListView::MenuMessage(message);
  FContextMenu.Serve(message, FSmallImages ? FSmallImages->Handle() : nullptr, this, OnPopupHint);
}

ComPtr<IDataObject> TKdCustomShellList::SelectionDataObject() {
  return MakeComObject<IDataObject, TDataObject_shlv>(*this, SelectedRelIdLists());
}

void TKdCustomShellList::SendSelectionTo(UINT entry) {
  // The list's own data object: the shell's, for a folder bound by the program, names the items' paths
  // wrongly under Wine.
  SendDataToEntry(entry, SelectionDataObject().Get());
}

LRESULT TKdCustomShellList::ShellBrowserRequest() {
  ComPtr<IUnknown> explorer;
  if (FAILED(SHGetInstanceExplorer(explorer.Put())) || !explorer)
    return 0;
  ComPtr<IShellBrowser> browser;
  if (FAILED(explorer.As(browser)) || !browser)
    return 0;
  // The message lends the browser: the sender takes no reference of its own, and the explorer's instance,
  // which lives as long as the process, keeps it.
  return reinterpret_cast<LRESULT>(browser.Get());
}
