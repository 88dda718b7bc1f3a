#include "shellctrls/dragdrop/ShellDataObject.h"

#include <string>
#include <vector>

#include "shellctrls/list/KdCustomShellList.h"
#include "shellctrls/tree/KdCustomShellTree.h"
#include "shellctrls/dragdrop/ShellTransferBlocks.h"
#include "shellctrls/UKdShellControls.h"
#include "toolkit/SysUtils.h"

TKdShellDataObject::~TKdShellDataObject() {
  if (FHDropData)
    GlobalFree(FHDropData);
  if (FIdListData)
    GlobalFree(FIdListData);
}

void TKdShellDataObject::Fill(LPCITEMIDLIST parent, IShellFolder *folder, const std::vector<LPCITEMIDLIST> &items) {
  if (items.empty())
    return;
  BuildShellIDListArray(parent, items, FIdListData);
  std::vector<std::wstring> paths;
  paths.reserve(items.size());
  for (LPCITEMIDLIST item : items)
    paths.push_back(Utf8ToWide(GetItemDisplayName(folder, item, dnForParsing)));
  BuildHDrop(paths, FHDropData);
  if (FIdListData) {
    const CLIPFORMAT format = static_cast<CLIPFORMAT>(CF_IDLIST);
    FFormatList.AddFormats(&format, 0);
  }
  if (FHDropData) {
    const CLIPFORMAT format = CF_HDROP;
    FFormatList.AddFormats(&format, 0);
  }
}

HRESULT TKdShellDataObject::QueryInterface(REFIID riid, void **object) {
  if (!object)
    return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDataObject) {
    *object = static_cast<IDataObject *>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG TKdShellDataObject::AddRef() { return static_cast<ULONG>(++FRefCount); }

ULONG TKdShellDataObject::Release() {
  const LONG count = --FRefCount;
  if (count == 0)
    delete this;
  return static_cast<ULONG>(count);
}

HRESULT TKdShellDataObject::QueryGetData(FORMATETC *format) {
  if (!format)
    return E_INVALIDARG;
  return FFormatList.QueryFormat(*format);
}

HRESULT TKdShellDataObject::GetData(FORMATETC *format, STGMEDIUM *medium) {
  if (!format || !medium)
    return E_INVALIDARG;
  HRESULT hr = QueryGetData(format);
  if (FAILED(hr))
    return hr;
  medium->tymed = TYMED_HGLOBAL;
  medium->pUnkForRelease = nullptr;
  medium->hGlobal = nullptr;
  HGLOBAL source = nullptr;
  if (format->cfFormat == CF_IDLIST)
    source = FIdListData;
  else if (format->cfFormat == CF_HDROP)
    source = FHDropData;
  else
    return DV_E_FORMATETC;
  medium->hGlobal = DuplicateGlobalBlock(source);
  return medium->hGlobal ? S_OK : E_OUTOFMEMORY;
}

HRESULT TKdShellDataObject::GetCanonicalFormatEtc(FORMATETC *, FORMATETC *out) {
  if (out)
    out->ptd = nullptr;
  return E_NOTIMPL;
}

HRESULT TKdShellDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC **out) {
  if (!out)
    return E_POINTER;
  if (direction != DATADIR_GET) {
    *out = nullptr;
    return E_NOTIMPL;
  }
  *out = FFormatList.NewEnumerator(static_cast<IDataObject *>(this));
  (*out)->AddRef();
  return S_OK;
}

TDataObject_shtv::TDataObject_shtv(TKdCustomShellTree *, TTreeNode *node) {
  TKdShTreeData *data = TKdCustomShellTree::ShellData(node);
  if (!data || !data->ParentData())
    return;
  Fill(data->ParentData()->GetAbsIdList(), data->GetParentFolder(), {data->RelIdList()});
}

TDataObject_shlv::TDataObject_shlv(TKdCustomShellList *list) {
  std::vector<LPCITEMIDLIST> items;
  for (TListItem *row = list->GetNextItem(nullptr, sdAll, isSelected); row;
       row = list->GetNextItem(row, sdAll, isSelected))
    if (TKdShListData *data = TKdCustomShellList::ShellData(row))
      items.push_back(data->RelIdList());
  Fill(list->CurrentIdList(), list->ShellFolder(), items);
}

ComPtr<IDataObject> DataObjectInterface(TKdShellDataObject *object) {
  ComPtr<IDataObject> result;
  object->QueryInterface(IID_IDataObject, result.PutVoid());
  return result;
}
