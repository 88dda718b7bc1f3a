#pragma once
// When a shell control brings itself up to date, the one set of rules the tree and the list share.
//
// A change its watcher reports restarts a quiet spell (FocusedRefreshDelay while the control has the focus,
// UnfocusedRefreshDelay otherwise); when the spell ends, the control refreshes. While the control is busy (its
// context menu or its own drag runs a loop of its own, a label is being edited) neither a fill nor a refresh
// runs: what is asked for then is held, and runs once the control is free again. A change is never dropped;
// the only change passed over is the one the control announces as its own (a rename, a new folder).
#include <windows.h>

#include <cstdint>
#include <functional>

class TComponent;
class TTimer;
class TWinControl;
struct TKdMessage;

// Work held for later; a fill covers a refresh.
enum class TKdHeldWork : uint8_t { None, Refresh, Fill };

class TKdRefreshGate {
public:
  static constexpr UINT FocusedRefreshDelay = 400;
  static constexpr UINT UnfocusedRefreshDelay = 2000;

  // control: whose focus chooses the delay (its timer belongs to it); run: does the work the gate lets through.
  TKdRefreshGate(TWinControl *control, std::function<void(TKdHeldWork)> run);
  ~TKdRefreshGate();
  TKdRefreshGate(const TKdRefreshGate &) = delete;
  TKdRefreshGate &operator=(const TKdRefreshGate &) = delete;

  // The watcher saw a change: the quiet spell starts again (a busy control holds a refresh instead), unless the
  // change is the control's own.
  void ChangeNotified();
  // The next change is the control's own doing and starts no refresh.
  void IgnoreNextChange() { FIgnoreNextChange = true; }

  // Marks the next change as the control's own while an action of its own runs; an action that made no change
  // (it failed) leaves the mark as it was, so that the next real change is not taken for it.
  class TOwnChange {
  public:
    explicit TOwnChange(TKdRefreshGate &gate) : FGate(gate), FWas(gate.FIgnoreNextChange) {
      gate.FIgnoreNextChange = true;
    }
    ~TOwnChange() {
      if (!FKept)
        FGate.FIgnoreNextChange = FWas;
    }
    TOwnChange(const TOwnChange &) = delete;
    TOwnChange &operator=(const TOwnChange &) = delete;
    // The action changed the disk.
    void Keep() { FKept = true; }

  private:
    TKdRefreshGate &FGate;
    bool FWas;
    bool FKept = false;
  };

  // Asks to run work now: true when the control is free (the caller goes on), false when it is held.
  bool Admit(TKdHeldWork work);
  // Adds work to what is held, to run with RunHeld.
  void Hold(TKdHeldWork work);
  // Runs what is held, unless the control is still busy.
  void RunHeld();
  // What is held (None: nothing).
  TKdHeldWork Held() const { return FHeld; }

  // The control is busy for the lifetime of the object (its menu or its own drag runs). When the last busy
  // scope ends with work held, the work runs from the message loop unless RunHeld runs it first.
  class TBusy {
  public:
    explicit TBusy(TKdRefreshGate &gate) : FGate(gate) { ++FGate.FBusyCount; }
    ~TBusy();
    TBusy(const TBusy &) = delete;
    TBusy &operator=(const TBusy &) = delete;

  private:
    TKdRefreshGate &FGate;
  };
  // A label edit keeps the control busy too; editing tells whether one runs.
  void SetEditing(std::function<bool()> editing) { FEditing = std::move(editing); }
  // A label edit ended while the control is still inside its end: what it held runs from the message loop, once
  // the control is done with the edit and its item.
  void EditEnded();
  bool Busy() const;

  // The quiet spell runs: a refresh is due when it ends.
  bool RefreshDue() const;
  // Runs a due refresh now, without waiting for the spell to end.
  void RunDue();
  // A fill has just brought the control up to date: a due refresh has nothing left to do.
  void CancelDue();
  // The timer behind the quiet spell.
  TTimer &Timer() { return *FTimer; }

private:
  void Tick();
  void Schedule(UINT delay);

  TWinControl *FControl;
  std::function<void(TKdHeldWork)> FRun;
  std::function<bool()> FEditing;
  TTimer *FTimer;
  int FBusyCount = 0;
  TKdHeldWork FHeld = TKdHeldWork::None;
  bool FIgnoreNextChange = false;
};

// A device arrived or went (a WM_DEVICECHANGE re-posted by the device-change handler): My Computer reads its drives
// again, and refresh runs with that one reading serving every drive it looks at. Other device events do nothing.
void RefreshAfterDeviceChange(const TKdMessage &message, const std::function<void()> &refresh);
