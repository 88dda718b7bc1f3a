#include "toolkit/Pen.h"

void TPen::Changed() {
  FHandle.Reset();
  if (OnChange)
    OnChange();
}

void TPen::SetColor(TColor value) {
  if (value != FColor) {
    FColor = value;
    Changed();
  }
}

void TPen::SetWidth(int value) {
  if (value > 0 && value != FWidth) {
    FWidth = value;
    Changed();
  }
}

HPEN TPen::Handle() const {
  if (!FHandle)
    FHandle.Reset(FColor == clNone ? static_cast<HPEN>(GetStockObject(NULL_PEN))
                                   : CreatePen(PS_SOLID, FWidth, ColorToRGB(FColor)));
  return FHandle.Get();
}
