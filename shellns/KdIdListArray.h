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
  // The first Count() - k items as a new list (k = 1: the parent folder, k = Count(): the desktop); null
  // when k > Count() or the source is null.
  LPITEMIDLIST GetHead(int k);
  // Item i alone as a new list; null when out of range. Index 0 of the empty list gives the empty list.
  LPITEMIDLIST GetItem(int i);

  // The lists GetHead and GetItem return stay owned by the array and live until the next such call or the
  // array's end: copy them (IdListCopy) to keep them.
private:
  LPCITEMIDLIST FSource;
  TKdIdListPtr FLastResult;
};
