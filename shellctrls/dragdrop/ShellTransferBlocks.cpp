#include "shellctrls/dragdrop/ShellTransferBlocks.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "shellns/IdList.h"

namespace {

// The empty ID list: the desktop.
const BYTE EmptyIdList[2] = {0, 0};

// The room the classic layout keeps for one path (MAX_PATH bytes).
constexpr size_t PathRoom = 260;

// A movable, zeroed block of size bytes filled by write; empty when it cannot be made.
template <class Write> TGlobalBlock BuildBlock(size_t size, Write write) {
  TGlobalBlock block(GlobalAlloc(GHND, size));
  if (!block)
    return block;
  TGlobalLock bytes(block.Get());
  if (!bytes.Data())
    return TGlobalBlock();
  write(bytes.Data());
  return block;
}

uint16_t ReadU16(const BYTE *at) {
  uint16_t value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

uint32_t ReadU32(const BYTE *at) {
  uint32_t value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

void WriteU32(BYTE *at, uint32_t value) { std::memcpy(at, &value, sizeof value); }

// True when an ID list starts at offset and its terminator ends inside the block.
bool IdListFits(const BYTE *block, size_t size, size_t offset) {
  for (;;) {
    if (offset > size || size - offset < 2)
      return false;
    const uint16_t cb = ReadU16(block + offset);
    if (cb == 0)
      return true;
    // An item shorter than its own count field would never move on.
    if (cb < 2)
      return false;
    offset += cb;
  }
}

} // namespace

TGlobalBlock BuildShellIDListArray(LPCITEMIDLIST parent, const std::vector<LPCITEMIDLIST> &items) {
  if (!parent)
    parent = reinterpret_cast<LPCITEMIDLIST>(EmptyIdList);
  const size_t count = items.size();
  size_t size = IdListSize(parent) + 4 * count + 8;
  for (LPCITEMIDLIST item : items)
    size += IdListSize(item);
  return BuildBlock(size, [&](BYTE *data) {
    WriteU32(data, static_cast<uint32_t>(count));
    size_t offset = 8 + 4 * count;
    auto place = [&](size_t index, LPCITEMIDLIST list) {
      const UINT bytes = IdListSize(list);
      std::memcpy(data + offset, list, bytes);
      WriteU32(data + 4 + 4 * index, static_cast<uint32_t>(offset));
      offset += bytes;
    };
    place(0, parent);
    for (size_t i = 0; i < count; ++i)
      place(i + 1, items[i]);
  });
}

TGlobalBlock BuildHDrop(const std::vector<std::wstring> &paths) {
  constexpr size_t header = sizeof(DROPFILES);
  size_t needed = header + sizeof(wchar_t);
  for (const std::wstring &path : paths)
    needed += (path.size() + 1) * sizeof(wchar_t);
  const size_t size = std::max(PathRoom * paths.size() + header + 1, needed);
  return BuildBlock(size, [&](BYTE *data) {
    auto *files = reinterpret_cast<DROPFILES *>(data);
    files->pFiles = static_cast<DWORD>(header);
    files->fWide = TRUE;
    // The block is zeroed: each path's terminator and the final one are already there.
    size_t offset = header;
    for (const std::wstring &path : paths) {
      std::memcpy(data + offset, path.c_str(), path.size() * sizeof(wchar_t));
      offset += (path.size() + 1) * sizeof(wchar_t);
    }
  });
}

TGlobalBlock GlobalBlockOf(const void *bytes, size_t size) {
  return BuildBlock(size, [&](BYTE *data) {
    if (size)
      std::memcpy(data, bytes, size);
  });
}

TGlobalBlock DuplicateGlobalBlock(HGLOBAL source) {
  TGlobalLock from(source);
  if (!from.Data())
    return TGlobalBlock();
  return GlobalBlockOf(from.Data(), from.Size());
}

bool ParseShellIdListArray(const BYTE *block, size_t size, TKdShellIdListArrayView &view) {
  view = {};
  if (!block || size < 4)
    return false;
  const uint64_t count = ReadU32(block);
  // The count and its offsets must fit before anything else is read.
  if (4 + 4 * (count + 1) > size)
    return false;
  std::vector<LPCITEMIDLIST> lists;
  lists.reserve(static_cast<size_t>(count) + 1);
  for (uint64_t i = 0; i <= count; ++i) {
    const size_t offset = ReadU32(block + 4 + 4 * i);
    if (!IdListFits(block, size, offset))
      return false;
    lists.push_back(reinterpret_cast<LPCITEMIDLIST>(block + offset));
  }
  view.Parent = lists.front();
  view.Items.assign(lists.begin() + 1, lists.end());
  return true;
}
