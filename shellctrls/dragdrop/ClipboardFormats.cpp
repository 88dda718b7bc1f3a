#include "shellctrls/dragdrop/ClipboardFormats.h"

#include <windows.h>

#include <shlobj.h>

unsigned int CF_IDLIST = 0;

void RegisterClipboardFormats() { CF_IDLIST = RegisterClipboardFormatA(CFSTR_SHELLIDLIST); }
