#include "toolkit/Label.h"

TLabel::TLabel(TComponent *AOwner) : TWinControl(AOwner) {
  SetParentColor(true);
  UpdateBounds(0, 0, 0, 0);
  AdjustBounds();
}

void TLabel::CreateParams(TCreateParams &params) {
  TWinControl::CreateParams(params);
  params.WinClassName = "TLabel";
  params.BaseClassName = "STATIC";
  // The text is shown as written: "&" is no access-key marker here.
  params.Style = (params.Style & ~WS_CLIPCHILDREN) | SS_LEFT | SS_NOPREFIX;
}

void TLabel::SetAutoSize(bool value) {
  FLabelAutoSize = value;
  AdjustBounds();
}

void TLabel::TextChanged() {
  TWinControl::TextChanged();
  AdjustBounds();
  Invalidate();
}

void TLabel::FontChanged() {
  TWinControl::FontChanged();
  AdjustBounds();
}

void TLabel::AdjustBounds() {
  if (!FLabelAutoSize)
    return;
  SIZE size;
  {
    TWindowDC screen;
    TCanvas canvas;
    canvas.Font.Assign(Font());
    TCanvasHandleScope lent(canvas, screen.DC());
    std::string text = Caption();
    // An empty label keeps the height of one line.
    size = canvas.TextExtent(text.empty() ? std::string(" ") : text);
    if (text.empty())
      size.cx = 0;
  }
  if (size.cx != Width() || size.cy != Height())
    SetBounds(Left(), Top(), size.cx, size.cy);
}
