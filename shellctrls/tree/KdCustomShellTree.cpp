// The shell tree's life: its window and options, the selection and the linked list that follows it, and the
// walk to a folder named from outside.
#include "shellctrls/tree/KdCustomShellTree.h"

#include <optional>
#include <utility>

#include "shellctrls/KdChangeWatch.h"
#include "shellctrls/OwnerFormHandle.h"
#include "shellctrls/UKdShellControls.h"
#include "shellctrls/WindowUtils.h"
#include "shellctrls/list/KdCustomShellList.h"
#include "shellns/KdDeviceChangeHandler.h"
#include "shellns/KdIdListArray.h"
#include "toolkit/DrawingHold.h"
#include "toolkit/SysUtils.h"

namespace {

// How long a keyboard move waits for the next one before the linked list follows.
constexpr UINT KeyboardFollowDelayMs = 500;

// A list may outlive its item: one the walk would add must still be there (a file-system item is looked
// for on disk, since the shell answers from the list's own bytes).
bool ItemStillExists(IShellFolder *folder, LPCITEMIDLIST parentAbsIdList, LPCITEMIDLIST item) {
  SFGAOF attributes = SFGAO_VALIDATE | SFGAO_FILESYSTEM;
  LPCITEMIDLIST items[] = {item};
  if (FAILED(folder->GetAttributesOf(1, items, &attributes)))
    return false;
  if (!(attributes & SFGAO_FILESYSTEM))
    return true;
  TKdIdListPtr full = IdListConcat(parentAbsIdList, item);
  std::wstring path = Utf8ToWide(IdListToPath(full.get()));
  // A path too long for the plain call is taken on the shell's word.
  return path.empty() || path.size() >= MAX_PATH || GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The background colour of one of the tree's image lists for the lifetime of the object: icons drawn onto a
// solid background of the tree's colour.
class TImageListBackground {
public:
  TImageListBackground(HWND tree, WPARAM kind, COLORREF colour)
      : FImages(reinterpret_cast<HIMAGELIST>(SendMessageW(tree, TVM_GETIMAGELIST, kind, 0))),
        FOld(FImages ? ImageList_SetBkColor(FImages, colour) : CLR_NONE) {}
  ~TImageListBackground() {
    if (FImages)
      ImageList_SetBkColor(FImages, FOld);
  }
  TImageListBackground(const TImageListBackground &) = delete;
  TImageListBackground &operator=(const TImageListBackground &) = delete;

private:
  HIMAGELIST FImages;
  COLORREF FOld;
};

} // namespace

TKdCustomShellTree::TKdCustomShellTree(TComponent *AOwner)
    : TKdCustomTreeView(AOwner), FGate(this, [this](TKdHeldWork work) { RunWork(work); }), FDrag(*this, FGate) {
  FFollowTimer = new TTimer(this);
  FFollowTimer->SetEnabled(false);
  FFollowTimer->SetInterval(KeyboardFollowDelayMs);
  FFollowTimer->OnTimer = [this](TObject *) { FollowNow(); };
  // A label edit holds fills and refreshes until its edit box is gone.
  FGate.SetEditing([this] { return IsEditing(); });
  FBaseFolder.OnChange = [this](TObject *) { BaseFolderChanged(); };
  FCurrentFolder.OnChange = [this](TObject *) { CurrentFolderChanged(); };
  SetShowRoot(false);
  BuildSystemIconListsAhead();
  DeviceChangeHandler()->RegisterHandler(
      this, [this](TKdDeviceChangeHandler *, TKdMessage &message) { DeviceChange(message); });
}

void TKdCustomShellTree::ChangeScale(int newPPI, int oldPPI) {
  TKdCustomTreeView::ChangeScale(newPPI, oldPPI);
  if (FImages)
    FImages->SetHandle(GetSystemImageListOfSize(ScaleValue(16)));
}

TKdCustomShellTree::~TKdCustomShellTree() {
  DeviceChangeHandler()->UnregisterHandler(this);
  // The nodes must go while this class's deletion hook can still run: through the window's destruction, or
  // directly for nodes kept while no window exists.
  DestroyHandle();
  Items().Clear();
  FChangeWatch.reset();
}

TKdShTreeData *TKdCustomShellTree::ShellData(TTreeNode *node) {
  return node ? dynamic_cast<TKdShTreeData *>(node->Data()) : nullptr;
}

void TKdCustomShellTree::RunWork(TKdHeldWork work) {
  if (work == TKdHeldWork::Fill)
    FillTree();
  else
    RefreshNodes();
}

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
    FFollowTimer->SetEnabled(false);
    FollowNode(node);
    FImmediateChange = false;
  } else {
    // Every further move restarts the wait.
    FFollowTimer->SetEnabled(false);
    FFollowTimer->SetEnabled(true);
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

void TKdCustomShellTree::FollowNow() {
  FFollowTimer->SetEnabled(false);
  if (TTreeNode *node = Selected(); ShellData(node))
    FollowNode(node);
}

void TKdCustomShellTree::FlushChange() {
  if (FFollowTimer->Enabled())
    FollowNow();
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
    // The window draws nothing until the walk has ended (every folder opened on the way would have its scroll
    // bars drawn), and the control measures its nodes once, before the node is brought into view.
    TDrawingHold hold(WindowHandle());
    std::optional<TTreeUpdateScope> update(std::in_place, Items());
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
        if (SUCCEEDED(AddChildInPlace(folder, data->GetAbsIdList(), IdListCopy(item), reached)) && FLastInsertedNode &&
            FLastInsertedNode->Parent() == reached)
          found = FLastInsertedNode;
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
    update.reset();
    if (reached)
      SetSelected(reached);
    if (TTreeNode *selected = Selected())
      selected->MakeVisible();
  }
  if (TTreeNode *selected = Selected()) {
    // The walk may have stopped short of the folder asked for: the tree's folder is the one it shows.
    if (TKdShTreeData *data = ShellData(selected); data && FChangeLock == 0) {
      TChangeLockScope lock(*this);
      FCurrentFolder.SetIdList(data->GetAbsIdList());
    }
  }
}

