#pragma once
// The Send To submenu of the shell's context menu, for menus that do not fill it themselves.
//
// A shell menu with IContextMenu2 fills and draws its Send To submenu from the menu messages forwarded to it.
// One without leaves a single grayed placeholder there; the controls then put the files of the user's
// Send To folder in its place as owner-drawn entries (small icon, name without extension), answer typed
// characters for them, and run a chosen entry by dropping the selected items on it.
//
// Entries are command identifiers 1 to 999 (identifier k is SendToList entry k - 1); the shell's commands
// start at 1000. Everything here runs on the thread that owns the controls' windows.
#include <windows.h>

#include <ole2.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "toolkit/ComPtr.h"
#include "toolkit/Messages.h"

class TStringList;

// The highest command identifier a Send To entry may take.
constexpr UINT kdLastSendToCommandId = 999;

// The file names (with extension, without path) of every file the Send To folder has shown in this run,
// sorted without regard to case; each one's object slot holds its index in the system's small icon list,
// or -1. Null until the first Send To submenu is filled; it only grows until FreeSendToList.
TStringList *SendToList();
void FreeSendToList();

// Where the entries come from and where a chosen one is looked up: the user's Send To folder.
class TKdSendToFolder {
public:
  virtual ~TKdSendToFolder() = default;
  // The folder's file-system path, or "" when it has none.
  virtual std::string Path();
  // The folder as a shell folder.
  virtual HRESULT Bind(ComPtr<IShellFolder> &folder);
  // The drop target of one of its items (a relative list).
  virtual HRESULT ItemDropTarget(IShellFolder *folder, LPCITEMIDLIST item, ComPtr<IDropTarget> &target);
};

// Puts another Send To folder in place of the user's (null puts the user's back); returns the previous one.
// The caller keeps ownership.
TKdSendToFolder *SetSendToFolder(TKdSendToFolder *folder);

// Adds the files of folder matching each pattern to SendToList (created when missing); folders and hidden
// files are left out. A name already present keeps its first icon.
void CollectFolderFiles(const std::string &folder, const std::vector<std::string> &patterns);

// The position of the highlighted item of menu, or -1.
int FindHighlightedMenuItem(HMENU menu);

// Handlers of the messages of a shown shell context menu (activeMenu null: they do nothing). With
// IContextMenu2 the menu gets the message itself; otherwise they serve the self-drawn entries.
// WM_INITMENUPOPUP: replaces the grayed placeholder by the entries.
void FillSendToSubmenu(TMessage &message, IContextMenu *activeMenu);
// WM_MEASUREITEM and WM_DRAWITEM of owner-drawn entries for a menu shown at ppi dots per inch; images is the
// system's small icon list.
void MeasureSendToItem(TMessage &message, IContextMenu *activeMenu, int ppi);
void DrawSendToItem(TMessage &message, IContextMenu *activeMenu, HIMAGELIST images, int ppi);
// WM_MENUCHAR in the filled submenu: selects the next entry that starts with the typed character, runs it
// when no other entry starts so, and closes the menu when none does.
void HandleSendToMenuChar(TMessage &message, IContextMenu *activeMenu);

// Drops data on the Send To entry named entry, as a left-button drag asking to copy would. Raises
// EOleError when the entry or its drop target cannot be had; what the target answers is not looked at.
void SendDataToTarget(const std::string &entry, IDataObject *data);
// The same for SendToList entry index (a chosen command identifier - 1); an index past the entries does
// nothing.
void SendDataToEntry(UINT index, IDataObject *data);
