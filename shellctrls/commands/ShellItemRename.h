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

class TKdRefreshGate;

// The name of item as the folder wants it typed (which may show an extension the caption hides), put into a
// label's edit box.
void ShowNameForEditing(HWND edit, IShellFolder *folder, LPCITEMIDLIST item);

// Renames item of folder in place, as the tree and the list do once a label edit ends: the typed name trimmed
// (nameTyped), the hourglass shown, the change the rename makes taken as the control's own (gate), a refused name
// changing nothing. On success caption is what the item now shows and renamed its new relative list (null when
// the folder handed none back: the old list still names it).
HRESULT RenameInPlace(TKdRefreshGate &gate, HWND owner, IShellFolder *folder, LPCITEMIDLIST item,
                      const std::string &path, const std::string &name, TKdIdListPtr &renamed, std::string &caption);
