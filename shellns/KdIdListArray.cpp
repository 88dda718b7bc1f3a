#include "shellns/KdIdListArray.h"

#include <cstring>

namespace {

USHORT ReadCount(const BYTE *at) {
  USHORT count;
  std::memcpy(&count, at, sizeof count);
  return count;
}

// Bytes taken by the first n items (fewer when the list is shorter).
UINT BytesOfItems(const BYTE *list, int n) {
  UINT size = 0;
  for (int i = 0; i < n; ++i) {
    USHORT count = ReadCount(list + size);
    if (!count)
      break;
    size += count;
  }
  return size;
}

} // namespace

TKdIdListArray::TKdIdListArray(LPCITEMIDLIST source) : FSource(source) {}

int TKdIdListArray::Count() const {
  if (!FSource)
    return 0;
  auto *bytes = reinterpret_cast<const BYTE *>(FSource);
  int count = 0;
  UINT offset = 0;
  while (USHORT size = ReadCount(bytes + offset)) {
    offset += size;
    ++count;
  }
  return count;
}

LPCITEMIDLIST TKdIdListArray::GetHead(int k) {
  FLastResult.reset();
  if (!FSource)
    return nullptr;
  int n = Count() - k;
  if (n < 0)
    return nullptr;
  UINT bytes = BytesOfItems(reinterpret_cast<const BYTE *>(FSource), n);
  auto *result = static_cast<BYTE *>(ShellMemAlloc(bytes + 2));
  if (!result)
    return nullptr;
  std::memset(result, 0, bytes + 2);
  std::memcpy(result, FSource, bytes);
  FLastResult.reset(reinterpret_cast<LPITEMIDLIST>(result));
  return FLastResult.get();
}

LPCITEMIDLIST TKdIdListArray::GetItem(int i) {
  FLastResult.reset();
  if (!FSource || i < 0)
    return nullptr;
  int count = Count();
  if (count > 0 && i >= count)
    return nullptr;
  // The empty list has no items; its index 0 stands for the list itself.
  if (count == 0 && i > 0)
    return nullptr;
  auto *bytes = reinterpret_cast<const BYTE *>(FSource);
  UINT offset = BytesOfItems(bytes, i);
  USHORT size = ReadCount(bytes + offset);
  auto *result = static_cast<BYTE *>(ShellMemAlloc(size + 2u));
  if (!result)
    return nullptr;
  std::memcpy(result, bytes + offset, size);
  result[size] = 0;
  result[size + 1] = 0;
  FLastResult.reset(reinterpret_cast<LPITEMIDLIST>(result));
  return FLastResult.get();
}
