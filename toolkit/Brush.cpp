#include "toolkit/Brush.h"

void TBrush::SetColor(TColor value) {
  if (value == FColor)
    return;
  FColor = value;
  FHandle.Reset();
  if (OnChange)
    OnChange();
}

HBRUSH TBrush::Handle() const {
  if (!FHandle)
    FHandle.Reset(FColor == clNone ? static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))
                                   : CreateSolidBrush(ColorToRGB(FColor)));
  return FHandle.Get();
}
