#pragma once
// Small window and error helpers of the shell controls.
#include <windows.h>

// Sleeps with the hourglass cursor showing; the previous cursor comes back on every exit path.
void SleepWithHourglass(DWORD milliseconds);

// Raises Exception with the system's text for code (a Win32 error or an HRESULT).
[[noreturn]] void RaiseSystemError(DWORD code);

// Sets (or clears) bits of a window's GWL_STYLE, writing it only when it changes; a null window is ignored.
void SetWindowStyleBits(HWND wnd, DWORD bits, bool set);
