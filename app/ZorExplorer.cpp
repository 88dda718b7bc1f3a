// Entry sequence of ZorExplorer.exe: unit start, instance numbering, main window, message loop, unit end.
#include <windows.h>

#include "shellctrls/UKdShellControls.h"
#include "shellns/UKdShell95.h"
#include "toolkit/Application.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  InitializeShell95Unit();
  InitializeShellControlsUnit();
  {
    TApplication application;
    application.Initialize();
    application.Run();
  }
  FinalizeShellControlsUnit();
  FinalizeShell95Unit();
  return 0;
}
