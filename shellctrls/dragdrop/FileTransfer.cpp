#include "shellctrls/dragdrop/FileTransfer.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "shellctrls/dragdrop/ClipboardFormats.h"
#include "shellctrls/dragdrop/ShellTransferBlocks.h"
#include "shellctrls/dragdrop/TransferArrival.h"
#include "shellns/IdList.h"
#include "shellns/WineHost.h"
#include "toolkit/Application.h"
#include "toolkit/ComPtr.h"
#include "toolkit/Handles.h"
#include "toolkit/SysUtils.h"

namespace {

constexpr DWORD kTransferEffects = DROPEFFECT_COPY | DROPEFFECT_MOVE;
constexpr UINT kCancelCommand = 0x100;

UINT PreferredDropEffectFormat() {
  static const UINT format = RegisterClipboardFormatA("Preferred DropEffect");
  return format;
}

// Characters no Windows file name holds: SHFileOperation would expand the wildcards.
bool IsUsablePath(const std::wstring &path) {
  for (wchar_t c : path)
    if (c < 32 || c == L'*' || c == L'?' || c == L'"' || c == L'<' || c == L'>' || c == L'|')
      return false;
  const bool drive =
      path.size() >= 3 && ((path[0] | 0x20) >= L'a' && (path[0] | 0x20) <= L'z') && path[1] == L':' && path[2] == L'\\';
  const bool unc = path.size() >= 5 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'\\';
  return drive || unc;
}

// Reads zero-terminated strings of Char from offset on until an empty one; false when the bytes end first.
template <class Char>
bool ReadStringList(const BYTE *bytes, size_t size, size_t offset, std::vector<std::basic_string<Char>> &out) {
  std::basic_string<Char> current;
  for (size_t pos = offset; pos + sizeof(Char) <= size; pos += sizeof(Char)) {
    Char c;
    std::memcpy(&c, bytes + pos, sizeof c);
    if (c) {
      current.push_back(c);
    } else if (current.empty()) {
      return true;
    } else {
      out.push_back(std::move(current));
      current.clear();
    }
  }
  return false;
}

bool Exists(const std::wstring &path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsDirectory(const std::wstring &path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsRoot(const std::wstring &path) { return path.size() == 3 && path[1] == L':'; }

// One spelling of a path for comparisons: full, without a trailing backslash (roots keep theirs), and with
// resolve the long form of every component that exists.
std::wstring Normalized(const std::wstring &path, bool resolve) {
  std::wstring full(GetFullPathNameW(path.c_str(), 0, nullptr, nullptr), L'\0');
  full.resize(full.empty() ? 0 : GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr));
  if (full.empty())
    full = path;
  if (resolve) {
    std::wstring longForm(GetLongPathNameW(full.c_str(), nullptr, 0), L'\0');
    if (!longForm.empty()) {
      longForm.resize(GetLongPathNameW(full.c_str(), longForm.data(), static_cast<DWORD>(longForm.size())));
      if (!longForm.empty())
        full = longForm;
    }
  }
  while (full.size() > 1 && full.back() == L'\\' && !IsRoot(full))
    full.pop_back();
  return full;
}

bool SamePath(const std::wstring &a, const std::wstring &b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

// path is folder or lies somewhere inside it (both normalized).
bool IsSameOrInside(const std::wstring &path, const std::wstring &folder) {
  if (SamePath(path, folder))
    return true;
  const std::wstring prefix = IsRoot(folder) ? folder : folder + L'\\';
  return path.size() > prefix.size() && SamePath(path.substr(0, prefix.size()), prefix);
}

std::wstring ParentOf(const std::wstring &path) {
  const size_t slash = path.find_last_of(L'\\');
  if (slash == std::wstring::npos)
    return {};
  return slash == 2 && path[1] == L':' ? path.substr(0, 3) : path.substr(0, slash);
}

std::wstring NameOf(const std::wstring &path) { return path.substr(path.find_last_of(L'\\') + 1); }

std::wstring Joined(const std::wstring &folder, const std::wstring &name) {
  return folder.back() == L'\\' ? folder + name : folder + L'\\' + name;
}

std::wstring VolumeOf(const std::wstring &path) {
  wchar_t volume[MAX_PATH + 1] = {};
  if (GetVolumePathNameW(path.c_str(), volume, MAX_PATH))
    return Normalized(volume, false);
  return path.size() >= 2 && path[1] == L':' ? path.substr(0, 2) + L'\\' : path;
}

// "a - Copy.txt", then "a - Copy (2).txt" and so on: the first name free in folder and not yet taken by
// another item of the same transfer.
std::wstring FreeCopyName(const std::wstring &folder, const std::wstring &name, bool isFolder,
                          std::set<std::wstring> &taken) {
  const size_t dot = isFolder ? std::wstring::npos : name.find_last_of(L'.');
  const bool hasExtension = dot != std::wstring::npos && dot > 0;
  const std::wstring stem = hasExtension ? name.substr(0, dot) : name;
  const std::wstring extension = hasExtension ? name.substr(dot) : std::wstring();
  for (int n = 1; n < 10000; ++n) {
    std::wstring candidate = stem + L" - Copy" + (n > 1 ? L" (" + std::to_wstring(n) + L")" : L"") + extension;
    std::wstring key = Normalized(Joined(folder, candidate), false);
    CharUpperBuffW(key.data(), static_cast<DWORD>(key.size()));
    if (!Exists(Joined(folder, candidate)) && taken.insert(key).second)
      return candidate;
  }
  return {};
}

// Refusals we find ourselves are shown like the platform's own errors.
HRESULT Refuse(HWND owner, bool quiet, bool move, const std::wstring &text, HRESULT code) {
  if (!quiet)
    ShowMessageBox(owner, WideToUtf8(text.c_str()),
                   move ? "Error Moving File or Folder" : "Error Copying File or Folder", MB_OK | MB_ICONERROR);
  return code;
}

// Names what did not arrive, a few of many.
std::wstring NotArrivedText(const std::vector<std::wstring> &names, const std::wstring &target, bool move) {
  const std::wstring verb = move ? L"moved" : L"copied";
  if (names.size() == 1)
    return L"'" + names.front() + L"' could not be " + verb + L" to '" + target +
           L"' whole. No cut-off copy of it is left there; the original is where it was.";
  constexpr size_t kShown = 10;
  std::wstring text = L"These items could not be " + verb + L" to '" + target + L"' whole:\n";
  for (size_t i = 0; i < names.size() && i < kShown; ++i)
    text += L"\n" + names[i];
  if (names.size() > kShown)
    text += L"\n... and " + std::to_wstring(names.size() - kShown) + L" more";
  return text + L"\n\nNo cut-off copy of them is left there; the originals are where they were.";
}

// A window of our own for the clipboard: it becomes the clipboard's owner when we write to it.
HWND ClipboardWindow() {
  static const HWND window =
      CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr);
  return window;
}

// Hands block to the open clipboard, which owns it from then on (when it takes it).
void PutOnClipboard(UINT format, TGlobalBlock block) {
  if (block && SetClipboardData(format, block.Get()))
    block.Release();
}

} // namespace

bool TransfersFilesItself() { return IsRunningUnderWine(); }

std::vector<std::wstring> ReadHDropPaths(const void *block, size_t size) {
  DROPFILES header;
  if (!block || size < sizeof header)
    return {};
  std::memcpy(&header, block, sizeof header);
  if (header.pFiles < sizeof header || header.pFiles >= size)
    return {};
  const BYTE *bytes = static_cast<const BYTE *>(block);
  std::vector<std::wstring> paths;
  if (header.fWide) {
    if (!ReadStringList<wchar_t>(bytes, size, header.pFiles, paths))
      return {};
  } else {
    std::vector<std::string> narrow;
    if (!ReadStringList<char>(bytes, size, header.pFiles, narrow))
      return {};
    for (const std::string &path : narrow) {
      const int length =
          MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path.data(), static_cast<int>(path.size()), nullptr, 0);
      if (length <= 0)
        return {};
      std::wstring wide(static_cast<size_t>(length), L'\0');
      MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path.data(), static_cast<int>(path.size()), wide.data(),
                          length);
      paths.push_back(std::move(wide));
    }
  }
  for (const std::wstring &path : paths)
    if (!IsUsablePath(path))
      return {};
  return paths;
}

