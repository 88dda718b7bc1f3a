#include "shellctrls/list/ShellFolder2DetailsAdapter.h"

#include "shellns/IdList.h"

ComPtr<IShellDetails> TShellFolder2ToShellDetailsAdapter::Create(IShellFolder2 *folder) {
  return MakeComObject<IShellDetails, TShellFolder2ToShellDetailsAdapter>(folder);
}

TShellFolder2ToShellDetailsAdapter::TShellFolder2ToShellDetailsAdapter(IShellFolder2 *folder)
    : FFolder(ComPtr<IShellFolder2>::AddRefed(folder)) {}

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
