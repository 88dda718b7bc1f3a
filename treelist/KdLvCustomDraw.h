#pragma once
// The custom-draw object of list views: its result is always its own (ResultSet is not consulted).
#include "treelist/KdCustomDraw.h"

class TKdLvCustomDraw : public TKdCustomDraw {
public:
  TKdLvCustomDraw(NMLVCUSTOMDRAW *record, TFont *controlFont, LRESULT *result);

  NMLVCUSTOMDRAW *NotifyRecord() const { return reinterpret_cast<NMLVCUSTOMDRAW *>(TKdCustomDraw::NotifyRecord()); }

  void Apply() override;
};
