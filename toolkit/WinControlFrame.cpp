// The frame of a window control: its border style and the bevel drawn in its non-client area.
#include "toolkit/WinControl.h"

namespace {

// DrawEdge's edge for the bevel's inner and outer cuts.
UINT BevelEdge(TBevelCut inner, TBevelCut outer) {
  UINT edge = 0;
  if (inner == bvLowered)
    edge |= BDR_SUNKENINNER;
  else if (inner == bvRaised)
    edge |= BDR_RAISEDINNER;
  if (outer == bvLowered)
    edge |= BDR_SUNKENOUTER;
  else if (outer == bvRaised)
    edge |= BDR_RAISEDOUTER;
  return edge;
}

UINT BevelFlags(TBevelKind kind) {
  UINT flags = BF_RECT;
  if (kind == bkFlat)
    flags |= BF_FLAT;
  else if (kind == bkSoft)
    flags |= BF_SOFT;
  return flags;
}

} // namespace

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

RECT TWinControl::NonClientBorder() {
  int bevel = NonClientBevel();
  return {bevel, bevel, bevel, bevel};
}

bool TWinControl::HasNonClientArea() const {
  RECT window, client;
  if (!GetWindowRect(FHandle, &window) || !GetClientRect(FHandle, &client))
    return true;
  return window.right - window.left != client.right || window.bottom - window.top != client.bottom;
}

void TWinControl::HandleNonClient(TMessage &message) {
  int bevel = NonClientBevel();
  if (!bevel) {
    // A window whose client area is all of it has nothing else to draw; the platform would still take a
    // window DC for it (a round trip to its server under Wine) at every paint.
    if (message.Msg == WM_NCPAINT && !HasNonClientArea()) {
      message.Result = 0;
      return;
    }
    return DefaultHandler(message);
  }
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
  if (FBevelWidth == 1) {
    DrawEdge(window.DC(), &rect, BevelEdge(FBevelInner, FBevelOuter), BevelFlags(FBevelKind));
    return;
  }
  // Wider cuts (on a screen of many dots per inch): the platform draws one pixel of a cut at a time, the
  // outer cut first.
  for (UINT edge : {BevelEdge(bvNone, FBevelOuter), BevelEdge(FBevelInner, bvNone)})
    for (int i = 0; edge && i < FBevelWidth; ++i) {
      DrawEdge(window.DC(), &rect, edge, BevelFlags(FBevelKind));
      InflateRect(&rect, -1, -1);
    }
}
