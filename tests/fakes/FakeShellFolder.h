#pragma once
// A shell folder of made-up items for what the real shell cannot be made to do on demand: answer display
// names in a chosen STRRET form (or only when offered a given form), order items by a chosen rule, report
// chosen attributes.
#include <windows.h>

#include <shlobj.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "toolkit/ComPtr.h"

namespace zortest {

class FakeShellFolder : public IShellFolder {
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

  std::vector<Item> Items;
  NameMode Mode = NameMode::Wide;
  // What GetDisplayNameOf puts in front of the name per SHGDN_ flags (lets tests tell the kinds apart).
  std::function<std::string(const std::string &name, SHGDNF flags)> DisplayName;
  // What EnumObjects answers (a failure gives no enumerator), and what the enumerator's Next answers once
  // the items are done (S_FALSE: the normal end).
  HRESULT EnumObjectsResult = S_OK;
  HRESULT EnumEndResult = S_FALSE;
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

private:
  FakeShellFolder();
  virtual ~FakeShellFolder() = default;
  const Item *FindItem(const std::string &name) const;

  std::atomic<ULONG> FRefCount{1};
};

} // namespace zortest
