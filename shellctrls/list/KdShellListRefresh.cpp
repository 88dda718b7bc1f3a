// Keeping the shell list in step with its folder: the incremental refresh, the change watch that starts it
// after a quiet spell, and device arrival and removal.
#include "shellctrls/list/KdCustomShellList.h"

#include <dbt.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "shellctrls/ChangeHandlerThread.h"
#include "shellctrls/KdShellTreeLink.h"
#include "shellns/KdDeviceChangeHandler.h"
#include "shellns/KdPidlList.h"
#include "toolkit/Screen.h"
#include "toolkit/SysUtils.h"

namespace {

constexpr DWORD WatchedChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME;

// A hash of an ID list's bytes, eight at a time: a refresh hashes every item of the folder twice.
uint64_t HashBytes(LPCITEMIDLIST list) {
  const auto *bytes = reinterpret_cast<const BYTE *>(list);
  const UINT size = IdListSize(list);
  uint64_t hash = 0x9E3779B97F4A7C15ull ^ size;
  UINT i = 0;
  for (; i + 8 <= size; i += 8) {
    uint64_t word;
    std::memcpy(&word, bytes + i, sizeof word);
    hash = (hash ^ word) * 0xFF51AFD7ED558CCDull;
    hash ^= hash >> 32;
  }
  for (; i < size; ++i)
    hash = (hash ^ bytes[i]) * 0x100000001B3ull;
  return hash;
}

// The shell rows shown, to be found again by ID list. In a folder with a file-system path the shell's lists
// of an item are the same bytes from one enumeration to the next, and the rows are found through a hash of
// those bytes; in a virtual folder only the folder can tell whether two lists name the same item, and the
// rows are kept in a set sorted by the folder's CompareIDs.
class TShownRows {
public:
  TShownRows(TCustomListView &list, IShellFolder *compareFolder) {
    const int count = list.Items().Count();
    FSet.SetCapacity(count);
    FSet.Folder = compareFolder;
    for (int i = 0; i < count; ++i) {
      TListItem *item = list.Items()[i];
      if (TKdShListData *data = TKdCustomShellList::ShellData(item))
        FSet.AddObject(const_cast<LPITEMIDLIST>(data->RelIdList()), item);
    }
    if (compareFolder) {
      FSet.SetSorted(true);
    } else {
      FHashes.reserve(static_cast<size_t>(FSet.Count()));
      for (int i = 0; i < FSet.Count(); ++i)
        FHashes.push_back({HashBytes(FSet.Pidls(i)), i});
      std::sort(FHashes.begin(), FHashes.end());
    }
    FSeen.assign(static_cast<size_t>(FSet.Count()), false);
  }

  // Marks the row of an equal list as still there; false when no row unmarked so far has one.
  bool MarkSeen(LPCITEMIDLIST list) {
    int index = -1;
    if (FSet.Folder) {
      index = FSet.IndexOf(list);
    } else {
      const uint64_t hash = HashBytes(list);
      auto at = std::lower_bound(FHashes.begin(), FHashes.end(), std::pair<uint64_t, int>(hash, -1));
      for (; at != FHashes.end() && at->first == hash; ++at)
        if (!FSeen[static_cast<size_t>(at->second)] && ComparePidls(nullptr, FSet.Pidls(at->second), list) == 0) {
          index = at->second;
          break;
        }
    }
    if (index < 0 || FSeen[static_cast<size_t>(index)])
      return false;
    FSeen[static_cast<size_t>(index)] = true;
    return true;
  }

  int Count() const { return FSet.Count(); }
  // The rows not marked.
  std::vector<TListItem *> Unseen() const {
    std::vector<TListItem *> rows;
    for (int i = 0; i < FSet.Count(); ++i)
      if (!FSeen[static_cast<size_t>(i)])
        rows.push_back(static_cast<TListItem *>(FSet.Objects(i)));
    return rows;
  }

private:
  TKdPidlList FSet;
  std::vector<std::pair<uint64_t, int>> FHashes;
  std::vector<bool> FSeen;
};

} // namespace

