#include "toolkit/Mouse.h"

#include <windows.h>

int MouseWheelScrollLines() {
  UINT lines = 3;
  if (!SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0))
    return 3;
  return lines == WHEEL_PAGESCROLL ? -1 : static_cast<int>(lines);
}
