// How the shell tree answers the user: renaming a node in place through the shell, the default keys, verbs
// run on a node, the shell's context menu of a node, and the wheel.
#include "shellctrls/tree/KdCustomShellTree.h"

#include <utility>

#include "shellctrls/ShellScroll.h"
#include "shellctrls/commands/ContextMenuOperations.h"
#include "shellctrls/commands/KdDefaultKeys.h"
#include "shellctrls/commands/SendToMenu.h"
#include "shellctrls/commands/ShellItemLookup.h"
#include "shellctrls/commands/ShellItemRename.h"
#include "shellctrls/dragdrop/FileTransfer.h"
#include "shellctrls/dragdrop/ShellDataObject.h"
#include "shellctrls/list/KdCustomShellList.h"
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
  ShowNameForEditing(reinterpret_cast<HWND>(SendMessageW(WindowHandle(), TVM_GETEDITCONTROL, 0, 0)),
                     data->GetParentFolder(), data->RelIdList());
  return true;
}

void TKdCustomShellTree::Edit(TTreeNode *node, const std::optional<std::string> &text) {
  if (text) {
    if (ShellData(node))
      RenameNode(node, *text);
    else
      TKdCustomTreeView::Edit(node, TrimItemName(*text));
  }
  // What the edit held back runs once the control is done with the edit and its node, also after a
  // cancelled one.
  FGate.EditEnded();
}

void TKdCustomShellTree::RenameNode(TTreeNode *node, const std::string &typed) {
  TKdShTreeData *data = ShellData(node);
  std::string name = TrimItemName(typed);
  if (OnEdited)
    OnEdited(this, node, name);
  IShellFolder *parent = data->GetParentFolder();
  if (!parent)
    return;
  TChangeLockScope lock(*this);
  TKdIdListPtr renamed;
  std::string caption;
  if (FAILED(RenameInPlace(FGate, ParentWindowHandle(), parent, data->RelIdList(), data->GetPath(), name, renamed,
                           caption)))
    return;
  node->SetText(caption);
  if (renamed) {
    ResetDescendantCaches(node);
    data->SetRelIdList(std::move(renamed));
    // The folder shown changed its name when it is this node or lies below it; a node renamed from its
    // context menu need not be the selected one, and the tree goes on showing the folder it showed.
    TTreeNode *selected = Selected();
    TKdShTreeData *shown = ShellData(selected);
    if (shown && IsSelfOrAncestorOf(node, selected)) {
      FCurrentFolder.SetIdList(shown->GetAbsIdList());
      if (FShellList)
        FShellList->Folder().SetIdList(shown->GetAbsIdList());
    }
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
