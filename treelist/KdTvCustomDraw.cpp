#include "treelist/KdTvCustomDraw.h"

TKdTvCustomDraw::TKdTvCustomDraw(NMTVCUSTOMDRAW *record, TFont *controlFont, LRESULT *result)
    : TKdCustomDraw(&record->nmcd, controlFont, result) {}

void TKdTvCustomDraw::Apply() {
  NMTVCUSTOMDRAW *record = NotifyRecord();
  ApplyResult(true, record->clrText, record->clrTextBk);
}
