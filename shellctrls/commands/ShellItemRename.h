#pragma once
// Renaming a shell item as the controls do after a label edit.
#include <windows.h>

#include <shlobj.h>

#include <string>

#include "shellns/IdList.h"

// The name a user typed, without the blanks (and control characters) around it.
std::string TrimItemName(const std::string &typed);

// Renames item (relative to folder; path its file-system path, "" for a virtual item) to name as it stands,
// never cut to some length: a name the folder cannot take is refused as a whole. newItem receives the item's
// new relative list when the folder hands one back. The folder's HRESULT, or
// HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE) without asking the folder when the new path would reach
// MAX_PATH characters.
HRESULT SetItemName(HWND owner, IShellFolder *folder, LPCITEMIDLIST item, const std::string &path,
                    const std::string &name, TKdIdListPtr &newItem);
