#pragma once
// Which of the children a view shows of a folder a fresh listing of that folder still names: the one way the
// shell tree and the shell list bring a folder up to date.
//
// An unchanged item nearly always comes back with the very bytes it had, which a byte comparison finds far more
// cheaply than the folder's; the folder's CompareIDs pairs what is left (an item whose bytes now carry a new
// date, the items of a virtual folder that spells them anew).
#include <windows.h>

#include <shlobj.h>

#include <vector>

#include "shellns/IdList.h"

struct TKdChildMatch {
  // For every shown child, the index of the fresh item that names it, or -1: it vanished.
  std::vector<int> FreshOf;
  // For every fresh item, whether a shown child names it; one that none does is new.
  std::vector<bool> Shown;
  // For every shown child, whether its fresh item has other bytes than the child's list (only the folder could
  // pair them): a view that keeps the child should take the fresh list.
  std::vector<bool> Renewed;
};

// Pairs shown (lists relative to folder, lent) with fresh (a new listing of folder); each fresh item pairs with
// one child at most. Without a folder only equal bytes pair.
TKdChildMatch MatchChildren(IShellFolder *folder, const std::vector<LPCITEMIDLIST> &shown,
                            const std::vector<TKdIdListPtr> &fresh);
