#include "toolkit/PopupMenu.h"

#include "toolkit/Application.h"

namespace {

// Owner of the menus while they track: a hidden window of the user-interface thread.
HWND PopupWindow() {
  static HWND wnd = AllocateHWnd([](HWND w, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (msg == WM_COMMAND && HIWORD(wParam) == 0 && TMenuItem::DispatchCommand(LOWORD(wParam)))
      return 0;
    return DefWindowProcA(w, msg, wParam, lParam);
  });
  return wnd;
}

TPopupHook &PopupHook() {
  static TPopupHook hook;
  return hook;
}

} // namespace

TPopupHook SetPopupHook(TPopupHook hook) {
  TPopupHook previous = std::move(PopupHook());
  PopupHook() = std::move(hook);
  return previous;
}

void SendCancelMode() {
  if (HWND capture = GetCapture())
    SendMessageW(capture, WM_CANCELMODE, 0, 0);
}

TPopupMenu::TPopupMenu(TComponent *AOwner) : TMenu(AOwner) {}

void TPopupMenu::Notification(TComponent *component, bool inserted) {
  TMenu::Notification(component, inserted);
  if (!inserted && component == PopupComponent)
    PopupComponent = nullptr;
}

void TPopupMenu::Popup(int x, int y, HWND owner) {
  if (PopupComponent)
    PopupComponent->FreeNotification(this);
  if (OnPopup)
    OnPopup(this);
  if (PopupHook()) {
    PopupHook()(this, x, y);
    return;
  }
  // The choice comes back as the result, so the item's Click runs after the menu has gone.
  UINT command = static_cast<UINT>(TrackPopupMenu(Handle(), TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, x, y, 0,
                                                  owner ? owner : PopupWindow(), nullptr));
  if (command)
    TMenuItem::DispatchCommand(command);
}
