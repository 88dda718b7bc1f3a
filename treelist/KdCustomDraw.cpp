#include "treelist/KdCustomDraw.h"

TKdCustomDraw::TKdCustomDraw(NMCUSTOMDRAW *record, TFont *controlFont, LRESULT *result) {
  Init(record, result);
  FControlFont = controlFont;
  CreateBrush();
  CreateFont();
}

TKdCustomDraw::~TKdCustomDraw() = default;

void TKdCustomDraw::Init(NMCUSTOMDRAW *record, LRESULT *result) {
  FRecord = record;
  FResult = result;
  ResultSet = false;
}

void TKdCustomDraw::CreateFont() {
  FFont = std::make_unique<TFont>();
  if (FControlFont)
    FFont->Assign(*FControlFont);
  FFont->SetColor(static_cast<TColor>(GetTextColor(FRecord->hdc)));
  FFont->OnChange = [this] { FontChanged = true; };
}

void TKdCustomDraw::CreateBrush() {
  FBrush = std::make_unique<TBrush>(static_cast<TColor>(GetBkColor(FRecord->hdc)));
  FBrush->OnChange = [this] { BrushChanged = true; };
}

TKdCustomDrawStage TKdCustomDraw::Stage() const {
  switch (FRecord->dwDrawStage) {
  case CDDS_PREPAINT:
    return kdcdsPrePaint;
  case CDDS_POSTPAINT:
    return kdcdsPostPaint;
  case CDDS_ITEMPREPAINT:
    return kdcdsItemPrePaint;
  case CDDS_ITEMPOSTPAINT:
    return kdcdsItemPostPaint;
  default:
    return kdcdsOther;
  }
}

void TKdCustomDraw::ApplyResult(bool honourResultSet, COLORREF &textColor, COLORREF &textBkColor) {
  bool keepResult = honourResultSet && ResultSet;
  if (!keepResult)
    *FResult = 0;
  switch (Stage()) {
  case kdcdsPrePaint:
    if (!keepResult && NotifyItemDraw)
      *FResult |= CDRF_NOTIFYITEMDRAW;
    break;
  case kdcdsItemPrePaint:
    if (SkipDefault) {
      if (!keepResult)
        *FResult |= CDRF_SKIPDEFAULT;
      break;
    }
    if (FontChanged) {
      // A colour-only change keeps the font the control selected: no CDRF_NEWFONT, no new layout.
      HFONT font = FFont->Handle();
      if (font != GetCurrentObject(FRecord->hdc, OBJ_FONT)) {
        SelectObject(FRecord->hdc, font);
        *FResult |= CDRF_NEWFONT;
      }
      textColor = ColorToRGB(FFont->Color());
    }
    if (BrushChanged)
      textBkColor = ColorToRGB(FBrush->Color());
    break;
  default:
    break;
  }
}
