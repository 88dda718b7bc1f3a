#include "shellctrls/tree/KdCustomShellTree.h"

#include <utility>

#include "shellctrls/ChangeHandlerThread.h"
#include "shellctrls/list/KdCustomShellList.h"
#include "shellctrls/OwnerFormHandle.h"
#include "shellctrls/WindowUtils.h"
#include "shellns/KdDeviceChangeHandler.h"
#include "shellns/KdIdListArray.h"
#include "shellns/ShellVersion.h"
#include "shellns/WineHost.h"
#include "toolkit/Application.h"
#include "toolkit/Screen.h"
#include "toolkit/SysUtils.h"

namespace {

// Attributes a child is asked for when it is added.
constexpr SFGAOF ChildAttributes = SFGAO_HASSUBFOLDER | SFGAO_FILESYSTEM | SFGAO_FOLDER | SFGAO_FILESYSANCESTOR |
                                   SFGAO_REMOVABLE | SFGAO_GHOSTED | SFGAO_SHARE | SFGAO_LINK;

// Overlay images of the system image list.
constexpr int SharedOverlay = 0;
constexpr int LinkOverlay = 1;

// How long a keyboard move waits for the next one before the linked list follows.
constexpr UINT KeyboardFollowDelayMs = 500;

// An enumeration that ends like this shows what it got and raises nothing: the folder cannot be read
// (a drive without a medium) or went away while it was read.
bool IsQuietEnumFailure(HRESULT hr) {
  return hr == E_FAIL || hr == HRESULT_FROM_WIN32(ERROR_NOT_READY) || hr == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND) ||
         hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) || hr == HRESULT_FROM_WIN32(ERROR_INVALID_DRIVE);
}

// The small icon of a plain folder on disk, or -1 for any other item. The shell reads a folder's own icon
// from its desktop.ini only when the folder is marked read-only or system; every other folder on disk has
// the one folder icon. Asking the shell for it costs milliseconds a node under Wine, more the deeper the
// folder, and the nodes in view are asked for at every paint that first shows them.
int PlainFolderIconIndex(IShellFolder *parent, LPCITEMIDLIST item) {
  WIN32_FIND_DATAW found = {};
  // Fails for what is not a file-system item of its own (drives, virtual folders, items inside archives).
  if (!parent || FAILED(SHGetDataFromIDListW(parent, item, SHGDFIL_FINDDATA, &found, sizeof found)))
    return -1;
  constexpr DWORD Custom = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_REPARSE_POINT;
  if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || (found.dwFileAttributes & Custom))
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

} // namespace

TKdCustomShellTree::TFillScope::~TFillScope() {
  GuardedCall([this] { FTree.DoFillComplete(); });
}

TKdCustomShellTree::TKdCustomShellTree(TComponent *AOwner) : TKdCustomTreeView(AOwner) {
  FChangeTimer = new TTimer(this);
  FChangeTimer->SetEnabled(false);
  FChangeTimer->OnTimer = [this](TObject *) { ChangeTimerTick(); };
  FBaseFolder.OnChange = [this](TObject *) { BaseFolderChanged(); };
  FCurrentFolder.OnChange = [this](TObject *) { CurrentFolderChanged(); };
  SetShowRoot(false);
  FImages = new TImageList(this, 16, 16);
  SetImages(FImages);
  FImages->SetHandle(GetSystemImageList(0));
  FImages->SetShareImages(true);
  DeviceChangeHandler()->RegisterHandler(
      this, [this](TKdDeviceChangeHandler *, TKdMessage &message) { DeviceChange(message); });
}

TKdCustomShellTree::~TKdCustomShellTree() {
  DeviceChangeHandler()->UnregisterHandler(this);
  // The nodes' data must go while this class's deletion hook can still run: through the window's
  // destruction, or directly for nodes kept while no window exists.
  DestroyHandle();
  Items().Clear();
  FChangeThread.reset();
}

TKdShTreeData *TKdCustomShellTree::ShellData(TTreeNode *node) {
  return node ? dynamic_cast<TKdShTreeData *>(node->Data()) : nullptr;
}

