#pragma once
// A data object as another program might drop it: one format in global memory with whatever bytes the test
// chooses, well-formed or not.
#include <windows.h>

#include <ole2.h>

#include <vector>

#include "toolkit/ComPtr.h"

namespace zortest {

class FakeDataObject : public IDataObject {
public:
  static ComPtr<FakeDataObject> Create(CLIPFORMAT format, std::vector<BYTE> bytes);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC *format, STGMEDIUM *medium) override;
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC *, STGMEDIUM *) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC *format) override;
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC *, FORMATETC *) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC *, STGMEDIUM *, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC **) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC *, DWORD, IAdviseSink *, DWORD *) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA **) override { return E_NOTIMPL; }

private:
  FakeDataObject() = default;
  virtual ~FakeDataObject() = default;
  LONG FRefCount = 1;
  CLIPFORMAT FFormat = 0;
  std::vector<BYTE> FBytes;
};

} // namespace zortest