std::vector<std::wstring> ReadHDropPaths(HGLOBAL block) {
  TGlobalLock bytes(block);
  return ReadHDropPaths(bytes.Data(), bytes.Size());
}

std::vector<std::wstring> DataObjectPaths(IDataObject *data) {
  TMedium medium;
  if (!medium.Get(data, CF_HDROP))
    return {};
  return ReadHDropPaths(medium.Medium.hGlobal);
}

DWORD PreferredDropEffect(IDataObject *data) {
  TMedium medium;
  if (!medium.Get(data, PreferredDropEffectFormat()))
    return 0;
  TGlobalLock bytes(medium.Medium.hGlobal);
  DWORD effect = 0;
  if (bytes.Size() >= sizeof effect)
    std::memcpy(&effect, bytes.Data(), sizeof effect);
  return effect;
}

std::wstring FileSystemFolderPath(LPCITEMIDLIST folder) {
  if (!folder)
    return {};
  std::wstring path = IdListToWidePath(folder);
  if (path.empty() || path.rfind(L"::", 0) == 0 || !IsDirectory(path))
    return {};
  return path;
}

DWORD ChooseFileDropEffect(const std::vector<std::wstring> &sources, const std::wstring &targetFolder, DWORD keys,
                           DWORD allowed) {
  allowed &= kTransferEffects;
  if (!allowed || sources.empty() || targetFolder.empty())
    return DROPEFFECT_NONE;
  const std::wstring target = Normalized(targetFolder, false);
  bool allInTarget = true;
  for (const std::wstring &source : sources) {
    const std::wstring item = Normalized(source, false);
    if (IsSameOrInside(target, item))
      return DROPEFFECT_NONE;
    allInTarget = allInTarget && SamePath(ParentOf(item), target);
  }
  DWORD effect;
  if (keys & MK_CONTROL)
    effect = DROPEFFECT_COPY;
  else if (keys & MK_SHIFT)
    effect = DROPEFFECT_MOVE;
  else
    effect =
        SamePath(VolumeOf(Normalized(sources.front(), false)), VolumeOf(target)) ? DROPEFFECT_MOVE : DROPEFFECT_COPY;
  if (!(effect & allowed))
    effect = allowed & ~effect;
  // Moving items into the folder they are in would do nothing.
  return effect == DROPEFFECT_MOVE && allInTarget ? DROPEFFECT_NONE : effect;
}

