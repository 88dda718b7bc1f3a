#include "shellctrls/commands/ShellItemLookup.h"

#include "shellns/IdList.h"
#include "shellns/KdIdListArray.h"

namespace {

HRESULT ParseDesktopDirectory(TKdIdListPtr &list) {
  HRESULT hr = ParseDisplayNameToIdList(SpecialFolderPath(nullptr, CSIDL_DESKTOP), PidlOut(list));
  if (SUCCEEDED(hr) && !list)
    hr = E_FAIL;
  return hr;
}

// Copies of the ancestor one level up and of the last item; false for the empty list or when memory ran
// out.
bool CopyParentAndLast(LPCITEMIDLIST list, TKdIdListPtr &parent, TKdIdListPtr &item) {
  TKdIdListArray array(list);
  const int count = array.Count();
  if (count < 1)
    return false;
  parent.reset(IdListCopy(array.GetHead(1)));
  item.reset(IdListCopy(array.GetItem(count - 1)));
  return parent && item;
}

} // namespace

HRESULT SplitParentAndItem(LPCITEMIDLIST list, ComPtr<IShellFolder> &folder, LPITEMIDLIST &parent, LPITEMIDLIST &item) {
  folder.Reset();
  parent = nullptr;
  item = nullptr;

  TKdIdListPtr desktopDirectory;
  if (TKdIdListArray(list).Count() == 0) {
    HRESULT hr = ParseDesktopDirectory(desktopDirectory);
    if (FAILED(hr))
      return hr;
    list = desktopDirectory.get();
  }

  TKdIdListPtr parentCopy, itemCopy;
  const int count = TKdIdListArray(list).Count();
  if (count == 1) {
    itemCopy.reset(IdListCopy(list));
    if (!itemCopy)
      return E_OUTOFMEMORY;
    HRESULT hr = SHGetDesktopFolder(folder.Put());
    if (FAILED(hr))
      return hr;
    item = itemCopy.release();
    return hr;
  }
  if (count == 0)
    return E_FAIL; // the desktop directory parsed to the root itself: it has no parent to ask
  if (!CopyParentAndLast(list, parentCopy, itemCopy))
    return E_OUTOFMEMORY;
  HRESULT hr = BindToShellFolder(parentCopy.get(), folder);
  if (FAILED(hr)) {
    folder.Reset();
    return hr;
  }
  parent = parentCopy.release();
  item = itemCopy.release();
  return hr;
}

HRESULT GetItemUIObject(LPCITEMIDLIST list, REFIID riid, void **object) {
  *object = nullptr;
  ComPtr<IShellFolder> folder;
  TKdIdListPtr parent, item;
  HRESULT hr = SplitParentAndItem(list, folder, PidlOut(parent), PidlOut(item));
  if (FAILED(hr))
    return hr;
  LPCITEMIDLIST items[] = {item.get()};
  return folder->GetUIObjectOf(nullptr, 1, items, riid, nullptr, object);
}

HRESULT GetDesktopDirectoryDropTarget(ComPtr<IDropTarget> &target) {
  target.Reset();
  TKdIdListPtr list;
  HRESULT hr = ParseDesktopDirectory(list);
  if (FAILED(hr))
    return hr;
  return GetItemUIObject(list.get(), target);
}

HRESULT GetDesktopDirectoryParts(LPITEMIDLIST &parent, LPITEMIDLIST &item) {
  parent = nullptr;
  item = nullptr;
  TKdIdListPtr list;
  HRESULT hr = ParseDesktopDirectory(list);
  if (FAILED(hr))
    return hr;
  TKdIdListPtr parentCopy, itemCopy;
  if (!CopyParentAndLast(list.get(), parentCopy, itemCopy))
    return E_FAIL;
  parent = parentCopy.release();
  item = itemCopy.release();
  return S_OK;
}
