#include <windows.h>

#include <ole2.h>
#include <shlobj.h>

#include "shellctrls/UKdShellControls.h"

unsigned int CF_IDLIST = 0;

void InitializeShellControlsUnit() {
  CF_IDLIST = RegisterClipboardFormatA(CFSTR_SHELLIDLIST);
  OleInitialize(nullptr);
  ReadHoverSettings();
}

void FinalizeShellControlsUnit() {
  FreeSendToList();
  OleUninitialize();
}
