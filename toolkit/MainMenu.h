#pragma once
// The menu bar of a form.
#include "toolkit/Menu.h"

class TMainMenu : public TMenu {
public:
  explicit TMainMenu(TComponent *AOwner);
  // Takes the bar off the window first, so that the window does not destroy it with itself.
  ~TMainMenu() override;

  // The window showing the bar (set by the form).
  HWND WindowHandle() const { return FWindowHandle; }
  void SetWindowHandle(HWND value);

  void MenuChanged() override;

private:
  HWND FWindowHandle = nullptr;
};
