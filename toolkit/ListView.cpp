#include "toolkit/ListView.h"

#include <algorithm>
#include <utility>

#include "toolkit/ListAlgorithms.h"
#include "toolkit/SysUtils.h"

namespace {

// The states the control asks the rows for when it draws them (in owner-data mode it keeps only selection
// and focus itself).
constexpr UINT CallbackStates = LVIS_CUT | LVIS_DROPHILITED | LVIS_OVERLAYMASK;

constexpr DWORD StyleBits = LVS_TYPEMASK | LVS_SINGLESEL | LVS_EDITLABELS | LVS_SHOWSELALWAYS | LVS_AUTOARRANGE;

void CopyText(const std::string &text, wchar_t *buffer, int size) {
  if (!buffer || size <= 0)
    return;
  std::wstring wide = Utf8ToWide(text);
  size_t length = std::min(wide.size(), static_cast<size_t>(size - 1));
  wide.copy(buffer, length);
  buffer[length] = L'\0';
}

} // namespace

void TIconOptions::SetAutoArrange(bool value) {
  FAutoArrange = value;
  FOwner->UpdateStyle();
}

TCustomListView::TCustomListView(TComponent *AOwner)
    : TWinControl(AOwner), FItems(this), FColumns(this), FIconOptions(this) {
  UpdateBounds(0, 0, ScaleValue(250), ScaleValue(150));
  SetBorderStyle(bsSingle);
  SetColor(clWindow);
}

TCustomListView::~TCustomListView() {
  // The window goes first, while the rows its last notifications may name still exist.
  DestroyHandle();
  FSavedSelection.clear();
  FSavedFocus = nullptr;
  FItems.FreeAll();
  SetSmallImages(nullptr);
  SetLargeImages(nullptr);
}

