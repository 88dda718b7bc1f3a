// A window control's place and its children's: the client area, the layout of aligned and anchored
// children (the rules themselves are in Layout.h), and sizing to the children.
#include "toolkit/WinControl.h"

#include <algorithm>
#include <optional>

#include "toolkit/AlignHold.h"
#include "toolkit/DrawingHold.h"
#include "toolkit/Layout.h"

namespace {

// Whether a child placed at given took another size along its edge than it was given (a window may refuse
// a size): the children after it along that edge were placed by the size given.
bool StackedSizeChanged(TAlign align, const RECT &given, const RECT &taken) {
  switch (align) {
  case alTop:
  case alBottom:
    return taken.bottom - taken.top != given.bottom - given.top;
  case alLeft:
  case alRight:
    return taken.right - taken.left != given.right - given.left;
  default:
    return false;
  }
}

// Whether a window of these styles has a frame around its client area.
bool HasFrame(DWORD style, DWORD exStyle) {
  return (style & (WS_BORDER | WS_DLGFRAME | WS_THICKFRAME)) ||
         (exStyle & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE | WS_EX_DLGMODALFRAME));
}

} // namespace

RECT TWinControl::ClientRect() {
  RECT rect = {0, 0, 0, 0};
  if (FHandle) {
    GetClientRect(FHandle, &rect);
    return rect;
  }
  TCreateParams params;
  CreateParams(params);
  RECT frame = {0, 0, 0, 0};
  const bool menu = HasMenuBar();
  // Most children have no frame, and the platform's answer costs a call into the system (a few hundred of them
  // while a window's controls are made).
  if (menu || HasFrame(params.Style, params.ExStyle))
    AdjustWindowRectEx(&frame, params.Style & ~WS_VISIBLE, menu, params.ExStyle);
  RECT border = NonClientBorder();
  rect.right = std::max(0L, Width() - (frame.right - frame.left) - border.left - border.right);
  rect.bottom = std::max(0L, Height() - (frame.bottom - frame.top) - border.top - border.bottom);
  return rect;
}

RECT TWinControl::AdjustedClientRect() { return ClientRect(); }

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
    MakeChildWindows();
    if (!FRealignPending)
      break;
  }
  --FAligning;
  DoAutoSize();
}

void TWinControl::MakeChildWindows() {
  if (!FHandle)
    return;
  // Front to back: a child window comes up behind its siblings, so made in this order each one is in its place
  // at once and none has to be moved in the z-order.
  for (size_t i = FControls.size(); i-- > 0;)
    if (i < FControls.size())
      if (auto *child = dynamic_cast<TWinControl *>(FControls[i]); child && !child->FHandle)
        child->CreateHandle();
}

void TWinControl::AlignControls() {
  // A copy: the index of a placement refers to the children as they are now.
  std::vector<TControl *> children = FControls;
  std::vector<TLayoutItem> items;
  items.reserve(children.size());
  for (TControl *control : children)
    items.push_back({control->FAlign, control->FAlignOrder, control->FVisible, control->BoundsRect(), control->FAnchors,
                     control->FAnchorRight, control->FAnchorBottom});
  const std::vector<TLayoutPlacement> placements = ::AlignControls(AdjustedClientRect(), ClientRect(), items);
  // Children that move are moved with the window's drawing held: each would be drawn at once where it goes
  // (Wine draws a moved window's frame and its scroll bars there and then), and the window is drawn once
  // afterwards, children and all, instead. A top-level window is never held: its hold would hide it.
  std::optional<TDrawingHold> hold;
  for (const TLayoutPlacement &placement : placements) {
    const RECT &now = items[placement.Index].Bounds;
    if (Parent() && !EqualRect(&now, &placement.Bounds)) {
      hold.emplace(FHandle, true);
      break;
    }
  }
  for (const TLayoutPlacement &placement : placements) {
    TControl *control = children[placement.Index];
    const RECT &bounds = placement.Bounds;
    control->UpdateBounds(bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top);
    if (StackedSizeChanged(control->FAlign, bounds, control->BoundsRect()))
      FRealignPending = true;
  }
}

void TWinControl::EnableAlign() {
  if (--FAligning == 0)
    Realign();
}

void TWinControl::ChangeScale(int newPPI, int oldPPI) {
  TAlignHold hold{this};
  TControl::ChangeScale(newPPI, oldPPI);
  FBevelWidth = std::max(1, MulDiv(FBevelWidth, newPPI, oldPPI));
  // A copy: a child's scaling may add or remove controls.
  std::vector<TControl *> children = FControls;
  for (TControl *control : children)
    control->ChangeScale(newPPI, oldPPI);
  // The border the window keeps around its client area may be of another width now.
  FrameChanged();
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

void TWinControl::WMSizeOrMove(TMessage &message) {
  DefaultHandler(message);
  if (!FHandle || message.WParam == SIZE_MINIMIZED)
    return;
  RECT rect = WindowBounds();
  UpdateBounds(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
  if (message.Msg == WM_SIZE)
    Realign();
}
