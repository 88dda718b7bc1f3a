#include "toolkit/Brush.h"

TBrush::~TBrush() { ReleaseHandle(); }

void TBrush::ReleaseHandle() const {
  if (FHandle)
    DeleteObject(FHandle);
  FHandle = nullptr;
}

void TBrush::SetColor(TColor value) {
  if (value == FColor)
    return;
  FColor = value;
  ReleaseHandle();
  if (OnChange)
    OnChange();
}

HBRUSH TBrush::Handle() const {
  if (!FHandle)
    FHandle = FColor == clNone ? static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)) : CreateSolidBrush(ColorToRGB(FColor));
  return FHandle;
}
