#include "shellctrls/list/KdShListData.h"

#include <utility>

#include "shellctrls/KdShellFolderContext.h"
#include "shellctrls/list/DetailTexts.h"
#include "shellns/ErrorModeScope.h"
#include "shellns/ShellVersion.h"
#include "toolkit/SysUtils.h"

namespace {

bool Shell32v6() { return VersionHigh(Shell32Version) >= kdVersion600; }

// The extension of a path: from the last "." of its last component on.
std::string ExtractFileExt(const std::string &path) {
  size_t dot = path.find_last_of(".\\:");
  if (dot == std::string::npos || path[dot] != '.')
    return {};
  return path.substr(dot);
}

} // namespace

TKdShListData::TKdShListData(IKdShellFolderContext *folder, TKdIdListPtr list)
    : FFolder(folder), FRelIdList(std::move(list)) {}

TKdShListData::~TKdShListData() = default;

TKdShListData::TCache &TKdShListData::Cache() {
  if (!FCache)
    FCache = std::make_unique<TCache>();
  return *FCache;
}

void TKdShListData::SetRelIdList(TKdIdListPtr list) {
  FRelIdList = std::move(list);
  ResetCache();
}

void TKdShListData::ResetCache() {
  FCache.reset();
  FMatchKey.reset();
}

LPCITEMIDLIST TKdShListData::GetAbsIdList() {
  TCache &cache = Cache();
  if (!cache.AbsIdList)
    cache.AbsIdList = IdListConcat(FFolder->CurrentIdList(), FRelIdList.get());
  return cache.AbsIdList.get();
}

const std::string &TKdShListData::GetName() {
  TCache &cache = Cache();
  if (!cache.NameLoaded) {
    cache.Name = GetItemDisplayName(FFolder->ShellFolder(), FRelIdList.get(), dnNormal);
    cache.NameLoaded = true;
  }
  return cache.Name;
}

std::string TKdShListData::GetPath() { return IdListToPath(GetAbsIdList()); }

bool TKdShListData::GetFileSize(uint64_t &size) {
  IShellFolder *folder = FFolder->ShellFolder();
  // Read off the item's list, which holds its find data: a selection of many thousands is summed without
  // touching the disk. Items outside the file system have none.
  WIN32_FIND_DATAW data;
  if (!folder || FAILED(SHGetDataFromIDListW(folder, FRelIdList.get(), SHGDFIL_FINDDATA, &data, sizeof data)) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return false;
  size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return true;
}

SFGAOF TKdShListData::GetAttributes() {
  SFGAOF attributes = Shell32v6() ? 0x704F0037 : 0x700F0037;
  const std::string path = GetPath();
  // Removable media report themselves read-only while the drive is empty or locked; the item is not.
  if (path.size() > 3 && path[1] == ':' && !IsDBCSLeadByte(static_cast<BYTE>(path[0])) &&
      GetDriveTypeA(path.substr(0, 3).c_str()) == DRIVE_REMOVABLE)
    attributes &= ~static_cast<SFGAOF>(SFGAO_READONLY);
  LPCITEMIDLIST item = FRelIdList.get();
  if (IShellFolder *folder = FFolder->ShellFolder())
    folder->GetAttributesOf(1, &item, &attributes);
  return attributes;
}

bool TKdShListData::CanRename() { return GetAttributes() & SFGAO_CANRENAME; }

bool TKdShListData::IsFolder() {
  const SFGAOF attributes = GetAttributes();
  if (!(attributes & SFGAO_FOLDER))
    return false;
  if (FFolder->FilesCanBeFolders())
    return true;
  return !Shell32v6() || !(attributes & SFGAO_STREAM);
}

bool TKdShListData::IsLink() {
  const std::wstring ext = Utf8ToWide(ExtractFileExt(GetPath()));
  return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, ext.c_str(), static_cast<int>(ext.size()), L".lnk", 4) ==
         CSTR_EQUAL;
}

int TKdShListData::GetIconIndex() {
  TCache &cache = Cache();
  if (cache.IconIndex < 0) {
    // Asked of the folder already bound: the absolute list would have the shell bind every folder on the
    // way to the item again, for every row drawn. Small and large system lists share their indexes. A
    // shortcut shows its target's icon, which only the whole lookup gives (the folder's own answer is a
    // folder's icon under Wine).
    IShellFolder *folder = FFolder->ShellFolder();
    LPCITEMIDLIST item = FRelIdList.get();
    SFGAOF attributes = SFGAO_LINK;
    cache.IconIndex = PlainFolderIconIndex(folder, item);
    if (cache.IconIndex < 0 && folder && SUCCEEDED(folder->GetAttributesOf(1, &item, &attributes)) &&
        !(attributes & SFGAO_LINK))
      cache.IconIndex = SHMapPIDLToSystemImageListIndex(folder, item, nullptr);
    if (cache.IconIndex < 0)
      cache.IconIndex = GetIdListIconIndex(GetAbsIdList(), SHGFI_SMALLICON);
  }
  return cache.IconIndex;
}

void TKdShListData::LoadDetails() {
  TCache &cache = Cache();
  if (cache.DetailsLoaded)
    return;
  const SFGAOF attributes = GetAttributes();
  GetItemDetailTexts(GetAbsIdList(), attributes, cache.SizeText, cache.ModifiedText, cache.TypeText);
  cache.DetailsLoaded = true;
}

std::string TKdShListData::GetColumnText(int column) {
  if (column == 0)
    return {};
  if (IShellDetails *details = FFolder->GetFolderDetails()) {
    std::vector<std::optional<std::string>> &columns = Cache().Columns;
    if (columns.size() <= static_cast<size_t>(column))
      columns.resize(static_cast<size_t>(column) + 1);
    std::optional<std::string> &text = columns[static_cast<size_t>(column)];
    if (!text) {
      TKdErrorModeScope errorMode;
      SHELLDETAILS record = {};
      if (FAILED(details->GetDetailsOf(FRelIdList.get(), static_cast<UINT>(column), &record)))
        return {};
      text = StrRetToString(FRelIdList.get(), record.str);
      FreeStrRet(record.str);
    }
    return *text;
  }
  LoadDetails();
  switch (column) {
  case 1:
    return FCache->SizeText;
  case 2:
    return FCache->TypeText;
  case 3:
    return FCache->ModifiedText;
  default:
    return {};
  }
}
