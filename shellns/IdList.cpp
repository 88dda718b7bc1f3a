#include "shellns/IdList.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "shellns/KdIdListArray.h"
#include "shellns/Shell95Internal.h"
#include "shellns/ShellVersion.h"
#include "shellns/WineHost.h"
#include "toolkit/SysUtils.h"
#include "toolkit/SystemLibrary.h"

namespace {

ComPtr<IMalloc> GShellMalloc;
// The program's start may have a worker add the overlays while the main thread goes on: whoever asks second
// waits for the first.
std::atomic<bool> GOverlaysFixed{false};
SRWLOCK GOverlaysLock = SRWLOCK_INIT;
int GRevalidationSuspended = 0;

// The desktop's own list: a lone terminator.
const USHORT EmptyIdList = 0;

LPCITEMIDLIST OrEmpty(LPCITEMIDLIST list) { return list ? list : reinterpret_cast<LPCITEMIDLIST>(&EmptyIdList); }

// Byte counts may sit at odd addresses inside a list.
USHORT ReadCount(const BYTE *at) {
  USHORT count;
  std::memcpy(&count, at, sizeof count);
  return count;
}

UINT BytesWithoutTerminator(LPCITEMIDLIST list) {
  UINT size = IdListSize(list);
  return size >= 2 ? size - 2 : 0;
}

TKdIdListPtr AllocIdList(UINT bytes) { return TKdIdListPtr(static_cast<LPITEMIDLIST>(ShellMemAlloc(bytes))); }

const DWORD DisplayNameFlagTable[] = {SHGDN_NORMAL, SHGDN_INFOLDER, SHGDN_FORPARSING,
                                      SHGDN_INFOLDER | SHGDN_FOREDITING};

} // namespace

void AcquireShellMalloc() { SHGetMalloc(GShellMalloc.Put()); }

void ReleaseShellMalloc() { GShellMalloc.Reset(); }

IMalloc *ShellMalloc() { return GShellMalloc.Get(); }

void *ShellMemAlloc(size_t size) {
  IMalloc *malloc = ShellMalloc();
  return malloc ? malloc->Alloc(size) : CoTaskMemAlloc(size);
}

void ShellMemFree(void *block) {
  if (!block)
    return;
  if (IMalloc *malloc = ShellMalloc())
    malloc->Free(block);
  else
    CoTaskMemFree(block);
}

DWORD DisplayNameFlags(TKdDisplayNameKind kind) {
  return kind <= dnForEditing ? DisplayNameFlagTable[kind] : static_cast<DWORD>(SHGDN_NORMAL);
}

UINT IdListSize(LPCITEMIDLIST list) {
  if (!list)
    return 0;
  auto *bytes = reinterpret_cast<const BYTE *>(list);
  UINT size = 0;
  while (USHORT count = ReadCount(bytes + size))
    size += count;
  return size + 2;
}

TKdIdListPtr IdListCopy(LPCITEMIDLIST list) {
  UINT n = BytesWithoutTerminator(list);
  TKdIdListPtr result = AllocIdList(n + 2);
  if (!result)
    return nullptr;
  auto *out = reinterpret_cast<BYTE *>(result.get());
  if (n)
    std::memcpy(out, list, n);
  out[n] = 0;
  out[n + 1] = 0;
  return result;
}

TKdIdListPtr IdListConcat(LPCITEMIDLIST first, LPCITEMIDLIST second) {
  UINT na = BytesWithoutTerminator(first);
  UINT nb = BytesWithoutTerminator(second);
  TKdIdListPtr result = AllocIdList(na + nb + 2);
  if (!result)
    return nullptr;
  auto *out = reinterpret_cast<BYTE *>(result.get());
  if (na)
    std::memcpy(out, first, na);
  if (nb)
    std::memcpy(out + na, second, nb);
  out[na + nb] = 0;
  out[na + nb + 1] = 0;
  return result;
}

int IdListCompare(LPCITEMIDLIST p, LPCITEMIDLIST q) {
  if (!p && !q)
    return 0;
  if (!p || !q)
    return -1;
  bool pEmpty = p->mkid.cb == 0;
  bool qEmpty = q->mkid.cb == 0;
  if (pEmpty && qEmpty)
    return 0;
  if (pEmpty || qEmpty)
    return -1;
  ComPtr<IShellFolder> desktop;
  if (FAILED(SHGetDesktopFolder(desktop.Put())) || !desktop)
    return 0x7FFFFFFF;
  HRESULT hr = desktop->CompareIDs(0, p, q);
  if (FAILED(hr))
    return 0x7FFFFFFF;
  return static_cast<short>(HRESULT_CODE(hr));
}

