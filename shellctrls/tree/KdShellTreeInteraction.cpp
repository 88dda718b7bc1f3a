// How the shell tree answers the user: renaming a node in place through the shell, the default keys, verbs
// run on a node, the shell's context menu of a node, and the wheel.
#include "shellctrls/tree/KdCustomShellTree.h"

#include <utility>

#include "shellctrls/commands/ContextMenuOperations.h"
#include "shellctrls/dragdrop/FileTransfer.h"
#include "shellctrls/list/KdCustomShellList.h"
#include "shellctrls/commands/KdDefaultKeys.h"
#include "shellctrls/commands/SendToMenu.h"
#include "shellctrls/dragdrop/ShellDataObject.h"
#include "shellctrls/commands/ShellItemLookup.h"
#include "shellctrls/commands/ShellItemRename.h"
#include "shellctrls/ShellScroll.h"
#include "toolkit/Handles.h"
#include "toolkit/Screen.h"
#include "toolkit/SysUtils.h"

namespace {

// A rename changes the absolute lists of everything below the node: what the nodes cached from them goes.
void ResetDescendantCaches(TTreeNode *node) {
  for (TTreeNode *child = node->GetFirstChild(); child; child = child->GetNextSibling()) {
    if (TKdShTreeData *data = TKdCustomShellTree::ShellData(child))
      data->ResetCache();
    ResetDescendantCaches(child);
  }
}

bool IsSelfOrAncestorOf(TTreeNode *node, TTreeNode *other) {
  for (; other; other = other->Parent())
    if (other == node)
      return true;
  return false;
}

} // namespace

// ---- Renaming --------------------------------------------------------------------------------------------

bool TKdCustomShellTree::CanEdit(TTreeNode *node) {
  TKdShTreeData *data = ShellData(node);
  if (!data)
    return TKdCustomTreeView::CanEdit(node);
  if (!data->CanRename() || !TKdCustomTreeView::CanEdit(node))
    return false;
  if (HWND edit = reinterpret_cast<HWND>(SendMessageW(WindowHandle(), TVM_GETEDITCONTROL, 0, 0)))
    SetWindowTextW(edit,
                   Utf8ToWide(GetItemDisplayName(data->GetParentFolder(), data->RelIdList(), dnForEditing)).c_str());
  return true;
}

void TKdCustomShellTree::Edit(TTreeNode *node, const std::optional<std::string> &text) {
  if (text) {
    if (ShellData(node))
      RenameNode(node, *text);
    else
      TKdCustomTreeView::Edit(node, TrimItemName(*text));
  }
  // A refresh held back by the edit runs once the control is done with the edit and its node, also after a
  // cancelled one.
  if (FRefreshPending && HandleAllocated())
    PostMessageW(WindowHandle(), WM_KDEDITENDED, 0, 0);
}

void TKdCustomShellTree::RenameNode(TTreeNode *node, const std::string &typed) {
  TKdShTreeData *data = ShellData(node);
  std::string name = TrimItemName(typed);
  if (OnEdited)
    OnEdited(this, node, name);
  IShellFolder *parent = data->GetParentFolder();
  if (!parent)
    return;
  TCursorSaver hourglass(crHourGlass);
  // The rename's own change needs no refresh; a refused rename causes no change, and the next one must not
  // be taken for its.
  const bool skipping = std::exchange(FSkipNextNotification, true);
  TChangeLockScope lock(*this);
  TKdIdListPtr renamed;
  if (FAILED(SetItemName(ParentWindowHandle(), parent, data->RelIdList(), data->GetPath(), name, renamed))) {
    FSkipNextNotification = skipping;
    return;
  }
  if (renamed) {
    ResetDescendantCaches(node);
    node->SetText(GetItemDisplayName(parent, renamed.get(), dnInFolder));
    data->SetRelIdList(renamed.get());
    // The folder shown changed its name when it is this node or lies below it; a node renamed from its
    // context menu need not be the selected one, and the tree goes on showing the folder it showed.
    TTreeNode *selected = Selected();
    TKdShTreeData *shown = ShellData(selected);
    if (shown && IsSelfOrAncestorOf(node, selected)) {
      FCurrentFolder.SetIdList(shown->GetAbsIdList());
      if (FShellList)
        FShellList->Folder().SetIdList(shown->GetAbsIdList());
    }
  } else {
    node->SetText(GetItemDisplayName(parent, data->RelIdList(), dnInFolder));
  }
  if (node->Parent())
    SortChildren(node->Parent());
}

// ---- Keys ------------------------------------------------------------------------------------------------

void TKdCustomShellTree::KeyDown(WORD &key, TShiftState shift) {
  TKdCustomTreeView::KeyDown(key, shift);
  if (key == 0 || IsEditing() || !FOptions.Contains(kdstoDefaultKeyHandling))
    return;
  const WORD pressed = std::exchange(key, 0);
  const TShortCut code = ShortCut(pressed, shift);
  InitDefaultKeys();
  TTreeNode *node = Selected();
  if (IsDefaultKey(kdkRename, code)) {
    if (node)
      node->EditText();
  } else if (IsDefaultKey(kdkRefresh, code)) {
    RefreshNodes();
  } else if (IsDefaultKey(kdkCut, code)) {
    InvokeVerb(node, "cut");
  } else if (IsDefaultKey(kdkCopy, code)) {
    InvokeVerb(node, "copy");
  } else if (IsDefaultKey(kdkPaste, code)) {
    // InvokeVerb refreshes the tree after the command.
    InvokeVerb(node, "paste");
  } else if (IsDefaultKey(kdkDelete, code) || IsDefaultKey(kdkDelete, code & ~scShift)) {
    // Shift+Del too: the shell's command decides what Shift means.
    InvokeVerb(node, "delete");
  } else {
    key = pressed;
  }
}

