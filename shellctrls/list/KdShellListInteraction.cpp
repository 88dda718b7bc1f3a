// How the shell list answers the user: opening rows, the keys, verbs of the selection and of the folder,
// renaming in place, new folders, the mouse and the wheel, and the custom-draw events of its rows.
#include "shellctrls/list/KdCustomShellList.h"

#include <utility>

#include "shellctrls/OwnerFormHandle.h"
#include "shellctrls/ShellScroll.h"
#include "shellctrls/WindowUtils.h"
#include "shellctrls/commands/ContextMenuOperations.h"
#include "shellctrls/commands/KdDefaultKeys.h"
#include "shellctrls/commands/NewFolder.h"
#include "shellctrls/commands/ShellItemLookup.h"
#include "shellctrls/commands/ShellItemRename.h"
#include "shellctrls/dragdrop/FileTransfer.h"
#include "toolkit/Handles.h"
#include "toolkit/Screen.h"
#include "toolkit/SysUtils.h"

// --- selection ---

std::vector<LPCITEMIDLIST> TKdCustomShellList::SelectedRelIdLists() const {
  std::vector<LPCITEMIDLIST> lists;
  for (TListItem *item = GetNextItem(nullptr, sdAll, isSelected); item; item = GetNextItem(item, sdAll, isSelected))
    if (TKdShListData *data = ShellData(item))
      lists.push_back(data->RelIdList());
  return lists;
}

HRESULT TKdCustomShellList::GetSelectionUIObject(REFIID riid, void **object) {
  *object = nullptr;
  std::vector<LPCITEMIDLIST> items = SelectedRelIdLists();
  if (items.empty() || !FShellFolder)
    return E_FAIL;
  return FShellFolder->GetUIObjectOf(GetOwnerFormHandle(this), static_cast<UINT>(items.size()), items.data(), riid,
                                     nullptr, object);
}

HRESULT TKdCustomShellList::GetRowUIObject(TListItem *item, REFIID riid, void **object) {
  *object = nullptr;
  TKdShListData *data = ShellData(item);
  if (!data || !FShellFolder)
    return E_INVALIDARG;
  LPCITEMIDLIST one = data->RelIdList();
  return FShellFolder->GetUIObjectOf(GetOwnerFormHandle(this), 1, &one, riid, nullptr, object);
}

void TKdCustomShellList::SelectAll() {
  BeginUpdate();
  TAtExit end([this] { EndUpdate(); });
  TKdCustomListView::SelectAll();
}

// --- opening ---

bool TKdCustomShellList::DoDblClickOpen() {
  bool handled = false;
  if (OnDblClickOpen)
    OnDblClickOpen(this, handled);
  return !handled;
}

void TKdCustomShellList::OpenSelection() {
  FlushPending(true);
  // Copies: a handler of OnDblClickOpen may refresh the rows away.
  std::vector<TKdIdListPtr> copies;
  for (LPCITEMIDLIST list : SelectedRelIdLists())
    copies.emplace_back(IdListCopy(list));
  if (copies.size() < 2) {
    if (TListItem *selected = Selected())
      OpenItem(selected);
    return;
  }
  if (!DoDblClickOpen())
    return;
  std::vector<LPCITEMIDLIST> items;
  for (const TKdIdListPtr &copy : copies)
    items.push_back(copy.get());
  RunDefaultCommand(static_cast<UINT>(items.size()), items.data());
}

