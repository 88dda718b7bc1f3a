#include "widgets/KdCustomGroup.h"

#include <algorithm>
#include <initializer_list>

#include "toolkit/Classes.h"
#include "toolkit/Handles.h"

namespace {

// Border each style takes from the window (left, top, right, bottom) at 96 dpi; the group style's top border
// is the caption's height and is measured.
constexpr RECT FrameInsets[KdFrameStyleCount] = {
    {0, 0, 0, 0}, // kdfsNone
    {2, 2, 2, 2}, // kdfsGroup
    {2, 2, 2, 2}, // kdfsLowered
    {2, 2, 2, 2}, // kdfsRaised
    {1, 1, 1, 1}, // kdfsDint
    {1, 1, 1, 1}, // kdfsBump
    {1, 1, 1, 1}, // kdfsSingle
    {0, 2, 0, 0}, // kdfsHorzLine
    {0, 2, 0, 2}, // kdfsHorzEdge
    {2, 0, 0, 0}, // kdfsVertLine
    {2, 0, 2, 0}, // kdfsVertEdge
};

constexpr UINT AlignmentFlags[] = {DT_LEFT, DT_RIGHT, DT_CENTER};

// Draws the lines of a frame given in pixels at 96 dpi on a window of Scale screen pixels to each of them:
// every such pixel becomes a square of Scale by Scale, counted from the nearer edge of the window. At twice
// 96 dpi the frame is the one at 96 dpi with every pixel doubled, and at 96 dpi exactly what the platform
// draws for the same lines.
class TScaledLines {
public:
  // window: the whole window (right and bottom exclusive) in the canvas's coordinates.
  TScaledLines(TCanvas &canvas, const RECT &window, int scale)
      : FCanvas(canvas), FWindow(window), FScale(std::max(1, scale)), FLastX((window.right - window.left) / FScale - 1),
        FLastY((window.bottom - window.top) / FScale - 1) {}

  // The outermost pixel columns and rows in 96-dpi pixels: 0, 0, and these.
  LONG LastX() const { return FLastX; }
  LONG LastY() const { return FLastY; }

  // A polyline without its last point, as the platform draws one; its segments run along the axes.
  void Line(TColor color, std::initializer_list<POINT> points) {
    FCanvas.BrushColor = color;
    for (const POINT *a = points.begin(), *b = a + 1; b < points.end(); ++a, ++b) {
      // The pixels from a towards b, b left out.
      const LONG x0 = a->x < b->x ? a->x : a->x > b->x ? b->x + 1 : a->x;
      const LONG x1 = a->x < b->x ? b->x - 1 : a->x;
      const LONG y0 = a->y < b->y ? a->y : a->y > b->y ? b->y + 1 : a->y;
      const LONG y1 = a->y < b->y ? b->y - 1 : a->y;
      if ((a->x != b->x || a->y != b->y) && x0 <= x1 && y0 <= y1)
        FCanvas.FillRect({Start(x0, FLastX, FWindow.left, FWindow.right),
                          Start(y0, FLastY, FWindow.top, FWindow.bottom),
                          Start(x1, FLastX, FWindow.left, FWindow.right) + FScale,
                          Start(y1, FLastY, FWindow.top, FWindow.bottom) + FScale});
    }
  }

  // A one-pixel outline just inside the rectangle (right and bottom exclusive); nothing for an empty one.
  void Outline(TColor color, LONG left, LONG top, LONG right, LONG bottom) {
    if (right > left && bottom > top)
      Line(color, {{left, top}, {right - 1, top}, {right - 1, bottom - 1}, {left, bottom - 1}, {left, top}});
  }

private:
  // Where the square of the 96-dpi pixel v (of 0 ... last) starts between the window's edges from and to.
  LONG Start(LONG v, LONG last, LONG from, LONG to) const {
    return v <= last / 2 ? from + v * FScale : to - (last - v + 1) * FScale;
  }

