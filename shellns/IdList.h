#pragma once
// Item ID lists of the shell namespace and the free functions over them.
//
// An ID list is a run of items, each starting with its 16-bit byte count (the count included), ended by a
// 16-bit zero; the empty list (terminator only) is the desktop. Every function here that walks a list trusts
// its byte counts: it must only be handed lists that came from the shell or from this program's own code,
// never raw bytes from another process (dropped or pasted data must be checked before it gets here).
//
// A list these functions hand over travels as a TKdIdListPtr (allocated through the shell allocator); a raw
// list they take is only read.
#include <windows.h>

#include <shlobj.h>

#include <cstdint>
#include <memory>
#include <string>

#include "toolkit/ComPtr.h"

// The shell's task allocator, obtained at unit start; not reference-counted for the caller.
IMalloc *ShellMalloc();
void *ShellMemAlloc(size_t size);
// Null is ignored.
void ShellMemFree(void *block);

struct ShellMemDeleter {
  void operator()(void *block) const { ShellMemFree(block); }
};
// An owned ID list.
using TKdIdListPtr = std::unique_ptr<ITEMIDLIST, ShellMemDeleter>;

// Lets a call that hands back an ID list write it straight into its owner:
//   hr = SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, PidlOut(drives));
// The owner lets go of what it held when the adapter is made and takes whatever the call wrote, on failure
// too, when the adapter goes away at the end of the full expression: read the owner in the next statement,
// never in the expression that holds the call.
class TKdPidlOut {
public:
  explicit TKdPidlOut(TKdIdListPtr &owner) : FOwner(owner) { FOwner.reset(); }
  ~TKdPidlOut() { FOwner.reset(FList); }
  TKdPidlOut(const TKdPidlOut &) = delete;
  TKdPidlOut &operator=(const TKdPidlOut &) = delete;

  operator LPITEMIDLIST *() { return &FList; }

private:
  TKdIdListPtr &FOwner;
  LPITEMIDLIST FList = nullptr;
};

inline TKdPidlOut PidlOut(TKdIdListPtr &owner) { return TKdPidlOut(owner); }

// Display-name kinds, an index into the SHGDN_ flags table.
enum TKdDisplayNameKind : uint8_t {
  dnNormal,     // SHGDN_NORMAL: item names of the shell list
  dnInFolder,   // SHGDN_INFOLDER: tree captions, names read back after a rename
  dnForParsing, // SHGDN_FORPARSING: full paths and "::{CLSID}" strings
  dnForEditing, // SHGDN_INFOLDER | SHGDN_FOREDITING: text for an in-place editor
};

// SHGDN_ flags of a kind.
DWORD DisplayNameFlags(TKdDisplayNameKind kind);

// Total bytes including the terminator; 0 for null.
UINT IdListSize(LPCITEMIDLIST list);
// A new copy; a null list gives a new empty list. Null when the allocation fails.
TKdIdListPtr IdListCopy(LPCITEMIDLIST list);
// The items of first followed by those of second (either may be null); null when the allocation fails.
TKdIdListPtr IdListConcat(LPCITEMIDLIST first, LPCITEMIDLIST second);
// 0 when both absolute lists name the same item; otherwise non-zero (-1 when exactly one is null or empty,
// 0x7FFFFFFF when the shell cannot compare them).
int IdListCompare(LPCITEMIDLIST p, LPCITEMIDLIST q);

// The folder of an absolute list; null or empty gives the desktop.
HRESULT BindToShellFolder(LPCITEMIDLIST list, ComPtr<IShellFolder> &folder);
// Parses a path or a "::{CLSID}" parse string from the desktop; list is null unless the call succeeds.
// A file-system path ("C:\dir", "C:/dir/", "\\server\share\dir\..") is parsed in its normalised form and
// the result is taken only when it is the very item the path names, whatever the spelling; under Wine a Unix
// path ("/tmp") is parsed as the Windows path Wine maps it to. Fails with ERROR_FILENAME_EXCED_RANGE, without
// asking the shell, for a name that is MAX_PATH characters or longer (once normalised), and with
// ERROR_BAD_PATHNAME for a name that starts with "/" and has no Windows form.
HRESULT ParseDisplayNameToIdList(const std::string &name, TKdIdListPtr &list);
// File-system path of a list (null means the desktop), whole, or "" for a virtual item and for a path the
// shell can only give cut short.
std::string IdListToPath(LPCITEMIDLIST list);
std::wstring IdListToWidePath(LPCITEMIDLIST list);
// Path of a special folder (CSIDL_ number), or "".
std::string SpecialFolderPath(HWND owner, int folder);
// SHGetSpecialFolderLocation with the low 7 bits of folder.
HRESULT GetSpecialFolderIdList(HWND owner, int folder, TKdIdListPtr &list);
// System image list index of an absolute list (null means the desktop); extraFlags are SHGFI_ flags such as
// SHGFI_SMALLICON | SHGFI_OPENICON. 0 on failure.
int GetIdListIconIndex(LPCITEMIDLIST list, UINT extraFlags);
// Under Wine, the system image list index of item in parent when it is a plain folder on disk: no desktop.ini
// (where a folder may name an icon of its own), not marked read-only or system (which Windows asks for before
// it reads one), not a link on disk. -1 for any other item, and always on Windows, where an icon handler
// registered for folders still has its say. A plain folder has the one folder icon, which asking the shell
// for costs a millisecond and more an item under Wine.
int PlainFolderIconIndex(IShellFolder *parent, LPCITEMIDLIST item);
// The lowest CSIDL_ number 0..49 naming the same item as list, or 50 when it is no special folder.
int FindSpecialFolder(LPCITEMIDLIST list);
// Whether list names the special folder CSIDL_ folder: one question to the shell where FindSpecialFolder asks
// fifty (about ten milliseconds under Wine).
bool IsSpecialFolder(LPCITEMIDLIST list, int folder);

