#include "toolkit/Pen.h"

TPen::~TPen() { ReleaseHandle(); }

void TPen::ReleaseHandle() const {
  if (FHandle)
    DeleteObject(FHandle);
  FHandle = nullptr;
}

void TPen::Changed() {
  ReleaseHandle();
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
    FHandle = FColor == clNone ? static_cast<HPEN>(GetStockObject(NULL_PEN))
                               : CreatePen(PS_SOLID, FWidth, ColorToRGB(FColor));
  return FHandle;
}