  TCanvas &FCanvas;
  RECT FWindow;
  int FScale;
  LONG FLastX;
  LONG FLastY;
};

// The text height of "0" in font, on a device context of the screen (the window may not exist yet).
int TextHeightOfZero(const TFont &font) {
  TWindowDC screen;
  TCanvas canvas(screen.DC());
  canvas.Font.Assign(font);
  return canvas.TextHeight("0");
}

[[noreturn]] void ReadError() { throw EReadError("Invalid property value"); }

} // namespace

TKdCustomGroup::TKdCustomGroup(TComponent *AOwner) : TWinControl(AOwner) {
  UpdateBounds(0, 0, ScaleValue(64), ScaleValue(48));
  FFrameSpace = ScaleValue(FFrameSpace);
}

int TKdCustomGroup::LineWidth() const { return std::max(1, ScaleValue(1)); }

void TKdCustomGroup::ChangeScale(int newPPI, int oldPPI) {
  FFrameSpace = MulDiv(FFrameSpace, newPPI, oldPPI);
  // The border is measured anew with the window's frame, which the base has recalculated.
  TWinControl::ChangeScale(newPPI, oldPPI);
  Invalidate();
}

void TKdCustomGroup::SetAlignment(TAlignment value) {
  // A number beyond the alignments would pick no text placement at all.
  if (value > taCenter)
    return;
  FAlignment = value;
  Invalidate();
}

void TKdCustomGroup::SetFrameSpace(int value) {
  FFrameSpace = value;
  Invalidate();
}

void TKdCustomGroup::SetFrameStyle(TKdFrameStyle value) {
  if (value >= KdFrameStyleCount || value == FFrameStyle)
    return;
  FFrameStyle = value;
  FFrameStyleChanged = true;
  if (HandleAllocated())
    RecreateWnd();
  else
    Realign();
}

void TKdCustomGroup::EnableChildren(bool enabled) {
  for (int i = 0; i < ControlCount(); ++i)
    Controls(i)->SetEnabled(enabled);
}

