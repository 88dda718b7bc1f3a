// A library left beside a downloaded program under the name of a system library. When it is loaded it writes
// "<its own path>.loaded"; each of its exports answers 0 (failure, or no data), so whoever loaded it goes on.
#include <windows.h>

extern "C" DWORD_PTR PlantedExport() { return 0; }

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH)
    return TRUE;
  wchar_t path[MAX_PATH + 16] = {};
  DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
  if (length > 0 && length < MAX_PATH) {
    lstrcatW(path, L".loaded");
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
      CloseHandle(file);
  }
  return TRUE;
}
