#include "toolkit/SystemLibrary.h"

#include <string>

void RestrictLibrarySearch() {
  // Looked up rather than imported, so that the program still starts on a system without it.
  using TSetDefaultDllDirectories = BOOL(WINAPI *)(DWORD directoryFlags);
  auto setDefaultDirectories =
      ProcAddress<TSetDefaultDllDirectories>(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
  if (setDefaultDirectories)
    setDefaultDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  SetDllDirectoryW(L"");
}

HMODULE LoadSystemLibrary(const wchar_t *name) {
  HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module || GetLastError() != ERROR_INVALID_PARAMETER)
    return module;
  // A system that does not know the search flag: the same file by its full path, its own libraries looked up
  // beside it.
  wchar_t folder[MAX_PATH];
  UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH)
    return nullptr;
  std::wstring path = std::wstring(folder, length) + L"\\" + name;
  return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