SHCONTF TKdCustomShellTree::EnumFlags() const {
  SHCONTF flags = SHCONTF_FOLDERS;
  if (FOptions.Contains(kdstoShowHidden))
    flags |= SHCONTF_INCLUDEHIDDEN;
  if (FOptions.Contains(kdstoIncludeNonFolders))
    flags |= SHCONTF_NONFOLDERS;
  return flags;
}

// ---- Filling ---------------------------------------------------------------------------------------------

void TKdCustomShellTree::FillTree() {
  if (FBusy || IsEditing()) {
    FRefreshPending = true;
    return;
  }
  TCursorSaver hourglass;
  {
    TChangeLockScope lock(*this);
    SetSelected(nullptr);
    Items().Clear();
  }
  ComPtr<IShellFolder> root;
  HRESULT hr = BindToShellFolder(FBaseFolder.GetIdList(), root);
  if (hr != S_OK || !root)
    RaiseSystemError(static_cast<DWORD>(hr != S_OK ? hr : E_FAIL));
  FillNode(root.Get(), nullptr);
  if (FCurrentFolder.GetIdList())
    SelectIdList(FCurrentFolder.GetIdList());
  else if (TTreeNode *first = Items().GetFirstNode())
    SetSelected(first);
  // A keyboard move still waiting is overtaken by the fill: the list follows now. A refresh still waiting
  // has nothing left to do after a fill.
  if (FChangeTimer->Enabled()) {
    FChangeTimer->Tag &= ~ChangeTimerRefresh;
    ChangeTimerTick();
  }
  if (FOptions.Contains(kdstoDynamicRefresh))
    StartWatching();
}

void TKdCustomShellTree::FillNode(IShellFolder *folder, TTreeNode *node) {
  TFillScope fill(*this);
  TErrorModeScope errorMode(SEM_FAILCRITICALERRORS);

  TKdIdListPtr rootList;
  LPCITEMIDLIST parentList = nullptr;
  const bool makeRoot = !node;
  if (node) {
    TKdShTreeData *data = ShellData(node);
    if (!data)
      return;
    parentList = data->GetAbsIdList();
  } else {
    LPITEMIDLIST base = FBaseFolder.GetIdList();
    if (base && base->mkid.cb) {
      rootList.reset(IdListCopy(base));
      if (!rootList)
        OleCheck(E_OUTOFMEMORY);
    }
    auto data = std::make_unique<TKdShTreeData>(this);
    data->InitIdLists(nullptr, rootList.get());
    data->SetFolder(folder);
    node = Items().AddChild(nullptr, GetIdListDisplayName(rootList.get()), data.get());
    data.release();
    node->SetImageIndex(GetIdListIconIndex(rootList.get(), SHGFI_SMALLICON));
    node->SetSelectedIndex(GetIdListIconIndex(rootList.get(), SHGFI_SMALLICON | SHGFI_OPENICON));
    DoInsertItem(node);
    parentList = rootList.get();
  }

  ComPtr<IEnumIDList> enumerator;
  HRESULT hr = folder->EnumObjects(ParentWindowHandle(), EnumFlags(), enumerator.Put());
  if (FAILED(hr)) {
    // Unreadable for now (a drive without a medium): the node keeps its button for a later try.
    node->SetHasChildren(true);
    return;
  }
  if (enumerator) {
    TKdIdListPtr item;
    while ((hr = enumerator->Next(1, PidlOut(item), nullptr)) == S_OK)
      OleCheck(AddChildItem(folder, parentList, item.get(), node));
  } else {
    hr = S_FALSE;
  }
  if (!node->GetFirstChild())
    node->SetHasChildren(false);
  if (hr != S_FALSE) {
    if (IsQuietEnumFailure(hr)) {
      node->SetHasChildren(true);
      return;
    }
    RaiseSystemError(static_cast<DWORD>(hr));
  }
  SortChildren(node);
  if (makeRoot)
    node->Expand(false);
}

