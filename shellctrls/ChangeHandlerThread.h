#pragma once
// Worker that watches up to 63 folders with file-system change handles and posts one message per signal to
// its owner window. The controls debounce those messages themselves; the worker never touches a control.
#include <windows.h>

#include <string>
#include <vector>

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
  // watched, when all slots are taken or when the worker does not answer.
  bool AddWatch(const std::string &path, DWORD notifyFilter, int &slotIndex, bool watchSubtree);
  // Ends every watch; returns when the worker has done so (or after the command timeout).
  void RemoveAllWatches();

  HWND OwnerWindow() const { return FOwnerWindow; }
  UINT ChangeMessage() const { return FChangeMessage; }

protected:
  void Execute() override;

private:
  enum : BYTE { actPlacePending = 0, actCloseAll = 2, actEnd = 3 };

  void IssueCommand(BYTE action);
  void PlacePendingHandle();
  void CloseAllSlots();
  void FreeSlot(int slot);

  HANDLE FDoActionEvent = nullptr;
  HANDLE FActionDoneEvent = nullptr;
  HWND FOwnerWindow;
  UINT FChangeMessage;
  // Written only by the worker once it runs; the main thread reads them after the done event or after the
  // worker has ended. The two events order every hand-over, so no lock is needed.
  std::vector<HANDLE> FSlots;
  HANDLE FPendingHandle = INVALID_HANDLE_VALUE;
  LONG FNewSlotIndex = -1;
  BYTE FAction = actPlacePending;
};
