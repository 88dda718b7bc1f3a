#include "toolkit/MenuItem.h"

#include <algorithm>
#include <unordered_map>

#include "toolkit/Menu.h"
#include "toolkit/SysUtils.h"

namespace {

std::unordered_map<UINT, TMenuItem *> &Commands() {
  static std::unordered_map<UINT, TMenuItem *> commands;
  return commands;
}

// Command numbers stay below 0xF000, where the system's own (SC_...) begin.
UINT AllocateCommand(TMenuItem *item) {
  static UINT next = 100;
  auto &commands = Commands();
  for (UINT tries = 0; tries < 0xF000; ++tries) {
    UINT id = next;
    next = next >= 0xEFFF ? 100 : next + 1;
    if (!commands.count(id)) {
      commands[id] = item;
      return id;
    }
  }
  throw Exception("Out of menu command numbers");
}

} // namespace

TMenuItem::TMenuItem(TComponent *AOwner) : TComponent(AOwner) { FCommand = AllocateCommand(this); }

TMenuItem::~TMenuItem() {
  while (!FItems.empty())
    delete FItems.back();
  if (FParent)
    FParent->Remove(this);
  Commands().erase(FCommand);
}

TMenuItem *TMenuItem::FindCommand(UINT command) {
  auto &commands = Commands();
  auto found = commands.find(command);
  return found == commands.end() ? nullptr : found->second;
}

bool TMenuItem::DispatchCommand(UINT command) {
  TMenuItem *item = FindCommand(command);
  if (!item)
    return false;
  item->Click();
  return true;
}

void TMenuItem::Click() {
  if (FEnabled && OnClick)
    OnClick(this);
}

void TMenuItem::SetCaption(const std::string &value) {
  if (value != FCaption) {
    FCaption = value;
    Changed();
  }
}

void TMenuItem::SetEnabled(bool value) {
  if (value != FEnabled) {
    FEnabled = value;
    Changed();
  }
}

void TMenuItem::SetVisible(bool value) {
  if (value != FVisible) {
    FVisible = value;
    Changed();
  }
}

void TMenuItem::SetChecked(bool value) {
  if (value != FChecked) {
    FChecked = value;
    Changed();
  }
}

int TMenuItem::IndexOf(const TMenuItem *item) const {
  auto it = std::find(FItems.begin(), FItems.end(), item);
  return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

void TMenuItem::Add(TMenuItem *item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem *item) {
  if (!item || item == this)
    return;
  if (item->FParent)
    item->FParent->Remove(item);
  index = std::clamp(index, 0, Count());
  FItems.insert(FItems.begin() + index, item);
  item->FParent = this;
  RebuildHandle();
  Changed();
}

void TMenuItem::Remove(TMenuItem *item) {
  auto it = std::find(FItems.begin(), FItems.end(), item);
  if (it == FItems.end())
    return;
  FItems.erase(it);
  item->FParent = nullptr;
  RebuildHandle();
  Changed();
}

TMenu *TMenuItem::GetParentMenu() const {
  const TMenuItem *item = this;
  while (item->FParent)
    item = item->FParent;
  return item->FMenu;
}

HMENU TMenuItem::Handle() {
  if (!FHandle) {
    FHandle.Reset(FMenuBar ? CreateMenu() : CreatePopupMenu());
    if (!FHandle)
      RaiseLastOSError();
    RebuildHandle();
  }
  return FHandle.Get();
}

void TMenuItem::RebuildHandle() {
  if (!FHandle)
    return;
  // RemoveMenu leaves the submenus alive: each item destroys only its own.
  while (GetMenuItemCount(FHandle.Get()) > 0)
    RemoveMenu(FHandle.Get(), 0, MF_BYPOSITION);
  UINT position = 0;
  for (TMenuItem *item : FItems) {
    if (!item->FVisible)
      continue;
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE;
    info.wID = item->FCommand;
    if (item->IsLine()) {
      info.fType = MFT_SEPARATOR;
    } else {
      info.fMask |= MIIM_STRING;
      info.fType = MFT_STRING;
      info.dwTypeData = const_cast<char *>(item->FCaption.c_str());
      info.fState = (item->FEnabled ? MFS_ENABLED : MFS_DISABLED) | (item->FChecked ? MFS_CHECKED : 0);
      if (!item->FItems.empty()) {
        info.fMask |= MIIM_SUBMENU;
        info.hSubMenu = item->Handle();
      }
    }
    InsertMenuItemA(FHandle.Get(), position++, TRUE, &info);
  }
}

void TMenuItem::Changed() {
  if (FParent)
    FParent->RebuildHandle();
  // Only the menu's own row of items is drawn anew (a menu bar): an item further down is read from its
  // popup when that opens. Redrawing a menu bar redraws the window's frame.
  const bool onTopRow = !FParent || !FParent->FParent;
  if (TMenu *menu = GetParentMenu(); menu && onTopRow)
    menu->MenuChanged();
}
