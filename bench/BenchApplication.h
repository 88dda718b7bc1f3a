#pragma once
// The frame the benchmark programs run in, as the program itself does: the units started, an application
// object, and the units finished after everything made in work is gone.
#include "shellctrls/UKdShellControls.h"
#include "shellns/UKdShell95.h"
#include "toolkit/Application.h"

namespace zorbench {

template <class Work> int RunInApplication(Work work) {
  InitializeShell95Unit();
  InitializeShellControlsUnit();
  int result = 0;
  {
    TApplication application;
    application.Initialize();
    result = work();
  }
  FinalizeShellControlsUnit();
  FinalizeShell95Unit();
  return result;
}

} // namespace zorbench
