// The shell tree kept up to date: refreshing its loaded folders, watching the drives, device changes.
#include <optional>
#include <utility>
#include <vector>

#include "shellctrls/ChangeHandlerThread.h"
#include "shellctrls/tree/KdCustomShellTree.h"
#include "shellctrls/WindowUtils.h"
#include "shellns/KdDeviceChangeHandler.h"
#include "shellns/KdPidlList.h"
#include "shellns/NetworkDrive.h"
#include "toolkit/Screen.h"

#include <dbt.h>

namespace {

// Changes that can add or remove a node.
constexpr DWORD FolderChanges = FILE_NOTIFY_CHANGE_DIR_NAME;
constexpr DWORD FolderAndFileChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME;

// How long the tree waits after the last change before it refreshes.
constexpr UINT RefreshDelayFocusedMs = 400;
constexpr UINT RefreshDelayMs = 2000;

// Suspends drive-list revalidation for the lifetime of the object (one revalidation serves the refresh).
class TDriveRevalidationScope {
public:
  TDriveRevalidationScope() { SuspendDriveRevalidation(); }
  ~TDriveRevalidationScope() { ResumeDriveRevalidation(); }
  TDriveRevalidationScope(const TDriveRevalidationScope &) = delete;
  TDriveRevalidationScope &operator=(const TDriveRevalidationScope &) = delete;
};

} // namespace

// ---- Refreshing ------------------------------------------------------------------------------------------

