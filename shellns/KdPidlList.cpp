#include "shellns/KdPidlList.h"

#include "toolkit/ListAlgorithms.h"

#include <algorithm>
#include <cstring>

#include "shellns/IdList.h"
#include "toolkit/SysUtils.h"

namespace {

// The folder the comparisons of the running Sort, Find or IndexOf use.
IShellFolder *GCompareFolder = nullptr;

class CompareFolderScope {
public:
  explicit CompareFolderScope(IShellFolder *folder) : FSaved(GCompareFolder) { GCompareFolder = folder; }
  ~CompareFolderScope() { GCompareFolder = FSaved; }
  CompareFolderScope(const CompareFolderScope &) = delete;
  CompareFolderScope &operator=(const CompareFolderScope &) = delete;

private:
  IShellFolder *FSaved;
};

int Compare(LPCITEMIDLIST p, LPCITEMIDLIST q) { return ComparePidls(GCompareFolder, p, q); }

void CheckIndex(int index, int count) {
  if (index < 0 || index >= count)
    throw EListError(FormatStr("List index out of bounds (%d)", index));
}

} // namespace

int ComparePidls(IShellFolder *folder, LPCITEMIDLIST p, LPCITEMIDLIST q) {
  if (folder)
    return static_cast<short>(HRESULT_CODE(folder->CompareIDs(0, p, q)));
  UINT a = IdListSize(p);
  UINT b = IdListSize(q);
  auto *pb = reinterpret_cast<const BYTE *>(p);
  auto *qb = reinterpret_cast<const BYTE *>(q);
  UINT n = std::min(a, b);
  for (UINT i = 0; i < n; ++i)
    if (pb[i] != qb[i])
      return static_cast<int>(pb[i]) - static_cast<int>(qb[i]);
  return static_cast<int>(a) - static_cast<int>(b);
}

TKdPidlList::~TKdPidlList() { Clear(); }

void TKdPidlList::SetCapacity(int value) {
  if (value < Count())
    throw EListError(FormatStr("List capacity out of bounds (%d)", value));
  if (value > Capacity())
    FItems.reserve(static_cast<size_t>(value));
  else
    FItems.shrink_to_fit();
}

LPCITEMIDLIST TKdPidlList::Pidls(int index) const {
  CheckIndex(index, Count());
  return FItems[static_cast<size_t>(index)].Pidl.get();
}

void *TKdPidlList::Objects(int index) const {
  CheckIndex(index, Count());
  return FItems[static_cast<size_t>(index)].Data;
}

int TKdPidlList::Add(TKdIdListPtr p) { return AddObject(std::move(p), nullptr); }

int TKdPidlList::AddObject(TKdIdListPtr p, void *data) {
  int index = Count();
  if (FSorted && Find(p.get(), index)) {
    switch (Duplicates) {
    case TKdDuplicates::dupIgnore:
      return index;
    case TKdDuplicates::dupError:
      throw EListError("TKdPidlList: Duplicate PIDL");
    case TKdDuplicates::dupAccept:
      break;
    }
  }
  InsertEntry(index, std::move(p), data);
  return index;
}

void TKdPidlList::InsertEntry(int index, TKdIdListPtr p, void *data) {
  if (index < 0 || index > Count())
    throw EListError(FormatStr("List index out of bounds (%d)", index));
  FItems.insert(FItems.begin() + index, TKdPidlRec{std::move(p), data});
}

bool TKdPidlList::Find(LPCITEMIDLIST p, int &index) const {
  CompareFolderScope scope(Folder);
  return ListBinaryFind(
      Count(), [&](int i) { return Compare(FItems[static_cast<size_t>(i)].Pidl.get(), p); },
      Duplicates == TKdDuplicates::dupAccept, index);
}

int TKdPidlList::IndexOf(LPCITEMIDLIST p) const {
  CompareFolderScope scope(Folder);
  if (FSorted) {
    int index = -1;
    return Find(p, index) ? index : -1;
  }
  for (int i = 0; i < Count(); ++i)
    if (Compare(FItems[static_cast<size_t>(i)].Pidl.get(), p) == 0)
      return i;
  return -1;
}

void TKdPidlList::Delete(int index) { Extract(index); }

TKdIdListPtr TKdPidlList::Extract(int index) {
  CheckIndex(index, Count());
  TKdIdListPtr pidl = std::move(FItems[static_cast<size_t>(index)].Pidl);
  FItems.erase(FItems.begin() + index);
  return pidl;
}

void TKdPidlList::Clear() { FItems.clear(); }

void TKdPidlList::SetSorted(bool value) {
  if (value == FSorted)
    return;
  FSorted = value;
  if (value)
    Sort();
}

void TKdPidlList::Sort() {
  if (Count() < 2)
    return;
  CompareFolderScope scope(Folder);
  ListQuickSort(
      0, Count() - 1,
      [&](int i, int j) {
        return Compare(FItems[static_cast<size_t>(i)].Pidl.get(), FItems[static_cast<size_t>(j)].Pidl.get());
      },
      [&](int i, int j) { std::swap(FItems[static_cast<size_t>(i)], FItems[static_cast<size_t>(j)]); });
}
