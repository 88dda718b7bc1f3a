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
  FHandlers.push_back(Entry{TKdDeviceChangeEvent{owner, std::move(code)}, FNextSerial++});
  return HandlerCount() - 1;
}

void TKdDeviceChangeHandler::UnregisterHandler(const void *owner) {
  for (auto it = FHandlers.begin(); it != FHandlers.end(); ++it)
    if (it->Event.Owner == owner) {
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
  // The handlers registered when the event arrived, in order. A handler may destroy controls (its own or
  // others') and so unregister entries meanwhile: each is looked up again before its call, so nothing gone is
  // called and nothing still registered is skipped. Registrations made meanwhile wait for the next event.
  std::vector<unsigned> serials;
  for (const Entry &entry : FHandlers)
    serials.push_back(entry.Serial);
  for (unsigned serial : serials) {
    TKdDeviceChangeProc code;
    for (const Entry &entry : FHandlers)
      if (entry.Serial == serial) {
        // A copy: the handler may unregister itself while it runs.
        code = entry.Event.Code;
        break;
      }
    if (!code)
      continue;
    // Whatever a handler throws is reported, and the next handler still runs.
    try {
      code(this, message);
    } catch (...) {
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
