#pragma once
// The shell's own context menus for items: building one, finding a command by its verb, and running a
// command with or without showing the menu.
#include <windows.h>

#include <shlobj.h>

#include <string>

#include "toolkit/ComPtr.h"
#include "toolkit/Handles.h"

// Identifiers of the shell's commands in our menus start here (offset = identifier - first); identifiers
// below it belong to our own entries.
constexpr UINT kdFirstShellCommandId = 1000;
constexpr UINT kdLastShellCommandId = 0x7FFF;
// The shell's rename command: the controls edit the label themselves instead of passing it on.
constexpr UINT kdRenameCommandOffset = 18;
// The verb of the rename command, wherever a menu puts it.
constexpr const char *kdRenameVerb = "rename";
// What FindVerbOffset gives when no command of the menu carries the verb.
constexpr int kdVerbNotFound = -1;

// Asks folder for the context menu of count items (relative lists) and fills a new popup menu with it.
// The HRESULT of GetUIObjectOf on failure (outputs null); with no popup menu to be had, that HRESULT with a
// null popup; otherwise the result of QueryContextMenu. A failing QueryContextMenu raises EOleError, the
// outputs released and null.
HRESULT GetItemContextMenu(HWND owner, IShellFolder *folder, UINT count, LPCITEMIDLIST *items, UINT flags, UINT firstId,
                           ComPtr<IContextMenu> &contextMenu, TMenuHandle &popup);

// The command offset whose verb equals verb (ignoring case), or kdVerbNotFound. Raises EOleError when the
// menu cannot be filled.
int FindVerbOffset(IContextMenu *contextMenu, const std::string &verb);

// Runs the command at offset, owned by owner; the HRESULT of InvokeCommand.
HRESULT InvokeContextCommand(HWND owner, IContextMenu *contextMenu, UINT offset);
// Runs the command carrying verb. A verb the menu does not carry runs nothing and gives
// HRESULT_FROM_WIN32(ERROR_NOT_FOUND).
HRESULT InvokeContextCommand(HWND owner, IContextMenu *contextMenu, const std::string &verb);

// Whether the command at offset is the shell's rename command: offset 18, or any command whose verb is
// "rename" (Wine's, for one, is at offset 80). Run as an ordinary command it would rename nothing and
// report success; the controls start label editing instead.
bool IsRenameCommand(IContextMenu *contextMenu, UINT offset);
