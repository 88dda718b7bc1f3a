#include "shellctrls/ShellScroll.h"

#include "toolkit/Mouse.h"
#include "toolkit/WinControl.h"

bool ScrollOneLine(TWinControl *control, int bar, WORD code) {
  HWND wnd = control->WindowHandle();
  if (!wnd)
    return false;
  SCROLLINFO info = {};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL;
  if (!GetScrollInfo(wnd, bar, &info))
    return false;
  if (info.nMax - info.nMin - static_cast<int>(info.nPage) <= 0)
    return false;
  control->Perform(bar == SB_HORZ ? WM_HSCROLL : WM_VSCROLL, code, 0);
  return GetScrollPos(wnd, bar) != info.nPos;
}

bool WheelScroll(TWinControl *control, int bar, WORD lineCode, WORD pageCode) {
  const int lines = MouseWheelScrollLines();
  if (lines == -1) {
    ScrollOneLine(control, bar, pageCode);
    return true;
  }
  const int steps = bar == SB_VERT ? (lines & 0xFF) : 1;
  // Past the end of the range further steps would change nothing.
  for (int i = 0; i < steps && ScrollOneLine(control, bar, lineCode); ++i) {
  }
  return true;
}

TWinControl *ShellWheelTarget(TWinControl *self, POINT screen) {
  TWinControl *control = nullptr;
  // The window under the pointer may be a part of a control (a list's column header, an in-place edit).
  for (HWND wnd = WindowFromPoint(screen); wnd && !control;
       wnd = (GetWindowLongPtrW(wnd, GWL_STYLE) & WS_CHILD) ? GetParent(wnd) : nullptr)
    control = TWinControl::FindControl(wnd);
  if (!control || control == self)
    return nullptr;
  return dynamic_cast<TKdWheelPeer *>(control) ? control : nullptr;
}

bool ShellWheelNotch(TWinControl *self, bool down, bool handled, TShiftState shift, POINT mousePos, int bar) {
  if (TWinControl *other = ShellWheelTarget(self, mousePos))
    handled = down ? other->DoMouseWheelDown(shift, mousePos) : other->DoMouseWheelUp(shift, mousePos);
  if (handled)
    return true;
  return down ? WheelScroll(self, bar, SB_LINEDOWN, SB_PAGEDOWN) : WheelScroll(self, bar, SB_LINEUP, SB_PAGEUP);
}
