#include "toolkit/ListItem.h"

#include <commctrl.h>

#include <algorithm>
#include <new>

#include "toolkit/ListView.h"
#include "toolkit/SysUtils.h"

namespace {

const std::string &EmptyText() {
  static const std::string empty;
  return empty;
}

} // namespace

// --- TSubItems ---

int TSubItems::Count() const { return FItem->FSubItemCount; }

int TSubItems::Add(const std::string &text) {
  if (FItem->FSubItemCount == UINT16_MAX)
    throw EListError("Too many sub-items");
  int index = FItem->FSubItemCount++;
  if (FItem->FSubTexts)
    FItem->FSubTexts->emplace_back();
  if (!text.empty())
    Put(index, text);
  return index;
}

const std::string &TSubItems::operator[](int index) const {
  const auto &texts = FItem->FSubTexts;
  if (!texts || index < 0 || index >= static_cast<int>(texts->size()))
    return EmptyText();
  return (*texts)[static_cast<size_t>(index)];
}

bool TSubItems::HasText(int index) const { return !(*this)[index].empty(); }

void TSubItems::Put(int index, const std::string &text) {
  if (index < 0 || index >= Count())
    throw EListError(FormatStr("List index out of bounds (%d)", index));
  auto &texts = FItem->FSubTexts;
  if (!texts) {
    if (text.empty())
      return;
    texts = std::make_unique<std::vector<std::string>>(static_cast<size_t>(Count()));
  }
  (*texts)[static_cast<size_t>(index)] = text;
  FItem->Update();
}

void TSubItems::Clear() {
  FItem->FSubItemCount = 0;
  FItem->FSubTexts.reset();
  FItem->Update();
}

// --- TListItem ---

TCustomListView *TListItem::ListView() const { return FOwner->Owner(); }

int TListItem::Index() const {
  const auto &items = FOwner->FItems;
  auto valid = [&] { return FIndex >= 0 && FIndex < static_cast<int>(items.size()) && items[FIndex] == this; };
  if (valid())
    return FIndex;
  FOwner->Renumber();
  return valid() ? FIndex : -1;
}

int TListItem::ShownIndex() const {
  if (!FOwner->FFiltered)
    return Index();
  if (!Shown())
    return -1;
  const auto &shown = FOwner->FShown;
  auto valid = [&] {
    return FShownIndex >= 0 && FShownIndex < static_cast<int>(shown.size()) && shown[FShownIndex] == this;
  };
  if (valid())
    return FShownIndex;
  FOwner->RenumberShown();
  return valid() ? FShownIndex : -1;
}

const std::string &TListItem::Caption() const { return FCaption ? *FCaption : EmptyText(); }

void TListItem::SetCaption(const std::string &value) {
  if (value.empty())
    FCaption.reset();
  else if (FCaption)
    *FCaption = value;
  else
    FCaption = std::make_unique<std::string>(value);
  Update();
}

void TListItem::SetImageIndex(int value) {
  if (value == FImageIndex)
    return;
  FImageIndex = value;
  Update();
}

void TListItem::SetOverlayIndex(int value) {
  // The control has room for overlay images 1 to 15.
  if (value < -1 || value > 14)
    value = -1;
  if (value == FOverlayIndex)
    return;
  FOverlayIndex = static_cast<int8_t>(value);
  Update();
}

void TListItem::SetFlag(uint8_t flag, bool value) {
  uint8_t flags = value ? (FFlags | flag) : (FFlags & ~flag);
  if (flags == FFlags)
    return;
  FFlags = flags;
  Update();
}

void TListItem::SetCut(bool value) { SetFlag(CutFlag, value); }

void TListItem::SetDropTarget(bool value) { SetFlag(DropFlag, value); }

bool TListItem::Selected() const {
  TCustomListView *list = ListView();
  if (HWND wnd = list->WindowHandle()) {
    const int shown = ShownIndex();
    return shown >= 0 && (SendMessageW(wnd, LVM_GETITEMSTATE, shown, LVIS_SELECTED) & LVIS_SELECTED);
  }
  const auto &saved = list->FSavedSelection;
  return std::find(saved.begin(), saved.end(), this) != saved.end();
}

void TListItem::SetSelected(bool value) {
  TCustomListView *list = ListView();
  HWND wnd = list->WindowHandle();
  if (!wnd) {
    // Kept until the window exists.
    list->ForgetSavedState(this);
    if (value)
      list->FSavedSelection.push_back(this);
    return;
  }
  // A hidden row is never selected: commands on the selection act on what the user sees.
  const int shown = ShownIndex();
  if (shown < 0)
    return;
  LVITEMW state = {};
  state.stateMask = LVIS_SELECTED;
  state.state = value ? LVIS_SELECTED : 0;
  SendMessageW(wnd, LVM_SETITEMSTATE, shown, reinterpret_cast<LPARAM>(&state));
}

