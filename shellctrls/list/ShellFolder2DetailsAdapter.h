#pragma once
// The column details of a shell folder as one interface, IShellDetails, whichever way the folder offers them.
#include <windows.h>

#include <shlobj.h>

#include "toolkit/ComObject.h"

template <> struct TInterfaceId<IShellDetails> {
  static const IID &Get() { return IID_IShellDetails; }
};

// IShellDetails over a folder's IShellFolder2. A column that is not shown by default fails like a column
// past the end, so a caller that walks the columns until the first failure stops before it.
class TShellFolder2ToShellDetailsAdapter : public TComObject<IShellDetails> {
public:
  explicit TShellFolder2ToShellDetailsAdapter(IShellFolder2 *folder);
  static ComPtr<IShellDetails> Create(IShellFolder2 *folder);

  HRESULT STDMETHODCALLTYPE GetDetailsOf(PCUITEMID_CHILD item, UINT column, SHELLDETAILS *details) override;
  HRESULT STDMETHODCALLTYPE ColumnClick(UINT column) override;

private:
  ComPtr<IShellFolder2> FFolder;
};

// The folder's column details: its IShellFolder2 through the adapter when that answers for column 0, else
// its own IShellDetails or the one of its view object; null when it has none.
ComPtr<IShellDetails> GetShellDetails(IShellFolder *folder);