HRESULT TKdCustomShellTree::AddChildItem(IShellFolder *folder, LPCITEMIDLIST parentAbsIdList, LPCITEMIDLIST child,
                                         TTreeNode *parent) {
  if (!child)
    return S_OK;
  SFGAOF attributes = ChildAttributes;
  if (VersionHigh(Shell32Version) >= kdVersion600)
    attributes |= SFGAO_STREAM;
  LPCITEMIDLIST items[] = {child};
  HRESULT hr = folder->GetAttributesOf(1, items, &attributes);
  if (FAILED(hr))
    return hr;
  if (!FOptions.Contains(kdstoVirtualFolders) && !(attributes & (SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR)))
    return S_OK;
  if (!DoAddItem(folder, parentAbsIdList, child, attributes))
    return S_OK;

  auto data = std::make_unique<TKdShTreeData>(this);
  data->InitIdLists(ShellData(parent), child);
  const bool hasChildren = FOptions.Contains(kdstoIncludeNonFolders)
                               ? (attributes & (SFGAO_HASSUBFOLDER | SFGAO_FOLDER)) != 0
                               : (attributes & SFGAO_HASSUBFOLDER) && (attributes & SFGAO_FOLDER);
  TTreeNode *node = Items().AddChild(parent, GetItemDisplayName(folder, child, dnInFolder), data.get(), hasChildren);
  data.release();
  if (attributes & SFGAO_SHARE)
    node->SetOverlayIndex(SharedOverlay);
  else if (attributes & SFGAO_LINK)
    node->SetOverlayIndex(LinkOverlay);
  if (attributes & SFGAO_GHOSTED)
    node->SetCut(true);
  DoInsertItem(node);
  return S_OK;
}

bool TKdCustomShellTree::DoAddItem(IShellFolder *folder, LPCITEMIDLIST parentAbsIdList, LPCITEMIDLIST child,
                                   ULONG attributes) {
  bool allow = true;
  if (OnAddItem)
    OnAddItem(this, folder, parentAbsIdList, child, attributes, allow);
  return allow;
}

void TKdCustomShellTree::DoInsertItem(TTreeNode *node) {
  FLastInsertedNode = node;
  if (OnInsertItem)
    OnInsertItem(this, node);
}

void TKdCustomShellTree::DoFillStart() {
  if (OnFillStart)
    OnFillStart(this);
}

void TKdCustomShellTree::DoFillComplete() {
  if (OnFillComplete)
    OnFillComplete(this);
}

void TKdCustomShellTree::SortChildren(TTreeNode *node) {
  auto compare = [](TTreeNode *node1, TTreeNode *node2) {
    TKdShTreeData *data1 = ShellData(node1);
    TKdShTreeData *data2 = ShellData(node2);
    if (!data1 || !data2)
      return 0;
    IShellFolder *folder = data1->GetParentFolder();
    if (!folder)
      return 0;
    HRESULT hr = folder->CompareIDs(0, data1->RelIdList(), data2->RelIdList());
    return FAILED(hr) ? 0 : static_cast<int>(static_cast<short>(HRESULT_CODE(hr)));
  };
  if (node)
    node->CustomSort(compare, false);
  else if (Items().GetFirstNode())
    CustomSort(compare, true);
}

bool TKdCustomShellTree::CanExpand(TTreeNode *node) {
  if (!TKdCustomTreeView::CanExpand(node))
    return false;
  TKdShTreeData *data = ShellData(node);
  if (data && !node->GetFirstChild() && node->HasChildren()) {
    TCursorSaver hourglass;
    if (IShellFolder *folder = data->GetFolder())
      FillNode(folder, node);
  }
  return true;
}

void TKdCustomShellTree::Delete(TTreeNode *node) {
  if (node == FLastInsertedNode)
    FLastInsertedNode = nullptr;
  if (TKdShTreeData *data = ShellData(node)) {
    std::unique_ptr<TKdShTreeData> owned(data);
    if (OnDeleteItem)
      OnDeleteItem(this, node, data);
    node->SetData(nullptr);
  }
  TKdCustomTreeView::Delete(node);
}

void TKdCustomShellTree::GetImageIndex(TTreeNode *node) {
  // 0 counts as not known yet: icons are looked up when a node is first drawn, not when it is added.
  if (TKdShTreeData *data = ShellData(node); data && node->ImageIndex() == 0) {
    // Only where the lookup is slow (Wine): on Windows the shell is asked for every folder as ever, so an
    // icon handler registered for folders still has its say.
    int index = data->ParentData() && IsRunningUnderWine()
                    ? PlainFolderIconIndex(data->GetParentFolder(), data->RelIdList())
                    : -1;
    if (index < 0)
      index = GetIdListIconIndex(data->GetAbsIdList(), SHGFI_SMALLICON);
    node->SetImageIndex(index);
  }
  TKdCustomTreeView::GetImageIndex(node);
}

