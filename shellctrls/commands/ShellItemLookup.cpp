#include "shellctrls/commands/ShellItemLookup.h"

#include <utility>

#include "shellns/IdList.h"
#include "shellns/KdIdListArray.h"

namespace {

HRESULT ParseDesktopDirectory(TKdIdListPtr &list) {
  HRESULT hr = ParseDisplayNameToIdList(SpecialFolderPath(nullptr, CSIDL_DESKTOP), list);
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
  parent = IdListCopy(array.GetHead(1));
  item = IdListCopy(array.GetItem(count - 1));
  return parent && item;
}

} // namespace

HRESULT SplitParentAndItem(LPCITEMIDLIST list, ComPtr<IShellFolder> &folder, TKdIdListPtr &parent, TKdIdListPtr &item) {
  folder.Reset();
  parent.reset();
  item.reset();

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
    itemCopy = IdListCopy(list);
    if (!itemCopy)
      return E_OUTOFMEMORY;
    HRESULT hr = SHGetDesktopFolder(folder.Put());
    if (FAILED(hr))
      return hr;
    item = std::move(itemCopy);
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
  parent = std::move(parentCopy);
  item = std::move(itemCopy);
  return hr;
}

HRESULT GetItemUIObject(LPCITEMIDLIST list, REFIID riid, void **object) {
  *object = nullptr;
  ComPtr<IShellFolder> folder;
  TKdIdListPtr parent, item;
  HRESULT hr = SplitParentAndItem(list, folder, parent, item);
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

HRESULT GetDesktopDirectoryParts(TKdIdListPtr &parent, TKdIdListPtr &item) {
  parent.reset();
  item.reset();
  TKdIdListPtr list;
  HRESULT hr = ParseDesktopDirectory(list);
  if (FAILED(hr))
    return hr;
  if (!CopyParentAndLast(list.get(), parent, item)) {
    parent.reset();
    item.reset();
    return E_FAIL;
  }
  return S_OK;
}
