#pragma once
// A read-only view of one absolute ID list as an array of its items (see IdList.h for the format and the
// trust rule on byte counts).
#include <windows.h>

#include <shlobj.h>

#include "shellns/IdList.h"

class TKdIdListArray {
public:
  // source is not owned and must outlive the array; null is allowed.
  explicit TKdIdListArray(LPCITEMIDLIST source);
  TKdIdListArray(const TKdIdListArray &) = delete;
  TKdIdListArray &operator=(const TKdIdListArray &) = delete;

  LPCITEMIDLIST Source() const { return FSource; }
  // Number of items; 0 for null or the empty list.
  int Count() const;
  // GetHead and GetItem lend a list the array owns: it stays valid until the next GetHead or GetItem call on
  // this array or the array's end, whichever comes first. Hand it to a call that only reads it, or take a
  // copy (IdListCopy) to keep it; never free it and never hold two of them at once.

  // The first Count() - k items (k = 1: the parent folder, k = Count(): the desktop); null when k > Count()
  // or the source is null.
  LPCITEMIDLIST GetHead(int k);
  // Item i alone; null when out of range. Index 0 of the empty list gives the empty list.
  LPCITEMIDLIST GetItem(int i);

private:
  LPCITEMIDLIST FSource;
  TKdIdListPtr FLastResult;
};
