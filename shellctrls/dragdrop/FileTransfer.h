#pragma once
// Copying and moving files where the shell's own transfer does nothing. Under Wine a folder's drop target
// and the "paste" command report success and copy nothing, and the "cut" command marks nothing, so there the
// program transfers file-system paths itself with the platform's file operation (its confirmation and
// error boxes included). On Windows none of this runs: the shell does every transfer.
#include <windows.h>

#include <ole2.h>
#include <shlobj.h>

#include <cstddef>
#include <string>
#include <vector>

// True when the program transfers files itself instead of leaving it to the shell (under Wine).
bool TransfersFilesItself();

// The paths of a CF_HDROP block of size bytes (wide or ANSI paths). The block comes from another program:
// nothing outside it is read, and a block that is malformed anywhere (too small, a first path outside it,
// no empty path ending the list, an empty list, a relative path or a wildcard in a path) gives no paths at all.
std::vector<std::wstring> ReadHDropPaths(const void *block, size_t size);
// The same for a global memory block, within its GlobalSize.
std::vector<std::wstring> ReadHDropPaths(HGLOBAL block);

// The paths that data offers as CF_HDROP; none when it offers no readable list.
std::vector<std::wstring> DataObjectPaths(IDataObject *data);
// The "Preferred DropEffect" data offers (a cut says DROPEFFECT_MOVE); 0 when it offers none.
DWORD PreferredDropEffect(IDataObject *data);

// The path of folder when it is a folder of the file system that exists; empty otherwise (virtual folders,
// files, the "::{GUID}" names some virtual folders answer with).
std::wstring FileSystemFolderPath(LPCITEMIDLIST folder);

// The effect of dropping sources into targetFolder with the key state keys (MK_ bits), within allowed:
// within one drive a move, across drives a copy; Ctrl makes it a copy and Shift a move (Ctrl wins when
// both are held, as links are not made here). DROPEFFECT_NONE when allowed has neither, when the target is
// one of the sources or lies inside one, and for a move into the folder the sources are already in.
DWORD ChooseFileDropEffect(const std::vector<std::wstring> &sources, const std::wstring &targetFolder, DWORD keys,
                           DWORD allowed);

// The small menu of a right-button drop at screen point at: "Copy Here", "Move Here", "Cancel", with
// suggested as its default command and the effects outside allowed disabled. Answers the chosen effect,
// DROPEFFECT_NONE for Cancel or a dismissed menu.
DWORD AskDropEffect(HWND window, POINT at, DWORD suggested, DWORD allowed);

// Copies (DROPEFFECT_COPY) or moves (DROPEFFECT_MOVE) sources into targetFolder with the platform's file
// operation: undo allowed, its own confirmation before anything is replaced. An item copied into the
// folder it is in gets a free name beside the original ("a - Copy.txt"). A move deletes an item from its
// place only once it arrived. Refuses, before anything is touched, a source that no longer exists and a
// target that is a source or lies inside one. A transfer that stops part-way (a full disk) leaves no
// cut-off copy: every file it created that is not a complete copy of its source is removed again. S_OK
// when every item arrived whole (and, for a move, left its place); HRESULT_FROM_WIN32(ERROR_CANCELLED)
// when the user stopped it; another failure otherwise, which is shown in one error box owned by owner
// naming what did not arrive, unless quiet is set.
HRESULT TransferFiles(HWND owner, const std::vector<std::wstring> &sources, const std::wstring &targetFolder,
                      DWORD effect, bool quiet = false);

// Paste into folder under Wine: when folder is a file-system folder, takes the files on the clipboard and
// copies them, or moves them when the clipboard marks a cut (then empties the clipboard, unless something
// new was put on it meanwhile). Answers false, doing nothing, where the shell is left to paste (on Windows,
// into virtual folders); otherwise true with the result in result (S_FALSE when there was nothing to paste).
bool PasteFilesIntoFolder(HWND owner, LPCITEMIDLIST folder, HRESULT &result);

// Under Wine the shell's "cut" puts the files on the clipboard like a copy; this marks them as cut (a
// "Preferred DropEffect" of DROPEFFECT_MOVE) so that a paste moves them. Does nothing elsewhere, and when the
// clipboard holds no files or already says what it wants.
void MarkClipboardFilesCut();
