#include "shellns/KdDeviceChangeHandler.h"

#include <memory>

#include "toolkit/Application.h"
#include "toolkit/SysUtils.h"

namespace {

std::unique_ptr<TKdDeviceChangeHandler> GDeviceChangeHandler;

} // namespace

TKdDeviceChangeHandler::TKdDeviceChangeHandler() {
  FWindow = AllocateHWnd(
      [this](HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) { return WndProc(wnd, msg, wParam, lParam); });
}

TKdDeviceChangeHandler::~TKdDeviceChangeHandler() { DeallocateHWnd(FWindow); }

int TKdDeviceChangeHandler::RegisterHandler(const void *owner, TKdDeviceChangeProc code) {
  FHandlers.push_back(TKdDeviceChangeEvent{owner, std::move(code)});
  return HandlerCount() - 1;
}

void TKdDeviceChangeHandler::UnregisterHandler(const void *owner) {
  for (auto it = FHandlers.begin(); it != FHandlers.end(); ++it)
    if (it->Owner == owner) {
      FHandlers.erase(it);
      return;
    }
}

LRESULT TKdDeviceChangeHandler::WndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
  case WM_DEVICECHANGE:
    // The controls refresh from our own message loop, never inside the system's broadcast.
    PostMessageA(wnd, WM_KDDEVICECHANGE, wParam, lParam);
    return DefWindowProcA(wnd, msg, wParam, lParam);
  case WM_KDDEVICECHANGE: {
    TKdMessage message{msg, wParam, lParam, 0};
    Dispatch(message);
    return message.Result;
  }
  default:
    return DefWindowProcA(wnd, msg, wParam, lParam);
  }
}

void TKdDeviceChangeHandler::Dispatch(TKdMessage &message) {
  // Handlers registered meanwhile wait for the next event; one that unregisters (a control destroyed by
  // another's refresh) shortens the list, so the bound is checked on every turn.
  size_t count = FHandlers.size();
  for (size_t i = 0; i < count && i < FHandlers.size(); ++i) {
    // A copy: the handler may unregister itself while it runs.
    TKdDeviceChangeProc code = FHandlers[i].Code;
    if (!code)
      continue;
    try {
      code(this, message);
    } catch (const Exception &) {
      if (Application)
        Application->HandleException(this);
    }
  }
}

TKdDeviceChangeHandler *DeviceChangeHandler() {
  if (!GDeviceChangeHandler)
    GDeviceChangeHandler = std::make_unique<TKdDeviceChangeHandler>();
  return GDeviceChangeHandler.get();
}

void FreeDeviceChangeHandler() { GDeviceChangeHandler.reset(); }