bool TListItem::Focused() const {
  TCustomListView *list = ListView();
  if (HWND wnd = list->WindowHandle()) {
    const int shown = ShownIndex();
    return shown >= 0 && (SendMessageW(wnd, LVM_GETITEMSTATE, shown, LVIS_FOCUSED) & LVIS_FOCUSED);
  }
  return list->FSavedFocus == this;
}

void TListItem::SetFocused(bool value) {
  TCustomListView *list = ListView();
  HWND wnd = list->WindowHandle();
  if (!wnd) {
    if (value)
      list->FSavedFocus = this;
    else if (list->FSavedFocus == this)
      list->FSavedFocus = nullptr;
    return;
  }
  const int shown = ShownIndex();
  if (shown < 0)
    return;
  LVITEMW state = {};
  state.stateMask = LVIS_FOCUSED;
  state.state = value ? LVIS_FOCUSED : 0;
  SendMessageW(wnd, LVM_SETITEMSTATE, shown, reinterpret_cast<LPARAM>(&state));
}

bool TListItem::EditCaption() {
  TCustomListView *list = ListView();
  if (!list->WindowHandle() || ShownIndex() < 0)
    return false;
  list->SetFocus();
  return SendMessageW(list->WindowHandle(), LVM_EDITLABELW, ShownIndex(), 0) != 0;
}

RECT TListItem::DisplayRect(TDisplayCode code) const {
  RECT rect = {0, 0, 0, 0};
  static const int codes[] = {LVIR_BOUNDS, LVIR_ICON, LVIR_LABEL, LVIR_SELECTBOUNDS};
  HWND wnd = ListView()->WindowHandle();
  if (wnd && ShownIndex() >= 0) {
    rect.left = codes[code];
    if (!SendMessageW(wnd, LVM_GETITEMRECT, ShownIndex(), reinterpret_cast<LPARAM>(&rect)))
      rect = {0, 0, 0, 0};
  }
  return rect;
}

void TListItem::MakeVisible(bool partialOK) {
  HWND wnd = ListView()->WindowHandle();
  if (wnd && ShownIndex() >= 0)
    SendMessageW(wnd, LVM_ENSUREVISIBLE, ShownIndex(), partialOK);
}

void TListItem::Update() const { ListView()->RedrawItem(ShownIndex()); }

void TListItem::Delete() { FOwner->Delete(Index()); }

// --- TListItems ---

TListItems::~TListItems() { FreeAll(); }

void TListItems::FreeAll() {
  for (TListItem *item : FItems)
    item->~TListItem();
  FItems.clear();
  FShown.clear();
  FNumberedUpTo = 0;
  FShownNumberedUpTo = 0;
  FFreeSlots.clear();
  FBlocks.clear();
  FBlockUsed = 0;
}

TListItem *TListItems::NewItem() {
  void *slot;
  if (!FFreeSlots.empty()) {
    slot = FFreeSlots.back();
    FFreeSlots.pop_back();
  } else {
    if (FBlocks.empty() || FBlockUsed == ItemsPerBlock) {
      FBlocks.push_back(std::make_unique<TItemBlock>());
      FBlockUsed = 0;
    }
    slot = FBlocks.back()->Slots + FBlockUsed++ * sizeof(TListItem);
  }
  return new (slot) TListItem(this);
}

void TListItems::FreeItem(TListItem *item) {
  item->~TListItem();
  if (FItems.empty()) {
    // The last row gone: give the memory of all of them back.
    FFreeSlots.clear();
    FBlocks.clear();
    FBlockUsed = 0;
  } else {
    FFreeSlots.push_back(item);
  }
}

void TListItems::CheckIndex(int index) const {
  if (index < 0 || index >= Count())
    throw EListError(FormatStr("List index out of bounds (%d)", index));
}

TListItem *TListItems::Item(int index) const {
  CheckIndex(index);
  return FItems[static_cast<size_t>(index)];
}

int TListItems::IndexOf(const TListItem *item) const { return item && item->FOwner == this ? item->Index() : -1; }

void TListItems::Renumber() const {
  for (size_t i = FNumberedUpTo; i < FItems.size(); ++i)
    FItems[i]->FIndex = static_cast<int>(i);
  FNumberedUpTo = FItems.size();
}

void TListItems::RenumberShown() const {
  for (size_t i = FShownNumberedUpTo; i < FShown.size(); ++i)
    FShown[i]->FShownIndex = static_cast<int>(i);
  FShownNumberedUpTo = FShown.size();
}

