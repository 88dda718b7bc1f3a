#include "shellctrls/KdRefreshGate.h"

#include <dbt.h>

#include <algorithm>
#include <utility>

#include "shellns/IdList.h"
#include "shellns/KdDeviceChangeHandler.h"
#include "toolkit/Timer.h"
#include "toolkit/WinControl.h"

namespace {

// Held work runs this soon after the control is free again: from the message loop, once whatever ended the
// busy spell (a menu's loop, a drag's, a label edit) has let go of the control's items.
constexpr UINT HeldWorkDelay = 1;

TKdHeldWork Larger(TKdHeldWork a, TKdHeldWork b) { return std::max(a, b); }

} // namespace

TKdRefreshGate::TKdRefreshGate(TWinControl *control, std::function<void(TKdHeldWork)> run)
    : FControl(control), FRun(std::move(run)), FTimer(new TTimer(control)) {
  FTimer->SetEnabled(false);
  FTimer->OnTimer = [this](TObject *) { Tick(); };
}

TKdRefreshGate::~TKdRefreshGate() { delete FTimer; }

TKdRefreshGate::TBusy::~TBusy() {
  if (--FGate.FBusyCount == 0 && FGate.FHeld != TKdHeldWork::None)
    FGate.Schedule(HeldWorkDelay);
}

bool TKdRefreshGate::Busy() const { return FBusyCount > 0 || (FEditing && FEditing()); }

void TKdRefreshGate::ChangeNotified() {
  if (std::exchange(FIgnoreNextChange, false))
    return;
  // While the control is busy the change is held: the refresh runs as soon as the control is free.
  if (Busy())
    Hold(TKdHeldWork::Refresh);
  else
    Schedule(FControl->Focused() ? FocusedRefreshDelay : UnfocusedRefreshDelay);
}

void TKdRefreshGate::Schedule(UINT delay) {
  FTimer->SetEnabled(false);
  FTimer->SetInterval(delay);
  FTimer->SetEnabled(true);
}

bool TKdRefreshGate::Admit(TKdHeldWork work) {
  if (!Busy())
    return true;
  Hold(work);
  return false;
}

void TKdRefreshGate::Hold(TKdHeldWork work) { FHeld = Larger(FHeld, work); }

void TKdRefreshGate::RunHeld() {
  if (Busy())
    return;
  const TKdHeldWork work = std::exchange(FHeld, TKdHeldWork::None);
  if (work == TKdHeldWork::None)
    return;
  // What is held covers a refresh that is due as well.
  FTimer->SetEnabled(false);
  FRun(work);
}

void TKdRefreshGate::EditEnded() {
  if (FHeld != TKdHeldWork::None)
    Schedule(HeldWorkDelay);
}

bool TKdRefreshGate::RefreshDue() const { return FTimer->Enabled(); }

void TKdRefreshGate::RunDue() {
  if (FTimer->Enabled())
    Tick();
}

void TKdRefreshGate::CancelDue() { FTimer->SetEnabled(false); }

void TKdRefreshGate::Tick() {
  FTimer->SetEnabled(false);
  // The spell ended (or held work waited for the loop): at least a refresh, a held fill if there is one.
  const TKdHeldWork work = Larger(std::exchange(FHeld, TKdHeldWork::None), TKdHeldWork::Refresh);
  if (Busy()) {
    FHeld = work;
    return;
  }
  FRun(work);
}

void RefreshAfterDeviceChange(const TKdMessage &message, const std::function<void()> &refresh) {
  if (message.WParam != DBT_DEVICEARRIVAL && message.WParam != DBT_DEVICEREMOVECOMPLETE)
    return;
  RevalidateDriveList();
  TKdDriveRevalidationPause paused;
  refresh();
}
