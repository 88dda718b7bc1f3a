#include "shellns/WineHost.h"

#include <windows.h>

#include <memory>

namespace {

template <class Fn> Fn WineExport(const wchar_t *module, const char *name) {
  HMODULE handle = GetModuleHandleW(module);
  return handle ? reinterpret_cast<Fn>(reinterpret_cast<void *>(GetProcAddress(handle, name))) : nullptr;
}

struct ProcessHeapDeleter {
  void operator()(void *block) const { HeapFree(GetProcessHeap(), 0, block); }
};

} // namespace

bool IsRunningUnderWine() {
  static const bool wine = WineExport<const char *(CDECL *)()>(L"ntdll.dll", "wine_get_version") != nullptr;
  return wine;
}

std::wstring WineDosPathOfUnixPath(const std::string &unixPath) {
  // Takes the path in the Unix code page (UTF-8, as our strings are) and answers with a string from the
  // process heap.
  using DosFileName = WCHAR *(CDECL *)(const char *);
  static const DosFileName toDos =
      IsRunningUnderWine() ? WineExport<DosFileName>(L"kernel32.dll", "wine_get_dos_file_name") : nullptr;
  if (!toDos)
    return {};
  std::unique_ptr<WCHAR, ProcessHeapDeleter> dos(toDos(unixPath.c_str()));
  return dos ? std::wstring(dos.get()) : std::wstring();
}
