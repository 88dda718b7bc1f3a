#pragma once
// Scrolling the shell tree and list by the mouse wheel, shared by both: one step on a scroll bar, one
// notch of the wheel as the user's setting asks, and which control a notch belongs to.
#include <windows.h>

#include "toolkit/Shortcut.h"

class TWinControl;

// A shell control that takes the wheel notches turned over it while another one has the focus: the tree and the
// list are.
class TKdWheelPeer {
public:
  virtual ~TKdWheelPeer() = default;
};

// One step on the control's bar (SB_HORZ or SB_VERT) with a WM_HSCROLL / WM_VSCROLL code (SB_LINEDOWN...),
// sent only when the bar has more range than its page; true when the position moved.
bool ScrollOneLine(TWinControl *control, int bar, WORD code);

// One notch of the wheel on the control's bar: a page when the user's setting is a page per notch, else
// as many lines as it says (one step on the horizontal bar). A notch is always taken: true.
bool WheelScroll(TWinControl *control, int bar, WORD lineCode, WORD pageCode);

// The shell tree or shell list under a screen point when it is not self, else null: a wheel notch turned
// over another shell control scrolls that one, not the one with the focus.
TWinControl *ShellWheelTarget(TWinControl *self, POINT screen);

// One notch turned while self has the wheel, after its wheel events answered handled: another shell
// control under the pointer takes the notch instead; one that nobody took scrolls self along bar. True
// when the notch was taken.
bool ShellWheelNotch(TWinControl *self, bool down, bool handled, TShiftState shift, POINT mousePos, int bar);
