#include "treelist/KdCustomTreeView.h"

#include <windowsx.h>

#include <utility>

#include "shellns/ShellVersion.h"

namespace {

// Takes an event out of its slot for the lifetime of the object and puts it back on every way out.
template <class TEvent> class TDetachedEvent {
public:
  explicit TDetachedEvent(TEvent &slot) : FSlot(slot), FSaved(std::exchange(slot, nullptr)) {}
  ~TDetachedEvent() { FSlot = std::move(FSaved); }
  TDetachedEvent(const TDetachedEvent &) = delete;
  TDetachedEvent &operator=(const TDetachedEvent &) = delete;

private:
  TEvent &FSlot;
  TEvent FSaved;
};

} // namespace

TKdCustomTreeView::TKdCustomTreeView(TComponent *AOwner) : TTreeView(AOwner) {}

TKdCustomTreeView::~TKdCustomTreeView() = default;

void TKdCustomTreeView::CreateParams(TCreateParams &params) {
  TTreeView::CreateParams(params);
  // Tooltips of older common controls on NT misbehave with trees; they are left out there.
  if (IsWindowsNT() && VersionHigh(ComCtl32Version) < kdComCtl32v472)
    params.Style |= TVS_NOTOOLTIPS;
}

void TKdCustomTreeView::WndProc(TMessage &message) {
  switch (message.Msg) {
  case CN_NOTIFY:
    switch (reinterpret_cast<NMHDR *>(message.LParam)->code) {
    case NM_CUSTOMDRAW:
      if (!IsCustomDrawn(dtControl) && !IsCustomDrawn(dtItem)) {
        FCurrentCustomDraw.reset();
        message.Result = 0;
        FCurrentCustomDraw = DoCustomDraw(reinterpret_cast<NMTVCUSTOMDRAW *>(message.LParam), message.Result);
        return;
      }
      break;
    case TVN_GETDISPINFOW:
      NodeImagesOnDemand(message);
      return;
    case NM_RCLICK:
      RightClick();
      break;
    default:
      break;
    }
    break;
  case WM_CONTEXTMENU:
    ContextMenuMessage(message);
    return;
  case WM_RBUTTONDOWN:
    // A new right click: what the last one showed no longer counts. The control's own tracking of the
    // click swallows the button release, so the release alone cannot be relied on to clear it.
    FMenuShown = false;
    break;
  case WM_RBUTTONUP:
    RightButtonUp(message);
    return;
  default:
    break;
  }
  TTreeView::WndProc(message);
}

void TKdCustomTreeView::CMSysColorChange(TMessage &message) {
  TTreeView::CMSysColorChange(message);
  // The control holds its background as RGB: a system colour's value may be another one now.
  if (Color() < 0)
    Perform(CM_COLORCHANGED, message.WParam, message.LParam);
}

std::unique_ptr<TKdTvCustomDraw> TKdCustomTreeView::CreateCustomDraw(NMTVCUSTOMDRAW *record, LRESULT &result) {
  auto draw = std::make_unique<TKdTvCustomDraw>(record, &Font(), &result);
  draw->NotifyItemDraw = true;
  return draw;
}

std::unique_ptr<TKdTvCustomDraw> TKdCustomTreeView::DoCustomDraw(NMTVCUSTOMDRAW *record, LRESULT &result) {
  const DWORD stage = record->nmcd.dwDrawStage;
  std::unique_ptr<TKdTvCustomDraw> draw;
  TTreeNode *node = nullptr;
  bool nodeKnown = false;
  auto findNode = [&] {
    if (!nodeKnown && (stage & CDDS_ITEM))
      node = Items().GetNode(reinterpret_cast<HTREEITEM>(record->nmcd.dwItemSpec));
    nodeKnown = true;
  };
  if (OnDrawAnyStage) {
    draw = CreateCustomDraw(record, result);
    findNode();
    OnDrawAnyStage(this, draw.get(), node);
  }
  if (OnDrawItemStage && (stage & CDDS_ITEMPREPAINT) == CDDS_ITEMPREPAINT) {
    if (!draw)
      draw = CreateCustomDraw(record, result);
    findNode();
    OnDrawItemStage(this, draw.get(), node);
  }
  if (draw)
    draw->Apply();
  if ((stage & CDDS_PREPAINT) && (OnDrawAnyStage || OnDrawItemStage))
    result |= CDRF_NOTIFYITEMDRAW;
  return draw;
}

