#include "toolkit/Panel.h"

#include <algorithm>

namespace {

// A frame of the given width, light on the top and left edges, dark on the bottom and right; shrinks rect
// to what lies inside it.
void Frame3D(TCanvas &canvas, RECT &rect, TColor topLeft, TColor bottomRight, int width) {
  for (int i = 0; i < width; ++i) {
    RECT r = rect;
    canvas.BrushColor = topLeft;
    canvas.FillRect({r.left, r.top, r.right - 1, r.top + 1});
    canvas.FillRect({r.left, r.top, r.left + 1, r.bottom - 1});
    canvas.BrushColor = bottomRight;
    canvas.FillRect({r.right - 1, r.top, r.right, r.bottom});
    canvas.FillRect({r.left, r.bottom - 1, r.right, r.bottom});
    InflateRect(&rect, -1, -1);
  }
}

void Bevel(TCanvas &canvas, RECT &rect, TBevelCut cut, int width) {
  switch (cut) {
  case bvLowered:
    Frame3D(canvas, rect, clBtnShadow, clBtnHighlight, width);
    break;
  case bvRaised:
    Frame3D(canvas, rect, clBtnHighlight, clBtnShadow, width);
    break;
  case bvSpace:
    InflateRect(&rect, -width, -width);
    break;
  case bvNone:
    break;
  }
}

} // namespace

TPanel::TPanel(TComponent *AOwner) : TWinControl(AOwner) {
  UpdateBounds(0, 0, ScaleValue(185), ScaleValue(41));
  FPanelBevelWidth = ScaleValue(FPanelBevelWidth);
}

void TPanel::ChangeScale(int newPPI, int oldPPI) {
  FPanelBevelWidth = std::max(1, MulDiv(FPanelBevelWidth, newPPI, oldPPI));
  FBorderWidth = MulDiv(FBorderWidth, newPPI, oldPPI);
  TWinControl::ChangeScale(newPPI, oldPPI);
  Invalidate();
}

void TPanel::CreateParams(TCreateParams &params) {
  TWinControl::CreateParams(params);
  params.WinClassName = "TPanel";
}

void TPanel::SetBevelOuter(TBevelCut value) {
  if (value != FPanelBevelOuter) {
    FPanelBevelOuter = value;
    BevelsChanged();
  }
}

void TPanel::SetBevelInner(TBevelCut value) {
  if (value != FPanelBevelInner) {
    FPanelBevelInner = value;
    BevelsChanged();
  }
}

void TPanel::SetBevelWidth(int value) {
  if (value > 0 && value != FPanelBevelWidth) {
    FPanelBevelWidth = value;
    BevelsChanged();
  }
}

void TPanel::SetBorderWidth(int value) {
  if (value >= 0 && value != FBorderWidth) {
    FBorderWidth = value;
    BevelsChanged();
  }
}

void TPanel::BevelsChanged() {
  Realign();
  Invalidate();
}

RECT TPanel::AdjustedClientRect() {
  RECT rect = ClientRect();
  int inset = FBorderWidth;
  if (FPanelBevelOuter != bvNone)
    inset += FPanelBevelWidth;
  if (FPanelBevelInner != bvNone)
    inset += FPanelBevelWidth;
  InflateRect(&rect, -inset, -inset);
  return rect;
}

void TPanel::Paint() {
  TCanvas &canvas = Canvas();
  RECT rect = ClientRect();
  Bevel(canvas, rect, FPanelBevelOuter, FPanelBevelWidth);
  if (FBorderWidth > 0) {
    Frame3D(canvas, rect, Color(), Color(), FBorderWidth);
  }
  Bevel(canvas, rect, FPanelBevelInner, FPanelBevelWidth);
  canvas.BrushColor = Color();
  canvas.FillRect(rect);
  std::string caption = Caption();
  if (!caption.empty())
    canvas.TextRect(rect, caption, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}
