#include "shellctrls/dragdrop/ShellDataObject.h"

#include <string>

#include "shellctrls/KdShellFolderContext.h"
#include "shellctrls/dragdrop/ClipboardFormats.h"
#include "shellctrls/dragdrop/ShellTransferBlocks.h"
#include "shellns/IdList.h"
#include "toolkit/SysUtils.h"

TKdShellDataObject::TKdShellDataObject(LPCITEMIDLIST parent, IShellFolder *folder,
                                       const std::vector<LPCITEMIDLIST> &items) {
  if (items.empty())
    return;
  FIdListData = BuildShellIDListArray(parent, items);
  std::vector<std::wstring> paths;
  paths.reserve(items.size());
  for (LPCITEMIDLIST item : items)
    paths.push_back(Utf8ToWide(GetItemDisplayName(folder, item, dnForParsing)));
  FHDropData = BuildHDrop(paths);
  if (FIdListData) {
    const CLIPFORMAT format = static_cast<CLIPFORMAT>(CF_IDLIST);
    FFormatList.AddFormats(&format, 0);
  }
  if (FHDropData) {
    const CLIPFORMAT format = CF_HDROP;
    FFormatList.AddFormats(&format, 0);
  }
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
    source = FIdListData.Get();
  else if (format->cfFormat == CF_HDROP)
    source = FHDropData.Get();
  else
    return DV_E_FORMATETC;
  // The medium is the caller's to release.
  medium->hGlobal = DuplicateGlobalBlock(source).Release();
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
  *out = nullptr;
  if (direction != DATADIR_GET)
    return E_NOTIMPL;
  *out = FFormatList.NewEnumerator(static_cast<IDataObject *>(this)).Detach();
  return S_OK;
}

TDataObject_shlv::TDataObject_shlv(const IKdShellFolderContext &folder, const std::vector<LPCITEMIDLIST> &items)
    : TKdShellDataObject(folder.CurrentIdList(), folder.ShellFolder(), items) {}