void TKdCustomShellList::OpenItem(TListItem *item) {
  FlushPending(true);
  // What was flushed may have taken the row away (its item gone from the disk, the tree moved on).
  if (!item || Items().IndexOf(item) < 0)
    return;
  TKdShListData *data = ShellData(item);
  if (!data) {
    DoDblClickOpen();
    return;
  }
  TCursorSaver hourglass(crHourGlass);
  TKdIdListPtr absolute = IdListConcat(FCurrentIdList.get(), data->RelIdList());
  if (data->IsFolder()) {
    BrowseTo(absolute.get());
    return;
  }
  TKdIdListPtr relative = IdListCopy(data->RelIdList());
  if (data->IsLink()) {
    TKdShellLinkInfo link;
    TKdIdListPtr target;
    // A shortcut's own list of its target does not name the folder as the folder's parse does: the target
    // is found by its path.
    if (SUCCEEDED(ReadShellLink(data->GetPath(), link, false)) &&
        (link.FindData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
        SUCCEEDED(ParseDisplayNameToIdList(link.Path, target))) {
      BrowseTo(target.get());
      return;
    }
  }
  if (!DoDblClickOpen())
    return;
  LPCITEMIDLIST one = relative.get();
  RunDefaultCommand(1, &one);
}

void TKdCustomShellList::RunDefaultCommand(UINT count, LPCITEMIDLIST *items) {
  if (!FShellFolder || count == 0)
    return;
  const HWND owner = GetOwnerFormHandle(this);
  ComPtr<IContextMenu> contextMenu;
  TMenuHandle menu;
  OleCheck(GetItemContextMenu(owner, FShellFolder.Get(), count, items, CMF_EXPLORE, kdFirstShellCommandId, contextMenu,
                              menu));
  if (!menu)
    return;
  const UINT id = GetMenuDefaultItem(menu.Get(), FALSE, 0);
  if (id != static_cast<UINT>(-1) && id >= kdFirstShellCommandId)
    InvokeContextCommand(owner, contextMenu.Get(), id - kdFirstShellCommandId);
}

// --- verbs ---

bool TKdCustomShellList::ShowsNetworkFolder() { return FFolder.GetPath().rfind("\\\\", 0) == 0; }

HRESULT TKdCustomShellList::InvokeSelectionVerb(const std::string &verb) {
  ComPtr<IContextMenu> contextMenu;
  HRESULT hr = GetSelectionUIObject(IID_IContextMenu, contextMenu.PutVoid());
  if (FAILED(hr))
    return hr;
  hr = InvokeContextCommand(GetOwnerFormHandle(this), contextMenu.Get(), verb);
  if (ShowsNetworkFolder())
    RefreshList();
  return hr;
}

void TKdCustomShellList::InvokeFolderVerb(const std::string &verb) {
  // Where the shell's paste copies nothing (Wine), the files are transferred here; the transfer reports its
  // own failures.
  HRESULT pasted = S_OK;
  if (verb == "paste" && PasteFilesIntoFolder(GetOwnerFormHandle(this), FFolder.GetIdList(), pasted)) {
    if (pasted == S_OK)
      RefreshList();
    return;
  }
  ComPtr<IContextMenu> contextMenu;
  OleCheck(GetItemUIObject(FFolder.GetIdList(), contextMenu));
  OleCheck(InvokeContextCommand(GetOwnerFormHandle(this), contextMenu.Get(), verb));
}

// --- new folder ---

bool TKdCustomShellList::NewFolder(bool startEditing) {
  // Without a path of its own the folder would be made in the current directory, where nobody sees it.
  const std::string path = FFolder.GetPath();
  if (path.empty())
    return false;
  // The list fills itself again at once: the change the new folder causes needs no refresh. A folder that
  // could not be made causes none, and the next change must not be taken for its.
  std::string name;
  {
    TKdRefreshGate::TOwnChange own(FGate);
    if (!CreateNewFolder(path, name))
      return false;
    own.Keep();
  }
  LPCITEMIDLIST folder = FFolder.GetIdList();
  // The shell's desktop folder shows a new item only after a while.
  if (!folder || folder->mkid.cb == 0)
    SleepWithHourglass(2100);
  FillList();
  if (startEditing) {
    FEditAfterRefreshName = name;
    PostMessageW(Handle(), EditNewFolderMessage, 0, 0);
  }
  return true;
}

void TKdCustomShellList::EditNewFolderRow() {
  const std::string &name = FEditAfterRefreshName;
  // Names cost the shell a lookup per row: the row is found by its item's list first, and only a row
  // naming the same item has its name compared.
  TKdIdListPtr parsed;
  std::wstring wide = Utf8ToWide(name);
  if (!FShellFolder ||
      FAILED(FShellFolder->ParseDisplayName(nullptr, nullptr, wide.data(), nullptr, PidlOut(parsed), nullptr)))
    parsed.reset();
  auto named = [&](TListItem *item) {
    TKdShListData *data = ShellData(item);
    return data && data->GetName() == name;
  };
  if (parsed) {
    if (TListItem *item = RowOfItem(parsed.get()); item && named(item))
      item->EditCaption();
    return;
  }
  for (int i = 0; i < Items().Count(); ++i)
    if (named(Items()[i])) {
      Items()[i]->EditCaption();
      return;
    }
}

// --- renaming ---

bool TKdCustomShellList::CanEdit(TListItem *item) {
  TKdShListData *data = ShellData(item);
  if (!data)
    return TKdCustomListView::CanEdit(item);
  if (!data->CanRename() || !TKdCustomListView::CanEdit(item))
    return false;
  ShowNameForEditing(EditHandle(), FShellFolder.Get(), data->RelIdList());
  return true;
}

void TKdCustomShellList::Edit(TListItem *item, const std::string &text) {
  std::string name = TrimItemName(text);
  TKdShListData *data = ShellData(item);
  if (!data || !FShellFolder) {
    TKdCustomListView::Edit(item, name);
    return;
  }
  if (OnEdited)
    OnEdited(this, item, name);
  TKdIdListPtr renamed;
  std::string caption;
  if (FAILED(RenameInPlace(FGate, GetOwnerFormHandle(this), FShellFolder.Get(), data->RelIdList(), data->GetPath(),
                           name, renamed, caption)))
    return;
  item->SetCaption(caption);
  if (renamed)
    data->SetRelIdList(std::move(renamed));
}

void TKdCustomShellList::CNNotify(TMessage &message) {
  if (reinterpret_cast<NMHDR *>(message.LParam)->code != LVN_ENDLABELEDITW) {
    TKdCustomListView::CNNotify(message);
    return;
  }
  // The control still has its edit box while it reports the end of the edit; the rows it holds are only
  // numbers. What the edit held back runs once the end is handled, also after a cancelled edit.
  FEndingLabelEdit = true;
  TAtExit ending([this] { FEndingLabelEdit = false; });
  TKdCustomListView::CNNotify(message);
  FGate.RunHeld();
}

// --- keys and mouse ---

void TKdCustomShellList::KeyDown(WORD &key, TShiftState shift) {
  TKdCustomListView::KeyDown(key, shift);
  if (key == 0 || LabelEditInProgress() || !FOptions.Contains(kdsloDefaultKeyHandling))
    return;
  const WORD pressed = std::exchange(key, 0);
  const TShortCut code = ShortCut(pressed, shift);
  InitDefaultKeys();
  if (IsDefaultKey(kdkSelectAll, code)) {
    SelectAll();
  } else if (IsDefaultKey(kdkRefresh, code)) {
    FillList();
  } else if (IsDefaultKey(kdkCopy, code)) {
    InvokeSelectionVerb("copy");
  } else if (IsDefaultKey(kdkCut, code)) {
    InvokeSelectionVerb("cut");
  } else if (IsDefaultKey(kdkPaste, code)) {
    InvokeFolderVerb("paste");
    RefreshList();
  } else if (IsDefaultKey(kdkRename, code)) {
    if (TListItem *focused = ItemFocused())
      focused->EditCaption();
  } else if (IsDefaultKey(kdkDelete, code) || IsDefaultKey(kdkDelete, code & ~scShift)) {
    // Shift+Del too: the shell's verb decides what Shift means.
    InvokeSelectionVerb("delete");
    RefreshList();
  } else {
    key = pressed;
  }
}

void TKdCustomShellList::KeyPress(wchar_t &key) {
  if (FOptions.Contains(kdsloDefaultKeyHandling) && !LabelEditInProgress()) {
    if (key == VK_BACK) {
      key = 0;
      GoUp(1);
    } else if (key == VK_RETURN) {
      key = 0;
      OpenSelection();
    }
  }
  TKdCustomListView::KeyPress(key);
}

bool TKdCustomShellList::WantSpecialKey(WORD key, TShiftState shift) {
  if (TKdCustomListView::WantSpecialKey(key, shift) || IsEditing())
    return true;
  // Enter on a folder opens it even on a form with a default button; on a file the button goes first.
  if (key != VK_RETURN)
    return false;
  TKdShListData *data = ShellData(Selected());
  return data && data->IsFolder();
}

void TKdCustomShellList::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TKdCustomListView::MouseDown(button, shift, x, y);
  if (button == mbLeft && shift.Contains(ssDouble))
    OpenSelection();
}

