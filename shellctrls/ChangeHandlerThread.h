#pragma once
// Worker that watches up to 63 folders with file-system change handles and posts one message per signal to
// the window that asked for the watch (its owner window, unless a watch names another). The controls debounce
// those messages themselves; the worker never touches a control.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "toolkit/Handles.h"
#include "toolkit/Thread.h"

class TChangeHandlerThread : public TThread {
public:
  // One wait slot of the 64 that WaitForMultipleObjects takes is the command event.
  static constexpr int SlotCount = MAXIMUM_WAIT_OBJECTS - 1;
  // How long the main thread waits for a command to be carried out, and for the worker to end.
  static constexpr DWORD CommandTimeoutMs = 2000;
  static constexpr DWORD EndTimeoutMs = 30000;

  // Starts the worker at once. Every signalled watch posts message(slot, 0) to owner; a null owner gets
  // nothing.
  TChangeHandlerThread(HWND ownerWindow, UINT changeMessage);
  // Ends the worker (command, then a bounded wait) and closes every change handle it still held.
  ~TChangeHandlerThread() override;

  // Watches path (not its subfolders unless watchSubtree) for the FILE_NOTIFY_CHANGE_ kinds in filter;
  // slotIndex receives the slot that the change message will carry. False when the folder cannot be
  // watched, when all slots are taken or when the worker does not answer in time (then the watch never
  // starts, however late the worker gets to it).
  bool AddWatch(const std::string &path, DWORD notifyFilter, int &slotIndex, bool watchSubtree);
  // The same, the changes posted to owner as message(slot, 0).
  bool AddWatch(const std::string &path, DWORD notifyFilter, int &slotIndex, bool watchSubtree, HWND owner,
                UINT message);
  // Ends every watch; returns when the worker has done so (or after the command timeout: the watches
  // then end as soon as the worker gets to it, before any watch added later starts).
  void RemoveAllWatches();
  // Ends every watch posting to owner, as RemoveAllWatches ends them all.
  void RemoveWatchesOf(HWND owner);

  HWND OwnerWindow() const { return FOwnerWindow; }
  UINT ChangeMessage() const { return FChangeMessage; }

  // Runs on the worker before each command it carries out; set it before issuing the commands it should
  // see (tests stall the worker here).
  std::function<void()> BeforeCommand;

protected:
  void Execute() override;

private:
  struct TCommand;
  using TCommandPtr = std::shared_ptr<TCommand>;

  // Where a watch's changes go.
  struct TTarget {
    HWND Owner = nullptr;
    UINT Message = 0;
  };

  TCommandPtr Issue(int action, TChangeHandle handle, TTarget target);
  TCommandPtr Issue(int action, TChangeHandle handle) { return Issue(action, std::move(handle), TTarget()); }
  bool WaitDone(TCommand &command, DWORD timeoutMs);
  // Carries out every queued command; false once the end command came.
  bool RunCommands();
  void PlaceWatch(TCommand &command);
  void CloseAllSlots();
  void CloseSlotsOf(HWND owner);

  TKernelHandle FDoActionEvent;
  TKernelHandle FActionDoneEvent;
  HWND FOwnerWindow;
  UINT FChangeMessage;
  // Commands not yet taken by the worker, oldest first; the lock is held only to add or take one (a slim
  // lock: it never needs a kernel object of its own).
  SRWLOCK FQueueLock = SRWLOCK_INIT;
  std::vector<TCommandPtr> FQueue;
  // Written only by the worker once it runs; the destructor reads them after the worker has ended.
  std::vector<TChangeHandle> FSlots;
  std::vector<TTarget> FTargets;
};
