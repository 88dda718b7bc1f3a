#pragma once
// Leak counters that also work under Wine, whose GetProcessHandleCount and GetGuiResources answer 0.
#include <windows.h>

#include <psapi.h>
#include <winternl.h>

#include <algorithm>
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

namespace detail {

// Where the system does not count objects (Wine), the handle table tells: freed slots are reused first, so
// once more probes are made than slots are free, the highest probe lands at the number of objects plus the
// number of probes. Under Wine the slots of objects freed after the table's high-water mark was reached
// are not taken first, so freed objects are not seen, added ones are: the count shows growth, which is what
// a check of repeated cycles needs (measured: 1,000 pens made and deleted still count).
// slotShift: how far a handle's low word is shifted left of its slot number.
template <class Make, class Free> DWORD ProbedObjectCount(int slotShift, Make make, Free release) {
  constexpr size_t probeCount = 8192;
  std::vector<HANDLE> probes;
  probes.reserve(probeCount);
  DWORD highest = 0;
  for (size_t i = 0; i < probeCount; ++i) {
    HANDLE probe = make();
    if (!probe)
      break;
    probes.push_back(probe);
    highest = std::max<DWORD>(highest, LOWORD(reinterpret_cast<ULONG_PTR>(probe)) >> slotShift);
  }
  for (HANDLE probe : probes)
    release(probe);
  return highest > probes.size() ? highest - static_cast<DWORD>(probes.size()) : 0;
}

} // namespace detail

// USER objects (menus, windows) of this process.
inline DWORD UserObjectCount() {
  DWORD count = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  if (count > 0)
    return count;
  // A USER handle's low word holds its slot times two.
  return detail::ProbedObjectCount(
      1, [] { return reinterpret_cast<HANDLE>(CreatePopupMenu()); },
      [](HANDLE menu) { DestroyMenu(reinterpret_cast<HMENU>(menu)); });
}

// GDI objects of this process.
inline DWORD GdiObjectCount() {
  DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (count > 0)
    return count;
  return detail::ProbedObjectCount(
      0, [] { return reinterpret_cast<HANDLE>(CreatePen(PS_SOLID, 1, 0)); },
      [](HANDLE pen) { DeleteObject(reinterpret_cast<HGDIOBJ>(pen)); });
}

// Private bytes of the process (Wine leaves them 0: then the committed, else the resident bytes).
inline SIZE_T PrivateBytes() {
  PROCESS_MEMORY_COUNTERS_EX counters = {};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS *>(&counters), sizeof counters);
  if (counters.PrivateUsage)
    return counters.PrivateUsage;
  return counters.PagefileUsage ? counters.PagefileUsage : counters.WorkingSetSize;
}

} // namespace zortest