TListItem *TListItems::ShownItem(int position) const {
  if (!FFiltered)
    return Item(position);
  if (position < 0 || position >= static_cast<int>(FShown.size()))
    throw EListError(FormatStr("List index out of bounds (%d)", position));
  return FShown[static_cast<size_t>(position)];
}

void TListItems::ApplyFilter(const std::function<bool(TListItem *)> &filter) {
  FFiltered = static_cast<bool>(filter);
  FShown.clear();
  FShownNumberedUpTo = 0;
  for (TListItem *item : FItems)
    item->SetFlagQuietly(TListItem::HiddenFlag, FFiltered && !filter(item));
  if (FFiltered)
    ListShown();
}

void TListItems::ListShown() {
  if (!FFiltered)
    return;
  FShown.clear();
  FShownNumberedUpTo = 0;
  for (TListItem *item : FItems)
    if (item->Shown())
      FShown.push_back(item);
}

void TListItems::AddShown(TListItem *item) {
  if (!FFiltered || !item->Shown())
    return;
  // New rows come last, so they are shown last.
  item->FShownIndex = static_cast<int>(FShown.size());
  FShown.push_back(item);
  if (FShownNumberedUpTo + 1 == FShown.size())
    FShownNumberedUpTo = FShown.size();
}

void TListItems::RemoveShown(TListItem *item) {
  if (!FFiltered || !item->Shown())
    return;
  const int position = item->ShownIndex();
  if (position < 0)
    return;
  FShown.erase(FShown.begin() + position);
  FShownNumberedUpTo = std::min(FShownNumberedUpTo, static_cast<size_t>(position));
}

TListItem *TListItems::Add(std::unique_ptr<TObject> data) {
  // Room in steps of AllocBy, but never in steps so small that appending many rows copies the list often.
  if (FItems.size() == FItems.capacity() && FOwner->FAllocBy > 0)
    FItems.reserve(FItems.size() + std::max(static_cast<size_t>(FOwner->FAllocBy), FItems.size() / 2));
  TListItem *item = NewItem();
  item->FData = std::move(data);
  item->FIndex = Count();
  FItems.push_back(item);
  if (FNumberedUpTo + 1 == FItems.size())
    FNumberedUpTo = FItems.size();
  try {
    FOwner->InsertItem(item);
    // A row that arrives while a row filter is on is shown only when it passes.
    item->SetFlagQuietly(TListItem::HiddenFlag, FFiltered && !FOwner->PassesRowFilter(item));
  } catch (...) {
    // A row whose insertion failed is not shown.
    FItems.pop_back();
    FNumberedUpTo = std::min(FNumberedUpTo, FItems.size());
    FreeItem(item);
    throw;
  }
  AddShown(item);
  FOwner->SyncCount();
  return item;
}

void TListItems::Delete(int index) {
  TListItem *item = Item(index);
  FOwner->Delete(item);
  // The hook may have changed the rows; find the row again.
  index = item->Index();
  if (index < 0)
    return;
  const int shown = item->ShownIndex();
  RemoveShown(item);
  FItems.erase(FItems.begin() + index);
  FNumberedUpTo = std::min(FNumberedUpTo, static_cast<size_t>(index));
  FOwner->ForgetSavedState(item);
  // The control moves the selection and focus of the rows below up by one.
  HWND wnd = FOwner->WindowHandle();
  if (wnd && shown >= 0 && shown < FOwner->FControlCount) {
    --FOwner->FControlCount;
    SendMessageW(wnd, LVM_DELETEITEM, shown, 0);
  }
  FreeItem(item);
  FOwner->SyncCount();
}

void TListItems::Clear() {
  BeginUpdate();
  try {
    // Every row passes the hook, but the control is told once: one deletion per row would cost a window
    // message (and the control's bookkeeping) for each of possibly many thousands.
    while (!FItems.empty()) {
      TListItem *item = FItems.back();
      FOwner->Delete(item);
      int index = item->Index();
      if (index < 0)
        continue;
      RemoveShown(item);
      FItems.erase(FItems.begin() + index);
      FNumberedUpTo = std::min(FNumberedUpTo, static_cast<size_t>(index));
      FOwner->ForgetSavedState(item);
      FreeItem(item);
    }
  } catch (...) {
    FOwner->ForgetRows();
    EndUpdate();
    throw;
  }
  FOwner->ForgetRows();
  EndUpdate();
}

void TListItems::BeginUpdate() { FOwner->BeginUpdate(); }

void TListItems::EndUpdate() { FOwner->EndUpdate(); }
