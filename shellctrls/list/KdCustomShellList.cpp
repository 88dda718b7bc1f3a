#include "shellctrls/list/KdCustomShellList.h"

#include <dbt.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "shellctrls/ChangeHandlerThread.h"
#include "shellctrls/KdShellTreeLink.h"
#include "shellctrls/OwnerFormHandle.h"
#include "shellctrls/list/ShellFolder2DetailsAdapter.h"
#include "shellctrls/WindowUtils.h"
#include "shellns/ErrorModeScope.h"
#include "shellns/KdDeviceChangeHandler.h"
#include "shellns/KdIdListArray.h"
#include "toolkit/Application.h"
#include "toolkit/Screen.h"
#include "toolkit/StringList.h"
#include "toolkit/SysUtils.h"
#include "toolkit/TreeNode.h"

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

} // namespace

TKdCustomShellList::TKdCustomShellList(TComponent *AOwner) : TKdCustomListView(AOwner) {
  FFolder.OnChange = [this](TObject *) { FolderChanged(); };
  FRefreshTimer = new TTimer(this);
  FRefreshTimer->SetEnabled(false);
  FRefreshTimer->OnTimer = [this](TObject *) { RefreshTimerTick(); };
  FSmallImages = new TImageList(this, 16, 16);
  FSmallImages->SetShareImages(true);
  FSmallImages->SetHandle(GetSystemImageList(0));
  FLargeImages = new TImageList(this, 32, 32);
  FLargeImages->SetShareImages(true);
  FLargeImages->SetHandle(GetSystemImageList(1));
  SetSmallImages(FSmallImages);
  SetLargeImages(FLargeImages);
  IconOptions().SetAutoArrange(true);
  SetAllocBy(RowAllocationStep);
  SetViewStyle(vsReport);
  DeviceChangeHandler()->RegisterHandler(this, [this](TKdDeviceChangeHandler *, TKdMessage &m) { DeviceChange(m); });
}

TKdCustomShellList::~TKdCustomShellList() {
  DeviceChangeHandler()->UnregisterHandler(this);
  // The window goes while this class can still free the rows' data (the base's destruction would only
  // forget the rows).
  DestroyHandle();
  ClearRows();
  // The link to the tree stays: the component's end tells the tree that its list is gone.
  FListDropTarget.Reset();
  delete std::exchange(FRefreshTimer, nullptr);
  FChangeThread.reset();
  SetSmallImages(nullptr);
  SetLargeImages(nullptr);
  delete std::exchange(FSmallImages, nullptr);
  delete std::exchange(FLargeImages, nullptr);
  FShellFolder.Reset();
  FCurrentIdList.reset();
  FFolderDetails.Reset();
}

void TKdCustomShellList::ClearRows() {
  if (Items().Count() == 0)
    return;
  ClearSelection();
  BeginUpdate();
  TAtExit end([this] { EndUpdate(); });
  Items().Clear();
}

TKdShListData *TKdCustomShellList::ShellData(const TListItem *item) {
  return item ? dynamic_cast<TKdShListData *>(item->Data()) : nullptr;
}

// --- window ---

void TKdCustomShellList::CreateWnd() {
  FInWindowCreation = true;
  TAtExit creation([this] { FInWindowCreation = false; });
  TKdCustomListView::CreateWnd();
  if (FOptions.Contains(kdsloOleDrop))
    RegisterDropTarget();
  if (FOptions.Contains(kdsloAutoFill) && Items().Count() == 0)
    PostMessageW(WindowHandle(), DeferredFillMessage, 0, 0);
}

void TKdCustomShellList::DestroyWnd() {
  FInWindowDestruction = true;
  TAtExit destruction([this] { FInWindowDestruction = false; });
  ClearSelection();
  {
    BeginUpdate();
    TAtExit end([this] { EndUpdate(); });
    ++FFolderChangeDepth;
    TAtExit depth([this] { --FFolderChangeDepth; });
    ClearSelection();
    Items().Clear();
  }
  TKdCustomListView::DestroyWnd();
}

ComPtr<IDropTarget> TKdCustomShellList::CreateListDropTarget() {
  return FirstReference<IDropTarget>(new TKdForwardingDropTarget<TKdCustomShellList>(this));
}

void TKdCustomShellList::RegisterDropTarget() {
  HWND wnd = WindowHandle();
  if (!wnd || FListDropTarget)
    return;
  FListDropTarget = CreateListDropTarget();
  if (FListDropTarget && FAILED(RegisterDragDrop(wnd, FListDropTarget.Get())))
    FListDropTarget.Reset();
}

void TKdCustomShellList::RevokeDropTarget() {
  if (!FListDropTarget)
    return;
  if (HWND wnd = WindowHandle())
    RevokeDragDrop(wnd);
  FListDropTarget.Reset();
}

