// The shell's context menu of the shell list's selection, and the request of a shell extension for the
// window's hosting browser.
#include "shellctrls/list/KdCustomShellList.h"

#include "shellctrls/commands/ContextMenuOperations.h"
#include "shellctrls/OwnerFormHandle.h"
#include "shellctrls/commands/SendToMenu.h"
#include "shellctrls/dragdrop/ShellDataObject.h"
#include "toolkit/Handles.h"
#include "toolkit/SysUtils.h"

void TKdCustomShellList::DoItemContextMenu(TListItem *item, POINT &pos, TPopupMenu *&menu) {
  TKdCustomListView::DoItemContextMenu(item, pos, menu);
  if (!FOptions.Contains(kdsloContextMenus) || FDragging)
    return;
  ShowShellContextMenu(pos);
  menu = nullptr;
}

void TKdCustomShellList::ShowShellContextMenu(POINT pos) {
  std::vector<LPCITEMIDLIST> items = SelectedRelIdLists();
  if (items.empty() || !FShellFolder)
    return;
  // Rename is offered when the list can rename the focused row through the file system.
  UINT flags = CMF_EXPLORE;
  TKdShListData *focused = ShellData(ItemFocused());
  if (focused && !ReadOnly() && !focused->GetPath().empty())
    flags |= CMF_CANRENAME;
  const HWND owner = GetOwnerFormHandle(this);
  ComPtr<IContextMenu> contextMenu;
  HMENU popup = nullptr;
  if (FAILED(GetItemContextMenu(owner, FShellFolder.Get(), static_cast<UINT>(items.size()), items.data(), flags,
                                kdFirstShellCommandId, contextMenu, popup)))
    return;
  TMenuHandle menu(popup);
  if (!menu)
    return;
  UINT chosen = 0;
  {
    FActiveContextMenu = contextMenu;
    TAtExit closed([this] { FActiveContextMenu.Reset(); });
    chosen = TrackPopup(menu.Get(), ClientToScreen(pos), TPM_RETURNCMD | TPM_RIGHTBUTTON);
  }
  if (chosen == 0)
    return;
  // Identifiers below the shell's first are the list's own entries in the menu.
  if (chosen < kdFirstShellCommandId) {
    SendSelectionTo(chosen - 1);
    return;
  }
  const UINT offset = chosen - kdFirstShellCommandId;
  if (IsRenameCommand(contextMenu.Get(), offset)) {
    if (TListItem *row = ItemFocused())
      row->EditCaption();
    return;
  }
  InvokeContextCommand(owner, contextMenu.Get(), offset);
  if (ShowsNetworkFolder())
    RefreshList();
}

void TKdCustomShellList::MenuMessage(TMessage &message) {
  if (FActiveContextMenu)
    ShellContextMenuMessage(message);
  else
    TKdCustomListView::MenuMessage(message);
}

void TKdCustomShellList::ShellContextMenuMessage(TMessage &message) {
  TKdCustomListView::MenuMessage(message);
  ServeShellMenuMessage(message, FActiveContextMenu.Get(), FSmallImages ? FSmallImages->Handle() : nullptr, this,
                        OnPopupHint);
}

void TKdCustomShellList::SendSelectionTo(UINT entry) {
  // The list's own data object: the shell's, for a folder bound by the program, names the items' paths
  // wrongly under Wine.
  ComPtr<IDataObject> data = DataObjectInterface(new TDataObject_shlv(this));
  SendDataToEntry(entry, data.Get());
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
