#pragma once
// The mouse as the system is set up for it.

// Lines one notch of the wheel scrolls (the user's setting, read anew each time); -1 when a notch scrolls a
// whole page (WHEEL_PAGESCROLL).
int MouseWheelScrollLines();
