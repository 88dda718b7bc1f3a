#include "shellctrls/tree/KdShTreeData.h"

#include "shellctrls/commands/ShellItemLookup.h"
#include "shellns/KdIdListArray.h"
#include "toolkit/SysUtils.h"

namespace {

TKdIdListPtr CheckedCopy(LPITEMIDLIST list) {
  if (!list)
    OleCheck(E_OUTOFMEMORY);
  return TKdIdListPtr(list);
}

// What CanRename asks of the parent: everything the item's context menu would, of which only the rename
// bit is read.
constexpr SFGAOF RenameQueryMask = SFGAO_FILESYSTEM | SFGAO_DROPTARGET | SFGAO_HASPROPSHEET | SFGAO_CANDELETE |
                                   SFGAO_CANRENAME | SFGAO_CANLINK | SFGAO_CANMOVE | SFGAO_CANCOPY;

} // namespace

void TKdShTreeData::InitIdLists(TKdShTreeData *parentData, LPCITEMIDLIST list) {
  FParentData = parentData;
  FAbsIdList.reset();
  if (parentData) {
    FRelIdList = CheckedCopy(IdListCopy(list));
    return;
  }
  TKdIdListArray items(list);
  const int count = items.Count();
  FRelIdList = CheckedCopy(IdListCopy(count > 0 ? items.GetItem(count - 1) : list));
  if (list)
    FAbsIdList = CheckedCopy(IdListCopy(list));
}

LPITEMIDLIST TKdShTreeData::GetAbsIdList() {
  if (!FAbsIdList) {
    if (FParentData)
      FAbsIdList = CheckedCopy(IdListConcat(nullptr, FParentData->GetAbsIdList(), FRelIdList.get()));
    else
      FAbsIdList = CheckedCopy(IdListCopy(FRelIdList.get()));
  }
  return FAbsIdList.get();
}

IShellFolder *TKdShTreeData::GetFolder() {
  if (FFolder)
    return FFolder.Get();
  LPITEMIDLIST abs = GetAbsIdList();
  if (abs && abs->mkid.cb) {
    if (IShellFolder *parent = GetParentFolder())
      if (FAILED(parent->BindToObject(FRelIdList.get(), nullptr, IID_IShellFolder, FFolder.PutVoid())))
        FFolder.Reset();
  } else {
    // The desktop is the one item that is its own folder; it has no parent to bind it from.
    OleCheck(SHGetDesktopFolder(FFolder.Put()));
  }
  return FFolder.Get();
}

IShellFolder *TKdShTreeData::GetParentFolder() {
  if (FParentData)
    return FParentData->GetFolder();
  FParentFolder.Reset();
  TKdIdListPtr parent, item;
  HRESULT hr = SplitParentAndItem(GetAbsIdList(), FParentFolder, PidlOut(parent), PidlOut(item));
  if (FAILED(hr))
    FParentFolder.Reset();
  return FParentFolder.Get();
}

bool TKdShTreeData::CanRename() {
  LPITEMIDLIST abs = GetAbsIdList();
  if (!abs || abs->mkid.cb == 0 || !FParentData)
    return false;
  IShellFolder *parent = GetParentFolder();
  if (!parent)
    return false;
  SFGAOF attributes = RenameQueryMask;
  LPCITEMIDLIST items[] = {FRelIdList.get()};
  return SUCCEEDED(parent->GetAttributesOf(1, items, &attributes)) && (attributes & SFGAO_CANRENAME);
}

std::string TKdShTreeData::GetPath() { return IdListToPath(GetAbsIdList()); }

void TKdShTreeData::SetRelIdList(LPCITEMIDLIST list) {
  TKdIdListPtr copy = CheckedCopy(IdListCopy(list));
  FAbsIdList.reset();
  FFolder.Reset();
  FRelIdList = std::move(copy);
  FAbsIdList =
      CheckedCopy(IdListConcat(nullptr, FParentData ? FParentData->GetAbsIdList() : nullptr, FRelIdList.get()));
}

void TKdShTreeData::ResetCache() {
  FAbsIdList.reset();
  FFolder.Reset();
}

HRESULT TKdShTreeData::GetDropTarget(HWND owner, ComPtr<IDropTarget> &target) {
  target.Reset();
  if (FParentData) {
    IShellFolder *parent = FParentData->GetFolder();
    if (!parent)
      return E_FAIL;
    LPCITEMIDLIST items[] = {FRelIdList.get()};
    return parent->GetUIObjectOf(owner, 1, items, IID_IDropTarget, nullptr, target.PutVoid());
  }
  if (LPITEMIDLIST abs = GetAbsIdList())
    return GetItemUIObject(abs, target);
  return GetDesktopDirectoryDropTarget(target);
}