// ---- Folder setting --------------------------------------------------------------------------------------

void TKdCustomShellTree::SetCurrentFolder(TKdShellLocator *value) {
  // While the tree is setting its own folder, the linked list is only pointed at it again: the tree's walk
  // must not start over from inside itself.
  if (FChangeLock > 0) {
    if (FShellList)
      FShellList->SetFolder(&FCurrentFolder);
    return;
  }
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
      FDrag.Register(MakeComObject<IDropTarget, TKdForwardingDropTarget<TKdCustomShellTree>>(this));
    else
      FDrag.Revoke();
  }
  if (old.Contains(kdstoDynamicRefresh) != value.Contains(kdstoDynamicRefresh)) {
    if (value.Contains(kdstoDynamicRefresh))
      StartWatching();
    else if (FChangeWatch)
      FChangeWatch->RemoveAll();
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
    FDrag.Register(MakeComObject<IDropTarget, TKdForwardingDropTarget<TKdCustomShellTree>>(this));
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
      TImageListBackground images(WindowHandle(), TVSIL_NORMAL, ColorToRGB(Color()));
      TImageListBackground states(WindowHandle(), TVSIL_STATE, ColorToRGB(Color()));
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
    FDrag.Revoke();
    TChangeLockScope lock(*this);
    // The watches post to this window: a window made again watches anew.
    FChangeWatch.reset();
    break;
  }
  case WM_KDCHANGENOTIFY:
    FGate.ChangeNotified();
    return;
  case WM_KDDEFERREDFILL:
    if (Items().Count() == 0)
      FillTree();
    return;
  default:
    break;
  }
  TKdCustomTreeView::WndProc(message);
}