void TCustomListView::CreateParams(TCreateParams &params) {
  TWinControl::CreateParams(params);
  params.WinClassName = "TListView";
  params.BaseClassName = "SysListView32";
  static const DWORD views[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
  params.Style |= WS_TABSTOP | LVS_OWNERDATA | LVS_SHAREIMAGELISTS | views[FViewStyle];
  if (!FMultiSelect)
    params.Style |= LVS_SINGLESEL;
  if (!FReadOnly)
    params.Style |= LVS_EDITLABELS;
  if (!FHideSelection)
    params.Style |= LVS_SHOWSELALWAYS;
  if (FIconOptions.AutoArrange())
    params.Style |= LVS_AUTOARRANGE;
}

void TCustomListView::CreateWnd() {
  TWinControl::CreateWnd();
  HWND wnd = WindowHandle();
  SendMessageW(wnd, LVM_SETCALLBACKMASK, CallbackStates, 0);
  SendMessageW(wnd, LVM_SETBKCOLOR, 0, ColorToRGB(Color()));
  UpdateImageLists();
  FColumns.CreateInWindow(wnd);
  FControlCount = 0;
  SyncCount();
  std::vector<TListItem *> selection;
  selection.swap(FSavedSelection);
  for (TListItem *item : selection)
    item->SetSelected(true);
  if (TListItem *focus = std::exchange(FSavedFocus, nullptr))
    focus->SetFocused(true);
}

void TCustomListView::DestroyWnd() {
  if (HWND wnd = WindowHandle()) {
    FSavedSelection.clear();
    for (TListItem *item = GetNextItem(nullptr, sdAll, isSelected); item; item = GetNextItem(item, sdAll, isSelected))
      FSavedSelection.push_back(item);
    FSavedFocus = ItemFocused();
    FColumns.SaveWidths(wnd);
  }
  TWinControl::DestroyWnd();
  FControlCount = 0;
}

void TCustomListView::ForgetSavedState(const TListItem *item) {
  if (FSavedFocus == item)
    FSavedFocus = nullptr;
  if (!FSavedSelection.empty())
    std::erase(FSavedSelection, item);
}

void TCustomListView::UpdateStyle() {
  HWND wnd = WindowHandle();
  if (!wnd)
    return;
  TCreateParams params;
  CreateParams(params);
  DWORD style = static_cast<DWORD>(GetWindowLongPtrW(wnd, GWL_STYLE));
  DWORD wanted = (style & ~StyleBits) | (params.Style & StyleBits);
  if (wanted == style)
    return;
  SetWindowLongPtrW(wnd, GWL_STYLE, static_cast<LONG_PTR>(wanted));
  InvalidateRect(wnd, nullptr, TRUE);
}

void TCustomListView::SetViewStyle(TViewStyle value) {
  FViewStyle = value;
  UpdateStyle();
}

void TCustomListView::SetAllocBy(int value) {
  FAllocBy = std::max(0, value);
  FItems.FItems.reserve(FItems.FItems.size() + static_cast<size_t>(FAllocBy));
}

void TCustomListView::SetReadOnly(bool value) {
  FReadOnly = value;
  UpdateStyle();
}

void TCustomListView::SetMultiSelect(bool value) {
  FMultiSelect = value;
  UpdateStyle();
}

void TCustomListView::SetHideSelection(bool value) {
  FHideSelection = value;
  UpdateStyle();
}

void TCustomListView::SetSmallImages(TImageList *value) { SetImages(FSmallImages, value); }

void TCustomListView::SetLargeImages(TImageList *value) { SetImages(FLargeImages, value); }

void TCustomListView::SetImages(TImageList *&field, TImageList *value) {
  if (value == field)
    return;
  if (field) {
    field->UnRegisterChanges(this);
    field->RemoveFreeNotification(this);
  }
  field = value;
  if (value) {
    value->FreeNotification(this);
    value->RegisterChanges(this, [this] { UpdateImageLists(); });
  }
  UpdateImageLists();
}

void TCustomListView::UpdateImageLists() {
  HWND wnd = WindowHandle();
  if (!wnd)
    return;
  SendMessageW(wnd, LVM_SETIMAGELIST, LVSIL_SMALL,
               reinterpret_cast<LPARAM>(FSmallImages ? FSmallImages->Handle() : nullptr));
  SendMessageW(wnd, LVM_SETIMAGELIST, LVSIL_NORMAL,
               reinterpret_cast<LPARAM>(FLargeImages ? FLargeImages->Handle() : nullptr));
}

void TCustomListView::Notification(TComponent *component, bool inserted) {
  TWinControl::Notification(component, inserted);
  if (inserted)
    return;
  if (component == FSmallImages) {
    FSmallImages = nullptr;
    UpdateImageLists();
  }
  if (component == FLargeImages) {
    FLargeImages = nullptr;
    UpdateImageLists();
  }
}

void TCustomListView::ChangeScale(int newPPI, int oldPPI) {
  TWinControl::ChangeScale(newPPI, oldPPI);
  for (int i = 0; i < FColumns.Count(); ++i)
    FColumns[i]->SetWidth(MulDiv(FColumns[i]->Width(), newPPI, oldPPI));
}

void TCustomListView::CMColorChanged(TMessage &message) {
  TWinControl::CMColorChanged(message);
  if (HWND wnd = WindowHandle())
    SendMessageW(wnd, LVM_SETBKCOLOR, 0, ColorToRGB(Color()));
}

void TCustomListView::BeginUpdate() {
  if (FUpdateCount++ == 0 && WindowHandle()) {
    // The control stops drawing itself, and the window stops it drawing its scroll bars, which Wine's control
    // does at once for every change of the row count. Its column header is drawn anew with it afterwards: while
    // the hold lasts the header does not draw its columns, and nothing else tells it to.
    FHold.emplace(WindowHandle(), true);
    SendMessageW(WindowHandle(), WM_SETREDRAW, FALSE, 0);
  }
}

void TCustomListView::EndUpdate() {
  if (FUpdateCount <= 0 || --FUpdateCount > 0)
    return;
  SyncCount();
  if (HWND wnd = WindowHandle()) {
    SendMessageW(wnd, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(wnd, nullptr, TRUE);
  }
  FHold.reset();
}

void TCustomListView::SyncCount() {
  HWND wnd = WindowHandle();
  if (!wnd || FUpdateCount > 0 || FControlCount == FItems.ShownCount())
    return;
  FControlCount = FItems.ShownCount();
  SendMessageW(wnd, LVM_SETITEMCOUNT, FControlCount, LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
}

void TCustomListView::ForgetRows() {
  if (HWND wnd = WindowHandle())
    SendMessageW(wnd, LVM_DELETEALLITEMS, 0, 0);
  FControlCount = 0;
  SyncCount();
}

void TCustomListView::RedrawItem(int index) const {
  HWND wnd = WindowHandle();
  // A row changed while it is being asked for (a caption cached on first display) is drawn with what the
  // answer gives: drawing it again would only paint it twice.
  if (wnd && FUpdateCount == 0 && index >= 0 && index < FControlCount && index != FAnsweringIndex)
    SendMessageW(wnd, LVM_REDRAWITEMS, index, index);
}

int TCustomListView::SelCount() const {
  HWND wnd = WindowHandle();
  return wnd ? static_cast<int>(SendMessageW(wnd, LVM_GETSELECTEDCOUNT, 0, 0))
             : static_cast<int>(FSavedSelection.size());
}

TListItem *TCustomListView::Selected() const {
  if (WindowHandle())
    return GetNextItem(nullptr, sdAll, isSelected);
  auto first = std::min_element(FSavedSelection.begin(), FSavedSelection.end(),
                                [](TListItem *a, TListItem *b) { return a->Index() < b->Index(); });
  return first == FSavedSelection.end() ? nullptr : *first;
}

void TCustomListView::SetSelected(TListItem *item) {
  ClearSelection();
  if (item)
    item->SetSelected(true);
}

TListItem *TCustomListView::ItemFocused() const {
  return WindowHandle() ? GetNextItem(nullptr, sdAll, isFocused) : FSavedFocus;
}

void TCustomListView::SetItemFocused(TListItem *item) {
  if (item)
    item->SetFocused(true);
  else if (TListItem *focused = ItemFocused())
    focused->SetFocused(false);
}

void TCustomListView::SelectAll() {
  HWND wnd = WindowHandle();
  if (!wnd || !FMultiSelect)
    return;
  LVITEMW state = {};
  state.stateMask = LVIS_SELECTED;
  state.state = LVIS_SELECTED;
  SendMessageW(wnd, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
}

void TCustomListView::ClearSelection() {
  HWND wnd = WindowHandle();
  if (!wnd) {
    FSavedSelection.clear();
    return;
  }
  // Each row unselected would be drawn again on its own: with many, the list is drawn once at the end.
  const bool many = SelCount() > 1;
  if (many)
    BeginUpdate();
  TAtExit end([&] {
    if (many)
      EndUpdate();
  });
  LVITEMW state = {};
  state.stateMask = LVIS_SELECTED;
  SendMessageW(wnd, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
}

TListItem *TCustomListView::GetNextItem(TListItem *start, TSearchDirection direction, TItemStates states) const {
  HWND wnd = WindowHandle();
  if (!wnd)
    return nullptr;
  static const UINT directions[] = {LVNI_ALL, LVNI_ABOVE, LVNI_BELOW, LVNI_TOLEFT, LVNI_TORIGHT};
  UINT flags = directions[direction];
  if (states & isCut)
    flags |= LVNI_CUT;
  if (states & isDropHilited)
    flags |= LVNI_DROPHILITED;
  if (states & isFocused)
    flags |= LVNI_FOCUSED;
  if (states & isSelected)
    flags |= LVNI_SELECTED;
  const int from = start ? start->ShownIndex() : -1;
  if (start && from < 0)
    return nullptr;
  return ItemOfNotification(static_cast<int>(SendMessageW(wnd, LVM_GETNEXTITEM, from, flags)));
}

TListItem *TCustomListView::GetItemAt(int x, int y) const {
  HWND wnd = WindowHandle();
  if (!wnd)
    return nullptr;
  LVHITTESTINFO hit = {};
  hit.pt = {x, y};
  int index = static_cast<int>(SendMessageW(wnd, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  return hit.flags & LVHT_ONITEM ? ItemOfNotification(index) : nullptr;
}

void TCustomListView::CustomSort(const TLVSortCompare &compare) {
  if (!compare) {
    AlphaSort();
    return;
  }
  std::vector<TListItem *> selected;
  for (TListItem *item = Selected(); item; item = GetNextItem(item, sdAll, isSelected))
    selected.push_back(item);
  TListItem *focused = ItemFocused();
  // Sorted aside, so that a comparison that raises leaves the rows as they were.
  std::vector<TListItem *> sorted = FItems.FItems;
  ListNaturalMergeSort(sorted, [&](TListItem *a, TListItem *b) { return compare(a, b) < 0; });
  FItems.FItems.swap(sorted);
  FItems.FNumberedUpTo = 0;
  FItems.Renumber();
  FItems.ListShown();
  HWND wnd = WindowHandle();
  if (!wnd)
    return;
  // The control keeps selection and focus by position: put them back on their rows.
  if (static_cast<int>(selected.size()) < FItems.ShownCount()) {
    ClearSelection();
    for (TListItem *item : selected)
      item->SetSelected(true);
  }
  if (focused)
    focused->SetFocused(true);
  if (FUpdateCount == 0)
    InvalidateRect(wnd, nullptr, TRUE);
}

void TCustomListView::AlphaSort() {
  if (OnCompare) {
    CustomSort([this](TListItem *a, TListItem *b) {
      int result = 0;
      OnCompare(this, a, b, result);
      return result;
    });
    return;
  }
  // The shown caption of every row, asked for once.
  std::vector<std::wstring> keys(static_cast<size_t>(FItems.Count()));
  for (int i = 0; i < FItems.Count(); ++i)
    keys[static_cast<size_t>(i)] = Utf8ToWide(GetDisplayText(FItems.Item(i), 0));
  CustomSort([&](TListItem *a, TListItem *b) {
    const std::wstring &ka = keys[static_cast<size_t>(a->Index())];
    const std::wstring &kb = keys[static_cast<size_t>(b->Index())];
    return CompareStringW(LOCALE_USER_DEFAULT, 0, ka.c_str(), static_cast<int>(ka.size()), kb.c_str(),
                          static_cast<int>(kb.size())) -
           CSTR_EQUAL;
  });
}

void TCustomListView::ItemStateChanged(const NMLISTVIEW &change) {
  if ((change.uChanged & LVIF_STATE) && ((change.uNewState ^ change.uOldState) & LVIS_SELECTED) && OnSelectionChange)
    OnSelectionChange(this);
}

void TCustomListView::SetRowFilter(TLVRowFilter filter) {
  FRowFilter = std::move(filter);
  ApplyRowFilter();
}

void TCustomListView::ApplyRowFilter() {
  HWND wnd = WindowHandle();
  // What was selected and focused, by row. When every row of the list was selected, every row still shown is:
  // one message says so.
  const bool allSelected = wnd && FControlCount > 0 && SelCount() == FControlCount;
  const bool allRowsSelected = allSelected && !FItems.FFiltered;
  std::vector<TListItem *> selected;
  if (allSelected && !allRowsSelected)
    selected = FItems.FShown;
  else if (wnd && !allSelected && SelCount() > 0)
    for (TListItem *item = Selected(); item; item = GetNextItem(item, sdAll, isSelected))
      selected.push_back(item);
  TListItem *focused = wnd ? ItemFocused() : nullptr;
  FItems.ApplyFilter(FRowFilter);
  if (!wnd)
    return;
  {
    // Drawn once at the end: the control would otherwise redraw its scroll bars and rows at every step.
    BeginUpdate();
    TAtExit end([this] { EndUpdate(); });
    // The control forgets the selection and focus of rows it no longer has at once, where unselecting every
    // row would cost it one step (and one notification) per row.
    SendMessageW(wnd, LVM_SETITEMCOUNT, 0, LVSICF_NOINVALIDATEALL);
    FControlCount = FItems.ShownCount();
    SendMessageW(wnd, LVM_SETITEMCOUNT, FControlCount, LVSICF_NOSCROLL);
    if (allRowsSelected)
      SelectAll();
    for (TListItem *item : selected)
      item->SetSelected(true);
    if (focused && focused->Shown())
      focused->SetFocused(true);
    else if (FControlCount > 0)
      FItems.ShownItem(0)->SetFocused(true);
  }
  if (TListItem *focus = ItemFocused())
    focus->MakeVisible(false);
  if ((allSelected || !selected.empty()) && OnSelectionChange)
    OnSelectionChange(this);
}

bool TCustomListView::IsEditing() const { return EditHandle() != nullptr; }

HWND TCustomListView::EditHandle() const {
  HWND wnd = WindowHandle();
  return wnd ? reinterpret_cast<HWND>(SendMessageW(wnd, LVM_GETEDITCONTROL, 0, 0)) : nullptr;
}

HWND TCustomListView::HeaderHandle() const {
  HWND wnd = WindowHandle();
  return wnd ? reinterpret_cast<HWND>(SendMessageW(wnd, LVM_GETHEADER, 0, 0)) : nullptr;
}

void TCustomListView::InsertItem(TListItem *item) {
  if (OnInsert)
    OnInsert(this, item);
}

void TCustomListView::Delete(TListItem *item) {
  if (OnDeletion)
    OnDeletion(this, item);
}

std::string TCustomListView::GetDisplayText(TListItem *item, int column) {
  if (column == 0)
    return item->Caption();
  return item->SubItems()[column - 1];
}

void TCustomListView::GetImageIndex(TListItem *item) {
  if (OnGetImageIndex)
    OnGetImageIndex(this, item);
}

int TCustomListView::GetDisplayImage(TListItem *item) {
  GetImageIndex(item);
  return item->ImageIndex();
}

void TCustomListView::ColClick(TListColumn *column) {
  if (OnColumnClick)
    OnColumnClick(this, column);
}

bool TCustomListView::CanEdit(TListItem *item) {
  bool allow = !FReadOnly;
  if (allow && OnEditing)
    OnEditing(this, item, allow);
  return allow;
}

void TCustomListView::Edit(TListItem *item, const std::string &text) {
  std::string caption = text;
  if (OnEdited)
    OnEdited(this, item, caption);
  item->SetCaption(caption);
}

bool TCustomListView::IsCustomDrawn(TCustomDrawTarget target) const {
  return target == dtControl ? static_cast<bool>(OnCustomDraw) : static_cast<bool>(OnCustomDrawItem);
}

void TCustomListView::WndProc(TMessage &message) {
  if (message.Msg == CN_NOTIFY)
    return CNNotify(message);
  TWinControl::WndProc(message);
}

TListItem *TCustomListView::ItemOfNotification(int index) const {
  return index >= 0 && index < FItems.ShownCount() ? FItems.ShownItem(index) : nullptr;
}

void TCustomListView::CNNotify(TMessage &message) {
  auto *header = reinterpret_cast<NMHDR *>(message.LParam);
  message.Result = 0;
  switch (header->code) {
  case LVN_GETDISPINFOW:
    GetDispInfo(*reinterpret_cast<NMLVDISPINFOW *>(message.LParam));
    return;
  case LVN_ODFINDITEMW:
    message.Result = FindItem(*reinterpret_cast<NMLVFINDITEMW *>(message.LParam));
    return;
  case LVN_BEGINLABELEDITW: {
    TListItem *item = ItemOfNotification(reinterpret_cast<NMLVDISPINFOW *>(message.LParam)->item.iItem);
    message.Result = !item || !CanEdit(item);
    return;
  }
  case LVN_ENDLABELEDITW: {
    const LVITEMW &edited = reinterpret_cast<NMLVDISPINFOW *>(message.LParam)->item;
    TListItem *item = ItemOfNotification(edited.iItem);
    if (item && edited.pszText)
      Edit(item, WideToUtf8(edited.pszText));
    // The row shows its text from the rows' store, not from the control: nothing for it to keep.
    message.Result = FALSE;
    if (item)
      item->Update();
    return;
  }
  case LVN_COLUMNCLICK: {
    int column = reinterpret_cast<NMLISTVIEW *>(message.LParam)->iSubItem;
    if (column >= 0 && column < FColumns.Count())
      ColClick(FColumns.Item(column));
    return;
  }
  case NM_CUSTOMDRAW:
    CustomDraw(message);
    return;
  case LVN_ITEMCHANGED:
    ItemStateChanged(*reinterpret_cast<NMLISTVIEW *>(message.LParam));
    return;
  case LVN_ODSTATECHANGED: {
    const auto &range = *reinterpret_cast<NMLVODSTATECHANGE *>(message.LParam);
    if ((range.uNewState ^ range.uOldState) & LVIS_SELECTED && OnSelectionChange)
      OnSelectionChange(this);
    return;
  }
  default:
    DefaultHandler(message);
    return;
  }
}

int TCustomListView::StateMaskOf(const TListItem *item) const {
  UINT state = 0;
  if (item->Cut())
    state |= LVIS_CUT;
  if (item->DropTarget())
    state |= LVIS_DROPHILITED;
  if (item->OverlayIndex() >= 0)
    state |= INDEXTOOVERLAYMASK(item->OverlayIndex() + 1);
  return static_cast<int>(state);
}

void TCustomListView::GetDispInfo(NMLVDISPINFOW &info) {
  LVITEMW &lvi = info.item;
  TListItem *item = ItemOfNotification(lvi.iItem);
  if (!item)
    return;
  int outer = std::exchange(FAnsweringIndex, lvi.iItem);
  struct TRestoreIndex {
    int &Target;
    int Value;
    ~TRestoreIndex() { Target = Value; }
  } restore{FAnsweringIndex, outer};
  if (lvi.mask & LVIF_TEXT)
    CopyText(GetDisplayText(item, lvi.iSubItem), lvi.pszText, lvi.cchTextMax);
  if ((lvi.mask & LVIF_IMAGE) && lvi.iSubItem == 0)
    lvi.iImage = GetDisplayImage(item);
  if (lvi.mask & LVIF_STATE) {
    UINT asked = lvi.stateMask & CallbackStates;
    lvi.state = (lvi.state & ~asked) | (static_cast<UINT>(StateMaskOf(item)) & asked);
  }
  if (lvi.mask & LVIF_INDENT)
    lvi.iIndent = 0;
}

int TCustomListView::FindItem(const NMLVFINDITEMW &find) {
  const LVFINDINFOW &info = find.lvfi;
  if (!(info.flags & (LVFI_STRING | LVFI_PARTIAL)) || !info.psz)
    return -1;
  int count = FItems.ShownCount();
  int start = std::clamp(find.iStart, 0, count);
  int wanted = lstrlenW(info.psz);
  auto matches = [&](int index) {
    std::wstring text = Utf8ToWide(GetDisplayText(FItems.ShownItem(index), 0));
    int length = static_cast<int>(text.size());
    if (info.flags & LVFI_PARTIAL) {
      if (length < wanted)
        return false;
      length = wanted;
    }
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, text.c_str(), length, info.psz, wanted) == CSTR_EQUAL;
  };
  for (int i = start; i < count; ++i)
    if (matches(i))
      return i;
  if (info.flags & LVFI_WRAP)
    for (int i = 0; i < start; ++i)
      if (matches(i))
        return i;
  return -1;
}

void TCustomListView::CustomDraw(TMessage &message) {
  auto *draw = reinterpret_cast<NMLVCUSTOMDRAW *>(message.LParam);
  NMCUSTOMDRAW &record = draw->nmcd;
  TCustomDrawCall drawControl, drawItem;
  if (IsCustomDrawn(dtControl) && OnCustomDraw)
    drawControl = [&](bool &defaultDraw) { OnCustomDraw(this, record.rc, defaultDraw); };
  TListItem *item = ItemOfNotification(static_cast<int>(record.dwItemSpec));
  if (IsCustomDrawn(dtItem) && OnCustomDrawItem && item)
    drawItem = [&](bool &defaultDraw) { OnCustomDrawItem(this, item, record.uItemState, defaultDraw); };
  message.Result = RunCustomDrawEvents(record, draw->clrText, draw->clrTextBk, Canvas(), Font(), Color(), drawControl,
                                       IsCustomDrawn(dtItem), drawItem);
}
