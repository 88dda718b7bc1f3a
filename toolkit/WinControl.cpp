#include "toolkit/WinControl.h"

#include <windowsx.h>

#include <algorithm>
#include <commctrl.h>
#include <map>
#include <unordered_map>

#include "toolkit/Application.h"
#include "toolkit/MenuItem.h"
#include "toolkit/PopupMenu.h"
#include "toolkit/Screen.h"

namespace {

// Windows of the toolkit and their controls. Every window lives on the user-interface thread, which is
// the only one that looks here.
std::unordered_map<HWND, TWinControl *> &ControlMap() {
  static std::unordered_map<HWND, TWinControl *> map;
  return map;
}

// The control whose window is being made: its first message ties the new window to it.
thread_local TWinControl *CreatingControl = nullptr;

// Control ids of the toolkit's child windows and their controls. An id is unique in the process, so a
// parent that is told only an id (WM_MEASUREITEM) finds the one child that asked, and stays below 0x10000
// (WM_COMMAND carries 16 bits of it) and above the dialog ids IDOK... that the platform gives meanings.
constexpr UINT FirstControlId = 0x100;
constexpr UINT LastControlId = 0xFFFF;

std::unordered_map<UINT, TWinControl *> &ControlIds() {
  static std::unordered_map<UINT, TWinControl *> ids;
  return ids;
}

UINT AllocateControlId(TWinControl *control) {
  static UINT next = FirstControlId;
  auto &ids = ControlIds();
  if (ids.size() > LastControlId - FirstControlId)
    throw Exception("Error creating window: no control id left");
  while (ids.count(next))
    next = next == LastControlId ? FirstControlId : next + 1;
  UINT id = next;
  next = next == LastControlId ? FirstControlId : next + 1;
  ids[id] = control;
  return id;
}

struct TRegisteredClass {
  WNDPROC DefWndProc;
  bool Unicode;
};

std::map<std::string, TRegisteredClass> &RegisteredClasses() {
  static std::map<std::string, TRegisteredClass> classes;
  return classes;
}

void EnsureCommonControls() {
  static const bool done = [] {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    return InitCommonControlsEx(&icc) != FALSE;
  }();
  (void)done;
}

} // namespace

LRESULT CALLBACK ToolkitWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

namespace {

const TRegisteredClass &RegisterToolkitClass(const TCreateParams &params) {
  auto &classes = RegisteredClasses();
  auto found = classes.find(params.WinClassName);
  if (found != classes.end())
    return found->second;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  TRegisteredClass registered{params.Unicode ? DefWindowProcW : DefWindowProcA, params.Unicode};
  if (params.Unicode) {
    WNDCLASSEXW cls = {};
    cls.cbSize = sizeof cls;
    std::wstring base = Utf8ToWide(params.BaseClassName);
    if (!base.empty()) {
      if (!GetClassInfoExW(instance, base.c_str(), &cls)) {
        EnsureCommonControls();
        if (!GetClassInfoExW(instance, base.c_str(), &cls) && !GetClassInfoExW(nullptr, base.c_str(), &cls))
          RaiseLastOSError();
      }
      registered.DefWndProc = cls.lpfnWndProc;
      cls.cbSize = sizeof cls;
      cls.style &= ~CS_GLOBALCLASS;
    } else {
      cls.style = params.ClassStyle;
      cls.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    }
    std::wstring name = Utf8ToWide(params.WinClassName);
    cls.lpfnWndProc = ToolkitWndProc;
    cls.hInstance = instance;
    cls.lpszClassName = name.c_str();
    if (!RegisterClassExW(&cls))
      RaiseLastOSError();
  } else {
    WNDCLASSEXA cls = {};
    cls.cbSize = sizeof cls;
    if (!params.BaseClassName.empty()) {
      const char *base = params.BaseClassName.c_str();
      if (!GetClassInfoExA(instance, base, &cls)) {
        EnsureCommonControls();
        if (!GetClassInfoExA(instance, base, &cls) && !GetClassInfoExA(nullptr, base, &cls))
          RaiseLastOSError();
      }
      registered.DefWndProc = cls.lpfnWndProc;
      cls.cbSize = sizeof cls;
      cls.style &= ~CS_GLOBALCLASS;
    } else {
      cls.style = params.ClassStyle;
      cls.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    }
    cls.lpfnWndProc = ToolkitWndProc;
    cls.hInstance = instance;
    cls.lpszClassName = params.WinClassName.c_str();
    if (!RegisterClassExA(&cls))
      RaiseLastOSError();
  }
  return classes.emplace(params.WinClassName, registered).first->second;
}

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

} // namespace

