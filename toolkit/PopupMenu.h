#pragma once
// A menu shown at the pointer: by a control whose PopupMenu it is (on WM_CONTEXTMENU) or by Popup.
#include <windows.h>

#include <functional>

#include "toolkit/Menu.h"

class TPopupMenu : public TMenu {
public:
  explicit TPopupMenu(TComponent *AOwner);

  // Shows the menu at screen point x, y and runs the chosen item's Click once it has closed. The menu's
  // own messages go to owner while it is open (by default to a hidden window of the toolkit).
  void Popup(int x, int y, HWND owner = nullptr);

  // Shown by the controls it is attached to on their context-menu request.
  bool AutoPopup = true;
  // The control that showed the menu last.
  TComponent *PopupComponent = nullptr;
  // Raised just before the menu shows.
  TNotifyEvent OnPopup;

protected:
  void Notification(TComponent *component, bool inserted) override;
};

// Ends whatever holds the mouse (a drag being tracked, a pressed button) before a menu takes over.
void SendCancelMode();

// Takes the place of tracking every popup menu of the program (tests record where a menu would open
// instead of waiting on it); returns the hook it replaced, empty for real tracking.
using TPopupHook = std::function<void(TPopupMenu *Menu, int X, int Y)>;
TPopupHook SetPopupHook(TPopupHook hook);
