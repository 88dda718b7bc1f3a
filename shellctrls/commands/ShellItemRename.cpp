#include "shellctrls/commands/ShellItemRename.h"

#include "shellctrls/KdRefreshGate.h"
#include "toolkit/Screen.h"
#include "toolkit/SysUtils.h"

namespace {

// The flags the controls rename with.
constexpr SHGDNF RenameFlags = 0x20;

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

} // namespace

std::string TrimItemName(const std::string &typed) {
  size_t first = 0, last = typed.size();
  while (first < last && IsBlank(typed[first]))
    ++first;
  while (last > first && IsBlank(typed[last - 1]))
    --last;
  return typed.substr(first, last - first);
}

HRESULT SetItemName(HWND owner, IShellFolder *folder, LPCITEMIDLIST item, const std::string &path,
                    const std::string &name, TKdIdListPtr &newItem) {
  newItem.reset();
  const std::wstring wide = Utf8ToWide(name);
  // A file-system folder may build the new path in a buffer of MAX_PATH characters and rename the item to
  // as much of the name as fits there (Wine's does): the user would get a name they never typed.
  if (!path.empty()) {
    const std::wstring widePath = Utf8ToWide(path);
    const size_t folderLength = widePath.find_last_of(L"\\/");
    if (folderLength != std::wstring::npos && folderLength + 1 + wide.size() >= MAX_PATH)
      return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
  }
  return folder->SetNameOf(owner, item, wide.c_str(), RenameFlags, PidlOut(newItem));
}

void ShowNameForEditing(HWND edit, IShellFolder *folder, LPCITEMIDLIST item) {
  if (edit)
    SetWindowTextW(edit, Utf8ToWide(GetItemDisplayName(folder, item, dnForEditing)).c_str());
}

HRESULT RenameInPlace(TKdRefreshGate &gate, HWND owner, IShellFolder *folder, LPCITEMIDLIST item,
                      const std::string &path, const std::string &name, TKdIdListPtr &renamed, std::string &caption) {
  TCursorSaver hourglass(crHourGlass);
  // The rename's own change needs no refresh; a refused rename causes no change, and the next one must not be
  // taken for its.
  TKdRefreshGate::TOwnChange own(gate);
  const HRESULT hr = SetItemName(owner, folder, item, path, name, renamed);
  if (FAILED(hr))
    return hr;
  own.Keep();
  caption = GetItemDisplayName(folder, renamed ? renamed.get() : item, dnInFolder);
  return hr;
}
