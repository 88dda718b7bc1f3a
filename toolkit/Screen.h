#pragma once
// The screen's cursor: a program-wide cursor (hourglass during long operations) saved and restored.
#include <windows.h>

enum TCursor : int {
  crDefault = 0,
  crArrow = -2,
  crIBeam = -4,
  crSizeWE = -9,
  crHourGlass = -11,
  crDrag = -12,
  crNo = -18,
  crHandPoint = -21,
};

// The system cursor shown for a TCursor (crDefault gives null: each window's own).
HCURSOR CursorHandle(TCursor cursor);

class TScreen {
public:
  TCursor Cursor() const { return FCursor; }
  // Applies at once; windows of the toolkit show it instead of their own while it is not crDefault.
  void SetCursor(TCursor value);

private:
  TCursor FCursor = crDefault;
};

extern TScreen *Screen;

// Sets the screen cursor for a scope and restores the previous one on every exit path.
class TCursorSaver {
public:
  explicit TCursorSaver(TCursor cursor = crHourGlass);
  ~TCursorSaver();
  TCursorSaver(const TCursorSaver &) = delete;
  TCursorSaver &operator=(const TCursorSaver &) = delete;

private:
  TCursor FSaved;
};
