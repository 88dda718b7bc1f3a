// Input to a window control: keys and the dialog-style navigation of special keys, focus, mouse buttons and
// wheel, the context menu and the cursor.
#include "toolkit/WinControl.h"

#include <windowsx.h>

#include "toolkit/PopupMenu.h"
#include "toolkit/Screen.h"

namespace {

TMouseButton ButtonOf(UINT msg) {
  switch (msg) {
  case WM_RBUTTONDOWN:
  case WM_RBUTTONUP:
  case WM_RBUTTONDBLCLK:
    return mbRight;
  case WM_MBUTTONDOWN:
  case WM_MBUTTONUP:
  case WM_MBUTTONDBLCLK:
    return mbMiddle;
  default:
    return mbLeft;
  }
}

// The WM_GETDLGCODE bit by which a window says it handles a key itself that dialog-style navigation would
// otherwise take; 0 for the keys navigation leaves alone.
UINT SpecialKeyCode(WORD key) {
  switch (key) {
  case VK_TAB:
    return DLGC_WANTTAB;
  case VK_LEFT:
  case VK_RIGHT:
  case VK_UP:
  case VK_DOWN:
    return DLGC_WANTARROWS;
  case VK_RETURN:
  case VK_ESCAPE:
    return DLGC_WANTALLKEYS;
  default:
    return 0;
  }
}

} // namespace

bool TWinControl::DispatchInput(TMessage &message) {
  // WM_MOUSEMOVE and the button messages of the three buttons.
  if (message.Msg >= WM_MOUSEFIRST && message.Msg <= WM_MBUTTONDBLCLK) {
    HandleMouse(message);
    return true;
  }
  switch (message.Msg) {
  case WM_SETCURSOR:
    HandleSetCursor(message);
    return true;
  case WM_CONTEXTMENU:
    HandleContextMenu(message);
    return true;
  case WM_MOUSEWHEEL:
    WMMouseWheel(message);
    return true;
  case WM_GETDLGCODE:
    WMGetDlgCode(message);
    return true;
  case CN_KEYDOWN:
    CNKeyDown(message);
    return true;
  case CM_WANTSPECIALKEY:
    CMWantSpecialKey(message);
    return true;
  case WM_KEYDOWN:
  case WM_SYSKEYDOWN:
  case WM_KEYUP:
  case WM_SYSKEYUP:
  case WM_CHAR:
    HandleKey(message);
    return true;
  case WM_CANCELMODE:
    WMCancelMode(message);
    return true;
  case WM_SETFOCUS:
  case WM_KILLFOCUS:
    WMFocus(message);
    return true;
  default:
    return false;
  }
}

void TWinControl::HandleKey(TMessage &message) {
  if (message.Msg == WM_CHAR) {
    auto key = static_cast<wchar_t>(message.WParam);
    KeyPress(key);
    message.WParam = key;
  } else {
    auto key = static_cast<WORD>(message.WParam);
    TShiftState shift = KeyboardShiftState();
    if (message.Msg == WM_KEYDOWN || message.Msg == WM_SYSKEYDOWN)
      KeyDown(key, shift);
    else
      KeyUp(key, shift);
    message.WParam = key;
  }
  // A key set to 0 is consumed: the window's own handling never sees it.
  if (message.WParam == 0)
    message.Result = 0;
  else
    DefaultHandler(message);
}

