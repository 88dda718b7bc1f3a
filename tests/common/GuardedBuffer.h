#pragma once
// A buffer whose last byte is followed by a page that may not be touched: a parser that reads one byte
// past the block it was given faults the test instead of reading a neighbour's memory.
#include <windows.h>

#include <cstddef>
#include <cstring>
#include <stdexcept>

namespace zortest {

class GuardedBuffer {
public:
  // A copy of size bytes of source (or zeros) ending right before the guard page.
  explicit GuardedBuffer(size_t size, const void *source = nullptr) : FSize(size) {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    const size_t page = info.dwPageSize;
    const size_t pages = (size + page - 1) / page + 1;
    FBase = static_cast<BYTE *>(VirtualAlloc(nullptr, pages * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    if (!FBase)
      throw std::runtime_error("VirtualAlloc failed");
    DWORD old;
    VirtualProtect(FBase + (pages - 1) * page, page, PAGE_NOACCESS, &old);
    FData = FBase + (pages - 1) * page - size;
    if (source && size)
      std::memcpy(FData, source, size);
    else if (size)
      std::memset(FData, 0, size);
  }
  GuardedBuffer(const GuardedBuffer &) = delete;
  GuardedBuffer &operator=(const GuardedBuffer &) = delete;
  ~GuardedBuffer() { VirtualFree(FBase, 0, MEM_RELEASE); }

  BYTE *Data() const { return FData; }
  size_t Size() const { return FSize; }

private:
  BYTE *FBase = nullptr;
  BYTE *FData = nullptr;
  size_t FSize;
};

} // namespace zortest