HRESULT BindToShellFolder(LPCITEMIDLIST list, ComPtr<IShellFolder> &folder) {
  folder.Reset();
  ComPtr<IShellFolder> desktop;
  HRESULT hr = SHGetDesktopFolder(desktop.Put());
  if (FAILED(hr))
    return hr;
  if (!list || list->mkid.cb == 0) {
    folder = std::move(desktop);
    return hr;
  }
  return desktop->BindToObject(list, nullptr, IID_IShellFolder, folder.PutVoid());
}

namespace {

// Room for the longest path the system has, so that no path or text comes back cut.
constexpr size_t LongestPath = 32767;

std::wstring ShellPathOf(LPCITEMIDLIST list) {
  std::vector<wchar_t> buffer(LongestPath + 1);
  if (!SHGetPathFromIDListEx(OrEmpty(list), buffer.data(), static_cast<DWORD>(buffer.size()), GPFIDL_DEFAULT))
    return {};
  buffer.back() = L'\0';
  return buffer.data();
}

// The item's own file name, as its folder spells it for parsing.
std::wstring ParsingNameInFolder(IShellFolder *folder, LPCITEMIDLIST item) {
  STRRET strRet = {};
  strRet.uType = STRRET_WSTR;
  if (FAILED(folder->GetDisplayNameOf(item, SHGDN_INFOLDER | SHGDN_FORPARSING, &strRet)))
    return {};
  std::string name = StrRetToString(item, strRet);
  FreeStrRet(strRet);
  return Utf8ToWide(name);
}

} // namespace

std::wstring IdListToWidePath(LPCITEMIDLIST list) {
  std::wstring path = ShellPathOf(list);
  // A shell with MAX_PATH buffers (Wine's) answers a longer path cut to MAX_PATH - 1 characters, which names
  // another item or none, and reports success. A path of exactly that length is taken only when it is the
  // parent's path followed by the item's own name.
  if (path.size() != MAX_PATH - 1)
    return path;
  TKdIdListArray items(list);
  const int count = items.Count();
  if (count == 0)
    return path;
  TKdIdListPtr parent = IdListCopy(items.GetHead(1));
  TKdIdListPtr item = IdListCopy(items.GetItem(count - 1));
  ComPtr<IShellFolder> folder;
  if (!parent || !item || FAILED(BindToShellFolder(parent.get(), folder)))
    return {};
  std::wstring whole = IdListToWidePath(parent.get());
  if (whole.empty())
    return {};
  if (whole.back() != L'\\')
    whole += L'\\';
  whole += ParsingNameInFolder(folder.Get(), item.get());
  return whole == path ? path : std::wstring();
}

std::string IdListToPath(LPCITEMIDLIST list) { return WideToUtf8(IdListToWidePath(list).c_str()); }

std::string SpecialFolderPath(HWND owner, int folder) {
  TKdIdListPtr list;
  if (FAILED(GetSpecialFolderIdList(owner, folder, list)))
    return {};
  return IdListToPath(list.get());
}

HRESULT GetSpecialFolderIdList(HWND owner, int folder, TKdIdListPtr &list) {
  return SHGetSpecialFolderLocation(owner, folder & 0x7F, PidlOut(list));
}

int GetIdListIconIndex(LPCITEMIDLIST list, UINT extraFlags) {
  try {
    SHFILEINFOA info = {};
    SHGetFileInfoA(reinterpret_cast<LPCSTR>(OrEmpty(list)), 0, &info, sizeof info,
                   extraFlags | SHGFI_SYSICONINDEX | SHGFI_PIDL);
    return info.iIcon;
  } catch (...) {
    return 0;
  }
}