DWORD AskDropEffect(HWND window, POINT at, DWORD suggested, DWORD allowed) {
  TMenuHandle menu(CreatePopupMenu());
  if (!menu)
    return DROPEFFECT_NONE;
  AppendMenuW(menu.Get(), MF_STRING | (allowed & DROPEFFECT_COPY ? 0 : MF_GRAYED), DROPEFFECT_COPY, L"&Copy Here");
  AppendMenuW(menu.Get(), MF_STRING | (allowed & DROPEFFECT_MOVE ? 0 : MF_GRAYED), DROPEFFECT_MOVE, L"&Move Here");
  AppendMenuW(menu.Get(), MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu.Get(), MF_STRING, kCancelCommand, L"Cancel");
  if (suggested == DROPEFFECT_COPY || suggested == DROPEFFECT_MOVE)
    SetMenuDefaultItem(menu.Get(), suggested, FALSE);
  const UINT chosen = static_cast<UINT>(
      TrackPopupMenuEx(menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, window, nullptr));
  return (chosen == DROPEFFECT_COPY || chosen == DROPEFFECT_MOVE) && (chosen & allowed) ? chosen : DROPEFFECT_NONE;
}

HRESULT TransferFiles(HWND owner, const std::vector<std::wstring> &sources, const std::wstring &targetFolder,
                      DWORD effect, bool quiet) {
  if (effect != DROPEFFECT_COPY && effect != DROPEFFECT_MOVE)
    return E_INVALIDARG;
  const bool move = effect == DROPEFFECT_MOVE;
  const std::wstring target = Normalized(targetFolder, true);
  if (!IsDirectory(target))
    return Refuse(owner, quiet, move, L"Cannot find the folder '" + targetFolder + L"'.",
                  HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));

  // The platform's operation answers success for a missing source and for a folder moved into itself,
  // doing nothing: both are refused here, before anything is touched.
  std::vector<std::wstring> from, to;
  std::set<std::wstring> taken;
  for (const std::wstring &source : sources) {
    const std::wstring item = Normalized(source, true);
    if (!Exists(item))
      return Refuse(owner, quiet, move, L"Cannot find '" + source + L"'. It may have been moved, renamed or deleted.",
                    HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    if (IsSameOrInside(target, item))
      return Refuse(owner, quiet, move,
                    L"Cannot " + std::wstring(move ? L"move '" : L"copy '") + NameOf(item) +
                        L"': the destination folder is the folder itself or lies inside it.",
                    E_INVALIDARG);
    const bool sameFolder = SamePath(ParentOf(item), target);
    if (sameFolder && move)
      continue;
    std::wstring name = NameOf(item);
    if (sameFolder) {
      name = FreeCopyName(target, name, IsDirectory(item), taken);
      if (name.empty())
        return Refuse(owner, quiet, move, L"No free name is left for a copy of '" + NameOf(item) + L"'.",
                      HRESULT_FROM_WIN32(ERROR_FILE_EXISTS));
    }
    from.push_back(item);
    to.push_back(Joined(target, name));
  }
  if (from.empty())
    return S_FALSE;

  TTransferArrival arrival(from, to, move);
  HRESULT result = S_OK;
  // Items keeping their names go into the folder; copies beside their originals are given their new full
  // names. The two never share one operation: given a full name that is an existing folder, the platform
  // under Wine puts the item inside that folder instead of merging.
  std::vector<size_t> intoFolder, renamed;
  for (size_t i = 0; i < from.size(); ++i)
    (SamePath(ParentOf(to[i]), target) && SamePath(NameOf(to[i]), NameOf(from[i])) ? intoFolder : renamed).push_back(i);
  for (const std::vector<size_t> *group : {&intoFolder, &renamed}) {
    if (group->empty())
      continue;
    // Several files without a folder among them, given one folder, are refused as cancelled by the
    // platform under Wine: they are given their full names in the folder instead.
    const bool onlyFiles = std::none_of(group->begin(), group->end(), [&](size_t i) { return IsDirectory(from[i]); });
    const bool named = group == &renamed || (onlyFiles && group->size() > 1);
    std::wstring fromList, toList = named ? std::wstring() : target + L'\0';
    for (size_t i : *group) {
      fromList += from[i] + L'\0';
      if (named)
        toList += to[i] + L'\0';
    }
    fromList += L'\0';
    toList += L'\0';
    SHFILEOPSTRUCTW operation = {};
    operation.hwnd = owner;
    operation.wFunc = move ? FO_MOVE : FO_COPY;
    operation.pFrom = fromList.c_str();
    operation.pTo = toList.c_str();
    operation.fFlags = FOF_ALLOWUNDO | (named ? FOF_MULTIDESTFILES : 0) |
                       (group == &renamed ? FOF_RENAMEONCOLLISION : 0) | (quiet ? FOF_NOERRORUI : 0);
    const int code = SHFileOperationW(&operation);
    if (operation.fAnyOperationsAborted || code != 0) {
      result = operation.fAnyOperationsAborted ? HRESULT_FROM_WIN32(ERROR_CANCELLED)
                                               : HRESULT_FROM_WIN32(static_cast<DWORD>(code));
      break;
    }
  }

  // Success and failure are believed only when the disk shows them: the platform has answered success for
  // moves it did not make (a folder onto a folder of the same name) and for copies that ran out of space.
  // It shows no error box of its own under Wine, only its confirmations: a user who cancelled one is not
  // told again.
  const bool cancelled = result == HRESULT_FROM_WIN32(ERROR_CANCELLED);
  const std::vector<std::wstring> notArrived = arrival.RemoveCutOffCopies(result != S_OK);
  if (cancelled || notArrived.empty())
    return cancelled ? result : S_OK;
  return Refuse(owner, quiet, move, NotArrivedText(notArrived, target, move), FAILED(result) ? result : E_FAIL);
}

