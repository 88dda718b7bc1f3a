#include "shellns/Shell95Internal.h"
#include "shellns/UKdShell95.h"

void InitializeShell95Unit() {
  OSVersionInfo = {};
  OSVersionInfo.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
  GetVersionExA(&OSVersionInfo);
  AcquireShellMalloc();
  if (!GetFileVersionNumber("comctl32.dll", ComCtl32Version))
    ComCtl32Version = 0;
  if (!GetFileVersionNumber("shell32.dll", Shell32Version))
    Shell32Version = 0;
}

void FinalizeShell95Unit() {
  FreeDeviceChangeHandler();
  FreeNetworkApi();
  ReleaseShellMalloc();
}
