#pragma once
// The process error mode for a scope, with critical-error dialogs suppressed: a drive without a medium must
// answer a file-system call with an error, never ask the user to insert one.
#include <windows.h>

class TKdErrorModeScope {
public:
  TKdErrorModeScope() : FSaved(SetErrorMode(0)) { SetErrorMode(FSaved | SEM_FAILCRITICALERRORS); }
  ~TKdErrorModeScope() { SetErrorMode(FSaved); }
  TKdErrorModeScope(const TKdErrorModeScope &) = delete;
  TKdErrorModeScope &operator=(const TKdErrorModeScope &) = delete;

private:
  UINT FSaved;
};