LRESULT CALLBACK ToolkitWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  TWinControl *control = TWinControl::FindControl(wnd);
  if (!control && CreatingControl) {
    control = CreatingControl;
    CreatingControl = nullptr;
    control->FHandle = wnd;
    ControlMap()[wnd] = control;
  }
  if (!control)
    return IsWindowUnicode(wnd) ? DefWindowProcW(wnd, msg, wParam, lParam) : DefWindowProcA(wnd, msg, wParam, lParam);
  TMessage message{msg, wParam, lParam, 0};
  // No exception may cross into the platform: it goes to the application's handler and the message ends
  // with what the handling had reached.
  try {
    control->WndProc(message);
  } catch (...) {
    if (Application)
      Application->HandleException(control);
  }
  return message.Result;
}

TWinControl::TWinControl(TComponent *AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl() {
  FClearing = true;
  while (!FControls.empty())
    delete FControls.back();
  DestroyHandle();
}

TWinControl *TWinControl::FindControl(HWND wnd) {
  if (!wnd)
    return nullptr;
  auto &map = ControlMap();
  auto found = map.find(wnd);
  return found == map.end() ? nullptr : found->second;
}

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
  const TRegisteredClass &cls = RegisterToolkitClass(params);
  FDefWndProc = cls.DefWndProc;
  FUnicode = cls.Unicode;
  FOwnClass = params.BaseClassName.empty();
  // Tab moves into the children of the toolkit's own windows (panels), not onto them.
  if (FOwnClass)
    params.ExStyle |= WS_EX_CONTROLPARENT;
  // A child's id is known before its first message: an owner-drawn control measures while it is made.
  FControlId = (params.Style & WS_CHILD) ? AllocateControlId(this) : 0;
  auto *menuOrId = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(FControlId));
  TWinControl *outer = CreatingControl;
  CreatingControl = this;
  HWND wnd;
  if (FUnicode)
    wnd = CreateWindowExW(params.ExStyle, Utf8ToWide(params.WinClassName).c_str(), Utf8ToWide(params.Caption).c_str(),
                          params.Style, params.X, params.Y, params.Width, params.Height, params.WndParent, menuOrId,
                          GetModuleHandleA(nullptr), nullptr);
  else
    wnd = CreateWindowExA(params.ExStyle, params.WinClassName.c_str(), params.Caption.c_str(), params.Style, params.X,
                          params.Y, params.Width, params.Height, params.WndParent, menuOrId, GetModuleHandleA(nullptr),
                          nullptr);
  CreatingControl = outer;
  if (!wnd) {
    DWORD error = GetLastError();
    WindowGone();
    throw Exception("Error creating window: " + SysErrorMessage(error));
  }
  FHandle = wnd;
  ControlMap()[wnd] = this;
  ApplyZOrder();
  CreateWnd();
  for (size_t i = 0; i < FControls.size(); ++i)
    if (auto *child = dynamic_cast<TWinControl *>(FControls[i]))
      child->CreateHandle();
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

