// Filling the shell list: reading its folder, admitting the items and making their rows.
#include "shellctrls/list/KdCustomShellList.h"

#include <utility>
#include <vector>

#include "shellctrls/KdShellTreeLink.h"
#include "shellctrls/OwnerFormHandle.h"
#include "shellctrls/WindowUtils.h"
#include "shellns/ErrorModeScope.h"
#include "toolkit/Screen.h"
#include "toolkit/SysUtils.h"

namespace {

// Failures that only say the folder cannot be read now (no medium, gone, not ready): the list shows what it
// has and says nothing.
bool IsOrdinaryReadFailure(HRESULT hr) {
  if (hr == E_FAIL)
    return true;
  if (HRESULT_FACILITY(hr) != FACILITY_WIN32)
    return false;
  switch (HRESULT_CODE(hr)) {
  case ERROR_NOT_READY:
  case ERROR_FILE_NOT_FOUND:
  case ERROR_PATH_NOT_FOUND:
  case ERROR_INVALID_DRIVE:
  case ERROR_NO_MEDIA_IN_DRIVE:
  case ERROR_UNRECOGNIZED_MEDIA:
  case ERROR_DEV_NOT_EXIST:
  case ERROR_BAD_NETPATH:
  case ERROR_CANCELLED:
    return true;
  default:
    return false;
  }
}

// What a row shows of its item's attributes.
constexpr int SharedOverlay = 0;
constexpr int LinkOverlay = 1;

} // namespace

void TKdCustomShellList::FillList() {
  if (!WindowHandle() || !FGate.Admit(TKdHeldWork::Fill))
    return;
  // The fill brings the list up to date: a refresh still waiting has nothing left to do.
  FGate.CancelDue();
  FEnumResult = S_OK;
  {
    TCursorSaver hourglass(crHourGlass);
    ClearRows();
    EndNameFilterForFolder(FFolder.GetIdList());
    BeginUpdate();
    TAtExit end([this] { EndUpdate(); });
    ComPtr<IShellFolder> folder;
    HRESULT hr = BindToShellFolder(FFolder.GetIdList(), folder);
    if (FAILED(hr)) {
      // Nothing of the folder shown before may stay in use: the rows are gone, and so is it.
      FShellFolder.Reset();
      FFolderDetails.Reset();
      FDetailsLookedUp = false;
      FCurrentIdList = FFolder.GetIdList() ? IdListCopy(FFolder.GetIdList()) : nullptr;
      if (IsOrdinaryReadFailure(hr))
        return;
      RaiseSystemError(static_cast<DWORD>(hr));
    }
    PrepareFilter();
    TAtExit filter([this] { ReleaseFilter(); });
    EnumerateFolder(folder.Get(), FFolder.GetIdList());
  }
  SortRows();
  if (ShownCount() > 0)
    ShownItem(0)->SetFocused(true);
  if (ViewStyle() == vsIcon || ViewStyle() == vsSmallIcon) {
    Perform(WM_VSCROLL, SB_TOP, 0);
    Perform(WM_HSCROLL, SB_TOP, 0);
  }
  if (FOptions.Contains(kdsloDynamicRefresh))
    StartChangeWatch();
  // Rows read before a failure stay; the failure is told once they are shown.
  if (FAILED(FEnumResult) && !IsOrdinaryReadFailure(FEnumResult))
    RaiseSystemError(static_cast<DWORD>(std::exchange(FEnumResult, S_OK)));
}

HRESULT TKdCustomShellList::ReadFolderItems(IShellFolder *folder, bool &listed,
                                            const std::function<void(TKdIdListPtr &&)> &take) {
  SHCONTF flags = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS;
  if (FOptions.Contains(kdsloShowHidden))
    flags |= SHCONTF_INCLUDEHIDDEN;
  TKdErrorModeScope errorMode;
  ComPtr<IEnumIDList> enumerator;
  HRESULT hr = folder->EnumObjects(GetOwnerFormHandle(this), flags, enumerator.Put());
  listed = SUCCEEDED(hr) && enumerator;
  if (!listed)
    return FAILED(hr) ? hr : S_OK;
  for (;;) {
    TKdIdListPtr item;
    hr = enumerator->Next(1, PidlOut(item), nullptr);
    // An item handed out with a failure is still an item: a listing that breaks off keeps what it gave.
    if (item)
      take(std::move(item));
    if (FAILED(hr))
      return hr == HRESULT_FROM_WIN32(ERROR_NO_MORE_ITEMS) ? S_OK : hr;
    if (hr != S_OK)
      return S_OK;
  }
}

