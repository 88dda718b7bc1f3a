#pragma once
// A shell folder of made-up items for what the real shell cannot be made to do on demand: answer display
// names in a chosen STRRET form (or only when offered a given form), order items by a chosen rule per
// column, report chosen attributes, describe chosen detail columns (IShellFolder2), break off an enumeration.
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "toolkit/ComPtr.h"

namespace zortest {

class FakeShellFolder : public IShellFolder2 {
public:
  // How GetDisplayNameOf answers.
  enum class NameMode {
    Wide,            // STRRET_WSTR with a task-allocated copy of the name
    Offset,          // STRRET_OFFSET pointing at the name inside the item's own bytes
    CStr,            // STRRET_CSTR with the name in the inline buffer
    CStrWhenOffered, // fails unless the caller preset uType to STRRET_CSTR, then answers as CStr
    Fail,            // always E_FAIL
  };

  struct Item {
    std::string Name;
    SFGAOF Attributes = 0;
  };

  // A new fake held by the returned pointer alone.
  static ComPtr<FakeShellFolder> Create();

  // A relative single-item list for name in this fake's format (caller frees it with ShellMemFree):
  // count, the marker bytes 'Z' 'F', the name, a zero, then the terminator.
  static LPITEMIDLIST MakeItemIdList(const std::string &name);
  // The name inside one of the fake's items ("" for anything else).
  static std::string NameOf(LPCITEMIDLIST item);

  // A detail column; with none, the folder has no IShellFolder2.
  struct Column {
    std::string Caption;
    bool OnByDefault = true;
    int Format = LVCFMT_LEFT;
  };

  std::vector<Item> Items;
  std::vector<Column> Columns;
  // The text of an item's detail column (IShellFolder2::GetDetailsOf).
  std::function<std::string(const std::string &name, int column)> ColumnText;
  // When set, CompareIDs orders by it for the column asked (instead of CompareNames).
  std::function<int(int column, const std::string &a, const std::string &b)> CompareColumn;
  // When 0 or more, an enumeration hands out at most that many items before it ends (with EnumEndResult).
  int EnumLimit = -1;
  NameMode Mode = NameMode::Wide;
  // What GetDisplayNameOf puts in front of the name per SHGDN_ flags (lets tests tell the kinds apart).
  std::function<std::string(const std::string &name, SHGDNF flags)> DisplayName;
  // What EnumObjects answers (a failure gives no enumerator), and what the enumerator's Next answers once
  // the items are done (S_FALSE: the normal end).
  HRESULT EnumObjectsResult = S_OK;
  HRESULT EnumEndResult = S_FALSE;
  // What GetAttributesOf answers once it has filled in the attributes.
  HRESULT AttributesResult = S_OK;
  // CompareIDs result for two names (negative, zero, positive); by default plain byte order of the names.
  std::function<int(const std::string &a, const std::string &b)> CompareNames;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IShellFolder
  HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND, IBindCtx *, LPWSTR name, ULONG *eaten, PIDLIST_RELATIVE *list,
                                             ULONG *attributes) override;
  HRESULT STDMETHODCALLTYPE EnumObjects(HWND, SHCONTF flags, IEnumIDList **enumerator) override;
  HRESULT STDMETHODCALLTYPE BindToObject(PCUIDLIST_RELATIVE, IBindCtx *, REFIID, void **object) override;
  HRESULT STDMETHODCALLTYPE BindToStorage(PCUIDLIST_RELATIVE, IBindCtx *, REFIID, void **object) override;
  HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM column, PCUIDLIST_RELATIVE a, PCUIDLIST_RELATIVE b) override;
  HRESULT STDMETHODCALLTYPE CreateViewObject(HWND, REFIID, void **object) override;
  HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT count, PCUITEMID_CHILD_ARRAY items, SFGAOF *attributes) override;
  HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND, UINT, PCUITEMID_CHILD_ARRAY, REFIID, UINT *, void **object) override;
  HRESULT STDMETHODCALLTYPE GetDisplayNameOf(PCUITEMID_CHILD item, SHGDNF flags, STRRET *name) override;
  HRESULT STDMETHODCALLTYPE SetNameOf(HWND, PCUITEMID_CHILD, LPCWSTR, SHGDNF, PITEMID_CHILD *) override;

  // IShellFolder2: the column descriptions and texts; the rest is not implemented.
  HRESULT STDMETHODCALLTYPE GetDefaultSearchGUID(GUID *) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumSearches(IEnumExtraSearch **) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetDefaultColumn(DWORD, ULONG *, ULONG *) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetDefaultColumnState(UINT column, SHCOLSTATEF *state) override;
  HRESULT STDMETHODCALLTYPE GetDetailsEx(PCUITEMID_CHILD, const SHCOLUMNID *, VARIANT *) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetDetailsOf(PCUITEMID_CHILD item, UINT column, SHELLDETAILS *details) override;
  HRESULT STDMETHODCALLTYPE MapColumnToSCID(UINT, SHCOLUMNID *) override { return E_NOTIMPL; }

private:
  FakeShellFolder();
  virtual ~FakeShellFolder() = default;
  const Item *FindItem(const std::string &name) const;

  std::atomic<ULONG> FRefCount{1};
};

} // namespace zortest
