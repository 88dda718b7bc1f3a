#include "widgets/KdCustomGroup.h"

#include <algorithm>
#include <initializer_list>

#include "toolkit/Classes.h"
#include "toolkit/Handles.h"

namespace {

// Border each style takes from the window (left, top, right, bottom); the group style's top border is the
// caption's height and is measured.
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

// A polyline without its last point, as the platform draws one.
void Line(TCanvas &canvas, TColor color, std::initializer_list<POINT> points) {
  canvas.PenColor = color;
  canvas.Polyline(points.begin(), static_cast<int>(points.size()));
}

// A one-pixel outline just inside rect (right and bottom exclusive); nothing for an empty rect.
void Outline(TCanvas &canvas, TColor color, const RECT &rect) {
  if (rect.right <= rect.left || rect.bottom <= rect.top)
    return;
  canvas.BrushColor = color;
  canvas.FrameRect(rect);
}

// The text height of "0" in font, on a device context of the screen (the window may not exist yet).
int TextHeightOfZero(const TFont &font) {
  TWindowDC screen;
  TCanvas canvas(screen.DC());
  canvas.Font.Assign(font);
  return canvas.TextHeight("0");
}

[[noreturn]] void ReadError() { throw EReadError("Invalid property value"); }

} // namespace

TKdCustomGroup::TKdCustomGroup(TComponent *AOwner) : TWinControl(AOwner) { UpdateBounds(0, 0, 64, 48); }

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
  if (Caption().empty())
    return 2;
  return std::max(2, TextHeightOfZero(Font()));
}

RECT TKdCustomGroup::NonClientBorder() {
  RECT border = FrameInsets[FFrameStyle];
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
  // The outermost pixel columns and rows.
  const LONG L = rect.left, T = rect.top, Rt = rect.right - 1, B = rect.bottom - 1;
  switch (FFrameStyle) {
  case kdfsNone:
    break;
  case kdfsGroup:
    DrawGroupFrame(canvas, {L, T, Rt, B}, Caption(), Enabled(), Color());
    break;
  case kdfsLowered:
    Line(canvas, clBtnShadow, {{L, B - 1}, {L, T}, {Rt, T}});
    Line(canvas, cl3DDkShadow, {{L + 1, B - 2}, {L + 1, T + 1}, {Rt - 1, T + 1}});
    Line(canvas, clBtnFace, {{L + 1, B - 1}, {Rt - 1, B - 1}, {Rt - 1, T}});
    Line(canvas, clBtnHighlight, {{L, B}, {Rt, B}, {Rt, T - 1}});
    break;
  case kdfsRaised:
    Line(canvas, clBtnHighlight, {{L, B - 1}, {L, T}, {Rt, T}});
    Line(canvas, clBtnFace, {{L + 1, B - 2}, {L + 1, T + 1}, {Rt - 1, T + 1}});
    Line(canvas, clBtnShadow, {{L + 1, B - 1}, {Rt - 1, B - 1}, {Rt - 1, T}});
    Line(canvas, cl3DDkShadow, {{L, B}, {Rt, B}, {Rt, T - 1}});
    break;
  case kdfsDint:
    Line(canvas, clBtnShadow, {{L, B - 1}, {L, T}, {Rt, T}});
    Line(canvas, clBtnHighlight, {{L, B}, {Rt, B}, {Rt, T - 1}});
    break;
  case kdfsBump:
    Line(canvas, clBtnHighlight, {{L, B - 1}, {L, T}, {Rt, T}});
    Line(canvas, clBtnShadow, {{L, B}, {Rt, B}, {Rt, T - 1}});
    break;
  case kdfsSingle:
    Outline(canvas, clWindowFrame, {L, T, Rt + 1, B + 1});
    break;
  case kdfsHorzLine:
    Line(canvas, clBtnShadow, {{L, T}, {Rt + 1, T}});
    Line(canvas, clBtnHighlight, {{L, T + 1}, {Rt + 1, T + 1}});
    break;
  case kdfsHorzEdge:
    Line(canvas, clBtnShadow, {{L, T}, {Rt + 1, T}});
    Line(canvas, clBtnShadow, {{L, B - 1}, {Rt + 1, B - 1}});
    Line(canvas, clBtnHighlight, {{L, T + 1}, {Rt + 1, T + 1}});
    Line(canvas, clBtnHighlight, {{L, B}, {Rt + 1, B}});
    break;
  case kdfsVertLine:
    Line(canvas, clBtnShadow, {{L, T}, {L, B + 1}});
    Line(canvas, clBtnHighlight, {{L + 1, T}, {L + 1, B + 1}});
    break;
  case kdfsVertEdge:
    Line(canvas, clBtnShadow, {{L, T}, {L, B + 1}});
    Line(canvas, clBtnShadow, {{Rt - 1, T}, {Rt - 1, B + 1}});
    Line(canvas, clBtnHighlight, {{L + 1, T}, {L + 1, B + 1}});
    Line(canvas, clBtnHighlight, {{Rt, T}, {Rt, B + 1}});
    break;
  }
}

void TKdCustomGroup::DrawGroupFrame(TCanvas &canvas, const RECT &rect, const std::string &caption, bool enabled,
                                    TColor color) {
  const LONG L = rect.left, T = rect.top, Rt = rect.right, B = rect.bottom;
  canvas.BrushColor = color;
  canvas.FillRect({L, T, Rt + 1, B + 1});
  int h = caption.empty() ? 2 : std::max(2, canvas.TextHeight("0"));
  // The etched line runs through the middle of the caption.
  LONG top = T + h / 2 - 1;
  Outline(canvas, clBtnHighlight, {L + 1, top + 1, Rt + 1, B + 1});
  Outline(canvas, clBtnShadow, {L, top, Rt, B});
  if (caption.empty())
    return;
  RECT text = {L + 8, T, Rt - 9, T + h};
  if (text.right <= text.left)
    return;
  if (enabled) {
    DrawGroupCaption(canvas, text, caption, canvas.Font.Color(), color);
    return;
  }
  RECT shifted = text;
  OffsetRect(&shifted, 1, 1);
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
