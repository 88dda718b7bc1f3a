#include "toolkit/Shortcut.h"

TShortCut ShortCut(WORD key, TShiftState shift) {
  // Keys above one byte have no shortcut code.
  if (key & 0xFF00)
    return scNone;
  TShortCut code = key;
  if (shift.Contains(ssShift))
    code |= scShift;
  if (shift.Contains(ssCtrl))
    code |= scCtrl;
  if (shift.Contains(ssAlt))
    code |= scAlt;
  return code;
}

TShiftState KeyboardShiftState() {
  TShiftState state;
  if (GetKeyState(VK_SHIFT) < 0)
    state |= ssShift;
  if (GetKeyState(VK_CONTROL) < 0)
    state |= ssCtrl;
  if (GetKeyState(VK_MENU) < 0)
    state |= ssAlt;
  return state;
}

TShiftState MouseShiftState(WPARAM keys) {
  TShiftState state;
  if (keys & MK_SHIFT)
    state |= ssShift;
  if (keys & MK_CONTROL)
    state |= ssCtrl;
  if (keys & MK_LBUTTON)
    state |= ssLeft;
  if (keys & MK_RBUTTON)
    state |= ssRight;
  if (keys & MK_MBUTTON)
    state |= ssMiddle;
  if (GetKeyState(VK_MENU) < 0)
    state |= ssAlt;
  return state;
}
