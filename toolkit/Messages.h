#pragma once
// A window message as the toolkit's window procedures see it, and the toolkit's own message numbers.
#include <windows.h>

struct TMessage {
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
  LRESULT Result;
};

// Notifications a parent window receives about a child (WM_NOTIFY, WM_COMMAND, WM_DRAWITEM, ...) are
// reflected to the child control that sent them under CN_BASE + the original number, so that a control
// handles its own notifications whatever its parent is.
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;
constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;
constexpr UINT CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM;
constexpr UINT CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT;
constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;
constexpr UINT CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX;
constexpr UINT CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN;
// A key about to be dispatched, offered to the nearest control first (wParam and lParam of WM_KEYDOWN):
// result 1 means dialog-style navigation took it and it goes no further.
constexpr UINT CN_KEYDOWN = CN_BASE + WM_KEYDOWN;

// The toolkit's own messages.
constexpr UINT CM_BASE = 0xB000;
// Sent to a control whose Color has changed.
constexpr UINT CM_COLORCHANGED = CM_BASE + 13;
// Sent down from the top-level window to every control when the system's colours have changed.
constexpr UINT CM_SYSCOLORCHANGE = CM_BASE + 25;
// Asks a control whether it wants a key that dialog-style navigation would otherwise take (Tab, the
// arrows, Enter, Escape): wParam the virtual key, lParam the TShiftState bits; result 1 = it wants it.
constexpr UINT CM_WANTSPECIALKEY = CM_BASE + 30;
// Posted by TForm::Release: the form destroys itself once the messages before it are handled.
constexpr UINT CM_RELEASE = CM_BASE + 33;