void TKdCustomShellList::EnumerateFolder(IShellFolder *folder, LPCITEMIDLIST idList) {
  BeginUpdate();
  TAtExit end([this] {
    EndUpdate();
    DoFillComplete();
  });
  DoFillStart();

  // The folder's own list may be the locator's, which the handlers below may change: take a copy first.
  FCurrentIdList = idList ? IdListCopy(idList) : nullptr;
  FShellFolder = ComPtr<IShellFolder>::AddRefed(folder);
  FFolderDetails.Reset();
  FDetailsLookedUp = false;
  SetupColumns(GetFolderDetails());

  // Every item is read before any row is made: a row made is shown, and the enumeration is the slow part.
  std::vector<std::unique_ptr<TKdShListData>> collected;
  bool listed = false;
  const HRESULT read = ReadFolderItems(folder, listed, [&](TKdIdListPtr &&list) {
    collected.push_back(std::make_unique<TKdShListData>(this, std::move(list)));
  });
  // A folder that cannot be listed at all shows nothing, silently.
  FEnumResult = listed ? read : S_OK;
  SetAllocBy(static_cast<int>(collected.size()));
  for (std::unique_ptr<TKdShListData> &data : collected) {
    SFGAOF attributes = 0;
    if (ShouldAddItem(idList, data->RelIdList(), attributes))
      AddRow(std::move(data), attributes);
  }
  SetAllocBy(RowAllocationStep);
}

bool TKdCustomShellList::ShouldAddItem(LPCITEMIDLIST parentIdList, LPCITEMIDLIST relIdList, SFGAOF &attributes) {
  attributes = SFGAO_FILESYSTEM | SFGAO_FOLDER | SFGAO_FILESYSANCESTOR | SFGAO_REMOVABLE | SFGAO_HIDDEN | SFGAO_SHARE |
               SFGAO_LINK;
  if (FShellFolder)
    FShellFolder->GetAttributesOf(1, &relIdList, &attributes);
  if (!FOptions.Contains(kdsloNonFilesystemAncestors) && !(attributes & (SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR)))
    return false;
  if (FOptions.Contains(kdsloHideFoldersWhenLinkedToTree) && FShellTree && (attributes & SFGAO_FOLDER) &&
      (attributes & SFGAO_FILESYSTEM))
    return false;
  return AllowAddItem(FShellFolder.Get(), parentIdList, attributes, relIdList);
}

bool TKdCustomShellList::AllowAddItem(IShellFolder *folder, LPCITEMIDLIST parentIdList, SFGAOF attributes,
                                      LPCITEMIDLIST relIdList) {
  bool allow = true;
  if (FFilterNames && !(attributes & SFGAO_FOLDER)) {
    std::string name = GetItemDisplayName(folder, relIdList, dnForParsing);
    size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos)
      name.erase(0, slash + 1);
    allow = MatchesFilter(name, attributes);
  }
  if (allow && OnAddItem)
    OnAddItem(this, folder, parentIdList, relIdList, attributes, allow);
  return allow;
}

void TKdCustomShellList::AddNewShellItem(LPCITEMIDLIST parentIdList, TKdIdListPtr relIdList) {
  SFGAOF attributes = 0;
  if (ShouldAddItem(parentIdList, relIdList.get(), attributes))
    AddRow(std::make_unique<TKdShListData>(this, std::move(relIdList)), attributes);
}

void TKdCustomShellList::AddRow(std::unique_ptr<TKdShListData> data, SFGAOF attributes) {
  TListItem *row = Items().Add(std::move(data));
  if (attributes & SFGAO_SHARE)
    row->SetOverlayIndex(SharedOverlay);
  else if (attributes & SFGAO_LINK)
    row->SetOverlayIndex(LinkOverlay);
  if (attributes & SFGAO_HIDDEN)
    row->SetCut(true);
  const int placeholders = FFolderDetails ? Columns().Count() - 1 : 3;
  for (int i = 0; i < placeholders; ++i)
    row->SubItems().Add();
}

void TKdCustomShellList::Delete(TListItem *item) {
  if (item == FDropRow)
    FDropRow = nullptr;
  if (TKdShListData *data = ShellData(item); data && OnDeleteItem)
    OnDeleteItem(this, item, data);
  TKdCustomListView::Delete(item);
}
