#pragma once
// Counts every C++ allocation of the program (the controls, their rows and nodes, the toolkit); the shell's own
// ID lists come from the shell's allocator and are not counted. Under Wine the process's private bytes cannot
// be read (PrivateUsage is 0) and its heap keeps freed memory committed, so this is the measure of our own
// memory that both platforms give alike. Include it in exactly one file of a program: it replaces the
// program's operator new and delete.
#include <malloc.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace zorbench {

inline std::atomic<int64_t> GAllocatedBytes{0};
inline std::atomic<int64_t> GAllocatedBlocks{0};

// Bytes the program's own allocations hold, with the heap's 16-byte header of each block.
inline int64_t OwnBytes() { return GAllocatedBytes + 16 * GAllocatedBlocks; }

} // namespace zorbench

void *operator new(size_t size) {
  void *block = std::malloc(size ? size : 1);
  if (!block)
    throw std::bad_alloc();
  zorbench::GAllocatedBytes += static_cast<int64_t>(_msize(block));
  ++zorbench::GAllocatedBlocks;
  return block;
}
void *operator new[](size_t size) { return operator new(size); }
void operator delete(void *block) noexcept {
  if (!block)
    return;
  zorbench::GAllocatedBytes -= static_cast<int64_t>(_msize(block));
  --zorbench::GAllocatedBlocks;
  std::free(block);
}
void operator delete[](void *block) noexcept { operator delete(block); }
void operator delete(void *block, size_t) noexcept { operator delete(block); }
void operator delete[](void *block, size_t) noexcept { operator delete(block); }
