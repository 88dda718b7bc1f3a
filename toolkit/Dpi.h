#pragma once
// Dots per inch. Every size the program states (a bar's height, a margin, a font's height, a column's width)
// is a size at 96 dpi, the resolution at which one such pixel is one pixel of the screen; on a screen of
// another resolution it is scaled by that resolution over 96. Controls carry the resolution they are laid out
// at (TControl::CurrentPPI); these are the pieces below them.
#include <windows.h>

constexpr int DefaultPixelsPerInch = 96;

// A size at 96 dpi as pixels at ppi, to the nearest pixel (halves away from zero).
int ScaleValue(int value, int ppi);

// The resolution of the primary screen as the session started: the one every window has where the platform
// knows no other (Wine keeps one for the whole session, the prefix's "LogPixels"). Read once.
int SystemPixelsPerInch();

// The resolution of the screen a window is on (under per-monitor awareness its monitor's), else the system's.
int WindowPixelsPerInch(HWND wnd);

// The primary screen's width as a screen of 96 dpi would count it.
int ScreenWidthAt96();

// Has the platform scale nothing of the process: every window is told its own monitor's resolution, and is
// told again when it moves to a monitor of another (WM_DPICHANGED). The same as the manifest declares:
// per-monitor awareness version 2, else version 1, else the system's resolution (older systems). A process
// whose manifest already set it keeps it. Call it before the first window is made.
void SetProcessPerMonitorDpiAware();
