#pragma once
// Keeps a window from drawing while it lasts: its own redraw flag is cleared (the control inside keeps working
// as usual), and the whole window, frame and scroll bars included, is drawn once afterwards from the message
// loop. Wine's tree and list view draw their scroll bars at once at every change of their rows (milliseconds
// each); a window that does not draw only records the change. A window not on screen (it or a parent is hidden) draws
// nothing anyway and is left as it is.
#include <windows.h>

class TDrawingHold {
public:
  // withChildren: the child windows are drawn anew afterwards as well (they were moved or changed too).
  explicit TDrawingHold(HWND wnd, bool withChildren = false)
      : FWnd(wnd && IsWindowVisible(wnd) ? wnd : nullptr), FWithChildren(withChildren) {
    if (FWnd)
      DefWindowProcW(FWnd, WM_SETREDRAW, FALSE, 0);
  }
  ~TDrawingHold() { Release(); }
  TDrawingHold(const TDrawingHold &) = delete;
  TDrawingHold &operator=(const TDrawingHold &) = delete;

  // Ends the hold now (the window is drawn from the message loop).
  void Release() {
    if (!FWnd)
      return;
    DefWindowProcW(FWnd, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(FWnd, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | (FWithChildren ? RDW_ALLCHILDREN : 0));
    FWnd = nullptr;
  }

private:
  HWND FWnd;
  bool FWithChildren;
};
