#include "toolkit/WinControl.h"

#include <algorithm>

#include "toolkit/MenuItem.h"
#include "toolkit/SysUtils.h"
#include "toolkit/WindowClasses.h"

TWinControl::TWinControl(TComponent *AOwner) : TControl(AOwner), FBevelWidth(ScaleValue(1)) {}

TWinControl::~TWinControl() {
  FClearing = true;
  while (!FControls.empty())
    delete FControls.back();
  DestroyHandle();
}

TWinControl *TWinControl::FindControl(HWND wnd) { return ControlOfWindow(wnd); }

HWND TWinControl::Handle() {
  if (!FHandle)
    CreateHandle();
  return FHandle;
}

void TWinControl::CreateParams(TCreateParams &params) {
  params.Caption = FText;
  params.Style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  if (Parent())
    params.Style |= WS_CHILD;
  if (Visible())
    params.Style |= WS_VISIBLE;
  if (!Enabled())
    params.Style |= WS_DISABLED;
  if (FBorderStyle == bsSingle)
    params.ExStyle |= WS_EX_CLIENTEDGE;
  params.X = Left();
  params.Y = Top();
  params.Width = Width();
  params.Height = Height();
  // CreateHandle makes the parent's window first; asking for the parameters makes no window.
  params.WndParent = Parent() ? Parent()->FHandle : nullptr;
  params.WinClassName = "TWinControl";
}

void TWinControl::CreateHandle() {
  if (FHandle)
    return;
  if (Parent())
    Parent()->HandleNeeded();
  if (FHandle) // making the parent's window made this one too
    return;
  TCreateParams params;
  CreateParams(params);
  FDefWndProc = RegisterToolkitClass(params);
  FOwnClass = params.BaseClassName.empty();
  // Tab moves into the children of the toolkit's own windows (panels), not onto them.
  if (FOwnClass)
    params.ExStyle |= WS_EX_CONTROLPARENT;
  // A child's id is known before its first message: an owner-drawn control measures while it is made.
  FControlId = (params.Style & WS_CHILD) ? AllocateControlId(this) : 0;
  auto *menuOrId = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(FControlId));
  HWND wnd;
  {
    TCreatingWindowScope creating(this);
    wnd = CreateWindowExW(params.ExStyle, Utf8ToWide(params.WinClassName).c_str(), Utf8ToWide(params.Caption).c_str(),
                          params.Style, params.X, params.Y, params.Width, params.Height, params.WndParent, menuOrId,
                          GetModuleHandleA(nullptr), nullptr);
  }
  if (!wnd) {
    DWORD error = GetLastError();
    WindowGone();
    throw Exception("Error creating window: " + SysErrorMessage(error));
  }
  FHandle = wnd;
  BindWindow(wnd, this);
  // A child window comes up behind all its siblings; it is moved only when one that belongs behind it has a window.
  if (HasWindowBehind())
    ApplyZOrder();
  CreateWnd();
  // The children's windows are made by the layout, placed for the window as it came up (its real client area,
  // a size the platform chose): a window made first and moved then costs the move as well.
  Realign();
}