void TWinControl::KeyDown(WORD &key, TShiftState shift) {
  if (OnKeyDown)
    OnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(WORD &key, TShiftState shift) {
  if (OnKeyUp)
    OnKeyUp(this, key, shift);
}

void TWinControl::KeyPress(wchar_t &key) {
  if (OnKeyPress)
    OnKeyPress(this, key);
}

bool TWinControl::IsDialogKey(const MSG &msg) {
  // Not while the mouse is captured (a drag in progress). Alt chords come as system keys.
  if ((msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) || GetCapture())
    return false;
  // The key goes to a toolkit control, or to a window of a system control's own (its in-place edit): the
  // nearest toolkit control decides.
  TWinControl *control = nullptr;
  for (HWND wnd = msg.hwnd; wnd && !control;
       wnd = (GetWindowLongPtrW(wnd, GWL_STYLE) & WS_CHILD) ? GetParent(wnd) : nullptr)
    control = FindControl(wnd);
  if (!control || control->Perform(CN_KEYDOWN, msg.wParam, msg.lParam) == 0)
    return false;
  // An Alt chord taken as a shortcut is still a key pressed with Alt: told of it, the window's default
  // handling does not take the release of Alt for Alt pressed alone, which would open the menu bar (and
  // take the next keys typed).
  if (msg.message == WM_SYSKEYDOWN)
    DefWindowProcW(GetAncestor(msg.hwnd, GA_ROOT), msg.message, msg.wParam, msg.lParam);
  return true;
}

void TWinControl::CNKeyDown(TMessage &message) {
  message.Result = 0;
  if (!FHandle)
    return;
  auto key = static_cast<WORD>(message.WParam);
  const TShiftState shift = KeyboardShiftState();
  // A key the control takes itself (every key of a label being edited, the text keys of an edit box) is
  // never the window's shortcut.
  if (WantSpecialKey(key, shift))
    return;
  TWinControl *top = TopLevelControl();
  if (top->IsShortCut(key, shift)) {
    message.Result = 1;
    return;
  }
  UINT code = SpecialKeyCode(key);
  if (!code)
    return;
  MSG msg = {FHandle, WM_KEYDOWN, message.WParam, message.LParam, 0, {0, 0}};
  if (Perform(WM_GETDLGCODE, message.WParam, reinterpret_cast<LPARAM>(&msg)) & (code | DLGC_WANTMESSAGE))
    return;
  if (top->DialogKey(key, shift))
    message.Result = 1;
}

void TWinControl::WMGetDlgCode(TMessage &message) {
  DefaultHandler(message);
  // Also heard by the platform's dialog navigation, should a control of ours sit in a dialog.
  const auto *msg = reinterpret_cast<const MSG *>(message.LParam);
  if (msg && msg->message == WM_KEYDOWN && SpecialKeyCode(static_cast<WORD>(msg->wParam)) &&
      Perform(CM_WANTSPECIALKEY, msg->wParam, KeyboardShiftState().Bits()))
    message.Result |= DLGC_WANTMESSAGE;
}

void TWinControl::CMWantSpecialKey(TMessage &message) {
  TShiftState shift(static_cast<TShiftStateFlag>(message.LParam));
  message.Result = WantSpecialKey(static_cast<WORD>(message.WParam), shift) ? 1 : 0;
}

bool TWinControl::WantSpecialKey(WORD, TShiftState) { return false; }

bool TWinControl::DialogKey(WORD, TShiftState) { return false; }

bool TWinControl::IsShortCut(WORD, TShiftState) { return false; }

bool TWinControl::Focused() const { return FHandle && GetFocus() == FHandle; }

bool TWinControl::CanFocus() const {
  for (const TControl *control = this; control; control = control->Parent())
    if (!control->Visible() || !control->Enabled())
      return false;
  return true;
}

void TWinControl::SetFocus() {
  TWinControl *top = TopLevelControl();
  if (top != this && top->DeferFocus(this))
    return;
  ::SetFocus(Handle());
}

bool TWinControl::DeferFocus(TWinControl *) { return false; }

void TWinControl::WMFocus(TMessage &message) {
  DefaultHandler(message);
  if (message.Msg == WM_SETFOCUS)
    DoEnter();
  else
    DoExit();
}

void TWinControl::DoEnter() {
  if (OnEnter)
    OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit)
    OnExit(this);
}

