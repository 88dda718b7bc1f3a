#include "treelist/KdCustomListView.h"

#include <windowsx.h>

#include <algorithm>
#include <utility>

#include "shellns/ShellVersion.h"
#include "toolkit/SysUtils.h"

namespace {

bool ComCtl6() { return VersionHigh(ComCtl32Version) > 0x0005FFFF; }

POINT CentreOf(const RECT &rect) { return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }

} // namespace

TKdCustomListView::TKdCustomListView(TComponent *AOwner) : TCustomListView(AOwner) {}

TKdCustomListView::~TKdCustomListView() = default;

void TKdCustomListView::SetHeaderSortDisplayMode(TKdLvHeaderSortDisplayMode value) {
  if (value == FHeaderSortDisplayMode)
    return;
  FHeaderSortDisplayMode = VersionHigh(ComCtl32Version) > 0x00040045 ? value : kdlvNone;
  UpdateHeaderFormats();
  if (HWND header = HeaderHandle())
    InvalidateRect(header, nullptr, TRUE);
}

void TKdCustomListView::InvalidateHeaderItem(int column) {
  HWND header = HeaderHandle();
  RECT rect;
  if (header && column >= 0 && SendMessageW(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&rect)))
    InvalidateRect(header, &rect, TRUE);
}

void TKdCustomListView::SetSortColumn(int value) {
  if (value == FSortColumn)
    return;
  InvalidateHeaderItem(FSortColumn);
  InvalidateHeaderItem(value);
  FSortColumn = value;
  if (ComCtl6() && HeaderHandle())
    UpdateHeaderFormats();
}

void TKdCustomListView::SetSortFlag(bool value) {
  if (value == FSortFlag)
    return;
  InvalidateHeaderItem(FSortColumn);
  FSortFlag = value;
  if (ComCtl6() && HeaderHandle() && FSortColumn >= 0)
    UpdateHeaderFormats();
  Update();
}

void TKdCustomListView::SetViewStyle(TViewStyle value) {
  if (value == ViewStyle())
    return;
  TCustomListView::SetViewStyle(value);
  if (value == vsReport)
    UpdateHeaderFormats();
}

