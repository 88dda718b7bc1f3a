// The entry points of every executable of the project (the linker is told to start there, see
// zor_executable_entry in CMakeLists.txt). The library search is restricted before anything else runs: the
// run-time library's start-up, static constructors, and whatever they load on the program's behalf. The
// process then declares itself aware of every monitor's resolution, before any window exists.
#include "toolkit/Dpi.h"
#include "toolkit/SystemLibrary.h"

extern "C" {

// The run-time library's own entry points, which start it and then call WinMain or main.
int WinMainCRTStartup();
int mainCRTStartup();

int ZorWindowsEntry() {
  RestrictLibrarySearch();
  SetProcessPerMonitorDpiAware();
  return WinMainCRTStartup();
}

int ZorConsoleEntry() {
  RestrictLibrarySearch();
  SetProcessPerMonitorDpiAware();
  return mainCRTStartup();
}
}
