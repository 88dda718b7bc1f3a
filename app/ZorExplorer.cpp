// Entry sequence of ZorExplorer.exe: unit start, instance numbering, main window, message loop, unit end.
#include <windows.h>

#include "app/CommandLine.h"
#include "app/InstanceMutex.h"
#include "app/MainFormUnit.h"
#include "shellctrls/UKdShellControls.h"
#include "shellns/UKdShell95.h"
#include "toolkit/Application.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  InitializeShell95Unit();
  InitializeShellControlsUnit();
  // The system's icon lists take the longest to build of what the first window shows: begun now, they are
  // built while the window is made.
  BuildSystemIconListsAhead();
  int exitCode = 0;
  {
    TApplication application;
    try {
      // Inside the try block, so the mutex is closed as soon as the loop is left, whichever way, and
      // before an error box about an escaped exception holds the process (and its number) open.
      TInstanceMutex instance;
      int number = instance.Claim(InstanceMutexBaseName);
      application.Initialize();
      auto *form = application.CreateForm<TFormMainExplorer>();
      form->SetInstanceNumber(number);
      form->OpenStartFolders(CommandLineArguments(GetCommandLineW()));
      application.Run();
    } catch (...) {
      application.HandleException(nullptr);
      exitCode = 1;
    }
  }
  AppTitle.clear();
  FinalizeShellControlsUnit();
  FinalizeShell95Unit();
  return exitCode;
}
