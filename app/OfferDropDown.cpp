#include "app/OfferDropDown.h"

#include <commctrl.h>

#include <algorithm>

#include "toolkit/Application.h"
#include "toolkit/Dpi.h"
#include "toolkit/SysUtils.h"

namespace {

const wchar_t *const WindowClass = L"TOfferDropDown";

// A row: the font's height and 2 pixels at 96 dpi.
int FontRowHeight(HFONT font, int ppi) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICW metrics = {};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return metrics.tmHeight + ScaleValue(2, ppi);
}

} // namespace

TOfferDropDown::~TOfferDropDown() { Destroy(); }

void TOfferDropDown::Destroy() {
  if (FWindow)
    DestroyWindow(FWindow);
  FWindow = nullptr;
  FList = nullptr;
}

bool TOfferDropDown::Create(HWND owner, HFONT font, int ppi) {
  static const ATOM atom = [] {
    WNDCLASSW cls = {};
    cls.lpfnWndProc = WindowProc;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    cls.lpszClassName = WindowClass;
    return RegisterClassW(&cls);
  }();
  (void)atom;
  FFont = font;
  FRowHeight = FontRowHeight(font, ppi);
  FTextLeft = ScaleValue(2, ppi);
  FWindow = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, WindowClass, L"", WS_POPUP | WS_BORDER, 0, 0, 0, 0,
                            owner, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!FWindow)
    return false;
  SetWindowLongPtrW(FWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  FList = CreateWindowExW(0, L"LISTBOX", L"",
                          WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NODATA | LBS_OWNERDRAWFIXED | LBS_NOINTEGRALHEIGHT,
                          0, 0, 0, 0, FWindow, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!FList)
    return false;
  SendMessageW(FList, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SetWindowSubclass(FList, ListProc, 0, reinterpret_cast<DWORD_PTR>(this));
  return true;
}

void TOfferDropDown::Show(HWND owner, HFONT font, int ppi, const RECT &below, int visibleRows) {
  if (!FWindow && !Create(owner, font, ppi))
    return;
  // Only the number of rows changes hands: their texts are read when they are drawn.
  SendMessageW(FList, LB_SETCOUNT, FOffers.size(), 0);
  SendMessageW(FList, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  const int rows = std::min(static_cast<int>(FOffers.size()), visibleRows);
  const RECT place = {below.left, below.bottom, below.right,
                      below.bottom + rows * FRowHeight + 2 * GetSystemMetrics(SM_CYBORDER)};
  // Moving a shown window costs a round trip to the display server under Wine: only when it changes.
  if (!Shown() || !EqualRect(&place, &FPlace)) {
    FPlace = place;
    SetWindowPos(FList, nullptr, 0, 0, place.right - place.left - 2 * GetSystemMetrics(SM_CXBORDER), rows * FRowHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(FWindow, HWND_TOP, place.left, place.top, place.right - place.left, place.bottom - place.top,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
  }
  InvalidateRect(FList, nullptr, TRUE);
}

void TOfferDropDown::Hide() {
  if (FWindow)
    ShowWindow(FWindow, SW_HIDE);
}

int TOfferDropDown::Highlighted() const {
  return FList ? static_cast<int>(SendMessageW(FList, LB_GETCURSEL, 0, 0)) : -1;
}

void TOfferDropDown::Highlight(int row) {
  if (FList)
    SendMessageW(FList, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
}

void TOfferDropDown::DrawRow(const DRAWITEMSTRUCT &item) const {
  if (item.itemID == static_cast<UINT>(-1) || item.itemID >= FOffers.size())
    return;
  const bool selected = item.itemState & ODS_SELECTED;
  FillRect(item.hDC, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  HGDIOBJ old = SelectObject(item.hDC, FFont);
  RECT text = item.rcItem;
  text.left += FTextLeft;
  const std::wstring offer = Utf8ToWide(FOffers[item.itemID]);
  DrawTextW(item.hDC, offer.c_str(), static_cast<int>(offer.size()), &text,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_PATH_ELLIPSIS);
  SelectObject(item.hDC, old);
}

LRESULT CALLBACK TOfferDropDown::WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto *self = reinterpret_cast<TOfferDropDown *>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
  switch (msg) {
  case WM_MOUSEACTIVATE:
    // The focus stays in the box: the user goes on typing.
    return MA_NOACTIVATE;
  case WM_MEASUREITEM:
    reinterpret_cast<MEASUREITEMSTRUCT *>(lParam)->itemHeight =
        static_cast<UINT>(self ? self->FRowHeight : FontRowHeight(nullptr, DefaultPixelsPerInch));
    return TRUE;
  case WM_DRAWITEM:
    if (self)
      self->DrawRow(*reinterpret_cast<const DRAWITEMSTRUCT *>(lParam));
    return TRUE;
  default:
    return DefWindowProcW(wnd, msg, wParam, lParam);
  }
}

LRESULT CALLBACK TOfferDropDown::ListProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
  auto *self = reinterpret_cast<TOfferDropDown *>(data);
  switch (msg) {
  case WM_MOUSEMOVE:
  case WM_LBUTTONDOWN: {
    // Handled here, so that the list box never takes the focus for a click.
    const auto hit = static_cast<DWORD>(SendMessageW(wnd, LB_ITEMFROMPOINT, 0, lParam));
    if (HIWORD(hit) != 0)
      return 0;
    if (msg == WM_MOUSEMOVE)
      self->Highlight(LOWORD(hit));
    else if (self->OnTake)
      GuardedCall([&] { self->OnTake(LOWORD(hit)); });
    return 0;
  }
  case WM_NCDESTROY:
    RemoveWindowSubclass(wnd, ListProc, 0);
    break;
  default:
    break;
  }
  return DefSubclassProc(wnd, msg, wParam, lParam);
}
