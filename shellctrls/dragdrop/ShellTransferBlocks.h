#pragma once
// The two blocks that carry shell items between programs: the "Shell IDList Array" (the parent folder's
// absolute ID list and each item's list relative to it) and the CF_HDROP list of paths. Building them for
// our own drags, and reading a "Shell IDList Array" that another program dropped on us.
#include <windows.h>

#include <shlobj.h>

#include <cstddef>
#include <string>
#include <vector>

#include "toolkit/Handles.h"

// A medium handed out by a data object, released with it.
class TMedium {
public:
  TMedium() = default;
  ~TMedium() {
    if (FGot)
      ReleaseStgMedium(&Medium);
  }
  TMedium(const TMedium &) = delete;
  TMedium &operator=(const TMedium &) = delete;

  // The format as a global block; false when data has none.
  bool Get(IDataObject *data, UINT format) {
    FORMATETC request = {static_cast<CLIPFORMAT>(format), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    FGot = data && SUCCEEDED(data->GetData(&request, &Medium));
    return FGot && Medium.tymed == TYMED_HGLOBAL && Medium.hGlobal;
  }

  STGMEDIUM Medium = {};

private:
  bool FGot = false;
};

// A "Shell IDList Array" block in movable, zeroed global memory: cidl, the offsets, the parent (null stands
// for the desktop, written as the empty list), then the items, without padding. Empty when it cannot be made.
TGlobalBlock BuildShellIDListArray(LPCITEMIDLIST parent, const std::vector<LPCITEMIDLIST> &items);

// A CF_HDROP block of wide paths: the 20-byte DROPFILES header, each path with its terminator, one more
// terminator. The block is at least 260 bytes a path plus 21, and larger when the paths need more, so a long
// path is never cut. Empty when it cannot be made.
TGlobalBlock BuildHDrop(const std::vector<std::wstring> &paths);

// A new movable block holding size bytes from bytes; empty when it cannot be made.
TGlobalBlock GlobalBlockOf(const void *bytes, size_t size);
// A new movable copy of a whole global block; empty when it cannot be made.
TGlobalBlock DuplicateGlobalBlock(HGLOBAL source);

// The ID lists inside a "Shell IDList Array" block, pointing into it.
struct TKdShellIdListArrayView {
  LPCITEMIDLIST Parent = nullptr;
  std::vector<LPCITEMIDLIST> Items;
};

// Reads a "Shell IDList Array" of size bytes that came from anywhere: true only when the count, every
// offset and every ID list up to its terminator lie inside the block. Never reads outside it.
bool ParseShellIdListArray(const BYTE *block, size_t size, TKdShellIdListArrayView &view);
