#pragma once
// Raises OnTimer every Interval milliseconds while Enabled (a platform timer on the hidden window the timers of
// the thread that made it share, so OnTimer runs in that thread's message loop).
#include <windows.h>

#include "toolkit/Component.h"

class TTimer : public TComponent {
public:
  explicit TTimer(TComponent *AOwner);
  ~TTimer() override;

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value);
  UINT Interval() const { return FInterval; }
  // Restarts the count from now; 0 stops the timer.
  void SetInterval(UINT value);

  TNotifyEvent OnTimer;

protected:
  virtual void Timer();

private:
  void UpdateTimer();
  UINT_PTR Id() const { return reinterpret_cast<UINT_PTR>(this); }

  bool FEnabled = true;
  UINT FInterval = 1000;
  HWND FWindow = nullptr;
};
