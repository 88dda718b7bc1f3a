#include "shellctrls/tree/KdShTreeData.h"

#include <utility>

#include "shellctrls/commands/ShellItemLookup.h"
#include "shellns/KdIdListArray.h"
#include "toolkit/SysUtils.h"

namespace {

TKdIdListPtr Checked(TKdIdListPtr list) {
  if (!list)
    OleCheck(E_OUTOFMEMORY);
  return list;
}

// What CanRename asks of the parent: everything the item's context menu would, of which only the rename
// bit is read.
constexpr SFGAOF RenameQueryMask = SFGAO_FILESYSTEM | SFGAO_DROPTARGET | SFGAO_HASPROPSHEET | SFGAO_CANDELETE |
                                   SFGAO_CANRENAME | SFGAO_CANLINK | SFGAO_CANMOVE | SFGAO_CANCOPY;

} // namespace

void TKdShTreeData::InitIdLists(TKdShTreeData *parentData, LPCITEMIDLIST list) {
  if (parentData) {
    InitIdLists(parentData, Checked(IdListCopy(list)));
    return;
  }
  FParentData = nullptr;
  FAbsIdList.reset();
  TKdIdListArray items(list);
  const int count = items.Count();
  FRelIdList = Checked(IdListCopy(count > 0 ? items.GetItem(count - 1) : list));
  if (list)
    FAbsIdList = Checked(IdListCopy(list));
}

void TKdShTreeData::InitIdLists(TKdShTreeData *parentData, TKdIdListPtr relList) {
  FParentData = parentData;
  FAbsIdList.reset();
  FRelIdList = std::move(relList);
}

LPCITEMIDLIST TKdShTreeData::GetAbsIdList() {
  if (!FAbsIdList) {
    if (FParentData)
      FAbsIdList = Checked(IdListConcat(FParentData->GetAbsIdList(), FRelIdList.get()));
    else
      FAbsIdList = Checked(IdListCopy(FRelIdList.get()));
  }
  return FAbsIdList.get();
}

IShellFolder *TKdShTreeData::GetFolder() {
  if (FFolder)
    return FFolder.Get();
  LPCITEMIDLIST abs = GetAbsIdList();
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
  HRESULT hr = SplitParentAndItem(GetAbsIdList(), FParentFolder, parent, item);
  if (FAILED(hr))
    FParentFolder.Reset();
  return FParentFolder.Get();
}

bool TKdShTreeData::CanRename() {
  LPCITEMIDLIST abs = GetAbsIdList();
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

void TKdShTreeData::SetRelIdList(TKdIdListPtr list) {
  FAbsIdList.reset();
  FFolder.Reset();
  FRelIdList = Checked(std::move(list));
  FAbsIdList = Checked(IdListConcat(FParentData ? FParentData->GetAbsIdList() : nullptr, FRelIdList.get()));
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
  if (LPCITEMIDLIST abs = GetAbsIdList())
    return GetItemUIObject(abs, target);
  return GetDesktopDirectoryDropTarget(target);
}
