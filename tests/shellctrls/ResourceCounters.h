#pragma once
// Leak counters that also work under Wine, whose GetProcessHandleCount and GetGuiResources answer 0.
#include <windows.h>

#include <psapi.h>
#include <winternl.h>

#include <vector>

namespace zortest {

// Open kernel handles of this process.
inline DWORD OpenHandleCount() {
  DWORD count = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &count) && count > 0)
    return count;
  // SystemExtendedHandleInformation lists every handle of the system with its owner.
  struct Entry {
    PVOID Object;
    ULONG_PTR UniqueProcessId;
    ULONG_PTR HandleValue;
    ULONG GrantedAccess;
    USHORT CreatorBackTraceIndex;
    USHORT ObjectTypeIndex;
    ULONG HandleAttributes;
    ULONG Reserved;
  };
  struct Table {
    ULONG_PTR Count;
    ULONG_PTR Reserved;
    Entry Handles[1];
  };
  using QueryFn = NTSTATUS(WINAPI *)(ULONG, PVOID, ULONG, PULONG);
  auto query = reinterpret_cast<QueryFn>(
      reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  if (!query)
    return 0;
  std::vector<char> buffer(1 << 20);
  ULONG needed = 0;
  NTSTATUS status;
  while ((status = query(64, buffer.data(), static_cast<ULONG>(buffer.size()), &needed)) ==
         static_cast<NTSTATUS>(0xC0000004L))
    buffer.resize(buffer.size() * 2);
  if (status != 0)
    return 0;
  const auto *table = reinterpret_cast<const Table *>(buffer.data());
  const ULONG_PTR self = GetCurrentProcessId();
  for (ULONG_PTR i = 0; i < table->Count; ++i)
    if (table->Handles[i].UniqueProcessId == self)
      ++count;
  return count;
}

// USER objects (menus, windows) of this process. Where the system does not count them, the index of a fresh
// menu handle stands in: freed slots are reused, so it only climbs when objects pile up.
inline DWORD UserObjectCount() {
  DWORD count = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  if (count > 0)
    return count;
  HMENU probe = CreatePopupMenu();
  count = LOWORD(reinterpret_cast<ULONG_PTR>(probe)) >> 1;
  DestroyMenu(probe);
  return count;
}

// GDI objects; 0 where the system does not count them.
inline DWORD GdiObjectCount() { return GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS); }

// Private bytes of the process.
inline SIZE_T PrivateBytes() {
  PROCESS_MEMORY_COUNTERS_EX counters = {};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS *>(&counters), sizeof counters);
  return counters.PrivateUsage;
}

} // namespace zortest
