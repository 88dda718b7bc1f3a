#include "shellctrls/commands/ContextMenuOperations.h"

#include "shellctrls/dragdrop/FileTransfer.h"
#include "toolkit/Handles.h"
#include "toolkit/SysUtils.h"

namespace {

// Compared as UTF-16: the ANSI comparison reads its text in the locale's code page, not in UTF-8.
bool SameVerb(const char *a, const std::string &b) {
  const std::wstring wa = Utf8ToWide(a), wb = Utf8ToWide(b);
  return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, wa.c_str(), -1, wb.c_str(), -1) == CSTR_EQUAL;
}

bool IsVerbAt(IContextMenu *contextMenu, UINT offset, const std::string &verb) {
  char buffer[MAX_PATH] = {};
  if (FAILED(contextMenu->GetCommandString(offset, GCS_VERBA, nullptr, buffer, sizeof buffer)))
    return false;
  buffer[sizeof buffer - 1] = '\0';
  return SameVerb(buffer, verb);
}

} // namespace

HRESULT GetItemContextMenu(HWND owner, IShellFolder *folder, UINT count, LPCITEMIDLIST *items, UINT flags, UINT firstId,
                           ComPtr<IContextMenu> &contextMenu, TMenuHandle &popup) {
  contextMenu.Reset();
  popup.Reset();
  ComPtr<IContextMenu> menu;
  HRESULT hr = folder->GetUIObjectOf(owner, count, items, IID_IContextMenu, nullptr, menu.PutVoid());
  if (FAILED(hr)) {
    return hr;
  }
  TMenuHandle newPopup(CreatePopupMenu());
  if (!newPopup) {
    contextMenu = std::move(menu);
    return hr;
  }
  hr = menu->QueryContextMenu(newPopup.Get(), 0, firstId, kdLastShellCommandId, flags);
  OleCheck(hr);
  contextMenu = std::move(menu);
  popup = std::move(newPopup);
  return hr;
}

int FindVerbOffset(IContextMenu *contextMenu, const std::string &verb) {
  // Offset 0 is a real command (often the default one), so a verb that cannot be looked up, or that the
  // menu lacks, is reported apart from it and never runs it.
  TMenuHandle menu(CreatePopupMenu());
  if (!menu)
    return kdVerbNotFound;
  OleCheck(contextMenu->QueryContextMenu(menu.Get(), 0, kdFirstShellCommandId, kdLastShellCommandId, CMF_EXPLORE));
  const int itemCount = GetMenuItemCount(menu.Get());
  for (int position = 0; position < itemCount; ++position) {
    // Separators and submenus give -1; identifiers below the first are not the shell's.
    const int id = static_cast<int>(GetMenuItemID(menu.Get(), position));
    if (id < static_cast<int>(kdFirstShellCommandId))
      continue;
    const UINT offset = static_cast<UINT>(id) - kdFirstShellCommandId;
    if (IsVerbAt(contextMenu, offset, verb))
      return static_cast<int>(offset);
  }
  return kdVerbNotFound;
}

HRESULT InvokeContextCommand(HWND owner, IContextMenu *contextMenu, UINT offset) {
  CMINVOKECOMMANDINFO info = {};
  info.cbSize = sizeof info;
  info.fMask = 0;
  info.hwnd = owner;
  info.lpVerb = MAKEINTRESOURCEA(offset);
  info.lpParameters = nullptr;
  info.lpDirectory = nullptr;
  info.nShow = SW_SHOWNORMAL;
  info.dwHotKey = 0;
  info.hIcon = nullptr;
  const HRESULT hr = contextMenu->InvokeCommand(&info);
  if (SUCCEEDED(hr) && TransfersFilesItself() && IsVerbAt(contextMenu, offset, "cut"))
    MarkClipboardFilesCut();
  return hr;
}

HRESULT InvokeContextCommand(HWND owner, IContextMenu *contextMenu, const std::string &verb) {
  const int offset = FindVerbOffset(contextMenu, verb);
  if (offset == kdVerbNotFound)
    return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
  return InvokeContextCommand(owner, contextMenu, static_cast<UINT>(offset));
}

bool IsRenameCommand(IContextMenu *contextMenu, UINT offset) {
  if (offset == kdRenameCommandOffset)
    return true;
  // The wide form first: a handler written for it may answer the ANSI one with nothing.
  wchar_t wide[MAX_PATH] = {};
  if (SUCCEEDED(contextMenu->GetCommandString(offset, GCS_VERBW, nullptr, reinterpret_cast<LPSTR>(wide), MAX_PATH)) &&
      wide[0]) {
    wide[MAX_PATH - 1] = L'\0';
    return SameVerb(WideToUtf8(wide).c_str(), kdRenameVerb);
  }
  return IsVerbAt(contextMenu, offset, kdRenameVerb);
}