bool PasteFilesIntoFolder(HWND owner, LPCITEMIDLIST folder, HRESULT &result) {
  result = S_FALSE;
  if (!TransfersFilesItself())
    return false;
  const std::wstring target = FileSystemFolderPath(folder);
  if (target.empty())
    return false;
  const DWORD sequence = GetClipboardSequenceNumber();
  std::vector<std::wstring> paths;
  bool cut = false;
  {
    ComPtr<IDataObject> data;
    if (FAILED(OleGetClipboard(data.Put())))
      return true;
    paths = DataObjectPaths(data.Get());
    const DWORD preferred = PreferredDropEffect(data.Get());
    // Only a plain "move" is a cut; anything that also allows a copy is pasted as a copy.
    cut = (preferred & DROPEFFECT_MOVE) && !(preferred & DROPEFFECT_COPY);
  }
  if (paths.empty())
    return true;
  result = TransferFiles(owner, paths, target, cut ? DROPEFFECT_MOVE : DROPEFFECT_COPY);
  // The cut files are gone from where the clipboard says they are; a copy or cut made meanwhile stays.
  if (cut && result == S_OK && GetClipboardSequenceNumber() == sequence && OpenClipboard(ClipboardWindow())) {
    EmptyClipboard();
    CloseClipboard();
  }
  return true;
}

void MarkClipboardFilesCut() {
  if (!TransfersFilesItself())
    return;
  TMedium files, idList;
  {
    ComPtr<IDataObject> data;
    if (FAILED(OleGetClipboard(data.Put())) || PreferredDropEffect(data.Get()) != 0)
      return;
    if (!files.Get(data.Get(), CF_HDROP) || ReadHDropPaths(files.Medium.hGlobal).empty())
      return;
    idList.Get(data.Get(), CF_IDLIST);
  }
  const DWORD move = DROPEFFECT_MOVE;
  TGlobalBlock effect = GlobalBlockOf(&move, sizeof move);
  if (!OpenClipboard(ClipboardWindow()))
    return;
  EmptyClipboard();
  PutOnClipboard(CF_HDROP, DuplicateGlobalBlock(files.Medium.hGlobal));
  if (idList.Medium.tymed == TYMED_HGLOBAL && idList.Medium.hGlobal)
    PutOnClipboard(CF_IDLIST, DuplicateGlobalBlock(idList.Medium.hGlobal));
  PutOnClipboard(PreferredDropEffectFormat(), std::move(effect));
  CloseClipboard();
}