bool TKdCustomShellTree::WantSpecialKey(WORD key, TShiftState shift) {
  return TKdCustomTreeView::WantSpecialKey(key, shift) || IsEditing();
}

// ---- Verbs and the context menu --------------------------------------------------------------------------

HRESULT TKdCustomShellTree::InvokeVerb(TTreeNode *node, const std::string &verb) {
  TKdShTreeData *data = ShellData(node);
  if (!data || !node->Parent())
    return S_FALSE;
  IShellFolder *parent = data->GetParentFolder();
  if (!parent)
    OleCheck(E_FAIL);
  const HWND owner = ParentWindowHandle();
  // Where the shell's paste copies nothing (Wine), the files are transferred here; the transfer reports its
  // own failures.
  HRESULT pasted = S_OK;
  if (verb == "paste" && PasteFilesIntoFolder(owner, data->GetAbsIdList(), pasted)) {
    RefreshNodes();
    return pasted;
  }
  LPCITEMIDLIST item = data->RelIdList();
  ComPtr<IContextMenu> contextMenu;
  OleCheck(parent->GetUIObjectOf(owner, 1, &item, IID_IContextMenu, nullptr, contextMenu.PutVoid()));
  const HRESULT hr = InvokeContextCommand(owner, contextMenu.Get(), verb);
  RefreshNodes();
  return hr;
}

void TKdCustomShellTree::DoNodeContextMenu(TTreeNode *node, POINT &pos, TPopupMenu *&menu) {
  TKdCustomTreeView::DoNodeContextMenu(node, pos, menu);
  if (!FOptions.Contains(kdstoContextMenus) || !node)
    return;
  ShowShellContextMenu(node, pos);
  menu = nullptr;
}

void TKdCustomShellTree::ShowShellContextMenu(TTreeNode *node, POINT pos) {
  TKdShTreeData *data = ShellData(node);
  if (!data)
    return;
  LPCITEMIDLIST absolute = data->GetAbsIdList();
  IShellFolder *parent = data->GetParentFolder();
  // The desktop has no menu of its own.
  if (!parent || !absolute || absolute->mkid.cb == 0)
    return;
  const HWND owner = ParentWindowHandle();
  LPCITEMIDLIST item = data->RelIdList();
  UINT chosen = 0;
  ComPtr<IContextMenu> contextMenu;
  {
    // Refreshes asked for while the menu is up (by the disk, by the command run) wait for its end: the
    // node the menu belongs to must stay.
    FBusy = true;
    TAtExit done([this] {
      FBusy = false;
      FActiveContextMenu.Reset();
    });
    HMENU popup = nullptr;
    if (FAILED(GetItemContextMenu(owner, parent, 1, &item, ReadOnly() ? CMF_EXPLORE : CMF_EXPLORE | CMF_CANRENAME,
                                  kdFirstShellCommandId, contextMenu, popup)))
      return;
    TMenuHandle menu(popup);
    if (!menu)
      return;
    FActiveContextMenu = contextMenu;
    chosen = TrackPopup(menu.Get(), ClientToScreen(pos), TPM_RETURNCMD | TPM_RIGHTBUTTON);
    FActiveContextMenu.Reset();
    if (chosen >= kdFirstShellCommandId) {
      const UINT offset = chosen - kdFirstShellCommandId;
      if (IsRenameCommand(contextMenu.Get(), offset)) {
        node->EditText();
      } else {
        InvokeContextCommand(owner, contextMenu.Get(), offset);
        RefreshNodes();
      }
    } else if (chosen > 0) {
      SendNodeTo(node, chosen - 1);
    }
  }
  RunPendingRefresh();
}

void TKdCustomShellTree::SendNodeTo(TTreeNode *node, UINT entry) {
  TKdShTreeData *data = ShellData(node);
  if (!data)
    return;
  ComPtr<IDataObject> items = DataObjectInterface(new TDataObject_shtv(this, node));
  SendDataToEntry(entry, items.Get());
}

void TKdCustomShellTree::MenuMessage(TMessage &message) {
  if (FActiveContextMenu)
    ShellContextMenuMessage(message);
  else
    TKdCustomTreeView::MenuMessage(message);
}

void TKdCustomShellTree::ShellContextMenuMessage(TMessage &message) {
  TKdCustomTreeView::MenuMessage(message);
  ServeShellMenuMessage(message, FActiveContextMenu.Get(), FImages ? FImages->Handle() : nullptr, this, OnPopupHint);
}

// ---- Wheel -----------------------------------------------------------------------------------------------

bool TKdCustomShellTree::DoMouseWheelDown(TShiftState shift, POINT mousePos) {
  return WheelNotch(true, shift, mousePos);
}

bool TKdCustomShellTree::DoMouseWheelUp(TShiftState shift, POINT mousePos) {
  return WheelNotch(false, shift, mousePos);
}

bool TKdCustomShellTree::WheelNotch(bool down, TShiftState shift, POINT mousePos) {
  const bool handled =
      down ? TKdCustomTreeView::DoMouseWheelDown(shift, mousePos) : TKdCustomTreeView::DoMouseWheelUp(shift, mousePos);
  return ShellWheelNotch(this, down, handled, shift, mousePos, SB_VERT);
}
