#pragma once
// A thread object over CreateThread: Execute runs on the new thread; Terminate only sets a flag that
// Execute is expected to look at.
#include <windows.h>

#include <atomic>

#include "toolkit/Handles.h"

class TThread {
public:
  // The thread is created suspended and runs Execute once Start is called (the derived object must be
  // complete before Execute may run).
  TThread();
  // A derived class must stop its thread in its own destructor (Execute is gone by the time this runs);
  // this one only waits for a thread that is still running, then closes the handle.
  virtual ~TThread();
  TThread(const TThread &) = delete;
  TThread &operator=(const TThread &) = delete;

  void Start();
  void Terminate() { FTerminated = true; }
  // Waits until Execute has returned; gives its ReturnValue.
  DWORD WaitFor();
  // Waits at most timeoutMs; true when the thread has ended.
  bool WaitFor(DWORD timeoutMs);

  bool Terminated() const { return FTerminated; }
  bool Finished() const { return FFinished; }
  HANDLE Handle() const { return FHandle.Get(); }
  DWORD ThreadID() const { return FThreadID; }

protected:
  virtual void Execute() = 0;
  DWORD ReturnValue = 0;

private:
  static DWORD WINAPI ThreadProc(LPVOID param);

  TKernelHandle FHandle;
  DWORD FThreadID = 0;
  bool FSuspended = false;
  std::atomic<bool> FTerminated{false};
  std::atomic<bool> FFinished{false};
};
