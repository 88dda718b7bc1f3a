#include "toolkit/Form.h"

#include <utility>

#include "toolkit/AlignHold.h"
#include "toolkit/Application.h"

namespace {

// Every form shows the program's own icon, the executable's icon resource named MAINICON, in the sizes the
// platform draws captions and task switchers with at the window's resolution (the system's metrics are those
// of its own); a program without one keeps the platform's default. Shared icons belong to the module: nothing
// frees them.
void ShowProgramIcon(HWND wnd, int ppi) {
  HINSTANCE module = GetModuleHandleW(nullptr);
  for (auto [which, metric] : {std::pair{ICON_BIG, SM_CXICON}, std::pair{ICON_SMALL, SM_CXSMICON}}) {
    int size = MulDiv(GetSystemMetrics(metric), ppi, SystemPixelsPerInch());
    if (HANDLE icon = LoadImageW(module, L"MAINICON", IMAGE_ICON, size, size, LR_SHARED))
      SendMessageW(wnd, WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
  }
}

} // namespace

TForm::TForm(TComponent *AOwner) : TWinControl(AOwner) {
  SetVisible(false);
  UpdateBounds(100, 100, ScaleValue(640), ScaleValue(480));
}

TForm::~TForm() {
  if (FMenu)
    FMenu->SetWindowHandle(nullptr);
  DestroyHandle();
}

void TForm::AfterConstruction() {
  if (FCreated)
    return;
  FCreated = true;
  DoCreate();
}

void TForm::DoCreate() {
  if (!OnCreate)
    return;
  try {
    OnCreate(this);
  } catch (...) {
    if (Application)
      Application->HandleException(this);
    else
      throw;
  }
}

void TForm::DoShow() {
  if (OnShow)
    OnShow(this);
}

void TForm::DoClose(TCloseAction &action) {
  if (OnClose)
    OnClose(this, action);
}

void TForm::CreateParams(TCreateParams &params) {
  TWinControl::CreateParams(params);
  params.Style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  // Made at its maximized size (hidden still, its normal place kept): the controls are laid out for it while
  // nothing is on screen, not once more, window by window, when it is shown.
  if (WindowState() == wsMaximized)
    params.Style |= WS_MAXIMIZE;
  params.WndParent = nullptr;
  params.WinClassName = "TForm";
  if (!Enabled())
    params.Style |= WS_DISABLED;
}

void TForm::CreateWnd() {
  if (FMenu)
    FMenu->SetWindowHandle(Handle());
  TWinControl::CreateWnd();
  // The window may have come up on a monitor of another resolution than the one the form was laid out at.
  ScaleForPPI(WindowPixelsPerInch(WindowHandle()));
  ShowProgramIcon(WindowHandle(), CurrentPPI());
}

void TForm::WMDpiChanged(int ppi, const RECT &suggested) {
  // Laid out once, in the new place: the bounds the layout starts from are those of the old one scaled.
  {
    TAlignHold hold{this};
    ScaleForPPI(ppi);
    SetWindowPos(WindowHandle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ShowProgramIcon(WindowHandle(), CurrentPPI());
}

void TForm::DestroyWnd() {
  // The window would destroy the bar it shows; the menu object owns it.
  if (FMenu)
    FMenu->SetWindowHandle(nullptr);
  TWinControl::DestroyWnd();
}

void TForm::SetMenu(TMainMenu *value) {
  if (value == FMenu)
    return;
  if (FMenu) {
    FMenu->SetWindowHandle(nullptr);
    FMenu->RemoveFreeNotification(this);
  }
  FMenu = value;
  if (value) {
    value->FreeNotification(this);
    if (HandleAllocated())
      value->SetWindowHandle(Handle());
  }
  if (!HandleAllocated())
    Realign();
}

void TForm::Notification(TComponent *component, bool inserted) {
  TWinControl::Notification(component, inserted);
  if (inserted)
    return;
  if (component == FMenu)
    FMenu = nullptr;
  if (component == FActiveControl)
    FActiveControl = nullptr;
}

TWindowState TForm::WindowState() const {
  HWND wnd = WindowHandle();
  if (wnd && IsWindowVisible(wnd)) {
    if (IsZoomed(wnd))
      return wsMaximized;
    if (IsIconic(wnd))
      return wsMinimized;
    return wsNormal;
  }
  return FWindowState;
}

void TForm::SetWindowState(TWindowState value) {
  FWindowState = value;
  if (HandleAllocated() && Visible())
    ShowWindow(Handle(), value == wsMaximized ? SW_MAXIMIZE : value == wsMinimized ? SW_MINIMIZE : SW_RESTORE);
}

void TForm::AssignActiveControl(TWinControl *value) {
  if (value == FActiveControl)
    return;
  if (FActiveControl)
    FActiveControl->RemoveFreeNotification(this);
  FActiveControl = value;
  if (value)
    value->FreeNotification(this);
}

void TForm::SetActiveControl(TWinControl *value) {
  AssignActiveControl(value);
  if (value && HandleAllocated() && IsWindowVisible(Handle()) && value->CanFocus())
    ::SetFocus(value->Handle());
}

bool TForm::DeferFocus(TWinControl *control) {
  if (HandleAllocated() && IsWindowVisible(Handle()))
    return false;
  SetActiveControl(control);
  return true;
}

bool TForm::DialogKey(WORD key, TShiftState shift) {
  if (key != VK_TAB || shift.Contains(ssCtrl) || shift.Contains(ssAlt) || !HandleAllocated())
    return false;
  HWND focus = GetFocus();
  // The platform walks the children front to back; ours stand in front of those made before them, so the
  // order they were placed in is the platform's "previous".
  HWND next = GetNextDlgTabItem(Handle(), IsChild(Handle(), focus) ? focus : nullptr, !shift.Contains(ssShift));
  if (next && next != focus)
    ::SetFocus(next);
  return true;
}

bool TForm::IsShortCut(WORD key, TShiftState shift) {
  bool handled = false;
  if (OnShortCut)
    OnShortCut(this, key, shift, handled);
  return handled;
}

void TForm::FocusActiveControl() {
  if (FActiveControl && FActiveControl->CanFocus())
    ::SetFocus(FActiveControl->Handle());
}

void TForm::Show() {
  SetVisible(true);
  if (HandleAllocated())
    SetForegroundWindow(Handle());
}

void TForm::VisibleChanged() {
  if (!Visible()) {
    if (HandleAllocated())
      ShowWindow(Handle(), SW_HIDE);
    return;
  }
  HWND wnd = Handle();
  DoShow();
  int command = FWindowState == wsMaximized   ? SW_SHOWMAXIMIZED
                : FWindowState == wsMinimized ? SW_SHOWMINIMIZED
                                              : SW_SHOWNORMAL;
  // Drawn from the message loop, after the work already posted to it (a control that fills itself once its
  // window exists): drawn at once, the window would be drawn empty first.
  ShowWindow(wnd, command);
  FocusActiveControl();
}

bool TForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery)
    OnCloseQuery(this, canClose);
  return canClose;
}

void TForm::Close() {
  if (!CloseQuery())
    return;
  TCloseAction action = caHide;
  DoClose(action);
  if (action == caNone)
    return;
  if (Application && Application->MainForm() == this) {
    Application->Terminate();
    return;
  }
  switch (action) {
  case caMinimize:
    SetWindowState(wsMinimized);
    break;
  case caFree:
    Release();
    break;
  default:
    Hide();
    break;
  }
}

void TForm::Release() {
  if (HandleAllocated())
    PostMessageA(Handle(), CM_RELEASE, 0, 0);
  else
    delete this;
}

void TForm::WndProc(TMessage &message) {
  switch (message.Msg) {
  case WM_CLOSE:
    Close();
    message.Result = 0;
    return;
  case WM_QUERYENDSESSION:
    message.Result = CloseQuery() ? TRUE : FALSE;
    return;
  case WM_ENDSESSION:
    if (message.WParam && Application && Application->MainForm() == this)
      Application->Terminate();
    message.Result = 0;
    return;
  case WM_ACTIVATE:
    if (LOWORD(message.WParam) == WA_INACTIVE) {
      // Remember which of our controls had the focus, to give it back on reactivation.
      if (TWinControl *focused = FindControl(GetFocus()); focused && GetParentForm(focused) == this && focused != this)
        AssignActiveControl(focused);
      DefaultHandler(message);
    } else {
      DefaultHandler(message);
      FocusActiveControl();
    }
    return;
  case WM_SETFOCUS:
    TWinControl::WndProc(message);
    FocusActiveControl();
    return;
  case CM_RELEASE:
    delete this;
    return;
  case WM_DPICHANGED:
    WMDpiChanged(LOWORD(message.WParam), *reinterpret_cast<const RECT *>(message.LParam));
    message.Result = 0;
    return;
  default:
    break;
  }
  TWinControl::WndProc(message);
}

TForm *GetParentForm(TControl *control) {
  while (control && control->Parent())
    control = control->Parent();
  return dynamic_cast<TForm *>(control);
}