bool TKdCustomShellList::DoMouseWheelDown(TShiftState shift, POINT mousePos) {
  return WheelNotch(true, shift, mousePos);
}

bool TKdCustomShellList::DoMouseWheelUp(TShiftState shift, POINT mousePos) {
  return WheelNotch(false, shift, mousePos);
}

bool TKdCustomShellList::WheelNotch(bool down, TShiftState shift, POINT mousePos) {
  const bool handled =
      down ? TKdCustomListView::DoMouseWheelDown(shift, mousePos) : TKdCustomListView::DoMouseWheelUp(shift, mousePos);
  // The list style runs its columns sideways.
  return ShellWheelNotch(this, down, handled, shift, mousePos, ViewStyle() == vsList ? SB_HORZ : SB_VERT);
}

// --- custom draw ---

std::unique_ptr<TKdLvCustomDraw> TKdCustomShellList::DoCustomDraw(NMLVCUSTOMDRAW *record, LRESULT &result) {
  std::unique_ptr<TKdLvCustomDraw> draw = TKdCustomListView::DoCustomDraw(record, result);
  if (!OnCustomDrawSh && !OnCustomDrawShEx)
    return draw;
  if (!draw)
    draw = CreateCustomDraw(record, result);
  const DWORD stage = record->nmcd.dwDrawStage;
  TListItem *item = nullptr;
  if (stage & CDDS_ITEM) {
    const auto index = static_cast<int>(record->nmcd.dwItemSpec);
    if (index >= 0 && index < ShownCount())
      item = ShownItem(index);
  }
  DoCustomDrawSh(draw.get(), item, ShellData(item));
  draw->Apply();
  if (stage & CDDS_PREPAINT)
    result |= CDRF_NOTIFYITEMDRAW;
  return draw;
}

void TKdCustomShellList::DoCustomDrawSh(TKdCustomDraw *draw, TListItem *item, TKdShListData *data) {
  if (OnCustomDrawShEx)
    OnCustomDrawShEx(this, draw, item, data);
  if (OnCustomDrawSh && draw->Stage() == kdcdsItemPrePaint)
    OnCustomDrawSh(this, draw, item, data);
}
