#include "fakes/FakeShellFolder.h"

#include <cstring>

#include "shellns/UKdShell95.h"
#include "toolkit/SysUtils.h"

namespace zortest {

namespace {

const BYTE Marker[2] = {'Z', 'F'};

// Enumerates copies of a fixed set of item lists.
class FakeEnumIDList : public IEnumIDList {
public:
  FakeEnumIDList(std::vector<std::string> names, HRESULT endResult) : FNames(std::move(names)), FEndResult(endResult) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object) override {
    if (riid == IID_IUnknown || riid == IID_IEnumIDList) {
      *object = static_cast<IEnumIDList *>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++FRefCount; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG count = --FRefCount;
    if (!count)
      delete this;
    return count;
  }
  HRESULT STDMETHODCALLTYPE Next(ULONG wanted, PITEMID_CHILD *items, ULONG *fetched) override {
    ULONG n = 0;
    while (n < wanted && FNext < FNames.size())
      items[n++] = FakeShellFolder::MakeItemIdList(FNames[FNext++]);
    if (fetched)
      *fetched = n;
    return n == wanted ? S_OK : FEndResult;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    FNext += count;
    return FNext <= FNames.size() ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    FNext = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumIDList **) override { return E_NOTIMPL; }

private:
  virtual ~FakeEnumIDList() = default;
  std::vector<std::string> FNames;
  HRESULT FEndResult;
  size_t FNext = 0;
  std::atomic<ULONG> FRefCount{1};
};

} // namespace

ComPtr<FakeShellFolder> FakeShellFolder::Create() { return ComPtr<FakeShellFolder>(new FakeShellFolder); }

FakeShellFolder::FakeShellFolder() {
  DisplayName = [](const std::string &name, SHGDNF) { return name; };
  CompareNames = [](const std::string &a, const std::string &b) { return a.compare(b); };
}

LPITEMIDLIST FakeShellFolder::MakeItemIdList(const std::string &name) {
  size_t itemSize = 2 + sizeof Marker + name.size() + 1;
  auto *bytes = static_cast<BYTE *>(ShellMemAlloc(itemSize + 2));
  USHORT count = static_cast<USHORT>(itemSize);
  std::memcpy(bytes, &count, 2);
  std::memcpy(bytes + 2, Marker, sizeof Marker);
  std::memcpy(bytes + 2 + sizeof Marker, name.c_str(), name.size() + 1);
  bytes[itemSize] = 0;
  bytes[itemSize + 1] = 0;
  return reinterpret_cast<LPITEMIDLIST>(bytes);
}

std::string FakeShellFolder::NameOf(LPCITEMIDLIST item) {
  if (!item || item->mkid.cb < 2 + sizeof Marker + 1)
    return {};
  auto *bytes = reinterpret_cast<const BYTE *>(item);
  if (std::memcmp(bytes + 2, Marker, sizeof Marker) != 0)
    return {};
  const char *name = reinterpret_cast<const char *>(bytes + 2 + sizeof Marker);
  return std::string(name, strnlen(name, item->mkid.cb - 2 - sizeof Marker));
}

const FakeShellFolder::Item *FakeShellFolder::FindItem(const std::string &name) const {
  for (const Item &item : Items)
    if (item.Name == name)
      return &item;
  return nullptr;
}

HRESULT FakeShellFolder::QueryInterface(REFIID riid, void **object) {
  if (riid == IID_IUnknown || riid == IID_IShellFolder || (riid == IID_IShellFolder2 && !Columns.empty())) {
    *object = static_cast<IShellFolder2 *>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG FakeShellFolder::AddRef() { return ++FRefCount; }

ULONG FakeShellFolder::Release() {
  ULONG count = --FRefCount;
  if (!count)
    delete this;
  return count;
}

HRESULT FakeShellFolder::ParseDisplayName(HWND, IBindCtx *, LPWSTR name, ULONG *eaten, PIDLIST_RELATIVE *list,
                                          ULONG *attributes) {
  std::string text = WideToUtf8(name);
  const Item *item = FindItem(text);
  if (!item)
    return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
  *list = MakeItemIdList(text);
  if (eaten)
    *eaten = static_cast<ULONG>(wcslen(name));
  if (attributes)
    *attributes &= item->Attributes;
  return S_OK;
}

HRESULT FakeShellFolder::EnumObjects(HWND, SHCONTF, IEnumIDList **enumerator) {
  *enumerator = nullptr;
  if (FAILED(EnumObjectsResult))
    return EnumObjectsResult;
  std::vector<std::string> names;
  for (const Item &item : Items)
    if (EnumLimit < 0 || static_cast<int>(names.size()) < EnumLimit)
      names.push_back(item.Name);
  *enumerator = new FakeEnumIDList(std::move(names), EnumEndResult);
  return S_OK;
}

HRESULT FakeShellFolder::BindToObject(PCUIDLIST_RELATIVE, IBindCtx *, REFIID, void **object) {
  *object = nullptr;
  return E_NOTIMPL;
}

HRESULT FakeShellFolder::BindToStorage(PCUIDLIST_RELATIVE, IBindCtx *, REFIID, void **object) {
  *object = nullptr;
  return E_NOTIMPL;
}

HRESULT FakeShellFolder::CompareIDs(LPARAM column, PCUIDLIST_RELATIVE a, PCUIDLIST_RELATIVE b) {
  int c = CompareColumn ? CompareColumn(static_cast<int>(column & SHCIDS_COLUMNMASK), NameOf(a), NameOf(b))
                        : CompareNames(NameOf(a), NameOf(b));
  return MAKE_HRESULT(SEVERITY_SUCCESS, 0, static_cast<USHORT>(static_cast<short>(c < 0 ? -1 : c > 0 ? 1 : 0)));
}

HRESULT FakeShellFolder::CreateViewObject(HWND, REFIID, void **object) {
  *object = nullptr;
  return E_NOTIMPL;
}

HRESULT FakeShellFolder::GetAttributesOf(UINT count, PCUITEMID_CHILD_ARRAY items, SFGAOF *attributes) {
  for (UINT i = 0; i < count; ++i) {
    const Item *item = FindItem(NameOf(items[i]));
    *attributes &= item ? item->Attributes : 0;
  }
  return AttributesResult;
}

HRESULT FakeShellFolder::GetUIObjectOf(HWND, UINT, PCUITEMID_CHILD_ARRAY, REFIID, UINT *, void **object) {
  *object = nullptr;
  return E_NOTIMPL;
}

HRESULT FakeShellFolder::GetDisplayNameOf(PCUITEMID_CHILD item, SHGDNF flags, STRRET *name) {
  std::string itemName = NameOf(item);
  if (Mode == NameMode::Fail || (Mode == NameMode::CStrWhenOffered && name->uType != STRRET_CSTR))
    return E_FAIL;
  std::string text = DisplayName(itemName, flags);
  switch (Mode) {
  case NameMode::Wide: {
    std::wstring wide = Utf8ToWide(text);
    size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
    name->uType = STRRET_WSTR;
    name->pOleStr = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    std::memcpy(name->pOleStr, wide.c_str(), bytes);
    return S_OK;
  }
  case NameMode::Offset:
    // Only the item's own name can be pointed at.
    name->uType = STRRET_OFFSET;
    name->uOffset = 2 + sizeof Marker;
    return S_OK;
  case NameMode::CStr:
  case NameMode::CStrWhenOffered:
    name->uType = STRRET_CSTR;
    std::memset(name->cStr, 0, sizeof name->cStr);
    std::memcpy(name->cStr, text.data(), std::min(text.size(), sizeof name->cStr - 1));
    return S_OK;
  case NameMode::Fail:
    break;
  }
  return E_FAIL;
}

HRESULT FakeShellFolder::SetNameOf(HWND, PCUITEMID_CHILD, LPCWSTR, SHGDNF, PITEMID_CHILD *newItem) {
  if (newItem)
    *newItem = nullptr;
  return E_NOTIMPL;
}

HRESULT FakeShellFolder::GetDefaultColumnState(UINT column, SHCOLSTATEF *state) {
  if (column >= Columns.size())
    return E_INVALIDARG;
  *state = SHCOLSTATE_TYPE_STR | (Columns[column].OnByDefault ? SHCOLSTATE_ONBYDEFAULT : 0);
  return S_OK;
}

HRESULT FakeShellFolder::GetDetailsOf(PCUITEMID_CHILD item, UINT column, SHELLDETAILS *details) {
  if (column >= Columns.size())
    return E_FAIL;
  std::string text = item ? (ColumnText ? ColumnText(NameOf(item), static_cast<int>(column)) : std::string())
                          : Columns[column].Caption;
  std::wstring wide = Utf8ToWide(text);
  size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
  details->fmt = Columns[column].Format;
  details->cxChar = 10;
  details->str.uType = STRRET_WSTR;
  details->str.pOleStr = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
  std::memcpy(details->str.pOleStr, wide.c_str(), bytes);
  return S_OK;
}

} // namespace zortest