int PlainFolderIconIndex(IShellFolder *parent, LPCITEMIDLIST item) {
  if (!parent || !IsRunningUnderWine())
    return -1;
  WIN32_FIND_DATAW found = {};
  // Fails for what is not a file-system item of its own (drives, virtual folders, items inside archives).
  if (FAILED(SHGetDataFromIDListW(parent, item, SHGDFIL_FINDDATA, &found, sizeof found)))
    return -1;
  constexpr DWORD Custom = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_REPARSE_POINT;
  if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || (found.dwFileAttributes & Custom))
    return -1;
  // Wine's shell reads the desktop.ini of every folder (its files carry no system attribute to ask first): a
  // folder with one is the shell's to answer for. Looking for the file is part of what the shell's answer
  // costs: microseconds in a small folder, tens of milliseconds in one of 100,000 items (Wine looks through
  // the folder for the name in any case).
  // Anything but a plain "not there" (a path too long, access refused) leaves it to the shell as well.
  const std::string path = GetItemDisplayName(parent, item, dnForParsing);
  if (path.empty() || GetFileAttributesW(Utf8ToWide(path + "\\desktop.ini").c_str()) != INVALID_FILE_ATTRIBUTES ||
      GetLastError() != ERROR_FILE_NOT_FOUND)
    return -1;
  static const int folderIcon = [] {
    SHFILEINFOW info = {};
    if (!SHGetFileInfoW(L"folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info,
                        SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | SHGFI_SMALLICON))
      return -1;
    return info.iIcon;
  }();
  return folderIcon;
}

int FindSpecialFolder(LPCITEMIDLIST list) {
  for (int folder = 0; folder <= 50; ++folder) {
    TKdIdListPtr special;
    HRESULT hr = GetSpecialFolderIdList(nullptr, folder, special);
    if (SUCCEEDED(hr) && IdListCompare(list, special.get()) == 0)
      return folder;
  }
  return 50;
}

bool IsSpecialFolder(LPCITEMIDLIST list, int folder) {
  TKdIdListPtr special;
  return SUCCEEDED(GetSpecialFolderIdList(nullptr, folder, special)) && IdListCompare(list, special.get()) == 0;
}

std::string StrRetToString(LPCITEMIDLIST item, const STRRET &strRet) {
  switch (strRet.uType) {
  case STRRET_WSTR:
    return strRet.pOleStr ? WideToUtf8(strRet.pOleStr) : std::string();
  case STRRET_OFFSET: {
    // The text lies inside the item's own bytes: a bad offset or a missing terminator must not send the
    // read past them.
    UINT size = IdListSize(item);
    if (!item || strRet.uOffset >= size)
      return {};
    const char *text = reinterpret_cast<const char *>(item) + strRet.uOffset;
    return std::string(text, strnlen(text, size - strRet.uOffset));
  }
  case STRRET_CSTR:
    // The inline buffer need not be terminated; never read past it.
    return std::string(strRet.cStr, strnlen(strRet.cStr, sizeof strRet.cStr));
  default:
    return {};
  }
}

void FreeStrRet(STRRET &strRet) {
  if (strRet.uType == STRRET_WSTR && strRet.pOleStr) {
    CoTaskMemFree(strRet.pOleStr);
    strRet.pOleStr = nullptr;
  }
}

std::string GetItemDisplayName(IShellFolder *folder, LPCITEMIDLIST item, TKdDisplayNameKind kind) {
  ComPtr<IShellFolder> desktop;
  if (!folder) {
    if (FAILED(SHGetDesktopFolder(desktop.Put())) || !desktop)
      return {};
    folder = desktop.Get();
  }
  DWORD flags = DisplayNameFlags(kind);
  STRRET strRet = {};
  strRet.uType = STRRET_WSTR;
  if (FAILED(folder->GetDisplayNameOf(item, flags, &strRet))) {
    // Some folders answer only when offered the inline ANSI buffer.
    strRet = {};
    strRet.uType = STRRET_CSTR;
    if (FAILED(folder->GetDisplayNameOf(item, flags, &strRet)))
      return {};
  }
  std::string name = StrRetToString(item, strRet);
  FreeStrRet(strRet);
  return name;
}

std::string GetIdListDisplayName(LPCITEMIDLIST list) {
  ComPtr<IShellFolder> desktop;
  if (FAILED(SHGetDesktopFolder(desktop.Put())) || !desktop)
    return {};
  TKdIdListArray items(list);
  int count = items.Count();
  if (count > 1) {
    ComPtr<IShellFolder> parent;
    OleCheck(desktop->BindToObject(items.GetHead(1), nullptr, IID_IShellFolder, parent.PutVoid()));
    return GetItemDisplayName(parent.Get(), items.GetItem(count - 1), dnInFolder);
  }
  return GetItemDisplayName(desktop.Get(), OrEmpty(list), dnInFolder);
}

bool SystemImageListOverlaysFixed() { return GOverlaysFixed; }

namespace {
// IID_IImageList, which the import libraries do not all carry.
constexpr GUID IID_IImageListOfSystem = {0x46EB5926, 0x582E, 0x4017, {0x9F, 0xDF, 0xE8, 0x99, 0x8D, 0xAA, 0x09, 0x50}};
} // namespace

