#include "toolkit/Screen.h"

namespace {
TScreen TheScreen;
}

TScreen *Screen = &TheScreen;

HCURSOR CursorHandle(TCursor cursor) {
  switch (cursor) {
  case crArrow:
    return LoadCursorA(nullptr, IDC_ARROW);
  case crIBeam:
    return LoadCursorA(nullptr, IDC_IBEAM);
  case crSizeWE:
    return LoadCursorA(nullptr, IDC_SIZEWE);
  case crHourGlass:
    return LoadCursorA(nullptr, IDC_WAIT);
  case crDrag:
    return LoadCursorA(nullptr, IDC_ARROW);
  case crNo:
    return LoadCursorA(nullptr, IDC_NO);
  case crHandPoint:
    return LoadCursorA(nullptr, IDC_HAND);
  case crDefault:
    break;
  }
  return nullptr;
}

void TScreen::SetCursor(TCursor value) {
  if (value == FCursor)
    return;
  FCursor = value;
  ::SetCursor(value == crDefault ? LoadCursorA(nullptr, IDC_ARROW) : CursorHandle(value));
}

TCursorSaver::TCursorSaver(TCursor cursor) : FSaved(Screen->Cursor()) { Screen->SetCursor(cursor); }

TCursorSaver::~TCursorSaver() { Screen->SetCursor(FSaved); }