void TKdCustomShellList::WndProc(TMessage &message) {
  switch (message.Msg) {
  case ChangeMessage:
    ChangeNotified();
    message.Result = 0;
    return;
  case DeferredFillMessage:
    if (Items().Count() == 0)
      FillList();
    message.Result = 0;
    return;
  case EditNewFolderMessage:
    EditNewFolderRow();
    message.Result = 0;
    return;
  case ShellBrowserRequestMessage:
    message.Result = ShellBrowserRequest();
    return;
  case WM_NCHITTEST:
    DefaultHandler(message);
    return;
  case CN_NOTIFY: {
    const UINT code = reinterpret_cast<NMHDR *>(message.LParam)->code;
    if (code == LVN_BEGINDRAG || code == LVN_BEGINRDRAG) {
      if (FOptions.Contains(kdsloOleDrag))
        StartOleDrag(code == LVN_BEGINRDRAG ? mbRight : mbLeft);
      message.Result = 0;
      return;
    }
    break;
  }
  case WM_WINDOWPOSCHANGED:
    if (FInWindowDestruction) {
      message.Result = 0;
      return;
    }
    break;
  case WM_DESTROY:
    if (FWidthsShared && Columns().Count() > 0)
      SaveColumnWidths();
    FChangeThread.reset();
    RevokeDropTarget();
    break;
  default:
    break;
  }
  TKdCustomListView::WndProc(message);
}

void TKdCustomShellList::Notification(TComponent *component, bool inserted) {
  TKdCustomListView::Notification(component, inserted);
  if (!inserted && component && component == FShellTreeComponent) {
    FShellTree = nullptr;
    FShellTreeComponent = nullptr;
  }
}

// --- properties ---

void TKdCustomShellList::SetShellTree(IKdShellTreeLink *value) {
  if (value == FShellTree)
    return;
  if (FShellTreeComponent)
    FShellTreeComponent->RemoveFreeNotification(this);
  FShellTree = value;
  FShellTreeComponent = value ? value->LinkComponent() : nullptr;
  if (FShellTreeComponent)
    FShellTreeComponent->FreeNotification(this);
}

void TKdCustomShellList::SetOptions(TKdShellListOptions value) {
  const TKdShellListOptions old = FOptions;
  FOptions = value;
  if (!WindowHandle())
    return;
  auto changed = [&](TKdShellListOption option) { return old.Contains(option) != value.Contains(option); };
  if (changed(kdsloOleDrop)) {
    if (value.Contains(kdsloOleDrop))
      RegisterDropTarget();
    else
      RevokeDropTarget();
  }
  if (changed(kdsloDynamicRefresh)) {
    if (value.Contains(kdsloDynamicRefresh))
      StartChangeWatch();
    else if (FChangeThread)
      FChangeThread->RemoveAllWatches();
  }
  if (changed(kdsloHideFoldersWhenLinkedToTree) || changed(kdsloShowHidden))
    RefreshList();
}

IShellDetails *TKdCustomShellList::GetFolderDetails() {
  if (!FDetailsLookedUp) {
    FDetailsLookedUp = true;
    FFolderDetails = GetShellDetails(FShellFolder.Get());
  }
  return FFolderDetails.Get();
}

// --- filling ---

void TKdCustomShellList::FolderChanged() {
  if (FFolderChangeDepth <= 0) {
    ++FFolderChangeDepth;
    TAtExit depth([this] { --FFolderChangeDepth; });
    if (FShellTree)
      FShellTree->SelectIdList(FFolder.GetIdList());
    FillList();
  }
  DoFolderChanged();
}