void TWinControl::WindowGone() {
  if (FHandle)
    ControlMap().erase(FHandle);
  FHandle = nullptr;
  if (FControlId)
    ControlIds().erase(FControlId);
  FControlId = 0;
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
  control->ParentFontChanged();
  control->ParentColorChanged();
  control->UpdateAnchorRules();
  if (auto *child = dynamic_cast<TWinControl *>(control)) {
    if (child->FHandle)
      ::SetParent(child->FHandle, Handle()); // a window moving from one parent to another
    else if (FHandle)
      child->CreateHandle();
  }
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

RECT TWinControl::ClientRect() {
  RECT rect = {0, 0, 0, 0};
  if (FHandle) {
    GetClientRect(FHandle, &rect);
    return rect;
  }
  TCreateParams params;
  CreateParams(params);
  RECT frame = {0, 0, 0, 0};
  AdjustWindowRectEx(&frame, params.Style & ~WS_VISIBLE, HasMenuBar(), params.ExStyle);
  RECT border = NonClientBorder();
  rect.right = std::max(0L, Width() - (frame.right - frame.left) - border.left - border.right);
  rect.bottom = std::max(0L, Height() - (frame.bottom - frame.top) - border.top - border.bottom);
  return rect;
}

RECT TWinControl::NonClientBorder() {
  int bevel = NonClientBevel();
  return {bevel, bevel, bevel, bevel};
}

void TWinControl::SetClientSize(int width, int height) {
  RECT client = ClientRect();
  SetBounds(Left(), Top(), Width() + width - client.right, Height() + height - client.bottom);
}

POINT TWinControl::ClientToScreen(POINT point) {
  ::ClientToScreen(Handle(), &point);
  return point;
}

POINT TWinControl::ScreenToClient(POINT point) {
  ::ScreenToClient(Handle(), &point);
  return point;
}

RECT TWinControl::AdjustedClientRect() { return ClientRect(); }

void TWinControl::Realign() {
  if (FAligning) {
    FRealignPending = true;
    return;
  }
  ++FAligning;
  // A child that sizes itself to its content may ask for another pass; a few are always enough.
  for (int pass = 0; pass < 4; ++pass) {
    FRealignPending = false;
    AlignControls();
    if (!FRealignPending)
      break;
  }
  --FAligning;
  DoAutoSize();
}

void TWinControl::AlignControls() {
  RECT rect = AdjustedClientRect();
  for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) {
    std::vector<TControl *> group;
    for (TControl *control : FControls)
      if (control->FAlign == align && control->FVisible)
        group.push_back(control);
    // The most recently aligned (or brought to the front) is nearest the edge.
    std::stable_sort(group.begin(), group.end(),
                     [](TControl *a, TControl *b) { return a->FAlignOrder > b->FAlignOrder; });
    for (TControl *control : group) {
      int width = std::max(0L, rect.right - rect.left);
      int height = std::max(0L, rect.bottom - rect.top);
      switch (align) {
      case alTop:
        control->UpdateBounds(rect.left, rect.top, width, control->FHeight);
        rect.top += control->FHeight;
        break;
      case alBottom:
        control->UpdateBounds(rect.left, rect.bottom - control->FHeight, width, control->FHeight);
        rect.bottom -= control->FHeight;
        break;
      case alLeft:
        control->UpdateBounds(rect.left, rect.top, control->FWidth, height);
        rect.left += control->FWidth;
        break;
      case alRight:
        control->UpdateBounds(rect.right - control->FWidth, rect.top, control->FWidth, height);
        rect.right -= control->FWidth;
        break;
      default:
        control->UpdateBounds(rect.left, rect.top, width, height);
        break;
      }
    }
  }
  RECT client = ClientRect();
  for (TControl *control : FControls) {
    if (control->FAlign != alNone)
      continue;
    TAnchors anchors = control->FAnchors;
    int left = control->FLeft, top = control->FTop, width = control->FWidth, height = control->FHeight;
    if (anchors & akRight) {
      if (anchors & akLeft)
        width = client.right - control->FAnchorRight - left;
      else
        left = client.right - control->FAnchorRight - width;
    }
    if (anchors & akBottom) {
      if (anchors & akTop)
        height = client.bottom - control->FAnchorBottom - top;
      else
        top = client.bottom - control->FAnchorBottom - height;
    }
    control->UpdateBounds(left, top, width, height);
  }
}

void TWinControl::SetAutoSize(bool value) {
  FAutoSize = value;
  if (value)
    DoAutoSize();
}

void TWinControl::DoAutoSize() {
  if (!FAutoSize || FControls.empty())
    return;
  int right = 0, bottom = 0;
  bool any = false;
  for (TControl *control : FControls) {
    if (!control->FVisible)
      continue;
    any = true;
    right = std::max(right, control->FLeft + control->FWidth);
    bottom = std::max(bottom, control->FTop + control->FHeight);
  }
  if (!any)
    return;
  // The border on the far side: what lies between the children's area and the window's edge.
  RECT client = ClientRect();
  RECT adjusted = AdjustedClientRect();
  int width = right + (client.right - adjusted.right) + (Width() - client.right);
  int height = bottom + (client.bottom - adjusted.bottom) + (Height() - client.bottom);
  TAlign align = Align();
  if (align == alTop || align == alBottom || align == alClient)
    width = Width();
  if (align == alLeft || align == alRight || align == alClient)
    height = Height();
  if (width == Width() && height == Height())
    return;
  UpdateBounds(Left(), Top(), width, height);
  RequestAlign();
}

