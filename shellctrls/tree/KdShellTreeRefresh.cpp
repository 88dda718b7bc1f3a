// The shell tree kept up to date: refreshing its loaded folders, watching the drives, device changes.
#include <utility>
#include <vector>

#include "shellctrls/KdChangeWatch.h"
#include "shellctrls/tree/KdCustomShellTree.h"
#include "shellns/ErrorModeScope.h"
#include "shellns/KdChildMatch.h"
#include "shellns/NetworkDrive.h"
#include "toolkit/DrawingHold.h"
#include "toolkit/Screen.h"

namespace {

// Changes that can add or remove a node.
constexpr DWORD FolderChanges = FILE_NOTIFY_CHANGE_DIR_NAME;
constexpr DWORD FolderAndFileChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME;

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
  if (!FGate.Admit(TKdHeldWork::Refresh))
    return;
  if (Items().Count() == 0) {
    FillTree();
    return;
  }
  TCursorSaver hourglass;
  TFillScope fill(*this);
  // Nothing is drawn before the selection is back: Wine's control draws its scroll bars at every change of its
  // nodes and at the selection's return, which costs more than all the rest of a refresh of a few changes.
  TDrawingHold hold(WindowHandle());
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

  std::vector<TTreeNode *> children;
  std::vector<LPCITEMIDLIST> shown;
  for (TTreeNode *child = first; child; child = child->GetNextSibling())
    if (TKdShTreeData *data = ShellData(child)) {
      children.push_back(child);
      shown.push_back(data->RelIdList());
    }
  std::vector<TKdIdListPtr> items;
  {
    TKdErrorModeScope errorMode;
    ComPtr<IEnumIDList> enumerator;
    if (SUCCEEDED(folder->EnumObjects(nullptr, EnumFlags(), enumerator.Put())) && enumerator) {
      TKdIdListPtr item;
      while (enumerator->Next(1, PidlOut(item), nullptr) == S_OK)
        items.push_back(std::move(item));
    }
  }
  const TKdChildMatch match = MatchChildren(folder, shown, items);

  size_t kept = 0;
  for (size_t i = 0; i < children.size(); ++i) {
    if (match.FreshOf[i] >= 0) {
      ++kept;
    } else {
      plan.Vanished.push_back(children[i]);
      ++plan.Changes;
    }
  }
  TRefreshPlan::TAdditions additions{node, folder, {}};
  for (size_t j = 0; j < items.size(); ++j)
    if (!match.Shown[j])
      additions.Items.push_back(std::move(items[j]));
  plan.Changes += additions.Items.size();
  if (first && kept == 0 && additions.Items.empty())
    plan.Emptied.push_back(node);
  if (!additions.Items.empty())
    plan.Added.push_back(std::move(additions));
  for (size_t i = 0; i < children.size(); ++i)
    if (match.FreshOf[i] >= 0)
      PlanRefresh(children[i], plan);
}

void TKdCustomShellTree::ApplyRefresh(TRefreshPlan &plan, TTreeNode *&remembered) {
  if (plan.Changes == 0)
    return;
  // The control measures its nodes once, at the end: a node added to an opened folder while it measures
  // as it goes costs it a pass over the nodes in view for each.
  TTreeUpdateScope update(Items());
  for (auto it = plan.Vanished.rbegin(); it != plan.Vanished.rend(); ++it) {
    TTreeNode *gone = *it;
    if (remembered && (remembered == gone || remembered->HasAsParent(gone)))
      remembered = gone->Parent();
    gone->Delete();
  }
  // New nodes go straight to their places: the nodes that stay are in the folder's order already.
  for (TRefreshPlan::TAdditions &additions : plan.Added) {
    LPCITEMIDLIST parentList = ShellData(additions.Parent)->GetAbsIdList();
    // An item that cannot be asked about now is left for the next refresh.
    for (TKdIdListPtr &item : additions.Items)
      AddChildInPlace(additions.Folder, parentList, std::move(item), additions.Parent);
  }
  // Nothing left to show: no button, and the next refresh looks again.
  for (TTreeNode *node : plan.Emptied)
    node->SetHasChildren(false);
}

// ---- Watching --------------------------------------------------------------------------------------------

void TKdCustomShellTree::StartWatching() {
  if (!HandleAllocated())
    return;
  if (!FChangeWatch)
    FChangeWatch = std::make_unique<TKdChangeWatch>(WindowHandle(), WM_KDCHANGENOTIFY);
  FChangeWatch->RemoveAll();
  // A tree under a file-system folder shows nothing outside it: changes elsewhere need no refresh. The
  // desktop has a folder on disk as well, but a tree rooted there shows every drive.
  LPCITEMIDLIST baseList = FBaseFolder.GetIdList();
  const bool atDesktop = !baseList || baseList->mkid.cb == 0;
  std::string base = atDesktop ? std::string() : FBaseFolder.GetPath();
  if (!base.empty()) {
    FChangeWatch->Add(base, FOptions.Contains(kdstoIncludeNonFolders) ? FolderAndFileChanges : FolderChanges, true);
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
  if (!FChangeWatch)
    FChangeWatch = std::make_unique<TKdChangeWatch>(WindowHandle(), WM_KDCHANGENOTIFY);
  if (!path) {
    FChangeWatch->RemoveAll();
    return;
  }
  std::string drive(path);
  if (drive.size() >= 2 && drive[1] == ':')
    drive.resize(2);
  FChangeWatch->Add(AppendDelimiter(drive, '\\'),
                    FOptions.Contains(kdstoIncludeNonFolders) ? FolderAndFileChanges : FolderChanges, true);
}

void TKdCustomShellTree::DeviceChange(TKdMessage &message) {
  RefreshAfterDeviceChange(message, [this] { RefreshNodes(); });
}