void FixSystemImageListOverlays() {
  AcquireSRWLockExclusive(&GOverlaysLock);
  TAtExit unlock([] { ReleaseSRWLockExclusive(&GOverlaysLock); });
  if (GOverlaysFixed)
    return;
  HMODULE shell32 = LoadSystemLibrary(L"shell32.dll");
  if (!shell32)
    return;
  // The shell hands out one icon index for all the sizes it keeps (small, large, extra large, jumbo), so
  // every one of them gets the overlays: a size left out would give the next icon the shell adds an index
  // that names an overlay in the others (under Wine every folder then showed an overlay instead).
  std::vector<HIMAGELIST> lists;
  for (int size = SHIL_LARGE; size <= SHIL_LAST; ++size) {
    void *list = nullptr;
    if (SUCCEEDED(SHGetImageList(size, IID_IImageListOfSystem, &list)) && list &&
        std::find(lists.begin(), lists.end(), static_cast<HIMAGELIST>(list)) == lists.end())
      lists.push_back(static_cast<HIMAGELIST>(list));
  }
  struct Overlay {
    int Resource;
    int Number;
  };
  for (Overlay overlay : {Overlay{29, 1}, Overlay{30, 2}}) {
    for (HIMAGELIST list : lists) {
      int width = 0, height = 0;
      ImageList_GetIconSize(list, &width, &height);
      // The jumbo list (256 pixels) is the nearest size only for icons of more than 152 pixels, which no
      // resolution the program runs at asks for: its overlays are left blank, which keeps its indexes in step
      // with the other lists' for a fraction of the cost of drawing an icon into it (milliseconds each under Wine).
      if (width >= 256) {
        const int index = ImageList_GetImageCount(list);
        if (ImageList_SetImageCount(list, static_cast<UINT>(index) + 1))
          ImageList_SetOverlayImage(list, index, overlay.Number);
        continue;
      }
      // Loaded unshared so that the icon may be destroyed once the list holds its copy.
      auto icon =
          static_cast<HICON>(LoadImageA(shell32, MAKEINTRESOURCEA(overlay.Resource), IMAGE_ICON, width, height, 0));
      if (!icon)
        continue;
      int index = ImageList_ReplaceIcon(list, -1, icon);
      if (index >= 0)
        ImageList_SetOverlayImage(list, index, overlay.Number);
      DestroyIcon(icon);
    }
  }
  GOverlaysFixed = true;
  FreeLibrary(shell32);
}