void TKdCustomShellTree::GetSelectedIndex(TTreeNode *node) {
  // The control asks for every node it draws but shows it only for the selected one; a lookup can cost
  // milliseconds (Wine's grows with the folder's size), so the others wait until they are selected.
  if (TKdShTreeData *data = ShellData(node); data && node->SelectedIndex() == 0 && node->Selected())
    node->SetSelectedIndex(GetIdListIconIndex(data->GetAbsIdList(), SHGFI_SMALLICON | SHGFI_OPENICON));
  TKdCustomTreeView::GetSelectedIndex(node);
}

std::unique_ptr<TKdTvCustomDraw> TKdCustomShellTree::DoCustomDraw(NMTVCUSTOMDRAW *record, LRESULT &result) {
  std::unique_ptr<TKdTvCustomDraw> draw = TKdCustomTreeView::DoCustomDraw(record, result);
  if (!OnCustomDrawSh && !OnCustomDrawShEx)
    return draw;
  if (!draw)
    draw = CreateCustomDraw(record, result);
  const DWORD stage = record->nmcd.dwDrawStage;
  TTreeNode *node = nullptr;
  TKdShTreeData *data = nullptr;
  if (stage & CDDS_ITEM) {
    node = Items().GetNode(reinterpret_cast<HTREEITEM>(record->nmcd.dwItemSpec));
    data = ShellData(node);
  }
  if (OnCustomDrawShEx)
    OnCustomDrawShEx(this, draw.get(), node, data);
  if (OnCustomDrawSh && draw->Stage() == kdcdsItemPrePaint)
    OnCustomDrawSh(this, draw.get(), node, data);
  draw->Apply();
  if (stage & CDDS_PREPAINT)
    result |= CDRF_NOTIFYITEMDRAW;
  return draw;
}

