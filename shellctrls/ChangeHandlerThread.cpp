#include "shellctrls/ChangeHandlerThread.h"

#include "toolkit/SysUtils.h"

namespace {

HANDLE CreateAutoResetEvent() {
  HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (!event)
    RaiseLastOSError();
  return event;
}

} // namespace

TChangeHandlerThread::TChangeHandlerThread(HWND ownerWindow, UINT changeMessage)
    : FOwnerWindow(ownerWindow), FChangeMessage(changeMessage) {
  FSlots.assign(SlotCount, INVALID_HANDLE_VALUE);
  FDoActionEvent = CreateAutoResetEvent();
  try {
    FActionDoneEvent = CreateAutoResetEvent();
  } catch (...) {
    CloseHandle(FDoActionEvent);
    throw;
  }
  Start();
}

TChangeHandlerThread::~TChangeHandlerThread() {
  FAction = actEnd;
  SetEvent(FDoActionEvent);
  WaitFor(EndTimeoutMs);
  // A worker that did not end in time still has to be gone before its handles are closed under it; the
  // terminated flag makes it leave as soon as its wait returns.
  Terminate();
  WaitFor();

  std::vector<HANDLE> held;
  for (HANDLE handle : FSlots)
    if (handle != INVALID_HANDLE_VALUE)
      held.push_back(handle);
  if (FPendingHandle != INVALID_HANDLE_VALUE)
    held.push_back(FPendingHandle);
  FSlots.clear();
  FPendingHandle = INVALID_HANDLE_VALUE;

  CloseHandle(FDoActionEvent);
  CloseHandle(FActionDoneEvent);
  for (HANDLE handle : held)
    FindCloseChangeNotification(handle);
}

bool TChangeHandlerThread::AddWatch(const std::string &path, DWORD notifyFilter, int &slotIndex, bool watchSubtree) {
  if (path.empty())
    return false;
  HANDLE handle = FindFirstChangeNotificationA(path.c_str(), watchSubtree ? TRUE : FALSE, notifyFilter);
  if (handle == INVALID_HANDLE_VALUE)
    return false;
  FPendingHandle = handle;
  FAction = actPlacePending;
  ResetEvent(FActionDoneEvent);
  SetEvent(FDoActionEvent);
  // On a timeout the worker may still take the handle later; it then lives in a slot until the watches
  // are removed, and the destructor closes it if the worker never got to it.
  if (WaitForSingleObject(FActionDoneEvent, CommandTimeoutMs) != WAIT_OBJECT_0)
    return false;
  slotIndex = FNewSlotIndex;
  if (slotIndex != -1)
    return true;
  FindCloseChangeNotification(FPendingHandle);
  FPendingHandle = INVALID_HANDLE_VALUE;
  return false;
}

void TChangeHandlerThread::RemoveAllWatches() { IssueCommand(actCloseAll); }

void TChangeHandlerThread::IssueCommand(BYTE action) {
  FAction = action;
  ResetEvent(FActionDoneEvent);
  SetEvent(FDoActionEvent);
  WaitForSingleObject(FActionDoneEvent, CommandTimeoutMs);
}

void TChangeHandlerThread::Execute() {
  // Allocated once: the loop itself never allocates, so nothing can fail between two waits.
  std::vector<HANDLE> waitHandles;
  std::vector<int> slotOfEntry;
  waitHandles.reserve(MAXIMUM_WAIT_OBJECTS);
  slotOfEntry.reserve(MAXIMUM_WAIT_OBJECTS);

  for (;;) {
    waitHandles.assign(1, FDoActionEvent);
    slotOfEntry.assign(1, -1);
    for (int slot = 0; slot < SlotCount; ++slot) {
      if (FSlots[slot] != INVALID_HANDLE_VALUE) {
        waitHandles.push_back(FSlots[slot]);
        slotOfEntry.push_back(slot);
      }
    }
    const DWORD count = static_cast<DWORD>(waitHandles.size());
    const DWORD result = WaitForMultipleObjects(count, waitHandles.data(), FALSE, INFINITE);
    if (Terminated())
      return;

    if (result == WAIT_OBJECT_0) {
      switch (FAction) {
      case actPlacePending:
        PlacePendingHandle();
        break;
      case actCloseAll:
        CloseAllSlots();
        break;
      case actEnd:
        return;
      default:
        break;
      }
      SetEvent(FActionDoneEvent);
    } else if (result > WAIT_OBJECT_0 && result < WAIT_OBJECT_0 + count) {
      const int slot = slotOfEntry[result - WAIT_OBJECT_0];
      if (FOwnerWindow)
        PostMessageA(FOwnerWindow, FChangeMessage, static_cast<WPARAM>(slot), 0);
      // Re-armed before the owner refreshes, so a change during its refresh signals again. A folder that
      // went away cannot be re-armed: its watch ends without a message.
      if (!FindNextChangeNotification(FSlots[slot]))
        FreeSlot(slot);
    } else if (result > WAIT_ABANDONED_0 && result < WAIT_ABANDONED_0 + count) {
      FreeSlot(slotOfEntry[result - WAIT_ABANDONED_0]);
    }
  }
}

void TChangeHandlerThread::PlacePendingHandle() {
  FNewSlotIndex = -1;
  for (int slot = 0; slot < SlotCount; ++slot) {
    if (FSlots[slot] == INVALID_HANDLE_VALUE) {
      FSlots[slot] = FPendingHandle;
      FNewSlotIndex = slot;
      FPendingHandle = INVALID_HANDLE_VALUE;
      return;
    }
  }
}

void TChangeHandlerThread::CloseAllSlots() {
  for (int slot = 0; slot < SlotCount; ++slot)
    if (FSlots[slot] != INVALID_HANDLE_VALUE)
      FreeSlot(slot);
}

void TChangeHandlerThread::FreeSlot(int slot) {
  FindCloseChangeNotification(FSlots[slot]);
  FSlots[slot] = INVALID_HANDLE_VALUE;
}