void TWinControl::HandleMouse(TMessage &message) {
  UINT msg = message.Msg;
  DefaultHandler(message);
  // The system's handling may have destroyed the window (a click that closes a form).
  if (!FHandle)
    return;
  int x = GET_X_LPARAM(message.LParam);
  int y = GET_Y_LPARAM(message.LParam);
  TShiftState shift = MouseShiftState(message.WParam);
  TMouseButton button = ButtonOf(msg);
  switch (msg) {
  case WM_MOUSEMOVE:
    MouseMove(shift, x, y);
    break;
  case WM_LBUTTONDOWN:
  case WM_RBUTTONDOWN:
  case WM_MBUTTONDOWN:
    if (msg == WM_LBUTTONDOWN) {
      FClicked = true;
      if (FOwnClass)
        SetCapture(FHandle);
    }
    MouseDown(button, shift, x, y);
    break;
  case WM_LBUTTONDBLCLK:
  case WM_RBUTTONDBLCLK:
  case WM_MBUTTONDBLCLK:
    if (msg == WM_LBUTTONDBLCLK)
      DblClick();
    MouseDown(button, shift | ssDouble, x, y);
    break;
  default: // button up
    if (msg == WM_LBUTTONUP) {
      if (FOwnClass && GetCapture() == FHandle)
        ReleaseCapture();
      if (FClicked) {
        FClicked = false;
        RECT client;
        GetClientRect(FHandle, &client);
        POINT point = {x, y};
        if (PtInRect(&client, point))
          Click();
      }
    }
    if (FHandle)
      MouseUp(button, shift, x, y);
    break;
  }
}

void TWinControl::WMCancelMode(TMessage &message) {
  FClicked = false;
  if (GetCapture() == FHandle)
    ReleaseCapture();
  DefaultHandler(message);
}

void TWinControl::WMMouseWheel(TMessage &message) {
  const TShiftState shift = MouseShiftState(GET_KEYSTATE_WPARAM(message.WParam));
  const POINT mousePos = {GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
  FWheelAccumulator += GET_WHEEL_DELTA_WPARAM(message.WParam);
  while (FWheelAccumulator >= WHEEL_DELTA || FWheelAccumulator <= -WHEEL_DELTA) {
    if (FWheelAccumulator < 0) {
      FWheelAccumulator += WHEEL_DELTA;
      FWheelHandled = DoMouseWheelDown(shift, mousePos);
    } else {
      FWheelAccumulator -= WHEEL_DELTA;
      FWheelHandled = DoMouseWheelUp(shift, mousePos);
    }
  }
  // A part of a notch goes where the last whole one went: a control that scrolls by notches itself must
  // not also be scrolled by the parts.
  if (FWheelHandled)
    message.Result = 0;
  else
    DefaultHandler(message);
}

bool TWinControl::DoMouseWheelDown(TShiftState shift, POINT mousePos) {
  bool handled = false;
  if (OnMouseWheelDown)
    OnMouseWheelDown(this, shift, mousePos, handled);
  return handled;
}

bool TWinControl::DoMouseWheelUp(TShiftState shift, POINT mousePos) {
  bool handled = false;
  if (OnMouseWheelUp)
    OnMouseWheelUp(this, shift, mousePos, handled);
  return handled;
}

void TWinControl::HandleContextMenu(TMessage &message) {
  POINT screen = {GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
  bool fromKeyboard = screen.x == -1 && screen.y == -1;
  POINT client = fromKeyboard ? POINT{-1, -1} : ScreenToClient(screen);
  bool handled = false;
  DoContextPopup(client, handled);
  if (handled) {
    message.Result = 1;
    return;
  }
  TPopupMenu *menu = PopupMenu();
  if (menu && menu->AutoPopup) {
    if (fromKeyboard) {
      screen = ClientToScreen(POINT{0, 0});
    }
    menu->PopupComponent = this;
    menu->Popup(screen.x, screen.y);
    message.Result = 1;
    return;
  }
  DefaultHandler(message);
}

void TWinControl::HandleSetCursor(TMessage &message) {
  if (reinterpret_cast<HWND>(message.WParam) == FHandle && LOWORD(message.LParam) == HTCLIENT) {
    TCursor cursor = Screen->Cursor();
    if (cursor == crDefault)
      cursor = Cursor();
    if (cursor != crDefault) {
      ::SetCursor(CursorHandle(cursor));
      message.Result = TRUE;
      return;
    }
  }
  DefaultHandler(message);
}
