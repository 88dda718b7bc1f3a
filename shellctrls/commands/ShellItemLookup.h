#pragma once
// Lookups on absolute ID lists that the shell tree and list share: an item's parent folder and last item,
// an item's UI objects (context menu, drop target), and the file-system desktop directory.
#include <windows.h>

#include <shlobj.h>

#include "shellns/IdList.h"
#include "toolkit/ComPtr.h"

// Splits an absolute list into the parent's folder, a copy of the parent's absolute list (null for an item
// directly on the desktop) and a copy of the last item. The desktop itself (null or empty) stands for the file-system
// desktop directory, since the namespace root has no parent. On failure every output is null.
HRESULT SplitParentAndItem(LPCITEMIDLIST list, ComPtr<IShellFolder> &folder, TKdIdListPtr &parent, TKdIdListPtr &item);

// The parent folder's GetUIObjectOf for the item alone, with no owner window.
HRESULT GetItemUIObject(LPCITEMIDLIST list, REFIID riid, void **object);
template <class T> HRESULT GetItemUIObject(LPCITEMIDLIST list, ComPtr<T> &object) {
  return GetItemUIObject(list, __uuidof(T), object.PutVoid());
}

// The drop target of the file-system desktop directory.
HRESULT GetDesktopDirectoryDropTarget(ComPtr<IDropTarget> &target);

// Copies of the parent's absolute list and of the last item of the file-system desktop directory; both null on
// failure.
HRESULT GetDesktopDirectoryParts(TKdIdListPtr &parent, TKdIdListPtr &item);
