#pragma once
// The window that owns the shell's own dialogs and menus raised for a control.
#include <windows.h>

class TControl;

// The window of the form the control sits in (its outermost parent), or null when that is no form.
HWND GetOwnerFormHandle(TControl *control);