void TKdCustomShellList::FillList() {
  if (!WindowHandle())
    return;
  if (FDragging || LabelEditInProgress()) {
    FRefreshPending = true;
    return;
  }
  FEnumResult = S_OK;
  {
    TCursorSaver hourglass(crHourGlass);
    ClearRows();
    BeginUpdate();
    TAtExit end([this] { EndUpdate(); });
    ComPtr<IShellFolder> folder;
    HRESULT hr = BindToShellFolder(FFolder.GetIdList(), folder);
    if (FAILED(hr)) {
      // Nothing of the folder shown before may stay in use: the rows are gone, and so is it.
      FShellFolder.Reset();
      FFolderDetails.Reset();
      FDetailsLookedUp = false;
      FCurrentIdList.reset(FFolder.GetIdList() ? IdListCopy(FFolder.GetIdList()) : nullptr);
      if (IsOrdinaryReadFailure(hr))
        return;
      RaiseSystemError(static_cast<DWORD>(hr));
    }
    PrepareFilter();
    TAtExit filter([this] { ReleaseFilter(); });
    EnumerateFolder(folder.Get(), FFolder.GetIdList());
  }
  SortRows();
  if (Items().Count() > 0)
    Items()[0]->SetFocused(true);
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
  TKdIdListPtr current(idList ? IdListCopy(idList) : nullptr);
  FCurrentIdList = std::move(current);
  FShellFolder = ComPtr<IShellFolder>::AddRefed(folder);
  FFolderDetails.Reset();
  FDetailsLookedUp = false;
  IShellDetails *details = GetFolderDetails();
  SetupColumns(details);

  // Every item is read before any row is made: a row made is shown, and the enumeration is the slow part.
  std::vector<std::unique_ptr<TKdShListData>> collected;
  bool listed = false;
  const HRESULT read = ReadFolderItems(folder, listed, [&](TKdIdListPtr &&list) {
    auto data = std::make_unique<TKdShListData>(this);
    data->SetRelIdList(list.release());
    collected.push_back(std::move(data));
  });
  // A folder that cannot be listed at all shows nothing, silently.
  FEnumResult = listed ? read : S_OK;
  SetAllocBy(static_cast<int>(collected.size()));
  for (std::unique_ptr<TKdShListData> &data : collected) {
    SFGAOF attributes = 0;
    if (!ShouldAddItem(idList, data->RelIdList(), attributes))
      continue;
    FPendingData = data.release();
    FPendingAttributes = attributes;
    FPendingDetails = details;
    Items().Add();
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

void TKdCustomShellList::AddNewShellItem(LPCITEMIDLIST parentIdList, LPITEMIDLIST relIdList) {
  TKdIdListPtr owned(relIdList);
  try {
    SFGAOF attributes = 0;
    if (!ShouldAddItem(parentIdList, relIdList, attributes))
      return;
    auto data = std::make_unique<TKdShListData>(this);
    data->SetRelIdList(owned.release());
    FPendingData = data.release();
    FPendingAttributes = attributes;
    FPendingDetails = FFolderDetails.Get();
    Items().Add();
  } catch (...) {
    Application->MessageBox("Exception in AddNewShellItem", "", MB_OK | MB_ICONERROR);
    throw;
  }
}

void TKdCustomShellList::InsertItem(TListItem *item) {
  if (TKdShListData *data = std::exchange(FPendingData, nullptr)) {
    item->SetData(data);
    if (FPendingAttributes & SFGAO_SHARE)
      item->SetOverlayIndex(0);
    else if (FPendingAttributes & SFGAO_LINK)
      item->SetOverlayIndex(1);
    if (FPendingAttributes & SFGAO_HIDDEN)
      item->SetCut(true);
    const int placeholders = FPendingDetails ? Columns().Count() - 1 : 3;
    for (int i = 0; i < placeholders; ++i)
      item->SubItems().Add();
  }
  // A row whose creation fails goes without the deletion hook: its data must not stay behind.
  struct TDataGuard {
    TListItem *Item;
    bool Done = false;
    ~TDataGuard() {
      if (!Done)
        if (TKdShListData *data = ShellData(Item)) {
          Item->SetData(nullptr);
          delete data;
        }
    }
  } guard{item};
  TKdCustomListView::InsertItem(item);
  guard.Done = true;
}

void TKdCustomShellList::Delete(TListItem *item) {
  if (item == FDropRow)
    FDropRow = nullptr;
  TKdShListData *data = ShellData(item);
  if (!data) {
    TKdCustomListView::Delete(item);
    return;
  }
  std::unique_ptr<TKdShListData> owned(data);
  if (OnDeleteItem)
    OnDeleteItem(this, item, data);
  item->SetData(nullptr);
  TKdCustomListView::Delete(item);
}

void TKdCustomShellList::DoFillStart() {
  if (OnFillStart)
    OnFillStart(this);
}

void TKdCustomShellList::DoFillComplete() {
  if (OnFillComplete)
    OnFillComplete(this);
}

void TKdCustomShellList::DoFolderChanged() {
  if (OnFolderChanged)
    OnFolderChanged(this);
}

// --- moving to other folders ---

void TKdCustomShellList::BrowseTo(LPCITEMIDLIST absIdList) {
  if (FOptions.Contains(kdsloDontChangeFolder))
    return;
  ClearRows();
  if (FShellTree)
    FShellTree->CurrentFolder().SetIdList(absIdList);
  else
    FFolder.SetIdList(absIdList);
}

void TKdCustomShellList::GoUp(int levels) {
  if (FOptions.Contains(kdsloDontChangeFolder) || levels <= 0)
    return;
  if (FShellTree) {
    FShellTree->GoUp(levels);
    return;
  }
  TKdIdListArray array(FFolder.GetIdList());
  if (array.Count() < 1)
    return;
  // More levels than the folder has: the desktop.
  LPITEMIDLIST ancestor = array.GetHead(std::min(levels, array.Count()));
  FFolder.SetIdList(ancestor);
}

void TKdCustomShellList::FollowTreeNode(TTreeNode *node) {
  if (!node || !node->Selected() || !FShellTree)
    return;
  LPCITEMIDLIST absIdList = nullptr;
  if (FShellTree->AbsIdListOf(node, absIdList))
    FFolder.SetIdList(absIdList);
}
