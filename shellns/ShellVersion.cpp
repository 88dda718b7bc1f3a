#include "shellns/ShellVersion.h"

#include <vector>

OSVERSIONINFOA OSVersionInfo = {};
uint64_t ComCtl32Version = 0;
uint64_t Shell32Version = 0;

bool GetFileVersionNumber(const std::string &fileName, uint64_t &version) {
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(fileName.c_str(), &handle);
  if (size == 0)
    return false;
  std::vector<BYTE> block(size);
  if (!GetFileVersionInfoA(fileName.c_str(), 0, size, block.data()))
    return false;
  VS_FIXEDFILEINFO *info = nullptr;
  UINT infoSize = 0;
  if (!VerQueryValueA(block.data(), "\\", reinterpret_cast<void **>(&info), &infoSize) || !info ||
      infoSize < sizeof(VS_FIXEDFILEINFO))
    return false;
  version = (static_cast<uint64_t>(info->dwFileVersionMS) << 32) | info->dwFileVersionLS;
  return true;
}

bool IsWindowsNT() { return OSVersionInfo.dwPlatformId == VER_PLATFORM_WIN32_NT; }
