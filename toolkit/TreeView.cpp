#include "toolkit/TreeView.h"

#include <algorithm>

#include "toolkit/SysUtils.h"

struct TTreeView::TDispatchScope {
  explicit TDispatchScope(TTreeView &view) : View(view) { ++View.FDispatchDepth; }
  ~TDispatchScope() {
    if (--View.FDispatchDepth == 0)
      View.FItems.FreeDeleted();
  }
  TDispatchScope(const TDispatchScope &) = delete;
  TDispatchScope &operator=(const TDispatchScope &) = delete;
  TTreeView &View;
};

TTreeView::TTreeView(TComponent *AOwner) : TWinControl(AOwner), FItems(this) {
  UpdateBounds(0, 0, ScaleValue(121), ScaleValue(97));
  FIndent = ScaleValue(FIndent);
  SetBorderStyle(bsSingle);
  SetColor(clWindow);
}

TTreeView::~TTreeView() {
  // A tree on its way out reports deletions only, no selection or expansion moving over dying nodes.
  ++FQuiet;
  FItems.Clear();
  AttachImageList(FImages, nullptr, TVSIL_NORMAL);
  AttachImageList(FStateImages, nullptr, TVSIL_STATE);
  DestroyHandle();
}

void TTreeView::CreateParams(TCreateParams &params) {
  TWinControl::CreateParams(params);
  params.WinClassName = "TTreeView";
  params.BaseClassName = "SysTreeView32";
  params.Style |= WS_TABSTOP;
  if (FShowButtons)
    params.Style |= TVS_HASBUTTONS;
  if (FShowLines)
    params.Style |= TVS_HASLINES;
  if (FShowRoot)
    params.Style |= TVS_LINESATROOT;
  if (!FReadOnly)
    params.Style |= TVS_EDITLABELS;
  if (!FHideSelection)
    params.Style |= TVS_SHOWSELALWAYS;
  if (FAutoExpand)
    params.Style |= TVS_SINGLEEXPAND;
  if (FRowSelect)
    params.Style |= TVS_FULLROWSELECT;
  if (FHotTrack)
    params.Style |= TVS_TRACKSELECT;
  if (!FToolTips)
    params.Style |= TVS_NOTOOLTIPS;
  if (FDragMode == dmManual)
    params.Style |= TVS_DISABLEDRAGDROP;
}

void TTreeView::CreateWnd() {
  FWindowGoing = false;
  TWinControl::CreateWnd();
  HWND wnd = WindowHandle();
  SendMessageW(wnd, TVM_SETBKCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Color())));
  SendMessageW(wnd, TVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Font().Color())));
  SendMessageW(wnd, TVM_SETINDENT, static_cast<WPARAM>(FIndent), 0);
  SendImageList(TVSIL_NORMAL, FImages);
  SendImageList(TVSIL_STATE, FStateImages);
  if (FItems.Updating())
    SendMessageW(wnd, WM_SETREDRAW, FALSE, 0);
  FItems.Restore(wnd);
}

void TTreeView::WndProc(TMessage &message) {
  TDispatchScope scope(*this);
  switch (message.Msg) {
  case CN_NOTIFY:
    HandleNotify(message);
    return;
  case WM_DESTROY:
    // The control deletes its items with the window; the nodes stay for the window made next.
    FWindowGoing = true;
    FItems.Park(WindowHandle());
    break;
  case WM_NCDESTROY:
    TWinControl::WndProc(message);
    FWindowGoing = false;
    return;
  default:
    break;
  }
  TWinControl::WndProc(message);
}

