#pragma once
// The data objects the shell tree and list hand to OLE when their items are dragged or sent somewhere: a
// snapshot, taken when the object is made, of the items as a "Shell IDList Array" and as CF_HDROP paths.
// Every GetData hands out a fresh copy, so the object serves any number of requests during and after a drag.
#include <windows.h>

#include <ole2.h>
#include <shlobj.h>

#include <vector>

#include "shellctrls/dragdrop/KdFormatEtcList.h"
#include "toolkit/ComObject.h"
#include "toolkit/Handles.h"

class IKdShellFolderContext;

class TKdShellDataObject : public TComObject<IDataObject> {
public:
  // items: relative to folder, whose absolute list is parent (null: the desktop). No items: nothing offered.
  TKdShellDataObject(LPCITEMIDLIST parent, IShellFolder *folder, const std::vector<LPCITEMIDLIST> &items);

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC *format, STGMEDIUM *medium) override;
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC *, STGMEDIUM *) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC *format) override;
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC *in, FORMATETC *out) override;
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC *, STGMEDIUM *, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC **out) override;
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC *, DWORD, IAdviseSink *, DWORD *) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA **) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
  TGlobalBlock FHDropData;
  TGlobalBlock FIdListData;
  TKdFormatEtcList FFormatList;
};

// One node of the tree: item within its parent's folder. The root (no parent node) is never handed over.
class TDataObject_shtv : public TKdShellDataObject {
public:
  TDataObject_shtv(LPCITEMIDLIST parent, IShellFolder *parentFolder, LPCITEMIDLIST item)
      : TKdShellDataObject(parent, parentFolder, {item}) {}
};

// Rows of the list (its selected shell rows, in row order) within the folder the list shows.
class TDataObject_shlv : public TKdShellDataObject {
public:
  TDataObject_shlv(const IKdShellFolderContext &folder, const std::vector<LPCITEMIDLIST> &items);
};
