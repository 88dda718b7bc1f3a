#include <windows.h>

#include <ole2.h>
#include <shlobj.h>

#include <utility>

#include "shellctrls/UKdShellControls.h"
#include "toolkit/Handles.h"

namespace {

TKernelHandle &IconListWarmUp() {
  static TKernelHandle thread;
  return thread;
}

DWORD WINAPI BuildSystemIconLists(LPVOID) {
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  GetSystemImageList(0);
  GetSystemImageList(1);
  if (SUCCEEDED(com))
    CoUninitialize();
  return 0;
}

} // namespace

void InitializeShellControlsUnit() {
  RegisterClipboardFormats();
  OleInitialize(nullptr);
  ReadHoverSettings();
}

void BuildSystemIconListsAhead() {
  // Once per run of the unit: the lists are the process's.
  static bool started = false;
  if (std::exchange(started, true))
    return;
  IconListWarmUp().Reset(CreateThread(nullptr, 0, BuildSystemIconLists, nullptr, 0, nullptr));
}

void FinalizeShellControlsUnit() {
  if (IconListWarmUp()) {
    WaitForSingleObject(IconListWarmUp().Get(), INFINITE);
    IconListWarmUp().Reset();
  }
  EndChangeWatchers();
  FreeSendToList();
  OleUninitialize();
}
