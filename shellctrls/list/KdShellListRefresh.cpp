// Keeping the shell list in step with its folder: the incremental refresh, the change watch that starts it
// after a quiet spell, and device arrival and removal.
#include "shellctrls/list/KdCustomShellList.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "shellctrls/KdChangeWatch.h"
#include "shellctrls/KdShellTreeLink.h"
#include "shellns/KdChildMatch.h"
#include "shellns/KdDeviceChangeHandler.h"
#include "toolkit/Screen.h"
#include "toolkit/SysUtils.h"

namespace {

constexpr DWORD WatchedChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME;

} // namespace

void TKdCustomShellList::RefreshList() {
  if (!FGate.Admit(TKdHeldWork::Refresh))
    return;
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

  std::vector<TListItem *> rows;
  std::vector<LPCITEMIDLIST> shown;
  rows.reserve(static_cast<size_t>(Items().Count()));
  shown.reserve(rows.capacity());
  for (int i = 0; i < Items().Count(); ++i)
    if (TKdShListData *data = ShellData(Items()[i])) {
      rows.push_back(Items()[i]);
      shown.push_back(data->RelIdList());
    }
  std::vector<TKdIdListPtr> fresh;
  fresh.reserve(rows.size());
  // A folder that cannot be listed any more (gone, no medium) has no items: every row goes. One whose
  // listing breaks off keeps the rows it did not get to.
  bool listed = false;
  const HRESULT read =
      ReadFolderItems(FShellFolder.Get(), listed, [&](TKdIdListPtr &&list) { fresh.push_back(std::move(list)); });
  const bool complete = !listed || SUCCEEDED(read);
  const TKdChildMatch match = MatchChildren(FShellFolder.Get(), shown, fresh);

  BeginUpdate();
  TAtExit end([this] { EndUpdate(); });
  std::vector<TListItem *> vanished;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (match.FreshOf[i] < 0) {
      vanished.push_back(rows[i]);
    } else if (match.Renewed[i]) {
      // The item is still there under other bytes (a new date): the row stays where it is and shows it anew.
      ShellData(rows[i])->SetRelIdList(std::move(fresh[static_cast<size_t>(match.FreshOf[i])]));
      rows[i]->Update();
    }
  }
  if (complete) {
    if (static_cast<int>(vanished.size()) == Items().Count())
      ClearRows();
    else
      for (TListItem *item : vanished)
        Items().Delete(item->Index());
  }
  SetAllocBy(static_cast<int>(std::count(match.Shown.begin(), match.Shown.end(), false)));
  for (size_t j = 0; j < fresh.size(); ++j)
    if (!match.Shown[j])
      AddNewShellItem(FCurrentIdList.get(), std::move(fresh[j]));
}

// --- what the gate lets through ---

void TKdCustomShellList::RunWork(TKdHeldWork work) {
  if (work == TKdHeldWork::Fill) {
    FillList();
    return;
  }
  {
    // The tree's held-back selection goes first: the refresh is for the folder the user sees selected.
    ++FFolderChangeDepth;
    TAtExit depth([this] { --FFolderChangeDepth; });
    if (FShellTree)
      FShellTree->FlushChange();
  }
  RefreshList();
}

void TKdCustomShellList::FlushPending(bool flushTree) {
  if (flushTree && FShellTree)
    FShellTree->FlushChange();
  FGate.RunDue();
}

// --- change watch ---

void TKdCustomShellList::StartChangeWatch() {
  FGate.CancelDue();
  HWND wnd = WindowHandle();
  if (!wnd)
    return;
  if (FChangeWatch)
    FChangeWatch->RemoveAll();
  else
    FChangeWatch = std::make_unique<TKdChangeWatch>(wnd, ChangeMessage);
  FChangeWatch->Add(FFolder.GetPath(), WatchedChanges, false);
}

// --- devices ---

void TKdCustomShellList::DeviceChange(TKdMessage &message) {
  RefreshAfterDeviceChange(message, [this] {
    if (IsSpecialFolder(FFolder.GetIdList(), CSIDL_DRIVES))
      FillList();
  });
}
