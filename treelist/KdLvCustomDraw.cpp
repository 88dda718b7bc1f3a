#include "treelist/KdLvCustomDraw.h"

TKdLvCustomDraw::TKdLvCustomDraw(NMLVCUSTOMDRAW *record, TFont *controlFont, LRESULT *result)
    : TKdCustomDraw(&record->nmcd, controlFont, result) {}

void TKdLvCustomDraw::Apply() {
  NMLVCUSTOMDRAW *record = NotifyRecord();
  ApplyResult(false, record->clrText, record->clrTextBk);
}
