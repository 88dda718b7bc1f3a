#include "toolkit/Graphics.h"

COLORREF ColorToRGB(TColor color) {
  if (color == clNone || color == clDefault)
    return RGB(0, 0, 0);
  if ((color & clSystemColor) == clSystemColor)
    return GetSysColor(color & 0xFF);
  return static_cast<COLORREF>(color) & 0xFFFFFF;
}
