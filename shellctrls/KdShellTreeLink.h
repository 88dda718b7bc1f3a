#pragma once
// What the shell list asks of the shell tree it is linked to. The tree implements this and hands itself to
// the list (TKdCustomShellList::SetShellTree) when its ShellList is set; the list needs nothing else of the
// tree's classes.
#include <windows.h>

#include <shlobj.h>

class TComponent;
class TKdShellLocator;
class TTreeNode;

class IKdShellTreeLink {
public:
  // The component that implements the link: the list asks it for a free notification and drops the link
  // when it goes.
  virtual TComponent *LinkComponent() = 0;
  // Selects the node of an absolute list (null: the desktop), building the way to it.
  virtual void SelectIdList(LPCITEMIDLIST absIdList) = 0;
  // The folder of the selected node. Setting it moves the selection, and the tree then lets the list follow
  // (FollowTreeNode).
  virtual TKdShellLocator &CurrentFolder() = 0;
  // Selects the ancestor that many levels up (the desktop at most).
  virtual void GoUp(int levels) = 0;
  // Runs a selection follow-up that the tree is still holding back (after arrow keys) now.
  virtual void FlushChange() = 0;
  // The absolute list of a shell node, owned by the tree (null or empty for the desktop); false for a node
  // that is no shell node.
  virtual bool AbsIdListOf(TTreeNode *node, LPCITEMIDLIST &absIdList) = 0;

protected:
  ~IKdShellTreeLink() = default;
};
