#include "shellctrls/ChangeHandlerThread.h"

#include <atomic>

#include "toolkit/SysUtils.h"

namespace {

enum : int { actPlaceWatch = 0, actCloseOwner = 1, actCloseAll = 2, actEnd = 3 };

TKernelHandle CreateAutoResetEvent() {
  TKernelHandle event(CreateEventA(nullptr, FALSE, FALSE, nullptr));
  if (!event)
    RaiseLastOSError();
  return event;
}

class TQueueLock {
public:
  explicit TQueueLock(SRWLOCK &lock) : FLock(lock) { AcquireSRWLockExclusive(&lock); }
  ~TQueueLock() { ReleaseSRWLockExclusive(&FLock); }
  TQueueLock(const TQueueLock &) = delete;
  TQueueLock &operator=(const TQueueLock &) = delete;

private:
  SRWLOCK &FLock;
};

} // namespace

// One command from the main thread to the worker. It carries what it needs (the new watch's handle), so no
// later command can hand the worker another one in its place. Its fate is decided once, by whichever side
// comes first: the worker taking it, or the main thread giving up waiting for it. A watch given up on is
// closed when the worker gets to it, never placed: its caller was told it failed.
struct TChangeHandlerThread::TCommand {
  enum : int { Queued, Taken, Abandoned };

  TCommand(int action, TChangeHandle handle, TTarget target)
      : Action(action), Handle(std::move(handle)), Target(target) {}

  bool Decide(int fate) {
    int queued = Queued;
    return State.compare_exchange_strong(queued, fate);
  }

  const int Action;
  TChangeHandle Handle;
  // The window a new watch posts to, or whose watches end.
  const TTarget Target;
  // The slot the watch went to, -1 for none; read by the main thread once Done is set.
  int Slot = -1;
  std::atomic<int> State{Queued};
  std::atomic<bool> Done{false};
};

TChangeHandlerThread::TChangeHandlerThread(HWND ownerWindow, UINT changeMessage)
    : FDoActionEvent(CreateAutoResetEvent()), FActionDoneEvent(CreateAutoResetEvent()), FOwnerWindow(ownerWindow),
      FChangeMessage(changeMessage), FSlots(SlotCount), FTargets(SlotCount) {
  Start();
}

TChangeHandlerThread::~TChangeHandlerThread() {
  Issue(actEnd, TChangeHandle());
  WaitFor(EndTimeoutMs);
  // A worker that did not end in time still has to be gone before its handles are closed under it; the
  // terminated flag makes it leave as soon as its wait returns.
  Terminate();
  SetEvent(FDoActionEvent.Get());
  WaitFor();
  // The slots and the commands never taken close their handles as they go.
}

bool TChangeHandlerThread::AddWatch(const std::string &path, DWORD notifyFilter, int &slotIndex, bool watchSubtree) {
  return AddWatch(path, notifyFilter, slotIndex, watchSubtree, FOwnerWindow, FChangeMessage);
}

bool TChangeHandlerThread::AddWatch(const std::string &path, DWORD notifyFilter, int &slotIndex, bool watchSubtree,
                                    HWND owner, UINT message) {
  if (path.empty())
    return false;
  TChangeHandle handle(FindFirstChangeNotificationA(path.c_str(), watchSubtree ? TRUE : FALSE, notifyFilter));
  if (!handle)
    return false;
  TCommandPtr command = Issue(actPlaceWatch, std::move(handle), {owner, message});
  if (!WaitDone(*command, CommandTimeoutMs)) {
    if (command->Decide(TCommand::Abandoned))
      return false;
    // The worker took it at the last moment; its answer follows at once.
    WaitDone(*command, INFINITE);
  }
  slotIndex = command->Slot;
  return slotIndex != -1;
}

void TChangeHandlerThread::RemoveAllWatches() {
  // Never given up: carried out late, it still runs before any watch added after it.
  TCommandPtr command = Issue(actCloseAll, TChangeHandle());
  WaitDone(*command, CommandTimeoutMs);
}

void TChangeHandlerThread::RemoveWatchesOf(HWND owner) {
  TCommandPtr command = Issue(actCloseOwner, TChangeHandle(), {owner, 0});
  WaitDone(*command, CommandTimeoutMs);
}

