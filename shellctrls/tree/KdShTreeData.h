#pragma once
// TKdShTreeData: what a node of the shell tree knows of its shell item. It owns the item's ID lists and
// caches the folder objects through which the item is enumerated, named and dropped on. A node is a shell
// node exactly when its Data is one of these.
#include <windows.h>

#include <shlobj.h>

#include <string>

#include "shellns/IdList.h"
#include "toolkit/ComPtr.h"
#include "toolkit/Component.h"

class TKdShTreeData : public TObject {
public:
  TKdShTreeData() = default;
  ~TKdShTreeData() override = default;
  TKdShTreeData(const TKdShTreeData &) = delete;
  TKdShTreeData &operator=(const TKdShTreeData &) = delete;

  // With parentData, list is relative to the parent's folder. Without, list is absolute and names a root
  // (null or empty: the desktop); the root keeps the whole list, since nothing above it knows the rest.
  void InitIdLists(TKdShTreeData *parentData, LPCITEMIDLIST list);
  // A child of parentData, taking relList (relative to the parent's folder) over.
  void InitIdLists(TKdShTreeData *parentData, TKdIdListPtr relList);

  TKdShTreeData *ParentData() const { return FParentData; }
  // The item relative to its parent's folder (a root: its last item, or the empty list for the desktop).
  LPCITEMIDLIST RelIdList() const { return FRelIdList.get(); }

  // The absolute list, built from the parent's on first use.
  LPCITEMIDLIST GetAbsIdList();
  // The item as a folder, bound on first use; null when it cannot be bound.
  IShellFolder *GetFolder();
  // The folder RelIdList is relative to; null when it cannot be bound. A root binds it anew on every call.
  IShellFolder *GetParentFolder();
  // Whether the shell lets the item take a new name (roots and the desktop never do).
  bool CanRename();
  // File-system path, "" for virtual items.
  std::string GetPath();
  // The item under another relative list (after a rename: its new name); the absolute list is rebuilt from the
  // parent's.
  void SetRelIdList(TKdIdListPtr list);
  // Forgets the absolute list and the folder, which a rename above this node has made stale.
  void ResetCache();
  HRESULT GetDropTarget(HWND owner, ComPtr<IDropTarget> &target);

  // The root's folder, handed over by the tree that bound it.
  void SetFolder(IShellFolder *folder) { FFolder = ComPtr<IShellFolder>::AddRefed(folder); }

private:
  TKdShTreeData *FParentData = nullptr;
  TKdIdListPtr FRelIdList;
  TKdIdListPtr FAbsIdList;
  ComPtr<IShellFolder> FFolder;
  ComPtr<IShellFolder> FParentFolder;
};