namespace {

// One child node of a folder being brought up to date, and whether an enumerated item still names it.
struct TChildRec {
  TTreeNode *Node;
  bool Matched;
};

// The enumerated items of a folder being brought up to date.
struct TItemRec {
  TKdIdListPtr List;
  bool Matched;
};

// Pairs items with the children they name, compared by folder (raw bytes when null); pairs found before
// are skipped.
void MatchBy(IShellFolder *folder, std::vector<TChildRec> &children, std::vector<TItemRec> &items) {
  TKdPidlList sorted;
  sorted.Folder = folder;
  sorted.Duplicates = TKdDuplicates::dupIgnore;
  sorted.SetCapacity(static_cast<int>(children.size()));
  for (TChildRec &child : children)
    if (!child.Matched)
      sorted.AddObject(const_cast<LPITEMIDLIST>(TKdCustomShellTree::ShellData(child.Node)->RelIdList()), &child);
  if (sorted.Count() == 0)
    return;
  sorted.SetSorted(true);
  for (TItemRec &item : items) {
    int index = -1;
    if (item.Matched || !sorted.Find(item.List.get(), index))
      continue;
    auto *child = static_cast<TChildRec *>(sorted.Objects(index));
    if (child->Matched)
      continue;
    child->Matched = true;
    item.Matched = true;
  }
}

// Up to this many node changes are made with the control measuring as it goes; beyond, it stops until
// they are done. Measuring again costs the control a pass over every node, more than a few single changes
// do.
constexpr size_t QuietChangeLimit = 16;

// Keeps the window from drawing while it lasts, and has it all drawn once afterwards. Wine's control
// redraws its scroll bars at every node added or removed (tens of milliseconds each); a window that does
// not draw leaves the control's own measuring as it is.
class TWindowDrawingHold {
public:
  explicit TWindowDrawingHold(HWND wnd) : FWnd(wnd) { DefWindowProcW(FWnd, WM_SETREDRAW, FALSE, 0); }
  ~TWindowDrawingHold() {
    DefWindowProcW(FWnd, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(FWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
  }
  TWindowDrawingHold(const TWindowDrawingHold &) = delete;
  TWindowDrawingHold &operator=(const TWindowDrawingHold &) = delete;

private:
  HWND FWnd;
};

} // namespace

struct TKdCustomShellTree::TRefreshPlan {
  struct TAdditions {
    TTreeNode *Parent;
    IShellFolder *Folder;
    std::vector<TKdIdListPtr> Items;
  };
  // Vanished nodes, each with its subtree, parents before their descendants' folders.
  std::vector<TTreeNode *> Vanished;
  std::vector<TAdditions> Added;
  // Folders all of whose nodes vanish.
  std::vector<TTreeNode *> Emptied;
  size_t Changes = 0;
};

void TKdCustomShellTree::RefreshNodes() {
  if (FBusy || IsEditing()) {
    FRefreshPending = true;
    return;
  }
  if (Items().Count() == 0) {
    FillTree();
    return;
  }
  TCursorSaver hourglass;
  TFillScope fill(*this);
  TTreeNode *remembered = nullptr;
  {
    TChangeLockScope lock(*this);
    remembered = Selected();
    SetSelected(nullptr);
    TRefreshPlan plan;
    PlanRefresh(Items().GetFirstNode(), plan);
    ApplyRefresh(plan, remembered);
  }
  if (remembered) {
    FImmediateChange = true;
    SetSelected(remembered);
  }
}

void TKdCustomShellTree::PlanRefresh(TTreeNode *node, TRefreshPlan &plan) {
  TKdShTreeData *data = ShellData(node);
  if (!data)
    return;
  TTreeNode *first = node->GetFirstChild();
  // A folder never opened stays as it is: a refresh loads nothing new.
  if (!first && node->HasChildren())
    return;
  IShellFolder *folder = data->GetFolder();
  if (!folder)
    return;

  std::vector<TChildRec> children;
  for (TTreeNode *child = first; child; child = child->GetNextSibling())
    if (ShellData(child))
      children.push_back({child, false});
  std::vector<TItemRec> items;
  {
    TErrorModeScope errorMode(SEM_FAILCRITICALERRORS);
    ComPtr<IEnumIDList> enumerator;
    if (SUCCEEDED(folder->EnumObjects(nullptr, EnumFlags(), enumerator.Put())) && enumerator) {
      TKdIdListPtr item;
      while (enumerator->Next(1, PidlOut(item), nullptr) == S_OK)
        items.push_back({std::move(item), false});
    }
  }
  // An unchanged item nearly always comes back with the very bytes it had, which a byte comparison finds
  // far more cheaply than the folder's; the folder's comparison pairs what is left (an item whose bytes
  // carry a new date, for one).
  MatchBy(nullptr, children, items);
  MatchBy(folder, children, items);

  size_t kept = 0;
  for (const TChildRec &child : children) {
    if (child.Matched) {
      ++kept;
    } else {
      plan.Vanished.push_back(child.Node);
      ++plan.Changes;
    }
  }
  TRefreshPlan::TAdditions additions{node, folder, {}};
  for (TItemRec &item : items)
    if (!item.Matched)
      additions.Items.push_back(std::move(item.List));
  plan.Changes += additions.Items.size();
  if (first && kept == 0 && additions.Items.empty())
    plan.Emptied.push_back(node);
  if (!additions.Items.empty())
    plan.Added.push_back(std::move(additions));
  for (const TChildRec &child : children)
    if (child.Matched)
      PlanRefresh(child.Node, plan);
}

void TKdCustomShellTree::ApplyRefresh(TRefreshPlan &plan, TTreeNode *&remembered) {
  if (plan.Changes == 0)
    return;
  std::optional<TTreeUpdateScope> update;
  std::optional<TWindowDrawingHold> hold;
  if (plan.Changes > QuietChangeLimit)
    update.emplace(Items());
  else
    hold.emplace(WindowHandle());
  for (auto it = plan.Vanished.rbegin(); it != plan.Vanished.rend(); ++it) {
    TTreeNode *gone = *it;
    if (remembered && (remembered == gone || remembered->HasAsParent(gone)))
      remembered = gone->Parent();
    gone->Delete();
  }
  for (TRefreshPlan::TAdditions &additions : plan.Added) {
    bool added = false;
    LPCITEMIDLIST parentList = ShellData(additions.Parent)->GetAbsIdList();
    for (const TKdIdListPtr &item : additions.Items) {
      FLastInsertedNode = nullptr;
      // An item that cannot be asked about now is left for the next refresh.
      if (SUCCEEDED(AddChildItem(additions.Folder, parentList, item.get(), additions.Parent)) && FLastInsertedNode)
        added = true;
    }
    if (added)
      SortChildren(additions.Parent);
  }
  // Nothing left to show: no button, and the next refresh looks again.
  for (TTreeNode *node : plan.Emptied)
    node->SetHasChildren(false);
}

// ---- Watching --------------------------------------------------------------------------------------------

void TKdCustomShellTree::StartWatching() {
  if (!HandleAllocated())
    return;
  if (!FChangeThread)
    FChangeThread = std::make_unique<TChangeHandlerThread>(WindowHandle(), WM_KDCHANGENOTIFY);
  FChangeThread->RemoveAllWatches();
  // A tree under a file-system folder shows nothing outside it: changes elsewhere need no refresh. The
  // desktop has a folder on disk as well, but a tree rooted there shows every drive.
  LPCITEMIDLIST baseList = FBaseFolder.GetIdList();
  const bool atDesktop = !baseList || baseList->mkid.cb == 0;
  std::string base = atDesktop ? std::string() : FBaseFolder.GetPath();
  if (!base.empty()) {
    int slot = -1;
    FChangeThread->AddWatch(base, FOptions.Contains(kdstoIncludeNonFolders) ? FolderAndFileChanges : FolderChanges,
                            slot, true);
    return;
  }
  const DWORD drives = GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if (!(drives & (1u << i)))
      continue;
    std::string root = "?:\\";
    root[0] = static_cast<char>('A' + i);
    switch (GetDriveTypeA(root.c_str())) {
    case DRIVE_FIXED:
    case DRIVE_RAMDISK:
      WatchDrive(root.c_str());
      break;
    case DRIVE_REMOTE:
      if (IsNetworkDriveConnected(root[0]))
        WatchDrive(root.c_str());
      break;
    default:
      break;
    }
  }
}

void TKdCustomShellTree::WatchDrive(const char *path) {
  if (!HandleAllocated())
    return;
  if (!FChangeThread)
    FChangeThread = std::make_unique<TChangeHandlerThread>(WindowHandle(), WM_KDCHANGENOTIFY);
  if (!path) {
    FChangeThread->RemoveAllWatches();
    return;
  }
  std::string drive(path);
  if (drive.size() >= 2 && drive[1] == ':')
    drive.resize(2);
  int slot = -1;
  FChangeThread->AddWatch(AppendDelimiter(drive, '\\'),
                          FOptions.Contains(kdstoIncludeNonFolders) ? FolderAndFileChanges : FolderChanges, slot, true);
}

void TKdCustomShellTree::ChangeNotify() {
  if (FSkipNextNotification) {
    FSkipNextNotification = false;
    return;
  }
  // A change seen while a menu or drag of the tree's runs is not lost: the tree refreshes when it ends.
  if (FBusy) {
    FRefreshPending = true;
    return;
  }
  RestartChangeTimer(ChangeTimerRefresh, Focused() ? RefreshDelayFocusedMs : RefreshDelayMs);
}

void TKdCustomShellTree::DeviceChange(TKdMessage &message) {
  if (message.WParam != DBT_DEVICEARRIVAL && message.WParam != DBT_DEVICEREMOVECOMPLETE)
    return;
  RevalidateDriveList();
  TDriveRevalidationScope suspended;
  RefreshNodes();
}
