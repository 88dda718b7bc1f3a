#include "shellctrls/WindowUtils.h"

#include "toolkit/Screen.h"
#include "toolkit/SysUtils.h"

void SleepWithHourglass(DWORD milliseconds) {
  TCursorSaver hourglass(crHourGlass);
  Sleep(milliseconds);
}

void RaiseSystemError(DWORD code) { throw Exception(SysErrorMessage(code)); }

void SetWindowStyleBits(HWND wnd, DWORD bits, bool set) {
  if (!wnd)
    return;
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrA(wnd, GWL_STYLE));
  const DWORD changed = set ? (style | bits) : (style & ~bits);
  if (changed != style)
    SetWindowLongPtrA(wnd, GWL_STYLE, static_cast<LONG_PTR>(changed));
}
