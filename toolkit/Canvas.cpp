#include "toolkit/Canvas.h"

#include "toolkit/Handles.h"
#include "toolkit/SysUtils.h"

TCanvas::~TCanvas() { RestoreObjects(); }

void TCanvas::SetHandle(HDC dc) {
  if (dc == FHandle)
    return;
  RestoreObjects();
  FHandle = dc;
}

void TCanvas::RestoreObjects() {
  if (FHandle && FOldFont)
    SelectObject(FHandle, FOldFont);
  FOldFont = nullptr;
}

void TCanvas::SelectFont() {
  HGDIOBJ previous = SelectObject(FHandle, Font.Handle());
  if (!FOldFont)
    FOldFont = previous;
  SetTextColor(FHandle, ColorToRGB(Font.Color()));
  SetBkMode(FHandle, TRANSPARENT);
}

void TCanvas::FillRect(const RECT &rect) {
  if (!FHandle || BrushColor == clNone)
    return;
  TGdiObject<HBRUSH> brush(CreateSolidBrush(ColorToRGB(BrushColor)));
  ::FillRect(FHandle, &rect, brush.Get());
}

void TCanvas::FrameRect(const RECT &rect) {
  if (!FHandle || BrushColor == clNone)
    return;
  TGdiObject<HBRUSH> brush(CreateSolidBrush(ColorToRGB(BrushColor)));
  ::FrameRect(FHandle, &rect, brush.Get());
}

void TCanvas::MoveTo(int x, int y) {
  if (FHandle)
    MoveToEx(FHandle, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
  if (!FHandle)
    return;
  TGdiObject<HPEN> pen(CreatePen(PS_SOLID, PenWidth, ColorToRGB(PenColor)));
  HGDIOBJ old = SelectObject(FHandle, pen.Get());
  ::LineTo(FHandle, x, y);
  SelectObject(FHandle, old);
}

void TCanvas::Polygon(const POINT *points, int count) {
  if (!FHandle || count < 2)
    return;
  // Deleting a stock object does nothing, so the owners may hold those too.
  TGdiObject<HBRUSH> brush(BrushColor == clNone ? static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))
                                                : CreateSolidBrush(ColorToRGB(BrushColor)));
  TGdiObject<HPEN> pen(PenColor == clNone ? static_cast<HPEN>(GetStockObject(NULL_PEN))
                                          : CreatePen(PS_SOLID, PenWidth, ColorToRGB(PenColor)));
  HGDIOBJ oldBrush = SelectObject(FHandle, brush.Get());
  HGDIOBJ oldPen = SelectObject(FHandle, pen.Get());
  ::Polygon(FHandle, points, count);
  SelectObject(FHandle, oldPen);
  SelectObject(FHandle, oldBrush);
}

void TCanvas::Polyline(const POINT *points, int count) {
  if (!FHandle || count < 2 || PenColor == clNone)
    return;
  TGdiObject<HPEN> pen(CreatePen(PS_SOLID, PenWidth, ColorToRGB(PenColor)));
  HGDIOBJ old = SelectObject(FHandle, pen.Get());
  ::Polyline(FHandle, points, count);
  SelectObject(FHandle, old);
}

void TCanvas::TextOut(int x, int y, const std::string &text) {
  if (!FHandle)
    return;
  SelectFont();
  std::wstring wide = Utf8ToWide(text);
  ExtTextOutW(FHandle, x, y, 0, nullptr, wide.c_str(), static_cast<UINT>(wide.size()), nullptr);
}

void TCanvas::TextRect(const RECT &rect, const std::string &text, UINT format) {
  if (!FHandle)
    return;
  SelectFont();
  std::wstring wide = Utf8ToWide(text);
  RECT r = rect;
  DrawTextW(FHandle, wide.c_str(), static_cast<int>(wide.size()), &r, format);
}

RECT TCanvas::MeasureText(const RECT &rect, const std::string &text, UINT format) {
  RECT r = rect;
  if (!FHandle)
    return r;
  SelectFont();
  std::wstring wide = Utf8ToWide(text);
  DrawTextW(FHandle, wide.c_str(), static_cast<int>(wide.size()), &r, format | DT_CALCRECT);
  return r;
}

SIZE TCanvas::TextExtent(const std::string &text) {
  SIZE size = {0, 0};
  if (!FHandle)
    return size;
  SelectFont();
  std::wstring wide = Utf8ToWide(text);
  GetTextExtentPoint32W(FHandle, wide.c_str(), static_cast<int>(wide.size()), &size);
  return size;
}
