#pragma once
// Libraries come from the system folder only. A program that users unpack and start from their Downloads
// folder must never load a library that someone left beside it, or in the folder it was started from, under
// the name of a system library.
#include <windows.h>

// Limits where the process looks for libraries to the system folder, and takes the current folder out of
// the search where that limit is not to be had (Windows 7 without its update). Every executable of the
// project calls it from its entry point (ProcessEntry.cpp), before the run-time library starts and before any
// static constructor runs.
void RestrictLibrarySearch();

// Loads a library by its file name ("netapi32.dll") from the system folder and from nowhere else; null when
// it is not there. Free it with FreeLibrary (TModuleHandle).
HMODULE LoadSystemLibrary(const wchar_t *name);

// An export of a loaded library as a function pointer of type F; null when the library lacks it.
template <class F> F ProcAddress(HMODULE module, const char *name) {
  return reinterpret_cast<F>(reinterpret_cast<void *>(GetProcAddress(module, name)));
}