void TWinControl::CreateWnd() {
  if (SendsFontToWindow())
    SendMessageA(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), FALSE);
  // The window's real client area (a form's menu bar, its frame) decides the layout from now on.
  RECT rect = WindowBounds();
  UpdateBounds(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

void TWinControl::DestroyHandle() {
  if (!FHandle)
    return;
  for (TControl *control : FControls)
    if (auto *child = dynamic_cast<TWinControl *>(control))
      child->DestroyHandle();
  DestroyWnd();
}

void TWinControl::DestroyWnd() {
  if (!FHandle)
    return;
  DestroyWindow(FHandle);
  // WM_NCDESTROY has let go of the window; make sure of it even if the platform did not send it.
  WindowGone();
}

void TWinControl::RecreateWnd() {
  if (!FHandle)
    return;
  DestroyHandle();
  CreateHandle();
}

void TWinControl::ApplyZOrder() {
  if (!FHandle || !Parent())
    return;
  // Siblings later in the list are in front: go just behind the first of them that has a window.
  auto &siblings = Parent()->FControls;
  auto self = std::find(siblings.begin(), siblings.end(), this);
  HWND after = HWND_TOP;
  for (auto it = self == siblings.end() ? self : self + 1; it != siblings.end(); ++it) {
    auto *sibling = dynamic_cast<TWinControl *>(*it);
    if (sibling && sibling->FHandle) {
      after = sibling->FHandle;
      break;
    }
  }
  SetWindowPos(FHandle, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

bool TWinControl::HasWindowBehind() const {
  if (!Parent())
    return false;
  for (TControl *sibling : Parent()->FControls) {
    if (sibling == this)
      return false;
    if (auto *control = dynamic_cast<TWinControl *>(sibling); control && control->FHandle)
      return true;
  }
  return false;
}

void TWinControl::WindowGone() {
  if (FHandle)
    UnbindWindow(FHandle);
  FHandle = nullptr;
  if (FControlId)
    FreeControlId(FControlId);
  FControlId = 0;
}

void TWinControl::WMNCDestroy(TMessage &message) {
  DefaultHandler(message);
  WindowGone();
}

TWinControl *TWinControl::TopLevelControl() {
  TWinControl *control = this;
  while (control->Parent())
    control = control->Parent();
  return control;
}

void TWinControl::InsertControl(TControl *control) {
  FControls.push_back(control);
  control->FParent = this;
  if (control->FAlign != alNone)
    control->FAlignOrder = ++FAlignCounter;
  // A control sized for another resolution (made before it had a parent, or moved from a window on another
  // monitor) is brought to this one's.
  control->ScaleForPPI(CurrentPPI());
  control->ParentFontChanged();
  control->ParentColorChanged();
  control->UpdateAnchorRules();
  if (auto *child = dynamic_cast<TWinControl *>(control); child && child->FHandle)
    ::SetParent(child->FHandle, Handle()); // a window moving from one parent to another
  // The layout places the new child and makes its window there (once this one has a window, and when the
  // layout is not held off: then when it is let go).
  Realign();
}

void TWinControl::RemoveControl(TControl *control) {
  auto it = std::find(FControls.begin(), FControls.end(), control);
  if (it == FControls.end())
    return;
  if (auto *child = dynamic_cast<TWinControl *>(control))
    child->DestroyHandle();
  FControls.erase(it);
  control->FParent = nullptr;
  if (!FClearing)
    Realign();
}

void TWinControl::VisibleChanged() {
  if (FHandle)
    ShowWindow(FHandle, Visible() ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::EnabledChanged() {
  if (FHandle)
    EnableWindow(FHandle, Enabled());
}

void TWinControl::TextChanged() {
  if (!FHandle)
    return;
  SetWindowTextW(FHandle, Utf8ToWide(FText).c_str());
  if (FOwnClass)
    Invalidate();
}

LRESULT TWinControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
  TMessage message{msg, wParam, lParam, 0};
  WndProc(message);
  return message.Result;
}

UINT TWinControl::TrackPopup(HMENU menu, POINT screen, UINT flags) {
  return static_cast<UINT>(::TrackPopupMenu(menu, flags, screen.x, screen.y, 0, Handle(), nullptr));
}

void TWinControl::WndProc(TMessage &message) {
  if (DispatchInput(message) || DispatchChildMessage(message))
    return;
  switch (message.Msg) {
  case WM_ERASEBKGND:
    return WMEraseBkgnd(message);
  case WM_PAINT:
    return WMPaint(message);
  case WM_PRINTCLIENT:
    return WMPrintClient(message);
  case WM_NCCALCSIZE:
  case WM_NCPAINT:
    return HandleNonClient(message);
  case WM_SIZE:
  case WM_MOVE:
    return WMSizeOrMove(message);
  case CN_CTLCOLOREDIT:
  case CN_CTLCOLORSTATIC:
  case CN_CTLCOLORLISTBOX:
  case CN_CTLCOLORBTN:
    return CNCtlColor(message);
  case WM_SYSCOLORCHANGE:
    return WMSysColorChange(message);
  case CM_SYSCOLORCHANGE:
    return CMSysColorChange(message);
  case CM_COLORCHANGED:
    return CMColorChanged(message);
  case WM_NCDESTROY:
    return WMNCDestroy(message);
  default:
    return DefaultHandler(message);
  }
}

void TWinControl::DefaultHandler(TMessage &message) {
  if (message.Msg >= CN_BASE && message.Msg < CN_BASE + 0x400) {
    // A reflected notification nobody took: the parent's answer is the platform's default.
    message.Result = 0;
    return;
  }
  if (!FHandle) {
    message.Result = 0;
    return;
  }
  message.Result = CallWindowProcW(FDefWndProc, FHandle, message.Msg, message.WParam, message.LParam);
}

bool TWinControl::DispatchChildMessage(TMessage &message) {
  switch (message.Msg) {
  case WM_NOTIFY:
    WMNotify(message);
    return true;
  case WM_COMMAND:
    WMCommand(message);
    return true;
  case WM_DRAWITEM:
    WMDrawItem(message);
    return true;
  case WM_MEASUREITEM:
    WMMeasureItem(message);
    return true;
  case WM_CTLCOLOREDIT:
  case WM_CTLCOLORSTATIC:
  case WM_CTLCOLORLISTBOX:
  case WM_CTLCOLORBTN:
    WMCtlColor(message);
    return true;
  case WM_INITMENUPOPUP:
  case WM_MENUSELECT:
  case WM_MENUCHAR:
    MenuMessage(message);
    return true;
  case WM_NOTIFYFORMAT:
    WMNotifyFormat(message);
    return true;
  default:
    return false;
  }
}

bool TWinControl::ReflectToChild(HWND child, TMessage &message) {
  TWinControl *control = FindControl(child);
  if (!control || control == this)
    return false;
  TMessage reflected{message.Msg + CN_BASE, message.WParam, message.LParam, 0};
  control->WndProc(reflected);
  message.Result = reflected.Result;
  return true;
}

bool TWinControl::DoMenuCommand(UINT id) { return TMenuItem::DispatchCommand(id); }

void TWinControl::WMNotify(TMessage &message) {
  auto *header = reinterpret_cast<NMHDR *>(message.LParam);
  if (!header)
    return DefaultHandler(message);
  if (!ReflectToChild(header->hwndFrom, message))
    ChildNotify(header->hwndFrom, message);
}

void TWinControl::WMCommand(TMessage &message) {
  if (auto from = reinterpret_cast<HWND>(message.LParam)) {
    if (!ReflectToChild(from, message))
      ChildNotify(from, message);
    return;
  }
  if (HIWORD(message.WParam) == 0 && DoMenuCommand(LOWORD(message.WParam))) {
    message.Result = 0;
    return;
  }
  DefaultHandler(message);
}

void TWinControl::WMDrawItem(TMessage &message) {
  auto *item = reinterpret_cast<DRAWITEMSTRUCT *>(message.LParam);
  if (!item)
    return DefaultHandler(message);
  if (item->CtlType == ODT_MENU)
    return MenuMessage(message);
  if (!ReflectToChild(item->hwndItem, message))
    ChildNotify(item->hwndItem, message);
}

void TWinControl::WMMeasureItem(TMessage &message) {
  auto *item = reinterpret_cast<MEASUREITEMSTRUCT *>(message.LParam);
  if (!item)
    return DefaultHandler(message);
  if (item->CtlType == ODT_MENU)
    return MenuMessage(message);
  // The structure names the child only by its id.
  TWinControl *child = ControlOfId(item->CtlID);
  if (child && child->Parent() == this && ReflectToChild(child->FHandle, message))
    return;
  ChildNotify(GetDlgItem(FHandle, static_cast<int>(item->CtlID)), message);
}

void TWinControl::WMCtlColor(TMessage &message) {
  auto from = reinterpret_cast<HWND>(message.LParam);
  if (!ReflectToChild(from, message))
    ChildNotify(from, message);
}

void TWinControl::ChildNotify(HWND, TMessage &message) { DefaultHandler(message); }

void TWinControl::MenuMessage(TMessage &message) { DefaultHandler(message); }

void TWinControl::WMNotifyFormat(TMessage &message) {
  // Our own windows ask their system children for Unicode notifications. A system control answers its
  // own children itself: a list view passes on what its parent told it, so its header speaks Unicode too.
  if (FOwnClass && message.LParam == NF_QUERY) {
    message.Result = NFR_UNICODE;
    return;
  }
  DefaultHandler(message);
}