HIMAGELIST GetSystemImageList(int size) {
  if (IsWindowsNT() && VersionHigh(ComCtl32Version) >= kdComCtl32v471 && !GOverlaysFixed)
    FixSystemImageListOverlays();
  // The lists live as long as the process; asking for them looks up an icon (a drive's, which Wine asks its
  // mount manager about), so that is done once.
  static const struct TLists {
    HIMAGELIST Small, Large;
  } lists = [] {
    auto query = [](UINT size) {
      SHFILEINFOA info = {};
      return reinterpret_cast<HIMAGELIST>(SHGetFileInfoA("C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | size));
    };
    return TLists{query(SHGFI_SMALLICON), query(SHGFI_LARGEICON)};
  }();
  return size == 0 ? lists.Small : lists.Large;
}

HIMAGELIST GetSystemImageListOfSize(int pixels) {
  // The small and the large lists, then the larger ones the shell keeps besides (built on first request, and
  // asked for only when neither of the first two has the size).
  std::vector<HIMAGELIST> lists = {GetSystemImageList(0), GetSystemImageList(1)};
  auto widthOf = [](HIMAGELIST list) {
    int width = 0, height = 0;
    return list && ImageList_GetIconSize(list, &width, &height) ? width : 0;
  };
  if (widthOf(lists[0]) != pixels && widthOf(lists[1]) != pixels)
    for (int kind : {SHIL_EXTRALARGE, SHIL_JUMBO}) {
      void *list = nullptr;
      if (SUCCEEDED(SHGetImageList(kind, IID_IImageListOfSystem, &list)) && list)
        lists.push_back(static_cast<HIMAGELIST>(list));
    }
  HIMAGELIST nearest = nullptr;
  int nearestWidth = 0;
  for (HIMAGELIST list : lists) {
    int width = 0, height = 0;
    if (!list || !ImageList_GetIconSize(list, &width, &height))
      continue;
    const int distance = std::abs(width - pixels), best = std::abs(nearestWidth - pixels);
    if (!nearest || distance < best || (distance == best && width < nearestWidth)) {
      nearest = list;
      nearestWidth = width;
    }
  }
  return nearest;
}

void RevalidateDriveList() {
  if (GRevalidationSuspended > 0)
    return;
  TKdIdListPtr drives;
  OleCheck(GetSpecialFolderIdList(nullptr, CSIDL_DRIVES, drives));
  ComPtr<IShellFolder> folder;
  OleCheck(BindToShellFolder(drives.get(), folder));
  SFGAOF attributes = SFGAO_VALIDATE;
  folder->GetAttributesOf(0, nullptr, &attributes);
}

void SuspendDriveRevalidation() { ++GRevalidationSuspended; }

void ResumeDriveRevalidation() { --GRevalidationSuspended; }

HRESULT ReadShellLink(const std::string &fileName, TKdShellLinkInfo &info, bool wantIdList) {
  // The wide link object: the ANSI one answers into the caller's buffers in UTF-8, where MAX_PATH bytes hold
  // fewer than a hundred characters of some scripts.
  ComPtr<IShellLinkW> link;
  HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.PutVoid());
  if (FAILED(hr))
    return hr;
  ComPtr<IPersistFile> file;
  hr = link.As(file);
  if (FAILED(hr))
    return hr;
  // As with parsing, the whole name: a cut one could load a different file.
  std::wstring wideName = Utf8ToWide(fileName);
  hr = file->Load(wideName.c_str(), 0);
  if (FAILED(hr))
    return hr;
  HWND window = nullptr;
  DWORD flags = 0;
  if (info.ResolveMode == 1) {
    window = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0xFFFFFFFF));
    flags = 0x00010000;
  }
  hr = link->Resolve(window, flags);
  if (FAILED(hr))
    return hr;

  std::vector<wchar_t> buffer(LongestPath + 1);
  const int size = static_cast<int>(buffer.size());
  auto take = [&](HRESULT result, std::string &field) {
    if (SUCCEEDED(result)) {
      buffer.back() = L'\0';
      field = WideToUtf8(buffer.data());
    }
    buffer[0] = L'\0';
    return result;
  };
  buffer[0] = L'\0';
  hr = take(link->GetPath(buffer.data(), size, &info.FindData, 0), info.Path);
  if (FAILED(hr))
    return hr;
  hr = take(link->GetArguments(buffer.data(), size), info.Arguments);
  if (FAILED(hr))
    return hr;
  hr = take(link->GetDescription(buffer.data(), size), info.Description);
  if (FAILED(hr))
    return hr;
  int iconIndex = 0;
  hr = take(link->GetIconLocation(buffer.data(), size, &iconIndex), info.IconLocation);
  if (FAILED(hr))
    return hr;
  info.IconIndex = iconIndex;
  hr = take(link->GetWorkingDirectory(buffer.data(), size), info.WorkingDirectory);
  if (FAILED(hr))
    return hr;
  int showCmd = 0;
  hr = link->GetShowCmd(&showCmd);
  if (FAILED(hr))
    return hr;
  info.ShowCmd = showCmd;
  WORD hotkey = 0;
  hr = link->GetHotkey(&hotkey);
  if (FAILED(hr))
    return hr;
  info.Hotkey = hotkey;
  if (wantIdList)
    hr = link->GetIDList(PidlOut(info.IdList));
  else
    info.IdList.reset();
  return hr;
}

std::string AppendDelimiter(const std::string &s, char delimiter) {
  if (s.empty())
    return s;
  // Walk from the start: only that tells whether the last byte trails a lead byte.
  bool lastIsTrail = false;
  for (size_t i = 0; i < s.size(); ++i) {
    if (IsDBCSLeadByte(static_cast<BYTE>(s[i])) && i + 1 < s.size()) {
      ++i;
      lastIsTrail = i == s.size() - 1;
    } else {
      lastIsTrail = false;
    }
  }
  if (lastIsTrail || s.back() != delimiter)
    return s + delimiter;
  return s;
}

void CopyMbcsChar(int &pos, const std::string &s, std::string &dest) {
  // Positions outside s, and a lead byte cut off at its end, never read past the string.
  if (pos < 1 || static_cast<size_t>(pos) > s.size())
    return;
  size_t at = static_cast<size_t>(pos) - 1;
  if (IsDBCSLeadByte(static_cast<BYTE>(s[at])) && at + 1 < s.size()) {
    dest.append(s, at, 2);
    pos += 2;
  } else {
    dest += s[at];
    pos += 1;
  }
}
