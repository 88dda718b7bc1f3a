#include "toolkit/Thread.h"

#include "toolkit/SysUtils.h"

TThread::TThread() : FSuspended(true) {
  FHandle.Reset(CreateThread(nullptr, 0, ThreadProc, this, CREATE_SUSPENDED, &FThreadID));
  if (!FHandle)
    throw EThread("Thread creation error: " + SysErrorMessage(GetLastError()));
}

TThread::~TThread() {
  if (!FHandle)
    return;
  if (FSuspended)
    TerminateThread(FHandle.Get(), 0); // never started: no code of ours ran on it
  else if (!FFinished)
    WaitForSingleObject(FHandle.Get(), INFINITE);
}

void TThread::Start() {
  if (FSuspended) {
    FSuspended = false;
    ResumeThread(FHandle.Get());
  }
}

DWORD TThread::WaitFor() {
  WaitForSingleObject(FHandle.Get(), INFINITE);
  DWORD code = 0;
  GetExitCodeThread(FHandle.Get(), &code);
  return code;
}

bool TThread::WaitFor(DWORD timeoutMs) { return WaitForSingleObject(FHandle.Get(), timeoutMs) == WAIT_OBJECT_0; }

DWORD WINAPI TThread::ThreadProc(LPVOID param) {
  auto *self = static_cast<TThread *>(param);
  // Nothing may escape into the platform's thread start; a thread that fails simply ends.
  try {
    self->Execute();
  } catch (...) {
  }
  DWORD result = self->ReturnValue;
  self->FFinished = true;
  return result;
}