void TKdCustomListView::UpdateHeaderFormats() {
  if (!WindowHandle() || ViewStyle() != vsReport || FHeaderUpdateDepth > 0)
    return;
  // Writing a header item makes the header report a change, which comes back here.
  ++FHeaderUpdateDepth;
  TAtExit depth([this] { --FHeaderUpdateDepth; });
  bool ownerDraw = FHeaderSortDisplayMode != kdlvNone && !(ComCtl6() && FHeaderSortDisplayMode == kdlvRightOfText);
  HWND header = HeaderHandle();
  if (!header)
    return;
  for (int i = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) - 1; i >= 0; --i) {
    HDITEMW item = {};
    item.mask = HDI_FORMAT;
    SendMessageW(header, HDM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
    int format = item.fmt & HDF_JUSTIFYMASK;
    if (ownerDraw)
      format |= HDF_OWNERDRAW;
    else {
      format |= HDF_STRING;
      if (i == FSortColumn)
        format |= FSortFlag ? HDF_SORTDOWN : HDF_SORTUP;
    }
    item.fmt = format;
    SendMessageW(header, HDM_SETITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
  InvalidateRect(header, nullptr, TRUE);
}

RECT TKdCustomListView::SortArrowRect(const RECT &t) {
  int s = (t.top + t.bottom) / 2 - 1;
  RECT a;
  a.left = t.left;
  a.right = t.left + s + 1;
  a.top = (t.top + t.bottom - s) / 2 - 1;
  a.bottom = a.top + s;
  return a;
}

void TKdCustomListView::CreateWnd() {
  TCustomListView::CreateWnd();
  SendBackgroundColor();
  UpdateHeaderFormats();
  PostMessageW(WindowHandle(), WM_KDLVHEADERFORMATS, 0, 0);
}

void TKdCustomListView::SendBackgroundColor() {
  HWND wnd = WindowHandle();
  COLORREF rgb = ColorToRGB(Color());
  SendMessageW(wnd, LVM_SETTEXTBKCOLOR, 0, rgb);
  SendMessageW(wnd, LVM_SETBKCOLOR, 0, rgb);
}

void TKdCustomListView::CMColorChanged(TMessage &message) {
  TCustomListView::CMColorChanged(message);
  if (WindowHandle())
    SendBackgroundColor();
}

void TKdCustomListView::CMSysColorChange(TMessage &message) {
  TCustomListView::CMSysColorChange(message);
  // A system colour is looked up anew: the control gets its new RGB value.
  if (Color() < 0)
    Perform(CM_COLORCHANGED, message.WParam, message.LParam);
}

void TKdCustomListView::WndProc(TMessage &message) {
  switch (message.Msg) {
  case WM_KDLVHEADERFORMATS:
    UpdateHeaderFormats();
    message.Result = 0;
    return;
  case WM_PARENTNOTIFY:
    TCustomListView::WndProc(message);
    UpdateHeaderFormats();
    return;
  case WM_CONTEXTMENU: {
    message.Result = 0;
    if (FMenuShown || SelCount() == 0 || !ItemFocused())
      return;
    POINT screen = {GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
    // (-1, -1): asked for from the keyboard.
    if (screen.x == -1 && screen.y == -1)
      ShowContextMenuAt({0, 0});
    else
      ShowItemContextMenu(ScreenToClient(screen));
    return;
  }
  case WM_RBUTTONUP: {
    // The menu this list showed must not be followed by the toolkit's own popup menu.
    TPopupMenu *menu = FMenuShown ? PopupMenu() : nullptr;
    TAtExit after([this, menu] {
      if (menu)
        SetPopupMenu(menu);
      FMenuShown = false;
    });
    if (menu)
      SetPopupMenu(nullptr);
    TCustomListView::WndProc(message);
    return;
  }
  default:
    TCustomListView::WndProc(message);
    return;
  }
}

void TKdCustomListView::CNNotify(TMessage &message) {
  auto *header = reinterpret_cast<NMHDR *>(message.LParam);
  if (header->code == NM_CUSTOMDRAW && !IsCustomDrawn(dtControl) && !IsCustomDrawn(dtItem)) {
    FCurrentCustomDraw.reset();
    message.Result = 0;
    FCurrentCustomDraw = DoCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW *>(message.LParam), message.Result);
    return;
  }
  if (header->code == NM_RCLICK) {
    POINT pos;
    GetCursorPos(&pos);
    pos = ScreenToClient(pos);
    FItemClickPending = GetItemAt(pos.x, pos.y) != nullptr;
    TAtExit clear([this] { FItemClickPending = false; });
    ShowContextMenuAt(pos);
  }
  TCustomListView::CNNotify(message);
}

std::unique_ptr<TKdLvCustomDraw> TKdCustomListView::CreateCustomDraw(NMLVCUSTOMDRAW *record, LRESULT &result) {
  return std::make_unique<TKdLvCustomDraw>(record, &Font(), &result);
}

std::unique_ptr<TKdLvCustomDraw> TKdCustomListView::DoCustomDraw(NMLVCUSTOMDRAW *record, LRESULT &result) {
  std::unique_ptr<TKdLvCustomDraw> draw;
  DWORD stage = record->nmcd.dwDrawStage;
  TListItem *item = nullptr;
  if (stage & CDDS_ITEM) {
    auto index = static_cast<int>(record->nmcd.dwItemSpec);
    if (index >= 0 && index < ShownCount())
      item = ShownItem(index);
  }
  if (OnDrawAnyStage) {
    draw = CreateCustomDraw(record, result);
    OnDrawAnyStage(this, draw.get(), item);
  }
  if (OnDrawItemStage && (stage & CDDS_ITEMPREPAINT) == CDDS_ITEMPREPAINT) {
    if (!draw)
      draw = CreateCustomDraw(record, result);
    OnDrawItemStage(this, draw.get(), item);
  }
  if (draw)
    draw->Apply();
  // Pre-paint asks for the items, an item for its sub-items, when an event is there to see them: every row
  // drawn would cost a notification per cell for nothing.
  if ((stage & CDDS_PREPAINT) && (OnDrawAnyStage || OnDrawItemStage))
    result |= CDRF_NOTIFYITEMDRAW;
  return draw;
}

void TKdCustomListView::PopupPlainMenu(POINT pos) {
  TPopupMenu *menu = PopupMenu();
  if (!menu || !menu->AutoPopup)
    return;
  SendCancelMode();
  menu->PopupComponent = this;
  POINT screen = ClientToScreen(pos);
  menu->Popup(screen.x, screen.y);
}

void TKdCustomListView::ShowContextMenuAt(POINT pos) {
  TListItem *focused = ItemFocused();
  if (!focused || FItemClickPending) {
    if (FItemClickPending) {
      ShowItemContextMenu(pos);
    } else if (PopupMenu() && PopupMenu()->AutoPopup) {
      PopupPlainMenu(pos);
      FMenuShown = true;
    }
    return;
  }
  // From the keyboard: the menu of the focused item if it is selected, else of the first selected one.
  if (focused->Selected()) {
    pos = CentreOf(focused->DisplayRect(drIcon));
  } else {
    TListItem *selected = Selected();
    if (SelCount() < 1 || !selected) {
      PopupPlainMenu(pos);
      return;
    }
    pos = CentreOf(selected->DisplayRect(drIcon));
  }
  ShowItemContextMenu(pos);
}

void TKdCustomListView::ShowItemContextMenu(POINT pos) {
  TPopupMenu *menu = PopupMenu();
  DoItemContextMenu(ItemFocused(), pos, menu);
  FMenuShown = true;
  if (!menu)
    return;
  menu->PopupComponent = this;
  POINT screen = ClientToScreen(pos);
  menu->Popup(screen.x, screen.y);
}

void TKdCustomListView::DoItemContextMenu(TListItem *item, POINT &pos, TPopupMenu *&menu) {
  if (OnItemContextMenu)
    OnItemContextMenu(this, item, pos, menu);
}

void TKdCustomListView::KeyDown(WORD &key, TShiftState shift) {
  if ((key == VK_APPS && shift.Empty()) || (key == VK_F10 && shift == TShiftState(ssShift))) {
    key = 0;
    ShowContextMenuAt({0, 0});
  }
  TCustomListView::KeyDown(key, shift);
}

void TKdCustomListView::ChildNotify(HWND from, TMessage &message) {
  if (!from || from != HeaderHandle())
    return TCustomListView::ChildNotify(from, message);
  if (message.Msg == WM_DRAWITEM)
    return DrawHeaderItem(message);
  if (message.Msg != WM_NOTIFY)
    return TCustomListView::ChildNotify(from, message);
  switch (reinterpret_cast<NMHDR *>(message.LParam)->code) {
  case HDN_ITEMCLICKW:
    InvalidateRect(from, nullptr, TRUE);
    TCustomListView::ChildNotify(from, message);
    return;
  case HDN_BEGINTRACKW:
  case HDN_ENDTRACKW:
  case HDN_ITEMCHANGEDW:
    TCustomListView::ChildNotify(from, message);
    UpdateHeaderFormats();
    return;
  default:
    TCustomListView::ChildNotify(from, message);
    return;
  }
}

void TKdCustomListView::DrawHeaderItem(TMessage &message) {
  const auto *item = reinterpret_cast<const DRAWITEMSTRUCT *>(message.LParam);
  // The context comes back as it was lent, whatever the drawing does.
  struct TSavedDC {
    HDC DC;
    explicit TSavedDC(HDC dc) : DC(dc) { SaveDC(dc); }
    ~TSavedDC() { RestoreDC(DC, -1); }
  } saved(item->hDC);
  message.Result = 1;
  TCanvasHandleScope lent(FHeaderCanvas, item->hDC);
  FHeaderCanvas.Font.Assign(Font());
  FHeaderCanvas.BrushColor = clBtnFace;
  // The arrow's lines are as much thicker as the header is larger.
  FHeaderCanvas.PenWidth = std::max(1, ScaleValue(1));
  RECT r = item->rcItem;
  InflateRect(&r, -ScaleValue(2), -ScaleValue(2));
  DrawHeaderItemContent(static_cast<int>(item->itemID), r);
}

void TKdCustomListView::DrawCaption(const TListColumn &column, const RECT &t) {
  static const UINT alignments[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
  FHeaderCanvas.TextRect(t, column.Caption(), alignments[column.Alignment()] | DT_END_ELLIPSIS | DT_SINGLELINE);
}

void TKdCustomListView::DrawHeaderItemContent(int column, const RECT &r) {
  if (column < 0 || column >= Columns().Count())
    return;
  const TListColumn &col = *Columns()[column];
  // The gaps at 96 dpi: 4 pixels inside the item, 5 between arrow and caption (4 at the arrow's left).
  const int inside = ScaleValue(4), gap = ScaleValue(5), gapLeft = ScaleValue(4);
  RECT t = r;
  t.left += inside;
  t.right -= inside;
  IntersectClipRect(FHeaderCanvas.Handle(), r.left, r.top, r.right, r.bottom);
  bool sorted = column == FSortColumn;
  // The arrow box at the right end of the caption rectangle.
  auto atRight = [gap](const RECT &t) {
    RECT a = SortArrowRect(t);
    OffsetRect(&a, (t.right - t.left) - (a.right - a.left) - gap, 0);
    return a;
  };
  switch (FHeaderSortDisplayMode) {
  case kdlvNone:
    break;
  case kdlvLeftAlign:
    if (sorted && col.Width() > ScaleValue(15)) {
      RECT a = SortArrowRect(t);
      DrawSortArrow(column, a);
      t.left = a.right + gap;
    }
    break;
  case kdlvRightOfText:
    if (col.Alignment() == taRightJustify) {
      if (sorted) {
        RECT a = atRight(t);
        DrawSortArrow(column, a);
        t.right = a.left - gapLeft;
      }
      break;
    }
    DrawCaption(col, t);
    t = FHeaderCanvas.MeasureText(t, col.Caption(), DT_END_ELLIPSIS | DT_SINGLELINE | DT_RIGHT);
    OffsetRect(&t, (t.right - t.left) + gap, 0);
    DrawSortArrow(column, SortArrowRect(t));
    return;
  case kdlvRightAlign: {
    RECT a = atRight(t);
    DrawSortArrow(column, a);
    if (sorted)
      t.right = a.left - gapLeft;
    break;
  }
  }
  DrawCaption(col, t);
}

void TKdCustomListView::DrawSortArrow(int column, const RECT &a) {
  if (column != FSortColumn || Columns()[column]->Width() <= 2 * (a.right - a.left))
    return;
  TCanvas &canvas = FHeaderCanvas;
  int x = a.left;
  int y = a.top;
  int h = (a.bottom - a.top - 1) | 1;
  int w = h + 1;
  canvas.BrushColor = clBtnFace;
  canvas.FillRect({x, y, x + w, y + h});
  if (!FSortFlag) {
    // Downward.
    POINT shadow[] = {{x + (w - 1) / 2, y + h - 1}, {x, y + 1}, {x, y}, {x + w - 1, y}};
    canvas.PenColor = clBtnShadow;
    canvas.Polyline(shadow, 4);
    canvas.PenColor = clBtnHighlight;
    canvas.MoveTo(x + (w - 1) / 2 + 1, y + h - 1);
    canvas.LineTo(x + w, y - 1);
  } else {
    // Upward.
    POINT shadow[] = {{x + w / 2 - 1, y}, {x, y + h - 2}, {x, y + h - 1}};
    canvas.PenColor = clBtnShadow;
    canvas.Polyline(shadow, 3);
    POINT light[] = {{x, y + h - 1}, {x + w - 1, y + h - 1}, {x + (w - 1) / 2 + 1, y - 1}};
    canvas.PenColor = clBtnHighlight;
    canvas.Polyline(light, 3);
  }
}