void TTreeView::HandleNotify(TMessage &message) {
  auto *header = reinterpret_cast<NMHDR *>(message.LParam);
  message.Result = 0;
  if (FWindowGoing)
    return;
  auto *tree = reinterpret_cast<NMTREEVIEWW *>(header);
  auto *disp = reinterpret_cast<NMTVDISPINFOW *>(header);
  switch (header->code) {
  case TVN_DELETEITEMW:
    if (TTreeNode *node = FItems.NodeOf(tree->itemOld))
      FItems.ItemDeleted(node);
    return;
  case TVN_GETDISPINFOW:
    GetDispInfo(*disp);
    return;
  case TVN_SELCHANGINGW:
    message.Result = !FQuiet && !CanChange(FItems.NodeOf(tree->itemNew));
    return;
  case TVN_SELCHANGEDW:
    if (!FQuiet)
      SelectionChanged(FItems.NodeOf(tree->itemNew));
    return;
  case TVN_ITEMEXPANDINGW:
    if (!FQuiet) {
      TTreeNode *node = FItems.NodeOf(tree->itemNew);
      UINT action = tree->action & (TVE_COLLAPSE | TVE_EXPAND);
      if (action == TVE_EXPAND)
        message.Result = !CanExpand(node);
      else if (action == TVE_COLLAPSE)
        message.Result = !CanCollapse(node);
    }
    return;
  case TVN_ITEMEXPANDEDW:
    if (!FQuiet) {
      TTreeNode *node = FItems.NodeOf(tree->itemNew);
      UINT action = tree->action & (TVE_COLLAPSE | TVE_EXPAND);
      if (action == TVE_EXPAND)
        Expand(node);
      else if (action == TVE_COLLAPSE)
        Collapse(node);
    }
    return;
  case TVN_BEGINLABELEDITW: {
    TTreeNode *node = FItems.NodeOf(disp->item);
    message.Result = !node || !CanEdit(node);
    return;
  }
  case TVN_ENDLABELEDITW: {
    std::optional<std::string> text;
    if (disp->item.pszText)
      text = WideToUtf8(disp->item.pszText);
    // The node holds the text: the control keeps its callback, so its answer is always "not taken".
    Edit(FItems.NodeOf(disp->item), text);
    message.Result = FALSE;
    return;
  }
  case NM_CUSTOMDRAW:
    CustomDrawNotify(message);
    return;
  case NM_RCLICK:
    if (FRightClickSelect) {
      POINT point;
      if (TTreeNode *node = NodeAtCursor(point))
        SetSelected(node);
    }
    break;
  default:
    break;
  }
  TWinControl::WndProc(message);
}

void TTreeView::GetDispInfo(NMTVDISPINFOW &info) {
  TTreeNode *node = FItems.NodeOf(info.item);
  if (!node)
    return;
  TVITEMW &item = info.item;
  if ((item.mask & TVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
    std::wstring text = Utf8ToWide(node->Text());
    size_t count = std::min(text.size(), static_cast<size_t>(item.cchTextMax - 1));
    std::copy_n(text.data(), count, item.pszText);
    item.pszText[count] = L'\0';
  }
  SupplyImages(node, item);
}

void TTreeView::SupplyImages(TTreeNode *node, TVITEMW &item) {
  if (item.mask & TVIF_IMAGE) {
    GetImageIndex(node);
    item.iImage = node->ImageIndex();
  }
  if (item.mask & TVIF_SELECTEDIMAGE) {
    GetSelectedIndex(node);
    item.iSelectedImage = node->SelectedIndex();
  }
}

TTreeNode *TTreeView::NodeAtCursor(POINT &client) {
  GetCursorPos(&client);
  client = ScreenToClient(client);
  return GetNodeAt(client.x, client.y);
}

void TTreeView::CustomDrawNotify(TMessage &message) {
  auto *draw = reinterpret_cast<NMTVCUSTOMDRAW *>(message.LParam);
  NMCUSTOMDRAW &record = draw->nmcd;
  TCustomDrawCall drawControl, drawItem;
  if (IsCustomDrawn(dtControl) && OnCustomDraw)
    drawControl = [&](bool &defaultDraw) { OnCustomDraw(this, record.rc, defaultDraw); };
  if (IsCustomDrawn(dtItem) && OnCustomDrawItem)
    drawItem = [&](bool &defaultDraw) {
      OnCustomDrawItem(this, FItems.GetNode(reinterpret_cast<HTREEITEM>(record.dwItemSpec)), record.uItemState,
                       defaultDraw);
    };
  message.Result = RunCustomDrawEvents(record, draw->clrText, draw->clrTextBk, Canvas(), Font(), Color(), drawControl,
                                       IsCustomDrawn(dtItem), drawItem);
}

void TTreeView::SelectionChanged(TTreeNode *node) {
  if (FChangeDelay <= 0) {
    Change(node);
    return;
  }
  if (!FChangeTimer) {
    FChangeTimer = new TTimer(this);
    FChangeTimer->OnTimer = [this](TObject *) { ChangeTimerTick(); };
  }
  FChangeTimer->SetEnabled(false);
  FChangeTimer->SetInterval(static_cast<UINT>(FChangeDelay));
  FChangeTimer->SetEnabled(true);
}

void TTreeView::ChangeTimerTick() {
  FChangeTimer->SetEnabled(false);
  Change(Selected());
}

TTreeNode *TTreeView::Selected() {
  HWND wnd = Handle();
  return FItems.GetNode(reinterpret_cast<HTREEITEM>(SendMessageW(wnd, TVM_GETNEXTITEM, TVGN_CARET, 0)));
}

void TTreeView::SetSelected(TTreeNode *node) {
  HWND wnd = Handle();
  SendMessageW(wnd, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(node ? node->ItemId() : nullptr));
}

TTreeNode *TTreeView::DropTarget() {
  HWND wnd = Handle();
  TTreeNode *node = FItems.GetNode(reinterpret_cast<HTREEITEM>(SendMessageW(wnd, TVM_GETNEXTITEM, TVGN_DROPHILITE, 0)));
  return node && node->DropTarget() ? node : nullptr;
}

void TTreeView::SetDropTarget(TTreeNode *node) {
  HWND wnd = Handle();
  TTreeNode *previous = DropTarget();
  // Wine's control treats a new drop highlight like a new selection in a single-expand tree: it closes the
  // selected node's folders and opens the highlighted one, so rows move under the pointer mid-drag.
  const LONG_PTR style = GetWindowLongPtrW(wnd, GWL_STYLE);
  const bool singleExpand = (style & TVS_SINGLEEXPAND) != 0;
  if (singleExpand)
    SetWindowLongPtrW(wnd, GWL_STYLE, style & ~static_cast<LONG_PTR>(TVS_SINGLEEXPAND));
  SendMessageW(wnd, TVM_SELECTITEM, TVGN_DROPHILITE, reinterpret_cast<LPARAM>(node ? node->ItemId() : nullptr));
  if (singleExpand)
    SetWindowLongPtrW(wnd, GWL_STYLE, GetWindowLongPtrW(wnd, GWL_STYLE) | TVS_SINGLEEXPAND);
  // Wine's control takes "no drop target" for "no change" while no node is selected: clear the mark itself.
  if (!node && previous && previous->DropTarget())
    previous->SetState(TVIS_DROPHILITED, 0);
}

TTreeNode *TTreeView::GetNodeAt(int x, int y) {
  HWND wnd = Handle();
  TVHITTESTINFO hit = {};
  hit.pt = {x, y};
  return FItems.GetNode(reinterpret_cast<HTREEITEM>(SendMessageW(wnd, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit))));
}