namespace {

// A list may outlive its item: one the walk would add must still be there (a file-system item is looked
// for on disk, since the shell answers from the list's own bytes).
bool ItemStillExists(IShellFolder *folder, LPCITEMIDLIST parentAbsIdList, LPCITEMIDLIST item) {
  SFGAOF attributes = SFGAO_VALIDATE | SFGAO_FILESYSTEM;
  LPCITEMIDLIST items[] = {item};
  if (FAILED(folder->GetAttributesOf(1, items, &attributes)))
    return false;
  if (!(attributes & SFGAO_FILESYSTEM))
    return true;
  TKdIdListPtr full(IdListConcat(nullptr, parentAbsIdList, item));
  std::wstring path = Utf8ToWide(IdListToPath(full.get()));
  // A path too long for the plain call is taken on the shell's word.
  return path.empty() || path.size() >= MAX_PATH || GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

// ---- Selection and navigation ----------------------------------------------------------------------------

void TKdCustomShellTree::Change(TTreeNode *node) {
  TKdShTreeData *data = ShellData(node);
  if (FChangeLock > 0) {
    if (data)
      FCurrentFolder.SetIdList(data->GetAbsIdList());
    return;
  }
  TKdCustomTreeView::Change(node);
  if (!data)
    return;
  if (FImmediateChange || !FShellList) {
    FollowNode(node);
    FImmediateChange = false;
  } else {
    // Every further move restarts the wait.
    RestartChangeTimer(ChangeTimerFollowUp, KeyboardFollowDelayMs);
  }
}

void TKdCustomShellTree::FollowNode(TTreeNode *node) {
  TKdShTreeData *data = ShellData(node);
  if (!data)
    return;
  // The lock keeps the tree from walking to the folder it already shows when the list, told of its new
  // folder, asks for it to be selected.
  TChangeLockScope lock(*this);
  FCurrentFolder.SetIdList(data->GetAbsIdList());
  if (FShellList)
    FShellList->FollowTreeNode(node);
}

void TKdCustomShellTree::RestartChangeTimer(intptr_t job, UINT interval) {
  // The timer serves a held-back follow-up and a refresh alike; a job still waiting is kept, not replaced,
  // and waits with the new one.
  const intptr_t waiting = FChangeTimer->Enabled() ? FChangeTimer->Tag : 0;
  FChangeTimer->SetEnabled(false);
  FChangeTimer->Tag = waiting | job;
  FChangeTimer->SetInterval(interval);
  FChangeTimer->SetEnabled(true);
}

void TKdCustomShellTree::ChangeTimerTick() {
  FChangeTimer->SetEnabled(false);
  const intptr_t jobs = std::exchange(FChangeTimer->Tag, 0);
  if (jobs & ChangeTimerFollowUp) {
    if (TTreeNode *node = Selected(); ShellData(node))
      FollowNode(node);
  }
  if (jobs & ChangeTimerRefresh)
    RefreshNodes();
}

void TKdCustomShellTree::FlushChange() {
  if (!FChangeTimer->Enabled() || !(FChangeTimer->Tag & ChangeTimerFollowUp))
    return;
  // A refresh waiting with it keeps its time.
  FChangeTimer->Tag &= ~ChangeTimerFollowUp;
  if (FChangeTimer->Tag == 0)
    FChangeTimer->SetEnabled(false);
  if (TTreeNode *node = Selected(); ShellData(node))
    FollowNode(node);
}

bool TKdCustomShellTree::AbsIdListOf(TTreeNode *node, LPCITEMIDLIST &absIdList) {
  TKdShTreeData *data = ShellData(node);
  if (!data)
    return false;
  absIdList = data->GetAbsIdList();
  return true;
}

void TKdCustomShellTree::SetShellList(TKdCustomShellList *value) {
  if (value == FShellList)
    return;
  if (FShellList)
    FShellList->SetShellTree(nullptr);
  FShellList = value;
  if (!value)
    return;
  // The list asks to be told when the tree goes, which tells the tree when the list goes too.
  value->SetShellTree(this);
  value->SetFolder(&FCurrentFolder);
}

void TKdCustomShellTree::Notification(TComponent *component, bool inserted) {
  TKdCustomTreeView::Notification(component, inserted);
  if (!inserted && component && component == FShellList)
    FShellList = nullptr;
}

void TKdCustomShellTree::GoUp(int levels) {
  TTreeNode *node = Selected();
  if (!node || !node->Parent())
    return;
  while (levels-- > 0 && node->Parent())
    node = node->Parent();
  FImmediateChange = true;
  SetSelected(node);
}

std::string TKdCustomShellTree::GetSelectedPath() {
  TKdShTreeData *data = HandleAllocated() ? ShellData(Selected()) : nullptr;
  return data ? data->GetPath() : std::string();
}

TTreeNode *TKdCustomShellTree::FirstShellNode() {
  if (!HandleAllocated())
    return nullptr;
  for (TTreeNode *node = Items().GetFirstNode(); node; node = node->GetNextSibling())
    if (ShellData(node))
      return node;
  return nullptr;
}

HWND TKdCustomShellTree::ParentWindowHandle() { return FNoOwnerWindowCount > 0 ? nullptr : GetOwnerFormHandle(this); }

TTreeNode *TKdCustomShellTree::FindChild(TTreeNode *node, IShellFolder *folder, LPCITEMIDLIST item) {
  for (TTreeNode *child = node->GetFirstChild(); child; child = child->GetNextSibling())
    if (TKdShTreeData *data = ShellData(child)) {
      HRESULT hr = folder->CompareIDs(0, data->RelIdList(), item);
      if (SUCCEEDED(hr) && static_cast<short>(HRESULT_CODE(hr)) == 0)
        return child;
    }
  return nullptr;
}

void TKdCustomShellTree::SelectIdList(LPCITEMIDLIST list) {
  if (FChangeLock > 0 || !HandleAllocated())
    return;
  FImmediateChange = true;
  TKdIdListArray base(FBaseFolder.GetIdList());
  TKdIdListArray target(list);
  const int baseCount = base.Count();
  const int targetCount = target.Count();
  TTreeNode *reached = nullptr;
  {
    TTreeUpdateScope update(Items());
    reached = FirstShellNode();
    if (reached && targetCount > 0)
      reached->Expand(false);
    for (int i = baseCount; reached && i < targetCount; ++i) {
      TKdShTreeData *data = ShellData(reached);
      IShellFolder *folder = data->GetFolder();
      // A folder whose children were never loaded (it showed no button) is loaded now, so the walk does not
      // leave it with only the one child it adds.
      if (folder && !reached->GetFirstChild())
        FillNode(folder, reached);
      LPCITEMIDLIST item = target.GetItem(i);
      TTreeNode *found = folder ? FindChild(reached, folder, item) : nullptr;
      if (!found && folder && ItemStillExists(folder, data->GetAbsIdList(), item)) {
        // Left out by the options or OnAddItem: added for the walk. Only a node this call inserted counts.
        FLastInsertedNode = nullptr;
        if (SUCCEEDED(AddChildItem(folder, data->GetAbsIdList(), item, reached)) && FLastInsertedNode &&
            FLastInsertedNode->Parent() == reached) {
          found = FLastInsertedNode;
          SortChildren(reached);
        }
      }
      if (!found) {
        MessageBeep(0xFFFFFFFF);
        break;
      }
      reached = found;
      // A list that leaves folders to the tree needs the last folder's subfolders shown in the tree.
      if (i < targetCount - 1 || (FShellList && FShellList->Options().Contains(kdsloHideFoldersWhenLinkedToTree)))
        reached->Expand(false);
    }
    if (reached)
      SetSelected(reached);
  }
  if (TTreeNode *selected = Selected()) {
    selected->MakeVisible();
    // The walk may have stopped short of the folder asked for: the tree's folder is the one it shows.
    if (TKdShTreeData *data = ShellData(selected); data && FChangeLock == 0) {
      TChangeLockScope lock(*this);
      FCurrentFolder.SetIdList(data->GetAbsIdList());
    }
  }
}

// ---- Folder setting --------------------------------------------------------------------------------------

void TKdCustomShellTree::SetCurrentFolder(TKdShellLocator *value) {
  if (FChangeLock > 0)
    return;
  FCurrentFolder.Assign(value);
}

void TKdCustomShellTree::SetCurrentPath(const std::string &path) {
  if (FChangeLock == 0)
    FCurrentFolder.SetPath(path);
}

void TKdCustomShellTree::CurrentFolderChanged() {
  // Without nodes the folder is only remembered: the next fill selects it.
  if (Items().Count() > 0)
    SelectIdList(FCurrentFolder.GetIdList());
}

void TKdCustomShellTree::SetBaseFolder(TKdShellLocator *value) { FBaseFolder.Assign(value); }

void TKdCustomShellTree::BaseFolderChanged() {
  FCurrentFolder.Clear();
  // Before the window exists, the fill waits for it.
  if (FOptions.Contains(kdstoAutoFill) && HandleAllocated()) {
    FImmediateChange = true;
    FillTree();
  }
}

// ---- Options and window ----------------------------------------------------------------------------------

bool TKdCustomShellTree::OleDragStyle() const { return FOptions.Contains(kdstoOleDrag) || DragMode() == dmAutomatic; }

void TKdCustomShellTree::UpdateDragStyle() { SetWindowStyleBits(WindowHandle(), TVS_DISABLEDRAGDROP, !OleDragStyle()); }

void TKdCustomShellTree::SetOptions(TKdShellTreeOptions value) {
  const TKdShellTreeOptions old = std::exchange(FOptions, value);
  if (!HandleAllocated())
    return;
  UpdateDragStyle();
  if (old.Contains(kdstoOleDrop) != value.Contains(kdstoOleDrop)) {
    if (value.Contains(kdstoOleDrop))
      RegisterDropTarget();
    else
      RevokeDropTarget();
  }
  if (old.Contains(kdstoDynamicRefresh) != value.Contains(kdstoDynamicRefresh)) {
    if (value.Contains(kdstoDynamicRefresh))
      StartWatching();
    else if (FChangeThread)
      FChangeThread->RemoveAllWatches();
  }
}

void TKdCustomShellTree::CreateParams(TCreateParams &params) {
  TKdCustomTreeView::CreateParams(params);
  if (OleDragStyle())
    params.Style &= ~static_cast<DWORD>(TVS_DISABLEDRAGDROP);
  else
    params.Style |= TVS_DISABLEDRAGDROP;
}

void TKdCustomShellTree::CreateWnd() {
  TKdCustomTreeView::CreateWnd();
  if (FOptions.Contains(kdstoOleDrop))
    RegisterDropTarget();
  if (FOptions.Contains(kdstoAutoFill) && Items().Count() == 0)
    PostMessageW(WindowHandle(), WM_KDDEFERREDFILL, 0, 0);
  else if (Items().Count() > 0 && FOptions.Contains(kdstoDynamicRefresh))
    StartWatching(); // nodes kept from the window before: the watches went with it
  if (FShellList)
    FShellList->SetFolder(&FCurrentFolder);
}

void TKdCustomShellTree::DestroyWnd() {
  FDestroyingWindow = true;
  {
    TTreeUpdateScope update(Items());
    TChangeLockScope lock(*this);
    SetSelected(nullptr);
  }
  Items().Clear();
  TKdCustomTreeView::DestroyWnd();
  FDestroyingWindow = false;
}

void TKdCustomShellTree::RunPendingRefresh() {
  if (!std::exchange(FRefreshPending, false))
    return;
  RefreshNodes();
}

void TKdCustomShellTree::WndProc(TMessage &message) {
  switch (message.Msg) {
  case CN_NOTIFY: {
    const UINT code = reinterpret_cast<NMHDR *>(message.LParam)->code;
    // A click comes before the selection it makes, and the list follows a click at once.
    if (code == static_cast<UINT>(NM_CLICK))
      FImmediateChange = true;
    if (FOptions.Contains(kdstoOleDrag) &&
        (code == TVN_BEGINDRAGW || code == TVN_BEGINRDRAGW || code == TVN_BEGINDRAGA || code == TVN_BEGINRDRAGA)) {
      auto *drag = reinterpret_cast<NMTREEVIEWW *>(message.LParam);
      const bool right = code == TVN_BEGINRDRAGW || code == TVN_BEGINRDRAGA;
      BeginNodeDrag(Items().GetNode(drag->itemNew.hItem), right ? mbRight : mbLeft);
      message.Result = 0;
      return;
    }
    break;
  }
  case WM_KEYDOWN:
    // A click that selected nothing (on the selected node, on a button) must not make the next arrow-key
    // move count as a click.
    FImmediateChange = false;
    break;
  case TVM_DELETEITEM:
    if (reinterpret_cast<HTREEITEM>(message.LParam) == TVI_ROOT) {
      TChangeLockScope lock(*this);
      TKdCustomTreeView::WndProc(message);
      return;
    }
    break;
  case WM_PAINT:
    if (!FDestroyingWindow) {
      // Icons drawn onto a solid background of the tree's colour.
      HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageW(WindowHandle(), TVM_GETIMAGELIST, TVSIL_NORMAL, 0));
      HIMAGELIST states = reinterpret_cast<HIMAGELIST>(SendMessageW(WindowHandle(), TVM_GETIMAGELIST, TVSIL_STATE, 0));
      const COLORREF colour = ColorToRGB(Color());
      COLORREF oldImages = images ? ImageList_SetBkColor(images, colour) : CLR_NONE;
      COLORREF oldStates = states ? ImageList_SetBkColor(states, colour) : CLR_NONE;
      struct TRestore {
        HIMAGELIST Images, States;
        COLORREF OldImages, OldStates;
        ~TRestore() {
          if (Images)
            ImageList_SetBkColor(Images, OldImages);
          if (States)
            ImageList_SetBkColor(States, OldStates);
        }
      } restore{images, states, oldImages, oldStates};
      TKdCustomTreeView::WndProc(message);
      return;
    }
    break;
  case WM_NCHITTEST:
    DefaultHandler(message);
    return;
  case WM_WINDOWPOSCHANGED:
    if (FDestroyingWindow)
      return;
    break;
  case WM_NCDESTROY: {
    RevokeDropTarget();
    TChangeLockScope lock(*this);
    // The watches post to this window: a window made again gets a thread of its own.
    FChangeThread.reset();
    break;
  }
  case WM_KDCHANGENOTIFY:
    ChangeNotify();
    return;
  case WM_KDDEFERREDFILL:
    if (Items().Count() == 0)
      FillTree();
    return;
  case WM_KDEDITENDED:
    if (!IsEditing())
      RunPendingRefresh();
    return;
  default:
    break;
  }
  TKdCustomTreeView::WndProc(message);
}
