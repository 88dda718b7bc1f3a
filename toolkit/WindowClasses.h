#pragma once
// The toolkit's window classes and the book-keeping that ties windows to their controls: which control a
// window belongs to, the control ids of child windows, and the one window procedure all the toolkit's
// classes share. Only TWinControl uses this. Every window lives on the user-interface thread, the only one
// that looks here.
#include <windows.h>

class TWinControl;
struct TCreateParams;

// Registers the Unicode window class params names, once per name, and returns the procedure the toolkit's
// own hands the messages it does not take to: the superclassed system class's, or DefWindowProcW.
WNDPROC RegisterToolkitClass(const TCreateParams &params);

// The procedure of every toolkit class: runs the message through its control's WndProc.
LRESULT CALLBACK ToolkitWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The control behind a window of the toolkit, or null.
TWinControl *ControlOfWindow(HWND wnd);
void BindWindow(HWND wnd, TWinControl *control);
void UnbindWindow(HWND wnd);

// Control ids of the toolkit's child windows. An id is unique in the process, so a parent that is told only
// an id (WM_MEASUREITEM) finds the one child that asked.
UINT AllocateControlId(TWinControl *control);
void FreeControlId(UINT id);
TWinControl *ControlOfId(UINT id);

// While it lives, the window being made belongs to control: the window's first message, which comes before
// CreateWindowEx returns, ties the window to it. Scopes nest (a window made while another one is).
class TCreatingWindowScope {
public:
  explicit TCreatingWindowScope(TWinControl *control);
  ~TCreatingWindowScope();
  TCreatingWindowScope(const TCreatingWindowScope &) = delete;
  TCreatingWindowScope &operator=(const TCreatingWindowScope &) = delete;

  // The control whose window is being made and not yet tied to it, or null; asking ties it (returns it once).
  static TWinControl *Take();

private:
  TWinControl *FOuter;
};
