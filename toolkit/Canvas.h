#pragma once
// Drawing surface over a device context: brush colour, pen colour and font applied on each drawing call.
#include <windows.h>

#include <string>

#include "toolkit/Font.h"
#include "toolkit/Graphics.h"

class TCanvas {
public:
  TCanvas() = default;
  explicit TCanvas(HDC dc) : FHandle(dc) {}
  ~TCanvas();
  TCanvas(const TCanvas &) = delete;
  TCanvas &operator=(const TCanvas &) = delete;

  // The device context drawn on; not owned (the caller releases it). Setting another one restores the
  // objects selected into the previous one.
  HDC Handle() const { return FHandle; }
  void SetHandle(HDC dc);

  TColor BrushColor = clWhite;
  TColor PenColor = clBlack;
  // Pixels; lines wider than one are centred on their points.
  int PenWidth = 1;
  TFont Font;

  void FillRect(const RECT &rect);
  // A one-pixel frame in the brush colour.
  void FrameRect(const RECT &rect);
  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  // Text (UTF-8) at x, y with a transparent background.
  void TextOut(int x, int y, const std::string &text);
  // A closed figure through the points, filled with the brush colour (unless clNone) and outlined with the
  // pen colour (unless clNone).
  void Polygon(const POINT *points, int count);
  // Lines through the points in the pen colour, the last point not drawn (as LineTo).
  void Polyline(const POINT *points, int count);
  // Text clipped to rect and placed by DrawText flags.
  void TextRect(const RECT &rect, const std::string &text, UINT format);
  // The rectangle the text takes when drawn in rect with these DrawText flags (DT_CALCRECT is added): its
  // left and top stay, right and bottom are the text's extent.
  RECT MeasureText(const RECT &rect, const std::string &text, UINT format);
  SIZE TextExtent(const std::string &text);
  int TextWidth(const std::string &text) { return TextExtent(text).cx; }
  int TextHeight(const std::string &text) { return TextExtent(text).cy; }

private:
  void SelectFont();
  void RestoreObjects();

  HDC FHandle = nullptr;
  HGDIOBJ FOldFont = nullptr;
};

// Lends a device context to a canvas for one scope: the canvas lets go of it (putting back what it
// selected into it) on every exit path.
class TCanvasHandleScope {
public:
  TCanvasHandleScope(TCanvas &canvas, HDC dc) : FCanvas(canvas) { canvas.SetHandle(dc); }
  ~TCanvasHandleScope() { FCanvas.SetHandle(nullptr); }
  TCanvasHandleScope(const TCanvasHandleScope &) = delete;
  TCanvasHandleScope &operator=(const TCanvasHandleScope &) = delete;

private:
  TCanvas &FCanvas;
};