TChangeHandlerThread::TCommandPtr TChangeHandlerThread::Issue(int action, TChangeHandle handle, TTarget target) {
  auto command = std::make_shared<TCommand>(action, std::move(handle), target);
  {
    TQueueLock lock(FQueueLock);
    FQueue.push_back(command);
  }
  SetEvent(FDoActionEvent.Get());
  return command;
}

bool TChangeHandlerThread::WaitDone(TCommand &command, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (!command.Done) {
    const DWORD elapsed = GetTickCount() - start;
    if (timeoutMs != INFINITE && elapsed >= timeoutMs)
      return command.Done;
    // One event serves every command: a signal may be an earlier command's, so look again.
    WaitForSingleObject(FActionDoneEvent.Get(), timeoutMs == INFINITE ? INFINITE : timeoutMs - elapsed);
  }
  return true;
}

void TChangeHandlerThread::Execute() {
  // Allocated once: the loop itself never allocates, so nothing can fail between two waits.
  std::vector<HANDLE> waitHandles;
  std::vector<int> slotOfEntry;
  waitHandles.reserve(MAXIMUM_WAIT_OBJECTS);
  slotOfEntry.reserve(MAXIMUM_WAIT_OBJECTS);

  for (;;) {
    waitHandles.assign(1, FDoActionEvent.Get());
    slotOfEntry.assign(1, -1);
    for (int slot = 0; slot < SlotCount; ++slot) {
      if (FSlots[slot]) {
        waitHandles.push_back(FSlots[slot].Get());
        slotOfEntry.push_back(slot);
      }
    }
    const DWORD count = static_cast<DWORD>(waitHandles.size());
    const DWORD result = WaitForMultipleObjects(count, waitHandles.data(), FALSE, INFINITE);
    if (Terminated())
      return;

    if (result == WAIT_OBJECT_0) {
      if (!RunCommands())
        return;
    } else if (result > WAIT_OBJECT_0 && result < WAIT_OBJECT_0 + count) {
      const int slot = slotOfEntry[result - WAIT_OBJECT_0];
      if (const TTarget &target = FTargets[slot]; target.Owner)
        PostMessageA(target.Owner, target.Message, static_cast<WPARAM>(slot), 0);
      // Re-armed before the owner refreshes, so a change during its refresh signals again. A folder that
      // went away cannot be re-armed: its watch ends without a message.
      if (!FindNextChangeNotification(FSlots[slot].Get()))
        FSlots[slot].Reset();
    } else if (result > WAIT_ABANDONED_0 && result < WAIT_ABANDONED_0 + count) {
      FSlots[slotOfEntry[result - WAIT_ABANDONED_0]].Reset();
    }
  }
}

bool TChangeHandlerThread::RunCommands() {
  for (;;) {
    TCommandPtr command;
    {
      TQueueLock lock(FQueueLock);
      if (FQueue.empty())
        return true;
      command = std::move(FQueue.front());
      FQueue.erase(FQueue.begin());
    }
    if (BeforeCommand)
      BeforeCommand();
    const bool taken = command->Decide(TCommand::Taken);
    switch (command->Action) {
    case actEnd:
      return false;
    case actPlaceWatch:
      if (taken)
        PlaceWatch(*command);
      break;
    case actCloseAll:
      CloseAllSlots();
      break;
    case actCloseOwner:
      CloseSlotsOf(command->Target.Owner);
      break;
    default:
      break;
    }
    // A watch that got no slot, or was given up on, ends before its caller hears of it.
    command->Handle.Reset();
    command->Done = true;
    SetEvent(FActionDoneEvent.Get());
  }
}

void TChangeHandlerThread::PlaceWatch(TCommand &command) {
  for (int slot = 0; slot < SlotCount; ++slot) {
    if (!FSlots[slot]) {
      FSlots[slot] = std::move(command.Handle);
      FTargets[slot] = command.Target;
      command.Slot = slot;
      return;
    }
  }
}

void TChangeHandlerThread::CloseAllSlots() {
  for (TChangeHandle &slot : FSlots)
    slot.Reset();
}

void TChangeHandlerThread::CloseSlotsOf(HWND owner) {
  for (int slot = 0; slot < SlotCount; ++slot)
    if (FTargets[slot].Owner == owner)
      FSlots[slot].Reset();
}