void TKdCustomShellList::RefreshList() {
  if (FDragging || LabelEditInProgress()) {
    FRefreshPending = true;
    return;
  }
  if (Items().Count() == 0 || !FShellFolder) {
    FillList();
    return;
  }
  TCursorSaver hourglass(crHourGlass);
  DoFillStart();
  PrepareFilter();
  TAtExit cleanup([this] {
    ReleaseFilter();
    DoFillComplete();
    SetAllocBy(RowAllocationStep);
  });

  TShownRows shown(*this, FFolder.GetPath().empty() ? FShellFolder.Get() : nullptr);

  TKdPidlList fresh;
  fresh.Allocator = ShellMalloc();
  fresh.SetCapacity(Items().Count());
  // A folder that cannot be listed any more (gone, no medium) has no items: every row goes. One whose
  // listing breaks off keeps the rows it did not get to.
  bool listed = false;
  const HRESULT read = ReadFolderItems(FShellFolder.Get(), listed, [&](TKdIdListPtr &&list) {
    fresh.Add(list.get());
    list.release();
  });
  const bool complete = !listed || SUCCEEDED(read);
  for (int i = fresh.Count() - 1; i >= 0; --i)
    if (shown.MarkSeen(fresh.Pidls(i)))
      fresh.Delete(i);

  BeginUpdate();
  TAtExit end([this] { EndUpdate(); });
  if (complete) {
    std::vector<TListItem *> vanished = shown.Unseen();
    if (static_cast<int>(vanished.size()) == Items().Count())
      ClearRows();
    else
      for (TListItem *item : vanished)
        Items().Delete(item->Index());
  }
  std::vector<TKdIdListPtr> added;
  added.reserve(static_cast<size_t>(fresh.Count()));
  for (int i = 0; i < fresh.Count(); ++i)
    added.emplace_back(fresh.Pidls(i));
  fresh.Allocator = nullptr;
  fresh.Clear();
  SetAllocBy(static_cast<int>(added.size()));
  for (TKdIdListPtr &list : added)
    AddNewShellItem(FCurrentIdList.get(), list.release());
}

// --- change watch ---

void TKdCustomShellList::StartChangeWatch() {
  FRefreshTimer->SetEnabled(false);
  HWND wnd = WindowHandle();
  if (!wnd)
    return;
  if (FChangeThread)
    FChangeThread->RemoveAllWatches();
  else
    FChangeThread = std::make_unique<TChangeHandlerThread>(wnd, ChangeMessage);
  int slot = -1;
  FChangeThread->AddWatch(FFolder.GetPath(), WatchedChanges, slot, false);
}

void TKdCustomShellList::ChangeNotified() {
  if (FIgnoreNextChange || FDragging) {
    FIgnoreNextChange = false;
    return;
  }
  FRefreshTimer->SetEnabled(false);
  FRefreshTimer->SetInterval(Focused() ? FocusedRefreshDelay : UnfocusedRefreshDelay);
  FRefreshTimer->SetEnabled(true);
}

void TKdCustomShellList::RefreshTimerTick() {
  FRefreshTimer->SetEnabled(false);
  {
    ++FFolderChangeDepth;
    TAtExit depth([this] { --FFolderChangeDepth; });
    FlushPending(true);
  }
  RefreshList();
}

void TKdCustomShellList::FlushPending(bool flushTree) {
  if (flushTree && FShellTree)
    FShellTree->FlushChange();
  if (FRefreshTimer->Enabled())
    RefreshTimerTick();
}

// --- devices ---

void TKdCustomShellList::DeviceChange(TKdMessage &message) {
  if (message.WParam != DBT_DEVICEARRIVAL && message.WParam != DBT_DEVICEREMOVECOMPLETE)
    return;
  RevalidateDriveList();
  SuspendDriveRevalidation();
  TAtExit resume([] { ResumeDriveRevalidation(); });
  if (FindSpecialFolder(FFolder.GetIdList()) == CSIDL_DRIVES)
    FillList();
}
