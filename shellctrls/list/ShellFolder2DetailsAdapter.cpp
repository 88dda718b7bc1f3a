#include "shellctrls/list/ShellFolder2DetailsAdapter.h"

#include "shellns/IdList.h"

ComPtr<IShellDetails> TShellFolder2ToShellDetailsAdapter::Create(IShellFolder2 *folder) {
  return ComPtr<IShellDetails>(static_cast<IShellDetails *>(new TShellFolder2ToShellDetailsAdapter(folder)));
}

TShellFolder2ToShellDetailsAdapter::TShellFolder2ToShellDetailsAdapter(IShellFolder2 *folder)
    : FFolder(ComPtr<IShellFolder2>::AddRefed(folder)) {}

HRESULT TShellFolder2ToShellDetailsAdapter::QueryInterface(REFIID riid, void **object) {
  if (!object)
    return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IShellDetails) {
    *object = static_cast<IShellDetails *>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG TShellFolder2ToShellDetailsAdapter::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&FRefCount)); }

ULONG TShellFolder2ToShellDetailsAdapter::Release() {
  LONG count = InterlockedDecrement(&FRefCount);
  if (count == 0)
    delete this;
  return static_cast<ULONG>(count);
}

HRESULT TShellFolder2ToShellDetailsAdapter::GetDetailsOf(PCUITEMID_CHILD item, UINT column, SHELLDETAILS *details) {
  SHCOLSTATEF state = 0;
  HRESULT hr = FFolder->GetDefaultColumnState(column, &state);
  if (SUCCEEDED(hr) && !(state & SHCOLSTATE_ONBYDEFAULT))
    return E_INVALIDARG;
  return FFolder->GetDetailsOf(item, column, details);
}

HRESULT TShellFolder2ToShellDetailsAdapter::ColumnClick(UINT) { return E_NOTIMPL; }

ComPtr<IShellDetails> GetShellDetails(IShellFolder *folder) {
  ComPtr<IShellDetails> details;
  if (!folder)
    return details;
  ComPtr<IShellFolder2> folder2;
  if (SUCCEEDED(folder->QueryInterface(IID_IShellFolder2, folder2.PutVoid()))) {
    SHELLDETAILS probe = {};
    if (SUCCEEDED(folder2->GetDetailsOf(nullptr, 0, &probe))) {
      FreeStrRet(probe.str);
      return TShellFolder2ToShellDetailsAdapter::Create(folder2.Get());
    }
    if (SUCCEEDED(folder->QueryInterface(IID_IShellDetails, details.PutVoid())))
      return details;
  }
  if (FAILED(folder->CreateViewObject(nullptr, IID_IShellDetails, details.PutVoid())))
    details.Reset();
  return details;
}