void TKdCustomGroup::FrameChanged() {
  if (HandleAllocated())
    SetWindowPos(WindowHandle(), nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  // Without a window the border still decides where the aligned children go.
  else
    Realign();
}

void TKdCustomGroup::CreateParams(TCreateParams &params) {
  TWinControl::CreateParams(params);
  params.WinClassName = "TKdGroup";
  // Whether a new size repaints everything is WM_NCCALCSIZE's answer: only a caption cut to the width needs
  // it, and the children are spared the flicker.
  params.ClassStyle &= ~(CS_HREDRAW | CS_VREDRAW);
  params.ExStyle |= WS_EX_CONTROLPARENT;
}

int TKdCustomGroup::GroupTopBorder() {
  const int least = 2 * LineWidth();
  if (Caption().empty())
    return least;
  return std::max(least, TextHeightOfZero(Font()));
}

RECT TKdCustomGroup::NonClientBorder() {
  const RECT &inset = FrameInsets[FFrameStyle];
  const LONG line = LineWidth();
  RECT border = {inset.left * line, inset.top * line, inset.right * line, inset.bottom * line};
  if (FFrameStyle == kdfsGroup)
    border.top = GroupTopBorder();
  return border;
}

void TKdCustomGroup::WndProc(TMessage &message) {
  switch (message.Msg) {
  case WM_NCCALCSIZE:
    TWinControl::WndProc(message);
    CalcNonClientSize(message);
    return;
  case WM_NCPAINT:
    TWinControl::WndProc(message);
    PaintNonClient();
    return;
  case WM_PRINT:
    PrintWindowTo(message);
    return;
  default:
    TWinControl::WndProc(message);
    return;
  }
}

void TKdCustomGroup::CalcNonClientSize(TMessage &message) {
  auto *rect = reinterpret_cast<RECT *>(message.LParam);
  RECT border = NonClientBorder();
  // A window smaller than its border gets an empty client area, never an inverted one.
  rect->left = std::min(rect->left + border.left, rect->right);
  rect->top = std::min(rect->top + border.top, rect->bottom);
  rect->right = std::max(rect->right - border.right, rect->left);
  rect->bottom = std::max(rect->bottom - border.bottom, rect->top);
  // A caption is cut to the width, and a new style's first border is drawn on nothing yet: redraw all. The
  // answer counts only when the client area is being placed (wParam true).
  if (message.WParam && (!Caption().empty() || FFrameStyleChanged)) {
    message.Result |= WVR_REDRAW;
    FFrameStyleChanged = false;
  }
}

void TKdCustomGroup::PaintNonClient() {
  if (!HandleAllocated())
    return;
  TWindowDC window(WindowHandle(), true);
  if (window.DC())
    PaintFrameOn(window.DC());
}

void TKdCustomGroup::PaintFrameOn(HDC dc) {
  HWND wnd = WindowHandle();
  RECT window;
  GetWindowRect(wnd, &window);
  RECT client;
  GetClientRect(wnd, &client);
  MapWindowPoints(wnd, HWND_DESKTOP, reinterpret_cast<POINT *>(&client), 2);
  OffsetRect(&client, -window.left, -window.top);
  OffsetRect(&window, -window.left, -window.top);
  int saved = SaveDC(dc);
  // Only the frame: never past the window's edges (a printed window may be drawn on a larger surface), never
  // over the client area.
  IntersectClipRect(dc, window.left, window.top, window.right, window.bottom);
  ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
  {
    TCanvas canvas(dc);
    PaintFrame(canvas, window);
  }
  RestoreDC(dc, saved);
}

void TKdCustomGroup::PrintWindowTo(TMessage &message) {
  HWND wnd = WindowHandle();
  auto dc = reinterpret_cast<HDC>(message.WParam);
  auto flags = static_cast<DWORD>(message.LParam);
  if (!wnd || !dc || ((flags & PRF_CHECKVISIBLE) && !IsWindowVisible(wnd)))
    return;
  if (!(flags & PRF_NONCLIENT)) {
    TWinControl::WndProc(message);
    return;
  }
  // The platform knows nothing of a frame painted in WM_NCPAINT: print it here, then have the client area and
  // the children printed where the client area lies in the window.
  PaintFrameOn(dc);
  RECT window;
  GetWindowRect(wnd, &window);
  POINT origin = {0, 0};
  ::ClientToScreen(wnd, &origin);
  RECT client;
  GetClientRect(wnd, &client);
  int saved = SaveDC(dc);
  OffsetViewportOrgEx(dc, origin.x - window.left, origin.y - window.top, nullptr);
  IntersectClipRect(dc, 0, 0, client.right, client.bottom);
  TMessage inner{WM_PRINT, message.WParam, static_cast<LPARAM>(flags & ~PRF_NONCLIENT), 0};
  TWinControl::WndProc(inner);
  RestoreDC(dc, saved);
  message.Result = inner.Result;
}

void TKdCustomGroup::PaintFrame(TCanvas &canvas, const RECT &rect) {
  canvas.BrushColor = Color();
  canvas.Font.Assign(Font());
  if (FFrameStyle == kdfsGroup) {
    DrawGroupFrame(canvas, {rect.left, rect.top, rect.right - 1, rect.bottom - 1}, Caption(), Enabled(), Color());
    return;
  }
  TScaledLines lines(canvas, rect, LineWidth());
  auto Line = [&lines](TColor color, std::initializer_list<POINT> points) { lines.Line(color, points); };
  // The outermost pixel columns and rows.
  const LONG L = 0, T = 0, Rt = lines.LastX(), B = lines.LastY();
  switch (FFrameStyle) {
  case kdfsNone:
  case kdfsGroup:
    break;
  case kdfsLowered:
    Line(clBtnShadow, {{L, B - 1}, {L, T}, {Rt, T}});
    Line(cl3DDkShadow, {{L + 1, B - 2}, {L + 1, T + 1}, {Rt - 1, T + 1}});
    Line(clBtnFace, {{L + 1, B - 1}, {Rt - 1, B - 1}, {Rt - 1, T}});
    Line(clBtnHighlight, {{L, B}, {Rt, B}, {Rt, T - 1}});
    break;
  case kdfsRaised:
    Line(clBtnHighlight, {{L, B - 1}, {L, T}, {Rt, T}});
    Line(clBtnFace, {{L + 1, B - 2}, {L + 1, T + 1}, {Rt - 1, T + 1}});
    Line(clBtnShadow, {{L + 1, B - 1}, {Rt - 1, B - 1}, {Rt - 1, T}});
    Line(cl3DDkShadow, {{L, B}, {Rt, B}, {Rt, T - 1}});
    break;
  case kdfsDint:
    Line(clBtnShadow, {{L, B - 1}, {L, T}, {Rt, T}});
    Line(clBtnHighlight, {{L, B}, {Rt, B}, {Rt, T - 1}});
    break;
  case kdfsBump:
    Line(clBtnHighlight, {{L, B - 1}, {L, T}, {Rt, T}});
    Line(clBtnShadow, {{L, B}, {Rt, B}, {Rt, T - 1}});
    break;
  case kdfsSingle:
    lines.Outline(clWindowFrame, L, T, Rt + 1, B + 1);
    break;
  case kdfsHorzLine:
    Line(clBtnShadow, {{L, T}, {Rt + 1, T}});
    Line(clBtnHighlight, {{L, T + 1}, {Rt + 1, T + 1}});
    break;
  case kdfsHorzEdge:
    Line(clBtnShadow, {{L, T}, {Rt + 1, T}});
    Line(clBtnShadow, {{L, B - 1}, {Rt + 1, B - 1}});
    Line(clBtnHighlight, {{L, T + 1}, {Rt + 1, T + 1}});
    Line(clBtnHighlight, {{L, B}, {Rt + 1, B}});
    break;
  case kdfsVertLine:
    Line(clBtnShadow, {{L, T}, {L, B + 1}});
    Line(clBtnHighlight, {{L + 1, T}, {L + 1, B + 1}});
    break;
  case kdfsVertEdge:
    Line(clBtnShadow, {{L, T}, {L, B + 1}});
    Line(clBtnShadow, {{Rt - 1, T}, {Rt - 1, B + 1}});
    Line(clBtnHighlight, {{L + 1, T}, {L + 1, B + 1}});
    Line(clBtnHighlight, {{Rt, T}, {Rt, B + 1}});
    break;
  }
}

void TKdCustomGroup::DrawGroupFrame(TCanvas &canvas, const RECT &rect, const std::string &caption, bool enabled,
                                    TColor color) {
  canvas.BrushColor = color;
  canvas.FillRect({rect.left, rect.top, rect.right + 1, rect.bottom + 1});
  const int line = LineWidth();
  const int h = caption.empty() ? 2 * line : std::max(2 * line, canvas.TextHeight("0"));
  TScaledLines lines(canvas, {rect.left, rect.top, rect.right + 1, rect.bottom + 1}, line);
  const LONG L = 0, T = 0, Rt = lines.LastX(), B = lines.LastY();
  // The etched line runs through the middle of the caption.
  const LONG top = T + h / line / 2 - 1;
  lines.Outline(clBtnHighlight, L + 1, top + 1, Rt + 1, B + 1);
  lines.Outline(clBtnShadow, L, top, Rt, B);
  if (caption.empty())
    return;
  RECT text = {rect.left + 8 * line, rect.top, rect.right + 1 - 10 * line, rect.top + h};
  if (text.right <= text.left)
    return;
  if (enabled) {
    DrawGroupCaption(canvas, text, caption, canvas.Font.Color(), color);
    return;
  }
  RECT shifted = text;
  OffsetRect(&shifted, line, line);
  DrawGroupCaption(canvas, shifted, caption, clBtnHighlight, color);
  DrawGroupCaption(canvas, text, caption, clBtnShadow, clNone);
}

void TKdCustomGroup::DrawGroupCaption(TCanvas &canvas, RECT rect, const std::string &caption, TColor textColor,
                                      TColor background) {
  HDC dc = canvas.Handle();
  // On an opaque background the frame line is interrupted behind the letters.
  HGDIOBJ oldFont = SelectObject(dc, canvas.Font.Handle());
  SetTextColor(dc, ColorToRGB(textColor));
  if (background == clNone) {
    SetBkMode(dc, TRANSPARENT);
  } else {
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, ColorToRGB(background));
  }
  std::wstring wide = Utf8ToWide(caption);
  DrawTextExW(dc, wide.data(), static_cast<int>(wide.size()), &rect, DT_END_ELLIPSIS | DT_SINGLELINE, nullptr);
  SelectObject(dc, oldFont);
}

