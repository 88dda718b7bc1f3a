#include "FakeContextMenu.h"

#include <algorithm>
#include <cstring>

#include "toolkit/SysUtils.h"

namespace zortest {

ComPtr<FakeContextMenu> FakeContextMenu::Create() { return ComPtr<FakeContextMenu>(new FakeContextMenu); }

FakeContextMenu::FakeContextMenu()
    : Commands{{0, "open", "&Open"},  {17, "delete", "&Delete"}, {19, "properties", "P&roperties"}, {24, "cut", "Cu&t"},
               {25, "copy", "&Copy"}, {26, "paste", "&Paste"},   {18, "rename", "Rena&me"}} {}

HRESULT FakeContextMenu::QueryInterface(REFIID riid, void **object) {
  if (riid == IID_IUnknown || riid == IID_IContextMenu || (HandlesMenuMessages && riid == IID_IContextMenu2)) {
    *object = static_cast<IContextMenu2 *>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG FakeContextMenu::AddRef() { return ++FRefCount; }

ULONG FakeContextMenu::Release() {
  ULONG count = --FRefCount;
  if (count == 0)
    delete this;
  return count;
}

HRESULT FakeContextMenu::QueryContextMenu(HMENU menu, UINT index, UINT firstId, UINT lastId, UINT flags) {
  LastQueryFlags = flags;
  LastFirstId = firstId;
  if (FAILED(QueryResult))
    return QueryResult;
  UINT position = index;
  if (AddForeignItems) {
    InsertMenuA(menu, position++, MF_BYPOSITION | MF_STRING, 5, "Foreign");
    InsertMenuA(menu, position++, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
    HMENU sub = CreatePopupMenu();
    InsertMenuA(sub, 0, MF_BYPOSITION | MF_STRING, firstId + 90, "Inside");
    InsertMenuA(menu, position++, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "Sub");
  }
  UINT highest = 0;
  for (const Command &command : Commands) {
    if (firstId + command.Offset > lastId)
      continue;
    if (RenameNeedsFlag && command.Verb == "rename" && !(flags & CMF_CANRENAME))
      continue;
    InsertMenuA(menu, position++, MF_BYPOSITION | MF_STRING, firstId + command.Offset, command.Text.c_str());
    highest = std::max(highest, command.Offset + 1);
  }
  if (DefaultOffset >= 0)
    SetMenuDefaultItem(menu, firstId + static_cast<UINT>(DefaultOffset), FALSE);
  if (AddSendToPlaceholder) {
    HMENU sendTo = CreatePopupMenu();
    InsertMenuA(sendTo, 0, MF_BYPOSITION | MF_STRING | MF_GRAYED, 0, "(empty)");
    InsertMenuA(menu, position++, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(sendTo), "Se&nd To");
  }
  return MAKE_HRESULT(SEVERITY_SUCCESS, 0, highest);
}

HRESULT FakeContextMenu::HandleMenuMsg(UINT msg, WPARAM, LPARAM) {
  MenuMessages.push_back(msg);
  return S_OK;
}

HRESULT FakeContextMenu::InvokeCommand(CMINVOKECOMMANDINFO *info) {
  Invocation call = {};
  call.Size = info->cbSize;
  call.Mask = info->fMask;
  call.Owner = info->hwnd;
  call.VerbIsOffset = HIWORD(reinterpret_cast<UINT_PTR>(info->lpVerb)) == 0;
  if (call.VerbIsOffset)
    call.Offset = LOWORD(reinterpret_cast<UINT_PTR>(info->lpVerb));
  else
    call.VerbText = info->lpVerb;
  call.ParametersNull = info->lpParameters == nullptr;
  call.DirectoryNull = info->lpDirectory == nullptr;
  call.Show = info->nShow;
  call.HotKey = info->dwHotKey;
  call.Icon = info->hIcon;
  Invocations.push_back(call);
  return InvokeResult;
}

HRESULT FakeContextMenu::GetCommandString(UINT_PTR offset, UINT type, UINT *, CHAR *name, UINT size) {
  auto found =
      std::find_if(Commands.begin(), Commands.end(), [&](const Command &command) { return command.Offset == offset; });
  if (found == Commands.end())
    return E_INVALIDARG;
  if (type == GCS_VERBA) {
    if (size == 0)
      return E_INVALIDARG;
    size_t length = std::min<size_t>(found->Verb.size(), size - 1);
    std::memcpy(name, found->Verb.data(), length);
    name[length] = '\0';
    return S_OK;
  }
  if (type == GCS_VERBW) {
    if (size == 0)
      return E_INVALIDARG;
    auto *wide = reinterpret_cast<wchar_t *>(name);
    size_t length = std::min<size_t>(found->Verb.size(), size - 1);
    for (size_t i = 0; i < length; ++i)
      wide[i] = static_cast<wchar_t>(found->Verb[i]);
    wide[length] = L'\0';
    return S_OK;
  }
  auto help = HelpTexts.find(static_cast<UINT>(offset));
  if (type == GCS_HELPTEXTW && help != HelpTexts.end()) {
    const std::wstring text = Utf8ToWide(help->second);
    if (text.size() >= size)
      return E_INVALIDARG;
    std::memcpy(name, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    return S_OK;
  }
  return E_NOTIMPL;
}

ComPtr<FakeMenuFolder> FakeMenuFolder::Create(FakeContextMenu *menu, IShellFolder *inner) {
  return ComPtr<FakeMenuFolder>(new FakeMenuFolder(menu, inner));
}

FakeMenuFolder::FakeMenuFolder(FakeContextMenu *menu, IShellFolder *inner)
    : FMenu(ComPtr<FakeContextMenu>::AddRefed(menu)), FInner(ComPtr<IShellFolder>::AddRefed(inner)) {}

HRESULT FakeMenuFolder::QueryInterface(REFIID riid, void **object) {
  if (riid == IID_IUnknown || riid == IID_IShellFolder) {
    *object = static_cast<IShellFolder *>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG FakeMenuFolder::AddRef() { return ++FRefCount; }

ULONG FakeMenuFolder::Release() {
  ULONG count = --FRefCount;
  if (count == 0)
    delete this;
  return count;
}

HRESULT FakeMenuFolder::ParseDisplayName(HWND owner, IBindCtx *context, LPWSTR name, ULONG *eaten,
                                         PIDLIST_RELATIVE *list, ULONG *attributes) {
  if (FInner)
    return FInner->ParseDisplayName(owner, context, name, eaten, list, attributes);
  if (list)
    *list = nullptr;
  return E_NOTIMPL;
}

HRESULT FakeMenuFolder::EnumObjects(HWND owner, SHCONTF flags, IEnumIDList **enumerator) {
  if (FInner)
    return FInner->EnumObjects(owner, flags, enumerator);
  *enumerator = nullptr;
  return E_NOTIMPL;
}

HRESULT FakeMenuFolder::BindToObject(PCUIDLIST_RELATIVE list, IBindCtx *context, REFIID riid, void **object) {
  if (FInner)
    return FInner->BindToObject(list, context, riid, object);
  *object = nullptr;
  return E_NOTIMPL;
}

HRESULT FakeMenuFolder::BindToStorage(PCUIDLIST_RELATIVE list, IBindCtx *context, REFIID riid, void **object) {
  if (FInner)
    return FInner->BindToStorage(list, context, riid, object);
  *object = nullptr;
  return E_NOTIMPL;
}

HRESULT FakeMenuFolder::CompareIDs(LPARAM column, PCUIDLIST_RELATIVE a, PCUIDLIST_RELATIVE b) {
  return FInner ? FInner->CompareIDs(column, a, b) : E_NOTIMPL;
}

HRESULT FakeMenuFolder::CreateViewObject(HWND owner, REFIID riid, void **object) {
  if (FInner)
    return FInner->CreateViewObject(owner, riid, object);
  *object = nullptr;
  return E_NOTIMPL;
}

HRESULT FakeMenuFolder::GetAttributesOf(UINT count, PCUITEMID_CHILD_ARRAY items, SFGAOF *attributes) {
  return FInner ? FInner->GetAttributesOf(count, items, attributes) : E_NOTIMPL;
}

HRESULT FakeMenuFolder::GetUIObjectOf(HWND owner, UINT count, PCUITEMID_CHILD_ARRAY items, REFIID riid, UINT *reserved,
                                      void **object) {
  if (FInner && riid != IID_IContextMenu)
    return FInner->GetUIObjectOf(owner, count, items, riid, reserved, object);
  *object = nullptr;
  LastOwner = owner;
  LastCount = count;
  if (FAILED(UIObjectResult))
    return UIObjectResult;
  return FMenu->QueryInterface(riid, object);
}

HRESULT FakeMenuFolder::GetDisplayNameOf(PCUITEMID_CHILD item, SHGDNF flags, STRRET *name) {
  return FInner ? FInner->GetDisplayNameOf(item, flags, name) : E_NOTIMPL;
}

HRESULT FakeMenuFolder::SetNameOf(HWND owner, PCUITEMID_CHILD item, LPCWSTR name, SHGDNF flags,
                                  PITEMID_CHILD *newItem) {
  if (FInner)
    return FInner->SetNameOf(owner, item, name, flags, newItem);
  if (newItem)
    *newItem = nullptr;
  return E_NOTIMPL;
}

} // namespace zortest
