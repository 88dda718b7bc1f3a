// Painting a window control: its client area on the toolkit's own windows, its colours, its font.
#include "toolkit/WinControl.h"

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

void TWinControl::Paint() {
  FCanvas.BrushColor = Color();
  FCanvas.FillRect(ClientRect());
}

void TWinControl::PaintTo(HDC dc) {
  FCanvas.Font.Assign(Font());
  TCanvasHandleScope lent(FCanvas, dc);
  Paint();
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

HBRUSH TWinControl::ColorBrush() {
  COLORREF rgb = ColorToRGB(Color());
  if (!FBrush || rgb != FBrushColor) {
    FBrush.Reset(CreateSolidBrush(rgb));
    FBrushColor = rgb;
  }
  return FBrush.Get();
}

void TWinControl::CNCtlColor(TMessage &message) {
  HDC dc = reinterpret_cast<HDC>(message.WParam);
  SetTextColor(dc, ColorToRGB(Font().Color()));
  SetBkColor(dc, ColorToRGB(Color()));
  message.Result = reinterpret_cast<LRESULT>(ColorBrush());
}

void TWinControl::ColorChanged() { Perform(CM_COLORCHANGED); }

void TWinControl::CMColorChanged(TMessage &) {
  Invalidate();
  for (TControl *control : FControls)
    control->ParentColorChanged();
}

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

void TWinControl::FontChanged() {
  if (FHandle && SendsFontToWindow())
    SendMessageA(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), TRUE);
  Invalidate();
  for (TControl *control : FControls)
    control->ParentFontChanged();
}
