#pragma once
// One process-wide receiver of WM_DEVICECHANGE broadcasts that passes them, one message-loop turn later, to
// every shell control that registered (so no control refreshes inside the system's broadcast).
#include <windows.h>

#include <functional>
#include <vector>

#include "toolkit/Component.h"

// Posted by the handler's window to itself with the broadcast's wParam and lParam.
constexpr UINT WM_KDDEVICECHANGE = WM_USER + 100;

// WParam is the DBT_ event. LParam is passed on as received, but the broadcast's data it pointed to is gone
// by the time the handlers run: never dereference it.
struct TKdMessage {
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
  LRESULT Result;
};

class TKdDeviceChangeHandler;

// A registered method: Owner identifies the registration (a control registers with `this`), Code is called.
using TKdDeviceChangeProc = std::function<void(TKdDeviceChangeHandler *Sender, TKdMessage &Message)>;
struct TKdDeviceChangeEvent {
  const void *Owner;
  TKdDeviceChangeProc Code;
};

class TKdDeviceChangeHandler : public TObject {
public:
  TKdDeviceChangeHandler();
  ~TKdDeviceChangeHandler() override;
  TKdDeviceChangeHandler(const TKdDeviceChangeHandler &) = delete;
  TKdDeviceChangeHandler &operator=(const TKdDeviceChangeHandler &) = delete;

  // Appends; returns the new entry's index.
  int RegisterHandler(const void *owner, TKdDeviceChangeProc code);
  // Removes the first entry registered by owner; nothing when there is none.
  void UnregisterHandler(const void *owner);
  int HandlerCount() const { return static_cast<int>(FHandlers.size()); }

  // The hidden window that receives the broadcasts.
  HWND Window() const { return FWindow; }

private:
  struct Entry {
    TKdDeviceChangeEvent Event;
    // Tells a registration apart from a later one of the same owner during a dispatch.
    unsigned Serial;
  };

  LRESULT WndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void Dispatch(TKdMessage &message);

  HWND FWindow = nullptr;
  std::vector<Entry> FHandlers;
  unsigned FNextSerial = 0;
};

// The process's handler, created on first use.
TKdDeviceChangeHandler *DeviceChangeHandler();
// Unit end: destroys the handler (and its window) if it was created.
void FreeDeviceChangeHandler();
