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

// Asks the shell for the small icon of each folder in folder (list: its ID list), which it then keeps; not for a
// plain folder where the controls take the one folder icon without asking (the icon lists are the shell's
// to keep while this runs, and the first tree's fill waits for them).
void LoadFolderIcons(LPCITEMIDLIST list) {
  ComPtr<IShellFolder> folder;
  ComPtr<IEnumIDList> items;
  if (BindToShellFolder(list, folder) != S_OK || folder->EnumObjects(nullptr, SHCONTF_FOLDERS, items.Put()) != S_OK ||
      !items)
    return;
  TKdIdListPtr item;
  while (items->Next(1, PidlOut(item), nullptr) == S_OK)
    if (PlainFolderIconIndex(folder.Get(), item.get()) < 0)
      if (TKdIdListPtr absolute = IdListConcat(list, item.get()))
        GetIdListIconIndex(absolute.get(), SHGFI_SMALLICON);
}

DWORD WINAPI BuildSystemIconLists(LPVOID) {
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  GetSystemImageList(0);
  GetSystemImageList(1);
  // The icons every tree shows first, the desktop's folders and My Computer's drives: the shell extracts each
  // from its file the first time it is asked for it. A drive without a medium fails quietly.
  DWORD errorMode = 0;
  SetThreadErrorMode(SEM_FAILCRITICALERRORS, &errorMode);
  GetIdListIconIndex(nullptr, SHGFI_SMALLICON);
  LoadFolderIcons(nullptr);
  TKdIdListPtr computer;
  if (GetSpecialFolderIdList(nullptr, CSIDL_DRIVES, computer) == S_OK)
    LoadFolderIcons(computer.get());
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
