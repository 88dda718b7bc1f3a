#include "toolkit/MainMenu.h"

TMainMenu::TMainMenu(TComponent *AOwner) : TMenu(AOwner) { SetMenuBar(); }

TMainMenu::~TMainMenu() { SetWindowHandle(nullptr); }

void TMainMenu::SetWindowHandle(HWND value) {
  if (value == FWindowHandle)
    return;
  if (FWindowHandle && IsWindow(FWindowHandle) && GetMenu(FWindowHandle) == Handle())
    SetMenu(FWindowHandle, nullptr);
  FWindowHandle = value;
  if (value)
    SetMenu(value, Handle());
}

void TMainMenu::MenuChanged() {
  if (FWindowHandle)
    DrawMenuBar(FWindowHandle);
}
