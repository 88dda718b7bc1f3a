#pragma once
// The custom-draw object of tree views: a result a handler wrote itself (ResultSet) is left as it is.
#include "treelist/KdCustomDraw.h"

class TKdTvCustomDraw : public TKdCustomDraw {
public:
  TKdTvCustomDraw(NMTVCUSTOMDRAW *record, TFont *controlFont, LRESULT *result);

  NMTVCUSTOMDRAW *NotifyRecord() const { return reinterpret_cast<NMTVCUSTOMDRAW *>(TKdCustomDraw::NotifyRecord()); }

  void Apply() override;
};
