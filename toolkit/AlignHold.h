#pragma once
// Holds the layout of window controls off while it lasts, so that what changes meanwhile is laid out once;
// they are let go in the order given (a child that sizes itself before the parent that places it).
#include <initializer_list>
#include <vector>

#include "toolkit/WinControl.h"

class TAlignHold {
public:
  TAlignHold(std::initializer_list<TWinControl *> controls) : FControls(controls) {
    for (TWinControl *control : FControls)
      control->DisableAlign();
  }
  ~TAlignHold() {
    for (TWinControl *control : FControls)
      control->EnableAlign();
  }
  TAlignHold(const TAlignHold &) = delete;
  TAlignHold &operator=(const TAlignHold &) = delete;

private:
  std::vector<TWinControl *> FControls;
};