// Display name of a relative item in folder (the desktop when folder is null), or "".
std::string GetItemDisplayName(IShellFolder *folder, LPCITEMIDLIST item, TKdDisplayNameKind kind);
// In-folder name of an absolute list. Raises EOleError when the parent folder cannot be bound.
std::string GetIdListDisplayName(LPCITEMIDLIST list);

// Text of a STRRET answered for item; FreeStrRet releases its wide string.
std::string StrRetToString(LPCITEMIDLIST item, const STRRET &strRet);
void FreeStrRet(STRRET &strRet);

// The system image list: size 0 small, 1 large. The first call on NT with comctl32 4.71 or later first adds
// shell32's link and share overlays (FixSystemImageListOverlays). Any thread may ask.
HIMAGELIST GetSystemImageList(int size);
// The system image list whose icons are nearest pixels wide (the smaller of two as near): the shell keeps one
// icon index for all of its sizes, so a control can change lists without touching its items. On a monitor
// of the system's resolution the small and the large lists are those of 16 and 32 pixels at 96 dpi; on a
// monitor of another the shell may keep none of the size asked for.
HIMAGELIST GetSystemImageListOfSize(int pixels);
void FixSystemImageListOverlays();
// True once the overlays were added in this process.
bool SystemImageListOverlaysFixed();

// Makes My Computer re-read its drives; raises EOleError when it cannot be bound. Does nothing while
// suspended (nested refreshes after one revalidation).
void RevalidateDriveList();
void SuspendDriveRevalidation();
void ResumeDriveRevalidation();

// Drive revalidation suspended for the lifetime of the object: one revalidation serves what runs meanwhile.
class TKdDriveRevalidationPause {
public:
  TKdDriveRevalidationPause() { SuspendDriveRevalidation(); }
  ~TKdDriveRevalidationPause() { ResumeDriveRevalidation(); }
  TKdDriveRevalidationPause(const TKdDriveRevalidationPause &) = delete;
  TKdDriveRevalidationPause &operator=(const TKdDriveRevalidationPause &) = delete;
};

// What ReadShellLink reads from a shortcut. The caller sets ResolveMode before the call.
struct TKdShellLinkInfo {
  std::string Path;
  std::string Description;
  std::string Arguments;
  std::string IconLocation;
  int32_t IconIndex = 0;
  std::string WorkingDirectory;
  int32_t ShowCmd = 0;
  uint16_t Hotkey = 0;
  // 0: resolve with no owner window and default flags; 1: resolve with the owner handle 0xFFFFFFFF and flags
  // 0x00010000 (a 1 ms limit in the high word, which the platform honours only with SLR_NO_UI, not set here:
  // a link whose target is gone may still ask the user).
  uint8_t ResolveMode = 0;
  // The target's absolute list when asked for, else null; a later read into the same record frees it.
  TKdIdListPtr IdList;
  WIN32_FIND_DATAW FindData = {};
};

// Loads and resolves a .lnk file into info; the HRESULT of the first failing step, else of the last.
HRESULT ReadShellLink(const std::string &fileName, TKdShellLinkInfo &info, bool wantIdList);

// s with delimiter appended unless it already ends in it ("" stays "").
std::string AppendDelimiter(const std::string &s, char delimiter);
// Appends the (possibly double-byte) character at the 1-based pos of s to dest and advances pos past it.
void CopyMbcsChar(int &pos, const std::string &s, std::string &dest);