bool TTreeView::IsEditing() { return HandleAllocated() && SendMessageW(WindowHandle(), TVM_GETEDITCONTROL, 0, 0) != 0; }

bool TTreeView::CustomSort(const TTVCompare &compare, bool recurse) {
  bool sorted = FItems.SortChildren(nullptr, compare);
  if (recurse)
    for (TTreeNode *node = FItems.GetFirstNode(); node; node = node->GetNextSibling())
      sorted = node->CustomSort(compare, true) && sorted;
  return sorted;
}

void TTreeView::SetStyleBit(DWORD bit, bool on) {
  if (!HandleAllocated())
    return;
  HWND wnd = WindowHandle();
  LONG_PTR style = GetWindowLongPtrW(wnd, GWL_STYLE);
  LONG_PTR changed = on ? (style | static_cast<LONG_PTR>(bit)) : (style & ~static_cast<LONG_PTR>(bit));
  if (changed == style)
    return;
  SetWindowLongPtrW(wnd, GWL_STYLE, changed);
  InvalidateRect(wnd, nullptr, TRUE);
}

void TTreeView::SetShowButtons(bool value) {
  FShowButtons = value;
  SetStyleBit(TVS_HASBUTTONS, value);
}

void TTreeView::SetShowLines(bool value) {
  FShowLines = value;
  SetStyleBit(TVS_HASLINES, value);
}

void TTreeView::SetShowRoot(bool value) {
  FShowRoot = value;
  SetStyleBit(TVS_LINESATROOT, value);
}

void TTreeView::SetReadOnly(bool value) {
  FReadOnly = value;
  SetStyleBit(TVS_EDITLABELS, !value);
}

void TTreeView::SetHideSelection(bool value) {
  FHideSelection = value;
  SetStyleBit(TVS_SHOWSELALWAYS, !value);
}

void TTreeView::SetAutoExpand(bool value) {
  FAutoExpand = value;
  SetStyleBit(TVS_SINGLEEXPAND, value);
}

void TTreeView::SetRowSelect(bool value) {
  FRowSelect = value;
  SetStyleBit(TVS_FULLROWSELECT, value);
}

void TTreeView::SetHotTrack(bool value) {
  FHotTrack = value;
  SetStyleBit(TVS_TRACKSELECT, value);
}

void TTreeView::SetToolTips(bool value) {
  if (value == FToolTips)
    return;
  FToolTips = value;
  // The control makes its tooltip window only when it is created.
  RecreateWnd();
}

void TTreeView::SetDragMode(TDragMode value) {
  FDragMode = value;
  SetStyleBit(TVS_DISABLEDRAGDROP, value == dmManual);
}

