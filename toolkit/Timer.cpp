#include "toolkit/Timer.h"

#include "toolkit/Application.h"

namespace {
constexpr UINT_PTR TimerId = 1;
}

TTimer::TTimer(TComponent *AOwner) : TComponent(AOwner) {
  FWindow = AllocateHWnd([this](HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (msg == WM_TIMER && wParam == TimerId) {
      Timer();
      return 0;
    }
    return DefWindowProcA(wnd, msg, wParam, lParam);
  });
  UpdateTimer();
}

TTimer::~TTimer() {
  KillTimer(FWindow, TimerId);
  DeallocateHWnd(FWindow);
}

void TTimer::SetEnabled(bool value) {
  if (value != FEnabled) {
    FEnabled = value;
    UpdateTimer();
  }
}

void TTimer::SetInterval(UINT value) {
  FInterval = value;
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  KillTimer(FWindow, TimerId);
  if (FEnabled && FInterval > 0)
    if (!SetTimer(FWindow, TimerId, FInterval, nullptr))
      throw Exception("Not enough timers available");
}

void TTimer::Timer() {
  if (OnTimer)
    OnTimer(this);
}