void TKdCustomTreeView::NodeImagesOnDemand(TMessage &message) {
  TVITEMW &item = reinterpret_cast<NMTVDISPINFOW *>(message.LParam)->item;
  if (TTreeNode *node = Items().NodeOf(item))
    SupplyImages(node, item);
  // The events were raised by the hooks above; the toolkit's own pass must not raise them again.
  TDetachedEvent imageEvent(OnGetImageIndex);
  TDetachedEvent selectedEvent(OnGetSelectedIndex);
  TTreeView::WndProc(message);
}

void TKdCustomTreeView::DoNodeContextMenu(TTreeNode *node, POINT &pos, TPopupMenu *&menu) {
  if (OnNodeContextMenu)
    OnNodeContextMenu(this, node, pos, menu);
}

void TKdCustomTreeView::PopupAt(TPopupMenu *menu, POINT pos) {
  POINT screen = ClientToScreen(pos);
  SendCancelMode();
  menu->PopupComponent = this;
  menu->Popup(screen.x, screen.y);
}

void TKdCustomTreeView::RightClick() {
  POINT pos;
  TTreeNode *node = NodeAtCursor(pos);
  if (!node)
    return;
  TPopupMenu *menu = PopupMenu();
  DoNodeContextMenu(node, pos, menu);
  if (menu)
    PopupAt(menu, pos);
  FMenuShown = true;
}

void TKdCustomTreeView::ShowKeyboardContextMenu() {
  if (TTreeNode *node = Selected()) {
    RECT text = node->DisplayRect(true);
    ShowNodeContextMenu(node, POINT{(text.left + text.right) / 2, (text.top + text.bottom) / 2});
  } else if (TPopupMenu *menu = PopupMenu()) {
    PopupAt(menu, POINT{0, 0});
  }
}

void TKdCustomTreeView::ShowNodeContextMenu(TTreeNode *node, POINT pos) {
  TPopupMenu *menu = PopupMenu();
  DoNodeContextMenu(node, pos, menu);
  if (menu != PopupMenu())
    FMenuShown = true;
  if (menu)
    PopupAt(menu, pos);
}

void TKdCustomTreeView::ContextMenuMessage(TMessage &message) {
  message.Result = 0;
  // A selected node's menu comes from the right click or the keyboard; this message would repeat it.
  if (FMenuShown || Selected())
    return;
  POINT screen = {GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
  if (screen.x == -1 && screen.y == -1)
    ShowKeyboardContextMenu();
  else
    ShowNodeContextMenu(nullptr, ScreenToClient(screen));
}

void TKdCustomTreeView::RightButtonUp(TMessage &message) {
  TPopupMenu *menu = PopupMenu();
  if (!FMenuShown || !menu) {
    TTreeView::WndProc(message);
    return;
  }
  // The release ends a click whose menu was already dealt with: PopupMenu must not follow it.
  struct TRestore {
    TKdCustomTreeView &View;
    TPopupMenu *Menu;
    bool AutoPopup;
    ~TRestore() {
      if (View.PopupMenu() == Menu)
        Menu->AutoPopup = AutoPopup;
      View.FMenuShown = false;
    }
  } restore{*this, menu, menu->AutoPopup};
  menu->AutoPopup = false;
  TTreeView::WndProc(message);
}

void TKdCustomTreeView::KeyDown(WORD &key, TShiftState shift) {
  TShiftState modifiers = shift & (TShiftState(ssShift) | ssAlt | ssCtrl);
  if ((key == VK_APPS && modifiers.Empty()) || (key == VK_F10 && modifiers == ssShift)) {
    FContextKey = key;
    key = 0;
    ShowKeyboardContextMenu();
  }
  TTreeView::KeyDown(key, shift);
}

void TKdCustomTreeView::KeyUp(WORD &key, TShiftState shift) {
  // The system turns the release of these keys into WM_CONTEXTMENU (or a menu-bar activation for F10);
  // the menu has been shown on the key press already.
  if (FContextKey && key == FContextKey) {
    FContextKey = 0;
    key = 0;
  }
  TTreeView::KeyUp(key, shift);
}
