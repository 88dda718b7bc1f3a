#include "shellns/ShellVersion.h"

#include <vector>

#include "toolkit/Handles.h"
#include "toolkit/SystemLibrary.h"

OSVERSIONINFOA OSVersionInfo = {};
uint64_t ComCtl32Version = 0;
uint64_t Shell32Version = 0;

bool GetFileVersionNumber(const std::string &fileName, uint64_t &version) {
  // version.dll is not one of the libraries Windows always takes from its own folder: imported, it would be
  // looked up beside the program first.
  TModuleHandle library(LoadSystemLibrary(L"version.dll"));
  auto infoSizeOf = ProcAddress<decltype(&GetFileVersionInfoSizeA)>(library.Get(), "GetFileVersionInfoSizeA");
  auto infoOf = ProcAddress<decltype(&GetFileVersionInfoA)>(library.Get(), "GetFileVersionInfoA");
  auto queryValue = ProcAddress<decltype(&VerQueryValueA)>(library.Get(), "VerQueryValueA");
  if (!infoSizeOf || !infoOf || !queryValue)
    return false;
  DWORD handle = 0;
  DWORD size = infoSizeOf(fileName.c_str(), &handle);
  if (size == 0)
    return false;
  std::vector<BYTE> block(size);
  if (!infoOf(fileName.c_str(), 0, size, block.data()))
    return false;
  VS_FIXEDFILEINFO *info = nullptr;
  UINT infoSize = 0;
  if (!queryValue(block.data(), "\\", reinterpret_cast<void **>(&info), &infoSize) || !info ||
      infoSize < sizeof(VS_FIXEDFILEINFO))
    return false;
  version = (static_cast<uint64_t>(info->dwFileVersionMS) << 32) | info->dwFileVersionLS;
  return true;
}

bool IsWindowsNT() { return OSVersionInfo.dwPlatformId == VER_PLATFORM_WIN32_NT; }