void TTreeView::ChangeScale(int newPPI, int oldPPI) {
  TWinControl::ChangeScale(newPPI, oldPPI);
  SetIndent(MulDiv(FIndent, newPPI, oldPPI));
}

void TTreeView::SetIndent(int value) {
  FIndent = value;
  if (HandleAllocated())
    SendMessageW(WindowHandle(), TVM_SETINDENT, static_cast<WPARAM>(value), 0);
}

void TTreeView::SendImageList(int kind, TImageList *list) {
  if (HandleAllocated())
    SendMessageW(WindowHandle(), TVM_SETIMAGELIST, static_cast<WPARAM>(kind),
                 reinterpret_cast<LPARAM>(list ? list->Handle() : nullptr));
}

void TTreeView::AttachImageList(TImageList *&slot, TImageList *value, int kind) {
  if (slot == value)
    return;
  if (slot) {
    slot->UnRegisterChanges(&slot);
    if (FImages != FStateImages)
      slot->RemoveFreeNotification(this);
  }
  slot = value;
  if (value) {
    value->FreeNotification(this);
    value->RegisterChanges(&slot, [this, kind, &slot] { SendImageList(kind, slot); });
  }
  SendImageList(kind, value);
}

void TTreeView::SetImages(TImageList *value) { AttachImageList(FImages, value, TVSIL_NORMAL); }

void TTreeView::SetStateImages(TImageList *value) { AttachImageList(FStateImages, value, TVSIL_STATE); }

void TTreeView::Notification(TComponent *component, bool inserted) {
  TWinControl::Notification(component, inserted);
  if (inserted)
    return;
  if (component == FImages) {
    FImages = nullptr;
    SendImageList(TVSIL_NORMAL, nullptr);
  }
  if (component == FStateImages) {
    FStateImages = nullptr;
    SendImageList(TVSIL_STATE, nullptr);
  }
}

void TTreeView::CMColorChanged(TMessage &message) {
  TWinControl::CMColorChanged(message);
  if (HandleAllocated())
    SendMessageW(WindowHandle(), TVM_SETBKCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Color())));
}

void TTreeView::CMSysColorChange(TMessage &message) {
  TWinControl::CMSysColorChange(message);
  // The control holds the text colour as RGB: a system colour's value may be another one now.
  if (HandleAllocated() && Font().Color() < 0)
    SendMessageW(WindowHandle(), TVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Font().Color())));
}

void TTreeView::FontChanged() {
  TWinControl::FontChanged();
  if (HandleAllocated())
    SendMessageW(WindowHandle(), TVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Font().Color())));
}

bool TTreeView::CanEdit(TTreeNode *node) {
  bool allow = !FReadOnly;
  if (allow && OnEditing)
    OnEditing(this, node, allow);
  return allow;
}

void TTreeView::Edit(TTreeNode *node, const std::optional<std::string> &text) {
  if (!node || !text)
    return;
  std::string value = *text;
  if (OnEdited)
    OnEdited(this, node, value);
  node->SetText(value);
}

bool TTreeView::CanChange(TTreeNode *node) {
  bool allow = true;
  if (OnChanging)
    OnChanging(this, node, allow);
  return allow;
}

void TTreeView::Change(TTreeNode *node) {
  if (OnChange)
    OnChange(this, node);
}

bool TTreeView::CanExpand(TTreeNode *node) {
  bool allow = true;
  if (OnExpanding)
    OnExpanding(this, node, allow);
  return allow;
}

void TTreeView::Expand(TTreeNode *node) {
  if (OnExpanded)
    OnExpanded(this, node);
}

bool TTreeView::CanCollapse(TTreeNode *node) {
  bool allow = true;
  if (OnCollapsing)
    OnCollapsing(this, node, allow);
  return allow;
}

void TTreeView::Collapse(TTreeNode *node) {
  if (OnCollapsed)
    OnCollapsed(this, node);
}

void TTreeView::Delete(TTreeNode *node) {
  if (OnDeletion)
    OnDeletion(this, node);
}

void TTreeView::GetImageIndex(TTreeNode *node) {
  if (OnGetImageIndex)
    OnGetImageIndex(this, node);
}

void TTreeView::GetSelectedIndex(TTreeNode *node) {
  if (OnGetSelectedIndex)
    OnGetSelectedIndex(this, node);
}

bool TTreeView::IsCustomDrawn(TCustomDrawTarget target) const {
  return target == dtControl ? static_cast<bool>(OnCustomDraw) : static_cast<bool>(OnCustomDrawItem);
}
