#include "toolkit/Timer.h"

#include <unordered_map>

#include "toolkit/Application.h"

namespace {

// The timers of a thread share one hidden window (making a window for each costs more than the timer): a
// timer's id is its address, and the window knows which timers live.
struct TThreadTimers {
  HWND Window = nullptr;
  std::unordered_map<UINT_PTR, TTimer *> Live;
  ~TThreadTimers() { DeallocateHWnd(Window); }
};

thread_local TThreadTimers ThreadTimers;

} // namespace

TTimer::TTimer(TComponent *AOwner) : TComponent(AOwner) {
  TThreadTimers &timers = ThreadTimers;
  if (!timers.Window)
    timers.Window = AllocateMessageHWnd([&timers](HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
      if (msg != WM_TIMER)
        return DefWindowProcA(wnd, msg, wParam, lParam);
      if (auto live = timers.Live.find(wParam); live != timers.Live.end())
        live->second->Timer();
      return 0;
    });
  FWindow = timers.Window;
  timers.Live.emplace(Id(), this);
  UpdateTimer();
}

TTimer::~TTimer() {
  KillTimer(FWindow, Id());
  ThreadTimers.Live.erase(Id());
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
  KillTimer(FWindow, Id());
  if (FEnabled && FInterval > 0)
    if (!SetTimer(FWindow, Id(), FInterval, nullptr))
      throw Exception("Not enough timers available");
}

void TTimer::Timer() {
  if (OnTimer)
    OnTimer(this);
}