RECT TWinControl::WindowBounds() {
  RECT rect;
  GetWindowRect(FHandle, &rect);
  if (Parent() && Parent()->FHandle)
    MapWindowPoints(HWND_DESKTOP, Parent()->FHandle, reinterpret_cast<POINT *>(&rect), 2);
  return rect;
}

void TWinControl::BoundsChanged() {
  if (!FHandle) {
    Realign();
    return;
  }
  // The window's WM_SIZE lays the children out.
  RECT rect = WindowBounds();
  if (rect.left != Left() || rect.top != Top() || rect.right - rect.left != Width() ||
      rect.bottom - rect.top != Height())
    SetWindowPos(FHandle, nullptr, Left(), Top(), Width(), Height(), SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWinControl::VisibleChanged() {
  if (FHandle)
    ShowWindow(FHandle, Visible() ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::EnabledChanged() {
  if (FHandle)
    EnableWindow(FHandle, Enabled());
}

void TWinControl::ColorChanged() { Perform(CM_COLORCHANGED); }

void TWinControl::FontChanged() {
  if (FHandle && SendsFontToWindow())
    SendMessageA(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), TRUE);
  Invalidate();
  for (TControl *control : FControls)
    control->ParentFontChanged();
}

void TWinControl::TextChanged() {
  if (!FHandle)
    return;
  if (FUnicode)
    SetWindowTextW(FHandle, Utf8ToWide(FText).c_str());
  else
    SetWindowTextA(FHandle, FText.c_str());
  if (FOwnClass)
    Invalidate();
}

void TWinControl::SetBorderStyle(TBorderStyle value) {
  if (value == FBorderStyle)
    return;
  FBorderStyle = value;
  if (FHandle) {
    LONG_PTR ex = GetWindowLongPtrA(FHandle, GWL_EXSTYLE);
    ex = value == bsSingle ? (ex | WS_EX_CLIENTEDGE) : (ex & ~static_cast<LONG_PTR>(WS_EX_CLIENTEDGE));
    SetWindowLongPtrA(FHandle, GWL_EXSTYLE, ex);
    FrameChanged();
  }
}

void TWinControl::SetBevelKind(TBevelKind value) {
  if (value != FBevelKind) {
    FBevelKind = value;
    FrameChanged();
  }
}

void TWinControl::SetBevelInner(TBevelCut value) {
  if (value != FBevelInner) {
    FBevelInner = value;
    FrameChanged();
  }
}

void TWinControl::SetBevelOuter(TBevelCut value) {
  if (value != FBevelOuter) {
    FBevelOuter = value;
    FrameChanged();
  }
}

void TWinControl::SetBevelWidth(int value) {
  if (value > 0 && value != FBevelWidth) {
    FBevelWidth = value;
    FrameChanged();
  }
}

void TWinControl::FrameChanged() {
  if (FHandle)
    SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  else
    Realign();
}

int TWinControl::NonClientBevel() const {
  if (FBevelKind == bkNone)
    return 0;
  int size = 0;
  if (FBevelInner != bvNone)
    size += FBevelWidth;
  if (FBevelOuter != bvNone)
    size += FBevelWidth;
  return size;
}

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

void TWinControl::Invalidate() {
  if (FHandle)
    InvalidateRect(FHandle, nullptr, TRUE);
}

void TWinControl::Repaint() {
  if (FHandle) {
    RedrawWindow(FHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
  }
}

void TWinControl::Update() {
  if (FHandle)
    UpdateWindow(FHandle);
}

LRESULT TWinControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
  TMessage message{msg, wParam, lParam, 0};
  WndProc(message);
  return message.Result;
}

UINT TWinControl::TrackPopup(HMENU menu, POINT screen, UINT flags) {
  return static_cast<UINT>(::TrackPopupMenu(menu, flags, screen.x, screen.y, 0, Handle(), nullptr));
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
  WNDPROC proc = FDefWndProc ? FDefWndProc : (FUnicode ? DefWindowProcW : DefWindowProcA);
  message.Result = FUnicode ? CallWindowProcW(proc, FHandle, message.Msg, message.WParam, message.LParam)
                            : CallWindowProcA(proc, FHandle, message.Msg, message.WParam, message.LParam);
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

HBRUSH TWinControl::ColorBrush() {
  COLORREF rgb = ColorToRGB(Color());
  if (!FBrush || rgb != FBrushColor) {
    FBrush.Reset(CreateSolidBrush(rgb));
    FBrushColor = rgb;
  }
  return FBrush.Get();
}

void TWinControl::Paint() {
  FCanvas.BrushColor = Color();
  FCanvas.FillRect(ClientRect());
}

void TWinControl::PaintTo(HDC dc) {
  FCanvas.Font.Assign(Font());
  TCanvasHandleScope lent(FCanvas, dc);
  Paint();
}

void TWinControl::WndProc(TMessage &message) {
  // WM_MOUSEMOVE and the button messages of the three buttons.
  if (message.Msg >= WM_MOUSEFIRST && message.Msg <= WM_MBUTTONDBLCLK)
    return HandleMouse(message);
  switch (message.Msg) {
  case WM_NOTIFY:
    return WMNotify(message);
  case WM_COMMAND:
    return WMCommand(message);
  case WM_DRAWITEM:
    return WMDrawItem(message);
  case WM_MEASUREITEM:
    return WMMeasureItem(message);
  case WM_CTLCOLOREDIT:
  case WM_CTLCOLORSTATIC:
  case WM_CTLCOLORLISTBOX:
  case WM_CTLCOLORBTN:
    return WMCtlColor(message);
  case CN_CTLCOLOREDIT:
  case CN_CTLCOLORSTATIC:
  case CN_CTLCOLORLISTBOX:
  case CN_CTLCOLORBTN:
    return CNCtlColor(message);
  case WM_INITMENUPOPUP:
  case WM_MENUSELECT:
  case WM_MENUCHAR:
    return MenuMessage(message);
  case WM_NOTIFYFORMAT:
    return WMNotifyFormat(message);
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
  case WM_SETCURSOR:
    return HandleSetCursor(message);
  case WM_CONTEXTMENU:
    return HandleContextMenu(message);
  case WM_MOUSEWHEEL:
    return WMMouseWheel(message);
  case WM_GETDLGCODE:
    return WMGetDlgCode(message);
  case CN_KEYDOWN:
    return CNKeyDown(message);
  case CM_WANTSPECIALKEY:
    return CMWantSpecialKey(message);
  case WM_KEYDOWN:
  case WM_SYSKEYDOWN:
  case WM_KEYUP:
  case WM_SYSKEYUP:
  case WM_CHAR:
    return HandleKey(message);
  case WM_CANCELMODE:
    return WMCancelMode(message);
  case WM_SETFOCUS:
  case WM_KILLFOCUS:
    return WMFocus(message);
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
  auto found = ControlIds().find(item->CtlID);
  if (found != ControlIds().end() && found->second->Parent() == this && ReflectToChild(found->second->FHandle, message))
    return;
  ChildNotify(GetDlgItem(FHandle, static_cast<int>(item->CtlID)), message);
}

void TWinControl::WMCtlColor(TMessage &message) {
  auto from = reinterpret_cast<HWND>(message.LParam);
  if (!ReflectToChild(from, message))
    ChildNotify(from, message);
}

void TWinControl::CNCtlColor(TMessage &message) {
  HDC dc = reinterpret_cast<HDC>(message.WParam);
  SetTextColor(dc, ColorToRGB(Font().Color()));
  SetBkColor(dc, ColorToRGB(Color()));
  message.Result = reinterpret_cast<LRESULT>(ColorBrush());
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

void TWinControl::WMEraseBkgnd(TMessage &message) {
  if (!FOwnClass)
    return DefaultHandler(message);
  // Painted whole in WM_PAINT: erasing first would only flicker.
  message.Result = 1;
}

void TWinControl::WMPaint(TMessage &message) {
  if (!FOwnClass)
    return DefaultHandler(message);
  TPaintScope paint(FHandle);
  PaintTo(paint.DC());
  message.Result = 0;
}

void TWinControl::WMPrintClient(TMessage &message) {
  if (!FOwnClass)
    return DefaultHandler(message);
  PaintTo(reinterpret_cast<HDC>(message.WParam));
  message.Result = 0;
}

void TWinControl::WMSizeOrMove(TMessage &message) {
  DefaultHandler(message);
  if (!FHandle || message.WParam == SIZE_MINIMIZED)
    return;
  RECT rect = WindowBounds();
  UpdateBounds(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
  if (message.Msg == WM_SIZE)
    Realign();
}

namespace {

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

bool TWinControl::IsDialogKey(const MSG &msg) {
  // Not while the mouse is captured (a drag in progress).
  if (msg.message != WM_KEYDOWN || GetCapture())
    return false;
  // The key goes to a toolkit control, or to a window of a system control's own (its in-place edit): the
  // nearest toolkit control decides.
  TWinControl *control = nullptr;
  for (HWND wnd = msg.hwnd; wnd && !control;
       wnd = (GetWindowLongPtrW(wnd, GWL_STYLE) & WS_CHILD) ? GetParent(wnd) : nullptr)
    control = FindControl(wnd);
  return control && control->Perform(CN_KEYDOWN, msg.wParam, msg.lParam) != 0;
}

void TWinControl::CNKeyDown(TMessage &message) {
  message.Result = 0;
  auto key = static_cast<WORD>(message.WParam);
  UINT code = SpecialKeyCode(key);
  if (!code || !FHandle)
    return;
  MSG msg = {FHandle, WM_KEYDOWN, message.WParam, message.LParam, 0, {0, 0}};
  if (Perform(WM_GETDLGCODE, message.WParam, reinterpret_cast<LPARAM>(&msg)) & (code | DLGC_WANTMESSAGE))
    return;
  if (TopLevelControl()->DialogKey(key, KeyboardShiftState()))
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

void TWinControl::WMSysColorChange(TMessage &message) {
  Perform(CM_SYSCOLORCHANGE, message.WParam, message.LParam);
  message.Result = 0;
}

void TWinControl::CMSysColorChange(TMessage &message) {
  TMessage system{WM_SYSCOLORCHANGE, message.WParam, message.LParam, 0};
  DefaultHandler(system);
  Invalidate();
  // A copy: a child's handling may add or remove controls.
  std::vector<TControl *> children = FControls;
  for (TControl *control : children)
    if (auto *child = dynamic_cast<TWinControl *>(control))
      child->Perform(CM_SYSCOLORCHANGE, message.WParam, message.LParam);
}

void TWinControl::CMColorChanged(TMessage &) {
  Invalidate();
  for (TControl *control : FControls)
    control->ParentColorChanged();
}

void TWinControl::WMCancelMode(TMessage &message) {
  FClicked = false;
  if (GetCapture() == FHandle)
    ReleaseCapture();
  DefaultHandler(message);
}

void TWinControl::WMFocus(TMessage &message) {
  DefaultHandler(message);
  if (message.Msg == WM_SETFOCUS)
    DoEnter();
  else
    DoExit();
}

void TWinControl::WMNCDestroy(TMessage &message) {
  DefaultHandler(message);
  WindowGone();
}

void TWinControl::HandleNonClient(TMessage &message) {
  int bevel = NonClientBevel();
  if (!bevel)
    return DefaultHandler(message);
  if (message.Msg == WM_NCCALCSIZE) {
    // The bevel is the outermost frame; the window's own borders come inside it.
    auto *rect = reinterpret_cast<RECT *>(message.LParam);
    InflateRect(rect, -bevel, -bevel);
    DefaultHandler(message);
    return;
  }
  DefaultHandler(message);
  TWindowDC window(FHandle, true);
  if (!window.DC())
    return;
  RECT rect;
  GetWindowRect(FHandle, &rect);
  OffsetRect(&rect, -rect.left, -rect.top);
  UINT edge = 0;
  if (FBevelInner == bvLowered)
    edge |= BDR_SUNKENINNER;
  else if (FBevelInner == bvRaised)
    edge |= BDR_RAISEDINNER;
  if (FBevelOuter == bvLowered)
    edge |= BDR_SUNKENOUTER;
  else if (FBevelOuter == bvRaised)
    edge |= BDR_RAISEDOUTER;
  UINT flags = BF_RECT;
  if (FBevelKind == bkFlat)
    flags |= BF_FLAT;
  else if (FBevelKind == bkSoft)
    flags |= BF_SOFT;
  DrawEdge(window.DC(), &rect, edge, flags);
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

void TWinControl::DoEnter() {
  if (OnEnter)
    OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit)
    OnExit(this);
}
