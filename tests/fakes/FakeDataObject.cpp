#include "fakes/FakeDataObject.h"

#include <cstring>

namespace zortest {

ComPtr<FakeDataObject> FakeDataObject::Create(CLIPFORMAT format, std::vector<BYTE> bytes) {
  ComPtr<FakeDataObject> data(new FakeDataObject());
  data->FFormat = format;
  data->FBytes = std::move(bytes);
  return data;
}

HRESULT FakeDataObject::QueryInterface(REFIID riid, void **object) {
  if (riid == IID_IUnknown || riid == IID_IDataObject) {
    *object = static_cast<IDataObject *>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG FakeDataObject::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&FRefCount)); }

ULONG FakeDataObject::Release() {
  const LONG count = InterlockedDecrement(&FRefCount);
  if (count == 0)
    delete this;
  return static_cast<ULONG>(count);
}

HRESULT FakeDataObject::QueryGetData(FORMATETC *format) {
  return format->cfFormat == FFormat && (format->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
}

HRESULT FakeDataObject::GetData(FORMATETC *format, STGMEDIUM *medium) {
  if (QueryGetData(format) != S_OK)
    return DV_E_FORMATETC;
  // A zero-size block is handed out as the discarded handle GlobalAlloc gives for it.
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, FBytes.size());
  if (!block)
    return E_OUTOFMEMORY;
  if (!FBytes.empty()) {
    std::memcpy(GlobalLock(block), FBytes.data(), FBytes.size());
    GlobalUnlock(block);
  }
  medium->tymed = TYMED_HGLOBAL;
  medium->hGlobal = block;
  medium->pUnkForRelease = nullptr;
  return S_OK;
}

} // namespace zortest
