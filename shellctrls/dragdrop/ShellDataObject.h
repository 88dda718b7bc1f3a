#pragma once
// The data objects the shell tree and list hand to OLE when their items are dragged or sent somewhere: a
// snapshot, taken when the object is made, of the items as a "Shell IDList Array" and as CF_HDROP paths.
// Every GetData hands out a fresh copy, so the object serves any number of requests during and after a drag.
#include <windows.h>

#include <ole2.h>
#include <shlobj.h>

#include "shellctrls/dragdrop/KdFormatEtcList.h"
#include "toolkit/ComPtr.h"

class TKdCustomShellList;
class TKdCustomShellTree;
class TTreeNode;

class TKdShellDataObject : public IDataObject {
public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

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

protected:
  TKdShellDataObject() = default;
  virtual ~TKdShellDataObject();
  TKdShellDataObject(const TKdShellDataObject &) = delete;
  TKdShellDataObject &operator=(const TKdShellDataObject &) = delete;

  // Builds both blocks and offers the formats of those that could be built.
  void Fill(LPCITEMIDLIST parent, IShellFolder *folder, const std::vector<LPCITEMIDLIST> &items);

private:
  LONG FRefCount = 0;
  HGLOBAL FHDropData = nullptr;
  HGLOBAL FIdListData = nullptr;
  TKdFormatEtcList FFormatList;
};

// One node of the tree. A node without a parent node (a root) offers nothing: its parent folder is not
// in the tree.
class TDataObject_shtv : public TKdShellDataObject {
public:
  TDataObject_shtv(TKdCustomShellTree *tree, TTreeNode *node);
};

// The selected shell rows of the list, in row order. No selected shell row: nothing offered.
class TDataObject_shlv : public TKdShellDataObject {
public:
  explicit TDataObject_shlv(TKdCustomShellList *list);
};

// The object's IDataObject, holding the first reference.
ComPtr<IDataObject> DataObjectInterface(TKdShellDataObject *object);