void TKdCustomGroup::Paint() {
  TCanvas &canvas = Canvas();
  canvas.Font.Assign(Font());
  if (DefaultDrawing) {
    canvas.BrushColor = Color();
    RECT client = ClientRect();
    canvas.FillRect(client);
    std::string caption = Caption();
    RECT text = {client.left + FFrameSpace, client.top, client.right - FFrameSpace, client.bottom};
    if (FFrameStyle != kdfsGroup && !caption.empty() && text.right > text.left)
      canvas.TextRect(text, caption, AlignmentFlags[FAlignment] | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
  }
  if (OnPaint)
    OnPaint(this, canvas);
}

void TKdCustomGroup::DefineProperties(TFiler *Filer) {
  TWinControl::DefineProperties(Filer);
  Filer->DefineIntegerProperty(
      "Alignment",
      [this](int32_t value) {
        if (value < taLeftJustify || value > taCenter)
          ReadError();
        SetAlignment(static_cast<TAlignment>(value));
      },
      [this] { return FAlignment; }, FAlignment != taCenter);
  Filer->DefineIntegerProperty(
      "DefaultDrawing", [this](int32_t value) { DefaultDrawing = value != 0; }, [this] { return DefaultDrawing; },
      !DefaultDrawing);
  Filer->DefineIntegerProperty(
      "FrameSpace", [this](int32_t value) { SetFrameSpace(value); }, [this] { return FFrameSpace; }, FFrameSpace != 2);
  Filer->DefineIntegerProperty(
      "FrameStyle",
      [this](int32_t value) {
        // A stored number beyond the styles would index past the border table.
        if (value < 0 || value >= KdFrameStyleCount)
          ReadError();
        SetFrameStyle(static_cast<TKdFrameStyle>(value));
      },
      [this] { return FFrameStyle; }, FrameStyleStored());
}

void TKdCustomGroup::EnabledChanged() {
  TWinControl::EnabledChanged();
  Invalidate();
  EnableChildren(Enabled());
  if (FFrameStyle == kdfsGroup)
    FrameChanged();
}

void TKdCustomGroup::TextChanged() {
  TWinControl::TextChanged();
  Invalidate();
  // The top border depends on whether there is a caption.
  if (FFrameStyle == kdfsGroup)
    FrameChanged();
}

void TKdCustomGroup::CMColorChanged(TMessage &message) {
  TWinControl::CMColorChanged(message);
  Invalidate();
  if (FFrameStyle == kdfsGroup)
    FrameChanged();
}

void TKdCustomGroup::CMSysColorChange(TMessage &message) {
  TWinControl::CMSysColorChange(message);
  // The frame is drawn in system colours too, and a client repaint leaves it alone.
  if (HandleAllocated())
    RedrawWindow(WindowHandle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
}

void TKdCustomGroup::FontChanged() {
  TWinControl::FontChanged();
  if (FFrameStyle == kdfsGroup)
    FrameChanged();
  else
    Invalidate();
}
