#include "shellns/NetworkDrive.h"

#include <lmuse.h>

#include "toolkit/Handles.h"
#include "toolkit/SystemLibrary.h"

namespace {

using TNetUseGetInfo = DWORD(WINAPI *)(LPWSTR serverName, LPWSTR useName, DWORD level, LPBYTE *buffer);
using TNetApiBufferFree = DWORD(WINAPI *)(LPVOID buffer);

unsigned char GNetApiState = 0;
TModuleHandle GNetApi;
TNetUseGetInfo GNetUseGetInfo = nullptr;
TNetApiBufferFree GNetApiBufferFree = nullptr;

} // namespace

unsigned char NetworkApiState() { return GNetApiState; }

bool IsNetworkDriveConnected(char letter) {
  if (GNetApiState == 0) {
    GNetApiState = 1;
    GNetApi.Reset(LoadSystemLibrary(L"netapi32.dll"));
    if (GNetApi) {
      GNetUseGetInfo = ProcAddress<TNetUseGetInfo>(GNetApi.Get(), "NetUseGetInfo");
      GNetApiBufferFree = ProcAddress<TNetApiBufferFree>(GNetApi.Get(), "NetApiBufferFree");
      if (GNetUseGetInfo && GNetApiBufferFree)
        GNetApiState = 2;
    }
  }
  if (GNetApiState != 2)
    return true;
  wchar_t name[3] = {static_cast<wchar_t>(static_cast<unsigned char>(letter)), L':', 0};
  LPBYTE buffer = nullptr;
  if (GNetUseGetInfo(nullptr, name, 1, &buffer) != 0)
    return false;
  if (!buffer)
    return false;
  DWORD status = reinterpret_cast<USE_INFO_1 *>(buffer)->ui1_status;
  GNetApiBufferFree(buffer);
  return status == USE_OK;
}

void FreeNetworkApi() {
  GNetApi.Reset();
  GNetUseGetInfo = nullptr;
  GNetApiBufferFree = nullptr;
  GNetApiState = 0;
}
