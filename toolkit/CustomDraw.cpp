#include "toolkit/CustomDraw.h"

LRESULT RunCustomDrawEvents(NMCUSTOMDRAW &record, COLORREF &textColor, COLORREF &textBkColor, TCanvas &canvas,
                            const TFont &font, TColor color, const TCustomDrawCall &drawControl, bool itemsWanted,
                            const TCustomDrawCall &drawItem) {
  bool defaultDraw = true;
  if (record.dwDrawStage == CDDS_PREPAINT) {
    if (drawControl) {
      canvas.Font.Assign(font);
      canvas.BrushColor = color;
      TCanvasHandleScope on(canvas, record.hdc);
      drawControl(defaultDraw);
    }
    if (!defaultDraw)
      return CDRF_SKIPDEFAULT;
    return itemsWanted ? CDRF_NOTIFYITEMDRAW : CDRF_DODEFAULT;
  }
  if (record.dwDrawStage != CDDS_ITEMPREPAINT || !drawItem)
    return CDRF_DODEFAULT;
  // The canvas starts with the item's own font and colours; what the handler changes is drawn with.
  canvas.Font.Assign(font);
  canvas.Font.SetColor(static_cast<TColor>(textColor));
  canvas.BrushColor = static_cast<TColor>(textBkColor);
  TFont before(canvas.Font);
  {
    TCanvasHandleScope on(canvas, record.hdc);
    drawItem(defaultDraw);
  }
  if (!defaultDraw)
    return CDRF_SKIPDEFAULT;
  LRESULT result = CDRF_DODEFAULT;
  if (!canvas.Font.SameFace(before)) {
    // The canvas keeps the font alive until the next notification, after the control has drawn the item.
    SelectObject(record.hdc, canvas.Font.Handle());
    result |= CDRF_NEWFONT;
  }
  textColor = ColorToRGB(canvas.Font.Color());
  textBkColor = ColorToRGB(canvas.BrushColor);
  return result;
}
