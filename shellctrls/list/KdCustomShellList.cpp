// The shell list's life: its window, options and links, and the messages it answers.
#include "shellctrls/list/KdCustomShellList.h"

#include <algorithm>
#include <utility>

#include "shellctrls/KdChangeWatch.h"
#include "shellctrls/KdShellTreeLink.h"
#include "shellctrls/UKdShellControls.h"
#include "shellctrls/list/ShellFolder2DetailsAdapter.h"
#include "shellns/KdDeviceChangeHandler.h"
#include "shellns/KdIdListArray.h"
#include "toolkit/StringList.h"
#include "toolkit/SysUtils.h"
#include "toolkit/TreeNode.h"

TKdCustomShellList::TKdCustomShellList(TComponent *AOwner)
    : TKdCustomListView(AOwner), FGate(this, [this](TKdHeldWork work) { RunWork(work); }), FDrag(*this, FGate) {
  FFolder.OnChange = [this](TObject *) { FolderChanged(); };
  // A label edit holds fills and refreshes until the control reports its end.
  FGate.SetEditing([this] { return LabelEditInProgress(); });
  BuildSystemIconListsAhead();
  IconOptions().SetAutoArrange(true);
  SetAllocBy(RowAllocationStep);
  SetViewStyle(vsReport);
  DeviceChangeHandler()->RegisterHandler(this, [this](TKdDeviceChangeHandler *, TKdMessage &m) { DeviceChange(m); });
}

TKdCustomShellList::~TKdCustomShellList() {
  DeviceChangeHandler()->UnregisterHandler(this);
  // The window goes while this class can still see the rows go (the base's destruction would only forget
  // them).
  DestroyHandle();
  ClearRows();
  // The link to the tree stays: the component's end tells the tree that its list is gone.
  FChangeWatch.reset();
  SetSmallImages(nullptr);
  SetLargeImages(nullptr);
  delete std::exchange(FSmallImages, nullptr);
  delete std::exchange(FLargeImages, nullptr);
}

void TKdCustomShellList::ShowSystemIcons() {
  if (FSmallImages)
    return;
  // Asked for once there are rows to show rather than when the list is made: the shell builds its lists the
  // first time (a tenth of a second and more under Wine), and the unit's start has a worker build them while the
  // first windows are made. The system's lists of 16 and 32 pixels at 96 dpi.
  FSmallImages = new TImageList(this, ScaleValue(16), ScaleValue(16));
  FSmallImages->SetShareImages(true);
  FLargeImages = new TImageList(this, ScaleValue(32), ScaleValue(32));
  FLargeImages->SetShareImages(true);
  TakeSystemImageLists();
  SetSmallImages(FSmallImages);
  SetLargeImages(FLargeImages);
}

void TKdCustomShellList::TakeSystemImageLists() {
  FSmallImages->SetHandle(GetSystemImageListOfSize(ScaleValue(16)));
  FLargeImages->SetHandle(GetSystemImageListOfSize(ScaleValue(32)));
}

void TKdCustomShellList::ChangeScale(int newPPI, int oldPPI) {
  TKdCustomListView::ChangeScale(newPPI, oldPPI);
  if (FSmallImages)
    TakeSystemImageLists();
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

TListItem *TKdCustomShellList::RowOfItem(LPCITEMIDLIST item) {
  if (!item || !FShellFolder)
    return nullptr;
  for (int i = 0; i < Items().Count(); ++i) {
    TListItem *row = Items()[i];
    if (TKdShListData *data = ShellData(row)) {
      const HRESULT order = FShellFolder->CompareIDs(0, data->RelIdList(), item);
      if (SUCCEEDED(order) && static_cast<short>(HRESULT_CODE(order)) == 0)
        return row;
    }
  }
  return nullptr;
}

// --- window ---

void TKdCustomShellList::CreateWnd() {
  FInWindowCreation = true;
  TAtExit creation([this] { FInWindowCreation = false; });
  TKdCustomListView::CreateWnd();
  if (FOptions.Contains(kdsloOleDrop))
    FDrag.Register(CreateListDropTarget());
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

void TKdCustomShellList::WndProc(TMessage &message) {
  switch (message.Msg) {
  case ChangeMessage:
    FGate.ChangeNotified();
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
  case WM_RBUTTONUP:
    // The release that ends the list's own right-button drag is the drag's: the base would take it for a click
    // and show a menu.
    if (FDrag.Running()) {
      DefaultHandler(message);
      return;
    }
    break;
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
    FChangeWatch.reset();
    FDrag.Revoke();
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
      FDrag.Register(CreateListDropTarget());
    else
      FDrag.Revoke();
  }
  if (changed(kdsloDynamicRefresh)) {
    if (value.Contains(kdsloDynamicRefresh))
      StartChangeWatch();
    else if (FChangeWatch)
      FChangeWatch->RemoveAll();
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
  FFolder.SetIdList(array.GetHead(std::min(levels, array.Count())));
}

void TKdCustomShellList::FollowTreeNode(TTreeNode *node) {
  if (!node || !node->Selected() || !FShellTree)
    return;
  LPCITEMIDLIST absIdList = nullptr;
  if (FShellTree->AbsIdListOf(node, absIdList))
    FFolder.SetIdList(absIdList);
}
