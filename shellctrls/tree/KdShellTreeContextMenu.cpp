// The shell's context menu of a node of the shell tree.
#include "shellctrls/tree/KdCustomShellTree.h"

#include "shellctrls/commands/SendToMenu.h"

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
  // The desktop has no menu of its own.
  if (!absolute || absolute->mkid.cb == 0)
    return;
  TKdContextMenuChoices choices;
  choices.SendTo = [this, node](UINT entry) { SendNodeTo(node, entry); };
  choices.Rename = [node] { node->EditText(); };
  choices.CommandRan = [this] { RefreshNodes(); };
  FContextMenu.Show(*this, FGate, ParentWindowHandle(), data->GetParentFolder(), {data->RelIdList()},
                    ReadOnly() ? CMF_EXPLORE : CMF_EXPLORE | CMF_CANRENAME, pos, choices);
}

void TKdCustomShellTree::SendNodeTo(TTreeNode *node, UINT entry) {
  if (ShellData(node))
    SendDataToEntry(entry, NodeDataObject(node).Get());
}

void TKdCustomShellTree::MenuMessage(TMessage &message) {
  if (FContextMenu.Active())
    ShellContextMenuMessage(message);
  else
    TKdCustomTreeView::MenuMessage(message);
}

void TKdCustomShellTree::ShellContextMenuMessage(TMessage &message) {
  TKdCustomTreeView::MenuMessage(message);
  FContextMenu.Serve(message, FImages ? FImages->Handle() : nullptr, this, OnPopupHint);
}
