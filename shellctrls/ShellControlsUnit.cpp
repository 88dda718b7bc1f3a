#include <windows.h>

#include <ole2.h>
#include <shlobj.h>

#include "shellctrls/UKdShellControls.h"

void InitializeShellControlsUnit() {
  RegisterClipboardFormats();
  OleInitialize(nullptr);
  ReadHoverSettings();
}

void FinalizeShellControlsUnit() {
  EndChangeWatchers();
  FreeSendToList();
  OleUninitialize();
}
